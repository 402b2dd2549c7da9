#include "calculation/create_interpolator_module.h"

#include "calculation/create_interpolator_form.h"
#include "calculation/interpolator_common.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"
#include "platform/file_chooser.h"
#include "platform/file_contents.h"
#include "platform/prompter.h"
#include "platform/random.h"

#include <QString>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

namespace {

constexpr char kQuestion[] = "Die Gradientenapproximation erfordert z.T. erhebliche längere Laufzeiten! Soll die "
                             "Optimierung dennoch durchgeführt werden?";
constexpr char kUserAbort[] = "Hinweis:  Abbruch durch Nutzer. Bitte ändern Sie die Parametrierung.";
constexpr char kGroupsNeeded[] = "Fehler:  Zur gruppenweisen Verarbeitung bitte Spektrengruppen ';' eingeben.";
constexpr char kNoSingleSpectra[] = "Fehler:  Bitte für die gruppenweise Verarbeitung keine Einzelspektren eingeben.";
constexpr char kTooDeep[] = "Fehler:  Eingabe der spektralen Sensorempfindlichkeiten ist für die gruppenweise "
                            "Verarbeitung zu tief verschachtelt.";
constexpr char kDataGroupsNeeded[] = "Fehler:  Zur gruppenweisen Verarbeitung bitte Datengruppen ';' eingeben.";
constexpr char kResponseGroupsOnly[] =
    "Fehler:  Bitte für die gruppenweise Verarbeitung nur Sensorantwortengruppen eingeben.";
constexpr char kResponsesNotSpectral[] = "Fehler:  Sensorantworten nicht durch spektrale Daten beschreiben!";
constexpr char kSensNotClipboard[] = "Fehler:  Spektrale Sensorbeschreibung ist nicht durch Clipboard-Daten möglich!";
constexpr char kNoSensor[] = "Fehler:  Keine Sensorempfindlichkeiten oder Sensorantworten ausgewählt!";
constexpr char kResponseCount[] = "Fehler:  Zahl der Sensorantworten sollte der Zahl der Spektren entsprechen!";
constexpr char kEitherOr[] =
    "Fehler:  Sensorverhalten entweder durch Sensorempfindlichkeiten oder Sensorantworten beschreiben!";
constexpr char kIlluTargets[] = "Fehler:  Targets und spektrale Gewichtung passen nicht zueinander!";
constexpr char kIlluGroup[] = "Fehler:  Die spektrale Gewichtung kann keine Spektrengruppe sein!";
constexpr char kNoTargets[] = "Fehler: Keine Targets ausgewählt!";
constexpr char kWeightGroup[] = "Fehler: Spektrale Gewichtung kann keine Gruppe sein!";
constexpr char kSensNotEqui[] = "Fehler: Sensorempfindlichkeiten X-Werte sind nicht äquidistant!";
constexpr char kTargetsNotEqui[] = "Fehler: Targets X-Werte sind nicht äquidistant!";
constexpr char kRunning[] = "Hinweis: Optimierungsvorgang läuft...";
constexpr char kDone[] = "Hinweis: Optimierungsvorgang beendet!";
constexpr char kStatusPrefix[] = "Fehler: Verrechnungsvorschrift:";
constexpr char kNormName[] = "NORMCALIB";

std::uint32_t ClockSeed()
{
    const auto count = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(count >> 32) ^ static_cast<std::uint32_t>(count);
}

std::vector<double> Ys(const Spectrum& s)
{
    std::vector<double> y(static_cast<std::size_t>(s.GetPointCount()));
    s.getYPointsAsArray(y.data());
    return y;
}

// The axis of equidistant spectra: first x, step, last x of count points.
CSpekContainer::SpekInfo Axis(const Spectrum& s)
{
    const int n = s.GetPointCount();
    const double step = n > 1 ? s[1].x - s[0].x : 1.0;
    return {s[0].x, step, s[0].x + (n - 1) * step};
}

// Whether a tree node is a group of objects only (no subgroups).
template <class Node>
bool FlatGroup(const Node* node)
{
    for (const auto* child : node->GetChildren())
        if (!child->GetData())
            return false;
    return true;
}

void SortIfNeeded(const SpectrumList& list)
{
    if (!list.SpecsSorted())
        for (Spectrum* s : list)
            s->SortPoints();
}

} // namespace

