#include "engine/ls_matrix.h"

#include "platform/random.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

static_assert(sizeof(int) == 4, "the header holds two 32-bit ints");

namespace {

constexpr std::size_t kHeaderBytes = 2 * sizeof(int);

char* BlockOf(LSMatrix m)
{
    return reinterpret_cast<char*>(m) - kHeaderBytes;
}

const int* HeaderOf(LSMatrix m)
{
    return reinterpret_cast<const int*>(BlockOf(m));
}

std::size_t Count(LSMatrix m)
{
    return static_cast<std::size_t>(MatRows(m)) * static_cast<std::size_t>(MatCols(m));
}

bool IsVector(LSMatrix m)
{
    return m && (MatRows(m) == 1 || MatCols(m) == 1);
}

// dst[i] = op(src[i]) over dst's elements; src has dst's column count and at least its rows.
template <class Op>
void MapInto(LSMatrix dst, LSMatrix src, Op op)
{
    if (!dst || !src || MatCols(src) != MatCols(dst) || MatRows(src) < MatRows(dst))
        return;
    const std::size_t n = Count(dst);
    for (std::size_t i = 0; i < n; ++i)
        dst[i] = op(src[i]);
}

// dst[i] = op(a[i], b[i]) over dst's elements. Reading a[i] and b[i] before writing dst[i]
// makes dst == a and dst == b both safe.
template <class Op>
void ZipInto(LSMatrix dst, LSMatrix a, LSMatrix b, Op op)
{
    if (!dst || !a || !b)
        return;
    const int cols = MatCols(dst);
    const int rows = MatRows(dst);
    if (MatCols(a) != cols || MatCols(b) != cols || MatRows(a) < rows || MatRows(b) < rows)
        return;
    const std::size_t n = Count(dst);
    for (std::size_t i = 0; i < n; ++i)
        dst[i] = op(a[i], b[i]);
}

void ForEachDiagonal(LSMatrix m, double x, bool scale)
{
    if (!m)
        return;
    const int cols = MatCols(m);
    const int n = std::min(MatRows(m), cols);
    for (int i = 0; i < n; ++i) {
        double& d = m[static_cast<std::size_t>(i) * cols + i];
        d = scale ? d * x : d + x;
    }
}

} // namespace

LSMatrix MatAlloc(int rows, int cols)
{
    if (rows < 0 || cols < 0)
        return nullptr;
    const std::uint64_t count = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(cols);
    if (count > (SIZE_MAX - kHeaderBytes) / sizeof(double))
        return nullptr;
    void* block = std::malloc(kHeaderBytes + static_cast<std::size_t>(count) * sizeof(double));
    if (!block)
        return nullptr;
    int* header = static_cast<int*>(block);
    header[0] = rows;
    header[1] = cols;
    return reinterpret_cast<LSMatrix>(static_cast<char*>(block) + kHeaderBytes);
}

void MatFree(LSMatrix m)
{
    if (m)
        std::free(BlockOf(m));
}

int MatRows(LSMatrix m)
{
    return m ? HeaderOf(m)[0] : 0;
}

int MatCols(LSMatrix m)
{
    return m ? HeaderOf(m)[1] : 0;
}

void MatZero(LSMatrix m)
{
    MatFill(m, 0.0);
}

void MatFill(LSMatrix m, double value)
{
    if (m)
        std::fill_n(m, Count(m), value);
}

void MatIdentity(LSMatrix m)
{
    MatZero(m);
    ForEachDiagonal(m, 1.0, false);
}

void MatCopy(LSMatrix dst, LSMatrix src)
{
    MapInto(dst, src, [](double v) { return v; });
}

void MatPrint(LSMatrix m)
{
    if (!m)
        return;
    const int rows = MatRows(m);
    const int cols = MatCols(m);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j)
            std::printf("%10.3f", m[static_cast<std::size_t>(i) * cols + j]);
        std::printf("\n");
    }
}

void MatRandomFill(LSMatrix m, double lo, double hi)
{
    if (!m)
        return;
    const std::size_t n = Count(m);
    for (std::size_t i = 0; i < n; ++i)
        m[i] = lo + (hi - lo) * (platform::Rand() / static_cast<double>(platform::kRandMax));
}

void MatAdd(LSMatrix dst, LSMatrix a, LSMatrix b)
{
    ZipInto(dst, a, b, [](double x, double y) { return x + y; });
}

