// The widget manager's draw of the whole screen into any image, as after a frame's update: every widget
// drawn afresh, overlays included. Into our screen image it is the frame itself; into a DrawLog it is the
// frame's list of draws for the references.
#pragma once

#include "graphics/Image.h"
#include "widgets/WidgetManager.h"

inline void DrawWholeScreen(Tolm::WidgetManager& widgets, Tolm::Image& into)
{
    Tolm::Image* shown = widgets.screenImage;
    widgets.screenImage = &into;
    widgets.InvalidateAll();
    widgets.DrawScreen();
    widgets.screenImage = shown;
}
