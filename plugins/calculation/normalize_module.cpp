#include "calculation/normalize_module.h"

#include "calculation/normalize_form.h"

#include "core/module_interface.h"
#include "core/number_text.h"
#include "core/string_helpers.h"

#include <embrel/normalize_spek.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <set>

namespace {

constexpr char kAborted[] = "Hinweis: Berechnung durch den Benutzer abgebrochen.";
constexpr char kNoSpectra[] = "Fehler: Es wurden keine Spektren angegeben! ";
constexpr char kBadReference[] = "Fehler: Fehlerhaftes Bezugsspektrum!";
constexpr char kNotEquidistant[] =
    "Hinweis: Bezugsspektrum ist nicht äquidistant. Es werden nur ganzzahlige Grenzen übernommen.";
constexpr char kUnfoundHint[] =
    "Hinweis: Überprüfen Sie, ob das Ergebnis im gewählten Ausgabeordner und im Ordner _NormalizeUnfound ihren "
    "Erwartungen entspricht. Modifizieren Sie bedarfsweise die Auswahlnamen.";
constexpr char kUnfoundGroup[] = "_NormalizeUnfound:";
constexpr char kShiftGroup[] = "XShift";
constexpr double kFineStep = 0.2;
constexpr int kMaxDraws = 1000000; // the registered maximum of "RandomAnz"

// The name with the text behind its last ":" trimmed of blanks, tabs and line ends.
std::string TrimLeaf(const std::string& name)
{
    const auto colon = name.rfind(':');
    if (colon == std::string::npos)
        return trim(name, calc::kBlanks);
    return name.substr(0, colon + 1) + trim(name.substr(colon + 1), calc::kBlanks);
}

// A grid of the run: a usable count of at most the modules' limit.
bool UsableGrid(const CSpekContainer::SpekInfo& grid)
{
    const std::size_t count = grid.GetCount();
    return count > 0 && static_cast<double>(count) <= calc::kMaxGridPoints;
}

struct SortKey {
    bool hasNumber = false;
    double number = 0;
    std::string text;
};

SortKey KeyOf(const std::string& name)
{
    SortKey key;
    key.text = calc::ShortName(trim(name, calc::kBlanks));
    const auto nm = key.text.find("nm");
    if (nm == std::string::npos)
        return key;
    key.text.resize(nm);
    const auto blank = key.text.find(' ');
    if (blank == std::string::npos)
        return key;
    key.text.erase(0, blank + 1);
    key.number = number_text::ToDouble(key.text.c_str());
    key.hasNumber = key.number != 0;
    return key;
}

// Re-orders spectra of the tree: per group (the text before the last ":") the listed
// spectra are taken out and filed again as copies in sort order. Other spectra of those
// groups stay where they are.
void Reorder(SpectrumTree& tree, const std::list<Spectrum*>& spectra)
{
    std::vector<std::pair<std::string, std::vector<Spectrum>>> groups;
    std::set<std::string> seen;
    for (const Spectrum* s : spectra) {
        if (!seen.insert(s->GetName()).second)
            continue;
        const auto colon = s->GetName().rfind(':');
        const std::string group = colon == std::string::npos ? std::string() : s->GetName().substr(0, colon);
        auto it = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == group; });
        if (it == groups.end())
            it = groups.insert(groups.end(), {group, {}});
        it->second.push_back(*s);
    }
    for (auto& [group, copies] : groups) {
        // Insertion sort: the order is not a strict weak ordering when numbered and plain
        // names meet, which the library sorts do not allow.
        for (std::size_t i = 1; i < copies.size(); ++i)
            for (std::size_t j = i; j > 0 && NormalizeModule::SortsBefore(copies[j].GetName(), copies[j - 1].GetName());
                 --j)
                std::swap(copies[j], copies[j - 1]);
        for (const Spectrum& copy : copies)
            tree.DeleteInserters(copy.GetName());
        for (const Spectrum& copy : copies)
            calc::FileSpectrum(tree, std::make_unique<Spectrum>(copy));
    }
}

} // namespace

