// The normalising module: parameters, the grid reference, the run and its destinations,
// name search, shifts, sorting, and the mended faults.
#include "calculation/normalize_module.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using calc_test::AddCurve;
using calc_test::AddSpectrum;
using calc_test::ChildNames;
using calc_test::Xs;
using calc_test::Ys;

const std::string kParameterError = "Fehler: Das Funktionsmodul wurde nicht korrekt parametriert. ";

class Normalize : public ::testing::Test {
protected:
    void SetUp() override
    {
        module.SetModuleInterface(&host);
        module.SetSeedSource([this] { return seed++; });
        // 400..420 nm onto 400..410 in 1 nm, linear inside, linear outside.
        P().setDoubleParameter("XStart", 400);
        P().setDoubleParameter("XEnd", 410);
        P().setDoubleParameter("XStep", 1);
        P().setIntParameter("InterpolatorSel", 1);
        P().setIntParameter("ExtrapolatorSel", 2);
    }

    ns_param::Paramora& P() { return module.getParameters(); }
    Spectrum* At(const std::string& name) { return host.spectra.GetInserterByName(name); }
    // y = x - 400 on 400..420 in 0.5 nm.
    Spectrum* Ramp(const std::string& name) { return AddCurve(host, name, 400, 0.5, 41, [](double x) { return x - 400; }); }

    RecordingHost host;
    NormalizeModule module;
    std::uint32_t seed = 1;
};

TEST_F(Normalize, RegistersItsParameters)
{
    NormalizeModule fresh;
    ns_param::Paramora& p = fresh.getParameters();
    EXPECT_EQ(fresh.getClassName(), "NormalizeModule");
    const char* doubles[] = {"SigScale", "SigOffset", "XStart", "XEnd", "XStep", "XShift"};
    const char* strings[] = {"SpecDesc", "RefSpecDesc", "TargetGroup", "SuchStr"};
    const char* ints[] = {"RandomAnz", "IntPrec", "ExtrapolatorSel", "InterpolatorSel"};
    const char* bools[] = {"SuchModus",    "UseTargetGroup", "UseAutoMaxNorm", "UseNoNegValues", "AutoName",
                           "AutoNameSuche", "AutoNameXShift", "CleanFolder",    "SortSpecs"};
    for (const char* n : doubles)
        EXPECT_NE(p.getDoubleParameter(n), nullptr) << n;
    for (const char* n : strings)
        EXPECT_NE(p.getStringParameter(n), nullptr) << n;
    for (const char* n : ints)
        EXPECT_NE(p.getIntParameter(n), nullptr) << n;
    for (const char* n : bools)
        EXPECT_NE(p.getBoolParameter(n), nullptr) << n;
    int count = 0;
    for (auto it = p.getFirstParameter(); it != p.getLastParameter(); ++it)
        ++count;
    EXPECT_EQ(count, 25);
    EXPECT_EQ(*p.getDoubleParameter("XStep"), 1);
    EXPECT_EQ(*p.getDoubleParameter("SigScale"), 1);
    const ns_xandril::XMLEnumClass& ipol = *p.getEnumParameter("Interpolator");
    const ns_xandril::XMLEnumClass& epol = *p.getEnumParameter("Extrapolator");
    EXPECT_EQ(ipol.getIndex(), 1);
    EXPECT_EQ(epol.getIndex(), 2);
    const std::vector<std::string> ipolEntries = {"Nächster Nachbar", "Linear Spline", "Kubisch Linear",
                                                  "Kubisch Spline ausgleichend"};
    const std::vector<std::string> epolEntries = {"Null", "Werte", "Linear", "Hyperbolisch, abflachend"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ipol.getEntry(i), ipolEntries[static_cast<std::size_t>(i)]);
        EXPECT_EQ(epol.getEntry(i), epolEntries[static_cast<std::size_t>(i)]);
    }
    const auto operations = fresh.GetAutomationPtr();
    ASSERT_EQ(operations.size(), 2u);
    EXPECT_EQ(operations[0].name, "normalize");
    EXPECT_EQ(operations[1].name, "setrefspec");
}

