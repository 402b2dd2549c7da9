#include "file_test_support.h"

#include "engine/color_calculator.h"
#include "engine/color_data.h"
#include "engine/grid.h"
#include "engine/spectra_set.h"

#include <QCryptographicHash>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iomanip>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------------------------
// Pure formulas

TEST(ColourFormulas, LabOfWhiteAndBranches)
{
    double L, a, b;
    ColorCalculator::XYZToLab(95.047, 100.0, 108.883, 95.047, 100.0, 108.883, L, a, b);
    EXPECT_NEAR(L, 100.0, 1e-9); // the exponent 0.333333333333 leaves a trace only below 1e-9
    EXPECT_DOUBLE_EQ(a, 0.0);
    EXPECT_DOUBLE_EQ(b, 0.0);

    // Y/Yn = 0.008856 exactly takes the linear branch: 116*(7.787 t + 4/29) - 16.
    ColorCalculator::XYZToLab(1.0, 0.008856, 1.0, 1.0, 1.0, 1.0, L, a, b);
    EXPECT_DOUBLE_EQ(L, 116.0 * (7.787 * 0.008856 + 0.13793103448275862) - 16.0);
    // Above it the cube-root branch: L* of Y/Yn = 0.2 is 51.8372.
    ColorCalculator::XYZToLab(20.0, 20.0, 20.0, 100.0, 100.0, 100.0, L, a, b);
    EXPECT_NEAR(L, 51.8372, 1e-4);
}

