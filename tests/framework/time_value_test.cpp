// The framework's time object: local times from its calendar fields.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/framework/time_value.h"

namespace {

TEST(TimeValue, LocalTimesFrom1970Only)
{
    CTime time;
    ASSERT_TRUE(CTime::FromLocal(2026, 7, 1, 13, 14, 15, &time));
    EXPECT_EQ(std::make_tuple(time.GetYear(), time.GetMonth(), time.GetDay(), time.GetHour(), time.GetSecond(),
                              time.GetDayOfWeek()),
              std::make_tuple(2026, 7, 1, 13, 15, 4));
    const CTime kept = time;
    EXPECT_FALSE(CTime::FromLocal(1945, 12, 24, 0, 0, 0, &time) || CTime::FromLocal(2026, 13, 1, 0, 0, 0, &time));
    EXPECT_TRUE(time == kept);
}

}  // namespace
