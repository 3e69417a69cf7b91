// The scan conversion every triangle routine shares: vertices ordered by y, edges and gradients in 16.16
// with 64-bit reciprocals, pre-steps to the first whole row and pixel, then the two halves of the triangle
// row by row. A pixel is covered when its integer corner lies inside; top and left edges are inclusive,
// bottom and right exclusive, and the x of an edge on a row depends only on its two end points, so
// triangles sharing an edge neither overlap nor leave a gap along it.
#pragma once

#include "rasterizer/BilinearSpan.h"
#include "rasterizer/FixedPoint.h"
#include "rasterizer/NearestSpan.h"
#include "rasterizer/ShadedSpan.h"
#include "rasterizer/TriangleFeatures.h"
#include "rasterizer/TrianglePixelStep.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace Tolm {

template <class Format, TriangleFeatures Features>
class TriangleFrame
{
public:
    static void Draw(FixedVertex* vertices, void* bits, int pitch, const TriangleTexture* texture,
                     const TriangleColor* color, const SpanLimits& limits)
    {
        TriangleFrame frame(bits, pitch, limits);
        if constexpr (Features.textured) {
            frame.texture = *texture;
        }
        if constexpr (Features.globalColor && !Features.vertexColors) {
            frame.color = *color;
        }
        if constexpr (Features.globalColor && Features.vertexColors) {
            FoldGlobalColor(vertices, *color);
        }
        frame.Walk(vertices);
    }

private:
    using Pixel = typename Format::Pixel;
    using Step = TrianglePixelStep<Format, Features>;
    static constexpr auto kActive = ActiveInterpolants<Features>();

    // Unrolled at compile time, so that the values of a span live in registers.
    template <class Function>
    static void ForEachActive(Function&& function)
    {
        [&]<std::size_t... Index>(std::index_sequence<Index...>)
        {
            (function(kActive[Index]), ...);
        }
        (std::make_index_sequence<kActive.size()>{});
    }

    struct Edge
    {
        int32_t x = 0;
        int32_t slope = 0;
    };

    TriangleFrame(void* bits, int pitch, const SpanLimits& limits)
        : bits(static_cast<std::byte*>(bits)), rowStride(pitch & Format::kPitchMask), limits(limits)
    {}

    // The global colour then counts once: these routines read it nowhere else.
    static void FoldGlobalColor(FixedVertex* vertices, const TriangleColor& color)
    {
        for (int k = 0; k < 3; ++k) {
            FixedVertex& vertex = vertices[k];
            vertex.a = Fold(vertex.a, color.alpha);
            vertex.r = Fold(vertex.r, color.red);
            vertex.g = Fold(vertex.g, color.green);
            vertex.b = Fold(vertex.b, color.blue);
        }
    }

    static int32_t Fold(int32_t channel, int factor)
    {
        return static_cast<int32_t>((static_cast<uint32_t>(channel) * static_cast<uint32_t>(factor)) >> 8);
    }

    void Walk(FixedVertex* vertices)
    {
        using namespace FixedPoint;
        // Strict comparisons: vertices of equal y keep their order of arrival.
        const FixedVertex* top = &vertices[0];
        const FixedVertex* middle = &vertices[1];
        const FixedVertex* bottom = &vertices[2];
        if (top->y > middle->y) {
            std::swap(top, middle);
        }
        if (middle->y > bottom->y) {
            std::swap(middle, bottom);
        }
        if (top->y > middle->y) {
            std::swap(top, middle);
        }

        const int32_t firstRow = PixelCeiling(top->y);
        const int32_t endRow = PixelCeiling(bottom->y);
        if (endRow <= firstRow) {
            return;
        }
        const int32_t midRow = PixelCeiling(middle->y);

        const int64_t longReciprocal = Reciprocal(Subtract(bottom->y, top->y));
        longEdge.slope = Slope(Subtract(bottom->x, top->x), longReciprocal);
        for (Interpolant q : kActive) {
            rowSteps[q] = Slope(Subtract(bottom->*kInterpolantFields[q], top->*kInterpolantFields[q]), longReciprocal);
        }

        const int32_t middleHeight = Subtract(middle->y, top->y);
        const int32_t xSplit = Add(top->x, Product1616(longEdge.slope, middleHeight));
        if (xSplit == middle->x) {
            return;
        }
        longIsLeft = xSplit < middle->x;

        // Per-pixel steps from the width at the middle vertex, once for the whole triangle.
        const int64_t widthReciprocal = Reciprocal(Subtract(middle->x, xSplit));
        for (Interpolant q : kActive) {
            int64_t along = (int64_t(rowSteps[q]) * middleHeight) >> 16;
            int64_t across = int64_t(middle->*kInterpolantFields[q]) - int64_t(top->*kInterpolantFields[q]) - along;
            pixelSteps[q] = Slope(across, widthReciprocal);
        }

        if constexpr (!Features.bilinear) {
            nearestSpan.Prepare(pixelSteps, texture, color);
        }

        const int32_t preStep = Subtract(firstRow << 16, top->y);
        longEdge.x = Add(top->x, Product1616(longEdge.slope, preStep));
        for (Interpolant q : kActive) {
            longValues[q] = Add(top->*kInterpolantFields[q], Product1616(rowSteps[q], preStep));
        }

        if (midRow > firstRow) {
            Edge shortEdge;
            shortEdge.slope = Slope(Subtract(middle->x, top->x), Reciprocal(middleHeight));
            shortEdge.x = Add(top->x, Product1616(shortEdge.slope, preStep));
            DrawRows(firstRow, midRow, shortEdge);
        }
        if (endRow > midRow) {
            Edge shortEdge;
            shortEdge.slope = Slope(Subtract(bottom->x, middle->x), Reciprocal(Subtract(bottom->y, middle->y)));
            shortEdge.x = Add(middle->x, Product1616(shortEdge.slope, Subtract(midRow << 16, middle->y)));
            DrawRows(midRow, endRow, shortEdge);
        }
    }

