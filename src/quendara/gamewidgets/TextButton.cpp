#include "gamewidgets/TextButton.h"

#include "app/TolmAppBase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"

namespace {

constexpr float kHoverSpeed = 0.05f;
// How much darker than white the text is at rest.
constexpr float kRestDimming = 100.0f;
const char kUserField[] = "%USER%";

} // namespace

TextButton::TextButton(const std::string& text, int id, Tolm::ButtonListener* listener) : BaseButton(id, listener)
{
    SetFont(GetFontById("FONT_MAINMENU_PROFILE"));
    TextButton::SetText(text);
    hover.speed = kHoverSpeed;
    hover.target = 1.0f;
}

void TextButton::SetText(const std::string& text)
{
    label = text;
    if (font) {
        width = font->StringWidth(label);
        height = font->GetHeight();
    }
}

void TextButton::MouseEnter()
{
    Tolm::ButtonWidget::MouseEnter();
    hover.target = 0.0f;
}

void TextButton::MouseLeave()
{
    Tolm::ButtonWidget::MouseLeave();
    hover.target = 1.0f;
}

void TextButton::UpdateFraction(float dt)
{
    hover.Update(dt);
}

void TextButton::Draw(Tolm::Graphics* g)
{
    if (!font) {
        return;
    }
    int grey = 255 - int(hover.current * kRestDimming);
    g->SetColor(Tolm::Color(grey, grey, grey, 255));
    g->SetFont(font.get());
    int ascent = font->GetAscent();
    g->DrawString(label, 1, (height - ascent / 6 + ascent - 1) / 2 + 1);
}

ProfileButton::ProfileButton(const std::string& name, int id, Tolm::ButtonListener* listener)
    : TextButton(name, id, listener)
{
    ProfileButton::SetText(name);
}

void ProfileButton::SetText(const std::string& name)
{
    std::string text = Tolm::GetLocalizedText("welcome_back");
    Tolm::Font* profileFont = GetFontById("FONT_MAINMENU_PROFILE");
    if (profileFont && profileFont->StringWidth(name) > kLongNameWidth) {
        text = Tolm::GetLocalizedText("welcome_back_short");
    }
    if (size_t field = text.find(kUserField); field != std::string::npos) {
        text.replace(field, sizeof kUserField - 1, name);
    }
    TextButton::SetText(text);
}
