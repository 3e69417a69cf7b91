#include "bricks/BrickBase.h"

#include "bricks/BrickHelper.h"

bool BrickBase::Draw(Tolm::Graphics&)
{
    return false;
}

void BrickBase::Update(float) {}

void BrickBase::Animate() {}

void BrickBase::SetCell(int x, int y)
{
    CellToPixel(x, y, pixelX, pixelY);
    offsetX = 0;
    offsetY = 0;
}

void BrickBase::SetPixel(int x, int y)
{
    pixelX = x;
    pixelY = y;
}

std::unique_ptr<BrickBase> BrickBase::Clone() const
{
    return std::make_unique<BrickBase>(*this);
}

void BrickBase::SetOffsetX(float value, bool)
{
    offsetX = value;
}

void BrickBase::SetOffsetY(float value, bool)
{
    offsetY = value;
}

void BrickBase::AddOffsetX(float dx)
{
    offsetX += dx;
}

void BrickBase::AddOffsetY(float dy)
{
    offsetY += dy;
}

void BrickBase::StartEffect(int, float, bool) {}

void BrickBase::SetVisualState(int, bool) {}
