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

using Curve = RemTransSpecModule::Curve;
using Settings = RemTransSpecModule::Settings;

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

namespace {

struct Grid {
    double step = 0, min = 0, max = 0;
};

// B: a constant or a second selection, copied before anything is filed (a result may
// replace a B spectrum).
bool ReadB(ModuleInterface* host, SpectrumTree& tree, Settings& set, std::vector<Curve>& b, Grid& grid)
{
    if (set.op > point_arith::kLess)
        return true;
    if (set.specDesc.empty()) {
        calc::LogError(host, kEmptyB);
        return false;
    }
    const std::string text = trim(set.specDesc, calc::kBlanks);
    if (isNumber(text)) {
        calc::LogHint(host, set.randomCalc ? kBRandom : kBNumber);
        set.constant = number_text::ToDouble(text.c_str());
        return true;
    }
    calc::LogHint(host, kBSpectra);
    set.pairwise = true;
    const std::list<Spectrum*> found = tree.GetInserters(set.specDesc, false);
    std::vector<Spectrum*> list(found.begin(), found.end());
    if (!list.empty() && !SameGrid(list, grid.step, grid.min, grid.max)) {
        calc::LogError(host, kBNotEqui);
        return false;
    }
    for (const Spectrum* s : list)
        b.push_back(CurveOf(*s));
    return true;
}

// The working list of A, screened for the statistics on request. Screening files copies in
// the tree, which may replace inputs: it works on copies. Otherwise nothing is filed before
// the curves are taken, and the inputs are read where they stand.
bool ReadA(ModuleInterface* host, SpectrumTree& tree, const Settings& set, const std::list<Spectrum*>& found,
           const RemTransSpecModule::Inputs& in, const Grid& bGrid, std::vector<Curve>& a)
{
    std::vector<Spectrum> copies;
    std::vector<Spectrum*> work;
    if (set.checkSpecs && set.op >= point_arith::kMean && set.op <= point_arith::kMeanSigma) {
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
            if (calc::ScreenSpectrum(tree, s, threshold, kNoKeywords, kUnusedGroup))
                work.push_back(&s);
        if (work.empty())
            for (Spectrum& s : copies)
                work.push_back(&s);
    } else {
        work.assign(found.begin(), found.end());
    }
    Grid aGrid;
    if (!SameGrid(work, aGrid.step, aGrid.min, aGrid.max)) {
        calc::LogError(host, kANotEqui);
        return false;
    }
    if (set.pairwise && (in.b.empty() || aGrid.step != bGrid.step || aGrid.min != bGrid.min || aGrid.max != bGrid.max)) {
        calc::LogError(host, kGridsDiffer);
        return false;
    }
    const std::string& target = set.targetGroup;
    if (!target.empty() && !set.lightDesc.empty() && target.size() != set.lightDesc.size()
        && RemTransSpecModule::IsRecursion(target, set.lightDesc)) {
        calc::LogError(host, kRecursionA);
        return false;
    }
    if (set.pairwise && !target.empty() && target.size() != set.specDesc.size()
        && RemTransSpecModule::IsRecursion(target, set.specDesc)) {
        calc::LogError(host, kRecursionB);
        return false;
    }
    a.reserve(work.size());
    for (const Spectrum* s : work)
        a.push_back(CurveOf(*s));
    return true;
}

// B's spectra for the pairs: trimmed leaves, division shifts and the partners of an A
// spectrum (all, or those of its short name).
struct Pairing {
    Pairing(const std::vector<Curve>& b, bool sameNames)
        : sameNames(sameNames)
        , byLeaf(b.size())
        , all(b.size())
    {
        for (std::size_t k = 0; k < b.size(); ++k) {
            leaves.push_back(calc::TrimmedShortName(b[k].name));
            shifts.push_back(point_arith::PairwiseDivShift(b[k].y));
            byLeaf[k] = all[k] = k;
        }
        // Indices sorted by leaf, equal leaves in selection order.
        std::stable_sort(byLeaf.begin(), byLeaf.end(), [&](std::size_t x, std::size_t y) { return leaves[x] < leaves[y]; });
    }
    std::span<const std::size_t> PartnersOf(const std::string& shortName) const
    {
        if (!sameNames)
            return all;
        const auto [from, to] =
            std::equal_range(byLeaf.begin(), byLeaf.end(), shortName, [&](const auto& x, const auto& y) {
                if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::size_t>)
                    return leaves[x] < y;
                else
                    return x < leaves[y];
            });
        return std::span<const std::size_t>(byLeaf.data() + (from - byLeaf.begin()), to - from);
    }

    bool sameNames;
    std::vector<std::string> leaves;
    std::vector<double> shifts;
    std::vector<std::size_t> byLeaf, all;
};

std::string ResultGroup(const Settings& set)
{
    return set.targetGroup.empty() ? std::string(kResultGroup) : set.targetGroup + ":";
}

