// The flight curve and the distortion mesh: the curve's points, its checked form and chord; the mesh's
// grid, texture window, colours, moved vertices, ignored indexes and its triangles as drawn.
#include "TriangleRecorder.h"
#include "effects/BezierCurve.h"
#include "effects/DistortionMesh.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using Tolm::TexVertex;

// Start (0, 0), control points (0, 40) and (100, 40), end (100, 0).
BezierCurve Arch()
{
    return BezierCurve(0, 0, 0, 40, 100, 0, 0, 40);
}

TEST(BezierCurveTest, PointsAlongTheCurveAndPastItsEnds)
{
    // The Bernstein form worked by hand: B(t) = (1-t)^3 P0 + 3(1-t)^2 t C1 + 3(1-t) t^2 C2 + t^3 P3.
    struct Case
    {
        const char* name;
        float t;
        float x;
        float y;
        bool inside;
    };
    const Case cases[] = {
        {"start", 0, 0, 0, true},
        {"middle", 0.5f, 50, 30, true},
        {"end", 1, 100, 0, true},
        // (1-t) = -0.5: x = -3.375 x 100 + 3.375 x 100, y = 1.125 x 40 - 3.375 x 40.
        {"past the end", 1.5f, 0, -90, false},
        // (1-t) = 1.5: x = 3 x 1.5 x 0.25 x 100 - 0.125 x 100, y = (3 x 2.25 x -0.5 + 3 x 1.5 x 0.25) x 40.
        {"before the start", -0.5f, 100, -90, false},
    };
    const BezierCurve curve = Arch();
    for (const Case& c : cases) {
        const Tolm::Vector2 point = curve.PointAt(c.t);
        EXPECT_NEAR(point.x, c.x, 1e-4) << c.name;
        EXPECT_NEAR(point.y, c.y, 1e-4) << c.name;
        float x = -1;
        float y = -1;
        EXPECT_EQ(curve.PointAtChecked(c.t, &x, &y), c.inside) << c.name;
        EXPECT_EQ(x, point.x) << c.name << ": written inside or not";
        EXPECT_EQ(y, point.y) << c.name;
    }
    float y = 0;
    EXPECT_FALSE(curve.PointAtChecked(1.5f, nullptr, &y));
    EXPECT_NEAR(y, -90, 1e-4) << "one output alone";
    EXPECT_TRUE(curve.PointAtChecked(0.25f, nullptr, nullptr));
}

TEST(BezierCurveTest, TheChordIsStraightAndACloneIsTheSameCurve)
{
    const BezierCurve curve(10, 20, 500, -300, 40, 60, -80, 900);
    EXPECT_FLOAT_EQ(curve.ChordLength(), 50) << "the handles do not count";
    const std::unique_ptr<BezierCurve> copy = curve.Clone();
    for (float t : {0.0f, 0.3f, 1.0f}) {
        EXPECT_EQ(copy->PointAt(t).x, curve.PointAt(t).x);
        EXPECT_EQ(copy->PointAt(t).y, curve.PointAt(t).y);
    }
}

class DistortionMeshTest : public testing::Test
{
protected:
    DistortionMeshTest()
    {
        image.Create(64, 32);
        image.Clear();
    }

    static void ExpectCorner(const TexVertex& v, float x, float y, float u, float tv, const std::string& what)
    {
        EXPECT_FLOAT_EQ(v.x, x) << what;
        EXPECT_FLOAT_EQ(v.y, y) << what;
        EXPECT_FLOAT_EQ(v.u, u) << what;
        EXPECT_FLOAT_EQ(v.v, tv) << what;
    }

    Tolm::MemoryImage image;
    TriangleRecorder screen;
    Tolm::Graphics g{&screen};
};

TEST_F(DistortionMeshTest, ANewMeshIsWhiteAtTheOriginWithoutCellsOrImage)
{
    DistortionMesh mesh(3, 2);
    ASSERT_EQ(mesh.vertices.size(), 6u);
    for (const TexVertex& v : mesh.vertices) {
        ExpectCorner(v, 0, 0, 0, 0, "new");
        EXPECT_EQ(v.color, 0xFFFFFFFFu);
    }
    EXPECT_EQ(mesh.cellWidth, 0);
    EXPECT_EQ(mesh.image, nullptr);
    mesh.Draw(g);
    EXPECT_TRUE(screen.triangles.empty()) << "no image, nothing drawn";
}

