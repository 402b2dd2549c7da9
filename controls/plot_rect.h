#pragma once
// A rectangle of pixels with exclusive right and bottom edges, the form in which the
// plot lays itself out (width = right - left). QRect counts its right edge inclusive;
// ToQRect converts for painting.
#include <QRect>

struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    // Edges included on all four sides.
    constexpr bool ContainsInclusive(int x, int y) const
    {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
    constexpr PlotRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    constexpr PlotRect Inset(int l, int t, int r, int b) const { return {left + l, top + t, right - r, bottom - b}; }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    static PlotRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    friend constexpr bool operator==(const PlotRect&, const PlotRect&) = default;
};
