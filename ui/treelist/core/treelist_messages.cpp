// The TreeList's message table, the core's rows: each row decodes wParam
// and lParam, calls one operation and encodes its result. The window adds
// its own rows (win32/treelist_window.cpp); TreeListDispatch holds the lock
// and a reference for the whole message and lets no exception leave.
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
constexpr uint32_t kOptionProcedure = 11;
// Extended styles whose change repaints the whole window.
constexpr uint32_t kExtStyleRepaint = 0x040E0002;

std::atomic<bool> g_verifyEachMessage{false};

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
    case kOptionProcedure:
        return d.windowProcedure;
    default:
        return 0;
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

LRESULT SetIndent(TreeListData& d, WPARAM indent)
{
    const LRESULT old = d.indent;
    d.indent = std::clamp<int32_t>(int32_t(indent), kMinIndent, kMaxIndent);
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

LRESULT GetItemRect(TreeListData& d, WPARAM flags, RECT* rect)
{
    if (!rect)
        return 0;
    // The item handle comes in the RECT, as the SDK passes it.
    HTREEITEM h;
    std::memcpy(&h, rect, sizeof(h));
    return TreeListGetItemRect(d, TreeListHandleOf(h), uint32_t(flags), *rect);
}

LRESULT ColumnOrder(TreeListData& d, WPARAM count, int* order)
{
    if (!d.header || !order || count == 0 || count > kTreeListMaxColumns)
        return 0;
    return d.host->HeaderGetOrder(int(count), order);
}

bool Timer(TreeListData& d, UINT_PTR id)
{
    if (id != kTreeListDropTimer)
        return d.host->WindowTimer(id);
    TreeListDropTimer(d);
    return true;
}

// Typed views of lParam.
template <class T>
T* P(const TreeListMessage& m)
{
    return reinterpret_cast<T*>(m.lParam);
}
uint32_t H(const TreeListMessage& m) { return Handle(m.lParam); }
uint32_t W(const TreeListMessage& m) { return uint32_t(m.wParam); }

// A row whose operation always answers.
#define TL_ROW(message, expression) \
    {message, [](TreeListData& d, TreeListMessage& m) { \
         m.result = LRESULT(expression); \
         return true; \
     }}

constexpr TreeListRoute kRows[] = {
    TL_ROW(TVM_INSERTITEMA, P<const TVINSERTSTRUCTA>(m) ? TreeListInsertItem(d, *P<const TVINSERTSTRUCTA>(m)) : 0),
    TL_ROW(TVM_DELETEITEM, TreeListDeleteItem(d, H(m), kTreeListDeleteRecompute)),
    TL_ROW(TVM_EXPAND, TreeListExpandMessage(d, H(m), W(m))),
    TL_ROW(TVM_GETITEMRECT, GetItemRect(d, m.wParam, P<RECT>(m))),
    TL_ROW(TVM_GETCOUNT, d.itemCount),
    TL_ROW(TVM_GETINDENT, d.indent),
    TL_ROW(TVM_SETINDENT, SetIndent(d, m.wParam)),
    TL_ROW(TVM_SELECTITEM, SelectItem(d, m.wParam, H(m))),
    TL_ROW(TVM_GETITEMA, P<TVITEMA>(m) ? TreeListGetItemInfo(d, *P<TVITEMA>(m)) : 0),
    TL_ROW(TVM_SETITEMA, P<const TVITEMA>(m) ? TreeListSetItemInfo(d, *P<const TVITEMA>(m)) : 0),
    TL_ROW(TVM_GETNEXTITEM, TreeListGetNextItem(d, H(m), W(m))),
    TL_ROW(TVM_HITTEST, P<TVHITTESTINFO>(m) ? TreeListHitTest(d, *P<TVHITTESTINFO>(m)) : 0),
    TL_ROW(TVM_SETINSERTMARK, TreeListSetInsertMark(d, H(m), m.wParam != 0)),
    TL_ROW(TVM_GETISEARCHSTRINGA, TreeListGetSearchString(d, P<char>(m))),
    TL_ROW(TVM_GETVISIBLECOUNT, d.visibleCount),
    TL_ROW(TVM_SORTCHILDREN, Sort(d, m.wParam, H(m), TreeListComparer::kText, nullptr)),
    TL_ROW(TVM_SORTCHILDRENCB, Sort(d, m.wParam, 0, TreeListComparer::kCallback, P<const TVSORTCB>(m))),
    TL_ROW(TLM_SORTCHILDRENEX, Sort(d, m.wParam, 0, TreeListComparer::kTreeList, P<const TVSORTCB>(m))),
    TL_ROW(TVM_ENSUREVISIBLE, TreeListEnsureVisible(d, H(m), W(m))),
    TL_ROW(TVM_SETITEMHEIGHT, SetItemHeight(d, int32_t(m.wParam))),
    TL_ROW(TVM_GETITEMHEIGHT, d.itemHeight),
    TL_ROW(TVM_GETITEMSTATE, TreeListItemOf(d, W(m)) ? TreeListItemOf(d, W(m))->state : 0),
    TL_ROW(TVM_SETEXTENDEDSTYLE, SetExtendedStyle(d, m.wParam, m.lParam)),
    TL_ROW(TVM_GETEXTENDEDSTYLE, d.extStyle),
    TL_ROW(TVM_SETBKCOLOR, ColorSlot(d, m.message, m.wParam, m.lParam)),
    TL_ROW(TVM_GETBKCOLOR, ColorSlot(d, m.message, m.wParam, m.lParam)),
    TL_ROW(TVM_SETTEXTCOLOR, ColorSlot(d, m.message, m.wParam, m.lParam)),
    TL_ROW(TVM_GETTEXTCOLOR, ColorSlot(d, m.message, m.wParam, m.lParam)),
    TL_ROW(TVM_SETLINECOLOR, ColorSlot(d, m.message, m.wParam, m.lParam)),
    TL_ROW(TVM_GETLINECOLOR, ColorSlot(d, m.message, m.wParam, m.lParam)),
    TL_ROW(TVM_SETINSERTMARKCOLOR, ColorSlot(d, m.message, m.wParam, m.lParam)),
    TL_ROW(TVM_GETINSERTMARKCOLOR, ColorSlot(d, m.message, m.wParam, m.lParam)),

    TL_ROW(TLM_SETITEMDATA, SetItemData(d, H(m), LPARAM(m.wParam))),
    TL_ROW(TLM_GETITEMDATA, TreeListItemOf(d, H(m)) ? TreeListItemOf(d, H(m))->data : 0),
    TL_ROW(TLM_COUNTITEMS, P<const TVITEMA>(m) ? TreeListCountItems(d, TreeListHandleOf(P<const TVITEMA>(m)->hItem),
                                                                    *P<const TVITEMA>(m))
                                               : -1),
    TL_ROW(TLM_SETITEMS, P<const TVITEMA>(m) ? TreeListSetItems(d, *P<const TVITEMA>(m)) : -1),
    TL_ROW(TLM_COLUMNTEXTCOLOR, TreeListColumnTextColor(d, m.wParam, COLORREF(m.lParam))),
    TL_ROW(TLM_SETITEMCOLOR, P<const TLITEMCOLOR>(m)
                                 ? int32_t(TreeListSetItemColor(d, W(m), P<const TLITEMCOLOR>(m)->column,
                                                                P<const TLITEMCOLOR>(m)->color,
                                                                P<const TLITEMCOLOR>(m)->which ? kTreeListColorText : 0))
                                 : -1),
    TL_ROW(TLM_DEFERREDUPDATE, (TreeListRunDeferred(d), 0)),
    TL_ROW(TLM_MOVEITEM, TreeListMoveItem(d, H(m), W(m), m.message - TLM_MOVEITEM)),
    TL_ROW(TLM_MOVEITEMAFTER, TreeListMoveItem(d, H(m), W(m), m.message - TLM_MOVEITEM)),
    TL_ROW(TLM_MOVEITEMFIRSTCHILD, TreeListMoveItem(d, H(m), W(m), m.message - TLM_MOVEITEM)),
    TL_ROW(TLM_MOVEITEMLASTCHILD, TreeListMoveItem(d, H(m), W(m), m.message - TLM_MOVEITEM)),
    TL_ROW(TLM_SETCOLUMNORDER, TreeListSetColumnOrder(d, m.wParam, P<const uint32_t>(m))),
    TL_ROW(TLM_GETCOLUMNORDER, ColumnOrder(d, m.wParam, P<int>(m))),
    TL_ROW(TLM_SETFOCUSITEM, TreeListSetFocusItem(d, H(m), W(m))),
    TL_ROW(TLM_SELECTCHILDREN, TreeListSelectChildren(d, H(m), W(m))),
    TL_ROW(TLM_SETDROPTARGET, TreeListSetDropTarget(d, H(m), W(m))),
    TL_ROW(TLM_SETDROPCELL, TreeListSetDropTarget(d, H(m), W(m))),
    TL_ROW(TLM_SETAUTOSCROLL, TreeListSetAutoScroll(d, W(m) & 0xFF, uint32_t(m.lParam))),
    TL_ROW(TLM_ISITEMVISIBLE, TreeListIsItemVisible(d, H(m), W(m))),
    TL_ROW(TLM_OPTION, Option(d, m.wParam, m.lParam)),
    TL_ROW(TLM_FINDITEM, P<TLFINDITEM>(m) ? TreeListFindItem(d, W(m), *P<TLFINDITEM>(m)) : 0),
    TL_ROW(TLM_GETVISIBLEROWS, d.linesShown),
    TL_ROW(TLM_GETITEMEXTRA, ItemExtra(d, H(m))),
    TL_ROW(TLM_GETITEMEXTRASIZE, d.itemExtraBytes),
    TL_ROW(TLM_SETITEMEXTRASIZE, SetItemExtraSize(d, m.lParam)),
    TL_ROW(TLM_GETCOLUMNWIDTH, TreeListGetColumnWidth(d, W(m))),
    TL_ROW(TLM_SETCOLUMNWIDTH, TreeListSetColumnWidth(d, W(m), int(m.lParam))),
    TL_ROW(TLM_GETROWOFITEM, RowOfItem(d, H(m))),
    TL_ROW(TLM_GETROWCOUNT, RowCount(d)),
    TL_ROW(TLM_GETITEMOFROW, ItemOfRow(d, H(m))),
    TL_ROW(TLM_GETITEMTEXTCOLOR, int32_t(TreeListGetItemColor(d, W(m), uint32_t(m.lParam), true))),
    TL_ROW(TLM_GETITEMBKCOLOR, int32_t(TreeListGetItemColor(d, W(m), uint32_t(m.lParam), false))),
    TL_ROW(TLM_SETITEMTEXTCOLOR, int32_t(TreeListSetItemColor(d, W(m) & kItemMask24, W(m) >> 24,
                                                               COLORREF(m.lParam), kTreeListColorText))),
    TL_ROW(TLM_SETITEMBKCOLOR,
           int32_t(TreeListSetItemColor(d, W(m) & kItemMask24, W(m) >> 24, COLORREF(m.lParam), 0))),
    TL_ROW(TLM_SELECTCELL, TreeListSelect(d, H(m), (d.extStyle & TLS_EX_CELLSELECT) ? W(m) : 0, 0)),
    TL_ROW(TLM_INSERTCOLUMN, P<const LVCOLUMNA>(m) ? TreeListInsertColumn(d, W(m), *P<const LVCOLUMNA>(m)) : -1),
    TL_ROW(TLM_DELETECOLUMN, TreeListDeleteColumn(d, W(m))),
    TL_ROW(TLM_GETCOLUMNCOUNT, d.columnCount),
    TL_ROW(TLM_GETHEADER, reinterpret_cast<LRESULT>(d.header)),

    TL_ROW(WM_KEYDOWN, TreeListKeyDown(d, m.wParam, m.lParam)),
    TL_ROW(WM_CHAR, TreeListChar(d, m.wParam, m.lParam)),
    TL_ROW(WM_LBUTTONDOWN, TreeListMouseButton(d, m.message, m.wParam, TreeListPointOf(m.lParam))),
    TL_ROW(WM_LBUTTONUP, TreeListMouseButton(d, m.message, m.wParam, TreeListPointOf(m.lParam))),
    TL_ROW(WM_LBUTTONDBLCLK, TreeListMouseButton(d, m.message, m.wParam, TreeListPointOf(m.lParam))),
    TL_ROW(WM_RBUTTONDOWN, TreeListMouseButton(d, m.message, m.wParam, TreeListPointOf(m.lParam))),
    TL_ROW(WM_RBUTTONUP, TreeListMouseButton(d, m.message, m.wParam, TreeListPointOf(m.lParam))),
    TL_ROW(WM_RBUTTONDBLCLK, TreeListMouseButton(d, m.message, m.wParam, TreeListPointOf(m.lParam))),
    // Only the timers of the control: the others go on.
    {WM_TIMER, [](TreeListData& d, TreeListMessage& m) { return Timer(d, UINT_PTR(m.wParam)); }},
};
#undef TL_ROW

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
