// A supplies brick (types 19-26): it pays supplies. The amount is read from the game's properties when the brick is
// made.
#pragma once

#include "board/BrickLiveGfx.h"

class BrickSupplies : public BrickLiveGfx
{
public:
    BrickSupplies(int brickType, int amount) : BrickLiveGfx(brickType), value(amount) {}

    bool Draw(Tolm::Graphics& g) override { return DrawWithImage(g); }
    int GetSuppliesValue() const override { return value; }
    std::unique_ptr<BrickBase> Clone() const override { return std::make_unique<BrickSupplies>(*this); }

    int value;
};
