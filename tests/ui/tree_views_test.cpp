// The four panes in the real frame with the real document; the plot is a fake.
#include "app/velmont_doc.h"
#include "core/module_editor.h"
#include "platform/document_opener.h"
#include "support/fake_prompter.h"
#include "support/shown_text.h"
#include "ui/clipboard_tree_view.h"
#include "ui/log_window_view.h"
#include "ui/main_frame.h"
#include "ui/module_view.h"
#include "ui/spec_list_view.h"
#include "ui/spec_plot_link.h"
#include "ui/velmont_view.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QToolTip>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <string>
#include <vector>

namespace {

class FakePlot : public SpecPlotLink {
public:
    void SetFromSpectrumList(std::list<Spectrum*>& spectra) override
    {
        shown.assign(spectra.begin(), spectra.end());
        ++feeds;
    }
    void RemoveFromShownList(const Spectrum* spectrum) override
    {
        shown.erase(std::remove(shown.begin(), shown.end(), spectrum), shown.end());
    }
    bool IsDensView() const override { return densities; }
    void RequestRedraw() override {}

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Spectrum* s : shown)
            names.push_back(s->GetName());
        return names;
    }

    std::vector<Spectrum*> shown;
    int feeds = 0;
    bool densities = false;
};

// An editor form with two fields bound to the module's "Text" and "Anzahl" parameters.
class TextForm : public CModuleEditor {
    DECLARE_DYNCREATE(TextForm)
public:
    TextForm() : CModuleEditor(1)
    {
        edit = new QLineEdit(this);
        count = new QLineEdit(this);
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        CModuleEditor::DoDataExchange(pDX);
        if (GetModule()) {
            DDX_Text(pDX, edit, *GetModule()->getParameters().getStringParameter("Text"));
            DDX_Text(pDX, count, *GetModule()->getParameters().getIntParameter("Anzahl"));
        }
    }
    QLineEdit* edit;
    QLineEdit* count;
};
IMPLEMENT_DYNCREATE(TextForm, CModuleEditor)

class FormModule : public Module {
public:
    explicit FormModule(bool hasForm) : Module("Test_Form"), m_hasForm(hasForm)
    {
        getParameters().addStringParameter("Text", "Ein Text", "", "");
        getParameters().addIntParameter("Anzahl", "Wie viele", 5, 0, 100, 5);
    }
    const CRuntimeClass* GetEditorClass() override { return m_hasForm ? RUNTIME_CLASS(TextForm) : nullptr; }
    std::string Text() { return *getParameters().getStringParameter("Text"); }
    int Count() { return *getParameters().getIntParameter("Anzahl"); }

private:
    bool m_hasForm;
};

class RecordingOpener : public platform::DocumentOpener {
public:
    RecordingOpener() : m_previous(platform::SetDocumentOpener(this)) {}
    ~RecordingOpener() override { platform::SetDocumentOpener(m_previous); }
    bool Open(const QString& path) override
    {
        opened.push_back(QFileInfo(path).fileName());
        return true;
    }
    std::vector<QString> opened;

private:
    platform::DocumentOpener* m_previous;
};

class TreeViewsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.BuildLayout());
        frame.resize(1200, 900);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        doc.SetMainFrame(&frame);
        frame.SetSpecPlot(&plot);
        frame.InitialUpdateAllViews(&doc);
    }
    void TearDown() override
    {
        frame.SetSpecPlot(nullptr);
        doc.SetMainFrame(nullptr);
    }

    CModuleView& Modules() { return *frame.GetModuleView(); }
    CSpecListView& Spectra() { return *frame.GetSpecListView(); }
    CClipboardTreeView& Clipboard() { return *frame.GetClipboardView(); }

    void AddSpectra(const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            auto* s = new Spectrum;
            s->SetName(name);
            s->SetColor(RGB(10, 20, 30));
            for (int i = 0; i < 3; ++i)
                s->AddPoint(SPoint(400 + i, i + 1));
            ASSERT_TRUE(doc.GetSpectrumTree()->AddInserter(s)) << name;
        }
    }
    ClipboardObject* AddObject(const std::string& name)
    {
        auto* object = new ClipboardObject;
        object->SetName(name);
        if (!doc.GetClipboardTree()->AddInserter(object)) {
            delete object;
            return nullptr;
        }
        return object;
    }
    FormModule* AddModule(const std::string& path, bool hasForm = true)
    {
        auto* module = new FormModule(hasForm);
        module->SetName(path);
        EXPECT_TRUE(doc.GetModuleTree()->AddInserter(module));
        module->SetModuleInterface(&doc);
        return module;
    }

    template <class View>
    QTreeWidgetItem* Item(View& view, const std::string& path)
    {
        auto* node = view.GetTree()->GetNodeByName(path, false, false);
        return node ? view.ItemOf(node) : nullptr;
    }

    template <class View>
    void Mouse(View& view, QEvent::Type type, QTreeWidgetItem* item, Qt::MouseButton button,
               Qt::KeyboardModifiers keys = {})
    {
        ASSERT_NE(item, nullptr);
        view.scrollToItem(item);
        const QPoint point = view.GetItemLabelRect(item).center();
        QMouseEvent event(type, point, view.viewport()->mapToGlobal(point), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), keys);
        QApplication::sendEvent(view.viewport(), &event);
    }
    template <class View>
    void Click(View& view, const std::string& path, Qt::KeyboardModifiers keys = {},
               Qt::MouseButton button = Qt::LeftButton)
    {
        QTreeWidgetItem* item = Item(view, path);
        Mouse(view, QEvent::MouseButtonPress, item, button, keys);
        Mouse(view, QEvent::MouseButtonRelease, item, button, keys);
    }
    template <class View>
    void Key(View& view, int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }

    std::vector<std::string> LogTexts()
    {
        std::vector<std::string> texts;
        for (const auto& line : frame.GetLogView()->Model().Lines())
            texts.push_back(line);
        return texts;
    }

    FakePrompter prompter;
    FakePlot plot;
    CVelmontDoc doc;
    CMainFrame frame;
};

// ---------------------------------------------------------------------------------------------
// Spectrum pane

TEST_F(TreeViewsTest, ASelectedGroupShowsAllItsSpectraAndDeleteAsksForThem)
{
    AddSpectra({"Messung:S1", "Messung:S2", "Messung:S3", "Referenz"});
    QCoreApplication::processEvents();
    Click(Spectra(), "Messung");
    EXPECT_EQ(plot.Names(), (std::vector<std::string>{"Messung:S1", "Messung:S2", "Messung:S3"}));
    EXPECT_EQ(plot.feeds, 1);

    prompter.answers = {platform::PromptAnswer::No};
    Key(Spectra(), Qt::Key_Delete);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].caption, "Achtung");
    EXPECT_EQ(prompter.shown[0].text, "3 selektierte Spektren wirklich löschen?");
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 4u);

    Key(Spectra(), Qt::Key_Delete); // answered Yes
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 1u);
    EXPECT_TRUE(plot.shown.empty());

    Click(Spectra(), "Referenz");
    Key(Spectra(), Qt::Key_Delete);
    EXPECT_EQ(prompter.shown.back().text, "Spektrum 'Referenz' wirklich löschen?");
    EXPECT_TRUE(doc.GetSpectrumTree()->GetInserters().empty());
    // Nothing selected: no question.
    Key(Spectra(), Qt::Key_Delete);
    EXPECT_EQ(prompter.shown.size(), 3u);
}

