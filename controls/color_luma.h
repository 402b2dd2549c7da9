#pragma once
// Lightness adjustment of a colour in hue-lightness-saturation space.
#include "platform/colorref.h"

// Changes the lightness L (0..1) of c by n thousandths, keeping hue and saturation:
//   scaled, n > 0:  L' = L + (1 - L) * n / 1000   (n/1000 of the way towards white)
//   scaled, n < 0:  L' = L * (1 + n / 1000)       (towards black)
//   not scaled:     L' = L + n / 1000
// L' is clamped to 0..1; channels are rounded to the nearest integer.
// With n = +200 scaled, pure red (255, 0, 0) becomes (255, 51, 51).
COLORREF AdjustLuma(COLORREF c, int n, bool scaled);
