// The per-pixel arithmetic of the blits into locked surfaces, one rule per destination layout, colour and
// mode, so that every loop is compiled with its own and none branches on them per pixel. A source value s
// is the source image's display-format word: the colour premultiplied by its alpha and cut to the
// display's channels, the alpha a in bits 24 to 31. Every product is unsigned 32-bit.
//
// A rule gives the pixel type, Blend(d, s) for a pixel it blends or adds, Skips(s) for the source values
// the unclassified loops leave out, and, for the normal-mode rules, Opaque(s) for the pixels of an
// opaque run.
#pragma once

#include "display/LockedSurface.h"

#include <cstdint>

namespace Tolm::SurfaceBlend {

inline constexpr uint32_t kSpread565 = 0x07E0F81F;
inline constexpr uint32_t kSpread555 = 0x03E07C1F;

// A 16-bit pixel over 32 bits: green in the high half, red and blue in the low one, with room above each
// field for a product by up to 32. A source value passes its low 16 bits: its alpha would land in green.
template <uint32_t K>
[[gnu::always_inline]] inline uint32_t Spread(uint16_t pixel)
{
    uint32_t wide = pixel;
    return (wide | wide << 16) & K;
}

[[gnu::always_inline]] inline uint32_t Fold(uint32_t spread)
{
    return spread | spread >> 16;
}

// (d & M) x k >> 8, kept to M.
[[gnu::always_inline]] inline uint32_t Keep(uint32_t d, uint32_t mask, uint32_t k)
{
    return ((d & mask) * k >> 8) & mask;
}

// A colour as the tinted and additive rules take it: each component times the alpha over 255.
struct ScaledTint
{
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
    uint32_t alpha = 0;
};

// Opaque white, untinted, on 5-6-5 and 5-5-5: the destination scaled by a 5-bit alpha on the spread
// word, the source added as one 16-bit value.
template <uint32_t K>
struct SpreadWhite
{
    using Pixel = uint16_t;

    [[gnu::always_inline]] Pixel Opaque(uint32_t s) const { return Pixel(s); }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t f = (256 - (s >> 24)) >> 3;
        return Pixel(Fold((Spread<K>(d) * f) >> 5 & K) + s);
    }
};

// Opaque white on any other layout, channel by channel with the full alpha.
template <typename P>
struct MaskedWhite
{
    using Pixel = P;
    ChannelMasks masks;

    [[gnu::always_inline]] bool Skips(uint32_t s) const { return s >> 24 == 0; }
    [[gnu::always_inline]] Pixel Opaque(uint32_t s) const { return Pixel(s); }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t k = 256 - (s >> 24);
        return Pixel(s + Keep(d, masks.red, k) + Keep(d, masks.green, k) + Keep(d, masks.blue, k));
    }
};

// The same on 32 bits, red and blue in one product. The source's alpha lands in the top byte.
struct White32
{
    using Pixel = uint32_t;

    [[gnu::always_inline]] bool Skips(uint32_t s) const { return s >> 24 == 0; }
    [[gnu::always_inline]] Pixel Opaque(uint32_t s) const { return s; }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t k = 256 - (s >> 24);
        return s + Keep(d, 0x00FF00FF, k) + Keep(d, 0x0000FF00, k);
    }
};

// A grey tint on 5-6-5 and 5-5-5: the source scaled by the tint's top 5 bits on the spread word, and a
// blended pixel's destination by the 5-bit share the tinted alpha leaves it.
template <uint32_t K>
struct SpreadGrey
{
    using Pixel = uint16_t;
    uint32_t f;     // the tint >> 3
    uint32_t alpha; // the tint's alpha

    [[gnu::always_inline]] Pixel Opaque(uint32_t s) const { return Pixel(Fold((Spread<K>(uint16_t(s)) * f) >> 5 & K)); }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t q = 256 - (s >> 24) * alpha / 255;
        return Pixel(Fold((Spread<K>(uint16_t(s)) * f + Spread<K>(d) * (q >> 3)) >> 5 & K));
    }
};

// A grey tint on 32 bits, red and blue in one product; the top byte becomes 0.
struct Grey32
{
    using Pixel = uint32_t;
    uint32_t t;
    uint32_t alpha;

    [[gnu::always_inline]] Pixel Opaque(uint32_t s) const
    {
        return ((s & 0xFF00) * t >> 8 & 0xFF00) | (t * (s & 0x00FF00FF) >> 8 & 0x00FF00FF);
    }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t q = 256 - (s >> 24) * alpha / 255;
        return (((d & 0xFF00) * q + (s & 0xFF00) * t) >> 8 & 0xFF00) |
               (((d & 0x00FF00FF) * q + (s & 0x00FF00FF) * t) >> 8 & 0x00FF00FF);
    }
};

// Any other tint on any layout, channel by channel: the source scaled by its channel of the tint, the
// destination by what the tinted alpha leaves.
template <typename P>
struct MaskedTinted
{
    using Pixel = P;
    ChannelMasks masks;
    ScaledTint tint;

