#include "platform/framework/frame.h"

#include <utility>

#include "platform/framework/control_bar.h"
#include "platform/framework/float_frame.h"
#include "platform/framework/wnd_class.h"

namespace {

CWinApp* g_app = nullptr;

// Messages after which the idle update runs again: not the paints and
// timers the update itself may cause.
bool IsIdleMessage(const MSG& msg)
{
    return msg.message != WM_PAINT && msg.message != 0x0118 && msg.message != WM_TIMER;
}

// Puts a child of the frame at its place in the layout. A child that moves
// or changes its size is drawn anew rather than from its copied pixels: a
// bar shown an instant before may cover part of its old place, and Wine
// copies that part too, so the bar's unpainted pixels would stay there as
// the child's own until something else repaints it.
void PlaceChild(CWnd& child, HWND frame, int x, int y, int cx, int cy)
{
    RECT now;
    ::GetWindowRect(child.m_hWnd, &now);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&now), 2);
    if (now.left == x && now.top == y && now.right - now.left == cx && now.bottom - now.top == cy)
        return;
    child.SetWindowPos(nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

}  // namespace

const CRuntimeClass CFrameWnd::classCFrameWnd = {"CFrameWnd", int(sizeof(CFrameWnd)), &g_classCWnd};

const CRuntimeClass* CFrameWnd::GetRuntimeClass() const
{
    return &classCFrameWnd;
}

CFrameWnd::~CFrameWnd()
{
    for (CControlBar* bar : m_bars)
        bar->m_pDockSite = nullptr;
}

BOOL CFrameWnd::Create(const char* title, DWORD style, const RECT* rect, CWnd* parent)
{
    const char* className = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)),
                                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!className)
        return FALSE;
    const RECT place = rect ? *rect : RECT{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
    const int width = rect ? place.right - place.left : CW_USEDEFAULT;
    const int height = rect ? place.bottom - place.top : CW_USEDEFAULT;
    return CreateEx(0, className, title, style | WS_CLIPCHILDREN, place.left, place.top, width, height,
                    parent ? parent->m_hWnd : nullptr, nullptr);
}

void CFrameWnd::RecalcLayout(BOOL)
{
    if (!m_hWnd || m_inLayout)
        return;
    m_inLayout = true;
    m_layoutPending = false;
    ++m_layouts;
    RECT rest;
    GetClientRect(&rest);
    // The rows at the top and bottom span the frame; the columns at the
    // left and right stand between them.
    for (const bool rows : {true, false}) {
        for (CControlBar* bar : m_bars) {
            if (!bar->m_hWnd || !(bar->GetStyle() & WS_VISIBLE) || bar->IsFloating())
                continue;
            const DWORD side = SideOf(bar);
            if ((side == CBRS_ALIGN_TOP || side == CBRS_ALIGN_BOTTOM) != rows)
                continue;
            const int width = rest.right - rest.left, height = rest.bottom - rest.top;
            if (!rows) {
                const SIZE size = bar->CalcDynamicLayout(height, LM_VERTDOCK | LM_COMMIT);
                const int cx = std::min<int>(size.cx, width);
                const bool left = side == CBRS_ALIGN_LEFT;
                PlaceChild(*bar, m_hWnd, left ? rest.left : rest.right - cx, rest.top, cx, height);
                (left ? rest.left : rest.right) += left ? cx : -cx;
            } else {
                const SIZE size = bar->CalcDynamicLayout(width, LM_HORZ | LM_HORZDOCK | LM_COMMIT);
                const int cy = std::min<int>(size.cy, height);
                const bool bottom = side == CBRS_ALIGN_BOTTOM;
                PlaceChild(*bar, m_hWnd, rest.left, bottom ? rest.bottom - cy : rest.top, width, cy);
                (bottom ? rest.bottom : rest.top) += bottom ? -cy : cy;
            }
        }
    }
    if (m_activeView && m_activeView->m_hWnd && ::GetParent(m_activeView->m_hWnd) == m_hWnd)
        PlaceChild(*m_activeView, m_hWnd, rest.left, rest.top, rest.right - rest.left, rest.bottom - rest.top);
    m_inLayout = false;
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL delay)
{
    if (!bar || !bar->m_hWnd)
        return;
    if (!show)
        TakeFocusFrom(bar);
    bar->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (CFloatingFrame* floating = bar->GetFloatingFrame()) {
        // The docked bars are as they were.
        if (show)
            floating->RecalcLayout();
        floating->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
    } else if (delay) {
        m_layoutPending = true;
    } else {
        RecalcLayout();
    }
    if (show)
        GiveFocusBack(bar);
}

