#include "engine/color_calculator.h"

#include "engine/color_data.h"
#include "engine/engine_log.h"
#include "engine/grid.h"

#include <colormath/colormath.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// True when the vector has n rows (one column), so that it can be summed with the tables.
bool Fits(const LSMatrix v, int n)
{
    return v != nullptr && n > 0 && MatRows(v) == n && MatCols(v) == 1;
}

bool HasObserver(const ColorData& d)
{
    return d.observer.GetCount() >= 3;
}

// X, Y, Z = sum w*x_bar, w*y_bar, w*z_bar with w = a (times b when given); 0 for vectors
// that do not fit the tables.
void WeightedXYZ(const ColorData& d, const LSMatrix a, const LSMatrix b, double& X, double& Y,
                 double& Z)
{
    X = Y = Z = 0.0;
    const int n = d.observer.PointCount;
    if (!HasObserver(d) || !Fits(a, n) || (b != nullptr && !Fits(b, n)))
        return;
    const double* curves[3] = {d.observer.GetSpectrum(0), d.observer.GetSpectrum(1),
                               d.observer.GetSpectrum(2)};
    double sums[3];
    colormath::WeightedSums(a, b, curves, 3, static_cast<std::size_t>(n), sums);
    X = sums[0];
    Y = sums[1];
    Z = sums[2];
}

} // namespace

ColorCalculator::ColorCalculator()
{
    GetColorData();
}

void ColorCalculator::GetLightXYZ(const LSMatrix S, double& X, double& Y, double& Z) const
{
    const auto d = GetColorData();
    if (!HasObserver(*d)) {
        X = Y = Z = 0.0;
        EngineLog("Die Beobachterspektren wurden nicht korrekt geladen - Die Lichtfarbe kann nicht "
                  "berechnet werden");
        return;
    }
    WeightedXYZ(*d, S, nullptr, X, Y, Z);
}

void ColorCalculator::GetObjectXYZ(const LSMatrix light, const LSMatrix reflectance, double& X,
                                   double& Y, double& Z) const
{
    X = Y = Z = 0.0;
    const auto d = GetColorData();
    if (!HasObserver(*d)) {
        EngineLog("Die Beobachterspektren wurden nicht korrekt geladen - Farbe kann nicht "
                  "berechnet werden");
        return;
    }
    WeightedXYZ(*d, light, reflectance, X, Y, Z);
}

void ColorCalculator::GetObserverAt(double lambda, double& x, double& y, double& z) const
{
    x = y = z = 0.0;
    const auto d = GetColorData();
    if (!HasObserver(*d)) {
        EngineLog("Die Beobachterspektren wurden nicht korrekt geladen - Die Lichtfarbe kann nicht "
                  "berechnet werden");
        return;
    }
    const SpectraSet& o = d->observer;
    // The grid row (lambda - XStart) / XStep, truncated toward zero: a wavelength less than a
    // step below the grid's start takes row 0. A wavelength on a grid point may come out a few
    // ulp off its index (0.555 on 0.38 + k * 0.001 gives 174.99999999999997): within the
    // tolerance, scaled by the size of the operands, it counts as that point.
    const int n = std::min(GridPointCount(), o.PointCount);
    if (n <= 0)
        return;
    double index = (lambda - XStart) / XStep;
    const double tolerance = 16.0 * std::numeric_limits<double>::epsilon()
                             * (std::fabs(index) + (std::fabs(lambda) + std::fabs(XStart)) / std::fabs(XStep));
    if (std::fabs(index - std::round(index)) <= tolerance)
        index = std::round(index);
    if (!(index > -1.0 && index < n))
        return;
    const int i = static_cast<int>(index);
    x = o.GetSpectrum(0)[i];
    y = o.GetSpectrum(1)[i];
    z = o.GetSpectrum(2)[i];
}

double ColorCalculator::GetLumen(const LSMatrix S) const
{
    const auto d = GetColorData();
    const LSMatrix V = d->luminousEfficiency.GetSpectrum(0);
    if (V == nullptr) {
        EngineLog("Die V(lambda)-Kurve wurde nicht korrekt geladen - Lumen-Werte können nicht "
                  "berechnet werden");
        return 0.0;
    }
    const int n = d->luminousEfficiency.PointCount;
    if (!Fits(S, n))
        return 0.0;
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += S[i] * V[i];
    return 683.0 * d->luminousEfficiency.XStep * sum;
}

double ColorCalculator::GetTestColourDifference(const LSMatrix testLight,
                                                const LSMatrix referenceLight,
                                                double& maxDifference) const
{
    constexpr double kNoFigure = 1e99;
    const auto d = GetColorData();
    const SpectraSet& targets = d->testColours;
    if (targets.GetCount() == 0) {
        EngineLog("Die Testfarben wurden nicht korrekt geladen - LAB-Differenz kann nicht "
                  "berechnet werden");
        maxDifference = kNoFigure;
        return kNoFigure;
    }

    // Without the observer there is no white to compare against; the reference light is not
    // to blame, so only the observer's line is logged.
    if (!HasObserver(*d)) {
        EngineLog("Die Beobachterspektren wurden nicht korrekt geladen - Farbe kann nicht "
                  "berechnet werden");
        maxDifference = kNoFigure;
        return kNoFigure;
    }

    // The reference light on a perfect white.
    double Xw = 0.0, Yw = 0.0, Zw = 0.0;
    WeightedXYZ(*d, referenceLight, nullptr, Xw, Yw, Zw);
    if (!(Yw > 1e-6 && Xw > 0.0 && Zw > 0.0) || !std::isfinite(Xw + Yw + Zw)) {
        EngineLog("Die Referenzlichtfarbe hat keinen gültigen Weißpunkt - LAB-Differenz kann "
                  "nicht berechnet werden");
        maxDifference = kNoFigure;
        return kNoFigure;
    }
    const double k = 100.0 / Yw;
    const double Xn = k * Xw, Yn = 100.0, Zn = k * Zw;

    maxDifference = 0.0;
    double sum = 0.0;
    for (int i = 0; i < targets.GetCount(); ++i) {
        const LSMatrix R = targets.GetSpectrum(i);
        double X = 0.0, Y = 0.0, Z = 0.0, Xt = 0.0, Yt = 0.0, Zt = 0.0;
        WeightedXYZ(*d, referenceLight, R, X, Y, Z);
        WeightedXYZ(*d, testLight, R, Xt, Yt, Zt);
        double L = 0.0, a = 0.0, b = 0.0, Lt = 0.0, at = 0.0, bt = 0.0;
        XYZToLab(k * X, k * Y, k * Z, Xn, Yn, Zn, L, a, b);
        XYZToLab(k * Xt, k * Yt, k * Zt, Xn, Yn, Zn, Lt, at, bt);
        const double diff = std::sqrt((a - at) * (a - at) + (b - bt) * (b - bt));
        if (diff > maxDifference)
            maxDifference = diff;
        sum += diff;
    }
    return sum / targets.GetCount();
}
