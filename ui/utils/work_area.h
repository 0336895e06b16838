// Keeping windows inside the work area of their monitor (the screen less the
// task bar and docked bars): a window the program opens, widens or grows is
// moved so that none of it is cut off.
#pragma once

#include "platform/win32/win.h"

// The part of a growth a window of this width may take and still fit an
// area this wide: never below 0 (a window already too wide does not grow);
// a shrinking, or an area of no width (unknown), leaves the growth as asked.
int FitGrowth(int width, int growth, int areaWidth);

#ifdef _WIN32
// The work area of the monitor that holds most of the window, or of the
// nearest monitor when none holds any of it.
RECT WorkAreaOf(HWND window);
// Moves a top-level window into its monitor's work area as FitRectInArea
// (platform/framework/work_area_fit.h) moves its rectangle (no size change,
// no activation); true when it moved.
bool KeepWindowInWorkArea(HWND window);
#endif
