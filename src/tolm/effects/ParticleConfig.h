// The plain record of one particle effect: how many particles it emits and for how long, and how each
// one starts, moves, turns, grows and changes colour over its life. Copied by value; every emitter
// keeps its own copy.
#pragma once

#include "core/VectorMath.h"

#include <cstdint>

namespace Tolm {
class Image;
}

// Value-initialised, a record emits nothing: its lifetime 0 stops an emitter at its first step.
struct ParticleConfig
{
    // Resolved by the lookup; never stored.
    Tolm::Image* image = nullptr;
    // Particles per second; for a one-shot emitter, the size of its single burst.
    int32_t emission = 0;
    // Seconds of emission; kEndless or kOneShot.
    float lifetime = 0;
    float particle_life_min = 0;
    float particle_life_max = 0;
    // Radians, 0 straight up, growing clockwise.
    float direction = 0;
    // The full width of the emission cone, radians.
    float spread = 0;
    // The direction is measured from the emitter's backward movement instead of from up.
    bool relative = false;
    // Pixels per simulation step.
    float speed_min = 0;
    float speed_max = 0;
    float gravity_min = 0;
    float gravity_max = 0;
    float radial_acc_min = 0;
    float radial_acc_max = 0;
    float tan_acc_min = 0;
    float tan_acc_max = 0;
    float size_start = 0;
    float size_end = 0;
    // The spread of the start scale as a fraction of (size_end - size_start).
    float size_var = 0;
    // Radians per second.
    float spin_start = 0;
    float spin_end = 0;
    float spin_var = 0;
    Tolm::FloatColor color_start;
    Tolm::FloatColor color_end;
    float color_var = 0;
    float alpha_var = 0;
    // 1 draws the particles added, anything else blends them.
    uint8_t color_blend = 0;
    float born_width = 0;
    float born_height = 0;
    // The sideways wobble's amplitude in pixels, drawn only above 0.1, and its phase speed in radians
    // per second.
    float wave_size = 0;
    float wave_speed = 0;
    // The speed of a repeating alpha pulse; off at 0 or below.
    float alpha_repeat = 0;

    static constexpr float kEndless = -1;
    static constexpr float kOneShot = -3;
};
