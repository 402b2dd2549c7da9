// Functions over columns, as a matrix-language user expects: a row vector is taken as one
// column; a matrix column by column. sum, prod, mean, cumsum, max, min, any, all, sort, find.
#include "formulux/messages.h"
#include "formulux/ops.h"
#include "formulux/std_functions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace formulux {

namespace {

// One value per column (a row vector: one value): f(first, count, stride).
template <typename F>
CMCVariable reduce(const Context& ctx, const CMCVariable& x, F f)
{
    const int r = x.getRows(), c = x.getCols();
    if (r == 1 || (r == 0 && c == 0))
        return f(x.data(), std::size_t(c) * std::size_t(r == 1), std::size_t(1));
    CMCVariable out = ctx.make(1, c);
    double* o = out.mutableData();
    for (int j = 0; j < c; ++j)
        o[j] = f(x.data() + std::size_t(j) * r, std::size_t(r), std::size_t(1));
    return out;
}

CMCVariable fSum(const Context& ctx, Args a)
{
    return reduce(ctx, a[0], [](const double* p, std::size_t n, std::size_t s) {
        double t = 0;
        for (std::size_t i = 0; i < n; ++i)
            t += p[i * s];
        return t;
    });
}

CMCVariable fProd(const Context& ctx, Args a)
{
    return reduce(ctx, a[0], [](const double* p, std::size_t n, std::size_t s) {
        double t = 1;
        for (std::size_t i = 0; i < n; ++i)
            t *= p[i * s];
        return t;
    });
}

CMCVariable fMean(const Context& ctx, Args a)
{
    return reduce(ctx, a[0], [](const double* p, std::size_t n, std::size_t s) {
        double t = 0;
        for (std::size_t i = 0; i < n; ++i)
            t += p[i * s];
        return n ? t / double(n) : std::numeric_limits<double>::quiet_NaN();
    });
}

CMCVariable fAny(const Context& ctx, Args a)
{
    return reduce(ctx, a[0], [](const double* p, std::size_t n, std::size_t s) {
        for (std::size_t i = 0; i < n; ++i)
            if (p[i * s] != 0 && !std::isnan(p[i * s]))
                return 1.0;
        return 0.0;
    });
}

CMCVariable fAll(const Context& ctx, Args a)
{
    return reduce(ctx, a[0], [](const double* p, std::size_t n, std::size_t s) {
        for (std::size_t i = 0; i < n; ++i)
            if (p[i * s] == 0)
                return 0.0;
        return 1.0;
    });
}

// The extreme value ignoring NaN (NaN only when all are NaN).
template <bool Max>
double extreme(double a, double b)
{
    if (std::isnan(a))
        return b;
    if (std::isnan(b))
        return a;
    return Max ? std::max(a, b) : std::min(a, b);
}

template <bool Max>
CMCVariable fExtreme(const Context& ctx, Args a)
{
    if (a.size() == 2) {
        const CMCVariable& x = a[0];
        const CMCVariable& y = a[1];
        CMCVariable out = elementwise(BinOp::Add, x, y, ctx);
        const int r = out.getRows(), c = out.getCols();
        double* o = out.mutableData();
        for (int j = 0; j < c; ++j)
            for (int i = 0; i < r; ++i)
                o[std::size_t(j) * r + i] = extreme<Max>(x.getData(x.getRows() == 1 ? 0 : i, x.getCols() == 1 ? 0 : j),
                                                         y.getData(y.getRows() == 1 ? 0 : i, y.getCols() == 1 ? 0 : j));
        return out;
    }
    if (a[0].isEmpty())
        return CMCVariable();
    return reduce(ctx, a[0], [](const double* p, std::size_t n, std::size_t s) {
        double t = std::numeric_limits<double>::quiet_NaN();
        for (std::size_t i = 0; i < n; ++i)
            t = extreme<Max>(t, p[i * s]);
        return t;
    });
}

// Along each column (a row vector: along the row), same shape.
template <typename F>
CMCVariable alongColumns(const Context& ctx, const CMCVariable& x, F f)
{
    CMCVariable out = ctx.make(x.getRows(), x.getCols());
    std::copy_n(x.data(), x.numel(), out.mutableData());
    if (out.isEmpty())
        return out;
    double* o = out.mutableData();
    if (x.getRows() == 1) {
        f(o, std::size_t(x.getCols()));
    } else {
        for (int j = 0; j < x.getCols(); ++j)
            f(o + std::size_t(j) * x.getRows(), std::size_t(x.getRows()));
    }
    return out;
}

CMCVariable fCumsum(const Context& ctx, Args a)
{
    return alongColumns(ctx, a[0], [](double* p, std::size_t n) {
        for (std::size_t i = 1; i < n; ++i)
            p[i] += p[i - 1];
    });
}

// Ascending, NaN last.
CMCVariable fSort(const Context& ctx, Args a)
{
    return alongColumns(ctx, a[0], [](double* p, std::size_t n) {
        std::stable_sort(p, p + n, [](double x, double y) { return !std::isnan(x) && (std::isnan(y) || x < y); });
    });
}

// 0-based positions (column by column) of the non-zero elements: a row for a row vector,
// else a column.
CMCVariable fFind(const Context& ctx, Args a)
{
    const CMCVariable& x = a[0];
    std::vector<double> found;
    for (std::size_t i = 0; i < x.numel(); ++i)
        if (x.data()[i] != 0)
            found.push_back(double(i));
    const int n = int(found.size());
    CMCVariable out = x.getRows() == 1 ? ctx.make(1, n) : ctx.make(n, x.isEmpty() && n == 0 ? 0 : 1);
    if (x.getRows() == 0 && x.getCols() == 0)
        out = CMCVariable();
    std::copy(found.begin(), found.end(), out.mutableData());
    return out;
}

constexpr StdFunction kTable[] = {
    {"sum", 1, 1, fSum},   {"prod", 1, 1, fProd},           {"mean", 1, 1, fMean},
    {"cumsum", 1, 1, fCumsum}, {"max", 1, 2, fExtreme<true>}, {"min", 1, 2, fExtreme<false>},
    {"any", 1, 1, fAny},   {"all", 1, 1, fAll},             {"sort", 1, 1, fSort},
    {"find", 1, 1, fFind},
};

} // namespace

std::span<const StdFunction> stdColumnFunctions() { return kTable; }

} // namespace formulux
