// The node of the widget tree: an ordered list of children (bottom-most first), the z-order operations on
// it, invalidation by dirty top-level widgets, and the update, fractional-update and draw walks. A walk
// survives a child that removes itself or others, and a nested walk of the same tree (a modal wait).
//
// A container never removes nor deletes its children when it dies: their owners remove them first, with
// RemoveWidget or RemoveAllWidgets (which can delete them).
#pragma once

#include "graphics/Rect.h"

#include <list>

namespace Tolm {

class Graphics;
class Widget;
class WidgetManager;

// Widget flags of a walk.
enum WidgetFlags
{
    WidgetFlagUpdate = 1,
    // Invalidated at every update walk.
    WidgetFlagMarkDirty = 2,
    WidgetFlagDraw = 4,
    // Drawing clipped to the widget's rectangle (when its clip switch is on).
    WidgetFlagClip = 8,
    // The widget and its subtree take part in the mouse hit test.
    WidgetFlagMouse = 16,
    // Read only by the modal rules: widgets below a modal widget lose it, and with it the focus.
    WidgetFlagFocus = 32,
};

struct FlagsChange
{
    int add = 0;
    int remove = 0;

    constexpr int Apply(int flags) const { return (flags | add) & ~remove; }
};

// The flags of one walk: one set for the widgets above the manager's base modal widget, one for those
// walked before it. pastBaseModal turns true at the base modal widget and stays so for the rest of the walk.
struct ModalFlagState
{
    int aboveFlags = 0;
    int belowFlags = 0;
    bool pastBaseModal = true;

    int Current() const { return pastBaseModal ? aboveFlags : belowFlags; }
    void Apply(const FlagsChange& change)
    {
        aboveFlags = change.Apply(aboveFlags);
        belowFlags = change.Apply(belowFlags);
    }
};

struct Point
{
    int x = 0;
    int y = 0;
};

class WidgetContainer
{
public:
    using WidgetList = std::list<Widget*>;

    WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;
    // Frees only the list; the children are told they have no parent any more.
    virtual ~WidgetContainer();

    virtual Rect GetRect();
    // Touching edges do not overlap.
    virtual bool Intersects(WidgetContainer* other);
    // Nothing for a widget that is already a child. It goes on top of the children of its z-order.
    virtual void AddWidget(Widget* widget);
    // Nothing for a widget that is not a direct child.
    virtual void RemoveWidget(Widget* widget);
    virtual bool HasWidget(Widget* widget);
    virtual void ForgetWidget(Widget* /*widget*/) {}
    // Removes the children from the first on; each one's own children too when recursive.
    virtual void RemoveAllWidgets(bool deleteThem, bool recursive);
    virtual void SetFocus(Widget* /*widget*/) {}
    // Whether a is met before b walking the tree depth first, each child before its own children: drawn
    // earlier. False when neither is found.
    virtual bool IsBelow(Widget* a, Widget* b);
    virtual void InvalidateAll();
    // The z-order moves change only the order, not the z-order values, and invalidate nothing.
    virtual void BringToFront(Widget* widget);
    virtual void BringToBack(Widget* widget);
    virtual void PutBehind(Widget* widget, Widget* reference);
    virtual void PutInFront(Widget* widget, Widget* reference);
    virtual Point GetAbsPos();
    virtual void InvalidateChild(Widget* child);
    virtual void Invalidate();
    virtual void InvalidateChildWithBelow(Widget* child);
    virtual void InvalidateWithBelow();
    virtual void AddedToManager(WidgetManager* newManager);
    virtual void RemovedFromManager(WidgetManager* oldManager);
    virtual void Update();
    virtual void UpdateAll(ModalFlagState* state);
    virtual void UpdateFraction(float /*fraction*/) {}
    virtual void UpdateFractionAll(ModalFlagState* state, float fraction);
    virtual void Draw(Graphics* /*g*/) {}
    virtual void DrawAll(ModalFlagState* state, Graphics* g);
    virtual void SystemColorsChangedAll();
    virtual void SystemColorsChanged() {}

    // Inserts the widget, keeping the list in ascending z-order; among equal z-orders the hint decides.
    void InsertByZOrder(WidgetList::iterator hint, Widget* widget);
    // The top-most child under the point (in this container's coordinates) whose flags let the mouse
    // in, with the point relative to it; null when none.
    Widget* FindWidgetAt(int pointX, int pointY, int flags, int* relX, int* relY);

    const WidgetList& GetChildren() const { return widgets; }

    // Bottom-most first.
    WidgetList widgets;
    // Null while not in a manager's tree; the manager points to itself.
    WidgetManager* manager = nullptr;
    WidgetContainer* parent = nullptr;
    // Where the update walk over the children stands, and whether a removal has already moved it on.
    WidgetList::iterator walkPosition;
    bool walkAdvanced = false;
    // The manager's frame counter when Update last ran here.
    int lastUpdateFrame = 0;
    int updateCount = 0;
    bool dirty = false;
    // In the parent's coordinates.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // Does not paint all of its rectangle: what lies below is redrawn with it.
    bool hasAlpha = false;
    // Lets the clip flag clip this widget.
    bool clip = true;
    FlagsChange flagsChange;
    // Orders this widget's drawing against the deferred overlays.
    int priority = 0;
    int zOrder = 0;

private:
    // Removes the entry; a walk standing on it moves on to the next one.
    void EraseEntry(WidgetList::iterator entry);
    // Takes the child out of the list and inserts it again from the hint given for its new place.
    template <typename HintOf>
    void Reorder(Widget* widget, HintOf hintOf);
    WidgetList::iterator Find(Widget* widget);
    // The update walk and the fractional walk differ in what they do to each container.
    template <typename Visit>
    void WalkForUpdate(ModalFlagState* state, Visit visit);
    // 0 when a is found first, 1 when b is, -1 when neither is in this subtree.
    int FirstMet(Widget* a, Widget* b);
};

} // namespace Tolm
