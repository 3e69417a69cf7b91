#include "windows/BaseWindow.h"

#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "gamewidgets/WindowLight.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "resources/ResourceLookups.h"
#include "widgets/WidgetManager.h"
#include "windows/WindowEffects.h"

using Tolm::gTolmApp;

namespace {

bool windowEffectsForced = false;

} // namespace

BaseWindow::BaseWindow(Tolm::Image* background, int dialogId, bool modal, const std::string& header,
                       const std::string& lines, const std::string& footer)
    : Tolm::Dialog(background, nullptr, dialogId, modal, header, lines, footer, 0),
      lights(std::make_unique<WindowLightList>()), background(background)
{
    contentInsets = Tolm::Insets();
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    wantsHandCursor = false;
    int windowWidth = background ? background->GetWidth() : 0;
    int windowHeight = background ? background->GetHeight() : 0;
    Resize((gTolmApp->width - windowWidth) / 2, (gTolmApp->height - windowHeight) / 2, windowWidth, windowHeight);
}

BaseWindow::~BaseWindow()
{
    // A window can go while an effect still draws it: one played by hand outlives the showing it was
    // played in when the answer comes quickly.
    RemoveWindowEffects(this);
}

int BaseWindow::ShowModal()
{
    if (IsWindowShown(this)) {
        return -1;
    }
    modal = true;
    PlayShowSound();
    gTolmApp->AddDialogById(id, this);
    if (!gTolmApp->shutDown && appearEffect > 0) {
        SetVisible(false);
        StartEffect(appearEffect, &BaseWindow::Reveal);
        closing = false;
    }
    gTolmApp->widgetManager->SetFocus(this);
    return WaitForResult(true);
}

void BaseWindow::StartEffect(int type, void (BaseWindow::*onFinished)())
{
    WidgetEffectBase* effect = CreateWindowEffect(this, type);
    if (!effect) {
        (this->*onFinished)();
        return;
    }
    effect->SetFinishCallback(new CB_Callback<BaseWindow>(this, onFinished));
    gTolmApp->widgetManager->AddWidget(effect);
}

void BaseWindow::AddLight(int x, int y)
{
    lights->Add(x, y);
}

void BaseWindow::Reveal()
{
    SetVisible(true);
}

void BaseWindow::FinishClose()
{
    finalResult = result;
}

void BaseWindow::PlayShowSound()
{
    PlaySoundById("SOUND_SHOW_WINDOW");
}

void BaseWindow::PlayHideSound()
{
    PlaySoundById("SOUND_HIDE_WINDOW");
}

void BaseWindow::Update()
{
    Tolm::Widget::Update();
    if (result == kNoResult) {
        return;
    }
    if (gTolmApp->shutDown || disappearEffect <= 0) {
        finalResult = result;
        return;
    }
    if (closing) {
        return;
    }
    closing = true;
    SetVisible(false);
    StartEffect(disappearEffect, &BaseWindow::FinishClose);
    PlayHideSound();
}

void BaseWindow::UpdateFraction(float dt)
{
    if (visible) {
        lights->Update(dt);
    }
}

void BaseWindow::Draw(Tolm::Graphics* g)
{
    g->PushState();
    EnsureFonts();
    // Under an effect images are tinted by the colour: white, faded by the effect, whatever was set before.
    g->SetColor(Tolm::Color::White);
    g->DrawImage(background, 0, 0);
    DrawTexts(g);
    if (visible) {
        lights->Draw(g);
    }
    g->PopState();
}

void BaseWindow::DrawDim(Tolm::Graphics* g)
{
    int screenWidth = gTolmApp->width;
    int screenHeight = gTolmApp->height;
    g->PushState();
    g->SetColor(kWindowDimColor);
    g->FillRect(-screenWidth - x, -screenHeight - y, 3 * screenWidth, 3 * screenHeight);
    g->PopState();
}

void BaseWindow::DrawForEffect(Tolm::Graphics* g)
{
    Tolm::WidgetManager* widgetManager = gTolmApp->widgetManager.get();
    g->PushState();
    bool added = !IsWindowShown(this);
    if (added) {
        widgetManager->AddWidget(this);
    }
    Tolm::ModalFlagState state;
    widgetManager->InitModalFlags(state);
    DrawAll(&state, g);
    if (added) {
        widgetManager->RemoveWidget(this);
    }
    g->PopState();
}

void BaseWindow::MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}

void BaseWindow::MouseDrag(int /*x*/, int /*y*/) {}

int ShowWindowModal(BaseWindow* window, int appearEffect, int disappearEffect)
{
    if (IsWindowShown(window)) {
        return -1;
    }
    if (WindowEffectsWanted()) {
        window->appearEffect = int8_t(appearEffect);
        window->disappearEffect = int8_t(disappearEffect);
    }
    return window->ShowModal();
}

void SetWindowDisappearEffect(BaseWindow* window, int type)
{
    window->disappearEffect = int8_t(type);
}

bool WindowEffectsWanted()
{
    return windowEffectsForced || gTolmApp->Is3DMode();
}

void ForceWindowEffects(bool on)
{
    windowEffectsForced = on;
}
