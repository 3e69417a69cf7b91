// Module lists stepped on the core time: tweens, timed and speed-driven values, sequence delays and
// callbacks, with the step results 0, -1 and -2.
#include "core/CoreTimer.h"
#include "core/TweenModules.h"
#include "support/CountedCallback.h"

#include <functional>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

class FakeApplicationTime : public CoreTimeSource
{
public:
    int GetUpdateCount() const override { return 0; }
    double GetCoreTime() const override { return coreTime; }
    double coreTime = 0;
};

// Counts its steps; answers with a result that the test picks.
class Counter : public mutBase
{
public:
    Counter(int& steps, int result = kContinue) : steps(steps), result(result) {}
    int Step() override
    {
        ++steps;
        return result;
    }
    mutBase* Clone() override { return new Counter(steps, result); }

    int& steps;
    int result;
};

class ModuleTest : public testing::Test
{
protected:
    ModuleTest()
    {
        ShutdownCore();
        SetCoreTimeSource(&application);
        TickCore();
    }
    ~ModuleTest() override
    {
        ShutdownCore();
        SetCoreTimeSource(nullptr);
    }

    // One frame of the given number of 10 ms updates (25 make a quarter second), then one pass.
    void Pass(int updates = 25)
    {
        application.coreTime += updates;
        TickCore();
        object.UpdateModules();
    }

    FakeApplicationTime application;
    baseObject object;
};

} // namespace

TEST_F(ModuleTest, LerpWithoutLimitNeverFinishesAndALimitedOneKeepsTheTimeItStillNeeded)
{
    auto* endless = new mutLerp(0);
    object.AddModule(endless, false);
    for (int i = 0; i < 50; ++i) {
        Pass();
    }
    EXPECT_EQ(object.FirstModule(), endless);
    EXPECT_FLOAT_EQ(endless->lastTickSeconds, 0.25f);
    object.ClearModules();

    auto* limited = new mutLerp(0.6f);
    object.AddModule(limited, false);
    Pass();
    Pass();
    EXPECT_EQ(limited->Step(), mutBase::kFinished) << "a third quarter second passes the limit";
    EXPECT_NEAR(limited->lastTickSeconds, 0.1f, 1e-6f);
}

TEST_F(ModuleTest, ValueSetMovesAtItsSpeedAndFinishesOnTheGoal)
{
    struct Case
    {
        const char* name;
        float start;
        float goal;
        float speed;
        std::vector<float> values;
    };
    const Case cases[] = {
        {"lands on the goal", 0, 1, 2, {0.5f, 1}},
        {"stops at the goal", 0, 1, 3, {0.75f, 1}},
        {"downwards", 1, -1, 4, {0, -1}},
    };
    for (const Case& c : cases) {
        float value = c.start;
        object.AddModule(new mutValueSet<float>(&value, c.goal, c.speed), false);
        for (size_t i = 0; i < c.values.size(); ++i) {
            Pass();
            EXPECT_EQ(value, c.values[i]) << c.name << " pass " << i;
            EXPECT_EQ(object.FirstModule() == nullptr, i + 1 == c.values.size()) << c.name << " pass " << i;
        }
    }
}

TEST_F(ModuleTest, ValueSetAtItsGoalIsDeletedAtItsStartWithoutAStep)
{
    float value = 3;
    int steps = 0;
    object.AddModule(new mutValueSet<float>(&value, 3, 1), false);
    object.AddModule(new Counter(steps), false);
    Pass();
    EXPECT_EQ(value, 3);
    EXPECT_EQ(steps, 1);
    EXPECT_NE(object.FirstModule(), nullptr);
    object.ClearModules();
    EXPECT_EQ(object.FirstModule(), nullptr);
}

TEST_F(ModuleTest, ValueToTweensFromItsStartValueAndZeroDurationJumps)
{
    float value = 2;
    object.AddModule(new mutValueTo<float>(&value, 6, 1.0f), false);
    value = 4;
    std::vector<float> seen;
    for (int i = 0; i < 4; ++i) {
        Pass();
        seen.push_back(value);
    }
    EXPECT_EQ(seen, (std::vector<float>{4.5f, 5, 5.5f, 6})) << "the start value is read when it starts";
    EXPECT_EQ(object.FirstModule(), nullptr);

    float jump = 0;
    object.AddModule(new mutValueTo<float>(&jump, 7, 0), false);
    Pass(0);
    EXPECT_EQ(jump, 7);
    EXPECT_EQ(object.FirstModule(), nullptr);
}

