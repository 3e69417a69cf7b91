#include "bricks/GfxBrickEffects.h"

#include "bricks/BrickBase.h"
#include "bricks/BrickHelper.h"
#include "core/Matrix.h"
#include "graphics/Graphics.h"
#include "graphics/TruncToInt.h"

#include <cmath>

namespace {

// The swell runs from 1.2 to 2.0; over that span the sine's argument covers 0 to pi (0.8 x 3.9269907).
constexpr float kExpandFrom = 1.2f;
constexpr float kExpandTo = 2.0f;
constexpr float kExpandStep = 0.02f;
constexpr float kExpandPhase = 3.9269907f;
constexpr float kExplodeStep = 0.025f;

} // namespace

GfxBrickEffect::GfxBrickEffect(int centreX, int centreY, const BrickBase& brick) : x(float(centreX)), y(float(centreY))
{
    GetBrickImage(brick.GetType(), image);
}

// An alpha of 0 or less draws nothing: a swell still waiting for its start would have a negative one.
void GfxBrickEffect::DrawScaled(Tolm::Graphics& g, int alpha, float scale) const
{
    if (!image || alpha <= 0) {
        return;
    }
    g.PushState();
    g.SetTintImages(true);
    g.SetColor(Tolm::Color(255, 255, 255, alpha));
    Tolm::Transform transform;
    transform.Scale(scale, scale);
    transform.Translate(x, y);
    g.DrawImagePartTransformF(image, transform, image->GetFrameRect(0), 0, 0);
    g.PopState();
}

bool GfxBrickExpand::Start()
{
    value = kExpandFrom;
    return true;
}

int GfxBrickExpand::Update()
{
    value += kExpandStep;
    return value >= kExpandTo ? -1 : 0;
}

// The sine is taken in float: at 1.6 it gives exactly 1, so the fade peaks at 100.
void GfxBrickExpand::Draw(Tolm::Graphics& g)
{
    const float wave = std::sin((value - kExpandFrom) * kExpandPhase);
    DrawScaled(g, Tolm::TruncToInt(wave * 100.0f), value);
}

bool GfxBrickExplode::Start()
{
    value = 1.0f;
    return true;
}

int GfxBrickExplode::Update()
{
    value -= kExplodeStep;
    return value <= 0.0f ? -1 : 0;
}

void GfxBrickExplode::Draw(Tolm::Graphics& g)
{
    DrawScaled(g, Tolm::TruncToInt(value * 255.0f), std::sin(value));
}
