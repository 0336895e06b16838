// The pointer behaviours of the TreeList window: tracking (tooltip, pushed
// cell, hot tracking, hot check boxes), the drag start, the control's own
// double click, the release notifications, the wheel and the automatic
// scrolling. The selection decisions of the buttons are the core's.
#include "ui/treelist/win32/treelist_window.h"

#include "ui/treelist/core/treelist_pointer.h"

namespace {

constexpr UINT kColumnShift = 24;
constexpr UINT kTrackHits = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON | TVHT_ONCELL | TVHT_ONCELLICON;
constexpr uint8_t kLeftButton = 1;
constexpr UINT kMouseRecordMask = 0x4000 | TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;  // 0x401C
constexpr UINT kCheckRecordMask = TVIF_SUBITEM | TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_TEXT;  // 0x801D
constexpr DWORD kOwnDragStyle = 0x8000;  // the control runs the drag itself
constexpr UINT kPushedCellAction = 0x10003;
constexpr uint8_t kEditOnPushedCell = 0x40;
constexpr uint32_t kWheelReason = 0x1000B;
constexpr LRESULT kParentRefusesDrag = 1;

struct Hit {
    uint32_t item;
    UINT flags;
    uint32_t column;
};

Hit HitTest(TreeListData& d, POINT pt)
{
    TVHITTESTINFO info{};
    info.pt = pt;
    const uint32_t h = TreeListHitTest(d, info);
    return {h, info.flags, h ? info.flags >> kColumnShift : 0};
}

LPARAM PackPoint(POINT pt) { return LPARAM(uint32_t(uint16_t(pt.x)) | (uint32_t(uint16_t(pt.y)) << 16)); }

// -436 and -437: the hit under the release point.
LRESULT NotifyRelease(TreeListData& d, UINT code, POINT pt)
{
    const Hit hit = HitTest(d, pt);
    NMTREEVIEWA nm{};
    nm.hdr.code = code;
    nm.itemNew.mask = kMouseRecordMask;
    nm.itemNew.hItem = TreeListHtreeOf(hit.item);
    nm.itemNew.pszText = reinterpret_cast<LPSTR>(~uintptr_t(0));
    nm.itemNew.cchTextMax = -1;
    if (const TreeListItem* item = TreeListItemOf(d, hit.item)) {
        nm.itemNew.state = item->state;
        nm.itemNew.stateMask = 0xFFFFFFFF;
        nm.itemNew.cChildren = int(hit.column);
        nm.itemNew.lParam = item->data;
    }
    nm.ptDrag = pt;
    return TreeListSend(d, nm.hdr);
}

void RepaintBox(TreeListData& d, uint32_t item, uint32_t column)
{
    if (item)
        TreeListInvalidateCell(d, item, column);
}

void SetHotBox(TreeListData& d, bool hot, uint32_t item, uint32_t column)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (hot == w.hotBox && item == w.hotItem && column == w.hotColumn)
        return;
    if (w.hotBox)
        RepaintBox(d, w.hotItem, w.hotColumn);
    w.hotBox = hot;
    w.hotItem = hot ? item : 0;
    w.hotColumn = hot ? column : 0;
    if (!hot)
        return;
    RepaintBox(d, item, column);
    if (!w.leaveTracked) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, w.hwnd, 0};
        w.leaveTracked = _TrackMouseEvent(&track) != 0;
    }
}

void HotBoxes(TreeListData& d, const Hit& hit)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (w.builtStateBoxes && (d.style & TVS_CHECKBOXES) && hit.item && (hit.flags & TVHT_ONITEMSTATEICON)) {
        SetHotBox(d, true, hit.item, 0);
        return;
    }
    if (w.builtCellBoxes && hit.item && (hit.flags & TVHT_ONCELLICON) && hit.column < d.columnCount &&
        d.columns[hit.column].position > 0 && TreeListCheckBoxColumn(d, hit.column)) {
        SetHotBox(d, true, hit.item, hit.column);
        return;
    }
    SetHotBox(d, false, 0, 0);
}

void ReleasePushedCell(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (!w.cellPushed)
        return;
    w.cellPushed = false;
    if (TreeListItemOf(d, w.pushedItem, w.pushedSerial))
        TreeListInvalidateCell(d, w.pushedItem, w.pushedColumn);
}

