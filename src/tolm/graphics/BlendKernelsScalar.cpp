// The plain per-pixel version of the blend kernels: the vector versions use it for the pixels left over at
// the end of a row, and it is what runs where no vector version does.
#include "graphics/AddSaturateTable.h"
#include "graphics/BlendKernels.h"
#include "graphics/BlendWeights.h"
#include "graphics/RotationSampling.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Tolm {

namespace {

uint32_t Red(uint32_t pixel)
{
    return (pixel >> 16) & 0xFF;
}

uint32_t Green(uint32_t pixel)
{
    return (pixel >> 8) & 0xFF;
}

uint32_t Blue(uint32_t pixel)
{
    return pixel & 0xFF;
}

uint32_t Pack(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue)
{
    return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

uint32_t Saturate(uint32_t sum)
{
    return addSaturateTable[sum];
}

// Red and green round their two products together, blue each product on its own: that is how the packed
// red-blue arithmetic of the original formula falls out per channel.
uint32_t BlendWhitePixel(uint32_t s, uint32_t d, uint32_t h, uint32_t outAlpha)
{
    uint32_t k = 256 - h;
    return Pack(outAlpha, (Red(s) * h + Red(d) * k) >> 8, (Green(s) * h + Green(d) * k) >> 8,
                ((Blue(s) * h) >> 8) + ((Blue(d) * k) >> 8));
}

void BlendWhite(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = source[i];
        uint32_t a = s >> 24;
        if (a == 0) {
            continue;
        }
        BlendWeight w = LookUpBlendWeight(a, dest[i] >> 24);
        dest[i] = BlendWhitePixel(s, dest[i], w.weight, w.outAlpha);
    }
}

void BlendGrey(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint)
{
    uint32_t grey = tint.red;
    for (int i = 0; i < count; ++i) {
        uint32_t s = source[i];
        uint32_t l = ((s >> 24) * tint.alpha) / 255;
        if (l == 0) {
            continue;
        }
        uint32_t d = dest[i];
        BlendWeight w = LookUpBlendWeight(l, d >> 24);
        uint32_t h = w.weight;
        uint32_t k = 256 - h;
        uint32_t red = ((((Red(s) * grey) >> 8) * h) + Red(d) * k) >> 8;
        uint32_t green = (((Green(s) * h * grey) >> 8) + Green(d) * k) >> 8;
        uint32_t blue = ((((Blue(s) * grey) >> 8) * h) >> 8) + ((Blue(d) * k) >> 8);
        dest[i] = Pack(w.outAlpha, red, green, blue);
    }
}

void BlendTinted(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = source[i];
        uint32_t l = ((s >> 24) * tint.alpha) / 255;
        if (l == 0) {
            continue;
        }
        uint32_t d = dest[i];
        BlendWeight w = LookUpBlendWeight(l, d >> 24);
        uint32_t h = w.weight;
        uint32_t k = 256 - h;
        uint32_t red = (((Red(s) * h * tint.red) >> 8) + Red(d) * k) >> 8;
        uint32_t green = (((Green(s) * h * tint.green) >> 8) + Green(d) * k) >> 8;
        uint32_t blue = ((Blue(s) * h * tint.blue) >> 16) + ((Blue(d) * k) >> 8);
        dest[i] = Pack(w.outAlpha, red, green, blue);
    }
}

void BlitOntoOpaque(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
{
    for (int i = 0; i < count; ++i) {
        uint32_t a = source[i] >> 24;
        if (a == 255) {
            dest[i] = source[i];
        } else if (a != 0) {
            dest[i] = BlendWhitePixel(source[i], dest[i], a, 255);
        }
    }
}

void BlitRunsOntoOpaque(uint32_t* dest, const uint32_t* source, const uint8_t* runs, int count)
{
    for (int i = 0; i < count;) {
        int length = RunLength(runs, i, count);
        uint32_t alpha = source[i] >> 24;
        if (alpha == 255) {
            std::memcpy(dest + i, source + i, std::size_t(length) * sizeof(uint32_t));
        } else if (alpha != 0) {
            BlitOntoOpaque(dest + i, source + i, length, BlendTint());
        }
        i += length;
    }
}

template <typename Amount>
void AddEach(uint32_t* dest, const uint32_t* source, int count, Amount amount)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = source[i];
        uint32_t d = dest[i];
        uint32_t a = s >> 24;
        dest[i] = Pack(d >> 24, Saturate(Red(d) + amount(Red(s), a, 2)), Saturate(Green(d) + amount(Green(s), a, 1)),
                       Saturate(Blue(d) + amount(Blue(s), a, 0)));
    }
}

