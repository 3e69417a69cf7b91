// The town shown over the paused game as a state: it leaves with a left press only, and only once. The
// screen between levels has its own tests (TownUpgradeScreenTest.cpp).
#include "GameScreenFixture.h"
#include "screens/TownScreen.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
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
