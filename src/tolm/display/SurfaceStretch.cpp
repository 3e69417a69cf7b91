// Stretched blits into a surface image's locked surface: DirectDraw's blitter for opaque, untinted
// copies between surfaces, nearest-pixel loops stepping in 16.16 fixed point over the source's
// display-format words, plain or from right to left (on 32 bits, plain rows of samples go to the blend
// kernels), and the area filter through a temporary image.
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "display/SurfaceDrawing.h"
#include "graphics/BlendKernels.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace Tolm {

using namespace SurfaceBlend;
using namespace Platform;

namespace {

// Where the nearest-pixel loops start in the source and how far they step per destination pixel, in
// 64 bits so that a tiny destination of a huge source cannot overflow them.
struct StretchSteps
{
    int64_t x0 = 0;
    int64_t y0 = 0;
    int64_t stepX = 0;
    int64_t stepY = 0;
};

StretchSteps StepsOf(const RectD& source, const Rect& dest)
{
    return {int64_t(source.x * 65536.0), int64_t(source.y * 65536.0), int64_t(source.width * 65536.0 / dest.width),
            int64_t(source.height * 65536.0 / dest.height)};
}

// A row's samples gathered, then blended by the kernels a span at a time, the pixels the rule skips left
// out; rows that sample the same source row blend the same samples again.
template <typename Rule, typename Source>
void StretchByKernel(const LockedSurface& surface, const Rect& dest, const StretchSteps& steps, int sourceWidth,
                     const Source& source, const Rule& rule)
{
    static thread_local std::vector<uint32_t> samples;
    samples.resize(std::size_t(dest.width));
    int64_t sampledRow = -1;
    int64_t sy = steps.y0;
    for (int row = 0; row < dest.height; ++row, sy += steps.stepY) {
        if (sy >> 16 != sampledRow) {
            sampledRow = sy >> 16;
            std::size_t rowStart = std::size_t(sampledRow) * std::size_t(sourceWidth);
            int64_t sx = steps.x0;
            for (int i = 0; i < dest.width; ++i, sx += steps.stepX) {
                samples[std::size_t(i)] = source[rowStart + std::size_t(sx >> 16)];
            }
        }
        uint32_t* out = surface.At<uint32_t>(dest.x, dest.y + row);
        for (int i = 0; i < dest.width;) {
            if (rule.Skips(samples[std::size_t(i)])) {
                ++i;
                continue;
            }
            int end = i + 1;
            while (end < dest.width && !rule.Skips(samples[std::size_t(end)])) {
                ++end;
            }
            rule.BlendRun(out + i, samples.data() + i, end - i);
            i = end;
        }
    }
}

template <BlitFacing Facing, typename Rule, typename Source>
void StretchNearest(const LockedSurface& surface, const Rect& dest, const StretchSteps& steps, int sourceWidth,
                    const Source& source, const Rule& rule)
{
    if constexpr (BlendsRuns<Rule> && Facing == BlitFacing::Plain) {
        StretchByKernel(surface, dest, steps, sourceWidth, source, rule);
        return;
    }
    using Pixel = typename Rule::Pixel;
    int firstColumn = Facing == BlitFacing::Plain ? dest.x : dest.x + dest.width - 1;
    int64_t sy = steps.y0;
    for (int row = 0; row < dest.height; ++row, sy += steps.stepY) {
        DestinationRow<Pixel, Facing> out{surface.At<Pixel>(firstColumn, dest.y + row)};
        std::size_t rowStart = std::size_t(sy >> 16) * std::size_t(sourceWidth);
        int64_t sx = steps.x0;
        for (int i = 0; i < dest.width; ++i, sx += steps.stepX) {
            uint32_t v = source[rowStart + std::size_t(sx >> 16)];
            if (!rule.Skips(v)) {
                out[i] = rule.Blend(out[i], v);
            }
        }
    }
}

// Calls `draw` with the nearest-pixel rule of the depth, colour and mode: every mode but the normal one
// adds. On 32 bits whose colour channels are the low three bytes the blend kernels compute the rules.
template <typename Draw>
void WithStretchRule(const LockedSurface& surface, const Color& color, bool additive, Draw draw)
{
    const bool white = ColorEquals(color, Color::White);
    const ScaledTint tint = ScaleTint(color);
    std::optional<BlendTint> placed = surface.depth == 32 ? TintByBytes(surface, tint) : std::nullopt;
    if (placed) {
        const BlendKernels& kernels = ActiveBlendKernels();
        if (additive) {
            white ? draw(KernelAdd<AddWhite<uint32_t>>{
                        {surface.red, surface.green, surface.blue}, kernels.addWhite, BlendTint()})
                  : draw(KernelAdd<AddTinted<uint32_t>>{
                        {surface.red, surface.green, surface.blue, tint}, kernels.addTinted, *placed});
        } else {
            white ? draw(KernelBlend<MaskedWhite<uint32_t>>{{surface.Masks()}, kernels.blendPremultiplied, BlendTint()})
                  : draw(KernelBlend<MaskedTinted<uint32_t>>{
                        {surface.Masks(), tint}, kernels.blendPremultipliedTinted, *placed});
        }
        return;
    }
    auto forDepth = [&](auto pixel) {
        using P = decltype(pixel);
        if (additive) {
            white ? draw(AddWhite<P>{surface.red, surface.green, surface.blue})
                  : draw(AddTinted<P>{surface.red, surface.green, surface.blue, tint});
        } else {
            white ? draw(MaskedWhite<P>{surface.Masks()}) : draw(MaskedTinted<P>{surface.Masks(), tint});
        }
    };
    surface.depth == 16 ? forDepth(uint16_t()) : forDepth(uint32_t());
}

// The nearest-pixel stretch of a software source: nothing drawn for other sources, whose memory copies go
// all the same.
template <BlitFacing Facing>
void StretchLocked(DDImage& image, Image* source, const Rect& dest, const RectD& sourceArea, const Color& color,
                   int drawMode)
{
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (!memorySource) {
        image.DiscardMemoryCopies();
        return;
    }
    memorySource->UpdateAlphaFlags();
    StretchSteps steps = StepsOf(sourceArea, dest);
    Color tint = ClampColor(color);
    bool locked = DrawOnLockedSurface(image, [&](const LockedSurface& surface) {
        WithStretchRule(surface, tint, drawMode != DrawModeNormal, [&](const auto& rule) {
            WithSourceForm(*memorySource, image.display->GetPixelFormat(), [&](const auto& form) {
                StretchNearest<Facing>(surface, dest, steps, memorySource->width, form, rule);
            });
        });
    });
    if (locked) {
        image.DiscardMemoryCopies();
    }
}

// The source rectangle's pixels after clipping, whole pixels as DirectDraw takes them.
RECT TruncatedRect(const RectD& area)
{
    return {int(area.x), int(area.y), int(area.x + area.width), int(area.y + area.height)};
}

void StretchBySurfaceBlt(DDImage& image, DDImage& source, const Rect& dest, const RectD& area)
{
    image.PauseSurfaceLock();
    RECT destRect{dest.x, dest.y, dest.x + dest.width, dest.y + dest.height};
    RECT sourcePart = TruncatedRect(area);
    image.surface->Blt(&destRect, source.surface, &sourcePart,
                       DDBLT_WAIT | (source.hasTransparency ? DDBLT_KEYSRC : 0u), nullptr);
    image.ResumeSurfaceLock();
    // A lock that could not be taken again leaves the memory copies as the pixels to go by.
    if (image.lockCount == 0 || image.lockDesc.surface) {
        image.DiscardMemoryCopies();
    }
}

// The area filter lays its samples over the clear temporary image as over an opaque one: each colour
// comes out multiplied by its alpha, and is divided back before the temporary is blitted.
void TakeColoursOutOfAlpha(MemoryImage& image)
{
    uint32_t* pixels = image.GetBits();
    if (!pixels) {
        return;
    }
    for (std::size_t i = 0; i < image.GetPixelCount(); ++i) {
        uint32_t alpha = pixels[i] >> 24;
        if (alpha == 0 || alpha == 255) {
            continue;
        }
        auto channel = [&](int shift) {
            uint32_t c = (pixels[i] >> shift) & 0xFF;
            return std::min<uint32_t>((c * 255 + alpha / 2) / alpha, 255) << shift;
        };
        pixels[i] = alpha << 24 | channel(16) | channel(8) | channel(0);
    }
    image.NoteBitsChanged();
}

// The area filter draws untinted into a temporary image; the colour and the mode apply once, when that
// is blitted.
void StretchThroughTemporary(DDImage& image, MemoryImage& source, const Rect& dest, const RectD& area,
                             const Color& color, int drawMode)
{
    MemoryImage temporary(*image.registry);
    temporary.Create(dest.width, dest.height);
    temporary.StretchBlitSmooth(source, Rect(0, 0, dest.width, dest.height), area, Color::White, DrawModeNormal);
    TakeColoursOutOfAlpha(temporary);
    image.Blit(&temporary, dest.x, dest.y, Rect(0, 0, dest.width, dest.height), color, drawMode);
    image.DiscardMemoryCopies();
}

} // namespace

