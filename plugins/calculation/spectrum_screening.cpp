#include "calculation/spectrum_screening.h"

#include "calculation/calc_common.h"

#include "core/string_helpers.h"

#include <algorithm>
#include <cfloat>
#include <memory>
#include <vector>

namespace calc {

namespace {

constexpr char kSwitchedOff[] = "morvenhald";

} // namespace

bool KeywordMarks(const std::string& keywords, const std::string& name)
{
    if (keywords.empty() || keywords == kSwitchedOff)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(keywords.find(';', start), keywords.size());
        const std::string piece = trim(keywords.substr(start, end - start), kBlanks);
        if (!piece.empty() && name.find(piece) != std::string::npos)
            return true;
        if (end == keywords.size())
            return false;
        start = end + 1;
    }
}

InnerStatistics ScreenInner(std::span<const double> y)
{
    InnerStatistics s;
    const auto n = static_cast<std::ptrdiff_t>(y.size());
    s.maximum = -DBL_MAX;
    for (std::ptrdiff_t j = 5; j <= n - 6; ++j)
        s.maximum = y[j] > s.maximum ? y[j] : s.maximum;
    if (n - 5 <= 5)
        return s;
    double sum = 0, squares = 0;
    for (std::ptrdiff_t j = 5; j <= n - 6; ++j) {
        if (y[j] > 0.01 * s.maximum) {
            ++s.count;
            sum += y[j];
            squares += y[j] * y[j];
        }
    }
    if (s.count > 0) {
        s.mean = sum / s.count;
        s.variance = squares / s.count - s.mean * s.mean;
    }
    return s;
}

bool ScreenSpectrum(SpectrumTree& tree, const Spectrum& spectrum, double threshold, const std::string& keywords,
                    const std::string& unusedGroup)
{
    std::vector<double> y(static_cast<std::size_t>(spectrum.GetPointCount()));
    spectrum.getYPointsAsArray(y.data());
    if (!KeywordMarks(keywords, spectrum.GetName()) && threshold < ScreenInner(y).variance)
        return true;
    auto copy = std::make_unique<Spectrum>(spectrum);
    std::string name = unusedGroup + ":" + spectrum.GetName();
    CleanGroupPath(name);
    copy->SetName(name);
    FileSpectrum(tree, std::move(copy));
    return false;
}

} // namespace calc