TEST_F(DistortionMeshTest, ATwoByTwoMeshFittedToItsImageDrawsItAsTwoTriangles)
{
    DistortionMesh mesh(2, 2);
    mesh.SetImage(&image);
    mesh.FitToImage();
    g.Translate(100, 50);
    mesh.Draw(g);
    ASSERT_EQ(screen.triangles.size(), 2u);
    const auto& abc = screen.triangles[0].corners;
    const auto& acd = screen.triangles[1].corners;
    ExpectCorner(abc[0], 0, 0, 0, 0, "A");
    ExpectCorner(abc[1], 64, 0, 1, 0, "B");
    ExpectCorner(abc[2], 64, 32, 1, 1, "C");
    ExpectCorner(acd[0], 0, 0, 0, 0, "A again");
    ExpectCorner(acd[1], 64, 32, 1, 1, "C again");
    ExpectCorner(acd[2], 0, 32, 0, 1, "D");
    for (const TriangleRecorder::Triangle& triangle : screen.triangles) {
        EXPECT_EQ(triangle.source, &image);
        EXPECT_EQ(triangle.offsetX, 100) << "the graphics' translation";
        EXPECT_EQ(triangle.offsetY, 50);
        EXPECT_EQ(triangle.corners[0].color, 0xFFFFFFFFu);
    }
}

TEST_F(DistortionMeshTest, CellsAreDrawnRowByRowLeftToRight)
{
    DistortionMesh mesh(3, 3);
    mesh.SetImage(&image);
    mesh.FitToImage();
    mesh.Draw(g);
    ASSERT_EQ(screen.triangles.size(), 8u);
    // Each cell's A is its top-left grid point: 32 x 16 cells.
    const float cellA[4][2] = {{0, 0}, {32, 0}, {0, 16}, {32, 16}};
    for (int cell = 0; cell < 4; ++cell) {
        const auto& abc = screen.triangles[std::size_t(2 * cell)].corners;
        const auto& acd = screen.triangles[std::size_t(2 * cell + 1)].corners;
        const float x = cellA[cell][0];
        const float y = cellA[cell][1];
        const std::string name = "cell " + std::to_string(cell);
        ExpectCorner(abc[0], x, y, x / 64, y / 32, name + " A");
        ExpectCorner(abc[1], x + 32, y, (x + 32) / 64, y / 32, name + " B");
        ExpectCorner(abc[2], x + 32, y + 16, (x + 32) / 64, (y + 16) / 32, name + " C");
        ExpectCorner(acd[2], x, y + 16, x / 64, (y + 16) / 32, name + " D");
    }
}

TEST_F(DistortionMeshTest, ARectangleOfTheImageSetsTheTextureWindow)
{
    struct Case
    {
        const char* name;
        bool withImage;
        float x, y, width, height;
        // u, v of the top-left and bottom-right vertex.
        float u0, v0, u1, v1;
    };
    const Case cases[] = {
        {"the middle half of 64 x 32", true, 16, 0, 32, 32, 0.25f, 0, 0.75f, 1},
        {"the bottom right quarter", true, 32, 16, 32, 16, 0.5f, 0.5f, 1, 1},
        {"no image: the rectangle's own size", false, 10, 0, 20, 10, 0.5f, 0, 1.5f, 1},
    };
    for (const Case& c : cases) {
        DistortionMesh mesh(2, 2);
        if (c.withImage) {
            mesh.SetImage(&image);
        }
        mesh.SetRect(c.x, c.y, c.width, c.height);
        ExpectCorner(mesh.Vertex(0, 0), 0, 0, c.u0, c.v0, c.name);
        ExpectCorner(mesh.Vertex(1, 1), c.width, c.height, c.u1, c.v1, c.name);
        EXPECT_EQ(mesh.cellWidth, c.width) << c.name;
    }
}

TEST_F(DistortionMeshTest, VerticesMoveFromTheirGridPointTheCentreOrNothing)
{
    struct Case
    {
        const char* name;
        int mode;
        float x;
        float y;
    };
    // A 3 x 3 grid on 40 x 20: cells of 20 x 10, the centre at (20, 10); vertex (1, 2) sits on (20, 20).
    const Case cases[] = {
        {"from the grid point", DistortionMesh::kFromGridPoint, 23, 24},
        {"from the centre", DistortionMesh::kFromCentre, 23, 14},
        {"absolute", DistortionMesh::kAbsolute, 3, 4},
        {"any other mode is absolute", 7, 3, 4},
    };
    for (const Case& c : cases) {
        DistortionMesh mesh(3, 3);
        mesh.SetRect(0, 0, 40, 20);
        mesh.SetVertexPosition(1, 2, 3, 4, c.mode);
        EXPECT_FLOAT_EQ(mesh.Vertex(1, 2).x, c.x) << c.name;
        EXPECT_FLOAT_EQ(mesh.Vertex(1, 2).y, c.y) << c.name;
    }
}

