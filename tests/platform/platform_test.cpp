#include "platform/colorref.h"
#include "platform/colorref_qt.h"
#include "platform/event.h"
#include "platform/random.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

TEST(ColorRef, RedIsTheLowByteAndSurvivesQColor)
{
    const COLORREF c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x563412u);
    EXPECT_EQ(GetRValue(c), 0x12);
    EXPECT_EQ(GetGValue(c), 0x34);
    EXPECT_EQ(GetBValue(c), 0x56);

    const QColor q = ToQColor(c);
    EXPECT_EQ(q.red(), 0x12);
    EXPECT_EQ(q.blue(), 0x56);
    EXPECT_EQ(FromQColor(q), c);
    EXPECT_EQ(FromQColor(QColor(Qt::red)), 0x0000FFu);
}

TEST(Random, ClassicSequenceFromSeedOne)
{
    platform::SRand(1);
    const std::vector<int> expected{41, 18467, 6334, 26500, 19169};
    for (int v : expected)
        EXPECT_EQ(platform::Rand(), v);
}

TEST(Random, StaysInRangeAndRepeatsPerSeed)
{
    platform::SRand(12345);
    std::vector<int> first;
    int lo = platform::kRandMax, hi = 0;
    for (int i = 0; i < 100000; ++i) {
        const int v = platform::Rand();
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (i < 10)
            first.push_back(v);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, platform::kRandMax);

    platform::SRand(12345);
    for (int v : first)
        EXPECT_EQ(platform::Rand(), v);
}

TEST(Random, EachThreadHasItsOwnState)
{
    platform::SRand(7);
    const int mine = platform::Rand();
    int other = -1;
    std::thread t([&] {
        platform::SRand(7);
        other = platform::Rand();
    });
    t.join();
    EXPECT_EQ(mine, other);
}

TEST(Event, AutoResetReleasesOneWait)
{
    platform::Event e(false, false);
    EXPECT_FALSE(e.Wait(1ms));
    e.Set();
    EXPECT_TRUE(e.Wait(0ms));
    EXPECT_FALSE(e.IsSet());
    EXPECT_FALSE(e.Wait(1ms));
}

TEST(Event, ManualResetStaysSetUntilReset)
{
    platform::Event e(true, true);
    EXPECT_TRUE(e.Wait(0ms));
    EXPECT_TRUE(e.Wait(0ms));
    e.Reset();
    EXPECT_FALSE(e.Wait(1ms));
}

TEST(Event, SetFromAnotherThreadWakesTheWaiter)
{
    platform::Event e;
    std::jthread t([&] { e.Set(); });
    EXPECT_TRUE(e.Wait(10s));
}
