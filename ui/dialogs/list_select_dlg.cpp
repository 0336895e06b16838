#include "ui/dialogs/list_select_dlg.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/framework/work_area_fit.h"
#include "system/message_box.h"
#include "ui/dialogs/choice_dlg_routes.h"

namespace {

constexpr DWORD kListDialogStyle = 0x80CC0040;   // popup, caption, system menu, sizing frame
constexpr DWORD kComboDialogStyle = 0x80C800C0;  // popup, caption, system menu, modal frame
constexpr char kCaption[] = "Auswahl";
constexpr DWORD kListStyle = 0x40A10101;         // hidden until the mode's list is shown
constexpr DWORD kMultiListStyle = kListStyle | LBS_MULTIPLESEL;
constexpr DWORD kDrawnListStyle = kListStyle | LBS_OWNERDRAWFIXED;

const DialogItem kListItems[] = {
    {"BUTTON", IDOK, 0x50010001, 60, 150, 50, 14, "OK", 0},
    {"BUTTON", IDCANCEL, 0x50010000, 125, 150, 50, 14, "Abbrechen", 0},
    {"LISTBOX", kChoiceListFirstId, kListStyle, 5, 20, 215, 125, "", 0},
    {"LISTBOX", kChoiceListFirstId + 1, kMultiListStyle, 5, 20, 215, 125, "", 0},
    {"LISTBOX", kChoiceListFirstId + 2, kDrawnListStyle, 5, 20, 215, 125, "", 0},
    {"LISTBOX", kChoiceListFirstId + 3, kDrawnListStyle, 5, 20, 215, 125, "", 0},
    {"STATIC", kChoicePromptId, 0x50020000, 5, 7, 215, 8, "", 0},
};
const DialogItem kComboItems[] = {
    {"BUTTON", IDOK, 0x50010001, 55, 50, 50, 14, "OK", 0},
    {"BUTTON", IDCANCEL, 0x50010000, 115, 50, 50, 14, "Abbrechen", 0},
    {"STATIC", kChoicePromptId, 0x50020000, 15, 15, 195, 8, "", 0},
    {"COMBOBOX", kChoiceComboListId, 0x40210043, 15, 25, 195, 145, "", 0},
    {"COMBOBOX", kChoiceComboEditId, 0x40210042, 15, 25, 195, 145, "", 0},
};

constexpr UINT kMinRowHeight = 16;  // the check box fits
constexpr int kCheckZone = 20;      // a click this near the left edge toggles
constexpr int kTextIndent = 30;
constexpr COLORREF kGreen = RGB(0, 0x80, 0);
constexpr COLORREF kLime = RGB(0, 0xFF, 0);
constexpr UINT kMoveChild = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;

ChoiceSavedPosition g_lastPosition;  // of the list and combo choices

struct CheckPens {
    HPEN green = CreatePen(PS_SOLID, 2, kGreen);
    HPEN lime = CreatePen(PS_SOLID, 1, kLime);
};
// Made once and kept for the process, as the check marks of every list use
// them.
const CheckPens& Pens()
{
    static const CheckPens pens;
    return pens;
}

// Redraw off for a list box while a range of it changes, then one repaint
// of it whole (its scroll bar too). Its own switch stops its painting; the
// window's, which the list box's handling of WM_SETREDRAW does not pass on
// under Wine, stops the scrolling each row's change does to show the row.
class ListRedrawOff {
public:
    explicit ListRedrawOff(HWND list)
        : m_list(list), m_shown((GetWindowLongA(list, GWL_STYLE) & WS_VISIBLE) != 0)
    {
        ::SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
        if (m_shown)
            ::DefWindowProcA(m_list, WM_SETREDRAW, FALSE, 0);
    }
    ~ListRedrawOff()
    {
        if (m_shown)
            ::DefWindowProcA(m_list, WM_SETREDRAW, TRUE, 0);
        ::SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(m_list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
    ListRedrawOff(const ListRedrawOff&) = delete;
    ListRedrawOff& operator=(const ListRedrawOff&) = delete;

private:
    HWND m_list;
    bool m_shown;
};

RECT ChildRect(HWND dialog, int id) { return ChoiceChildRect(dialog, GetDlgItem(dialog, id)); }

void Polyline3(HDC dc, const RECT& row, HPEN pen, int x0, int y0, int x1, int y1, int x2, int y2)
{
    const HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, row.left + x0, row.top + y0, nullptr);
    LineTo(dc, row.left + x1, row.top + y1);
    LineTo(dc, row.left + x2, row.top + y2);
    SelectObject(dc, old);
}

}  // namespace

RECT ChoiceChildRect(HWND dialog, HWND child)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ChoiceMoveChild(HWND child, int x, int y, int width, int height)
{
    SetWindowPos(child, nullptr, x, y, width, height, kMoveChild);
}

RECT ChoiceWorkArea(const RECT& window)
{
    RECT work = {};
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    const bool known = GetMonitorInfoA(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &info) != FALSE;
    if (known && !(info.dwFlags & MONITORINFOF_PRIMARY))
        work = info.rcWork;
    // The primary monitor's as the system parameter holds it: the same on
    // Windows, and where Wine keeps a work area that was set.
    else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        work = known ? info.rcWork : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return work;
}

RECT ChoiceInsideWorkArea(const RECT& window) { return FitRectInArea(window, ChoiceWorkArea(window)); }

POINT ChoiceKeyboardMenuPoint(HWND list, const RECT* caretCell, int rowsTop)
{
    RECT client = {};
    GetClientRect(list, &client);
    client.top = std::min<LONG>(client.top + std::max(rowsTop, 0), client.bottom);
    ChoiceRect cell = {};
    if (caretCell)
        cell = {caretCell->left, caretCell->top, caretCell->right, caretCell->bottom};
    const ChoicePoint at = ChoiceMenuPlace(caretCell ? &cell : nullptr,
                                           {client.left, client.top, client.right, client.bottom});
    POINT pt = {at.x, at.y};
    ClientToScreen(list, &pt);
    return pt;
}

void ChoiceKeepMinimumSize(RECT& window, unsigned edge, int minWidth, int minHeight)
{
    ChoiceRect c{window.left, window.top, window.right, window.bottom};
    ChoiceKeepMinimum(c, edge, minWidth, minHeight);
    window = RECT{c.left, c.top, c.right, c.bottom};
}

// ---- entries ----

int CChoiceDlg::AddItem(int position, uint32_t data, const char* text, int selected)
{
    return m_entries.Add(position, data, text, selected != 0);
}

uint32_t CChoiceDlg::GetItemData(int index) const
{
    const ChoiceEntry* e = m_entries.At(index);
    return e ? e->data : 0;
}

const char* CChoiceDlg::GetItemText(int index) const
{
    const ChoiceEntry* e = m_entries.At(index);
    return e ? e->text.c_str() : nullptr;
}

int CChoiceDlg::GetItemText(int index, char* buffer, int size) const
{
    return ChoiceCopyText(GetItemText(index), buffer, size);
}

int CChoiceDlg::IsItemSelected(int index) const
{
    const ChoiceEntry* e = m_entries.At(index);
    return e ? e->selected : 0;
}

void CChoiceDlg::SetItemSelected(int index, int selected)
{
    if (ChoiceEntry* e = m_entries.At(index))
        e->selected = selected ? 1 : 0;
}

int CChoiceDlg::FindItem(const char* text, int noCase)
{
    const int found = m_entries.Find(text, noCase != 0);
    if (found >= 0)
        m_current = found;
    return found;
}

void CChoiceDlg::SortItems(bool byData)
{
    if (byData)
        m_entries.SortByData();
    else
        m_entries.SortByText();
}

int CChoiceDlg::GetText(char* buffer, int size) const { return ChoiceCopyText(m_text, buffer, size); }

void CChoiceDlg::ShowTexts()
{
    if (!m_title.IsEmpty())
        SetWindowText(m_title);
    const HWND prompt = ::GetDlgItem(m_hWnd, kChoicePromptId);
    if (m_prompt.IsEmpty())
        ::ShowWindow(prompt, SW_HIDE);
    else
        ::SetWindowTextA(prompt, m_prompt);
}

void CChoiceDlg::TakeResult(int index)
{
    const ChoiceEntry* e = m_entries.At(index);
    m_text = e ? e->text.c_str() : "";
    m_data = e ? e->data : 0;
}

void CChoiceDlg::MoveToLastPlace(int width, int height)
{
    RECT window;
    GetWindowRect(&window);
    POINT at = {window.left, window.top};
    int32_t x, y;
    if (g_lastPosition.Load(x, y))
        at = {x, y};
    // Kept inside the work area, so a position saved on a larger screen
    // still shows, and no taskbar covers the buttons.
    const RECT placed = ChoiceInsideWorkArea({at.x, at.y, at.x + width, at.y + height});
    MoveWindow(placed.left, placed.top, width, height, FALSE);
}

RECT CChoiceDlg::SaveLastPlace()
{
    RECT window;
    GetWindowRect(&window);
    g_lastPosition.Save(window.left, window.top);
    return window;
}

// ---- list choice ----

CListSelectDlg::CListSelectDlg(CWnd* parent) : CChoiceDlg(m_table)
{
    SetTemplate(MakeDialogLayout(kListDialogStyle, 227, 171, kCaption, kListItems), parent);
}

CListSelectDlg::~CListSelectDlg() = default;

HWND CListSelectDlg::List() const { return ::GetDlgItem(m_hWnd, kChoiceListFirstId + m_mode); }

void CListSelectDlg::MeasureLayout()
{
    RECT client;
    GetClientRect(&client);
    const RECT list = ChildRect(m_hWnd, kChoiceListFirstId + m_mode);
    const RECT ok = ChildRect(m_hWnd, IDOK);
    const RECT cancel = ChildRect(m_hWnd, IDCANCEL);
    m_margin = list.left;
    m_listTop = list.top;
    m_listBelow = client.bottom - list.bottom;
    m_buttonWidth = ok.right - ok.left;
    m_buttonHeight = ok.bottom - ok.top;
    m_buttonsBelow = client.bottom - ok.top;
    m_buttonGap = m_cancelAllowed ? cancel.left - ok.right : 0;
    RECT window;
    GetWindowRect(&window);
    m_minSize = {window.right - window.left, window.bottom - window.top};
    m_measured = true;
}

void CListSelectDlg::Layout(int cx, int cy)
{
    if (!m_measured || cx <= 0 || cy <= 0)
        return;
    ChoiceMoveChild(List(), m_margin, m_listTop, cx - 2 * m_margin, std::max(cy - m_listBelow - m_listTop, 0));
    const ChoiceButtons row = ChoiceButtonRow(cx, m_buttonWidth, m_buttonGap, m_cancelAllowed != 0);
    const int top = cy - m_buttonsBelow;
    ChoiceMoveChild(::GetDlgItem(m_hWnd, IDOK), row.okX, top, m_buttonWidth, m_buttonHeight);
    ChoiceMoveChild(::GetDlgItem(m_hWnd, IDCANCEL), row.cancelX, top, m_buttonWidth, m_buttonHeight);
}

BOOL CListSelectDlg::OnInitDialog()
{
    Pens();
    MeasureLayout();
    RECT window;
    GetWindowRect(&window);
    int width = window.right - window.left, height = window.bottom - window.top;
    if (m_savedSize.cx > 0 && m_savedSize.cy > 0) {
        width = std::max<int>(m_savedSize.cx, m_minSize.cx);
        height = std::max<int>(m_savedSize.cy, m_minSize.cy);
    }
    MoveToLastPlace(width, height);

    const HWND list = List();
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < m_entries.Count(); ++i) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_entries.At(i)->text.c_str()));
        if (m_mode == 1)
            ::SendMessageA(list, LB_SETSEL, m_entries.At(i)->selected, i);
    }
    if (m_mode == 2 && !m_entries.Valid(m_current)) {
        // Single choice by check mark: the first checked entry is the choice.
        for (int i = 0; i < m_entries.Count() && !m_entries.Valid(m_current); ++i)
            if (m_entries.At(i)->selected)
                m_current = i;
    }
    if (m_mode == 1)
        ::SendMessageA(list, LB_SETCARETINDEX, std::max(m_current, 0), FALSE);
    else
        ::SendMessageA(list, LB_SETCURSEL, m_current, 0);
    if (m_mode == 2 && m_entries.Valid(m_current))
        MoveCheck(m_current);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    m_before.clear();
    for (int i = 0; i < m_entries.Count(); ++i)
        m_before.push_back(m_entries.At(i)->selected);
    ::ShowWindow(list, SW_SHOW);
    SetWindowLongPtrA(list, GWLP_USERDATA, GetWindowLongPtrA(list, GWLP_WNDPROC));
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc));
    CDialog::OnInitDialog();
    SetWindowLongA(m_hWnd, GWL_USERDATA, kListSelectDlgMarker);
    ShowTexts();
    if (!m_cancelAllowed)
        ::ShowWindow(::GetDlgItem(m_hWnd, IDCANCEL), SW_HIDE);
    RECT client;
    GetClientRect(&client);
    Layout(client.right, client.bottom);
    ::SetFocus(list);
    return FALSE;
}

