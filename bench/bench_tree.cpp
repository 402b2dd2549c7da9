// The spectrum tree with 100,000 spectra three levels deep (100 groups x 100 subgroups x 10
// spectra): insert all, look each up by its path, clear; next to a std::map keyed by the full
// paths doing the same. Items are tree operations (insert + lookup + delete per spectrum).
#include "core/spectrum.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace {

const std::vector<std::string>& Paths()
{
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> p;
        p.reserve(100000);
        for (int g = 0; g < 100; ++g)
            for (int u = 0; u < 100; ++u)
                for (int s = 0; s < 10; ++s)
                    p.push_back("Gruppe " + std::to_string(g) + ":Serie " + std::to_string(u) + ":LED " + std::to_string(s));
        return p;
    }();
    return paths;
}

Spectrum* NewSpectrum(const std::string& path)
{
    auto* s = new Spectrum;
    s->SetName(path);
    return s;
}

void FillTree(SpectrumTree& tree)
{
    for (const std::string& path : Paths())
        tree.AddInserter(NewSpectrum(path));
}

void FillMap(std::map<std::string, Spectrum*>& map)
{
    for (const std::string& path : Paths())
        map.emplace(path, NewSpectrum(path));
}

void ClearMap(std::map<std::string, Spectrum*>& map)
{
    for (auto& [path, spectrum] : map)
        delete spectrum;
    map.clear();
}

void BM_TreeInsertLookupClear(benchmark::State& state)
{
    for (auto _ : state) {
        SpectrumTree tree;
        FillTree(tree);
        for (const std::string& path : Paths())
            benchmark::DoNotOptimize(tree.GetInserterByName(path));
        tree.ClearTree();
    }
    state.SetItemsProcessed(state.iterations() * 3 * static_cast<int64_t>(Paths().size()));
}
BENCHMARK(BM_TreeInsertLookupClear)->Unit(benchmark::kMillisecond);

void BM_MapInsertLookupClear(benchmark::State& state)
{
    for (auto _ : state) {
        std::map<std::string, Spectrum*> map;
        FillMap(map);
        for (const std::string& path : Paths())
            benchmark::DoNotOptimize(map.find(path));
        ClearMap(map);
    }
    state.SetItemsProcessed(state.iterations() * 3 * static_cast<int64_t>(Paths().size()));
}
BENCHMARK(BM_MapInsertLookupClear)->Unit(benchmark::kMillisecond);

void BM_TreeLookup(benchmark::State& state)
{
    SpectrumTree tree;
    FillTree(tree);
    for (auto _ : state) {
        for (const std::string& path : Paths())
            benchmark::DoNotOptimize(tree.GetInserterByName(path));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Paths().size()));
}
BENCHMARK(BM_TreeLookup)->Unit(benchmark::kMillisecond);

void BM_MapLookup(benchmark::State& state)
{
    std::map<std::string, Spectrum*> map;
    FillMap(map);
    for (auto _ : state) {
        for (const std::string& path : Paths())
            benchmark::DoNotOptimize(map.find(path));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Paths().size()));
    ClearMap(map);
}
BENCHMARK(BM_MapLookup)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
