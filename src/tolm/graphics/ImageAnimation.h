// How the frames of an image play: the resource loader fills one in from an image's manifest entry and
// the sprite animator reads it.
#pragma once

#include <vector>

namespace Tolm {

class ImageAnimation
{
public:
    static constexpr int TypeNone = 0;
    static constexpr int TypeOnce = 1;
    static constexpr int TypePingPong = 2;
    static constexpr int TypeLoop = 3;

    int type = TypeNone;
    int frameDelay = 1;
    int numFrames = 1;
    // One delay per played frame; empty means every frame lasts frameDelay.
    std::vector<int> perFrameDelays;
    // The image frame shown at each step; empty means frames 0, 1, 2 and so on.
    std::vector<int> frameMap;
    int totalDuration = 0;

    ImageAnimation() = default;

    void Assign(const ImageAnimation& other) { *this = other; }

    // Completes a description whose type, frameDelay, perFrameDelays and frameMap the loader has set.
    // A first or last delay of 0 or less leaves that frame's delay alone.
    void Compute(int frameCount, int firstFrameDelay, int lastFrameDelay);
};

} // namespace Tolm
