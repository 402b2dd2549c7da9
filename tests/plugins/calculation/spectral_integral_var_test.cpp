// The integral-variance selection: input checks, keys, factors, the three searches with
// their names, the start rating, the worker's abort and the mended faults.
#include "calculation/spectral_integral_var_module.h"

#include "fixture.h"
#include "support/fake_prompter.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <regex>

using calc_test::AddCurve;

namespace {

// Answers the abort query with yes from the given poll on.
class AbortingHost : public RecordingHost {
public:
    int abortFrom = 1 << 30;
    bool UserWantsAbort() override
    {
        RecordingHost::UserWantsAbort();
        return abortPolls >= abortFrom;
    }
};

double Gauss(double x, double centre, double width)
{
    return std::exp(-0.5 * std::pow((x - centre) / width, 2));
}

// Eight sensor channels, four target classes "T:<name>@k<i>@", three secondary variants per
// class "V:k<i>_<v>".
struct SivFixture {
    AbortingHost host;
    SpectralIntegralVarModule module;
    FakePrompter prompter;
    std::uint32_t counter = 0;

    SivFixture(int channels = 8)
    {
        module.SetModuleInterface(&host);
        module.SetSeedSource([this] { return ++counter; });
        for (int c = 0; c < channels; ++c)
            AddCurve(host, "Sens:ch" + std::to_string(c), 400, 10, 31,
                     [c](double x) { return Gauss(x, 410 + 40 * c, 25 + 3 * c); })
                ->SetColor(0x000100 * c + 7);
        for (int t = 0; t < 4; ++t) {
            AddCurve(host, "T:ziel" + std::to_string(t) + "@k" + std::to_string(t) + "@", 400, 10, 31,
                     [t](double x) { return 0.2 + Gauss(x, 450 + 70 * t, 60); });
            for (int v = 0; v < 3; ++v)
                AddCurve(host, "V:k" + std::to_string(t) + "_" + std::to_string(v), 400, 10, 31,
                         [v](double x) { return 0.8 + 0.1 * v * std::sin(x / 37.0 + v); });
        }
        Set("SpecDesc", "Sens");
        Set("WSpecDesc", "T");
        Set("WSpecDesc2", "V");
        Set("SpecGroup", "Erg");
        p().setIntParameter("SpecCount", 3);
    }
    ns_param::Paramora& p() { return module.getParameters(); }
    void Set(const char* name, const std::string& v) { p().setStringParameter(name, v); }
    bool HasLog(const std::string& text) const
    {
        return std::any_of(host.log.begin(), host.log.end(), [&](const auto& l) { return l.text == text; });
    }
    // Names filed under "Erg", sorted.
    std::vector<std::string> Results()
    {
        std::vector<std::string> names;
        for (const std::string& name : calc_test::Names(host))
            if (name.rfind("Erg", 0) == 0)
                names.push_back(name);
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST(SpectralIntegralVar, InputChecksInTheirOrder)
{
    struct Case {
        const char* what;
        std::function<void(SivFixture&)> setup;
        std::string message;
    };
    const Case cases[] = {
        {"no method",
         [](SivFixture& f) {
             f.p().setBoolParameter("DiscSel", false);
             f.Set("SpecGroup", "");
         },
         "Fehler: Bitte legen Sie in diesem Modus das Auswahlverfahren explizit fest!"},
        {"no group", [](SivFixture& f) { f.Set("SpecGroup", ""); }, "Fehler: Keine Zielgruppe ausgewählt!"},
        {"no sensors", [](SivFixture& f) { f.Set("SpecDesc", "Nichts"); },
         "Fehler: Keine Sensorik-Spektren ausgewählt!"},
        {"no targets", [](SivFixture& f) { f.Set("WSpecDesc", ""); },
         "Fehler: Keine primäre spektrale Gewichtung, Target-Spektren ausgewählt!"},
        {"different x",
         [](SivFixture& f) { AddCurve(f.host, "Sens:schief", 401, 10, 31, [](double) { return 1.0; }); },
         "Fehler: Spektrensammlungen mit unterschiedlichen Wellenlängen-Werten!"},
        {"start",
         [](SivFixture& f) {
             AddCurve(f.host, "Start:a", 400, 10, 30, [](double) { return 1.0; });
             f.Set("StartSpec", "Start");
         },
         "Fehler: Startspektrum passt nicht zur Sensorik-Spektrensammlung!"},
        {"target",
         [](SivFixture& f) {
             AddCurve(f.host, "T2:a", 405, 10, 31, [](double) { return 1.0; });
             f.Set("WSpecDesc", "T2");
         },
         "Fehler: Primäre spektrale Wichtung passt nicht zur Sensorik-Spektrensammlung!"},
        {"tolerances",
         [](SivFixture& f) {
             f.p().setBoolParameter("CheckTolerances", true);
             AddCurve(f.host, "Tol:a", 400, 10, 31, [](double) { return 0.01; });
             f.Set("SpecDescTol", "Tol");
         },
         "Fehler: Toleranzbeschreibung passt nicht zur Eingangsspektrensammlung!"},
        {"too few targets", [](SivFixture& f) { f.p().setIntParameter("SpecCount", 5); },
         "Fehler: Der Umfang der primären spektralen Wichtungen muss mindestens dem Umfang der Auswahlmenge "
         "entsprechen!"},
        // The count has this line also beyond its registered range.
        {"too few targets for a count beyond its range", [](SivFixture& f) { f.p().setIntParameter("SpecCount", 20000); },
         "Fehler: Der Umfang der primären spektralen Wichtungen muss mindestens dem Umfang der Auswahlmenge "
         "entsprechen!"},
        {"secondary",
         [](SivFixture& f) {
             AddCurve(f.host, "V2:k1", 400, 10, 25, [](double) { return 1.0; });
             f.Set("WSpecDesc2", "V2");
         },
         "Fehler: Sekundäre spektrale Wichtung passt nicht zu den anderen Spektrensammlungen!"},
        {"script value out of range", [](SivFixture& f) { f.p().setDoubleParameter("NormVal", 101); },
         "Fehler: Parameter 'NormVal' liegt außerhalb des zulässigen Bereichs (0 bis 100)!"},
        // A count the checks let through still meets its range.
        {"count 0 from a script", [](SivFixture& f) { f.p().setIntParameter("SpecCount", 0); },
         "Fehler: Parameter 'SpecCount' liegt außerhalb des zulässigen Bereichs (1 bis 10000)!"},
        {"one sample per class, no scatter within a class", [](SivFixture& f) { f.Set("WSpecDesc2", ""); },
         "Fehler: Die Datensituation ist nicht auswertbar. Bitte erhöhen Sie die Auswahlmenge und prüfen Sie, ob "
         "diese gleiche oder stark ähnliche Spektren beinhaltet!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SivFixture f;
        c.setup(f);
        const std::size_t before = f.host.spectra.GetInserters().size();
        EXPECT_FALSE(f.module.spectralintegralvarselection());
        ASSERT_FALSE(f.host.log.empty());
        EXPECT_EQ(f.host.log.back().text, c.message);
        EXPECT_EQ(f.host.spectra.GetInserters().size(), before);
    }
}

TEST(SpectralIntegralVar, ClassKeysAndFactors)
{
    const std::tuple<std::string, bool, int, std::string> keys[] = {
        {"G:a@mitte@b", false, 0, "mitte"},
        {"G:a@hinten", false, 0, "hinten"},
        {"G:ohne", false, 0, "ohne"},
        {"G:x_y_z", true, 0, "_z"},
        {"G:x_y_z", true, 1, "x_y_"},
        {"G:xyz", true, 1, "xyz"},
        {"a@b:c", false, 0, "c"}, // only the leaf counts
    };
    for (const auto& [name, after, type, key] : keys)
        EXPECT_EQ(SpectralIntegralVarModule::ClassKey(name, after, type), key) << name;

    RecordingHost host;
    SpectralIntegralVarModule m;
    Spectrum* s = calc_test::AddSpectrum(host, "s", {1, 2, 3, 4}, {4, 2, 4, 1});
    Spectrum* zero = calc_test::AddSpectrum(host, "z", {1, 2, 3}, {0, 0, 0});
    EXPECT_EQ(m.NormFactor(*s), 1.0);
    m.getParameters().setBoolParameter("NormSpecs", true);
    EXPECT_EQ(m.NormFactor(*s), 0.25);
    m.getParameters().setIntParameter("NormType", 1);
    m.getParameters().setDoubleParameter("NormVal", 100);
    EXPECT_EQ(m.NormFactor(*s), 1.0 / 8); // only the two points at the maximum
    bool isZero = false;
    EXPECT_EQ(m.NormFactor(*zero, &isZero), 1.0); // no division by 0
    EXPECT_TRUE(isZero);
}

TEST(SpectralIntegralVar, SequentialSearchFilesRatedNames)
{
    SivFixture f;
    ASSERT_TRUE(f.module.spectralintegralvarselection());
    EXPECT_TRUE(f.HasLog("Sequentielles Auswahlverfahren: Auswahl bezüglich diskriminanzstärkster Vorgabe "));
    const auto names = f.Results();
    ASSERT_EQ(names.size(), 3u);
    const std::regex seq(R"(Erg:SeqSel_[0-9]+\.[0-9]{4}:ch[0-7]_sel_ *[0-9]+\.[0-9]{4})");
    for (const auto& name : names)
        EXPECT_TRUE(std::regex_match(name, seq)) << name;
    // Colour taken from the source channel.
    const Spectrum* first = f.host.spectra.GetInserter(names[0]);
    const std::string leaf = names[0].substr(names[0].rfind(':') + 1, 3);
    EXPECT_EQ(first->GetColor(), f.host.spectra.GetInserter("Sens:" + leaf)->GetColor());

    // The same choice again gives the same names (deterministic).
    SivFixture g;
    ASSERT_TRUE(g.module.spectralintegralvarselection());
    EXPECT_EQ(g.Results(), names);
}

TEST(SpectralIntegralVar, RatedSortingHintAndStartRating)
{
    {
        SivFixture f(3);
        f.p().setIntParameter("SpecCount", 3);
        ASSERT_TRUE(f.module.spectralintegralvarselection());
        for (const auto& line : f.host.log)
            EXPECT_EQ(line.text.find("bewertete Sortierung"), std::string::npos);
    }
    {
        SivFixture f(3);
        f.p().setIntParameter("SpecCount", 4);
        ASSERT_TRUE(f.module.spectralintegralvarselection());
        EXPECT_TRUE(f.HasLog("Hinweis: Anzahl der Auswahlspektren 4 ist größer oder gleich der Anzahl der Spektren "
                             "3! Es erfolgt nur eine bewertete Sortierung."));
        EXPECT_EQ(f.Results().size(), 3u);
    }
    {
        // A start configuration of two sensor channels: rated first (red hint), then one more.
        SivFixture f;
        AddCurve(f.host, "Start:ch1", 400, 10, 31, [](double x) { return Gauss(x, 450, 28); });
        AddCurve(f.host, "Start:ch5", 400, 10, 31, [](double x) { return Gauss(x, 610, 40); });
        f.Set("StartSpec", "Start");
        ASSERT_TRUE(f.module.spectralintegralvarselection());
        bool red = false;
        for (const auto& line : f.host.log)
            red |= line.text == "Hinweis: Bewertung der Startkonfiguration ohne Auswahl"
                   && line.colour == COLORREF(0x0000FF);
        EXPECT_TRUE(red);
        bool rated = false;
        for (const auto& line : f.host.log)
            rated |= std::regex_match(line.text, std::regex(R"(Diskriminanz-Gütekennwert der Startkonfiguration: +[-0-9.]+ )"
                                                            R"(Technologie-Gütekennwert der Startkonfiguration: +[-0-9.]+ )"
                                                            R"(Technologieentscheidung [01])"));
        EXPECT_TRUE(rated);
        EXPECT_TRUE(f.HasLog(" Start:ch1"));
        EXPECT_TRUE(f.HasLog("Sequentielles Auswahlverfahren: Auswahl bezüglich Startkonfiguration (Sensor-intern) "));
        const auto names = f.Results();
        ASSERT_EQ(names.size(), 3u);
        int starts = 0;
        for (const auto& name : names) {
            starts += name.find("_Startauswahl") != std::string::npos;
            // The start channels are not chosen again.
            EXPECT_FALSE(name.find(":ch1_sel") != std::string::npos || name.find(":ch5_sel") != std::string::npos)
                << name;
        }
        EXPECT_EQ(starts, 2);
    }
}

TEST(SpectralIntegralVar, TechnologyLeavesNothingAndScreening)
{
    {
        SivFixture f;
        AddCurve(f.host, "Start:ch1", 400, 10, 31, [](double x) { return Gauss(x, 450, 28); })->SetComment("x wi_y");
        f.Set("StartSpec", "Start");
        f.p().setBoolParameter("Overlap", true);
        f.p().setDoubleParameter("SIVSpecMaxOverlap", 0.0001); // every pair overlaps more
        EXPECT_FALSE(f.module.spectralintegralvarselection());
        EXPECT_TRUE(f.HasLog("Auswahlmenge zu klein! Bitte überprüfen Sie die Datengrundlage und die "
                             "Einstellungen!"));
        EXPECT_EQ(f.host.spectra.GetInserter("Start:ch1")->GetComment(), "x y");
        EXPECT_TRUE(f.Results().empty());
    }
    {
        SivFixture f;
        AddCurve(f.host, "Sens:leise", 400, 10, 31, [](double) { return 1e-6; });
        AddCurve(f.host, "Sens:Ausschuss", 400, 10, 31, [](double x) { return Gauss(x, 500, 30); });
        f.p().setBoolParameter("CheckSpecs", true);
        f.Set("CheckSpecKeywords", "Ausschuss");
        ASSERT_TRUE(f.module.spectralintegralvarselection());
        EXPECT_NE(f.host.spectra.GetInserter("SISpecSel:UnusedSpecs:leise"), nullptr);
        EXPECT_NE(f.host.spectra.GetInserter("SISpecSel:UnusedSpecs:Ausschuss"), nullptr);
        for (const auto& name : f.Results())
            EXPECT_EQ(name.find("leise"), std::string::npos);
    }
}

TEST(SpectralIntegralVar, StatusLinesOfCollectingRatingAndPreparing)
{
    // Every row (start spectra first) is collected, rated, then prepared, each stage with its
    // status lines; the abort is polled between spectra while collecting and preparing.
    const struct {
        const char* what;
        bool starts;
        int abortFrom; // the poll from which the user wants to stop
        bool finished;
    } rows[] = {
        {"sensors only", false, 1 << 30, true},
        {"with a start configuration", true, 1 << 30, true},
        {"stopped while preparing", true, 11, false},
        {"stopped at the last spectrum prepared", false, 16, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SivFixture f;
        if (r.starts) {
            AddCurve(f.host, "Start:ch1", 400, 10, 31, [](double x) { return Gauss(x, 450, 28); });
            AddCurve(f.host, "Start:ch5", 400, 10, 31, [](double x) { return Gauss(x, 610, 40); });
            f.Set("StartSpec", "Start");
        }
        f.host.abortFrom = r.abortFrom;
        EXPECT_EQ(f.module.spectralintegralvarselection(), r.finished);
        std::vector<std::string> expected;
        const int startCount = r.starts ? 2 : 0;
        auto rowsOf = [&](const std::string& text) {
            for (int s = 1; s <= startCount; ++s)
                expected.push_back(text + "(Start)Spektrum " + std::to_string(s) + " von 2");
            for (int c = 1; c <= 8; ++c)
                expected.push_back(text + "Spektrum " + std::to_string(c) + " von 8");
        };
        rowsOf("Erfasse prim./sek. Spektrensammlung ");
        for (int k = 1; k <= startCount + 8; ++k)
            expected.push_back("Summen-Diskriminanzauswertung Spektrum " + std::to_string(k) + " von "
                               + std::to_string(startCount + 8));
        rowsOf("Datenaufbereitung ");
        if (!r.finished)
            expected.resize(expected.size() - (startCount + 8) + (r.abortFrom - (startCount + 8)));
        std::vector<std::string> shown(f.host.statusTexts.begin(),
                                       f.host.statusTexts.begin()
                                           + static_cast<std::ptrdiff_t>(std::min(f.host.statusTexts.size(),
                                                                                  expected.size())));
        EXPECT_EQ(shown, expected);
        if (r.finished) {
            EXPECT_EQ(f.Results().size(), 3u);
        } else {
            EXPECT_EQ(f.host.statusTexts.size(), expected.size()) << "nothing after the stop";
            EXPECT_EQ(f.host.log.back().text, "Hinweis:  Abbruch durch Nutzer. ");
            EXPECT_TRUE(f.Results().empty());
        }
    }
}

TEST(SpectralIntegralVar, GenerationsAreCheckedOnlyForTheEvolutionarySearch)
{
    // The form's arrows reach 50 generations and its edit takes any count; only the search that
    // reads them refuses a count outside their range.
    const struct {
        const char* what;
        int evoCount, evoRecomb;
        bool evolution;
        const char* refusal; // null: the run files its choice
    } rows[] = {
        {"sequential, 50 generations", 50, 33, false, nullptr},
        {"sequential, 400000 generations typed", 400000, 266666, false, nullptr},
        {"evolutionary, 50 generations",
         50, 33, true, "Fehler: Parameter 'EvoCount' liegt außerhalb des zulässigen Bereichs (100 bis 250000)!"},
        {"evolutionary, 400000 generations", 400000, 266666, true,
         "Fehler: Parameter 'EvoCount' liegt außerhalb des zulässigen Bereichs (100 bis 250000)!"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SivFixture f;
        f.p().setIntParameter("EvoCount", r.evoCount);
        f.p().setIntParameter("EvoRecomb", r.evoRecomb);
        f.p().setBoolParameter("EvolutionSel", r.evolution);
        f.p().setBoolParameter("DiscSel", !r.evolution);
        EXPECT_EQ(f.module.spectralintegralvarselection(), r.refusal == nullptr);
        if (r.refusal) {
            EXPECT_EQ(f.host.log.back().text, r.refusal);
            EXPECT_TRUE(f.Results().empty());
            EXPECT_TRUE(f.prompter.shown.empty()) << "refused before the question";
        } else {
            EXPECT_EQ(f.Results().size(), 3u);
        }
    }
    // Other numbers stay checked for every search.
    SivFixture f;
    f.p().setIntParameter("EvoCount", 50);
    f.p().setIntParameter("EvoSpzCount", 0);
    EXPECT_FALSE(f.module.spectralintegralvarselection());
    EXPECT_EQ(f.host.log.back().text, "Fehler: Parameter 'EvoSpzCount' liegt außerhalb des zulässigen Bereichs (1 bis 50)!");
}

TEST(SpectralIntegralVar, EvolutionRunsOnTheWorkerAndStopsOnAbort)
{
    {
        SivFixture f;
        f.prompter.answers.push_back(platform::PromptAnswer::No);
        f.p().setBoolParameter("EvolutionSel", true);
        const std::size_t before = f.host.spectra.GetInserters().size();
        EXPECT_FALSE(f.module.spectralintegralvarselection());
        EXPECT_EQ(f.host.log.back().text, "Hinweis:  Abbruch durch Nutzer. ");
        EXPECT_EQ(f.host.spectra.GetInserters().size(), before);
    }
    std::vector<std::string> first;
    for (int round = 0; round < 2; ++round) {
        SivFixture f;
        f.p().setBoolParameter("EvolutionSel", true);
        f.p().setBoolParameter("DiscSel", false);
        f.p().setIntParameter("EvoCount", 100);
        f.p().setIntParameter("EvoSpzCount", 2);
        f.p().setIntParameter("EvoPopul", 4);
        f.p().setIntParameter("EvoRecomb", 60);
        ASSERT_TRUE(f.module.spectralintegralvarselection());
        EXPECT_TRUE(f.HasLog("Evolutionäres Auswahlverfahren: Auswahl bezüglich diskriminanzstärkster Vorgabe "));
        EXPECT_EQ(f.host.progress, 100);
        const auto names = f.Results();
        ASSERT_EQ(names.size(), 3u);
        for (const auto& name : names)
            EXPECT_TRUE(std::regex_match(name, std::regex(R"(Erg:EvoSel_[0-9]+\.[0-9]{4}:ch[0-7]_sel_d_ *[0-9.]+)")))
                << name;
        if (round == 0)
            first = names;
        else
            EXPECT_EQ(names, first); // counter seeds: repeatable
    }
    {
        SivFixture f;
        f.p().setBoolParameter("EvolutionSel", true);
        f.p().setIntParameter("EvoCount", 250000);
        f.p().setIntParameter("EvoSpzCount", 50);
        f.host.abortFrom = 17; // after the sixteen data polls: the first poll of the wait
        ASSERT_TRUE(f.module.spectralintegralvarselection());
        const auto names = f.Results();
        ASSERT_FALSE(names.empty());
        EXPECT_NE(names[0].find("_Nutzerabbruch:"), std::string::npos) << names[0];
        // Stopped long before the end: the progress shown during the wait stayed low.
        ASSERT_GE(f.host.progressHistory.size(), 2u);
        EXPECT_LT(f.host.progressHistory[f.host.progressHistory.size() - 2], 1);
    }
}

// A recombination start below 1 means two thirds of the cycles: such a value runs the
// evolution of that plain start.
TEST(SpectralIntegralVar, RecombinationStartBelowOneRunsAtTwoThirdsOfTheCycles)
{
    auto evolve = [](int recombination) {
        SivFixture f;
        f.p().setBoolParameter("EvolutionSel", true);
        f.p().setBoolParameter("DiscSel", false);
        f.p().setIntParameter("EvoCount", 100);
        f.p().setIntParameter("EvoSpzCount", 2);
        f.p().setIntParameter("EvoRecomb", recombination);
        const bool ok = f.module.spectralintegralvarselection();
        return std::make_pair(ok, f.Results());
    };
    const auto [plainOk, plain] = evolve(66);
    ASSERT_TRUE(plainOk);
    ASSERT_EQ(plain.size(), 3u);
    for (int recombination : {-5, INT_MIN}) {
        SCOPED_TRACE(recombination);
        EXPECT_EQ(evolve(recombination), std::make_pair(true, plain));
    }
}

} // namespace

TEST(SpectralIntegralVarCore, SearchesWithoutTheModuleAsTheRunDoes)
{
    // The core over rows of settings chooses the channels the module's run files.
    const struct {
        bool discSel, normSpecs;
        int normType;
        const char* kind;
    } rows[] = {
        {true, false, 0, "Erg:SeqSel_"},
        {true, true, 0, "Erg_maxnormed:SeqSel_"},
        {true, true, 1, "Erg_intnormed:SeqSel_"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.kind);
        SivFixture f;
        f.p().setBoolParameter("DiscSel", r.discSel);
        f.p().setBoolParameter("NormSpecs", r.normSpecs);
        f.p().setIntParameter("NormType", r.normType);
        ASSERT_TRUE(f.module.spectralintegralvarselection());
        std::vector<std::string> filed;
        for (const std::string& name : calc_test::Names(f.host))
            if (name.rfind("Erg", 0) == 0)
                filed.push_back(name);

        sivar::Settings s;
        s.specCount = 3;
        s.discSel = r.discSel;
        s.normSpecs = r.normSpecs;
        s.normType = r.normType;
        s.group = r.normSpecs ? (r.normType == 0 ? "Erg_maxnormed" : "Erg_intnormed") : "Erg";
        sivar::Run run;
        run.host = &f.host;
        run.sensors = f.host.spectra.GetInserters("Sens", false);
        run.targets = f.host.spectra.GetInserters("T", false);
        run.secondary = f.host.spectra.GetInserters("V", false);
        run.specCount = 3;
        run.wanted = 3;
        ASSERT_TRUE(sivar::Prepare(s, run, &f.host));
        const sivar::Outcome outcome = sivar::Search(s, run, sivar::RateStart(s, run, &f.host), &f.host);
        EXPECT_FALSE(outcome.tooSmall);
        EXPECT_EQ(outcome.group.rfind(r.kind, 0), 0u) << outcome.group;
        ASSERT_EQ(outcome.chosen.size(), 3u);
        ASSERT_EQ(filed.size(), 3u);
        for (int c : outcome.chosen) {
            const std::string leaf = calc::ShortName(run.sensors[c]->GetName());
            EXPECT_EQ(std::count_if(filed.begin(), filed.end(),
                                    [&](const std::string& n) { return n.rfind(outcome.group + ":" + leaf + "_sel_", 0) == 0; }),
                      1)
                << leaf;
        }
    }
}
