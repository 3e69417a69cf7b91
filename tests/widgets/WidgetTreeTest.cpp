// The widget tree: z-order, the update walks with widgets leaving mid-walk and nested walks,
// invalidation of overlapping top-level widgets, ownership, colours and the number helpers.
#include "WidgetProbe.h"

#include <climits>
#include <gtest/gtest.h>
#include <memory>

using namespace Tolm;

namespace {

std::string Order(WidgetContainer& container)
{
    std::string order;
    for (Widget* child : container.GetChildren()) {
        order += static_cast<Probe*>(child)->name;
    }
    return order;
}

class WidgetTreeTest : public testing::Test
{
protected:
    WidgetTreeTest() { manager.SetMouseMapping(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600)); }

    void AddAll(std::initializer_list<Probe*> probes)
    {
        for (Probe* probe : probes) {
            manager.AddWidget(probe);
        }
    }
    void ClearDirty()
    {
        for (Widget* child : manager.GetChildren()) {
            child->dirty = false;
        }
    }

    WidgetManager manager{nullptr};
    Trace trace;
    Probe a{trace, "A", 0, 0, 10, 10};
    Probe b{trace, "B", 0, 0, 10, 10};
    Probe c{trace, "C", 0, 0, 10, 10};
    Probe d{trace, "D", 0, 0, 10, 10};
};

} // namespace

TEST_F(WidgetTreeTest, ZOrderKeepsTheListSortedAndEqualsInTheOrderOfTheirMoves)
{
    AddAll({&a, &b, &c});
    EXPECT_EQ(Order(manager), "ABC") << "each new widget goes on top of its equals";
    manager.BringToBack(&c);
    EXPECT_EQ(Order(manager), "CAB");
    Probe high(trace, "H");
    high.zOrder = 5;
    Probe low(trace, "L");
    low.zOrder = -1;
    manager.AddWidget(&high);
    manager.AddWidget(&low);
    manager.AddWidget(&d);
    EXPECT_EQ(Order(manager), "LCABDH") << "a higher z-order stays above widgets added later";
    manager.BringToFront(&c);
    EXPECT_EQ(Order(manager), "LABDCH");
    manager.PutBehind(&c, &a);
    EXPECT_EQ(Order(manager), "LCABDH");
    manager.PutInFront(&c, &b);
    EXPECT_EQ(Order(manager), "LABCDH");
    manager.BringToBack(&high);
    EXPECT_EQ(Order(manager), "LABCDH") << "no move takes a widget past a different z-order";
    Probe stranger(trace, "X");
    manager.BringToFront(&stranger);
    manager.PutInFront(&a, &stranger);
    EXPECT_EQ(Order(manager), "LBCDAH") << "a reference that is no child counts as the end";
    manager.RemoveWidget(&high);
    manager.RemoveWidget(&low);
}

TEST_F(WidgetTreeTest, UpdateWalkGoesOnWhenAWidgetRemovesItselfOrALaterSibling)
{
    AddAll({&a, &b, &c, &d});
    b.onUpdate = [&] { manager.RemoveWidget(&b); };
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"A update", "B update", "C update", "D update"}));
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"A update", "C update", "D update"}));

    a.onUpdate = [&] { manager.RemoveWidget(&c); };
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"A update", "D update"}));
}

TEST_F(WidgetTreeTest, WidgetsAfterANestedUpdatePassAreUpdatedOnlyByIt)
{
    AddAll({&a, &b, &c, &d});
    bool nested = false;
    b.onUpdate = [&] {
        if (!nested) {
            // A modal wait: the application runs a whole update pass from inside this update.
            nested = true;
            manager.UpdateFrame();
        }
    };
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"A update", "B update", "A update", "B update", "C update", "D update"}));
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"A update", "B update", "C update", "D update"}));
}

