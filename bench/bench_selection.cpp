// The channel selection: the criterion (discriminance and technology value) of an 8-channel
// set over 20 classes of 10 samples on 401 points, the evolutionary search choosing 8 of 200
// candidates (500 cycles, population 4, one species, counter seeds), both in evaluations per
// second, and the target selection of 20 from 1,000 spectra of 401 points.
// The peer is bench/peer/numpy_selection.py on the same formula data.
#include "calculation/selection_criterion.h"
#include "calculation/selection_search.h"

#include <embrel/apriori_interpolator.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kPoints = 401;
constexpr int kClasses = 20;
constexpr int kSamples = 10;

// Channel c of n: a band of width 15 + (c % 7) nm centred along 400..780 nm.
std::vector<double> Channel(int c, int n)
{
    std::vector<double> y(kPoints);
    const double centre = 400 + 380.0 * c / n;
    for (int k = 0; k < kPoints; ++k) {
        const double x = 380 + k;
        y[k] = std::exp(-0.5 * std::pow((x - centre) / (15 + c % 7), 2));
    }
    return y;
}

// Sample s of class i: a smooth spectrum.
std::vector<double> Sample(int i, int s)
{
    std::vector<double> y(kPoints);
    for (int k = 0; k < kPoints; ++k)
        y[k] = 0.5 + 0.4 * std::sin(0.01 * k * (i + 1) + 0.3 * s) + 0.05 * std::cos(0.07 * k * (s + 1));
    return y;
}

struct Problem {
    selection::ResponseTable table;
    selection::SpectraSet spectra;

    explicit Problem(int channels)
    {
        std::vector<std::vector<double>> samples;
        for (int i = 0; i < kClasses; ++i)
            for (int s = 0; s < kSamples; ++s)
                samples.push_back(Sample(i, s));
        table.classCount = kClasses;
        table.sampleCounts.assign(kClasses, kSamples);
        for (int k = 0; k < kPoints; ++k)
            spectra.x.push_back(380 + k);
        for (int c = 0; c < channels; ++c) {
            std::vector<double> y = Channel(c, channels);
            std::vector<double> responses;
            for (const auto& sample : samples) {
                double sum = 0;
                for (int k = 0; k < kPoints; ++k)
                    sum += y[k] * sample[k];
                responses.push_back(sum);
            }
            table.responses.push_back(std::move(responses));
            spectra.y.push_back(std::move(y));
        }
        for (int c = 0; c < channels; ++c)
            table.rating.push_back(selection::FisherValue(table, {c}));
    }
};

void BM_Criterion(benchmark::State& state)
{
    const Problem problem(8);
    const std::vector<int> set = {0, 1, 2, 3, 4, 5, 6, 7};
    const selection::TechnologyLimits limits{1.0, 10.0, 0.9};
    for (auto _ : state) {
        double t = 0;
        benchmark::DoNotOptimize(selection::DiscriminanceValue(problem.table, 0, set));
        benchmark::DoNotOptimize(selection::TechnologyValue(problem.spectra, set, limits, &t));
        benchmark::DoNotOptimize(t);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Criterion);

void BM_EvolutionarySearch(benchmark::State& state)
{
    const Problem problem(200);
    std::vector<int> candidates;
    for (int c = 0; c < 200; ++c)
        candidates.push_back(c);
    selection::EvoSettings settings;
    settings.species = 1;
    settings.cycles = 500;
    settings.population = 4;
    settings.recombination = 500 * 2 / 3;
    settings.wanted = 8;
    settings.d0 = 0;
    settings.d1 = 50;
    settings.seeds = {1};
    const selection::TechnologyLimits limits{1.0, 10.0, 0.9};
    selection::EvoCallbacks callbacks;
    callbacks.spectra = &problem.spectra;
    callbacks.rating = &problem.table.rating;
    for (auto _ : state) {
        // As the module rates: every candidate's statistics, scaling and centroid made once per
        // search, and what the members share kept.
        const selection::DiscriminanceRater discriminance(problem.table);
        callbacks.discriminance = [&](const std::vector<int>& set) { return discriminance.Value(0, set); };
        const selection::TechnologyRater rater(problem.spectra, limits);
        callbacks.technology = [&](const std::vector<int>& set) {
            double t = -1;
            rater.Value(set, &t);
            return t;
        };
        selection::EvoShared shared;
        benchmark::DoNotOptimize(selection::EvolutionarySearch(candidates, settings, callbacks, shared));
    }
    state.SetItemsProcessed(state.iterations() * settings.cycles * settings.population);
}
BENCHMARK(BM_EvolutionarySearch)->Unit(benchmark::kMillisecond);

void BM_OptTargetSelection(benchmark::State& state)
{
    CSpekContainer spectra;
    for (int j = 0; j < 1000; ++j) {
        CMBTarget t(kPoints, 0.0);
        for (int k = 0; k < kPoints; ++k)
            t[k] = 1 + 0.5 * std::sin(0.02 * k + 0.001 * j) + 0.25 * std::cos(0.05 * k * (1 + (j % 10) / 10.0))
                   + 0.1 * std::sin(0.003 * k * j);
        spectra.AddSpek(t, "s" + std::to_string(j));
    }
    CAprioriInterpolator selector(spectra, spectra, spectra[0], CMBTarget(), spectra, CMBTarget(), 1, 1);
    std::vector<int> indices(20);
    for (auto _ : state) {
        double value = 0;
        benchmark::DoNotOptimize(selector.OptTargetSelection(20, nullptr, indices.data(), nullptr, &value));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OptTargetSelection)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
