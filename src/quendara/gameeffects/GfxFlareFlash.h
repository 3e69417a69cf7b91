// A flare that flashes on once: the soft star swells and shrinks again while it turns half a turn one
// way or the other, drawn additively in a colour. The town lights its windows with it.
#pragma once

#include "core/LiveValue.h"
#include "effects/gfxBase.h"
#include "graphics/Color.h"

namespace Tolm {
class Image;
}

class GfxFlareFlash : public gfxBase
{
public:
    GfxFlareFlash(int x, int y, float scale, Tolm::Color colour);

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    Tolm::Color colour;
    float scale;
    Tolm::Image* image;
    float x;
    float y;
    LiveValue pulse;
    LiveValue rotation;
};
