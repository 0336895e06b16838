// A window rectangle moved onto a work area: the size kept, the smallest
// move, the near edge first when it does not fit; and cut to the area's
// size where it is larger. One table for every window that keeps inside its
// monitor's work area (the floating bars, the dialogs that grow, the choice
// dialogs), one for those that open at most as large as the area; each row
// is a test of its own.
#include <gtest/gtest.h>

#include <cctype>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "platform/framework/work_area_fit.h"

namespace {

std::vector<LONG> Fields(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// A 1024 x 738 work area below a 30-pixel task bar and a second monitor's
// work area to the right of it; an 800 x 600 screen with a 30-pixel task bar
// at the bottom, a monitor left of it and one right of a 1280-wide one.
constexpr RECT kWork = {0, 30, 1024, 768};
constexpr RECT kRightOfWork = {1024, 0, 2304, 1024};
constexpr RECT kSmall = {0, 0, 800, 570};
constexpr RECT kLeftMonitor = {-1280, -200, 0, 824};
constexpr RECT kRightMonitor = {1280, 0, 2560, 1024};
constexpr LONG kMin = std::numeric_limits<LONG>::min();
constexpr LONG kMax = std::numeric_limits<LONG>::max();

struct FitCase {
    const char* what;
    RECT rect, area, expected;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.what; }

const FitCase kCases[] = {
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
    {"onto the second monitor's area", {2200, 900, 2400, 1100}, kRightOfWork, {2104, 824, 2304, 1024}},
    {"from the first monitor onto the second", {900, 100, 1100, 200}, kRightOfWork, {1024, 100, 1224, 200}},
    {"an empty area changes nothing", {900, 100, 1100, 200}, {50, 50, 50, 50}, {900, 100, 1100, 200}},
    {"a negative width is kept", {300, 100, 200, 200}, kWork, {300, 100, 200, 200}},
    // Each side on its own: a negative width leaves x, the height is fitted.
    {"a negative width past the bottom: only the height fitted", {300, 700, 200, 800}, kWork, {300, 668, 200, 768}},
    {"the widest rectangle does not overflow", {kMin, 100, kMax, 200}, kWork, {0, 100, kMax, 200}},
    {"far past the right does not overflow", {kMax - 10, kMax - 10, kMax, kMax}, kWork, {1014, 758, 1024, 768}},
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
    {"the widest rectangle", {kMin, 0, kMax, 10}, kSmall, {0, 0, kMax, 10}},
    {"a choice dialog inside", {10, 20, 410, 320}, kSmall, {10, 20, 410, 320}},
    {"a choice dialog off the right and the bottom", {600, 400, 1000, 700}, kSmall, {400, 270, 800, 570}},
    {"a choice dialog off the left and the top", {-20, -20, 380, 280}, kSmall, {0, 0, 400, 300}},
    {"a choice dialog wider and higher than the area", {-50, 100, 850, 700}, kSmall, {0, 0, 900, 600}},
    {"a choice dialog far right of the area", {1700, 50, 2100, 350}, kSmall, {400, 50, 800, 350}},
    {"a choice dialog on a monitor right of the first", {2400, 900, 2700, 1100}, kRightMonitor,
     {2260, 824, 2560, 1024}},
};

// A row's test name: its words run together, each begun in capitals.
std::string NameOf(const testing::TestParamInfo<FitCase>& info)
{
    std::string name;
    bool wordStart = true;
    for (const char* c = info.param.what; *c; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c))) {
            wordStart = true;
            continue;
        }
        name += wordStart ? char(std::toupper(static_cast<unsigned char>(*c))) : *c;
        wordStart = false;
    }
    return name;
}

class WorkAreaFit : public testing::TestWithParam<FitCase> {};

TEST_P(WorkAreaFit, MovesOntoTheAreaKeepingTheSize)
{
    const FitCase& c = GetParam();
    EXPECT_EQ(Fields(FitRectInArea(c.rect, c.area)), Fields(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, WorkAreaFit, testing::ValuesIn(kCases), NameOf);

// A window that would open larger than the work area takes the area's size,
// side by side; its left and top stay (FitRectInArea moves it after).
const FitCase kCutCases[] = {
    {"smaller stays", {100, 100, 300, 200}, kSmall, {100, 100, 300, 200}},
    {"the area's size stays", {-5, -5, 795, 565}, kSmall, {-5, -5, 795, 565}},
    {"higher: the area's height, the top kept", {0, 0, 649, 736}, kSmall, {0, 0, 649, 570}},
    {"wider: the area's width, the left kept", {300, 10, 1300, 110}, kSmall, {300, 10, 1100, 110}},
    {"wider and higher than an area below a task bar", {150, 60, 1250, 900}, kWork, {150, 60, 1174, 798}},
    {"an empty area leaves it", {0, 0, 900, 700}, {0, 0, 0, 0}, {0, 0, 900, 700}},
    {"a negative width is kept, the height cut", {300, 0, 200, 800}, kSmall, {300, 0, 200, 570}},
    {"the widest rectangle does not overflow", {kMin, 0, kMax, 10}, kSmall, {kMin, 0, kMin + 800, 10}},
};

class WorkAreaCut : public testing::TestWithParam<FitCase> {};

TEST_P(WorkAreaCut, TakesTheAreasSizeWhereLarger)
{
    const FitCase& c = GetParam();
    EXPECT_EQ(Fields(CutRectToAreaSize(c.rect, c.area)), Fields(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, WorkAreaCut, testing::ValuesIn(kCutCases), NameOf);

}  // namespace
