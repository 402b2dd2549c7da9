// Saving and opening projects through the program's document, frame and views, with the
// modules of the test plug-in loaded by the program's loader.
#include "app/module_loader.h"
#include "app/recent_file_list.h"
#include "app/velmont_doc.h"
#include "controls/spectrum_plot.h"
#include "platform/data_exchange.h"
#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "ui/log_window_view.h"
#include "ui/main_frame.h"
#include "ui/module_view.h"
#include "ui/spec_diagram_view.h"

#include <paramora/paramora.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

constexpr char kSource[] = "Test|plug|in:Quel|le";

class ProjectDocumentTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const QString folder = QFileInfo(QStringLiteral(ORVANTA_TEST_MODULE_PLUGIN)).absolutePath();
        libraries = LoadModuleLibraries(folder, nullptr, 0);
    }
    static void TearDownTestSuite() { FreeModuleLibraries(libraries); }

    void SetUp() override
    {
        ASSERT_FALSE(libraries.empty());
        Attach(frame, doc);
        frame.resize(1200, 900);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        doc.SetRecentFileList(&recent);
        doc.OnFileNew();
    }
    void TearDown() override { doc.SetMainFrame(nullptr); }

    static void Attach(CMainFrame& f, CVelmontDoc& d)
    {
        ASSERT_TRUE(f.BuildLayout());
        d.SetMainFrame(&f);
        d.SetModuleLibraries(&libraries);
    }
    CSpecDisplay* Plot() const { return frame.GetDiagramView()->GetSpecDisplay(); }
    Module* Source() { return doc.GetModuleTree()->GetInserter(kSource); }
    bool Logged(const std::string& line) const
    {
        const auto& lines = frame.GetLogView()->Model().Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    QString File(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    static std::vector<ModuleLibrary> libraries;
    FakePrompter prompter;
    FakeFileChooser chooser;
    QTemporaryDir dir;
    CMyRecentFileList recent;
    CMainFrame frame;
    CVelmontDoc doc;
};

std::vector<ModuleLibrary> ProjectDocumentTest::libraries;

TEST_F(ProjectDocumentTest, SavedProjectComesBackWithModulesSpectraDescriptionAndPlot)
{
    ns_param::Paramora& p = Source()->getParameters();
    p.setIntParameter("Count", 42);
    p.setDoubleParameter("Factor", -2.25);
    p.setBoolParameter("Enabled", false);
    p.getEnumParameter("Mode")->setIndex(2);
    for (const char* path : {"Messung:Lampe B", "Messung:Lampe A", "Referenz"}) {
        auto* spectrum = new Spectrum;
        spectrum->SetName(path);
        spectrum->AddPoint(SPoint(380, 0.25));
        ASSERT_TRUE(doc.GetSpectrumTree()->AddInserter(spectrum));
    }
    auto* object = new ClipboardObject;
    object->SetName("Ergebnis:Tabelle");
    ASSERT_TRUE(doc.GetClipboardTree()->AddInserter(object));
    frame.SetProjectDescription("Zeile 1\r\nZeile \"2\"");
    doc.m_lastModule = "Testplugin:Quelle";
    PlotSettings& plot = Plot()->settings();
    double* const minX = plot.MinX;
    Plot()->SetBackgroundColor(RGB(12, 34, 56));
    *plot.MinX = 400.5;
    *plot.SampleDist = 11;
    *plot.YAxisName = "Größe";
    doc.SetModifiedFlag();

    chooser.answer = File("projekt");
    ASSERT_TRUE(doc.OnFileSaveAs());
    const QString path = File("projekt.pxml");
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("projekt.pxml - OrvantaGUI"));
    ASSERT_EQ(recent.GetSize(), 1);
    EXPECT_EQ(recent.GetPath(0), path);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(Logged("Orvanta-Projekt-Datei '" + path.toStdString() + "' gespeichert"));

    // A new project keeps the plot settings; opening brings back the saved ones.
    doc.OnFileNew();
    EXPECT_EQ(*Source()->getParameters().getIntParameter("Count"), 5);
    Plot()->SetBackgroundColor(RGB(0, 0, 0));
    *plot.MinX = 1;
    *plot.SampleDist = 3;
    ASSERT_TRUE(doc.OpenDocumentFile(path));

    ns_param::Paramora& q = Source()->getParameters();
    EXPECT_EQ(*q.getIntParameter("Count"), 42);
    EXPECT_EQ(*q.getDoubleParameter("Factor"), -2.25);
    EXPECT_FALSE(*q.getBoolParameter("Enabled"));
    EXPECT_EQ(q.getEnumParameter("Mode")->getIndex(), 2);
    std::vector<std::string> names;
    for (const Spectrum* spectrum : doc.GetSpectrumTree()->GetInserters())
        names.push_back(spectrum->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"Messung:Lampe B", "Messung:Lampe A", "Referenz"}));
    EXPECT_NE(doc.GetClipboardTree()->GetInserter("Ergebnis:Tabelle"), nullptr);
    EXPECT_EQ(frame.GetProjectDescription(), "Zeile 1\r\nZeile \"2\"");
    // The module view selects the last module once the event loop runs.
    EXPECT_EQ(frame.GetModuleView()->GetReselectName(), QStringLiteral("Quelle"));
    QCoreApplication::processEvents();
    QList<QTreeWidgetItem*> selected;
    frame.GetModuleView()->GetSelectedList(selected);
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0]->text(0), QStringLiteral("Quel|le"));
    EXPECT_EQ(plot.MinX, minX);
    EXPECT_EQ(*plot.MinX, 400.5);
    EXPECT_EQ(*plot.SampleDist, 11);
    EXPECT_EQ(*plot.YAxisName, "Größe");
    EXPECT_EQ(Plot()->GetBackgroundColor(), RGB(12, 34, 56));
    for (const char* line : {"... 2 Module und Modulparameter", "... 3 Spektren", "... 1 Clipboard-/Numerikdaten",
                             "Das zuletzt verwendete Modul war 'Quelle' im Ordner 'Testplugin'. Wenn Sie möchten, "
                             "arbeiten Sie dort weiter.",
                             "Projektbeschreibung: ", "Zeile 1", "Zeile \"2\""})
        EXPECT_TRUE(Logged(line)) << line;
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("projekt.pxml - OrvantaGUI"));
    EXPECT_EQ(frame.GetStatusPaneText(0), QStringLiteral("Bereit"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(prompter.shown.empty());

    // A program started with the project on its command line opens it before any view had
    // its initial update: the plot settings still come back.
    CMainFrame otherFrame;
    CVelmontDoc otherDoc;
    Attach(otherFrame, otherDoc);
    ASSERT_TRUE(otherDoc.OpenDocumentFile(path));
    EXPECT_EQ(*otherFrame.GetDiagramView()->GetSpecDisplay()->settings().SampleDist, 11);
    otherDoc.SetMainFrame(nullptr);
}

TEST_F(ProjectDocumentTest, FailedSaveKeepsPathTitleRecentFilesAndModifiedFlag)
{
    chooser.answer = File("alt");
    ASSERT_TRUE(doc.OnFileSaveAs());
    QFile regular(File("datei.txt"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    doc.SetModifiedFlag();

    chooser.answer = File("datei.txt/neu.pxml");
    EXPECT_FALSE(doc.OnFileSaveAs());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), File("alt.pxml"));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("alt.pxml - OrvantaGUI"));
    ASSERT_EQ(recent.GetSize(), 1);
    EXPECT_EQ(recent.GetPath(0), File("alt.pxml"));
    const std::string message = "Fehler: Die Orvanta-Projekt-Datei '" + File("datei.txt/neu.pxml").toStdString() +
                                "' konnte nicht gespeichert werden!"; // there was no file to keep
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("Fehler"));
    EXPECT_EQ(prompter.shown[0].text.toStdString(), message);
    EXPECT_TRUE(Logged(message));
    EXPECT_FALSE(Logged("Orvanta-Projekt-Datei '" + File("datei.txt/neu.pxml").toStdString() + "' gespeichert"));
    EXPECT_EQ(frame.GetStatusPaneText(0), QStringLiteral("Bereit"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A project whose file name holds bytes that are not UTF-8 opens under its own bytes, from
// the command line (bytes) and from the dialog (the name as Qt shows it, U+FFFD for each
// invalid byte); it is shown with the replacement characters and saved over itself.
TEST_F(ProjectDocumentTest, NamesThatAreNotUtf8OpenAndSaveUnderTheirOwnBytes)
{
    chooser.answer = File("quelle");
    ASSERT_TRUE(doc.OnFileSaveAs());
    const std::string folder = dir.path().toStdString();
    const std::string bytes = folder + "/bad\xff\xfe.pxml";
    ASSERT_EQ(std::rename((folder + "/quelle.pxml").c_str(), bytes.c_str()), 0);
    const QString shown = dir.path() + QStringLiteral("/bad\uFFFD\uFFFD.pxml");

    for (const bool fromDialog : {false, true}) {
        SCOPED_TRACE(fromDialog ? "dialog" : "command line");
        doc.OnFileNew();
        prompter.shown.clear();
        if (fromDialog) {
            chooser.answer = shown;
            doc.OnFileOpen();
        } else {
            ASSERT_TRUE(doc.OpenDocumentFile(bytes));
        }
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(doc.GetPathBytes(), bytes);
        EXPECT_EQ(doc.GetPathName(), shown);
        EXPECT_EQ(frame.windowTitle(), QStringLiteral("bad\uFFFD\uFFFD.pxml - OrvantaGUI"));

        // Saving writes the file itself, not one named after the shown text.
        std::remove(bytes.c_str());
        doc.SetModifiedFlag();
        ASSERT_TRUE(doc.OnFileSave());
        EXPECT_TRUE(std::ifstream(bytes).good());
        EXPECT_FALSE(QFileInfo::exists(shown));
    }

    // A missing file of such a name: the message shows it with the replacement characters.
    doc.OnFileNew();
    prompter.shown.clear();
    EXPECT_FALSE(doc.OpenDocumentFile(folder + "/fehlt\xff.pxml"));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text,
              QStringLiteral("Die Datei '%1/fehlt\uFFFD.pxml' kann nicht geöffnet werden.").arg(dir.path()));
}

TEST_F(ProjectDocumentTest, DamagedFileLeavesAnEmptyProjectWithoutAName)
{
    chooser.answer = File("alt");
    ASSERT_TRUE(doc.OnFileSaveAs());
    const QString damaged = QStringLiteral(ORVANTA_TEST_DATA_DIR "/project/kein_xml.pxml");
    ASSERT_TRUE(doc.OpenDocumentFile(damaged));
    EXPECT_TRUE(doc.GetPathName().isEmpty());
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Unbenannt - OrvantaGUI"));
    ASSERT_EQ(recent.GetSize(), 1);
    EXPECT_EQ(recent.GetPath(0), File("alt.pxml"));
    const std::string xmlLine = "Fehler: Die Datei '" + damaged.toStdString() +
                                "' scheint keine korrekte XML-Datei zu sein! Laden wird abgebrochen.";
    EXPECT_TRUE(Logged(xmlLine));
    EXPECT_TRUE(Logged("Fehler: Fehler beim Laden der Orvanta-Projekt-Datei '" + damaged.toStdString() + "'"));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text.toStdString(), xmlLine);

    // Saving asks for a name instead of writing over the damaged file.
    chooser.answer.clear();
    EXPECT_FALSE(doc.OnFileSave());
    EXPECT_EQ(chooser.saveRequests, 2);
}

