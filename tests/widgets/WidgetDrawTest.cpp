// The screen draw: dirty top-level widgets only, under one surface lock, children translated and clipped,
// deferred overlays interleaved by priority, and the number strip.
#include "WidgetProbe.h"
#include "display/DDImage.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

using namespace Tolm;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// Fills its whole rectangle (and more, when told) in one colour.
class Filler : public Probe
{
public:
    Filler(Trace& trace, std::string name, Rect rect, uint32_t color) : Probe(trace, std::move(name))
    {
        ResizeRect(rect);
        onDraw = [this, color](Graphics* g) {
            g->SetColor(Color::FromPacked(color, true));
            g->FillRect(-overdraw, -overdraw, width + 2 * overdraw, height + 2 * overdraw);
        };
    }
    int overdraw = 0;
};

// A screen image without a display, drawn in memory, that counts the surface locks taken on it.
class LockCountingScreen : public DDImage
{
public:
    bool LockSurface() override
    {
        ++lockCount;
        surfaceLocked = true;
        return true;
    }
    bool UnlockSurface() override
    {
        surfaceLocked = false;
        return true;
    }

    bool surfaceLocked = false;
};

class WidgetDrawTest : public testing::Test
{
protected:
    WidgetDrawTest()
    {
        screen.Create(40, 30);
        manager.SetMouseMapping(Rect(0, 0, 40, 30), Rect(0, 0, 40, 30));
        manager.screenImage = &screen;
    }
    ~WidgetDrawTest() override { manager.screenImage = nullptr; }

    uint32_t Pixel(int x, int y) { return screen.GetBits()[y * screen.width + x]; }

    WidgetManager manager{nullptr};
    LockCountingScreen screen;
    Trace trace;
};

} // namespace

TEST_F(WidgetDrawTest, OnlyDirtyVisibleTopLevelWidgetsAreDrawnAndAllUnderOneSurfaceLock)
{
    Probe a(trace, "A", 0, 0, 10, 10);
    Probe b(trace, "B", 20, 0, 10, 10);
    Probe hidden(trace, "H", 0, 20, 10, 10);
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    manager.AddWidget(&hidden);
    hidden.SetVisible(false);
    bool lockedWhileDrawing = true;
    a.onDraw = [&](Graphics*) { lockedWhileDrawing = lockedWhileDrawing && screen.surfaceLocked; };
    b.onDraw = a.onDraw;
    int locksBefore = screen.lockCount;
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(Take(trace), (Trace{"A draw", "B draw"}));
    EXPECT_TRUE(lockedWhileDrawing);
    EXPECT_EQ(screen.lockCount, locksBefore + 1);
    EXPECT_FALSE(screen.surfaceLocked);
    EXPECT_TRUE(hidden.dirty) << "a hidden widget stays dirty";
    EXPECT_FALSE(a.dirty);

    EXPECT_FALSE(manager.DrawScreen()) << "nothing is dirty";
    EXPECT_EQ(Take(trace), Trace{});
    b.Invalidate();
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(Take(trace), Trace{"B draw"});
}

TEST_F(WidgetDrawTest, ChildrenAreDrawnTranslatedClippedAndWithoutTheirParentsStateChanges)
{
    Filler parentWidget(trace, "P", Rect(5, 5, 20, 20), kBlue);
    Filler child(trace, "C", Rect(10, 2, 15, 6), kRed);
    child.overdraw = 3;
    Graphics* parentGraphics = nullptr;
    parentWidget.onDraw = [&](Graphics* g) {
        parentGraphics = g;
        g->SetColor(Color::FromPacked(kBlue, true));
        g->FillRect(0, 0, 20, 20);
        g->Translate(7, 7);
    };
    parentWidget.AddWidget(&child);
    manager.AddWidget(&parentWidget);
    manager.DrawScreen();
    ASSERT_NE(parentGraphics, nullptr);
    // The child covers (15, 7)-(29, 12) of the screen, widened by 3 on every side, clipped to its own
    // rectangle and then to its parent's (5, 5)-(24, 24).
    struct Case
    {
        int x;
        int y;
        uint32_t color;
    };
    const Case cases[] = {
        {15, 7, kRed},   {24, 12, kRed}, {25, 7, 0}, {14, 7, kBlue},  {15, 6, kBlue},
        {15, 13, kBlue}, {5, 5, kBlue},  {4, 5, 0},  {24, 24, kBlue}, {25, 24, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Pixel(c.x, c.y), c.color) << c.x << "," << c.y;
    }
    parentWidget.RemoveWidget(&child);
}

// A nested widget is clean once drawn, so that its next change marks its top-level widget dirty again.
TEST_F(WidgetDrawTest, EveryChangeOfANestedWidgetReachesTheScreen)
{
    Probe top(trace, "T", 0, 0, 30, 30);
    Probe middle(trace, "M", 5, 5, 20, 20);
    Probe inner(trace, "I", 5, 5, 10, 10);
    middle.AddWidget(&inner);
    top.AddWidget(&middle);
    manager.AddWidget(&top);
    EXPECT_TRUE(manager.DrawScreen());
    for (int change = 1; change <= 2; ++change) {
        Take(trace);
        inner.Invalidate();
        EXPECT_TRUE(manager.DrawScreen()) << "change " << change;
        EXPECT_EQ(Take(trace), (Trace{"T draw", "M draw", "I draw"})) << "change " << change;
        EXPECT_FALSE(inner.dirty || middle.dirty || top.dirty);
    }
    middle.RemoveWidget(&inner);
    top.RemoveWidget(&middle);
}

