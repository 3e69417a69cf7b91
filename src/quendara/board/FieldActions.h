// The board changed by rules rather than by the player's hand: single slots explode (taking a lock layer
// off the cell and paying progress toward the level's goal), the live bonus is placed, and the five bonus
// tools do their work. The lightning's strikes and the mixer's flights arrive later, through callbacks;
// until then their slots stand in the busy list, where the player, explosions and random picks leave
// them alone.
#pragma once

#include "board/FieldGfx.h"
#include "board/FieldMovement.h"
#include "board/PositionList.h"

class FieldActions : public FieldMovement, public FieldGfx
{
public:
    // In the busy list, or the brick is moving.
    bool IsSlotBusy(int x, int y) const;
    // One lock layer off the cell (the outer first), the cell's progress paid, the brick gone; false on a
    // slot off the grid, busy, empty or moving. Nothing falls into the emptied slot.
    bool ExplodeSlot(int x, int y);
    // Replaces the brick, which pays nothing; false unless the slot holds a brick that is not the live
    // bonus already.
    bool PlaceLiveBonus(int x, int y);
    // A random playable slot whose brick is idle and not in the busy list, in at most 96 tries; false
    // when none was found (the outputs then hold the last try).
    bool RandomFreeSlot(int& x, int& y);

    // The 3 x 3 block round the cell.
    void Bomb(int x, int y);
    // The cell and its four side neighbours.
    void Hammer(int x, int y);
    // Every brick of the type.
    void Destroy(int type);
    // With a cell, one strike on it (the last of a series with last set); with (-1, -1), 25 strikes on
    // random slots.
    void Lightning(int x, int y, bool last);
    // Up to 20 pairs of random slots swap their bricks.
    void Mix();
    void StartSwap(int x1, int y1, int x2, int y2);

    // The callbacks of the delayed actions.
    void OnFluidArrived(FieldPosition at, bool last);
    void SwapWithFlight(FieldPosition first, FieldPosition second);
    // A flight started on a board that a level start has since replaced lands without a brick: that board's
    // bricks are gone. Its slot still leaves the busy list, which outlives level starts.
    void OnBrickArrived(BrickPosition arrived, int board);

    // The level's lock layers at its start, and those removed so far.
    int totalLocks = 0;
    int clearedLocks = 0;
    PositionList busy;

protected:
    // Raised by every level start as it lays a new board: a flight carries the count it started under.
    int boardsLaid = 0;

    // A delayed action is about to explode, move or swap bricks of the chain being drawn: the chain is
    // dropped, so that it never holds a brick that has left its slot.
    virtual void CancelChain();

private:
    // Whether the drop after an explosion would move a brick of the chain out of its slot.
    bool DropMovesChain() const;
    void FlyToSlot(BrickBase* brick, FieldPosition from, FieldPosition to);
};
