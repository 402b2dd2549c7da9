// The LED selection module: the enumerated optimum of a small problem, events and their
// forwarding (also when a handler throws), the grid the targets leave, and the refusals.
#include "led_modules_fixture.h"

#include "modules/led_selection_module.h"

#include "engine/led_array.h"
#include "engine/led_model.h"

#include "platform/random.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

using led_test::ModulesTest;

double Gauss(double xNm, double peak, double fwhm)
{
    const double u = (xNm / 1000 - peak) / (fwhm / 2);
    return std::exp(-std::log(2.0) * u * u);
}

const double kPeaks[] = {0.45, 0.50, 0.55, 0.60, 0.65};

// The best pair (1-based) of the committed enumeration.
std::pair<int, int> ReferenceBestPair()
{
    std::ifstream in(ORVANTA_SOURCE_DIR "/tests/plugins/led/modules/reference/lightness_nnls.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string word;
        int i = 0, j = 0;
        if (s >> word >> i >> j && word == "best")
            return {i, j};
    }
    return {0, 0};
}

struct RecordingHandler : LEDSelectorEventHandler {
    void OnProgress(LEDSelector*, int flag) override { progress.push_back(flag); }
    void OnNewCombination(LEDSelector*, LEDFitter* fitter, LEDArray* array) override
    {
        ++combinations;
        if (throwOnCombination)
            throw std::runtime_error("Abbruch im Test");
        EXPECT_NE(fitter, nullptr);
        EXPECT_NE(array, nullptr);
    }
    std::vector<int> progress;
    int combinations = 0;
    bool throwOnCombination = false;
};

class SelectionTest : public ModulesTest {
protected:
    SelectionTest()
    {
        Attach(module);
        for (int k = 0; k < 5; ++k)
            AddObject("In:L" + std::to_string(k + 1), {{"Name", "L" + std::to_string(k + 1)},
                                                       {"SpectralModel", "GaussianLEDModel"},
                                                       {"PeakWavelength", std::to_string(kPeaks[k])},
                                                       {"FWHM", "0.03"}});
        const auto g = [](double x, int k) { return Gauss(x, kPeaks[k - 1], 0.03); };
        AddCurve("Ziel:S1", 380, 2, 201, [&](double x) { return 0.7 * g(x, 2) + 0.4 * g(x, 4) + 0.1 * g(x, 3); });
        AddCurve("Ziel:S2", 380, 2, 201, [&](double x) { return 0.2 * g(x, 2) + 0.9 * g(x, 4) + 0.05 * g(x, 5); });
        p.setStringParameter("TargetSpecs", "Ziel");
        p.setStringParameter("LEDsDesc", "In");
        p.setStringParameter("ClipboardTargetGroup", "Best");
        p.setIntParameter("LEDCount", 2);
        p.setIntParameter("ProposalCount", 10);
        p.setIntParameter("SelectorIterationCount", 12);
    }

    std::vector<std::string> Combinations() const
    {
        std::vector<std::string> lines;
        for (const auto& l : host.log)
            if (l.text.rfind("Neue LED-Kombination gefunden: ", 0) == 0)
                lines.push_back(l.text);
        return lines;
    }

    LEDSelectionModule module;
    ns_param::Paramora& p = module.getParameters();
};

TEST_F(SelectionTest, FindsTheEnumeratedBestPair)
{
    const auto [i, j] = ReferenceBestPair();
    ASSERT_GT(i, 0);
    const std::vector<std::string> best = {"Best:L" + std::to_string(i), "Best:L" + std::to_string(j)};
    for (unsigned seed : {1u, 77u, 4242u}) {
        SCOPED_TRACE(seed);
        host.clipboard.DeleteInserters("Best");
        host.log.clear();
        platform::SRand(seed);
        ASSERT_TRUE(module.do_selection());
        std::vector<std::string> names;
        for (const std::string& name : ClipboardNames())
            if (name.rfind("Best:", 0) == 0)
                names.push_back(name);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, best);
        EXPECT_EQ(ValuesOf(best[0]).at("SpectralModel"), "GaussianLEDModel") << "the record as it was read";
        const auto lines = Combinations();
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(lines.back() == "Neue LED-Kombination gefunden: L" + std::to_string(i) + " L" +
                                        std::to_string(j) + " " ||
                    lines.back() == "Neue LED-Kombination gefunden: L" + std::to_string(j) + " L" +
                                        std::to_string(i) + " ")
            << lines.back();
        EXPECT_FALSE(host.log.back().colour.has_value());
    }
    // The targets' grid stays, and so do the targets.
    EXPECT_DOUBLE_EQ(XStart, 0.38);
    EXPECT_DOUBLE_EQ(XEnd, 0.78);
    EXPECT_DOUBLE_EQ(XStep, 0.002);
    EXPECT_EQ(module.GetTargetSpectra().GetCount(), 2);
    EXPECT_EQ(module.GetTargetSpectra().PointCount, 201);
    EXPECT_FALSE(module.InRun());
}

