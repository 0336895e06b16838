// CWnd: a C++ object bound to a window handle. The binding lives in a
// process-wide handle map (never in the window's own data words, which
// dialogs use for their own markers); every bound window runs through one
// window procedure that finds the object and dispatches the message to its
// virtual WindowProc, whose default consults the message maps.
//
// Windows a CWnd creates are bound before their first message, by a
// thread-local CBT hook around CreateWindowEx, whatever their class; windows
// made elsewhere are bound by SubclassWindow. Messages the object does not
// handle go to the window's previous procedure (Default).
#pragma once

#include <cstdint>

#include "platform/framework/message_map.h"
#include "platform/win32/win.h"

class CDC;
class CDataExchange;

class CWnd {
public:
    CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Destroys a window still bound to this object.
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // The bound object of a window, else a wrapper kept for the rest of the
    // process (so the pointer may be held); null for a null handle.
    static CWnd* FromHandle(HWND wnd);
    // The bound object, or null.
    static CWnd* FromHandlePermanent(HWND wnd);
    // Binds or unbinds without touching the window procedure.
    bool Attach(HWND wnd);
    HWND Detach();

    // Creation. PreCreateWindow may adjust the parameters or refuse.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menuOrId, void* param = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, void* param = nullptr);
    virtual BOOL DestroyWindow();

    // Binds an existing window and routes its messages through this object;
    // its procedure becomes the one Default calls.
    BOOL SubclassWindow(HWND wnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Dispatch.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Message loops offer each message here first (dialog navigation,
    // accelerators); true means it was consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Data exchange between controls and members (dialogs).
    virtual void DoDataExchange(CDataExchange* dx);
    // Called after the last message; the handle is already unbound.
    virtual void PostNcDestroy();
    // Default handling of the message being dispatched on this thread.
    LRESULT Default();
    // True when the message maps hold a handler of the command id.
    BOOL HasCommandEntry(UINT id) const;

    // Thin wrappers over the window functions.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Changes the style bits; with swpFlags also tells the window its frame
    // changed. True when the style differs afterwards.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* rect) const;
    void ScreenToClient(POINT* point) const;
    void ScreenToClient(RECT* rect) const;
    void ClientToScreen(POINT* point) const;
    void ClientToScreen(RECT* rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL ShowWindow(int command);
    void UpdateWindow();
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    BOOL RedrawWindow(const RECT* update = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    int SetScrollPos(int bar, int position, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    BOOL SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    void ShowScrollBar(UINT bar, BOOL show = TRUE);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    CWnd* GetParent() const;
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    static CWnd* GetDesktopWindow();
    // A device context of the client area, to be given back by ReleaseDC.
    CDC* GetDC();
    int ReleaseDC(CDC* dc);
    void SetWindowText(const char* text);
    int GetWindowText(char* text, int size) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
    BOOL KillTimer(UINT_PTR id);

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

private:
    WNDPROC m_pfnSuper = nullptr;  // the procedure Default calls; null: DefWindowProc

    friend struct CWndAccess;
};

// The one window procedure of bound windows.
LRESULT CALLBACK LindarWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
