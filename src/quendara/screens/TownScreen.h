// The state "TownScreen": the player's town on its own, pushed over the paused game by the town button.
// The click-to-continue label fades in, a built building tells about itself when the mouse rests on it or
// on a right press, and a left click fades the screen out and pops it, which resumes the game.
#pragma once

#include "app/BaseScreen.h"

#include <memory>
#include <string>

class GameStateManager;
class HintWindowLogic;
class LabelClickToContinue;

class TownScreen : public BaseScreen
{
public:
    TownScreen();
    ~TownScreen() override;

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    using BaseScreen::MouseDown;
    void MouseDown(int x, int y, int signedClickCount) override;
    using BaseScreen::MouseUp;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void OnEnter() override;
    void OnLeave() override;

    void PopSelf();

    std::unique_ptr<HintWindowLogic> hintLogic;
    std::unique_ptr<LabelClickToContinue> label;
};

void RegisterTownScreen(GameStateManager* manager, const std::string& name);
