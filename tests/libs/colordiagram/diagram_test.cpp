// The colour diagram's core: loci against published figures, the view and its bad values,
// auto-zoom, the layout of a small frame; and a few pixels of the painted widget.
#include <colordiagram/color_diagram_control.h>
#include <colordiagram/diagram_core.h>

#include <colormath/colormath.h>

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace colordiagram;

namespace {

TEST(ColorDiagram, SpectralAndPlanckianLoci)
{
    struct {
        double nm, x, y;
    } locus[] = {{380, 0.1741, 0.0050}, {520, 0.0743, 0.8338}, {700, 0.7347, 0.2653}};
    for (const auto& c : locus) {
        const auto it = std::find_if(SpectralLocus().begin(), SpectralLocus().end(),
                                     [&](const LocusPoint& p) { return p.nm == c.nm; });
        ASSERT_NE(it, SpectralLocus().end());
        const auto xy = colormath::ToChromaticity(it->X, it->Y, it->Z);
        EXPECT_NEAR(xy->x, c.x, 5e-5) << c.nm;
        EXPECT_NEAR(xy->y, c.y, 5e-5) << c.nm;
    }
    struct {
        double kelvin, x, y;
    } planck[] = {{1000, 0.65275, 0.34446}, {2856, 0.44754, 0.40743}, {6500, 0.31353, 0.32363},
                  {10000, 0.28063, 0.28829}};
    for (const auto& c : planck) {
        double X = 0, Y = 0, Z = 0;
        PlanckianXYZ(c.kelvin, X, Y, Z);
        const auto xy = colormath::ToChromaticity(X, Y, Z);
        EXPECT_NEAR(xy->x, c.x, 2e-5) << c.kelvin;
        EXPECT_NEAR(xy->y, c.y, 2e-5) << c.kelvin;
    }
}

TEST(ColorDiagram, ViewRoundTripAndBadValues)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    DiagramCore core;
    core.SetScaleX(2.5);
    core.SetScaleY(3);
    core.SetMiddleX(0.3);
    core.SetMiddleY(0.4);
    EXPECT_EQ(core.GetScaleX(), 2.5);
    EXPECT_EQ(core.GetScaleY(), 3);
    EXPECT_EQ(core.GetMiddleX(), 0.3);
    EXPECT_EQ(core.GetMiddleY(), 0.4);
    // The default view shows the whole horseshoe in a square frame.
    DiagramCore fresh;
    for (const LocusPoint& p : SpectralLocus()) {
        const auto xy = colormath::ToChromaticity(p.X, p.Y, p.Z);
        const UV px = fresh.ToPixel({xy->x, xy->y}, 400, 400);
        EXPECT_TRUE(px.u >= 0 && px.u <= 400 && px.v >= 0 && px.v <= 400) << p.nm;
    }
    struct {
        double scaleX, middleY;
    } bad[] = {{0, 0.4}, {-1, 0.4}, {nan, 0.4}, {inf, 0.4}, {1, nan}, {1, inf}};
    for (const auto& b : bad) {
        DiagramCore c;
        c.SetScaleX(b.scaleX);
        c.SetMiddleY(b.middleY);
        const View v = c.GetView();
        EXPECT_EQ(v.scaleX, 1);
        EXPECT_EQ(v.middleY, 0.5);
    }
    DiagramCore typed;
    for (int t : {-1, 3, 99}) {
        typed.SetDiagramType(t);
        EXPECT_EQ(typed.GetDiagramType(), 0);
    }
}

