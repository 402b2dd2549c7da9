// The resampling rules of NormalizeSpek: grid, cleaning of odd input, interpolators and
// extrapolators together, and the containers.
#include <embrel/normalize_spek.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Grid = CSpekContainer::SpekInfo;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Every interpolator with every extrapolator.
struct Pair {
    std::string name;
    std::unique_ptr<IpolBase> ipol;
    std::unique_ptr<EpolBase> epol;
    int epolIndex; // 0 Null, 1 Werte, 2 Lin, 3 HyperbolAbflach
};

std::vector<Pair> AllPairs()
{
    std::vector<Pair> pairs;
    const char* ipolNames[] = {"Nachbar", "LinSpline", "KubSpline", "AusglKubSpline"};
    const char* epolNames[] = {"Null", "Werte", "Lin", "HyperbolAbflach"};
    for (int i = 0; i < 4; ++i) {
        for (int e = 0; e < 4; ++e) {
            Pair p;
            p.name = std::string(ipolNames[i]) + "/" + epolNames[e];
            p.ipol.reset(i == 0   ? static_cast<IpolBase*>(new IpolNachbar)
                         : i == 1 ? static_cast<IpolBase*>(new IpolLinSpline)
                         : i == 2 ? static_cast<IpolBase*>(new IpolKubSpline)
                                  : static_cast<IpolBase*>(new IpolAusglKubSpline));
            p.epol.reset(e == 0   ? static_cast<EpolBase*>(new EpolNull)
                         : e == 1 ? static_cast<EpolBase*>(new EpolWerte)
                         : e == 2 ? static_cast<EpolBase*>(new EpolLin)
                                  : static_cast<EpolBase*>(new EpolHyperbolAbflach));
            p.epolIndex = e;
            pairs.push_back(std::move(p));
        }
    }
    return pairs;
}

std::vector<double> Resample(Pair& p, const std::vector<double>& x, const std::vector<double>& y, Grid grid,
                        double offset = 0.0, double scale = 1.0, int count = 0)
{
    NormalizeSpek resampler(p.ipol.get(), p.epol.get());
    return resampler.run(x, y, grid, offset, scale, count).Values();
}

const std::vector<double> kIrregularX = {400, 401.5, 404, 404.5, 409, 415, 416, 423};

TEST(EmbrelGrid, CountsPointsWithoutSummingSteps)
{
    struct Row {
        const char* name;
        Grid grid;
        std::size_t count;
    } rows[] = {
        {"1 nm", {380, 1, 780}, 401},
        {"0.1 nm keeps the end", {380, 0.1, 780}, 4001},
        {"0.2 nm keeps the end", {380, 0.2, 780}, 2001},
        {"0.4 nm", {380, 0.4, 780}, 1001},
        {"end between points", {1, 3, 7.5}, 3},
        {"one point", {5, 1, 5}, 1},
        {"step 0", {380, 0, 780}, 0},
        {"negative step", {380, -1, 780}, 0},
        {"end below start", {780, 1, 380}, 0},
        {"NaN step", {380, kNaN, 780}, 0},
        {"infinite end", {380, 1, kInf}, 0},
        {"NaN start", {kNaN, 1, 780}, 0},
        {"too many points", {0, 1e-9, 1000}, 0},
        {"span overflows", {-1e308, 1e-300, 1e308}, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.grid.GetCount(), r.count);
    }
    const Grid fine{380, 0.1, 780};
    EXPECT_EQ(fine.GetX(4000), 380 + 4000 * 0.1);
    EXPECT_NEAR(fine.GetX(4000), 780, 1e-9);
}

TEST(EmbrelResample, UnusableGridOrNumbersGiveAnEmptyResult)
{
    IpolLinSpline lin;
    EpolWerte werte;
    NormalizeSpek r(&lin, &werte);
    const std::vector<double> x = {1, 2, 3}, y = {1, 2, 3};
    EXPECT_EQ(r.run(x, y, {3, 1, 1}, 0.0, 1.0, 0).GetDim(), 0);
    EXPECT_EQ(r.run(x, y, {1, 1, 3}, kNaN, 1.0, 0).GetDim(), 0);
    EXPECT_EQ(r.run(x, y, {1, 1, 3}, 0.0, kInf, 0).GetDim(), 0);
    EXPECT_THROW(r.run(x, std::vector<double>{1, 2}, {1, 1, 3}, 0.0, 1.0, 0), std::invalid_argument);
    EXPECT_THROW(NormalizeSpek(nullptr, &werte), std::invalid_argument);
    EXPECT_THROW(NormalizeSpek(&lin, nullptr), std::invalid_argument);
}

