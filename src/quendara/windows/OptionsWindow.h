// The main menu's settings: music and effects volumes and the mouse speed take effect while their
// sliders move; the full-screen box takes effect when the window closes (Back or Esc, always 0). The
// application keeps the values and stores them when it ends.
#pragma once

#include "core/Singleton.h"
#include "widgets/Listeners.h"
#include "windows/BaseWindow.h"

#include <memory>

class BaseCheckbox;
class BaseSlider;
class BaseWindowButton;

// The slider's place for a mouse sensitivity, 0.2 to 1.7 across the track, and back.
double MouseSliderValue(float sensitivity);
float MouseSensitivityOf(double sliderValue);

class OptionsWindow : public BaseWindow,
                      public Singleton<OptionsWindow>,
                      public Tolm::SliderListener,
                      public Tolm::CheckboxListener
{
public:
    OptionsWindow();
    ~OptionsWindow() override;

    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int buttonId) override;
    void SliderMoved(int sliderId, double value) override;
    void CheckboxToggled(int checkboxId, bool checked) override;

    std::unique_ptr<BaseWindowButton> backButton;
    std::unique_ptr<BaseSlider> musicSlider;
    std::unique_ptr<BaseSlider> sfxSlider;
    std::unique_ptr<BaseSlider> mouseSlider;
    std::unique_ptr<BaseCheckbox> fullscreenCheckbox;

private:
    void Close();
};
