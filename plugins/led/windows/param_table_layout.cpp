#include "windows/param_table_layout.h"

#include <algorithm>

namespace param_table {

int VisibleRows(int clientHeight, int rowHeight)
{
    return rowHeight > 0 ? std::max(0, clientHeight) / rowHeight : 0;
}

int PlaceSplit(int split, int clientWidth)
{
    if (split == -1)
        split = clientWidth / 2;
    if (split > clientWidth - 4)
        split = clientWidth - 4;
    if (split < 0)
        split = 0;
    return split;
}

int DragSplit(int x, int clientWidth)
{
    return std::max(0, std::min(x, clientWidth - 1));
}

bool NearSplit(int x, int split)
{
    return split - 2 <= x && x <= split + 2;
}

int MaxScrollPosition(int count, int page)
{
    const int max = page > 0 ? count - page + 1 : count;
    return std::max(0, max);
}

int ScrollTarget(ScrollCode code, int firstRow, int visibleRows, int thumb)
{
    switch (code) {
    case kLineUp: return firstRow - 1;
    case kLineDown: return firstRow + 1;
    case kPageUp: return firstRow - visibleRows;
    case kPageDown: return firstRow + visibleRows;
    case kThumbPosition:
    case kThumbTrack: return thumb;
    default: return firstRow;
    }
}

int ClampScroll(int position, int count, int page)
{
    return std::max(0, std::min(position, MaxScrollPosition(count, page)));
}

QRect BandRect(int k, int rowHeight, int clientWidth)
{
    return QRect(0, k * rowHeight, clientWidth, rowHeight - 1);
}

QRect KeyRect(int k, int rowHeight, int split)
{
    return QRect(QPoint(2, k * rowHeight + 2), QPoint(split - 2 - 1, k * rowHeight + rowHeight - 3 - 1));
}

QRect ValueRect(int k, int rowHeight, int split, int clientWidth)
{
    return QRect(QPoint(split + 2, k * rowHeight + 2), QPoint(clientWidth - 2 - 1, k * rowHeight + rowHeight - 3 - 1));
}

int RowLineY(int k, int rowHeight)
{
    return k * rowHeight + rowHeight - 1;
}

int SplitRows(int visibleRows, int count, int firstRow)
{
    return std::max(0, std::min(visibleRows + 1, count - firstRow));
}

QRect EditorRect(int k, int rowHeight, int split, int clientWidth)
{
    return QRect(split + 2, k * rowHeight + 2, clientWidth - split - 4, rowHeight - 5);
}

int EditRowAt(int x, int y, int split, int rowHeight, int firstRow, int count)
{
    if (x <= split + 2 || y < 0 || rowHeight <= 0)
        return -1;
    const int index = firstRow + y / rowHeight;
    return index < count ? index : -1;
}

} // namespace param_table
