// The dialogs' decisions without windows: progress arithmetic, input
// numbers and widths, grouped numbers, dates and times.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/framework/time_value.h"
#include "ui/dialogs/ddx_text.h"
#include "ui/dialogs/input_number.h"
#include "ui/dialogs/progress_scale.h"

namespace {

constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

struct RangeCase {
    int64_t total;
    int64_t expectTotal;
    int shift;
};
const RangeCase kRanges[] = {
    {0, 1, 0},       {-7, 1, 0},    {512, 512, 0}, {513, 515, 0}, {1024, 1028, 1},
    {8192, 8224, 4}, {kMax64, kMax64, 53},
};

TEST(ProgressScale, RangeHeadroomAndShift)
{
    for (const RangeCase& c : kRanges) {
        const ProgressRange range = ComputeProgressRange(c.total);
        EXPECT_EQ(range.total, c.expectTotal) << c.total;
        EXPECT_EQ(range.shift, c.shift) << c.total;
        EXPECT_LE(range.total >> range.shift, kProgressBarSteps) << c.total;
    }
}

// Each step: an operation, whether it asks for a post, the bar afterwards.
struct ScaleStep {
    char op;  // 'R' range, 'P' position, 'S' step, 'F' start
    int64_t value;
    bool posts;
    int scaled;
    int barMax;
};

void RunScale(const std::vector<ScaleStep>& steps)
{
    ProgressScale scale;
    for (size_t i = 0; i < steps.size(); ++i) {
        const ScaleStep& s = steps[i];
        bool posted = false;
        switch (s.op) {
        case 'R': posted = scale.SetRange(s.value); break;
        case 'P': posted = scale.SetPos(s.value); break;
        case 'S': posted = scale.StepPos(); break;
        case 'F': scale.SetStart(s.value); break;
        }
        EXPECT_EQ(posted, s.posts) << "step " << i;
        EXPECT_EQ(scale.Scaled(), s.scaled) << "step " << i;
        EXPECT_EQ(scale.BarMax(), s.barMax) << "step " << i;
    }
}

TEST(ProgressScale, PositionsPostOnlyOnChangeAndRescaleFromTheRelativePosition)
{
    RunScale({
        {'P', 0, false, 0, 1},
        {'R', 8192, true, 0, 514},
        {'R', 8192, false, 0, 514},  // the same total: no request
        {'P', 4096, true, 256, 514},
        {'P', 4100, false, 256, 514},  // same scaled value: one post
        {'S', 0, false, 256, 514},
        {'P', 8191, true, 511, 514},
        {'P', 8192, true, 514, 514},  // at the clip limit: full
        {'P', 100000, false, 514, 514},
        {'P', 4096, true, 256, 514},
        {'R', 65536, true, 32, 514},  // rescaled once: 4096 >> 7, not 256 >> 7
        {'P', -5, true, 0, 514},      // below the start counts as 0
    });
    RunScale({
        {'F', 1000, false, 0, 1},
        {'R', 8192, true, 0, 514},
        {'P', 5096, true, 256, 514},
        {'P', std::numeric_limits<int64_t>::min(), true, 0, 514},
    });
}

struct TaskbarStep {
    int64_t scaled, max;
    int phase;
    bool update;
    uint64_t value;
    bool hold;
};

TEST(TaskbarProgress, PhasesNeverGoBackAndHoldUntilTheNextPhase)
{
    const TaskbarStep steps[] = {
        {512, 1024, 0, true, 512, false},   {1024, 1024, 0, true, 1024, false},
        {10, 1024, 0, false, 1024, true},  // a new phase not yet announced: hold
        {20, 1024, 1, false, 1024, true},  // still near its start
        {512, 1024, 1, true, 1536, false},  {100, 1024, 1, false, 1536, false},  // back, but not near a start
        {1024, 0, 1, true, 2048, false},                                       // a max of 0 counts as 1
    };
    TaskbarProgress taskbar;
    for (const TaskbarStep& s : steps) {
        const TaskbarValue v = taskbar.Next(s.scaled, s.max, s.phase, 2);
        EXPECT_EQ(v.update, s.update) << s.scaled;
        EXPECT_EQ(v.value, s.value) << s.scaled;
        EXPECT_EQ(v.maximum, 2048u);
        EXPECT_EQ(taskbar.Holding(), s.hold) << s.scaled;
    }
    const TaskbarValue plain = taskbar.Next(7, 10, 0, 0);
    EXPECT_TRUE(plain.update);
    EXPECT_EQ(plain.value, 7u);
    EXPECT_EQ(plain.maximum, 10u);
}

TEST(LineThrottle, ShowsEvery80MsAndAsksForTheTimerOnce)
{
    LineThrottle throttle;
    throttle.Reset(1000);
    const struct {
        int line;
        uint32_t now;
        LineThrottle::Action action;
    } steps[] = {
        {0, 1000, LineThrottle::kShowNow},    {0, 1010, LineThrottle::kStartTimer}, {0, 1050, LineThrottle::kPending},
        {1, 1050, LineThrottle::kShowNow},    {1, 1060, LineThrottle::kPending},    {0, 1080, LineThrottle::kShowNow},
        {0, 0xFFFFFFF0u, LineThrottle::kShowNow},  // the tick count wraps
    };
    for (const auto& s : steps)
        EXPECT_EQ(throttle.OnText(s.line, s.now), s.action) << s.line << " at " << s.now;
    EXPECT_TRUE(throttle.TakePending(1));
    EXPECT_FALSE(throttle.TakePending(1));
    EXPECT_FALSE(throttle.TakePending(0));  // shown since it was left pending
}

TEST(Marquee, BandMovesByOnePitchAndWraps)
{
    int lefts[kMarqueeBlocks];
    MarqueeBlockLefts(92, 0, lefts);  // 10 positions, 14 steps per round
    EXPECT_EQ(lefts[0], -40);
    EXPECT_EQ(lefts[4], 0);
    MarqueeBlockLefts(92, 13, lefts);
    EXPECT_EQ(lefts[4], 130);
    MarqueeBlockLefts(92, 14, lefts);
    EXPECT_EQ(lefts[4], 0);
}

TEST(InputNumber, BasesSignsAndLimits)
{
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"1Fh", 31},         {"0x1F", 31},        {"31", 31},          {"-0b101", -5},
        {"17o", 15},         {"0o17", 15},        {"101b", 5},         {"1bh", 27},
        {"  +12", 12},       {"\t12abc", 12},     {"xyz", 0},          {"", 0},
        {"-2147483648", std::numeric_limits<int32_t>::min()},         {"2147483648", std::numeric_limits<int32_t>::max()},
        {"-99999999999999999999", std::numeric_limits<int32_t>::min()}, {"FFFFFFFFh", -1},
        {"0x80000000", std::numeric_limits<int32_t>::min()},           {"0x1FFFFFFFF", -1},
        {"0X", 0},           {"-", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseInputNumber(c.text), c.value) << c.text;
    EXPECT_EQ(ParseInputNumber(nullptr), 0);
}

