// Fills, lines and coverage spans into a surface image's locked surface, in the surface's own pixel
// format. The colour is worked into the surface's channels once per call; a pixel then costs one
// multiply per channel (translucent fills of 5-6-5 and of 32 bits in bytes go through the blend kernels,
// a row at a time), and additive pixels saturate through the display's tables.
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/SurfaceDrawing.h"
#include "graphics/BlendKernels.h"
#include "graphics/LineClip.h"
#include "graphics/LineWalk.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>
#include <cstring>

namespace Tolm {

using namespace SurfaceBlend;

namespace {

// f(colour component, mask) summed over the three channels.
template <typename F>
uint32_t SumChannels(const Color& color, const ChannelMasks& masks, F f)
{
    return f(uint32_t(color.red), masks.red) + f(uint32_t(color.green), masks.green) +
           f(uint32_t(color.blue), masks.blue);
}

// The blend kernels' translucent fill for the surface's channels: 5-6-5 in either order, or 32 bits whose
// channels are its low three bytes in any order. Null for the others.
template <typename Pixel>
SurfaceFillRow<Pixel> KernelFill(const LockedSurface& surface)
{
    const BlendKernels& kernels = ActiveBlendKernels();
    if constexpr (sizeof(Pixel) == 2) {
        return surface.kind == SurfaceKind::Spread565 ? kernels.fillSurface565 : nullptr;
    } else {
        auto isByte = [](uint32_t mask) { return mask == 0xFF || mask == 0xFF00 || mask == 0xFF0000; };
        bool lowBytes = isByte(surface.red.mask) && isByte(surface.green.mask) && isByte(surface.blue.mask) &&
                        (surface.red.mask | surface.green.mask | surface.blue.mask) == 0x00FFFFFF;
        return lowBytes ? kernels.fillSurface32 : nullptr;
    }
}

// The fill of a rectangle with one value, or with one blend: 16-bit surfaces round the colour up by one
// and the destination by its mask; 32-bit ones store a channel of 255 as 254.
template <typename Pixel>
void FillNormal(const LockedSurface& surface, const Rect& area, const Color& color)
{
    const ChannelMasks masks = surface.Masks();
    const uint32_t alpha = uint32_t(color.alpha);
    const bool sixteen = sizeof(Pixel) == 2;
    if (alpha == 255) {
        Pixel value = Pixel(SumChannels(
            color, masks, [sixteen](uint32_t c, uint32_t m) { return (sixteen ? (c + 1) * m : c * m) >> 8 & m; }));
        // One row filled, the others copied from it: a copy moves whole vectors.
        Pixel* first = surface.At<Pixel>(area.x, area.y);
        std::fill(first, first + area.width, value);
        for (int row = 1; row < area.height; ++row) {
            std::memcpy(surface.At<Pixel>(area.x, area.y + row), first, std::size_t(area.width) * sizeof(Pixel));
        }
        return;
    }
    const uint32_t colour = SumChannels(color, masks, [alpha, sixteen](uint32_t c, uint32_t m) {
        return m * (((alpha * c + (sixteen ? 128 : 127)) >> 8) + 1) >> 8 & m;
    });
    const uint32_t k = 256 - alpha;
    if (SurfaceFillRow<Pixel> fill = KernelFill<Pixel>(surface)) {
        for (int row = 0; row < area.height; ++row) {
            fill(surface.At<Pixel>(area.x, area.y + row), area.width, colour, k);
        }
        return;
    }
    auto keep = [k, sixteen](uint32_t d, uint32_t m) { return ((d & m) * k + (sixteen ? m : 0)) >> 8 & m; };
    for (int row = 0; row < area.height; ++row) {
        Pixel* dest = surface.At<Pixel>(area.x, area.y + row);
        for (int i = 0; i < area.width; ++i) {
            uint32_t d = dest[i];
            dest[i] = Pixel(colour + keep(d, masks.red) + keep(d, masks.green) + keep(d, masks.blue));
        }
    }
}

// The colour's channels as an additive draw adds them: scaled by its alpha, cut to each channel's width.
struct AddedChannels
{
    uint32_t red, green, blue;
};

AddedChannels AddedOf(const LockedSurface& surface, const Color& color)
{
    ScaledTint scaled = ScaleTint(color);
    return {scaled.red >> (8 - surface.red.bits), scaled.green >> (8 - surface.green.bits),
            scaled.blue >> (8 - surface.blue.bits)};
}

[[gnu::always_inline]] inline uint32_t AddChannel(uint32_t d, const SurfaceChannel& c, uint32_t k)
{
    return uint32_t(c.saturation[k + ((d & c.mask) >> c.shift)]) << c.shift;
}

template <typename Pixel>
[[gnu::always_inline]] inline Pixel AddPixel(const LockedSurface& surface, uint32_t d, const AddedChannels& added)
{
    return Pixel(AddChannel(d, surface.red, added.red) | AddChannel(d, surface.green, added.green) |
                 AddChannel(d, surface.blue, added.blue));
}

template <typename Pixel>
void FillAdditive(const LockedSurface& surface, const Rect& area, const Color& color)
{
    AddedChannels added = AddedOf(surface, color);
    for (int row = 0; row < area.height; ++row) {
        Pixel* dest = surface.At<Pixel>(area.x, area.y + row);
        for (int i = 0; i < area.width; ++i) {
            dest[i] = AddPixel<Pixel>(surface, dest[i], added);
        }
    }
}

// Calls `draw` with the surface's pixel type.
template <typename Draw>
void WithPixelType(const LockedSurface& surface, Draw draw)
{
    if (surface.depth == 16) {
        draw(uint16_t());
    } else {
        draw(uint32_t());
    }
}

// A plain line's pixels: an opaque colour stored as one value, any other blended, both rounded by half a
// step of each channel.
template <typename Pixel>
void PlainLineOn(const LockedSurface& surface, double x1, double y1, double x2, double y2, const Color& color)
{
    const ChannelMasks masks = surface.Masks();
    const uint32_t alpha = uint32_t(color.alpha);
    if (alpha == 255) {
        Pixel value =
            Pixel(SumChannels(color, masks, [](uint32_t c, uint32_t m) { return ((m >> 1) + m * c) >> 8 & m; }));
        StepLine(x1, y1, x2, y2, true, [&](int x, int y) { *surface.At<Pixel>(x, y) = value; });
        return;
    }
    const uint32_t colour = SumChannels(
        color, masks, [alpha](uint32_t c, uint32_t m) { return ((m >> 1) + m * ((alpha * c + 128) >> 8)) >> 8 & m; });
    const uint32_t k = 256 - alpha;
    auto keep = [k](uint32_t d, uint32_t m) { return ((m >> 1) + (d & m) * k) >> 8 & m; };
    StepLine(x1, y1, x2, y2, true, [&](int x, int y) {
        Pixel* pixel = surface.At<Pixel>(x, y);
        uint32_t d = *pixel;
        *pixel = Pixel(colour + keep(d, masks.red) + keep(d, masks.green) + keep(d, masks.blue));
    });
}

// (d & M) x (256 - w) + (v & M) x w, over 256, per channel.
[[gnu::always_inline]] inline uint32_t MixChannels(uint32_t d, uint32_t v, uint32_t w, const ChannelMasks& masks)
{
    auto mix = [d, v, w](uint32_t m) { return ((d & m) * (256 - w) + (v & m) * w) >> 8 & m; };
    return mix(masks.red) + mix(masks.green) + mix(masks.blue);
}

// One pixel of the anti-aliased line at weight w: on 5-6-5 and 5-5-5 with 5-bit weights on the spread
// words, elsewhere channel by channel.
template <typename Pixel, SurfaceKind Kind>
struct SmoothPixel
{
    ChannelMasks masks;
    uint32_t colour;

