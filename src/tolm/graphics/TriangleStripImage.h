// The triangle rasterizer's strip entry with a software image as the texture: the image brings its alpha
// flags up to date and lends its 32-bit pixels for the draw.
#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"
#include "graphics/TexVertex.h"

namespace Tolm {

class MemoryImage;

// As the strip entry of the rasterizer; a null texture draws untextured triangles. A palette image gives up
// its palette form for its 32-bit pixels. The colour is clamped to 0..255 first, as every software draw does.
void RasterizeTriangleStrip(const TexVertex* vertices, int count, MemoryImage* texture, const Color& color,
                            int drawMode, const Rect& clip, void* bits, int pitch, int format, bool bilinear,
                            bool vertexColors);

} // namespace Tolm
