// CMC l:c colour difference (Clarke, McDonald, Rigg 1984; ISO 105-J03). The weights come
// from the reference colour 1. Two boundaries differ from the standard on purpose, as the
// calculator has always computed them: hue exactly 164° or 345° takes the outer branch of
// T, and L1 = 16 takes S_L = 0.511.
#include "engine/color_calculator.h"
#include "engine/color_constants.h"

#include <algorithm>
#include <cmath>

double ColorCalculator::DeltaECMC(double L1, double a1, double b1, double L2, double a2,
                                  double b2, double l, double c)
{
    double C1 = 0.0, h1 = 0.0, C2 = 0.0, h2 = 0.0;
    LabToLCh(a1, b1, C1, h1);
    LabToLCh(a2, b2, C2, h2);

    const double C1_4 = C1 * C1 * C1 * C1;
    const double F = std::sqrt(C1_4 / (C1_4 + 1900.0));
    const double S_L = L1 > 16.0 ? 0.040975 * L1 / (1.0 + 0.01765 * L1) : 0.511;
    const double T = (h1 <= 164.0 || h1 >= 345.0)
                         ? 0.36 + std::fabs(0.4 * std::cos((h1 + 35.0) * colour::kPi / 180.0))
                         : 0.56 + std::fabs(0.2 * std::cos((h1 + 168.0) * colour::kPi / 180.0));
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
