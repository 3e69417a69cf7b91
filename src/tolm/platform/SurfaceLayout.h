// The pixel layouts our memory surfaces come in. A desktop or display mode of 16 bits is 5-6-5 or
// 5-5-5, one of 32 bits x8-8-8; the others exist so that tests can reach what a real card may give:
// blue-first orders, a 16-bit layout that is neither 5-6-5 nor 5-5-5, and the 24- and 8-bit depths
// the display refuses. The layouts with alpha are texture formats of the 3D device.
#pragma once

#include "platform/DirectDrawTypes.h"

#include <cstdint>
#include <optional>

namespace Platform {

enum class SurfaceLayout
{
    Rgb565,
    Rgb555,
    Xrgb8888,
    Bgr565,
    Xbgr8888,
    Xrgb4444,
    Rgb888,
    Palette8,
    Argb8888,
    Argb4444,
    Argb1555,
};

struct SurfaceLayoutInfo
{
    uint32_t bitsPerPixel;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    uint32_t alphaMask = 0;
};

const SurfaceLayoutInfo& InfoOf(SurfaceLayout layout);
inline int BytesPerPixel(SurfaceLayout layout)
{
    return int(InfoOf(layout).bitsPerPixel / 8);
}

DDPIXELFORMAT PixelFormatOf(SurfaceLayout layout);
// None for a format no surface can have.
std::optional<SurfaceLayout> LayoutOf(const DDPIXELFORMAT& format);

// One pixel of a row in the layout, as 0x00RRGGBB with each channel's top bits repeated into its low
// ones, so that full channels show as 255. A palette image needs its colours to be shown.
uint32_t PixelToRgb(SurfaceLayout layout, const uint8_t* pixel, const PALETTEENTRY* palette);
// Reads and writes a pixel value of 1 to 4 bytes, little-endian.
uint32_t ReadPixelValue(const uint8_t* pixel, int bytesPerPixel);
void WritePixelValue(uint8_t* pixel, int bytesPerPixel, uint32_t value);

} // namespace Platform
