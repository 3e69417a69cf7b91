#include "gameeffects/GfxFlyingBrick.h"

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/TruncToInt.h"
#include "resources/ResourceLookups.h"

#include <algorithm>
#include <cmath>

namespace {

// The glow steps to its next frame every this many updates.
constexpr int kGlowFrameUpdates = 8;

// The speed covers the whole pixels of the distance in the flight's time.
LiveValue Axis(float from, float to, float flightPeriods)
{
    LiveValue axis;
    axis.target = to;
    axis.current = from;
    axis.previous = from;
    axis.speed = float(Tolm::TruncToInt(std::fabs(from - to))) / flightPeriods;
    return axis;
}

// An axis less than a pixel long gets no speed and would never move: it counts as arrived.
bool Arrived(const LiveValue& axis)
{
    return axis.current == axis.target || axis.speed == 0;
}

int FrameWidth(const Tolm::Image* image)
{
    return image ? image->GetFrameWidth() : 0;
}

int FrameHeight(const Tolm::Image* image)
{
    return image ? image->GetFrameHeight() : 0;
}

} // namespace

GfxFlyingBrick::GfxFlyingBrick(Tolm::Image* brick, float fromX, float fromY, float toX, float toY,
                               baseCallback* onArrival)
    : callback(onArrival), brickImage(brick), glowImage(GetImageById("GFX_LIGHT_BALL"))
{
    alpha.target = 1;
    alpha.speed = 0.02f;
    const float flightPeriods = RandomFloat(100, 120);
    x = Axis(fromX, toX, flightPeriods);
    y = Axis(fromY, toY, flightPeriods);
}

int GfxFlyingBrick::Update()
{
    ++updateCount;
    const bool landed = Arrived(x) && Arrived(y);
    if (landed) {
        alpha.target = 0;
    }
    if (landed && alpha.current == alpha.target) {
        // Taken out of the member first: the callback may end what owns this effect.
        if (std::unique_ptr<baseCallback> done = std::move(callback)) {
            done->Invoke();
        }
        return -1;
    }
    if (updateCount % kGlowFrameUpdates == 0) {
        const int frames = glowImage ? std::max(glowImage->numFrames, 1) : 1;
        glowFrame = (glowFrame + 1) % frames;
    }
    return 0;
}

void GfxFlyingBrick::Tick(float dt)
{
    x.Update(dt);
    y.Update(dt);
    alpha.Update(dt);
}

void GfxFlyingBrick::Draw(Tolm::Graphics& g)
{
    if (brickImage) {
        g.DrawImageFrame(brickImage, Tolm::TruncToInt(x.current), Tolm::TruncToInt(y.current), 0);
    }
    if (!glowImage) {
        return;
    }
    // Integer halves, so the glow sits on the brick's pixel grid.
    const int glowX = Tolm::TruncToInt(x.current - float((FrameWidth(glowImage) - FrameWidth(brickImage)) / 2));
    const int glowY = Tolm::TruncToInt(y.current - float((FrameHeight(glowImage) - FrameHeight(brickImage)) / 2));
    g.PushState();
    g.SetTintImages(true);
    g.SetColor(Tolm::Color(255, 255, 255, Tolm::TruncToInt(alpha.current * 255.0f)));
    g.SetDrawMode(Tolm::DrawModeAdditive);
    g.DrawImageFrame(glowImage, glowX, glowY, glowFrame);
    g.PopState();
}
