#include "effects/GfxDelay.h"

GfxDelay::GfxDelay(float seconds, baseCallback* onDone) : delay(seconds), callback(onDone) {}

// Taken out of the member first: the callback may end what owns this effect.
void GfxDelay::RunCallback()
{
    if (std::unique_ptr<baseCallback> done = std::move(callback)) {
        done->Invoke();
    }
}

bool GfxDelay::Start()
{
    if (delay > 0) {
        return true;
    }
    RunCallback();
    return false;
}

int GfxDelay::Update()
{
    if (delay > 0) {
        return 0;
    }
    RunCallback();
    return -1;
}

void GfxDelay::Tick(float dt)
{
    delay -= dt * 0.01f;
}
