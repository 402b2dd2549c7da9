#include "embrel/interpolators.h"
#include <simd/vectors.h>

#include <cmath>
#include <cstring>

namespace {

using simd::Quad;

// Calls put(k, i) for each query q(k) with the index i of its interval [x(i), x(i+1)]; the
// queries ascend inside [x0, x(n-1)] and the last interval also holds x(n-1). Below x(n-1)
// the walk stops before i + 1 reaches n - 1, so it needs no bound check; it is safe for
// any x. The walk asks for x and the values v a few cache lines ahead: a curve fresh from
// memory then streams in while the interpolation runs (prefetches never fault).
template <class Put>
inline void ForEachInterval(const double* x, const double* v, std::size_t n, const double* q, std::size_t m, Put put)
{
    constexpr std::size_t kAhead = 384;
    const double last = x[n - 1];
    // Start in the interval of q(0): the first or the last without a search (the resampler
    // asks for the curve's ends with every fit), else found by bisection (on any x a valid
    // index below n - 1).
    std::size_t i = 0;
    if (m > 0 && q[0] >= x[n - 2]) {
        i = n - 2;
    } else if (m > 0 && q[0] >= x[1]) {
        std::size_t hi = n - 1;
        while (hi - i > 1) {
            const std::size_t mid = i + (hi - i) / 2;
            if (x[mid] <= q[0])
                i = mid;
            else
                hi = mid;
        }
    }
    std::size_t k = 0;
    for (; k < m && q[k] < last; ++k) {
        while (x[i + 1] <= q[k])
            ++i;
        __builtin_prefetch(x + i + kAhead);
        __builtin_prefetch(v + i + kAhead);
        put(k, i);
    }
    for (; k < m; ++k)
        put(k, n - 2);
}

// The straight line of the planned interval of each query, in the formula of
// IpolLinSpline's direct walk: (y(i+1) - y(i)) / width * offset + y(i), four queries at a
// time. Like the walk, it asks for the values a few cache lines ahead.
SIMD_EXACT_CLONES
void ApplyLinearPlan(const double* y, const std::size_t* index, const double* width, const double* offset,
                     std::size_t m, double* out)
{
    constexpr std::size_t kAhead = 384;
    std::size_t k = 0;
    for (; k + 4 <= m; k += 4) {
        const std::size_t* i = index + k;
        __builtin_prefetch(y + i[0] + kAhead);
        const Quad y0 = {y[i[0]], y[i[1]], y[i[2]], y[i[3]]};
        const Quad y1 = {y[i[0] + 1], y[i[1] + 1], y[i[2] + 1], y[i[3] + 1]};
        simd::Store(out + k, (y1 - y0) / simd::Load(width + k) * simd::Load(offset + k) + y0);
    }
    for (; k < m; ++k) {
        const std::size_t i = index[k];
        out[k] = (y[i + 1] - y[i]) / width[k] * offset[k] + y[i];
    }
}

// True when every value is finite: v - v is 0 for a finite v and NaN for inf and NaN, so the
// sums stay 0 only then. No early exit: the loop runs as vectors.
SIMD_EXACT_CLONES
bool AllFinite(const double* v, std::size_t n)
{
    Quad s0 = {}, s1 = {};
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const Quad a = simd::Load(v + i), b = simd::Load(v + i + 4);
        s0 += a - a;
        s1 += b - b;
    }
    double sum = 0;
    for (; i < n; ++i)
        sum += v[i] - v[i];
    const Quad t = s0 + s1;
    return sum + ((t[0] + t[1]) + (t[2] + t[3])) == 0;
}

bool AllFinite(const std::vector<double>& v)
{
    return AllFinite(v.data(), v.size());
}

// Widths h and slopes delta of the intervals of n points x with values a.
SIMD_EXACT_CLONES
void Intervals(const double* x, const double* a, std::size_t n, double* h, double* delta)
{
    for (std::size_t i = 0; i + 1 < n; ++i) {
        h[i] = x[i + 1] - x[i];
        delta[i] = (a[i + 1] - a[i]) / h[i];
    }
}

// Cubic Hermite coefficients b, c, d of the intervals from the slopes s at the points.
SIMD_EXACT_CLONES
void HermiteCoefficients(const double* h, const double* delta, const double* s, std::size_t intervals, double* b,
                         double* c, double* d)
{
    for (std::size_t i = 0; i < intervals; ++i) {
        const double ih = 1 / h[i];
        b[i] = s[i];
        c[i] = (3 * delta[i] - 2 * s[i] - s[i + 1]) * ih;
        d[i] = (s[i] + s[i + 1] - 2 * delta[i]) * ih * ih;
    }
}

} // namespace

