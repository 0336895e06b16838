// The TreeList's message table, the core's rows: each row names the
// operation and the decoders of its arguments, and answers with its result.
// The window adds its own rows (win32/treelist_window_messages.cpp);
// TreeListDispatch holds the lock and a reference for the whole message and
// lets no exception leave.
#include "ui/treelist/core/treelist_internal.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
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
// Extended styles whose change repaints the whole window.
constexpr uint32_t kExtStyleRepaint = 0x040E0002;

std::atomic<bool> g_verifyEachMessage{false};

LRESULT Option(TreeListData& d, WPARAM wParam, uint32_t value)
{
    const bool set = (wParam & kTreeListOptionSet) != 0;
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
    case kTreeListOptionKeptNumber:
        apply(d.keptNumber, int32_t(value));
        if (changed && d.rowCount)
            TreeListInvalidateList(d);
        return old;
    case kTreeListOptionNoDragStates:
        apply(d.noDragStates, value);
        return old;
    case kTreeListOptionDragRules:
        apply(d.dragRules, value);
        return old;
    case kTreeListOptionPinnedRows:
        apply(d.pinnedRows, value);
        if (changed)
            TreeListInvalidateList(d);
        return old;
    case kTreeListOptionKeptFlag: {
        const uint32_t was = d.keptFlag;
        apply(d.keptFlag, value ? 0x80000000u : 0u);
        if (changed)
            TreeListInvalidateList(d);
        return set ? LRESULT(was != 0) : LRESULT(was);
    }
    case kTreeListOptionSelectedCount:
        return d.selectedCount;
    case kTreeListOptionKeptByte:
        apply(d.keptByte, int8_t(value));
        return old;
    case kTreeListOptionThemes:
        apply(d.themeRequested, value);
        return old;
    case kTreeListOptionKeptWord:
        old = d.keptWord;
        if (set)
            d.keptWord = value;
        return old;
    case kTreeListOptionMinRowHeight:
        apply(d.minRowHeight, int8_t(value));
        if (changed)
            TreeListUpdateRowHeight(d);
        return old;
    case kTreeListOptionWindowProcedure:
        return d.windowProcedure;
    case kTreeListOptionCheckLockStates:
        apply(d.checkLockStates, value);
        return old;
    case kTreeListOptionKeepMargin:
        apply(d.keepMargin, uint8_t(value));
        return old;
    case kTreeListOptionJoinableColumns:
        apply(d.joinableColumns, uint16_t(value));
        if (changed)
            TreeListRecomputeJoinedMask(d);
        return old;
    case kTreeListOptionAutoWidthMargin:
        apply(d.autoWidthMargin, uint8_t(value));
        if (changed)
            TreeListRowsChanged(d, 0);
        return old;
    case kTreeListOptionKeptSwitch:
        apply(d.keptSwitch, uint8_t(value != 0));
        return old;
    default:
        return 0;
    }
}

LRESULT SetExtendedStyle(TreeListData& d, WPARAM mask, uint32_t bits)
{
    const uint32_t old = d.extStyle;
    const uint32_t m = mask ? uint32_t(mask) : 0xFFFFFFFFu;
    d.extStyle = (old & ~m) | (bits & m);
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
    if ((changes & TLS_EX_CELLSELECT) && !(d.extStyle & TLS_EX_CELLSELECT) && d.caretColumn) {
        TreeListInvalidateCaretCell(d, d.caretItem, d.caretColumn);
        d.caretColumn = 0;
        TreeListInvalidateItem(d, d.caretItem);
    }
    if ((changes & TLS_EX_NOHEADER) && d.header) {
        d.headerHeight = (d.extStyle & TLS_EX_NOHEADER) ? 0 : d.host->SystemMetric(SM_CYHSCROLL);
        TreeListRefreshLayout(d);
    }
    if ((changes & kExtStyleRepaint) && d.enabled)
        d.host->Invalidate(nullptr, false);
    return old;
}

