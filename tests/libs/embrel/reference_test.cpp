// The resampling methods against values of GNU Octave (interp1, csaps of octave-splines) and
// scipy (make_smoothing_spline), made by the scripts in reference/ and committed as numbers.
#include <embrel/normalize_spek.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct OctaveCase {
    const char* name;
    double step;
    std::vector<double> x, y, q, nearest, linear, spline, csaps;
    double p;
};

const OctaveCase kOctave[] = {
#include "reference/octave_reference.inc"
};

struct ScipyCase {
    const char* name;
    std::vector<double> inside;
    double p;
};

const ScipyCase kScipy[] = {
#include "reference/scipy_reference.inc"
};

CSpekContainer::SpekInfo GridOf(const OctaveCase& c)
{
    return {c.q.front(), c.step, c.q.back()};
}

std::vector<double> Resample(IpolBase& ipol, EpolBase& epol, const OctaveCase& c)
{
    NormalizeSpek resampler(&ipol, &epol);
    return resampler.run(c.x, c.y, GridOf(c), 0.0, 1.0, 0).Values();
}

bool Inside(const OctaveCase& c, std::size_t k)
{
    return c.q[k] >= c.x.front() && c.q[k] <= c.x.back();
}

TEST(EmbrelReference, GridMatchesTheReferencePoints)
{
    for (const OctaveCase& c : kOctave) {
        SCOPED_TRACE(c.name);
        const CSpekContainer::SpekInfo grid = GridOf(c);
        ASSERT_EQ(grid.GetCount(), c.q.size());
        for (std::size_t k = 0; k < c.q.size(); ++k)
            EXPECT_EQ(grid.GetX(k), c.q[k]) << k;
    }
}

// Inside the curve each method gives Octave's values; outside, EpolLin continues every
// interpolating method as interp1(..., 'linear', 'extrap') does.
TEST(EmbrelReference, InterpolatorsMatchOctave)
{
    struct Method {
        const char* name;
        std::vector<double> OctaveCase::*expected;
        double tolerance;
        IpolBase* (*make)();
    };
    const Method methods[] = {
        {"nearest", &OctaveCase::nearest, 0.0, [] { return static_cast<IpolBase*>(new IpolNachbar); }},
        {"linear", &OctaveCase::linear, 1e-14, [] { return static_cast<IpolBase*>(new IpolLinSpline); }},
        {"spline", &OctaveCase::spline, 1e-13, [] { return static_cast<IpolBase*>(new IpolKubSpline); }},
        {"csaps", &OctaveCase::csaps, 1e-13, [] { return static_cast<IpolBase*>(new IpolAusglKubSpline); }},
    };
    for (const Method& m : methods) {
        for (const OctaveCase& c : kOctave) {
            SCOPED_TRACE(std::string(m.name) + " " + c.name);
            std::unique_ptr<IpolBase> ipol(m.make());
            EpolLin lin;
            const std::vector<double> got = Resample(*ipol, lin, c);
            const std::vector<double>& want = c.*m.expected;
            ASSERT_EQ(got.size(), want.size());
            for (std::size_t k = 0; k < got.size(); ++k) {
                if (Inside(c, k)) {
                    EXPECT_NEAR(got[k], want[k], m.tolerance) << "at " << c.q[k];
                } else if (m.expected != &OctaveCase::csaps) {
                    EXPECT_NEAR(got[k], c.linear[k], 1e-12) << "at " << c.q[k];
                }
            }
        }
    }
}

TEST(EmbrelReference, SmoothingSplineMatchesScipyAndOctavesWeight)
{
    for (const OctaveCase& c : kOctave) {
        SCOPED_TRACE(c.name);
        if (c.x.size() >= 3) {
            EXPECT_NEAR(IpolAusglKubSpline::DefaultSmoothing(c.x.data(), c.x.size()), c.p, 1e-15);
        }
        for (const ScipyCase& s : kScipy) {
            if (std::string(s.name) != c.name) {
                continue;
            }
            EXPECT_NEAR(s.p, c.p, 1e-15);
            IpolAusglKubSpline smooth;
            EpolNull null;
            const std::vector<double> got = Resample(smooth, null, c);
            std::vector<double> inside;
            for (std::size_t k = 0; k < got.size(); ++k)
                if (Inside(c, k))
                    inside.push_back(got[k]);
            ASSERT_EQ(inside.size(), s.inside.size());
            for (std::size_t k = 0; k < inside.size(); ++k)
                EXPECT_NEAR(inside[k], s.inside[k], 1e-13) << k;
        }
    }
}

TEST(EmbrelReference, OneNanometreSpacingWeighsTheDataWithPointNine)
{
    std::vector<double> x;
    for (int k = 0; k < 401; ++k)
        x.push_back(380 + k);
    EXPECT_NEAR(IpolAusglKubSpline::DefaultSmoothing(x.data(), x.size()), 0.9, 1e-15);
}

} // namespace
