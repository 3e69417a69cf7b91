// The framework dialog: its buttons by mode, the layout of the button row, the preferred height, the
// drawing of the box, the text and the dialog buttons, dragging by the body, and the result of a click.
#include "widgets/Dialog.h"

#include "RecordingFont.h"
#include "ShowsColor.h"
#include "graphics/MemoryImage.h"
#include "support/SteppedApp.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

class ClickLoggingApp : public SteppedApp
{
public:
    void ButtonPressed(int id) override { log.push_back("pressed " + std::to_string(id)); }
    void ButtonClicked(int id) override { log.push_back("clicked " + std::to_string(id)); }
    std::vector<std::string> log;
};

// A sheet of button states side by side, each a solid colour: normal, over, down, disabled.
void FillSheet(MemoryImage& sheet, int cellWidth, int cellHeight, const std::vector<uint32_t>& colors)
{
    sheet.Create(cellWidth * int(colors.size()), cellHeight);
    uint32_t* bits = sheet.GetBits();
    for (int y = 0; y < cellHeight; ++y) {
        for (int x = 0; x < sheet.width; ++x) {
            bits[y * sheet.width + x] = colors[size_t(x / cellWidth)];
        }
    }
    sheet.NoteBitsChanged();
}

// Records where the text lands on the screen, the context's translation included.
struct PlacingFont : RecordingFont
{
    using RecordingFont::RecordingFont;
    void DrawString(Graphics& g, int x, int y, const std::string& text, const Color& color, const Rect& clip) override
    {
        RecordingFont::DrawString(g, x + int(g.transX), y + int(g.transY), text, color, clip);
    }
    std::unique_ptr<Font> Clone() override { return std::make_unique<PlacingFont>(*this); }
};

class DialogTest : public testing::Test
{
protected:
    std::unique_ptr<Dialog> Make(int mode, const std::string& header = "Header", const std::string& lines = "",
                                 const std::string& footer = "", Image* buttonImage = nullptr)
    {
        auto dialog = std::make_unique<Dialog>(nullptr, buttonImage, 9, false, header, lines, footer, mode);
        dialog->SetHeaderFont(&font);
        dialog->SetLinesFont(&font);
        dialog->SetButtonFont(&font);
        return dialog;
    }

    std::vector<RecordingFont::Draw> draws;
    PlacingFont font{draws};
    ClickLoggingApp app;
};

struct Layout
{
    const char* name;
    int mode;
    Insets background;
    Insets content;
    int sideMargin;
    Rect first;
    Rect second;
};

} // namespace

TEST_F(DialogTest, ButtonModesMakeTheirButtons)
{
    struct Mode
    {
        int mode;
        const char* first;
        const char* second;
    };
    for (const Mode& mode : {Mode{1, "YES", "NO"}, Mode{2, "OK", "CANCEL"}, Mode{3, "Close", nullptr},
                             Mode{0, nullptr, nullptr}, Mode{7, nullptr, nullptr}}) {
        auto dialog = Make(mode.mode, "", "", "Close");
        ASSERT_EQ(dialog->firstButton != nullptr, mode.first != nullptr) << mode.mode;
        ASSERT_EQ(dialog->secondButton != nullptr, mode.second != nullptr) << mode.mode;
        if (mode.first) {
            EXPECT_EQ(dialog->firstButton->label, mode.first);
            EXPECT_EQ(dialog->firstButton->id, 1000);
            EXPECT_TRUE(dialog->HasWidget(dialog->firstButton.get()));
        }
        if (mode.second) {
            EXPECT_EQ(dialog->secondButton->label, mode.second);
            EXPECT_EQ(dialog->secondButton->id, 1001);
        }
    }
}

