// The texts of data exchange without windows: grouped numbers, dates and
// times, as shown and as typed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

#include "ui/dialogs/ddx_text.h"

namespace {

TEST(GroupedNumber, FormatAndParse)
{
    const std::tuple<double, int, const char*> formats[] = {
        {1234567.891, 2, "1 234 567.89"}, {999.9999, 2, "1 000.00"}, {-1234.5, 1, "-1 234.5"}, {12.0, 0, "12"},
        {0.5, 12, "0.500000000"},         {123456789012345.0, 0, "123 456 789 012 345"},      {-0.001, 2, "0.00"},
        {-0.0, 0, "0"},                   {1e17, 2, "1.00e+17"},     {INFINITY, 2, "inf"},     {25, 1, "25.0"}};
    for (const auto& [value, decimals, text] : formats)
        EXPECT_EQ(FormatGroupedDouble(value, decimals), text) << value;
    EXPECT_NE(FormatGroupedDouble(NAN, 1).find("nan"), std::string::npos);
    // A NaN marks a text that must fail.
    const std::tuple<const char*, int, double> parses[] = {
        {"1 234,5", 2, 1234.5}, {"-12.345", 2, -12.34}, {" - 3", 0, -3}, {"12x", 0, 12},  {"abc", 0, NAN},
        {"-", 2, NAN},          {"", 2, 0},             {"3 000 000 000", 0, 3e9},       {"99999999999999999999999", 0, 1e23},
        {"12,5", 1, 12.5}};
    for (const auto& [text, decimals, expected] : parses) {
        double value = -777;
        EXPECT_EQ(ParseGroupedDouble(text, decimals, &value), !std::isnan(expected)) << text;
        if (!std::isnan(expected)) {
            EXPECT_DOUBLE_EQ(value, expected) << text;
        }
    }
}

// The reference: days counted one by one from Monday 1 January 1900.
TEST(DayOfWeek, MatchesACountedCalendar1900To2100)
{
    int weekday = 0;
    for (int year = 1900; year <= 2100; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= DaysInMonth(month, year); ++day, weekday = (weekday + 1) % 7)
                ASSERT_EQ(DayOfWeek(day, month, year), weekday) << day << "." << month << "." << year;
    EXPECT_EQ(std::make_tuple(DaysInMonth(2, 1900), DaysInMonth(2, 2000), DaysInMonth(2, 2100)), std::make_tuple(28, 29, 28));
    for (const auto& [day, month] : {std::pair{0, 1}, {32, 1}, {1, 0}, {1, 13}, {1, 15}})
        EXPECT_EQ(DayOfWeek(day, month, 2026), kInvalidWeekday) << day << "." << month;
    EXPECT_STREQ(WeekdayName(DayOfWeek(0, 1, 2026), false), "?? ");
}

void ExpectDate(const DateRecord& date, const DateRecord& expected, const char* text)
{
    EXPECT_EQ(std::make_tuple(date.year, date.month, date.day), std::make_tuple(expected.year, expected.month, expected.day))
        << text;
}

const DateRecord kToday = {2026, 6, 15};

TEST(DateText, Parse)
{
    const std::tuple<const char*, int, DateRecord> cases[] = {
        {"2026-12-24", 3, {2026, 12, 24}},      {"24.12.26", 3, {2026, 12, 24}},  {"24.12.45", 3, {1945, 12, 24}},
        {"Do 24. Dez 2026", 3, {2026, 12, 24}}, {"12/24/2026", 3, {2026, 12, 24}}, {"24.März 2026", 3, {2026, 3, 24}},
        {"5.6", 2, {2026, 6, 5}},               {"31", 1, {2026, 6, 31}},          {"", 0, {2026, 6, 15}},
        {"24.September.2026", 3, {2026, 9, 24}}, {"1.2.3.4.5.6.7.8.9.10", 3, {2003, 2, 1}}};
    for (const auto& [text, parts, expected] : cases) {
        DateRecord date{};
        EXPECT_EQ(ParseDate(text, &date, kToday), parts) << text;
        ExpectDate(date, expected, text);
    }
}

TEST(DateText, FormatParsesBackInEveryMonthLanguageAndWeekdaySetting)
{
    char text[64];
    EXPECT_EQ(FormatDate(text, sizeof text, {2026, 12, 24}, kDateWeekday), 14);
    EXPECT_STREQ(text, "Do 24.Dez.2026");
    FormatDate(text, sizeof text, {2026, 12, 24}, kDateWeekday | kDateEnglish);
    EXPECT_STREQ(text, "Th 24.Dec.2026");
    for (int flags = 0; flags < 4; ++flags)
        for (uint16_t month = 1; month <= 12; ++month) {
            FormatDate(text, sizeof text, {2031, month, 9}, flags);
            DateRecord back{};
            EXPECT_EQ(ParseDate(text, &back, kToday), 3) << text;
            ExpectDate(back, {2031, month, 9}, text);
        }
    EXPECT_EQ(FormatDate(text, 5, {2026, 12, 24}, 0), 4);  // cut to the buffer
    EXPECT_STREQ(text, "24.D");
}

TEST(DateText, MonthNamesAndTokens)
{
    const std::pair<const char*, int> names[] = {{"M", 5},     {"Ju", 7},  {"mär", 3},  {"mar", 3}, {"  okt", 10},
                                                 {"Oct", 10}, {"Dez", 12}, {"xy", 0}, {"", 0}};
    for (const auto& [text, month] : names)
        EXPECT_EQ(ParseMonthName(text), month) << text;
    char tokens[24];
    EXPECT_EQ(SplitDateTokens("September 24122026 7", tokens, sizeof tokens), 3);
    EXPECT_EQ(std::make_tuple(std::string(tokens), std::string(tokens + 8), std::string(tokens + 16)),
              std::make_tuple("Septemb", "2412202", "7"));
    EXPECT_EQ(SplitDateTokens("1 2 3 4", tokens, sizeof tokens - 1), 2);  // no room for a third slot
}

TEST(TimeText, FormatAndParse)
{
    char text[16];
    EXPECT_EQ(FormatTime(text, sizeof text, {7, 5, 9}, false), 8);
    EXPECT_STREQ(text, "07:05:09");
    EXPECT_EQ(FormatTime(text, sizeof text, {7, 5, 9}, true), 5);
    EXPECT_STREQ(text, "07:05");
    EXPECT_EQ(FormatTime(text, 5, {7, 5, 9}, true), 0);
    const std::tuple<const char*, int, int, TimeRecord> cases[] = {
        {"25:61:61", 3, 3, {1, 1, 1}}, {"7:5", 3, 2, {7, 5, 15}}, {"", 3, 0, {13, 14, 15}}, {"8:9:10", 2, 2, {8, 9, 15}}};
    for (const auto& [input, parts, read, expected] : cases) {
        TimeRecord time{};
        EXPECT_EQ(ParseTime(input, &time, parts, {13, 14, 15}), read) << input;
        EXPECT_EQ(std::make_tuple(time.hour, time.minute, time.second),
                  std::make_tuple(expected.hour, expected.minute, expected.second))
            << input;
    }
}

// What a user types into a date field is stored as typed or refused: never
// cut into the record's bits, never a word taken for a number. An accepted
// text gives what ParseDate gives.
TEST(TypedDate, StoredAsTypedOrRefused)
{
    const std::optional<DateRecord> refused;
    const std::pair<const char*, std::optional<DateRecord>> cases[] = {
        // Out of range.
        {"33.1.2026", refused},    {"24.17.2026", refused},  {"24.12.67536", refused}, {"0.1.2026", refused},
        {"1.0.2026", refused},     {"31.6.2026", refused},   {"29.2.2026", refused},   {"31", refused},
        {"24.12.1234567890123", refused},                    {"24122026", refused},
        // Words and numbers out of place, no date at all.
        {"abc", refused},          {"", refused},            {"  ", refused},          {"Xy 24.12.2026", refused},
        {"24.Dex.2026", refused},  {"24.12.Dez", refused},   {"24x.12.2026", refused}, {"24.12.20x6", refused},
        {"1.2.3.4", refused},      {"Do", refused},
        // The month's name first.
        {"Dezember 24, 2026", DateRecord{2026, 12, 24}},     {"December 24, 2026", DateRecord{2026, 12, 24}},
        {"Dez 24", DateRecord{2026, 12, 24}},                {"März 1 27", DateRecord{2027, 3, 1}},
        // The usual forms.
        {"2026-12-24", DateRecord{2026, 12, 24}},            {"24.12.26", DateRecord{2026, 12, 24}},
        {"24.12.45", DateRecord{1945, 12, 24}},              {"Do 24. Dez 2026", DateRecord{2026, 12, 24}},
        {"Donnerstag, 24. Dezember 2026", DateRecord{2026, 12, 24}},
        {"Thursday 24 December 2026", DateRecord{2026, 12, 24}},
        {"12/24/2026", DateRecord{2026, 12, 24}},            {"24.März 2026", DateRecord{2026, 3, 24}},
        {"5.6", DateRecord{2026, 6, 5}},                     {"30", DateRecord{2026, 6, 30}},
        {"29.2.2028", DateRecord{2028, 2, 29}},              {"24.12.65535", DateRecord{65535, 12, 24}},
        {"24.12.000002026", DateRecord{2026, 12, 24}},
    };
    for (const auto& [text, expected] : cases) {
        DateRecord date{9, 9, 9};
        ASSERT_EQ(ReadDateText(text, kToday, &date), expected.has_value()) << text;
        if (!expected) {
            ExpectDate(date, {9, 9, 9}, text);  // left alone
            continue;
        }
        ExpectDate(date, *expected, text);
        DateRecord parsed{};
        ParseDate(text, &parsed, kToday);
        ExpectDate(parsed, *expected, text);
    }
}

void ExpectTime(const TimeRecord& time, const TimeRecord& expected, const char* text)
{
    EXPECT_EQ(std::make_tuple(time.hour, time.minute, time.second),
              std::make_tuple(expected.hour, expected.minute, expected.second))
        << text;
}

TEST(TypedTime, StoredAsTypedOrRefused)
{
    const TimeRecord now = {13, 14, 15};
    const std::optional<TimeRecord> refused;
    const std::pair<const char*, std::optional<TimeRecord>> cases[] = {
        {"abc", refused},     {"", refused},         {" : ", refused},      {"25:61:61", refused},
        {"24:00", refused},   {"7:60", refused},     {"12:30:60", refused}, {"7 Uhr", refused},
        {"7x:05", refused},   {"1:2:3:4", refused},  {"99999999999", refused},
        {"23:59:59", TimeRecord{23, 59, 59}},        {"0:0:0", TimeRecord{0, 0, 0}},
        {"7:5", TimeRecord{7, 5, 15}},               {" 8 ", TimeRecord{8, 14, 15}},
        {"07.05.09", TimeRecord{7, 5, 9}},
    };
    for (const auto& [text, expected] : cases) {
        TimeRecord time{9, 9, 9};
        ASSERT_EQ(ReadTimeText(text, now, &time), expected.has_value()) << text;
        const TimeRecord want = expected.value_or(TimeRecord{9, 9, 9});  // left alone when refused
        ExpectTime(time, want, text);
        if (!expected)
            continue;
        TimeRecord parsed{};
        ParseTime(text, &parsed, 3, now);
        ExpectTime(parsed, want, text);
    }
}

// A number that is not finite in the field's type is refused; what a field
// shows for large values ("1.00e+17") reads back as shown.
TEST(TypedNumber, InfiniteValuesAreRefusedAndExponentsReadBack)
{
    const std::string digits400(400, '9');
    const std::tuple<std::string, int, double> parses[] = {
        {digits400, 2, NAN},      {"1" + std::string(309, '0'), 0, NAN}, {"1e400", 0, NAN}, {"-1e400", 0, NAN},
        {"1" + std::string(308, '0'), 0, 1e308},  {"1.00e+17", 2, 1e17},  {"-2.50e+20", 2, -2.5e20},
        {"1.5E3", 1, 1500},       {"2e-3", 3, 0.002}, {"1e-400", 0, 0},     {"12e", 0, 12}, {"12e+", 0, 12},
        {"3 000e2", 0, 3e5}};
    for (const auto& [text, decimals, expected] : parses) {
        double value = -777;
        EXPECT_EQ(ParseGroupedDouble(text.c_str(), decimals, &value), !std::isnan(expected)) << text;
        EXPECT_DOUBLE_EQ(value, std::isnan(expected) ? -777 : expected) << text;
    }
    for (const auto& [value, decimals] : {std::pair{1e17, 2}, {-3.25e25, 2}, {1.5e10, 9}, {1e300, 0}}) {
        double back = 0;
        EXPECT_TRUE(ParseGroupedDouble(FormatGroupedDouble(value, decimals).c_str(), decimals, &back)) << value;
        EXPECT_DOUBLE_EQ(back, value) << FormatGroupedDouble(value, decimals);
    }
    // shown, scale -> the float stored, NaN for refused
    const std::tuple<double, double, float> floats[] = {
        {1e42, 1, NAN},          {-1e39, 1, NAN},  {1e40, 100, 1e38f}, {3.4e38, 1, 3.4e38f}, {12.5, 100, 0.125f},
        {INFINITY, 1, NAN},      {NAN, 1, NAN},    {1e300, 1e-10, NAN}};
    for (const auto& [shown, scale, expected] : floats) {
        float value = -7;
        EXPECT_EQ(FloatFromShown(shown, scale, &value), !std::isnan(expected)) << shown << " / " << scale;
        EXPECT_EQ(value, std::isnan(expected) ? -7.0f : expected) << shown << " / " << scale;
    }
}

}  // namespace
