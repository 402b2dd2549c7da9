// The interpolator: training a rule from 1,000 spectra of 401 points with 8 sensor channels
// (one iteration without weights, the closed form T pinv(B); and 10 iterations with the total
// variation and positivity weights), in trainings per second; and the reconstruction of
// 100,000 spectra of 401 points from 8 responses as the test run does it (normalisation term,
// clamping to the value range), in spectra per second.
// The peer is bench/peer/numpy_interpolator.py on the same formula data.
#include <embrel/apriori_interpolator.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kPoints = 401;
constexpr int kChannels = 8;
constexpr int kTrainings = 1000;
constexpr int kSpectra = 100000;

// Training spectrum k at point j (x = 380 + j nm).
double TargetValue(int k, int j)
{
    return 0.5 + 0.3 * std::sin(0.013 * j * (1 + k % 17) + 0.1 * k) + 0.2 * std::cos(0.021 * j + 0.007 * k);
}

// Channel c: a band of width 25 nm centred along 400..780 nm.
double SensorValue(int c, int j)
{
    const double centre = 400 + 380.0 * c / kChannels;
    const double x = 380 + j;
    return std::exp(-0.5 * std::pow((x - centre) / 25.0, 2));
}

// Responses of measurement k, channel c.
double ResponseValue(int k, int c)
{
    return 50 + 40 * std::sin(0.37 * k + 1.3 * c);
}

CSpekContainer::SpekInfo Axis()
{
    return {380.0, 1.0, 380.0 + kPoints - 1};
}

struct Training {
    CSpekContainer sensors;
    CSpekContainer targets;

    Training()
    {
        const CSpekContainer::SpekInfo axis = Axis();
        sensors.SetSpekInfo(&axis);
        targets.SetSpekInfo(&axis);
        for (int c = 0; c < kChannels; ++c) {
            CMBTarget s(kPoints, 0.0);
            for (int j = 0; j < kPoints; ++j)
                s.Values()[static_cast<std::size_t>(j)] = SensorValue(c, j);
            sensors.AddSpek(s, "c" + std::to_string(c));
        }
        for (int k = 0; k < kTrainings; ++k) {
            CMBTarget t(kPoints, 0.0);
            for (int j = 0; j < kPoints; ++j)
                t.Values()[static_cast<std::size_t>(j)] = TargetValue(k, j);
            targets.AddSpek(t, "t" + std::to_string(k));
        }
    }
};

void Train(benchmark::State& state, int iterations, const double (&reg)[7])
{
    const Training data;
    CAprioriInterpolator interpolator(data.sensors, data.targets, CMBTarget(), CMBTarget(), CSpekContainer(),
                                      CMBTarget(), 1, 0);
    for (auto _ : state) {
        const tyMBStatus status =
            interpolator.CalcInterpolSystem(iterations, reg, 0, 0xFFFFFFFF, true, false, 0.0, nullptr, false);
        if (status != MB_OK) {
            state.SkipWithError("training failed");
            break;
        }
        benchmark::DoNotOptimize(interpolator.GetInterpolSystem().GetSpekCount());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_TrainClosedForm(benchmark::State& state)
{
    const double reg[7] = {};
    Train(state, 1, reg);
}
BENCHMARK(BM_TrainClosedForm)->Unit(benchmark::kMillisecond);

void BM_TrainTenIterationsTVPositivity(benchmark::State& state)
{
    const double reg[7] = {1.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0};
    Train(state, 10, reg);
}
BENCHMARK(BM_TrainTenIterationsTVPositivity)->Unit(benchmark::kMillisecond);

void BM_Reconstruct(benchmark::State& state)
{
    // A rule of 8 channels and the normalisation spectrum, as a training stores it.
    CSpekContainer system;
    for (int c = 0; c <= kChannels; ++c) {
        CMBTarget w(kPoints, 0.0);
        for (int j = 0; j < kPoints; ++j)
            w.Values()[static_cast<std::size_t>(j)] = 0.01 * std::sin(0.02 * j * (c + 1) + c) + 0.002;
        system.AddSpek(w, "w" + std::to_string(c));
    }
    std::vector<double> responses(static_cast<std::size_t>(kSpectra) * kChannels);
    for (int k = 0; k < kSpectra; ++k)
        for (int c = 0; c < kChannels; ++c)
            responses[static_cast<std::size_t>(k) * kChannels + c] = ResponseValue(k, c);
    std::vector<double> out(static_cast<std::size_t>(kSpectra) * kPoints);
    for (auto _ : state) {
        ApplyInterpolSystem(system, responses.data(), kSpectra, kChannels, true, 0.0, 1.5, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSpectra);
}
BENCHMARK(BM_Reconstruct)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
