// The five feature bits that, with the destination format, choose a triangle routine, and the values a
// routine with those features interpolates over its triangle.
#pragma once

#include "rasterizer/TriangleTypes.h"

#include <array>
#include <cstdint>

namespace Tolm {

struct TriangleFeatures
{
    bool textured = false;
    bool blend = false;
    bool vertexColors = false;
    bool globalColor = false;
    bool bilinear = false;

    // The entry within a format's block of the routine table.
    constexpr int Entry() const
    {
        return (textured ? 16 : 0) | (blend ? 8 : 0) | (vertexColors ? 4 : 0) | (globalColor ? 2 : 0) |
               (bilinear ? 1 : 0);
    }

    static constexpr TriangleFeatures FromEntry(int entry)
    {
        return {(entry & 16) != 0, (entry & 8) != 0, (entry & 4) != 0, (entry & 2) != 0, (entry & 1) != 0};
    }

    constexpr bool operator==(const TriangleFeatures&) const = default;
};

// Interpolated values, by their place in this array; a routine steps only those of its features.
enum Interpolant
{
    kAlpha,
    kRed,
    kGreen,
    kBlue,
    kU,
    kV,
    kInterpolantCount
};

using InterpolantValues = std::array<int32_t, kInterpolantCount>;

inline constexpr std::array<int32_t FixedVertex::*, kInterpolantCount> kInterpolantFields = {
    &FixedVertex::a, &FixedVertex::r, &FixedVertex::g, &FixedVertex::b, &FixedVertex::u, &FixedVertex::v};

template <TriangleFeatures Features>
constexpr auto ActiveInterpolants()
{
    constexpr int count = (Features.vertexColors ? 4 : 0) + (Features.textured ? 2 : 0);
    std::array<Interpolant, count> active{};
    int next = 0;
    if constexpr (Features.vertexColors) {
        for (Interpolant channel : {kAlpha, kRed, kGreen, kBlue}) {
            active[next++] = channel;
        }
    }
    if constexpr (Features.textured) {
        active[next++] = kU;
        active[next++] = kV;
    }
    return active;
}

} // namespace Tolm
