// A cubic curve used as a flight path: start, end and two control points, each control point kept
// relative to the end it belongs to.
#pragma once

#include "core/VectorMath.h"

#include <memory>

class BezierCurve
{
public:
    BezierCurve(float startX, float startY, float firstHandleX, float firstHandleY, float endX, float endY,
                float secondHandleX, float secondHandleY);
    virtual ~BezierCurve() = default;

    virtual std::unique_ptr<BezierCurve> Clone() const;

    // By repeated linear interpolation; outside [0, 1] the curve is extrapolated.
    Tolm::Vector2 PointAt(float t) const;
    // Writes the point into the outputs given, extrapolated or not; true only for t in [0, 1].
    bool PointAtChecked(float t, float* x, float* y) const;
    // The straight distance from start to end, not the length along the curve.
    float ChordLength() const;

    float startX;
    float startY;
    // The first control point, relative to the start.
    float firstHandleX;
    float firstHandleY;
    float endX;
    float endY;
    // The second control point, relative to the end.
    float secondHandleX;
    float secondHandleY;
};
