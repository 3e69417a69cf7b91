// The main loop's frame timing, driven by a manual clock: the clock moves only when the loop sleeps
// or a present waits for the display.
#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "platform/Clock.h"
#include "support/NullSound.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using namespace Tolm;

namespace {

constexpr uint64_t kStartNs = uint64_t(1000000) * 1000000;

// Records every sleep into the event log.
class LoggingClock : public Platform::ManualClock
{
public:
    explicit LoggingClock(std::string& log) : ManualClock(kStartNs), log(log) {}
    void Sleep(uint32_t milliseconds) override
    {
        log += 'S';
        sleeps.push_back(milliseconds);
        ManualClock::Sleep(milliseconds);
    }

    std::vector<uint32_t> sleeps;

private:
    std::string& log;
};

// Logs updates ('U') and presents ('P'). A present waits for the next refresh when vsyncHz is set.
class TimedApp : public TolmAppBase
{
public:
    explicit TimedApp(std::string& log, Platform::ManualClock& clock) : log(log), clock(clock)
    {
        screen.Create(4, 4);
        widgetManager->screenImage = &screen;
        gameScreen.Resize(0, 0, 4, 4);
        widgetManager->AddWidget(&gameScreen);
    }
    ~TimedApp() override
    {
        widgetManager->RemoveWidget(&gameScreen);
        widgetManager->screenImage = nullptr;
    }

    void Update() override
    {
        TolmAppBase::Update();
        log += 'U';
        // The screens redraw on every update, as a game screen does.
        gameScreen.Invalidate();
        if (onUpdate) {
            onUpdate(updateCount);
        }
    }
    void UpdateFraction(float steps) override
    {
        TolmAppBase::UpdateFraction(steps);
        fractions.push_back(steps);
    }
    void PresentScreen(const Rect*) override
    {
        log += 'P';
        presentTimes.push_back(clock.Milliseconds());
        if (vsyncHz > 0) {
            uint64_t period = 1000000000 / uint64_t(vsyncHz);
            uint64_t sinceStart = clock.Nanoseconds() - kStartNs;
            clock.AdvanceNanoseconds((sinceStart / period + 1) * period - sinceStart);
        }
    }
    void ShutdownHook() override { ++shutdownHooks; }
    void WriteToRegistry() override { ++registryWrites; }

    // Steps the loop until the clock has moved the given time on. Each step costs 50 microseconds: the
    // loop waits out the last fraction of a millisecond by running, not sleeping.
    void RunFor(uint32_t milliseconds)
    {
        uint32_t end = clock.Milliseconds() + milliseconds;
        while (int32_t(clock.Milliseconds() - end) < 0) {
            StepMainLoop(nullptr);
            clock.AdvanceNanoseconds(50000);
        }
    }

    std::string& log;
    Platform::ManualClock& clock;
    DDImage screen;
    Widget gameScreen;
    int vsyncHz = 0;
    std::vector<float> fractions;
    std::vector<uint32_t> presentTimes;
    std::function<void(int)> onUpdate;
    int shutdownHooks = 0;
    int registryWrites = 0;
};

class FrameTimingTest : public testing::Test
{
protected:
    FrameTimingTest() { Platform::SetClock(&clock); }
    ~FrameTimingTest() override { Platform::SetClock(nullptr); }

    int Count(char event) const { return int(std::count(log.begin(), log.end(), event)); }

    // The number of updates between one present and the next, for every present after the first.
    std::vector<int> UpdatesPerFrame() const
    {
        std::vector<int> frames;
        size_t present = log.find('P');
        while (present != std::string::npos) {
            size_t next = log.find('P', present + 1);
            if (next == std::string::npos) {
                break;
            }
            std::string between = log.substr(present + 1, next - present - 1);
            frames.push_back(int(std::count(between.begin(), between.end(), 'U')));
            present = next;
        }
        return frames;
    }

    std::string log;
    LoggingClock clock{log};
};

} // namespace

