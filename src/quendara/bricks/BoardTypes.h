// The small value types and codes that the board, its bricks and cells, the level files and the player's
// profile share: positions, brick types, cell kinds and the two flags words.
#pragma once

#include <cstdint>

class BrickBase;

// The board is 16 columns by 12 rows; slot index = x + 16 * y.
constexpr int kFieldWidth = 16;
constexpr int kFieldHeight = 12;
constexpr int kFieldSlots = kFieldWidth * kFieldHeight;

// A brick type code: 0 the empty place, 1-10 gold, 11-18 food, 19-26 supplies, 27-31 the five tools,
// 32 the live bonus.
using BrickType = signed char;

constexpr int kBrickEmpty = 0;
constexpr int kBrickGoldFirst = 1;
constexpr int kBrickGoldLast = 10;
constexpr int kBrickFoodFirst = 11;
constexpr int kBrickFoodLast = 18;
constexpr int kBrickSuppliesFirst = 19;
constexpr int kBrickSuppliesLast = 26;
constexpr int kBrickHammer = 27;
constexpr int kBrickBomb = 28;
constexpr int kBrickLightning = 29;
constexpr int kBrickMixer = 30;
constexpr int kBrickDestroy = 31;
constexpr int kBrickLiveBonus = 32;

// Every type that has a brick of its own, empty excluded.
constexpr bool IsBrickType(int type)
{
    return type >= kBrickGoldFirst && type <= kBrickLiveBonus;
}

// The brick flag of the live bonus: it links with every brick.
constexpr uint32_t kBrickWildcard = 4;

// A cell kind code: 0 a hole, 1 a playable cell.
using CellKind = signed char;

constexpr int kCellHole = 0;
constexpr int kCellPlayable = 1;

// Cell flags: the two lock layers and the highlight of an armed tool's target.
constexpr uint32_t kCellLock1 = 1;
constexpr uint32_t kCellLock2 = 2;
constexpr uint32_t kCellHighlight = 4;

struct FieldPosition
{
    FieldPosition() = default;
    FieldPosition(int column, int row) : x(column), y(row) {}

    bool operator==(const FieldPosition&) const = default;

    int x = 0;
    int y = 0;
};

// A brick and where it stands; the brick is not owned.
struct BrickPosition
{
    BrickPosition(BrickBase* brickAt, int column, int row) : brick(brickAt), x(column), y(row) {}

    BrickBase* brick = nullptr;
    int x = 0;
    int y = 0;
};

// The flags word of a brick or a cell; the board's save keeps its low byte.
class BoardFlags
{
public:
    bool HasFlag(uint32_t mask) const { return (flags & mask) != 0; }
    void SetFlag(uint32_t mask) { flags |= mask; }
    void ClearFlag(uint32_t mask) { flags &= ~mask; }

    uint32_t flags = 0;
};
