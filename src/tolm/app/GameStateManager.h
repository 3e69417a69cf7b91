// The game's screen state machine: states registered once by name, then switched, pushed over one
// another and popped. It owns the registered states; leaving them and deleting them is its last act.
#pragma once

#include "app/GameState.h"

#include <string>
#include <utility>
#include <vector>

class GameStateManager : public GameStateListener
{
public:
    GameStateManager() = default;
    // Leaves the active states from the top down, then deletes every registered state from the last
    // registered to the first.
    ~GameStateManager() override;

    // A name registered twice is registered twice; Find returns the first.
    void Register(const std::string& name, GameState* state) override;
    GameState* Find(const std::string& name) override;
    // The top state is left and replaced; false, changing nothing, for a null state.
    bool Switch(GameState* state) override;
    // False, changing nothing, when the top state does not pause.
    bool Push(GameState* state) override;
    // With no state left, quitting is requested instead of resuming one.
    void Pop() override;
    void RequestQuit() override { quitRequested = true; }

    // Top at the back.
    std::vector<GameState*> stack;
    std::vector<std::pair<std::string, GameState*>> registry;
    bool quitRequested = false;
};
