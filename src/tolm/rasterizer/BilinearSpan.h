// The spans of the bilinear blended routines without vertex or global colour, four pixels at a time in
// SSE2, into 32-bit and 16-bit pixels: the samples of TexelSampling.h and the stores and blends of
// PixelFormats.h, bit for bit. Each
// pixel keeps to 32-bit lanes, its channels in the low 16 bits, where the 16-bit multiplies give the
// exact products. The quotients of the straight-alpha blend are taken in single precision, which is exact
// for them: every dividend is below 2^17 and every divisor at most 256, so a correctly rounded quotient
// never reaches the next whole number.
#pragma once

#include "rasterizer/FixedPoint.h"
#include "rasterizer/PixelFormats.h"
#include "rasterizer/TexelSampling.h"
#include "rasterizer/TriangleFeatures.h"
#include "rasterizer/TrianglePixelStep.h"

#include <cstdint>
#include <type_traits>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace Tolm {

inline constexpr TriangleFeatures kPlainBilinearBlend{true, true, false, false, true};

// Draws the first pixels of a span, a multiple of four of them, and returns how many; the caller draws the
// rest one by one. Other routines draw none here.
template <class Format, TriangleFeatures Features>
struct BilinearSpan
{
    static int32_t Draw(typename Format::Pixel*, int32_t, int32_t, int32_t, int32_t, int32_t, const TriangleTexture&)
    {
        return 0;
    }
};

#if defined(__x86_64__)

namespace SpanLanes {

inline __m128i Set(uint32_t value)
{
    return _mm_set1_epi32(static_cast<int>(value));
}

// The four texels of one pixel's sample: (i, j) and (i + 1, j) in the low half of `top`, (i, j + 1) and
// (i + 1, j + 1) in the low half of `bottom`.
inline void FetchPairs(const TriangleTexture& texture, int32_t u, int32_t v, __m128i& top, __m128i& bottom)
{
    uint32_t index = BilinearIndex(texture, u, v);
    uint32_t width = static_cast<uint32_t>(texture.width);
    if (BilinearInside(texture, index)) {
        top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texture.texels + index));
        bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texture.texels + index + width));
        return;
    }
    auto texel = [&](uint32_t at) { return static_cast<int>(FetchTexel(texture, at)); };
    top = _mm_setr_epi32(texel(index), texel(index + 1), 0, 0);
    bottom = _mm_setr_epi32(texel(index + width), texel(index + width + 1), 0, 0);
}

// The first texels of four pixels' pairs, and the second.
inline void Transpose(__m128i p0, __m128i p1, __m128i p2, __m128i p3, __m128i& first, __m128i& second)
{
    __m128 low = _mm_castsi128_ps(_mm_unpacklo_epi64(p0, p1));
    __m128 high = _mm_castsi128_ps(_mm_unpacklo_epi64(p2, p3));
    first = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
    second = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
}

inline __m128i Channel(__m128i pixels, int shift)
{
    return _mm_and_si128(_mm_srli_epi32(pixels, shift), Set(0xFF));
}

struct Samples
{
    __m128i alpha, red, green, blue;
};

// Four samples: each texel weighs (fraction product >> 16) x alpha >> 16, and each channel sums colour x
// weight, at most 255 x 254, before it drops 8 bits.
[[gnu::always_inline]] inline Samples Sample(const TriangleTexture& texture, const int32_t (&u)[4],
                                             const int32_t (&v)[4])
{
    __m128i top[4], bottom[4];
    for (int k = 0; k < 4; ++k) {
        FetchPairs(texture, u[k], v[k], top[k], bottom[k]);
    }
    __m128i texels[4];
    Transpose(top[0], top[1], top[2], top[3], texels[0], texels[1]);
    Transpose(bottom[0], bottom[1], bottom[2], bottom[3], texels[2], texels[3]);

    __m128i fu = _mm_setr_epi32(int(BilinearFraction(u[0])), int(BilinearFraction(u[1])), int(BilinearFraction(u[2])),
                                int(BilinearFraction(u[3])));
    __m128i fv = _mm_setr_epi32(int(BilinearFraction(v[0])), int(BilinearFraction(v[1])), int(BilinearFraction(v[2])),
                                int(BilinearFraction(v[3])));
    __m128i iu = _mm_sub_epi32(Set(0x10000), fu);
    __m128i iv = _mm_sub_epi32(Set(0x10000), fv);
    const __m128i weights[4] = {_mm_mulhi_epu16(iu, iv), _mm_mulhi_epu16(fu, iv), _mm_mulhi_epu16(iu, fv),
                                _mm_mulhi_epu16(fu, fv)};

    __m128i alpha = _mm_setzero_si128();
    __m128i redBlue = _mm_setzero_si128();
    __m128i green = _mm_setzero_si128();
    for (int t = 0; t < 4; ++t) {
        __m128i alphaWeight = _mm_mulhi_epu16(weights[t], _mm_srli_epi32(texels[t], 24));
        alpha = _mm_add_epi32(alpha, alphaWeight);
        // Blue and red side by side in the two 16-bit halves, each times the weight.
        __m128i pairedWeight = _mm_or_si128(alphaWeight, _mm_slli_epi32(alphaWeight, 16));
        redBlue = _mm_add_epi16(redBlue, _mm_mullo_epi16(_mm_and_si128(texels[t], Set(0x00FF00FF)), pairedWeight));
        green = _mm_add_epi16(green, _mm_mullo_epi16(Channel(texels[t], 8), alphaWeight));
    }
    return {alpha, _mm_srli_epi32(redBlue, 24), _mm_srli_epi32(green, 8),
            _mm_srli_epi32(_mm_and_si128(redBlue, Set(0xFFFF)), 8)};
}

