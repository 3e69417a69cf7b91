#include "gamewidgets/CustomCursor.h"

#include "app/TolmAppBase.h"
#include "gamewidgets/BaseCursor.h"
#include "widgets/WidgetManager.h"

using Tolm::gTolmApp;

namespace {

// Above the screen fader's 2.
constexpr int kOverlayPriority = 10;

} // namespace

CustomCursor::CustomCursor()
{
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    clip = false;
}

void CustomCursor::SetCursor(BaseCursor* cursor)
{
    current = cursor;
    current->Restart();
}

void CustomCursor::Update()
{
    Tolm::Widget::Update();
    // Windows and faders added since stay below it.
    gTolmApp->widgetManager->BringToFront(this);
    if (current) {
        current->Update();
    }
}

void CustomCursor::Draw(Tolm::Graphics* /*g*/)
{
    DeferOverlay(kOverlayPriority);
}

void CustomCursor::DrawOverlay(Tolm::Graphics* g)
{
    if (current && gTolmApp->mouseInWindow) {
        current->Draw(g);
    }
}
