// bin/Tessarine.so loaded by the program's loader from the program's folder, its modules in the
// document's module tree and their forms made from the records the plug-in registered.
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

// Every menu path of the plug-in's table, byte for byte, in table order. Later modules take
// their places between the ones present now.
const std::vector<std::string> kAllPaths = {
    "Spek|tren-|Attri|bu|tier|ung:Spek|tren nach Na|men|vor|lage neu ein|faer|ben",
    "Spek|tren-|Arith|me|tik:Norma|li|sie|ren/Modi|fi|zie|ren",
    "Spek|tren-|Arith|me|tik:Spek|tren fil|tern",
    "Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Planck-|Ver|tei|lung be|rech|nen",
    "Spek|tren-|Arith|me|tik:Spek|tra|le Punkt|ver|knuep|fung an|wen|den",
    "Spek|tren-|Arith|me|tik:Al|ge|brai|sche Spek|tren|aus|wahl durch|fu|ehren",
    "Spek|tren-|Arith|me|tik:Su|per|re|so|lu|tion:Spek|tra|le Ka|li|brie|rung durch|fueh|ren",
    "Spek|tren-|Arith|me|tik:Su|per|re|so|lu|tion:Spek|tra|le Ka|li|brie|rung tes|ten",
    "Mul|ti|spek|tra|le Sen|so|ren:Spek|tral-|tech|no|lo|gi|sche Sen|sor|kon|fi|gu|ra|tion be|stim|men",
    "Mul|ti|spek|tra|le Sen|so|ren:Spek|tral-|al|ge|brai|sche Sen|sor|kon|fi|gu|ra|tion be|stim|men",
};

// The rows built so far: path, the module's type name and its form's class.
// probe: a string parameter of the module, to show that two modules are independent.
struct Row {
    std::string path;
    std::string className;
    std::string formName;
    std::string probe;
};
const std::vector<Row> kPresent = {
    {kAllPaths[0], "ColNormalizeModule", "CColNormalizeForm", "RefSpecDesc"},
    {kAllPaths[1], "NormalizeModule", "CNormalizeForm", "TargetGroup"},
    {kAllPaths[2], "SpectralFilterModule", "SpectralFilterForm", "SpecGroup"},
    {kAllPaths[3], "Calculation_PlanckianSource", "CPlanckianSourceForm", "TargetGroup"},
    {kAllPaths[4], "Calculation_RemTransSpec", "CRemTransSpecForm", "LightSpecDesc"},
    {kAllPaths[5], "SVDSelectionModule", "SVDSelectionForm", "SpecDesc"},
    {kAllPaths[6], "CreateInterpolatorModule", "CreateInterpolatorForm", "TargetGroup"},
    {kAllPaths[7], "TestInterpolatorModule", "TestInterpolatorForm", "TargetGroup"},
    {kAllPaths[8], "SpectralIntegralVarModule", "SpectralIntegralVarForm", "SpecDesc"},
    {kAllPaths[9], "SVDSensSelectionModule", "SVDSelectionForm", "SpecDesc"},
};

ModuleFactory* FactoryOf(const ModuleLibrary& library)
{
    auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(library.handle, kGetModuleFactoryName));
    return entry ? entry() : nullptr;
}

void ExpectRowsInTableOrder(ModuleFactory& factory)
{
    ASSERT_EQ(factory.GetModuleCount(), static_cast<int>(kPresent.size()));
    std::size_t next = 0; // rows keep the order of the full table
    for (int i = 0; i < factory.GetModuleCount(); ++i) {
        const Row& row = kPresent[static_cast<std::size_t>(i)];
        const std::string path = factory.GetModuleName(i);
        EXPECT_EQ(path, row.path);
        while (next < kAllPaths.size() && kAllPaths[next] != path)
            ++next;
        EXPECT_LT(next, kAllPaths.size()) << path << " is not in the table or out of order";
        ++next;

        std::unique_ptr<Module> a(factory.CreateModule(i));
        std::unique_ptr<Module> b(factory.CreateModule(i));
        ASSERT_TRUE(a && b);
        EXPECT_NE(a.get(), b.get());
        EXPECT_EQ(a->getClassName(), row.className);
        // Independent: a change of one leaves the other.
        ASSERT_TRUE(a->getParameters().setStringParameter(row.probe, "probe")) << row.probe;
        EXPECT_EQ(*b->getParameters().getStringParameter(row.probe), "");
    }
    for (int index : {-1, factory.GetModuleCount(), 1000}) {
        EXPECT_EQ(factory.CreateModule(index), nullptr);
        EXPECT_EQ(factory.GetModuleName(index), "");
    }
}

TEST(TessarineFactory, TheProgramsLoaderOffersItsModulesAndFormsUntilItUnloads)
{
    ASSERT_EQ(CRuntimeClass::FromName("CNormalizeForm"), nullptr);
    std::vector<ModuleLibrary> libraries = LoadModuleLibraries(QStringLiteral(TESSARINE_PLUGIN_DIR), nullptr, 0);
    const auto tessarine = std::find_if(libraries.begin(), libraries.end(),
                                        [](const ModuleLibrary& library) { return library.name == "Tessarine.so"; });
    ASSERT_NE(tessarine, libraries.end()) << "the loader did not take Tessarine.so";
    ModuleFactory* factory = FactoryOf(*tessarine);
    ASSERT_NE(factory, nullptr);
    ExpectRowsInTableOrder(*factory);

    {
        // The module tree as a new project builds it from every loaded factory.
        CVelmontDoc doc;
        doc.SetModuleLibraries(&libraries);
        doc.BuildModuleTree();
        for (const Row& row : kPresent) {
            SCOPED_TRACE(row.path);
            Module* module = doc.GetModuleTree()->GetInserter(row.path);
            ASSERT_NE(module, nullptr);
            EXPECT_EQ(module->getClassName(), row.className);
            EXPECT_EQ(module->GetModuleInterface(), static_cast<ModuleInterface*>(&doc));

            const CRuntimeClass* record = CRuntimeClass::FromName(row.formName.c_str());
            ASSERT_NE(record, nullptr);
            EXPECT_EQ(module->GetEditorClass(), record);
            EXPECT_TRUE(record->IsDerivedFrom(RUNTIME_CLASS(CModuleEditor)));
            std::unique_ptr<QWidget> form(record->CreateObject(nullptr));
            auto* editor = dynamic_cast<CModuleEditor*>(form.get());
            ASSERT_NE(editor, nullptr);
            editor->SetModule(module);
            editor->InitModuleEditor();
            editor->UpdateData(false);
            EXPECT_TRUE(editor->UpdateData(true));
        }
        // Forms and modules go before the libraries close.
    }
    FreeModuleLibraries(libraries);
    EXPECT_EQ(CRuntimeClass::FromName("CNormalizeForm"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CPlanckianSourceForm"), nullptr);
    EXPECT_EQ(dlopen(TESSARINE_PLUGIN, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the plug-in stayed loaded";
}

} // namespace
