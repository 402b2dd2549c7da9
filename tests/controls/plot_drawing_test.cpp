// Colours and drawing pieces of the spectrum plot: lightness, spectral table, buttons,
// export brightening and the background picture.
#include "controls/color_luma.h"
#include "controls/plot_glyphs.h"
#include "colormath/spectral_colors.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <limits>

namespace {

TEST(AdjustLuma, LightensTowardsWhiteKeepingHue)
{
    struct Case {
        COLORREF in;
        int n;
        bool scaled;
        COLORREF out;
    } cases[] = {
        {RGB(255, 0, 0), 200, true, RGB(255, 51, 51)},
        {RGB(0, 0, 0), 200, true, RGB(51, 51, 51)},
        {RGB(255, 255, 255), 200, true, RGB(255, 255, 255)},
        {RGB(0, 128, 0), 200, true, RGB(0, 204, 0)},
        {RGB(40, 80, 160), 200, true, RGB(57, 106, 205)},
        {RGB(255, 0, 0), -200, true, RGB(204, 0, 0)},
        {RGB(128, 128, 128), 200, false, RGB(179, 179, 179)},
        {RGB(10, 20, 30), 0, true, RGB(10, 20, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(AdjustLuma(c.in, c.n, c.scaled), c.out);
    }
}

TEST(SpectralColors, ReferenceEntries)
{
    struct Case {
        int index;
        double r, g, b;
    } cases[] = {
        {0, 255, 0, 255}, {50, 0, 204.231, 255}, {99, 203.195, 162.402, 0}, {150, 255, 27.028, 0}, {198, 255, 14.75, 0},
    };
    const auto& table = SpectralColorTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_NEAR(table[c.index].r, c.r, 1e-3);
        EXPECT_NEAR(table[c.index].g, c.g, 1e-3);
        EXPECT_NEAR(table[c.index].b, c.b, 1e-3);
    }
    // The filled entries run smoothly: green around 530 nm.
    const SpectralRgb green = table[SpectralColorIndex(530)];
    EXPECT_GT(green.g, 180);
    EXPECT_LT(green.r, 150);
}

TEST(SpectralColors, IndexAndDegenerateInput)
{
    EXPECT_EQ(SpectralColorIndex(380), 0);
    EXPECT_EQ(SpectralColorIndex(780), 198);
    EXPECT_EQ(SpectralColorIndex(550), 84);
    EXPECT_EQ(SpectralColorIndex(379.99), -1);
    EXPECT_EQ(SpectralColorIndex(780.01), -1);
    EXPECT_EQ(SpectralColorIndex(std::numeric_limits<double>::quiet_NaN()), -1);
    const SpectralRgb black = ChromaticityToRgb(0, 0, 0);
    EXPECT_EQ(black.r + black.g + black.b, 0);
    const SpectralRgb cancelled = ChromaticityToRgb(1, -1, 0);
    EXPECT_EQ(cancelled.r + cancelled.g + cancelled.b, 0);
}

TEST(Glyphs, MetricsOfSixteenPixelButton)
{
    EXPECT_EQ(GlyphMetricsOf({0, 0, 16, 16}), (GlyphMetrics{1, 3, 3, 4}));
    EXPECT_EQ(GlyphMetricsOf({0, 0, 30, 27}), (GlyphMetrics{2, 7, 7, 5}));
}

TEST(Glyphs, ToggleButtonFaceAndStroke)
{
    const PlotRect r{10, 10, 26, 26};
    auto draw = [&](bool legendOn) {
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::gray);
        QPainter p(&image);
        ButtonStates s;
        s.infoLegende = legendOn;
        DrawButton(p, PlotButton::Legend, r, s, 12);
        p.end();
        return image;
    };
    const QImage off = draw(false);
    EXPECT_EQ(off.pixelColor(24, 12), QColor(Qt::white));
    EXPECT_EQ(off.pixelColor(18, 18), QColor(Qt::black)); // the stroke
    EXPECT_EQ(off.pixelColor(10, 10), QColor(68, 68, 68)); // the frame
    const QImage on = draw(true);
    EXPECT_EQ(on.pixelColor(24, 12), QColor(126, 230, 126));
    // The shadow below the button: grey at alpha 50 blended twice.
    EXPECT_NE(on.pixelColor(20, 27), QColor(Qt::gray));
}

TEST(Drawing, TransparentRectBlendsAtConstantAlpha)
{
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawTransparentRect(p, {0, 0, 2, 4}, RGB(0, 0, 0), 128);
    p.end();
    EXPECT_NEAR(image.pixelColor(1, 1).red(), 127, 1);
    EXPECT_EQ(image.pixelColor(2, 1), QColor(Qt::white));
}

TEST(Drawing, ExportBrightening)
{
    EXPECT_EQ(BrightenForExport(qRgb(255, 255, 255)), qRgb(255, 255, 255));
    EXPECT_EQ(BrightenForExport(qRgb(0, 0, 0)), qRgb(30, 30, 30));
    EXPECT_EQ(BrightenForExport(qRgb(250, 100, 0)), qRgb(255, 118, 27));
    QImage mono(2, 2, QImage::Format_Mono);
    mono.fill(0);
    EXPECT_EQ(BrightenedForExport(mono), mono);
}

TEST(Drawing, BackgroundPictureSpansVisibleBandOnly)
{
    const PlotRect client{0, 0, 595, 562};
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    auto draw = [&](double minX, double maxX) {
        QImage image(595, 562, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        const PlotTransform t = PlotTransform::For(client, {300, 400, 0, 1}, false);
        DrawBackgroundPicture(p, picture, client, t, minX, maxX);
        p.end();
        return image;
    };
    // Shown 300..400 nm: 380 nm at column 450; the picture reaches past the plot area.
    const QImage drawn = draw(300, 400);
    EXPECT_EQ(drawn.pixelColor(449, 300), QColor(Qt::white));
    EXPECT_EQ(drawn.pixelColor(451, 300), QColor(Qt::red));
    EXPECT_EQ(drawn.pixelColor(580, 2), QColor(Qt::red));
    const QImage skipped = draw(800, 900);
    EXPECT_EQ(skipped.pixelColor(500, 300), QColor(Qt::white));
}

} // namespace
