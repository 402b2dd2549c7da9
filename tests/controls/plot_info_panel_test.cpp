// Name shortening, info panel, read-out and tool-tip box of the spectrum plot.
#include "controls/plot_info_panel.h"
#include "core/spectrum.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Ten pixels per character.
const TextMeasure kTenPerChar = [](const QString& s) { return static_cast<int>(s.size()) * 10; };

TEST(SpecName, TreePathShortening)
{
    EXPECT_EQ(ProcessSpecName("A:B:C:D"), "A:...:...:D");
    EXPECT_EQ(ProcessSpecName("A:B"), "A:B");
    EXPECT_EQ(ProcessSpecName("AB"), "AB");
    EXPECT_EQ(ProcessSpecName("Messung:Serie 1:LED rot"), "Messung:...:LED rot");
}

TEST(SpecName, WidthShortening)
{
    struct Case {
        const char* name;
        int maxWidth;
        bool tailOnly;
        const char* out;
    } cases[] = {
        {"NoColonAtAll", 10, false, "NoColonAtAll"},
        {"G:abcdefghij", 60, true, "abcd~"},
        {"G:abcdefghij", 200, true, "abcdefghij"},
        {"G:abcdefghij", 5, true, "~"}, // nothing left to cut: stops
        {"Messungen:Spektrum-1", 300, false, "Messungen:Spektrum-1"},
        {"Messungen:Spektrum-1", 100, false, "Messun~:Spektru~"}, // both down to 7 or less: stops
        {"Gruppe:Unter:Spektrum-Nummer-12", 200, false, "Gruppe~:...:Spe~"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShrinkSpecName(c.name, c.maxWidth, kTenPerChar, c.tailOnly), c.out);
    }
    // Cuts grow by one character each round; the ninth would pass the start of the
    // remaining eight: the head ends empty.
    EXPECT_EQ(ShrinkSpecName(std::string(44, 'a') + ":x", 10, kTenPerChar, false), "~:x~");
    // Characters, not bytes: umlauts are never split.
    EXPECT_EQ(ShrinkSpecName("G:äöüäöü", 50, kTenPerChar, true), "äöü~");
}

class InfoPanelTest : public ::testing::Test {
protected:
    InfoPanelTest()
    {
        in.client = {0, 0, 800, 600};
        in.lineHeight = 14;
        in.panelWidth = 168;
        in.measureLight = kTenPerChar;
    }
    void Add(std::string name, std::vector<double> x, std::vector<double> y, COLORREF colour = 0)
    {
        auto s = std::make_unique<Spectrum>();
        s->SetName(name);
        s->SetColor(colour);
        for (std::size_t i = 0; i < x.size(); ++i)
            s->AddPoint(SPoint(x[i], y[i]));
        in.spectra.push_back(s.get());
        owned.push_back(std::move(s));
    }
    static std::string Line(const InfoPanelLayout& l, int index)
    {
        for (const PanelLine& line : l.lines)
            if (line.index == index)
                return line.text;
        return "<none>";
    }
    PanelInput in;
    std::vector<std::unique_ptr<::Spectrum>> owned;
};

TEST_F(InfoPanelTest, OneSpectrum)
{
    Add(" A:B:Probe\r\n", {400, 410, 425}, {1, 3, 2}, RGB(200, 0, 0));
    const auto panel = LayoutInfoPanel(in);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->rect, (PlotRect{587, 15, 751, 21 + 8 * 14}));
    ASSERT_EQ(panel->lines.size(), 8u);
    EXPECT_EQ(panel->lines[0].text, "A:...:Probe");
    EXPECT_TRUE(panel->lines[0].bold);
    EXPECT_EQ(panel->lines[0].colour, RGB(200, 0, 0));
    EXPECT_EQ(Line(*panel, 1), "min X: 400 nm");
    EXPECT_EQ(Line(*panel, 4), "max Y: 3 at 410 nm");
    EXPECT_EQ(Line(*panel, 5), "Y \u00B5 / \u03C3: 2 / 0.816497");
    EXPECT_EQ(Line(*panel, 6), "Stützstellen: 3");
    EXPECT_EQ(panel->lines[7].text, "Schrittweite: nicht äquidistant");
    EXPECT_EQ(panel->lines[7].colour, RGB(255, 0, 0));

    in.spectra.clear();
    Add("Probe", {400, 405, 410}, {1, 3, 2});
    in.unit = 1;
    in.leftPos = true;
    const auto other = LayoutInfoPanel(in);
    EXPECT_EQ(Line(*other, 7), "Schrittweite: 5 nm");
    EXPECT_EQ(Line(*other, 1), "min X: 2500 1/mm");
    EXPECT_EQ(other->rect.left, 54);
    EXPECT_EQ(other->rect.Width(), 164);
}

TEST_F(InfoPanelTest, DensityListsLogarithms)
{
    in.density = true;
    Add("d", {400, 500}, {100, 0});
    const auto panel = LayoutInfoPanel(in);
    ASSERT_TRUE(panel);
    EXPECT_EQ(Line(*panel, 3), "min Y(D): -15 at 500 nm");
    EXPECT_EQ(Line(*panel, 4), "max Y(D): 2 at 400 nm");
    EXPECT_EQ(Line(*panel, 5).rfind("Y(D) \u00B5 / \u03C3: -6.5 / 8.5", 0), 0u);
}