// Typed keys never go to a window nobody sees. The focus leaves before the
// bar hides: a floating frame that hides while active would hand the
// activation, and so the focus, to whichever window the system picks.
void CFrameWnd::TakeFocusFrom(CControlBar* bar)
{
    const HWND focus = ::GetFocus();
    const CFloatingFrame* floating = bar->GetFloatingFrame();
    const HWND holder = floating && floating->m_hWnd ? floating->m_hWnd : bar->m_hWnd;
    if (!focus || (focus != holder && !::IsChild(holder, focus)))
        return;
    HWND to = m_hWnd;
    if (m_activeView && m_activeView->m_hWnd && ::IsWindowVisible(m_activeView->m_hWnd) &&
        ::IsWindowEnabled(m_activeView->m_hWnd) && !::IsChild(holder, m_activeView->m_hWnd))
        to = m_activeView->m_hWnd;
    ::SetFocus(to);
    m_takenFocus = TakenFocus{bar, focus, ::GetFocus()};
}

void CFrameWnd::GiveFocusBack(CControlBar* bar)
{
    const TakenFocus taken = std::exchange(m_takenFocus, TakenFocus{});
    if (taken.bar != bar || ::GetFocus() != taken.to || !::IsWindow(taken.from) || !::IsWindowVisible(taken.from) ||
        !::IsWindowEnabled(taken.from))
        return;
    ::SetFocus(taken.from);
}

void CFrameWnd::FloatControlBar(CControlBar* bar, POINT point)
{
    if (!m_hWnd || !bar || !bar->m_hWnd)
        return;
    AddControlBar(bar);
    CFloatingFrame* floating = bar->GetFloatingFrame();
    if (!floating) {
        if (!(floating = CFloatingFrame::Create(this, bar, point)))
            return;
        bar->FrameChanged();  // no gripper while it floats
    }
    floating->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    floating->RecalcLayout();
    // The point is taken as it is only where the whole bar can be seen.
    floating->KeepOnWorkArea();
    if (bar->GetStyle() & WS_VISIBLE)
        floating->ShowWindow(SW_SHOWNOACTIVATE);
    RecalcLayout();
}

void CFrameWnd::DockControlBar(CControlBar* bar)
{
    if (!m_hWnd || !bar || !bar->m_hWnd)
        return;
    AddControlBar(bar);
    if (CFloatingFrame* floating = bar->GetFloatingFrame()) {
        RECT place;
        floating->GetWindowRect(&place);
        bar->m_lastFloatPos = POINT{place.left, place.top};
        bar->m_hasFloatPos = true;
        floating->ReleaseBar(this);
    }
    bar->FrameChanged();
    RecalcLayout();
}

void CFrameWnd::DockControlBar(CControlBar* bar, DWORD side, const RECT& drop)
{
    if (!m_hWnd || !bar || !bar->m_hWnd || dock::SideIndex(side) < 0)
        return;
    AddControlBar(bar);
    std::vector<RECT> rows;
    const std::vector<CControlBar*> docked = DockedAt(side, bar);
    for (CControlBar* other : docked) {
        RECT rect;
        other->GetWindowRect(&rect);
        rows.push_back(rect);
    }
    const size_t row = dock::LandingRow(side, drop, rows);
    // Before the bar of that row, or after the side's last bar; the other
    // sides' bars keep their order.
    m_bars.erase(std::find(m_bars.begin(), m_bars.end(), bar));
    auto at = m_bars.end();
    if (row < docked.size())
        at = std::find(m_bars.begin(), m_bars.end(), docked[row]);
    else if (!docked.empty())
        at = std::find(m_bars.begin(), m_bars.end(), docked.back()) + 1;
    m_bars.insert(at, bar);
    bar->m_dwStyle = dock::StyleDockedAt(bar->m_dwStyle, side);
    DockControlBar(bar);
}

DWORD CFrameWnd::SideOf(const CControlBar* bar)
{
    const DWORD align = bar->m_dwStyle & CBRS_ALIGN_ANY;
    if (align & CBRS_ALIGN_LEFT)
        return CBRS_ALIGN_LEFT;
    if (align & CBRS_ALIGN_RIGHT)
        return CBRS_ALIGN_RIGHT;
    return (align & CBRS_ALIGN_BOTTOM) ? CBRS_ALIGN_BOTTOM : CBRS_ALIGN_TOP;
}

std::vector<CControlBar*> CFrameWnd::DockedAt(DWORD side, const CControlBar* except) const
{
    std::vector<CControlBar*> docked;
    for (CControlBar* bar : m_bars)
        if (bar != except && bar->m_hWnd && (bar->GetStyle() & WS_VISIBLE) && !bar->IsFloating() &&
            SideOf(bar) == side)
            docked.push_back(bar);
    return docked;
}

dock::DockSite CFrameWnd::DockSiteFor(const CControlBar* bar) const
{
    dock::DockSite site = {};
    GetClientRect(&site.client);
    ClientToScreen(&site.client);
    site.sides = m_dwDockStyle & (bar ? bar->m_dwDockStyle : 0) & CBRS_ALIGN_ANY;
    for (int n = 0; n < 4; ++n) {
        for (CControlBar* docked : DockedAt(dock::kSides[n], nullptr)) {
            RECT rect;
            docked->GetWindowRect(&rect);
            UnionRect(&site.bands[n], &site.bands[n], &rect);
        }
    }
    return site;
}

