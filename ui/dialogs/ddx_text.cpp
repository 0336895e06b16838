#include "ui/dialogs/ddx_text.h"

#include <algorithm>
#include <cfloat>
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
constexpr int64_t kNumberCap = 1000000000;  // any field above this is out of range anyway
constexpr int kMaxExponent = 9999;

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

// "+17", "-3", "5" after an 'e': true with the exponent (held to a bound far
// beyond every finite double) when a digit follows the optional sign.
bool ReadExponent(const char* text, int* exponent)
{
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    if (!IsDigit(*text))
        return false;
    int value = 0;
    for (; IsDigit(*text); ++text)
        value = std::min(value * 10 + (*text - '0'), kMaxExponent);
    *exponent = negative ? -value : value;
    return true;
}

// One run of characters between separators in a date or time text.
struct Token {
    const char* text;
    size_t length;
};

bool NextToken(const char*& text, Token* token)
{
    text += std::strspn(text, kDateSeparators);
    if (!*text)
        return false;
    *token = Token{text, std::strcspn(text, kDateSeparators)};
    text += token->length;
    return true;
}

// The tokens of a text, at most max of them kept; returns how many there are.
int ScanTokens(const char* text, Token* tokens, int max)
{
    int count = 0;
    for (Token token; NextToken(text, &token); ++count)
        if (count < max)
            tokens[count] = token;
    return count;
}

// The value of a token's leading digits, held below kNumberCap (beyond every
// field's range); pure when the token is digits only.
struct Number {
    int64_t value;
    bool pure;
};

Number TokenNumber(const Token& token)
{
    Number number{0, token.length > 0};
    for (size_t i = 0; i < token.length; ++i) {
        if (!IsDigit(token.text[i])) {
            number.pure = false;
            break;
        }
        number.value = std::min<int64_t>(number.value * 10 + (token.text[i] - '0'), kNumberCap);
    }
    return number;
}

// A weekday's name starts with the two letters of the name table.
bool IsWeekdayName(const Token& token)
{
    if (token.length < 2)
        return false;
    for (const auto& names : kWeekdays)
        for (int day = 0; day < 7; ++day)
            if (Lower(names[day][0]) == Lower(token.text[0]) && Lower(names[day][1]) == Lower(token.text[1]))
                return true;
    return false;
}

// Day, month and year as typed, before they are stored or checked; the
// parts not given come from today. Readable when every word is where a word
// may stand (a weekday first, a month), every number is digits only and no
// more than three parts follow the weekday.
struct DateScan {
    int64_t day, month, year;
    int parts;
    bool readable;
};

DateScan ScanDate(const char* text, const DateRecord& today)
{
    Token tokens[kMaxDateTokens];
    const int count = ScanTokens(text, tokens, kMaxDateTokens);
    const int kept = std::min(count, kMaxDateTokens);
    DateScan scan{today.day, today.month, today.year, 0, count <= kMaxDateTokens};
    // A leading word is a weekday to skip, unless it names the month
    // ("Dezember 24, 2026": month, day, year).
    int first = 0;
    bool monthFirst = false;
    if (kept > 0 && !IsDigit(tokens[0].text[0])) {
        monthFirst = ParseMonthName(tokens[0].text) != 0;
        if (!monthFirst) {
            first = 1;
            scan.readable &= IsWeekdayName(tokens[0]);
        }
    }
    if (kept - first > 3)
        scan.readable = false;
    int64_t* const dayFirst[3] = {&scan.day, &scan.month, &scan.year};
    int64_t* const namedFirst[3] = {&scan.month, &scan.day, &scan.year};
    int64_t* const* const fields = monthFirst ? namedFirst : dayFirst;
    bool namedMonth = false;
    for (int i = first; i < kept && scan.parts < 3; ++i, ++scan.parts) {
        int64_t* const field = fields[scan.parts];
        if (IsDigit(tokens[i].text[0])) {
            const Number number = TokenNumber(tokens[i]);
            *field = number.value;
            scan.readable &= number.pure;
        } else {
            // Only the month may be a word.
            *field = ParseMonthName(tokens[i].text);
            scan.readable &= field == &scan.month;
            namedMonth |= field == &scan.month;
        }
    }
    if (!monthFirst && scan.parts == 3 && scan.day >= kYearFirstFrom && scan.year < 32)
        std::swap(scan.day, scan.year);
    if (!namedMonth && scan.parts >= 2 && scan.month >= 13 && scan.day < 13)
        std::swap(scan.day, scan.month);
    if (scan.parts == 3 && scan.year < 100)
        scan.year += scan.year < kCenturyPivot ? 2000 : 1900;
    return scan;
}

