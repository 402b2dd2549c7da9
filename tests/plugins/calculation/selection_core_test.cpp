// The numeric cores of the channel selection: pseudo-inverse, discriminance and technology
// values, the search helpers and the three searches.
#include "calculation/selection_criterion.h"
#include "calculation/selection_search.h"

#include <gtest/gtest.h>

#include <random>

#include <cmath>
#include <thread>

using namespace selection;

namespace {

TEST(SelectionCriterion, PseudoInverseKeepsItsInvariants)
{
    Eigen::MatrixXd full(4, 3);
    full << 1, 2, 3, 4, 5, 6, 7, 8, 10, 1, 0, 1;
    Eigen::MatrixXd rank1(3, 3);
    rank1 << 1, 2, 3, 2, 4, 6, 3, 6, 9;
    for (const Eigen::MatrixXd& a : {full, rank1}) {
        const Eigen::MatrixXd p = PseudoInverse(a);
        ASSERT_EQ(p.rows(), a.cols());
        EXPECT_LT((a * p * a - a).norm(), 1e-10);
        EXPECT_LT((p * a * p - p).norm(), 1e-10);
        EXPECT_LT((a * p - (a * p).transpose()).norm(), 1e-10);
    }
    // Singular values at or below the absolute cut give zeros, not a division.
    Eigen::MatrixXd tiny = Eigen::MatrixXd::Zero(2, 2);
    tiny(0, 0) = 2;
    tiny(1, 1) = 1e-17;
    const Eigen::MatrixXd p = PseudoInverse(tiny);
    EXPECT_DOUBLE_EQ(p(0, 0), 0.5);
    EXPECT_EQ(p(1, 1), 0.0);
    EXPECT_TRUE(PseudoInverse(Eigen::MatrixXd::Zero(2, 3)).isZero());
    // The cut is absolute: a value just above it is inverted even beside a large one.
    tiny(0, 0) = 1e6;
    tiny(1, 1) = 1e-15;
    EXPECT_NEAR(PseudoInverse(tiny)(1, 1), 1e15, 1e3);
}

// Two classes, two samples each, two channels; the second channel only adds noise.
ResponseTable SmallTable()
{
    ResponseTable t;
    t.classCount = 2;
    t.sampleCounts = {2, 2};
    t.responses = {{1.0, 1.2, 3.0, 3.2}, {0.5, 0.7, 0.6, 0.4}, {1.0, 1.1, 5.0, 5.3}};
    t.rating = {2.0, 0.1, 5.0};
    return t;
}

// Responses of make_criterion_reference.m: 4 channels, 3 classes of 4 samples.
TEST(SelectionCriterion, DiscriminanceAgreesWithOctave)
{
    ResponseTable t;
    t.classCount = 3;
    t.sampleCounts = {4, 4, 4};
    t.responses.assign(4, std::vector<double>(12));
    t.rating.assign(4, 1.0);
    for (int c = 1; c <= 4; ++c)
        for (int k = 1; k <= 3; ++k)
            for (int s = 1; s <= 4; ++s)
                t.responses[c - 1][(k - 1) * 4 + s - 1] =
                    c * k + 0.3 * std::sin(1.7 * c + 2.9 * s + 1.1 * k) + 0.1 * c * c * (k == 2);
    const std::pair<std::vector<int>, double> expected[] = {
#include "reference/criterion_reference.inc"
    };
    for (const auto& [rows, value] : expected) {
        // Rows as candidates behind no start channel.
        EXPECT_NEAR(DiscriminanceValue(t, 0, rows), value, 1e-9 * value) << rows.size();
    }
}

TEST(SelectionCriterion, DiscriminanceUsesSingleRatingsBelowTwoChannels)
{
    const ResponseTable t = SmallTable();
    EXPECT_EQ(DiscriminanceValue(t, 0, {1}), 0.1);  // row 1
    EXPECT_EQ(DiscriminanceValue(t, 1, {}), 2.0);   // the start row alone
    EXPECT_EQ(DiscriminanceValue(t, 1, {-1}), 2.0); // -1 skipped
    const double two = DiscriminanceValue(t, 1, {1});
    EXPECT_GT(two, 0);
    EXPECT_TRUE(std::isfinite(two));
    // Order of the rows does not change the trace.
    EXPECT_NEAR(FisherValue(t, {0, 2}), FisherValue(t, {2, 0}), 1e-9);
}

TEST(SelectionCriterion, TechnologyValueHandCases)
{
    SpectraSet s;
    s.x = {400, 410, 420, 430, 440};
    s.y = {{0, 1, 2, 1, 0}, {0, 1, 2, 1, 0}, {2, 1, 0, 0, 0}, {0, 0, 0, 1, 2}, {0, 0, 0, 0, 0}};
    double v = 0;
    // Identical pair without a minimum distance: invalid, -1.
    EXPECT_FALSE(TechnologyValue(s, {0, 1}, {}, &v));
    EXPECT_EQ(v, -1.0);
    // A single spectrum: 1.
    EXPECT_TRUE(TechnologyValue(s, {2}, {}, &v));
    EXPECT_EQ(v, 1.0);
    // Disjoint spectra: overlap 0, value 1 - 0.
    EXPECT_TRUE(TechnologyValue(s, {2, 3}, {1.0, 0.0, 0.5}, &v));
    EXPECT_DOUBLE_EQ(v, 1.0);
    // Two all-zero spectra: 0/0 counts as full overlap, never a NaN that passes.
    EXPECT_EQ(Overlap(s.y[4], s.y[4]), 1.0);
    EXPECT_FALSE(TechnologyValue(s, {4, 4}, {1.0, 0.0, 0.5}, &v));
    // A spectrum with no value above the level has no centroid: invalid with a distance.
    EXPECT_FALSE(TechnologyValue(s, {2, 4}, {1.0, 5.0, 1.0}, &v));
    EXPECT_EQ(v, -1.0);
    // Centroids 406 and 434 nm apart 28: D 14 gives (0 + 1 - 1/4) / 2 + overlap part.
    s.y[2] = {2, 1, 0, 0, 0};
    EXPECT_TRUE(TechnologyValue(s, {2, 3}, {1.0, 14.0, 1.0}, &v));
    const double dmin = (440 * 2 + 430) / 3.0 - (400 * 2 + 410) / 3.0;
    EXPECT_NEAR(v, (1 - (14 / dmin) * (14 / dmin) + 1) / 2, 1e-12);
    EXPECT_FALSE(TechnologyValue(s, {2, 3}, {1.0, 40.0, 1.0}));
    // With a start selection: the mean of the largest overlaps with it.
    const std::vector<int> start = {0, 3};
    EXPECT_TRUE(TechnologyValue(s, {1, 3}, {}, &v, &start));
    EXPECT_DOUBLE_EQ(v, 1.0);
}

TEST(SelectionCriterion, FisherValueWithoutBetweenClassScatterIsZero)
{
    // Equal class means: no ridge, so the pseudo-inverse (not a Cholesky solve) rates the set.
    ResponseTable t;
    t.classCount = 2;
    t.sampleCounts = {2, 2};
    t.responses = {{1.0, 3.0, 3.0, 1.0}, {2.0, 2.5, 2.5, 2.0}};
    t.rating = {0, 0};
    const double value = FisherValue(t, {0, 1});
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_NEAR(value, 0.0, 1e-12);
}

TEST(SelectionCriterion, DiscriminanceRaterAgreesWithTheDirectValue)
{
    // Five channels, three classes of unequal size, one missing response.
    ResponseTable t;
    t.classCount = 3;
    t.sampleCounts = {3, 4, 2};
    for (int c = 0; c < 5; ++c) {
        std::vector<double> row;
        for (int s = 0; s < 9; ++s)
            row.push_back(c + 0.5 * s * (c % 2 ? 1 : -1) + std::sin(1.3 * c * s));
        t.responses.push_back(row);
        t.rating.push_back(0.1 * (c + 1));
    }
    t.responses[2][4] = kMissing;
    const DiscriminanceRater rater(t);
    const struct {
        int start;
        std::vector<int> chosen;
    } cases[] = {{0, {0, 1}}, {0, {4, 2, 0}}, {1, {0, 2}}, {2, {-1, 1}}, {0, {3}}, {1, {}}, {0, {0, 1, 2, 3, 4}}};
    for (int pass = 0; pass < 2; ++pass) // the second pass reads the kept entries
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::PrintToString(c.chosen) + " behind " + std::to_string(c.start));
            const double direct = DiscriminanceValue(t, c.start, c.chosen);
            EXPECT_NEAR(rater.Value(c.start, c.chosen), direct, 1e-12 * std::fabs(direct));
        }
}

