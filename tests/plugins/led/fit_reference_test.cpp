// The fitter and the selector against minima and matrices computed with scipy
// (reference/make_fit_reference.py).
#include "engine/color_calculator.h"
#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/led_fitter.h"
#include "engine/led_selector.h"
#include "led_test_support.h"

#include <cmath>

namespace {

#include "reference/fit_reference.inc"

class FitReference : public ::testing::Test {
protected:
    FitReference()
    {
        XStart = 0.38;
        XEnd = 0.78;
        XStep = 0.001;
    }

    // Twenty Gaussian LEDs at 0.4 + step k.
    static void Fill(LEDArray& array, double step)
    {
        for (int k = 0; k < 20; ++k) {
            const double peak = 0.4 + step * k;
            array.AddLED(Record({{"SpectralModel", "GaussianLEDModel"},
                                 {"PeakWavelength", ExactText(peak).c_str()},
                                 {"FWHM", peak < 0.5 ? "0.02" : "0.03"}}),
                         k);
        }
    }
    static LSMatrixHandle BlackBody(double T)
    {
        LSMatrixHandle t(GridPointCount(), 1);
        ColorCalculator::BlackBodySpectrum(t, T);
        return t;
    }
    static void Tighten(LEDFitterSettings& s)
    {
        s.Options.MinConvergence = 1e-9;
        s.Options.ConvergenceSteps = 10;
        s.Options.MinGradient = 1e-20;
    }

    GridGuard guard;
};

void ExpectDrives(const LEDFitter& f, int target, const double* expected, const std::string& what)
{
    for (int k = 0; k < 20; ++k)
        EXPECT_NEAR(f.GetDriveValue(k, target), expected[k], 1e-5) << what << " drive " << k;
}

} // namespace

TEST_F(FitReference, EveryFunctionReachesTheReferenceMinimum)
{
    struct Case {
        const char* name;
        double step;
        int function;
        double param;
        double sum;
        const double* drives;
        double defaultsTolerance; // relative, with the default options
    };
    const Case cases[] = {
        {"bench 1", 0.020, 0, 1.0, kBench1Sum, kBench1Drives, 1e-3},
        {"bench 2, one drive at 0", 0.016, 0, 1.0, kBench2Sum, kBench2Drives, 1e-3},
        {"relative", 0.020, 1, 1.0, kRelativeSum, kRelativeDrives, 1e-3},
        {"centre-weighted a = 0.1", 0.020, 2, 0.1, kCentreSum, kCentreDrives, 1e-3},
        {"mixed a = 0.5", 0.020, 3, 0.5, kMixedSum, kMixedDrives, 1e-3},
        {"logarithmic a = 1", 0.020, 4, 1.0, kLog1Sum, kLog1Drives, 1e-3},
        {"logarithmic a = 10", 0.020, 4, 10.0, kLog10Sum, kLog10Drives, 1e-3},
    };
    const LSMatrixHandle target = BlackBody(4000.0);
    SpectraSet targets;
    targets.AddSpectrum("bb", target);
    for (const Case& c : cases) {
        for (bool tight : {true, false}) {
            LEDArray array;
            Fill(array, c.step);
            LEDFitter f;
            f.GetSettings()->OptimizationFunction = c.function;
            f.GetSettings()->FunctionParam = c.param;
            if (tight)
                Tighten(*f.GetSettings());
            f.Setup(&array, &targets, nullptr);
            const double sum = f.Fit();
            if (tight) {
                EXPECT_NEAR(sum, c.sum, 1e-9 * c.sum) << c.name;
                ExpectDrives(f, 0, c.drives, c.name);
            } else {
                EXPECT_NEAR(sum, c.sum, c.defaultsTolerance * c.sum) << c.name << " with default options";
            }
        }
    }
}

TEST_F(FitReference, TwoTargetsAtOnce)
{
    LEDArray array;
    Fill(array, 0.020);
    SpectraSet targets;
    targets.AddSpectrum("4000", BlackBody(4000.0));
    targets.AddSpectrum("6500", BlackBody(6500.0));
    LEDFitter f;
    Tighten(*f.GetSettings());
    f.Setup(&array, &targets, nullptr);
    EXPECT_NEAR(f.Fit(), kBench1Sum + kSecondTargetSum, 1e-9 * (kBench1Sum + kSecondTargetSum));
    ExpectDrives(f, 0, kBench1Drives, "first target");
    ExpectDrives(f, 1, kSecondTargetDrives, "second target");
}

TEST_F(FitReference, SelectorProbabilities)
{
    LedDB db;
    const double leds[5][2] = {{0.45, 0.03}, {0.46, 0.03}, {0.52, 0.05}, {0.6, 0.02}, {0.65, 0.04}};
    for (const auto& [peak, fwhm] : leds)
        db.AddEntry(Record({{"SpectralModel", "GaussianLEDModel"},
                            {"PeakWavelength", ExactText(peak).c_str()},
                            {"FWHM", ExactText(fwhm).c_str()}}));
    LEDSelector s;
    s.SetDatabase(&db);
    s.BuildProbabilities();
    LSMatrix P = s.GetProbabilityMatrix();
    ASSERT_NE(P, nullptr);
    for (int i = 0; i < 25; ++i)
        EXPECT_NEAR(P[i], kSelectorProbabilities[i], 1e-9) << i;
}
