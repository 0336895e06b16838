// Windows kept inside a work area: how far a window may grow (where its
// rectangle goes is FitRectInArea's, tested with the framework).
#include "ui/utils/work_area.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(WorkArea, GrowthIsLimitedToWhatFits)
{
    const struct {
        int width, growth, areaWidth, expected;
    } cases[] = {
        {354, 177, 1280, 177},  // fits
        {531, 265, 800, 265},   // exactly to the edge
        {531, 270, 800, 269},   // one pixel too much
        {600, 300, 800, 200},   // cut to the area
        {900, 450, 800, 0},     // already too wide: no growth
        {800, 10, 800, 0},
        {354, -177, 800, -177}, // a shrinking is as asked
        {354, 0, 800, 0},
        {354, 5000, 0, 5000},   // no area known
        {1, INT_MAX, INT_MAX, INT_MAX - 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitGrowth(c.width, c.growth, c.areaWidth), c.expected)
            << c.width << " + " << c.growth << " in " << c.areaWidth;
}

}  // namespace
