// The LED fitting engine on a 401-point grid (0.38 .. 0.78 µm in 0.001 µm):
// - Setup + Fit of 20 Gaussian LEDs to a 4000 K black body (peaks 0.4 + 0.02 k, and a
//   second case at 0.4 + 0.016 k where one drive ends at 0), with the sum of squares and
//   its distance to the NNLS minimum (bench/peer/led_fit_peer.py) as counters;
// - the selector choosing 8 of 200 LEDs (10 arrays, 20 generations), with and without the
//   correlation guidance, beside one 8-LED evaluation (of fixed arrays, and of the arrays
//   the run evaluates) and the 200-LED correlation matrix;
// - regulator cycles at interval 0 against the simulated bench (identity sensor, 20 LEDs),
//   beside Assign + Setup + Fit alone.

#include "engine/color_calculator.h"
#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/led_fitter.h"
#include "engine/led_model.h"
#include "engine/led_regulator.h"
#include "engine/led_selector.h"
#include "engine/simulated_environment.h"
#include "platform/random.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The NNLS minima of the two fitting cases (scipy.optimize.nnls).
constexpr double kNnlsMinimum[2] = {0.59036658352119609, 54.986903057324113};

void UseGrid()
{
    XStart = 0.38;
    XEnd = 0.78;
    XStep = 0.001;
}

std::string Text(double x)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", x);
    return buf;
}

ParamContainer Led(const char* model, double peak, double fwhm, const std::string& name = std::string())
{
    ParamContainer r;
    if (!name.empty())
        r.AddKeyValue("Name", name);
    r.AddKeyValue("SpectralModel", model);
    r.AddKeyValue("PeakWavelength", Text(peak));
    r.AddKeyValue("FWHM", Text(fwhm));
    return r;
}

void FillBenchArray(LEDArray& array, double step)
{
    for (int k = 0; k < 20; ++k) {
        const double peak = 0.4 + step * k;
        array.AddLED(Led("GaussianLEDModel", peak, peak < 0.5 ? 0.02 : 0.03), k);
    }
}

LSMatrixHandle BlackBody(double T)
{
    LSMatrixHandle t(GridPointCount(), 1);
    ColorCalculator::BlackBodySpectrum(t, T);
    return t;
}

