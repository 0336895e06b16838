#include "platform/framework/control_bar.h"

#include <algorithm>

#include "platform/framework/dock_context.h"
#include "platform/framework/float_frame.h"
#include "platform/framework/frame.h"

namespace {

constexpr int kEdge = 2;  // a CBRS_BORDER_* edge
// The gripper: a raised line of this width with a gap on either side.
constexpr int kGripperWidth = 3;
constexpr int kGripperGap = 2;
constexpr int kGripperSpace = kGripperGap + kGripperWidth + kGripperGap;

UINT EdgeFlags(DWORD style)
{
    return ((style & CBRS_BORDER_LEFT) ? BF_LEFT : 0) | ((style & CBRS_BORDER_TOP) ? BF_TOP : 0) |
           ((style & CBRS_BORDER_RIGHT) ? BF_RIGHT : 0) | ((style & CBRS_BORDER_BOTTOM) ? BF_BOTTOM : 0);
}

}  // namespace

const CRuntimeClass CControlBar::classCControlBar = {"CControlBar", int(sizeof(CControlBar)), &g_classCWnd};
const CRuntimeClass CToolBar::classCToolBar = {"CToolBar", int(sizeof(CToolBar)), &CControlBar::classCControlBar};

const CRuntimeClass* CControlBar::GetRuntimeClass() const
{
    return &classCControlBar;
}

const CRuntimeClass* CToolBar::GetRuntimeClass() const
{
    return &classCToolBar;
}

CControlBar::~CControlBar()
{
    // The floating frame goes with the bar, and the bar's window with it.
    if (m_floatFrame)
        m_floatFrame->DestroyWindow();
    if (m_pDockSite)
        m_pDockSite->RemoveControlBar(this);
}

BOOL CControlBar::DestroyWindow()
{
    CFrameWnd* frame = m_pDockSite;
    if (frame)
        frame->RemoveControlBar(this);
    // A floating bar's window goes with its frame.
    if (m_floatFrame)
        return m_floatFrame->DestroyWindow();
    return CWnd::DestroyWindow();
}

void CControlBar::SetBorders(int left, int top, int right, int bottom)
{
    m_cxLeftBorder = std::max(left, 0);
    m_cyTopBorder = std::max(top, 0);
    m_cxRightBorder = std::max(right, 0);
    m_cyBottomBorder = std::max(bottom, 0);
}

void CControlBar::CalcInsideRect(RECT& rect, BOOL horz) const
{
    const RECT insets = BorderInsets(m_dwStyle, horz, IsFloating() != FALSE);
    rect.left += insets.left;
    rect.top += insets.top;
    rect.right -= insets.right;
    rect.bottom -= insets.bottom;
}

// A floating bar shows neither edges nor a gripper: its frame's border
// frames it, its caption drags it.
RECT CControlBar::BorderInsets(DWORD style, BOOL horz, bool floating) const
{
    const DWORD edges = floating ? 0 : style;
    RECT insets = {(edges & CBRS_BORDER_LEFT) ? kEdge : 0, (edges & CBRS_BORDER_TOP) ? kEdge : 0,
                   (edges & CBRS_BORDER_RIGHT) ? kEdge : 0, (edges & CBRS_BORDER_BOTTOM) ? kEdge : 0};
    const int gripper = (style & CBRS_GRIPPER) && !floating ? kGripperSpace : 0;
    // The leading border lies where the bar begins.
    if (horz) {
        insets.left += m_cxLeftBorder + gripper;
        insets.top += m_cyTopBorder;
        insets.right += m_cxRightBorder;
        insets.bottom += m_cyBottomBorder;
    } else {
        insets.left += m_cyTopBorder;
        insets.top += m_cxLeftBorder + gripper;
        insets.right += m_cyBottomBorder;
        insets.bottom += m_cxRightBorder;
    }
    return insets;
}

SIZE CControlBar::CalcFixedLayout(BOOL stretch, BOOL horz)
{
    RECT inside = {0, 0, 0, 0};
    CalcInsideRect(inside, horz);
    SIZE size = {-(inside.right - inside.left), -(inside.bottom - inside.top)};
    if (stretch)
        (horz ? size.cx : size.cy) = 32767;
    return size;
}

