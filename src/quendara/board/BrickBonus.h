// A tool brick (types 27-31: hammer, bomb, lightning, mixer, destroy): it pays nothing, but an exploded one
// charges its tool on the bonus panel.
#pragma once

#include "board/BrickLiveGfx.h"

class BrickBonus : public BrickLiveGfx
{
public:
    explicit BrickBonus(int brickType) : BrickLiveGfx(brickType) {}

    bool Draw(Tolm::Graphics& g) override { return DrawWithImage(g); }
    std::unique_ptr<BrickBase> Clone() const override { return std::make_unique<BrickBonus>(*this); }
};
