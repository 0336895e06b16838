// The header of the TreeList window: its notifications (tracking, dragging
// and divider double clicks; the rest goes on to the parent), changing and
// reading a column (TLM_SETCOLUMN, TLM_GETCOLUMN) and the sharing of the
// free width among the proportional columns.
#include "ui/treelist/win32/treelist_window.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t kStoredWidth = 0x44332211;  // TLM_SETCOLUMN: the column's own width
constexpr uint16_t kDefaultFillWeight = 100;
constexpr int32_t kMaxColumnWidth = 0x7FFF;
constexpr int kRepostInset = 2;  // the re-posted press lies this far left of the divider
constexpr int kDividerReach = 10;  // a press this close to a divider grabs it
constexpr UINT kHeaderFormatMask = 0xFFFF;

bool ProportionalShare(const TreeListColumn& c) { return c.weight != 0 && c.fillWeight == 0; }

void SetHeaderWidth(TreeListData& d, uint32_t column, int32_t width)
{
    HDITEMA hd{};
    hd.mask = HDI_WIDTH;
    hd.cxy = width;
    d.host->HeaderSetItem(int(column), hd);
}

void Relayout(TreeListData& d)
{
    const int32_t changed = TreeListRecomputeEdges(d);
    if (changed != kTreeListEdgesUnchanged) {
        // A grid line stands in the last pixel left of its edge.
        const RECT rect = {changed - d.scrollX - 1, d.headerHeight, d.clientWidth, d.clientHeight};
        if (rect.left < rect.right && rect.top < rect.bottom)
            d.host->Invalidate(&rect, false);
        TreeListInvalidateHeader(d);
    }
    TreeListUpdateHScroll(d, true);
}

// Adds delta to the proportional columns in proportion to their weights.
void ShareOut(TreeListData& d, int32_t delta)
{
    uint32_t weights = 0;
    for (uint32_t c = 0; c < d.columnCount; ++c)
        if (ProportionalShare(d.columns[c]))
            weights += d.columns[c].weight;
    if (!weights || !delta)
        return;
    int32_t given = 0;
    uint32_t seen = 0;
    for (uint32_t c = 0; c < d.columnCount; ++c) {
        TreeListColumn& col = d.columns[c];
        if (!ProportionalShare(col))
            continue;
        seen += col.weight;
        // Cumulative rounding: the shares add up to delta exactly.
        const int32_t upTo = int32_t(int64_t(delta) * seen / weights);
        const int32_t width = std::clamp<int32_t>(col.width + upTo - given, col.minWidth, kMaxColumnWidth);
        given = upTo;
        if (width != col.width) {
            col.width = int16_t(width);
            col.autoWidth = col.width;
            SetHeaderWidth(d, c, width);
        }
    }
}

// The tracked or double-clicked column gets its width; the proportional
// columns take up the difference.
void ApplyWidth(TreeListData& d, uint32_t column, int32_t width)
{
    if (column >= d.columnCount)
        return;
    TreeListColumn& col = d.columns[column];
    width = std::clamp<int32_t>(width, col.minWidth, kMaxColumnWidth);
    const int32_t old = col.width;
    if (width != old) {
        col.width = int16_t(width);
        if (col.weight)
            col.autoWidth = col.width;
        if (!ProportionalShare(col))
            ShareOut(d, old - width);
    }
    SetHeaderWidth(d, column, width);
    Relayout(d);
    if (width != old && (d.extStyle & TLS_EX_COLUMNNOTIFY))
        TreeListNotifyColumnChanged(d, column);
}

bool ProportionalRightOf(const TreeListData& d, uint32_t column)
{
    for (uint32_t p = d.columns[column].position + 1u; p < d.columnCount; ++p)
        if (ProportionalShare(d.columns[d.columnOrder[p]]))
            return true;
    return false;
}

