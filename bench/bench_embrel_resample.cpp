// Resampling 10,000 spectra of 1,001 points (380..780 nm in 0.4 nm) onto 401 points
// (1 nm) through NormalizeSpek::run, linear and cubic; reports spectra per second.
// The peer is bench/peer/numpy_interp.py on the same curves. Beside them the floors: a
// plain linear loop and a natural cubic spline loop (one tridiagonal solve per curve) into
// buffers made once, with none of the resampler's checks.
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

// Straight lines, one forward sweep over the grid per curve.
void BM_PlainLinearLoop(benchmark::State& state)
{
    const Data& data = Curves();
    const std::vector<double>& x = data.x;
    std::vector<double> out(401);
    for (auto _ : state) {
        for (const std::vector<double>& y : data.y) {
            std::size_t i = 0;
            for (std::size_t k = 0; k < out.size(); ++k) {
                const double q = 380.0 + static_cast<double>(k);
                while (i + 2 < x.size() && x[i + 1] <= q)
                    ++i;
                out[k] = y[i] + (y[i + 1] - y[i]) / (x[i + 1] - x[i]) * (q - x[i]);
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["spectra/s"] = benchmark::Counter(kSpectra, benchmark::Counter::kIsIterationInvariantRate);
}

// Natural cubic spline: second derivatives from the tridiagonal system (Thomas algorithm),
// then one forward sweep over the grid.
void BM_NaturalSplineLoop(benchmark::State& state)
{
    const Data& data = Curves();
    const std::vector<double>& x = data.x;
    const std::size_t n = x.size();
    std::vector<double> h(n - 1), c(n), g(n), out(401);
    for (std::size_t i = 0; i + 1 < n; ++i)
        h[i] = x[i + 1] - x[i];
    for (auto _ : state) {
        for (const std::vector<double>& y : data.y) {
            // Forward elimination; c holds the modified superdiagonal, g the right side.
            c[0] = 0;
            g[0] = 0;
            for (std::size_t i = 1; i + 1 < n; ++i) {
                const double rhs = 6 * ((y[i + 1] - y[i]) / h[i] - (y[i] - y[i - 1]) / h[i - 1]);
                const double m = 2 * (h[i - 1] + h[i]) - h[i - 1] * c[i - 1];
                c[i] = h[i] / m;
                g[i] = (rhs - h[i - 1] * g[i - 1]) / m;
            }
            g[n - 1] = 0;
            for (std::size_t i = n - 1; i-- > 1;)
                g[i] -= c[i] * g[i + 1];
            std::size_t i = 0;
            for (std::size_t k = 0; k < out.size(); ++k) {
                const double q = 380.0 + static_cast<double>(k);
                while (i + 2 < n && x[i + 1] <= q)
                    ++i;
                const double a = (x[i + 1] - q) / h[i];
                const double b = 1 - a;
                out[k] = a * y[i] + b * y[i + 1] + ((a * a * a - a) * g[i] + (b * b * b - b) * g[i + 1]) * h[i] * h[i] / 6;
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["spectra/s"] = benchmark::Counter(kSpectra, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Resample<IpolLinSpline>)->Name("Resample/linear")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample<IpolKubSpline>)->Name("Resample/cubic")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLinearLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaturalSplineLoop)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
