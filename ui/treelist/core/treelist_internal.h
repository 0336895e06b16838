// Every internal operation of the TreeList control, across its parts (data
// model, rows and scrolling, items, columns, sorting, selection, navigation,
// keyboard, resources), so that they call each other through one header.
// All run with the control's lock held unless stated; each notification is
// sent through TreeListSend, which leaves the lock around the send.
//
// After any send the parent may have deleted items (handles are reused), so
// operations hold an item as {handle, serial} and look it up again.
#pragma once

#include "platform/framework/message_routes.h"
#include "platform/framework/routed_message.h"
#include "ui/treelist/core/treelist_api.h"
#include "ui/treelist/core/treelist_host.h"
#include "ui/treelist/core/treelist_records.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

// ================= Data model, lifecycle, locking =================

// WM_CREATE: a new control state with the window's own reference; 0 when
// memory runs out.
TreeListData* TreeListCreate(TreeListHost* host, DWORD style, int clientWidth, int clientHeight);
// WM_DESTROY: deletes every item (with notifications) and the columns.
void TreeListDestroy(TreeListData& d);
// WM_NCDESTROY: the window lets go of the state. It is freed when the last
// message in progress returns (then the host hears Released); no
// notification leaves after this.
void TreeListRelease(TreeListData* d);
void TreeListAddRef(TreeListData& d);
void TreeListReleaseRef(TreeListData* d);
// The window's end has begun (WM_DESTROY, or WM_NCDESTROY without it):
// what it would make, run later or scroll is left undone.
inline bool TreeListEnding(const TreeListData& d) { return d.destroying || d.destroyed; }

// Holds a reference and the lock for one message.
class TreeListCall {
public:
    explicit TreeListCall(TreeListData& d);
    ~TreeListCall();
    TreeListCall(const TreeListCall&) = delete;
    TreeListCall& operator=(const TreeListCall&) = delete;

private:
    TreeListData& m_d;
};

// Sends a notification to the parent with the lock released; 0 once the
// control is destroyed.
LRESULT TreeListSend(TreeListData& d, NMHDR& header);
// Runs a host call that may send messages back, with the lock released.
template <class F>
void TreeListUnlocked(TreeListData& d, F&& call)
{
    const int depth = d.lockDepth;
    d.lockDepth = 0;
    for (int i = 0; i < depth; ++i)
        d.lock.Unlock();
    call();
    for (int i = 0; i < depth; ++i)
        d.lock.Lock();
    d.lockDepth = depth;
}

// The item of a handle, 0 for 0, handles beyond the table and empty slots.
inline TreeListItem* TreeListItemOf(const TreeListData& d, uint32_t h)
{
    return (h != 0 && h <= d.itemsSize) ? d.items[h] : nullptr;
}
// The item only while it is still the one with that serial.
inline TreeListItem* TreeListItemOf(const TreeListData& d, uint32_t h, uint32_t serial)
{
    TreeListItem* item = TreeListItemOf(d, h);
    return (item && item->serial == serial) ? item : nullptr;
}
// An item held across a send: its handle and serial.
struct TreeListHeld {
    uint32_t h, serial;
};
inline TreeListHeld TreeListHold(const TreeListData& d, uint32_t h)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    return item ? TreeListHeld{h, item->serial} : TreeListHeld{0, 0};
}
inline bool TreeListAlive(const TreeListData& d, TreeListHeld x) { return x.h && TreeListItemOf(d, x.h, x.serial); }
inline uint32_t TreeListHandleOf(HTREEITEM h) { return uint32_t(uintptr_t(h)); }
inline HTREEITEM TreeListHtreeOf(uint32_t h) { return reinterpret_cast<HTREEITEM>(uintptr_t(h)); }
// Client coordinates of a mouse message: signed 16-bit halves of lParam.
inline POINT TreeListPointOf(LPARAM lParam)
{
    return POINT{int16_t(uint16_t(lParam)), int16_t(uint16_t(uint32_t(lParam) >> 16))};
}

// Grows items, rowItems and every cell table; false (nothing changed) when
// memory runs out or the handle range is exhausted.
bool TreeListGrowTables(TreeListData& d);
uint32_t TreeListTakeFreeHandle(TreeListData& d);

