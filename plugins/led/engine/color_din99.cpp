// DIN99 colour space (DIN 6176): L*a*b* rotated by 16°, b compressed by 0.7, and chroma and
// lightness compressed logarithmically so that Euclidean distances match perceived ones.
#include "engine/color_calculator.h"
#include "engine/color_constants.h"

#include <cmath>

void ColorCalculator::LabToDIN99(double L, double a, double b, double& L99, double& a99,
                                 double& b99)
{
    const double theta = 16.0 * colour::kPi / 180.0;
    const double e = a * std::cos(theta) + b * std::sin(theta);
    const double f = 0.7 * (b * std::cos(theta) - a * std::sin(theta));
    const double G = std::sqrt(e * e + f * f);
    const double k =
        (std::fabs(e) > 1e-6 || std::fabs(f) > 1e-6) ? std::log(1.0 + 0.045 * G) / (0.045 * G) : 0.0;
    a99 = k * e;
    b99 = k * f;
    L99 = 105.51 * std::log(1.0 + 0.0158 * L);
}
