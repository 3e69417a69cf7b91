#include "widgets/Dialog.h"

#include "app/TolmAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/SysFont.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace Tolm {

namespace {

constexpr int kArrowCursor = 0;
constexpr int kOpenHandCursor = 2;

// How far a dragged dialog may leave the screen, and how far inside it the grab point stays.
constexpr int kDragMargin = 8;

// Space between the blocks of text and above and below the buttons.
constexpr int kBlockGap = 8;

const int kDefaultColors[Dialog::ColorCount][3] = {
    {255, 255, 255}, {255, 255, 0}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {80, 80, 80}, {255, 255, 255},
};

} // namespace

Dialog::Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool modal, std::string header,
               std::string lines, std::string footer, int buttonMode)
    : dialogListener(gTolmApp), componentImage(componentImage), header(std::move(header)), footer(std::move(footer)),
      lines(std::move(lines)), buttonMode(buttonMode),
      buttonHeight(buttonComponentImage ? buttonComponentImage->GetHeight() : 24), id(id), modal(modal)
{
    auto makeButton = [&](int buttonId, const std::string& label) {
        auto button = std::make_unique<DialogButton>(buttonComponentImage, buttonId, this);
        button->label = label;
        return button;
    };
    if (buttonMode == 1) {
        firstButton = makeButton(kFirstButtonId, "YES");
        secondButton = makeButton(kSecondButtonId, "NO");
    } else if (buttonMode == 2) {
        firstButton = makeButton(kFirstButtonId, "OK");
        secondButton = makeButton(kSecondButtonId, "CANCEL");
    } else if (buttonMode == 3) {
        firstButton = makeButton(kFirstButtonId, this->footer);
    }
    hasTransparencies = true;
    hasAlpha = true;
    // Overlays of priority 0 pending when the dialog is drawn go below it.
    priority = 1;
    // Through the virtual SetColor, which hands the label colours to the buttons made above. The labels
    // are white on a button image and black on the framed buttons.
    SetColorsRGB(kDefaultColors, ColorCount);
    if (!buttonComponentImage) {
        SetColor(ColorButtonText, Color(0, 0, 0));
        SetColor(ColorButtonTextHilite, Color(0, 0, 0));
    }
    for (DialogButton* button : {firstButton.get(), secondButton.get()}) {
        if (button) {
            AddWidget(button);
        }
    }
}

Dialog::~Dialog()
{
    if (wait) {
        wait->destroyed = true;
        wait->result = result;
    }
    for (DialogButton* button : {firstButton.get(), secondButton.get()}) {
        if (button) {
            RemoveWidget(button);
        }
    }
}

void Dialog::SetButtonFont(Font* newFont)
{
    for (DialogButton* button : {firstButton.get(), secondButton.get()}) {
        if (button) {
            button->SetFont(newFont);
        }
    }
}

void Dialog::SetHeaderFont(Font* newFont)
{
    headerFont = newFont ? newFont->Clone() : nullptr;
}

void Dialog::SetLinesFont(Font* newFont)
{
    linesFont = newFont ? newFont->Clone() : nullptr;
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    int buttonIndex = index == ColorButtonText         ? ButtonWidget::ColorLabel
                      : index == ColorButtonTextHilite ? ButtonWidget::ColorLabelHilite
                                                       : -1;
    if (buttonIndex < 0) {
        return;
    }
    for (DialogButton* button : {firstButton.get(), secondButton.get()}) {
        if (button) {
            button->SetColor(buttonIndex, color);
        }
    }
}

void Dialog::EnsureFonts()
{
    if (!headerFont) {
        headerFont = SysFont::SysFontForApp(gTolmApp, "Arial Unicode MS", 14, 0, false, false, false);
    }
    if (!linesFont) {
        linesFont = SysFont::SysFontForApp(gTolmApp, "Arial Unicode MS", 12, 0, false, false, false);
    }
}

int Dialog::ContentWidth(int dialogWidth) const
{
    return dialogWidth - contentInsets.left - contentInsets.right - backgroundInsets.left - backgroundInsets.right;
}

int Dialog::GetPreferredHeight(int forWidth)
{
    EnsureFonts();
    int preferred = backgroundInsets.top + backgroundInsets.bottom + contentInsets.top + contentInsets.bottom;
    bool content = false;
    if (!header.empty()) {
        preferred += headerFont->GetHeight() - headerFont->GetAscentPadding();
        content = true;
    }
    if (!lines.empty()) {
        if (content) {
            preferred += headerSpacing;
        }
        Graphics measure;
        measure.SetFont(linesFont.get());
        preferred += MeasureWrappedText(&measure, ContentWidth(forWidth) - 4, lines,
                                        linesFont->GetLineSpacing() + extraLineSpacing);
        content = true;
    }
    // In mode 3 the footer is the button's label.
    if (!footer.empty() && buttonMode != 3) {
        if (content) {
            preferred += kBlockGap;
        }
        preferred += headerFont->GetLineSpacing();
        content = true;
    }
    if (firstButton) {
        if (content) {
            preferred += kBlockGap;
        }
        preferred += buttonHeight + kBlockGap;
    }
    return preferred;
}

