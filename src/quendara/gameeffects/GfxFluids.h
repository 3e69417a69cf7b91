// A glowing stream poured from a fixed point of the screen into a board cell: a ribbon of two liquid
// pictures bent along a curve, whose front runs to the cell, calls the board back there, and whose back
// then follows it in. The stream's timing is a small script of modules: an optional wait, the front's
// run, and the back's run once the front has arrived.
#pragma once

#include "core/Callback.h"
#include "core/Module.h"
#include "effects/BezierCurve.h"
#include "effects/DistortionMesh.h"
#include "effects/gfxBase.h"

#include <memory>

// The flight path of a stream from (x1, y1) to (x2, y2): both control points at the chord's midpoint
// pushed sideways by bend times half the chord.
std::unique_ptr<BezierCurve> MakeBentCurve(float x1, float y1, float x2, float y2, float bend);

class GfxFluids : public gfxBase, public baseObject
{
public:
    // Draws one number, the bend. Takes ownership of the callback, which may be null; it runs once, when
    // the front arrives.
    GfxFluids(float x1, float y1, float x2, float y2, baseCallback* onArrive);

    // Seconds of waiting before the stream sets off; only the first call counts, and only before the
    // start.
    void AddStartDelay(float seconds);

    bool Start() override;
    int Update() override;
    // Steps the script; the modules read the core clock.
    void Tick(float dt) override;
    void Draw(Tolm::Graphics& g) override;

    std::unique_ptr<BezierCurve> curve;
    DistortionMesh mesh;
    // Curve parameters of the stream's back and front, 0 to 1.
    float tail = 0;
    float head = 0;
    std::unique_ptr<baseCallback> onArrive;

private:
    // The mesh along the curve from tail to head.
    void LayOut();
    // The texture window: the image's right end leads the front out, then drains towards its left end
    // as the back follows.
    void SetTextureWindow(float width, float height);
};
