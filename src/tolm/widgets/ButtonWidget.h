// The framework's push button: an id, a label in a font of its own, up to four state images (or source
// rectangles cut from one button image), a hover highlight that can fade in and out, and a listener that
// hears presses, clicks, holds and the mouse passing. Without images it draws a grey 3D frame.
#pragma once

#include "graphics/Rect.h"
#include "widgets/Listeners.h"
#include "widgets/Widget.h"

#include <memory>
#include <string>

namespace Tolm {

class Font;
class Image;

class ButtonWidget : public Widget
{
public:
    // The listener is not owned and must outlive the button.
    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;
    ButtonWidget(const ButtonWidget&) = delete;
    ButtonWidget& operator=(const ButtonWidget&) = delete;

    // When a source rectangle has a width, that part of the button image is drawn instead of the image given.
    virtual void DrawButtonImage(Graphics* g, Image* image, const Rect& source, int drawX, int drawY);
    // The button keeps a copy; the caller keeps its font.
    virtual void SetFont(Font* newFont);
    // Held down with the mouse over it, and enabled.
    virtual bool IsButtonDown();

    void Update() override;
    void Draw(Graphics* g) override;
    void SetDisabled(bool isDisabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    // Any button presses it, and any button released over it clicks it.
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;

    // An image is set, or the source rectangle has a width.
    static bool HasImage(Image* image, const Rect& source);

    // Label justification.
    static constexpr int kCentered = 0;
    static constexpr int kRight = 1;
    static constexpr int kLeft = -1;

    // Colour indices.
    enum
    {
        ColorLabel,
        ColorLabelHilite,
        ColorDarkOutline,
        ColorLightOutline,
        ColorMediumOutline,
        ColorBackground,
        ColorCount
    };

    int id;
    std::string label;
    // 0 centred, 1 right-aligned, anything else left-aligned.
    int labelJustify = kCentered;
    std::unique_ptr<Font> font;
    // Not owned.
    Image* buttonImage = nullptr;
    Image* overImage = nullptr;
    Image* downImage = nullptr;
    Image* disabledImage = nullptr;
    Rect normalRect;
    Rect overRect;
    Rect downRect;
    Rect disabledRect;
    // Swaps the pressed and the normal look.
    bool inverted = false;
    bool noDraw = false;
    // Without images only the label is drawn.
    bool frameNoDraw = false;
    ButtonListener* listener;
    // The weight of the over state while it fades; the speeds are per update.
    double overAlpha = 0.0;
    double overAlphaFadeOutSpeed = 0.0;
    double overAlphaFadeInSpeed = 0.0;

private:
    // Whether the look changes when the mouse comes or goes.
    bool HoverChangesLook();
    void DrawWithImages(Graphics* g, bool pressedLook, int labelX, int labelY);
    void DrawFrame(Graphics* g, bool pressedLook);
    void DrawLabel(Graphics* g, int colorIndex, int labelX, int labelY);
};

} // namespace Tolm
