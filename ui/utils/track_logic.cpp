#include "ui/utils/track_logic.h"

#include "ui/utils/sizing_border.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>

namespace {

constexpr int kSlopeScale = 100;
constexpr int kSteepSlope = 240;  // beyond: straight up or down
constexpr int kFlatSlope = 40;    // within: straight left or right
constexpr int kStepShift = 4;

int Code(int h, int v)
{
    return h * 3 + v;
}

}  // namespace

int AutoScrollDirection(int dx, int dy, int axes)
{
    if (dx == 0)
        dx = 1;
    if (dy == 0)
        dy = 1;
    if ((long long)dx * dx + (long long)dy * dy < kAutoScrollDeadZone * kAutoScrollDeadZone)
        return kScrollNone;
    const long long slope = (long long)dy * kSlopeScale / dx;
    int h, v;
    if (slope <= -kSteepSlope)
        h = kScrollNone, v = dx < 0 ? kScrollTowardsLarger : kScrollTowardsSmaller;
    else if (slope <= -kFlatSlope)
        h = dx < 0 ? kScrollTowardsSmaller : kScrollTowardsLarger, v = dx < 0 ? kScrollTowardsLarger : kScrollTowardsSmaller;
    else if (slope <= kFlatSlope)
        h = dx < 0 ? kScrollTowardsSmaller : kScrollTowardsLarger, v = kScrollNone;
    else if (slope <= kSteepSlope)
        h = dx < 0 ? kScrollTowardsSmaller : kScrollTowardsLarger, v = dx < 0 ? kScrollTowardsSmaller : kScrollTowardsLarger;
    else
        h = kScrollNone, v = dx < 0 ? kScrollTowardsSmaller : kScrollTowardsLarger;
    if (!(axes & kAxisVertical))
        v = kScrollNone;
    if (!(axes & kAxisHorizontal))
        h = kScrollNone;
    return Code(h, v);
}

int AutoScrollStep(int dx, int dy, int axes)
{
    const long long step = ((axes & kAxisHorizontal) ? std::llabs(dx) >> kStepShift : 0) +
                           ((axes & kAxisVertical) ? std::llabs(dy) >> kStepShift : 0);
    return step > 0x7FFFFFFF ? 0x7FFFFFFF : int(step);
}

int WidenScrollPosition(int current, unsigned low16)
{
    const long long base = (long long)current - (current & 0xFFFF) + (low16 & 0xFFFF);
    long long best = base;
    for (long long candidate : {base - 0x10000, base + 0x10000})
        if (std::llabs(candidate - current) < std::llabs(best - current))
            best = candidate;
    return best < INT32_MIN ? INT32_MIN : best > INT32_MAX ? INT32_MAX : int(best);
}

int TrackSizeEdges(const RECT& rect, int x, int y, int minWidth, int minHeight, int sizingBand)
{
    const int moveMask = (minWidth < 0 ? kEdgesHorizontal : 0) | (minHeight < 0 ? kEdgesVertical : 0);
    if (moveMask != 0)
        return moveMask;
    return HitTestSizingBorder(rect, x, y, sizingBand, kEdgesAll, nullptr);
}

namespace {

// One axis of a sizing drag: both edges move together, or the low or high
// edge alone stops where the extent would drop below the minimum.
void ApplyAxis(LONG& low, LONG& high, int lowBit, int highBit, int edges, int delta, int minimum)
{
    const LONG startLow = low, startHigh = high;
    if ((edges & (lowBit | highBit)) == (lowBit | highBit)) {
        low += delta;
        high += delta;
    } else if (edges & lowBit) {
        low = startLow + delta > startHigh - minimum ? startHigh - minimum : startLow + delta;
    } else if (edges & highBit) {
        high = startHigh + delta < startLow + minimum ? startLow + minimum : startHigh + delta;
    }
}

}  // namespace

RECT TrackSizeApply(const RECT& start, int edges, int dx, int dy, int minWidth, int minHeight)
{
    RECT r = start;
    ApplyAxis(r.left, r.right, kEdgeLeft, kEdgeRight, edges, dx, minWidth < 0 ? 0 : minWidth);
    ApplyAxis(r.top, r.bottom, kEdgeTop, kEdgeBottom, edges, dy, minHeight < 0 ? 0 : minHeight);
    return r;
}

int ClampSplitter(int low, int high, int barWidth, int position)
{
    const int last = high - barWidth;
    if (last <= low)
        return low;
    if (position == kSplitterCentre)
        return low + (last - low) / 2;
    return position < low ? low : position > last ? last : position;
}
