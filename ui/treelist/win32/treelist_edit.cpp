// In-place editing of the TreeList: an EDIT over the text of a cell, opened
// by TVM_EDITLABEL, the keyboard, a double click or a paste; Enter keeps the
// text and Escape drops it (the editor tells the control by WM_COMMAND), and
// TVN_ENDLABELEDIT lets the parent refuse the new text. Keys, characters and
// double clicks are offered to the parent first with TLN_EDITQUERY.
#include "ui/treelist/win32/treelist_window.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT kEditRecordMask = TVIF_SUBITEM | TVIF_TEXT | TVIF_STATE | TVIF_HANDLE | TVIF_PARAM;  // 0x801D
constexpr UINT kCancelRecordMask = 0x0100801C;
constexpr UINT kTextChanged = 0x20000000;
constexpr UINT kEndedByEnter = 0x10000000;
constexpr UINT kQueryRecordMask = TVIF_SUBITEM | TVIF_STATE | TVIF_HANDLE | TVIF_PARAM;  // 0x801C
constexpr DWORD kEditorStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
constexpr int kMinEditorWidth = 40;
constexpr int kTextBuffer = 1024;
constexpr int kKeepByEnter = 2;
// A parent's answer to TLN_EDITQUERY with this bit opens the editor on the
// cell even when its column has none (a plain list with TVS_EDITLABELS).
constexpr LRESULT kQueryOpenEditor = LRESULT(0x80000000u);

POINT Unpack(LPARAM value) { return POINT{int16_t(LOWORD(value)), int16_t(HIWORD(value))}; }

// The editor's own procedure: Enter and Escape end the edit through the
// control. Its previous procedure sits in the editor's user data.
struct Editor {
    HWND hwnd;
    WNDPROC previous;
};
using EditorRows = RouteRows<Editor, TreeListMessage>;

LRESULT WantAllKeys(Editor& e, WPARAM wParam, LPARAM lParam)
{
    return DLGC_WANTALLKEYS | CallWindowProcA(e.previous, e.hwnd, WM_GETDLGCODE, wParam, lParam);
}

bool EndByKey(Editor& e, WPARAM key)
{
    if (key != VK_RETURN && key != VK_ESCAPE)
        return false;
    const UINT code = key == VK_RETURN ? kTreeListEditorAccept : kTreeListEditorCancel;
    // May destroy this editor: nothing of it is touched afterwards.
    SendMessageA(GetParent(e.hwnd), WM_COMMAND, MAKEWPARAM(kTreeListEditorId, code), reinterpret_cast<LPARAM>(e.hwnd));
    return true;
}

// No beep for the keys that ended the edit.
bool SwallowEndingKey(Editor&, WPARAM ch) { return ch == '\r' || ch == 27; }

void Unsubclass(Editor& e) { SetWindowLongPtrA(e.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(e.previous)); }

constexpr EditorRows::Row kEditorRows[] = {
    EditorRows::On(WM_GETDLGCODE).Answer<WantAllKeys, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
    EditorRows::On(WM_KEYDOWN).May<EndByKey, WParamAs<WPARAM>>(),
    EditorRows::On(WM_CHAR).May<SwallowEndingKey, WParamAs<WPARAM>>(),
    EditorRows::On(WM_NCDESTROY).ActThenPass<Unsubclass>(),
};
constexpr auto kEditorRoutes = SortRoutes(kEditorRows);
static_assert(RoutesDisjoint(kEditorRoutes), "a message has two rows");

LRESULT CALLBACK EditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam)
{
    Editor e{editor, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(editor, GWLP_USERDATA))};
    TreeListMessage m{message, wParam, lParam, 0};
    if (const auto* row = FindRoute(kEditorRoutes, message); row && row->handler(e, m))
        return m.result;
    return CallWindowProcA(e.previous, editor, message, wParam, lParam);
}