// Hour, minute and second as typed; the parts not given come from now.
// Readable when every token is a number and there are at most three.
struct TimeScan {
    int64_t value[3];
    int read;
    bool readable;
};

TimeScan ScanTime(const char* text, int parts, const TimeRecord& now)
{
    Token tokens[kMaxDateTokens];
    const int count = ScanTokens(text, tokens, kMaxDateTokens);
    TimeScan scan{{now.hour, now.minute, now.second}, 0, count <= 3};
    for (; scan.read < count && scan.read < 3 && scan.read < parts; ++scan.read) {
        const Number number = TokenNumber(tokens[scan.read]);
        scan.value[scan.read] = number.value;
        scan.readable &= number.pure;
    }
    return scan;
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
    int fractionDigits = 0, exponent = 0;
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
        if ((c == 'e' || c == 'E') && anyDigit && ReadExponent(text + 1, &exponent))
            break;
        anyOther = true;
        break;
    }
    if (!anyDigit && (anyOther || negative || inFraction))
        return false;
    double magnitude = integer + fraction / double(PowerOfTen(fractionDigits));
    if (exponent != 0 && magnitude != 0)
        magnitude *= std::pow(10.0, exponent);
    if (!std::isfinite(magnitude))
        return false;
    *value = negative ? -magnitude : magnitude;
    return true;
}

bool FloatFromShown(double shown, double scale, float* value)
{
    const double result = shown / scale;
    // Converting a double beyond the float range is undefined, not infinite.
    if (!(std::fabs(result) <= double(FLT_MAX)))
        return false;
    *value = float(result);
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
    for (Token token; NextToken(text, &token); ++count) {
        if (int64_t(count + 1) * kDateTokenSlot > size)
            break;
        char* slot = out + count * kDateTokenSlot;
        const size_t kept = std::min(token.length, size_t(kMaxToken));
        std::memcpy(slot, token.text, kept);
        slot[kept] = '\0';
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
    const DateScan scan = ScanDate(text, today);
    date->day = uint16_t(scan.day & 31);
    date->month = uint16_t(scan.month & 15);
    date->year = uint16_t(scan.year);
    return scan.parts;
}

bool ReadDateText(const char* text, const DateRecord& today, DateRecord* date)
{
    const DateScan scan = ScanDate(text, today);
    if (!scan.readable || scan.parts == 0 || scan.month < 1 || scan.month > 12 || scan.year < 1 ||
        scan.year > kMaxYear || scan.day < 1 || scan.day > DaysInMonth(int(scan.month), int(scan.year)))
        return false;
    *date = DateRecord{uint16_t(scan.year), uint16_t(scan.month), uint16_t(scan.day)};
    return true;
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
    const TimeScan scan = ScanTime(text, parts, now);
    time->hour = uint16_t(scan.value[0] % 24);
    time->minute = uint16_t(scan.value[1] % 60);
    time->second = uint16_t(scan.value[2] % 60);
    return scan.read;
}

bool ReadTimeText(const char* text, const TimeRecord& now, TimeRecord* time)
{
    const TimeScan scan = ScanTime(text, 3, now);
    if (!scan.readable || scan.read == 0 || scan.value[0] > 23 || scan.value[1] > 59 || scan.value[2] > 59)
        return false;
    *time = TimeRecord{uint16_t(scan.value[0]), uint16_t(scan.value[1]), uint16_t(scan.value[2])};
    return true;
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
