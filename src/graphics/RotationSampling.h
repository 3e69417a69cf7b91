// The bilinear sample of the rotated blits: the 2 x 2 texels around a 16.16 position, weighed by area and
// by their own alphas, summed per channel. One plain version, and one on SSE2 (every x86-64 processor has
// it) that gives the same sums: every weight and product of the plain arithmetic fits 16 bits.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Tolm::RotationSampling {

// The texels of a source rectangle, (0, 0) at its top-left, from 32-bit pixels.
struct DirectTexels
{
    const uint32_t* origin;
    std::size_t stride;

    uint32_t At(std::size_t offset) const { return origin[offset]; }
#if defined(__SSE2__)
    // Texels (i, j), (i + 1, j), (i, j + 1), (i + 1, j + 1) from the offset of (i, j).
    __m128i Quad(std::size_t offset) const
    {
        __m128i top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(origin + offset));
        __m128i bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(origin + offset + stride));
        return _mm_unpacklo_epi64(top, bottom);
    }
#endif
};

// The same from a palette form.
struct PaletteTexels
{
    const uint8_t* origin;
    const uint32_t* table;
    std::size_t stride;

    uint32_t At(std::size_t offset) const { return table[origin[offset]]; }
#if defined(__SSE2__)
    __m128i Quad(std::size_t offset) const
    {
        return _mm_set_epi32(int(At(offset + stride + 1)), int(At(offset + stride)), int(At(offset + 1)),
                             int(At(offset)));
    }
#endif
};

// Σ channel x weight for red, green and blue, each at most 255 x 255, and the total weight T (0..255).
// `weighed` is false when all four weights were 0 before any scaling by a tint.
struct Sums
{
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
    uint32_t total = 0;
    bool weighed = false;
};

// The odd fraction of a 16.16 coordinate: never 0 nor 65536, so every product fits 32 bits.
inline uint32_t OddFraction(int64_t coordinate)
{
    return (uint32_t(coordinate) & 0xFFFE) | 1;
}

// When `tintAlpha` is below 256, the weights are scaled by it, (tintAlpha x weight) >> 8, before the sums.
template <typename Texels>
[[gnu::always_inline]] inline Sums SamplePlain(const Texels& texels, int64_t u, int64_t v, uint32_t tintAlpha)
{
    std::size_t offset = std::size_t(v >> 16) * texels.stride + std::size_t(u >> 16);
    const uint32_t texel[4] = {texels.At(offset), texels.At(offset + 1), texels.At(offset + texels.stride),
                               texels.At(offset + texels.stride + 1)};
    uint32_t fu = OddFraction(u);
    uint32_t fv = OddFraction(v);
    const uint32_t area[4] = {((65536 - fu) * (65536 - fv)) >> 16, (fu * (65536 - fv)) >> 16, ((65536 - fu) * fv) >> 16,
                              (fu * fv) >> 16};
    Sums sums;
    for (int k = 0; k < 4; ++k) {
        uint32_t weight = (area[k] * (texel[k] >> 24)) >> 16;
        sums.weighed |= weight != 0;
        if (tintAlpha < 256) {
            weight = (tintAlpha * weight) >> 8;
        }
        sums.red += ((texel[k] >> 16) & 0xFF) * weight;
        sums.green += ((texel[k] >> 8) & 0xFF) * weight;
        sums.blue += (texel[k] & 0xFF) * weight;
        sums.total += weight;
    }
    return sums;
}

#if defined(__SSE2__)
template <typename Texels>
[[gnu::always_inline]] inline Sums SampleSse2(const Texels& texels, int64_t u, int64_t v, uint32_t tintAlpha)
{
    std::size_t offset = std::size_t(v >> 16) * texels.stride + std::size_t(u >> 16);
    __m128i quad = texels.Quad(offset);
    uint32_t fu = OddFraction(u);
    uint32_t fv = OddFraction(v);
    // 16-bit lanes 0..3: (65536 - fu, fu, 65536 - fu, fu) times (65536 - fv, 65536 - fv, fv, fv), high halves.
    __m128i across = _mm_set1_epi32(int((fu << 16) | (65536 - fu)));
    __m128i down = _mm_set_epi32(0, 0, int((fv << 16) | fv), int(((65536 - fv) << 16) | (65536 - fv)));
    __m128i alphas = _mm_srli_epi32(quad, 24);
    alphas = _mm_packs_epi32(alphas, alphas);
    __m128i weights = _mm_mulhi_epu16(_mm_mulhi_epu16(across, down), alphas);
    Sums sums;
    sums.weighed = _mm_cvtsi128_si64(weights) != 0;
    if (tintAlpha < 256) {
        weights = _mm_srli_epi16(_mm_mullo_epi16(weights, _mm_set1_epi16(short(tintAlpha))), 8);
    }
    // Each texel's channels times its weight, texels 0 and 2 in one half and 1 and 3 in the other, then the
    // halves added: no partial sum passes 255 x 255, so nothing carries out of its 16-bit lane.
    __m128i zero = _mm_setzero_si128();
    __m128i pairs = _mm_unpacklo_epi16(weights, weights);
    __m128i products = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(quad, zero), _mm_unpacklo_epi32(pairs, pairs)),
                                     _mm_mullo_epi16(_mm_unpackhi_epi8(quad, zero), _mm_unpackhi_epi32(pairs, pairs)));
    products = _mm_add_epi16(products, _mm_srli_si128(products, 8));
    uint64_t channels = uint64_t(_mm_cvtsi128_si64(products));
    sums.blue = uint32_t(channels & 0xFFFF);
    sums.green = uint32_t((channels >> 16) & 0xFFFF);
    sums.red = uint32_t((channels >> 32) & 0xFFFF);
    // The weights are bytes in 16-bit lanes, and lanes 4 to 7 are 0.
    sums.total = uint32_t(_mm_cvtsi128_si32(_mm_sad_epu8(weights, zero)));
    return sums;
}
#endif

// The fastest version this processor runs.
template <typename Texels>
[[gnu::always_inline]] inline Sums Sample(const Texels& texels, int64_t u, int64_t v, uint32_t tintAlpha)
{
#if defined(__SSE2__)
    return SampleSse2(texels, u, v, tintAlpha);
#else
    return SamplePlain(texels, u, v, tintAlpha);
#endif
}

} // namespace Tolm::RotationSampling
