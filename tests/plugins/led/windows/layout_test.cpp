// The pure arithmetic of the table windows and the spectrum thumbnails, checked exactly.
#include "windows/param_table_layout.h"
#include "windows/spec_window_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace param_table;

TEST(TableLayout, SplitIsPlacedClampedAndDragged)
{
    const struct {
        int split, width, placed;
    } places[] = {{-1, 200, 100}, {150, 200, 150}, {199, 200, 196}, {-1, 3, 0}, {-1, 0, 0}, {500, 6, 2}};
    for (const auto& c : places)
        EXPECT_EQ(PlaceSplit(c.split, c.width), c.placed) << c.split << " in " << c.width;
    // Dragging reaches width - 1; the next refresh pulls it back to width - 4.
    EXPECT_EQ(DragSplit(250, 200), 199);
    EXPECT_EQ(DragSplit(-5, 200), 0);
    EXPECT_EQ(PlaceSplit(DragSplit(250, 200), 200), 196);
    EXPECT_TRUE(NearSplit(98, 100));
    EXPECT_TRUE(NearSplit(102, 100));
    EXPECT_FALSE(NearSplit(103, 100));
    EXPECT_FALSE(NearSplit(97, 100));
}

TEST(TableLayout, ScrollKeepsTheWin32Range)
{
    // Range 0 .. n, page p: the bar keeps positions up to n - p + 1.
    EXPECT_EQ(MaxScrollPosition(10, 4), 7);
    EXPECT_EQ(MaxScrollPosition(10, 0), 10);
    EXPECT_EQ(MaxScrollPosition(3, 10), 0);
    EXPECT_EQ(MaxScrollPosition(0, 4), 0);
    const struct {
        ScrollCode code;
        int first, thumb, target;
    } codes[] = {{kLineUp, 3, 0, 2},        {kLineDown, 3, 0, 4},      {kPageUp, 3, 0, -1},
                 {kPageDown, 3, 0, 7},      {kThumbPosition, 3, 9, 9}, {kThumbTrack, 3, 1, 1},
                 {kTop, 3, 0, 3},           {kEndScroll, 3, 0, 3}};
    for (const auto& c : codes)
        EXPECT_EQ(ScrollTarget(c.code, c.first, 4, c.thumb), c.target) << c.code;
    EXPECT_EQ(ClampScroll(-1, 10, 4), 0);
    EXPECT_EQ(ClampScroll(9, 10, 4), 7);
    EXPECT_EQ(ClampScroll(5, 10, 4), 5);
}

TEST(TableLayout, RowsBandsAndHitZones)
{
    // Row height 20, split 100, width 300.
    EXPECT_EQ(BandRect(2, 20, 300), QRect(0, 40, 300, 19));
    EXPECT_EQ(KeyRect(2, 20, 100), QRect(QPoint(2, 42), QPoint(97, 56)));
    EXPECT_EQ(ValueRect(2, 20, 100, 300), QRect(QPoint(102, 42), QPoint(297, 56)));
    EXPECT_EQ(RowLineY(2, 20), 59);
    EXPECT_EQ(EditorRect(1, 20, 100, 300), QRect(102, 22, 196, 15));
    EXPECT_EQ(VisibleRows(95, 20), 4);
    EXPECT_EQ(SplitRows(4, 10, 0), 5);
    EXPECT_EQ(SplitRows(4, 10, 8), 2);
    EXPECT_EQ(SplitRows(4, 3, 5), 0);
    // A click right of split + 2 on an existing row edits it; on the split or below the last
    // row nothing opens.
    EXPECT_EQ(EditRowAt(103, 45, 100, 20, 1, 10), 3);
    EXPECT_EQ(EditRowAt(102, 45, 100, 20, 1, 10), -1);
    EXPECT_EQ(EditRowAt(150, 45, 100, 20, 1, 3), -1);
}

using namespace spec_layout;