CreateInterpolatorStreamBuf::int_type CreateInterpolatorStreamBuf::overflow(int_type ch)
{
    if (ch == traits_type::eof() || ch == '\n') {
        if (host)
            host->AddLogMessage("QSpec: %s", m_line.c_str());
        m_line.clear();
    } else {
        m_line.push_back(static_cast<char>(ch));
    }
    return ch;
}

CreateInterpolatorEventHandler::~CreateInterpolatorEventHandler() = default;

void CreateInterpolatorEventHandler::OnEvent(int event)
{
    if (!m_host)
        return;
    if (m_host->UserWantsAbort()) {
        SetAbort(true);
        m_host->SetProgressBarPercentage(100);
        m_host->SetStatusText("Bitte Warten! Berechnung wird abgebrochen.");
        return;
    }
    const unsigned n = GetCount();
    switch (event) {
    case 0:
        m_host->SetProgressBarPercentage(0);
        m_host->SetStatusText(calc::FormatText("Trainiere Verrechnungsvorschrift in %u Iterationen", n));
        break;
    case 1:
        m_host->SetProgressBarPercentage(
            std::floor((GetIndex() + 1.0) / (static_cast<double>(n) + 1.0) * 100.0));
        m_host->SetStatusText(
            calc::FormatText("Trainiere Verrechnungsvorschrift (Iteration %u von %u)", GetIndex() + 1, n));
        break;
    case 2:
        m_host->SetProgressBarPercentage(100);
        m_host->SetStatusText("Erstellung Verrechnungsvorschrift beendet!");
        break;
    default:
        break;
    }
}

// One training's sensor description: the sensitivities or the response objects, and the name
// of its group in grouped processing (empty otherwise).
struct CreateInterpolatorModule::Group {
    SpectrumList sensitivities;
    std::vector<ClipboardObject*> responses;
    std::string name;
    std::string config;
};

CreateInterpolatorModule::CreateInterpolatorModule()
    : calc::CalcModule("CreateInterpolatorModule"), m_seedSource(ClockSeed)
{
    ns_param::Paramora& p = getParameters();
    for (const char* name : {"SpecDescSamples", "SpecDescAsystem", "SpecDescIllu", "SpecDescTargets", "OutFolder",
                             "TargetGroup"})
        p.addStringParameter(name, "", "", "");
    p.addIntParameter("IterCount", "", 1, 1, 50, 1);
    p.addDoubleParameter("RegTV", "", 0, 0, 10000, 0);
    p.addDoubleParameter("RegWiener1", "", 0, 0, 1, 0);
    p.addDoubleParameter("RegWiener2", "", 0, 0, 1, 0);
    p.addDoubleParameter("RegI2min", "", 0, 0, 10000, 0);
    p.addDoubleParameter("RegI2max", "", 0, 0, 10000000, 0);
    p.addDoubleParameter("RegPositivity", "", 0, 0, 10000, 0);
    p.addDoubleParameter("RegGauss", "", 0, 0, 1, 0);
    p.addDoubleParameter("MSEStop", "", 0, 0, 10000, 0);
    p.addStringParameter("SpecMSEWeightTarget", "", "", "");
    p.addIntParameter("ADMode", "Wertequantisierung simulieren", 0, 0, 24, 0);
    p.addBoolParameter("QuantChan", "kanalweise Quantisierung simulieren", false, false);
    p.addBoolParameter("EvoOpt", "evolutionäre Optimierung", false, false);
    p.addBoolParameter("InterpolPP", "Nachbearbeitung der Verrechnung", false, false);
    p.addBoolParameter("AutoSave", "Automatisch speichern nach Berechnung", false, false);
    p.addDoubleParameter("SimChannelNoise", "", 0, 0, 100, 0);
    p.addBoolParameter("GroupedProcessing", "Gruppen sequentiell prozessieren", false, false);
    p.addBoolParameter("NormedProcessing", "Normalisiert prozessieren", false, false);
    p.addBoolParameter("UseGradEstimation", "Gradientenschätzung verwenden", false, false);
    p.addBoolParameter("ProcOk", "Testvariable", false, false);
    p.addBoolParameter("RandomSign", "Durchlauf zufällig markieren", true, true);
    m_matrix.CleanUp();
}

