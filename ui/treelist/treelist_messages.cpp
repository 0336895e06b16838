// The messages of the TreeList's table that reach the portable core: each
// case decodes wParam/lParam, calls one operation and encodes its result.
// The lock and a reference are held for the whole message (TreeListCall);
// no exception leaves (a failed allocation answers the failure value).
#include "ui/treelist/treelist_internal.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kMinIndent = 5;
constexpr int32_t kMaxIndent = 64;
constexpr int32_t kMaxItemHeight = 256;
constexpr uint32_t kItemMask24 = 0x00FFFFFF;
constexpr uint32_t kTextSlot = 4;
constexpr uint32_t kLineSlot = 5;
constexpr uint32_t kInsertMarkSlot = 10;

uint32_t Handle(LPARAM value) { return uint32_t(uintptr_t(value)); }

LRESULT Option(TreeListData& d, WPARAM wParam, LPARAM lParam)
{
    const bool set = (wParam & kTreeListOptionSet) != 0;
    const uint32_t value = uint32_t(lParam);
    LRESULT old = 0;
    bool changed = false;
    auto apply = [&](auto& field, auto newValue) {
        old = LRESULT(field);
        if (set && field != newValue) {
            field = newValue;
            changed = true;
        }
    };
    switch (uint32_t(wParam & ~kTreeListOptionSet)) {
    case 1:
        apply(d.option1, int32_t(value));
        if (changed && d.rowCount)
            TreeListInvalidateList(d);
        return old;
    case 2:
        apply(d.option2, value);
        return old;
    case 3:
        apply(d.option3, value);
        return old;
    case 4:
        apply(d.option4, value);
        if (changed)
            TreeListInvalidateList(d);
        return old;
    case 5: {
        const uint32_t was = d.option5;
        apply(d.option5, value ? 0x80000000u : 0u);
        if (changed)
            TreeListInvalidateList(d);
        return set ? LRESULT(was != 0) : LRESULT(was);
    }
    case 6:
        return d.selectedCount;
    case 7:
        apply(d.option7, int8_t(value));
        return old;
    case 8:
        apply(d.option8, value);
        return old;
    case 9:
        old = d.option9;
        if (set)
            d.option9 = value;
        return old;
    case 10:
        apply(d.option10, int8_t(value));
        if (changed)
            TreeListUpdateRowHeight(d);
        return old;
    case 12:
        apply(d.option12, value);
        return old;
    case 13:
        apply(d.option13, uint8_t(value));
        return old;
    case 14:
        apply(d.option14, uint16_t(value));
        if (changed)
            TreeListRecomputeJoinedMask(d);
        return old;
    case 15:
        apply(d.option15, uint8_t(value));
        if (changed)
            TreeListRowsChanged(d, 0);
        return old;
    case 16:
        apply(d.option16, uint8_t(value != 0));
        return old;
    default:
        return 0;  // option 11 (the window procedure) is the window's
    }
}

LRESULT SetExtendedStyle(TreeListData& d, WPARAM mask, LPARAM bits)
{
    const uint32_t old = d.extStyle;
    const uint32_t m = mask ? uint32_t(mask) : 0xFFFFFFFFu;
    d.extStyle = (old & ~m) | (uint32_t(bits) & m);
    const uint32_t changes = old ^ d.extStyle;
    if (changes & (TLS_EX_HIDDENITEMS | TLS_EX_NOHSCROLL))
        TreeListRowsChanged(d, 0);
    if (changes & (TLS_EX_GRIDLINES | TLS_EX_ROWGAP | TLS_EX_KEEPVSCROLL)) {
        TreeListUpdateRowHeight(d);
        TreeListPend(d, kPendingVScroll);
    }
    if (changes & TLS_EX_NOHSCROLL) {
        d.lastHMax = -1;
        TreeListUpdateHScroll(d, true);
    }
    if (changes)
        TreeListInvalidateList(d);
    return old;
}

// The colour messages: the background ones name their slot in wParam, the
// others have a fixed slot.
LRESULT ColorSlot(TreeListData& d, UINT message, WPARAM wParam, LPARAM lParam)
{
    uint32_t slot;
    bool set = false;
    switch (message) {
    case TVM_SETBKCOLOR:
        set = true;
        [[fallthrough]];
    case TVM_GETBKCOLOR:
        slot = uint32_t(wParam);
        break;
    case TVM_SETTEXTCOLOR:
        set = true;
        [[fallthrough]];
    case TVM_GETTEXTCOLOR:
        slot = kTextSlot;
        break;
    case TVM_SETLINECOLOR:
        set = true;
        [[fallthrough]];
    case TVM_GETLINECOLOR:
        slot = kLineSlot;
        break;
    case TVM_SETINSERTMARKCOLOR:
        set = true;
        [[fallthrough]];
    default:
        slot = kInsertMarkSlot;
        break;
    }
    const COLORREF old = set ? TreeListSetColorSlot(d, slot, COLORREF(lParam)) : TreeListGetColorSlot(d, slot);
    return LRESULT(int32_t(old));
}

