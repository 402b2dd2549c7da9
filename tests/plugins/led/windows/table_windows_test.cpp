// The record window and the value display: commit rules, key modes, the in-place editor's
// triggers, number format and refusal, the sink calls, and pixel probes of their painting.
#include "windows/device_value_sink.h"
#include "windows/param_container_edit_wnd.h"
#include "windows/param_show_ctrl.h"

#include "core/module.h"
#include "core/module_editor.h"
#include "core/param_container.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// Records the events of the records it observes.
class RecordingObserver : public Observer {
public:
    void Notify(int event, const void*, const void*) override { events.push_back(event); }
    std::vector<int> events;
};

// Derives "D" as "7" for any record.
class Deriver : public ParamContainerEventHandler {
public:
    bool DeriveValue(const ParamContainer&, const std::string& key, std::string& value) override
    {
        if (key != "D")
            return false;
        value = "7";
        return true;
    }
};

void Press(QWidget* target, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent press(QEvent::MouseButtonPress, pos, target->mapToGlobal(pos), button, button, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, target->mapToGlobal(pos), button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void Move(QWidget* target, QPoint pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

QColor PixelAt(CParamTableWnd& w, QPoint p)
{
    return w.viewport()->grab().toImage().pixelColor(p);
}

class RecordWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        record.SetEventHandler(&deriver);
        record.AddKeyValue("A", "1");
        record.AddObserver(&observer);
        window.resize(300, 200);
        window.show();
    }
    // Opens the editor on key row, types text and commits.
    void Edit(int row, const QString& text)
    {
        window.BeginEdit(row);
        ASSERT_TRUE(window.IsEditing());
        window.GetEditField()->setText(text);
        window.EndEdit();
    }

    Deriver deriver;
    ParamContainer record;
    RecordingObserver observer;
    CParamContainerEditWnd window;
};

TEST_F(RecordWindow, CommitRulesFollowTheValuesOrigin)
{
    const struct {
        const char* name;
        int row; // in the key list A, D, U
        const char* text;
        std::vector<int> events;
        std::vector<std::pair<std::string, std::string>> own; // the record's own pairs afterwards
    } cases[] = {
        {"own unchanged is stored again", 0, "1", {kEventValueChanged}, {{"A", "1"}}},
        {"own edited", 0, "2.5", {kEventValueChanged}, {{"A", "2.5"}}},
        {"own cleared is removed", 0, "", {kEventValueRemoving}, {}},
        {"derived unchanged becomes own", 1, "7", {kEventValueAdded}, {{"A", "1"}, {"D", "7"}}},
        {"derived cleared changes nothing", 1, "", {}, {{"A", "1"}}},
        {"unknown typed is added", 2, "x", {kEventValueAdded}, {{"A", "1"}, {"U", "x"}}},
        {"unknown left empty changes nothing", 2, "", {}, {{"A", "1"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParamContainer r;
        r.SetEventHandler(&deriver);
        r.AddKeyValue("A", "1");
        RecordingObserver seen;
        r.AddObserver(&seen);
        window.autoKeys = false;
        window.SetKeys(std::vector<std::string>{"A", "D", "U"});
        window.SetParamContainer(&r);
        Edit(c.row, QString::fromLatin1(c.text));
        EXPECT_FALSE(window.IsEditing());
        EXPECT_EQ(seen.events, c.events);
        std::vector<std::pair<std::string, std::string>> own;
        for (int i = 0; i < r.Count(); ++i)
            own.emplace_back(r.KeyAt(i), r.ValueAt(i));
        EXPECT_EQ(own, c.own);
        window.SetParamContainer(nullptr);
    }
}

TEST_F(RecordWindow, KeyModes)
{
    record.AddKeyValue("B", "2");
    window.SetParamContainer(&record);
    EXPECT_EQ(window.GetKeys(), (std::vector<std::string>{"A", "B"}));

    ParamContainer other;
    other.AddKeyValue("A", "1");
    window.autoKeys = false;
    window.SetKeys(std::vector<std::string>{"B", "C"});
    window.SetParamContainer(&other);
    EXPECT_EQ(window.GetKeys(), (std::vector<std::string>{"B", "C", "A"}));
    // Null shows nothing and keeps the keys; the scroll range drops to 0.
    window.SetParamContainer(nullptr);
    EXPECT_EQ(window.GetKeys(), (std::vector<std::string>{"B", "C", "A"}));
    EXPECT_EQ(window.verticalScrollBar()->maximum(), 0);
}

TEST_F(RecordWindow, EditorCommitsOnClickScrollAndFocusLossOnly)
{
    window.SetParamContainer(&record);
    const int H = window.GetRowHeight();
    const int S = window.GetSplit();
    QWidget* vp = window.viewport();

    // A click right of the split opens the editor; Enter and Escape leave it open.
    Press(vp, QPoint(S + 10, H / 2));
    ASSERT_TRUE(window.IsEditing());
    EXPECT_EQ(window.GetEditedKey(), "A");
    EXPECT_EQ(window.GetEditField()->text(), QStringLiteral("1"));
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window.GetEditField(), &press);
    }
    EXPECT_TRUE(window.IsEditing());
    EXPECT_TRUE(observer.events.empty());

    // A left click anywhere in the window commits (below the last key it opens nothing).
    window.GetEditField()->setText(QStringLiteral("3"));
    Press(vp, QPoint(S + 10, 5 * H));
    EXPECT_FALSE(window.IsEditing());
    EXPECT_EQ(record.ValueAt(0), "3");

    // The focus leaving the editor commits.
    window.BeginEdit(0);
    window.GetEditField()->setText(QStringLiteral("4"));
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(window.GetEditField(), &out);
    EXPECT_FALSE(window.IsEditing());
    EXPECT_EQ(record.ValueAt(0), "4");

    // So does the window losing the focus, and a scroll.
    window.BeginEdit(0);
    window.GetEditField()->setText(QStringLiteral("5"));
    QFocusEvent windowOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&window, &windowOut);
    EXPECT_EQ(record.ValueAt(0), "5");
    window.BeginEdit(0);
    window.GetEditField()->setText(QStringLiteral("6"));
    window.OnVScroll(param_table::kLineDown);
    EXPECT_EQ(record.ValueAt(0), "6");
    EXPECT_EQ(observer.events, std::vector<int>(4, kEventValueChanged));
}

TEST_F(RecordWindow, SplitDragAndScrollClamp)
{
    for (int i = 0; i < 30; ++i)
        record.AddKeyValue("K" + std::to_string(i), std::to_string(i));
    window.SetParamContainer(&record);
    const int width = window.viewport()->width();
    EXPECT_EQ(window.GetSplit(), width / 2);

    // A press within two pixels of the split drags it and opens no editor.
    QWidget* vp = window.viewport();
    const int S = window.GetSplit();
    Move(vp, QPoint(S + 2, 5));
    QMouseEvent press(QEvent::MouseButtonPress, QPoint(S + 2, 5), vp->mapToGlobal(QPoint(S + 2, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    EXPECT_FALSE(window.IsEditing());
    QMouseEvent drag(QEvent::MouseMove, QPoint(width + 50, 5), vp->mapToGlobal(QPoint(width + 50, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &drag);
    EXPECT_EQ(window.GetSplit(), width - 1);
    QMouseEvent release(QEvent::MouseButtonRelease, QPoint(width + 50, 5), vp->mapToGlobal(QPoint(width + 50, 5)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &release);
    window.UpdateScrollInfo();
    EXPECT_EQ(window.GetSplit(), width - 4);

    // 31 keys, page p: the first row stops at 31 - p + 1.
    const int page = window.GetVisibleRows();
    window.OnVScroll(param_table::kThumbTrack, 1000);
    EXPECT_EQ(window.GetFirstRow(), 31 - page + 1);
    window.OnVScroll(param_table::kPageUp);
    EXPECT_EQ(window.GetFirstRow(), 31 - 2 * page + 1);
    window.OnVScroll(param_table::kThumbTrack, -5);
    EXPECT_EQ(window.GetFirstRow(), 0);
}

TEST_F(RecordWindow, PaintsBandsByOriginAndTheEmptyText)
{
    // No record: white with the text only.
    EXPECT_EQ(PixelAt(window, QPoint(window.viewport()->width() - 3, 3)), QColor(Qt::white));

    window.autoKeys = false;
    window.SetKeys(std::vector<std::string>{"A", "D", "U"});
    window.SetParamContainer(&record);
    const int H = window.GetRowHeight();
    const int x = window.viewport()->width() - 5; // right of every text
    EXPECT_EQ(PixelAt(window, QPoint(x, 1)), QColor(196, 255, 196));
    EXPECT_EQ(PixelAt(window, QPoint(x, H + 1)), QColor(255, 255, 196));
    EXPECT_EQ(PixelAt(window, QPoint(x, 2 * H + 1)), QColor(255, 196, 196));
    EXPECT_EQ(PixelAt(window, QPoint(x, H - 1)), QColor(Qt::black)); // the row line
    EXPECT_EQ(PixelAt(window, QPoint(window.GetSplit(), 3)), QColor(Qt::black));
    EXPECT_EQ(PixelAt(window, QPoint(x, 3 * H + 2)), QColor(Qt::white));
}

// A module that takes device values.
class DeviceModule : public Module, public DeviceValueSink {
public:
    DeviceModule() : Module("Gerät") {}
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
    void SetDeviceValue(int index, double value) override { sent.emplace_back(index, value); }
    std::vector<std::pair<int, double>> sent;
};

class DeviceForm : public CModuleEditor {
public:
    DeviceForm() : CModuleEditor(0) {}
};

class ValueDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.SetModule(&module);
        ctrl.SetOwnerForm(&form);
        ctrl.SetLock(&lock);
        ctrl.names = {"Kanal1", "Temperatur", "Kanal1"};
        ctrl.values = {1.5, -0.25, 0.12345};
        ctrl.readOnly = {false, true, false};
        ctrl.resize(300, 200);
        ctrl.show();
        ctrl.UpdateScrollInfo();
    }
    DeviceModule module;
    DeviceForm form;
    std::recursive_mutex lock;
    CParamShowCtrl ctrl;
};

TEST_F(ValueDisplay, FormatsValuesAndSendsOnlyChangedNumbers)
{
    EXPECT_EQ(CParamShowCtrl::FormatValue(1.5), QStringLiteral("1.500"));
    EXPECT_EQ(CParamShowCtrl::FormatValue(-0.25), QStringLiteral("-0.250"));
    EXPECT_DOUBLE_EQ(ctrl.GetValue("Kanal1"), 0.12345); // the later of two rows
    EXPECT_DOUBLE_EQ(ctrl.GetValue("fehlt"), 0.0);

    const struct {
        const char* name;
        int row;
        const char* text;
        bool sent;
        double value; // in the row afterwards
    } cases[] = {
        {"unchanged text sends nothing (no rounding to 0.123)", 2, nullptr, false, 0.12345},
        {"a number is sent", 0, "2.75", true, 2.75},
        {"blanks around a number are fine", 0, " 3 ", true, 3.0},
        {"letters keep the value", 0, "abc", false, 3.0},
        {"a number with trailing text keeps the value", 0, "4x", false, 3.0},
        {"an empty text keeps the value", 0, "", false, 3.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        module.sent.clear();
        ctrl.BeginEdit(c.row);
        ASSERT_TRUE(ctrl.IsEditing());
        if (c.text != nullptr)
            ctrl.GetEditField()->setText(QString::fromLatin1(c.text));
        ctrl.EndEdit();
        EXPECT_DOUBLE_EQ(ctrl.values[static_cast<std::size_t>(c.row)], c.value);
        if (c.sent)
            EXPECT_EQ(module.sent, (std::vector<std::pair<int, double>>{{c.row, c.value}}));
        else
            EXPECT_TRUE(module.sent.empty());
    }
    // The editor opens with the row's text.
    ctrl.BeginEdit(0);
    EXPECT_EQ(ctrl.GetEditField()->text(), QStringLiteral("3.000"));
    ctrl.EndEdit();
}

TEST_F(ValueDisplay, ReadOnlyRowsAreGreyAndOpenNothing)
{
    const int H = ctrl.GetRowHeight();
    Press(ctrl.viewport(), QPoint(ctrl.GetSplit() + 10, H + H / 2));
    EXPECT_FALSE(ctrl.IsEditing());
    const int x = ctrl.viewport()->width() - 5;
    EXPECT_EQ(PixelAt(ctrl, QPoint(x, 1)), QColor(200, 230, 200));
    EXPECT_EQ(PixelAt(ctrl, QPoint(x, H + 1)), QColor(200, 200, 200));

    // Without an owner form the value is kept in the row but sent nowhere.
    ctrl.SetOwnerForm(nullptr);
    ctrl.BeginEdit(0);
    ctrl.GetEditField()->setText(QStringLiteral("9"));
    ctrl.EndEdit();
    EXPECT_DOUBLE_EQ(ctrl.values[0], 9.0);
    EXPECT_TRUE(module.sent.empty());
}

} // namespace
