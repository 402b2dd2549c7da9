#include "formulux/linalg.h"

#include "formulux/messages.h"
#include "formulux/ops.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>

namespace formulux {

namespace {

using Map = Eigen::Map<Eigen::MatrixXd>;
using ConstMap = Eigen::Map<const Eigen::MatrixXd>;

ConstMap view(const CMCVariable& v) { return ConstMap(v.data(), v.getRows(), v.getCols()); }
Map view(CMCVariable& v) { return Map(v.mutableData(), v.getRows(), v.getCols()); }

void requireSquare(const CMCVariable& a)
{
    if (a.getRows() != a.getCols())
        fail(msg::kNotSquare);
}

// Multiply-adds a factorisation (LU, QR, SVD) may take in one piece, which no poll can
// interrupt: about a second or two on a desktop processor (LU of 2466 x 2466).
constexpr double kMaxFactorWork = 1e10;
// Multiply-adds of one block of a product or a solve, between two polls.
constexpr double kBlockWork = 1 << 27;

// Refuses a factorisation of so much work before anything is allocated.
void requireFeasible(double work)
{
    if (work > kMaxFactorWork)
        fail(msg::kTooSlow);
}

double luWork(const CMCVariable& a) { return 2.0 / 3.0 * double(a.getRows()) * a.getRows() * a.getRows(); }

// Columns per block when each column costs columnWork multiply-adds.
Eigen::Index blockColumns(double columnWork)
{
    return Eigen::Index(std::max(1.0, std::floor(kBlockWork / std::max(columnWork, 1.0))));
}

// out = lhs * rhs, or out = lu.solve(rhs), a block of columns at a time, asking for the
// abort between blocks.
template <class Apply>
void inColumnBlocks(Map out, ConstMap rhs, double columnWork, const Context& ctx, Apply apply)
{
    const Eigen::Index step = blockColumns(columnWork);
    for (Eigen::Index j = 0; j < rhs.cols(); j += step) {
        const Eigen::Index w = std::min(step, rhs.cols() - j);
        apply(out.middleCols(j, w), rhs.middleCols(j, w));
        if (j + w < rhs.cols() && ctx.checkAbort)
            ctx.checkAbort();
    }
}

// Solves a x = b for a square a by LU with partial pivoting; a singular (rcond < eps) a fails.
CMCVariable solveSquare(const CMCVariable& a, const CMCVariable& b, const Context& ctx)
{
    if (a.isEmpty())
        return ctx.make(a.getCols(), b.getCols());
    requireFeasible(luWork(a));
    // The factors go into a scratch copy of a (in place), which returns to the pool.
    CMCVariable work = ctx.makeRaw(a.getRows(), a.getCols());
    std::copy_n(a.data(), a.numel(), work.mutableData());
    Map factors = view(work);
    const Eigen::PartialPivLU<Eigen::Ref<Eigen::MatrixXd>> lu(factors);
    const double rc = lu.rcond();
    if (!(rc >= std::numeric_limits<double>::epsilon())) {
        ctx.release(work);
        fail(msg::kSingular);
    }
    CMCVariable x = ctx.makeRaw(a.getCols(), b.getCols());
    if (!x.isEmpty()) {
        const double n = a.getRows();
        inColumnBlocks(view(x), view(b), n * n, ctx, [&](auto out, auto rhs) { out.noalias() = lu.solve(rhs); });
    }
    ctx.release(work);
    return x;
}

} // namespace

CMCVariable matrixProduct(const CMCVariable& a, const CMCVariable& b, const Context& ctx)
{
    if (a.isScalar() || b.isScalar())
        return elementwise(BinOp::EMul, a, b, ctx);
    if (a.getCols() != b.getRows())
        fail(msg::dimensions(a.getRows(), a.getCols(), b.getRows(), b.getCols()));
    if (a.getCols() == 0)
        return ctx.make(a.getRows(), b.getCols()); // zeros
    CMCVariable out = ctx.makeRaw(a.getRows(), b.getCols());
    if (out.isEmpty())
        return out;
    const ConstMap lhs = view(a);
    inColumnBlocks(view(out), view(b), double(a.getRows()) * a.getCols(), ctx,
                   [&](auto block, auto rhs) { block.noalias() = lhs * rhs; });
    return out;
}

CMCVariable leftDivide(const CMCVariable& a, const CMCVariable& b, const Context& ctx)
{
    if (a.isScalar())
        return elementwise(BinOp::EDiv, b, a, ctx);
    if (a.getRows() != b.getRows())
        fail(msg::dimensions(a.getRows(), a.getCols(), b.getRows(), b.getCols()));
    if (a.getRows() == a.getCols())
        return solveSquare(a, b, ctx);
    requireFeasible(2.0 * a.getRows() * a.getCols() * std::min(a.getRows(), a.getCols()));
    CMCVariable x = ctx.make(a.getCols(), b.getCols());
    if (a.isEmpty() || x.isEmpty())
        return x;
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(view(a));
    view(x) = qr.solve(view(b));
    return x;
}

CMCVariable rightDivide(const CMCVariable& a, const CMCVariable& b, const Context& ctx)
{
    if (b.isScalar())
        return elementwise(BinOp::EDiv, a, b, ctx);
    if (a.getCols() != b.getCols())
        fail(msg::dimensions(a.getRows(), a.getCols(), b.getRows(), b.getCols()));
    return transpose(leftDivide(transpose(b), transpose(a), ctx));
}

CMCVariable inverse(const CMCVariable& a, const Context& ctx)
{
    requireSquare(a);
    if (!a.isEmpty())
        requireFeasible(luWork(a));
    const int n = a.getRows();
    CMCVariable id = ctx.make(n, n);
    for (int i = 0; i < n; ++i)
        id.setData(i, i, 1.0);
    return solveSquare(a, id, ctx);
}

double determinant(const CMCVariable& a)
{
    requireSquare(a);
    if (a.isEmpty())
        return 1.0;
    requireFeasible(luWork(a));
    return Eigen::PartialPivLU<Eigen::MatrixXd>(view(a)).determinant();
}

CMCVariable matrixPower(const CMCVariable& a, const CMCVariable& b, const Context& ctx)
{
    if (a.isScalar() && b.isScalar())
        return std::pow(a.scalar(), b.scalar());
    if (!b.isScalar() || std::trunc(b.scalar()) != b.scalar() || std::fabs(b.scalar()) > 1e9)
        fail(msg::kPowerArgs);
    requireSquare(a);
    long long e = static_cast<long long>(b.scalar());
    CMCVariable base = e < 0 ? inverse(a, ctx) : a;
    e = e < 0 ? -e : e;
    const int n = a.getRows();
    CMCVariable result = ctx.make(n, n);
    for (int i = 0; i < n; ++i)
        result.setData(i, i, 1.0);
    while (e > 0) {
        if (e & 1)
            result = matrixProduct(result, base, ctx);
        e >>= 1;
        if (e > 0)
            base = matrixProduct(base, base, ctx);
    }
    return result;
}

double norm(const CMCVariable& a, double p)
{
    if (a.isEmpty())
        return 0.0;
    const ConstMap m = view(a);
    const bool vector = a.getRows() == 1 || a.getCols() == 1;
    if (vector) {
        if (p == 2)
            return m.norm();
        if (p == 1)
            return m.cwiseAbs().sum();
        if (std::isinf(p) && p > 0)
            return m.cwiseAbs().maxCoeff();
        double s = 0;
        for (Eigen::Index i = 0; i < m.size(); ++i)
            s += std::pow(std::fabs(m.data()[i]), p);
        return std::pow(s, 1.0 / p);
    }
    if (p == 1)
        return m.cwiseAbs().colwise().sum().maxCoeff();
    if (std::isinf(p) && p > 0)
        return m.cwiseAbs().rowwise().sum().maxCoeff();
    if (p != 2)
        fail(msg::kScalarArg);
    if (!m.allFinite())
        return std::numeric_limits<double>::quiet_NaN();
    // One-sided Jacobi sweeps: many passes over the matrix.
    requireFeasible(30.0 * a.getRows() * a.getCols() * std::min(a.getRows(), a.getCols()));
    return Eigen::JacobiSVD<Eigen::MatrixXd>(m).singularValues()(0);
}

} // namespace formulux
