// Scroll bars and positions, bringing an item into view, invalidation, item
// rectangles and visibility.
#include "ui/treelist/core/treelist_internal.h"

#include <algorithm>

namespace {

constexpr DWORD kVScrollRedrawInterval = 201;  // ms: about five bar redraws a second
constexpr uint32_t kKeepMarginSlack = 7;       // margin only on pages taller than margin + 7
constexpr int32_t kMinTextExtent = 70;
constexpr int32_t kTextExtentPadding = 20;

int32_t ContentWidth(const TreeListData& d)
{
    return d.columnCount ? d.columnEdges[d.columnCount] : d.contentWidth;
}

int Notify(TreeListData& d, WORD bar, uint32_t reason, int32_t x, uint32_t y)
{
    NMTLSCROLLING scroll{};
    scroll.hdr.code = TLN_SCROLLING;
    scroll.bar = bar;
    scroll.reason = WORD(reason);
    scroll.x = x;
    scroll.y = LONG(y);
    return TreeListSend(d, scroll.hdr) != 0;
}

}  // namespace

void TreeListUpdateHScroll(TreeListData& d, bool releaseLock)
{
    const int32_t width = ContentWidth(d);
    int32_t maximum = width - 2;
    if (width <= 1 || (d.style & TVS_NOSCROLL) || (d.extStyle & TLS_EX_NOHSCROLL))
        maximum = 0;
    const int32_t page = d.clientWidth;
    if (maximum == d.lastHMax && page == d.lastHPage)
        return;
    d.lastHMax = maximum;
    d.lastHPage = page;
    if (page >= maximum && d.scrollX > 0) {
        d.scrollX = 0;
        TreeListInvalidateList(d);
        if (d.header)
            d.host->MoveHeader(0, 0, d.clientWidth, d.headerHeight);
    }
    d.hScrollNeeded = maximum > page;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    info.nMax = maximum;
    info.nPage = UINT(page);
    info.nPos = d.scrollX;
    info.nTrackPos = d.scrollX;
    TreeListHost* host = d.host;
    if (releaseLock)
        TreeListUnlocked(d, [&] { host->SetScrollInfo(SB_HORZ, info, true); });
    else
        host->SetScrollInfo(SB_HORZ, info, true);
}

void TreeListUpdateVScroll(TreeListData& d, bool releaseLock, bool force)
{
    TreeListEnsureRows(d);
    const int32_t range = int32_t(d.rowCount);
    const int32_t page = int32_t(d.visibleCount);
    if (!force && range == d.lastVRange && page == d.lastVPage)
        return;
    d.lastVRange = range;
    d.lastVPage = page;
    const uint32_t oldFirst = d.firstRow;
    if (d.visibleCount > 0) {
        const int64_t limit = std::max<int64_t>(int64_t(d.rowCount) - d.visibleCount / 2, 0);
        if (int64_t(d.firstRow) > limit)
            d.firstRow = uint32_t(limit);
    }
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (d.extStyle & TLS_EX_KEEPVSCROLL)
        info.fMask |= SIF_DISABLENOSCROLL;
    info.nMax = (d.style & TVS_NOSCROLL) ? 0 : range;
    info.nPage = UINT(page);
    if (page >= info.nMax && d.firstRow > 0)
        d.firstRow = 0;
    info.nPos = int(d.firstRow);
    info.nTrackPos = info.nPos;
    const bool moved = d.firstRow != oldFirst;

    const DWORD now = d.host->TickCount();
    const bool redraw = force || now - d.lastVTick >= kVScrollRedrawInterval;
    TreeListHost* host = d.host;
    if (releaseLock)
        TreeListUnlocked(d, [&] { host->SetScrollInfo(SB_VERT, info, redraw); });
    else
        host->SetScrollInfo(SB_VERT, info, redraw);
    if (redraw) {
        d.lastVTick = now;
        if (moved)
            TreeListInvalidateList(d);
    } else {
        // Many changes in a row (inserts): one redrawing update follows from
        // the posted message instead of one per change.
        TreeListPend(d, kPendingVScroll | (moved ? kPendingRepaintList : 0));
    }
}