CreateInterpolatorModule::~CreateInterpolatorModule() = default;

const CRuntimeClass* CreateInterpolatorModule::GetEditorClass()
{
    return RUNTIME_CLASS(CreateInterpolatorForm);
}

std::vector<SAutomationPtrList> CreateInterpolatorModule::GetAutomationPtr()
{
    return {{"createinterpolator",
             static_cast<SAutomationPtrList::Function>(&CreateInterpolatorModule::createinterpolator)}};
}

calc::OwnRange CreateInterpolatorModule::OwnRangeOf(const std::string& name)
{
    using calc::OwnRange;
    static const std::map<std::string, OwnRange, std::less<>> own = {
        {"IterCount", OwnRange::RaisedBelow}, {"RegTV", OwnRange::Absolute},
        {"RegI2max", OwnRange::Absolute},     {"RegPositivity", OwnRange::Absolute},
        {"RegGauss", OwnRange::Absolute},     {"RegWiener1", OwnRange::AsItStands},
        {"RegWiener2", OwnRange::AsItStands}, {"MSEStop", OwnRange::AsItStands},
        {"RegI2min", OwnRange::Unused}};
    const auto it = own.find(name);
    return it == own.end() ? OwnRange::None : it->second;
}

double CreateInterpolatorModule::TaperFactor(int j, int n)
{
    const int m = std::max(1, n / 20);
    if (j <= m)
        return (j + 1.0) / (m + 1.0);
    if (j >= n - m - 1)
        return (n - j) / (m + 1.0);
    return 1.0;
}

