#pragma once
// The ten tool buttons in the right strip of the spectrum plot: their column layout and
// which one a point hits.
#include "controls/plot_rect.h"

#include <array>
#include <optional>

// In column order from the top.
enum class PlotButton { FullSize, XSize, YSize, Dots, DotsOnly, SpekGraph, Info, Legend, Save, Density };
inline constexpr int kPlotButtonCount = 10;

using PlotButtonRects = std::array<PlotRect, kPlotButtonCount>;

// Column of square buttons of edge `size`, 10 pixels from the right edge, the first 18
// below the top, `gap` pixels apart (4 on the first paint, 2 after a resize).
PlotButtonRects LayoutButtons(const PlotRect& client, int size, int gap);

// The first button whose rectangle (edges included) contains the point. Clicks and tool
// tips test in their own order, which differs from the column order.
std::optional<PlotButton> HitButton(const PlotButtonRects& rects, int x, int y);

inline const PlotRect& RectOf(const PlotButtonRects& rects, PlotButton b)
{
    return rects[static_cast<int>(b)];
}
