#include "app/GameStateManager.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using Trace = std::vector<std::string>;

class RecordingState : public GameState
{
public:
    RecordingState(Trace& trace, std::string name, bool pauses = false)
        : trace(trace), name(std::move(name)), pauses(pauses)
    {}
    ~RecordingState() override { trace.push_back(name + " deleted"); }

    void Enter() override { trace.push_back(name + " enter"); }
    void Leave() override { trace.push_back(name + " leave"); }
    bool Pause() override
    {
        trace.push_back(name + " pause");
        return pauses;
    }
    void Resume() override { trace.push_back(name + " resume"); }

    Trace& trace;
    std::string name;
    bool pauses;
};

Trace Take(Trace& trace)
{
    return std::exchange(trace, Trace());
}

} // namespace

TEST(GameStateManagerTest, SwitchPushAndPopEnterLeavePauseAndResumeInOrder)
{
    Trace trace;
    {
        GameStateManager manager;
        auto* menu = new RecordingState(trace, "menu");
        auto* game = new RecordingState(trace, "game", true);
        auto* town = new RecordingState(trace, "town");
        manager.Register("MenuScreen", menu);
        manager.Register("GameScreen", game);
        manager.Register("TownScreen", town);
        EXPECT_TRUE(manager.Switch(manager.Find("MenuScreen")));
        EXPECT_FALSE(manager.Push(town)) << "the menu does not pause";
        EXPECT_TRUE(manager.Switch(game));
        EXPECT_TRUE(manager.Push(town));
        manager.Pop();
        EXPECT_EQ(Take(trace), (Trace{"menu enter", "menu pause", "menu leave", "game enter", "game pause",
                                      "town enter", "town leave", "game resume"}));
        EXPECT_FALSE(manager.quitRequested);
        manager.Push(town);
        Take(trace);
    }
    EXPECT_EQ(trace, (Trace{"town leave", "game leave", "town deleted", "game deleted", "menu deleted"}))
        << "the active states are left from the top, then all are deleted from the last registered";
}

TEST(GameStateManagerTest, PoppingTheLastStateRequestsQuittingInsteadOfResuming)
{
    Trace trace;
    GameStateManager manager;
    auto* menu = new RecordingState(trace, "menu");
    manager.Register("MenuScreen", menu);
    manager.Switch(menu);
    manager.Pop();
    EXPECT_TRUE(manager.quitRequested);
    EXPECT_TRUE(manager.stack.empty());
    manager.Pop();
    EXPECT_EQ(Take(trace), (Trace{"menu enter", "menu leave"}));
}

TEST(GameStateManagerTest, UnknownNamesAndNullStatesChangeNothing)
{
    Trace trace;
    GameStateManager manager;
    auto* first = new RecordingState(trace, "first");
    auto* second = new RecordingState(trace, "second");
    manager.Register("Screen", first);
    manager.Register("Screen", second);
    manager.Register("Again", first);
    EXPECT_EQ(manager.Find("Screen"), first) << "the first registration of a name is found";
    EXPECT_EQ(manager.Find("screen"), nullptr);
    EXPECT_EQ(manager.Find("Scree"), nullptr);
    manager.Switch(first);
    EXPECT_FALSE(manager.Switch(manager.Find("TownUpgradeScreen")));
    EXPECT_EQ(manager.stack, std::vector<GameState*>{first});
}

TEST(GameStateManagerTest, StateRegisteredTwiceIsDeletedOnce)
{
    Trace trace;
    {
        GameStateManager manager;
        auto* state = new RecordingState(trace, "menu");
        manager.Register("MenuScreen", state);
        manager.Register("MainMenu", state);
    }
    EXPECT_EQ(trace, Trace{"menu deleted"});
}
