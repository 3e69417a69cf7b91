// The board's grid: 16 columns by 12 rows, each slot always holding one brick and one cell, both owned
// by the board. An empty place holds a brick of type 0 and a hole a cell of kind 0. Nothing here moves a
// brick's picture: callers that move bricks in the grid start their slides themselves.
#pragma once

#include "board/CellBase.h"
#include "bricks/BoardTypes.h"
#include "bricks/BrickBase.h"

#include <array>
#include <memory>

// What a slot holds; both owned by the board.
struct FieldSlot
{
    BrickBase* brick;
    CellBase* cell;
};

class FieldBase
{
public:
    // Every slot an empty brick on a hole.
    FieldBase();
    virtual ~FieldBase();
    FieldBase(const FieldBase&) = delete;
    FieldBase& operator=(const FieldBase&) = delete;

    // The accessors take coordinates inside the grid; callers check them (the predicates do).
    FieldSlot GetSlot(int x, int y) const;
    BrickBase* GetBrick(int x, int y) const { return bricks[Index(x, y)].get(); }
    CellBase* GetCell(int x, int y) const { return cells[Index(x, y)].get(); }
    int GetBrickType(int x, int y) const { return GetBrick(x, y)->GetType(); }
    int GetCellKind(int x, int y) const { return GetCell(x, y)->GetKind(); }

    // Nothing when both are the same slot; else the destination's brick is deleted, the source's moves
    // there and the source gets a new empty brick.
    void MoveBrick(int fromX, int fromY, int toX, int toY);
    // The cells stay.
    void SwapBricks(int x1, int y1, int x2, int y2);
    BrickBase* PutNewBrick(int x, int y, int type);
    void PutBrick(int x, int y, std::unique_ptr<BrickBase> brick);
    CellBase* PutNewCell(int x, int y, int kind);
    void PutCell(int x, int y, std::unique_ptr<CellBase> cell);

    // Slot by slot in index order, brick then cell: the frame step and the fixed update.
    void UpdateAll(float dt);
    void AnimateAll();

    static int Index(int x, int y) { return x + kFieldWidth * y; }

private:
    std::array<std::unique_ptr<BrickBase>, kFieldSlots> bricks;
    std::array<std::unique_ptr<CellBase>, kFieldSlots> cells;
};
