// An announcement whose letters fade in one after another, each with a burst of "letter_explode"
// particles as it first shows, hold for half a second and then burst apart together while they vanish.
// The effect ends once the last burst has died.
#pragma once

#include "core/LiveValue.h"
#include "effects/ImageText.h"
#include "effects/ParticleManager.h"
#include "effects/gfxBase.h"

#include <optional>
#include <vector>

class GfxParticledText : public gfxBase, public ImageText
{
public:
    // The hold before it is armed at the end of the fade-in.
    static constexpr float kHoldUnarmed = -100;

    GfxParticledText(std::string text, Tolm::Font* font, int x, int y);

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    struct LetterState
    {
        float centreX;
        float centreY;
        // Added to twice the fade: letter i of n shows from a fade of i / 2n on.
        float alphaOffset;
    };

    // Added to the bursts' y.
    int burstOffsetY = 0;
    // Per update period.
    float fadeInSpeed = 0.005f;
    float fadeOutSpeed = 0.02f;
    std::vector<LetterState> letterStates;
    LiveValue fade;
    int lastBurstLetter = -1;
    ParticleManager particles;
    bool exploding = false;
    // Update periods of the pause between the fade-in and the burst.
    float hold = kHoldUnarmed;

private:
    // 0 to 255.
    int LetterAlpha(const LetterState& letter) const;
    // The burst's configuration as it is loaded now; none when it is missing.
    static std::optional<ParticleConfig> LetterExplode();
    // One "letter_explode" emitter at the letter, its emission as given.
    void Burst(const LetterState& letter, const ParticleConfig& config);
    void BurstAll();
};
