// Columns: insert and delete with their width kinds (fixed, or a weight
// sharing the free width), display order, edges, joined-column mask and the
// optimal width. The header window itself is the host's.
#include "ui/treelist/core/treelist_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int16_t kDefaultMinWidth = 16;
constexpr uint32_t kMaxWeight = 255;
constexpr uint16_t kDefaultFillWeight = 100;
constexpr uint32_t kMaxJoinedColumns = 16;
constexpr int32_t kOptimalPadding = 8;
constexpr int32_t kMaxColumnWidth = 0x7FFF;

void RenewPositions(TreeListData& d)
{
    for (uint32_t p = 0; p < d.columnCount; ++p)
        d.columns[d.columnOrder[p]].position = uint8_t(p);
    for (uint32_t p = 0; p < d.columnCount; ++p) {
        const uint32_t c = d.columnOrder[p];
        d.columns[c].nextColumn = p + 1 < d.columnCount ? d.columnOrder[p + 1] : 0;
    }
}

bool ProportionalShare(const TreeListColumn& c) { return c.weight != 0 && c.fillWeight == 0; }

void Repaint(TreeListData& d, int32_t firstChangedEdge)
{
    if (firstChangedEdge == kTreeListEdgesUnchanged)
        return;
    // A grid line stands in the last pixel left of its edge.
    const RECT rect = {firstChangedEdge - d.scrollX - 1, d.headerHeight, d.clientWidth, d.clientHeight};
    if (rect.left < rect.right && rect.top < rect.bottom)
        d.host->Invalidate(&rect, false);
    TreeListInvalidateHeader(d);
}

void ShiftColumnIndexes(TreeListData& d, uint32_t index, int delta)
{
    for (uint32_t* c : {&d.caretColumn, &d.dropColumn, &d.anchorColumn, &d.editColumn})
        if (*c >= index && *c != 0 && *c != kTreeListColumnGone)
            *c = uint32_t(int(*c) + delta);
}

}  // namespace

