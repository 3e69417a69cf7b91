// The root of the widget tree and the toolkit's link to the application. The window's input queue
// hands it every mouse and key event, already mapped into widget space; the main loop asks it for one
// update walk per fixed update, one fractional walk per frame and one screen draw, which redraws the dirty
// top-level widgets onto the screen image under one surface lock and then the deferred overlays.
//
// It keeps the hovered, pressed and focus widgets, the key table, the modal stack and the overlay queue.
// It owns none of its top-level widgets.
#pragma once

#include "graphics/Rect.h"
#include "widgets/WidgetContainer.h"

#include <array>
#include <climits>
#include <vector>

namespace Tolm {

class Graphics;
class Image;
class TolmAppBase;
class Widget;

// Mouse button bits, as the button sets hold them.
constexpr int kLeftButtonBit = 1;
constexpr int kRightButtonBit = 2;
constexpr int kMiddleButtonBit = 4;

class WidgetManager : public WidgetContainer
{
public:
    // The application may be null (a tree without one: no cursors, never 3D).
    explicit WidgetManager(TolmAppBase* app);
    // Frees the modal stack, the overlay queue and the list; the widgets still in the tree are told
    // they have no manager any more.
    ~WidgetManager() override;

    // Input. Each records the frame as the last input frame and returns true. Click codes: 1 or 2 left
    // (single, double), -1 or -2 right, 3 middle; releases use 1, -1 and 3.
    bool MouseMove(int x, int y);
    bool MouseDrag(int x, int y);
    bool MouseDown(int x, int y, int clickCode);
    bool MouseUp(int x, int y, int clickCode);
    // The mouse left the window.
    bool MouseExit(int x, int y);
    // In notches; goes to the focus widget, not to the hovered one.
    bool MouseWheel(int delta);
    bool KeyChar(char ch);
    bool KeyDown(int keyCode);
    bool KeyUp(int keyCode);

    void GotAppFocus();
    // Every held key is released to the focus widget, which keeps the focus and gets it back with the
    // application focus.
    void LostAppFocus();
    void ReleasePressedWidget();

    // destination: the part of widget space the display shows; source: the display's rectangle.
    void SetMouseMapping(const Rect& destination, const Rect& source);
    // A window point into widget space; unchanged while no display has set a mapping.
    void MapMouse(int& x, int& y) const;

    bool IsLeftButtonDown() const { return (mouseButtons & kLeftButtonBit) != 0; }
    bool IsRightButtonDown() const { return (mouseButtons & kRightButtonBit) != 0; }
    // The enabled widget under the point, with the point relative to it; null for none or a disabled one.
    Widget* GetWidgetAt(int x, int y, int* relX, int* relY);

    void SetFocus(Widget* widget) override;
    // Drops every reference to a widget that leaves the tree or is disabled.
    void ForgetWidget(Widget* widget) override;
    // Hover at the point: the widget under it is entered and gets moves.
    void MousePosition(int x, int y);
    // Hover again after the layout changed.
    void RefreshMouseOver();
    void EnterWidget(Widget* widget);
    void LeaveWidget(Widget* widget);
    // Releases, in the order left, right, middle, the buttons of the bit set that the widget holds.
    void SendMouseUps(Widget* widget, int buttonBits);

    // Widgets walked before the base modal widget get the below change in every pass.
    void PushModal(Widget* widget, const FlagsChange& below);
    void PushModalDefault(Widget* widget);
    // Only the top level of the stack can be popped; a level whose widget left the tree goes with it.
    void PopModal(Widget* widget);
    void SetModalWidget(Widget* widget, const FlagsChange& below);
    void InitModalFlags(ModalFlagState& out);

    // Returns the root's dirty flag.
    bool UpdateFrame();
    bool UpdateFrameF(float fraction);
    // True when a top-level widget was drawn (overlays alone do not count).
    bool DrawScreen();
    // Draws the queued overlays below maxPriority, lowest priority first.
    void FlushDeferredOverlays(int maxPriority);

    struct ModalLevel
    {
        Widget* widget;
        Widget* previousBaseModal;
        Widget* previousFocus;
        FlagsChange previousBelowChange;
    };

    struct DeferredOverlay
    {
        Widget* widget;
        int priority;
    };

    // Gets the Tab characters typed while Ctrl is held.
    Widget* ctrlTabWidget = nullptr;
    // The context of the screen draw in progress; null outside it.
    Graphics* screenGraphics = nullptr;
    TolmAppBase* app;
    // Set by the application whenever it makes the display.
    Image* screenImage = nullptr;
    // A press outside it removes it from the tree.
    Widget* popupWidget = nullptr;
    std::vector<DeferredOverlay> deferredOverlays;
    int lowestPendingOverlayPriority = INT_MAX;
    bool hasAppFocus = true;
    Widget* focusWidget = nullptr;
    // Holds the buttons that went down on it.
    Widget* pressedWidget = nullptr;
    Widget* overWidget = nullptr;
    Widget* baseModalWidget = nullptr;
    // Applied to the default flags while the application lacks the focus.
    FlagsChange lostFocusChange;
    FlagsChange belowModalChange;
    // Below a modal widget nothing takes the mouse or keeps the focus.
    FlagsChange defaultBelowModalChange{0, WidgetFlagMouse | WidgetFlagFocus};
    std::vector<ModalLevel> modalStack;
    Rect mouseDestination;
    Rect mouseSource;
    bool mouseInWindow = false;
    int lastMouseX = 0;
    int lastMouseY = 0;
    // The buttons the pressed widget holds, and all buttons down.
    int pressedButtons = 0;
    int mouseButtons = 0;
    int lastInputFrame = 0;
    // By virtual-key code 0 to 254.
    std::array<bool, 255> keyDown{};
    int defaultFlags = WidgetFlagUpdate | WidgetFlagDraw | WidgetFlagClip | WidgetFlagMouse | WidgetFlagFocus;

private:
    void NoteInput() { lastInputFrame = updateCount; }
    // The over widget becomes none, or the widget.
    void LeaveOver();
    void EnterOver(Widget* widget);
    // Empties the pressed state, then releases the buttons the widget held.
    void DropPressed();
    bool Is3D() const;
    // A copy of the screen graphics set up for drawing a top-level widget or its overlay.
    Graphics WidgetGraphics(const Graphics& base, Widget* widget, bool is3D) const;
};

} // namespace Tolm
