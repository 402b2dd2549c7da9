#include "app/velmont_doc.h"

#include "app/event_pump.h"
#include "app/module_loader.h"
#include "app/recent_file_list.h"
#include "app/velmont_app.h"
#include "core/calculation_guard.h"
#include "core/module_factory.h"
#include "platform/file_chooser.h"
#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "ui/clipboard_tree_view.h"
#include "ui/command_ids.h"
#include "ui/log_window_view.h"
#include "ui/main_frame.h"
#include "ui/module_view.h"
#include "ui/spec_list_view.h"
#include "ui/velmont_view.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

struct Counter {
    int created = 0;
    int deleted = 0;
    int alive() const { return created - deleted; }
};

class CountedModule : public Module {
public:
    explicit CountedModule(Counter& counter) : Module("Test_Counted"), m_counter(counter) { ++counter.created; }
    ~CountedModule() override { ++m_counter.deleted; }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }

private:
    Counter& m_counter;
};

// A factory of counted modules; an entry without a path gives a null module.
class FakeFactory : public ModuleFactory {
public:
    FakeFactory(Counter& counter, std::vector<std::optional<std::string>> entries, int count = -1)
        : m_counter(counter), m_entries(std::move(entries)),
          m_count(count < 0 ? static_cast<int>(m_entries.size()) : count)
    {
    }
    int GetModuleCount() override { return m_count; }
    Module* CreateModule(int index) override
    {
        return m_entries[static_cast<std::size_t>(index)] ? new CountedModule(m_counter) : nullptr;
    }
    std::string GetModuleName(int index) override { return m_entries[static_cast<std::size_t>(index)].value_or("X"); }

private:
    Counter& m_counter;
    std::vector<std::optional<std::string>> m_entries;
    int m_count;
};

std::vector<std::string> ModuleNames(CVelmontDoc& doc)
{
    std::vector<std::string> names;
    for (Module* module : doc.GetModuleTree()->GetInserters())
        names.push_back(module->GetName());
    return names;
}

TEST(DocumentModules, FactoriesFillTheTreeWithTheDocumentAsHost)
{
    Counter counter;
    {
        CVelmontDoc doc;
        FakeFactory first(counter, {"Da|ten:Laden", ":Farb|me|trik::Lab:", std::nullopt, "::", "Da|ten:Speichern"});
        FakeFactory second(counter, {"Da|ten:Laden"});
        doc.AddModulesOf(&first);
        // The null module is skipped, the one whose path normalises to nothing is deleted.
        EXPECT_EQ(counter.created, 4);
        EXPECT_EQ(counter.deleted, 1);
        EXPECT_EQ(ModuleNames(doc), (std::vector<std::string>{"Da|ten:Laden", "Farb|me|trik:Lab", "Da|ten:Speichern"}));
        Module* earlier = doc.GetModuleTree()->GetInserter("Da|ten:Laden");

        // The later factory's module at an equal path replaces the earlier one, which goes once.
        doc.AddModulesOf(&second);
        EXPECT_EQ(counter.deleted, 2);
        Module* later = doc.GetModuleTree()->GetInserter("Da|ten:Laden");
        EXPECT_NE(later, earlier);
        EXPECT_EQ(doc.GetModuleTree()->GetInserters().size(), 3u);
        for (Module* module : doc.GetModuleTree()->GetInserters())
            EXPECT_EQ(module->GetModuleInterface(), static_cast<ModuleInterface*>(&doc)) << module->GetName();

        // No factory and factories without modules add nothing.
        FakeFactory none(counter, {}, 0);
        FakeFactory negative(counter, {}, -3);
        doc.AddModulesOf(nullptr);
        doc.AddModulesOf(&none);
        doc.AddModulesOf(&negative);
        EXPECT_EQ(doc.GetModuleTree()->GetInserters().size(), 3u);

        doc.ClearModuleTree();
        EXPECT_EQ(counter.alive(), 0);
        doc.AddModulesOf(&first);
    }
    // The document deletes every module exactly once.
    EXPECT_EQ(counter.alive(), 0);
}

