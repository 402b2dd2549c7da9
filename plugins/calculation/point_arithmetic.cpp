#include "calculation/point_arithmetic.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace point_arith {

namespace {

struct OpText {
    const char* entry;
    const char* suffix;
};

const OpText kOps[kOpCount] = {
    {"A + B; Summe", "_sum"},
    {"A - B; Differenz", "_diff"},
    {"A * B; Produkt", "_mult"},
    {"A / B; Quotient", "_div"},
    {"min(A , B)", "_min"},
    {"max(A , B)", "_max"},
    {"A U B; A-bezogene Vereinigung", "_U"},
    {"A < B; wenn JA dann A = 0", "_<"},
    {"µ( A ); Mittelwert", "_mean"},
    {"s( A ); Streuung", "_sigma"},
    {"µ( A ) +/- s( A ); Mittelwert +/- Streubereich", "_mean_cov_"},
    {"min( A ); Minimum", "_min"},
    {"max( A ); Maximum", "_max"},
    {"log10( A ); Logarithmus zur Basis 10", "_log10"},
    {"ln( A ); natürlicher Logarithmus", "_ln"},
    {"10^( A ); Potenz zur Basis 10", "_10^"},
    {"e^( A ); Potenz zur Basis e", "_e^"},
};


// The binary operation of op as a function object; the loops below are instantiated per op,
// so the compiler sees a plain expression in each.
template <class Visit>
bool WithOp(int op, double divShift, Visit visit)
{
    switch (op) {
    case kSum: visit([](double a, double b) { return a + b; }); return true;
    case kDiff: visit([](double a, double b) { return a - b; }); return true;
    case kMult: visit([](double a, double b) { return a * b; }); return true;
    case kDiv: visit([divShift](double a, double b) { return a / (b + divShift); }); return true;
    case kMin: visit([](double a, double b) { return a <= b ? a : b; }); return true;
    case kMax: visit([](double a, double b) { return a >= b ? a : b; }); return true;
    case kUnion: visit([](double a, double b) { return a == 0 ? b : a; }); return true;
    case kLess: visit([](double a, double b) { return a < b ? 0.0 : a; }); return true;
    default: return false;
    }
}

} // namespace

const char* EntryText(int op)
{
    return op >= 1 && op <= kOpCount ? kOps[op - 1].entry : "";
}

const char* Suffix(int op)
{
    return op >= 1 && op <= kOpCount ? kOps[op - 1].suffix : "";
}

double PairwiseDivShift(std::span<const double> b)
{
    double largest = 0;
    for (double v : b)
        largest = std::max(largest, std::fabs(v));
    return largest / 1000;
}

bool Combine(int op, std::span<const double> a, double b, double divShift, std::span<double> out)
{
    const std::size_t n = std::min(a.size(), out.size());
    return WithOp(op, divShift, [&](auto f) {
        const double* in = a.data();
        double* to = out.data();
        for (std::size_t j = 0; j < n; ++j)
            to[j] = f(in[j], b);
    });
}

bool Combine(int op, std::span<const double> a, std::span<const double> b, double divShift, std::span<double> out)
{
    const std::size_t n = std::min({a.size(), b.size(), out.size()});
    return WithOp(op, divShift, [&](auto f) {
        const double* x = a.data();
        const double* y = b.data();
        double* to = out.data();
        for (std::size_t j = 0; j < n; ++j)
            to[j] = f(x[j], y[j]);
    });
}

bool ProvenFinite(int op, double aLargest, double bLargest, double divisorSmallest)
{
    if (!std::isfinite(aLargest) || !std::isfinite(bLargest))
        return false;
    switch (op) {
    case kSum:
    case kDiff: return std::isfinite(aLargest + bLargest);
    case kMult: return std::isfinite(aLargest * bLargest);
    case kDiv: return divisorSmallest > 0 && std::isfinite(aLargest / divisorSmallest);
    default: return true; // the others give a, b or 0
    }
}

double LargestMagnitude(std::span<const double> v)
{
    double largest = 0;
    for (double x : v) {
        if (!std::isfinite(x))
            return std::numeric_limits<double>::infinity();
        largest = std::max(largest, std::fabs(x));
    }
    return largest;
}

double SmallestDivisor(std::span<const double> b, double divShift)
{
    double smallest = std::numeric_limits<double>::infinity();
    for (double x : b) {
        const double d = std::fabs(x + divShift);
        if (std::isnan(d))
            return 0;
        smallest = std::min(smallest, d);
    }
    return smallest;
}

