// The digitising dialog end to end on synthetic pictures: markers at the origin and the axis
// ends and a curve of a known function, found in the grabbed picture area and clicked.
#include "image_dialog.h"

#include "core/spectrum.h"
#include "support/fake_prompter.h"
#include "support/recording_host.h"

#include <QApplication>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <optional>

namespace {

constexpr QRgb kOrigin = 0xFFFF00FF;  // magenta
constexpr QRgb kXEnd = 0xFF00FFFF;    // cyan
constexpr QRgb kYEnd = 0xFF0000FF;    // blue
constexpr QRgb kCurve = 0xFF008000;   // dark green

struct Diagram {
    const char* name;
    double degrees;   // x axis rising
    bool yLog;
    int border;       // a frame of this width around the diagram, cut again by the form's border
};

// f on the x range 400..700 nm: linear y 0..1, or log y 1..1000.
double Curve(double x, bool yLog)
{
    const double t = (x - 400) / 300;
    return yLog ? std::pow(10.0, 0.5 + 2 * t) : 0.2 + 0.6 * t * t;
}

// A 500 x 400 picture: axes of 300 and 200 pixels from (100, 300) (y down), turned by degrees
// about the origin, markers of 5 x 5 at the three points, the curve as single pixels.
QImage DrawDiagram(const Diagram& d)
{
    QImage image(500 + 2 * d.border, 400 + 2 * d.border, QImage::Format_RGB32);
    image.fill(Qt::white);
    const double a = d.degrees * std::numbers::pi / 180;
    const double ox = 100 + d.border;
    const double oy = 300 + d.border;
    // Diagram coordinates (u right, v up) to picture pixels.
    const auto at = [&](double u, double v) {
        return QPointF(ox + u * std::cos(a) - v * std::sin(a), oy - u * std::sin(a) - v * std::cos(a));
    };
    const auto mark = [&](QPointF c, QRgb colour) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                image.setPixel(int(std::floor(c.x())) + dx, int(std::floor(c.y())) + dy, colour);
    };
    mark(at(0, 0), kOrigin);
    mark(at(300, 0), kXEnd);
    mark(at(0, 200), kYEnd);
    for (int i = 0; i <= 60; ++i) {
        const double x = 400 + 5 * i;
        const double y = Curve(x, d.yLog);
        const double v = d.yLog ? (std::log10(y) - 0) / 3 * 200 : y * 200;
        const QPointF p = at((x - 400), v);
        image.setPixel(int(std::floor(p.x())), int(std::floor(p.y())), kCurve);
    }
    return image;
}

// The centre of the pixels of one colour in the shown picture.
std::optional<QPointF> Find(const QImage& shown, QRgb colour)
{
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) == colour) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++n;
            }
    if (n == 0)
        return std::nullopt;
    return QPointF(sx / n, sy / n);
}

void Click(QWidget* area, QPointF at)
{
    QMouseEvent release(QEvent::MouseButtonRelease, at, area->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(area, &release);
}

} // namespace

TEST(ImageDialog, CalibratedPointsFollowTheDrawnCurve)
{
    const Diagram diagrams[] = {
        {"plain", 0, false, 0},
        {"tilted by 10 degrees", 10, false, 0},
        {"log y", 0, true, 0},
        {"frame of 30 cut by the border", 0, false, 30},
    };
    for (const Diagram& d : diagrams) {
        SCOPED_TRACE(d.name);
        const QImage picture = DrawDiagram(d);
        RecordingHost host;
        FakePrompter prompter;
        const DigitiserAxes axes{400, 700, d.yLog ? 1.0 : 0.0, d.yLog ? 1000.0 : 1.0, false, d.yLog, 0};
        ImageDialog dialog(&host, picture, "scan", axes, d.border, QSize(900, 700));
        DigitiserArea* area = dialog.GetArea();
        const QImage shown = dialog.GetCanvas().GetBackground();
        for (QRgb marker : {kOrigin, kXEnd, kYEnd}) {
            const std::optional<QPointF> p = Find(shown, marker);
            ASSERT_TRUE(p);
            Click(area, *p);
        }
        ASSERT_EQ(dialog.GetCalibration().GetStage(), DigitiserCalibration::kWantPoints);
        // One picture pixel in area pixels.
        const double pixel = dialog.GetCanvas().GetLayout().target.width() / double(dialog.GetCanvas().GetLayout().source.width());
        int clicked = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (shown.pixel(x, y) == kCurve && (x + y) % 3 == 0) {
                    Click(area, QPointF(x + 0.5, y + 0.5));
                    ++clicked;
                }
        ASSERT_GT(clicked, 10);
        EXPECT_TRUE(prompter.shown.empty());
        dialog.findChild<QLineEdit*>(QStringLiteral("Name"))->setText(QStringLiteral("Probe"));
        dialog.OnBnClickedAddSpectrum();
        Spectrum* spectrum = host.spectra.GetInserter("scan:Probe");
        ASSERT_TRUE(spectrum);
        ASSERT_TRUE(host.spectra.GetInserter("scan:SpecRawPnts:Probe"));
        ASSERT_EQ(spectrum->GetPointCount(), clicked);
        // Each point lies within one picture pixel (plus the half pixel of a pixel's centre)
        // of the drawn curve, measured in the diagram's pixels.
        for (int i = 0; i < spectrum->GetPointCount(); ++i) {
            const SPoint p = (*spectrum)[i];
            const double u = p.x - 400;
            const double v = d.yLog ? std::log10(p.y) / 3 * 200 : p.y * 200;
            double nearest = 1e9;
            for (double x = 395; x <= 705; x += 0.05) {
                const double f = Curve(x, d.yLog);
                const double fv = d.yLog ? std::log10(f) / 3 * 200 : f * 200;
                nearest = std::min(nearest, std::hypot(u - (x - 400), v - fv));
            }
            EXPECT_LE(nearest, 1.6) << p.x << " " << p.y;
        }
    }
}
