// Binds a CWnd to the window CreateWindowEx (or a dialog function) is about
// to make, before that window's first message. A thread-local CBT hook is
// installed for the scope of the object; nested creations inside the
// window's own creation messages get their own scope.
#pragma once

#include "platform/win32/win.h"

class CWnd;

namespace framework_detail {

struct Pending {
    CWnd* wnd;
    const char* className;
    HWND parent;
};

class CreationHook {
public:
    // className is a name or an atom; the first window of that class with
    // that parent created on this thread is bound to wnd.
    CreationHook(CWnd* wnd, const char* className, HWND parent);
    CreationHook(const CreationHook&) = delete;
    CreationHook& operator=(const CreationHook&) = delete;
    ~CreationHook();

private:
    Pending m_pending;
    Pending* m_previous;
};

// Binds wnd to an existing window and routes the window's messages through
// the framework's procedure, keeping the previous procedure for Default.
bool BindWindow(CWnd* wnd, HWND handle);
// Undoes BindWindow; restores the previous procedure when ours is still the
// window's one.
void UnbindWindow(CWnd* wnd);

}  // namespace framework_detail
