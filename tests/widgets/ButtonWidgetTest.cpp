// The push button: what its listener hears, the hover fade, and its looks with and without images.
#include "widgets/ButtonWidget.h"

#include "RecordingFont.h"
#include "WidgetProbe.h"
#include "graphics/MemoryImage.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

using namespace Tolm;

namespace {

constexpr uint32_t kBackground = 0xFF102030;

class RecordingListener : public ButtonListener
{
public:
    explicit RecordingListener(Trace& trace) : trace(trace) {}

    void ButtonPressed(int id, int clickCount) override
    {
        trace.push_back("pressed " + std::to_string(id) + " c" + std::to_string(clickCount));
    }
    void ButtonClicked(int id) override { trace.push_back("clicked " + std::to_string(id)); }
    void ButtonHeld(int id) override { trace.push_back("held " + std::to_string(id)); }
    void ButtonMouseEnter(int id) override { trace.push_back("enter " + std::to_string(id)); }
    void ButtonMouseLeave(int id) override { trace.push_back("leave " + std::to_string(id)); }
    void ButtonMouseMove(int id, int x, int y) override
    {
        trace.push_back("move " + std::to_string(id) + " " + std::to_string(x) + "," + std::to_string(y));
    }

    Trace& trace;
};

class ButtonTest : public testing::Test
{
protected:
    ButtonTest()
    {
        manager.SetMouseMapping(Rect(0, 0, 200, 100), Rect(0, 0, 200, 100));
        button.Resize(10, 10, 20, 10);
        manager.AddWidget(&button);
    }

    // Draws the button alone on an opaque background and returns the picture.
    MemoryImage& Picture()
    {
        picture.Create(20, 10);
        std::fill_n(picture.GetBits(), 20 * 10, kBackground);
        picture.NoteBitsChanged();
        Graphics g(&picture);
        button.Draw(&g);
        return picture;
    }
    uint32_t At(int x, int y) { return picture.GetBits()[y * 20 + x]; }

    WidgetManager manager{nullptr};
    Trace trace;
    RecordingListener listener{trace};
    ButtonWidget button{7, &listener};
    MemoryImage picture;
};

} // namespace

TEST_F(ButtonTest, AnyMouseButtonPressesAndAnyReleaseOverTheButtonClicks)
{
    struct Case
    {
        const char* name;
        int code;
        int releaseCode;
        Trace heard;
    };
    const Case cases[] = {
        {"left", 1, 1, {"pressed 7 c1", "clicked 7"}},
        {"right", -1, -1, {"pressed 7 c1", "clicked 7"}},
        {"middle", 3, 3, {"pressed 7 c1", "clicked 7"}},
        {"double click", 2, 1, {"pressed 7 c2", "clicked 7"}},
    };
    manager.MouseMove(15, 15);
    EXPECT_EQ(Take(trace), (Trace{"enter 7", "move 7 5,5"}));
    for (const Case& c : cases) {
        manager.MouseDown(15, 15, c.code);
        manager.MouseUp(15, 15, c.releaseCode);
        EXPECT_EQ(Take(trace), c.heard) << c.name;
    }
}

TEST_F(ButtonTest, ReleaseAfterDraggingOffClicksOnlyWhenDraggedBackOn)
{
    manager.MouseDown(15, 15, 1);
    manager.MouseMove(100, 50);
    manager.MouseUp(100, 50, 1);
    EXPECT_EQ(Take(trace), (Trace{"enter 7", "move 7 5,5", "pressed 7 c1", "leave 7"}));
    manager.MouseDown(15, 15, 1);
    manager.MouseMove(100, 50);
    manager.MouseMove(16, 15);
    manager.MouseUp(16, 15, 1);
    EXPECT_EQ(Take(trace), (Trace{"enter 7", "move 7 5,5", "pressed 7 c1", "leave 7", "enter 7", "clicked 7"}));
}

