#pragma once
// The spectral colour table of the plot's underlay (and the colours of the colour diagram's
// chromaticities): 199 colours for 380..780 nm, entry i at 380 + 400 * i / 198 nm, channels
// 0..255 as doubles.
#include <array>

inline constexpr int kSpectralColorCount = 199;

// Colour-matching (X, Y, Z) of the table's wavelengths (see spectral_cmf_table.cpp), made once.
const std::array<std::array<double, 3>, kSpectralColorCount>& SpectralColorMatching();

struct SpectralRgb {
    double r = 0;
    double g = 0;
    double b = 0;
};

// The colour of one (X, Y, Z): its chromaticity at luminance 0.33, through the plot's
// XYZ -> RGB matrix, times 1.1, clamped to 0..1, then 255 * v^0.4. Black when X + Y + Z
// or y is 0.
SpectralRgb ChromaticityToRgb(double X, double Y, double Z);

// All 199 entries, computed once.
const std::array<SpectralRgb, kSpectralColorCount>& SpectralColorTable();

// Table index of a wavelength: trunc((nm - 380) / 400 * 198), at most 198; -1 outside
// 380..780 nm.
int SpectralColorIndex(double nm);
