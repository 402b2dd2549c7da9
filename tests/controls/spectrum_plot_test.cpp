// The spectrum plot control as a widget: the drawing worker's protocol, the random choice
// of 500 spectra and colour probes of the finished picture.
#include "controls/plot_test_fixture.h"
#include "colormath/spectral_colors.h"
#include "core/tree.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <set>

namespace {

using plot_test::SpectrumPlotTest;
using plot_test::WaitFor;

TEST_F(SpectrumPlotTest, EmptyListEndsIdleWithoutWaitText)
{
    plot.SetFromSpectrumList({});
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.lastDrawnCount(), 0);
    const QImage shot = plot.grab().toImage();
    // Where the wait text stands while drawing: only background and dotted grid now.
    for (int y = 480; y < 511; ++y) {
        for (int x = 200; x < 544; ++x) {
            const QColor c = shot.pixelColor(x, y);
            ASSERT_TRUE(c == QColor(Qt::white) || c == QColor(192, 192, 192)) << x << "," << y;
        }
    }
}

TEST_F(SpectrumPlotTest, TinyControlPaintsMarginsOnly)
{
    Add("a", 500);
    plot.SetFromSpectrumList(All());
    plot.resize(60, 40);
    ASSERT_TRUE(WaitFor([&] { return plot.size() == QSize(60, 40); }));
    plot.repaint();
    ASSERT_TRUE(WaitFor([&] { return plot.isIdle(); }));
    EXPECT_EQ(plot.model().PlotArea().Width(), -35);
    EXPECT_EQ(plot.grab().toImage().pixelColor(1, 1), QColor(215, 215, 225));
    plot.resize(595, 562);
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.lastDrawnCount(), 1);
}

TEST_F(SpectrumPlotTest, BackgroundPictureIsACopy)
{
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    plot.SetBgBitmap(picture);
    picture.fill(Qt::blue); // the caller's own picture
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.grab().toImage().pixelColor(303, 205), QColor(Qt::red));
    plot.SetBgBitmap(QImage()); // none: the background colour again
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.grab().toImage().pixelColor(303, 205), QColor(Qt::white));
}

TEST_F(SpectrumPlotTest, ButtonColumnSpacingOnFirstPaintAndAfterResize)
{
    ASSERT_TRUE(Draw());
    const PlotButtonRects first = plot.buttonRects();
    const int size = first[0].Width();
    EXPECT_GE(size, 16);
    EXPECT_EQ(first[1].top - first[0].top, size + 4);
    EXPECT_EQ(first[0].right, 595 - 10);
    plot.resize(700, 562);
    const PlotButtonRects resized = plot.buttonRects();
    EXPECT_EQ(resized[1].top - resized[0].top, size + 2);
    EXPECT_EQ(resized[0].right, 700 - 10);
}

TEST_F(SpectrumPlotTest, UnderlayProbeAndDrawnSpectra)
{
    Add("a", 550, 1, RGB(0, 0, 255));
    plot.SetFromSpectrumList(All());
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.lastDrawnCount(), 1);
    const QImage shot = plot.grab().toImage();
    QPoint top;
    ASSERT_TRUE(plot.CoordinateToScreen(550, 0.45, plot.rect(), top));
    const SpectralRgb rgb = SpectralColorTable()[SpectralColorIndex(550)];
    EXPECT_EQ(shot.pixelColor(top), QColor(int(rgb.r), int(rgb.g), int(rgb.b)));
    ASSERT_TRUE(plot.CoordinateToScreen(550, 1.03, plot.rect(), top));
    EXPECT_EQ(shot.pixelColor(top), QColor(Qt::white)); // above the peak
}

// A spectrum with the largest finite values is drawn, clipped, beside the others, which
// stay visible: the column of a normal spectrum that the huge one does not reach holds its
// line.
TEST_F(SpectrumPlotTest, HugeFiniteValuesHideNothing)
{
    for (const double huge : {DBL_MAX, -DBL_MAX, 1e200}) {
        SCOPED_TRACE(huge);
        owned.clear();
        auto normal = std::make_unique<Spectrum>();
        normal->SetName("normal");
        for (int x = 380; x <= 480; x += 5)
            normal->AddPoint(SPoint(x, 1));
        owned.push_back(std::move(normal));
        auto big = std::make_unique<Spectrum>();
        big->SetName("huge");
        big->AddPoint(SPoint(600, -huge));
        big->AddPoint(SPoint(700, huge));
        owned.push_back(std::move(big));
        plot.SetFromSpectrumList(All());
        ASSERT_TRUE(Draw());
        EXPECT_EQ(plot.lastDrawnCount(), 2);
        QPoint p;
        ASSERT_TRUE(plot.CoordinateToScreen(430, 1, plot.rect(), p));
        const QImage shot = plot.grab().toImage();
        bool line = false;
        for (int dy = -2; dy <= 2; ++dy)
            line = line || shot.pixelColor(p.x(), p.y() + dy) != QColor(Qt::white);
        EXPECT_TRUE(line);
    }
}

