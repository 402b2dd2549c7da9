#include "engine/ls_matrix.h"

#include "platform/random.h"

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

LSMatrixHandle Make(int rows, int cols, std::initializer_list<double> values)
{
    LSMatrixHandle m(rows, cols);
    int i = 0;
    for (double v : values)
        m[i++] = v;
    return m;
}

LSMatrixHandle Filled(int rows, int cols, double value)
{
    LSMatrixHandle m(rows, cols);
    MatFill(m, value);
    return m;
}

Eigen::Map<RowMajor> View(const LSMatrixHandle& m)
{
    return Eigen::Map<RowMajor>(m.get(), m.rows(), m.cols());
}

std::vector<double> Elements(const LSMatrixHandle& m)
{
    return std::vector<double>(m.get(), m.get() + static_cast<std::size_t>(m.rows()) * m.cols());
}

// A random symmetric positive definite matrix B*B^T + n*I.
LSMatrixHandle RandomSpd(int n)
{
    LSMatrixHandle b(n, n);
    MatRandomFill(b, -1.0, 1.0);
    LSMatrixHandle bt(n, n);
    MatTranspose(bt, b);
    LSMatrixHandle a(n, n);
    MatMul(a, b, bt);
    MatAddDiagonal(a, n);
    return a;
}

} // namespace

TEST(LSMatrix, OneBlockWithIntHeaderBeforeRowMajorData)
{
    LSMatrixHandle m(2, 3);
    ASSERT_TRUE(m);
    int header[2];
    std::memcpy(header, reinterpret_cast<const char*>(m.get()) - sizeof header, sizeof header);
    EXPECT_EQ(header[0], 2);
    EXPECT_EQ(header[1], 3);
    m(1, 2) = 7.0;
    EXPECT_EQ(m[5], 7.0);

    EXPECT_EQ(MatAlloc(-1, 3), nullptr);
    EXPECT_EQ(MatRows(nullptr), 0);
    MatFree(nullptr);

    LSMatrixHandle empty(0, 4);
    ASSERT_TRUE(empty);
    MatFill(empty, 1.0);
    MatZero(empty);
    EXPECT_EQ(MatSum(empty), 0.0);
}

TEST(LSMatrix, HandleMovesOwnership)
{
    LSMatrixHandle a(3, 1);
    LSMatrix raw = a.get();
    LSMatrixHandle b(std::move(a));
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.get(), raw);
    LSMatrixHandle c(1, 1);
    c = std::move(b);
    EXPECT_EQ(c.get(), raw);
    LSMatrix released = c.release();
    EXPECT_EQ(released, raw);
    EXPECT_FALSE(c);
    MatFree(released);
}

TEST(LSMatrix, IdentityOnNonSquareAndDiagonalOperations)
{
    LSMatrixHandle m(2, 3);
    MatIdentity(m);
    EXPECT_EQ(Elements(m), (std::vector<double>{1, 0, 0, 0, 1, 0}));

    MatScaleDiagonal(m, 3.0);
    MatAddDiagonal(m, 1.0);
    EXPECT_EQ(Elements(m), (std::vector<double>{4, 0, 0, 0, 4, 0}));

    LSMatrixHandle d = Filled(2, 1, -1.0);
    MatGetDiagonal(d, m);
    EXPECT_EQ(Elements(d), (std::vector<double>{4, 4}));
}

TEST(LSMatrix, ElementwiseOperationsAllowDestinationAsEitherOperand)
{
    LSMatrixHandle a = Make(3, 1, {1, 2, 3});
    LSMatrixHandle b = Make(3, 1, {10, 20, 30});

    MatAdd(a, a, b);
    EXPECT_EQ(Elements(a), (std::vector<double>{11, 22, 33}));
    MatSub(b, a, b);
    EXPECT_EQ(Elements(b), (std::vector<double>{1, 2, 3}));
    MatMulElementwise(a, a, b);
    EXPECT_EQ(Elements(a), (std::vector<double>{11, 44, 99}));

    LSMatrixHandle d(3, 1);
    MatScale(d, b, 2.0);
    EXPECT_EQ(Elements(d), (std::vector<double>{2, 4, 6}));
    MatAddScalar(d, d, 0.5);
    EXPECT_EQ(Elements(d), (std::vector<double>{2.5, 4.5, 6.5}));
    MatCopy(b, d);
    EXPECT_EQ(Elements(b), Elements(d));

    EXPECT_EQ(MatSum(d), 13.5);
    EXPECT_EQ(MatSumOfSquares(b), 2.5 * 2.5 + 4.5 * 4.5 + 6.5 * 6.5);
    EXPECT_EQ(MatDot(a, b), 11 * 2.5 + 44 * 4.5 + 99 * 6.5);
    EXPECT_EQ(MatDot3(a, b, d), 11 * 2.5 * 2.5 + 44 * 4.5 * 4.5 + 99 * 6.5 * 6.5);
}