// The colour messages: the background ones name their slot in wParam, the
// others have a fixed slot.
LRESULT ColorSlot(TreeListData& d, UINT message, uint32_t wParamSlot, COLORREF color)
{
    uint32_t slot;
    bool set = false;
    switch (message) {
    case TVM_SETBKCOLOR:
        set = true;
        [[fallthrough]];
    case TVM_GETBKCOLOR:
        slot = wParamSlot;
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
    const COLORREF old = set ? TreeListSetColorSlot(d, slot, color) : TreeListGetColorSlot(d, slot);
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

// TVM_SORTCHILDREN: the children of lParam's item by their texts.
LRESULT SortByText(TreeListData& d, bool recurse, uint32_t parent)
{
    TreeListComparer comparer{};
    comparer.kind = TreeListComparer::kText;
    return TreeListSortChildren(d, parent, comparer, recurse);
}

// TVM_SORTCHILDRENCB and TLM_SORTCHILDRENEX: the parent and the function in
// the record; none, or no function, sorts nothing.
template <TreeListComparer::Kind kKind>
LRESULT SortByFunction(TreeListData& d, bool recurse, const TVSORTCB* sort)
{
    if (!sort || !sort->lpfnCompare)
        return 0;
    TreeListComparer comparer{};
    comparer.kind = kKind;
    comparer.callback = sort->lpfnCompare;
    comparer.treeListProc = reinterpret_cast<TreeListCompareProc>(reinterpret_cast<void (*)()>(sort->lpfnCompare));
    comparer.parameter = sort->lParam;
    return TreeListSortChildren(d, TreeListHandleOf(sort->hParent), comparer, recurse);
}

LRESULT SetIndent(TreeListData& d, int32_t indent)
{
    const LRESULT old = d.indent;
    d.indent = std::clamp<int32_t>(indent, kMinIndent, kMaxIndent);
    if (d.indent != old)
        TreeListInvalidateList(d);
    return old;
}

LRESULT SetItemHeight(TreeListData& d, int32_t height)
{
    const LRESULT old = d.itemHeight;
    if (height == -1) {
        d.itemHeightSet = 0;
        TreeListUpdateRowHeight(d);
        return old;
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
    return old;
}

LRESULT SetItemData(TreeListData& d, uint32_t h, LPARAM data)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (item)
        item->data = data;
    return item != nullptr;
}

LRESULT ItemData(TreeListData& d, uint32_t h)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    return item ? item->data : 0;
}

LRESULT ItemState(TreeListData& d, uint32_t h)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    return item ? item->state : 0;
}

LRESULT SetItemExtraSize(TreeListData& d, LPARAM size)
{
    if (uint64_t(uintptr_t(size)) > kTreeListMaxItemExtra)
        return -1;
    if (d.itemCount > 0)
        return 0;
    return d.itemExtraBytes = uint32_t(size);
}

LRESULT ItemExtra(TreeListData& d, uint32_t h)
{
    TreeListItem* item = TreeListItemOf(d, h);
    return (item && d.itemExtraBytes) ? reinterpret_cast<LRESULT>(item->Extra()) : 0;
}

LRESULT RowOfItem(TreeListData& d, uint32_t h)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    TreeListEnsureRows(d);
    return (item && item->row) ? LRESULT(item->row - 1) : -1;
}

LRESULT ItemOfRow(TreeListData& d, uint32_t row)
{
    TreeListEnsureRows(d);
    return row < d.rowCount ? d.rowItems[row] : 0;
}

LRESULT RowCount(TreeListData& d)
{
    TreeListEnsureRows(d);
    return d.rowCount;
}

LRESULT GetItemRect(TreeListData& d, uint32_t flags, RECT* rect)
{
    if (!rect)
        return 0;
    // The item handle comes in the RECT, as the SDK passes it.
    HTREEITEM h;
    std::memcpy(&h, rect, sizeof(h));
    return TreeListGetItemRect(d, TreeListHandleOf(h), flags, *rect);
}

LRESULT ColumnOrder(TreeListData& d, WPARAM count, int* order)
{
    if (!d.header || !order || count == 0 || count > kTreeListMaxColumns)
        return 0;
    return d.host->HeaderGetOrder(int(count), order);
}

