// A cell's lock plate bursting when its last lock layer is cleared: the plate's animation played once,
// centred on the cell.
#pragma once

#include "effects/gfxBase.h"
#include "graphics/Animator.h"

#include <memory>

class GfxCellExplode : public gfxBase
{
public:
    // Kind 0 is the single lock plate, 1 the double one; any other kind has no picture and ends at once.
    GfxCellExplode(int kind, int centreX, int centreY);

    int Update() override;
    void Draw(Tolm::Graphics& g) override;

    std::unique_ptr<Tolm::Animator> animator;
    int x;
    int y;
};
