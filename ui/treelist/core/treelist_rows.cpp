// Row numbering: every item reachable through expanded parents and not
// hidden gets a row, in tree order.
//
// Rows are renumbered lazily. A change records the last row that keeps its
// number (the nearest shown item before the change); before anything reads
// rows, TreeListEnsureRows walks on from there once, however many changes
// came in between (so 10,000 inserts at the front renumber the list once,
// not 10,000 times). The walk compares against the old slots instead of
// clearing them first, so unchanged rows are neither rewritten nor repainted.
#include "ui/treelist/core/treelist_internal.h"

#include <algorithm>

namespace {

constexpr int32_t kMinRowHeight = 8;
constexpr int32_t kMaxRowHeight = 256;
constexpr int32_t kTextPadding = 3;
constexpr int32_t kAutoWidthExtra = 6;

bool RowValid(const TreeListData& d, uint32_t row)
{
    return row != 0 && (!d.rowsDirty || row <= d.rowsValid);
}

// The next shown item after a shown item h.
uint32_t NextShown(const TreeListData& d, uint32_t h)
{
    const TreeListItem* item = d.items[h];
    uint32_t next = (item->firstChild && (item->state & TVIS_EXPANDED)) ? item->firstChild : TreeListNextOutside(d, h);
    while (next && TreeListIsHidden(d, *d.items[next]))
        next = TreeListNextOutside(d, next);
    return next;
}

uint32_t FirstShown(const TreeListData& d)
{
    uint32_t h = d.firstRoot;
    while (h && TreeListIsHidden(d, *d.items[h]))
        h = TreeListNextOutside(d, h);
    return h;
}

// The automatic width of the first column: the widest text of the rows
// from `from` on, with indentation and images.
void MeasureRows(TreeListData& d, uint32_t from)
{
    int32_t needed = 0;
    for (uint32_t r = from; r < d.rowCount; ++r) {
        TreeListItem* item = d.items[d.rowItems[r]];
        if (!(item->callbackFlags & kTreeListTextCallback) && item->textWidth == 0)
            item->textWidth = d.host->MeasureText(item->text, item->textLength, (item->state & TVIS_BOLD) != 0);
        int32_t width = item->textWidth + item->level * d.indent;
        if (item->flags & kTreeListShowsImage)
            width += d.imageCx;
        needed = std::max(needed, width);
    }
    if (d.linesAtRoot)
        needed += d.indent;
    if (d.stateImages)
        needed += d.stateImageCx;
    needed += d.autoWidthMargin + kAutoWidthExtra;
    if (d.columnCount > 0 && needed > d.columns[0].width + 2 && needed > d.pendingWidth) {
        d.pendingWidth = needed;
        TreeListPend(d, kPendingWidenColumn);
    }
}

}  // namespace

void TreeListRowsChanged(TreeListData& d, uint32_t startRow)
{
    startRow = std::min(startRow, d.rowCount);
    if (!d.rowsDirty) {
        d.rowsDirty = true;
        d.rowsValid = startRow;
    } else {
        d.rowsValid = std::min(d.rowsValid, startRow);
    }
    TreeListPend(d, kPendingRows);
}

void TreeListRowsChangedAt(TreeListData& d, uint32_t h)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return;
    if (RowValid(d, item->row)) {
        TreeListRowsChanged(d, item->row - 1);
        return;
    }
    // A row behind the valid ones: the pending walk reaches this place anyway.
    if (item->row != 0)
        return;
    // Not numbered: the place shows only under a shown, expanded parent.
    if (item->parent) {
        const TreeListItem* parent = TreeListItemOf(d, item->parent);
        if (!parent || !RowValid(d, parent->row) || !(parent->state & TVIS_EXPANDED))
            return;
    }
    // The item after the place in tree order: its predecessor in the rows is
    // the nearest shown item before the place.
    uint32_t next = TreeListNextOutside(d, h);
    while (next && TreeListIsHidden(d, *d.items[next]))
        next = TreeListNextOutside(d, next);
    if (next) {
        if (RowValid(d, d.items[next]->row))
            TreeListRowsChanged(d, d.items[next]->row - 1);
        return;
    }
    if (!d.rowsDirty)
        TreeListRowsChanged(d, d.rowCount);
}