TEST(SpecLayout, CrossHairLabelsFollowTheCursor)
{
    // The initial grid 0.4 .. 0.75 µm; a 200 x 150 client area.
    const QRect r(0, 0, 200, 150);
    CrossHairLabels left = CrossHair(10, 100, r, 1.0, 0.4, 0.75);
    EXPECT_EQ(left.wavelength, QStringLiteral("400.0 nm"));
    EXPECT_FALSE(left.wavelengthRightAligned);
    EXPECT_EQ(left.wavelengthRect, QRect(QPoint(12, 122), QPoint(111, 139)));
    // vm = (150 - 100 - 10) / 130 = 0.308 < 0.5: above the horizontal line.
    EXPECT_EQ(left.value, QStringLiteral("0.308"));
    EXPECT_EQ(left.valueRect, QRect(QPoint(12, 82), QPoint(111, 97)));

    CrossHairLabels right = CrossHair(190, 20, r, 2.0, 0.4, 0.75);
    EXPECT_EQ(right.wavelength, QStringLiteral("750.0 nm"));
    EXPECT_TRUE(right.wavelengthRightAligned);
    EXPECT_EQ(right.wavelengthRect, QRect(QPoint(88, 122), QPoint(187, 139)));
    EXPECT_EQ(right.value, QStringLiteral("1.846"));
    EXPECT_EQ(right.valueRect, QRect(QPoint(12, 22), QPoint(111, 37)));
}

TEST(SpecLayout, CurvePointsStartAtTheAxisCornerAndStayInReach)
{
    const QRect r(0, 0, 120, 70);
    const double values[] = {0.0, 1.0, 0.5};
    const std::vector<QPoint> points = CurvePoints(values, 3, 1.0, r);
    const std::vector<QPoint> expected = {{10, 60}, {10, 60}, {60, 10}, {110, 35}};
    EXPECT_EQ(points, expected);
    // A one-point grid has no curve.
    EXPECT_TRUE(CurvePoints(values, 1, 1.0, r).empty());
    // Huge, infinite and NaN values are clamped before they become pixels.
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(CurveY(1e300, 1.0, 0, 70), -280);
    EXPECT_EQ(CurveY(-inf, 1.0, 0, 70), 350);
    EXPECT_EQ(CurveY(std::nan(""), 1.0, 0, 70), 60);
    // Fill columns between grid points: trunc(x) .. trunc(x + dx) - 1.
    int first = 0, last = 0;
    FillColumns(1, 3, r, first, last);
    EXPECT_EQ(first, 60);
    EXPECT_EQ(last, 109);
    FillColumns(1, 4, QRect(0, 0, 120, 70), first, last);
    EXPECT_EQ(first, 43); // dx = 33.33
    EXPECT_EQ(last, 75);
}

TEST(SpecLayout, WindowGridForOneTwoThreeAndNineWindows)
{
    const QRect client(0, 0, 404, 202);
    EXPECT_EQ(WindowGrid(1, client, 0), std::vector<QRect>{QRect(2, 2, 399, 199)});
    // Two: one column, one above the other; g = 200 / 2.
    EXPECT_EQ(WindowGrid(2, client, 0), (std::vector<QRect>{QRect(2, 2, 399, 99), QRect(2, 102, 399, 99)}));
    // Three: two columns, the third at the top of the second.
    EXPECT_EQ(WindowGrid(3, client, 0),
              (std::vector<QRect>{QRect(2, 2, 199, 99), QRect(2, 102, 199, 99), QRect(202, 2, 199, 99)}));
    // Nine: w / 4, the ninth in the fifth column, right of the visible area.
    const std::vector<QRect> nine = WindowGrid(9, client, 0);
    ASSERT_EQ(nine.size(), 9u);
    EXPECT_EQ(nine[7], QRect(302, 102, 99, 99));
    EXPECT_EQ(nine[8], QRect(402, 2, 99, 99));
    // Scrolled by 30: everything 30 higher.
    EXPECT_EQ(WindowGrid(1, client, 30), std::vector<QRect>{QRect(2, -28, 399, 229)});
    EXPECT_TRUE(WindowGrid(0, client, 0).empty());
}

TEST(SpecLayout, ListScrollMovesByPagesWithinTheRange)
{
    // Three windows, page 100: maximum 3 * 101 + 3 = 306, last position 206.
    EXPECT_EQ(ListScrollMaximum(3, 100), 306);
    EXPECT_EQ(ListLastPosition(3, 100), 206);
    EXPECT_EQ(ListLastPosition(0, 100), 0);
    const struct {
        ScrollCode code;
        int current, thumb, position;
    } codes[] = {{kLineDown, 0, 0, 100},  {kLineDown, 150, 0, 206}, {kLineUp, 50, 0, 0},
                 {kPageDown, 0, 0, 80},   {kPageUp, 100, 0, 20},    {kThumbTrack, 0, 500, 206},
                 {kTop, 120, 0, 0},       {kBottom, 0, 0, 206},     {kEndScroll, 5, 0, -1}};
    for (const auto& c : codes)
        EXPECT_EQ(ListScroll(c.code, c.current, 100, 3, c.thumb), c.position) << c.code;
}

} // namespace
