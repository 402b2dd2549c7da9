#include "colormath/colormath.h"

#include <simd/vectors.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace colormath {

namespace {

// The cube-root exponent is the twelve-digit decimal, not 1/3.
constexpr double kCubeRoot = 0.333333333333;
constexpr double kEpsilon = 0.008856; // (6/29)^3 rounded
constexpr double kKappa = 7.787;      // (29/6)^2/3 rounded
constexpr double kOffset = 0.13793103448275862; // 4/29

// t^kCubeRoot for a finite t > kEpsilon, within a few units in the last place of std::pow
// and with a shorter chain of dependent steps. t = m 2^(3q + r) with m in [1, 2): the cube
// root of u = m 2^r from a polynomial guess (relative error 3.5e-6) and one Halley step,
// times 2^q; then t^kCubeRoot = cbrt(t) t^d with d = kCubeRoot - 1/3 = -3.3e-13, where
// t^d = 1 + d ln t needs ln t only to a few digits.
double CubeRootPower(double t)
{
    constexpr double kThirdRest = 1.850371707708594e-17; // 1/3 - 1.0/3.0
    constexpr double kD = (kCubeRoot - 1.0 / 3.0) - kThirdRest;
    constexpr double kLn2 = 0.6931471805599453;
    constexpr double kCubeRootOf2[3] = {1.0, 1.2599210498948732, 1.5874010519681994};
    const auto bits = std::bit_cast<std::uint64_t>(t);
    const int e = static_cast<int>(bits >> 52) - 1023;
    const double m = std::bit_cast<double>((bits & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL);
    const int biased = e + 3 * 400; // positive, so that / and % round down
    const int q = biased / 3 - 400;
    const int r = biased % 3;
    const double u = m * static_cast<double>(1 << r);
    const double m2 = m * m;
    double c = ((0.47528706363046597 + 0.8315726911113325 * m) + m2 * (-0.4604980540199338 + 0.19708197072374245 * m)
                + m2 * m2 * (-0.04855712641820075 + 0.005116926414511295 * m))
               * kCubeRootOf2[r];
    const double c3 = c * c * c;
    c -= c * (c3 - u) / (2.0 * c3 + u); // as a correction, so that its rounding hardly counts
    c *= std::bit_cast<double>(static_cast<std::uint64_t>(q + 1023) << 52); // 2^q, exact
    const double x = m - 1.0; // ln m to 2.2e-5
    const double x2 = x * x;
    const double lnM = (2.2117031341251092e-05 + 0.9990104466289675 * x)
                       + x2 * (-0.4891568471996487 + 0.28330432451148224 * x)
                       + x2 * x2 * (-0.1301194153853915 + 0.0301026250095431 * x);
    return c + c * (kD * (e * kLn2 + lnM));
}

double LabF(double t)
{
    return t > kEpsilon ? CubeRootPower(t) : kKappa * t + kOffset;
}

// value/white, or 0 when the white component gives no finite ratio.
double Ratio(double value, double white)
{
    if (!(white > 0.0))
        return 0.0;
    const double t = value / white;
    return std::isfinite(t) ? t : 0.0;
}

} // namespace

std::optional<Chromaticity> ToChromaticity(double X, double Y, double Z)
{
    const double sum = X + Y + Z;
    if (!std::isfinite(X) || !std::isfinite(Y) || !std::isfinite(Z) || !std::isfinite(sum) || sum == 0.0)
        return std::nullopt;
    return Chromaticity{X / sum, Y / sum};
}

void XYZToLab(double X, double Y, double Z, double Xn, double Yn, double Zn, double& L, double& a, double& b)
{
    const double fx = LabF(Ratio(X, Xn));
    const double fy = LabF(Ratio(Y, Yn));
    const double fz = LabF(Ratio(Z, Zn));
    L = 116.0 * fy - 16.0;
    a = 500.0 * (fx - fy);
    b = 200.0 * (fy - fz);
}

void LabToLCh(double a, double b, double& C, double& h)
{
    C = std::sqrt(a * a + b * b);
    if (std::fabs(a) < 1e-6 && std::fabs(b) < 1e-6) {
        h = 0.0;
        return;
    }
    h = std::atan2(b, a) * kDegreesPerRadian;
    if (h < 0.0)
        h += 360.0;
}

// DIN99: L*a*b* rotated by 16°, b compressed by 0.7, chroma and lightness compressed
// logarithmically so that Euclidean distances match perceived ones.
void LabToDIN99(double L, double a, double b, double& L99, double& a99, double& b99)
{
    const double theta = 16.0 * kPi / 180.0;
    const double e = a * std::cos(theta) + b * std::sin(theta);
    const double f = 0.7 * (b * std::cos(theta) - a * std::sin(theta));
    const double G = std::sqrt(e * e + f * f);
    const double k = (std::fabs(e) > 1e-6 || std::fabs(f) > 1e-6) ? std::log(1.0 + 0.045 * G) / (0.045 * G) : 0.0;
    a99 = k * e;
    b99 = k * f;
    L99 = 105.51 * std::log(1.0 + 0.0158 * L);
}

// The weights come from the reference colour 1. Two boundaries differ from the standard on
// purpose, as stored results were computed: hue exactly 164° or 345° takes the outer branch
// of T, and L1 = 16 takes S_L = 0.511.
double DeltaECMC(double L1, double a1, double b1, double L2, double a2, double b2, double l, double c)
{
    double C1 = 0.0, h1 = 0.0, C2 = 0.0, h2 = 0.0;
    LabToLCh(a1, b1, C1, h1);
    LabToLCh(a2, b2, C2, h2);

    const double C1_4 = C1 * C1 * C1 * C1;
    const double F = std::sqrt(C1_4 / (C1_4 + 1900.0));
    const double S_L = L1 > 16.0 ? 0.040975 * L1 / (1.0 + 0.01765 * L1) : 0.511;
    const double T = (h1 <= 164.0 || h1 >= 345.0) ? 0.36 + std::fabs(0.4 * std::cos((h1 + 35.0) * kPi / 180.0))
                                                  : 0.56 + std::fabs(0.2 * std::cos((h1 + 168.0) * kPi / 180.0));
    const double S_C = 0.0638 * C1 / (1.0 + 0.0131 * C1) + 0.638;
    const double S_H = S_C * (F * T + 1.0 - F);

    const double dL = L1 - L2;
    const double dC = C1 - C2;
    const double da = a1 - a2;
    const double db = b1 - b2;
    // Rounding can leave a tiny negative remainder for colours of equal hue.
    const double dH2 = std::max(0.0, da * da + db * db - dC * dC);

    const double tL = dL / (l * S_L);
    const double tC = dC / (c * S_C);
    return std::sqrt(tL * tL + tC * tC + dH2 / (S_H * S_H));
}

double Planck(double lambdaMetres, double kelvin, double c1, double c2)
{
    const double l5 = std::pow(lambdaMetres, 5.0);
    return c1 / (l5 * std::expm1(c2 / (lambdaMetres * kelvin)));
}

namespace {

// Four lanes of partial sums per curve: independent chains of additions, held in vectors of
// four doubles with AVX2 or two of two without. The lanes, not the instruction set, fix the
// order of summation, so both give the same sums to the bit.
constexpr std::size_t kLanes = 4;
using simd::Pair;
using simd::Quad;

// Sums of s[i] * w[i] * c_j[i] for Count curves (Weighted false: w taken as 1) in one pass
// over s and w: lane l takes the points i = l mod kLanes, the lanes are added pairwise, the
// points after the last whole block one by one.
template <class Vector, std::size_t Count, bool Weighted>
[[gnu::always_inline]] inline void LaneSums(const double* s, const double* w, const double* const* curves,
                                            std::size_t points, double* out)
{
    constexpr std::size_t width = sizeof(Vector) / sizeof(double);
    constexpr std::size_t parts = kLanes / width;
    Vector acc[Count][parts] = {};
    const double* c[Count];
    for (std::size_t j = 0; j < Count; ++j)
        c[j] = curves[j];
    const std::size_t whole = points - points % kLanes;
    for (std::size_t i = 0; i < whole; i += kLanes) {
        for (std::size_t p = 0; p < parts; ++p) {
            const std::size_t at = i + p * width;
            Vector v, x;
            std::memcpy(&v, s + at, sizeof v);
            if constexpr (Weighted) {
                std::memcpy(&x, w + at, sizeof x);
                v *= x;
            }
            for (std::size_t j = 0; j < Count; ++j) {
                std::memcpy(&x, c[j] + at, sizeof x);
                acc[j][p] += v * x;
            }
        }
    }
    for (std::size_t j = 0; j < Count; ++j) {
        double lane[kLanes];
        std::memcpy(lane, acc[j], sizeof lane);
        double sum = (lane[0] + lane[2]) + (lane[1] + lane[3]);
        for (std::size_t i = whole; i < points; ++i)
            sum += (Weighted ? s[i] * w[i] : s[i]) * c[j][i];
        out[j] = sum;
    }
}

template <class Vector>
[[gnu::always_inline]] inline void AllSums(const double* s, const double* w, const double* const* curves,
                                           std::size_t count, std::size_t points, double* out)
{
    // Three curves at a time share one pass over s and w.
    std::size_t j = 0;
    for (; j + 3 <= count; j += 3) {
        if (w)
            LaneSums<Vector, 3, true>(s, w, curves + j, points, out + j);
        else
            LaneSums<Vector, 3, false>(s, w, curves + j, points, out + j);
    }
    for (; j < count; ++j) {
        if (w)
            LaneSums<Vector, 1, true>(s, w, curves + j, points, out + j);
        else
            LaneSums<Vector, 1, false>(s, w, curves + j, points, out + j);
    }
}

} // namespace

SIMD_EXACT_CLONES
void WeightedSums(const double* s, const double* w, const double* const* curves, std::size_t count,
                  std::size_t points, double* out)
{
    AllSums<Quad>(s, w, curves, count, points, out);
}

void WeightedSumsWithoutAvx2(const double* s, const double* w, const double* const* curves, std::size_t count,
                             std::size_t points, double* out)
{
    AllSums<Pair>(s, w, curves, count, points, out);
}

} // namespace colormath
