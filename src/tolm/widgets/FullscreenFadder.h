// The black fade of every screen change: a full-screen widget that fades from black to clear or from
// clear to black in 0.2 seconds, then takes itself out of the widget manager, queues its own deletion
// and runs an optional callback. While it lives it is the top-most widget and takes every click.
// Nobody keeps a pointer to one.
#pragma once

#include "core/Callback.h"
#include "core/Module.h"
#include "widgets/Widget.h"

class FullscreenFadder : public Tolm::Widget, public baseObject
{
public:
    explicit FullscreenFadder(bool fadeIn);
    // Takes ownership of the callback, which runs once when the fade ends.
    FullscreenFadder(bool fadeIn, baseCallback* onFinished);
    // A fader destroyed before its end deletes its callback without running it.
    ~FullscreenFadder() override;

    void UpdateFraction(float fraction) override;
    void Draw(Tolm::Graphics* g) override;
    using Tolm::Widget::DrawOverlay;
    void DrawOverlay(Tolm::Graphics* g) override;

    // 0 clear to 1 black.
    float alpha = 0;
    baseCallback* onFinished = nullptr;

private:
    void Start(bool fadeIn);
    void Finish();
};
