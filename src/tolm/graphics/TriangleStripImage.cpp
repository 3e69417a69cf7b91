#include "graphics/TriangleStripImage.h"

#include "graphics/MemoryImage.h"
#include "graphics/SoftwareDraw.h"
#include "rasterizer/TriangleStrip.h"

namespace Tolm {

void RasterizeTriangleStrip(const TexVertex* vertices, int count, MemoryImage* texture, const Color& color,
                            int drawMode, const Rect& clip, void* bits, int pitch, int format, bool bilinear,
                            bool vertexColors)
{
    TriangleTextureView view;
    if (texture) {
        texture->UpdateAlphaFlags();
        view.bits = texture->GetBits();
        view.width = texture->width;
        view.height = texture->height;
        view.hasTransparency = texture->hasTransparency;
        view.hasSemiAlpha = texture->hasPartialAlpha;
    }
    RasterizeTriangleStrip(vertices, count, texture ? &view : nullptr, ClampColor(color), DrawMode(drawMode), clip,
                           bits, pitch, format, bilinear, vertexColors);
}

} // namespace Tolm
