#include "gamewidgets/BaseWindowButton.h"

#include "display/DDImage.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

// The mask's darkest look, at rest, as an alpha.
constexpr float kMaskAlpha = 40.0f;
constexpr float kHoverSpeed = 0.05f;
// A hit-mask pixel must be more opaque than this to count.
constexpr uint32_t kHitAlpha = 20;

} // namespace

BaseWindowButton::BaseWindowButton(int id, Tolm::ButtonListener* listener) : BaseButton(id, listener)
{
    buttonImage = GetImageById("UI_WINDOW_BUTTON");
    downImage = GetImageById("UI_WINDOW_BUTTON_DOWN");
    mask = GetImageById("UI_WINDOW_BUTTON_MASK");
    SizeToImage();
    SetFont(GetFontById("FONT_BUTTON"));
    SetColor(ColorLabel, Tolm::Color(255, 255, 255));
    clip = false;
    hover.speed = kHoverSpeed;
}

void BaseWindowButton::Update()
{
    BaseButton::Update();
    hover.target = isOver ? 0.0f : 1.0f;
}

void BaseWindowButton::UpdateFraction(float dt)
{
    hover.Update(dt);
}

void BaseWindowButton::Draw(Tolm::Graphics* g)
{
    if (noDraw) {
        return;
    }
    int labelX = 0;
    int labelY = 0;
    if (font) {
        int labelWidth = font->StringWidth(label);
        labelX = labelJustify == kCentered ? (width - labelWidth) / 2 : labelJustify == kRight ? width - labelWidth : 0;
        int ascent = font->GetAscent();
        labelY = (height - ascent / 6 + ascent - 1) / 2 - 6;
    }
    labelX += textOffsetX;
    labelY += textOffsetY;
    bool pressed = LooksPressed();
    DrawFace(g, pressed);
    if (pressed) {
        ++labelX;
        ++labelY;
    }
    g->SetFont(font.get());
    g->SetColor(GetColorRef(ColorLabel));
    g->DrawString(label, labelX, labelY);
    g->SetTintImages(true);
    g->SetColor(Tolm::Color(0, 0, 0, int(hover.current * kMaskAlpha)));
    g->DrawImage(mask, 0, 0);
    g->SetTintImages(false);
}

void BaseWindowButton::DrawFace(Tolm::Graphics* g, bool pressed)
{
    // Without a down image the pressed face is the normal or over one moved a pixel.
    if (pressed) {
        if (HasImage(downImage, downRect)) {
            DrawButtonImage(g, downImage, downRect, 0, 0);
        } else if (HasImage(overImage, overRect)) {
            DrawButtonImage(g, overImage, overRect, 1, 1);
        } else if (HasImage(buttonImage, normalRect)) {
            DrawButtonImage(g, buttonImage, normalRect, 1, 1);
        }
        return;
    }
    if (disabled && HasImage(disabledImage, disabledRect)) {
        DrawButtonImage(g, disabledImage, disabledRect, 0, 0);
    } else if ((isOver || isDown) && HasImage(overImage, overRect)) {
        DrawButtonImage(g, overImage, overRect, 0, 0);
    } else if (HasImage(buttonImage, normalRect)) {
        DrawButtonImage(g, buttonImage, normalRect, 0, 0);
    }
}

SmallWindowButton::SmallWindowButton(int id, Tolm::ButtonListener* listener) : BaseWindowButton(id, listener)
{
    buttonImage = GetImageById("UI_WINDOW_SMALL_BUTTON");
    downImage = GetImageById("UI_WINDOW_SMALL_BUTTON_DOWN");
    mask = GetImageById("UI_WINDOW_SMALL_BUTTON_MASK");
    SizeToImage();
}

ShapeButton::ShapeButton(int id, Tolm::ButtonListener* listener) : BaseWindowButton(id, listener) {}

void ShapeButton::SetHitMask(Tolm::Image* image)
{
    hitMask = dynamic_cast<Tolm::DDImage*>(image);
}

bool ShapeButton::AcceptsPoint(int x, int y)
{
    return AcceptsMaskPoint(hitMask, x, y);
}

bool AcceptsMaskPoint(Tolm::DDImage* hitMask, int x, int y)
{
    if (!hitMask) {
        return true;
    }
    if (x < 0 || y < 0 || x >= hitMask->GetWidth() || y >= hitMask->GetHeight()) {
        return false;
    }
    const uint32_t* pixels = hitMask->GetBits();
    return pixels && (pixels[size_t(y) * size_t(hitMask->GetWidth()) + size_t(x)] >> 24) > kHitAlpha;
}
