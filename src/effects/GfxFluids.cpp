#include "effects/GfxFluids.h"

#include "graphics/Graphics.h"

#include <algorithm>
#include <cmath>

namespace {

// Seconds per update, and the stream's speed in pixels per second.
constexpr float kUpdateSeconds = 0.01f;
constexpr float kStreamSpeed = 1500.0f;
// A drop of this colour and size marks the stream's head.
constexpr int kDropSize = 6;
// A progress stream's flight, in updates.
constexpr int kTimerFlight = 60;

} // namespace

GfxFluids::GfxFluids(float x1, float y1, float x2, float y2, baseCallback* onArrival)
    : fromX(x1), fromY(y1), toX(x2), toY(y2), callback(onArrival)
{
    const float seconds = std::hypot(x2 - x1, y2 - y1) / kStreamSpeed;
    headStep = seconds > kUpdateSeconds ? kUpdateSeconds / seconds : 1.0f;
}

int GfxFluids::Update()
{
    if (startDelay > 0) {
        startDelay -= kUpdateSeconds;
        return 0;
    }
    head = std::min(head + headStep, 1.0f);
    if (head < 1.0f) {
        return 0;
    }
    if (callback) {
        std::unique_ptr<baseCallback> arrived = std::move(callback);
        arrived->Invoke();
    }
    return -1;
}

void GfxFluids::Draw(Tolm::Graphics& g)
{
    if (startDelay > 0) {
        return;
    }
    const float x = fromX + (toX - fromX) * head;
    const float y = fromY + (toY - fromY) * head;
    g.SetColor(Tolm::Color(120, 200, 255));
    g.FillRect(int(x) - kDropSize / 2, int(y) - kDropSize / 2, kDropSize, kDropSize);
}

GfxTimerFluids::GfxTimerFluids(float atX, float atY, float progress)
    : x(atX), y(atY), amount(progress), remaining(kTimerFlight)
{}

int GfxTimerFluids::Update()
{
    return --remaining > 0 ? 0 : -1;
}
