#include "ui/utils/work_area.h"

#include <limits>

namespace {

// The start of a span of `size` moved into [low, high): first so its end
// fits, then so its start does, which wins for a span wider than the range.
long long FitSpan(long long start, long long size, long long low, long long high)
{
    if (start + size > high)
        start = high - size;
    return start < low ? low : start;
}

LONG Saturate(long long value)
{
    constexpr long long low = std::numeric_limits<LONG>::min(), high = std::numeric_limits<LONG>::max();
    return LONG(value < low ? low : value > high ? high : value);
}

}  // namespace

RECT FitRectIntoArea(const RECT& rect, const RECT& area)
{
    const long long width = (long long)rect.right - rect.left;
    const long long height = (long long)rect.bottom - rect.top;
    if (area.right <= area.left || area.bottom <= area.top || width < 0 || height < 0)
        return rect;
    const long long left = FitSpan(rect.left, width, area.left, area.right);
    const long long top = FitSpan(rect.top, height, area.top, area.bottom);
    return RECT{Saturate(left), Saturate(top), Saturate(left + width), Saturate(top + height)};
}

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
    const RECT fitted = FitRectIntoArea(rect, WorkAreaOf(window));
    if (fitted.left == rect.left && fitted.top == rect.top)
        return false;
    return SetWindowPos(window, nullptr, fitted.left, fitted.top, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE) != FALSE;
}

#endif