TEST_F(ButtonTest, ReleaseWhileTheApplicationIsInTheBackgroundClicksNothing)
{
    manager.MouseDown(15, 15, 1);
    manager.LostAppFocus();
    manager.MouseUp(15, 15, 1);
    EXPECT_EQ(Take(trace), (Trace{"enter 7", "move 7 5,5", "pressed 7 c1"}));
}

TEST_F(ButtonTest, HeldIsReportedEveryUpdateWhileDownAndOver)
{
    manager.MouseDown(15, 15, 1);
    Take(trace);
    manager.UpdateFrame();
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"held 7", "held 7"}));
    manager.MouseMove(100, 50);
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), Trace{"leave 7"});
    manager.MouseUp(100, 50, 1);
}

TEST_F(ButtonTest, HoverHighlightFadesInAndOutAtItsSpeeds)
{
    button.overAlphaFadeInSpeed = 0.25;
    button.overAlphaFadeOutSpeed = 0.25;
    manager.MouseMove(15, 15);
    std::vector<double> seen;
    for (int i = 0; i < 5; ++i) {
        manager.UpdateFrame();
        seen.push_back(button.overAlpha);
    }
    EXPECT_EQ(seen, (std::vector<double>{0.25, 0.5, 0.75, 1.0, 1.0}));
    manager.MouseMove(100, 50);
    EXPECT_EQ(button.overAlpha, 1.0);
    seen.clear();
    for (int i = 0; i < 5; ++i) {
        manager.UpdateFrame();
        seen.push_back(button.overAlpha);
    }
    EXPECT_EQ(seen, (std::vector<double>{0.75, 0.5, 0.25, 0.0, 0.0}));
}

TEST_F(ButtonTest, WithoutFadeOutSpeedTheHighlightGoesAtOnceAndFromFullOnLeavingWithOne)
{
    button.overAlpha = 0.6;
    manager.MouseMove(15, 15);
    EXPECT_EQ(button.overAlpha, 0.0) << "no fade-in speed: entering drops what was left";
    button.overAlpha = 0.6;
    manager.MouseMove(100, 50);
    EXPECT_EQ(button.overAlpha, 0.0);
    button.overAlphaFadeOutSpeed = 0.5;
    manager.MouseMove(15, 15);
    manager.MouseMove(100, 50);
    EXPECT_EQ(button.overAlpha, 1.0);
}

TEST_F(ButtonTest, FrameIsLightTopLeftAndDarkBottomRightAndSwapsWhilePressed)
{
    const uint32_t face = 0xFFD4D4D4;
    const uint32_t white = 0xFFFFFFFF;
    const uint32_t black = 0xFF000000;
    const uint32_t shadow = 0xFF848484;
    struct Case
    {
        int x;
        int y;
        uint32_t normal;
        uint32_t pressed;
    };
    // A 20 x 10 button: edges on rows 0 and 9 and columns 0 and 19, the inner shadow one pixel inside.
    const Case cases[] = {
        {0, 0, white, black},  {18, 0, white, black}, {19, 0, black, white}, {0, 8, white, black},
        {0, 9, black, white},  {19, 9, black, white}, {18, 9, black, white}, {1, 8, shadow, face},
        {18, 1, shadow, face}, {18, 8, shadow, face}, {1, 1, face, shadow},  {17, 1, face, shadow},
        {1, 7, face, shadow},  {10, 5, face, face},
    };
    Picture();
    std::vector<uint32_t> normal(picture.GetBits(), picture.GetBits() + 200);
    button.isDown = true;
    button.isOver = true;
    Picture();
    for (const Case& c : cases) {
        EXPECT_EQ(normal[size_t(c.y * 20 + c.x)], c.normal) << c.x << "," << c.y << " at rest";
        EXPECT_EQ(At(c.x, c.y), c.pressed) << c.x << "," << c.y << " pressed";
    }
}

TEST_F(ButtonTest, InvertedButtonShowsItsPressedLookAtRest)
{
    button.inverted = true;
    Picture();
    EXPECT_EQ(At(0, 0), 0xFF000000u);
    button.isDown = true;
    button.isOver = true;
    Picture();
    EXPECT_EQ(At(0, 0), 0xFFFFFFFFu);
}

