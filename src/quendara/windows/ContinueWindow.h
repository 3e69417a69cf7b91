// Asked when the player starts while a saved game exists: 2 continues it (the button or Enter), 0 goes
// back to the main menu (the button or Esc), and 1 starts a new game once the confirmation window, which
// this window opens in its place, has been answered yes. Answered no, the window grows back in and waits
// for another choice.
#pragma once

#include "core/Singleton.h"
#include "windows/BaseWindow.h"

#include <memory>

class BaseWindowButton;

class ContinueWindow : public BaseWindow, public Singleton<ContinueWindow>
{
public:
    ContinueWindow();
    ~ContinueWindow() override;

    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int buttonId) override;

    std::unique_ptr<BaseWindowButton> mainMenuButton;
    std::unique_ptr<BaseWindowButton> newGameButton;
    std::unique_ptr<BaseWindowButton> continueButton;

private:
    void AskForNewGame();
};
