#include "core/spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::unique_ptr<Spectrum> MakeSpectrum(const std::vector<double>& xs, const std::string& name = "S")
{
    auto s = std::make_unique<Spectrum>();
    s->SetName(name);
    for (std::size_t i = 0; i < xs.size(); ++i)
        s->AddPoint(SPoint(xs[i], static_cast<double>(i)));
    return s;
}

TEST(Spectrum, CachedEndsFollowTheArrayOrderUntilSorted)
{
    Spectrum s;
    s.AddPoint(SPoint(5, 1));
    s.AddPoint(SPoint(3, 2));
    EXPECT_FALSE(s.IsSorted());
    EXPECT_EQ(s.getMinX(), 5);
    EXPECT_EQ(s.getMaxX(), 3);
    EXPECT_FALSE(s.IsEquiDistant(nullptr, nullptr, nullptr));

    s.SortPoints();
    EXPECT_TRUE(s.IsSorted());
    EXPECT_EQ(s.getMinX(), 3);
    EXPECT_EQ(s.getMaxX(), 5);
    EXPECT_EQ(s[0].y, 2);
    double step = 0, lo = 0, hi = 0;
    EXPECT_TRUE(s.IsEquiDistant(&step, &lo, &hi));
    EXPECT_EQ(step, 2);
    EXPECT_EQ(lo, 3);
    EXPECT_EQ(hi, 5);

    // An append marks the caches dirty: the cached "sorted" must not survive it.
    s.AddPoint(SPoint(4, 0));
    EXPECT_FALSE(s.IsSorted());
    EXPECT_FALSE(s.IsEquiDistant(nullptr, nullptr, nullptr));
    s.ClearPoints();
    EXPECT_TRUE(s.IsSorted());
    EXPECT_TRUE(s.IsEquiDistant(&step, &lo, &hi));
    EXPECT_EQ(lo, 1e99);
    EXPECT_EQ(hi, -1e99);
}

