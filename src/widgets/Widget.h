// Stand-in for the widget base until the widget toolkit exists: only the rectangle, the dirty flag and
// the virtual destructor that the application's loop, window and dialog registry reach.
#pragma once

namespace Tolm {

class WidgetManager;

class Widget
{
public:
    Widget() = default;
    virtual ~Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    virtual void Resize(int newX, int newY, int newWidth, int newHeight)
    {
        x = newX;
        y = newY;
        width = newWidth;
        height = newHeight;
    }

    WidgetManager* manager = nullptr;
    bool dirty = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

} // namespace Tolm
