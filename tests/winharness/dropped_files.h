// Files dropped as the shell hands them over: the HDROP a WM_DROPFILES
// carries, for tests that drop onto controls without OLE.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win.h"

namespace winharness {

// The DROPFILES header, then each name with its NUL and a closing NUL, in
// ANSI or (wide) UTF-16 from code page 1252; as WM_DROPFILES's wParam. The
// receiver frees it (DragFinish).
WPARAM MakeDrop(const std::vector<std::string>& files, bool wide = false);

}  // namespace winharness
