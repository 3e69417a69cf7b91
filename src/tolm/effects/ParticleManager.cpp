#include "effects/ParticleManager.h"

#include <utility>

ParticleManager::ParticleManager(float rate) : stepRate(rate) {}

ParticleManager::~ParticleManager() = default;

ParticleEmitter* ParticleManager::SpawnEmitter(const ParticleConfig& config, float x, float y)
{
    if (count == kMaxEmitters) {
        return nullptr;
    }
    auto emitter = std::make_unique<ParticleEmitter>(config, stepRate);
    emitter->Start(x, y);
    emitter->drawOffsetX = drawOffsetX;
    emitter->drawOffsetY = drawOffsetY;
    emitters[std::size_t(count)] = std::move(emitter);
    return emitters[std::size_t(count++)].get();
}

int ParticleManager::UpdateEmitters(float dt)
{
    int i = 0;
    while (i < count) {
        emitters[std::size_t(i)]->Update(dt);
        if (!emitters[std::size_t(i)]->IsFinished()) {
            ++i;
            continue;
        }
        emitters[std::size_t(i)].reset();
        --count;
        std::swap(emitters[std::size_t(i)], emitters[std::size_t(count)]);
    }
    return count;
}

void ParticleManager::DrawEmitters(Tolm::Graphics& g)
{
    for (int i = 0; i < count; ++i) {
        emitters[std::size_t(i)]->Draw(g);
    }
}

void ParticleManager::StopAll(bool clear)
{
    for (int i = 0; i < count; ++i) {
        emitters[std::size_t(i)]->Stop(clear);
    }
}

void ParticleManager::RestartAll()
{
    for (int i = 0; i < count; ++i) {
        emitters[std::size_t(i)]->Restart();
    }
}
