// The window messages the TreeList window answers itself: size, focus,
// redraw, painting, fonts, styles, dialog codes, the editor's commands,
// scrolling, the clipboard messages, image lists, tooltips, the editing and
// drag messages, the column editors and the options only the window knows.
#include "ui/treelist/treelist_window.h"

#include <algorithm>

namespace {

constexpr UINT kStyleCheckBoxLook = TVS_CHECKBOXES | TVS_NONEVENHEIGHT;
constexpr UINT kStyleLines = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_CHECKBOXES;
constexpr UINT kExtStyleRepaint = 0x040E0002;
constexpr int kHorizontalLine = 16;  // pixels per scroll-bar arrow click
constexpr UINT kOptionProcedure = 11;
constexpr uint8_t kDragByMessage = 0x80;
constexpr uint8_t kDragLeftButton = 0x01;
constexpr uint8_t kDragCopyModes = 5;  // modes below this show copying with Ctrl
constexpr UINT kIgnoredMessage = 0x2006;
// TLM_SETCOLUMNEDIT's word.
constexpr uint32_t kEditColumnShift = 11;
constexpr uint32_t kEditColumnMask = 0x3F;
constexpr uint32_t kEditKindShift = 8;
constexpr uint32_t kEditKindMask = 0x07;
constexpr uint8_t kFirstCheckBoxKind = 6;

WPARAM KeyState()
{
    WPARAM keys = 0;
    if (GetKeyState(VK_LBUTTON) < 0)
        keys |= MK_LBUTTON;
    if (GetKeyState(VK_RBUTTON) < 0)
        keys |= MK_RBUTTON;
    if (GetKeyState(VK_SHIFT) < 0)
        keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        keys |= MK_CONTROL;
    return keys;
}

void RefreshLayout(TreeListData& d)
{
    d.lastHMax = -1;
    TreeListResize(d, d.clientWidth, d.clientHeight);
    TreeListUpdateHScroll(d, true);
    TreeListUpdateVScroll(d, true, true);
    d.host->Invalidate(nullptr, false);
}

// Every measured width is stale after a font change.
void ForgetTextWidths(TreeListData& d)
{
    for (uint32_t h = 1; h <= d.itemsSize; ++h) {
        if (TreeListItem* item = d.items[h])
            item->textWidth = 0;
        for (uint32_t c = 1; c < d.columnCount; ++c)
            if (d.cells[c] && d.cells[c][h])
                d.cells[c][h]->textWidth = 0;
    }
}

void SetFont(TreeListData& d, HFONT font, bool redraw)
{
    TreeListWindow& w = TreeListWindowOf(d);
    w.font = font;
    w.FontChanged();
    ForgetTextWidths(d);
    if (d.header)
        SendMessageA(d.header, WM_SETFONT, reinterpret_cast<WPARAM>(w.DrawFont()), FALSE);
    TreeListUpdateRowHeight(d);
    RefreshLayout(d);
    if (redraw)
        InvalidateRect(w.hwnd, nullptr, FALSE);
}

void Focus(TreeListData& d, bool gained)
{
    d.hasFocus = gained;
    if (d.selectedCount > 1)
        TreeListInvalidateList(d);
    else if (d.caretItem)
        TreeListInvalidateCaretCell(d, d.caretItem, d.caretColumn);
    NMHDR nm{};
    nm.code = gained ? NM_SETFOCUS : NM_KILLFOCUS;
    TreeListSend(d, nm);
}

void Enable(TreeListData& d, bool enable)
{
    if (enable == (d.enabled != 0))
        return;
    TreeListWindow& w = TreeListWindowOf(d);
    const DWORD current = DWORD(GetWindowLongA(w.hwnd, GWL_STYLE));
    const DWORD style = ((current & 0xFFFF0000) & ~WS_DISABLED) | (enable ? 0 : WS_DISABLED) | (d.style & 0xFFFF);
    TreeListUnlocked(d, [&] { SetWindowLongA(w.hwnd, GWL_STYLE, LONG(style)); });
    // The style change normally brings this about; an unchanged style does not.
    if (!d.destroyed && enable != (d.enabled != 0)) {
        d.enabled = enable;
        d.style = style;
        TreeListInvalidateList(d);
    }
}

void StyleChanged(TreeListData& d, DWORD style)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const DWORD changes = d.style ^ style;
    d.style = style;
    if (changes & kStyleCheckBoxLook) {
        if ((style & TVS_CHECKBOXES) && !d.stateImages) {
            TreeListCreateCheckBoxes(d, 0);
        } else if (!(style & TVS_CHECKBOXES) && d.stateImages && w.ownStateImages) {
            if (d.stateImages != TREELIST_THEMED_BOXES && !w.themedStateBoxes)
                ImageList_Destroy(d.stateImages);
            d.stateImages = nullptr;
            d.stateImageCx = d.stateImageCy = 0;
            w.ownStateImages = w.themedStateBoxes = false;
        }
        TreeListUpdateRowHeight(d);
        RefreshLayout(d);
    }
    if (changes & kStyleLines) {
        d.linesAtRoot = (style & TVS_LINESATROOT) && (style & (TVS_HASBUTTONS | TVS_HASLINES));
        TreeListInvalidateList(d);
    }
    if (changes & TVS_NOSCROLL) {
        TreeListRowsChanged(d, 0);
        RefreshLayout(d);
    }
    if (changes & TVS_NOTOOLTIPS) {
        if (style & TVS_NOTOOLTIPS)
            TreeListHideItemTooltip(d);
        else
            TreeListCreateTooltip(d);
    }
    if (changes & WS_DISABLED) {
        d.enabled = !(style & WS_DISABLED);
        TreeListInvalidateList(d);
        if (!d.enabled)
            TreeListHideItemTooltip(d);
    }
}