// Cells of columns 1..31. A read never creates a cell: a missing one is
// answered by an empty cell (text "", image -2, state from the item).
TreeListCell* TreeListCellOf(const TreeListData& d, uint32_t h, uint32_t column);
TreeListCell* TreeListMakeCell(TreeListData& d, uint32_t h, uint32_t column);
TreeListCell TreeListEmptyCell(const TreeListItem& item);
void TreeListFreeCell(TreeListCell* cell);

// Texts: copies cut to kTreeListMaxTextLength; the buffer is kept when the
// new text fits. False when memory runs out (the old text stays).
bool TreeListStoreText(char*& text, uint32_t& size, uint16_t& length, const char* source);
extern char kTreeListEmptyText[1];

// Tree order, regardless of expansion.
uint32_t TreeListNextInTree(const TreeListData& d, uint32_t h);
uint32_t TreeListNextOutside(const TreeListData& d, uint32_t h);  // skips h's subtree
bool TreeListIsInSubtree(const TreeListData& d, uint32_t root, uint32_t h);
bool TreeListIsHidden(const TreeListData& d, const TreeListItem& item);

// Checks every invariant; the row invariants only when the rows are up to
// date. False with the reason in why.
bool TreeListVerify(const TreeListData& d, std::string* why);

// ================= Rows, scrolling, invalidation =================

// Marks the rows from startRow (1-based row of the last item that keeps its
// number; 0 = from the first row) as out of date.
void TreeListRowsChanged(TreeListData& d, uint32_t startRow);
// The same for a change at h's place in the tree (h and its subtree
// excluded): finds the nearest shown item before it.
void TreeListRowsChangedAt(TreeListData& d, uint32_t h);
// Brings the rows up to date: renumbers from the earliest change, repaints
// from the first row that changed, queues the vertical bar update.
void TreeListEnsureRows(TreeListData& d);
int TreeListUpdateRowHeight(TreeListData& d);
void TreeListUpdateHScroll(TreeListData& d, bool releaseLock);
void TreeListUpdateVScroll(TreeListData& d, bool releaseLock, bool force);
// Reason bit: the caller does not hold the lock.
constexpr uint32_t kTreeListReasonUnlocked = 0x10000;
constexpr uint32_t kTreeListReasonEnsureVisible = 9;
constexpr uint32_t kTreeListReasonKeyboard = 10;
int TreeListSetHPos(TreeListData& d, int32_t pos, uint32_t reason);
int TreeListSetVPos(TreeListData& d, uint32_t firstRow, uint32_t reason);
constexpr uint32_t kTreeListColumnToTop = 0xFFFFFFFE;
int TreeListEnsureVisible(TreeListData& d, uint32_t h, uint32_t column);
void TreeListResize(TreeListData& d, int clientWidth, int clientHeight);
// Lays the list out again from its size, sets both bars and repaints.
void TreeListRefreshLayout(TreeListData& d);

// List line of a row (1-based): the pinned rows first, then the scrolled
// ones; -1 for no row or one scrolled away above. It may lie below the list.
int64_t TreeListListLine(const TreeListData& d, uint32_t row);
// Screen line of a row (1-based), -1 when the row is not on screen.
int TreeListScreenLine(const TreeListData& d, uint32_t row);
// Left and right edge of a cell (widened over joined cells), unscrolled.
void TreeListCellSpan(const TreeListData& d, const TreeListItem& item, uint32_t column, int32_t& left,
                      int32_t& right);
int TreeListInvalidateItem(TreeListData& d, uint32_t h);
// Takes an item with its subtree out of its siblings; a parent left without
// children loses its button.
void TreeListUnlink(TreeListData& d, uint32_t h);
int TreeListInvalidateCell(TreeListData& d, uint32_t h, uint32_t column);
int TreeListInvalidateColumn(TreeListData& d, uint32_t column);
int TreeListInvalidateList(TreeListData& d);
int TreeListInvalidateHeader(TreeListData& d);

