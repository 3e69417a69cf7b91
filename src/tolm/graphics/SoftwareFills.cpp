// Single-colour fills onto a software image. Every fill blends normally, whatever the draw mode.
#include "graphics/BlendKernels.h"
#include "graphics/MemoryImage.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>

namespace Tolm {

void MemoryImage::FillRect(const Rect& rect, const Color& color, int)
{
    Color fill = ClampColor(color);
    Rect area = ClipToImage(rect, *this);
    uint32_t* pixels = IsEmpty(area) ? nullptr : GetBits();
    if (pixels && fill.alpha > 0) {
        uint32_t packed = fill.ToPacked();
        FillRow blend = ActiveBlendKernels().overBlend;
        for (int row = 0; row < area.height; ++row) {
            uint32_t* dest = pixels + std::size_t(area.y + row) * std::size_t(width) + std::size_t(area.x);
            if (fill.alpha == 255) {
                std::fill(dest, dest + area.width, packed);
            } else {
                blend(dest, area.width, packed);
            }
        }
    }
    NoteBitsChanged();
}

void MemoryImage::ClearRect(const Rect& rect)
{
    Rect area = ClipToImage(rect, *this);
    uint32_t* pixels = IsEmpty(area) ? nullptr : GetBits();
    if (pixels) {
        for (int row = 0; row < area.height; ++row) {
            uint32_t* dest = pixels + std::size_t(area.y + row) * std::size_t(width) + std::size_t(area.x);
            std::fill(dest, dest + area.width, 0u);
        }
    }
    NoteBitsChanged();
}

void MemoryImage::FillSpansWithCoverage(const FillSpan* spans, int count, const Color& color, int,
                                        const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch,
                                        int)
{
    Color fill = ClampColor(color);
    uint32_t* pixels = GetBits();
    if (pixels && coverage) {
        uint32_t rgb = fill.ToPacked() & 0x00FFFFFF;
        FillRow blend = ScalarBlendKernels().overBlend;
        for (int i = 0; i < count; ++i) {
            const FillSpan& span = spans[i];
            if (span.y < 0 || span.y >= height) {
                continue;
            }
            const unsigned char* weights =
                coverage + std::ptrdiff_t(span.y - coverageY) * coveragePitch + std::ptrdiff_t(span.x - coverageX);
            int first = std::max(span.x, 0);
            int last = std::min<int64_t>(int64_t(span.x) + span.width, width);
            for (int x = first; x < last; ++x) {
                uint32_t weight = (uint32_t(fill.alpha) * (weights[x - span.x] + 1u)) >> 8;
                if (weight > 0) {
                    blend(pixels + std::size_t(span.y) * std::size_t(width) + std::size_t(x), 1, (weight << 24) | rgb);
                }
            }
        }
    }
    NoteBitsChanged();
}

} // namespace Tolm
