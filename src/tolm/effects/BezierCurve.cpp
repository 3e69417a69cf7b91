#include "effects/BezierCurve.h"

#include <cmath>

namespace {

Tolm::Vector2 Lerp(const Tolm::Vector2& a, const Tolm::Vector2& b, float t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

} // namespace

BezierCurve::BezierCurve(float sx, float sy, float h1x, float h1y, float ex, float ey, float h2x, float h2y)
    : startX(sx), startY(sy), firstHandleX(h1x), firstHandleY(h1y), endX(ex), endY(ey), secondHandleX(h2x),
      secondHandleY(h2y)
{}

std::unique_ptr<BezierCurve> BezierCurve::Clone() const
{
    return std::make_unique<BezierCurve>(*this);
}

Tolm::Vector2 BezierCurve::PointAt(float t) const
{
    const Tolm::Vector2 start{startX, startY};
    const Tolm::Vector2 first{startX + firstHandleX, startY + firstHandleY};
    const Tolm::Vector2 second{endX + secondHandleX, endY + secondHandleY};
    const Tolm::Vector2 end{endX, endY};
    const Tolm::Vector2 q0 = Lerp(start, first, t);
    const Tolm::Vector2 q1 = Lerp(first, second, t);
    const Tolm::Vector2 q2 = Lerp(second, end, t);
    return Lerp(Lerp(q0, q1, t), Lerp(q1, q2, t), t);
}

bool BezierCurve::PointAtChecked(float t, float* x, float* y) const
{
    const Tolm::Vector2 point = PointAt(t);
    if (x) {
        *x = point.x;
    }
    if (y) {
        *y = point.y;
    }
    return t >= 0 && t <= 1;
}

float BezierCurve::ChordLength() const
{
    const float dx = endX - startX;
    const float dy = endY - startY;
    return std::sqrt(dx * dx + dy * dy);
}
