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

bool NormalizeModule::normalize()
{
    // The sources and the grid have their own lines before the range rule.
    RunScope run(*this, Numbers::AfterOwnChecks);
    if (!run)
        return false;
    SpectrumTree* tree = run.spectra;
    ModuleInterface* host = run.host;
    ns_param::Paramora& p = run.p;

    // 1. The sources, copied now: later passes read these copies, whatever the run has
    //    meanwhile deleted or replaced in the tree.
    const std::string specDesc = *p.getStringParameter("SpecDesc");
    std::vector<Spectrum> sources;
    for (const Spectrum* s : tree->GetInserters(specDesc, false))
        sources.emplace_back(*s);
    if (sources.empty()) {
        calc::LogError(host, kNoSpectra);
        return false;
    }

    // 2., 3. Parameters; a script can set any value, so everything read is checked.
    const double offset = *p.getDoubleParameter("SigOffset");
    const double scale = *p.getDoubleParameter("SigScale");
    const int randomCount = *p.getIntParameter("RandomAnz");
    const bool searchExcludes = *p.getBoolParameter("SuchModus");
    const double xStart = *p.getDoubleParameter("XStart");
    const double xEnd = *p.getDoubleParameter("XEnd");
    const double xStep = *p.getDoubleParameter("XStep");
    const int intPrec = *p.getIntParameter("IntPrec");
    const double xShift = *p.getDoubleParameter("XShift");
    const std::string searchText = trim(*p.getStringParameter("SuchStr"), calc::kBlanks);
    if (!(xStart < xEnd && xStep != 0)) {
        calc::LogError(host, calc::kParameterError);
        return false;
    }
    if (!ParametersInRange())
        return false;
    const CSpekContainer::SpekInfo target{xStart, xStep, xEnd};
    const CSpekContainer::SpekInfo fine{xStart, kFineStep, xEnd};
    const std::string targetGroup = *p.getStringParameter("TargetGroup");
    const bool useTargetGroup = *p.getBoolParameter("UseTargetGroup");
    std::string groupProbe = targetGroup + ":x"; // a result name in the target group
    calc::CleanGroupPath(groupProbe);
    const bool valid = (!useTargetGroup || ns_tree::IsValidPath(groupProbe)) && std::isfinite(offset) && std::isfinite(scale) && std::isfinite(xShift) && xStart < xEnd
                       && xStep > 0 && UsableGrid(target) && (xShift == 0 || UsableGrid(fine)) && randomCount >= 0
                       && randomCount <= kMaxDraws && intPrec >= 0 && intPrec <= 8;
    // 4., 5. The Sel numbers decide and are written into the enumerations.
    const int extrapolatorIndex = valid ? calc::SyncEnumFromSel(p, "Extrapolator") : -1;
    const int interpolatorIndex = valid ? calc::SyncEnumFromSel(p, "Interpolator") : -1;
    std::unique_ptr<EpolBase> extrapolator = MakeExtrapolator(extrapolatorIndex);
    std::unique_ptr<IpolBase> interpolator = MakeInterpolator(interpolatorIndex);
    if (!valid || !extrapolator || !interpolator) {
        calc::LogError(host, calc::kParameterError);
        return false;
    }
    NormalizeSpek resampler(interpolator.get(), extrapolator.get());

    // 6.
    host->SetProgressBarPercentage(0);
    [[maybe_unused]] const bool cleanFolder = *p.getBoolParameter("CleanFolder");
    const bool autoMaxNorm = *p.getBoolParameter("UseAutoMaxNorm");
    const bool noNegValues = *p.getBoolParameter("UseNoNegValues");
    const bool autoName = *p.getBoolParameter("AutoName");
    const bool autoNameXShift = *p.getBoolParameter("AutoNameXShift");
    const double roundFactor = std::pow(10.0, intPrec);
    const std::string suffix = ShiftSuffix(xShift, scale);
    const int n = static_cast<int>(sources.size());
    const long shiftSteps = ShiftSteps(xShift);

    // 7. One pass per spectrum, or RandomAnz draws.
    bool unfound = false;
    std::string lastGroup;
    bool wroteToGroup = false;
    const int passes = randomCount > 0 ? randomCount : n;
    std::vector<double> x, y, shiftedX, shiftedY;
    for (int pass = 0; pass < passes; ++pass) {
        // An abort keeps what was filed so far and still tidies up below.
        if (host->UserWantsAbort()) {
            calc::LogHint(host, kAborted);
            break;
        }
        int index = pass;
        if (randomCount > 0) {
            std::mt19937 generator(m_seedSource());
            index = std::uniform_int_distribution<int>(0, n - 1)(generator);
        }
        const Spectrum& source = sources[static_cast<std::size_t>(index)];
        const std::string& name = source.GetName();

        // 8. Name search.
        std::string matched;
        if (!searchText.empty()) {
            const Match match = SearchName(searchText, name);
            matched = match.text;
            if (searchExcludes) {
                if (match.found)
                    continue;
            } else if (!match.found || match.text.empty()) {
                auto copy = std::make_unique<Spectrum>(source);
                std::string copyName = kUnfoundGroup + calc::ShortName(name);
                NormColons(copyName);
                copy->SetName(copyName);
                calc::FileSpectrum(*tree, std::move(copy));
                unfound = true;
                continue;
            }
        }

        // 9. Processing.
        const int position = index + 1;
        host->SetStatusText("Normalisiere Spektrum " + std::to_string(position) + " von " + std::to_string(n));
        const int count = source.GetPointCount();
        x.resize(static_cast<std::size_t>(count));
        y.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const SPoint point = source[i];
            x[static_cast<std::size_t>(i)] = point.x;
            y[static_cast<std::size_t>(i)] = point.y * scale + offset;
        }
        CMBTarget values;
        if (xShift != 0) {
            // On the fine grid, value j of the shifted curve is value j - s of the curve.
            const CMBTarget fineValues = resampler.run(x, y, fine, 0.0, 1.0, 0);
            const long fineCount = fineValues.GetDim();
            shiftedX.clear();
            shiftedY.clear();
            for (long j = 0; j < fineCount; ++j) {
                const long from = j - shiftSteps;
                if (from >= 0 && from < fineCount) {
                    shiftedX.push_back(fine.GetX(static_cast<std::size_t>(j)));
                    shiftedY.push_back(fineValues.Values()[static_cast<std::size_t>(from)]);
                }
            }
            values = resampler.run(shiftedX, shiftedY, target, 0.0, 1.0, 0);
        } else {
            values = resampler.run(x, y, target, 0.0, 1.0, 0);
        }
        double divisor = 1;
        if (autoMaxNorm && values.GetDim() > 0) {
            const double maximum = *std::max_element(values.Values().begin(), values.Values().end());
            if (maximum > 0)
                divisor = maximum;
        }
        std::vector<SPoint> points;
        points.reserve(values.Values().size());
        for (std::size_t k = 0; k < values.Values().size(); ++k) {
            double value = values.Values()[k] / divisor;
            if (noNegValues && value < 0)
                value = 0;
            points.push_back(calc::ClampedPoint(runden(target.GetX(k) * roundFactor) / roundFactor, value));
        }
        auto result = std::make_unique<Spectrum>();
        result->SetColor(source.GetColor());
        for (const SPoint& point : points)
            result->AddPoint(point);

        if (!useTargetGroup && xShift != 0 && autoNameXShift) {
            // A shifted copy below "XShift", named after its source (the group level is
            // dissolved after the run).
            std::string resultName = TrimLeaf(std::string(kShiftGroup) + ":" + name + suffix);
            calc::CleanGroupPath(resultName);
            result->SetName(resultName);
            calc::FileSpectrum(*tree, std::move(result));
        } else if (!useTargetGroup) {
            // In place: the spectrum the tree holds under the source's name now.
            if (Spectrum* now = tree->GetInserterByName(name)) {
                now->ClearPoints();
                for (const SPoint& point : points)
                    now->AddPoint(point);
            } else {
                result->SetName(name);
                calc::FileSpectrum(*tree, std::move(result));
            }
        } else {
            std::string shortName = calc::ShortName(name);
            strremove(&shortName, ';');
            strremove(&shortName, '%');
            std::string group = targetGroup;
            if (autoName && !matched.empty())
                group += "_" + matched;
            std::string resultName = group + ":" + shortName;
            if (xShift != 0 && autoNameXShift)
                resultName += suffix;
            resultName = TrimLeaf(resultName);
            calc::CleanGroupPath(resultName);
            if (tree->GetNodeByName(resultName, false, false))
                tree->DeleteInserters(resultName);
            result->SetName(resultName);
            calc::FileSpectrum(*tree, std::move(result));
            lastGroup = group;
            wroteToGroup = true;
        }
        // Passes done, not the index drawn: random draws would make the bar jump.
        host->SetProgressBarPercentage(static_cast<double>(pass + 1) * 100 / passes);
    }

    // 10. Shifted copies leave the "XShift" level.
    if (xShift != 0 && autoNameXShift) {
        std::vector<Spectrum> shifted;
        for (const Spectrum* s : tree->GetInserters(kShiftGroup, false))
            if (s->GetName().starts_with(std::string(kShiftGroup) + ":"))
                shifted.emplace_back(*s);
        for (const Spectrum& s : shifted) {
            std::string newName = s.GetName();
            NormColons(newName);
            newName = TrimLeaf(newName);
            newName.erase(0, newName.find(':') + 1);
            auto copy = std::make_unique<Spectrum>(s);
            copy->SetName(newName);
            if (calc::FileSpectrum(*tree, std::move(copy)))
                tree->DeleteInserters(s.GetName());
        }
    }

    // 11. Sorting.
    if (*p.getBoolParameter("SortSpecs")) {
        if (!useTargetGroup) {
            std::vector<std::string> entries;
            std::size_t start = 0;
            for (;;) {
                const std::size_t end = std::min(specDesc.find(';', start), specDesc.size());
                entries.push_back(trim(specDesc.substr(start, end - start), calc::kBlanks));
                if (end == specDesc.size())
                    break;
                start = end + 1;
            }
            for (auto it = entries.rbegin(); it != entries.rend(); ++it)
                Reorder(*tree, tree->GetInserters(*it, false));
        } else if (wroteToGroup) {
            calc::CleanGroupPath(lastGroup);
            Reorder(*tree, tree->GetInserters(lastGroup, false));
        }
    }

    // 12.
    if (unfound) {
        calc::LogHint(host, kUnfoundHint);
        return false;
    }
    return true;
}
