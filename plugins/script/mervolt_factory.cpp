// The plug-in's entry point: the factory of the script module. The table lists the module's
// menu path (levels at ":", "|" where the module tree may hyphenate) with its creator and ends
// with an empty sentinel.
#include "script/mervolt.h"

#include "core/module_table_factory.h"
#include "core/plugin_entry.h"

namespace {

const ModuleTableEntry kModules[] = {
    {"Spek|tren-|Arith|me|tik:Spek|tren-|Com|pi|ler", &CreateModuleOf<Mervolt>},
    {"", nullptr},
};

ModuleTableFactory g_factory(kModules);

} // namespace

extern "C" ModuleFactory* GetModuleFactory()
{
    return &g_factory;
}