TEST(Spectrum, SortednessAndEquidistance)
{
    struct Row {
        const char* name;
        std::vector<double> xs;
        bool sorted;
        bool equi;
        double step, minX, maxX;  // checked when equidistant
    };
    const Row rows[] = {
        {"relative deviation 8e-7", {400, 405, 410.000004}, true, true, 5, 400, 410.000004},
        {"relative deviation 2e-3", {400, 405, 410.01}, true, false, 0, 0, 0},
        {"step too small", {400, 405, 409.99}, true, false, 0, 0, 0},
        {"two points", {400, 402.5}, true, true, 2.5, 400, 402.5},
        {"one point", {512}, true, true, 0, 512, 512},
        {"no points", {}, true, true, 0, 1e99, -1e99},
        {"equal neighbours", {400, 400, 405}, false, false, 0, 0, 0},
        {"descending", {410, 405, 400}, false, false, 0, 0, 0},
        {"NaN in between", {400, kNaN, 410}, false, false, 0, 0, 0},
        {"infinite last step", {400, 405, HUGE_VAL}, true, false, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto s = MakeSpectrum(row.xs);
        EXPECT_EQ(s->IsSorted(), row.sorted);
        double step = -1, lo = -1, hi = -1;
        EXPECT_EQ(s->IsEquiDistant(&step, &lo, &hi), row.equi);
        if (row.equi) {
            EXPECT_EQ(step, row.step);
            EXPECT_EQ(lo, row.minX);
            EXPECT_EQ(hi, row.maxX);
            EXPECT_EQ(s->getMinX(), row.minX);
            EXPECT_EQ(s->getMaxX(), row.maxX);
        }
        // The cached answer is the same.
        EXPECT_EQ(s->IsEquiDistant(nullptr, nullptr, nullptr), row.equi);
    }
}

TEST(Spectrum, PointsOutsideTheRangeAndNegativeX)
{
    Spectrum s;
    s.AddPoint(SPoint(-3, 7));
    EXPECT_EQ(s[0].x, 0);
    EXPECT_FALSE(std::signbit(s[0].x));
    EXPECT_EQ(s[0].y, 7);
    s.SetPoint(0, -1, 2);
    EXPECT_EQ(s[0].x, 0);
    EXPECT_EQ(s[0].y, 2);
    for (int i : {1, -1, 1 << 30}) {
        EXPECT_EQ(s[i].x, 0) << i;
        EXPECT_EQ(s[i].y, 0) << i;
        s.SetPoint(i, 9, 9);
    }
    EXPECT_EQ(s.GetPointCount(), 1);
    EXPECT_EQ(s[0].y, 2);

    SPoint raw;
    raw.x = -5;  // a point filled field by field is clamped on the way in too
    s.AddPoint(raw);
    EXPECT_EQ(s[1].x, 0);
}

TEST(Spectrum, SortWithNaNAndManyPointsStaysInBounds)
{
    // NaN breaks a plain "<" ordering, which std::sort may then run past the array with.
    std::vector<double> xs;
    for (int i = 0; i < 200; ++i)
        xs.push_back(i % 7 == 0 ? kNaN : static_cast<double>((i * 37) % 101));
    auto s = MakeSpectrum(xs);
    s->SortPoints();
    const int count = s->GetPointCount();
    ASSERT_EQ(count, 200);
    int firstNaN = count;
    for (int i = 0; i < count; ++i) {
        if (std::isnan((*s)[i].x)) {
            firstNaN = std::min(firstNaN, i);
        } else {
            EXPECT_LT(i, firstNaN) << "number after NaN at " << i;
            if (i > 0) {
                EXPECT_LE((*s)[i - 1].x, (*s)[i].x);
            }
        }
    }
    EXPECT_EQ(firstNaN, 200 - 29);
}

TEST(Spectrum, ArraysAndCopies)
{
    auto s = MakeSpectrum({400, 410, 420}, ":Gruppe::A:");
    s->SetColor(RGB(1, 2, 3));
    s->SetComment("Kommentar");
    double xs[3] = {}, ys[3] = {};
    EXPECT_TRUE(s->getXPointsAsArray(xs));
    EXPECT_TRUE(s->getYPointsAsArray(ys));
    EXPECT_EQ(xs[2], 420);
    EXPECT_EQ(ys[2], 2);
    EXPECT_FALSE(s->getXPointsAsArray(nullptr));
    EXPECT_TRUE(Spectrum().getXPointsAsArray(nullptr));

    s->SetMarked(true);
    Spectrum copy(*s);
    EXPECT_EQ(copy.GetName(), "Gruppe:A");
    EXPECT_FALSE(copy.IsMarked());
    EXPECT_EQ(copy.GetColor(), RGB(1, 2, 3));
    EXPECT_EQ(copy.GetComment(), "Kommentar");
    EXPECT_EQ(copy.GetPointCount(), 3);
    EXPECT_EQ(copy.getMaxX(), 420);

    Spectrum target;
    target.SetMarked(true);
    target = copy;
    EXPECT_TRUE(target.IsMarked());
    EXPECT_EQ(target.GetName(), "Gruppe:A");
    EXPECT_TRUE(target.IsEquiDistant(nullptr, nullptr, nullptr));
}

TEST(SpectrumList, SameXValues)
{
    auto a = MakeSpectrum({400, 405, 410});
    auto b = MakeSpectrum({400, 405, 410});
    auto c = MakeSpectrum({400, 405, 410});
    auto shorter = MakeSpectrum({400, 405});
    auto shifted = MakeSpectrum({400, 405, 410.0000001});
    auto nan = MakeSpectrum({400, kNaN, 410});
    auto empty = MakeSpectrum({});
    struct Row {
        const char* name;
        std::vector<Spectrum*> specs;
        bool same;
    };
    const Row rows[] = {
        {"empty list", {}, true},
        {"one spectrum", {a.get()}, true},
        {"three on one grid", {a.get(), b.get(), c.get()}, true},
        {"one point less", {a.get(), shorter.get(), c.get()}, false},
        {"one x differs", {a.get(), b.get(), shifted.get()}, false},
        {"NaN never equal", {nan.get(), nan.get()}, false},
        {"first empty, second not", {empty.get(), a.get()}, false},
        {"all empty", {empty.get(), empty.get()}, true},
    };
    for (const Row& row : rows) {
        SpectrumList list;
        list.assign(row.specs.begin(), row.specs.end());
        EXPECT_EQ(list.SpecsSameXVals(), row.same) << row.name;
    }
}

TEST(SpectrumList, SameEquidistantGridAndSorted)
{
    auto a = MakeSpectrum({400, 405, 410});
    auto b = MakeSpectrum({400, 405, 410});
    auto wider = MakeSpectrum({400, 405, 410, 415});
    auto unsorted = MakeSpectrum({400, 410, 405});
    auto uneven = MakeSpectrum({400, 405.001, 410});

    SpectrumList list;
    double step = -1, lo = -1, hi = -1;
    EXPECT_TRUE(list.SpecsSameEquiDistant(&step, &lo, &hi));
    EXPECT_EQ(step, 0);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
    EXPECT_TRUE(list.SpecsSorted());

    list = std::list<Spectrum*>{a.get(), b.get()};
    EXPECT_TRUE(list.SpecsSameEquiDistant(&step, &lo, &hi));
    EXPECT_EQ(step, 5);
    EXPECT_EQ(lo, 400);
    EXPECT_EQ(hi, 410);
    EXPECT_TRUE(list.SpecsSorted());

    for (Spectrum* other : {wider.get(), unsorted.get(), uneven.get()}) {
        list = std::list<Spectrum*>{a.get(), other};
        EXPECT_FALSE(list.SpecsSameEquiDistant(nullptr, nullptr, nullptr)) << other->GetPointCount();
    }
    list = std::list<Spectrum*>{a.get(), unsorted.get(), b.get()};
    EXPECT_FALSE(list.SpecsSorted());
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1], unsorted.get());
}

TEST(SpectrumTree, SpectraStandAtTheirLastLevelWithTheirOwnPayload)
{
    SpectrumTree tree;
    auto* s = MakeSpectrum({400, 410}, "Messung:Serie 1:LED rot").release();
    ASSERT_TRUE(tree.AddInserter(s));
    SpectrumTree::TreeNode* node = tree.GetNodeByName("Messung:Serie 1:LED rot", false, false);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetName(), "LED rot");
    SpectrumTreeData* data = tree.GetTreeDataByName("Messung:Serie 1:LED rot");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetObject(), s);

    SpectrumList list;
    list = tree.GetInserters("Messung", false);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], s);
    std::lock_guard<std::recursive_mutex> lock(tree.GetMutex());
    tree.DeleteInserters("Messung:Serie 1");
    EXPECT_TRUE(tree.GetInserters().empty());
}

} // namespace