void CListSelectDlg::SaveRect()
{
    const RECT window = SaveLastPlace();
    m_savedSize = {window.right - window.left, window.bottom - window.top};
}

void CListSelectDlg::OnOK()
{
    SaveRect();
    const HWND list = List();
    if (m_mode == 1)
        m_current = int(::SendMessageA(list, LB_GETCARETINDEX, 0, 0));
    else if (m_mode != 2)
        m_current = int(::SendMessageA(list, LB_GETCURSEL, 0, 0));
    if (!m_entries.Valid(m_current))
        m_current = -1;
    TakeResult(m_current);
    if (m_mode <= 1)
        for (int i = 0; i < m_entries.Count(); ++i)
            m_entries.At(i)->selected = ::SendMessageA(list, LB_GETSEL, i, 0) > 0;
    EndDialog(IDOK);
}

void CListSelectDlg::OnCancel()
{
    if (!m_cancelAllowed)
        return;
    SaveRect();
    // The check marks changed while the dialog ran go back: Cancel changes
    // nothing the caller gave.
    for (int i = 0; i < m_entries.Count() && size_t(i) < m_before.size(); ++i)
        m_entries.At(i)->selected = m_before[size_t(i)];
    m_text = "";
    m_data = 0;
    m_current = -1;
    EndDialog(IDCANCEL);
}