// Collapsing a group whose spectrum was selected selects nothing in its place: the plot shows
// nothing, and Delete has nothing to ask about.
TEST_F(TreeViewsTest, CollapsingAGroupSelectsNothingInstead)
{
    AddSpectra({"leds:Spec0", "leds:Spec1", "leds:Spec2", "Referenz"});
    QCoreApplication::processEvents();
    Spectra().expandAll();
    Click(Spectra(), "leds:Spec0");
    ASSERT_EQ(plot.Names(), std::vector<std::string>{"leds:Spec0"});
    Item(Spectra(), "leds")->setExpanded(false);
    EXPECT_TRUE(plot.shown.empty());
    EXPECT_EQ(Spectra().GetSelectedCount(), 0);
    std::string selection;
    Spectra().BuildSelectionString(selection);
    EXPECT_EQ(selection, "");
    Key(Spectra(), Qt::Key_Delete);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 4u);
}

TEST_F(TreeViewsTest, SpectraDeletedElsewhereLeaveThePlotFirst)
{
    AddSpectra({"G:S1", "G:S2", "G:S3"});
    Click(Spectra(), "G");
    ASSERT_EQ(plot.shown.size(), 3u);
    // A module's deletion (or replacement) of two shown spectra: the plot keeps the third.
    doc.GetSpectrumTree()->DeleteInserters("G:S1;G:S2");
    EXPECT_EQ(plot.Names(), std::vector<std::string>{"G:S3"});
}

TEST_F(TreeViewsTest, RightButtonLogsTheStatisticsOfOneSpectrum)
{
    AddSpectra({"A", "B"});
    QCoreApplication::processEvents();
    // Nothing selected yet: the statistics use the selection before the click.
    Click(Spectra(), "A", {}, Qt::RightButton);
    EXPECT_TRUE(LogTexts().empty());
    Click(Spectra(), "A", {}, Qt::RightButton);
    ASSERT_EQ(LogTexts().size(), 1u);
    EXPECT_EQ(LogTexts()[0], "Spektrum A, X = [400, 402], 3 Punkte, Y = [1, 3], Y - Mittelwert / Streuung: 2 / 0.816497");
    EXPECT_EQ(frame.GetLogView()->Model().Colours().front(), RGB(10, 20, 30));
    plot.densities = true;
    Click(Spectra(), "A", Qt::ShiftModifier);
    Click(Spectra(), "B", Qt::ShiftModifier);
    Click(Spectra(), "B", {}, Qt::RightButton); // two spectra: nothing
    EXPECT_EQ(LogTexts().size(), 1u);
}

TEST_F(TreeViewsTest, LiveModeReplacesWithoutQuestionAndAddsItemsAfterwards)
{
    AddSpectra({"Live:0", "Live:1"});
    Spectra().SetLiveMode(true);
    AddSpectra({"Live:1", "Live:2"});
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(prompter.dialogs.empty());
    EXPECT_EQ(Item(Spectra(), "Live:1"), nullptr);
    EXPECT_EQ(Item(Spectra(), "Live:2"), nullptr);
    // Delete does nothing; a drag does not start.
    Click(Spectra(), "Live");
    Key(Spectra(), Qt::Key_Delete);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 3u);
    Spectra().SetLiveMode(false);
    EXPECT_NE(Item(Spectra(), "Live:1"), nullptr);
    EXPECT_NE(Item(Spectra(), "Live:2"), nullptr);
    // Outside live mode the document asks.
    prompter.dialogAnswers = {1};
    AddSpectra({});
    auto* again = new Spectrum;
    again->SetName("Live:2");
    EXPECT_FALSE(doc.GetSpectrumTree()->AddInserter(again));
    delete again;
    EXPECT_EQ(prompter.dialogs.size(), 1u);
}

