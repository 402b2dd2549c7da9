#include <colormath/colormath.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <random>
#include <vector>

namespace {

TEST(ColormathTest, Din99OfAKnownLabColour)
{
    double L = 0, a = 0, b = 0;
    colormath::LabToDIN99(41.52787529, 52.63858304, 26.92317922, L, a, b);
    EXPECT_NEAR(L, 53.228724, 1e-6);
    EXPECT_NEAR(a, 28.416347, 1e-6);
    EXPECT_NEAR(b, 3.898396, 1e-6);
}

TEST(ColormathTest, LabOfTheWhiteAndOfAZeroWhite)
{
    double L = 0, a = 0, b = 0;
    colormath::XYZToLab(95.043, 100, 108.88, 95.043, 100, 108.88, L, a, b);
    EXPECT_NEAR(L, 100, 1e-9);
    EXPECT_NEAR(a, 0, 1e-9);
    EXPECT_NEAR(b, 0, 1e-9);
    // A white without positive components counts its ratios as 0: still numbers.
    colormath::XYZToLab(10, 20, 30, 0, -1, std::numeric_limits<double>::quiet_NaN(), L, a, b);
    EXPECT_TRUE(std::isfinite(L) && std::isfinite(a) && std::isfinite(b));
}

// L*a*b* above the linear part against the formula with std::pow and the twelve-digit
// exponent, for ratios at the edges of the cube root's reduction (powers of two and eight,
// just below and above them), the linear part's limit, and a sweep up to the largest double.
TEST(ColormathTest, LabMatchesTheFormulaWithPow)
{
    const double kExponent = 0.333333333333;
    auto f = [&](double t) { return t > 0.008856 ? std::pow(t, kExponent) : 7.787 * t + 0.13793103448275862; };
    std::vector<double> ratios = {std::nextafter(0.008856, 1.0), 0.01, 0.2, 0.5, 1.0, 2.0, 4.0, 8.0, 123.456,
                                  1e6, 1e100, 1e300, std::numeric_limits<double>::max()};
    for (double p = 0.0078125; p < 1e300; p *= 2) {
        ratios.push_back(std::nextafter(p, 0.0));
        ratios.push_back(std::nextafter(p, HUGE_VAL));
    }
    for (double t = 0.009; t < 1e300; t *= 1.07)
        ratios.push_back(t);
    for (std::size_t i = 0; i + 2 < ratios.size(); ++i) {
        const double tx = ratios[i], ty = ratios[i + 1], tz = ratios[i + 2];
        if (tx <= 0.008856 || ty <= 0.008856 || tz <= 0.008856)
            continue;
        SCOPED_TRACE(testing::Message() << std::setprecision(17) << tx << " " << ty << " " << tz);
        double L = 0, a = 0, b = 0;
        colormath::XYZToLab(tx, ty, tz, 1, 1, 1, L, a, b);
        const double fx = f(tx), fy = f(ty), fz = f(tz);
        // Within a few units in the last place of the terms.
        EXPECT_NEAR(L, 116 * fy - 16, 1e-15 * 116 * fy);
        EXPECT_NEAR(a, 500 * (fx - fy), 1e-15 * 500 * std::max(fx, fy));
        EXPECT_NEAR(b, 200 * (fy - fz), 1e-15 * 200 * std::max(fy, fz));
    }
}

TEST(ColormathTest, ChromaticityIsNoneForAZeroOrNonFiniteSum)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double X, Y, Z;
        bool has;
    } cases[] = {{1, 1, 1, true}, {0, 0, 0, false}, {1, -1, 0, false}, {inf, 1, 1, false},
                 {nan, 1, 1, false}, {1e308, 1e308, 1e308, false}};
    for (const Case& c : cases) {
        const auto xy = colormath::ToChromaticity(c.X, c.Y, c.Z);
        EXPECT_EQ(xy.has_value(), c.has) << c.X << " " << c.Y << " " << c.Z;
    }
    const auto xy = colormath::ToChromaticity(95.043, 100, 108.88);
    ASSERT_TRUE(xy);
    EXPECT_NEAR(xy->x, 0.31272, 5e-6);
    EXPECT_NEAR(xy->y, 0.32903, 5e-6);
}