// Images that cannot have a surface (partial alpha, or no display) are stretched in memory.
void DDImage::StretchBlit(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                          const Color& color, int drawMode, bool fast)
{
    UpdateAlphaFlags();
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (IsOn3DTarget()) {
        if (memorySource && !IsEmpty(sourceRect)) {
            Display3D().StretchBlit(*memorySource, destRect, sourceRect, clipRect, color, drawMode, fast, false);
        }
        return;
    }
    bool inMemory = !display || hasPartialAlpha || (!fast && (hasTransparency || display->is3D));
    if (inMemory || (memorySource && !LiesInside(sourceRect, *memorySource))) {
        if (inMemory) {
            MemoryImage::StretchBlit(source, destRect, sourceRect, clipRect, color, drawMode, fast);
        }
        return;
    }
    RectD area;
    Rect dest;
    if (!ClipStretch(sourceRect, clipRect.Intersection(Rect(0, 0, width, height)), destRect, area, dest)) {
        return;
    }
    if (!fast) {
        if (memorySource) {
            StretchThroughTemporary(*this, *memorySource, dest, area, color, drawMode);
        }
        return;
    }
    auto* surfaceSource = dynamic_cast<DDImage*>(source);
    if (surfaceSource && ColorEquals(ClampColor(color), Color::White) && drawMode == DrawModeNormal) {
        surfaceSource->UpdateAlphaFlags();
        if (!surfaceSource->hasPartialAlpha && surfaceSource->GetSurface() && GetSurface()) {
            StretchBySurfaceBlt(*this, *surfaceSource, dest, area);
            return;
        }
    }
    StretchLocked<BlitFacing::Plain>(*this, source, dest, area, color, drawMode);
}

void DDImage::StretchBlitMirror(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                                const Color& color, int drawMode, bool fast)
{
    UpdateAlphaFlags();
    if (IsOn3DTarget()) {
        auto* memorySource = dynamic_cast<MemoryImage*>(source);
        if (memorySource && !IsEmpty(sourceRect)) {
            Display3D().StretchBlit(*memorySource, destRect, sourceRect, clipRect, color, drawMode, fast, true);
        }
        return;
    }
    if (!display || hasPartialAlpha) {
        MemoryImage::StretchBlitMirror(source, destRect, sourceRect, clipRect, color, drawMode, fast);
        return;
    }
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    RectD area;
    Rect dest;
    if ((memorySource && !LiesInside(sourceRect, *memorySource)) || IsEmpty(destRect) ||
        !ClipStretchMirror(sourceRect, clipRect.Intersection(Rect(0, 0, width, height)), destRect, area, dest) ||
        IsEmpty(dest)) {
        return;
    }
    StretchLocked<BlitFacing::Mirrored>(*this, source, dest, area, color, drawMode);
}

} // namespace Tolm
