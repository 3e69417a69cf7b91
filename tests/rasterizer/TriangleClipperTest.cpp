// Clipping one triangle of a strip to the clip rectangle.
#include "rasterizer/TriangleClipper.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace Tolm;

namespace {

const ClipBounds kTenByTen = ClipBounds::FromRect(Rect(0, 0, 11, 11)); // 0 .. 10 inclusive

TexVertex At(float x, float y, uint32_t color = 0, float u = 0, float v = 0)
{
    TexVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.u = u;
    vertex.v = v;
    vertex.color = color;
    return vertex;
}

void ExpectInside(const TriangleClipper& clipper, int count, const ClipBounds& bounds)
{
    for (int k = 0; k < count; ++k) {
        const TexVertex* vertex = clipper.Polygon()[k];
        EXPECT_GE(vertex->x, bounds.xmin);
        EXPECT_LE(vertex->x, bounds.xmax);
        EXPECT_GE(vertex->y, bounds.ymin);
        EXPECT_LE(vertex->y, bounds.ymax);
    }
    EXPECT_EQ(clipper.Polygon()[count], nullptr);
}

} // namespace

TEST(TriangleClipperTest, BoundsComeFromTheRectangleWithTheLastColumnAndRowInclusive)
{
    ClipBounds bounds = ClipBounds::FromRect(Rect(3, 4, 10, 20));
    EXPECT_EQ(bounds.xmin, 3.0f);
    EXPECT_EQ(bounds.xmax, 12.0f);
    EXPECT_EQ(bounds.ymin, 4.0f);
    EXPECT_EQ(bounds.ymax, 23.0f);

    ClipBounds huge = ClipBounds::FromRect(Rect(-2147483647, 2147483000, 2147483647, 2000));
    EXPECT_EQ(huge.xmin, -32767.0f);
    EXPECT_EQ(huge.xmax, -1.0f);
    EXPECT_EQ(huge.ymin, 32767.0f);
    EXPECT_EQ(huge.ymax, 32767.0f);
}

TEST(TriangleClipperTest, VerticesOnTheBoundsAreNotCut)
{
    TexVertex triangles[][3] = {{At(0, 5), At(10, 0), At(10, 10)}, {At(5, 0), At(0, 10), At(10, 10)}};
    for (const auto& triangle : triangles) {
        TriangleClipper clipper;
        ASSERT_EQ(clipper.ClipTriangle(&triangle[0], &triangle[1], &triangle[2], kTenByTen), 3);
        EXPECT_EQ(clipper.Polygon()[0], &triangle[0]);
        EXPECT_EQ(clipper.Polygon()[1], &triangle[1]);
        EXPECT_EQ(clipper.Polygon()[2], &triangle[2]);
        EXPECT_EQ(clipper.Polygon()[3], nullptr);
    }
}

TEST(TriangleClipperTest, CuttingCornersAndEdgesMakesConvexPolygonsOfUpToSevenVertices)
{
    struct Case
    {
        const char* name;
        TexVertex triangle[3];
        int expected;
    } cases[] = {
        {"inside", {At(1, 1), At(9, 2), At(4, 8)}, 3},
        {"one corner cut", {At(-2, -2), At(8, 1), At(1, 8)}, 5},
        {"three edges cut", {At(5, -4), At(15, 8), At(-5, 8)}, 6},
        {"all four edges cut", {At(4, -3), At(14, 9), At(-4, 12)}, 7},
        {"outside on the left", {At(-5, 1), At(-1, 2), At(-3, 9)}, 0},
        {"outside past a corner", {At(11, 11), At(20, 12), At(12, 20)}, 0},
        {"around the whole rectangle", {At(-100, -100), At(300, -100), At(-100, 300)}, 4},
    };
    for (const Case& c : cases) {
        TriangleClipper clipper;
        int count = clipper.ClipTriangle(&c.triangle[0], &c.triangle[1], &c.triangle[2], kTenByTen);
        EXPECT_EQ(count, c.expected) << c.name;
        if (count > 0) {
            ExpectInside(clipper, count, kTenByTen);
        }
    }
}

TEST(TriangleClipperTest, MadeVerticesInterpolateEveryField)
{
    TexVertex triangle[3] = {At(-10, 5, 0x00000000, 0, 0), At(10, 5, 0xFFFFFFFF, 1, 2), At(10, 9, 0xFFFFFFFF, 1, 2)};
    TriangleClipper clipper;
    ASSERT_EQ(clipper.ClipTriangle(&triangle[0], &triangle[1], &triangle[2], kTenByTen), 4);
    // Halfway along the first edge, which comes first; each colour channel 127.5 truncated.
    const TexVertex* made = clipper.Polygon()[0];
    EXPECT_EQ(made->x, 0.0f);
    EXPECT_EQ(made->y, 5.0f);
    EXPECT_EQ(made->u, 0.5f);
    EXPECT_EQ(made->v, 1.0f);
    EXPECT_EQ(made->color, 0x7F7F7F7Fu);
}

TEST(TriangleClipperTest, HugeAndNearlyDegenerateTrianglesStayInsideTheBounds)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> exponent(-3, 30);
    std::uniform_real_distribution<float> unit(-1, 1);
    for (int trial = 0; trial < 20000; ++trial) {
        TexVertex triangle[3];
        for (TexVertex& vertex : triangle) {
            bool huge = trial % 2 == 0;
            vertex = huge ? At(unit(random) * std::pow(10.0f, exponent(random)),
                               unit(random) * std::pow(10.0f, exponent(random)))
                          : At(5 + unit(random) * 8, 5 + unit(random) * 8);
        }
        if (trial % 3 == 0) {
            // Nearly on one line, where rounding can bend the clipped polygon.
            triangle[2].x = triangle[0].x + (triangle[1].x - triangle[0].x) * 0.5f + 1e-5f;
            triangle[2].y = triangle[0].y + (triangle[1].y - triangle[0].y) * 0.5f;
        }
        TriangleClipper clipper;
        int count = clipper.ClipTriangle(&triangle[0], &triangle[1], &triangle[2], kTenByTen);
        ASSERT_TRUE(count == 0 || (count >= 3 && count <= TriangleClipper::kMaxPolygon)) << count;
        ExpectInside(clipper, count, kTenByTen);
    }
}
