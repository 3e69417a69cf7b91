#include "widgets/DialogButton.h"

#include "app/TolmAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/SysFont.h"

namespace Tolm {

namespace {

const int kDefaultColors[ButtonWidget::ColorCount][3] = {
    {255, 255, 255}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132}, {212, 212, 212},
};

} // namespace

DialogButton::DialogButton(Image* componentImage, int id, ButtonListener* listener)
    : ButtonWidget(id, listener), componentImage(componentImage)
{
    wantsHandCursor = true;
    SetColorsRGB(kDefaultColors, ColorCount);
}

void DialogButton::Draw(Graphics* g)
{
    if (noDraw) {
        return;
    }
    if (!componentImage) {
        ButtonWidget::Draw(g);
        return;
    }
    if (!font && !label.empty()) {
        font = SysFont::SysFontForApp(gTolmApp, "Arial Unicode MS", 12, 1, false, false, false);
    }
    bool down = IsButtonDown();
    if (normalRect.width == 0) {
        // One box for every state: it moves with the label while pressed.
        if (down) {
            g->Translate(pressOffsetX, pressOffsetY);
        }
        g->DrawTiledBox(Rect(0, 0, width, height), componentImage);
    } else {
        // The pressed box of the sheet is drawn in place; only the label moves.
        DrawStateBox(g, down);
        if (down) {
            g->Translate(pressOffsetX, pressOffsetY);
        }
    }
    if (font) {
        g->SetFont(font.get());
        g->SetColor(GetColorRef(isOver ? ColorLabelHilite : ColorLabel));
        int ascent = font->GetAscent();
        int labelX = (width - font->StringWidth(label)) / 2 + labelOffsetX;
        int labelY = (height - ascent / 6 - font->GetAscentPadding() + ascent - 1) / 2 + labelOffsetY;
        g->DrawString(label, labelX, labelY);
    }
    if (down) {
        g->Translate(-pressOffsetX, -pressOffsetY);
    }
}

void DialogButton::DrawStateBox(Graphics* g, bool down)
{
    Rect box(0, 0, width, height);
    if (disabled && disabledRect.width > 0 && disabledRect.height > 0) {
        g->DrawTiledBoxPart(disabledRect, box, componentImage);
    } else if (down) {
        g->DrawTiledBoxPart(downRect, box, componentImage);
    } else if (overAlpha > 0.0) {
        if (overAlpha < 1.0) {
            g->DrawTiledBoxPart(normalRect, box, componentImage);
        }
        g->SetTintImages(true);
        g->SetColor(Color(255, 255, 255, int(overAlpha * 255)));
        g->DrawTiledBoxPart(overRect, box, componentImage);
        g->SetTintImages(false);
    } else {
        g->DrawTiledBoxPart(isOver ? overRect : normalRect, box, componentImage);
    }
}

} // namespace Tolm