std::string ArithSuffix(const Settings& set)
{
    return set.addArith ? point_arith::Suffix(set.op) : std::string();
}

void FileConstant(ModuleInterface* host, SpectrumTree& tree, const Settings& set, const std::vector<Curve>& a,
                  const std::vector<double>& constants)
{
    const std::string group = ResultGroup(set), arithSuffix = ArithSuffix(set);
    const std::size_t n = a.size();
    std::vector<double> out;
    for (std::size_t k = 0; k < n; ++k) {
        host->SetStatusText(calc::FormatText("Verrechne Spektrum %zu von %zu", k + 1, n));
        out.resize(a[k].y.size());
        point_arith::Combine(set.op, a[k].y, constants[k], point_arith::kConstantDivShift, out);
        calc::FileSpectrum(tree, MakeResult(group + calc::TrimmedShortName(a[k].name) + arithSuffix, a[k].colour,
                                            a[k].x, out));
        host->SetProgressBarPercentage(static_cast<double>(k + 1) * 100.0 / static_cast<double>(n));
        if (host->UserWantsAbort())
            break;
    }
}

// Files a batch of pair results. What stands under a result's name is removed first, for the
// whole batch at once: the tree walks all its objects for every removal.
void FlushBatch(SpectrumTree& tree, std::vector<std::unique_ptr<Spectrum>>& batch)
{
    // The last result of a name wins, as when each replaced the one before it.
    std::set<std::string> later;
    std::vector<bool> keep(batch.size());
    for (std::size_t r = batch.size(); r-- > 0;)
        keep[r] = later.insert(batch[r]->GetName()).second;
    std::string standing;
    for (std::size_t r = 0; r < batch.size(); ++r) {
        const std::string& name = batch[r]->GetName();
        // A name holding ";" cannot go into the list; the tree replaces it on filing.
        if (!keep[r] || name.find(';') != std::string::npos || !tree.GetNodeByName(name, false, false))
            continue;
        if (!standing.empty())
            standing += ';';
        standing += name;
    }
    if (!standing.empty())
        tree.DeleteInserters(standing);
    for (std::size_t r = 0; r < batch.size(); ++r)
        if (keep[r])
            calc::FileSpectrum(tree, std::move(batch[r]));
    batch.clear();
}

void FilePairwise(ModuleInterface* host, SpectrumTree& tree, const Settings& set, const RemTransSpecModule::Inputs& in)
{
    const Pairing pairing(in.b, set.sameNames);
    const std::string group = ResultGroup(set), arithSuffix = ArithSuffix(set);
    const std::size_t n = in.a.size(), m = in.b.size();
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
    constexpr std::size_t kBatch = 1024;
    std::vector<std::unique_ptr<Spectrum>> batch;
    std::vector<double> out;
    bool aborted = false;
    for (std::size_t i = 0; i < n && !aborted; ++i) {
        const Curve& a = in.a[i];
        const std::string shortName = RemTransSpecModule::PairShortName(a.name, set.grouped);
        out.resize(a.y.size());
        for (std::size_t k : pairing.PartnersOf(shortName)) {
            const Curve& b = in.b[k];
            report(i * m + k + 1);
            std::string name = group + shortName;
            if (m > 1 && !set.sameNames)
                name += ":" + pairing.leaves[k];
            name += arithSuffix;
            calc::CleanGroupPath(name);
            point_arith::Combine(set.op, a.y, b.y, pairing.shifts[k], out);
            batch.push_back(MakeResult(name, m < n ? a.colour : b.colour, a.x, out));
            if (batch.size() >= kBatch)
                FlushBatch(tree, batch);
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
    FlushBatch(tree, batch);
}

void FileStatistics(SpectrumTree& tree, const Settings& set, const std::vector<Curve>& curves)
{
    std::vector<std::span<const double>> ys;
    for (const Curve& c : curves)
        ys.emplace_back(c.y);
    const point_arith::Statistics stats = point_arith::ComputeStatistics(ys);
    const Curve& first = curves.front();
    const std::string name = ResultGroup(set) + RemTransSpecModule::StatisticsName(set.lightDesc, first.name) +
                             ArithSuffix(set);
    const auto file = [&](const std::string& resultName, COLORREF colour, const std::vector<double>& values) {
        calc::FileSpectrum(tree, MakeResult(resultName, colour, first.x, values));
    };
    switch (set.op) {
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
        file(name + (set.addArith ? "_psigma" : "_mean_psigma"), band, upper);
        file(name + (set.addArith ? "_msigma" : "_mean_msigma"), band, lower);
        break;
    }
    default: break;
    }
}

void FileFunctions(ModuleInterface* host, SpectrumTree& tree, const Settings& set, const std::vector<Curve>& curves)
{
    const std::string group = ResultGroup(set), suffix = point_arith::Suffix(set.op);
    for (const Curve& a : curves) {
        std::vector<double> x, y;
        x.reserve(a.x.size());
        y.reserve(a.y.size());
        for (std::size_t j = 0; j < a.y.size(); ++j) {
            double value = 0;
            if (!point_arith::ApplyFunction(set.op, a.y[j], value)) {
                calc::LogHint(host, calc::FormatText(kBadArgument, a.name.c_str(), WavelengthInt(a.x[j])));
                continue;
            }
            x.push_back(a.x[j]);
            y.push_back(value);
        }
        calc::FileSpectrum(tree, MakeResult(group + RemTransSpecModule::FunctionName(a.name) + suffix, a.colour, x, y));
    }
}

} // namespace

