#include "windows/PauseWindow.h"

#include "app/TolmAppBase.h"
#include "gamewidgets/BaseSlider.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "windows/WindowLayout.h"

using Tolm::gTolmApp;

namespace {

constexpr int kDialogId = 203;
enum ControlId
{
    kContinueButton = 0,
    kMainMenuButton = 1,
    kHelpButton = 2,
    kMusicSlider = 3,
    kSfxSlider = 4
};
constexpr int kLeft = 50;

} // namespace

PauseWindow::PauseWindow() : BaseWindow(GetImageById("UI_WINDOW_PAUSE"), 0, false, "", "", "")
{
    clip = false;
    SetWindowFrame(*this, kDialogId, Tolm::Insets{kLeft, 42, 50, 40}, "cap_pause");
    musicSlider =
        AddWindowSlider(*this, this, kMusicSlider, "music_volume", kLeft + 30, 130, gTolmApp->GetMusicVolume());
    sfxSlider = AddWindowSlider(*this, this, kSfxSlider, "sfx_volume", kLeft + 30, 210, gTolmApp->GetSfxVolume());
    continueButton = AddCentredButton(*this, kContinueButton, "but_continue", 267);
    mainMenuButton = AddCentredButton(*this, kMainMenuButton, "but_main_menu", 315);
    helpButton = AddCentredButton(*this, kHelpButton, "but_help", 363);
    AddLight(19, 230);
    AddLight(392, 62);
}

PauseWindow::~PauseWindow()
{
    RemoveAllWidgets(false, false);
}

void PauseWindow::Draw(Tolm::Graphics* g)
{
    DrawDim(g);
    BaseWindow::Draw(g);
}

void PauseWindow::KeyDown(int keyCode)
{
    EscapeAnswersZero(*this, keyCode);
}

void PauseWindow::ButtonClicked(int buttonId)
{
    BaseWindow::ButtonClicked(buttonId);
    if (buttonId == kContinueButton || buttonId == kMainMenuButton || buttonId == kHelpButton) {
        result = buttonId;
    }
}

void PauseWindow::SliderMoved(int sliderId, double value)
{
    if (sliderId == kMusicSlider) {
        gTolmApp->SetMusicVolume(value);
        return;
    }
    if (sliderId == kSfxSlider) {
        SetSfxVolumeFromSlider(*sfxSlider, value);
    }
}
