// The filters alone: inner points against Octave, the ends and the continuity filter against
// hand-worked fixtures, lines, the step list and the mended faults.
#include "calculation/spectral_filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace {

using namespace spectral_filter;

#include "reference/filter_reference.inc"

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> Filtered(const Settings& s, const std::vector<double>& y, const std::vector<int>& steps = {})
{
    std::vector<double> out(y.size());
    EXPECT_TRUE(Apply(s, y, steps, out));
    return out;
}

Settings Filter(int filter, int steps = 3, bool adaptive = false, bool keepSign = true)
{
    Settings s;
    s.filter = filter;
    s.steps = steps;
    s.adaptive = adaptive;
    s.keepSign = keepSign;
    return s;
}

TEST(SpectralFilters, InnerPointsEqualOctave)
{
    struct Row {
        const char* name;
        Settings settings;
        const std::vector<double>& expected;
        std::size_t first; // the index of expected[0] in y
    };
    const Row rows[] = {
        {"box3", Filter(kBox3), k_box3, 1},
        {"sobel", Filter(kSobel), k_sobel, 1},
        {"laplace", Filter(kLaplace), k_laplace, 1},
        {"binomial, four passes", Filter(kMean2, 3), k_binomial4, 30},
        {"median 5 (steps 4 made odd)", Filter(kMedian, 4), k_median5, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<double> out = Filtered(row.settings, k_y);
        for (std::size_t j = 0; j < row.expected.size(); ++j)
            EXPECT_NEAR(out[row.first + j], row.expected[j], 1e-12 * (1 + std::fabs(row.expected[j]))) << j;
    }
}

TEST(SpectralFilters, EndsAreExtrapolatedLinearly)
{
    const std::vector<double> y = {1, 4, 2, 8, 5, 7};
    // Box: inner 7/3, 14/3, 15/3, 20/3; start 2*7/3 - 14/3 = 0, end 2*20/3 - 15/3 = 25/3.
    const std::vector<double> box = Filtered(Filter(kBox3), y);
    EXPECT_NEAR(box[0], 0, 1e-12);
    EXPECT_NEAR(box[5], 25.0 / 3, 1e-12);
    // Median of 3 on {1, 4, 2, 8, 5, 7}: inner 2, 4, 5, 7; ends 0 and 9.
    const std::vector<double> median = Filtered(Filter(kMedian, 3), y);
    EXPECT_EQ(median, (std::vector<double>{0, 2, 4, 5, 7, 9}));
    // Sobel: inner 0.5, 2, 1.5, -0.5; ends -1 and -2.5; without the sign all positive.
    EXPECT_EQ(Filtered(Filter(kSobel), y), (std::vector<double>{-1, 0.5, 2, 1.5, -0.5, -2.5}));
    EXPECT_EQ(Filtered(Filter(kSobel, 3, false, false), y), (std::vector<double>{1, 0.5, 2, 1.5, 0.5, 2.5}));
    // Three points: the one inner value reaches both ends.
    EXPECT_EQ(Filtered(Filter(kBox3), std::vector<double>{3, 6, 9}), (std::vector<double>{6, 6, 6}));
}

TEST(SpectralFilters, LinesAndConstants)
{
    std::vector<double> line(40), falling(40), rising(40);
    for (int i = 0; i < 40; ++i) {
        line[i] = 2.0 * i + 5;
        falling[i] = -3.0 * i;
        rising[i] = 3.0 * i;
    }
    const auto expectNear = [](const std::vector<double>& got, const std::vector<double>& want, const char* what) {
        ASSERT_EQ(got.size(), want.size()) << what;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], want[i], 1e-9) << what << " " << i;
    };
    expectNear(Filtered(Filter(kBox3), line), line, "box");
    for (int steps : {1, 2, 3})
        expectNear(Filtered(Filter(kMean2, steps), line), line, "binomial");
    expectNear(Filtered(Filter(kLaplace), line), std::vector<double>(40, 0.0), "laplace");
    expectNear(Filtered(Filter(kSobel), line), std::vector<double>(40, 2.0), "sobel");
    expectNear(Filtered(Filter(kSobel, 3, false, false), falling), std::vector<double>(40, 3.0), "falling sobel");
    expectNear(Filtered(Filter(kCopy, 3, false, false), falling), rising, "copy without the sign");
}

TEST(SpectralFilters, DivisorsOfTheBinomialPasses)
{
    const std::vector<double> y(40, 1.0);
    for (auto [steps, passes, d] : {std::tuple{0, 2, 256.0}, {1, 2, 256.0}, {2, 3, 4096.0}, {3, 4, 65536.0}, {9, 4, 65536.0}}) {
        std::vector<double> out(y.size());
        EXPECT_EQ(BinomialPasses(steps), passes);
        EXPECT_EQ(Binomial(y, steps, out), d) << steps;
        EXPECT_DOUBLE_EQ(out[20], d) << steps; // unnormalised: the gain of the passes
    }
    EXPECT_EQ(MinimumPoints(kMean2, false, 1), 10);
    EXPECT_EQ(MinimumPoints(kMean2, false, 3), 34);
    EXPECT_EQ(MinimumPoints(kMedian, false, 4), 6);
    EXPECT_EQ(MinimumPoints(kBox3, false, 0), 3);
}

