#include "calculation/spectral_integral_var_module.h"

#include "calculation/spectral_integral_var_form.h"
#include "calculation/spectrum_screening.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"
#include "platform/prompter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <thread>

namespace {

constexpr char kPrefix[] = "SISpecSel:";
constexpr char kCleanedEmpty[] = "Hinweis: Nach der Bereinigung sind keine Spektren vorhanden. Überprüfen Sie die "
                                 "Eingangsspektrensammlung!";
constexpr char kEvoQuestion[] = "Das evolutionäre Auswahlverfahren erfordert z.T. erhebliche längere Laufzeiten! Soll "
                                "diese Optimierung dennoch durchgeführt werden?";
constexpr char kUserAbort[] = "Hinweis:  Abbruch durch Nutzer. ";
constexpr char kNoMethod[] = "Fehler: Bitte legen Sie in diesem Modus das Auswahlverfahren explizit fest!";
constexpr char kNoGroup[] = "Fehler: Keine Zielgruppe ausgewählt!";
constexpr char kNoSensors[] = "Fehler: Keine Sensorik-Spektren ausgewählt!";
constexpr char kNoTargets[] = "Fehler: Keine primäre spektrale Gewichtung, Target-Spektren ausgewählt!";
constexpr char kDifferentX[] = "Fehler: Spektrensammlungen mit unterschiedlichen Wellenlängen-Werten!";
constexpr char kStartMismatch[] = "Fehler: Startspektrum passt nicht zur Sensorik-Spektrensammlung!";
constexpr char kTargetMismatch[] = "Fehler: Primäre spektrale Wichtung passt nicht zur Sensorik-Spektrensammlung!";
constexpr char kToleranceMismatch[] = "Fehler: Toleranzbeschreibung passt nicht zur Eingangsspektrensammlung!";
constexpr char kTooFewTargets[] = "Fehler: Der Umfang der primären spektralen Wichtungen muss mindestens dem Umfang "
                                  "der Auswahlmenge entsprechen!";
constexpr char kSecondaryMismatch[] = "Fehler: Sekundäre spektrale Wichtung passt nicht zu den anderen "
                                      "Spektrensammlungen!";
constexpr char kNotEvaluable[] = "Fehler: Die Datensituation ist nicht auswertbar. Bitte erhöhen Sie die Auswahlmenge "
                                 "und prüfen Sie, ob diese gleiche oder stark ähnliche Spektren beinhaltet!";
constexpr char kTooSmall[] = "Auswahlmenge zu klein! Bitte überprüfen Sie die Datengrundlage und die Einstellungen!";
constexpr char kNothingChosen[] = "Auswahlverfahren hat zu keiner Auswahl geführt. Bitte überprüfen Sie die "
                                  "Datengrundlage und die Einstellungen!";
constexpr COLORREF kRed = 0x0000FF;

std::uint32_t ClockSeed()
{
    const auto count = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::uint32_t seed = static_cast<std::uint32_t>(count >> 32) ^ static_cast<std::uint32_t>(count);
    return seed ? seed : 0x12B9B0A1u;
}

SpectrumList Fetch(SpectrumTree& tree, const std::string& names)
{
    SpectrumList list;
    if (!names.empty())
        list = tree.GetInserters(names, false);
    return list;
}

bool SameStart(const Spectrum& a, const Spectrum& b)
{
    return a.GetPointCount() == b.GetPointCount() && (a.GetPointCount() == 0 || a[0].x == b[0].x);
}

std::vector<double> Ys(const Spectrum& s)
{
    std::vector<double> y(s.GetPointCount());
    s.getYPointsAsArray(y.data());
    return y;
}

// prefix followed by the value as "%6.4f".
std::string FormatValue(const std::string& prefix, double value)
{
    return prefix + calc::FormatText("%6.4f", value);
}

} // namespace

