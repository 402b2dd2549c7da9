// The document with a window that is not the main frame: everything it shows goes through
// DocumentViews, and app/ builds without ui/.
#include "app/document_views.h"
#include "app/log_model.h"
#include "app/velmont_doc.h"

#include <QProgressBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class PlainModule : public Module {
public:
    PlainModule() : Module("Test_Plain") {}
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
};

// A window without tree panes, diagram or log that writes down what the document asks of it.
class RecordingViews final : public DocumentViews {
public:
    explicit RecordingViews(CVelmontDoc& doc) : m_doc(doc) { progress.setRange(0, 10000); }

    std::vector<std::string> calls;
    std::size_t modulesAtMainPanel = 0;
    std::vector<std::string> statusTexts;
    std::vector<std::string> logLines;
    bool busy = false;
    bool abortRequested = false;
    std::string description = "alt";
    QWidget window;
    QProgressBar progress;

    QWidget* MainWindow() override { return &window; }
    QWidget* GetEditorPane() const override { return nullptr; }
    void ShowMainPanel(CVelmontDoc*) override
    {
        calls.push_back("ShowMainPanel");
        modulesAtMainPanel = m_doc.GetModuleTree()->GetInserters().size();
    }
    void InitialUpdateAllViews(CVelmontDoc*) override { calls.push_back("InitialUpdateAllViews"); }
    QWidget* ModulePane() const override { return nullptr; }
    QWidget* SpectrumPane() const override { return nullptr; }
    QWidget* ClipboardPane() const override { return nullptr; }
    bool ReselectModule(const QString&) override { return false; }
    void BuildSpectrumSelection(std::string& selection) override { selection += "A;"; }
    void SetSpectrumLiveMode(bool) override {}
    void ClearClipboardOverwriteAnswers() override {}
    void NestDiagramSettings(CVelmontDoc*) override {}
    void ShowSpectraInDiagram(SpectrumTree&, const std::string& selection) override
    {
        calls.push_back("ShowSpectraInDiagram(" + selection + ")");
    }
    void RepaintDiagram() override {}
    void AddLogLine(COLORREF colour, const std::string&, const std::string& text) override
    {
        logLines.push_back(std::to_string(colour) + " " + text);
    }
    void SetStatusPaneText(const QString& text, int pane) override
    {
        statusTexts.push_back(std::to_string(pane) + ":" + text.toStdString());
    }
    void SetRemainingTimeText(const QString&) override {}
    QProgressBar* GetProgressBar() const override { return const_cast<QProgressBar*>(&progress); }
    void SetBusy(bool on) override { busy = on; }
    void RequestAbort() override { abortRequested = true; }
    bool IsAbortRequested() const override { return abortRequested; }
    void ClearAbortRequest() override { abortRequested = false; }
    const std::string& GetProjectDescription() const override { return description; }
    void SetProjectDescription(const std::string& text) override
    {
        calls.push_back("SetProjectDescription");
        description = text;
    }
    void SetRecentFiles(const QStringList&) override { calls.push_back("SetRecentFiles"); }

private:
    CVelmontDoc& m_doc;
};

class DocumentViewsTest : public testing::Test {
protected:
    void SetUp() override { doc.SetMainFrame(&views); }
    void TearDown() override { doc.SetMainFrame(nullptr); }

    CVelmontDoc doc;
    RecordingViews views{doc};
};

TEST_F(DocumentViewsTest, ANewProjectEndsTheFormWhileItsModulesStillExist)
{
    for (const char* name : {"Daten:Laden", "Daten:Speichern"}) {
        auto* module = new PlainModule;
        module->SetName(name);
        ASSERT_TRUE(doc.GetModuleTree()->AddInserter(module));
    }
    doc.OnFileNew();

    EXPECT_EQ(views.modulesAtMainPanel, 2u);
    EXPECT_TRUE(doc.GetModuleTree()->GetInserters().empty());
    EXPECT_EQ(views.calls, (std::vector<std::string>{"ShowMainPanel", "ShowSpectraInDiagram()", "SetProjectDescription",
                                                      "InitialUpdateAllViews"}));
    EXPECT_EQ(views.description, "");
    EXPECT_EQ(views.window.windowTitle(), QStringLiteral("Unbenannt - OrvantaGUI"));
}

TEST_F(DocumentViewsTest, ACalculationRunsInAWindowWithoutPanes)
{
    doc.StartCalculation();
    EXPECT_TRUE(views.busy);
    doc.SetProgressBarPercentage(40.0);
    EXPECT_EQ(views.progress.value(), 4000);
    doc.AddLogColorMessage(CVelmontDoc::kErrorColour, "Fehler: %s", "kaputt");
    doc.AddLogMessage("Zeile %d", 2);
    views.abortRequested = true;
    EXPECT_TRUE(doc.UserWantsAbort());
    doc.EndCalculation();

    EXPECT_FALSE(views.busy);
    EXPECT_FALSE(views.abortRequested);
    EXPECT_EQ(views.progress.value(), 0);
    // The selection of the start is shown at the start and again at the end.
    EXPECT_EQ(views.calls, (std::vector<std::string>{"ShowSpectraInDiagram(A;)", "ShowSpectraInDiagram(A;)"}));
    EXPECT_EQ(views.statusTexts.front(), "0:Arbeite");
    EXPECT_EQ(views.statusTexts.back(), "0:Bereit");
    EXPECT_EQ(views.logLines, (std::vector<std::string>{std::to_string(CVelmontDoc::kErrorColour) + " Fehler: kaputt",
                                                         std::to_string(LogModel::kDefaultColour) + " Zeile 2"}));
}

// The document and the application know the window only through app/'s interfaces: no file of
// app/ includes a header of ui/, which builds on app/.
TEST(Layering, AppIncludesNoHeaderOfUi)
{
    const std::filesystem::path app = std::filesystem::path(ORVANTA_SOURCE_DIR) / "app";
    std::vector<std::string> offenders;
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(app)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp")
            continue;
        ++files;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("#include", 0) == 0 && line.find("\"ui/") != std::string::npos)
                offenders.push_back(entry.path().filename().string() + ": " + line);
        }
    }
    EXPECT_GT(files, 10);
    EXPECT_EQ(offenders, std::vector<std::string>{});
}

} // namespace