// The expand operation: 0 done, 1 vetoed, -1 unknown or vanished item.
constexpr uint32_t kTreeListExpandAction = 2;
constexpr uint32_t kTreeListToggleAction = 0;
int TreeListExpand(TreeListData& d, uint32_t h, uint32_t actionWord, bool notify);
// TVM_EXPAND: 1 when the last expansion was carried out.
LRESULT TreeListExpandMessage(TreeListData& d, uint32_t h, uint32_t code);
constexpr uint32_t kTreeListRectText = 0x01;
constexpr uint32_t kTreeListRectCell = 0x80;
constexpr uint32_t kTreeListRectBelow = 0x100;
int TreeListGetItemRect(TreeListData& d, uint32_t h, uint32_t flags, RECT& rect);
int TreeListIsItemVisible(TreeListData& d, uint32_t h, uint32_t column);

// Deferred updates.
void TreeListQueueDeferred(TreeListData& d, const TreeListDeferred& record);
void TreeListPend(TreeListData& d, uint32_t pendingFlags);
void TreeListRunDeferred(TreeListData& d);  // TLM_DEFERREDUPDATE
void TreeListFreeDeferred(TreeListData& d);

// ================= Item operations =================

uint32_t TreeListInsertItem(TreeListData& d, const TVINSERTSTRUCTA& insert);
// The fields insert and set decode alike (those of mask among data, image,
// selected image, children); true when something shown changed.
bool TreeListDecodeFields(const TreeListData& d, TreeListItem& item, const TVITEMA& tv, UINT mask);
int TreeListGetItemInfo(TreeListData& d, TVITEMA& item);
int TreeListSetItemInfo(TreeListData& d, const TVITEMA& item);
constexpr uint32_t kTreeListDeleteRecompute = 0x01;
constexpr uint32_t kTreeListDeleteChildren = 0x02;
constexpr uint32_t kTreeListDeleteQuiet = 0x04;
int TreeListDeleteItem(TreeListData& d, uint32_t h, uint32_t flags);
LRESULT TreeListCountItems(TreeListData& d, uint32_t h, const TVITEMA& description);
// TLM_SETITEMS: the number of items of the group that changed; -1 for an
// unknown item.
LRESULT TreeListSetItems(TreeListData& d, const TVITEMA& description);
uint32_t TreeListFindItem(TreeListData& d, uint32_t start, TLFINDITEM& find);
int TreeListMoveItem(TreeListData& d, uint32_t h, uint32_t target, uint32_t mode);
COLORREF TreeListGetItemColor(TreeListData& d, uint32_t h, uint32_t column, bool textColor);
constexpr uint32_t kTreeListColorText = 0x01;
constexpr uint32_t kTreeListColorDeferred = 0x02;
COLORREF TreeListSetItemColor(TreeListData& d, uint32_t h, uint32_t column, COLORREF color, uint32_t flags);
// Fetches a callback text from the parent (TVN_GETDISPINFO) into buffer;
// the lock is released meanwhile.
const char* TreeListCallbackText(TreeListData& d, uint32_t h, uint32_t column, char* buffer, int size);

// ================= Columns and header =================

int TreeListInsertColumn(TreeListData& d, uint32_t index, const LVCOLUMNA& column);
int TreeListDeleteColumn(TreeListData& d, uint32_t index);
int TreeListSetColumnOrder(TreeListData& d, WPARAM count, const uint32_t* order);
constexpr int32_t kTreeListEdgesUnchanged = 0x10000;
int32_t TreeListRecomputeEdges(TreeListData& d);
void TreeListRecomputeJoinedMask(TreeListData& d);
int TreeListOptimalWidth(TreeListData& d, uint32_t column);
int TreeListSetColumnWidth(TreeListData& d, uint32_t column, int width);
int TreeListGetColumnWidth(TreeListData& d, uint32_t column);
// TLN_COLUMNCHANGED for a column whose width or place changed.
void TreeListNotifyColumnChanged(TreeListData& d, uint32_t column);