SpectralIntegralVarModule::SpectralIntegralVarModule()
    : calc::CalcModule("SpectralIntegralVarModule")
    , m_seedSource(ClockSeed)
{
    ns_param::Paramora& p = getParameters();
    for (const char* name : {"SpecDesc", "SpecDescTol", "WSpecDesc", "StartSpec", "WSpecDesc2", "WSpecDesc2Name",
                             "SpecGroup", "CheckSpecKeywords"})
        p.addStringParameter(name, "", "", "");
    p.addIntParameter("SpecCount", "", 1, 1, 10000, 1);
    p.addIntParameter("EvoCount", "", 500, 100, 250000, 500);
    p.addIntParameter("EvoSpzCount", "", 3, 1, 50, 3);
    p.addIntParameter("EvoPopul", "", 4, 2, 16, 4);
    p.addIntParameter("EvoRecomb", "", 500, 0, 250000, 500);
    p.addDoubleParameter("NormVal", "", 10.0, 0.0, 100.0, 10.0);
    p.addDoubleParameter("SIVSpecMaxOverlap", "", 100.0, 0.0, 100.0, 100.0);
    p.addBoolParameter("Overlap", "Überlappung berücksichtigen", false, false);
    p.addBoolParameter("DiscSel", "Auswahl nach Diskriminanzanalyse", true, true);
    p.addBoolParameter("SearchAfter", "SearchAfter", false, false);
    p.addIntParameter("SearchAfterType", "", 0, 0, 1, 0);
    p.addBoolParameter("CheckTolerances", "", false, false);
    p.addBoolParameter("CheckSpecs", "", false, false);
    p.addBoolParameter("NormSpecs", "", false, false);
    p.addBoolParameter("StartSameSens", "", true, true);
    p.addIntParameter("NormType", "", 0, 0, 1, 0);
    p.addIntParameter("SIVMinDist", "", 0, 0, 1000, 0);
    p.addBoolParameter("EvolutionSel", "Evolutionäre Auswahl", false, false);
}

SpectralIntegralVarModule::~SpectralIntegralVarModule() = default;

const CRuntimeClass* SpectralIntegralVarModule::GetEditorClass()
{
    return RUNTIME_CLASS(SpectralIntegralVarForm);
}

std::vector<SAutomationPtrList> SpectralIntegralVarModule::GetAutomationPtr()
{
    return {{"spectralintegralvarselection",
             static_cast<SAutomationPtrList::Function>(&SpectralIntegralVarModule::spectralintegralvarselection)}};
}

std::string SpectralIntegralVarModule::ClassKey(const std::string& name, bool searchAfter, int searchAfterType)
{
    const std::string leaf = calc::ShortName(name);
    if (!searchAfter) {
        const auto first = leaf.find('@');
        if (first == std::string::npos)
            return leaf;
        const auto last = leaf.rfind('@');
        if (last == first)
            return leaf.substr(first + 1);
        return leaf.substr(first + 1, last - first - 1);
    }
    const auto last = leaf.rfind('_');
    if (last == std::string::npos)
        return leaf;
    return searchAfterType == 0 ? leaf.substr(last) : leaf.substr(0, last + 1);
}

double SpectralIntegralVarModule::NormFactor(const Spectrum& spectrum, bool* zero)
{
    return sivar::NormFactor(spectrum, ReadSettings(), zero);
}

sivar::Settings SpectralIntegralVarModule::ReadSettings()
{
    ns_param::Paramora& p = getParameters();
    sivar::Settings s;
    s.specCount = *p.getIntParameter("SpecCount");
    s.maxOverlap = *p.getDoubleParameter("SIVSpecMaxOverlap");
    s.searchAfter = *p.getBoolParameter("SearchAfter");
    s.searchAfterType = *p.getIntParameter("SearchAfterType");
    s.normSpecs = *p.getBoolParameter("NormSpecs");
    s.normType = *p.getIntParameter("NormType");
    s.normVal = *p.getDoubleParameter("NormVal");
    s.minDist = *p.getIntParameter("SIVMinDist");
    s.overlap = *p.getBoolParameter("Overlap");
    s.discSel = *p.getBoolParameter("DiscSel");
    s.evolutionSel = *p.getBoolParameter("EvolutionSel");
    s.startSameSens = *p.getBoolParameter("StartSameSens");
    s.checkTolerances = *p.getBoolParameter("CheckTolerances");
    s.checkSpecs = *p.getBoolParameter("CheckSpecs");
    s.checkKeywords = *p.getStringParameter("CheckSpecKeywords");
    s.group = *p.getStringParameter("SpecGroup");
    if (s.normSpecs && !s.group.empty())
        s.group += s.normType == 0 ? "_maxnormed" : "_intnormed";
    return s;
}