    [[gnu::always_inline]] Pixel operator()(uint32_t d, uint32_t w) const
    {
        if constexpr (Kind == SurfaceKind::Spread565 || Kind == SurfaceKind::Spread555) {
            constexpr uint32_t K = Kind == SurfaceKind::Spread565 ? kSpread565 : kSpread555;
            return Pixel(Fold(((w >> 3) * Spread<K>(uint16_t(colour))) >> 5 & K) +
                         Fold((Spread<K>(uint16_t(d)) * ((256 - w) >> 3)) >> 5 & K));
        } else {
            return Pixel(MixChannels(d, colour, w, masks));
        }
    }
};

template <typename Pixel, SurfaceKind Kind>
void SmoothLineOn(const LockedSurface& surface, int width, int height, double x1, double y1, double x2, double y2,
                  const Color& color)
{
    const ChannelMasks masks = surface.Masks();
    const SmoothPixel<Pixel, Kind> blend{
        masks, Pixel(SumChannels(color, masks, [](uint32_t c, uint32_t m) { return m * c >> 8 & m; }))};
    const uint32_t alpha = uint32_t(color.alpha);
    // The accumulator starts from the first point's fractions, not from where the line crosses its first
    // row or column, so a line can step one pixel past its far end: pixels off the image are left out.
    auto plot = [&](int x, int y, int coverage) {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        uint32_t w = alpha == 255 ? uint32_t(coverage) : (uint32_t(coverage) * (alpha + 1)) >> 8;
        Pixel* pixel = surface.At<Pixel>(x, y);
        *pixel = blend(*pixel, w);
    };
    // Ends in one pixel have no direction to step in: that pixel alone is drawn.
    if (TruncToInt(x1) == TruncToInt(x2) && TruncToInt(y1) == TruncToInt(y2)) {
        int fraction = TruncToInt(std::fabs(y1 - TruncToInt(y1)) * std::fabs(x1 - TruncToInt(x1)) * 65536);
        plot(TruncToInt(x1), TruncToInt(y1), 255 - ((fraction >> 8) & 255));
        return;
    }
    WalkSmoothLine(x1, y1, x2, y2, width, height, plot);
}

// On the 3D target the spans are filled into a clear picture of their bounding box, which is then blitted.
void FillSpansThroughImage(DDImage& target, const FillSpan* spans, int count, const Color& color, int drawMode,
                           const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch, int unused)
{
    int left = spans[0].x;
    int right = spans[0].x + spans[0].width - 1;
    int top = spans[0].y;
    int bottom = spans[0].y;
    for (int i = 1; i < count; ++i) {
        left = std::min(left, spans[i].x);
        right = std::max(right, spans[i].x + spans[i].width - 1);
        top = std::min(top, spans[i].y);
        bottom = std::max(bottom, spans[i].y);
    }
    if (right < left) {
        return;
    }
    std::vector<FillSpan> moved(spans, spans + count);
    for (FillSpan& span : moved) {
        span.x -= left;
        span.y -= top;
    }
    MemoryImage picture;
    picture.Create(right - left + 1, bottom - top + 1);
    picture.ForceAlphaFlags(true, true);
    picture.FillSpansWithCoverage(moved.data(), count, color, drawMode, coverage, coverageX - left, coverageY - top,
                                  coveragePitch, unused);
    target.Blit(&picture, left, top, Rect(0, 0, picture.width, picture.height), Color::White, drawMode);
}

} // namespace

void DDImage::FillRectNormal(const Rect& rect, const Color& color)
{
    Rect area = ClipToImage(rect, *this);
    if (noReadBack || IsEmpty(area)) {
        return;
    }
    DrawOnLockedSurface(*this, [&](const LockedSurface& surface) {
        WithPixelType(surface, [&](auto pixel) { FillNormal<decltype(pixel)>(surface, area, ClampColor(color)); });
    });
}

void DDImage::FillRectAdditive(const Rect& rect, const Color& color)
{
    Rect area = ClipToImage(rect, *this);
    if (noReadBack || IsEmpty(area)) {
        return;
    }
    DrawOnLockedSurface(*this, [&](const LockedSurface& surface) {
        WithPixelType(surface, [&](auto pixel) { FillAdditive<decltype(pixel)>(surface, area, ClampColor(color)); });
    });
}

// Lines reach here clipped by the drawing context; ends outside the image are cut to it all the same, so
// that no line can write past the surface.
void DDImage::DrawLineNormal(double x1, double y1, double x2, double y2, const Color& color)
{
    if (noReadBack || !KeepLineInside(*this, x1, y1, x2, y2)) {
        return;
    }
    DrawOnLockedSurface(*this, [&](const LockedSurface& surface) {
        WithPixelType(surface,
                      [&](auto pixel) { PlainLineOn<decltype(pixel)>(surface, x1, y1, x2, y2, ClampColor(color)); });
    });
}

// The 32-bit additive line starts its error term without the first point's fraction.
void DDImage::DrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color)
{
    if (noReadBack || !KeepLineInside(*this, x1, y1, x2, y2)) {
        return;
    }
    DrawOnLockedSurface(*this, [&](const LockedSurface& surface) {
        AddedChannels added = AddedOf(surface, ClampColor(color));
        WithPixelType(surface, [&](auto pixelType) {
            using Pixel = decltype(pixelType);
            StepLine(x1, y1, x2, y2, surface.depth == 16, [&](int x, int y) {
                Pixel* pixel = surface.At<Pixel>(x, y);
                *pixel = AddPixel<Pixel>(surface, *pixel, added);
            });
        });
    });
}

