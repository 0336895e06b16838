// The storm harness's reports, each from a process of its own: a hang is
// said with the raw stack only (the module lookups wait for ever on a broken
// heap) and ends the process; a crash is said with what the storm was doing
// and the raw stack first.
#include <gtest/gtest.h>

#include "tests/winharness/storm.h"

namespace {

bool Failed(int code)
{
    return code != 0;
}

TEST(StormHarnessDeathTest, AHangIsSaidRawAndEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            winharness::StormDoing("waiting");
            winharness::Watchdog watchdog(5, 300);
            Sleep(20000);
        },
        testing::ExitedWithCode(3),
        "storm seed 5: no progress for 300 ms, doing \"waiting\"\nstuck at .*return addresses on the stack:.*\n$");
}

TEST(StormHarnessDeathTest, ACrashSaysWhatTheStormDidAndTheStack)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            winharness::CrashReport report;
            winharness::StormDoing("crashing");
            volatile int* nowhere = nullptr;
            *nowhere = 1;
        },
        Failed, "exception c0000005 after \"crashing\" at .*return addresses on the stack:.*\nin .*\nframes:");
}

}  // namespace