TEST(SelectionCriterion, TechnologyRaterAgreesWithTheDirectValue)
{
    SpectraSet s;
    for (int k = 0; k < 41; ++k)
        s.x.push_back(400 + 10 * k);
    for (int c = 0; c < 9; ++c) {
        std::vector<double> y;
        for (int k = 0; k < 41; ++k)
            y.push_back(c == 8 ? 0.0 : (0.3 + c) * std::exp(-std::pow((k - 4.5 * c) / (2.0 + c % 3), 2)));
        s.y.push_back(y);
    }
    const TechnologyLimits limitsTable[] = {{}, {1.0, 0.0, 0.5}, {1.0, 30.0, 0.9}, {0.2, 80.0, 1.0}};
    const std::vector<int> sets[] = {{0, 1}, {2, 5, 7}, {0, 1, 2, 3, 4, 5, 6, 7}, {3, 8}, {4}, {1, -1, 6}, {2, 2}};
    const std::vector<int> start = {0, 7, 3};
    for (const TechnologyLimits& limits : limitsTable) {
        const TechnologyRater rater(s, limits);
        for (const auto& set : sets) {
            SCOPED_TRACE(::testing::PrintToString(set) + " distance " + std::to_string(limits.minDistance));
            double direct = 0, rated = 0;
            EXPECT_EQ(rater.Value(set, &rated), TechnologyValue(s, set, limits, &direct));
            EXPECT_NEAR(rated, direct, 1e-12);
            if (set.size() == start.size()) {
                EXPECT_EQ(rater.Value(set, &rated, &start), TechnologyValue(s, set, limits, &direct, &start));
                EXPECT_NEAR(rated, direct, 1e-12);
            }
        }
    }
}

