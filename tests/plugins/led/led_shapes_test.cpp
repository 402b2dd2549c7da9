#include "led_test_support.h"

#include "core/number_text.h"
#include "engine/led_shapes.h"
#include "platform/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string ParameterList(const LEDModel& m)
{
    std::string s;
    for (int i = 0; i < m.params.Count(); ++i)
        s += (i ? ";" : "") + m.params.KeyAt(i) + "=" + m.params.ValueAt(i);
    return s;
}

} // namespace

TEST(LEDShapes, ParametersInOrderWithTheirDefaults)
{
    struct Row {
        const char* model;
        int channels;
        const char* parameters;
    };
    const Row rows[] = {
        {"RectLEDModel", 1, "PeakWavelength=0.55;FWHM=0.55"},
        {"GaussianLEDModel", 1, "PeakWavelength=0.55;FWHM=0.55"},
        {"LorentzianLEDModel", 1, "PeakWavelength=0.55;FWHM=0.55"},
        {"PanShenFengLEDModel", 1, "PeakWavelength=0.55;FWHM=0.03;PeakShiftPerKelvin=0;IntensityLossPerKelvin=0"},
        {"LUCOLEDModel", 1,
         "PeakWavelength=0.459;FWHM=0.022;P_MixingFactor=0.45;P_GaussPeak1=0.541;P_GaussFWHM1=0.084;"
         "P_GaussFactor1=0.666;P_GaussPeak2=0.601;P_GaussFWHM2=0.113;P_GaussFactor2=0.567;P_GaussPeak3=0.726;"
         "P_GaussFWHM3=0.062;P_GaussFactor3=0.011;PeakShiftPerKelvin=0;IntensityLossPerKelvin=0"},
        {"TriPanShenFengLEDModel", 3,
         "PeakWavelength=0.47;FWHM=0.024;PeakWavelength2=0.55;FWHM2=0.024;PeakWavelength3=0.66;FWHM3=0.024;"
         "PeakShiftPerKelvin=0;IntensityLossPerKelvin=0;PeakShiftPerKelvin2=0;IntensityLossPerKelvin2=0;"
         "PeakShiftPerKelvin3=0;IntensityLossPerKelvin3=0"},
        {"BiPanShenFengLEDModel", 2,
         "PeakWavelength=0.47;FWHM=0.024;PeakWavelength2=0.55;FWHM2=0.024;PeakShiftPerKelvin=0;"
         "IntensityLossPerKelvin=0;PeakShiftPerKelvin2=0;IntensityLossPerKelvin2=0"},
        {"FabryPerotModel", 1,
         "PeakWavelength=0.55;FP-Exp=2;FP-BaseDelta=0.05;FP-PeakDelta=0;FP-LeftOffset=0;FP-RightOffset=0;"
         "FP-LeftClimp=0;FP-RightClimp=0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        std::unique_ptr<LEDModel> m = MakeModel(row.model);
        EXPECT_EQ(ParameterList(*m), row.parameters);
        EXPECT_EQ(m->GetChannelCount(), row.channels);
    }
}

TEST(LEDShapes, ValuesAtCharacteristicPoints)
{
    struct Row {
        const char* name;
        const char* model;
        Pairs values;
        double wavelength, temperature;
        int channel;
        double expected;
    };
    const double T0 = 298.15;
    const Row rows[] = {
        {"Gaussian half height right", "GaussianLEDModel", {{"FWHM", "0.03"}}, 0.565, T0, 0, 0.5},
        {"Gaussian half height left", "GaussianLEDModel", {{"FWHM", "0.03"}}, 0.535, T0, 0, 0.5},
        {"Gaussian peak", "GaussianLEDModel", {{"FWHM", "0.03"}}, 0.55, T0, 0, 1.0},
        {"Gaussian zero width at peak", "GaussianLEDModel", {{"FWHM", "0"}}, 0.55, T0, 0, 1.0},
        {"Gaussian zero width beside", "GaussianLEDModel", {{"FWHM", "0"}}, 0.5501, T0, 0, 0.0},
        {"Gaussian channel 1", "GaussianLEDModel", {}, 0.55, T0, 1, 0.0},
        {"Lorentzian half height", "LorentzianLEDModel", {{"FWHM", "0.03"}}, 0.565, T0, 0, 0.5},
        {"Lorentzian half height left", "LorentzianLEDModel", {{"FWHM", "0.03"}}, 0.535, T0, 0, 0.5},
        {"Lorentzian zero width", "LorentzianLEDModel", {{"FWHM", "0"}}, 0.55, T0, 0, 1.0},
        {"Rect left edge excluded", "RectLEDModel", {{"PeakWavelength", "0.5"}, {"FWHM", "0.5"}}, 0.25, T0, 0, 0.0},
        {"Rect right edge excluded", "RectLEDModel", {{"PeakWavelength", "0.5"}, {"FWHM", "0.5"}}, 0.75, T0, 0, 0.0},
        {"Rect inside", "RectLEDModel", {{"PeakWavelength", "0.5"}, {"FWHM", "0.5"}}, 0.7499, T0, 0, 1.0},
        {"Rect zero width", "RectLEDModel", {{"FWHM", "0"}}, 0.55, T0, 0, 1.0},
        {"PanShenFeng peak", "PanShenFengLEDModel", {}, 0.55, T0, 0, 1.0},
        {"PanShenFeng dimmed to 0", "PanShenFengLEDModel", {{"IntensityLossPerKelvin", "0.011"}}, 0.55, 398.15, 0, 0.0},
        {"PanShenFeng brighter when cold", "PanShenFengLEDModel", {{"IntensityLossPerKelvin", "0.011"}}, 0.55, 198.15, 0, 2.1},
        {"PanShenFeng gain clamped to 5", "PanShenFengLEDModel", {{"IntensityLossPerKelvin", "-0.1"}}, 0.55, 348.15, 0, 5.0},
        {"PanShenFeng cut-off from the unshifted peak", "PanShenFengLEDModel",
         {{"FWHM", "0.02"}, {"PeakShiftPerKelvin", "0.001"}}, 0.651, 398.15, 0, 0.0},
        {"PanShenFeng inside the cut-off", "PanShenFengLEDModel", {{"FWHM", "0.02"}, {"PeakShiftPerKelvin", "0.001"}},
         0.649, 398.15, 0, 0.9920980332615918},
        {"PanShenFeng zero width at the shifted peak", "PanShenFengLEDModel",
         {{"FWHM", "0"}, {"PeakShiftPerKelvin", "0.001"}, {"IntensityLossPerKelvin", "0.001"}}, 0.56, 308.15, 0, 0.99},
        {"PanShenFeng channel 1", "PanShenFengLEDModel", {}, 0.55, T0, 1, 0.0},
        {"LUCO channel 1", "LUCOLEDModel", {}, 0.459, T0, 1, 0.0},
        {"Tri channel 1 peaks at its own wavelength", "TriPanShenFengLEDModel", {}, 0.55, T0, 1, 1.0},
        {"Tri channel 2", "TriPanShenFengLEDModel", {}, 0.66, T0, 2, 1.0},
        {"Tri channel 3", "TriPanShenFengLEDModel", {}, 0.55, T0, 3, 0.0},
        {"Tri channel -1", "TriPanShenFengLEDModel", {}, 0.55, T0, -1, 0.0},
        {"Bi channel 1", "BiPanShenFengLEDModel", {}, 0.55, T0, 1, 1.0},
        {"Bi channel 2", "BiPanShenFengLEDModel", {{"PeakWavelength2", "0.55"}}, 0.55, T0, 2, 0.0},
        {"Vortex top", "FabryPerotModel", {}, 0.55, T0, 0, 1.0},
        {"Vortex left flank", "FabryPerotModel", {}, 0.5375, T0, 0, 0.25},
        {"Vortex right flank", "FabryPerotModel", {}, 0.5625, T0, 0, 0.25},
        {"Vortex left foot", "FabryPerotModel", {}, 0.525, T0, 0, 0.0},
        {"Vortex right foot", "FabryPerotModel", {}, 0.575, T0, 0, 0.0},
        {"Vortex beyond", "FabryPerotModel", {}, 0.6, T0, 0, 0.0},
        {"Vortex tail with offset and climp", "FabryPerotModel", {{"FP-LeftOffset", "0.2"}, {"FP-LeftClimp", "10"}},
         0.505, T0, 0, 0.2 - 10 * 0.02 * 0.02},
        {"Vortex zero base width", "FabryPerotModel", {{"FP-BaseDelta", "0"}}, 0.55, T0, 0, 1.0},
        {"Vortex equal widths: flat top, not NaN", "FabryPerotModel",
         {{"FP-BaseDelta", "0.05"}, {"FP-PeakDelta", "0.05"}}, 0.525, T0, 0, 1.0},
        {"Vortex zero base to a negative power", "FabryPerotModel",
         {{"PeakWavelength", "0.5"}, {"FP-BaseDelta", "0.5"}, {"FP-Exp", "-1"}}, 0.25, T0, 0, 1.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<LEDModel> m = MakeModel(row.model, row.values);
        EXPECT_NEAR(m->GetValue(row.wavelength, row.temperature, row.channel), row.expected, 1e-12);
    }
}

// Undefined shapes must still give numbers everywhere on the grid.
TEST(LEDShapes, DegenerateVortexParametersNeverGiveNaN)
{
    const Pairs cases[] = {
        {{"FP-PeakDelta", "0.05"}},
        {{"FP-PeakDelta", "0.05"}, {"FP-Exp", "0.5"}},
        {{"FP-PeakDelta", "0.08"}, {"FP-Exp", "2.5"}},
        {{"FP-PeakDelta", "-0.02"}, {"FP-Exp", "2.5"}},
        {{"FP-BaseDelta", "-0.05"}},
        {{"FP-Exp", "-2"}, {"FP-LeftOffset", "1"}},
        {{"FP-Exp", "nonsense"}},
        {{"FP-BaseDelta", "1e999"}},
    };
    for (const Pairs& values : cases) {
        std::unique_ptr<LEDModel> m = MakeModel("FabryPerotModel", values);
        SCOPED_TRACE(ParameterList(*m));
        for (double x = 0.4; x <= 0.75; x += 0.0005) {
            ASSERT_FALSE(std::isnan(m->GetValue(x, 298.15, 0))) << x;
            for (int p = 0; p < 4; ++p)
                ASSERT_FALSE(std::isnan(m->GetDerivative(p, x, 298.15, 0))) << x;
        }
    }
}

TEST(LEDShapes, LUCOMixesBlueAndPhosphorParts)
{
    const double x = 0.47; // where both parts contribute
    const double T0 = 298.15;
    // The blue part alone (phosphor factors 0) is the PanShenFeng peak of the same values.
    const Pairs noPhosphor = {{"P_MixingFactor", "1"}, {"P_GaussFactor1", "0"}, {"P_GaussFactor2", "0"}, {"P_GaussFactor3", "0"}};
    const double B = MakeModel("LUCOLEDModel", noPhosphor)->GetValue(x, T0, 0);
    const double psf = MakeModel("PanShenFengLEDModel", {{"PeakWavelength", "0.459"}, {"FWHM", "0.022"}})->GetValue(x, T0, 0);
    EXPECT_EQ(B, psf);
    const double S = MakeModel("LUCOLEDModel", {{"P_MixingFactor", "1"}})->GetValue(x, T0, 0) - B;
    ASSERT_GT(S, 0.01);
    ASSERT_GT(B, 0.01);

    EXPECT_NEAR(MakeModel("LUCOLEDModel", {{"P_MixingFactor", "2"}})->GetValue(x, T0, 0), S + B / 2, 1e-12);
    EXPECT_NEAR(MakeModel("LUCOLEDModel", {{"P_MixingFactor", "0.5"}})->GetValue(x, T0, 0), S / 2 + B, 1e-12);

    // Temperature: the blue gain is clamped to [0, 5], the phosphor's to [0, 2].
    const double hot = MakeModel("LUCOLEDModel", {{"P_MixingFactor", "1"}, {"IntensityLossPerKelvin", "-0.1"}})
                           ->GetValue(0.459, 348.15, 0);
    const double blueAtPeak = MakeModel("LUCOLEDModel", noPhosphor)->GetValue(0.459, T0, 0);
    const double phosphorAtPeak = MakeModel("LUCOLEDModel", {{"P_MixingFactor", "1"}})->GetValue(0.459, T0, 0) - blueAtPeak;
    EXPECT_NEAR(hot, 5 * blueAtPeak + 2 * phosphorAtPeak, 1e-12);
}

// Each analytic derivative against the central difference of GetValue.
TEST(LEDShapes, DerivativesMatchCentralDifferences)
{
    struct Row {
        const char* model;
        Pairs values;
        std::vector<double> wavelengths;
        double temperature;
        int channel;
        int params; // parameters 0 .. params-1 are compared
    };
    const double T0 = 298.15;
    const Pairs psf = {{"FWHM", "0.03"}, {"PeakShiftPerKelvin", "0.0002"}, {"IntensityLossPerKelvin", "0.003"}};
    const Pairs tri = {{"PeakShiftPerKelvin", "0.0001"}, {"IntensityLossPerKelvin2", "0.002"}, {"FWHM3", "0.03"}};
    const Pairs bi = {{"PeakShiftPerKelvin", "0.0001"}, {"IntensityLossPerKelvin2", "0.002"}, {"FWHM2", "0.03"}};
    const Pairs vortex = {{"FP-Exp", "2.5"}, {"FP-BaseDelta", "0.06"}, {"FP-PeakDelta", "0.02"}, {"FP-LeftOffset", "0.1"},
                          {"FP-RightOffset", "0.2"}, {"FP-LeftClimp", "0.3"}, {"FP-RightClimp", "0.4"}};
    const Row rows[] = {
        {"GaussianLEDModel", {{"FWHM", "0.03"}}, {0.5, 0.54, 0.55, 0.56, 0.6}, T0, 0, 2},
        {"LorentzianLEDModel", {{"FWHM", "0.03"}}, {0.5, 0.54, 0.55, 0.56, 0.6}, T0, 0, 2},
        {"RectLEDModel", {{"FWHM", "0.2"}}, {0.5, 0.7}, T0, 0, 2},
        // At the reference temperature the temperature coefficients have no effect.
        {"PanShenFengLEDModel", psf, {0.52, 0.545, 0.55, 0.555, 0.57}, T0, 0, 4},
        {"PanShenFengLEDModel", psf, {0.52, 0.55, 0.565}, 340.0, 0, 2},
        {"TriPanShenFengLEDModel", tri, {0.46, 0.47, 0.55, 0.56, 0.66, 0.67}, T0, 0, 12},
        {"TriPanShenFengLEDModel", tri, {0.46, 0.55, 0.56}, T0, 1, 12},
        {"TriPanShenFengLEDModel", tri, {0.65, 0.66, 0.68}, T0, 2, 12},
        {"BiPanShenFengLEDModel", bi, {0.46, 0.48, 0.55}, T0, 0, 8},
        {"BiPanShenFengLEDModel", bi, {0.47, 0.54, 0.56}, T0, 1, 8},
        // Flanks, top and (without climps) the constant tails of the filter curve.
        {"FabryPerotModel", vortex, {0.525, 0.53, 0.535, 0.55, 0.565, 0.57, 0.575}, T0, 0, 4},
        {"FabryPerotModel", {{"FP-RightOffset", "0.1"}, {"FP-LeftOffset", "0.3"}}, {0.5, 0.53, 0.54, 0.545, 0.56, 0.57, 0.6}, T0, 0, 4},
        {"FabryPerotModel", {{"FP-PeakDelta", "-0.01"}, {"FP-Exp", "1.5"}}, {0.54, 0.552, 0.56}, T0, 0, 4},
    };
    for (const Row& row : rows) {
        std::unique_ptr<LEDModel> m = MakeModel(row.model, row.values);
        for (double x : row.wavelengths) {
            for (int p = 0; p < row.params; ++p) {
                SCOPED_TRACE(std::string(row.model) + " channel " + std::to_string(row.channel) + " at " +
                             std::to_string(x) + " by " + m->params.KeyAt(p));
                const std::string text = m->params.ValueAt(p);
                const double v = number_text::ToDouble(text.c_str());
                const double h = 1e-7 * std::max(1.0, std::fabs(v));
                m->params.SetStringAt(p, ExactText(v + h));
                const double up = m->GetValue(x, row.temperature, row.channel);
                m->params.SetStringAt(p, ExactText(v - h));
                const double down = m->GetValue(x, row.temperature, row.channel);
                m->params.SetStringAt(p, text);
                const double numeric = (up - down) / (2 * h);
                EXPECT_NEAR(m->GetDerivative(p, x, row.temperature, row.channel), numeric,
                            1e-5 * std::max(1.0, std::fabs(numeric)));
            }
        }
    }

    // No shape has a temperature derivative, and parameters past the end give 0.
    for (int i = 0; std::unique_ptr<LEDModel> m{CreateLEDModelByIndex(i)}; ++i) {
        EXPECT_EQ(m->GetDerivative(-1, 0.55, 350.0, 0), 0.0);
        EXPECT_EQ(m->GetDerivative(m->params.Count(), 0.55, 350.0, 0), 0.0);
    }
}

TEST(LEDShapes, PeakWidthNoiseStaysWithinTheTolerances)
{
    struct Row {
        const char* model;
        std::function<void(LEDModel&)> addNoise;
    };
    const Row rows[] = {
        {"RectLEDModel", [](LEDModel& m) { dynamic_cast<RectLEDModel&>(m).AddParameterNoise(); }},
        {"GaussianLEDModel", [](LEDModel& m) { dynamic_cast<GaussianLEDModel&>(m).AddParameterNoise(); }},
        {"LorentzianLEDModel", [](LEDModel& m) { dynamic_cast<LorentzianLEDModel&>(m).AddParameterNoise(); }},
        {"PanShenFengLEDModel", [](LEDModel& m) { dynamic_cast<PanShenFengLEDModel&>(m).AddParameterNoise(); }},
    };
    const double stretch = 16384.0 / 16383.0; // (32767 - 16383)/16383
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        // Without limits the ranges are 0.005; stored limits give |max - min|.
        for (bool limits : {false, true}) {
            const double peakRange = limits ? 0.02 : 0.005;
            const double widthRange = limits ? 0.012 : 0.005;
            double lowest = 1, highest = -1;
            platform::SRand(5);
            for (int i = 0; i < 200; ++i) {
                std::unique_ptr<LEDModel> m = MakeModel(row.model, {{"PeakWavelength", "0.5"}, {"FWHM", "0.03"}});
                if (limits) {
                    m->params.AddKeyValue("PeakWavelengthMin", "0.49");
                    m->params.AddKeyValue("PeakWavelengthMax", "0.51");
                    m->params.AddKeyValue("FWHMMin", "0.024");
                    m->params.AddKeyValue("FWHMMax", "0.036");
                }
                row.addNoise(*m);
                const double dP = m->params.GetDouble("PeakWavelength") - 0.5;
                const double dW = m->params.GetDouble("FWHM") - 0.03;
                ASSERT_LE(std::fabs(dP), peakRange * stretch + 1e-6);
                ASSERT_LE(std::fabs(dW), widthRange * stretch + 1e-6);
                lowest = std::min(lowest, dP / peakRange);
                highest = std::max(highest, dP / peakRange);
            }
            EXPECT_LT(lowest, -0.8);
            EXPECT_GT(highest, 0.8);
        }
    }
}

TEST(LEDShapes, VortexNoiseSeedWrapsAndShiftsArithmetically)
{
    EXPECT_EQ(VortexFLTModel::NoiseSeed(32767, 0xFFFFFFFFu), 0xFFFE0004u);
    EXPECT_EQ(VortexFLTModel::NoiseSeed(20000, 1700000000u), static_cast<std::uint32_t>(20000ull * 1700000000ull * 4ull));

    // The first draw after seeding with s.
    const auto firstDraw = [](std::uint32_t s) {
        platform::SRand(s);
        return (platform::Rand() - 16383) / 16383.0;
    };
    // A seed that is negative as a signed 32-bit value: shifting it logically would give
    // other seeds from two bits on.
    const std::uint32_t seed = 0x80000001u;
    const auto shifted = [seed](int k) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(seed) >> k); };
    ASSERT_NE(firstDraw(shifted(2)), firstDraw(seed >> 2));

    platform::SRand(seed);
    const double first = (platform::Rand() - 16383) / 16383.0 * 0.1;
    const double n = first > 0 ? (platform::Rand() - 16383) / 16383.0 * 0.1 : 0.0;
    const double dP = (platform::Rand() - 16383) / 16383.0 * 0.04;

    VortexFLTModel m;
    m.params.SetDouble("FP-LeftClimp", -0.02);
    m.AddParameterNoise(seed);
    const auto value = [&m](const char* key) { return m.params.FindValue(key).second; };
    using number_text::FormatG;
    EXPECT_EQ(value("PeakWavelength"), FormatG(0.55 + dP));
    EXPECT_EQ(value("FP-Exp"), "2");
    EXPECT_EQ(value("FP-BaseDelta"), FormatG(0.05 + firstDraw(shifted(1)) * (0.1 * 0.05)));
    EXPECT_EQ(value("FP-PeakDelta"), FormatG(firstDraw(shifted(2)) * 0.04));
    EXPECT_EQ(value("FP-LeftOffset"), FormatG(n));
    EXPECT_EQ(value("FP-RightOffset"), FormatG(n));
    EXPECT_EQ(value("FP-LeftClimp"), FormatG(std::clamp(-0.02 + firstDraw(shifted(5)) * 0.1, -5.0, 0.0)));
    EXPECT_EQ(value("FP-RightClimp"), FormatG(std::clamp(firstDraw(shifted(6)) * 0.1, 0.0, 5.0)));

    // The clock-seeded form moves the values by at most these amounts.
    for (int i = 0; i < 50; ++i) {
        VortexFLTModel v;
        v.AddParameterNoise();
        EXPECT_LE(std::fabs(v.params.GetDouble("PeakWavelength") - 0.55), 0.04 * 1.0001);
        EXPECT_LE(std::fabs(v.params.GetDouble("FP-BaseDelta") - 0.05), 0.005 * 1.0001);
        EXPECT_EQ(v.params.GetDouble("FP-LeftOffset"), v.params.GetDouble("FP-RightOffset"));
        EXPECT_GE(v.params.GetDouble("FP-LeftClimp"), 0.0);
        EXPECT_LE(v.params.GetDouble("FP-LeftClimp"), 0.1 * 1.0001);
    }
}
