// Colour values, integral values and feature vectors: the reference figures from the CIE
// tables, the rules of the procedure and the refused runs.
#include "colour/colour_calculation.h"

#include "fixture.h"

#include <colormath/colormath.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace colour_test;

namespace {

class ColourCalculation : public ::testing::Test {
protected:
    template <class M>
    M& Make()
    {
        auto* m = new M;
        m->SetName(std::is_same_v<M, ColorTessarine> ? "Farb|me|trik:Farb|werte be|rech|nen"
                                                     : "Spek|tren-|Arith|me|tik:In|te|gral|wer|te aus|wer|ten");
        host.modules.AddInserter(m);
        m->SetModuleInterface(&host);
        return *m;
    }
    static void Set(Module& m, const char* name, const std::string& value)
    {
        m.getParameters().setStringParameter(name, value);
    }
    static void Flag(Module& m, const char* name, bool value) { m.getParameters().setBoolParameter(name, value); }
    ClipboardObject* Object(const std::string& path) { return host.clipboard.GetInserter(path); }

    RecordingHost host;
};

TEST_F(ColourCalculation, PerfectReflectorAndTcs01UnderD65)
{
    AddObserverAndD65(host);
    AddCurve(host, "Proben:Weiss", 380, 5, 81, [](double) { return 1.0; });
    AddSpectrum(host, "Proben:TCS01", CieColumn("cie_133_tcs.csv", "TCS01"));
    ColorTessarine& m = Make<ColorTessarine>();
    Set(m, "SpecDesc", "Proben");
    Set(m, "LightDesc", "Licht:D65");
    Set(m, "ObserverDesc", "Normbeobachter");
    ASSERT_TRUE(m.CalculateColors()) << ::testing::PrintToString(host.LogTexts());

    ClipboardObject* white = Object("Proben_Clp_from_Normbeobachter:D65:Weiss");
    ASSERT_NE(white, nullptr);
    const std::vector<double> expected = {95.043, 100, 108.880};
    for (const char* array : {"ClpValues", "ClpRefs"}) {
        const auto v = Array(white, array);
        ASSERT_EQ(v.size(), 3u);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(v[i], expected[i], 2e-3) << array << i;
    }
    EXPECT_EQ(Array(white, "ClpRefs")[1], 100.0);
    const auto v = Array(white, "ClpValues");
    const auto got = colormath::ToChromaticity(v[0], v[1], v[2]);
    EXPECT_NEAR(got->x, 0.31272, 5e-6);
    EXPECT_NEAR(got->y, 0.32903, 5e-6);

    ClipboardObject* tcs = Object("Proben_Clp_from_Normbeobachter:D65:TCS01");
    ASSERT_NE(tcs, nullptr);
    const auto t = Array(tcs, "ClpValues");
    const auto r = Array(tcs, "ClpRefs");
    EXPECT_NEAR(t[0], 32.992, 2e-3);
    EXPECT_NEAR(t[1], 29.783, 2e-3);
    EXPECT_NEAR(t[2], 24.513, 2e-3);
    double L = 0, a = 0, b = 0;
    colormath::XYZToLab(t[0], t[1], t[2], r[0], r[1], r[2], L, a, b);
    EXPECT_NEAR(L, 61.467, 2e-3);
    EXPECT_NEAR(a, 17.490, 2e-3);
    EXPECT_NEAR(b, 11.895, 2e-3);
    // Status counts to the total with the colour-valence prefix; progress ends at 100.
    EXPECT_EQ(host.statusTexts.back(), "Erzeuge Farbvalenz 2 von 2");
    EXPECT_EQ(host.progressHistory.back(), 100.0);
}

TEST_F(ColourCalculation, PlanckWithoutIlluminantAndLuminousIntegral)
{
    AddObserverAndD65(host);
    AddSpectrum(host, "V", CieColumn("cie_vlambda_photopic.csv", "V"));
    AddCurve(host, "Quellen:P2856", 380, 5, 81,
             [](double nm) { return colormath::Planck(nm * 1e-9, 2856, 1.0, 1.4388e-2) * 1e-30; });
    AddCurve(host, "Eins:S", 380, 5, 81, [](double) { return 1.0; });
    ColorTessarine& colour = Make<ColorTessarine>();
    Set(colour, "SpecDesc", "Quellen");
    Set(colour, "ObserverDesc", "Normbeobachter");
    ASSERT_TRUE(colour.CalculateColors());
    const auto v = Array(Object("Quellen_Clp_from_Normbeobachter:P2856"), "ClpValues");
    ASSERT_EQ(v.size(), 3u);
    const auto xy = colormath::ToChromaticity(v[0], v[1], v[2]);
    EXPECT_NEAR(xy->x, 0.44754, 5e-5);
    EXPECT_NEAR(xy->y, 0.40744, 5e-5);

    IntTessarine& integral = Make<IntTessarine>();
    Set(integral, "SpecDesc", "Eins:S");
    Set(integral, "ObserverDesc", "V");
    ASSERT_TRUE(integral.CalculateIntegrals());
    const auto lum = Array(Object("Eins_Clp_from_V:S"), "ClpValues");
    ASSERT_EQ(lum.size(), 1u);
    EXPECT_NEAR(lum[0], 21.37133, 1e-5);
    EXPECT_NEAR(lum[0] * 683 * 5, 72983, 1);
    EXPECT_EQ(Array(Object("Eins_Clp_from_V:S"), "ClpRefs"), std::vector<double>{1.0});
}

// Factors: the colour module normalises with an illuminant only for three curves; the
// integral module always (with two or more curves).
TEST_F(ColourCalculation, FactorsPerModuleAndCurveCount)
{
    AddCurve(host, "L", 400, 10, 3, [](double) { return 2.0; });
    AddCurve(host, "S:a", 400, 10, 3, [](double) { return 1.0; });
    for (const char* c : {"O:1", "O:2", "O:3", "O:4"})
        AddCurve(host, c, 400, 10, 3, [c](double) { return c[2] - '0'; });
    struct Case {
        bool integral;
        const char* observers;
        std::vector<double> values;
    } cases[] = {
        {false, "O:1;O:2", {6, 12}},          // unscaled: sum 2 * 1 * c over 3 points
        {true, "O:1;O:2", {50, 100}},         // 100 / k_2
        {false, "O:1;O:2;O:3", {50, 100, 150}},
        {false, "O", {6, 12, 18, 24}},        // four curves: hint, no factor
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.observers);
        host.log.clear();
        ColorCalculationModule* m = c.integral ? static_cast<ColorCalculationModule*>(&Make<IntTessarine>())
                                               : static_cast<ColorCalculationModule*>(&Make<ColorTessarine>());
        Set(*m, "SpecDesc", "S");
        Set(*m, "LightDesc", "L");
        Set(*m, "ObserverDesc", c.observers);
        Set(*m, "TargetGroup", "T");
        Flag(*m, "IsColorValue", true);
        ASSERT_TRUE(c.integral ? static_cast<IntTessarine*>(m)->CalculateIntegrals()
                               : static_cast<ColorTessarine*>(m)->CalculateColors());
        const auto v = Array(Object("T:L:a"), "ClpValues");
        ASSERT_EQ(v.size(), c.values.size());
        for (std::size_t j = 0; j < v.size(); ++j)
            EXPECT_NEAR(v[j], c.values[j], 1e-12);
        const bool hint = !host.log.empty() && host.log.front().text.rfind("Hinweis: Es sind nicht mehr", 0) == 0;
        EXPECT_EQ(hint, c.values.size() == 4);
        host.modules.DeleteInserters(m->GetName());
    }
}

