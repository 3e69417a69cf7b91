// A surface image's locked pixels as the drawing routines see them: the first pixel, the row stride, the
// depth, and per channel its mask, width, position and saturation table, with the layout the routines
// have arithmetic of their own for.
#pragma once

#include "display/SaturationTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace Tolm {

class DDImage;

// The surface's red, green and blue masks.
struct ChannelMasks
{
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
};

struct SurfaceChannel
{
    uint32_t mask = 0;
    int bits = 0;
    int shift = 0;
    // 2 * max + 1 entries, entry i = min(i, max).
    const int* saturation = nullptr;
};

// 16-bit layouts whose green mask is 0x07E0 or 0x03E0 spread a pixel over 32 bits, green in the high
// half, red and blue in the low one, so that one multiply scales all three channels. Any other 16-bit
// layout works channel by channel.
enum class SurfaceKind
{
    Spread565,
    Spread555,
    Masked16,
    Bits32,
};

class LockedSurface
{
public:
    // The image's held lock; none without pixels (no lock, or a lock lost) or at a depth other than 16 and
    // 32 bits.
    static std::optional<LockedSurface> Of(const DDImage& image);

    template <typename Pixel>
    Pixel* Row(int y) const
    {
        return reinterpret_cast<Pixel*>(first + std::ptrdiff_t(y) * rowBytes);
    }

    template <typename Pixel>
    Pixel* At(int x, int y) const
    {
        return Row<Pixel>(y) + x;
    }

    ChannelMasks Masks() const { return {red.mask, green.mask, blue.mask}; }

    std::byte* first = nullptr;
    // The pitch, cut to whole pixels.
    std::ptrdiff_t rowBytes = 0;
    int depth = 0;
    SurfaceKind kind = SurfaceKind::Bits32;
    // The display's blue mask lies below its green mask and that below its red mask.
    bool rgbOrder = false;
    SurfaceChannel red;
    SurfaceChannel green;
    SurfaceChannel blue;
};

} // namespace Tolm
