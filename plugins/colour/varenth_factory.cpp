// The plug-in's entry point: the factory of the colour modules. The table lists each
// module's menu path (levels at ":", "|" where the module tree may hyphenate) with its
// creator, in menu order, and ends with an empty sentinel.
#include "colour/colour_calculation.h"
#include "colour/colour_show.h"

#include "core/module_table_factory.h"
#include "core/plugin_entry.h"

namespace {

const ModuleTableEntry kModules[] = {
    {"Farb|me|trik:Farb|werte be|rech|nen", &CreateModuleOf<ColorTessarine>},
    {"Farb|me|trik:Farb|orte an|zei|gen", &CreateModuleOf<ColorShowModule>},
    {"Spek|tren-|Arith|me|tik:In|te|gral|wer|te aus|wer|ten", &CreateModuleOf<IntTessarine>},
    {"", nullptr},
};

ModuleTableFactory g_factory(kModules);

} // namespace

extern "C" ModuleFactory* GetModuleFactory()
{
    return &g_factory;
}
