#include "ui/velmont_tree_view.h"

#include "core/clipboard_object.h"
#include "core/spectrum.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using SpecView = CVelmontTreeView<SpectrumTree>;
using ClipView = CVelmontTreeView<ClipboardTree>;

Spectrum* MakeSpectrum(const std::string& name)
{
    auto* s = new Spectrum;
    s->SetName(name);
    return s;
}

void Add(SpectrumTree& tree, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        ASSERT_TRUE(tree.AddInserter(MakeSpectrum(name))) << name;
}

// The items as an indented outline: "A(B(1,2),C)".
std::string Outline(QTreeWidgetItem* parent)
{
    std::string out;
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        out += (i ? "," : "") + child->text(0).toStdString();
        if (child->childCount() > 0)
            out += "(" + Outline(child) + ")";
    }
    return out;
}

// Every node's view word is its item, and the item's data is the node.
template <class View>
void ExpectLinked(View& view, typename View::TreeNode* node)
{
    for (auto* child : node->GetChildren()) {
        QTreeWidgetItem* item = view.ItemOf(child);
        ASSERT_NE(item, nullptr) << child->GetPath();
        EXPECT_EQ(View::NodeOf(item), child);
        EXPECT_EQ(item->text(0).toStdString(), child->GetName());
        EXPECT_EQ(item->parent() ? View::NodeOf(item->parent()) : nullptr,
                  child->GetParent() == view.GetTree()->GetRootNode() ? nullptr : child->GetParent());
        ExpectLinked(view, child);
    }
}

TEST(VelmontTreeView, ItemsFollowTheTreeEvents)
{
    SpectrumTree tree;
    SpecView view;
    view.Attach(&tree);
    EXPECT_EQ(view.topLevelItemCount(), 0);
    Add(tree, {"A:B:1", "A:B:2", "A:C", "D"});
    EXPECT_EQ(Outline(view.invisibleRootItem()), "A(B(1,2),C),D");
    ExpectLinked(view, tree.GetRootNode());
    EXPECT_FALSE(SpecView::IsObjectItem(view.topLevelItem(0)));
    EXPECT_TRUE(SpecView::IsObjectItem(view.topLevelItem(1)));

    // A group goes children first; each child item is deleted before its parent's.
    tree.DeleteInserters("A:B:*");
    EXPECT_EQ(Outline(view.invisibleRootItem()), "A(C),D");
    tree.DeleteInserters("A");
    EXPECT_EQ(Outline(view.invisibleRootItem()), "D");

    // A rebuild gives the same items; an empty tree gives none.
    Add(tree, {"X:1", "X:2"});
    view.Rebuild();
    EXPECT_EQ(Outline(view.invisibleRootItem()), "D,X(1,2)");
    ExpectLinked(view, tree.GetRootNode());
    tree.ClearTree();
    view.Rebuild();
    EXPECT_EQ(view.topLevelItemCount(), 0);
}

// A module that replaces the results of its last run deletes and refills their group: the
// group and an open group inside it open again; a closed one stays closed.
TEST(VelmontTreeView, AnOpenGroupThatIsFilledAgainOpensAgain)
{
    SpectrumTree tree;
    SpecView view;
    view.Attach(&tree);
    Add(tree, {"Res:Neu:1", "Res:Alt:1", "Res:2"});
    const auto item = [&](const std::string& path) { return view.ItemOf(tree.GetNodeByName(path, false, false)); };
    item("Res")->setExpanded(true);
    item("Res:Neu")->setExpanded(true);
    tree.DeleteInserters("Res");
    EXPECT_EQ(view.topLevelItemCount(), 0);
    Add(tree, {"Res:Neu:1", "Res:Alt:1", "Res:2"});
    EXPECT_TRUE(item("Res")->isExpanded());
    EXPECT_TRUE(item("Res:Neu")->isExpanded());
    EXPECT_FALSE(item("Res:Alt")->isExpanded());
}

TEST(VelmontTreeView, DestroyedViewLeavesTheTreeWithoutHandlerOrViewWords)
{
    SpectrumTree tree;
    Add(tree, {"A:1", "B"});
    {
        SpecView view;
        view.Attach(&tree);
        EXPECT_EQ(tree.GetEventHandler(), &view);
    }
    EXPECT_EQ(tree.GetEventHandler(), nullptr);
    EXPECT_EQ(tree.GetNodeByName("A:1", false, false)->GetViewWord(), nullptr);
    EXPECT_EQ(tree.GetNodeByName("A", false, false)->GetViewWord(), nullptr);
    // Later operations raise no events at a dead view.
    Add(tree, {"A:2"});
    tree.DeleteInserters("A");

    // A second view takes over from the first.
    SpecView first;
    SpecView second;
    first.Attach(&tree);
    second.Attach(&tree);
    Add(tree, {"C"});
    EXPECT_EQ(first.topLevelItemCount(), 1);
    EXPECT_EQ(second.topLevelItemCount(), 2);
}

TEST(VelmontTreeView, AForeignViewWordIsNeverDeleted)
{
    SpectrumTree tree;
    SpecView view;
    view.Attach(&tree);
    Add(tree, {"A"});
    // A word the view did not write (another handler's, or stale): left alone.
    QTreeWidgetItem foreign;
    tree.GetNodeByName("A", false, false)->SetViewWord(&foreign);
    tree.DeleteInserters("A");
    EXPECT_EQ(foreign.text(0), QString());
    // The view's own item lost its link with the word; the next rebuild clears it.
    view.Rebuild();
    EXPECT_EQ(view.topLevelItemCount(), 0);
}

