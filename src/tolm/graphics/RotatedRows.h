// The row walk of the rotated blits, shared by software images and display surfaces: each destination row
// of the bounds is mapped back into the source rectangle once, in 16.16 fixed point, and limits worked out
// per row keep every 2 x 2 neighbourhood the row samples inside the rectangle, so that the pixel loops need
// no bounds test.
#pragma once

#include "graphics/BlendKernels.h"
#include "graphics/MemoryImage.h"
#include "graphics/Rect.h"
#include "graphics/RotationSampling.h"
#include "graphics/TruncToInt.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace Tolm::RotatedRows {

inline constexpr int64_t One = 65536;

// (int)(value x 65536) of the row set-up. Kept in 64 bits and saturated far beyond any image, so that a
// position far outside the source still gives a row the limits reject, never an overflow.
inline int64_t ToFixed(double value)
{
    constexpr double Limit = double(int64_t(1) << 48);
    return int64_t(std::clamp(value * double(One), -Limit, Limit));
}

// The columns lo..hi of a row that sample inside the source rectangle of width w and height h.
struct RowSpan
{
    int64_t lo = 0;
    int64_t hi = 0;
};

// The limits along x keep 0 <= u and the right-hand texel inside; along y the same, but the upper limit of
// a falling v is taken as -(v / dv). Divisions truncate toward zero.
inline std::optional<RowSpan> LimitRow(int64_t uStart, int64_t vStart, int64_t du, int64_t dv, int64_t w, int64_t h,
                                       int64_t last)
{
    RowSpan span{0, last};
    if (du < 0) {
        if (uStart < 0) {
            return std::nullopt;
        }
        span.lo = std::max(span.lo, (w * One - uStart - 0x27FFF) / du);
        span.hi = std::min(span.hi, (0x7FFF - uStart) / du);
    } else if (du > 0) {
        if ((uStart >> 16) >= w - 1) {
            return std::nullopt;
        }
        span.lo = std::max(span.lo, (One - uStart) / du);
        span.hi = std::min(span.hi, (w * One - uStart - 0x17FFF) / du);
    } else if (uStart < 0 || uStart >= w * One - One) {
        return std::nullopt;
    }
    if (dv < 0) {
        if (vStart < 0) {
            return std::nullopt;
        }
        span.lo = std::max(span.lo, (h * One - vStart - 0x27FFF) / dv);
        span.hi = std::min(span.hi, -(vStart / dv));
    } else if (dv > 0) {
        if ((vStart >> 16) >= h - 1) {
            return std::nullopt;
        }
        span.lo = std::max(span.lo, (One - vStart) / dv);
        span.hi = std::min(span.hi, (h * One - vStart - 0x17FFF) / dv);
    } else if (vStart < 0 || vStart >= h * One - One) {
        return std::nullopt;
    }
    if (span.lo > span.hi) {
        return std::nullopt;
    }
    return span;
}

// Where a rotated draw lands and how its rows map back into the source rectangle.
struct RotatedPlan
{
    RectD bounds;
    double cosine = 1;
    double sine = 0;
    int64_t du = One;
    int64_t dv = 0;
    float x = 0;
    float y = 0;
    float centerX = 0;
    float centerY = 0;
    int64_t sourceWidth = 0;
    int64_t sourceHeight = 0;
};

// Calls `draw` (row, uStart, vStart, span) for each destination row that samples inside the source.
template <typename DrawRow>
void ForEachRow(const RotatedPlan& plan, const DrawRow& draw)
{
    int startX = TruncToInt(plan.bounds.x);
    int startY = TruncToInt(plan.bounds.y);
    int last = TruncToInt(plan.bounds.width - 1);
    for (int i = 0; i < plan.bounds.height; ++i) {
        int row = startY + i;
        double p = startX - double(plan.centerX) - double(plan.x);
        double q = row - double(plan.centerY) - double(plan.y);
        int64_t uStart = ToFixed(plan.centerX + plan.cosine * p - plan.sine * q);
        int64_t vStart = ToFixed(plan.centerY + plan.sine * p + plan.cosine * q);
        std::optional<RowSpan> span =
            LimitRow(uStart, vStart, plan.du, plan.dv, plan.sourceWidth, plan.sourceHeight, last);
        if (span) {
            draw(row, uStart, vStart, *span);
        }
    }
}

// A draw that is only moved (the plan's du is One and its dv 0): every sample of a row sits at the same
// fraction between texels k and k + 1 of two source rows, so whole rows go to the kernel `sample`, which
// combines them with the 32-bit pixels of rows `pitch` pixels apart.
template <typename Texels>
void DrawShiftedRows(uint32_t* pixels, std::size_t pitch, const RotatedPlan& plan, const Texels& texels,
                     const SampleRule& rule, SampleRow sample)
{
    static thread_local std::vector<uint32_t> scratch;
    scratch.resize(2 * (std::size_t(plan.sourceWidth) + 1));
    ShiftedSampling sampling{{}, rule};
    std::size_t startX = std::size_t(TruncToInt(plan.bounds.x));
    ForEachRow(plan, [&](int row, int64_t uStart, int64_t vStart, const RowSpan& span) {
        RotationSampling::AreaWeights(RotationSampling::OddFraction(uStart), RotationSampling::OddFraction(vStart),
                                      sampling.area);
        int count = int(span.hi - span.lo + 1);
        std::size_t offset = std::size_t(vStart >> 16) * texels.stride + std::size_t((uStart >> 16) + span.lo);
        const uint32_t* top = texels.Run(offset, count + 1, scratch.data());
        const uint32_t* bottom = texels.Run(offset + texels.stride, count + 1, scratch.data() + count + 1);
        sample(pixels + std::size_t(row) * pitch + startX + std::size_t(span.lo), top, bottom, count, sampling);
    });
}

// The plan of a rotation about (centerX, centerY) of the rectangle, drawn with its top-left at (x, y) and
// cut to the clip; none when nothing lands inside it or a position or the angle is not finite.
inline std::optional<RotatedPlan> PlanRotation(float x, float y, const Rect& sourceRect, const Rect& clip, double angle,
                                               float centerX, float centerY)
{
    for (double value : {double(x), double(y), angle, double(centerX), double(centerY)}) {
        if (!std::isfinite(value)) {
            return std::nullopt;
        }
    }
    RotatedPlan plan;
    if (!MemoryImage::GetRotatedBounds(x, y, sourceRect, clip, angle, plan.bounds, centerX, centerY)) {
        return std::nullopt;
    }
    plan.cosine = std::cos(angle);
    plan.sine = std::sin(angle);
    plan.du = TruncToInt(plan.cosine * double(One));
    plan.dv = TruncToInt(plan.sine * double(One));
    plan.x = x;
    plan.y = y;
    plan.centerX = centerX;
    plan.centerY = centerY;
    plan.sourceWidth = sourceRect.width;
    plan.sourceHeight = sourceRect.height;
    return plan;
}

} // namespace Tolm::RotatedRows
