// Which pixels a triangle covers: the integer corner of a pixel must lie inside, top and left edges
// inclusive, bottom and right exclusive, whatever the order of the vertices, and two triangles sharing an
// edge neither overlap nor leave a gap.
#include "RasterCanvas.h"
#include "ReferenceRasterizer.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <utility>

using namespace Tolm;
using RasterTest::Canvas;
using RasterTest::FixedAt;

namespace {

constexpr int kShadedFillIndex = 4; // ARGB, untextured, vertex colours
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

using Pixels = std::set<std::pair<int, int>>; // (x, y)

Pixels Covered(const Canvas& canvas)
{
    Pixels pixels;
    for (int y = -Canvas::kGuard; y < canvas.Height() + Canvas::kGuard; ++y) {
        for (int x = -Canvas::kGuard; x < canvas.Width() + Canvas::kGuard; ++x) {
            if (canvas.At(x, y) != 0) {
                pixels.insert({x, y});
            }
        }
    }
    return pixels;
}

// An opaque shaded fill stores every covered pixel as opaque white.
Pixels Cover(std::array<FixedVertex, 3> vertices, int size = 40)
{
    Canvas canvas(size, size, 0);
    for (FixedVertex& vertex : vertices) {
        vertex = RasterTest::WithColor(vertex, kOpaqueWhite);
    }
    DispatchTriangle(false, false, true, false, vertices.data(), canvas.Origin(), canvas.Pitch(), nullptr, nullptr,
                     kFormatArgb8888, false, canvas.Limits());
    return Covered(canvas);
}

Pixels ReferenceCover(const std::array<FixedVertex, 3>& vertices, int size = 40)
{
    Canvas canvas(size, size, 0);
    Reference::Vertex triangle[3];
    for (int k = 0; k < 3; ++k) {
        triangle[k].x = vertices[k].x;
        triangle[k].y = vertices[k].y;
        triangle[k].a = triangle[k].r = triangle[k].g = triangle[k].b = 255 << 16;
    }
    Reference::DrawTriangle(kShadedFillIndex, triangle, canvas.OriginBytes(), canvas.Pitch(), nullptr, {});
    return Covered(canvas);
}

struct Span
{
    int row;
    int first;
    int last;
};

Pixels FromSpans(std::initializer_list<Span> spans)
{
    Pixels pixels;
    for (const Span& span : spans) {
        for (int x = span.first; x <= span.last; ++x) {
            pixels.insert({x, span.row});
        }
    }
    return pixels;
}

// The signed distance from a point to the nearest edge of a convex quadrilateral: positive inside.
double InsideDistance(const std::array<FixedVertex, 4>& quad, double x, double y)
{
    double area = 0;
    for (int k = 0; k < 4; ++k) {
        const FixedVertex& p = quad[k];
        const FixedVertex& q = quad[(k + 1) % 4];
        area += (double(p.x) * q.y - double(q.x) * p.y) / 65536.0 / 65536.0;
    }
    double orientation = area > 0 ? 1 : -1;
    double nearest = 1e9;
    for (int k = 0; k < 4; ++k) {
        double px = quad[k].x / 65536.0, py = quad[k].y / 65536.0;
        double ex = quad[(k + 1) % 4].x / 65536.0 - px, ey = quad[(k + 1) % 4].y / 65536.0 - py;
        double distance = orientation * (ex * (y - py) - ey * (x - px)) / std::hypot(ex, ey);
        nearest = std::min(nearest, distance);
    }
    return nearest;
}

} // namespace

TEST(TriangleCoverageTest, CoversThePixelsWhoseCornerLiesInsideWithTopLeftEdgesInclusive)
{
    struct Case
    {
        const char* name;
        std::array<FixedVertex, 3> vertices;
        Pixels expected;
    } cases[] = {
        {"no whole row between top and bottom", {FixedAt(0.2, 0.3), FixedAt(5.0, 0.9), FixedAt(2.0, 0.6)}, {}},
        {"whole-pixel triangle",
         {FixedAt(2, 1), FixedAt(10, 3), FixedAt(4, 9)},
         FromSpans({{2, 3, 5}, {3, 3, 9}, {4, 3, 8}, {5, 3, 7}, {6, 4, 6}, {7, 4, 5}, {8, 4, 4}})},
        {"middle vertex on the long edge", {FixedAt(0, 0), FixedAt(2, 2), FixedAt(4, 4)}, {}},
        {"flat top on a row, left edge on a column",
         {FixedAt(3, 2), FixedAt(7, 2), FixedAt(3, 6)},
         FromSpans({{2, 3, 6}, {3, 3, 5}, {4, 3, 4}, {5, 3, 3}})},
        {"flat bottom on a row",
         {FixedAt(5, 2), FixedAt(2, 6), FixedAt(9, 6)},
         FromSpans({{3, 5, 5}, {4, 4, 6}, {5, 3, 7}})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cover(c.vertices), c.expected) << c.name;
        EXPECT_EQ(ReferenceCover(c.vertices), c.expected) << "reference model: " << c.name;
    }
}

