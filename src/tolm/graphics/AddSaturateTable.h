// Additive draws look their sums up here: entry i (0..511) holds min(i, 255).
#pragma once

#include <array>
#include <cstdint>

namespace Tolm {

inline constexpr std::array<uint8_t, 512> addSaturateTable = [] {
    std::array<uint8_t, 512> table{};
    for (int i = 0; i < 512; ++i) {
        table[std::size_t(i)] = uint8_t(i < 255 ? i : 255);
    }
    return table;
}();

} // namespace Tolm
