// The decisions of dragging a control bar between its frame's edges and a
// floating frame, in screen coordinates and without a window: the shapes a
// drag shows, which edge it docks to, where a docked bar lands among the
// rows of its edge, and when a press has become a drag.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/framework/bar_styles.h"

namespace dock {

// The three shapes a dragged bar may take, moved with the pointer: docked
// in a row (top or bottom edge), docked in a column (left or right edge),
// and the floating frame's window.
struct DragShapes {
    RECT horz, vert, floating;
};

// The bar as a drag begins.
struct BarShape {
    RECT window;          // the bar's window
    SIZE horz, vert;      // its sizes docked in a row and in a column
    SIZE floating;        // its size floating (the floating frame's client)
    RECT frameInsets;     // the floating frame's widths around its client: left, top, right, bottom
    bool isFloating;
    RECT floatingWindow;  // the floating frame's window while the bar floats
};

// The shapes when the pointer grabs the bar at `grab`: each begins where
// the bar is (a floating frame around it while it is docked, its own frame
// while it floats), then moves as little as puts the pointer inside it, so
// the shape a drag shows always lies under the pointer.
DragShapes StartShapes(const BarShape& bar, POINT grab);
// The shapes after the pointer moved from `from` to `to`.
DragShapes MoveShapes(const DragShapes& shapes, POINT from, POINT to);

// The sides of the site in the order a drag tries them.
constexpr DWORD kSides[4] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};
// The index of a side in kSides; -1 for anything else.
int SideIndex(DWORD side);

// Where a frame docks bars: its client area on the screen, the sides both
// it and the bar allow (CBRS_ALIGN_ bits), and per side of kSides the
// rectangle its docked bars cover there (empty when none is docked there).
struct DockSite {
    RECT client;
    DWORD sides;
    RECT bands[4];
};

// The side a drag docks to, tried top, bottom, left, right: the row shape
// over the top or bottom band, the column shape over the left or right one;
// a side without bars offers the one-pixel line along its edge of the
// client area. 0 when the drag floats.
DWORD DockSideAt(const DragShapes& shapes, const DockSite& site);

// The rectangle the drag shows for the side it docks to (0: floating).
RECT ShapeFor(const DragShapes& shapes, DWORD side);

// The row a bar dropped as `drop` takes at the side: the number of the
// side's rows (from the edge inward, the bar itself not among them) whose
// middle lies before the drop's edge that faces the frame's edge. A bar
// lands where its leading edge is.
size_t LandingRow(DWORD side, const RECT& drop, const std::vector<RECT>& rows);

// The bar's style docked at the side: that alignment and, when the bar
// shows borders, the one border that faces the frame's inside.
DWORD StyleDockedAt(DWORD barStyle, DWORD side);

// Whether the pointer has left the box around the press in which a press
// is still a click.
bool PastDragThreshold(POINT press, POINT now, SIZE threshold);

// The floating frame's top left corner that puts its client where the
// bar's window is: a bar lifted off in place.
POINT FloatingOrigin(const RECT& barWindow, const RECT& frameInsets);

}  // namespace dock