// A frame at 1200 x 900 with the document as its project, on a clock the test moves.
class DocTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.BuildLayout());
        frame.resize(1200, 900);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        doc.SetMainFrame(&frame);
        doc.SetClock([this] { return now; });
        doc.SetRecentFileList(&recent);
    }
    void TearDown() override
    {
        // Teardown order of the program: panes before the document.
        doc.SetMainFrame(nullptr);
    }

    const LogModel& Log() const { return frame.GetLogView()->Model(); }
    QString Pane(int pane) const { return frame.GetStatusPaneText(pane); }
    bool Idle() const
    {
        return Pane(0) == QStringLiteral("Bereit") && !frame.IsBusy() && frame.GetModuleView()->isEnabled() &&
               frame.GetSpecListView()->isEnabled() && frame.GetClipboardView()->isEnabled() &&
               QApplication::overrideCursor() == nullptr && doc.GetCalculationDepth() == 0;
    }

    std::int64_t now = 36000; // 10:00:00 on the first day, in UTC
    CMyRecentFileList recent;
    CMainFrame frame;
    CVelmontDoc doc;
};

TEST_F(DocTest, CalculationShowsTheBusyStateAndReturnsToIdle)
{
    ASSERT_TRUE(Idle());
    doc.StartCalculation();
    EXPECT_EQ(Pane(0), QStringLiteral("Arbeite"));
    EXPECT_TRUE(frame.IsBusy());
    EXPECT_TRUE(frame.Action(cmd::Abort)->isEnabled());
    EXPECT_FALSE(frame.Action(cmd::FileOpen)->isEnabled());
    EXPECT_FALSE(frame.GetModuleView()->isEnabled());
    EXPECT_FALSE(frame.GetSpecListView()->isEnabled());
    EXPECT_FALSE(frame.GetClipboardView()->isEnabled());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(frame.GetProgressBar()->value(), 0);

    // A second operation started from inside the first (modules pump events).
    doc.StartCalculation();
    doc.EndCalculation();
    EXPECT_EQ(Pane(0), QStringLiteral("Arbeite"));
    EXPECT_TRUE(frame.IsBusy());

    doc.SetProgressBarPercentage(40);
    doc.EndCalculation();
    EXPECT_TRUE(Idle());
    EXPECT_EQ(frame.GetProgressBar()->value(), 0);
    EXPECT_EQ(Pane(3), QString());
    // An end without a start changes nothing.
    doc.EndCalculation();
    EXPECT_TRUE(Idle());
}