void BM_LedFit(benchmark::State& state)
{
    UseGrid();
    const int which = static_cast<int>(state.range(0));
    LEDArray array;
    FillBenchArray(array, which == 0 ? 0.020 : 0.016);
    SpectraSet targets;
    targets.AddSpectrum("bb", BlackBody(4000.0));
    double sum = 0.0;
    for (auto _ : state) {
        LEDFitter fitter;
        fitter.Setup(&array, &targets, nullptr);
        sum = fitter.Fit();
        benchmark::DoNotOptimize(sum);
    }
    state.counters["SS"] = sum;
    state.counters["rel_to_nnls_e9"] = (sum - kNnlsMinimum[which]) / kNnlsMinimum[which] * 1e9;
}
BENCHMARK(BM_LedFit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 200 records: Gaussian and PanShenFeng LEDs with peaks from 0.40 to 0.72 µm.
void FillDatabase(LedDB& db)
{
    for (int i = 0; i < 200; ++i) {
        const double peak = 0.40 + 0.32 * i / 199.0;
        db.AddEntry(Led(i % 2 ? "PanShenFengLEDModel" : "GaussianLEDModel", peak, 0.02 + 0.01 * (i % 3),
                        "DB" + std::to_string(i)));
    }
}

void BM_LedSelectorRun(benchmark::State& state)
{
    UseGrid();
    LedDB db;
    FillDatabase(db);
    SpectraSet targets;
    targets.AddSpectrum("bb", BlackBody(4000.0));
    const bool correlation = state.range(0) != 0;
    LEDSelector selector;
    selector.SetTargets(&targets);
    selector.SetCounts(8, 10, correlation);
    for (auto _ : state) {
        state.PauseTiming();
        selector.SetDatabase(&db); // the matrix is built inside the run
        platform::SRand(1);
        state.ResumeTiming();
        selector.Run(20);
    }
    state.counters["evaluations"] = 10 + 19 * 5;
    state.counters["best"] = selector.GetBestScore();
}
BENCHMARK(BM_LedSelectorRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The arrays of the fixed unit below: LEDs i = (round x 7 + k x 25) mod 200.
void FillFixedArray(LEDArray& array, const LedDB& db, int round)
{
    for (int k = 0; k < 8; ++k) {
        const int i = (round * 7 + k * 25) % 200;
        array.AddLED(db.EntryAt(i), i);
    }
}

// Counts the optimiser's progress calls with flag 0: one after the first evaluation and
// one per iteration.
struct FitSteps : LEDFitterEventHandler {
    void OnProgress(LEDFitter*, int flag) override { steps += flag == 0; }
    long steps = 0;
};

// Optimiser progress calls per fit over the first 105 fixed arrays.
double FixedArraySteps(const LedDB& db, const SpectraSet& targets)
{
    FitSteps steps;
    for (int round = 0; round < 105; ++round) {
        LEDArray array;
        FillFixedArray(array, db, round);
        LEDFitter fitter;
        fitter.SetEventHandler(&steps);
        fitter.Setup(&array, &targets, nullptr);
        fitter.Fit();
    }
    return steps.steps / 105.0;
}

// The unit of the selector's work: AddLED x 8, Setup, Fit.
void BM_LedEightLEDEvaluation(benchmark::State& state)
{
    UseGrid();
    LedDB db;
    FillDatabase(db);
    SpectraSet targets;
    targets.AddSpectrum("bb", BlackBody(4000.0));
    int round = 0;
    for (auto _ : state) {
        LEDArray array;
        FillFixedArray(array, db, round);
        ++round;
        LEDFitter fitter;
        fitter.Setup(&array, &targets, nullptr);
        benchmark::DoNotOptimize(fitter.Fit());
    }
    state.counters["fit_steps"] = FixedArraySteps(db, targets);
}
BENCHMARK(BM_LedEightLEDEvaluation)->Unit(benchmark::kMillisecond);

// The database indices of every array a run evaluates, in the order it evaluates them: at
// each generation's start, the arrays not evaluated yet.
struct EvaluatedArrays : LEDSelectorEventHandler {
    void OnProgress(LEDSelector* selector, int flag) override
    {
        if (flag != 0 || selector->GetCurrentGeneration() == generation)
            return;
        generation = selector->GetCurrentGeneration();
        for (const LEDArray& array : selector->GetPopulation()) {
            if (array.score <= 0.0)
                continue;
            std::vector<int> indices;
            for (int i = 0; i < array.GetCount(); ++i)
                indices.push_back(static_cast<int>(array.GetLED(i)->params.GetDouble("OrigDBIdx")));
            arrays.push_back(indices);
        }
    }
    int generation = 0;
    std::vector<std::vector<int>> arrays;
};

// The same unit (AddLED x 8, Setup, Fit) over the arrays BM_LedSelectorRun evaluates, in its
// order: the run's own fits without the search around them. The fixed arrays above need
// fewer optimiser iterations than the arrays a run breeds (see the counters fit_steps).
void BM_LedSelectorRunEvaluations(benchmark::State& state)
{
    UseGrid();
    LedDB db;
    FillDatabase(db);
    SpectraSet targets;
    targets.AddSpectrum("bb", BlackBody(4000.0));
    EvaluatedArrays evaluated;
    FitSteps runSteps;
    {
        LEDSelector selector;
        selector.SetTargets(&targets);
        selector.SetCounts(8, 10, state.range(0) != 0);
        selector.SetDatabase(&db);
        selector.SetEventHandler(&evaluated);
        selector.SetFitterEventHandler(&runSteps);
        platform::SRand(1);
        selector.Run(20);
    }
    const auto evaluate = [&](const std::vector<int>& indices, LEDFitterEventHandler* handler) {
        LEDArray array;
        for (int i : indices)
            array.AddLED(db.EntryAt(i), i);
        LEDFitter fitter;
        fitter.SetEventHandler(handler);
        fitter.Setup(&array, &targets, nullptr);
        return fitter.Fit();
    };
    for (auto _ : state)
        for (const std::vector<int>& indices : evaluated.arrays)
            benchmark::DoNotOptimize(evaluate(indices, nullptr));
    FitSteps replaySteps;
    for (const std::vector<int>& indices : evaluated.arrays)
        evaluate(indices, &replaySteps);
    const double count = static_cast<double>(evaluated.arrays.size());
    state.counters["evaluations"] = count;
    state.counters["fit_steps"] = replaySteps.steps / count;
    state.counters["run_fit_steps"] = runSteps.steps / count;
}
BENCHMARK(BM_LedSelectorRunEvaluations)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LedCorrelationMatrix200(benchmark::State& state)
{
    UseGrid();
    LedDB db;
    FillDatabase(db);
    LEDSelector selector;
    selector.SetDatabase(&db);
    for (auto _ : state) {
        state.PauseTiming();
        selector.SetDatabase(&db); // drops the models the last build made
        state.ResumeTiming();
        selector.BuildProbabilities();
        benchmark::DoNotOptimize(selector.GetProbabilityMatrix());
    }
}
BENCHMARK(BM_LedCorrelationMatrix200)->Unit(benchmark::kMillisecond);

// A folder with the identity sensor: 401 unit impulses in both files.
class IdentitySensorFolder {
public:
    IdentitySensorFolder()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ledbench-XXXXXX").string();
        if (::mkdtemp(tmpl.data()))
            path = tmpl;
        const int n = GridPointCount();
        SpectraSet impulses;
        LSMatrixHandle e(n, 1);
        for (int i = 0; i < n; ++i) {
            MatZero(e);
            e[i] = 1.0;
            impulses.AddSpectrum("p" + std::to_string(i), e);
        }
        impulses.SaveToFile(path + "/Sensitivities.txt");
        impulses.SaveToFile(path + "/InterpolationFuncs.txt");
    }
    ~IdentitySensorFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

struct CycleCounter : LedRegulatorEventHandler {
    void OnNewValues(LedRegulator*, const std::vector<double>&) override
    {
        std::lock_guard lock(m);
        ++count;
        cv.notify_all();
    }
    void WaitBeyond(long n)
    {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return count > n; });
    }
    long Count()
    {
        std::lock_guard lock(m);
        return count;
    }
    std::mutex m;
    std::condition_variable cv;
    long count = 0;
};

