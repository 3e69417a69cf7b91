// The edit widget driven as the window delivers keys: a key press, then the character it types (Ctrl with
// a letter types the control codes 3, 22, 24 and 26), then the release. Each script ends in a text, a
// cursor, a selection end and what the clipboard holds, worked out by hand from a font of six pixels a
// character.
#include "widgets/EditWidget.h"

#include "RecordingFont.h"
#include "graphics/MemoryImage.h"
#include "platform/Clipboard.h"
#include "support/SteppedApp.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

constexpr int kShift = 16;
constexpr int kCtrl = 17;

// Refuses what its filters name and logs what it hears.
struct FilteringListener : EditListener
{
    void TextSubmitted(int id, const std::string& text) override
    {
        submitted.push_back(std::to_string(id) + " " + text);
    }
    bool AllowKey(int, int keyCode) override { return keyCode != refusedKey; }
    bool AllowChar(int, char ch) override { return refusedChars.find(ch) == std::string::npos; }
    bool AllowText(int, const std::string& text) override { return text.find(refusedInText) == std::string::npos; }

    int refusedKey = -1;
    std::string refusedChars;
    std::string refusedInText = "\x01";
    std::vector<std::string> submitted;
};

class EditWidgetTest : public testing::Test
{
protected:
    EditWidgetTest()
    {
        edit.SetFont(&font);
        edit.Resize(10, 20, 200, 20);
        app.widgetManager->AddWidget(&edit);
        app.widgetManager->SetFocus(&edit);
        Platform::SetClipboardText("");
    }
    ~EditWidgetTest() override
    {
        app.widgetManager->RemoveWidget(&edit);
        Platform::SetClipboardText("");
    }

    void Key(int keyCode, int typed = -1)
    {
        WidgetManager& manager = *app.widgetManager;
        manager.KeyDown(keyCode);
        if (typed >= 0) {
            manager.KeyChar(char(typed));
        }
        manager.KeyUp(keyCode);
    }
    void Held(int modifier, int keyCode, int typed = -1)
    {
        app.widgetManager->KeyDown(modifier);
        Key(keyCode, typed);
        app.widgetManager->KeyUp(modifier);
    }

    // A script of steps separated by spaces: "t:text" types the text (each letter's key with its
    // character), a key name ("Left", "Back", "Del", "Home", "End", "Enter") presses it, "S+" and "C+"
    // hold Shift or Ctrl for the key, "C+c" etc. are the clipboard and undo chords, and a step may end in
    // "*N" to repeat it.
    void Run(const std::string& script)
    {
        std::istringstream steps(script);
        std::string step;
        while (steps >> step) {
            int times = 1;
            if (size_t star = step.rfind('*'); star != std::string::npos && star > 0) {
                times = std::stoi(step.substr(star + 1));
                step.resize(star);
            }
            for (int i = 0; i < times; ++i) {
                RunStep(step);
            }
        }
    }
    void RunStep(const std::string& step)
    {
        if (step.rfind("t:", 0) == 0) {
            for (char c : step.substr(2)) {
                bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
                char typed = c == '_' ? ' ' : c;
                Key(letter ? std::toupper(c) : (unsigned char)typed, (unsigned char)typed);
            }
            return;
        }
        int modifier = 0;
        std::string key = step;
        if (step.size() > 2 && step[1] == '+') {
            modifier = step[0] == 'S' ? kShift : kCtrl;
            key = step.substr(2);
        }
        static const std::vector<std::pair<std::string, std::pair<int, int>>> kKeys = {
            {"Left", {37, -1}}, {"Right", {39, -1}}, {"Home", {36, -1}},  {"End", {35, -1}},
            {"Back", {8, 8}},   {"Del", {46, -1}},   {"Enter", {13, 13}}, {"c", {'C', 3}},
            {"x", {'X', 24}},   {"v", {'V', 22}},    {"z", {'Z', 26}},
        };
        for (const auto& [name, codes] : kKeys) {
            if (name == key) {
                if (modifier) {
                    Held(modifier, codes.first, codes.second);
                } else {
                    Key(codes.first, codes.second);
                }
                return;
            }
        }
        ADD_FAILURE() << "unknown step " << step;
    }

    std::vector<RecordingFont::Draw> draws;
    RecordingFont font{draws};
    SteppedApp app;
    FilteringListener listener;
    EditWidget edit{4, &listener};
};

