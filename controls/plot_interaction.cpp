#include "controls/plot_interaction.h"

#include "core/spectrum.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>

namespace {
constexpr double kMaxWavelength = 1e6;
constexpr double kWheelFactor = 1.2;

// A new limit computed from the finite limit old: where the arithmetic ran past the
// largest double, the largest double of that sign, so that the plot keeps a finite range.
double KeepFinite(double v, double old)
{
    if (std::isfinite(v) || !std::isfinite(old))
        return v;
    return std::isnan(v) ? old : std::copysign(DBL_MAX, v);
}
} // namespace

RangeChange Pan(const PlotRange& r, double dx, double dy, bool autoX, bool autoY)
{
    RangeChange c{r};
    if (!autoX) {
        c.range.minX -= dx;
        c.range.maxX -= dx;
        if (c.range.minX < 0) {
            c.range.minX = 0;
            c.range.maxX = r.maxX;
        }
        if (c.range.maxX >= kMaxWavelength) {
            c.range.maxX = kMaxWavelength;
            c.range.minX = r.minX;
        }
        c.storeX = true;
    }
    if (!autoY) {
        c.range.minY = KeepFinite(r.minY - dy, r.minY);
        c.range.maxY = KeepFinite(r.maxY - dy, r.maxY);
        c.storeY = true;
    }
    return c;
}

RangeChange WheelZoom(const PlotRange& r, double gx, double gy, bool zoomIn, bool autoX, bool autoY,
                      bool overYLabels, bool overXLabels)
{
    const double k = zoomIn ? 1 / kWheelFactor : kWheelFactor;
    RangeChange c{r};
    if (!autoX && !overYLabels) {
        c.range.minX = gx - (gx - r.minX) * k;
        c.range.maxX = gx + (r.maxX - gx) * k;
        if (c.range.minX < 0)
            c.range.minX = 0;
        if (c.range.maxX >= kMaxWavelength)
            c.range.maxX = kMaxWavelength;
        c.storeX = true;
    }
    if (!autoY) {
        if (!overXLabels) {
            c.range.minY = KeepFinite(gy - (gy - r.minY) * k, r.minY);
            c.range.maxY = KeepFinite(gy + (r.maxY - gy) * k, r.maxY);
        }
        c.storeY = true;
    }
    return c;
}

PlotRange KeypadZoom(const PlotRange& r, bool zoomIn)
{
    const double k = zoomIn ? 1 / kWheelFactor : kWheelFactor;
    auto zoom = [k](double& lo, double& hi) {
        if (std::isinf(hi - lo) && std::isfinite(lo) && std::isfinite(hi)) {
            // A span beyond the largest double: centre and half span from the halves.
            const double centre = lo / 2 + hi / 2;
            const double half = (hi / 2 - lo / 2) * k;
            lo = KeepFinite(centre - half, lo);
            hi = KeepFinite(centre + half, hi);
            return;
        }
        const double centre = lo + (hi - lo) / 2;
        const double half = (hi - lo) * k / 2;
        lo = KeepFinite(centre - half, lo);
        hi = KeepFinite(centre + half, hi);
    };
    PlotRange out = r;
    zoom(out.minX, out.maxX);
    zoom(out.minY, out.maxY);
    return out;
}

std::optional<PlotRange> BoxZoom(double x1, double y1, double x2, double y2)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (x1 == x2 || y1 == y2)
        return std::nullopt;
    return PlotRange{x1, x2, y1, y2};
}

int WheelAccumulator::Add(int delta)
{
    m_sum += delta;
    const int steps = m_sum / 120;
    m_sum -= steps * 120;
    return steps;
}

std::string ToolTipText(PlotButton button, const ButtonStates& s)
{
    switch (button) {
    case PlotButton::FullSize:
        return "gesamten Spektren-Datenbereich anzeigen";
    case PlotButton::XSize:
        return "gesamten Spektren-X-Datenbereich anzeigen";
    case PlotButton::YSize:
        return "gesamten Spektren-Y-Datenbereich anzeigen";
    case PlotButton::SpekGraph:
        return s.showSpekGraph ? "VIS-Intervall nicht hervorheben" : "VIS-Intervall spektral einfärben";
    case PlotButton::Dots:
        return s.showGraphDots ? "Spektrenpunkte nicht hervorheben" : "Spektrenpunkte hervorheben";
    case PlotButton::Info:
        if (s.infoLeftPos)
            return s.showInfoWin ? "Infofenster links ausblenden" : "Infofenster links einblenden";
        return s.showInfoWin ? "Infofenster rechts ausblenden" : "Infofenster rechts einblenden";
    case PlotButton::Save:
        return "Spektrenansicht als Bild speichern";
    case PlotButton::Density:
        return s.showDensity ? "Spektren-Y-Werte linear anzeigen" : "Spektren-Y-Werte logarithmisch anzeigen";
    case PlotButton::DotsOnly:
        return s.showGraphDotsOnly ? "Spektrenpunkte verbinden" : "nur Spektrenpunkte anzeigen";
    case PlotButton::Legend:
        return s.infoLegende ? "Spektrenlegende ausblenden" : "Spektrenlegende einblenden";
    }
    return {};
}

bool GetSpectrumXValue(Spectrum* s, double x, int& index)
{
    if (!s || !std::isfinite(x))
        return false;
    const int count = s->GetPointCount();
    if (count == 0 || !s->IsSorted())
        return false;
    if (x < (*s)[0].x || x > (*s)[count - 1].x)
        return false;
    int lo = 0;
    int hi = count;
    while (lo < hi - 1) {
        const int mid = lo + (hi - lo) / 2;
        if (x >= (*s)[mid].x)
            lo = mid;
        else
            hi = mid;
    }
    index = lo;
    return true;
}

bool GetSpectrumYValue(Spectrum* s, double x, double& y)
{
    int a = 0;
    if (!GetSpectrumXValue(s, x, a))
        return false;
    const SPoint p = (*s)[a];
    if (a + 1 < s->GetPointCount() && (*s)[a + 1].x != p.x) {
        const SPoint q = (*s)[a + 1];
        const double t = (x - p.x) / (q.x - p.x);
        y = (1 - t) * p.y + t * q.y;
    } else {
        y = p.y;
    }
    return true;
}

int NearestSpectrum(const std::vector<Spectrum*>& list, double x, double y, double* value)
{
    double best = 9e99;
    int found = -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        double v = 0;
        if (GetSpectrumYValue(list[i], x, v) && std::fabs(v - y) < best) {
            best = std::fabs(v - y);
            if (value)
                *value = v;
            found = static_cast<int>(i);
        }
    }
    return found;
}
