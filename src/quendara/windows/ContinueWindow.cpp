#include "windows/ContinueWindow.h"

#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "widgets/WidgetManager.h"
#include "windows/ConfirmWindow.h"
#include "windows/WindowEffects.h"
#include "windows/WindowLayout.h"

using Tolm::gTolmApp;

namespace {

constexpr int kDialogId = 202;
enum ButtonId
{
    kMainMenuButton,
    kContinueButton,
    kNewGameButton
};
enum Result
{
    kMainMenu,
    kNewGame,
    kContinue
};
constexpr int kEscapeKey = 27;
constexpr int kEnterKey = 13;

} // namespace

ContinueWindow::ContinueWindow() : BaseWindow(GetImageById("UI_WINDOW_CONTINUE"), 0, false, "", "", "")
{
    SetWindowFrame(*this, kDialogId, Tolm::Insets{50, 42, 50, 40}, "cap_continue");
    mainMenuButton = AddCentredButton(*this, kMainMenuButton, "but_main_menu", 345);
    newGameButton = AddCentredButton(*this, kNewGameButton, "but_new_game", 297);
    continueButton = AddCentredButton(*this, kContinueButton, "but_continue", 249);
    clip = false;
    AddLight(6, 78);
    AddLight(394, 307);
}

ContinueWindow::~ContinueWindow()
{
    RemoveAllWidgets(false, false);
    // A confirmation that has been shown is no longer registered once it is queued for deletion: only one
    // that never left its getter is still to be deleted here.
    if (ConfirmWindow* confirm = ConfirmWindow::RegisteredInstance()) {
        gTolmApp->DeferWidgetDeletion(confirm);
    }
}

void ContinueWindow::Draw(Tolm::Graphics* g)
{
    DrawDim(g);
    BaseWindow::Draw(g);
    DrawWindowText(g, "FONT_WINDOW_TEXT_DARK", WindowBodyRect(*this, 5, 62, 10, 290),
                   Tolm::GetLocalizedText("saved_game_question"), 24);
}

void ContinueWindow::KeyDown(int keyCode)
{
    if (!visible) {
        return;
    }
    BaseWindow::KeyDown(keyCode);
    if (keyCode == kEscapeKey) {
        result = kMainMenu;
    } else if (keyCode == kEnterKey) {
        result = kContinue;
    }
}

void ContinueWindow::ButtonClicked(int buttonId)
{
    BaseWindow::ButtonClicked(buttonId);
    switch (buttonId) {
    case kMainMenuButton:
        result = kMainMenu;
        break;
    case kContinueButton:
        result = kContinue;
        break;
    case kNewGameButton:
        AskForNewGame();
        break;
    default:
        break;
    }
}

void ContinueWindow::AskForNewGame()
{
    // The window steps aside for the question by hand: it stays shown, and its own wait goes on.
    visible = false;
    PlayWindowEffect(this, 2, nullptr);
    ConfirmWindow* confirm = ConfirmWindow::Instance();
    confirm->SetText(Tolm::GetLocalizedText("delete_city_question"));
    if (ShowWindowModal(confirm, 1, 2) == 1) {
        // It has shrunk away already: it closes without a second effect.
        SetWindowDisappearEffect(this, 0);
        result = kNewGame;
        return;
    }
    if (gTolmApp->shutDown) {
        return;
    }
    PlayWindowEffect(this, 1, new CB_Callback<BaseWindow>(this, &BaseWindow::Reveal));
}
