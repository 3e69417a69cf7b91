// A line of text that rises from a point while it fades in and out again, and the score of a chain shown
// the same way.
#pragma once

#include "core/LiveValue.h"
#include "effects/gfxBase.h"

#include <string>

namespace Tolm {
class Font;
}

class GfxFlyText : public gfxBase
{
public:
    // Centred on (x, y) at its start; the font is not owned, and without one nothing is drawn.
    GfxFlyText(std::string text, float x, float y, Tolm::Font* font);

    // The height risen by the end; 36 unless set.
    void SetRiseDistance(float distance) { riseDistance = distance; }
    // The share of the rise made per update period, 0.006 unless set before the start.
    void SetProgressSpeed(float speed) { progressSpeed = speed; }

    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    Tolm::Font* font;
    float x;
    float y;
    LiveValue progress;
    float progressSpeed = 0.006f;
    std::string text;
    float riseDistance = 36;
};

class GfxFlyScore : public GfxFlyText
{
public:
    GfxFlyScore(int score, float x, float y);

    // A score below 1 is never shown.
    bool Start() override;

    int score;
};
