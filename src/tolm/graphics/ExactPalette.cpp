#include "graphics/ExactPalette.h"

#include <algorithm>
#include <vector>

namespace Tolm {

namespace {

struct PaletteEntry
{
    uint32_t color;
    uint8_t index;
};

} // namespace

bool BuildExactPalette(const uint32_t* pixels, std::size_t count, uint8_t* indices, uint32_t* table)
{
    std::vector<PaletteEntry> sorted;
    sorted.reserve(256);
    for (std::size_t i = 0; i < count; ++i) {
        uint32_t color = pixels[i];
        auto place = std::lower_bound(sorted.begin(), sorted.end(), color,
                                      [](const PaletteEntry& entry, uint32_t value) { return entry.color < value; });
        if (place != sorted.end() && place->color == color) {
            indices[i] = place->index;
            continue;
        }
        if (sorted.size() == 256) {
            return false;
        }
        uint8_t index = uint8_t(sorted.size());
        table[index] = color;
        sorted.insert(place, PaletteEntry{color, index});
        indices[i] = index;
    }
    std::fill(table + sorted.size(), table + 256, sorted.empty() ? 0u : table[0]);
    return true;
}

} // namespace Tolm
