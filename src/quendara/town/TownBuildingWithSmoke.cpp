#include "town/TownBuildingWithSmoke.h"

#include "effects/ParticleConfigManager.h"
#include "effects/ParticleManager.h"
#include "graphics/Animator.h"
#include "graphics/MemoryImage.h"

TownBuildingWithSmoke::TownBuildingWithSmoke(const TiXmlDocument* document, const std::string& name, int id,
                                             const char* particleName, int dx, int dy)
    : BaseTownBuilding(document, name, id), particles(std::make_unique<ParticleManager>(0.0f))
{
    ParticleConfig config;
    if (GetParticleConfig(particleName, config)) {
        particles->SpawnEmitter(config, float(GetX() + dx), float(GetY() + dy));
    }
}

TownBuildingWithSmoke::~TownBuildingWithSmoke() = default;

void TownBuildingWithSmoke::SetBuilt(bool b)
{
    if (b == IsBuilt()) {
        return;
    }
    BaseTownBuilding::SetBuilt(b);
    if (b) {
        particles->RestartAll();
    } else {
        particles->StopAll(true);
    }
}

void TownBuildingWithSmoke::Tick(float dt)
{
    particles->UpdateEmitters(dt);
}

void TownBuildingWithSmoke::Draw(Tolm::Graphics& g)
{
    if (ShowsPicture()) {
        if (!particlesInFront) {
            particles->DrawEmitters(g);
        }
        DrawPicture(g);
        if (particlesInFront) {
            particles->DrawEmitters(g);
        }
    }
    DrawEffects(g);
}

TownBakehouse::TownBakehouse(const TiXmlDocument* document)
    : TownBuildingWithSmoke(document, "bakehouse", 3, "building_smoke", 71, 4)
{}

TownFountain::TownFountain(const TiXmlDocument* document)
    : TownBuildingWithSmoke(document, "fountain", 19, "fountain", 79, 15)
{
    particlesInFront = true;
}

TownWatermill::TownWatermill(const TiXmlDocument* document)
    : TownBuildingWithSmoke(document, "watermill", 7, "building_smoke", 38, 4),
      wheel(std::make_unique<Tolm::Animator>())
{
    wheel->SetImage(GetBuildingImage());
}

TownWatermill::~TownWatermill() = default;

void TownWatermill::Step()
{
    wheel->Update();
}

void TownWatermill::DrawPicture(Tolm::Graphics& g)
{
    wheel->Draw(g, GetX(), GetY());
}