// The press has moved far enough: TVN_BEGINDRAG, then the control's own
// drag unless the parent or the options keep it from dragging the item.
void BeginDragFromPress(TreeListData& d, POINT pt)
{
    d.mouseButton = 0;
    d.pendingClick = false;
    const uint32_t h = d.mouseItem;
    const uint32_t serial = d.mouseSerial;
    const TreeListItem* item = TreeListItemOf(d, h, serial);
    if (!item)
        return;
    NMTREEVIEWA nm{};
    nm.hdr.code = TVN_BEGINDRAGA;
    nm.itemNew.mask = kMouseRecordMask;
    nm.itemNew.hItem = TreeListHtreeOf(h);
    nm.itemNew.state = item->state;
    nm.itemNew.stateMask = 0xFFFFFFFF;
    nm.itemNew.pszText = reinterpret_cast<LPSTR>(~uintptr_t(0));
    nm.itemNew.cchTextMax = -1;
    nm.itemNew.cChildren = int(d.mouseColumn);
    nm.itemNew.lParam = item->data;
    nm.ptDrag = pt;
    const LRESULT answer = TreeListSend(d, nm.hdr);
    item = TreeListItemOf(d, h, serial);
    if (!item || answer == kParentRefusesDrag || !(d.style & kOwnDragStyle) || (item->state & d.noDragStates))
        return;
    TreeListEnsureRows(d);
    if ((d.dragRules & TLO3_PINNEDFIXED) && item->row && item->row <= d.pinnedRows)
        return;
    if ((d.dragRules & TLO3_ROOTONLY) && item->level != 0)
        return;
    TreeListStartDrag(d, h, MK_LBUTTON, pt);
}

}  // namespace

void TreeListPointerMove(TreeListData& d, WPARAM keys, POINT pt)
{
    TreeListWindow& w = TreeListWindowOf(d);
    w.lastMouse = pt;
    // A drag of the held left button whose release went elsewhere.
    if (d.dragItem && (d.dragState & kTreeListDragLeftButton) && !(keys & MK_LBUTTON))
        TreeListCancelDrag(d, keys);
    Hit hit = HitTest(d, pt);
    if (d.dragItem) {
        // No tooltip over the drop highlight.
        if (w.tipShown)
            TreeListHideItemTooltip(d);
    } else if (!(d.style & TVS_NOTOOLTIPS)) {
        if (d.enabled) {
            TreeListUpdateTooltip(d, hit.item, hit.flags);
            hit = HitTest(d, pt);  // the parent may have changed the tree meanwhile
        } else if (w.tipShown) {
            TreeListHideItemTooltip(d);
        }
    }
    if (w.cellPushed && (!(keys & MK_LBUTTON) || hit.item != w.pushedItem || hit.column != w.pushedColumn ||
                         !(hit.flags & TVHT_ONCELLICON)))
        ReleasePushedCell(d);
    if (d.dragItem) {
        TreeListDragFeedback(d, d.dragMode, uint32_t(keys));
        return;
    }
    if ((d.style & TVS_TRACKSELECT) && d.enabled) {
        if (hit.item && (hit.flags & kTrackHits))
            TreeListSetDropTarget(d, hit.item, hit.column);
        else if (d.dropItem)
            TreeListSetDropTarget(d, 0, 0);
    }
    HotBoxes(d, hit);
    if (d.mouseButton == kLeftButton && (keys & MK_LBUTTON) && !w.columnTracking &&
        TreeListDragThresholdCrossed(d.mousePoint, pt))
        BeginDragFromPress(d, pt);
}

LRESULT TreeListPointerLeftDown(TreeListData& d, WPARAM keys, LPARAM lParam)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (d.dragItem && (d.dragState & kTreeListDragByMessage))
        return 0;  // a drag started by message ignores presses
    const POINT pt = TreeListPointOf(lParam);
    const DWORD now = GetTickCount();
    UINT message = WM_LBUTTONDOWN;
    // The tooltip over the text may swallow the system's double click.
    if (w.tipShown && TreeListIsOwnDoubleClick(w.lastPressTick, w.lastPressPoint, now, pt)) {
        message = WM_LBUTTONDBLCLK;
        w.lastPressTick = 0;
    } else {
        w.lastPressTick = now ? now : 1;
        w.lastPressPoint = pt;
    }
    const Hit hit = HitTest(d, pt);
    const uint32_t serial = hit.item ? d.items[hit.item]->serial : 0;
    TreeListMouseButton(d, message, keys, pt);
    // A check box of a check-box column is pushed until the release.
    if (message == WM_LBUTTONDOWN && d.enabled && (hit.flags & TVHT_ONCELLICON) && TreeListCheckBoxColumn(d, hit.column) &&
        TreeListItemOf(d, hit.item, serial)) {
        w.cellPushed = true;
        w.pushedItem = hit.item;
        w.pushedSerial = serial;
        w.pushedColumn = hit.column;
        TreeListInvalidateCell(d, hit.item, hit.column);
    }
    return 0;
}

