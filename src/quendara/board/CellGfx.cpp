#include "board/CellGfx.h"

#include "core/TweenModules.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

// The glow rises to its peak and back twice over its second.
constexpr float kGlowSeconds = 1.0f;
// A frame tick counts updates of 10 ms; the line timer counts seconds.
constexpr float kTickSeconds = 0.01f;

std::unique_ptr<Tolm::Animator> LineAnimator(Tolm::Image* image)
{
    auto animator = std::make_unique<Tolm::Animator>();
    animator->SetImage(image);
    return animator;
}

} // namespace

CellGfx::CellGfx(int cellKind) : CellWithBorder(cellKind), lineAnimator(LineAnimator(GetImageById(kLineImageId))) {}

CellGfx::CellGfx(const CellGfx& other)
    : CellWithBorder(other), baseObject(), alpha(other.alpha), fadeMode(other.fadeMode), glow(other.glow),
      glowOn(other.glowOn), lineAnimator(LineAnimator(other.lineAnimator->image)), lineTimer(other.lineTimer)
{}

void CellGfx::DrawFaded(Tolm::Graphics& g, const std::function<void()>& draw) const
{
    if (alpha == 0.0f) {
        return;
    }
    g.PushState();
    g.SetDrawMode(0);
    g.SetTintImages(true);
    g.SetColor(Tolm::Color(255, 255, 255, int(alpha * 255)));
    draw();
    g.PopState();
}

void CellGfx::DrawLine(Tolm::Graphics& g)
{
    if (!lineAnimator->finished) {
        lineAnimator->Draw(g, 0, 0);
    }
}

void CellGfx::DrawBack(Tolm::Graphics& g)
{
    if (fadeMode == kFadeNone) {
        CellWithBorder::DrawBack(g);
        return;
    }
    DrawFaded(g, [&] {
        CellWithBorder::DrawBack(g);
        DrawLine(g);
    });
}

void CellGfx::DrawFront(Tolm::Graphics& g)
{
    if (fadeMode == kFadeNone) {
        CellWithBorder::DrawFront(g);
        return;
    }
    DrawFaded(g, [&] { CellWithBorder::DrawFront(g); });
}

void CellGfx::Update(float dt)
{
    UpdateModules();
    if (fadeMode == kFadingIn && alpha >= 1.0f) {
        alpha = 1.0f;
        fadeMode = kFadeNone;
    } else if (fadeMode == kFadedOut && alpha <= 0.0f) {
        alpha = 0.0f;
    }
    if (glowOn && glow > 1.0f) {
        glow = 1.0f;
        glowOn = false;
    }
    if (glowOn && glow < 0.0f) {
        glow = 0.0f;
        glowOn = false;
    }
    if (lineTimer >= 0) {
        lineTimer -= dt * kTickSeconds;
        if (lineTimer <= 0) {
            lineTimer = -1.0f;
            lineAnimator->Restart();
        }
    }
}

void CellGfx::StartEffect(int kind, float time)
{
    switch (kind) {
    case 1:
        fadeMode = kFadingIn;
        AddModule(new mutValueTo<float>(&alpha, 1.0f, time), false);
        break;
    case 2:
        fadeMode = kFadedOut;
        AddModule(new mutValueTo<float>(&alpha, 0.0f, time), false);
        break;
    case 4:
        if (lineTimer < 0) {
            lineTimer = time;
        }
        break;
    case 6:
        AddModule(new mutSequenceDelay(time, true), false);
        break;
    default:
        break;
    }
}

void CellGfx::SetVisualState(int kind)
{
    switch (kind) {
    case 3:
        glow = 0.0f;
        glowOn = true;
        AddModule(new mutValueTo<float>(&glow, 1.0f, kGlowSeconds), false);
        break;
    case 4:
        StartEffect(4, 0.0f);
        break;
    case 5:
        alpha = 0.0f;
        fadeMode = kFadedOut;
        break;
    case 6:
        StartEffect(6, 0.0f);
        break;
    default:
        break;
    }
}
