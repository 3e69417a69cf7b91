// The checkbox and the slider: what their clicks and drags report, the cursor over the thumb, and how
// both are drawn from their images or without them.
#include "ShowsColor.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "support/SteppedApp.h"
#include "widgets/Checkbox.h"
#include "widgets/Slider.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

struct Recorder : CheckboxListener, SliderListener
{
    void CheckboxToggled(int id, bool on) override
    {
        events.push_back("box " + std::to_string(id) + (on ? " on" : " off"));
    }
    void SliderMoved(int id, double value) override
    {
        events.push_back("slider " + std::to_string(id) + " " + std::to_string(value));
    }
    std::vector<std::string> Take() { return std::exchange(events, {}); }
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

std::string Moved(double value)
{
    return "slider 7 " + std::to_string(value);
}

// An image of solid blocks side by side, one colour each.
void FillBlocks(MemoryImage& image, int blockWidth, int height, const std::vector<uint32_t>& colors)
{
    image.Create(blockWidth * int(colors.size()), height);
    uint32_t* bits = image.GetBits();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            bits[y * image.width + x] = colors[size_t(x / blockWidth)];
        }
    }
    image.NoteBitsChanged();
}

class CheckboxSliderTest : public testing::Test
{
protected:
    CheckboxSliderTest()
    {
        thumb.Create(20, 10);
        slider.Resize(100, 50, 220, 10);
        app.widgetManager->AddWidget(&slider);
        app.widgetManager->AddWidget(&box);
        box.Resize(10, 10, 16, 16);
    }
    ~CheckboxSliderTest() override
    {
        app.widgetManager->RemoveWidget(&slider);
        app.widgetManager->RemoveWidget(&box);
    }

    // Presses, drags through the points and releases, in screen coordinates.
    void Drag(std::vector<Point> points)
    {
        WidgetManager& manager = *app.widgetManager;
        manager.MouseMove(points.front().x, points.front().y);
        manager.MouseDown(points.front().x, points.front().y, 1);
        for (size_t i = 1; i < points.size(); ++i) {
            manager.MouseMove(points[i].x, points[i].y);
        }
        manager.MouseUp(points.back().x, points.back().y, 1);
    }

    SteppedApp app;
    Recorder recorder;
    MemoryImage thumb;
    Slider slider{nullptr, &thumb, 7, &recorder};
    Checkbox box{nullptr, nullptr, 3, &recorder};
};

} // namespace

TEST_F(CheckboxSliderTest, ClicksToggleAndAlwaysReportWhileSetCheckedReportsOnlyWhenTold)
{
    box.SetChecked(true, false);
    EXPECT_TRUE(box.IsChecked());
    EXPECT_EQ(recorder.Take(), Events{});
    box.SetChecked(true, true);
    EXPECT_EQ(recorder.Take(), Events{"box 3 on"}) << "told even when nothing changed";
    app.widgetManager->MouseDown(12, 12, -1);
    app.widgetManager->MouseUp(12, 12, -1);
    app.widgetManager->MouseDown(12, 12, 1);
    app.widgetManager->MouseUp(12, 12, 1);
    EXPECT_EQ(recorder.Take(), (Events{"box 3 off", "box 3 on"})) << "any button toggles";
    EXPECT_TRUE(box.wantsHandCursor);
}

TEST_F(CheckboxSliderTest, TrackClickJumpsAtOnceAndReportsOnlyOnRelease)
{
    // The track is 220 long and the thumb 20: a press at a quarter of the track puts the thumb's left
    // edge at 55 (x 155 on the screen).
    app.widgetManager->MouseDown(155, 55, 1);
    EXPECT_DOUBLE_EQ(slider.value, 0.25);
    EXPECT_EQ(recorder.Take(), Events{});
    app.widgetManager->MouseUp(155, 55, 1);
    EXPECT_EQ(recorder.Take(), Events{Moved(0.25)});
    EXPECT_FALSE(slider.dragging);
}