bool CreateInterpolatorModule::createinterpolator()
{
    RunScope run(*this, Numbers::Read, kSpectra | kClipboard);
    if (!run)
        return false;
    SpectrumTree* tree = run.spectra;
    ModuleInterface* host = run.host;
    ClipboardTree& clipboard = *run.clipboard;
    ns_param::Paramora& p = run.p;

    const std::string sensText = *p.getStringParameter("SpecDescAsystem");
    const std::string responseText = *p.getStringParameter("SpecDescSamples");
    SpectrumList sens, illu, targets, weight;
    sens = tree->GetInserters(sensText, false);
    illu = tree->GetInserters(*p.getStringParameter("SpecDescIllu"), false);
    targets = tree->GetInserters(*p.getStringParameter("SpecDescTargets"), false);
    weight = tree->GetInserters(*p.getStringParameter("SpecMSEWeightTarget"), false);
    std::vector<ClipboardObject*> responses;
    for (ClipboardObject* o : clipboard.GetInserters(responseText, false))
        if (calc::ClpValues(*o))
            responses.push_back(o);

    if (*p.getBoolParameter("UseGradEstimation")) {
        const platform::PromptAnswer answer =
            platform::GetPrompter().Prompt(nullptr, "Frage", QString::fromUtf8(kQuestion),
                                           platform::PromptIcon::Question, platform::PromptButtons::YesNo);
        if (answer != platform::PromptAnswer::Yes) {
            calc::LogHint(host, kUserAbort);
            return false;
        }
    }

    // Groups: in grouped processing one per ";"-entry of the sensor description, which must
    // name a group holding spectra (or response objects) and no subgroups.
    std::vector<Group> groups;
    const bool grouped = *p.getBoolParameter("GroupedProcessing");
    if (grouped && !sens.empty()) {
        if (sensText.find(';') == std::string::npos) {
            calc::LogError(host, kGroupsNeeded);
            return false;
        }
        for (const std::string& entry : calc::SplitSelection(sensText)) {
            auto* node = tree->GetNodeByName(entry, false, false);
            if (!node)
                continue;
            if (node->GetData()) {
                calc::LogError(host, kNoSingleSpectra);
                return false;
            }
            if (!FlatGroup(node)) {
                calc::LogError(host, kTooDeep);
                return false;
            }
            Group g;
            g.sensitivities = tree->GetInserters(entry, false);
            g.name = calc::ShortName(entry);
            g.config = g.name;
            groups.push_back(std::move(g));
        }
    } else if (grouped && !responses.empty() && sens.empty()) {
        if (responseText.find(';') == std::string::npos) {
            calc::LogError(host, kDataGroupsNeeded);
            return false;
        }
        for (const std::string& entry : calc::SplitSelection(responseText)) {
            auto* node = clipboard.GetNodeByName(entry, false, false);
            if (!node)
                continue;
            if (node->GetData() || !FlatGroup(node)) {
                calc::LogError(host, kResponseGroupsOnly);
                return false;
            }
            Group g;
            for (ClipboardObject* o : clipboard.GetInserters(entry, false))
                if (calc::ClpValues(*o))
                    g.responses.push_back(o);
            g.name = calc::ShortName(entry);
            g.config = g.name;
            groups.push_back(std::move(g));
        }
    } else {
        Group g;
        g.sensitivities = sens;
        g.responses = responses;
        g.config = sens.empty() ? responseText : sensText;
        groups.push_back(std::move(g));
    }

    if (!trim(responseText, calc::kBlanks).empty() && responses.empty()) {
        calc::LogError(host, kResponsesNotSpectral);
        return false;
    }
    if (!trim(sensText, calc::kBlanks).empty() && sens.empty()) {
        calc::LogError(host, kSensNotClipboard);
        return false;
    }
    if (sens.empty() && responses.empty()) {
        calc::LogError(host, kNoSensor);
        return false;
    }
    if (sens.empty() && !grouped && responses.size() != targets.size()) {
        calc::LogError(host, kResponseCount);
        return false;
    }
    if (!sens.empty() && !responses.empty()) {
        calc::LogError(host, kEitherOr);
        return false;
    }
    if (!illu.empty() && !targets.empty() && illu[0]->GetPointCount() != targets[0]->GetPointCount()) {
        calc::LogError(host, kIlluTargets);
        return false;
    }
    if (illu.size() >= 2) {
        calc::LogError(host, kIlluGroup);
        return false;
    }
    if (targets.empty()) {
        calc::LogError(host, kNoTargets);
        return false;
    }
    if (weight.size() >= 2) {
        calc::LogError(host, kWeightGroup);
        return false;
    }
    for (const SpectrumList* list : {&sens, &targets, &illu, &weight})
        SortIfNeeded(*list);
    if (!sens.empty() && !sens.SpecsSameEquiDistant(nullptr, nullptr, nullptr)) {
        calc::LogError(host, kSensNotEqui);
        return false;
    }
    if (!targets.SpecsSameEquiDistant(nullptr, nullptr, nullptr)) {
        calc::LogError(host, kTargetsNotEqui);
        return false;
    }

    platform::SRand(m_seedSource());
    const int runMark = platform::Rand();
    std::string prefix = *p.getStringParameter("TargetGroup");
    if (prefix.empty()) {
        prefix = "sCALIB";
        if (*p.getBoolParameter("RandomSign"))
            prefix += calc::FormatText("_%i", runMark);
    }

    bool ok = true;
    for (const Group& g : groups) {
        std::string groupPrefix = grouped ? prefix + "_" + g.name : prefix;
        calc::CleanGroupPath(groupPrefix);
        if (!TrainGroup(g, groupPrefix, runMark))
            ok = false;
        if (host->UserWantsAbort())
            return false;
    }
    return ok;
}

