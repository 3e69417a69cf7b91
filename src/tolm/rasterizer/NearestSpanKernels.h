// The spans of the nearest-texel blended routines (turned and scaled sprites such as particles, and the
// vertex-coloured meshes of the lightning's streams), eight pixels at a time in AVX2 where the processor
// has it. They run where the blend kernels run in AVX2 or wider; QUENDARA_BLEND_KERNELS=sse2 or scalar
// leaves every pixel to the routines' pixel step, for measuring.
#pragma once

#include "rasterizer/TriangleFeatures.h"
#include "rasterizer/TriangleTypes.h"

#include <array>
#include <cstdint>

namespace Tolm {

// How a span's texels are modulated before they are stored or blended: not at all, by the global colour,
// or by the interpolated vertex colours (into which the global colour was folded at set-up).
enum class SpanModulation
{
    None,
    Global,
    Vertex,
};

inline constexpr int kSpanLanes = 8;

// What every span of one triangle shares, made once per triangle: its texture and colour, and each
// interpolant's step across the lanes of a block (lane k holds k steps) and from one block to the next.
struct NearestSpanSetup
{
    alignas(32) std::array<std::array<int32_t, kSpanLanes>, kInterpolantCount> laneSteps{};
    InterpolantValues blockSteps{};
    TriangleTexture texture;
    TriangleColor color;

    NearestSpanSetup() = default;
    NearestSpanSetup(const InterpolantValues& steps, const TriangleTexture& texture, const TriangleColor& color);
};

// Draws every pixel of a span of count pixels whose interpolants start at values, reading and writing
// nothing else.
using NearestSpanKernel = void (*)(uint32_t* pixel, int32_t count, const InterpolantValues& values,
                                   const NearestSpanSetup& setup);
using NearestSpanKernels = std::array<NearestSpanKernel, 6>;

// The kernel for a destination with alpha (else without) and a modulation.
constexpr std::size_t NearestSpanIndex(bool argb, SpanModulation modulation)
{
    return (argb ? 0 : 3) + static_cast<std::size_t>(modulation);
}

// The AVX2 kernels by NearestSpanIndex; null when the processor lacks AVX2.
const NearestSpanKernels* Avx2NearestSpans();

// The kernels the routines draw their spans with; null when the pixel step draws every pixel.
const NearestSpanKernels* ActiveNearestSpans();

} // namespace Tolm