    // Rows outside the limits are stepped over in one go; the long edge always ends at rowEnd, where the
    // next half carries on.
    void DrawRows(int32_t rowBegin, int32_t rowEnd, Edge shortEdge)
    {
        const int32_t drawBegin = std::max(rowBegin, limits.top);
        const int32_t drawEnd = std::min(rowEnd, limits.bottom);
        if (drawBegin >= drawEnd) {
            AdvanceLongEdge(int64_t(rowEnd) - rowBegin);
            return;
        }
        AdvanceLongEdge(int64_t(drawBegin) - rowBegin);
        shortEdge.x = FixedPoint::Advance(shortEdge.x, shortEdge.slope, int64_t(drawBegin) - rowBegin);
        for (int32_t row = drawBegin; row < drawEnd; ++row) {
            DrawSpan(row, longIsLeft ? longEdge.x : shortEdge.x, longIsLeft ? shortEdge.x : longEdge.x);
            AdvanceLongEdge(1);
            shortEdge.x = FixedPoint::Add(shortEdge.x, shortEdge.slope);
        }
        AdvanceLongEdge(int64_t(rowEnd) - drawEnd);
    }

    void AdvanceLongEdge(int64_t rows)
    {
        longEdge.x = FixedPoint::Advance(longEdge.x, longEdge.slope, rows);
        for (Interpolant q : kActive) {
            longValues[q] = FixedPoint::Advance(longValues[q], rowSteps[q], rows);
        }
    }

    // The start values are measured from the long edge, whichever side it is on.
    void DrawSpan(int32_t row, int32_t leftX, int32_t rightX)
    {
        using namespace FixedPoint;
        const int32_t first = std::max(PixelCeiling(leftX), limits.left);
        const int32_t end = std::min(PixelCeiling(rightX), limits.right);
        if (end <= first) {
            return;
        }
        const int32_t offset = Subtract(first << 16, longEdge.x);
        InterpolantValues values{};
        for (Interpolant q : kActive) {
            values[q] = Add(longValues[q], Product1616(pixelSteps[q], offset));
        }
        if constexpr (Features.bilinear && Features.textured) {
            // Half a texel back, so that texel centres fall on whole coordinates.
            values[kU] = Subtract(values[kU], 0x8000);
            values[kV] = Subtract(values[kV], 0x8000);
        }

        // Locals, so that the compiler need not reload them after every pixel store.
        const InterpolantValues steps = pixelSteps;
        const TriangleTexture spanTexture = texture;
        const TriangleColor spanColor = color;
        Pixel* pixel = reinterpret_cast<Pixel*>(bits + int64_t(row) * rowStride) + first;
        int32_t count = end - first;
        int32_t drawn = 0;
        if constexpr (!Features.textured) {
            drawn = ShadedSpan<Format>::Draw(pixel, count, values, steps);
        } else if constexpr (Features.bilinear) {
            drawn = BilinearSpan<Format, Features>::Draw(pixel, count, values[kU], values[kV], steps[kU], steps[kV],
                                                         spanTexture);
        } else {
            drawn = nearestSpan.Draw(pixel, count, values);
        }
        if (drawn > 0) {
            pixel += drawn;
            count -= drawn;
            ForEachActive([&](Interpolant q) { values[q] = FixedPoint::Advance(values[q], steps[q], drawn); });
        }
        for (; count > 0; --count, ++pixel) {
            Step::Apply(pixel, values, spanTexture, spanColor);
            ForEachActive([&](Interpolant q) { values[q] = Add(values[q], steps[q]); });
        }
    }

    std::byte* bits;
    int rowStride;
    SpanLimits limits;
    TriangleTexture texture;
    TriangleColor color;

    bool longIsLeft = false;
    Edge longEdge;
    InterpolantValues longValues{};
    InterpolantValues rowSteps{};
    InterpolantValues pixelSteps{};
    NearestSpan<Format, Features> nearestSpan;
};

// The routine of one destination format and one set of features.
template <class Format, TriangleFeatures Features>
void DrawTriangle(FixedVertex* vertices, void* bits, int pitch, const TriangleTexture* texture,
                  const TriangleColor* color, const SpanLimits& limits)
{
    TriangleFrame<Format, Features>::Draw(vertices, bits, pitch, texture, color, limits);
}

} // namespace Tolm
