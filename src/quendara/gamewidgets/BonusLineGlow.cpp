#include "gamewidgets/BonusLineGlow.h"

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <cmath>

namespace {

// Radians per update.
constexpr float kPhaseStep = 0.04f;
// The glow's alpha swings 45 either side of this.
constexpr float kGlowAlpha = 210.0f;
constexpr float kGlowSwing = 45.0f;

} // namespace

BonusLineGlow::BonusLineGlow()
    : phase(RandomFloat(0.0f, 3.14f)), line(GetImageById("BONUS_LINE")), glow(GetImageById("BONUS_LINE_GLOW"))
{}

void BonusLineGlow::SetPosition(float newX, float newY)
{
    x = newX;
    y = newY;
}

void BonusLineGlow::Advance()
{
    phase += kPhaseStep;
}

void BonusLineGlow::Draw(Tolm::Graphics* g)
{
    auto centred = [&](Tolm::Image* image) {
        if (image) {
            g->DrawImageF(image, x - float(image->GetWidth()) * 0.5f, y - float(image->GetHeight()) * 0.5f);
        }
    };
    centred(line);
    g->PushState();
    g->SetTintImages(true);
    g->SetColor(Tolm::Color(255, 255, 255, int(std::sin(phase) * kGlowSwing + kGlowAlpha)));
    centred(glow);
    g->PopState();
}
