// The board's place on the screen and its picture: the origin and cell size, two effect lists (under and
// over the bricks) and a particle manager, drawn with the cells and bricks in a fixed order.
#pragma once

#include "board/FieldBase.h"
#include "graphics/Rect.h"

#include <memory>

class GfxManager;
class ParticleManager;
class gfxBase;

class FieldRender : public virtual FieldBase
{
public:
    FieldRender();
    ~FieldRender() override;

    // Cell backs (playable cells), cell fronts (every slot), the lower effects, the particles, the bricks
    // and the upper effects, slots in index order.
    virtual void Draw(Tolm::Graphics& g);
    // Once per fixed update.
    virtual void Update();
    // Once per frame, with the frame's time in update periods.
    virtual void Tick(float dt);
    // True while anything on the board still moves.
    virtual bool IsBusy() const;

    // Take ownership; the effect goes to the end of its list.
    void AddLowerEffect(gfxBase* effect);
    void AddUpperEffect(gfxBase* effect);

    // The pixel at the middle of cell (x, y).
    void CellCentre(int x, int y, int& px, int& py) const;

    int originX;
    int originY;
    int cellW;
    int cellH;
    // The board's pixels: 16 cells wide and 12 high from the origin.
    Tolm::Rect boardRect;
    std::unique_ptr<GfxManager> lower;
    std::unique_ptr<GfxManager> upper;
    std::unique_ptr<ParticleManager> particles;
};
