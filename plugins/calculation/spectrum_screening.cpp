#include "calculation/spectrum_screening.h"

#include "calculation/calc_common.h"
#include "core/string_helpers.h"

#include <algorithm>
#include <cfloat>
#include <memory>
#include <vector>

namespace calc {

namespace {

std::vector<double> ValuesOf(const Spectrum& spectrum)
{
    std::vector<double> y(static_cast<std::size_t>(spectrum.GetPointCount()));
    if (!y.empty())
        spectrum.getYPointsAsArray(y.data());
    return y;
}

} // namespace

bool KeywordMarks(const std::string& keywords, const std::string& name)
{
    if (keywords.empty() || keywords == kNoKeywords)
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
    if (!KeywordMarks(keywords, spectrum.GetName()) && threshold < ScreenInner(ValuesOf(spectrum)).variance)
        return true;
    auto copy = std::make_unique<Spectrum>(spectrum);
    std::string name = unusedGroup + ":" + spectrum.GetName();
    CleanGroupPath(name);
    copy->SetName(name);
    FileSpectrum(tree, std::move(copy));
    return false;
}

ScreeningFigures MeasureForScreening(const Spectrum& spectrum, const std::string& keywords)
{
    const InnerStatistics inner = ScreenInner(ValuesOf(spectrum));
    ScreeningFigures figures;
    figures.maximum = inner.maximum;
    figures.variance = inner.variance;
    figures.count = inner.count;
    figures.marked = KeywordMarks(keywords, spectrum.GetName());
    return figures;
}

bool PassesScreening(const Spectrum& spectrum, const ScreeningRule& rule)
{
    const ScreeningFigures f = MeasureForScreening(spectrum, rule.keywords);
    return f.count > 0 && f.maximum > rule.maxLimit && f.variance > rule.varianceLimit && !f.marked;
}

bool ScreenSpectrum(SpectrumTree& tree, const Spectrum& spectrum, const ScreeningRule& rule)
{
    if (PassesScreening(spectrum, rule))
        return true;
    auto copy = std::make_unique<Spectrum>(spectrum);
    std::string name = rule.unusedGroup + (rule.fullName ? spectrum.GetName() : ShortName(spectrum.GetName()));
    CleanGroupPath(name);
    copy->SetName(name);
    tree.DeleteInserters(name);
    FileSpectrum(tree, std::move(copy));
    return false;
}

} // namespace calc
