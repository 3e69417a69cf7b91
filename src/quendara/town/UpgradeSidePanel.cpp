#include "town/UpgradeSidePanel.h"

#include "app/TolmAppBase.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

constexpr float kSlideSpeed = 2.0f;
constexpr int kButtonX = 48;
constexpr int kButtonY = 10;
constexpr int kAboveBottom = 25;
constexpr int kBackgroundX = 3;
// A pixel more opaque than this is part of the panel.
constexpr uint32_t kHitAlpha = 20;

} // namespace

UpgradeSidePanel::UpgradeSidePanel(Tolm::ButtonListener* listener)
    : background(GetImageById("UPGRADE_SIDE_BUTTON_BACK")), button(new BaseWindowButton(kButtonId, listener))
{
    clip = false;
    const int w = background ? background->GetWidth() : 0;
    const int h = background ? background->GetHeight() : 0;
    const int screenWidth = Tolm::gTolmApp->width;
    Resize(screenWidth, Tolm::gTolmApp->height - h - kAboveBottom, w, h);
    slide.speed = kSlideSpeed;
    slide.current = slide.target = slide.previous = float(screenWidth);
    button->buttonImage = GetImageById("UPGRADE_SIDE_BUTTON");
    button->downImage = GetImageById("UPGRADE_SIDE_BUTTON_DOWN");
    button->mask = GetImageById("UPGRADE_SIDE_BUTTON_MASK");
    button->SizeToImage();
    button->Move(kButtonX, kButtonY);
    AddWidget(button);
}

UpgradeSidePanel::~UpgradeSidePanel()
{
    RemoveWidget(button);
    delete button;
}

void UpgradeSidePanel::Show(bool show, bool animate)
{
    const int screenWidth = Tolm::gTolmApp->width;
    slide.target = float(show ? screenWidth - width : screenWidth);
    if (!animate) {
        slide.current = slide.target;
        Move(int(slide.current), y);
    }
}

void UpgradeSidePanel::UpdateFraction(float dt)
{
    slide.Update(dt);
    Move(int(slide.current), y);
}

void UpgradeSidePanel::Draw(Tolm::Graphics* g)
{
    g->DrawImage(background, kBackgroundX, 0);
}

bool UpgradeSidePanel::AcceptsPoint(int px, int py)
{
    if (!background) {
        return true;
    }
    if (px < 0 || py < 0 || px >= width || py >= height) {
        return false;
    }
    return (background->GetBits()[py * background->GetWidth() + px] >> 24) > kHitAlpha;
}
