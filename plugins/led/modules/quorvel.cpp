// The LED plug-in's entry point: the factory of its modules. Rows 0 and 1 are the two model
// modules of the arithmetic group; every further module class follows under "LED".
#include "modules/create_source_module.h"
#include "modules/device/lumiref_comm_module.h"
#include "modules/gnuplot_export_module.h"
#include "modules/led_continuous_fitting_module.h"
#include "modules/led_data_edit_module.h"
#include "modules/led_lightness_module.h"
#include "modules/led_random_specs_module.h"
#include "modules/led_selection_module.h"
#include "modules/led_specs_create_module.h"
#include "modules/multi_led_create_module.h"

#include "core/module_table_factory.h"
#include "core/plugin_entry.h"

namespace {

const ModuleTableEntry ModuleFactoryTable[] = {
    {"Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Nirk-|Mo|dell-|Para|me|ter er|zeu|gen", &CreateModuleOf<MultiEDCreateModule>},
    {"Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Nirk-|Mo|dell-|Spek|tren er|zeu|gen", &CreateModuleOf<EDSpecsCreateModule>},
    {"LED:LED-|Pa|ra|me|ter er|zeu|gen", &CreateModuleOf<MultiLEDCreateModule>},
    {"LED:LED-|Spek|tren er|zeu|gen", &CreateModuleOf<LEDSpecsCreateModule>},
    {"LED:Kon|ti|nu|ier|li|ches Fit|ting", &CreateModuleOf<LEDContinuousFittingModule>},
    {"LED:LED-|Da|ten be|ar|bei|ten", &CreateModuleOf<LEDDataEditModule>},
    {"LED:Be|leuch|tungs|quel|le", &CreateModuleOf<LumirefCommModule>},
    {"LED:Gnu|plot-Ex|port", &CreateModuleOf<GnuplotExportModule>},
    {"LED:C-Quell|text-Ex|port", &CreateModuleOf<CreateSourceModule>},
    {"LED:Hel|lig|kei|ten be|rech|nen", &CreateModuleOf<LedLightnessTessarine>},
    {"LED:Zu|falls|spek|tren", &CreateModuleOf<LEDRandomSpecsModule>},
    {"LED:LED-Aus|wahl", &CreateModuleOf<LEDSelectionModule>},
    {"", nullptr},
};

ModuleTableFactory g_factory(ModuleFactoryTable);

} // namespace

extern "C" ModuleFactory* GetModuleFactory()
{
    return &g_factory;
}