// Points without a number, wherever they stand, are left out: the range comes from the
// finite points and the curve between them is drawn, also when such a point ends the list.
TEST_F(SpectrumPlotTest, NonFinitePointsAreLeftOutWhereverTheyStand)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        SPoint first, last;
    } cases[] = {
        {"NaN wavelength last", {400, 0}, {nan, 0.5}},
        {"NaN wavelength first", {nan, 0.5}, {700, 0}},
        {"infinite wavelengths", {-inf, 0.5}, {inf, 0.5}},
        {"NaN and infinite values", {400, nan}, {700, inf}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        owned.clear();
        auto s = std::make_unique<Spectrum>();
        s->SetName("X:Z");
        s->AddPoint(c.first);
        for (int x = 450; x <= 650; x += 10)
            s->AddPoint(SPoint(x, x <= 550 ? 1.0 + (x - 450) / 100.0 : 2.0));
        s->AddPoint(c.last);
        owned.push_back(std::move(s));
        plot.SetFromSpectrumList(All());
        ASSERT_TRUE(Draw());
        const PlotSettings& settings = plot.model().settings;
        const double minX = std::isfinite(c.first.x) && std::isfinite(c.first.y) ? c.first.x : 450;
        const double maxX = std::isfinite(c.last.x) && std::isfinite(c.last.y) ? c.last.x : 650;
        EXPECT_EQ(*settings.MinX, minX);
        EXPECT_EQ(*settings.MaxX, maxX);
        EXPECT_EQ(*settings.MaxY, 2.0);
        // The rising part between 450 and 550 nm is drawn.
        QPoint p;
        ASSERT_TRUE(plot.CoordinateToScreen(505, 1.55, plot.rect(), p));
        const QImage shot = plot.grab().toImage();
        bool line = false;
        for (int dy = -2; dy <= 2; ++dy)
            line = line || shot.pixelColor(p.x(), p.y() + dy) == QColor(Qt::black);
        EXPECT_TRUE(line);
    }
}

TEST_F(SpectrumPlotTest, OfTwoQuickRequestsOnlyTheSecondFinishes)
{
    for (int i = 0; i < 3; ++i)
        Add("s" + std::to_string(i), 450 + 50 * i);
    HoldWorkers();
    QSignalSpy spy(&plot, &CSpecDisplay::drawFinished);
    plot.SetFromSpectrumList(All());
    plot.repaint();
    ASSERT_TRUE(WaitFor([&] { return held.load() == 1; }));
    EXPECT_FALSE(plot.isIdle());
    hold = false;
    plot.NeedRedraw(true);
    plot.repaint(); // aborts the held worker, starts the second
    ASSERT_TRUE(spy.wait(10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(plot.lastDrawnCount(), 3);
    EXPECT_TRUE(plot.isIdle());
}

TEST_F(SpectrumPlotTest, BusyTreeDoesNotHangAndDrawsAfterwards)
{
    Add("a", 500);
    {
        ns_tree::BusyGuard busy;
        plot.SetFromSpectrumList(All());
        plot.repaint(); // finds the tree busy: starts nothing, keeps waiting
        EXPECT_FALSE(plot.isIdle());
        QCoreApplication::processEvents();
        EXPECT_FALSE(plot.isIdle());
    }
    QSignalSpy spy(&plot, &CSpecDisplay::drawFinished);
    ASSERT_TRUE(spy.wait(10000)); // the retry starts the worker
    EXPECT_TRUE(plot.isIdle());
    EXPECT_EQ(plot.lastDrawnCount(), 1);
}

TEST_F(SpectrumPlotTest, RemovingAShownSpectrumWhileDrawing)
{
    Spectrum* a = Add("a", 500);
    Add("b", 600);
    HoldWorkers();
    plot.SetFromSpectrumList(All());
    plot.repaint();
    ASSERT_TRUE(WaitFor([&] { return held.load() == 1; }));
    hold = false;
    plot.RemoveFromShownList(a);
    owned.erase(owned.begin()); // deleted, as the tree would
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.GetShownList().size(), 1u);
    EXPECT_EQ(plot.lastDrawnCount(), 1);
}

TEST(SpectrumPlotLifetime, DestructionWhileDrawingIsClean)
{
    auto plot = std::make_unique<CSpecDisplay>();
    Spectrum s;
    for (int x = 380; x <= 780; ++x)
        s.AddPoint(SPoint(x, 1));
    std::atomic<int> held{0};
    plot->setBetweenSpectraHook([&](int, const std::atomic<bool>& abort) {
        ++held;
        while (!abort.load())
            std::this_thread::yield();
    });
    plot->resize(400, 300);
    plot->show();
    plot->SetFromSpectrumList({&s});
    plot->repaint();
    ASSERT_TRUE(WaitFor([&] { return held.load() == 1; }));
    plot.reset(); // aborts and joins the held worker
    QCoreApplication::processEvents();
}

class ManySpectraTest : public SpectrumPlotTest {
protected:
    ManySpectraTest()
    {
        for (int i = 0; i < 501; ++i)
            Add("s" + std::to_string(i), 400 + (i * 7) % 380, 0.5 + (i % 10) / 20.0, RGB(i % 256, 0, 0));
    }
};

TEST_F(ManySpectraTest, StableRandomFiveHundred)
{
    plot.SetFromSpectrumList(All());
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.lastDrawnCount(), 500);
    const std::vector<int> first = plot.drawnSubset();
    ASSERT_EQ(first.size(), 500u);
    EXPECT_EQ(std::set<int>(first.begin(), first.end()).size(), 500u);

    // The same list again keeps its choice, even with another seed.
    plot.setRandomSeed(2);
    plot.SetFromSpectrumList(All());
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.drawnSubset(), first);
    // A new last name makes a new choice.
    owned.back()->SetName("renamed");
    plot.SetFromSpectrumList(All());
    ASSERT_TRUE(Draw());
    EXPECT_NE(plot.drawnSubset(), first);

    *plot.settings().UseOptSpecDisplay = false;
    ASSERT_TRUE(Draw());
    EXPECT_EQ(plot.lastDrawnCount(), 501);
}

} // namespace
