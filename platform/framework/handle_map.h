// The process-wide map from window handles to the objects bound to them, and
// the wrappers made for handles nobody bound. Windows belong to threads but
// their objects are looked up from any thread, so the maps are locked.
#pragma once

#include "platform/win32/win.h"

class CWnd;

namespace framework_detail {

// Binds; false when the handle is already bound to another object.
bool BindHandle(HWND wnd, CWnd* object);
// Unbinds the handle when it is bound to this object.
void UnbindHandle(HWND wnd, const CWnd* object);
CWnd* BoundObject(HWND wnd);
// A wrapper for an unbound handle, made once and kept for the process's life:
// callers may hold the pointer, and a wrapper owns nothing.
CWnd* WrapperFor(HWND wnd);

}  // namespace framework_detail
