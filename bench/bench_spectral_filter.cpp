// The spectral filters on 10,000 spectra of 401 points (the curves of
// bench_point_arithmetic): box 3, Sobel, Laplace, binomial with four passes, median 5,
// adaptive mean 63 and continuity with 3 steps, and the module's "SpectralFilter" end to end
// with box 3, filing new results and replacing the last run's. Reports spectra per second. The peer is bench/peer/scipy_filters.py.
#include "calculation/spectral_filter_module.h"
#include "calculation/spectral_filters.h"

#include "support/recording_host.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kSpectra = 10000;
constexpr int kPoints = 401;

struct Data {
    std::vector<double> x;
    std::vector<std::vector<double>> y;

    Data()
    {
        for (int j = 0; j < kPoints; ++j)
            x.push_back(380 + j);
        y.resize(kSpectra);
        for (int k = 0; k < kSpectra; ++k) {
            y[k].reserve(kPoints);
            for (double xj : x)
                y[k].push_back(1 + 0.5 * std::sin(0.02 * xj + 0.001 * k) +
                               0.25 * std::cos(0.05 * xj * (1 + (k % 10) / 10.0)));
        }
    }
};

const Data& Curves()
{
    static const Data data;
    return data;
}

void BM_Filter(benchmark::State& state, spectral_filter::Settings settings)
{
    const Data& d = Curves();
    std::vector<double> out(kPoints);
    for (auto _ : state) {
        for (const auto& y : d.y) {
            spectral_filter::Apply(settings, y, {}, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kSpectra);
}

spectral_filter::Settings Make(int filter, int steps = 3, bool adaptive = false)
{
    spectral_filter::Settings s;
    s.filter = filter;
    s.steps = steps;
    s.adaptive = adaptive;
    s.keepSign = true;
    s.threshold = filter == spectral_filter::kContinuity ? 0.9 : 0.1;
    s.margin = 20;
    return s;
}

// Box 3 through the module: the results are new (the last run's removed outside the timing)
// or replace the last run's.
void SpectralFilterBox3(benchmark::State& state, bool replacing)
{
    RecordingHost host;
    SpectralFilterModule module;
    const Data& d = Curves();
    for (int k = 0; k < kSpectra; ++k) {
        auto* s = new Spectrum;
        s->SetName("A:s" + std::to_string(k));
        for (int j = 0; j < kPoints; ++j)
            s->AddPoint(SPoint(d.x[j], d.y[k][j]));
        host.spectra.AddInserter(s);
    }
    module.SetModuleInterface(&host);
    module.getParameters().setStringParameter("SpecDesc", "A");
    module.getParameters().setStringParameter("SpecGroup", "F");
    module.getParameters().setIntParameter("FilterSel", 1);
    for (auto _ : state) {
        if (!replacing) {
            state.PauseTiming();
            host.spectra.DeleteInserters("F");
            state.ResumeTiming();
        }
        host.statusTexts.clear();
        host.calls.clear();
        benchmark::DoNotOptimize(module.SpectralFilter());
    }
    state.SetItemsProcessed(state.iterations() * kSpectra);
}

void BM_SpectralFilterBox3(benchmark::State& state)
{
    SpectralFilterBox3(state, false);
}

void BM_SpectralFilterBox3Replacing(benchmark::State& state)
{
    SpectralFilterBox3(state, true);
}

} // namespace

BENCHMARK_CAPTURE(BM_Filter, box3, Make(spectral_filter::kBox3))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, sobel, Make(spectral_filter::kSobel))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, laplace, Make(spectral_filter::kLaplace))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, binomial4, Make(spectral_filter::kMean2, 3))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, median5, Make(spectral_filter::kMedian, 5))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, adaptive63, Make(spectral_filter::kMean2, 63, true))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, continuity3, Make(spectral_filter::kContinuity, 3))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpectralFilterBox3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpectralFilterBox3Replacing)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