struct Script
{
    const char* name;
    const char* start;
    const char* steps;
    const char* clipboardBefore;
    const char* text;
    int cursor;
    int highlight;
    const char* clipboard;
};

} // namespace

TEST_F(EditWidgetTest, KeyScriptsGiveTextCursorSelectionAndClipboard)
{
    // Spaces are typed as '_' in the scripts.
    const Script scripts[] = {
        {"typing replaces the whole text SetText selected", "old", "t:new", "", "new", 3, -1, ""},
        {"Shift+Left three times from the end selects llo", "", "t:hello S+Left*3", "", "hello", 2, 5, ""},
        {"Ctrl+C copies exactly the selection and keeps it", "", "t:hello S+Left*3 C+c", "", "hello", 2, 5, "llo"},
        {"Ctrl+X removes it, the cursor after he", "", "t:hello S+Left*3 C+x", "", "he", 2, -1, "llo"},
        {"Ctrl+C without a selection copies nothing", "", "t:hello C+c", "kept", "hello", 5, -1, "kept"},
        {"a paste takes only the first line", "", "t:a C+v", "one\r\ntwo", "aone", 4, -1, "one\r\ntwo"},
        {"a paste replaces the selection", "abcdef", "Home S+Right*2 C+v", "XY", "XYcdef", 2, -1, "XY"},
        {"an empty clipboard pastes nothing", "", "t:ab C+v", "", "ab", 2, -1, ""},
        {"five backspaces undo in one step", "abcdefg", "End Back*5 C+z", "", "abcdefg", 7, -1, ""},
        {"a second undo restores the shortened text", "abcdefg", "End Back*5 C+z C+z", "", "ab", 2, -1, ""},
        {"a run of typing is one undo step", "", "t:abc C+z", "", "", 0, -1, ""},
        {"typing after moving is a step of its own", "", "t:abc Left t:X C+z", "", "abc", 2, -1, ""},
        {"a cut undoes with the selection back", "", "t:hello S+Left*3 C+x C+z", "", "hello", 2, 5, "llo"},
        {"Delete removes at the cursor", "", "t:abcd Home Del*2", "", "cd", 0, -1, ""},
        {"Backspace at the start removes nothing", "", "t:ab Home Back", "", "ab", 0, -1, ""},
        {"Left with a selection goes to its start", "abcdef", "Left", "", "abcdef", 0, -1, ""},
        {"Right with a selection goes to its end", "abcdef", "Home S+Right*2 Right", "", "abcdef", 2, -1, ""},
        {"Shift+Home selects to the start", "", "t:abc S+Home", "", "abc", 0, 3, ""},
        {"Ctrl+Left from inside a word goes to its start", "", "t:hello_world Left*3 C+Left", "", "hello world", 6, -1,
         ""},
        {"Ctrl+Left from a word's start to the previous word", "", "t:hello_world Left*5 C+Left", "", "hello world", 0,
         -1, ""},
        {"Ctrl+Right to the start of the next word", "", "t:hello_world Home Right*2 C+Right", "", "hello world", 6, -1,
         ""},
        {"Ctrl+Right in the last word goes to the end", "", "t:hello_world Left*3 C+Right", "", "hello world", 11, -1,
         ""},
        {"Ctrl+Right and Ctrl+Left on an empty text", "", "C+Right C+Left", "", "", 0, -1, ""},
        {"Home and End", "", "t:abc Home t:X End t:Y", "", "XabcY", 5, -1, ""},
        {"Enter leaves the text", "", "t:abc Enter", "", "abc", 3, -1, ""},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        edit.SetText(script.start);
        edit.undoText.clear();
        edit.lastEditPosition = 0;
        Platform::SetClipboardText(script.clipboardBefore);
        Run(script.steps);
        EXPECT_EQ(edit.text, script.text);
        EXPECT_EQ(edit.cursor, script.cursor);
        EXPECT_EQ(edit.highlight, script.highlight);
        EXPECT_EQ(Platform::GetClipboardText(), script.clipboard);
    }
}

TEST_F(EditWidgetTest, ListenerFiltersKeysCharactersAndTexts)
{
    listener.refusedChars = "q";
    listener.refusedInText = "xx";
    listener.refusedKey = 46;
    Platform::SetClipboardText("aqb");
    Run("t:qwq C+v t:x Home Del");
    EXPECT_EQ(edit.text, "wabx") << "q refused typed and pasted, Delete refused";
    Run("End t:x");
    EXPECT_EQ(edit.text, "wabx") << "a text with xx is refused";
    EXPECT_EQ(edit.cursor, 4) << "and the cursor goes back with it";
    Run("Enter");
    EXPECT_EQ(listener.submitted, std::vector<std::string>{"4 wabx"});
}

