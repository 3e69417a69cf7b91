// The single entry of the software triangle rasterizer: draws a strip of textured, colour-shaded triangles
// into a block of destination pixels in memory. Each triangle is clipped, converted to 16.16 fixed point
// and handed as a fan to the routine of its format and features. The clipping scratch lives on the
// caller's stack, so nothing is shared between calls.
#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"
#include "graphics/TexVertex.h"

#include <cstdint>

namespace Tolm {

// What the rasterizer reads of a texture image: its size, its 32-bit ARGB pixels (width x height, rows
// with no gap), and its two alpha flags as they stand after the image has brought them up to date. Either
// flag selects the blended routines.
struct TriangleTextureView
{
    const uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    bool hasTransparency = false; // some pixel has alpha 0
    bool hasSemiAlpha = false;    // some pixel has alpha 1 to 254
};

// The vertices form a strip: each vertex after the second makes a triangle with the two before it, and
// fewer than three draw nothing. A null texture draws untextured triangles. The colour applies unless it
// is opaque white; the draw mode is accepted and ignored. The clip rectangle must lie inside the
// destination, whose rows are `pitch` bytes apart (rounded down to whole pixels); `format` is the
// destination's pixel-format code. Bilinear filtering always blends; vertex colours shade the triangles.
void RasterizeTriangleStrip(const TexVertex* vertices, int count, const TriangleTextureView* texture,
                            const Color& color, DrawMode drawMode, const Rect& clip, void* bits, int pitch, int format,
                            bool bilinear, bool vertexColors);

} // namespace Tolm
