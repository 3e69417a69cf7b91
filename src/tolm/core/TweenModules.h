// The modules animated objects are made of: timed and speed-driven value changes, sequence delays and
// callbacks. Times are seconds; every module takes its time step from CoreTickSeconds, so all modules
// stepped in one frame see the same step, and none moves while the core time stands still.
#pragma once

#include "core/Callback.h"
#include "core/Module.h"

// Runs for a time (0: until something else ends it), remembering the seconds of its last step.
class mutLerp : public mutBase
{
public:
    explicit mutLerp(float seconds) : remaining(seconds) {}

    int Step() override;
    mutBase* Clone() override { return new mutLerp(remaining); }

    // The seconds of the last step; on the finishing step only the part that was still needed.
    float lastTickSeconds = 0;
    float remaining;
};

// Progress from 0 to 1 over a duration; finished when it reaches 1.
class mutLerpTo : public mutBase
{
public:
    explicit mutLerpTo(float duration) : duration(duration) {}

    int Step() override;
    mutBase* Clone() override { return new mutLerpTo(duration); }

    float progress = 0;
    float duration;
    float elapsed = 0;
};

// Moves a value towards a goal at a speed in units per second, until it reaches the goal.
template <typename T>
class mutValueSet : public mutLerp
{
public:
    mutValueSet(T* target, T goal, T speed) : mutLerp(0), target(target), goal(goal), speed(speed) {}

    // A value already at its goal has nothing to do.
    bool Start() override { return *target != goal; }
    int Step() override;
    mutBase* Clone() override { return new mutValueSet(target, goal, speed); }

    // Not owned.
    T* target;
    T goal;
    T speed;
};

// Moves a value from where it stands at the start to a goal over a duration.
template <typename T>
class mutValueTo : public mutLerpTo
{
public:
    mutValueTo(T* target, T goal, float duration) : mutLerpTo(duration), target(target), goal(goal) {}

    bool Start() override;
    int Step() override;
    // The stored goal is copied as it stands: once started it holds the distance.
    mutBase* Clone() override { return new mutValueTo(target, goal, duration); }

    // Not owned.
    T* target;
    // The end value until the start, then the distance from the start value to it.
    T goal;
    T start{};
};

// Holds every module after it for a time. With waitForTurn it also waits, without counting time, until
// it is the first module of its list.
class mutSequenceDelay : public mutBase
{
public:
    mutSequenceDelay(float seconds, bool waitForTurn) : remaining(seconds), waitForTurn(waitForTurn) {}

    bool Start() override;
    int Step() override;
    mutBase* Clone() override { return new mutSequenceDelay(remaining, waitForTurn); }

    float remaining;
    bool waitForTurn;
};

// Fires its callback once, when the pass first reaches it, and is deleted with it.
class mutCallbackStep : public mutBase
{
public:
    // Takes ownership of the callback.
    explicit mutCallbackStep(baseCallback* callback) : callback(callback) {}
    ~mutCallbackStep() override { delete callback; }

    bool Start() override;
    mutBase* Clone() override { return new mutCallbackStep(callback ? callback->Clone() : nullptr); }

    baseCallback* callback;
};

template <typename T>
int mutValueSet<T>::Step()
{
    int result = mutLerp::Step();
    T step = speed * T(lastTickSeconds);
    if (*target > goal) {
        *target -= step;
        if (*target <= goal) {
            *target = goal;
            return kFinished;
        }
        return result;
    }
    if (*target < goal) {
        *target += step;
        if (*target >= goal) {
            *target = goal;
            return kFinished;
        }
        return result;
    }
    return kFinished;
}

template <typename T>
bool mutValueTo<T>::Start()
{
    start = *target;
    goal = goal - start;
    return true;
}

template <typename T>
int mutValueTo<T>::Step()
{
    int result = mutLerpTo::Step();
    *target = start + goal * T(progress);
    return result;
}
