// A brick that flies from one cell to another inside a pulsing ball of light, then lets the light fade
// and runs its callback. Both axes arrive together, after 100 to 120 update periods; (x, y) is the
// brick's top-left corner.
#pragma once

#include "core/Callback.h"
#include "core/LiveValue.h"
#include "effects/gfxBase.h"

#include <memory>

namespace Tolm {
class Image;
}

class GfxFlyingBrick : public gfxBase
{
public:
    // Takes ownership of the callback, which may be null. Draws one random number.
    GfxFlyingBrick(Tolm::Image* brickImage, float fromX, float fromY, float toX, float toY, baseCallback* onArrival);

    int Update() override;
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    std::unique_ptr<baseCallback> callback;
    Tolm::Image* brickImage;
    LiveValue x;
    LiveValue y;
    Tolm::Image* glowImage;
    int updateCount = 0;
    int glowFrame = 0;
    LiveValue alpha;
};