void DDImage::DrawLineAntiAliasedNormal(double x1, double y1, double x2, double y2, const Color& color)
{
    if (!KeepLineInside(*this, x1, y1, x2, y2)) {
        return;
    }
    DrawOnLockedSurface(*this, [&](const LockedSurface& surface) {
        Color clamped = ClampColor(color);
        switch (surface.kind) {
        case SurfaceKind::Spread565:
            SmoothLineOn<uint16_t, SurfaceKind::Spread565>(surface, width, height, x1, y1, x2, y2, clamped);
            break;
        case SurfaceKind::Spread555:
            SmoothLineOn<uint16_t, SurfaceKind::Spread555>(surface, width, height, x1, y1, x2, y2, clamped);
            break;
        case SurfaceKind::Masked16:
            SmoothLineOn<uint16_t, SurfaceKind::Masked16>(surface, width, height, x1, y1, x2, y2, clamped);
            break;
        case SurfaceKind::Bits32:
            SmoothLineOn<uint32_t, SurfaceKind::Bits32>(surface, width, height, x1, y1, x2, y2, clamped);
            break;
        }
    });
}

// Nothing: on a surface an anti-aliased line draws only in normal mode.
void DDImage::DrawLineAntiAliasedAdditive(double, double, double, double, const Color&) {}

