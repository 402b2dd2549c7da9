#include "formulux/ops.h"

#include "formulux/messages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace formulux {

double scalarOp(BinOp op, double a, double b)
{
    switch (op) {
    case BinOp::Add: return a + b;
    case BinOp::Sub: return a - b;
    case BinOp::Mul:
    case BinOp::EMul: return a * b;
    case BinOp::Div:
    case BinOp::EDiv: return a / b;
    case BinOp::LeftDiv: return b / a;
    case BinOp::Mod: return std::fmod(a, b);
    case BinOp::Pow:
    case BinOp::EPow: return std::pow(a, b);
    case BinOp::Eq: return a == b;
    case BinOp::Ne: return a != b;
    case BinOp::Lt: return a < b;
    case BinOp::Le: return a <= b;
    case BinOp::Gt: return a > b;
    case BinOp::Ge: return a >= b;
    case BinOp::Or:
    case BinOp::OrOr: return (a != 0) || (b != 0);
    case BinOp::And:
    case BinOp::AndAnd: return (a != 0) && (b != 0);
    default: return 0.0;
    }
}

namespace {

template <typename F>
void apply(const double* a, std::size_t as, const double* b, std::size_t bs, double* out, std::size_t n, F f)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = f(a[i * as], b[i * bs]);
}

template <typename F>
CMCVariable broadcast(const CMCVariable& a, const CMCVariable& b, const Context& ctx, F f)
{
    const int ar = a.getRows(), ac = a.getCols(), br = b.getRows(), bc = b.getCols();
    const bool rowsOk = ar == br || ar == 1 || br == 1;
    const bool colsOk = ac == bc || ac == 1 || bc == 1;
    if (!rowsOk || !colsOk)
        fail(msg::dimensions(ar, ac, br, bc));
    const int r = ar == 1 ? br : ar;
    const int c = ac == 1 ? bc : ac;
    CMCVariable out = ctx.make(r, c);
    double* o = out.mutableData();
    const double* pa = a.data();
    const double* pb = b.data();
    if (ar == r && ac == c && br == r && bc == c) {
        apply(pa, 1, pb, 1, o, out.numel(), f);
        return out;
    }
    if (a.isScalar() && br == r && bc == c) {
        apply(pa, 0, pb, 1, o, out.numel(), f);
        return out;
    }
    if (b.isScalar() && ar == r && ac == c) {
        apply(pa, 1, pb, 0, o, out.numel(), f);
        return out;
    }
    for (int j = 0; j < c; ++j)
        for (int i = 0; i < r; ++i)
            o[std::size_t(j) * r + i] = f(pa[std::size_t(ac == 1 ? 0 : j) * ar + (ar == 1 ? 0 : i)],
                                          pb[std::size_t(bc == 1 ? 0 : j) * br + (br == 1 ? 0 : i)]);
    return out;
}

} // namespace

CMCVariable elementwise(BinOp op, const CMCVariable& a, const CMCVariable& b, const Context& ctx)
{
    switch (op) {
    case BinOp::Add: return broadcast(a, b, ctx, [](double x, double y) { return x + y; });
    case BinOp::Sub: return broadcast(a, b, ctx, [](double x, double y) { return x - y; });
    case BinOp::EMul: return broadcast(a, b, ctx, [](double x, double y) { return x * y; });
    case BinOp::EDiv: return broadcast(a, b, ctx, [](double x, double y) { return x / y; });
    default: return broadcast(a, b, ctx, [op](double x, double y) { return scalarOp(op, x, y); });
    }
}

CMCVariable negate(const CMCVariable& a)
{
    if (a.isScalar())
        return -a.scalar();
    CMCVariable out(a.getRows(), a.getCols());
    double* o = out.mutableData();
    const double* p = a.data();
    for (std::size_t i = 0; i < a.numel(); ++i)
        o[i] = -p[i];
    return out;
}

CMCVariable logicalNot(const CMCVariable& a)
{
    CMCVariable out(a.getRows(), a.getCols());
    double* o = out.mutableData();
    const double* p = a.data();
    for (std::size_t i = 0; i < a.numel(); ++i)
        o[i] = p[i] == 0.0;
    return out;
}

CMCVariable transpose(const CMCVariable& a)
{
    if (a.isScalar())
        return a;
    CMCVariable out(a.getCols(), a.getRows());
    const int r = a.getRows(), c = a.getCols();
    const double* p = a.data();
    double* o = out.mutableData();
    for (int j = 0; j < c; ++j)
        for (int i = 0; i < r; ++i)
            o[std::size_t(i) * c + j] = p[std::size_t(j) * r + i];
    out.setText(a.isText());
    out.setType(a.getType());
    return out;
}

bool isTrue(const CMCVariable& v)
{
    if (v.isEmpty())
        return false;
    const double* p = v.data();
    for (std::size_t i = 0; i < v.numel(); ++i)
        if (p[i] == 0.0)
            return false;
    return true;
}

