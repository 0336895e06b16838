#include "platform/framework/creation_hook.h"

#include "platform/framework/handle_map.h"
#include "platform/framework/wnd.h"

struct CWndAccess {
    static WNDPROC& Super(CWnd* wnd) { return wnd->m_pfnSuper; }
};

namespace framework_detail {

namespace {

constexpr int kClassNameSize = 256;

thread_local Pending* t_pending = nullptr;
thread_local HHOOK t_hook = nullptr;
thread_local int t_depth = 0;

bool ClassMatches(HWND handle, const char* className)
{
    if (IS_INTRESOURCE(className))
        return GetClassWord(handle, GCW_ATOM) == LOWORD(reinterpret_cast<uintptr_t>(className));
    char name[kClassNameSize] = {};
    GetClassNameA(handle, name, kClassNameSize);
    return lstrcmpiA(name, className) == 0;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_pending) {
        const HWND handle = reinterpret_cast<HWND>(wParam);
        const CBT_CREATEWNDA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        // The system makes helper windows (input method windows) of its own
        // during a creation; only the awaited one is bound.
        if (create->lpcs->hwndParent == t_pending->parent && ClassMatches(handle, t_pending->className)) {
            Pending* pending = t_pending;
            t_pending = nullptr;
            BindWindow(pending->wnd, handle);
        }
    }
    return CallNextHookEx(t_hook, code, wParam, lParam);
}

}  // namespace

CreationHook::CreationHook(CWnd* wnd, const char* className, HWND parent)
    : m_pending{wnd, className, parent}, m_previous(t_pending)
{
    if (t_depth++ == 0)
        t_hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    t_pending = &m_pending;
}

CreationHook::~CreationHook()
{
    t_pending = m_previous;
    if (--t_depth == 0 && t_hook) {
        UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
}

bool BindWindow(CWnd* wnd, HWND handle)
{
    if (!BindHandle(handle, wnd))
        return false;
    wnd->m_hWnd = handle;
    const WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle, GWLP_WNDPROC));
    if (current != LindarWndProc) {
        CWndAccess::Super(wnd) = current;
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LindarWndProc));
    }
    return true;
}

void UnbindWindow(CWnd* wnd)
{
    const HWND handle = wnd->m_hWnd;
    if (!handle)
        return;
    WNDPROC& super = CWndAccess::Super(wnd);
    if (super && reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle, GWLP_WNDPROC)) == LindarWndProc)
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
    super = nullptr;
    UnbindHandle(handle, wnd);
    wnd->m_hWnd = nullptr;
}

}  // namespace framework_detail
