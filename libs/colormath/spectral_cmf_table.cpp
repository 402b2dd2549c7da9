// Colour-matching values (X, Y, Z) at the 199 wavelengths 380 + 400 * i / 198 nm of the
// spectral colour table. Only the chromaticity of each triple is used, so the scale of a
// row does not matter.
//
// Entries 0, 1, 50, 99, 150 and 198 are the plot's reference rows. Every other entry is the
// CIE 1931 2-degree standard observer (the generated 1 nm table) interpolated linearly at its
// wavelength and kept to 9 significant digits, the precision the plot's colours were set with.
#include "colormath/cie_table.h"
#include "colormath/spectral_colors.h"

#include <charconv>
#include <cmath>

namespace {

struct ReferenceRow {
    int index;
    std::array<double, 3> xyz;
};

const ReferenceRow kReferenceRows[] = {
    {0, {0.0125864, 0.000359547, 0.0593785}}, // 380.00 nm
    {1, {0.0186496, 0.00053174, 0.088015}}, // 382.02 nm
    {50, {0.801264, 1.39192, 7.1002}}, // 481.01 nm
    {99, {8.48444, 8.16869, 0.0153944}}, // 580.00 nm
    {150, {0.376512, 0.13672, 0}}, // 683.03 nm
    {198, {0.000443745, 0.000160244, 0}}, // 780.00 nm
};

// value to 9 significant digits, as printf's "%.9g" writes it and a compiler reads it back.
double NineDigits(double value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 9);
    double rounded = value;
    std::from_chars(text, written.ptr, rounded);
    return rounded;
}

std::array<double, 3> Interpolated(int index)
{
    const double nm = 380 + 400.0 * index / 198;
    const double lower = std::floor(nm);
    const int at = static_cast<int>(lower) - static_cast<int>(colormath::kCie1931[0].nm);
    const colormath::CieRow& a = colormath::kCie1931[at];
    const colormath::CieRow& b = colormath::kCie1931[at + 1];
    const double f = nm - lower;
    return {NineDigits(a.x + (b.x - a.x) * f), NineDigits(a.y + (b.y - a.y) * f), NineDigits(a.z + (b.z - a.z) * f)};
}

} // namespace

const std::array<std::array<double, 3>, kSpectralColorCount>& SpectralColorMatching()
{
    static const std::array<std::array<double, 3>, kSpectralColorCount> table = [] {
        std::array<std::array<double, 3>, kSpectralColorCount> t{};
        for (int i = 0; i < kSpectralColorCount; ++i)
            t[i] = Interpolated(i);
        for (const ReferenceRow& row : kReferenceRows)
            t[row.index] = row.xyz;
        return t;
    }();
    return table;
}
