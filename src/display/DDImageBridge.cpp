// Drawing into a locked surface, for now through the software renderer: the area a draw touches is
// read from the surface into a 32-bit image, the memory image's own operation draws there, and the area
// is written back in the surface's layout. Pixels the draw leaves alone come back as they were; drawn
// ones are as exact as the software renderer and the surface's channel widths make them.
//
// This file stands in for the rotated and the stretched blits in the surface's own 16- and 32-bit
// formulas, and goes when those come.
#include "display/DDImage.h"
#include "display/DDInterface.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Tolm {

namespace {

Rect Translated(const Rect& rect, int dx, int dy)
{
    return Rect(rect.x - dx, rect.y - dy, rect.width, rect.height);
}

} // namespace

template <typename Draw>
void DDImage::DrawThroughMemory(const Rect& area, Draw draw)
{
    Rect inside = area.Intersection(Rect(0, 0, width, height));
    if (inside.width <= 0 || inside.height <= 0 || !LockSurface()) {
        return;
    }
    if (lockDesc.surface) {
        MemoryImage scratch;
        scratch.Create(inside.width, inside.height);
        scratch.ForceAlphaFlags(false, false);
        if (uint32_t* pixels = scratch.GetBits()) {
            ReadSurfaceArea(inside, pixels);
            scratch.NoteBitsChanged();
            draw(scratch, inside.x, inside.y);
            WriteSurfaceArea(inside, scratch.GetBits());
        }
    }
    UnlockSurface();
}

void DDImage::BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect,
                          const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    if (DrawsInMemory()) {
        MemoryImage::BlitRotated(source, x, y, sourceRect, clipRect, color, drawMode, angle, centerX, centerY);
        return;
    }
    RectD bounds;
    if (!GetRotatedBounds(x, y, sourceRect, clipRect, angle, bounds, centerX, centerY)) {
        return;
    }
    Rect area(int(std::floor(bounds.x)) - 1, int(std::floor(bounds.y)) - 1, int(std::ceil(bounds.width)) + 3,
              int(std::ceil(bounds.height)) + 3);
    DrawThroughMemory(area, [&](MemoryImage& scratch, int dx, int dy) {
        scratch.BlitRotated(source, x - float(dx), y - float(dy), sourceRect, Translated(clipRect, dx, dy), color,
                            drawMode, angle, centerX, centerY);
    });
    DiscardMemoryCopies();
}

void DDImage::StretchBlit(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                          const Color& color, int drawMode, bool fast)
{
    if (DrawsInMemory()) {
        MemoryImage::StretchBlit(source, destRect, sourceRect, clipRect, color, drawMode, fast);
        return;
    }
    DrawThroughMemory(destRect.Intersection(clipRect), [&](MemoryImage& area, int dx, int dy) {
        area.StretchBlit(source, Translated(destRect, dx, dy), sourceRect, Translated(clipRect, dx, dy), color,
                         drawMode, fast);
    });
    DiscardMemoryCopies();
}

void DDImage::StretchBlitMirror(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                                const Color& color, int drawMode, bool fast)
{
    if (DrawsInMemory()) {
        MemoryImage::StretchBlitMirror(source, destRect, sourceRect, clipRect, color, drawMode, fast);
        return;
    }
    DrawThroughMemory(destRect.Intersection(clipRect), [&](MemoryImage& area, int dx, int dy) {
        area.StretchBlitMirror(source, Translated(destRect, dx, dy), sourceRect, Translated(clipRect, dx, dy), color,
                               drawMode, fast);
    });
    DiscardMemoryCopies();
}

} // namespace Tolm
