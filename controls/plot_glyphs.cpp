#include "controls/plot_glyphs.h"

#include "platform/colorref_qt.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <initializer_list>

namespace {

const QColor kFrameColour(68, 68, 68);
const QColor kActiveFace(126, 230, 126);
constexpr COLORREF kShadow = RGB(96, 96, 96);

void Polyline(QPainter& p, const QColor& colour, int width, std::initializer_list<QPoint> points)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(points.begin(), static_cast<int>(points.size()));
}

struct MarkColours {
    QColor centre, sides, corners, outline;
};

// A 3x3 dot with a light outline on its left, right and top.
void DrawGlyphMark(QPainter& p, QPoint c, const MarkColours& m)
{
    const int x = c.x();
    const int y = c.y();
    p.setPen(QPen(m.outline, 1));
    p.drawLine(x - 2, y + 2, x - 2, y - 2);
    p.drawLine(x - 2, y - 2, x + 2, y - 2);
    p.drawLine(x + 2, y - 2, x + 2, y + 2);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int ring = (dx != 0) + (dy != 0);
            p.setPen(ring == 0 ? m.centre : ring == 1 ? m.sides : m.corners);
            p.drawPoint(x + dx, y + dy);
        }
    }
}

const MarkColours kGreyMark{QColor(0, 0, 0), QColor(120, 120, 120), QColor(200, 200, 200), QColor(240, 240, 240)};
const MarkColours kBlueMark{QColor(20, 20, 220), QColor(110, 110, 187), QColor(150, 150, 236),
                            QColor(220, 220, 255)};

// The dots curve: light copy one pixel lower, then the dark curve, marks on the three
// inner vertices.
void DrawDotsCurve(QPainter& p, const PlotRect& r, int quarter, const QColor& light, const QColor& dark,
                   bool curve, const MarkColours* marks)
{
    const GlyphMetrics g = GlyphMetricsOf(r);
    const int l = r.left;
    const int b = r.bottom;
    const QPoint v[5] = {{l + 2, b - 2 * g.u},
                         {l + quarter + 1, b - 12 * g.u},
                         {l + 2 * quarter + 1, b - 5 * g.u},
                         {l + 3 * quarter + 1, b - 9 * g.u},
                         {l + 4 * quarter + 2, b - 2 * g.u}};
    if (curve) {
        const QPoint down(0, 1);
        Polyline(p, light, 1, {v[0], v[1] + down, v[2] + down, v[3] + down, v[4] + down});
        Polyline(p, dark, 1, {QPoint(l + 1, b - 2 * g.u), v[0], v[1], v[2], v[3], v[4]});
    }
    if (marks) {
        for (int i = 1; i <= 3; ++i)
            DrawGlyphMark(p, v[i], *marks);
    }
}

void DrawSpekGlyph(QPainter& p, const PlotRect& r, bool on)
{
    const GlyphMetrics g = GlyphMetricsOf(r);
    const int l = r.left;
    const int b = r.bottom;
    const int q = g.q;
    if (on) {
        struct Bar {
            int x;
            QColor colour;
            bool low;
        };
        const Bar bars[] = {
            {l + q, QColor(200, 0, 200), true},          {l + q + 1, QColor(0, 0, 200), false},
            {l + q + 2, QColor(0, 0, 200), false},       {l + 2 * q, QColor(0, 200, 200), false},
            {l + 2 * q + 1, QColor(0, 200, 0), false},   {l + 2 * q + 2, QColor(200, 200, 0), false},
            {l + 2 * q + 3, QColor(200, 200, 0), false}, {l + 3 * q + 1, QColor(200, 0, 0), false},
            {l + 3 * q + 2, QColor(200, 0, 0), false},   {l + 3 * q + 3, QColor(200, 0, 0), true},
        };
        for (const Bar& bar : bars) {
            p.setPen(QPen(bar.colour, 1));
            p.drawLine(bar.x, b - (bar.low ? 6 : 10) * g.u, bar.x, b - g.u);
        }
    }
    const QPoint v[5] = {{l + 2, b - 2 * g.u},
                         {l + q + 1, b - 12 * g.u},
                         {l + 2 * q + 1, b - 12 * g.u},
                         {l + 3 * q + 1, b - 12 * g.u},
                         {l + 4 * q + 2, b - 2 * g.u}};
    const QPoint down(0, 1);
    Polyline(p, QColor(160, 160, 160), 1, {v[0], v[1] + down, v[2] + down, v[3] + down, v[4] + down});
    Polyline(p, QColor(50, 50, 50), 1, {QPoint(l + 1, b - 2 * g.u), v[0], v[1], v[2], v[3], v[4]});
}

void DrawButtonText(QPainter& p, const PlotRect& r, const char* text, int x, int y, int pixelHeight)
{
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(QFont::Medium);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(x, y + QFontMetrics(font).ascent(), QString::fromLatin1(text));
}

} // namespace

void DrawTransparentRect(QPainter& painter, const PlotRect& r, COLORREF colour, int alpha)
{
    QColor c = ToQColor(colour);
    c.setAlpha(std::clamp(alpha, 0, 255));
    painter.fillRect(r.ToQRect(), c);
}

GlyphMetrics GlyphMetricsOf(const PlotRect& r)
{
    const int w = r.Width();
    const int h = r.Height();
    return {(h - 3) / 12, (w - 2) / 4, (w - 1) / 4, std::max(w / 6, 4)};
}

bool IsToggleButton(PlotButton b)
{
    return b == PlotButton::Density || b == PlotButton::Info || b == PlotButton::Legend;
}

bool IsButtonActive(PlotButton b, const ButtonStates& s)
{
    switch (b) {
    case PlotButton::Density:
        return s.showDensity;
    case PlotButton::Info:
        return s.showInfoWin;
    case PlotButton::Legend:
        return s.infoLegende;
    default:
        return false;
    }
}

