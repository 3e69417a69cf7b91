#include "widgets/ButtonWidget.h"

#include "app/TolmAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/SysFont.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace Tolm {

namespace {

const int kDefaultColors[ButtonWidget::ColorCount][3] = {
    {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132}, {212, 212, 212},
};

} // namespace

ButtonWidget::ButtonWidget(int id, ButtonListener* listener) : id(id), listener(listener)
{
    hasAlpha = true;
    SetColorsRGB(kDefaultColors, ColorCount);
}

ButtonWidget::~ButtonWidget() = default;

bool ButtonWidget::HasImage(Image* image, const Rect& source)
{
    return image || source.width != 0;
}

void ButtonWidget::DrawButtonImage(Graphics* g, Image* image, const Rect& source, int drawX, int drawY)
{
    if (source.width != 0) {
        g->DrawImagePart(buttonImage, drawX, drawY, source);
    } else {
        g->DrawImage(image, drawX, drawY);
    }
}

void ButtonWidget::SetFont(Font* newFont)
{
    font = newFont ? newFont->Clone() : nullptr;
}

bool ButtonWidget::IsButtonDown()
{
    return isDown && isOver && !disabled;
}

void ButtonWidget::Update()
{
    Widget::Update();
    if (isDown && isOver && listener) {
        listener->ButtonHeld(id);
    }
    if (!isDown && !isOver && overAlpha > 0) {
        overAlpha = overAlphaFadeOutSpeed > 0 ? std::max(overAlpha - overAlphaFadeOutSpeed, 0.0) : 0.0;
        Invalidate();
    }
    if (isOver && overAlphaFadeInSpeed > 0 && overAlpha < 1.0) {
        overAlpha = std::min(overAlpha + overAlphaFadeInSpeed, 1.0);
        Invalidate();
    }
}

bool ButtonWidget::HoverChangesLook()
{
    return isDown || HasImage(overImage, overRect) ||
           ColorDiffers(GetColorRef(ColorLabel), GetColorRef(ColorLabelHilite));
}

void ButtonWidget::MouseEnter()
{
    if (overAlphaFadeInSpeed == 0 && overAlpha > 0) {
        overAlpha = 0;
    }
    if (HoverChangesLook()) {
        Invalidate();
    }
    if (listener) {
        listener->ButtonMouseEnter(id);
    }
}

void ButtonWidget::MouseLeave()
{
    if (overAlphaFadeOutSpeed == 0 && overAlpha > 0) {
        overAlpha = 0;
    }
    // The highlight fades out from full.
    if (overAlphaFadeOutSpeed > 0 && overAlpha == 0) {
        overAlpha = 1.0;
    }
    if (HoverChangesLook()) {
        Invalidate();
    }
    if (listener) {
        listener->ButtonMouseLeave(id);
    }
}

void ButtonWidget::MouseMove(int x, int y)
{
    if (listener) {
        listener->ButtonMouseMove(id, x, y);
    }
}

void ButtonWidget::MouseDown(int /*x*/, int /*y*/, int /*button*/, int clickCount)
{
    if (listener) {
        listener->ButtonPressed(id, clickCount);
    }
    Invalidate();
}

void ButtonWidget::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    // A release while the application is in the background clicks nothing.
    if (isOver && manager && manager->hasAppFocus && listener) {
        listener->ButtonClicked(id);
    }
    Invalidate();
}

void ButtonWidget::SetDisabled(bool isDisabled)
{
    Widget::SetDisabled(isDisabled);
    if (HasImage(disabledImage, disabledRect)) {
        Invalidate();
    }
}

void ButtonWidget::Draw(Graphics* g)
{
    if (noDraw) {
        return;
    }
    if (!font && !label.empty()) {
        font = SysFont::SysFontForApp(gTolmApp, "Arial Unicode MS", 10, 0, false, false, false);
    }
    bool pressedLook = IsButtonDown() != inverted;
    int labelX = 0;
    int labelY = 0;
    if (font) {
        int labelWidth = font->StringWidth(label);
        if (labelJustify == kCentered) {
            labelX = (width - labelWidth) / 2;
        } else if (labelJustify == kRight) {
            labelX = width - labelWidth;
        }
        int ascent = font->GetAscent();
        labelY = (ascent - ascent / 6 + height - 1) / 2;
        g->SetFont(font.get());
    }
    if (buttonImage || downImage) {
        DrawWithImages(g, pressedLook, labelX, labelY);
        return;
    }
    if (!frameNoDraw) {
        DrawFrame(g, pressedLook);
    }
    int offset = pressedLook ? 1 : 0;
    DrawLabel(g, isOver ? ColorLabelHilite : ColorLabel, labelX + offset, labelY + offset);
}

void ButtonWidget::DrawWithImages(Graphics* g, bool pressedLook, int labelX, int labelY)
{
    if (pressedLook) {
        if (HasImage(downImage, downRect)) {
            DrawButtonImage(g, downImage, downRect, 0, 0);
        } else if (HasImage(overImage, overRect)) {
            DrawButtonImage(g, overImage, overRect, 1, 1);
        } else {
            DrawButtonImage(g, buttonImage, normalRect, 1, 1);
        }
        DrawLabel(g, ColorLabelHilite, labelX + 1, labelY + 1);
        return;
    }
    if (disabled && HasImage(disabledImage, disabledRect)) {
        DrawButtonImage(g, disabledImage, disabledRect, 0, 0);
    } else if (overAlpha > 0 && HasImage(overImage, overRect)) {
        if (HasImage(buttonImage, normalRect) && overAlpha < 1.0) {
            DrawButtonImage(g, buttonImage, normalRect, 0, 0);
        }
        g->SetTintImages(true);
        g->SetColor(Color(255, 255, 255, int(overAlpha * 255)));
        DrawButtonImage(g, overImage, overRect, 0, 0);
        g->SetTintImages(false);
    } else if ((isOver || isDown) && HasImage(overImage, overRect)) {
        DrawButtonImage(g, overImage, overRect, 0, 0);
    } else if (HasImage(buttonImage, normalRect)) {
        DrawButtonImage(g, buttonImage, normalRect, 0, 0);
    }
    DrawLabel(g, isOver ? ColorLabelHilite : ColorLabel, labelX, labelY);
}

void ButtonWidget::DrawFrame(Graphics* g, bool pressedLook)
{
    g->SetColor(GetColorRef(ColorBackground));
    g->FillRect(0, 0, width, height);
    // The top-left edge is light and the bottom-right edge dark at rest; pressed, they swap.
    int topLeft = pressedLook ? ColorDarkOutline : ColorLightOutline;
    int bottomRight = pressedLook ? ColorLightOutline : ColorDarkOutline;
    g->SetColor(GetColorRef(topLeft));
    g->FillRect(0, 0, width - 1, 1);
    g->FillRect(0, 0, 1, height - 1);
    g->SetColor(GetColorRef(bottomRight));
    g->FillRect(0, height - 1, width, 1);
    g->FillRect(width - 1, 0, 1, height);
    g->SetColor(GetColorRef(ColorMediumOutline));
    if (pressedLook) {
        g->FillRect(1, 1, width - 3, 1);
        g->FillRect(1, 1, 1, height - 3);
    } else {
        g->FillRect(1, height - 2, width - 2, 1);
        g->FillRect(width - 2, 1, 1, height - 2);
    }
}

void ButtonWidget::DrawLabel(Graphics* g, int colorIndex, int labelX, int labelY)
{
    g->SetColor(GetColorRef(colorIndex));
    g->DrawString(label, labelX, labelY);
}

} // namespace Tolm
