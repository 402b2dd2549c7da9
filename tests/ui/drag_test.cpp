#include "ui/main_frame.h"

#include "app/velmont_doc.h"
#include "core/module.h"
#include "core/module_drop_target.h"
#include "script/syntax_edit.h"
#include "ui/log_window_view.h"
#include "ui/spec_list_view.h"
#include "ui/clipboard_tree_view.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A drop field that accepts what its flags say and records every drop.
class FakeTarget : public QLineEdit, public ModuleDropTarget {
public:
    bool specs = false, group = false, clipObjects = false, clipGroup = false;
    bool params = false, functions = false, modules = false, any = false;
    std::vector<std::string> calls;

    void Reset()
    {
        specs = group = clipObjects = clipGroup = params = functions = modules = any = false;
        calls.clear();
    }

    bool CanDropSpecs() const override { return specs; }
    bool CanDropGroup() const override { return group; }
    bool CanDropClipboardObjects() const override { return clipObjects; }
    bool CanDropClipboardGroup() const override { return clipGroup; }
    bool CanDropParams() const override { return params; }
    bool CanDropFunctions() const override { return functions; }
    bool CanDropModules() const override { return modules; }
    bool CanDrop(std::string) override { return any; }

    void OnDropSpecs(const std::string& s) override { calls.push_back("Specs " + s); }
    void OnDropGroup(const std::string& s) override { calls.push_back("Group " + s); }
    void OnDropClipboardObjects(const std::string& s) override { calls.push_back("ClipObjects " + s); }
    void OnDropClipboardGroup(const std::string& s) override { calls.push_back("ClipGroup " + s); }
    void OnDropParam(const std::string& s) override { calls.push_back("Param " + s); }
    void OnDropFunction(const std::string& s) override { calls.push_back("Function " + s); }
    void OnDropModule(const std::string& s) override { calls.push_back("Module " + s); }
    void OnDrop(std::string s) override { calls.push_back("Drop " + s); }
};

class DragTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.BuildLayout());
        target = new FakeTarget;
        frame.ReplaceEditorPane(target);
        frame.resize(1200, 900);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    }

    // Moves the pointer (held by the frame) over widget and lets go there.
    void MoveTo(QWidget* widget)
    {
        const QPoint global = widget->mapToGlobal(widget->rect().center());
        QMouseEvent move(QEvent::MouseMove, frame.mapFromGlobal(global), global, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&frame, &move);
    }
    void Release(QWidget* widget)
    {
        const QPoint global = widget->mapToGlobal(widget->rect().center());
        QMouseEvent up(QEvent::MouseButtonRelease, frame.mapFromGlobal(global), global, Qt::LeftButton, {}, {});
        QApplication::sendEvent(&frame, &up);
    }

    CMainFrame frame;
    FakeTarget* target = nullptr;
};

TEST_F(DragTest, TheWidgetUnderThePointerIsFound)
{
    const QPoint global = target->mapToGlobal(target->rect().center());
    EXPECT_EQ(QApplication::widgetAt(global), target);
}

