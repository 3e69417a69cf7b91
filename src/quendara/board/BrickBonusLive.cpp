#include "board/BrickBonusLive.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <algorithm>

BrickBonusLive::BrickBonusLive() : BrickLiveGfx(kBrickLiveBonus)
{
    SetFlag(kBrickWildcard);
    // A record without a delay would divide by zero; each cel then lasts one update.
    if (image && image->animation) {
        ticksPerFrame = std::max(1, image->animation->frameDelay);
    }
}

void BrickBonusLive::Animate()
{
    ++tickCount;
    if (tickCount % ticksPerFrame == 0) {
        const int frames = image ? std::max(1, image->numFrames) : 1;
        frame = (frame + 1) % frames;
    }
}

bool BrickBonusLive::Draw(Tolm::Graphics& g)
{
    if (!image) {
        return true;
    }
    const Tolm::Rect part = image->GetFrameRect(frame);
    if (!DrawPartEffects(g, part)) {
        g.DrawImagePartF(image, DrawX(), DrawY(), part);
    }
    return true;
}
