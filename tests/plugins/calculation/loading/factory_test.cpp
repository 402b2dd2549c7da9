// bin/Tessarine.so loaded with dlopen and its one export, as the program loads plug-ins.
#include "core/module.h"
#include "core/module_editor.h"
#include "core/plugin_entry.h"
#include "platform/runtime_class.h"

#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

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

// The rows built so far: path and the module's type name.
const std::vector<std::pair<std::string, std::string>> kPresent = {
    {kAllPaths[1], "NormalizeModule"},
    {kAllPaths[3], "Calculation_PlanckianSource"},
};

TEST(TessarineFactory, LoadsAndOffersItsModulesInTableOrder)
{
    ASSERT_EQ(CRuntimeClass::FromName("CNormalizeForm"), nullptr);
    void* library = dlopen(TESSARINE_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getFactory = reinterpret_cast<GetModuleFactoryFn>(dlsym(library, kGetModuleFactoryName));
    ASSERT_NE(getFactory, nullptr);
    ModuleFactory* factory = getFactory();
    ASSERT_NE(factory, nullptr);
    {
        ASSERT_EQ(factory->GetModuleCount(), static_cast<int>(kPresent.size()));
        std::size_t next = 0; // rows keep the order of the full table
        for (int i = 0; i < factory->GetModuleCount(); ++i) {
            const std::string path = factory->GetModuleName(i);
            EXPECT_EQ(path, kPresent[static_cast<std::size_t>(i)].first);
            while (next < kAllPaths.size() && kAllPaths[next] != path)
                ++next;
            EXPECT_LT(next, kAllPaths.size()) << path << " is not in the table or out of order";
            ++next;

            std::unique_ptr<Module> a(factory->CreateModule(i));
            std::unique_ptr<Module> b(factory->CreateModule(i));
            ASSERT_TRUE(a && b);
            EXPECT_NE(a.get(), b.get());
            EXPECT_EQ(a->getClassName(), kPresent[static_cast<std::size_t>(i)].second);
            // Independent: a change of one leaves the other.
            a->getParameters().setDoubleParameter("XStart", 123.5);
            EXPECT_NE(*b->getParameters().getDoubleParameter("XStart"), 123.5);
        }
        for (int index : {-1, factory->GetModuleCount(), 1000}) {
            EXPECT_EQ(factory->CreateModule(index), nullptr);
            EXPECT_EQ(factory->GetModuleName(index), "");
        }

        // The modules in a module tree, with their forms created from the records the
        // plug-in registered when it was loaded.
        RecordingHost host;
        ASSERT_EQ(host.AddModules(*factory), factory->GetModuleCount());
        for (const char* formName : {"CNormalizeForm", "CPlanckianSourceForm"}) {
            const CRuntimeClass* record = CRuntimeClass::FromName(formName);
            ASSERT_NE(record, nullptr) << formName;
            EXPECT_TRUE(record->IsDerivedFrom(RUNTIME_CLASS(CModuleEditor)));
        }
        for (Module* module : host.modules.GetInserters()) {
            SCOPED_TRACE(module->GetName());
            std::unique_ptr<QWidget> form(module->GetEditorClass()->CreateObject(nullptr));
            auto* editor = dynamic_cast<CModuleEditor*>(form.get());
            ASSERT_NE(editor, nullptr);
            editor->SetModule(module);
            editor->InitModuleEditor();
            editor->UpdateData(false);
            EXPECT_TRUE(editor->UpdateData(true));
        }
    }
    EXPECT_EQ(dlclose(library), 0);
    EXPECT_EQ(CRuntimeClass::FromName("CNormalizeForm"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CPlanckianSourceForm"), nullptr);
    EXPECT_EQ(dlopen(TESSARINE_PLUGIN, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the plug-in stayed loaded";
}

} // namespace