namespace sivar {

double NormFactor(const Spectrum& spectrum, const Settings& s, bool* zero)
{
    if (zero)
        *zero = false;
    if (!s.normSpecs)
        return 1.0;
    const std::vector<double> y = Ys(spectrum);
    double m = 0.0;
    for (double v : y)
        m = std::max(m, v);
    double divisor = m;
    if (s.normType == 1) {
        divisor = 0;
        for (double v : y)
            if (v > 0.0001 * m && !(v < s.normVal / 100 * m))
                divisor += v;
    }
    // An all-zero spectrum (or one without positive values) cannot be scaled.
    if (!(divisor > 0) || !std::isfinite(divisor)) {
        if (zero)
            *zero = true;
        return 1.0;
    }
    return 1.0 / divisor;
}

namespace {

// The technology rows of a choice: the start spectra and the chosen channels.
std::vector<int> TechnologyRows(const Run& run, const std::vector<int>& chosen)
{
    std::vector<int> set;
    for (int s = 0; s < run.startCount; ++s)
        set.push_back(s);
    for (int c : chosen)
        if (c >= 0)
            set.push_back(run.startCount + c);
    return set;
}

// The status line of row r (start spectra first, then sensors): text + "(Start)Spektrum n von
// N" or text + "Spektrum n von N".
std::string RowStatus(const Run& run, const char* text, std::size_t r)
{
    const bool isStart = static_cast<int>(r) < run.startCount;
    const int number = isStart ? static_cast<int>(r) + 1 : static_cast<int>(r) - run.startCount + 1;
    const int count = isStart ? run.startCount : static_cast<int>(run.sensors.size());
    return std::string(text) + (isStart ? "(Start)Spektrum " : "Spektrum ")
           + calc::FormatText("%d von %d", number, count);
}

// Classes: each target with its secondary spectra (by key) as samples.
std::vector<std::vector<std::vector<double>>> ClassSamples(const Settings& s, const Run& run, int n)
{
    std::vector<std::vector<std::vector<double>>> classSamples;
    for (const Spectrum* target : run.targets) {
        const std::string key = SpectralIntegralVarModule::ClassKey(target->GetName(), s.searchAfter,
                                                                   s.searchAfterType);
        const std::vector<double> t = Ys(*target);
        std::vector<std::vector<double>> samples;
        for (const Spectrum* sec : run.secondary)
            if (calc::ShortName(sec->GetName()).find(key) != std::string::npos) {
                std::vector<double> sample(n);
                for (int k = 0; k < n; ++k)
                    sample[k] = t[k] * (*sec)[k].y;
                samples.push_back(std::move(sample));
            }
        if (samples.empty())
            samples.push_back(t);
        classSamples.push_back(std::move(samples));
    }
    return classSamples;
}

// The user's abort between two spectra: the hint, and true.
bool Aborted(ModuleInterface* host)
{
    if (!host->UserWantsAbort())
        return false;
    calc::LogHint(host, kUserAbort);
    return true;
}

// The responses of the rows (start spectra, then sensors, scaled) to every class sample;
// with tolerances each sample also with every channel raised and lowered by its tolerance.
// False after the user's abort.
bool FillTable(const Settings& s, Run& run, const std::vector<const Spectrum*>& rows,
               const std::vector<double>& factors, ModuleInterface* host)
{
    const int n = run.sensors.front()->GetPointCount();
    const auto classSamples = ClassSamples(s, run, n);
    const int variants = s.checkTolerances ? 3 : 1;
    run.table.classCount = static_cast<int>(classSamples.size());
    for (const auto& samples : classSamples)
        run.table.sampleCounts.push_back(static_cast<int>(samples.size()) * variants);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const bool isStart = static_cast<int>(r) < run.startCount;
        host->SetStatusText(RowStatus(run, "Erfasse prim./sek. Spektrensammlung ", r));
        if (Aborted(host))
            return false;
        const Spectrum* tolerance =
            s.checkTolerances && !isStart ? run.tolerances[static_cast<std::size_t>(r) - run.startCount] : nullptr;
        std::vector<double> responses;
        for (const auto& samples : classSamples)
            for (int variant = 0; variant < variants; ++variant)
                for (const auto& sample : samples) {
                    const double sign = variant == 0 ? 0.0 : (variant == 1 ? 1.0 : -1.0);
                    double sum = 0;
                    for (int k = 0; k < n && k < rows[r]->GetPointCount(); ++k) {
                        const double tol = tolerance && k < tolerance->GetPointCount() ? (*tolerance)[k].y : 0.0;
                        sum += ((*rows[r])[k].y + sign * tol) * sample[k];
                    }
                    responses.push_back(factors[r] * sum);
                }
        run.table.responses.push_back(std::move(responses));
    }
    return true;
}

// The point vectors of the rows, scaled, that the technology value compares. False after the
// user's abort. level gets the largest scaled value.
bool PrepareSpectra(Run& run, const std::vector<const Spectrum*>& rows, const std::vector<double>& factors,
                    ModuleInterface* host, double& level)
{
    const int n = run.sensors.front()->GetPointCount();
    run.spectra.x.resize(n);
    for (int k = 0; k < n; ++k)
        run.spectra.x[k] = (*run.sensors.front())[k].x;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        host->SetStatusText(RowStatus(run, "Datenaufbereitung ", r));
        if (Aborted(host))
            return false;
        std::vector<double> y = Ys(*rows[r]);
        for (double& v : y)
            v *= factors[r];
        for (double v : y)
            level = std::max(level, v);
        run.spectra.y.push_back(std::move(y));
    }
    return true;
}