TEST_F(FrameTimingTest, WindowedLogicRunsAHundredUpdatesPerSecondWhateverTheRefresh)
{
    struct Case
    {
        const char* name;
        bool smoothUpdates;
        int refreshRate;
        float fraction;
    };
    const Case cases[] = {
        {"framework timing", false, 100, 1.0f},
        {"game timing at 60 Hz", true, 60, float(1000.0 / 600.0)},
        {"game timing at 100 Hz", true, 100, 1.0f},
        {"game timing at 75 Hz", true, 75, float(1000.0 / 750.0)},
    };
    for (const Case& c : cases) {
        log.clear();
        TimedApp app(log, clock);
        app.smoothUpdates = c.smoothUpdates;
        app.refreshRate = c.refreshRate;
        app.RunFor(100);
        int before = Count('U');
        app.RunFor(2000);
        EXPECT_NEAR(Count('U') - before, 200, 2) << c.name;
        ASSERT_FALSE(app.fractions.empty()) << c.name;
        for (float fraction : app.fractions) {
            EXPECT_FLOAT_EQ(fraction, c.fraction) << c.name;
        }
    }
}

TEST_F(FrameTimingTest, FullScreenAtSixtyHertzAlternatesOneAndTwoUpdatesPerFrame)
{
    TimedApp app(log, clock);
    app.smoothUpdates = true;
    app.refreshRate = 60;
    app.isWindowedNow = false;
    app.vsyncHz = 60;
    app.RunFor(3000);
    std::vector<int> frames = UpdatesPerFrame();
    ASSERT_GE(frames.size(), 170u);
    // Each frame stands for 1000 / 600 updates: the carried fraction gives 1, 2, 2, 1, 2, 2, ...
    for (size_t i = 2; i + 3 <= frames.size(); i += 3) {
        EXPECT_TRUE(frames[i] == 1 || frames[i] == 2) << "frame " << i;
        EXPECT_EQ(frames[i] + frames[i + 1] + frames[i + 2], 5) << "frames " << i;
    }
    EXPECT_EQ(app.fractions.back(), float(1000.0 / 600.0));
    EXPECT_FALSE(app.vsyncBroken);
    EXPECT_EQ(Count('S'), 0) << "the presents pace the frames; the loop never sleeps";
}

TEST_F(FrameTimingTest, PresentsThatDoNotWaitForTheRefreshTurnSmoothTimingOff)
{
    TimedApp app(log, clock);
    app.smoothUpdates = true;
    app.refreshRate = 60;
    app.isWindowedNow = false;
    // Presents return at once: a second's worth of updates runs in far less than 800 ms, and after
    // three such checkpoints in a row the clock paces the frames instead.
    app.RunFor(500);
    EXPECT_TRUE(app.vsyncBroken);
    log.clear();
    app.RunFor(1000);
    EXPECT_NEAR(Count('U'), 100, 2);
}

TEST_F(FrameTimingTest, FiveSecondStallCostsTwentyUpdatesNotFiveHundred)
{
    TimedApp app(log, clock);
    app.onUpdate = [&](int update) {
        if (update == 50) {
            clock.Advance(5000);
        }
    };
    app.RunFor(6000);
    // 6000 ms of clock, 5000 of them stalled: 100 updates of running time plus 20 of capped debt.
    EXPECT_NEAR(app.updateCount, 100 + 20, 2);
}

TEST_F(FrameTimingTest, DrawIsForcedWhenTheTenthUpdateInARowIsDue)
{
    TimedApp app(log, clock);
    app.loadingCompleted = true;
    app.onUpdate = [&](int update) {
        if (update == 50) {
            clock.Advance(5000);
            log += '|';
        }
    };
    app.RunFor(6000);
    std::string catchUp = log.substr(log.find('|') + 1);
    catchUp = catchUp.substr(0, catchUp.find('S'));
    // The stalled update was the first in a row: eight more, then a draw, then nine and a draw...
    EXPECT_EQ(catchUp.substr(0, 20), "UUUUUUUUPUUUUUUUUUPU");
}

