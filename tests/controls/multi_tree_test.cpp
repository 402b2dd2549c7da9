#include "controls/multi_tree.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScrollBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Records every hook as a short text: "+A" selected, "-A" deselected, "A<B" single-mode
// change from B to A, "click A", "rclick -", "drag A", "settled".
class RecordingTree : public CMultiTree {
public:
    std::vector<std::string> events;
    std::set<std::string> vetoed;
    bool emulatedEverywhere = true;

    std::vector<std::string> Take()
    {
        auto out = std::move(events);
        events.clear();
        return out;
    }

protected:
    bool OnSelChanging(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld) override
    {
        emulatedEverywhere = emulatedEverywhere && IsEmulatedNotify();
        QTreeWidgetItem* item = itemNew ? itemNew : itemOld;
        return item && vetoed.count(item->text(0).toStdString()) > 0;
    }
    void OnSelChanged(QTreeWidgetItem* itemNew, QTreeWidgetItem* itemOld) override
    {
        emulatedEverywhere = emulatedEverywhere && IsEmulatedNotify();
        if (!IsMultiSelect())
            events.push_back(Name(itemNew) + "<" + Name(itemOld));
        else
            events.push_back((itemNew ? "+" : "-") + Name(itemNew ? itemNew : itemOld));
    }
    void OnSelectionSettled() override { events.push_back("settled"); }
    void OnClick(QTreeWidgetItem* item) override { events.push_back("click " + Name(item)); }
    void OnRightClick(QTreeWidgetItem* item) override { events.push_back("rclick " + Name(item)); }
    void OnBeginDrag(QTreeWidgetItem* item, const QPoint&, bool left) override
    {
        events.push_back((left ? "drag " : "rdrag ") + Name(item));
    }

private:
    static std::string Name(QTreeWidgetItem* item) { return item ? item->text(0).toStdString() : "-"; }
};

class MultiTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"A", "B", "C", "D", "E", "F"})
            Add(name);
        QTreeWidgetItem* group = Add("G");
        for (const char* name : {"G1", "G2"})
            new QTreeWidgetItem(group, QStringList(name));
        group->setExpanded(true);
        tree.resize(300, 400);
        tree.show();
        tree.Take();
    }

    QTreeWidgetItem* Add(const char* name)
    {
        auto* item = new QTreeWidgetItem(QStringList(name));
        tree.addTopLevelItem(item);
        return item;
    }

    QTreeWidgetItem* Item(const std::string& name)
    {
        const auto found = tree.findItems(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }

    // Where a click acts on the item: the middle of its label.
    QPoint On(const std::string& name) { return tree.GetItemLabelRect(Item(name)).center(); }

    void Mouse(QEvent::Type type, QPoint point, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers keys)
    {
        QMouseEvent event(type, point, tree.viewport()->mapToGlobal(point), button, buttons, keys);
        QApplication::sendEvent(tree.viewport(), &event);
    }
    void Press(QPoint p, Qt::KeyboardModifiers keys = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        Mouse(QEvent::MouseButtonPress, p, button, button, keys);
    }
    void MoveTo(QPoint p, Qt::KeyboardModifiers keys = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        Mouse(QEvent::MouseMove, p, Qt::NoButton, button, keys);
    }
    void Release(QPoint p, Qt::KeyboardModifiers keys = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        Mouse(QEvent::MouseButtonRelease, p, button, Qt::NoButton, keys);
    }
    void Click(const std::string& name, Qt::KeyboardModifiers keys = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        Press(On(name), keys, button);
        Release(On(name), keys, button);
    }
    void Key(int key, Qt::KeyboardModifiers keys = {})
    {
        QKeyEvent event(QEvent::KeyPress, key, keys);
        QApplication::sendEvent(&tree, &event);
    }

    // The selection in visible order, as "A,C".
    std::string Selection()
    {
        std::string out;
        QList<QTreeWidgetItem*> list;
        tree.GetSelectedList(list);
        for (QTreeWidgetItem* item : list)
            out += (out.empty() ? "" : ",") + item->text(0).toStdString();
        return out;
    }
    std::string Focus() { return tree.GetFocusedItem() ? tree.GetFocusedItem()->text(0).toStdString() : "-"; }

    RecordingTree tree;
};

