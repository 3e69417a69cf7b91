// How a triangle routine writes one pixel, per destination format. Each format is a policy that the
// routine templates take, so no routine tests the format per pixel. A policy gives the pixel type, the row
// stride taken from the pitch, the opaque store, the blend of a straight source (a colour not yet weighted
// by its weight A) and of an alpha-weighted one (already multiplied by it), and the shaded fill of the
// untextured routines, whose interpolated channels are 8.16. The 16-bit formats differ from the RGB one
// only in their store and their mix.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace Tolm {

// Textured routines store directly from this source weight up; below it they blend.
inline constexpr uint32_t kOpaqueWeight = 240;

// x / d for x below 2^17 and d from 1 to 256, as a multiplication by ceil(2^32 / d): the rounding error
// of the reciprocal, x times less than d over 2^32, stays far below the 1 / d that would move the quotient.
inline constexpr auto kSmallReciprocals = [] {
    std::array<uint64_t, 257> reciprocals{};
    for (uint64_t d = 1; d <= 256; ++d) {
        reciprocals[d] = ((uint64_t(1) << 32) + d - 1) / d;
    }
    return reciprocals;
}();

inline uint32_t DivideSmall(uint32_t x, uint32_t d)
{
    return uint32_t((x * kSmallReciprocals[d]) >> 32);
}

// The shaded fill stores directly above 240.0 and leaves the pixel alone at 8.0 or less.
inline constexpr uint32_t kShadedOpaqueAbove = 0x00F00000;
inline constexpr uint32_t kShadedVisibleAbove = 0x00080000;

// 32-bit pixels with straight alpha: the source is composited over the destination weighted by the
// destination's own alpha, and divided by the combined alpha so the stored colour is straight again.
struct Argb8888Pixels
{
    using Pixel = uint32_t;
    // Rows lie the pitch apart rounded down to whole pixels, as in a 32-bit address space.
    static constexpr int kPitchMask = ~3;

    static void StoreOpaque(Pixel* pixel, uint32_t color) { *pixel = 0xFF000000 | (color & 0x00FFFFFF); }

    static void BlendStraight(Pixel* pixel, uint32_t color, uint32_t weight)
    {
        Composite<false>(pixel, (((color >> 16) & 0xFF) * weight) >> 8, (((color >> 8) & 0xFF) * weight) >> 8,
                         ((color & 0xFF) * weight) >> 8, weight);
    }

    static void BlendWeighted(Pixel* pixel, uint32_t color, uint32_t weight)
    {
        Composite<true>(pixel, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF, weight);
    }

    // Red and green keep fraction bits of the interpolated channel in their source terms.
    static void ShadedFill(Pixel* pixel, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
    {
        if (a > kShadedOpaqueAbove) {
            *pixel = 0xFF000000 | ((r >> 16) & 0xFF) << 16 | ((g >> 16) & 0xFF) << 8 | ((b >> 16) & 0xFF);
            return;
        }
        if (a <= kShadedVisibleAbove) {
            return;
        }
        uint32_t weight = a >> 16;
        Composite<false>(pixel, (r * weight) >> 24, ((g >> 8) * weight) >> 16, ((b >> 16) * weight) >> 8, weight);
    }

    // Source-over with source terms already weighted. A zero weight over a fully transparent pixel has a
    // combined alpha of 0: nothing is added there, so the pixel is left as it is rather than divided by 0.
    // An alpha-weighted source can reach a quotient of 256 over a transparent pixel; it saturates at 255
    // instead of wrapping to black.
    template <bool Saturate>
    static void Composite(Pixel* pixel, uint32_t red, uint32_t green, uint32_t blue, uint32_t weight)
    {
        uint32_t destination = *pixel;
        uint32_t destinationAlpha = destination >> 24;
        uint32_t keep = 256 - weight;
        uint32_t combined = 256 - (((256 - destinationAlpha) * keep) >> 8);
        if (combined == 0) {
            return;
        }
        auto channel = [&](uint32_t source, int shift) {
            uint32_t kept = ((((destination >> shift) & 0xFF) * destinationAlpha) >> 8) * keep;
            uint32_t quotient = DivideSmall(source * 256 + kept, combined);
            return (Saturate ? std::min<uint32_t>(quotient, 255) : quotient & 0xFF) << shift;
        };
        *pixel = (combined - 1) << 24 | channel(red, 16) | channel(green, 8) | channel(blue, 0);
    }
};

// The shaded fill of the formats without destination alpha: the integer parts of the interpolated
// channels, stored or blended as a straight source.
template <class Format>
void OpaqueShadedFill(typename Format::Pixel* pixel, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    uint32_t color = ((r >> 16) & 0xFF) << 16 | ((g >> 16) & 0xFF) << 8 | ((b >> 16) & 0xFF);
    if (a > kShadedOpaqueAbove) {
        Format::StoreOpaque(pixel, color);
        return;
    }
    if (a <= kShadedVisibleAbove) {
        return;
    }
    Format::BlendStraight(pixel, color, a >> 16);
}

// 32-bit pixels whose top byte is no alpha: the destination counts as opaque, is weighted by 255 - A and
// nothing is divided. Every written pixel gets 0xFF in its top byte. Red and blue travel together through
// one multiply, green through another; no product spills into a neighbouring channel.
struct Rgb888Pixels
{
    using Pixel = uint32_t;
    static constexpr int kPitchMask = ~3;

