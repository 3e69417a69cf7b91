#include "board/FieldMovement.h"

bool FieldMovement::IsPlayable(int x, int y) const
{
    return IsInGrid(x, y) && GetCellKind(x, y) != kCellHole;
}

bool FieldMovement::IsFreeSlot(int x, int y) const
{
    return IsPlayable(x, y) && GetBrickType(x, y) == kBrickEmpty;
}

bool FieldMovement::HasBrick(int x, int y) const
{
    return IsPlayable(x, y) && GetBrickType(x, y) != kBrickEmpty;
}

bool FieldMovement::IsCellLocked(int x, int y) const
{
    return IsPlayable(x, y) && GetCell(x, y)->HasFlag(kCellLock1 | kCellLock2);
}