TEST(ColorDiagram, AutoZoomRefitsOnlyWhenPointsOrTypeChange)
{
    DiagramCore core;
    core.SetAutoZoom(true);
    core.SetScaleX(4);
    EXPECT_EQ(core.GetScaleX(), 4); // turning auto-zoom on refits nothing
    core.AddPoint(0.3, 0.3, 0.4, "a", "", "");
    core.AddPoint(0.5, 0.3, 0.2, "b", "", "");
    const View v = core.GetView();
    EXPECT_EQ(v.scaleX, v.scaleY);
    EXPECT_NEAR(v.middleX, (0.3 + 0.5) / 2, 1e-12);
    EXPECT_NEAR(v.scaleX, 1.0 / (0.2 * 1.2), 1e-9);
    core.SetMiddleX(0.1); // a put view stays until the points change
    EXPECT_EQ(core.GetMiddleX(), 0.1);
    // One point: the least span.
    core.RemoveAllPoints();
    core.AddPoint(1, 1, 1, "c", "", "");
    EXPECT_NEAR(core.GetScaleX(), 1.0 / 0.02, 1e-9);
}

TEST(ColorDiagram, LayoutOfPointsLinksTextsAndLegend)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    DiagramCore core;
    core.SetAutoZoom(false);
    core.SetShowNames(true);
    core.SetShowColorValues(true);
    core.AddPoint(1, 1, 2, "p", "Obs", "D65");   // x = 0.25, y = 0.25
    core.AddPoint(nan, 1, 1, "bad", "Obs", "D65"); // kept, not drawn
    core.AddPoint(2, 1, 1, "q", "Obs", "A");       // x = 0.5, y = 0.25
    core.LinkPoints(2, 0);
    core.LinkPoints(1, 0); // to a point that is not drawn
    core.LinkPoints(7, 0); // missing index
    const Layout l = core.MakeLayout(200, 200);
    ASSERT_EQ(l.points.size(), 2u);
    EXPECT_EQ(l.points[0].index, 0);
    EXPECT_DOUBLE_EQ(l.points[0].at.u, 50);
    EXPECT_DOUBLE_EQ(l.points[0].at.v, 150);
    EXPECT_DOUBLE_EQ(l.points[1].at.u, 100);
    ASSERT_EQ(l.links.size(), 1u);
    EXPECT_DOUBLE_EQ(l.links[0].first.u, 100);
    EXPECT_DOUBLE_EQ(l.links[0].second.u, 50);
    ASSERT_EQ(l.texts.size(), 2u);
    EXPECT_EQ(l.texts[0].text, "p (0.2500, 0.2500)");
    EXPECT_EQ(l.legend, (std::vector<std::string>{"Obs / D65", "Obs / A"}));
    EXPECT_EQ(core.Points().size(), 3u);

    // The planes: each point against its own white; the white itself sits at the origin.
    core.RemoveAllPoints();
    core.SetDiagramType(kLabPlane);
    core.SetReferenceX(95.047);
    core.SetReferenceY(100);
    core.SetReferenceZ(108.883);
    core.AddPoint(95.047, 100, 108.883, "w", "", "");
    core.AddPoint(50, 50, 50, "no white", "", ""); // white 0: not drawn
    core.SetMiddleX(0);
    core.SetMiddleY(0);
    const Layout plane = core.MakeLayout(200, 200);
    ASSERT_EQ(plane.points.size(), 1u);
    EXPECT_NEAR(plane.points[0].at.u, 100, 1e-9);
    EXPECT_NEAR(plane.points[0].at.v, 100, 1e-9);
}

TEST(ColorDiagram, PaintedFrameShowsLocusAndPoint)
{
    ColorDiagramControl control;
    control.SetAutoZoom(false);
    control.SetShowSpectralColors(true);
    control.SetShowNames(false);
    control.AddPoint(1, 1, 2, "p", "", "");
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        control.Render(painter, 200, 200);
    }
    // The point at (0.25, 0.25) is filled; the locus at 520 nm is coloured, the far corner white.
    EXPECT_NE(image.pixel(50, 150), qRgb(255, 255, 255));
    const UV green = control.Core().ToPixel({0.0743, 0.8338}, 200, 200);
    EXPECT_NE(image.pixel(static_cast<int>(green.u), static_cast<int>(green.v)), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(195, 5), qRgb(255, 255, 255));
}

} // namespace
