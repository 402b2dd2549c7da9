// The target selection: pivot order and singular value against Octave, start entries,
// events, abort and refused input.
#include "embrel/apriori_interpolator.h"
#include "embrel/target_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

#include "reference/selection_reference.inc"

// The formula data of make_selection_reference.m: 8 columns of 20 points.
CSpekContainer Candidates()
{
    CSpekContainer c;
    for (int j = 1; j <= 8; ++j) {
        CMBTarget t(20, 0.0);
        for (int k = 1; k <= 20; ++k)
            t[k - 1] = std::exp(-std::pow((k - 2.3 * j) / 4, 2)) + 0.1 * std::sin(0.7 * k * j);
        c.AddSpek(t, "c" + std::to_string(j - 1));
    }
    return c;
}

class Recorder : public CMBLibEventHandler {
public:
    void OnEvent(int event) override
    {
        events.push_back({event, GetCount(), GetIndex()});
        if (abortAt >= 0 && static_cast<int>(events.size()) > abortAt)
            SetAbort(true);
    }
    struct Event {
        int type;
        unsigned count, index;
    };
    std::vector<Event> events;
    int abortAt = -1;
};

TEST(TargetSelection, FollowsTheQrPivotOrderAndItsSingularValue)
{
    const CSpekContainer c = Candidates();
    std::vector<int> indices(8);
    double value = 0;
    CAprioriInterpolator ip(c, c, c[0], CMBTarget(), c, CMBTarget(), 1, 1);
    ASSERT_EQ(ip.OptTargetSelection(8, nullptr, false, indices.data(), nullptr, &value), MB_OK);
    EXPECT_EQ(indices, std::vector<int>(std::begin(kQrOrder), std::end(kQrOrder)));

    for (auto [count, expected] : {std::pair{3, kSmallestSingular3}, std::pair{5, kSmallestSingular5}}) {
        std::vector<int> chosen(count);
        double v = 0;
        ASSERT_EQ(ip.OptTargetSelection(count, nullptr, chosen.data(), nullptr, &v), MB_OK);
        EXPECT_NEAR(v, expected, 1e-12) << count;
        // The container puts the chosen entries first, in order.
        CSpekContainer sorted = c;
        ASSERT_TRUE(sorted.GetSpeks(count, chosen.data()));
        std::string name;
        sorted.GetSpekName(0, name);
        EXPECT_EQ(name, "c" + std::to_string(kQrOrder[0]));
    }
}

TEST(TargetSelection, StartEntriesComeFirst)
{
    const CSpekContainer c = Candidates();
    CSpekContainer start;
    start.AddSpek(c[5], "c5");           // same name
    start.AddSpek(c[1], "nicht dabei");  // nearest by |cosine|: c1 itself
    std::vector<int> indices(4);
    double value = 0;
    CAprioriInterpolator ip(c, c, c[0], CMBTarget(), c, CMBTarget(), 1, 1);
    ASSERT_EQ(ip.OptTargetSelection(4, &start, indices.data(), nullptr, &value), MB_OK);
    EXPECT_EQ(indices[0], 5);
    EXPECT_EQ(indices[1], 1);
    EXPECT_NE(indices[2], 5);
    EXPECT_NE(indices[3], 1);
    EXPECT_NE(indices[2], indices[3]);
    EXPECT_GT(value, 0);
}

TEST(TargetSelection, EventsAbortAndRefusedInput)
{
    const CSpekContainer c = Candidates();
    CAprioriInterpolator ip(c, c, c[0], CMBTarget(), c, CMBTarget(), 1, 1);
    Recorder recorder;
    ip.SetEventHandler(&recorder);
    std::vector<int> indices(3);
    double value = 0;
    std::ostringstream log;
    ASSERT_EQ(ip.OptTargetSelection(3, nullptr, indices.data(), &log, &value), MB_OK);
    ASSERT_EQ(recorder.events.size(), 5u);
    EXPECT_EQ(recorder.events[0].type, 3);
    for (unsigned k = 0; k < 3; ++k) {
        EXPECT_EQ(recorder.events[k + 1].type, 4);
        EXPECT_EQ(recorder.events[k + 1].index, k);
        EXPECT_EQ(recorder.events[k + 1].count, 3u);
    }
    EXPECT_EQ(recorder.events[4].type, 5);
    EXPECT_NE(log.str().find("Target 1"), std::string::npos);

    Recorder aborting;
    aborting.abortAt = 1; // after the first pick
    ip.SetEventHandler(&aborting);
    EXPECT_EQ(ip.OptTargetSelection(3, nullptr, indices.data(), nullptr, &value), MB_ABORTED);
    EXPECT_EQ(aborting.events.size(), 2u);
    ip.SetEventHandler(nullptr);

    // A demanded relative residual no column keeps after the first picks: too few eligible.
    value = 0.999;
    EXPECT_NE(ip.OptTargetSelection(4, nullptr, indices.data(), nullptr, &value), MB_OK);
    value = 0;
    EXPECT_EQ(ip.OptTargetSelection(0, nullptr, indices.data(), nullptr, &value), MB_BAD_ARGUMENT);
    EXPECT_EQ(ip.OptTargetSelection(9, nullptr, indices.data(), nullptr, &value), MB_BAD_ARGUMENT);

    CSpekContainer bad = c;
    CMBTarget t(20, 1.0);
    t[3] = std::numeric_limits<double>::quiet_NaN();
    bad.AddSpek(t, "nan");
    CAprioriInterpolator withNaN(bad, bad, bad[0], CMBTarget(), bad, CMBTarget(), 1, 1);
    EXPECT_EQ(withNaN.OptTargetSelection(2, nullptr, indices.data(), nullptr, &value), MB_NOT_FINITE);
    CSpekContainer empty;
    CAprioriInterpolator none(empty, empty, CMBTarget(), CMBTarget(), empty, CMBTarget(), 1, 1);
    EXPECT_EQ(none.OptTargetSelection(1, nullptr, indices.data(), nullptr, &value), MB_EMPTY_INPUT);
}

} // namespace
