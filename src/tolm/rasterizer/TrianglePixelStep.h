// What a triangle routine does at one covered pixel, for a destination format and a set of features:
// the shaded fill of the untextured routines, or the texel sample, its modulation by the global or vertex
// colour, and the store or blend. Every test below is on a compile-time constant except the per-pixel
// thresholds of the format's arithmetic.
#pragma once

#include "rasterizer/PixelFormats.h"
#include "rasterizer/TexelSampling.h"
#include "rasterizer/TriangleFeatures.h"

#include <cstdint>

namespace Tolm {

// Blended routines leave the pixel alone when the sample's own alpha is this or less, before any
// modulation.
inline constexpr uint32_t kTransparentSampleAlpha = 8;

template <class Format, TriangleFeatures Features>
struct TrianglePixelStep
{
    using Pixel = typename Format::Pixel;

    static void Apply(Pixel* pixel, const InterpolantValues& values, const TriangleTexture& texture,
                      const TriangleColor& color)
    {
        if constexpr (!Features.textured) {
            Format::ShadedFill(pixel, static_cast<uint32_t>(values[kAlpha]), static_cast<uint32_t>(values[kRed]),
                               static_cast<uint32_t>(values[kGreen]), static_cast<uint32_t>(values[kBlue]));
        } else {
            ApplyTextured(pixel, values, texture, color);
        }
    }

private:
    static constexpr bool kModulated = Features.vertexColors || Features.globalColor;

    static void ApplyTextured(Pixel* pixel, const InterpolantValues& values, const TriangleTexture& texture,
                              const TriangleColor& color)
    {
        uint32_t sample = Features.bilinear ? BilinearSample(texture, values[kU], values[kV])
                                            : NearestTexel(texture, values[kU], values[kV]);
        uint32_t sampleAlpha = sample >> 24;
        if constexpr (Features.blend) {
            if (sampleAlpha <= kTransparentSampleAlpha) {
                return;
            }
        }
        if constexpr (!kModulated && !Features.blend) {
            Format::StoreOpaque(pixel, sample);
        } else {
            uint32_t weight = sampleAlpha;
            if constexpr (kModulated) {
                Factors factors = GetFactors(values, color);
                sample = ModulateColor(sample, factors.red, factors.green, factors.blue);
                if constexpr (Features.bilinear) {
                    sample = ModulateColor(sample, factors.alpha, factors.alpha, factors.alpha);
                }
                // Opaque routines take their weight from the factor alone, never from the sample.
                weight = (factors.alpha * (Features.blend ? sampleAlpha : 255)) >> 8;
            }
            Store(pixel, sample, weight);
        }
    }

    static void Store(Pixel* pixel, uint32_t color, uint32_t weight)
    {
        if (weight >= kOpaqueWeight) {
            Format::StoreOpaque(pixel, color);
        } else if constexpr (Features.bilinear) {
            Format::BlendWeighted(pixel, color, weight);
        } else {
            Format::BlendStraight(pixel, color, weight);
        }
    }

    struct Factors
    {
        uint32_t alpha;
        uint32_t red;
        uint32_t green;
        uint32_t blue;
    };

    // With both vertex and global colour, the global colour was folded into the vertices at set-up.
    static Factors GetFactors(const InterpolantValues& values, const TriangleColor& color)
    {
        if constexpr (Features.vertexColors) {
            return {static_cast<uint32_t>(values[kAlpha]) >> 16, static_cast<uint32_t>(values[kRed]) >> 16,
                    static_cast<uint32_t>(values[kGreen]) >> 16, static_cast<uint32_t>(values[kBlue]) >> 16};
        } else {
            return {static_cast<uint32_t>(color.alpha), static_cast<uint32_t>(color.red),
                    static_cast<uint32_t>(color.green), static_cast<uint32_t>(color.blue)};
        }
    }
};

} // namespace Tolm
