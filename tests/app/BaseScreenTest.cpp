// Game screens as states: the fade-in on entering, the fade-out before leaving and the one leave
// callback it runs.
#include "app/BaseScreen.h"

#include "app/GameStateManager.h"
#include "support/CountedCallback.h"
#include "support/SteppedApp.h"
#include "widgets/FullscreenFadder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using Trace = std::vector<std::string>;

class TestScreen : public BaseScreen
{
public:
    TestScreen(Trace& trace, std::string name) : trace(trace), name(std::move(name)) {}

    void OnEnter() override
    {
        trace.push_back(name + (Tolm::gTolmApp->widgetManager->HasWidget(this) ? " enter, shown" : " enter"));
    }
    void OnLeave() override
    {
        trace.push_back(name + " leave");
        BaseScreen::OnLeave();
    }

    Trace& trace;
    std::string name;
};

class BaseScreenTest : public testing::Test
{
protected:
    BaseScreenTest()
    {
        states->Register("MenuScreen", menu);
        states->Register("GameScreen", game);
        menu->listener = states.get();
        game->listener = states.get();
    }
    ~BaseScreenTest() override
    {
        states.reset();
        // Faders that a test left running.
        app.widgetManager->RemoveAllWidgets(true, false);
    }

    FullscreenFadder* TopFader()
    {
        const auto& children = app.widgetManager->GetChildren();
        return children.empty() ? nullptr : dynamic_cast<FullscreenFadder*>(children.back());
    }

    SteppedApp app;
    Trace trace;
    std::unique_ptr<GameStateManager> states = std::make_unique<GameStateManager>();
    TestScreen* menu = new TestScreen(trace, "menu");
    TestScreen* game = new TestScreen(trace, "game");
};

} // namespace

TEST_F(BaseScreenTest, ScreenCoversTheApplicationAndIsRedrawnOnEveryPass)
{
    EXPECT_EQ(menu->GetRect(), Tolm::Rect(0, 0, 800, 600));
    EXPECT_EQ(menu->flagsChange.add & Tolm::WidgetFlagMarkDirty, Tolm::WidgetFlagMarkDirty);
}

TEST_F(BaseScreenTest, EnteringShowsTheScreenBehindAFadeInOfTwentyUpdates)
{
    states->Switch(menu);
    EXPECT_EQ(trace, Trace{"menu enter, shown"});
    FullscreenFadder* fader = TopFader();
    ASSERT_NE(fader, nullptr) << "the fade lies above the screen";
    EXPECT_EQ(fader->alpha, 1.0f);
    app.Frames(19);
    ASSERT_EQ(TopFader(), fader);
    EXPECT_GT(fader->alpha, 0.0f);
    app.Frame();
    EXPECT_EQ(TopFader(), nullptr) << "the fader has gone";
    EXPECT_EQ(app.widgetManager->GetChildren().size(), 1u);
}

TEST_F(BaseScreenTest, LeaveCallbackRunsOnceWhenTheFadeOutEndsAndIsDeleted)
{
    states->Switch(menu);
    app.Frames(20);
    int invoked = 0;
    int deleted = 0;
    menu->LeaveWithCallback(new CountedCallback(invoked, deleted, [&] { states->Switch(game); }));
    FullscreenFadder* fader = TopFader();
    ASSERT_NE(fader, nullptr);
    EXPECT_EQ(fader->alpha, 0.0f);
    app.Frames(19);
    EXPECT_EQ(invoked, 0);
    EXPECT_TRUE(app.widgetManager->HasWidget(menu)) << "the screen stays while it fades out";
    app.Frame();
    EXPECT_EQ(invoked, 1);
    EXPECT_EQ(deleted, 1);
    EXPECT_FALSE(app.widgetManager->HasWidget(menu));
    EXPECT_TRUE(app.widgetManager->HasWidget(game));
    EXPECT_TRUE(menu->hasLeft);
    EXPECT_FALSE(menu->leaving);
    EXPECT_EQ(trace, (Trace{"menu enter, shown", "menu leave", "game enter, shown"}));
    app.Frames(40);
    EXPECT_EQ(invoked, 1);
}

TEST_F(BaseScreenTest, SecondLeaveCallbackDuringAFadeOutIsDeletedWithoutRunning)
{
    states->Switch(menu);
    int firstInvoked = 0;
    int firstDeleted = 0;
    int secondInvoked = 0;
    int secondDeleted = 0;
    menu->LeaveWithCallback(new CountedCallback(firstInvoked, firstDeleted, [&] { states->Switch(game); }));
    menu->LeaveWithCallback(new CountedCallback(secondInvoked, secondDeleted));
    EXPECT_EQ(secondDeleted, 1);
    app.Frames(25);
    EXPECT_EQ(firstInvoked, 1);
    EXPECT_EQ(firstDeleted, 1);
    EXPECT_EQ(secondInvoked, 0);
    EXPECT_EQ(secondDeleted, 1);
}

TEST_F(BaseScreenTest, LeaveCallbackWhileShuttingDownIsDeletedAndNoFadeStarts)
{
    states->Switch(menu);
    app.Frames(20);
    app.shutDown = true;
    int invoked = 0;
    int deleted = 0;
    menu->LeaveWithCallback(new CountedCallback(invoked, deleted));
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(TopFader(), nullptr);
    EXPECT_FALSE(menu->leaving);
}

TEST_F(BaseScreenTest, LeaveCallbackThatLeavesNoStateStillTakesTheScreenOut)
{
    states->Switch(menu);
    int invoked = 0;
    int deleted = 0;
    menu->LeaveWithCallback(new CountedCallback(invoked, deleted));
    app.Frames(20);
    EXPECT_EQ(invoked, 1);
    EXPECT_FALSE(app.widgetManager->HasWidget(menu));
    EXPECT_EQ(trace, (Trace{"menu enter, shown", "menu leave"}));
}

TEST_F(BaseScreenTest, StatesAreLeftFromTheTopWhenTheMachineGoes)
{
    class PausingScreen : public TestScreen
    {
    public:
        using TestScreen::TestScreen;
        bool Pause() override { return true; }
    };
    auto* paused = new PausingScreen(trace, "paused");
    states->Register("Paused", paused);
    states->Switch(paused);
    states->Push(game);
    app.Frames(20);
    trace.clear();
    states.reset();
    EXPECT_EQ(trace, (Trace{"game leave", "paused leave"}));
    EXPECT_TRUE(app.widgetManager->GetChildren().empty());
}