// The single ratings; a data situation without two classes, without scatter within the
// classes, with a silent channel or with values that are not finite is not evaluable.
bool RateRows(Run& run, int rowCount, ModuleInterface* host)
{
    bool evaluable = run.table.classCount >= 2;
    double withinScatter = 0;
    for (int r = 0; r < rowCount && evaluable; ++r) {
        host->SetStatusText(calc::FormatText("Summen-Diskriminanzauswertung Spektrum %d von %d", r + 1, rowCount));
        const std::vector<double>& v = run.table.responses[r];
        if (std::all_of(v.begin(), v.end(), [](double x) { return x == 0.0; })
            || !std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); }))
            evaluable = false;
        for (int cls = 0, offset = 0; cls < run.table.classCount && evaluable;
             offset += run.table.sampleCounts[cls], ++cls) {
            double mean = 0;
            for (int k = 0; k < run.table.sampleCounts[cls]; ++k)
                mean += v[offset + k];
            mean /= run.table.sampleCounts[cls];
            for (int k = 0; k < run.table.sampleCounts[cls]; ++k)
                withinScatter += (v[offset + k] - mean) * (v[offset + k] - mean);
        }
        const double rating = evaluable ? selection::FisherValue(run.table, {r}) : 0.0;
        if (!std::isfinite(rating))
            evaluable = false;
        run.table.rating.push_back(rating);
    }
    return evaluable && withinScatter > 0;
}

// The rated order of the sensor channels; start channels that are sensors stay out.
void OrderCandidates(const Settings& s, Run& run)
{
    std::vector<std::string> sensorNames, startNames;
    for (const Spectrum* sensor : run.sensors)
        sensorNames.push_back(sensor->GetName());
    for (const Spectrum* start : run.starts)
        startNames.push_back(start->GetName());
    run.startMap = selection::MapByLeafName(sensorNames, startNames);
    for (int c = 0; c < static_cast<int>(run.sensors.size()); ++c)
        run.candidates.push_back(c);
    std::stable_sort(run.candidates.begin(), run.candidates.end(), [&](int a, int b) {
        return run.table.rating[run.startCount + a] > run.table.rating[run.startCount + b];
    });
    if (s.startSameSens)
        for (int mapped : run.startMap)
            for (int& c : run.candidates)
                if (c == mapped && mapped >= 0)
                    c = -1;
}

} // namespace

bool Prepare(const Settings& s, Run& run, ModuleInterface* host)
{
    std::vector<const Spectrum*> rows(run.starts.begin(), run.starts.end());
    rows.insert(rows.end(), run.sensors.begin(), run.sensors.end());
    std::vector<double> factors;
    for (const Spectrum* row : rows) {
        bool zero = false;
        factors.push_back(NormFactor(*row, s, &zero));
        if (zero)
            calc::LogHint(host, "Hinweis: Das Spektrum " + row->GetName()
                                    + " hat kein Maximum über 0 und wird nicht normiert.");
    }
    if (!FillTable(s, run, rows, factors, host))
        return false;
    if (!RateRows(run, static_cast<int>(rows.size()), host)) {
        calc::LogError(host, kNotEvaluable);
        return false;
    }
    double level = 0;
    if (!PrepareSpectra(run, rows, factors, host, level))
        return false;
    run.limits = {level, static_cast<double>(s.minDist), s.maxOverlap / 100};
    OrderCandidates(s, run);
    return true;
}