void DrawButton(QPainter& p, PlotButton button, const PlotRect& r, const ButtonStates& s, int textPixelHeight)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    DrawTransparentRect(p, r.Offset(2, 2), kShadow, 50);
    DrawTransparentRect(p, r.Offset(1, 1), kShadow, 50);
    const bool toggle = IsToggleButton(button);
    const bool active = toggle && IsButtonActive(button, s);
    p.fillRect(r.ToQRect(), active ? kActiveFace : QColor(Qt::white));
    p.setPen(QPen(kFrameColour, 1));
    p.drawRect(r.left, r.top, r.Width() - 1, r.Height() - 1);

    const GlyphMetrics g = GlyphMetricsOf(r);
    const int l = r.left, t = r.top, rr = r.right, b = r.bottom;
    const QColor dark(64, 64, 64);
    switch (button) {
    case PlotButton::FullSize:
        Polyline(p, dark, 2, {QPoint(l + 3, t + 7), QPoint(l + 3, t + 2)});
        Polyline(p, dark, 2, {QPoint(l + 3, t + 3), QPoint(l + 8, t + 3)});
        Polyline(p, dark, 2, {QPoint(l + 3, t + 3), QPoint(l + 8, t + 8)});
        Polyline(p, dark, 2, {QPoint(rr - 3, b - 7), QPoint(rr - 3, b - 3), QPoint(rr - 8, b - 3)});
        Polyline(p, dark, 2, {QPoint(rr - 3, b - 3), QPoint(rr - 8, b - 8)});
        break;
    case PlotButton::XSize: {
        const int d = g.d;
        const int m = t + r.Height() / 2;
        for (int shift = 0; shift <= 1; ++shift) {
            const QColor c = shift ? dark : QColor(200, 200, 200);
            Polyline(p, c, 2, {QPoint(l + d + 1, m - d - 1 + shift), QPoint(l + 2, m - 1 + shift),
                               QPoint(l + d + 2, m + d - 1 + shift)});
            Polyline(p, c, 2, {QPoint(rr - d - 2, m - d - 1 + shift), QPoint(rr - 3, m - 1 + shift),
                               QPoint(rr - d - 3, m + d - 1 + shift)});
        }
        break;
    }
    case PlotButton::YSize: {
        const int d = g.d;
        const int c = l + r.Width() / 2;
        for (int shift = 0; shift <= 1; ++shift) {
            const QColor col = shift ? dark : QColor(170, 170, 170);
            Polyline(p, col, 2, {QPoint(c - d - shift, t + d + 1), QPoint(c - shift, t + 2),
                                 QPoint(c + d - shift, t + d + 1)});
            Polyline(p, col, 2, {QPoint(c - d - shift, b - d - 2), QPoint(c - shift, b - 3),
                                 QPoint(c + d - shift, b - d - 2)});
        }
        break;
    }
    case PlotButton::Dots:
        DrawDotsCurve(p, r, g.q1, QColor(170, 236, 170), QColor(70, 160, 70), true,
                      s.showGraphDots ? &kGreyMark : nullptr);
        break;
    case PlotButton::DotsOnly:
        if (s.showGraphDotsOnly)
            DrawDotsCurve(p, r, g.q, {}, {}, false, &kBlueMark);
        else
            DrawDotsCurve(p, r, g.q, QColor(170, 170, 236), QColor(70, 70, 160), true,
                          s.showGraphDots ? &kGreyMark : nullptr);
        break;
    case PlotButton::SpekGraph:
        DrawSpekGlyph(p, r, s.showSpekGraph);
        break;
    case PlotButton::Info:
        DrawButtonText(p, r, s.infoLeftPos ? "<i" : "i>", l + 3, t + 1, textPixelHeight);
        break;
    case PlotButton::Legend:
        DrawButtonText(p, r, " L ", l + 2, t + 1, textPixelHeight);
        break;
    case PlotButton::Save:
        DrawButtonText(p, r, "s", (l + rr) / 2 - 3, t + 1, textPixelHeight);
        break;
    case PlotButton::Density:
        DrawButtonText(p, r, " D ", l + 2, t + 1, textPixelHeight);
        break;
    }
    if (toggle && !active)
        Polyline(p, Qt::black, 2, {QPoint(l + 3, t + 3), QPoint(rr - 3, b - 3)});
    p.restore();
}

QRgb BrightenForExport(QRgb pixel)
{
    int sums[3] = {qRed(pixel) + 30, qGreen(pixel) + 30, qBlue(pixel) + 30};
    const int largest = std::max({sums[0], sums[1], sums[2]});
    if (largest > 255) {
        const float f = 255.0f / static_cast<float>(largest);
        for (int& v : sums)
            v = static_cast<int>(static_cast<float>(v) * f);
    }
    return qRgba(sums[0], sums[1], sums[2], qAlpha(pixel));
}

QImage BrightenedForExport(const QImage& picture)
{
    if (picture.isNull() || picture.depth() < 24)
        return picture;
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = BrightenForExport(line[x]);
    }
    return out;
}

void DrawBackgroundPicture(QPainter& painter, const QImage& picture, const PlotRect& client,
                           const PlotTransform& transform, double limitMinX, double limitMaxX)
{
    if (picture.isNull() || !transform.valid || limitMinX > 780 || limitMaxX < 380)
        return;
    const int x1 = transform.ToScreen(380, 0).x();
    const int x2 = transform.ToScreen(780, 0).x();
    if (x2 <= x1)
        return;
    painter.drawImage(QRect(x1, client.top, x2 - x1, client.Height()), picture);
}