TEST_F(EditWidgetTest, LimitsCutTheTextFromTheEnd)
{
    edit.maxChars = 5;
    Run("t:abcdef");
    EXPECT_EQ(edit.text, "abcde");
    EXPECT_EQ(edit.cursor, 5);

    edit.SetText("", true);
    edit.maxChars = -1;
    edit.maxPixels = 30;
    Run("t:abcdefgh");
    EXPECT_EQ(edit.text, "abcde") << "five characters of six pixels fit in 30";

    std::vector<RecordingFont::Draw> wideDraws;
    RecordingFont wide(wideDraws);
    edit.SetText("", true);
    edit.maxPixels = -1;
    edit.AddWidthCheckFont(&wide, 18);
    Run("t:abcdefgh");
    EXPECT_EQ(edit.text, "abc") << "the width-check font with its own limit";

    // An undo brings back a longer text with its selection, and the limit cuts both.
    edit.undoText = "abcdefgh";
    edit.undoCursor = 0;
    edit.undoHighlight = 8;
    Run("C+z");
    EXPECT_EQ(edit.text, "abc");
    EXPECT_EQ(edit.cursor, 0);
    EXPECT_EQ(edit.highlight, 3) << "no selection end is left past the text";
}

TEST_F(EditWidgetTest, ExtendedCharactersOnlyWithTheSwitch)
{
    edit.ProcessKey(0, char(200));
    EXPECT_EQ(edit.text, "");
    app.allowExtendedChars = true;
    edit.ProcessKey(0, char(200));
    EXPECT_EQ(edit.text, "\xC8");
    edit.ProcessKey(0, char(31));
    EXPECT_EQ(edit.text, "\xC8");
}

TEST_F(EditWidgetTest, PasswordFieldShowsAndCopiesItsCharacter)
{
    edit.passwordChar = '*';
    Run("t:abc S+Home C+c");
    EXPECT_EQ(edit.text, "abc");
    EXPECT_EQ(Platform::GetClipboardText(), "***");
    MemoryImage screen;
    screen.Create(220, 60);
    Graphics g(&screen);
    draws.clear();
    edit.Draw(&g);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].text, "***");
}

TEST_F(EditWidgetTest, MouseSetsTheCursorSelectsByDragAndWordsByDoubleClick)
{
    edit.SetText("hello world", true);
    WidgetManager& manager = *app.widgetManager;
    // Character i spans x 4 + 6i to 10 + 6i in the field; a point from 6i + 8 on lies after it.
    EXPECT_EQ(edit.CharIndexAt(7, 0), 0);
    EXPECT_EQ(edit.CharIndexAt(8, 0), 1);
    EXPECT_EQ(edit.CharIndexAt(500, 0), 11);
    manager.MouseDown(10 + 20, 25, 1);
    EXPECT_EQ(edit.cursor, 3);
    EXPECT_EQ(edit.highlight, -1);
    manager.MouseMove(10 + 45, 25);
    manager.MouseUp(10 + 45, 25, 1);
    EXPECT_EQ(edit.cursor, 7);
    EXPECT_EQ(edit.highlight, 3) << "dragging selects from the press";

    // A top-level field gets its own point on the release after a double click, and selects that word.
    manager.MouseDown(10 + 50, 25, 1);
    manager.MouseUp(10 + 50, 25, 1);
    manager.MouseDown(10 + 50, 25, 2);
    EXPECT_EQ(edit.highlight, 6);
    EXPECT_EQ(edit.cursor, 11);
    manager.MouseUp(10 + 50, 25, 1);
    EXPECT_EQ(edit.highlight, 6);
    EXPECT_EQ(edit.cursor, 11);
    EXPECT_FALSE(edit.doubleClicked);

    // On a character that is not part of a word, that character alone.
    edit.cursor = 5;
    edit.SelectWord();
    EXPECT_EQ(edit.highlight, 5);
    EXPECT_EQ(edit.cursor, 6);
}