TEST_F(DialogTest, ButtonRowIsLaidOutAlongTheBottom)
{
    // A 400 x 200 dialog. Two buttons share the content width less the spacing of 8; one button takes
    // all of it; the row's top lies the bottom insets and the button height above the bottom edge.
    const Layout layouts[] = {
        {"two buttons, defaults", 2, {}, {24, 24, 24, 24}, 0, {24, 152, 172, 24}, {204, 152, 172, 24}},
        {"two buttons with side margins", 1, {}, {24, 24, 24, 24}, 10, {34, 152, 162, 24}, {204, 152, 162, 24}},
        {"two buttons inside background insets",
         2,
         {5, 6, 7, 8},
         {24, 24, 24, 24},
         0,
         {29, 144, 166, 24},
         {203, 144, 166, 24}},
        {"one button, full width", 3, {}, {24, 24, 24, 24}, 0, {24, 152, 352, 24}, {}},
        {"no content insets", 3, {}, {0, 0, 0, 0}, 0, {0, 176, 400, 24}, {}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        auto dialog = Make(layout.mode, "", "", "Close");
        dialog->backgroundInsets = layout.background;
        dialog->contentInsets = layout.content;
        dialog->buttonSideMargin = layout.sideMargin;
        dialog->Resize(50, 60, 400, 200);
        EXPECT_EQ(dialog->firstButton->GetRect(), layout.first);
        if (dialog->secondButton) {
            EXPECT_EQ(dialog->secondButton->GetRect(), layout.second);
        }
    }
    MemoryImage buttonImage;
    buttonImage.Create(90, 40);
    auto tall = Make(2, "", "", "", &buttonImage);
    tall->Resize(0, 0, 400, 200);
    EXPECT_EQ(tall->buttonHeight, 40) << "the button image's height";
    EXPECT_EQ(tall->firstButton->GetRect(), Rect(24, 136, 172, 40));
}

TEST_F(DialogTest, PreferredHeightCountsOnlyWhatIsShown)
{
    // The recording font: height 14, ascent 10, no ascent padding, line spacing 14; 6 pixels a character.
    // The content of a 400 dialog is 400 - 48 - 4 = 348 pixels (58 characters) wide.
    const std::string twoLines = std::string(40, 'a') + " " + std::string(40, 'b');
    struct Case
    {
        const char* name;
        int mode;
        const char* header;
        std::string lines;
        const char* footer;
        int height;
    };
    const Case cases[] = {
        {"header and two buttons", 1, "Header", "", "", 48 + 14 + 8 + 24 + 8},
        {"nothing at all", 0, "", "", "", 48},
        {"header, one line and a footer", 0, "Header", "line", "Footer", 48 + 14 + 10 + 14 + 8 + 14},
        {"lines that wrap", 0, "", twoLines, "", 48 + 28},
        {"the footer of mode 3 is its button", 3, "Header", "", "Footer", 48 + 14 + 8 + 24 + 8},
        {"a button alone", 2, "", "", "", 48 + 24 + 8},
    };
    for (const Case& c : cases) {
        auto dialog = Make(c.mode, c.header, c.lines, c.footer);
        EXPECT_EQ(dialog->GetPreferredHeight(400), c.height) << c.name;
    }
    auto spaced = Make(0, "", twoLines, "");
    spaced->extraLineSpacing = 3;
    EXPECT_EQ(spaced->GetPreferredHeight(400), 48 + 31);
}

TEST_F(DialogTest, PlainBoxWithShadowTextBlocksAndNoFooterLineInMode3)
{
    auto dialog = Make(3, "Head", "Body", "Foot");
    dialog->Resize(0, 0, 100, 120);
    MemoryImage screen;
    screen.Create(100, 120);
    Graphics g(&screen);
    draws.clear();
    dialog->Draw(&g);
    auto pixel = [&](int x, int y) { return screen.GetBits()[y * screen.width + x]; };
    EXPECT_EQ(pixel(12, 12), 0xFFFFFFFFu) << "outline";
    EXPECT_EQ(pixel(87, 107), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(13, 13), 0xFF505050u) << "fill";
    EXPECT_EQ(pixel(11, 11), 0u);
    EXPECT_EQ(pixel(95, 30) >> 24, 128u) << "a translucent shadow on the right";
    EXPECT_EQ(pixel(30, 115) >> 24, 128u) << "and at the bottom";
    EXPECT_EQ(pixel(95, 20), 0u) << "the shadow starts 24 down";
    // Header at the content inset plus its ascent, centred in 100; the lines 10 below the header's
    // cell, centred (justification 0) in 100 - 48 - 4 from x 26; no footer line in mode 3.
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].text, "Head");
    EXPECT_EQ(draws[0].x, (100 - 24) / 2);
    EXPECT_EQ(draws[0].y, 24 + 10);
    EXPECT_EQ(draws[0].color, 0xFFFFFFFFu);
    EXPECT_EQ(draws[1].text, "Body");
    EXPECT_EQ(draws[1].x, 26 + (48 - 24) / 2);
    EXPECT_EQ(draws[1].y, 24 + 14 + 10 + 10);
    EXPECT_EQ(draws[1].color, 0xFFFFFF00u);

    auto withFooter = Make(0, "", "", "Foot");
    withFooter->Resize(0, 0, 100, 120);
    draws.clear();
    withFooter->Draw(&g);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].text, "Foot");
    EXPECT_EQ(draws[0].y, 24 + 14 + 8);
}

