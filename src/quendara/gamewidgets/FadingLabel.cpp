#include "gamewidgets/FadingLabel.h"

#include "app/TolmAppBase.h"
#include "core/Matrix.h"
#include "display/DDImage.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"

#include <cmath>

namespace {

constexpr float kFadeSpeed = 0.03f;
// Radians per update period: one breath about every 500 updates.
constexpr float kPulseRate = 0.0125f;
// The text image has room around the text for the font's overhangs.
constexpr float kImageMargin = 1.5f;
// The label's top edge above the bottom of the screen.
constexpr int kBottomOffset = 50;

} // namespace

FadingLabel::FadingLabel(const std::string& text, Tolm::Font* font, const Tolm::Color& color)
{
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    wantsFocus = false;
    disabled = true;
    mouseVisible = false;
    fade.target = 1.0f;
    fade.speed = kFadeSpeed;
    int imageWidth = font ? int(float(font->StringWidth(text)) * kImageMargin) : 0;
    int imageHeight = font ? int(float(font->GetHeight()) * kImageMargin) : 0;
    if (imageWidth > 0 && imageHeight > 0) {
        textImage = std::make_unique<Tolm::DDImage>();
        textImage->Create(imageWidth, imageHeight);
        textImage->Clear();
        Tolm::Graphics g(textImage.get());
        g.SetFont(font);
        g.SetColor(color);
        g.DrawTextLine(text, imageWidth / 2, font->GetHeight(), -1, 0);
    }
    Resize(0, 0, int(float(imageWidth) * maxScale), int(float(imageHeight) * maxScale));
}

FadingLabel::~FadingLabel() = default;

void FadingLabel::SetShown(bool shown, bool animate)
{
    fade.target = shown ? 1.0f : 0.0f;
    if (!animate) {
        fade.current = fade.target;
    }
}

void FadingLabel::Update()
{
    Tolm::Widget::Update();
    // The pulse starts from its beginning at every appearance.
    if (fade.current == 0.0f) {
        time = 0.0f;
    }
}

void FadingLabel::UpdateFraction(float dt)
{
    time += dt;
    fade.Update(dt);
}

void FadingLabel::Draw(Tolm::Graphics* g)
{
    if (fade.current == 0.0f || !textImage) {
        return;
    }
    float c = std::sin(time * kPulseRate);
    g->PushState();
    g->SetTintImages(true);
    g->SetColor(Tolm::Color::White);
    g->SetAlphaMultiplier((0.4f * c + 0.6f) * fade.current);
    float scale = minScale + (maxScale - minScale) * 0.5f * (c + 1.0f);
    // Through the matrix blit, centred on the widget's centre: a software display's stretch would draw the
    // tinted text not at all.
    Tolm::Matrix3 scaling;
    scaling.Scale(scale, scale);
    g->DrawImageMatrix(textImage.get(), scaling, Tolm::Rect(0, 0, textImage->width, textImage->height),
                       float(width) * 0.5f, float(height) * 0.5f);
    g->PopState();
}

LabelClickToContinue::LabelClickToContinue()
    : FadingLabel(Tolm::GetLocalizedText("lab_click_to_continue"), GetFontById("FONT_FADING_LABEL"), Tolm::Color::White)
{
    Move((Tolm::gTolmApp->width - width) / 2, Tolm::gTolmApp->height - kBottomOffset);
}
