#include "windows/OptionsWindow.h"

#include "app/TolmAppBase.h"
#include "gamewidgets/BaseCheckbox.h"
#include "gamewidgets/BaseSlider.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "windows/WindowLayout.h"

#include <algorithm>

using Tolm::gTolmApp;

namespace {

constexpr int kDialogId = 200;
constexpr int kNoWindowedModeDialogId = 6;
constexpr int kFooterButtonMode = 3;
enum ControlId
{
    kBackButton = 0,
    kMusicSlider = 1,
    kSfxSlider = 2,
    kMouseSlider = 3,
    kFullscreenCheckbox = 4
};
constexpr int kEscapeKey = 27;
constexpr int kLeft = 50;

} // namespace

double MouseSliderValue(float sensitivity)
{
    return std::clamp((double(sensitivity) - 0.2) * 0.6666667, 0.0, 1.0);
}

float MouseSensitivityOf(double sliderValue)
{
    return float(sliderValue * 1.5 + 0.2);
}

OptionsWindow::OptionsWindow() : BaseWindow(GetImageById("UI_WINDOW_OPTIONS"), 0, false, "", "", "")
{
    clip = false;
    SetWindowFrame(*this, kDialogId, Tolm::Insets{kLeft, 42, 50, 40}, "cap_options");
    musicSlider =
        AddWindowSlider(*this, this, kMusicSlider, "music_volume", kLeft + 30, 130, gTolmApp->GetMusicVolume());
    sfxSlider = AddWindowSlider(*this, this, kSfxSlider, "sfx_volume", kLeft + 30, 214, gTolmApp->GetSfxVolume());
    mouseSlider = AddWindowSlider(*this, this, kMouseSlider, "mouse_sensitivity", kLeft + 30, 297,
                                  MouseSliderValue(gTolmApp->mouseSensitivity));
    fullscreenCheckbox = std::make_unique<BaseCheckbox>(kFullscreenCheckbox, this);
    fullscreenCheckbox->SetLabel(Tolm::GetLocalizedText("fullscreen"));
    fullscreenCheckbox->Move(294, 331);
    fullscreenCheckbox->SetChecked(!gTolmApp->windowed, false);
    AddWidget(fullscreenCheckbox.get());
    backButton = AddCentredButton(*this, kBackButton, "but_back", 424);
    AddLight(4, 79);
    AddLight(389, 199);
}

OptionsWindow::~OptionsWindow()
{
    RemoveAllWidgets(false, false);
}

void OptionsWindow::Draw(Tolm::Graphics* g)
{
    DrawDim(g);
    BaseWindow::Draw(g);
}

void OptionsWindow::KeyDown(int keyCode)
{
    if (!visible) {
        return;
    }
    BaseWindow::KeyDown(keyCode);
    if (keyCode == kEscapeKey) {
        Close();
    }
}

void OptionsWindow::ButtonClicked(int buttonId)
{
    BaseWindow::ButtonClicked(buttonId);
    if (buttonId == kBackButton) {
        Close();
    }
}

void OptionsWindow::Close()
{
    result = 0;
    gTolmApp->SwitchScreenModeTo(!fullscreenCheckbox->IsChecked());
}

void OptionsWindow::SliderMoved(int sliderId, double value)
{
    switch (sliderId) {
    case kMusicSlider:
        gTolmApp->SetMusicVolume(value);
        break;
    case kSfxSlider:
        SetSfxVolumeFromSlider(*sfxSlider, value);
        break;
    case kMouseSlider:
        gTolmApp->mouseSensitivity = MouseSensitivityOf(value);
        break;
    default:
        break;
    }
}

void OptionsWindow::CheckboxToggled(int checkboxId, bool checked)
{
    PlaySoundById("SOUND_CHECKBOX");
    if (checkboxId != kFullscreenCheckbox || checked || !gTolmApp->windowedUnavailable) {
        return;
    }
    gTolmApp->OpenDialog(
        kNoWindowedModeDialogId, true, "No Windowed Mode",
        "Windowed mode is only available if your desktop is running in\n\t\t\t\teither 16 bit or 32 bit "
        "color mode, which it is not.",
        "OK", kFooterButtonMode);
    fullscreenCheckbox->SetChecked(true, true);
}