TEST_F(DialogTest, ButtonLabelsAreWhiteOnAButtonImageAndBlackOnFramedButtons)
{
    MemoryImage buttonImage;
    buttonImage.Create(30, 20);
    auto framed = Make(2);
    auto imaged = Make(2, "Header", "", "", &buttonImage);
    auto framedAgain = Make(1);
    for (auto* dialog : {framed.get(), framedAgain.get()}) {
        EXPECT_EQ(dialog->firstButton->GetColorRef(ButtonWidget::ColorLabel).ToPacked(), 0xFF000000u);
        EXPECT_EQ(dialog->secondButton->GetColorRef(ButtonWidget::ColorLabelHilite).ToPacked(), 0xFF000000u);
    }
    EXPECT_EQ(imaged->firstButton->GetColorRef(ButtonWidget::ColorLabel).ToPacked(), 0xFFFFFFFFu);
    EXPECT_EQ(imaged->secondButton->GetColorRef(ButtonWidget::ColorLabelHilite).ToPacked(), 0xFFFFFFFFu);
    imaged->SetColor(Dialog::ColorButtonTextHilite, Color(1, 2, 3));
    EXPECT_EQ(imaged->firstButton->GetColorRef(ButtonWidget::ColorLabelHilite).ToPacked(), 0xFF010203u);
}

TEST_F(DialogTest, ShortenedColourListsAreReadSafely)
{
    auto dialog = Make(2, "Head", "Body", "Foot");
    dialog->Resize(0, 0, 200, 150);
    dialog->colors.resize(1);
    dialog->firstButton->colors.clear();
    MemoryImage screen;
    screen.Create(200, 150);
    Graphics g(&screen);
    draws.clear();
    dialog->Draw(&g);
    dialog->firstButton->Draw(&g);
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[1].color, 0xFF000000u) << "a colour past the list is opaque black";
}

TEST_F(DialogTest, ClickingNoStoresTheResultAndTellsTheApplication)
{
    auto dialog = Make(1);
    dialog->Resize(100, 100, 400, 200);
    app.widgetManager->AddWidget(dialog.get());
    EXPECT_EQ(dialog->result, Dialog::kNoResult);
    // "NO" spans x 304..475 and y 252..275 on the screen.
    app.widgetManager->MouseDown(310, 260, 1);
    app.widgetManager->MouseUp(310, 260, 1);
    EXPECT_EQ(dialog->result, 1001);
    EXPECT_EQ(app.log, (std::vector<std::string>{"pressed 3009", "clicked 3009"}));
    EXPECT_FALSE(dialog->dragging) << "a press on a button never drags";
    app.widgetManager->RemoveWidget(dialog.get());
}