void MatSub(LSMatrix dst, LSMatrix a, LSMatrix b)
{
    ZipInto(dst, a, b, [](double x, double y) { return x - y; });
}

void MatMulElementwise(LSMatrix dst, LSMatrix a, LSMatrix b)
{
    ZipInto(dst, a, b, [](double x, double y) { return x * y; });
}

void MatScale(LSMatrix dst, LSMatrix src, double x)
{
    MapInto(dst, src, [x](double v) { return v * x; });
}

void MatAddScalar(LSMatrix dst, LSMatrix src, double x)
{
    MapInto(dst, src, [x](double v) { return v + x; });
}

void MatTranspose(LSMatrix dst, LSMatrix src)
{
    if (!dst || !src || dst == src || MatRows(dst) != MatCols(src) || MatCols(dst) != MatRows(src))
        return;
    const int rows = MatRows(src);
    const int cols = MatCols(src);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j)
            dst[static_cast<std::size_t>(j) * rows + i] = src[static_cast<std::size_t>(i) * cols + j];
}

namespace {

// dst(i, j) = sum over k ascending of a(i, k)*b(k, j), where a(i, k) is read at
// a[i*rowStep + k*innerStep], so one loop serves a and its transpose.
void Product(LSMatrix dst, LSMatrix a, std::size_t rowStep, std::size_t innerStep, LSMatrix b, int inner)
{
    const int rows = MatRows(dst);
    const std::size_t cols = static_cast<std::size_t>(MatCols(dst));
    for (int i = 0; i < rows; ++i)
        for (std::size_t j = 0; j < cols; ++j) {
            double sum = 0.0;
            for (int k = 0; k < inner; ++k)
                sum += a[i * rowStep + k * innerStep] * b[k * cols + j];
            dst[i * cols + j] = sum;
        }
}

} // namespace

void MatMul(LSMatrix dst, LSMatrix a, LSMatrix b)
{
    if (!dst || !a || !b || dst == a || dst == b)
        return;
    if (MatCols(a) != MatRows(b) || MatCols(dst) != MatCols(b) || MatRows(dst) != MatRows(a))
        return;
    Product(dst, a, static_cast<std::size_t>(MatCols(a)), 1, b, MatCols(a));
}

void MatMulTransposedLeft(LSMatrix dst, LSMatrix a, LSMatrix b)
{
    if (!dst || !a || !b || dst == a || dst == b)
        return;
    if (MatRows(a) != MatRows(b) || MatCols(dst) != MatCols(b) || MatRows(dst) != MatCols(a))
        return;
    // Row by row through a and b, so that both are read in storage order; each element of
    // dst still sums its products in the order of k.
    const int inner = MatRows(a);
    const std::size_t ac = static_cast<std::size_t>(MatCols(a));
    const std::size_t bc = static_cast<std::size_t>(MatCols(b));
    std::fill_n(dst, ac * bc, 0.0);
    for (int k = 0; k < inner; ++k) {
        const double* ak = a + k * ac;
        const double* bk = b + k * bc;
        for (std::size_t i = 0; i < ac; ++i) {
            const double x = ak[i];
            double* di = dst + i * bc;
            for (std::size_t j = 0; j < bc; ++j)
                di[j] += x * bk[j];
        }
    }
}

bool MatCholesky(LSMatrix L, LSMatrix A)
{
    if (!L || !A)
        return false;
    const int n = MatRows(A);
    if (MatCols(A) != n || MatRows(L) != MatCols(L) || MatCols(L) != n)
        return false;
    const auto at = [n](LSMatrix m, int i, int j) -> double& { return m[static_cast<std::size_t>(i) * n + j]; };
    for (int j = 0; j < n; ++j) {
        double s = 0.0;
        for (int k = 0; k < j; ++k)
            s += at(L, j, k) * at(L, j, k);
        const double d = at(A, j, j) - s;
        if (d < 0.0)
            return false;
        at(L, j, j) = std::sqrt(d);
        if (std::fabs(at(L, j, j)) < 1e-9)
            return false;
        for (int i = j + 1; i < n; ++i) {
            double t = 0.0;
            for (int k = 0; k < j; ++k)
                t += at(L, i, k) * at(L, j, k);
            at(L, i, j) = (at(A, i, j) - t) / at(L, j, j);
        }
    }
    return true;
}

