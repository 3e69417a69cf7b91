#include "town/TownUpgradeButton.h"

#include "app/TolmAppBase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

constexpr float kHoverSpeed = 0.1f;
// The mask's darkest look, at rest, as an alpha.
constexpr float kMaskAlpha = 40.0f;
// Room under the buy button's face that still takes the mouse.
constexpr int kHeightBelowFace = 80;
// Label baselines on the faces.
constexpr int kBuyBaseline = 27;
constexpr int kContinueBaseline = 37;
constexpr int kContinueShift = 5;

struct Face
{
    const char* image;
    const char* label;
    bool locked;
};

Face FaceOf(TownUpgradeButton::State state)
{
    switch (state) {
    case TownUpgradeButton::State::Bought:
        return {"UPGRADE_BUTTON_BOUGHT", "but_bought", true};
    case TownUpgradeButton::State::NotEnough:
        return {"UPGRADE_BUTTON_NOT", "but_funds_not_enough", true};
    case TownUpgradeButton::State::Buy:
        break;
    }
    return {"UPGRADE_BUTTON_BUY", "but_buy_building", false};
}

void DrawPanelLabel(Tolm::Graphics* g, const std::string& text, int centreX, int baseline)
{
    Tolm::Font* font = GetFontById("FONT_UPGRADE_PANEL");
    if (!font) {
        return;
    }
    g->SetFont(font);
    g->SetColor(Tolm::Color::White);
    g->DrawString(text, centreX - font->StringWidth(text) / 2, baseline);
}

void DrawHoverMask(Tolm::Graphics* g, Tolm::Image* mask, const LiveValue& hover)
{
    g->SetTintImages(true);
    g->SetColor(Tolm::Color(0, 0, 0, int(hover.current * kMaskAlpha)));
    g->DrawImage(mask, 0, 0);
    g->SetTintImages(false);
}

} // namespace

TownUpgradeButton::TownUpgradeButton(int id, Tolm::ButtonListener* listener)
    : Tolm::ButtonWidget(id, listener), mask(GetImageById("UPGRADE_BUTTON_MASK")),
      textScale(float(Tolm::gTolmApp->GetIntPropertyOr("set_buybutton_text_scale_x100", 100)) * 0.01f),
      textOffsetY(Tolm::gTolmApp->GetIntPropertyOr("set_buybutton_text_offset_y", 0))
{
    hover.speed = kHoverSpeed;
    clip = false;
    SetState(State::Buy);
    downImage = GetImageById("UPGRADE_BUTTON_BUY_DOWN");
    if (buttonImage) {
        Resize(x, y, buttonImage->GetFrameWidth(), buttonImage->GetFrameHeight() + kHeightBelowFace);
    }
}

void TownUpgradeButton::SetState(State newState)
{
    const Face face = FaceOf(newState);
    state = newState;
    buttonImage = GetImageById(face.image);
    labelText = Tolm::GetLocalizedText(face.label);
    locked = face.locked;
    Invalidate();
}

void TownUpgradeButton::Update()
{
    Tolm::ButtonWidget::Update();
    hover.target = isOver ? 0.0f : 1.0f;
}

void TownUpgradeButton::UpdateFraction(float dt)
{
    hover.Update(dt);
}

void TownUpgradeButton::Draw(Tolm::Graphics* g)
{
    const bool pressed = !locked && IsButtonDown();
    g->DrawImage(pressed && downImage ? downImage : buttonImage, 0, 0);
    g->PushState();
    g->SetScale(textScale, textScale, float(width / 2), 0);
    DrawPanelLabel(g, labelText, width / 2, textOffsetY + kBuyBaseline + (pressed ? 1 : 0));
    g->PopState();
    DrawHoverMask(g, mask, hover);
}

void TownUpgradeButton::MouseDown(int x, int y, int button, int clickCount)
{
    if (locked) {
        return;
    }
    Tolm::ButtonWidget::MouseDown(x, y, button, clickCount);
    PlaySoundById("SOUND_UPGRADE_BUTTON_DOWN");
}

void TownUpgradeButton::MouseUp(int x, int y, int button, int clickCount)
{
    if (locked) {
        return;
    }
    Tolm::ButtonWidget::MouseUp(x, y, button, clickCount);
}

UpgradePanelContinueButton::UpgradePanelContinueButton(int id, Tolm::ButtonListener* listener)
    : BaseButton(id, listener), mask(GetImageById("UPGRADE_BUTTON_CONTINUE_MASK"))
{
    buttonImage = GetImageById("UPGRADE_BUTTON_CONTINUE");
    downImage = GetImageById("UPGRADE_BUTTON_CONTINUE_DOWN");
    hover.speed = kHoverSpeed;
    clip = false;
    SizeToImage();
}

void UpgradePanelContinueButton::Update()
{
    BaseButton::Update();
    hover.target = isOver ? 0.0f : 1.0f;
}

void UpgradePanelContinueButton::UpdateFraction(float dt)
{
    hover.Update(dt);
}

void UpgradePanelContinueButton::Draw(Tolm::Graphics* g)
{
    const bool pressed = IsButtonDown();
    g->DrawImage(pressed && downImage ? downImage : buttonImage, 0, 0);
    DrawPanelLabel(g, Tolm::GetLocalizedText("but_upgrade_continue"), width / 2 + kContinueShift,
              kContinueBaseline + (pressed ? 1 : 0));
    DrawHoverMask(g, mask, hover);
}