TEST(LSMatrix, ProductsAndTransposeMatchEigen)
{
    platform::SRand(7);
    LSMatrixHandle a(4, 3), b(3, 5), c(4, 5);
    MatRandomFill(a, -2.0, 2.0);
    MatRandomFill(b, -2.0, 2.0);
    MatRandomFill(c, -2.0, 2.0);

    LSMatrixHandle ab(4, 5);
    MatMul(ab, a, b);
    EXPECT_LT((View(ab) - View(a) * View(b)).cwiseAbs().maxCoeff(), 1e-12);

    LSMatrixHandle atc(3, 5);
    MatMulTransposedLeft(atc, a, c);
    EXPECT_LT((View(atc) - View(a).transpose() * View(c)).cwiseAbs().maxCoeff(), 1e-12);

    LSMatrixHandle at(3, 4);
    MatTranspose(at, a);
    EXPECT_EQ(View(at), View(a).transpose());
}

TEST(LSMatrix, RandomFillUsesTheFifteenBitSource)
{
    platform::SRand(1);
    LSMatrixHandle m(1, 3);
    MatRandomFill(m, 10.0, 20.0);
    // The classic sequence from seed 1 starts 41, 18467, 6334.
    EXPECT_DOUBLE_EQ(m[0], 10.0 + 10.0 * 41 / 32767.0);
    EXPECT_DOUBLE_EQ(m[1], 10.0 + 10.0 * 18467 / 32767.0);
    EXPECT_DOUBLE_EQ(m[2], 10.0 + 10.0 * 6334 / 32767.0);

    LSMatrixHandle big(500, 2);
    MatRandomFill(big, -1.0, 1.0);
    EXPECT_GE(View(big).minCoeff(), -1.0);
    EXPECT_LE(View(big).maxCoeff(), 1.0);
}

