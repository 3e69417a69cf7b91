// A food brick (types 11-18): it pays food. The amount is read from the game's properties when the brick is made.
#pragma once

#include "board/BrickLiveGfx.h"

class BrickFood : public BrickLiveGfx
{
public:
    BrickFood(int brickType, int amount) : BrickLiveGfx(brickType), value(amount) {}

    bool Draw(Tolm::Graphics& g) override { return DrawWithImage(g); }
    int GetFoodValue() const override { return value; }
    std::unique_ptr<BrickBase> Clone() const override { return std::make_unique<BrickFood>(*this); }

    int value;
};
