// The per-row pixel arithmetic of the software blits and fills, in one plain version and in vector
// versions for the processors that have them. Every version gives the same pixels bit for bit.
#pragma once

#include <cstdint>

namespace Tolm {

// A draw colour with every component in 0..255.
struct BlendTint
{
    uint32_t red = 255;
    uint32_t green = 255;
    uint32_t blue = 255;
    uint32_t alpha = 255;
};

using BlendRow = void (*)(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint);
using FillRow = void (*)(uint32_t* dest, int count, uint32_t color);

struct BlendKernels
{
    const char* name;
    // The general normal-mode blend, which takes the destination alpha into account. The grey one wants
    // red = green = blue; pixels whose weight comes out 0 are left alone.
    BlendRow blendWhite;
    BlendRow blendGrey;
    BlendRow blendTinted;
    // Over a destination taken to be opaque: opaque pixels are copied, clear ones skipped, and the others
    // blend by their own alpha and come out opaque.
    BlendRow blitOntoOpaque;
    // Saturating additions that keep the destination alpha. The weighted ones scale the source by its
    // alpha; the tinted ones take the tint already scaled by its alpha.
    BlendRow addWhite;
    BlendRow addWhiteWeighted;
    BlendRow addTinted;
    BlendRow addTintedWeighted;
    // Blends a colour whose alpha is 1..255 over the destination, taking its alpha into account.
    FillRow overBlend;
};

const BlendKernels& ScalarBlendKernels();
// Null when the processor lacks the instructions.
const BlendKernels* Sse2BlendKernels();
const BlendKernels* Avx2BlendKernels();
const BlendKernels* Avx512BlendKernels();
// The fastest set this processor runs, unless QUENDARA_BLEND_KERNELS names another it runs.
const BlendKernels& ActiveBlendKernels();

} // namespace Tolm