void SysColorChange(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    TreeListCloseThemes(d);
    TreeListOpenThemes(d);
    if (d.stateImages && w.ownStateImages)
        TreeListCreateCheckBoxes(d, 0);
    if (d.cellStateImages && w.ownCellStateImages)
        TreeListCreateCheckBoxes(d, 1);
    if (d.header) {
        const HWND header = d.header;
        TreeListUnlocked(d, [&] { SendMessageA(header, WM_SYSCOLORCHANGE, 0, 0); });
    }
    TreeListMakeDefaultColors(d);
    d.host->Invalidate(nullptr, false);
}

LRESULT ExtendedStyle(TreeListData& d, WPARAM mask, LPARAM bits)
{
    LRESULT old = 0;
    TreeListHandleMessage(d, TVM_SETEXTENDEDSTYLE, mask, bits, old);
    const uint32_t changes = uint32_t(old) ^ d.extStyle;
    if ((changes & TLS_EX_CELLSELECT) && !(d.extStyle & TLS_EX_CELLSELECT) && d.caretColumn) {
        TreeListInvalidateCaretCell(d, d.caretItem, d.caretColumn);
        d.caretColumn = 0;
        TreeListInvalidateItem(d, d.caretItem);
    }
    if ((changes & TLS_EX_NOHEADER) && d.header) {
        d.headerHeight = (d.extStyle & TLS_EX_NOHEADER) ? 0 : GetSystemMetrics(SM_CYHSCROLL);
        RefreshLayout(d);
    }
    if ((changes & kExtStyleRepaint) && d.enabled)
        d.host->Invalidate(nullptr, false);
    return old;
}

// The vertical bar: lines, pages, the thumb, the ends.
void VScroll(TreeListData& d, int code)
{
    TreeListEnsureRows(d);
    const int64_t limit = std::max<int64_t>(int64_t(d.rowCount) - d.visibleCount + 1, 0);
    const int64_t page = std::max<int64_t>(int64_t(d.visibleCount) - d.option4, 1);
    int64_t first = d.firstRow;
    switch (code) {
    case SB_LINEUP:
        --first;
        break;
    case SB_LINEDOWN:
        ++first;
        break;
    case SB_PAGEUP:
        first -= page;
        break;
    case SB_PAGEDOWN:
        first += page;
        break;
    case SB_TOP:
        first = 0;
        break;
    case SB_BOTTOM:
        first = limit;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        if (d.host->GetScrollInfo(SB_VERT, info))
            first = info.nTrackPos;
        break;
    }
    default:
        return;
    }
    first = std::clamp<int64_t>(first, 0, limit);
    if (TreeListSetVPos(d, uint32_t(first), uint32_t(code)) == 1)
        TreeListInvalidateList(d);
}

