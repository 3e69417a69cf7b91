// What the drawing into locked surfaces shares: the lock around a draw, the tint as the rules take it,
// the two forms a source's display-format words come in, and the walk along a destination row in either
// direction.
#pragma once

#include "display/DDImage.h"
#include "display/LockedSurface.h"
#include "display/SurfaceBlendRules.h"
#include "graphics/Color.h"
#include "graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>

namespace Tolm {

// Runs `draw` on the image's locked pixels; nothing when the surface has a depth the routines do not
// draw. False when it could not be locked.
template <typename Draw>
bool DrawOnLockedSurface(DDImage& image, Draw draw)
{
    if (!image.LockSurface()) {
        return false;
    }
    if (std::optional<LockedSurface> surface = LockedSurface::Of(image)) {
        draw(*surface);
    }
    image.UnlockSurface();
    return true;
}

// Each component times the alpha over 255, for a colour clamped to 0..255.
inline SurfaceBlend::ScaledTint ScaleTint(const Color& color)
{
    auto scale = [&color](int component) { return uint32_t(component * color.alpha) / 255; };
    return {scale(color.red), scale(color.green), scale(color.blue), uint32_t(color.alpha)};
}

// A source's display-format words by their index into its pixels: straight from its copy, or through the
// 256 words of its palette.
struct DirectSource
{
    const uint32_t* words;

    [[gnu::always_inline]] uint32_t operator[](std::size_t i) const { return words[i]; }
};

struct PaletteSource
{
    const uint8_t* indices;
    const uint32_t* table;

    [[gnu::always_inline]] uint32_t operator[](std::size_t i) const { return table[indices[i]]; }
};

// Calls `draw` with the source's form; false when the source has no display-format words.
template <typename Draw>
bool WithSourceForm(MemoryImage& source, const PixelFormat& format, Draw draw)
{
    const uint32_t* words = source.GetNativeBits(format);
    if (!words) {
        return false;
    }
    if (source.HasPalette()) {
        draw(PaletteSource{source.colorIndices.get(), words});
    } else {
        draw(DirectSource{words});
    }
    return true;
}

// Pixel i of a destination row, counted from its first pixel to the right or, mirrored, to the left.
template <typename Pixel, BlitFacing Facing>
struct DestinationRow
{
    Pixel* first;

    [[gnu::always_inline]] Pixel& operator[](std::ptrdiff_t i) const
    {
        return Facing == BlitFacing::Plain ? first[i] : first[-i];
    }
};

} // namespace Tolm
