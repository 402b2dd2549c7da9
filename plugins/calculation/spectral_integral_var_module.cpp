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

// What one run works with; filled step by step.
struct SpectralIntegralVarModule::Run {
    ModuleInterface* host = nullptr;
    SpectrumList sensors, tolerances, targets, starts, secondary;
    std::vector<std::unique_ptr<Spectrum>> screened; // copies that passed the check
    int specCount = 1;
    int startCount = 0;
    int wanted = 0;
    selection::ResponseTable table;
    selection::SpectraSet spectra; // rows: start spectra, then sensors (scaled)
    selection::TechnologyLimits limits;
    std::vector<int> candidates; // rated order of the sensor channels
    std::vector<int> startMap;   // start spectrum -> sensor channel (-1 none)
    selection::EvoSettings evo;
};

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
    ns_param::Paramora& p = getParameters();
    if (zero)
        *zero = false;
    if (!*p.getBoolParameter("NormSpecs"))
        return 1.0;
    const std::vector<double> y = Ys(spectrum);
    double m = 0.0;
    for (double v : y)
        m = std::max(m, v);
    double divisor = m;
    if (*p.getIntParameter("NormType") == 1) {
        const double normVal = *p.getDoubleParameter("NormVal");
        divisor = 0;
        for (double v : y)
            if (v > 0.0001 * m && !(v < normVal / 100 * m))
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

bool SpectralIntegralVarModule::spectralintegralvarselection()
{
    // The count has its own lines before the range rule.
    RunGuard running(*this, Numbers::AfterOwnChecks);
    SpectrumTree* tree = Spectra();
    if (!running || !tree)
        return false;
    Run run;
    run.host = GetModuleInterface();
    ModuleInterface* host = run.host;
    ns_param::Paramora& p = getParameters();

    const int specCount = *p.getIntParameter("SpecCount");
    const double maxOverlap = *p.getDoubleParameter("SIVSpecMaxOverlap");
    const int searchAfterType = *p.getIntParameter("SearchAfterType");
    const int normType = *p.getIntParameter("NormType");
    const int minDist = *p.getIntParameter("SIVMinDist");
    // The range rule for every number but the count, which the checks below settle (more than
    // the targets: refused with its line; more than the sensors: lowered). The screening files
    // what it sets aside, so the rule comes first.
    if (!ParametersInRangeExcept({"SpecCount"}))
        return false;

    // 1. The selections.
    run.sensors = Fetch(*tree, *p.getStringParameter("SpecDesc"));
    run.tolerances = Fetch(*tree, *p.getStringParameter("SpecDescTol"));
    run.targets = Fetch(*tree, *p.getStringParameter("WSpecDesc"));
    run.secondary = Fetch(*tree, *p.getStringParameter("WSpecDesc2"));
    run.starts = Fetch(*tree, *p.getStringParameter("StartSpec"));
    const bool startSameSens = *p.getBoolParameter("StartSameSens");
    const bool checkTolerances = *p.getBoolParameter("CheckTolerances");

    // 2. The input check: too weak, too flat or marked sensor spectra are set aside.
    if (*p.getBoolParameter("CheckSpecs") && !run.sensors.empty()) {
        double largest = std::numeric_limits<double>::lowest();
        double smallest = std::numeric_limits<double>::max();
        for (const Spectrum* s : run.sensors)
            for (int i = 0; i < s->GetPointCount(); ++i) {
                largest = std::max(largest, (*s)[i].y);
                smallest = std::min(smallest, (*s)[i].y);
            }
        const double m = largest - smallest;
        const calc::ScreeningRule rule{0.00025 * m, 0.05 * m, *p.getStringParameter("CheckSpecKeywords"),
                                       "SISpecSel:UnusedSpecs:", false};
        SpectrumList kept;
        for (const Spectrum* s : run.sensors)
            if (calc::ScreenSpectrum(*tree, *s, rule)) {
                run.screened.push_back(std::make_unique<Spectrum>(*s));
                kept.push_back(run.screened.back().get());
            }
        run.sensors = kept;
        if (run.sensors.empty())
            calc::LogHint(host, kCleanedEmpty);
    }

    // 3.-5. The method.
    const bool overlap = *p.getBoolParameter("Overlap");
    const bool discSel = *p.getBoolParameter("DiscSel");
    const bool evolutionSel = *p.getBoolParameter("EvolutionSel");
    if (evolutionSel) {
        const platform::PromptAnswer answer =
            platform::GetPrompter().Prompt(nullptr, QString(), QString::fromUtf8(kEvoQuestion),
                                           platform::PromptIcon::Question, platform::PromptButtons::YesNo);
        if (answer != platform::PromptAnswer::Yes) {
            calc::LogHint(host, kUserAbort);
            return false;
        }
    }
    if (!discSel && !evolutionSel) {
        calc::LogError(host, kNoMethod);
        return false;
    }

    // 6. The result group.
    std::string group = *p.getStringParameter("SpecGroup");
    const bool normSpecs = *p.getBoolParameter("NormSpecs");
    if (normSpecs && !group.empty())
        group += normType == 0 ? "_maxnormed" : "_intnormed";

    // 7. Input checks.
    auto fail = [&](const char* text) {
        calc::LogError(host, text);
        return false;
    };
    if (group.empty())
        return fail(kNoGroup);
    if (run.sensors.empty())
        return fail(kNoSensors);
    if (run.targets.empty())
        return fail(kNoTargets);
    if (!run.sensors.SpecsSameXVals() || !run.targets.SpecsSameXVals())
        return fail(kDifferentX);
    const Spectrum& firstSensor = *run.sensors.front();
    if (!run.starts.empty() && (!SameStart(*run.starts.front(), firstSensor) || !run.starts.SpecsSameXVals()))
        return fail(kStartMismatch);
    if (!SameStart(*run.targets.front(), firstSensor))
        return fail(kTargetMismatch);
    if (checkTolerances
        && (run.tolerances.size() != run.sensors.size() || !run.tolerances.SpecsSameXVals()
            || !SameStart(*run.tolerances.front(), firstSensor)))
        return fail(kToleranceMismatch);
    if (static_cast<int>(run.targets.size()) < specCount)
        return fail(kTooFewTargets);
    if (!run.secondary.empty()
        && (!SameStart(*run.secondary.front(), firstSensor) || !run.secondary.SpecsSameXVals()
            || run.secondary.front()->GetPointCount() == 0
            || (*run.secondary.front())[0].x != (*run.targets.front())[0].x))
        return fail(kSecondaryMismatch);

    // 8. More asked than there are channels: a rated sorting of all of them.
    run.specCount = specCount;
    const int sensorCount = static_cast<int>(run.sensors.size());
    run.startCount = static_cast<int>(run.starts.size());
    if (specCount - run.startCount > sensorCount) {
        host->AddLogColorMessage(0x000000, "%s",
                                 calc::FormatText("Hinweis: Anzahl der Auswahlspektren %d ist größer oder gleich der "
                                                  "Anzahl der Spektren %d! Es erfolgt nur eine bewertete Sortierung.",
                                                  specCount, sensorCount)
                                     .c_str());
        run.specCount = sensorCount;
    }
    // The count the run takes, lowered to the sensors, still within its range.
    if (!ValueInRange("SpecCount", run.specCount))
        return false;
    run.wanted = std::max(0, run.specCount - run.startCount);

    // 9. Normalisation factors: start spectra first, then sensors.
    std::vector<const Spectrum*> rows;
    for (const Spectrum* s : run.starts)
        rows.push_back(s);
    for (const Spectrum* s : run.sensors)
        rows.push_back(s);
    std::vector<double> factors;
    for (const Spectrum* s : rows) {
        bool zero = false;
        factors.push_back(NormFactor(*s, &zero));
        if (zero)
            calc::LogHint(host, "Hinweis: Das Spektrum " + s->GetName()
                                    + " hat kein Maximum über 0 und wird nicht normiert.");
    }
    const int n = firstSensor.GetPointCount();

    // 10. Classes: each target with its secondary spectra (by key) as samples; with
    // tolerances each sample also with every channel raised and lowered by its tolerance.
    const bool searchAfter = *p.getBoolParameter("SearchAfter");
    std::vector<std::vector<std::vector<double>>> classSamples;
    for (const Spectrum* target : run.targets) {
        const std::string key = ClassKey(target->GetName(), searchAfter, searchAfterType);
        const std::vector<double> t = Ys(*target);
        std::vector<std::vector<double>> samples;
        for (const Spectrum* s : run.secondary)
            if (calc::ShortName(s->GetName()).find(key) != std::string::npos) {
                std::vector<double> sample(n);
                for (int k = 0; k < n; ++k)
                    sample[k] = t[k] * (*s)[k].y;
                samples.push_back(std::move(sample));
            }
        if (samples.empty())
            samples.push_back(t);
        classSamples.push_back(std::move(samples));
    }
    const int variants = checkTolerances ? 3 : 1;
    run.table.classCount = static_cast<int>(classSamples.size());
    for (const auto& samples : classSamples)
        run.table.sampleCounts.push_back(static_cast<int>(samples.size()) * variants);
    run.spectra.x.resize(n);
    for (int k = 0; k < n; ++k)
        run.spectra.x[k] = firstSensor[k].x;
    double level = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const bool isStart = static_cast<int>(r) < run.startCount;
        const int number = isStart ? static_cast<int>(r) + 1 : static_cast<int>(r) - run.startCount + 1;
        const int total = isStart ? run.startCount : sensorCount;
        host->SetStatusText(calc::FormatText(isStart ? "Erfasse prim./sek. Spektrensammlung (Start)Spektrum %d von %d"
                                                     : "Erfasse prim./sek. Spektrensammlung Spektrum %d von %d",
                                             number, total));
        if (host->UserWantsAbort()) {
            calc::LogHint(host, kUserAbort);
            return false;
        }
        std::vector<double> y = Ys(*rows[r]);
        for (double& v : y)
            v *= factors[r];
        for (double v : y)
            level = std::max(level, v);
        const Spectrum* tolerance =
            checkTolerances && !isStart ? run.tolerances[static_cast<std::size_t>(r) - run.startCount] : nullptr;
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
        run.spectra.y.push_back(std::move(y));
    }
    // The single ratings; a data situation without two classes, without scatter within the
    // classes, with a silent channel or with values that are not finite is not evaluable.
    bool evaluable = run.table.classCount >= 2;
    double withinScatter = 0;
    for (int r = 0; r < static_cast<int>(rows.size()) && evaluable; ++r) {
        host->SetStatusText(calc::FormatText("Summen-Diskriminanzauswertung Spektrum %d von %d", r + 1,
                                             static_cast<int>(rows.size())));
        const std::vector<double>& v = run.table.responses[r];
        if (std::all_of(v.begin(), v.end(), [](double x) { return x == 0.0; })
            || !std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); }))
            evaluable = false;
        for (int cls = 0, offset = 0; cls < run.table.classCount && evaluable;
             offset += run.table.sampleCounts[cls], ++cls) {
            double mean = 0;
            for (int s = 0; s < run.table.sampleCounts[cls]; ++s)
                mean += v[offset + s];
            mean /= run.table.sampleCounts[cls];
            for (int s = 0; s < run.table.sampleCounts[cls]; ++s)
                withinScatter += (v[offset + s] - mean) * (v[offset + s] - mean);
        }
        const double rating = evaluable ? selection::FisherValue(run.table, {r}) : 0.0;
        if (!std::isfinite(rating))
            evaluable = false;
        run.table.rating.push_back(rating);
    }
    if (!evaluable || !(withinScatter > 0)) {
        calc::LogError(host, kNotEvaluable);
        return false;
    }
    run.limits = {level, static_cast<double>(minDist), maxOverlap / 100};

    // The rated order of the sensor channels; start channels that are sensors stay out.
    std::vector<std::string> sensorNames, startNames;
    for (const Spectrum* s : run.sensors)
        sensorNames.push_back(s->GetName());
    for (const Spectrum* s : run.starts)
        startNames.push_back(s->GetName());
    run.startMap = selection::MapByLeafName(sensorNames, startNames);
    for (int c = 0; c < sensorCount; ++c)
        run.candidates.push_back(c);
    std::stable_sort(run.candidates.begin(), run.candidates.end(), [&](int a, int b) {
        return run.table.rating[run.startCount + a] > run.table.rating[run.startCount + b];
    });
    if (startSameSens)
        for (int mapped : run.startMap)
            for (int& c : run.candidates)
                if (c == mapped && mapped >= 0)
                    c = -1;
    // The technology rows: the start spectra and the chosen channels.
    auto technologyRows = [&run](const std::vector<int>& chosen) {
        std::vector<int> set;
        for (int s = 0; s < run.startCount; ++s)
            set.push_back(s);
        for (int c : chosen)
            if (c >= 0)
                set.push_back(run.startCount + c);
        return set;
    };

    // 11. The start configuration.
    if (run.startCount > 0) {
        host->AddLogColorMessage(kRed, "%s", "Hinweis: Bewertung der Startkonfiguration ohne Auswahl");
        const double d = selection::DiscriminanceValue(run.table, run.startCount, {});
        double t = -1;
        selection::TechnologyValue(run.spectra, technologyRows({}), run.limits, &t);
        selection::TechnologyLimits decision = run.limits;
        decision.maxOverlap = 0.8;
        const bool decided = selection::TechnologyValue(run.spectra, technologyRows({}), decision);
        host->AddLogMessage("Diskriminanz-Gütekennwert der Startkonfiguration: %6.4f Technologie-Gütekennwert der "
                            "Startkonfiguration: %6.4f Technologieentscheidung %i",
                            d, t, decided ? 1 : 0);
        for (const Spectrum* s : run.starts)
            host->AddLogMessage(" %s", s->GetName().c_str());
    }

    std::string startText = run.startCount == 0 ? ": Auswahl bezüglich diskriminanzstärkster Vorgabe "
                                                 : ": Auswahl bezüglich Startkonfiguration ";
    if (run.startCount > 0 && startSameSens)
        startText += "(Sensor-intern) ";

    // 12. The search.
    std::string resultGroup;
    std::vector<int> chosen;
    std::vector<double> values; // one rating per chosen channel
    std::string namePrefix = "_sel_";
    if (evolutionSel) {
        host->SetStatusText("Initialisiere Evo-Verfahren ");
        host->AddLogMessage("%s", ("Evolutionäres Auswahlverfahren" + startText).c_str());
        std::vector<selection::EvoMember> best;
        bool stopped = false, quit = false;
        if (!RunEvolution(run, best, stopped, quit) || quit)
            return false;
        const std::string suffix = stopped ? "_Nutzerabbruch" : "";
        auto top = std::max_element(best.begin(), best.end(), [](const auto& a, const auto& b) {
            return a.fitness < b.fitness;
        });
        if (top == best.end() || !std::isfinite(top->discriminance)) {
            resultGroup = group + ":EvoSel_invalid_" + suffix;
        } else {
            resultGroup = group + ":EvoSel" + calc::FormatText("_%6.4f%s", top->discriminance, suffix.c_str());
            chosen = top->chosen;
        }
        for (int c : chosen)
            values.push_back(run.table.rating[run.startCount + c]);
        namePrefix = "_sel_d_";
    } else {
        selection::SearchContext context;
        context.startCount = run.startCount;
        context.wanted = run.wanted;
        context.specCount = run.specCount;
        context.overlap = overlap;
        context.discriminance = [&run](const std::vector<int>& set) {
            return selection::DiscriminanceValue(run.table, run.startCount, set);
        };
        const selection::TechnologyRater rater(run.spectra, run.limits);
        context.technologyOk = [&](const std::vector<int>& set) { return rater.Value(technologyRows(set)); };
        context.onStep = [&](int k) {
            host->SetStatusText(calc::FormatText("Spektrenauswahl %d von %d", k, run.specCount));
        };
        context.onProgress = [host](double percent) { host->SetProgressBarPercentage(percent); };
        std::vector<int> order = run.candidates;
        selection::SearchResult result;
        const char* kind;
        if (discSel) {
            host->AddLogMessage("%s", ("Sequentielles Auswahlverfahren" + startText).c_str());
            result = selection::SequentialSearch(order, context, run.startCount > 0,
                                                 run.startCount > 0 && startSameSens && overlap);
            kind = ":SeqSel";
        } else {
            host->AddLogMessage("%s", ("Einfachauswahlverfahren" + startText).c_str());
            result = selection::SimpleSearch(order, context);
            kind = ":SimpleSeqSel";
        }
        if (result.tooSmall) {
            host->AddLogColorMessage(calc::kErrorColour, "%s", kTooSmall);
            for (Spectrum* s : run.starts) {
                std::string comment = s->GetComment();
                const auto at = comment.find("wi_");
                if (at != std::string::npos) {
                    comment.erase(at, 3);
                    s->SetComment(comment);
                }
            }
            return false;
        }
        const double final = selection::DiscriminanceValue(run.table, run.startCount, result.chosen);
        resultGroup = group + kind + (std::isnan(final) ? std::string("_invalid") : FormatValue("_", final));
        chosen = result.chosen;
        values = result.stepValues;
    }
    if (chosen.empty()) {
        host->AddLogColorMessage(calc::kErrorColour, "%s", kNothingChosen);
        return true;
    }

    // 13. The results, as copies of the spectra that were chosen.
    auto store = [&](const Spectrum& source, const std::string& leaf) {
        std::string name = resultGroup + ":" + leaf;
        calc::CleanGroupPath(name);
        auto copy = std::make_unique<Spectrum>(source);
        copy->SetName(name);
        copy->SetColor(source.GetColor());
        copy->SetComment(source.GetComment());
        tree->DeleteInserters(name);
        calc::FileSpectrum(*tree, std::move(copy));
    };
    for (int s = 0; s < run.startCount; ++s)
        store(*run.starts[s], calc::ShortName(run.starts[s]->GetName())
                                  + calc::FormatText("_Startauswahl%i_sel_%6.4f", s, run.table.rating[s]));
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const Spectrum& source = *run.sensors[chosen[i]];
        const double value = i < values.size() ? values[i] : 0.0;
        store(source, calc::ShortName(source.GetName()) + FormatValue(namePrefix, value));
    }
    host->SetProgressBarPercentage(100);
    return true;
}

