// Relative spectral radiance of a black body (Planck's law) on the wavelength grid.
#include "engine/color_calculator.h"

#include "engine/grid.h"

#include <cmath>

namespace {

// c1 = 2*pi*h*c^2 in W m^2, and h*c and k as the calculator has always used them
// (their quotient is c2 = 1.438215e-2 m K).
constexpr double kC1 = 3.741355772130973e-16;
constexpr double kHC = 1.986175e-25;
constexpr double kBoltzmann = 1.381e-23;

} // namespace

void ColorCalculator::BlackBodySpectrum(LSMatrix out, double T)
{
    const int n = GridPointCount();
    if (n <= 0 || MatRows(out) != n || MatCols(out) != 1)
        return;
    double largest = 0.0;
    double lambda = XStart; // accumulated, as the models sample the grid
    for (int i = 0; i < n; ++i, lambda += XStep) {
        const double m = lambda * 1e-6;
        const double value = kC1 / std::pow(m, 5) / (std::exp(kHC / (m * T * kBoltzmann)) - 1.0);
        out[i] = value;
        if (value > largest)
            largest = value;
    }
    if (!(largest > 0.0) || !std::isfinite(largest)) {
        // No positive radiance anywhere (T <= 0, or so cold that every value underflows).
        MatZero(out);
        return;
    }
    MatScale(out, out, 1.0 / largest);
}
