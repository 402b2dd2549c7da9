// The black-body module: the law, its defaults and cases, and the mended faults.
#include "calculation/planckian_source_module.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

using calc_test::Xs;
using calc_test::Ys;

constexpr double kC = 299792458.0;
constexpr double kK = 1.380649e-23;

// Planck's law with the radiation constants c1 and c2, in W / (m^2 nm).
long double Law(long double nm, long double t, long double c1, long double c2)
{
    const long double l = nm * 1e-9L;
    return c1 / std::pow(l, 5) / (std::exp(c2 / (l * kK * t)) - 1) * 1e-9L;
}

// The constants from Planck's constant h.
long double C1(long double h) { return 2 * std::numbers::pi_v<long double> * h * kC * kC; }
long double C2(long double h) { return h * kC; }

class Planck : public ::testing::Test {
protected:
    void SetUp() override { module.SetModuleInterface(&host); }

    ns_param::Paramora& P() { return module.getParameters(); }
    // The spectrum the last run filed (the only one in the tree).
    Spectrum* Result()
    {
        auto& all = host.spectra.GetInserters();
        return all.empty() ? nullptr : all.back();
    }

    RecordingHost host;
    PlanckianSourceModule module;
};

TEST_F(Planck, FollowsTheLawWithTheGivenConstantsAndCodata)
{
    // The module's constants rest on h = 6.62607554e-34 J s, 8.1e-7 above CODATA 2018.
    EXPECT_NEAR(PlanckianSourceModule::kC1 / static_cast<double>(C1(6.62607554e-34L)), 1, 1e-12);
    EXPECT_NEAR(PlanckianSourceModule::kC2 / static_cast<double>(C2(6.62607554e-34L)), 1, 1e-12);
    const long double c1 = PlanckianSourceModule::kC1, c2 = PlanckianSourceModule::kC2;
    for (double t : {300.0, 1000.0, 2892.0, 6500.0, 20000.0}) {
        for (double nm = 200; nm <= 3000; nm += 100) {
            SCOPED_TRACE(std::to_string(t) + " K, " + std::to_string(nm) + " nm");
            EXPECT_NEAR(PlanckianSourceModule::Exitance(nm, t) / static_cast<double>(Law(nm, t, c1, c2)), 1, 1e-12);
        }
    }
    // Against CODATA 2018 (h = 6.62607015e-34 J s) the values move by 2 to 10 ppm here.
    for (double nm = 380; nm <= 780; nm += 10) {
        const long double codata = Law(nm, 2892, C1(6.62607015e-34L), C2(6.62607015e-34L));
        EXPECT_NEAR(PlanckianSourceModule::Exitance(nm, 2892) / static_cast<double>(codata), 1, 2e-5) << nm;
    }
    EXPECT_NEAR(PlanckianSourceModule::Exitance(555, 2892), 909.1728193, 5e-7);
    EXPECT_NEAR(static_cast<double>(Law(555, 2892, C1(6.62607015e-34L), C2(6.62607015e-34L))), 909.1787101, 5e-7);
    for (double nm : {0.0, -5.0, 1e-300})
        EXPECT_EQ(PlanckianSourceModule::Exitance(nm, 2892), 0) << nm;
}

TEST_F(Planck, DefaultsGiveTheNormalisedCurve)
{
    ASSERT_TRUE(module.calculate());
    Spectrum* s = Result();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetName(), "Planckian_2892");
    EXPECT_EQ(host.spectra.GetInserterByName("Planckian_2892"), s);
    ASSERT_EQ(s->GetPointCount(), 201);
    EXPECT_EQ((*s)[0].x, 380);
    EXPECT_EQ((*s)[200].x, 780);
    EXPECT_EQ((*s)[200].y, 1); // the maximum, at the long end
    EXPECT_NEAR((*s)[88].y, 0.415367181, 1e-9);
    EXPECT_EQ((*s)[88].x, 556);
    EXPECT_NEAR((*s)[0].y, 0.044156204, 1e-9);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(host.statusTexts, std::vector<std::string>{"Berechne Plancksche-Strahlungsverteilung..."});
}

// The exitance summed over the wavelengths is sigma T^4 (Stefan-Boltzmann).
TEST_F(Planck, IntegralIsSigmaTToTheFourth)
{
    P().setDoubleParameter("Temperature", 5000);
    P().setDoubleParameter("XStart", 50);
    P().setDoubleParameter("XEnd", 100000);
    P().setDoubleParameter("XStep", 1);
    P().setBoolParameter("MaximumNormalize", false);
    ASSERT_TRUE(module.calculate());
    const std::vector<double> y = Ys(*Result());
    double integral = 0;
    for (std::size_t i = 1; i < y.size(); ++i)
        integral += 0.5 * (y[i - 1] + y[i]);
    const double sigma = 5.670374419e-8;
    EXPECT_NEAR(integral / (sigma * std::pow(5000.0, 4)), 1, 1e-5);
}

