// What the drawing into locked surfaces shares: the lock around a draw, the tint as the rules take it,
// the 32-bit rules that the blend kernels compute a run at a time, the two forms a source's display-format
// words come in, and the walk along a destination row in either direction.
#pragma once

#include "display/DDImage.h"
#include "display/LockedSurface.h"
#include "display/SurfaceBlendRules.h"
#include "graphics/BlendKernels.h"
#include "graphics/Color.h"
#include "graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

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

// A 32-bit rule whose blend the blend kernels compute a run at a time, giving the same pixels.
template <typename Rule>
struct KernelBlend : Rule
{
    BlendRow row;
    BlendTint tint;

    void BlendRun(uint32_t* dest, const uint32_t* source, int count) const { row(dest, source, count, tint); }
};

// The kernels' additions keep the destination's top byte, which the surface's additive rules leave 0.
template <typename Rule>
struct KernelAdd : Rule
{
    BlendRow row;
    BlendTint tint;

    void BlendRun(uint32_t* dest, const uint32_t* source, int count) const
    {
        row(dest, source, count, tint);
        for (int k = 0; k < count; ++k) {
            dest[k] &= 0x00FFFFFF;
        }
    }
};

template <typename Rule>
concept BlendsRuns = requires(const Rule& rule, uint32_t* dest, const uint32_t* source)
{
    rule.BlendRun(dest, source, 1);
};

// A tint for the kernels, its channels placed by the byte each colour channel of the surface takes; none
// unless the three channels are the low three bytes in some order.
inline std::optional<BlendTint> TintByBytes(const LockedSurface& surface, const SurfaceBlend::ScaledTint& tint)
{
    BlendTint placed{0, 0, 0, tint.alpha};
    uint32_t* bytes[] = {&placed.blue, &placed.green, &placed.red};
    const std::pair<uint32_t, uint32_t> channels[] = {
        {surface.red.mask, tint.red}, {surface.green.mask, tint.green}, {surface.blue.mask, tint.blue}};
    int found = 0;
    for (const auto& [mask, value] : channels) {
        for (int byte = 0; byte < 3; ++byte) {
            if (mask == 0xFFu << (8 * byte)) {
                *bytes[byte] = value;
                found |= 1 << byte;
            }
        }
    }
    return found == 7 ? std::optional<BlendTint>(placed) : std::nullopt;
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
