// CMC l:c colour difference (ISO 105-J03), computed by colormath.
#include "engine/color_calculator.h"

#include <colormath/colormath.h>

double ColorCalculator::DeltaECMC(double L1, double a1, double b1, double L2, double a2,
                                  double b2, double l, double c)
{
    return colormath::DeltaECMC(L1, a1, b1, L2, a2, b2, l, c);
}