TEST_F(TreeViewsTest, SelectionTextRootModeAndSorting)
{
    AddSpectra({"b", "A", "c:2", "c:1"});
    QCoreApplication::processEvents();
    // The top level sorts without regard to case; below it, the order of insertion stays.
    ASSERT_EQ(Spectra().topLevelItemCount(), 3);
    EXPECT_EQ(Spectra().topLevelItem(0)->text(0), "A");
    EXPECT_EQ(Spectra().topLevelItem(2)->child(0)->text(0), "2");
    Spectra().SetRecursiveSort(true);
    AddSpectra({"d"});
    QCoreApplication::processEvents();
    EXPECT_EQ(Spectra().topLevelItem(2)->child(0)->text(0), "1");

    std::string root = "Root";
    Spectra().BuildSelectionString(root, nullptr, "P:");
    EXPECT_EQ(root, "P:A");
    EXPECT_TRUE(Spectra().IsSelected(Spectra().topLevelItem(0)));
    EXPECT_EQ(Spectra().GetFocusedItem(), Spectra().topLevelItem(0));
    std::string text;
    Spectra().BuildSelectionString(text);
    EXPECT_EQ(text, "A");
}

// The tips of the three panes name the entries as typed, tags and all.
TEST_F(TreeViewsTest, TipsShowNamesAsTyped)
{
    AddSpectra({"Filter <b>rot</b>:S1"});
    AddObject("<i>Satz</i>:Eins");
    AddModule("Da|ten:<b>La|den</b>");
    Modules().Rebuild();
    Modules().expandAll();
    Spectra().expandAll();
    Clipboard().expandAll();
    QCoreApplication::processEvents();
    const auto tip = [](CMultiTree& view, QTreeWidgetItem* item) -> QString {
        if (!item)
            return QStringLiteral("(kein Eintrag)");
        view.scrollToItem(item);
        const QPoint point = view.visualItemRect(item).center();
        QHelpEvent event(QEvent::ToolTip, point, view.viewport()->mapToGlobal(point));
        QApplication::sendEvent(view.viewport(), &event);
        QLabel* label = ShownToolTipLabel();
        const QString shown = label ? ShownText(*label) : QStringLiteral("(kein Tipp)");
        QToolTip::hideText();
        return shown;
    };
    struct Row {
        const char* name;
        QString shown;
        const char* expected;
    };
    const Row rows[] = {
        {"spectrum", tip(Spectra(), Item(Spectra(), "Filter <b>rot</b>:S1")), "Filter <b>rot</b> : S1"},
        {"spectrum group", tip(Spectra(), Item(Spectra(), "Filter <b>rot</b>")), "Filter <b>rot</b>"},
        {"clipboard object", tip(Clipboard(), Item(Clipboard(), "<i>Satz</i>:Eins")), "<i>Satz</i> : Eins"},
        {"module", tip(Modules(), Item(Modules(), "Da|ten:<b>La|den</b>")), "Daten > <b>Laden</b>"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.shown, QString::fromUtf8(r.expected));
    }
}

TEST_F(TreeViewsTest, DragsHandTheSelectionToTheFrame)
{
    AddSpectra({"G:S1", "G:S2", "G:S3"});
    AddObject("K:a");
    FormModule* module = AddModule("Grup|pe:Mo|dul");
    Modules().Rebuild();
    for (QTreeWidget* view : std::initializer_list<QTreeWidget*>{&Spectra(), &Clipboard(), &Modules()})
        view->expandAll();
    const auto drag = [this](auto& view, const std::string& path) {
        QTreeWidgetItem* item = Item(view, path);
        Mouse(view, QEvent::MouseButtonPress, item, Qt::LeftButton);
        const QPoint start = view.GetItemLabelRect(item).center();
        const QPoint end = start + QPoint(0, QApplication::startDragDistance() + 1);
        QMouseEvent move(QEvent::MouseMove, end, view.viewport()->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(view.viewport(), &move);
    };
    const auto release = [this] {
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(1, 1), frame.mapToGlobal(QPoint(1, 1)), Qt::LeftButton, {}, {});
        QApplication::sendEvent(&frame, &up);
        ASSERT_FALSE(frame.IsDragging());
    };

    Click(Spectra(), "G:S1");
    Click(Spectra(), "G:S2", Qt::ControlModifier);
    drag(Spectra(), "G:S2");
    EXPECT_TRUE(frame.IsDragging());
    EXPECT_EQ(frame.GetDraggedSpectra(), "G:S1;G:S2");
    release();

    drag(Clipboard(), "K:a");
    EXPECT_TRUE(frame.IsDragging());
    EXPECT_EQ(frame.GetDraggedClipboardObjects(), "K:a");
    release();

    // The module path keeps its marks; the drag leaves the editor pane alone.
    QWidget* pane = frame.GetEditorPane();
    drag(Modules(), "Grup|pe:Mo|dul");
    EXPECT_TRUE(frame.IsDragging());
    EXPECT_EQ(frame.GetDraggedModulePath(), "Grup|pe:Mo|dul");
    EXPECT_EQ(frame.GetModuleDragKind(), 0);
    EXPECT_EQ(frame.GetEditorPane(), pane);
    release();
    EXPECT_EQ(module->GetName(), "Grup|pe:Mo|dul");

    // No spectrum drag in live mode.
    Spectra().SetLiveMode(true);
    drag(Spectra(), "G:S3");
    EXPECT_FALSE(frame.IsDragging());
    Spectra().SetLiveMode(false);
}

