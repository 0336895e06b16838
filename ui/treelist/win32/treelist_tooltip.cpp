// The item tooltip of the TreeList window: one tracking tool over the
// control that shows a text cut off by its column (or what the parent gives
// for the item), kept on the monitor's work area, and hidden when the
// pointer moves elsewhere.
#include "ui/treelist/win32/treelist_window.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr UINT kToolFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;  // 0xA1
constexpr UINT kToolInfoSize = 44;  // the tool record without lpReserved
constexpr LPARAM kMaxTipWidth = 10000;
constexpr UINT kShowMs = 1500;
constexpr UINT kDelayTickMs = 500;
constexpr UINT kItemTextHits = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;
constexpr UINT kCellHits = TVHT_ONCELL | TVHT_ONCELLICON;
constexpr UINT kColumnShift = 24;
constexpr int kFitSlack = 4;
constexpr size_t kBufferStep = 256;
constexpr size_t kMaxInfoTip = 1024;
constexpr UINT kParentDelayMask = 0x40000000;
constexpr UINT kTooltipRecordMask = TVIF_SUBITEM | TVIF_STATE | TVIF_HANDLE | TVIF_PARAM;  // 0x801C

// The record of TLN_GETTOOLTIP: NMTREEVIEW-like, then the text's position.
struct NMTLTOOLTIP {
    NMTREEVIEWA tree;
    LONG left;
    LONG top;
};

TTTOOLINFOA Tool(TreeListWindow& w)
{
    TTTOOLINFOA tool = {};
    tool.cbSize = kToolInfoSize;
    tool.uFlags = kToolFlags;
    tool.hwnd = w.hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(w.hwnd);
    return tool;
}

// The control a tooltip serves while that control lives: the tooltip keeps
// the control's window, which must still be a TreeList that calls the
// tooltip its own. The tooltip is a popup owned by the control's top-level
// window, so it could outlast the control; then it is a plain tooltip.
TreeListData* OwnerOf(HWND tip)
{
    const HWND owner = reinterpret_cast<HWND>(GetWindowLongPtrA(tip, GWLP_USERDATA));
    if (!owner || !IsWindow(owner) ||
        GetClassLongPtrA(owner, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&TreeListProc))
        return nullptr;
    TreeListData* d = reinterpret_cast<TreeListData*>(GetWindowLongPtrA(owner, 0));
    return d && !d->destroyed && TreeListWindowOf(*d).ownTooltip == tip ? d : nullptr;
}

// What the subclass keeps of the tooltip itself, beside the control: its
// messages in progress. The parent hears the tooltip's custom draw (and a
// parent may end the control, or its own window, right then); the class
// would free its records under its running message.
struct TipGuard {
    WNDPROC previous = nullptr;
    int depth = 0;          // the tooltip's messages in progress
    bool orphaned = false;  // the control let go of it: destroy it when the last one returns
    bool ending = false;    // destroyed inside one of them: the class hears no more
    bool gone = false;      // WM_NCDESTROY came: free this when the last one returns
};

const char kTipGuard[] = "TreeListTipGuard";

TipGuard* GuardOf(HWND tip) { return static_cast<TipGuard*>(GetPropA(tip, kTipGuard)); }

// A message of a live tooltip: the control's part, the rest the class's.
LRESULT Serve(HWND tip, WNDPROC previous, UINT message, WPARAM wParam, LPARAM lParam)
{
    TreeListData* d = OwnerOf(tip);
    if (!d)
        return CallWindowProcA(previous, tip, message, wParam, lParam);
    TreeListWindow& w = TreeListWindowOf(*d);
    if (message == WM_SETFOCUS) {
        ::SetFocus(reinterpret_cast<HWND>(lParam));  // the tooltip never keeps the focus
        return 0;
    }
    if (message == WM_MOUSEWHEEL) {
        // The wheel over the tooltip scrolls the control (its point is on
        // the screen already).
        return TreeListProc(w.hwnd, message, wParam, lParam);
    }
    if (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK) {
        // The pointer over the tooltip is over the control's text below it.
        POINT pt = {int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam))};
        MapWindowPoints(tip, w.hwnd, &pt, 1);
        return TreeListProc(w.hwnd, message, wParam, MAKELPARAM(pt.x, pt.y));
    }
    return CallWindowProcA(previous, tip, message, wParam, lParam);
}

