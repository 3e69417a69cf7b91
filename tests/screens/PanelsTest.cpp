// The heads-up panels: counters that land in a fixed time whatever the amount, and the progress bar that
// follows the raw progress, fills in a fixed time and never shows more than full.
#include "effects/ParticleEmitter.h"
#include "hud/TimerPanel.h"
#include "hud/TopPanel.h"
#include "platform/FileSystem.h"
#include "profile/UserProfile.h"
#include "screens/ScreensFixture.h"
#include "support/TempFolder.h"

namespace {

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

} // namespace

class PanelsTest : public ScreensTest
{
protected:
    // The profile the top panel reads makes its folder in the current one.
    PanelsTest() : testsFolder(Platform::CurrentFolder())
    {
        Platform::SetCurrentFolder(temp.Path());
        Picture("PANEL_TOP_BACK", 600, 60);
        Picture("PANEL_TIMER_BACK", 80, 400);
        Picture("PANEL_TIMER_PROGRESS", 30, 300);
    }
    ~PanelsTest() override
    {
        DeleteSingleton<TopPanel>();
        DeleteSingleton<TimerPanel>();
        DeleteSingleton<UserProfile>();
        Platform::SetCurrentFolder(testsFolder);
    }

    TempFolder temp;
    std::string testsFolder;

    // Advances a value by whole update periods; true when it has landed on its target.
    static bool Steps(LiveValue& value, int count)
    {
        for (int i = 0; i < count; ++i) {
            value.Update(1.0f);
        }
        return value.current == value.target;
    }
};

TEST_F(PanelsTest, AnyAmountLandsInFortyUnitsAndTheScoreInFifty)
{
    for (int amount : {1, 1000, -250}) {
        TopPanel* panel = TopPanel::Instance();
        panel->AddGold(amount);
        EXPECT_EQ(panel->GetGold(), amount) << "the getter gives the target at once";
        EXPECT_FALSE(Steps(panel->gold, 39)) << amount;
        EXPECT_NEAR(panel->gold.current, float(amount) * 39 / 40, 0.001f * std::abs(amount)) << amount;
        EXPECT_TRUE(Steps(panel->gold, 2)) << amount;
        panel->AddScore(amount);
        EXPECT_FALSE(Steps(panel->score, 49)) << amount;
        EXPECT_TRUE(Steps(panel->score, 2)) << amount;
        DeleteSingleton<TopPanel>();
    }
}

TEST_F(PanelsTest, ASecondAdditionRetimesFromTheDistanceLeft)
{
    TopPanel* panel = TopPanel::Instance();
    panel->AddFood(100);
    Steps(panel->food, 20);
    panel->AddFood(100);
    // 150 left, at 150 x 0.025 a unit.
    EXPECT_FLOAT_EQ(panel->food.speed, 3.75f);
    EXPECT_EQ(panel->GetFood(), 200);
}

TEST_F(PanelsTest, TheTopPanelIsOnScreenUntilFullyHidden)
{
    TopPanel* panel = TopPanel::Instance();
    EXPECT_FALSE(panel->IsOnScreen()) << "it starts hidden above the screen";
    panel->SetShown(true, true);
    panel->UpdateFraction(1.0f);
    EXPECT_TRUE(panel->IsOnScreen()) << "1.5 px below hidden";
    EXPECT_EQ(panel->y, -58) << "-58.5 truncated toward zero";
    panel->SetShown(true, false);
    EXPECT_EQ(panel->slide.current, 5.0f);
    EXPECT_EQ(panel->x, (app->width - 600) / 2);
}

TEST_F(PanelsTest, FromEmptyAnyGoalFillsTheBarInThreeHundredUnits)
{
    for (float goal : {1.0f, 84.0f, 5000.0f}) {
        TimerPanel* panel = TimerPanel::Instance();
        panel->Reset();
        panel->SetGoal(goal);
        panel->AddProgress(goal);
        panel->SyncDisplay();
        EXPECT_FALSE(Steps(panel->displayed, 299)) << goal;
        EXPECT_NEAR(panel->GetDisplayedFraction(), 299.0f / 300, 0.0001f) << goal;
        EXPECT_TRUE(Steps(panel->displayed, 2)) << goal;
        EXPECT_EQ(panel->GetDisplayedFraction(), 1.0f) << goal;
        DeleteSingleton<TimerPanel>();
    }
}

TEST_F(PanelsTest, TheDisplayFollowsTheProgressAndTheFractionsStopAtFull)
{
    TimerPanel* panel = TimerPanel::Instance();
    panel->SetGoal(10);
    panel->AddProgress(4);
    panel->AdvanceDisplay(6);
    EXPECT_EQ(panel->displayed.target, 4.0f) << "not past the progress";
    panel->AddProgress(20);
    panel->AdvanceDisplay(30);
    EXPECT_EQ(panel->displayed.target, 10.0f) << "not past the goal";
    panel->SyncDisplay();
    EXPECT_EQ(panel->displayed.target, 24.0f) << "syncing may pass the goal";
    panel->SetProgressFraction(0.5f);
    EXPECT_EQ(panel->displayed.current, 5.0f);
    panel->AddProgress(100);
    EXPECT_EQ(panel->GetProgressFraction(), 1.0f);
}

TEST_F(PanelsTest, AGoalOfZeroOrLessIsAFullBarFilledAtSpeedOne)
{
    for (float goal : {0.0f, -3.0f}) {
        TimerPanel* panel = TimerPanel::Instance();
        panel->SetGoal(goal);
        if (goal == 0.0f) {
            EXPECT_EQ(panel->displayed.speed, 1.0f);
        }
        EXPECT_EQ(panel->GetProgressFraction(), 1.0f) << goal;
        EXPECT_EQ(panel->GetDisplayedFraction(), 1.0f) << goal;
        DeleteSingleton<TimerPanel>();
    }
}

TEST_F(PanelsTest, TheBarPointAndTheParticleLineFollowTheFill)
{
    TimerPanel* panel = TimerPanel::Instance();
    panel->SetShown(true, false);
    panel->SetGoal(10);
    panel->UpdateFraction(1.0f);
    EXPECT_EQ(panel->GetBarX(), 8.0f + 48.0f);
    EXPECT_EQ(panel->GetBarLevelY(), 71.0f + 64.0f + 300.0f) << "an empty bar: the bottom of the slot";
    EXPECT_TRUE(panel->emitter->IsStopped()) << "nothing emits at 0";
    panel->SetProgressFraction(0.5f);
    panel->UpdateFraction(1.0f);
    EXPECT_EQ(panel->GetBarLevelY(), 71.0f + 64.0f + 150.0f);
    EXPECT_FALSE(panel->emitter->IsStopped());
    EXPECT_EQ(panel->emitter->currentY, 64.0f + 150.0f);
}
