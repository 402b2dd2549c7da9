// The calibrations: fits against Octave's backslash (reference/make_reference.m), known
// transforms recovered exactly, applying them, and the failing statuses.
#include <calvorn/colcalib.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Reference {
    const char* name;
    std::vector<double> transform;
};

const Reference kReference[] = {
#include "reference/reference.inc"
};

constexpr int kPairs = 12, kN = 3;

// The data of the Octave script: measured x, reference y.
void Data(CTargetContainer& measured, CTargetContainer& reference)
{
    for (int k = 1; k <= kPairs; ++k) {
        const double x[] = {0.2 + 0.05 * k, 0.9 - 0.03 * k + 0.1 * std::sin(k), 0.4 + 0.2 * std::cos(1.3 * k)};
        const double y[] = {0.1 + 1.1 * x[0] - 0.2 * x[1] + 0.01 * std::sin(3 * k), 0.05 + 0.9 * x[1] + 0.1 * x[2] * x[2],
                            -0.1 + 1.3 * x[2] + 0.05 * x[0] * x[1]};
        measured.AddColor(CTarget(std::vector<double>(x, x + kN)), std::to_string(k));
        reference.AddColor(CTarget(std::vector<double>(y, y + kN)), std::to_string(k));
    }
}

std::unique_ptr<CColCalibBase> Make(const std::string& name)
{
    if (name == "skal")
        return std::make_unique<CColCalibWBSkal>();
    if (name == "skaloff")
        return std::make_unique<CColCalibWBSkalOff>();
    if (name == "linear")
        return std::make_unique<CColCalibLinear>();
    if (name == "affin")
        return std::make_unique<CColCalibAffin>();
    return std::make_unique<CColCalibPoly>(1, kN);
}

TEST(ColCalib, FitsMatchOctaveBackslash)
{
    CTargetContainer measured, reference;
    Data(measured, reference);
    for (const Reference& ref : kReference) {
        auto calib = Make(ref.name);
        calib->SetTargetSet(measured, 0);
        calib->SetTargetSet(reference, 1);
        ASSERT_EQ(calib->CalcTransform(), 0) << ref.name;
        std::vector<double> t;
        calib->GetTransform(t);
        ASSERT_EQ(t.size(), ref.transform.size()) << ref.name;
        for (std::size_t i = 0; i < t.size(); ++i)
            EXPECT_NEAR(t[i], ref.transform[i], 1e-10) << ref.name << " element " << i;
        // Applying it: M phi(x) of the first measured vector.
        CTarget out;
        ASSERT_EQ(calib->CorrectColors(measured[0], out), 0);
        ASSERT_EQ(out.GetDim(), kN);
        std::vector<double> row;
        calib->GetTransform(row, 1);
        EXPECT_EQ(row.size(), t.size() / kN);
    }
}

TEST(ColCalib, KnownTransformsAreRecovered)
{
    // Each method reproduces data made by a transform of its own form exactly.
    const struct {
        const char* name;
        std::function<std::vector<double>(const std::vector<double>&)> map;
    } cases[] = {
        {"skal", [](const std::vector<double>& x) { return std::vector<double>{2 * x[0], 0.5 * x[1], 3 * x[2]}; }},
        {"skaloff",
         [](const std::vector<double>& x) { return std::vector<double>{2 * x[0] + 1, 0.5 * x[1] - 2, 3 * x[2]}; }},
        {"linear",
         [](const std::vector<double>& x) {
             return std::vector<double>{x[0] + x[1], x[1] - x[2], 2 * x[0] + x[2]};
         }},
        {"affin",
         [](const std::vector<double>& x) {
             return std::vector<double>{x[0] + x[1] + 1, x[1] - x[2], 2 * x[0] + x[2] - 3};
         }},
        {"poly",
         [](const std::vector<double>& x) {
             return std::vector<double>{1 + x[0] * x[1], x[2] * x[2] - x[0], 2 + 0.5 * x[1] * x[1]};
         }},
    };
    for (const auto& c : cases) {
        CTargetContainer measured, reference;
        for (int k = 0; k < kPairs; ++k) {
            const std::vector<double> x{std::sin(k + 1.0), std::cos(2.0 * k), 0.1 * k * k - 0.5 * k};
            measured.AddColor(CTarget(x), "");
            reference.AddColor(CTarget(c.map(x)), "");
        }
        auto calib = Make(c.name);
        calib->SetTargetSet(measured, 0);
        calib->SetTargetSet(reference, 1);
        ASSERT_EQ(calib->CalcTransform(), 0) << c.name;
        const std::vector<double> probe{0.3, -0.7, 1.9};
        CTarget out;
        ASSERT_EQ(calib->CorrectColors(CTarget(probe), out), 0);
        const std::vector<double> expected = c.map(probe);
        for (int i = 0; i < kN; ++i)
            EXPECT_NEAR(out[i], expected[static_cast<std::size_t>(i)], 1e-9) << c.name << " " << i;
    }
}

TEST(ColCalib, BadSetsGiveAStatusAndNoTransform)
{
    CTargetContainer measured, reference, twoPairs, twoRefs, shortRef, constant, constantRef, nanSet;
    Data(measured, reference);
    for (int k = 0; k < 2; ++k) {
        twoPairs.AddColor(measured[k], "");
        twoRefs.AddColor(reference[k], "");
    }
    for (int k = 0; k < kPairs; ++k) {
        shortRef.AddColor(CTarget(2, 1.0), "");
        constant.AddColor(CTarget(std::vector<double>{1.0, 2.0, 0.0}), "");
        constantRef.AddColor(reference[k], "");
        CTarget t = measured[k];
        if (k == 3)
            t[1] = std::numeric_limits<double>::infinity();
        nanSet.AddColor(t, "");
    }
    const CTargetContainer empty;
    const struct {
        const char* what;
        const char* method;
        const CTargetContainer* set0;
        const CTargetContainer* set1;
        int status;
    } cases[] = {
        {"missing reference", "linear", &measured, nullptr, CALVORN_MISSING_SET},
        {"empty set", "linear", &measured, &empty, CALVORN_MISSING_SET},
        {"unequal counts", "linear", &measured, &twoRefs, CALVORN_UNEQUAL_SETS},
        {"unequal dimensions", "linear", &measured, &shortRef, CALVORN_UNEQUAL_SETS},
        {"too few pairs", "affin", &twoPairs, &twoRefs, CALVORN_TOO_FEW_PAIRS},
        {"rank deficient", "linear", &constant, &constantRef, CALVORN_RANK_DEFICIENT},
        {"zero channel scale", "skal", &constant, &constantRef, CALVORN_RANK_DEFICIENT},
        {"infinite value", "skal", &nanSet, &reference, CALVORN_NOT_FINITE},
    };
    for (const auto& c : cases) {
        auto calib = Make(c.method);
        calib->SetTargetSet(*c.set0, 0);
        if (c.set1)
            calib->SetTargetSet(*c.set1, 1);
        EXPECT_EQ(calib->CalcTransform(), c.status) << c.what;
        std::vector<double> t{1.0};
        calib->GetTransform(t);
        EXPECT_TRUE(t.empty()) << c.what;
        CTarget out;
        const CTarget in(std::vector<double>{1, 2, 3});
        EXPECT_NE(calib->CorrectColors(in, out), 0);
        EXPECT_EQ(out.Values(), in.Values()) << c.what;
    }
}

} // namespace
