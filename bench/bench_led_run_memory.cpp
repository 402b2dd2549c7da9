// What the LED runs whose size the user sets hold per item, against the estimates their memory
// checks take (counters bytes/item and estimate/item; the estimate must stay the larger):
// - the selector's first proposals: LED arrays of 6 Gaussian LEDs sampled on 380 .. 780 nm in
//   steps of 2 nm (201 rows), per LED;
// - "LED-Parameter erzeugen": the clipboard objects a run files, per LED (its record database
//   lives beside them while the run lasts, so the run's peak is about twice this);
// - random spectra: the spectra a run files, per spectrum of 201 points.
// Heap bytes are read before and after (mallinfo2, or the sanitizer's count).
#include "led_bench_host.h"
#include "qt_bench_main.h"

#include "modules/led_random_specs_module.h"
#include "modules/multi_led_create_module.h"

#include "engine/grid.h"
#include "engine/led_db.h"
#include "engine/led_selector.h"

#include <malloc.h>
#include <cstddef>
#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <memory>
#include <string>

namespace {

using led_bench::BenchHost;

// The bytes the program holds on the heap (the sanitizer's allocator keeps its own count).
double HeapBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<double>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<double>(mallinfo2().uordblks);
#endif
}

void SetGrid()
{
    XStart = 0.38;
    XEnd = 0.78;
    XStep = 0.002;
}

void Report(benchmark::State& state, double bytes, double items, double estimate)
{
    state.counters["bytes/item"] = bytes / items;
    state.counters["estimate/item"] = estimate;
}

void BM_SelectorProposals(benchmark::State& state)
{
    SetGrid();
    const int proposals = static_cast<int>(state.range(0));
    constexpr int kLeds = 6;
    LedDB db;
    for (int i = 0; i < 12; ++i) {
        ParamContainer record;
        record.AddKeyValue("Name", "L" + std::to_string(i));
        record.AddKeyValue("PeakWavelength", std::to_string(0.42 + 0.03 * i));
        record.AddKeyValue("FWHM", "0.03");
        record.AddKeyValue("SpectralModel", "GaussianLEDModel");
        db.AddEntry(record);
    }
    double bytes = 0.0;
    for (auto _ : state) {
        LEDSelector selector;
        selector.SetDatabase(&db);
        selector.SetCounts(kLeds, proposals, false);
        const double before = HeapBytes();
        selector.Run(0);
        bytes = HeapBytes() - before;
        benchmark::DoNotOptimize(selector.GetPopulation().size());
    }
    // The selection module's estimate per LED: 4096 bytes beside three channels of samples.
    Report(state, bytes, static_cast<double>(proposals) * kLeds, 4096.0 + 3 * 8.0 * GridPointCount());
}
BENCHMARK(BM_SelectorProposals)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LedRecords(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    double bytes = 0.0;
    for (auto _ : state) {
        BenchHost host;
        MultiLEDCreateModule module;
        module.SetModuleInterface(&host);
        module.getParameters().setIntParameter("LEDCount", count);
        module.getParameters().setStringParameter("ClipboardTargetGroup", "Out");
        const double before = HeapBytes();
        benchmark::DoNotOptimize(module.RunAutomation("create"));
        bytes = HeapBytes() - before;
    }
    Report(state, bytes, count, 4096.0);
}
BENCHMARK(BM_LedRecords)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RandomSpectra(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    double bytes = 0.0;
    for (auto _ : state) {
        BenchHost host;
        auto* led = new ClipboardObject;
        led->SetName("In:a");
        led->GetParameters().addStringParameter("Name", "", "a", "");
        led->GetParameters().addStringParameter("SpectralModel", "", "GaussianLEDModel", "");
        led->GetParameters().addStringParameter("PeakWavelength", "", "0.5", "");
        led->GetParameters().addStringParameter("FWHM", "", "0.03", "");
        host.clipboard.AddInserter(led);
        LEDRandomSpecsModule module;
        module.SetModuleInterface(&host);
        ns_param::Paramora& p = module.getParameters();
        p.setStringParameter("LEDsDesc", "In");
        p.setStringParameter("SpecGroup", "G");
        p.setIntParameter("SpecCount", count);
        p.setDoubleParameter("XStart", 380);
        p.setDoubleParameter("XEnd", 780);
        p.setDoubleParameter("XStep", 2);
        const double before = HeapBytes();
        benchmark::DoNotOptimize(module.calculate_specs());
        bytes = HeapBytes() - before;
    }
    Report(state, bytes, count, 512.0 + 24.0 * 201);
}
BENCHMARK(BM_RandomSpectra)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
