// The test plug-in, loaded as the program loads plug-ins: its modules, form, drop field and
// exceptions must work across the library boundary, and it must export nothing but its entry.
#include "core/module.h"
#include "core/module_editor.h"
#include "core/plugin_entry.h"
#include "core/selection_edit.h"

#include "support/fake_prompter.h"
#include "support/recording_host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <typeinfo>

namespace {

struct Child {
    std::string name;
    int kind;
    bool operator==(const Child&) const = default;
};

std::vector<Child> ChildrenOf(ModuleTree& tree, const std::string& path)
{
    std::vector<Child> children;
    if (ModuleTree::TreeNode* node = tree.GetNodeByName(path, false, false))
        for (ModuleTree::TreeNode* child : node->GetChildren())
            children.push_back({child->GetName(), child->GetData()->GetKind()});
    return children;
}

template <typename T>
T* FindField(QWidget* form, const char* name)
{
    auto* field = form->findChild<T*>(name);
    EXPECT_NE(field, nullptr) << name;
    return field;
}

} // namespace

TEST(PluginAbi, LoadsWithoutEntryPointAreRefused)
{
    // The test executable itself has no GetModuleFactory.
    void* self = dlopen(nullptr, RTLD_NOW);
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(dlsym(self, kGetModuleFactoryName), nullptr);
    dlclose(self);
}

TEST(PluginAbi, ModulesFormsAndExceptionsCrossThePluginBoundary)
{
    void* library = dlopen(ORVANTA_TEST_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getFactory = reinterpret_cast<GetModuleFactoryFn>(dlsym(library, kGetModuleFactoryName));
    ASSERT_NE(getFactory, nullptr);
    ModuleFactory* factory = getFactory();
    ASSERT_NE(factory, nullptr);

    {
        ASSERT_EQ(factory->GetModuleCount(), 2);
        EXPECT_EQ(factory->CreateModule(-1), nullptr);
        EXPECT_EQ(factory->CreateModule(2), nullptr);
        EXPECT_EQ(factory->GetModuleName(0), "Test|plug|in:Quel|le");

        RecordingHost host;
        FakePrompter prompter;
        ASSERT_EQ(host.AddModules(*factory), 2);
        Module* source = host.modules.GetInserterByName("Test|plug|in:Quel|le");
        Module* sink = host.modules.GetInserterByName("Testplugin:Senke");
        ASSERT_NE(source, nullptr);
        ASSERT_NE(sink, nullptr);
        EXPECT_EQ(source->GetModuleInterface(), &host);
        EXPECT_EQ(ChildrenOf(host.modules, "Test|plug|in:Quel|le"),
                  (std::vector<Child>{{"load", ModuleTreeData::kFunction},
                                      {"fail", ModuleTreeData::kFunction},
                                      {"throw", ModuleTreeData::kFunction},
                                      {"Count", ModuleTreeData::kParameter},
                                      {"Enabled", ModuleTreeData::kParameter},
                                      {"Factor", ModuleTreeData::kParameter},
                                      {"Mode", ModuleTreeData::kParameter},
                                      {"SpecDesc", ModuleTreeData::kParameter}}));
        EXPECT_EQ(ChildrenOf(host.modules, "Testplugin:Senke"),
                  (std::vector<Child>{{"SpecGroup", ModuleTreeData::kParameter}}));

        // Named operations, with a log line formatted in the host.
        EXPECT_EQ(source->RunAutomation("load"), true);
        EXPECT_EQ(source->RunAutomation("fail"), false);
        ASSERT_EQ(host.log.size(), 1u);
        EXPECT_EQ(host.log[0].text, "Hinweis: Test|plug|in:Quel|le geladen (100%)");
        EXPECT_EQ(host.log[0].colour, 0x007000u);
        // An exception of the parameter library, thrown inside the plug-in, caught by type.
        EXPECT_THROW(source->RunAutomation("throw"), ns_param::ParamoraException);

        // The form from its record, bound to the module.
        const CRuntimeClass* formClass = source->GetEditorClass();
        ASSERT_NE(formClass, nullptr);
        EXPECT_TRUE(formClass->IsDerivedFrom(RUNTIME_CLASS(CModuleEditor)));
        EXPECT_EQ(CRuntimeClass::FromName(formClass->m_lpszClassName), formClass);
        QWidget pane;
        QWidget* widget = formClass->CreateObject(&pane);
        auto* form = dynamic_cast<CModuleEditor*>(widget);
        ASSERT_NE(form, nullptr);
        pane.show();
        form->SetModule(source);
        form->InitModuleEditor();
        form->UpdateData(false);
        auto* count = FindField<QLineEdit>(form, "Count");
        auto* mode = FindField<QComboBox>(form, "Mode");
        auto* enabled = FindField<QCheckBox>(form, "Enabled");
        ASSERT_TRUE(count && mode && enabled);
        EXPECT_EQ(count->text(), QString("5"));
        EXPECT_EQ(mode->count(), 3);
        EXPECT_EQ(mode->itemText(2), QString("Akima"));
        EXPECT_TRUE(enabled->isChecked());

        // Edits written back; a bad number refused with a German message.
        count->setText("42");
        mode->setCurrentIndex(2);
        enabled->setChecked(false);
        EXPECT_TRUE(form->UpdateData(true));
        ns_param::Paramora& p = source->getParameters();
        EXPECT_EQ(*p.getIntParameter("Count"), 42);
        EXPECT_EQ(p.getEnumParameter("Mode")->getIndex(), 2);
        EXPECT_FALSE(*p.getBoolParameter("Enabled"));
        count->setText("1,5");
        EXPECT_FALSE(form->UpdateData(true));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, QString("Bitte geben Sie eine ganze Zahl ein."));
        EXPECT_EQ(*p.getIntParameter("Count"), 42);
        count->setText("42");

        // A drop on the form's field, reached as a drop target from a plain widget pointer.
        QWidget* fieldWidget = FindField<QLineEdit>(form, "SpecDesc");
        auto* target = dynamic_cast<ModuleDropTarget*>(fieldWidget);
        ASSERT_NE(target, nullptr);
        EXPECT_NE(dynamic_cast<CSelectionEdit*>(fieldWidget), nullptr);
        EXPECT_TRUE(target->CanDropSpecs());
        EXPECT_FALSE(target->CanDropClipboardObjects());
        const std::string selection(100000, 'S');
        target->OnDropSpecs(selection);
        EXPECT_EQ(*p.getStringParameter("SpecDesc"), selection);

        // Only the entry point is exported: the plug-in's own classes stay inside it, while
        // the bases they derive from come from the shared library.
        const std::string formType = typeid(*form).name();
        EXPECT_EQ(dlsym(library, ("_ZTI" + formType).c_str()), nullptr);
        EXPECT_EQ(dlsym(library, ("_ZTV" + formType).c_str()), nullptr);
        EXPECT_NE(dlsym(RTLD_DEFAULT, ("_ZTI" + std::string(typeid(CModuleEditor).name())).c_str()), nullptr);

        // Everything of the plug-in goes before it is closed.
        delete widget;
        host.modules.ClearTree();
    }

    ASSERT_EQ(dlclose(library), 0);
    // A library that really left memory took its form records along.
    if (void* still = dlopen(ORVANTA_TEST_PLUGIN, RTLD_NOW | RTLD_NOLOAD))
        dlclose(still);
    else
        EXPECT_EQ(CRuntimeClass::FromName("CTestPluginForm"), nullptr);
}
