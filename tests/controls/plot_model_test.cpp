// Settings, shown list and range rules of the spectrum plot, without a window.
#include "controls/plot_model.h"
#include "core/spectrum.h"
#include "core/tree.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <xandril/xandril.h>

#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <utility>

namespace {

std::unique_ptr<Spectrum> Make(const std::string& name, std::initializer_list<std::pair<double, double>> points)
{
    auto s = std::make_unique<Spectrum>();
    s->SetName(name);
    for (const auto& [x, y] : points)
        s->AddPoint(SPoint(x, y));
    return s;
}

class PlotModelTest : public ::testing::Test {
protected:
    PlotModelTest() { model.SetClient({0, 0, 595, 562}); }

    void Show(std::initializer_list<Spectrum*> spectra) { model.SetFromSpectrumList(std::list<Spectrum*>(spectra)); }
    PlotSettings& s() { return model.settings; }

    PlotModel model;
    std::unique_ptr<Spectrum> low = Make("A:low", {{400, 0}, {500, 10}, {600, 3}});
    std::unique_ptr<Spectrum> high = Make("A:high", {{450, 5}, {550, 20}, {700, 6}});
};

TEST_F(PlotModelTest, NewPlotShowsVisibleBand)
{
    const PlotRange r = model.ShownRange();
    EXPECT_EQ(r.minX, 380);
    EXPECT_EQ(r.maxX, 780);
    EXPECT_EQ(r.minY, 0);
    EXPECT_EQ(r.maxY, 1);
    EXPECT_TRUE(*s().UseOptSpecDisplay);
    EXPECT_FALSE(*s().ShowDensity);
    EXPECT_EQ(*s().SampleDist, 5);
    EXPECT_EQ(*s().BgBitmapPath, "spec_bg.bmp");
    EXPECT_EQ(s().GetBorderColor(), RGB(215, 215, 225));
    EXPECT_EQ(model.Grid().x.count, 20);
}

TEST_F(PlotModelTest, ContainerRoundTripAndNamedChanges)
{
    ns_param::Paramora& container = s().MainSpectrumView;
    EXPECT_EQ(container.getName(), "MainSpectrumView");
    EXPECT_EQ(std::distance(container.getFirstParameter(), container.getLastParameter()), 34);
    EXPECT_EQ(container.getParameter("ShowDensity")->getComment(),
              "Sollen Wellenlängenstützwerte als optische Dichte angezeigt werden?");
    // A change by name is seen through the kept pointer.
    container.setBoolParameter("ShowDensity", true);
    EXPECT_TRUE(*s().ShowDensity);

    test_support::TempDir dir;
    *s().MinX = 412.5;
    *s().YAxisName = "rel. Intensität";
    s().SetBorderColor(RGB(1, 2, 3));
    ns_xandril::XMLWriteModul writer;
    container.addToXML(writer);
    ASSERT_TRUE(writer.writeToFile(dir.file("plot.xml")));

    PlotModel other;
    ns_xandril::XMLReadModul reader;
    reader.readFromFile(dir.file("plot.xml"));
    other.settings.MainSpectrumView.updateFromXML(reader);
    EXPECT_TRUE(*other.settings.ShowDensity);
    EXPECT_EQ(*other.settings.MinX, 412.5);
    EXPECT_EQ(*other.settings.YAxisName, "rel. Intensität");
    EXPECT_EQ(other.settings.GetBorderColor(), RGB(1, 2, 3));
    EXPECT_EQ(*other.settings.SampleDist, 5);
}

TEST_F(PlotModelTest, AutomaticRangesWithMargins)
{
    Show({low.get(), high.get()});
    EXPECT_EQ(*s().MinY, 0);
    EXPECT_EQ(*s().MaxY, 20);
    EXPECT_EQ(*s().MinX, 400);
    EXPECT_EQ(*s().MaxX, 700);
    const PlotRange r = model.ShownRange();
    EXPECT_DOUBLE_EQ(r.maxY, 21);
    EXPECT_DOUBLE_EQ(r.minY, -1.05); // 5 % of the span widened by the upper margin
    EXPECT_EQ(r.minX, 400);
    EXPECT_EQ(r.maxX, 700);

    *s().AutoZeroYMin = true;
    Show({high.get()});
    EXPECT_EQ(model.ShownRange().minY, 0);
    EXPECT_EQ(*s().MinY, 0);
}

// Spectra holding the largest finite values: the shown range stays finite and mappable, with
// its margins, so the plot draws them with the others.
TEST_F(PlotModelTest, HugeFiniteValuesKeepAFiniteRange)
{
    struct Case {
        const char* name;
        double lowest, highest;
    } cases[] = {
        {"largest double", 0, DBL_MAX},
        {"lowest double", -DBL_MAX, 20},
        {"both", -DBL_MAX, DBL_MAX},
        {"plus and minus 1e200", -1e200, 1e200},
        {"plus and minus 1e308", -1e308, 1e308},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto huge = Make("huge", {{420, c.lowest}, {480, c.highest}});
        Show({low.get(), huge.get(), high.get()});
        EXPECT_EQ(*s().MinY, c.lowest);
        EXPECT_EQ(*s().MaxY, c.highest);
        const PlotRange r = model.ShownRange();
        EXPECT_TRUE(std::isfinite(r.minY) && std::isfinite(r.maxY));
        EXPECT_LT(r.minY, c.lowest == -DBL_MAX ? -DBL_MAX / 2 : c.lowest);
        EXPECT_GT(r.maxY, c.highest == DBL_MAX ? DBL_MAX / 2 : c.highest);
        const PlotTransform t = model.Transform();
        ASSERT_TRUE(t.valid);
        // Every point within the range's pixels (its top lies two pixels above the area).
        const PlotRect area = model.PlotArea();
        for (const Spectrum* sp : {low.get(), high.get(), huge.get()})
            for (int i = 0; i < sp->GetPointCount(); ++i) {
                const QPoint p = t.ToScreen((*sp)[i].x, (*sp)[i].y);
                EXPECT_GE(p.y(), area.top - 2);
                EXPECT_LE(p.y(), area.bottom);
            }
    }
}

TEST_F(PlotModelTest, DensityLimitsAreLogarithms)
{
    *s().ShowDensity = true;
    auto s100 = Make("d", {{400, 0}, {500, 100}});
    Show({s100.get()});
    EXPECT_DOUBLE_EQ(*s().MinY, -15);
    EXPECT_DOUBLE_EQ(*s().MaxY, 2);
    EXPECT_NEAR(model.ShownRange().minY, -15.8925, 1e-12);
    EXPECT_NEAR(model.ShownRange().maxY, 2.85, 1e-12);
}

TEST_F(PlotModelTest, EmptyListKeepsShownRange)
{
    Show({low.get()});
    const PlotRange before = model.ShownRange();
    Show({});
    EXPECT_TRUE(model.Shown().empty());
    EXPECT_EQ(*s().MinY, 0);
    EXPECT_EQ(*s().MaxY, 1);
    EXPECT_EQ(model.ShownRange().maxY, before.maxY);
    EXPECT_EQ(model.ShownRange().minX, before.minX);
}

TEST_F(PlotModelTest, OnlyEmptySpectraKeepPreviousLimits)
{
    Show({low.get()});
    auto empty1 = Make("e1", {});
    auto empty2 = Make("e2", {});
    Show({empty1.get(), empty2.get()});
    EXPECT_TRUE(model.Shown().empty());
    EXPECT_EQ(*s().MaxY, 10);
    EXPECT_EQ(*s().MaxX, 600);
    EXPECT_DOUBLE_EQ(model.ShownRange().maxY, 10.5);
    // Spectra without points are left out of a mixed list.
    Show({empty1.get(), high.get(), empty2.get()});
    ASSERT_EQ(model.Shown().size(), 1u);
    EXPECT_EQ(model.Shown()[0], high.get());
}

TEST_F(PlotModelTest, ManualRangesStayAsTheyAre)
{
    *s().AutoMinMax = false;
    *s().AutoXMinMax = false;
    model.SetShownRange({500, 600, -2, 2});
    Show({low.get(), high.get()});
    EXPECT_EQ(model.Shown().size(), 2u);
    EXPECT_EQ(*s().MinX, 380);
    EXPECT_EQ(*s().MaxY, 1);
    EXPECT_EQ(model.ShownRange().minX, 500);
    EXPECT_EQ(model.Grid().x.first, 500); // the grid follows the shown range
}

TEST_F(PlotModelTest, EqualLimitsAreWidened)
{
    struct Case {
        double y;
        double lo, hi;
    } cases[] = {{5, 4.9995, 5.0005}, {0, -1, 1}, {-5, -5.0005, -4.9995}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        auto flat = Make("flat", {{500, c.y}, {600, c.y}});
        Show({flat.get()});
        EXPECT_NEAR(*s().MinY, c.lo, 1e-12);
        EXPECT_NEAR(*s().MaxY, c.hi, 1e-12);
        model.ResetToMinMax(); // rescans the same zero span
        EXPECT_NEAR(*s().MinY, c.lo, 1e-12);
        EXPECT_LT(model.ShownRange().minY, model.ShownRange().maxY);
        EXPECT_TRUE(model.Transform().valid);
    }
    auto point = Make("point", {{550, 1}});
    Show({point.get()});
    EXPECT_LT(*s().MinX, 550);
    EXPECT_GT(*s().MaxX, 550);
}

TEST_F(PlotModelTest, FullRangeOnEmptyDensityPlotDoesNotDrift)
{
    *s().ShowDensity = true;
    Show({low.get()});
    Show({});
    for (int i = 0; i < 3; ++i)
        model.ApplyButton(PlotButton::FullSize);
    EXPECT_EQ(*s().MinY, 0);
    EXPECT_EQ(*s().MaxY, 1);
}

TEST_F(PlotModelTest, BusyTreeKeepsLimits)
{
    Show({low.get()});
    low->AddPoint(SPoint(650, 50));
    {
        ns_tree::BusyGuard busy;
        model.ResetToMinMax();
        EXPECT_EQ(*s().MaxY, 10);
    }
    model.ResetToMinMax();
    EXPECT_EQ(*s().MaxY, 50);
}

TEST_F(PlotModelTest, RemoveFromShownList)
{
    Show({low.get(), high.get()});
    EXPECT_TRUE(model.RemoveFromShownList(low.get()));
    EXPECT_FALSE(model.RemoveFromShownList(low.get()));
    ASSERT_EQ(model.Shown().size(), 1u);
    EXPECT_EQ(model.Signature(), (ListSignature{1, "A:high", "A:high"}));
}

TEST_F(PlotModelTest, ColoursAndSampleDistance)
{
    s().SetBackgroundColor(RGB(10, 20, 30));
    EXPECT_EQ(s().BgColor[0], 10);
    EXPECT_EQ(s().BgColor[2], 30);
    EXPECT_EQ(s().GetBackgroundColor(), RGB(10, 20, 30));
    *s().SampleDist = 40;
    EXPECT_EQ(s().SampleDistance(), 16);
    *s().SampleDist = -3;
    EXPECT_EQ(s().SampleDistance(), 1);
}

TEST_F(PlotModelTest, ButtonsToggleOrResetRanges)
{
    Show({low.get()});
    *s().AutoMinMax = false;
    *s().AutoXMinMax = false;
    model.SetShownRange({500, 520, 1, 2});
    model.ApplyButton(PlotButton::XSize);
    EXPECT_EQ(model.ShownRange().minX, 400);
    EXPECT_EQ(model.ShownRange().maxY, 10); // y from its stored limits, without margins
    EXPECT_FALSE(*s().AutoXMinMax);
    model.ApplyButton(PlotButton::YSize);
    EXPECT_DOUBLE_EQ(model.ShownRange().maxY, 10.5);
    EXPECT_FALSE(*s().AutoMinMax);

    struct Toggle {
        PlotButton button;
        bool* flag;
    } toggles[] = {{PlotButton::SpekGraph, s().ShowSpekGraph}, {PlotButton::Dots, s().ShowGraphDots},
                   {PlotButton::Info, s().ShowInfoWin},       {PlotButton::DotsOnly, s().ShowGraphDotsOnly},
                   {PlotButton::Legend, s().InfoLegende},     {PlotButton::Density, s().ShowDensity}};
    for (const Toggle& t : toggles) {
        const bool before = *t.flag;
        model.ApplyButton(t.button);
        EXPECT_NE(*t.flag, before);
    }
    EXPECT_NEAR(*s().MaxY, 1, 1e-12); // the density button rescanned: log10(10)
}

} // namespace
