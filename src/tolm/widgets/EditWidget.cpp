#include "widgets/EditWidget.h"

#include "app/TolmAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace Tolm {

namespace {

// Virtual-key codes.
constexpr int kBackspaceKey = 8;
constexpr int kEnterKey = 13;
constexpr int kShiftKey = 16;
constexpr int kCtrlKey = 17;
constexpr int kEndKey = 35;
constexpr int kHomeKey = 36;
constexpr int kLeftKey = 37;
constexpr int kRightKey = 39;
constexpr int kDeleteKey = 46;

// The characters that Ctrl with a letter types.
constexpr char kCopyChar = 3;
constexpr char kCutChar = 24;
constexpr char kPasteChar = 22;
constexpr char kUndoChar = 26;

constexpr int kTextCursor = 3;
constexpr int kArrowCursor = 0;

// The text is drawn this far inside the field on the left, and clipped as far inside on the right.
constexpr int kTextInset = 4;

const int kDefaultColors[EditWidget::ColorCount][3] = {
    {255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255},
};

} // namespace

EditWidget::EditWidget(int id, EditListener* listener) : id(id), listener(listener)
{
    wantsFocus = true;
    SetColorsRGB(kDefaultColors, ColorCount);
}

EditWidget::~EditWidget() = default;

const std::string& EditWidget::DisplayText()
{
    if (passwordChar == 0) {
        return text;
    }
    if (passwordText.size() != text.size() || (!passwordText.empty() && passwordText[0] != passwordChar)) {
        passwordText.assign(text.size(), passwordChar);
    }
    return passwordText;
}

bool EditWidget::IsWordChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool EditWidget::KeyHeld(int keyCode) const
{
    return manager && manager->keyDown[size_t(keyCode)];
}

int EditWidget::TextWidth(int start, int end)
{
    const std::string& shown = DisplayText();
    start = std::clamp(start, 0, int(shown.size()));
    end = std::clamp(end, 0, int(shown.size()));
    if (!font || end <= start) {
        return 0;
    }
    return font->StringWidth(shown.substr(size_t(start), size_t(end - start)));
}

int EditWidget::SelectionStart() const
{
    return std::clamp(std::min(cursor, highlight), 0, int(text.size()));
}

int EditWidget::SelectionEnd() const
{
    return std::clamp(std::max(cursor, highlight), 0, int(text.size()));
}

void EditWidget::SetFont(Font* newFont, Font* widthCheckFont)
{
    font = newFont ? newFont->Clone() : nullptr;
    ClearWidthCheckFonts();
    if (widthCheckFont) {
        AddWidthCheckFont(widthCheckFont, -1);
    }
}

void EditWidget::AddWidthCheckFont(Font* checkFont, int pixelLimit)
{
    widthCheckFonts.push_back({checkFont->Clone(), pixelLimit});
}

void EditWidget::ClearWidthCheckFonts()
{
    widthCheckFonts.clear();
}

void EditWidget::SetText(const std::string& newText, bool leftToStart)
{
    text = newText;
    cursor = int(text.size());
    highlight = 0;
    if (leftToStart) {
        leftPosition = 0;
    } else {
        ScrollToCursor(true);
    }
    Invalidate();
}

