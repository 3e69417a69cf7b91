#include "gameeffects/GfxStageComplete.h"

#include "app/TolmAppBase.h"
#include "effects/ParticleConfigManager.h"

GfxStageComplete::GfxStageComplete() : particles(0) {}

bool GfxStageComplete::Start()
{
    ParticleConfig config;
    if (!GetParticleConfig("stage_complete", config)) {
        return false;
    }
    particles.SpawnEmitter(config, float(Tolm::gTolmApp->width) * 0.5f, float(Tolm::gTolmApp->height) * 0.5f);
    return true;
}

int GfxStageComplete::Update()
{
    return particles.HasEmitters() ? 0 : -1;
}

void GfxStageComplete::Tick(float dt)
{
    particles.UpdateEmitters(dt);
}

void GfxStageComplete::Draw(Tolm::Graphics& g)
{
    particles.DrawEmitters(g);
}
