#include "ui/folderdlg/path_combo.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "platform/framework/wnd_class.h"
#include "system/path_text.h"
#include "system/shell_icons.h"
#include "ui/folderdlg/path_dlg_logic.h"

namespace {

constexpr int kBarPadding = 3;
constexpr char kSegmentGap[] = " > ";

std::string WindowTextOf(HWND wnd)
{
    char text[kMaxPathText * 2] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

}  // namespace

CPathComboBox::~CPathComboBox()
{
    DestroyBar();
    if (m_hWnd)
        UnsubclassWindow();
}

int CPathComboBox::CreateOverControl(unsigned options, HWND combo)
{
    if (!combo || !IsWindow(combo) || !SubclassWindow(combo))
        return 0;
    m_options = options;
    m_breadCrumb = !(options & kPathComboNoCrumbs);
    const char* cls = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_HAND),
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    RECT none = {0, 0, 0, 0};
    m_bar.CreateEx(0, cls, "", WS_CHILD, none, this, 0);
    DragAcceptFiles(m_hWnd, !m_breadCrumb);
    SetBreadCrumb(m_breadCrumb);
    return 1;
}

HWND CPathComboBox::Edit() const
{
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    return m_hWnd && GetComboBoxInfo(m_hWnd, &info) ? info.hwndItem : nullptr;
}

void CPathComboBox::SetBreadCrumb(BOOL on)
{
    if (m_editing)
        EndEdit(0);
    m_breadCrumb = on;
    PlaceBar();
}

// The bar lies over the edit; the edit is hidden while the bar shows.
void CPathComboBox::PlaceBar()
{
    const HWND edit = Edit();
    if (!m_bar.m_hWnd || !edit)
        return;
    const bool bar = m_breadCrumb && !m_editing;
    RECT r;
    ::GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(m_bar.m_hWnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   (bar ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOACTIVATE);
    // Hiding the focused edit may hand the focus through the combo back to
    // it: that is no user's doing and opens nothing.
    m_placing = true;
    ::ShowWindow(edit, bar ? SW_HIDE : SW_SHOWNA);
    m_placing = false;
    m_bar.Invalidate();
}

int CPathComboBox::GetItemHeight() { return std::max(GetSystemMetrics(SM_CYSMICON) + 2, 16); }

void CPathComboBox::DrawItem(const DRAWITEMSTRUCT* item)
{
    if (!item || int(item->itemID) < 0)
        return;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    SetBkColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    char text[kMaxPathText * 2] = "";
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, item->itemID);
    if (length >= 0 && size_t(length) < sizeof text)
        SendMessage(CB_GETLBTEXT, item->itemID, reinterpret_cast<LPARAM>(text));
    const RECT& r = item->rcItem;
    ExtTextOutA(item->hDC, r.left + 22, r.top + 1, ETO_OPAQUE | ETO_CLIPPED, &r, text, UINT(strlen(text)), nullptr);
    ImageList_Draw(GetSystemImageList(FALSE), GetFolderIconIndex(kIconSmall), item->hDC, r.left + 2, r.top + 1,
                   ILD_TRANSPARENT);
}

void CPathComboBox::StartEdit()
{
    if (m_editing)
        return;
    m_beforeEdit = WindowTextOf(m_hWnd);
    m_editing = TRUE;
    PlaceBar();
    if (const HWND edit = Edit()) {
        ::SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 0, -1);
    }
}

BOOL CPathComboBox::EndEdit(int flag)
{
    if (!m_editing)
        return FALSE;
    m_editing = FALSE;
    const std::string typed = WindowTextOf(m_hWnd);
    if (flag == 1)
        ::SetWindowTextA(m_hWnd, m_beforeEdit.c_str());
    PlaceBar();
    if (flag != 1 && typed != m_beforeEdit)
        SendPathNotify(m_hWnd, kPathComboChanged, typed.c_str());
    return TRUE;
}

bool CPathComboBox::ClickSegment(size_t i)
{
    if (m_bar.m_hWnd && m_segments.empty()) {
        const HDC dc = ::GetDC(m_bar.m_hWnd);
        Layout(dc);
        ::ReleaseDC(m_bar.m_hWnd, dc);
    }
    if (i >= m_segments.size())
        return false;
    const std::string path = m_segments[i].path;
    ::SetWindowTextA(m_hWnd, path.c_str());
    SendPathNotify(m_hWnd, kPathComboChanged, path.c_str());
    return true;
}

// One segment per level of the path, the root without its separator.
void CPathComboBox::Layout(HDC dc)
{
    m_segments.clear();
    const std::string path = WindowTextOf(m_hWnd);
    const std::vector<std::string> levels = SplitPathLevels(path);
    RECT client;
    ::GetClientRect(m_bar.m_hWnd, &client);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    SIZE gap;
    GetTextExtentPoint32A(dc, kSegmentGap, int(sizeof kSegmentGap - 1), &gap);
    int x = kBarPadding;
    for (size_t i = 0; i < levels.size(); ++i) {
        Segment s;
        s.path = JoinPathLevels(levels, i);
        s.label = i == 0 && levels[0].size() > 1 ? TrimDialogPath(levels[0]) : levels[i];
        if (s.label.size() == 3 && s.label[1] == ':')
            s.label.pop_back();
        SIZE size;
        GetTextExtentPoint32A(dc, s.label.c_str(), int(s.label.size()), &size);
        s.rect = {x, client.top, x + size.cx, client.bottom};
        x += size.cx + gap.cx;
        m_segments.push_back(s);
    }
    SelectObject(dc, old);
}