void TreeListEnsureRows(TreeListData& d)
{
    if (!d.rowsDirty)
        return;
    const uint32_t oldCount = d.rowCount;
    uint32_t n = std::min(d.rowsValid, oldCount);
    uint32_t firstChanged = UINT32_MAX;
    uint32_t next = n ? NextShown(d, d.rowItems[n - 1]) : FirstShown(d);
    for (; next; next = NextShown(d, next), ++n) {
        if (d.rowItems[n] != next) {
            const uint32_t old = d.rowItems[n];
            // An item that still claims this slot gives it up; it may get a
            // later row in this same walk.
            if (old && d.items[old] && d.items[old]->row == n + 1)
                d.items[old]->row = 0;
            d.rowItems[n] = next;
            firstChanged = std::min(firstChanged, n);
        }
        d.items[next]->row = n + 1;
    }
    for (uint32_t s = n; s < oldCount; ++s) {
        const uint32_t old = d.rowItems[s];
        if (old && d.items[old] && d.items[old]->row == s + 1)
            d.items[old]->row = 0;
        d.rowItems[s] = 0;
        firstChanged = std::min(firstChanged, s);
    }
    d.rowCount = n;
    d.rowsDirty = false;

    if (firstChanged != UINT32_MAX) {
        if (d.autoWidthMargin)
            MeasureRows(d, firstChanged);
        // Repaint from the first changed row down.
        int64_t top = (int64_t(firstChanged) - int64_t(d.firstRow)) * d.itemHeight + d.headerHeight;
        if (firstChanged < d.pinnedRows || top < d.headerHeight)
            top = d.headerHeight;
        if (top < d.clientHeight) {
            const RECT rect = {0, LONG(top), d.clientWidth, d.clientHeight};
            d.host->Invalidate(&rect, false);
        }
    }
    if (n != oldCount)
        TreeListPend(d, kPendingVScroll);
}

int TreeListUpdateRowHeight(TreeListData& d)
{
    if (d.itemHeightSet)
        return 0;
    int32_t height = kMinRowHeight;
    if (d.cellStateImages)
        height = std::max(height, d.cellStateImageCy);
    if (d.stateImages)
        height = std::max(height, d.stateImageCy);
    height = std::max({height, d.extraImageCy, d.imageCy});
    height += (d.extStyle & (TLS_EX_GRIDLINES | TLS_EX_ROWGAP)) ? 2 : 1;
    height = std::max({height, d.host->TextHeight() + kTextPadding, int32_t(d.minRowHeight)});
    if (d.extStyle & TLS_EX_GRIDLINES)
        height += 1;
    if ((d.style & TVS_NONEVENHEIGHT) && (height & 1))
        height += 1;
    height = std::clamp(height, 1, kMaxRowHeight);
    if (height == d.itemHeight)
        return 0;
    d.itemHeight = height;
    TreeListResize(d, d.clientWidth, d.clientHeight);
    d.host->Invalidate(nullptr, false);
    return 1;
}

int64_t TreeListListLine(const TreeListData& d, uint32_t row)
{
    if (row == 0)
        return -1;
    if (row <= d.pinnedRows)
        return row - 1;
    const int64_t line = int64_t(row) - 1 - d.firstRow;
    return line < int64_t(d.pinnedRows) ? -1 : line;
}

int TreeListScreenLine(const TreeListData& d, uint32_t row)
{
    const int64_t line = TreeListListLine(d, row);
    return line >= 0 && line < int64_t(d.linesShown) ? int(line) : -1;
}

void TreeListResize(TreeListData& d, int clientWidth, int clientHeight)
{
    const bool widthChanged = clientWidth != d.clientWidth;
    d.clientWidth = std::max(clientWidth, 0);
    d.clientHeight = std::max(clientHeight, 0);
    const int32_t list = std::max(d.clientHeight - d.headerHeight, 0);
    const int32_t height = std::max(d.itemHeight, 1);
    d.linesShown = uint32_t((list + height - 1) / height);
    d.visibleCount = uint32_t(list / height);
    if (d.header)
        d.host->MoveHeader(-d.scrollX, 0, d.clientWidth + d.scrollX, d.headerHeight);
    if (widthChanged || d.columnCount)
        TreeListRecomputeEdges(d);
    TreeListUpdateHScroll(d, false);
    TreeListPend(d, kPendingVScroll);
}
