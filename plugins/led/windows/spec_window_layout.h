#pragma once
// The arithmetic of the spectrum thumbnails and their lists: where a curve's points and fill
// columns lie, the cross-hair labels, the grid of windows and the list's scroll position.
// Pure, so it is tested exactly; the windows only draw what it returns.
//
//   T+10 |  title                          plot area: x L+10 .. R-10, y T+10 .. B-10
//        |     /^\_
//   B-10 +----/---\_______
//       L+10            R-10

#include "windows/param_table_layout.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

namespace spec_layout {

// y of value v: (1 - v / yMax) * (B - T - 20) + T + 10, truncated; NaN counts as 0 and the
// result is kept within a few window heights, so no value overflows a pixel coordinate.
int CurveY(double v, double yMax, int top, int bottom);

// The polyline of a curve of n values in rect: it starts at the lower left corner of the
// axes (L + 10, B - 10), then one point per value. Empty for fewer than two values.
std::vector<QPoint> CurvePoints(const double* values, int n, double yMax, const QRect& rect);

// The pixel columns filled under point i of n: trunc(x) .. trunc(x + dx) - 1.
void FillColumns(int i, int n, const QRect& rect, int& first, int& last);

struct CrossHairLabels {
    QString wavelength; // "%0.1f nm"
    QRect wavelengthRect;
    bool wavelengthRightAligned = false;
    QString value; // "%0.3f"
    QRect valueRect;
};
// The labels of the cross-hair at client point (mx, my) of rect, on the grid start .. end.
CrossHairLabels CrossHair(int mx, int my, const QRect& rect, double yMax, double start, double end);

// The rectangles of count windows in the client rectangle, the list scrolled by
// scrollPosition: two per column, top to bottom, the columns left to right.
std::vector<QRect> WindowGrid(int count, const QRect& client, int scrollPosition);

// Scroll codes of the list's bars: those of the tables.
using ScrollCode = param_table::ScrollCode;
using enum param_table::ScrollCode;
// The list's scroll range: maximum n * (page + 1) + 3; the last position maximum - page,
// at least 0.
int ListScrollMaximum(int windows, int page);
int ListLastPosition(int windows, int page);
// The new position for a code (a line is a whole page, a page 0.8 of it), clamped to
// 0 .. last position; -1 for a code that changes nothing.
int ListScroll(ScrollCode code, int current, int page, int windows, int thumb);

} // namespace spec_layout
