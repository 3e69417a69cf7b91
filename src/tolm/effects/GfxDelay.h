// Runs a callback once a time has passed. Its time runs with the displayed frames; a delay of 0 or
// less runs the callback as soon as the list reaches the effect.
#pragma once

#include "core/Callback.h"
#include "effects/gfxBase.h"

#include <memory>

class GfxDelay : public gfxBase
{
public:
    // The delay in seconds; takes ownership of the callback, which may be null.
    GfxDelay(float delay, baseCallback* callback);

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;

    float delay;
    std::unique_ptr<baseCallback> callback;

private:
    void RunCallback();
};