void DDImage::FillSpansWithCoverage(const FillSpan* spans, int count, const Color& color, int drawMode,
                                    const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch,
                                    int unused)
{
    if (count <= 0 || !spans || !coverage) {
        return;
    }
    if (!display) {
        MemoryImage::FillSpansWithCoverage(spans, count, color, drawMode, coverage, coverageX, coverageY, coveragePitch,
                                           unused);
        return;
    }
    if (IsOn3DTarget()) {
        FillSpansThroughImage(*this, spans, count, color, drawMode, coverage, coverageX, coverageY, coveragePitch,
                              unused);
        return;
    }
    Color fill = ClampColor(color);
    const uint32_t alpha = uint32_t(fill.alpha);
    DrawOnLockedSurface(*this, [&](const LockedSurface& surface) {
        const ChannelMasks masks = surface.Masks();
        const uint32_t colour = SumChannels(fill, masks, [](uint32_t c, uint32_t m) { return m * c >> 8 & m; });
        WithPixelType(surface, [&](auto pixelType) {
            using Pixel = decltype(pixelType);
            for (int i = 0; i < count; ++i) {
                const FillSpan& span = spans[i];
                Rect row = ClipToImage(Rect(span.x, span.y, span.width, 1), *this);
                const unsigned char* weights =
                    coverage + std::ptrdiff_t(span.y - coverageY) * coveragePitch - std::ptrdiff_t(coverageX);
                Pixel* dest = surface.Row<Pixel>(row.y);
                for (int x = row.x; x < row.x + row.width; ++x) {
                    uint32_t weight = ((uint32_t(weights[x]) + 1) * alpha) >> 8;
                    dest[x] = Pixel(MixChannels(dest[x], Pixel(colour), weight, masks));
                }
            }
        });
    });
    DiscardMemoryCopies();
}

} // namespace Tolm
