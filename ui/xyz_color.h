#pragma once
// One colour stimulus as CIE XYZ tristimulus values and its sRGB channel values after
// IEC 61966-2-1: the linear matrix on X/100, Y/100, Z/100, then the sRGB transfer curve,
// clamped to 0..1.
#include "platform/colorref.h"

#include <array>
#include <string>

class XYZColor {
public:
    XYZColor(double x, double y, double z);

    double X;
    double Y;
    double Z;
    // Reference white, equal energy.
    double Xn = 100.0;
    double Yn = 100.0;
    double Zn = 100.0;
    std::string Name;
    std::string Description;
    std::string WhiteName = "E";

    // XYZ to linear sRGB, one row per channel.
    static constexpr double kMatrix[3][3] = {
        {3.2406, -1.5372, -0.4986},
        {-0.9689, 1.8758, 0.0415},
        {0.0557, -0.204, 1.057},
    };

    // Channel values in 0..1.
    double R() const { return Channel(0); }
    double G() const { return Channel(1); }
    double B() const { return Channel(2); }
    // Red, green and blue bytes (trunc(255 v)) as 0x00BBGGRR.
    COLORREF ToColorRef() const;

private:
    double Channel(int row) const;
};

// The sRGB transfer of a linear value (linear branch up to and including 0.0031308),
// clamped to 0..1.
double SrgbTransfer(double linear);
// A colour byte from a channel value: trunc(255 v).
int ColorByte(double value);

// Colour stimuli of the visible spectrum from violet-blue (entry 0) to red (entry 132), built
// once at start-up. The automatic colouring uses entries 0..kSpectralColorsUsed-1 only.
inline constexpr int kSpectralColorsUsed = 133;
extern const std::array<XYZColor, 136> SpectralColorTable;
