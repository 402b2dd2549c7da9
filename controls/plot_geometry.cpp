#include "controls/plot_geometry.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace {

// Every format of the labels takes one double; the caller passes only literals.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string Format(const char* format, double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, v);
    return buffer;
}
#pragma GCC diagnostic pop

// One axis of the grid; `divisor` is the wanted pixels per line before rounding the step.
GridAxis GridFor(int pixels, double lo, double hi, int divisor, bool exportMode)
{
    // A span beyond the largest double is taken in halves, so that every figure below
    // stays finite.
    const double range = hi - lo;
    const bool wide = std::isinf(range) && std::isfinite(hi);
    const double half = hi * 0.5 - lo * 0.5;
    if (!std::isfinite(lo) || !(wide || std::isfinite(range)) || !(range > 0))
        return {};
    const int n = pixels / divisor;
    if (n <= 0)
        return {};
    // step / range
    auto share = [&](double step) { return wide ? (step * 0.5) / half : step / range; };
    const double log10PerLine = wide ? std::log10(half / n) + std::log10(2.0) : std::log10(range / n);
    double step = std::pow(10.0, std::ceil(log10PerLine - 0.2));
    auto pixelsPerStep = [&] { return std::trunc(pixels * share(step) + 0.5); };
    double px = pixelsPerStep();
    if (px > 50) {
        step /= 5;
        px = pixelsPerStep();
    }
    if (px < 25) {
        step *= 2;
        px = pixelsPerStep();
    }
    if (!(px > 0) || !std::isfinite(step))
        return {};
    GridAxis axis;
    axis.count = static_cast<int>(pixels / px);
    if (exportMode) {
        step *= 2;
        axis.count /= 2;
    }
    axis.step = step;
    axis.first = std::ceil(lo / step) * step;
    return axis;
}

} // namespace

PlotRect PlotAreaOf(const PlotRect& client)
{
    return client.Inset(kPlotMarginLeft, kPlotMarginTop, kPlotMarginRight, kPlotMarginBottom);
}

namespace {

// pixels / (hi - lo) for finite limits, also where hi - lo exceeds the largest double
// (then wide is set and the span is taken in halves).
double PixelsPerUnit(double pixels, double lo, double hi, bool& wide)
{
    const double span = hi - lo;
    wide = std::isinf(span);
    return wide ? (pixels * 0.5) / (hi * 0.5 - lo * 0.5) : pixels / span;
}

// (pixel / scale) - offset, kept finite: a pixel far beyond a range that reaches the ends of
// double gives the largest value of that sign.
double ToUnits(double pixel, double scale, double offset, bool wide)
{
    if (!wide)
        return std::clamp(pixel / scale - offset, -DBL_MAX, DBL_MAX);
    const double half = (pixel / scale) * 0.5 - offset * 0.5;
    return std::clamp(half, -DBL_MAX / 2, DBL_MAX / 2) * 2;
}

} // namespace

PlotTransform PlotTransform::For(const PlotRect& client, const PlotRange& range, bool density)
{
    PlotTransform t;
    t.density = density;
    const PlotRect area = PlotAreaOf(client);
    t.valid = std::isfinite(range.minX) && std::isfinite(range.maxX) && std::isfinite(range.minY)
              && std::isfinite(range.maxY) && range.maxX > range.minX && range.maxY > range.minY
              && area.Width() >= kMinPlotPixels && area.Height() >= kMinPlotPixels;
    if (!t.valid)
        return t;
    t.x0 = client.left + kPlotMarginLeft;
    t.xOffset = -range.minX;
    t.xs = PixelsPerUnit(client.Width() - 95, range.minX, range.maxX, t.wideX);
    // The y scale uses h - 60, so that the top of the range lies at client top + 10.
    t.y0 = client.bottom - kPlotMarginBottom;
    t.yOffset = -range.minY;
    t.ys = -PixelsPerUnit(client.Height() - 60, range.minY, range.maxY, t.wideY);
    return t;
}

bool PlotTransform::ToData(QPoint p, double& x, double& y) const
{
    if (!valid)
        return false;
    x = ToUnits(p.x() - x0, xs, xOffset, wideX);
    y = ToUnits(p.y() - y0, ys, yOffset, wideY);
    return true;
}

PlotGrid CalculateGrid(const PlotRect& plotArea, const PlotRange& range, bool exportMode)
{
    PlotGrid grid;
    if (plotArea.Width() < kMinPlotPixels || plotArea.Height() < kMinPlotPixels)
        return grid;
    grid.x = GridFor(plotArea.Width(), range.minX, range.maxX, exportMode ? 40 : 25, exportMode);
    grid.y = GridFor(plotArea.Height(), range.minY, range.maxY, 25, exportMode);
    return grid;
}

std::string FormatValueLabel(double v, bool exportMode, bool density)
{
    const double a = std::fabs(v);
    const bool compact = exportMode && density;
    const bool zero = density ? a < 1e-8 : a <= 1e-8;
    if (zero)
        return Format(compact ? "%4g" : "%5g", 0.0);
    if (a < 0.001)
        return Format(compact ? "%2.0e" : "%2.1e", v);
    if (a < 10)
        return Format(compact ? "%4.2f" : "%4.3f", v);
    if (a < 1000)
        return Format(compact ? "%5.1f" : "%5.2f", v);
    if (a < 10000)
        return Format(compact ? "%4.0f" : "%5.0f", v);
    return Format(compact ? "%2.0e" : "%2.1e", v);
}

std::string FormatWavenumber(double w, bool exportMode)
{
    if (w < 100)
        return Format(exportMode ? "%.2f" : "%.3f", w);
    if (w < 1000)
        return Format(exportMode ? "%.1f" : "%.2f", w);
    if (w < 10000)
        return Format(exportMode ? "%.0f" : "%.1f", w);
    return Format("%.0f", w);
}

std::string FormatXLabel(double nm, int unit, bool exportMode)
{
    const bool nearZero = nm >= -1 && nm <= 1;
    if (unit == 0)
        return Format("%4g", nearZero ? 0.0 : nm);
    if (nearZero)
        return ">1000000";
    return FormatWavenumber(1e6 / nm, exportMode);
}
