// The spans of the nearest-texel blended routines without vertex colours, with or without the global
// colour, drawn whole by the kernels of NearestSpanKernels.h where the processor has them: the fetches,
// modulations, stores and straight-alpha blends of TrianglePixelStep.h and PixelFormats.h, bit for bit.
#pragma once

#include "rasterizer/NearestSpanKernels.h"
#include "rasterizer/PixelFormats.h"
#include "rasterizer/TriangleFeatures.h"

#include <cstdint>
#include <type_traits>

namespace Tolm {

inline constexpr TriangleFeatures kPlainNearestBlend{true, true, false, false, false};
inline constexpr TriangleFeatures kTintedNearestBlend{true, true, false, true, false};

// Draws the first pixels of a span of count pixels and returns how many; the caller draws the rest one by
// one. The routines below draw every pixel here where there are kernels; others draw none.
template <class Format, TriangleFeatures Features>
struct NearestSpan
{
    static int32_t Draw(typename Format::Pixel*, int32_t, int32_t, int32_t, int32_t, int32_t, const TriangleTexture&,
                        const TriangleColor&)
    {
        return 0;
    }
};

template <class Format, TriangleFeatures Features>
requires((std::is_same_v<Format, Argb8888Pixels> ||
          std::is_same_v<Format, Rgb888Pixels>)&&(Features == kPlainNearestBlend ||
                                                  Features == kTintedNearestBlend)) struct NearestSpan<Format, Features>
{
    static int32_t Draw(uint32_t* pixel, int32_t count, int32_t u, int32_t v, int32_t du, int32_t dv,
                        const TriangleTexture& texture, const TriangleColor& color)
    {
        static const NearestSpanKernel kernel = Kernel();
        if (!kernel) {
            return 0;
        }
        kernel(pixel, count, u, v, du, dv, texture, color);
        return count;
    }

private:
    static NearestSpanKernel Kernel()
    {
        const NearestSpanKernels* kernels = ActiveNearestSpans();
        return kernels ? (*kernels)[NearestSpanIndex(std::is_same_v<Format, Argb8888Pixels>, Features.globalColor)]
                       : nullptr;
    }
};

} // namespace Tolm
