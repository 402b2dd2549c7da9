// bin/Quorvel.so loaded by the program's loader: its table, its modules in the document's
// module tree, their forms, and a project with the LED data edit module saved and reopened.
#include "app/module_loader.h"
#include "app/velmont_doc.h"
#include "core/module.h"
#include "core/module_editor.h"
#include "core/plugin_entry.h"
#include "core/clipboard_object.h"
#include "platform/runtime_class.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// Path, the module's type name and its form's class, in table order.
struct Row {
    std::string path;
    std::string className;
    std::string formName;
};
const std::vector<Row> kRows = {
    {"Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Nirk-|Mo|dell-|Para|me|ter er|zeu|gen", "LED_MultiEDCreate",
     "CMultiLEDCreateForm"},
    {"Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Nirk-|Mo|dell-|Spek|tren er|zeu|gen", "LED_CreateESpecs",
     "CLEDCreateSpecsForm"},
    {"LED:LED-|Pa|ra|me|ter er|zeu|gen", "LED_MultiLEDCreate", "CMultiLEDCreateForm"},
    {"LED:LED-|Spek|tren er|zeu|gen", "LED_CreateSpecs", "CLEDCreateSpecsForm"},
    {"LED:Kon|ti|nu|ier|li|ches Fit|ting", "LED_ContinuousFitting", "CLEDContinuousFittingForm"},
    {"LED:LED-|Da|ten be|ar|bei|ten", "LED_DataEdit", "CLEDDataEditForm"},
    {"LED:Be|leuch|tungs|quel|le", "LED_LumirefComm", "CLumirefCommForm"},
    {"LED:Gnu|plot-Ex|port", "LEDModules_GnuplotExport", "CGnuplotExportForm"},
    {"LED:C-Quell|text-Ex|port", "LED_CreateSource", "CCreateSourceForm"},
    {"LED:Hel|lig|kei|ten be|rech|nen", "LED_LightnessCalculation", "CLEDLightnessCalculationForm"},
    {"LED:Zu|falls|spek|tren", "LED_RandomSpecs", "CLEDRandomSpecsForm"},
    {"LED:LED-Aus|wahl", "LED_Selection", "CLedSelectionForm"},
};

ModuleFactory* FactoryOf(const ModuleLibrary& library)
{
    auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(library.handle, kGetModuleFactoryName));
    return entry ? entry() : nullptr;
}

