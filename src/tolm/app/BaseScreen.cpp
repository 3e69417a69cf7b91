#include "app/BaseScreen.h"

#include "app/TolmAppBase.h"
#include "widgets/FullscreenFadder.h"
#include "widgets/WidgetManager.h"

#include <utility>

using Tolm::gTolmApp;

BaseScreen::BaseScreen()
{
    Resize(0, 0, gTolmApp->width, gTolmApp->height);
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
}

BaseScreen::~BaseScreen()
{
    delete leaveCallback;
}

void BaseScreen::RemoveFromManager()
{
    gTolmApp->widgetManager->RemoveWidget(this);
}

void BaseScreen::Enter()
{
    gTolmApp->widgetManager->AddWidget(this);
    new FullscreenFadder(true);
    OnEnter();
}

void BaseScreen::OnLeave()
{
    RemoveFromManager();
}

void BaseScreen::LeaveWithCallback(baseCallback* callback)
{
    if (leaving || gTolmApp->shutDown) {
        delete callback;
        return;
    }
    leaving = true;
    leaveCallback = callback;
    new FullscreenFadder(false, new CB_Callback<BaseScreen>(this, &BaseScreen::Leave));
}

void BaseScreen::Leave()
{
    if (leaving && leaveCallback) {
        leaving = false;
        // Out of the field before it runs: it usually leaves this screen again through the state machine.
        baseCallback* callback = std::exchange(leaveCallback, nullptr);
        callback->Invoke();
        delete callback;
        if (hasLeft) {
            return;
        }
    }
    leaving = false;
    hasLeft = true;
    OnLeave();
    RemoveFromManager();
}

GameState* BaseScreen::FindStateByName(const std::string& name)
{
    return listener ? listener->Find(name) : nullptr;
}

void BaseScreen::SwitchToState(const std::string& name)
{
    if (GameState* state = FindStateByName(name)) {
        listener->Switch(state);
    }
}

void BaseScreen::SwitchToMenuScreen()
{
    SwitchToState("MenuScreen");
}

void BaseScreen::SwitchToGameScreen()
{
    SwitchToState("GameScreen");
}

void BaseScreen::SwitchToTownUpgradeScreen()
{
    SwitchToState("TownUpgradeScreen");
}
