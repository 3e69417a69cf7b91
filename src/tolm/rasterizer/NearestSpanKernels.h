// The spans of the nearest-texel blended routines without vertex colours (turned and scaled sprites such
// as particles), eight pixels at a time in AVX2 where the processor has it. They run where the blend
// kernels run in AVX2 or wider; QUENDARA_BLEND_KERNELS=sse2 or scalar leaves every pixel to the routines'
// pixel step, for measuring.
#pragma once

#include "rasterizer/TriangleTypes.h"

#include <array>
#include <cstdint>

namespace Tolm {

// Draws every pixel of a span of count pixels whose texel coordinates start at (u, v) and step by (du, dv),
// reading and writing nothing else.
using NearestSpanKernel = void (*)(uint32_t* pixel, int32_t count, int32_t u, int32_t v, int32_t du, int32_t dv,
                                   const TriangleTexture& texture, const TriangleColor& color);
using NearestSpanKernels = std::array<NearestSpanKernel, 4>;

// The kernel for a destination with alpha (else without) and a global colour (else none).
constexpr std::size_t NearestSpanIndex(bool argb, bool tinted)
{
    return (argb ? 0 : 2) + (tinted ? 0 : 1);
}

// The AVX2 kernels by NearestSpanIndex; null when the processor lacks AVX2.
const NearestSpanKernels* Avx2NearestSpans();

// The kernels the routines draw their spans with; null when the pixel step draws every pixel.
const NearestSpanKernels* ActiveNearestSpans();

} // namespace Tolm
