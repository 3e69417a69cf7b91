#include "core/TweenModules.h"

#include "core/CoreTimer.h"

int mutLerp::Step()
{
    float tick = CoreTickSeconds();
    lastTickSeconds = tick;
    if (remaining == 0) {
        return kContinue;
    }
    remaining -= tick;
    if (remaining > 0) {
        return kContinue;
    }
    lastTickSeconds = tick + remaining;
    remaining = 0;
    return kFinished;
}

int mutLerpTo::Step()
{
    elapsed += CoreTickSeconds();
    progress = duration > 0 ? elapsed / duration : 1.0f;
    if (progress >= 1) {
        progress = 1;
        return kFinished;
    }
    return kContinue;
}

bool mutSequenceDelay::Start()
{
    if (waitForTurn && remaining == 0) {
        mutBase* first = owner ? owner->FirstModule() : nullptr;
        if (!first || first == this) {
            return false;
        }
    }
    return true;
}

int mutSequenceDelay::Step()
{
    if (waitForTurn && owner && owner->FirstModule() != this) {
        return kHoldRest;
    }
    remaining -= CoreTickSeconds();
    return remaining > 0 ? kHoldRest : kFinished;
}

bool mutCallbackStep::Start()
{
    if (callback) {
        callback->Invoke();
    }
    return false;
}
