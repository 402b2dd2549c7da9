#include "engine/led_array.h"
#include "engine/led_regulator.h"
#include "engine/simulated_environment.h"
#include "engine/thermal_model.h"
#include "file_test_support.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>

namespace {

using namespace std::chrono_literals;

ParamContainer Psf(double peak, double loss = 0.0)
{
    ParamContainer r;
    r.AddKeyValue("SpectralModel", "PanShenFengLEDModel");
    r.AddKeyValue("PeakWavelength", ExactText(peak));
    r.AddKeyValue("FWHM", "0.03");
    r.AddKeyValue("IntensityLossPerKelvin", ExactText(loss));
    return r;
}

LSMatrixHandle Gaussian(double centre, double width)
{
    LSMatrixHandle g(GridPointCount(), 1);
    for (int i = 0; i < g.rows(); ++i)
        g[i] = std::exp(-std::pow((XStart + i * XStep - centre) / width, 2));
    return g;
}

// Writes both sensor files into folder: sensitivities and interpolation functions.
void WriteSensor(const TempFolder& folder, const std::vector<LSMatrix>& e, const std::vector<LSMatrix>& f)
{
    SpectraSet s, i;
    for (std::size_t k = 0; k < e.size(); ++k)
        s.AddSpectrum("e" + std::to_string(k), e[k]);
    for (std::size_t k = 0; k < f.size(); ++k)
        i.AddSpectrum("f" + std::to_string(k), f[k]);
    ASSERT_TRUE(s.SaveToFile(folder.file("Sensitivities.txt")));
    ASSERT_TRUE(i.SaveToFile(folder.file("InterpolationFuncs.txt")));
}

// Waits for calls of OnNewValues; never sleeps.
struct Waiter : LedRegulatorEventHandler {
    void OnNewValues(LedRegulator*, const std::vector<double>& v) override
    {
        std::lock_guard lock(m);
        calls.push_back(v);
        cv.notify_all();
    }
    bool WaitFor(std::size_t n)
    {
        std::unique_lock lock(m);
        return cv.wait_for(lock, 120s, [&] { return calls.size() >= n; });
    }
    std::vector<double> Last()
    {
        std::lock_guard lock(m);
        return calls.back();
    }
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::vector<double>> calls;
};

// Measures a fixed spectrum; records the values it is given.
struct FakeBench : LedInterface, SensorInterface {
    void SetValues(const std::vector<double>& v) override { values = v; }
    void Measure(LSMatrix out) override { MatCopy(out, reading); }
    LSMatrixHandle reading{GridPointCount(), 1};
    std::vector<double> values;
};

class EnvironmentTest : public ::testing::Test {
protected:
    GridScope grid{0.38, 0.78, 0.002};
    TempFolder folder;
};

class RegulatorTest : public ::testing::Test {
protected:
    RegulatorTest()
    {
        array.AddLED(Psf(0.46), 0);
        array.AddLED(Psf(0.6), 1);
        MatZero(bench.reading);
        regulator.SetLEDArray(&array);
        regulator.SetLedInterface(&bench);
        regulator.SetSensorInterface(&bench);
        regulator.SetEventHandler(&waiter);
        regulator.SetInterval(0);
    }
    LSMatrixHandle Render(const std::vector<double>& drives)
    {
        LSMatrixHandle s(GridPointCount(), 1);
        array.ComputeSpectrum(s, drives, nullptr);
        return s;
    }

    GridScope grid{0.38, 0.78, 0.004};
    LEDArray array;
    FakeBench bench;
    Waiter waiter;
    LedRegulator regulator; // last: stopped before the rest goes
};

} // namespace