int TreeListSetHPos(TreeListData& d, int32_t pos, uint32_t reason)
{
    if (pos == d.scrollX)
        return 0;
    if ((d.extStyle & TLS_EX_SCROLLNOTIFY) && Notify(d, 0, reason, pos, d.firstRow))
        return -1;
    d.scrollX = pos;
    d.host->SetScrollPos(SB_HORZ, pos, true);
    if (d.header)
        d.host->MoveHeader(-pos, 0, d.clientWidth + pos, d.headerHeight);
    return 1;
}

int TreeListSetVPos(TreeListData& d, uint32_t firstRow, uint32_t reason)
{
    if (firstRow == d.firstRow)
        return 0;
    if ((d.extStyle & TLS_EX_SCROLLNOTIFY) && Notify(d, 1, reason, d.scrollX, firstRow))
        return -1;
    d.firstRow = firstRow;
    d.host->SetScrollPos(SB_VERT, int(firstRow), true);
    return 1;
}

namespace {

// Gives a hidden item a row by expanding its collapsed ancestors, from the
// parent upwards. False when it still has none or went away.
bool ExpandToRow(TreeListData& d, uint32_t h, uint32_t serial)
{
    for (uint32_t a = d.items[h]->parent; a;) {
        TreeListItem* ancestor = TreeListItemOf(d, a);
        if (!ancestor)
            return false;
        const uint32_t next = ancestor->parent;
        const uint32_t nextSerial = next ? d.items[next]->serial : 0;
        if (!(ancestor->state & TVIS_EXPANDED) && TreeListExpand(d, a, kTreeListExpandAction, true) != 0)
            return false;
        if (next && !TreeListItemOf(d, next, nextSerial))
            return false;
        a = next;
    }
    const TreeListItem* item = TreeListItemOf(d, h, serial);
    if (!item)
        return false;
    TreeListEnsureRows(d);
    return item->row != 0;
}

// Scrolls the row into the unpinned rows, keeping the margin rows around it
// when there is room (or to the top for kTreeListColumnToTop).
void ScrollToRow(TreeListData& d, uint32_t line, uint32_t column)
{
    const uint32_t pinned = d.pinnedRows;
    const uint32_t margin = (d.visibleCount > d.keepMargin + kKeepMarginSlack) ? d.keepMargin : 0;
    int64_t first = d.firstRow;
    const bool toTop = column == kTreeListColumnToTop;
    if (line < d.firstRow + pinned) {
        first = int64_t(line) - pinned;
        if (toTop)
            first -= margin;
    } else if (toTop) {
        first = int64_t(line) - pinned;
    } else if (line >= d.firstRow + d.visibleCount && d.visibleCount > 0) {
        first = int64_t(line) - d.visibleCount + 1 + margin;
        first = std::min<int64_t>(first, int64_t(d.rowCount) - d.visibleCount + 1);
    }
    first = std::max<int64_t>(first, 0);
    if (uint32_t(first) != d.firstRow && TreeListSetVPos(d, uint32_t(first), kTreeListReasonEnsureVisible) == 1)
        TreeListInvalidateList(d);
}

// Scrolls the column's span of the item into view; of a first column wider
// than the window only the item's text.
void ScrollToColumn(TreeListData& d, const TreeListItem& item, uint32_t column)
{
    const uint32_t pos = d.columns[column].position;
    int32_t left = d.columnEdges[pos];
    int32_t right = d.columnEdges[pos + 1];
    if (column == 0 && right - left > d.clientWidth) {
        int32_t textStart = left + item.level * d.indent + (d.linesAtRoot ? d.indent : 0) +
                            (d.stateImages ? d.stateImageCx : 0);
        int32_t textEnd = textStart + std::max(item.textWidth + kTextExtentPadding, kMinTextExtent);
        if (item.flags & kTreeListShowsImage)
            textEnd += d.imageCx;
        left = textStart;
        right = std::min(right, textEnd);
    }
    int32_t x = d.scrollX;
    if (right - x > d.clientWidth)
        x = right - d.clientWidth;
    if (left < x)
        x = left;
    const int32_t limit = std::max(d.columnEdges[d.columnCount] - d.clientWidth / 2, 0);
    x = std::clamp(x, 0, limit);
    if (x != d.scrollX && TreeListSetHPos(d, x, kTreeListReasonEnsureVisible) == 1)
        TreeListInvalidateList(d);
}

}  // namespace