// ---------------------------------------------------------------------------------------------
// Renaming (both object panes)

TEST_F(TreeViewsTest, RenameRefusalsKeepTheName)
{
    AddSpectra({"G:Alt", "G:Nachbar"});
    auto* node = doc.GetSpectrumTree()->GetNodeByName("G:Alt", false, false);
    const struct {
        const char* name;
        const char* message;
    } refusals[] = {
        {"", "Der Name '' ist ungültig.\nDie Umbenennung kann nicht durchgeführt werden."},
        {"  ", "Der Name '  ' ist ungültig.\nDie Umbenennung kann nicht durchgeführt werden."},
        {"a:b", "Der Name 'a:b' ist ungültig.\nDie Umbenennung kann nicht durchgeführt werden."},
        {"a;b", "Der Name 'a;b' ist ungültig.\nDie Umbenennung kann nicht durchgeführt werden."},
        {"Nachbar", "Der Eintrag 'Nachbar' existiert bereits.\nDie Umbenennung kann nicht durchgeführt werden."},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        prompter.shown.clear();
        Spectra().RenameNode(node, r.name);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].caption, "Fehler");
        EXPECT_EQ(prompter.shown[0].text, r.message);
        EXPECT_EQ(Item(Spectra(), "G:Alt")->text(0), "Alt");
    }

    // Through the editor: a double click on the first selected item, a new text, Enter.
    QTreeWidgetItem* item = Item(Spectra(), "G:Alt");
    Spectra().expandAll();
    Click(Spectra(), "G:Alt");
    Mouse(Spectra(), QEvent::MouseButtonDblClick, item, Qt::LeftButton);
    auto* editor = Spectra().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Neu");
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits in a queued call, the pane renames in the next one.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_NE(doc.GetSpectrumTree()->GetInserter("G:Neu"), nullptr);
    EXPECT_EQ(item->text(0), "Neu");

    // The edited spectrum goes before the rename runs: nothing is renamed.
    Click(Spectra(), "G:Neu");
    Mouse(Spectra(), QEvent::MouseButtonDblClick, item, Qt::LeftButton);
    editor = Spectra().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Später");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    doc.GetSpectrumTree()->DeleteInserters("G:Neu");
    QCoreApplication::processEvents();
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserter("G:Später"), nullptr);
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Clipboard pane

TEST_F(TreeViewsTest, ClipboardOverwriteAnswersHoldForOneCalculation)
{
    AddObject("Ergebnis:A");
    AddObject("Ergebnis:B");
    doc.StartCalculation();
    prompter.dialogAnswers = {2}; // "Ja, alle"
    EXPECT_NE(AddObject("Ergebnis:A"), nullptr);
    EXPECT_NE(AddObject("Ergebnis:B"), nullptr);
    EXPECT_EQ(prompter.dialogs.size(), 1u);
    EXPECT_EQ(prompter.dialogs[0].text, "Der Clipboard-Eintrag 'Ergebnis:A' existiert bereits. Soll er überschrieben werden?");
    doc.EndCalculation();
    doc.StartCalculation();
    prompter.dialogAnswers = {3}; // "Nein, alle"
    EXPECT_EQ(AddObject("Ergebnis:A"), nullptr);
    EXPECT_EQ(AddObject("Ergebnis:B"), nullptr);
    EXPECT_EQ(prompter.dialogs.size(), 2u);
    doc.EndCalculation();
}

