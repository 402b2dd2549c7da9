// The numbers of the point-wise arithmetic alone: the eight operations against a constant and
// a curve, statistics against Octave, the functions of A, the band colour, the random
// constant and the screening helpers.
#include "calculation/point_arithmetic.h"
#include "calculation/spectrum_screening.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace {

using namespace point_arith;

#include "reference/statistics_reference.inc"

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PointArithmetic, EveryOperationAgainstAConstantAndACurve)
{
    const std::vector<double> a = {0, 1, -2, 3, 4};
    const std::vector<double> b = {5, 1, -1, 0, 8}; // max |b| = 8: divisor offset 0.008
    struct Row {
        int op;
        const char* name;
        std::vector<double> withTwo;  // a op 2
        std::vector<double> withB;    // a op b
    };
    const Row rows[] = {
        {kSum, "sum", {2, 3, 0, 5, 6}, {5, 2, -3, 3, 12}},
        {kDiff, "diff", {-2, -1, -4, 1, 2}, {-5, 0, -1, 3, -4}},
        {kMult, "mult", {0, 2, -4, 6, 8}, {0, 1, 2, 0, 32}},
        {kDiv, "div", {0, 1 / (2 + 1e-8), -2 / (2 + 1e-8), 3 / (2 + 1e-8), 4 / (2 + 1e-8)},
         {0, 1 / 1.008, -2 / -0.992, 3 / 0.008, 4 / 8.008}},
        {kMin, "min", {0, 1, -2, 2, 2}, {0, 1, -2, 0, 4}},
        {kMax, "max", {2, 2, 2, 3, 4}, {5, 1, -1, 3, 8}},
        {kUnion, "union", {2, 1, -2, 3, 4}, {5, 1, -2, 3, 4}},
        {kLess, "less", {0, 0, 0, 3, 4}, {0, 1, 0, 3, 0}},
    };
    EXPECT_DOUBLE_EQ(PairwiseDivShift(b), 0.008);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<double> out(a.size());
        ASSERT_TRUE(Combine(row.op, a, 2.0, kConstantDivShift, out));
        for (std::size_t j = 0; j < a.size(); ++j)
            EXPECT_DOUBLE_EQ(out[j], row.withTwo[j]) << j;
        ASSERT_TRUE(Combine(row.op, a, b, PairwiseDivShift(b), out));
        for (std::size_t j = 0; j < a.size(); ++j)
            EXPECT_DOUBLE_EQ(out[j], row.withB[j]) << j;
    }
    std::vector<double> out(a.size());
    for (int op : {0, int(kMean), int(kExp), 18})
        EXPECT_FALSE(Combine(op, a, 2.0, kConstantDivShift, out)) << op;
    // A / 0 divides by 1e-8.
    ASSERT_TRUE(Combine(kDiv, std::vector<double>{1}, 0.0, kConstantDivShift, out));
    EXPECT_DOUBLE_EQ(out[0], 1e8);
}

TEST(PointArithmetic, StatisticsEqualOctavesMeanStdMinMax)
{
    const std::vector<std::span<const double>> curves = {k_a1, k_a2, k_a3, k_a4};
    const Statistics s = ComputeStatistics(curves);
    for (std::size_t j = 0; j < k_mean.size(); ++j) {
        SCOPED_TRACE(j);
        EXPECT_DOUBLE_EQ(s.mean[j], k_mean[j]);
        // Near 1e8 the sum-of-squares form would be off by 7 %.
        EXPECT_NEAR(s.sigma[j], k_sigma[j], 1e-12 * (1 + k_sigma[j]));
        EXPECT_EQ(s.minimum[j], k_minimum[j]);
        EXPECT_EQ(s.maximum[j], k_maximum[j]);
    }
    // Equal values whose squares round unevenly: never a NaN deviation.
    const std::vector<double> same = {0.1, 0.1, 0.1};
    const std::vector<std::span<const double>> three = {same, same, same};
    const Statistics flat = ComputeStatistics(three);
    EXPECT_NEAR(flat.sigma[0], 0, 1e-15);
    // A NaN stays a NaN and does not disturb the other points.
    const std::vector<double> withNaN = {kNaN, 1};
    const std::vector<double> other = {1, 3};
    const std::vector<std::span<const double>> mixed = {withNaN, other};
    const Statistics m = ComputeStatistics(mixed);
    EXPECT_TRUE(std::isnan(m.mean[0]));
    EXPECT_TRUE(std::isnan(m.sigma[0]));
    EXPECT_DOUBLE_EQ(m.mean[1], 2);
    EXPECT_DOUBLE_EQ(m.sigma[1], 1);
}

