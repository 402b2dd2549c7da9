#include "ui/spec_statistics.h"

#include "core/spectrum.h"

#include <QString>
#include <gtest/gtest.h>

#include <vector>

namespace {

Spectrum Make(const std::string& name, const std::vector<double>& ys, double firstX = 400)
{
    Spectrum s;
    s.SetName(name);
    for (std::size_t i = 0; i < ys.size(); ++i)
        s.AddPoint(SPoint(firstX + static_cast<double>(i), ys[i]));
    return s;
}

TEST(SpecStatistics, LinesForValuesAndDensities)
{
    const struct {
        const char* name;
        std::vector<double> ys;
        bool densities;
        const char* line;
    } cases[] = {
        {"A", {1, 2, 3}, false, "Spektrum A, X = [400, 402], 3 Punkte, Y = [1, 3], Y - Mittelwert / Streuung: 2 / 0.816497"},
        {"A", {0, 0.1}, true,
         "Spektrum A, X = [400, 401], 2 Punkte, Y(D) = [  5.0000,   1.0000], Y - Mittelwert / Streuung: 0.05 / 0.05"},
        // Rounding must not turn the spread of a constant spectrum into nan.
        {"K", {0.1, 0.1, 0.1}, false, "Spektrum K, X = [400, 402], 3 Punkte, Y = [0.1, 0.1], Y - Mittelwert / Streuung: 0.1 / 0"},
        // Bounds start from the first value: large and very negative values are found.
        {"G", {2e9, 3e9}, false, "Spektrum G, X = [400, 401], 2 Punkte, Y = [2e+09, 3e+09], Y - Mittelwert / Streuung: 2.5e+09 / 5e+08"},
        {"N", {-3e10, -2e10}, false,
         "Spektrum N, X = [400, 401], 2 Punkte, Y = [-3e+10, -2e+10], Y - Mittelwert / Streuung: -2.5e+10 / 5e+09"},
        {"Mess;ung%1:x", {1}, false, "Spektrum Messung1:x, X = [400, 400], 1 Punkte, Y = [1, 1], Y - Mittelwert / Streuung: 1 / 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Spectrum s = Make(c.name, c.ys);
        const auto line = SpectrumStatisticsLine(s, c.densities);
        ASSERT_TRUE(line.has_value());
        EXPECT_EQ(*line, c.line);
    }
}

TEST(SpecStatistics, NothingForEmptyOrUnsortedSpectra)
{
    Spectrum empty = Make("E", {});
    EXPECT_FALSE(SpectrumStatisticsLine(empty, false).has_value());
    Spectrum unsorted;
    unsorted.AddPoint(SPoint(500, 1));
    unsorted.AddPoint(SPoint(400, 2));
    EXPECT_FALSE(SpectrumStatisticsLine(unsorted, false).has_value());
}

TEST(SpecStatistics, LongLinesAreCutAt255Characters)
{
    std::string name;
    for (int i = 0; i < 300; ++i)
        name += "ä";
    Spectrum s = Make(name, {1, 2});
    const auto line = SpectrumStatisticsLine(s, false);
    ASSERT_TRUE(line.has_value());
    const QString text = QString::fromStdString(*line);
    EXPECT_EQ(text.size(), 255);
    EXPECT_EQ(text.toStdString(), *line); // still valid UTF-8
}

} // namespace
