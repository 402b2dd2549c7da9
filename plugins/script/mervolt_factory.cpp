// The plug-in's entry point: the factory of the script module. The table lists the module's
// menu path (levels at ":", "|" where the module tree may hyphenate) with its creator and ends
// with an empty sentinel.
#include "script/mervolt.h"

#include "core/plugin_entry.h"

namespace {

struct CreatorEntry {
    const char* path;
    Module* (*create)();
};

Module* CreateMervolt()
{
    return new Mervolt;
}

const CreatorEntry kModules[] = {
    {"Spek|tren-|Arith|me|tik:Spek|tren-|Com|pi|ler", &CreateMervolt},
    {"", nullptr},
};

int CountEntries()
{
    int count = 0;
    while (kModules[count].create)
        ++count;
    return count;
}

class MervoltFactory final : public ModuleFactory {
public:
    int GetModuleCount() override { return m_count; }

    Module* CreateModule(int index) override
    {
        return index >= 0 && index < m_count ? kModules[index].create() : nullptr;
    }

    std::string GetModuleName(int index) override
    {
        return index >= 0 && index < m_count ? kModules[index].path : std::string();
    }

private:
    int m_count = CountEntries();
};

MervoltFactory g_factory;

} // namespace

extern "C" ModuleFactory* GetModuleFactory()
{
    return &g_factory;
}
