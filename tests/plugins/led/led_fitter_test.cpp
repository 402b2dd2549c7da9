#include "engine/led_array.h"
#include "engine/led_fitter.h"
#include "led_test_support.h"
#include "platform/random.h"

#include <algorithm>
#include <cmath>

namespace {

ParamContainer Psf(double peak, double fwhm, double loss = 0.0, double shift = 0.0)
{
    ParamContainer r;
    r.AddKeyValue("SpectralModel", "PanShenFengLEDModel");
    r.AddKeyValue("PeakWavelength", ExactText(peak));
    r.AddKeyValue("FWHM", ExactText(fwhm));
    r.AddKeyValue("IntensityLossPerKelvin", ExactText(loss));
    r.AddKeyValue("PeakShiftPerKelvin", ExactText(shift));
    return r;
}

// Every channel's temperature rises with every drive: T_h = 298.15 + 20 Σ_k (1 + h + 2k)/10 d_k.
class LinearThermalModel : public ThermalModel {
public:
    double GetTemperature(int channel, const double* drives) const override
    {
        double T = 298.15;
        for (int k = 0; k < count; ++k)
            T += 20.0 * Coefficient(channel, k) * drives[k];
        return T;
    }
    double GetTemperatureDerivative(int channel, int driveIndex, const double*) const override
    {
        return 20.0 * Coefficient(channel, driveIndex);
    }
    static double Coefficient(int h, int k) { return (1.0 + h + 2.0 * k) / 10.0; }
    int count = 0;
};

// A peak that shifts and dims with temperature and, unlike the shapes of the table, gives
// its temperature derivative: exp(-((λ - P - 0.0002 ΔT)/0.03)²) (1 - 0.004 ΔT).
class WarmPeak : public LEDModel {
public:
    explicit WarmPeak(double peak) { AddParameter("PeakWavelength", peak, true); }
    double GetValue(double x, double T, int channel) const override
    {
        const double dT = T - 298.15;
        const double v = (x - params.GetDoubleAt(0) - 0.0002 * dT) / 0.03;
        return channel == 0 ? std::exp(-v * v) * (1 - 0.004 * dT) : 0.0;
    }
    double GetDerivative(int param, double x, double T, int channel) const override
    {
        const double dT = T - 298.15;
        const double v = (x - params.GetDoubleAt(0) - 0.0002 * dT) / 0.03;
        const double g = std::exp(-v * v);
        const double dv = param == -1 ? -0.0002 / 0.03 : (param == 0 ? -1 / 0.03 : 0.0);
        const double dk = param == -1 ? -0.004 : 0.0;
        return channel == 0 ? g * (-2 * v * dv) * (1 - 0.004 * dT) + g * dk : 0.0;
    }
};

// A grid of 201 points and a set of arrays and targets on it.
class FitterTest : public ::testing::Test {
protected:
    FitterTest()
    {
        XStart = 0.38;
        XEnd = 0.78;
        XStep = 0.002;
        n = GridPointCount();
    }

    // The spectrum of array at the given drives.
    LSMatrixHandle Render(LEDArray& array, const std::vector<double>& drives, ThermalModel* thermal = nullptr)
    {
        LSMatrixHandle s(n, 1);
        array.ComputeSpectrum(s, drives, thermal);
        return s;
    }

    GridGuard guard;
    int n = 0;
};

// Central differences of the residuals by each parameter against the analytic Jacobian. Rows
// where function 0's residual changes sign within the step are skipped (function 4's kink).
void ExpectJacobianMatchesDifferences(LEDFitter& f, const std::vector<double>& steps, const std::string& what)
{
    const int m = f.GetParameterCount();
    const int N = f.GetPointCount() * f.GetTargetCount();
    LSMatrixHandle q(m, 1), J(N, m), plus(N, 1), minus(N, 1), plus0(N, 1), minus0(N, 1);
    const auto base = [&f](LSMatrix out, LSMatrix at) {
        const int function = f.GetSettings()->OptimizationFunction;
        f.GetSettings()->OptimizationFunction = 0;
        f.ComputeResiduals(out, at);
        f.GetSettings()->OptimizationFunction = function;
    };
    MatCopy(q, f.GetParameters());
    ASSERT_TRUE(f.ComputeResiduals(plus, q));
    ASSERT_TRUE(f.ComputeJacobian(J, q));
    for (int c = 0; c < m; ++c) {
        const double h = steps[static_cast<std::size_t>(c)];
        const double x = q[c];
        q[c] = x + h;
        f.ComputeResiduals(plus, q);
        base(plus0, q);
        q[c] = x - h;
        f.ComputeResiduals(minus, q);
        base(minus0, q);
        q[c] = x;
        double scale = 1e-12;
        for (int i = 0; i < N; ++i)
            scale = std::max(scale, std::fabs(J(i, c)));
        for (int i = 0; i < N; ++i) {
            if ((plus0[i] < 0) != (minus0[i] < 0))
                continue;
            const double numeric = (plus[i] - minus[i]) / (2 * h);
            ASSERT_NEAR(J(i, c), numeric, 2e-3 * scale) << what << ", column " << c << ", row " << i;
        }
    }
    f.ComputeResiduals(plus, q); // leaves the models at q
}

} // namespace