LRESULT BeginTrack(TreeListData& d, const NMHEADERA& nm)
{
    TreeListWindow& w = TreeListWindowOf(d);
    TreeListTakeFocus(d);
    const uint32_t column = uint32_t(nm.iItem);
    if ((d.extStyle & TLS_EX_NOCOLUMNRESIZE) || column >= d.columnCount)
        return 1;
    if ((d.extStyle & TLS_EX_TRACKPROPORTIONAL) && !ProportionalRightOf(d, column))
        return 1;
    const TreeListColumn& col = d.columns[column];
    if (ProportionalShare(col) && col.width > 0)
        return 1;
    RECT item = {};
    const bool haveRect = SendMessageA(d.header, HDM_GETITEMRECT, WPARAM(column), reinterpret_cast<LPARAM>(&item));
    if (w.trackReposted) {
        // The press the control re-posted: the header tracks from the divider.
        w.trackReposted = false;
        w.columnTracking = true;
        w.trackColumn = int(column);
        w.trackStartLeft = item.left;
        return 0;
    }
    if (!haveRect)
        return 0;
    // Once: the header's own tracking stops and starts again at the divider.
    w.trackReposted = true;
    // At the press that grabbed the divider, so the header counts the width
    // from where the user holds it; a notification from elsewhere gets the
    // place just left of the divider.
    const DWORD pos = GetMessagePos();
    POINT press = {int16_t(LOWORD(pos)), int16_t(HIWORD(pos))};
    ScreenToClient(d.header, &press);
    if (std::abs(press.x - item.right) > kDividerReach || press.y < item.top || press.y >= item.bottom)
        press = {item.right - kRepostInset, (item.top + item.bottom) / 2};
    const LPARAM at = MAKELPARAM(press.x, press.y);
    PostMessageA(d.header, WM_LBUTTONUP, 0, at);
    PostMessageA(d.header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    return 1;
}

// The width a tracking step asks for. The header counts it from where the
// column's item begins now; when proportional columns left of it took up
// the last step's difference, that place has moved, and counting from it
// would feed each step back into the next. The control counts from where
// the item began when tracking started.
int32_t TrackedWidth(TreeListData& d, const NMHEADERA& nm)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const int32_t asked = nm.pitem->cxy;
    if (!w.columnTracking || nm.iItem != w.trackColumn)
        return asked;
    RECT item = {};
    if (!SendMessageA(d.header, HDM_GETITEMRECT, WPARAM(nm.iItem), reinterpret_cast<LPARAM>(&item)))
        return asked;
    return asked + (item.left - w.trackStartLeft);
}

// The optimal width reads stored text widths; rows not painted yet have
// none, so they are measured first.
void MeasureShownTexts(TreeListData& d, uint32_t column)
{
    TreeListEnsureRows(d);
    for (uint32_t r = 0; r < d.rowCount; ++r) {
        const uint32_t h = d.rowItems[r];
        TreeListItem* item = d.items[h];
        if (column == 0) {
            if (!item->textWidth && item->textLength && !(item->callbackFlags & kTreeListTextCallback))
                item->textWidth = d.host->MeasureText(item->text, item->textLength, (item->state & TVIS_BOLD) != 0);
            continue;
        }
        TreeListCell* cell = TreeListCellOf(d, h, column);
        if (cell && !cell->textWidth && cell->textLength && !(cell->callbackFlags & kTreeListTextCallback))
            cell->textWidth = d.host->MeasureText(cell->text, cell->textLength, (cell->state & TVIS_BOLD) != 0);
    }
}

LRESULT DividerDoubleClick(TreeListData& d, const NMHEADERA& nm)
{
    TreeListTakeFocus(d);
    const uint32_t column = uint32_t(nm.iItem);
    if ((d.extStyle & TLS_EX_NOCOLUMNRESIZE) || column >= d.columnCount || ProportionalShare(d.columns[column]))
        return 1;
    MeasureShownTexts(d, column);
    const int32_t width = std::max<int32_t>(TreeListOptimalWidth(d, column), d.columns[column].minWidth);
    ApplyWidth(d, column, width);
    return 1;
}

// The order the user dragged into place is read from the header once the
// drag is over; the tree column stays first.
LRESULT EndDrag(TreeListData& d, const NMHEADERA& nm)
{
    if (!(d.extStyle & TLS_EX_DRAGCOLUMNS) || !nm.pitem || !(nm.pitem->mask & HDI_ORDER))
        return 0;
    if (nm.iItem <= 0 || nm.pitem->iOrder <= 0)
        return 1;  // refused: the header keeps its order
    PostMessageA(TreeListWindowOf(d).hwnd, TLM_SETCOLUMNORDER, kTreeListOrderFromHeader, 0);
    return 0;
}