IpolBase::~IpolBase() = default;
IpolOnPoints::~IpolOnPoints() = default;
IpolNachbar::~IpolNachbar() = default;
IpolLinSpline::~IpolLinSpline() = default;
IpolPiecewiseCubic::~IpolPiecewiseCubic() = default;
IpolKubSpline::~IpolKubSpline() = default;
IpolAusglKubSpline::~IpolAusglKubSpline() = default;

void IpolOnPoints::Fit(const double* x, const double* y, std::size_t n)
{
    m_x = x;
    m_y = y;
    m_n = n;
}

void IpolNachbar::Eval(const double* q, std::size_t m, double* out) const
{
    std::size_t i = 0;
    for (std::size_t k = 0; k < m; ++k) {
        // The midpoint is formed as 0.5 * (a + b), so that a query exactly on it goes up.
        while (i + 1 < m_n && 0.5 * (m_x[i] + m_x[i + 1]) <= q[k])
            ++i;
        out[k] = m_y[i];
    }
}

void IpolLinSpline::Fit(const double* x, const double* y, std::size_t n)
{
    IpolOnPoints::Fit(x, y, n);
    // Compared bit for bit: equal bits give the plan's intervals, widths and distances exactly.
    m_sameX = m_lastX.size() == n && std::memcmp(m_lastX.data(), x, n * sizeof(double)) == 0;
    if (!m_sameX) {
        m_lastX.assign(x, x + n);
        m_planned = false;
    }
}

void IpolLinSpline::MakePlan(const double* q, std::size_t m) const
{
    m_planQ.assign(q, q + m);
    m_planIndex.resize(m);
    m_planWidth.resize(m);
    m_planOffset.resize(m);
    const double* x = m_x;
    ForEachInterval(x, m_y, m_n, q, m, [&](std::size_t k, std::size_t i) {
        m_planIndex[k] = i;
        m_planWidth[k] = x[i + 1] - x[i];
        m_planOffset[k] = q[k] - x[i];
    });
    m_planned = true;
}

void IpolLinSpline::Eval(const double* q, std::size_t m, double* out) const
{
    // A plan pays from the second curve on the same points, and only for more than a few
    // queries: the two-point evaluations at the curve's ends walk directly and keep it.
    constexpr std::size_t kPlanFrom = 16;
    const double* y = m_y;
    if (m_sameX && m >= kPlanFrom) {
        if (!m_planned || m_planQ.size() != m || std::memcmp(m_planQ.data(), q, m * sizeof(double)) != 0)
            MakePlan(q, m);
        ApplyLinearPlan(y, m_planIndex.data(), m_planWidth.data(), m_planOffset.data(), m, out);
        return;
    }
    const double* x = m_x;
    ForEachInterval(x, y, m_n, q, m, [&](std::size_t k, std::size_t i) {
        const double slope = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
        out[k] = slope * (q[k] - x[i]) + y[i];
    });
}

void IpolPiecewiseCubic::Eval(const double* q, std::size_t m, double* out) const
{
    ForEachInterval(m_x.data(), m_a.data(), m_x.size(), q, m, [&](std::size_t k, std::size_t i) {
        const double t = q[k] - m_x[i];
        out[k] = ((m_d[i] * t + m_c[i]) * t + m_b[i]) * t + m_a[i];
    });
}

void IpolPiecewiseCubic::Start(const double* x, const double* a, std::size_t n)
{
    m_x.assign(x, x + n);
    m_a.assign(a, a + n);
    // Every fit writes the coefficients of all intervals.
    m_b.resize(n - 1);
    m_c.resize(n - 1);
    m_d.resize(n - 1);
    m_h.resize(n - 1);
    m_delta.resize(n - 1);
    Intervals(x, a, n, m_h.data(), m_delta.data());
}

void IpolPiecewiseCubic::FromSlopes(const std::vector<double>& s)
{
    HermiteCoefficients(m_h.data(), m_delta.data(), s.data(), m_x.size() - 1, m_b.data(), m_c.data(), m_d.data());
}

void IpolPiecewiseCubic::FromSecondDerivatives(const std::vector<double>& g)
{
    for (std::size_t i = 0; i + 1 < m_x.size(); ++i) {
        const double h = m_x[i + 1] - m_x[i];
        m_b[i] = (m_a[i + 1] - m_a[i]) / h - h * (2 * g[i] + g[i + 1]) / 6;
        m_c[i] = g[i] / 2;
        m_d[i] = (g[i + 1] - g[i]) / (6 * h);
    }
}