inline __m128i Pack(__m128i alpha, __m128i red, __m128i green, __m128i blue)
{
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(alpha, 24), _mm_slli_epi32(red, 16)),
                        _mm_or_si128(_mm_slli_epi32(green, 8), blue));
}

// x y for lanes below 2^15, as the 16-bit multiply-add gives it with the high halves zero.
inline __m128i Multiply(__m128i x, __m128i y)
{
    return _mm_madd_epi16(x, y);
}

inline __m128i Select(__m128i mask, __m128i whenSet, __m128i otherwise)
{
    return _mm_or_si128(_mm_and_si128(mask, whenSet), _mm_andnot_si128(mask, otherwise));
}

// Argb8888Pixels::Composite<true> with the samples' own weights.
inline __m128i BlendOnto(Argb8888Pixels, __m128i destination, const Samples& s)
{
    __m128i destinationAlpha = _mm_srli_epi32(destination, 24);
    __m128i keep = _mm_sub_epi32(Set(256), s.alpha);
    __m128i combined =
        _mm_sub_epi32(Set(256), _mm_srli_epi32(Multiply(_mm_sub_epi32(Set(256), destinationAlpha), keep), 8));
    // Over opaque pixels, as most are, every blending lane combines to 256 and divides by shifting.
    bool byShift = _mm_movemask_epi8(_mm_cmpeq_epi32(destinationAlpha, Set(255))) == 0xFFFF;
    // Lanes that do not blend may have nothing combined; they divide by 1 instead.
    __m128 divisor = _mm_cvtepi32_ps(_mm_max_epi16(combined, Set(1)));
    auto channel = [&](__m128i source, int shift) {
        __m128i kept = Multiply(_mm_srli_epi32(Multiply(Channel(destination, shift), destinationAlpha), 8), keep);
        __m128i dividend = _mm_add_epi32(_mm_slli_epi32(source, 8), kept);
        __m128i quotient =
            byShift ? _mm_srli_epi32(dividend, 8) : _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(dividend), divisor));
        return _mm_min_epi16(quotient, Set(255));
    };
    return Pack(_mm_sub_epi32(combined, Set(1)), channel(s.red, 16), channel(s.green, 8), channel(s.blue, 0));
}

// Rgb888Pixels::BlendWeighted: the sample plus the destination weighted by 255 - A, each channel kept to
// its own 8 bits.
inline __m128i BlendOnto(Rgb888Pixels, __m128i destination, const Samples& s)
{
    __m128i inverse = _mm_sub_epi32(Set(255), s.alpha);
    auto channel = [&](__m128i source, int shift) {
        __m128i kept = _mm_srli_epi32(Multiply(Channel(destination, shift), inverse), 8);
        return _mm_and_si128(_mm_add_epi32(source, kept), Set(0xFF));
    };
    return Pack(Set(255), channel(s.red, 16), channel(s.green, 8), channel(s.blue, 0));
}

// x y for x below 2^16 and y below 2^16, whole, as the low and high halves of the 16-bit products.
inline __m128i MultiplyWide(__m128i x, __m128i y)
{
    return _mm_or_si128(_mm_mullo_epi16(x, y), _mm_slli_epi32(_mm_mulhi_epu16(x, y), 16));
}

inline __m128i Pack565(__m128i red, __m128i green, __m128i blue)
{
    return _mm_or_si128(
        _mm_or_si128(_mm_slli_epi32(_mm_srli_epi32(red, 3), 11), _mm_slli_epi32(_mm_srli_epi32(green, 2), 5)),
        _mm_srli_epi32(blue, 3));
}

inline __m128i Pack555(__m128i red, __m128i green, __m128i blue)
{
    return _mm_or_si128(
        _mm_or_si128(_mm_slli_epi32(_mm_srli_epi32(red, 3), 10), _mm_slli_epi32(_mm_srli_epi32(green, 3), 5)),
        _mm_srli_epi32(blue, 3));
}