TEST_F(SelectionTest, ProgressStatusAndForwarding)
{
    p.setIntParameter("SelectorIterationCount", 4);
    RecordingHandler handler;
    {
        LEDSelectionModule::Forwarding forwarding(module, &handler);
        ASSERT_TRUE(module.do_selection());
    }
    EXPECT_EQ(module.GetForwardHandler(), nullptr);
    for (double percent : {25.0, 50.0, 75.0, 100.0})
        EXPECT_NE(std::find(host.progressHistory.begin(), host.progressHistory.end(), percent),
                  host.progressHistory.end())
            << percent;
    EXPECT_EQ(host.statusTexts.front(), "Iteration 1 von 4");
    EXPECT_EQ(host.statusTexts.back(), "Iteration 4 von 4");
    ASSERT_FALSE(handler.progress.empty());
    EXPECT_EQ(handler.progress.back(), 1);
    EXPECT_EQ(handler.combinations, static_cast<int>(Combinations().size()));

    // A name with a percent sign is logged as it stands.
    LEDArray array;
    for (const char* name : {"A", "B%s%d"})
        array.AdoptLED(CreateLEDModel("GaussianLEDModel"), name);
    host.log.clear();
    module.OnNewCombination(nullptr, nullptr, &array);
    EXPECT_EQ(host.LogTexts(), (std::vector<std::string>{"Neue LED-Kombination gefunden: A B%s%d "}));
}

// The bar moves with the evaluations inside a generation, not only from one generation to the
// next (a generation of many proposals takes minutes): generation g of G shows
// (g - 1 + evaluated / to evaluate) x 100 / G, its end g x 100 / G. The first generation
// evaluates all 10 proposals, each later one its 5 mutants.
TEST_F(SelectionTest, ProgressMovesWithinAGeneration)
{
    p.setIntParameter("SelectorIterationCount", 4);
    ASSERT_TRUE(module.do_selection());
    const std::vector<double>& history = host.progressHistory;
    ASSERT_FALSE(history.empty());
    EXPECT_TRUE(std::is_sorted(history.begin(), history.end()));
    std::vector<double> expected;
    for (int k = 0; k <= 10; ++k)
        expected.push_back(k * 2.5);
    for (int g = 2; g <= 4; ++g)
        for (int k = 1; k <= 5; ++k)
            expected.push_back((g - 1 + k / 5.0) * 25.0);
    std::vector<double> shown = history;
    shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(shown[i], expected[i], 1e-9) << i;
    EXPECT_EQ(host.statusTexts.front(), "Iteration 1 von 4");
}

// At the largest ProposalCount the memory allows (a run of minutes per generation), the run
// reports its progress while the proposals are made and ends at the first poll after the
// abort: no proposal made beyond that poll's step, no evaluation, nothing filed.
TEST_F(SelectionTest, TheLargestProposalCountEndsAtTheAbort)
{
    p.setIntParameter("ProposalCount", INT_MAX);
    ASSERT_FALSE(module.do_selection());
    const double largest = std::floor(led_test::RangeLineMax(host.log.back().text, "ProposalCount", "1"));
    ASSERT_GE(largest, 4.0 * LEDSelector::kBuildReportStep) << host.log.back().text;
    p.setIntParameter("ProposalCount", static_cast<int>(largest));
    host.log.clear();

    struct AbortOnSecondReport : RecordingHandler {
        void OnBuildProgress(LEDSelector*, int built) override
        {
            builds.push_back(built);
            if (builds.size() == 2) {
                host->wantsAbort = true;
                pollsAtAbort = host->abortPolls;
            }
        }
        RecordingHost* host = nullptr;
        std::vector<int> builds;
        int pollsAtAbort = -1;
    } handler;
    handler.host = &host;
    LEDSelectionModule::Forwarding forwarding(module, &handler);
    EXPECT_TRUE(module.do_selection());
    const int step = LEDSelector::kBuildReportStep;
    EXPECT_EQ(handler.builds, (std::vector<int>{step, 2 * step})) << "no proposal reported after the abort";
    EXPECT_EQ(host.abortPolls - handler.pollsAtAbort, 1) << "the run ends at the first poll";
    EXPECT_EQ(handler.progress, (std::vector<int>{1})) << "no evaluation";
    const std::string count = std::to_string(static_cast<int>(largest));
    EXPECT_EQ(host.statusTexts, (std::vector<std::string>{"Erzeuge Vorschlag 1024 von " + count,
                                                          "Erzeuge Vorschlag 2048 von " + count, "Iteration 0 von 12"}));
    EXPECT_TRUE(Combinations().empty());
    EXPECT_EQ(ClipboardNames().size(), 5u) << "nothing filed";
}

