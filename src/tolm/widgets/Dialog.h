// The framework's movable message box: a header line, a block of wrapped lines and a footer line above a
// row of at most two buttons. A click on a button becomes the dialog's result and is passed on to the
// dialog listener with the dialog's id; the dialog can be dragged by any point outside its buttons, and
// its modal wait keeps the whole application running until a result arrives.
//
// Button modes: 1 "YES" and "NO", 2 "OK" and "CANCEL", 3 one button labelled with the footer; any other
// mode makes none. The buttons have ids 1000 and 1001.
#pragma once

#include "widgets/DialogButton.h"
#include "widgets/Listeners.h"
#include "widgets/Widget.h"

#include <climits>
#include <memory>
#include <string>

namespace Tolm {

class Font;
class Image;

struct Insets
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class Dialog : public Widget, public ButtonListener
{
public:
    // Without a component image the box is a grey frame with a shadow, and without a button component
    // image the buttons are framed push buttons with black labels. Images are not owned.
    Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool modal, std::string header,
           std::string lines, std::string footer, int buttonMode);
    ~Dialog() override;

    // Each button keeps a copy of the font; so does the dialog of its own fonts.
    virtual void SetButtonFont(Font* newFont);
    virtual void SetHeaderFont(Font* newFont);
    virtual void SetLinesFont(Font* newFont);
    virtual int GetPreferredHeight(int forWidth);
    virtual bool IsModal() { return modal; }
    // Runs main-loop steps until a result arrives, the dialog leaves the widget manager or the loop ends;
    // then, with autoKill, the application's registry kills the dialog. kNoResult when none arrived.
    virtual int WaitForResult(bool autoKill);

    void Draw(Graphics* g) override;
    // Lays the buttons out along the bottom.
    void Resize(int newX, int newY, int newWidth, int newHeight) override;
    // Colours 3 and 4 are the buttons' label colours too.
    void SetColor(int index, const Color& color) override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    // A single press of any button starts a drag; a double click does not.
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y, int button, int clickCount) override;

    using ButtonListener::ButtonPressed;
    void ButtonPressed(int buttonId) override;
    void ButtonClicked(int buttonId) override;

    // The result before any button was clicked.
    static constexpr int kNoResult = INT_MAX;
    static constexpr int kFirstButtonId = 1000;
    static constexpr int kSecondButtonId = 1001;

    // Colour indices.
    enum
    {
        ColorHeader,
        ColorLines,
        ColorFooter,
        ColorButtonText,
        ColorButtonTextHilite,
        ColorBackground,
        ColorOutline,
        ColorCount
    };

    // The application, or null when there is none.
    DialogListener* dialogListener;
    Image* componentImage;
    std::unique_ptr<DialogButton> firstButton;
    std::unique_ptr<DialogButton> secondButton;
    std::string header;
    std::string footer;
    std::string lines;
    int buttonMode;
    // Made on first layout or drawing when not set.
    std::unique_ptr<Font> headerFont;
    std::unique_ptr<Font> linesFont;
    // 0 centred, 1 right-aligned, anything else left-aligned.
    int linesJustification = 0;
    int extraLineSpacing = 0;
    int buttonHeight;
    // The box is drawn inside the background insets, text and buttons inside the content insets too.
    Insets backgroundInsets;
    Insets contentInsets{24, 24, 24, 24};
    int headerSpacing = 10;
    bool dragging = false;
    // The grab point inside the dialog.
    int dragAnchorX = 0;
    int dragAnchorY = 0;
    int id;
    bool modal;
    int result = kNoResult;
    int buttonSpacing = 8;
    // Extra space on both sides of a two-button row.
    int buttonSideMargin = 0;
    // Whether a WaitForResult of this dialog is running.
    bool IsWaitingForResult() const { return wait != nullptr; }

protected:
    // Makes the header and lines fonts that are not set.
    void EnsureFonts();
    // The header, the lines and the footer, laid out from the top of the content.
    void DrawTexts(Graphics* g);
    // What WaitForResult waits for: a result. A dialog that closes with an animation waits longer.
    virtual bool ResultReady() { return result != kNoResult; }

private:
    // What a running wait learns when the dialog is deleted under it (killed inside its own wait).
    struct WaitState
    {
        bool destroyed = false;
        int result = kNoResult;
    };

    // The width of the content: the dialog's width less both insets on both sides.
    int ContentWidth(int dialogWidth) const;
    void DrawPlainBox(Graphics* g);

    WaitState* wait = nullptr;
};

} // namespace Tolm