TEST_F(WidgetTreeTest, UpdateRunsOncePerFrameThoughTheWalkMeetsAWidgetTwice)
{
    AddAll({&a, &b, &c});
    a.onUpdate = [&] { manager.BringToFront(&a); };
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"A update", "B update", "C update"}));
    EXPECT_EQ(Order(manager), "BCA");
    EXPECT_EQ(a.updateCount, 1);
}

TEST_F(WidgetTreeTest, UpdateFlagsOfAContainerReachItsSubtree)
{
    Probe child(trace, "K");
    a.AddWidget(&child);
    AddAll({&a, &b});
    a.flagsChange.remove = WidgetFlagUpdate;
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), Trace{"B update"});
    child.flagsChange.add = WidgetFlagUpdate;
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"K update", "B update"}));
    a.RemoveWidget(&child);
}

TEST_F(WidgetTreeTest, FractionalWalkRunsAtEveryCall)
{
    struct Fractions : Probe
    {
        using Probe::Probe;
        void UpdateFraction(float fraction) override { seen.push_back(fraction); }
        std::vector<float> seen;
    } widget(trace, "F");
    manager.AddWidget(&widget);
    manager.UpdateFrameF(0.5f);
    manager.UpdateFrameF(1.25f);
    EXPECT_EQ(widget.seen, (std::vector<float>{0.5f, 1.25f}));
    Take(trace);
}

TEST_F(WidgetTreeTest, HiddenWidgetKeepsUpdatingIsNeverHitAndHidingRedrawsWhatLiesBelow)
{
    Probe screen(trace, "S", 0, 0, 800, 600);
    Probe hidden(trace, "H", 10, 10, 50, 50);
    AddAll({&screen, &hidden});
    hidden.SetVisible(false);
    manager.UpdateFrame();
    EXPECT_EQ(Take(trace), (Trace{"S update", "H update"}));
    EXPECT_EQ(manager.GetWidgetAt(20, 20, nullptr, nullptr), &screen);
    hidden.SetVisible(true);
    EXPECT_EQ(manager.GetWidgetAt(20, 20, nullptr, nullptr), &hidden);
    ClearDirty();
    hidden.SetVisible(false);
    EXPECT_TRUE(screen.dirty);
    manager.RemoveWidget(&screen);
    manager.RemoveWidget(&hidden);
}

TEST_F(WidgetTreeTest, InvalidationStopsAtTheFirstOpaqueWidgetThatCoversTheArea)
{
    Probe back(trace, "O", 0, 0, 800, 600);
    Probe middle(trace, "M", 100, 100, 200, 200);
    Probe top(trace, "T", 150, 150, 20, 20);
    AddAll({&back, &middle, &top});
    struct Case
    {
        const char* name;
        std::function<void()> change;
        bool backDirty;
        bool middleDirty;
        bool topDirty;
    };
    const Case cases[] = {
        {"plain invalidate of an opaque widget", [&] { top.Invalidate(); }, false, false, true},
        {"with what lies below", [&] { top.InvalidateWithBelow(); }, false, true, true},
        {"a widget with alpha",
         [&] {
             top.hasAlpha = true;
             top.Invalidate();
         },
         false, true, true},
        {"down through a widget with transparencies",
         [&] {
             middle.hasTransparencies = true;
             top.InvalidateWithBelow();
         },
         true, true, true},
        {"what lies above is redrawn too", [&] { back.Invalidate(); }, true, true, true},
    };
    for (const Case& c : cases) {
        ClearDirty();
        c.change();
        EXPECT_EQ(back.dirty, c.backDirty) << c.name;
        EXPECT_EQ(middle.dirty, c.middleDirty) << c.name;
        EXPECT_EQ(top.dirty, c.topDirty) << c.name;
        top.hasAlpha = false;
        middle.hasTransparencies = false;
    }
    top.Move(300, 150);
    EXPECT_FALSE(top.Intersects(&middle)) << "touching edges do not overlap";
    top.Move(299, 299);
    EXPECT_TRUE(top.Intersects(&middle));
    manager.RemoveWidget(&back);
    manager.RemoveWidget(&middle);
    manager.RemoveWidget(&top);
}

