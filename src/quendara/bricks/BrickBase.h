// The object that stands in one board slot: its type, its flags, where it is drawn and, in the classes
// below it, how it moves, fades, pulses and draws itself, and what it pays. A BrickBase itself is the
// empty place: it never moves, draws nothing and pays nothing. Bricks are made by the brick factory.
#pragma once

#include "bricks/BoardTypes.h"

#include <memory>

namespace Tolm {
class Graphics;
}

class BrickBase : public BoardFlags
{
public:
    explicit BrickBase(int brickType) : type(BrickType(brickType)) {}
    virtual ~BrickBase() = default;

    BrickType GetType() const { return type; }

    // False when nothing was drawn.
    virtual bool Draw(Tolm::Graphics& g);
    // Once per frame, with the frame's tick.
    virtual void Update(float dt);
    // Once per fixed update.
    virtual void Animate();
    // The pixel position of the cell, at rest.
    virtual void SetCell(int x, int y);
    void SetPixel(int x, int y);

    virtual int GetGoldValue() const { return 0; }
    virtual int GetFoodValue() const { return 0; }
    virtual int GetSuppliesValue() const { return 0; }

    virtual std::unique_ptr<BrickBase> Clone() const;

    // With slide, the picture travels to the offset; without, it jumps. Either way a brick with a module
    // list gets there in the order of that list.
    virtual void SetOffsetX(float value, bool slide);
    virtual void SetOffsetY(float value, bool slide);
    virtual void AddOffsetX(float dx);
    virtual void AddOffsetY(float dy);
    // Where the offset is heading.
    virtual float GetOffsetX() const { return offsetX; }
    virtual float GetOffsetY() const { return offsetY; }
    virtual bool IsAnimating() const { return false; }

    // Effects with a duration: 1 fade in, 2 fade out, 6 hold what follows; `front` puts it first in line.
    virtual void StartEffect(int kind, float time, bool front);
    // 1 fade in, 2 fade out, 3 press pulse, 4 hide at once, 5 show at once, 6 wait for what comes first.
    virtual void SetVisualState(int kind, bool front);
    virtual void StopAnimations() {}

    // The current draw offset from the pixel position.
    float offsetX = 0;
    float offsetY = 0;
    // The top-left pixel of the brick's cell.
    int pixelX = 0;
    int pixelY = 0;
    BrickType type;
};
