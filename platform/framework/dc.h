// CDC: a device context handle with the drawing functions the UI library
// uses. A plain CDC owns what it created (CreateCompatibleDC) and deletes it;
// CPaintDC, CClientDC and CWindowDC give back what they borrowed.
#pragma once

#include "platform/framework/wnd.h"
#include "platform/win32/win.h"

class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    // Deletes a context still held (Detach first to keep it).
    virtual ~CDC();

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    bool Attach(HDC dc);
    HDC Detach();

    // A memory context compatible with the given one, or with the screen for
    // null.
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    HGDIOBJ SelectObject(HGDIOBJ object);
    HBITMAP SelectObject(HBITMAP bitmap)
    {
        return static_cast<HBITMAP>(SelectObject(static_cast<HGDIOBJ>(bitmap)));
    }
    int SelectClipRgn(HRGN region);
    int SaveDC();
    BOOL RestoreDC(int saved);
    int GetDeviceCaps(int index) const;

    // Window origin: the logical point shown at the device origin.
    POINT SetWindowOrg(int x, int y);
    POINT OffsetWindowOrg(int dx, int dy);
    POINT GetWindowOrg() const;

    COLORREF SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const;
    COLORREF SetTextColor(COLORREF colour);
    int SetBkMode(int mode);

    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, DWORD rop);
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                    const INT* spacing = nullptr);
    // An opaque rectangle in one colour; the background colour is restored.
    void FillSolidRect(const RECT& rect, COLORREF colour);

protected:
    virtual void Release();
};

// The context of a WM_PAINT: BeginPaint in the constructor, EndPaint in the
// destructor.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps = {};

protected:
    void Release() override;

private:
    HWND m_hWnd;
};

// GetDC of a window's client area, ReleaseDC at the end.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    void Release() override;

private:
    HWND m_hWnd;
};

// GetWindowDC of a whole window, frame included.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

protected:
    void Release() override;

private:
    HWND m_hWnd;
};

namespace framework_detail {

// BOOL OnEraseBkgnd(CDC* dc): the context is the message's, borrowed.
template <auto F>
bool EraseBkgnd(CWnd* w, UINT, WPARAM wp, LPARAM, LRESULT& r)
{
    CDC dc;
    dc.Attach(reinterpret_cast<HDC>(wp));
    r = (Self<F>(w)->*F)(&dc) ? TRUE : FALSE;
    dc.Detach();
    return true;
}

}  // namespace framework_detail

#define ON_WM_ERASEBKGND() LINDAR_ON_MSG(WM_ERASEBKGND, EraseBkgnd, OnEraseBkgnd)
