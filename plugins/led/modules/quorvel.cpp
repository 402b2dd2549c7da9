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

#include "core/plugin_entry.h"

namespace {

struct CreatorEntry {
    const char* path;
    Module* (*create)();
};

template <class M>
Module* Create()
{
    return new M;
}

Module* CreateMultiEDCreateModule()
{
    return new MultiEDCreateModule;
}

Module* CreateEDSpecsCreateModule()
{
    return new EDSpecsCreateModule;
}

const CreatorEntry ModuleFactoryTable[] = {
    {"Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Nirk-|Mo|dell-|Para|me|ter er|zeu|gen", &CreateMultiEDCreateModule},
    {"Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Nirk-|Mo|dell-|Spek|tren er|zeu|gen", &CreateEDSpecsCreateModule},
    {"LED:LED-|Pa|ra|me|ter er|zeu|gen", &Create<MultiLEDCreateModule>},
    {"LED:LED-|Spek|tren er|zeu|gen", &Create<LEDSpecsCreateModule>},
    {"LED:Kon|ti|nu|ier|li|ches Fit|ting", &Create<LEDContinuousFittingModule>},
    {"LED:LED-|Da|ten be|ar|bei|ten", &Create<LEDDataEditModule>},
    {"LED:Be|leuch|tungs|quel|le", &Create<LumirefCommModule>},
    {"LED:Gnu|plot-Ex|port", &Create<GnuplotExportModule>},
    {"LED:C-Quell|text-Ex|port", &Create<CreateSourceModule>},
    {"LED:Hel|lig|kei|ten be|rech|nen", &Create<LedLightnessTessarine>},
    {"LED:Zu|falls|spek|tren", &Create<LEDRandomSpecsModule>},
    {"LED:LED-Aus|wahl", &Create<LEDSelectionModule>},
    {"", nullptr},
};

// The number of entries before the first one without creator.
int CountEntries()
{
    int count = 0;
    while (ModuleFactoryTable[count].create)
        ++count;
    return count;
}

class LEDModuleFactory final : public ModuleFactory {
public:
    int GetModuleCount() override { return m_count; }

    Module* CreateModule(int index) override
    {
        return index >= 0 && index < m_count ? ModuleFactoryTable[index].create() : nullptr;
    }

    std::string GetModuleName(int index) override
    {
        return index >= 0 && index < m_count ? ModuleFactoryTable[index].path : std::string();
    }

private:
    int m_count = CountEntries();
};

LEDModuleFactory g_factory;

} // namespace

extern "C" ModuleFactory* GetModuleFactory()
{
    return &g_factory;
}
