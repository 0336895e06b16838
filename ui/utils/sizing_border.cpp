#include "ui/utils/sizing_border.h"

namespace {

int CornerZone(int side)
{
    return side < 2 * kCornerZone ? side / 2 : kCornerZone;
}

}  // namespace

int SizingCursorOf(int edges)
{
    switch (edges) {
    case kEdgeLeft:
    case kEdgeRight:
        return kCursorSizeWE;
    case kEdgeTop:
    case kEdgeBottom:
        return kCursorSizeNS;
    case kEdgeLeft | kEdgeTop:
    case kEdgeRight | kEdgeBottom:
        return kCursorSizeNWSE;
    case kEdgeRight | kEdgeTop:
    case kEdgeLeft | kEdgeBottom:
        return kCursorSizeNESW;
    default:
        return 0;
    }
}

int HitTestSizingBorder(const RECT& rect, int x, int y, int border, int edgeMask, int* cursor)
{
    if (cursor != nullptr)
        *cursor = 0;
    const int inside = border < 0 ? -border : border;
    const int outside = border < 0 ? -border : 0;
    if (inside == 0 || x < rect.left - outside || x >= rect.right + outside || y < rect.top - outside ||
        y >= rect.bottom + outside)
        return 0;
    int edges = 0;
    if (x < rect.left + inside)
        edges |= kEdgeLeft;
    else if (x >= rect.right - inside)
        edges |= kEdgeRight;
    if (y < rect.top + inside)
        edges |= kEdgeTop;
    else if (y >= rect.bottom - inside)
        edges |= kEdgeBottom;
    if (edges == 0)
        return 0;
    // On one edge, the corner zones along it add the neighbouring edge.
    const int cornerX = CornerZone(rect.right - rect.left);
    const int cornerY = CornerZone(rect.bottom - rect.top);
    if ((edges & kEdgesHorizontal) && !(edges & kEdgesVertical)) {
        if (y < rect.top + cornerY)
            edges |= kEdgeTop;
        else if (y >= rect.bottom - cornerY)
            edges |= kEdgeBottom;
    } else if ((edges & kEdgesVertical) && !(edges & kEdgesHorizontal)) {
        if (x < rect.left + cornerX)
            edges |= kEdgeLeft;
        else if (x >= rect.right - cornerX)
            edges |= kEdgeRight;
    }
    edges &= edgeMask;
    if (cursor != nullptr)
        *cursor = SizingCursorOf(edges);
    return edges;
}