TEST(ColourFormulas, LabIsAlwaysANumber)
{
    // A deep-red white has Zn = 0 (z_bar is 0 from 650 nm); black has all three 0.
    const struct {
        const char* name;
        double X, Y, Z, Xn, Yn, Zn;
    } cases[] = {
        {"Zn = 0", 10, 5, 0, 20, 10, 0},
        {"black white", 1, 1, 1, 0, 0, 0},
        {"negative white", 1, 1, 1, -1, -1, -1},
        {"NaN sample", kNaN, 1, 1, 1, 1, 1},
        {"negative sample", -5, -5, -5, 1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double L = kNaN, a = kNaN, b = kNaN;
        ColorCalculator::XYZToLab(c.X, c.Y, c.Z, c.Xn, c.Yn, c.Zn, L, a, b);
        EXPECT_TRUE(std::isfinite(L) && std::isfinite(a) && std::isfinite(b));
    }
}

TEST(ColourFormulas, LCh)
{
    double C, h;
    ColorCalculator::LabToLCh(0.0, -1.0, C, h);
    EXPECT_DOUBLE_EQ(C, 1.0);
    EXPECT_NEAR(h, 269.99999989716, 1e-9); // the factor is 180/3.14159265
    ColorCalculator::LabToLCh(0.0, 0.0, C, h);
    EXPECT_EQ(C, 0.0);
    EXPECT_EQ(h, 0.0);
    ColorCalculator::LabToLCh(-3.0, 4.0, C, h);
    EXPECT_DOUBLE_EQ(C, 5.0);
    EXPECT_NEAR(h, 126.869897645844, 1e-6);
}

// DIN 6176 with the exact pi, as the reference for the calculator's version.
void Din99Reference(double L, double a, double b, double& L99, double& a99, double& b99)
{
    const double t = 16.0 * std::numbers::pi / 180.0;
    const double e = a * std::cos(t) + b * std::sin(t);
    const double f = 0.7 * (-a * std::sin(t) + b * std::cos(t));
    const double G = std::hypot(e, f);
    const double C99 = std::log(1.0 + 0.045 * G) / 0.045;
    const double h = std::atan2(f, e);
    L99 = 105.51 * std::log(1.0 + 0.0158 * L);
    a99 = C99 * std::cos(h);
    b99 = C99 * std::sin(h);
}

TEST(ColourFormulas, Din99)
{
    const struct {
        double L, a, b, L99, a99, b99;
    } published[] = {
        {41.52787529, 52.63858304, 26.92317922, 53.228724, 28.416347, 3.898396},
        {50.0, 20.0, -30.0, 61.429570, 7.218966, -15.843489},
        {0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
    };
    for (const auto& c : published) {
        SCOPED_TRACE(c.L);
        double L99, a99, b99;
        ColorCalculator::LabToDIN99(c.L, c.a, c.b, L99, a99, b99);
        EXPECT_NEAR(L99, c.L99, 1e-6);
        EXPECT_NEAR(a99, c.a99, 1e-6);
        EXPECT_NEAR(b99, c.b99, 1e-6);
    }
    // Around the hue circle and up to high chroma, against the standard's own form.
    for (double hue = 5.0; hue < 360.0; hue += 37.0)
        for (double chroma : {0.5, 12.0, 80.0, 150.0}) {
            const double a = chroma * std::cos(hue * std::numbers::pi / 180.0);
            const double b = chroma * std::sin(hue * std::numbers::pi / 180.0);
            double L99, a99, b99, rL, ra, rb;
            ColorCalculator::LabToDIN99(63.0, a, b, L99, a99, b99);
            Din99Reference(63.0, a, b, rL, ra, rb);
            EXPECT_NEAR(L99, rL, 1e-9);
            EXPECT_NEAR(a99, ra, 1e-6) << hue << " " << chroma;
            EXPECT_NEAR(b99, rb, 1e-6) << hue << " " << chroma;
        }
}

// CMC l:c as ISO 105-J03 writes it (exact pi, 164 <= h <= 345 inner branch, L < 16 -> 0.511).
double CmcStandard(double L1, double a1, double b1, double L2, double a2, double b2, double l, double c)
{
    const double C1 = std::hypot(a1, b1), C2 = std::hypot(a2, b2);
    double h1 = std::atan2(b1, a1) * 180.0 / std::numbers::pi;
    if (h1 < 0)
        h1 += 360.0;
    const double F = std::sqrt(std::pow(C1, 4) / (std::pow(C1, 4) + 1900.0));
    const double T = (h1 >= 164.0 && h1 <= 345.0)
                         ? 0.56 + std::fabs(0.2 * std::cos((h1 + 168.0) * std::numbers::pi / 180.0))
                         : 0.36 + std::fabs(0.4 * std::cos((h1 + 35.0) * std::numbers::pi / 180.0));
    const double SL = L1 < 16.0 ? 0.511 : 0.040975 * L1 / (1.0 + 0.01765 * L1);
    const double SC = 0.0638 * C1 / (1.0 + 0.0131 * C1) + 0.638;
    const double SH = SC * (F * T + 1.0 - F);
    const double dL = L1 - L2, dC = C1 - C2;
    const double dH2 = (a1 - a2) * (a1 - a2) + (b1 - b2) * (b1 - b2) - dC * dC;
    return std::sqrt(std::pow(dL / (l * SL), 2) + std::pow(dC / (c * SC), 2) + dH2 / (SH * SH));
}

TEST(ColourFormulas, CmcPublishedPairs)
{
    const struct {
        double L1, a1, b1, L2, a2, b2, l, c, dE;
    } cases[] = {
        {100, 21.57210357, 272.2281935, 100, 426.67945353, 72.39590835, 2, 1, 172.704771},
        {100, 21.57210357, 272.2281935, 100, 426.67945353, 72.39590835, 1, 1, 172.704771},
        {50, 2.6772, -79.7751, 50, 0, -82.7485, 2, 1, 1.738736},
        {50, 0, -82.7485, 50, 2.6772, -79.7751, 2, 1, 1.701406}, // weights from colour 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dE);
        EXPECT_NEAR(ColorCalculator::DeltaECMC(c.L1, c.a1, c.b1, c.L2, c.a2, c.b2, c.l, c.c), c.dE, 1e-6);
    }
    EXPECT_EQ(ColorCalculator::DeltaECMC(40, 10, 10, 40, 10, 10, 2, 1), 0.0);
}

TEST(ColourFormulas, CmcAgreesWithTheStandardAwayFromTheBoundaries)
{
    for (double hue : {10.0, 100.0, 163.0, 165.0, 250.0, 344.0, 346.0})
        for (double L1 : {8.0, 15.0, 17.0, 70.0})
            for (double l : {1.0, 2.0}) {
                const double a1 = 30 * std::cos(hue * std::numbers::pi / 180), b1 = 30 * std::sin(hue * std::numbers::pi / 180);
                const double dE = ColorCalculator::DeltaECMC(L1, a1, b1, L1 + 3, a1 - 2, b1 + 4, l, 1.0);
                EXPECT_NEAR(dE, CmcStandard(L1, a1, b1, L1 + 3, a1 - 2, b1 + 4, l, 1.0), 1e-6 * dE)
                    << "h " << hue << " L " << L1;
            }
}

// Lab values whose hue, as the calculator computes it, is exactly target degrees.
void LabAtHue(double target, double& a, double& b)
{
    const double r = (target > 180.0 ? target - 360.0 : target) / 57.29577957855229;
    a = 40.0 * std::cos(r);
    b = 40.0 * std::sin(r);
}

TEST(ColourFormulas, CmcKeepsItsOwnBoundaries)
{
    // At exactly 164° and 345° the calculator takes T = 0.36 + |0.4 cos(h + 35°)|, where the
    // standard takes the inner branch; at L1 = 16 it takes S_L = 0.511.
    for (double hue : {164.0, 345.0}) {
        SCOPED_TRACE(hue);
        double a1, b1, C, h;
        LabAtHue(hue, a1, b1);
        ColorCalculator::LabToLCh(a1, b1, C, h);
        ASSERT_EQ(h, hue);
        const double a2 = a1 + 3.0, b2 = b1 - 2.0; // a hue difference only matters through S_H
        const double F = std::sqrt(std::pow(C, 4) / (std::pow(C, 4) + 1900.0));
        const double SC = 0.0638 * C / (1.0 + 0.0131 * C) + 0.638;
        const double dC = C - std::hypot(a2, b2);
        const double dH2 = 9.0 + 4.0 - dC * dC;
        auto withT = [&](double T) {
            const double SH = SC * (F * T + 1.0 - F);
            return std::sqrt(std::pow(dC / SC, 2) + dH2 / (SH * SH));
        };
        const double outer = withT(0.36 + std::fabs(0.4 * std::cos((h + 35.0) * 3.14159265 / 180.0)));
        const double inner = withT(0.56 + std::fabs(0.2 * std::cos((h + 168.0) * 3.14159265 / 180.0)));
        const double dE = ColorCalculator::DeltaECMC(50, a1, b1, 50, a2, b2, 2, 1);
        EXPECT_NEAR(dE, outer, 1e-9);
        EXPECT_GT(std::fabs(dE - inner), 1e-4);
    }
    const double dE16 = ColorCalculator::DeltaECMC(16, 0, 0, 14, 0, 0, 1, 1);
    EXPECT_DOUBLE_EQ(dE16, 2.0 / 0.511);
    EXPECT_GT(std::fabs(dE16 - CmcStandard(16, 0, 0, 14, 0, 0, 1, 1)), 1e-4);
}

// ---------------------------------------------------------------------------------------------
// Reference data through the calculator

struct ColourValues {
    double d65x, d65y;      // chromaticity of D65
    double L, a, b;         // TCS01 under D65, white = D65
    double bbx, bby;        // chromaticity of the black body at 2856 K
    double lumenOfOne;      // GetLumen of S = 1
};

// The shipped files read as the plug-in reads them, on the grid in force.
ColourValues ComputeValues()
{
    ColourValues v{};
    const int n = GridPointCount();
    ColorCalculator cc;
    SpectraSet d65(ShippedColourDataFolder() + "/D65.txt");
    SpectraSet targets(ShippedColourDataFolder() + "/StdTargets.txt");
    EXPECT_EQ(d65.GetCount(), 1);
    EXPECT_EQ(targets.GetCount(), 14);
    const LSMatrix D65 = d65.GetSpectrum(0);
    const LSMatrix tcs01 = targets.FindSpectrum("TCS01");
    if (D65 == nullptr || tcs01 == nullptr)
        return v;

    double X, Y, Z;
    cc.GetLightXYZ(D65, X, Y, Z);
    v.d65x = X / (X + Y + Z);
    v.d65y = Y / (X + Y + Z);

    LSMatrixHandle one(n, 1);
    MatFill(one, 1.0);
    double Xw, Yw, Zw;
    cc.GetObjectXYZ(D65, one, Xw, Yw, Zw);
    cc.GetObjectXYZ(D65, tcs01, X, Y, Z);
    ColorCalculator::XYZToLab(X, Y, Z, Xw, Yw, Zw, v.L, v.a, v.b);

    LSMatrixHandle bb(n, 1);
    ColorCalculator::BlackBodySpectrum(bb, 2856.0);
    cc.GetLightXYZ(bb, X, Y, Z);
    v.bbx = X / (X + Y + Z);
    v.bby = Y / (X + Y + Z);

    v.lumenOfOne = cc.GetLumen(one);
    return v;
}

class ColourCheckValues : public ShippedColourData {};

TEST_F(ColourCheckValues, OnBothGrids)
{
    const struct {
        const char* name;
        double start, end, step;
        ColourValues expected;
    } grids[] = {
        {"380-780 nm / 5 nm", 0.38, 0.78, 0.005,
         {0.31272, 0.32903, 61.467, 17.490, 11.895, 0.44745, 0.40741, 72.9831}},
        {"initial 400-750 nm / 2 nm", 0.4, 0.75, 0.002,
         {0.31289, 0.32941, 61.470, 17.486, 11.906, 0.44751, 0.40752, 72.9802}},
    };
    for (const auto& g : grids) {
        SCOPED_TRACE(g.name);
        GridScope grid(g.start, g.end, g.step);
        const ColourValues v = ComputeValues();
        EXPECT_NEAR(v.d65x, g.expected.d65x, 2e-5);
        EXPECT_NEAR(v.d65y, g.expected.d65y, 2e-5);
        EXPECT_NEAR(v.L, g.expected.L, 2e-3);
        EXPECT_NEAR(v.a, g.expected.a, 2e-3);
        EXPECT_NEAR(v.b, g.expected.b, 2e-3);
        EXPECT_NEAR(v.bbx, g.expected.bbx, 2e-5);
        EXPECT_NEAR(v.bby, g.expected.bby, 2e-5);
        EXPECT_NEAR(v.lumenOfOne, g.expected.lumenOfOne, 1e-4);
    }
}

TEST_F(ColourCheckValues, LumenAndBlackBodyOnTheInitialGrid)
{
    ASSERT_EQ(GridPointCount(), 176);
    ColorCalculator cc;
    SpectraSet vl(ShippedColourDataFolder() + "/VLambda.txt");
    ASSERT_EQ(vl.GetCount(), 1);
    const LSMatrix V = vl.GetSpectrum(0);
    EXPECT_NEAR(cc.GetLumen(V), 52.7296, 1e-4);
    EXPECT_NEAR(cc.GetLumen(V), 683 * 0.002 * MatDot(V, V), 1e-9);

    LSMatrixHandle bb(176, 1);
    for (const auto& [T, peak] : {std::pair{6500.0, 23}, std::pair{3000.0, 175}}) {
        SCOPED_TRACE(T);
        MatFill(bb, -1.0);
        ColorCalculator::BlackBodySpectrum(bb, T);
        int argmax = 0;
        for (int i = 0; i < 176; ++i) {
            EXPECT_GT(bb[i], 0.0);
            if (bb[i] > bb[argmax])
                argmax = i;
        }
        EXPECT_EQ(argmax, peak); // 0.446 µm and the last point, 0.75 µm
        EXPECT_EQ(bb[argmax], 1.0);
    }
}

TEST_F(ColourCheckValues, ObserverAtTakesTheGridRowTruncatedTowardZero)
{
    // A wavelength between two grid points takes the row below it, however close it is to
    // the next one; a wavelength on a grid point takes that point's row, also where the
    // division comes out a few ulp off ((0.555 - 0.38) / 0.001 is 174.99999999999997).
    const struct {
        double start, end, step;
    } grids[] = {{0.38, 0.78, 0.001}, {0.38, 0.78, 0.005}, {0.4, 0.7005, 0.00001}, {0.36, 0.83, 0.002}};
    ColorCalculator cc;
    for (const auto& g : grids) {
        SCOPED_TRACE(g.step);
        GridScope grid(g.start, g.end, g.step);
        const auto data = GetColorData();
        const SpectraSet& o = data->observer;
        ASSERT_GE(o.GetCount(), 3);
        const int n = o.PointCount;
        ASSERT_GT(n, 10);
        int wrong = 0;
        std::string first;
        auto check = [&](double lambda, int row) {
            double x = 7, y = 7, z = 7;
            cc.GetObserverAt(lambda, x, y, z);
            if (x == o.GetSpectrum(0)[row] && y == o.GetSpectrum(1)[row] && z == o.GetSpectrum(2)[row])
                return;
            if (wrong++ == 0) {
                std::ostringstream text;
                text << std::setprecision(17) << lambda << " is not row " << row;
                first = text.str();
            }
        };
        for (int i = 0; i < n; ++i) {
            // On the point as the grid computes it, and as a decimal wavelength would be typed.
            check(o.XStart + i * o.XStep, i);
            check(std::round((g.start + i * g.step) * 1e7) / 1e7, i);
            if (i + 1 < n) {
                check(o.XStart + (i + 0.5) * o.XStep, i);
                check(o.XStart + (i + 0.999) * o.XStep, i);
            }
        }
        EXPECT_EQ(wrong, 0) << first;
        // The row below differs from the nearest one: 0.555 + 0.6 steps is row 175, not 176.
        if (g.step == 0.001) {
            double y = 0;
            double x, z;
            cc.GetObserverAt(0.5556, x, y, z);
            EXPECT_EQ(y, 1.0);
        }
    }

    GridScope grid(0.38, 0.78, 0.001);
    double x, y, z;
    cc.GetObserverAt(0.555, x, y, z);
    EXPECT_EQ(y, 1.0);
    EXPECT_NEAR(x, 0.5120501, 1e-7);
    // The row is truncated toward zero: less than a step before the first point is row 0,
    // as less than a step beyond the last point is the last row; a whole step out is nothing.
    const auto data = GetColorData();
    const SpectraSet& o = data->observer;
    const struct {
        double lambda;
        int row; // -1: nothing
    } rows[] = {
        {0.38, 0}, {0.3795, 0}, {0.37901, 0}, {0.379, -1}, {0.3789, -1}, {0.7806, 400},
        {0.78, 400}, {0.781, -1}, {0.7811, -1}, {-1.0, -1}, {kNaN, -1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.lambda);
        x = y = z = 7.0;
        cc.GetObserverAt(r.lambda, x, y, z);
        if (r.row < 0) {
            EXPECT_EQ(x + y + z, 0.0);
        } else {
            EXPECT_EQ(x, o.GetSpectrum(0)[r.row]);
            EXPECT_EQ(y, o.GetSpectrum(1)[r.row]);
            EXPECT_EQ(z, o.GetSpectrum(2)[r.row]);
        }
    }
}

TEST(ColourBlackBody, FineGridGetsExactlyItsRows)
{
    // Accumulating 0.00001 to 0.7005 gives one step more than the 30051 points while
    // lambda <= XEnd + 0.00001; only the grid's rows are written (ASan watches the end).
    GridScope grid(0.4, 0.7005, 0.00001);
    ASSERT_EQ(GridPointCount(), 30051);
    LSMatrixHandle bb(30051, 1);
    ColorCalculator::BlackBodySpectrum(bb, 5000.0);
    EXPECT_GT(bb[30050], 0.0);

    LSMatrixHandle wrong(30050, 1);
    MatFill(wrong, 3.0);
    ColorCalculator::BlackBodySpectrum(wrong, 5000.0);
    EXPECT_EQ(MatSum(wrong), 3.0 * 30050);
}

TEST(ColourBlackBody, NoRadianceGivesZeros)
{
    LSMatrixHandle bb(GridPointCount(), 1);
    for (double T : {0.0, -300.0, 1.0}) {
        SCOPED_TRACE(T);
        MatFill(bb, 5.0);
        ColorCalculator::BlackBodySpectrum(bb, T);
        EXPECT_EQ(MatSumOfSquares(bb), 0.0);
    }
}

class ColourGridChange : public ShippedColourData {};

TEST_F(ColourGridChange, TablesFollowTheGridInForce)
{
    // Values computed after a grid change equal those of a fresh start on that grid.
    ColourValues fresh;
    {
        GridScope grid(0.38, 0.78, 0.005);
        fresh = ComputeValues();
    }
    ResetColorData();
    ASSERT_TRUE(SetColorDataFolder(ShippedColourDataFolder()));
    const ColourValues initial = ComputeValues(); // loads on the initial 176-point grid
    ColourValues changed;
    {
        GridScope grid(0.38, 0.78, 0.005);
        changed = ComputeValues();
    }
    EXPECT_DOUBLE_EQ(changed.d65x, fresh.d65x);
    EXPECT_DOUBLE_EQ(changed.L, fresh.L);
    EXPECT_DOUBLE_EQ(changed.a, fresh.a);
    EXPECT_DOUBLE_EQ(changed.lumenOfOne, fresh.lumenOfOne);
    EXPECT_NE(changed.a, initial.a);
    // And back: the initial grid gives its own values again.
    EXPECT_DOUBLE_EQ(ComputeValues().a, initial.a);
}

TEST_F(ColourGridChange, LongerGridReadsNoFurtherThanItsTables)
{
    ColorCalculator cc; // loads on the initial grid
    GridScope grid(0.36, 0.83, 0.0005); // 941 points, beyond every table's end
    LSMatrixHandle one(GridPointCount(), 1);
    MatFill(one, 1.0);
    double X, Y, Z;
    cc.GetLightXYZ(one, X, Y, Z);
    EXPECT_NEAR(Y, 2.0 * 106.8569171, 0.01); // ∫V at 0.5 nm steps, linear between the 1 nm rows
    LSMatrixHandle shorter(GridPointCount() - 1, 1);
    MatFill(shorter, 1.0);
    cc.GetLightXYZ(shorter, X, Y, Z); // a spectrum of another length contributes 0
    EXPECT_EQ(X + Y + Z, 0.0);
    EXPECT_EQ(cc.GetLumen(shorter), 0.0);
}

// ---------------------------------------------------------------------------------------------
// Test-colour figure

class TestColourFigure : public ShippedColourData {
protected:
    void SetUp() override
    {
        ShippedColourData::SetUp();
        d65 = std::make_unique<SpectraSet>(ShippedColourDataFolder() + "/D65.txt");
        ASSERT_EQ(d65->GetCount(), 1);
    }
    LSMatrix D65() const { return d65->GetSpectrum(0); }
    std::unique_ptr<SpectraSet> d65;
};

TEST_F(TestColourFigure, LightAgainstItself)
{
    ColorCalculator cc;
    double maxDiff = -1.0;
    EXPECT_EQ(cc.GetTestColourDifference(D65(), D65(), maxDiff), 0.0);
    EXPECT_EQ(maxDiff, 0.0);

    // A brighter copy is not a match: both lights are seen against the reference white.
    LSMatrixHandle brighter(GridPointCount(), 1);
    MatScale(brighter, D65(), 2.0);
    const double figure = cc.GetTestColourDifference(brighter, D65(), maxDiff);
    EXPECT_GT(figure, 1.0);
    EXPECT_GE(maxDiff, figure);
}

TEST_F(TestColourFigure, IsTheMeanAbDistanceOverTheSamples)
{
    ColorCalculator cc;
    const int n = GridPointCount();
    LSMatrixHandle bb(n, 1);
    ColorCalculator::BlackBodySpectrum(bb, 3000.0);
    SpectraSet targets(ShippedColourDataFolder() + "/StdTargets.txt");
    ASSERT_EQ(targets.GetCount(), 14);

    LSMatrixHandle one(n, 1);
    MatFill(one, 1.0);
    double Xw, Yw, Zw;
    cc.GetObjectXYZ(D65(), one, Xw, Yw, Zw);
    const double k = 100.0 / Yw;
    double sum = 0.0, largest = 0.0;
    for (int i = 0; i < 14; ++i) {
        double X, Y, Z, Xt, Yt, Zt, L, a, b, Lt, at, bt;
        cc.GetObjectXYZ(D65(), targets.GetSpectrum(i), X, Y, Z);
        cc.GetObjectXYZ(bb, targets.GetSpectrum(i), Xt, Yt, Zt);
        ColorCalculator::XYZToLab(k * X, k * Y, k * Z, k * Xw, 100, k * Zw, L, a, b);
        ColorCalculator::XYZToLab(k * Xt, k * Yt, k * Zt, k * Xw, 100, k * Zw, Lt, at, bt);
        const double d = std::hypot(a - at, b - bt);
        sum += d;
        largest = std::max(largest, d);
    }
    double maxDiff = 0.0;
    EXPECT_NEAR(cc.GetTestColourDifference(bb, D65(), maxDiff), sum / 14, 1e-9);
    EXPECT_NEAR(maxDiff, largest, 1e-9);
    EXPECT_GT(maxDiff, sum / 14);
}

TEST_F(TestColourFigure, ReferenceWithoutUsableWhite)
{
    ColorCalculator cc;
    const int n = GridPointCount();
    LSMatrixHandle black(n, 1), deepRed(n, 1), dim(n, 1), negative(n, 1);
    MatZero(black);
    MatZero(deepRed);
    for (int i = 0; i < n; ++i)
        if (XStart + i * XStep > 0.66)
            deepRed[i] = 1.0; // z_bar is 0 here: Zw = 0
    MatFill(dim, 1e-12);
    MatFill(negative, -1.0);
    const struct {
        const char* name;
        LSMatrix light;
    } cases[] = {{"black", black}, {"deep red", deepRed}, {"dim", dim}, {"negative", negative}};
    LogScope log;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double maxDiff = 0.0;
        EXPECT_EQ(cc.GetTestColourDifference(D65(), c.light, maxDiff), 1e99);
        EXPECT_EQ(maxDiff, 1e99);
        EXPECT_EQ(log.Take(), Lines{"Die Referenzlichtfarbe hat keinen gültigen Weißpunkt - LAB-Differenz kann "
                                    "nicht berechnet werden"});
    }
    // The same lights under test against a good reference give numbers.
    double maxDiff = 0.0;
    EXPECT_LT(cc.GetTestColourDifference(deepRed, D65(), maxDiff), 1e3);
    EXPECT_TRUE(std::isfinite(maxDiff));
    EXPECT_EQ(log.Take(), Lines{});
}

// ---------------------------------------------------------------------------------------------
// Missing data

class ColourWithoutData : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetColorData();
        ASSERT_TRUE(SetColorDataFolder(empty.path()));
    }
    void TearDown() override { ResetColorData(); }
    TempFolder empty;
    LogScope log; // the data load on first use logs too
};