namespace {

// Truncation toward zero, then the low bits (wrap) or the nearest bound (clip).
template <typename T>
double integral(double v, bool clipping)
{
    if (std::isnan(v))
        return 0.0;
    constexpr double lo = double(std::numeric_limits<T>::min());
    constexpr double hi = double(std::numeric_limits<T>::max());
    if (clipping)
        return std::clamp(std::trunc(v), lo, hi);
    if (std::isinf(v))
        return 0.0;
    const double t = std::trunc(v);
    // The low bits of the integer: fmod by 2^bits is exact for doubles.
    constexpr double span = hi - lo + 1.0;
    double m = std::fmod(t, span);
    if (m < 0)
        m += span;
    if (m > hi)
        m -= span;
    return m;
}

} // namespace

double convertElement(double v, MCType type, bool clipping)
{
    switch (type) {
    case MCType::Double: return v;
    case MCType::Float:
        if (clipping && std::isfinite(v))
            return double(float(std::clamp(v, -double(std::numeric_limits<float>::max()),
                                           double(std::numeric_limits<float>::max()))));
        return double(float(v));
    case MCType::Int: return integral<std::int32_t>(v, clipping);
    case MCType::Short: return integral<std::int16_t>(v, clipping);
    case MCType::Byte: return integral<std::int8_t>(v, clipping);
    }
    return v;
}

void convertTo(CMCVariable& v, MCType type, bool clipping)
{
    if (type != MCType::Double) {
        if (v.isScalar()) {
            v.mutableData()[0] = convertElement(v.scalar(), type, clipping);
        } else {
            double* p = v.mutableData();
            for (std::size_t i = 0; i < v.numel(); ++i)
                p[i] = convertElement(p[i], type, clipping);
        }
    }
    v.setType(type);
}

CMCVariable range(double start, double step, double end, const Context& ctx)
{
    if (!std::isfinite(start) || !std::isfinite(step) || std::isnan(end) || step == 0.0
        || (step > 0 && start > end) || (step < 0 && start < end))
        return CMCVariable(1, 0);
    // Octave's count: floor((end - start) / step) with a tolerance of a few ulps.
    const double q = (end - start) / step;
    const double tol = 3.0 * std::numeric_limits<double>::epsilon() * std::max(std::fabs(start), std::fabs(end))
        / std::fabs(step);
    const double n = std::floor(q + std::max(tol, 3.0 * std::numeric_limits<double>::epsilon() * q)) + 1.0;
    ctx.checkSize(1, n);
    CMCVariable out = ctx.makeRaw(1, int(n));
    double* o = out.mutableData();
    for (int k = 0; k < int(n); ++k)
        o[k] = start + k * step;
    // The last element never passes the end.
    if (n >= 1 && ((step > 0 && o[int(n) - 1] > end) || (step < 0 && o[int(n) - 1] < end)))
        o[int(n) - 1] = end;
    return out;
}

CMCVariable concatenate(const std::vector<CMCVariable>& parts, const std::vector<int>& rowSizes, const Context& ctx)
{
    // Each row: its non-empty parts side by side (equal row counts).
    struct Row {
        int rows = 0;
        int cols = 0;
        std::vector<const CMCVariable*> items;
    };
    std::vector<Row> rows;
    bool text = false;
    std::size_t k = 0;
    for (const int count : rowSizes) {
        Row row;
        for (int i = 0; i < count; ++i, ++k) {
            const CMCVariable& p = parts[k];
            text = text || p.isText();
            if (p.isEmpty())
                continue;
            if (!row.items.empty() && p.getRows() != row.rows)
                fail(msg::dimensions(row.rows, row.cols, p.getRows(), p.getCols()));
            row.rows = p.getRows();
            if (double(row.cols) + p.getCols() > 2147483647.0)
                fail(msg::kTooLarge);
            row.cols += p.getCols();
            row.items.push_back(&p);
        }
        if (!row.items.empty())
            rows.push_back(std::move(row));
    }
    if (rows.empty()) {
        CMCVariable empty;
        empty.setText(text);
        return empty;
    }
    double total = 0;
    for (const Row& r : rows) {
        if (r.cols != rows[0].cols)
            fail(msg::dimensions(rows[0].rows, rows[0].cols, r.rows, r.cols));
        total += r.rows;
    }
    ctx.checkSize(total, rows[0].cols);
    CMCVariable out = ctx.makeRaw(int(total), rows[0].cols);
    const int outRows = int(total);
    double* o = out.mutableData();
    int r0 = 0;
    for (const Row& r : rows) {
        int c0 = 0;
        for (const CMCVariable* item : r.items) {
            const double* p = item->data();
            for (int j = 0; j < item->getCols(); ++j)
                std::copy(p + std::size_t(j) * r.rows, p + std::size_t(j + 1) * r.rows,
                          o + std::size_t(c0 + j) * outRows + r0);
            c0 += item->getCols();
        }
        r0 += r.rows;
    }
    out.setText(text);
    return out;
}

} // namespace formulux
