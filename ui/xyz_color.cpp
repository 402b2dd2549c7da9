#include "ui/xyz_color.h"

#include <algorithm>
#include <cmath>

XYZColor::XYZColor(double x, double y, double z) : X(x), Y(y), Z(z) {}

double XYZColor::Channel(int row) const
{
    const double* m = kMatrix[row];
    return SrgbTransfer(m[0] * X / 100.0 + m[1] * Y / 100.0 + m[2] * Z / 100.0);
}

COLORREF XYZColor::ToColorRef() const
{
    return RGB(static_cast<std::uint8_t>(ColorByte(R())), static_cast<std::uint8_t>(ColorByte(G())),
               static_cast<std::uint8_t>(ColorByte(B())));
}

double SrgbTransfer(double linear)
{
    const double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
    return std::clamp(v, 0.0, 1.0);
}

int ColorByte(double value)
{
    if (!(value > 0.0)) // also NaN
        return 0;
    return value >= 1.0 ? 255 : static_cast<int>(255.0 * value);
}
