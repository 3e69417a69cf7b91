#include "gameeffects/RoundFly.h"

#include "effects/ParticleConfigManager.h"

#include <cmath>

namespace {

std::unique_ptr<ParticleEmitter> MakeRoundEmitter()
{
    ParticleConfig config;
    GetParticleConfig("round", config);
    return std::make_unique<ParticleEmitter>(config, 0);
}

} // namespace

RoundFly::RoundFly(float x, float y, float rx, float ry)
    : emitter(MakeRoundEmitter()), centreX(x), centreY(y), radiusX(rx), radiusY(ry)
{}

RoundFly::~RoundFly() = default;

void RoundFly::SetCentre(int x, int y)
{
    centreX = float(x);
    centreY = float(y);
}

void RoundFly::SetActive(bool on)
{
    if (on && !active) {
        emitter->Start(centreX, centreY);
    } else if (!on && active) {
        emitter->Stop(false);
    }
    active = on;
}

void RoundFly::Update(float dt)
{
    angle += dt;
    const float turned = angle / period;
    emitter->MoveTo(centreX + std::sin(turned) * radiusX, centreY + std::cos(turned) * radiusY, false);
    emitter->Update(dt);
}

void RoundFly::Draw(Tolm::Graphics& g)
{
    emitter->Draw(g);
}

GfxRoundFly::GfxRoundFly(float x, float y, float rx, float ry, float turnCount)
    : RoundFly(x, y, rx, ry), turns(turnCount)
{}

bool GfxRoundFly::Start()
{
    if (turns < 1) {
        return false;
    }
    SetActive(true);
    return true;
}

int GfxRoundFly::Update()
{
    if (turns * 6.283185f < angle / period) {
        SetActive(false);
    }
    return active || emitter->liveCount > 0 ? 0 : -1;
}

void GfxRoundFly::Tick(float dt)
{
    RoundFly::Update(dt);
}

void GfxRoundFly::Draw(Tolm::Graphics& g)
{
    RoundFly::Draw(g);
}
