// A button that is only its text, grey at rest and white while the mouse is over it, sized to the text;
// the profile kind greets the player by name on the main menu.
#pragma once

#include "core/LiveValue.h"
#include "gamewidgets/BaseButton.h"

#include <string>

class TextButton : public BaseButton
{
public:
    TextButton(const std::string& text, int id, Tolm::ButtonListener* listener);

    // The label, and the button sized to it in its font.
    virtual void SetText(const std::string& text);

    // No sound as the mouse comes over it; every press still sounds.
    void MouseEnter() override;
    void MouseLeave() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    // 0 when hovered, 1 when not.
    LiveValue hover;
};

class ProfileButton : public TextButton
{
public:
    // A name wider than this takes the short welcome.
    static constexpr int kLongNameWidth = 100;

    ProfileButton(const std::string& name, int id, Tolm::ButtonListener* listener);

    // The welcome text with the name in place of "%USER%"; the short welcome for a name wider than
    // 100 pixels. A text without "%USER%" is shown as it is.
    void SetText(const std::string& name) override;
};