void Dialog::Resize(int newX, int newY, int newWidth, int newHeight)
{
    Widget::Resize(newX, newY, newWidth, newHeight);
    int buttonY = height - contentInsets.bottom - backgroundInsets.bottom - buttonHeight;
    int left = backgroundInsets.left + contentInsets.left;
    if (secondButton) {
        int buttonWidth = (ContentWidth(width) - 2 * buttonSideMargin - buttonSpacing) / 2;
        firstButton->Resize(left + buttonSideMargin, buttonY, buttonWidth, buttonHeight);
        secondButton->Resize(firstButton->x + buttonWidth + buttonSpacing, buttonY, buttonWidth, buttonHeight);
    } else if (firstButton) {
        firstButton->Resize(left, buttonY, ContentWidth(width), buttonHeight);
    }
}

void Dialog::Draw(Graphics* g)
{
    EnsureFonts();
    if (componentImage) {
        g->DrawTiledBox(Rect(backgroundInsets.left, backgroundInsets.top,
                             width - backgroundInsets.right - backgroundInsets.left,
                             height - backgroundInsets.bottom - backgroundInsets.top),
                        componentImage);
    } else {
        DrawPlainBox(g);
    }
    DrawTexts(g);
}

void Dialog::DrawTexts(Graphics* g)
{
    int lineY = contentInsets.top + backgroundInsets.top;
    if (!header.empty()) {
        lineY += headerFont->GetAscent() - headerFont->GetAscentPadding();
        g->SetFont(headerFont.get());
        g->SetColor(GetColorRef(ColorHeader));
        DrawCenteredLine(g, lineY, header);
        lineY += headerFont->GetHeight() - headerFont->GetAscent() + headerSpacing;
    }
    // An empty block draws nothing.
    g->SetFont(linesFont.get());
    g->SetColor(GetColorRef(ColorLines));
    lineY += DrawWrappedText(g, Rect(backgroundInsets.left + contentInsets.left + 2, lineY, ContentWidth(width) - 4, 0),
                             lines, linesFont->GetLineSpacing() + extraLineSpacing, linesJustification);
    if (!footer.empty() && buttonMode != 3) {
        lineY += headerFont->GetLineSpacing() + kBlockGap;
        g->SetFont(headerFont.get());
        g->SetColor(GetColorRef(ColorFooter));
        DrawCenteredLine(g, lineY, footer);
    }
}

void Dialog::DrawPlainBox(Graphics* g)
{
    g->SetColor(GetColor(ColorOutline, Color(255, 255, 255)));
    g->DrawRect(12, 12, width - 25, height - 25);
    g->SetColor(GetColor(ColorBackground, Color(80, 80, 80)));
    g->FillRect(13, 13, width - 26, height - 26);
    // A translucent shadow along the right and bottom edges.
    g->SetColor(Color(0, 0, 0, 128));
    g->FillRect(width - 12, 24, 12, height - 36);
    g->FillRect(24, height - 12, width - 24, 12);
}

void Dialog::MouseDown(int x, int y, int /*button*/, int clickCount)
{
    if (clickCount != 1) {
        return;
    }
    SetAppCursor(kOpenHandCursor);
    dragging = true;
    dragAnchorX = x;
    dragAnchorY = y;
}

void Dialog::MouseDrag(int x, int y)
{
    if (!dragging || !manager) {
        return;
    }
    // At most kDragMargin pixels of the dialog leave the screen on any side.
    auto keepOnScreen = [](int position, int size, int screenSize) {
        if (position < -kDragMargin) {
            return -kDragMargin;
        }
        if (position + size > screenSize + kDragMargin) {
            return screenSize - size + kDragMargin;
        }
        return position;
    };
    int newX = keepOnScreen(this->x + x - dragAnchorX, width, manager->width);
    int newY = keepOnScreen(this->y + y - dragAnchorY, height, manager->height);
    // The grab point moves by what the clamping took off, and stays inside the dialog.
    auto keepInside = [](int anchor, int size) {
        if (anchor < kDragMargin) {
            return kDragMargin;
        }
        return anchor > size - kDragMargin - 1 ? size - kDragMargin - 1 : anchor;
    };
    dragAnchorX = keepInside(x + this->x - newX, width);
    dragAnchorY = keepInside(y + this->y - newY, height);
    Move(newX, newY);
}

void Dialog::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    if (!dragging) {
        return;
    }
    SetAppCursor(kArrowCursor);
    dragging = false;
}

void Dialog::ButtonPressed(int buttonId)
{
    if ((buttonId == kFirstButtonId || buttonId == kSecondButtonId) && dialogListener) {
        dialogListener->DialogButtonPressed(id, buttonId);
    }
}

void Dialog::ButtonClicked(int buttonId)
{
    if (buttonId != kFirstButtonId && buttonId != kSecondButtonId) {
        return;
    }
    result = buttonId;
    if (dialogListener) {
        dialogListener->DialogButtonClicked(id, buttonId);
    }
}

int Dialog::WaitForResult(bool autoKill)
{
    TolmAppBase* app = gTolmApp;
    if (!app) {
        return result;
    }
    WaitState state;
    WaitState* outer = wait;
    wait = &state;
    bool running = true;
    do {
        running = app->StepMainLoop(nullptr);
    } while (running && !state.destroyed && manager && !ResultReady());
    if (state.destroyed) {
        if (outer) {
            *outer = state;
        }
        return state.result;
    }
    wait = outer;
    if (autoKill) {
        app->KillDialogId(id);
    }
    return result;
}

} // namespace Tolm
