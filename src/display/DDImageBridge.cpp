// Drawing into a locked surface, for now through the software renderer: the area a draw touches is
// read from the surface into a 32-bit image, the memory image's own operation draws there, and the area
// is written back in the surface's layout. Pixels the draw leaves alone come back as they were; drawn
// ones are as exact as the software renderer and the surface's channel widths make them.
//
// This file stands in for the drawing in the surface's own 16- and 32-bit formulas (the locked blits,
// fills, lines and spans, the rotated and the stretched and mirrored blits), and goes when those come.
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

// The pixels a line may touch, anti-aliasing included.
Rect LineArea(double x1, double y1, double x2, double y2)
{
    int left = int(std::floor(std::min(x1, x2))) - 1;
    int top = int(std::floor(std::min(y1, y2))) - 1;
    int right = int(std::ceil(std::max(x1, x2))) + 2;
    int bottom = int(std::ceil(std::max(y1, y2))) + 2;
    return Rect(left, top, right - left, bottom - top);
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

void DDImage::FillRectNormal(const Rect& rect, const Color& color)
{
    DrawThroughMemory(rect,
                      [&](MemoryImage& area, int dx, int dy) { area.FillRect(Translated(rect, dx, dy), color, 0); });
}

void DDImage::FillRectAdditive(const Rect& rect, const Color& color)
{
    DrawThroughMemory(rect,
                      [&](MemoryImage& area, int dx, int dy) { area.FillRect(Translated(rect, dx, dy), color, 1); });
}

void DDImage::BlitNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    DrawThroughMemory(Rect(x, y, sourceRect.width, sourceRect.height), [&](MemoryImage& area, int dx, int dy) {
        area.Blit(source, x - dx, y - dy, sourceRect, color, 0);
    });
}

void DDImage::BlitAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    DrawThroughMemory(Rect(x, y, sourceRect.width, sourceRect.height), [&](MemoryImage& area, int dx, int dy) {
        area.Blit(source, x - dx, y - dy, sourceRect, color, 1);
    });
}

void DDImage::BlitMirrorNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    DrawThroughMemory(Rect(x, y, sourceRect.width, sourceRect.height), [&](MemoryImage& area, int dx, int dy) {
        area.BlitMirror(source, x - dx, y - dy, sourceRect, color, 0);
    });
}

void DDImage::BlitMirrorAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    DrawThroughMemory(Rect(x, y, sourceRect.width, sourceRect.height), [&](MemoryImage& area, int dx, int dy) {
        area.BlitMirror(source, x - dx, y - dy, sourceRect, color, 1);
    });
}

void DDImage::DrawLineNormal(double x1, double y1, double x2, double y2, const Color& color)
{
    DrawThroughMemory(LineArea(x1, y1, x2, y2), [&](MemoryImage& area, int dx, int dy) {
        area.DrawLine(x1 - dx, y1 - dy, x2 - dx, y2 - dy, color, 0);
    });
}

void DDImage::DrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color)
{
    DrawThroughMemory(LineArea(x1, y1, x2, y2), [&](MemoryImage& area, int dx, int dy) {
        area.DrawLine(x1 - dx, y1 - dy, x2 - dx, y2 - dy, color, 1);
    });
}

void DDImage::DrawLineAntiAliasedNormal(double x1, double y1, double x2, double y2, const Color& color)
{
    DrawThroughMemory(LineArea(x1, y1, x2, y2), [&](MemoryImage& area, int dx, int dy) {
        area.DrawLineSmooth(x1 - dx, y1 - dy, x2 - dx, y2 - dy, color, 0);
    });
}

// The additive anti-aliased line draws nothing on a surface.
void DDImage::DrawLineAntiAliasedAdditive(double, double, double, double, const Color&) {}

void DDImage::FillSpansWithCoverage(const FillSpan* spans, int count, const Color& color, int drawMode,
                                    const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch,
                                    int unused)
{
    if (!display || count <= 0) {
        MemoryImage::FillSpansWithCoverage(spans, count, color, drawMode, coverage, coverageX, coverageY, coveragePitch,
                                           unused);
        return;
    }
    int left = spans[0].x;
    int top = spans[0].y;
    int right = left;
    int bottom = top;
    for (int i = 0; i < count; ++i) {
        left = std::min(left, spans[i].x);
        right = std::max(right, spans[i].x + spans[i].width);
        top = std::min(top, spans[i].y);
        bottom = std::max(bottom, spans[i].y + 1);
    }
    DrawThroughMemory(Rect(left, top, right - left, bottom - top), [&](MemoryImage& area, int dx, int dy) {
        std::vector<FillSpan> moved(spans, spans + count);
        for (FillSpan& span : moved) {
            span.x -= dx;
            span.y -= dy;
        }
        area.FillSpansWithCoverage(moved.data(), count, color, drawMode, coverage, coverageX - dx, coverageY - dy,
                                   coveragePitch, unused);
    });
    DiscardMemoryCopies();
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

void DDImage::BlitMirror(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode)
{
    if (DrawsInMemory()) {
        MemoryImage::BlitMirror(source, x, y, sourceRect, color, drawMode);
        return;
    }
    if (drawMode == 0) {
        BlitMirrorNormal(source, x, y, sourceRect, color);
    } else if (drawMode == 1) {
        BlitMirrorAdditive(source, x, y, sourceRect, color);
    }
    DiscardMemoryCopies();
}

void DDImage::BlitMatrix(Image* source, float x, float y, const Matrix3& matrix, const Rect& clipRect,
                         const Color& color, int drawMode, const Rect& sourceRect, bool bilinear)
{
    if (!display) {
        MemoryImage::BlitMatrix(source, x, y, matrix, clipRect, color, drawMode, sourceRect, bilinear);
        return;
    }
    DrawThroughMemory(clipRect, [&](MemoryImage& area, int dx, int dy) {
        area.BlitMatrix(source, x - float(dx), y - float(dy), matrix, Translated(clipRect, dx, dy), color, drawMode,
                        sourceRect, bilinear);
    });
    DiscardMemoryCopies();
}

void DDImage::BlitTexturedTriangles(Image* source, const TexVertex* vertices, int triangleCount, const Rect& clipRect,
                                    const Color& color, int drawMode, float offsetX, float offsetY, bool bilinear)
{
    if (!display) {
        MemoryImage::BlitTexturedTriangles(source, vertices, triangleCount, clipRect, color, drawMode, offsetX, offsetY,
                                           bilinear);
        return;
    }
    DrawThroughMemory(clipRect, [&](MemoryImage& area, int dx, int dy) {
        area.BlitTexturedTriangles(source, vertices, triangleCount, Translated(clipRect, dx, dy), color, drawMode,
                                   offsetX - float(dx), offsetY - float(dy), bilinear);
    });
    DiscardMemoryCopies();
}

} // namespace Tolm
