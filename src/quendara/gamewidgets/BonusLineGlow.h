// The glowing line under a bonus button of the bonus panel: the line, and a glow over it that pulses.
// The panel places it, advances it once per update and draws it.
#pragma once

namespace Tolm {
class Graphics;
class Image;
} // namespace Tolm

struct BonusLineGlow
{
    // At (0, 0), with a random phase.
    BonusLineGlow();

    // The centre.
    void SetPosition(float x, float y);
    void Advance();
    void Draw(Tolm::Graphics* g);

    float x = 0;
    float y = 0;
    float phase;
    // Resources.
    Tolm::Image* line;
    Tolm::Image* glow;
};
