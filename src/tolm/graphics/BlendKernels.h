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
// A row drawn along the source's run table (see MemoryImage): runs[i] counts the pixels from pixel i to the
// end of its run of clear, opaque or partial alpha, at most 255, and may reach past the row.
using RunRow = void (*)(uint32_t* dest, const uint32_t* source, const uint8_t* runs, int count);

// The length of the run at pixel i of a row of count pixels, cut at the row's end; a damaged entry of 0
// counts as 1.
inline int RunLength(const uint8_t* runs, int i, int count)
{
    int length = runs[i] == 0 ? 1 : int(runs[i]);
    return length < count - i ? length : count - i;
}

using FillRow = void (*)(uint32_t* dest, int count, uint32_t color);

// The area-filtered stretch works in two halves per destination row. The first weighs the source rows that
// make the row up, column by column: per source pixel, four 16-bit lanes (blue, green, red, alpha) of
// sum(weight x channel), stored offset by 0x8000 so that they read as signed. Weights are 0..257 and sum to
// at most 257 per row, so every lane holds its exact sum.
using StretchColumnsRow = void (*)(uint16_t* sums, const uint32_t* const* rows, const uint16_t* weights, int taps,
                                   int count);

// The second half weighs those column sums into destination entries: entry c is
// sum over t of w(c, t) x sums[first[c] + t], taken two columns at a time, with 32-bit totals.
struct StretchEntryWeights
{
    // Per entry: its first column in the sums.
    const int32_t* first;
    // Per pair p of columns and entry c, at (p * count + c) * 4: four copies of the pair's 16-bit weights,
    // the first column's in the low half.
    const int32_t* weights;
    // Per entry, at c * 4: four copies of 32768 x (sum of its weights), which undoes the sums' offset.
    const int32_t* bias;
    int pairs;
    // A multiple of 16; the entries past the last real one have no weight.
    int count;
};

// Each entry becomes a pixel whose channels are total >> 16, kept to 0..255.
using StretchEntriesRow = void (*)(uint32_t* pixels, const uint16_t* sums, const StretchEntryWeights& entries);

// How a bilinear sample combines with the destination: blended (normal) or added, untinted (white) or
// tinted. An additive tint comes with each colour component already scaled by its alpha.
struct SampleRule
{
    bool additive = false;
    bool white = true;
    BlendTint tint;
};

// A draw moved by a fraction of a pixel samples every pixel at the same place between four texels: (i, j),
// (i + 1, j), (i, j + 1) and (i + 1, j + 1), under these area weights (each below 65536).
struct ShiftedSampling
{
    uint32_t area[4];
    SampleRule rule;
};

// Sample k weighs texels k and k + 1 of the row above and of the row below. Pixels whose texels all weigh
// nothing are left alone.
using SampleRow = void (*)(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                           const ShiftedSampling& sampling);

// A translucent fill of a display surface's row: each pixel becomes the colour, already weighed into the
// surface's channels, plus its own channels scaled by k = 256 - alpha, in one plain sum of words.
template <typename Pixel>
using SurfaceFillRow = void (*)(Pixel* dest, int count, uint32_t colour, uint32_t k);

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
    // The same, guided by the source row's run table, which must match its pixels: clear runs are skipped
    // and opaque runs copied without looking at each pixel.
    RunRow blitRunsOntoOpaque;
    // Saturating additions that keep the destination alpha. The weighted ones scale the source by its
    // alpha; the tinted ones take the tint already scaled by its alpha.
    BlendRow addWhite;
    BlendRow addWhiteWeighted;
    BlendRow addTinted;
    BlendRow addTintedWeighted;
    // Blends a colour whose alpha is 1..255 over the destination, taking its alpha into account.
    FillRow overBlend;
    // The area-filtered stretch (above), and the blend of its pixels by their own alpha a: each channel
    // ((s * a) >> 8) + ((d * (256 - a)) >> 8), alpha dA + ((255 - dA) * a) / 255; a = 0 leaves the pixel.
    StretchColumnsRow stretchColumns;
    StretchEntriesRow stretchEntries;
    BlendRow stretchOver;
    // The bilinear samples of a draw moved by a fraction of a pixel, combined by the rotated blits' rules.
    SampleRow sampleShifted;
    // Blends of premultiplied sources over 32-bit display surfaces, whose top byte is no alpha: every
    // pixel of the row is blended, clear ones too. The untinted one adds the source word to the
    // destination's channels, each scaled to (d * (256 - a)) >> 8, as one 32-bit sum. The tinted one gives
    // each channel ((d * q + s * c) >> 8) & 255, with q = 256 - (a * tint alpha) / 255 and c the tint's
    // channel already scaled by its alpha, and a top byte of 0.
    BlendRow blendPremultiplied;
    BlendRow blendPremultipliedTinted;
    // The untinted addition onto a 32-bit display surface: a source pixel whose colour (its low three
    // bytes) is black leaves the destination as it is; any other adds its colour, each channel saturating,
    // and leaves a top byte of 0.
    BlendRow addOntoSurface;
    // The fills: on 32 bits each of the low three bytes becomes (c * k) >> 8 and the top byte 0; on 5-6-5
    // (either order) each field c of largest value m becomes (c * k + m) >> 8.
    SurfaceFillRow<uint32_t> fillSurface32;
    SurfaceFillRow<uint16_t> fillSurface565;
    // The samples of a draw moved by a fraction of a pixel onto a 32-bit display surface whose low three
    // bytes are red, green and blue from the top, by the surface's own rules: every pixel of the row is
    // written, with a top byte of 0, and the destination's top byte takes no part. In normal mode each
    // channel is C + ((d * (256 - T)) >> 8), with T the sample's total weight and C its colour: sum >> 8
    // untinted; tinted, the weights scaled by the tint's alpha first, red and green (sum * (c + 1)) >> 16
    // and blue ((sum >> 8) * (c + 1)) >> 8. Additive mode always takes the tinted addition, saturating,
    // with the tint already scaled by its alpha (white for an untinted draw).
    SampleRow sampleShiftedOntoSurface;
};

const BlendKernels& ScalarBlendKernels();
// Null when the processor lacks the instructions.
const BlendKernels* Sse2BlendKernels();
const BlendKernels* Avx2BlendKernels();
const BlendKernels* Avx512BlendKernels();
// The fastest set this processor runs, unless QUENDARA_BLEND_KERNELS names another it runs.
const BlendKernels& ActiveBlendKernels();

} // namespace Tolm