TEST_F(EditWidgetTest, NestedFieldTakesTheReleasePointAsTheManagerPassesIt)
{
    Widget panel;
    panel.Resize(30, 0, 400, 100);
    app.widgetManager->RemoveWidget(&edit);
    panel.AddWidget(&edit);
    app.widgetManager->AddWidget(&panel);
    edit.SetText("hello world", true);
    // The press lands on "hello" (x 20 in the field); the release gets the mouse less the field's own x
    // and y, which is 30 pixels further right in the field: in "world".
    WidgetManager& manager = *app.widgetManager;
    manager.MouseDown(30 + 10 + 20, 25, 1);
    manager.MouseUp(30 + 10 + 20, 25, 1);
    manager.MouseDown(30 + 10 + 20, 25, 2);
    EXPECT_EQ(edit.highlight, 0);
    manager.MouseUp(30 + 10 + 20, 25, 1);
    EXPECT_EQ(edit.highlight, 6);
    EXPECT_EQ(edit.cursor, 11);
    panel.RemoveWidget(&edit);
    app.widgetManager->RemoveWidget(&panel);
    app.widgetManager->AddWidget(&edit);
}

TEST_F(EditWidgetTest, LongTextScrollsAndACharacterAsWideAsTheFieldEndsTheScroll)
{
    edit.Resize(10, 20, 50, 20);
    Run("t:abcdefghijklmnop");
    // The text up to the cursor must stay narrower than 50 - 8 pixels: six characters.
    EXPECT_EQ(edit.leftPosition, 10);
    Run("Home");
    EXPECT_EQ(edit.leftPosition, 0);

    struct WideW : RecordingFont
    {
        using RecordingFont::RecordingFont;
        int StringWidth(const std::string& text) override
        {
            int w = 0;
            for (char c : text) {
                w += c == 'W' ? 45 : 6;
            }
            return w;
        }
        std::unique_ptr<Font> Clone() override { return std::make_unique<WideW>(*this); }
    };
    WideW wide(draws);
    edit.SetFont(&wide);
    edit.SetText("", true);
    Run("t:WWW");
    EXPECT_EQ(edit.text, "WWW");
    EXPECT_EQ(edit.leftPosition, 2) << "one W fills the field: the last one is shown";
    edit.SetText("WWWWWWWWWWWW", true);
    Run("Home Right");
    EXPECT_EQ(edit.leftPosition, 1) << "a big step stops at the cursor";
}

TEST_F(EditWidgetTest, CaretBlinksEvery41UpdatesWithTheFocusAndHidesWithoutIt)
{
    EXPECT_TRUE(edit.caretShown);
    app.Frames(40);
    EXPECT_TRUE(edit.caretShown);
    app.Frames(1);
    EXPECT_FALSE(edit.caretShown);
    app.Frames(41);
    EXPECT_TRUE(edit.caretShown);
    Run("t:a");
    app.Frames(40);
    EXPECT_TRUE(edit.caretShown) << "a key that moves the cursor restarts the blink";
    app.widgetManager->SetFocus(nullptr);
    EXPECT_FALSE(edit.caretShown);
}

TEST_F(EditWidgetTest, SelectionIsFilledAndItsTextDrawnInTheSelectedColour)
{
    edit.SetText("hello", true);
    edit.cursor = 2;
    edit.highlight = 5;
    MemoryImage screen;
    screen.Create(220, 60);
    Graphics g(&screen);
    g.Translate(10, 20);
    draws.clear();
    edit.Draw(&g);
    auto pixel = [&](int x, int y) { return screen.GetBits()[(20 + y) * screen.width + 10 + x]; };
    // Height 20 with a 14-high font: the text cell is rows 3 to 16, the baseline at 13; the selection
    // covers x 4 + 12 to 4 + 30.
    EXPECT_EQ(pixel(15, 8), 0xFFFFFFFFu) << "background";
    EXPECT_EQ(pixel(16, 3), 0xFF000000u) << "selection";
    EXPECT_EQ(pixel(33, 16), 0xFF000000u);
    EXPECT_EQ(pixel(34, 8), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(16, 2), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(0, 0), 0xFF000000u) << "outline";
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].x, 4);
    EXPECT_EQ(draws[0].y, 13) << "the baseline: (20 - 14) / 2 + 10";
    EXPECT_EQ(draws[0].color, 0xFF000000u);
    EXPECT_EQ(draws[1].color, 0xFFFFFFFFu) << "the selected text";
}