void AddWhite(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
{
    AddEach(dest, source, count, [](uint32_t s, uint32_t, int) { return s; });
}

void AddWhiteWeighted(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
{
    AddEach(dest, source, count, [](uint32_t s, uint32_t a, int) { return (s * a) >> 8; });
}

uint32_t TintOf(const BlendTint& tint, int channel)
{
    return channel == 2 ? tint.red : channel == 1 ? tint.green : tint.blue;
}

void AddTinted(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint)
{
    AddEach(dest, source, count,
            [&tint](uint32_t s, uint32_t, int channel) { return (s * TintOf(tint, channel)) >> 8; });
}

void AddTintedWeighted(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint)
{
    AddEach(dest, source, count, [&tint](uint32_t s, uint32_t a, int channel) {
        uint32_t tinted = s * TintOf(tint, channel);
        return channel == 0 ? ((tinted >> 8) * a) >> 8 : (tinted * a) >> 16;
    });
}

void OverBlend(uint32_t* dest, int count, uint32_t color)
{
    uint32_t a = color >> 24;
    for (int i = 0; i < count; ++i) {
        uint32_t d = dest[i];
        BlendWeight w = LookUpBlendWeight(a, d >> 24);
        uint32_t m = w.weight;
        uint32_t k = 256 - m;
        dest[i] = Pack(w.outAlpha, (Red(color) * m + Red(d) * k) >> 8, (Green(color) * m + Green(d) * k) >> 8,
                       (Blue(color) * m + Blue(d) * k) >> 8);
    }
}

void StretchColumns(uint16_t* sums, const uint32_t* const* rows, const uint16_t* weights, int taps, int count)
{
    for (int x = 0; x < count; ++x) {
        for (int channel = 0; channel < 4; ++channel) {
            uint32_t sum = 0;
            for (int t = 0; t < taps; ++t) {
                sum += ((rows[t][x] >> (8 * channel)) & 0xFF) * weights[t];
            }
            sums[4 * x + channel] = uint16_t(sum ^ 0x8000);
        }
    }
}

uint32_t SumToChannel(int32_t sum)
{
    return uint32_t(std::clamp(sum >> 16, 0, 255));
}

void StretchEntries(uint32_t* pixels, const uint16_t* sums, const StretchEntryWeights& entries)
{
    for (int c = 0; c < entries.count; ++c) {
        uint32_t pixel = 0;
        for (int channel = 0; channel < 4; ++channel) {
            int32_t total = entries.bias[4 * c];
            for (int p = 0; p < entries.pairs; ++p) {
                uint32_t pair = uint32_t(entries.weights[4 * (p * entries.count + c)]);
                const uint16_t* column = sums + 4 * (entries.first[c] + 2 * p) + channel;
                total += int16_t(column[0]) * int16_t(pair & 0xFFFF) + int16_t(column[4]) * int16_t(pair >> 16);
            }
            pixel |= SumToChannel(total) << (8 * channel);
        }
        pixels[c] = pixel;
    }
}

void StretchOver(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = source[i];
        uint32_t a = s >> 24;
        if (a == 0) {
            continue;
        }
        uint32_t d = dest[i];
        uint32_t destAlpha = d >> 24;
        auto mix = [a](uint32_t sc, uint32_t dc) { return ((sc * a) >> 8) + ((dc * (256 - a)) >> 8); };
        dest[i] = Pack(destAlpha + ((255 - destAlpha) * a) / 255, mix(Red(s), Red(d)), mix(Green(s), Green(d)),
                       mix(Blue(s), Blue(d)));
    }
}

template <int Taps>
void SampleShiftedTaps(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                       const ShiftedSampling& sampling)
{
    for (int k = 0; k < count; ++k) {
        const uint32_t texel[4] = {top[k], top[k + 1], bottom[k], bottom[k + 1]};
        dest[k] = RotationSampling::SampleShiftedPixel<Taps>(dest[k], texel, sampling);
    }
}

void SampleShifted(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                   const ShiftedSampling& sampling)
{
    (RotationSampling::OnlyFirstTexelWeighs(sampling) ? SampleShiftedTaps<1> : SampleShiftedTaps<4>)(dest, top, bottom,
                                                                                                     count, sampling);
}

// One sample combined with a 32-bit surface pixel by the surface's rules (see BlendKernels.h).
uint32_t SampleOntoSurfacePixel(uint32_t d, const RotationSampling::Sums& sums, const SampleRule& rule)
{
    if (rule.additive) {
        return RotationSampling::AdditiveTinted(d, sums, rule.tint) & 0x00FFFFFF;
    }
    const BlendTint& tint = rule.tint;
    uint32_t red = rule.white ? sums.red >> 8 : (sums.red * (tint.red + 1)) >> 16;
    uint32_t green = rule.white ? sums.green >> 8 : (sums.green * (tint.green + 1)) >> 16;
    uint32_t blue = rule.white ? sums.blue >> 8 : ((sums.blue >> 8) * (tint.blue + 1)) >> 8;
    uint32_t k = 256 - sums.total;
    return Pack(0, red + ((Red(d) * k) >> 8), green + ((Green(d) * k) >> 8), blue + ((Blue(d) * k) >> 8));
}

template <int Taps>
void SampleShiftedOntoSurfaceTaps(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                                  const ShiftedSampling& sampling)
{
    uint32_t scale = RotationSampling::WeightScale(sampling.rule);
    for (int k = 0; k < count; ++k) {
        const uint32_t texel[4] = {top[k], top[k + 1], bottom[k], bottom[k + 1]};
        RotationSampling::Sums sums = RotationSampling::SumTexels<Taps>(texel, sampling.area, scale);
        dest[k] = SampleOntoSurfacePixel(dest[k], sums, sampling.rule);
    }
}

void SampleShiftedOntoSurface(uint32_t* dest, const uint32_t* top, const uint32_t* bottom, int count,
                              const ShiftedSampling& sampling)
{
    (RotationSampling::OnlyFirstTexelWeighs(sampling)
         ? SampleShiftedOntoSurfaceTaps<1>
         : SampleShiftedOntoSurfaceTaps<4>)(dest, top, bottom, count, sampling);
}

void BlendPremultiplied(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = source[i];
        uint32_t d = dest[i];
        uint32_t k = 256 - (s >> 24);
        dest[i] = s + Pack(0, (Red(d) * k) >> 8, (Green(d) * k) >> 8, (Blue(d) * k) >> 8);
    }
}

