// The game's checkbox, slider and name field on the framework's controls: their pictures and sizes, the
// checkbox's label, the slider's caption and its reports, and the field's upper case and length.
#include "ScreensFixture.h"
#include "gamewidgets/BaseCheckbox.h"
#include "gamewidgets/BaseSlider.h"
#include "gamewidgets/CustomEdit.h"
#include "graphics/Graphics.h"
#include "support/DrawLog.h"
#include "widgets/WidgetManager.h"

#include <utility>
#include <vector>

namespace {

struct Reports : Tolm::SliderListener, Tolm::CheckboxListener
{
    void SliderMoved(int id, double value) override { moved.emplace_back(id, value); }
    void CheckboxToggled(int id, bool on) override { toggled.emplace_back(id, on); }

    std::vector<std::pair<int, double>> moved;
    std::vector<std::pair<int, bool>> toggled;
};

class ControlsTest : public ScreensTest
{
protected:
    // A 240-pixel track with a 20-pixel thumb, at (100, 100) on the screen.
    BaseSlider& Slider()
    {
        Picture("UI_SLIDER", 240, 20);
        Picture("UI_SLIDER_THUMB", 20, 24);
        slider = std::make_unique<BaseSlider>(4, &reports);
        slider->Move(100, 100);
        app->widgetManager->AddWidget(slider.get());
        return *slider;
    }

    Reports reports;
    std::unique_ptr<BaseSlider> slider;
};

} // namespace

TEST_F(ControlsTest, CheckboxIsItsBoxWithTheLabelRightAlignedTenPixelsBefore)
{
    Tolm::MemoryImage* box = Picture("UI_CHECKBOX", 30, 30);
    Tolm::MemoryImage* ticked = Picture("UI_CHECKBOX_CHECKED", 30, 32);
    Font("FONT_WINDOW_TEXT", 10, 14, 18);
    BaseCheckbox checkbox(5, &reports);
    EXPECT_EQ(checkbox.GetRect(), Tolm::Rect(0, 0, 30, 32)) << "the checked picture's size";
    EXPECT_FALSE(checkbox.wantsHandCursor);
    EXPECT_FALSE(checkbox.clip);

    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    g.Translate(200, 100);
    checkbox.Draw(&g);
    ASSERT_EQ(log.draws.size(), 1u) << "no label, only the box";
    EXPECT_EQ(log.draws[0].source, box);

    checkbox.SetLabel("Full screen");
    EXPECT_EQ(checkbox.labelWidth, 110);
    checkbox.MouseDown(3, 3, 1);
    EXPECT_EQ(reports.toggled, (std::vector<std::pair<int, bool>>{{5, true}}));
    log.draws.clear();
    checkbox.Draw(&g);
    ASSERT_EQ(log.draws.size(), 2u);
    EXPECT_EQ(log.draws[0].source, ticked);
    // Ending 10 pixels before the box at 200, the baseline at 32 - 14 + 5 = 23 below its top at 100.
    EXPECT_EQ(log.draws[1].x, 80.0f);
    EXPECT_EQ(log.draws[1].y, 109.0f);
    EXPECT_EQ(log.draws[1].color, 0xFFFFFFFFu);
}

TEST_F(ControlsTest, TrackPressJumpsAtOnceAndIsReportedOnRelease)
{
    BaseSlider& slider = Slider();
    EXPECT_EQ(slider.GetRect(), Tolm::Rect(100, 100, 240, 20));
    app->widgetManager->MouseDown(160, 110, 1);
    EXPECT_EQ(slider.value, 0.25) << "a quarter of the width";
    EXPECT_TRUE(reports.moved.empty());
    app->widgetManager->MouseUp(160, 110, 1);
    EXPECT_EQ(reports.moved, (std::vector<std::pair<int, double>>{{4, 0.25}}));
    EXPECT_FALSE(slider.dragging);
}

TEST_F(ControlsTest, DragReportsEachChangeAndTheValueOnceMoreOnRelease)
{
    BaseSlider& slider = Slider();
    // The thumb at 0 covers 100 to 119; taken at 110 it travels 220 pixels.
    app->widgetManager->MouseDown(110, 110, 1);
    EXPECT_TRUE(slider.dragging);
    EXPECT_TRUE(reports.moved.empty());
    app->widgetManager->MouseMove(165, 110);
    app->widgetManager->MouseMove(165, 130);
    app->widgetManager->MouseMove(500, 110);
    app->widgetManager->MouseUp(500, 110, 1);
    EXPECT_EQ(reports.moved, (std::vector<std::pair<int, double>>{{4, 0.25}, {4, 1.0}, {4, 1.0}}));
}

TEST_F(ControlsTest, SliderCaptionSitsOnItsPlateAbove)
{
    BaseSlider& slider = Slider();
    Tolm::MemoryImage* plate = Picture("UI_SLIDER_LABEL", 210, 34);
    Font("FONT_WINDOW_TEXT", 10, 14, 18);
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    g.Translate(200, 100);
    slider.Draw(&g);
    EXPECT_TRUE(log.Of(plate).empty()) << "no caption, no plate";

    slider.label = "Music";
    log.draws.clear();
    slider.Draw(&g);
    ASSERT_EQ(log.Of(plate).size(), 1u);
    EXPECT_EQ(log.Of(plate)[0].x, 215.0f);
    EXPECT_EQ(log.Of(plate)[0].y, 60.0f);
    const DrawLog::Draw& caption = log.draws.back();
    EXPECT_EQ(caption.kind, DrawLog::Kind::Fill);
    // Centred on 120, the baseline at 14 - 35, the slider at (200, 100).
    EXPECT_EQ(caption.x, 295.0f);
    EXPECT_EQ(caption.y, 65.0f);
}

TEST_F(ControlsTest, NameFieldStoresUpperCaseAndAtMostFifteenCharacters)
{
    Font("FONT_PROFILE_EDIT", 10);
    Tolm::MemoryImage* slot = Picture("UI_PROFILE_EDIT_SLOT", 300, 40);
    app->allowExtendedChars = true;
    CustomEdit edit(6, nullptr);
    EXPECT_EQ(edit.GetRect(), Tolm::Rect(0, 0, 300, 40));
    EXPECT_EQ(edit.maxChars, 15);
    struct Case
    {
        const char* name;
        std::string typed;
        std::string stored;
    };
    const Case cases[] = {
        {"letters become capitals", "abc", "ABC"},
        {"capitals, digits and signs stay", "Ab1 -z", "AB1 -Z"},
        {"characters above 127 are no letters", "\xE9\xFF", "\xE9\xFF"},
        {"the sixteenth is refused", "abcdefghijklmnop", "ABCDEFGHIJKLMNO"},
    };
    for (const Case& c : cases) {
        edit.SetText("");
        for (char ch : c.typed) {
            edit.KeyChar(ch);
        }
        EXPECT_EQ(edit.text, c.stored) << c.name;
    }
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    edit.Draw(&g);
    ASSERT_FALSE(log.draws.empty());
    EXPECT_EQ(log.draws[0].source, slot);
    EXPECT_EQ(log.draws[0].x, 0.0f);
    std::vector<DrawLog::Draw> text;
    for (const DrawLog::Draw& draw : log.draws) {
        if (draw.kind == DrawLog::Kind::Fill && draw.color == 0xFFFFFFFFu) {
            text.push_back(draw);
        }
    }
    ASSERT_FALSE(text.empty());
    EXPECT_GE(text[0].x, 20.0f) << "the text starts 20 pixels in";
}