void EditWidget::ProcessKey(int keyCode, char ch)
{
    if (keyCode == kShiftKey || keyCode == kCtrlKey) {
        return;
    }
    bool shift = KeyHeld(kShiftKey);
    bool ctrl = KeyHeld(kCtrlKey);
    bool dropHighlight = !shift;
    bool recordUndo = false;
    // With Shift a selection starts at the cursor.
    if (shift && !HasSelection()) {
        highlight = cursor;
    }
    EditState previous{text, cursor, highlight};

    switch (ch) {
    case kCopyChar:
        CopySelection();
        dropHighlight = false;
        break;
    case kCutChar:
        if (HasSelection()) {
            CopySelection();
            DeleteSelection();
            recordUndo = true;
        }
        break;
    case kPasteChar:
        if (std::string clipboard = gTolmApp ? gTolmApp->GetClipboardText() : std::string(); !clipboard.empty()) {
            std::string taken;
            for (char c : clipboard) {
                if (c == '\r' || c == '\n') {
                    break;
                }
                if ((!font || font->CharWidth(c) > 0) && (!listener || listener->AllowChar(id, c))) {
                    taken += c;
                }
            }
            Insert(taken);
            recordUndo = true;
        }
        break;
    case kUndoChar:
        // Swapping makes a second undo redo.
        std::swap(text, undoText);
        std::swap(cursor, undoCursor);
        std::swap(highlight, undoHighlight);
        lastEditPosition = -1;
        dropHighlight = false;
        break;
    default:
        switch (keyCode) {
        case kBackspaceKey:
            if (!text.empty()) {
                Backspace(recordUndo);
            }
            break;
        case kEnterKey:
            if (listener) {
                listener->TextSubmitted(id, text);
            }
            break;
        case kEndKey:
            cursor = int(text.size());
            break;
        case kHomeKey:
            cursor = 0;
            break;
        case kLeftKey:
            MoveLeft(ctrl, shift);
            break;
        case kRightKey:
            MoveRight(ctrl, shift);
            break;
        case kDeleteKey:
            if (!text.empty()) {
                Delete(recordUndo);
            }
            break;
        default:
            if (!TypeCharacter(ch, recordUndo)) {
                dropHighlight = false;
            }
            break;
        }
        break;
    }

    if (maxChars >= 0 && int(text.size()) > maxChars) {
        text.resize(size_t(maxChars));
    }
    TrimToPixelLimit();
    int length = int(text.size());
    cursor = std::clamp(cursor, 0, length);
    // A selection end cut off with the text ends at the text's end.
    highlight = std::min(highlight, length);
    if (cursor != previous.cursor) {
        blinkCounter = 0;
        caretShown = true;
    }
    ScrollToCursor(true);
    if (dropHighlight || highlight == cursor) {
        highlight = -1;
    }
    if (listener && !listener->AllowText(id, text)) {
        text = std::move(previous.text);
        cursor = previous.cursor;
        highlight = previous.highlight;
    } else if (recordUndo) {
        undoText = std::move(previous.text);
        undoCursor = previous.cursor;
        undoHighlight = previous.highlight;
    }
    Invalidate();
}

void EditWidget::CopySelection()
{
    if (HasSelection() && gTolmApp) {
        int start = SelectionStart();
        gTolmApp->CopyToClipboard(DisplayText().substr(size_t(start), size_t(SelectionEnd() - start)));
    }
}

void EditWidget::DeleteSelection()
{
    int start = SelectionStart();
    text.erase(size_t(start), size_t(SelectionEnd() - start));
    cursor = start;
    highlight = -1;
}

void EditWidget::Insert(const std::string& insertion)
{
    if (HasSelection()) {
        DeleteSelection();
    }
    cursor = std::clamp(cursor, 0, int(text.size()));
    text.insert(size_t(cursor), insertion);
    cursor += int(insertion.size());
}

void EditWidget::Backspace(bool& recordUndo)
{
    if (HasSelection()) {
        DeleteSelection();
        recordUndo = true;
        return;
    }
    int before = cursor;
    if (cursor > 0 && cursor <= int(text.size())) {
        text.erase(size_t(cursor - 1), 1);
        --cursor;
    }
    highlight = -1;
    // A run of backspaces is one undo step.
    if (before != lastEditPosition + 1) {
        recordUndo = true;
    }
    lastEditPosition = cursor - 1;
}

void EditWidget::Delete(bool& recordUndo)
{
    if (HasSelection()) {
        DeleteSelection();
        recordUndo = true;
        return;
    }
    if (cursor >= 0 && cursor < int(text.size())) {
        text.erase(size_t(cursor), 1);
    }
    if (cursor != lastEditPosition) {
        recordUndo = true;
    }
    lastEditPosition = cursor;
}

void EditWidget::MoveLeft(bool ctrl, bool shift)
{
    if (ctrl) {
        // To the start of the word, or of the previous one from a word's start.
        const std::string& shown = DisplayText();
        auto wordCharBefore = [&](int at) { return at <= int(shown.size()) && IsWordChar(shown[size_t(at - 1)]); };
        while (cursor > 0 && !wordCharBefore(cursor)) {
            --cursor;
        }
        while (cursor > 0 && wordCharBefore(cursor)) {
            --cursor;
        }
        return;
    }
    if (shift || !HasSelection()) {
        --cursor;
    } else {
        cursor = SelectionStart();
    }
}

