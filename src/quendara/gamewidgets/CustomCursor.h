// The widget that draws the game's cursor over everything else: invisible to the mouse (it keeps the
// size 0 x 0), it stays at the front of the widget manager, and it draws the current cursor in the
// overlay pass above the screen fader while the mouse is inside the window. The application adds it at
// start-up and removes and deletes it at exit.
#pragma once

#include "core/Singleton.h"
#include "widgets/Widget.h"

class BaseCursor;

class CustomCursor : public Tolm::Widget, public Singleton<CustomCursor>
{
public:
    CustomCursor();

    // Not owned (each cursor belongs to whoever made it) and not null; it starts from its first frame.
    void SetCursor(BaseCursor* cursor);

    void Update() override;
    void Draw(Tolm::Graphics* g) override;
    using Tolm::Widget::DrawOverlay;
    void DrawOverlay(Tolm::Graphics* g) override;

    // Null until set.
    BaseCursor* current = nullptr;
};
