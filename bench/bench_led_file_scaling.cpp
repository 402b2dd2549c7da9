// Scaling of the LED engine's file readers: a parameter-set file of one entry with N keys and
// one of N entries, and a "Speks:" file of N one-point spectra (onto the global grid and onto
// the file's own grid). Time per item should stay flat across the sizes; held_MB is what the
// loaded set keeps, peak_MB the process's peak so far (run one size per process for its own).
// BM_SpeksLoad_BeyondTheBudget: 4,000,000 one-point spectra onto the global grid of 176
// points would take about 6 GB; the load is refused once the spectra reach the run budget
// (budget_MB), so peak_MB stays near the budget and the time is that of reading up to it.

#include "engine/grid.h"
#include "engine/param_container_set.h"
#include "engine/spectra_set.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

std::string TempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))).string();
}

// Written once per name and removed at exit.
class Files {
public:
    ~Files()
    {
        for (const auto& [name, path] : m_paths)
            std::filesystem::remove(path);
    }
    template <class Fill>
    const std::string& Get(const std::string& name, Fill fill)
    {
        auto it = m_paths.find(name);
        if (it != m_paths.end())
            return it->second;
        const std::string path = TempPath("bench_" + name);
        std::ofstream out(path, std::ios::binary);
        fill(out);
        return m_paths.emplace(name, path).first->second;
    }

private:
    std::map<std::string, std::string> m_paths;
};

Files& TheFiles()
{
    static Files files;
    return files;
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double HeapMegabytes()
{
    return static_cast<double>(mallinfo2().uordblks) / 1e6;
}

void Report(benchmark::State& state, std::int64_t items, double heldMegabytes)
{
    state.counters["items"] = static_cast<double>(items);
    state.counters["s_per_item"] = benchmark::Counter(static_cast<double>(items),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
    state.counters["held_MB"] = heldMegabytes;
    state.counters["peak_MB"] = PeakMegabytes();
}

template <class Load>
void LoadLoop(benchmark::State& state, const std::string& path, Load load)
{
    double held = 0;
    for (auto _ : state) {
        const double before = HeapMegabytes();
        std::int64_t count = load(path, held);
        held -= before;
        benchmark::DoNotOptimize(count);
    }
    Report(state, state.range(0), held);
}

void BM_ParamSetLoad_OneEntryOfNKeys(benchmark::State& state)
{
    const std::int64_t n = state.range(0);
    const std::string& path = TheFiles().Get("keys_" + std::to_string(n), [n](std::ofstream& out) {
        out << "[BeginEntry]\r\n";
        for (std::int64_t i = 0; i < n; ++i)
            out << "Key" << i << " = " << i * 0.5 << "\r\n";
        out << "[EndEntry]\r\n\r\n";
    });
    LoadLoop(state, path, [](const std::string& p, double& held) {
        ParamContainerSet set;
        if (!set.LoadFromFile(p))
            std::abort();
        held = HeapMegabytes();
        return static_cast<std::int64_t>(set.EntryAt(0).Count());
    });
}
BENCHMARK(BM_ParamSetLoad_OneEntryOfNKeys)->Arg(10000)->Arg(40000)->Arg(160000)->Unit(benchmark::kMillisecond);

void BM_ParamSetLoad_NEntries(benchmark::State& state)
{
    const std::int64_t n = state.range(0);
    const std::string& path = TheFiles().Get("entries_" + std::to_string(n), [n](std::ofstream& out) {
        for (std::int64_t i = 0; i < n; ++i)
            out << "[BeginEntry]\r\nName = LED" << i << "\r\nOwn" << i << " = 1\r\n[EndEntry]\r\n\r\n";
    });
    LoadLoop(state, path, [](const std::string& p, double& held) {
        ParamContainerSet set;
        if (!set.LoadFromFile(p))
            std::abort();
        held = HeapMegabytes();
        return static_cast<std::int64_t>(set.GetKeys().size());
    });
}
BENCHMARK(BM_ParamSetLoad_NEntries)->Arg(10000)->Arg(40000)->Arg(160000)->Unit(benchmark::kMillisecond);

const std::string& SpeksFile(std::int64_t n)
{
    return TheFiles().Get("speks_" + std::to_string(n), [n](std::ofstream& out) {
        out << "Speks: " << n << " 1 500 500 1\r\n";
        for (std::int64_t i = 0; i < n; ++i)
            out << "S" << i << " :\r\n 1.5\r\n";
    });
}

void BM_SpeksLoad_GlobalGrid(benchmark::State& state)
{
    const std::string& path = SpeksFile(state.range(0));
    LoadLoop(state, path, [](const std::string& p, double& held) {
        SpectraSet set;
        if (!set.LoadFromFile(p))
            std::abort();
        held = HeapMegabytes();
        return static_cast<std::int64_t>(set.GetCount());
    });
}
BENCHMARK(BM_SpeksLoad_GlobalGrid)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SpeksLoad_FileGrid(benchmark::State& state)
{
    const std::string& path = SpeksFile(state.range(0));
    LoadLoop(state, path, [](const std::string& p, double& held) {
        SpectraSet set;
        if (!set.LoadFromFileOnFileGrid(p))
            std::abort();
        held = HeapMegabytes();
        return static_cast<std::int64_t>(set.GetCount());
    });
}
BENCHMARK(BM_SpeksLoad_FileGrid)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SpeksLoad_BeyondTheBudget(benchmark::State& state)
{
    const std::string& path = SpeksFile(state.range(0));
    LoadLoop(state, path, [](const std::string& p, double& held) {
        SpectraSet set;
        if (set.LoadFromFile(p))
            std::abort();
        held = HeapMegabytes();
        return static_cast<std::int64_t>(set.GetCount());
    });
    state.counters["budget_MB"] = SpectraSet::LoadBudget() / 1e6;
}
BENCHMARK(BM_SpeksLoad_BeyondTheBudget)->Arg(4000000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
