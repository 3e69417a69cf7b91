// The strip of clouds drifting across the town's sky. It wraps round the screen, and where one copy of
// the strip leaves a gap a second copy fills it, so a strip as wide as the screen drifts without a seam.
#pragma once

namespace Tolm {
class Graphics;
class Image;
} // namespace Tolm

class CloudStrip
{
public:
    // The picture "TOWN_CLOUDS".
    CloudStrip();

    // dt in update periods.
    void Update(float dt);
    void Draw(Tolm::Graphics& g);

    // Not owned; null draws nothing and wraps as a strip of no width.
    Tolm::Image* image;
    float x = 0;
    int y = 0;
    // Pixels per update period; a negative speed drifts to the left.
    float speed = 0.04f;

private:
    int ImageWidth() const;
};