SIZE CControlBar::CalcDynamicLayout(int, DWORD mode)
{
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

void CControlBar::EnableDocking(DWORD sides)
{
    m_dwDockStyle = sides & CBRS_ALIGN_ANY;
    if (m_dwDockStyle && !m_pDockContext)
        m_pDockContext = std::make_unique<CDockContext>(this);
    else if (!m_dwDockStyle)
        m_pDockContext.reset();
}

int CControlBar::OnToolHitTest(POINT) const
{
    return -1;
}

void CControlBar::FrameChanged()
{
    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// The borders and the gripper are the window's frame: the contents keep
// their own coordinates, and a press there is a press on empty space.
LRESULT CControlBar::OnNcCalcSize(WPARAM wParam, LPARAM lParam)
{
    RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    const RECT window = *rect;
    CalcInsideRect(*rect, IsHorizontalNow());
    // A window smaller than its borders has an empty client, not an inverted one.
    rect->left = std::min(rect->left, window.right);
    rect->top = std::min(rect->top, window.bottom);
    rect->right = std::max(rect->right, rect->left);
    rect->bottom = std::max(rect->bottom, rect->top);
    return 0;
}

LRESULT CControlBar::OnNcPaint(WPARAM, LPARAM)
{
    RECT window, client;
    GetWindowRect(&window);
    GetClientRect(&client);
    ClientToScreen(&client);
    OffsetRect(&client, -window.left, -window.top);
    OffsetRect(&window, -window.left, -window.top);
    HDC dc = ::GetWindowDC(m_hWnd);
    if (!dc)
        return 0;
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    FillRect(dc, &window, GetSysColorBrush(COLOR_BTNFACE));
    RECT inside = window;
    if (const UINT edges = IsFloating() ? 0 : EdgeFlags(m_dwStyle))
        DrawEdge(dc, &inside, EDGE_ETCHED, edges | BF_ADJUST);
    if ((m_dwStyle & CBRS_GRIPPER) && !IsFloating()) {
        RECT grip;
        if (IsHorizontalNow())
            grip = RECT{inside.left + kGripperGap, inside.top + m_cyTopBorder, inside.left + kGripperGap + kGripperWidth,
                        inside.bottom - m_cyBottomBorder};
        else
            grip = RECT{inside.left + m_cyTopBorder, inside.top + kGripperGap, inside.right - m_cyBottomBorder,
                        inside.top + kGripperGap + kGripperWidth};
        DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
    }
    ::ReleaseDC(m_hWnd, dc);
    return 0;
}

LRESULT CControlBar::OnNcHitTest(WPARAM, LPARAM)
{
    return HTCLIENT;
}

void CControlBar::OnLButtonDown(UINT, POINT point)
{
    if (!m_pDockContext || OnToolHitTest(point) >= 0) {
        Default();
        return;
    }
    ClientToScreen(&point);
    m_pDockContext->StartDrag(point);
}

void CControlBar::OnLButtonDblClk(UINT, POINT point)
{
    if (!m_pDockContext || OnToolHitTest(point) >= 0) {
        Default();
        return;
    }
    m_pDockContext->ToggleDocking();
}

void CControlBar::AttachToFrame(CWnd* parent)
{
    if (auto* frame = dynamic_cast<CFrameWnd*>(parent))
        frame->AddControlBar(this);
}

LRESULT CControlBar::OnIdleUpdate(WPARAM wParam, LPARAM)
{
    if (m_pDockSite && (GetStyle() & WS_VISIBLE))
        OnUpdateCmdUI(m_pDockSite, BOOL(wParam));
    return 0;
}

void CControlBar::OnDestroy()
{
    if (m_pDockSite)
        m_pDockSite->RemoveControlBar(this);
    Default();
}

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdate)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_NCCALCSIZE, OnNcCalcSize)
    ON_MESSAGE(WM_NCPAINT, OnNcPaint)
    ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CToolBar::CToolBar()
{
    SetBorders(6, 2, 0, 2);
}

SIZE CToolBar::CalcFixedLayout(BOOL stretch, BOOL horz)
{
    SIZE size = CControlBar::CalcFixedLayout(stretch, horz);
    (horz ? size.cy : size.cx) += horz ? m_sizeButton.cy : m_sizeButton.cx;
    return size;
}

void UpdateDialogControls(CWnd* bar, CWnd* target)
{
    if (!bar || !bar->m_hWnd)
        return;
    for (HWND child = GetWindow(bar->m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (id <= 0 || id >= 0xFFFF)
            continue;
        // A temporary binding: no wrapper outlives the update.
        CWnd temporary;
        CWnd* other = CWnd::FromHandlePermanent(child);
        if (!other && temporary.Attach(child))
            other = &temporary;
        CCmdUI ui;
        ui.m_nID = UINT(id);
        ui.m_pOther = other;
        ui.DoUpdate(target, FALSE);
        if (other == &temporary)
            temporary.Detach();
    }
}