// The rows whose record lParam points to: no record answers 0, or -1 where
// the message's failure is -1.
LRESULT InsertItem(TreeListData& d, const TVINSERTSTRUCTA* insert)
{
    return insert ? TreeListInsertItem(d, *insert) : 0;
}
LRESULT GetItem(TreeListData& d, TVITEMA* item) { return item ? TreeListGetItemInfo(d, *item) : 0; }
LRESULT SetItem(TreeListData& d, const TVITEMA* item) { return item ? TreeListSetItemInfo(d, *item) : 0; }
LRESULT HitTest(TreeListData& d, TVHITTESTINFO* hit) { return hit ? TreeListHitTest(d, *hit) : 0; }
LRESULT FindItem(TreeListData& d, uint32_t start, TLFINDITEM* find)
{
    return find ? TreeListFindItem(d, start, *find) : 0;
}
LRESULT CountItems(TreeListData& d, const TVITEMA* group)
{
    return group ? TreeListCountItems(d, TreeListHandleOf(group->hItem), *group) : -1;
}
LRESULT SetItems(TreeListData& d, const TVITEMA* group) { return group ? TreeListSetItems(d, *group) : -1; }
LRESULT InsertColumn(TreeListData& d, uint32_t index, const LVCOLUMNA* column)
{
    return column ? TreeListInsertColumn(d, index, *column) : -1;
}
LRESULT SetItemColor(TreeListData& d, uint32_t h, const TLITEMCOLOR* color)
{
    if (!color)
        return -1;
    return int32_t(TreeListSetItemColor(d, h, color->column, color->color, color->which ? kTreeListColorText : 0));
}

// TLM_GETITEMTEXTCOLOR and TLM_GETITEMBKCOLOR.
template <bool kText>
LRESULT ItemColor(TreeListData& d, uint32_t h, uint32_t column)
{
    return int32_t(TreeListGetItemColor(d, h, column, kText));
}
// TLM_SETITEMTEXTCOLOR and TLM_SETITEMBKCOLOR: the item in the low 24 bits
// of wParam, the column in the high 8.
template <uint32_t kFlags>
LRESULT SetItemColorOf(TreeListData& d, uint32_t itemAndColumn, COLORREF color)
{
    return int32_t(TreeListSetItemColor(d, itemAndColumn & kItemMask24, itemAndColumn >> 24, color, kFlags));
}

// TLM_MOVEITEM and the three after it: the message names the placement.
LRESULT MoveItem(TreeListData& d, UINT message, uint32_t h, uint32_t target)
{
    return TreeListMoveItem(d, h, target, message - TLM_MOVEITEM);
}

LRESULT DeleteItem(TreeListData& d, uint32_t h) { return TreeListDeleteItem(d, h, kTreeListDeleteRecompute); }

LRESULT SetAutoScroll(TreeListData& d, uint32_t mode, uint32_t interval)
{
    return TreeListSetAutoScroll(d, mode & 0xFF, interval);
}

// The cell's column only with cell selection.
LRESULT SelectCell(TreeListData& d, uint32_t h, uint32_t column)
{
    return TreeListSelect(d, h, (d.extStyle & TLS_EX_CELLSELECT) ? column : 0, 0);
}

// Only the timers of the control: the others go on.
bool Timer(TreeListData& d, UINT_PTR id)
{
    if (id != kTreeListDropTimer)
        return d.host->WindowTimer(id);
    TreeListDropTimer(d);
    return true;
}

using Rows = TreeListRows;
using Item = TreeListItemParam;
using WParam32 = WParamAs<uint32_t>;  // an item, a column or a code in wParam