// A constant stays that constant inside the curve for every pair and outside for every
// extrapolator but EpolNull.
TEST(EmbrelResample, ConstantsPassEveryPair)
{
    const std::vector<double> y(kIrregularX.size(), 4.25);
    const Grid grid{390, 0.5, 435};
    for (Pair& p : AllPairs()) {
        SCOPED_TRACE(p.name);
        const std::vector<double> out = Resample(p, kIrregularX, y, grid);
        ASSERT_EQ(out.size(), grid.GetCount());
        for (std::size_t k = 0; k < out.size(); ++k) {
            const double x = grid.GetX(k);
            const bool inside = x >= kIrregularX.front() && x <= kIrregularX.back();
            EXPECT_NEAR(out[k], inside || p.epolIndex != 0 ? 4.25 : 0.0, 1e-12) << x;
        }
    }
}

// A straight line is kept by the linear and both spline methods, and EpolLin continues it.
TEST(EmbrelResample, LinesAreKept)
{
    std::vector<double> y;
    for (double x : kIrregularX)
        y.push_back(2.5 * x - 900);
    const Grid grid{380, 0.25, 440};
    for (Pair& p : AllPairs()) {
        if (p.name.starts_with("Nachbar") || p.epolIndex != 2)
            continue;
        SCOPED_TRACE(p.name);
        const std::vector<double> out = Resample(p, kIrregularX, y, grid);
        for (std::size_t k = 0; k < out.size(); ++k)
            EXPECT_NEAR(out[k], 2.5 * grid.GetX(k) - 900, 1e-9) << grid.GetX(k);
    }
}

// The extrapolators start from the interpolant's end value: the curve does not jump at its
// ends (EpolNull excepted) and EpolLin and EpolHyperbolAbflach leave with the end slope.
TEST(EmbrelResample, ExtrapolatorsContinueTheCurve)
{
    const std::vector<double> y = {0.3, 0.9, 0.4, 0.45, 1.2, 0.8, 0.5, 0.65};
    const double eps = 1e-7;
    for (Pair& p : AllPairs()) {
        if (p.epolIndex == 0)
            continue;
        SCOPED_TRACE(p.name);
        for (double end : {kIrregularX.front(), kIrregularX.back()}) {
            const std::vector<double> out = Resample(p, kIrregularX, y, {end - eps, eps, end + eps});
            ASSERT_EQ(out.size(), 3u);
            EXPECT_NEAR(out[0], out[1], 1e-5);
            EXPECT_NEAR(out[2], out[1], 1e-5);
        }
    }
    EpolLin lin;
    EpolHyperbolAbflach hyp;
    const double D = EpolHyperbolAbflach::kDistance;
    EXPECT_EQ(lin.Value(2, 0.5, 4), 4);
    EXPECT_NEAR((hyp.Value(2, 0.5, 1e-6) - 2) / 1e-6, 0.5, 1e-6);
    EXPECT_DOUBLE_EQ(hyp.Value(2, 0.5, D), 2 + 0.5 * D / 2);
    EXPECT_LT(hyp.Value(2, 0.5, 1e9), 2 + 0.5 * D);
    EXPECT_EQ(EpolNull().Value(2, 0.5, 1), 0);
    EXPECT_EQ(EpolWerte().Value(2, 0.5, 1), 2);
}

