#pragma once
// The arithmetic of the two-column table windows (record window and value display): rows,
// bands, the column split, its hit zone and the scroll position. Pure, so it is tested
// exactly; the windows only paint what it returns.
//
//   y = k*H  +-------------------+-------------------------+
//            | key   (2 .. S-2)  | value (S+2 .. right-2)  |   band k, H - 1 high
//   k*H+H-1  +-------------------+-------------------------+   one black line
//                                S = split

#include <QRect>

namespace param_table {

// Scroll codes of a scroll bar.
enum ScrollCode { kLineUp, kLineDown, kPageUp, kPageDown, kThumbPosition, kThumbTrack, kTop, kBottom, kEndScroll };

// Rows that fit into the client height (integer division); 0 for a row height below 1.
int VisibleRows(int clientHeight, int rowHeight);

// The split after a refresh: -1 (not placed) becomes width / 2, then at most width - 4,
// then at least 0.
int PlaceSplit(int split, int clientWidth);
// The split while dragging: x within 0 .. width - 1.
int DragSplit(int x, int clientWidth);
// True when x lies within 2 pixels of the split.
bool NearSplit(int x, int split);

// The highest position a scroll bar with range 0 .. count and the page keeps:
// count - page + 1 for a page of at least one row, count otherwise, never below 0.
int MaxScrollPosition(int count, int page);
// The first row a scroll code asks for (before the bar clamps it).
int ScrollTarget(ScrollCode code, int firstRow, int visibleRows, int thumb);
// The position clamped to 0 .. MaxScrollPosition.
int ClampScroll(int position, int count, int page);

// The band of the k-th drawn row, across the width, without its bottom line.
QRect BandRect(int k, int rowHeight, int clientWidth);
// Text rectangles of the k-th drawn row.
QRect KeyRect(int k, int rowHeight, int split);
QRect ValueRect(int k, int rowHeight, int split, int clientWidth);
// y of the black line under the k-th drawn row.
int RowLineY(int k, int rowHeight);
// Rows with a split line: min(visible rows + 1, count - first row), at least 0.
int SplitRows(int visibleRows, int count, int firstRow);
// The in-place editor of the k-th drawn row.
QRect EditorRect(int k, int rowHeight, int split, int clientWidth);

// The row index a click at (x, y) edits: right of split + 2 on an existing row, else -1.
int EditRowAt(int x, int y, int split, int rowHeight, int firstRow, int count);

} // namespace param_table
