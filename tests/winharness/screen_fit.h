// Whether windows fit a small screen: the screen a test program was given
// (tests/CMakeLists.txt: SCREEN and DPI), its work area, and the shown
// controls of a dialog that lie outside it.
#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "platform/win32/win.h"

namespace winharness {

// The program's resolution, screen width and height.
inline std::tuple<int, int, int> ScreenShape()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return {dpi, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// The work area of the window's monitor.
inline RECT WorkArea(HWND wnd)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

inline bool Inside(const RECT& r, const RECT& area)
{
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

inline std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

// The shown controls (by id) that do not lie wholly inside the work area
// and the dialog's client area, with their rectangles; empty when all do.
// A size grip may reach into the frame's corner: it is held to the window.
inline std::vector<std::string> ControlsOutside(HWND dlg)
{
    const RECT work = WorkArea(dlg);
    RECT client, window;
    GetClientRect(dlg, &client);
    MapWindowPoints(dlg, nullptr, reinterpret_cast<POINT*>(&client), 2);
    GetWindowRect(dlg, &window);
    std::vector<std::string> outside;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[16] = "";
        GetClassNameA(c, cls, sizeof cls);
        const bool grip = lstrcmpiA(cls, "ScrollBar") == 0 && (GetWindowLongA(c, GWL_STYLE) & SBS_SIZEGRIP);
        RECT r;
        GetWindowRect(c, &r);
        if (IsWindowVisible(c) && !(Inside(r, work) && Inside(r, grip ? window : client)))
            outside.push_back(std::to_string(GetDlgCtrlID(c)) + " at " + Describe(r));
    }
    return outside;
}

}  // namespace winharness