// Everything else goes on to the parent as the control's own notification.
LRESULT Forward(TreeListData& d, NMHDR& header)
{
    const HWND from = header.hwndFrom;
    const UINT_PTR id = header.idFrom;
    const LRESULT answer = TreeListSend(d, header);
    header.hwndFrom = from;
    header.idFrom = id;
    return answer;
}

}  // namespace

void TreeListReshareColumns(TreeListData& d)
{
    if (!d.proportionalCount || !d.header)
        return;
    int32_t used = 0;
    for (uint32_t c = 0; c < d.columnCount; ++c)
        used += d.columns[c].width;
    ShareOut(d, d.clientWidth - used);
    Relayout(d);
}

LRESULT TreeListHeaderNotify(TreeListData& d, NMHDR& header)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (w.headerCalls > 0)
        return 0;  // caused by the control's own header call
    NMHEADERA& nm = reinterpret_cast<NMHEADERA&>(header);
    const bool trackJustEnded = w.trackEnded;
    w.trackEnded = false;
    switch (int(header.code)) {
    case int(HDN_ITEMCHANGEDA):
        if (nm.pitem && (nm.pitem->mask & HDI_WIDTH) && uint32_t(nm.iItem) < d.columnCount &&
            nm.pitem->cxy != d.columns[nm.iItem].width)
            ApplyWidth(d, uint32_t(nm.iItem), nm.pitem->cxy);
        return 0;
    case int(HDN_BEGINDRAG):
        return ((d.extStyle & TLS_EX_DRAGCOLUMNS) && nm.iItem != 0) ? 0 : 1;
    case int(HDN_ENDDRAG):
        return EndDrag(d, nm);
    case int(HDN_BEGINTRACKA):
        return BeginTrack(d, nm);
    case int(HDN_DIVIDERDBLCLICKA):
        return DividerDoubleClick(d, nm);
    case int(HDN_TRACKA):
    case int(HDN_ENDTRACKA):
        if (nm.pitem && (nm.pitem->mask & HDI_WIDTH))
            ApplyWidth(d, uint32_t(nm.iItem), TrackedWidth(d, nm));
        if (header.code == HDN_ENDTRACKA) {
            w.trackEnded = w.columnTracking && !d.destroyed;
            w.columnTracking = false;
        }
        return 0;
    case int(HDN_ITEMCHANGINGA):
        // The header sets the tracked item's width itself after
        // HDN_ENDTRACK, counted its own way; the control's stands.
        if (trackJustEnded && nm.iItem == w.trackColumn)
            return 1;
        return Forward(d, header);
    default:
        return Forward(d, header);
    }
}

namespace {

// The control's side of a column's format: the alignment its cells are
// drawn with and the two column options, each repainting the column when
// it changes.
void SetColumnFormat(TreeListData& d, uint32_t column, const LVCOLUMNA& in)
{
    TreeListColumn& col = d.columns[column];
    if (in.mask & LVCF_FMT) {
        const int align = in.fmt & HDF_JUSTIFYMASK;
        const uint8_t value = align == 1 ? 2 : align == 2 ? 1 : 0;
        if (value != col.align) {
            col.align = value;
            TreeListInvalidateColumn(d, column);
        }
    }
    if (in.mask & TLCF_OPTION1) {
        const uint8_t on = (in.fmt & TLCF_OPTION1) ? 1 : 0;
        if (on != col.option10000000) {
            d.option10000000Count += on ? 1 : -1;
            col.option10000000 = on;
            TreeListInvalidateColumn(d, column);
        }
    }
    if (in.mask & TLCF_OPTION2) {
        const uint8_t on = in.fmt < 0 ? 1 : 0;
        if (on != col.option80000000) {
            col.option80000000 = on;
            TreeListInvalidateColumn(d, column);
        }
    }
}

}  // namespace