namespace {

// The shape check shared by both substitutions: out and rhs are vectors, rhs holds at least
// out's element count n, L at least n x n. Gives n, or -1 when the check fails.
int SolveOrder(LSMatrix out, LSMatrix L, LSMatrix rhs)
{
    if (!IsVector(out) || !IsVector(rhs) || !L)
        return -1;
    const std::size_t n = Count(out);
    if (Count(rhs) < n || static_cast<std::size_t>(MatRows(L)) < n || static_cast<std::size_t>(MatCols(L)) < n)
        return -1;
    return static_cast<int>(n);
}

} // namespace

void MatSolveLower(LSMatrix y, LSMatrix L, LSMatrix b)
{
    const int n = SolveOrder(y, L, b);
    const std::size_t stride = static_cast<std::size_t>(MatCols(L));
    for (int i = 0; i < n; ++i) {
        double s = 0.0;
        for (int k = 0; k < i; ++k)
            s += L[i * stride + k] * y[k];
        y[i] = (b[i] - s) / L[i * stride + i];
    }
}

void MatSolveLowerTransposed(LSMatrix x, LSMatrix L, LSMatrix y)
{
    const int n = SolveOrder(x, L, y);
    const std::size_t stride = static_cast<std::size_t>(MatCols(L));
    for (int i = n - 1; i >= 0; --i) {
        double s = 0.0;
        for (int k = n - 1; k > i; --k)
            s += L[k * stride + i] * x[k];
        x[i] = (y[i] - s) / L[i * stride + i];
    }
}

void MatScaleDiagonal(LSMatrix m, double x)
{
    ForEachDiagonal(m, x, true);
}

void MatAddDiagonal(LSMatrix m, double x)
{
    ForEachDiagonal(m, x, false);
}

void MatGetDiagonal(LSMatrix dst, LSMatrix m)
{
    if (!dst || !m)
        return;
    const int cols = MatCols(m);
    const int n = std::min(MatRows(m), cols);
    if (Count(dst) < static_cast<std::size_t>(n))
        return;
    for (int i = 0; i < n; ++i)
        dst[i] = m[static_cast<std::size_t>(i) * cols + i];
}

double MatSum(LSMatrix m)
{
    double sum = 0.0;
    const std::size_t n = m ? Count(m) : 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += m[i];
    return sum;
}

double MatDot(LSMatrix a, LSMatrix b)
{
    if (!a || !b || MatCols(a) != MatCols(b) || MatRows(b) < MatRows(a))
        return 0.0;
    double sum = 0.0;
    const std::size_t n = Count(a);
    for (std::size_t i = 0; i < n; ++i)
        sum += a[i] * b[i];
    return sum;
}

double MatDot3(LSMatrix a, LSMatrix b, LSMatrix c)
{
    if (!a || !b || !c || MatCols(a) != MatCols(b) || MatCols(b) != MatCols(c))
        return 0.0;
    if (MatRows(b) < MatRows(a) || MatRows(c) < MatRows(a))
        return 0.0;
    double sum = 0.0;
    const std::size_t n = Count(a);
    for (std::size_t i = 0; i < n; ++i)
        sum += a[i] * b[i] * c[i];
    return sum;
}

double MatSumOfSquares(LSMatrix m)
{
    return MatDot(m, m);
}

void MatSetColumn(LSMatrix m, LSMatrix v, int j)
{
    if (!m || !v || MatCols(v) != 1 || MatRows(v) != MatRows(m) || j < 0 || j >= MatCols(m))
        return;
    const int rows = MatRows(m);
    const std::size_t cols = static_cast<std::size_t>(MatCols(m));
    for (int k = 0; k < rows; ++k)
        m[k * cols + j] = v[k];
}

bool MatInverseSPD(LSMatrix dst, LSMatrix A)
{
    if (!dst || !A)
        return false;
    const int n = MatRows(A);
    if (MatCols(A) != n || MatRows(dst) != n || MatCols(dst) != n)
        return false;
    LSMatrixHandle L(n, n);
    if (!L || !MatCholesky(L, A))
        return false;
    LSMatrixHandle e(n, 1);
    LSMatrixHandle y(n, 1);
    if (!e || !y)
        return false;
    for (int i = 0; i < n; ++i) {
        MatZero(e);
        e[i] = 1.0;
        MatSolveLower(y, L, e);
        MatSolveLowerTransposed(e, L, y);
        MatSetColumn(dst, e, i);
    }
    return true;
}
