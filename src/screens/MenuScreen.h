// Stand-in for the main menu until the game screens exist: the state the title screen hands over to. It
// shows the game's name and the studio's mark over the living town, and a click on its start text starts
// the game screen.
#pragma once

#include "app/BaseScreen.h"

#include <string>

class GameStateManager;

class MenuScreen : public BaseScreen
{
public:
    // The town moves on behind the menu.
    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    // The menu's music starts as the menu opens.
    void OnEnter() override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    // Run once the menu has faded out.
    void StartGame();
};

// Makes the screen and registers it with the state machine under the name.
void RegisterMenuScreen(GameStateManager* manager, const std::string& name);
