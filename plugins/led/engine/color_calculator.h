#pragma once
// Colour quantities of spectra on the global wavelength grid: tristimulus values of a light
// and of a lit object (CIE 1931 2° observer), L*a*b*, LCh, DIN99, the CMC difference, lumen,
// a black-body spectrum and a colour-rendering figure over the standard test colours.
//
// The reference tables come from the shared colour data (color_data.h), loaded on first use
// and resampled whenever the grid has changed since. A calculator is cheap to create; all
// share the same data. Spectra are N x 1 vectors, N the grid's point count; a spectrum of
// another length contributes 0 to every sum.

#include "engine/ls_matrix.h"

class ColorCalculator {
public:
    // Loads the shared colour data if no calculator has done so yet.
    ColorCalculator();
    virtual ~ColorCalculator() = default;

    // X = sum S*x_bar, Y = sum S*y_bar, Z = sum S*z_bar. 0, 0, 0 (and a log line) without
    // observer data.
    void GetLightXYZ(const LSMatrix S, double& X, double& Y, double& Z) const;
    // X = sum light*reflectance*x_bar, likewise Y and Z; the outputs are 0 when the observer
    // data are missing (with a log line).
    void GetObjectXYZ(const LSMatrix light, const LSMatrix reflectance, double& X, double& Y,
                      double& Z) const;
    // The observer values at grid row (int)((lambda - XStart) / XStep), truncated toward zero
    // (a wavelength on a grid point keeps its row despite rounding); 0, 0, 0 off the grid.
    void GetObserverAt(double lambda, double& x, double& y, double& z) const;
    // 683 * XStep * sum S*V, XStep in micrometres; 0 (and a log line) without V(lambda).
    double GetLumen(const LSMatrix S) const;

    // CIE 1976 L*a*b* of X, Y, Z against the white Xn, Yn, Zn. A ratio whose white
    // component is not positive counts as 0, so the result is always a number.
    static void XYZToLab(double X, double Y, double Z, double Xn, double Yn, double Zn,
                         double& L, double& a, double& b);
    // Chroma and hue angle in degrees [0, 360); h = 0 for a neutral colour.
    static void LabToLCh(double a, double b, double& C, double& h);
    // DIN99 coordinates (DIN 6176) of an L*a*b* colour.
    static void LabToDIN99(double L, double a, double b, double& L99, double& a99, double& b99);
    // CMC l:c colour difference of sample 2 from reference 1 (ISO 105-J03).
    static double DeltaECMC(double L1, double a1, double b1, double L2, double a2, double b2,
                            double l, double c);

    // Planck's law at temperature T (kelvin) on the grid, scaled to a maximum of 1. Leaves
    // out unchanged unless it has N rows; zeros when T gives no positive radiance.
    static void BlackBodySpectrum(LSMatrix out, double T);

    // Mean a*b* distance over the test colours between their colours under testLight and
    // under referenceLight, both against the reference light's white; the largest distance
    // goes to maxDifference. 1e99 for both (and a log line) when the test colours or the
    // observer are missing or the reference light has no usable white point.
    double GetTestColourDifference(const LSMatrix testLight, const LSMatrix referenceLight,
                                   double& maxDifference) const;
};