void HScroll(TreeListData& d, int code)
{
    const int32_t content = d.columnCount ? d.columnEdges[d.columnCount] : d.contentWidth;
    const int64_t limit = std::max<int64_t>(int64_t(content) - d.clientWidth, 0);
    int64_t x = d.scrollX;
    switch (code) {
    case SB_LINELEFT:
        x -= kHorizontalLine;
        break;
    case SB_LINERIGHT:
        x += kHorizontalLine;
        break;
    case SB_PAGELEFT:
        x -= d.clientWidth;
        break;
    case SB_PAGERIGHT:
        x += d.clientWidth;
        break;
    case SB_LEFT:
        x = 0;
        break;
    case SB_RIGHT:
        x = limit;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        if (d.host->GetScrollInfo(SB_HORZ, info))
            x = info.nTrackPos;
        break;
    }
    default:
        return;
    }
    x = std::clamp<int64_t>(x, 0, limit);
    if (TreeListSetHPos(d, int32_t(x), uint32_t(code)) == 1)
        TreeListInvalidateList(d);
}

// The editor's commands (control id 3).
void EditorCommand(TreeListData& d, UINT code)
{
    TreeListWindow& w = TreeListWindowOf(d);
    switch (code) {
    case EN_KILLFOCUS:
    case CBN_KILLFOCUS:
        if (d.editWindow)
            TreeListEndEdit(d, 0);
        break;
    case kTreeListEditorCancel:
    case kTreeListEditorAccept:
        if (d.editWindow) {
            // Ended first: the editor's loss of the focus then finds no edit.
            TreeListEndEdit(d, code == kTreeListEditorAccept ? 2 : 0);
            if (!d.destroyed)
                TreeListUnlocked(d, [&] { ::SetFocus(w.hwnd); });
        }
        break;
    case EN_CHANGE:
    case CBN_SELCHANGE:
    case CBN_EDITCHANGE:
    case kTreeListEditorChanged:
        w.editChanged = true;
        break;
    default:
        break;
    }
}

// WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR: for a visible editor; a paste
// without one goes into the caret cell.
bool Clipboard(TreeListData& d, UINT message, LRESULT& result)
{
    if (d.editWindow && IsWindowVisible(d.editWindow)) {
        PostMessageA(d.editWindow, message, 0, 0);
        result = 0;
        return true;
    }
    if (message != WM_PASTE || !d.caretItem || !d.host->ClipboardHasText())
        return false;
    const uint32_t column = d.caretColumn;
    const uint8_t kind = column < d.columnCount ? d.columns[column].editKind : 0;
    const bool typing = (kind == 1 || kind == 2 || kind == 5 || kind == 7) && !(d.columns[column].editFlags & 0x10);
    const LRESULT taken = typing ? TreeListStartEdit(d, column, kTreeListEditPaste, 0)
                                 : TreeListEditKeyHook(d, d.caretItem, column, kTreeListEditPaste, 0);
    result = 0;
    return taken != 0;
}

LRESULT SetColumnEdit(TreeListData& d, WPARAM wParam, LPARAM choices)
{
    const uint32_t word = uint32_t(wParam);
    const uint32_t column = (word >> kEditColumnShift) & kEditColumnMask;
    const uint8_t kind = uint8_t((word >> kEditKindShift) & kEditKindMask);
    if (column >= d.columnCount || (column == 0 && kind >= kFirstCheckBoxKind))
        return 0;
    TreeListColumn& c = d.columns[column];
    const bool boxesBefore = c.editKind >= kFirstCheckBoxKind;
    c.editKind = kind;
    c.editFlags = kind ? uint8_t(word) : 0;
    c.editBits17 = kind ? uint8_t(word >> 17) : 0;
    c.editBits25 = kind ? uint8_t(word >> 25) : 0;
    c.editChoices = choices;
    c.editData = LPARAM(-1);
    if (kind >= kFirstCheckBoxKind && !d.cellStateImages) {
        TreeListCreateCheckBoxes(d, 1);
        TreeListUpdateRowHeight(d);
    }
    if (boxesBefore != (kind >= kFirstCheckBoxKind))
        TreeListInvalidateColumn(d, column);
    return 1;
}

