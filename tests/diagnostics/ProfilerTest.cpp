// The section profiler on scripted time stamps. With a tick counter that never moves the measured tick
// rate is 0 and the profiler takes 1 tick per second, so every figure is ticks x 1000.
#include "diagnostics/Profiler.h"

#include "diagnostics/ProfilerClocks.h"

#include <gmock/gmock.h>

using testing::MatchesRegex;

namespace {

class ProfilerTest : public ProfilerClockTest
{
protected:
    // Queues an event stamped at the given tick.
    void At(uint64_t tick, const char* name, bool start)
    {
        ticks.next = tick;
        profiler.QueueEvent(name, start);
    }
    void StartAt(uint64_t tick)
    {
        ticks.next = tick;
        profiler.Start(false);
    }
    void StopAt(uint64_t tick)
    {
        ticks.next = tick;
        profiler.Stop();
    }

    Profiler profiler;
};

} // namespace

TEST_F(ProfilerTest, StopRightAfterStartReportsOnlyTheTotal)
{
    StartAt(1000);
    EXPECT_TRUE(profiler.IsActive());
    StopAt(1250);
    EXPECT_FALSE(profiler.IsActive());
    EXPECT_EQ(profiler.GetReport(), "Total Time: 250000.00\n");
}

TEST_F(ProfilerTest, NestedCallsOfOneSectionCountEachStartButTimeOnlyTheOutermost)
{
    StartAt(1000);
    At(1100, "Draw", true);
    At(1200, "Draw", true);
    At(1300, "Draw", true);
    At(1400, "Draw", false);
    At(1500, "Draw", false);
    At(1600, "Draw", false);
    StopAt(2000);
    EXPECT_EQ(profiler.GetReport(), "Total Time: 1000000.00\n"
                                    "Draw (3 calls, %50.00 time): 500000.00 (166666.67 avg, 500000.00 longest)\n");
}

TEST_F(ProfilerTest, NamesDifferingInCaseShareOneSampleUnderTheFirstSpelling)
{
    StartAt(0);
    At(10, "Update", true);
    At(30, "UPDATE", false);
    At(50, "update", true);
    At(60, "Update", false);
    StopAt(100);
    EXPECT_EQ(profiler.GetReport(), "Total Time: 100000.00\n"
                                    "Update (2 calls, %30.00 time): 30000.00 (15000.00 avg, 20000.00 longest)\n");
}

TEST_F(ProfilerTest, SectionsAreListedInCaseInsensitiveOrder)
{
    StartAt(0);
    for (const char* name : {"Zeta", "alpha", "_under", "Beta"}) {
        At(10, name, true);
        At(20, name, false);
    }
    StopAt(100);
    // '_' sorts before the letters, as it does against their lower-case forms.
    EXPECT_THAT(profiler.GetReport(), MatchesRegex("Total Time: [^\n]*\n_under [^\n]*\nalpha [^\n]*\n"
                                                   "Beta [^\n]*\nZeta [^\n]*\n"));
}

TEST_F(ProfilerTest, UnmatchedEndsAreIgnoredOrLeaveTheSectionUntimedUntilBalanced)
{
    StartAt(0);
    At(5, "Never", false);
    At(10, "Load", true);
    At(20, "Load", false);
    // One end too many: the next start only brings the depth back to 0, so that call is not timed; the
    // one nested in it is.
    At(30, "Load", false);
    At(40, "Load", true);
    At(50, "Load", true);
    At(80, "Load", false);
    At(90, "Load", false);
    StopAt(100);
    EXPECT_EQ(profiler.GetReport(), "Total Time: 100000.00\n"
                                    "Load (3 calls, %40.00 time): 40000.00 (13333.33 avg, 30000.00 longest)\n");
}

TEST_F(ProfilerTest, TimeSpentCountingEventsIsLeftOutOfTheTotal)
{
    // Every reading moves the counter by 10: start 0, events 10 and 20, the flush reads 30 and 40, now
    // is read after it at 50, and the tick rate is measured from 60 and 70 as 1000 per second.
    ticks.step = 10;
    profiler.Start(false);
    profiler.QueueEvent("Step", true);
    profiler.QueueEvent("Step", false);
    profiler.Stop();
    EXPECT_EQ(profiler.GetReport(), "Total Time: 40.00\n"
                                    "Step (1 calls, %25.00 time): 10.00 (10.00 avg, 10.00 longest)\n");
}

TEST_F(ProfilerTest, StartForgetsTheLastRunAndMayStayInactive)
{
    StartAt(0);
    At(10, "Old", true);
    At(20, "Old", false);
    StopAt(100);
    ticks.next = 200;
    profiler.Start(true);
    EXPECT_FALSE(profiler.IsActive());
    profiler.QueueEvent("Ignored", true);
    StopAt(300);
    EXPECT_EQ(profiler.GetReport(), "Total Time: 100000.00\n");
}

TEST_F(ProfilerTest, ADepthCounterThatNeverGoesBelowZero)
{
    EXPECT_EQ(profiler.TrackDepth(true), 0);
    EXPECT_EQ(profiler.TrackDepth(false), 1);
    EXPECT_EQ(profiler.TrackDepth(false), 2);
    EXPECT_EQ(profiler.TrackDepth(true), 1);
    EXPECT_EQ(profiler.TrackDepth(true), 0);
    EXPECT_EQ(profiler.TrackDepth(true), 0);
}

TEST_F(ProfilerClockTest, TickRateIsTheTicksOfOneHundredthOfASecondTimes100)
{
    // Ticks at three per nanosecond of the performance counter: 3 GHz.
    struct ClockTicks : Platform::TickSource
    {
        explicit ClockTicks(SteppingClock& clock) : clock(clock) {}
        uint64_t Ticks() override { return clock.now * 3; }
        SteppingClock& clock;
    } clockTicks(clock);
    Platform::SetTickSource(&clockTicks);
    EXPECT_EQ(MeasureTickRate(), 3000000000);
}

TEST_F(ProfilerClockTest, TickCounterThatDoesNotMoveMeasuresZero)
{
    EXPECT_EQ(MeasureTickRate(), 0);
}

TEST_F(ProfilerClockTest, ScopedSectionsReachTheProcessProfilerOnlyWhileItRuns)
{
    {
        ProfilerTimedSection before("Before");
    }
    ProfilerStart(false);
    {
        ProfilerTimedSection outer("Frame");
        ProfilerTimedSection inner("Widgets");
    }
    {
        ProfilerTimedSection again("Frame");
    }
    ProfilerStop();
    EXPECT_THAT(ProfilerGetReport(), MatchesRegex("Total Time: [^\n]*\n"
                                                  "Frame \\(2 calls, [^\n]*\n"
                                                  "Widgets \\(1 calls, [^\n]*\n"));
}
