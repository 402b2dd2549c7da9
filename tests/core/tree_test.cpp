#include "core/tree.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using ns_tree::Inserter;
using PlainTree = ns_tree::Tree<Inserter, ns_tree::TreeData<Inserter>>;
using Node = PlainTree::TreeNode;

// Counts deletions and detach calls per object id (the name it was made with), so that a
// double delete or a call on a deleted object shows up as a count, or under ASan.
struct Ledger {
    std::map<std::string, int> deleted;
    std::map<std::string, int> detached;
};

class CountingInserter : public Inserter {
public:
    CountingInserter(const std::string& name, Ledger& ledger, const std::string& id = {})
        : m_id(id.empty() ? name : id), m_ledger(ledger)
    {
        SetName(name);
    }
    ~CountingInserter() override { ++m_ledger.deleted[m_id]; }
    void OnDetach(ns_tree::TreeDataBase*) override { ++m_ledger.detached[m_id]; }

private:
    std::string m_id;
    Ledger& m_ledger;
};

// Records every event as text: "+path<prev", "-path", "~path", "?name".
class Recorder : public PlainTree::EventHandler {
public:
    void OnInsertNode(Node* node, Node* previous) override
    {
        log.push_back("+" + node->GetPath() + "<" + (previous ? previous->GetName() : ""));
    }
    void OnDeleteNode(Node* node) override { log.push_back("-" + node->GetPath()); }
    void OnUpdateNode(Node* node) override { log.push_back("~" + node->GetPath()); }
    bool CanReplace(Inserter* object) override
    {
        log.push_back("?" + object->GetName());
        return allowReplace;
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    std::vector<std::string> log;
    bool allowReplace = true;
};

using Log = std::vector<std::string>;

class TreeTest : public ::testing::Test {
protected:
    TreeTest() { tree->SetEventHandler(&rec); }

    CountingInserter* Make(const std::string& name, const std::string& id = {})
    {
        return new CountingInserter(name, ledger, id);
    }
    // Adds objects without recording their events.
    void Fill(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            ASSERT_TRUE(tree->AddInserter(Make(name))) << name;
        rec.Take();
    }
    std::vector<std::string> Names(const std::list<Inserter*>& objects)
    {
        std::vector<std::string> names;
        for (const Inserter* o : objects)
            names.push_back(o->GetName());
        return names;
    }
    std::vector<std::string> ChildNames(Node* node)
    {
        std::vector<std::string> names;
        for (const Node* child : node->GetChildren())
            names.push_back(child->GetName());
        return names;
    }
    // Destroys the tree; afterwards every object made must have been deleted exactly once.
    void ExpectAllDeletedOnce(const std::vector<std::string>& ids)
    {
        tree.reset();
        for (const auto& id : ids)
            EXPECT_EQ(ledger.deleted[id], 1) << id;
        for (const auto& [id, count] : ledger.deleted)
            EXPECT_EQ(count, 1) << id;
    }