TEST_F(ColourCalculation, NamesGroupsAndFeatureMode)
{
    AddCurve(host, "Proben:Serie1:a%b", 400, 10, 3, [](double) { return 1.0; });
    AddCurve(host, "Normbeobachter", 400, 10, 3, [](double) { return 1.0; });
    AddCurve(host, "Q:qe", 400, 10, 4, [](double) { return 0.5; });
    AddCurve(host, "R:flat", 400, 10, 4, [](double) { return 1.0; });
    EXPECT_EQ(ColorCalculationModule::DerivedTargetGroup("Proben:Serie1", "Normbeobachter"),
              "Proben_Clp_from_Normbeobachter");
    EXPECT_EQ(ColorCalculationModule::DerivedTargetGroup("A:x;B", "C;D:y"), "A_Clp_from_C");

    ColorTessarine& colour = Make<ColorTessarine>();
    Set(colour, "SpecDesc", "Proben:Serie1");
    Set(colour, "ObserverDesc", "Normbeobachter");
    ASSERT_TRUE(colour.CalculateColors());
    // Colour mode takes the leaf, "%" removed; one curve gives the factor 1.
    ASSERT_NE(Object("Proben_Clp_from_Normbeobachter:ab"), nullptr);

    // Feature mode keeps the subgroups after the first ":"; QE: g = 1/max(lambda).
    IntTessarine& integral = Make<IntTessarine>();
    Set(integral, "SpecDesc", "R");
    Set(integral, "ObserverDesc", "Q");
    Set(integral, "TargetGroup", "F");
    Flag(integral, "ObserverIsQE", true);
    Flag(integral, "SaveObserverResponse", true);
    Flag(integral, "IsIntegralValue", true);
    ASSERT_TRUE(integral.CalculateIntegrals());
    const auto v = Array(Object("F:flat"), "ClpValues");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_NEAR(v[0], (400 + 410 + 420 + 430) * 0.5 / 430, 1e-12);
    EXPECT_EQ(host.statusTexts.back(), "Erzeuge Integralwert 1 von 1");
    Spectrum* response = host.spectra.GetInserter("Q_resp:qe");
    ASSERT_NE(response, nullptr);
    EXPECT_NEAR((*response)[3].y, 0.5, 1e-12);
}

