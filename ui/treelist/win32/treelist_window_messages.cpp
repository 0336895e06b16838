// The TreeList's message table, the window's rows: size, focus, redraw,
// painting, fonts, styles, dialog codes, the editor's commands, scrolling,
// the clipboard messages, image lists, tooltips, the editing and drag
// messages, the column editors, the header's column messages and the
// pointer. Each row decodes wParam/lParam and makes one call; the core's
// rows are in core/treelist_messages.cpp.
#include "ui/treelist/win32/treelist_window.h"

#include <algorithm>

namespace {

constexpr UINT kStyleCheckBoxLook = TVS_CHECKBOXES | TVS_NONEVENHEIGHT;
constexpr UINT kStyleLines = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_CHECKBOXES;
constexpr int kHorizontalLine = 16;  // pixels per scroll-bar arrow click
constexpr uint8_t kDragCopyModes = 5;  // modes below this show copying with Ctrl
constexpr UINT kIgnoredMessage = 0x2006;
// TLM_SETCOLUMNEDIT's word.
constexpr uint32_t kEditColumnShift = 11;
constexpr uint32_t kEditColumnMask = 0x3F;
constexpr uint32_t kEditKindShift = 8;
constexpr uint32_t kEditKindMask = 0x07;

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
    TreeListRefreshLayout(d);
    if (redraw)
        InvalidateRect(w.hwnd, nullptr, FALSE);
}

void Focus(TreeListData& d, bool gained)
{
    d.hasFocus = gained;
    // A drag does not outlive the focus (a window that pops up takes the
    // keys and the button's release with it).
    if (!gained && d.dragItem)
        TreeListCancelDrag(d, KeyState());
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
        TreeListRefreshLayout(d);
    }
    if (changes & kStyleLines) {
        d.linesAtRoot = (style & TVS_LINESATROOT) && (style & (TVS_HASBUTTONS | TVS_HASLINES));
        TreeListInvalidateList(d);
    }
    if (changes & TVS_NOSCROLL) {
        TreeListRowsChanged(d, 0);
        TreeListRefreshLayout(d);
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

// The thumb's place: the bar's own 32-bit track position while the user
// drags it (the window has the capture then), else the message's 16 bits, as
// a program sends them.
int64_t ThumbPosition(TreeListData& d, int bar, uint16_t thumb)
{
    if (GetCapture() != TreeListWindowOf(d).hwnd)
        return thumb;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    return d.host->GetScrollInfo(bar, info) ? info.nTrackPos : thumb;
}

// The vertical bar: lines, pages, the thumb, the ends.
void VScroll(TreeListData& d, int code, uint16_t thumb)
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
    case SB_THUMBPOSITION:
        first = ThumbPosition(d, SB_VERT, thumb);
        break;
    default:
        return;
    }
    first = std::clamp<int64_t>(first, 0, limit);
    if (TreeListSetVPos(d, uint32_t(first), uint32_t(code)) == 1)
        TreeListInvalidateList(d);
}

void HScroll(TreeListData& d, int code, uint16_t thumb)
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
    case SB_THUMBPOSITION:
        x = ThumbPosition(d, SB_HORZ, thumb);
        break;
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
    const bool typing = column < d.columnCount && TreeListTypingEditor(d.columns[column]);
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
    if (column >= d.columnCount || (column == 0 && kind >= kTreeListEditFirstCheckBox))
        return 0;
    TreeListColumn& c = d.columns[column];
    const bool boxesBefore = c.editKind >= kTreeListEditFirstCheckBox;
    c.editKind = kind;
    c.editFlags = kind ? uint8_t(word) : 0;
    c.editBits17 = kind ? uint8_t(word >> 17) : 0;
    c.editBits25 = kind ? uint8_t(word >> 25) : 0;
    c.editChoices = choices;
    c.editData = LPARAM(-1);
    if (kind >= kTreeListEditFirstCheckBox && !d.cellStateImages) {
        TreeListCreateCheckBoxes(d, 1);
        TreeListUpdateRowHeight(d);
    }
    if (boxesBefore != (kind >= kTreeListEditFirstCheckBox))
        TreeListInvalidateColumn(d, column);
    return 1;
}

LRESULT BeginDrag(TreeListData& d, uint32_t item)
{
    TreeListWindow& w = TreeListWindowOf(d);
    POINT pt = {};
    GetCursorPos(&pt);
    ScreenToClient(w.hwnd, &pt);
    const uint32_t keys = kTreeListDragByMessage | (GetKeyState(VK_LBUTTON) < 0 ? kTreeListDragLeftButton : 0);
    return TreeListStartDrag(d, item, keys, pt);
}

void Size(TreeListData& d, int width, int height)
{
    TreeListResize(d, width, height);
    TreeListReshareColumns(d);
    TreeListUpdateVScroll(d, true, false);
    d.host->Invalidate(nullptr, false);
}

