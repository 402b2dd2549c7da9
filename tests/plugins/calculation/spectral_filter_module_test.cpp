// The spectral filter module: groups and names, the filters on spectra, sorting, errors,
// short spectra and the joint step list.
#include "calculation/spectral_filter_module.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

using calc_test::AddCurve;
using calc_test::AddSpectrum;
using calc_test::Names;
using calc_test::Xs;
using calc_test::Ys;

const std::string kParameterError = "Fehler: Das Funktionsmodul wurde nicht korrekt parametriert. ";
const std::string kTooShort = "Fehler: Zu wenige Spektralpunkte für diesen Filter!";

class Filtering : public ::testing::Test {
protected:
    void SetUp() override { module.SetModuleInterface(&host); }
    ns_param::Paramora& P() { return module.getParameters(); }
    Spectrum* At(const std::string& name) { return host.spectra.GetInserterByName(name); }
    void Set(int filter, const std::string& specs, const std::string& group = "")
    {
        P().setIntParameter("FilterSel", filter);
        P().setStringParameter("SpecDesc", specs);
        P().setStringParameter("SpecGroup", group);
    }

    RecordingHost host;
    SpectralFilterModule module;
};

TEST_F(Filtering, RegistersItsParameters)
{
    EXPECT_EQ(module.getClassName(), "SpectralFilterModule");
    EXPECT_EQ(*P().getDoubleParameter("AMIVal"), 0.1);
    EXPECT_EQ(*P().getIntParameter("AMISteps"), 3);
    auto* filters = P().getEnumParameter("Filter");
    ASSERT_NE(filters, nullptr);
    ASSERT_EQ(filters->getEntryCount(), 7);
    EXPECT_EQ(filters->getEntry(2), "Mean2( A ); Stark (adaptiv) glätten");
    ASSERT_EQ(module.GetAutomationPtr().size(), 1u);
    EXPECT_EQ(module.GetAutomationPtr()[0].name, "SpectralFilter");
}

TEST_F(Filtering, AutomaticGroupsNamesAndColours)
{
    AddCurve(host, "Mess:Reihe:a", 400, 1, 10, [](double x) { return 2 * x; })->SetColor(0x00aa00);
    AddCurve(host, "Mess:Reihe:b", 400, 1, 10, [](double x) { return -x; });
    struct Row {
        int filter;
        bool adaptive;
        const char* group;
    };
    const Row rows[] = {{0, false, "Copy"},        {1, false, "Mean_Box3"}, {2, false, "Mean_WBinom"},
                        {2, true, "Mean_adapt"},   {3, false, "Sobel"},     {4, false, "Laplace"},
                        {5, false, "Median"},      {6, false, "AMI"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.group);
        host.spectra.DeleteInserters("FilteredSpecs");
        P().setBoolParameter("FilterAdaptiv", row.adaptive);
        P().setIntParameter("AMISteps", row.filter == 2 && !row.adaptive ? 1 : 3);
        Set(row.filter, "Mess:Reihe");
        ASSERT_TRUE(module.SpectralFilter());
        const std::string name = std::string("FilteredSpecs:Reihe_") + row.group + ":a";
        ASSERT_NE(At(name), nullptr) << name;
        EXPECT_EQ(At(name)->GetColor(), 0x00aa00u);
        EXPECT_EQ(Xs(*At(name)).front(), 400);
    }
    EXPECT_EQ(host.statusTexts.back(), "Filtere Spektrum 2 von 2");
    // Sobel of y = 2x: 2 everywhere; of a falling line positive without the sign.
    Set(3, "Mess:Reihe", "Ziel:");
    P().setBoolParameter("FilterAdaptiv", false);
    ASSERT_TRUE(module.SpectralFilter());
    EXPECT_EQ(Ys(*At("Ziel:a")), std::vector<double>(10, 2.0));
    EXPECT_EQ(Ys(*At("Ziel:b")), std::vector<double>(10, 1.0));
    P().setBoolParameter("FilterPostProc_Abs", true);
    ASSERT_TRUE(module.SpectralFilter());
    EXPECT_EQ(Ys(*At("Ziel:b")), std::vector<double>(10, -1.0));
}

