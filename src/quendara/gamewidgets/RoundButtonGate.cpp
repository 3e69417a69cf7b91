#include "gamewidgets/RoundButtonGate.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <algorithm>

namespace {

// Cels per update for each tick of the image's frame delay.
constexpr float kSpeedPerFrameDelay = 0.1f;
constexpr float kUpdatesPerSecond = 100.0f;

} // namespace

RoundButtonGate::RoundButtonGate(int x, int y) : x(x), y(y), image(GetImageById("UI_BUTTON_GATE"))
{
    offsetX = image ? -(image->GetFrameWidth() / 2) : 0;
    offsetY = image ? -(image->GetFrameHeight() / 2) : 0;
    const Tolm::ImageAnimation* animation = image ? image->animation.get() : nullptr;
    cel.speed = animation ? kSpeedPerFrameDelay * float(animation->frameDelay) : kSpeedPerFrameDelay;
}

int RoundButtonGate::FrameCount() const
{
    return image && image->animation ? image->animation->numFrames : 0;
}

void RoundButtonGate::Open(float seconds)
{
    cel.target = float(FrameCount());
    delay = seconds * kUpdatesPerSecond;
}

void RoundButtonGate::Close(float seconds)
{
    cel.target = 0.0f;
    delay = seconds * kUpdatesPerSecond;
}

bool RoundButtonGate::IsOpen() const
{
    return cel.current == cel.target && cel.target > 0.0f;
}

void RoundButtonGate::Update(float dt)
{
    if (delay == 0.0f) {
        cel.Update(dt);
        return;
    }
    delay = std::max(delay - dt, 0.0f);
}

void RoundButtonGate::Draw(Tolm::Graphics* g)
{
    // Past the grid once fully open: nothing is drawn.
    g->DrawImageFrame(image, x + offsetX, y + offsetY, int(cel.current));
}