TEST(InputNumber, WidthOption)
{
    const struct {
        int width, option, change;
    } cases[] = {
        {354, int(kInputWidthMarker + 708), 354}, {354, 177, 177},     {354, -177, -177}, {354, 0, 0},
        {354, int(kInputWidthMarker), 0},         {400, 177, 200},     {400, -1, -1},     {354, -100000, -353},
        {500, int(kInputWidthMarker + 354), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InputWidthChange(c.width, c.option), c.change) << c.width << " " << c.option;
}

TEST(GroupedNumber, Format)
{
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {1234567.891, 2, "1 234 567.89"}, {999.9999, 2, "1 000.00"},   {-1234.5, 1, "-1 234.5"},
        {12.0, 0, "12"},                  {0.5, 12, "0.500000000"},    {123456789012345.0, 0, "123 456 789 012 345"},
        {-0.001, 2, "0.00"},              {-0.0, 0, "0"},              {1e17, 2, "1.00e+17"},
        {INFINITY, 2, "inf"},             {0.25 * 100, 1, "25.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGroupedDouble(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(FormatGroupedDouble(NAN, 1).find("nan") != std::string::npos, true);
}

TEST(GroupedNumber, Parse)
{
    const struct {
        const char* text;
        int decimals;
        bool ok;
        double value;
    } cases[] = {
        {"1 234,5", 2, true, 1234.5},     {"-12.345", 2, true, -12.34}, {" - 3", 0, true, -3},
        {"12x", 0, true, 12},             {"abc", 0, false, 0},         {"3 000 000 000", 0, true, 3e9},
        {"", 2, true, 0},                 {"-", 2, false, 0},           {"99999999999999999999999", 0, true, 1e23},
        {"12,5", 1, true, 12.5},
    };
    for (const auto& c : cases) {
        double value = -777;
        EXPECT_EQ(ParseGroupedDouble(c.text, c.decimals, &value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
}

// The reference: days counted one by one from Monday 1 January 1900.
TEST(DayOfWeek, MatchesACountedCalendar1900To2100)
{
    int weekday = 0;
    for (int year = 1900; year <= 2100; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= DaysInMonth(month, year); ++day) {
                ASSERT_EQ(DayOfWeek(day, month, year), weekday) << day << "." << month << "." << year;
                weekday = (weekday + 1) % 7;
            }
    EXPECT_EQ(DaysInMonth(2, 1900), 28);
    EXPECT_EQ(DaysInMonth(2, 2000), 29);
    EXPECT_EQ(DaysInMonth(2, 2100), 28);
    for (const auto& bad : {std::array<int, 3>{0, 1, 2026}, {32, 1, 2026}, {1, 0, 2026}, {1, 13, 2026}, {1, 15, 2026}})
        EXPECT_EQ(DayOfWeek(bad[0], bad[1], bad[2]), kInvalidWeekday);
    EXPECT_STREQ(WeekdayName(DayOfWeek(0, 1, 2026), false), "?? ");
}

const DateRecord kToday = {2026, 6, 15};

TEST(DateText, Parse)
{
    const struct {
        const char* text;
        int parts;
        DateRecord date;
    } cases[] = {
        {"2026-12-24", 3, {2026, 12, 24}},     {"24.12.26", 3, {2026, 12, 24}},   {"24.12.45", 3, {1945, 12, 24}},
        {"Do 24. Dez 2026", 3, {2026, 12, 24}}, {"12/24/2026", 3, {2026, 12, 24}}, {"24.März 2026", 3, {2026, 3, 24}},
        {"5.6", 2, {2026, 6, 5}},               {"31", 1, {2026, 6, 31}},          {"", 0, {2026, 6, 15}},
        {"24.September.2026", 3, {2026, 9, 24}}, {"1.2.3.4.5.6.7.8.9.10", 3, {2003, 2, 1}},
    };
    for (const auto& c : cases) {
        DateRecord date{};
        EXPECT_EQ(ParseDate(c.text, &date, kToday), c.parts) << c.text;
        EXPECT_EQ(date.year, c.date.year) << c.text;
        EXPECT_EQ(date.month, c.date.month) << c.text;
        EXPECT_EQ(date.day, c.date.day) << c.text;
    }
}

TEST(DateText, FormatParsesBackInEveryMonthLanguageAndWeekdaySetting)
{
    char text[64];
    DateRecord one{2026, 12, 24};
    EXPECT_EQ(FormatDate(text, sizeof text, one, kDateWeekday), 14);
    EXPECT_STREQ(text, "Do 24.Dez.2026");
    FormatDate(text, sizeof text, one, kDateWeekday | kDateEnglish);
    EXPECT_STREQ(text, "Th 24.Dec.2026");
    for (int flags = 0; flags < 4; ++flags)
        for (uint16_t month = 1; month <= 12; ++month) {
            const DateRecord date{2031, month, 9};
            FormatDate(text, sizeof text, date, flags);
            DateRecord back{};
            EXPECT_EQ(ParseDate(text, &back, kToday), 3) << text;
            EXPECT_EQ(back.month, month) << text;
            EXPECT_EQ(back.year, 2031) << text;
        }
    EXPECT_EQ(FormatDate(text, 5, one, 0), 4);  // cut to the buffer
    EXPECT_STREQ(text, "24.D");
}

TEST(DateText, MonthNamesAndTokens)
{
    const struct {
        const char* text;
        int month;
    } names[] = {{"M", 5}, {"Ju", 7}, {"mär", 3}, {"mar", 3}, {"  okt", 10}, {"Oct", 10}, {"Dez", 12}, {"xy", 0}, {"", 0}};
    for (const auto& n : names)
        EXPECT_EQ(ParseMonthName(n.text), n.month) << n.text;
    char tokens[24];
    EXPECT_EQ(SplitDateTokens("September 24122026 7", tokens, sizeof tokens), 3);
    EXPECT_STREQ(tokens, "Septemb");
    EXPECT_STREQ(tokens + 8, "2412202");
    EXPECT_STREQ(tokens + 16, "7");
    EXPECT_EQ(SplitDateTokens("1 2 3 4", tokens, sizeof tokens - 1), 2);  // no third slot
}

TEST(TimeText, FormatAndParse)
{
    char text[16];
    EXPECT_EQ(FormatTime(text, sizeof text, {7, 5, 9}, false), 8);
    EXPECT_STREQ(text, "07:05:09");
    EXPECT_EQ(FormatTime(text, sizeof text, {7, 5, 9}, true), 5);
    EXPECT_STREQ(text, "07:05");
    EXPECT_EQ(FormatTime(text, 5, {7, 5, 9}, true), 0);
    const TimeRecord now{13, 14, 15};
    const struct {
        const char* text;
        int parts, read;
        TimeRecord time;
    } cases[] = {{"25:61:61", 3, 3, {1, 1, 1}}, {"7:5", 3, 2, {7, 5, 15}}, {"", 3, 0, {13, 14, 15}}, {"8:9:10", 2, 2, {8, 9, 15}}};
    for (const auto& c : cases) {
        TimeRecord time{};
        EXPECT_EQ(ParseTime(c.text, &time, c.parts, now), c.read) << c.text;
        EXPECT_EQ(time.hour, c.time.hour) << c.text;
        EXPECT_EQ(time.minute, c.time.minute) << c.text;
        EXPECT_EQ(time.second, c.time.second) << c.text;
    }
}

TEST(ConditionModes, SelectorFollowsTheAllowedMask)
{
    EXPECT_EQ(ConditionSelectorIndex(5, 0b100101), 2);
    EXPECT_EQ(ConditionModeAt(2, 0b100101), 5);
    EXPECT_EQ(ConditionSelectorIndex(1, 0b100101), -1);
    EXPECT_EQ(ConditionModeAt(3, 0b100101), -1);
    for (int mode = 0; mode <= 5; ++mode)
        EXPECT_EQ(ConditionModeAt(ConditionSelectorIndex(mode, 0x3F), 0x3F), mode);
}

TEST(TimeValue, LocalTimesFrom1970Only)
{
    CTime time;
    ASSERT_TRUE(CTime::FromLocal(2026, 7, 1, 13, 14, 15, &time));
    EXPECT_EQ(time.GetYear(), 2026);
    EXPECT_EQ(time.GetMonth(), 7);
    EXPECT_EQ(time.GetDay(), 1);
    EXPECT_EQ(time.GetHour(), 13);
    EXPECT_EQ(time.GetSecond(), 15);
    EXPECT_EQ(time.GetDayOfWeek(), 4);  // Wednesday
    const CTime kept = time;
    EXPECT_FALSE(CTime::FromLocal(1945, 12, 24, 0, 0, 0, &time));
    EXPECT_FALSE(CTime::FromLocal(2026, 13, 1, 0, 0, 0, &time));
    EXPECT_TRUE(time == kept);
}

}  // namespace
