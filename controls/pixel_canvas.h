#pragma once
// Pixel-exact drawing without antialiasing straight into a 32-bit image: solid rectangles,
// thick lines and small rings, clipped to the image. Thick lines are a square brush of
// `width` pixels moved along the line's Bresenham path, as the plot's line pens draw.
// Many short wide segments draw here far faster than through a general painter.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <cstdint>

class PixelCanvas {
public:
    // The image must be Format_ARGB32_Premultiplied or Format_RGB32; colours are opaque.
    explicit PixelCanvas(QImage& image);

    void FillRect(const QRect& r, QRgb colour);
    // A line from a to b, both ends included. A polyline passes startCap false after its
    // first segment: the joint is already covered by the previous segment's end.
    void Line(QPoint a, QPoint b, int width, QRgb colour, bool startCap = true);
    // The line from a to b and its copy shifted by `twin`, in one colour: the same pixels as
    // two calls of Line, in one pass where both stay inside the image.
    void TwinLine(QPoint a, QPoint b, QPoint twin, int width, QRgb colour, bool startCap = true);
    // The outline of the ellipse in `box` (right and bottom edges excluded, as the box of a
    // rectangle), drawn with a pen of `width`.
    void Ellipse(const QRect& box, int width, QRgb colour);

private:
    void Span(int x0, int x1, int y, QRgb colour);
    void Block(int x, int y, int w, int h, QRgb colour);
    void ClippedStroke(QPoint a, QPoint b, int width, int lead, QRgb colour, bool startCap);
    void Stroke(int ax, int ay, int bx, int by, int width, int lead, QRgb colour, bool startCap);
    bool BrushInside(QPoint a, QPoint b, int width, int lead) const;
    template <bool Twin>
    void InsideStroke(int ax, int ay, int bx, int by, int width, int lead, QRgb colour, bool startCap,
                      qsizetype twin);
    template <bool Twin, int FixedWidth>
    void InsideStrokeOf(int ax, int ay, int bx, int by, QRgb colour, bool startCap, qsizetype twin, int anyWidth = 0,
                        int anyLead = 0);

    std::uint32_t* m_bits = nullptr;
    qsizetype m_stride = 0; // in pixels
    int m_width = 0;
    int m_height = 0;
};