    Ledger ledger;
    Recorder rec;
    std::unique_ptr<PlainTree> tree = std::make_unique<PlainTree>();
};

TEST_F(TreeTest, AddCreatesGroupsParentsFirstThenReportsTheObject)
{
    auto* c = Make("A:B:C");
    ASSERT_TRUE(tree->AddInserter(c));
    EXPECT_EQ(rec.Take(), (Log{"+A<", "+A:B<", "+A:B:C<", "~A:B:C"}));
    EXPECT_EQ(tree->GetInserterByName("A:B:C"), c);
    EXPECT_EQ(tree->GetInserterByName("A:B"), nullptr);
    EXPECT_NE(tree->GetNodeByName("A:B", false, false), nullptr);
    EXPECT_EQ(tree->GetNodeByName("A:B:C", false, true)->GetData()->GetObject(), c);

    // A second object in the same group creates only its own node, appended last.
    auto* d = Make("A:B:D");
    ASSERT_TRUE(tree->AddInserter(d));
    EXPECT_EQ(rec.Take(), (Log{"+A:B:D<", "~A:B:D"}));
    EXPECT_EQ(ChildNames(tree->GetNodeByName("A:B", false, false)), (std::vector<std::string>{"C", "D"}));
    EXPECT_EQ(tree->GetInserters().size(), 2u);
    ExpectAllDeletedOnce({"A:B:C", "A:B:D"});
}

TEST_F(TreeTest, SameNameReplacesWhenAllowedAndNotWhenRefused)
{
    Fill({"A:B:C"});
    auto* second = Make("A:B:C", "second");
    ASSERT_TRUE(tree->AddInserter(second));
    // The old node goes with the groups that became empty, then the path is built again.
    EXPECT_EQ(rec.Take(), (Log{"?A:B:C", "-A:B:C", "-A:B", "-A", "+A<", "+A:B<", "+A:B:C<", "~A:B:C"}));
    EXPECT_EQ(ledger.deleted["A:B:C"], 1);
    EXPECT_EQ(ledger.detached["A:B:C"], 1);
    EXPECT_EQ(tree->GetInserterByName("A:B:C"), second);
    EXPECT_EQ(tree->GetInserters().size(), 1u);

    rec.allowReplace = false;
    Ledger callerLedger;
    auto refused = std::make_unique<CountingInserter>("A:B:C", callerLedger);
    EXPECT_FALSE(tree->AddInserter(refused.get()));
    EXPECT_EQ(rec.Take(), (Log{"?A:B:C"}));
    EXPECT_EQ(tree->GetInserterByName("A:B:C"), second);
    EXPECT_EQ(tree->GetInserters().size(), 1u);
    refused.reset();
    EXPECT_EQ(callerLedger.deleted["A:B:C"], 1);
}

TEST_F(TreeTest, WithoutHandlerReplacementIsNeverRefused)
{
    tree->SetEventHandler(nullptr);
    Fill({"A"});
    auto* second = Make("A", "second");
    ASSERT_TRUE(tree->AddInserter(second));
    EXPECT_EQ(tree->GetInserterByName("A"), second);
    EXPECT_EQ(ledger.deleted["A"], 1);
}

TEST_F(TreeTest, ObjectHigherUpThePathIsReplacedButKeptByStrict)
{
    Fill({"A:B"});
    auto* c = Make("A:B:C");
    ASSERT_TRUE(tree->AddInserter(c));
    EXPECT_EQ(rec.Take(), (Log{"?A:B:C", "-A:B", "-A", "+A<", "+A:B<", "+A:B:C<", "~A:B:C"}));
    EXPECT_EQ(ledger.deleted["A:B"], 1);
    EXPECT_EQ(tree->GetInserterByName("A:B"), nullptr);

    Fill({"X:Y"});
    auto* z = Make("X:Y:Z");
    ASSERT_TRUE(tree->AddInserterStrict(z));
    EXPECT_EQ(rec.Take(), (Log{"+X:Y:Z<", "~X:Y:Z"}));
    EXPECT_NE(tree->GetInserterByName("X:Y"), nullptr);
    EXPECT_EQ(tree->GetInserterByName("X:Y:Z"), z);

    // Strict replaces at the exact path only, and never asks.
    rec.allowReplace = false;
    ASSERT_TRUE(tree->AddInserterStrict(Make("X:Y:Z", "X:Y:Z second")));
    EXPECT_EQ(rec.Take(), (Log{"-X:Y:Z", "+X:Y:Z<", "~X:Y:Z"}));
    EXPECT_EQ(ledger.deleted["X:Y:Z"], 1);

    // An object standing below another one is found at its own path when added again.
    Inserter* second = tree->GetInserterByName("X:Y:Z");
    EXPECT_TRUE(tree->AddInserter(second));
    EXPECT_EQ(rec.Take(), (Log{"~X:Y:Z"}));

    // Replacing X:Y deletes the object below it as well, each once.
    rec.allowReplace = true;
    ASSERT_TRUE(tree->AddInserter(Make("X:Y", "X:Y second")));
    EXPECT_EQ(ledger.deleted["X:Y"], 1);
    EXPECT_EQ(ledger.deleted["X:Y:Z second"], 1);
    ExpectAllDeletedOnce({"A:B", "A:B:C", "X:Y", "X:Y:Z", "X:Y:Z second", "X:Y second"});
}

TEST_F(TreeTest, AddingAtAGroupPathDeletesTheWholeGroup)
{
    Fill({"G:x", "G:sub:y", "H"});
    auto* g = Make("G");
    ASSERT_TRUE(tree->AddInserter(g));
    EXPECT_EQ(rec.Take(), (Log{"?G", "-G:x", "-G:sub:y", "-G:sub", "-G", "+G<", "~G"}));
    EXPECT_EQ(ledger.deleted["G:x"], 1);
    EXPECT_EQ(ledger.deleted["G:sub:y"], 1);
    Node* node = tree->GetNodeByName("G", false, false);
    EXPECT_FALSE(node->HasChildren());
    EXPECT_EQ(ChildNames(tree->GetRootNode()), (std::vector<std::string>{"H", "G"}));
    ExpectAllDeletedOnce({"G", "G:x", "G:sub:y", "H"});
}

TEST_F(TreeTest, ReAddingAnOwnedObjectNeverFreesOrDuplicatesIt)
{
    Fill({"A:B", "A:C"});
    Inserter* b = tree->GetInserterByName("A:B");

    // At its own path: kept where it is, only reported as updated.
    EXPECT_TRUE(tree->AddInserter(b));
    EXPECT_TRUE(tree->AddInserterStrict(b));
    EXPECT_EQ(rec.Take(), (Log{"~A:B", "~A:B"}));
    EXPECT_EQ(ledger.deleted["A:B"], 0);
    EXPECT_EQ(tree->GetInserters().size(), 2u);

    // Renamed by a caller, or taken out of the tree's nodes: refused, nothing changes.
    b->SetName("A:C");
    EXPECT_FALSE(tree->AddInserter(b));
    b->SetName("Q");
    EXPECT_FALSE(tree->AddInserter(b));
    b->SetName("A:B");
    const auto removed = tree->GetInserters("A:C", true);
    rec.Take();
    EXPECT_FALSE(tree->AddInserter(removed.front()));
    EXPECT_EQ(rec.Take(), Log{});
    EXPECT_EQ(tree->GetInserters().size(), 2u);

    // Another tree does not take an object this one owns.
    PlainTree other;
    EXPECT_FALSE(other.AddInserter(b));
    ExpectAllDeletedOnce({"A:B", "A:C"});
}

TEST_F(TreeTest, PathsWithEmptyLevelsResolveToNothing)
{
    Fill({"A:B"});
    for (const char* bad : {":A", "A:", "::A", "A::B", ":A:B", "A:B:", "", ":"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(tree->GetNodeByName(bad, false, false), nullptr);
        EXPECT_EQ(tree->GetNodeByName(bad, true, false), nullptr);
        EXPECT_TRUE(tree->GetInserters(bad, false).empty());
        auto object = std::make_unique<CountingInserter>(bad, ledger);
        EXPECT_FALSE(tree->AddInserter(object.get()));
        EXPECT_FALSE(tree->AddInserterStrict(object.get()));
        tree->DeleteInserters(bad);
    }
    EXPECT_EQ(rec.Take(), Log{});
    EXPECT_EQ(ledger.deleted["A:B"], 0);
    EXPECT_NE(tree->GetInserterByName("A:B"), nullptr);
}

TEST_F(TreeTest, GetInsertersFollowsTheSelectionList)
{
    Fill({"A:B:1", "A:2", "A:B:3", "C:4", "*:5"});
    struct Row {
        const char* names;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"A;X:Y", {"A:B:1", "A:B:3", "A:2"}},
        {"", {}},
        {";", {}},
        {"C:4;A:2", {"C:4", "A:2"}},
        {"A:B;A", {"A:B:1", "A:B:3", "A:B:1", "A:B:3", "A:2"}},
        {"A:B:*;C:*", {"A:B:1", "A:B:3", "C:4"}},  // a selected group as the views write it
        {"*", {"*:5"}},                            // a node named "*" is found as itself
        {"*:*;*:5", {"*:5", "*:5"}},
        {"A:B:1:*", {"A:B:1"}},
        {"a", {}},  // names compare case-sensitively
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.names);
        EXPECT_EQ(Names(tree->GetInserters(row.names, false)), row.expected);
    }
    EXPECT_EQ(rec.Take(), Log{});
    EXPECT_EQ(tree->GetInserters().size(), 5u);
}