TEST_F(WidgetTreeTest, ChangeInsideASubtreeMakesItsTopLevelWidgetDirty)
{
    Probe child(trace, "K", 5, 5, 5, 5);
    Probe grandChild(trace, "G", 1, 1, 1, 1);
    child.AddWidget(&grandChild);
    a.AddWidget(&child);
    AddAll({&a, &b});
    ClearDirty();
    child.dirty = false;
    grandChild.dirty = false;
    grandChild.SetColor(0, Color(1, 2, 3));
    EXPECT_TRUE(grandChild.dirty);
    EXPECT_TRUE(child.dirty);
    EXPECT_TRUE(a.dirty);
    EXPECT_TRUE(b.dirty) << "b lies on top of a at the same place";
    child.RemoveWidget(&grandChild);
    a.RemoveWidget(&child);
}

TEST_F(WidgetTreeTest, ResizeRedrawsTheOldAndTheNewArea)
{
    Probe left(trace, "L", 0, 0, 100, 100);
    Probe right(trace, "R", 200, 0, 100, 100);
    Probe moving(trace, "M", 10, 10, 10, 10);
    moving.hasAlpha = true;
    AddAll({&left, &right, &moving});
    ClearDirty();
    moving.Move(210, 10);
    EXPECT_TRUE(left.dirty) << "the old place is redrawn";
    EXPECT_TRUE(moving.dirty);
    EXPECT_TRUE(right.dirty) << "the widget below the new place shows through the moved one";
    moving.Resize(210, 10, -1, 20);
    EXPECT_EQ(moving.GetRect(), Rect(210, 10, 10, 20)) << "a negative size keeps the old one";
    manager.RemoveWidget(&left);
    manager.RemoveWidget(&right);
    manager.RemoveWidget(&moving);
}

TEST_F(WidgetTreeTest, ShowingAWidgetThatStayedDirtyWhileHiddenRedrawsTheWidgetsAboveIt)
{
    Probe back(trace, "O", 0, 0, 100, 100);
    Probe shown(trace, "H", 10, 10, 20, 20);
    Probe cursor(trace, "C", 15, 15, 5, 5);
    AddAll({&back, &shown, &cursor});
    shown.SetVisible(false);
    ClearDirty();
    shown.Invalidate();
    cursor.dirty = false;
    shown.SetVisible(true);
    EXPECT_TRUE(cursor.dirty);
    manager.RemoveWidget(&back);
    manager.RemoveWidget(&shown);
    manager.RemoveWidget(&cursor);
}

TEST_F(WidgetTreeTest, ContainersNeverDeleteTheirChildrenUnlessTold)
{
    struct Counted : Widget
    {
        explicit Counted(int& deaths) : deaths(deaths) {}
        ~Counted() override { ++deaths; }
        int& deaths;
    };
    int deaths = 0;
    auto parent = std::make_unique<Counted>(deaths);
    Counted kept(deaths);
    parent->AddWidget(&kept);
    parent.reset();
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(kept.parent, nullptr);

    Widget holder;
    auto* first = new Counted(deaths);
    auto* grandChild = new Counted(deaths);
    first->AddWidget(grandChild);
    holder.AddWidget(first);
    holder.AddWidget(new Counted(deaths));
    manager.AddWidget(&holder);
    holder.RemoveAllWidgets(true, true);
    EXPECT_EQ(deaths, 4);
    EXPECT_TRUE(holder.GetChildren().empty());
    manager.RemoveWidget(&holder);
}

