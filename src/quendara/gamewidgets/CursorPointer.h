// The game's normal mouse pointer, "CURSOR_POINTER": its tip, the image's top-left pixel, is the hot
// spot. The application makes it when loading has completed and deletes it at exit.
#pragma once

#include "core/Singleton.h"
#include "gamewidgets/BaseCursor.h"

class CursorPointer : public BaseCursor, public Singleton<CursorPointer>
{
public:
    CursorPointer();

    // The current frame with its top-left corner on the mouse.
    void Draw(Tolm::Graphics* g) override;
};
