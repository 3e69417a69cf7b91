// The corner of a textured triangle, and how a draw combines with its destination.
#pragma once

#include <cstdint>

namespace Tolm {

struct TexVertex
{
    float x = 0;
    float y = 0;
    // Texture coordinates: 0 at the texture's left or top edge, 1 at its right or bottom edge.
    float u = 0;
    float v = 0;
    // Packed 0xAARRGGBB; 0 means the vertex has no colour of its own.
    uint32_t color = 0;
};

// Other values are passed through but draw nothing in the operations that dispatch on the mode.
enum DrawMode : int
{
    DrawModeNormal = 0,
    DrawModeAdditive = 1,
};

} // namespace Tolm
