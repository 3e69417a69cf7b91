// Stand-in for the widget manager until the widget toolkit exists. It has the entry points through
// which the application's loop and window reach the widgets, and keeps the state those entry points
// keep (key table, mouse buttons, last mouse position, application focus, frame counter, mouse
// mapping, the top-level widgets and the modal stack), but it dispatches to no widget: its screen
// draw clears the screen image.
#pragma once

#include "graphics/Rect.h"

#include <array>
#include <list>
#include <vector>

namespace Tolm {

class DDImage;
class TolmAppBase;
class Widget;

class WidgetManager
{
public:
    explicit WidgetManager(TolmAppBase* app);
    ~WidgetManager();
    WidgetManager(const WidgetManager&) = delete;
    WidgetManager& operator=(const WidgetManager&) = delete;

    // The top-level widgets. The manager owns none of them.
    void AddWidget(Widget* widget);
    void RemoveWidget(Widget* widget);
    bool HasWidget(Widget* widget) const;
    // Removes every top-level widget, deleting them when asked (their own children are their business).
    void RemoveAllWidgets(bool deleteWidgets);
    const std::list<Widget*>& Children() const { return children; }

    void InvalidateAll();
    void SystemColorsChangedAll() {}

    void PushModalDefault(Widget* widget);
    void PopModal(Widget* widget);

    bool MouseMove(int x, int y);
    bool MouseDrag(int x, int y);
    bool MouseDown(int x, int y, int clickCode);
    bool MouseUp(int x, int y, int clickCode);
    bool MouseExit(int x, int y);
    bool MouseWheel(int delta);
    bool KeyChar(char ch);
    bool KeyDown(int keyCode);
    bool KeyUp(int keyCode);
    void GotAppFocus();
    void LostAppFocus();
    void ReleasePressedWidget();

    void SetMouseMapping(const Rect& destination, const Rect& source);
    void MapMouse(int& x, int& y) const;

    bool UpdateFrame();
    bool UpdateFrameF(float fraction);
    bool DrawScreen();

    TolmAppBase* app;
    DDImage* screenImage = nullptr;
    bool dirty = true;
    int updateCount = 0;
    int lastInputFrame = 0;
    bool hasAppFocus = true;
    bool mouseInWindow = false;
    int lastMouseX = 0;
    int lastMouseY = 0;
    // Bits 1 left, 2 right, 4 middle.
    int pressedButtons = 0;
    int mouseButtons = 0;
    // Indexed by virtual-key code 0 to 254.
    std::array<bool, 255> keyDown{};
    Rect mouseDestination;
    Rect mouseSource;
    int width = 0;
    int height = 0;

private:
    void NoteInput() { lastInputFrame = updateCount; }

    std::list<Widget*> children;
    std::vector<Widget*> modalStack;
};

} // namespace Tolm
