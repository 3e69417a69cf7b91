// The fixed-point operations of the triangle set-up. Values are 32-bit and wrap on overflow, as the
// set-up keeps only the low bits of its products; nothing here is undefined for any input.
#pragma once

#include <cstdint>

namespace Tolm::FixedPoint {

constexpr int32_t Add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

constexpr int32_t Subtract(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Adds `step` `count` times, wrapping as the repeated additions would.
constexpr int32_t Advance(int32_t value, int32_t step, int64_t count)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) +
                                static_cast<uint32_t>(step) * static_cast<uint32_t>(static_cast<uint64_t>(count)));
}

// The first whole pixel at or after a 16.16 coordinate.
constexpr int32_t PixelCeiling(int32_t c)
{
    return static_cast<int32_t>(static_cast<uint32_t>(c) + 0xFFFFu) >> 16;
}

// 2^48 / d, truncated toward zero; d is never 0 where the set-up takes it.
constexpr int64_t Reciprocal(int32_t d)
{
    return (int64_t(1) << 48) / d;
}

// Bits 32 to 63 of difference x reciprocal, the product cut to its low 64 bits.
constexpr int32_t Slope(int64_t difference, int64_t reciprocal)
{
    uint64_t product = static_cast<uint64_t>(difference) * static_cast<uint64_t>(reciprocal);
    return static_cast<int32_t>(static_cast<uint32_t>(product >> 32));
}

// (a x b) >> 16 on the full 64-bit product, cut to 32 bits.
constexpr int32_t Product1616(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(int64_t(a) * b) >> 16));
}

} // namespace Tolm::FixedPoint
