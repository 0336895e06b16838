#include "platform/framework/dc.h"

CDC::~CDC()
{
    // Derived contexts release in their own destructors; this one deletes
    // only a context it still holds.
    if (m_hDC)
        ::DeleteDC(Detach());
}

void CDC::Release()
{
    if (m_hDC)
        ::DeleteDC(Detach());
}

bool CDC::Attach(HDC dc)
{
    if (m_hDC || !dc)
        return false;
    m_hDC = dc;
    return true;
}

HDC CDC::Detach()
{
    const HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    if (m_hDC)
        return FALSE;
    m_hDC = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    Release();
    return TRUE;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object)
{
    return ::SelectObject(m_hDC, object);
}

int CDC::SelectClipRgn(HRGN region)
{
    return ::SelectClipRgn(m_hDC, region);
}

int CDC::SaveDC()
{
    return ::SaveDC(m_hDC);
}

BOOL CDC::RestoreDC(int saved)
{
    return ::RestoreDC(m_hDC, saved);
}

int CDC::GetDeviceCaps(int index) const
{
    return ::GetDeviceCaps(m_hDC, index);
}

POINT CDC::SetWindowOrg(int x, int y)
{
    POINT previous = {};
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return previous;
}

POINT CDC::OffsetWindowOrg(int dx, int dy)
{
    POINT previous = {};
    ::OffsetWindowOrgEx(m_hDC, dx, dy, &previous);
    return previous;
}

POINT CDC::GetWindowOrg() const
{
    POINT origin = {};
    ::GetWindowOrgEx(m_hDC, &origin);
    return origin;
}

COLORREF CDC::SetBkColor(COLORREF colour)
{
    return ::SetBkColor(m_hDC, colour);
}

COLORREF CDC::GetBkColor() const
{
    return ::GetBkColor(m_hDC);
}

COLORREF CDC::SetTextColor(COLORREF colour)
{
    return ::SetTextColor(m_hDC, colour);
}

int CDC::SetBkMode(int mode)
{
    return ::SetBkMode(m_hDC, mode);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, DWORD rop)
{
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSource, ySource, rop);
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const INT* spacing)
{
    return ::ExtTextOutA(m_hDC, x, y, options, rect, text, count, spacing);
}

void CDC::FillSolidRect(const RECT& rect, COLORREF colour)
{
    const COLORREF previous = ::SetBkColor(m_hDC, colour);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    Release();
}

void CPaintDC::Release()
{
    if (m_hDC) {
        Detach();
        ::EndPaint(m_hWnd, &m_ps);
    }
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    Release();
}

void CClientDC::Release()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr)
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    Release();
}

void CWindowDC::Release()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}
