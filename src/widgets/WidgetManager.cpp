#include "widgets/WidgetManager.h"

#include "display/DDImage.h"
#include "widgets/Widget.h"

#include <algorithm>

namespace Tolm {

namespace {

// The button bit of a signed click code: 2 for the right button, 4 for the middle one, else 1.
int ButtonBit(int clickCode)
{
    return clickCode < 0 ? 2 : clickCode == 3 ? 4 : 1;
}

} // namespace

WidgetManager::WidgetManager(TolmAppBase* app) : app(app) {}

WidgetManager::~WidgetManager() = default;

void WidgetManager::AddWidget(Widget* widget)
{
    if (!widget || HasWidget(widget)) {
        return;
    }
    children.push_back(widget);
    widget->manager = this;
    widget->dirty = true;
}

void WidgetManager::RemoveWidget(Widget* widget)
{
    if (!HasWidget(widget)) {
        return;
    }
    children.remove(widget);
    std::erase(modalStack, widget);
    widget->manager = nullptr;
    dirty = true;
}

bool WidgetManager::HasWidget(Widget* widget) const
{
    return std::find(children.begin(), children.end(), widget) != children.end();
}

void WidgetManager::RemoveAllWidgets(bool deleteWidgets)
{
    std::list<Widget*> removed;
    removed.swap(children);
    modalStack.clear();
    for (Widget* widget : removed) {
        widget->manager = nullptr;
        if (deleteWidgets) {
            delete widget;
        }
    }
    dirty = true;
}

void WidgetManager::InvalidateAll()
{
    dirty = true;
    for (Widget* widget : children) {
        widget->dirty = true;
    }
}

void WidgetManager::PushModalDefault(Widget* widget)
{
    modalStack.push_back(widget);
}

void WidgetManager::PopModal(Widget* widget)
{
    if (!modalStack.empty() && modalStack.back() == widget) {
        modalStack.pop_back();
    }
}

bool WidgetManager::MouseMove(int x, int y)
{
    if (pressedButtons != 0) {
        return MouseDrag(x, y);
    }
    NoteInput();
    mouseInWindow = true;
    lastMouseX = x;
    lastMouseY = y;
    return true;
}

bool WidgetManager::MouseDrag(int x, int y)
{
    NoteInput();
    mouseInWindow = true;
    lastMouseX = x;
    lastMouseY = y;
    return true;
}

bool WidgetManager::MouseDown(int x, int y, int clickCode)
{
    NoteInput();
    mouseButtons |= ButtonBit(clickCode);
    lastMouseX = x;
    lastMouseY = y;
    pressedButtons |= ButtonBit(clickCode);
    return true;
}

bool WidgetManager::MouseUp(int x, int y, int clickCode)
{
    NoteInput();
    lastMouseX = x;
    lastMouseY = y;
    mouseButtons &= ~ButtonBit(clickCode);
    pressedButtons &= ~ButtonBit(clickCode);
    return true;
}

bool WidgetManager::MouseExit(int, int)
{
    NoteInput();
    mouseInWindow = false;
    return true;
}

bool WidgetManager::MouseWheel(int)
{
    NoteInput();
    return true;
}

bool WidgetManager::KeyChar(char)
{
    NoteInput();
    return true;
}

bool WidgetManager::KeyDown(int keyCode)
{
    NoteInput();
    if (keyCode >= 0 && keyCode < int(keyDown.size())) {
        keyDown[size_t(keyCode)] = true;
    }
    return true;
}

bool WidgetManager::KeyUp(int keyCode)
{
    NoteInput();
    if (keyCode >= 0 && keyCode < int(keyDown.size())) {
        keyDown[size_t(keyCode)] = false;
    }
    return true;
}

void WidgetManager::GotAppFocus()
{
    hasAppFocus = true;
}

void WidgetManager::LostAppFocus()
{
    if (!hasAppFocus) {
        return;
    }
    mouseButtons = 0;
    keyDown.fill(false);
    hasAppFocus = false;
}

void WidgetManager::ReleasePressedWidget()
{
    pressedButtons = 0;
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
    if (mouseSource.width == 0 || mouseSource.height == 0) {
        return;
    }
    x = (x - mouseSource.x) * mouseDestination.width / mouseSource.width + mouseDestination.x;
    y = (y - mouseSource.y) * mouseDestination.height / mouseSource.height + mouseDestination.y;
}

bool WidgetManager::UpdateFrame()
{
    ++updateCount;
    return dirty;
}

bool WidgetManager::UpdateFrameF(float)
{
    return dirty;
}

bool WidgetManager::DrawScreen()
{
    if (!dirty || !screenImage) {
        return false;
    }
    screenImage->Clear();
    dirty = false;
    return true;
}

} // namespace Tolm