namespace {

// The header comes with the first column.
bool EnsureHeader(TreeListData& d)
{
    if (d.header)
        return true;
    const int height = (d.extStyle & TLS_EX_NOHEADER) ? 0 : d.host->SystemMetric(SM_CYHSCROLL);
    HWND header = d.host->CreateHeader(height);
    if (!header)
        return false;
    d.header = header;
    d.headerHeight = height;
    d.host->HeaderSetImageList(d.headerImages ? d.headerImages : d.normalImages);
    TreeListUpdateRowHeight(d);
    TreeListResize(d, d.clientWidth, d.clientHeight);
    return true;
}

// The record and the header item of a new column from the caller's
// description: alignment, image, text, minimum width and its flags.
void DescribeColumn(const LVCOLUMNA& lv, TreeListColumn& column, HDITEMA& hd)
{
    if (lv.mask & LVCF_FMT) {
        const int align = lv.fmt & HDF_JUSTIFYMASK;
        column.align = align == 1 ? 2 : align == 2 ? 1 : 0;
        hd.mask |= HDI_FORMAT;
        hd.fmt = (column.align == 2 ? HDF_RIGHT : column.align == 1 ? HDF_CENTER : HDF_LEFT) | HDF_STRING;
    }
    if (lv.mask & LVCF_IMAGE) {
        hd.mask |= HDI_IMAGE | HDI_FORMAT;
        hd.iImage = lv.iImage;
        hd.fmt |= HDF_IMAGE | HDF_STRING;
    }
    if (lv.mask & LVCF_TEXT) {
        hd.mask |= HDI_TEXT | HDI_FORMAT;
        hd.pszText = lv.pszText;
        hd.fmt |= HDF_STRING;
    }
    column.minWidth = kDefaultMinWidth;
    if (lv.mask & LVCF_ORDER) {
        const int64_t minimum = lv.iOrder < 0 ? -int64_t(lv.iOrder) : lv.iOrder;
        column.minWidth = int16_t(std::min<int64_t>(minimum, kMaxColumnWidth));
        column.hasMinWidth = lv.iOrder >= 0;
    }
    if ((lv.mask & TLCF_OPTION1) && (lv.fmt & TLCF_OPTION1))
        column.option10000000 = 1;
    if ((lv.mask & TLCF_FILL) && (lv.fmt & TLCF_FILL))
        column.fillWeight = lv.cx > 0 ? uint16_t(std::min(lv.cx, 0xFFFF)) : kDefaultFillWeight;
    if ((lv.mask & TLCF_OPTION2) && lv.fmt < 0)
        column.option80000000 = 1;
}

// The new column's width: fixed, or a weight that takes its share of the
// proportional total from the others (their new widths in shares).
int32_t NewColumnWidth(const TreeListData& d, const LVCOLUMNA& lv, TreeListColumn& column, int32_t* shares)
{
    int32_t width;
    int32_t fixedTotal = 0, proportionalTotal = 0;
    uint32_t weights = 0;
    for (uint32_t c = 0; c < d.columnCount; ++c) {
        if (!d.columns[c].weight)
            fixedTotal += d.columns[c].width;
        else
            proportionalTotal += d.columns[c].width;
        if (ProportionalShare(d.columns[c]) && d.columns[c].width > 0)
            weights += d.columns[c].weight;
    }
    if (lv.mask & LVCF_WIDTH) {
        width = std::clamp(lv.cx, 0, kMaxColumnWidth);
    } else {
        const uint32_t weight = std::clamp<int64_t>((lv.mask & TLCF_WEIGHT) ? lv.cx : 1, 1, kMaxWeight);
        column.weight = uint8_t(weight);
        if (weights > 0) {
            // The others give up their shares in proportion to their weights.
            int32_t given = 0;
            for (uint32_t c = 0; c < d.columnCount; ++c) {
                if (!ProportionalShare(d.columns[c]) || d.columns[c].width <= 0)
                    continue;
                shares[c] = int32_t(int64_t(proportionalTotal) * d.columns[c].weight / (weights + weight));
                given += shares[c];
            }
            width = proportionalTotal - given;
        } else {
            width = std::max(d.clientWidth - fixedTotal - proportionalTotal, 0);
        }
    }
    width = std::min(std::max(width, int32_t(column.minWidth)), kMaxColumnWidth);
    return width;
}

// Past the last failure: the others take their new shares, and the tables
// make room at index.
void MakeRoom(TreeListData& d, uint32_t index, TreeListCell** table, const int32_t* shares)
{
    for (uint32_t c = 0; c < d.columnCount; ++c) {
        if (shares[c]) {
            d.columns[c].width = int16_t(std::max<int32_t>(shares[c], d.columns[c].minWidth));
            d.columns[c].autoWidth = d.columns[c].width;
            HDITEMA other{};
            other.mask = HDI_WIDTH;
            other.cxy = d.columns[c].width;
            d.host->HeaderSetItem(int(c < index ? c : c + 1), other);
        }
    }
    if (table) {
        for (uint32_t c = d.columnCount; c > index; --c)
            d.cells[c] = d.cells[c - 1];
        d.cells[index] = table;
    }
    for (uint32_t c = d.columnCount; c > index; --c) {
        d.columns[c] = d.columns[c - 1];
        d.columnTextColors[c] = d.columnTextColors[c - 1];
    }
    for (uint32_t p = 0; p < d.columnCount; ++p)
        if (d.columnOrder[p] >= index)
            ++d.columnOrder[p];
    for (uint32_t p = d.columnCount; p > index; --p)
        d.columnOrder[p] = d.columnOrder[p - 1];
    d.columnOrder[index] = uint8_t(index);
}

}  // namespace

int TreeListInsertColumn(TreeListData& d, uint32_t index, const LVCOLUMNA& lv)
{
    // Once the window is going no window (the header) is made for it.
    if (d.columnCount >= kTreeListMaxColumns || TreeListEnding(d))
        return -1;
    index = std::min(index, d.columnCount);
    // The tree column's data live in the items: column 0 stays the tree.
    if (index == 0 && d.columnCount > 0)
        index = 1;
    if (!EnsureHeader(d))
        return -1;
    TreeListColumn column{};
    HDITEMA hd{};
    DescribeColumn(lv, column, hd);
    int32_t shares[kTreeListMaxColumns] = {};
    column.width = int16_t(NewColumnWidth(d, lv, column, shares));
    if (column.weight)
        column.autoWidth = column.width;
    hd.mask |= HDI_WIDTH;
    hd.cxy = column.width;
    if (d.host->HeaderInsertItem(int(index), hd) < 0)
        return -1;
    TreeListCell** table = nullptr;
    if (d.columnCount > 0) {
        table = static_cast<TreeListCell**>(std::calloc(size_t(d.itemsSize) + 1, sizeof(TreeListCell*)));
        if (!table) {
            d.host->HeaderDeleteItem(int(index));
            return -1;
        }
    }
    MakeRoom(d, index, table, shares);
    d.option10000000Count += column.option10000000;
    if (column.weight)
        ++d.proportionalCount;
    d.columns[index] = column;
    d.columnTextColors[index] = COLORREF(-1);
    ++d.columnCount;
    RenewPositions(d);
    ShiftColumnIndexes(d, index, 1);
    // The insert mark spans every column, the new one too.
    if (const TreeListItem* mark = TreeListItemOf(d, d.insertMarkItem)) {
        if (TreeListCell* cell = TreeListMakeCell(d, d.insertMarkItem, index)) {
            cell->flags |= kTreeListOwnBackColor;
            cell->backColor = mark->backColor;
        }
    }
    TreeListRecomputeJoinedMask(d);
    Repaint(d, TreeListRecomputeEdges(d));
    TreeListUpdateHScroll(d, true);
    if (d.extStyle & TLS_EX_COLUMNNOTIFY)
        TreeListNotifyColumnChanged(d, index);
    return int(index);
}

