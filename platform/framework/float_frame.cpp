#include "platform/framework/float_frame.h"

#include <new>

#include "platform/framework/control_bar.h"
#include "platform/framework/dock_context.h"
#include "platform/framework/frame.h"
#include "platform/framework/wnd_class.h"
#include "platform/framework/work_area_fit.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr int kTitleMax = 128;

}  // namespace

CFloatingFrame* CFloatingFrame::Create(CFrameWnd* dockSite, CControlBar* bar, POINT at)
{
    if (!dockSite || !dockSite->m_hWnd || !bar || !bar->m_hWnd)
        return nullptr;
    const char* className = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)),
                                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CFloatingFrame* frame = className ? new (std::nothrow) CFloatingFrame : nullptr;
    if (!frame)
        return nullptr;
    // The caption is the bar's window text.
    char title[kTitleMax] = "";
    ::GetWindowTextA(bar->m_hWnd, title, kTitleMax);
    if (!frame->CreateEx(kExStyle, className, title, kStyle, at.x, at.y, 0, 0, dockSite->m_hWnd, nullptr)) {
        delete frame;  // no window was left behind to delete it
        return nullptr;
    }
    frame->m_autoDelete = true;
    frame->m_bar = bar;
    ::SetParent(bar->m_hWnd, frame->m_hWnd);
    bar->m_floatFrame = frame;
    return frame;
}

void CFloatingFrame::RecalcLayout()
{
    if (!m_bar || !m_bar->m_hWnd)
        return;
    const SIZE size = m_bar->CalcDynamicLayout(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
    m_bar->SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    FitToBar();
}

void CFloatingFrame::FitToBar()
{
    if (!m_hWnd || !m_bar || !m_bar->m_hWnd)
        return;
    RECT bar, before;
    m_bar->GetWindowRect(&bar);
    GetWindowRect(&before);
    RECT outer = {0, 0, bar.right - bar.left, bar.bottom - bar.top};
    AdjustWindowRectEx(&outer, GetStyle(), FALSE, GetExStyle());
    SetWindowPos(nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_bar->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A window that grew (larger icons, more buttons) may reach past the
    // work area it stood on; it stays on that monitor rather than go to
    // the one it now reaches into.
    KeepOnWorkArea(&before);
}

void CFloatingFrame::KeepOnWorkArea(const RECT* monitorOf)
{
    if (!m_hWnd)
        return;
    RECT place;
    GetWindowRect(&place);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(monitorOf ? monitorOf : &place, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT fitted = FitRectInArea(place, monitor.rcWork);
    if (fitted.left != place.left || fitted.top != place.top)
        SetWindowPos(nullptr, fitted.left, fitted.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFloatingFrame::ReleaseBar(CFrameWnd* dockSite)
{
    if (m_bar) {
        m_bar->m_floatFrame = nullptr;
        if (m_bar->m_hWnd && dockSite && dockSite->m_hWnd)
            ::SetParent(m_bar->m_hWnd, dockSite->m_hWnd);
        m_bar = nullptr;
    }
    DestroyWindow();
}

RECT CFloatingFrame::Insets()
{
    RECT outer = {0, 0, 0, 0};
    AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    return RECT{-outer.left, -outer.top, outer.right, outer.bottom};
}

CFrameWnd* CFloatingFrame::DockSite() const
{
    return m_bar ? m_bar->GetDockingFrame() : nullptr;
}

// What the bar's children send to their parent belongs to the dock site.
BOOL CFloatingFrame::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CFrameWnd* site = DockSite();
    if (!site || !site->m_hWnd)
        return CWnd::OnCommand(wParam, lParam);
    site->SendMessage(WM_COMMAND, wParam, lParam);
    return TRUE;
}

BOOL CFloatingFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CFrameWnd* site = DockSite();
    if (!site || !site->m_hWnd)
        return CWnd::OnNotify(wParam, lParam, result);
    *result = site->SendMessage(WM_NOTIFY, wParam, lParam);
    return TRUE;
}

// Closing hides the bar (and so this window); the bar stays floating.
void CFloatingFrame::OnClose()
{
    if (CFrameWnd* site = DockSite())
        site->ShowControlBar(m_bar, FALSE, FALSE);
    else
        ShowWindow(SW_HIDE);
}

// The caption drags a bar the user may dock; the window may be gone when
// the drag ends (the bar docked), so nothing of it is used afterwards.
LRESULT CFloatingFrame::OnNcLButtonDown(WPARAM hit, LPARAM point)
{
    CDockContext* drag = m_bar ? m_bar->m_pDockContext.get() : nullptr;
    if (hit != HTCAPTION || !drag)
        return Default();
    drag->StartDrag(POINT{short(LOWORD(point)), short(HIWORD(point))});
    return 0;
}

LRESULT CFloatingFrame::OnNcLButtonDblClk(WPARAM hit, LPARAM point)
{
    CDockContext* drag = m_bar ? m_bar->m_pDockContext.get() : nullptr;
    if (hit != HTCAPTION || !drag)
        return Default();
    drag->ToggleDocking();
    return 0;
}

void CFloatingFrame::PostNcDestroy()
{
    if (m_bar && m_bar->m_floatFrame == this)
        m_bar->m_floatFrame = nullptr;
    if (m_autoDelete)
        delete this;
}

BEGIN_MESSAGE_MAP(CFloatingFrame, CWnd)
    ON_WM_CLOSE()
    ON_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDown)
    ON_MESSAGE(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
END_MESSAGE_MAP()