bool CreateInterpolatorModule::TrainGroup(const Group& g, const std::string& prefix, int)
{
    ModuleInterface* host = GetModuleInterface();
    SpectrumTree& tree = *Spectra();
    ClipboardTree& clipboard = *host->GetClipboardTree();
    ns_param::Paramora& p = getParameters();
    SpectrumList illu, targets, weight;
    illu = tree.GetInserters(*p.getStringParameter("SpecDescIllu"), false);
    targets = tree.GetInserters(*p.getStringParameter("SpecDescTargets"), false);
    weight = tree.GetInserters(*p.getStringParameter("SpecMSEWeightTarget"), false);
    const bool normed = *p.getBoolParameter("NormedProcessing");
    const bool bySens = !g.sensitivities.empty();
    auto fail = [&](tyMBStatus status) {
        calc::LogError(host, std::string(kStatusPrefix) + MBStatusText(status));
        return false;
    };
    if (!bySens && g.responses.empty())
        return fail(MB_EMPTY_INPUT);

    const int iterations = std::max(1, *p.getIntParameter("IterCount"));
    const int adBits = *p.getIntParameter("ADMode");
    if (adBits < 0 || adBits > 24) {
        calc::LogError(host, calc::kParameterError);
        return false;
    }
    const bool quantChan = *p.getBoolParameter("QuantChan");

    // Quantisation factors: full scale over the largest response a channel can give.
    const int channels = bySens ? static_cast<int>(g.sensitivities.size())
                                : static_cast<int>(calc::ClpValues(*g.responses.front())->size());
    std::vector<double> factors;
    if (adBits != 0) {
        std::vector<double> largest(static_cast<std::size_t>(channels), 0.0);
        for (int c = 0; c < channels; ++c) {
            if (bySens) {
                for (double y : Ys(*g.sensitivities[static_cast<std::size_t>(c)]))
                    largest[static_cast<std::size_t>(c)] += y;
            } else {
                double m = -HUGE_VAL;
                for (ClipboardObject* o : g.responses) {
                    const auto values = calc::ClpValues(*o);
                    if (static_cast<int>(values->size()) > c)
                        m = std::max(m, (*values)[static_cast<std::size_t>(c)]);
                }
                largest[static_cast<std::size_t>(c)] = m;
            }
        }
        if (!quantChan)
            largest.assign(1, *std::max_element(largest.begin(), largest.end()));
        const double full = std::ldexp(1.0, adBits) - 1;
        for (std::size_t c = 0; c < largest.size(); ++c) {
            const double f = full / largest[c];
            if (!(largest[c] > 0) || !std::isfinite(f)) {
                calc::LogHint(host, calc::FormatText("Hinweis: Kanal %d wird nicht quantisiert (Maximalwert <= 0).",
                                                     quantChan ? static_cast<int>(c) + 1 : 0));
                factors.push_back(0.0);
            } else {
                factors.push_back(f);
            }
        }
    }

    // The library's inputs.
    const CSpekContainer::SpekInfo targetAxis = Axis(*targets[0]);
    CSpekContainer targetSet, sensorSet, prior;
    targetSet.SetSpekInfo(&targetAxis);
    for (Spectrum* t : targets)
        targetSet.AddSpek(CMBTarget(Ys(*t)), t->GetName());
    CMBTarget illumination = illu.empty() ? CMBTarget() : CMBTarget(Ys(*illu[0]));
    CMBTarget errorWeight = weight.empty() ? CMBTarget() : CMBTarget(Ys(*weight[0]));
    if (bySens) {
        const CSpekContainer::SpekInfo sensAxis = Axis(*g.sensitivities[0]);
        sensorSet.SetSpekInfo(&sensAxis);
        for (Spectrum* s : g.sensitivities)
            if (!sensorSet.AddSpek(CMBTarget(Ys(*s)), s->GetName()))
                return fail(MB_TARGET_POINTS);
        if (!illu.empty()) {
            const Spectrum& l = *illu[0];
            const Spectrum& s = *g.sensitivities[0];
            if (l.GetPointCount() > 0 && s.GetPointCount() > 0
                && (l[0].x != s[0].x || l[l.GetPointCount() - 1].x != s[s.GetPointCount() - 1].x))
                return fail(MB_ILLU_RANGE);
        }
        if (normed) {
            const int d = sensorSet.GetSpekDim();
            sensorSet.AddSpek(CMBTarget(d, 1.0 / d), "Mean");
        }
    } else {
        for (ClipboardObject* o : g.responses)
            if (!sensorSet.AddSpek(CMBTarget(*calc::ClpValues(*o)), o->GetName()))
                return fail(MB_TARGET_MISMATCH);
    }

    std::unique_ptr<CAprioriInterpolator> ip =
        bySens ? std::make_unique<CAprioriInterpolator>(sensorSet, targetSet, illumination, errorWeight, prior,
                                                        CMBTarget(), 1, 0)
               : std::make_unique<CAprioriInterpolator>(sensorSet, targetSet, prior, illumination, errorWeight, 1, 0);
    if (!bySens)
        ip->SetNormedResponses(normed);
    CreateInterpolatorEventHandler handler(host);
    ip->SetEventHandler(&handler);
    CreateInterpolatorStreamBuf buffer;
    buffer.module = this;
    buffer.host = host;
    const double noise = *p.getDoubleParameter("SimChannelNoise");
    if (ip->SetRealSensorParams(factors.empty() ? nullptr : factors.data(), static_cast<int>(factors.size()),
                                adBits, std::fabs(noise))
        != MB_OK)
        return fail(MB_BAD_ARGUMENT);
    const double reg[7] = {std::fabs(*p.getDoubleParameter("RegTV")),
                           std::fabs(*p.getDoubleParameter("RegI2max")),
                           std::fabs(*p.getDoubleParameter("RegPositivity")),
                           *p.getBoolParameter("EvoOpt") ? 1.0 : 0.0,
                           std::fabs(*p.getDoubleParameter("RegGauss")),
                           *p.getDoubleParameter("RegWiener1"),
                           *p.getDoubleParameter("RegWiener2")};
    calc::LogHint(host, kRunning);
    const tyMBStatus status = ip->CalcInterpolSystem(iterations, reg, 0, 0xFFFFFFFF, true, false,
                                                     *p.getDoubleParameter("MSEStop"), nullptr, false);
    if (status != MB_OK)
        return fail(status);
    const CSpekContainer& system = ip->GetInterpolSystem();
    calc::LogHint(host, kDone);

    const int rules = system.GetSpekCount();
    const int points = system.GetSpekDim();
    m_matrix.CreateMatArray(rules, points);
    for (int r = 0; r < rules; ++r)
        for (int j = 0; j < points; ++j)
            m_matrix[r][j] = system[r][j];

    // File the rule spectra, then the sensor descriptions.
    const Spectrum& grid = bySens ? *g.sensitivities[0] : *targets[0];
    const bool taper = *p.getBoolParameter("InterpolPP");
    for (int r = 0; r < rules; ++r) {
        std::string name;
        COLORREF colour = 0;
        if (bySens) {
            if (r < static_cast<int>(g.sensitivities.size())) {
                name = calc::ShortName(g.sensitivities[static_cast<std::size_t>(r)]->GetName());
                colour = g.sensitivities[static_cast<std::size_t>(r)]->GetColor();
            } else {
                name = kNormName;
            }
        } else {
            name = normed && r == rules - 1 ? std::string(kNormName) : calc::FormatText("qSPEC_%d", r + 1);
            for (int byte = 0; byte < 3; ++byte) {
                const auto value = static_cast<COLORREF>(platform::Rand() * (1.0 / 32768.0) * 191 + 64 + 0.5);
                colour |= value << (8 * byte);
            }
        }
        auto spectrum = std::make_unique<Spectrum>();
        std::string full = prefix + ":qSPECs:" + name;
        calc::CleanGroupPath(full);
        spectrum->SetName(full);
        spectrum->SetColor(colour);
        for (int j = 0; j < points && j < grid.GetPointCount(); ++j)
            spectrum->AddPoint(calc::ClampedPoint(grid[j].x, system[r][j] * (taper ? TaperFactor(j, points) : 1.0)));
        calc::ReplaceSpectrum(tree, std::move(spectrum));
    }
    if (bySens) {
        for (std::size_t c = 0; c < g.sensitivities.size(); ++c) {
            const Spectrum& s = *g.sensitivities[c];
            auto spectrum = std::make_unique<Spectrum>();
            std::string full = prefix + ":qSens:" + calc::ShortName(s.GetName());
            calc::CleanGroupPath(full);
            spectrum->SetName(full);
            spectrum->SetColor(s.GetColor());
            const CMBTarget& used = sensorSet[static_cast<int>(c)];
            for (int j = 0; j < s.GetPointCount() && j < used.GetDim(); ++j)
                spectrum->AddPoint(calc::ClampedPoint(s[j].x, used[j]));
            calc::ReplaceSpectrum(tree, std::move(spectrum));
        }
    } else {
        for (ClipboardObject* o : g.responses) {
            auto copy = std::make_unique<ClipboardObject>();
            copy->GetParameters() = o->GetParameters();
            std::string full = prefix + ":qSens:" + calc::ShortName(o->GetName());
            calc::CleanGroupPath(full);
            copy->SetName(full);
            calc::ReplaceClipboardObject(clipboard, std::move(copy));
        }
    }
    host->RepaintSpecView();

    if (*p.getBoolParameter("AutoSave")) {
        std::string file = prefix;
        for (char& ch : file)
            if (ch == '/')
                ch = '_';
        const std::string folder =
            m_autoSaveFolder.empty() ? std::filesystem::current_path().string() : m_autoSaveFolder;
        SaveAsText(folder + "/" + file + ".txt", g.config);
    }
    return true;
}