void BlendPremultipliedTinted(uint32_t* dest, const uint32_t* source, int count, const BlendTint& tint)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = source[i];
        uint32_t d = dest[i];
        uint32_t q = 256 - (s >> 24) * tint.alpha / 255;
        auto mix = [q](uint32_t dc, uint32_t sc, uint32_t c) { return ((dc * q + sc * c) >> 8) & 0xFF; };
        dest[i] = Pack(0, mix(Red(d), Red(s), tint.red), mix(Green(d), Green(s), tint.green),
                       mix(Blue(d), Blue(s), tint.blue));
    }
}

void AddOntoSurface(uint32_t* dest, const uint32_t* source, int count, const BlendTint&)
{
    for (int i = 0; i < count; ++i) {
        uint32_t s = source[i];
        if ((s & 0x00FFFFFF) != 0) {
            uint32_t d = dest[i];
            dest[i] = Pack(0, Saturate(Red(d) + Red(s)), Saturate(Green(d) + Green(s)), Saturate(Blue(d) + Blue(s)));
        }
    }
}

void FillSurface32(uint32_t* dest, int count, uint32_t colour, uint32_t k)
{
    for (int i = 0; i < count; ++i) {
        uint32_t d = dest[i];
        dest[i] = colour + Pack(0, (Red(d) * k) >> 8, (Green(d) * k) >> 8, (Blue(d) * k) >> 8);
    }
}

void FillSurface565(uint16_t* dest, int count, uint32_t colour, uint32_t k)
{
    auto keep = [k](uint32_t d, int shift, uint32_t m) { return ((((d >> shift) & m) * k + m) >> 8) << shift; };
    for (int i = 0; i < count; ++i) {
        uint32_t d = dest[i];
        dest[i] = uint16_t(colour + keep(d, 11, 31) + keep(d, 5, 63) + keep(d, 0, 31));
    }
}

} // namespace

const BlendKernels& ScalarBlendKernels()
{
    static const BlendKernels kernels{.name = "scalar",
                                      .blendWhite = BlendWhite,
                                      .blendGrey = BlendGrey,
                                      .blendTinted = BlendTinted,
                                      .blitOntoOpaque = BlitOntoOpaque,
                                      .blitRunsOntoOpaque = BlitRunsOntoOpaque,
                                      .addWhite = AddWhite,
                                      .addWhiteWeighted = AddWhiteWeighted,
                                      .addTinted = AddTinted,
                                      .addTintedWeighted = AddTintedWeighted,
                                      .overBlend = OverBlend,
                                      .stretchColumns = StretchColumns,
                                      .stretchEntries = StretchEntries,
                                      .stretchOver = StretchOver,
                                      .sampleShifted = SampleShifted,
                                      .blendPremultiplied = BlendPremultiplied,
                                      .blendPremultipliedTinted = BlendPremultipliedTinted,
                                      .addOntoSurface = AddOntoSurface,
                                      .fillSurface32 = FillSurface32,
                                      .fillSurface565 = FillSurface565,
                                      .sampleShiftedOntoSurface = SampleShiftedOntoSurface};
    return kernels;
}

const BlendKernels& ActiveBlendKernels()
{
    // QUENDARA_BLEND_KERNELS names a version to use instead (scalar, sse2, avx2, avx512), so that the
    // benchmarks can measure each on one machine; a version the processor lacks is not chosen.
    static const BlendKernels& active = []() -> const BlendKernels& {
        const char* wanted = std::getenv("QUENDARA_BLEND_KERNELS");
        const BlendKernels* fastest = &ScalarBlendKernels();
        for (const BlendKernels* candidate : {Sse2BlendKernels(), Avx2BlendKernels(), Avx512BlendKernels()}) {
            if (candidate && wanted && std::strcmp(candidate->name, wanted) == 0) {
                return *candidate;
            }
            fastest = candidate ? candidate : fastest;
        }
        return wanted && std::strcmp(wanted, "scalar") == 0 ? ScalarBlendKernels() : *fastest;
    }();
    return active;
}

} // namespace Tolm
