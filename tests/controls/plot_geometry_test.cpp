// Plot area, transform, grid and label texts of the spectrum plot.
#include "controls/plot_axis.h"
#include "controls/plot_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace {

// A client of 595 x 562 gives a plot area of exactly 500 x 500 pixels.
constexpr PlotRect kClient{0, 0, 595, 562};
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PlotTransform, MapsRangeCornersAndBack)
{
    EXPECT_EQ(PlotAreaOf(kClient), (PlotRect{50, 12, 550, 512}));
    const PlotTransform t = PlotTransform::For(kClient, {380, 780, 0, 1}, false);
    ASSERT_TRUE(t.valid);
    EXPECT_EQ(t.ToScreen(380, 0), QPoint(50, 512));
    // The top of the range lies two pixels above the plot area (h - 60 scale).
    EXPECT_EQ(t.ToScreen(780, 1), QPoint(550, 10));
    double x = 0, y = 0;
    ASSERT_TRUE(t.ToData(QPoint(300, 262), x, y));
    EXPECT_NEAR(x, 580, 1e-9);
    EXPECT_NEAR(y, 250.0 / 502, 1e-12);
}

TEST(PlotTransform, DensityViewTakesLogarithms)
{
    const PlotTransform t = PlotTransform::For(kClient, {380, 780, -15, 2}, true);
    ASSERT_TRUE(t.valid);
    EXPECT_EQ(t.ToScreen(380, 100).y(), t.ToScreen(380, 0).y() - 502);
    EXPECT_EQ(t.ToScreen(380, 0).y(), 512);     // at or below 1e-15: -15
    EXPECT_EQ(t.ToScreen(380, 1e-15).y(), 512); // the floor itself
    EXPECT_EQ(t.ToScreen(380, -3).y(), 512);
    double x = 0, y = 0;
    ASSERT_TRUE(t.ToData(QPoint(50, 10), x, y));
    EXPECT_NEAR(y, 2, 1e-12); // log units, no power of ten
}