void EditWidget::MoveRight(bool ctrl, bool shift)
{
    if (ctrl) {
        // Over the rest of the word and the gap after it, to just before the next word; the step below
        // then lands on its start.
        const std::string& shown = DisplayText();
        int last = int(shown.size()) - 1;
        auto wordCharAfter = [&](int at) { return at >= -1 && IsWordChar(shown[size_t(at + 1)]); };
        while (cursor < last && wordCharAfter(cursor)) {
            ++cursor;
        }
        while (cursor < last && !wordCharAfter(cursor)) {
            ++cursor;
        }
    }
    if (shift || !HasSelection()) {
        ++cursor;
    } else {
        cursor = SelectionEnd();
    }
}

bool EditWidget::Accepts(char ch)
{
    int code = static_cast<unsigned char>(ch);
    int highest = gTolmApp && gTolmApp->allowExtendedChars ? 255 : 127;
    if (code < 32 || code > highest) {
        return false;
    }
    if (font && font->CharWidth(ch) <= 0) {
        return false;
    }
    return !listener || listener->AllowChar(id, ch);
}

bool EditWidget::TypeCharacter(char ch, bool& recordUndo)
{
    if (!Accepts(ch)) {
        return false;
    }
    if (HasSelection()) {
        DeleteSelection();
        recordUndo = true;
    } else {
        // A run of typing is one undo step.
        if (cursor != lastEditPosition + 1) {
            recordUndo = true;
        }
        lastEditPosition = cursor;
    }
    Insert(std::string(1, ch));
    highlight = -1;
    ScrollToCursor(false);
    return true;
}

void EditWidget::TrimToPixelLimit()
{
    if (maxPixels <= 0 && widthCheckFonts.empty()) {
        return;
    }
    if (widthCheckFonts.empty()) {
        while (font && !text.empty() && font->StringWidth(DisplayText()) > maxPixels) {
            text.pop_back();
        }
        return;
    }
    for (WidthCheckFont& check : widthCheckFonts) {
        int limit = check.pixelLimit > 0 ? check.pixelLimit : maxPixels;
        while (limit > 0 && !text.empty() && check.font->StringWidth(DisplayText()) > limit) {
            text.pop_back();
        }
    }
}

int EditWidget::CharIndexAt(int x, int /*y*/)
{
    // A point right of a character's middle (the text starts kTextInset pixels in) lies after it; left of
    // the first visible character's middle gives 0, even when the text is scrolled.
    int length = int(DisplayText().size());
    int start = std::min(leftPosition, length);
    int index = 0;
    for (int i = start; i < length; ++i) {
        int before = TextWidth(start, i);
        int through = TextWidth(start, i + 1);
        if (x >= (before + through) / 2 + kTextInset + 1) {
            index = i + 1;
        }
    }
    return index;
}

void EditWidget::SelectWord()
{
    const std::string& shown = DisplayText();
    int length = int(shown.size());
    if (cursor < 0 || cursor >= length) {
        return;
    }
    highlight = cursor;
    if (IsWordChar(shown[size_t(cursor)])) {
        while (highlight > 0 && IsWordChar(shown[size_t(highlight - 1)])) {
            --highlight;
        }
        while (cursor < length - 1 && IsWordChar(shown[size_t(cursor + 1)])) {
            ++cursor;
        }
    }
    ++cursor;
}

void EditWidget::ScrollToCursor(bool bigStep)
{
    int step = bigStep ? 10 : 1;
    while (cursor < leftPosition && leftPosition > 0) {
        leftPosition = std::max(leftPosition - step, 0);
        Invalidate();
    }
    if (!font) {
        return;
    }
    int lastPosition = int(DisplayText().size()) - 1;
    while (width >= 9 && TextWidth(leftPosition, cursor) >= width - 8) {
        // Never past the cursor, and never stuck: a character about as wide as the field ends the scroll.
        int next = std::min({leftPosition + step, lastPosition, cursor});
        if (next <= leftPosition) {
            break;
        }
        leftPosition = next;
        Invalidate();
    }
}

void EditWidget::Update()
{
    Widget::Update();
    if (!hasFocus) {
        return;
    }
    if (++blinkCounter > blinkDelay) {
        blinkCounter = 0;
        caretShown = !caretShown;
        Invalidate();
    }
}

