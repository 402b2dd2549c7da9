#include "ui/frame_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(FitPanes, IdealSizesFirstTheLastTakesTheRest)
{
    struct Row {
        const char* name;
        std::vector<PaneSize> panes;
        int available;
        std::vector<int> sizes;
    };
    const Row rows[] = {
        {"room for all", {{200, 50}, {700, 50}, {300, 50}}, 1190, {200, 700, 290}},
        {"the last is squeezed", {{200, 50}, {700, 50}, {300, 50}}, 950, {200, 700, 50}},
        {"the last below its minimum goes to the one before", {{200, 50}, {700, 50}, {300, 50}}, 940, {200, 740, 0}},
        {"a middle pane below its minimum goes to the first", {{200, 50}, {700, 50}, {300, 50}}, 230, {230, 0, 0}},
        {"an ideal below the minimum hides the pane", {{600, 50}, {0, 0}}, 500, {500, 0}},
        {"a hidden middle pane", {{100, 50}, {20, 50}, {10, 10}}, 300, {100, 0, 200}},
        {"nothing available", {{200, 50}, {300, 50}}, -5, {0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(FitPanes(r.panes, r.available), r.sizes);
    }
}

TEST(FrameSizing, SmallFramesKeepTheirLayout)
{
    EXPECT_FALSE(ComputeFrameSizing({799, 1000, true, 300, true}));
    EXPECT_FALSE(ComputeFrameSizing({1000, 399, true, 300, false}));
    EXPECT_TRUE(ComputeFrameSizing({800, 400, true, 300, false}));
}

TEST(FrameSizing, FirstLayoutAndLaterOnes)
{
    const auto first = ComputeFrameSizing({1200, 900, true, 123, false});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->outerRows, (std::array<PaneSize, 2>{PaneSize{650, 50}, PaneSize{250, 50}}));
    EXPECT_EQ(first->upperColumns,
              (std::array<PaneSize, 3>{PaneSize{200, 50}, PaneSize{700, 50}, PaneSize{300, 50}}));
    EXPECT_EQ(first->centreRows, (std::array<PaneSize, 2>{PaneSize{325, 100}, PaneSize{325, 20}}));
    EXPECT_EQ(first->rightRows, (std::array<PaneSize, 2>{PaneSize{455, 100}, PaneSize{195, 100}}));
    EXPECT_EQ(first->rememberedWidth, 300);
    EXPECT_EQ(first->rememberedHeight, 600);

    // The right column as the user left it; the middle column never below 50.
    struct Row {
        int cx, remembered, middle;
    };
    for (const Row& r : {Row{1200, 600, 400}, Row{900, 600, 100}, Row{820, 600, 50}, Row{800, 700, 50}}) {
        SCOPED_TRACE(r.cx);
        const auto later = ComputeFrameSizing({r.cx, 900, true, r.remembered, true});
        ASSERT_TRUE(later);
        EXPECT_EQ(later->upperColumns[1], (PaneSize{r.middle, 50}));
        EXPECT_EQ(later->upperColumns[2], (PaneSize{r.remembered, 50}));
        EXPECT_FALSE(later->rememberedWidth);
    }

    // Without the log the upper part takes the whole height; small heights keep the minima.
    const auto hidden = ComputeFrameSizing({1000, 401, false, 300, true});
    ASSERT_TRUE(hidden);
    EXPECT_EQ(hidden->outerRows, (std::array<PaneSize, 2>{PaneSize{401, 50}, PaneSize{0, 50}}));
    const auto low = ComputeFrameSizing({1000, 400, true, 300, true});
    ASSERT_TRUE(low);
    EXPECT_EQ(low->centreRows, (std::array<PaneSize, 2>{PaneSize{100, 100}, PaneSize{75, 20}}));
    EXPECT_EQ(low->rightRows, (std::array<PaneSize, 2>{PaneSize{105, 100}, PaneSize{45, 100}}));
}

TEST(FrameSizing, LogToggleHidesAndShowsAt150)
{
    const LogToggle hide = ComputeLogToggle(900, true);
    EXPECT_FALSE(hide.logShown);
    EXPECT_EQ(hide.outerRows, (std::array<PaneSize, 2>{PaneSize{900, 50}, PaneSize{0, 0}}));
    const LogToggle show = ComputeLogToggle(900, false);
    EXPECT_TRUE(show.logShown);
    EXPECT_EQ(show.outerRows, (std::array<PaneSize, 2>{PaneSize{750, 50}, PaneSize{150, 50}}));
    EXPECT_EQ(ComputeLogToggle(120, false).outerRows[0], (PaneSize{50, 50}));
}

TEST(FrameSizing, PrintLayoutFitsTheExportSizeWhereThereIsRoom)
{
    const PrintLayout fits = ComputePrintLayout(1200, 700, 800, 600);
    ASSERT_TRUE(fits.centreRow0);
    EXPECT_EQ(*fits.centreRow0, (PaneSize{79, 50}));
    ASSERT_TRUE(fits.upperColumns);
    EXPECT_EQ(*fits.upperColumns, (std::array<PaneSize, 3>{PaneSize{182, 50}, PaneSize{835, 50}, PaneSize{182, 50}}));

    const PrintLayout low = ComputePrintLayout(1200, 621, 800, 600);
    EXPECT_FALSE(low.centreRow0);
    EXPECT_TRUE(low.upperColumns);
    const PrintLayout narrow = ComputePrintLayout(835, 700, 800, 600);
    EXPECT_TRUE(narrow.centreRow0);
    EXPECT_FALSE(narrow.upperColumns);
}

} // namespace