TEST_F(Planck, Cases)
{
    struct Row {
        const char* name;
        double temperature, start, end, step;
        int intPrec;
        bool maximum;
        std::string group;
        std::string resultName;
        std::vector<double> x; // expected x (empty: not checked)
        std::vector<std::string> log;
    } rows[] = {
        {"start above end is swapped", 2892, 780, 380, 200, 0, true, "", "Planckian_2892", {380, 580, 780},
         {"Startwellenlänge ist größer / gleich der Endwellenlänge! Wellenlängen werden vertauscht. Bitte überprüfen "
          "Sie die Eingabe!"}},
        {"start equal to end: one point", 2892, 500, 500, 2, 0, true, "", "Planckian_2892", {500}, {}},
        {"one decimal, ties up", 2892, 380, 381, 0.25, 1, true, "", "Planckian_2892",
         {380, 380.3, 380.5, 380.8, 381}, {}},
        {"grid rule keeps the end", 2892, 380, 381, 0.1, 1, true, "", "Planckian_2892",
         {380, 380.1, 380.2, 380.3, 380.4, 380.5, 380.6, 380.7, 380.8, 380.9, 381}, {}},
        {"classic stream text", 1e6, 380, 400, 10, 0, true, "", "Planckian_1e+06", {}, {}},
        {"fraction in the name", 2892.5, 380, 400, 10, 0, true, "", "Planckian_2892.5", {}, {}},
        {"group tidied", 2892, 380, 400, 10, 0, true, ":Quellen::Planck:", "Quellen:Planck:Planckian_2892", {}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        host.spectra.ClearTree();
        host.log.clear();
        P().setDoubleParameter("Temperature", r.temperature);
        P().setDoubleParameter("XStart", r.start);
        P().setDoubleParameter("XEnd", r.end);
        P().setDoubleParameter("XStep", r.step);
        P().setIntParameter("IntPrec", r.intPrec);
        P().setBoolParameter("MaximumNormalize", r.maximum);
        P().setStringParameter("TargetGroup", r.group);
        ASSERT_TRUE(module.calculate());
        ASSERT_NE(host.spectra.GetInserterByName(r.resultName), nullptr);
        if (!r.x.empty()) {
            EXPECT_EQ(Xs(*Result()), r.x);
        }
        EXPECT_EQ(host.LogTexts(), r.log);
        for (const auto& line : host.log)
            EXPECT_EQ(line.colour, COLORREF(0x000070));
    }
}

TEST_F(Planck, NormalisesToAValueAtAWavelength)
{
    P().setBoolParameter("MaximumNormalize", false);
    P().setBoolParameter("WLNormalize", true);
    P().setIntParameter("NormLambda", 555);
    P().setDoubleParameter("NormValue", 100);
    ASSERT_TRUE(module.calculate());
    const std::vector<double> x = Xs(*Result()), y = Ys(*Result());
    // 554 and 556 lie equally near; the first one wins.
    EXPECT_EQ(x[87], 554);
    EXPECT_DOUBLE_EQ(y[87], 100);
    for (std::size_t i = 0; i < y.size(); i += 20)
        EXPECT_NEAR(y[i] / 100, PlanckianSourceModule::Exitance(x[i], 2892) / PlanckianSourceModule::Exitance(554, 2892),
                    1e-12);

    // Both normalisations, one after the other; a wavelength farther than 10000 nm from
    // every point takes point 0.
    host.spectra.ClearTree();
    P().setBoolParameter("MaximumNormalize", true);
    P().setIntParameter("NormLambda", 20000);
    P().setDoubleParameter("NormValue", 2);
    ASSERT_TRUE(module.calculate());
    EXPECT_DOUBLE_EQ(Ys(*Result())[0], 2);
    EXPECT_GT(Ys(*Result())[200], 2);
}

TEST_F(Planck, ZeroKelvinGivesZeros)
{
    P().setDoubleParameter("Temperature", 0);
    ASSERT_TRUE(module.calculate());
    for (double y : Ys(*Result()))
        EXPECT_EQ(y, 0);
    // Scaling onto a value of 0 is skipped with a hint.
    host.spectra.ClearTree();
    P().setBoolParameter("MaximumNormalize", false);
    P().setBoolParameter("WLNormalize", true);
    P().setIntParameter("NormLambda", 500);
    ASSERT_TRUE(module.calculate());
    for (double y : Ys(*Result()))
        EXPECT_EQ(y, 0);
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].colour, COLORREF(0x007000));
    EXPECT_TRUE(host.log[0].text.starts_with("Hinweis: ")) << host.log[0].text;
}