void SetRedraw(TreeListData& d, WPARAM on)
{
    if (!on) {
        d.redrawOff = 1;
    } else if (d.redrawOff) {
        d.redrawOff = 0;
        const HWND hwnd = TreeListWindowOf(d).hwnd;
        TreeListUnlocked(d, [&] { DefWindowProcA(hwnd, WM_SETREDRAW, on, 0); });
        TreeListRefreshLayout(d);
    }
}

void Paint(TreeListData& d, HDC given)
{
    if (given) {
        TreeListPaint(d, given, nullptr);
        return;
    }
    TreeListWindow& w = TreeListWindowOf(d);
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(w.hwnd, &ps);
    // The header is a child the list must not paint over, whether or not the
    // caller's style clips children.
    if (d.header && IsWindowVisible(d.header)) {
        RECT header = {};
        GetWindowRect(d.header, &header);
        MapWindowPoints(nullptr, w.hwnd, reinterpret_cast<POINT*>(&header), 2);
        ExcludeClipRect(dc, header.left, header.top, header.right, header.bottom);
    }
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

void ShowWindow(TreeListData& d, bool shown)
{
    if (!shown)
        return;
    d.lastHMax = d.lastVRange = -1;
    TreeListRefreshLayout(d);
}

// The header's owner-drawn items are the parent's to draw.
bool DrawItem(TreeListData& d, TreeListMessage& m)
{
    if (m.wParam != WPARAM(kTreeListHeaderId))
        return false;
    const HWND hwnd = TreeListWindowOf(d).hwnd;
    TreeListUnlocked(d, [&] {
        m.result = SendMessageA(GetParent(hwnd), WM_DRAWITEM, WPARAM(GetDlgCtrlID(hwnd)), m.lParam);
    });
    return true;
}

LRESULT Notify(TreeListData& d, NMHDR* header)
{
    if (!header)
        return 0;
    if (d.header && header->hwndFrom == d.header)
        return TreeListHeaderNotify(d, *header);
    if (d.tooltip && header->hwndFrom == d.tooltip && header->code == TTN_GETDISPINFOA)
        TreeListTooltipText(d, *reinterpret_cast<NMTTDISPINFOA*>(header));
    return 0;
}

// Enter is the control's in a dialog too: its key down tells the parent
// (NM_RETURN) before the key is offered to the in-place editing. Escape is
// the control's only while a drag runs (the key cancels it).
LRESULT DialogCode(const TreeListData& d, const MSG* msg)
{
    if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || (msg->wParam == VK_ESCAPE && d.dragItem)))
        return DLGC_WANTALLKEYS;
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
}

// Another window took the capture: the drag's release will never come.
void CaptureChanged(TreeListData& d, HWND capture)
{
    if (d.dragItem && capture != TreeListWindowOf(d).hwnd)
        TreeListCancelDrag(d, KeyState());
}

LRESULT KeyUp(TreeListData& d, WPARAM key, LPARAM flags)
{
    if (key == VK_CONTROL && d.dragItem && d.dragMode >= kDragCopyModes)
        TreeListDragFeedback(d, d.dragMode, uint32_t(KeyState() & ~MK_CONTROL));
    const HWND hwnd = TreeListWindowOf(d).hwnd;
    TreeListUnlocked(d, [&] { DefWindowProcA(hwnd, WM_KEYUP, key, flags); });
    return 1;
}

LRESULT SetTooltips(TreeListData& d, HWND tooltip)
{
    const HWND old = d.tooltip;
    d.tooltip = tooltip;
    return reinterpret_cast<LRESULT>(old);
}

LRESULT SetColumnEditData(TreeListData& d, WPARAM column, LPARAM data)
{
    if (column >= d.columnCount || !d.columns[column].editKind)
        return 0;
    d.columns[column].editData = data;
    return 1;
}

template <class T>
T* P(const TreeListMessage& m)
{
    return reinterpret_cast<T*>(m.lParam);
}
uint32_t H(const TreeListMessage& m) { return uint32_t(uintptr_t(m.lParam)); }

// A row whose call always answers.
#define TL_ROW(message, expression) \
    {message, [](TreeListData& d, TreeListMessage& m) { \
         m.result = LRESULT(expression); \
         return true; \
     }}
// A row whose call answers nothing (0).
#define TL_DO(message, statement) \
    {message, [](TreeListData& d, TreeListMessage& m) { \
         statement; \
         m.result = 0; \
         return true; \
     }}
// A row that may leave the message to the default procedure.
#define TL_MAY(message, call) \
    {message, [](TreeListData& d, TreeListMessage& m) { return call; }}