TEST(SelectionSearch, XorShiftShuffleAndMersenneRule)
{
    std::uint32_t state = 1;
    EXPECT_EQ(XorShift(state), 270369u);
    EXPECT_EQ(XorShift(state), 67634689u);
    EXPECT_EQ(XorShift(state), 2647435461u);

    const std::pair<std::uint32_t, std::vector<int>> shuffles[] = {
        {1, {0, 1, 2, 3}}, {7, {0, 1, 2, 3}}, {0x12B9B0A1u, {5, 6, 7}}};
    for (auto [seed, list] : shuffles) {
        std::vector<int> shuffled = list;
        std::uint32_t s = seed;
        Shuffle(shuffled, s);
        // The same steps by hand.
        std::vector<int> expected = list;
        std::uint32_t t = seed;
        for (std::size_t i = 1; i < expected.size(); ++i)
            std::swap(expected[i], expected[XorShift(t) % (i + 1)]);
        EXPECT_EQ(shuffled, expected);
        EXPECT_TRUE(std::is_permutation(shuffled.begin(), shuffled.end(), list.begin()));
    }
    // The first output of mt19937(5489) is 3499211612: index floor(u / 2^32 * 10) = 8.
    std::vector<int> out;
    RandomSubset({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 1, out, 5489);
    EXPECT_EQ(out, std::vector<int>{8});
}

TEST(SelectionSearch, SubsetOrderAndDistinctnessTables)
{
    struct Row {
        std::vector<int> candidates;
        int count;
        std::size_t size;
    };
    const Row rows[] = {
        {{3, 1, 2}, 3, 3},        // all valid candidates, each once
        {{3, -1, 2, -1}, 5, 2},   // fewer valid than asked: stops, no hang
        {{-1, -1}, 2, 0},         // none valid
        {{4, 4, 4}, 3, 1},        // a repeated channel counts once
        {{0, 1, 2, 3, 4}, 0, 0},
    };
    for (const Row& row : rows) {
        std::vector<int> out = {99};
        RandomSubset(row.candidates, row.count, out, 42);
        EXPECT_EQ(out.size(), row.size);
        EXPECT_TRUE(std::is_sorted(out.begin(), out.end()));
        EXPECT_TRUE(IsDistinct(out));
        for (int c : out)
            EXPECT_NE(c, -1);
    }

    const std::vector<double> rating = {9, 9, 1, 3, 3, 0}; // offset 1: channel c rated rating[1 + c]
    std::vector<int> order = {0, 1, 2, 3, 4};
    OrderCandidates(order, rating, 1);
    EXPECT_EQ(order, (std::vector<int>{0, 3, 2, 1, 4})); // ties: higher channel first
    EXPECT_TRUE(IsDistinct({1, 2, 3}));
    EXPECT_FALSE(IsDistinct({1, 2, 1}));
    EXPECT_TRUE(IsDistinct({}));
}

TEST(SelectionSearch, OverlapFilterAndLeafMapping)
{
    SpectraSet s;
    s.x = {1, 2, 3};
    s.y = {{1, 0, 0}, {1, 0.1, 0}, {0, 0, 1}, {0, 1, 1}};
    std::vector<int> excluded;
    OverlapFilter({0, 1, 2, 3, -1}, s, {0}, excluded, 0.5);
    EXPECT_EQ(excluded, std::vector<int>{1});
    OverlapFilter({0, 1, 2, 3}, s, {2}, excluded, 0.3); // appends, 1 not tested again
    EXPECT_EQ(excluded, (std::vector<int>{1, 3}));
    OverlapFilter({0, 1}, s, {}, excluded, 0.5);
    EXPECT_EQ(excluded, (std::vector<int>{0, 1}));

    const std::vector<std::string> sensors = {"G:a", "G:b", "H:b", "c"};
    EXPECT_EQ(MapByLeafName(sensors, {"X:b", "c", "Y:c", "d", "a"}), (std::vector<int>{1, 3, 3, -1, 0}));
}

// Four channels whose discriminance is a fixed table over sets.
SearchContext Context(int wanted, bool overlap)
{
    SearchContext c;
    c.wanted = wanted;
    c.specCount = wanted;
    c.overlap = overlap;
    c.discriminance = [](const std::vector<int>& set) {
        const double value[] = {4, 3, 2, 1};
        double sum = 0;
        for (int ch : set)
            sum += value[ch] * (ch == 3 && set.size() > 1 ? 4 : 1); // 3 pairs well
        return sum;
    };
    c.technologyOk = [](const std::vector<int>& set) {
        // 0 and 1 are too alike.
        return !(std::count(set.begin(), set.end(), 0) && std::count(set.begin(), set.end(), 1));
    };
    return c;
}

TEST(SelectionSearch, SequentialAndSimpleSearchOnAFixture)
{
    std::vector<int> progressSteps;
    {
        std::vector<int> list = {0, 1, 2, 3};
        SearchContext c = Context(2, false);
        c.onStep = [&](int k) { progressSteps.push_back(k); };
        const SearchResult r = SequentialSearch(list, c, false, false);
        EXPECT_EQ(r.chosen, (std::vector<int>{0, 3})); // 4 + 4 beats 4 + 3
        EXPECT_EQ(r.stepValues, (std::vector<double>{4, 8}));
        EXPECT_EQ(progressSteps, (std::vector<int>{1, 2}));
    }
    {
        std::vector<int> list = {0, 1, 2, 3};
        const SearchResult r = SequentialSearch(list, Context(3, true), false, false);
        EXPECT_EQ(r.chosen, (std::vector<int>{0, 3, 2})); // 1 dropped by the technology test
        EXPECT_EQ(list[1], -1);
    }
    {
        // Nothing rates above 0: the search ends instead of repeating an empty step.
        std::vector<int> list = {0, 1};
        SearchContext c = Context(2, false);
        c.discriminance = [](const std::vector<int>&) { return 0.0; };
        const SearchResult r = SequentialSearch(list, c, true, false);
        EXPECT_TRUE(r.chosen.empty());
        EXPECT_FALSE(r.tooSmall);
    }
    {
        std::vector<int> list = {0, 1};
        SearchContext c = Context(2, true);
        c.technologyOk = [](const std::vector<int>&) { return false; };
        EXPECT_TRUE(SequentialSearch(list, c, false, false).tooSmall);
    }
    {
        std::vector<int> list = {0, 1, 2, 3};
        EXPECT_EQ(SimpleSearch(list, Context(3, false)).chosen, (std::vector<int>{0, 1, 2}));
        list = {0, 1, 2, 3};
        EXPECT_EQ(SimpleSearch(list, Context(3, true)).chosen, (std::vector<int>{0, 2, 3}));
        list = {-1, 1, -1};
        EXPECT_EQ(SimpleSearch(list, Context(3, false)).chosen, (std::vector<int>{1}));
    }
}

struct EvoFixture {
    SpectraSet spectra;
    std::vector<double> rating;
    EvoCallbacks callbacks;
    EvoSettings settings;
    std::vector<int> candidates;

    EvoFixture()
    {
        for (int k = 0; k < 30; ++k)
            spectra.x.push_back(400 + 10 * k);
        for (int c = 0; c < 12; ++c) {
            std::vector<double> y;
            for (int k = 0; k < 30; ++k)
                y.push_back(std::exp(-0.5 * std::pow((k - 2.5 * c) / 2.0, 2)));
            spectra.y.push_back(y);
            rating.push_back(c % 5);
            candidates.push_back(c);
        }
        callbacks.spectra = &spectra;
        callbacks.rating = &rating;
        callbacks.discriminance = [this](const std::vector<int>& set) {
            double s = 0;
            for (int c : set)
                s += rating[c];
            return s;
        };
        callbacks.technology = [this](const std::vector<int>& set) {
            double v = 0;
            TechnologyValue(spectra, set, {1.0, 0.0, 1.0}, &v);
            return v;
        };
        settings.species = 2;
        settings.cycles = 120;
        settings.population = 4;
        settings.recombination = 60;
        settings.wanted = 3;
        settings.d0 = 0;
        settings.d1 = 12;
        settings.seeds = {1, 2};
    }
};

TEST(SelectionSearch, EvolutionIsRepeatableAndCountsEveryMember)
{
    EvoFixture f;
    EvoShared a, b;
    const auto first = EvolutionarySearch(f.candidates, f.settings, f.callbacks, a);
    const auto second = EvolutionarySearch(f.candidates, f.settings, f.callbacks, b);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_TRUE(a.done);
    EXPECT_EQ(a.counter, 2 * 120 * 4);
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].chosen, second[i].chosen);
        EXPECT_EQ(first[i].fitness, second[i].fitness);
        EXPECT_EQ(first[i].chosen.size(), 3u);
        EXPECT_TRUE(IsDistinct(first[i].chosen));
    }
    // The best member is at least as fit as the fitness of any rated set of the run.
    EXPECT_GT(first[0].fitness, 0.5);
    EXPECT_EQ(a.status, "Sensorkanalauswahl Spezie 2 E-Zyklus 120 / 120");
}

TEST(SelectionSearch, EvolutionStopsAtTheNextCycleAndEqualDrawsGiveNoNaN)
{
    EvoFixture f;
    f.settings.cycles = 100000;
    EvoShared shared;
    std::vector<EvoMember> result;
    std::jthread worker([&] { result = EvolutionarySearch(f.candidates, f.settings, f.callbacks, shared); });
    while (true) {
        std::lock_guard<std::mutex> hold(shared.lock);
        if (shared.counter > 40)
            break;
    }
    shared.stop = true;
    worker.join();
    EXPECT_TRUE(shared.done);
    ASSERT_EQ(result.size(), 1u); // the first species, stopped: its best so far
    EXPECT_LT(shared.counter, 100000);
    EXPECT_EQ(shared.counter % 4, 0); // ended at the start of a cycle

    EvoSettings equal;
    equal.d0 = equal.d1 = 3; // all reference draws equal
    EXPECT_DOUBLE_EQ(Fitness(equal, 3, 0.5), 0.3 * 0.5);
    EXPECT_EQ(Fitness(equal, 3, -1), 0.0);
}

} // namespace