std::string CurrentText(TreeListData& d, uint32_t h, uint32_t column)
{
    const TreeListItem* item = d.items[h];
    const char* text = item->text;
    uint16_t length = item->textLength;
    bool callback = (item->callbackFlags & kTreeListTextCallback) != 0;
    if (column) {
        const TreeListCell* cell = TreeListCellOf(d, h, column);
        text = cell && cell->text ? cell->text : "";
        length = cell ? cell->textLength : 0;
        callback = cell && (cell->callbackFlags & kTreeListTextCallback);
    }
    if (!callback)
        return std::string(text, length);
    char buffer[kTextBuffer];
    const char* asked = TreeListCallbackText(d, h, column, buffer, kTextBuffer);
    return asked ? std::string(asked) : std::string();
}

void FillRecord(const TreeListItem& item, uint32_t h, uint32_t column, TVITEMA& tv)
{
    tv.hItem = TreeListHtreeOf(h);
    tv.state = item.state;
    tv.stateMask = 0xFFFFFFFF;
    tv.lParam = item.data;
    tv.cChildren = int(column);
}

// Where the editor of a cell stands (client coordinates): over the cell's
// text, at least kMinEditorWidth wide. False when the cell is not in view:
// its row scrolled away or hidden, its column scrolled out sideways or gone.
bool EditorPlace(TreeListData& d, uint32_t h, uint32_t column, RECT& place)
{
    if (column != 0 && column >= d.columnCount)
        return false;
    const uint32_t flags = kTreeListRectText | (column ? kTreeListRectCell | (column << 24) : 0);
    if (!TreeListGetItemRect(d, h, flags, place) || place.right <= 0 || place.left >= d.clientWidth)
        return false;
    place.right = std::max<LONG>(place.right, place.left + kMinEditorWidth);
    return true;
}

}  // namespace

HWND TreeListEditLabel(TreeListData& d, uint32_t h, uint32_t column, uint32_t flags)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (!TreeListItemOf(d, h) || (column != 0 && column >= d.columnCount) || TreeListEnding(d))
        return nullptr;
    if (d.editWindow)
        TreeListEndEdit(d, 1);
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return nullptr;
    const uint32_t serial = item->serial;
    std::string text = CurrentText(d, h, column);
    if (!(item = TreeListItemOf(d, h, serial)))
        return nullptr;
    NMTVDISPINFOA begin{};
    begin.hdr.code = TVN_BEGINLABELEDITA;
    begin.item.mask = kEditRecordMask;
    FillRecord(*item, h, column, begin.item);
    begin.item.pszText = text.data();
    begin.item.cchTextMax = int(text.size());
    if (TreeListSend(d, begin.hdr) != 0 || !TreeListItemOf(d, h, serial) || d.destroyed || d.editWindow)
        return nullptr;  // refused, or the parent changed things meanwhile
    if (TreeListEnsureVisible(d, h, column) != 1 || !TreeListItemOf(d, h, serial))
        return nullptr;
    RECT part = {};
    if (!EditorPlace(d, h, column, part))
        return nullptr;
    const HWND editor = CreateWindowExA(0, "EDIT", text.c_str(), kEditorStyle, part.left, part.top,
                                        part.right - part.left, part.bottom - part.top, w.hwnd,
                                        reinterpret_cast<HMENU>(INT_PTR(kTreeListEditorId)),
                                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(w.hwnd, GWLP_HINSTANCE)), nullptr);
    if (!editor)
        return nullptr;
    SendMessageA(editor, WM_SETFONT, reinterpret_cast<WPARAM>(w.DrawFont()), FALSE);
    SetWindowLongPtrA(editor, GWLP_USERDATA, GetWindowLongPtrA(editor, GWLP_WNDPROC));
    SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditorProc));
    d.editWindow = editor;
    d.editColumn = column;
    w.editItem = h;
    w.editSerial = serial;
    w.editPlace = part;
    w.editChanged = false;
    SendMessageA(editor, EM_SETSEL, 0, -1);
    TreeListUnlocked(d, [&] { ::SetFocus(editor); });
    (void)flags;
    return d.editWindow == editor ? editor : nullptr;
}

