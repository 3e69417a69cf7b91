// The two town screens as states: the town shown over the paused game leaves with a left press only, and
// the screen between levels goes on to the game with Enter and takes the debug keys in lower case only.
#include "GameScreenFixture.h"

#include "screens/TownScreen.h"
#include "screens/TownUpgradeScreen.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/UserProfile.h"
#include "widgets/WidgetManager.h"

#include <string>
#include <vector>

namespace {

class TownScreensTest : public GameScreenFixture
{
protected:
    ~TownScreensTest() override
    {
        delete Town::RegisteredInstance();
        delete BuildingsFactory::RegisteredInstance();
    }
    // Fades last 0.2 s.
    void Fade() { app.Frames(30); }
};

} // namespace

TEST_F(TownScreensTest, TheTownLeavesOnALeftPressAndOnlyOnce)
{
    auto* town = new TownScreen();
    states.Register("ShownTown", town);
    town->listener = &states;
    auto* below = new NotedState(notes, "below");
    states.Register("Below", below);
    states.stack.push_back(below);
    states.stack.push_back(town);
    town->Enter();
    Fade();
    app.widgetManager->MouseDown(400, 300, -1);
    app.widgetManager->MouseUp(400, 300, -1);
    Fade();
    EXPECT_EQ(states.stack.back(), town) << "a right press shows a hint, it does not leave";
    app.widgetManager->MouseDown(400, 300, 1);
    app.widgetManager->MouseUp(400, 300, 1);
    app.widgetManager->MouseDown(400, 300, 1);
    app.widgetManager->MouseUp(400, 300, 1);
    Fade();
    EXPECT_EQ(states.stack.back(), below);
    EXPECT_EQ(notes, (std::vector<std::string>{"below resume"}));
    states.stack.clear();
}

TEST_F(TownScreensTest, BetweenLevelsEnterGoesOnAndLowerCaseKeysAddToTheTotals)
{
    auto* upgrade = new TownUpgradeScreen();
    states.Register("Upgrade", upgrade);
    upgrade->listener = &states;
    upgrade->Enter();
    Fade();
    for (bool cheats : {false, true}) {
        app.SetBoolProperty("cheat_keys", cheats);
        const int gold = UserProfile::GetGold();
        const int food = UserProfile::GetFood();
        const int supplies = UserProfile::GetSupplies();
        for (char ch : std::string("qweQWE")) {
            upgrade->KeyChar(ch);
        }
        const int added = cheats ? 200 : 0;
        EXPECT_EQ(UserProfile::GetGold(), gold + added);
        EXPECT_EQ(UserProfile::GetFood(), food + added);
        EXPECT_EQ(UserProfile::GetSupplies(), supplies + added);
    }
    app.SetBoolProperty("cheat_keys", false);
    states.Register("GameScreen", new NotedState(notes, "GameScreen"));
    upgrade->KeyDown(13);
    upgrade->KeyDown(13);
    Fade();
    EXPECT_EQ(notes, (std::vector<std::string>{"GameScreen enter"})) << "a second Enter in the fade starts no second";
}