int TreeListDeleteColumn(TreeListData& d, uint32_t index)
{
    if (index >= d.columnCount || (index == 0 && d.columnCount > 1))
        return 0;
    if (d.caretColumn == index && d.caretItem) {
        TreeListSelect(d, d.caretItem, 0, 0);
        if (index >= d.columnCount || (index == 0 && d.columnCount > 1))
            return 0;  // the parent changed the columns meanwhile
        d.caretColumn = 0;
    }
    for (uint32_t* c : {&d.caretColumn, &d.anchorColumn, &d.dropColumn})
        if (*c == index)
            *c = 0;
    // An open editor's cell goes with its column: the editor must not write
    // into another one.
    if (d.editColumn == index)
        d.editColumn = d.editWindow ? kTreeListColumnGone : 0;
    d.host->HeaderDeleteItem(int(index));
    if (index > 0 && d.cells[index]) {
        TreeListCell** table = d.cells[index];
        for (uint32_t h = 1; h <= d.itemsSize; ++h)
            if (table[h])
                TreeListFreeCell(table[h]);
        std::free(table);
        for (uint32_t c = index; c + 1 < d.columnCount; ++c)
            d.cells[c] = d.cells[c + 1];
        d.cells[d.columnCount - 1] = nullptr;
    }
    if (d.columns[index].weight)
        --d.proportionalCount;
    if (d.columns[index].option10000000)
        --d.option10000000Count;
    const uint32_t position = d.columns[index].position;
    for (uint32_t c = index; c + 1 < d.columnCount; ++c) {
        d.columns[c] = d.columns[c + 1];
        d.columnTextColors[c] = d.columnTextColors[c + 1];
    }
    d.columns[d.columnCount - 1] = TreeListColumn{};
    d.columnTextColors[d.columnCount - 1] = COLORREF(-1);
    for (uint32_t p = position; p + 1 < d.columnCount; ++p)
        d.columnOrder[p] = d.columnOrder[p + 1];
    --d.columnCount;
    for (uint32_t p = 0; p < d.columnCount; ++p)
        if (d.columnOrder[p] > index)
            --d.columnOrder[p];
    d.columnOrder[d.columnCount] = 0;
    RenewPositions(d);
    ShiftColumnIndexes(d, index + 1, -1);

    if (d.columnCount == 0) {
        d.host->DestroyHeader();
        d.header = nullptr;
        d.headerHeight = 0;
        TreeListUpdateRowHeight(d);
        TreeListResize(d, d.clientWidth, d.clientHeight);
        d.host->Invalidate(nullptr, false);
        return 1;
    }
    TreeListRecomputeJoinedMask(d);
    Repaint(d, TreeListRecomputeEdges(d));
    TreeListUpdateHScroll(d, true);
    return 1;
}

int TreeListSetColumnOrder(TreeListData& d, WPARAM count, const uint32_t* order)
{
    uint32_t wanted[kTreeListMaxColumns];
    const uint32_t n = d.columnCount;
    if (count == kTreeListOrderFromHeader) {
        int fromHeader[kTreeListMaxColumns] = {};
        if (!d.header || !d.host->HeaderGetOrder(int(n), fromHeader))
            return 0;
        for (uint32_t p = 0; p < n; ++p)
            wanted[p] = uint32_t(fromHeader[p]);
    } else if (order) {
        if (count != n)
            return 0;
        std::memcpy(wanted, order, n * sizeof(uint32_t));
    } else {
        for (uint32_t p = 0; p < n; ++p)
            wanted[p] = p;
    }
    if (n > 0 && wanted[0] != 0)
        return 0;
    uint32_t seen = 0;
    bool same = true;
    for (uint32_t p = 0; p < n; ++p) {
        if (wanted[p] >= n || (seen & (1u << wanted[p])))
            return 0;
        seen |= 1u << wanted[p];
        same &= wanted[p] == d.columnOrder[p];
    }
    if (same)
        return 1;
    int headerOrder[kTreeListMaxColumns];
    for (uint32_t p = 0; p < n; ++p) {
        d.columnOrder[p] = uint8_t(wanted[p]);
        headerOrder[p] = int(wanted[p]);
    }
    RenewPositions(d);
    if (d.header)
        d.host->HeaderSetOrder(int(n), headerOrder);
    TreeListRecomputeJoinedMask(d);
    TreeListRecomputeEdges(d);
    TreeListInvalidateList(d);
    if (d.extStyle & TLS_EX_COLUMNNOTIFY)
        for (uint32_t c = 0; c < d.columnCount && !d.destroyed; ++c)
            TreeListNotifyColumnChanged(d, c);
    return 1;
}

