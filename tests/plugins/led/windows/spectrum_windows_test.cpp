// The spectrum thumbnail and its list: what they accept, their pixels, the grid of windows,
// the titles and the scroll position.
#include "windows/spec_window.h"
#include "windows/spec_window_list.h"

#include "engine/color_data.h"
#include "engine/grid.h"
#include "engine/ls_matrix.h"
#include "engine/spectra_set.h"
#include "engine/wavelength_color.h"
#include "platform/colorref_qt.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

class GridGuard {
public:
    GridGuard() : start(XStart), end(XEnd), step(XStep) {}
    ~GridGuard()
    {
        XStart = start;
        XEnd = end;
        XStep = step;
    }
    double start, end, step;
};

QImage Draw(const CSpecWindow& w, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::gray);
    QPainter p(&image);
    w.Draw(p, QRect(0, 0, width, height));
    return image;
}

TEST(SpecWindow, AcceptsGridSpectraAndScalesToTheLargest)
{
    GridGuard guard;
    const int n = GridPointCount();
    LSMatrixHandle low(n, 1), high(n, 1), wrong(n - 1, 1);
    MatFill(low, 0.5);
    MatFill(high, 2.5);
    MatFill(wrong, 9.0);
    CSpecWindow w;
    w.AddSpectrum(wrong, RGB(0, 0, 0)); // wrong length: ignored silently
    w.AddSpectrum(nullptr, RGB(0, 0, 0));
    EXPECT_EQ(w.SpectrumCount(), 0);
    w.AddSpectrum(low, RGB(255, 0, 0));
    EXPECT_DOUBLE_EQ(w.GetYMaximum(), 1.0); // never below 1
    w.AddSpectrum(high, RGB(0, 0, 255));
    EXPECT_DOUBLE_EQ(w.GetYMaximum(), 2.5);
    EXPECT_EQ(w.SpectrumCount(), 2);

    // 200 x 150: the plot spans y 10 .. 140; 0.5 of 2.5 lies at y = 0.8 * 130 + 10 = 114,
    // 2.5 at the top, y = 10. Colours stay COLORREF until painting (red is the low byte).
    const QImage image = Draw(w, 200, 150);
    EXPECT_EQ(image.pixelColor(100, 114), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(100, 10), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(100, 60), QColor(Qt::white));
    // Every curve starts with a segment up from the axes' corner.
    EXPECT_EQ(image.pixelColor(10, 80), QColor(0, 0, 255));

    // An empty window: white, the two axes and the title.
    CSpecWindow empty;
    const QImage axes = Draw(empty, 200, 150);
    EXPECT_EQ(axes.pixelColor(10, 80), QColor(Qt::black));
    EXPECT_EQ(axes.pixelColor(100, 140), QColor(Qt::black));
    EXPECT_EQ(axes.pixelColor(100, 141), QColor(Qt::white));
    EXPECT_EQ(axes.pixelColor(9, 80), QColor(Qt::white));

    w.Clear();
    EXPECT_EQ(w.SpectrumCount(), 0);
    EXPECT_DOUBLE_EQ(w.GetYMaximum(), 1.0);
}

TEST(SpecWindow, SpectralFillColoursEachColumnByItsWavelength)
{
    GridGuard guard;
    ResetColorData();
    ASSERT_TRUE(SetColorDataFolder(LED_COLOUR_DATA_DIR));
    // 11 points 0.4 .. 0.7 µm, 320 pixels wide: dx = 30, point i at x = 10 + 30 i.
    XStart = 0.4;
    XEnd = 0.7;
    XStep = 0.03;
    ASSERT_EQ(GridPointCount(), 11);
    LSMatrixHandle s(11, 1);
    MatFill(s, 1.0);
    CSpecWindow w;
    w.SetSpectralFill(true);
    w.AddSpectrum(s, RGB(0, 0, 0));
    const QImage image = Draw(w, 320, 120);
    const std::vector<COLORREF>& colours = WavelengthColorsOnGrid();
    for (int i : {1, 5, 9}) {
        SCOPED_TRACE(i);
        const QColor expected = ToQColor(colours[static_cast<std::size_t>(i)]);
        EXPECT_EQ(image.pixelColor(10 + 30 * i + 15, 60), expected); // between points i and i + 1
        EXPECT_EQ(image.pixelColor(10 + 30 * i + 29, 100), expected);
    }
    EXPECT_NE(colours[1], colours[9]);
    EXPECT_EQ(image.pixelColor(100, 5), QColor(Qt::white)); // above the curve
    ResetColorData();
}