TEST_F(FrameTimingTest, BeforeLoadingHasCompletedCatchUpIsNotInterruptedByDraws)
{
    TimedApp app(log, clock);
    app.onUpdate = [&](int update) {
        if (update == 50) {
            clock.Advance(5000);
            log += '|';
        }
    };
    app.RunFor(6000);
    std::string catchUp = log.substr(log.find('|') + 1);
    EXPECT_EQ(catchUp.substr(0, 19), std::string(19, 'U'));
}

TEST_F(FrameTimingTest, WhileTheLoadingThreadRunsDrawsComeAtMostEveryFiftyMilliseconds)
{
    TimedApp app(log, clock);
    app.loadingThreadStarted = true;
    app.loadingThreadRunning = true;
    app.RunFor(1000);
    // Each draw is due 50 ms after the one before was due, so one that came late brings the next closer.
    std::vector<uint32_t> whileLoading = std::exchange(app.presentTimes, {});
    EXPECT_NEAR(whileLoading.size(), 20, 1);
    for (size_t i = 1; i < whileLoading.size(); ++i) {
        EXPECT_GE(whileLoading[i] - whileLoading[i - 1], 45u) << "present " << i;
    }
    app.loadingThreadDone = true;
    app.RunFor(1000);
    EXPECT_NEAR(app.presentTimes.size(), 100, 2) << "once loading is done, a draw for every update";
}

TEST_F(FrameTimingTest, WhileTheLoadingThreadRunsTheLoopSleepsTwiceItsWorkButAtMostAQuarterSecond)
{
    struct Case
    {
        uint32_t updateMs;
        uint32_t sleepMs;
    };
    for (const Case& c : {Case{30, 60}, Case{200, 250}}) {
        TimedApp app(log, clock);
        app.loadingThreadStarted = true;
        app.loadingThreadRunning = true;
        size_t sleepsBefore = 0;
        app.onUpdate = [&](int update) {
            if (update == 20) {
                clock.Advance(c.updateMs);
                sleepsBefore = clock.sleeps.size();
            }
        };
        app.RunFor(1000);
        ASSERT_GT(clock.sleeps.size(), sleepsBefore);
        EXPECT_EQ(clock.sleeps[sleepsBefore], c.sleepMs) << "an update of " << c.updateMs << " ms";
        EXPECT_LE(*std::max_element(clock.sleeps.begin(), clock.sleeps.end()), 250u);
        app.loadingThreadStarted = false;
    }
}

TEST_F(FrameTimingTest, NothingDirtyStillPresentsOnceASecond)
{
    TimedApp app(log, clock);
    app.onUpdate = [&](int) { app.gameScreen.dirty = false; };
    app.gameScreen.dirty = false;
    app.RunFor(5000);
    EXPECT_NEAR(Count('P'), 5, 1);
    EXPECT_NEAR(app.updateCount, 500, 2);
}

TEST_F(FrameTimingTest, WithoutSpeedNoLogicRunsWhileMessagesAreStillHandled)
{
    TimedApp app(log, clock);
    app.updateMultiplier = 0;
    for (int i = 0; i < 100; ++i) {
        app.StepMainLoop(nullptr);
        clock.Advance(10);
    }
    EXPECT_EQ(app.updateCount, 0);
    app.deferredMessages.push_back({0, Platform::WM_KEYDOWN, 'A', 1});
    app.StepMainLoop(nullptr);
    app.StepMainLoop(nullptr);
    EXPECT_TRUE(app.deferredMessages.empty());
    EXPECT_TRUE(app.widgetManager->keyDown['A']);
}

namespace {

// Counts its own destruction.
class TrackedWidget : public Widget
{
public:
    explicit TrackedWidget(std::vector<std::string>& deaths, std::string name) : deaths(deaths), name(std::move(name))
    {}
    ~TrackedWidget() override { deaths.push_back(name); }

