// The live bonus (type 32), the plus that appears on the board during play: it links with every brick
// and plays its cels, one every few updates, in the image's own order.
#pragma once

#include "board/BrickLiveGfx.h"

class BrickBonusLive : public BrickLiveGfx
{
public:
    BrickBonusLive();

    bool Draw(Tolm::Graphics& g) override;
    void Animate() override;
    std::unique_ptr<BrickBase> Clone() const override { return std::make_unique<BrickBonusLive>(*this); }

    int tickCount = 0;
    int frame = 0;
    // The image's frame delay; 1 without an animation record.
    int ticksPerFrame = 1;
};
