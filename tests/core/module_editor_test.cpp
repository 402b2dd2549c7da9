#include "core/module_editor.h"
#include "core/selection_edit.h"

#include "core/module.h"
#include "support/fake_prompter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A module with one text parameter and an operation that runs a test-supplied job.
class JobModule : public Module {
public:
    JobModule()
        : Module("Test_Job")
    {
        getParameters().addStringParameter("SpecDesc", "Eingabe", "", "");
    }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }

    bool Run()
    {
        ++runs;
        return job ? job() : true;
    }

    std::function<bool()> job;
    std::atomic<int> runs{0};
};

// A form whose drop field sits in a group box inside a scroll area.
class EditorForm : public CModuleEditor {
public:
    EditorForm()
        : CModuleEditor(100)
    {
        auto* layout = new QVBoxLayout(this);
        auto* scroll = new QScrollArea(this);
        auto* inner = new QWidget;
        auto* innerLayout = new QVBoxLayout(inner);
        auto* group = new QGroupBox("Eingabe", inner);
        auto* groupLayout = new QVBoxLayout(group);
        field = new CSelectionEdit(group);
        groupLayout->addWidget(field);
        innerLayout->addWidget(group);
        scroll->setWidget(inner);
        scroll->setWidgetResizable(true);
        layout->addWidget(scroll);
        button = new QPushButton("Start", this);
        layout->addWidget(button);
    }

    using CModuleEditor::RunAsThread;

    CSelectionEdit* field;
    QPushButton* button;
    int exchanges = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CModuleEditor::DoDataExchange(pDX);
        ++exchanges;
        if (!GetModule())
            return;
        ns_param::Paramora& p = GetModule()->getParameters();
        std::string text = *p.getStringParameter("SpecDesc");
        DDX_Text(pDX, field, text);
        p.setStringParameter("SpecDesc", text);
    }
};

std::string SpecDesc(Module& module) { return *module.getParameters().getStringParameter("SpecDesc"); }

enum class Kind { Specs, Group, ClipboardObjects, ClipboardGroup };

void SetCanDrop(CSelectionEdit& edit, Kind kind, bool can)
{
    switch (kind) {
    case Kind::Specs: edit.SetCanDropSpecs(can); break;
    case Kind::Group: edit.SetCanDropGroup(can); break;
    case Kind::ClipboardObjects: edit.SetCanDropClipboardObjects(can); break;
    case Kind::ClipboardGroup: edit.SetCanDropClipboardGroup(can); break;
    }
}

bool CanDrop(const ModuleDropTarget& target, Kind kind)
{
    switch (kind) {
    case Kind::Specs: return target.CanDropSpecs();
    case Kind::Group: return target.CanDropGroup();
    case Kind::ClipboardObjects: return target.CanDropClipboardObjects();
    case Kind::ClipboardGroup: return target.CanDropClipboardGroup();
    }
    return false;
}

void Drop(ModuleDropTarget& target, Kind kind, const std::string& text)
{
    switch (kind) {
    case Kind::Specs: target.OnDropSpecs(text); break;
    case Kind::Group: target.OnDropGroup(text); break;
    case Kind::ClipboardObjects: target.OnDropClipboardObjects(text); break;
    case Kind::ClipboardGroup: target.OnDropClipboardGroup(text); break;
    }
}

constexpr Kind kKinds[] = {Kind::Specs, Kind::Group, Kind::ClipboardObjects, Kind::ClipboardGroup};

class ModuleEditorTest : public ::testing::Test {
protected:
    void SetUp() override { form.SetModule(&module); }

    JobModule module;
    EditorForm form;
};

} // namespace

TEST(SelectionEdit, AcceptsOnlyTheKindsSwitchedOn)
{
    CSelectionEdit edit;
    for (Kind kind : kKinds)
        EXPECT_FALSE(CanDrop(edit, kind));
    for (Kind on : kKinds) {
        SCOPED_TRACE(static_cast<int>(on));
        for (Kind kind : kKinds)
            SetCanDrop(edit, kind, kind == on);
        for (Kind kind : kKinds)
            EXPECT_EQ(CanDrop(edit, kind), kind == on);
        EXPECT_FALSE(edit.CanDropParams());
        EXPECT_FALSE(edit.CanDropFunctions());
        EXPECT_FALSE(edit.CanDropModules());
        EXPECT_FALSE(edit.CanDrop("A"));
    }
}

// Each kind of drop shows the text unchanged and reaches the module's parameter through the
// form's data exchange, although the field sits in a group box inside a scroll area.
TEST_F(ModuleEditorTest, DropsReachTheModuleParameterUnchanged)
{
    const std::string texts[] = {"Gruppe:Spektrum 1;Gruppe:Spektrum 2", "Gruppe:*", "", "Weiß:Ä;;B",
                                 std::string(100000, 'S')};
    for (Kind kind : kKinds) {
        for (const std::string& text : texts) {
            SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + " " + text.substr(0, 40));
            module.getParameters().setStringParameter("SpecDesc", "vorher");
            Drop(*form.field, kind, text);
            EXPECT_EQ(form.field->text().toStdString(), text);
            EXPECT_EQ(SpecDesc(module), text);
        }
    }
}