int TreeListEndEdit(TreeListData& d, int keep)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const HWND editor = d.editWindow;
    if (!editor)
        return 0;
    d.editWindow = nullptr;
    const int length = std::clamp(GetWindowTextLengthA(editor), 0, int(kTreeListMaxTextLength));
    std::string text(size_t(length) + 1, '\0');
    GetWindowTextA(editor, text.data(), length + 1);
    text.resize(strnlen(text.c_str(), size_t(length)));
    const bool changed = w.editChanged;
    // The column as the columns' changes kept it (past the last when it went).
    const uint32_t h = w.editItem, serial = w.editSerial, column = d.editColumn;
    // The editor goes first: its loss of the focus must not end the edit again.
    TreeListUnlocked(d, [&] { DestroyWindow(editor); });
    const TreeListItem* item = TreeListItemOf(d, h, serial);
    if (!item || d.destroyed)
        return 1;
    NMTVDISPINFOA nm{};
    nm.hdr.code = TVN_ENDLABELEDITA;
    FillRecord(*item, h, column, nm.item);
    if (keep) {
        nm.item.mask = kEditRecordMask | (changed ? kTextChanged : 0) | (keep == kKeepByEnter ? kEndedByEnter : 0);
        nm.item.pszText = text.data();
        nm.item.cchTextMax = int(text.size() + 1);
    } else {
        nm.item.mask = kCancelRecordMask;
    }
    const LRESULT answer = TreeListSend(d, nm.hdr);
    if (!keep || answer != 0 || !TreeListItemOf(d, h, serial) || (column && column >= d.columnCount))
        return 1;
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_SUBITEM;
    tv.hItem = TreeListHtreeOf(h);
    tv.cChildren = int(column);
    tv.pszText = text.data();
    TreeListSetItemInfo(d, tv);
    return 1;
}

void TreeListFollowEditor(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const HWND editor = d.editWindow;
    if (!editor || d.destroyed)
        return;
    RECT place = {};
    if (!TreeListItemOf(d, w.editItem, w.editSerial) || !EditorPlace(d, w.editItem, d.editColumn, place)) {
        TreeListEndEdit(d, 0);  // as when it loses the focus
        return;
    }
    if (EqualRect(&place, &w.editPlace))
        return;
    w.editPlace = place;
    TreeListUnlocked(d, [&] {
        SetWindowPos(editor, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

LRESULT TreeListStartEdit(TreeListData& d, uint32_t column, uint32_t code, LPARAM keyData)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (!TreeListItemOf(d, d.caretItem) || (column != 0 && column >= d.columnCount))
        return 0;
    if (column < d.columnCount && d.columns[column].editKind >= kTreeListEditFirstCheckBox)
        return 0;  // check-box cells change by their box, not by an editor
    const HWND editor = TreeListEditLabel(d, d.caretItem, column, code);
    if (!editor)
        return 0;
    if (code == kTreeListEditPaste) {
        SendMessageA(editor, WM_PASTE, 0, 0);
        w.editChanged = true;
    } else if (code < kTreeListEditDoubleClick && code != VK_RETURN) {
        // The first typed character replaces the text.
        const char typed[2] = {char(code), 0};
        SetWindowTextA(editor, typed);
        SendMessageA(editor, EM_SETSEL, 1, 1);
        w.editChanged = true;
    }
    (void)keyData;
    return 1;
}

LRESULT TreeListEditKeyHook(TreeListData& d, uint32_t h, uint32_t column, uint32_t key, LPARAM keyData)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return 0;
    NMTREEVIEWA nm{};
    nm.hdr.code = TLN_EDITQUERY;
    nm.action = key;
    nm.itemNew.mask = kQueryRecordMask;
    FillRecord(*item, h, column, nm.itemNew);
    nm.itemOld.lParam = keyData;
    if (key == kTreeListEditDoubleClick)
        nm.ptDrag = Unpack(keyData);
    // A non-zero answer takes the event: the control does nothing more.
    const LRESULT answer = TreeListSend(d, nm.hdr);
    if ((answer & kQueryOpenEditor) && (d.style & TVS_EDITLABELS) && !d.destroyed && d.caretItem == h)
        TreeListStartEdit(d, column, key & ~kTreeListHookChar, keyData);
    return answer != 0;
}
