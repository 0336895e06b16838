#include "platform/framework/dock_geometry.h"

#include <cstdint>
#include <cstdlib>

namespace dock {

namespace {

RECT At(POINT origin, SIZE size)
{
    return RECT{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
}

RECT Offset(RECT rect, LONG dx, LONG dy)
{
    return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

// The move along one axis that brings `at` into [start, end): none when it
// lies there already.
LONG Reach(LONG at, LONG start, LONG end)
{
    if (at < start)
        return at - start;
    if (end > start && at >= end)
        return at - (end - 1);
    return 0;
}

RECT Contain(const RECT& rect, POINT at)
{
    return Offset(rect, Reach(at.x, rect.left, rect.right), Reach(at.y, rect.top, rect.bottom));
}

bool Empty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

bool Overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The one-pixel line inside the client area along a side's edge.
RECT EdgeLine(const RECT& client, DWORD side)
{
    switch (side) {
    case CBRS_ALIGN_TOP:
        return RECT{client.left, client.top, client.right, client.top + 1};
    case CBRS_ALIGN_BOTTOM:
        return RECT{client.left, client.bottom - 1, client.right, client.bottom};
    case CBRS_ALIGN_LEFT:
        return RECT{client.left, client.top, client.left + 1, client.bottom};
    default:
        return RECT{client.right - 1, client.top, client.right, client.bottom};
    }
}

bool IsRowSide(DWORD side)
{
    return side == CBRS_ALIGN_TOP || side == CBRS_ALIGN_BOTTOM;
}

// How far inward from the side's edge a coordinate lies, doubled so that
// a middle needs no rounding.
int64_t Depth2(DWORD side, LONG a, LONG b)
{
    const int64_t sum = int64_t(a) + b;
    return side == CBRS_ALIGN_BOTTOM || side == CBRS_ALIGN_RIGHT ? -sum : sum;
}

}  // namespace

DragShapes StartShapes(const BarShape& bar, POINT grab)
{
    const POINT barOrigin = {bar.window.left, bar.window.top};
    const RECT& in = bar.frameInsets;
    const SIZE frameSize = {bar.floating.cx + in.left + in.right, bar.floating.cy + in.top + in.bottom};
    const RECT floating =
        bar.isFloating ? bar.floatingWindow : At(FloatingOrigin(bar.window, bar.frameInsets), frameSize);
    return DragShapes{Contain(At(barOrigin, bar.horz), grab), Contain(At(barOrigin, bar.vert), grab),
                      Contain(floating, grab)};
}

DragShapes MoveShapes(const DragShapes& shapes, POINT from, POINT to)
{
    const LONG dx = to.x - from.x, dy = to.y - from.y;
    return DragShapes{Offset(shapes.horz, dx, dy), Offset(shapes.vert, dx, dy), Offset(shapes.floating, dx, dy)};
}

int SideIndex(DWORD side)
{
    for (int n = 0; n < 4; ++n)
        if (kSides[n] == side)
            return n;
    return -1;
}

DWORD DockSideAt(const DragShapes& shapes, const DockSite& site)
{
    for (int n = 0; n < 4; ++n) {
        const DWORD side = kSides[n];
        if (!(site.sides & side))
            continue;
        const RECT& band = Empty(site.bands[n]) ? EdgeLine(site.client, side) : site.bands[n];
        if (Overlap(IsRowSide(side) ? shapes.horz : shapes.vert, band))
            return side;
    }
    return 0;
}

RECT ShapeFor(const DragShapes& shapes, DWORD side)
{
    if (!side)
        return shapes.floating;
    return IsRowSide(side) ? shapes.horz : shapes.vert;
}

size_t LandingRow(DWORD side, const RECT& drop, const std::vector<RECT>& rows)
{
    const bool row = IsRowSide(side);
    const LONG lead = side == CBRS_ALIGN_BOTTOM ? drop.bottom
                      : side == CBRS_ALIGN_RIGHT ? drop.right
                      : row                      ? drop.top
                                                 : drop.left;
    const int64_t leading = Depth2(side, lead, lead);
    size_t before = 0;
    for (const RECT& r : rows)
        if (Depth2(side, row ? r.top : r.left, row ? r.bottom : r.right) < leading)
            ++before;
    return before;
}

DWORD StyleDockedAt(DWORD barStyle, DWORD side)
{
    DWORD inner = 0;
    switch (side) {
    case CBRS_ALIGN_TOP:
        inner = CBRS_BORDER_BOTTOM;
        break;
    case CBRS_ALIGN_BOTTOM:
        inner = CBRS_BORDER_TOP;
        break;
    case CBRS_ALIGN_LEFT:
        inner = CBRS_BORDER_RIGHT;
        break;
    case CBRS_ALIGN_RIGHT:
        inner = CBRS_BORDER_LEFT;
        break;
    default:
        return barStyle;
    }
    const DWORD borders = (barStyle & CBRS_BORDER_ANY) ? inner : 0;
    return (barStyle & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY)) | side | borders;
}

bool PastDragThreshold(POINT press, POINT now, SIZE threshold)
{
    // The threshold is the whole box's size, centred on the press.
    return std::llabs(int64_t(now.x) - press.x) > threshold.cx / 2 ||
           std::llabs(int64_t(now.y) - press.y) > threshold.cy / 2;
}

POINT FloatingOrigin(const RECT& barWindow, const RECT& frameInsets)
{
    return POINT{barWindow.left - frameInsets.left, barWindow.top - frameInsets.top};
}

}  // namespace dock
