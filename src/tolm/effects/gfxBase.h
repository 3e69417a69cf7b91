// The timed visual effect every board, screen and town effect is: started, stepped once per 10 ms
// update, ticked once per displayed frame and drawn, by the GfxManager list that owns it. A bare effect
// starts and finishes at its first update.
#pragma once

namespace Tolm {
class Graphics;
}

class gfxBase
{
public:
    gfxBase() = default;
    gfxBase(const gfxBase&) = delete;
    gfxBase& operator=(const gfxBase&) = delete;
    virtual ~gfxBase() = default;

    // False deletes the effect before its first update.
    virtual bool Start() { return true; }
    // Once per update: -1 finished (deleted), -2 holds every effect behind it in this pass, else 0.
    virtual int Update() { return -1; }
    // Once per frame, with the frame's time in update periods.
    virtual void Tick(float /*dt*/) {}
    virtual void Draw(Tolm::Graphics& /*g*/) {}

    // Set by the list when Start has returned true.
    bool started = false;
};
