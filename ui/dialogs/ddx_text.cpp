#include "ui/dialogs/ddx_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kWeekdays[2][8] = {
    {"Mo ", "Di ", "Mi ", "Do ", "Fr ", "Sa ", "So ", "?? "},
    {"Mo ", "Tu ", "We ", "Th ", "Fr ", "Sa ", "So ", "?? "},
};
constexpr const char* kMonths[2][16] = {
    {"??? ", "Jan.", "Feb.", "März ", "April ", "Mai ", "Juni ", "Juli ", "Aug.", "Sep.", "Okt.", "Nov.", "Dez.",
     "??? ", "??? ", "??? "},
    {"??? ", "Jan.", "Feb.", "March ", "April ", "May ", "June ", "July ", "Aug.", "Sep.", "Oct.", "Nov.", "Dec.",
     "??? ", "??? ", "??? "},
};
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr char kDateSeparators[] = " \n\t:,/*.;-";
constexpr double kRoundingHalf = 0.4999999;
constexpr double kLargestRounded = 9.0e18;  // below 2^63
constexpr int kMonthNameCompare = 3;
constexpr int kYearFirstFrom = 1000;
constexpr int kCenturyPivot = 30;
constexpr int kMaxToken = kDateTokenSlot - 1;

uint64_t PowerOfTen(int n)
{
    uint64_t result = 1;
    while (n-- > 0)
        result *= 10;
    return result;
}

int ClampDecimals(int decimals)
{
    return decimals < 0 ? 0 : decimals > kMaxDecimals ? kMaxDecimals : decimals;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int TokenNumber(const char* token)
{
    int value = 0;
    for (; IsDigit(*token); ++token)
        value = value * 10 + (*token - '0');  // tokens hold at most 7 digits
    return value;
}

}  // namespace

std::string FormatGroupedDouble(double value, int decimals)
{
    decimals = ClampDecimals(decimals);
    const uint64_t scale = PowerOfTen(decimals);
    const double scaled = std::fabs(value) * double(scale) + kRoundingHalf;
    char plain[400];
    if (!std::isfinite(value)) {
        std::snprintf(plain, sizeof plain, "%g", value);
        return plain;
    }
    if (scaled >= kLargestRounded) {
        std::snprintf(plain, sizeof plain, "%.*e", decimals, value);
        return plain;
    }
    const uint64_t q = uint64_t(scaled);
    const std::string digits = std::to_string(q / scale);
    std::string text = value < 0 && q != 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ' ';
        text += digits[i];
    }
    if (decimals > 0) {
        std::snprintf(plain, sizeof plain, ".%0*llu", decimals, static_cast<unsigned long long>(q % scale));
        text += plain;
    }
    return text;
}

bool ParseGroupedDouble(const char* text, int decimals, double* value)
{
    decimals = ClampDecimals(decimals);
    bool negative = false, anyDigit = false, anyOther = false, inFraction = false;
    double integer = 0, fraction = 0;
    int fractionDigits = 0;
    for (; *text; ++text) {
        const char c = *text;
        if (c == ' ')
            continue;
        if (IsDigit(c)) {
            anyDigit = true;
            if (!inFraction) {
                integer = integer * 10 + (c - '0');
            } else if (fractionDigits < decimals) {
                fraction = fraction * 10 + (c - '0');
                ++fractionDigits;
            }
            continue;
        }
        if (c == '-' && !negative && !anyDigit && !inFraction) {
            negative = true;
            continue;
        }
        if ((c == '.' || c == ',') && !inFraction) {
            inFraction = true;
            continue;
        }
        anyOther = true;
        break;
    }
    if (!anyDigit && (anyOther || negative || inFraction))
        return false;
    const double magnitude = integer + fraction / double(PowerOfTen(fractionDigits));
    *value = negative ? -magnitude : magnitude;
    return true;
}

int DaysInMonth(int month, int year)
{
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kMonthDays[month - 1];
}