bool RemTransSpecModule::ReadRun(RunScope& run, Settings& set, Inputs& in)
{
    ns_param::Paramora& p = run.p;
    set.sameNames = *p.getBoolParameter("CalcOnlySameNames");
    set.checkSpecs = *p.getBoolParameter("CheckSpecs");
    set.grouped = *p.getBoolParameter("GroupedProc");
    set.addArith = *p.getBoolParameter("AddArithToNames");
    set.randomCalc = *p.getBoolParameter("RandomCalc");
    set.lightDesc = *p.getStringParameter("LightSpecDesc");
    set.specDesc = *p.getStringParameter("SpecDesc");
    set.targetGroup = *p.getStringParameter("TargetGroup");

    const std::list<Spectrum*> found = run.spectra->GetInserters(set.lightDesc, false);
    if (found.empty()) {
        calc::LogError(run.host, kNoSpectra);
        return false;
    }
    if (!ParametersInRange())
        return false;
    const int index = calc::SyncEnumFromSel(p, "Aritmetikfunc");
    if (index < 0) {
        calc::LogError(run.host, calc::kParameterError);
        return false;
    }
    set.op = index + 1;
    Grid bGrid;
    return ReadB(run.host, *run.spectra, set, in.b, bGrid) &&
           ReadA(run.host, *run.spectra, set, found, in, bGrid, in.a);
}

std::string RemTransSpecModule::NotFinite(const Settings& set, const Inputs& in, const std::vector<double>& constants)
{
    // The bounds prove most runs finite without a pass over the pairs.
    double aLargest = 0;
    for (const Curve& a : in.a)
        aLargest = std::max(aLargest, point_arith::LargestMagnitude(a.y));
    if (!set.pairwise) {
        for (std::size_t k = 0; k < in.a.size(); ++k) {
            const double b = constants[k];
            if (!point_arith::ProvenFinite(set.op, aLargest, std::fabs(b), std::fabs(b + point_arith::kConstantDivShift))
                && !point_arith::CombineFinite(set.op, in.a[k].y, b, point_arith::kConstantDivShift))
                return in.a[k].name;
        }
        return {};
    }
    const Pairing pairing(in.b, set.sameNames);
    std::vector<bool> proven(in.b.size());
    for (std::size_t k = 0; k < in.b.size(); ++k)
        proven[k] = point_arith::ProvenFinite(set.op, aLargest, point_arith::LargestMagnitude(in.b[k].y),
                                              point_arith::SmallestDivisor(in.b[k].y, pairing.shifts[k]));
    if (std::find(proven.begin(), proven.end(), false) != proven.end())
        for (const Curve& a : in.a)
            for (std::size_t k : pairing.PartnersOf(PairShortName(a.name, set.grouped)))
                if (!proven[k] && !point_arith::CombineFinite(set.op, a.y, in.b[k].y, pairing.shifts[k]))
                    return a.name + " / " + in.b[k].name;
    return {};
}

bool RemTransSpecModule::calculate()
{
    // An empty A selection has its own line before the range rule.
    RunScope run(*this, Numbers::AfterOwnChecks);
    if (!run)
        return false;
    Settings set;
    Inputs in;
    if (!ReadRun(run, set, in))
        return false;
    const bool constantMode = set.op <= point_arith::kLess && !set.pairwise;
    std::vector<double> constants;
    if (constantMode) {
        constants.assign(in.a.size(), set.constant);
        if (set.randomCalc)
            for (double& b : constants) {
                point_arith::NormalDeviates deviates(m_seedSource());
                b = point_arith::RandomConstant(set.constant, deviates);
            }
    }
    // A result that is not finite (a divisor of 0, an overflow) refuses the run before
    // anything is filed.
    if (set.op <= point_arith::kLess) {
        const std::string names = NotFinite(set, in, constants);
        if (!names.empty()) {
            calc::LogError(run.host, calc::FormatText(kNotFinite, names.c_str()));
            return false;
        }
    }
    if (constantMode)
        FileConstant(run.host, *run.spectra, set, in.a, constants);
    else if (set.pairwise)
        FilePairwise(run.host, *run.spectra, set, in);
    else if (set.op <= point_arith::kMaximum)
        FileStatistics(*run.spectra, set, in.a);
    else
        FileFunctions(run.host, *run.spectra, set, in.a);
    return true;
}