LRESULT CALLBACK TooltipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam)
{
    TipGuard* guard = GuardOf(tip);
    if (!guard)
        return DefWindowProcA(tip, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropA(tip, kTipGuard);
        const WNDPROC previous = guard->previous;
        const bool withheld = guard->ending;
        if (guard->depth == 0)
            delete guard;
        else
            guard->gone = true;
        return withheld ? DefWindowProcA(tip, message, wParam, lParam)
                        : CallWindowProcA(previous, tip, message, wParam, lParam);
    }
    if (guard->ending)
        return DefWindowProcA(tip, message, wParam, lParam);
    if (message == WM_DESTROY) {
        // Destroyed from outside (with its owner, say): the control forgets
        // it at once and sends it nothing more.
        if (TreeListData* d = OwnerOf(tip)) {
            TreeListWindow& w = TreeListWindowOf(*d);
            w.ownTooltip = nullptr;
            w.tipShown = false;
            if (d->tooltip == tip)
                d->tooltip = nullptr;
        }
        SetWindowLongPtrA(tip, GWLP_USERDATA, 0);
        if (guard->depth > 0) {
            // Inside one of its own messages the class keeps its records (a
            // small loss) rather than free them under its running code.
            guard->ending = true;
            return DefWindowProcA(tip, message, wParam, lParam);
        }
        return CallWindowProcA(guard->previous, tip, message, wParam, lParam);
    }
    ++guard->depth;
    const LRESULT result = Serve(tip, guard->previous, message, wParam, lParam);
    if (--guard->depth == 0) {
        if (guard->gone)
            delete guard;
        else if (guard->orphaned)
            DestroyWindow(tip);  // its WM_NCDESTROY frees the guard
    }
    return result;
}

void KeepOnScreen(TreeListWindow& w, HWND tip)
{
    RECT rect = {};
    GetWindowRect(tip, &rect);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(MonitorFromWindow(tip, MONITOR_DEFAULTTONEAREST), &info))
        return;
    const RECT& work = info.rcWork;
    POINT pos = w.tipPosition;
    if (rect.right > work.right)
        pos.x = std::max(pos.x - (rect.right - work.right), work.left);
    if (rect.bottom > work.bottom)
        pos.y = std::max(pos.y - (rect.bottom - work.bottom), work.top);
    if (pos.x != w.tipPosition.x || pos.y != w.tipPosition.y) {
        w.tipPosition = pos;
        SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(pos.x, pos.y));
    }
}

void Show(TreeListData& d, const std::string& text, bool bold, POINT screen)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const HWND tip = d.tooltip;
    if (!tip)
        return;
    // The buffer grows in steps, so short texts do not reallocate.
    w.tipText.reserve((text.size() / kBufferStep + 1) * kBufferStep);
    w.tipText = text;
    w.tipBold = bold;
    w.tipPosition = screen;
    TTTOOLINFOA tool = Tool(w);
    SendMessageA(tip, WM_SETFONT, reinterpret_cast<WPARAM>(bold ? w.BoldFont() : w.DrawFont()), FALSE);
    SendMessageA(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageA(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    w.tipShown = true;
    KeepOnScreen(w, tip);
    d.host->SetTimer(kTreeListTooltipTimer, kShowMs);
}

// The full text of an item or a cell, asked from the parent for callbacks.
bool FullText(TreeListData& d, uint32_t h, uint32_t column, std::string& text, bool& bold, LPARAM& data)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return false;
    const uint32_t serial = item->serial;
    bold = (item->state & TVIS_BOLD) != 0;
    data = item->data;
    const char* stored = item->text;
    bool callback = (item->callbackFlags & kTreeListTextCallback) != 0;
    if (column) {
        const TreeListCell* cell = TreeListCellOf(d, h, column);
        stored = cell && cell->text ? cell->text : "";
        callback = cell && (cell->callbackFlags & kTreeListTextCallback);
    }
    if (!callback) {
        text = stored;
        return true;
    }
    char buffer[kMaxInfoTip];
    const char* asked = TreeListCallbackText(d, h, column, buffer, int(sizeof(buffer)));
    if (!TreeListItemOf(d, h, serial) || !asked)
        return false;
    text = asked;
    return true;
}

int32_t StoredWidth(TreeListData& d, uint32_t h, uint32_t column)
{
    TreeListItem* item = d.items[h];
    if (column == 0) {
        if (!item->textWidth && item->textLength)
            item->textWidth = d.host->MeasureText(item->text, item->textLength, (item->state & TVIS_BOLD) != 0);
        return item->textWidth;
    }
    TreeListCell* cell = TreeListCellOf(d, h, column);
    if (!cell)
        return 0;
    if (!cell->textWidth && cell->textLength && cell->text)
        cell->textWidth = d.host->MeasureText(cell->text, cell->textLength, (cell->state & TVIS_BOLD) != 0);
    return cell->textWidth;
}

}  // namespace

