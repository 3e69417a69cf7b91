// A stream of sparks flown from a board cell into the progress bar, whose displayed level it raises by
// its amount as it arrives; it lasts until its last spark has died, and the board counts itself busy
// until then.
#pragma once

#include "core/LiveValue.h"
#include "effects/BezierCurve.h"
#include "effects/ParticleEmitter.h"
#include "effects/gfxBase.h"

#include <memory>

class GfxTimerFluids : public gfxBase
{
public:
    // Draws one number, the bend. Aims at the bar's level as it stands now and follows it in flight.
    GfxTimerFluids(int x, int y, float amount);

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    std::unique_ptr<BezierCurve> curve;
    // The emitter's curve parameter.
    LiveValue progress;
    // 0 to 1 while the amount is handed to the bar.
    LiveValue arrival;
    // Of "progress_fly"; none when that effect is missing, and the stream flies unseen.
    std::unique_ptr<ParticleEmitter> emitter;
    float amount;

private:
    bool HasLiveParticles() const { return emitter && emitter->liveCount > 0; }
};
