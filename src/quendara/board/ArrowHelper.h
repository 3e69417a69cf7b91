// Draws the animated arrows between the cells of the chain being built. The singleton reads its image
// and works out its insets at its first use, after the board's images are loaded.
#pragma once

#include "core/Singleton.h"

namespace Tolm {
class Graphics;
class Image;
} // namespace Tolm

class ArrowHelper : public Singleton<ArrowHelper>
{
public:
    static constexpr const char* kImageId = "FIELD_CELL_ARROW";

    ArrowHelper();

    // The frame delay of the arrow's animation, 0 when the image has none.
    static int GetFrameDelay();
    static int GetFrameCount();
    // Frame `frame` of the arrow for a step of the chain from cell (x, y) to its neighbour on that side.
    static void DrawRight(Tolm::Graphics& g, int x, int y, int frame);
    static void DrawLeft(Tolm::Graphics& g, int x, int y, int frame);
    static void DrawUp(Tolm::Graphics& g, int x, int y, int frame);
    static void DrawDown(Tolm::Graphics& g, int x, int y, int frame);

    // The resource manager's; null when missing.
    Tolm::Image* image = nullptr;
    // What centres one frame in a cell.
    int insetX = 0;
    int insetY = 0;
};