TEST_F(MultiTreeTest, ClicksWithCtrlAndShiftBuildTheSelection)
{
    struct Step {
        const char* item;
        Qt::KeyboardModifiers keys;
        const char* selection;
        const char* focus;
    };
    const Qt::KeyboardModifiers none{}, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"ctrl toggles",
         {{"A", none, "A", "A"}, {"C", ctrl, "A,C", "C"}, {"A", ctrl, "C", "A"}, {"C", ctrl, "", "C"}}},
        {"shift selects the range from the anchor",
         {{"B", none, "B", "B"}, {"E", shift, "B,C,D,E", "E"}, {"C", shift, "B,C", "C"}, {"A", shift, "A,B", "A"}}},
        {"shift reaches into an open group",
         {{"F", none, "F", "F"}, {"G1", shift, "F,G,G1", "G1"}}},
        {"ctrl+shift adds a range from the caret",
         {{"A", none, "A", "A"}, {"B", shift, "A,B", "B"}, {"E", ctrl, "A,B,E", "E"},
          {"F", ctrl | shift, "A,B,E,F", "F"}}},
        {"a plain click drops the others",
         {{"A", none, "A", "A"}, {"D", shift, "A,B,C,D", "D"}, {"B", none, "B", "B"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree.SelectAll(false);
        tree.FocusItem(nullptr);
        Click("A");
        Click("A", ctrl);
        ASSERT_EQ(Selection(), "");
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.item);
            Click(step.item, step.keys);
            EXPECT_EQ(Selection(), step.selection);
            EXPECT_EQ(Focus(), step.focus);
        }
    }
    EXPECT_TRUE(tree.emulatedEverywhere);
}

TEST_F(MultiTreeTest, PressOnASelectedItemKeepsTheSelectionUntilTheRelease)
{
    Click("A");
    Click("C", Qt::ControlModifier);
    tree.Take();
    Press(On("C"));
    EXPECT_EQ(Selection(), "A,C");
    EXPECT_TRUE(tree.Take().empty());
    Release(On("C"));
    EXPECT_EQ(Selection(), "C");
    EXPECT_EQ(tree.Take(), (std::vector<std::string>{"-A", "click C", "settled"}));
}