constexpr TreeListRoute kRows[] = {
    Rows::On(TVM_INSERTITEMA).Answer<InsertItem, LParamAs<const TVINSERTSTRUCTA*>>(),
    Rows::On(TVM_DELETEITEM).Answer<DeleteItem, Item>(),
    Rows::On(TVM_EXPAND).Answer<TreeListExpandMessage, Item, WParam32>(),
    Rows::On(TVM_GETITEMRECT).Answer<GetItemRect, WParam32, LParamAs<RECT*>>(),
    Rows::On(TVM_GETCOUNT).Answer<&TreeListData::itemCount>(),
    Rows::On(TVM_GETINDENT).Answer<&TreeListData::indent>(),
    Rows::On(TVM_SETINDENT).Answer<SetIndent, WParamAs<int32_t>>(),
    Rows::On(TVM_SELECTITEM).Answer<SelectItem, WParamAs<WPARAM>, Item>(),
    Rows::On(TVM_GETITEMA).Answer<GetItem, LParamAs<TVITEMA*>>(),
    Rows::On(TVM_SETITEMA).Answer<SetItem, LParamAs<const TVITEMA*>>(),
    Rows::On(TVM_GETNEXTITEM).Answer<TreeListGetNextItem, Item, WParam32>(),
    Rows::On(TVM_HITTEST).Answer<HitTest, LParamAs<TVHITTESTINFO*>>(),
    Rows::On(TVM_SETINSERTMARK).Answer<TreeListSetInsertMark, Item, WParamAs<bool>>(),
    Rows::On(TVM_GETISEARCHSTRINGA).Answer<TreeListGetSearchString, LParamAs<char*>>(),
    Rows::On(TVM_GETVISIBLECOUNT).Answer<&TreeListData::visibleCount>(),
    Rows::On(TVM_SORTCHILDREN).Answer<SortByText, WParamAs<bool>, Item>(),
    Rows::On(TVM_SORTCHILDRENCB)
        .Answer<SortByFunction<TreeListComparer::kCallback>, WParamAs<bool>, LParamAs<const TVSORTCB*>>(),
    Rows::On(TLM_SORTCHILDRENEX)
        .Answer<SortByFunction<TreeListComparer::kTreeList>, WParamAs<bool>, LParamAs<const TVSORTCB*>>(),
    Rows::On(TVM_ENSUREVISIBLE).Answer<TreeListEnsureVisible, Item, WParam32>(),
    Rows::On(TVM_SETITEMHEIGHT).Answer<SetItemHeight, WParamAs<int32_t>>(),
    Rows::On(TVM_GETITEMHEIGHT).Answer<&TreeListData::itemHeight>(),
    Rows::On(TVM_GETITEMSTATE).Answer<ItemState, WParam32>(),
    Rows::On(TVM_SETEXTENDEDSTYLE).Answer<SetExtendedStyle, WParamAs<WPARAM>, LParamAs<uint32_t>>(),
    Rows::On(TVM_GETEXTENDEDSTYLE).Answer<&TreeListData::extStyle>(),
    Rows::On(TVM_SETBKCOLOR).Answer<ColorSlot, MessageId, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TVM_GETBKCOLOR).Answer<ColorSlot, MessageId, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TVM_SETTEXTCOLOR).Answer<ColorSlot, MessageId, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TVM_GETTEXTCOLOR).Answer<ColorSlot, MessageId, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TVM_SETLINECOLOR).Answer<ColorSlot, MessageId, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TVM_GETLINECOLOR).Answer<ColorSlot, MessageId, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TVM_SETINSERTMARKCOLOR).Answer<ColorSlot, MessageId, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TVM_GETINSERTMARKCOLOR).Answer<ColorSlot, MessageId, WParam32, LParamAs<COLORREF>>(),

    Rows::On(TLM_SETITEMDATA).Answer<SetItemData, Item, WParamAs<LPARAM>>(),
    Rows::On(TLM_GETITEMDATA).Answer<ItemData, Item>(),
    Rows::On(TLM_COUNTITEMS).Answer<CountItems, LParamAs<const TVITEMA*>>(),
    Rows::On(TLM_SETITEMS).Answer<SetItems, LParamAs<const TVITEMA*>>(),
    Rows::On(TLM_COLUMNTEXTCOLOR).Answer<TreeListColumnTextColor, WParamAs<WPARAM>, LParamAs<COLORREF>>(),
    Rows::On(TLM_SETITEMCOLOR).Answer<SetItemColor, WParam32, LParamAs<const TLITEMCOLOR*>>(),
    Rows::On(TLM_DEFERREDUPDATE).Act<TreeListRunDeferred>(),
    Rows::On(TLM_MOVEITEM, TLM_MOVEITEMLASTCHILD).Answer<MoveItem, MessageId, Item, WParam32>(),
    Rows::On(TLM_SETCOLUMNORDER).Answer<TreeListSetColumnOrder, WParamAs<WPARAM>, LParamAs<const uint32_t*>>(),
    Rows::On(TLM_GETCOLUMNORDER).Answer<ColumnOrder, WParamAs<WPARAM>, LParamAs<int*>>(),
    Rows::On(TLM_SETFOCUSITEM).Answer<TreeListSetFocusItem, Item, WParam32>(),
    Rows::On(TLM_SELECTCHILDREN).Answer<TreeListSelectChildren, Item, WParam32>(),
    Rows::On(TLM_SETDROPTARGET).Answer<TreeListSetDropTarget, Item, WParam32>(),
    Rows::On(TLM_SETDROPCELL).Answer<TreeListSetDropTarget, Item, WParam32>(),
    Rows::On(TLM_SETAUTOSCROLL).Answer<SetAutoScroll, WParam32, LParamAs<uint32_t>>(),
    Rows::On(TLM_ISITEMVISIBLE).Answer<TreeListIsItemVisible, Item, WParam32>(),
    Rows::On(TLM_OPTION).Answer<Option, WParamAs<WPARAM>, LParamAs<uint32_t>>(),
    Rows::On(TLM_FINDITEM).Answer<FindItem, WParam32, LParamAs<TLFINDITEM*>>(),
    Rows::On(TLM_GETVISIBLEROWS).Answer<&TreeListData::linesShown>(),
    Rows::On(TLM_GETITEMEXTRA).Answer<ItemExtra, Item>(),
    Rows::On(TLM_GETITEMEXTRASIZE).Answer<&TreeListData::itemExtraBytes>(),
    Rows::On(TLM_SETITEMEXTRASIZE).Answer<SetItemExtraSize, LParamAs<LPARAM>>(),
    Rows::On(TLM_GETCOLUMNWIDTH).Answer<TreeListGetColumnWidth, WParam32>(),
    Rows::On(TLM_SETCOLUMNWIDTH).Answer<TreeListSetColumnWidth, WParam32, LParamAs<int>>(),
    Rows::On(TLM_GETROWOFITEM).Answer<RowOfItem, Item>(),
    Rows::On(TLM_GETROWCOUNT).Answer<RowCount>(),
    Rows::On(TLM_GETITEMOFROW).Answer<ItemOfRow, LParamAs<uint32_t>>(),
    Rows::On(TLM_GETITEMTEXTCOLOR).Answer<ItemColor<true>, WParam32, LParamAs<uint32_t>>(),
    Rows::On(TLM_GETITEMBKCOLOR).Answer<ItemColor<false>, WParam32, LParamAs<uint32_t>>(),
    Rows::On(TLM_SETITEMTEXTCOLOR).Answer<SetItemColorOf<kTreeListColorText>, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TLM_SETITEMBKCOLOR).Answer<SetItemColorOf<0>, WParam32, LParamAs<COLORREF>>(),
    Rows::On(TLM_SELECTCELL).Answer<SelectCell, Item, WParam32>(),
    Rows::On(TLM_INSERTCOLUMN).Answer<InsertColumn, WParam32, LParamAs<const LVCOLUMNA*>>(),
    Rows::On(TLM_DELETECOLUMN).Answer<TreeListDeleteColumn, WParam32>(),
    Rows::On(TLM_GETCOLUMNCOUNT).Answer<&TreeListData::columnCount>(),
    Rows::On(TLM_GETHEADER).Answer<&TreeListData::header>(),

    Rows::On(WM_KEYDOWN).Answer<TreeListKeyDown, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
    Rows::On(WM_CHAR).Answer<TreeListChar, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
    // Left and right button, down, up and double click.
    Rows::On(WM_LBUTTONDOWN, WM_RBUTTONDBLCLK)
        .Answer<TreeListMouseButton, MessageId, WParamAs<WPARAM>, TreeListPointParam>(),
    Rows::On(WM_TIMER).May<Timer, WParamAs<UINT_PTR>>(),
};

