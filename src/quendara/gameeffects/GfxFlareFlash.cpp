#include "gameeffects/GfxFlareFlash.h"

#include "core/Matrix.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// Both values cover their span in 40 update periods.
constexpr float kSpanPerPeriod = 0.025f;

} // namespace

GfxFlareFlash::GfxFlareFlash(int centreX, int centreY, float flareScale, Tolm::Color flareColour)
    : colour(flareColour), scale(flareScale), image(GetImageById("GFX_FLARE")), x(float(centreX)), y(float(centreY))
{}

// The turn's direction is the effect's one random draw.
bool GfxFlareFlash::Start()
{
    rotation.target = kPi * float(RandomSign());
    rotation.speed = std::fabs(rotation.target) * kSpanPerPeriod;
    pulse.target = kPi;
    pulse.speed = kPi * kSpanPerPeriod;
    return true;
}

int GfxFlareFlash::Update()
{
    return rotation.current == rotation.target || pulse.current == pulse.target ? -1 : 0;
}

void GfxFlareFlash::Tick(float dt)
{
    rotation.Update(dt);
    pulse.Update(dt);
}

void GfxFlareFlash::Draw(Tolm::Graphics& g)
{
    if (!image) {
        return;
    }
    g.PushState();
    g.SetDrawMode(Tolm::DrawModeAdditive);
    g.SetTintImages(true);
    g.SetColor(colour);
    const float size = std::sin(pulse.current) * scale;
    Tolm::Transform transform;
    transform.Scale(size, size);
    transform.Rotate(rotation.current);
    transform.Translate(x, y);
    g.DrawImageTransform(image, transform, 0, 0);
    g.PopState();
}
