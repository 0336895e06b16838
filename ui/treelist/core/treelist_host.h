// What the portable TreeList core needs of its window: the one narrow
// interface between the control's records and the platform. The Win32 window
// implements it over real windows; tests use a fake, benchmarks the null host.
//
// The core calls Notify with the control's lock released; every other call is
// made with the lock held (the Win32 implementation may send messages back to
// the control from there; the lock is re-entrant for its own thread).
#pragma once

#include "platform/win32/commctrl_types.h"

#include <cstdint>

class TreeListHost {
public:
    virtual ~TreeListHost() = default;

    virtual HWND Window() = 0;
    // Fills hwndFrom and idFrom and sends WM_NOTIFY to the parent.
    virtual LRESULT Notify(NMHDR& header) = 0;
    // Invalidates a client rectangle (0 = the whole client area).
    virtual void Invalidate(const RECT* rect, bool erase) = 0;
    virtual void SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw) = 0;
    virtual bool GetScrollInfo(int bar, SCROLLINFO& info) = 0;
    virtual void SetScrollPos(int bar, int pos, bool redraw) = 0;
    virtual DWORD TickCount() = 0;
    // Posts TLM_DEFERREDUPDATE to the control.
    virtual void PostDeferredUpdate() = 0;
    virtual COLORREF SysColor(int index) = 0;
    virtual int SystemMetric(int index) = 0;
    // Height of the control's font and the width of a single-line text in it.
    virtual int TextHeight() = 0;
    virtual int MeasureText(const char* text, int length, bool bold) = 0;

    // The "SysHeader32" header window (control id 1).
    virtual HWND CreateHeader(int height) = 0;
    virtual void DestroyHeader() = 0;
    virtual void MoveHeader(int x, int y, int width, int height) = 0;
    virtual int HeaderInsertItem(int index, const HDITEMA& item) = 0;
    virtual bool HeaderDeleteItem(int index) = 0;
    virtual LRESULT HeaderSetItem(int index, const HDITEMA& item) = 0;
    virtual bool HeaderGetItem(int index, HDITEMA& item) = 0;
    virtual bool HeaderSetOrder(int count, const int* order) = 0;
    virtual bool HeaderGetOrder(int count, int* order) = 0;
    virtual void HeaderSetImageList(HIMAGELIST list) = 0;

    // Invalidates the header window's client area.
    virtual void InvalidateHeader() = 0;
    // The item tooltip: hidden when its item goes away.
    virtual void HideTooltip() = 0;

    // Input services of the window. SetFocus is called with the lock
    // released (the window's WM_SETFOCUS records hasFocus).
    virtual void SetFocus() = 0;
    virtual void FocusParent() = 0;
    // Whether a virtual key is held now (GetKeyState's high bit).
    virtual bool KeyHeld(int key) = 0;
    virtual bool ClipboardHasText() = 0;
    virtual void SetTimer(UINT_PTR id, UINT milliseconds) = 0;
    virtual void KillTimer(UINT_PTR id) = 0;

    // In-place editing and the control's own drag (the window's editing
    // services). Called with the lock held; they may notify the parent, so
    // the core looks its items up again afterwards.
    // Offers a key, a character (| kTreeListHookChar), a paste or a double
    // click code to the editing; non-zero when it took the event.
    virtual LRESULT EditKeyHook(uint32_t item, uint32_t column, uint32_t key, LPARAM keyData) = 0;
    // Starts the editor on the caret cell in column with a key or a start
    // code; non-zero when an editor was started.
    virtual LRESULT StartEdit(uint32_t column, uint32_t code, LPARAM keyData) = 0;
    virtual void DragFeedback(uint32_t modeFlags, uint32_t keyState) = 0;
    // Ends a drag's look and feel: drag image, arrow cursor, mouse capture.
    virtual void EndDragVisuals() = 0;

    // A timer of the window's own (tooltip, scroll bars, auto-scroll): false
    // when the id is none of them.
    virtual bool WindowTimer(UINT_PTR) { return false; }

    // The control's state is freed (the last message in progress returned
    // after WM_NCDESTROY); the host is not called again and may go.
    virtual void Released() {}
};

// A host without a window: no parent (notifications answer 0), no screen,
// a header that accepts everything. For benchmarks and as a base for fakes.
class TreeListNullHost : public TreeListHost {
public:
    HWND Window() override { return nullptr; }
    LRESULT Notify(NMHDR&) override { return 0; }
    void Invalidate(const RECT*, bool) override {}
    void SetScrollInfo(int, const SCROLLINFO&, bool) override {}
    bool GetScrollInfo(int, SCROLLINFO&) override { return false; }
    void SetScrollPos(int, int, bool) override {}
    DWORD TickCount() override { return 0; }
    void PostDeferredUpdate() override {}
    COLORREF SysColor(int) override { return 0; }
    int SystemMetric(int) override { return 17; }
    int TextHeight() override { return 13; }
    int MeasureText(const char*, int length, bool) override { return 6 * length; }
    HWND CreateHeader(int) override { return reinterpret_cast<HWND>(this); }
    void DestroyHeader() override {}
    void MoveHeader(int, int, int, int) override {}
    int HeaderInsertItem(int index, const HDITEMA&) override { return index; }
    bool HeaderDeleteItem(int) override { return true; }
    LRESULT HeaderSetItem(int, const HDITEMA&) override { return 1; }
    bool HeaderGetItem(int, HDITEMA&) override { return true; }
    bool HeaderSetOrder(int, const int*) override { return true; }
    bool HeaderGetOrder(int, int*) override { return false; }
    void HeaderSetImageList(HIMAGELIST) override {}
    void InvalidateHeader() override {}
    void HideTooltip() override {}
    void SetFocus() override {}
    void FocusParent() override {}
    bool KeyHeld(int) override { return false; }
    bool ClipboardHasText() override { return false; }
    void SetTimer(UINT_PTR, UINT) override {}
    void KillTimer(UINT_PTR) override {}
    // Editing and drag take nothing.
    LRESULT EditKeyHook(uint32_t, uint32_t, uint32_t, LPARAM) override { return 0; }
    LRESULT StartEdit(uint32_t, uint32_t, LPARAM) override { return 0; }
    void DragFeedback(uint32_t, uint32_t) override {}
    void EndDragVisuals() override {}
};
