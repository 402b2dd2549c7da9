#include "engine/led_db.h"
#include "engine/led_fitter.h"
#include "engine/led_model.h"
#include "engine/led_selector.h"
#include "led_test_support.h"
#include "platform/random.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace {

ParamContainer Entry(const std::string& name, double peak, const char* model = "GaussianLEDModel")
{
    ParamContainer r;
    r.AddKeyValue("Name", name);
    r.AddKeyValue("SpectralModel", model);
    r.AddKeyValue("PeakWavelength", ExactText(peak));
    r.AddKeyValue("FWHM", "0.03");
    return r;
}

struct Counter : LEDSelectorEventHandler, LEDFitterEventHandler {
    void OnProgress(LEDSelector*, int flag) override { progress.push_back(flag); }
    void OnNewCombination(LEDSelector*, LEDFitter* f, LEDArray* a) override
    {
        ++improvements;
        lastCount = a->GetCount();
        EXPECT_EQ(f->GetLEDCount(), a->GetCount());
    }
    void OnProgress(LEDFitter*, int flag) override { fits += flag; }
    std::vector<int> progress;
    int improvements = 0, fits = 0, lastCount = 0;
};

class SelectorTest : public ::testing::Test {
protected:
    SelectorTest()
    {
        XStart = 0.4;
        XEnd = 0.72;
        XStep = 0.004;
        platform::SRand(11);
        for (int i = 0; i < 20; ++i)
            db.AddEntry(Entry("L" + std::to_string(i), 0.41 + 0.015 * i));
        // The target: three of the database LEDs.
        LEDArray a;
        for (int i : {2, 9, 15})
            a.AddLED(db.EntryAt(i), i);
        LSMatrixHandle t(GridPointCount(), 1);
        a.ComputeSpectrum(t, {0.5, 0.8, 0.3}, nullptr);
        targets.AddSpectrum("t", t);
        settings.Options.MaxIterations = 30;
        selector.SetDatabase(&db);
        selector.SetTargets(&targets);
        selector.SetFitterSettings(&settings);
        selector.SetEventHandler(&counter);
        selector.SetFitterEventHandler(&counter);
    }

    GridGuard guard;
    LedDB db;
    SpectraSet targets;
    LEDFitterSettings settings;
    Counter counter;
    LEDSelector selector;
};

} // namespace

TEST_F(SelectorTest, KeepsTheBetterHalfAndEvaluatesOnlyMutants)
{
    selector.SetCounts(3, 10, false);
    selector.Run(3);
    EXPECT_EQ(counter.fits, 10 + 5 + 5);
    const std::list<LEDArray>& pop = selector.GetPopulation();
    ASSERT_EQ(pop.size(), 10u);
    int kept = 0, mutants = 0;
    double previous = 0.0;
    for (const LEDArray& a : pop) {
        EXPECT_EQ(a.GetCount(), 3);
        std::map<std::string, int> names;
        for (int i = 0; i < a.GetCount(); ++i)
            EXPECT_EQ(++names[a.GetName(i)], 1) << "a name twice in one array";
        if (a.score > 0) {
            ++mutants;
        } else {
            EXPECT_LE(a.score, previous) << "survivors best first";
            previous = a.score;
            ++kept;
        }
    }
    EXPECT_EQ(kept, 5);
    EXPECT_EQ(mutants, 5);
    EXPECT_EQ(selector.GetBestScore(), pop.front().score);
    EXPECT_GE(counter.improvements, 1);
    // Progress: per generation one at its start, one per array, one after the refill; one at the end.
    EXPECT_EQ(counter.progress.size(), 3u * 2 + 10 + 10 + 10 + 1);
    EXPECT_EQ(counter.progress.back(), 1);
    EXPECT_EQ(std::count(counter.progress.begin(), counter.progress.end(), 1), 1);
}

