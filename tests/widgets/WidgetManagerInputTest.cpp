// Event traces of the widget manager's mouse and key routing: hover, press and capture with button
// sets, click codes, focus, the wheel, the key table and the application focus.
#include "WidgetProbe.h"

#include <gtest/gtest.h>

using namespace Tolm;

namespace {

class WidgetInputTest : public testing::Test
{
protected:
    WidgetInputTest() { manager.SetMouseMapping(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600)); }

    WidgetManager manager{nullptr};
    Trace trace;
    // Declared after the manager: they leave its tree before it goes.
    Probe a{trace, "A", 10, 10, 100, 50};
    Probe b{trace, "B", 200, 10, 100, 50};
};

} // namespace

TEST_F(WidgetInputTest, HoverEntersLeavesAndMovesInWidgetCoordinates)
{
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    manager.MouseMove(20, 30);
    manager.MouseMove(20, 30);
    manager.MouseMove(25, 30);
    manager.MouseMove(210, 15);
    manager.MouseExit(210, 15);
    EXPECT_EQ(Take(trace),
              (Trace{"A enter", "A move 10,20", "A move 15,20", "A leave", "B enter", "B move 10,5", "B leave"}));
    EXPECT_FALSE(manager.mouseInWindow);
    EXPECT_FALSE(b.isOver);
}

TEST_F(WidgetInputTest, PressOnEmptySpaceTurnsMovesIntoDragsUntilTheRelease)
{
    manager.AddWidget(&a);
    manager.MouseDown(500, 500, 1);
    manager.MouseMove(20, 30);
    EXPECT_EQ(Take(trace), Trace{}) << "nothing is entered while a button is held";
    EXPECT_EQ(manager.pressedButtons, kLeftButtonBit);
    EXPECT_EQ(manager.pressedWidget, nullptr);
    manager.MouseUp(20, 30, 1);
    EXPECT_EQ(Take(trace), (Trace{"A enter", "A move 10,20"})) << "the release looks at the hover again";
    EXPECT_EQ(manager.pressedButtons, 0);
    manager.MouseMove(21, 30);
    EXPECT_EQ(Take(trace), Trace{"A move 11,20"});
}

TEST_F(WidgetInputTest, PressedWidgetKeepsTheMouseWhenDraggedOffAndBack)
{
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    manager.MouseMove(20, 30);
    manager.MouseDown(20, 30, 1);
    manager.MouseMove(210, 30);
    manager.MouseMove(220, 30);
    manager.MouseMove(30, 30);
    manager.MouseUp(30, 30, 1);
    EXPECT_EQ(Take(trace), (Trace{"A enter", "A move 10,20", "A down 10,20 b0 c1", "A drag 200,20", "A leave",
                                  "A drag 210,20", "A drag 20,20", "A enter", "A up 20,20 b0 c1"}));
    EXPECT_FALSE(a.isDown);
    EXPECT_EQ(manager.pressedWidget, nullptr);
}

TEST_F(WidgetInputTest, DragsOfANestedWidgetAreInItsOwnCoordinatesAndItsReleaseInItsParents)
{
    Probe panel(trace, "P", 100, 100, 200, 200);
    Probe child(trace, "C", 10, 10, 50, 50);
    panel.AddWidget(&child);
    manager.AddWidget(&panel);
    manager.MouseDown(115, 115, 1);
    manager.MouseMove(400, 400);
    manager.MouseUp(120, 120, 1);
    EXPECT_EQ(Take(trace), (Trace{"C enter", "C move 5,5", "C down 5,5 b0 c1", "C drag 290,290", "C leave", "C enter",
                                  "C move 10,10", "C up 110,110 b0 c1"}));
    panel.RemoveWidget(&child);
    manager.RemoveWidget(&panel);
}