void IpolPiecewiseCubic::Lines()
{
    for (std::size_t i = 0; i + 1 < m_x.size(); ++i) {
        m_b[i] = (m_a[i + 1] - m_a[i]) / m_h[i];
        m_c[i] = 0;
        m_d[i] = 0;
    }
}

bool IpolKubSpline::Factor(const double* x, std::size_t n)
{
    if (m_factorX.size() == n && std::memcmp(m_factorX.data(), x, n * sizeof(double)) == 0)
        return m_factored;
    m_factorX.assign(x, x + n);
    m_lower.resize(n);
    m_upperFactor.resize(n);
    m_invPivot.resize(n);
    // Row 0: h1 s0 + (h0 + h1) s1; row i: h(i) s(i-1) + 2 (h(i-1) + h(i)) s(i) + h(i-1) s(i+1);
    // row n-1: (h(n-3) + h(n-2)) s(n-2) + h(n-3) s(n-1).
    const double* h = m_h.data();
    m_factored = false;
    double pivot = h[1];
    if (pivot == 0.0 || !std::isfinite(pivot))
        return false;
    m_lower[0] = 0;
    m_invPivot[0] = 1 / pivot;
    m_upperFactor[0] = (h[0] + h[1]) * m_invPivot[0];
    for (std::size_t i = 1; i < n; ++i) {
        const bool last = i + 1 == n;
        const double lower = last ? h[n - 3] + h[n - 2] : h[i];
        const double diag = last ? h[n - 3] : 2 * (h[i - 1] + h[i]);
        const double upper = last ? 0.0 : h[i - 1];
        pivot = diag - lower * m_upperFactor[i - 1];
        if (pivot == 0.0 || !std::isfinite(pivot))
            return false;
        m_invPivot[i] = 1 / pivot;
        m_lower[i] = lower * m_invPivot[i];
        m_upperFactor[i] = upper * m_invPivot[i];
    }
    m_factored = true;
    return true;
}

void IpolKubSpline::Fit(const double* x, const double* y, std::size_t n)
{
    Start(x, y, n);
    std::vector<double>& s = m_slopes;
    s.resize(n);
    auto h = [this](std::size_t i) { return m_h[i]; };
    auto delta = [this](std::size_t i) { return m_delta[i]; };
    bool solved = true;
    if (n == 2) {
        s[0] = s[1] = delta(0);
    } else if (n == 3) {
        // The parabola through the three points; Hermite pieces with its slopes reproduce it.
        const double d2 = (delta(1) - delta(0)) / (x[2] - x[0]);
        s[0] = delta(0) - d2 * h(0);
        s[1] = delta(0) + d2 * h(0);
        s[2] = delta(0) + d2 * (h(0) + 2 * h(1));
    } else if ((solved = Factor(x, n))) {
        // Slopes of the not-a-knot spline: the third derivative is continuous at x1 and
        // x(n-2), so the first two and the last two intervals share one cubic. The system is
        // factored once per set of x (Factor); per curve only its right side is swept forward
        // and the slopes back, each step one multiply-add on the step before.
        const double* lower = m_lower.data();
        const double* inv = m_invPivot.data();
        const double* up = m_upperFactor.data();
        const double w0 = h(0) + h(1);
        double prev = ((h(0) + 2 * w0) * h(1) * delta(0) + h(0) * h(0) * delta(1)) / w0 * inv[0];
        s[0] = prev;
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const double rhs = 3 * (h(i) * delta(i - 1) + h(i - 1) * delta(i));
            prev = rhs * inv[i] - lower[i] * prev;
            s[i] = prev;
        }
        const double wn = h(n - 3) + h(n - 2);
        const double rhs =
            (h(n - 2) * h(n - 2) * delta(n - 3) + (2 * wn + h(n - 2)) * h(n - 3) * delta(n - 2)) / wn;
        s[n - 1] = rhs * inv[n - 1] - lower[n - 1] * prev;
        for (std::size_t i = n - 1; i-- > 0;)
            s[i] -= up[i] * s[i + 1];
    }
    if (solved && AllFinite(s)) {
        FromSlopes(s);
        if (AllFinite(m_b) && AllFinite(m_c) && AllFinite(m_d))
            return;
    }
    Lines();
}

