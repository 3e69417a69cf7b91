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

// The four neighbours weighted by their fractions and by their own alphas, without dividing by the total
// weight: the result's alpha is that total (at most 254) and its colour is already weighted by it. u and v
// come half a texel back, so texel centres lie on whole numbers.
inline uint32_t BilinearSample(const TriangleTexture& texture, int32_t u, int32_t v)
{
    uint32_t width = static_cast<uint32_t>(texture.width);
    uint32_t index = static_cast<uint32_t>(v >> 16) * width + static_cast<uint32_t>(u >> 16);

    // The fractions are odd, 1 to 0xFFFF, so no weight is ever a whole 0x10000.
    uint32_t fu = (static_cast<uint32_t>(u) & 0xFFFE) + 1;
    uint32_t fv = (static_cast<uint32_t>(v) & 0xFFFE) + 1;

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
    add(FetchTexel(texture, index), ((0x10000 - fu) * (0x10000 - fv)) >> 16);
    add(FetchTexel(texture, index + 1), (fu * (0x10000 - fv)) >> 16);
    add(FetchTexel(texture, index + width), ((0x10000 - fu) * fv) >> 16);
    add(FetchTexel(texture, index + width + 1), (fu * fv) >> 16);
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
