// Matrix and textured-triangle draws: both become textured triangles for the software rasterizer, which
// writes straight into the destination pixels in the format it is told.
#include "core/Matrix.h"
#include "graphics/MemoryImage.h"
#include "graphics/SoftwareDraw.h"
#include "graphics/TriangleStripImage.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <algorithm>

namespace Tolm {

int MemoryImage::GetTriangleFormat() const
{
    bool opaque = alphaFlagsForced && !hasPartialAlpha && !hasTransparency;
    return opaque ? kFormatRgb888 : kFormatArgb8888;
}

void MemoryImage::BlitMatrixSoftware(const Image& destination, Image* source, float x, float y, const Matrix3& matrix,
                                     const Rect& sourceRect, const Rect& clipRect, const Color& color, int drawMode,
                                     void* bits, int pitch, int format, bool bilinear)
{
    auto* texture = dynamic_cast<MemoryImage*>(source);
    if (!texture || IsEmpty(sourceRect) || !LiesInside(sourceRect, *texture)) {
        return;
    }
    float w = float(sourceRect.width);
    float h = float(sourceRect.height);
    float textureWidth = float(texture->width);
    float textureHeight = float(texture->height);
    float left = float(sourceRect.x) / textureWidth;
    float top = float(sourceRect.y) / textureHeight;
    float right = (float(sourceRect.x) + w) / textureWidth;
    float bottom = (float(sourceRect.y) + h) / textureHeight;
    // In strip order: the top edge, then the bottom edge.
    TexVertex strip[4] = {{-w / 2, -h / 2, left, top, 0xFFFFFFFF},
                          {w / 2, -h / 2, right, top, 0xFFFFFFFF},
                          {-w / 2, h / 2, left, bottom, 0xFFFFFFFF},
                          {w / 2, h / 2, right, bottom, 0xFFFFFFFF}};
    for (TexVertex& vertex : strip) {
        Vector3 moved = matrix.TransformVector3(Vector3{vertex.x, vertex.y, 1});
        vertex.x = moved.x + (x - 0.5f);
        vertex.y = moved.y + (y - 0.5f);
    }
    Rect clip = clipRect.Intersection(Rect(0, 0, destination.width, destination.height));
    RasterizeTriangleStrip(strip, 4, texture, color, drawMode, clip, bits, pitch, format, bilinear, false);
}

void MemoryImage::BlitTrianglesSoftware(const Image& destination, Image* source, const TexVertex* vertices,
                                        int triangleCount, const Rect& clipRect, const Color& color, int drawMode,
                                        void* bits, int pitch, int format, float offsetX, float offsetY, bool bilinear)
{
    if (!vertices) {
        return;
    }
    auto* texture = dynamic_cast<MemoryImage*>(source);
    Rect clip = clipRect.Intersection(Rect(0, 0, destination.width, destination.height));
    for (int i = 0; i < triangleCount; ++i) {
        TexVertex triangle[3];
        std::copy(vertices + 3 * std::size_t(i), vertices + 3 * std::size_t(i) + 3, triangle);
        for (TexVertex& vertex : triangle) {
            vertex.x += offsetX;
            vertex.y += offsetY;
        }
        bool vertexColors = std::any_of(triangle, triangle + 3, [](const TexVertex& v) { return v.color != 0; });
        RasterizeTriangleStrip(triangle, 3, texture, color, drawMode, clip, bits, pitch, format, bilinear,
                               vertexColors);
    }
}

void MemoryImage::BlitMatrix(Image* source, float x, float y, const Matrix3& matrix, const Rect& clipRect,
                             const Color& color, int drawMode, const Rect& sourceRect, bool bilinear)
{
    auto* texture = dynamic_cast<MemoryImage*>(source);
    if (!texture || IsEmpty(sourceRect) || !LiesInside(sourceRect, *texture)) {
        return;
    }
    uint32_t* pixels = GetBits();
    if (!pixels) {
        return;
    }
    BlitMatrixSoftware(*this, source, x, y, matrix, sourceRect, clipRect, color, drawMode, pixels, width * 4,
                       GetTriangleFormat(), bilinear);
    NoteBitsChanged();
}

void MemoryImage::BlitTexturedTriangles(Image* source, const TexVertex* vertices, int triangleCount,
                                        const Rect& clipRect, const Color& color, int drawMode, float offsetX,
                                        float offsetY, bool bilinear)
{
    if (!vertices || triangleCount <= 0) {
        return;
    }
    uint32_t* pixels = GetBits();
    if (!pixels) {
        return;
    }
    BlitTrianglesSoftware(*this, source, vertices, triangleCount, clipRect, color, drawMode, pixels, width * 4,
                          GetTriangleFormat(), offsetX, offsetY, bilinear);
    NoteBitsChanged();
}

} // namespace Tolm
