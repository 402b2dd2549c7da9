#include "controls/plot_model.h"

#include "core/spectrum.h"
#include "core/tree.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

namespace {

constexpr double kFar = 1e99;

// Smallest and largest finite x and y of a spectrum's points.
struct Extent {
    double minX = kFar, maxX = -kFar, minY = kFar, maxY = -kFar;
    bool any = false;
};

Extent ExtentOf(const Spectrum& s)
{
    Extent e;
    const int n = s.GetPointCount();
    for (int i = 0; i < n; ++i) {
        const SPoint p = s[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            continue;
        e.any = true;
        e.minX = std::min(e.minX, p.x);
        e.maxX = std::max(e.maxX, p.x);
        e.minY = std::min(e.minY, p.y);
        e.maxY = std::max(e.maxY, p.y);
    }
    return e;
}

// limit moved outwards (direction +1 or -1) by 5 % of the span from lo to hi. Finite limits
// stay finite: a span beyond the largest double is taken in parts, and a limit that would
// pass the largest double stops there.
double WidenedLimit(double limit, double lo, double hi, int direction)
{
    double margin = 0.05 * std::fabs(hi - lo);
    if (std::isinf(margin) && std::isfinite(lo) && std::isfinite(hi))
        margin = std::fabs(0.05 * hi - 0.05 * lo);
    const double moved = limit + direction * margin;
    if (std::isinf(moved) && std::isfinite(limit) && std::isfinite(margin))
        return std::copysign(DBL_MAX, moved);
    return moved;
}

// Restores a pair of limits that a scan without any value left at its start values.
void KeepIfUnscanned(double& lo, double& hi, double oldLo, double oldHi)
{
    if (lo == kFar && hi == -kFar) {
        lo = oldLo;
        hi = oldHi;
    }
}

} // namespace

void WidenEqualLimits(double& lo, double& hi)
{
    if (lo != hi)
        return;
    const double d = lo == 0 ? 1.0 : std::fabs(lo) * 1e-4;
    lo -= d;
    hi += d;
}

PlotModel::PlotModel() = default;

void PlotModel::SetFromSpectrumList(const std::list<Spectrum*>& list)
{
    PlotSettings& s = settings;
    const bool autoY = *s.AutoMinMax;
    const bool autoX = *s.AutoXMinMax;
    m_shown.clear();
    if ((autoY || autoX) && list.empty()) {
        if (autoY) {
            *s.MinY = 0;
            *s.MaxY = 1;
        }
        return;
    }
    const double old[4] = {*s.MinX, *s.MaxX, *s.MinY, *s.MaxY};
    if (autoY) {
        *s.MinY = kFar;
        *s.MaxY = -kFar;
    }
    if (autoX) {
        *s.MinX = kFar;
        *s.MaxX = -kFar;
    }
    for (Spectrum* spectrum : list) {
        if (!spectrum || spectrum->GetPointCount() == 0)
            continue;
        m_shown.push_back(spectrum);
        if (!autoY && !autoX)
            continue;
        const Extent e = ExtentOf(*spectrum);
        if (!e.any)
            continue;
        if (autoY) {
            *s.MinY = std::min(*s.MinY, e.minY);
            *s.MaxY = std::max(*s.MaxY, e.maxY);
            if (*s.AutoZeroYMin)
                *s.MinY = 0;
        }
        if (autoX) {
            *s.MinX = std::min(*s.MinX, e.minX);
            *s.MaxX = std::max(*s.MaxX, e.maxX);
        }
    }
    if (!autoY && !autoX) {
        CalculateGrid();
        return;
    }
    bool yScanned = false;
    if (autoY) {
        yScanned = !(*s.MinY == kFar && *s.MaxY == -kFar);
        KeepIfUnscanned(*s.MinY, *s.MaxY, old[2], old[3]);
        if (yScanned)
            WidenEqualLimits(*s.MinY, *s.MaxY);
    }
    if (autoX) {
        const bool xScanned = !(*s.MinX == kFar && *s.MaxX == -kFar);
        KeepIfUnscanned(*s.MinX, *s.MaxX, old[0], old[1]);
        if (xScanned)
            WidenEqualLimits(*s.MinX, *s.MaxX);
    }
    ResetToMinMax(yScanned);
}

bool PlotModel::RemoveFromShownList(const Spectrum* spectrum)
{
    const auto it = std::find(m_shown.begin(), m_shown.end(), spectrum);
    if (it == m_shown.end())
        return false;
    m_shown.erase(it);
    return true;
}

void PlotModel::ResetToMinMax()
{
    ResetToMinMax(false);
}

void PlotModel::ResetToMinMax(bool yScanned)
{
    PlotSettings& s = settings;
    const bool autoY = *s.AutoMinMax;
    const bool autoX = *s.AutoXMinMax;
    const bool density = *s.ShowDensity;
    const bool canScan = !m_shown.empty() && !ns_tree::IsTreeBusy();

    bool freshY = false;
    bool freshX = false;
    if (canScan && (autoY || autoX)) {
        Extent all;
        for (Spectrum* spectrum : m_shown) {
            const Extent e = ExtentOf(*spectrum);
            if (!e.any)
                continue;
            all.any = true;
            all.minX = std::min(all.minX, e.minX);
            all.maxX = std::max(all.maxX, e.maxX);
            all.minY = std::min(all.minY, e.minY);
            all.maxY = std::max(all.maxY, e.maxY);
        }
        if (all.any && autoY) {
            *s.MinY = all.minY;
            *s.MaxY = all.maxY;
            freshY = true;
        }
        if (all.any && autoX) {
            *s.MinX = all.minX;
            *s.MaxX = all.maxX;
            freshX = true;
        }
    }
    // Only values just taken from the spectra are linear; older limits are logarithms already.
    if (density && autoY && (freshY || yScanned)) {
        *s.MinY = std::log10(std::max(*s.MinY, kDensityFloor));
        *s.MaxY = std::log10(std::max(*s.MaxY, kDensityFloor));
    }
    if (density && *s.MinY > *s.MaxY)
        std::swap(*s.MinY, *s.MaxY);
    if (freshY || (density && yScanned))
        WidenEqualLimits(*s.MinY, *s.MaxY);
    if (freshX)
        WidenEqualLimits(*s.MinX, *s.MaxX);

    PlotRange r{*s.MinX, *s.MaxX, *s.MinY, *s.MaxY};
    if (autoY) {
        // The lower margin is 5 % of the span already widened by the upper one.
        r.maxY = WidenedLimit(r.maxY, r.minY, r.maxY, 1);
        r.minY = WidenedLimit(r.minY, r.minY, r.maxY, -1);
    }
    if (!density && *s.AutoZeroYMin) {
        r.minY = 0;
        *s.MinY = 0;
    }
    SetShownRange(r);
    CalculateGrid();
}

void PlotModel::SetClient(const PlotRect& client)
{
    m_client = client;
    CalculateGrid();
}

void PlotModel::CalculateGrid()
{
    m_grid = ::CalculateGrid(PlotArea(), ShownRange(), exportMode != 0);
}

PlotRange PlotModel::ShownRange() const
{
    return {*settings.ActualMinX, *settings.ActualMaxX, *settings.ActualMinY, *settings.ActualMaxY};
}

void PlotModel::SetShownRange(const PlotRange& range)
{
    *settings.ActualMinX = range.minX;
    *settings.ActualMaxX = range.maxX;
    *settings.ActualMinY = range.minY;
    *settings.ActualMaxY = range.maxY;
}

PlotTransform PlotModel::Transform() const
{
    return PlotTransform::For(m_client, ShownRange(), *settings.ShowDensity);
}

bool PlotModel::PercentMode() const
{
    return !m_shown.empty() && m_shown.front()->GetComment() == "%";
}

ListSignature PlotModel::Signature() const
{
    if (m_shown.empty())
        return {};
    return {static_cast<int>(m_shown.size()), m_shown.front()->GetName(), m_shown.back()->GetName()};
}

void PlotModel::ApplyButton(PlotButton button)
{
    PlotSettings& s = settings;
    // Switches the given automatic ranges on for one reset, then restores them.
    auto resetWith = [&](bool y, bool x) {
        const bool oldY = *s.AutoMinMax;
        const bool oldX = *s.AutoXMinMax;
        *s.AutoMinMax = oldY || y;
        *s.AutoXMinMax = oldX || x;
        ResetToMinMax();
        *s.AutoMinMax = oldY;
        *s.AutoXMinMax = oldX;
    };
    switch (button) {
    case PlotButton::FullSize:
        resetWith(true, true);
        break;
    case PlotButton::XSize:
        resetWith(false, true);
        break;
    case PlotButton::YSize:
        resetWith(true, false);
        break;
    case PlotButton::SpekGraph:
        *s.ShowSpekGraph = !*s.ShowSpekGraph;
        break;
    case PlotButton::Dots:
        *s.ShowGraphDots = !*s.ShowGraphDots;
        break;
    case PlotButton::Info:
        *s.ShowInfoWin = !*s.ShowInfoWin;
        break;
    case PlotButton::Density:
        *s.ShowDensity = !*s.ShowDensity;
        resetWith(true, false);
        break;
    case PlotButton::DotsOnly:
        *s.ShowGraphDotsOnly = !*s.ShowGraphDotsOnly;
        break;
    case PlotButton::Legend:
        *s.InfoLegende = !*s.InfoLegende;
        break;
    case PlotButton::Save:
        break;
    }
}
