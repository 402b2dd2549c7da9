#include "calculation/rem_trans_spec_module.h"

#include "calculation/point_arithmetic.h"
#include "calculation/rem_trans_spec_form.h"
#include "calculation/spectrum_screening.h"

#include "core/module_interface.h"
#include "core/number_text.h"
#include "core/string_helpers.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <set>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

constexpr char kNoSpectra[] = "Fehler: Es wurden keine Spektren ausgewählt!";
constexpr char kEmptyB[] = "Fehler: Eingabefeld B ist leer!";
constexpr char kBNumber[] = "Hinweis: Eingabefeld B als Zahl interpretiert! Prüfen Sie, ob die Zahl richtig "
                            "(Dezimalpunkt, nur ein Vorzeichen) eingegeben wurde.";
constexpr char kBRandom[] = "Hinweis: Eingabefeld B als Zahl interpretiert und randomisiert verwendet! Prüfen Sie, "
                            "ob die Zahl richtig (Dezimalpunkt, nur ein Vorzeichen) eingegeben wurde und der "
                            "Anwendungsmodus passt.";
constexpr char kBSpectra[] = "Hinweis: Eingabefeld B als Spektrum interpretiert! ";
constexpr char kBNotEqui[] = "Fehler: Spektrenauswahl 2 nicht äquidistant. Bitte führen Sie eine Normalisierung aus!";
constexpr char kANotEqui[] = "Fehler: Spektrenauswahl 1 nicht äquidistant. Bitte führen Sie eine Normalisierung aus!";
constexpr char kGridsDiffer[] = "Fehler: Spektrenauswahl 1 und 2 haben ungleiche Defintionsbereiche. Bitte führen Sie "
                                "eine Normalisierung aus!";
constexpr char kRecursionA[] = "Fehler: Diese Rekursion ist nicht erlaubt";
constexpr char kRecursionB[] = "Fehler: Rekursion ist hier nicht erlaubt";
constexpr char kNotFinite[] = "Fehler: Ergebnis nicht endlich (Division durch 0 oder Zahlenüberlauf) bei Spektrum "
                             "%s! Es wurden keine Ergebnisse abgelegt.";
constexpr char kBadArgument[] = "Hinweis:  Ungültiges Argument bei Spektrum %s und Wellenlänge %d!";
constexpr char kUnusedGroup[] = "ResSpec:UnusedSpecs";
constexpr char kNoKeywords[] = "12345678910";
constexpr char kResultGroup[] = "ResSpec:";

// A working spectrum: name, colour and points, independent of the tree.
struct Curve {
    std::string name;
    COLORREF colour = 0;
    std::vector<double> x, y;
};

Curve CurveOf(const Spectrum& s)
{
    Curve c{s.GetName(), s.GetColor(), {}, {}};
    c.x.resize(static_cast<std::size_t>(s.GetPointCount()));
    c.y.resize(c.x.size());
    s.getXPointsAsArray(c.x.data());
    s.getYPointsAsArray(c.y.data());
    return c;
}

// One grid for all: sorted, equidistant with a step (two points or more). The grid's first
// step, first and last x go to the outputs.
bool SameGrid(const std::vector<Spectrum*>& list, double& step, double& minX, double& maxX)
{
    SpectrumList spectra;
    spectra.assign(list.begin(), list.end());
    return spectra.SpecsSameEquiDistant(&step, &minX, &maxX) && step > 0;
}

// The wavelength as the hint prints it.
int WavelengthInt(double x)
{
    return std::isfinite(x) && x > INT_MIN && x < INT_MAX ? static_cast<int>(x) : 0;
}

std::unique_ptr<Spectrum> MakeResult(std::string name, COLORREF colour, const std::vector<double>& x,
                                     const std::vector<double>& y)
{
    calc::CleanGroupPath(name);
    auto result = std::make_unique<Spectrum>();
    result->SetName(name);
    result->SetColor(colour);
    result->ReservePoints(static_cast<int>(x.size()));
    for (std::size_t j = 0; j < x.size() && j < y.size(); ++j)
        result->AddPoint(calc::ClampedPoint(x[j], y[j]));
    return result;
}

// The paths of a ";"-selection as the tree resolves them: trimmed, a trailing ":*" off, tidied.
std::vector<std::string> SelectionPaths(const std::string& selection)
{
    std::vector<std::string> paths;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(selection.find(';', start), selection.size());
        std::string path = trim(selection.substr(start, end - start), calc::kBlanks);
        if (path.size() >= 2 && path.compare(path.size() - 2, 2, ":*") == 0)
            path.resize(path.size() - 2);
        calc::CleanGroupPath(path);
        if (!path.empty())
            paths.push_back(path);
        if (end == selection.size())
            return paths;
        start = end + 1;
    }
}

