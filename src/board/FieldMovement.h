// The board layer that moves bricks about; here, the slot predicates every board layer asks. Each is
// false for a position outside the grid.
#pragma once

#include "board/FieldBase.h"

class FieldMovement : public virtual FieldBase
{
public:
    static bool IsInGrid(int x, int y) { return x >= 0 && x < kFieldWidth && y >= 0 && y < kFieldHeight; }

    bool IsPlayable(int x, int y) const;
    // Playable, with no brick.
    bool IsFreeSlot(int x, int y) const;
    // Playable, with a brick.
    bool HasBrick(int x, int y) const;
    // Playable, with a lock layer left.
    bool IsCellLocked(int x, int y) const;
};