TEST_F(InfoPanelTest, SeveralSpectraOfUnequalLength)
{
    Add("G:kurz", {400, 500}, {1, 1});
    Add("G:lang", {400, 450, 500, 550}, {4, 4, 4, 4});
    const auto panel = LayoutInfoPanel(in);
    ASSERT_TRUE(panel);
    EXPECT_EQ(Line(*panel, 0), "2 Spektren");
    EXPECT_EQ(Line(*panel, 4), "minY-Spec: kurz");
    EXPECT_EQ(Line(*panel, 6), "maxY-Spec: lang");
    // Divided by the 6 points summed: mean 3, deviation sqrt(2).
    EXPECT_EQ(Line(*panel, 7), "Y \u00B5 / \u03C3: 3 / 1.41421");
    EXPECT_EQ(panel->rect.bottom, 9 * 14 + 12);
}

// Huge finite values give finite figures: mean and deviation are formed without overflow.
TEST_F(InfoPanelTest, HugeValuesGiveFiniteStatistics)
{
    struct Case {
        const char* name;
        std::vector<double> y;
        const char* statistics;
    } cases[] = {
        {"largest double twice", {DBL_MAX, DBL_MAX}, "Y \u00B5 / \u03C3: 1.79769e+308 / 0"},
        {"largest and lowest", {DBL_MAX, -DBL_MAX}, "Y \u00B5 / \u03C3: 0 / 1.79769e+308"},
        {"plus and minus 1e200", {1e200, -1e200, 1e200, -1e200}, "Y \u00B5 / \u03C3: 0 / 1e+200"},
        {"1e200 beside small values", {1e200, 0, 0, 0}, "Y \u00B5 / \u03C3: 2.5e+199 / 4.33013e+199"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        in.spectra.clear();
        std::vector<double> x;
        for (std::size_t i = 0; i < c.y.size(); ++i)
            x.push_back(400 + 10.0 * static_cast<double>(i));
        Add("Probe", x, c.y, RGB(0, 0, 0));
        const auto panel = LayoutInfoPanel(in);
        ASSERT_TRUE(panel);
        EXPECT_EQ(Line(*panel, 5), c.statistics);
    }
}

TEST(PanelStatistics, FiniteForAnyFiniteSums)
{
    const long double big = DBL_MAX;
    const ValueStatistics s = StatisticsOf(3 * big, 3 * big * big, 3);
    EXPECT_EQ(s.mean, DBL_MAX);
    EXPECT_TRUE(std::isfinite(s.deviation));
}

TEST_F(InfoPanelTest, LegendFitsOrEndsWithDots)
{
    in.legend = true;
    for (int i = 0; i < 10; ++i)
        Add("G:s" + std::to_string(i), {400}, {1}, RGB(0, 0, i));
    const auto roomy = LayoutInfoPanel(in);
    ASSERT_TRUE(roomy);
    EXPECT_EQ(Line(*roomy, 9), "G:s0");
    EXPECT_EQ(roomy->rect.bottom, (9 + 11) * 14 + 12);

    in.client.bottom = 250; // room 178: 12 lines, 3 of them for the legend
    const auto tight = LayoutInfoPanel(in);
    ASSERT_TRUE(tight);
    EXPECT_EQ(tight->rect.bottom, 9 * 14 + 3 * 14 - 10 + 12);
    EXPECT_EQ(Line(*tight, 9), "G:s0");
    EXPECT_EQ(Line(*tight, 10), "...");
    EXPECT_EQ(tight->lines.back().colour, RGB(20, 20, 20));
    EXPECT_EQ(Line(*tight, 11), "<none>");

    in.client.bottom = 72 + 9 * 14 - 1;
    EXPECT_FALSE(LayoutInfoPanel(in));
    in.spectra.clear();
    in.client.bottom = 600;
    EXPECT_FALSE(LayoutInfoPanel(in));
}

TEST(PanelStatistics, VarianceNeverNegative)
{
    const ValueStatistics s = StatisticsOf(0.3, 0.03, 3); // 0.1 three times, with rounding
    EXPECT_GE(s.deviation, 0);
    EXPECT_FALSE(std::isnan(s.deviation));
    EXPECT_EQ(StatisticsOf(0, 0, 0).mean, 0);
}

TEST(Readout, TextAndPlace)
{
    EXPECT_EQ(ReadoutText(500, 0.25, 0, false), " (500 nm:0.25) ");
    EXPECT_EQ(ReadoutText(500, 0.25, 1, false), " (2000 1/mm:0.25) ");
    EXPECT_EQ(ReadoutText(500, -2, 0, true), " (500 nm:-2(D)) ");
    EXPECT_LE(ReadoutText(1.2345678e-300, -1.2345678e300, 1, true).size(), 40u);
    EXPECT_EQ(ReadoutLeft(100, 80, {0, 0, 200, 100}), 102);
    EXPECT_EQ(ReadoutLeft(150, 80, {0, 0, 200, 100}), 70);
}

TEST(ToolTipBox, Geometry)
{
    const ToolTipBox t = LayoutToolTip(500, 100, 140, 14);
    EXPECT_EQ(t.box, (PlotRect{339, 94, 498, 119}));
    EXPECT_EQ(t.shadow, (PlotRect{339 + 10 - 9, 94 + 4, 498, 119}));
    EXPECT_EQ(t.textPos, QPoint(349, 99));
}

} // namespace