// Odd curves: all values finite, and the cleaning rules (sort, drop, merge) hold.
TEST(EmbrelResample, OddInputResamplesToFiniteValues)
{
    struct Row {
        const char* name;
        std::vector<double> x, y;
        // The same curve after cleaning (empty: no check against a clean curve).
        std::vector<double> cleanX, cleanY;
    } rows[] = {
        {"no points", {}, {}, {}, {}},
        {"one point", {410}, {3}, {410}, {3}},
        {"unsorted", {420, 400, 410, 405}, {4, 1, 3, 2}, {400, 405, 410, 420}, {1, 2, 3, 4}},
        {"unsorted between sorted ends", {400, 430, 390, 425, 420, 440}, {1, 2, 3, 4, 5, 6},
         {390, 400, 420, 425, 430, 440}, {3, 1, 5, 4, 2, 6}},
        {"equal x merged to the mean", {400, 410, 410, 410, 420}, {1, 2, 6, 4, 1}, {400, 410, 420}, {1, 4, 1}},
        {"NaN and inf dropped", {400, kNaN, 405, 410, kInf, 415}, {1, 5, 2, kNaN, 7, 3}, {400, 405, 415}, {1, 2, 3}},
        {"only NaN", {kNaN, 400}, {1, kNaN}, {}, {}},
        {"two points", {420, 400}, {1, 2}, {400, 420}, {2, 1}},
        {"three equal x", {400, 400, 400}, {1, 2, 3}, {400}, {2}},
        {"tiny spacing", {400, 400 + 1e-12, 401, 402}, {0, 1e6, 0, 1}, {}, {}},
    };
    const Grid grid{390, 0.5, 430};
    for (const Row& r : rows) {
        for (Pair& p : AllPairs()) {
            SCOPED_TRACE(std::string(r.name) + " " + p.name);
            const std::vector<double> out = Resample(p, r.x, r.y, grid);
            ASSERT_EQ(out.size(), grid.GetCount());
            for (double v : out)
                ASSERT_TRUE(std::isfinite(v));
            if (!r.cleanX.empty()) {
                EXPECT_EQ(out, Resample(p, r.cleanX, r.cleanY, grid));
            }
        }
    }
}

// The check that lets a curve pass uncleaned looks at many points at a time: a single fault
// at any position of a longer curve, in any lane and in the tail, still sends it through the
// cleaning.
TEST(EmbrelResample, AFaultAtAnyPositionIsCleaned)
{
    constexpr std::size_t kCount = 37;
    std::vector<double> x, y;
    for (std::size_t k = 0; k < kCount; ++k) {
        x.push_back(400 + 0.75 * static_cast<double>(k));
        y.push_back(std::cos(0.4 * static_cast<double>(k)));
    }
    enum Fault { NotANumber, Infinite, SameXAsBefore, SwappedWithBefore };
    const Grid grid{398, 0.5, 430};
    for (std::size_t at = 0; at < kCount; ++at) {
        for (Fault fault : {NotANumber, Infinite, SameXAsBefore, SwappedWithBefore}) {
            if (at == 0 && (fault == SameXAsBefore || fault == SwappedWithBefore))
                continue;
            SCOPED_TRACE("fault " + std::to_string(fault) + " at " + std::to_string(at));
            std::vector<double> badX = x, badY = y, cleanX = x, cleanY = y;
            const auto drop = [&] {
                cleanX.erase(cleanX.begin() + static_cast<std::ptrdiff_t>(at));
                cleanY.erase(cleanY.begin() + static_cast<std::ptrdiff_t>(at));
            };
            switch (fault) {
            case NotANumber:
                badY[at] = kNaN;
                drop();
                break;
            case Infinite:
                badY[at] = -kInf;
                drop();
                break;
            case SameXAsBefore:
                badX[at] = x[at - 1];
                cleanY[at - 1] = (0 + y[at - 1] + y[at]) / 2;
                drop();
                break;
            case SwappedWithBefore:
                std::swap(badX[at], badX[at - 1]);
                std::swap(cleanY[at], cleanY[at - 1]);
                break;
            }
            for (Pair& p : AllPairs()) {
                SCOPED_TRACE(p.name);
                EXPECT_EQ(Resample(p, badX, badY, grid), Resample(p, cleanX, cleanY, grid));
            }
        }
    }
}

TEST(EmbrelResample, EmptyAndSinglePointCurves)
{
    for (Pair& p : AllPairs()) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(Resample(p, {}, {}, {0, 1, 3}), std::vector<double>(4, 0.0));
        const std::vector<double> one = Resample(p, {1}, {7}, {0, 1, 3});
        const double away = p.epolIndex == 0 ? 0.0 : 7.0;
        EXPECT_EQ(one, (std::vector<double>{away, 7, away, away}));
    }
}