    static void StoreOpaque(Pixel* pixel, uint32_t color) { *pixel = 0xFF000000 | (color & 0x00FFFFFF); }

    static void BlendStraight(Pixel* pixel, uint32_t color, uint32_t weight)
    {
        Mix(pixel, Weigh(color, weight), weight);
    }

    static void BlendWeighted(Pixel* pixel, uint32_t color, uint32_t weight) { Mix(pixel, color, weight); }

    static void ShadedFill(Pixel* pixel, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
    {
        OpaqueShadedFill<Rgb888Pixels>(pixel, a, r, g, b);
    }

    // Each channel (c x weight) >> 8, in place.
    static uint32_t Weigh(uint32_t color, uint32_t weight)
    {
        return ((((color & 0x00FF00FF) * weight) >> 8) & 0x00FF00FF) |
               ((((color & 0x0000FF00) * weight) >> 8) & 0x0000FF00);
    }

    // The weighted source plus the destination weighted by 255 - A; the masks keep each channel's own
    // low 8 bits.
    static void Mix(Pixel* pixel, uint32_t source, uint32_t weight)
    {
        uint32_t kept = Weigh(*pixel, 255 - weight);
        uint32_t redBlue = ((source & 0x00FF00FF) + (kept & 0x00FF00FF)) & 0x00FF00FF;
        uint32_t green = ((source & 0x0000FF00) + (kept & 0x0000FF00)) & 0x0000FF00;
        *pixel = 0xFF000000 | redBlue | green;
    }
};

// The top 5, 6 and 5 bits of the red, green and blue of 0x..RRGGBB, truncated.
constexpr uint16_t Pack565(uint32_t color)
{
    return static_cast<uint16_t>(((color >> 8) & 0xF800) | ((color >> 5) & 0x07E0) | ((color >> 3) & 0x001F));
}

// The destination with every field weighted by k = (255 - A) >> 3 over 32, plus the packed source, which
// is already weighted by A. Red and blue are weighted in one product, green in another; the sum is added
// as one 16-bit value, and no field of it carries into the next for the sources the routines form.
constexpr uint16_t Mix565(uint16_t destination, uint32_t weighted, uint32_t weight)
{
    uint32_t k = (255 - weight) >> 3;
    uint32_t redBlue = ((destination & 0xF81Fu) * k) >> 5;
    uint32_t green = ((destination & 0x07E0u) * k) >> 5;
    uint32_t kept = ((green ^ redBlue) & 0x07E0) ^ redBlue;
    return static_cast<uint16_t>(kept + Pack565(weighted));
}

// The top 5 bits of each of red, green and blue; bit 15 stays 0.
constexpr uint16_t Pack555(uint32_t color)
{
    return static_cast<uint16_t>(((color >> 9) & 0x7C00) | ((color >> 6) & 0x03E0) | ((color >> 3) & 0x001F));
}

// Mix565 with 5-bit fields; the masks drop bit 15 of the destination.
constexpr uint16_t Mix555(uint16_t destination, uint32_t weighted, uint32_t weight)
{
    uint32_t k = (255 - weight) >> 3;
    uint32_t redBlue = (((destination & 0x7C1Fu) * k) >> 5) & 0x7C1F;
    uint32_t green = (((destination & 0x03E0u) * k) >> 5) & 0x03E0;
    return static_cast<uint16_t>((redBlue | green) + Pack555(weighted));
}

// 16-bit pixels without alpha, by their pack and mix: the destination's share has 5 bits of precision
// and is never widened to 8-bit channels. Rows lie the pitch apart with its lowest bit cleared.
template <uint16_t (*Pack)(uint32_t), uint16_t (*Mix)(uint16_t, uint32_t, uint32_t)>
struct SixteenBitPixels
{
    using Pixel = uint16_t;
    static constexpr int kPitchMask = ~1;

    static void StoreOpaque(Pixel* pixel, uint32_t color) { *pixel = Pack(color); }

    static void BlendStraight(Pixel* pixel, uint32_t color, uint32_t weight)
    {
        *pixel = Mix(*pixel, Rgb888Pixels::Weigh(color, weight), weight);
    }

    static void BlendWeighted(Pixel* pixel, uint32_t color, uint32_t weight) { *pixel = Mix(*pixel, color, weight); }

    static void ShadedFill(Pixel* pixel, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
    {
        OpaqueShadedFill<SixteenBitPixels>(pixel, a, r, g, b);
    }
};

using Rgb565Pixels = SixteenBitPixels<Pack565, Mix565>;
using Rgb555Pixels = SixteenBitPixels<Pack555, Mix555>;

} // namespace Tolm
