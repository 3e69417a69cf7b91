#include "board/FieldBase.h"

#include "board/BoardFactory.h"

#include <utility>

FieldBase::FieldBase()
{
    for (int i = 0; i < kFieldSlots; ++i) {
        bricks[i] = CreateBrick(kBrickEmpty);
        cells[i] = CreateCell(kCellHole);
    }
}

FieldBase::~FieldBase() = default;

FieldSlot FieldBase::GetSlot(int x, int y) const
{
    return {GetBrick(x, y), GetCell(x, y)};
}

void FieldBase::MoveBrick(int fromX, int fromY, int toX, int toY)
{
    if (fromX == toX && fromY == toY) {
        return;
    }
    bricks[Index(toX, toY)] = std::move(bricks[Index(fromX, fromY)]);
    bricks[Index(fromX, fromY)] = CreateBrick(kBrickEmpty);
}

void FieldBase::SwapBricks(int x1, int y1, int x2, int y2)
{
    std::swap(bricks[Index(x1, y1)], bricks[Index(x2, y2)]);
}

BrickBase* FieldBase::PutNewBrick(int x, int y, int type)
{
    PutBrick(x, y, CreateBrick(type));
    return GetBrick(x, y);
}

void FieldBase::PutBrick(int x, int y, std::unique_ptr<BrickBase> brick)
{
    bricks[Index(x, y)] = std::move(brick);
}

CellBase* FieldBase::PutNewCell(int x, int y, int kind)
{
    PutCell(x, y, CreateCell(kind));
    return GetCell(x, y);
}

void FieldBase::PutCell(int x, int y, std::unique_ptr<CellBase> cell)
{
    cells[Index(x, y)] = std::move(cell);
}

void FieldBase::UpdateAll(float dt)
{
    for (int i = 0; i < kFieldSlots; ++i) {
        bricks[i]->Update(dt);
        cells[i]->Update(dt);
    }
}

void FieldBase::AnimateAll()
{
    for (int i = 0; i < kFieldSlots; ++i) {
        bricks[i]->Animate();
        cells[i]->Animate();
    }
}
