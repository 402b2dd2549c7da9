#pragma once
// Coordinates of the spectrum plot: plot area, data <-> pixel transform, grid and the
// texts of the value and wavelength labels. Pure functions, no widget.
#include "controls/plot_rect.h"

#include <QPoint>
#include <algorithm>
#include <cmath>
#include <string>

// Margins between the client rectangle and the plot area.
inline constexpr int kPlotMarginLeft = 50;
inline constexpr int kPlotMarginTop = 12;
inline constexpr int kPlotMarginRight = 45;
inline constexpr int kPlotMarginBottom = 50;
// Below this many pixels (width or height) the plot area gets no grid and no spectra.
inline constexpr int kMinPlotPixels = 25;
// Density view: values at or below this are shown at log10 = -15.
inline constexpr double kDensityFloor = 1e-15;

// The shown range (the Actual* settings); in the density view y is log10 of the value.
struct PlotRange {
    double minX = 380;
    double maxX = 780;
    double minY = 0;
    double maxY = 1;
    friend bool operator==(const PlotRange&, const PlotRange&) = default;
};

PlotRect PlotAreaOf(const PlotRect& client);

// y as the transform sees it: in the density view log10(y), -15 at or below 1e-15.
inline double DensityValue(double y)
{
    return y > kDensityFloor ? std::log10(y) : -15.0;
}

// Converts a pixel coordinate, clamped first so that far-off points cannot overflow int
// (pixels beyond 2^22 are off any screen).
inline int ClampToPixel(double v)
{
    constexpr double kPixelLimit = 1 << 22;
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
}

// Data <-> pixel mapping for one client rectangle and shown range. `valid` is false when
// a limit is not finite, a span is zero or negative, or the plot area is too small: then
// nothing may be drawn or converted. A span beyond the largest double (limits near
// -1.8e308 and +1.8e308) is mapped too: such an axis is `wide`, and its value minus offset
// is formed as a sum of two scaled products, which cannot overflow.
struct PlotTransform {
    double x0 = 0, xOffset = 0, xs = 0;
    double y0 = 0, yOffset = 0, ys = 0;
    bool density = false;
    bool valid = false;
    bool wideX = false, wideY = false;

    static PlotTransform For(const PlotRect& client, const PlotRange& range, bool density);

    // Pixel of a data point (density log applied to y).
    QPoint ToScreen(double x, double y) const
    {
        if (density)
            y = DensityValue(y);
        return QPoint(ClampToPixel(ScreenX(x)), ClampToPixel(ScreenYRaw(y)));
    }
    // Pixel column of x and row of an already transformed y (log units in the density view).
    double ScreenX(double x) const { return (wideX ? x * xs + xOffset * xs : (x + xOffset) * xs) + x0 + 0.5; }
    double ScreenYRaw(double yUnits) const
    {
        return (wideY ? yUnits * ys + yOffset * ys : (yUnits + yOffset) * ys) + y0 + 0.5;
    }
    // Data of a pixel; y in log units in the density view. False when not valid.
    bool ToData(QPoint p, double& x, double& y) const;
};

struct GridAxis {
    int count = 0;
    double step = 0;
    double first = 0;
    friend bool operator==(const GridAxis&, const GridAxis&) = default;
};

struct PlotGrid {
    GridAxis x;
    GridAxis y;
};

// Grid for the shown range on a plot area; in export mode the x axis is laid out for
// 40 pixels per line and both steps are doubled. Empty axes for a degenerate range or area.
PlotGrid CalculateGrid(const PlotRect& plotArea, const PlotRange& range, bool exportMode);

// Value label of the y axis (|v| after any percent scaling).
std::string FormatValueLabel(double v, bool exportMode, bool density);
// Label of an x grid line: wavelength ("%4g") for unit 0, otherwise wavenumber in 1/mm.
std::string FormatXLabel(double nm, int unit, bool exportMode);
// Wavenumber text of w in 1/mm.
std::string FormatWavenumber(double w, bool exportMode);