// offset + scale * value, over the first count points.
TEST(EmbrelResample, OffsetScaleAndCount)
{
    IpolLinSpline lin;
    EpolWerte werte;
    NormalizeSpek r(&lin, &werte);
    const std::vector<double> x = {0, 1, 2, 3}, y = {0, 2, 4, 100};
    EXPECT_EQ(r.run(x, y, {0, 1, 3}, 0.0, 1.0, 0).Values(), (std::vector<double>{0, 2, 4, 100}));
    EXPECT_EQ(r.run(x, y, {0, 1, 3}, 1.0, 0.5, 0).Values(), (std::vector<double>{1, 2, 3, 51}));
    EXPECT_EQ(r.run(x, y, {0, 1, 3}, 0.0, 1.0, 3).Values(), (std::vector<double>{0, 2, 4, 4}));
    EXPECT_EQ(r.run(x, y, {0, 1, 3}, 0.0, 1.0, -2).Values(), (std::vector<double>{0, 2, 4, 100}));
    EXPECT_EQ(r.run(x, y, {0, 1, 3}, 0.0, 1.0, 99).Values(), (std::vector<double>{0, 2, 4, 100}));
}

// One interpolator object serves curves of changing sizes one after the other, and gives
// what fresh objects give.
TEST(EmbrelResample, ObjectsAreReusedAcrossRuns)
{
    std::vector<double> bigX, bigY;
    for (int k = 0; k < 60; ++k) {
        bigX.push_back(400 + 0.7 * k);
        bigY.push_back(std::sin(0.3 * k));
    }
    const std::vector<double> smallX = {400, 410, 430}, smallY = {1, 3, 2};
    const Grid grid{395, 0.5, 445};
    std::vector<Pair> reused = AllPairs();
    for (std::size_t i = 0; i < reused.size(); ++i) {
        Pair& p = reused[i];
        SCOPED_TRACE(p.name);
        Resample(p, bigX, bigY, grid);
        EXPECT_EQ(Resample(p, smallX, smallY, grid), Resample(AllPairs()[i], smallX, smallY, grid));
        EXPECT_EQ(Resample(p, bigX, bigY, grid), Resample(AllPairs()[i], bigX, bigY, grid));
    }
}

TEST(EmbrelResample, ReusedObjectsRefitCurvesOfTheSameLength)
{
    // A reused object keeps what it derived from the last curve's x; a curve of the same
    // length on other points must not get it. Each variant follows the base curve on one
    // object and must match a fresh object to the bit.
    std::vector<double> baseX, baseY;
    for (int k = 0; k < 40; ++k) {
        baseX.push_back(400 + 0.4 * k + 0.05 * (k % 3));
        baseY.push_back(1 + std::sin(0.2 * k));
    }
    const auto moved = [&](int index, double dx) {
        std::vector<double> x = baseX;
        x[static_cast<std::size_t>(index)] += dx;
        return x;
    };
    std::vector<double> shifted = baseX;
    for (double& v : shifted)
        v += 1.0;
    std::vector<double> otherY = baseY;
    for (double& v : otherY)
        v = 2 - v;
    const struct {
        const char* name;
        std::vector<double> x, y;
    } rows[] = {
        {"same points, other values", baseX, otherY},
        {"all points shifted", shifted, baseY},
        {"one inner point moved", moved(20, 0.1), baseY},
        {"first point moved", moved(0, -0.3), baseY},
        {"last point moved", moved(39, 0.3), baseY},
        {"points out of order", moved(10, 0.9), baseY},
    };
    const Grid grid{395, 1.0, 420}; // coarser than the points: the walk passes several at a time
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Pair> reused = AllPairs();
        for (std::size_t i = 0; i < reused.size(); ++i) {
            Pair& p = reused[i];
            SCOPED_TRACE(p.name);
            Resample(p, baseX, baseY, grid);
            EXPECT_EQ(Resample(p, row.x, row.y, grid), Resample(AllPairs()[i], row.x, row.y, grid));
            EXPECT_EQ(Resample(p, baseX, baseY, grid), Resample(AllPairs()[i], baseX, baseY, grid));
        }
    }
}

