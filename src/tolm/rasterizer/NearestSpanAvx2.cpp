// The nearest-texel blended spans eight pixels at a time in AVX2, chosen at run time on the processors that
// have it: each pixel keeps to a 32-bit lane, where the 16-bit multiplies give the exact products of the
// pixel step and the blend's quotients are taken in single precision, exact as in BilinearSpan.h. The last
// pixels of a span are read and written under a mask, so that a short span takes one pass. Every header is read before
// the switch to AVX2, so that no inline function shared with other files is compiled for it; the code after
// the switch has internal linkage and runs only when the processor has the instructions.
#include "rasterizer/NearestSpanKernels.h"
#include "rasterizer/PixelFormats.h"
#include "rasterizer/TrianglePixelStep.h"

#include <array>
#include <cstdint>

#if defined(__x86_64__)

#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace Tolm {
namespace {

[[gnu::always_inline]] inline __m256i Set(uint32_t value)
{
    return _mm256_set1_epi32(static_cast<int>(value));
}

[[gnu::always_inline]] inline __m256i Channel(__m256i pixels, int shift)
{
    return _mm256_and_si256(_mm256_srli_epi32(pixels, shift), Set(0xFF));
}

// x y for lanes below 2^15, as the 16-bit multiply-add gives it with the high halves zero.
[[gnu::always_inline]] inline __m256i Multiply(__m256i x, __m256i y)
{
    return _mm256_madd_epi16(x, y);
}

// Argb8888Pixels::BlendStraight: the source weighted, composited over the destination by its own alpha,
// the quotients kept to their low 8 bits. A lane with nothing combined keeps its destination.
[[gnu::always_inline]] inline __m256i BlendStraight(Argb8888Pixels, __m256i destination, __m256i color, __m256i weight,
                                                    __m256i clear)
{
    const __m256i destinationAlpha = _mm256_srli_epi32(destination, 24);
    const __m256i keep = _mm256_sub_epi32(Set(256), weight);
    const __m256i combined =
        _mm256_sub_epi32(Set(256), _mm256_srli_epi32(Multiply(_mm256_sub_epi32(Set(256), destinationAlpha), keep), 8));
    // Over opaque pixels every lane with some weight combines to 256 and divides by shifting; a weight of 0
    // combines to 255 even there. Lanes whose sample is clear keep their pixel whatever they divide by.
    const bool byShift = _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi32(combined, Set(256)), clear)) == -1;
    const __m256 divisor = _mm256_cvtepi32_ps(_mm256_max_epi16(combined, Set(1)));
    auto channel = [&](int shift) {
        const __m256i weighted = _mm256_srli_epi32(Multiply(Channel(color, shift), weight), 8);
        const __m256i kept =
            Multiply(_mm256_srli_epi32(Multiply(Channel(destination, shift), destinationAlpha), 8), keep);
        const __m256i dividend = _mm256_add_epi32(_mm256_slli_epi32(weighted, 8), kept);
        const __m256i quotient = byShift ? _mm256_srli_epi32(dividend, 8)
                                         : _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(dividend), divisor));
        return _mm256_and_si256(quotient, Set(0xFF));
    };
    const __m256i blended = _mm256_or_si256(
        _mm256_or_si256(_mm256_slli_epi32(_mm256_sub_epi32(combined, Set(1)), 24), _mm256_slli_epi32(channel(16), 16)),
        _mm256_or_si256(_mm256_slli_epi32(channel(8), 8), channel(0)));
    return _mm256_blendv_epi8(blended, destination, _mm256_cmpeq_epi32(combined, _mm256_setzero_si256()));
}

// Each channel (c x w) >> 8, red and blue side by side in one multiply, green in another.
[[gnu::always_inline]] inline __m256i Weigh(__m256i color, __m256i weight)
{
    const __m256i pairs = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(color, Set(0x00FF00FF)),
                                                               _mm256_or_si256(weight, _mm256_slli_epi32(weight, 16))),
                                            8);
    const __m256i middle = _mm256_and_si256(_mm256_mullo_epi16(Channel(color, 8), weight), Set(0xFF00));
    return _mm256_or_si256(pairs, middle);
}