TEST_F(FitterTest, SetupGivesHalfDrivesAndSeparateTargetBlocks)
{
    LEDArray array;
    for (double peak : {0.45, 0.55, 0.65})
        array.AddLED(Psf(peak, 0.03), 0);
    SpectraSet targets;
    targets.AddSpectrum("a", Render(array, {0.2, 0.4, 0.6}));
    targets.AddSpectrum("b", Render(array, {0.9, 0.1, 0.3}));
    LEDFitter f;
    f.Setup(&array, &targets, nullptr);
    ASSERT_EQ(f.GetParameterCount(), 6);
    for (int t = 0; t < 2; ++t)
        for (int a = 0; a < 3; ++a)
            EXPECT_DOUBLE_EQ(f.GetDriveValue(a, t), 0.5);
    EXPECT_EQ(f.GetDriveValue(3, 0), 0.0);
    EXPECT_EQ(f.GetDriveValue(0, 2), 0.0);

    LSMatrixHandle J(2 * n, 6);
    ASSERT_TRUE(f.ComputeJacobian(J, f.GetParameters()));
    for (int i = 0; i < 2 * n; ++i)
        for (int c = 0; c < 6; ++c)
            if ((i < n) != (c < 3)) {
                ASSERT_EQ(J(i, c), 0.0) << i << "," << c;
            }

    OptimizerOptions& o = f.GetSettings()->Options;
    o.MinConvergence = 1e-9;
    o.ConvergenceSteps = 10;
    o.MinGradient = 1e-20;
    EXPECT_LT(f.Fit(), 1e-12);
    const double expected[2][3] = {{0.2, 0.4, 0.6}, {0.9, 0.1, 0.3}};
    for (int t = 0; t < 2; ++t)
        for (int a = 0; a < 3; ++a)
            EXPECT_NEAR(f.GetDriveValue(a, t), expected[t][a], 1e-6);
    std::vector<double> drives{7.0};
    f.GetDriveValues(1, drives);
    EXPECT_EQ(drives.size(), 3u);
    EXPECT_NEAR(drives[0], 0.9, 1e-6);
}

TEST_F(FitterTest, JacobiansOfEveryFunctionMatchCentralDifferences)
{
    // Two LEDs whose peak and width are fitted, a third with drives only whose spectrum
    // depends on its temperature; temperatures that depend on the drives, so the temperature
    // term is exercised; a weighting set of two.
    LEDArray array;
    for (const char* peak : {"0.45", "0.52"})
        array.AddLED(Record({{"SpectralModel", "GaussianLEDModel"}, {"PeakWavelength", peak}, {"FWHM", "0.04"}}), 0);
    array.AdoptLED(new WarmPeak(0.63), "warm");
    for (int i = 0; i < 2; ++i) {
        array.GetLED(i)->SetFitFlag(0, true); // PeakWavelength
        array.GetLED(i)->SetFitFlag(1, true); // FWHM
    }
    LinearThermalModel thermal;
    thermal.count = 3;
    SpectraSet targets, weights;
    targets.AddSpectrum("t0", Render(array, {0.3, 0.7, 0.2}));
    LSMatrixHandle second = Render(array, {0.6, 0.1, 0.5});
    second[n / 2] = 0.0; // a zero target value: the floors of functions 1 and 2
    second[n / 3] = -2e-5;
    targets.AddSpectrum("t1", second);
    LSMatrixHandle w(n, 1);
    for (int i = 0; i < n; ++i)
        w[i] = 0.5 + 0.001 * i;
    weights.AddSpectrum("w0", w);
    weights.AddSpectrum("w1", w);

    struct Case {
        int function;
        double param;
    };
    const Case cases[] = {{0, 1.0}, {1, 1.0}, {2, 0.1}, {3, 0.3}, {4, 1.0}, {4, 10.0}};
    for (const Case& c : cases) {
        LEDFitter f;
        f.SetThermalModel(&thermal);
        f.GetSettings()->OptimizationFunction = c.function;
        f.GetSettings()->FunctionParam = c.param;
        f.Setup(&array, &targets, &weights);
        ASSERT_EQ(f.GetFitParameterCount(), 4);
        ASSERT_EQ(f.GetParameterCount(), 4 + 2 * 3);
        // Model parameters move in steps that "%g" stores exactly; drives in small steps.
        std::vector<double> steps(10, 1e-5);
        steps[0] = steps[2] = 2e-4;
        steps[1] = steps[3] = 1e-4;
        ExpectJacobianMatchesDifferences(f, steps, "function " + std::to_string(c.function) + " a=" + std::to_string(c.param));
    }
}

