#include "gamewidgets/BaseCursor.h"

#include "app/TolmAppBase.h"
#include "core/Matrix.h"
#include "graphics/Animator.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "widgets/WidgetManager.h"

#include <cmath>

namespace {

// Per update.
constexpr float kWobbleStep = 0.04f;
// Of the size, and in radians, at the height of the wobble.
constexpr float kWobbleScale = 0.05f;
constexpr float kWobbleTurn = 0.05f;

} // namespace

BaseCursor::BaseCursor(Tolm::Image* image) : image(image), animator(std::make_unique<Tolm::Animator>())
{
    animator->SetImage(image);
    animator->Restart();
}

BaseCursor::~BaseCursor() = default;

void BaseCursor::Restart()
{
    animator->Restart();
}

void BaseCursor::Update()
{
    animator->Update();
}

void BaseCursor::Draw(Tolm::Graphics* g)
{
    if (!image) {
        return;
    }
    animator->Draw(*g, MouseX() - image->GetFrameWidth() / 2, MouseY() - image->GetFrameHeight() / 2);
}

int BaseCursor::MouseX()
{
    return Tolm::gTolmApp->widgetManager->lastMouseX;
}

int BaseCursor::MouseY()
{
    return Tolm::gTolmApp->widgetManager->lastMouseY;
}

BaseBonusCursor::BaseBonusCursor(Tolm::Image* image) : BaseCursor(image) {}

BaseBonusCursor::~BaseBonusCursor() = default;

void BaseBonusCursor::Update()
{
    BaseCursor::Update();
    wobblePhase += kWobbleStep;
}

void BaseBonusCursor::Draw(Tolm::Graphics* g)
{
    if (animator->frameCount > 0) {
        BaseCursor::Draw(g);
        return;
    }
    float s = std::sin(wobblePhase);
    Tolm::Transform transform;
    transform.Scale(1.0f + kWobbleScale * s, 1.0f + kWobbleScale * s);
    transform.Rotate(kWobbleTurn * s);
    transform.Translate(float(MouseX()), float(MouseY()));
    g->DrawImageTransform(image, transform, 0.0f, 0.0f);
}

CursorBomb::CursorBomb() : BaseBonusCursor(GetImageById("CURSOR_BOMB")) {}

CursorHamer::CursorHamer() : BaseBonusCursor(GetImageById("CURSOR_HAMER")) {}

CursorDestroy::CursorDestroy() : BaseBonusCursor(GetImageById("CURSOR_DESTROY")) {}
