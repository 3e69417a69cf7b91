// The game's pause: the two volumes, which take effect while their sliders move, and the choices 0
// continue (the button or Esc), 1 main menu and 2 help, which the game screen acts on.
#pragma once

#include "core/Singleton.h"
#include "widgets/Listeners.h"
#include "windows/BaseWindow.h"

#include <memory>

class BaseSlider;
class BaseWindowButton;

class PauseWindow : public BaseWindow, public Singleton<PauseWindow>, public Tolm::SliderListener
{
public:
    PauseWindow();
    ~PauseWindow() override;

    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int buttonId) override;
    void SliderMoved(int sliderId, double value) override;

    std::unique_ptr<BaseSlider> musicSlider;
    std::unique_ptr<BaseSlider> sfxSlider;
    std::unique_ptr<BaseWindowButton> continueButton;
    std::unique_ptr<BaseWindowButton> mainMenuButton;
    std::unique_ptr<BaseWindowButton> helpButton;
};