TEST_F(FitterTest, FunctionThreeWithParameterOneIsFunctionZero)
{
    LEDArray array;
    array.AddLED(Psf(0.47, 0.03), 0);
    array.AddLED(Psf(0.6, 0.03), 1);
    SpectraSet targets;
    targets.AddSpectrum("t", Render(array, {0.4, 0.9}));
    LSMatrixHandle r0(n, 1), r3(n, 1);
    LEDFitter f;
    f.Setup(&array, &targets, nullptr);
    MatScale(f.GetParameters(), f.GetParameters(), 0.7);
    f.ComputeResiduals(r0, f.GetParameters());
    f.GetSettings()->OptimizationFunction = 3;
    f.ComputeResiduals(r3, f.GetParameters());
    for (int i = 0; i < n; ++i)
        ASSERT_DOUBLE_EQ(r0[i], r3[i]);
}

TEST_F(FitterTest, FitsModelParametersAndDrives)
{
    LEDArray truth, array;
    truth.AddLED(Psf(0.452, 0.031), 0);
    truth.AddLED(Psf(0.58, 0.04), 1);
    array.AddLED(Psf(0.45, 0.03), 0);
    array.AddLED(Psf(0.58, 0.04), 1);
    array.GetLED(0)->SetFitFlag(0, true);
    array.GetLED(0)->SetFitFlag(1, true);
    SpectraSet targets;
    targets.AddSpectrum("t", Render(truth, {0.8, 0.3}));
    LEDFitter f;
    OptimizerOptions& o = f.GetSettings()->Options;
    o.MinConvergence = 1e-9;
    o.ConvergenceSteps = 10;
    o.MinGradient = 1e-20;
    f.Setup(&array, &targets, nullptr);
    EXPECT_LT(f.Fit(), 1e-8);
    EXPECT_NEAR(array.GetLED(0)->params.GetDouble("PeakWavelength"), 0.452, 2e-6);
    EXPECT_NEAR(array.GetLED(0)->params.GetDouble("FWHM"), 0.031, 2e-6);
    EXPECT_NEAR(f.GetDriveValue(0, 0), 0.8, 1e-4);
    EXPECT_NEAR(f.GetDriveValue(1, 0), 0.3, 1e-4);
}

// The fitter samples on the grid it copied in Setup (from the models' caches while that is
// the global grid): a grid changed afterwards must not change the fit.
TEST_F(FitterTest, FitStaysOnTheGridOfItsSetup)
{
    LEDArray truth;
    truth.AddLED(Psf(0.47, 0.03), 0);
    truth.AddLED(Psf(0.56, 0.04), 1);
    truth.AddLED(Psf(0.63, 0.02), 2);
    SpectraSet targets;
    targets.AddSpectrum("t", Render(truth, {0.6, 0.2, 0.9}));
    const auto fit = [&](bool moveGrid, std::vector<double>& drives) {
        LEDArray array;
        array.Assign(truth);
        LEDFitter f;
        f.Setup(&array, &targets, nullptr);
        if (moveGrid) {
            XStart = 0.4;
            XStep = 0.004;
        }
        const double ss = f.Fit();
        XStart = 0.38;
        XStep = 0.002;
        f.GetDriveValues(0, drives);
        return ss;
    };
    std::vector<double> still, moved;
    const double expected = fit(false, still);
    EXPECT_LT(expected, 1e-6);
    EXPECT_EQ(fit(true, moved), expected);
    EXPECT_EQ(moved, still);
}