// The clipboard question names the entry the replacement deletes: the object at the path, an
// object met higher up the path (filing "Farbe:Rot:Rot" replaces the object "Farbe:Rot"), or a
// group at the path.
TEST_F(TreeViewsTest, ClipboardOverwriteQuestionNamesWhatTheReplacementDeletes)
{
    const struct {
        const char* filed;
        int answer;
        const char* named;
        bool replaced;
    } rows[] = {
        {"Farbe:Rot", 1, "Farbe:Rot", false},
        {"Farbe:Rot:Rot", 1, "Farbe:Rot", false},
        {"Farbe:Gruen:Rot", 0, "Farbe:Gruen", true},
        {"Farbe", 1, "Farbe", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.filed);
        doc.GetClipboardTree()->ClearTree();
        ClipboardObject* red = AddObject("Farbe:Rot");
        ClipboardObject* green = AddObject("Farbe:Gruen");
        ASSERT_TRUE(red && green);
        prompter.dialogs.clear();
        prompter.dialogAnswers = {row.answer};
        doc.StartCalculation();
        EXPECT_EQ(AddObject(row.filed) != nullptr, row.replaced);
        doc.EndCalculation();
        ASSERT_EQ(prompter.dialogs.size(), 1u);
        EXPECT_EQ(prompter.dialogs[0].text.toStdString(),
                  std::string("Der Clipboard-Eintrag '") + row.named + "' existiert bereits. Soll er überschrieben werden?");
        EXPECT_EQ(doc.GetClipboardTree()->GetInserters().size(), 2u);
    }
}

TEST_F(TreeViewsTest, ClipboardItemsFollowMovesAndSortTheTopLevelOnly)
{
    for (const char* name : {"z", "K:c", "K:a", "K:b"})
        AddObject(name);
    QCoreApplication::processEvents();
    auto* tree = doc.GetClipboardTree();
    tree->MoveNode(tree->GetNodeByName("K:b", false, false), tree->GetNodeByName("K:c", false, false));
    QCoreApplication::processEvents();
    // The moved item stands after its new previous sibling; below the top level nothing sorts.
    ASSERT_EQ(Clipboard().topLevelItemCount(), 2);
    QTreeWidgetItem* group = Clipboard().topLevelItem(0);
    EXPECT_EQ(group->text(0), "K");
    ASSERT_EQ(group->childCount(), 3);
    EXPECT_EQ(group->child(0)->text(0), "b");
    EXPECT_EQ(group->child(1)->text(0), "c");
    EXPECT_EQ(group->child(2)->text(0), "a");
    tree->MoveNode(tree->GetNodeByName("K:c", false, false), tree->GetNodeByName("K:a", false, false));
    EXPECT_EQ(group->child(0)->text(0), "b");
    EXPECT_EQ(group->child(1)->text(0), "c");
    EXPECT_EQ(group->child(2)->text(0), "a");
    tree->MoveNode(tree->GetNodeByName("K:b", false, false), tree->GetNodeByName("K:a", false, false));
    EXPECT_EQ(group->child(0)->text(0), "c");
    EXPECT_EQ(group->child(1)->text(0), "b");
    EXPECT_EQ(group->child(2)->text(0), "a");
    EXPECT_EQ(Clipboard().topLevelItem(1)->text(0), "z");
}