TEST_F(WidgetTreeTest, DeletingAWidgetStillInTheTreeTakesItOutFirst)
{
    Probe* doomed = new Probe(trace, "Z", 0, 0, 100, 100);
    manager.AddWidget(doomed);
    manager.MouseMove(5, 5);
    manager.MouseDown(5, 5, 1);
    manager.SetFocus(doomed);
    delete doomed;
    EXPECT_TRUE(manager.GetChildren().empty());
    EXPECT_EQ(manager.overWidget, nullptr);
    EXPECT_EQ(manager.pressedWidget, nullptr);
    EXPECT_EQ(manager.focusWidget, nullptr);
    manager.MouseUp(5, 5, 1);
}

TEST_F(WidgetTreeTest, RemovedWidgetLeavesHoverPressAndFocusAndItsAreaIsRedrawn)
{
    Probe screen(trace, "S", 0, 0, 800, 600);
    Probe panel(trace, "P", 10, 10, 100, 100);
    Probe child(trace, "K", 10, 10, 20, 20);
    panel.AddWidget(&child);
    AddAll({&screen, &panel});
    manager.SetFocus(&child);
    manager.MouseDown(25, 25, 1);
    ClearDirty();
    Take(trace);
    manager.RemoveWidget(&panel);
    EXPECT_EQ(Take(trace), (Trace{"K leave", "K up 15,15 b0 c1", "K lostfocus"}));
    EXPECT_EQ(child.manager, nullptr);
    EXPECT_EQ(child.parent, &panel) << "the subtree stays whole";
    EXPECT_TRUE(screen.dirty);
    panel.RemoveWidget(&child);
    manager.RemoveWidget(&screen);
}

TEST_F(WidgetTreeTest, IsBelowFollowsTheDrawingOrder)
{
    Probe child(trace, "K");
    a.AddWidget(&child);
    AddAll({&a, &b});
    EXPECT_TRUE(manager.IsBelow(&a, &child)) << "a parent is drawn before its children";
    EXPECT_TRUE(manager.IsBelow(&child, &b));
    EXPECT_FALSE(manager.IsBelow(&b, &child));
    EXPECT_FALSE(manager.IsBelow(&c, &d)) << "neither is in the tree";
    a.RemoveWidget(&child);
}

TEST(WidgetColorTest, ColourListGrowsWithOpaqueBlackAndReadsPastItsEnd)
{
    Widget widget;
    EXPECT_TRUE(ColorEquals(widget.GetColorRef(3), Color(0, 0, 0, 255)));
    EXPECT_TRUE(ColorEquals(widget.GetColor(3, Color(1, 2, 3, 4)), Color(1, 2, 3, 4)));
    widget.SetColor(5, Color(10, 20, 30, 40));
    ASSERT_EQ(widget.colors.size(), 6u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(ColorEquals(widget.colors[size_t(i)], Color(0, 0, 0, 255))) << i;
    }
    EXPECT_TRUE(ColorEquals(widget.GetColorRef(5), Color(10, 20, 30, 40)));
    const int rgb[][3] = {{1, 2, 3}, {4, 5, 6}};
    widget.SetColorsRGB(rgb, 2);
    ASSERT_EQ(widget.colors.size(), 2u);
    EXPECT_TRUE(ColorEquals(widget.colors[1], Color(4, 5, 6, 255)));
    const int rgba[][4] = {{1, 2, 3, 4}};
    widget.SetColorsRGBA(rgba, 1);
    ASSERT_EQ(widget.colors.size(), 1u);
    EXPECT_TRUE(ColorEquals(widget.colors[0], Color(1, 2, 3, 4)));
}

TEST(WidgetNumberTest, CountDigitsCountsDecimalDigitsUpToTheLargestInt)
{
    struct Case
    {
        int number;
        int digits;
    };
    const Case cases[] = {
        {0, 1},         {9, 1},           {10, 2},       {99, 2}, {100, 3},  {1205, 4},
        {999999999, 9}, {1000000000, 10}, {INT_MAX, 10}, {-5, 1}, {-100, 1},
    };
    Widget widget;
    for (const Case& c : cases) {
        EXPECT_EQ(widget.CountDigits(c.number), c.digits) << c.number;
    }
}