// One resampler serves a run of curves: what it keeps from the curves before (the linear
// interpolator's plan of intervals, the spline's factors, the grid) must give way when the
// points, their number, the grid or the part of the grid inside the curve change. The points
// live in one array, so a switch of the same length changes them in place. Each switch
// follows three runs of the base curve and must match a fresh resampler to the bit, and so
// must the base curve after it.
TEST(EmbrelResample, KeptPlansGiveWayToEverySwitch)
{
    std::vector<double> baseX, baseY;
    for (int k = 0; k < 101; ++k) {
        baseX.push_back(380 + 0.4 * k);
        baseY.push_back(1 + 0.5 * std::sin(0.15 * k) + 0.01 * k);
    }
    const Grid baseGrid{385, 1, 415};
    const auto moved = [&](std::size_t index, double dx) {
        std::vector<double> x = baseX;
        x[index] += dx;
        return x;
    };
    const auto first = [](const std::vector<double>& v, std::size_t count) {
        return std::vector<double>(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(count));
    };
    std::vector<double> otherY = baseY, nanY = baseY, longerX = baseX, longerY = baseY;
    for (double& v : otherY)
        v = 3 - 2 * v;
    nanY[40] = kNaN;
    longerX.push_back(420.4);
    longerY.push_back(0.5);
    const struct {
        const char* name;
        std::vector<double> x, y;
        Grid grid;
        int count;
    } rows[] = {
        {"other values on the same points", baseX, otherY, baseGrid, 0},
        {"a point moved past a grid point", moved(25, 0.3), baseY, baseGrid, 0},
        {"a point moved inside its interval", moved(26, 0.05), baseY, baseGrid, 0},
        {"the first point moved", moved(0, 0.1), baseY, baseGrid, 0},
        {"the last point moved", moved(100, -0.1), baseY, baseGrid, 0},
        {"a bit of a point flipped", moved(50, 1e-13), baseY, baseGrid, 0},
        {"one point more", longerX, longerY, baseGrid, 0},
        {"fewer points by count", baseX, baseY, baseGrid, 90},
        {"a shorter curve ending inside the grid", first(baseX, 60), first(baseY, 60), baseGrid, 0},
        {"the grid shifted, same number of points", baseX, baseY, {385.5, 1, 415.5}, 0},
        {"a finer grid", baseX, baseY, {385, 0.5, 415}, 0},
        {"a grid reaching past both ends", baseX, baseY, {370, 1, 430}, 0},
        {"a value that is not a number", baseX, nanY, baseGrid, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Pair> reused = AllPairs();
        for (std::size_t i = 0; i < reused.size(); ++i) {
            Pair& p = reused[i];
            SCOPED_TRACE(p.name);
            NormalizeSpek resampler(p.ipol.get(), p.epol.get());
            std::vector<double> x, y; // assigned in place from here on
            const auto run = [&](const std::vector<double>& newX, const std::vector<double>& newY, Grid grid,
                                 int count) {
                x = newX;
                y = newY;
                return resampler.run(x, y, grid, 0.0, 1.0, count).Values();
            };
            for (int k = 0; k < 3; ++k)
                run(baseX, baseY, baseGrid, 0);
            EXPECT_EQ(run(row.x, row.y, row.grid, row.count),
                      Resample(AllPairs()[i], row.x, row.y, row.grid, 0.0, 1.0, row.count));
            EXPECT_EQ(run(row.x, row.y, row.grid, row.count),
                      Resample(AllPairs()[i], row.x, row.y, row.grid, 0.0, 1.0, row.count));
            EXPECT_EQ(run(baseX, baseY, baseGrid, 0), Resample(AllPairs()[i], baseX, baseY, baseGrid));
        }
    }
}

TEST(EmbrelResample, LinearWalkFindsTheIntervalAtEveryStepWidth)
{
    // Queries that pass 0 to 9 points at a time: each value is the line through the two
    // points around it.
    std::vector<double> x, y;
    for (int k = 0; k < 200; ++k) {
        x.push_back(400 + k + 0.25 * (k % 2));
        y.push_back(std::cos(0.7 * k) * (k % 5));
    }
    for (const double step : {0.3, 1.0, 2.5, 4.0, 5.0, 9.5}) {
        SCOPED_TRACE(step);
        IpolLinSpline lin;
        EpolNull null;
        NormalizeSpek resampler(&lin, &null);
        const Grid grid{400, step, 599};
        const std::vector<double> got = resampler.run(x, y, grid, 0.0, 1.0, 0).Values();
        ASSERT_EQ(got.size(), grid.GetCount());
        for (std::size_t k = 0; k < got.size(); ++k) {
            const double q = grid.GetX(k);
            std::size_t i = 0;
            while (i + 2 < x.size() && x[i + 1] <= q)
                ++i;
            const double want = (y[i + 1] - y[i]) / (x[i + 1] - x[i]) * (q - x[i]) + y[i];
            EXPECT_EQ(got[k], want) << "at " << q;
        }
    }
}

TEST(EmbrelTarget, ValuesFillAndMean)
{
    CMBTarget t(4, 1.5);
    EXPECT_EQ(t.GetDim(), 4);
    EXPECT_EQ(t.Mean(), 1.5);
    t.Fill(2, 5.5);
    EXPECT_EQ(t[2], 5.5);
    EXPECT_EQ(t.Mean(), 2.5);
    t.Fill(-1.0);
    EXPECT_EQ(t.Values(), std::vector<double>(4, -1.0));
    EXPECT_EQ(CMBTarget().Mean(), 0);
    EXPECT_THROW(t[4], std::out_of_range);
    EXPECT_THROW(t[-1], std::out_of_range);
    EXPECT_THROW(t.Fill(4, 0.0), std::out_of_range);
    EXPECT_THROW(CMBTarget(-1, 0.0), std::invalid_argument);
}

class EmbrelContainer : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(c.AddSpek(CMBTarget(3, i), "s" + std::to_string(i)));
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < c.GetSpekCount(); ++i) {
            std::string name;
            CMBTarget t;
            EXPECT_TRUE(c.GetSpek(i, t, name));
            EXPECT_EQ(t[0], std::stod(name.substr(1))); // the values travel with their name
            names.push_back(name);
        }
        return names;
    }

    CSpekContainer c;
};