// Column editors (TLM_SETCOLUMNEDIT): kind 0 is none; kinds from 6 on draw
// check boxes in the cells; kinds 1, 2, 5 and 7 start on a typed key unless
// the column's flags say otherwise.
constexpr uint8_t kTreeListEditFirstCheckBox = 6;
constexpr uint32_t kTreeListEditTypingKinds = (1u << 1) | (1u << 2) | (1u << 5) | (1u << 7);
constexpr uint8_t kTreeListEditNoTyping = 0x10;  // editFlags
// The column of an open editor whose column was deleted.
constexpr uint32_t kTreeListColumnGone = 0xFFFFFFFF;
inline bool TreeListTypingEditor(const TreeListColumn& column)
{
    return ((kTreeListEditTypingKinds >> column.editKind) & 1) && !(column.editFlags & kTreeListEditNoTyping);
}
inline bool TreeListCheckBoxColumn(const TreeListData& d, uint32_t column)
{
    return column < d.columnCount && d.columns[column].editKind >= kTreeListEditFirstCheckBox;
}

// ================= Sorting =================

struct TreeListComparer {
    enum Kind { kText, kCallback, kTreeList } kind;
    PFNTVCOMPARE callback;
    TreeListCompareProc treeListProc;
    LPARAM parameter;
};
constexpr WPARAM kTreeListSortInner = 1234567;
int TreeListSortChildren(TreeListData& d, uint32_t parent, const TreeListComparer& comparer, bool recurse);
// Case-insensitive byte comparison of the current locale's letters.
int TreeListCompareTexts(const char* a, const char* b);

// ================= Selection, focus, check boxes =================

constexpr uint32_t kTreeListSelectMouse = 0x0001;
constexpr uint32_t kTreeListSelectKeyboard = 0x0002;
constexpr uint32_t kTreeListSelectDeselect = 0x4000;
constexpr uint32_t kTreeListSelectSingle = 0x8000;
constexpr uint32_t kTreeListSelectWasSelected = 0x800000;  // the keyboard's new caret is selected already
// 0 vetoed or invalid, 1 done, 2 done under single expand.
int TreeListSelect(TreeListData& d, uint32_t h, uint32_t column, uint32_t flags);
int TreeListToggleSelection(TreeListData& d, uint32_t h, uint32_t cause);
// TLM_SELECTCHILDREN: 1, or 0 without multiple selection.
constexpr uint32_t kTreeListSelectChildrenSubtrees = 0x01;
constexpr uint32_t kTreeListSelectChildrenClear = 0x02;
int TreeListSelectChildren(TreeListData& d, uint32_t h, uint32_t flags);
// Deselects every selected item but the caret (and keep), highest handle
// first, through the toggle.
void TreeListDeselectOthers(TreeListData& d, uint32_t cause);
void TreeListDeselectOthersBut(TreeListData& d, uint32_t cause, uint32_t keep);
// Shift ranges: selects the rows from `from` to `to` one by one (cause as
// the select flags); `to` ends as the caret, whichever way the rows run.
void TreeListSelectRange(TreeListData& d, uint32_t from, uint32_t to, uint32_t column, uint32_t cause);
void TreeListClearAnchorMark(TreeListData& d);
// The anchor without its mark (keyboard, incremental search, Shift ranges).
void TreeListSetAnchor(TreeListData& d, uint32_t h, uint32_t column);
constexpr uint32_t kTreeListCurrent = 0xFFFFFFFF;  // TLM_SETFOCUSITEM: keep item or column
int TreeListSetFocusItem(TreeListData& d, uint32_t h, uint32_t column);
int TreeListToggleCheck(TreeListData& d, uint32_t h, int x, int y);
// An item has or may have children (its button shows).
bool TreeListMayHaveChildren(const TreeListItem& item);
// Takes the keyboard focus (lock released around it); false when the
// control still does not have it.
bool TreeListTakeFocus(TreeListData& d);
// Row of the caret (0-based): the nearest shown ancestor's for a hidden
// caret, 0 without a caret.
uint32_t TreeListCaretRow(TreeListData& d);
// The caret (or the anchor) is shown as a row with full-row selection or
// focus, else as its cell.
void TreeListInvalidateCaretCell(TreeListData& d, uint32_t h, uint32_t column);

// ================= Navigation, hit test, mouse =================