// Rgb888Pixels::BlendStraight: the source and the destination weighted by A and 255 - A, each channel's
// sum kept to its own 8 bits.
[[gnu::always_inline]] inline __m256i BlendStraight(Rgb888Pixels, __m256i destination, __m256i color, __m256i weight,
                                                    __m256i)
{
    const __m256i source = Weigh(color, weight);
    const __m256i kept = Weigh(destination, _mm256_sub_epi32(Set(255), weight));
    const __m256i pairs = _mm256_and_si256(_mm256_add_epi16(source, kept), Set(0x00FF00FF));
    const __m256i middle = _mm256_and_si256(_mm256_add_epi32(source, kept), Set(0xFF00));
    return _mm256_or_si256(Set(0xFF000000), _mm256_or_si256(pairs, middle));
}

// Each channel of the samples' colours (c x f) >> 8 kept to 8 bits, red and blue against the factors
// paired in redBlue (red's in the high half), green against green's: the bits kept lie in the low 16 bits
// of each product, which the 16-bit multiplies give for factors up to 65535.
[[gnu::always_inline]] inline __m256i ModulateColor(__m256i samples, __m256i redBlue, __m256i green)
{
    const __m256i pairs = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(samples, Set(0x00FF00FF)), redBlue), 8);
    const __m256i middle = _mm256_and_si256(_mm256_mullo_epi16(Channel(samples, 8), green), Set(0xFF00));
    return _mm256_or_si256(pairs, middle);
}

// One interpolant's values in the eight lanes of the block starting at value.
[[gnu::always_inline]] inline __m256i Lanes(int32_t value, const std::array<int32_t, kSpanLanes>& laneSteps)
{
    return _mm256_add_epi32(Set(uint32_t(value)),
                            _mm256_load_si256(reinterpret_cast<const __m256i*>(laneSteps.data())));
}

