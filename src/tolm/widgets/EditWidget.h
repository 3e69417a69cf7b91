// The single-line text field: a text with a cursor and a selection, horizontal scrolling, a blinking
// caret, clipboard copy, cut and paste, one level of undo (a second undo redoes), a password character,
// and limits on the number of characters and on the text's width in pixels. The listener filters keys,
// characters and whole texts and hears Enter.
//
// Text is 8-bit and positions count characters. The selection runs between the cursor and the highlight
// (-1: none). Measuring and drawing use the display text: the text, or as many password characters.
#pragma once

#include "widgets/Listeners.h"
#include "widgets/Widget.h"

#include <memory>
#include <string>
#include <vector>

namespace Tolm {

class Font;

class EditWidget : public Widget
{
public:
    // The listener may be null: everything is allowed then.
    EditWidget(int id, EditListener* listener);
    ~EditWidget() override;

    // One key (keyCode, with ch 0) or one character (ch, with keyCode 0).
    virtual void ProcessKey(int keyCode, char ch);
    // Selects the word at the cursor, or the one character there when it is not a word character.
    virtual void SelectWord();
    // Both are copied; the width-check font, when given, limits the text to the max pixels.
    virtual void SetFont(Font* newFont, Font* widthCheckFont = nullptr);
    // The whole new text is selected, the cursor at its end. The listener is not asked.
    virtual void SetText(const std::string& newText, bool leftToStart = true);
    // Letters, digits and '_'.
    virtual bool IsWordChar(char c);
    // The text position nearest to the point; y is not used.
    virtual int CharIndexAt(int x, int y);
    // Scrolls the text until the cursor is in view, 10 characters at a time with bigStep, else 1.
    virtual void ScrollToCursor(bool bigStep);

    void Update() override;
    void Draw(Graphics* g) override;
    // An opaque background redraws the field alone, anything else what lies below it too.
    void Invalidate() override;
    void Resize(int newX, int newY, int newWidth, int newHeight) override;
    void GotFocus() override;
    void LostFocus() override;
    void KeyChar(char ch) override;
    void KeyDown(int keyCode) override;
    void MouseEnter() override;
    void MouseLeave() override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;

    const std::string& DisplayText();
    // Cuts characters from the end until the text fits the pixel limits.
    void TrimToPixelLimit();
    // Keeps a copy of the font; a limit of 0 or less stands for the max pixels.
    void AddWidthCheckFont(Font* checkFont, int pixelLimit = -1);
    void ClearWidthCheckFonts();

    // Colour indices.
    enum
    {
        ColorBackground,
        ColorOutline,
        ColorText,
        ColorHilite,
        ColorHiliteText,
        ColorCount
    };

    struct WidthCheckFont
    {
        std::unique_ptr<Font> font;
        int pixelLimit;
    };

    int id;
    std::string text;
    // The run of password characters drawn instead of the text.
    std::string passwordText;
    std::unique_ptr<Font> font;
    std::vector<WidthCheckFont> widthCheckFonts;
    EditListener* listener;
    // The blink phase.
    bool caretShown = false;
    // The selection and caret are drawn also without the focus.
    bool alwaysActive = false;
    // A double click is selecting a word.
    bool doubleClicked = false;
    int cursor = 0;
    int highlight = -1;
    // In updates.
    int blinkCounter = 0;
    int blinkDelay = 40;
    // The first text position shown.
    int leftPosition = 0;
    // -1: no limit.
    int maxChars = -1;
    int maxPixels = -1;
    // 0: none.
    char passwordChar = 0;
    std::string undoText;
    int undoCursor = 0;
    int undoHighlight = -1;
    // Where the last edit was, so that a run of typing or deleting is one undo step.
    int lastEditPosition = 0;

private:
    struct EditState
    {
        std::string text;
        int cursor;
        int highlight;
    };

    bool HasSelection() const { return highlight != -1 && highlight != cursor; }
    int SelectionStart() const;
    int SelectionEnd() const;
    // Removes the selected characters; the cursor goes to where they began.
    void DeleteSelection();
    void CopySelection();
    // Inserts at the cursor, or in place of the selection; the cursor moves behind the insertion.
    void Insert(const std::string& insertion);
    void Paste();
    void Undo();
    void Backspace(bool& recordUndo);
    void Delete(bool& recordUndo);
    void MoveLeft(bool ctrl, bool shift);
    void MoveRight(bool ctrl, bool shift);
    // False when the character is refused, and nothing changes.
    bool TypeCharacter(char ch, bool& recordUndo);
    bool Accepts(char ch);
    bool KeyHeld(int keyCode) const;
    // The width of the display text from start up to end; 0 without a font or for an empty range.
    int TextWidth(int start, int end);
    void EnsureFont();
};

} // namespace Tolm