TEST_F(MultiTreeTest, DragStartsOneStepBeyondTheDragDistance)
{
    const int d = QApplication::startDragDistance();
    const struct {
        QPoint offset;
        const char* outcome;
    } cases[] = {
        {{d, d}, "click C"},
        {{-d, 0}, "click C"},
        {{d + 1, 0}, "drag C"},
        {{0, -(d + 1)}, "drag C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outcome);
        tree.SelectAll(false);
        Click("A");
        Click("C", Qt::ControlModifier);
        tree.Take();
        const QPoint start = On("C");
        Press(start);
        MoveTo(start + c.offset);
        Release(start + c.offset);
        const auto events = tree.Take();
        const bool found = std::find(events.begin(), events.end(), c.outcome) != events.end();
        EXPECT_TRUE(found) << testing::PrintToString(events);
        // A drag keeps the whole selection; a click reduces it to the item.
        EXPECT_EQ(Selection(), std::string(c.outcome) == "drag C" ? "A,C" : "C");
    }
}

TEST_F(MultiTreeTest, BandSelectsTheRowsItCrossesAndSettlesOnce)
{
    Click("A");
    tree.Take();
    // Right of B's label: the press starts a band instead of acting on B.
    const QRect rowB = tree.visualItemRect(Item("B"));
    const QPoint start(rowB.right() - 3, rowB.center().y());
    ASSERT_FALSE(tree.GetItemLabelRect(Item("B")).contains(start));
    Press(start);
    MoveTo(QPoint(start.x() - 40, tree.visualItemRect(Item("D")).center().y()));
    EXPECT_EQ(Selection(), "B,C,D");
    EXPECT_TRUE(tree.findChild<QRubberBand*>()->isVisible());
    MoveTo(QPoint(start.x() - 40, tree.visualItemRect(Item("C")).center().y()));
    EXPECT_EQ(Selection(), "B,C");
    Release(QPoint(start.x() - 40, tree.visualItemRect(Item("C")).center().y()));
    EXPECT_FALSE(tree.findChild<QRubberBand*>()->isVisible());
    const auto events = tree.Take();
    EXPECT_EQ(std::count(events.begin(), events.end(), "settled"), 1);
    EXPECT_EQ(events.back(), "click -");

    // With Ctrl the band inverts what was selected under it and keeps the rest.
    Press(start, Qt::ControlModifier);
    MoveTo(QPoint(start.x() - 40, tree.visualItemRect(Item("E")).center().y()), Qt::ControlModifier);
    EXPECT_EQ(Selection(), "D,E");
    Release(QPoint(start.x() - 40, tree.visualItemRect(Item("E")).center().y()), Qt::ControlModifier);
    EXPECT_EQ(Selection(), "D,E");
}

TEST_F(MultiTreeTest, EscapeOrAClickBesideTheItemsDeselectsAll)
{
    const QPoint below(20, tree.visualItemRect(Item("G2")).bottom() + 30);
    // Escape during a band.
    Click("A");
    Press(below);
    MoveTo(QPoint(40, tree.visualItemRect(Item("E")).center().y()));
    EXPECT_EQ(Selection(), "E,F,G,G1,G2");
    tree.Take();
    Key(Qt::Key_Escape);
    EXPECT_EQ(Selection(), "");
    EXPECT_EQ(tree.Take().back(), "click -");
    Release(below);
    EXPECT_TRUE(tree.Take().empty());

    // A click on empty space, without and with Ctrl.
    Click("B");
    Press(below, Qt::ControlModifier);
    Release(below, Qt::ControlModifier);
    EXPECT_EQ(Selection(), "B");
    Press(below);
    Release(below);
    EXPECT_EQ(Selection(), "");
}

TEST_F(MultiTreeTest, BandScrollsWhileThePointerStaysOutside)
{
    for (int i = 0; i < 60; ++i)
        Add(("X" + std::to_string(i)).c_str());
    tree.resize(300, 150);
    QScrollBar* bar = tree.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const QPoint start(tree.viewport()->width() - 5, 5);
    Press(start);
    const QPoint outside(start.x() - 30, tree.viewport()->height() + 20);
    MoveTo(outside);
    const int afterMove = bar->value();
    EXPECT_GT(afterMove, 0);
    QSignalSpy scrolled(bar, &QScrollBar::valueChanged);
    ASSERT_TRUE(scrolled.wait(2000));
    EXPECT_GT(bar->value(), afterMove);
    Release(outside);
    // Everything from the top row down to the last row scrolled into view is selected.
    QList<QTreeWidgetItem*> selected;
    tree.GetSelectedList(selected);
    EXPECT_EQ(selected.front()->text(0), "A");
    EXPECT_GT(selected.size(), 8);
}

// Collapsing deselects the hidden items and selects nothing new. A caret among them goes
// away, unless the collapsed item is selected itself, which then takes it.
TEST_F(MultiTreeTest, CollapsingABranchDeselectsItsChildren)
{
    const Qt::KeyboardModifiers none{}, ctrl = Qt::ControlModifier;
    struct Press {
        const char* item;
        Qt::KeyboardModifiers keys;
    };
    const struct {
        const char* name;
        bool multi;
        std::vector<Press> clicks;
        const char* selection;
        const char* focus;
        std::vector<std::string> events;
    } cases[] = {
        {"caret inside, the group not selected", true, {{"B", none}, {"G1", ctrl}, {"G2", ctrl}}, "B", "-",
         {"-G1", "-G2", "settled"}},
        {"only a child selected", true, {{"G1", none}}, "", "-", {"-G1", "settled"}},
        {"caret inside, the group selected", true, {{"G", none}, {"G1", ctrl}}, "G", "G", {"-G1", "settled"}},
        {"caret outside", true, {{"G1", none}, {"B", ctrl}}, "B", "B", {"-G1", "settled"}},
        {"single selection: as a plain tree", false, {{"G1", none}}, "G", "G", {"G<G1", "settled"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree.SetMultiSelect(c.multi);
        Item("G")->setExpanded(true);
        tree.SelectAll(false);
        tree.FocusItem(nullptr);
        for (const Press& press : c.clicks)
            Click(press.item, press.keys);
        tree.Take();
        Item("G")->setExpanded(false);
        EXPECT_EQ(Selection(), c.selection);
        EXPECT_EQ(Focus(), c.focus);
        EXPECT_FALSE(tree.IsSelected(Item("G1")));
        EXPECT_EQ(tree.GetSelectedCount(), c.selection[0] ? 1 : 0);
        EXPECT_EQ(tree.Take(), c.events);
    }
    tree.SetMultiSelect(true);
    EXPECT_TRUE(tree.emulatedEverywhere);
}

TEST_F(MultiTreeTest, AVetoedItemKeepsItsSelectionState)
{
    tree.vetoed = {"C"};
    Click("C");
    EXPECT_EQ(Selection(), "");
    Click("A");
    Click("E", Qt::ShiftModifier);
    EXPECT_EQ(Selection(), "A,B,D,E");
    tree.vetoed = {"B"};
    Click("E");
    EXPECT_EQ(Selection(), "B,E");
}

TEST_F(MultiTreeTest, KeysMoveTheCaretAndExtendTheSelection)
{
    Click("B");
    Key(Qt::Key_Down);
    EXPECT_EQ(Selection(), "C");
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Selection(), "C,D,E");
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Selection(), "C,D");
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Focus(), "E");
    EXPECT_EQ(Selection(), "C,D");
    Key(Qt::Key_Up);
    EXPECT_EQ(Selection(), "D");
    tree.Take();
    // Qt's select-all shortcut would pass the tree by: it does nothing.
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Selection(), "D");
    EXPECT_TRUE(tree.Take().empty());
}

