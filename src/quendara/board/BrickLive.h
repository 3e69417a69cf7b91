// A brick that moves: its offsets travel toward targets through its own module list, one step per frame,
// in the order the moves were asked for.
#pragma once

#include "bricks/BrickBase.h"
#include "core/Module.h"

class BrickLive : public BrickBase, public baseObject
{
public:
    explicit BrickLive(int brickType) : BrickBase(brickType) {}
    // A copy of the fields; the module list starts empty.
    BrickLive(const BrickLive& other);

    void Update(float dt) override;
    void SetCell(int x, int y) override;
    std::unique_ptr<BrickBase> Clone() const override;
    void SetOffsetX(float value, bool slide) override;
    void SetOffsetY(float value, bool slide) override;
    void AddOffsetX(float dx) override;
    void AddOffsetY(float dy) override;
    float GetOffsetX() const override { return targetX; }
    float GetOffsetY() const override { return targetY; }
    bool IsAnimating() const override;
    void StopAnimations() override { ClearModules(); }

    // Where the offsets are heading.
    float targetX = 0;
    float targetY = 0;

private:
    void SlideTo(float* offset, float goal, float speed);
};
