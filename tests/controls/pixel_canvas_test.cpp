// Pixel-exact drawing of thick lines, rectangles and rings into an image.
#include "controls/pixel_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

QImage Blank(int w = 20, int h = 20)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

int CountBlack(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == qRgb(0, 0, 0);
    return n;
}

TEST(PixelCanvas, ThickLinesCoverTheirWidth)
{
    struct Case {
        const char* name;
        QPoint a, b;
        int width;
        int pixels;
    } cases[] = {
        {"horizontal, width 2", {2, 5}, {11, 5}, 2, 2 * 11},    // rows 4..5, columns 1..11
        {"vertical, width 2", {5, 2}, {5, 11}, 2, 2 * 11},
        {"diagonal, width 1", {2, 2}, {9, 9}, 1, 8},
        {"a single point, width 3", {5, 5}, {5, 5}, 3, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = Blank();
        PixelCanvas canvas(image);
        canvas.Line(c.a, c.b, c.width, qRgb(0, 0, 0));
        EXPECT_EQ(CountBlack(image), c.pixels);
        EXPECT_EQ(image.pixel(c.a), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(c.b), qRgb(0, 0, 0));
    }
}

// A line whose brush pokes out of the image is clipped pixel by pixel; one well inside is
// drawn without checks. Both must set the same pixels: every short segment is drawn into
// an image just big enough for its ends and into the middle of a large one.
TEST(PixelCanvas, LinesAtTheBorderMatchLinesInside)
{
    for (int width = 2; width <= 4; ++width) {
        for (int dx = -5; dx <= 5; ++dx) {
            for (int dy = -5; dy <= 5; ++dy) {
                SCOPED_TRACE(testing::Message() << "width " << width << ", to " << dx << " " << dy);
                const QPoint a(20, 20), b(20 + dx, 20 + dy);
                QImage large = Blank(40, 40);
                PixelCanvas(large).Line(a, b, width, qRgb(0, 0, 0));
                const QPoint origin(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
                QImage small = Blank(std::abs(dx) + 1, std::abs(dy) + 1);
                PixelCanvas(small).Line(a - origin, b - origin, width, qRgb(0, 0, 0));
                EXPECT_EQ(small, large.copy(QRect(origin, small.size())));
                EXPECT_GT(CountBlack(large), CountBlack(small)); // the brush did reach outside
            }
        }
    }
}

// A twin line sets the pixels of the line and of its shifted copy, in the middle of the
// image as at its edges, with and without the start cap.
TEST(PixelCanvas, TwinLineIsTheLineAndItsShiftedCopy)
{
    const QPoint starts[] = {{10, 10}, {0, 0}, {19, 3}, {4, 19}};
    const QPoint twins[] = {{-1, -1}, {2, -1}};
    for (const QPoint start : starts) {
        for (const QPoint twin : twins) {
            for (int dx = -4; dx <= 4; ++dx) {
                for (int dy = -4; dy <= 4; ++dy) {
                    for (const bool cap : {true, false}) {
                        SCOPED_TRACE(testing::Message() << "from " << start.x() << " " << start.y() << " by " << dx
                                                        << " " << dy << ", twin " << twin.x() << " " << twin.y()
                                                        << ", cap " << cap);
                        const QPoint end = start + QPoint(dx, dy);
                        QImage once = Blank();
                        PixelCanvas(once).TwinLine(start, end, twin, 2, qRgb(0, 0, 0), cap);
                        QImage twice = Blank();
                        PixelCanvas canvas(twice);
                        canvas.Line(start + twin, end + twin, 2, qRgb(0, 0, 0), cap);
                        canvas.Line(start, end, 2, qRgb(0, 0, 0), cap);
                        EXPECT_EQ(once, twice);
                    }
                }
            }
        }
    }
}

TEST(PixelCanvas, ClipsFarSegmentsAndRectangles)
{
    QImage image = Blank();
    PixelCanvas canvas(image);
    // A segment from far outside crosses the image at row 10.
    canvas.Line({-4000000, 10}, {4000000, 10}, 1, qRgb(0, 0, 0));
    EXPECT_EQ(CountBlack(image), 20);
    canvas.Line({-4000000, -4000000}, {-3000000, 4000000}, 2, qRgb(255, 0, 0)); // misses
    canvas.FillRect(QRect(-5, -5, 7, 7), qRgb(0, 0, 0)); // 2 x 2 inside
    canvas.FillRect(QRect(18, 18, 5, 0), qRgb(0, 0, 0)); // empty
    EXPECT_EQ(CountBlack(image), 24);
}

TEST(PixelCanvas, EllipseIsARing)
{
    QImage image = Blank();
    PixelCanvas canvas(image);
    canvas.Ellipse(QRect(7, 7, 7, 7), 1, qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255)); // centre stays free
    EXPECT_EQ(image.pixel(10, 7), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(13, 10), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(7, 7), qRgb(255, 255, 255)); // corner of the box
}

} // namespace