TEST_F(ModuleEditorTest, ClipboardObjectNamesAreNotTaken)
{
    form.field->SetCanDropClipboardObjects(true);
    module.getParameters().setStringParameter("SpecDesc", "vorher");
    form.UpdateData(false);
    const int exchanges = form.exchanges;
    form.field->OnDropClipboardObjectNames("Daten:A");
    EXPECT_EQ(form.field->text(), QString("vorher"));
    EXPECT_EQ(form.exchanges, exchanges);
}

TEST(SelectionEdit, DropWithoutFormOnlySetsTheText)
{
    QWidget plain;
    auto* edit = new CSelectionEdit(&plain);
    edit->OnDropSpecs("A:B");
    EXPECT_EQ(edit->text(), QString("A:B"));
}

TEST_F(ModuleEditorTest, SetModuleShowsTheModulesValues)
{
    JobModule other;
    other.getParameters().setStringParameter("SpecDesc", "Andere:Spektren");
    form.SetModule(&other);
    EXPECT_EQ(form.GetModule(), &other);
    EXPECT_EQ(form.field->text(), QString("Andere:Spektren"));
    EXPECT_EQ(form.GetTemplateId(), 100);
    EXPECT_TRUE(RUNTIME_CLASS(CModuleEditor) == CRuntimeClass::FromName("CModuleEditor"));
}

// The main frame has actions on Ctrl+A, Ctrl+C and Ctrl+V; in an edit of a form the edit
// still gets the keys, elsewhere the actions do.
TEST_F(ModuleEditorTest, EditShortcutsWinOverWindowActions)
{
    QMainWindow frame;
    int triggered[3] = {0, 0, 0};
    const QKeySequence keys[3] = {QKeySequence(Qt::CTRL | Qt::Key_A), QKeySequence(Qt::CTRL | Qt::Key_C),
                                  QKeySequence(Qt::CTRL | Qt::Key_V)};
    for (int i = 0; i < 3; ++i) {
        auto* action = new QAction(&frame);
        action->setShortcut(keys[i]);
        QObject::connect(action, &QAction::triggered, [&triggered, i] { ++triggered[i]; });
        frame.addAction(action);
    }
    auto* framed = new EditorForm;
    framed->SetModule(&module);
    frame.setCentralWidget(framed);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));

    CSelectionEdit* edit = framed->field;
    edit->setText("A:B;C:D");
    edit->setFocus();
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), QString("A:B;C:D"));
    QApplication::clipboard()->clear();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString("A:B;C:D"));
    QApplication::clipboard()->setText("X:Y");
    edit->clear();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QString("X:Y"));
    EXPECT_EQ(triggered[0] + triggered[1] + triggered[2], 0);

    framed->button->setFocus();
    QTest::keyClick(framed->button, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(framed->button, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(triggered[0], 1);
    EXPECT_EQ(triggered[2], 1);
    EXPECT_EQ(edit->text(), QString("X:Y"));
}

// The operation waits on its worker for a timer of the GUI thread, which also tries a second
// run: the first run ends only because events flow, and the second is refused at once.
TEST_F(ModuleEditorTest, RunAsThreadKeepsEventsFlowingAndRefusesASecondRun)
{
    std::atomic<bool> fired{false};
    std::thread::id workerId;
    int secondResult = -1;
    module.job = [&] {
        workerId = std::this_thread::get_id();
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!fired && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return fired.load();
    };
    QTimer::singleShot(5ms, [&] {
        secondResult = form.RunAsThread(static_cast<SAutomationPtrList::Function>(&JobModule::Run));
        fired = true;
    });
    EXPECT_TRUE(form.RunAsThread(static_cast<SAutomationPtrList::Function>(&JobModule::Run)));
    EXPECT_EQ(secondResult, 0);
    EXPECT_EQ(module.runs, 1);
    EXPECT_NE(workerId, std::this_thread::get_id());

    module.job = [] { return false; };
    EXPECT_FALSE(form.RunAsThread(static_cast<SAutomationPtrList::Function>(&JobModule::Run)));
    EXPECT_EQ(module.runs, 2);
}

TEST(ModuleEditor, RunAsThreadWithoutModuleOrFunctionIsRefused)
{
    EditorForm form;
    EXPECT_FALSE(form.RunAsThread(static_cast<SAutomationPtrList::Function>(&JobModule::Run)));
    JobModule module;
    form.SetModule(&module);
    EXPECT_FALSE(form.RunAsThread(nullptr));
    EXPECT_EQ(module.runs, 0);
}

// Another module chosen while an operation runs: the form goes away during the wait.
TEST(ModuleEditor, FormDestroyedDuringRunAsThread)
{
    JobModule module;
    auto* form = new EditorForm;
    form->SetModule(&module);
    std::atomic<bool> deleted{false};
    module.job = [&] {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!deleted && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return deleted.load();
    };
    QTimer::singleShot(5ms, [&] {
        delete form;
        deleted = true;
    });
    EXPECT_TRUE(form->RunAsThread(static_cast<SAutomationPtrList::Function>(&JobModule::Run)));
}