TEST(PointArithmetic, FunctionsOfA)
{
    struct Row {
        int op;
        double a;
        bool valid;
        double value;
    };
    const Row rows[] = {
        {kLog10, 1000, true, 3},  {kLog10, 0, false, 0},      {kLog10, -1, false, 0}, {kLog10, kNaN, false, 0},
        {kLn, std::exp(2.0), true, 2}, {kLn, 0, false, 0},  {kPow10, -2, true, 0.01}, {kExp, 0, true, 1},
        {kExp, 1, true, std::exp(1.0)}, {kSum, 1, false, 0},
    };
    for (const Row& row : rows) {
        double value = 0;
        EXPECT_EQ(ApplyFunction(row.op, row.a, value), row.valid) << row.op << " " << row.a;
        if (row.valid) {
            EXPECT_DOUBLE_EQ(value, row.value) << row.op << " " << row.a;
        }
    }
}

TEST(PointArithmetic, BandColourLightensDarkAndDarkensLightColours)
{
    struct Row {
        COLORREF in, out;
    };
    const Row rows[] = {
        {RGB(10, 10, 10), RGB(74, 74, 74)},      // dark grey: +64
        {RGB(0, 0, 0), RGB(64, 64, 64)},
        {RGB(100, 100, 100), RGB(164, 164, 164)}, // 100 * 164 / 100
        {RGB(60, 120, 180), RGB(92, 184, 255)},   // g 120, t 184: 92, 184, 276 -> 255
        {RGB(250, 200, 200), RGB(175, 140, 140)}, // g 216 > 191, t 152
        {RGB(0, 0, 1), RGB(64, 64, 65)},          // g 0 with unequal channels: lifted, no division
        {RGB(255, 255, 255), RGB(191, 191, 191)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(BandColour(row.in), row.out) << std::hex << row.in;
}

TEST(PointArithmetic, RandomConstantsStayInTheirIntervalAndRepeatWithTheSeed)
{
    for (double b : {2.0, -2.0, 1e-3, 1000.0}) {
        NormalDeviates deviates(42);
        double sum = 0;
        for (int i = 0; i < 2000; ++i) {
            const double drawn = RandomConstant(b, deviates);
            ASSERT_GE(drawn, std::min(0.9 * b, 1.1 * b)) << b;
            ASSERT_LE(drawn, std::max(0.9 * b, 1.1 * b)) << b;
            sum += drawn;
        }
        EXPECT_NEAR(sum / 2000 / b, 1, 0.01) << b;
    }
    NormalDeviates x(7), y(7), z(8);
    const double first = x.Next();
    EXPECT_EQ(first, y.Next());
    EXPECT_NE(first, z.Next());
    EXPECT_EQ(x.Next(), y.Next()); // the kept second value
    NormalDeviates zero(1);
    EXPECT_EQ(RandomConstant(0, zero), 0);
    // Deviates look standard normal.
    NormalDeviates n(3);
    double s = 0, q = 0;
    for (int i = 0; i < 20000; ++i) {
        const double v = n.Next();
        s += v;
        q += v * v;
    }
    EXPECT_NEAR(s / 20000, 0, 0.03);
    EXPECT_NEAR(q / 20000, 1, 0.05);
}

TEST(Screening, KeywordsAndInnerStatistics)
{
    struct Row {
        const char* keywords;
        const char* name;
        bool marked;
    };
    const Row rows[] = {
        {"", "A:dunkel", false},         {"morvenhald", "morvenhald", false},
        {"dunk", "A:dunkel", true},      {" x ; dunk\t", "A:dunkel", true},
        {"12345678910", "A:1", false},   {"hell;;", "A:dunkel", false},
        {"Morvenhald", "Morvenhald", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(calc::KeywordMarks(row.keywords, row.name), row.marked) << row.keywords << " / " << row.name;

    // Points 5 .. n-6 only; values above 1 % of their maximum.
    std::vector<double> y(16, 1000.0); // the outer five each side are ignored
    y[5] = 100, y[6] = 0.5, y[7] = 200, y[8] = 100, y[9] = 200, y[10] = 100;
    const calc::InnerStatistics s = calc::ScreenInner(y);
    EXPECT_EQ(s.maximum, 200);
    EXPECT_EQ(s.count, 5);
    EXPECT_DOUBLE_EQ(s.mean, 140);
    EXPECT_DOUBLE_EQ(s.variance, (3 * 100.0 * 100 + 2 * 200.0 * 200) / 5 - 140.0 * 140);
    // Ten points or fewer: no variance, so the spectrum is screened out.
    const std::vector<double> shortOne = {1, 5, 1, 5, 1, 5, 1, 5, 1, 5};
    EXPECT_EQ(calc::ScreenInner(shortOne).variance, 0);
}

} // namespace
