#include "app/time_calculator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

// An estimator on a clock that the test moves by hand.
struct ClockedCalculator {
    std::int64_t now = 1000;
    TimeCalculator calc{[this] { return now; }};
};

TEST(TimeCalculator, EstimatesFromTheMeanRateOfSamplePairs)
{
    ClockedCalculator c;
    c.calc.Start();
    c.now += 2;
    c.calc.Update(10);
    c.now += 2;
    c.calc.Update(20);
    // 5 % per second, 80 % left.
    EXPECT_EQ(c.calc.GetRemainingSeconds(), 16);
    EXPECT_EQ(c.calc.GetRemainingText(), "16 Sekunden");
}

TEST(TimeCalculator, ReportsWithinASecondRefreshTheNewestSample)
{
    ClockedCalculator c;
    c.calc.Start();
    c.calc.Update(50);
    c.now += 1;
    c.calc.Update(60);
    EXPECT_EQ(c.calc.GetRemainingText(), "unbekannt");
    EXPECT_EQ(c.calc.GetRemainingSeconds(), 0);
}

TEST(TimeCalculator, StandingProgressLowersTheMeanRate)
{
    ClockedCalculator c;
    c.calc.Start();
    c.now += 10;
    c.calc.Update(10);
    c.now += 10;
    c.calc.Update(10);
    // Pair rates 1 and 0: mean 0.5 % per second for the 90 % left.
    EXPECT_EQ(c.calc.GetRemainingSeconds(), 180);
    EXPECT_EQ(c.calc.GetRemainingText(), "3 Minuten");
}

TEST(TimeCalculator, OnlyTheNewestEightSamplesCount)
{
    ClockedCalculator c;
    c.calc.Start();
    // Fast at first, then 1 % per 2 s: with all samples the mean would stay above 0.5.
    const double progress[] = {40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50};
    for (double p : progress) {
        c.now += 2;
        c.calc.Update(p);
    }
    // The newest eight samples (43..50) give seven pair rates of 0.5 % per second.
    EXPECT_EQ(c.calc.GetRemainingSeconds(), 100);
}

TEST(TimeCalculator, IgnoresValuesOutsideTheOpenRangeAndWhenStopped)
{
    ClockedCalculator c;
    c.calc.Update(50);
    EXPECT_EQ(c.calc.GetRemainingText(), "unbekannt");

    c.calc.Start();
    for (double p : {0.0, -5.0, 100.0, 150.0, std::nan("")}) {
        c.now += 2;
        c.calc.Update(p);
    }
    EXPECT_EQ(c.calc.GetRemainingText(), "unbekannt");

    c.now += 2;
    c.calc.Update(50);
    EXPECT_NE(c.calc.GetRemainingText(), "unbekannt");
    c.calc.Stop();
    EXPECT_EQ(c.calc.GetRemainingText(), "unbekannt");
    EXPECT_EQ(c.calc.GetRemainingSeconds(), 0);
}

TEST(TimeCalculator, FallingProgressGivesNoEstimate)
{
    ClockedCalculator c;
    c.calc.Start();
    c.now += 20;
    c.calc.Update(10);
    c.now += 2;
    c.calc.Update(1);
    // Pair rates 0.5 and -4.5.
    EXPECT_EQ(c.calc.GetRemainingText(), "unbekannt");
}

TEST(TimeCalculator, ATinyRateGivesNoEstimateInsteadOfOverflowing)
{
    // 1e-8 % in 2 s leaves about 2e10 s, beyond a 32-bit count of seconds.
    for (double percent : {1e-300, 1e-8}) {
        SCOPED_TRACE(percent);
        ClockedCalculator c;
        c.calc.Start();
        c.now += 2;
        c.calc.Update(percent);
        EXPECT_LE(c.calc.GetRemainingSeconds(), 0);
        EXPECT_EQ(c.calc.GetRemainingText(), "unbekannt");
    }
}

TEST(TimeCalculator, PhrasesTheRemainingTime)
{
    // 1 % after 100 s: 9900 s left, finish at 1100 + 9900. The clock then moves so that
    // s seconds remain.
    ClockedCalculator c;
    c.calc.Start();
    c.now += 100;
    c.calc.Update(1);
    const std::int64_t finish = c.now + 9900;
    ASSERT_EQ(c.calc.GetRemainingSeconds(), 9900);

    struct Row {
        std::int64_t seconds;
        const char* text;
    };
    const Row rows[] = {
        {1, "1 Sekunden"},
        {45, "45 Sekunden"},
        {59, "59 Sekunden"},
        {60, "1 Minute"},
        {89, "1 Minute"},
        {90, "2 Minuten"},
        {929, "15 Minuten"},
        {930, "ca. 20 Minuten"},
        {3300, "ca. 60 Minuten"},
        {64 * 60, "ca. 1 Stunde"},
        {65 * 60, "ca. 1 Stunde und 10 Minuten"},
        {114 * 60, "ca. 1 Stunde und 50 Minuten"},
        {115 * 60, "ca. 2 Stunden"},
        {0, "unbekannt"},
        {-5, "unbekannt"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.seconds);
        c.now = finish - r.seconds;
        EXPECT_EQ(c.calc.GetRemainingText(), r.text);
    }
}

} // namespace