TEST_F(Filtering, ResultsReplacingInputsUseTheInputsAsTheyWere)
{
    // The result group is the input group: each result replaces its input while the later
    // inputs are still to be filtered.
    AddSpectrum(host, "G:a", {400, 401, 402, 403}, {1, 4, 1, 4});
    AddSpectrum(host, "G:b", {400, 401, 402, 403}, {3, 3, 3, 3});
    Set(1, "G", "G");
    ASSERT_TRUE(module.SpectralFilter());
    EXPECT_EQ(Ys(*At("G:a")), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(Ys(*At("G:b")), (std::vector<double>{3, 3, 3, 3}));
}

TEST_F(Filtering, UnsortedSpectraAreSortedFirst)
{
    Spectrum* s = AddSpectrum(host, "U:a", {403, 401, 400, 402}, {4, 2, 1, 3});
    Set(0, "U");
    ASSERT_TRUE(module.SpectralFilter());
    EXPECT_EQ(Xs(*At("FilteredSpecs:U_Copy:a")), (std::vector<double>{400, 401, 402, 403}));
    EXPECT_EQ(Ys(*At("FilteredSpecs:U_Copy:a")), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(Xs(*s), (std::vector<double>{400, 401, 402, 403})); // the input sorted in place
}

TEST_F(Filtering, ErrorsFileNothing)
{
    AddCurve(host, "A:a", 400, 1, 10, [](double x) { return x; });
    AddCurve(host, "A:b", 400, 2, 10, [](double x) { return x; });
    AddCurve(host, "K:a", 400, 1, 2, [](double x) { return x; });
    AddCurve(host, "M:a", 400, 1, 5, [](double x) { return x; });
    struct Row {
        const char* name;
        int filter;
        const char* specs;
        int steps;
        bool adaptive;
        std::string error;
    };
    const std::string kStepsOutside = "Fehler: Parameter 'AMISteps' liegt außerhalb des zulässigen Bereichs (1 bis 63)!";
    const Row rows[] = {
        {"nothing", 1, "nichts", 3, false, "Fehler: Es wurden keine Spektren ausgewählt!"},
        {"different x", 1, "A", 3, false, "Fehler: Spektrensammlung mit unterschiedlichen Wellenlängen-Werten!"},
        {"box of 2", 1, "K", 3, false, kTooShort},
        {"continuity of 2", 6, "K", 3, false, kTooShort},
        {"median 5 on 5", 5, "M", 5, false, kTooShort},
        {"binomial 2 passes on 5", 2, "M", 1, false, kTooShort},
        // Numbers outside their registered ranges.
        {"median width 0", 5, "M", 0, false, kStepsOutside},
        {"adaptive mean width 0", 2, "M", 0, true, kStepsOutside},
        {"filter 7", 7, "M", 3, false, "Fehler: Parameter 'FilterSel' liegt außerhalb des zulässigen Bereichs (0 bis 6)!"},
        // The selection's own lines come before the range rule.
        {"nothing, filter 7", 7, "nichts", 3, false, "Fehler: Es wurden keine Spektren ausgewählt!"},
        {"different x, median width 0", 5, "A", 0, false,
         "Fehler: Spektrensammlung mit unterschiedlichen Wellenlängen-Werten!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Set(row.filter, row.specs);
        P().setIntParameter("AMISteps", row.steps);
        P().setBoolParameter("FilterAdaptiv", row.adaptive);
        const std::size_t before = host.spectra.GetInserters().size();
        host.log.clear();
        EXPECT_FALSE(module.SpectralFilter());
        EXPECT_EQ(host.LogTexts(), std::vector<std::string>{row.error});
        EXPECT_EQ(host.log.back().colour, 0x000070u);
        EXPECT_EQ(host.spectra.GetInserters().size(), before);
    }
    // Median 5 on 6 points works.
    AddCurve(host, "M:b", 400, 1, 5, [](double) { return 1.0; });
    AddCurve(host, "S:a", 400, 1, 6, [](double) { return 1.0; });
    Set(5, "S");
    P().setIntParameter("AMISteps", 5);
    P().setBoolParameter("FilterAdaptiv", false);
    EXPECT_TRUE(module.SpectralFilter());
}

// The binomial smoothing makes two passes of a steps value of 1 or less and four of 3 or more:
// values outside the registered range run as those plain values.
TEST_F(Filtering, BinomialSmoothingTakesStepsBeyondTheRangeAsItsPasses)
{
    AddCurve(host, "N:a", 400, 1, 40, [](double x) { return std::sin(x) + 0.01 * x; });
    const struct {
        int steps;
        int plain;
    } rows[] = {{0, 1}, {-5, 1}, {INT_MIN, 1}, {64, 3}, {INT_MAX, 3}};
    auto smoothed = [&](int steps) {
        Set(2, "N", "Out");
        P().setBoolParameter("FilterAdaptiv", false);
        P().setIntParameter("AMISteps", steps);
        host.log.clear();
        if (!module.SpectralFilter())
            return std::vector<double>{};
        return Ys(*At("Out:a"));
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.steps);
        const std::vector<double> plain = smoothed(row.plain);
        ASSERT_EQ(plain.size(), 40u);
        EXPECT_EQ(smoothed(row.steps), plain);
        EXPECT_TRUE(host.log.empty());
    }
    EXPECT_NE(smoothed(1), smoothed(3)) << "the steps value counts";
}

TEST_F(Filtering, ContinuityWithJointSteps)
{
    // Two spectra with a step at the same place, on 40 points (margin 1 point).
    const auto step = [](double height) {
        return [height](double x) { return x < 420 ? 1.0 : 1.0 + height; };
    };
    AddCurve(host, "C:a", 400, 1, 40, step(5));
    AddCurve(host, "C:b", 400, 1, 40, step(3));
    Set(6, "C");
    P().setBoolParameter("AutoDetect", true);
    P().setIntParameter("AMISteps", 1);
    P().setDoubleParameter("AMIVal", 0.1);
    P().setBoolParameter("FilterPostProc_Abs", true);
    ASSERT_TRUE(module.SpectralFilter());
    for (const char* name : {"FilteredSpecs:C_AMI:a", "FilteredSpecs:C_AMI:b"}) {
        const std::vector<double> y = Ys(*At(name));
        EXPECT_TRUE(std::all_of(y.begin(), y.end(), [](double v) { return std::fabs(v - 1) < 1e-12; })) << name;
    }
}

} // namespace