TEST_F(DialogTest, DraggingKeepsTheDialogOnScreenAndTheGrabPointInside)
{
    auto dialog = Make(0);
    dialog->Resize(100, 100, 200, 100);
    WidgetManager& manager = *app.widgetManager;
    manager.AddWidget(dialog.get());
    struct Drag
    {
        const char* name;
        Point press;
        Point to;
        Point position;
        Point anchor;
    };
    // The screen is 800 x 600; the press is 50, 10 into the dialog.
    const Drag drags[] = {
        {"within the screen", {150, 110}, {170, 140}, {120, 130}, {50, 10}},
        {"far past the left", {150, 110}, {-300, 110}, {-8, 100}, {8, 10}},
        {"far past the right", {150, 110}, {1200, 110}, {608, 100}, {191, 10}},
        {"past the top", {150, 110}, {150, -50}, {100, -8}, {50, 8}},
        {"past the bottom", {150, 110}, {150, 900}, {100, 508}, {50, 91}},
    };
    for (const Drag& drag : drags) {
        SCOPED_TRACE(drag.name);
        dialog->Move(100, 100);
        manager.MouseMove(drag.press.x, drag.press.y);
        manager.MouseDown(drag.press.x, drag.press.y, 1);
        EXPECT_EQ(app.cursorNumber, 2);
        manager.MouseMove(drag.to.x, drag.to.y);
        EXPECT_EQ(dialog->x, drag.position.x);
        EXPECT_EQ(dialog->y, drag.position.y);
        EXPECT_EQ(dialog->dragAnchorX, drag.anchor.x);
        EXPECT_EQ(dialog->dragAnchorY, drag.anchor.y);
        manager.MouseUp(drag.to.x, drag.to.y, 1);
        EXPECT_FALSE(dialog->dragging);
        EXPECT_EQ(app.cursorNumber, 0);
    }
    dialog->Move(100, 100);
    manager.MouseDown(150, 110, 2);
    EXPECT_FALSE(dialog->dragging) << "a double click does not drag";
    manager.MouseUp(150, 110, 1);
    manager.MouseDown(150, 110, -1);
    EXPECT_TRUE(dialog->dragging) << "a right press does";
    manager.MouseUp(150, 110, -1);
    manager.RemoveWidget(dialog.get());
}

TEST_F(DialogTest, DialogButtonDrawsItsComponentImage)
{
    // A sheet of four 30 x 12 states: red normal, green over, blue down, grey disabled.
    MemoryImage sheet;
    FillSheet(sheet, 30, 12, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080});
    MemoryImage screen;
    screen.Create(40, 20);
    Graphics g(&screen);
    auto pixel = [&](int x, int y) { return screen.GetBits()[y * screen.width + x]; };
    DialogButton button(&sheet, 1000, nullptr);
    button.SetFont(&font);
    button.label = "OK";
    button.Resize(0, 0, 30, 12);
    button.normalRect = Rect(0, 0, 30, 12);
    button.overRect = Rect(30, 0, 30, 12);
    button.downRect = Rect(60, 0, 30, 12);
    button.disabledRect = Rect(90, 0, 30, 12);
    EXPECT_TRUE(button.wantsHandCursor);

    struct State
    {
        const char* name;
        bool over;
        bool down;
        bool disabled;
        uint32_t box;
        int labelX;
        int labelY;
    };
    // The label: x = (30 - 12) / 2 = 9, y = (12 - 10 / 6 - 0 + 10 - 1) / 2 = 10; pressed, it moves by
    // (1, 1) while a state box of the sheet stays in place.
    const State states[] = {
        {"normal", false, false, false, 0xFFFF0000, 9, 10},
        {"hovered", true, false, false, 0xFF00FF00, 9, 10},
        {"pressed", true, true, false, 0xFF0000FF, 10, 11},
        {"disabled", false, false, true, 0xFF808080, 9, 10},
    };
    for (const State& state : states) {
        SCOPED_TRACE(state.name);
        screen.Clear();
        draws.clear();
        button.isOver = state.over;
        button.isDown = state.down;
        button.disabled = state.disabled;
        button.Draw(&g);
        EXPECT_TRUE(Shows(pixel(0, 0), state.box));
        EXPECT_EQ(pixel(30, 0), 0u);
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].x, state.labelX);
        EXPECT_EQ(draws[0].y, state.labelY);
    }
    EXPECT_EQ(g.transX, 0.0f) << "the press offset is taken back";

    // Without source rectangles the whole image is the box, and it moves with the label.
    MemoryImage whole;
    FillSheet(whole, 30, 12, {0xFF0000FF});
    DialogButton plain(&whole, 1000, nullptr);
    plain.SetFont(&font);
    plain.Resize(0, 0, 30, 12);
    plain.isOver = true;
    plain.isDown = true;
    screen.Clear();
    plain.Draw(&g);
    EXPECT_EQ(pixel(0, 0), 0u);
    EXPECT_TRUE(Shows(pixel(1, 1), 0xFF0000FF));
    EXPECT_TRUE(Shows(pixel(30, 12), 0xFF0000FF));
}