NormalizeModule::NormalizeModule()
    : calc::CalcModule("NormalizeModule")
    , m_seedSource(calc::ClockSeed)
{
    for (const char* entry : {"Null", "Werte", "Linear", "Hyperbolisch, abflachend"})
        m_extrapolators.addEntry(entry);
    for (const char* entry : {"Nächster Nachbar", "Linear Spline", "Kubisch Linear", "Kubisch Spline ausgleichend"})
        m_interpolators.addEntry(entry);

    ns_param::Paramora& p = getParameters();
    p.addDoubleParameter("SigScale", "", 1, 0, 1000000, 1);
    p.addDoubleParameter("SigOffset", "", 0, -1000000, 1000000, 0);
    p.addDoubleParameter("XStart", "", 0, 0, 1000000, 0);
    p.addDoubleParameter("XEnd", "", 0, 0, 1000000, 0);
    p.addDoubleParameter("XStep", "", 1, 0.01, 1000000, 0);
    p.addDoubleParameter("XShift", "", 0, -1000000, 1000000, 0);
    p.addStringParameter("SpecDesc", "", "", "");
    p.addStringParameter("RefSpecDesc", "", "", "");
    p.addStringParameter("TargetGroup", "", "", "");
    p.addStringParameter("SuchStr", "", "", "");
    p.addIntParameter("RandomAnz", "", 0, 0, 1000000, 0);
    p.addBoolParameter("SuchModus", "", false, false);
    p.addBoolParameter("UseTargetGroup", "", false, false);
    p.addBoolParameter("UseAutoMaxNorm", "", false, false);
    p.addBoolParameter("UseNoNegValues", "", false, false);
    p.addBoolParameter("AutoName", "", false, false);
    p.addBoolParameter("AutoNameSuche", "", false, false);
    p.addBoolParameter("AutoNameXShift", "", false, false);
    p.addBoolParameter("CleanFolder", "", false, false);
    p.addBoolParameter("SortSpecs", "", false, false);
    p.addIntParameter("IntPrec", "", 0, 0, 8, 0);
    p.addEnumParameter("Extrapolator", "", m_extrapolators, nullptr);
    p.addIntParameter("ExtrapolatorSel", "", 2, 0, 3, 2);
    p.addEnumParameter("Interpolator", "", m_interpolators, nullptr);
    p.addIntParameter("InterpolatorSel", "", 1, 0, 3, 1);

    m_interpolators.setIndex(1);
    m_extrapolators.setIndex(2);
    p.setEnumParameter("Interpolator", m_interpolators);
    p.setEnumParameter("Extrapolator", m_extrapolators);
}

NormalizeModule::~NormalizeModule() = default;

const CRuntimeClass* NormalizeModule::GetEditorClass()
{
    return RUNTIME_CLASS(CNormalizeForm);
}

std::vector<SAutomationPtrList> NormalizeModule::GetAutomationPtr()
{
    using F = SAutomationPtrList::Function;
    return {{"normalize", static_cast<F>(&NormalizeModule::normalize)},
            {"setrefspec", static_cast<F>(&NormalizeModule::setrefspec)}};
}

std::unique_ptr<IpolBase> NormalizeModule::MakeInterpolator(int index)
{
    switch (index) {
    case 0: return std::make_unique<IpolNachbar>();
    case 1: return std::make_unique<IpolLinSpline>();
    case 2: return std::make_unique<IpolKubSpline>();
    case 3: return std::make_unique<IpolAusglKubSpline>();
    default: return nullptr;
    }
}

std::unique_ptr<EpolBase> NormalizeModule::MakeExtrapolator(int index)
{
    switch (index) {
    case 0: return std::make_unique<EpolNull>();
    case 1: return std::make_unique<EpolWerte>();
    case 2: return std::make_unique<EpolLin>();
    case 3: return std::make_unique<EpolHyperbolAbflach>();
    default: return nullptr;
    }
}

NormalizeModule::Match NormalizeModule::SearchName(const std::string& searchText, const std::string& name)
{
    const std::string shortName = calc::ShortName(name);
    const auto fits = [&](const std::string& candidate) {
        return name.find(candidate) != std::string::npos || candidate.find(shortName) != std::string::npos;
    };
    Match match;
    std::string rest = searchText;
    for (auto semicolon = rest.rfind(';'); semicolon != std::string::npos; semicolon = rest.rfind(';')) {
        const std::string candidate = rest.substr(semicolon + 1);
        rest.resize(semicolon);
        if (fits(candidate)) {
            match = {true, candidate};
            break;
        }
    }
    if (fits(rest))
        match = {true, rest};
    return match;
}

bool NormalizeModule::SortsBefore(const std::string& a, const std::string& b)
{
    const SortKey ka = KeyOf(a);
    const SortKey kb = KeyOf(b);
    if (ka.hasNumber && kb.hasNumber)
        return ka.number < kb.number;
    return ka.text < kb.text;
}

