// Resampling 10,000 spectra of 1,001 points (380..780 nm in 0.4 nm) onto 401 points
// (1 nm) through NormalizeSpek::run, linear and cubic; reports spectra per second.
// The peer is bench/peer/numpy_interp.py on the same curves.
#include <embrel/normalize_spek.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kSpectra = 10000;
constexpr int kPoints = 1001;

// The curves, in the same formula as the peer script.
struct Data {
    std::vector<double> x;
    std::vector<std::vector<double>> y;

    Data()
    {
        for (int j = 0; j < kPoints; ++j)
            x.push_back(380 + 0.4 * j);
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

template <class Ipol>
void BM_Resample(benchmark::State& state)
{
    const Data& data = Curves();
    Ipol ipol;
    EpolWerte epol;
    NormalizeSpek resampler(&ipol, &epol);
    const CSpekContainer::SpekInfo grid{380, 1, 780};
    for (auto _ : state) {
        for (const std::vector<double>& y : data.y) {
            CMBTarget out = resampler.run(data.x, y, grid, 0.0, 1.0, 0);
            benchmark::DoNotOptimize(out.Values().data());
        }
    }
    state.counters["spectra/s"] = benchmark::Counter(kSpectra, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Resample<IpolLinSpline>)->Name("Resample/linear")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample<IpolKubSpline>)->Name("Resample/cubic")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
