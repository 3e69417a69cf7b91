// A short text whose letters swirl in from scattered points, growing and unwinding, rest in place and
// swirl out again: the board's combo and no-moves texts.
#pragma once

#include "core/LiveValue.h"
#include "effects/ImageText.h"
#include "effects/gfxBase.h"
#include "graphics/Color.h"

#include <vector>

class GfxSwirlText : public ImageText, public gfxBase
{
public:
    GfxSwirlText(std::string text, Tolm::Font* font, int x, int y);

    // Draws four numbers per letter, in order: the start x and y, the spin's size and its sign.
    bool Start() override;
    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    struct LetterPath
    {
        float startX;
        float startY;
        float targetX;
        float targetY;
        // Radians turned over the flight in, and again over the flight out.
        float spin;
    };

    Tolm::Color color = Tolm::Color::White;
    // Update periods of rest in place; the caller may change it before the start.
    float hold = 150;
    std::vector<LetterPath> paths;
    // 0 to 0.5 flying in, resting at 0.5, 0.5 to 1 flying out.
    LiveValue fade;
};
