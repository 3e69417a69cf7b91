#include "graphics/ImageAnimation.h"

#include <climits>
#include <cstdint>
#include <numeric>

namespace Tolm {

namespace {

// Delays come from data files: a total past the int range stops at its end.
int Saturated(int64_t duration)
{
    return duration > INT_MAX ? INT_MAX : int(duration);
}

} // namespace

void ImageAnimation::Compute(int frameCount, int firstFrameDelay, int lastFrameDelay)
{
    numFrames = frameCount > 0 ? frameCount : 1;
    if (frameDelay <= 0) {
        frameDelay = 1;
    }
    if (type == TypePingPong && numFrames > 1) {
        frameMap.clear();
        for (int frame = 0; frame < numFrames; ++frame) {
            frameMap.push_back(frame);
        }
        for (int frame = numFrames - 2; frame >= 1; --frame) {
            frameMap.push_back(frame);
        }
    }
    if (!frameMap.empty()) {
        numFrames = int(frameMap.size());
    }
    if (firstFrameDelay > 0) {
        if (perFrameDelays.empty()) {
            perFrameDelays.resize(1);
        }
        perFrameDelays[0] = firstFrameDelay;
    }
    if (lastFrameDelay > 0) {
        if (int(perFrameDelays.size()) < numFrames) {
            perFrameDelays.resize(numFrames);
        }
        perFrameDelays[numFrames - 1] = lastFrameDelay;
    }
    if (perFrameDelays.empty()) {
        totalDuration = Saturated(int64_t(numFrames) * frameDelay);
        return;
    }
    perFrameDelays.resize(numFrames);
    for (int& delay : perFrameDelays) {
        if (delay < 1) {
            delay = frameDelay;
        }
    }
    totalDuration = Saturated(std::accumulate(perFrameDelays.begin(), perFrameDelays.end(), int64_t(0)));
}

} // namespace Tolm
