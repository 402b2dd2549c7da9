// bin/Quorvel.so loaded by the program's loader: its table, its modules in the document's
// module tree, their forms, and a project with the LED data edit module saved and reopened.
#include "app/module_loader.h"
#include "app/velmont_doc.h"
#include "core/module.h"
#include "core/module_editor.h"
#include "core/plugin_entry.h"
#include "platform/runtime_class.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
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
    }
    FreeModuleLibraries(libraries);
    EXPECT_EQ(CRuntimeClass::FromName("CLEDDataEditForm"), nullptr);
}

} // namespace
