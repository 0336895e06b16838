#include "platform/framework/control_bar.h"

#include <algorithm>

#include "platform/framework/float_frame.h"
#include "platform/framework/frame.h"

namespace {

constexpr int kEdge = 2;  // a CBRS_BORDER_* edge

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
    const DWORD style = m_dwStyle;
    rect.left += (style & CBRS_BORDER_LEFT) ? kEdge : 0;
    rect.top += (style & CBRS_BORDER_TOP) ? kEdge : 0;
    rect.right -= (style & CBRS_BORDER_RIGHT) ? kEdge : 0;
    rect.bottom -= (style & CBRS_BORDER_BOTTOM) ? kEdge : 0;
    // The leading border lies where the bar begins.
    if (horz) {
        rect.left += m_cxLeftBorder;
        rect.top += m_cyTopBorder;
        rect.right -= m_cxRightBorder;
        rect.bottom -= m_cyBottomBorder;
    } else {
        rect.left += m_cyTopBorder;
        rect.top += m_cxLeftBorder;
        rect.right -= m_cyBottomBorder;
        rect.bottom -= m_cxRightBorder;
    }
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
