// bin/Pellitor.so loaded by the program's loader from the program's folder: its factory table,
// its modules in the document's module tree, their forms made from the records the plug-in
// registered, their commands, and their parameters through a project file.
#include "app/module_loader.h"
#include "app/velmont_doc.h"
#include "core/module.h"
#include "core/module_editor.h"
#include "core/plugin_entry.h"
#include "core/spectrum.h"
#include "platform/runtime_class.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The table's rows, byte for byte, in table order, with the module's type name and form.
struct Row {
    std::string path;
    std::string className;
    std::string formName;
};
const std::vector<Row> kRows = {
    {"Daten|im|port:Spek|trenbild digi|ta|li|sie|ren", "Load_Spec", "SampleDialog"},
    {"Daten|im|port:Spek|tren la|den:Orvanta-|Spek|tren-|Da|tei (.xml)", "Load_LoadXML", "LoadForm"},
    {"Daten|im|port:Spek|tren la|den:ASCII-|Text-|Da|tei (*.txt, *.csv, *.*)", "Load_SpecASCII", "LoadForm"},
    {"Daten|im|port:Clip|board-|Da|ten la|den:Orvanta-|Clip|board-|Da|tei (*.txt, *.*)", "Load_OVClp", "LoadForm"},
    {"Daten|im|port:Clip|board-|Da|ten la|den:ASCII-|Text-|Da|tei (*.txt, *.csv, *.*)", "Load_ClipASCII",
     "LoadForm"},
    {"Daten|ex|port:Spek|tren spei|chern:Orvanta-|Spek|tren-|Da|tei (.xml)", "Save_SaveXML", "SaveForm"},
    {"Daten|ex|port:Spek|tren spei|chern:ASCII-|Text-|Da|tei mit Trenn|zei|chen (*.txt, *.csv, *.*)",
     "Save_TabbedData", "SaveForm"},
    {"Daten|ex|port:Clip|board-|Daten spei|chern:Orvanta-|Clip|board-|Da|tei (.xml)", "Save_SaveXML", "SaveForm"},
    {"Daten|ex|port:Clip|board-|Daten spei|chern:ASCII-|Text-|Da|tei mit Trenn|zei|chen (*.txt, *.csv, *.*)",
     "Save_TabbedData", "SaveForm"},
};

ModuleFactory* FactoryOf(const ModuleLibrary& library)
{
    auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(library.handle, kGetModuleFactoryName));
    return entry ? entry() : nullptr;
}

int ModulesBelow(ModuleTree::TreeNode* node)
{
    if (!node)
        return 0;
    if (node->GetData() && node->GetData()->GetKind() == ModuleTreeData::kModule)
        return 1;
    int count = 0;
    for (ModuleTree::TreeNode* child : node->GetChildren())
        count += ModulesBelow(child);
    return count;
}

void ExpectTheTable(ModuleFactory& factory)
{
    ASSERT_EQ(factory.GetModuleCount(), static_cast<int>(kRows.size()));
    for (int i = 0; i < factory.GetModuleCount(); ++i) {
        const Row& row = kRows[static_cast<std::size_t>(i)];
        SCOPED_TRACE(row.path);
        EXPECT_EQ(factory.GetModuleName(i), row.path);
        // Every index twice: independent modules.
        std::unique_ptr<Module> a(factory.CreateModule(i));
        std::unique_ptr<Module> b(factory.CreateModule(i));
        ASSERT_TRUE(a && b);
        EXPECT_NE(a.get(), b.get());
        EXPECT_EQ(a->getClassName(), row.className);
        a->getParameters().setStringParameter("FileName", "nur in einem");
        EXPECT_EQ(*b->getParameters().getStringParameter("FileName"), "");
    }
    for (int index : {-1, factory.GetModuleCount(), 1000}) {
        EXPECT_EQ(factory.CreateModule(index), nullptr) << "the terminating row is no module";
        EXPECT_EQ(factory.GetModuleName(index), "");
    }
}

} // namespace

