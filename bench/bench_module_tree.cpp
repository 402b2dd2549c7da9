// Building the module tree, as at start-up and for every new or opened project: every module
// of a factory created, named by its menu path, inserted and given the host; then cleared.
#include "qt_bench_main.h"

#include "core/module.h"
#include "core/module_factory.h"
#include "core/module_interface.h"

#include <string>

namespace {

constexpr int kModules = 100;
constexpr int kParameters = 30;

class BenchModule : public Module {
public:
    BenchModule()
        : Module("Bench_Module")
    {
        ns_param::Paramora& p = getParameters();
        for (int i = 0; i < kParameters; ++i) {
            const std::string name = "Parameter" + std::to_string(i);
            switch (i % 3) {
            case 0: p.addIntParameter(name, "Ganzzahl", i, 0, 100, 0); break;
            case 1: p.addDoubleParameter(name, "Zahl", i * 0.5, 0.0, 100.0, 0.0); break;
            default: p.addStringParameter(name, "Text", "Gruppe:Spektrum", ""); break;
            }
        }
    }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
    std::vector<SAutomationPtrList> GetAutomationPtr() override
    {
        return {{"load", static_cast<SAutomationPtrList::Function>(&BenchModule::Run)},
                {"save", static_cast<SAutomationPtrList::Function>(&BenchModule::Run)}};
    }
    bool Run() { return true; }
};

class BenchFactory : public ModuleFactory {
public:
    int GetModuleCount() override { return kModules; }
    Module* CreateModule(int index) override { return index >= 0 && index < kModules ? new BenchModule : nullptr; }
    std::string GetModuleName(int index) override
    {
        return "Be|rech|nung " + std::to_string(index / 10) + ":Mo|dul " + std::to_string(index);
    }
};

void BM_ModuleTreeBuild(benchmark::State& state)
{
    BenchFactory factory;
    ModuleInterface host;
    ModuleTree tree;
    for (auto _ : state) {
        for (int i = 0; i < factory.GetModuleCount(); ++i) {
            Module* module = factory.CreateModule(i);
            module->SetName(factory.GetModuleName(i));
            if (!tree.AddInserter(module)) {
                delete module;
                state.SkipWithError("module refused");
                break;
            }
            module->SetModuleInterface(&host);
        }
        tree.ClearTree();
    }
    state.SetItemsProcessed(state.iterations() * kModules);
}
BENCHMARK(BM_ModuleTreeBuild)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunBenchmarksWithApplication(argc, argv); }
