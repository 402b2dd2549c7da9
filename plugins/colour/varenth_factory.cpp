// The plug-in's entry point: the factory of the colour modules. The table lists each
// module's menu path (levels at ":", "|" where the module tree may hyphenate) with its
// creator, in menu order, and ends with an empty sentinel.
#include "colour/colour_calculation.h"
#include "colour/colour_show.h"

#include "core/plugin_entry.h"

namespace {

struct CreatorEntry {
    const char* path;
    Module* (*create)();
};

Module* CreateColorTessarine()
{
    return new ColorTessarine;
}

Module* CreateColorShowModule()
{
    return new ColorShowModule;
}

Module* CreateIntTessarine()
{
    return new IntTessarine;
}

const CreatorEntry kModules[] = {
    {"Farb|me|trik:Farb|werte be|rech|nen", &CreateColorTessarine},
    {"Farb|me|trik:Farb|orte an|zei|gen", &CreateColorShowModule},
    {"Spek|tren-|Arith|me|tik:In|te|gral|wer|te aus|wer|ten", &CreateIntTessarine},
    {"", nullptr},
};

int CountEntries()
{
    int count = 0;
    while (kModules[count].create)
        ++count;
    return count;
}

class VarenthFactory final : public ModuleFactory {
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

VarenthFactory g_factory;

} // namespace

extern "C" ModuleFactory* GetModuleFactory()
{
    return &g_factory;
}