int DayOfWeek(int day, int month, int year)
{
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return kInvalidWeekday;
    // Days since 1 March of year 0 of the proleptic Gregorian calendar.
    const int64_t y = int64_t(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = era * 146097 + dayOfEra;  // 0 was a Wednesday
    return int(((days + 2) % 7 + 7) % 7);
}

const char* WeekdayName(int weekday, bool english)
{
    return kWeekdays[english ? 1 : 0][weekday >= 0 && weekday < 7 ? weekday : kInvalidWeekday];
}

const char* MonthName(int month, bool english)
{
    return kMonths[english ? 1 : 0][month & 15];
}

int FormatDate(char* out, int size, const DateRecord& date, int flags)
{
    if (size < 1)
        return 0;
    const bool english = flags & kDateEnglish;
    const char* weekday = flags & kDateWeekday ? WeekdayName(DayOfWeek(date.day, date.month, date.year), english) : "";
    const int length = std::snprintf(out, size_t(size), "%s%u.%s%u", weekday, unsigned(date.day),
                                     MonthName(date.month, english), unsigned(date.year));
    return length < 0 ? 0 : length >= size ? size - 1 : length;
}

int SplitDateTokens(const char* text, char* out, int size)
{
    int count = 0;
    while (*text) {
        text += std::strspn(text, kDateSeparators);
        if (!*text)
            break;
        const size_t length = std::strcspn(text, kDateSeparators);
        if (int64_t(count + 1) * kDateTokenSlot > size)
            break;
        char* slot = out + count * kDateTokenSlot;
        const size_t kept = length < size_t(kMaxToken) ? length : size_t(kMaxToken);
        std::memcpy(slot, text, kept);
        slot[kept] = '\0';
        ++count;
        text += length;
    }
    return count;
}

int ParseMonthName(const char* text)
{
    while (*text == ' ')
        ++text;
    int letters = 0;
    while (letters < kMonthNameCompare && text[letters] && !std::strchr(kDateSeparators, text[letters]) &&
           !IsDigit(text[letters]))
        ++letters;
    if (letters == 0)
        return 0;
    for (int month = 12; month >= 1; --month)
        for (const auto& names : kMonths) {
            int i = 0;
            while (i < letters && Lower(names[month][i]) == Lower(text[i]))
                ++i;
            if (i == letters)
                return month;
        }
    return 0;
}

int ParseDate(const char* text, DateRecord* date, const DateRecord& today)
{
    char tokens[kMaxDateTokens * kDateTokenSlot];
    const int count = SplitDateTokens(text, tokens, int(sizeof tokens));
    int first = 0;
    if (count > 0 && !IsDigit(tokens[0]))
        first = 1;  // a weekday
    int values[3] = {today.day, today.month, today.year};
    bool named[3] = {};
    int parts = 0;
    for (int i = first; i < count && parts < 3; ++i, ++parts) {
        const char* token = tokens + i * kDateTokenSlot;
        named[parts] = !IsDigit(token[0]);
        values[parts] = named[parts] ? ParseMonthName(token) : TokenNumber(token);
    }
    int day = values[0], month = values[1], year = values[2];
    if (parts == 3 && !named[0] && values[0] >= kYearFirstFrom && values[2] < 32) {
        year = values[0];
        day = values[2];
    }
    if (parts >= 2 && month >= 13 && day < 13) {
        const int swapped = day;
        day = month;
        month = swapped;
    }
    if (parts == 3 && year < 100)
        year += year < kCenturyPivot ? 2000 : 1900;
    date->day = uint16_t(day & 31);
    date->month = uint16_t(month & 15);
    date->year = uint16_t(year);
    return parts;
}

int FormatTime(char* out, int size, const TimeRecord& time, bool noSeconds)
{
    const int length = noSeconds ? 5 : 8;
    if (size <= length)
        return 0;
    if (noSeconds)
        std::snprintf(out, size_t(size), "%02u:%02u", unsigned(time.hour % 100), unsigned(time.minute % 100));
    else
        std::snprintf(out, size_t(size), "%02u:%02u:%02u", unsigned(time.hour % 100), unsigned(time.minute % 100),
                      unsigned(time.second % 100));
    return length;
}

int ParseTime(const char* text, TimeRecord* time, int parts, const TimeRecord& now)
{
    char tokens[kMaxDateTokens * kDateTokenSlot];
    const int count = SplitDateTokens(text, tokens, int(sizeof tokens));
    int values[3] = {now.hour, now.minute, now.second};
    int read = 0;
    for (; read < count && read < 3 && read < parts; ++read)
        values[read] = TokenNumber(tokens + read * kDateTokenSlot);
    time->hour = uint16_t(values[0] % 24);
    time->minute = uint16_t(values[1] % 60);
    time->second = uint16_t(values[2] % 60);
    return read;
}

int ConditionSelectorIndex(int mode, int allowedModes)
{
    if (mode < 0 || mode > 5 || !(allowedModes & (1 << mode)))
        return -1;
    int index = 0;
    for (int m = 0; m < mode; ++m)
        index += (allowedModes >> m) & 1;
    return index;
}

int ConditionModeAt(int index, int allowedModes)
{
    for (int mode = 0; mode <= 5; ++mode)
        if ((allowedModes >> mode) & 1 && index-- == 0)
            return mode;
    return -1;
}
