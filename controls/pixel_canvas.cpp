#include "controls/pixel_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

PixelCanvas::PixelCanvas(QImage& image)
    : m_bits(reinterpret_cast<std::uint32_t*>(image.bits()))
    , m_stride(image.bytesPerLine() / 4)
    , m_width(image.width())
    , m_height(image.height())
{
}

void PixelCanvas::Span(int x0, int x1, int y, QRgb colour)
{
    if (y < 0 || y >= m_height)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, m_width - 1);
    std::uint32_t* row = m_bits + y * m_stride;
    for (int x = x0; x <= x1; ++x)
        row[x] = colour;
}

void PixelCanvas::Block(int x, int y, int w, int h, QRgb colour)
{
    const int y0 = std::max(y, 0);
    const int y1 = std::min(y + h, m_height);
    const int x0 = std::max(x, 0);
    const int x1 = std::min(x + w, m_width);
    for (int yy = y0; yy < y1; ++yy) {
        std::uint32_t* row = m_bits + yy * m_stride;
        for (int xx = x0; xx < x1; ++xx)
            row[xx] = colour;
    }
}

void PixelCanvas::FillRect(const QRect& r, QRgb colour)
{
    if (r.width() > 0 && r.height() > 0)
        Block(r.x(), r.y(), r.width(), r.height(), colour);
}

inline bool PixelCanvas::BrushInside(QPoint a, QPoint b, int width, int lead) const
{
    return std::min(a.x(), b.x()) - lead >= 0 && std::min(a.y(), b.y()) - lead >= 0
           && std::max(a.x(), b.x()) - lead + width <= m_width && std::max(a.y(), b.y()) - lead + width <= m_height;
}

void PixelCanvas::Line(QPoint a, QPoint b, int width, QRgb colour, bool startCap)
{
    width = std::max(width, 1);
    const int lead = width / 2; // brush pixels before the centre
    if (BrushInside(a, b, width, lead)) {
        InsideStroke<false>(a.x(), a.y(), b.x(), b.y(), width, lead, colour, startCap, 0);
        return;
    }
    auto inside = [&](QPoint p) { return p.x() >= 0 && p.x() < m_width && p.y() >= 0 && p.y() < m_height; };
    if (inside(a) && inside(b))
        Stroke(a.x(), a.y(), b.x(), b.y(), width, lead, colour, startCap);
    else
        ClippedStroke(a, b, width, lead, colour, startCap);
}

void PixelCanvas::TwinLine(QPoint a, QPoint b, QPoint twin, int width, QRgb colour, bool startCap)
{
    width = std::max(width, 1);
    const int lead = width / 2;
    if (BrushInside(a, b, width, lead) && BrushInside(a + twin, b + twin, width, lead)) {
        InsideStroke<true>(a.x(), a.y(), b.x(), b.y(), width, lead, colour, startCap,
                           twin.y() * m_stride + twin.x());
        return;
    }
    Line(a + twin, b + twin, width, colour, startCap);
    Line(a, b, width, colour, startCap);
}

void PixelCanvas::ClippedStroke(QPoint a, QPoint b, int width, int lead, QRgb colour, bool startCap)
{
    // Clip the segment to the image grown by the brush (Liang-Barsky), so that far-off
    // points cost nothing.
    double x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
    const double dx = x1 - x0, dy = y1 - y0;
    const double lo[2] = {-static_cast<double>(width), -static_cast<double>(width)};
    const double hi[2] = {static_cast<double>(m_width + width), static_cast<double>(m_height + width)};
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - lo[0], hi[0] - x0, y0 - lo[1], hi[1] - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return;
    }
    const int ax = static_cast<int>(std::lround(x0 + t0 * dx));
    const int ay = static_cast<int>(std::lround(y0 + t0 * dy));
    const int bx = static_cast<int>(std::lround(x0 + t1 * dx));
    const int by = static_cast<int>(std::lround(y0 + t1 * dy));
    Stroke(ax, ay, bx, by, width, lead, colour, startCap);
}

template <bool Twin>
void PixelCanvas::InsideStroke(int ax, int ay, int bx, int by, int width, int lead, QRgb colour, bool startCap,
                               qsizetype twin)
{
    // The plot's lines are two pixels wide: that brush gets its own copy with fixed loops.
    if (width == 2)
        InsideStrokeOf<Twin, 2>(ax, ay, bx, by, colour, startCap, twin);
    else
        InsideStrokeOf<Twin, 0>(ax, ay, bx, by, colour, startCap, twin, width, lead);
}