LRESULT SelectItem(TreeListData& d, WPARAM code, uint32_t h)
{
    switch (code) {
    case TVGN_CARET:
        return TreeListSelect(d, h, 0, 0);
    case TVGN_FIRSTVISIBLE: {
        const TreeListItem* item = TreeListItemOf(d, h);
        if (!item)
            return 0;
        TreeListEnsureRows(d);
        if (item->row == 0)
            return 0;
        const int64_t limit = std::max<int64_t>(int64_t(d.rowCount) - d.visibleCount, 0);
        const uint32_t first = uint32_t(std::min<int64_t>(item->row - 1, limit));
        if (TreeListSetVPos(d, first, kTreeListReasonEnsureVisible) == 1)
            TreeListInvalidateList(d);
        return 1;
    }
    case TVGN_DROPHILITE:
        return TreeListSetDropTarget(d, h, 0);
    default:
        return 0;
    }
}

LRESULT Sort(TreeListData& d, WPARAM recurse, uint32_t parent, TreeListComparer::Kind kind, const TVSORTCB* sort)
{
    TreeListComparer comparer{};
    comparer.kind = kind;
    if (kind != TreeListComparer::kText) {
        if (!sort || !sort->lpfnCompare)
            return 0;
        parent = TreeListHandleOf(sort->hParent);
        comparer.callback = sort->lpfnCompare;
        comparer.treeListProc = reinterpret_cast<TreeListCompareProc>(reinterpret_cast<void (*)()>(sort->lpfnCompare));
        comparer.parameter = sort->lParam;
    }
    return TreeListSortChildren(d, parent, comparer, recurse != 0);
}