void TreeListCreateTooltip(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    // None for a window that is going: its end destroyed the last one.
    if (d.tooltip || TreeListEnding(d))
        return;
    // The control makes one tooltip: one the caller took away comes back.
    if (w.ownTooltip) {
        d.tooltip = w.ownTooltip;
        return;
    }
    const HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, w.hwnd, nullptr,
                                     reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(w.hwnd, GWLP_HINSTANCE)), nullptr);
    if (!tip)
        return;
    TTTOOLINFOA tool = Tool(w);
    GetClientRect(w.hwnd, &tool.rect);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SetWindowLongPtrA(tip, GWLP_ID, kTreeListTooltipId);
    TipGuard* guard = new (std::nothrow) TipGuard{};
    if (!guard || !SetPropA(tip, kTipGuard, guard)) {
        delete guard;
        DestroyWindow(tip);
        return;
    }
    SetWindowLongPtrA(tip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w.hwnd));
    guard->previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TooltipProc)));
    w.ownTooltip = tip;
    d.tooltip = tip;
}

void TreeListDestroyTooltip(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    // A tooltip the caller gave (TVM_SETTOOLTIPS) stays the caller's; the
    // control's own goes by its handle, wherever the system put it.
    const HWND tip = w.ownTooltip;
    w.ownTooltip = nullptr;
    d.tooltip = nullptr;
    w.tipShown = false;
    if (!tip || !IsWindow(tip))
        return;
    SetWindowLongPtrA(tip, GWLP_USERDATA, 0);
    TipGuard* guard = GuardOf(tip);
    if (guard && guard->depth > 0) {
        // The control ends inside one of the tooltip's messages (the parent
        // acted on its notification): hidden now, destroyed when that
        // message returns.
        ShowWindow(tip, SW_HIDE);
        guard->orphaned = true;
        return;
    }
    DestroyWindow(tip);
}

