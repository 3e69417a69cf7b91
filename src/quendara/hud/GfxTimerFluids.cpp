#include "hud/GfxTimerFluids.h"

#include "core/Random.h"
#include "effects/ParticleConfigManager.h"
#include "gameeffects/GfxFluids.h"
#include "graphics/Graphics.h"
#include "hud/TimerPanel.h"

namespace {

// Pixels of chord per update period.
constexpr float kFlightSpeed = 5;
// Per update period: the amount reaches the bar over ten updates.
constexpr float kArrivalSpeed = 0.1f;

std::unique_ptr<ParticleEmitter> MakeFlyEmitter()
{
    ParticleConfig config;
    if (!GetParticleConfig("progress_fly", config)) {
        return nullptr;
    }
    return std::make_unique<ParticleEmitter>(config, 0.0f);
}

} // namespace

GfxTimerFluids::GfxTimerFluids(int x, int y, float progressAmount) : emitter(MakeFlyEmitter()), amount(progressAmount)
{
    TimerPanel* bar = TimerPanel::Instance();
    curve = MakeBentCurve(float(x), float(y), bar->GetBarX(), bar->GetBarLevelY(), RandomFloat(-0.5f, 0.5f));
    const float chord = curve->ChordLength();
    progress.target = 1;
    // A stream that starts on the bar is there at once.
    progress.speed = chord > 0 ? kFlightSpeed / chord : 1.0f;
    arrival.target = 1;
}

bool GfxTimerFluids::Start()
{
    if (emitter) {
        float x = 0;
        float y = 0;
        curve->PointAtChecked(progress.current, &x, &y);
        emitter->Start(x, y);
    }
    return true;
}

void GfxTimerFluids::Tick(float dt)
{
    progress.Update(dt);
    arrival.Update(dt);
    if (emitter) {
        emitter->Update(dt);
    }
}

// progress and arrival land exactly on their targets, which the steps test for.
int GfxTimerFluids::Update()
{
    const bool flown = progress.current == progress.target;
    if (flown) {
        arrival.speed = kArrivalSpeed;
    }
    if (arrival.current == 1 && emitter) {
        emitter->Stop(false);
    }
    TimerPanel* bar = TimerPanel::Instance();
    if (arrival.speed > 0 && arrival.current != 1) {
        bar->AdvanceDisplay(arrival.speed * amount);
    }
    if (flown && !HasLiveParticles()) {
        bar->SyncDisplay();
        return -1;
    }
    curve->endX = bar->GetBarX();
    curve->endY = bar->GetBarLevelY();
    if (emitter) {
        const Tolm::Vector2 point = curve->PointAt(progress.current);
        emitter->MoveTo(point.x, point.y, false);
    }
    return 0;
}

void GfxTimerFluids::Draw(Tolm::Graphics& g)
{
    if (emitter) {
        g.PushState();
        emitter->Draw(g);
        g.PopState();
    }
}
