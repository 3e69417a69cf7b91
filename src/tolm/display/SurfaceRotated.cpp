// The rotated blit into a surface image's locked surface, in the surface's own pixel format: the rows of
// the rotated bounds mapped back into the source rectangle in 16.16 fixed point, each pixel a bilinear
// sample of its 2 x 2 texels weighed by area and by their alphas. Every source form, depth, colour and
// mode has its own loop; 5-6-5 and 5-5-5 scale the destination with one multiply on the spread word. A
// draw that is only moved (the fractional blit) onto 32 bits goes to the blend kernels a row at a time.
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "display/SurfaceDrawing.h"
#include "graphics/BlendKernels.h"
#include "graphics/RotatedRows.h"
#include "graphics/RotationSampling.h"
#include "graphics/SoftwareDraw.h"

namespace Tolm {

using namespace SurfaceBlend;
using RotatedRows::RotatedPlan;
using RotatedRows::RowSpan;
using RotationSampling::Sums;

namespace {

// The sums hold Σ channel x weight per 8-bit channel; a channel of n bits takes their top n of 16 bits.
[[gnu::always_inline]] inline uint32_t SourceTerm(uint32_t sum, const SurfaceChannel& c)
{
    return (sum >> (16 - c.bits)) << c.shift;
}

// Opaque white on 5-6-5 and 5-5-5 in RGB order: the destination scaled by the 5-bit share the sample
// leaves it, the sample added at the layout's widths.
template <uint32_t K>
struct RotatedSpreadWhite
{
    using Pixel = uint16_t;

    [[gnu::always_inline]] Pixel operator()(Pixel d, const Sums& sums) const
    {
        uint32_t k = 256 - sums.total;
        uint32_t e = (((k >> 3) * Spread<K>(d)) >> 5) & K;
        uint32_t red = sums.red >> 8;
        uint32_t green = sums.green >> 8;
        uint32_t blue = sums.blue >> 8;
        if constexpr (K == kSpread565) {
            e += ((green >> 2) << 21) + ((red >> 3) << 11) + (blue >> 3);
        } else {
            e += ((green >> 3) << 21) + ((red >> 3) << 10) + (blue >> 3);
        }
        return Pixel(Fold(e));
    }
};

// Opaque white on 32 bits in RGB order: 8-bit channels at 16, 8 and 0; the top byte becomes 0.
struct RotatedRgb32White
{
    using Pixel = uint32_t;

    [[gnu::always_inline]] Pixel operator()(Pixel d, const Sums& sums) const
    {
        uint32_t k = 256 - sums.total;
        auto mix = [d, k](uint32_t sum, int shift) {
            return ((sum >> 8) + ((((d >> shift) & 0xFF) * k) >> 8)) << shift;
        };
        return mix(sums.red, 16) | mix(sums.green, 8) | mix(sums.blue, 0);
    }
};

// The per-channel form: any other layout, or either depth out of RGB order.
template <typename P>
struct RotatedMaskedWhite
{
    using Pixel = P;
    SurfaceChannel red, green, blue;

    [[gnu::always_inline]] Pixel operator()(Pixel d, const Sums& sums) const
    {
        uint32_t k = 256 - sums.total;
        return Pixel((SourceTerm(sums.red, red) + Keep(d, red.mask, k)) |
                     (SourceTerm(sums.green, green) + Keep(d, green.mask, k)) |
                     (SourceTerm(sums.blue, blue) + Keep(d, blue.mask, k)));
    }
};

// Tinted: the weights carry the colour's alpha already; its channels scale the sums, c + 1 letting 255
// keep a channel.
template <typename P>
struct RotatedMaskedTinted
{
    using Pixel = P;
    SurfaceChannel red, green, blue;
    Color tint;

