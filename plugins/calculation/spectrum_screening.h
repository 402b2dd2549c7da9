#pragma once
// The screening of input spectra that the arithmetic and the selection modules share: a
// spectrum is left out when its name holds a keyword or its inner values (points 5..n-6) vary
// too little; a copy of it is filed in a group of unused spectra.
#include "core/spectrum.h"

#include <span>
#include <string>

namespace calc {

// The keyword list that switches the keyword part off (as the empty list does).
inline constexpr char kNoKeywords[] = "morvenhald";

// False for an empty list and for kNoKeywords; otherwise true when one of the ";"-pieces,
// trimmed of blanks, tabs and line ends, occurs in name (empty pieces mark nothing).
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

// The selection modules' form of the rule: limits on the inner maximum and variance.
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
