// A window rectangle moved onto a work area: the size kept, the smallest
// move, the near edge first when it does not fit.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/framework/work_area_fit.h"

namespace {

std::vector<LONG> Fields(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// A 1024 x 738 work area below a 30-pixel task bar, and a second monitor's
// work area to the right of it.
constexpr RECT kWork = {0, 30, 1024, 768};
constexpr RECT kRight = {1024, 0, 2304, 1024};
constexpr LONG kMin = std::numeric_limits<LONG>::min();
constexpr LONG kMax = std::numeric_limits<LONG>::max();

struct FitCase {
    const char* what;
    RECT rect, area, expected;
};

TEST(FitRectInArea, MovesOntoTheAreaKeepingTheSize)
{
    const FitCase cases[] = {
        {"inside", {100, 100, 300, 200}, kWork, {100, 100, 300, 200}},
        {"touching every edge", {0, 30, 1024, 768}, kWork, {0, 30, 1024, 768}},
        {"past the right edge", {900, 100, 1100, 200}, kWork, {824, 100, 1024, 200}},
        {"past the bottom edge", {100, 700, 300, 800}, kWork, {100, 668, 300, 768}},
        {"past the right and the bottom", {1000, 760, 1200, 860}, kWork, {824, 668, 1024, 768}},
        {"left of the area", {-150, 100, 50, 200}, kWork, {0, 100, 200, 200}},
        {"over the task bar", {100, 0, 300, 100}, kWork, {100, 30, 300, 130}},
        {"wholly off the area", {-5000, -5000, -4800, -4900}, kWork, {0, 30, 200, 130}},
        {"wider than the area: the left edge", {500, 100, 1600, 200}, kWork, {0, 100, 1100, 200}},
        {"higher than the area: the top edge", {100, -50, 300, 950}, kWork, {100, 30, 300, 1030}},
        {"onto the second monitor's area", {2200, 900, 2400, 1100}, kRight, {2104, 824, 2304, 1024}},
        {"from the first monitor onto the second", {900, 100, 1100, 200}, kRight, {1024, 100, 1224, 200}},
        {"an empty area changes nothing", {900, 100, 1100, 200}, {50, 50, 50, 50}, {900, 100, 1100, 200}},
        {"a negative width is kept", {300, 100, 200, 200}, kWork, {300, 100, 200, 200}},
        {"the widest rectangle does not overflow", {kMin, 100, kMax, 200}, kWork,
         {0, 100, kMax, 200}},
        {"far past the right does not overflow", {kMax - 10, kMax - 10, kMax, kMax}, kWork,
         {1014, 758, 1024, 768}},
    };
    for (const FitCase& c : cases)
        EXPECT_EQ(Fields(FitRectInArea(c.rect, c.area)), Fields(c.expected)) << c.what;
}

}  // namespace