TEST(LSMatrix, CholeskyCases)
{
    struct Case {
        const char* name;
        int n;
        std::vector<double> a;
        bool ok;
    };
    const Case cases[] = {
        {"spd 2x2", 2, {4, 2, 2, 3}, true},
        {"negative radicand in column 1", 2, {1, 2, 2, 1}, false},
        {"diagonal below 1e-9", 1, {1e-20}, false},
        {"negative first pivot", 1, {-4}, false},
        {"order 0", 0, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LSMatrixHandle a(c.n, c.n);
        std::copy(c.a.begin(), c.a.end(), a.get());
        LSMatrixHandle l = Filled(c.n, c.n, 99.0);
        EXPECT_EQ(MatCholesky(l, a), c.ok);
    }

    LSMatrixHandle a = Make(2, 2, {4, 2, 2, 3});
    LSMatrixHandle l = Filled(2, 2, 99.0);
    ASSERT_TRUE(MatCholesky(l, a));
    EXPECT_EQ(l(0, 0), 2.0);
    EXPECT_EQ(l(1, 0), 1.0);
    EXPECT_DOUBLE_EQ(l(1, 1), std::sqrt(2.0));
    EXPECT_EQ(l(0, 1), 99.0) << "the upper triangle is left alone";

    LSMatrixHandle wrong(3, 3);
    EXPECT_FALSE(MatCholesky(wrong, a));
    EXPECT_FALSE(MatInverseSPD(wrong, a));
    LSMatrixHandle inv = Filled(2, 2, 5.0);
    EXPECT_FALSE(MatInverseSPD(inv, Make(2, 2, {1, 2, 2, 1})));
}

TEST(LSMatrix, CholeskyAndInverseMatchEigen)
{
    platform::SRand(2024);
    for (int n : {1, 2, 3, 5, 8, 13}) {
        SCOPED_TRACE("order " + std::to_string(n));
        LSMatrixHandle a = RandomSpd(n);

        LSMatrixHandle l = Filled(n, n, 0.0);
        ASSERT_TRUE(MatCholesky(l, a));
        const Eigen::LLT<RowMajor> llt(View(a));
        ASSERT_EQ(llt.info(), Eigen::Success);
        const RowMajor eigenL = llt.matrixL();
        EXPECT_LT((View(l) - eigenL).cwiseAbs().maxCoeff(), 1e-12);

        LSMatrixHandle inv(n, n);
        ASSERT_TRUE(MatInverseSPD(inv, a));
        const RowMajor eigenInv = View(a).inverse();
        EXPECT_LT((View(inv) - eigenInv).cwiseAbs().maxCoeff(), 1e-12);
        EXPECT_LT((View(inv) * View(a) - RowMajor::Identity(n, n)).cwiseAbs().maxCoeff(), 1e-12);

        // The two substitutions solve A x = b.
        LSMatrixHandle b(n, 1), y(n, 1), x(n, 1);
        MatRandomFill(b, -1.0, 1.0);
        MatSolveLower(y, l, b);
        MatSolveLowerTransposed(x, l, y);
        const Eigen::VectorXd expected = llt.solve(Eigen::Map<Eigen::VectorXd>(b.get(), n));
        EXPECT_LT((Eigen::Map<Eigen::VectorXd>(x.get(), n) - expected).cwiseAbs().maxCoeff(), 1e-12);
    }
}

// An operand that holds fewer elements than the operation reads or writes fails the check:
// nothing is written and results are 0. Under AddressSanitizer a read past the short
// operand would stop the test.
TEST(LSMatrix, ShortOrMismatchedOperandsChangeNothing)
{
    LSMatrixHandle dst = Filled(4, 1, 5.0);
    LSMatrixHandle full = Filled(4, 1, 1.0);
    LSMatrixHandle shortVec = Filled(2, 1, 1.0);
    LSMatrixHandle row = Filled(1, 4, 1.0);
    LSMatrixHandle square = Make(4, 4, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    LSMatrixHandle small = Make(2, 2, {1, 0, 0, 1});

    struct Case {
        const char* name;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"copy from a short source", [&] { MatCopy(dst, shortVec); }},
        {"copy with other column count", [&] { MatCopy(dst, row); }},
        {"add, short first operand", [&] { MatAdd(dst, shortVec, full); }},
        {"add, short second operand", [&] { MatAdd(dst, full, shortVec); }},
        {"sub, short operand", [&] { MatSub(dst, full, shortVec); }},
        {"multiply elementwise, short operand", [&] { MatMulElementwise(dst, shortVec, full); }},
        {"scale from a short source", [&] { MatScale(dst, shortVec, 2.0); }},
        {"add scalar from a short source", [&] { MatAddScalar(dst, shortVec, 2.0); }},
        {"transpose with wrong shape", [&] { MatTranspose(dst, full); }},
        {"transpose onto itself", [&] { MatTranspose(square, square); }},
        {"product into an operand", [&] { MatMul(square, square, square); }},
        {"product with wrong inner size", [&] { MatMul(dst, small, full); }},
        {"transposed product with wrong rows", [&] { MatMulTransposedLeft(dst, small, full); }},
        {"solve, short right-hand side", [&] { MatSolveLower(dst, square, shortVec); }},
        {"solve, small factor", [&] { MatSolveLower(dst, small, full); }},
        {"solve, right-hand side not a vector", [&] { MatSolveLower(dst, square, square); }},
        {"back solve, short right-hand side", [&] { MatSolveLowerTransposed(dst, square, shortVec); }},
        {"back solve, small factor", [&] { MatSolveLowerTransposed(dst, small, full); }},
        {"diagonal into a short vector", [&] { MatGetDiagonal(shortVec, square); }},
        {"set column with index = cols", [&] { MatSetColumn(square, full, 4); }},
        {"set column with negative index", [&] { MatSetColumn(square, full, -1); }},
        {"set column with wrong length", [&] { MatSetColumn(square, shortVec, 0); }},
        {"null operands", [&] {
             MatAdd(dst, nullptr, full);
             MatCopy(dst, nullptr);
             MatFill(nullptr, 1.0);
             MatIdentity(nullptr);
             MatPrint(nullptr);
         }},
    };
    const std::vector<double> before = Elements(dst);
    const std::vector<double> squareBefore = Elements(square);
    const std::vector<double> shortBefore = Elements(shortVec);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.run();
        EXPECT_EQ(Elements(dst), before);
        EXPECT_EQ(Elements(square), squareBefore);
        EXPECT_EQ(Elements(shortVec), shortBefore);
    }

    EXPECT_EQ(MatDot(dst, row), 0.0) << "different column counts";
    EXPECT_EQ(MatDot(dst, shortVec), 0.0);
    EXPECT_EQ(MatDot3(dst, full, shortVec), 0.0);
    EXPECT_EQ(MatDot(nullptr, full), 0.0);
    // A longer operand is fine: only the destination's (or a's) elements are used.
    EXPECT_EQ(MatDot(shortVec, dst), 10.0);
    MatCopy(shortVec, full);
    EXPECT_EQ(Elements(shortVec), (std::vector<double>{1, 1}));
}

TEST(LSMatrix, PrintUsesFixedWidthRows)
{
    LSMatrixHandle m = Make(2, 2, {1.0, -2.5, 1234.5678, 0.0});
    testing::internal::CaptureStdout();
    MatPrint(m);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "     1.000    -2.500\n  1234.568     0.000\n");
}
