// A value that moves toward its target at a set speed, one step per update or fraction of one.
#pragma once

#include <algorithm>

class LiveValue
{
public:
    LiveValue() = default;
    LiveValue(float targetValue, float currentValue, float stepSpeed)
        : target(targetValue), current(currentValue), previous(currentValue), speed(stepSpeed)
    {}

    // Moves by dt x speed toward the target and stops on it.
    void Update(float dt)
    {
        previous = current;
        if (current < target) {
            current = std::min(target, current + dt * speed);
        } else if (current > target) {
            current = std::max(target, current - dt * speed);
        }
    }

    float target = 0;
    float current = 0;
    float previous = 0;
    float speed = 0;
};
