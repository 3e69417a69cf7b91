// The drawing formulas written out plainly, pixel by pixel on the packed 0xAARRGGBB words, as the
// expected values of the drawing tests. Kept apart from the library: nothing here calls it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace PixelReference {

inline uint32_t Sat(uint32_t i)
{
    return i < 255 ? i : 255;
}

inline uint32_t Alpha(uint32_t p)
{
    return p >> 24;
}

// The general normal-mode blit, untinted.
inline uint32_t BlendWhite(uint32_t s, uint32_t d)
{
    uint32_t sA = s >> 24, dA = d >> 24;
    if (sA == 0) {
        return d;
    }
    uint32_t outA = dA + ((255 - dA) * sA) / 255;
    uint32_t h = (sA * 255) / outA;
    uint32_t rb = (((d & 0x00FF00FF) * (256 - h)) >> 8) + (((s & 0x00FF00FF) * h) >> 8);
    uint32_t g = (((d & 0x0000FF00) * (256 - h)) >> 8) + (((s & 0x0000FF00) * h) >> 8);
    return (outA << 24) | (rb & 0x00FF00FF) | (g & 0x0000FF00);
}

// The general normal-mode blit tinted by a grey (k, k, k, cA) that is not white.
inline uint32_t BlendGrey(uint32_t s, uint32_t d, uint32_t k, uint32_t cA)
{
    uint32_t sA = s >> 24, dA = d >> 24;
    uint32_t l = (sA * cA) / 255;
    if (l == 0) {
        return d;
    }
    uint32_t outA = dA + ((255 - dA) * l) / 255;
    uint32_t h = (l * 255) / outA;
    uint32_t sRB = s & 0x00FF00FF, dRB = d & 0x00FF00FF, sG = s & 0x0000FF00, dG = d & 0x0000FF00;
    uint32_t rb = (((((sRB * k) >> 8) & 0x00FF00FF) * h) >> 8) + ((dRB * (256 - h)) >> 8);
    uint32_t g = ((sG * h * k) >> 16) + ((dG * (256 - h)) >> 8);
    return (outA << 24) | (rb & 0x00FF00FF) | (g & 0x0000FF00);
}

// The general normal-mode blit tinted by any other colour.
inline uint32_t BlendOther(uint32_t s, uint32_t d, uint32_t cR, uint32_t cG, uint32_t cB, uint32_t cA)
{
    uint32_t sA = s >> 24, dA = d >> 24;
    uint32_t l = (sA * cA) / 255;
    if (l == 0) {
        return d;
    }
    uint32_t outA = dA + ((255 - dA) * l) / 255;
    uint32_t h = (l * 255) / outA;
    uint32_t red = (((((s & 0x00FF0000) * h) >> 8) * cR) >> 8) + (((d & 0x00FF0000) * (256 - h)) >> 8);
    uint32_t green = (((s & 0x0000FF00) * h * cG) >> 16) + (((d & 0x0000FF00) * (256 - h)) >> 8);
    uint32_t blue = (((s & 0x000000FF) * h * cB) >> 16) + (((d & 0x000000FF) * (256 - h)) >> 8);
    return (outA << 24) | (red & 0x00FF0000) | (green & 0x0000FF00) | (blue & 0x000000FF);
}

// One pixel of a partial run of the run-length path over an opaque destination, blended by its own alpha.
inline uint32_t BlendOntoOpaque(uint32_t s, uint32_t d)
{
    uint32_t a = s >> 24;
    uint32_t rb = (((d & 0x00FF00FF) * (256 - a)) >> 8) + (((s & 0x00FF00FF) * a) >> 8);
    uint32_t g = (((d & 0x0000FF00) * (256 - a)) >> 8) + (((s & 0x0000FF00) * a) >> 8);
    return 0xFF000000 | (rb & 0x00FF00FF) | (g & 0x0000FF00);
}

// One pixel of the run-length path, in a run of its own class: copied, skipped or blended.
inline uint32_t BlitOntoOpaque(uint32_t s, uint32_t d)
{
    uint32_t a = s >> 24;
    return a == 255 ? s : a == 0 ? d : BlendOntoOpaque(s, d);
}

inline uint32_t Channel(uint32_t p, int shift)
{
    return (p >> shift) & 0xFF;
}

