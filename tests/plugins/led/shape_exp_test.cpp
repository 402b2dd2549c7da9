// The exponential of the Gaussian shape against a long double reference, and its grid
// samples against its single values.
#include "engine/shape_exp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// |got - exact| in units of the spacing of doubles at the exact value.
double UlpError(double got, long double exact)
{
    const double nearest = static_cast<double>(exact);
    const double spacing = std::nextafter(std::fabs(nearest), std::numeric_limits<double>::infinity()) -
                           std::fabs(nearest);
    return static_cast<double>(std::fabs(static_cast<long double>(got) - exact) / spacing);
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ShapeExp, WithinItsBoundOfTheExactValue)
{
    // Sweeps with an odd step: the own range (0.6 ulp), a fine one around 0 where the
    // reduction leaves the argument as it is, and the subnormal results left to std::exp.
    struct Sweep {
        double from, to, step, bound;
    };
    const Sweep sweeps[] = {{-708.0, 709.0, 0.0007919, 0.6}, {-2.0, 2.0, 1.3e-6, 0.6}, {-745.0, -708.0, 0.0003917, 1.0}};
    for (const Sweep& s : sweeps) {
        double worst = 0.0;
        double worstAt = 0.0;
        for (double x = s.from; x <= s.to; x += s.step) {
            const double e = UlpError(ShapeExp(x), std::exp(static_cast<long double>(x)));
            if (e > worst) {
                worst = e;
                worstAt = x;
            }
        }
        EXPECT_LE(worst, s.bound) << "from " << s.from << ": at " << worstAt;
    }
}

TEST(ShapeExp, EdgesOfTheRange)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double x, expected;
    };
    const Case exact[] = {{0.0, 1.0}, {-0.0, 1.0}, {-inf, 0.0}, {inf, inf}, {-746.0, 0.0}, {710.0, inf}};
    for (const Case& c : exact)
        EXPECT_EQ(ShapeExp(c.x), c.expected) << c.x;
    EXPECT_TRUE(std::isnan(ShapeExp(nan)));
    // Both sides of the limits of the vector range: normal and subnormal results.
    for (double x : {-708.0, std::nextafter(-708.0, -inf), -720.5, -744.4, 709.0, std::nextafter(709.0, inf), 709.78})
        EXPECT_LE(UlpError(ShapeExp(x), std::exp(static_cast<long double>(x))), 1.0) << x;
}

// Every count from 0 to 17 (whole vectors and every remainder), grids where some points lie
// beyond the vector range and one with a non-finite value: each sample is the single value
// of its own argument, to the bit, in the version this processor runs.
TEST(ShapeExp, GridSamplesAreTheSingleValues)
{
    const double ln2 = std::log(2.0);
    struct Case {
        double peak, halfWidth;
    };
    const Case cases[] = {{0.55, 0.015}, {0.55, 0.00005}, {0.55, -0.015}, {0.55, 1e300}};
    for (const Case& c : cases)
        for (int count = 0; count <= 17; ++count) {
            std::vector<double> x;
            for (int i = 0; i < count; ++i)
                x.push_back(0.5495 + 0.0001 * i);
            if (count == 13)
                x[6] = std::numeric_limits<double>::quiet_NaN();
            std::vector<double> out(static_cast<std::size_t>(count) + 1, -1.0);
            GaussianSamples(x.data(), count, c.peak, c.halfWidth, ln2, out.data());
            for (int i = 0; i < count; ++i) {
                const double u = (x[static_cast<std::size_t>(i)] - c.peak) / c.halfWidth;
                ASSERT_TRUE(SameBits(out[static_cast<std::size_t>(i)], ShapeExp(-ln2 * u * u)))
                    << "half width " << c.halfWidth << " count " << count << " point " << i;
            }
            EXPECT_EQ(out.back(), -1.0) << "nothing written past the end";
        }
    // In place.
    std::vector<double> x = {0.54, 0.545, 0.55, 0.555, 0.56};
    std::vector<double> expected(x.size());
    GaussianSamples(x.data(), 5, 0.55, 0.015, ln2, expected.data());
    GaussianSamples(x.data(), 5, 0.55, 0.015, ln2, x.data());
    EXPECT_EQ(x, expected);
}

} // namespace