TEST_F(ProjectDocumentTest, DuplicatePathsInAFileAskTheOverwriteQuestion)
{
    // "Nein": the first spectrum of the path stays and the second is dropped.
    prompter.dialogAnswers = {1};
    ASSERT_TRUE(doc.OpenDocumentFile(QStringLiteral(ORVANTA_TEST_DATA_DIR "/project/teilweise.pxml")));
    ASSERT_EQ(prompter.dialogs.size(), 1u);
    EXPECT_EQ(prompter.dialogs[0].text,
              QStringLiteral("Der Eintrag 'Messung:Doppelt' existiert bereits. Soll er überschrieben werden?"));
    EXPECT_EQ(doc.GetSpectrumTree()->GetInserter("Messung:Doppelt")->GetColor(), 1u);
    EXPECT_TRUE(Logged("Fehler: Das Spektrum 'Messung:Doppelt' wurde nicht geladen, da der vorhandene Eintrag an "
                       "seiner Stelle nicht überschrieben wurde."));
    EXPECT_TRUE(Logged("... 2 Spektren"));
}

// An editor form showing the source module's "SpecDesc" in a field.
class DescriptionForm : public QWidget, public platform::DataExchanger {
public:
    explicit DescriptionForm(Module* module) : m_module(module), field(new QLineEdit(this)) {}

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, field, *m_module->getParameters().getStringParameter("SpecDesc"));
    }

private:
    Module* m_module;

public:
    QLineEdit* field;
};

TEST_F(ProjectDocumentTest, WhatTheOpenFormShowsIsSaved)
{
    auto* form = new DescriptionForm(Source());
    frame.ReplaceEditorPane(form);
    form->field->setText("Messung:*");
    chooser.answer = File("formular.pxml");
    ASSERT_TRUE(doc.OnFileSaveAs());
    EXPECT_EQ(*Source()->getParameters().getStringParameter("SpecDesc"), "Messung:*");

    doc.OnFileNew();
    ASSERT_TRUE(doc.OpenDocumentFile(File("formular.pxml")));
    EXPECT_EQ(*Source()->getParameters().getStringParameter("SpecDesc"), "Messung:*");
}

} // namespace
