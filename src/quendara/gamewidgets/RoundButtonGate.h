// The round shutter over the face of a round button: an animation that opens from frame 0 (closed) to
// the frame count, one past the last frame, where nothing is drawn any more; it closes the same way back.
// Opening or closing may wait a delay first, and may be redirected at any time.
#pragma once

#include "core/LiveValue.h"

namespace Tolm {
class Graphics;
class Image;
} // namespace Tolm

class RoundButtonGate
{
public:
    // Centred on (x, y) in the owner's drawing coordinates.
    RoundButtonGate(int x, int y);
    virtual ~RoundButtonGate() = default;

    void Open(float seconds);
    void Close(float seconds);
    // Fully open: at the frame count, and not moving.
    bool IsOpen() const;
    // dt in update periods.
    void Update(float dt);
    void Draw(Tolm::Graphics* g);

    int x;
    int y;
    // Minus half a frame, so that the frame is centred.
    int offsetX;
    int offsetY;
    // "UI_BUTTON_GATE", a grid of animation frames; a resource.
    Tolm::Image* image;
    // The frame shown: 0 closed, the frame count open.
    LiveValue cel;
    // Update periods still to wait before the cel moves.
    float delay = 0;

private:
    int FrameCount() const;
};
