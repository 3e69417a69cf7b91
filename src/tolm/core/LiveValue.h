// A float that walks towards its target at a fixed speed, one step per displayed frame: the one way the
// game eases a value (hover glows, fades, slides, lights, gate cels). The step is linear and lands
// exactly on the target, never beyond it. Owners set the fields directly: the target (and the current
// value too, for a jump) to start a movement, the speed once.
#pragma once

class LiveValue
{
public:
    virtual ~LiveValue() = default;

    // dt in update periods (1.0 is one 10 ms update).
    void Update(float dt)
    {
        previous = current;
        if (current == target) {
            return;
        }
        if (current < target) {
            current += dt * speed;
            if (current > target) {
                current = target;
            }
            return;
        }
        current -= dt * speed;
        if (current < target) {
            current = target;
        }
    }

    float target = 0;
    float current = 0;
    // current as it was before the last update.
    float previous = 0;
    // Distance per update period.
    float speed = 0;
};
