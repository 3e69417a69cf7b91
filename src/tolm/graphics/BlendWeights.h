// The two divisions of an alpha blend onto a destination that has alpha of its own depend only on the
// source weight and the destination alpha, so they are looked up: for weight a (1..255) over destination
// alpha dA, outAlpha = dA + ((255 - dA) * a) / 255 and weight = (a * 255) / outAlpha.
#pragma once

#include <array>
#include <cstdint>

namespace Tolm {

struct BlendWeight
{
    uint8_t weight;
    uint8_t outAlpha;
};

// Indexed by (a << 8) | dA; the entries of a = 0 are all zero. One spare entry at the end lets a vector
// gather read four bytes at the last index.
extern const std::array<BlendWeight, 65537> blendWeights;

inline BlendWeight LookUpBlendWeight(uint32_t a, uint32_t destAlpha)
{
    return blendWeights[(a << 8) | destAlpha];
}

} // namespace Tolm
