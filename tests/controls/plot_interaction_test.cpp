// Pan, zoom, tool tips and value lookups of the spectrum plot.
#include "controls/plot_interaction.h"
#include "core/spectrum.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include <memory>

namespace {

constexpr PlotRange kBand{380, 780, 0, 1};

TEST(PlotZoom, WheelKeepsPointerInPlace)
{
    RangeChange in = WheelZoom(kBand, 580, 0.5, true, false, true, false, false);
    EXPECT_NEAR(in.range.minX, 413.333333, 1e-6);
    EXPECT_NEAR(in.range.maxX, 746.666667, 1e-6);
    EXPECT_TRUE(in.storeX);
    EXPECT_FALSE(in.storeY); // automatic y: neither zoomed nor stored
    EXPECT_EQ(in.range.maxY, 1);
    const RangeChange out = WheelZoom(in.range, 580, 0.5, false, false, true, false, false);
    EXPECT_NEAR(out.range.minX, 380, 1e-9);
    EXPECT_NEAR(out.range.maxX, 780, 1e-9);
}

TEST(PlotZoom, WheelOverLabelsAndAutomaticAxes)
{
    // Over the y labels only y zooms; over the x labels only x, but y limits are stored.
    const RangeChange overY = WheelZoom(kBand, 580, 0.5, true, false, false, true, false);
    EXPECT_EQ(overY.range.minX, 380);
    EXPECT_NEAR(overY.range.maxY, 0.5 + 0.5 / 1.2, 1e-12);
    const RangeChange overX = WheelZoom(kBand, 580, 0.5, true, false, false, false, true);
    EXPECT_EQ(overX.range.maxY, 1);
    EXPECT_TRUE(overX.storeY);
    const RangeChange automatic = WheelZoom(kBand, 580, 0.5, true, true, true, false, false);
    EXPECT_FALSE(automatic.storeX || automatic.storeY);
    EXPECT_EQ(automatic.range.minX, 380);
    // Zooming out near 0 nm stops at 0.
    EXPECT_EQ(WheelZoom({2, 100, 0, 1}, 20, 0.5, false, false, true, false, false).range.minX, 0);
}

TEST(PlotZoom, KeypadAndBox)
{
    const PlotRange in = KeypadZoom(kBand, true);
    EXPECT_NEAR(in.minX, 580 - 200 / 1.2, 1e-9);
    EXPECT_NEAR(in.maxY, 0.5 + 0.5 / 1.2, 1e-12);
    EXPECT_NEAR(KeypadZoom(kBand, false).maxX, 580 + 240, 1e-9);
    EXPECT_EQ(BoxZoom(500, 1, 400, 0), (PlotRange{400, 500, 0, 1}));
    EXPECT_FALSE(BoxZoom(500, 0, 500, 1));
    EXPECT_FALSE(BoxZoom(400, 0.5, 500, 0.5));
}

TEST(PlotPan, AutomaticAxesStayAndZeroClamps)
{
    const RangeChange automatic = Pan(kBand, 50, 0.1, true, true);
    EXPECT_EQ(automatic.range.minX, 380);
    EXPECT_FALSE(automatic.storeX || automatic.storeY);
    const RangeChange moved = Pan(kBand, 50, 0.1, false, false);
    EXPECT_EQ(moved.range.minX, 330);
    EXPECT_NEAR(moved.range.maxY, 0.9, 1e-12);
    // Past 0 nm the range narrows rather than going negative.
    const RangeChange clamped = Pan({10, 410, 0, 1}, 20, 0, false, true);
    EXPECT_EQ(clamped.range.minX, 0);
    EXPECT_EQ(clamped.range.maxX, 410);
    const RangeChange top = Pan({500, 999990, 0, 1}, -20, 0, false, true);
    EXPECT_EQ(top.range.maxX, 1e6);
    EXPECT_EQ(top.range.minX, 500);
}

// Zooming out of or panning a range at the ends of double keeps it finite (an infinite
// limit would leave nothing to draw).
TEST(PlotZoom, RangesAtTheEndsOfDoubleStayFinite)
{
    const PlotRange wide{380, 780, -DBL_MAX, DBL_MAX};
    const PlotRange top{380, 780, 0, DBL_MAX};
    for (const PlotRange& r : {wide, top}) {
        const PlotRange keypad = KeypadZoom(r, false);
        const RangeChange wheel = WheelZoom(r, 500, r.minY / 2 + r.maxY / 2, false, false, false, false, false);
        const RangeChange pan = Pan(r, 0, -DBL_MAX / 2, false, false);
        for (const PlotRange& out : {keypad, wheel.range, pan.range}) {
            EXPECT_TRUE(std::isfinite(out.minY) && std::isfinite(out.maxY));
            EXPECT_LT(out.minY, out.maxY);
        }
        EXPECT_LE(keypad.minY, r.minY);
        EXPECT_GE(keypad.maxY, r.maxY);
    }
    // Zooming in on the widest range narrows it.
    const PlotRange in = KeypadZoom(wide, true);
    EXPECT_GT(in.minY, -DBL_MAX);
    EXPECT_LT(in.maxY, DBL_MAX);
}

TEST(PlotWheel, SmallDeltasAddUpToNotches)
{
    WheelAccumulator wheel;
    EXPECT_EQ(wheel.Add(40), 0);
    EXPECT_EQ(wheel.Add(40), 0);
    EXPECT_EQ(wheel.Add(40), 1);
    EXPECT_EQ(wheel.Add(-120), -1);
    EXPECT_EQ(wheel.Add(250), 2);
    EXPECT_EQ(wheel.Add(-20), 0);
}

TEST(PlotToolTips, TextsFollowSettings)
{
    ButtonStates s;
    EXPECT_EQ(ToolTipText(PlotButton::SpekGraph, s), "VIS-Intervall spektral einfärben");
    EXPECT_EQ(ToolTipText(PlotButton::Info, s), "Infofenster rechts einblenden");
    s.infoLeftPos = s.showInfoWin = s.showDensity = s.infoLegende = s.showGraphDotsOnly = true;
    EXPECT_EQ(ToolTipText(PlotButton::Info, s), "Infofenster links ausblenden");
    EXPECT_EQ(ToolTipText(PlotButton::Density, s), "Spektren-Y-Werte linear anzeigen");
    EXPECT_EQ(ToolTipText(PlotButton::Legend, s), "Spektrenlegende ausblenden");
    EXPECT_EQ(ToolTipText(PlotButton::DotsOnly, s), "Spektrenpunkte verbinden");
    EXPECT_EQ(ToolTipText(PlotButton::Save, s), "Spektrenansicht als Bild speichern");
}

TEST(PlotButtons, HitOrderDiffersFromColumnOrder)
{
    PlotButtonRects rects = LayoutButtons({0, 0, 600, 400}, 16, 4);
    EXPECT_EQ(RectOf(rects, PlotButton::FullSize), (PlotRect{574, 18, 590, 34}));
    EXPECT_EQ(RectOf(rects, PlotButton::Density).top, 18 + 9 * 20);
    // Where two rectangles overlap, the hit order decides: spectral colours before dots.
    rects[static_cast<int>(PlotButton::Dots)] = RectOf(rects, PlotButton::SpekGraph);
    EXPECT_EQ(HitButton(rects, 580, RectOf(rects, PlotButton::SpekGraph).top), PlotButton::SpekGraph);
    EXPECT_EQ(HitButton(rects, 590, 34), PlotButton::FullSize); // edges included
    EXPECT_FALSE(HitButton(rects, 573, 20));
    EXPECT_FALSE(HitButton(PlotButtonRects{}, 0, 0)); // empty rectangles before the first paint
}

class SpectrumLookup : public ::testing::Test {
protected:
    SpectrumLookup()
    {
        for (auto [x, y] : {std::pair{400.0, 1.0}, {500.0, 3.0}, {600.0, 2.0}})
            a.AddPoint(SPoint(x, y));
        for (auto [x, y] : {std::pair{450.0, 2.5}, {550.0, 2.5}})
            b.AddPoint(SPoint(x, y));
        unsorted.AddPoint(SPoint(500, 1));
        unsorted.AddPoint(SPoint(400, 1));
    }
    Spectrum a, b, unsorted;
};

TEST_F(SpectrumLookup, ValuesAndIndices)
{
    double y = 0;
    int index = -1;
    EXPECT_TRUE(GetSpectrumYValue(&a, 450, y));
    EXPECT_DOUBLE_EQ(y, 2);
    EXPECT_TRUE(GetSpectrumYValue(&a, 600, y)); // exactly the last x
    EXPECT_DOUBLE_EQ(y, 2);
    EXPECT_TRUE(GetSpectrumXValue(&a, 599, index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(GetSpectrumYValue(&a, 399, y));
    EXPECT_FALSE(GetSpectrumYValue(&unsorted, 450, y));
    EXPECT_FALSE(GetSpectrumYValue(&a, std::numeric_limits<double>::quiet_NaN(), y));
}

TEST_F(SpectrumLookup, NearestSpectrum)
{
    const std::vector<Spectrum*> list{&a, &b, &unsorted};
    double value = 0;
    EXPECT_EQ(NearestSpectrum(list, 500, 2.6, &value), 1);
    EXPECT_DOUBLE_EQ(value, 2.5);
    EXPECT_EQ(NearestSpectrum(list, 500, 3.5), 0);
    EXPECT_EQ(NearestSpectrum(list, 500, 2.75), 0); // a tie keeps the earlier spectrum
    EXPECT_EQ(NearestSpectrum(list, 700, 1), -1);
    EXPECT_EQ(NearestSpectrum({&unsorted}, 450, 1), -1);
}

} // namespace
