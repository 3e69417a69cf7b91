#include "diagnostics/PerfTimer.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

class PerfTimerTest : public testing::Test
{
protected:
    PerfTimerTest() { Platform::SetClock(&clock); }
    ~PerfTimerTest() override { Platform::SetClock(nullptr); }

    Platform::ManualClock clock{uint64_t(7) * 1000000000};
};

} // namespace

TEST_F(PerfTimerTest, MeasuresMillisecondsFromStartToStop)
{
    PerfTimer timer;
    EXPECT_EQ(timer.GetDuration(), 0.0);
    timer.Start();
    clock.AdvanceNanoseconds(1500000);
    EXPECT_EQ(timer.GetDuration(), 1.5);
    clock.AdvanceNanoseconds(250000);
    EXPECT_TRUE(timer.Stop());
    clock.Advance(40);
    EXPECT_EQ(timer.GetDuration(), 1.75);
    EXPECT_FALSE(timer.Stop());
    EXPECT_EQ(timer.GetDuration(), 1.75);
}

TEST_F(PerfTimerTest, StopWithoutStartReportsThatItWasNotRunning)
{
    PerfTimer timer;
    EXPECT_FALSE(timer.Stop());
    EXPECT_EQ(timer.GetDuration(), 0.0);
}

TEST_F(PerfTimerTest, RestartMeasuresFromTheNewStart)
{
    PerfTimer timer;
    timer.Start();
    clock.Advance(5);
    timer.Stop();
    timer.Start();
    clock.Advance(2);
    EXPECT_EQ(timer.GetDuration(), 2.0);
}
