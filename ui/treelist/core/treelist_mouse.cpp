// The decisions of the mouse buttons on what the hit test finds: check
// boxes, buttons, selection with Ctrl, Shift and multiple selection, the
// deferred click, the double click. NM_CLICK and NM_RCLICK go out on the
// release, NM_DBLCLK on the double click, each before the control acts; a
// non-zero answer stops the control's own action.
#include "ui/treelist/core/treelist_internal.h"

namespace {

constexpr UINT kItemHits =
    TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMTEXT | TVHT_ONCELL | TVHT_ONCELLICON | TVHT_ONCELLTEXT;
constexpr UINT kFullRowHits = TVHT_ONITEMRIGHT | TVHT_ONCELLRIGHT;
constexpr UINT kColumnShift = 24;
constexpr UINT kPartMask = 0x00FFFFFF;
// The mouse notifications carry the hit column in cChildren.
constexpr UINT kMouseRecordMask = 0x4000 | TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
constexpr uint8_t kLeftButton = 1;
constexpr uint8_t kRightButton = 2;

LPARAM PackPoint(POINT pt) { return LPARAM(uint32_t(uint16_t(pt.x)) | (uint32_t(uint16_t(pt.y)) << 16)); }

LRESULT NotifyMouse(TreeListData& d, UINT code, uint32_t h, uint32_t column, POINT pt)
{
    NMTREEVIEWA nm{};
    nm.hdr.code = code;
    nm.itemNew.mask = kMouseRecordMask;
    nm.itemNew.hItem = TreeListHtreeOf(h);
    nm.itemNew.pszText = reinterpret_cast<LPSTR>(~uintptr_t(0));
    nm.itemNew.cchTextMax = -1;
    nm.itemNew.cChildren = int(column);
    if (const TreeListItem* item = TreeListItemOf(d, h)) {
        nm.itemNew.state = item->state;
        nm.itemNew.stateMask = 0xFFFFFFFF;
        nm.itemNew.lParam = item->data;
    }
    nm.ptDrag = pt;
    return TreeListSend(d, nm.hdr);
}

uint32_t SelectColumn(const TreeListData& d, uint32_t hitColumn)
{
    return ((d.extStyle & TLS_EX_CELLSELECT) && hitColumn < d.columnCount) ? hitColumn : 0;
}

// Ctrl on a selected item: it leaves the selection (with its hidden
// descendants) and becomes the marked anchor.
void CtrlDeselect(TreeListData& d, TreeListHeld item, uint32_t hitColumn)
{
    TreeListSelect(d, 0, 0, kTreeListSelectMouse);
    if (!TreeListAlive(d, item))
        return;
    TreeListToggleSelection(d, item.h, kTreeListSelectMouse);
    if (!TreeListAlive(d, item))
        return;
    if (!(d.items[item.h]->state & TVIS_EXPANDED)) {
        for (uint32_t x = d.items[item.h]->firstChild; x && TreeListAlive(d, item);) {
            const TreeListHeld cur = TreeListHold(d, x);
            if (d.items[x]->state & TVIS_SELECTED)
                TreeListToggleSelection(d, x, kTreeListSelectMouse);
            if (!TreeListAlive(d, cur))
                break;
            // Tree order inside the item's subtree.
            uint32_t next = d.items[x]->firstChild;
            for (uint32_t y = x; !next && y && y != item.h; y = d.items[y]->parent)
                next = d.items[y]->nextSibling;
            x = next;
        }
    }
    if (!TreeListAlive(d, item))
        return;
    TreeListClearAnchorMark(d);
    const uint32_t column = SelectColumn(d, hitColumn);
    d.anchorItem = item.h;
    d.anchorColumn = column;
    TreeListItem* it = d.items[item.h];
    if (column == 0) {
        it->flags |= kTreeListFocusMark;
    } else if (TreeListCell* cell = TreeListMakeCell(d, item.h, column)) {
        cell->flags |= kTreeListFocusMark;
    }
    TreeListInvalidateCaretCell(d, item.h, column);
}

// The selection part of a click on an item (left: Shift and Ctrl count).
void ClickItem(TreeListData& d, bool left, WPARAM keys, TreeListHeld item, uint32_t hitColumn)
{
    const bool multi = (d.extStyle & TLS_EX_MULTISELECT) != 0;
    const bool shift = left && (keys & MK_SHIFT);
    const bool ctrl = (keys & MK_CONTROL) != 0;
    const uint32_t column = SelectColumn(d, hitColumn);
    if (shift && multi) {
        uint32_t from = TreeListItemOf(d, d.anchorItem) ? d.anchorItem : d.caretItem;
        if (!TreeListItemOf(d, from))
            from = item.h;
        if (!TreeListItemOf(d, d.anchorItem))
            TreeListSetAnchor(d, from, d.caretColumn);
        TreeListDeselectOthers(d, kTreeListSelectMouse);
        if (TreeListAlive(d, item))
            TreeListSelectRange(d, from, item.h, column, kTreeListSelectMouse);
        return;
    }
    if (left && ctrl && multi && (d.items[item.h]->state & TVIS_SELECTED)) {
        CtrlDeselect(d, item, hitColumn);
        return;
    }
    TreeListClearAnchorMark(d);
    TreeListSelect(d, item.h, column, kTreeListSelectMouse | (ctrl ? 0 : kTreeListSelectSingle));
    if (TreeListAlive(d, item) && d.caretItem == item.h)
        TreeListEnsureVisible(d, item.h, d.caretColumn);
}

// A left double click after the selection: the editor, else the key hook,
// else the expansion.
void DoubleClick(TreeListData& d, TreeListHeld item, POINT pt)
{
    const uint32_t column = d.caretColumn;
    if (d.caretItem && column < d.columnCount && d.columns[column].editKind != 0 &&
        d.host->StartEdit(column, kTreeListEditDoubleClick, PackPoint(pt)))
        return;
    if (d.host->EditKeyHook(d.caretItem, column, kTreeListEditDoubleClick, PackPoint(pt)))
        return;
    if (TreeListAlive(d, item) && TreeListMayHaveChildren(*d.items[item.h]))
        TreeListExpand(d, item.h, kTreeListToggleAction, true);
}

// A button's release ends its drag start and tells the parent of the
// click (NM_CLICK or NM_RCLICK) on what lies under the point; the answer.
LRESULT NotifyRelease(TreeListData& d, uint8_t button, UINT code, POINT pt)
{
    if (d.mouseButton == button)
        d.mouseButton = 0;
    TVHITTESTINFO hit{};
    hit.pt = pt;
    const uint32_t h = TreeListHitTest(d, hit);
    return NotifyMouse(d, code, h, h ? hit.flags >> kColumnShift : 0, pt);
}

LRESULT Release(TreeListData& d, POINT pt)
{
    const LRESULT stop = NotifyRelease(d, kLeftButton, NM_CLICK, pt);
    if (!d.pendingClick)
        return 0;
    d.pendingClick = false;
    const TreeListHeld pending{d.pendingItem, d.pendingSerial};
    // The deferred click acts as a plain left click on the pressed item.
    if (!stop && TreeListAlive(d, pending))
        ClickItem(d, true, 0, pending, d.pendingColumn);
    return 1;
}

// A press while an item is dragged: a right or double click on a button
// opens or closes that item, elsewhere it cancels the drag. A left press
// means the drag's release never came (another window took it): it ends
// the drag as cancelled and never drops the item.
void PressWhileDragging(TreeListData& d, UINT message, WPARAM keys, uint32_t h, UINT part)
{
    if (message == WM_LBUTTONDOWN) {
        TreeListCancelDrag(d, keys);
        return;
    }
    if (message != WM_RBUTTONDOWN && message != WM_RBUTTONDBLCLK && message != WM_LBUTTONDBLCLK)
        return;
    if ((part & TVHT_ONITEMBUTTON) && h && TreeListMayHaveChildren(*d.items[h]))
        TreeListExpand(d, h, kTreeListToggleAction, true);
    else
        TreeListCancelDrag(d, keys);
}

// A press on an item's icon, text or cell: remembers where a drag may
// start, then selects, or defers the click on an item of a multiple
// selection until the release; a double click then acts on the item.
void PressOnItem(TreeListData& d, UINT message, WPARAM keys, TreeListHeld item, uint32_t column, POINT pt)
{
    const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
    const bool right = !left;
    const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN;
    if (down && !(d.style & TVS_DISABLEDRAGDROP)) {
        d.mouseButton = left ? kLeftButton : kRightButton;
        d.mouseItem = item.h;
        d.mouseSerial = item.serial;
        d.mouseColumn = column;
        d.mousePoint = pt;
    }
    if (right && (d.extStyle & TLS_EX_NORIGHTSELECT))
        return;
    const bool selected = (d.items[item.h]->state & TVIS_SELECTED) != 0;
    if ((d.extStyle & TLS_EX_MULTISELECT) && selected) {
        if (message == WM_RBUTTONDOWN && d.selectedCount > 1)
            return;
        if (message == WM_LBUTTONDOWN && !(keys & (MK_SHIFT | MK_CONTROL))) {
            d.pendingClick = true;
            d.pendingItem = item.h;
            d.pendingSerial = item.serial;
            d.pendingColumn = column;
            return;
        }
    }
    ClickItem(d, left, keys, item, column);
    if (message == WM_LBUTTONDBLCLK)
        DoubleClick(d, item, pt);
}

}  // namespace