TEST_F(DragTest, ReleaseHandsTheDraggedTextsToTheFirstMatchingDrop)
{
    enum Start { Spectra, Clipboard, Module0, Module1, Module2 };
    struct Row {
        const char* name;
        Start start;
        std::function<void(FakeTarget&)> accept;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {"spectra on a spectra field", Spectra, [](FakeTarget& t) { t.specs = t.group = t.any = true; }, {"Specs A:S1;A:S2"}},
        {"spectra on a group field", Spectra, [](FakeTarget& t) { t.group = t.any = true; }, {"Group A"}},
        // Any other field gets the spectrum pane's selection as it is now.
        {"spectra on a text field", Spectra, [](FakeTarget& t) { t.any = true; }, {"Drop "}},
        {"spectra refused", Spectra, [](FakeTarget& t) { t.clipObjects = t.modules = true; }, {}},
        {"clipboard objects", Clipboard, [](FakeTarget& t) { t.clipObjects = t.clipGroup = true; }, {"ClipObjects K:a;K:b"}},
        {"clipboard group", Clipboard, [](FakeTarget& t) { t.clipGroup = true; }, {"ClipGroup K"}},
        {"clipboard on a text field", Clipboard, [](FakeTarget& t) { t.any = true; }, {"Drop K:a;K:b"}},
        {"clipboard refused", Clipboard, [](FakeTarget& t) { t.specs = true; }, {}},
        {"module", Module0, [](FakeTarget& t) { t.modules = true; }, {"Module Farb|me|trik:Lab"}},
        // A parameter carries its path and, when the document has it, its description.
        {"parameter", Module1, [](FakeTarget& t) { t.params = true; }, {"Param Farb|me|trik:Lab:Param"}},
        {"function", Module2, [](FakeTarget& t) { t.functions = true; }, {"Function Skript:run"}},
        {"module on a parameter field", Module0, [](FakeTarget& t) { t.params = t.any = true; }, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        target->Reset();
        r.accept(*target);
        switch (r.start) {
        case Spectra: frame.BeginSpectraDrag("A:S1;A:S2", "A"); break;
        case Clipboard: frame.BeginClipboardDrag("K:a;K:b", "K"); break;
        case Module0: frame.BeginModuleDrag("Farb|me|trik:Lab", 0); break;
        case Module1: frame.BeginModuleDrag("Farb|me|trik:Lab:Param", 1); break;
        case Module2: frame.BeginModuleDrag("Skript:run", 2); break;
        }
        MoveTo(target);
        EXPECT_EQ(frame.GetCurrentDropTarget() != nullptr, !r.calls.empty());
        EXPECT_EQ(frame.cursor().shape(), r.calls.empty() ? Qt::ForbiddenCursor : Qt::ArrowCursor);
        Release(target);
        EXPECT_EQ(target->calls, r.calls);
        EXPECT_FALSE(frame.IsDragging());
        EXPECT_EQ(frame.GetCurrentDropTarget(), nullptr);
        EXPECT_NE(QWidget::mouseGrabber(), &frame);
    }
}

TEST_F(DragTest, NothingDropsOverANonTargetOrBackOverTheSource)
{
    target->specs = target->clipObjects = true;
    struct Row {
        const char* name;
        bool spectra;
        QWidget* releasedOver;
    };
    const Row rows[] = {
        {"spectra over the log", true, frame.GetLogView()},
        {"spectra back over their pane", true, frame.GetSpecListView()},
        {"clipboard objects back over their pane", false, frame.GetClipboardView()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        target->calls.clear();
        if (r.spectra)
            frame.BeginSpectraDrag("A:S1", "A");
        else
            frame.BeginClipboardDrag("K:a", "K");
        MoveTo(target);
        ASSERT_NE(frame.GetCurrentDropTarget(), nullptr);
        MoveTo(r.releasedOver);
        EXPECT_EQ(frame.GetCurrentDropTarget(), nullptr);
        Release(r.releasedOver);
        EXPECT_TRUE(target->calls.empty());
        EXPECT_FALSE(frame.IsDragging());
    }
}

// The script editor as the editor pane: the pointer is over its viewport, and the drop goes to
// the editor; a parameter arrives with its module path and description.
TEST(DragOntoEditor, ParameterAndModuleDropsReachTheScriptEditor)
{
    class Probe : public Module {
    public:
        Probe() : Module("Probe") { getParameters().addIntParameter("Count", "Anzahl", 3, 0, 9, 3); }
        const CRuntimeClass* GetEditorClass() override { return nullptr; }
    };
    CMainFrame frame;
    ASSERT_TRUE(frame.BuildLayout());
    frame.resize(1200, 900);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CVelmontDoc doc;
    doc.SetMainFrame(&frame);
    frame.InitialUpdateAllViews(&doc);
    auto* probe = new Probe;
    probe->SetName("Test|grup|pe:Pro|be");
    ASSERT_TRUE(doc.GetModuleTree()->AddInserter(probe));
    auto* edit = new CSyntaxEdit;
    frame.ReplaceEditorPane(edit);
    QApplication::processEvents();

    const QPoint global = edit->viewport()->mapToGlobal(edit->viewport()->rect().center());
    ASSERT_EQ(QApplication::widgetAt(global), edit->viewport());
    const auto dropAt = [&] {
        QMouseEvent move(QEvent::MouseMove, frame.mapFromGlobal(global), global, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&frame, &move);
        EXPECT_EQ(frame.GetCurrentDropTarget(), static_cast<ModuleDropTarget*>(edit));
        QMouseEvent up(QEvent::MouseButtonRelease, frame.mapFromGlobal(global), global, Qt::LeftButton, {}, {});
        QApplication::sendEvent(&frame, &up);
    };
    frame.BeginModuleDrag("Test|grup|pe:Pro|be:Count", 1);
    dropAt();
    EXPECT_EQ(edit->toPlainText(), "\n//Parameter:Count Typ:int [0, 9]  Bedeutung:Anzahl \n"
                                   "get|setParameter(\"Test|grup|pe:Pro|be\",\"Count\", ...);\n");

    edit->clear();
    frame.BeginModuleDrag("Test|grup|pe:Pro|be", 0);
    dropAt();
    EXPECT_EQ(edit->toPlainText(), "\n\"Test|grup|pe:Pro|be\"\n");
    doc.SetMainFrame(nullptr);
}

} // namespace