TEST(SpecWindow, OnePointGridAndHugeValuesDrawSafely)
{
    GridGuard guard;
    XStart = 0.5;
    XEnd = 0.5;
    XStep = 0.01;
    ASSERT_EQ(GridPointCount(), 1);
    LSMatrixHandle one(1, 1);
    one[0] = 3.0;
    CSpecWindow w;
    w.AddSpectrum(one, RGB(255, 0, 0));
    const QImage image = Draw(w, 100, 80);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_NE(image.pixelColor(x, y), QColor(255, 0, 0)) << x << "," << y;

    XStart = 0.4;
    XEnd = 0.75;
    XStep = 0.002;
    LSMatrixHandle wild(GridPointCount(), 1);
    MatFill(wild, 1.0);
    wild[3] = std::numeric_limits<double>::infinity();
    wild[4] = std::numeric_limits<double>::quiet_NaN();
    wild[5] = -1e300;
    CSpecWindow v;
    v.SetSpectralFill(true);
    v.AddSpectrum(wild, RGB(0, 0, 0));
    EXPECT_DOUBLE_EQ(v.GetYMaximum(), 1.0);
    Draw(v, 200, 100); // no overflow (UBSan watches)
}

class SpecList : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.resize(408, 206);
        list.show();
        const int n = GridPointCount();
        for (const char* name : {"Blau", "Gruen", "Rot"}) {
            LSMatrixHandle s(n, 1);
            MatFill(s, 0.5);
            set.AddSpectrum(name, s);
        }
    }
    GridGuard guard;
    SpectraSet set;
    CSpecWindowList list;
};

TEST_F(SpecList, OneWindowPerSpectrumInTheGrid)
{
    list.SetSpectra(set);
    ASSERT_EQ(list.WindowCount(), 3);
    const int w = list.viewport()->width(), h = list.viewport()->height();
    const int cw = (w - 4) / 2 - 1, ch = (h - 2) / 2 - 1;
    EXPECT_EQ(list.WindowAt(0)->geometry(), QRect(2, 2, cw, ch));
    EXPECT_EQ(list.WindowAt(1)->geometry(), QRect(2, 2 + ch + 1, cw, ch));
    EXPECT_EQ(list.WindowAt(2)->geometry(), QRect(2 + cw + 1, 2, cw, ch));
    EXPECT_EQ(list.WindowAt(2)->GetTitle(), "Rot");
    EXPECT_EQ(list.WindowAt(2)->SpectrumCount(), 1);
    EXPECT_EQ(list.WindowAt(0)->objectName(), QStringLiteral("CSpecWindowCtrl"));

    // Nine spectra: the ninth window is made but stays empty.
    for (int i = 3; i < 9; ++i)
        set.AddSpectrum("S" + std::to_string(i), set.GetSpectrum(0));
    list.SetSpectra(set);
    ASSERT_EQ(list.WindowCount(), 9);
    EXPECT_EQ(list.WindowAt(7)->SpectrumCount(), 1);
    EXPECT_EQ(list.WindowAt(8)->SpectrumCount(), 0);
    EXPECT_EQ(list.WindowAt(8)->GetTitle(), "");

    // An empty set leaves only the hatch.
    SpectraSet empty;
    list.SetSpectra(empty);
    EXPECT_EQ(list.WindowCount(), 0);
    const QImage image = list.viewport()->grab().toImage();
    int grey = 0, white = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            grey += image.pixelColor(x, y) == QColor(128, 128, 128);
            white += image.pixelColor(x, y) == QColor(Qt::white);
        }
    EXPECT_GT(grey, 100);
    EXPECT_GT(white, 100);
}

TEST_F(SpecList, ScrollingMovesTheWindows)
{
    list.SetSpectra(set);
    const int h = list.viewport()->height();
    const QRect first = list.WindowAt(0)->geometry();
    list.OnVScroll(spec_layout::kLineDown);
    EXPECT_EQ(list.GetScrollPosition(), h);
    EXPECT_EQ(list.WindowAt(0)->geometry(), first.translated(0, -h));
    list.OnVScroll(spec_layout::kPageUp);
    EXPECT_EQ(list.GetScrollPosition(), h - static_cast<int>(0.8 * h));
    list.OnVScroll(spec_layout::kBottom);
    EXPECT_EQ(list.GetScrollPosition(), 3 * (h + 1) + 3 - h);
    list.OnVScroll(spec_layout::kTop);
    EXPECT_EQ(list.WindowAt(0)->geometry(), first);
    // Both bars share the one position; the horizontal one moves the windows sideways.
    list.OnHScroll(spec_layout::kThumbTrack, 30);
    EXPECT_EQ(list.WindowAt(0)->geometry(), first.translated(-30, 0));
    // A rebuild starts at 0 again.
    list.SetSpectra(set);
    EXPECT_EQ(list.GetScrollPosition(), 0);
}

} // namespace
