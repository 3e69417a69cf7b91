// Buildings with particles of their own that run while they stand: the bakehouse's and the watermill's
// chimney smoke behind the picture, the fountain's spray in front of it. The watermill's wheel turns.
#pragma once

#include "town/BaseTownBuilding.h"

#include <memory>

class ParticleManager;

namespace Tolm {
class Animator;
}

class TownBuildingWithSmoke : public BaseTownBuilding
{
public:
    // One emitter of the named particle effect at (dx, dy) from the picture's corner; none when the effect
    // is not loaded.
    TownBuildingWithSmoke(const TiXmlDocument* document, const std::string& name, int id, const char* particleName,
                          int dx, int dy);
    ~TownBuildingWithSmoke() override;

    void SetBuilt(bool b) override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    const ParticleManager& GetParticles() const { return *particles; }

protected:
    bool particlesInFront = false;

private:
    std::unique_ptr<ParticleManager> particles;
};

class TownBakehouse : public TownBuildingWithSmoke
{
public:
    explicit TownBakehouse(const TiXmlDocument* document);
};

class TownFountain : public TownBuildingWithSmoke
{
public:
    explicit TownFountain(const TiXmlDocument* document);
};

class TownWatermill : public TownBuildingWithSmoke
{
public:
    explicit TownWatermill(const TiXmlDocument* document);
    ~TownWatermill() override;

    void Step() override;

    const Tolm::Animator& GetWheel() const { return *wheel; }

protected:
    void DrawPicture(Tolm::Graphics& g) override;

private:
    // Plays the building picture's frame grid.
    std::unique_ptr<Tolm::Animator> wheel;
};
