// The bilinear sample of the rotated blits: the 2 x 2 texels around a 16.16 position, weighed by area and
// by their own alphas, summed per channel, and the rules that combine a sample with the destination. One
// plain version of the sample, and one on SSE2 (every x86-64 processor has it) that gives the same sums:
// every weight and product of the plain arithmetic fits 16 bits. Nothing here is a template but the texel
// readers, so that the vector kernels can call the plain rules for their odd pixels.
#pragma once

#include "graphics/AddSaturateTable.h"
#include "graphics/BlendKernels.h"

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
    // `count` texels of a row from the offset of the first.
    const uint32_t* Run(std::size_t offset, int, uint32_t*) const { return origin + offset; }
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
    // Looked up into `scratch`.
    const uint32_t* Run(std::size_t offset, int count, uint32_t* scratch) const
    {
        for (int i = 0; i < count; ++i) {
            scratch[i] = At(offset + std::size_t(i));
        }
        return scratch;
    }
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

// The area weights of texels (i, j), (i + 1, j), (i, j + 1), (i + 1, j + 1) at odd fractions fu and fv.
inline void AreaWeights(uint32_t fu, uint32_t fv, uint32_t (&area)[4])
{
    area[0] = ((65536 - fu) * (65536 - fv)) >> 16;
    area[1] = (fu * (65536 - fv)) >> 16;
    area[2] = ((65536 - fu) * fv) >> 16;
    area[3] = (fu * fv) >> 16;
}

// The sums of four texels under their area weights. When `tintAlpha` is below 256, the weights are scaled
// by it, (tintAlpha x weight) >> 8, before the sums. With `Taps` 1 only the first texel is weighed, which
// gives the same sums when the other three have no area weight.
template <int Taps = 4>
inline Sums SumTexels(const uint32_t (&texel)[4], const uint32_t (&area)[4], uint32_t tintAlpha)
{
    Sums sums;
    for (int k = 0; k < Taps; ++k) {
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

template <typename Texels>
[[gnu::always_inline]] inline Sums SamplePlain(const Texels& texels, int64_t u, int64_t v, uint32_t tintAlpha)
{
    std::size_t offset = std::size_t(v >> 16) * texels.stride + std::size_t(u >> 16);
    const uint32_t texel[4] = {texels.At(offset), texels.At(offset + 1), texels.At(offset + texels.stride),
                               texels.At(offset + texels.stride + 1)};
    uint32_t area[4];
    AreaWeights(OddFraction(u), OddFraction(v), area);
    return SumTexels(texel, area, tintAlpha);
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

// The weights of a normal-mode tint are scaled by its alpha before the sums; nothing else scales them.
inline uint32_t WeightScale(const SampleRule& rule)
{
    return rule.additive || rule.white ? 256 : rule.tint.alpha;
}

[[gnu::always_inline]] inline uint32_t Channel(uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}

// Puts colour (red, green, blue) of weight total (0..255) over d, taking d's alpha into account. A weight
// of 251 or more covers the pixel.
[[gnu::always_inline]] inline uint32_t Cover(uint32_t d, uint32_t total, uint32_t red, uint32_t green, uint32_t blue)
{
    if (total >= 251) {
        return 0xFF000000 | (red << 16) | (green << 8) | blue;
    }
    uint32_t destAlpha = d >> 24;
    uint32_t inverse = 256 - total;
    uint32_t outAlpha = 256 - (((256 - destAlpha) * inverse) >> 8);
    // Only a weight of 0 over a clear pixel: nothing to put there, and nothing to divide by.
    if (outAlpha == 0) {
        return d;
    }
    auto mix = [&](uint32_t c, int shift) {
        return ((256 * c + ((Channel(d, shift) * destAlpha) >> 8) * inverse) / outAlpha) & 255;
    };
    // Over an opaque or nearly opaque pixel the division is by 256, which a shift does at a fraction of the
    // cost.
    auto mixOpaque = [&](uint32_t c, int shift) {
        return ((256 * c + ((Channel(d, shift) * destAlpha) >> 8) * inverse) >> 8) & 255;
    };
    if (outAlpha == 256) {
        return 0xFF000000 | (mixOpaque(red, 16) << 16) | (mixOpaque(green, 8) << 8) | mixOpaque(blue, 0);
    }
    return ((outAlpha - 1) << 24) | (mix(red, 16) << 16) | (mix(green, 8) << 8) | mix(blue, 0);
}

[[gnu::always_inline]] inline uint32_t NormalWhite(uint32_t d, const Sums& sums)
{
    return Cover(d, sums.total, sums.red >> 8, sums.green >> 8, sums.blue >> 8);
}

// The tint's alpha has scaled the weights; its colour scales the sums, the (c + 1) factors letting 255 keep
// a channel.
[[gnu::always_inline]] inline uint32_t NormalTinted(uint32_t d, const Sums& sums, const BlendTint& tint)
{
    uint32_t red = (sums.red * (tint.red + 1)) >> 16;
    uint32_t green = ((sums.green >> 8) * (tint.green + 1)) >> 8;
    uint32_t blue = ((sums.blue >> 8) * (tint.blue + 1)) >> 8;
    return Cover(d, sums.total, red, green, blue);
}

[[gnu::always_inline]] inline uint32_t AddChannels(uint32_t d, uint32_t red, uint32_t green, uint32_t blue)
{
    return (d & 0xFF000000) | (uint32_t(addSaturateTable[Channel(d, 16) + red]) << 16) |
           (uint32_t(addSaturateTable[Channel(d, 8) + green]) << 8) | addSaturateTable[Channel(d, 0) + blue];
}

[[gnu::always_inline]] inline uint32_t AdditiveWhite(uint32_t d, const Sums& sums)
{
    return AddChannels(d, sums.red >> 8, sums.green >> 8, sums.blue >> 8);
}

// The tint is scaled by its alpha first; red rounds its sum before the product, green and blue after.
[[gnu::always_inline]] inline uint32_t AdditiveTinted(uint32_t d, const Sums& sums, const BlendTint& scaled)
{
    return AddChannels(d, (scaled.red * (sums.red >> 8)) >> 8, (scaled.green * sums.green) >> 16,
                       (scaled.blue * sums.blue) >> 16);
}

inline uint32_t Combine(uint32_t d, const Sums& sums, const SampleRule& rule)
{
    if (rule.additive) {
        return rule.white ? AdditiveWhite(d, sums) : AdditiveTinted(d, sums, rule.tint);
    }
    return rule.white ? NormalWhite(d, sums) : NormalTinted(d, sums, rule.tint);
}

// At a whole-pixel position the odd fractions leave the three neighbours of each texel no area weight.
inline bool OnlyFirstTexelWeighs(const ShiftedSampling& sampling)
{
    return sampling.area[1] == 0 && sampling.area[2] == 0 && sampling.area[3] == 0;
}

// One pixel of a draw moved by a fraction of a pixel, from its four texels; `Taps` as for SumTexels.
template <int Taps = 4>
inline uint32_t SampleShiftedPixel(uint32_t d, const uint32_t (&texel)[4], const ShiftedSampling& sampling)
{
    Sums sums = SumTexels<Taps>(texel, sampling.area, WeightScale(sampling.rule));
    return sums.weighed ? Combine(d, sums, sampling.rule) : d;
}

} // namespace Tolm::RotationSampling