LRESULT BeginDrag(TreeListData& d, uint32_t item)
{
    TreeListWindow& w = TreeListWindowOf(d);
    POINT pt = {};
    GetCursorPos(&pt);
    ScreenToClient(w.hwnd, &pt);
    const uint32_t keys = kDragByMessage | (GetKeyState(VK_LBUTTON) < 0 ? kDragLeftButton : 0);
    return TreeListStartDrag(d, item, keys, pt);
}

bool Handle(TreeListData& d, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    TreeListWindow& w = TreeListWindowOf(d);
    result = 0;
    switch (message) {
    case WM_SIZE:
        TreeListResize(d, LOWORD(lParam), HIWORD(lParam));
        TreeListReshareColumns(d);
        TreeListUpdateVScroll(d, true, false);
        d.host->Invalidate(nullptr, false);
        return true;
    case WM_ENABLE:
        Enable(d, wParam != 0);
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Focus(d, message == WM_SETFOCUS);
        return true;
    case WM_SETREDRAW:
        if (!wParam) {
            d.redrawOff = 1;
        } else if (d.redrawOff) {
            d.redrawOff = 0;
            TreeListUnlocked(d, [&] { DefWindowProcA(w.hwnd, message, wParam, lParam); });
            RefreshLayout(d);
        }
        return true;
    case WM_PAINT:
        if (wParam) {
            TreeListPaint(d, reinterpret_cast<HDC>(wParam), nullptr);
        } else {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(w.hwnd, &ps);
            const RECT& r = ps.rcPaint;
            if (const HDC buffer = w.PaintBuffer(d.clientWidth, d.clientHeight)) {
                // Drawn off screen, shown with one copy.
                TreeListPaint(d, buffer, &r);
                BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, buffer, r.left, r.top, SRCCOPY);
            } else {
                TreeListPaint(d, dc, &r);
            }
            EndPaint(w.hwnd, &ps);
        }
        return true;
    case WM_SHOWWINDOW:
        if (wParam) {
            d.lastHMax = d.lastVRange = -1;
            RefreshLayout(d);
        }
        return false;  // the default procedure shows the window
    case WM_DRAWITEM:
        if (wParam != WPARAM(kTreeListHeaderId))
            return false;
        TreeListUnlocked(d, [&] {
            result = SendMessageA(GetParent(w.hwnd), WM_DRAWITEM, WPARAM(GetDlgCtrlID(w.hwnd)), lParam);
        });
        return true;
    case WM_SYSCOLORCHANGE:
        SysColorChange(d);
        return true;
    case WM_SETFONT:
        SetFont(d, reinterpret_cast<HFONT>(wParam), lParam != 0);
        return true;
    case WM_GETFONT:
        result = reinterpret_cast<LRESULT>(w.font);
        return true;
    case WM_STYLECHANGED:
        if (wParam == WPARAM(GWL_STYLE) && lParam)
            StyleChanged(d, reinterpret_cast<const STYLESTRUCT*>(lParam)->styleNew);
        return true;
    case WM_NOTIFYFORMAT:
        result = NFR_ANSI;  // the header and the tooltip send the ANSI codes
        return true;
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (!header)
            return true;
        if (d.header && header->hwndFrom == d.header)
            result = TreeListHeaderNotify(d, *header);
        else if (d.tooltip && header->hwndFrom == d.tooltip && header->code == TTN_GETDISPINFOA)
            TreeListTooltipText(d, *reinterpret_cast<NMTTDISPINFOA*>(header));
        return true;
    }
    case WM_GETDLGCODE: {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (msg && msg->message == WM_KEYDOWN &&
            (msg->wParam == VK_RETURN || (msg->wParam == VK_ESCAPE && d.dragItem)))
            result = DLGC_WANTALLKEYS;
        return true;
    }
    case WM_KEYUP:
        if (wParam == VK_CONTROL && d.dragItem && d.dragMode >= kDragCopyModes)
            TreeListDragFeedback(d, d.dragMode, uint32_t(KeyState() & ~MK_CONTROL));
        TreeListUnlocked(d, [&] { DefWindowProcA(w.hwnd, message, wParam, lParam); });
        result = 1;
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == kTreeListEditorId)
            EditorCommand(d, HIWORD(wParam));
        return true;
    case WM_VSCROLL:
        VScroll(d, LOWORD(wParam));
        return true;
    case WM_HSCROLL:
        HScroll(d, LOWORD(wParam));
        return true;
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
        return Clipboard(d, message, result);
    case kIgnoredMessage:
        return true;

    case TVM_GETIMAGELIST:
        result = reinterpret_cast<LRESULT>(TreeListGetImageList(d, wParam));
        return true;
    case TVM_SETIMAGELIST:
        result = reinterpret_cast<LRESULT>(TreeListSetImageList(d, wParam, reinterpret_cast<HIMAGELIST>(lParam)));
        return true;
    case TVM_EDITLABELA:
        result = reinterpret_cast<LRESULT>(TreeListEditLabel(d, uint32_t(uintptr_t(lParam)), 0, 0));
        return true;
    case TVM_GETEDITCONTROL:
        result = reinterpret_cast<LRESULT>(d.editWindow);
        return true;
    case TVM_ENDEDITLABELNOW:
        result = TreeListEndEdit(d, wParam ? 0 : 1);
        return true;
    case TVM_CREATEDRAGIMAGE:
        result = reinterpret_cast<LRESULT>(TreeListCreateDragImage(d, uint32_t(uintptr_t(lParam)), uint32_t(wParam)));
        return true;
    case TVM_SETTOOLTIPS:
        result = reinterpret_cast<LRESULT>(d.tooltip);
        d.tooltip = reinterpret_cast<HWND>(wParam);
        return true;
    case TVM_GETTOOLTIPS:
        result = reinterpret_cast<LRESULT>(d.tooltip);
        return true;
    case TVM_SETEXTENDEDSTYLE:
        result = ExtendedStyle(d, wParam, lParam);
        return true;
    case TLM_OPTION:
        if ((wParam & ~kTreeListOptionSet) != kOptionProcedure)
            return false;
        result = reinterpret_cast<LRESULT>(&TreeListProc);
        return true;
    case TLM_BEGINDRAG:
        result = BeginDrag(d, uint32_t(uintptr_t(lParam)));
        return true;
    case TLM_SETCOLUMNEDITDATA:
        if (wParam < d.columnCount && d.columns[wParam].editKind) {
            d.columns[wParam].editData = lParam;
            result = 1;
        }
        return true;
    case TLM_SETCOLUMNEDIT:
        result = SetColumnEdit(d, wParam, lParam);
        return true;
    default:
        return false;
    }
}

