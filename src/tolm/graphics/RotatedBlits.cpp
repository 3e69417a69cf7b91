// Rotated and fractionally placed blits onto a software image, sampled bilinearly in 16.16 fixed point.
// Each destination row is mapped back into the source once; the texel position then advances by two
// constant steps per pixel, and limits worked out per row keep every 2 x 2 neighbourhood inside the source
// rectangle, so the inner loop needs no bounds test and no floating point.
#include "graphics/BlendKernels.h"
#include "graphics/MemoryImage.h"
#include "graphics/RotatedRows.h"
#include "graphics/RotationSampling.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace Tolm {

namespace {

using RotatedRows::One;
using RotatedRows::RotatedPlan;
using RotatedRows::RowSpan;
using RotationSampling::DirectTexels;
using RotationSampling::PaletteTexels;
using RotationSampling::Sums;

// The rules of step 7 as function objects, so that each rotated loop is compiled with its own.
struct NormalWhiteRule
{
    [[gnu::always_inline]] uint32_t operator()(uint32_t d, const Sums& sums) const
    {
        return RotationSampling::NormalWhite(d, sums);
    }
};

struct NormalTintedRule
{
    BlendTint tint;

    [[gnu::always_inline]] uint32_t operator()(uint32_t d, const Sums& sums) const
    {
        return RotationSampling::NormalTinted(d, sums, tint);
    }
};

struct AdditiveWhiteRule
{
    [[gnu::always_inline]] uint32_t operator()(uint32_t d, const Sums& sums) const
    {
        return RotationSampling::AdditiveWhite(d, sums);
    }
};

struct AdditiveTintedRule
{
    BlendTint scaled;

    [[gnu::always_inline]] uint32_t operator()(uint32_t d, const Sums& sums) const
    {
        return RotationSampling::AdditiveTinted(d, sums, scaled);
    }
};

template <typename Texels, typename Rule>
void DrawRotatedRows(uint32_t* pixels, std::size_t pitch, const RotatedPlan& plan, const Texels& texels,
                     const Rule& rule, uint32_t weightScale)
{
    std::size_t startX = std::size_t(TruncToInt(plan.bounds.x));
    RotatedRows::ForEachRow(plan, [&](int row, int64_t uStart, int64_t vStart, const RowSpan& span) {
        uint32_t* dest = pixels + std::size_t(row) * pitch + startX;
        int64_t u = uStart + span.lo * plan.du;
        int64_t v = vStart + span.lo * plan.dv;
        for (int64_t k = span.lo; k <= span.hi; ++k, u += plan.du, v += plan.dv) {
            Sums sums = RotationSampling::Sample(texels, u, v, weightScale);
            if (sums.weighed) {
                dest[k] = rule(dest[k], sums);
            }
        }
    });
}

template <typename Texels>
void DrawRotatedWithRule(uint32_t* pixels, std::size_t pitch, const RotatedPlan& plan, const Texels& texels,
                         const Color& tint, int drawMode)
{
    SampleRule rule{drawMode != DrawModeNormal, ColorEquals(tint, Color::White), ToTint(tint)};
    if (rule.additive && !rule.white) {
        rule.tint.red = rule.tint.red * rule.tint.alpha / 255;
        rule.tint.green = rule.tint.green * rule.tint.alpha / 255;
        rule.tint.blue = rule.tint.blue * rule.tint.alpha / 255;
    }
    if (plan.du == One && plan.dv == 0) {
        RotatedRows::DrawShiftedRows(pixels, pitch, plan, texels, rule, ActiveBlendKernels().sampleShifted);
        return;
    }
    uint32_t scale = RotationSampling::WeightScale(rule);
    if (!rule.additive) {
        if (rule.white) {
            DrawRotatedRows(pixels, pitch, plan, texels, NormalWhiteRule(), scale);
        } else {
            DrawRotatedRows(pixels, pitch, plan, texels, NormalTintedRule{rule.tint}, scale);
        }
    } else if (rule.white) {
        DrawRotatedRows(pixels, pitch, plan, texels, AdditiveWhiteRule(), scale);
    } else {
        DrawRotatedRows(pixels, pitch, plan, texels, AdditiveTintedRule{rule.tint}, scale);
    }
}

} // namespace

bool MemoryImage::GetRotatedBounds(float x, float y, const Rect& sourceRect, const Rect& clipRect, double angle,
                                   RectD& bounds, float centerX, float centerY)
{
    float c = float(std::cos(angle));
    float s = float(std::sin(angle));
    float minX = 10000000, minY = 10000000;
    float maxX = -10000000, maxY = -10000000;
    float w = float(sourceRect.width);
    float h = float(sourceRect.height);
    const float corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (const auto& corner : corners) {
        float dx = corner[0] - centerX;
        float dy = corner[1] - centerY;
        float destX = x + centerX + c * dx + s * dy;
        float destY = y + centerY - s * dx + c * dy;
        minX = std::min(minX, destX);
        minY = std::min(minY, destY);
        maxX = std::max(maxX, destX);
        maxY = std::max(maxY, destY);
    }
    RectD clip(clipRect.x, clipRect.y, clipRect.width, clipRect.height);
    bounds = RectD(minX, minY, maxX - minX, maxY - minY).Intersect(clip);
    return bounds.width > 0 && bounds.height > 0;
}

void MemoryImage::BlitF(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect,
                        const Color& color, int drawMode)
{
    BlitRotated(source, x, y, sourceRect, clipRect, color, drawMode, 0, 0, 0);
}

void MemoryImage::BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect,
                              const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (!memorySource || IsEmpty(sourceRect) || !LiesInside(sourceRect, *memorySource)) {
        return;
    }
    Rect clip = clipRect.Intersection(Rect(0, 0, width, height));
    std::optional<RotatedPlan> plan = RotatedRows::PlanRotation(x, y, sourceRect, clip, angle, centerX, centerY);
    if (!plan) {
        return;
    }
    uint32_t* pixels = GetBits();
    if (!pixels) {
        return;
    }

    Color tint = ClampColor(color);
    std::size_t sourceStride = std::size_t(memorySource->width);
    std::size_t origin = std::size_t(sourceRect.y) * sourceStride + std::size_t(sourceRect.x);
    if (memorySource->HasPalette()) {
        PaletteTexels texels{memorySource->colorIndices.get() + origin, memorySource->colorTable.get(), sourceStride};
        DrawRotatedWithRule(pixels, std::size_t(width), *plan, texels, tint, drawMode);
    } else if (memorySource == this) {
        // Drawn onto itself, the source is read from a copy taken before the first write.
        std::vector<uint32_t> copy(pixels, pixels + GetPixelCount());
        DrawRotatedWithRule(pixels, std::size_t(width), *plan, DirectTexels{copy.data() + origin, sourceStride}, tint,
                            drawMode);
    } else if (const uint32_t* sourcePixels = memorySource->GetBits()) {
        DrawRotatedWithRule(pixels, std::size_t(width), *plan, DirectTexels{sourcePixels + origin, sourceStride}, tint,
                            drawMode);
    } else {
        return;
    }
    NoteBitsChanged();
}

} // namespace Tolm