TEST_F(DistortionMeshTest, IndexesOutsideTheGridChangeNothing)
{
    const std::pair<int, int> outside[] = {{3, 0}, {0, 2}, {-1, 0}, {0, -1}, {-1, -1}, {3, 2}};
    for (const auto& [column, row] : outside) {
        DistortionMesh mesh(3, 2);
        mesh.SetRect(0, 0, 40, 20);
        const std::vector<TexVertex> before = mesh.vertices;
        mesh.SetVertexPosition(column, row, 5, 5, DistortionMesh::kAbsolute);
        mesh.SetVertexColor(column, row, Tolm::Color(1, 2, 3, 4));
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(mesh.vertices[i].x, before[i].x) << column << "," << row;
            EXPECT_EQ(mesh.vertices[i].y, before[i].y) << column << "," << row;
            EXPECT_EQ(mesh.vertices[i].color, before[i].color) << column << "," << row;
        }
    }
}

TEST_F(DistortionMeshTest, ColoursAreSetPackedAndAlphasScaledByTruncation)
{
    DistortionMesh mesh(2, 2);
    mesh.SetVertexColor(1, 0, Tolm::Color(10, 20, 30, 200));
    mesh.SetVertexColor(0, 1, Tolm::Color(255, 255, 255, 0));
    mesh.SetVertexColor(1, 1, Tolm::Color(255, 255, 255, 1));
    EXPECT_EQ(mesh.Vertex(1, 0).color, 0xC80A141Eu);
    mesh.ScaleAlpha(0.5f);
    EXPECT_EQ(mesh.Vertex(0, 0).color, 0x7FFFFFFFu) << "255 x 0.5 = 127.5";
    EXPECT_EQ(mesh.Vertex(1, 0).color, 0x640A141Eu) << "200 x 0.5, the colour kept";
    EXPECT_EQ(mesh.Vertex(0, 1).color, 0x00FFFFFFu) << "zero stays zero";
    EXPECT_EQ(mesh.Vertex(1, 1).color, 0x00FFFFFFu) << "1 x 0.5 truncates to 0";
    mesh.ScaleAlpha(3);
    EXPECT_EQ(mesh.Vertex(0, 0).color, 0xFFFFFFFFu) << "held at 255";
}

TEST_F(DistortionMeshTest, ResettingPutsVerticesBackOnTheGridAndKeepsTheWindow)
{
    DistortionMesh mesh(3, 2);
    mesh.SetImage(&image);
    mesh.SetRect(16, 0, 32, 32);
    mesh.SetVertexPosition(2, 1, 300, 300, DistortionMesh::kAbsolute);
    mesh.ResetVertices(Tolm::Color(255, 0, 0, 128));
    ExpectCorner(mesh.Vertex(2, 1), 32, 32, 0.75f, 1, "back on the grid");
    for (const TexVertex& v : mesh.vertices) {
        EXPECT_EQ(v.color, 0x80FF0000u);
    }
}

// Fewer than two points a side make no cell: nothing is drawn and nothing divides by zero.
TEST_F(DistortionMeshTest, AMeshUnderTwoByTwoDrawsNothing)
{
    const std::pair<int, int> sizes[] = {{1, 3}, {3, 1}, {1, 1}, {0, 0}, {-2, 3}, {3, -2}};
    for (const auto& [columns, rows] : sizes) {
        DistortionMesh mesh(columns, rows);
        mesh.SetImage(&image);
        mesh.FitToImage();
        EXPECT_EQ(mesh.cellWidth, columns == 3 ? 32 : 0) << columns << " x " << rows;
        EXPECT_EQ(mesh.cellHeight, rows == 3 ? 16 : 0) << columns << " x " << rows;
        for (const TexVertex& v : mesh.vertices) {
            EXPECT_FALSE(std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.u) || std::isnan(v.v));
        }
        mesh.SetVertexPosition(0, 0, 1, 1, DistortionMesh::kFromCentre);
        mesh.Draw(g);
        EXPECT_TRUE(screen.triangles.empty()) << columns << " x " << rows;
    }
}

} // namespace
