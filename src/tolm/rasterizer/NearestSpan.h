// The spans of the nearest-texel blended routines, with or without the global colour or vertex colours,
// drawn whole by the kernels of NearestSpanKernels.h where the processor has them: the fetches,
// modulations, stores and straight-alpha blends of TrianglePixelStep.h and PixelFormats.h, bit for bit.
// A routine prepares one per triangle, which does the kernels' set-up once for all the triangle's spans.
#pragma once

#include "rasterizer/NearestSpanKernels.h"
#include "rasterizer/PixelFormats.h"
#include "rasterizer/TriangleFeatures.h"

#include <cstdint>
#include <type_traits>

namespace Tolm {

inline constexpr TriangleFeatures kPlainNearestBlend{true, true, false, false, false};
inline constexpr TriangleFeatures kTintedNearestBlend{true, true, false, true, false};
inline constexpr TriangleFeatures kShadedNearestBlend{true, true, true, false, false};
inline constexpr TriangleFeatures kShadedTintedNearestBlend{true, true, true, true, false};

// Draws the first pixels of a span of count pixels and returns how many; the caller draws the rest one by
// one. The routines below draw every pixel here where there are kernels; others draw none.
template <class Format, TriangleFeatures Features>
class NearestSpan
{
public:
    void Prepare(const InterpolantValues&, const TriangleTexture&, const TriangleColor&) {}

    int32_t Draw(typename Format::Pixel*, int32_t, const InterpolantValues&) const { return 0; }
};

template <class Format, TriangleFeatures Features>
requires((std::is_same_v<Format, Argb8888Pixels> || std::is_same_v<Format, Rgb888Pixels>)&&(
    Features == kPlainNearestBlend || Features == kTintedNearestBlend || Features == kShadedNearestBlend ||
    Features == kShadedTintedNearestBlend)) class NearestSpan<Format, Features>
{
public:
    void Prepare(const InterpolantValues& steps, const TriangleTexture& texture, const TriangleColor& color)
    {
        if (kernel) {
            setup = NearestSpanSetup(steps, texture, color);
        }
    }

    int32_t Draw(uint32_t* pixel, int32_t count, const InterpolantValues& values) const
    {
        if (!kernel) {
            return 0;
        }
        kernel(pixel, count, values, setup);
        return count;
    }

private:
    static constexpr SpanModulation kModulation = Features.vertexColors  ? SpanModulation::Vertex
                                                  : Features.globalColor ? SpanModulation::Global
                                                                         : SpanModulation::None;

    static NearestSpanKernel Kernel()
    {
        static const NearestSpanKernel chosen = [] {
            const NearestSpanKernels* kernels = ActiveNearestSpans();
            return kernels ? (*kernels)[NearestSpanIndex(std::is_same_v<Format, Argb8888Pixels>, kModulation)]
                           : nullptr;
        }();
        return chosen;
    }

    NearestSpanKernel kernel = Kernel();
    NearestSpanSetup setup;
};

} // namespace Tolm
