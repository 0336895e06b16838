// TVM_HITTEST: a client point to its row's item, its column (bits 24..31 of
// the flags) and the part of the row it lies on. Constant time: the row
// comes from the row table, the column from at most 32 edges.
#include "ui/treelist/core/treelist_internal.h"

namespace {

constexpr UINT kColumnShift = 24;
constexpr int32_t kButtonReachLow = -6;  // the button is hit from -6 to +7
constexpr int32_t kButtonReachHigh = 7;  // pixels around its centre
constexpr int32_t kTextSlack = 5;        // a text is hit a little beyond its end
constexpr int32_t kEmptyTextReach = 20;  // an empty text is hit near its start
constexpr int32_t kCentredSlack = 3;

bool HasText(uint16_t length, uint8_t callbackFlags) { return length != 0 || (callbackFlags & kTreeListTextCallback); }

// The stored text width, measured now when nothing measured it yet.
int32_t ItemTextWidth(TreeListData& d, TreeListItem& item)
{
    if (item.textWidth == 0 && item.textLength && !(item.callbackFlags & kTreeListTextCallback))
        item.textWidth = d.host->MeasureText(item.text, item.textLength, (item.state & TVIS_BOLD) != 0);
    return item.textWidth;
}

int32_t CellTextWidth(TreeListData& d, TreeListCell& cell)
{
    if (cell.textWidth == 0 && cell.textLength && !(cell.callbackFlags & kTreeListTextCallback))
        cell.textWidth = d.host->MeasureText(cell.text, cell.textLength, (cell.state & TVIS_BOLD) != 0);
    return cell.textWidth;
}

// The tree column; x from the column's left edge, y from the row's top.
UINT FirstColumn(TreeListData& d, TreeListItem& item, int32_t x, int32_t y)
{
    // Without lines at root the root level has no button column.
    int32_t pos = x - int32_t(item.level) * d.indent + (d.linesAtRoot ? 0 : d.indent);
    if (pos < d.indent) {
        const int32_t dx = pos - d.indent / 2, dy = y - d.itemHeight / 2;
        if ((d.style & TVS_HASBUTTONS) && TreeListMayHaveChildren(item) && dx >= kButtonReachLow &&
            dx <= kButtonReachHigh && dy >= kButtonReachLow && dy <= kButtonReachHigh)
            return TVHT_ONITEMBUTTON;
        return TVHT_ONITEMINDENT;
    }
    const bool grid = (d.extStyle & TLS_EX_GRIDLINES) != 0;
    pos -= d.indent;
    if (grid || (item.level == 0 && !d.linesAtRoot))
        pos -= 1;  // the separating pixel
    if (pos < 0)
        return TVHT_ONITEMINDENT;
    if (d.stateImages) {
        if (pos < d.stateImageCx)
            return TVHT_ONITEMSTATEICON;
        pos -= d.stateImageCx;
    }
    if (item.flags & kTreeListShowsImage) {
        const int32_t width = d.imageCx + (grid ? 1 : 0);
        if (pos < width)
            return TVHT_ONITEMICON;
        pos -= width;
    }
    if (HasText(item.textLength, item.callbackFlags))
        return pos < ItemTextWidth(d, item) + kTextSlack ? TVHT_ONITEMTEXT | TVHT_ONITEMLABEL : TVHT_ONITEMRIGHT;
    return pos < kEmptyTextReach ? TVHT_ONITEMTEXT | TVHT_ONITEMLABEL : TVHT_ONITEMLABEL;
}

// A cell of columns 1 and up; x unscrolled.
UINT OtherColumn(TreeListData& d, uint32_t h, TreeListItem& item, int32_t x)
{
    if (x >= d.columnEdges[d.columnCount])
        return TVHT_PASTCOLUMNS;
    // Joined cells count as their first column: the lowest display position
    // whose cell reaches the point.
    uint32_t column = 0;
    int32_t left = 0, right = 0;
    for (uint32_t p = 1; p < d.columnCount; ++p) {
        const uint32_t c = d.columnOrder[p];
        TreeListCellSpan(d, item, c, left, right);
        if (x >= left && x < right) {
            column = c;
            break;
        }
    }
    if (column == 0)
        return TVHT_NOWHERE;  // only between edges that no column owns
    UINT flags = column << kColumnShift;
    const TreeListColumn& col = d.columns[column];
    TreeListCell* cell = TreeListCellOf(d, h, column);
    int32_t box = 0;
    if (col.editKind >= kTreeListEditFirstCheckBox)
        box = d.cellStateImages ? d.cellStateImageCx : 0;
    else if (cell && (cell->flags & kTreeListShowsImage))
        box = d.extraImages ? d.extraImageCx : d.imageCx;
    const bool boxRight = cell && (cell->state & TVIS_CELLRIGHTICON);
    if (box > 0 && (boxRight ? x >= right - box : x < left + box))
        return flags | TVHT_ONCELLICON;
    const int32_t textLeft = left + (boxRight ? 0 : box);
    const int32_t textRight = right - (boxRight ? box : 0);
    if (!cell || !HasText(cell->textLength, cell->callbackFlags)) {
        const bool nearText = col.align == 2 ? x >= textRight - kEmptyTextReach : x < textLeft + kEmptyTextReach;
        return flags | TVHT_ONCELL | (nearText ? TVHT_ONCELLTEXT : 0);
    }
    const int32_t width = CellTextWidth(d, *cell);
    bool onText;
    if (col.align == 1) {
        const int32_t middle = (textLeft + textRight) / 2, half = width / 2 + kCentredSlack;
        onText = x >= middle - half && x < middle + half;
    } else if (col.align == 2) {
        onText = x >= textRight - (width + kTextSlack);
    } else {
        onText = x < textLeft + width + kTextSlack;
    }
    return flags | (onText ? TVHT_ONCELL | TVHT_ONCELLTEXT : TVHT_ONCELLRIGHT);
}

}  // namespace

uint32_t TreeListHitTest(TreeListData& d, TVHITTESTINFO& info)
{
    info.flags = 0;
    info.hItem = nullptr;
    const int32_t x = info.pt.x, y = info.pt.y;
    UINT outside = 0;
    if (x >= d.clientWidth)
        outside |= TVHT_TORIGHT;
    else if (x < 0)
        outside |= TVHT_TOLEFT;
    if (y < d.headerHeight)
        outside |= TVHT_ABOVE;
    else if (y >= d.clientHeight)
        outside |= TVHT_BELOW;
    if (outside) {
        info.flags = outside;
        return 0;
    }
    TreeListEnsureRows(d);
    const uint32_t line = uint32_t((y - d.headerHeight) / d.itemHeight);
    // Pinned lines show the first rows; the lines below them scroll.
    const uint64_t row = line >= d.pinnedRows ? uint64_t(line) + d.firstRow : line;
    if (row >= d.rowCount) {
        info.flags = TVHT_NOWHERE;
        return 0;
    }
    const uint32_t h = d.rowItems[row];
    TreeListItem& item = *d.items[h];
    info.hItem = TreeListHtreeOf(h);
    const int32_t content = x + d.scrollX;
    int32_t left, right;
    TreeListCellSpan(d, item, 0, left, right);
    if (d.columnCount == 0 || content < right)
        info.flags = FirstColumn(d, item, content - left, y - d.headerHeight - int32_t(line) * d.itemHeight);
    else
        info.flags = OtherColumn(d, h, item, content);
    return h;
}
