#include "gamewidgets/GameFieldButton.h"

#include "core/Matrix.h"
#include "core/Random.h"
#include "gamewidgets/RoundButtonGate.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <cmath>

namespace {

constexpr float kHoverSpeed = 0.05f;
// Degrees per update period while the gate is open: ten degrees a second.
constexpr float kBorderTurn = 0.1f;
// Radians per update period while fully hovered.
constexpr float kGlowStep = 0.05f;
constexpr float kMaskAlpha = 80.0f;
// The glow's alpha swings 60 either side of this.
constexpr int kGlowAlpha = 195;
constexpr float kGlowSwing = 60.0f;
// RandomFloatSpan gives up to this less one: half a second.
constexpr float kOpenDelaySpan = 1.5f;

} // namespace

GameFieldButton::GameFieldButton(int id, Tolm::ButtonListener* listener, Tolm::Image* border, Tolm::Image* button,
                                 Tolm::Image* down, Tolm::Image* mask, Tolm::Image* sign, Tolm::Image* signGlow)
    : BaseButton(id, listener), border(border), button(button), down(down), mask(mask), sign(sign), signGlow(signGlow)
{
    // Without its ring (a data set that lacks the pictures) the button has no size: it is never hit and
    // draws nothing.
    Resize(0, 0, border ? border->GetWidth() : 0, border ? border->GetHeight() : 0);
    hover.speed = kHoverSpeed;
    gate = std::make_unique<RoundButtonGate>(width / 2, height / 2);
}

GameFieldButton::~GameFieldButton() = default;

void GameFieldButton::SetGateOpen(bool open)
{
    if (open) {
        gate->Open(RandomFloatSpan(kOpenDelaySpan));
    } else {
        gate->Close(0.0f);
    }
}

void GameFieldButton::Update()
{
    Tolm::Widget::Update();
    hover.target = isOver ? 0.0f : 1.0f;
}

void GameFieldButton::UpdateFraction(float dt)
{
    if (gate->IsOpen()) {
        borderAngle += dt * kBorderTurn;
    }
    hover.Update(dt);
    if (hover.current == 0.0f) {
        glowPhase += dt * kGlowStep;
    }
    gate->Update(dt);
}

void GameFieldButton::Draw(Tolm::Graphics* g)
{
    bool pressed = LooksPressed();
    g->DrawImage(pressed ? down : button, 0, 0);
    int shift = pressed ? 1 : 0;
    g->SetTintImages(true);
    g->SetColor(Tolm::Color(255, 255, 255, kGlowAlpha + int(kGlowSwing * std::cos(glowPhase))));
    g->DrawImage(signGlow, shift, shift);
    g->SetTintImages(false);
    g->DrawImage(sign, shift, shift);
    g->SetTintImages(true);
    g->SetColor(Tolm::Color(0, 0, 0, int(hover.current * kMaskAlpha)));
    g->DrawImage(mask, 0, 0);
    g->SetTintImages(false);
    gate->Draw(g);
    Tolm::Transform turn;
    turn.RotateDegrees(borderAngle);
    turn.Translate(float(width) * 0.5f, float(height) * 0.5f);
    g->DrawImageTransformF(border, turn, 0.0f, 0.0f);
}
