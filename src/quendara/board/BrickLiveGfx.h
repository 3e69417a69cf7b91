// A brick with a picture: its type's image, drawn faded, hidden or pulsing as the board asks.
#pragma once

#include "board/BrickLive.h"
#include "graphics/Rect.h"

namespace Tolm {
class Image;
}

class BrickLiveGfx : public BrickLive
{
public:
    // How the brick is faded.
    static constexpr int kFadeNone = 0;
    static constexpr int kFadingIn = 1;
    static constexpr int kFadedOut = 2;

    explicit BrickLiveGfx(int brickType);

    // Draws only while fading or pulsing; false otherwise, for the class below to draw the plain image.
    bool Draw(Tolm::Graphics& g) override;
    void Update(float dt) override;
    std::unique_ptr<BrickBase> Clone() const override;
    bool IsAnimating() const override;
    void StartEffect(int kind, float time, bool front) override;
    void SetVisualState(int kind, bool front) override;

    // The type's image (not owned), null when missing.
    Tolm::Image* image = nullptr;
    float alpha = 1.0f;
    int fadeMode = kFadeNone;
    // 0 at rest, else the phase of the press pulse, 0 to 1.
    float pulse = 0;

protected:
    // The faded or pulsing draw of the image's part; false when neither applies.
    bool DrawPartEffects(Tolm::Graphics& g, const Tolm::Rect& part);
    // The fade or pulse draw, else the plain image; always true.
    bool DrawWithImage(Tolm::Graphics& g);
    float DrawX() const { return float(pixelX) + offsetX; }
    float DrawY() const { return float(pixelY) + offsetY; }
};