TEST_F(Normalize, SetRefSpecTakesTheGrid)
{
    struct Row {
        const char* name;
        std::vector<double> x;
        bool ok;
        double start, end, step;
        std::vector<std::string> log;
    } rows[] = {
        {"equidistant", {400, 410, 420, 430}, true, 400, 430, 10, {}},
        {"two points take x1 - x0", {400, 405}, true, 400, 405, 5, {}},
        {"not equidistant: whole limits", {400.4, 401, 403.6}, true, 400, 404, 7,
         {"Hinweis: Bezugsspektrum ist nicht äquidistant. Es werden nur ganzzahlige Grenzen übernommen."}},
        {"one point", {401.5}, true, 402, 402, 7,
         {"Hinweis: Bezugsspektrum ist nicht äquidistant. Es werden nur ganzzahlige Grenzen übernommen."}},
        {"no points", {}, false, 1, 2, 7, {"Fehler: Fehlerhaftes Bezugsspektrum!"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        host.spectra.ClearTree();
        host.log.clear();
        AddSpectrum(host, "Ref:Lampe", r.x, std::vector<double>(r.x.size(), 1.0));
        P().setDoubleParameter("XStart", 1);
        P().setDoubleParameter("XEnd", 2);
        P().setDoubleParameter("XStep", 7);
        P().setStringParameter("RefSpecDesc", "Ref:Lampe");
        EXPECT_EQ(module.setrefspec(), r.ok);
        EXPECT_EQ(*P().getDoubleParameter("XStart"), r.start);
        EXPECT_EQ(*P().getDoubleParameter("XEnd"), r.end);
        EXPECT_EQ(*P().getDoubleParameter("XStep"), r.step);
        EXPECT_EQ(host.LogTexts(), r.log);
    }
    host.log.clear();
    P().setStringParameter("RefSpecDesc", "");
    EXPECT_FALSE(module.setrefspec());
    EXPECT_EQ(host.LogTexts(), std::vector<std::string>{"Fehler: Fehlerhaftes Bezugsspektrum!"});
}

// Bad parameters (a script can set any value) stop the run before anything is written.
TEST_F(Normalize, BadParametersStopTheRun)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // The range line of a number outside its registered range.
    const auto outside = [](const std::string& name, const std::string& range) {
        return "Fehler: Parameter '" + name + "' liegt außerhalb des zulässigen Bereichs (" + range + ")!";
    };
    struct Row {
        const char* name;
        const char* parameter;
        double value;
        std::string line;
    } rows[] = {
        // The grid check has its own line, before the range rule.
        {"start equal to end", "XEnd", 400, kParameterError},
        {"start beyond the end and beyond its range", "XStart", 2e6, kParameterError},
        {"NaN start", "XStart", nan, kParameterError},
        {"step 0", "XStep", 0, kParameterError},
        // What that check lets through gets the range line of the first number outside.
        {"infinite end", "XEnd", std::numeric_limits<double>::infinity(), outside("XEnd", "0 bis 1e+06")},
        {"negative step (never ended)", "XStep", -1, outside("XStep", "0.01 bis 1e+06")},
        {"NaN step", "XStep", nan, outside("XStep", "0.01 bis 1e+06")},
        {"more than 10^7 points", "XStep", 1e-6, outside("XStep", "0.01 bis 1e+06")},
        {"fine grid of a shift above 10^7 points", "XEnd", 2.5e6, outside("XEnd", "0 bis 1e+06")},
        {"NaN scale", "SigScale", nan, outside("SigScale", "0 bis 1e+06")},
        {"infinite offset", "SigOffset", std::numeric_limits<double>::infinity(),
         outside("SigOffset", "-1e+06 bis 1e+06")},
        {"interpolator number 4", "InterpolatorSel", 4, outside("InterpolatorSel", "0 bis 3")},
        {"extrapolator number -1", "ExtrapolatorSel", -1, outside("ExtrapolatorSel", "0 bis 3")},
        {"negative draws", "RandomAnz", -1, outside("RandomAnz", "0 bis 1e+06")},
        {"more draws than registered", "RandomAnz", 2000000, outside("RandomAnz", "0 bis 1e+06")},
        {"nine decimals", "IntPrec", 9, outside("IntPrec", "0 bis 8")},
    };
    Ramp("G:A");
    P().setStringParameter("SpecDesc", "G:A");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        NormalizeModule fresh;
        fresh.SetModuleInterface(&host);
        fresh.getParameters() = P();
        ns_param::Paramora& p = fresh.getParameters();
        p.setDoubleParameter("XShift", 0.4);
        if (p.getIntParameter(r.parameter))
            p.setIntParameter(r.parameter, static_cast<int>(r.value));
        else
            p.setDoubleParameter(r.parameter, r.value);
        host.log.clear();
        EXPECT_FALSE(fresh.normalize());
        EXPECT_EQ(host.LogTexts(), std::vector<std::string>{r.line});
        EXPECT_EQ(calc_test::Names(host), std::vector<std::string>{"G:A"});
        EXPECT_EQ(At("G:A")->GetPointCount(), 41);
    }
    // No sources: their line comes first, whatever the numbers hold.
    for (double step : {1.0, 0.0, -1.0}) {
        SCOPED_TRACE(step);
        host.log.clear();
        P().setStringParameter("SpecDesc", "");
        P().setDoubleParameter("XStep", step);
        EXPECT_FALSE(module.normalize());
        EXPECT_EQ(host.LogTexts(), std::vector<std::string>{"Fehler: Es wurden keine Spektren angegeben! "});
    }
    P().setDoubleParameter("XStep", 1);
    P().setStringParameter("SpecDesc", "G:A");
    P().setBoolParameter("UseTargetGroup", true);
    P().setStringParameter("TargetGroup", ":::");
    EXPECT_FALSE(module.normalize());
}