std::string RateStart(const Settings& s, const Run& run, ModuleInterface* host)
{
    if (run.startCount > 0) {
        host->AddLogColorMessage(kRed, "%s", "Hinweis: Bewertung der Startkonfiguration ohne Auswahl");
        const double d = selection::DiscriminanceValue(run.table, run.startCount, {});
        double t = -1;
        selection::TechnologyValue(run.spectra, TechnologyRows(run, {}), run.limits, &t);
        selection::TechnologyLimits decision = run.limits;
        decision.maxOverlap = 0.8;
        const bool decided = selection::TechnologyValue(run.spectra, TechnologyRows(run, {}), decision);
        host->AddLogMessage("Diskriminanz-Gütekennwert der Startkonfiguration: %6.4f Technologie-Gütekennwert der "
                            "Startkonfiguration: %6.4f Technologieentscheidung %i",
                            d, t, decided ? 1 : 0);
        for (const Spectrum* start : run.starts)
            host->AddLogMessage(" %s", start->GetName().c_str());
    }
    std::string startText = run.startCount == 0 ? ": Auswahl bezüglich diskriminanzstärkster Vorgabe "
                                                 : ": Auswahl bezüglich Startkonfiguration ";
    if (run.startCount > 0 && s.startSameSens)
        startText += "(Sensor-intern) ";
    return startText;
}

Outcome Search(const Settings& s, const Run& run, const std::string& startText, ModuleInterface* host)
{
    selection::SearchContext context;
    context.startCount = run.startCount;
    context.wanted = run.wanted;
    context.specCount = run.specCount;
    context.overlap = s.overlap;
    context.discriminance = [&run](const std::vector<int>& set) {
        return selection::DiscriminanceValue(run.table, run.startCount, set);
    };
    const selection::TechnologyRater rater(run.spectra, run.limits);
    context.technologyOk = [&](const std::vector<int>& set) { return rater.Value(TechnologyRows(run, set)); };
    context.onStep = [&](int k) { host->SetStatusText(calc::FormatText("Spektrenauswahl %d von %d", k, run.specCount)); };
    context.onProgress = [host](double percent) { host->SetProgressBarPercentage(percent); };
    std::vector<int> order = run.candidates;
    selection::SearchResult result;
    const char* kind;
    if (s.discSel) {
        host->AddLogMessage("%s", ("Sequentielles Auswahlverfahren" + startText).c_str());
        result = selection::SequentialSearch(order, context, run.startCount > 0,
                                             run.startCount > 0 && s.startSameSens && s.overlap);
        kind = ":SeqSel";
    } else {
        host->AddLogMessage("%s", ("Einfachauswahlverfahren" + startText).c_str());
        result = selection::SimpleSearch(order, context);
        kind = ":SimpleSeqSel";
    }
    Outcome outcome;
    outcome.tooSmall = result.tooSmall;
    if (result.tooSmall)
        return outcome;
    const double final = selection::DiscriminanceValue(run.table, run.startCount, result.chosen);
    outcome.group = s.group + kind + (std::isnan(final) ? std::string("_invalid") : FormatValue("_", final));
    outcome.chosen = result.chosen;
    outcome.values = result.stepValues;
    return outcome;
}

} // namespace sivar

