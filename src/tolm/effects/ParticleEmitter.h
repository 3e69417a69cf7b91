// One running particle effect: up to 800 particles born around a movable point, moved, aged, turned,
// grown and recoloured in fixed storage, and drawn as tinted, scaled and turned images. The particles
// are kept field by field, so that a step moves them several at a time.
#pragma once

#include "effects/ParticleConfig.h"

#include <cstddef>
#include <cstdint>

namespace Tolm {
class Graphics;
}

// One particle as its fields stand. Velocities are in pixels per simulation step, rates of change per
// second, colour channels from 0 to 1, phases in radians.
struct Particle
{
    float x, y;
    float velocityX, velocityY;
    float gravity;
    float radial;
    float tangential;
    float spin, spinChange;
    float size, sizeChange;
    float alpha, blue, green, red;
    float alphaChange, blueChange, greenChange, redChange;
    float age, life;
    float wavePhase;
    float pulsePhase;
};

class ParticleEmitter final
{
public:
    static constexpr int kMaxParticles = 800;
    // The emitter's age while it emits for ever, after it stopped, and before a one-shot burst.
    static constexpr float kEndless = ParticleConfig::kEndless;
    static constexpr float kStopped = -2;
    static constexpr float kOneShot = ParticleConfig::kOneShot;

    // Stopped, at (0, 0). A step rate of 0 steps by the frame's time; a positive one by fixed steps of
    // 1 / rate, at most one an update.
    ParticleEmitter(const ParticleConfig& config, float stepRate);
    ParticleEmitter(const ParticleEmitter&) = delete;
    ParticleEmitter& operator=(const ParticleEmitter&) = delete;

    // Emitters are large: freed ones are kept for the next.
    static void* operator new(std::size_t size);
    static void operator delete(void* block) noexcept;

    // Stops, moves to the point and starts emitting afresh.
    void Start(float x, float y);
    // Emits again from the start of its lifetime; live particles stay.
    void Restart();
    // No more emission; with clear, no more particles either.
    void Stop(bool clear);
    // With shift the live particles move along. Without it, a stopped emitter takes a fresh random birth
    // point inside its birth box, and a running one spreads its next births along the way it moved.
    void MoveTo(float x, float y, bool shift);
    // dt in update periods.
    void Update(float dt);
    // One step of h seconds.
    void Simulate(float h);
    void Draw(Tolm::Graphics& g);

    bool IsStopped() const { return age == kStopped; }
    bool IsFinished() const { return IsStopped() && liveCount == 0; }
    // Live particle i, 0 to the live count - 1.
    Particle GetParticle(int index) const;

    ParticleConfig config;
    // 0 for stepping by the frame's time, else 1 / step rate.
    float fixedStep = 0;
    float stepAccumulator = 0;
    // Seconds since emission began, or kEndless, kStopped, kOneShot.
    float age = kStopped;
    // The fraction of a particle carried to the next step.
    float emissionAccumulator = 0;
    // Where the emitter was at the previous step: particles are born between there and here.
    float previousX = 0;
    float previousY = 0;
    float currentX = 0;
    float currentY = 0;
    // Added to every particle when drawn.
    float drawOffsetX = 0;
    float drawOffsetY = 0;
    // The first liveCount particles are live, in no particular order.
    int32_t liveCount = 0;

private:
    // Each field of the particles in an array of its own.
    struct Fields
    {
        float x[kMaxParticles], y[kMaxParticles];
        float velocityX[kMaxParticles], velocityY[kMaxParticles];
        float gravity[kMaxParticles];
        float radial[kMaxParticles];
        float tangential[kMaxParticles];
        float spin[kMaxParticles], spinChange[kMaxParticles];
        float size[kMaxParticles], sizeChange[kMaxParticles];
        float alpha[kMaxParticles], blue[kMaxParticles], green[kMaxParticles], red[kMaxParticles];
        float alphaChange[kMaxParticles], blueChange[kMaxParticles], greenChange[kMaxParticles],
            redChange[kMaxParticles];
        float age[kMaxParticles], life[kMaxParticles];
        float wavePhase[kMaxParticles];
        float pulsePhase[kMaxParticles];
    };

    // Ages every live particle and removes the dead, each before it would move.
    void AgeParticles(float h);
    // Moves, turns, grows and recolours particles first to end - 1, Lanes at a time.
    template <class Lanes>
    void MoveParticles(int first, int end, float h);
    void PulseAlpha(float h);
    void EmitParticles(float h);
    void BearParticle(int index);

    Fields particles;
};