long NormalizeModule::ShiftSteps(double shift)
{
    // 0.6 / 0.2 is 2.9999999999999996: the tolerance makes it 3; 0.5 stays 2, 0.1 stays 0.
    const double steps = std::clamp(shift / kFineStep, -1e12, 1e12);
    return static_cast<long>(std::trunc(steps + (steps > 0 ? 1e-9 : -1e-9)));
}

std::string NormalizeModule::ShiftSuffix(double shift, double scale)
{
    std::string suffix = shift < 0 ? "_m" + calc::FormatText("%3.1f", -shift) : "_p" + calc::FormatText("%3.1f", shift);
    if (scale != 1)
        suffix += "s" + calc::FormatText("%4.2f", scale);
    return suffix;
}

bool NormalizeModule::setrefspec()
{
    // It sets the grid from the reference and reads no number.
    RunScope run(*this, Numbers::Unread);
    if (!run)
        return false;
    SpectrumTree* tree = run.spectra;
    ModuleInterface* host = run.host;
    ns_param::Paramora& p = run.p;
    const std::list<Spectrum*> found = tree->GetInserters(*p.getStringParameter("RefSpecDesc"), false);
    if (found.empty() || found.front()->GetPointCount() == 0) {
        calc::LogError(host, kBadReference);
        return false;
    }
    Spectrum& reference = *found.front();
    const int n = reference.GetPointCount();
    if (n >= 2 && reference.IsEquiDistant(nullptr, nullptr, nullptr)) {
        p.setDoubleParameter("XStart", reference[0].x);
        p.setDoubleParameter("XEnd", reference[n - 1].x);
        // Points 1 and 2 give the step; a reference of two points has only x1 - x0.
        p.setDoubleParameter("XStep", n >= 3 ? reference[2].x - reference[1].x : reference[1].x - reference[0].x);
    } else {
        calc::LogHint(host, kNotEquidistant);
        p.setDoubleParameter("XStart", std::trunc(reference[0].x + 0.5));
        p.setDoubleParameter("XEnd", std::trunc(reference[n - 1].x + 0.5));
    }
    return true;
}

CSpekContainer::SpekInfo NormalizeModule::Settings::FineGrid() const
{
    return {grid.start, kFineStep, grid.end};
}

bool NormalizeModule::ReadRun(RunScope& run, Settings& set, std::vector<Spectrum>& sources)
{
    ns_param::Paramora& p = run.p;
    // The sources, copied now: later passes read these copies, whatever the run has
    // meanwhile deleted or replaced in the tree.
    set.specDesc = *p.getStringParameter("SpecDesc");
    for (const Spectrum* s : run.spectra->GetInserters(set.specDesc, false))
        sources.emplace_back(*s);
    if (sources.empty()) {
        calc::LogError(run.host, kNoSpectra);
        return false;
    }
    // A script can set any value, so everything read is checked.
    set.offset = *p.getDoubleParameter("SigOffset");
    set.scale = *p.getDoubleParameter("SigScale");
    set.randomCount = *p.getIntParameter("RandomAnz");
    set.searchExcludes = *p.getBoolParameter("SuchModus");
    set.grid = {*p.getDoubleParameter("XStart"), *p.getDoubleParameter("XStep"), *p.getDoubleParameter("XEnd")};
    set.intPrec = *p.getIntParameter("IntPrec");
    set.xShift = *p.getDoubleParameter("XShift");
    set.searchText = trim(*p.getStringParameter("SuchStr"), calc::kBlanks);
    const auto& [xStart, xStep, xEnd] = set.grid;
    if (!(xStart < xEnd && xStep != 0)) {
        calc::LogError(run.host, calc::kParameterError);
        return false;
    }
    if (!ParametersInRange())
        return false;
    set.targetGroup = *p.getStringParameter("TargetGroup");
    set.useTargetGroup = *p.getBoolParameter("UseTargetGroup");
    std::string groupProbe = set.targetGroup + ":x"; // a result name in the target group
    calc::CleanGroupPath(groupProbe);
    const bool valid = (!set.useTargetGroup || ns_tree::IsValidPath(groupProbe)) && std::isfinite(set.offset) &&
                       std::isfinite(set.scale) && std::isfinite(set.xShift) && xStart < xEnd && xStep > 0 &&
                       UsableGrid(set.grid) && (set.xShift == 0 || UsableGrid(set.FineGrid())) &&
                       set.randomCount >= 0 && set.randomCount <= kMaxDraws && set.intPrec >= 0 && set.intPrec <= 8;
    // The Sel numbers decide and are written into the enumerations.
    set.extrapolator = valid ? calc::SyncEnumFromSel(p, "Extrapolator") : -1;
    set.interpolator = valid ? calc::SyncEnumFromSel(p, "Interpolator") : -1;
    if (!valid || !MakeExtrapolator(set.extrapolator) || !MakeInterpolator(set.interpolator)) {
        calc::LogError(run.host, calc::kParameterError);
        return false;
    }
    set.autoMaxNorm = *p.getBoolParameter("UseAutoMaxNorm");
    set.noNegValues = *p.getBoolParameter("UseNoNegValues");
    set.autoName = *p.getBoolParameter("AutoName");
    set.autoNameXShift = *p.getBoolParameter("AutoNameXShift");
    set.sortSpecs = *p.getBoolParameter("SortSpecs");
    return true;
}