int32_t TreeListRecomputeEdges(TreeListData& d)
{
    const uint32_t n = d.columnCount;
    int32_t edges[kTreeListMaxColumns + 2];
    int32_t x = 0;
    edges[0] = 0;
    for (uint32_t p = 0; p < n; ++p) {
        int32_t width = d.columns[d.columnOrder[p]].width;
        if (p == 0)
            width -= 1;
        if (width > 0)
            x += width;
        edges[p + 1] = x;
    }
    if (n > 0 && edges[n] >= d.clientWidth - 1)
        edges[n] += 1;
    edges[n + 1] = d.clientWidth + 1;
    int32_t changed = kTreeListEdgesUnchanged;
    for (uint32_t p = 0; p <= n + 1; ++p) {
        if (edges[p] != d.columnEdges[p]) {
            changed = std::min(edges[p], d.columnEdges[p]);
            // The caret or drop cell in a moved column is repainted.
            for (uint32_t p2 = p; p2 <= n + 1; ++p2)
                d.columnEdges[p2] = edges[p2];
            if (p > 0 && d.caretItem && d.columns[d.caretColumn].position + 1u >= p)
                TreeListInvalidateCell(d, d.caretItem, d.caretColumn);
            if (p > 0 && d.dropItem && d.columns[d.dropColumn].position + 1u >= p)
                TreeListInvalidateCell(d, d.dropItem, d.dropColumn);
            break;
        }
    }
    return changed;
}

void TreeListRecomputeJoinedMask(TreeListData& d)
{
    uint16_t mask = 0;
    const uint32_t limit = std::min(d.columnCount ? d.columnCount - 1 : 0, kMaxJoinedColumns);
    for (uint32_t c = 0; c < limit; ++c)
        if ((d.joinableColumns & (1u << c)) && d.columns[c].position == c)
            mask |= uint16_t(1u << c);
    if (mask != d.joinedMask) {
        d.joinedMask = mask;
        TreeListInvalidateList(d);
    }
}

int TreeListOptimalWidth(TreeListData& d, uint32_t column)
{
    if (column >= d.columnCount)
        return 0;
    TreeListEnsureRows(d);
    int32_t best = 0;
    for (uint32_t r = 0; r < d.rowCount; ++r) {
        const uint32_t h = d.rowItems[r];
        const TreeListItem* item = d.items[h];
        int32_t width;
        if (column == 0) {
            width = item->level * d.indent + item->textWidth + kOptimalPadding;
            if (item->flags & kTreeListShowsImage)
                width += d.imageCx;
        } else {
            const TreeListCell* cell = TreeListCellOf(d, h, column);
            width = kOptimalPadding;
            if (cell) {
                width += cell->textWidth;
                if (d.extraImages && (cell->flags & kTreeListShowsImage))
                    width += d.extraImageCx;
            }
        }
        best = std::max(best, width);
    }
    if (column == 0) {
        if (d.extStyle & TLS_EX_GRIDLINES)
            best += 1;
        if (d.linesAtRoot)
            best += d.indent;
        if (d.stateImages)
            best += d.stateImageCx;
    }
    return best;
}

int TreeListSetColumnWidth(TreeListData& d, uint32_t column, int width)
{
    if (!d.header || column >= d.columnCount || width < 0)
        return 0;
    width = std::min(width, int(kMaxColumnWidth));
    HDITEMA hd{};
    hd.mask = HDI_WIDTH;
    hd.cxy = width;
    const LRESULT answer = d.host->HeaderSetItem(int(column), hd);
    if (column >= d.columnCount)
        return 0;
    d.columns[column].width = int16_t(width);
    if (d.columns[column].weight)
        d.columns[column].autoWidth = int16_t(width);
    Repaint(d, TreeListRecomputeEdges(d));
    TreeListUpdateHScroll(d, true);
    return answer != 0;
}

int TreeListGetColumnWidth(TreeListData& d, uint32_t column)
{
    if (!d.header || column >= d.columnCount)
        return 0;
    HDITEMA hd{};
    hd.mask = HDI_WIDTH;
    if (!d.host->HeaderGetItem(int(column), hd))
        return 0;
    return hd.cxy;
}

void TreeListNotifyColumnChanged(TreeListData& d, uint32_t column)
{
    NMTLCOLUMN nm{};
    nm.hdr.code = TLN_COLUMNCHANGED;
    nm.column = LONG(column);
    nm.position = d.columns[column].position;
    nm.left = d.columnEdges[d.columns[column].position];
    nm.width = d.columns[column].width;
    TreeListSend(d, nm.hdr);
}