TEST_F(WidgetInputTest, SecondButtonGoesToTheWidgetThatHoldsTheFirst)
{
    manager.AddWidget(&a);
    manager.MouseDown(20, 30, 1);
    manager.MouseDown(25, 30, -1);
    EXPECT_EQ(manager.pressedButtons, kLeftButtonBit | kRightButtonBit);
    manager.MouseUp(25, 30, 1);
    EXPECT_FALSE(a.isDown) << "the first release clears the down flag";
    EXPECT_EQ(manager.pressedWidget, &a) << "while the right button still holds it";
    manager.MouseUp(25, 30, -1);
    EXPECT_EQ(manager.pressedWidget, nullptr);
    EXPECT_EQ(Take(trace), (Trace{"A enter", "A move 10,20", "A down 10,20 b0 c1", "A move 15,20", "A down 15,20 b1 c1",
                                  "A up 15,20 b0 c1", "A up 15,20 b1 c1"}));
}

TEST_F(WidgetInputTest, SignedClickCodesReachWidgetsAsButtonAndCount)
{
    struct Case
    {
        const char* name;
        int code;
        int releaseCode;
        const char* down;
        const char* up;
    };
    const Case cases[] = {
        {"left", 1, 1, "A down 10,20 b0 c1", "A up 10,20 b0 c1"},
        {"left double", 2, 1, "A down 10,20 b0 c2", "A up 10,20 b0 c1"},
        {"right", -1, -1, "A down 10,20 b1 c1", "A up 10,20 b1 c1"},
        {"right double", -2, -1, "A down 10,20 b1 c2", "A up 10,20 b1 c1"},
        {"middle", 3, 3, "A down 10,20 b2 c1", "A up 10,20 b2 c1"},
    };
    manager.AddWidget(&a);
    manager.MouseMove(20, 30);
    Take(trace);
    for (const Case& c : cases) {
        manager.MouseDown(20, 30, c.code);
        manager.MouseUp(20, 30, c.releaseCode);
        EXPECT_EQ(Take(trace), (Trace{c.down, c.up})) << c.name;
        EXPECT_EQ(manager.mouseButtons, 0) << c.name;
    }
}

TEST_F(WidgetInputTest, DisabledWidgetCountsAsNoneAndHidesTheWidgetsBelowIt)
{
    Probe below(trace, "U", 0, 0, 400, 400);
    manager.AddWidget(&below);
    manager.AddWidget(&a);
    manager.MouseMove(20, 30);
    a.SetDisabled(true);
    EXPECT_EQ(Take(trace), (Trace{"A enter", "A move 10,20", "A leave"}));
    manager.MouseMove(21, 30);
    manager.MouseDown(21, 30, 1);
    manager.MouseUp(21, 30, 1);
    EXPECT_EQ(Take(trace), Trace{});
    EXPECT_EQ(manager.GetWidgetAt(21, 30, nullptr, nullptr), nullptr);
    a.SetDisabled(false);
    EXPECT_EQ(Take(trace), (Trace{"A enter", "A move 11,20"})) << "enabling looks at the hover again";
    manager.RemoveWidget(&below);
}

TEST_F(WidgetInputTest, MouseFlagHidesASubtreeWhileAWidgetThatIsNotMouseVisibleLetsItsChildrenBeHit)
{
    Probe panel(trace, "P", 100, 100, 200, 200);
    Probe child(trace, "C", 10, 10, 50, 50);
    panel.AddWidget(&child);
    manager.AddWidget(&panel);
    int relX = 0;
    int relY = 0;
    EXPECT_EQ(manager.GetWidgetAt(115, 120, &relX, &relY), &child);
    EXPECT_EQ(relX, 5);
    EXPECT_EQ(relY, 10);
    EXPECT_EQ(manager.GetWidgetAt(250, 250, nullptr, nullptr), &panel);
    panel.mouseVisible = false;
    EXPECT_EQ(manager.GetWidgetAt(115, 120, nullptr, nullptr), &child);
    EXPECT_EQ(manager.GetWidgetAt(250, 250, nullptr, nullptr), nullptr);
    panel.flagsChange.remove = WidgetFlagMouse;
    EXPECT_EQ(manager.GetWidgetAt(115, 120, nullptr, nullptr), nullptr);
    panel.RemoveWidget(&child);
    manager.RemoveWidget(&panel);
}

