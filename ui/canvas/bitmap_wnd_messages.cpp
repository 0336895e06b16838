// CBitmapWnd: the message handlers.
#include <algorithm>

#include "ui/canvas/bitmap_wnd.h"

BEGIN_MESSAGE_MAP(CBitmapWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_DESTROY()
    ON_WM_SETCURSOR()
    ON_MESSAGE_RANGE(WM_MOUSEMOVE, WM_MBUTTONDBLCLK, OnMouseMessage)
    ON_WM_MOUSEWHEEL()
    ON_COMMAND(BWM_DEFERREDRESIZE, OnDeferredResize)
END_MESSAGE_MAP()

bool CBitmapWnd::FollowClientSize(int cx, int cy)
{
    CLockGuard hold(m_lock);
    const SIZE size = canvas::BufferSizeForClient(cx, cy, m_sizeMin, m_sizeMax, m_fixedSize);
    if (size.cx <= 0 || size.cy <= 0 || m_nLockCount != 0)
        return false;
    if (m_pImage->m_nWidth == uint32_t(size.cx) && m_pImage->m_nHeight == uint32_t(size.cy))
        return false;
    return RecreateBuffer(size.cx, size.cy);
}

void CBitmapWnd::OnSize(UINT type, int cx, int cy)
{
    FollowClientSize(cx, cy);
    if (m_pImage && cx > 0 && cy > 0 && (cx != m_sizeClient.cx || cy != m_sizeClient.cy)) {
        m_sizeClient = SIZE{cx, cy};
        UpdateScrollBars();
        SetScrollPosition(m_ptScroll.x, m_ptScroll.y);
    }
    Default();
}

void CBitmapWnd::OnDeferredResize()
{
    // The client size has not changed since the skipped resize, so the bars
    // and the position are brought up to date here rather than by OnSize.
    if (FollowClientSize(m_sizeClient.cx, m_sizeClient.cy) && m_sizeClient.cx > 0 && m_sizeClient.cy > 0) {
        UpdateScrollBars();
        SetScrollPosition(m_ptScroll.x, m_ptScroll.y);
        Invalidate(FALSE);
    }
}

void CBitmapWnd::OnPaint()
{
    CPaintDC dc(this);
    RECT client;
    GetClientRect(&client);
    const RECT paint = dc.m_ps.rcPaint;
    HRGN clip = nullptr;
    if (!EqualRect(&paint, &client)) {
        clip = CreateRectRgnIndirect(&paint);
        dc.SelectClipRgn(clip);
    }
    PaintBuffer(dc, paint, client);
    if (m_paintProc) {
        dc.OffsetWindowOrg(m_ptScroll.x, m_ptScroll.y);
        m_paintProc(m_paintContext, &dc, &dc.m_ps);
    }
    if (clip) {
        dc.SelectClipRgn(nullptr);
        DeleteObject(clip);
    }
}

void CBitmapWnd::PaintBuffer(CDC& dc, const RECT& paint, const RECT& client)
{
    if (!m_pImage->m_pBits) {
        dc.SetBkColor(0);
        dc.ExtTextOut(0, 0, ETO_OPAQUE, &client, nullptr, 0);
        return;
    }
    const canvas::PaintPlan plan = canvas::PlanPaint(SIZE{client.right, client.bottom}, PictureExtent(), m_ptScroll, paint);
    if (plan.copies)
        dc.BitBlt(plan.target.left, plan.target.top, plan.target.right - plan.target.left,
                  plan.target.bottom - plan.target.top, &m_dcMemory, plan.source.x, plan.source.y, SRCCOPY);
    if (plan.bandCount > 0) {
        dc.SetBkColor(m_rgbBackground);
        for (int i = 0; i < plan.bandCount; ++i)
            dc.ExtTextOut(0, 0, ETO_OPAQUE, &plan.bands[i], nullptr, 0);
    }
}

void CBitmapWnd::Scroll(int bar, UINT code, UINT position)
{
    const bool horizontal = bar == SB_HORZ;
    const int current = horizontal ? m_ptScroll.x : m_ptScroll.y;
    const int page = horizontal ? m_sizeClient.cx : m_sizeClient.cy;
    int target;
    if (!canvas::ScrollRequest(code, current, page, int(position), &target))
        return;
    const bool changed =
        horizontal ? SetScrollPosition(target, m_ptScroll.y) : SetScrollPosition(m_ptScroll.x, target);
    if (changed)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CBitmapWnd::OnHScroll(UINT code, UINT position, CWnd*)
{
    if (m_horzScroll)
        Scroll(SB_HORZ, code, position);
}

void CBitmapWnd::OnVScroll(UINT code, UINT position, CWnd*)
{
    if (m_vertScroll)
        Scroll(SB_VERT, code, position);
}

void CBitmapWnd::OnDestroy()
{
    m_postTarget = nullptr;
    m_sizeClient = SIZE{0, 0};
    Default();
}

BOOL CBitmapWnd::OnSetCursor(CWnd* wnd, UINT hitTest, UINT)
{
    if (wnd != this)
        return FALSE;
    // Over the window's own scroll bars and border the system's cursor stays.
    if (hitTest != HTCLIENT)
        return BOOL(Default());
    ::SetCursor(m_cursor);
    return TRUE;
}

LRESULT CBitmapWnd::OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_messageProc)
        m_messageProc(m_messageContext, message, UINT(wParam), framework_detail::LowSigned(lParam) + m_ptScroll.x,
                     framework_detail::HighSigned(lParam) + m_ptScroll.y);
    return 0;
}

BOOL CBitmapWnd::OnMouseWheel(UINT keys, short delta, POINT screenPoint)
{
    if (!m_messageProc)
        return FALSE;
    POINT point = screenPoint;
    ScreenToClient(&point);
    const UINT flags = (UINT(uint16_t(delta)) << 16) | keys;
    m_messageProc(m_messageContext, WM_MOUSEWHEEL, flags, point.x + m_ptScroll.x, point.y + m_ptScroll.y);
    return TRUE;
}