TEST_F(ColourCalculation, RankingIsStableAscending)
{
    AddCurve(host, "S:s", 400, 10, 2, [](double) { return 1.0; });
    AddCurve(host, "O:b", 400, 10, 2, [](double) { return 2.0; });
    AddCurve(host, "O:a", 400, 10, 2, [](double) { return 1.0; });
    AddCurve(host, "O:c", 400, 10, 2, [](double) { return 1.0; });
    IntTessarine& m = Make<IntTessarine>();
    Set(m, "SpecDesc", "S");
    Set(m, "ObserverDesc", "O");
    Flag(m, "SortResponses", true);
    ASSERT_TRUE(m.CalculateIntegrals());
    for (const char* name : {"_sortobs:1_a_2", "_sortobs:2_c_2", "_sortobs:3_b_4"})
        EXPECT_NE(host.spectra.GetInserter(name), nullptr) << name;
}

// Refused runs: the message, false, and the earlier results untouched.
TEST_F(ColourCalculation, RefusedRunsKeepEarlierResults)
{
    AddCurve(host, "S:s", 400, 10, 3, [](double) { return 1.0; });
    AddCurve(host, "S5:s", 400, 5, 5, [](double) { return 1.0; });
    AddCurve(host, "Wide:s", 400, 10, 4, [](double) { return 1.0; });
    AddCurve(host, "O:x", 400, 10, 3, [](double) { return 1.0; });
    AddCurve(host, "O:y", 400, 10, 3, [](double) { return 0.0; });
    AddCurve(host, "O:z", 400, 10, 3, [](double) { return 1.0; });
    AddCurve(host, "L:a", 400, 10, 3, [](double) { return 1.0; });
    AddCurve(host, "L:b", 400, 10, 3, [](double) { return 1.0; });
    AddCurve(host, "Q:zero", 400, 10, 3, [](double) { return 0.0; });

    auto* old = new ClipboardObject;
    old->SetName("T:keep");
    host.clipboard.AddInserter(old);

    struct Case {
        bool integral;
        const char *specs, *lights, *observers;
        bool colourMode, qe, sort;
        const char* message;
    } cases[] = {
        {false, "", "", "O", true, false, false, "Fehler: Es wurden keine Spektren angegeben!"},
        {false, "S", "", "", true, false, false, "Fehler: Es wurden keine Beobachter-Spektralwertkurven angegeben!"},
        {true, "S", "", "", false, false, false, "Fehler: Es wurden keine Beobachter-Wichtungsfunktionen angegeben!"},
        {true, "S", "L", "O:x", false, false, true,
         "Fehler: In diesem Modus ist maximal ein Wichtungsspektrum möglich!"},
        {false, "S;S5", "", "O", true, false, false,
         "Fehler: Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!"},
        {false, "S", "L;S5", "O", true, false, false,
         "Fehler: Beleuchtungs-Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!"},
        {true, "S", "", "O;S5", true, false, false,
         "Fehler: Beobachter-Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!"},
        {false, "S5", "", "O", true, false, false, "Fehler: Schrittweiten stimmen nicht überein"},
        {false, "Wide", "", "O", true, false, false, "Fehler: Definitionsbereiche stimmen nicht überein"},
        {false, "S", "L:a", "O", true, false, false, "Fehler: Normierung nicht möglich, Bezugssumme ist 0!"},
        {false, "S", "", "O", true, false, false, "Fehler: Normierung nicht möglich, Bezugssumme ist 0!"},
        {true, "S", "", "Q", false, true, false, "Fehler: Quanteneffizienz-Umrechnung nicht möglich!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        host.log.clear();
        ColorCalculationModule* m = c.integral ? static_cast<ColorCalculationModule*>(&Make<IntTessarine>())
                                               : static_cast<ColorCalculationModule*>(&Make<ColorTessarine>());
        Set(*m, "SpecDesc", c.specs);
        Set(*m, "LightDesc", c.lights);
        Set(*m, "ObserverDesc", c.observers);
        Set(*m, "TargetGroup", "T");
        Flag(*m, "IsColorValue", c.colourMode);
        Flag(*m, "ObserverIsQE", c.qe);
        Flag(*m, "SortResponses", c.sort);
        EXPECT_FALSE(c.integral ? static_cast<IntTessarine*>(m)->CalculateIntegrals()
                                : static_cast<ColorTessarine*>(m)->CalculateColors());
        ASSERT_EQ(host.log.size(), 1u) << ::testing::PrintToString(host.LogTexts());
        EXPECT_EQ(host.log[0].text, c.message);
        EXPECT_EQ(host.log[0].colour, COLORREF(0x000070));
        EXPECT_EQ(host.clipboard.GetInserters().size(), 1u);
        EXPECT_NE(Object("T:keep"), nullptr);
        host.modules.DeleteInserters(m->GetName());
    }
}

} // namespace
