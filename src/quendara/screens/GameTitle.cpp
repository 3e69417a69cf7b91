#include "screens/GameTitle.h"

#include "display/DDImage.h"
#include "gamewidgets/BaseWindowButton.h"
#include "gamewidgets/WindowLight.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"

namespace {

// A full slide takes 80 update periods, whatever the height.
constexpr float kSlidePace = 0.0125f;
constexpr int kLightX = 57;
constexpr int kLightY = 18;

} // namespace

GameTitle::GameTitle()
    : image(GetImageById("UI_MENU_TITLE")), hitMask(dynamic_cast<Tolm::DDImage*>(image)),
      light(std::make_unique<WindowLight>(kLightX, kLightY))
{
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    Resize(0, 0, image ? image->GetWidth() : 0, image ? image->GetHeight() : 0);
    slide.speed = float(height) * kSlidePace;
}

GameTitle::~GameTitle()
{
    RemoveAllWidgets(false, false);
}

void GameTitle::SetShown(bool shown, bool animate)
{
    slide.target = shown ? 0.0f : -float(height);
    if (!animate) {
        slide.current = slide.target;
    }
}

void GameTitle::UpdateFraction(float dt)
{
    slide.Update(dt);
    Move(x, int(slide.current));
    light->Update(dt);
}

void GameTitle::Draw(Tolm::Graphics* g)
{
    g->DrawImageF(image, 0.0f, 0.0f);
    light->Draw(g);
}

bool GameTitle::AcceptsPoint(int x, int y)
{
    return AcceptsMaskPoint(hitMask, x, y);
}
