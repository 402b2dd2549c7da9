// Element-wise mathematics: abs ... isinf, and the two-argument atan2, pow, mod, rem.
#include "formulux/ops.h"
#include "formulux/std_functions.h"

#include <cmath>

namespace formulux {

namespace {

template <double (*F)(double)>
CMCVariable unary(const Context& ctx, Args a)
{
    const CMCVariable& x = a[0];
    if (x.isScalar())
        return F(x.scalar());
    CMCVariable out = ctx.make(x.getRows(), x.getCols());
    double* o = out.mutableData();
    const double* p = x.data();
    for (std::size_t i = 0; i < x.numel(); ++i)
        o[i] = F(p[i]);
    return out;
}

// Two arguments with broadcasting, through a scratch operator of the element-wise machinery.
template <double (*F)(double, double)>
CMCVariable binaryFn(const Context& ctx, Args a)
{
    const CMCVariable& x = a[0];
    const CMCVariable& y = a[1];
    if (x.isScalar() && y.isScalar())
        return F(x.scalar(), y.scalar());
    // Broadcast the shapes with Add, then apply F pairwise on the expanded operands.
    const CMCVariable shape = elementwise(BinOp::Add, x, y, ctx);
    CMCVariable out = shape;
    const int r = out.getRows(), c = out.getCols();
    double* o = out.mutableData();
    for (int j = 0; j < c; ++j)
        for (int i = 0; i < r; ++i) {
            const double xv = x.getData(x.getRows() == 1 ? 0 : i, x.getCols() == 1 ? 0 : j);
            const double yv = y.getData(y.getRows() == 1 ? 0 : i, y.getCols() == 1 ? 0 : j);
            o[std::size_t(j) * r + i] = F(xv, yv);
        }
    return out;
}

double absF(double v) { return std::fabs(v); }
double signF(double v) { return v > 0 ? 1.0 : v < 0 ? -1.0 : v == 0 ? 0.0 : v; }
double sqrtF(double v) { return std::sqrt(v); }
double expF(double v) { return std::exp(v); }
double logF(double v) { return std::log(v); }
double log10F(double v) { return std::log10(v); }
double sinF(double v) { return std::sin(v); }
double cosF(double v) { return std::cos(v); }
double tanF(double v) { return std::tan(v); }
double asinF(double v) { return std::asin(v); }
double acosF(double v) { return std::acos(v); }
double atanF(double v) { return std::atan(v); }
double floorF(double v) { return std::floor(v); }
double ceilF(double v) { return std::ceil(v); }
double roundF(double v) { return std::round(v); }
double fixF(double v) { return std::trunc(v); }
double isnanF(double v) { return std::isnan(v); }
double isinfF(double v) { return std::isinf(v); }
double atan2F(double y, double x) { return std::atan2(y, x); }
double powF(double x, double y) { return std::pow(x, y); }
// mod: the sign of y; mod(x, 0) = x.
double modF(double x, double y)
{
    if (y == 0)
        return x;
    if (std::isinf(y))
        return std::isinf(x) ? std::nan("") : (x == 0 || (x > 0) == (y > 0) ? x : y);
    double r = std::fmod(x, y);
    if (r != 0 && ((r < 0) != (y < 0)))
        r += y;
    return r;
}
// rem: the sign of x; rem(x, 0) = x.
double remF(double x, double y) { return y == 0 ? x : std::isinf(y) && std::isfinite(x) ? x : std::fmod(x, y); }

constexpr StdFunction kTable[] = {
    {"abs", 1, 1, unary<absF>},       {"sign", 1, 1, unary<signF>},   {"sqrt", 1, 1, unary<sqrtF>},
    {"exp", 1, 1, unary<expF>},       {"log", 1, 1, unary<logF>},     {"log10", 1, 1, unary<log10F>},
    {"sin", 1, 1, unary<sinF>},       {"cos", 1, 1, unary<cosF>},     {"tan", 1, 1, unary<tanF>},
    {"asin", 1, 1, unary<asinF>},     {"acos", 1, 1, unary<acosF>},   {"atan", 1, 1, unary<atanF>},
    {"atan2", 2, 2, binaryFn<atan2F>}, {"pow", 2, 2, binaryFn<powF>}, {"floor", 1, 1, unary<floorF>},
    {"ceil", 1, 1, unary<ceilF>},     {"round", 1, 1, unary<roundF>}, {"fix", 1, 1, unary<fixF>},
    {"mod", 2, 2, binaryFn<modF>},    {"rem", 2, 2, binaryFn<remF>},  {"isnan", 1, 1, unary<isnanF>},
    {"isinf", 1, 1, unary<isinfF>},
};

} // namespace

std::span<const StdFunction> stdMathFunctions() { return kTable; }

} // namespace formulux
