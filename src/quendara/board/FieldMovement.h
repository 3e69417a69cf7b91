// The board layer that moves bricks about: the slot predicates every board layer asks (each false for a
// position outside the grid), the collapse that refills an exploded chain by pulling bricks along it,
// and the drop and refill after a bonus tool. Every grid move is immediate; the bricks' pictures follow
// by sliding, waiting and fading, queued on each brick, so the animation plays out after the grid has
// settled.
#pragma once

#include "board/FieldBase.h"

class FieldMovement : public virtual FieldBase
{
public:
    // The runs behind a collapsing chain hold this long before they move, in seconds.
    static constexpr float kCollapseHold = 0.4f;
    // The k-th new brick of a collapse or a refill waits k times the step, plus the base, to fade in.
    static constexpr float kSpawnWaitStep = 0.12f;
    static constexpr float kSpawnWaitBase = 0.4f;

    static bool IsInGrid(int x, int y) { return x >= 0 && x < kFieldWidth && y >= 0 && y < kFieldHeight; }

    bool IsPlayable(int x, int y) const;
    // Playable, with no brick.
    bool IsFreeSlot(int x, int y) const;
    // Playable, with a brick.
    bool HasBrick(int x, int y) const;
    // Playable, with a lock layer left.
    bool IsCellLocked(int x, int y) const;

    // After a chain has exploded, while it is still in the path storage: the bricks flow in the direction
    // of the chain's first step, fed from behind its first brick.
    void Collapse();
    // After a bonus tool: bricks fall straight down into empty slots, then new ones fill the board.
    void DropAndRefill();
    void RefillFromTop();

    // Each moves the run of bricks behind (x, y) one slot into it (the run lies on the side the bricks
    // come from) and returns the new brick put at the run's far end; with holdOnly the run only holds
    // and nothing is returned.
    BrickBase* ShiftRight(int x, int y, bool holdOnly);
    BrickBase* ShiftLeft(int x, int y, bool holdOnly);
    BrickBase* ShiftUp(int x, int y, bool holdOnly);
    BrickBase* ShiftDown(int x, int y, bool holdOnly);
    // Moves the brick at (x, y), the chain's first slot, along the chain's empty slots; whether it moved.
    bool FollowChain(int x, int y);
    // Lets the brick above the free slot (x, y + 1) fall as far as it can; whether it moved.
    bool DropBrick(int x, int y);
    // A new random brick at (x, y), fading in as the k-th of its refill, falling when it can.
    void SpawnAt(int x, int y, int k);

private:
    // Bricks move by (dx, dy); the run is taken from the other side.
    BrickBase* Shift(int x, int y, int dx, int dy, bool holdOnly);
    // Playable, holding a brick, and not a slot of the chain.
    bool IsRunSlot(int x, int y) const;
    // Hidden, waiting its turn, then fading in.
    static void FadeInNew(BrickBase* brick, int k);
};
