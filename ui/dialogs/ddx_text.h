// The texts of dialog data exchange, free of windows: grouped decimal
// numbers, dates and times with German or English month and weekday names,
// and the condition field's mode selector. "Today" and "now" are passed in.
#pragma once

#include <cstdint>
#include <string>

struct DateRecord {
    uint16_t year, month, day;
};
struct TimeRecord {
    uint16_t hour, minute, second;
};
struct DateTimeRecord {
    uint16_t year, month, day, hour, minute, second;
    uint16_t reserved[2];  // set to 0
};

// FormatDate flags.
constexpr int kDateWeekday = 1;  // the weekday's name first
constexpr int kDateEnglish = 2;  // English names

constexpr int kMaxDecimals = 9;
constexpr int kDateTokenSlot = 8;  // each token of SplitDateTokens starts at a multiple of this
constexpr int kMaxDateTokens = 8;
constexpr int kInvalidWeekday = 7;
constexpr int kMaxYear = 65535;  // what the record holds

// value with decimals (0-9) digits after '.', the integer part in groups of
// three digits separated by blanks; no "-" for a value that rounds to 0.
// Non-finite values and values too large for 64-bit rounding come out plain.
std::string FormatGroupedDouble(double value, int decimals);
// Reads what FormatGroupedDouble writes, blanks anywhere, ',' as '.', digits
// beyond the decimals ignored, an exponent ("1.00e+17", the form written for
// large values); stops at any other character. False when the text holds
// something other than blanks but no digit, or the value is not finite.
bool ParseGroupedDouble(const char* text, int decimals, double* value);
// The float a field stores for the value it showed multiplied by scale:
// shown / scale; false when that is beyond the float range.
bool FloatFromShown(double shown, double scale, float* value);

// The weekday of a date, 0 Monday to 6 Sunday (Gregorian calendar), or 7
// for a month outside 1-12 or a day outside 1-31.
int DayOfWeek(int day, int month, int year);
// Days in the month (Gregorian); 0 for a month outside 1-12.
int DaysInMonth(int month, int year);
const char* WeekdayName(int weekday, bool english);  // "Mo ", ..., 7 "?? "
const char* MonthName(int month, bool english);       // "Jan.", ..., "??? "

// "[Do ]24.Dez.2026" into a buffer of size characters; returns the length.
int FormatDate(char* out, int size, const DateRecord& date, int flags);
// Day, month and year from a text, the parts not given taken from today:
// an optional weekday, then day, month, year; year, month, day when the first
// number is 1000 or more and the third below 32; month, day, year when the
// text starts with the month's name; day and month swapped when the month is
// 13 or more and the day below 13; a year below 100 is 2000 + year below 30,
// else 1900 + year. Returns the number of parts read (0 to 3); the fields are
// cut to the record's bits, not checked: a typed text goes through
// ReadDateText.
int ParseDate(const char* text, DateRecord* date, const DateRecord& today);
// The date a user typed, by the rules of ParseDate; false (the date left
// alone) for a day, month or year outside its range (the day by the month's
// length), a word that is neither a leading weekday nor the month, a number
// with other characters in it, more than three parts, or no part at all.
bool ReadDateText(const char* text, const DateRecord& today, DateRecord* date);
// "07:05:09" or "07:05"; returns 8 or 5 (0 for a buffer too small).
int FormatTime(char* out, int size, const TimeRecord& time, bool noSeconds);
// Hour, minute and second (wrapped into their ranges); with fewer than parts
// given the rest come from now. Returns the number read (at most 3).
int ParseTime(const char* text, TimeRecord* time, int parts, const TimeRecord& now);
// The time a user typed: hour, minute and second, the parts not given from
// now; false (the time left alone) for a field outside its range, a token
// that is not a number, more than three parts, or no number at all.
bool ReadTimeText(const char* text, const TimeRecord& now, TimeRecord* time);
// The month (1-12) whose German or English name starts with the text's first
// letters (up to three, without case); December is tried first, so "M" is
// May. 0 when none matches.
int ParseMonthName(const char* text);
// Splits at blanks, line feeds, tabs and ":,/*.;-": token n is at out + 8 n,
// cut to 7 characters; stops when the next slot does not fit in size.
// Returns the number of tokens.
int SplitDateTokens(const char* text, char* out, int size);

// The condition field's modes: bit m of the allowed mask allows mode m
// (0-5); the selector shows the allowed modes in order.
int ConditionSelectorIndex(int mode, int allowedModes);  // -1 when not allowed
int ConditionModeAt(int index, int allowedModes);         // -1 when none
