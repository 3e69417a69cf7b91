#include "effects/GlobalParticles.h"

#include "effects/GfxManager.h"
#include "effects/ParticleConfigManager.h"

GlobalParticles::GlobalParticles() : ParticleManager(0)
{
    ParticleConfigManager* configs = ParticleConfigManager::Instance();
    for (const ParticleEffectFile& file : kParticleEffectFiles) {
        configs->LoadConfig(file.path, file.name);
    }
    effects = std::make_unique<GfxManager>();
}

GlobalParticles::~GlobalParticles()
{
    delete ParticleConfigManager::RegisteredInstance();
    effects.reset();
}

void GlobalParticles::UpdateEffects()
{
    effects->UpdateEffects();
}

void GlobalParticles::Tick(float dt)
{
    UpdateEmitters(dt);
    effects->TickEffects(dt);
}

void GlobalParticles::Draw(Tolm::Graphics& g)
{
    DrawEmitters(g);
    effects->DrawEffects(g);
}

void SpawnGlobalParticles(const std::string& name, int x, int y)
{
    ParticleConfig config;
    if (GetParticleConfig(name, config)) {
        GlobalParticles::Instance()->SpawnEmitter(config, float(x), float(y));
    }
}

void SpawnBonusAppearParticles(int index)
{
    // Over the middles of the bonus panel's five buttons.
    constexpr int kButtonX[] = {236, 320, 400, 480, 567};
    if (index >= 0 && index < int(std::size(kButtonX))) {
        SpawnGlobalParticles("bonus_appear", kButtonX[index], 560);
    }
}

void AddGlobalEffect(gfxBase* effect, bool front)
{
    GlobalParticles::Instance()->effects->AddEffect(effect, front);
}

// Asking creates nothing: without the layer there is nothing pending.
bool GlobalEffectsPending()
{
    const GlobalParticles* layer = GlobalParticles::RegisteredInstance();
    return layer && !layer->effects->IsEmpty();
}
