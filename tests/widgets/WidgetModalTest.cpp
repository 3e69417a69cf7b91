// Modal widgets: what lies below them loses the mouse and the focus, levels nest and pop in order.
#include "WidgetProbe.h"
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

using namespace Tolm;

namespace {

class WidgetModalTest : public testing::Test
{
protected:
    WidgetModalTest()
    {
        manager.SetMouseMapping(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600));
        screen.AddWidget(&button);
        manager.AddWidget(&screen);
    }
    ~WidgetModalTest() override { screen.RemoveWidget(&button); }

    // Clicks at the point; the trace of what the click reached.
    Trace Click(int x, int y)
    {
        Take(trace);
        manager.MouseDown(x, y, 1);
        manager.MouseUp(x, y, 1);
        return Take(trace);
    }

    WidgetManager manager{nullptr};
    Trace trace;
    Probe screen{trace, "S", 0, 0, 800, 600};
    Probe button{trace, "Bt", 10, 10, 50, 50};
    Probe first{trace, "D1", 300, 300, 100, 100};
    Probe second{trace, "D2", 350, 350, 100, 100};
};

} // namespace

TEST_F(WidgetModalTest, PushingAModalWidgetTakesMouseAndFocusFromTheWidgetsBelow)
{
    manager.SetFocus(&button);
    manager.MouseDown(15, 15, 1);
    manager.AddWidget(&first);
    Take(trace);
    manager.PushModalDefault(&first);
    EXPECT_EQ(Take(trace), (Trace{"Bt leave", "Bt up 5,5 b0 c1", "Bt lostfocus"}))
        << "the held button gets its release when the modal widget comes";
    EXPECT_EQ(manager.pressedWidget, nullptr);
    EXPECT_EQ(manager.focusWidget, nullptr);
    manager.MouseUp(15, 15, 1);
    EXPECT_EQ(Click(15, 15), Trace{});
    EXPECT_EQ(Click(500, 500), Trace{}) << "the screen below is out of reach too";
    EXPECT_EQ(Click(310, 310), (Trace{"D1 enter", "D1 move 10,10", "D1 down 10,10 b0 c1", "D1 up 10,10 b0 c1"}));

    manager.SetFocus(&button);
    EXPECT_EQ(manager.focusWidget, &button) << "the focus flag only matters when the modal widget is pushed";
    manager.SetFocus(nullptr);
    Take(trace);
    manager.MouseMove(15, 15);
    manager.PopModal(&first);
    EXPECT_EQ(Take(trace), (Trace{"D1 leave", "Bt gotfocus"})) << "with nothing focused the old focus returns";
    EXPECT_EQ(manager.baseModalWidget, nullptr);
    EXPECT_EQ(Click(15, 15), (Trace{"Bt enter", "Bt move 5,5", "Bt down 5,5 b0 c1", "Bt up 5,5 b0 c1"}));
    manager.RemoveWidget(&first);
}

TEST_F(WidgetModalTest, PoppingKeepsTheFocusOfAWidgetThatHasItNow)
{
    manager.SetFocus(&button);
    manager.AddWidget(&first);
    manager.PushModalDefault(&first);
    manager.SetFocus(&first);
    Take(trace);
    manager.PopModal(&first);
    EXPECT_EQ(Take(trace), Trace{});
    EXPECT_EQ(manager.focusWidget, &first);
    manager.RemoveWidget(&first);
}

TEST_F(WidgetModalTest, NestedModalLevelsPopFromTheTopOnly)
{
    manager.AddWidget(&first);
    manager.PushModalDefault(&first);
    manager.AddWidget(&second);
    manager.PushModalDefault(&second);
    EXPECT_EQ(manager.baseModalWidget, &second);
    EXPECT_EQ(Click(310, 310), Trace{}) << "the first dialog lies below the second";
    EXPECT_EQ(Click(440, 440).size(), 4u);

    manager.PopModal(&first);
    EXPECT_EQ(manager.modalStack.size(), 2u) << "only the top level can be popped";
    manager.PopModal(&second);
    EXPECT_EQ(manager.baseModalWidget, &first);
    manager.RemoveWidget(&second);
    EXPECT_EQ(Click(310, 310).size(), 4u);
    EXPECT_EQ(Click(15, 15), Trace{"D1 leave"});

    manager.PopModal(&first);
    EXPECT_EQ(manager.baseModalWidget, nullptr);
    EXPECT_TRUE(manager.modalStack.empty());
    EXPECT_EQ(Click(15, 15).size(), 4u);
    manager.RemoveWidget(&first);
}

TEST_F(WidgetModalTest, ALevelWhoseWidgetLeftTheTreeGoesWithTheLevelAboveIt)
{
    manager.SetFocus(&button);
    manager.AddWidget(&first);
    manager.PushModalDefault(&first);
    manager.AddWidget(&second);
    manager.PushModalDefault(&second);
    manager.RemoveWidget(&first);
    EXPECT_EQ(manager.modalStack.back().previousBaseModal, nullptr);
    Take(trace);
    manager.PopModal(&second);
    EXPECT_TRUE(manager.modalStack.empty());
    EXPECT_EQ(manager.baseModalWidget, nullptr);
    EXPECT_EQ(Take(trace), Trace{"Bt gotfocus"}) << "the focus saved by the lower level comes back";
    manager.RemoveWidget(&second);
}

TEST_F(WidgetModalTest, RemovingTheModalWidgetLeavesNoBaseModalWidget)
{
    manager.AddWidget(&first);
    manager.PushModalDefault(&first);
    manager.RemoveWidget(&first);
    EXPECT_EQ(manager.baseModalWidget, nullptr);
    EXPECT_EQ(Click(15, 15).size(), 4u);
    manager.PopModal(&first);
    EXPECT_TRUE(manager.modalStack.empty());
}

TEST_F(WidgetModalTest, WidgetsBelowAModalWidgetStillUpdateAndDraw)
{
    manager.AddWidget(&first);
    manager.PushModalDefault(&first);
    Take(trace);
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"S update", "Bt update", "D1 update"}));
    MemoryImage image;
    image.Create(800, 600);
    manager.screenImage = &image;
    manager.InvalidateAll();
    manager.DrawScreen();
    EXPECT_EQ(Take(trace), (Trace{"S draw", "Bt draw", "D1 draw"}));
    manager.screenImage = nullptr;
    manager.RemoveWidget(&first);
}

TEST_F(WidgetModalTest, AChangeThatKeepsTheMouseBelowKeepsTheHover)
{
    manager.MouseMove(15, 15);
    manager.AddWidget(&first);
    Take(trace);
    manager.PushModal(&first, FlagsChange{0, WidgetFlagFocus});
    EXPECT_EQ(Take(trace), Trace{});
    EXPECT_EQ(Click(15, 15), (Trace{"Bt down 5,5 b0 c1", "Bt up 5,5 b0 c1"}));
    manager.PopModal(&first);
    manager.RemoveWidget(&first);
}