// Bad parameters (scripts can set any value) end with a German line and file nothing: a
// number outside its registered range gets the range line.
TEST_F(Planck, BadParametersFileNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const char* step = "Fehler: Parameter 'XStep' liegt außerhalb des zulässigen Bereichs (0.01 bis 1e+06)!";
    const char* temperature =
        "Fehler: Parameter 'Temperature' liegt außerhalb des zulässigen Bereichs (0 bis 1e+06)!";
    struct Row {
        const char* parameter;
        double value;
        const char* message;
    } rows[] = {
        {"XStep", 0, step},
        {"XStep", -1, step},
        {"XStep", nan, step},
        {"XStep", 1e-5, step},
        {"Temperature", -1, temperature},
        {"Temperature", nan, temperature},
        {"Temperature", 1e300, temperature},
        {"Temperature", inf, temperature},
        {"XEnd", inf, "Fehler: Parameter 'XEnd' liegt außerhalb des zulässigen Bereichs (0 bis 1e+06)!"},
        {"NormValue", nan, "Fehler: Parameter 'NormValue' liegt außerhalb des zulässigen Bereichs (0 bis 1e+06)!"},
        // Inside the range: the grid is refused by its own rule.
        {"XStep", 0.01, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.parameter) + " " + std::to_string(r.value));
        PlanckianSourceModule fresh;
        fresh.SetModuleInterface(&host);
        host.log.clear();
        fresh.getParameters().setDoubleParameter(r.parameter, r.value);
        if (!r.message) {
            // 0 .. 1e6 nm in steps of 0.01 nm: 1e8 points.
            fresh.getParameters().setDoubleParameter("XStart", 0);
            fresh.getParameters().setDoubleParameter("XEnd", 1e6);
        }
        EXPECT_FALSE(fresh.calculate());
        EXPECT_EQ(host.LogTexts(), std::vector<std::string>{r.message ? r.message : "Fehler: Zu viele Wellenlängen!"});
        EXPECT_TRUE(host.spectra.GetInserters().empty());
    }
    // Names the tree cannot hold: "::" keeps one leading ":" under the path rule.
    for (const char* group : {"::Quellen", ":::"}) {
        SCOPED_TRACE(group);
        PlanckianSourceModule fresh;
        fresh.SetModuleInterface(&host);
        host.log.clear();
        fresh.getParameters().setStringParameter("TargetGroup", group);
        EXPECT_FALSE(fresh.calculate());
        EXPECT_EQ(host.LogTexts(), std::vector<std::string>{"Fehler: Das Funktionsmodul wurde nicht korrekt parametriert. "});
    }
    P().setIntParameter("IntPrec", 9);
    EXPECT_FALSE(module.calculate());
    EXPECT_TRUE(host.spectra.GetInserters().empty());
}

// Below a 1 nm step the progress stays within 100 %, and the grid keeps its end point.
TEST_F(Planck, FineStepsKeepTheEndAndTheProgressWithin100)
{
    const std::pair<double, int> rows[] = {{0.1, 4001}, {0.2, 2001}};
    for (auto [step, count] : rows) {
        SCOPED_TRACE(step);
        host.spectra.ClearTree();
        host.progressHistory.clear();
        P().setDoubleParameter("XStep", step);
        P().setIntParameter("IntPrec", 1);
        ASSERT_TRUE(module.calculate());
        ASSERT_EQ(Result()->GetPointCount(), count);
        EXPECT_EQ(Xs(*Result()).back(), 780);
        EXPECT_EQ(host.progressHistory.front(), 0);
        for (double percent : host.progressHistory)
            EXPECT_LE(percent, 100);
        EXPECT_NEAR(host.progressHistory.back(), 100, 0.5);
    }
}

TEST_F(Planck, WavelengthZeroGivesZero)
{
    P().setDoubleParameter("XStart", 0);
    P().setDoubleParameter("XEnd", 10);
    P().setBoolParameter("MaximumNormalize", false);
    ASSERT_TRUE(module.calculate());
    const std::vector<double> y = Ys(*Result());
    EXPECT_EQ(y.front(), 0);
    for (double v : y)
        EXPECT_TRUE(std::isfinite(v));
}

// A spectrum the tree refuses (a view answered no to replacing) is deleted, not leaked,
// and the run reports the failure.
TEST_F(Planck, RefusedResultIsDeletedAndReported)
{
    struct Refuse : SpectrumTree::EventHandler {
        bool CanReplace(Spectrum*) override { return false; }
    } refuse;
    Spectrum* old = calc_test::AddSpectrum(host, "Planckian_2892", {1}, {2});
    host.spectra.SetEventHandler(&refuse);
    EXPECT_FALSE(module.calculate());
    EXPECT_EQ(host.spectra.GetInserterByName("Planckian_2892"), old);
    host.spectra.SetEventHandler(nullptr);
}

} // namespace
