// The real plug-in, loaded as the program loads it: its factory table, its modules in a module
// tree, their forms, their commands, and their parameters kept apart in a project file.
#include "loadsave_test_support.h"

#include "core/module_editor.h"
#include "core/plugin_entry.h"

#include <xandril/xandril.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <memory>
#include <set>

using namespace loadsave_test;

namespace {

// The plug-in for the life of a test; its modules are destroyed before it is closed.
class PluginLibrary {
public:
    PluginLibrary() : m_handle(dlopen(ORVANTA_PELLITOR, RTLD_NOW | RTLD_LOCAL)) {}
    ~PluginLibrary()
    {
        if (m_handle)
            dlclose(m_handle);
    }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    ModuleFactory* Factory() const
    {
        if (!m_handle)
            return nullptr;
        auto get = reinterpret_cast<GetModuleFactoryFn>(dlsym(m_handle, kGetModuleFactoryName));
        return get ? get() : nullptr;
    }

private:
    void* m_handle;
};

const std::vector<std::string> kMenuPaths = {kLoadXmlPath,        kLoadAsciiPath,      kLoadOwnClipPath,
                                             kLoadClipAsciiPath,  kSaveSpectraXmlPath, kSaveSpectraTextPath,
                                             kSaveClipXmlPath,    kSaveClipTextPath};

const std::vector<std::string> kTypeNames = {"Load_LoadXML",    "Load_SpecASCII", "Load_OVClp",
                                             "Load_ClipASCII",  "Save_SaveXML",   "Save_TabbedData",
                                             "Save_SaveXML",    "Save_TabbedData"};

int LeafCount(ModuleTree::TreeNode* node)
{
    if (!node)
        return 0;
    if (node->GetData() && node->GetData()->GetKind() == ModuleTreeData::kModule)
        return 1;
    int count = 0;
    for (ModuleTree::TreeNode* child : node->GetChildren())
        count += LeafCount(child);
    return count;
}

} // namespace

TEST(PellitorFactory, TheTableRowsInOrder)
{
    PluginLibrary library;
    ModuleFactory* factory = library.Factory();
    ASSERT_NE(factory, nullptr) << dlerror();
    ASSERT_EQ(factory->GetModuleCount(), static_cast<int>(kMenuPaths.size()));
    std::set<Module*> created;
    for (int i = 0; i < factory->GetModuleCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(factory->GetModuleName(i), kMenuPaths[static_cast<std::size_t>(i)]);
        // Every index twice: independent modules.
        std::unique_ptr<Module> first(factory->CreateModule(i));
        std::unique_ptr<Module> second(factory->CreateModule(i));
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_NE(first.get(), second.get());
        EXPECT_EQ(first->getClassName(), kTypeNames[static_cast<std::size_t>(i)]);
        first->getParameters().setStringParameter("FileName", "nur im ersten");
        EXPECT_EQ(*second->getParameters().getStringParameter("FileName"), "");
    }
    EXPECT_EQ(factory->CreateModule(-1), nullptr);
    EXPECT_EQ(factory->CreateModule(factory->GetModuleCount()), nullptr) << "the terminating entry is no module";
    EXPECT_EQ(factory->GetModuleName(factory->GetModuleCount()), "");
}

