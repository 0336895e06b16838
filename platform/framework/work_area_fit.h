// Where a window goes so that it lies on a monitor's work area (the
// monitor less its task bars): portable arithmetic, no window needed. The
// floating bars, the windows kept in their work area (ui/utils/work_area.h)
// and the choice dialogs all place themselves by it.
#pragma once

#include "platform/win32/win.h"

// The rectangle moved, its size kept, by as little as puts it inside the
// area. One wider or higher than the area starts at the area's left or top
// edge, where a window's caption and the start of its contents are. An
// empty area leaves the rectangle as it is; so does a side of negative
// extent.
RECT FitRectInArea(const RECT& rect, const RECT& area);

// The rectangle cut to the area's width where it is wider and to the area's
// height where it is higher, its left and top kept: a window that would open
// larger than the work area takes the area's size (then FitRectInArea moves
// it inside). An empty area leaves the rectangle as it is; so does a side of
// negative extent.
RECT CutRectToAreaSize(const RECT& rect, const RECT& area);