bool SpectralIntegralVarModule::RunEvolution(Run& run, std::vector<selection::EvoMember>& best, bool& stopped,
                                             bool& quit)
{
    ModuleInterface* host = run.host;
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

    selection::EvoCallbacks callbacks;
    callbacks.spectra = nullptr;
    selection::SpectraSet candidateSpectra; // the overlap filter works on channel numbers
    candidateSpectra.x = run.spectra.x;
    for (std::size_t c = 0; c < run.sensors.size(); ++c)
        candidateSpectra.y.push_back(run.spectra.y[run.startCount + c]);
    callbacks.spectra = &candidateSpectra;
    std::vector<double> ratings(run.table.rating.begin(), run.table.rating.end());
    callbacks.rating = &ratings;
    const selection::DiscriminanceRater discriminance(run.table);
    callbacks.discriminance = [&run, &discriminance](const std::vector<int>& set) {
        return discriminance.Value(run.startCount, set);
    };
    const selection::TechnologyRater rater(run.spectra, run.limits);
    callbacks.technology = [&run, &rater](const std::vector<int>& set) {
        std::vector<int> rows;
        for (int s = 0; s < run.startCount; ++s)
            rows.push_back(s);
        for (int c : set)
            rows.push_back(run.startCount + c);
        double t = -1;
        rater.Value(rows, &t);
        return t;
    };

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
