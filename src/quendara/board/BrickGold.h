// A treasure brick (types 1-10): it pays gold. The amount is read from the game's properties when the brick is made.
#pragma once

#include "board/BrickLiveGfx.h"

class BrickGold : public BrickLiveGfx
{
public:
    BrickGold(int brickType, int amount) : BrickLiveGfx(brickType), value(amount) {}

    bool Draw(Tolm::Graphics& g) override { return DrawWithImage(g); }
    int GetGoldValue() const override { return value; }
    std::unique_ptr<BrickBase> Clone() const override { return std::make_unique<BrickGold>(*this); }

    int value;
};