void CPathComboBox::Paint(HDC dc)
{
    Layout(dc);
    RECT client;
    ::GetClientRect(m_bar.m_hWnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < m_segments.size(); ++i) {
        const Segment& s = m_segments[i];
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT r = s.rect;
        DrawTextA(dc, s.label.c_str(), int(s.label.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (i + 1 < m_segments.size()) {
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            RECT g = {s.rect.right, client.top, client.right, client.bottom};
            DrawTextA(dc, kSegmentGap, int(sizeof kSegmentGap - 1), &g, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
    }
    SelectObject(dc, old);
}

void CPathComboBox::Click(int x)
{
    for (size_t i = 0; i < m_segments.size(); ++i)
        if (x >= m_segments[i].rect.left && x < m_segments[i].rect.right) {
            ClickSegment(i);
            return;
        }
    StartEdit();
}

LRESULT CPathComboBox::CrumbBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    using Rows = RouteRows<CrumbBar, RoutedMessage>;
    static constexpr Rows::Row kRows[] = {
        Rows::On(WM_PAINT).Act<&CrumbBar::OnPaint>(),
        Rows::On(WM_ERASEBKGND).Constant<1>(),
        Rows::On(WM_LBUTTONDOWN).Act<&CrumbBar::OnClick, LParamX>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");
    return RouteOrDefault(FindRoute(kRoutes, message), *this, message, wParam, lParam,
                          [&] { return CWnd::WindowProc(message, wParam, lParam); });
}

void CPathComboBox::CrumbBar::OnPaint()
{
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(m_hWnd, &ps);
    m_owner.Paint(dc);
    EndPaint(m_hWnd, &ps);
}

void CPathComboBox::CrumbBar::OnClick(int x) { m_owner.Click(x); }

LRESULT CPathComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    using Rows = RouteRows<CPathComboBox, RoutedMessage>;
    constexpr auto kShowText = &CPathComboBox::DefaultThen<&CPathComboBox::InvalidateBar>;
    constexpr auto kFollowEdit = &CPathComboBox::DefaultThen<&CPathComboBox::PlaceBar>;
    static constexpr Rows::Row kRows[] = {
        Rows::On(WM_SETTEXT).Answer<kShowText, WholeMessage>(),
        Rows::On(WM_SIZE).Answer<kFollowEdit, WholeMessage>(),
        Rows::On(WM_WINDOWPOSCHANGED).Answer<kFollowEdit, WholeMessage>(),
        Rows::On(WM_COMMAND).Answer<&CPathComboBox::OnEditCommand, WholeMessage>(),
        Rows::On(WM_DROPFILES).Act<NotifyDroppedFile<kPathComboDropped>, WParamAs<HDROP>>(),
        Rows::On(WM_DESTROY).ActThenPass<&CPathComboBox::DestroyBar>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");
    return RouteOrDefault(FindRoute(kRoutes, message), *this, message, wParam, lParam,
                          [&] { return CWnd::WindowProc(message, wParam, lParam); });
}

// The edit taking the keyboard focus without a click (as the dialog opens,
// by Tab or a mnemonic) opens as the click does, its whole text selected:
// under the bar what is typed would not show, and Escape would find no edit
// to end. Left with nothing typed, it closes again, so the dialog's keys
// (Enter in its folder view) act on where the focus went.
LRESULT CPathComboBox::OnEditCommand(const RoutedMessage& m)
{
    const LRESULT result = CWnd::WindowProc(m.message, m.wParam, m.lParam);
    if (!m_breadCrumb || reinterpret_cast<HWND>(m.lParam) != Edit())
        return result;
    if (HIWORD(m.wParam) == EN_SETFOCUS && !m_editing && !m_placing)
        StartEdit();
    else if (HIWORD(m.wParam) == EN_KILLFOCUS && m_editing && WindowTextOf(m_hWnd) == m_beforeEdit)
        EndEdit(1);
    return result;
}

template <void (CPathComboBox::*Follow)()>
LRESULT CPathComboBox::DefaultThen(const RoutedMessage& m)
{
    const LRESULT result = CWnd::WindowProc(m.message, m.wParam, m.lParam);
    (this->*Follow)();
    return result;
}

void CPathComboBox::InvalidateBar()
{
    if (m_bar.m_hWnd)
        m_bar.Invalidate();
}

void CPathComboBox::DestroyBar()
{
    if (m_bar.m_hWnd)
        m_bar.DestroyWindow();
}
