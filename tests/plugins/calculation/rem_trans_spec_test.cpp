// The point-wise arithmetic module: the four modes with their names and colours, screening,
// the random constant, errors and bad input, abort, and the mended faults.
#include "calculation/rem_trans_spec_module.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using calc_test::AddCurve;
using calc_test::AddSpectrum;
using calc_test::Names;
using calc_test::Xs;
using calc_test::Ys;

const std::string kParameterError = "Fehler: Das Funktionsmodul wurde nicht korrekt parametriert. ";
const std::string kGridsDiffer =
    "Fehler: Spektrenauswahl 1 und 2 haben ungleiche Defintionsbereiche. Bitte führen Sie eine Normalisierung aus!";
const std::string kBNumber = "Hinweis: Eingabefeld B als Zahl interpretiert! Prüfen Sie, ob die Zahl richtig "
                             "(Dezimalpunkt, nur ein Vorzeichen) eingegeben wurde.";

class Arithmetic : public ::testing::Test {
protected:
    void SetUp() override
    {
        module.SetModuleInterface(&host);
        module.SetSeedSource([this] { return seed++; });
    }

    ns_param::Paramora& P() { return module.getParameters(); }
    Spectrum* At(const std::string& name) { return host.spectra.GetInserterByName(name); }
    // y = f(x) on 400..404 in 1 nm.
    template <class F>
    Spectrum* Curve(const std::string& name, F f, COLORREF colour = 0x123456)
    {
        Spectrum* s = AddCurve(host, name, 400, 1, 5, f);
        s->SetColor(colour);
        return s;
    }
    // Function number 1 .. 17, A, B and the target group.
    void Set(int op, const std::string& a, const std::string& b = "", const std::string& target = "")
    {
        P().setIntParameter("AritmetikfuncSel", op - 1);
        P().setStringParameter("LightSpecDesc", a);
        P().setStringParameter("SpecDesc", b);
        P().setStringParameter("TargetGroup", target);
    }
    bool Logged(const std::string& text) const
    {
        const auto texts = host.LogTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    RecordingHost host;
    RemTransSpecModule module;
    std::uint32_t seed = 1;
};

TEST_F(Arithmetic, RegistersItsParametersAndFunctions)
{
    EXPECT_EQ(module.getClassName(), "Calculation_RemTransSpec");
    for (const char* n : {"LightSpecDesc", "SpecDesc", "TargetGroup"})
        EXPECT_NE(P().getStringParameter(n), nullptr) << n;
    for (const char* n : {"UseInputNamesForGroups", "CalcOnlySameNames", "AutoName", "CheckSpecs", "GroupedProc",
                          "AddArithToNames", "RandomCalc"})
        EXPECT_NE(P().getBoolParameter(n), nullptr) << n;
    EXPECT_TRUE(*P().getBoolParameter("UseInputNamesForGroups"));
    auto* functions = P().getEnumParameter("Aritmetikfunc");
    ASSERT_NE(functions, nullptr);
    ASSERT_EQ(functions->getEntryCount(), 17);
    EXPECT_EQ(functions->getEntry(8), "µ( A ); Mittelwert");
    EXPECT_EQ(functions->getEntry(16), "e^( A ); Potenz zur Basis e");
    EXPECT_EQ(*P().getIntParameter("AritmetikfuncSel"), 0);
    ASSERT_EQ(module.GetAutomationPtr().size(), 1u);
    EXPECT_EQ(module.GetAutomationPtr()[0].name, "calculate");
}

TEST_F(Arithmetic, ConstantModeNamesColoursAndValues)
{
    Curve("Mess:  a ", [](double x) { return x - 400; }, 0x0000ff);
    Curve("Mess:b", [](double x) { return x == 402 ? 0 : 1; });
    Set(3, "Mess", "2");
    ASSERT_TRUE(module.calculate());
    EXPECT_TRUE(Logged(kBNumber));
    ASSERT_NE(At("ResSpec:a"), nullptr); // the leaf trimmed
    EXPECT_EQ(Ys(*At("ResSpec:a")), (std::vector<double>{0, 2, 4, 6, 8}));
    EXPECT_EQ(Xs(*At("ResSpec:a")), (std::vector<double>{400, 401, 402, 403, 404}));
    EXPECT_EQ(At("ResSpec:a")->GetColor(), 0x0000ffu);
    EXPECT_EQ(host.statusTexts.back(), "Verrechne Spektrum 2 von 2");
    EXPECT_EQ(host.progressHistory.back(), 100);

    // Function 7 fills the zero points with the constant; the suffix with AddArithToNames.
    P().setBoolParameter("AddArithToNames", true);
    Set(7, "Mess:b", " 5 ", "Ziel:");
    ASSERT_TRUE(module.calculate());
    ASSERT_NE(At("Ziel:b_U"), nullptr);
    EXPECT_EQ(Ys(*At("Ziel:b_U")), (std::vector<double>{1, 1, 5, 1, 1}));
}

TEST_F(Arithmetic, PairwiseNamesOfFourResultsAndOneB)
{
    Curve("G:x", [](double) { return 6; }, 0x01);
    Curve("G:y", [](double) { return 8; }, 0x02);
    Curve("H:x", [](double) { return 2; }, 0x03);
    Curve("H:z", [](double) { return 4; }, 0x04);
    Set(2, "G", "H");
    ASSERT_TRUE(module.calculate());
    EXPECT_TRUE(Logged("Hinweis: Eingabefeld B als Spektrum interpretiert! "));
    for (auto [name, value] : {std::pair{"ResSpec:x:x", 4.0}, {"ResSpec:x:z", 2.0}, {"ResSpec:y:x", 6.0},
                               {"ResSpec:y:z", 4.0}}) {
        ASSERT_NE(At(name), nullptr) << name;
        EXPECT_EQ(Ys(*At(name))[0], value) << name;
        EXPECT_EQ(At(name)->GetColor(), name[10] == 'x' ? 0x03u : 0x04u) << name; // M = N: B's colour
    }
    host.spectra.DeleteInserters("ResSpec");
    P().setBoolParameter("CalcOnlySameNames", true);
    ASSERT_TRUE(module.calculate());
    EXPECT_EQ(Names(host).size(), 5u);
    ASSERT_NE(At("ResSpec:x"), nullptr);
    EXPECT_EQ(Ys(*At("ResSpec:x"))[0], 4);

    // One B: each A gives G + its leaf, with A's colour (M < N).
    host.spectra.DeleteInserters("ResSpec");
    P().setBoolParameter("CalcOnlySameNames", false);
    Set(1, "G", "H:z", "Out");
    ASSERT_TRUE(module.calculate());
    ASSERT_NE(At("Out:x"), nullptr);
    ASSERT_NE(At("Out:y"), nullptr);
    EXPECT_EQ(Ys(*At("Out:y"))[0], 12);
    EXPECT_EQ(At("Out:y")->GetColor(), 0x02u);
    EXPECT_EQ(host.statusTexts.back(), "Verrechne Spektren 2 von 2");
}

TEST_F(Arithmetic, PairwiseDivisionAndGroupedNames)
{
    Curve("M:Reihe:a", [](double) { return 1; });
    Curve("B:b", [](double x) { return x == 400 ? -4 : 0; }); // max |b| = 4: offset 0.004
    P().setBoolParameter("GroupedProc", true);
    Set(4, "M", "B:b");
    ASSERT_TRUE(module.calculate());
    Spectrum* r = At("ResSpec:Reihe:a");
    ASSERT_NE(r, nullptr);
    EXPECT_DOUBLE_EQ(Ys(*r)[0], 1 / (-4 + 0.004));
    EXPECT_DOUBLE_EQ(Ys(*r)[1], 1 / 0.004);
}

TEST_F(Arithmetic, ResultsThatAreNotFiniteRefuseTheRun)
{
    Curve("A:one", [](double) { return 1; });
    Curve("A:zero", [](double x) { return x == 401 ? 0 : 2; });
    Curve("A:huge", [](double) { return 1e300; });
    Curve("Z:zero", [](double) { return 0; });
    Curve("A:max", [](double) { return 1.7e308; });
    Curve("Z:tiny", [](double) { return 1e-300; });
    Curve("W:one", [](double) { return 2; });
    Curve("Z:mixed", [](double x) { return x == 400 ? 3 : 0; });
    const std::string kFailure = "Fehler: Ergebnis nicht endlich (Division durch 0 oder Zahlenüberlauf) bei Spektrum ";
    const struct {
        const char* what;
        int op;
        const char* a;
        const char* b;
        bool sameNames;
        const char* failing; // the spectra named in the error; empty: the run succeeds
    } cases[] = {
        {"constant -1e-8 cancels the offset", 4, "A:one", "-0.00000001", false, "A:one"},
        {"0 / 0 at the constant -1e-8", 4, "A:zero", "-0.00000001", false, "A:zero"},
        {"B spectrum of zeros", 4, "A", "Z:zero", false, "A:one / Z:zero"},
        {"zeros among two B spectra", 4, "A:one", "Z:mixed;Z:zero", false, "A:one / Z:zero"},
        {"overflow of a tiny divisor", 4, "A:huge", "Z:tiny", false, "A:huge / Z:tiny"},
        {"overflow of a product", 3, "A:huge", "10000000000", false, "A:huge"},
        {"overflow of a sum", 1, "A:max", "A:max", false, "A:max / A:max"},
        // Sound runs stay as they were.
        {"constant 0 divides by 1e-8", 4, "A:one", "0", false, ""},
        {"zeros beside a value: a thousandth of it", 4, "A:one", "Z:mixed", false, ""},
        {"tiny divisor of a small value", 4, "A:one", "Z:tiny", false, ""},
        {"a zero B spectrum never paired by name", 4, "A:one", "Z:zero;W:one", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.spectra.DeleteInserters("ResSpec");
        host.log.clear();
        const std::size_t before = host.spectra.GetInserters().size();
        P().setBoolParameter("CalcOnlySameNames", c.sameNames);
        Set(c.op, c.a, c.b);
        const bool failing = *c.failing != 0;
        EXPECT_EQ(module.calculate(), !failing);
        if (failing) {
            EXPECT_EQ(host.log.back().text, kFailure + c.failing + "! Es wurden keine Ergebnisse abgelegt.");
            EXPECT_EQ(host.log.back().colour, 0x000070u);
            EXPECT_EQ(host.spectra.GetInserters().size(), before);
        } else {
            EXPECT_GT(host.spectra.GetInserters().size(), before);
        }
        for (const Spectrum* s : host.spectra.GetInserters())
            for (double y : Ys(*s))
                EXPECT_TRUE(std::isfinite(y)) << s->GetName();
    }
}

TEST_F(Arithmetic, PowersThatOverflowAreLeftOutWithTheHint)
{
    Curve("A:e", [](double x) { return x == 403 ? 1000 : 1; });
    Set(17, "A:e");
    ASSERT_TRUE(module.calculate());
    ASSERT_NE(At("ResSpec:A:e_e^"), nullptr);
    EXPECT_EQ(Xs(*At("ResSpec:A:e_e^")), (std::vector<double>{400, 401, 402, 404}));
    EXPECT_TRUE(Logged("Hinweis:  Ungültiges Argument bei Spektrum A:e und Wellenlänge 403!"));
}

TEST_F(Arithmetic, ByNameMatchesEveryPairInSelectionOrder)
{
    // B lists the leaf x twice (two groups); both partners of A's x are taken in order.
    Curve("A:x", [](double) { return 10; });
    Curve("A:w", [](double) { return 10; });
    Curve("B1: x", [](double) { return 1; });
    Curve("B1:w", [](double) { return 2; });
    Curve("B2:x", [](double) { return 3; });
    P().setBoolParameter("CalcOnlySameNames", true);
    Set(2, "A", "B1;B2");
    ASSERT_TRUE(module.calculate());
    // Both x pairs file ResSpec:x; the later (B2:x) replaces the earlier.
    EXPECT_EQ(Ys(*At("ResSpec:x"))[0], 7);
    EXPECT_EQ(Ys(*At("ResSpec:w"))[0], 8);
    // Progress only rises and ends at 100 %.
    EXPECT_TRUE(std::is_sorted(host.progressHistory.begin(), host.progressHistory.end()));
    EXPECT_EQ(host.progressHistory.back(), 100);
    EXPECT_EQ(host.statusTexts.back(), "Verrechne Spektren 6 von 6");
    // Run again: the results are replaced in place, nothing doubles.
    const std::size_t count = host.spectra.GetInserters().size();
    At("B2:x")->SetPoint(0, 400, 4);
    ASSERT_TRUE(module.calculate());
    EXPECT_EQ(host.spectra.GetInserters().size(), count);
    EXPECT_EQ(Ys(*At("ResSpec:x"))[0], 6);
    EXPECT_EQ(Ys(*At("ResSpec:w"))[0], 8);
}

TEST_F(Arithmetic, AResultNamedLikeABSpectrumReplacesItSafely)
{
    // The result ResSpec:x replaces the B spectrum while later pairs still need B's values.
    Curve("G:x", [](double) { return 5; });
    Curve("G:y", [](double) { return 7; });
    Curve("ResSpec:x", [](double) { return 1; });
    Set(2, "G", "ResSpec:x");
    ASSERT_TRUE(module.calculate());
    EXPECT_EQ(Ys(*At("ResSpec:x"))[0], 4);
    EXPECT_EQ(Ys(*At("ResSpec:y"))[0], 6); // B's old values, not the result's
}

TEST_F(Arithmetic, StatisticsNamesBandsAndColours)
{
    Curve("Serie:a", [](double) { return 1; }, RGB(60, 120, 180));
    Curve("Serie:b", [](double) { return 3; });
    Curve("Serie:c", [](double x) { return x == 400 ? 8 : 2; });
    Set(9, "Serie:a;Serie:b;Serie:c");
    ASSERT_TRUE(module.calculate());
    ASSERT_NE(At("ResSpec:variousSpecs"), nullptr);
    EXPECT_EQ(Ys(*At("ResSpec:variousSpecs"))[1], 2);
    EXPECT_EQ(At("ResSpec:variousSpecs")->GetColor(), RGB(60, 120, 180));

    Set(11, "Serie");
    ASSERT_TRUE(module.calculate());
    const double sigma = std::sqrt(((1 - 2.0) * (1 - 2.0) + 1 + 0) / 3);
    ASSERT_NE(At("ResSpec:Serie"), nullptr);
    ASSERT_NE(At("ResSpec:Serie_mean_psigma"), nullptr);
    ASSERT_NE(At("ResSpec:Serie_mean_msigma"), nullptr);
    EXPECT_DOUBLE_EQ(Ys(*At("ResSpec:Serie_mean_psigma"))[1], 2 + 2 * sigma);
    EXPECT_DOUBLE_EQ(Ys(*At("ResSpec:Serie_mean_msigma"))[1], 2 - 2 * sigma);
    EXPECT_EQ(At("ResSpec:Serie_mean_psigma")->GetColor(), RGB(92, 184, 255));

    P().setBoolParameter("AddArithToNames", true);
    ASSERT_TRUE(module.calculate());
    EXPECT_NE(At("ResSpec:Serie_mean_cov_"), nullptr);
    EXPECT_NE(At("ResSpec:Serie_mean_cov__psigma"), nullptr);
    EXPECT_NE(At("ResSpec:Serie_mean_cov__msigma"), nullptr);
    for (auto [op, name, value] : {std::tuple{10, "ResSpec:Serie_sigma", sigma}, {12, "ResSpec:Serie_min", 1.0},
                                   {13, "ResSpec:Serie_max", 3.0}}) {
        Set(op, "Serie");
        ASSERT_TRUE(module.calculate());
        ASSERT_NE(At(name), nullptr) << name;
        EXPECT_DOUBLE_EQ(Ys(*At(name))[1], value) << name;
    }
}

TEST_F(Arithmetic, ScreeningFilesUnusedSpectraAndFallsBackToAll)
{
    // 20 points: a lively curve and a flat one (variance 0).
    AddCurve(host, "S:live", 400, 1, 20, [](double x) { return static_cast<int>(x) % 2 ? 10.0 : 1.0; });
    AddCurve(host, "S:flat", 400, 1, 20, [](double) { return 5.0; });
    P().setBoolParameter("CheckSpecs", true);
    Set(9, "S");
    ASSERT_TRUE(module.calculate());
    EXPECT_NE(At("ResSpec:UnusedSpecs:S:flat"), nullptr);
    EXPECT_EQ(At("ResSpec:UnusedSpecs:S:live"), nullptr);
    EXPECT_EQ(Ys(*At("ResSpec:S"))[0], 1); // the mean of the live curve alone

    // None passes: all are used.
    host.spectra.DeleteInserters("ResSpec");
    Set(9, "S:flat");
    ASSERT_TRUE(module.calculate());
    EXPECT_NE(At("ResSpec:UnusedSpecs:S:flat"), nullptr);
    EXPECT_EQ(Ys(*At("ResSpec:S"))[0], 5);
}

TEST_F(Arithmetic, FunctionsOfAWithNamesAndInvalidArguments)
{
    Curve("ResSpec:Gruppe:Unter:a", [](double x) { return x == 402 ? 0 : 100; });
    Set(14, "ResSpec:Gruppe:Unter:a");
    ASSERT_TRUE(module.calculate());
    Spectrum* r = At("ResSpec:Unter:a_log10");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Xs(*r), (std::vector<double>{400, 401, 403, 404}));
    EXPECT_EQ(Ys(*r), (std::vector<double>{2, 2, 2, 2}));
    EXPECT_TRUE(Logged("Hinweis:  Ungültiges Argument bei Spektrum ResSpec:Gruppe:Unter:a und Wellenlänge 402!"));

    struct Row {
        const char* name;
        const char* function;
    };
    const Row rows[] = {
        {"a", "a"},           {"G:a", "G:a"},           {"G:H:I:a", "I:a"},
        {"ResSpec:a", "a"},   {"ResSpec:G:H:a", "H:a"}, {"X:ResSpec:a", "c:a"}, // 8 characters off the start
    };
    for (const Row& row : rows)
        EXPECT_EQ(RemTransSpecModule::FunctionName(row.name), row.function) << row.name;
    EXPECT_EQ(RemTransSpecModule::PairShortName("G:H: a ", false), "a");
    EXPECT_EQ(RemTransSpecModule::PairShortName("G:H:a", true), "H:a");
    EXPECT_EQ(RemTransSpecModule::PairShortName("H:a", true), "H:a");
    EXPECT_EQ(RemTransSpecModule::PairShortName("a", true), "a");
    EXPECT_EQ(RemTransSpecModule::StatisticsName("X;Y", "X:a"), "variousSpecs");
    EXPECT_EQ(RemTransSpecModule::StatisticsName("X", " X :G:a"), "X");
}

TEST_F(Arithmetic, RandomConstantsAreDrawnPerSpectrumInsideTheirInterval)
{
    for (int i = 0; i < 20; ++i)
        Curve("R:s" + std::to_string(i), [](double) { return 1; });
    P().setBoolParameter("RandomCalc", true);
    Set(3, "R", "-2");
    ASSERT_TRUE(module.calculate());
    EXPECT_TRUE(Logged("Hinweis: Eingabefeld B als Zahl interpretiert und randomisiert verwendet! Prüfen Sie, ob "
                       "die Zahl richtig (Dezimalpunkt, nur ein Vorzeichen) eingegeben wurde und der "
                       "Anwendungsmodus passt."));
    std::vector<double> drawn;
    for (int i = 0; i < 20; ++i) {
        const std::vector<double> y = Ys(*At("ResSpec:s" + std::to_string(i)));
        EXPECT_TRUE(std::all_of(y.begin(), y.end(), [&](double v) { return v == y[0]; }));
        EXPECT_GE(y[0], -2.2);
        EXPECT_LE(y[0], -1.8);
        drawn.push_back(y[0]);
    }
    std::sort(drawn.begin(), drawn.end());
    EXPECT_LT(std::unique(drawn.begin(), drawn.end()) - drawn.begin(), 21);
    EXPECT_GT(std::unique(drawn.begin(), drawn.end()) - drawn.begin(), 15); // a new seed per spectrum
    EXPECT_EQ(seed, 21u);
}

TEST_F(Arithmetic, ErrorsAndBadInput)
{
    Curve("A:a", [](double) { return 1; });
    AddSpectrum(host, "U:unsorted", {401, 400, 402}, {1, 2, 3});
    AddSpectrum(host, "U:one", {400}, {1});
    AddCurve(host, "W:wide", 400, 2, 5, [](double) { return 1.0; });
    struct Row {
        const char* name;
        int op;
        const char* a;
        const char* b;
        std::string error;
    };
    const Row rows[] = {
        {"no A", 1, "nichts", "2", "Fehler: Es wurden keine Spektren ausgewählt!"},
        {"empty B", 1, "A", "", "Fehler: Eingabefeld B ist leer!"},
        {"A unsorted", 1, "U:unsorted", "2",
         "Fehler: Spektrenauswahl 1 nicht äquidistant. Bitte führen Sie eine Normalisierung aus!"},
        {"A of one point", 9, "U:one", "",
         "Fehler: Spektrenauswahl 1 nicht äquidistant. Bitte führen Sie eine Normalisierung aus!"},
        {"B unsorted", 1, "A", "U:unsorted",
         "Fehler: Spektrenauswahl 2 nicht äquidistant. Bitte führen Sie eine Normalisierung aus!"},
        {"grids differ", 1, "A", "W", kGridsDiffer},
        {"comma is no number", 1, "A", "1,5", kGridsDiffer},
        {"exponent is no number", 1, "A", "1e-3", kGridsDiffer},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.log.clear();
        Set(row.op, row.a, row.b);
        const std::size_t before = host.spectra.GetInserters().size();
        EXPECT_FALSE(module.calculate());
        EXPECT_TRUE(Logged(row.error));
        EXPECT_EQ(host.log.back().colour, 0x000070u);
        EXPECT_EQ(host.spectra.GetInserters().size(), before);
    }
    // A Sel beyond the list: outside its registered range; an empty A keeps its own line first.
    const struct {
        const char* name;
        const char* a;
        std::string error;
    } sels[] = {
        {"Sel 17", "A", "Fehler: Parameter 'AritmetikfuncSel' liegt außerhalb des zulässigen Bereichs (0 bis 16)!"},
        {"Sel 17 without A", "nichts", "Fehler: Es wurden keine Spektren ausgewählt!"},
    };
    for (const auto& c : sels) {
        SCOPED_TRACE(c.name);
        host.log.clear();
        Set(1, c.a, "2");
        P().setIntParameter("AritmetikfuncSel", 17);
        const std::size_t before = host.spectra.GetInserters().size();
        EXPECT_FALSE(module.calculate());
        EXPECT_EQ(host.LogTexts(), std::vector<std::string>{c.error});
        EXPECT_EQ(host.spectra.GetInserters().size(), before);
    }
    P().setIntParameter("AritmetikfuncSel", 0);
    // Blanks only: a number, 0.
    Set(1, "A", "   ");
    ASSERT_TRUE(module.calculate());
    EXPECT_TRUE(Logged(kBNumber));
    EXPECT_EQ(Ys(*At("ResSpec:a"))[0], 1);
}

TEST_F(Arithmetic, RecursionRule)
{
    struct Row {
        const char* target;
        const char* selection;
        bool recursion;
    };
    const Row rows[] = {
        {"Mess:Neu", "Mess", true},         {"Mess", "Mess:Alt", true},   {"Mess", "Mess", false},
        {"Mess", "Messung", false},         {":Mess:", "X;Mess:*", false}, {"Mess:Neu", "X; Mess:* ", true},
        {"", "Mess", false},                {"A:B", "A:BC", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RemTransSpecModule::IsRecursion(row.target, row.selection), row.recursion)
            << row.target << " / " << row.selection;

    Curve("Mess:a", [](double) { return 1; });
    Curve("Ref:b", [](double) { return 1; });
    Set(1, "Mess", "2", "Mess:Neu");
    EXPECT_FALSE(module.calculate());
    EXPECT_EQ(host.LogTexts().back(), "Fehler: Diese Rekursion ist nicht erlaubt");
    Set(1, "Mess", "Ref", "Ref:Neu");
    EXPECT_FALSE(module.calculate());
    EXPECT_EQ(host.LogTexts().back(), "Fehler: Rekursion ist hier nicht erlaubt");
    // The same group: results replace their inputs.
    Set(1, "Mess", "2", "Mess");
    ASSERT_TRUE(module.calculate());
    EXPECT_EQ(Ys(*At("Mess:a"))[0], 3);
}

TEST_F(Arithmetic, AbortKeepsWhatWasFiled)
{
    for (const char* name : {"A:a", "A:b", "A:c"})
        Curve(name, [](double) { return 1; });
    host.wantsAbort = true;
    Set(1, "A", "1");
    EXPECT_TRUE(module.calculate());
    EXPECT_NE(At("ResSpec:a"), nullptr);
    EXPECT_EQ(At("ResSpec:b"), nullptr);
    Curve("B:x", [](double) { return 1; });
    Curve("B:y", [](double) { return 1; });
    host.spectra.DeleteInserters("ResSpec");
    Set(1, "A", "B");
    EXPECT_TRUE(module.calculate());
    EXPECT_EQ(Names(host).size(), 6u); // the first pair only
}

// The finiteness check without a host: rows of settings on curves of five points. In the
// random mode each A spectrum has a constant of its own, and by name only the partners count.
TEST(ArithmeticCore, NotFiniteNamesTheFirstFailingSpectrumOrPair)
{
    const auto curve = [](const char* name, double y) {
        return RemTransSpecModule::Curve{name, 0, {400, 401, 402, 403, 404}, std::vector<double>(5, y)};
    };
    const struct Row {
        const char* what;
        RemTransSpecModule::Settings settings;
        RemTransSpecModule::Inputs inputs;
        std::vector<double> constants;
        const char* failing;
    } rows[] = {
        {"the second spectrum's constant cancels the offset", {.op = 4},
         {{curve("A:a", 1), curve("A:b", 1)}, {}}, {1, -1e-8}, "A:b"},
        {"each constant sound", {.op = 4}, {{curve("A:a", 1), curve("A:b", 1)}, {}}, {1, 2}, ""},
        {"a zero partner by name", {.op = 4, .sameNames = true, .pairwise = true},
         {{curve("A:a", 1), curve("A:b", 1)}, {curve("B:a", 2), curve("B:b", 0)}}, {}, "A:b / B:b"},
        {"a zero spectrum nobody pairs with", {.op = 4, .sameNames = true, .pairwise = true},
         {{curve("A:a", 1)}, {curve("B:a", 2), curve("B:b", 0)}}, {}, ""},
        {"every pair without names", {.op = 4, .pairwise = true},
         {{curve("A:a", 1)}, {curve("B:a", 2), curve("B:b", 0)}}, {}, "A:a / B:b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RemTransSpecModule::NotFinite(row.settings, row.inputs, row.constants), row.failing);
    }
}

} // namespace