void CListSelectDlg::Toggle(int index)
{
    ChoiceEntry* e = m_entries.At(index);
    if (!e)
        return;
    e->selected ^= 1;
    RECT row;
    if (::SendMessageA(List(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row)) != LB_ERR)
        ::InvalidateRect(List(), &row, TRUE);
}

void CListSelectDlg::MoveCheck(int index)
{
    if (!m_entries.Valid(index))
        return;
    for (int i = 0; i < m_entries.Count(); ++i) {
        ChoiceEntry* e = m_entries.At(i);
        const uint8_t want = i == index ? 1 : 0;
        if (e->selected != want) {
            e->selected = want;
            RECT row;
            if (::SendMessageA(List(), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&row)) != LB_ERR)
                ::InvalidateRect(List(), &row, TRUE);
        }
    }
    m_current = index;
}

void CListSelectDlg::SelectEvery(bool on)
{
    const HWND list = List();
    // Each LB_SETSEL scrolls its row into view and repaints it: with redraw
    // off the whole range scrolls and paints once, at the end.
    const bool rowByRow = m_mode == 1;
    std::optional<ListRedrawOff> off;
    if (rowByRow)
        off.emplace(list);
    bool changed = false;
    for (int i = m_entries.Count() - 1; i >= 0; --i) {
        if (rowByRow)
            ::SendMessageA(list, LB_SETSEL, on, i);
        ChoiceEntry* e = m_entries.At(i);
        if (m_mode == 3 && e->selected != uint8_t(on)) {
            e->selected = on;
            changed = true;
        }
    }
    off.reset();
    if (changed)
        ::InvalidateRect(list, nullptr, TRUE);
}

