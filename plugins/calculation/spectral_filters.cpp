#include "calculation/spectral_filters.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace spectral_filter {

namespace {

const char* const kEntries[kFilterCount] = {
    "A; kopieren",
    "Mean( A ); Schwach glätten",
    "Mean2( A ); Stark (adaptiv) glätten",
    "Sobel( A ); Kanten erkennen",
    "Laplace( A ); Spots erkennen",
    "Median( A ); Impulsstörungen beseitigen",
    "Continuity( A ); Stufen-Unstetigkeiten beseitigen",
};

// A strict weak order with NaN after every number, so sorting never runs past the data.
bool NanLast(double a, double b)
{
    return !std::isnan(a) && (std::isnan(b) || a < b);
}

// The middle value of the window starting at from (window.size() values, odd), NaN after
// every number. Small windows by insertion sort, larger ones by selection.
double MiddleOf(const double* from, std::vector<double>& window)
{
    const std::size_t n = window.size();
    if (n <= 15) {
        double* w = window.data();
        for (std::size_t k = 0; k < n; ++k) {
            const double v = from[k];
            std::size_t j = k;
            for (; j > 0 && NanLast(v, w[j - 1]); --j)
                w[j] = w[j - 1];
            w[j] = v;
        }
        return w[n / 2];
    }
    std::copy(from, from + n, window.begin());
    std::nth_element(window.begin(), window.begin() + static_cast<std::ptrdiff_t>(n / 2), window.end(), NanLast);
    return window[n / 2];
}

double Median3(double a, double b, double c)
{
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// The middle of five values by seven compare-exchanges (numbers only).
double Median5(const double* from)
{
    double p0 = from[0], p1 = from[1], p2 = from[2], p3 = from[3], p4 = from[4];
    const auto order = [](double& a, double& b) {
        const double lo = std::min(a, b);
        b = std::max(a, b);
        a = lo;
    };
    order(p0, p1);
    order(p3, p4);
    order(p0, p3);
    order(p1, p4);
    order(p1, p2);
    order(p2, p3);
    order(p1, p2);
    return p2;
}

int Odd(int width)
{
    return width % 2 == 0 ? width + 1 : width;
}

int Size(std::span<const double> y)
{
    return static_cast<int>(y.size());
}

// out[i] = f(y[i-1], y[i], y[i+1]) for the inner points, the two ends extrapolated.
template <class F>
void ThreePoint(std::span<const double> y, std::span<double> out, F f)
{
    const int n = Size(y);
    for (int i = 1; i + 1 < n; ++i)
        out[i] = f(y[i - 1], y[i], y[i + 1]);
    ExtrapolateEnds(out, 1, 1);
}

} // namespace

const char* EntryText(int filter)
{
    return filter >= 0 && filter < kFilterCount ? kEntries[filter] : "";
}

const char* GroupWord(int filter, bool adaptive)
{
    switch (filter) {
    case kCopy: return "Copy";
    case kBox3: return "Mean_Box3";
    case kMean2: return adaptive ? "Mean_adapt" : "Mean_WBinom";
    case kSobel: return "Sobel";
    case kLaplace: return "Laplace";
    case kMedian: return "Median";
    case kContinuity: return "AMI";
    default: return "";
    }
}

void ExtrapolateEnds(std::span<double> out, int lead, int tail)
{
    const int n = static_cast<int>(out.size());
    const int inner = n - lead - tail;
    if (inner <= 0)
        return;
    if (inner == 1) {
        std::fill(out.begin(), out.begin() + lead, out[lead]);
        std::fill(out.end() - tail, out.end(), out[lead]);
        return;
    }
    for (int k = lead - 1; k >= 0; --k)
        out[k] = 2 * out[k + 1] - out[k + 2];
    for (int k = n - tail; k < n; ++k)
        out[k] = 2 * out[k - 1] - out[k - 2];
}

double Copy(std::span<const double> y, std::span<double> out)
{
    std::copy(y.begin(), y.end(), out.begin());
    return 1;
}

double Box3(std::span<const double> y, std::span<double> out)
{
    // The sums divided by 3 in the same pass (the division is the cost); the ends come from
    // the undivided sums, as extrapolating before dividing does.
    const int n = Size(y);
    const double* p = y.data();
    for (int i = 1; i + 1 < n; ++i)
        out[i] = (p[i - 1] + p[i] + p[i + 1]) / 3;
    if (n >= 4) {
        out[0] = (2 * (p[0] + p[1] + p[2]) - (p[1] + p[2] + p[3])) / 3;
        out[n - 1] = (2 * (p[n - 3] + p[n - 2] + p[n - 1]) - (p[n - 4] + p[n - 3] + p[n - 2])) / 3;
    } else {
        ExtrapolateEnds(out, 1, 1);
    }
    return 1;
}

double Sobel(std::span<const double> y, std::span<double> out)
{
    ThreePoint(y, out, [](double a, double, double c) { return c - a; });
    return 2;
}

double Laplace(std::span<const double> y, std::span<double> out)
{
    ThreePoint(y, out, [](double a, double b, double c) { return a - 2 * b + c; });
    return 4;
}

double AdaptiveMean(std::span<const double> y, int width, std::span<double> out)
{
    const int n = Size(y);
    const int h = (Odd(width) - 1) / 2;
    // The span of the inner values, each search starting at the first of them.
    double largest = n > 2 ? y[1] : 0, smallest = largest;
    for (int l = 1; l + 1 < n; ++l) {
        largest = y[l] > largest ? y[l] : largest;
        smallest = y[l] < smallest ? y[l] : smallest;
    }
    const double r = largest - smallest;
    for (int i = 0; i < n; ++i) {
        double sum = 0, weights = 0;
        const int from = std::max(0, i - h), to = std::min(n - 1, i + h);
        for (int j = from; j <= to; ++j) {
            const double w = r - std::fabs(y[j] - y[i]);
            if (w >= 0) {
                sum += w * y[j];
                weights += w;
            }
        }
        // A flat window weighs nothing: the point keeps its value.
        out[i] = weights != 0 ? sum / weights : y[i];
    }
    return 1;
}

int BinomialPasses(int steps)
{
    return std::clamp(steps, 1, 3) + 1;
}

double Binomial(std::span<const double> y, int steps, std::span<double> out)
{
    const int n = Size(y);
    const int passes = BinomialPasses(steps);
    std::vector<double> v(y.begin(), y.end());
    double d = 1;
    for (int pass = 0, t = 1; pass < passes; ++pass, t *= 2) {
        if (pass > 0)
            std::copy(out.begin(), out.end(), v.begin());
        const double* p = v.data();
        for (int l = 2 * t; l < n - 2 * t; ++l)
            out[l] = p[l - 2 * t] + 4 * p[l - t] + 6 * p[l] + 4 * p[l + t] + p[l + 2 * t];
        ExtrapolateEnds(out, 2 * t, 2 * t);
        d *= 16;
    }
    return d;
}

double Median(std::span<const double> y, int width, bool outlierOnly, double threshold, std::span<double> out)
{
    const int n = Size(y);
    const int e = (Odd(width) - 1) / 2;
    std::vector<double> window(static_cast<std::size_t>(2 * e + 1));
    // Without neighbours (width 1) the outlier test sees the inner points only; the ends keep
    // their values.
    const int from = outlierOnly ? std::max(e, 1) : e;
    const int to = outlierOnly ? std::min(n - 1 - e, n - 2) : n - 1 - e;
    std::copy(y.begin(), y.end(), out.begin());
    const bool anyNaN = std::any_of(y.begin(), y.end(), [](double v) { return std::isnan(v); });
    if (!outlierOnly && !anyNaN && (e == 1 || e == 2)) {
        // Without NaN a fixed network of minima and maxima gives the same middle value.
        const double* p = y.data();
        for (int i = from; i <= to; ++i)
            out[i] = e == 1 ? Median3(p[i - 1], p[i], p[i + 1]) : Median5(p + i - 2);
    } else {
        for (int i = from; i <= to; ++i) {
            if (outlierOnly && !(0.25 * std::fabs(y[i - 1] - 2 * y[i] + y[i + 1]) > threshold))
                continue;
            out[i] = MiddleOf(y.data() + (i - e), window);
        }
    }
    ExtrapolateEnds(out, e, e);
    return 1;
}

double Continuity(std::span<const double> y, int steps, double threshold, int margin, std::span<const int> stepList,
                  std::span<double> out)
{
    const int n = Size(y);
    const auto inside = [&](int l) { return margin < l && l < n - margin; };
    std::vector<double> values(y.begin(), y.end()), L(static_cast<std::size_t>(n)), D(static_cast<std::size_t>(n), 0.0);

    // m may start at 0 (it is added and taken off again); n starts at the first inner value.
    double m = 0, low = 0;
    bool anyInner = false;
    for (int l = 1; l + 1 < n; ++l) {
        if (!inside(l))
            continue;
        m = values[l] > m ? values[l] : m;
        low = !anyInner || values[l] < low ? values[l] : low;
        anyInner = true;
    }
    for (int l = 1; l + 1 < n; ++l)
        L[l] = 0.25 * (values[l - 1] - 2 * values[l] + values[l + 1]);
    ExtrapolateEnds(L, 1, 1);

    for (double& v : values)
        v += m;

    double dMax = 0, dMin = 0;
    bool anyD = false;
    for (int l = 0; l + 1 < n; ++l) {
        D[l] = std::fabs(L[l + 1] - L[l]);
        if (!inside(l))
            continue;
        dMax = D[l] > dMax ? D[l] : dMax;
        dMin = !anyD || D[l] < dMin ? D[l] : dMin;
        anyD = true;
    }

    std::copy(values.begin(), values.end(), out.begin());
    int left = anyInner && anyD ? steps : 0; // no inner points: no step
    double c = 0;
    bool negative = false;
    const double limit = (dMax - dMin) * threshold;
    for (int l = 0; l + 1 < n; ++l) {
        const bool listed =
            stepList.empty() || std::find(stepList.begin(), stepList.end(), l) != stepList.end();
        if (D[l] > limit && left > 0 && listed) {
            --left;
            c += values[l] - values[l + 1];
        } else {
            if (!negative && c != 0 && c + out[l] - m < 0)
                negative = true;
            out[l] += c;
        }
    }
    if (n >= 3)
        out[n - 1] = 2 * out[n - 2] - out[n - 3];

    if (negative) {
        // Lifted so that the smallest value after the margin lands on the smallest inner input.
        double g = 0;
        bool first = true;
        for (int k = margin + 1; k < n; ++k) {
            g = first || out[k] < g ? out[k] : g;
            first = false;
        }
        for (double& v : out)
            v = low + (v - g);
    } else {
        for (double& v : out)
            v -= m;
    }
    return 1;
}

std::vector<int> StepList(std::span<const std::span<const double>> curves, int steps)
{
    std::vector<int> list;
    if (curves.empty())
        return list;
    const int n = Size(curves.front());
    std::vector<double> P(static_cast<std::size_t>(n), 1.0), q(static_cast<std::size_t>(n));
    for (std::span<const double> y : curves) {
        if (Size(y) != n)
            continue;
        Laplace(y, q);
        for (int i = 0; i < n; ++i)
            P[i] += std::fabs(q[i]);
    }
    std::vector<double> sorted = P;
    // Descending, NaN last.
    std::sort(sorted.begin(), sorted.end(),
              [](double a, double b) { return !std::isnan(a) && (std::isnan(b) || a > b); });
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const int take = std::min(std::max(steps, 0), static_cast<int>(sorted.size()));
    for (int k = 0; k < take; ++k)
        for (int b = 1; b < n; ++b)
            if (P[b] == sorted[k])
                list.push_back(b - 1);
    return list;
}

int MinimumPoints(int filter, bool adaptive, int steps)
{
    switch (filter) {
    case kBox3:
    case kSobel:
    case kLaplace:
    case kContinuity: return 3;
    case kMean2: return adaptive ? 1 : 4 * (1 << (BinomialPasses(steps) - 1)) + 2;
    case kMedian: return Odd(std::min(steps, 1 << 20)) + 1;
    default: return 1;
    }
}

int Margin(double minX, double maxX, double x0, double x1)
{
    const double margin = (maxX - minX) * 0.05 / (x1 - x0);
    if (!std::isfinite(margin) || margin >= static_cast<double>(INT_MAX) || margin <= static_cast<double>(INT_MIN))
        return 0;
    return static_cast<int>(margin);
}

void Finish(std::span<double> out, double d, bool keepSign)
{
    // A power of two divides exactly as a product with its reciprocal, which is much faster.
    int exponent = 0;
    const bool powerOfTwo = std::frexp(d, &exponent) == 0.5;
    if (d != 1 && powerOfTwo) {
        const double factor = 1 / d;
        for (double& v : out)
            v *= factor;
    } else if (d != 1) {
        for (double& v : out)
            v /= d;
    }
    if (!keepSign)
        for (double& v : out)
            v = std::fabs(v);
}

bool Apply(const Settings& s, std::span<const double> y, std::span<const int> stepList, std::span<double> out)
{
    double d;
    switch (s.filter) {
    case kCopy: d = Copy(y, out); break;
    case kBox3: d = Box3(y, out); break;
    case kMean2: d = s.adaptive ? AdaptiveMean(y, s.steps, out) : Binomial(y, s.steps, out); break;
    case kSobel: d = Sobel(y, out); break;
    case kLaplace: d = Laplace(y, out); break;
    case kMedian: d = Median(y, s.steps, s.adaptive, s.threshold, out); break;
    case kContinuity: d = Continuity(y, s.steps, s.threshold, s.margin, stepList, out); break;
    default: return false;
    }
    Finish(out, d, s.keepSign);
    return true;
}

} // namespace spectral_filter
