#include "ui/spec_statistics.h"

#include "controls/plot_info_panel.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"
#include "platform/vformat.h"
#include "ui/tree_text.h"

#include <algorithm>
#include <cmath>

using platform::Format;

std::optional<std::string> SpectrumStatisticsLine(Spectrum& spectrum, bool densities)
{
    const int n = spectrum.GetPointCount();
    if (n <= 0 || !spectrum.IsSorted())
        return std::nullopt;
    long double sum = 0;
    long double sumOfSquares = 0;
    // Minimum and maximum start from the first value, so every range of values is found.
    double minimum = spectrum[0].y;
    double maximum = spectrum[0].y;
    for (int i = 0; i < n; ++i) {
        const double y = spectrum[i].y;
        sum += y;
        sumOfSquares += static_cast<long double>(y) * y;
        minimum = std::min(minimum, y);
        maximum = std::max(maximum, y);
    }
    const ValueStatistics st = StatisticsOf(sum, sumOfSquares, n);
    const std::string statistics = Format("Y - Mittelwert / Streuung: %.6g / %.6g", st.mean, st.deviation);
    const std::string firstX = Format("%g", spectrum[0].x);
    const std::string lastX = Format("%g", spectrum[n - 1].x);
    const char* name = spectrum.GetName().c_str();

    std::string line;
    if (densities) {
        minimum = std::max(minimum, 0.00001);
        maximum = std::max(maximum, 0.00001);
        line = Format("Spektrum %s, X = [%s, %s], %d Punkte, Y(D) = [%8.4f, %8.4f], %s", name, firstX.c_str(),
                      lastX.c_str(), n, -std::log10(minimum), -std::log10(maximum), statistics.c_str());
    } else {
        line = Format("Spektrum %s, X = [%s, %s], %d Punkte, Y = [%s, %s], %s", name, firstX.c_str(), lastX.c_str(),
                      n, Format("%g", minimum).c_str(), Format("%g", maximum).c_str(), statistics.c_str());
    }
    line = CutToCharacters(line, 255);
    strremove(&line, ';');
    strremove(&line, '%');
    return line;
}
