// The program from start to exit: an exception from an event handled during a run, and the
// order in which the window, the document with its modules and the plug-ins end.
#include "app/velmont_app.h"
#include "app/velmont_doc.h"
#include "core/calculation_guard.h"
#include "ui/command_ids.h"
#include "ui/log_window_view.h"
#include "ui/main_frame.h"
#include "ui/spec_list_view.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

CVelmontApp& App()
{
    return *static_cast<CVelmontApp*>(QCoreApplication::instance());
}

// Starts the program without waits, with its main frame and a new project.
void Start()
{
    App().SetStatusWait(0);
    App().SetWindowMaker([] { return std::make_unique<CMainFrame>(); });
    ASSERT_TRUE(App().InitInstance());
    ASSERT_NE(App().GetDocument(), nullptr);
}

// A module that says goodbye in the log when the document deletes it, and notes which window
// the document still had then.
std::vector<DocumentViews*> g_windowsAtGoodbye;

class FarewellModule : public Module {
public:
    FarewellModule() : Module("Test_Farewell") {}
    ~FarewellModule() override
    {
        if (auto* document = dynamic_cast<CVelmontDoc*>(GetModuleInterface())) {
            g_windowsAtGoodbye.push_back(document->GetMainFrame());
            document->AddLogMessage("Modul %s beendet", GetName().c_str());
        }
    }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
};

TEST(ProgramExit, TheDocumentLetsGoOfTheWindowBeforeTheWindowGoes)
{
    Start();
    CVelmontDoc* document = App().GetDocument();
    auto* module = new FarewellModule;
    module->SetName("Test:Abschied");
    ASSERT_TRUE(document->GetModuleTree()->AddInserter(module));
    module->SetModuleInterface(document);

    g_windowsAtGoodbye.clear();
    App().ExitInstance();
    EXPECT_EQ(g_windowsAtGoodbye, std::vector<DocumentViews*>{nullptr});
    EXPECT_EQ(App().GetDocument(), nullptr);
    EXPECT_EQ(App().GetMainFrame(), nullptr);
}

// An event handler throws while a run lets events through (as progress reports do): the
// program logs it and asks the run to stop; the busy state stands until the run's own end.
TEST(ProgramEvents, AnExceptionFromAnEventDuringARunLeavesTheEndToTheRun)
{
    Start();
    CVelmontDoc* document = App().GetDocument();
    auto* frame = dynamic_cast<CMainFrame*>(App().GetMainFrame());
    ASSERT_NE(frame, nullptr);
    {
        CalculationGuard run(document);
        QTimer::singleShot(0, [] { throw std::runtime_error("Ereignis"); });
        const auto start = std::chrono::steady_clock::now();
        for (int point = 0; !document->UserWantsAbort() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10);
             ++point)
            document->SetProgressBarPercentage(point % 100);
        EXPECT_TRUE(document->UserWantsAbort());
        EXPECT_EQ(document->GetCalculationDepth(), 1);
        EXPECT_TRUE(frame->IsBusy());
        EXPECT_FALSE(frame->Action(cmd::FileNew)->isEnabled());
        EXPECT_FALSE(frame->GetSpecListView()->isEnabled());
    }
    EXPECT_EQ(document->GetCalculationDepth(), 0);
    EXPECT_FALSE(frame->IsBusy());
    EXPECT_FALSE(document->UserWantsAbort());
    const auto& lines = frame->GetLogView()->Model().Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Fehler: Ereignis"), lines.end());
    App().ExitInstance();
}

} // namespace