    std::vector<std::string>& deaths;
    std::string name;
};

} // namespace

TEST_F(FrameTimingTest, WidgetQueuedBeforeAModalWaitOutlivesItAndOnesQueuedInsideDoNot)
{
    TimedApp app(log, clock);
    std::vector<std::string> deaths;
    std::vector<std::string> seenInsideWait;
    bool waiting = false;
    app.onUpdate = [&](int update) {
        if (update != 5 || waiting) {
            if (waiting && update == 7) {
                app.DeferWidgetDeletion(new TrackedWidget(deaths, "inner"));
            }
            return;
        }
        app.DeferWidgetDeletion(new TrackedWidget(deaths, "outer"));
        // A modal wait: the application keeps updating in a nested loop until the window has a result.
        waiting = true;
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(app.UpdateApp());
        }
        waiting = false;
        seenInsideWait = deaths;
    };
    app.RunFor(200);
    EXPECT_EQ(seenInsideWait, std::vector<std::string>{"inner"});
    EXPECT_EQ(deaths, (std::vector<std::string>{"inner", "outer"}));
}

TEST_F(FrameTimingTest, ShutdownEndsNestedLoopsAndTheMainLoop)
{
    TimedApp app(log, clock);
    bool nestedResult = true;
    app.onUpdate = [&](int update) {
        if (update == 3) {
            app.Shutdown();
            nestedResult = app.UpdateApp();
        }
    };
    app.MainLoop();
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(app.updateCount, 3);
}

TEST_F(FrameTimingTest, ShutdownCalledTwiceDoesItsWorkOnce)
{
    TimedApp app(log, clock);
    app.registryRead = true;
    app.Shutdown();
    app.Shutdown();
    EXPECT_TRUE(app.shutDown);
    EXPECT_TRUE(app.exitNestedLoops);
    EXPECT_EQ(app.shutdownHooks, 1);
    EXPECT_EQ(app.registryWrites, 1);
}

TEST_F(FrameTimingTest, ShutdownFromAnotherThreadWaitsForTheMainThreadsNextPass)
{
    TimedApp app(log, clock);
    app.mainThreadId = std::this_thread::get_id();
    std::thread([&] { app.Shutdown(); }).join();
    EXPECT_TRUE(app.shutdownRequested);
    EXPECT_FALSE(app.shutDown);
    EXPECT_EQ(app.shutdownHooks, 0);
    app.processState = 1;
    app.Process(true);
    EXPECT_TRUE(app.shutDown);
    EXPECT_EQ(app.shutdownHooks, 1);
}

TEST_F(FrameTimingTest, ADemoCaughtUpInSilenceStopsTheSoundsItsUpdatesStartedBeforeItIsHeardAgain)
{
    // Logs 'X' for every stop of all sounds, with whether the application was muted then.
    class StoppingSounds : public NullSoundManager
    {
    public:
        explicit StoppingSounds(TimedApp& app) : app(app) {}
        void StopAll() override { mutedAtStops.push_back(app.IsMuted()); }
        TimedApp& app;
        std::vector<bool> mutedAtStops;
    };
    TimedApp app(log, clock);
    while (app.IsMuted()) {
        app.Unmute(true);
    }
    auto sounds = std::make_unique<StoppingSounds>(app);
    StoppingSounds& stopping = *sounds;
    app.soundManager = std::move(sounds);
    app.playingDemo = true;
    app.demoTargetUpdate = app.updateCount + 300;
    app.demoNextEventUpdate = -1;
    app.RunFor(100);
    EXPECT_GE(app.updateCount, app.demoTargetUpdate);
    EXPECT_EQ(stopping.mutedAtStops, std::vector<bool>{true});
    EXPECT_FALSE(app.IsMuted());
    app.playingDemo = false;
}
