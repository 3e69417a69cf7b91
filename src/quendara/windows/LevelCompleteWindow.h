// The tally after a completed level: what the level brought in counts up row by row, each row in a time
// of its own whatever the amount, with a tick while counting, a burst of stars and a chime as each row
// arrives, and a closing sound. The first press cuts the counting short, the second closes the window.
#pragma once

#include "core/LiveValue.h"
#include "core/Singleton.h"
#include "windows/BaseWindow.h"

#include <memory>

class BaseWindowButton;
class ParticleManager;

class LevelCompleteWindow : public BaseWindow, public Singleton<LevelCompleteWindow>
{
public:
    // Apart from the help window's id: the game may open this window while the help window is still up.
    static constexpr int kDialogId = 205;

    LevelCompleteWindow();
    ~LevelCompleteWindow() override;

    // The counters head for these from where they stand. A fraction that is not a number (a level
    // without locks) counts as all cells puzzled.
    void SetTally(int gold, int food, int supplies, int score, float puzzledFraction);
    bool IsCounting() const;
    // Every counter jumps to its target; those still counting arrive at once.
    void Skip();

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    using BaseWindow::MouseDown;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void ButtonClicked(int id) override;

    std::unique_ptr<BaseWindowButton> continueButton;
    LiveValue gold;
    LiveValue food;
    LiveValue supplies;
    LiveValue score;
    // 0 to 1.
    LiveValue puzzled;
    bool doneSoundPlayed = false;
    Tolm::Image* goldIcon;
    Tolm::Image* foodIcon;
    Tolm::Image* suppliesIcon;
    std::unique_ptr<ParticleManager> particles;

private:
    // A burst for each counter that has just landed on its target, and one chime for them all.
    void CheckArrivals();
    void SkipOrClose();
    void DrawRows(Tolm::Graphics* g);
};
