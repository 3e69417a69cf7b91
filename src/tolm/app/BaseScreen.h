// The base of every game screen: a full-screen widget that is also a state of the screen state machine.
// Entering adds it to the widget manager behind a fade from black; leaving with a callback fades to black
// first and runs the callback (which usually switches states) when the fade ends.
#pragma once

#include "app/GameState.h"
#include "core/Callback.h"
#include "widgets/Widget.h"

#include <string>

class BaseScreen : public Tolm::Widget, public GameState
{
public:
    // Covers the application's screen and is redrawn on every update.
    BaseScreen();
    // Deletes a leave callback that never ran.
    ~BaseScreen() override;

    void Enter() override;
    // After a fade-out, runs the leave callback first; otherwise the screen leaves the widget tree.
    void Leave() override;

    // The screen's own step when its state is entered, after the fade-in has started.
    virtual void OnEnter() {}
    // The screen's own step when its state is left; takes the screen out of the widget manager.
    virtual void OnLeave();
    // Takes ownership of the callback. While a fade-out already runs, or the application shuts down,
    // the callback is deleted without running.
    virtual void LeaveWithCallback(baseCallback* callback);

    // The leave callbacks of the game's screens: the state machine switches to the state of that name.
    void SwitchToMenuScreen();
    void SwitchToGameScreen();
    void SwitchToTownUpgradeScreen();
    // Null without a state machine or a state of that name.
    GameState* FindStateByName(const std::string& name);

    bool leaving = false;
    // Set by every leave, never cleared.
    bool hasLeft = false;
    baseCallback* leaveCallback = nullptr;

private:
    void RemoveFromManager();
    void SwitchToState(const std::string& name);
};