TEST(PlotTransform, DegenerateRangeOrAreaIsInvalid)
{
    struct Case {
        const char* name;
        PlotRect client;
        PlotRange range;
    } cases[] = {
        {"zero x span", kClient, {500, 500, 0, 1}},
        {"negative y span", kClient, {380, 780, 1, 0}},
        {"NaN limit", kClient, {kNaN, 780, 0, 1}},
        {"infinite span", kClient, {380, kInf, 0, 1}},
        {"plot area 24 px wide", {0, 0, 119, 562}, {380, 780, 0, 1}},
        {"plot area 24 px high", {0, 0, 595, 86}, {380, 780, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlotTransform t = PlotTransform::For(c.client, c.range, false);
        EXPECT_FALSE(t.valid);
        double x = 1, y = 2;
        EXPECT_FALSE(t.ToData(QPoint(10, 10), x, y));
        const PlotGrid g = CalculateGrid(PlotAreaOf(c.client), c.range, false);
        EXPECT_TRUE(g.x.count == 0 || g.y.count == 0);
    }
}

// Finite limits whose span exceeds the largest double: the range is mapped like any
// other, every finite value lands on a finite pixel, and the grid covers the whole axis.
TEST(PlotTransform, SpansBeyondTheLargestDoubleStillMap)
{
    struct Case {
        const char* name;
        PlotRange range;
    } cases[] = {
        {"y over the whole double range", {380, 780, -DBL_MAX, DBL_MAX}},
        {"y from -1e308 to 1e308", {380, 780, -1e308, 1e308}},
        {"x over the whole double range", {-DBL_MAX, DBL_MAX, 0, 1}},
        {"both", {-DBL_MAX, DBL_MAX, -DBL_MAX, DBL_MAX}},
        {"y just within the double range", {380, 780, -8e307, 8e307}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlotRange& r = c.range;
        const PlotTransform t = PlotTransform::For(kClient, r, false);
        ASSERT_TRUE(t.valid);
        EXPECT_EQ(t.ToScreen(r.minX, r.minY), QPoint(50, 512));
        EXPECT_EQ(t.ToScreen(r.maxX, r.maxY), QPoint(550, 10));
        const QPoint middle = t.ToScreen(r.minX / 2 + r.maxX / 2, r.minY / 2 + r.maxY / 2);
        EXPECT_EQ(middle, QPoint(300, 261));
        // The extremes of double land at or beyond the range's ends, never inside.
        EXPECT_LE(t.ToScreen(r.minX, DBL_MAX).y(), 10);
        EXPECT_GE(t.ToScreen(r.minX, -DBL_MAX).y(), 512);
        double x = kNaN, y = kNaN;
        ASSERT_TRUE(t.ToData(QPoint(50, 512), x, y));
        EXPECT_DOUBLE_EQ(x, r.minX);
        EXPECT_DOUBLE_EQ(y, r.minY);
        ASSERT_TRUE(t.ToData(QPoint(-100000, -100000), x, y)); // beyond the top: still finite
        EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));

        const PlotGrid g = CalculateGrid(PlotAreaOf(kClient), r, false);
        for (const GridAxis& a : {g.x, g.y}) {
            EXPECT_GE(a.count, 4);
            EXPECT_TRUE(std::isfinite(a.step) && a.step > 0);
            EXPECT_TRUE(std::isfinite(a.first));
        }
        // The y lines reach the upper half of the area.
        const double top = g.y.first + (g.y.count - 1) * g.y.step;
        EXPECT_LT(t.ToScreen(r.minX, top).y(), 261);
    }
}

TEST(PlotTransform, FarPointsAreClampedBeforeIntConversion)
{
    const PlotTransform t = PlotTransform::For(kClient, {0, 1, 0, 1}, false);
    const QPoint far = t.ToScreen(1e12, -1e12);
    EXPECT_GT(far.x(), 1000000);
    EXPECT_GT(far.y(), 1000000);
    EXPECT_EQ(ClampToPixel(kNaN), 0);
    EXPECT_EQ(ClampToPixel(-kInf), -ClampToPixel(kInf));
}

TEST(PlotGrid, StepsCountsAndFirstValues)
{
    struct Case {
        const char* name;
        PlotRange range;
        bool exportMode;
        GridAxis x, y;
    } cases[] = {
        {"380..780 nm on 500 px", {380, 780, 0, 1}, false, {20, 20, 380}, {10, 0.1, 0}},
        // Export: x laid out for 40 px, then both steps doubled and counts halved.
        {"export", {380, 780, 0, 1}, true, {10, 40, 400}, {5, 0.2, 0}},
        {"offset y range", {0, 1000, -1.05, 21}, false, {10, 100, 0}, {11, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlotGrid g = CalculateGrid({50, 12, 550, 512}, c.range, c.exportMode);
        EXPECT_EQ(g.x.count, c.x.count);
        EXPECT_DOUBLE_EQ(g.x.step, c.x.step);
        EXPECT_DOUBLE_EQ(g.x.first, c.x.first);
        EXPECT_EQ(g.y.count, c.y.count);
        EXPECT_NEAR(g.y.step, c.y.step, 1e-15);
        EXPECT_NEAR(g.y.first, c.y.first, 1e-12);
    }
}

TEST(PlotGrid, NoGridOnTinyAreaOrEmptyRange)
{
    EXPECT_EQ(CalculateGrid({0, 0, 24, 500}, {380, 780, 0, 1}, false).y.count, 0);
    EXPECT_EQ(CalculateGrid({0, 0, 500, 24}, {380, 780, 0, 1}, false).x.count, 0);
    const PlotGrid zero = CalculateGrid({0, 0, 500, 500}, {380, 380, 2, 2}, false);
    EXPECT_EQ(zero.x.count, 0);
    EXPECT_EQ(zero.y.count, 0);
}

TEST(PlotLabels, ValueFormats)
{
    struct Case {
        double v;
        bool exportMode, density;
        const char* text;
    } cases[] = {
        {25, false, false, "25.00"}, // 0.25 in percent mode
        {1e-9, false, false, "    0"},
        {-1e-9, false, false, "    0"},
        {1e-8, false, false, "    0"},
        {1e-8, false, true, "1.0e-08"}, // the density view's zero test is strict
        {0.0005, false, false, "5.0e-04"},
        {-2.5, false, false, "-2.500"},
        {5000, false, false, " 5000"},
        {50000, false, false, "5.0e+04"},
        {0, true, true, "   0"},
        {0.0005, true, true, "5e-04"},
        {5, true, true, "5.00"},
        {500, true, true, "500.0"},
        {5, true, false, "5.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(FormatValueLabel(c.v, c.exportMode, c.density), c.text);
    }
}

TEST(PlotLabels, WavelengthAndWavenumber)
{
    EXPECT_EQ(FormatXLabel(500, 0, false), " 500");
    EXPECT_EQ(FormatXLabel(0.5, 0, false), "   0");
    EXPECT_EQ(FormatXLabel(500, 1, false), "2000.0");
    EXPECT_EQ(FormatXLabel(500, 1, true), "2000");
    EXPECT_EQ(FormatXLabel(0, 1, false), ">1000000");
    EXPECT_EQ(FormatXLabel(-1, 2, false), ">1000000");
    EXPECT_EQ(FormatXLabel(50, 1, false), "20000");
    EXPECT_EQ(FormatXLabel(2000, 1, false), "500.00");
    EXPECT_EQ(FormatWavenumber(50, false), "50.000");
    EXPECT_EQ(FormatWavenumber(50, true), "50.00");
}

// The axis layout of the 500 x 500 plot area with P = 17.
class AxisLayoutTest : public ::testing::Test {
protected:
    AxisLayout Layout(PlotRange range, bool density = false, int exportMode = 0, int unit = 0,
                      std::string title = {}, bool percent = false)
    {
        AxisInput in;
        in.client = kClient;
        in.transform = PlotTransform::For(kClient, range, density);
        in.grid = CalculateGrid(PlotAreaOf(kClient), range, exportMode != 0);
        in.density = density;
        in.percent = percent;
        in.unit = unit;
        in.exportMode = exportMode;
        in.labelHeight = LabelHeight(12, exportMode);
        in.titleFontHeight = 22;
        in.yAxisName = std::move(title);
        return LayoutAxis(in);
    }
    static std::vector<AxisText> Texts(const AxisLayout& l, AxisFont font)
    {
        std::vector<AxisText> out;
        std::copy_if(l.texts.begin(), l.texts.end(), std::back_inserter(out),
                     [&](const AxisText& t) { return t.font == font; });
        return out;
    }
};

TEST_F(AxisLayoutTest, GridLinesLabelsAndUnit)
{
    const AxisLayout l = Layout({380, 780, 0, 1});
    EXPECT_EQ(l.margins[0], (PlotRect{0, 0, 595, 12}));
    EXPECT_EQ(l.margins[3], (PlotRect{550, 0, 595, 562}));
    // Rows 0.9 .. 0.1 inside the area (1.0 lies above it, 0 on its bottom edge: label only).
    const std::vector<AxisText> values = Texts(l, AxisFont::Value);
    ASSERT_EQ(values.size(), 10u);
    EXPECT_EQ(values.front().text, "0.900");
    EXPECT_EQ(values.front().x, 5);
    EXPECT_EQ(values.front().y, 60 - 8);
    EXPECT_EQ(values.back().text, "    0");
    // x: 20 lines from 760 nm down to 400 nm every 25 px; 380 nm lies on the left edge.
    const std::vector<AxisText> unit = Texts(l, AxisFont::Unit);
    ASSERT_EQ(unit.size(), 1u);
    EXPECT_EQ(unit[0].text, "nm");
    EXPECT_EQ(unit[0].x, 525 - 8 + 3);
    EXPECT_EQ(unit[0].y, 562 - 41);
    // Labels on every second line (three digits need more than 25 px), the unit on the first.
    const std::vector<AxisText> xs = Texts(l, AxisFont::XLabel);
    ASSERT_EQ(xs.size(), 9u);
    EXPECT_EQ(xs.front().text, " 720");
    EXPECT_EQ(xs.back().text, " 400");
    EXPECT_EQ(l.gridLines.size(), 9u + 19u);
    EXPECT_TRUE(l.zeroAxes.empty());
}

TEST_F(AxisLayoutTest, TitleTakesSecondRowWithThreeOrFourLines)
{
    const std::string title = "eins zwei-drei vier fuenf";
    const AxisLayout screen = Layout({380, 780, 0, 1}, false, 0, 0, title);
    const std::vector<AxisText> lines = Texts(screen, AxisFont::Title);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "eins");
    EXPECT_EQ(lines[2].text, "drei");
    // Second row at J = 110: y = trunc(110 - 3 * 17 * 0.5 - 3), then L + 1 = 18 per line.
    EXPECT_EQ(lines[0].y, 81);
    EXPECT_EQ(lines[1].y, 99);
    EXPECT_EQ(lines[0].x, 3);
    EXPECT_EQ(Texts(screen, AxisFont::Value)[1].text, "0.700");
    EXPECT_EQ(Texts(Layout({380, 780, 0, 1}, false, 2, 0, title), AxisFont::Title).size(), 4u);
}

TEST_F(AxisLayoutTest, PercentModeScalesAndMarksRel)
{
    // 0.1..0.3 on 500 px: a line every 0.01, so 0.25 is one of them.
    const AxisLayout l = Layout({380, 780, 0.1, 0.3}, false, 0, 0, {}, true);
    const std::vector<AxisText> title = Texts(l, AxisFont::Title);
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0].text, "rel.");
    EXPECT_EQ(title[0].x, 15);
    const std::vector<AxisText> values = Texts(l, AxisFont::Value);
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](const AxisText& t) { return t.text == "25.00"; }));
}