int TreeListEnsureVisible(TreeListData& d, uint32_t h, uint32_t column)
{
    if (h == kTreeListCaret)
        h = d.caretItem;
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return -1;
    const uint32_t serial = item->serial;
    TreeListEnsureRows(d);
    if (item->row == 0 && !ExpandToRow(d, h, serial))
        return 0;
    item = d.items[h];
    if (item->row - 1 >= d.pinnedRows) {
        ScrollToRow(d, item->row - 1, column);
        item = TreeListItemOf(d, h, serial);
        if (!item)
            return 0;
    }
    if (column < d.columnCount) {
        ScrollToColumn(d, *item, column);
        if (!TreeListItemOf(d, h, serial))
            return 0;
    }
    return 1;
}

void TreeListCellSpan(const TreeListData& d, const TreeListItem& item, uint32_t column, int32_t& left,
                      int32_t& right)
{
    if (d.columnCount == 0) {
        left = 0;
        right = std::max(d.clientWidth, d.contentWidth);
        return;
    }
    if (column >= d.columnCount)
        column = 0;
    uint32_t pos = d.columns[column].position;
    left = d.columnEdges[pos];
    uint32_t joined = ((item.state >> 16) & d.joinedMask) >> column;
    while ((joined & 1) && pos + 1 < d.columnCount) {
        ++pos;
        joined >>= 1;
    }
    right = d.columnEdges[pos + 1];
}

int TreeListInvalidateItem(TreeListData& d, uint32_t h)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return 0;
    const int line = TreeListScreenLine(d, item->row);
    if (line < 0)
        return 0;
    const LONG top = d.headerHeight + line * d.itemHeight;
    const RECT rect = {0, top, d.clientWidth, top + d.itemHeight};
    d.host->Invalidate(&rect, false);
    return 1;
}

int TreeListInvalidateCell(TreeListData& d, uint32_t h, uint32_t column)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item || (d.columnCount && column >= d.columnCount))
        return 0;
    const int line = TreeListScreenLine(d, item->row);
    if (line < 0)
        return 0;
    int32_t left, right;
    TreeListCellSpan(d, *item, column, left, right);
    const LONG top = d.headerHeight + line * d.itemHeight;
    const RECT rect = {left - d.scrollX, top, right - d.scrollX, top + d.itemHeight};
    if (rect.right <= 0 || rect.left >= d.clientWidth)
        return 0;
    d.host->Invalidate(&rect, false);
    return 1;
}

int TreeListInvalidateColumn(TreeListData& d, uint32_t column)
{
    if (column >= d.columnCount)
        return 0;
    const uint32_t pos = d.columns[column].position;
    const RECT rect = {d.columnEdges[pos] - d.scrollX, d.headerHeight, d.columnEdges[pos + 1] - d.scrollX,
                       d.clientHeight};
    if (rect.right <= 0 || rect.left >= d.clientWidth || rect.top >= rect.bottom)
        return 0;
    d.host->Invalidate(&rect, false);
    return 1;
}