void CFrameWnd::AddControlBar(CControlBar* bar)
{
    for (CControlBar* known : m_bars)
        if (known == bar)
            return;
    m_bars.push_back(bar);
    bar->m_pDockSite = this;
}

void CFrameWnd::RemoveControlBar(CControlBar* bar)
{
    for (auto at = m_bars.begin(); at != m_bars.end(); ++at) {
        if (*at == bar) {
            m_bars.erase(at);
            bar->m_pDockSite = nullptr;
            if (m_takenFocus.bar == bar)
                m_takenFocus = TakenFocus{};
            return;
        }
    }
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    // A bar hidden until now stays without the focus when it shows.
    m_takenFocus = TakenFocus{};
    if (m_layoutPending)
        RecalcLayout();
    // A bar may leave the frame while it updates: walk a copy.
    const std::vector<CControlBar*> bars = m_bars;
    for (CControlBar* bar : bars)
        if (bar->m_hWnd && (bar->GetStyle() & WS_VISIBLE))
            bar->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
}

BOOL CFrameWnd::HasCommandHandler(UINT id) const
{
    if (m_activeView && m_activeView->HasCommandEntry(id))
        return TRUE;
    if (HasCommandEntry(id) || BarOfId(id))
        return TRUE;
    const CWinApp* app = AfxGetApp();
    return app && app->HasCommandHandler(id);
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (m_activeView && m_activeView->m_hWnd && m_activeView->OnCommand(wParam, lParam))
        return TRUE;
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    if (OnBarCommand(LOWORD(wParam), HIWORD(wParam), lParam))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCommand(wParam, lParam);
}

CControlBar* CFrameWnd::BarOfId(UINT id) const
{
    if (id < AFX_IDW_CONTROLBAR_FIRST || id > AFX_IDW_CONTROLBAR_LAST)
        return nullptr;
    for (CControlBar* bar : m_bars)
        if (bar->m_hWnd && UINT(bar->GetDlgCtrlID()) == id)
            return bar;
    return nullptr;
}

// The view menu's entry of a bar: checked while the bar shows, and chosen
// it shows or hides the bar.
bool CFrameWnd::OnBarCommand(UINT id, UINT code, LPARAM lParam)
{
    CControlBar* bar = BarOfId(id);
    if (!bar || (code != 0 && code != CN_UPDATE_COMMAND_UI))
        return false;
    const bool shown = (bar->GetStyle() & WS_VISIBLE) != 0;
    if (code == CN_UPDATE_COMMAND_UI) {
        auto* ui = reinterpret_cast<CCmdUI*>(lParam);
        ui->Enable(TRUE);
        ui->SetCheck(shown ? 1 : 0);
        return true;
    }
    ShowControlBar(bar, !shown, FALSE);
    return true;
}

BOOL CFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnNotify(wParam, lParam, result))
        return TRUE;
    return m_activeView && m_activeView->m_hWnd && m_activeView->OnNotify(wParam, lParam, result);
}

void CFrameWnd::OnSize(UINT, int, int)
{
    RecalcLayout();
}

void CFrameWnd::OnDestroy()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    Default();
}

LRESULT CFrameWnd::OnIdleMessage(WPARAM, LPARAM)
{
    OnIdleUpdateCmdUI();
    return 0;
}

// A menu of the frame's menu bar opens: each entry asks the routing whether
// it is enabled and checked now.
LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(lParam))
        return Default();  // the window menu
    const HMENU menu = reinterpret_cast<HMENU>(wParam);
    const int count = GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        const UINT id = GetMenuItemID(menu, index);
        if (id == 0 || id == UINT(-1))
            continue;  // a separator or a submenu
        CCmdUI ui;
        ui.m_nID = id;
        ui.m_nIndex = UINT(index);
        ui.m_pMenu = menu;
        ui.DoUpdate(this, TRUE);
    }
    return 0;
}

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleMessage)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
END_MESSAGE_MAP()

CWinApp::CWinApp()
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::OnCommand(WPARAM, LPARAM)
{
    return FALSE;
}

BOOL CWinApp::HasCommandHandler(UINT) const
{
    return FALSE;
}

BOOL CWinApp::OnIdle(LONG)
{
    if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd))
        frame->OnIdleUpdateCmdUI();
    return FALSE;
}

int CWinApp::Run()
{
    MSG msg;
    bool idle = true;
    LONG count = 0;
    for (;;) {
        while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            idle = OnIdle(count++) != FALSE;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0)
            return got < 0 ? -1 : int(msg.wParam);
        CWnd* target = CWnd::FromHandlePermanent(msg.hwnd);
        if (!target || !target->PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (IsIdleMessage(msg)) {
            idle = true;
            count = 0;
        }
    }
}

CWinApp* AfxGetApp()
{
    return g_app;
}
