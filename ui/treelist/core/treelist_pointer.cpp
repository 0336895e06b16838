#include "ui/treelist/core/treelist_pointer.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kControlFactor = 9;
constexpr int kShiftFactor = 3;
constexpr int kMaxSpeed = 11;
constexpr int kTicksAtRest = 12;  // a line every 12 - speed ticks
constexpr int kInsideSpeedBonus = 2;
constexpr int kOutsideSpeedDivisor = 3;

}  // namespace

bool TreeListDragThresholdCrossed(POINT press, POINT now)
{
    return std::abs(now.x - press.x) > kTreeListDragThreshold || std::abs(now.y - press.y) > kTreeListDragThreshold;
}

bool TreeListIsOwnDoubleClick(uint32_t previousTick, POINT previous, uint32_t nowTick, POINT now)
{
    if (previousTick == 0)
        return false;
    const int distance = std::abs(now.x - previous.x) + std::abs(now.y - previous.y);
    return nowTick - previousTick < kTreeListDoubleClickMs && distance <= kTreeListDoubleClickDistance;
}

int TreeListWheelRows(int& remainder, int delta, WPARAM keys)
{
    if ((remainder < 0 && delta > 0) || (remainder > 0 && delta < 0))
        remainder = 0;
    const int total = remainder + delta;
    const int steps = total / kTreeListWheelStep;
    remainder = total - steps * kTreeListWheelStep;
    const int factor = (keys & MK_CONTROL) ? kControlFactor : (keys & MK_SHIFT) ? kShiftFactor : 1;
    return steps * factor;
}

uint32_t TreeListWheelFirstRow(uint32_t firstRow, int rows, uint32_t rowCount, uint32_t visibleCount)
{
    const int64_t limit = std::max<int64_t>(int64_t(rowCount) - int64_t(visibleCount) + 1, 0);
    return uint32_t(std::clamp<int64_t>(int64_t(firstRow) - rows, 0, limit));
}

int TreeListAutoScrollTick(const TreeListAutoScrollInput& in, uint32_t& ticks)
{
    const bool inside = (in.mode & kTreeListAutoScrollInside) != 0;
    int direction, distance;
    if (in.cursor.y < in.clientHeight / 2) {
        direction = -1;
        distance = in.headerHeight - in.cursor.y;
        if (inside && in.cursor.y < 0)
            return 0;
    } else {
        direction = 1;
        distance = in.cursor.y - in.clientHeight + 1;
        if (inside && distance > 1)
            return 0;
    }
    if (in.mode & kTreeListAutoScrollImages) {
        if (in.cursor.x < 0 || in.cursor.x >= in.imageWidth)
            return 0;
        distance += in.rowHeight;
    }
    if (distance < 0)
        return 0;
    const int speed = std::min(inside ? distance + kInsideSpeedBonus : distance / kOutsideSpeedDivisor, kMaxSpeed);
    if (++ticks < uint32_t(kTicksAtRest - speed))
        return 0;
    ticks = 0;
    return direction;
}
