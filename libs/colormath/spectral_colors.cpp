#include "colormath/spectral_colors.h"

#include <algorithm>
#include <cmath>

SpectralRgb ChromaticityToRgb(double X, double Y, double Z)
{
    const double s = X + Y + Z;
    if (!(s != 0) || !std::isfinite(s))
        return {};
    const double x = X / s;
    const double y = Y / s;
    double Xn = 0, Yn = 0, Zn = 0;
    if (y > 0) {
        Xn = 0.33 * x / y;
        Yn = 0.33;
        Zn = 0.33 * (1 - x - y) / y;
    }
    static constexpr double M[3][3] = {
        {2.3707, -0.9, -0.4706},
        {-0.5139, 1.4253, 0.0886},
        {0.0053, -0.0147, 1.0094},
    };
    double c[3];
    for (int i = 0; i < 3; ++i) {
        const double linear = 1.1 * (M[i][0] * Xn + M[i][1] * Yn + M[i][2] * Zn);
        c[i] = 255 * std::pow(std::clamp(linear, 0.0, 1.0), 0.4);
    }
    return {c[0], c[1], c[2]};
}

const std::array<SpectralRgb, kSpectralColorCount>& SpectralColorTable()
{
    static const std::array<SpectralRgb, kSpectralColorCount> table = [] {
        std::array<SpectralRgb, kSpectralColorCount> t{};
        const auto& matching = SpectralColorMatching();
        for (int i = 0; i < kSpectralColorCount; ++i) {
            const auto& xyz = matching[i];
            t[i] = ChromaticityToRgb(xyz[0], xyz[1], xyz[2]);
        }
        return t;
    }();
    return table;
}

int SpectralColorIndex(double nm)
{
    if (!(nm >= 380 && nm <= 780))
        return -1;
    return std::min(198, static_cast<int>((nm - 380) / 400 * 198));
}
