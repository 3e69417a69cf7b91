// A colour with alpha, as every draw passes it. The components are plain ints that nothing clamps,
// and the packed form is the 0xAARRGGBB word that image pixels hold.
#pragma once

#include <cstdint>

namespace Tolm {

class Color
{
public:
    static const Color White;
    static const Color ColorBlack;

    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 255;

    constexpr Color() = default;
    constexpr Color(int red, int green, int blue) : red(red), green(green), blue(blue) {}
    constexpr Color(int red, int green, int blue, int alpha) : red(red), green(green), blue(blue), alpha(alpha) {}

    static constexpr Color CopyOpaque(const Color& other) { return Color(other.red, other.green, other.blue); }

    // A packed 0xRRGGBB with no alpha byte means an opaque colour unless the caller keeps the zero alpha.
    static constexpr Color FromPacked(uint32_t packed, bool keepZeroAlpha)
    {
        int alpha = int(packed >> 24);
        if (alpha == 0 && !keepZeroAlpha) {
            alpha = 255;
        }
        return Color(int((packed >> 16) & 0xFF), int((packed >> 8) & 0xFF), int(packed & 0xFF), alpha);
    }

    // Components are ORed in place without masking: one outside 0..255 spills into its neighbours' bits.
    constexpr uint32_t ToPacked() const
    {
        return (uint32_t(alpha) << 24) | (uint32_t(red) << 16) | (uint32_t(green) << 8) | uint32_t(blue);
    }

    constexpr int GetRed() const { return red; }
    constexpr int GetGreen() const { return green; }
    constexpr int GetBlue() const { return blue; }
    constexpr int GetAlpha() const { return alpha; }
};

inline constexpr Color Color::White{255, 255, 255, 255};
inline constexpr Color Color::ColorBlack{0, 0, 0, 255};

constexpr bool ColorEquals(const Color& a, const Color& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

constexpr bool ColorDiffers(const Color& a, const Color& b)
{
    return !ColorEquals(a, b);
}

} // namespace Tolm
