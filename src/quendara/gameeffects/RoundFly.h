// Sparkles that circle: a "round" particle emitter carried around an ellipse, one turn in about 2.5 s.
// The upgrade panel switches two of them on and off around its buttons; GfxRoundFly runs one for a
// number of turns as an effect and ends once its last particle has died.
#pragma once

#include "effects/ParticleEmitter.h"
#include "effects/gfxBase.h"

#include <memory>

class RoundFly
{
public:
    RoundFly(float centreX, float centreY, float radiusX, float radiusY);
    RoundFly(const RoundFly&) = delete;
    RoundFly& operator=(const RoundFly&) = delete;
    virtual ~RoundFly();

    // The emitter follows at its next update.
    void SetCentre(int x, int y);
    // Switching on starts the emitter at the centre; switching off stops it and lets its particles live
    // on. Switching to the state it is in changes nothing.
    void SetActive(bool on);
    // dt in update periods. Moves the emitter along the ellipse, without its particles, and steps it.
    void Update(float dt);
    void Draw(Tolm::Graphics& g);

    // Of the "round" effect; one that is missing emits nothing.
    std::unique_ptr<ParticleEmitter> emitter;
    float centreX;
    float centreY;
    float radiusX;
    float radiusY;
    // Update periods travelled; the emitter stands at angle / period radians of the ellipse.
    float angle = 0;
    bool active = false;
    float period = 40;
};

class GfxRoundFly : public gfxBase, public RoundFly
{
public:
    // Under one turn it never starts.
    GfxRoundFly(float centreX, float centreY, float radiusX, float radiusY, float turns);

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    float turns;
};