bool Inside(const std::string& path, const std::string& group)
{
    return path.size() > group.size() && path.compare(0, group.size(), group) == 0 && path[group.size()] == ':';
}

} // namespace

RemTransSpecModule::RemTransSpecModule()
    : calc::CalcModule("Calculation_RemTransSpec")
    , m_seedSource(calc::ClockSeed)
{
    for (int op = 1; op <= point_arith::kOpCount; ++op)
        m_functions.addEntry(point_arith::EntryText(op));

    ns_param::Paramora& p = getParameters();
    p.addStringParameter("LightSpecDesc", "", "", "");
    p.addStringParameter("SpecDesc", "", "", "");
    p.addStringParameter("TargetGroup", "", "", "");
    p.addBoolParameter("UseInputNamesForGroups", "", true, false);
    p.addBoolParameter("CalcOnlySameNames", "", false, false);
    p.addBoolParameter("AutoName", "", false, false);
    p.addBoolParameter("CheckSpecs", "", false, false);
    p.addBoolParameter("GroupedProc", "", false, false);
    p.addBoolParameter("AddArithToNames", "", false, false);
    p.addBoolParameter("RandomCalc", "", false, false);
    p.addEnumParameter("Aritmetikfunc", "", m_functions, nullptr);
    p.addIntParameter("AritmetikfuncSel", "", 0, 0, 16, 0);
}

RemTransSpecModule::~RemTransSpecModule() = default;

const CRuntimeClass* RemTransSpecModule::GetEditorClass()
{
    return RUNTIME_CLASS(CRemTransSpecForm);
}

std::vector<SAutomationPtrList> RemTransSpecModule::GetAutomationPtr()
{
    return {{"calculate", static_cast<SAutomationPtrList::Function>(&RemTransSpecModule::calculate)}};
}

std::string RemTransSpecModule::PairShortName(const std::string& name, bool grouped)
{
    const auto last = name.rfind(':');
    if (last == std::string::npos)
        return trim(name, calc::kBlanks);
    if (!grouped)
        return trim(name.substr(last + 1), calc::kBlanks);
    const auto before = last == 0 ? std::string::npos : name.rfind(':', last - 1);
    return trim(before == std::string::npos ? name : name.substr(before + 1), calc::kBlanks);
}

std::string RemTransSpecModule::StatisticsName(const std::string& selection, const std::string& firstName)
{
    if (selection.find(';') != std::string::npos)
        return "variousSpecs";
    return trim(firstName.substr(0, firstName.find(':')), calc::kBlanks);
}

std::string RemTransSpecModule::FunctionName(const std::string& name)
{
    if (name.find(':') == std::string::npos)
        return trim(name, calc::kBlanks);
    std::string shortened = name;
    if (shortened.find("ResSpec") != std::string::npos)
        shortened.erase(0, std::min<std::size_t>(8, shortened.size()));
    if (std::count(shortened.begin(), shortened.end(), ':') > 1) {
        const auto last = shortened.rfind(':');
        shortened.erase(0, shortened.rfind(':', last - 1) + 1);
    }
    return trim(shortened, calc::kBlanks);
}

bool RemTransSpecModule::IsRecursion(const std::string& targetGroup, const std::string& selection)
{
    std::string target = trim(targetGroup, calc::kBlanks);
    calc::CleanGroupPath(target);
    if (target.empty())
        return false;
    for (const std::string& path : SelectionPaths(selection))
        if (Inside(path, target) || Inside(target, path))
            return true;
    return false;
}

