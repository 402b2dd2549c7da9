#include "calculation/spectrum_screening.h"

#include "calculation/calc_common.h"
#include "core/string_helpers.h"

#include <limits>
#include <memory>

namespace calc {

namespace {

bool Marked(const std::string& name, const std::string& keywords)
{
    if (keywords.empty() || keywords == kNoKeywords)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = keywords.find(';', start);
        const std::string piece = trim(keywords.substr(start, end == std::string::npos ? end : end - start), kBlanks);
        if (!piece.empty() && name.find(piece) != std::string::npos)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

} // namespace

ScreeningFigures MeasureForScreening(const Spectrum& spectrum, const std::string& keywords)
{
    ScreeningFigures figures;
    const int n = spectrum.GetPointCount();
    double maximum = std::numeric_limits<double>::lowest();
    for (int i = 5; i <= n - 6; ++i)
        maximum = std::max(maximum, spectrum[i].y);
    double sum = 0, squares = 0;
    for (int i = 5; i <= n - 6; ++i) {
        const double y = spectrum[i].y;
        if (y > 0.01 * maximum) {
            ++figures.count;
            sum += y;
            squares += y * y;
        }
    }
    figures.maximum = maximum;
    if (figures.count > 0) {
        const double mean = sum / figures.count;
        figures.variance = squares / figures.count - mean * mean;
    }
    figures.marked = Marked(spectrum.GetName(), keywords);
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
