#pragma once
// Colour formulas shared by the plug-ins. Qt-free and without dependencies.
#include <cstddef>
#include <optional>

namespace colormath {

// The constants of the formulas below: the values stored results depend on, not the exact
// mathematical ones.
inline constexpr double kPi = 3.14159265;
inline constexpr double kDegreesPerRadian = 57.29577957855229; // 180/kPi

struct Chromaticity {
    double x;
    double y;
};

// x = X/(X+Y+Z), y = Y/(X+Y+Z); none when the sum is 0 or any figure is not finite.
std::optional<Chromaticity> ToChromaticity(double X, double Y, double Z);

// CIE 1976 L*a*b* of X, Y, Z against the white Xn, Yn, Zn. A ratio whose white component is
// not positive counts as 0, so the result is always a number.
void XYZToLab(double X, double Y, double Z, double Xn, double Yn, double Zn, double& L, double& a, double& b);
// Chroma and hue angle in degrees [0, 360); h = 0 for a neutral colour.
void LabToLCh(double a, double b, double& C, double& h);
// DIN99 coordinates (DIN 6176) of an L*a*b* colour.
void LabToDIN99(double L, double a, double b, double& L99, double& a99, double& b99);
// CMC l:c colour difference of sample 2 from reference 1 (ISO 105-J03).
double DeltaECMC(double L1, double a1, double b1, double L2, double a2, double b2, double l, double c);

// Planck's law: spectral radiance at wavelength lambdaMetres and temperature kelvin,
// c1 / (lambda^5 (exp(c2 / (lambda T)) - 1)), with the radiation constants as arguments.
double Planck(double lambdaMetres, double kelvin, double c1, double c2);

// out[j] = sum over i < points of s[i] * w[i] * curves[j][i], for j < count. A null w
// counts as 1 everywhere. The order of summation is the kernel's own.
void WeightedSums(const double* s, const double* w, const double* const* curves, std::size_t count,
                  std::size_t points, double* out);
// WeightedSums without the AVX2 instructions it takes where the processor has them; the
// same sums to the bit.
void WeightedSumsWithoutAvx2(const double* s, const double* w, const double* const* curves, std::size_t count,
                             std::size_t points, double* out);

} // namespace colormath
