// Frees held for a running operation: what the trees replace or delete leaves them at once, with
// the events of an unheld tree, and is freed when the last hold ends.
#include "core/tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using ns_tree::Inserter;
using PlainTree = ns_tree::Tree<Inserter, ns_tree::TreeData<Inserter>>;
using Node = PlainTree::TreeNode;

class Counted : public Inserter {
public:
    Counted(const std::string& name, std::map<std::string, int>& deleted) : m_deleted(deleted)
    {
        SetName(name);
        value = name;
    }
    ~Counted() override { ++m_deleted[value]; }

    std::string value; // read after the object left its tree
private:
    std::map<std::string, int>& m_deleted;
};

class Events : public PlainTree::EventHandler {
public:
    void OnInsertNode(Node* node, Node*) override { log.push_back("+" + node->GetPath()); }
    void OnDeleteNode(Node* node) override { log.push_back("-" + node->GetPath()); }
    void OnUpdateNode(Node* node) override { log.push_back("~" + node->GetPath()); }
    std::vector<std::string> log;
};

std::vector<std::string> Names(PlainTree& tree)
{
    std::vector<std::string> names;
    for (const Inserter* o : tree.GetInserters())
        names.push_back(o->GetName());
    return names;
}

TEST(FreeHold, ReplacedAndDeletedObjectsLeaveAtOnceAndAreFreedAfterTheRun)
{
    struct Step {
        const char* what;
        std::function<void(PlainTree&, std::map<std::string, int>&)> change;
        std::vector<std::string> gone; // the objects the change takes out of the tree
    };
    const Step steps[] = {
        {"replaced by an object of the same name",
         [](PlainTree& t, auto& d) { ASSERT_TRUE(t.AddInserter(new Counted("G:a", d))); }, {"G:a"}},
        {"replaced as an object higher up the path",
         [](PlainTree& t, auto& d) { ASSERT_TRUE(t.AddInserter(new Counted("H:x", d))); }, {"H"}},
        {"a whole group replaced", [](PlainTree& t, auto& d) { ASSERT_TRUE(t.AddInserter(new Counted("G", d))); },
         {"G:a", "G:b"}},
        {"deleted by name", [](PlainTree& t, auto&) { t.DeleteInserters("G:b;H"); }, {"G:b", "H"}},
        {"deleted as marked",
         [](PlainTree& t, auto&) {
             t.GetInserter("G:a")->SetMarked(true);
             t.DeleteMarkedInserters();
         },
         {"G:a"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        // The same change on a tree without a hold gives the events and contents to expect.
        std::map<std::string, int> plainDeleted, heldDeleted;
        Events plainEvents, heldEvents;
        PlainTree plain, held;
        plain.SetEventHandler(&plainEvents);
        held.SetEventHandler(&heldEvents);
        std::map<std::string, Counted*> standing;
        for (const char* name : {"G:a", "G:b", "H"}) {
            ASSERT_TRUE(plain.AddInserter(new Counted(name, plainDeleted)));
            auto* object = new Counted(name, heldDeleted);
            ASSERT_TRUE(held.AddInserter(object));
            standing[name] = object;
        }
        step.change(plain, plainDeleted);
        {
            std::optional<ns_tree::FreeHold> outer(std::in_place);
            {
                const ns_tree::FreeHold inner;
                EXPECT_TRUE(ns_tree::AreFreesHeld());
                step.change(held, heldDeleted);
            }
            EXPECT_EQ(heldEvents.log, plainEvents.log);
            EXPECT_EQ(Names(held), Names(plain));
            for (const std::string& name : step.gone) {
                // Out of the tree, still readable, refused by every tree until the run ends.
                EXPECT_NE(held.GetInserter(name), standing[name]);
                EXPECT_EQ(heldDeleted[name], 0) << name;
                EXPECT_EQ(standing[name]->value, name);
                EXPECT_FALSE(held.AddInserter(standing[name]));
                PlainTree other;
                EXPECT_FALSE(other.AddInserter(standing[name]));
            }
            outer.reset();
            EXPECT_FALSE(ns_tree::AreFreesHeld());
            for (const std::string& name : step.gone)
                EXPECT_EQ(heldDeleted[name], 1) << name;
        }
        EXPECT_EQ(heldDeleted, plainDeleted);
    }
}

// A run started by name frees what it replaced when it ends, inside a longer calculation; what
// the calculation replaced before stays until its own end.
TEST(FreeHold, AnOwnHoldFreesItsObjectsAtItsEnd)
{
    std::map<std::string, int> deleted;
    PlainTree tree;
    for (const char* name : {"G:a", "G:b"})
        ASSERT_TRUE(tree.AddInserter(new Counted(name, deleted)));
    Counted* first = static_cast<Counted*>(tree.GetInserter("G:a"));
    {
        const ns_tree::FreeHold calculation;
        tree.DeleteInserters("G:a");
        {
            const ns_tree::FreeHold run(ns_tree::FreeHold::Scope::Own);
            {
                const ns_tree::FreeHold inner;
                tree.DeleteInserters("G:b");
            }
            EXPECT_EQ(deleted["G:b"], 0);
        }
        EXPECT_EQ(deleted["G:b"], 1);
        EXPECT_EQ(deleted["G:a"], 0);
        EXPECT_EQ(first->value, "G:a");
    }
    EXPECT_EQ(deleted["G:a"], 1);
}

TEST(FreeHold, ClearingATreeFreesAtOnce)
{
    std::map<std::string, int> deleted;
    PlainTree tree;
    ASSERT_TRUE(tree.AddInserter(new Counted("G:a", deleted)));
    const ns_tree::FreeHold hold;
    tree.ClearTree();
    EXPECT_EQ(deleted["G:a"], 1);
}

} // namespace
