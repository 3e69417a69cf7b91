#include "widgets/WidgetManager.h"

#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "graphics/Graphics.h"
#include "widgets/Widget.h"

#include <algorithm>

namespace Tolm {

namespace {

constexpr int kTabKey = 9;
constexpr int kCtrlKey = 17;
constexpr int kKeyTableSize = 255;

// The button bit of a signed click code.
int ButtonBit(int clickCode)
{
    if (clickCode < 0) {
        return kRightButtonBit;
    }
    return clickCode == 3 ? kMiddleButtonBit : kLeftButtonBit;
}

bool InKeyTable(int keyCode)
{
    return keyCode >= 0 && keyCode < kKeyTableSize;
}

// The tree outlives nothing of a manager that is gone.
void ClearManagerPointers(WidgetContainer* container)
{
    for (Widget* child : container->widgets) {
        child->manager = nullptr;
        ClearManagerPointers(child);
    }
}

} // namespace

WidgetManager::WidgetManager(TolmAppBase* app) : app(app)
{
    manager = this;
}

WidgetManager::~WidgetManager()
{
    ClearManagerPointers(this);
}

bool WidgetManager::Is3D() const
{
    return app && app->Is3DMode();
}

Graphics WidgetManager::WidgetGraphics(const Graphics& base, Widget* widget, bool is3D) const
{
    Graphics g(base);
    g.Translate(widget->x, widget->y);
    g.SetFastStretch(!is3D);
    g.SetBilinear(is3D);
    return g;
}

void WidgetManager::SetMouseMapping(const Rect& destination, const Rect& source)
{
    mouseDestination = destination;
    mouseSource = source;
    width = destination.width + 2 * destination.x;
    height = destination.height + 2 * destination.y;
}

void WidgetManager::MapMouse(int& x, int& y) const
{
    // No display yet: nothing to scale by.
    if (mouseSource.width == 0 || mouseSource.height == 0) {
        return;
    }
    x = (x - mouseSource.x) * mouseDestination.width / mouseSource.width + mouseDestination.x;
    y = (y - mouseSource.y) * mouseDestination.height / mouseSource.height + mouseDestination.y;
}

void WidgetManager::InitModalFlags(ModalFlagState& out)
{
    out.pastBaseModal = baseModalWidget == nullptr;
    out.aboveFlags = hasAppFocus ? defaultFlags : lostFocusChange.Apply(defaultFlags);
    out.belowFlags = belowModalChange.Apply(out.aboveFlags);
}

Widget* WidgetManager::GetWidgetAt(int x, int y, int* relX, int* relY)
{
    ModalFlagState state;
    InitModalFlags(state);
    int ignoredX = 0;
    int ignoredY = 0;
    Widget* widget = FindWidgetAt(x, y, state.aboveFlags, relX ? relX : &ignoredX, relY ? relY : &ignoredY);
    return widget && !widget->disabled ? widget : nullptr;
}

void WidgetManager::EnterWidget(Widget* widget)
{
    widget->isOver = true;
    widget->MouseEnter();
    if (widget->wantsHandCursor) {
        widget->ShowHandCursor(true);
    }
}

void WidgetManager::LeaveWidget(Widget* widget)
{
    widget->isOver = false;
    widget->MouseLeave();
    if (widget->wantsHandCursor) {
        widget->ShowHandCursor(false);
    }
}

void WidgetManager::LeaveOver()
{
    Widget* widget = overWidget;
    overWidget = nullptr;
    LeaveWidget(widget);
}

void WidgetManager::EnterOver(Widget* widget)
{
    overWidget = widget;
    EnterWidget(widget);
}

void WidgetManager::MousePosition(int x, int y)
{
    int previousX = lastMouseX;
    int previousY = lastMouseY;
    lastMouseX = x;
    lastMouseY = y;
    int relX = 0;
    int relY = 0;
    Widget* widget = GetWidgetAt(x, y, &relX, &relY);
    if (widget != overWidget) {
        if (overWidget) {
            LeaveOver();
        }
        if (widget) {
            EnterOver(widget);
            widget->MouseMove(relX, relY);
        }
        return;
    }
    if (widget && (x != previousX || y != previousY)) {
        widget->MouseMove(relX, relY);
    }
}

void WidgetManager::RefreshMouseOver()
{
    if (pressedWidget) {
        if (overWidget && GetWidgetAt(lastMouseX, lastMouseY, nullptr, nullptr) != pressedWidget) {
            LeaveOver();
        }
        return;
    }
    if (mouseInWindow) {
        MousePosition(lastMouseX, lastMouseY);
    }
}

bool WidgetManager::MouseMove(int x, int y)
{
    if (pressedButtons != 0) {
        return MouseDrag(x, y);
    }
    NoteInput();
    mouseInWindow = true;
    MousePosition(x, y);
    return true;
}

bool WidgetManager::MouseDrag(int x, int y)
{
    NoteInput();
    mouseInWindow = true;
    lastMouseX = x;
    lastMouseY = y;
    if (overWidget && overWidget != pressedWidget) {
        LeaveOver();
    }
    if (!pressedWidget) {
        return true;
    }
    Point origin = pressedWidget->GetAbsPos();
    pressedWidget->MouseDrag(x - origin.x, y - origin.y);
    // Only the pressed widget is entered or left while buttons are held.
    Widget* under = GetWidgetAt(x, y, nullptr, nullptr);
    if (under && under == pressedWidget) {
        if (!overWidget) {
            EnterOver(under);
        }
    } else if (overWidget) {
        LeaveOver();
    }
    return true;
}

bool WidgetManager::MouseDown(int x, int y, int clickCode)
{
    NoteInput();
    int bit = ButtonBit(clickCode);
    mouseButtons |= bit;
    MousePosition(x, y);
    if (popupWidget && !popupWidget->Contains(x, y)) {
        Widget* popup = popupWidget;
        popupWidget = nullptr;
        if (popup->parent) {
            popup->parent->RemoveWidget(popup);
        }
    }
    int relX = 0;
    int relY = 0;
    Widget* widget = GetWidgetAt(x, y, &relX, &relY);
    if (!widget) {
        relX = x;
        relY = y;
    }
    // A widget that already holds a button takes this one too, at the point found for the press.
    if (pressedWidget) {
        widget = pressedWidget;
    }
    pressedButtons |= bit;
    pressedWidget = widget;
    if (!widget) {
        return true;
    }
    if (widget->WantsFocus()) {
        SetFocus(widget);
    }
    widget->isDown = true;
    widget->MouseDown(relX, relY, clickCode);
    return true;
}

bool WidgetManager::MouseUp(int x, int y, int clickCode)
{
    NoteInput();
    MousePosition(x, y);
    int bit = ButtonBit(clickCode);
    mouseButtons &= ~bit;
    Widget* widget = pressedWidget;
    if (!widget || (pressedButtons & bit) == 0) {
        pressedButtons &= ~bit;
        return true;
    }
    pressedButtons &= ~bit;
    if (pressedButtons == 0) {
        pressedWidget = nullptr;
    }
    // Cleared at the first button released, even while another one still holds the widget.
    widget->isDown = false;
    widget->MouseUp(x - widget->x, y - widget->y, clickCode);
    return true;
}

bool WidgetManager::MouseExit(int /*x*/, int /*y*/)
{
    NoteInput();
    mouseInWindow = false;
    if (overWidget) {
        LeaveOver();
    }
    return true;
}

bool WidgetManager::MouseWheel(int delta)
{
    NoteInput();
    if (focusWidget) {
        focusWidget->MouseWheel(delta);
    }
    return true;
}

bool WidgetManager::KeyChar(char ch)
{
    NoteInput();
    if (ch == kTabKey && keyDown[kCtrlKey]) {
        if (ctrlTabWidget) {
            ctrlTabWidget->KeyChar(ch);
        }
        return true;
    }
    if (focusWidget) {
        focusWidget->KeyChar(ch);
    }
    return true;
}

bool WidgetManager::KeyDown(int keyCode)
{
    NoteInput();
    if (InKeyTable(keyCode)) {
        keyDown[size_t(keyCode)] = true;
    }
    if (focusWidget) {
        focusWidget->KeyDown(keyCode);
    }
    return true;
}

bool WidgetManager::KeyUp(int keyCode)
{
    NoteInput();
    if (InKeyTable(keyCode)) {
        keyDown[size_t(keyCode)] = false;
    }
    if (keyCode == kTabKey && keyDown[kCtrlKey]) {
        return true;
    }
    if (focusWidget) {
        focusWidget->KeyUp(keyCode);
    }
    return true;
}

void WidgetManager::GotAppFocus()
{
    if (hasAppFocus) {
        return;
    }
    hasAppFocus = true;
    if (focusWidget) {
        focusWidget->GotFocus();
    }
}

void WidgetManager::LostAppFocus()
{
    if (!hasAppFocus) {
        return;
    }
    mouseButtons = 0;
    for (int key = 0; key < kKeyTableSize; ++key) {
        if (!keyDown[size_t(key)]) {
            continue;
        }
        keyDown[size_t(key)] = false;
        if (focusWidget && !(key == kTabKey && keyDown[kCtrlKey])) {
            focusWidget->KeyUp(key);
        }
    }
    hasAppFocus = false;
    if (focusWidget) {
        focusWidget->LostFocus();
    }
}

void WidgetManager::SendMouseUps(Widget* widget, int buttonBits)
{
    static constexpr struct
    {
        int bit;
        int code;
    } kReleases[] = {{kLeftButtonBit, 1}, {kRightButtonBit, -1}, {kMiddleButtonBit, 3}};
    for (const auto& release : kReleases) {
        if (buttonBits & release.bit) {
            widget->isDown = false;
            widget->MouseUp(lastMouseX - widget->x, lastMouseY - widget->y, release.code);
        }
    }
}

void WidgetManager::DropPressed()
{
    Widget* widget = pressedWidget;
    int buttons = pressedButtons;
    pressedWidget = nullptr;
    pressedButtons = 0;
    SendMouseUps(widget, buttons);
}

void WidgetManager::ReleasePressedWidget()
{
    if (pressedWidget && pressedButtons != 0) {
        DropPressed();
    }
}

void WidgetManager::SetFocus(Widget* widget)
{
    if (widget == focusWidget) {
        return;
    }
    Widget* old = focusWidget;
    if (old) {
        old->LostFocus();
    }
    if (widget && widget->manager == this) {
        focusWidget = widget;
        if (hasAppFocus) {
            widget->GotFocus();
        }
        return;
    }
    focusWidget = nullptr;
}

void WidgetManager::ForgetWidget(Widget* widget)
{
    if (widget == overWidget) {
        LeaveOver();
    }
    if (widget == pressedWidget) {
        DropPressed();
    }
    if (widget == focusWidget) {
        focusWidget = nullptr;
        widget->LostFocus();
    }
    if (widget == baseModalWidget) {
        baseModalWidget = nullptr;
    }
    // An overlay queued in this draw must not reach a widget that has gone.
    for (DeferredOverlay& overlay : deferredOverlays) {
        if (overlay.widget == widget) {
            overlay.widget = nullptr;
        }
    }
}

void WidgetManager::SetModalWidget(Widget* widget, const FlagsChange& below)
{
    baseModalWidget = widget;
    belowModalChange = below;
    // Without a modal widget nothing lies below it.
    if (!widget) {
        return;
    }
    if (below.remove & WidgetFlagMouse) {
        if (overWidget && IsBelow(overWidget, widget)) {
            LeaveOver();
        }
        if (pressedWidget && IsBelow(pressedWidget, widget)) {
            DropPressed();
        }
    }
    if ((below.remove & WidgetFlagFocus) && focusWidget && IsBelow(focusWidget, widget)) {
        Widget* old = focusWidget;
        focusWidget = nullptr;
        old->LostFocus();
    }
}

void WidgetManager::PushModal(Widget* widget, const FlagsChange& below)
{
    modalStack.push_back({widget, baseModalWidget, focusWidget, belowModalChange});
    SetModalWidget(widget, below);
}

void WidgetManager::PushModalDefault(Widget* widget)
{
    PushModal(widget, defaultBelowModalChange);
}

void WidgetManager::PopModal(Widget* widget)
{
    if (modalStack.empty() || modalStack.back().widget != widget) {
        return;
    }
    for (;;) {
        ModalLevel level = modalStack.back();
        SetModalWidget(level.previousBaseModal, level.previousBelowChange);
        if (!focusWidget) {
            focusWidget = level.previousFocus;
            if (focusWidget) {
                focusWidget->GotFocus();
            }
        }
        modalStack.pop_back();
        // A level whose widget left the tree goes with the level above it.
        if (level.previousBaseModal || modalStack.empty()) {
            return;
        }
    }
}

bool WidgetManager::UpdateFrame()
{
    ModalFlagState state;
    InitModalFlags(state);
    ++updateCount;
    lastUpdateFrame = updateCount;
    UpdateAll(&state);
    return dirty;
}

bool WidgetManager::UpdateFrameF(float fraction)
{
    ModalFlagState state;
    InitModalFlags(state);
    UpdateFractionAll(&state, fraction);
    return dirty;
}

bool WidgetManager::DrawScreen()
{
    ModalFlagState state;
    InitModalFlags(state);
    int dirtyCount = 0;
    for (Widget* widget : widgets) {
        dirtyCount += widget->dirty ? 1 : 0;
    }
    lowestPendingOverlayPriority = INT_MAX;
    deferredOverlays.clear();

    Graphics graphics(screenImage);
    screenGraphics = &graphics;
    DDImage* surface = dynamic_cast<DDImage*>(screenImage);
    bool locked = surface && surface->LockSurface();
    bool drawn = false;
    if (dirtyCount > 0) {
        Graphics shown(graphics);
        shown.Translate(-mouseDestination.x, -mouseDestination.y);
        bool is3D = Is3D();
        for (Widget* widget : widgets) {
            if (widget == baseModalWidget) {
                state.pastBaseModal = true;
            }
            if (!widget->dirty || !widget->visible) {
                continue;
            }
            Graphics g = WidgetGraphics(shown, widget, is3D);
            widget->DrawAll(&state, &g);
            widget->dirty = false;
            drawn = true;
        }
    }
    FlushDeferredOverlays(INT_MAX);
    if (locked) {
        surface->UnlockSurface();
    }
    screenGraphics = nullptr;
    return drawn;
}

void WidgetManager::FlushDeferredOverlays(int maxPriority)
{
    bool is3D = Is3D();
    for (;;) {
        if (lowestPendingOverlayPriority == INT_MAX) {
            deferredOverlays.clear();
            return;
        }
        if (lowestPendingOverlayPriority >= maxPriority || !screenGraphics) {
            return;
        }
        int next = INT_MAX;
        // By index: overlays queued while these draw join this pass.
        for (size_t i = 0; i < deferredOverlays.size(); ++i) {
            DeferredOverlay overlay = deferredOverlays[i];
            if (!overlay.widget) {
                continue;
            }
            if (overlay.priority != lowestPendingOverlayPriority) {
                next = std::min(next, overlay.priority);
                continue;
            }
            Graphics shown(*screenGraphics);
            shown.Translate(-mouseDestination.x, -mouseDestination.y);
            Graphics g = WidgetGraphics(shown, overlay.widget, is3D);
            overlay.widget->DrawOverlay(&g, overlay.priority);
            deferredOverlays[i].widget = nullptr;
        }
        lowestPendingOverlayPriority = next;
    }
}

} // namespace Tolm
