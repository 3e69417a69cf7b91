#include "core/CoreTimer.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

// The application's counters, as the core clock reads them.
class FakeApplicationTime : public CoreTimeSource
{
public:
    int GetUpdateCount() const override { return updateCount; }
    double GetCoreTime() const override { return coreTime; }

    int updateCount = 0;
    double coreTime = 0;
};

class CoreTimerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ShutdownCore();
        SetCoreTimeSource(&application);
    }

    void TearDown() override
    {
        ShutdownCore();
        SetCoreTimeSource(nullptr);
    }

    void TickAt(double coreTime, int updateCount)
    {
        application.coreTime = coreTime;
        application.updateCount = updateCount;
        TickCore();
    }

    FakeApplicationTime application;
};

// Counts its own deletions; may hand over a successor from its destructor.
class Handed : public CoreObject
{
public:
    explicit Handed(int& deletions, bool handsOverAnother = false)
        : deletions(deletions), handsOverAnother(handsOverAnother)
    {}
    ~Handed() override
    {
        ++deletions;
        if (handsOverAnother) {
            CoreObjectList::Add(new Handed(deletions));
        }
    }

private:
    int& deletions;
    bool handsOverAnother;
};

} // namespace

TEST_F(CoreTimerTest, InstallingStoresTheFiveCallbacksInOrderAndCreatesTheTimer)
{
    EXPECT_EQ(tolmTimer::RegisteredInstance(), nullptr);
    InstallCoreTimeCallbacks();
    EXPECT_NE(tolmTimer::RegisteredInstance(), nullptr);

    const CoreTimeCallbacks& callbacks = GetCoreTimeCallbacks();
    EXPECT_EQ(callbacks.alwaysTrue, &AlwaysTrue);
    EXPECT_EQ(callbacks.tickSeconds, &CoreTickSeconds);
    EXPECT_EQ(callbacks.tickMs, &CoreTickMs);
    EXPECT_EQ(callbacks.totalMs, &CoreTotalMs);
    EXPECT_EQ(callbacks.timerFlag, &CoreTimerFlag);
    EXPECT_TRUE(callbacks.alwaysTrue());
    EXPECT_EQ(callbacks.timerFlag(), 1);
}

TEST_F(CoreTimerTest, NewTimerStartsWithBothSnapshotsAtTheApplicationsCounters)
{
    application.updateCount = 40;
    application.coreTime = 250.0;
    InstallCoreTimeCallbacks();
    EXPECT_EQ(CoreTickSeconds(), 0.0f);
    EXPECT_EQ(CoreTickMs(), 0);
    EXPECT_EQ(CoreTotalMs(), 400);
}

TEST_F(CoreTimerTest, CallbacksReportTheLastTickAndTheTotal)
{
    struct Case
    {
        const char* name;
        double coreTime;
        int updateCount;
        float tickSeconds;
        int tickMs;
        int totalMs;
    } ticks[] = {
        {"first", 250.0, 40, 0.0f, 0, 400},
        {"one and a half updates", 251.5, 43, 0.015f, 30, 430},
        // While the window is minimised core time stands still: every module sees a step of 0.
        {"minimised", 251.5, 43, 0.0f, 0, 430},
        {"a quarter update", 251.75, 43, 0.0025f, 0, 430},
    };
    application.coreTime = 250.0;
    application.updateCount = 40;
    InstallCoreTimeCallbacks();
    for (const Case& tick : ticks) {
        TickAt(tick.coreTime, tick.updateCount);
        EXPECT_FLOAT_EQ(GetCoreTimeCallbacks().tickSeconds(), tick.tickSeconds) << tick.name;
        EXPECT_EQ(GetCoreTimeCallbacks().tickMs(), tick.tickMs) << tick.name;
        EXPECT_EQ(GetCoreTimeCallbacks().totalMs(), tick.totalMs) << tick.name;
    }
}

TEST_F(CoreTimerTest, ShutdownDeletesTheTimerAndTheNextReadCreatesAFreshOne)
{
    InstallCoreTimeCallbacks();
    TickAt(100.0, 10);
    TickAt(110.0, 20);
    ShutdownCore();
    EXPECT_EQ(tolmTimer::RegisteredInstance(), nullptr);
    // A fresh timer has no step yet.
    EXPECT_EQ(CoreTickMs(), 0);
    EXPECT_EQ(CoreTotalMs(), 200);
    EXPECT_NE(tolmTimer::RegisteredInstance(), nullptr);
}

TEST_F(CoreTimerTest, HandedOverObjectsAreDeletedAtTheNextTickAndAtShutdown)
{
    InstallCoreTimeCallbacks();
    int deletions = 0;
    CoreObjectList::Add(new Handed(deletions));
    CoreObjectList::Add(new Handed(deletions));
    EXPECT_EQ(deletions, 0);
    TickCore();
    EXPECT_EQ(deletions, 2);

    // One handed over while the list is being emptied waits for the following tick.
    CoreObjectList::Add(new Handed(deletions, true));
    TickCore();
    EXPECT_EQ(deletions, 3);
    ShutdownCore();
    EXPECT_EQ(deletions, 4);
}

namespace {

class MillisecondTimerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Platform::SetClock(&clock);
        InitMillisecondClock();
    }

    void TearDown() override { Platform::SetClock(nullptr); }

    Platform::ManualClock clock{uint64_t(7000) * 1000000};
};

} // namespace

TEST_F(MillisecondTimerTest, CountsWholeMillisecondsSinceTheClockStarted)
{
    MillisecondTimer timer;
    clock.Advance(16);
    EXPECT_EQ(timer.Update(), 16);
    // Fractions are not lost: 1.5 ms twice counts 1 and then 2.
    clock.AdvanceNanoseconds(1500000);
    EXPECT_EQ(timer.Update(), 1);
    clock.AdvanceNanoseconds(1500000);
    EXPECT_EQ(timer.Update(), 2);
    EXPECT_EQ(timer.totalMs, 19);
    EXPECT_EQ(timer.elapsedMs, 2);
    EXPECT_FLOAT_EQ(timer.totalSeconds, 0.019f);
    EXPECT_FLOAT_EQ(timer.elapsedSeconds, 0.002f);
}

TEST_F(MillisecondTimerTest, AStallCountsAtMost100MsUnlessSpedUp)
{
    MillisecondTimer timer;
    clock.Advance(5000);
    EXPECT_EQ(timer.Update(), 100);
    EXPECT_EQ(timer.totalMs, 100);

    timer.speedFactor = 2;
    clock.Advance(5000);
    EXPECT_EQ(timer.Update(), 10000);
    EXPECT_EQ(timer.totalMs, 10100);
    EXPECT_FLOAT_EQ(timer.totalSeconds, 10.1f);
}

TEST_F(MillisecondTimerTest, ProgramStopwatchStartsAtItsFirstUse)
{
    MillisecondTimer& program = MillisecondTimer::Program();
    EXPECT_EQ(&program, &MillisecondTimer::Program());
    EXPECT_EQ(program.totalMs, 0);
    clock.Advance(30);
    EXPECT_EQ(program.Update(), 30);
}
