// The arithmetic of the pointer behaviours of the TreeList window: the drag
// threshold, the control's own double click, the wheel and the automatic
// scrolling near the edges. Portable, so it is tested on both builds.
#pragma once

#include "platform/win32/commctrl_types.h"

#include <cstdint>

// A move starts a drag when it lies more than this many pixels from the
// press in x or in y.
constexpr int kTreeListDragThreshold = 2;
// A second press counts as a double click within this time and this sum of
// the x and y distances (while the item tooltip may swallow the system's).
constexpr uint32_t kTreeListDoubleClickMs = 700;
constexpr int kTreeListDoubleClickDistance = 6;
// Wheel units per scrolled row (2 rows per notch of 120).
constexpr int kTreeListWheelStep = 60;

bool TreeListDragThresholdCrossed(POINT press, POINT now);
bool TreeListIsOwnDoubleClick(uint32_t previousTick, POINT previous, uint32_t nowTick, POINT now);

// Rows to scroll for a wheel delta; units below one step are kept in
// remainder for the next message (a turn in the other direction drops them).
int TreeListWheelRows(int& remainder, int delta, WPARAM keys);
// The first shown row after scrolling by rows (positive = up), limited to
// 0..rowCount - visibleCount + 1.
uint32_t TreeListWheelFirstRow(uint32_t firstRow, int rows, uint32_t rowCount, uint32_t visibleCount);

struct TreeListAutoScrollInput {
    POINT cursor;  // client coordinates
    int32_t clientHeight;
    int32_t headerHeight;
    int32_t imageWidth;
    int32_t rowHeight;
    uint32_t mode;  // TLM_SETAUTOSCROLL's mode byte
};
constexpr uint32_t kTreeListAutoScrollInside = 0x01;  // only from inside the window, faster
constexpr uint32_t kTreeListAutoScrollImages = 0x02;  // only over the image column
// One tick of the automatic scrolling: -1 scroll up a line, 1 down, 0 not
// now. ticks counts the ticks since the last line.
int TreeListAutoScrollTick(const TreeListAutoScrollInput& in, uint32_t& ticks);
