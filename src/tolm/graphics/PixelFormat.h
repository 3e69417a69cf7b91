// A display's pixel layout, and the display-native form of a pixel: colour premultiplied by
// (alpha + 1) / 256 and reduced to the display's bit depth, with the alpha byte kept on top.
#pragma once

#include <cstdint>

namespace Tolm {

struct ChannelFormat
{
    uint32_t mask = 0;
    int bits = 0;
    int shift = 0;
};

struct PixelFormat
{
    ChannelFormat red;
    ChannelFormat green;
    ChannelFormat blue;

    static constexpr PixelFormat Argb8888() { return {{0x00FF0000, 8, 16}, {0x0000FF00, 8, 8}, {0x000000FF, 8, 0}}; }
    static constexpr PixelFormat Rgb565() { return {{0xF800, 5, 11}, {0x07E0, 6, 5}, {0x001F, 5, 0}}; }
    static constexpr PixelFormat Rgb555() { return {{0x7C00, 5, 10}, {0x03E0, 5, 5}, {0x001F, 5, 0}}; }

    constexpr bool operator==(const PixelFormat& other) const
    {
        return SameChannel(red, other.red) && SameChannel(green, other.green) && SameChannel(blue, other.blue);
    }

    constexpr uint32_t ToNative(uint32_t pixel) const
    {
        uint32_t scale = (pixel >> 24) + 1;
        uint32_t redPart = ((((pixel & 0x00FF0000) * scale) >> 8) >> (24 - red.bits) << red.shift) & red.mask;
        uint32_t greenPart = ((((pixel & 0x0000FF00) * scale) >> 8) >> (16 - green.bits) << green.shift) & green.mask;
        uint32_t bluePart = ((((pixel & 0x000000FF) * scale) >> 8) >> (8 - blue.bits) << blue.shift) & blue.mask;
        return redPart | greenPart | bluePart | (pixel & 0xFF000000);
    }

    // Loses the low bits that the premultiplication and the bit depth dropped.
    constexpr uint32_t FromNative(uint32_t native) const
    {
        uint32_t alpha = native >> 24;
        return (alpha << 24) | (FromNativeChannel(native, alpha, red) << 16) |
               (FromNativeChannel(native, alpha, green) << 8) | FromNativeChannel(native, alpha, blue);
    }

private:
    static constexpr bool SameChannel(const ChannelFormat& a, const ChannelFormat& b)
    {
        return a.mask == b.mask && a.bits == b.bits && a.shift == b.shift;
    }

    static constexpr uint32_t FromNativeChannel(uint32_t native, uint32_t alpha, const ChannelFormat& channel)
    {
        uint32_t unscaled = channel.mask & (((channel.mask & native) * 256) / (alpha + 1));
        return (unscaled * 256) >> (channel.bits + channel.shift);
    }
};

} // namespace Tolm
