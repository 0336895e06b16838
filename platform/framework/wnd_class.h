// Window classes made on demand from their class style, cursor, background
// brush and icon: the same four give the same class, registered once per
// process. Windows of these classes get their behaviour from the CWnd that
// creates them; the class procedure is the default one.
#pragma once

#include "platform/win32/win.h"

// The class name (valid for the process's life), or null when registering
// failed.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);

HINSTANCE AfxGetInstanceHandle();