bool Handle(TreeListData& d, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case TVM_INSERTITEMA:
        result = lParam ? LRESULT(TreeListInsertItem(d, *reinterpret_cast<const TVINSERTSTRUCTA*>(lParam))) : 0;
        return true;
    case TVM_DELETEITEM:
        result = TreeListDeleteItem(d, Handle(lParam), kTreeListDeleteRecompute);
        return true;
    case TVM_EXPAND:
        result = TreeListExpandMessage(d, Handle(lParam), uint32_t(wParam));
        return true;
    case TVM_GETITEMRECT: {
        RECT* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect) {
            result = 0;
            return true;
        }
        // The item handle comes in the RECT, as the SDK passes it.
        HTREEITEM h;
        std::memcpy(&h, rect, sizeof(h));
        result = TreeListGetItemRect(d, TreeListHandleOf(h), uint32_t(wParam), *rect);
        return true;
    }
    case TVM_GETCOUNT:
        result = d.itemCount;
        return true;
    case TVM_GETINDENT:
        result = d.indent;
        return true;
    case TVM_SETINDENT:
        result = d.indent;
        d.indent = std::clamp<int32_t>(int32_t(wParam), kMinIndent, kMaxIndent);
        if (d.indent != result)
            TreeListInvalidateList(d);
        return true;
    case TVM_SELECTITEM:
        result = SelectItem(d, wParam, Handle(lParam));
        return true;
    case TVM_GETITEMA:
        result = lParam ? TreeListGetItemInfo(d, *reinterpret_cast<TVITEMA*>(lParam)) : 0;
        return true;
    case TVM_SETITEMA:
        result = lParam ? TreeListSetItemInfo(d, *reinterpret_cast<const TVITEMA*>(lParam)) : 0;
        return true;
    case TVM_GETNEXTITEM:
        result = TreeListGetNextItem(d, Handle(lParam), uint32_t(wParam));
        return true;
    case TVM_HITTEST:
        result = lParam ? LRESULT(TreeListHitTest(d, *reinterpret_cast<TVHITTESTINFO*>(lParam))) : 0;
        return true;
    case TVM_SETINSERTMARK:
        result = TreeListSetInsertMark(d, Handle(lParam), wParam != 0);
        return true;
    case TVM_GETISEARCHSTRINGA:
        result = TreeListGetSearchString(d, reinterpret_cast<char*>(lParam));
        return true;
    case TVM_GETVISIBLECOUNT:
        result = d.visibleCount;
        return true;
    case TVM_SORTCHILDREN:
        result = Sort(d, wParam, Handle(lParam), TreeListComparer::kText, nullptr);
        return true;
    case TVM_SORTCHILDRENCB:
        result = Sort(d, wParam, 0, TreeListComparer::kCallback, reinterpret_cast<const TVSORTCB*>(lParam));
        return true;
    case TLM_SORTCHILDRENEX:
        result = Sort(d, wParam, 0, TreeListComparer::kTreeList, reinterpret_cast<const TVSORTCB*>(lParam));
        return true;
    case TVM_ENSUREVISIBLE:
        result = TreeListEnsureVisible(d, Handle(lParam), uint32_t(wParam));
        return true;
    case TVM_SETITEMHEIGHT: {
        result = d.itemHeight;
        int32_t height = int32_t(wParam);
        if (height == -1) {
            d.itemHeightSet = 0;
            TreeListUpdateRowHeight(d);
            return true;
        }
        if ((height & 1) && !(d.extStyle & TLS_EX_ODDHEIGHT))
            height -= 1;
        height = std::clamp(height, 1, kMaxItemHeight);
        d.itemHeightSet = 1;
        if (height != d.itemHeight) {
            d.itemHeight = height;
            TreeListResize(d, d.clientWidth, d.clientHeight);
            d.host->Invalidate(nullptr, false);
        }
        return true;
    }
    case TVM_GETITEMHEIGHT:
        result = d.itemHeight;
        return true;
    case TVM_GETITEMSTATE: {
        const TreeListItem* item = TreeListItemOf(d, Handle(LPARAM(wParam)));
        result = item ? LRESULT(item->state) : 0;
        return true;
    }
    case TVM_SETEXTENDEDSTYLE:
        result = SetExtendedStyle(d, wParam, lParam);
        return true;
    case TVM_GETEXTENDEDSTYLE:
        result = d.extStyle;
        return true;

    case TLM_SETITEMDATA: {
        TreeListItem* item = TreeListItemOf(d, Handle(lParam));
        if (item)
            item->data = LPARAM(wParam);
        result = item != nullptr;
        return true;
    }
    case TLM_GETITEMDATA: {
        const TreeListItem* item = TreeListItemOf(d, Handle(lParam));
        result = item ? item->data : 0;
        return true;
    }
    case TLM_COUNTITEMS:
        result = lParam ? TreeListCountItems(d, TreeListHandleOf(reinterpret_cast<const TVITEMA*>(lParam)->hItem),
                                             *reinterpret_cast<const TVITEMA*>(lParam))
                        : -1;
        return true;
    case TLM_SETITEMS:
        result = lParam ? TreeListSetItems(d, *reinterpret_cast<const TVITEMA*>(lParam)) : -1;
        return true;
    case TVM_SETBKCOLOR:
    case TVM_GETBKCOLOR:
    case TVM_SETTEXTCOLOR:
    case TVM_GETTEXTCOLOR:
    case TVM_SETLINECOLOR:
    case TVM_GETLINECOLOR:
    case TVM_SETINSERTMARKCOLOR:
    case TVM_GETINSERTMARKCOLOR:
        result = ColorSlot(d, message, wParam, lParam);
        return true;
    case TLM_COLUMNTEXTCOLOR:
        result = TreeListColumnTextColor(d, wParam, COLORREF(lParam));
        return true;
    case TLM_SETITEMCOLOR: {
        const TLITEMCOLOR* color = reinterpret_cast<const TLITEMCOLOR*>(lParam);
        result = color ? LRESULT(int32_t(TreeListSetItemColor(d, Handle(LPARAM(wParam)), color->column, color->color,
                                                      color->which ? kTreeListColorText : 0)))
                       : -1;
        return true;
    }
    case TLM_DEFERREDUPDATE:
        TreeListRunDeferred(d);
        result = 0;
        return true;
    case TLM_MOVEITEM:
    case TLM_MOVEITEMAFTER:
    case TLM_MOVEITEMFIRSTCHILD:
    case TLM_MOVEITEMLASTCHILD:
        result = TreeListMoveItem(d, Handle(lParam), Handle(LPARAM(wParam)), message - TLM_MOVEITEM);
        return true;
    case TLM_SETCOLUMNORDER:
        result = TreeListSetColumnOrder(d, wParam, reinterpret_cast<const uint32_t*>(lParam));
        return true;
    case TLM_GETCOLUMNORDER: {
        result = 0;
        if (d.header && lParam && wParam > 0 && wParam <= kTreeListMaxColumns)
            result = d.host->HeaderGetOrder(int(wParam), reinterpret_cast<int*>(lParam));
        return true;
    }
    case TLM_SETFOCUSITEM:
        result = TreeListSetFocusItem(d, Handle(lParam), uint32_t(wParam));
        return true;
    case TLM_SELECTCHILDREN:
        result = TreeListSelectChildren(d, Handle(lParam), uint32_t(wParam));
        return true;
    case TLM_SETDROPTARGET:
    case TLM_SETDROPCELL:
        result = TreeListSetDropTarget(d, Handle(lParam), uint32_t(wParam));
        return true;
    case TLM_SETAUTOSCROLL:
        result = TreeListSetAutoScroll(d, uint32_t(wParam) & 0xFF, uint32_t(lParam));
        return true;
    case TLM_ISITEMVISIBLE:
        result = TreeListIsItemVisible(d, Handle(lParam), uint32_t(wParam));
        return true;
    case TLM_OPTION:
        result = Option(d, wParam, lParam);
        return true;
    case TLM_FINDITEM:
        result = lParam ? LRESULT(TreeListFindItem(d, Handle(LPARAM(wParam)), *reinterpret_cast<TLFINDITEM*>(lParam)))
                        : 0;
        return true;
    case TLM_GETVISIBLEROWS:
        result = d.linesShown;
        return true;
    case TLM_GETITEMEXTRA: {
        TreeListItem* item = TreeListItemOf(d, Handle(lParam));
        result = (item && d.itemExtraBytes) ? reinterpret_cast<LRESULT>(item->Extra()) : 0;
        return true;
    }
    case TLM_GETITEMEXTRASIZE:
        result = d.itemExtraBytes;
        return true;
    case TLM_SETITEMEXTRASIZE:
        if (uint64_t(uintptr_t(lParam)) > kTreeListMaxItemExtra)
            result = -1;
        else if (d.itemCount > 0)
            result = 0;
        else
            result = d.itemExtraBytes = uint32_t(lParam);
        return true;
    case TLM_GETCOLUMNWIDTH:
        result = TreeListGetColumnWidth(d, uint32_t(wParam));
        return true;
    case TLM_SETCOLUMNWIDTH:
        result = TreeListSetColumnWidth(d, uint32_t(wParam), int(lParam));
        return true;
    case TLM_GETROWOFITEM: {
        const TreeListItem* item = TreeListItemOf(d, Handle(lParam));
        TreeListEnsureRows(d);
        result = (item && item->row) ? LRESULT(item->row - 1) : -1;
        return true;
    }
    case TLM_GETROWCOUNT:
        TreeListEnsureRows(d);
        result = d.rowCount;
        return true;
    case TLM_GETITEMOFROW: {
        TreeListEnsureRows(d);
        const uint32_t row = Handle(lParam);
        result = row < d.rowCount ? d.rowItems[row] : 0;
        return true;
    }
    case TLM_GETITEMTEXTCOLOR:
    case TLM_GETITEMBKCOLOR:
        result = LRESULT(int32_t(TreeListGetItemColor(d, Handle(LPARAM(wParam)), uint32_t(lParam),
                                                      message == TLM_GETITEMTEXTCOLOR)));
        return true;
    case TLM_SETITEMTEXTCOLOR:
    case TLM_SETITEMBKCOLOR:
        result = LRESULT(int32_t(TreeListSetItemColor(d, uint32_t(wParam) & kItemMask24, uint32_t(wParam) >> 24,
                                                      COLORREF(lParam),
                                                      message == TLM_SETITEMTEXTCOLOR ? kTreeListColorText : 0)));
        return true;
    case TLM_SELECTCELL:
        result = TreeListSelect(d, Handle(lParam), (d.extStyle & TLS_EX_CELLSELECT) ? uint32_t(wParam) : 0, 0);
        return true;
    case TLM_INSERTCOLUMN:
        result = lParam ? TreeListInsertColumn(d, uint32_t(wParam), *reinterpret_cast<const LVCOLUMNA*>(lParam)) : -1;
        return true;
    case TLM_DELETECOLUMN:
        result = TreeListDeleteColumn(d, uint32_t(wParam));
        return true;
    case TLM_GETCOLUMNCOUNT:
        result = d.columnCount;
        return true;
    case TLM_GETHEADER:
        result = reinterpret_cast<LRESULT>(d.header);
        return true;

    case WM_KEYDOWN:
        result = TreeListKeyDown(d, wParam, lParam);
        return true;
    case WM_CHAR:
        result = TreeListChar(d, wParam, lParam);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: {
        // Client coordinates are signed 16-bit halves of lParam.
        const POINT point{int16_t(uint16_t(lParam)), int16_t(uint16_t(uint32_t(lParam) >> 16))};
        result = TreeListMouseButton(d, message, wParam, point);
        return true;
    }
    case WM_TIMER:
        if (wParam != kTreeListDropTimer)
            return false;
        TreeListDropTimer(d);
        result = 0;
        return true;
    default:
        return false;
    }
}

}  // namespace

bool TreeListHandleMessage(TreeListData& d, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    TreeListCall call(d);
    try {
        return Handle(d, message, wParam, lParam, result);
    } catch (const std::bad_alloc&) {
        result = 0;
        return true;
    }
}