TEST_F(CheckboxSliderTest, DraggingTheThumbReportsEachChangeOnceAndStopsAtTheEnds)
{
    // The thumb at 0 spans x 100..119; taken at 5 from its edge. Each drag point moves the edge to
    // (x - 100 - 5) of the 200 it can travel.
    Drag({{105, 55}, {125, 55}, {125, 56}, {145, 55}, {500, 55}, {600, 55}, {-50, 55}});
    EXPECT_EQ(recorder.Take(), (Events{Moved(0.1), Moved(0.2), Moved(1.0), Moved(0.0), Moved(0.0)}))
        << "no report while the value stays; the release reports the last value again";

    slider.SetValue(0.5);
    // The thumb at 0.5 spans x 200..219.
    Drag({{210, 55}, {210, 58}});
    EXPECT_EQ(recorder.Take(), Events{Moved(0.5)}) << "a drag without a change reports only on the release";
}

TEST_F(CheckboxSliderTest, SetValueClampsWithoutReporting)
{
    for (const auto& [given, kept] : {std::pair{1.5, 1.0}, {-1.0, 0.0}, {0.3, 0.3}}) {
        slider.SetValue(given);
        EXPECT_DOUBLE_EQ(slider.value, kept) << given;
    }
    EXPECT_EQ(recorder.Take(), Events{});
}

TEST_F(CheckboxSliderTest, CursorOpensOverTheThumbAndWhileDragging)
{
    slider.SetValue(0.5);
    app.widgetManager->MouseMove(150, 55);
    EXPECT_EQ(app.cursorNumber, 0) << "over the track";
    app.widgetManager->MouseMove(205, 55);
    EXPECT_EQ(app.cursorNumber, 2) << "over the thumb";
    app.widgetManager->MouseDown(205, 55, 1);
    app.widgetManager->MouseMove(700, 200);
    EXPECT_EQ(app.cursorNumber, 2) << "leaving while dragging keeps it";
    app.widgetManager->MouseUp(700, 200, 1);
    EXPECT_EQ(app.cursorNumber, 0);
}

TEST_F(CheckboxSliderTest, SlidersWithoutThumbOrRoomToTravelStayCalm)
{
    Slider bare(nullptr, nullptr, 7, &recorder);
    bare.Resize(0, 0, 0, 10);
    bare.MouseDown(0, 5, 1);
    bare.MouseDrag(40, 5);
    EXPECT_DOUBLE_EQ(bare.value, 0.0) << "no length: no fraction";
    MemoryImage wide;
    wide.Create(50, 10);
    Slider full(nullptr, &wide, 7, &recorder);
    full.Resize(0, 0, 50, 10);
    full.MouseDown(10, 5, 1);
    ASSERT_TRUE(full.dragging);
    full.MouseDrag(30, 5);
    EXPECT_DOUBLE_EQ(full.value, 0.0) << "a thumb as long as the track cannot travel";
    MemoryImage narrowTrack;
    narrowTrack.Create(2, 10);
    Slider thin(&narrowTrack, nullptr, 7, nullptr);
    thin.Resize(0, 0, 40, 10);
    MemoryImage screen;
    screen.Create(40, 10);
    Graphics g(&screen);
    thin.Draw(&g);
}

TEST(SliderDrawTest, TrackCapsOnceAndMiddleCellsClippedBetweenThem)
{
    // A 90 x 10 track: a red start cap, a green middle and a clear end cap, 30 each. On a 200 slider
    // the middle is drawn 5 times from x 30, clipped to x 30..169, so nothing green shows under the clear
    // end cap.
    MemoryImage track;
    FillBlocks(track, 30, 10, {0xFFFF0000, 0xFF00FF00, 0x00000000});
    Slider slider(&track, nullptr, 1, nullptr);
    slider.Resize(0, 0, 200, 14);
    MemoryImage screen;
    screen.Create(220, 14);
    Graphics g(&screen);
    slider.Draw(&g);
    auto pixel = [&](int x, int y) { return screen.GetBits()[y * screen.width + x]; };
    EXPECT_TRUE(Shows(pixel(0, 2), 0xFFFF0000));
    EXPECT_TRUE(Shows(pixel(29, 11), 0xFFFF0000));
    EXPECT_EQ(pixel(0, 1), 0u) << "centred across: (14 - 10) / 2 = 2";
    EXPECT_TRUE(Shows(pixel(30, 2), 0xFF00FF00));
    EXPECT_TRUE(Shows(pixel(169, 2), 0xFF00FF00));
    EXPECT_EQ(pixel(170, 2), 0u);
    EXPECT_EQ(pixel(179, 2), 0u);
}

