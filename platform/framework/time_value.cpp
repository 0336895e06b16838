#include "platform/framework/time_value.h"

#include <ctime>

namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 3000;

}  // namespace

CTime CTime::GetCurrentTime()
{
    return CTime(int64_t(std::time(nullptr)));
}

bool CTime::FromLocal(int year, int month, int day, int hour, int minute, int second, CTime* out)
{
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;  // the rule of that day, so a time of day survives a change of season
    const std::time_t made = std::mktime(&fields);
    // The first hours of 1970 east of Greenwich fall before the epoch.
    if (made == std::time_t(-1) || made < 0)
        return false;
    *out = CTime(int64_t(made));
    return true;
}

CTime::Fields CTime::Local() const
{
    const std::time_t value = std::time_t(m_time);
    std::tm fields{};
#ifdef _WIN32
    if (localtime_s(&fields, &value) != 0)
        return Fields{kFirstYear, 1, 1, 0, 0, 0, 4};
#else
    if (!localtime_r(&value, &fields))
        return Fields{kFirstYear, 1, 1, 0, 0, 0, 4};
#endif
    return Fields{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
                  fields.tm_min,        fields.tm_sec,     fields.tm_wday};
}