TEST_F(TreeTest, GetInsertersWithRemoveUnlinksNodesButKeepsObjects)
{
    Fill({"A:B:1", "A:B:2", "A:3"});
    const auto taken = tree->GetInserters("A:B;A:3", true);
    EXPECT_EQ(Names(taken), (std::vector<std::string>{"A:B:1", "A:B:2", "A:3"}));
    EXPECT_EQ(rec.Take(), (Log{"-A:B:1", "-A:B:2", "-A:B", "-A:3", "-A"}));
    EXPECT_FALSE(tree->GetRootNode()->HasChildren());
    EXPECT_EQ(ledger.detached["A:3"], 1);
    EXPECT_EQ(ledger.deleted["A:3"], 0);
    EXPECT_EQ(tree->GetInserters().size(), 3u);
    ExpectAllDeletedOnce({"A:B:1", "A:B:2", "A:3"});
}

TEST_F(TreeTest, DeleteInsertersDropsEmptiedGroupsAndDeletesEachObjectOnce)
{
    Fill({"A:B:1", "A:B:2", "A:C:3", "D"});
    tree->DeleteInserters("A:B:1;A:B:2;nothing:here;A:B:1");
    EXPECT_EQ(rec.Take(), (Log{"-A:B:1", "-A:B:2", "-A:B"}));
    EXPECT_EQ(ledger.deleted["A:B:1"], 1);
    EXPECT_EQ(ledger.deleted["A:B:2"], 1);

    tree->DeleteInserters("A:C:3;A");
    EXPECT_EQ(rec.Take(), (Log{"-A:C:3", "-A:C", "-A"}));
    EXPECT_EQ(ChildNames(tree->GetRootNode()), (std::vector<std::string>{"D"}));
    tree->DeleteInserters("D");
    EXPECT_FALSE(tree->GetRootNode()->HasChildren());
    EXPECT_TRUE(tree->GetInserters().empty());
    ExpectAllDeletedOnce({"A:B:1", "A:B:2", "A:C:3", "D"});
}

