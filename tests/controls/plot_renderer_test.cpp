// Drawing of the spectra into the off-screen picture: visible span, underlay, density
// gaps, dots, abort, and the random choice of 500.
#include "controls/plot_renderer.h"
#include "colormath/spectral_colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace {

// Client 595 x 562: plot area 500 x 500 at (50, 12); x 300..800 nm is one pixel per nm.
constexpr PlotRect kClient{0, 0, 595, 562};

RenderSpectrum Line(double from, double to, double step, double y, COLORREF colour = RGB(0, 0, 0))
{
    RenderSpectrum s;
    s.colour = colour;
    for (double x = from; x <= to + 1e-9; x += step)
        s.points.push_back({x, y});
    return s;
}

RenderJob Job(PlotRange range, bool density = false)
{
    RenderJob job;
    job.client = kClient;
    job.range = range;
    job.transform = PlotTransform::For(kClient, range, density);
    job.settings.showDensity = density;
    job.settings.showGraphDots = false;
    job.settings.showSpekGraph = false;
    return job;
}

// Colour of a screen pixel in the picture of the plot area.
QColor At(const RenderResult& r, int screenX, int screenY)
{
    return r.image.pixelColor(screenX - 50, screenY - 12);
}

TEST(VisibleSpan, FindsOnePointBeyondEachEdge)
{
    std::vector<double> xs;
    for (int i = 0; i <= 400; ++i)
        xs.push_back(380 + i);
    auto x = [&](int i) { return xs[i]; };
    const int n = static_cast<int>(xs.size());
    EXPECT_EQ(VisibleSpan(n, 380, 780, x), std::make_pair(0, 400));
    EXPECT_EQ(VisibleSpan(n, 500.5, 600.5, x), std::make_pair(120, 221));
    EXPECT_EQ(VisibleSpan(n, 500, 600, x), std::make_pair(120, 220));
    EXPECT_EQ(VisibleSpan(n, 780, 900, x), std::nullopt);
    EXPECT_EQ(VisibleSpan(n, 200, 380, x), std::nullopt);
    EXPECT_EQ(VisibleSpan(1, 300, 500, x), std::make_pair(0, 0));
    EXPECT_EQ(VisibleSpan(2, 380.5, 500, x), std::make_pair(0, 1));
    // Non-finite wavelengths at the ends are left out; the finite points keep their span.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        std::vector<double> xs;
        double minX, maxX;
        std::optional<std::pair<int, int>> span;
    } ends[] = {
        {"NaN last", {400, 450, 500, nan}, 380, 780, std::make_pair(0, 2)},
        {"NaN first", {nan, 400, 450, 500}, 380, 780, std::make_pair(1, 3)},
        {"infinite at both ends", {-inf, 400, 450, 500, inf}, 380, 780, std::make_pair(1, 3)},
        {"NaN at both ends, cut on both sides", {nan, 300, 400, 500, 600, 700, nan}, 450, 550, std::make_pair(2, 4)},
        {"only NaN", {nan, nan}, 380, 780, std::nullopt},
        {"finite points outside the range", {nan, 800, 900, nan}, 380, 780, std::nullopt},
    };
    for (const auto& c : ends) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VisibleSpan(static_cast<int>(c.xs.size()), c.minX, c.maxX, [&](int i) { return c.xs[i]; }), c.span);
    }
    // Unsorted values give some span, always inside the points.
    const std::vector<double> shuffled{500, 390, 700, 385, 760, 400, 790};
    const auto span = VisibleSpan(7, 395, 770, [&](int i) { return shuffled[i]; });
    ASSERT_TRUE(span);
    EXPECT_GE(span->first, 0);
    EXPECT_LE(span->second, 6);
}

TEST(RenderPlot, UnderlayOnlyInsideVisibleBand)
{
    RenderJob job = Job({300, 800, 0, 1});
    job.settings.showSpekGraph = true;
    job.spectra.push_back(Line(301, 799, 1, 0.5));
    const std::atomic<bool> abort{false};
    const RenderResult r = RenderPlot(job, abort);
    ASSERT_FALSE(r.aborted);
    // Decimated to every third point; 550 nm is one of them, at column 300.
    const SpectralRgb rgb = SpectralColorTable()[SpectralColorIndex(550)];
    EXPECT_EQ(At(r, 300, 400), QColor(int(rgb.r), int(rgb.g), int(rgb.b)));
    EXPECT_EQ(At(r, 100, 400), QColor(Qt::white)); // 350 nm
    EXPECT_EQ(At(r, 300, 200), QColor(Qt::white)); // above the curve
    EXPECT_EQ(At(r, 300, 261), QColor(Qt::black)); // the curve
}

