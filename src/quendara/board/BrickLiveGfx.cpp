#include "board/BrickLiveGfx.h"

#include "bricks/BrickHelper.h"
#include "core/Matrix.h"
#include "core/TweenModules.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <cmath>

namespace {

// Seconds of a quick fade (visual states 1 and 2).
constexpr float kQuickFade = 0.06f;
// The pulse advances by this per update, so it lasts 20 updates.
constexpr float kPulseStep = 0.05f;
// The pulse's half turn, as it has always been written: not the float nearest to pi.
constexpr float kPulseHalfTurn = 3.1415296f;
// How much a brick shrinks at the middle of its pulse.
constexpr float kPulseDepth = 0.1f;

} // namespace

BrickLiveGfx::BrickLiveGfx(int brickType) : BrickLive(brickType)
{
    GetBrickImage(brickType, image);
}

std::unique_ptr<BrickBase> BrickLiveGfx::Clone() const
{
    return std::make_unique<BrickLiveGfx>(*this);
}

bool BrickLiveGfx::IsAnimating() const
{
    return BrickLive::IsAnimating() || alpha != 1.0f;
}

void BrickLiveGfx::Update(float dt)
{
    BrickLive::Update(dt);
    if (fadeMode == kFadingIn && alpha >= 1.0f) {
        alpha = 1.0f;
        fadeMode = kFadeNone;
    }
    if (fadeMode == kFadedOut && alpha <= 0.0f) {
        alpha = 0.0f;
    }
    if (pulse > 0) {
        pulse += kPulseStep;
        if (pulse >= 1.0f) {
            pulse = 0;
        }
    }
}

void BrickLiveGfx::StartEffect(int kind, float time, bool front)
{
    switch (kind) {
    case 1:
        fadeMode = kFadingIn;
        AddModule(new mutValueTo<float>(&alpha, 1.0f, time), front);
        break;
    case 2:
        fadeMode = kFadedOut;
        AddModule(new mutValueTo<float>(&alpha, 0.0f, time), front);
        break;
    case 6:
        AddModule(new mutSequenceDelay(time, true), front);
        break;
    default:
        break;
    }
}

void BrickLiveGfx::SetVisualState(int kind, bool front)
{
    switch (kind) {
    case 1:
    case 2:
        StartEffect(kind, kQuickFade, front);
        break;
    case 3:
        pulse += kPulseStep;
        break;
    case 4:
        alpha = 0.0f;
        fadeMode = kFadedOut;
        break;
    case 5:
        alpha = 1.0f;
        fadeMode = kFadingIn;
        break;
    case 6:
        StartEffect(6, 0.0f, front);
        break;
    default:
        break;
    }
}

bool BrickLiveGfx::DrawPartEffects(Tolm::Graphics& g, const Tolm::Rect& part)
{
    if (fadeMode != kFadeNone) {
        if (alpha == 0.0f) {
            return true;
        }
        g.PushState();
        g.SetDrawMode(0);
        g.SetTintImages(true);
        g.SetColor(Tolm::Color(255, 255, 255, int(alpha * 255)));
        g.DrawImagePartF(image, DrawX(), DrawY(), part);
        g.SetTintImages(false);
        g.PopState();
        return true;
    }
    if (pulse <= 0) {
        return false;
    }
    const float scale = 1.0f - std::sin(pulse * kPulseHalfTurn) * kPulseDepth;
    Tolm::Transform transform;
    transform.Scale(scale, scale);
    transform.Translate(float(part.width) * 0.5f + DrawX(), float(part.height) * 0.5f + DrawY());
    g.PushState();
    g.SetDrawMode(0);
    g.DrawImagePartTransformF(image, transform, part, 0, 0);
    g.PopState();
    return true;
}

bool BrickLiveGfx::Draw(Tolm::Graphics& g)
{
    return image && DrawPartEffects(g, Tolm::Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

bool BrickLiveGfx::DrawWithImage(Tolm::Graphics& g)
{
    if (!BrickLiveGfx::Draw(g)) {
        g.DrawImageF(image, DrawX(), DrawY());
    }
    return true;
}
