#include "engine/led_array.h"
#include "engine/thermal_model.h"
#include "led_test_support.h"

#include <cmath>

namespace {

ParamContainer Gaussian(const char* peak, const char* name = nullptr)
{
    ParamContainer r = Record({{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", peak}, {"FWHM", "0.02"}});
    if (name)
        r.AddKeyValue("Name", name);
    return r;
}

} // namespace

TEST(LEDArray, NamesFollowTheCountAtAddingAndUnknownModelsAreSkipped)
{
    LogScope log;
    LEDArray a;
    a.AddLED(Gaussian("0.45"), 3);
    a.AddLED(Gaussian("0.50", "Blau"), 4);
    a.AddLED(Record({{"SpectralModel", "NoSuchModel"}, {"Name", "x"}}), 5);
    a.AddLED(Record({{"Name", "ohne"}}), 6);
    a.AddLED(Gaussian("0.55"), 7);
    EXPECT_EQ(log.Take(), (Lines{"Unbekanntes LED-Modell: 'NoSuchModel'", "Unbekanntes LED-Modell: ''"}));
    ASSERT_EQ(a.GetCount(), 3);
    EXPECT_EQ(a.GetName(0), "LED_000");
    EXPECT_EQ(a.GetName(1), "Blau");
    EXPECT_EQ(a.GetName(2), "LED_002");
    EXPECT_EQ(a.GetName(3), "");
    EXPECT_EQ(a.GetName(-1), "");
    EXPECT_EQ(a.GetLED(3), nullptr);
    EXPECT_TRUE(a.ContainsName("Blau"));
    EXPECT_FALSE(a.ContainsName("Bla"));
    EXPECT_EQ(a.GetLED(1)->params.FindValue("OrigDBIdx").second, "4");

    a.RemoveLED(7);
    a.RemoveLED(0);
    ASSERT_EQ(a.GetCount(), 2);
    EXPECT_EQ(a.GetName(0), "Blau");
    EXPECT_EQ(a.GetName(1), "LED_002");
}

TEST(LEDArray, AssignRebuildsFromRecordsAndKeepsIndexAndScore)
{
    LEDArray a;
    a.AddLED(Gaussian("0.45", "A"), 12);
    a.AddLED(Gaussian("0.60", "B"), 3);
    a.score = -2.5;
    a.GetLED(0)->params.SetDouble("PeakWavelength", 0.47); // a fitted value, not in the record

    LEDArray b;
    b.AddLED(Gaussian("0.70", "old"), 0);
    b.Assign(a);
    ASSERT_EQ(b.GetCount(), 2);
    EXPECT_NE(b.GetLED(0), a.GetLED(0));
    EXPECT_EQ(b.GetName(0), "A");
    EXPECT_EQ(b.GetName(1), "B");
    EXPECT_EQ(b.GetLED(0)->params.FindValue("PeakWavelength").second, "0.45");
    EXPECT_EQ(b.GetLED(0)->params.FindValue("OrigDBIdx").second, "12");
    EXPECT_EQ(b.GetLED(1)->params.FindValue("OrigDBIdx").second, "3");
    EXPECT_EQ(b.score, -2.5);

    LEDArray moved(std::move(b));
    EXPECT_EQ(moved.GetCount(), 2);
    EXPECT_EQ(b.GetCount(), 0);
}

TEST(LEDArray, SumSpectrumOfFourChannels)
{
    GridGuard grid;
    XStart = 0.4;
    XEnd = 0.7;
    XStep = 0.001;
    const int n = GridPointCount();
    LEDArray a;
    a.AddLED(Record({{"SpectralModel", "TriPanShenFengLEDModel"}, {"PeakWavelength", "0.45"}, {"FWHM", "0.02"},
                     {"PeakWavelength2", "0.52"}, {"FWHM2", "0.02"}, {"PeakWavelength3", "0.62"}, {"FWHM3", "0.02"},
                     {"IntensityLossPerKelvin", "0.01"}}),
             0);
    a.AddLED(Gaussian("0.58"), 1);
    ASSERT_EQ(a.GetChannelCount(), 4);

    LSMatrixHandle out(n, 1), expected(n, 1), work(n, 1);
    a.ComputeSpectrum(out, {1, 0, 0, 2}, nullptr);
    a.GetLED(0)->SampleChannel(expected, XStart, XEnd, XStep, 298.15, 0);
    a.GetLED(1)->SampleChannel(work, XStart, XEnd, XStep, 298.15, 0);
    MatScale(work, work, 2.0);
    MatAdd(expected, expected, work);
    for (int i = 0; i < n; ++i)
        ASSERT_DOUBLE_EQ(out[i], expected[i]) << i;
    const int peak = static_cast<int>(std::lround((0.45 - XStart) / XStep));
    EXPECT_NEAR(out[peak], 1.0, 1e-9);

    // The thermal model sees the channel within its LED: a hotter model dims the first
    // channel of the three-peak LED.
    ConstantThermalModel hot;
    hot.SetTemperature(348.15);
    a.ComputeSpectrum(out, {1, 0, 0, 0}, &hot);
    EXPECT_NEAR(out[peak], 0.5, 1e-9);

    // Fewer drives than channels: the rest contribute nothing; none gives the zero spectrum.
    a.ComputeSpectrum(out, {0, 1}, nullptr);
    EXPECT_NEAR(out[static_cast<int>(std::lround((0.52 - XStart) / XStep))], 1.0, 1e-9);
    a.ComputeSpectrum(out, {}, nullptr);
    EXPECT_EQ(MatSumOfSquares(out), 0.0);

    // A longer output: the grid's rows as before, the rows beyond it 0.
    LSMatrixHandle longer(n + 3, 1);
    MatFill(longer, 7.0);
    a.ComputeSpectrum(out, {1, 0, 0, 2}, nullptr);
    a.ComputeSpectrum(longer, {1, 0, 0, 2}, nullptr);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(longer[i], out[i]) << i;
    for (int i = n; i < n + 3; ++i)
        EXPECT_EQ(longer[i], 0.0) << i;
}
