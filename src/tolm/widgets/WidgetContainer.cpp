#include "widgets/WidgetContainer.h"

#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <iterator>

namespace Tolm {

namespace {

// The walks change the flag sets on the way down and restore them on every way out; whether the walk is
// past the base modal widget is not restored.
void RestoreFlagSets(ModalFlagState* state, const ModalFlagState& saved)
{
    state->aboveFlags = saved.aboveFlags;
    state->belowFlags = saved.belowFlags;
}

} // namespace

WidgetContainer::WidgetContainer() : walkPosition(widgets.end()) {}

WidgetContainer::~WidgetContainer()
{
    for (Widget* child : widgets) {
        child->parent = nullptr;
    }
}

Rect WidgetContainer::GetRect()
{
    return Rect(x, y, width, height);
}

bool WidgetContainer::Intersects(WidgetContainer* other)
{
    Rect a = GetRect();
    Rect b = other->GetRect();
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

WidgetContainer::WidgetList::iterator WidgetContainer::Find(Widget* widget)
{
    return std::find(widgets.begin(), widgets.end(), widget);
}

bool WidgetContainer::HasWidget(Widget* widget)
{
    return Find(widget) != widgets.end();
}

void WidgetContainer::InsertByZOrder(WidgetList::iterator hint, Widget* widget)
{
    int z = widget->zOrder;
    auto at = hint;
    while (at != widgets.end() && (*at)->zOrder < z) {
        ++at;
    }
    if (at != widgets.end() && ((*at)->zOrder == z || at == widgets.begin())) {
        widgets.insert(at, widget);
        return;
    }
    while (at != widgets.begin()) {
        --at;
        if ((*at)->zOrder <= z) {
            widgets.insert(std::next(at), widget);
            return;
        }
    }
    widgets.push_front(widget);
}

void WidgetContainer::AddWidget(Widget* widget)
{
    if (!widget || HasWidget(widget)) {
        return;
    }
    InsertByZOrder(widgets.end(), widget);
    widget->manager = manager;
    widget->parent = this;
    if (manager) {
        widget->AddedToManager(manager);
        widget->InvalidateWithBelow();
        manager->RefreshMouseOver();
    }
    Invalidate();
}

void WidgetContainer::EraseEntry(WidgetList::iterator entry)
{
    if (entry == walkPosition) {
        walkPosition = std::next(entry);
        walkAdvanced = true;
    }
    widgets.erase(entry);
}

void WidgetContainer::RemoveWidget(Widget* widget)
{
    if (!HasWidget(widget)) {
        return;
    }
    widget->DetachFromManager();
    // The widget's own handlers ran meanwhile and may have taken it out already.
    auto entry = Find(widget);
    if (entry == widgets.end()) {
        return;
    }
    widget->parent = nullptr;
    EraseEntry(entry);
}

void WidgetContainer::RemoveAllWidgets(bool deleteThem, bool recursive)
{
    while (!widgets.empty()) {
        Widget* child = widgets.front();
        RemoveWidget(child);
        if (recursive) {
            child->RemoveAllWidgets(deleteThem, recursive);
        }
        if (deleteThem) {
            delete child;
        }
    }
}

int WidgetContainer::FirstMet(Widget* a, Widget* b)
{
    for (Widget* child : widgets) {
        if (child == a) {
            return 0;
        }
        if (child == b) {
            return 1;
        }
        int met = child->FirstMet(a, b);
        if (met >= 0) {
            return met;
        }
    }
    return -1;
}

bool WidgetContainer::IsBelow(Widget* a, Widget* b)
{
    return FirstMet(a, b) == 0;
}

void WidgetContainer::InvalidateAll()
{
    Invalidate();
    for (Widget* child : widgets) {
        child->dirty = true;
        child->InvalidateAll();
    }
}

template <typename HintOf>
void WidgetContainer::Reorder(Widget* widget, HintOf hintOf)
{
    auto entry = Find(widget);
    if (entry == widgets.end()) {
        return;
    }
    EraseEntry(entry);
    InsertByZOrder(hintOf(), widget);
    widget->OnOrderChanged();
}

void WidgetContainer::BringToFront(Widget* widget)
{
    Reorder(widget, [this] { return widgets.end(); });
}

void WidgetContainer::BringToBack(Widget* widget)
{
    Reorder(widget, [this] { return widgets.begin(); });
}

void WidgetContainer::PutBehind(Widget* widget, Widget* reference)
{
    Reorder(widget, [this, reference] { return Find(reference); });
}

void WidgetContainer::PutInFront(Widget* widget, Widget* reference)
{
    Reorder(widget, [this, reference] {
        auto entry = Find(reference);
        return entry == widgets.end() ? entry : std::next(entry);
    });
}

Point WidgetContainer::GetAbsPos()
{
    Point position{x, y};
    if (parent) {
        Point parentPosition = parent->GetAbsPos();
        position.x += parentPosition.x;
        position.y += parentPosition.y;
    }
    return position;
}

void WidgetContainer::InvalidateChild(Widget* child)
{
    if (child->dirty) {
        return;
    }
    Invalidate();
    child->dirty = true;
    // Overlaps are resolved among the top-level widgets only.
    if (parent) {
        return;
    }
    if (child->hasAlpha) {
        InvalidateChildWithBelow(child);
        return;
    }
    auto entry = Find(child);
    if (entry == widgets.end()) {
        return;
    }
    for (auto above = std::next(entry); above != widgets.end(); ++above) {
        if ((*above)->visible && (*above)->Intersects(child)) {
            InvalidateChild(*above);
        }
    }
}

void WidgetContainer::Invalidate()
{
    if (parent) {
        parent->InvalidateChild(static_cast<Widget*>(this));
    } else {
        dirty = true;
    }
}

void WidgetContainer::InvalidateChildWithBelow(Widget* child)
{
    InvalidateWithBelow();
    child->dirty = true;
    if (parent) {
        return;
    }
    auto entry = Find(child);
    if (entry == widgets.end()) {
        return;
    }
    Rect area = child->GetRect().Intersection(Rect(0, 0, width, height));
    for (auto below = entry; below != widgets.begin();) {
        Widget* widget = *--below;
        if (!widget->visible) {
            continue;
        }
        bool opaque = !widget->hasAlpha && !widget->hasTransparencies;
        if (opaque && widget->Contains(area.x, area.y) &&
            widget->Contains(area.x + area.width - 1, area.y + area.height - 1)) {
            // Nothing below this one shows through the area.
            widget->Invalidate();
            break;
        }
        if (widget->Intersects(child)) {
            InvalidateChild(widget);
        }
    }
    for (auto above = entry; above != widgets.end(); ++above) {
        if ((*above)->visible && (*above)->Intersects(child)) {
            InvalidateChild(*above);
        }
    }
}

void WidgetContainer::InvalidateWithBelow()
{
    if (parent) {
        parent->InvalidateChildWithBelow(static_cast<Widget*>(this));
    } else {
        dirty = true;
    }
}

void WidgetContainer::AddedToManager(WidgetManager* newManager)
{
    for (Widget* child : widgets) {
        child->manager = newManager;
        child->AddedToManager(newManager);
    }
    Invalidate();
}

void WidgetContainer::RemovedFromManager(WidgetManager* oldManager)
{
    for (Widget* child : widgets) {
        oldManager->ForgetWidget(child);
        child->RemovedFromManager(oldManager);
        child->manager = nullptr;
    }
    if (oldManager->popupWidget == this) {
        oldManager->popupWidget = nullptr;
    }
}

void WidgetContainer::Update()
{
    ++updateCount;
}

template <typename Visit>
void WidgetContainer::WalkForUpdate(ModalFlagState* state, Visit visitChild)
{
    walkPosition = widgets.begin();
    while (walkPosition != widgets.end()) {
        walkAdvanced = false;
        Widget* child = *walkPosition;
        if (manager && child == manager->baseModalWidget) {
            state->pastBaseModal = true;
        }
        visitChild(child);
        if (!walkAdvanced) {
            ++walkPosition;
        }
    }
    // A walk of this container suspended further up the stack (a nested modal loop ran this one) ends
    // when it resumes.
    walkAdvanced = true;
}

void WidgetContainer::UpdateAll(ModalFlagState* state)
{
    ModalFlagState saved = *state;
    state->Apply(flagsChange);
    int flags = state->Current();
    if (flags & WidgetFlagMarkDirty) {
        Invalidate();
    }
    if (manager) {
        // Update runs at most once per manager frame, however often the walk passes here.
        if ((flags & WidgetFlagUpdate) && manager->updateCount != lastUpdateFrame) {
            lastUpdateFrame = manager->updateCount;
            Update();
        }
        WalkForUpdate(state, [state](Widget* child) { child->UpdateAll(state); });
    }
    RestoreFlagSets(state, saved);
}

void WidgetContainer::UpdateFractionAll(ModalFlagState* state, float fraction)
{
    ModalFlagState saved = *state;
    state->Apply(flagsChange);
    if (manager) {
        if (state->Current() & WidgetFlagUpdate) {
            UpdateFraction(fraction);
        }
        WalkForUpdate(state, [state, fraction](Widget* child) { child->UpdateFractionAll(state, fraction); });
    }
    RestoreFlagSets(state, saved);
}

void WidgetContainer::DrawAll(ModalFlagState* state, Graphics* g)
{
    if (manager && priority > manager->lowestPendingOverlayPriority) {
        manager->FlushDeferredOverlays(priority);
    }
    ModalFlagState saved = *state;
    state->Apply(flagsChange);
    int flags = state->Current();
    if (clip && (flags & WidgetFlagClip)) {
        g->IntersectClip(0, 0, width, height);
    }
    if (widgets.empty()) {
        if (flags & WidgetFlagDraw) {
            Draw(g);
        }
        RestoreFlagSets(state, saved);
        return;
    }
    if (flags & WidgetFlagDraw) {
        // The widget's own changes to the drawing state do not reach its children.
        g->PushState();
        Draw(g);
        g->PopState();
    }
    for (Widget* child : widgets) {
        if (!child->visible) {
            continue;
        }
        if (manager && child == manager->baseModalWidget) {
            state->pastBaseModal = true;
        }
        Graphics childGraphics(*g);
        childGraphics.Translate(child->x, child->y);
        child->DrawAll(state, &childGraphics);
        child->dirty = false;
    }
    RestoreFlagSets(state, saved);
}

void WidgetContainer::SystemColorsChangedAll()
{
    SystemColorsChanged();
    for (Widget* child : widgets) {
        child->SystemColorsChangedAll();
    }
}

Widget* WidgetContainer::FindWidgetAt(int pointX, int pointY, int flags, int* relX, int* relY)
{
    flags = flagsChange.Apply(flags);
    bool below = false;
    for (auto entry = widgets.rbegin(); entry != widgets.rend(); ++entry) {
        Widget* child = *entry;
        int childFlags = child->flagsChange.Apply(flags);
        if (below) {
            childFlags = manager->belowModalChange.Apply(childFlags);
        }
        int childX = pointX - child->x;
        int childY = pointY - child->y;
        if ((childFlags & WidgetFlagMouse) && child->visible) {
            if (Widget* found = child->FindWidgetAt(childX, childY, childFlags, relX, relY)) {
                return found;
            }
            Rect hit = child->GetInsetRect();
            bool inside =
                pointX >= hit.x && pointX < hit.x + hit.width && pointY >= hit.y && pointY < hit.y + hit.height;
            if (child->mouseVisible && inside && child->AcceptsPoint(childX, childY)) {
                *relX = childX;
                *relY = childY;
                return child;
            }
        }
        if (manager && child == manager->baseModalWidget) {
            below = true;
        }
    }
    return nullptr;
}

} // namespace Tolm
