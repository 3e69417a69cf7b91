// The states of the game's screen state machine and the interface through which a state reaches the
// machine it belongs to.
#pragma once

#include <string>

class GameState;

class GameStateListener
{
public:
    virtual ~GameStateListener() = default;
    // Takes ownership of the state.
    virtual void Register(const std::string& name, GameState* state) = 0;
    // Null when no state has the name.
    virtual GameState* Find(const std::string& name) = 0;
    virtual bool Switch(GameState* state) = 0;
    virtual bool Push(GameState* state) = 0;
    virtual void Pop() = 0;
    virtual void RequestQuit() = 0;
};

class GameState
{
public:
    GameState() = default;
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    virtual void Enter() = 0;
    virtual void Leave() = 0;
    // Asked of the top state before another is pushed over it: true lets it be pushed.
    virtual bool Pause() { return false; }
    // The state is the top one again.
    virtual void Resume() {}
    virtual ~GameState() = default;

    // The machine the state was registered with; set by whoever registers it.
    GameStateListener* listener = nullptr;
};