// Rgb565Pixels::BlendWeighted and Rgb555Pixels::BlendWeighted: the destination's fields weighted by
// (255 - A) >> 3 over 32 plus the packed sample, each pixel in the low half of its lane.
inline __m128i BlendOnto(Rgb565Pixels, __m128i destination, const Samples& s)
{
    __m128i k = _mm_srli_epi32(_mm_sub_epi32(Set(255), s.alpha), 3);
    __m128i redBlue = _mm_srli_epi32(MultiplyWide(_mm_and_si128(destination, Set(0xF81F)), k), 5);
    __m128i green = _mm_srli_epi32(MultiplyWide(_mm_and_si128(destination, Set(0x07E0)), k), 5);
    __m128i kept = _mm_xor_si128(_mm_and_si128(_mm_xor_si128(green, redBlue), Set(0x07E0)), redBlue);
    return _mm_and_si128(_mm_add_epi32(kept, Pack565(s.red, s.green, s.blue)), Set(0xFFFF));
}

inline __m128i BlendOnto(Rgb555Pixels, __m128i destination, const Samples& s)
{
    __m128i k = _mm_srli_epi32(_mm_sub_epi32(Set(255), s.alpha), 3);
    __m128i redBlue =
        _mm_and_si128(_mm_srli_epi32(MultiplyWide(_mm_and_si128(destination, Set(0x7C1F)), k), 5), Set(0x7C1F));
    __m128i green =
        _mm_and_si128(_mm_srli_epi32(MultiplyWide(_mm_and_si128(destination, Set(0x03E0)), k), 5), Set(0x03E0));
    return _mm_and_si128(_mm_add_epi32(_mm_or_si128(redBlue, green), Pack555(s.red, s.green, s.blue)), Set(0xFFFF));
}

// The pixels a sample from kOpaqueWeight up stores.
inline __m128i Stored(Argb8888Pixels, const Samples& s)
{
    return Pack(Set(255), s.red, s.green, s.blue);
}

inline __m128i Stored(Rgb888Pixels, const Samples& s)
{
    return Pack(Set(255), s.red, s.green, s.blue);
}

inline __m128i Stored(Rgb565Pixels, const Samples& s)
{
    return Pack565(s.red, s.green, s.blue);
}

inline __m128i Stored(Rgb555Pixels, const Samples& s)
{
    return Pack555(s.red, s.green, s.blue);
}

// Four pixels, each in a 32-bit lane, and back.
inline __m128i LoadPixels(const uint32_t* pixel)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
}

inline __m128i LoadPixels(const uint16_t* pixel)
{
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixel)), _mm_setzero_si128());
}

inline void StorePixels(uint32_t* pixel, __m128i pixels)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), pixels);
}

// The lanes' low halves are sign-extended first, so that the saturating pack keeps every 16-bit value.
inline void StorePixels(uint16_t* pixel, __m128i pixels)
{
    __m128i extended = _mm_srai_epi32(_mm_slli_epi32(pixels, 16), 16);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pixel), _mm_packs_epi32(extended, extended));
}

} // namespace SpanLanes

// A sample of alpha 8 or less leaves its pixel; from kOpaqueWeight up it is stored; between, it blends.
template <class Format>
requires(std::is_same_v<Format, Argb8888Pixels> || std::is_same_v<Format, Rgb888Pixels> ||
         std::is_same_v<Format, Rgb565Pixels> ||
         std::is_same_v<Format, Rgb555Pixels>) struct BilinearSpan<Format, kPlainBilinearBlend>
{
    static int32_t Draw(typename Format::Pixel* pixel, int32_t count, int32_t u, int32_t v, int32_t du, int32_t dv,
                        const TriangleTexture& texture)
    {
        using namespace SpanLanes;
        int32_t drawn = 0;
        for (; drawn + 4 <= count; drawn += 4, pixel += 4) {
            int32_t us[4], vs[4];
            for (int k = 0; k < 4; ++k) {
                us[k] = u;
                vs[k] = v;
                u = FixedPoint::Add(u, du);
                v = FixedPoint::Add(v, dv);
            }
            Samples s = Sample(texture, us, vs);
            __m128i skip = _mm_cmplt_epi32(s.alpha, Set(kTransparentSampleAlpha + 1));
            if (_mm_movemask_epi8(skip) == 0xFFFF) {
                continue;
            }
            __m128i opaque = _mm_cmpgt_epi32(s.alpha, Set(kOpaqueWeight - 1));
            __m128i stored = Stored(Format(), s);
            __m128i destination = LoadPixels(pixel);
            __m128i blended = _mm_movemask_epi8(opaque) == 0xFFFF ? stored : BlendOnto(Format(), destination, s);
            __m128i result = Select(skip, destination, Select(opaque, stored, blended));
            StorePixels(pixel, result);
        }
        return drawn;
    }
};

#endif

} // namespace Tolm