TEST(PellitorFactory, ModulesFormsAndCommandsThroughTheLoadedPlugin)
{
    PluginLibrary library;
    ModuleFactory* factory = library.Factory();
    ASSERT_NE(factory, nullptr);
    test_support::TempDir dir;
    WriteBytes(dir.file("Serie.txt"), ";A;B\r\n380;1;2\r\n");
    {
        RecordingHost host;
        ASSERT_EQ(host.AddModules(*factory), 8);
        EXPECT_EQ(LeafCount(host.modules.GetNodeByName("Daten|im|port", false, false)), 4);
        EXPECT_EQ(LeafCount(host.modules.GetNodeByName("Daten|ex|port", false, false)), 4);

        // Each module's form is created by the program from its run-time class.
        for (const std::string& path : kMenuPaths) {
            SCOPED_TRACE(path);
            Module* module = host.modules.GetInserterByName(path);
            ASSERT_NE(module, nullptr);
            const CRuntimeClass* editor = module->GetEditorClass();
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(std::string(editor->m_lpszClassName), path.rfind("Daten|im", 0) == 0 ? "LoadForm" : "SaveForm");
            EXPECT_TRUE(editor->IsDerivedFrom(RUNTIME_CLASS(CModuleEditor)));
            std::unique_ptr<QWidget> widget(editor->CreateObject(nullptr));
            auto* form = dynamic_cast<CModuleEditor*>(widget.get());
            ASSERT_NE(form, nullptr);
            form->SetModule(module);
            form->InitModuleEditor();
        }

        // Scripts: "load" and "save" with "FileName", no dialog.
        Module* loader = host.modules.GetInserterByName(kMenuPaths[1]);
        loader->getParameters().setBoolParameter("UseNamesFromFile", true);
        loader->getParameters().setStringParameter("FileName", dir.file("Serie.txt"));
        EXPECT_EQ(loader->RunAutomation("load"), std::optional<bool>(true));
        Module* saver = host.modules.GetInserterByName(kMenuPaths[4]);
        saver->getParameters().setStringParameter("FileName", dir.file("kopie"));
        saver->getParameters().setStringParameter("SpecListDesc", "Serie:*");
        EXPECT_EQ(saver->RunAutomation("save"), std::optional<bool>(true));
        Module* xmlLoader = host.modules.GetInserterByName(kMenuPaths[0]);
        xmlLoader->getParameters().setStringParameter("FileName", dir.file("kopie.xml"));
        xmlLoader->getParameters().setStringParameter("PreName", "Kopie");
        EXPECT_EQ(xmlLoader->RunAutomation("load"), std::optional<bool>(true));
        EXPECT_EQ(Spectra(host), (std::vector<SpectrumView>{{"Serie:A", {{380, 1}}},
                                                            {"Serie:B", {{380, 2}}},
                                                            {"Kopie:Serie:A", {{380, 1}}},
                                                            {"Kopie:Serie:B", {{380, 2}}}}));
    }
}

TEST(PellitorFactory, ModulesOfOneTypeNameGetTheirOwnParametersBack)
{
    // The project file keeps module parameters as one group per module, named after the type
    // name, read back in the same order: the two Save_TabbedData and the two Save_SaveXML
    // modules must not swap their settings.
    PluginLibrary library;
    ModuleFactory* factory = library.Factory();
    ASSERT_NE(factory, nullptr);
    test_support::TempDir dir;
    {
        RecordingHost host;
        ASSERT_EQ(host.AddModules(*factory), 8);
        ns_xandril::XMLWriteModul writer;
        writer.enterGroup("Modules");
        for (std::size_t i = 0; i < kMenuPaths.size(); ++i) {
            Module* module = host.modules.GetInserterByName(kMenuPaths[i]);
            module->getParameters().setStringParameter("FileName", "Datei " + std::to_string(i));
            module->getParameters().setStringParameter("Trennzeichen", std::string(i + 1, '|'));
            module->addToXML(writer);
        }
        writer.leaveGroup();
        ASSERT_TRUE(writer.writeToFile(dir.file("projekt.xml")));
    }
    RecordingHost host;
    ASSERT_EQ(host.AddModules(*factory), 8);
    ns_xandril::XMLReadModul reader;
    reader.readFromFile(dir.file("projekt.xml"));
    ASSERT_TRUE(reader.enterGroup("Modules"));
    for (std::size_t i = 0; i < kMenuPaths.size(); ++i) {
        SCOPED_TRACE(kMenuPaths[i]);
        Module* module = host.modules.GetInserterByName(kMenuPaths[i]);
        module->updateFromXML(reader);
        EXPECT_EQ(*module->getParameters().getStringParameter("FileName"), "Datei " + std::to_string(i));
        EXPECT_EQ(*module->getParameters().getStringParameter("Trennzeichen"), std::string(i + 1, '|'));
    }
}
