// Keeping windows inside the work area of their monitor (the screen less the
// task bar and docked bars): a window the program opens, widens or grows is
// moved so that none of it is cut off.
#pragma once

#include "platform/win32/win.h"

// The rectangle moved by the least amount that brings it inside the area.
// One larger than the area keeps its left or top edge on the area's, so the
// caption and the start of the content stay reachable. An empty area or a
// rectangle with a negative size is given back unchanged.
RECT FitRectIntoArea(const RECT& rect, const RECT& area);

// The part of a growth a window of this width may take and still fit an
// area this wide: never below 0 (a window already too wide does not grow);
// a shrinking, or an area of no width (unknown), leaves the growth as asked.
int FitGrowth(int width, int growth, int areaWidth);

#ifdef _WIN32
// The work area of the monitor that holds most of the window, or of the
// nearest monitor when none holds any of it.
RECT WorkAreaOf(HWND window);
// Moves a top-level window into its monitor's work area as FitRectIntoArea
// moves its rectangle (no size change, no activation); true when it moved.
bool KeepWindowInWorkArea(HWND window);
#endif
