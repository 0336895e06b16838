// Which edges of a sizing border a point is on, and the cursor for them.
#pragma once

#include "platform/win32/win.h"

// Edge bits; corners combine them (5, 6, 9, 10).
constexpr int kEdgeLeft = 1;
constexpr int kEdgeRight = 2;
constexpr int kEdgeTop = 4;
constexpr int kEdgeBottom = 8;
constexpr int kEdgesHorizontal = kEdgeLeft | kEdgeRight;  // edge mask 3
constexpr int kEdgesVertical = kEdgeTop | kEdgeBottom;    // edge mask 12
constexpr int kEdgesAll = 15;
// A corner zone is this long, or half the side on a side below twice that.
constexpr int kCornerZone = 20;

// The system cursor ids (IDC_SIZE*) the edges show.
constexpr int kCursorSizeNWSE = 32642;
constexpr int kCursorSizeNESW = 32643;
constexpr int kCursorSizeWE = 32644;
constexpr int kCursorSizeNS = 32645;

// The edge code of (x, y) on the band of `border` pixels inside the
// rectangle's edges (a negative border: |border| pixels on both sides of
// each edge). Only the bits of edgeMask count. 0 outside the band; *cursor
// (when given) gets the cursor id, or 0.
int HitTestSizingBorder(const RECT& rect, int x, int y, int border, int edgeMask, int* cursor);

// The cursor id of an edge code, 0 for none.
int SizingCursorOf(int edges);
