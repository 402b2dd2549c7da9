// A script that reads a 401-point spectrum 10,000 times through getSpectrum, next to the same
// reads in plain C++ (the tree look-up and a copy into a 2 x 401 buffer).
#include "script/mervolt.h"

#include "core/module_interface.h"
#include "core/spectrum.h"

#include <formulux/mc_compiler.h>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kReads = 10000;
constexpr int kPoints = 401;

class BenchHost : public ModuleInterface {
public:
    BenchHost()
    {
        auto* s = new Spectrum;
        s->SetName("Bench:S401");
        for (int i = 0; i < kPoints; ++i)
            s->AddPoint(SPoint(380 + i, i * 0.5));
        spectra.AddInserter(s);
    }
    SpectrumTree* GetSpectrumTree() override { return &spectra; }
    SpectrumTree spectra;
};

void BM_ScriptGetSpectrum(benchmark::State& state)
{
    BenchHost host;
    Mervolt script;
    script.SetModuleInterface(&host);
    script.getParameters().setStringParameter(
        "SourceCode", "int i; double s[]; for (i = 0; i < 10000; i++) { s = getSpectrum(\"Bench:S401\"); }");
    if (!script.Compile()) {
        state.SkipWithError("compile failed");
        return;
    }
    for (auto _ : state) {
        if (!script.Interprete()) {
            state.SkipWithError("run failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kReads);
}
BENCHMARK(BM_ScriptGetSpectrum)->Unit(benchmark::kMillisecond);

void BM_PlainGetSpectrum(benchmark::State& state)
{
    BenchHost host;
    std::vector<double> buffer;
    for (auto _ : state) {
        for (int r = 0; r < kReads; ++r) {
            const std::list<Spectrum*> found = host.spectra.GetInserters("Bench:S401", false);
            const Spectrum& s = *found.front();
            const int n = s.GetPointCount();
            buffer.assign(2 * static_cast<std::size_t>(n), 0.0);
            for (int i = 0; i < n; ++i) {
                const SPoint p = s[i];
                buffer[2 * static_cast<std::size_t>(i)] = p.x;
                buffer[2 * static_cast<std::size_t>(i) + 1] = p.y;
            }
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kReads);
}
BENCHMARK(BM_PlainGetSpectrum)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
