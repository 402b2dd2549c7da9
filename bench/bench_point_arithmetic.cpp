// The point-wise arithmetic on 10,000 A spectra of 401 points (380..780 nm in 1 nm): its
// kernels (A * 2, A - B, A / (B + s), statistics, log10) and the module's "calculate" end to
// end with a constant and pairwise 10,000 x 10,000 by name, filing new results and replacing
// the last run's. Reports spectra per second.
// The peer is bench/peer/numpy_arith.py on the same curves.
#include "calculation/point_arithmetic.h"
#include "calculation/rem_trans_spec_module.h"

#include "support/recording_host.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr int kSpectra = 10000;
constexpr int kPoints = 401;

// The curves, in the same formula as the peer script; B is A of the next index.
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
    const std::vector<double>& B(int k) const { return y[(k + 1) % kSpectra]; }
};

const Data& Curves()
{
    static const Data data;
    return data;
}

void Report(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kSpectra);
}

void BM_ConstantMult(benchmark::State& state)
{
    const Data& d = Curves();
    std::vector<double> out(kPoints);
    for (auto _ : state) {
        for (const auto& a : d.y) {
            point_arith::Combine(point_arith::kMult, a, 2.0, point_arith::kConstantDivShift, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    Report(state);
}

void BM_PairwiseDiff(benchmark::State& state)
{
    const Data& d = Curves();
    std::vector<double> out(kPoints);
    for (auto _ : state) {
        for (int k = 0; k < kSpectra; ++k) {
            point_arith::Combine(point_arith::kDiff, d.y[k], d.B(k), 0, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    Report(state);
}

void BM_PairwiseDiv(benchmark::State& state)
{
    const Data& d = Curves();
    std::vector<double> out(kPoints);
    for (auto _ : state) {
        for (int k = 0; k < kSpectra; ++k) {
            const std::vector<double>& b = d.B(k);
            point_arith::Combine(point_arith::kDiv, d.y[k], b, point_arith::PairwiseDivShift(b), out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    Report(state);
}

void BM_Statistics(benchmark::State& state)
{
    const Data& d = Curves();
    std::vector<std::span<const double>> curves(d.y.begin(), d.y.end());
    for (auto _ : state) {
        point_arith::Statistics s = point_arith::ComputeStatistics(curves);
        benchmark::DoNotOptimize(s.sigma.data());
    }
    Report(state);
}

void BM_Log10(benchmark::State& state)
{
    const Data& d = Curves();
    std::vector<double> out(kPoints);
    for (auto _ : state) {
        for (const auto& a : d.y) {
            for (int j = 0; j < kPoints; ++j)
                point_arith::ApplyFunction(point_arith::kLog10, a[j], out[j]);
            benchmark::DoNotOptimize(out.data());
        }
    }
    Report(state);
}

// A host holding the A spectra under "A:" and, when asked, the same leaves under "B:".
struct Project {
    RecordingHost host;
    RemTransSpecModule module;

    explicit Project(bool withB)
    {
        const Data& d = Curves();
        for (const char* group : {"A:", "B:"}) {
            if (group[0] == 'B' && !withB)
                break;
            for (int k = 0; k < kSpectra; ++k) {
                auto* s = new Spectrum;
                s->SetName(group + std::string("s") + std::to_string(k));
                for (int j = 0; j < kPoints; ++j)
                    s->AddPoint(SPoint(d.x[j], d.y[k][j]));
                host.spectra.AddInserter(s);
            }
        }
        module.SetModuleInterface(&host);
        module.getParameters().setStringParameter("LightSpecDesc", "A");
        module.getParameters().setStringParameter("SpecDesc", withB ? "B" : "2");
        module.getParameters().setIntParameter("AritmetikfuncSel", withB ? 1 : 2);
        module.getParameters().setBoolParameter("CalcOnlySameNames", withB);
    }
};

// A run that files new results (the last run's are removed outside the timing) or replaces
// them.
void Calculate(benchmark::State& state, bool withB, bool replacing)
{
    Project p(withB);
    for (auto _ : state) {
        if (!replacing) {
            state.PauseTiming();
            p.host.spectra.DeleteInserters("ResSpec");
            state.ResumeTiming();
        }
        p.host.statusTexts.clear();
        p.host.progressHistory.clear();
        p.host.calls.clear();
        p.host.log.clear();
        benchmark::DoNotOptimize(p.module.calculate());
    }
    Report(state);
}

void BM_CalculateConstant(benchmark::State& state)
{
    Calculate(state, false, false);
}

void BM_CalculatePairwiseByName(benchmark::State& state)
{
    Calculate(state, true, false);
}

void BM_CalculatePairwiseByNameReplacing(benchmark::State& state)
{
    Calculate(state, true, true);
}

} // namespace

BENCHMARK(BM_ConstantMult)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairwiseDiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairwiseDiv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Log10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalculateConstant)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalculatePairwiseByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalculatePairwiseByNameReplacing)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