TEST_F(AxisLayoutTest, DensityMarksSecondLowestRow)
{
    const AxisLayout l = Layout({380, 780, -15.8925, 2.85}, true);
    const std::vector<AxisText> title = Texts(l, AxisFont::Title);
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0].text, "D");
    const std::vector<AxisText> values = Texts(l, AxisFont::Value);
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](const AxisText& t) { return t.text == "-10.00"; }));
}

TEST_F(AxisLayoutTest, WavenumberLabels)
{
    const AxisLayout l = Layout({0, 1000, 0, 1}, false, 0, 1);
    const std::vector<AxisText> unit = Texts(l, AxisFont::Unit);
    ASSERT_EQ(unit.size(), 1u);
    EXPECT_EQ(unit[0].text, "1/mm");
    EXPECT_TRUE(unit[0].rotated);
    EXPECT_EQ(unit[0].y, 562 - 23);
    const std::vector<AxisText> xs = Texts(l, AxisFont::XLabel);
    EXPECT_TRUE(std::any_of(xs.begin(), xs.end(), [](const AxisText& t) { return t.text == "2000.0" && t.rotated; }));
    // 0 nm lies on the left edge: the loop ends there, before it.
    EXPECT_EQ(xs.back().text, "10000");
    const AxisLayout shifted = Layout({-50, 950, 0, 1}, false, 0, 1);
    const std::vector<AxisText> xs2 = Texts(shifted, AxisFont::XLabel);
    EXPECT_TRUE(std::any_of(xs2.begin(), xs2.end(), [](const AxisText& t) { return t.text == ">1000000"; }));
}