TEST_F(TreeTest, DeleteNodeReportsChildrenBeforeParents)
{
    Fill({"A:B:1", "A:B:2", "A:3", "E:4"});
    tree->DeleteNode(tree->GetNodeByName("A", false, false), true);
    EXPECT_EQ(rec.Take(), (Log{"-A:B:1", "-A:B:2", "-A:B", "-A:3", "-A"}));
    tree->DeleteNode(tree->GetRootNode(), true);
    EXPECT_EQ(rec.Take(), Log{});
    EXPECT_EQ(ChildNames(tree->GetRootNode()), (std::vector<std::string>{"E"}));
}

TEST_F(TreeTest, MarkedObjectsStillStandingLoseTheirNodesFirst)
{
    Fill({"A:1", "A:2", "B:3"});
    auto objects = tree->GetInserters("A", false);
    tree->MarkInserters(objects);
    tree->DeleteMarkedInserters();
    EXPECT_EQ(rec.Take(), (Log{"-A:1", "-A:2", "-A"}));
    EXPECT_EQ(ledger.deleted["A:1"], 1);
    EXPECT_EQ(ledger.detached["A:1"], 1);
    EXPECT_EQ(Names(tree->GetInserters()), (std::vector<std::string>{"B:3"}));
    ExpectAllDeletedOnce({"A:1", "A:2", "B:3"});
}

TEST_F(TreeTest, RenameNodeRenamesTheObjectsBelow)
{
    Fill({"A:B:C", "A:D", "Q"});
    Node* a = tree->GetNodeByName("A", false, false);
    ASSERT_TRUE(tree->RenameNode(a, "Z"));
    EXPECT_EQ(rec.Take(), (Log{"~Z"}));
    EXPECT_EQ(Names(tree->GetInserters("Z", false)), (std::vector<std::string>{"Z:B:C", "Z:D"}));
    EXPECT_EQ(tree->GetNodeByName("A", false, false), nullptr);
    EXPECT_EQ(tree->GetInserterByName("Z:B:C")->GetName(), "Z:B:C");

    Node* d = tree->GetNodeByName("Z:D", false, false);
    ASSERT_TRUE(tree->RenameNode(d, "E"));
    EXPECT_EQ(rec.Take(), (Log{"~Z:E"}));
    EXPECT_EQ(tree->GetInserterByName("Z:E")->GetName(), "Z:E");

    for (const char* refused : {"Q", "Z", "", "X:Y", "X;Y"}) {
        SCOPED_TRACE(refused);
        EXPECT_FALSE(tree->RenameNode(tree->GetNodeByName("Z", false, false), refused));
    }
    EXPECT_FALSE(tree->RenameNode(tree->GetRootNode(), "R"));
    EXPECT_EQ(rec.Take(), Log{});
    EXPECT_EQ(ChildNames(tree->GetRootNode()), (std::vector<std::string>{"Z", "Q"}));
}