void EditWidget::Invalidate()
{
    if (!parent) {
        dirty = true;
        return;
    }
    if (GetColorRef(ColorBackground).alpha == 255) {
        parent->InvalidateChild(this);
    } else {
        parent->InvalidateChildWithBelow(this);
    }
}

void EditWidget::Resize(int newX, int newY, int newWidth, int newHeight)
{
    Widget::Resize(newX, newY, newWidth, newHeight);
    ScrollToCursor(false);
}

void EditWidget::GotFocus()
{
    Widget::GotFocus();
    caretShown = true;
    blinkCounter = 0;
    Invalidate();
}

void EditWidget::LostFocus()
{
    Widget::LostFocus();
    caretShown = false;
    Invalidate();
}

void EditWidget::KeyChar(char ch)
{
    ProcessKey(0, ch);
}

void EditWidget::KeyDown(int keyCode)
{
    // The letters arrive as characters.
    bool letter = keyCode >= 'A' && keyCode <= 'Z';
    if (!letter && (!listener || listener->AllowKey(id, keyCode))) {
        ProcessKey(keyCode, 0);
    }
    Widget::KeyDown(keyCode);
}

void EditWidget::MouseEnter()
{
    SetAppCursor(kTextCursor);
}

void EditWidget::MouseLeave()
{
    SetAppCursor(kArrowCursor);
}

void EditWidget::MouseDown(int x, int y, int /*button*/, int clickCount)
{
    highlight = -1;
    cursor = CharIndexAt(x, y);
    if (clickCount > 1) {
        doubleClicked = true;
        SelectWord();
    }
    Invalidate();
    ScrollToCursor(false);
}

void EditWidget::MouseDrag(int x, int y)
{
    if (!HasSelection()) {
        highlight = cursor;
    }
    cursor = CharIndexAt(x, y);
    Invalidate();
    ScrollToCursor(false);
}

void EditWidget::MouseUp(int x, int y, int /*button*/, int /*clickCount*/)
{
    if (highlight == cursor) {
        highlight = -1;
    }
    if (doubleClicked) {
        highlight = -1;
        cursor = CharIndexAt(x, y);
        doubleClicked = false;
        SelectWord();
    }
    Invalidate();
}

void EditWidget::EnsureFont()
{
    if (!font) {
        font = SysFont::SysFontForApp(gTolmApp, "Arial Unicode MS", 10, 0, false, false, false);
    }
}

void EditWidget::Draw(Graphics* g)
{
    EnsureFont();
    g->SetColor(GetColorRef(ColorBackground));
    g->FillRect(0, 0, width, height);
    const std::string& shown = DisplayText();
    int start = std::min(leftPosition, int(shown.size()));
    std::string visible = shown.substr(size_t(start));
    int fontHeight = font->GetHeight();
    int top = (height - fontHeight) / 2;
    int baseline = top + font->GetAscent();

    Graphics textPass(*g);
    textPass.SetFont(font.get());
    textPass.IntersectClip(kTextInset, 0, width - 2 * kTextInset, height);
    textPass.SetColor(GetColorRef(ColorText));
    textPass.DrawString(visible, kTextInset, baseline);

    // The selection, or the caret: two pixels at the cursor, none while the blink hides it.
    int caretX = TextWidth(start, cursor);
    int otherX = HasSelection() ? TextWidth(start, highlight) : caretX + 2;
    if (!caretShown) {
        caretX += 2;
    }
    int limit = std::max(width - 2 * kTextInset, 0);
    caretX = std::clamp(caretX, 0, limit);
    otherX = std::clamp(otherX, 0, limit);
    Rect marked(std::min(caretX, otherX) + kTextInset, top, std::abs(otherX - caretX), fontHeight);
    Graphics markPass(*g);
    markPass.SetFont(font.get());
    markPass.IntersectClip(marked.x, marked.y, marked.width, marked.height);
    if (hasFocus || alwaysActive) {
        markPass.SetColor(GetColorRef(ColorHilite));
        markPass.FillRect(marked.x, marked.y, marked.width, marked.height);
        markPass.SetColor(GetColorRef(ColorHiliteText));
    } else {
        markPass.SetColor(GetColorRef(ColorText));
    }
    markPass.DrawString(visible, kTextInset, baseline);

    g->SetColor(GetColorRef(ColorOutline));
    g->DrawRect(0, 0, width - 1, height - 1);
}

} // namespace Tolm