TEST_F(SelectionTest, ForwardingIsResetWhenAHandlerThrows)
{
    RecordingHandler thrower;
    thrower.throwOnCombination = true;
    RecordingHandler* previous = nullptr;
    RecordingHandler outer;
    module.SetForwardHandler(&outer);
    previous = &outer;
    EXPECT_THROW(
        {
            LEDSelectionModule::Forwarding forwarding(module, &thrower);
            module.do_selection();
        },
        std::runtime_error);
    EXPECT_EQ(thrower.combinations, 1);
    EXPECT_EQ(module.GetForwardHandler(), previous);
    EXPECT_FALSE(module.InRun());
    EXPECT_FALSE(module.IsRunning());
    EXPECT_EQ(CurrentHost.load(), nullptr);
    module.SetForwardHandler(nullptr);
    // The module runs again afterwards.
    EXPECT_TRUE(module.do_selection());
}

TEST_F(SelectionTest, RefusalsLeaveTheClipboardAlone)
{
    const struct {
        const char* name;
        std::function<void()> setup;
        std::string line;
    } cases[] = {
        {"no targets", [this] { p.setStringParameter("TargetSpecs", "nichts"); },
         "Fehler bei der LED-Selektion: Keine Zielspektren angegeben!"},
        {"targets on different ranges", [this] { AddCurve("Ziel:S3", 400, 2, 100, [](double) { return 1.0; }); },
         "Fehler bei der LED-Selektion: Zielspektren sind nicht äquidistant oder haben ungleichen "
         "Definitionsbereich. Bitte führen Sie eine Normalisierung aus!"},
        {"too few records", [this] { p.setIntParameter("LEDCount", 6); },
         "Fehler bei der LED-Selektion: zu wenig Eingabe-LEDs (nur 5 LEDs gegeben)"},
        {"no LEDs per combination", [this] { p.setIntParameter("LEDCount", 0); },
         "Fehler: Parameter 'LEDCount' liegt außerhalb des zulässigen Bereichs (1 bis 2.14748e+09)!"},
        {"no generation", [this] { p.setIntParameter("SelectorIterationCount", 0); },
         "Fehler: Parameter 'SelectorIterationCount' liegt außerhalb des zulässigen Bereichs (1 bis 2.14748e+09)!"},
        {"negative proposals", [this] { p.setIntParameter("ProposalCount", -3); },
         "Fehler: Parameter 'ProposalCount' liegt außerhalb des zulässigen Bereichs (1 bis 2.14748e+09)!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.spectra.DeleteInserters("Ziel:S3");
        p.setStringParameter("TargetSpecs", "Ziel");
        p.setIntParameter("LEDCount", 2);
        p.setIntParameter("SelectorIterationCount", 2);
        p.setIntParameter("ProposalCount", 4);
        c.setup();
        XStart = 0.4;
        XEnd = 0.75;
        XStep = 0.002;
        host.log.clear();
        EXPECT_FALSE(module.do_selection());
        EXPECT_EQ(host.LogTexts(), (std::vector<std::string>{c.line}));
        EXPECT_EQ(host.log[0].colour, 0x000070u);
        EXPECT_EQ(ClipboardNames().size(), 5u);
        EXPECT_FALSE(module.InRun());
    }
    // Exactly as many records as LEDs per combination are enough.
    p.setIntParameter("LEDCount", 5);
    p.setIntParameter("ProposalCount", 4);
    EXPECT_TRUE(module.do_selection());
    EXPECT_EQ(host.clipboard.GetInserters("Best", false).size(), 5u);
}

// Proposals whose arrays cannot fit the memory are refused before the first one is made,
// with the largest count that fits.
TEST_F(SelectionTest, ProposalsBeyondTheMemoryAreRefusedBeforeTheRun)
{
    for (int count : {1000000, INT_MAX}) {
        SCOPED_TRACE(count);
        host.log.clear();
        p.setIntParameter("ProposalCount", count);
        EXPECT_FALSE(module.do_selection());
        ASSERT_EQ(host.log.size(), 1u);
        const double limit = led_test::RangeLineMax(host.log[0].text, "ProposalCount", "1");
        EXPECT_GE(limit, 1000) << host.log[0].text;
        EXPECT_LT(limit, count) << host.log[0].text;
        EXPECT_EQ(host.log[0].colour, 0x000070u);
        EXPECT_TRUE(host.progressHistory.empty());
        EXPECT_EQ(ClipboardNames().size(), 5u);
        EXPECT_FALSE(module.InRun());
    }
}

// The first proposals show their progress and take the abort: none of them, never
// evaluated, is filed.
TEST_F(SelectionTest, AnAbortWhileTheFirstProposalsAreMadeFilesNothing)
{
    struct AbortOnBuild : RecordingHandler {
        void OnBuildProgress(LEDSelector*, int built) override
        {
            builds.push_back(built);
            *wantsAbort = true;
        }
        bool* wantsAbort = nullptr;
        std::vector<int> builds;
    } handler;
    handler.wantsAbort = &host.wantsAbort;
    p.setIntParameter("ProposalCount", 3000);
    LEDSelectionModule::Forwarding forwarding(module, &handler);
    EXPECT_TRUE(module.do_selection());
    EXPECT_EQ(handler.builds, (std::vector<int>{LEDSelector::kBuildReportStep}));
    EXPECT_EQ(std::count(host.statusTexts.begin(), host.statusTexts.end(), "Erzeuge Vorschlag 1024 von 3000"), 1);
    // The bar stays at the start while the proposals are made: the generations fill it
    // from 0, and a bar that went back would leave the remaining time unknown.
    EXPECT_EQ(host.progressHistory, (std::vector<double>{0.0}));
    EXPECT_EQ(handler.progress, (std::vector<int>{1})) << "the run ends at once";
    EXPECT_TRUE(Combinations().empty()) << "nothing was fitted";
    EXPECT_EQ(ClipboardNames().size(), 5u) << "nothing was filed";
}

TEST_F(SelectionTest, FitterSpectraOnAnotherGridAreRefused)
{
    // 400 .. 700 nm in steps of 5: 61 points, grid 0.4, 0.7, 0.005 um.
    host.spectra.DeleteInserters("Ziel");
    AddCurve("Ziel:A", 400, 5, 61, [](double x) { return Gauss(x, 0.5, 0.03); });
    AddCurve("Fit:T", 380, 2, 201, [](double) { return 1.0; });
    p.setStringParameter("TargetSpecsDesc", "Fit");
    p.setIntParameter("SelectorIterationCount", 2);
    EXPECT_TRUE(module.do_selection());
    EXPECT_EQ(host.LogTexts()[0], "Fehler: Der Definitionsbereich stimmt nicht mit vorhergehender Spektrenmenge überein:");
    EXPECT_EQ(module.GetTargetSpectra().PointCount, 61);
    EXPECT_DOUBLE_EQ(XStart, 0.4);
    EXPECT_DOUBLE_EQ(XEnd, 0.7);
    EXPECT_DOUBLE_EQ(XStep, 0.005);
}

} // namespace

namespace {

// A candidate whose model value is no finite number is refused before the run: it could be
// picked and filed as part of the best combination.
TEST_F(SelectionTest, ACandidateValueThatIsNoFiniteNumberIsRefused)
{
    for (const char* text : {"-inf", "nan"}) {
        SCOPED_TRACE(text);
        host.clipboard.DeleteInserters("In:L3");
        AddObject("In:L3", {{"Name", "L3"}, {"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", "0.55"},
                            {"FWHM", text}});
        host.log.clear();
        EXPECT_FALSE(module.do_selection());
        ASSERT_EQ(host.log.size(), 1u);
        EXPECT_EQ(host.log[0].text,
                  std::string("Fehler: LED-Datensatz 'In:L3': Wert '") + text + "' von 'FWHM' ist keine endliche Zahl!");
        EXPECT_TRUE(host.clipboard.GetInserters("Best", false).empty());
    }
}

} // namespace