const char* const kNoObserverLight =
    "Die Beobachterspektren wurden nicht korrekt geladen - Die Lichtfarbe kann nicht berechnet werden";
const char* const kNoObserverColour =
    "Die Beobachterspektren wurden nicht korrekt geladen - Farbe kann nicht berechnet werden";

TEST_F(ColourWithoutData, FunctionsGiveTheirFailureValues)
{
    ColorCalculator cc;
    const Lines opening = {"Lade Spektren...", "Öffne Datei..."};
    Lines loading;
    for (const char* failure : {"Konnte Standard-Beobachter-Spektren in 'CIEObserver.txt' nicht laden.",
                                "Konnte Standard-Licht in 'D65.txt' nicht laden.",
                                "Konnte V-(lambda)-Kurve in 'VLambda.txt' nicht laden.",
                                "Konnte Test-Targets in 'StdTargets.txt' nicht laden."}) {
        loading.insert(loading.end(), opening.begin(), opening.end());
        loading.push_back(failure);
    }
    EXPECT_EQ(log.Take(), loading);
    ColorCalculator again; // loaded once per process
    EXPECT_EQ(log.Take(), Lines{});

    EXPECT_FALSE(SetColorDataFolder(ShippedColourDataFolder())); // too late: already loaded
    LSMatrixHandle light(GridPointCount(), 1);
    MatFill(light, 1.0);
    double X = 9, Y = 9, Z = 9;
    cc.GetLightXYZ(light, X, Y, Z);
    EXPECT_EQ(X + Y + Z, 0.0);
    EXPECT_EQ(log.Take(), Lines{kNoObserverLight});
    X = Y = Z = 9;
    cc.GetObjectXYZ(light, light, X, Y, Z); // outputs are zeroed, not left as they were
    EXPECT_EQ(X + Y + Z, 0.0);
    EXPECT_EQ(log.Take(), Lines{kNoObserverColour});
    X = Y = Z = 9;
    cc.GetObserverAt(0.5, X, Y, Z);
    EXPECT_EQ(X + Y + Z, 0.0);
    EXPECT_EQ(log.Take(), Lines{kNoObserverLight});
    EXPECT_EQ(cc.GetLumen(light), 0.0);
    EXPECT_EQ(log.Take(), Lines{"Die V(lambda)-Kurve wurde nicht korrekt geladen - Lumen-Werte können nicht "
                                "berechnet werden"});
    double maxDiff = 0.0;
    EXPECT_EQ(cc.GetTestColourDifference(light, light, maxDiff), 1e99);
    EXPECT_EQ(maxDiff, 1e99);
    EXPECT_EQ(log.Take(), Lines{"Die Testfarben wurden nicht korrekt geladen - LAB-Differenz kann nicht "
                                "berechnet werden"});
}