TEST_F(Normalize, ResamplesInPlaceKeepingNameAndColour)
{
    Spectrum* a = AddCurve(host, "G:A", 400, 0.5, 41, [](double x) { return x - 400; });
    a->SetColor(0x00ff00);
    P().setStringParameter("SpecDesc", "G");
    P().setDoubleParameter("SigScale", 2);
    P().setDoubleParameter("SigOffset", 1);
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(At("G:A"), a);
    EXPECT_EQ(a->GetColor(), COLORREF(0x00ff00));
    EXPECT_EQ(Xs(*a), (std::vector<double>{400, 401, 402, 403, 404, 405, 406, 407, 408, 409, 410}));
    for (int i = 0; i <= 10; ++i)
        EXPECT_DOUBLE_EQ((*a)[i].y, 2 * i + 1);
    EXPECT_EQ(host.statusTexts, std::vector<std::string>{"Normalisiere Spektrum 1 von 1"});
    EXPECT_EQ(host.progressHistory, (std::vector<double>{0, 100}));
}

// The interpolator and extrapolator come from the Sel numbers, which are written into the
// enumerations; with EpolNull the grid beyond the curve is 0.
TEST_F(Normalize, SelNumbersChooseTheMethods)
{
    AddSpectrum(host, "G:A", {402, 404, 406}, {1, 3, 1});
    P().setStringParameter("SpecDesc", "G:A");
    P().setIntParameter("InterpolatorSel", 0);
    P().setIntParameter("ExtrapolatorSel", 0);
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(Ys(*At("G:A")), (std::vector<double>{0, 0, 1, 3, 3, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(P().getEnumParameter("Interpolator")->getIndex(), 0);
    EXPECT_EQ(P().getEnumParameter("Extrapolator")->getIndex(), 0);
}

TEST_F(Normalize, MaximumNormNoNegativesAndRounding)
{
    AddSpectrum(host, "G:A", {400, 405, 410}, {-2, 4, 2});
    P().setStringParameter("SpecDesc", "G:A");
    P().setBoolParameter("UseAutoMaxNorm", true);
    P().setBoolParameter("UseNoNegValues", true);
    P().setDoubleParameter("XStep", 2.5);
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(Ys(*At("G:A")), (std::vector<double>{0, 0.25, 1, 0.75, 0.5}));

    // The grid's wavelengths are rounded to IntPrec decimals.
    host.spectra.ClearTree();
    AddSpectrum(host, "G:A", {400, 410}, {1, 1});
    P().setDoubleParameter("XStep", 1.0 / 3);
    P().setIntParameter("IntPrec", 2);
    P().setDoubleParameter("XEnd", 401);
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(Xs(*At("G:A")), (std::vector<double>{400, 400.33, 400.67, 401}));
}

TEST_F(Normalize, TargetGroupNamesAndSearch)
{
    struct Row {
        const char* name;
        std::string search;
        bool excludes, autoName;
        std::vector<std::string> expected; // names in the tree afterwards
        bool result;
    } rows[] = {
        {"no search", "", false, false, {"Serie:Probe1", "Serie:X;Y%Z", "Ziel:Probe1", "Ziel:XYZ"}, true},
        // Probe12 contains the short name Probe1; nothing fits X;Y%Z.
        {"text holds the short name", "Probe12", false, false,
         {"Serie:Probe1", "Serie:X;Y%Z", "Ziel:Probe1", "_NormalizeUnfound:X;Y%Z"}, false},
        {"excluding", "Probe12", true, false, {"Serie:Probe1", "Serie:X;Y%Z", "Ziel:XYZ"}, true},
        // From the end: Z fits, then the rest X;Y fits too (the name holds "X;Y").
        {"auto name from the rest", "X;Y;Z", false, true,
         {"Serie:Probe1", "Serie:X;Y%Z", "_NormalizeUnfound:Probe1", "Ziel_X;Y:XYZ"}, false},
        {"auto name", "Probe;Q", false, true, {"Serie:Probe1", "Serie:X;Y%Z", "Ziel_Probe:Probe1",
                                               "_NormalizeUnfound:X;Y%Z"}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        host.spectra.ClearTree();
        host.log.clear();
        Ramp("Serie:Probe1");
        Ramp("Serie:X;Y%Z");
        P().setStringParameter("SpecDesc", "Serie");
        P().setBoolParameter("UseTargetGroup", true);
        P().setStringParameter("TargetGroup", "Ziel");
        P().setStringParameter("SuchStr", " " + r.search + "\t");
        P().setBoolParameter("SuchModus", r.excludes);
        P().setBoolParameter("AutoName", r.autoName);
        EXPECT_EQ(module.normalize(), r.result);
        std::vector<std::string> names = calc_test::Names(host), expected = r.expected;
        std::sort(names.begin(), names.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected);
        EXPECT_EQ(At("Serie:Probe1")->GetPointCount(), 41); // sources stay
        if (!r.result) {
            ASSERT_FALSE(host.log.empty());
            EXPECT_EQ(host.log.back().text,
                      "Hinweis: Überprüfen Sie, ob das Ergebnis im gewählten Ausgabeordner und im Ordner "
                      "_NormalizeUnfound ihren Erwartungen entspricht. Modifizieren Sie bedarfsweise die Auswahlnamen.");
        }
    }
}

TEST_F(Normalize, SearchTakesCandidatesFromTheEnd)
{
    struct Row {
        std::string text, name;
        bool found;
        std::string matched;
    } rows[] = {
        {"Probe12", "Serie:Probe1", true, "Probe12"},
        {"A;B", "G:xAyB", true, "A"},
        {"A;B", "G:xB", true, "B"},
        {"C;A;B", "G:xB", true, "B"},  // "C;A" is tested as one candidate and does not fit
        {"Q;R", "G:xB", false, ""},
        {"A;", "G:xB", true, ""},      // an empty candidate fits every name
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text + " / " + r.name);
        const NormalizeModule::Match m = NormalizeModule::SearchName(r.text, r.name);
        EXPECT_EQ(m.found, r.found);
        EXPECT_EQ(m.text, r.matched);
    }
}

TEST_F(Normalize, ShiftsOnTheFineGrid)
{
    EXPECT_EQ(NormalizeModule::ShiftSteps(0.5), 2);
    EXPECT_EQ(NormalizeModule::ShiftSteps(0.6), 3); // 0.6 / 0.2 = 2.9999999999999996
    EXPECT_EQ(NormalizeModule::ShiftSteps(1.4), 7);
    EXPECT_EQ(NormalizeModule::ShiftSteps(-1.2), -6);
    EXPECT_EQ(NormalizeModule::ShiftSteps(0.1), 0);
    EXPECT_EQ(NormalizeModule::ShiftSuffix(0.5, 1), "_p0.5");
    EXPECT_EQ(NormalizeModule::ShiftSuffix(-1, 2), "_m1.0s2.00");

    const std::pair<double, double> rows[] = {{0.5, 0.4}, {0.6, 0.6}, {-1.2, -1.2}, {0.1, 0}};
    for (auto [shift, moved] : rows) {
        SCOPED_TRACE(shift);
        host.spectra.ClearTree();
        Ramp("G:A");
        P().setStringParameter("SpecDesc", "G:A");
        P().setDoubleParameter("XShift", shift);
        ASSERT_TRUE(module.normalize());
        // The ramp y = x - 400 moved toward longer wavelengths; the linear extrapolator
        // continues it where the shifted curve has no points.
        const Spectrum& a = *At("G:A");
        ASSERT_EQ(a.GetPointCount(), 11);
        for (int i = 0; i < 11; ++i)
            EXPECT_NEAR(a[i].y, a[i].x - 400 - moved, 1e-9) << a[i].x;
    }
}

// Shifted results of several spectra get names of their own and leave the "XShift" level.
TEST_F(Normalize, ShiftedCopiesAreNamedAfterTheirSources)
{
    Ramp("Serie:A");
    Ramp("Serie:B");
    P().setStringParameter("SpecDesc", "Serie");
    P().setDoubleParameter("XShift", 0.1);
    P().setDoubleParameter("SigScale", 2);
    P().setBoolParameter("AutoNameXShift", true);
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(ChildNames(host, "Serie"), (std::vector<std::string>{"A", "B", "A_p0.1s2.00", "B_p0.1s2.00"}));
    EXPECT_EQ(host.spectra.GetNodeByName("XShift", false, false), nullptr);
    EXPECT_EQ(At("Serie:A")->GetPointCount(), 41);
    EXPECT_DOUBLE_EQ((*At("Serie:B_p0.1s2.00"))[3].y, 6); // s is 0 for 0.1 nm: not moved
}

TEST_F(Normalize, RandomDrawsRepeatWithAFixedSeedSource)
{
    Ramp("G:A");
    Ramp("G:B");
    P().setStringParameter("SpecDesc", "G");
    P().setIntParameter("RandomAnz", 5);
    ASSERT_TRUE(module.normalize());
    ASSERT_EQ(host.statusTexts.size(), 5u);
    std::vector<std::string> expected;
    std::vector<double> progress = {0};
    for (std::uint32_t s = 1; s <= 5; ++s) {
        std::mt19937 generator(s);
        const int i = std::uniform_int_distribution<int>(0, 1)(generator) + 1;
        expected.push_back("Normalisiere Spektrum " + std::to_string(i) + " von 2");
        // The bar counts draws done, whichever spectrum was drawn.
        progress.push_back(s * 20.0);
    }
    EXPECT_EQ(host.statusTexts, expected);
    EXPECT_EQ(host.progressHistory, progress);
}

TEST(NormalizeAbort, AnAbortKeepsWhatWasFiledAndStopsTheRest)
{
    // Polled once before each spectrum: the third poll answers yes.
    struct AbortingHost : RecordingHost {
        bool UserWantsAbort() override { return ++abortPolls >= 3; }
    };
    AbortingHost host;
    NormalizeModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setDoubleParameter("XStart", 400);
    p.setDoubleParameter("XEnd", 410);
    p.setDoubleParameter("XStep", 1);
    for (const char* name : {"G:A", "G:B", "G:C", "G:D"})
        AddCurve(host, name, 400, 0.5, 41, [](double x) { return x - 400; });
    p.setStringParameter("SpecDesc", "G");
    p.setBoolParameter("UseTargetGroup", true);
    p.setStringParameter("TargetGroup", "Ziel");
    module.normalize();
    EXPECT_EQ(host.spectra.GetInserters("Ziel", false).size(), 2u);
    EXPECT_EQ(host.spectra.GetInserters("G", false).size(), 4u);
    const std::vector<std::string> log = host.LogTexts();
    EXPECT_NE(std::find(log.begin(), log.end(), "Hinweis: Berechnung durch den Benutzer abgebrochen."), log.end());
}

TEST_F(Normalize, SortsResultsByTheirNanometreNumber)
{
    EXPECT_TRUE(NormalizeModule::SortsBefore("G:A 450nm", "G:A 1000nm"));
    EXPECT_FALSE(NormalizeModule::SortsBefore("G:A 1000nm", "G:A 450nm"));
    EXPECT_TRUE(NormalizeModule::SortsBefore("G:Alpha", "G:Beta"));
    EXPECT_TRUE(NormalizeModule::SortsBefore("G:A", "G:AB"));
    EXPECT_TRUE(NormalizeModule::SortsBefore("G:B 450nm", "G:B"));       // "450" against "B"
    EXPECT_FALSE(NormalizeModule::SortsBefore("G:A 0nm", "G:A 0nm"));

    for (const char* name : {"G:A 450nm", "G:A 1000nm", "G:Lampe", "G:A 500nm"})
        Ramp(name);
    Ramp("H:Other");
    P().setStringParameter("SpecDesc", "G;H:Other");
    P().setBoolParameter("SortSpecs", true);
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(ChildNames(host, "G"), (std::vector<std::string>{"A 450nm", "A 500nm", "A 1000nm", "Lampe"}));

    // One spectrum of a group re-ordered: the rest of its group stays.
    host.spectra.ClearTree();
    for (const char* name : {"G:A 500nm", "G:A 450nm", "G:Lampe"})
        Ramp(name);
    P().setStringParameter("SpecDesc", "G:A 450nm");
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(ChildNames(host, "G"), (std::vector<std::string>{"A 500nm", "Lampe", "A 450nm"}));

    // With a target group, the output group of the last result.
    host.spectra.ClearTree();
    for (const char* name : {"G:A 1000nm", "G:A 500nm", "G:A 450nm"})
        Ramp(name);
    P().setStringParameter("SpecDesc", "G");
    P().setBoolParameter("UseTargetGroup", true);
    P().setStringParameter("TargetGroup", "Ziel");
    ASSERT_TRUE(module.normalize());
    EXPECT_EQ(ChildNames(host, "Ziel"), (std::vector<std::string>{"A 450nm", "A 500nm", "A 1000nm"}));
}

// Sources are read from copies taken before the first pass: a later pass never reads a
// spectrum that an earlier one deleted or replaced.
TEST_F(Normalize, LaterPassesReadTheSourcesAsTheyWere)
{
    struct Row {
        const char* name;
        std::string specDesc;
        bool useTargetGroup;
        int draws;
        std::string search;
    } rows[] = {
        {"target group is the source group", "G", true, 0, ""},
        {"spectrum listed twice, in place", "G:A;G:A;G:B", false, 0, ""},
        {"spectrum listed twice, target group", "G:A;G:A", true, 0, ""},
        {"draws into the source group", "G", true, 7, ""},
        {"unfound copies replace their sources", "_NormalizeUnfound", false, 0, "nichts"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        host.spectra.ClearTree();
        Ramp("G:A");
        Ramp("G:B");
        Ramp("_NormalizeUnfound:A");
        P().setStringParameter("SpecDesc", r.specDesc);
        P().setBoolParameter("UseTargetGroup", r.useTargetGroup);
        P().setStringParameter("TargetGroup", "G");
        P().setIntParameter("RandomAnz", r.draws);
        P().setStringParameter("SuchStr", r.search);
        module.normalize();
        for (const char* name : {"G:A", "G:B", "_NormalizeUnfound:A"}) {
            const Spectrum* s = At(name);
            ASSERT_NE(s, nullptr) << name;
            const bool resampled = s->GetPointCount() == 11;
            for (int i = 0; i < s->GetPointCount(); ++i)
                EXPECT_NEAR((*s)[i].y, (*s)[i].x - 400, 1e-9) << name << (resampled ? " resampled" : "");
        }
    }
}

TEST_F(Normalize, OddSpectraGiveFiniteValues)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    AddSpectrum(host, "G:Leer", {}, {});
    AddSpectrum(host, "G:Eins", {405}, {2});
    AddSpectrum(host, "G:Wirr", {410, 400, 405, 405}, {3, 1, 2, 4});
    AddSpectrum(host, "G:NaN", {400, 402, 404, 406}, {1, nan, std::numeric_limits<double>::infinity(), 4});
    P().setStringParameter("SpecDesc", "G");
    for (int ipol = 0; ipol < 4; ++ipol) {
        for (int epol = 0; epol < 4; ++epol) {
            SCOPED_TRACE(std::to_string(ipol) + "/" + std::to_string(epol));
            P().setIntParameter("InterpolatorSel", ipol);
            P().setIntParameter("ExtrapolatorSel", epol);
            P().setBoolParameter("UseTargetGroup", true);
            P().setStringParameter("TargetGroup", "Out");
            ASSERT_TRUE(module.normalize());
            for (const char* name : {"Out:Leer", "Out:Eins", "Out:Wirr", "Out:NaN"}) {
                ASSERT_NE(At(name), nullptr);
                EXPECT_EQ(At(name)->GetPointCount(), 11);
                for (double y : Ys(*At(name)))
                    EXPECT_TRUE(std::isfinite(y)) << name;
            }
        }
    }
}

// An operation asked for while another of the module runs (the host handles events during
// progress calls) is refused instead of running inside it.
TEST_F(Normalize, NoRunInsideARun)
{
    struct Host : RecordingHost {
        NormalizeModule* module = nullptr;
        std::vector<bool> nested;
        void SetProgressBarPercentage(double percent) override
        {
            RecordingHost::SetProgressBarPercentage(percent);
            nested.push_back(module->normalize());
            nested.push_back(module->setrefspec());
        }
    } reentrant;
    NormalizeModule m;
    m.SetModuleInterface(&reentrant);
    reentrant.module = &m;
    AddCurve(reentrant, "G:A", 400, 1, 11, [](double x) { return x; });
    m.getParameters() = P();
    m.getParameters().setStringParameter("SpecDesc", "G:A");
    m.getParameters().setStringParameter("RefSpecDesc", "G:A");
    EXPECT_TRUE(m.normalize());
    EXPECT_EQ(reentrant.nested, std::vector<bool>(4, false));
    EXPECT_EQ(reentrant.statusTexts.size(), 1u);
}

// The resampling core without a host: rows of settings on the ramp y = x - 400, onto
// 400..410 nm in 1 nm, linear inside and outside.
TEST(NormalizeCore, RowsOfSettings)
{
    Spectrum ramp;
    for (int i = 0; i <= 40; ++i)
        ramp.AddPoint(SPoint(400 + 0.5 * i, 0.5 * i));
    struct Row {
        const char* what;
        double scale, offset, shift;
        bool autoMax, noNeg;
        double (*expected)(double x);
    } rows[] = {
        {"scale before offset", 2, 1, 0, false, false, [](double x) { return 2 * (x - 400) + 1; }},
        {"no negatives", 2, -30, 0, false, true, [](double) { return 0.0; }},
        {"shift on the fine grid", 1, 0, 1, false, false, [](double x) { return x - 401; }},
        {"maximum norm after the offset", 1, -5, 0, true, false, [](double x) { return (x - 405) / 5; }},
        {"no norm by a maximum below 0", 1, -20, 0, true, false, [](double x) { return x - 420; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        NormalizeModule::Settings settings;
        settings.grid = {400, 1, 410};
        settings.scale = row.scale;
        settings.offset = row.offset;
        settings.xShift = row.shift;
        settings.autoMaxNorm = row.autoMax;
        settings.noNegValues = row.noNeg;
        const auto interpolator = NormalizeModule::MakeInterpolator(1);
        const auto extrapolator = NormalizeModule::MakeExtrapolator(2);
        NormalizeSpek resampler(interpolator.get(), extrapolator.get());
        const std::vector<SPoint> points = NormalizeModule::Normalized(settings, resampler, ramp);
        ASSERT_EQ(points.size(), 11u);
        for (const SPoint& point : points)
            EXPECT_NEAR(point.y, row.expected(point.x), 1e-9) << point.x;
    }
}

} // namespace