template <bool Twin, int FixedWidth>
void PixelCanvas::InsideStrokeOf(int ax, int ay, int bx, int by, QRgb colour, bool startCap, qsizetype twin,
                                 int anyWidth, int anyLead)
{
    // As Stroke below, for a brush that stays inside the image: no clipping per pixel. With
    // Twin, every pixel is set at `twin` pixels' distance too.
    const int width = FixedWidth ? FixedWidth : anyWidth;
    const int lead = FixedWidth ? FixedWidth / 2 : anyLead;
    const int sx = ax < bx ? 1 : -1;
    const int sy = ay < by ? 1 : -1;
    const int ddx = std::abs(bx - ax);
    const int ddy = std::abs(by - ay);
    const qsizetype stride = m_stride;
    auto set = [&](std::uint32_t* p) {
        *p = colour;
        if constexpr (Twin)
            p[twin] = colour;
    };
    auto square = [&](int x, int y) {
        std::uint32_t* row = m_bits + (y - lead) * stride + (x - lead);
        for (int r = 0; r < width; ++r, row += stride)
            for (int k = 0; k < width; ++k)
                set(row + k);
    };
    if (startCap)
        square(ax, ay);
    square(bx, by);
    // at: the pixel (x, y) on the path; the brush covers a column (x-major) or a row
    // (y-major) of `width` pixels starting `lead` before it.
    std::uint32_t* at = m_bits + ay * stride + ax;
    const qsizetype stepX = sx;
    const qsizetype stepY = sy * stride;
    int x = ax, y = ay;
    int err = ddx - ddy;
    const qsizetype across = ddx >= ddy ? stride : 1; // from one brush pixel to the next
    while (x != bx || y != by) {
        const int e2 = 2 * err;
        if (e2 > -ddy) {
            err -= ddy;
            x += sx;
            at += stepX;
        }
        if (e2 < ddx) {
            err += ddx;
            y += sy;
            at += stepY;
        }
        std::uint32_t* p = at - lead * across;
        for (int k = 0; k < width; ++k, p += across)
            set(p);
    }
}

void PixelCanvas::Stroke(int ax, int ay, int bx, int by, int width, int lead, QRgb colour, bool startCap)
{
    if (BrushInside(QPoint(ax, ay), QPoint(bx, by), width, lead)) {
        InsideStroke<false>(ax, ay, bx, by, width, lead, colour, startCap, 0);
        return;
    }
    // Bresenham; on an x-major line each step sets a column of `width` pixels, on a
    // y-major line a row; both ends get the full square.
    const int sx = ax < bx ? 1 : -1;
    const int sy = ay < by ? 1 : -1;
    const int ddx = std::abs(bx - ax);
    const int ddy = std::abs(by - ay);
    const bool xMajor = ddx >= ddy;
    if (startCap)
        Block(ax - lead, ay - lead, width, width, colour);
    Block(bx - lead, by - lead, width, width, colour);
    int x = ax, y = ay;
    int err = ddx - ddy;
    while (x != bx || y != by) {
        const int e2 = 2 * err;
        if (e2 > -ddy) {
            err -= ddy;
            x += sx;
        }
        if (e2 < ddx) {
            err += ddx;
            y += sy;
        }
        if (xMajor) {
            if (x >= 0 && x < m_width) {
                for (int k = 0; k < width; ++k) {
                    const int yy = y - lead + k;
                    if (yy >= 0 && yy < m_height)
                        m_bits[yy * m_stride + x] = colour;
                }
            }
        } else {
            Span(x - lead, x - lead + width - 1, y, colour);
        }
    }
}

void PixelCanvas::Ellipse(const QRect& box, int width, QRgb colour)
{
    const double cx = box.x() + (box.width() - 1) / 2.0;
    const double cy = box.y() + (box.height() - 1) / 2.0;
    const double rx = (box.width() - 1) / 2.0;
    const double ry = (box.height() - 1) / 2.0;
    const double half = width / 2.0;
    const int grow = width / 2 + 1;
    for (int y = box.top() - grow; y <= box.bottom() + grow; ++y) {
        for (int x = box.left() - grow; x <= box.right() + grow; ++x) {
            // Distance from the outline, measured along the radius.
            const double ex = x - cx, ey = y - cy;
            const double r = std::hypot(ex, ey);
            const double rr = r == 0 ? std::min(rx, ry) : std::hypot(rx * ex / r, ry * ey / r);
            if (std::fabs(r - rr) < half)
                Block(x, y, 1, 1, colour);
        }
    }
}