TEST_F(WidgetDrawTest, ClipSwitchOffLetsAWidgetDrawOutsideItsRectangle)
{
    Filler wide(trace, "W", Rect(10, 10, 5, 5), kRed);
    wide.overdraw = 2;
    wide.clip = false;
    manager.AddWidget(&wide);
    manager.DrawScreen();
    EXPECT_EQ(Pixel(8, 8), kRed);
    EXPECT_EQ(Pixel(16, 16), kRed);
    EXPECT_EQ(Pixel(17, 17), 0u);
}

TEST_F(WidgetDrawTest, ShownPartOfWidgetSpaceLandsAtTheScreensOrigin)
{
    manager.SetMouseMapping(Rect(10, 5, 20, 20), Rect(0, 0, 20, 20));
    Filler widget(trace, "W", Rect(12, 8, 2, 2), kRed);
    manager.AddWidget(&widget);
    manager.DrawScreen();
    EXPECT_EQ(Pixel(2, 3), kRed);
    EXPECT_EQ(Pixel(3, 4), kRed);
    EXPECT_EQ(Pixel(12, 8), 0u);
}

TEST_F(WidgetDrawTest, DeferredOverlaysDrawAfterWidgetsOfNoHigherPriorityAndBeforeTheNextHigherOne)
{
    Probe low(trace, "L", 1, 2, 5, 5);
    Probe middle(trace, "M", 3, 4, 5, 5);
    Probe high(trace, "H", 5, 6, 5, 5);
    middle.priority = 5;
    high.priority = 10;
    low.onDraw = [&](Graphics*) { low.DeferOverlay(3); };
    middle.onDraw = [&](Graphics*) {
        middle.DeferOverlay(7);
        middle.DeferOverlay(INT_MAX);
    };
    high.onDraw = [&](Graphics*) {
        high.DeferOverlay(12);
        high.DeferOverlay(2);
    };
    manager.AddWidget(&low);
    manager.AddWidget(&middle);
    manager.AddWidget(&high);
    manager.DrawScreen();
    EXPECT_EQ(Take(trace), (Trace{"L draw", "L overlay 3 at 1,2", "M draw", "M overlay 7 at 3,4", "H draw",
                                  "H overlay 2 at 5,6", "H overlay 12 at 5,6"}))
        << "an overlay of priority INT_MAX is never drawn";
    EXPECT_TRUE(manager.deferredOverlays.empty());
    EXPECT_EQ(manager.screenGraphics, nullptr);
}

TEST_F(WidgetDrawTest, OverlaysAloneDoNotCountAsADraw)
{
    Probe cursor(trace, "C", 1, 1, 2, 2);
    cursor.onDraw = [&](Graphics*) { cursor.DeferOverlay(10); };
    manager.AddWidget(&cursor);
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_FALSE(manager.DrawScreen());
    EXPECT_EQ(Take(trace), (Trace{"C draw", "C overlay 10 at 1,1"}));
}

TEST_F(WidgetDrawTest, NumberStripDrawsOneCellPerDigitWithTheSpacingBetween)
{
    // Ten cells of 3 x 2 pixels; cell d is green 20 x d + 10. The drawn pixels are told apart by that
    // green level, which leaves the blending's rounding out of the question.
    MemoryImage strip;
    strip.Create(30, 2);
    uint32_t* bits = strip.GetBits();
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 30; ++x) {
            bits[y * 30 + x] = 0xFF000000u | uint32_t(20 * (x / 3) + 10) << 8;
        }
    }
    strip.NoteBitsChanged();
    auto digitAt = [](uint32_t pixel) { return pixel == kWhite ? -1 : int((pixel >> 8) & 0xFF) / 20; };
    struct Case
    {
        const char* name;
        int number;
        std::vector<int> columns;
    };
    // The digit of every screen column from x = 1 on: -1 where nothing is drawn.
    const Case cases[] = {
        {"zero", 0, {0, 0, 0, -1}},
        {"1205 with spacing 2", 1205, {1, 1, 1, -1, -1, 2, 2, 2, -1, -1, 0, 0, 0, -1, -1, 5, 5, 5, -1}},
    };
    for (const Case& c : cases) {
        MemoryImage image;
        image.Create(30, 4);
        std::fill_n(image.GetBits(), 30 * 4, kWhite);
        image.NoteBitsChanged();
        Graphics g(&image);
        Widget widget;
        widget.DrawNumberStrip(&g, c.number, 1, 1, &strip, 2);
        for (size_t i = 0; i < c.columns.size(); ++i) {
            int x = 1 + int(i);
            EXPECT_EQ(digitAt(image.GetBits()[1 * 30 + x]), c.columns[i]) << c.name << " column " << x;
            EXPECT_EQ(digitAt(image.GetBits()[2 * 30 + x]), c.columns[i]) << c.name << " column " << x;
            EXPECT_EQ(digitAt(image.GetBits()[3 * 30 + x]), -1) << c.name << " column " << x;
        }
    }
}