TEST_F(TreeTest, MoveNodeRelinksBeforeTargetAndRenames)
{
    Fill({"A:C:1", "A:K", "B:W", "B:X"});
    Node* c = tree->GetNodeByName("A:C", false, false);
    Node* x = tree->GetNodeByName("B:X", false, false);
    ASSERT_TRUE(tree->MoveNode(c, x));
    EXPECT_EQ(rec.Take(), (Log{"-A:C:1", "-A:C", "+B:C<W", "+B:C:1<"}));
    EXPECT_EQ(ChildNames(tree->GetNodeByName("B", false, false)), (std::vector<std::string>{"W", "C", "X"}));
    EXPECT_EQ(tree->GetInserterByName("B:C:1")->GetName(), "B:C:1");
    EXPECT_EQ(tree->GetNodeByName("A:C", false, false), nullptr);

    // Among its own siblings a move only reorders; first place reports a null sibling.
    Node* moved = tree->GetNodeByName("B:X", false, false);
    ASSERT_TRUE(tree->MoveNode(moved, tree->GetNodeByName("B:W", false, false)));
    EXPECT_EQ(rec.Take(), (Log{"-B:X", "+B:X<"}));
    EXPECT_EQ(ChildNames(tree->GetNodeByName("B", false, false)), (std::vector<std::string>{"X", "W", "C"}));
    EXPECT_EQ(tree->GetInserterByName("B:X")->GetName(), "B:X");

    // A move to the top level.
    ASSERT_TRUE(tree->MoveNode(tree->GetNodeByName("B:C", false, false), tree->GetNodeByName("A", false, false)));
    EXPECT_EQ(tree->GetInserterByName("C:1")->GetName(), "C:1");
    EXPECT_EQ(ChildNames(tree->GetRootNode()), (std::vector<std::string>{"C", "A", "B"}));
}

TEST_F(TreeTest, MoveNodeRefusesWhatWouldBreakTheTree)
{
    Fill({"A:C:1", "A:C:D:2", "A:K", "B:C", "B:X"});
    rec.Take();
    Node* root = tree->GetRootNode();
    Node* a = tree->GetNodeByName("A", false, false);
    Node* ac = tree->GetNodeByName("A:C", false, false);
    Node* acd2 = tree->GetNodeByName("A:C:D:2", false, false);
    Node* bx = tree->GetNodeByName("B:X", false, false);
    EXPECT_FALSE(tree->MoveNode(ac, ac));    // onto itself
    EXPECT_FALSE(tree->MoveNode(a, acd2));   // into its own subtree
    EXPECT_FALSE(tree->MoveNode(ac, bx));    // B already has a C
    EXPECT_FALSE(tree->MoveNode(root, bx));
    EXPECT_FALSE(tree->MoveNode(ac, root));
    EXPECT_FALSE(tree->MoveNode(nullptr, bx));
    EXPECT_EQ(rec.Take(), Log{});
    EXPECT_EQ(Names(tree->GetInserters("A;B", false)),
              (std::vector<std::string>{"A:C:1", "A:C:D:2", "A:K", "B:C", "B:X"}));
    EXPECT_EQ(tree->GetNodeByName("A:C:D:2", false, false), acd2);
}

TEST_F(TreeTest, ClearTreeDeletesEveryNodeBottomUpAndEveryObjectOnce)
{
    Fill({"A:B:1", "A:2", "C"});
    tree->GetInserters("A:2", true);  // an object without node is still the tree's
    rec.Take();
    tree->ClearTree();
    EXPECT_EQ(rec.Take(), (Log{"-A:B:1", "-A:B", "-A", "-C"}));
    EXPECT_FALSE(tree->GetRootNode()->HasChildren());
    EXPECT_TRUE(tree->GetInserters().empty());
    EXPECT_EQ(ledger.deleted["A:2"], 1);

    // The tree is usable again, also for a name it held before.
    ASSERT_TRUE(tree->AddInserter(Make("A:B:1b")));
    EXPECT_EQ(rec.Take(), (Log{"+A<", "+A:B<", "+A:B:1b<", "~A:B:1b"}));
    ExpectAllDeletedOnce({"A:B:1", "A:2", "C", "A:B:1b"});
}