TEST_F(EnvironmentTest, SensorWeighsItsFunctionsWithTheReadings)
{
    std::vector<LSMatrixHandle> e, f;
    for (int k = 0; k < 3; ++k) {
        e.push_back(Gaussian(0.45 + 0.1 * k, 0.05));
        f.push_back(Gaussian(0.42 + 0.12 * k, 0.03 + 0.01 * k));
        MatScale(f.back(), f.back(), 2.0 + k);
    }
    WriteSensor(folder, {e[0], e[1], e[2]}, {f[0], f[1], f[2]});
    SimulatedEnvironment env(folder.path());
    const int n = GridPointCount();
    LSMatrixHandle out(n, 1);
    MatFill(out, 7.0);
    env.GetSensor().Measure(out);
    EXPECT_EQ(MatSumOfSquares(out), 0.0) << "nothing emitted yet";

    LEDArray array;
    array.AddLED(Psf(0.5), 0);
    array.AddLED(Psf(0.62), 1);
    env.SetLEDArray(&array);
    env.GetLedDriver().SetValues({0.7, 0.4});
    env.GetSensor().Measure(out);
    LSMatrixHandle expected(n, 1), work(n, 1);
    MatZero(expected);
    SimulatedEnvironment::SimulatedSensorInterface& s = env.GetSensor();
    EXPECT_NEAR(MatSum(s.interpolation.GetSpectrum(2)), MatSum(f[2]) / 4.0, 1e-4) << "normalised by the largest value";
    for (int k = 0; k < 3; ++k) {
        MatScale(work, s.interpolation.GetSpectrum(k), MatDot(env.GetSpectrum(), s.sensitivities.GetSpectrum(k)));
        MatAdd(expected, expected, work);
    }
    ASSERT_GT(MatSumOfSquares(expected), 1.0);
    for (int i = 0; i < n; ++i)
        ASSERT_NEAR(out[i], expected[i], 1e-9);

    env.GetLedDriver().SetValues({0.0, 0.0});
    EXPECT_EQ(MatSumOfSquares(env.GetSpectrum()), 0.0);
}

// Impulses, boxes and an empty curve: the sensor skips the rows where its curves are 0, and
// must still give the full sums bit for bit, the curves' first and last rows included.
TEST_F(EnvironmentTest, SparseSensorsGiveTheFullSums)
{
    const int n = GridPointCount();
    const auto curve = [n](int first, int end, double value) {
        LSMatrixHandle c(n, 1);
        MatZero(c);
        for (int i = first; i < end; ++i)
            c[i] = value * (1.0 + 0.01 * i);
        return c;
    };
    std::vector<LSMatrixHandle> e, f;
    e.push_back(curve(0, 1, 1.0));       // first row only
    e.push_back(curve(n - 1, n, 1.0));   // last row only
    e.push_back(curve(40, 71, 0.3));     // a box
    e.push_back(curve(0, 0, 0.0));       // nothing
    e.push_back(Gaussian(0.55, 0.05));   // everywhere
    f.push_back(curve(5, 8, 2.0));
    f.push_back(curve(n - 1, n, 1.0));
    f.push_back(Gaussian(0.6, 0.02));
    f.push_back(curve(0, n, 1.0));
    f.push_back(curve(0, 1, 4.0));
    WriteSensor(folder, {e[0], e[1], e[2], e[3], e[4]}, {f[0], f[1], f[2], f[3], f[4]});
    SimulatedEnvironment env(folder.path());
    LEDArray array;
    array.AddLED(Psf(0.42), 0);
    array.AddLED(Psf(0.6), 1);
    array.AddLED(Psf(0.76), 2);
    env.SetLEDArray(&array);
    env.GetLedDriver().SetValues({0.7, 0.4, 0.9});

    SimulatedEnvironment::SimulatedSensorInterface& s = env.GetSensor();
    LSMatrixHandle out(n, 1), expected(n, 1), work(n, 1);
    env.GetSensor().Measure(out);
    MatZero(expected);
    for (int k = 0; k < 5; ++k) {
        const double reading = MatDot(env.GetSpectrum(), s.sensitivities.GetSpectrum(k));
        EXPECT_EQ(reading != 0.0, k != 3) << k;
        MatScale(work, s.interpolation.GetSpectrum(k), reading);
        MatAdd(expected, expected, work);
    }
    ASSERT_GT(expected[0], 0.0);
    ASSERT_GT(expected[n - 1], 0.0);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(out[i], expected[i]) << i;
}

