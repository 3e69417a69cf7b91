#include "gamewidgets/BaseSlider.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

// Where the caption plate sits, and the caption's baseline above the slider less the ascent.
constexpr int kPlateX = 15;
constexpr int kPlateY = -40;
constexpr int kCaptionRise = 35;

} // namespace

BaseSlider::BaseSlider(int id, Tolm::SliderListener* listener)
    : Tolm::Slider(GetImageById("UI_SLIDER"), GetImageById("UI_SLIDER_THUMB"), id, listener)
{
    clip = false;
    wantsHandCursor = false;
    if (trackImage) {
        Resize(0, 0, trackImage->GetWidth(), trackImage->GetHeight());
    }
}

void BaseSlider::MouseDown(int x, int y, int /*signedCount*/)
{
    int along = horizontal ? x : y;
    int length = horizontal ? width : height;
    int thumbSize = !thumbImage ? 0 : horizontal ? thumbImage->GetWidth() : thumbImage->GetHeight();
    int thumb = int(double(length - thumbSize) * value);
    if (thumb <= along && along < thumb + thumbSize) {
        grabOffsetX = horizontal ? x - thumb : x;
        grabOffsetY = horizontal ? y : y - thumb;
        dragging = true;
        return;
    }
    if (length > 0) {
        SetValue(double(along) / length);
    }
}

void BaseSlider::MouseUp(int /*x*/, int /*y*/)
{
    dragging = false;
    if (listener) {
        listener->SliderMoved(id, value);
    }
}

void BaseSlider::MouseMove(int /*x*/, int /*y*/) {}

void BaseSlider::Draw(Tolm::Graphics* g)
{
    Tolm::Slider::Draw(g);
    Tolm::Font* font = GetFontById("FONT_WINDOW_TEXT");
    if (label.empty()) {
        return;
    }
    g->DrawImage(GetImageById("UI_SLIDER_LABEL"), kPlateX, kPlateY);
    if (!font) {
        return;
    }
    g->SetFont(font);
    g->SetColor(Tolm::Color::White);
    g->DrawTextLine(label, width / 2, font->GetAscent() - kCaptionRise, -1, 0);
}
