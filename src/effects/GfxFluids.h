// Stand-ins for the fluid streams until they exist: a drop that flies from one point to another and
// runs its callback on arrival, and the stream of progress that flies from an exploded cell to the
// progress bar. Neither draws a random number.
#pragma once

#include "core/Callback.h"
#include "effects/gfxBase.h"

#include <memory>

class GfxFluids : public gfxBase
{
public:
    // Takes ownership of the callback, which may be null; run once on arrival.
    GfxFluids(float x1, float y1, float x2, float y2, baseCallback* callback);

    // Seconds of waiting before the stream sets off.
    void AddStartDelay(float delay) { startDelay += delay; }
    int Update() override;
    void Draw(Tolm::Graphics& g) override;

    float fromX;
    float fromY;
    float toX;
    float toY;
    std::unique_ptr<baseCallback> callback;
    float startDelay = 0;
    // 0 at the source to 1 at the target.
    float head = 0;
    float headStep;
};

class GfxTimerFluids : public gfxBase
{
public:
    GfxTimerFluids(float x, float y, float amount);

    int Update() override;

    float x;
    float y;
    float amount;
    // Updates left in flight.
    int remaining;
};