TEST(QuorvelFactory, TheProgramsLoaderOffersItsModulesAndForms)
{
    ASSERT_EQ(CRuntimeClass::FromName("CLEDDataEditForm"), nullptr);
    std::vector<ModuleLibrary> libraries = LoadModuleLibraries(QStringLiteral(QUORVEL_PLUGIN_DIR), nullptr, 0);
    const auto quorvel = std::find_if(libraries.begin(), libraries.end(),
                                      [](const ModuleLibrary& library) { return library.name == "Quorvel.so"; });
    ASSERT_NE(quorvel, libraries.end()) << "the loader did not take Quorvel.so";
    ModuleFactory* factory = FactoryOf(*quorvel);
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->GetModuleCount(), static_cast<int>(kRows.size()));
    for (int i = 0; i < factory->GetModuleCount(); ++i) {
        EXPECT_EQ(factory->GetModuleName(i), kRows[static_cast<std::size_t>(i)].path);
        std::unique_ptr<Module> module(factory->CreateModule(i));
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(module->getClassName(), kRows[static_cast<std::size_t>(i)].className);
    }
    for (int index : {-1, factory->GetModuleCount(), 1000}) {
        EXPECT_EQ(factory->CreateModule(index), nullptr);
        EXPECT_EQ(factory->GetModuleName(index), "");
    }
    // Only the factory is exported.
    EXPECT_EQ(dlsym(quorvel->handle, "_ZN13LEDModuleBaseC2ERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE"),
              nullptr);

    {
        CVelmontDoc doc;
        doc.SetModuleLibraries(&libraries);
        doc.BuildModuleTree();
        for (int i = 0; i < factory->GetModuleCount(); ++i) {
            const Row& row = kRows[static_cast<std::size_t>(i)];
            SCOPED_TRACE(row.path);
            Module* module = doc.GetModuleTree()->GetInserter(ns_tree::NormalizePath(row.path));
            ASSERT_NE(module, nullptr);
            EXPECT_EQ(module->getClassName(), row.className);
            const CRuntimeClass* record = CRuntimeClass::FromName(row.formName.c_str());
            ASSERT_NE(record, nullptr);
            EXPECT_EQ(module->GetEditorClass(), record);
            std::unique_ptr<QWidget> form(record->CreateObject(nullptr));
            auto* editor = dynamic_cast<CModuleEditor*>(form.get());
            ASSERT_NE(editor, nullptr);
            editor->SetModule(module);
            editor->InitModuleEditor();
            editor->UpdateData(false);
            EXPECT_TRUE(editor->UpdateData(true));
        }

        // An LED list imported into the data edit module survives saving and reopening the
        // project, which creates the modules afresh.
        const auto editRow = std::find_if(kRows.begin(), kRows.end(),
                                          [](const Row& row) { return row.className == "LED_DataEdit"; });
        ASSERT_NE(editRow, kRows.end());
        const std::string editPath = ns_tree::NormalizePath(editRow->path);
        Module* edit = doc.GetModuleTree()->GetInserter(editPath);
        ASSERT_NE(edit, nullptr);
        const char* leds[][3] = {{"Rot", "0.63", "0.02"}, {"Gruen", "0.53", "0.03"}, {"Blau", "0.465", "0.025"}};
        for (const auto& led : leds) {
            auto* object = new ClipboardObject;
            object->SetName(std::string("LEDs:") + led[0]);
            object->GetParameters().addStringParameter("Name", "", led[0], "");
            object->GetParameters().addStringParameter("PeakWavelength", "", led[1], "");
            object->GetParameters().addStringParameter("FWHM", "", led[2], "");
            object->GetParameters().addStringParameter("SpectralModel", "", "GaussianLEDModel", "");
            ASSERT_TRUE(doc.GetClipboardTree()->AddInserter(object));
        }
        edit->getParameters().setStringParameter("LEDsDesc", "LEDs");
        EXPECT_EQ(edit->RunAutomation("import"), std::optional<bool>(true));
        edit->getParameters().setStringParameter("ClipboardTargetGroup", "Export");
        EXPECT_EQ(edit->RunAutomation("export"), std::optional<bool>(true));
        doc.m_lastModule = editPath;
        test_support::TempDir dir;
        const std::string project = dir.file("led.pxml");
        ASSERT_TRUE(doc.OnSaveDocument(QString::fromStdString(project)));
        if (const char* keep = std::getenv("QUORVEL_KEEP_PROJECT")) // for screenshots of the program
            std::filesystem::copy_file(project, keep, std::filesystem::copy_options::overwrite_existing);
        edit->getParameters().setStringParameter("LEDsDesc", "verstellt");
        ASSERT_TRUE(doc.OnOpenDocument(QString::fromStdString(project)));
        Module* reopened = doc.GetModuleTree()->GetInserter(editPath);
        ASSERT_NE(reopened, nullptr);
        EXPECT_EQ(*reopened->getParameters().getStringParameter("LEDsDesc"), "LEDs");
        // The list is the module's: export it again under another group and compare.
        doc.GetClipboardTree()->DeleteInserters("Export");
        EXPECT_EQ(reopened->RunAutomation("export"), std::optional<bool>(true));
        std::vector<std::string> names;
        for (ClipboardObject* object : doc.GetClipboardTree()->GetInserters("Export", false)) {
            names.push_back(object->GetName());
            EXPECT_EQ(object->GetParameters().getParameter("SpectralModel")->getValueText('.'), "GaussianLEDModel");
        }
        EXPECT_EQ(names, (std::vector<std::string>{"Export:Rot", "Export:Gruen", "Export:Blau"}));
    }
    FreeModuleLibraries(libraries);
    EXPECT_EQ(CRuntimeClass::FromName("CLEDDataEditForm"), nullptr);
}

} // namespace
