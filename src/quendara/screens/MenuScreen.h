// The state "MenuScreen", the main menu: the player's town as a living background, the title sliding down
// from the top and the menu panel sliding up from the bottom. A press on the free town puts both away, so
// the town can be looked at while a "click to continue" line shows, and the next press brings them back.
// The panel's buttons start or continue the game, open the options, end the program or change the
// profile; an invisible listener makes the player create a profile while none is open.
#pragma once

#include "app/BaseScreen.h"
#include "effects/GfxManager.h"
#include "widgets/Listeners.h"

#include <memory>
#include <string>

class GameStateManager;
class GameTitle;
class HintWindowLogic;
class LabelClickToContinue;
class MainMenuPanel;
class ProfileListener;

class MenuScreen : public BaseScreen, public Tolm::ButtonListener, public GfxManager
{
public:
    // Joins its profile listener to the widget manager: it must be made on the main thread.
    MenuScreen();
    ~MenuScreen() override;

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    // The screen's own effects, above the title and the panel.
    void DrawOverlay(Tolm::Graphics* g) override;
    // F1 opens the help; with the cheat keys on, Delete goes to the town upgrade screen.
    void KeyDown(int keyCode) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    using BaseScreen::MouseUp;
    void MouseUp(int x, int y) override;
    void OnEnter() override;
    void OnLeave() override;

    void ButtonClicked(int id) override;

    // Sparkles circling the start button.
    void AddSparkle();

    std::unique_ptr<MainMenuPanel> menuPanel;
    std::unique_ptr<GameTitle> title;
    // The title and the panel are wanted in view.
    bool menuShown = true;
    std::unique_ptr<LabelClickToContinue> label;
    std::unique_ptr<ProfileListener> profileListener;
    std::unique_ptr<HintWindowLogic> hintLogic;

private:
    void Start();
    void ShowOptions();
    void ChangeProfile();
};

// Makes the screen and registers it with the state machine under the name.
void RegisterMenuScreen(GameStateManager* manager, const std::string& name);
