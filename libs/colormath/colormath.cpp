#include "colormath/colormath.h"

#include <algorithm>
#include <cmath>

namespace colormath {

namespace {

// The cube-root exponent is the twelve-digit decimal, not 1/3.
constexpr double kCubeRoot = 0.333333333333;
constexpr double kEpsilon = 0.008856; // (6/29)^3 rounded
constexpr double kKappa = 7.787;      // (29/6)^2/3 rounded
constexpr double kOffset = 0.13793103448275862; // 4/29

double LabF(double t)
{
    return t > kEpsilon ? std::pow(t, kCubeRoot) : kKappa * t + kOffset;
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

void WeightedSums(const double* s, const double* w, const double* const* curves, std::size_t count,
                  std::size_t points, double* out)
{
    // Three curves at a time share one pass over s and w.
    std::size_t j = 0;
    for (; j + 3 <= count; j += 3) {
        const double* c0 = curves[j];
        const double* c1 = curves[j + 1];
        const double* c2 = curves[j + 2];
        double s0 = 0.0, s1 = 0.0, s2 = 0.0;
        if (w) {
            for (std::size_t i = 0; i < points; ++i) {
                const double v = s[i] * w[i];
                s0 += v * c0[i];
                s1 += v * c1[i];
                s2 += v * c2[i];
            }
        } else {
            for (std::size_t i = 0; i < points; ++i) {
                s0 += s[i] * c0[i];
                s1 += s[i] * c1[i];
                s2 += s[i] * c2[i];
            }
        }
        out[j] = s0;
        out[j + 1] = s1;
        out[j + 2] = s2;
    }
    for (; j < count; ++j) {
        const double* c = curves[j];
        double sum = 0.0;
        for (std::size_t i = 0; i < points; ++i)
            sum += (w ? s[i] * w[i] : s[i]) * c[i];
        out[j] = sum;
    }
}

} // namespace colormath