TEST(TriangleCoverageTest, AllSixVertexOrdersCoverTheSamePixels)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(-2 * 65536, 42 * 65536);
    for (int trial = 0; trial < 300; ++trial) {
        std::array<FixedVertex, 3> vertices;
        for (FixedVertex& vertex : vertices) {
            vertex.x = coordinate(random);
            // Every third triangle gets vertices on shared or whole rows, where ties in y decide the order.
            vertex.y = trial % 3 == 0 ? (coordinate(random) & ~0xFFFF) : coordinate(random);
        }
        std::array<int, 3> order = {0, 1, 2};
        Pixels first = Cover(vertices);
        while (std::next_permutation(order.begin(), order.end())) {
            Pixels permuted = Cover({vertices[order[0]], vertices[order[1]], vertices[order[2]]});
            ASSERT_EQ(permuted, first) << "trial " << trial;
        }
    }
}

TEST(TriangleCoverageTest, QuadSplitOnEitherDiagonalCoversEveryPixelExactlyOnce)
{
    constexpr double kMargin = 0.01; // pixels this far inside or outside the quad must be decided
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 300; ++trial) {
        // Four points on an ellipse in angular order make a convex quadrilateral.
        double cx = 12 + 16 * unit(random), cy = 12 + 16 * unit(random);
        double rx = 1 + 9 * unit(random), ry = 1 + 9 * unit(random);
        double angle = 2 * M_PI * unit(random);
        std::array<FixedVertex, 4> quad;
        for (FixedVertex& corner : quad) {
            corner = FixedAt(cx + rx * std::cos(angle), cy + ry * std::sin(angle));
            angle += 0.4 + (M_PI / 2 - 0.4) * unit(random) * 1.3;
        }

        for (int diagonal = 0; diagonal < 2; ++diagonal) {
            const FixedVertex& a = quad[diagonal];
            const FixedVertex& b = quad[diagonal + 1];
            const FixedVertex& c = quad[diagonal + 2];
            const FixedVertex& d = quad[(diagonal + 3) % 4];
            Pixels one = Cover({a, b, c});
            Pixels two = Cover({a, c, d});
            for (const auto& pixel : one) {
                ASSERT_EQ(two.count(pixel), 0u)
                    << "trial " << trial << " pixel drawn twice at " << pixel.first << ", " << pixel.second;
            }
            Pixels both = one;
            both.insert(two.begin(), two.end());

            for (int y = -Canvas::kGuard; y < 40 + Canvas::kGuard; ++y) {
                for (int x = -Canvas::kGuard; x < 40 + Canvas::kGuard; ++x) {
                    double nearest = InsideDistance(quad, x, y);
                    if (nearest > kMargin) {
                        ASSERT_EQ(both.count({x, y}), 1u) << "trial " << trial << " gap at " << x << ", " << y;
                    }
                    if (nearest < -kMargin) {
                        ASSERT_EQ(both.count({x, y}), 0u) << "trial " << trial << " spill at " << x << ", " << y;
                    }
                }
            }
        }
    }
}

TEST(TriangleCoverageTest, RowsAdvanceByThePitchRoundedDownToWholePixels)
{
    std::array<FixedVertex, 3> vertices = {FixedAt(1.5, 0.5), FixedAt(12.25, 3.75), FixedAt(4, 11)};
    for (FixedVertex& vertex : vertices) {
        vertex = RasterTest::WithColor(vertex, kOpaqueWhite);
    }
    Canvas whole(16, 16, 0);
    std::array<FixedVertex, 3> copy = vertices;
    DispatchTriangle(false, false, true, false, copy.data(), whole.Origin(), whole.Pitch(), nullptr, nullptr,
                     kFormatArgb8888, false, whole.Limits());
    for (int extra = 1; extra < 4; ++extra) {
        Canvas ragged(16, 16, 0, extra);
        copy = vertices;
        DispatchTriangle(false, false, true, false, copy.data(), ragged.Origin(), ragged.Pitch(), nullptr, nullptr,
                         kFormatArgb8888, false, ragged.Limits());
        EXPECT_EQ(ragged, whole) << "pitch " << ragged.Pitch();
    }
}
