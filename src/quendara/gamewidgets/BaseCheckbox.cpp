#include "gamewidgets/BaseCheckbox.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

// Between the label's end and the box.
constexpr int kLabelGap = 10;
// Lowers the label's baseline from the box's bottom less the ascent.
constexpr int kLabelDrop = 5;

} // namespace

BaseCheckbox::BaseCheckbox(int id, Tolm::CheckboxListener* listener)
    : Tolm::Checkbox(GetImageById("UI_CHECKBOX"), GetImageById("UI_CHECKBOX_CHECKED"), id, listener)
{
    clip = false;
    wantsHandCursor = false;
    if (tickedImage) {
        Resize(0, 0, tickedImage->GetFrameWidth(), tickedImage->GetFrameHeight());
    }
}

void BaseCheckbox::SetLabel(const std::string& text)
{
    label = text;
    Tolm::Font* font = GetFontById("FONT_WINDOW_TEXT");
    labelWidth = font ? font->StringWidth(label) : 0;
}

void BaseCheckbox::Draw(Tolm::Graphics* g)
{
    Tolm::Checkbox::Draw(g);
    Tolm::Font* font = GetFontById("FONT_WINDOW_TEXT");
    if (label.empty() || !font) {
        return;
    }
    int boxHeight = tickedImage ? tickedImage->GetFrameHeight() : height;
    g->SetFont(font);
    g->SetColor(Tolm::Color::White);
    g->DrawString(label, -labelWidth - kLabelGap, boxHeight - font->GetAscent() + kLabelDrop);
}