namespace {

// The sensor spectra that pass the input check (too weak, too flat or marked ones are set
// aside and filed under "SISpecSel:UnusedSpecs:"), as copies the run owns.
void ScreenSensors(const sivar::Settings& s, sivar::Run& run, SpectrumTree& tree)
{
    double largest = std::numeric_limits<double>::lowest();
    double smallest = std::numeric_limits<double>::max();
    for (const Spectrum* sensor : run.sensors)
        for (int i = 0; i < sensor->GetPointCount(); ++i) {
            largest = std::max(largest, (*sensor)[i].y);
            smallest = std::min(smallest, (*sensor)[i].y);
        }
    const double m = largest - smallest;
    const calc::ScreeningRule rule{0.00025 * m, 0.05 * m, s.checkKeywords, "SISpecSel:UnusedSpecs:", false};
    SpectrumList kept;
    for (const Spectrum* sensor : run.sensors)
        if (calc::ScreenSpectrum(tree, *sensor, rule)) {
            run.screened.push_back(std::make_unique<Spectrum>(*sensor));
            kept.push_back(run.screened.back().get());
        }
    run.sensors = kept;
    if (run.sensors.empty())
        calc::LogHint(run.host, kCleanedEmpty);
}

// The selections against each other; the first failing line or null.
const char* InputError(const sivar::Settings& s, const sivar::Run& run)
{
    if (s.group.empty())
        return kNoGroup;
    if (run.sensors.empty())
        return kNoSensors;
    if (run.targets.empty())
        return kNoTargets;
    if (!run.sensors.SpecsSameXVals() || !run.targets.SpecsSameXVals())
        return kDifferentX;
    const Spectrum& firstSensor = *run.sensors.front();
    if (!run.starts.empty() && (!SameStart(*run.starts.front(), firstSensor) || !run.starts.SpecsSameXVals()))
        return kStartMismatch;
    if (!SameStart(*run.targets.front(), firstSensor))
        return kTargetMismatch;
    if (s.checkTolerances
        && (run.tolerances.size() != run.sensors.size() || !run.tolerances.SpecsSameXVals()
            || !SameStart(*run.tolerances.front(), firstSensor)))
        return kToleranceMismatch;
    if (static_cast<int>(run.targets.size()) < s.specCount)
        return kTooFewTargets;
    if (!run.secondary.empty()
        && (!SameStart(*run.secondary.front(), firstSensor) || !run.secondary.SpecsSameXVals()
            || run.secondary.front()->GetPointCount() == 0
            || (*run.secondary.front())[0].x != (*run.targets.front())[0].x))
        return kSecondaryMismatch;
    return nullptr;
}

// Files copies of the start spectra and of the chosen channels, under names that carry
// their ratings.
void FileChosen(SpectrumTree& tree, const sivar::Run& run, const sivar::Outcome& outcome)
{
    auto store = [&](const Spectrum& source, const std::string& leaf) {
        std::string name = outcome.group + ":" + leaf;
        calc::CleanGroupPath(name);
        auto copy = std::make_unique<Spectrum>(source);
        copy->SetName(name);
        copy->SetColor(source.GetColor());
        copy->SetComment(source.GetComment());
        tree.DeleteInserters(name);
        calc::FileSpectrum(tree, std::move(copy));
    };
    for (int s = 0; s < run.startCount; ++s)
        store(*run.starts[s], calc::ShortName(run.starts[s]->GetName())
                                  + calc::FormatText("_Startauswahl%i_sel_%6.4f", s, run.table.rating[s]));
    for (std::size_t i = 0; i < outcome.chosen.size(); ++i) {
        const Spectrum& source = *run.sensors[outcome.chosen[i]];
        const double value = i < outcome.values.size() ? outcome.values[i] : 0.0;
        store(source, calc::ShortName(source.GetName()) + FormatValue(outcome.namePrefix, value));
    }
}

} // namespace

// The count has its own lines before the range rule (more than the targets: refused with its
// line; more than the sensors: lowered). The screening files what it sets aside, so the range
// rule for every other number comes first. The generations, and the recombination cycle the
// form derives from them, are read by the evolutionary search only: the other searches run
// whatever they hold (the form's arrows go down to 50 generations, below their range).
std::optional<sivar::Run> SpectralIntegralVarModule::ReadRun(const sivar::Settings& s, SpectrumTree& tree)
{
    if (!(s.evolutionSel ? ParametersInRangeExcept({"SpecCount"})
                         : ParametersInRangeExcept({"SpecCount", "EvoCount", "EvoRecomb"})))
        return std::nullopt;
    ns_param::Paramora& p = getParameters();
    sivar::Run run;
    run.host = GetModuleInterface();
    ModuleInterface* host = run.host;
    run.sensors = Fetch(tree, *p.getStringParameter("SpecDesc"));
    run.tolerances = Fetch(tree, *p.getStringParameter("SpecDescTol"));
    run.targets = Fetch(tree, *p.getStringParameter("WSpecDesc"));
    run.secondary = Fetch(tree, *p.getStringParameter("WSpecDesc2"));
    run.starts = Fetch(tree, *p.getStringParameter("StartSpec"));
    if (s.checkSpecs && !run.sensors.empty())
        ScreenSensors(s, run, tree);
    if (s.evolutionSel) {
        const platform::PromptAnswer answer =
            platform::GetPrompter().Prompt(nullptr, QString(), QString::fromUtf8(kEvoQuestion),
                                           platform::PromptIcon::Question, platform::PromptButtons::YesNo);
        if (answer != platform::PromptAnswer::Yes) {
            calc::LogHint(host, kUserAbort);
            return std::nullopt;
        }
    }
    if (!s.discSel && !s.evolutionSel) {
        calc::LogError(host, kNoMethod);
        return std::nullopt;
    }
    if (const char* line = InputError(s, run)) {
        calc::LogError(host, line);
        return std::nullopt;
    }
    // More asked than there are channels: a rated sorting of all of them.
    run.specCount = s.specCount;
    const int sensorCount = static_cast<int>(run.sensors.size());
    run.startCount = static_cast<int>(run.starts.size());
    if (s.specCount - run.startCount > sensorCount) {
        host->AddLogColorMessage(0x000000, "%s",
                                 calc::FormatText("Hinweis: Anzahl der Auswahlspektren %d ist größer oder gleich der "
                                                  "Anzahl der Spektren %d! Es erfolgt nur eine bewertete Sortierung.",
                                                  s.specCount, sensorCount)
                                     .c_str());
        run.specCount = sensorCount;
    }
    // The count the run takes, lowered to the sensors, still within its range.
    if (!ValueInRange("SpecCount", run.specCount))
        return std::nullopt;
    run.wanted = std::max(0, run.specCount - run.startCount);
    return run;
}

