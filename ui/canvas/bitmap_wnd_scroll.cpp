// CBitmapWnd: scroll position, scroll bars and invalidation.
#include <algorithm>

#include "ui/canvas/bitmap_wnd.h"

SIZE CBitmapWnd::PictureExtent() const
{
    if (!m_pImage->m_pBits)
        return SIZE{0, 0};
    return SIZE{std::min(LONG(m_pImage->m_nWidth), m_sizeMax.cx), std::min(LONG(m_pImage->m_nHeight), m_sizeMax.cy)};
}

bool CBitmapWnd::SetScrollPosition(int x, int y)
{
    if (m_pImage->m_pBits) {
        const SIZE picture = PictureExtent();
        x = canvas::ClampScrollAxis(x, picture.cx, m_sizeClient.cx, m_center, m_pinSmall);
        y = canvas::ClampScrollAxis(y, picture.cy, m_sizeClient.cy, m_center, m_pinSmall);
    } else {
        x = y = 0;
    }
    bool changed = false;
    if (x != m_ptScroll.x) {
        if (m_horzScroll && m_hWnd)
            CWnd::SetScrollPos(SB_HORZ, x, TRUE);
        m_ptScroll.x = x;
        changed = true;
    }
    if (y != m_ptScroll.y) {
        if (m_vertScroll && m_hWnd)
            CWnd::SetScrollPos(SB_VERT, y, TRUE);
        m_ptScroll.y = y;
        changed = true;
    }
    return changed;
}

void CBitmapWnd::UpdateScrollBars()
{
    if (!m_hWnd)
        return;
    const SIZE picture = PictureExtent();
    struct Axis {
        uint32_t has;
        uint32_t always;
        bool* primed;
        int bar;
        LONG picture;
        LONG client;
        LONG* position;
    };
    const Axis axes[] = {
        {m_horzScroll, m_horzScrollAlways, &m_horzBarPrimed, SB_HORZ, picture.cx, m_sizeClient.cx, &m_ptScroll.x},
        {m_vertScroll, m_vertScrollAlways, &m_vertBarPrimed, SB_VERT, picture.cy, m_sizeClient.cy, &m_ptScroll.y},
    };
    for (const Axis& axis : axes) {
        if (!axis.has)
            continue;
        const canvas::ScrollBarState state = canvas::ComputeScrollBar(axis.picture, axis.client, *axis.position, m_center);
        *axis.position = state.position;
        SCROLLINFO info = {};
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
        if (axis.always) {
            info.fMask |= SIF_DISABLENOSCROLL;
            if (!*axis.primed) {
                // A bar that has never had a range would not show disabled.
                constexpr int kPrimeRange = 100;
                constexpr UINT kPrimePage = 10;
                SCROLLINFO prime = {};
                prime.fMask = SIF_RANGE | SIF_PAGE;
                prime.nMax = kPrimeRange;
                prime.nPage = kPrimePage;
                CWnd::SetScrollInfo(axis.bar, &prime, TRUE);
                *axis.primed = true;
            }
        }
        info.nMin = state.minimum;
        info.nMax = state.maximum;
        info.nPage = UINT(state.page);
        info.nPos = state.position;
        info.nTrackPos = state.position;
        CWnd::SetScrollInfo(axis.bar, &info, TRUE);
    }
}

bool CBitmapWnd::ScrollTo(int x, int y, bool redraw)
{
    const bool changed = SetScrollPosition(x, y);
    if (changed && redraw && m_hWnd)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return changed;
}

bool CBitmapWnd::EnsureVisible(int x, int y, int width, int height)
{
    const int sx = canvas::EnsureVisibleAxis(m_ptScroll.x, x, width, m_sizeClient.cx);
    const int sy = canvas::EnsureVisibleAxis(m_ptScroll.y, y, height, m_sizeClient.cy);
    if (sx == m_ptScroll.x && sy == m_ptScroll.y)
        return false;
    return SetScrollPosition(sx, sy);
}

void CBitmapWnd::InvalidateContent(int x, int y, int width, int height, BOOL erase)
{
    const RECT rect = canvas::PictureToClientRect(x, y, width, height, m_ptScroll);
    InvalidateRect(&rect, erase);
}

void CBitmapWnd::InvalidateClientRect(int x, int y, int width, int height, BOOL erase)
{
    const RECT rect = canvas::PictureToClientRect(x, y, width, height, POINT{0, 0});
    InvalidateRect(&rect, erase);
}

void CBitmapWnd::InvalidateRectOffset(const RECT& rect, BOOL erase)
{
    RECT moved = rect;
    OffsetRect(&moved, m_ptScroll.x, m_ptScroll.y);
    InvalidateRect(&moved, erase);
}

HCURSOR CBitmapWnd::SetCursor(HCURSOR cursor)
{
    const HCURSOR previous = m_cursor;
    if (cursor && cursor != m_cursor) {
        m_cursor = cursor;
        ::SetCursor(cursor);
    }
    return previous;
}
