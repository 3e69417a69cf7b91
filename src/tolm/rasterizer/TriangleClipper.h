// Clips one triangle of a strip to the clip rectangle: Sutherland-Hodgman in four passes (left, right,
// top, bottom) over lists of vertex pointers. The made vertices live in the clipper's own pool, so a
// polygon is valid until the next ClipTriangle call on the same clipper.
#pragma once

#include "graphics/Rect.h"
#include "graphics/TexVertex.h"

#include <array>

namespace Tolm {

// Inclusive bounds: a vertex may lie on xmax or ymax and still be inside. They are kept within the
// +-32767 pixels that 16.16 positions can hold.
struct ClipBounds
{
    float xmin = 0;
    float xmax = 0;
    float ymin = 0;
    float ymax = 0;

    static ClipBounds FromRect(const Rect& clip);
};

class TriangleClipper
{
public:
    // A pass at most doubles its list, and rounding can make a clipped triangle slightly non-convex, so
    // this is the most the four passes can make of three vertices.
    static constexpr int kMaxPolygon = 48;

    // 0 when nothing is visible, else the number of polygon vertices (3 or more) in Polygon().
    int ClipTriangle(const TexVertex* a, const TexVertex* b, const TexVertex* c, const ClipBounds& bounds);

    // The last clipped polygon, ended by a null pointer.
    const TexVertex* const* Polygon() const { return lists[0].data(); }

private:
    enum class Edge
    {
        Left,
        Right,
        Top,
        Bottom,
    };
    using List = std::array<const TexVertex*, kMaxPolygon + 1>;

    int ClipPass(const List& input, int count, List& output, Edge edge, const ClipBounds& bounds);
    const TexVertex* Intersect(const TexVertex& outside, const TexVertex& inside, Edge edge, const ClipBounds& bounds);
    void KeepMadeVerticesInside(const ClipBounds& bounds);

    // Each pass makes at most one vertex per input edge: 3 + 6 + 12 + 24.
    std::array<TexVertex, 64> pool;
    int poolCount = 0;
    List lists[2] = {};
};

} // namespace Tolm