TEST(RenderPlot, TrimmedUnderlayGivesTheSamePicture)
{
    struct Case {
        const char* name;
        PlotRange range;
        bool density;
    } cases[] = {
        {"baseline inside", {300, 800, -0.1, 1.1}, false},
        {"baseline below the picture", {300, 800, 0.3, 1.1}, false},
        {"density", {300, 800, -3, 0.2}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RenderJob job = Job(c.range, c.density);
        job.settings.showSpekGraph = true;
        job.settings.showGraphDots = true;
        for (int i = 0; i < 60; ++i) {
            RenderSpectrum s;
            s.colour = RGB(i * 4, 255 - i * 4, 100);
            const double centre = 400 + (i * 37) % 360, width = 8 + i % 30, height = 0.05 + (i % 10) / 9.0;
            for (double x = 380 + i % 3; x <= 780; x += 2.5)
                s.points.push_back({x, height * std::exp(-0.5 * (x - centre) * (x - centre) / (width * width))});
            job.spectra.push_back(std::move(s));
        }
        const std::atomic<bool> abort{false};
        const QImage trimmed = RenderPlot(job, abort).image;
        job.settings.trimHiddenBars = false;
        EXPECT_EQ(RenderPlot(job, abort).image, trimmed);
    }
}

TEST(RenderPlot, DensityValuesAtFloorBreakTheLine)
{
    RenderJob job = Job({300, 800, -3, 1}, true);
    job.settings.showGraphDots = true;
    job.settings.showGraphDotsOnly = false;
    RenderSpectrum s = Line(400, 700, 1, 1);
    for (RenderPoint& p : s.points) {
        if (p.x >= 500 && p.x <= 600)
            p.y = 1e-20;
    }
    job.spectra.push_back(s);
    const std::atomic<bool> abort{false};
    const RenderResult r = RenderPlot(job, abort);
    EXPECT_EQ(At(r, 200, 135), QColor(Qt::black)); // 450 nm, log10(1) = 0
    for (int y = 12; y < 512; ++y)
        ASSERT_EQ(At(r, 300, y), QColor(Qt::white)) << "row " << y; // 550 nm
}

TEST(RenderPlot, DotsOnlyWhenPointsAreEightPixelsApart)
{
    auto dotPixel = [](double step) {
        RenderJob job = Job({300, 800, 0, 1});
        job.settings.showGraphDots = true;
        job.spectra.push_back(Line(400, 700, step, 0.5));
        const std::atomic<bool> abort{false};
        // A cross arm at 500 nm (column 250, row 261), off the line.
        // A cross arm at 500 nm (column 250, row 261), below the line.
        return At(RenderPlot(job, abort), 248, 263);
    };
    EXPECT_EQ(dotPixel(20), QColor(Qt::black));
    EXPECT_EQ(dotPixel(5), QColor(Qt::white));
}

TEST(RenderPlot, CountsSpectraAndStopsOnAbort)
{
    RenderJob job = Job({300, 800, 0, 1});
    job.spectra.push_back(Line(400, 500, 1, 0.2));
    job.spectra.push_back({});
    job.spectra.push_back(Line(400, 500, 1, 0.8));
    std::atomic<bool> abort{false};
    EXPECT_EQ(RenderPlot(job, abort).drawn, 3);

    const RenderResult stopped = RenderPlot(job, abort, [](int index, const std::atomic<bool>& flag) {
        if (index == 1)
            const_cast<std::atomic<bool>&>(flag).store(true);
    });
    EXPECT_TRUE(stopped.aborted);
    EXPECT_EQ(stopped.drawn, 1);
}

TEST(RenderPlot, InvalidRangeGivesBackgroundOnly)
{
    RenderJob job = Job({500, 500, 0, 1});
    job.settings.bgColor = RGB(10, 20, 30);
    job.spectra.push_back(Line(400, 700, 1, 1e12));
    const std::atomic<bool> abort{false};
    const RenderResult r = RenderPlot(job, abort);
    EXPECT_EQ(r.drawn, 0);
    EXPECT_EQ(At(r, 300, 300), QColor(10, 20, 30));
}

TEST(RenderPlot, FarAndNonFinitePointsAreSafe)
{
    RenderJob job = Job({300, 800, 0, 1});
    RenderSpectrum s = Line(400, 700, 10, 0.5);
    s.points[3].y = 1e300;
    s.points[5].y = std::numeric_limits<double>::quiet_NaN();
    s.points[7].x = std::numeric_limits<double>::infinity();
    job.spectra.push_back(s);
    const std::atomic<bool> abort{false};
    EXPECT_EQ(RenderPlot(job, abort).drawn, 1);
}

TEST(RandomSubset, FiveHundredDistinctAndRepeatable)
{
    const std::vector<int> a = RandomSubset(501, 7);
    ASSERT_EQ(a.size(), 500u);
    const std::set<int> distinct(a.begin(), a.end());
    EXPECT_EQ(distinct.size(), 500u);
    EXPECT_LE(*distinct.rbegin(), 500);
    EXPECT_EQ(RandomSubset(501, 7), a);
    EXPECT_NE(RandomSubset(501, 8), a);
    // A large list: the draws are built from several 15-bit parts and stay in range.
    const std::vector<int> big = RandomSubset(100000, 3);
    EXPECT_EQ(std::set<int>(big.begin(), big.end()).size(), 500u);
    EXPECT_LT(*std::max_element(big.begin(), big.end()), 100000);
    EXPECT_GT(*std::max_element(big.begin(), big.end()), 32768);
    EXPECT_EQ(RandomSubset(3, 1).size(), 3u);
}

} // namespace