TEST_F(DocTest, TheEndLineShowsTimesWhenTheSecondsPartExceedsFive)
{
    const char* oldTz = std::getenv("TZ");
    const std::string savedTz = oldTz ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    struct Row {
        std::int64_t seconds;
        const char* line;
    };
    const Row rows[] = {
        {7, "Start: 10:00:00 | Ende: 10:00:07 | Dauer: 00:00:07"},
        {65, ""},
        {3, ""},
        {66, "Start: 10:00:00 | Ende: 10:01:06 | Dauer: 00:01:06"},
        {3600 + 59, "Start: 10:00:00 | Ende: 11:00:59 | Dauer: 01:00:59"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.seconds);
        now = 36000;
        doc.StartCalculation();
        doc.SetStatusText("Modul rechnet");
        now += r.seconds;
        doc.EndCalculation();
        EXPECT_EQ(Pane(1).toStdString(), r.line);
    }
    EXPECT_EQ(FormatDuration(25 * 3600 + 61), "01:01:01");
    if (oldTz)
        setenv("TZ", savedTz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(DocTest, ProgressIsClampedOntoTheBarWithTheRemainingTime)
{
    doc.StartCalculation();
    struct Row {
        double percent;
        int position;
    };
    const Row rows[] = {{37.5, 3750}, {99.999, 9999}, {0.004, 0}, {-5, 0}, {150, 10000}, {NAN, 0}, {INFINITY, 10000}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.percent);
        doc.SetProgressBarPercentage(r.percent);
        EXPECT_EQ(frame.GetProgressBar()->value(), r.position);
        EXPECT_DOUBLE_EQ(doc.GetProgressBarPercentage(), r.position / 100.0);
    }
    EXPECT_EQ(Pane(3), QStringLiteral("noch unbekannt"));
    doc.EndCalculation();

    doc.StartCalculation();
    now += 2;
    doc.SetProgressBarPercentage(20);
    // 10 % per second from the start: 8 seconds for the rest.
    EXPECT_EQ(Pane(3), QStringLiteral("noch 8 Sekunden"));
    // Progress that goes back moves the bar and feeds the estimate: the pair rates 10 and
    // -7.5 give 1.25 % per second, 76 seconds for the 95 % left.
    now += 2;
    doc.SetProgressBarPercentage(5);
    EXPECT_EQ(frame.GetProgressBar()->value(), 500);
    EXPECT_EQ(Pane(3), QStringLiteral("noch 1 Minute"));
    doc.EndCalculation();
}

// Every report feeds the estimate and rewrites the remaining time, also when the bar stands.
TEST_F(DocTest, TheRemainingTimeFollowsEveryReportAndTheClock)
{
    struct Step {
        int seconds; // since the start
        double percent;
        const char* pane;
    };
    struct Row {
        const char* name;
        std::vector<Step> steps;
    };
    const Row rows[] = {
        {"rising", {{2, 10, "noch 18 Sekunden"}, {4, 20, "noch 16 Sekunden"}}},
        // Pair rates 1 and 0: 0.5 % per second; then 1, 0, 0: a third.
        {"standing at 10 %", {{10, 10, "noch 2 Minuten"}, {20, 10, "noch 3 Minuten"}, {120, 10, "noch 5 Minuten"}}},
        {"falling", {{2, 20, "noch 8 Sekunden"}, {4, 5, "noch 1 Minute"}}},
        // A report within a second of the last sample only refreshes it; the text still
        // counts down with the clock.
        {"same percent a second later", {{2, 20, "noch 8 Sekunden"}, {3, 20, "noch 7 Sekunden"}}},
        {"only the start sample", {{0, 30, "noch unbekannt"}, {1, 30, "noch unbekannt"}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::int64_t start = now;
        doc.StartCalculation();
        for (const Step& step : r.steps) {
            SCOPED_TRACE(step.seconds);
            now = start + step.seconds;
            doc.SetProgressBarPercentage(step.percent);
            EXPECT_EQ(Pane(3).toStdString(), step.pane);
        }
        doc.EndCalculation();
        EXPECT_EQ(Pane(3), QString());
    }
}

TEST_F(DocTest, AbortIsRequestedUntilTheCalculationEnds)
{
    doc.StartCalculation();
    EXPECT_FALSE(doc.UserWantsAbort());
    frame.Action(cmd::Abort)->trigger();
    EXPECT_TRUE(doc.UserWantsAbort());
    doc.EndCalculation();
    EXPECT_FALSE(doc.UserWantsAbort());
}

// A long operation on the GUI thread reports progress per point: the host lets events through,
// so the abort command arrives, while input that could start a second operation, change a tree
// or close the project does not.
TEST_F(DocTest, EventsFlowDuringALongOperationButNothingReentersIt)
{
    auto* button = new QPushButton(QStringLiteral("RECHNEN"));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    frame.ReplaceEditorPane(button);
    QApplication::processEvents();

    int pointsDone = 0;
    doc.StartCalculation();
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(button, Qt::LeftButton);
        frame.Action(cmd::FileOpen)->trigger();
        frame.close();
        QTest::mouseClick(frame.GetSpecListView()->viewport(), Qt::LeftButton);
    });
    QTimer::singleShot(30, [&] { frame.Action(cmd::Abort)->trigger(); });
    // At most ten seconds of points; the abort must end it long before.
    const auto start = std::chrono::steady_clock::now();
    while (!doc.UserWantsAbort() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        doc.SetProgressBarPercentage(pointsDone % 100);
        ++pointsDone;
    }
    EXPECT_TRUE(doc.UserWantsAbort());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(doc.GetCalculationDepth(), 1);
    doc.EndCalculation();
    EXPECT_TRUE(Idle());
    // Afterwards the form takes clicks again.
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(EventPump, ReadsTheClockEveryFewCallsAndAnswersOncePerInterval)
{
    using namespace std::chrono;
    steady_clock::time_point now{};
    int reads = 0;
    EventPump pump(milliseconds(50), [&] {
        ++reads;
        return now;
    });
    reads = 0;
    for (int i = 0; i < 80000; ++i)
        EXPECT_FALSE(pump.Due());
    EXPECT_EQ(reads, 80000 / static_cast<int>(EventPump::kCallsPerClockRead));
    // 1 ms per call: about one answer per 50 ms, late by up to one clock-read period.
    int due = 0;
    for (int i = 0; i < 1000; ++i) {
        now += milliseconds(1);
        due += pump.Due() ? 1 : 0;
    }
    EXPECT_GE(due, 1000 / (50 + static_cast<int>(EventPump::kCallsPerClockRead)) - 1);
    EXPECT_LE(due, 20);
}

TEST_F(DocTest, AThrowingOperationReturnsToIdle)
{
    struct Row {
        const char* name;
        std::function<bool()> operation;
        const char* line;
    };
    const Row rows[] = {
        {"nested guards", [this]() -> bool {
             CalculationGuard outer(&doc);
             CalculationGuard inner(&doc);
             throw std::runtime_error("Division durch null");
         },
         "Fehler: Division durch null"},
        {"with the guard", [this]() -> bool {
             CalculationGuard guard(&doc);
             throw std::out_of_range("Index 7");
         },
         "Fehler: Index 7"},
        {"not a standard exception", [this]() -> bool {
             CalculationGuard guard(&doc);
             throw 42;
         },
         "Fehler: unbekannte Ausnahme"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_FALSE(DispatchReportingExceptions(&doc, r.operation));
        EXPECT_TRUE(Idle());
        EXPECT_EQ(Log().Lines().back(), r.line);
        EXPECT_EQ(Log().Colours().back(), 0x000070u);
    }
    EXPECT_TRUE(DispatchReportingExceptions(&doc, [] { return true; }));
}

// An event handler that the host lets through while an operation runs throws: the program
// reports it and asks the operation to stop. The operation goes on to its own end, and until
// then the busy state stands (trees, File commands and input stay locked).
TEST_F(DocTest, AnExceptionDuringARunAsksItToStopAndItsOwnBracketEndsIt)
{
    {
        CalculationGuard run(&doc);
        EXPECT_FALSE(DispatchReportingExceptions(&doc, []() -> bool { throw std::runtime_error("Ereignis"); }));
        EXPECT_TRUE(doc.UserWantsAbort());
        EXPECT_EQ(doc.GetCalculationDepth(), 1);
        EXPECT_TRUE(frame.IsBusy());
        EXPECT_EQ(Pane(0), QStringLiteral("Arbeite"));
        EXPECT_FALSE(frame.Action(cmd::FileOpen)->isEnabled());
        EXPECT_FALSE(frame.GetModuleView()->isEnabled());
        EXPECT_FALSE(frame.GetSpecListView()->isEnabled());
        EXPECT_FALSE(frame.GetClipboardView()->isEnabled());
        ASSERT_GE(Log().LineCount(), 2u);
        EXPECT_EQ(Log().Lines()[Log().LineCount() - 2], "Fehler: Ereignis");
        EXPECT_EQ(Log().Colours()[Log().LineCount() - 2], 0x000070u);
        EXPECT_EQ(Log().Lines().back(), "Die aktuelle Aktion wird abgebrochen...");
    }
    EXPECT_TRUE(Idle());
    EXPECT_FALSE(doc.UserWantsAbort());
    // Outside a run there is nothing to stop.
    EXPECT_FALSE(DispatchReportingExceptions(&doc, []() -> bool { throw std::runtime_error("Leerlauf"); }));
    EXPECT_EQ(Log().Lines().back(), "Fehler: Leerlauf");
    EXPECT_FALSE(doc.UserWantsAbort());
    EXPECT_TRUE(Idle());
}

// The overwrite question names the entry the replacement deletes: the spectrum at the path, a
// spectrum met higher up the path (filing "Mess:Rot:Rot" replaces the spectrum "Mess:Rot", as a
// pairwise sum of a group with itself into that group does), or a group at the path.
TEST_F(DocTest, TheOverwriteQuestionNamesWhatTheReplacementDeletes)
{
    FakePrompter prompter;
    frame.InitialUpdateAllViews(&doc);
    const auto add = [this](const std::string& name) {
        auto* spectrum = new Spectrum;
        spectrum->SetName(name);
        if (doc.GetSpectrumTree()->AddInserter(spectrum))
            return true;
        delete spectrum;
        return false;
    };
    const struct {
        const char* filed;
        int answer;
        const char* named;
        bool replaced;
    } rows[] = {
        {"Mess:Rot", 1, "Mess:Rot", false},
        {"Mess:Rot:Rot", 1, "Mess:Rot", false},
        {"Mess:Gruen:Rot", 0, "Mess:Gruen", true},
        {"Mess", 1, "Mess", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.filed);
        doc.OnFileNew();
        for (const char* name : {"Mess:Rot", "Mess:Gruen"})
            ASSERT_TRUE(add(name));
        prompter.dialogs.clear();
        prompter.dialogAnswers = {row.answer};
        doc.StartCalculation();
        EXPECT_EQ(add(row.filed), row.replaced);
        doc.EndCalculation();
        ASSERT_EQ(prompter.dialogs.size(), 1u);
        EXPECT_EQ(prompter.dialogs[0].text.toStdString(),
                  std::string("Der Eintrag '") + row.named + "' existiert bereits. Soll er überschrieben werden?");
    }
    // "Ja, alle" once: the rest of the run replaces without a question.
    doc.OnFileNew();
    for (const char* name : {"Mess:Rot", "Mess:Gruen"})
        ASSERT_TRUE(add(name));
    prompter.dialogs.clear();
    prompter.dialogAnswers = {2};
    doc.StartCalculation();
    for (const char* name : {"Mess:Rot:Rot", "Mess:Rot:Gruen", "Mess:Gruen:Rot", "Mess:Gruen:Gruen"})
        EXPECT_TRUE(add(name)) << name;
    doc.EndCalculation();
    ASSERT_EQ(prompter.dialogs.size(), 1u);
    EXPECT_EQ(prompter.dialogs[0].text.toStdString(),
              "Der Eintrag 'Mess:Rot' existiert bereits. Soll er überschrieben werden?");
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 4u);
}

TEST_F(DocTest, LogLinesArriveFromTheGuiThreadAndFromWorkers)
{
    doc.AddLogMessage("Wert %d von %s", 3, "100% Spektrum");
    EXPECT_EQ(Log().Lines().back(), "Wert 3 von 100% Spektrum");
    EXPECT_EQ(Log().Colours().back(), LogModel::kDefaultColour);
    EXPECT_EQ(Log().LastFormat(), "Wert %d von %s");

    std::thread worker([this] {
        for (int i = 0; i < 3; ++i)
            doc.AddLogColorMessage(0x007000, "Hinweis: Spektrum %d von %s", i, "Faden");
    });
    worker.join();
    EXPECT_TRUE(QTest::qWaitFor([this] { return Log().Lines().back() == "Hinweis: Spektrum 2 von Faden"; }));
    EXPECT_EQ(Log().LineCount(), 4u);
    EXPECT_EQ(Log().Lines()[1], "Hinweis: Spektrum 0 von Faden");
    EXPECT_EQ(Log().Colours().back(), 0x007000u);
}

TEST_F(DocTest, LiveModeSwitchesTheSpectrumPaneAndTheStatusLine)
{
    doc.InitLive();
    EXPECT_TRUE(frame.GetSpecListView()->IsLiveMode());
    EXPECT_FALSE(frame.GetModuleView()->isEnabled());
    EXPECT_EQ(Pane(1), QStringLiteral("Livemessung"));
    doc.StartLive();
    doc.EndLive();
    EXPECT_TRUE(frame.GetSpecListView()->IsLiveMode());
    doc.ResetLive();
    EXPECT_FALSE(frame.GetSpecListView()->IsLiveMode());
    EXPECT_TRUE(frame.GetModuleView()->isEnabled());
    EXPECT_EQ(Pane(1), QString());
    EXPECT_EQ(doc.GetModule("Da|ten:Laden"), nullptr);
}

TEST_F(DocTest, OverwriteQuestionKeepsAllAnswersUntilTheNextCalculation)
{
    FakePrompter prompter;
    Spectrum existing;
    existing.SetName("Messung:Lampe 1");
    prompter.dialogAnswers = {0, 1, 2, 3, 1};

    doc.StartCalculation();
    EXPECT_TRUE(doc.ConfirmOverwrite(&existing));  // Ja
    EXPECT_FALSE(doc.ConfirmOverwrite(&existing)); // Nein
    EXPECT_TRUE(doc.ConfirmOverwrite(&existing));  // Ja, alle
    EXPECT_TRUE(doc.ConfirmOverwrite(&existing));  // no question
    EXPECT_EQ(prompter.dialogs.size(), 3u);
    doc.EndCalculation();

    doc.StartCalculation();
    EXPECT_FALSE(doc.ConfirmOverwrite(&existing)); // Nein, alle
    EXPECT_FALSE(doc.ConfirmOverwrite(&existing));
    doc.EndCalculation();
    doc.StartCalculation();
    EXPECT_FALSE(doc.ConfirmOverwrite(&existing)); // Nein
    // Dismissed without an answer: "Nein".
    EXPECT_FALSE(doc.ConfirmOverwrite(&existing));
    doc.EndCalculation();

    ASSERT_EQ(prompter.dialogs.size(), 6u);
    EXPECT_EQ(prompter.dialogs[0].caption, QStringLiteral("Dialog"));
    EXPECT_EQ(prompter.dialogs[0].text,
              QStringLiteral("Der Eintrag 'Messung:Lampe 1' existiert bereits. Soll er überschrieben werden?"));
}

TEST_F(DocTest, NewAndOpenedProjectsStartEmptyAndJoinTheRecentFiles)
{
    FakePrompter prompter;
    FakeFileChooser chooser;
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("lampe.pxml"));
    auto* spectrum = new Spectrum;
    spectrum->SetName("Messung:A");
    ASSERT_TRUE(doc.GetSpectrumTree()->AddInserter(spectrum));
    auto* entry = new ClipboardObject;
    entry->SetName("Daten:K");
    ASSERT_TRUE(doc.GetClipboardTree()->AddInserter(entry));
    frame.SetProjectDescription("alt");

    doc.OnFileNew();
    EXPECT_TRUE(doc.GetSpectrumTree()->GetInserters().empty());
    EXPECT_TRUE(doc.GetClipboardTree()->GetInserters().empty());
    EXPECT_EQ(frame.GetProjectDescription(), "");
    EXPECT_NE(dynamic_cast<CVelmontView*>(frame.GetEditorPane()), nullptr);
    EXPECT_EQ(frame.GetSpecListView()->GetDocument(), &doc);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Unbenannt - OrvantaGUI"));

    // Saved under a name without "." the file gets ".pxml", and so do title and recent entry.
    chooser.answer = dir.filePath(QStringLiteral("lampe"));
    ASSERT_TRUE(doc.OnFileSaveAs());
    EXPECT_TRUE(QFileInfo::exists(project));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("lampe.pxml - OrvantaGUI"));
    doc.OnFileNew();

    chooser.answer = project;
    doc.OnFileOpen();
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("lampe.pxml - OrvantaGUI"));
    ASSERT_EQ(recent.GetSize(), 1);
    EXPECT_EQ(recent.GetPath(0), QFileInfo(project).absoluteFilePath());
    EXPECT_TRUE(prompter.shown.empty());

    // A recent entry that no longer opens: the message, and the entry goes.
    QFile::remove(project);
    doc.OnOpenRecentFile(0);
    EXPECT_EQ(recent.GetSize(), 0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("Fehler"));
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("lampe.pxml")));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("lampe.pxml - OrvantaGUI"));
}

