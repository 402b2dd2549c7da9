// Export of the plot as a PNG picture.
#include "controls/plot_test_fixture.h"
#include "support/temp_dir.h"

#include <QFile>
#include <filesystem>
#include <fstream>

namespace {

using plot_test::SpectrumPlotTest;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PlotExportTest : public SpectrumPlotTest {
protected:
    test_support::TempDir dir;
};

TEST_F(PlotExportTest, PictureOfEverySpectrumWithSettingsRestored)
{
    for (int i = 0; i < 501; ++i)
        Add("s" + std::to_string(i), 400 + (i * 7) % 380, 0.5, RGB(i % 256, 0, 100));
    plot.SetFromSpectrumList(All());
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.lastDrawnCount(), 500);
    const COLORREF border = plot.GetBorderColor();

    const std::string path = dir.file("plot.png");
    ASSERT_NE(plot.SaveToFile(plot.width() - 40, plot.height() - 10, path), 0);
    EXPECT_EQ(plot.lastDrawnCount(), 501); // the export draws all
    const QImage picture(QString::fromStdString(path));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(595 - 35, 562 - 10));
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::white)); // the border is white in the picture

    EXPECT_EQ(plot.GetBorderColor(), border);
    EXPECT_EQ(*plot.settings().SampleDist, 5);
    EXPECT_EQ(plot.model().exportMode, 0);
    EXPECT_EQ(plot.model().Grid().x.step, 20); // the screen grid again
    EXPECT_FALSE(plot.isIdle());               // and a redraw follows
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.lastDrawnCount(), 500);
}

TEST_F(PlotExportTest, FailuresLeaveTheOldFile)
{
    const std::string path = dir.file("old.png");
    std::ofstream(path) << "old";
    EXPECT_EQ(plot.SaveToFile(-5, 100, path), 0);
    EXPECT_EQ(plot.SaveToFile(100, 0, path), 0);
    EXPECT_EQ(plot.SaveToFile(100, 100, dir.path().string()), 0); // a folder
    EXPECT_EQ(plot.SaveToFile(100, 100, dir.file("missing/x.png")), 0);
    EXPECT_EQ(ReadAll(path), "old");
    CSpecDisplay hidden;
    hidden.resize(0, 0);
    EXPECT_EQ(hidden.SaveToFile(100, 100, path), 0);
    EXPECT_EQ(ReadAll(path), "old");
}

TEST_F(PlotExportTest, NameWithoutExtensionIsWrittenAsPng)
{
    const std::string path = dir.file("bild");
    ASSERT_NE(plot.SaveToFile(300, 200, path), 0);
    EXPECT_FALSE(std::filesystem::exists(path + ".png"));
    EXPECT_EQ(ReadAll(path).substr(1, 3), "PNG");
    EXPECT_EQ(QImage(QString::fromStdString(path), "PNG").size(), QSize(305, 200));
}

} // namespace
