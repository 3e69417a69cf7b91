#include "widgets/FullscreenFadder.h"

#include "app/TolmAppBase.h"
#include "core/TweenModules.h"
#include "graphics/Graphics.h"
#include "widgets/WidgetManager.h"

#include <utility>

using Tolm::gTolmApp;

namespace {

constexpr float kFadeSeconds = 0.2f;
// Above the screens' own overlays, below the cursor's.
constexpr int kOverlayPriority = 2;

} // namespace

FullscreenFadder::FullscreenFadder(bool fadeIn)
{
    Start(fadeIn);
}

FullscreenFadder::FullscreenFadder(bool fadeIn, baseCallback* callback)
{
    Start(fadeIn);
    onFinished = callback;
}

FullscreenFadder::~FullscreenFadder()
{
    delete onFinished;
}

void FullscreenFadder::Start(bool fadeIn)
{
    Resize(0, 0, gTolmApp->width, gTolmApp->height);
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    alpha = fadeIn ? 1.0f : 0.0f;
    // The tween, then a delay that holds the callback back until the tween has left the list.
    AddModule(new mutValueTo<float>(&alpha, fadeIn ? 0.0f : 1.0f, kFadeSeconds), false);
    AddModule(new mutSequenceDelay(0, true), false);
    AddModule(new mutCallbackStep(new CB_Callback<FullscreenFadder>(this, &FullscreenFadder::Finish)), false);
    Tolm::WidgetManager* widgetManager = gTolmApp->widgetManager.get();
    widgetManager->AddWidget(this);
    widgetManager->BringToFront(this);
}

void FullscreenFadder::UpdateFraction(float /*fraction*/)
{
    UpdateModules();
}

void FullscreenFadder::Draw(Tolm::Graphics* /*g*/)
{
    DeferOverlay(kOverlayPriority);
}

void FullscreenFadder::DrawOverlay(Tolm::Graphics* g)
{
    g->SetColor(Tolm::Color(0, 0, 0, int(alpha * 255)));
    g->FillRect(0, 0, width, height);
}

void FullscreenFadder::Finish()
{
    gTolmApp->widgetManager->RemoveWidget(this);
    gTolmApp->DeferWidgetDeletion(this);
    if (baseCallback* callback = std::exchange(onFinished, nullptr)) {
        callback->Invoke();
        delete callback;
    }
}
