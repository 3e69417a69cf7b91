#include "gameeffects/GfxParticledText.h"

#include "core/Matrix.h"
#include "effects/ParticleConfigManager.h"
#include "graphics/Graphics.h"

#include <algorithm>

namespace {

// The pause after the fade-in, in update periods.
constexpr float kHold = 50;

} // namespace

GfxParticledText::GfxParticledText(std::string line, Tolm::Font* textFont, int atX, int atY)
    : ImageText(std::move(line), textFont, atX, atY), particles(0)
{
    const float centreY = float(y) - float(height) * 0.5f;
    for (float centreX : SpreadLetterCentres(*this)) {
        letterStates.push_back({centreX, centreY, 0});
    }
}

bool GfxParticledText::Start()
{
    const float count = float(letterStates.size());
    for (std::size_t i = 0; i < letterStates.size(); ++i) {
        letterStates[i].alphaOffset = -(float(i) / count);
    }
    lastBurstLetter = -1;
    fade.target = 1;
    fade.speed = fadeInSpeed;
    return true;
}

// The hold, the fade and the bursts compare exact values (-100, a fade of exactly 1): both land exactly.
void GfxParticledText::Tick(float dt)
{
    if (hold > 0) {
        hold -= dt;
    } else {
        fade.Update(dt);
    }
    if (fade.current == fade.target && !exploding && hold == kHoldUnarmed) {
        hold = kHold;
    }
    if (hold <= 0 && fade.current == 1 && !exploding) {
        fade.target = 0;
        fade.speed = fadeOutSpeed;
        exploding = true;
        BurstAll();
        for (LetterState& letter : letterStates) {
            letter.alphaOffset = -1;
        }
    }
    for (int i = lastBurstLetter + 1; i < int(letterStates.size()); ++i) {
        const LetterState& letter = letterStates[std::size_t(i)];
        if (int((fade.current * 2 + letter.alphaOffset) * 255) > 0) {
            if (const auto config = LetterExplode()) {
                Burst(letter, *config);
            }
            lastBurstLetter = i;
        }
    }
    particles.UpdateEmitters(dt);
}

// At half emission, so the letters break up in a lighter spray than they came in with.
void GfxParticledText::BurstAll()
{
    auto config = LetterExplode();
    if (!config) {
        return;
    }
    config->emission /= 2;
    for (const LetterState& letter : letterStates) {
        Burst(letter, *config);
    }
}

std::optional<ParticleConfig> GfxParticledText::LetterExplode()
{
    ParticleConfig config;
    if (!GetParticleConfig("letter_explode", config)) {
        return std::nullopt;
    }
    return config;
}

void GfxParticledText::Burst(const LetterState& letter, const ParticleConfig& config)
{
    particles.SpawnEmitter(config, letter.centreX, letter.centreY + float(burstOffsetY));
}

int GfxParticledText::Update()
{
    if (fade.current != fade.target || !exploding || particles.HasEmitters()) {
        return 0;
    }
    return -1;
}

int GfxParticledText::LetterAlpha(const LetterState& letter) const
{
    return std::clamp(int((fade.current * 2 + letter.alphaOffset) * 255), 0, 255);
}

void GfxParticledText::Draw(Tolm::Graphics& g)
{
    g.PushState();
    g.SetTintImages(true);
    for (std::size_t i = 0; i < letterStates.size(); ++i) {
        const LetterState& letter = letterStates[i];
        g.SetColor(Tolm::Color(255, 255, 255, LetterAlpha(letter)));
        Tolm::Transform transform;
        transform.Translate(letter.centreX, letter.centreY);
        DrawLetter(g, int(i), transform);
    }
    g.PopState();
    particles.DrawEmitters(g);
}
