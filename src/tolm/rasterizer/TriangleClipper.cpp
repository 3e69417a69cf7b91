#include "rasterizer/TriangleClipper.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Tolm {
namespace {

constexpr int64_t kLargestPosition = 32767;

float BoundOf(int64_t value)
{
    return static_cast<float>(std::clamp(value, -kLargestPosition, kLargestPosition));
}

float Interpolate(float from, float to, double t)
{
    return static_cast<float>(from + (double(to) - from) * t);
}

uint32_t InterpolateColor(uint32_t from, uint32_t to, double t)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        double a = (from >> shift) & 0xFF;
        double b = (to >> shift) & 0xFF;
        result |= static_cast<uint32_t>(std::trunc(a + (b - a) * t)) << shift;
    }
    return result;
}

float Clamp(float value, float low, float high)
{
    return std::min(std::max(value, low), high);
}

} // namespace

// The sums are taken in 64 bits: a clip rectangle near the int range must not wrap round.
ClipBounds ClipBounds::FromRect(const Rect& clip)
{
    ClipBounds bounds;
    bounds.xmin = BoundOf(clip.x);
    bounds.xmax = BoundOf(int64_t(clip.x) + clip.width - 1);
    bounds.ymin = BoundOf(clip.y);
    bounds.ymax = BoundOf(int64_t(clip.y) + clip.height - 1);
    return bounds;
}

int TriangleClipper::ClipTriangle(const TexVertex* a, const TexVertex* b, const TexVertex* c, const ClipBounds& bounds)
{
    poolCount = 0;
    lists[0][0] = a;
    lists[0][1] = b;
    lists[0][2] = c;
    int count = 3;
    // Every pass but the last ends the triangle when fewer than three vertices are left.
    const Edge passes[] = {Edge::Left, Edge::Right, Edge::Top, Edge::Bottom};
    for (int pass = 0; pass < 4 && count >= 3; ++pass) {
        count = ClipPass(lists[pass % 2], count, lists[(pass + 1) % 2], passes[pass], bounds);
    }
    if (count < 3) {
        lists[0][0] = nullptr;
        return 0;
    }
    lists[0][count] = nullptr;
    KeepMadeVerticesInside(bounds);
    return count;
}

int TriangleClipper::ClipPass(const List& input, int count, List& output, Edge edge, const ClipBounds& bounds)
{
    auto isOutside = [&](const TexVertex& vertex) {
        switch (edge) {
        case Edge::Left:
            return vertex.x < bounds.xmin;
        case Edge::Right:
            return vertex.x > bounds.xmax;
        case Edge::Top:
            return vertex.y < bounds.ymin;
        case Edge::Bottom:
            return vertex.y > bounds.ymax;
        }
        return false;
    };

    int made = 0;
    for (int k = 0; k < count; ++k) {
        const TexVertex* p = input[k];
        const TexVertex* q = input[(k + 1) % count];
        bool pOutside = isOutside(*p);
        bool qOutside = isOutside(*q);
        if (!pOutside) {
            output[made++] = p;
        }
        if (pOutside != qOutside) {
            output[made++] = pOutside ? Intersect(*p, *q, edge, bounds) : Intersect(*q, *p, edge, bounds);
        }
    }
    return made;
}

// Always taken from the outside vertex towards the inside one, in double precision, so that the
// difference of two huge coordinates cannot overflow. Every field is interpolated, the edge coordinate too.
const TexVertex* TriangleClipper::Intersect(const TexVertex& outside, const TexVertex& inside, Edge edge,
                                            const ClipBounds& bounds)
{
    bool alongX = edge == Edge::Left || edge == Edge::Right;
    double bound = 0;
    switch (edge) {
    case Edge::Left:
        bound = bounds.xmin;
        break;
    case Edge::Right:
        bound = bounds.xmax;
        break;
    case Edge::Top:
        bound = bounds.ymin;
        break;
    case Edge::Bottom:
        bound = bounds.ymax;
        break;
    }
    double from = alongX ? outside.x : outside.y;
    double to = alongX ? inside.x : inside.y;
    double t = (bound - from) / (to - from);

    TexVertex& made = pool[poolCount++];
    made.x = Interpolate(outside.x, inside.x, t);
    made.y = Interpolate(outside.y, inside.y, t);
    made.u = Interpolate(outside.u, inside.u, t);
    made.v = Interpolate(outside.v, inside.v, t);
    made.color = InterpolateColor(outside.color, inside.color, t);
    return &made;
}

// Rounding can leave a made vertex a hair outside the bounds, and a vertex made by an early pass may lie
// on a later edge; the vertices that passed every test are inside already.
void TriangleClipper::KeepMadeVerticesInside(const ClipBounds& bounds)
{
    for (int k = 0; k < poolCount; ++k) {
        pool[k].x = Clamp(pool[k].x, bounds.xmin, bounds.xmax);
        pool[k].y = Clamp(pool[k].y, bounds.ymin, bounds.ymax);
    }
}

} // namespace Tolm