// The arrays hold copies of models the selector keeps per entry: each must still be what
// AddLED builds from the entry now, also after the entries changed in place between runs.
TEST_F(SelectorTest, ArraysHoldWhatAddLEDBuildsFromTheCurrentEntries)
{
    const auto expectCurrentModels = [this](const std::string& when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(selector.GetPopulation().size(), 10u);
        for (const LEDArray& a : selector.GetPopulation())
            for (int i = 0; i < a.GetCount(); ++i) {
                LEDModel* m = a.GetLED(i);
                const int index = static_cast<int>(m->params.GetDouble("OrigDBIdx"));
                std::unique_ptr<LEDModel> built(BuildLEDModel(db.EntryAt(index), index));
                ASSERT_NE(built, nullptr);
                EXPECT_EQ(a.GetName(i), db.EntryAt(index).FindValue("Name").second);
                ASSERT_EQ(m->params.Count(), built->params.Count());
                for (int k = 0; k < built->params.Count(); ++k)
                    EXPECT_EQ(m->params.ValueAt(k), built->params.ValueAt(k)) << built->params.KeyAt(k);
                const double* samples = m->GetGridSamples(298.15, 0);
                const double* expected = built->GetGridSamples(298.15, 0);
                ASSERT_TRUE(samples && expected);
                EXPECT_TRUE(std::equal(expected, expected + GridPointCount(), samples)) << a.GetName(i);
            }
    };
    selector.SetCounts(3, 10, false);
    selector.Run(3);
    expectCurrentModels("first run");

    for (int i = 0; i < db.EntryCount(); ++i)
        db.EntryAt(i).SetDouble("FWHM", 0.05);
    selector.Run(3);
    expectCurrentModels("entries widened in place");
    EXPECT_EQ(selector.GetPopulation().front().GetLED(0)->params.GetDouble("FWHM"), 0.05);
}

TEST_F(SelectorTest, ProbabilitiesFollowTheCorrelationAndGamma)
{
    selector.SetCounts(3, 4, true);
    selector.Run(1);
    LSMatrix P = selector.GetProbabilityMatrix();
    ASSERT_NE(P, nullptr);
    const int D = 20;
    for (int i = 0; i < D; ++i) {
        double sum = 0;
        for (int k = 0; k < D; ++k)
            sum += P[i * D + k];
        EXPECT_NEAR(sum, 1.0, 1e-12);
        EXPECT_EQ(P[i * D + i], 0.0) << "an LED never replaces itself";
    }
    // After the run the generation number equals the count: γ = 1, picks follow row 5 alone.
    std::vector<int> hits(D, 0);
    const int picks = 20000;
    for (int i = 0; i < picks; ++i)
        ++hits[static_cast<std::size_t>(selector.PickLED(5))];
    for (int k = 0; k < D; ++k)
        EXPECT_NEAR(hits[static_cast<std::size_t>(k)] / double(picks), P[5 * D + k], 0.015) << k;

    // A new database drops the matrix; without the flag picks are uniform.
    selector.SetDatabase(&db);
    EXPECT_EQ(selector.GetProbabilityMatrix(), nullptr);
    selector.SetCounts(3, 4, false);
    std::fill(hits.begin(), hits.end(), 0);
    for (int i = 0; i < picks; ++i)
        ++hits[static_cast<std::size_t>(selector.PickLED(5))];
    for (int k = 0; k < D; ++k)
        EXPECT_NEAR(hits[static_cast<std::size_t>(k)] / double(picks), 1.0 / D, 0.015) << k;
}

TEST_F(SelectorTest, IdenticalSpectraGiveUniformRows)
{
    LedDB same;
    for (int i = 0; i < 4; ++i)
        same.AddEntry(Entry("S" + std::to_string(i), 0.5));
    selector.SetDatabase(&same);
    selector.SetCounts(2, 2, true);
    selector.Run(0);
    LSMatrix P = selector.GetProbabilityMatrix();
    ASSERT_NE(P, nullptr);
    for (int i = 0; i < 16; ++i)
        EXPECT_DOUBLE_EQ(P[i], 0.25);
    EXPECT_EQ(counter.progress, (std::vector<int>{1}));
    EXPECT_EQ(selector.GetPopulation().size(), 2u);
}