TEST_F(ColourWithoutData, OnlyTheObserverMissing)
{
    // Test colours present, observer missing: a black white, not a perfect match.
    std::filesystem::copy_file(ShippedColourDataFolder() + "/StdTargets.txt", empty.file("StdTargets.txt"));
    ColorCalculator cc;
    log.Take();
    LSMatrixHandle light(GridPointCount(), 1);
    MatFill(light, 1.0);
    double maxDiff = 0.0;
    EXPECT_EQ(cc.GetTestColourDifference(light, light, maxDiff), 1e99);
    EXPECT_EQ(maxDiff, 1e99);
    // The missing observer is the cause; the reference light is not to blame.
    EXPECT_EQ(log.Take(), Lines{kNoObserverColour});
}

TEST(ColourDataFolder, DefaultsToTheBinarysFolder)
{
    ResetColorData();
    // The tests are linked statically with the engine, so the binary is the test program.
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
    EXPECT_EQ(GetColorDataFolder(), self.parent_path().string());
    ASSERT_TRUE(SetColorDataFolder("/somewhere/else"));
    EXPECT_EQ(GetColorDataFolder(), "/somewhere/else");
    ResetColorData();
    EXPECT_EQ(GetColorDataFolder(), self.parent_path().string());
}

// ---------------------------------------------------------------------------------------------
// Shipped data files