int TreeListInvalidateList(TreeListData& d)
{
    if (d.headerHeight >= d.clientHeight)
        return 0;
    const RECT rect = {0, d.headerHeight, d.clientWidth, d.clientHeight};
    d.host->Invalidate(&rect, false);
    return 1;
}

int TreeListInvalidateHeader(TreeListData& d)
{
    if (!d.header)
        return 0;
    d.host->InvalidateHeader();
    return 1;
}

int TreeListGetItemRect(TreeListData& d, uint32_t h, uint32_t flags, RECT& rect)
{
    rect = RECT{0, 0, 0, 0};
    TreeListEnsureRows(d);
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item || item->row == 0)
        return 0;
    const int64_t line = TreeListListLine(d, item->row);
    if (line < 0 || (line >= int64_t(d.linesShown) && !(flags & kTreeListRectBelow)))
        return 0;
    const int64_t top = d.headerHeight + line * d.itemHeight;
    if (top > INT32_MAX - d.itemHeight)
        return 0;
    const bool cellForm = (flags & 0xFC) == kTreeListRectCell;
    const bool textPart = (flags & kTreeListRectText) != 0;
    RECT r = {-d.scrollX, LONG(top), d.clientWidth, LONG(top + d.itemHeight)};
    uint32_t column = 0;
    if (cellForm || textPart) {
        column = cellForm ? (flags >> 24) : 0;
        if (column >= d.columnCount)
            column = 0;
        int32_t left, right;
        TreeListCellSpan(d, *item, column, left, right);
        r.left = left - d.scrollX;
        r.right = right - d.scrollX;
    }
    if (textPart) {
        if (column != 0) {
            const TreeListCell* cell = TreeListCellOf(d, h, column);
            const TreeListColumn& col = d.columns[column];
            int32_t icon = 0;
            if (col.editKind == kTreeListEditFirstCheckBox)
                icon = d.cellStateImageCx;
            else if (cell && (cell->flags & kTreeListShowsImage))
                icon = d.extraImages ? d.extraImageCx : d.imageCx;
            if (cell && (cell->state & TVIS_CELLRIGHTICON))
                r.right -= icon;
            else
                r.left += icon;
        } else {
            r.left += item->level * d.indent + (d.linesAtRoot ? d.indent : 0) + (d.stateImages ? d.stateImageCx : 0);
            if (!(d.style & TVS_HASLINES))
                r.left -= 1;
            if (d.extStyle & TLS_EX_GRIDLINES)
                r.left += (item->flags & kTreeListShowsImage) ? 2 : 1;
            else if (item->level == 0 && !d.linesAtRoot)
                r.left += 1;
            if (item->flags & kTreeListShowsImage)
                r.left += (item->image >= 0x40000000) ? d.extraImageCx : d.imageCx;
        }
        r.left = std::min(r.left, r.right);
    }
    rect = r;
    return 1;
}

int TreeListIsItemVisible(TreeListData& d, uint32_t h, uint32_t column)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return -1;
    TreeListEnsureRows(d);
    if (item->row == 0)
        return 0;
    const int64_t line = TreeListListLine(d, item->row);
    if (line < 0 || line >= int64_t(d.linesShown))
        return 1;
    bool overlaps = true, inside = true;
    if (column < d.columnCount) {
        int32_t left, right;
        TreeListCellSpan(d, *item, column, left, right);
        left -= d.scrollX;
        right -= d.scrollX;
        overlaps = right > 0 && left < d.clientWidth;
        inside = left >= 0 && right <= d.clientWidth;
    }
    if (line == int64_t(d.visibleCount))
        return overlaps ? 2 : 1;
    if (!overlaps)
        return 1;
    return inside ? 4 : 3;
}

void TreeListRefreshLayout(TreeListData& d)
{
    d.lastHMax = -1;
    TreeListResize(d, d.clientWidth, d.clientHeight);
    TreeListUpdateHScroll(d, true);
    TreeListUpdateVScroll(d, true, true);
    d.host->Invalidate(nullptr, false);
}