// A module with one operation and two parameters: below its node stand entries of kinds 2 and 1.
class EntryModule : public Module {
public:
    EntryModule() : Module("Test_Entries")
    {
        getParameters().addIntParameter("Anzahl", "", 1, 0, 10, 1);
        getParameters().addIntParameter("Breite", "", 1, 0, 10, 1);
    }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
    std::vector<SAutomationPtrList> GetAutomationPtr() override
    {
        return {SAutomationPtrList("run", static_cast<SAutomationPtrList::Function>(&EntryModule::Run))};
    }

private:
    bool Run() { return true; }
};

TEST(VelmontTreeView, ModuleTreeShowsGroupsAndModulesOnly)
{
    ModuleTree tree;
    for (const char* path : {"Gruppe:Eins", "Gruppe:Zwei", "Andere:Unter:Drei"}) {
        auto* module = new EntryModule;
        module->SetName(path);
        ASSERT_TRUE(tree.AddInserter(module));
    }
    ASSERT_EQ(tree.GetNodeByName("Gruppe:Eins", false, false)->GetChildren().size(), 3u);
    CVelmontTreeView<ModuleTree> view;
    view.Attach(&tree);
    EXPECT_EQ(Outline(view.invisibleRootItem()), "Gruppe(Eins,Zwei),Andere(Unter(Drei))");
    EXPECT_EQ(view.ItemOf(tree.GetNodeByName("Gruppe:Eins:Anzahl", false, false)), nullptr);
    // Inserted while attached: the entries come without events, so no items either.
    auto* module = new EntryModule;
    module->SetName("Gruppe:Vier");
    ASSERT_TRUE(tree.AddInserter(module));
    EXPECT_EQ(Outline(view.invisibleRootItem()), "Gruppe(Eins,Zwei,Vier),Andere(Unter(Drei))");
    tree.ClearTree();
    EXPECT_EQ(view.topLevelItemCount(), 0);
}

// Selects the named items (full paths) in a view.
template <class View>
void Select(View& view, const std::vector<std::string>& paths)
{
    view.SelectAll(false);
    for (const std::string& path : paths) {
        auto* node = view.GetTree()->GetNodeByName(path, false, false);
        ASSERT_NE(node, nullptr) << path;
        ASSERT_TRUE(view.SetItemState(view.ItemOf(node), CMultiTree::TVIS_SELECTED, CMultiTree::TVIS_SELECTED));
    }
}

TEST(VelmontTreeView, SelectionTextAndGroupPath)
{
    SpectrumTree tree;
    SpecView view;
    view.Attach(&tree);
    Add(tree, {"Messung:S1", "Messung:S2", "Messung:S3", "Referenz:R1", "Referenz:Alt:R2", "Top", "Gruppe:Sub:T"});
    for (QTreeWidgetItem* item : view.findItems("*", Qt::MatchWildcard | Qt::MatchRecursive))
        item->setExpanded(true);
    const struct {
        std::vector<std::string> selected;
        const char* text;
        const char* groupPath;
        std::vector<std::string> spectra;
    } cases[] = {
        {{"Messung:S1", "Messung:S2", "Referenz"}, "Messung:S1;Messung:S2;Referenz:*", "Messung",
         {"Messung:S1", "Messung:S2", "Referenz:R1", "Referenz:Alt:R2"}},
        // A selected group's children are not visited.
        {{"Referenz", "Referenz:R1"}, "Referenz:*", "Referenz", {"Referenz:R1", "Referenz:Alt:R2"}},
        {{"Gruppe:Sub:T", "Top"}, "Top;Gruppe:Sub:T", "", {"Top", "Gruppe:Sub:T"}},
        {{"Gruppe:Sub"}, "Gruppe:Sub:*", "Gruppe:Sub", {"Gruppe:Sub:T"}},
        {{}, "", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Select(view, c.selected);
        std::string text;
        view.AppendSelection(text, nullptr, "");
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(view.GetSelectionGroupPath(), c.groupPath);
        // The tree resolves the text, a group given as "path:*" to everything below it.
        std::vector<std::string> names;
        for (Spectrum* s : tree.GetInserters(text, false))
            names.push_back(s->GetName());
        EXPECT_EQ(names, c.spectra);
    }
    // With a start item and a prefix, only that item and its following siblings count.
    Select(view, {"Messung:S2", "Messung:S3", "Top"});
    std::string text = "vorher";
    view.AppendSelection(text, view.ItemOf(tree.GetNodeByName("Messung:S2", false, false)), "X:");
    EXPECT_EQ(text, "vorher;X:S2;X:S3");
}

TEST(VelmontTreeView, ClipboardExampleSelection)
{
    ClipboardTree tree;
    ClipView view;
    view.Attach(&tree);
    for (const char* name : {"A:B", "A:D", "C:E"}) {
        auto* object = new ClipboardObject;
        object->SetName(name);
        ASSERT_TRUE(tree.AddInserter(object));
    }
    view.topLevelItem(0)->setExpanded(true);
    Select(view, {"A:B", "C"});
    std::string text;
    view.AppendSelection(text, nullptr, "");
    EXPECT_EQ(text, "A:B;C:*");
}

} // namespace
