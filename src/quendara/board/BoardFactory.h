// Where every brick and cell of the board is made: by code, or at random from the kinds the current level
// allows for the bricks that refill the board.
#pragma once

#include <memory>

class BrickBase;
class CellBase;

// 0 a hole, 1 a playable cell; any other kind a bare cell of kind 0.
std::unique_ptr<CellBase> CreateCell(int kind);
// Never null: a type outside 1..32 gives the empty place (type 0). Resource bricks take their value from
// the properties as they stand now.
std::unique_ptr<BrickBase> CreateBrick(int type);
// A brick of a type in first..last that the level allows, or null when it allows none there. The pick
// walks the range cyclically by a random count, so it is not uniform when the allowed types do not divide
// the count's range.
std::unique_ptr<BrickBase> CreateRandomBrickIn(int first, int last);
// The brick that refills an emptied slot; never null, never the live bonus. A level that allows none of
// the types 1-31 gets a gold brick of 1-4 after 101 vain tries.
std::unique_ptr<BrickBase> CreateRandomBrick();
