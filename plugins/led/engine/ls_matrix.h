#pragma once
// Dense matrices of doubles in plain C layout, so the same data can be emitted as C source.
//
//   one malloc block:  [int rows][int cols][ (0,0) (0,1) ... (0,cols-1) (1,0) ... ]
//                                           ^ the LSMatrix points here
//
// Elements are stored row by row; a vector is an n x 1 matrix. The dimensions live only in
// the header. Whoever calls MatAlloc frees with MatFree (or lets an LSMatrixHandle do it).
//
// Every operation first checks the shapes (and that no operand holds fewer elements than
// it reads or writes); when the check fails it returns at once and writes nothing, results
// are then 0 or false. A null matrix fails every check.

#include <utility>

using LSMatrix = double*;

// rows x cols uninitialised elements; null for negative sizes or when memory runs out.
LSMatrix MatAlloc(int rows, int cols);
// Frees the block, header included; null does nothing.
void MatFree(LSMatrix m);

int MatRows(LSMatrix m); // 0 for null
int MatCols(LSMatrix m); // 0 for null

void MatZero(LSMatrix m);
void MatFill(LSMatrix m, double value);
// Zeros, then 1 at (i, i) for i < min(rows, cols).
void MatIdentity(LSMatrix m);
// Copies dst.rows x dst.cols elements; same column count, src at least as many rows.
void MatCopy(LSMatrix dst, LSMatrix src);
// Each element with "%10.3f", a line end after each row, to standard output.
void MatPrint(LSMatrix m);
// lo + (hi - lo)*r/32767 per element in storage order, r from platform::Rand().
void MatRandomFill(LSMatrix m, double lo, double hi);

// Element-wise dst = a op b over dst's elements; all three have the same column count and
// a and b at least dst's rows. dst may be a or b.
void MatAdd(LSMatrix dst, LSMatrix a, LSMatrix b);
void MatSub(LSMatrix dst, LSMatrix a, LSMatrix b);
void MatMulElementwise(LSMatrix dst, LSMatrix a, LSMatrix b);
// dst = src*x and dst = src + x over dst's elements (same column count, src not shorter).
void MatScale(LSMatrix dst, LSMatrix src, double x);
void MatAddScalar(LSMatrix dst, LSMatrix src, double x);

// dst(j, i) = src(i, j); dst must be another matrix of the transposed shape.
void MatTranspose(LSMatrix dst, LSMatrix src);
// dst = a*b; dst must be neither a nor b.
void MatMul(LSMatrix dst, LSMatrix a, LSMatrix b);
// dst = transpose(a)*b; dst must be neither a nor b.
void MatMulTransposedLeft(LSMatrix dst, LSMatrix a, LSMatrix b);

// Lower Cholesky factor of the square A into the square L of the same order. Only the
// lower triangle and the diagonal of L are written. False for a negative radicand or a
// diagonal element below 1e-9 (L is then partly written) and when the check fails.
bool MatCholesky(LSMatrix L, LSMatrix A);
// Forward substitution L y = b for n = the element count of y (a row or column vector);
// b holds at least n elements, L at least n x n (read with its own column count as stride).
void MatSolveLower(LSMatrix y, LSMatrix L, LSMatrix b);
// Back substitution transpose(L) x = y, shapes as in MatSolveLower with n from x.
void MatSolveLowerTransposed(LSMatrix x, LSMatrix L, LSMatrix y);

void MatScaleDiagonal(LSMatrix m, double x);
void MatAddDiagonal(LSMatrix m, double x);
// dst[i] = m(i, i) for i < min(m.rows, m.cols); dst must hold that many elements.
void MatGetDiagonal(LSMatrix dst, LSMatrix m);

double MatSum(LSMatrix m);
// Sum of a[i]*b[i] over a's elements (same column count, b not shorter); 0 on a failed check.
double MatDot(LSMatrix a, LSMatrix b);
// Sum of a[i]*b[i]*c[i] over a's elements (b and c not shorter); 0 on a failed check.
double MatDot3(LSMatrix a, LSMatrix b, LSMatrix c);
double MatSumOfSquares(LSMatrix m);

// Column j of m = v (v is m.rows x 1, 0 <= j < m.cols).
void MatSetColumn(LSMatrix m, LSMatrix v, int j);
// Inverse of a symmetric positive definite A through its Cholesky factor; dst and A square
// of the same order. False when the check or the factorisation fails.
bool MatInverseSPD(LSMatrix dst, LSMatrix A);

// Owns one matrix and frees it on destruction; moves, never copies. Converts to LSMatrix so
// it can be passed to the functions above directly.
class LSMatrixHandle {
public:
    LSMatrixHandle() = default;
    LSMatrixHandle(int rows, int cols) : m_(MatAlloc(rows, cols)) {}
    // Takes over a matrix from MatAlloc.
    explicit LSMatrixHandle(LSMatrix adopt) : m_(adopt) {}
    ~LSMatrixHandle() { MatFree(m_); }

    LSMatrixHandle(LSMatrixHandle&& other) noexcept : m_(std::exchange(other.m_, nullptr)) {}
    LSMatrixHandle& operator=(LSMatrixHandle&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.m_, nullptr));
        return *this;
    }
    LSMatrixHandle(const LSMatrixHandle&) = delete;
    LSMatrixHandle& operator=(const LSMatrixHandle&) = delete;

    LSMatrix get() const { return m_; }
    operator LSMatrix() const { return m_; }
    explicit operator bool() const { return m_ != nullptr; }
    int rows() const { return MatRows(m_); }
    int cols() const { return MatCols(m_); }
    double& operator[](int i) const { return m_[i]; }
    double& operator()(int row, int col) const { return m_[row * MatCols(m_) + col]; }

    // Frees the held matrix and holds m instead.
    void reset(LSMatrix m = nullptr)
    {
        if (m != m_)
            MatFree(std::exchange(m_, m));
    }
    // Gives up ownership.
    LSMatrix release() { return std::exchange(m_, nullptr); }

private:
    LSMatrix m_ = nullptr;
};