void TreeListHideItemTooltip(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (w.tipShown && d.tooltip) {
        TTTOOLINFOA tool = Tool(w);
        SendMessageA(d.tooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    }
    w.tipShown = false;
    w.tipItem = w.tipColumn = 0;
    w.tipCountdown = 0;
    d.host->KillTimer(kTreeListTooltipTimer);
}

namespace {

// The cell under the mouse whose tooltip is asked for.
struct TipCell {
    uint32_t h, column, serial;
    UINT state;
    RECT part;     // its text in client coordinates
    POINT screen;  // the text's top left on the screen
    std::string text;
    bool bold;
    LPARAM data;
};

// TLN_GETTOOLTIP: the parent gives the text and its place, to be shown now
// or after a delay it asks for; a zero answer shows none.
void AskParentForTip(TreeListData& d, const TipCell& c)
{
    TreeListWindow& w = TreeListWindowOf(d);
    std::string asked = c.text;
    asked.resize(std::max(asked.size(), kMaxInfoTip));
    NMTLTOOLTIP nm{};
    nm.tree.hdr.code = TLN_GETTOOLTIP;
    nm.tree.itemNew.mask = kTooltipRecordMask;
    nm.tree.itemNew.hItem = TreeListHtreeOf(c.h);
    nm.tree.itemNew.state = c.state;
    nm.tree.itemNew.stateMask = 0xFFFFFFFF;
    nm.tree.itemNew.pszText = asked.data();
    nm.tree.itemNew.cchTextMax = int(c.text.size());
    nm.tree.itemNew.cChildren = int(c.column);
    nm.tree.itemNew.lParam = c.data;
    nm.left = c.part.left;
    nm.top = c.part.top;
    const LRESULT answer = TreeListSend(d, nm.tree.hdr);
    if (!TreeListItemOf(d, c.h, c.serial) || !answer)
        return TreeListHideItemTooltip(d);
    const char* given = nm.tree.itemNew.pszText ? nm.tree.itemNew.pszText : "";
    POINT at = {nm.left, nm.top};
    ClientToScreen(w.hwnd, &at);
    const std::string shown(given, strnlen(given, kTreeListMaxTextLength));
    if ((nm.tree.itemNew.mask & kParentDelayMask) && nm.tree.itemNew.lParam > 0) {
        // Shown after the delay, in ticks of the 500 ms timer.
        TreeListHideItemTooltip(d);
        w.tipItem = c.h;
        w.tipColumn = c.column;
        w.tipText = shown;
        w.tipBold = c.bold;
        w.tipPosition = at;
        w.tipCountdown = int((nm.tree.itemNew.lParam + kDelayTickMs - 1) / kDelayTickMs);
        d.host->SetTimer(kTreeListTooltipTimer, kDelayTickMs);
        return;
    }
    w.tipItem = c.h;
    w.tipColumn = c.column;
    Show(d, shown, c.bold, at);
}

// TVN_GETINFOTIP for the first column: the parent may replace the text.
void AskInfoTip(TreeListData& d, const TipCell& c)
{
    TreeListWindow& w = TreeListWindowOf(d);
    char buffer[kMaxInfoTip] = {};
    std::memcpy(buffer, c.text.data(), std::min(c.text.size(), kMaxInfoTip - 1));
    NMTVGETINFOTIPA nm{};
    nm.hdr.code = TVN_GETINFOTIPA;
    nm.pszText = buffer;
    nm.cchTextMax = int(kMaxInfoTip);
    nm.hItem = TreeListHtreeOf(c.h);
    nm.lParam = c.data;
    TreeListSend(d, nm.hdr);
    if (!TreeListItemOf(d, c.h, c.serial))
        return TreeListHideItemTooltip(d);
    buffer[kMaxInfoTip - 1] = 0;
    w.tipItem = c.h;
    w.tipColumn = c.column;
    Show(d, buffer, c.bold, c.screen);
}

}  // namespace

void TreeListUpdateTooltip(TreeListData& d, uint32_t h, UINT hitFlags)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const bool onText = (hitFlags & kItemTextHits) != 0;
    const bool onCell = (hitFlags & kCellHits) != 0;
    if (!h || !d.tooltip || (!onText && !onCell)) {
        TreeListHideItemTooltip(d);
        return;
    }
    TipCell c{};
    c.h = h;
    c.column = onCell ? hitFlags >> kColumnShift : 0;
    if ((w.tipShown || w.tipCountdown > 0) && h == w.tipItem && c.column == w.tipColumn)
        return;
    std::memcpy(&c.part, &h, sizeof(h));
    const uint32_t rectCode = kTreeListRectText | (c.column ? kTreeListRectCell | (c.column << kColumnShift) : 0);
    if (!TreeListGetItemRect(d, h, rectCode, c.part))
        return TreeListHideItemTooltip(d);
    c.part.right = std::min<LONG>(c.part.right, d.clientWidth);
    c.screen = {c.part.left, c.part.top};
    ClientToScreen(w.hwnd, &c.screen);
    if (!FullText(d, h, c.column, c.text, c.bold, c.data))
        return TreeListHideItemTooltip(d);
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return TreeListHideItemTooltip(d);
    c.serial = item->serial;
    c.state = item->state;

    if (d.extStyle & TLS_EX_GETTOOLTIP)
        return AskParentForTip(d, c);
    if (c.column == 0 && (d.style & TVS_INFOTIP))
        return AskInfoTip(d, c);
    // Only a text that its column cuts off.
    if (c.part.right - c.part.left > StoredWidth(d, h, c.column) + kFitSlack) {
        TreeListHideItemTooltip(d);
        return;
    }
    w.tipItem = h;
    w.tipColumn = c.column;
    Show(d, c.text, c.bold, c.screen);
}

void TreeListTooltipTimer(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (d.dragItem) {
        TreeListHideItemTooltip(d);
        return;
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    const HWND under = WindowFromPoint(cursor);
    if (w.tipShown && under != w.hwnd && under != d.tooltip) {
        TreeListHideItemTooltip(d);
        return;
    }
    ScreenToClient(w.hwnd, &cursor);
    TVHITTESTINFO hit{};
    hit.pt = cursor;
    const uint32_t h = TreeListHitTest(d, hit);
    if (w.tipCountdown > 0) {
        if (--w.tipCountdown > 0)
            return;
        const uint32_t column = hit.flags >> kColumnShift;
        const bool sameItem = h == w.tipItem && (hit.flags & kItemTextHits) && w.tipColumn == 0;
        const bool sameCell = h == w.tipItem && (hit.flags & kCellHits) && column == w.tipColumn;
        if (sameItem || sameCell) {
            const std::string text = w.tipText;
            Show(d, text, w.tipBold, w.tipPosition);
            return;
        }
        w.tipItem = w.tipColumn = 0;  // moved elsewhere meanwhile: look again
    }
    TreeListUpdateTooltip(d, h, hit.flags);
}

void TreeListTooltipText(TreeListData& d, NMTTDISPINFOA& info)
{
    TreeListWindow& w = TreeListWindowOf(d);
    info.lpszText = const_cast<char*>(w.tipText.c_str());
    info.hinst = nullptr;
}
