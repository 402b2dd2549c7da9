#pragma once
// The screening of input spectra that the arithmetic and the selection modules share: a
// spectrum is left out when its name holds a keyword or its inner values vary too little;
// a copy of it is filed in a group of unused spectra.
#include "core/spectrum.h"

#include <span>
#include <string>

namespace calc {

// False for an empty list and for the word that switches the test off; otherwise true when
// one of the ";"-pieces, trimmed of blanks, tabs and line ends, occurs in name (empty pieces
// mark nothing).
bool KeywordMarks(const std::string& keywords, const std::string& name);

// The inner points 5 .. n - 6: their largest value, and count, mean and variance of those
// above 1 % of it. Too few points (n - 5 <= 5) give a variance of 0.
struct InnerStatistics {
    double maximum = 0;
    int count = 0;
    double mean = 0;
    double variance = 0;
};
InnerStatistics ScreenInner(std::span<const double> y);

// True when the spectrum passes: no keyword marks it and threshold < its inner variance.
// Otherwise a copy goes to the tree under unusedGroup + ":" + its name, and false.
bool ScreenSpectrum(SpectrumTree& tree, const Spectrum& spectrum, double threshold, const std::string& keywords,
                    const std::string& unusedGroup);

} // namespace calc