void BM_LedRegulatorCycle(benchmark::State& state)
{
    UseGrid();
    IdentitySensorFolder folder;
    SimulatedEnvironment env(folder.path);
    LEDArray array;
    FillBenchArray(array, 0.020);
    env.SetLEDArray(&array);
    LSMatrixHandle target = BlackBody(4000.0);
    CycleCounter counter;
    LedRegulator regulator;
    regulator.SetLEDArray(&array);
    regulator.SetLedInterface(&env.GetLedDriver());
    regulator.SetSensorInterface(&env.GetSensor());
    regulator.SetEventHandler(&counter);
    regulator.SetInterval(0);
    regulator.SetTarget(target);
    regulator.Start();
    counter.WaitBeyond(1); // first fit and first cycle done
    for (auto _ : state)
        counter.WaitBeyond(counter.Count());
    regulator.Stop();
    state.counters["cycles/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LedRegulatorCycle)->Unit(benchmark::kMillisecond)->UseRealTime();

// What one regulator cycle cannot do without: Assign + Setup + Fit of 20 LEDs, on the
// shifted difference the regulator fits after a few cycles on the same bench.
void BM_LedAssignSetupFit(benchmark::State& state)
{
    UseGrid();
    IdentitySensorFolder folder;
    SimulatedEnvironment env(folder.path);
    LEDArray source;
    FillBenchArray(source, 0.020);
    env.SetLEDArray(&source);
    LSMatrixHandle target = BlackBody(4000.0);
    {
        CycleCounter counter;
        LedRegulator regulator;
        regulator.SetLEDArray(&source);
        regulator.SetLedInterface(&env.GetLedDriver());
        regulator.SetSensorInterface(&env.GetSensor());
        regulator.SetEventHandler(&counter);
        regulator.SetInterval(0);
        regulator.SetTarget(target);
        regulator.Start();
        counter.WaitBeyond(5);
        regulator.Stop();
    }
    const int n = GridPointCount();
    LSMatrixHandle measured(n, 1), difference(n, 1);
    env.GetSensor().Measure(measured);
    MatSub(difference, target, measured);
    double smallest = 1e99;
    for (int i = 0; i < n; ++i)
        smallest = std::min(smallest, difference[i]);
    MatAddScalar(difference, difference, 0.001 - smallest);
    SpectraSet set;
    set.AddSpectrum("diff", difference);
    for (auto _ : state) {
        LEDArray array;
        array.Assign(source);
        LEDFitter fitter;
        fitter.Setup(&array, &set, nullptr);
        benchmark::DoNotOptimize(fitter.Fit());
    }
}
BENCHMARK(BM_LedAssignSetupFit)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