TEST(SpectralFilters, MedianRemovesSpikesAndOutliersOnlyKeepsTheRest)
{
    std::vector<double> y(20, 1.0);
    y[8] = 50;
    y[12] = 40, y[13] = 40;
    y[3] = 1.25; // a small wiggle: 0.25 * |2nd difference| = 0.125
    const std::vector<double> plain = Filtered(Filter(kMedian, 4), y);
    EXPECT_EQ(plain[8], 1);
    EXPECT_EQ(plain[12], 1);
    EXPECT_EQ(plain[13], 1);
    EXPECT_EQ(plain[3], 1);
    Settings outliers = Filter(kMedian, 4, true);
    outliers.threshold = 0.125;
    const std::vector<double> kept = Filtered(outliers, y);
    EXPECT_EQ(kept[8], 1);
    EXPECT_EQ(kept[3], 1.25); // at the threshold: kept
    // Width 1 with outliers only: inner points tested, ends untouched, no read outside.
    Settings one = Filter(kMedian, 1, true);
    one.threshold = 0.1;
    EXPECT_EQ(Filtered(one, std::vector<double>{9, 1, 1}), (std::vector<double>{9, 1, 1}));
    // NaN sorts last and never runs past the window.
    std::vector<double> nan(9, 2.0);
    nan[4] = kNaN;
    const std::vector<double> cleaned = Filtered(Filter(kMedian, 3), nan);
    EXPECT_EQ(cleaned[4], 2);
}

TEST(SpectralFilters, AdaptiveMeanOfAConstantKeepsIt)
{
    // The span R is 0: every weight is 0 and the point keeps its value (not 0 / 0).
    EXPECT_EQ(Filtered(Filter(kMean2, 5, true), std::vector<double>(10, 7.0)), std::vector<double>(10, 7.0));
    // R starts at the first inner value, so negative curves get their true span.
    const std::vector<double> negative = {-10, -10, -20, -10, -10};
    const std::vector<double> out = Filtered(Filter(kMean2, 3, true), negative);
    // R = 10: at point 2 the neighbours weigh 0, so it keeps -20; at 1 weights 10, 10, 0.
    EXPECT_DOUBLE_EQ(out[2], -20);
    EXPECT_DOUBLE_EQ(out[1], -10);
}

TEST(SpectralFilters, ContinuityRemovesAStep)
{
    // A step of 10 between points 4 and 5 on a flat line.
    const std::vector<double> y = {0, 0, 0, 0, 0, 10, 10, 10, 10, 10};
    // L = (0, 0, 0, 0, 2.5, -2.5, 0, 0, 0, 0); D = 2.5 at 3 and 5, 5 at 4.
    std::vector<double> out(y.size());
    Continuity(y, 1, 1 - 0.1 + 1e-5, 0, {}, out);
    // The first D above 0.9 * (5 - 0) = 4.5 is at l = 4: from 5 on the values drop by 10.
    EXPECT_EQ(out, std::vector<double>(10, 0.0));
    // Zero steps: unchanged.
    Continuity(y, 0, 0.5, 0, {}, out);
    EXPECT_EQ(out, y);
    // A step list without 4 takes no step there.
    Continuity(y, 1, 0.9, 0, std::vector<int>{7}, out);
    EXPECT_EQ(out, y);
    // A margin that leaves no inner point takes no step.
    Continuity(y, 1, 0.9, 5, {}, out);
    EXPECT_EQ(out, y);
}

TEST(SpectralFilters, ContinuityLiftsWhenTheCorrectionGoesBelowZero)
{
    // A rise of 10 at 4 from a negative level: the correction -10 takes later points below
    // zero; the result is lifted so that its smallest value after the margin equals the
    // smallest inner input (-5; a search starting at 100000 would have put it there).
    const std::vector<double> y = {-5, -5, -5, -5, -5, 5, 5, 5, 5, 5};
    std::vector<double> out(y.size());
    Continuity(y, 1, 0.9, 0, {}, out);
    EXPECT_EQ(out, std::vector<double>(10, -5.0));
}

TEST(SpectralFilters, StepListTakesTheLargestSecondDifferences)
{
    const std::vector<double> a = {0, 0, 0, 0, 0, 10, 10, 10, 10, 10};
    const std::vector<double> b = {0, 0, 0, 0, 0, 10, 10, 10, 10, 10};
    const std::vector<std::span<const double>> curves = {a, b};
    // P = 1 + 2 |q|: q = 10 at 4, -10 at 5, so P[4] = P[5] = 21 share the largest value.
    EXPECT_EQ(StepList(curves, 1), (std::vector<int>{3, 4}));
    // The next value is 1 (all other points); more steps than values take them all.
    const std::vector<int> all = StepList(curves, 5);
    EXPECT_EQ(all.size(), 9u);
    EXPECT_EQ(StepList(curves, 0), std::vector<int>{});
    // NaN in a curve neither crashes nor lists its point.
    std::vector<double> nan = a;
    nan[2] = kNaN;
    const std::vector<std::span<const double>> withNaN = {nan, b};
    const std::vector<int> list = StepList(withNaN, 2);
    EXPECT_FALSE(list.empty());
}

TEST(SpectralFilters, MarginAndNonFiniteValues)
{
    EXPECT_EQ(Margin(380, 780, 380, 381), 20);
    EXPECT_EQ(Margin(380, 780, 380, 380), 0); // equal wavelengths: no division by 0
    EXPECT_EQ(Margin(0, 1e300, 0, 1e-300), 0);
    // NaN and inf pass through every filter without a crash.
    std::vector<double> y(40, 1.0);
    y[10] = kNaN;
    y[20] = std::numeric_limits<double>::infinity();
    for (int f = 0; f < kFilterCount; ++f) {
        for (bool adaptive : {false, true}) {
            Settings s = Filter(f, 3, adaptive);
            s.threshold = 0.5;
            std::vector<double> out(y.size());
            EXPECT_TRUE(Apply(s, y, {}, out)) << f;
        }
    }
    Settings unknown = Filter(7);
    std::vector<double> out(y.size());
    EXPECT_FALSE(Apply(unknown, y, {}, out));
}

} // namespace