constexpr auto kRoutes = SortRoutes(kRows);
static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

void Fail(const std::string& why)
{
    std::fprintf(stderr, "TreeList invariant broken: %s\n", why.c_str());
    std::abort();
}

}  // namespace

std::span<const TreeListRoute> TreeListCoreRoutes() { return kRoutes; }

void TreeListVerifyEachMessage(bool on) { g_verifyEachMessage.store(on, std::memory_order_relaxed); }

bool TreeListDispatch(TreeListData& d, TreeListLayer layer, const TreeListRoute& route, TreeListMessage& m)
{
    TreeListCall call(d);
    if (layer == TreeListLayer::kWindow && d.destroyed)
        return false;
    bool handled = true;
    ++d.messageDepth;
    try {
        handled = route.handler(d, m);
    } catch (const std::bad_alloc&) {
        m.result = 0;
    }
    // Inner messages (sent back from a notification) end inside an outer
    // operation, whose records may be half-way: checked with the outermost.
    if (--d.messageDepth == 0 && g_verifyEachMessage.load(std::memory_order_relaxed) && !d.destroyed) {
        std::string why;
        if (!TreeListVerify(d, &why))
            Fail(why);
    }
    return handled;
}

bool TreeListHandleMessage(TreeListData& d, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const TreeListRoute* route = FindRoute(kRoutes, message);
    if (!route)
        return false;
    TreeListMessage m{message, wParam, lParam, 0};
    const bool handled = TreeListDispatch(d, TreeListLayer::kCore, *route, m);
    result = m.result;
    return handled;
}
