// Stand-in for the game screen until it exists: the state "GameScreen", in which a level is played. It
// hosts the live board under the top panel, the progress bar and the bonus panel on the board's backdrop,
// hands the board every mouse event and key, steps, ticks and draws it, checks the town people after each
// update, and runs a level's end: a full progress bar hides the board, pays the level into the profile
// and starts the next level; a failed level hides the board and starts it again as a retry. Windows,
// hints, music and the menu buttons are left to the real screen.
#pragma once

#include "app/BaseScreen.h"

#include <string>

class GameStateManager;

namespace Tolm {
class Image;
}

class GameScreen : public BaseScreen
{
public:
    GameScreen();
    ~GameScreen() override;

    void OnEnter() override;
    void OnLeave() override;
    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    void DrawOverlay(Tolm::Graphics* g) override;
    void LostFocus() override;
    void KeyDown(int keyCode) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;

    // Run by the board once it has disappeared.
    void FinishLevel();
    void RestartAfterFailure();

    Tolm::Image* background;

private:
    void OnLevelComplete();
    void OnLevelFailed();
    void HidePanels();
    void ShowPanels();
};

// Makes the screen and registers it with the state machine under the name.
void RegisterGameScreen(GameStateManager* manager, const std::string& name);