std::vector<SPoint> NormalizeModule::Normalized(const Settings& set, NormalizeSpek& resampler, const Spectrum& source)
{
    const int count = source.GetPointCount();
    std::vector<double> x(static_cast<std::size_t>(count)), y(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const SPoint point = source[i];
        x[static_cast<std::size_t>(i)] = point.x;
        y[static_cast<std::size_t>(i)] = point.y * set.scale + set.offset;
    }
    CMBTarget values;
    if (set.xShift != 0) {
        // On the fine grid, value j of the shifted curve is value j - s of the curve.
        const CSpekContainer::SpekInfo fine = set.FineGrid();
        const CMBTarget fineValues = resampler.run(x, y, fine, 0.0, 1.0, 0);
        const long fineCount = fineValues.GetDim();
        const long shiftSteps = ShiftSteps(set.xShift);
        std::vector<double> shiftedX, shiftedY;
        for (long j = 0; j < fineCount; ++j) {
            const long from = j - shiftSteps;
            if (from >= 0 && from < fineCount) {
                shiftedX.push_back(fine.GetX(static_cast<std::size_t>(j)));
                shiftedY.push_back(fineValues.Values()[static_cast<std::size_t>(from)]);
            }
        }
        values = resampler.run(shiftedX, shiftedY, set.grid, 0.0, 1.0, 0);
    } else {
        values = resampler.run(x, y, set.grid, 0.0, 1.0, 0);
    }
    double divisor = 1;
    if (set.autoMaxNorm && values.GetDim() > 0) {
        const double maximum = *std::max_element(values.Values().begin(), values.Values().end());
        if (maximum > 0)
            divisor = maximum;
    }
    const double roundFactor = std::pow(10.0, set.intPrec);
    std::vector<SPoint> points;
    points.reserve(values.Values().size());
    for (std::size_t k = 0; k < values.Values().size(); ++k) {
        double value = values.Values()[k] / divisor;
        if (set.noNegValues && value < 0)
            value = 0;
        points.push_back(calc::ClampedPoint(runden(set.grid.GetX(k) * roundFactor) / roundFactor, value));
    }
    return points;
}

void NormalizeModule::FileResult(SpectrumTree& tree, const Settings& set, const Spectrum& source,
                                 const std::string& matched, const std::vector<SPoint>& points, Filed& filed)
{
    const std::string& name = source.GetName();
    auto result = std::make_unique<Spectrum>();
    result->SetColor(source.GetColor());
    for (const SPoint& point : points)
        result->AddPoint(point);
    if (!set.useTargetGroup && set.xShift != 0 && set.autoNameXShift) {
        // A shifted copy below "XShift", named after its source (the group level is
        // dissolved after the run).
        std::string resultName = TrimLeaf(std::string(kShiftGroup) + ":" + name + ShiftSuffix(set.xShift, set.scale));
        calc::CleanGroupPath(resultName);
        result->SetName(resultName);
        calc::FileSpectrum(tree, std::move(result));
    } else if (!set.useTargetGroup) {
        // In place: the spectrum the tree holds under the source's name now.
        if (Spectrum* now = tree.GetInserterByName(name)) {
            now->ClearPoints();
            for (const SPoint& point : points)
                now->AddPoint(point);
        } else {
            result->SetName(name);
            calc::FileSpectrum(tree, std::move(result));
        }
    } else {
        std::string shortName = calc::ShortName(name);
        strremove(&shortName, ';');
        strremove(&shortName, '%');
        std::string group = set.targetGroup;
        if (set.autoName && !matched.empty())
            group += "_" + matched;
        std::string resultName = group + ":" + shortName;
        if (set.xShift != 0 && set.autoNameXShift)
            resultName += ShiftSuffix(set.xShift, set.scale);
        resultName = TrimLeaf(resultName);
        calc::CleanGroupPath(resultName);
        if (tree.GetNodeByName(resultName, false, false))
            tree.DeleteInserters(resultName);
        result->SetName(resultName);
        calc::FileSpectrum(tree, std::move(result));
        filed.lastGroup = group;
        filed.toGroup = true;
    }
}