bool CombineFinite(int op, std::span<const double> a, double b, double divShift)
{
    bool finite = true;
    WithOp(op, divShift, [&](auto f) {
        for (std::size_t j = 0; j < a.size() && finite; ++j)
            finite = std::isfinite(f(a[j], b));
    });
    return finite;
}

bool CombineFinite(int op, std::span<const double> a, std::span<const double> b, double divShift)
{
    bool finite = true;
    const std::size_t n = std::min(a.size(), b.size());
    WithOp(op, divShift, [&](auto f) {
        for (std::size_t j = 0; j < n && finite; ++j)
            finite = std::isfinite(f(a[j], b[j]));
    });
    return finite;
}

Statistics ComputeStatistics(std::span<const std::span<const double>> curves)
{
    Statistics s;
    if (curves.empty())
        return s;
    const std::size_t n = curves.front().size();
    s.mean.assign(n, 0.0);
    s.sigma.assign(n, 0.0);
    s.minimum.assign(curves.front().begin(), curves.front().end());
    s.maximum = s.minimum;
    for (std::span<const double> y : curves) {
        const std::size_t count = std::min(n, y.size());
        for (std::size_t j = 0; j < count; ++j) {
            const double v = y[j];
            s.mean[j] += v;
            s.minimum[j] = v < s.minimum[j] ? v : s.minimum[j];
            s.maximum[j] = v > s.maximum[j] ? v : s.maximum[j];
        }
    }
    const double m = static_cast<double>(curves.size());
    for (double& mean : s.mean)
        mean /= m;
    // The deviation from the squared distances to the mean: the sum of squares less the
    // squared mean cancels to noise for large values with a small spread, and can go negative.
    for (std::span<const double> y : curves) {
        const std::size_t count = std::min(n, y.size());
        for (std::size_t j = 0; j < count; ++j) {
            const double d = y[j] - s.mean[j];
            s.sigma[j] += d * d;
        }
    }
    for (double& sigma : s.sigma)
        sigma = std::sqrt(sigma / m);
    return s;
}

bool ApplyFunction(int op, double a, double& value)
{
    switch (op) {
    case kLog10:
    case kLn:
        if (!(a > 0))
            return false;
        value = op == kLog10 ? std::log10(a) : std::log(a);
        return true;
    case kPow10: value = std::pow(10.0, a); return std::isfinite(value);
    case kExp: value = std::exp(a); return std::isfinite(value);
    default: return false;
    }
}

COLORREF BandColour(COLORREF colour)
{
    const int c[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    const int g = (c[0] + c[1] + c[2]) / 3;
    int out[3];
    const bool equal = c[0] == c[1] && c[1] == c[2];
    for (int i = 0; i < 3; ++i) {
        if ((equal && g < 32) || g == 0) {
            // Dark grey, or too dark to scale (a mean of 0 with unequal channels): lifted.
            out[i] = c[i] + 64;
        } else {
            const int t = g > 191 ? g - 64 : g + 64;
            out[i] = static_cast<int>(static_cast<double>(c[i]) * t / g);
        }
        out[i] = std::min(out[i], 255);
    }
    return RGB(static_cast<std::uint8_t>(out[0]), static_cast<std::uint8_t>(out[1]), static_cast<std::uint8_t>(out[2]));
}

double NormalDeviates::Uniform()
{
    return static_cast<double>(m_generator()) / 2147483648.0 - 1.0;
}

double NormalDeviates::Next()
{
    if (m_hasKept) {
        m_hasKept = false;
        return m_kept;
    }
    double u, v, r2;
    do {
        u = Uniform();
        v = Uniform();
        r2 = u * u + v * v;
    } while (r2 >= 1 || r2 == 0);
    const double factor = std::sqrt(-2 * std::log(r2) / r2);
    m_kept = v * factor;
    m_hasKept = true;
    return u * factor;
}

double RandomConstant(double b, NormalDeviates& deviates)
{
    if (!std::isfinite(b))
        return b;
    const double sigma = 0.025 * std::fabs(b);
    const double low = std::min(0.9 * b, 1.1 * b);
    const double high = std::max(0.9 * b, 1.1 * b);
    // Four sigma each side: the loop ends after a few draws.
    for (;;) {
        const double drawn = deviates.Next() * sigma + b;
        if (drawn >= low && drawn <= high)
            return drawn;
    }
}

} // namespace point_arith