// Wavelength labels never crowd: from 300 to 2000 px and from a thousandth of a nanometre to a
// million, neighbouring labels (and the unit) keep at least one label height between them.
TEST(AxisLabels, KeepALabelHeightOfSpaceAtAnyWidthAndRange)
{
    constexpr int kDigit = 10;
    const int P = LabelHeight(12, 0);
    const struct {
        double from, to;
    } ranges[] = {{500, 500.001}, {0, 0.05}, {380, 780}, {494.2, 505.3}, {100, 99000}, {0, 1e6}, {-3e5, 7e5}};
    for (const int width : {300, 420, 600, 960, 1200, 1600, 2000}) {
        for (const auto& range : ranges) {
            SCOPED_TRACE(std::to_string(width) + " px, " + std::to_string(range.from) + " .. " + std::to_string(range.to));
            const PlotRect client{0, 0, width, 400};
            const PlotRange r{range.from, range.to, 0, 1};
            AxisInput in;
            in.client = client;
            in.transform = PlotTransform::For(client, r, false);
            in.grid = CalculateGrid(PlotAreaOf(client), r, false);
            in.labelHeight = P;
            in.titleFontHeight = 22;
            in.xLabelDigitWidth = kDigit;
            const AxisLayout l = LayoutAxis(in);
            struct Span {
                int begin, end;
            };
            std::vector<Span> spans;
            for (const AxisText& t : l.texts) {
                if (t.font != AxisFont::XLabel && t.font != AxisFont::Unit)
                    continue;
                const std::size_t lead = std::min(t.text.size(), t.text.find_first_not_of(' '));
                // A blank is about half as wide as a digit.
                const int begin = t.x + static_cast<int>(lead) * kDigit / 2;
                spans.push_back({begin, begin + static_cast<int>(t.text.size() - lead) * kDigit});
            }
            ASSERT_GE(spans.size(), 2u) << "an axis with fewer than two marks";
            std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
            for (std::size_t i = 1; i < spans.size(); ++i)
                EXPECT_GE(spans[i].begin - spans[i - 1].end, P - 2) << "labels " << i - 1 << " and " << i;
        }
    }
}

TEST_F(AxisLayoutTest, ZeroAxesOnlyInsideArea)
{
    const AxisLayout l = Layout({-100, 100, -1, 1});
    ASSERT_EQ(l.zeroAxes.size(), 2u);
    EXPECT_EQ(l.zeroAxes[0].from.x(), 300);
    EXPECT_EQ(l.zeroAxes[1].from.y(), 261);
}

TEST_F(AxisLayoutTest, NothingButMarginsForInvalidRange)
{
    const AxisLayout l = Layout({500, 500, 0, 1});
    EXPECT_TRUE(l.gridLines.empty());
    EXPECT_TRUE(l.texts.empty());
    EXPECT_TRUE(l.zeroAxes.empty());
}

TEST(AxisTitle, WordsSplitAtBlanksAndHyphens)
{
    EXPECT_EQ(TitleWords(" rel. Intensität-Wert  a-"), (std::vector<std::string>{"rel.", "Intensität", "Wert", "a"}));
    EXPECT_TRUE(TitleWords(" - ").empty());
}

} // namespace
