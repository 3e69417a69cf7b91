#include "platform/SurfaceLayout.h"

#include <bit>
#include <cstring>

namespace Platform {

namespace {

struct LayoutEntry
{
    SurfaceLayout layout;
    SurfaceLayoutInfo info;
};

constexpr LayoutEntry kLayouts[] = {
    {SurfaceLayout::Rgb565, {16, 0xF800, 0x07E0, 0x001F}},
    {SurfaceLayout::Rgb555, {16, 0x7C00, 0x03E0, 0x001F}},
    {SurfaceLayout::Xrgb8888, {32, 0x00FF0000, 0x0000FF00, 0x000000FF}},
    {SurfaceLayout::Bgr565, {16, 0x001F, 0x07E0, 0xF800}},
    {SurfaceLayout::Xbgr8888, {32, 0x000000FF, 0x0000FF00, 0x00FF0000}},
    {SurfaceLayout::Xrgb4444, {16, 0x0F00, 0x00F0, 0x000F}},
    {SurfaceLayout::Rgb888, {24, 0xFF0000, 0x00FF00, 0x0000FF}},
    {SurfaceLayout::Palette8, {8, 0, 0, 0}},
    {SurfaceLayout::Argb8888, {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
    {SurfaceLayout::Argb4444, {16, 0x0F00, 0x00F0, 0x000F, 0xF000}},
    {SurfaceLayout::Argb1555, {16, 0x7C00, 0x03E0, 0x001F, 0x8000}},
};

// The channel's bits moved to the top of a byte, then repeated downwards.
uint32_t ExpandChannel(uint32_t value, uint32_t mask)
{
    if (mask == 0) {
        return 0;
    }
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    uint32_t top = ((value & mask) >> shift) << (8 - bits);
    uint32_t expanded = top;
    for (int filled = bits; filled < 8; filled += bits) {
        expanded |= top >> filled;
    }
    return expanded & 0xFF;
}

} // namespace

const SurfaceLayoutInfo& InfoOf(SurfaceLayout layout)
{
    for (const LayoutEntry& entry : kLayouts) {
        if (entry.layout == layout) {
            return entry.info;
        }
    }
    return kLayouts[0].info;
}

DDPIXELFORMAT PixelFormatOf(SurfaceLayout layout)
{
    const SurfaceLayoutInfo& info = InfoOf(layout);
    DDPIXELFORMAT format;
    format.flags = layout == SurfaceLayout::Palette8 ? DDPF_RGB | DDPF_PALETTEINDEXED8 : DDPF_RGB;
    format.rgbBitCount = info.bitsPerPixel;
    format.redMask = info.redMask;
    format.greenMask = info.greenMask;
    format.blueMask = info.blueMask;
    format.alphaMask = info.alphaMask;
    if (info.alphaMask != 0) {
        format.flags |= DDPF_ALPHAPIXELS;
    }
    return format;
}

std::optional<SurfaceLayout> LayoutOf(const DDPIXELFORMAT& format)
{
    for (const LayoutEntry& entry : kLayouts) {
        const SurfaceLayoutInfo& info = entry.info;
        bool palettized = (format.flags & DDPF_PALETTEINDEXED8) != 0;
        if (palettized != (entry.layout == SurfaceLayout::Palette8) || format.rgbBitCount != info.bitsPerPixel) {
            continue;
        }
        uint32_t alphaMask = (format.flags & DDPF_ALPHAPIXELS) != 0 ? format.alphaMask : 0;
        if (palettized || (format.redMask == info.redMask && format.greenMask == info.greenMask &&
                           format.blueMask == info.blueMask && alphaMask == info.alphaMask)) {
            return entry.layout;
        }
    }
    return std::nullopt;
}

uint32_t ReadPixelValue(const uint8_t* pixel, int bytesPerPixel)
{
    uint32_t value = 0;
    std::memcpy(&value, pixel, std::size_t(bytesPerPixel));
    return value;
}

void WritePixelValue(uint8_t* pixel, int bytesPerPixel, uint32_t value)
{
    std::memcpy(pixel, &value, std::size_t(bytesPerPixel));
}

uint32_t PixelToRgb(SurfaceLayout layout, const uint8_t* pixel, const PALETTEENTRY* palette)
{
    if (layout == SurfaceLayout::Palette8) {
        if (!palette) {
            return 0;
        }
        const PALETTEENTRY& entry = palette[*pixel];
        return uint32_t(entry.red) << 16 | uint32_t(entry.green) << 8 | entry.blue;
    }
    const SurfaceLayoutInfo& info = InfoOf(layout);
    uint32_t value = ReadPixelValue(pixel, int(info.bitsPerPixel / 8));
    return ExpandChannel(value, info.redMask) << 16 | ExpandChannel(value, info.greenMask) << 8 |
           ExpandChannel(value, info.blueMask);
}

} // namespace Platform
