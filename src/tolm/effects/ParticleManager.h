// An owner of up to 250 particle emitters: it makes them from configurations, steps and draws them, and
// deletes each once it has stopped and its last particle has died.
#pragma once

#include "effects/ParticleEmitter.h"

#include <array>
#include <cstdint>
#include <memory>

namespace Tolm {
class Graphics;
}

class ParticleManager
{
public:
    static constexpr int kMaxEmitters = 250;

    // The step rate each emitter gets (0 for stepping by the frame's time).
    explicit ParticleManager(float stepRate);
    ParticleManager(const ParticleManager&) = delete;
    ParticleManager& operator=(const ParticleManager&) = delete;
    virtual ~ParticleManager();

    // A new emitter started at the point, or null when 250 exist. The manager keeps it; the pointer
    // stays good until the emitter has finished, for moving or stopping it.
    ParticleEmitter* SpawnEmitter(const ParticleConfig& config, float x, float y);
    // Steps every emitter by dt update periods and deletes the finished ones, which moves the last one
    // into the gap. Returns how many are left.
    int UpdateEmitters(float dt);
    // In array order.
    void DrawEmitters(Tolm::Graphics& g);
    bool HasEmitters() const { return count > 0; }
    void StopAll(bool clear);
    void RestartAll();

    float stepRate;
    int32_t count = 0;
    // Copied into each new emitter.
    float drawOffsetX = 0;
    float drawOffsetY = 0;
    // The first count are in use.
    std::array<std::unique_ptr<ParticleEmitter>, kMaxEmitters> emitters;
};
