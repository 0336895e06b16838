#include "ui/utils/work_area.h"

#include "platform/framework/work_area_fit.h"

int FitGrowth(int width, int growth, int areaWidth)
{
    if (growth <= 0 || areaWidth <= 0)
        return growth;
    const long long room = (long long)areaWidth - width;
    return room <= 0 ? 0 : growth < room ? growth : int(room);
}

#ifdef _WIN32

RECT WorkAreaOf(HWND window)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoA(monitor, &info))
        return info.rcWork;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

bool KeepWindowInWorkArea(HWND window)
{
    RECT rect;
    // A child window lies in its parent, not on a monitor.
    if (!window || (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) || !GetWindowRect(window, &rect))
        return false;
    const RECT fitted = FitRectInArea(rect, WorkAreaOf(window));
    if (fitted.left == rect.left && fitted.top == rect.top)
        return false;
    return SetWindowPos(window, nullptr, fitted.left, fitted.top, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE) != FALSE;
}

#endif
