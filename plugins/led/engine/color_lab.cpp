// CIE 1976 L*a*b* and its polar form LCh (CIE 15:2004, 8.2.1).
#include "engine/color_calculator.h"
#include "engine/color_constants.h"

#include <cmath>

namespace {

// The cube-root exponent is the twelve-digit decimal, not 1/3.
constexpr double kCubeRoot = 0.333333333333;
constexpr double kEpsilon = 0.008856; // (6/29)^3 rounded
constexpr double kKappa = 7.787;      // (29/6)^2/3 rounded
constexpr double kOffset = 0.13793103448275862; // 4/29

double f(double t)
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

void ColorCalculator::XYZToLab(double X, double Y, double Z, double Xn, double Yn, double Zn,
                               double& L, double& a, double& b)
{
    const double fx = f(Ratio(X, Xn));
    const double fy = f(Ratio(Y, Yn));
    const double fz = f(Ratio(Z, Zn));
    L = 116.0 * fy - 16.0;
    a = 500.0 * (fx - fy);
    b = 200.0 * (fy - fz);
}

void ColorCalculator::LabToLCh(double a, double b, double& C, double& h)
{
    C = std::sqrt(a * a + b * b);
    if (std::fabs(a) < 1e-6 && std::fabs(b) < 1e-6) {
        h = 0.0;
        return;
    }
    h = std::atan2(b, a) * colour::kDegreesPerRadian;
    if (h < 0.0)
        h += 360.0;
}
