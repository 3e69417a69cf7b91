#include "gamewidgets/WindowLight.h"

#include "core/Matrix.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <cmath>

namespace {

// A fade over 50 update periods.
constexpr float kFadeSpeed = 0.02f;
// The glow's alpha swings 50 either side of this.
constexpr float kGlowAlpha = 205.0f;
constexpr float kGlowSwing = 50.0f;

} // namespace

// The phase is drawn before the speed: the order of random draws is part of a replayed demo.
WindowLight::WindowLight(int x, int y)
    : x(x), y(y), light(GetImageById("UI_WINDOW_LIGHT")), glow(GetImageById("UI_WINDOW_LIGHT_GLOW")),
      phase(RandomFloatSpan(7.0f)), phaseSpeed(RandomFloat(0.05f, 0.09f))
{
    alpha.target = 1.0f;
    alpha.speed = kFadeSpeed;
}

void WindowLight::Update(float dt)
{
    phase += dt * phaseSpeed;
    alpha.Update(dt);
}

// An unlit light is skipped: the float blit's rounding would still darken its square by one step and
// mark the screen's opaque pixels translucent, and the game screen keeps eight of them unlit all level.
void WindowLight::Draw(Tolm::Graphics* g)
{
    if (alpha.current <= 0.0f) {
        return;
    }
    Tolm::Transform place;
    place.Translate(float(x), float(y));
    g->PushState();
    g->SetTintImages(true);
    g->SetAlphaMultiplier(alpha.current);
    g->SetColor(Tolm::Color::White);
    g->DrawImageTransformF(light, place, 0.0f, 0.0f);
    g->SetColor(Tolm::Color(255, 255, 255, int(std::sin(phase) * kGlowSwing + kGlowAlpha)));
    g->DrawImageTransformF(glow, place, 0.0f, 0.0f);
    g->PopState();
}

void WindowLightList::Add(int x, int y)
{
    lights.push_back(std::make_unique<WindowLight>(x, y));
}

void WindowLightList::SetAllOn(bool on)
{
    for (auto& light : lights) {
        light->alpha.target = on ? 1.0f : 0.0f;
    }
}

void WindowLightList::Update(float dt)
{
    for (auto& light : lights) {
        light->Update(dt);
    }
}

void WindowLightList::Draw(Tolm::Graphics* g)
{
    for (auto& light : lights) {
        light->Draw(g);
    }
}