bool CreateInterpolatorModule::SaveAsText(const std::string& givenPath, const std::string& configText,
                                          const std::string& proposal)
{
    ModuleInterface* host = GetModuleInterface();
    if (m_matrix.IsEmpty()) {
        calc::LogError(host, "Fehler: Speichern fehlgeschlagen! Ezeugen Sie eine Verrechnungsvorschrift!");
        return false;
    }
    std::string path = givenPath;
    const bool manual = path.empty();
    if (manual) {
        path = platform::GetFileChooser().GetSaveFileName(nullptr, QString(), QString::fromStdString(proposal), QString()).toStdString();
        if (path.empty())
            return false;
    }
    const std::string text = FormatRule(m_matrix, configText);
    if (!platform::ReplaceFileContents(path, text)) {
        calc::LogError(host, "Fehler: Speichern fehlgeschlagen! " + path);
        return false;
    }
    // The path shown: at most 210 bytes, not cutting a UTF-8 character.
    std::size_t cut = std::min<std::size_t>(path.size(), 210);
    while (cut > 0 && cut < path.size() && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80)
        --cut;
    calc::LogHint(host, calc::FormatText(manual ? "Hinweis: Verrechnung wurde manuell gespeichert unter %s ."
                                                : "Hinweis: Verrechnung wurde automatisch gespeichert unter %s .",
                                         path.substr(0, cut).c_str()));
    return true;
}

std::string CreateInterpolatorModule::FormatRule(const TMatrix& matrix, const std::string& configText)
{
    std::string config = configText.empty() ? std::string("siehe Filename") : configText;
    if (config.find(':') != std::string::npos && config.find(';') == std::string::npos)
        config = config.substr(config.rfind(':'));

    std::string text = "Sensorkonfiguration: " + config + "\r\n" + "Koeffizienten der spektralen Verrechnung \r\n";
    char field[64];
    for (int r = 0; r < matrix.Rows(); ++r) {
        text += calc::FormatText("Kanalantwort %d:\r\n", r + 1);
        for (int c = 0; c < matrix.Cols(); ++c) {
            const double v = matrix[r][c];
            std::snprintf(field, sizeof field, "%12g\t", std::fabs(v) < 1e-8 ? 0.0 : v);
            text += field;
        }
        text += "\r\n";
    }
    return text;
}
