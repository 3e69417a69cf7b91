// The spans of the untextured routines into 16-bit pixels, four pixels at a time in SSE2 where all four
// are opaque (interpolated alpha above 240.0, as nearly every pixel of a shaded fill is): the integer
// parts of the interpolated channels packed and stored, as PixelFormats.h's shaded fill stores them.
// Blocks with a pixel that blends or is skipped, and the last pixels of a span, are left to the pixel step.
#pragma once

#include "rasterizer/BilinearSpan.h"
#include "rasterizer/FixedPoint.h"
#include "rasterizer/PixelFormats.h"
#include "rasterizer/TriangleFeatures.h"

#include <cstdint>
#include <type_traits>

namespace Tolm {

// Draws the first pixels of a span and returns how many; the caller draws the rest one by one. Other
// formats draw none here.
template <class Format>
struct ShadedSpan
{
    static int32_t Draw(typename Format::Pixel*, int32_t, const InterpolantValues&, const InterpolantValues&)
    {
        return 0;
    }
};

#if defined(__x86_64__)

template <class Format>
requires(std::is_same_v<Format, Rgb565Pixels> || std::is_same_v<Format, Rgb555Pixels>) struct ShadedSpan<Format>
{
    static int32_t Draw(uint16_t* pixel, int32_t count, const InterpolantValues& values, const InterpolantValues& steps)
    {
        if (count < 4) {
            return 0;
        }
        auto lanes = [&](Interpolant q) {
            const int32_t step = steps[q];
            return _mm_add_epi32(_mm_set1_epi32(values[q]), _mm_setr_epi32(0, step, FixedPoint::Advance(0, step, 2),
                                                                           FixedPoint::Advance(0, step, 3)));
        };
        auto blockStep = [&](Interpolant q) { return _mm_set1_epi32(FixedPoint::Advance(0, steps[q], 4)); };
        __m128i alpha = lanes(kAlpha), red = lanes(kRed), green = lanes(kGreen), blue = lanes(kBlue);
        const __m128i alphaStep = blockStep(kAlpha), redStep = blockStep(kRed), greenStep = blockStep(kGreen),
                      blueStep = blockStep(kBlue);
        // Unsigned comparison through the sign bit: an alpha that dipped below zero counts as huge.
        const __m128i bias = _mm_set1_epi32(int32_t(0x80000000u));
        const __m128i opaqueAbove = _mm_set1_epi32(int32_t(kShadedOpaqueAbove ^ 0x80000000u));
        int32_t drawn = 0;
        for (; drawn + 4 <= count; drawn += 4) {
            const __m128i opaque = _mm_cmpgt_epi32(_mm_xor_si128(alpha, bias), opaqueAbove);
            if (_mm_movemask_epi8(opaque) != 0xFFFF) {
                break;
            }
            SpanLanes::StorePixels(pixel + drawn, Pack(Channel(red), Channel(green), Channel(blue)));
            alpha = _mm_add_epi32(alpha, alphaStep);
            red = _mm_add_epi32(red, redStep);
            green = _mm_add_epi32(green, greenStep);
            blue = _mm_add_epi32(blue, blueStep);
        }
        return drawn;
    }

private:
    static __m128i Channel(__m128i value) { return _mm_and_si128(_mm_srli_epi32(value, 16), _mm_set1_epi32(0xFF)); }

    static __m128i Pack(__m128i red, __m128i green, __m128i blue)
    {
        if constexpr (std::is_same_v<Format, Rgb565Pixels>) {
            return SpanLanes::Pack565(red, green, blue);
        } else {
            return SpanLanes::Pack555(red, green, blue);
        }
    }
};

#endif

} // namespace Tolm