TEST_F(TreeTest, PropagateEventsWalkTheSubtree)
{
    Fill({"A:B:1", "A:B:2", "A:3"});
    Node* a = tree->GetNodeByName("A", false, false);
    tree->PropagateInsertEvent(a, nullptr);
    EXPECT_EQ(rec.Take(), (Log{"+A<", "+A:B<", "+A:B:1<", "+A:B:2<1", "+A:3<B"}));
    tree->PropagateDeleteEvent(a);
    EXPECT_EQ(rec.Take(), (Log{"-A:B:1", "-A:B:2", "-A:B", "-A:3", "-A"}));
}

// The busy count stays up while an inner tree operation (here one run by the handler during
// an event) ends inside an outer one.
class BusyProbe : public PlainTree::EventHandler {
public:
    explicit BusyProbe(PlainTree& tree) : m_tree(tree) {}
    void OnUpdateNode(Node* node) override
    {
        m_tree.GetInserterByName(node->GetPath());
        busyAfterNested = ns_tree::IsTreeBusy();
    }
    bool busyAfterNested = false;

private:
    PlainTree& m_tree;
};

TEST(TreeBusy, NestedOperationsKeepTheTreeBusy)
{
    Ledger ledger;
    PlainTree tree;
    BusyProbe probe(tree);
    tree.SetEventHandler(&probe);
    // The probe goes before the tree, whose destructor reports to its handler.
    struct Unhook {
        PlainTree& tree;
        ~Unhook() { tree.SetEventHandler(nullptr); }
    } unhook{tree};
    EXPECT_FALSE(ns_tree::IsTreeBusy());
    ASSERT_TRUE(tree.AddInserter(new CountingInserter("A:B", ledger)));
    EXPECT_TRUE(probe.busyAfterNested);
    EXPECT_FALSE(ns_tree::IsTreeBusy());
    {
        ns_tree::BusyGuard outer;
        { ns_tree::BusyGuard inner; }
        EXPECT_TRUE(ns_tree::IsTreeBusy());
    }
    EXPECT_FALSE(ns_tree::IsTreeBusy());
}

TEST(TreeNode, IndexFollowsRenamesAndRefusesDuplicates)
{
    PlainTree::TreeNode parent;
    auto* a = new Node("a");
    auto* b = new Node("b");
    auto* twin = new Node("a");
    EXPECT_TRUE(parent.AddChild(a));
    EXPECT_TRUE(parent.AddChild(b));
    EXPECT_FALSE(parent.AddChild(twin));
    EXPECT_FALSE(parent.AddChild(a));
    EXPECT_FALSE(b->SetName("a"));
    EXPECT_TRUE(b->SetName("c"));
    EXPECT_EQ(parent.GetChild("c"), b);
    EXPECT_EQ(parent.GetChild("b"), nullptr);
    parent.RemoveChild(a);
    parent.RemoveChild(a);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(parent.GetChild("a"), nullptr);
    EXPECT_EQ(parent.GetChildren().size(), 1u);
    parent.RemoveChild(b);
    delete a;
    delete b;
    delete twin;
}

TEST(TreePath, NormalizeAndValidate)
{
    struct Row {
        const char* in;
        const char* normalized;
    };
    const Row rows[] = {
        {":Gruppe::A:", "Gruppe:A"}, {"::A", ":A"}, {"A:::B", "A:B"}, {"A", "A"},
        {"", ""}, {":", ""}, {"::", ""}, {"A::", "A"}, {"Messung:Serie 1:LED rot", "Messung:Serie 1:LED rot"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ns_tree::NormalizePath(row.in), row.normalized) << row.in;
    EXPECT_TRUE(ns_tree::IsValidPath("A:B c:D"));
    for (const char* bad : {"", ":", ":A", "A:", "A::B"})
        EXPECT_FALSE(ns_tree::IsValidPath(bad)) << bad;
}

} // namespace