LRESULT TreeListGetNextItem(TreeListData& d, uint32_t h, uint32_t code);
uint32_t TreeListHitTest(TreeListData& d, TVHITTESTINFO& info);
// One mouse button message after the window's own handling. For
// WM_LBUTTONUP: 1 when the press left a pending click (carried out unless
// NM_CLICK stopped it), else 0.
LRESULT TreeListMouseButton(TreeListData& d, UINT message, WPARAM keys, POINT point);
// TLM_SETDROPTARGET / TLM_SETDROPCELL; item kTreeListLast is the strip
// behind the last row.
int TreeListSetDropTarget(TreeListData& d, uint32_t h, uint32_t column);
// WM_TIMER of kTreeListDropTimer: expands the drop target.
void TreeListDropTimer(TreeListData& d);
int TreeListSetAutoScroll(TreeListData& d, uint32_t mode, uint32_t interval);
// The end of the control's own drag inside the window: moves the dragged
// items; the number of moved items.
int TreeListDropItems(TreeListData& d, uint32_t target, uint32_t dragged, WPARAM keys, POINT point);
// The drag state's bits: started by TLM_BEGINDRAG, the left button held at
// the start.
constexpr uint8_t kTreeListDragByMessage = 0x80;
constexpr uint8_t kTreeListDragLeftButton = 0x01;
// Ends a drag without a drop (Escape, a right press, a release that never
// came), reported as cancelled.
void TreeListCancelDrag(TreeListData& d, WPARAM keys);
uint32_t TreeListSetInsertMark(TreeListData& d, uint32_t h, bool before);

// ================= Keyboard and incremental search =================

LRESULT TreeListKeyDown(TreeListData& d, WPARAM key, LPARAM flags);
LRESULT TreeListChar(TreeListData& d, WPARAM ch, LPARAM flags);
// TVM_GETISEARCHSTRING.
LRESULT TreeListGetSearchString(TreeListData& d, char* buffer);
// Forgets the process-wide search (tests start from a clean state).
void TreeListResetSearch();

// ================= Resources and colours =================

// Fills every colour slot the caller has not set from the system colours
// and recomputes the flag themed.
void TreeListMakeDefaultColors(TreeListData& d);
// TVM_SETBKCOLOR and its kin: slot 0..17, colour -1 = back to the default;
// the old colour, -1 for a slot of 18 or more.
COLORREF TreeListSetColorSlot(TreeListData& d, uint32_t slot, COLORREF color);
COLORREF TreeListGetColorSlot(const TreeListData& d, uint32_t slot);
// TLM_COLUMNTEXTCOLOR.
LRESULT TreeListColumnTextColor(TreeListData& d, WPARAM wParam, COLORREF color);

// ================= Messages =================

// One message on its way through the table: the row's decoders take the
// handler's arguments from wParam and lParam, the row leaves the answer in
// result.
using TreeListMessage = RoutedMessage;
// False: the message goes on to the default window procedure.
using TreeListHandler = bool (*)(TreeListData& d, TreeListMessage& m);
// Both tables' rows: "message → handler", the handler's arguments taken by
// the decoders of message_routes.h and these two.
using TreeListRows = RouteRows<TreeListData, TreeListMessage>;
// The item handle lParam carries (32 bits, as every handle is read).
struct TreeListItemParam {
    static uint32_t Of(const TreeListMessage& m) { return uint32_t(uintptr_t(m.lParam)); }
};
// The client point of a mouse message.
struct TreeListPointParam {
    static POINT Of(const TreeListMessage& m) { return TreeListPointOf(m.lParam); }
};
// The core's rows need no window; the window's rows are the Win32 shell's.
enum class TreeListLayer : uint8_t { kCore, kWindow };
// A row of one of the two tables, each sorted by message at compile time.
using TreeListRoute = Route<TreeListHandler>;
// The core's rows (TVM_*, TLM_*, keys, buttons, the drop timer).
std::span<const TreeListRoute> TreeListCoreRoutes();

// Runs one routed message: a reference and the lock for its duration (a
// window row finds nothing to do once the control is destroyed), no
// exception leaves (a failed allocation answers 0), and the invariant check
// after the outermost message when it is switched on. False: not handled.
bool TreeListDispatch(TreeListData& d, TreeListLayer layer, const TreeListRoute& route, TreeListMessage& m);
// The core's messages alone (no window: tests, benchmarks); false for the
// others.
bool TreeListHandleMessage(TreeListData& d, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// TreeListVerify after every message, process-wide; a broken invariant
// aborts with its reason. The test programs switch it on.
void TreeListVerifyEachMessage(bool on);