// Texels are read where NearestTexel reads them: row (v >> 16) times the width plus column (u >> 16), in 32
// bits, an index at or past the texture's size reading 0. A sample of alpha 8 or less leaves its pixel; from
// kOpaqueWeight up it is stored; between, it blends. Vertex colours give each pixel its own factors, the
// 16 bits above the interpolated channel's fraction.
template <class Format, SpanModulation Modulation>
void DrawSpan(uint32_t* pixel, int32_t count, const InterpolantValues& values, const NearestSpanSetup& setup)
{
    const TriangleTexture& texture = setup.texture;
    // Without texels every sample is clear and leaves its pixel.
    if (texture.size <= 0 || !texture.texels) {
        return;
    }
    constexpr bool kVertex = Modulation == SpanModulation::Vertex;
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i us = Lanes(values[kU], setup.laneSteps[kU]);
    __m256i vs = Lanes(values[kV], setup.laneSteps[kV]);
    __m256i alphas, reds, greens, blues;
    if constexpr (kVertex) {
        alphas = Lanes(values[kAlpha], setup.laneSteps[kAlpha]);
        reds = Lanes(values[kRed], setup.laneSteps[kRed]);
        greens = Lanes(values[kGreen], setup.laneSteps[kGreen]);
        blues = Lanes(values[kBlue], setup.laneSteps[kBlue]);
    }
    const TriangleColor& color = setup.color;
    const __m256i width = Set(uint32_t(texture.width));
    const __m256i biasedSize = Set(uint32_t(texture.size) ^ 0x80000000u);
    const __m256i redBlue = Set(uint32_t(color.red) << 16 | uint32_t(color.blue));
    const __m256i green = Set(uint32_t(color.green));
    const __m256i alphaFactor = Set(uint32_t(color.alpha));
    const int* texels = reinterpret_cast<const int*>(texture.texels);
    for (int32_t drawn = 0; drawn < count; drawn += kSpanLanes) {
        const __m256i active = _mm256_cmpgt_epi32(Set(uint32_t(count - drawn)), lane);
        const __m256i index =
            _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(vs, 16), width), _mm256_srli_epi32(us, 16));
        const __m256i inside =
            _mm256_and_si256(active, _mm256_cmpgt_epi32(biasedSize, _mm256_xor_si256(index, Set(0x80000000u))));
        // Read one by one: the gather instruction is slower on many processors. Lanes outside read texel
        // 0 and are cleared after.
        alignas(32) uint32_t at[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), _mm256_and_si256(index, inside));
        const __m128i low = _mm_setr_epi32(texels[at[0]], texels[at[1]], texels[at[2]], texels[at[3]]);
        const __m128i high = _mm_setr_epi32(texels[at[4]], texels[at[5]], texels[at[6]], texels[at[7]]);
        const __m256i samples = _mm256_and_si256(_mm256_set_m128i(high, low), inside);
        us = _mm256_add_epi32(us, Set(uint32_t(setup.blockSteps[kU])));
        vs = _mm256_add_epi32(vs, Set(uint32_t(setup.blockSteps[kV])));
        __m256i alphaFactors, redBlueFactors, greenFactors;
        if constexpr (kVertex) {
            alphaFactors = _mm256_srli_epi32(alphas, 16);
            redBlueFactors = _mm256_or_si256(_mm256_and_si256(reds, Set(0xFFFF0000u)), _mm256_srli_epi32(blues, 16));
            greenFactors = _mm256_srli_epi32(greens, 16);
            alphas = _mm256_add_epi32(alphas, Set(uint32_t(setup.blockSteps[kAlpha])));
            reds = _mm256_add_epi32(reds, Set(uint32_t(setup.blockSteps[kRed])));
            greens = _mm256_add_epi32(greens, Set(uint32_t(setup.blockSteps[kGreen])));
            blues = _mm256_add_epi32(blues, Set(uint32_t(setup.blockSteps[kBlue])));
        }
        // Lanes past the span read nothing, so they are clear too.
        const __m256i alpha = _mm256_srli_epi32(samples, 24);
        const __m256i clear = _mm256_cmpgt_epi32(Set(kTransparentSampleAlpha + 1), alpha);
        if (_mm256_movemask_epi8(clear) == -1) {
            continue;
        }
        __m256i colour = _mm256_and_si256(samples, Set(0x00FFFFFF));
        __m256i weight = alpha;
        if constexpr (Modulation == SpanModulation::Global) {
            colour = ModulateColor(samples, redBlue, green);
            weight = _mm256_srli_epi32(_mm256_mullo_epi16(alpha, alphaFactor), 8);
        } else if constexpr (kVertex) {
            colour = ModulateColor(samples, redBlueFactors, greenFactors);
            // A factor above 255 can weigh past 255; every such weight stores, so it is held at 255, where
            // the blends' arithmetic stays in range for the lanes that use it.
            weight = _mm256_min_epu32(_mm256_srli_epi32(_mm256_mullo_epi32(alphaFactors, alpha), 8), Set(255));
        }
        int* row = reinterpret_cast<int*>(pixel + drawn);
        // Whole blocks take plain loads and stores, cheaper than the masked ones.
        const bool whole = count - drawn >= kSpanLanes;
        const __m256i destination =
            whole ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row)) : _mm256_maskload_epi32(row, active);
        const __m256i opaque = _mm256_cmpgt_epi32(weight, Set(kOpaqueWeight - 1));
        const __m256i stored = _mm256_or_si256(Set(0xFF000000), colour);
        const __m256i blended =
            _mm256_movemask_epi8(opaque) == -1 ? stored : BlendStraight(Format(), destination, colour, weight, clear);
        const __m256i result = _mm256_blendv_epi8(_mm256_blendv_epi8(blended, stored, opaque), destination, clear);
        if (whole) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), result);
        } else {
            _mm256_maskstore_epi32(row, active, result);
        }
    }
}

template <class Format, bool Argb>
void Fill(NearestSpanKernels& table)
{
    table[NearestSpanIndex(Argb, SpanModulation::None)] = &DrawSpan<Format, SpanModulation::None>;
    table[NearestSpanIndex(Argb, SpanModulation::Global)] = &DrawSpan<Format, SpanModulation::Global>;
    table[NearestSpanIndex(Argb, SpanModulation::Vertex)] = &DrawSpan<Format, SpanModulation::Vertex>;
}

} // namespace
} // namespace Tolm

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace Tolm {

const NearestSpanKernels* Avx2NearestSpans()
{
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2")) {
        return nullptr;
    }
    static const NearestSpanKernels kernels = [] {
        NearestSpanKernels table{};
        Fill<Argb8888Pixels, true>(table);
        Fill<Rgb888Pixels, false>(table);
        return table;
    }();
    return &kernels;
}

} // namespace Tolm

#else

namespace Tolm {

const NearestSpanKernels* Avx2NearestSpans()
{
    return nullptr;
}

} // namespace Tolm

#endif
