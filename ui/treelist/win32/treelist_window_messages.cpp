// The TreeList's message table, the window's rows: size, focus, redraw,
// painting, fonts, styles, dialog codes, the editor's commands, scrolling,
// the clipboard messages, image lists, tooltips, the editing and drag
// messages, the column editors, the header's column messages and the
// pointer. Each row names its handler and the decoders of the handler's
// arguments; the core's rows are in core/treelist_messages.cpp.
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

template <bool gained>
void Focus(TreeListData& d)
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

// Only the window style's changes matter.
void StyleChanged(TreeListData& d, WPARAM which, const STYLESTRUCT* change)
{
    if (which != WPARAM(GWL_STYLE) || !change)
        return;
    TreeListWindow& w = TreeListWindowOf(d);
    const DWORD style = change->styleNew;
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
    const int64_t page = std::max<int64_t>(int64_t(d.visibleCount) - d.pinnedRows, 1);
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

// The editor's commands (control id 3); the control has no other child
// that commands.
void EditorCommand(TreeListData& d, uint16_t id, uint16_t code)
{
    if (id != kTreeListEditorId)
        return;
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

LRESULT SetColumnEdit(TreeListData& d, uint32_t word, LPARAM choices)
{
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
bool DrawItem(TreeListData& d, LRESULT& result, WPARAM id, LPARAM item)
{
    if (id != WPARAM(kTreeListHeaderId))
        return false;
    const HWND hwnd = TreeListWindowOf(d).hwnd;
    TreeListUnlocked(d, [&] { result = SendMessageA(GetParent(hwnd), WM_DRAWITEM, WPARAM(GetDlgCtrlID(hwnd)), item); });
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

HFONT Font(TreeListData& d) { return TreeListWindowOf(d).font; }

HWND EditLabel(TreeListData& d, uint32_t h) { return TreeListEditLabel(d, h, 0, 0); }

// TVM_ENDEDITLABELNOW: a non-zero wParam drops the text.
LRESULT EndEditNow(TreeListData& d, bool cancel) { return TreeListEndEdit(d, cancel ? 0 : 1); }

// No record in lParam answers 0.
LRESULT SetColumn(TreeListData& d, uint32_t column, const LVCOLUMNA* description)
{
    return description ? TreeListSetColumn(d, column, *description) : 0;
}
LRESULT GetColumn(TreeListData& d, uint32_t column, LVCOLUMNA* description)
{
    return description ? TreeListGetColumn(d, column, *description) : 0;
}

using Rows = TreeListRows;
using Item = TreeListItemParam;
using Keys = WParamAs<WPARAM>;

constexpr TreeListRoute kRows[] = {
    Rows::On(WM_SIZE).Act<Size, LParamLow, LParamHigh>(),
    Rows::On(WM_ENABLE).Act<Enable, WParamAs<bool>>(),
    Rows::On(WM_SETFOCUS).Act<Focus<true>>(),
    Rows::On(WM_KILLFOCUS).Act<Focus<false>>(),
    Rows::On(WM_SETREDRAW).Act<SetRedraw, WParamAs<WPARAM>>(),
    Rows::On(WM_PAINT).Act<Paint, WParamAs<HDC>>(),
    // The default procedure shows the window.
    Rows::On(WM_SHOWWINDOW).ActThenPass<ShowWindow, WParamAs<bool>>(),
    Rows::On(WM_DRAWITEM).May<DrawItem, ResultSlot, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
    Rows::On(WM_SYSCOLORCHANGE).Act<SysColorChange>(),
    Rows::On(WM_SETFONT).Act<SetFont, WParamAs<HFONT>, LParamAs<bool>>(),
    Rows::On(WM_GETFONT).Answer<Font>(),
    Rows::On(WM_STYLECHANGED).Act<StyleChanged, WParamAs<WPARAM>, LParamAs<const STYLESTRUCT*>>(),
    Rows::On(WM_NOTIFYFORMAT).Constant<NFR_ANSI>(),  // the header and the tooltip send the ANSI codes
    Rows::On(WM_NOTIFY).Answer<Notify, LParamAs<NMHDR*>>(),
    Rows::On(WM_GETDLGCODE).Answer<DialogCode, LParamAs<const MSG*>>(),
    Rows::On(WM_KEYUP).Answer<KeyUp, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
    Rows::On(WM_COMMAND).Act<EditorCommand, WParamLow, WParamHigh>(),
    Rows::On(WM_VSCROLL).Act<VScroll, WParamLow, WParamHigh>(),
    Rows::On(WM_HSCROLL).Act<HScroll, WParamLow, WParamHigh>(),
    // WM_CUT, WM_COPY, WM_PASTE and WM_CLEAR.
    Rows::On(WM_CUT, WM_CLEAR).May<Clipboard, MessageId, ResultSlot>(),
    Rows::On(kIgnoredMessage).Constant<0>(),

    Rows::On(TVM_GETIMAGELIST).Answer<TreeListGetImageList, WParamAs<WPARAM>>(),
    Rows::On(TVM_SETIMAGELIST).Answer<TreeListSetImageList, WParamAs<WPARAM>, LParamAs<HIMAGELIST>>(),
    Rows::On(TVM_EDITLABELA).Answer<EditLabel, Item>(),
    Rows::On(TVM_GETEDITCONTROL).Answer<&TreeListData::editWindow>(),
    Rows::On(TVM_ENDEDITLABELNOW).Answer<EndEditNow, WParamAs<bool>>(),
    Rows::On(TVM_CREATEDRAGIMAGE).Answer<TreeListCreateDragImage, Item, WParamAs<uint32_t>>(),
    Rows::On(TVM_SETTOOLTIPS).Answer<SetTooltips, WParamAs<HWND>>(),
    Rows::On(TVM_GETTOOLTIPS).Answer<&TreeListData::tooltip>(),
    Rows::On(TLM_BEGINDRAG).Answer<BeginDrag, Item>(),
    Rows::On(TLM_SETCOLUMNEDITDATA).Answer<SetColumnEditData, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
    Rows::On(TLM_SETCOLUMNEDIT).Answer<SetColumnEdit, WParamAs<uint32_t>, LParamAs<LPARAM>>(),
    Rows::On(TLM_SETCOLUMN).Answer<SetColumn, WParamAs<uint32_t>, LParamAs<const LVCOLUMNA*>>(),
    Rows::On(TLM_GETCOLUMN).Answer<GetColumn, WParamAs<uint32_t>, LParamAs<LVCOLUMNA*>>(),

    // The pointer: the window's tracking around the core's button decisions.
    Rows::On(WM_MOUSEMOVE).Act<TreeListPointerMove, Keys, TreeListPointParam>(),
    Rows::On(WM_MOUSELEAVE).Act<TreeListPointerLeave>(),
    Rows::On(WM_CAPTURECHANGED).Act<CaptureChanged, LParamAs<HWND>>(),
    Rows::On(WM_LBUTTONDOWN).Answer<TreeListPointerLeftDown, Keys, LParamAs<LPARAM>>(),
    Rows::On(WM_LBUTTONUP).Answer<TreeListPointerLeftUp, Keys, LParamAs<LPARAM>>(),
    Rows::On(WM_RBUTTONUP).Answer<TreeListPointerRightUp, Keys, LParamAs<LPARAM>>(),
    Rows::On(WM_MOUSEWHEEL).Answer<TreeListPointerWheel, WParamAs<WPARAM>>(),
};

constexpr auto kRoutes = SortRoutes(kRows);
static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

}  // namespace

std::span<const TreeListRoute> TreeListWindowRoutes() { return kRoutes; }