TEST_F(FitterTest, RefusedInputLogsAndReturnsMinusOne)
{
    LogScope log;
    LEDArray array, empty;
    array.AddLED(Psf(0.5, 0.03), 0);
    SpectraSet targets, none;
    targets.AddSpectrum("t", Render(array, {0.5}));
    XStep = 0.004; // the targets are on the finer grid
    SpectraSet coarse;
    coarse.AddSpectrum("c", LSMatrixHandle(GridPointCount(), 1));
    XStep = 0.002;

    struct Case {
        const char* name;
        LEDArray* array;
        const SpectraSet* targets;
        const SpectraSet* weights;
        int function;
        Lines expected;
    };
    const Case cases[] = {
        {"no array", nullptr, &targets, nullptr, 0, {"Es wurden keine LEDs angegeben - Fitting wird abgebrochen !!!"}},
        {"empty array", &empty, &targets, nullptr, 0, {"Es wurden keine LEDs angegeben - Fitting wird abgebrochen !!!"}},
        {"no targets", &array, nullptr, nullptr, 0, {"Es wurden keine Zielspektren angegeben - Fitting wird abgebrochen !!!"}},
        {"empty targets", &array, &none, nullptr, 0, {"Es wurden keine Zielspektren angegeben - Fitting wird abgebrochen !!!"}},
        {"weights on another grid", &array, &targets, &coarse, 0,
         {"Ziel- oder Gewichtungsspektren passen nicht zum Wellenlängenraster (101 statt 201 Punkte)",
          "Es wurden keine Zielspektren angegeben - Fitting wird abgebrochen !!!"}},
        {"unknown function", &array, &targets, nullptr, 5, {"Optimierungsziel Nr. 5 nicht bekannt!"}},
    };
    for (const Case& c : cases) {
        LEDFitter f;
        f.GetSettings()->OptimizationFunction = c.function;
        f.Setup(c.array, c.targets, c.weights);
        EXPECT_EQ(f.Fit(), -1.0) << c.name;
        EXPECT_EQ(log.Take(), c.expected) << c.name;
    }
}

TEST_F(FitterTest, ProgressAndLogOrder)
{
    struct Handler : LEDFitterEventHandler {
        void OnProgress(LEDFitter*, int flag) override { flags.push_back(flag); }
        std::vector<int> flags;
    } handler;
    LogScope log;
    LEDArray array;
    array.AddLED(Psf(0.5, 0.03), 0);
    SpectraSet targets;
    targets.AddSpectrum("t", Render(array, {0.25}));
    LEDFitter f;
    f.SetEventHandler(&handler);
    f.GetSettings()->Options.MaxIterations = 2;
    f.Setup(&array, &targets, nullptr);
    f.Fit();
    const Lines lines = log.Take();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Berechne...");
    EXPECT_EQ(lines[1], "Initialisiere...");
    EXPECT_EQ(lines[2].rfind("Iteration 1 von 2 - Wert ", 0), 0u);
    EXPECT_EQ(handler.flags, (std::vector<int>{0, 0, 0, 1}));
}