TEST_F(TreeViewsTest, ClipboardListingAndDelete)
{
    ClipboardObject* object = AddObject("Satz:Eins");
    object->GetParameters().addIntParameter("A", "", 1, 0, 10, 0);
    object->GetParameters().addStringParameter("ClpRefs", "", "x", "");
    object->GetParameters().addStringParameter("Z", "", "5%", "");
    AddObject("Satz:Zwei");
    AddObject("Satz:Drei");
    Clipboard().expandAll();
    Click(Clipboard(), "Satz:Eins");
    Click(Clipboard(), "Satz:Eins", {}, Qt::RightButton);
    EXPECT_EQ(LogTexts(), (std::vector<std::string>{"Parametervektor(en) aus Gruppe \"Satz\"", "Eins: A: 1     Z: 5%     "}));

    prompter.answers = {platform::PromptAnswer::No};
    Key(Clipboard(), Qt::Key_Delete);
    EXPECT_EQ(prompter.shown.back().text, "Clipboardobjekte 'Satz:Eins' wirklich löschen?");
    Click(Clipboard(), "Satz");
    Key(Clipboard(), Qt::Key_Delete);
    EXPECT_EQ(prompter.shown.back().text, "3 selektierte Clipboardobjekte wirklich löschen?");
    EXPECT_TRUE(doc.GetClipboardTree()->GetInserters().empty());
    EXPECT_EQ(Clipboard().topLevelItemCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Module pane

TEST_F(TreeViewsTest, ModuleSelectionSwapsTheEditorAndKeepsTypedValues)
{
    FormModule* a = AddModule("Gruppe:A");
    FormModule* b = AddModule("Gruppe:B");
    AddModule("Gruppe:C", false);
    Modules().Rebuild();
    Modules().expandAll();

    Click(Modules(), "Gruppe:A");
    auto* form = dynamic_cast<TextForm*>(frame.GetEditorPane());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetModule(), a);
    EXPECT_EQ(doc.m_lastModule, "Gruppe:A");
    EXPECT_TRUE(doc.IsModified());
    form->edit->setText("getippt");

    // Another module: the first form's value goes back into its module first.
    Click(Modules(), "Gruppe:B");
    EXPECT_EQ(a->Text(), "getippt");
    form = dynamic_cast<TextForm*>(frame.GetEditorPane());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetModule(), b);
    form->edit->setText("auch");

    // A group: the main panel, with the group's modules; the form goes without its data.
    Click(Modules(), "Gruppe");
    EXPECT_EQ(b->Text(), "");
    EXPECT_NE(dynamic_cast<CVelmontView*>(frame.GetEditorPane()), nullptr);
    EXPECT_EQ(doc.m_lastModule, "Gruppe");
    EXPECT_EQ(doc.m_groupContents, "A;B;C;");

    // A module without a form: the message, then the main panel.
    Click(Modules(), "Gruppe:C");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].caption, "");
    EXPECT_EQ(prompter.shown[0].text, "Dialog kann nicht angezeigt werden!");
    EXPECT_NE(dynamic_cast<CVelmontView*>(frame.GetEditorPane()), nullptr);
    EXPECT_EQ(doc.m_lastModule, "Gruppe:C");
}