TEST_F(EnvironmentTest, MismatchedOrMissingFilesMeasureZeros)
{
    LogScope log;
    LSMatrixHandle a = Gaussian(0.45, 0.05), b = Gaussian(0.55, 0.05), c = Gaussian(0.65, 0.05);
    WriteSensor(folder, {a, b, c}, {a, b});
    LEDArray array;
    array.AddLED(Psf(0.5), 0);
    TempFolder empty;
    for (const std::string& path : {folder.path(), empty.path()}) {
        SimulatedEnvironment env(path);
        env.SetLEDArray(&array);
        env.GetLedDriver().SetValues({1.0});
        LSMatrixHandle out(GridPointCount(), 1);
        MatFill(out, 3.0);
        env.GetSensor().Measure(out);
        EXPECT_EQ(MatSumOfSquares(out), 0.0) << path;
    }
    log.Take(); // the loader reports the missing files

    // The base sensor refuses a vector one row short and leaves it alone.
    SensorInterface base;
    LSMatrixHandle shortVector(GridPointCount() - 1, 1), full(GridPointCount(), 1);
    MatFill(shortVector, 3.0);
    MatFill(full, 3.0);
    base.Measure(shortVector);
    base.Measure(full);
    EXPECT_EQ(log.Take(), Lines{"Vektor für Messwerte hat nicht die richtige Größe"});
    EXPECT_EQ(shortVector[0], 3.0);
    EXPECT_EQ(MatSumOfSquares(full), 0.0);
}

TEST_F(RegulatorTest, RefusesMissingPartsAndWrongTargets)
{
    LogScope log;
    LedRegulator r;
    r.Start();
    r.SetLEDArray(&array);
    r.Start();
    EXPECT_FALSE(r.IsRunning());
    LSMatrixHandle good = Render({0.5, 0.5}), wrong(GridPointCount() + 1, 1);
    r.SetTarget(good);
    r.SetTarget(wrong);
    EXPECT_EQ(log.Take(), (Lines{"Kein LED-Array angegeben", "LedRegulator: Keine LED- oder Sensor-Schnittstelle angegeben",
                                 "LedRegulator: Falsch dimensioniertes Zielspektrum angegeben!"}));
}

TEST_F(RegulatorTest, AllLEDsOffEndsTheWorkerAndStopReturnsAtOnce)
{
    regulator.Start(); // zero target: the first fit switches everything off
    ASSERT_TRUE(waiter.WaitFor(1));
    EXPECT_EQ(waiter.Last(), (std::vector<double>{0.0, 0.0}));
    const auto before = std::chrono::steady_clock::now();
    regulator.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_FALSE(regulator.IsRunning());
}

TEST_F(RegulatorTest, CorrectionsAreScaledOnlyAboveOne)
{
    struct Case {
        const char* name;
        std::vector<double> drives; // of the target
        bool measuresTarget;        // else the sensor sees nothing
        std::vector<double> expected;
        double tolerance;
    };
    const Case cases[] = {
        // Nothing measured: the correction doubles the drives to (2.5, 1), divided by 2.5.
        {"scaled", {1.25, 0.5}, false, {1.0, 0.4}, 0.01},
        // Target measured exactly: the drives stay as fitted, below 1, unscaled.
        {"unscaled", {0.5, 0.3}, true, {0.5, 0.3}, 0.01},
    };
    for (const Case& c : cases) {
        LedRegulator r;
        Waiter w;
        r.SetLEDArray(&array);
        r.SetLedInterface(&bench);
        r.SetSensorInterface(&bench);
        r.SetEventHandler(&w);
        r.SetInterval(0);
        LSMatrixHandle target = Render(c.drives);
        r.SetTarget(target);
        if (c.measuresTarget)
            MatCopy(bench.reading, target);
        else
            MatZero(bench.reading);
        r.Start();
        r.Start(); // running: nothing happens
        ASSERT_TRUE(w.WaitFor(2)) << c.name;
        r.Stop();
        const std::vector<double> first = w.calls[0], second = w.calls[1];
        EXPECT_NEAR(first[0], c.drives[0], 1e-3) << c.name;
        EXPECT_NEAR(first[1], c.drives[1], 1e-3) << c.name;
        for (std::size_t k = 0; k < 2; ++k)
            EXPECT_NEAR(second[k], c.expected[k], c.tolerance) << c.name << " " << k;
        if (c.measuresTarget)
            EXPECT_LT(*std::max_element(second.begin(), second.end()), 1.0) << c.name;
        else
            EXPECT_EQ(*std::max_element(second.begin(), second.end()), 1.0) << c.name;
        EXPECT_EQ(bench.values, r.GetDriveValues()) << c.name;
    }
}