std::optional<sivar::Outcome> SpectralIntegralVarModule::SearchByEvolution(const sivar::Settings& s, sivar::Run& run,
                                                                            const std::string& startText)
{
    ModuleInterface* host = run.host;
    host->SetStatusText("Initialisiere Evo-Verfahren ");
    host->AddLogMessage("%s", ("Evolutionäres Auswahlverfahren" + startText).c_str());
    std::vector<selection::EvoMember> best;
    bool stopped = false, quit = false;
    if (!RunEvolution(run, best, stopped, quit) || quit)
        return std::nullopt;
    const std::string suffix = stopped ? "_Nutzerabbruch" : "";
    auto top = std::max_element(best.begin(), best.end(), [](const auto& a, const auto& b) {
        return a.fitness < b.fitness;
    });
    sivar::Outcome outcome;
    if (top == best.end() || !std::isfinite(top->discriminance)) {
        outcome.group = s.group + ":EvoSel_invalid_" + suffix;
    } else {
        outcome.group = s.group + ":EvoSel" + calc::FormatText("_%6.4f%s", top->discriminance, suffix.c_str());
        outcome.chosen = top->chosen;
    }
    for (int c : outcome.chosen)
        outcome.values.push_back(run.table.rating[run.startCount + c]);
    outcome.namePrefix = "_sel_d_";
    return outcome;
}

calc::OwnRange SpectralIntegralVarModule::OwnRangeOf(const std::string& name)
{
    return name == "EvoRecomb" ? calc::OwnRange::RaisedBelow : calc::OwnRange::None;
}

bool SpectralIntegralVarModule::spectralintegralvarselection()
{
    RunScope scope(*this, Numbers::AfterOwnChecks);
    if (!scope)
        return false;
    SpectrumTree& tree = *scope.spectra;
    const sivar::Settings settings = ReadSettings();
    std::optional<sivar::Run> run = ReadRun(settings, tree);
    if (!run || !sivar::Prepare(settings, *run, run->host))
        return false;
    ModuleInterface* host = run->host;
    const std::string startText = sivar::RateStart(settings, *run, host);
    std::optional<sivar::Outcome> outcome = settings.evolutionSel ? SearchByEvolution(settings, *run, startText)
                                                                  : sivar::Search(settings, *run, startText, host);
    if (!outcome)
        return false;
    if (outcome->tooSmall) {
        // The start spectra lose their "wi_" mark.
        host->AddLogColorMessage(calc::kErrorColour, "%s", kTooSmall);
        for (Spectrum* s : run->starts) {
            std::string comment = s->GetComment();
            const auto at = comment.find("wi_");
            if (at != std::string::npos) {
                comment.erase(at, 3);
                s->SetComment(comment);
            }
        }
        return false;
    }
    if (outcome->chosen.empty()) {
        host->AddLogColorMessage(calc::kErrorColour, "%s", kNothingChosen);
        return true;
    }
    FileChosen(tree, *run, *outcome);
    host->SetProgressBarPercentage(100);
    return true;
}