LRESULT TreeListMouseButton(TreeListData& d, UINT message, WPARAM keys, POINT pt)
{
    if (!d.enabled)
        return 0;
    if (message == WM_LBUTTONUP) {
        if (d.releaseAfterCancel) {
            // The button of a cancelled drag comes up: no click to report.
            d.releaseAfterCancel = false;
            if (d.mouseButton == kLeftButton)
                d.mouseButton = 0;
            return 1;
        }
        return Release(d, pt);
    }
    if (message == WM_RBUTTONUP) {
        NotifyRelease(d, kRightButton, NM_RCLICK, pt);
        return 0;
    }
    const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
    const bool right = message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK;
    if (!left && !right)
        return 0;
    d.pendingClick = false;  // a new press forgets an old pending click
    if (left)
        d.releaseAfterCancel = false;  // its release is this press's
    if (!TreeListTakeFocus(d))
        return 0;

    TVHITTESTINFO hit{};
    hit.pt = pt;
    TreeListHeld item = TreeListHold(d, TreeListHitTest(d, hit));
    const UINT part = hit.flags & kPartMask;
    const uint32_t column = item.h ? hit.flags >> kColumnShift : 0;
    if (d.dragItem) {
        PressWhileDragging(d, message, keys, item.h, part);
        return 0;
    }
    if (message == WM_LBUTTONDBLCLK) {
        if (NotifyMouse(d, NM_DBLCLK, item.h, column, pt) != 0)
            return 0;
        if (item.h && !TreeListAlive(d, item))
            return 0;
    }
    if (!item.h)
        return 0;
    if (part & TVHT_ONITEMSTATEICON) {
        if (left && (d.style & TVS_CHECKBOXES))
            TreeListToggleCheck(d, item.h, pt.x, pt.y);
        return 0;
    }
    if (part & TVHT_ONITEMBUTTON) {
        // As the platform's tree view: the press itself opens or closes.
        if (left)
            TreeListExpand(d, item.h, kTreeListToggleAction, true);
        return 0;
    }
    const UINT hits = kItemHits | ((d.style & TVS_FULLROWSELECT) ? kFullRowHits : 0);
    if (part & hits)
        PressOnItem(d, message, keys, item, column, pt);
    return 0;
}
