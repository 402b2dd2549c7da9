// The test plug-in's entry point, factory and modules.
#include "core/plugin_entry.h"

#include "test_plugin_form.h"
#include "test_plugin_modules.h"

#include "core/module_interface.h"

#include <array>

TestSourceModule::TestSourceModule()
    : Module("TestPlugin_Source")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("SpecDesc", "Eingabespektren", "", "");
    p.addIntParameter("Count", "Anzahl", 5, 0, 100, 5);
    p.addDoubleParameter("Factor", "Faktor", 1.5, -10.0, 10.0, 1.5);
    p.addBoolParameter("Enabled", "Aktiv", true, true);
    p.addEnumParameter("Mode", "Modus", ModeEntries(), nullptr);
}

TestSourceModule::~TestSourceModule() = default;

const CRuntimeClass* TestSourceModule::GetEditorClass() { return RUNTIME_CLASS(CTestPluginForm); }

std::vector<SAutomationPtrList> TestSourceModule::GetAutomationPtr()
{
    using F = SAutomationPtrList::Function;
    return {{"load", static_cast<F>(&TestSourceModule::Load)},
            {"fail", static_cast<F>(&TestSourceModule::Fail)},
            {"throw", static_cast<F>(&TestSourceModule::Throw)}};
}

ns_xandril::XMLEnumClass TestSourceModule::ModeEntries()
{
    ns_xandril::XMLEnumClass entries;
    for (const char* text : {"Linear", "Spline", "Akima"})
        entries.addEntry(text);
    return entries;
}

bool TestSourceModule::Load()
{
    if (ModuleInterface* host = GetModuleInterface())
        host->AddLogColorMessage(0x007000, "Hinweis: %s geladen (%d%%)", GetName().c_str(), 100);
    return true;
}

bool TestSourceModule::Fail() { return false; }

bool TestSourceModule::Throw()
{
    throw ns_param::ParamoraException("Testfehler im Plug-in");
}

TestSinkModule::TestSinkModule()
    : Module("TestPlugin_Sink")
{
    getParameters().addStringParameter("SpecGroup", "Ausgabegruppe", "Ergebnis", "Ergebnis");
}

TestSinkModule::~TestSinkModule() = default;

const CRuntimeClass* TestSinkModule::GetEditorClass() { return RUNTIME_CLASS(CTestPluginForm); }

namespace {

class TestPluginFactory final : public ModuleFactory {
public:
    int GetModuleCount() override { return static_cast<int>(kNames.size()); }

    Module* CreateModule(int index) override
    {
        switch (index) {
        case 0: return new TestSourceModule;
        case 1: return new TestSinkModule;
        default: return nullptr;
        }
    }

    std::string GetModuleName(int index) override
    {
        return index >= 0 && index < GetModuleCount() ? kNames[static_cast<std::size_t>(index)] : std::string();
    }

private:
    static constexpr std::array<const char*, 2> kNames{"Test|plug|in:Quel|le", "Testplugin:Senke"};
};

TestPluginFactory g_factory;

} // namespace

extern "C" ModuleFactory* GetModuleFactory() { return &g_factory; }