TEST_F(FitterTest, TargetDrivenPassMatchesTheIntegrals)
{
    LEDArray array;
    for (double peak : {0.45, 0.53, 0.61})
        array.AddLED(Psf(peak, 0.04), 0);
    SpectraSet targets;
    // A target the array cannot reproduce exactly: a flat spectrum.
    LSMatrixHandle flat(n, 1);
    MatFill(flat, 0.3);
    targets.AddSpectrum("flat", flat);

    LEDFitter f;
    LEDFitterSettings& s = *f.GetSettings();
    LSMatrixHandle band(n, 1);
    for (int i = 0; i < n; ++i)
        band[i] = i < n / 2 ? 1.0 : 0.0;
    s.TargetSpecs.AddSpectrum("low", band);
    for (int i = 0; i < n; ++i)
        band[i] = 1.0 - band[i];
    s.TargetSpecs.AddSpectrum("high", band);
    LSMatrixHandle observer(n, 1);
    for (int i = 0; i < n; ++i)
        observer[i] = std::exp(-std::pow((XStart + i * XStep - 0.55) / 0.1, 2));
    s.ObserverSpecs.AddSpectrum("obs", observer);
    s.AddTargetDrivenOptimization = true;
    s.Options.MinConvergence = 1e-12;
    s.Options.ConvergenceSteps = 10;
    s.Options.MinGradient = 1e-30;
    f.Setup(&array, &targets, nullptr);
    const double result = f.Fit();
    EXPECT_GE(result, 0.0);
    EXPECT_LT(result, 1e-12) << "two integrals, three drives: matched exactly";
    LSMatrixHandle model(n, 1);
    f.ComputeModelSpectrum(model, 0);
    for (int j = 0; j < 2; ++j)
        EXPECT_NEAR(MatDot3(model, s.TargetSpecs.GetSpectrum(j), observer), MatDot3(flat, s.TargetSpecs.GetSpectrum(j), observer), 1e-5);

    // The second pass's Jacobian against central differences.
    LSMatrixHandle q(3, 1), J(2, 3), plus(2, 1), minus(2, 1);
    MatCopy(q, f.GetParameters());
    ASSERT_TRUE(f.ComputeTargetDrivenJacobian(J, q));
    for (int c = 0; c < 3; ++c) {
        const double x = q[c];
        q[c] = x + 1e-6;
        f.ComputeTargetDrivenResiduals(plus, q);
        q[c] = x - 1e-6;
        f.ComputeTargetDrivenResiduals(minus, q);
        q[c] = x;
        for (int i = 0; i < 2; ++i)
            EXPECT_NEAR(J(i, c), (plus[i] - minus[i]) / 2e-6, 1e-6 * std::max(1.0, std::fabs(J(i, c))));
    }

    // Without observers the pass is skipped: the result is the first pass's, not 0.
    LEDFitter plain;
    plain.GetSettings()->Assign(s);
    plain.GetSettings()->ObserverSpecs.Clear();
    plain.Setup(&array, &targets, nullptr);
    EXPECT_GT(plain.Fit(), 1e-3);
}

TEST_F(FitterTest, RandomSpectraAroundTheFit)
{
    platform::SRand(7);
    LEDArray array;
    array.AddLED(Psf(0.47, 0.03), 0);
    array.AddLED(Psf(0.6, 0.03), 1);
    LSMatrixHandle target = Render(array, {0.6, 0.4});
    SpectraSet out;
    LogScope log;
    GenerateRandomSpectra(target, array, out, 3, "R");
    const Lines lines = log.Take();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Erzeuge Zufalls-Spektren..."), lines.end());
    EXPECT_EQ(lines.back(), "Spektrum 3 von 3");
    ASSERT_EQ(out.GetCount(), 5);
    EXPECT_EQ(out.GetName(0), "R_MinSpec");
    EXPECT_EQ(out.GetName(1), "R_MaxSpec");
    EXPECT_EQ(out.GetName(4), "R_RandomSpec_0002");
    for (int i = 0; i < n; ++i) {
        ASSERT_NEAR(out.GetSpectrum(0)[i], 0.5 * target[i], 1e-4);
        ASSERT_NEAR(out.GetSpectrum(1)[i], 1.2 * target[i], 1e-4);
        for (int k = 2; k < 5; ++k)
            ASSERT_LE(out.GetSpectrum(k)[i], 1.2 * target[i] + 1e-4);
    }
}

TEST_F(FitterTest, ParameterZeroEndsWithoutNaN)
{
    LEDArray array;
    array.AddLED(Psf(0.47, 0.03), 0);
    array.AddLED(Psf(0.6, 0.03), 1);
    SpectraSet targets;
    targets.AddSpectrum("t", Render(array, {0.6, 0.4}));
    for (int function : {2, 4}) {
        LEDFitter f;
        f.GetSettings()->OptimizationFunction = function;
        f.GetSettings()->FunctionParam = 0.0;
        f.Setup(&array, &targets, nullptr);
        const double sum = f.Fit();
        EXPECT_GE(sum, 0.0) << function;
        EXPECT_TRUE(std::isfinite(f.GetDriveValue(0, 0)) && std::isfinite(f.GetDriveValue(1, 0))) << function;
    }
}
