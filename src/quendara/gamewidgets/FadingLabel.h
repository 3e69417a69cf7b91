// A line of text rendered once into an image and shown as a widget that fades in and out and, while
// shown, breathes slowly in size and opacity. The "click to continue" line of the menu and town screens is
// one. It takes no input.
#pragma once

#include "core/LiveValue.h"
#include "graphics/Color.h"
#include "widgets/Widget.h"

#include <memory>
#include <string>

namespace Tolm {
class DDImage;
class Font;
} // namespace Tolm

class FadingLabel : public Tolm::Widget
{
public:
    // Starts fading in. A text or font of no size makes no image, and the label draws nothing.
    FadingLabel(const std::string& text, Tolm::Font* font, const Tolm::Color& color);
    ~FadingLabel() override;

    // Without animate the label is shown or hidden at once.
    void SetShown(bool shown, bool animate);

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    // Update periods since the label was last fully hidden; drives the pulse.
    float time = 0;
    float minScale = 0.85f;
    float maxScale = 1.0f;
    std::unique_ptr<Tolm::DDImage> textImage;
    // 0 hidden, 1 shown.
    LiveValue fade;
};

// "lab_click_to_continue", centred near the bottom of the screen.
class LabelClickToContinue : public FadingLabel
{
public:
    LabelClickToContinue();
};