LRESULT TreeListSetColumn(TreeListData& d, uint32_t column, const LVCOLUMNA& in)
{
    if (!d.header || column >= d.columnCount)
        return 0;
    TreeListColumn& col = d.columns[column];
    const UINT mask = in.mask;
    int32_t cx = in.cx;
    if ((mask & LVCF_WIDTH) && cx == kStoredWidth)
        cx = col.fillWeight > 0 ? col.fillWeight : col.width;
    if (mask & TLCF_FILL) {
        if (!(in.fmt & TLCF_FILL))
            col.fillWeight = 0;
        else if (!col.fillWeight)
            col.fillWeight = col.width > 0 ? uint16_t(col.width) : kDefaultFillWeight;
    }
    HDITEMA hd{};
    if (mask & LVCF_FMT) {
        hd.mask |= HDI_FORMAT;
        hd.fmt = int((UINT(in.fmt) & kHeaderFormatMask) | HDF_STRING);
    }
    if (mask & LVCF_IMAGE) {
        hd.mask |= HDI_IMAGE;
        hd.iImage = in.iImage;
    }
    const int32_t oldWidth = col.width;
    if (mask & LVCF_WIDTH) {
        cx = std::clamp<int32_t>(cx, 0, kMaxColumnWidth);
        hd.mask |= HDI_WIDTH;
        hd.cxy = cx;
        col.autoWidth = int16_t(cx);
        col.width = int16_t(cx);
    }
    if (mask & LVCF_TEXT) {
        hd.mask |= HDI_TEXT;
        hd.pszText = in.pszText;
        hd.cchTextMax = in.cchTextMax;
    }
    const LRESULT answer = hd.mask ? d.host->HeaderSetItem(int(column), hd) : 1;
    if (column >= d.columnCount)
        return answer;  // the header's answer may have come back through the parent

    SetColumnFormat(d, column, in);
    if ((mask & TLCF_RESHARE) && (mask & LVCF_WIDTH) && d.proportionalCount) {
        if (in.fmt & TLCF_RESHARE) {
            for (uint32_t c = 0; c < d.columnCount; ++c)
                if (ProportionalShare(d.columns[c]))
                    d.columns[c].width = 0;
            TreeListReshareColumns(d);
        } else if (!ProportionalShare(col)) {
            ShareOut(d, oldWidth - col.width);
        }
        TreeListInvalidateHeader(d);
    }
    if (mask & (TLCF_FILL | TLCF_RESHARE | LVCF_WIDTH))
        Relayout(d);
    return answer;
}

LRESULT TreeListGetColumn(TreeListData& d, uint32_t column, LVCOLUMNA& out)
{
    if (!d.header || column >= d.columnCount)
        return 0;
    HDITEMA hd{};
    if (out.mask & LVCF_FMT)
        hd.mask |= HDI_FORMAT;
    if (out.mask & LVCF_WIDTH)
        hd.mask |= HDI_WIDTH;
    if (out.mask & LVCF_IMAGE)
        hd.mask |= HDI_IMAGE;
    if ((out.mask & LVCF_TEXT) && out.pszText && out.cchTextMax > 0) {
        hd.mask |= HDI_TEXT;
        hd.pszText = out.pszText;
        hd.cchTextMax = out.cchTextMax;
    }
    if (hd.mask && !d.host->HeaderGetItem(int(column), hd))
        return 0;
    if (column >= d.columnCount)
        return 0;
    const TreeListColumn& col = d.columns[column];
    if (out.mask & LVCF_FMT) {
        UINT fmt = UINT(hd.fmt) & HDF_JUSTIFYMASK;
        fmt |= col.option10000000 ? TLCF_OPTION1 : 0;
        fmt |= col.fillWeight ? TLCF_FILL : 0;
        fmt |= col.option80000000 ? TLCF_OPTION2 : 0;
        out.fmt = int(fmt);
    }
    if (out.mask & LVCF_WIDTH)
        out.cx = hd.cxy;
    if (out.mask & TLCF_WEIGHT)
        out.cx = col.weight;
    if (out.mask & LVCF_IMAGE)
        out.iImage = hd.iImage;
    if (out.mask & LVCF_ORDER)
        out.iOrder = col.hasMinWidth ? col.minWidth : -col.minWidth;
    return 1;
}