bool RemTransSpecModule::calculate()
{
    // An empty A selection has its own line before the range rule.
    RunScope run(*this, Numbers::AfterOwnChecks);
    if (!run)
        return false;
    SpectrumTree* tree = run.spectra;
    ModuleInterface* host = run.host;
    ns_param::Paramora& p = run.p;

    const bool sameNames = *p.getBoolParameter("CalcOnlySameNames");
    const bool checkSpecs = *p.getBoolParameter("CheckSpecs");
    const bool grouped = *p.getBoolParameter("GroupedProc");
    const bool addArith = *p.getBoolParameter("AddArithToNames");
    const bool randomCalc = *p.getBoolParameter("RandomCalc");
    const std::string lightDesc = *p.getStringParameter("LightSpecDesc");
    const std::string specDesc = *p.getStringParameter("SpecDesc");
    const std::string targetGroup = *p.getStringParameter("TargetGroup");

    const std::list<Spectrum*> found = tree->GetInserters(lightDesc, false);
    if (found.empty()) {
        calc::LogError(host, kNoSpectra);
        return false;
    }
    if (!ParametersInRange())
        return false;
    const int index = calc::SyncEnumFromSel(p, "Aritmetikfunc");
    if (index < 0) {
        calc::LogError(host, calc::kParameterError);
        return false;
    }
    const int op = index + 1;

    // B: a constant or a second selection, copied before anything is filed (a result may
    // replace a B spectrum).
    bool pairwise = false;
    double constant = 0;
    std::vector<Curve> bCurves;
    double bStep = 0, bMin = 0, bMax = 0;
    if (op <= point_arith::kLess) {
        if (specDesc.empty()) {
            calc::LogError(host, kEmptyB);
            return false;
        }
        const std::string text = trim(specDesc, calc::kBlanks);
        if (isNumber(text)) {
            calc::LogHint(host, randomCalc ? kBRandom : kBNumber);
            constant = number_text::ToDouble(text.c_str());
        } else {
            calc::LogHint(host, kBSpectra);
            pairwise = true;
            const std::list<Spectrum*> bFound = tree->GetInserters(specDesc, false);
            std::vector<Spectrum*> bList(bFound.begin(), bFound.end());
            if (!bList.empty() && !SameGrid(bList, bStep, bMin, bMax)) {
                calc::LogError(host, kBNotEqui);
                return false;
            }
            for (const Spectrum* s : bList)
                bCurves.push_back(CurveOf(*s));
        }
    }

    // Working list of A, screened for the statistics on request. Screening files copies in
    // the tree, which may replace inputs: it works on copies. Otherwise nothing is filed
    // before the curves are taken, and the inputs are read where they stand.
    std::vector<Spectrum> copies;
    std::vector<Spectrum*> work;
    if (checkSpecs && op >= point_arith::kMean && op <= point_arith::kMeanSigma) {
        copies.reserve(found.size());
        for (const Spectrum* s : found)
            copies.emplace_back(*s);
        bool any = false;
        double largest = 0, smallest = 0;
        for (const Spectrum& s : copies) {
            for (int j = 5; j <= s.GetPointCount() - 6; ++j) {
                const double y = s[j].y;
                largest = !any || y > largest ? y : largest;
                smallest = !any || y < smallest ? y : smallest;
                any = true;
            }
        }
        const double threshold = 0.00025 * (largest - smallest);
        for (Spectrum& s : copies)
            if (calc::ScreenSpectrum(*tree, s, threshold, kNoKeywords, kUnusedGroup))
                work.push_back(&s);
        if (work.empty())
            for (Spectrum& s : copies)
                work.push_back(&s);
    } else {
        work.assign(found.begin(), found.end());
    }

    double aStep = 0, aMin = 0, aMax = 0;
    if (!SameGrid(work, aStep, aMin, aMax)) {
        calc::LogError(host, kANotEqui);
        return false;
    }
    if (pairwise && (bCurves.empty() || aStep != bStep || aMin != bMin || aMax != bMax)) {
        calc::LogError(host, kGridsDiffer);
        return false;
    }
    if (!targetGroup.empty() && !lightDesc.empty() && targetGroup.size() != lightDesc.size()
        && IsRecursion(targetGroup, lightDesc)) {
        calc::LogError(host, kRecursionA);
        return false;
    }
    if (pairwise && !targetGroup.empty() && targetGroup.size() != specDesc.size()
        && IsRecursion(targetGroup, specDesc)) {
        calc::LogError(host, kRecursionB);
        return false;
    }

    std::vector<Curve> curves;
    curves.reserve(work.size());
    for (const Spectrum* s : work)
        curves.push_back(CurveOf(*s));
    work.clear();
    copies.clear();

    const std::string group = targetGroup.empty() ? std::string(kResultGroup) : targetGroup + ":";
    const std::string suffix = point_arith::Suffix(op);
    const std::string arithSuffix = addArith ? suffix : std::string();
    const std::size_t n = curves.size();
    std::vector<double> out;

    // A result that is not finite (a divisor of 0, an overflow) refuses the run before anything
    // is filed. The bounds prove most runs finite without a pass over the pairs.
    double aLargest = 0;
    if (op <= point_arith::kLess)
        for (const Curve& a : curves)
            aLargest = std::max(aLargest, point_arith::LargestMagnitude(a.y));
    const auto refuseNotFinite = [&](const std::string& names) {
        calc::LogError(host, calc::FormatText(kNotFinite, names.c_str()));
        return false;
    };

    if (op <= point_arith::kLess && !pairwise) {
        std::vector<double> constants(n, constant);
        if (randomCalc)
            for (double& b : constants) {
                point_arith::NormalDeviates deviates(m_seedSource());
                b = point_arith::RandomConstant(constant, deviates);
            }
        for (std::size_t k = 0; k < n; ++k) {
            const double b = constants[k];
            if (!point_arith::ProvenFinite(op, aLargest, std::fabs(b), std::fabs(b + point_arith::kConstantDivShift))
                && !point_arith::CombineFinite(op, curves[k].y, b, point_arith::kConstantDivShift))
                return refuseNotFinite(curves[k].name);
        }
        for (std::size_t k = 0; k < n; ++k) {
            const Curve& a = curves[k];
            const double b = constants[k];
            host->SetStatusText(calc::FormatText("Verrechne Spektrum %zu von %zu", k + 1, n));
            out.resize(a.y.size());
            point_arith::Combine(op, a.y, b, point_arith::kConstantDivShift, out);
            calc::FileSpectrum(*tree, MakeResult(group + calc::TrimmedShortName(a.name) + arithSuffix, a.colour, a.x, out));
            host->SetProgressBarPercentage(static_cast<double>(k + 1) * 100.0 / static_cast<double>(n));
            if (host->UserWantsAbort())
                break;
        }
        return true;
    }

    if (pairwise) {
        const std::size_t m = bCurves.size();
        std::vector<std::string> bLeaves;
        std::vector<double> bShifts;
        for (std::size_t k = 0; k < m; ++k) {
            bLeaves.push_back(calc::TrimmedShortName(bCurves[k].name));
            bShifts.push_back(point_arith::PairwiseDivShift(bCurves[k].y));
        }
        // B's spectra by trimmed leaf: indices sorted by leaf, equal leaves in selection order.
        std::vector<std::size_t> byLeaf(m);
        for (std::size_t k = 0; k < m; ++k)
            byLeaf[k] = k;
        std::stable_sort(byLeaf.begin(), byLeaf.end(),
                         [&](std::size_t x, std::size_t y) { return bLeaves[x] < bLeaves[y]; });
        const double total = static_cast<double>(n) * static_cast<double>(m);
        long long shownPercent = -1;
        // Status and progress only when the shown percent changes, and at the last pair.
        const auto report = [&](std::size_t pair) {
            const double percent = static_cast<double>(pair) * 100.0 / total;
            const auto shown = static_cast<long long>(percent);
            if (shown == shownPercent && static_cast<double>(pair) != total)
                return;
            shownPercent = shown;
            host->SetStatusText(calc::FormatText("Verrechne Spektren %zu von %zu", pair, n * m));
            host->SetProgressBarPercentage(percent);
        };
        std::vector<std::size_t> all(m);
        for (std::size_t k = 0; k < m; ++k)
            all[k] = k;
        // The B spectra of an A spectrum: all, or those of its short name.
        const auto partnersOf = [&](const std::string& shortName) -> std::span<const std::size_t> {
            if (!sameNames)
                return all;
            const auto [from, to] = std::equal_range(
                byLeaf.begin(), byLeaf.end(), shortName, [&](const auto& x, const auto& y) {
                    if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::size_t>)
                        return bLeaves[x] < y;
                    else
                        return x < bLeaves[y];
                });
            return std::span<const std::size_t>(byLeaf.data() + (from - byLeaf.begin()), to - from);
        };
        std::vector<bool> proven(m);
        for (std::size_t k = 0; k < m; ++k)
            proven[k] = point_arith::ProvenFinite(op, aLargest, point_arith::LargestMagnitude(bCurves[k].y),
                                                  point_arith::SmallestDivisor(bCurves[k].y, bShifts[k]));
        if (std::find(proven.begin(), proven.end(), false) != proven.end())
            for (const Curve& a : curves)
                for (std::size_t k : partnersOf(PairShortName(a.name, grouped)))
                    if (!proven[k] && !point_arith::CombineFinite(op, a.y, bCurves[k].y, bShifts[k]))
                        return refuseNotFinite(a.name + " / " + bCurves[k].name);
        // Results are filed in batches. What stands under a result's name is removed first,
        // for a whole batch at once: the tree walks all its objects for every removal.
        constexpr std::size_t kBatch = 1024;
        std::vector<std::unique_ptr<Spectrum>> batch;
        const auto flush = [&] {
            // The last result of a name wins, as when each replaced the one before it.
            std::set<std::string> later;
            std::vector<bool> keep(batch.size());
            for (std::size_t r = batch.size(); r-- > 0;)
                keep[r] = later.insert(batch[r]->GetName()).second;
            std::string standing;
            for (std::size_t r = 0; r < batch.size(); ++r) {
                const std::string& name = batch[r]->GetName();
                // A name holding ";" cannot go into the list; the tree replaces it on filing.
                if (!keep[r] || name.find(';') != std::string::npos || !tree->GetNodeByName(name, false, false))
                    continue;
                if (!standing.empty())
                    standing += ';';
                standing += name;
            }
            if (!standing.empty())
                tree->DeleteInserters(standing);
            for (std::size_t r = 0; r < batch.size(); ++r)
                if (keep[r])
                    calc::FileSpectrum(*tree, std::move(batch[r]));
            batch.clear();
        };
        bool aborted = false;
        for (std::size_t i = 0; i < n && !aborted; ++i) {
            const Curve& a = curves[i];
            const std::string shortName = PairShortName(a.name, grouped);
            const std::span<const std::size_t> partners = partnersOf(shortName);
            out.resize(a.y.size());
            for (std::size_t k : partners) {
                const Curve& b = bCurves[k];
                report(i * m + k + 1);
                std::string name = group + shortName;
                if (m > 1 && !sameNames)
                    name += ":" + bLeaves[k];
                name += arithSuffix;
                calc::CleanGroupPath(name);
                point_arith::Combine(op, a.y, b.y, bShifts[k], out);
                batch.push_back(MakeResult(name, m < n ? a.colour : b.colour, a.x, out));
                if (batch.size() >= kBatch)
                    flush();
                if (host->UserWantsAbort()) {
                    aborted = true;
                    break;
                }
            }
            if (!aborted) {
                report((i + 1) * m);
                aborted = host->UserWantsAbort();
            }
        }
        flush();
        return true;
    }

    if (op <= point_arith::kMaximum) {
        std::vector<std::span<const double>> ys;
        for (const Curve& c : curves)
            ys.emplace_back(c.y);
        const point_arith::Statistics stats = point_arith::ComputeStatistics(ys);
        const Curve& first = curves.front();
        const std::string name = group + StatisticsName(lightDesc, first.name) + arithSuffix;
        const auto file = [&](const std::string& resultName, COLORREF colour, const std::vector<double>& values) {
            calc::FileSpectrum(*tree, MakeResult(resultName, colour, first.x, values));
        };
        switch (op) {
        case point_arith::kMean: file(name, first.colour, stats.mean); break;
        case point_arith::kSigma: file(name, first.colour, stats.sigma); break;
        case point_arith::kMinimum: file(name, first.colour, stats.minimum); break;
        case point_arith::kMaximum: file(name, first.colour, stats.maximum); break;
        case point_arith::kMeanSigma: {
            file(name, first.colour, stats.mean);
            const COLORREF band = point_arith::BandColour(first.colour);
            std::vector<double> upper(stats.mean.size()), lower(stats.mean.size());
            for (std::size_t j = 0; j < stats.mean.size(); ++j) {
                upper[j] = stats.mean[j] + 2 * stats.sigma[j];
                lower[j] = stats.mean[j] - 2 * stats.sigma[j];
            }
            file(name + (addArith ? "_psigma" : "_mean_psigma"), band, upper);
            file(name + (addArith ? "_msigma" : "_mean_msigma"), band, lower);
            break;
        }
        default: break;
        }
        return true;
    }

    for (const Curve& a : curves) {
        std::vector<double> x, y;
        x.reserve(a.x.size());
        y.reserve(a.y.size());
        for (std::size_t j = 0; j < a.y.size(); ++j) {
            double value = 0;
            if (!point_arith::ApplyFunction(op, a.y[j], value)) {
                calc::LogHint(host, calc::FormatText(kBadArgument, a.name.c_str(), WavelengthInt(a.x[j])));
                continue;
            }
            x.push_back(a.x[j]);
            y.push_back(value);
        }
        calc::FileSpectrum(*tree, MakeResult(group + FunctionName(a.name) + suffix, a.colour, x, y));
    }
    return true;
}