TEST(ColourDataFiles, CsvTablesMatchTheReadmeChecksums)
{
    const std::string folder = std::string(ORVANTA_SOURCE_DIR) + "/data/cie";
    std::ifstream readme(folder + "/README.md");
    ASSERT_TRUE(readme.good());
    // Lines of the form "<64 hex digits>  <name>.csv", as sha256sum writes them.
    int checked = 0;
    std::string line;
    while (std::getline(readme, line)) {
        if (line.size() < 70 || line.compare(64, 2, "  ") != 0 || !line.ends_with(".csv"))
            continue;
        const std::string digest = line.substr(0, 64);
        const std::string name = line.substr(66);
        if (digest.find_first_not_of("0123456789abcdef") != std::string::npos)
            continue;
        SCOPED_TRACE(name);
        QFile f(QString::fromStdString(folder + "/" + name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray hash = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
        EXPECT_EQ(hash.toHex().toStdString(), digest);
        ++checked;
    }
    EXPECT_EQ(checked, 7);
}

TEST(ColourDataFiles, BuiltOnEachTablesOwnGrid)
{
    const struct {
        const char* file;
        int count, points;
        double start, end, step;
        const char* first;
        const char* last;
    } files[] = {
        {"CIEObserver.txt", 3, 471, 0.36, 0.83, 0.001, "x_bar", "z_bar"},
        {"D65.txt", 1, 97, 0.3, 0.78, 0.005, "D65", "D65"},
        {"VLambda.txt", 1, 471, 0.36, 0.83, 0.001, "V", "V"},
        {"StdTargets.txt", 14, 95, 0.36, 0.83, 0.005, "TCS01", "TCS14"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        SpectraSet set;
        ASSERT_TRUE(set.LoadFromFileOnFileGrid(ShippedColourDataFolder() + "/" + f.file));
        EXPECT_EQ(set.GetCount(), f.count);
        EXPECT_EQ(set.PointCount, f.points);
        EXPECT_DOUBLE_EQ(set.XStart, f.start);
        EXPECT_DOUBLE_EQ(set.XEnd, f.end);
        EXPECT_DOUBLE_EQ(set.XStep, f.step);
        EXPECT_EQ(set.GetName(0), f.first);
        EXPECT_EQ(set.GetName(f.count - 1), f.last);
    }
    EXPECT_TRUE(std::filesystem::exists(ShippedColourDataFolder() + "/CIE-README.md"));
}

} // namespace
