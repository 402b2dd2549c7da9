// Linear algebra functions: inv, det, trace, norm.
#include "formulux/linalg.h"
#include "formulux/messages.h"
#include "formulux/std_functions.h"

namespace formulux {

namespace {

CMCVariable fInv(const Context& ctx, Args a)
{
    if (a[0].isScalar())
        return 1.0 / a[0].scalar();
    return inverse(a[0], ctx);
}

CMCVariable fDet(const Context&, Args a) { return determinant(a[0]); }

CMCVariable fTrace(const Context&, Args a)
{
    const CMCVariable& x = a[0];
    if (x.getRows() != x.getCols())
        fail(msg::kNotSquare);
    double t = 0;
    for (int i = 0; i < x.getRows(); ++i)
        t += x.getData(i, i);
    return t;
}

CMCVariable fNorm(const Context&, Args a) { return norm(a[0], a.size() > 1 ? scalarArg(a[1]) : 2.0); }

constexpr StdFunction kTable[] = {
    {"inv", 1, 1, fInv}, {"det", 1, 1, fDet}, {"trace", 1, 1, fTrace}, {"norm", 1, 2, fNorm},
};

} // namespace

std::span<const StdFunction> stdLinalgFunctions() { return kTable; }

} // namespace formulux