TEST_F(WidgetInputTest, HitAreaExcludesTheRightAndBottomEdgesAndShrinksByTheInsets)
{
    manager.AddWidget(&a);
    a.insetLeft = 5;
    a.insetBottom = 10;
    struct Case
    {
        int x;
        int y;
        bool hit;
    };
    const Case cases[] = {
        {10, 30, false},  {14, 30, false}, {15, 30, true}, {109, 30, true},
        {110, 30, false}, {50, 10, true},  {50, 49, true}, {50, 50, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(manager.GetWidgetAt(c.x, c.y, nullptr, nullptr) == &a, c.hit) << c.x << "," << c.y;
    }
    EXPECT_TRUE(a.Contains(10, 59)) << "insets do not shrink the widget's own rectangle";
    EXPECT_FALSE(a.Contains(10, 60));
}

TEST_F(WidgetInputTest, PressGivesTheFocusOnlyToWidgetsThatWantIt)
{
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    b.wantsFocus = true;
    manager.MouseDown(20, 30, 1);
    manager.MouseUp(20, 30, 1);
    EXPECT_EQ(manager.focusWidget, nullptr);
    manager.MouseDown(210, 30, 1);
    EXPECT_EQ(manager.focusWidget, &b);
    EXPECT_TRUE(b.hasFocus);
    manager.MouseUp(210, 30, 1);
    manager.SetFocus(&a);
    EXPECT_FALSE(b.hasFocus);
    Probe outside(trace, "O");
    manager.SetFocus(&outside);
    EXPECT_EQ(manager.focusWidget, nullptr) << "a widget of no manager's tree cannot have the focus";
}

TEST_F(WidgetInputTest, WheelScrollsTheFocusWidgetNotTheHoveredOne)
{
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    manager.SetFocus(&b);
    manager.MouseMove(20, 30);
    Take(trace);
    manager.MouseWheel(-2);
    EXPECT_EQ(Take(trace), Trace{"B wheel -2"});
    manager.SetFocus(nullptr);
    Take(trace);
    manager.MouseWheel(1);
    EXPECT_EQ(Take(trace), Trace{});
}

TEST_F(WidgetInputTest, CtrlTabCharactersGoToTheCtrlTabWidgetAndTheTabReleaseToNobody)
{
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    manager.SetFocus(&a);
    Take(trace);
    manager.KeyDown(17);
    manager.KeyChar('\t');
    manager.ctrlTabWidget = &b;
    manager.KeyChar('\t');
    manager.KeyUp(9);
    manager.KeyUp(17);
    manager.KeyChar('\t');
    manager.KeyUp(9);
    EXPECT_EQ(Take(trace), (Trace{"A keydown 17", "B char 9", "A keyup 17", "A char 9", "A keyup 9"}));
}

TEST_F(WidgetInputTest, KeyCodesOutsideTheTableReachTheFocusWidgetWithoutTouchingIt)
{
    manager.AddWidget(&a);
    manager.SetFocus(&a);
    Take(trace);
    manager.KeyDown(255);
    manager.KeyDown(300);
    manager.KeyDown(254);
    EXPECT_EQ(Take(trace), (Trace{"A keydown 255", "A keydown 300", "A keydown 254"}));
    int down = 0;
    for (bool key : manager.keyDown) {
        down += key ? 1 : 0;
    }
    EXPECT_EQ(down, 1);
    EXPECT_TRUE(manager.keyDown[254]);
}

TEST_F(WidgetInputTest, LosingTheApplicationFocusReleasesHeldKeysAndTheFocusComesBackWithIt)
{
    manager.AddWidget(&a);
    manager.SetFocus(&a);
    manager.KeyDown('A');
    manager.KeyDown(17);
    manager.KeyDown(9);
    manager.MouseDown(500, 500, -1);
    Take(trace);
    manager.LostAppFocus();
    manager.LostAppFocus();
    EXPECT_EQ(Take(trace), (Trace{"A keyup 17", "A keyup 65", "A lostfocus"}))
        << "ascending, and Tab while Ctrl is still held reaches nobody";
    EXPECT_EQ(manager.mouseButtons, 0);
    EXPECT_FALSE(manager.keyDown[9]);
    EXPECT_EQ(manager.focusWidget, &a);
    manager.GotAppFocus();
    manager.GotAppFocus();
    EXPECT_EQ(Take(trace), Trace{"A gotfocus"});
}

TEST_F(WidgetInputTest, TabAndShiftTabMoveTheFocusAlongTheChain)
{
    Probe c(trace, "C", 400, 10, 10, 10);
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    manager.AddWidget(&c);
    a.tabNext = &b;
    b.tabPrev = &a;
    b.tabNext = &c;
    manager.SetFocus(&b);
    manager.KeyDown(9);
    EXPECT_EQ(manager.focusWidget, &c);
    manager.KeyUp(9);
    manager.KeyDown(9);
    EXPECT_EQ(manager.focusWidget, &c) << "without a next widget the focus stays";
    manager.SetFocus(&b);
    manager.KeyDown(16);
    manager.KeyDown(9);
    EXPECT_EQ(manager.focusWidget, &a);
    manager.RemoveWidget(&c);
}

TEST_F(WidgetInputTest, PressOutsideThePopupTakesItOutOfTheTree)
{
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    manager.popupWidget = &b;
    manager.MouseDown(210, 30, 1);
    manager.MouseUp(210, 30, 1);
    EXPECT_TRUE(manager.HasWidget(&b));
    manager.MouseDown(20, 30, 1);
    EXPECT_FALSE(manager.HasWidget(&b));
    EXPECT_EQ(manager.popupWidget, nullptr);
    EXPECT_EQ(manager.pressedWidget, &a);
}

TEST_F(WidgetInputTest, ReleasingThePressedWidgetSendsItsButtonsUpInOrder)
{
    manager.AddWidget(&a);
    manager.MouseDown(20, 30, 3);
    manager.MouseDown(20, 30, 1);
    Take(trace);
    manager.ReleasePressedWidget();
    EXPECT_EQ(Take(trace), (Trace{"A up 10,20 b0 c1", "A up 10,20 b2 c1"}));
    EXPECT_EQ(manager.pressedWidget, nullptr);
    EXPECT_EQ(manager.pressedButtons, 0);
    EXPECT_EQ(manager.mouseButtons, kLeftButtonBit | kMiddleButtonBit) << "the buttons are still down";
}

TEST_F(WidgetInputTest, InputEntryPointsRecordTheFrame)
{
    manager.UpdateFrame();
    manager.UpdateFrame();
    manager.KeyDown(65);
    EXPECT_EQ(manager.lastInputFrame, 2);
    manager.UpdateFrame();
    manager.MouseWheel(1);
    EXPECT_EQ(manager.lastInputFrame, 3);
}

TEST(WidgetManagerMappingTest, MouseMappingScalesWindowPointsIntoWidgetSpace)
{
    struct Case
    {
        const char* name;
        Rect destination;
        Rect source;
        int x;
        int y;
        int mappedX;
        int mappedY;
        int managerWidth;
        int managerHeight;
    };
    const Case cases[] = {
        {"half size window", Rect(0, 0, 800, 600), Rect(0, 0, 400, 300), 101, 51, 202, 102, 800, 600},
        {"centred display", Rect(80, 60, 640, 480), Rect(0, 0, 640, 480), 0, 0, 80, 60, 800, 600},
        {"truncates towards zero", Rect(0, 0, 100, 100), Rect(10, 10, 300, 300), 5, 14, -1, 1, 100, 100},
        {"no display yet", Rect(), Rect(), 37, 42, 37, 42, 0, 0},
    };
    for (const Case& c : cases) {
        WidgetManager manager(nullptr);
        manager.SetMouseMapping(c.destination, c.source);
        int x = c.x;
        int y = c.y;
        manager.MapMouse(x, y);
        EXPECT_EQ(x, c.mappedX) << c.name;
        EXPECT_EQ(y, c.mappedY) << c.name;
        EXPECT_EQ(manager.width, c.managerWidth) << c.name;
        EXPECT_EQ(manager.height, c.managerHeight) << c.name;
    }
}