// The main panel of a new project still names the module or group selected last, above the
// group's modules; only the name to reselect after opening goes.
TEST_F(DocTest, ANewProjectKeepsTheLastModuleForTheMainPanel)
{
    doc.m_lastModule = "Daten:Laden";
    doc.m_groupContents = "Laden;Speichern;";
    doc.m_moduleToSelect = QStringLiteral("Laden");
    doc.OnFileNew();
    EXPECT_EQ(doc.m_lastModule, "Daten:Laden");
    EXPECT_EQ(doc.m_groupContents, "Laden;Speichern;");
    EXPECT_TRUE(doc.m_moduleToSelect.isEmpty());
    auto* panel = dynamic_cast<CVelmontView*>(frame.GetEditorPane());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetDocument(), &doc);
}

// The command line at start-up: no argument gives a new project, a project file opens, and
// one that cannot be opened ends the program after its message.
TEST_F(DocTest, TheCommandLineOpensItsProjectOrEndsTheProgram)
{
    QTemporaryDir dir;
    FakeFileChooser chooser;
    chooser.answer = dir.filePath(QStringLiteral("lampe.pxml"));
    {
        FakePrompter quiet;
        ASSERT_TRUE(doc.OnFileSaveAs());
    }
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        bool goesOn;
        const char* title;
        std::size_t messages;
    };
    const Row rows[] = {
        {"no argument", {"velmont"}, true, "Unbenannt - OrvantaGUI", 0},
        {"a project", {"velmont", dir.filePath(QStringLiteral("lampe.pxml")).toStdString()}, true,
         "lampe.pxml - OrvantaGUI", 0},
        {"a project that cannot be opened", {"velmont", dir.filePath(QStringLiteral("fehlt.pxml")).toStdString()},
         false, nullptr, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        FakePrompter prompter;
        frame.setWindowTitle(QStringLiteral("vorher"));
        EXPECT_EQ(ProcessShellCommand(doc, r.arguments), r.goesOn);
        EXPECT_EQ(frame.windowTitle(), r.title ? QString::fromUtf8(r.title) : QStringLiteral("vorher"));
        ASSERT_EQ(prompter.shown.size(), r.messages);
        if (r.messages > 0) {
            EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("Fehler"));
            EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("fehlt.pxml")));
        }
    }
}