void CListSelectDlg::ShowMenu(POINT at)
{
    if (m_mode != 1 && m_mode != 3)
        return;
    const HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    AppendMenuA(menu, MF_STRING, kChoiceSelectAll, GetMessageBoxText(1294));
    AppendMenuA(menu, MF_STRING, kChoiceSelectNone, GetMessageBoxText(1295));
    TrackPopupMenu(menu, 0, at.x, at.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

void CListSelectDlg::ShowMenuAtCaret()
{
    const HWND list = List();
    const LRESULT caret = ::SendMessageA(list, LB_GETCARETINDEX, 0, 0);
    RECT row = {};
    const bool shown = caret >= 0 && ::SendMessageA(list, LB_GETITEMRECT, WPARAM(caret),
                                                     reinterpret_cast<LPARAM>(&row)) != LB_ERR;
    ShowMenu(ChoiceKeyboardMenuPoint(list, shown ? &row : nullptr));
}

void CListSelectDlg::Search(unsigned char ch)
{
    const HWND list = List();
    const int caret = int(::SendMessageA(list, m_mode == 1 ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
    const int row = ChoiceSearchType(m_search, m_entries, ch, GetTickCount(), caret);
    if (row < 0)
        return;
    if (m_mode == 1) {
        ::SendMessageA(list, LB_SETCARETINDEX, row, FALSE);  // the multiple-choice list has no single selection
        return;
    }
    ::SendMessageA(list, LB_SETCURSEL, row, 0);
    if (m_mode == 2)
        MoveCheck(row);
}

void CListSelectDlg::OnListCommand(UINT code)
{
    const int current = int(::SendMessageA(List(), LB_GETCURSEL, 0, 0));
    if (code == LBN_SELCHANGE) {
        if (m_mode == 0 && !m_inKey)
            OnOK();  // a click chooses; arrow keys only move
        else if (m_mode == 2)
            MoveCheck(current);
    } else if (code == LBN_DBLCLK) {
        if (m_mode == 3)
            Toggle(current);
        else if (m_mode == 2)
            MoveCheck(current);
        else if (m_mode == 0)
            OnOK();
    }
}

void CListSelectDlg::DrawRow(const DRAWITEMSTRUCT& item)
{
    const HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const ChoiceEntry* e = m_entries.At(int(item.itemID));
    if (e) {
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
        const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, r.left + 3, r.top + 2, r.left + 14, r.top + 13);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        if (e->selected) {
            Polyline3(dc, r, Pens().green, 2, 6, 6, 10, 16, 3);
            Polyline3(dc, r, Pens().lime, 3, 5, 6, 8, 16, 3);
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT text = r;
        text.left += kTextIndent;
        DrawTextA(dc, e->text.c_str(), int(e->text.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &r);
}

// ---- messages ----

bool CListSelectDlg::OnMeasureItem(LRESULT& answer, MEASUREITEMSTRUCT& item)
{
    if (item.CtlType != ODT_LISTBOX)
        return false;
    item.itemHeight = std::max(item.itemHeight, kMinRowHeight);
    answer = TRUE;
    return true;
}

bool CListSelectDlg::OnDrawItem(LRESULT& answer, const DRAWITEMSTRUCT& item)
{
    if (item.CtlType != ODT_LISTBOX || int(item.CtlID) != kChoiceListFirstId + m_mode)
        return false;
    DrawRow(item);
    answer = TRUE;
    return true;
}

// The lists of the other modes stay hidden: theirs go to the default.
bool CListSelectDlg::OnListNotice(uint16_t id, uint16_t code, HWND from)
{
    if (id != kChoiceListFirstId + m_mode || !from)
        return false;
    OnListCommand(code);
    return true;
}

void CListSelectDlg::ShowMenuAtPointer()
{
    POINT pt;
    GetCursorPos(&pt);
    ShowMenu(pt);
}

// The right button has its own way in (the list's WM_RBUTTONUP); Shift+F10
// and the menu key come here.
bool CListSelectDlg::OnContextMenu(HWND from, LPARAM at)
{
    if (from != List() || at != kChoiceMenuFromKeyboard)
        return false;
    ShowMenuAtCaret();
    return true;
}

// The wheel over any part of the dialog scrolls the list.
void CListSelectDlg::OnMouseWheel(WPARAM wParam, LPARAM lParam)
{
    if (m_inWheel)
        return;
    m_inWheel = true;
    ::SendMessageA(List(), WM_MOUSEWHEEL, wParam, lParam);
    m_inWheel = false;
}

BOOL CListSelectDlg::OnSizing(unsigned edge, RECT* window)
{
    if (m_measured)
        ChoiceKeepMinimumSize(*window, edge, m_minSize.cx, m_minSize.cy);
    return TRUE;
}

LRESULT CListSelectDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    using Rows = RouteRows<CListSelectDlg, ChoiceMessage>;
    using Self = CListSelectDlg;
    // The commands of the four lists: one shows, by the mode.
    constexpr RouteKey kListsFirst = DialogKey(WM_COMMAND, kChoiceListFirstId);
    constexpr RouteKey kListsLast = DialogKey(WM_COMMAND, kChoiceListFirstId + 3, 0xFFFF);
    static constexpr Rows::Row kRows[] = {
        Rows::On(DialogKey(WM_MEASUREITEM)).May<&Self::OnMeasureItem, ResultSlot, LParamRecord<MEASUREITEMSTRUCT>>(),
        Rows::On(DialogKey(WM_DRAWITEM)).May<&Self::OnDrawItem, ResultSlot, LParamRecord<DRAWITEMSTRUCT>>(),
        Rows::On(kListsFirst, kListsLast).May<&Self::OnListNotice, WParamLow, WParamHigh, LParamAs<HWND>>(),
        Rows::OnAnyCode(kChoiceContextMenu).Act<&Self::ShowMenuAtPointer>(),
        Rows::OnAnyCode(kChoiceSelectAll).Act<&Self::SelectEvery, Fixed<true>>(),
        Rows::OnAnyCode(kChoiceSelectNone).Act<&Self::SelectEvery, Fixed<false>>(),
        Rows::On(DialogKey(WM_CONTEXTMENU)).May<&Self::OnContextMenu, WParamAs<HWND>, LParamAs<LPARAM>>(),
        Rows::On(DialogKey(WM_MOUSEWHEEL)).Act<&Self::OnMouseWheel, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
        Rows::On(DialogKey(WM_SIZING)).Answer<&Self::OnSizing, WParamAs<unsigned>, LParamAs<RECT*>>(),
        Rows::On(DialogKey(WM_SIZE)).Act<&Self::Layout, LParamLow, LParamHigh>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

    ChoiceMessage m{message, wParam, lParam, 0};
    RouteKey key = 0;
    if (DialogKeyOf<NMHDR>(message, wParam, lParam, &key))
        if (const auto* row = FindRoute(kRoutes, key); row && row->handler(*this, m))
            return m.result;
    return CChoiceDlg::WindowProc(message, wParam, lParam);
}

// ---- the list's own messages ----

// A message of the list; Pass gives it to the list's own procedure.
struct CListSelectDlg::ListMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    HWND list;
    WNDPROC previous;

    LRESULT Pass() const { return CallWindowProcA(previous, list, message, wParam, lParam); }
};

LRESULT CALLBACK CListSelectDlg::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(list, GWLP_USERDATA));
    auto* self = dynamic_cast<CListSelectDlg*>(CWnd::FromHandlePermanent(::GetParent(list)));
    if (message == WM_NCDESTROY || !self) {
        if (message == WM_NCDESTROY)
            SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        return CallWindowProcA(previous, list, message, wParam, lParam);
    }
    return self->OnListMessage(list, message, wParam, lParam);
}

// A press in the check zone of the multiple-choice list toggles the row
// under it, once per click, after the list has taken the press.
bool CListSelectDlg::OnListPress(LRESULT& answer, const ListMessage& m, int x)
{
    if (m_mode != 3 || x >= kCheckZone)
        return false;
    const LRESULT hit = ::SendMessageA(m.list, LB_ITEMFROMPOINT, 0, m.lParam);
    answer = m.Pass();
    if (!HIWORD(hit))
        Toggle(LOWORD(hit));
    return true;
}

// The first click of the pair already counted in the check zone.
bool CListSelectDlg::OnListDoubleClick(int x) { return OwnerDrawn() && x < kCheckZone; }

void CListSelectDlg::OnListRightUp() { ::SendMessageA(m_hWnd, WM_COMMAND, kChoiceContextMenu, 0); }

// Space chooses or toggles the caret row; other keys move it, and the
// selection changes they cause are told apart from clicks.
LRESULT CListSelectDlg::OnListKey(const ListMessage& m, WPARAM key)
{
    if (key != VK_SPACE) {
        const bool outer = std::exchange(m_inKey, true);
        const LRESULT result = m.Pass();
        m_inKey = outer;
        return result;
    }
    const int caret = int(::SendMessageA(m.list, LB_GETCARETINDEX, 0, 0));
    if (m_mode == 0)
        ::SendMessageA(m.list, LB_SETCURSEL, caret, 0);
    else if (m_mode == 1)
        ::SendMessageA(m.list, LB_SETSEL, ::SendMessageA(m.list, LB_GETSEL, caret, 0) <= 0, caret);
    else
        OnListCommand(LBN_DBLCLK);
    return 0;
}

bool CListSelectDlg::OnListChar(WPARAM ch)
{
    if (ch == ' ')
        return true;  // taken by the key
    if (ch < ' ')
        return false;
    Search(static_cast<unsigned char>(ch));
    return true;
}

LRESULT CListSelectDlg::OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    using Rows = RouteRows<CListSelectDlg, ListMessage>;
    using Self = CListSelectDlg;
    static constexpr Rows::Row kRows[] = {
        Rows::On(WM_LBUTTONDOWN).May<&Self::OnListPress, ResultSlot, WholeMessage, LParamX>(),
        Rows::On(WM_LBUTTONDBLCLK).May<&Self::OnListDoubleClick, LParamX>(),
        Rows::On(WM_RBUTTONUP).Act<&Self::OnListRightUp>(),
        Rows::On(WM_KEYDOWN).Answer<&Self::OnListKey, WholeMessage, WParamAs<WPARAM>>(),
        Rows::On(WM_CHAR).May<&Self::OnListChar, WParamAs<WPARAM>>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

    const WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(list, GWLP_USERDATA));
    ListMessage m{message, wParam, lParam, 0, list, previous};
    const auto* row = FindRoute(kRoutes, message);
    return row && row->handler(*this, m) ? m.result : m.Pass();
}

// ---- combo choice ----

CComboSelectDlg::CComboSelectDlg(CWnd* parent) : CChoiceDlg(m_table)
{
    SetTemplate(MakeDialogLayout(kComboDialogStyle, 227, 76, kCaption, kComboItems), parent);
}

BOOL CComboSelectDlg::OnInitDialog()
{
    RECT window;
    GetWindowRect(&window);
    MoveToLastPlace(window.right - window.left, window.bottom - window.top);
    const HWND combo = ::GetDlgItem(m_hWnd, ComboId());
    for (int i = 0; i < m_entries.Count(); ++i)
        ::SendMessageA(combo, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(m_entries.At(i)->text.c_str()));
    ::SendMessageA(combo, CB_SETCURSEL, m_current, 0);
    ::ShowWindow(combo, SW_SHOW);
    CDialog::OnInitDialog();
    SetWindowLongA(m_hWnd, GWL_USERDATA, kComboSelectDlgMarker);
    ShowTexts();
    ::SetFocus(combo);
    return FALSE;
}

void CComboSelectDlg::OnOK()
{
    SaveLastPlace();
    const HWND combo = ::GetDlgItem(m_hWnd, ComboId());
    m_current = int(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (m_entries.Valid(m_current)) {
        TakeResult(m_current);
    } else {
        m_current = -1;
        m_text = GetControlText(combo);  // typed, no entry
        m_data = 0;
    }
    EndDialog(IDOK);
}

void CComboSelectDlg::OnCancel()
{
    SaveLastPlace();
    m_text = "";
    m_data = 0;
    m_current = -1;
    EndDialog(IDCANCEL);
}
