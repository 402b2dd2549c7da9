#include "ui/main_frame.h"

#include "platform/document_opener.h"
#include "support/fake_prompter.h"
#include "support/shown_text.h"
#include "ui/clipboard_tree_view.h"
#include "ui/command_ids.h"
#include "ui/log_window_view.h"
#include "ui/spec_list_view.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSplitterHandle>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A frame as the program shows it, at 1200 x 900 (the offscreen screen is narrower than the
// 800 px below which the frame keeps its layout).
class FrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.BuildLayout());
        frame.resize(1200, 900);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    }

    // The sizes of splitter against the sizes the sizing function asks for: every pane but the
    // last at its ideal size, the last the rest after the handles.
    template <std::size_t N>
    static void ExpectSizes(const QSplitter* splitter, const std::array<PaneSize, N>& panes)
    {
        const QList<int> sizes = splitter->sizes();
        ASSERT_EQ(sizes.size(), static_cast<qsizetype>(N));
        int total = splitter->handleWidth() * static_cast<int>(N - 1);
        for (std::size_t i = 0; i < N; ++i) {
            if (i + 1 < N) {
                EXPECT_EQ(sizes[static_cast<qsizetype>(i)], panes[i].ideal) << "pane " << i;
            }
            total += sizes[static_cast<qsizetype>(i)];
        }
        const int length = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        EXPECT_EQ(total, length);
    }

    const LogModel& Log() const { return frame.GetLogView()->Model(); }

    CMainFrame frame;
};

TEST_F(FrameTest, SplittersFollowTheSizingFunction)
{
    const auto sizing = ComputeFrameSizing({1200, 900, true, 300, false});
    ASSERT_TRUE(sizing);
    ExpectSizes(frame.GetOuterSplitter(), sizing->outerRows);
    ExpectSizes(frame.GetUpperSplitter(), sizing->upperColumns);
    ExpectSizes(frame.GetCentreSplitter(), sizing->centreRows);
    ExpectSizes(frame.GetRightSplitter(), sizing->rightRows);

    // Too small in either direction: nothing moves.
    const QList<int> upper = frame.GetUpperSplitter()->sizes();
    frame.resize(799, 1000);
    EXPECT_EQ(frame.GetUpperSplitter()->sizes()[0], upper[0]);
    EXPECT_EQ(frame.GetCentreSplitter()->sizes()[0], 325);
}

