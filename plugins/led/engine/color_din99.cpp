// DIN99 colour space (DIN 6176), computed by colormath.
#include "engine/color_calculator.h"

#include <colormath/colormath.h>

void ColorCalculator::LabToDIN99(double L, double a, double b, double& L99, double& a99,
                                 double& b99)
{
    colormath::LabToDIN99(L, a, b, L99, a99, b99);
}