TEST_F(ButtonTest, LabelIsPlacedByItsJustificationAndMovesOnePixelWhilePressed)
{
    std::vector<RecordingFont::Draw> draws;
    RecordingFont font(draws);
    button.SetFont(&font);
    button.label = "ab";
    button.SetColor(ButtonWidget::ColorLabelHilite, Color(0, 0, 255));
    struct Case
    {
        const char* name;
        int justify;
        bool down;
        int x;
        int y;
        uint32_t color;
    };
    // Label width 12 in a 20 x 10 button; y = (10 - 10 / 6 + 10 - 1) / 2 = 9.
    const Case cases[] = {
        {"centred", ButtonWidget::kCentered, false, 4, 9, 0xFF000000},
        {"right", ButtonWidget::kRight, false, 8, 9, 0xFF000000},
        {"left", ButtonWidget::kLeft, false, 0, 9, 0xFF000000},
        {"left for any other value", 5, false, 0, 9, 0xFF000000},
        {"pressed", ButtonWidget::kCentered, true, 5, 10, 0xFF0000FF},
    };
    for (const Case& c : cases) {
        button.labelJustify = c.justify;
        button.isDown = c.down;
        button.isOver = c.down;
        draws.clear();
        Picture();
        ASSERT_EQ(draws.size(), 1u) << c.name;
        EXPECT_EQ(draws[0].x, c.x) << c.name;
        EXPECT_EQ(draws[0].y, c.y) << c.name;
        EXPECT_EQ(draws[0].text, "ab") << c.name;
        EXPECT_EQ(draws[0].color, c.color) << c.name;
    }
}

TEST_F(ButtonTest, ButtonKeepsACopyOfTheFontItIsGiven)
{
    std::vector<RecordingFont::Draw> draws;
    auto font = std::make_unique<RecordingFont>(draws);
    button.SetFont(font.get());
    EXPECT_NE(button.font.get(), font.get());
    font.reset();
    button.label = "x";
    Picture();
    EXPECT_EQ(draws.size(), 1u);
}

TEST_F(ButtonTest, LabelWithoutAFontGetsTheDefaultSystemFont)
{
    Picture();
    EXPECT_EQ(button.font, nullptr) << "an empty label needs no font";
    button.label = "OK";
    Picture();
    EXPECT_NE(button.font, nullptr);
}

TEST_F(ButtonTest, EveryStateIsCutFromOneSheetByItsSourceRectangle)
{
    // Four 20 x 10 cells side by side, each its own grey level.
    MemoryImage sheet;
    sheet.Create(80, 10);
    for (int i = 0; i < 80 * 10; ++i) {
        uint32_t level = uint32_t(40 + 60 * ((i % 80) / 20));
        sheet.GetBits()[i] = 0xFF000000u | level << 16 | level << 8 | level;
    }
    sheet.NoteBitsChanged();
    button.buttonImage = &sheet;
    button.normalRect = Rect(0, 0, 20, 10);
    button.overRect = Rect(20, 0, 20, 10);
    button.downRect = Rect(40, 0, 20, 10);
    button.disabledRect = Rect(60, 0, 20, 10);
    // The level drawn at the middle of the button, to the nearest cell.
    auto cell = [&] { return (int((At(10, 5) >> 8) & 0xFF) - 40 + 30) / 60; };
    struct Case
    {
        const char* name;
        bool over;
        bool down;
        bool disabled;
        int cell;
    };
    const Case cases[] = {
        {"normal", false, false, false, 0},  {"hovered", true, false, false, 1},
        {"pressed", true, true, false, 2},   {"held but dragged off", false, true, false, 1},
        {"disabled", false, false, true, 3},
    };
    for (const Case& c : cases) {
        button.isOver = c.over;
        button.isDown = c.down;
        button.disabled = c.disabled;
        Picture();
        EXPECT_EQ(cell(), c.cell) << c.name;
    }
}

TEST_F(ButtonTest, DrawsNothingWhenToldNot)
{
    button.noDraw = true;
    Picture();
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(picture.GetBits()[i], kBackground);
    }
}
