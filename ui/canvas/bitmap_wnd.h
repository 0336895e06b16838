// CBitmapWnd: a child window showing a picture kept in a back buffer, a
// CGraphicsImage over a DIB section at the screen's depth selected into a
// memory DC. The owner draws into m_pImage (locking the buffer while it does
// so from another thread) and installs paint and message callbacks; the
// window copies the visible part on WM_PAINT, scrolls, and centres or pins a
// picture smaller than its client area.
#pragma once

#include <atomic>
#include <cstdint>

#include "graphics/image.h"
#include "platform/framework/dc.h"
#include "platform/framework/sync.h"
#include "platform/framework/wnd.h"
#include "ui/canvas/bitmap_wnd_logic.h"

// (context, message, key flags, x, y) with x and y in picture coordinates.
typedef void (*BitmapWndMessageProc)(uintptr_t context, UINT message, UINT keyFlags, int x, int y);
// (context, paint DC with its origin at the scroll position, paint record).
typedef void (*BitmapWndPaintProc)(uintptr_t context, CDC* dc, PAINTSTRUCT* paint);

// Posted as WM_COMMAND when the last buffer lock goes, so a resize skipped
// while the buffer was locked happens then.
constexpr UINT BWM_DEFERREDRESIZE = 27014;

class CBitmapWnd : public CWnd {
public:
    CBitmapWnd();
    ~CBitmapWnd() override;

    // style: window style with the BWS_ option bits in its low bits.
    BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Takes the place (and Z order) of a placeholder control of a dialog.
    BOOL CreateOverControl(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parentDialog, UINT newId);

    void SetPaintProc(BitmapWndPaintProc proc, uintptr_t context);
    void SetMessageProc(BitmapWndMessageProc proc, uintptr_t context);

    // Sides 1 to 16000. False when a side is out of range, the buffer is
    // locked, or the new buffer cannot be made (the old one then stays).
    bool SetBufferSize(int width, int height);
    // While the count is above 0 no size change re-creates the buffer.
    int LockBuffer();
    int UnlockBuffer();
    // A new buffer of that size with the old picture at its top left; false,
    // changing nothing, when it cannot be made.
    bool RecreateBuffer(int width, int height);

    bool ScrollTo(int x, int y, bool redraw);
    bool SetScrollPosition(int x, int y);
    void UpdateScrollBars();
    bool EnsureVisible(int x, int y, int width, int height);
    // Rectangles in picture coordinates, in client coordinates, and moved by
    // the scroll position; a negative side extends left or up.
    void InvalidateContent(int x, int y, int width, int height, BOOL erase);
    void InvalidateClientRect(int x, int y, int width, int height, BOOL erase);
    void InvalidateRectOffset(const RECT& rect, BOOL erase);
    HCURSOR SetCursor(HCURSOR cursor);

    // Style bit added by SetMessageProc.
    static constexpr DWORD kMessageProcStyle = 0x100;

protected:
    uintptr_t m_messageContext = 0;
    BitmapWndMessageProc m_messageProc = nullptr;
    uintptr_t m_paintContext = 0;
    BitmapWndPaintProc m_paintProc = nullptr;

public:
    CGraphicsImage* m_pImage;  // the back buffer; read it after LockBuffer on other threads

protected:
    CWnd* m_screenWnd;
    CDC* m_screenDc;
    CDC m_dcMemory;
    uint32_t m_horzScrollAlways = 0;
    uint32_t m_vertScrollAlways = 0;
    uint32_t m_horzScroll = 0;
    uint32_t m_vertScroll = 0;
    uint32_t m_pinSmall = 0;
    uint32_t m_fixedSize = 0;
    uint32_t m_center = 0;
    HBITMAP m_dibSection = nullptr;
    HCURSOR m_cursor;
    CCriticalSection m_lock;  // buffer re-creation and m_nLockCount

public:
    COLORREF m_rgbBackground = 0xFFFFFF;
    SIZE m_sizeClient = {0, 0};

protected:
    SIZE m_sizeMin = {0, 0};
    SIZE m_sizeMax = {canvas::kMaxBufferSide, canvas::kMaxBufferSide};

public:
    POINT m_ptScroll = {0, 0};

protected:
    int m_nLockCount = 0;
    uint32_t m_nScreenBits;

    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    void OnHScroll(UINT code, UINT position, CWnd* scrollBar);
    void OnVScroll(UINT code, UINT position, CWnd* scrollBar);
    void OnDestroy();
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    LRESULT OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnMouseWheel(UINT keys, short delta, POINT screenPoint);
    void OnDeferredResize();
    // What a repaint of the paint rectangle puts on the DC before the paint
    // callback: the visible picture and the margins around it.
    void PaintBuffer(CDC& dc, const RECT& paint, const RECT& client);

private:
    HBITMAP m_originalBitmap = nullptr;  // the memory DC's own bitmap, selected back before the DIB goes
    bool m_horzBarPrimed = false;         // an "always" bar got its first range
    bool m_vertBarPrimed = false;
    std::atomic<HWND> m_postTarget{nullptr};  // where UnlockBuffer posts from any thread

    SIZE PictureExtent() const;
    // OnSize's buffer step: under the lock, re-creates the buffer for that
    // client size unless locked or already that size. True when re-created.
    bool FollowClientSize(int cx, int cy);
    // After creation: a buffer smaller than the minimum size grows to it
    // unless the buffer is locked.
    void GrowBufferToMinSize();
    // The arrow cursor and the scroll bar options of the BWS_ bits in `style`.
    void TakeScrollStyles(DWORD style);
    // Shows the asked-for bars and brings them and the position up to date.
    void ShowScrollBars(UINT bars);
    void Scroll(int bar, UINT code, UINT position);

    DECLARE_MESSAGE_MAP()
};
