// The progress dialog's arithmetic without windows: the bar's range and
// position, the taskbar's phases, the rate of text lines, the path line.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <tuple>
#include <vector>

#include "ui/dialogs/progress_dlg_logic.h"

namespace {

constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

TEST(ProgressScale, RangeHeadroomAndShift)
{
    const std::tuple<int64_t, int64_t, int> cases[] = {{0, 1, 0},       {-7, 1, 0},      {512, 512, 0},      {513, 515, 0},
                                                       {1024, 1028, 1}, {8192, 8224, 4}, {kMax64, kMax64, 53}};
    for (const auto& [total, expected, shift] : cases) {
        const ProgressRange range = ComputeProgressRange(total);
        EXPECT_EQ(std::make_tuple(range.total, range.shift), std::make_tuple(expected, shift)) << total;
    }
}

// Operation ('R' range, 'P' position, 'S' step, 'F' start), value, whether
// the bar needs a post, the scaled position and bar maximum afterwards.
typedef std::tuple<char, int64_t, bool, int, int> ScaleStep;

void RunScale(const std::vector<ScaleStep>& steps)
{
    ProgressScale scale;
    for (size_t i = 0; i < steps.size(); ++i) {
        const auto& [op, value, posts, scaled, barMax] = steps[i];
        const bool posted = op == 'R' ? scale.SetRange(value) : op == 'P' ? scale.SetPos(value)
                          : op == 'S' ? scale.StepPos() : (scale.SetStart(value), false);
        EXPECT_EQ(std::make_tuple(posted, scale.Scaled(), scale.BarMax()), std::make_tuple(posts, scaled, barMax))
            << "step " << i;
    }
}

TEST(ProgressScale, PositionsPostOnlyOnChangeAndRescaleFromTheRelativePosition)
{
    RunScale({{'P', 0, false, 0, 1},       {'R', 8192, true, 0, 514},     {'R', 8192, false, 0, 514},
              {'P', 4096, true, 256, 514}, {'P', 4100, false, 256, 514},  {'S', 0, false, 256, 514},
              {'P', 8191, true, 511, 514}, {'P', 8192, true, 514, 514},   {'P', 100000, false, 514, 514},
              {'P', 4096, true, 256, 514}, {'R', 65536, true, 32, 514},  // 4096 >> 7, not 256 >> 7
              {'P', -5, true, 0, 514}});
    RunScale({{'F', 1000, false, 0, 1}, {'R', 8192, true, 0, 514}, {'P', 5096, true, 256, 514},
              {'P', std::numeric_limits<int64_t>::min(), true, 0, 514}});
}

TEST(TaskbarProgress, PhasesNeverGoBackAndHoldUntilTheNextPhase)
{
    // scaled, max, phase -> update, value, holding; two phases of 1024.
    const std::tuple<int64_t, int64_t, int, bool, uint64_t, bool> steps[] = {
        {512, 1024, 0, true, 512, false},  {1024, 1024, 0, true, 1024, false},
        {10, 1024, 0, false, 1024, true},  // a new phase not announced yet
        {20, 1024, 1, false, 1024, true},  {512, 1024, 1, true, 1536, false},
        {100, 1024, 1, false, 1536, false}, {1024, 0, 1, true, 2048, false},  // a max of 0 counts as 1
    };
    TaskbarProgress taskbar;
    for (const auto& [scaled, max, phase, update, value, hold] : steps) {
        const TaskbarValue v = taskbar.Next(scaled, max, phase, 2);
        EXPECT_EQ(std::make_tuple(v.update, v.value, v.maximum, taskbar.Holding()),
                  std::make_tuple(update, value, uint64_t(2048), hold))
            << scaled;
    }
    const TaskbarValue plain = taskbar.Next(7, 10, 0, 0);
    EXPECT_EQ(std::make_tuple(plain.update, plain.value, plain.maximum), std::make_tuple(true, uint64_t(7), uint64_t(10)));
}

TEST(LineThrottle, ShowsEvery80MsAndAsksForTheTimerOnce)
{
    LineThrottle throttle;
    throttle.Reset(1000);
    const std::tuple<int, uint32_t, LineThrottle::Action> steps[] = {
        {0, 1000, LineThrottle::kShowNow}, {0, 1010, LineThrottle::kStartTimer}, {0, 1050, LineThrottle::kPending},
        {1, 1050, LineThrottle::kShowNow}, {1, 1060, LineThrottle::kPending},    {0, 1080, LineThrottle::kShowNow},
        {0, 0xFFFFFFF0u, LineThrottle::kShowNow},  // the tick count wraps
    };
    for (const auto& [line, now, action] : steps)
        EXPECT_EQ(throttle.OnText(line, now), action) << line << " at " << now;
    EXPECT_TRUE(throttle.TakePending(1));
    EXPECT_FALSE(throttle.TakePending(1));
    EXPECT_FALSE(throttle.TakePending(0));  // shown since it was left pending
}

TEST(ProgressPathLine, PlaceholderCharacterOrPosition)
{
    const struct {
        const char* format;
        int placeholder;
        int before;
        const char* after;
    } cases[] = {
        {"Lade * jetzt", '*', 5, " jetzt"}, {"Lade", '*', 4, ""},     {"ab*c*", '*', 2, "c*"},
        {"Datei: ", -6, 6, " "},            {"kurz", -99, 4, ""},     {"vorn", 0, 0, "vorn"},
        {"x\xFCy", 0xFC, 1, "y"},          {"ab", 0x1FC, 2, ""},
    };
    for (const auto& c : cases) {
        const char* after = nullptr;
        EXPECT_EQ(SplitPathFormat(c.format, c.placeholder, &after), c.before) << c.format;
        EXPECT_STREQ(after, c.after) << c.format;
    }
}

// The remembered place is used when its left lies strictly between the
// monitor's left - 100 and right - 100 and its top strictly between the
// monitor's top - 10 and bottom - 100; then it stays as it is, but for the
// height a growth added. Other places are kept in the work area.
TEST(ProgressPlace, RememberedPlaceByItsRuleWorkAreaForTheRest)
{
    const RECT monitor = {0, 0, 1024, 768}, right = {1024, 0, 2048, 768};
    const struct {
        POINT at;
        const RECT& on;
        bool usable;
    } places[] = {
        {{-100, 50}, monitor, false}, {{-99, 50}, monitor, true},   {{924, 50}, monitor, false},
        {{923, 50}, monitor, true},   {{50, -10}, monitor, false},  {{50, -9}, monitor, true},
        {{50, 668}, monitor, false},  {{50, 667}, monitor, true},   {{924, 50}, right, false},
        {{925, 50}, right, true},     {{1947, 50}, right, true},    {{1948, 50}, right, false},
    };
    for (const auto& p : places)
        EXPECT_EQ(ProgressPlaceUsable({p.at.x, p.at.y, p.at.x + 300, p.at.y + 120}, p.on), p.usable)
            << p.at.x << "," << p.at.y << " on " << p.on.left;

    const RECT area = {0, 0, 1024, 728};  // a taskbar below
    const struct {
        const char* name;
        POINT at;
        bool byRule, grown;
        POINT expected;
    } kept[] = {
        {"no rule: into the area", {-99, 700}, false, false, {0, 608}},
        {"no rule, grown", {1000, 50}, false, true, {724, 50}},
        {"the rule's place", {-99, 667}, true, false, {-99, 667}},
        {"the rule's place, grown: the height kept", {-99, 667}, true, true, {-99, 608}},
        {"the rule's place at the top, grown", {923, -9}, true, true, {923, 0}},
    };
    for (const auto& k : kept) {
        const RECT placed = ProgressKeptPlace({k.at.x, k.at.y, k.at.x + 300, k.at.y + 120}, k.byRule, k.grown, area);
        EXPECT_EQ(std::vector<LONG>({placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top}),
                  std::vector<LONG>({k.expected.x, k.expected.y, 300, 120}))
            << k.name;
    }
}

}  // namespace