TEST(PellitorLoading, TheProgramOffersTheModulesFormsCommandsAndProjectParameters)
{
    ASSERT_EQ(CRuntimeClass::FromName("LoadForm"), nullptr);
    std::vector<ModuleLibrary> libraries = LoadModuleLibraries(QStringLiteral(PELLITOR_PLUGIN_DIR), nullptr, 0);
    const auto pellitor = std::find_if(libraries.begin(), libraries.end(),
                                       [](const ModuleLibrary& library) { return library.name == "Pellitor.so"; });
    ASSERT_NE(pellitor, libraries.end()) << "the loader did not take Pellitor.so";
    ModuleFactory* factory = FactoryOf(*pellitor);
    ASSERT_NE(factory, nullptr);
    ExpectTheTable(*factory);

    test_support::TempDir dir;
    {
        CVelmontDoc doc;
        doc.SetModuleLibraries(&libraries);
        doc.BuildModuleTree();
        ModuleTree& tree = *doc.GetModuleTree();
        EXPECT_EQ(ModulesBelow(tree.GetNodeByName("Daten|im|port", false, false)), 5);
        EXPECT_EQ(ModulesBelow(tree.GetNodeByName("Daten|ex|port", false, false)), 4);
        for (const Row& row : kRows) {
            SCOPED_TRACE(row.path);
            Module* module = tree.GetInserter(row.path);
            ASSERT_NE(module, nullptr);
            EXPECT_EQ(module->GetModuleInterface(), static_cast<ModuleInterface*>(&doc));
            const CRuntimeClass* record = CRuntimeClass::FromName(row.formName.c_str());
            ASSERT_NE(record, nullptr);
            EXPECT_EQ(module->GetEditorClass(), record);
            std::unique_ptr<QWidget> form(record->CreateObject(nullptr));
            auto* editor = dynamic_cast<CModuleEditor*>(form.get());
            ASSERT_NE(editor, nullptr);
            editor->SetModule(module);
            editor->InitModuleEditor();
            EXPECT_TRUE(editor->UpdateData(true));
        }

        // Scripts: "load" and "save" with "FileName", no dialog.
        std::ofstream(dir.file("Serie.txt"), std::ios::binary) << ";A;B\r\n380;1;2\r\n";
        Module* loader = tree.GetInserter(kRows[2].path);
        loader->getParameters().setBoolParameter("UseNamesFromFile", true);
        loader->getParameters().setStringParameter("FileName", dir.file("Serie.txt"));
        EXPECT_EQ(loader->RunAutomation("load"), std::optional<bool>(true));
        Module* saver = tree.GetInserter(kRows[5].path);
        saver->getParameters().setStringParameter("FileName", dir.file("kopie"));
        saver->getParameters().setStringParameter("SpecListDesc", "Serie:*");
        EXPECT_EQ(saver->RunAutomation("save"), std::optional<bool>(true));
        Module* xmlLoader = tree.GetInserter(kRows[1].path);
        xmlLoader->getParameters().setStringParameter("FileName", dir.file("kopie.xml"));
        xmlLoader->getParameters().setStringParameter("PreName", "Kopie");
        EXPECT_EQ(xmlLoader->RunAutomation("load"), std::optional<bool>(true));
        std::vector<std::string> names;
        for (const Spectrum* spectrum : doc.GetSpectrumTree()->GetInserters())
            names.push_back(spectrum->GetName());
        EXPECT_EQ(names, (std::vector<std::string>{"Serie:A", "Serie:B", "Kopie:Serie:A", "Kopie:Serie:B"}));

        // Modules of one type name (two Save_TabbedData, two Save_SaveXML) get their own
        // parameters back from a project file.
        for (std::size_t i = 0; i < kRows.size(); ++i) {
            ns_param::Paramora& p = tree.GetInserter(kRows[i].path)->getParameters();
            p.setStringParameter("FileName", "Datei " + std::to_string(i));
            p.setStringParameter("Trennzeichen", std::string(i + 1, '|'));
        }
        ASSERT_TRUE(doc.OnSaveDocument(QString::fromStdString(dir.file("projekt.pxml"))));
        for (const Row& row : kRows)
            tree.GetInserter(row.path)->getParameters().setStringParameter("Trennzeichen", "verstellt");
        ASSERT_TRUE(doc.OnOpenDocument(QString::fromStdString(dir.file("projekt.pxml"))));
        for (std::size_t i = 0; i < kRows.size(); ++i) {
            SCOPED_TRACE(kRows[i].path);
            Module* module = doc.GetModuleTree()->GetInserter(kRows[i].path);
            ASSERT_NE(module, nullptr);
            EXPECT_EQ(*module->getParameters().getStringParameter("FileName"), "Datei " + std::to_string(i));
            EXPECT_EQ(*module->getParameters().getStringParameter("Trennzeichen"), std::string(i + 1, '|'));
        }
        // Forms and modules go before the libraries close.
    }
    FreeModuleLibraries(libraries);
    EXPECT_EQ(CRuntimeClass::FromName("LoadForm"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("SaveForm"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("SampleDialog"), nullptr);
    EXPECT_EQ(dlopen(PELLITOR_PLUGIN, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the plug-in stayed loaded";
}