template <typename Amount>
uint32_t AddChannels(uint32_t s, uint32_t d, Amount amount)
{
    uint32_t out = d & 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        out |= Sat(Channel(d, shift) + amount(Channel(s, shift), shift)) << shift;
    }
    return out;
}

inline uint32_t AddWhite(uint32_t s, uint32_t d, bool partialAlpha)
{
    uint32_t sA = s >> 24;
    return AddChannels(s, d, [&](uint32_t c, int) { return partialAlpha ? (c * sA) >> 8 : c; });
}

// Takes the tint before its scaling by its alpha.
inline uint32_t AddTinted(uint32_t s, uint32_t d, uint32_t cR, uint32_t cG, uint32_t cB, uint32_t cA, bool partialAlpha)
{
    uint32_t sA = s >> 24;
    return AddChannels(s, d, [&](uint32_t c, int shift) {
        uint32_t tint = ((shift == 16 ? cR : shift == 8 ? cG : cB) * cA) / 255;
        if (!partialAlpha) {
            return (c * tint) >> 8;
        }
        if (shift == 0) {
            return (((c * tint) >> 8) * sA) >> 8;
        }
        return (c * tint * sA) >> 16;
    });
}

// The blend of a colour of weight w (1..255) used by fills and the smooth line.
inline uint32_t OverBlend(uint32_t color, uint32_t d, uint32_t w)
{
    if (w == 0) {
        return d;
    }
    uint32_t dA = d >> 24;
    uint32_t outA = dA + ((255 - dA) * w) / 255;
    uint32_t m = (w * 255) / outA;
    uint32_t out = outA << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        out |= ((Channel(color, shift) * m + Channel(d, shift) * (256 - m)) >> 8) << shift;
    }
    return out;
}

// A pixel of the area-filtered stretch over the destination, by its own alpha a; a = 0 leaves it.
inline uint32_t StretchOver(uint32_t s, uint32_t d)
{
    uint32_t a = s >> 24;
    if (a == 0) {
        return d;
    }
    uint32_t dA = d >> 24;
    uint32_t out = (dA + ((255 - dA) * a) / 255) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        out |= (((Channel(s, shift) * a) >> 8) + ((Channel(d, shift) * (256 - a)) >> 8)) << shift;
    }
    return out;
}

// A premultiplied source over a 32-bit surface pixel: the destination's channels times (256 - a) >> 8,
// the destination's top byte dropped, and the source word added whole.
inline uint32_t BlendPremultiplied(uint32_t s, uint32_t d)
{
    uint32_t k = 256 - (s >> 24);
    uint32_t kept = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        kept += ((Channel(d, shift) * k) >> 8) << shift;
    }
    return s + kept;
}

// The same under a tint, the channels c already scaled by the tint's alpha cA; the top byte becomes 0.
inline uint32_t BlendPremultipliedTinted(uint32_t s, uint32_t d, uint32_t cR, uint32_t cG, uint32_t cB, uint32_t cA)
{
    uint32_t q = 256 - ((s >> 24) * cA) / 255;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t c = shift == 16 ? cR : shift == 8 ? cG : cB;
        out |= (((Channel(d, shift) * q + Channel(s, shift) * c) >> 8) % 256) << shift;
    }
    return out;
}

// An addition onto a 32-bit surface pixel: a black source colour leaves it; any other adds its colour,
// each channel kept to 255, and the top byte becomes 0.
inline uint32_t AddOntoSurface(uint32_t s, uint32_t d)
{
    if ((s & 0x00FFFFFF) == 0) {
        return d;
    }
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        out |= std::min(Channel(d, shift) + Channel(s, shift), 255u) << shift;
    }
    return out;
}

// A translucent fill of a display surface pixel by the surface's own rule: the colour, already in the
// surface's channels, plus each channel (d & m) times k = 256 - alpha over 256; a 16-bit surface first
// adds m, rounding the channel up. The channels outside the masks (a 32-bit top byte) are dropped.
inline uint32_t FillSurface(uint32_t colour, uint32_t d, uint32_t k, std::initializer_list<uint32_t> masks,
                            bool sixteen)
{
    uint32_t out = colour;
    for (uint32_t m : masks) {
        out += (((d & m) * k + (sixteen ? m : 0)) >> 8) & m;
    }
    return sixteen ? out & 0xFFFF : out;
}

inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

} // namespace PixelReference