std::vector<int> SpectralIntegralVarModule::EvolutionPool(sivar::Run& run)
{
    ns_param::Paramora& p = getParameters();
    selection::EvoSettings& evo = run.evo;
    evo.species = *p.getIntParameter("EvoSpzCount");
    evo.cycles = *p.getIntParameter("EvoCount");
    evo.population = *p.getIntParameter("EvoPopul");
    evo.recombination = *p.getIntParameter("EvoRecomb");
    evo.wanted = run.wanted;
    evo.startCount = run.startCount;
    for (int s = 0; s < evo.species; ++s)
        evo.seeds.push_back(m_seedSource());

    // The reference values d0 and d1 from 100 random subsets of the shuffled candidates.
    std::vector<int> shuffled = run.candidates;
    std::uint32_t state = m_seedSource();
    if (state == 0)
        state = 0x12B9B0A1u;
    selection::Shuffle(shuffled, state);
    evo.d0 = std::numeric_limits<double>::max();
    evo.d1 = 0.0;
    std::vector<int> subset;
    for (int i = 0; i < 100; ++i) {
        selection::RandomSubset(shuffled, run.wanted, subset, m_seedSource());
        const double d = selection::DiscriminanceValue(run.table, run.startCount, subset);
        if (d < evo.d0)
            evo.d0 = d;
        if (d > evo.d1)
            evo.d1 = d;
    }
    std::vector<int> pool = shuffled;
    pool.erase(std::remove(pool.begin(), pool.end(), -1), pool.end());
    return pool;
}

namespace {

// What the evolution's callbacks rate with: the channels' spectra (the overlap filter works on
// channel numbers), their single ratings, and the discriminance and technology raters.
struct EvoRaters {
    explicit EvoRaters(const sivar::Run& run)
        : run(run)
        , ratings(run.table.rating.begin(), run.table.rating.end())
        , discriminance(run.table)
        , rater(run.spectra, run.limits)
    {
        candidateSpectra.x = run.spectra.x;
        for (std::size_t c = 0; c < run.sensors.size(); ++c)
            candidateSpectra.y.push_back(run.spectra.y[run.startCount + c]);
    }

    selection::EvoCallbacks Callbacks() const
    {
        selection::EvoCallbacks callbacks;
        callbacks.spectra = &candidateSpectra;
        callbacks.rating = &ratings;
        callbacks.discriminance = [this](const std::vector<int>& set) {
            return discriminance.Value(run.startCount, set);
        };
        callbacks.technology = [this](const std::vector<int>& set) {
            std::vector<int> rows;
            for (int s = 0; s < run.startCount; ++s)
                rows.push_back(s);
            for (int c : set)
                rows.push_back(run.startCount + c);
            double t = -1;
            rater.Value(rows, &t);
            return t;
        };
        return callbacks;
    }

    const sivar::Run& run;
    selection::SpectraSet candidateSpectra;
    const std::vector<double> ratings;
    const selection::DiscriminanceRater discriminance;
    const selection::TechnologyRater rater;
};

} // namespace

bool SpectralIntegralVarModule::RunEvolution(sivar::Run& run, std::vector<selection::EvoMember>& best, bool& stopped,
                                             bool& quit)
{
    ModuleInterface* host = run.host;
    std::vector<int> pool = EvolutionPool(run);
    const selection::EvoSettings& evo = run.evo;
    const EvoRaters raters(run); // outlives the worker, which rates through its callbacks
    const selection::EvoCallbacks callbacks = raters.Callbacks();

    selection::EvoShared shared;
    const double total = static_cast<double>(evo.species) * evo.cycles * evo.population;
    QEventLoop loop;
    QTimer timer;
    int pass = 0;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        if (host->UserWantsAbort())
            shared.stop = true;
        if (pass % 80 == 0) {
            std::string status;
            long long counter = 0;
            {
                std::lock_guard<std::mutex> hold(shared.lock);
                status.swap(shared.status);
                counter = shared.counter;
            }
            if (!status.empty())
                host->SetStatusText(status);
            host->SetProgressBarPercentage(static_cast<double>(counter) * 100 / total);
        }
        ++pass;
    });
    QMetaObject::Connection quitting;
    if (QCoreApplication* app = QCoreApplication::instance())
        quitting = QObject::connect(app, &QCoreApplication::aboutToQuit, &loop, [&] {
            quit = true;
            shared.stop = true;
            loop.quit();
        });
    {
        std::jthread worker([&] {
            best = selection::EvolutionarySearch(pool, evo, callbacks, shared);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        timer.start(15);
        if (!shared.done)
            loop.exec();
        timer.stop();
        if (QCoreApplication::closingDown()) {
            quit = true;
            shared.stop = true;
        }
        // Joined here, before any result is read, on every way out of the loop.
    }
    QObject::disconnect(quitting);
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        host->SetProgressBarPercentage(static_cast<double>(shared.counter) * 100 / total);
    }
    stopped = shared.stop && !quit;
    return true;
}
