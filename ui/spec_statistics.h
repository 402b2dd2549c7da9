#pragma once
// The statistics line the spectrum pane logs for one spectrum.
#include <optional>
#include <string>

class Spectrum;

// "Spektrum <name>, X = [first, last], n Punkte, Y = [min, max], Y - Mittelwert / Streuung:
// mean / spread" (with densities "Y(D) = [-log10 min, -log10 max]", each at least 1e-5
// before the logarithm), cut to 255 characters, without ";" and "%". Nothing for a spectrum
// without points or not sorted by x. The spread of a constant spectrum is 0.
std::optional<std::string> SpectrumStatisticsLine(Spectrum& spectrum, bool densities);