TEST_F(DocTest, AModifiedProjectIsOnlyDroppedAfterTheQuestion)
{
    FakePrompter prompter;
    FakeFileChooser chooser;
    doc.SetModifiedFlag();
    prompter.answers = {platform::PromptAnswer::Cancel, platform::PromptAnswer::Yes, platform::PromptAnswer::No};
    auto* spectrum = new Spectrum;
    spectrum->SetName("A");
    ASSERT_TRUE(doc.GetSpectrumTree()->AddInserter(spectrum));

    doc.OnFileNew(); // Abbrechen
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 1u);
    doc.OnFileNew(); // Ja, but the save dialog is cancelled
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserters().size(), 1u);
    doc.OnFileNew(); // Nein
    EXPECT_TRUE(doc.GetSpectrumTree()->GetInserters().empty());
    EXPECT_FALSE(doc.IsModified());
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[0].buttons, platform::PromptButtons::YesNoCancel);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("Änderungen in Unbenannt speichern?"));
}

TEST(DocumentTeardown, ARealPluginServesANewProjectAndGoesLast)
{
    const QString folder = QFileInfo(QStringLiteral(ORVANTA_TEST_MODULE_PLUGIN)).absolutePath();
    std::vector<ModuleLibrary> libraries = LoadModuleLibraries(folder, nullptr, 0);
    ASSERT_FALSE(libraries.empty());
    {
        auto frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame->BuildLayout());
        CVelmontDoc doc;
        doc.SetMainFrame(frame.get());
        doc.SetModuleLibraries(&libraries);
        ASSERT_TRUE(doc.OnNewDocument());
        const std::size_t count = doc.GetModuleTree()->GetInserters().size();
        ASSERT_GE(count, 2u);
        Module* source = doc.GetModuleTree()->GetInserter("Test|plug|in:Quel|le");
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(source->GetModuleInterface(), static_cast<ModuleInterface*>(&doc));
        EXPECT_EQ(source->RunAutomation("load"), std::optional<bool>(true));
        EXPECT_EQ(frame->GetLogView()->Model().Lines().back(), "Hinweis: Test|plug|in:Quel|le geladen (100%)");

        // A second new project: fresh modules from the factory.
        ASSERT_TRUE(doc.OnNewDocument());
        EXPECT_EQ(doc.GetModuleTree()->GetInserters().size(), count);
        EXPECT_NE(doc.GetModuleTree()->GetInserter("Test|plug|in:Quel|le"), source);

        // Panes first, then the document with the plug-in's modules.
        doc.SetMainFrame(nullptr);
        frame.reset();
    }
    FreeModuleLibraries(libraries);
}

} // namespace