// A form replaced by a group takes nothing from its fields, so a text that does not parse
// asks nothing; a form replaced by another module's form takes them, with the check.
TEST_F(TreeViewsTest, SelectingAGroupDropsTheOpenFormsData)
{
    FormModule* a = AddModule("Gruppe:A");
    AddModule("Gruppe:B");
    Modules().Rebuild();
    Modules().expandAll();
    const struct {
        const char* name;
        const char* text;
        const char* count;
        const char* next;
        const char* message; // "" for none
        const char* textAfter;
        int countAfter;
    } rows[] = {
        {"typed text, then the group", "getippt", "7", "Gruppe", "", "", 5},
        {"a count that does not parse, then the group", "", "fünf", "Gruppe", "", "", 5},
        {"typed text, then another module", "getippt", "7", "Gruppe:B", "", "getippt", 7},
        {"a count that does not parse, then another module", "", "fünf", "Gruppe:B",
         "Bitte geben Sie eine ganze Zahl ein.", "", 5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        *a->getParameters().getStringParameter("Text") = "";
        a->getParameters().setIntParameter("Anzahl", 5);
        prompter.shown.clear();
        Click(Modules(), "Gruppe:A");
        auto* form = dynamic_cast<TextForm*>(frame.GetEditorPane());
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(form->GetModule(), a);
        form->edit->setText(QString::fromUtf8(r.text));
        form->count->setText(QString::fromUtf8(r.count));
        Click(Modules(), r.next);
        if (*r.message) {
            ASSERT_EQ(prompter.shown.size(), 1u);
            EXPECT_EQ(prompter.shown[0].text.toStdString(), r.message);
        } else {
            EXPECT_TRUE(prompter.shown.empty());
        }
        EXPECT_EQ(a->Text(), r.textAfter);
        EXPECT_EQ(a->Count(), r.countAfter);
        EXPECT_NE(frame.GetEditorPane(), nullptr);
    }
}

TEST_F(TreeViewsTest, CtrlSelectionChangesNothingOutsideTheTree)
{
    AddModule("Gruppe:A");
    AddModule("Andere:B");
    Modules().Rebuild();
    Modules().expandAll();
    Click(Modules(), "Gruppe:A");
    QWidget* pane = frame.GetEditorPane();
    Click(Modules(), "Andere", Qt::ControlModifier);
    EXPECT_EQ(frame.GetEditorPane(), pane);
    EXPECT_EQ(doc.m_lastModule, "Gruppe:A");
    EXPECT_EQ(Modules().GetFocusedItem(), Item(Modules(), "Andere"));
}

TEST_F(TreeViewsTest, ReselectAfterOpeningShowsTheModule)
{
    AddModule("Da|ten:La|den");
    AddModule("Da|ten:Spei|chern");
    Modules().SetReselectName("speichern");
    Modules().OnInitialUpdate();
    QCoreApplication::processEvents();
    EXPECT_EQ(Modules().GetFocusedItem(), Item(Modules(), "Da|ten:Spei|chern"));
    EXPECT_NE(dynamic_cast<TextForm*>(frame.GetEditorPane()), nullptr);
    EXPECT_EQ(doc.m_lastModule, "Daten:Speichern");
    // An unknown name selects nothing.
    Modules().SetReselectName("fehlt");
    Modules().Reselect();
    EXPECT_EQ(Modules().GetFocusedItem(), Item(Modules(), "Da|ten:Spei|chern"));
}

TEST_F(TreeViewsTest, RightButtonOpensTheManualsOfTheArea)
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    ASSERT_TRUE(QDir(data.path()).mkpath("Orvanta/Doc"));
    for (const char* file : {"Orvanta-AddOnSSR.pdf", "Orvanta-SpecArithmetik.pdf"}) {
        QFile pdf(data.path() + "/Orvanta/Doc/" + file);
        ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    }
    RecordingOpener opener;
    AddModule("Arithmetik:Superresolution");
    AddModule("Arithmetik:Summe");
    AddModule("Datenimport:Laden");
    Modules().Rebuild();
    Modules().expandAll();
    Click(Modules(), "Arithmetik:Superresolution");
    Click(Modules(), "Arithmetik:Summe", {}, Qt::RightButton); // the caret counts, not the item
    EXPECT_EQ(opener.opened, std::vector<QString>{"Orvanta-AddOnSSR.pdf"});
    Click(Modules(), "Arithmetik:Summe");
    Click(Modules(), "Arithmetik:Summe", {}, Qt::RightButton);
    EXPECT_EQ(opener.opened.back(), "Orvanta-SpecArithmetik.pdf");
    // A missing manual: nothing.
    Click(Modules(), "Datenimport:Laden");
    Click(Modules(), "Datenimport:Laden", {}, Qt::RightButton);
    EXPECT_EQ(opener.opened.size(), 2u);
    EXPECT_TRUE(prompter.shown.empty());
    qunsetenv("XDG_DATA_HOME");
}

} // namespace