// The messages of this file, so others go on without taking the lock.
bool IsWindowMessage(UINT message)
{
    switch (message) {
    case WM_SIZE:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETREDRAW:
    case WM_PAINT:
    case WM_SHOWWINDOW:
    case WM_DRAWITEM:
    case WM_SYSCOLORCHANGE:
    case WM_SETFONT:
    case WM_GETFONT:
    case WM_STYLECHANGED:
    case WM_NOTIFYFORMAT:
    case WM_NOTIFY:
    case WM_GETDLGCODE:
    case WM_KEYUP:
    case WM_COMMAND:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
    case kIgnoredMessage:
    case TVM_GETIMAGELIST:
    case TVM_SETIMAGELIST:
    case TVM_EDITLABELA:
    case TVM_GETEDITCONTROL:
    case TVM_ENDEDITLABELNOW:
    case TVM_CREATEDRAGIMAGE:
    case TVM_SETTOOLTIPS:
    case TVM_GETTOOLTIPS:
    case TVM_SETEXTENDEDSTYLE:
    case TLM_OPTION:
    case TLM_BEGINDRAG:
    case TLM_SETCOLUMNEDITDATA:
    case TLM_SETCOLUMNEDIT:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool TreeListWindowMessage(TreeListData& d, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!IsWindowMessage(message))
        return false;
    TreeListCall call(d);
    if (d.destroyed)
        return false;
    return Handle(d, message, wParam, lParam, result);
}
