// CTime: a point in time in seconds since 1970-01-01 UTC, read and built in
// local time. Portable. The Windows runtime cannot make local times before
// 1970, so that is the earliest time either build builds, and building an
// earlier one fails instead of giving a wrong time.
#pragma once

#include <cstdint>

#include "platform/win32/win.h"

// The platform's header makes this name a macro for its tick count.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

class CTime {
public:
    CTime() = default;
    explicit CTime(int64_t seconds) : m_time(seconds) {}

    static CTime GetCurrentTime();
    // A local date and time (month 1-12, day 1-31); daylight saving time as
    // it applies on that day. False, *out unchanged, when the time cannot be
    // held (before 1970, after 3000, or fields out of range).
    static bool FromLocal(int year, int month, int day, int hour, int minute, int second, CTime* out);

    int64_t GetTime() const { return m_time; }
    int GetYear() const { return Local().year; }
    int GetMonth() const { return Local().month; }
    int GetDay() const { return Local().day; }
    int GetHour() const { return Local().hour; }
    int GetMinute() const { return Local().minute; }
    int GetSecond() const { return Local().second; }
    // 1 Sunday to 7 Saturday.
    int GetDayOfWeek() const { return Local().weekday + 1; }

    friend bool operator==(CTime a, CTime b) { return a.m_time == b.m_time; }

private:
    struct Fields {
        int year, month, day, hour, minute, second, weekday;
    };
    Fields Local() const;

    int64_t m_time = 0;
};
