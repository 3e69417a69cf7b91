#include "board/BrickLive.h"

#include "core/TweenModules.h"

namespace {

// Pixels per second. A jump is a slide too fast to be seen, so that it still waits its turn in the list.
constexpr float kSlideSpeed = 300;
constexpr float kJumpSpeed = 30000;

} // namespace

BrickLive::BrickLive(const BrickLive& other)
    : BrickBase(other), baseObject(), targetX(other.targetX), targetY(other.targetY)
{}

void BrickLive::Update(float)
{
    UpdateModules();
}

void BrickLive::SetCell(int x, int y)
{
    BrickBase::SetCell(x, y);
    ClearModules();
    targetX = 0;
    targetY = 0;
}

std::unique_ptr<BrickBase> BrickLive::Clone() const
{
    return std::make_unique<BrickLive>(*this);
}

void BrickLive::SlideTo(float* offset, float goal, float speed)
{
    AddModule(new mutValueSet<float>(offset, goal, speed), false);
}

void BrickLive::SetOffsetX(float value, bool slide)
{
    targetX = value;
    SlideTo(&offsetX, value, slide ? kSlideSpeed : kJumpSpeed);
}

void BrickLive::SetOffsetY(float value, bool slide)
{
    targetY = value;
    SlideTo(&offsetY, value, slide ? kSlideSpeed : kJumpSpeed);
}

void BrickLive::AddOffsetX(float dx)
{
    targetX += dx;
    SlideTo(&offsetX, targetX, kSlideSpeed);
}

void BrickLive::AddOffsetY(float dy)
{
    targetY += dy;
    SlideTo(&offsetY, targetY, kSlideSpeed);
}

bool BrickLive::IsAnimating() const
{
    return offsetX != targetX || offsetY != targetY || FirstModule() != nullptr;
}