TEST_F(EmbrelContainer, KeepsOrderDimensionAndAxis)
{
    EXPECT_EQ(c.GetSpekCount(), 5);
    EXPECT_EQ(c.GetSpekDim(), 3);
    EXPECT_FALSE(c.AddSpek(CMBTarget(4, 0.0), "wrong dimension"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"s0", "s1", "s2", "s3", "s4"}));
    EXPECT_EQ(c[4][1], 4);
    EXPECT_THROW(c[5], std::out_of_range);
    CMBTarget t(2, 9.0);
    std::string name = "kept";
    EXPECT_FALSE(c.GetSpek(-1, t));
    EXPECT_FALSE(c.GetSpekName(5, name));
    EXPECT_EQ(t.GetDim(), 2);
    EXPECT_EQ(name, "kept");

    const Grid axis{380, 5, 780};
    c.SetSpekInfo(&axis);
    CSpekContainer copy;
    copy = c;
    c.CleanUp();
    EXPECT_EQ(c.GetSpekCount(), 0);
    EXPECT_EQ(c.GetSpekDim(), 0);
    EXPECT_EQ(c.GetSpekInfo().step, 5);
    EXPECT_EQ(copy.GetSpekCount(), 5);
    c.SetSpekInfo(nullptr);
    EXPECT_EQ(c.GetSpekInfo().end, 0);
}

TEST_F(EmbrelContainer, GetSpeksPutsTheSelectionFirst)
{
    struct Row {
        const char* name;
        std::vector<int> indices;
        bool ok;
        std::vector<std::string> order;
    } rows[] = {
        {"two picked", {3, 1}, true, {"s3", "s1", "s0", "s2", "s4"}},
        {"none", {}, true, {"s0", "s1", "s2", "s3", "s4"}},
        {"all reversed", {4, 3, 2, 1, 0}, true, {"s4", "s3", "s2", "s1", "s0"}},
        {"out of range", {1, 5}, false, {"s0", "s1", "s2", "s3", "s4"}},
        {"negative", {-1}, false, {"s0", "s1", "s2", "s3", "s4"}},
        {"twice", {2, 2}, false, {"s0", "s1", "s2", "s3", "s4"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        CSpekContainer before = c;
        EXPECT_EQ(c.GetSpeks(static_cast<int>(r.indices.size()), r.indices.data()), r.ok);
        EXPECT_EQ(Names(), r.order);
        c = before;
    }
    EXPECT_FALSE(c.GetSpeks(1, nullptr));
    EXPECT_FALSE(c.GetSpeks(-1, nullptr));
}

} // namespace
