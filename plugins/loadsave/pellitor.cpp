// The plug-in's entry point and module factory. The factory works from one table of menu
// paths and creators, counted at load time by walking to its terminating entry; a module is
// added to the plug-in by adding its row.
#include "load_ascii_module.h"
#include "load_clip_ascii_module.h"
#include "load_ovclp_module.h"
#include "load_xml_module.h"
#include "save_tabbed_data_module.h"
#include "save_xml_module.h"
#include "spec_data_module.h"

#include "core/plugin_entry.h"

namespace {

struct ModuleEntry {
    const char* menuPath; // levels separated by ":", "|" where a long word may be hyphenated
    Module* (*create)();
};

Module* CreateSpecDataModule() { return new SpecDataModule; }
Module* CreateLoadXMLModule() { return new LoadXMLModule; }
Module* CreateLoadASCIIModule() { return new LoadASCIIModule; }
Module* CreateLoadOVClpModule() { return new LoadOVClpModule; }
Module* CreateLoadClipASCIIModule() { return new LoadClipASCIIModule; }
Module* CreateSaveXMLModule() { return new SaveXMLModule; }
Module* CreateSaveTabbedDataModule() { return new SaveTabbedDataModule; }
Module* CreateSaveXMLModuleClp() { return new SaveXMLModuleClp; }

// The same creator stands in two rows: each SaveTabbedDataModule tells from its own menu path
// whether it writes spectra or clipboard data.
constexpr ModuleEntry kModules[] = {
    {"Daten|im|port:Spek|trenbild digi|ta|li|sie|ren", CreateSpecDataModule},
    {"Daten|im|port:Spek|tren la|den:Orvanta-|Spek|tren-|Da|tei (.xml)", CreateLoadXMLModule},
    {"Daten|im|port:Spek|tren la|den:ASCII-|Text-|Da|tei (*.txt, *.csv, *.*)", CreateLoadASCIIModule},
    {"Daten|im|port:Clip|board-|Da|ten la|den:Orvanta-|Clip|board-|Da|tei (*.txt, *.*)", CreateLoadOVClpModule},
    {"Daten|im|port:Clip|board-|Da|ten la|den:ASCII-|Text-|Da|tei (*.txt, *.csv, *.*)",
     CreateLoadClipASCIIModule},
    {"Daten|ex|port:Spek|tren spei|chern:Orvanta-|Spek|tren-|Da|tei (.xml)", CreateSaveXMLModule},
    {"Daten|ex|port:Spek|tren spei|chern:ASCII-|Text-|Da|tei mit Trenn|zei|chen (*.txt, *.csv, *.*)",
     CreateSaveTabbedDataModule},
    {"Daten|ex|port:Clip|board-|Daten spei|chern:Orvanta-|Clip|board-|Da|tei (.xml)", CreateSaveXMLModuleClp},
    {"Daten|ex|port:Clip|board-|Daten spei|chern:ASCII-|Text-|Da|tei mit Trenn|zei|chen (*.txt, *.csv, *.*)",
     CreateSaveTabbedDataModule},
    {"", nullptr},
};

int CountEntries(const ModuleEntry* table)
{
    int count = 0;
    while (table[count].create)
        ++count;
    return count;
}

class PellitorFactory final : public ModuleFactory {
public:
    PellitorFactory()
        : m_count(CountEntries(kModules))
    {
    }

    int GetModuleCount() override { return m_count; }

    Module* CreateModule(int index) override { return IsEntry(index) ? kModules[index].create() : nullptr; }

    std::string GetModuleName(int index) override { return IsEntry(index) ? kModules[index].menuPath : ""; }

private:
    bool IsEntry(int index) const { return index >= 0 && index < m_count; }

    int m_count;
};

PellitorFactory g_factory;

} // namespace

extern "C" ModuleFactory* GetModuleFactory() { return &g_factory; }