TEST_F(MultiTreeTest, SingleModeFollowsTheCaretAndReportsDrags)
{
    Click("A");
    Click("C", Qt::ControlModifier);
    EXPECT_TRUE(tree.SetMultiSelect(false));
    EXPECT_EQ(Selection(), "C");
    tree.Take();
    Click("B");
    // Ctrl does not deselect in a single-selection tree.
    Click("B", Qt::ControlModifier);
    EXPECT_EQ(Selection(), "B");
    Key(Qt::Key_Down);
    EXPECT_EQ(Selection(), "C");
    EXPECT_EQ(tree.Take(), (std::vector<std::string>{"B<C", "click B", "settled", "click B", "C<B", "settled"}));

    // A drag is reported without changing the selection.
    const QPoint start = On("E");
    Press(start);
    MoveTo(start + QPoint(0, QApplication::startDragDistance() + 1));
    Release(start);
    EXPECT_EQ(tree.Take(), (std::vector<std::string>{"drag E"}));
    EXPECT_EQ(Selection(), "C");

    // A press beside the labels does nothing; a veto keeps the caret.
    Press(QPoint(tree.viewport()->width() - 3, 3));
    Release(QPoint(tree.viewport()->width() - 3, 3));
    EXPECT_EQ(Selection(), "C");
    tree.vetoed = {"D"};
    Key(Qt::Key_Down);
    EXPECT_EQ(Focus(), "C");
    EXPECT_EQ(Selection(), "C");
}

TEST_F(MultiTreeTest, RemovedItemsLeaveTheSelectionWithoutNotification)
{
    Click("A");
    Click("D", Qt::ShiftModifier);
    tree.Take();
    delete Item("B");
    EXPECT_EQ(Selection(), "A,C,D");
    EXPECT_EQ(tree.GetSelectedCount(), 3);
    // A press whose item goes away ends without a click.
    Press(On("C"));
    delete Item("C");
    Release(On("A"));
    EXPECT_TRUE(tree.Take().empty());
    tree.clear();
    EXPECT_EQ(tree.GetSelectedCount(), 0);
    EXPECT_EQ(tree.GetFirstSelectedItem(), nullptr);
    EXPECT_TRUE(tree.Take().empty());
}

} // namespace
