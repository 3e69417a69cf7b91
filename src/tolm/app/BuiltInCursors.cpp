// The shapes are drawn as text, one character per pixel: '.' transparent, 'X' black, 'o' white.
#include "app/BuiltInCursors.h"

#include <cstddef>

namespace Tolm {

namespace {

constexpr int kSize = 32;

using Art = const char* const[kSize];

constexpr Art kPointingHand = {
    "................................", "................................", "................................",
    "................................", "..........XX....................", ".........XooX...................",
    ".........XooX...................", ".........XooX...................", ".........XooX...................",
    ".........XooXXX.................", ".........XooXooXXX..............", ".........XooXooXooXX............",
    "......XX.XooXooXooXoX...........", ".....XooXXooooooooXoX...........", ".....XoooXooooooooooX...........",
    "......XooXooooooooooX...........", "......XoooooooooooooX...........", ".......XooooooooooooX...........",
    ".......XoooooooooooX............", "........XooooooooooX............", "........XoooooooooX.............",
    ".........XooooooooX.............", ".........XooooooooX.............", ".........XXXXXXXXXX.............",
    "................................", "................................", "................................",
    "................................", "................................", "................................",
    "................................", "................................",
};

constexpr Art kOpenHand = {
    "................................", "................................", "................................",
    "...........XX.XX................", "..........XooXooXX..............", "..........XooXooXoX.............",
    "........XXXooXooXoX.............", ".......XooXooXooXoX.............", ".......XooXooXooXoX.XX..........",
    ".......XooXooXooXoXXooX.........", ".......XooXooXooXoXoooX.........", ".......XoooooooooooooX..........",
    ".......XooooooooooooX...........", "........XoooooooooooX...........", "........XooooooooooX............",
    ".........XoooooooooX............", ".........XooooooooX.............", "..........XoooooooX.............",
    "..........XoooooooX.............", "..........XXXXXXXXX.............", "................................",
    "................................", "................................", "................................",
    "................................", "................................", "................................",
    "................................", "................................", "................................",
    "................................", "................................",
};

CursorMasks MasksOf(const Art& art, int hotX, int hotY)
{
    CursorMasks masks;
    masks.hotX = hotX;
    masks.hotY = hotY;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            std::size_t byte = std::size_t(y * kSize + x) / 8;
            auto bit = uint8_t(0x80 >> (x % 8));
            char pixel = art[y][x];
            if (pixel == '.') {
                masks.andMask[byte] |= bit;
            } else if (pixel == 'o') {
                masks.xorMask[byte] |= bit;
            }
        }
    }
    return masks;
}

} // namespace

CursorMasks PointingHandMasks()
{
    return MasksOf(kPointingHand, 11, 4);
}

CursorMasks OpenHandMasks()
{
    return MasksOf(kOpenHand, 15, 10);
}

} // namespace Tolm
