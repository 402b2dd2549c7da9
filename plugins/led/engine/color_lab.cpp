// CIE 1976 L*a*b* and its polar form LCh (CIE 15:2004, 8.2.1), computed by colormath.
#include "engine/color_calculator.h"

#include <colormath/colormath.h>

void ColorCalculator::XYZToLab(double X, double Y, double Z, double Xn, double Yn, double Zn,
                               double& L, double& a, double& b)
{
    colormath::XYZToLab(X, Y, Z, Xn, Yn, Zn, L, a, b);
}

void ColorCalculator::LabToLCh(double a, double b, double& C, double& h)
{
    colormath::LabToLCh(a, b, C, h);
}
