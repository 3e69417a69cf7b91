// The stage-complete burst: the "stage_complete" particles fired once in the middle of the screen; the
// effect lasts while they do, and vanishes at once when the effect is missing.
#pragma once

#include "effects/ParticleManager.h"
#include "effects/gfxBase.h"

class GfxStageComplete : public gfxBase
{
public:
    GfxStageComplete();

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    ParticleManager particles;
};