namespace {

// A pushed check box released over itself: the box flips and the parent
// hears TLN_CHECKCHANGED with action 0x10003; unless it answers, a column
// editor that asks for it starts on the cell.
void ReleasePushedCellOnUp(TreeListData& d, POINT pt)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const uint32_t h = w.pushedItem, column = w.pushedColumn;
    ReleasePushedCell(d);
    TreeListItem* item = TreeListItemOf(d, h, w.pushedSerial);
    if (!item || column >= d.columnCount)
        return;
    const uint32_t serial = item->serial;
    TreeListCell* cell = TreeListMakeCell(d, h, column);
    if (!cell)
        return;
    const bool zero = (d.extStyle & TLS_EX_CHECKZERO) != 0;
    const UINT image = cell->state & TVIS_STATEIMAGEMASK;
    const UINT flipped = zero ? (image ? 0 : INDEXTOSTATEIMAGEMASK(1))
                              : (image == INDEXTOSTATEIMAGEMASK(2) ? INDEXTOSTATEIMAGEMASK(1) : INDEXTOSTATEIMAGEMASK(2));
    cell->state = (cell->state & ~TVIS_STATEIMAGEMASK) | flipped;
    TreeListInvalidateCell(d, h, column);
    std::string text(cell->text ? cell->text : "", cell->textLength);
    NMTREEVIEWA nm{};
    nm.hdr.code = TLN_CHECKCHANGED;
    nm.action = kPushedCellAction;
    nm.itemNew.mask = kCheckRecordMask;
    nm.itemNew.hItem = TreeListHtreeOf(h);
    nm.itemNew.state = cell->state;
    nm.itemNew.stateMask = 0xFFFFFFFF;
    nm.itemNew.pszText = text.data();
    nm.itemNew.cchTextMax = int(text.size());
    nm.itemNew.cChildren = int(column);
    nm.itemNew.lParam = item->data;
    nm.ptDrag = pt;
    const LRESULT answer = TreeListSend(d, nm.hdr);
    if (answer == 0 && TreeListItemOf(d, h, serial) && column < d.columnCount &&
        (d.columns[column].editFlags & kEditOnPushedCell) && d.caretItem == h)
        TreeListStartEdit(d, column, kTreeListEditDoubleClick, PackPoint(pt));
}

}  // namespace

LRESULT TreeListPointerLeftUp(TreeListData& d, WPARAM keys, LPARAM lParam)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const POINT pt = TreeListPointOf(lParam);
    if (d.mouseButton == kLeftButton)
        d.mouseButton = 0;
    LRESULT answer = 0;
    if (d.dragItem) {
        TreeListFinishDrag(d, keys, pt);
    } else {
        const LRESULT pending = TreeListMouseButton(d, WM_LBUTTONUP, keys, pt);
        if (!pending && !d.destroyed)
            answer = NotifyRelease(d, TLN_LBUTTONUP, pt);
    }
    if (w.hotBox)
        SetHotBox(d, false, 0, 0);
    if (w.cellPushed) {
        const Hit hit = HitTest(d, pt);
        if (hit.item == w.pushedItem && hit.column == w.pushedColumn && (hit.flags & TVHT_ONCELLICON))
            ReleasePushedCellOnUp(d, pt);
        else
            ReleasePushedCell(d);
    }
    return answer;
}

LRESULT TreeListPointerRightUp(TreeListData& d, WPARAM keys, LPARAM lParam)
{
    TreeListMouseButton(d, WM_RBUTTONUP, keys, TreeListPointOf(lParam));
    if (d.destroyed)
        return 0;
    return NotifyRelease(d, TLN_RBUTTONUP, TreeListPointOf(lParam));
}

LRESULT TreeListPointerWheel(TreeListData& d, WPARAM wParam)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const WPARAM keys = LOWORD(wParam);
    const int delta = int16_t(HIWORD(wParam));
    if ((keys & (MK_MBUTTON | MK_RBUTTON)) || d.editWindow || ((keys & MK_LBUTTON) && !d.dragItem))
        return 0;
    const int rows = TreeListWheelRows(w.wheelRemainder, delta, keys);
    TreeListEnsureRows(d);
    const uint32_t first = TreeListWheelFirstRow(d.firstRow, rows, d.rowCount, d.visibleCount);
    if ((d.style & TVS_NOSCROLL) || first == d.firstRow)
        return 1;
    if (TreeListSetVPos(d, first, kWheelReason) == 1) {
        TreeListInvalidateList(d);
        if (d.dragItem)
            TreeListDragFeedback(d, d.dragMode, uint32_t(keys));
    }
    return 1;
}

namespace {

void AutoScrollTick(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(w.hwnd, &cursor);
    const TreeListAutoScrollInput in{cursor, d.clientHeight, d.headerHeight, d.imageCx, d.itemHeight, d.autoScrollMode};
    const int direction = TreeListAutoScrollTick(in, d.autoScrollTicks);
    if (!direction)
        return;
    const WPARAM code = direction < 0 ? SB_LINEUP : SB_LINEDOWN;
    TreeListUnlocked(d, [&] { SendMessageA(w.hwnd, WM_VSCROLL, code, 0); });
    if (d.dragItem && !d.destroyed)
        TreeListDragFeedback(d, d.dragMode, 0);
}

}  // namespace

void TreeListPointerLeave(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    w.leaveTracked = false;
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(w.hwnd, &cursor);
    // No keys, but a button still held is no lost release.
    TreeListPointerMove(d, GetKeyState(VK_LBUTTON) < 0 ? MK_LBUTTON : 0, cursor);
}

bool TreeListWindow::WindowTimer(UINT_PTR id)
{
    if (!d || d->destroyed)
        return false;
    if (id == kTreeListTooltipTimer)
        TreeListTooltipTimer(*d);
    else if (id == kTreeListBarTimer)
        RedrawBars();
    else if (id == kTreeListAutoScrollTimer)
        AutoScrollTick(*d);
    else
        return false;
    return true;
}