TEST_F(ModuleTest, CallbackAfterATweenAndAWaitingDelayFiresInThePassTheTweenEnds)
{
    float alpha = 1;
    int invoked = 0;
    int deleted = 0;
    object.AddModule(new mutValueTo<float>(&alpha, 0, 0.5f), false);
    object.AddModule(new mutSequenceDelay(0, true), false);
    object.AddModule(new mutCallbackStep(new CountedCallback(invoked, deleted)), false);
    Pass();
    EXPECT_EQ(alpha, 0.5f);
    EXPECT_EQ(invoked, 0);
    Pass();
    EXPECT_EQ(alpha, 0);
    EXPECT_EQ(invoked, 1);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(object.FirstModule(), nullptr);
    Pass();
    EXPECT_EQ(invoked, 1);
}

TEST_F(ModuleTest, DelayHoldsTheModulesAfterItWhileThoseBeforeItRun)
{
    int before = 0;
    int after = 0;
    object.AddModule(new Counter(before), false);
    object.AddModule(new mutSequenceDelay(0.5f, false), false);
    object.AddModule(new Counter(after), false);
    Pass();
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
    Pass();
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 1) << "the modules behind start in the pass in which the delay ends";
    Pass();
    EXPECT_EQ(after, 2);
}

TEST_F(ModuleTest, WaitingDelayOfNoTimeAtTheFrontIsDroppedAtOnce)
{
    int after = 0;
    object.AddModule(new mutSequenceDelay(0, true), false);
    object.AddModule(new Counter(after), false);
    Pass();
    EXPECT_EQ(after, 1);
}

TEST_F(ModuleTest, HoldResultEndsThePassAndFinishedResultDeletes)
{
    int holder = 0;
    int behind = 0;
    int once = 0;
    object.AddModule(new Counter(once, mutBase::kFinished), false);
    object.AddModule(new Counter(holder, mutBase::kHoldRest), false);
    object.AddModule(new Counter(behind), false);
    Pass();
    Pass();
    EXPECT_EQ(once, 1);
    EXPECT_EQ(holder, 2);
    EXPECT_EQ(behind, 0);
}

TEST_F(ModuleTest, ModuleAddedAtTheEndDuringAPassRunsInThatPass)
{
    int added = 0;
    int invoked = 0;
    int deleted = 0;
    object.AddModule(new mutCallbackStep(
                         new CountedCallback(invoked, deleted, [&] { object.AddModule(new Counter(added), false); })),
                     false);
    Pass();
    EXPECT_EQ(added, 1);
}

TEST_F(ModuleTest, NothingMovesWhileTheCoreTimeStandsStill)
{
    float value = 0;
    int after = 0;
    object.AddModule(new mutValueTo<float>(&value, 1, 0.5f), false);
    object.AddModule(new mutSequenceDelay(0.25f, false), false);
    object.AddModule(new Counter(after), false);
    for (int i = 0; i < 10; ++i) {
        Pass(0);
    }
    EXPECT_EQ(value, 0);
    EXPECT_EQ(after, 0);
}

TEST_F(ModuleTest, CallbacksRunAtMostOnceAndAreDeletedExactlyOnce)
{
    int invoked = 0;
    int deleted = 0;
    {
        // Never reached: the owner dies first.
        baseObject owner;
        owner.AddModule(new mutSequenceDelay(10, false), false);
        owner.AddModule(new mutCallbackStep(new CountedCallback(invoked, deleted)), false);
        owner.UpdateModules();
    }
    EXPECT_EQ(invoked, 0);
    EXPECT_EQ(deleted, 1);

    // Clears its own list while it runs.
    object.AddModule(new mutCallbackStep(new CountedCallback(invoked, deleted, [&] { object.ClearModules(); })), false);
    object.AddModule(new mutCallbackStep(new CountedCallback(invoked, deleted)), false);
    Pass();
    EXPECT_EQ(invoked, 1);
    EXPECT_EQ(deleted, 3);
    EXPECT_EQ(object.FirstModule(), nullptr);

    // A clone holds a callback of its own.
    mutCallbackStep original(new CountedCallback(invoked, deleted));
    mutBase* copy = original.Clone();
    object.AddModule(copy, false);
    Pass();
    EXPECT_EQ(invoked, 2);
    EXPECT_EQ(deleted, 4);
}