TEST(ColormathTest, PlanckMatchesTheLawAndScalesWithC1)
{
    const double c1 = 3.741771852e-16, c2 = 1.4388e-2;
    const double l = 560e-9, T = 2856;
    const double expected = c1 / (std::pow(l, 5) * (std::exp(c2 / (l * T)) - 1));
    EXPECT_NEAR(colormath::Planck(l, T, c1, c2) / expected, 1.0, 1e-12);
    EXPECT_NEAR(colormath::Planck(l, T, 2 * c1, c2) / expected, 2.0, 1e-12);
}

// The kernel against a plain loop for every curve count around its block of three, with
// and without weights.
TEST(ColormathTest, WeightedSumsMatchAPlainLoop)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(0.0, 2.0);
    const std::size_t points = 81;
    std::vector<double> s(points), w(points);
    for (std::size_t i = 0; i < points; ++i) {
        s[i] = u(gen);
        w[i] = u(gen);
    }
    for (std::size_t count = 0; count <= 7; ++count) {
        std::vector<std::vector<double>> curves(count, std::vector<double>(points));
        std::vector<const double*> pointers;
        for (auto& c : curves) {
            for (double& v : c)
                v = u(gen);
            pointers.push_back(c.data());
        }
        for (const bool weighted : {false, true}) {
            std::vector<double> out(count, -1.0);
            colormath::WeightedSums(s.data(), weighted ? w.data() : nullptr, pointers.data(), count, points,
                                    out.data());
            for (std::size_t j = 0; j < count; ++j) {
                double sum = 0.0;
                for (std::size_t i = 0; i < points; ++i)
                    sum += s[i] * (weighted ? w[i] : 1.0) * curves[j][i];
                EXPECT_NEAR(out[j], sum, 1e-12 * std::fabs(sum)) << count << " " << j << " " << weighted;
            }
        }
    }
}

// Sums of every length around the kernel's blocks, with values of both signs and very
// different sizes, against a plain loop in long double.
TEST(ColormathTest, WeightedSumsOfShortAndOddLengths)
{
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (const std::size_t points : {0, 1, 2, 3, 4, 5, 7, 8, 9, 16, 401, 1001}) {
        std::vector<double> s(points), w(points);
        std::vector<std::vector<double>> curves(4, std::vector<double>(points));
        for (std::size_t i = 0; i < points; ++i) {
            s[i] = u(gen) * std::pow(10.0, 6 * u(gen));
            w[i] = u(gen);
            for (auto& c : curves)
                c[i] = u(gen);
        }
        const double* pointers[4] = {curves[0].data(), curves[1].data(), curves[2].data(), curves[3].data()};
        for (const bool weighted : {false, true}) {
            SCOPED_TRACE(testing::Message() << points << " points, weighted " << weighted);
            double out[4] = {-1, -1, -1, -1};
            colormath::WeightedSums(s.data(), weighted ? w.data() : nullptr, pointers, 4, points, out);
            for (std::size_t j = 0; j < 4; ++j) {
                long double sum = 0, size = 0;
                for (std::size_t i = 0; i < points; ++i) {
                    const long double term = static_cast<long double>(s[i]) * (weighted ? w[i] : 1.0) * curves[j][i];
                    sum += term;
                    size += std::fabs(term);
                }
                EXPECT_NEAR(out[j], static_cast<double>(sum), 1e-15 * static_cast<double>(size) * (points + 1)) << j;
            }
            // Results do not depend on the processor.
            double portable[4] = {-1, -1, -1, -1};
            colormath::WeightedSumsWithoutAvx2(s.data(), weighted ? w.data() : nullptr, pointers, 4, points, portable);
            for (std::size_t j = 0; j < 4; ++j)
                EXPECT_EQ(std::bit_cast<std::uint64_t>(out[j]), std::bit_cast<std::uint64_t>(portable[j])) << j;
        }
    }
}

} // namespace
