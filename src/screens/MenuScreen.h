// Stand-in for the main menu until the game screens exist: the state the title screen hands over to. It
// shows the game's name and the studio's mark over the living town, whose buildings tell about themselves
// when the mouse rests on them or on a right press, and a click on its start text starts the game screen.
#pragma once

#include "app/BaseScreen.h"

#include <memory>
#include <string>

class GameStateManager;
class HintWindowLogic;

class MenuScreen : public BaseScreen
{
public:
    MenuScreen();
    ~MenuScreen() override;

    // The town moves on behind the menu.
    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    // The menu's music starts as the menu opens.
    void OnEnter() override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    using BaseScreen::MouseUp;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    // Run once the menu has faded out.
    void StartGame();

    std::unique_ptr<HintWindowLogic> hintLogic;
};

// Makes the screen and registers it with the state machine under the name.
void RegisterMenuScreen(GameStateManager* manager, const std::string& name);
