// The digitiser's picture: scaled once without blending, overlays on top.
#include "digitiser_canvas.h"

#include <QImageReader>
#include <gtest/gtest.h>

TEST(DigitiserCanvas, PictureIsScaledWithExactColoursAndOverlaysFollowTheStage)
{
    // 300 x 200, a 20 px frame of blue around yellow, a red pixel at (150, 100).
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    for (int y = 20; y < 180; ++y)
        for (int x = 20; x < 280; ++x)
            picture.setPixel(x, y, qRgb(255, 255, 0));
    picture.setPixel(150, 100, qRgb(255, 0, 0));
    const DigitiserCanvas canvas(picture, {600, 600}, 50);
    const QImage& bg = canvas.GetBackground();
    ASSERT_EQ(bg.size(), QSize(600, 600));
    EXPECT_EQ(bg.pixel(0, 0), qRgb(255, 255, 0)) << "the frame is cut";
    EXPECT_EQ(bg.pixel(599, 399), qRgb(255, 255, 0));
    EXPECT_EQ(bg.pixel(300, 450), qRgb(255, 255, 255)) << "below the picture";
    const QPointF red = PictureToArea(canvas.GetLayout(), {150.5, 100.5});
    EXPECT_EQ(bg.pixel(red.toPoint()), qRgb(255, 0, 0));

    DigitiserCalibration cal({380, 780, 0, 1});
    cal.SetPosition({100, 100});
    cal.SetPosition({500, 100});
    cal.SetPosition({100, 300});
    const QImage drawn = canvas.Render(cal, {{0, 0}, {200, 100}, {400, 200}});
    // Axis line from (100, 500) to (500, 500) in area pixels (y down).
    EXPECT_EQ(drawn.pixel(300, 500), qRgb(0, 255, 0));
    EXPECT_EQ(drawn.pixel(100, 400), qRgb(0, 255, 0));
    // The red dotted curve passes (200, 450) on its way from (100, 500) to (300, 400).
    bool red_near = false;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            red_near = red_near || drawn.pixel(200 + dx, 450 + dy) == qRgb(255, 0, 0);
    EXPECT_TRUE(red_near);
    EXPECT_EQ(canvas.GetBackground().pixel(300, 500), bg.pixel(300, 500)) << "overlays go on a copy";
}

TEST(DigitiserCanvas, JpegAndBmpReadersArePresent)
{
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    EXPECT_TRUE(formats.contains("jpeg"));
    EXPECT_TRUE(formats.contains("bmp"));
    EXPECT_TRUE(formats.contains("png"));
}