TEST_F(SelectorTest, AbortEndsTheRunAfterTheFirstEvaluation)
{
    RecordingHost host;
    host.wantsAbort = true;
    CurrentHost = &host;
    selector.SetCounts(3, 6, false);
    selector.Run(5);
    CurrentHost = nullptr;
    EXPECT_EQ(counter.fits, 1);
    EXPECT_EQ(counter.progress, (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(selector.GetPopulation().size(), 6u) << "no reduction, no mutation";
}

// The abort is polled in every loop of a run, not only after each evaluation: the reduction
// and the refill of thousands of arrays and the probability matrix stop soon after it,
// counted in the work done after the host first reported it (arrays dropped, mutants made,
// rows of the matrix).
TEST_F(SelectorTest, AbortStopsTheReductionTheRefillAndTheProbabilities)
{
    constexpr int kStep = LEDSelector::kBuildReportStep;
    constexpr int kProposals = 4 * kStep;
    RecordingHost host;
    selector.SetCounts(2, kProposals, false);
    selector.Run(0); // the first proposals, not evaluated
    ASSERT_EQ(selector.GetPopulation().size(), static_cast<std::size_t>(kProposals));
    host.wantsAbort = true;
    CurrentHost = &host;
    selector.Reduce(kProposals / 2);
    EXPECT_EQ(host.abortPolls, 1);
    EXPECT_GE(selector.GetPopulation().size(), static_cast<std::size_t>(kProposals - kStep))
        << "arrays dropped after the abort";
    const std::size_t before = selector.GetPopulation().size();
    selector.Mutate();
    CurrentHost = nullptr;
    EXPECT_EQ(host.abortPolls, 2);
    EXPECT_EQ(selector.GetPopulation().size(), before) << "no mutant after the abort";

    // Without the abort both run to their end.
    selector.Reduce(static_cast<int>(before) - kProposals / 2);
    EXPECT_EQ(selector.GetPopulation().size(), static_cast<std::size_t>(kProposals / 2));
    selector.Mutate();
    EXPECT_EQ(selector.GetPopulation().size(), static_cast<std::size_t>(kProposals));

    // The probability matrix: no row after the abort, no matrix, no proposal, no fit.
    selector.SetDatabase(&db);
    selector.SetCounts(2, 4, true);
    host.log.clear();
    counter.progress.clear();
    CurrentHost = &host;
    selector.Run(3);
    CurrentHost = nullptr;
    EXPECT_EQ(selector.GetProbabilityMatrix(), nullptr);
    EXPECT_EQ(std::count_if(host.log.begin(), host.log.end(),
                            [](const RecordingHost::LogLine& l) { return l.text.rfind("Berechne LED", 0) == 0; }),
              1)
        << "the row logged before the first poll";
    EXPECT_TRUE(selector.GetPopulation().empty());
    EXPECT_EQ(counter.fits, 0);
    EXPECT_EQ(counter.progress, (std::vector<int>{1}));
}

TEST_F(SelectorTest, BadDatabasesEndWithoutHanging)
{
    LogScope log;
    struct Case {
        const char* name;
        std::vector<ParamContainer> entries;
        int expectedCount; // LEDs per array
        const char* line;  // expected among the log lines
    };
    const Case cases[] = {
        {"empty", {}, 0, "Die LED-Datenbank ist leer - Auswahl wird abgebrochen"},
        {"one name for all", {Entry("X", 0.45), Entry("X", 0.5), Entry("X", 0.6)}, 1,
         "Keine LED mit unbenutztem Namen mehr in der Datenbank - das Array bleibt bei 1 LEDs"},
        {"too few names", {Entry("A", 0.45), Entry("B", 0.6)}, 2,
         "Keine LED mit unbenutztem Namen mehr in der Datenbank - das Array bleibt bei 2 LEDs"},
        {"no models", {Entry("A", 0.45, ""), Entry("B", 0.5, "Nope")}, 0, "Leeres LED-Array beim Erstellen der Mutationen gefunden"},
    };
    for (const Case& c : cases) {
        LedDB bad;
        for (const ParamContainer& e : c.entries)
            bad.AddEntry(e);
        for (bool flag : {false, true}) {
            selector.SetDatabase(&bad);
            selector.SetCounts(3, 4, flag);
            selector.Run(2);
            for (const LEDArray& a : selector.GetPopulation())
                EXPECT_EQ(a.GetCount(), c.expectedCount) << c.name;
            const Lines lines = log.Take();
            EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.name;
        }
    }
}

TEST_F(SelectorTest, FailedFitsRankBelowEveryRealScore)
{
    SpectraSet wrongGrid;
    XStep = 0.008;
    wrongGrid.AddSpectrum("t", LSMatrixHandle(GridPointCount(), 1));
    XStep = 0.004;
    selector.SetTargets(&wrongGrid);
    selector.SetCounts(3, 4, false);
    LogScope log;
    selector.Run(1);
    EXPECT_EQ(counter.improvements, 0);
    EXPECT_EQ(selector.GetBestScore(), -1e99);
    EXPECT_EQ(selector.GetPopulation().front().score, -1e99);
}

TEST_F(SelectorTest, IndexOutsideTheDatabaseIsReplacedFromRowZero)
{
    selector.SetCounts(3, 4, false);
    selector.Run(0); // four arrays from the 20-entry database, not evaluated
    LedDB small;
    small.AddEntry(Entry("N0", 0.45));
    small.AddEntry(Entry("N1", 0.55));
    selector.SetDatabase(&small);
    LogScope log;
    selector.Reduce(2);
    selector.Mutate();
    ASSERT_EQ(selector.GetPopulation().size(), 4u);
    const Lines lines = log.Take();
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines)
        EXPECT_EQ(line.rfind("LED-Index liegt ausserhalb des zulässigen Bereiches: ", 0), 0u) << line;
    for (const LEDArray& a : selector.GetPopulation())
        EXPECT_EQ(a.GetCount(), 3);
}
