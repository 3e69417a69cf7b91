#include "windows/WindowEffects.h"

#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "core/TweenModules.h"
#include "graphics/Graphics.h"
#include "widgets/WidgetManager.h"
#include "windows/BaseWindow.h"

#include <vector>

using Tolm::gTolmApp;

namespace {

constexpr float kEffectSeconds = 0.2f;
// How much smaller than full size the window is at the far end of an effect.
constexpr float kShrinkScale = 0.3f;

} // namespace

WidgetEffectBase::WidgetEffectBase()
{
    Resize(0, 0, gTolmApp->width, gTolmApp->height);
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
}

WidgetEffectBase::~WidgetEffectBase()
{
    delete onFinished;
}

void WidgetEffectBase::SetFinishCallback(baseCallback* callback)
{
    delete onFinished;
    onFinished = callback;
}

void WidgetEffectBase::Update()
{
    Tolm::Widget::Update();
    if (!finished) {
        return;
    }
    gTolmApp->widgetManager->RemoveWidget(this);
    gTolmApp->DeferWidgetDeletion(this);
    // Out of the manager, the effect is updated no more: the callback runs once, and goes with the effect.
    if (onFinished) {
        onFinished->Invoke();
    }
}

WindowEffectAlt::WindowEffectAlt(BaseWindow* window, float alphaFrom, float alphaTo, float shrinkFrom, float shrinkTo)
    : window(window), x(window->x), y(window->y), alpha(alphaFrom), shrink(shrinkFrom)
{
    AddModule(new mutValueTo<float>(&alpha, alphaTo, kEffectSeconds), false);
    AddModule(new mutValueTo<float>(&shrink, shrinkTo, kEffectSeconds), false);
}

void WindowEffectAlt::UpdateFraction(float /*dt*/)
{
    UpdateModules();
    if (!FirstModule()) {
        finished = true;
    }
}

void WindowEffectAlt::DrawScaled(Tolm::Graphics* g, float scale)
{
    g->PushState();
    g->SetTintImages(true);
    g->SetColor(Tolm::Color::White);
    g->SetAlphaMultiplier(alpha);
    // The effect sits at (0, 0): this puts the window's origin where the window stood, and the scale's
    // origin, given relative to that, at the middle of the screen.
    g->Translate(x, y);
    g->SetScale(scale, scale, float(gTolmApp->width) * 0.5f - float(x), float(gTolmApp->height) * 0.5f - float(y));
    window->DrawForEffect(g);
    g->PopState();
}

EffectWindowAppearAlt::EffectWindowAppearAlt(BaseWindow* window) : WindowEffectAlt(window, 0.0f, 1.0f, 1.0f, 0.0f) {}

void EffectWindowAppearAlt::Draw(Tolm::Graphics* g)
{
    DrawScaled(g, 1.0f - shrink * kShrinkScale);
}

EffectWindowDisappearAlt::EffectWindowDisappearAlt(BaseWindow* window)
    : WindowEffectAlt(window, 1.0f, 0.0f, 0.0f, -1.0f)
{}

void EffectWindowDisappearAlt::Draw(Tolm::Graphics* g)
{
    DrawScaled(g, 1.0f + shrink * kShrinkScale);
}

WidgetEffectBase* CreateWindowEffect(BaseWindow* window, int type)
{
    switch (type) {
    case 1:
        return new EffectWindowAppearAlt(window);
    case 2:
        return new EffectWindowDisappearAlt(window);
    default:
        return nullptr;
    }
}

void PlayWindowEffect(BaseWindow* window, int type, baseCallback* onFinished)
{
    WidgetEffectBase* effect = CreateWindowEffect(window, type);
    if (!effect) {
        delete onFinished;
        return;
    }
    effect->SetFinishCallback(onFinished);
    gTolmApp->widgetManager->AddWidget(effect);
}

void RemoveWindowEffects(BaseWindow* window)
{
    Tolm::WidgetManager* widgetManager = gTolmApp ? gTolmApp->widgetManager.get() : nullptr;
    if (!widgetManager) {
        return;
    }
    std::vector<WindowEffectAlt*> effects;
    for (Tolm::Widget* widget : widgetManager->GetChildren()) {
        auto* effect = dynamic_cast<WindowEffectAlt*>(widget);
        if (effect && effect->window == window) {
            effects.push_back(effect);
        }
    }
    for (WindowEffectAlt* effect : effects) {
        widgetManager->RemoveWidget(effect);
        delete effect;
    }
}