TEST_F(RegulatorTest, DestroyedWhileRunning)
{
    LSMatrixHandle target = Render({0.5, 0.5});
    MatCopy(bench.reading, target);
    auto r = std::make_unique<LedRegulator>();
    Waiter w;
    r->SetLEDArray(&array);
    r->SetLedInterface(&bench);
    r->SetSensorInterface(&bench);
    r->SetEventHandler(&w);
    r->SetInterval(0);
    r->SetTarget(target);
    r->Start();
    ASSERT_TRUE(w.WaitFor(5)) << "interval 0: cycles follow each other";
    EXPECT_TRUE(r->IsRunning());
    r.reset();
}

TEST_F(RegulatorTest, StopFromTheHandlerEndsTheWorker)
{
    struct Stopper : LedRegulatorEventHandler {
        void OnNewValues(LedRegulator* r, const std::vector<double>& v) override
        {
            if (++calls == 3)
                r->Stop();
            waiter.OnNewValues(r, v);
        }
        int calls = 0;
        Waiter waiter;
    } stopper;
    LSMatrixHandle target = Render({0.5, 0.5});
    MatCopy(bench.reading, target);
    regulator.SetEventHandler(&stopper);
    regulator.SetTarget(target);
    regulator.Start();
    ASSERT_TRUE(stopper.waiter.WaitFor(3));
    const auto before = std::chrono::steady_clock::now();
    regulator.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_EQ(stopper.calls, 3);
    EXPECT_FALSE(regulator.IsRunning());
}

TEST(RegulatorOnTheBench, BringsDimmedLEDsBackToTheTarget)
{
    GridScope grid(0.38, 0.78, 0.001);
    const int n = GridPointCount();
    ASSERT_EQ(n, 401);
    TempFolder folder;
    {
        // The identity sensor: 401 unit impulses in both sets.
        SpectraSet impulses;
        LSMatrixHandle e(n, 1);
        for (int i = 0; i < n; ++i) {
            MatZero(e);
            e[i] = 1.0;
            impulses.AddSpectrum("p" + std::to_string(i), e);
        }
        ASSERT_TRUE(impulses.SaveToFile(folder.file("Sensitivities.txt")));
        ASSERT_TRUE(impulses.SaveToFile(folder.file("InterpolationFuncs.txt")));
    }
    SimulatedEnvironment env(folder.path());
    LEDArray array;
    for (int k = 0; k < 6; ++k)
        array.AddLED(Psf(0.43 + 0.06 * k, 0.004), k);
    ConstantThermalModel warm;
    warm.SetTemperature(348.15); // the LEDs emit 20 % less than the fitter's model at 298.15 K
    env.SetLEDArray(&array);
    env.SetThermalModel(&warm);

    const std::vector<double> drives{0.3, 0.7, 0.5, 0.2, 0.6, 0.4};
    LSMatrixHandle target(n, 1);
    array.ComputeSpectrum(target, drives, nullptr);

    Waiter waiter;
    {
        LedRegulator regulator;
        regulator.SetLEDArray(&array);
        regulator.SetLedInterface(&env.GetLedDriver());
        regulator.SetSensorInterface(&env.GetSensor());
        regulator.SetEventHandler(&waiter);
        regulator.SetInterval(0);
        regulator.SetTarget(target);
        regulator.Start();
        ASSERT_TRUE(waiter.WaitFor(1 + 5));
        regulator.Stop();
    }
    LSMatrixHandle measured(n, 1), diff(n, 1);
    env.GetSensor().Measure(measured);
    MatSub(diff, measured, target);
    EXPECT_LT(std::sqrt(MatSumOfSquares(diff) / MatSumOfSquares(target)), 0.01);

    // The first fit alone leaves the light 20 % short.
    const std::vector<double> first = waiter.calls.front();
    array.ComputeSpectrum(measured, first, &warm);
    MatSub(diff, measured, target);
    EXPECT_GT(std::sqrt(MatSumOfSquares(diff) / MatSumOfSquares(target)), 0.15);
}
