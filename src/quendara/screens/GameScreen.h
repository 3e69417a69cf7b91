// The state "GameScreen", in which a level is played: the live board with the bonus panel, the top panel
// and the progress bar around it, a menu button and a town button in the sockets on the right, and the
// backdrop with its lights. It runs the level's life: the board's step, the tutorial hints, the pause
// menu, the level's end (the tally and the town, or a retry after a failure), and the saving of a level
// in progress whenever the screen is left. The town view may be pushed over it.
#pragma once

#include "app/BaseScreen.h"
#include "effects/GfxManager.h"
#include "widgets/Listeners.h"

#include <memory>
#include <string>

class FieldLive;
class GameFieldButton;
class GameStateManager;
class WindowLightList;

namespace Tolm {
class Image;
}

// The tray the board lies in and its eight lights, which come on while the board is away.
class BackgroundGameScreen
{
public:
    BackgroundGameScreen();
    virtual ~BackgroundGameScreen();

    void SetLightsOn(bool on);
    void Tick(float dt);
    void Draw(Tolm::Graphics* g);

    // A resource; may be null.
    Tolm::Image* image;
    std::unique_ptr<WindowLightList> lights;
};

class GameScreen : public BaseScreen, public Tolm::ButtonListener, public GfxManager
{
public:
    static constexpr int kMenuButton = 0;
    static constexpr int kTownButton = 1;

    GameScreen();
    ~GameScreen() override;

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

    void OnEnter() override;
    void OnLeave() override;
    bool Pause() override;
    void Resume() override;

    void ButtonClicked(int id) override;

    std::unique_ptr<GameFieldButton> menuButton;
    std::unique_ptr<GameFieldButton> townButton;
    std::unique_ptr<BackgroundGameScreen> background;

private:
    void HidePanels();
    void ShowPanels();
    void RestoreBonusCharges();
    void SaveLevelState();
    void SaveBoardIfStarted();
    void SaveCounters();
    void OnPauseRequested();
    void RunPauseMenu(bool afterHide);
    void OnLevelComplete();
    void FinishLevel();
    void OnLevelFailed();
    void RestartAfterFailure();
    void UpdateHints();
    void TryBrickHint(int brickType, int hintType);
    void ShowHelp();
    void GoToTownUpgrade();

    void UpdateBoard(FieldLive* field);
    // Entered, not left, and its board still there: what a caller checks after every modal wait.
    bool IsPlaying() const;
    // Esc, F1 and the two buttons wait while the board is away or the screen fades out.
    bool TakesCommands() const;
    bool HintsAllowed(const FieldLive& field) const;
    // A random cell among at most `probes` draws for which `wanted` holds; false when none was hit.
    template <typename Wanted>
    static bool ProbeCells(int probes, Wanted wanted, int& x, int& y);
    void ShowHintAtCell(int hintType, int x, int y);

    bool entered = false;
    // Nesting depth of the board's own update: a board left meanwhile is deleted once it returns.
    int boardUpdates = 0;
    FieldLive* boardLeftInUpdate = nullptr;
};

// Makes the screen and registers it with the state machine under the name.
void RegisterGameScreen(GameStateManager* manager, const std::string& name);
