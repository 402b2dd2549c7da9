#include "core/module.h"

#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// A module with the given operations ("fail" fails, every other succeeds) and int parameters.
class ConfigurableModule : public Module {
public:
    ConfigurableModule(std::vector<std::string> operations, const std::vector<std::string>& parameters)
        : Module("Test_Configurable")
        , m_operations(std::move(operations))
    {
        for (const std::string& name : parameters)
            getParameters().addIntParameter(name, "Kommentar", 1, 0, 10, 1);
    }

    const CRuntimeClass* GetEditorClass() override { return nullptr; }

    std::vector<SAutomationPtrList> GetAutomationPtr() override
    {
        using F = SAutomationPtrList::Function;
        std::vector<SAutomationPtrList> list;
        for (const std::string& name : m_operations)
            list.emplace_back(name, name == "fail" ? static_cast<F>(&ConfigurableModule::Fail)
                                                   : static_cast<F>(&ConfigurableModule::Succeed));
        return list;
    }

    int runs = 0;

private:
    bool Succeed()
    {
        ++runs;
        return true;
    }
    bool Fail()
    {
        ++runs;
        return false;
    }

    std::vector<std::string> m_operations;
};

ConfigurableModule* MakeModule(const std::string& name, std::vector<std::string> operations,
                               const std::vector<std::string>& parameters)
{
    auto* module = new ConfigurableModule(std::move(operations), parameters);
    module->SetName(name);
    return module;
}

class EventRecorder : public ModuleTree::EventHandler {
public:
    void OnInsertNode(ModuleTree::TreeNode* node, ModuleTree::TreeNode*) override
    {
        events.push_back("insert " + node->GetPath());
    }
    void OnDeleteNode(ModuleTree::TreeNode* node) override { events.push_back("delete " + node->GetPath()); }
    void OnUpdateNode(ModuleTree::TreeNode* node) override { events.push_back("update " + node->GetPath()); }

    std::vector<std::string> events;
};

struct Child {
    std::string name;
    int kind;
    bool operator==(const Child&) const = default;
};

std::vector<Child> ChildrenOf(ModuleTree::TreeNode* node, const Module* owner)
{
    std::vector<Child> children;
    for (ModuleTree::TreeNode* child : node->GetChildren()) {
        EXPECT_EQ(child->GetData()->GetObject(), owner) << child->GetName();
        children.push_back({child->GetName(), child->GetData()->GetKind()});
    }
    return children;
}

} // namespace

TEST(Module, StartsWithoutTreeNameHostOrOperations)
{
    ConfigurableModule module({}, {});
    EXPECT_EQ(module.GetName(), "");
    EXPECT_EQ(module.GetModuleInterface(), nullptr);
    EXPECT_TRUE(module.Module::GetAutomationPtr().empty());
}

// Operations first, then parameters in the container's (name) order; children come without
// events, the module's own node gets OnUpdateNode.
TEST(Module, InsertAddsOperationAndParameterNodesWithoutEvents)
{
    ModuleTree tree;
    EventRecorder recorder;
    tree.SetEventHandler(&recorder);
    ConfigurableModule* module = MakeModule("Lade|mo|dul:Text", {"load"}, {"PreName", "FileName"});
    ASSERT_TRUE(tree.AddInserter(module));

    ModuleTree::TreeNode* node = tree.GetNodeByName("Lade|mo|dul:Text", false, false);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetName(), "Text");
    EXPECT_EQ(node->GetData()->GetObject(), module);
    EXPECT_EQ(node->GetData()->GetKind(), ModuleTreeData::kModule);
    EXPECT_EQ(ChildrenOf(node, module),
              (std::vector<Child>{{"load", ModuleTreeData::kFunction},
                                  {"FileName", ModuleTreeData::kParameter},
                                  {"PreName", ModuleTreeData::kParameter}}));
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"insert Lade|mo|dul", "insert Lade|mo|dul:Text",
                                                         "update Lade|mo|dul:Text"}));
    tree.SetEventHandler(nullptr);
}

TEST(Module, InsertKeepsTheFirstOfEqualChildNames)
{
    struct Row {
        const char* name;
        std::vector<std::string> operations;
        std::vector<std::string> parameters;
        std::vector<Child> children;
    };
    const Row rows[] = {
        {"nothing", {}, {}, {}},
        {"operation and parameter alike",
         {"Gain", "load"},
         {"Offset", "Gain"},
         {{"Gain", ModuleTreeData::kFunction}, {"load", ModuleTreeData::kFunction}, {"Offset", ModuleTreeData::kParameter}}},
        {"two equal operations", {"load", "load", "save"}, {}, {{"load", ModuleTreeData::kFunction}, {"save", ModuleTreeData::kFunction}}},
        {"letter case differs", {"Load"}, {"load"}, {{"Load", ModuleTreeData::kFunction}, {"load", ModuleTreeData::kParameter}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModuleTree tree;
        ConfigurableModule* module = MakeModule("M", row.operations, row.parameters);
        ASSERT_TRUE(tree.AddInserter(module));
        EXPECT_EQ(ChildrenOf(tree.GetNodeByName("M", false, false), module), row.children);
    }
}

// The parameter and operation nodes point to the module too: lookups, renames and deletes
// of whole modules and groups still see each module once.
TEST(Module, TreeOperationsSeeEachModuleOnce)
{
    ModuleTree tree;
    ConfigurableModule* first = MakeModule("Gruppe:Eins", {"load"}, {"A", "B"});
    ConfigurableModule* second = MakeModule("Gruppe:Zwei", {}, {"C"});
    ASSERT_TRUE(tree.AddInserter(first));
    ASSERT_TRUE(tree.AddInserter(second));

    EXPECT_EQ(tree.GetInserters("Gruppe", false), (std::list<Module*>{first, second}));

    ASSERT_TRUE(tree.RenameNode(tree.GetNodeByName("Gruppe", false, false), "Neu"));
    EXPECT_EQ(first->GetName(), "Neu:Eins");
    EXPECT_EQ(second->GetName(), "Neu:Zwei");

    tree.DeleteInserters("Neu:Eins");
    EXPECT_EQ(tree.GetInserters(), (std::list<Module*>{second}));
    EXPECT_EQ(tree.GetNodeByName("Neu:Eins", false, false), nullptr);
    ASSERT_NE(tree.GetNodeByName("Neu:Zwei:C", false, false), nullptr);

    tree.ClearTree();
    EXPECT_TRUE(tree.GetInserters().empty());
}

TEST(Module, NamedOperationsRunByExactName)
{
    ConfigurableModule module({"load", "fail"}, {});
    struct Row {
        const char* command;
        std::optional<bool> result;
        int runs;
    };
    const Row rows[] = {{"load", true, 1}, {"fail", false, 2}, {"Load", std::nullopt, 2}, {"load ", std::nullopt, 2},
                        {"", std::nullopt, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(module.RunAutomation(row.command), row.result);
        EXPECT_EQ(module.runs, row.runs);
    }
}

TEST(Module, CopyTakesNameParametersAndHost)
{
    RecordingHost host;
    ConfigurableModule original({}, {"Gain"});
    original.SetName("A:B");
    original.SetModuleInterface(&host);
    original.getParameters().setIntParameter("Gain", 7);

    ConfigurableModule copy(original);
    EXPECT_EQ(copy.GetName(), "A:B");
    EXPECT_EQ(copy.GetModuleInterface(), &host);
    EXPECT_EQ(*copy.getParameters().getIntParameter("Gain"), 7);
    copy.getParameters().setIntParameter("Gain", 3);
    EXPECT_EQ(*original.getParameters().getIntParameter("Gain"), 7);
}
