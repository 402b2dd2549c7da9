#pragma once
// The screening rule for input spectra shared by the calculation modules: a spectrum is used
// when, over its points 5..n-6, its maximum and the variance of its values above 1 % of that
// maximum exceed the caller's limits and its name holds none of the ";"-separated keywords.
// A rejected spectrum is copied into the caller's group of unused spectra.
#include "core/spectrum.h"

#include <string>

namespace calc {

// The keyword list that switches the keyword part off (as the empty list does).
inline constexpr char kNoKeywords[] = "morvenhald";

struct ScreeningRule {
    double maxLimit = 0;      // the maximum must be above this
    double varianceLimit = 0; // the variance must be above this
    std::string keywords;     // ";"-separated; a name containing one is rejected
    std::string unusedGroup;  // group of the rejected copies, with its trailing ":"
    bool fullName = false;    // copy named by the full name (tidied) instead of the leaf name
};

struct ScreeningFigures {
    double maximum = 0;
    double variance = 0;
    int count = 0; // points above 1 % of the maximum
    bool marked = false;
};

ScreeningFigures MeasureForScreening(const Spectrum& spectrum, const std::string& keywords);

// True when the spectrum passes the limits and the keywords. No counted point rejects.
bool PassesScreening(const Spectrum& spectrum, const ScreeningRule& rule);

// PassesScreening; a rejected spectrum is copied into the tree (replacing a spectrum of the
// same name) under rule.unusedGroup.
bool ScreenSpectrum(SpectrumTree& tree, const Spectrum& spectrum, const ScreeningRule& rule);

} // namespace calc