    [[gnu::always_inline]] Pixel operator()(Pixel d, const Sums& sums) const
    {
        uint32_t k = 256 - sums.total;
        uint32_t r = (((sums.red << 8) * uint32_t(tint.red + 1)) >> (32 - red.bits)) << red.shift;
        uint32_t g = ((sums.green * uint32_t(tint.green + 1)) >> (24 - green.bits)) << green.shift;
        uint32_t b = (((sums.blue >> 8) * uint32_t(tint.blue + 1)) >> (16 - blue.bits)) << blue.shift;
        return Pixel((r + Keep(d, red.mask, k)) | (g + Keep(d, green.mask, k)) | (b + Keep(d, blue.mask, k)));
    }
};

// Additive in every colour: the sums scaled by the tint in channel units, then each channel's sum with
// the destination through its saturation table. Red rounds its sum before the product, green and blue
// after.
template <typename P>
struct RotatedAdditive
{
    using Pixel = P;
    SurfaceChannel red, green, blue;
    ScaledTint tint;

    [[gnu::always_inline]] static uint32_t Add(uint32_t d, uint32_t term, const SurfaceChannel& c)
    {
        return uint32_t(c.saturation[term + ((d & c.mask) >> c.shift)]) << c.shift;
    }

    [[gnu::always_inline]] Pixel operator()(Pixel d, const Sums& sums) const
    {
        uint32_t r = ((sums.red >> (16 - red.bits)) * tint.red) >> 8;
        uint32_t g = (sums.green * tint.green) >> (24 - green.bits);
        uint32_t b = (sums.blue * tint.blue) >> (24 - blue.bits);
        return Pixel(Add(d, r, red) | Add(d, g, green) | Add(d, b, blue));
    }
};

// Every pixel of each row's span is sampled and written, a clear neighbourhood included.
template <typename Rule, typename Texels>
void DrawRotatedSpans(const LockedSurface& surface, const RotatedPlan& plan, const Texels& texels, const Rule& rule,
                      uint32_t weightScale)
{
    using Pixel = typename Rule::Pixel;
    int startX = TruncToInt(plan.bounds.x);
    RotatedRows::ForEachRow(plan, [&](int row, int64_t uStart, int64_t vStart, const RowSpan& span) {
        Pixel* dest = surface.At<Pixel>(startX, row);
        int64_t u = uStart + span.lo * plan.du;
        int64_t v = vStart + span.lo * plan.dv;
        for (int64_t k = span.lo; k <= span.hi; ++k, u += plan.du, v += plan.dv) {
            dest[k] = rule(dest[k], RotationSampling::Sample(texels, u, v, weightScale));
        }
    });
}

// Calls `draw` with the loop's rule and the scale of its weights: only a tint in normal mode scales them.
template <typename Draw>
void WithRotatedRule(const LockedSurface& surface, const Color& color, bool additive, Draw draw)
{
    const bool sixteen = surface.depth == 16;
    if (additive) {
        ScaledTint tint = ScaleTint(color);
        sixteen ? draw(RotatedAdditive<uint16_t>{surface.red, surface.green, surface.blue, tint}, 256u)
                : draw(RotatedAdditive<uint32_t>{surface.red, surface.green, surface.blue, tint}, 256u);
        return;
    }
    if (!ColorEquals(color, Color::White)) {
        uint32_t alpha = uint32_t(color.alpha);
        sixteen ? draw(RotatedMaskedTinted<uint16_t>{surface.red, surface.green, surface.blue, color}, alpha)
                : draw(RotatedMaskedTinted<uint32_t>{surface.red, surface.green, surface.blue, color}, alpha);
        return;
    }
    if (surface.rgbOrder && surface.kind == SurfaceKind::Spread565) {
        draw(RotatedSpreadWhite<kSpread565>(), 256u);
    } else if (surface.rgbOrder && surface.kind == SurfaceKind::Spread555) {
        draw(RotatedSpreadWhite<kSpread555>(), 256u);
    } else if (surface.rgbOrder && !sixteen) {
        draw(RotatedRgb32White(), 256u);
    } else if (sixteen) {
        draw(RotatedMaskedWhite<uint16_t>{surface.red, surface.green, surface.blue}, 256u);
    } else {
        draw(RotatedMaskedWhite<uint32_t>{surface.red, surface.green, surface.blue}, 256u);
    }
}

// A draw that is only moved, onto 32 bits with red, green and blue in the low three bytes from the top: whole
// rows go to the blend kernels, which give the same pixels.
bool ShiftsOntoRgb32(const LockedSurface& surface, const RotatedPlan& plan)
{
    return plan.du == RotatedRows::One && plan.dv == 0 && surface.kind == SurfaceKind::Bits32 &&
           surface.red.mask == 0x00FF0000 && surface.green.mask == 0x0000FF00 && surface.blue.mask == 0x000000FF;
}

// The kernels' rule for the surface's: the addition always tinted, by the colour scaled by its alpha.
SampleRule SurfaceSampleRule(const Color& tint, bool additive)
{
    if (additive) {
        ScaledTint scaled = ScaleTint(tint);
        return {true, false, {scaled.red, scaled.green, scaled.blue, scaled.alpha}};
    }
    return {false, ColorEquals(tint, Color::White), ToTint(tint)};
}

template <typename Texels>
void DrawOnSurface(const LockedSurface& surface, const RotatedPlan& plan, const Texels& texels, const Color& tint,
                   bool additive)
{
    if (ShiftsOntoRgb32(surface, plan)) {
        RotatedRows::DrawShiftedRows(surface.Row<uint32_t>(0), std::size_t(surface.rowBytes) / sizeof(uint32_t), plan,
                                     texels, SurfaceSampleRule(tint, additive),
                                     ActiveBlendKernels().sampleShiftedOntoSurface);
        return;
    }
    WithRotatedRule(surface, tint, additive, [&](const auto& rule, uint32_t weightScale) {
        DrawRotatedSpans(surface, plan, texels, rule, weightScale);
    });
}

} // namespace

// Images that keep their pixels in memory are drawn there. Angle 0 at whole coordinates draws the
// rectangle less its first and last column and its last row, as the software renderer does: the limits
// keep every right and lower neighbour inside the rectangle.
void DDImage::BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect,
                          const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    if (noReadBack) {
        return;
    }
    if (IsOn3DTarget()) {
        if (auto* memorySource = dynamic_cast<MemoryImage*>(source)) {
            Display3D().BlitRotated(*memorySource, x, y, clipRect, color, drawMode, angle, centerX, centerY,
                                    sourceRect);
        }
        return;
    }
    if (DrawsInMemory()) {
        MemoryImage::BlitRotated(source, x, y, sourceRect, clipRect, color, drawMode, angle, centerX, centerY);
        return;
    }
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (memorySource && (IsEmpty(sourceRect) || !LiesInside(sourceRect, *memorySource))) {
        return;
    }
    Rect clip = clipRect.Intersection(Rect(0, 0, width, height));
    std::optional<RotatedPlan> plan = RotatedRows::PlanRotation(x, y, sourceRect, clip, angle, centerX, centerY);
    if (!plan) {
        return;
    }
    if (!memorySource) {
        DiscardMemoryCopies();
        return;
    }
    memorySource->UpdateAlphaFlags();
    std::size_t stride = std::size_t(memorySource->width);
    std::size_t origin = std::size_t(sourceRect.y) * stride + std::size_t(sourceRect.x);
    const uint32_t* pixels = memorySource->HasPalette() ? nullptr : memorySource->GetBits();
    if (!memorySource->HasPalette() && !pixels) {
        return;
    }
    Color tint = ClampColor(color);
    bool additive = drawMode != DrawModeNormal;
    bool locked = DrawOnLockedSurface(*this, [&](const LockedSurface& surface) {
        if (memorySource->HasPalette()) {
            RotationSampling::PaletteTexels texels{memorySource->colorIndices.get() + origin,
                                                   memorySource->colorTable.get(), stride};
            DrawOnSurface(surface, *plan, texels, tint, additive);
        } else {
            DrawOnSurface(surface, *plan, RotationSampling::DirectTexels{pixels + origin, stride}, tint, additive);
        }
    });
    if (locked) {
        DiscardMemoryCopies();
    }
}

} // namespace Tolm