constexpr TreeListRoute kRows[] = {
    TL_DO(WM_SIZE, Size(d, LOWORD(m.lParam), HIWORD(m.lParam))),
    TL_DO(WM_ENABLE, Enable(d, m.wParam != 0)),
    TL_DO(WM_SETFOCUS, Focus(d, true)),
    TL_DO(WM_KILLFOCUS, Focus(d, false)),
    TL_DO(WM_SETREDRAW, SetRedraw(d, m.wParam)),
    TL_DO(WM_PAINT, Paint(d, reinterpret_cast<HDC>(m.wParam))),
    // The default procedure shows the window.
    TL_MAY(WM_SHOWWINDOW, (ShowWindow(d, m.wParam != 0), false)),
    TL_MAY(WM_DRAWITEM, DrawItem(d, m)),
    TL_DO(WM_SYSCOLORCHANGE, SysColorChange(d)),
    TL_DO(WM_SETFONT, SetFont(d, reinterpret_cast<HFONT>(m.wParam), m.lParam != 0)),
    TL_ROW(WM_GETFONT, reinterpret_cast<LRESULT>(TreeListWindowOf(d).font)),
    TL_DO(WM_STYLECHANGED, if (m.wParam == WPARAM(GWL_STYLE) && m.lParam) StyleChanged(d, P<const STYLESTRUCT>(m)->styleNew)),
    TL_ROW(WM_NOTIFYFORMAT, NFR_ANSI),  // the header and the tooltip send the ANSI codes
    TL_ROW(WM_NOTIFY, Notify(d, P<NMHDR>(m))),
    TL_ROW(WM_GETDLGCODE, DialogCode(d, P<const MSG>(m))),
    TL_ROW(WM_KEYUP, KeyUp(d, m.wParam, m.lParam)),
    TL_DO(WM_COMMAND, if (LOWORD(m.wParam) == kTreeListEditorId) EditorCommand(d, HIWORD(m.wParam))),
    TL_DO(WM_VSCROLL, VScroll(d, LOWORD(m.wParam), HIWORD(m.wParam))),
    TL_DO(WM_HSCROLL, HScroll(d, LOWORD(m.wParam), HIWORD(m.wParam))),
    TL_MAY(WM_CUT, Clipboard(d, m.message, m.result)),
    TL_MAY(WM_COPY, Clipboard(d, m.message, m.result)),
    TL_MAY(WM_PASTE, Clipboard(d, m.message, m.result)),
    TL_MAY(WM_CLEAR, Clipboard(d, m.message, m.result)),
    TL_DO(kIgnoredMessage, (void)d),

    TL_ROW(TVM_GETIMAGELIST, reinterpret_cast<LRESULT>(TreeListGetImageList(d, m.wParam))),
    TL_ROW(TVM_SETIMAGELIST, reinterpret_cast<LRESULT>(TreeListSetImageList(d, m.wParam, reinterpret_cast<HIMAGELIST>(m.lParam)))),
    TL_ROW(TVM_EDITLABELA, reinterpret_cast<LRESULT>(TreeListEditLabel(d, H(m), 0, 0))),
    TL_ROW(TVM_GETEDITCONTROL, reinterpret_cast<LRESULT>(d.editWindow)),
    TL_ROW(TVM_ENDEDITLABELNOW, TreeListEndEdit(d, m.wParam ? 0 : 1)),
    TL_ROW(TVM_CREATEDRAGIMAGE, reinterpret_cast<LRESULT>(TreeListCreateDragImage(d, H(m), uint32_t(m.wParam)))),
    TL_ROW(TVM_SETTOOLTIPS, SetTooltips(d, reinterpret_cast<HWND>(m.wParam))),
    TL_ROW(TVM_GETTOOLTIPS, reinterpret_cast<LRESULT>(d.tooltip)),
    TL_ROW(TLM_BEGINDRAG, BeginDrag(d, H(m))),
    TL_ROW(TLM_SETCOLUMNEDITDATA, SetColumnEditData(d, m.wParam, m.lParam)),
    TL_ROW(TLM_SETCOLUMNEDIT, SetColumnEdit(d, m.wParam, m.lParam)),
    TL_ROW(TLM_SETCOLUMN, P<const LVCOLUMNA>(m) ? TreeListSetColumn(d, uint32_t(m.wParam), *P<const LVCOLUMNA>(m)) : 0),
    TL_ROW(TLM_GETCOLUMN, P<LVCOLUMNA>(m) ? TreeListGetColumn(d, uint32_t(m.wParam), *P<LVCOLUMNA>(m)) : 0),

    // The pointer: the window's tracking around the core's button decisions.
    TL_DO(WM_MOUSEMOVE, TreeListPointerMove(d, m.wParam, TreeListPointOf(m.lParam))),
    TL_DO(WM_MOUSELEAVE, TreeListPointerLeave(d)),
    TL_DO(WM_CAPTURECHANGED, CaptureChanged(d, reinterpret_cast<HWND>(m.lParam))),
    TL_ROW(WM_LBUTTONDOWN, TreeListPointerLeftDown(d, m.wParam, m.lParam)),
    TL_ROW(WM_LBUTTONUP, TreeListPointerLeftUp(d, m.wParam, m.lParam)),
    TL_ROW(WM_RBUTTONUP, TreeListPointerRightUp(d, m.wParam, m.lParam)),
    TL_ROW(WM_MOUSEWHEEL, TreeListPointerWheel(d, m.wParam)),
};
#undef TL_ROW
#undef TL_DO
#undef TL_MAY

constexpr auto kRoutes = SortRoutes(kRows);
static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

}  // namespace

std::span<const TreeListRoute> TreeListWindowRoutes() { return kRoutes; }