double IpolAusglKubSpline::DefaultSmoothing(const double* x, std::size_t n)
{
    // tr(Q'Q) sums the squares of Q's entries 1/h(j), -(1/h(j) + 1/h(j+1)), 1/h(j+1);
    // R has 2 (h(j) + h(j+1)) on its diagonal.
    double trQ = 0;
    double trR = 0;
    for (std::size_t j = 0; j + 2 < n; ++j) {
        const double h0 = x[j + 1] - x[j];
        const double h1 = x[j + 2] - x[j + 1];
        const double a = 1 / h0;
        const double c = 1 / h1;
        trQ += a * a + (a + c) * (a + c) + c * c;
        trR += 2 * (h0 + h1);
    }
    const double r = 6 * trQ / trR;
    if (!(r < HUGE_VAL))
        return 1.0; // spacing so fine that the trace overflows: interpolate
    return r / (1 + r);
}

void IpolAusglKubSpline::Fit(const double* x, const double* y, std::size_t n)
{
    Start(x, y, n);
    if (n < 3) {
        Lines();
        return;
    }
    const double p = DefaultSmoothing(x, n);
    m_p = p;
    const double lambda6 = 6 * (1 - p);
    const std::size_t m = n - 2;
    auto ih = [x](std::size_t i) { return 1 / (x[i + 1] - x[i]); };
    auto h = [x](std::size_t i) { return x[i + 1] - x[i]; };
    // Column j of Q holds qa = 1/h(j), qb = -(1/h(j) + 1/h(j+1)), qc = 1/h(j+1) in rows
    // j, j+1, j+2. The system (6 (1-p) Q'Q + p R) u = Q'y is symmetric, positive definite
    // and pentadiagonal: diagonal e0, first and second off-diagonals e1, e2.
    m_e0.assign(m, 0.0);
    m_e1.assign(m, 0.0);
    m_e2.assign(m, 0.0);
    m_u.assign(m, 0.0);
    for (std::size_t j = 0; j < m; ++j) {
        const double qa = ih(j), qc = ih(j + 1), qb = -(qa + qc);
        m_e0[j] = lambda6 * (qa * qa + qb * qb + qc * qc) + p * 2 * (h(j) + h(j + 1));
        if (j + 1 < m) {
            const double qb1 = -(ih(j + 1) + ih(j + 2));
            m_e1[j] = lambda6 * (qb * ih(j + 1) + qc * qb1) + p * h(j + 1);
        }
        if (j + 2 < m)
            m_e2[j] = lambda6 * qc * ih(j + 2);
        m_u[j] = (y[j + 2] - y[j + 1]) * ih(j + 1) - (y[j + 1] - y[j]) * ih(j);
    }
    // L D L' in place: e0 takes D, e1 and e2 the two subdiagonals of L.
    bool solved = true;
    for (std::size_t j = 0; j < m && solved; ++j) {
        double d = m_e0[j];
        if (j >= 1)
            d -= m_e1[j - 1] * m_e1[j - 1] * m_e0[j - 1];
        if (j >= 2)
            d -= m_e2[j - 2] * m_e2[j - 2] * m_e0[j - 2];
        if (!(d > 0) || !std::isfinite(d)) {
            solved = false;
            break;
        }
        m_e0[j] = d;
        if (j + 1 < m)
            m_e1[j] = (m_e1[j] - (j >= 1 ? m_e2[j - 1] * m_e1[j - 1] * m_e0[j - 1] : 0.0)) / d;
        if (j + 2 < m)
            m_e2[j] /= d;
    }
    if (solved) {
        for (std::size_t j = 0; j < m; ++j) {
            if (j >= 1)
                m_u[j] -= m_e1[j - 1] * m_u[j - 1];
            if (j >= 2)
                m_u[j] -= m_e2[j - 2] * m_u[j - 2];
        }
        for (std::size_t j = 0; j < m; ++j)
            m_u[j] /= m_e0[j];
        for (std::size_t j = m; j-- > 0;) {
            if (j + 1 < m)
                m_u[j] -= m_e1[j] * m_u[j + 1];
            if (j + 2 < m)
                m_u[j] -= m_e2[j] * m_u[j + 2];
        }
        // Values a = y - 6 (1-p) Q u, second derivatives 6 p u inside and 0 at both ends.
        m_g.assign(n, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            double qu = 0;
            if (i < m)
                qu += ih(i) * m_u[i];
            if (i >= 1 && i - 1 < m)
                qu -= (ih(i - 1) + ih(i)) * m_u[i - 1];
            if (i >= 2)
                qu += ih(i - 1) * m_u[i - 2];
            m_a[i] = y[i] - lambda6 * qu;
        }
        for (std::size_t j = 0; j < m; ++j)
            m_g[j + 1] = 6 * p * m_u[j];
        FromSecondDerivatives(m_g);
        if (AllFinite(m_a) && AllFinite(m_b) && AllFinite(m_c) && AllFinite(m_d))
            return;
    }
    m_a.assign(y, y + n);
    Lines();
}
