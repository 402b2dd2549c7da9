#pragma once
// Automatic colouring of the spectra a plot shows, by the plot's "ColorMode":
//   0 random colours, 1 spectral colours blue to red along the list, 2 red to blue,
//   3 random greys no lighter than 210.
#include "platform/colorref.h"

#include <cstdint>
#include <functional>
#include <vector>

class Spectrum;

enum class ColouringMode { Random = 0, BlueToRed = 1, RedToBlue = 2, RandomGrey = 3 };

// Gives a fresh seed on every call.
using SeedSource = std::function<std::uint32_t()>;

// The steady clock's ticks (low XOR high 32 bits) plus a running count, so that calls within
// one tick still differ.
std::uint32_t ClockSeedWithCount();

// The colour of a position 0..132 along the spectral table (the two neighbouring entries
// mixed by the fraction), scaled so that the brightest entry has Y = 100. Descending counts
// the entries from the red end.
COLORREF SpectralColourAt(double position, bool descending);

// Recolours the spectra by mode; a mode outside 0..3 changes nothing. Every spectrum of the
// random modes is drawn from its own seed.
void ColourSpectra(const std::vector<Spectrum*>& spectra, int mode, const SeedSource& seeds = ClockSeedWithCount);
