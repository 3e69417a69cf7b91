// The application's two built-in pointers: a pointing hand (cursor 1) and an open hand (cursor 2),
// 32 x 32, white with a black outline, as Windows-style AND and XOR masks of 128 bytes each.
#pragma once

#include <array>
#include <cstdint>

namespace Tolm {

struct CursorMasks
{
    std::array<uint8_t, 128> andMask{};
    std::array<uint8_t, 128> xorMask{};
    int hotX = 0;
    int hotY = 0;
};

CursorMasks PointingHandMasks();
CursorMasks OpenHandMasks();

} // namespace Tolm
