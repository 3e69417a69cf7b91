// Texel fetches and colour modulation shared by every textured triangle routine. Coordinates are 16.16
// texels; nothing wraps or clamps per axis, and any index outside the texel array reads transparent black.
#pragma once

#include "rasterizer/TriangleTypes.h"

#include <cstdint>

namespace Tolm {

inline uint32_t FetchTexel(const TriangleTexture& texture, uint32_t index)
{
    return index < static_cast<uint32_t>(texture.size) ? texture.texels[index] : 0;
}

// Coordinates just below zero read as column or row 65535.
inline uint32_t NearestTexel(const TriangleTexture& texture, int32_t u, int32_t v)
{
    uint32_t column = static_cast<uint32_t>(u) >> 16;
    uint32_t row = static_cast<uint32_t>(v) >> 16;
    return FetchTexel(texture, row * static_cast<uint32_t>(texture.width) + column);
}

// The first of the four texels of a bilinear sample, (i, j); the others are (i + 1, j), (i, j + 1) and
// (i + 1, j + 1). u and v come half a texel back, so texel centres lie on whole numbers.
inline uint32_t BilinearIndex(const TriangleTexture& texture, int32_t u, int32_t v)
{
    return static_cast<uint32_t>(v >> 16) * static_cast<uint32_t>(texture.width) + static_cast<uint32_t>(u >> 16);
}

// Whether all four texels from that index lie inside the texture, as nearly every sample's do.
inline bool BilinearInside(const TriangleTexture& texture, uint32_t index)
{
    uint32_t size = static_cast<uint32_t>(texture.size);
    return index < size && size - index > static_cast<uint32_t>(texture.width) + 1;
}

// The fractions are odd, 1 to 0xFFFF, so no weight is ever a whole 0x10000.
inline uint32_t BilinearFraction(int32_t coordinate)
{
    return (static_cast<uint32_t>(coordinate) & 0xFFFE) + 1;
}

// The four neighbours weighted by their fractions and by their own alphas, without dividing by the total
// weight: the result's alpha is that total (at most 254) and its colour is already weighted by it.
inline uint32_t BilinearSample(const TriangleTexture& texture, int32_t u, int32_t v)
{
    uint32_t width = static_cast<uint32_t>(texture.width);
    uint32_t index = BilinearIndex(texture, u, v);
    uint32_t fu = BilinearFraction(u);
    uint32_t fv = BilinearFraction(v);

    // Red and blue are summed in one word, green in another: each sum is at most 255 x 254, so no
    // channel carries into the next.
    uint32_t alpha = 0;
    uint32_t redBlue = 0;
    uint32_t green = 0;
    auto add = [&](uint32_t texel, uint32_t weight) {
        uint32_t alphaWeight = (weight * (texel >> 24)) >> 16;
        alpha += alphaWeight;
        redBlue += (texel & 0x00FF00FF) * alphaWeight;
        green += (texel & 0x0000FF00) * alphaWeight;
    };
    uint32_t texels[4];
    if (BilinearInside(texture, index)) {
        const uint32_t* at = texture.texels + index;
        texels[0] = at[0];
        texels[1] = at[1];
        texels[2] = at[width];
        texels[3] = at[width + 1];
    } else {
        texels[0] = FetchTexel(texture, index);
        texels[1] = FetchTexel(texture, index + 1);
        texels[2] = FetchTexel(texture, index + width);
        texels[3] = FetchTexel(texture, index + width + 1);
    }
    add(texels[0], ((0x10000 - fu) * (0x10000 - fv)) >> 16);
    add(texels[1], (fu * (0x10000 - fv)) >> 16);
    add(texels[2], ((0x10000 - fu) * fv) >> 16);
    add(texels[3], (fu * fv) >> 16);
    return alpha << 24 | ((redBlue >> 8) & 0x00FF00FF) | ((green >> 8) & 0x0000FF00);
}

// (channel x factor) >> 8 with nothing added before the shift, so 255 x 255 gives 254. Factors are
// unsigned: an interpolated channel that dipped below zero acts as a huge factor, of which the low 8 bits
// of the result survive.
constexpr uint32_t Modulate(uint32_t channel, uint32_t factor)
{
    return ((channel * factor) >> 8) & 0xFF;
}

// Modulates the red, green and blue of 0x..RRGGBB; the top byte of the result is 0.
constexpr uint32_t ModulateColor(uint32_t color, uint32_t red, uint32_t green, uint32_t blue)
{
    return Modulate((color >> 16) & 0xFF, red) << 16 | Modulate((color >> 8) & 0xFF, green) << 8 |
           Modulate(color & 0xFF, blue);
}

} // namespace Tolm
