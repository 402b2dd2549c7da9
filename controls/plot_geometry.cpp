#include "controls/plot_geometry.h"

#include <algorithm>
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
    const double range = hi - lo;
    if (!std::isfinite(lo) || !std::isfinite(range) || !(range > 0))
        return {};
    const int n = pixels / divisor;
    if (n <= 0)
        return {};
    double step = std::pow(10.0, std::ceil(std::log10(range / n) - 0.2));
    auto pixelsPerStep = [&] { return std::trunc(pixels * (step / range) + 0.5); };
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

PlotTransform PlotTransform::For(const PlotRect& client, const PlotRange& range, bool density)
{
    PlotTransform t;
    t.density = density;
    const double spanX = range.maxX - range.minX;
    const double spanY = range.maxY - range.minY;
    const PlotRect area = PlotAreaOf(client);
    t.valid = std::isfinite(range.minX) && std::isfinite(range.minY) && std::isfinite(spanX)
              && std::isfinite(spanY) && spanX > 0 && spanY > 0 && area.Width() >= kMinPlotPixels
              && area.Height() >= kMinPlotPixels;
    if (!t.valid)
        return t;
    t.x0 = client.left + kPlotMarginLeft;
    t.xOffset = -range.minX;
    t.xs = (client.Width() - 95) / spanX;
    // The y scale uses h - 60, so that the top of the range lies at client top + 10.
    t.y0 = client.bottom - kPlotMarginBottom;
    t.yOffset = -range.minY;
    t.ys = -(client.Height() - 60) / spanY;
    return t;
}

bool PlotTransform::ToData(QPoint p, double& x, double& y) const
{
    if (!valid)
        return false;
    x = (p.x() - x0) / xs - xOffset;
    y = (p.y() - y0) / ys - yOffset;
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