TEST_F(FrameTest, TheRightColumnKeepsTheWidthTheUserDraggedItTo)
{
    MySplitter* upper = frame.GetUpperSplitter();
    QSplitterHandle* handle = upper->handle(2);
    const QPoint start = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
    QTest::mouseMove(handle, start - QPoint(300, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, start - QPoint(300, 0));
    const int dragged = upper->sizes().back();
    EXPECT_EQ(upper->GetLastColumnWidth(), dragged);
    EXPECT_GT(dragged, 550);

    frame.resize(1000, 900);
    const auto sizing = ComputeFrameSizing({1000, 900, true, dragged, true});
    ASSERT_TRUE(sizing);
    ExpectSizes(upper, sizing->upperColumns);
    frame.resize(820, 900);
    EXPECT_GE(upper->sizes()[1], 50);
}

TEST_F(FrameTest, LogToggleHidesTheRowAndANewSizeShowsItAt250)
{
    QAction* toggle = frame.Action(cmd::ViewLog);
    EXPECT_TRUE(toggle->isChecked());
    toggle->trigger();
    EXPECT_FALSE(frame.IsLogShown());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(frame.GetOuterSplitter()->sizes()[1], 0);

    toggle->trigger();
    EXPECT_TRUE(frame.IsLogShown());
    ExpectSizes(frame.GetOuterSplitter(), ComputeLogToggle(frame.frameGeometry().height(), false).outerRows);
    EXPECT_GT(frame.GetOuterSplitter()->sizes()[1], 0);

    frame.resize(1200, 880);
    ExpectSizes(frame.GetOuterSplitter(), ComputeFrameSizing({1200, 880, true, 300, true})->outerRows);
}

TEST_F(FrameTest, PrintLayoutGivesTheDiagramTheExportSizeOrLogsWhyNot)
{
    // A picture as high as the upper part does not fit: the hint, and only the width is set.
    frame.SetExportSize(800, frame.GetUpperSplitter()->height() - 21);
    frame.Action(cmd::PrintLayout)->trigger();
    ASSERT_EQ(Log().LineCount(), 1u);
    EXPECT_EQ(Log().Lines().back(),
              "Bitte vergrößern Sie vor Einstellung des Drucklayouts die Höhe des Anwendungsfensters");
    EXPECT_EQ(Log().Colours().back(), 0x000070u);
    EXPECT_EQ(frame.GetUpperSplitter()->sizes()[1], 835);

    frame.SetExportSize(400, 300);
    frame.Action(cmd::PrintLayout)->trigger();
    EXPECT_EQ(Log().LineCount(), 1u);
    EXPECT_EQ(frame.GetUpperSplitter()->sizes()[1], 435);
    EXPECT_EQ(frame.GetCentreSplitter()->sizes()[0], frame.GetUpperSplitter()->height() - 321);
}

TEST_F(FrameTest, BusyStateSwitchesTheCommandsAndThePaneColour)
{
    const int whileIdle[] = {cmd::FileNew, cmd::FileOpen, cmd::FileSave, cmd::FileSaveAs,
                             cmd::Help,    cmd::About,    cmd::AppExit};
    auto paneColour = [&] {
        frame.SetStatusPaneText(frame.GetStatusPaneText(0), 0);
        QWidget* pane = frame.findChild<CStatusStatePane*>();
        return pane->grab().toImage().pixelColor(3, 3);
    };
    for (bool busy : {false, true, false}) {
        SCOPED_TRACE(busy);
        frame.SetBusy(busy);
        frame.SetStatusPaneText(busy ? QStringLiteral("Arbeite") : QStringLiteral("Bereit"), 0);
        for (int id : whileIdle)
            EXPECT_EQ(frame.Action(id)->isEnabled(), !busy) << id;
        EXPECT_EQ(frame.Action(cmd::Abort)->isEnabled(), busy);
        EXPECT_FALSE(frame.Action(cmd::ProjectDescription)->isEnabled());
        EXPECT_TRUE(frame.Action(cmd::PrintLayout)->isEnabled());
        EXPECT_TRUE(frame.Action(cmd::DisplayOptions)->isEnabled());
        EXPECT_EQ(paneColour(), busy ? QColor(240, 214, 180) : QColor(180, 240, 214));
    }
    // Only the exact text shows the busy colour.
    frame.SetStatusPaneText(QStringLiteral("Arbeite..."), 0);
    EXPECT_EQ(frame.findChild<CStatusStatePane*>()->grab().toImage().pixelColor(3, 3), QColor(180, 240, 214));
}

TEST_F(FrameTest, AbortSetsTheRequestAndLogsInRed)
{
    EXPECT_FALSE(frame.IsAbortRequested());
    frame.Action(cmd::Abort)->trigger(); // disabled while idle
    EXPECT_FALSE(frame.IsAbortRequested());
    frame.SetBusy(true);
    frame.Action(cmd::Abort)->trigger();
    EXPECT_TRUE(frame.IsAbortRequested());
    EXPECT_EQ(Log().Lines().back(), "Die aktuelle Aktion wird abgebrochen...");
    EXPECT_EQ(Log().Colours().back(), 0x0000FFu);
    frame.ClearAbortRequest();
    EXPECT_FALSE(frame.IsAbortRequested());
}

TEST_F(FrameTest, StatusPanesAndProgressBar)
{
    EXPECT_EQ(frame.GetStatusPaneText(0), QStringLiteral("Bereit"));
    frame.SetStatusText(QStringLiteral("Modul läuft"));
    frame.SetStatusPaneText(QStringLiteral("anderer Wert"), 7);
    EXPECT_EQ(frame.GetStatusPaneText(1), QStringLiteral("anderer Wert"));
    frame.SetRemainingTimeText(QStringLiteral("noch 3 Minuten"));
    EXPECT_EQ(frame.GetStatusPaneText(3), QStringLiteral("noch 3 Minuten"));
    EXPECT_EQ(frame.GetProgressBar()->minimum(), 0);
    EXPECT_EQ(frame.GetProgressBar()->maximum(), 10000);
}

// A module's status text names spectra and files as typed.
TEST_F(FrameTest, TheStatusLineShowsNamesAsTyped)
{
    QLabel* line = nullptr;
    frame.SetStatusText(QStringLiteral("x"));
    for (QLabel* label : frame.statusBar()->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("x"))
            line = label;
    ASSERT_NE(line, nullptr);
    for (const char* text : {"Lade 'Filter <b>rot</b>'", "Spektrum <i>A</i> fertig", "a<br>b"}) {
        SCOPED_TRACE(text);
        frame.SetStatusText(QString::fromUtf8(text));
        EXPECT_EQ(ShownText(*line), QString::fromUtf8(text));
    }
}

TEST_F(FrameTest, SortTogglesReachTheTreePanes)
{
    EXPECT_TRUE(frame.Action(cmd::SortAlphabetic)->isChecked());
    frame.Action(cmd::SortAlphabetic)->trigger();
    frame.Action(cmd::SortRecursive)->trigger();
    EXPECT_FALSE(frame.GetSpecListView()->GetAlphabeticSort());
    EXPECT_FALSE(frame.GetClipboardView()->GetSortFlag());
    EXPECT_TRUE(frame.GetSpecListView()->GetRecursiveSort());
    EXPECT_FALSE(frame.Action(cmd::SortAlphabetic)->isChecked());
    EXPECT_TRUE(frame.Action(cmd::SortRecursive)->isChecked());
}

class RecordingOpener : public platform::DocumentOpener {
public:
    RecordingOpener() : m_previous(platform::SetDocumentOpener(this)) {}
    ~RecordingOpener() override { platform::SetDocumentOpener(m_previous); }
    bool Open(const QString& path) override
    {
        opened.append(path);
        return found;
    }
    QStringList opened;
    bool found = true;

private:
    platform::DocumentOpener* m_previous;
};

TEST_F(FrameTest, HelpOpensTheQuickStartManual)
{
    RecordingOpener opener;
    frame.Action(cmd::Help)->trigger();
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_TRUE(opener.opened[0].endsWith(QStringLiteral("/Orvanta/Doc/Orvanta-Quickstart.pdf")));
}

// As the module tree's manuals: whether the manual opens or not, nothing is said.
TEST_F(FrameTest, HelpOpensTheManualWithoutCheckingTheResult)
{
    for (const bool found : {true, false}) {
        SCOPED_TRACE(found);
        RecordingOpener opener;
        opener.found = found;
        FakePrompter prompter;
        const std::size_t lines = Log().Lines().size();
        frame.Action(cmd::Help)->trigger();
        EXPECT_EQ(opener.opened.size(), 1);
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(Log().Lines().size(), lines);
    }
}

// The popups and their commands in the order of the command table; the print layout stands
// with the other view commands.
TEST_F(FrameTest, MenusHoldTheirCommands)
{
    const struct {
        const char* title;
        std::vector<int> commands;
    } menus[] = {
        {"&Ansicht",
         {cmd::ViewToolbar, cmd::ViewStatusBar, cmd::ViewLog, cmd::SortAlphabetic, cmd::SortRecursive,
          cmd::PrintLayout}},
        {"&Optionen", {cmd::DisplayOptions, cmd::ProjectDescription}},
        {"&?", {cmd::Help, cmd::About}},
    };
    for (const auto& m : menus) {
        SCOPED_TRACE(m.title);
        QMenu* menu = nullptr;
        for (QAction* entry : frame.menuBar()->actions())
            if (entry->text() == QString::fromUtf8(m.title))
                menu = entry->menu();
        ASSERT_NE(menu, nullptr);
        std::vector<int> commands;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                commands.push_back(action->data().toInt());
        EXPECT_EQ(commands, m.commands);
    }
    EXPECT_EQ(frame.Action(cmd::PrintLayout)->text(),
              QStringLiteral("Fensterlayout für Dateiausgabe der Spektrenanzeige einstellen"));
}

TEST_F(FrameTest, RecentFilesAppearAsNumberedEntries)
{
    QSignalSpy requested(&frame, &CMainFrame::recentFileRequested);
    frame.SetRecentFiles({QStringLiteral("/ho.../a/x.pxml"), QStringLiteral("R&D.pxml")});
    QList<QAction*> entries;
    for (QAction* action : frame.findChildren<QAction*>())
        if (action->data().toInt() >= cmd::RecentFileFirst && action->data().toInt() <= cmd::RecentFileLast)
            entries.append(action);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[1]->text(), QStringLiteral("&2 R&&D.pxml"));
    entries[1]->trigger();
    ASSERT_EQ(requested.size(), 1);
    EXPECT_EQ(requested[0][0].toInt(), 1);
    frame.SetBusy(true);
    EXPECT_FALSE(entries[0]->isEnabled());
}

} // namespace