    [[gnu::always_inline]] static uint32_t Mix(uint32_t d, uint32_t s, uint32_t mask, uint32_t c, uint32_t q)
    {
        return (((d & mask) * q + (s & mask) * c) >> 8) & mask;
    }

    [[gnu::always_inline]] bool Skips(uint32_t s) const { return (s >> 24) * tint.alpha / 255 == 0; }

    [[gnu::always_inline]] Pixel Opaque(uint32_t s) const
    {
        return Pixel((tint.red * (s & masks.red) >> 8 & masks.red) +
                     (tint.green * (s & masks.green) >> 8 & masks.green) +
                     (tint.blue * (s & masks.blue) >> 8 & masks.blue));
    }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t q = 256 - (s >> 24) * tint.alpha / 255;
        return Pixel(Mix(d, s, masks.red, tint.red, q) + Mix(d, s, masks.green, tint.green, q) +
                     Mix(d, s, masks.blue, tint.blue, q));
    }
};

// Additive, untinted: each channel's sum through its saturation table. The source's alpha takes no part:
// its colour is premultiplied already.
template <typename P>
struct AddWhite
{
    using Pixel = P;
    SurfaceChannel red, green, blue;

    [[gnu::always_inline]] static uint32_t Add(uint32_t d, uint32_t s, const SurfaceChannel& c)
    {
        return uint32_t(c.saturation[((d & c.mask) + (s & c.mask)) >> c.shift]) << c.shift;
    }

    [[gnu::always_inline]] bool Skips(uint32_t s) const { return s == 0; }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        return Pixel(Add(d, s, red) | Add(d, s, green) | Add(d, s, blue));
    }
};

// Additive under a tint: each source channel scaled by its tint first.
template <typename P>
struct AddTinted
{
    using Pixel = P;
    SurfaceChannel red, green, blue;
    ScaledTint tint;

    [[gnu::always_inline]] static uint32_t Add(uint32_t d, uint32_t s, const SurfaceChannel& c, uint32_t t)
    {
        return uint32_t(c.saturation[((d & c.mask) >> c.shift) + (((s & c.mask) >> c.shift) * t >> 8)]) << c.shift;
    }

    [[gnu::always_inline]] bool Skips(uint32_t s) const { return s == 0; }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        return Pixel(Add(d, s, red, tint.red) | Add(d, s, green, tint.green) | Add(d, s, blue, tint.blue));
    }
};

// The blends of a source drawn uncached: s is its raw 0xAARRGGBB colour, straight alpha.

// 5-6-5 and 5-5-5 in RGB order: the source spread like the destination, the difference scaled by the top
// 5 bits of the alpha.
template <uint32_t K>
struct UncachedSpread
{
    using Pixel = uint16_t;

    [[gnu::always_inline]] static uint32_t SpreadSource(uint32_t s)
    {
        if constexpr (K == kSpread565) {
            return ((s & 0xFC00) << 11) + ((s >> 3) & 0x1F) + ((s >> 8) & 0xF800);
        } else {
            return ((s >> 3) & 0x1F) + ((s >> 9) & 0x7C00) + ((s & 0xF800) << 10);
        }
    }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t spread = Spread<K>(d);
        return Pixel(Fold(((((SpreadSource(s) - spread) * (s >> 27)) >> 5) + spread) & K));
    }
};

// 32 bits in RGB order: red and blue in one product; the top byte becomes 0.
struct UncachedRgb32
{
    using Pixel = uint32_t;

    [[gnu::always_inline]] static uint32_t Move(uint32_t d, uint32_t s, uint32_t mask, uint32_t a)
    {
        return ((d & mask) + ((((s & mask) - (d & mask)) * a) >> 8)) & mask;
    }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t a = s >> 24;
        return Move(d, s, 0x00FF00FF, a) | Move(d, s, 0x0000FF00, a);
    }
};

// Any other layout, channel by channel with rounding; 16 and 32 bits weigh the source channel into the
// mask in different orders.
template <typename P>
struct UncachedMasked
{
    using Pixel = P;
    ChannelMasks masks;

    [[gnu::always_inline]] static uint32_t Mix(uint32_t d, uint32_t c, uint32_t mask, uint32_t a)
    {
        uint32_t source = sizeof(P) == 2 ? c * a * mask >> 8 : (c * a >> 8) * mask;
        return (((d & mask) * (256 - a) + source + (mask >> 1)) >> 8) & mask;
    }

    [[gnu::always_inline]] Pixel Blend(Pixel d, uint32_t s) const
    {
        uint32_t a = s >> 24;
        return Pixel(Mix(d, (s >> 16) & 0xFF, masks.red, a) + Mix(d, (s >> 8) & 0xFF, masks.green, a) +
                     Mix(d, s & 0xFF, masks.blue, a));
    }
};

} // namespace Tolm::SurfaceBlend