void NormalizeModule::FileUnfound(SpectrumTree& tree, const Spectrum& source)
{
    auto copy = std::make_unique<Spectrum>(source);
    std::string copyName = kUnfoundGroup + calc::ShortName(source.GetName());
    NormColons(copyName);
    copy->SetName(copyName);
    calc::FileSpectrum(tree, std::move(copy));
}

void NormalizeModule::TidyUp(SpectrumTree& tree, const Settings& set, Filed& filed)
{
    // Shifted copies leave the "XShift" level.
    if (set.xShift != 0 && set.autoNameXShift) {
        std::vector<Spectrum> shifted;
        for (const Spectrum* s : tree.GetInserters(kShiftGroup, false))
            if (s->GetName().starts_with(std::string(kShiftGroup) + ":"))
                shifted.emplace_back(*s);
        for (const Spectrum& s : shifted) {
            std::string newName = s.GetName();
            NormColons(newName);
            newName = TrimLeaf(newName);
            newName.erase(0, newName.find(':') + 1);
            auto copy = std::make_unique<Spectrum>(s);
            copy->SetName(newName);
            if (calc::FileSpectrum(tree, std::move(copy)))
                tree.DeleteInserters(s.GetName());
        }
    }
    if (!set.sortSpecs)
        return;
    if (!set.useTargetGroup) {
        std::vector<std::string> entries;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = std::min(set.specDesc.find(';', start), set.specDesc.size());
            entries.push_back(trim(set.specDesc.substr(start, end - start), calc::kBlanks));
            if (end == set.specDesc.size())
                break;
            start = end + 1;
        }
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            Reorder(tree, tree.GetInserters(*it, false));
    } else if (filed.toGroup) {
        calc::CleanGroupPath(filed.lastGroup);
        Reorder(tree, tree.GetInserters(filed.lastGroup, false));
    }
}

bool NormalizeModule::normalize()
{
    // The sources and the grid have their own lines before the range rule.
    RunScope run(*this, Numbers::AfterOwnChecks);
    if (!run)
        return false;
    Settings set;
    std::vector<Spectrum> sources;
    if (!ReadRun(run, set, sources))
        return false;
    ModuleInterface* host = run.host;
    const std::unique_ptr<EpolBase> extrapolator = MakeExtrapolator(set.extrapolator);
    const std::unique_ptr<IpolBase> interpolator = MakeInterpolator(set.interpolator);
    NormalizeSpek resampler(interpolator.get(), extrapolator.get());
    host->SetProgressBarPercentage(0);

    // One pass per spectrum, or RandomAnz draws.
    const int n = static_cast<int>(sources.size());
    const int passes = set.randomCount > 0 ? set.randomCount : n;
    bool unfound = false;
    Filed filed;
    for (int pass = 0; pass < passes; ++pass) {
        // An abort keeps what was filed so far and still tidies up below.
        if (host->UserWantsAbort()) {
            calc::LogHint(host, kAborted);
            break;
        }
        int index = pass;
        if (set.randomCount > 0) {
            std::mt19937 generator(m_seedSource());
            index = std::uniform_int_distribution<int>(0, n - 1)(generator);
        }
        const Spectrum& source = sources[static_cast<std::size_t>(index)];
        Match match;
        if (!set.searchText.empty()) {
            match = SearchName(set.searchText, source.GetName());
            if (set.searchExcludes ? match.found : (!match.found || match.text.empty())) {
                if (!set.searchExcludes) {
                    FileUnfound(*run.spectra, source);
                    unfound = true;
                }
                continue;
            }
        }
        host->SetStatusText("Normalisiere Spektrum " + std::to_string(index + 1) + " von " + std::to_string(n));
        FileResult(*run.spectra, set, source, match.text, Normalized(set, resampler, source), filed);
        // Passes done, not the index drawn: random draws would make the bar jump.
        host->SetProgressBarPercentage(static_cast<double>(pass + 1) * 100 / passes);
    }
    TidyUp(*run.spectra, set, filed);
    if (unfound) {
        calc::LogHint(host, kUnfoundHint);
        return false;
    }
    return true;
}
