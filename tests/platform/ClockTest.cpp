#include "platform/Clock.h"

#include <gtest/gtest.h>

using namespace Platform;

TEST(ClockTest, InstalledManualClockDrivesTimeAndSleeps)
{
    ManualClock manual(uint64_t(0xFFFFFFF0) * 1000000);
    SetClock(&manual);
    EXPECT_EQ(GetClock().Milliseconds(), 0xFFFFFFF0u);
    GetClock().Sleep(0x20);
    // Millisecond readings wrap at 2^32 as tick counts do; differences stay right across the wrap.
    EXPECT_EQ(GetClock().Milliseconds(), 0x10u);
    EXPECT_EQ(GetClock().Milliseconds() - 0xFFFFFFF0u, 0x20u);
    EXPECT_EQ(GetClock().Nanoseconds(), uint64_t(0x100000010) * 1000000);
    SetClock(nullptr);
}

TEST(ClockTest, SystemClockMovesForwardAndSleeps)
{
    SystemClock clock;
    uint64_t before = clock.Nanoseconds();
    clock.Sleep(2);
    EXPECT_GE(clock.Nanoseconds() - before, 2000000u);
}