TEST(SliderDrawTest, ThumbAlongTheTrackCentredAcrossIt)
{
    MemoryImage thumb;
    FillBlocks(thumb, 6, 4, {0xFF0000FF});
    MemoryImage screen;
    screen.Create(20, 40);
    Graphics g(&screen);
    auto pixel = [&](int x, int y) { return screen.GetBits()[y * screen.width + x]; };

    Slider vertical(nullptr, &thumb, 1, nullptr);
    vertical.horizontal = false;
    vertical.Resize(0, 0, 10, 40);
    vertical.Draw(&g);
    EXPECT_TRUE(Shows(pixel(2, 0), 0xFF0000FF)) << "at value 0 the thumb sits at the top, (10 - 6) / 2 across";
    EXPECT_TRUE(Shows(pixel(7, 3), 0xFF0000FF));
    EXPECT_EQ(pixel(1, 0), 0u);
    EXPECT_EQ(pixel(2, 4), 0u);

    screen.Clear();
    vertical.SetValue(0.5);
    vertical.Draw(&g);
    EXPECT_TRUE(Shows(pixel(2, 18), 0xFF0000FF)) << "(40 - 4) x 0.5 = 18";
    EXPECT_EQ(pixel(2, 17), 0u);
}

TEST(CheckboxDrawTest, ImagesSheetOrAPlainBoxWithACross)
{
    MemoryImage unticked;
    FillBlocks(unticked, 4, 4, {0xFF111111});
    MemoryImage ticked;
    FillBlocks(ticked, 4, 4, {0xFF222222});
    MemoryImage sheet;
    FillBlocks(sheet, 4, 4, {0xFF333333, 0xFF444444});
    MemoryImage screen;
    screen.Create(6, 6);
    Graphics g(&screen);
    auto drawn = [&](Checkbox& box, bool on) {
        screen.Clear();
        box.SetChecked(on, false);
        box.Draw(&g);
        return screen.GetBits()[0];
    };

    Checkbox images(&unticked, &ticked, 1, nullptr);
    EXPECT_TRUE(Shows(drawn(images, false), 0xFF111111));
    EXPECT_TRUE(Shows(drawn(images, true), 0xFF222222));
    Checkbox cut(&sheet, nullptr, 1, nullptr);
    cut.untickedSource = Rect(0, 0, 4, 4);
    cut.tickedSource = Rect(4, 0, 4, 4);
    EXPECT_TRUE(Shows(drawn(cut, false), 0xFF333333));
    EXPECT_TRUE(Shows(drawn(cut, true), 0xFF444444));
    Checkbox onlyTicked(nullptr, &ticked, 1, nullptr);
    EXPECT_EQ(drawn(onlyTicked, true), 0u) << "one image without source rectangles draws nothing";

    Checkbox plain(nullptr, nullptr, 1, nullptr);
    plain.Resize(0, 0, 6, 6);
    drawn(plain, true);
    auto pixel = [&](int x, int y) { return screen.GetBits()[y * screen.width + x]; };
    // Lines draw a full channel as 254.
    const uint32_t check = 0xFFFEFE00;
    EXPECT_TRUE(Shows(pixel(0, 0), 0xFFFFFFFF)) << "the frame";
    EXPECT_TRUE(Shows(pixel(5, 5), 0xFFFFFFFF));
    EXPECT_TRUE(Shows(pixel(2, 1), 0xFF505050)) << "the fill";
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(pixel(i, i), check) << "the first stroke, " << i;
    }
    EXPECT_EQ(pixel(5, 1), check) << "the second stroke starts on the frame";
    EXPECT_EQ(pixel(1, 4), check);
    drawn(plain, false);
    EXPECT_TRUE(Shows(pixel(2, 2), 0xFF505050));
}
