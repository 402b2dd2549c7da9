// Shapes: size, rows, cols, length, numel, isempty, zeros, ones, eye, linspace, reshape, repmat.
#include "formulux/messages.h"
#include "formulux/std_functions.h"

#include <algorithm>

namespace formulux {

namespace {

CMCVariable fSize(const Context& ctx, Args a)
{
    const CMCVariable& x = a[0];
    if (a.size() == 2) {
        const int d = sizeArg(a[1]);
        if (d != 1 && d != 2)
            return 1.0;
        return double(d == 1 ? x.getRows() : x.getCols());
    }
    CMCVariable out(1, 2);
    out.setData(0, 0, x.getRows());
    out.setData(0, 1, x.getCols());
    return out;
}

CMCVariable fRows(const Context&, Args a) { return double(a[0].getRows()); }
CMCVariable fCols(const Context&, Args a) { return double(a[0].getCols()); }
CMCVariable fLength(const Context&, Args a)
{
    return a[0].isEmpty() ? 0.0 : double(std::max(a[0].getRows(), a[0].getCols()));
}
CMCVariable fNumel(const Context&, Args a) { return double(a[0].numel()); }
CMCVariable fIsEmpty(const Context&, Args a) { return double(a[0].isEmpty()); }

// zeros(n) is n x n, zeros(r, c) r x c.
std::pair<int, int> shapeArgs(Args a)
{
    const int r = sizeArg(a[0]);
    return {r, a.size() > 1 ? sizeArg(a[1]) : r};
}

CMCVariable filled(const Context& ctx, Args a, double v)
{
    const auto [r, c] = shapeArgs(a);
    CMCVariable out = ctx.make(r, c);
    if (v != 0.0)
        std::fill_n(out.mutableData(), out.numel(), v);
    return out;
}

CMCVariable fZeros(const Context& ctx, Args a) { return filled(ctx, a, 0.0); }
CMCVariable fOnes(const Context& ctx, Args a) { return filled(ctx, a, 1.0); }

CMCVariable fEye(const Context& ctx, Args a)
{
    const auto [r, c] = shapeArgs(a);
    CMCVariable out = ctx.make(r, c);
    for (int i = 0; i < std::min(r, c); ++i)
        out.setData(i, i, 1.0);
    return out;
}

// linspace(a, b, n = 100): n points, the last exactly b.
CMCVariable fLinspace(const Context& ctx, Args a)
{
    const double lo = scalarArg(a[0]), hi = scalarArg(a[1]);
    const int n = a.size() > 2 ? sizeArg(a[2]) : 100;
    if (n < 1)
        return CMCVariable(1, 0);
    CMCVariable out = ctx.make(1, n);
    double* o = out.mutableData();
    const double delta = n > 1 ? (hi - lo) / (n - 1) : 0.0;
    for (int k = 0; k < n; ++k)
        o[k] = lo + k * delta;
    o[n - 1] = hi;
    return out;
}

CMCVariable fReshape(const Context& ctx, Args a)
{
    const int r = sizeArg(a[1]), c = sizeArg(a[2]);
    if (double(r) * c != double(a[0].numel()))
        fail(msg::kReshape);
    CMCVariable out = ctx.make(r, c);
    std::copy_n(a[0].data(), a[0].numel(), out.mutableData());
    out.setText(a[0].isText());
    return out;
}

CMCVariable fRepmat(const Context& ctx, Args a)
{
    const CMCVariable& x = a[0];
    const int m = sizeArg(a[1]);
    const int n = a.size() > 2 ? sizeArg(a[2]) : m;
    const int xr = x.getRows(), xc = x.getCols();
    ctx.checkSize(double(xr) * m, double(xc) * n);
    CMCVariable out = ctx.makeRaw(xr * m, xc * n);
    const int rows = xr * m;
    double* o = out.mutableData();
    for (int bj = 0; bj < n; ++bj)
        for (int j = 0; j < xc; ++j)
            for (int bi = 0; bi < m; ++bi)
                std::copy_n(x.data() + std::size_t(j) * xr, xr, o + std::size_t(bj * xc + j) * rows + std::size_t(bi) * xr);
    out.setText(x.isText());
    return out;
}

constexpr StdFunction kTable[] = {
    {"size", 1, 2, fSize},       {"rows", 1, 1, fRows},   {"cols", 1, 1, fCols},
    {"length", 1, 1, fLength},   {"numel", 1, 1, fNumel}, {"isempty", 1, 1, fIsEmpty},
    {"zeros", 1, 2, fZeros},     {"ones", 1, 2, fOnes},   {"eye", 1, 2, fEye},
    {"linspace", 2, 3, fLinspace}, {"reshape", 3, 3, fReshape}, {"repmat", 2, 3, fRepmat},
};

} // namespace

std::span<const StdFunction> stdShapeFunctions() { return kTable; }

} // namespace formulux
