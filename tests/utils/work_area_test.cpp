// Windows kept inside a work area: where a rectangle goes, and how far a
// window may grow.
#include "ui/utils/work_area.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

// Internal to this file, found by lookup in RECT's (the global) namespace.
static bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static void PrintTo(const RECT& r, std::ostream* os)
{
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

// 800 x 600 with a 30-pixel task bar at the bottom; a second monitor left of
// the main one.
const RECT kSmall = {0, 0, 800, 570};
const RECT kLeftMonitor = {-1280, -200, 0, 824};

TEST(WorkArea, RectanglesAreMovedInsideByTheLeastAmount)
{
    const struct {
        const char* what;
        RECT rect, area, expected;
    } cases[] = {
        {"inside stays", {100, 50, 500, 250}, kSmall, {100, 50, 500, 250}},
        {"touching the right and bottom edges stays", {400, 370, 800, 570}, kSmall, {400, 370, 800, 570}},
        {"the same size as the area", {-5, -5, 795, 565}, kSmall, {0, 0, 800, 570}},
        {"off the right: moved left", {600, 100, 1397, 250}, kSmall, {3, 100, 800, 250}},
        {"under the task bar: moved up", {100, 500, 500, 600}, kSmall, {100, 470, 500, 570}},
        {"off the left and top: moved right and down", {-40, -12, 360, 188}, kSmall, {0, 0, 400, 200}},
        {"off the right and bottom", {700, 560, 900, 660}, kSmall, {600, 470, 800, 570}},
        {"wider than the area: the left edge on the area's", {300, 10, 1300, 110}, kSmall, {0, 10, 1000, 110}},
        {"taller than the area: the top edge on the area's", {10, 300, 110, 1000}, kSmall, {10, 0, 110, 700}},
        {"far off every edge", {28672, 28672, 29072, 28872}, kSmall, {400, 370, 800, 570}},
        {"a monitor left of the main one", {-100, 700, 300, 900}, kLeftMonitor, {-400, 624, 0, 824}},
        {"an empty area leaves it", {600, 100, 1397, 250}, {0, 0, 0, 0}, {600, 100, 1397, 250}},
        {"a negative size leaves it", {500, 100, 400, 50}, kSmall, {500, 100, 400, 50}},
        {"the widest rectangle", {INT_MIN, 0, INT_MAX, 10}, kSmall, {0, 0, INT_MAX, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitRectIntoArea(c.rect, c.area), c.expected) << c.what;
}

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
