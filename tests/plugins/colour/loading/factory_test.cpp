// bin/Varenth.so loaded by the program's loader, its modules in the document's module tree
// and their forms made from the records the plug-in registered.
#include "app/module_loader.h"
#include "app/velmont_doc.h"
#include "colour/colour_show.h"
#include "core/module.h"
#include "core/module_editor.h"
#include "core/plugin_entry.h"
#include "core/clipboard_object.h"
#include "platform/runtime_class.h"

#include <colordiagram/color_diagram_control.h>

#include <QPushButton>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string path;
    std::string className;
    std::string formName;
};
const std::vector<Row> kRows = {
    {"Farb|me|trik:Farb|werte be|rech|nen", "Color_ColorCalculation", "CColorCalculationForm"},
    {"Farb|me|trik:Farb|orte an|zei|gen", "Color_ShowColors", "CColorShowForm"},
    {"Spek|tren-|Arith|me|tik:In|te|gral|wer|te aus|wer|ten", "Color_IntCalculation", "CColorCalculationForm"},
};

TEST(VarenthFactory, TheProgramsLoaderOffersItsModulesAndFormsUntilItUnloads)
{
    ASSERT_EQ(CRuntimeClass::FromName("CColorShowForm"), nullptr);
    std::vector<ModuleLibrary> libraries = LoadModuleLibraries(QStringLiteral(VARENTH_PLUGIN_DIR), nullptr, 0);
    const auto varenth = std::find_if(libraries.begin(), libraries.end(),
                                      [](const ModuleLibrary& library) { return library.name == "Varenth.so"; });
    ASSERT_NE(varenth, libraries.end()) << "the loader did not take Varenth.so";
    auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(varenth->handle, kGetModuleFactoryName));
    ASSERT_NE(entry, nullptr);
    ModuleFactory& factory = *entry();
    ASSERT_EQ(factory.GetModuleCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(factory.GetModuleName(i), kRows[static_cast<std::size_t>(i)].path);
        std::unique_ptr<Module> module(factory.CreateModule(i));
        ASSERT_NE(module, nullptr);
        // Entry 1 is the display, not the integral values.
        EXPECT_EQ(module->getClassName(), kRows[static_cast<std::size_t>(i)].className);
    }
    for (int index : {-1, 3, 1000}) {
        EXPECT_EQ(factory.CreateModule(index), nullptr);
        EXPECT_EQ(factory.GetModuleName(index), "");
    }

    {
        CVelmontDoc doc;
        doc.SetModuleLibraries(&libraries);
        doc.BuildModuleTree();
        for (const Row& row : kRows) {
            SCOPED_TRACE(row.path);
            Module* module = doc.GetModuleTree()->GetInserter(row.path);
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

        // The display in the real plug-in reads the arrays of a clipboard object.
        auto* object = new ClipboardObject;
        object->SetName("Farben:Probe");
        const double values[3] = {20, 21, 22};
        object->GetParameters().addDouble1DArrayParameter("ClpValues", "", 3, values, 0);
        object->GetParameters().addDouble1DArrayParameter("ClpRefs", "", 3, values, 0);
        ASSERT_TRUE(doc.GetClipboardTree()->AddInserter(object));
        Module* show = doc.GetModuleTree()->GetInserter(kRows[1].path);
        show->getParameters().setStringParameter("ColorDesc", "Farben");
        std::unique_ptr<QWidget> form(CRuntimeClass::FromName("CColorShowForm")->CreateObject(nullptr));
        auto* editor = dynamic_cast<CModuleEditor*>(form.get());
        editor->SetModule(show);
        editor->InitModuleEditor();
        editor->UpdateData(false);
        form->findChild<QPushButton*>(QString::number(CColorShowForm::IDC_APPLY))->click();
        auto* diagram = form->findChild<ColorDiagramControl*>(QString::number(CColorShowForm::IDC_DIAGRAM));
        ASSERT_NE(diagram, nullptr);
        ASSERT_EQ(diagram->Core().Points().size(), 1u);
        EXPECT_EQ(diagram->Core().Points()[0].name, "Probe");
    }
    FreeModuleLibraries(libraries);
    EXPECT_EQ(CRuntimeClass::FromName("CColorShowForm"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CColorCalculationForm"), nullptr);
    EXPECT_EQ(dlopen(VARENTH_PLUGIN, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the plug-in stayed loaded";
}

} // namespace
