#include "embrel/normalize_spek.h"
#include <simd/vectors.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>


NormalizeSpek::NormalizeSpek(IpolBase* interpolator, EpolBase* extrapolator)
    : m_ipol(interpolator), m_epol(extrapolator)
{
    if (!m_ipol || !m_epol)
        throw std::invalid_argument("NormalizeSpek: interpolator and extrapolator are required");
}

namespace {

using simd::Quad;
using simd::QuadMask;

// True when all n points are finite and x strictly increases. With x(0) and x(n-1) finite,
// a strictly increasing x is finite throughout; (x(i) - x(i-1)) + (y(i) - y(i)) > 0 then
// checks the step and, through the NaN that y - y gives for inf and NaN, the value.
SIMD_EXACT_CLONES
bool IsClean(const double* x, const double* y, std::size_t n)
{
    if (n == 0)
        return true;
    if (!std::isfinite(x[0]) || !std::isfinite(x[n - 1]) || !std::isfinite(y[0]))
        return false;
    // Eight points at a time in two independent masks: this check is most of the work of a
    // linear resampling beside the interpolation itself.
    QuadMask ok0 = ~QuadMask{}, ok1 = ~QuadMask{};
    std::size_t i = 1;
    for (; i + 8 <= n; i += 8) {
        const Quad y0 = simd::Load(y + i), y1 = simd::Load(y + i + 4);
        ok0 &= (simd::Load(x + i) - simd::Load(x + i - 1)) + (y0 - y0) > 0;
        ok1 &= (simd::Load(x + i + 4) - simd::Load(x + i + 3)) + (y1 - y1) > 0;
    }
    const QuadMask ok = ok0 & ok1;
    bool clean = (ok[0] & ok[1] & ok[2] & ok[3]) != 0;
    for (; i < n; ++i)
        clean &= (x[i] - x[i - 1]) + (y[i] - y[i]) > 0;
    return clean;
}

} // namespace

void NormalizeSpek::Clean(const double* x, const double* y, std::size_t n)
{
    m_order.clear();
    for (std::size_t i = 0; i < n; ++i)
        if (std::isfinite(x[i]) && std::isfinite(y[i]))
            m_order.push_back(i);
    std::stable_sort(m_order.begin(), m_order.end(), [x](std::size_t a, std::size_t b) { return x[a] < x[b]; });
    m_x.clear();
    m_y.clear();
    for (std::size_t k = 0; k < m_order.size();) {
        const double xk = x[m_order[k]];
        double sum = 0;
        std::size_t j = k;
        for (; j < m_order.size() && x[m_order[j]] == xk; ++j)
            sum += y[m_order[j]];
        m_x.push_back(xk);
        m_y.push_back(sum / static_cast<double>(j - k));
        k = j;
    }
}

void NormalizeSpek::MakeGrid(const CSpekContainer::SpekInfo& info, std::size_t count)
{
    if (m_grid.size() == count && m_gridInfo.start == info.start && m_gridInfo.step == info.step)
        return;
    m_gridInfo = info;
    m_grid.resize(count);
    for (std::size_t k = 0; k < count; ++k)
        m_grid[k] = info.GetX(k);
}

NormalizeSpek::Ends NormalizeSpek::Interpolate(const double* x, const double* y, std::size_t n, double* out)
{
    Ends e;
    e.xFirst = x[0];
    e.xLast = x[n - 1];
    m_ipol->Fit(x, y, n);
    // The grid ascends: [lo, hi) lies inside the curve's range.
    e.lo = static_cast<std::size_t>(std::lower_bound(m_grid.begin(), m_grid.end(), e.xFirst) - m_grid.begin());
    e.hi = static_cast<std::size_t>(std::upper_bound(m_grid.begin(), m_grid.end(), e.xLast) - m_grid.begin());
    if (e.hi > e.lo)
        m_ipol->Eval(m_grid.data() + e.lo, e.hi - e.lo, out + e.lo);
    // End values and outward slopes through the interpolant at the two outermost points.
    auto slope = [](double rise, double width) {
        const double s = rise / width;
        return std::isfinite(s) ? s : 0.0; // an overflowing slope is taken as flat
    };
    const double firstX[2] = {x[0], x[1]};
    const double lastX[2] = {x[n - 2], x[n - 1]};
    double first[2], last[2];
    m_ipol->Eval(firstX, 2, first);
    m_ipol->Eval(lastX, 2, last);
    e.vFirst = first[0];
    e.vLast = last[1];
    e.sFirst = slope(first[0] - first[1], firstX[1] - firstX[0]);
    e.sLast = slope(last[1] - last[0], lastX[1] - lastX[0]);
    return e;
}

CMBTarget NormalizeSpek::run(std::span<const double> x, std::span<const double> y,
                             const CSpekContainer::SpekInfo& info, double offset, double scale, int count)
{
    if (x.size() != y.size())
        throw std::invalid_argument("NormalizeSpek::run: x and y differ in length");
    const std::size_t gridCount = info.GetCount();
    if (gridCount == 0 || !std::isfinite(offset) || !std::isfinite(scale))
        return CMBTarget();
    MakeGrid(info, gridCount);
    std::vector<double> out(gridCount, 0.0);

    std::size_t n = x.size();
    if (count > 0 && static_cast<std::size_t>(count) < n)
        n = static_cast<std::size_t>(count);

    // Most curves are clean. They are interpolated as they stand and checked afterwards,
    // when their values are in the cache; the interpolators are safe on any input, and an
    // unclean curve is interpolated again once cleaned.
    Ends ends;
    bool done = false;
    if (n >= 2 && std::isfinite(x[0]) && std::isfinite(x[n - 1]) && x[0] < x[n - 1]) {
        ends = Interpolate(x.data(), y.data(), n, out.data());
        done = IsClean(x.data(), y.data(), n);
    }
    if (!done) {
        Clean(x.data(), y.data(), n);
        if (m_x.size() >= 2) {
            ends = Interpolate(m_x.data(), m_y.data(), m_x.size(), out.data());
        } else if (m_x.size() == 1) {
            // One point: its value there, the extrapolator with slope 0 elsewhere.
            ends.xFirst = ends.xLast = m_x[0];
            ends.vFirst = ends.vLast = m_y[0];
            ends.lo = static_cast<std::size_t>(std::lower_bound(m_grid.begin(), m_grid.end(), m_x[0]) - m_grid.begin());
            ends.hi = static_cast<std::size_t>(std::upper_bound(m_grid.begin(), m_grid.end(), m_x[0]) - m_grid.begin());
            for (std::size_t k = ends.lo; k < ends.hi; ++k)
                out[k] = m_y[0];
        } else {
            ends.hi = gridCount; // no points: 0 everywhere
        }
    }
    for (std::size_t k = 0; k < ends.lo; ++k)
        out[k] = m_epol->Value(ends.vFirst, ends.sFirst, ends.xFirst - m_grid[k]);
    for (std::size_t k = ends.hi; k < gridCount; ++k)
        out[k] = m_epol->Value(ends.vLast, ends.sLast, m_grid[k] - ends.xLast);

    if (offset != 0.0 || scale != 1.0)
        for (double& v : out)
            v = offset + scale * v;
    return CMBTarget(std::move(out));
}
