#include "ui/spec_diagram_view.h"

#include "app/velmont_doc.h"
#include "controls/spectrum_plot.h"
#include "support/temp_dir.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"
#include "ui/spec_display_dlg.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

constexpr char kContainer[] = "MainSpecViewContainer";

TEST(SpecDiagramViewTest, PlotFillsTheViewAndItsSettingsLiveInTheWorkspace)
{
    CVelmontDoc doc;
    {
        CSpecDiagramView view;
        CSpecDisplay* plot = view.GetSpecDisplay();
        ASSERT_NE(plot, nullptr);
        EXPECT_EQ(doc.m_workspaceParams.getContainerParameter(kContainer), nullptr);

        view.resize(400, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.SetDocument(&doc);
        view.OnInitialUpdate();
        EXPECT_TRUE(plot->isVisible());
        EXPECT_EQ(plot->geometry(), QRect(0, 0, 400, 300));
        EXPECT_EQ(doc.m_workspaceParams.getContainerParameter(kContainer), &plot->MainSpectrumView);
        EXPECT_EQ(doc.m_workspaceParams.getParameter(kContainer)->getComment(), "");

        view.resize(520, 210);
        QCoreApplication::processEvents();
        EXPECT_EQ(plot->geometry(), QRect(0, 0, 520, 210));

        // Later initial updates keep the one entry.
        view.OnInitialUpdate();
        EXPECT_EQ(doc.m_workspaceParams.getContainerParameter(kContainer), &plot->MainSpectrumView);
    }
    EXPECT_EQ(doc.m_workspaceParams.getContainerParameter(kContainer), nullptr);
}

TEST(SpecDiagramViewTest, TheViewOutlivingTheDocumentLeavesItAlone)
{
    auto doc = std::make_unique<CVelmontDoc>();
    CSpecDiagramView view;
    view.SetDocument(doc.get());
    view.OnInitialUpdate();
    view.SetDocument(nullptr);
    doc.reset();
}

// A picture of w x h in one colour, as a BMP file.
void WritePicture(const QString& path, int w, int h)
{
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(path, "BMP"));
}

TEST(SpecDiagramViewTest, BackgroundPictureIsLoadedWhenThereIsOne)
{
    test_support::TempDir dir;
    const QString absolute = QString::fromStdString(dir.file("hintergrund.bmp"));
    WritePicture(absolute, 40, 10);
    std::ofstream(dir.file("kaputt.bmp")) << "kein Bild";
    // A relative name is taken in the program's folder.
    const QString relativeName = QStringLiteral("diagramm_test_%1.bmp").arg(::getpid());
    const QString relative = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(relativeName);
    WritePicture(relative, 20, 5);

    struct Row {
        QString name;
        QSize size; // empty: no picture
    } rows[] = {
        {QString::fromStdString(dir.file("fehlt.bmp")), {}},
        {QString::fromStdString(dir.file("kaputt.bmp")), {}},
        {absolute, {40, 10}},
        {relativeName, {20, 5}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        CSpecDiagramView view;
        CSpecDisplay* plot = view.GetSpecDisplay();
        plot->MainSpectrumView.setStringParameter("BgBitmapPath", row.name.toStdString());
        view.OnInitialUpdate();
        const QImage background = plot->MakeRenderJob().background;
        EXPECT_EQ(background.isNull(), row.size.isEmpty());
        if (!row.size.isEmpty()) {
            EXPECT_EQ(background.size(), row.size);
        }
    }
    QFile::remove(relative);
}

TEST(SpecDiagramViewTest, ShippedPictureRunsFromBlueToRed)
{
    CSpecDisplay plot;
    const std::string* name = plot.MainSpectrumView.getStringParameter("BgBitmapPath");
    ASSERT_NE(name, nullptr);
    const QImage picture(QStringLiteral(ORVANTA_BIN_DIR "/") + QString::fromStdString(*name));
    ASSERT_FALSE(picture.isNull());
    const QColor left = picture.pixelColor(0, 0);
    const QColor right = picture.pixelColor(picture.width() - 1, 0);
    EXPECT_GT(left.blue(), left.red());
    EXPECT_GT(right.red(), right.blue());
}

TEST(SpecDiagramViewTest, EachOptionsCommandOpensANewDialog)
{
    CMainFrame frame;
    ASSERT_TRUE(frame.BuildLayout());
    CSpecDisplay* plot = frame.GetDiagramView()->GetSpecDisplay();
    frame.Action(cmd::DisplayOptions)->trigger();
    frame.Action(cmd::DisplayOptions)->trigger();
    const QList<CSpecDisplayDlg*> dialogs = frame.findChildren<CSpecDisplayDlg*>();
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_TRUE(dialogs[0]->isVisible());
    EXPECT_TRUE(dialogs[0]->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(plot->GetDispDlg(), dialogs[1]);
    EXPECT_EQ(dialogs[1]->windowTitle(), QStringLiteral("Anzeigeoptionen"));
}

} // namespace
