// The routine table: which entry a format and the feature bits choose, which entries share a routine,
// and the entries that draw nothing.
#include "RasterCanvas.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

using namespace Tolm;
using RasterTest::Canvas;

namespace {

std::set<TriangleRoutine> RoutinesIn(int first, int count)
{
    std::set<TriangleRoutine> routines;
    for (int index = first; index < first + count; ++index) {
        if (GetTriangleRoutine(index) != nullptr) {
            routines.insert(GetTriangleRoutine(index));
        }
    }
    return routines;
}

// A blended textured triangle over a transparent destination: the ARGB and RGB blocks write different words.
Canvas DrawBlended(int format)
{
    std::vector<uint32_t> texels(1, 0x80FFFFFF);
    TriangleTexture texture{texels.data(), 1, 1};
    FixedVertex vertices[3] = {RasterTest::WithTexel(RasterTest::FixedAt(0, 0), .5, .5),
                               RasterTest::WithTexel(RasterTest::FixedAt(6, 1), .5, .5),
                               RasterTest::WithTexel(RasterTest::FixedAt(2, 6), .5, .5)};
    Canvas canvas(8, 8, 0);
    DispatchTriangle(true, true, false, false, vertices, canvas.Origin(), canvas.Pitch(), &texture, nullptr, format,
                     false, canvas.Limits());
    return canvas;
}

} // namespace

TEST(TriangleRoutineTableTest, FormatCodesChooseTheirBlockAndEveryOtherCodeTheArgbBlock)
{
    struct Case
    {
        int format;
        int block;
    } cases[] = {{0x8888, 0}, {0, 0}, {1, 0}, {0x1234, 0}, {0x888, 32}, {0x565, 64}, {0x555, 96}};
    for (const Case& c : cases) {
        EXPECT_EQ(TriangleRoutineBlock(c.format), c.block) << std::hex << c.format;
    }

    Canvas argb = DrawBlended(kFormatArgb8888);
    EXPECT_EQ(argb.At(2, 2), 0x7FFEFEFEu);
    EXPECT_EQ(DrawBlended(kFormatRgb888).At(2, 2), 0xFF7F7F7Fu);
    for (int format : {0, 1, 0x1234}) {
        EXPECT_EQ(DrawBlended(format), argb) << std::hex << format;
    }
}

TEST(TriangleRoutineTableTest, EntriesThatDrawAlikeShareOneRoutine)
{
    TriangleRoutine uncoloured = GetTriangleRoutine(0);
    ASSERT_NE(uncoloured, nullptr);
    for (int block : {0, 32, 64, 96}) {
        for (int entry : {0, 1, 2, 3, 8, 9, 10, 11}) {
            EXPECT_EQ(GetTriangleRoutine(block + entry), uncoloured) << block + entry;
        }
    }
    for (int block : {0, 32, 64, 96}) {
        for (int entry : {5, 12, 13}) {
            EXPECT_EQ(GetTriangleRoutine(block + entry), GetTriangleRoutine(block + 4)) << block + entry;
        }
        for (int entry : {7, 14, 15}) {
            EXPECT_EQ(GetTriangleRoutine(block + entry), GetTriangleRoutine(block + 6)) << block + entry;
        }
    }
    EXPECT_EQ(GetTriangleRoutine(16), GetTriangleRoutine(48));
    EXPECT_EQ(GetTriangleRoutine(17), GetTriangleRoutine(49));
}

TEST(TriangleRoutineTableTest, ThirtyTwoBitBlocksHaveARoutineForEveryOtherCombination)
{
    std::set<TriangleRoutine> argb = RoutinesIn(0, 32);
    std::set<TriangleRoutine> rgb = RoutinesIn(32, 32);
    std::set<TriangleRoutine> argbOwn;
    for (TriangleRoutine routine : argb) {
        if (routine != GetTriangleRoutine(0) && rgb.count(routine) == 0) {
            argbOwn.insert(routine);
        }
    }
    EXPECT_EQ(argbOwn.size(), 16u);
    EXPECT_EQ(rgb.size(), 1u + 18u);
    EXPECT_EQ(RoutinesIn(0, 64).size(), 35u);
    for (int entry = 18; entry < 32; ++entry) {
        EXPECT_NE(GetTriangleRoutine(entry), GetTriangleRoutine(32 + entry)) << entry;
    }
}

TEST(TriangleRoutineTableTest, SixteenBitBlocksHaveTheirOwnEighteenRoutines)
{
    std::set<TriangleRoutine> thirtyTwo = RoutinesIn(0, 64);
    for (int block : {64, 96}) {
        std::set<TriangleRoutine> own = RoutinesIn(block, 32);
        EXPECT_EQ(own.size(), 1u + 18u) << block;
        for (TriangleRoutine routine : own) {
            EXPECT_EQ(thirtyTwo.count(routine), routine == GetTriangleRoutine(0) ? 1u : 0u) << block;
        }
    }
    EXPECT_EQ(RoutinesIn(0, kTriangleRoutineCount).size(), 71u);
    EXPECT_EQ(GetTriangleRoutine(-1), nullptr);
    EXPECT_EQ(GetTriangleRoutine(kTriangleRoutineCount), nullptr);
}

TEST(TriangleRoutineTableTest, UntexturedTrianglesWithoutVertexColoursDrawNothing)
{
    TriangleColor red{255, 255, 0, 0};
    for (int entry : {0, 1, 2, 3, 8, 9, 10, 11}) {
        FixedVertex vertices[3] = {RasterTest::FixedAt(0, 0), RasterTest::FixedAt(7, 1), RasterTest::FixedAt(2, 7)};
        FixedVertex before[3] = {vertices[0], vertices[1], vertices[2]};
        Canvas canvas(8, 8, 0x12345678);
        DispatchTriangle(false, entry & 8, false, entry & 2, vertices, canvas.Origin(), canvas.Pitch(), nullptr, &red,
                         kFormatArgb8888, entry & 1, canvas.Limits());
        EXPECT_EQ(canvas, Canvas(8, 8, 0x12345678)) << entry;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(vertices[k].x, before[k].x);
            EXPECT_EQ(vertices[k].a, before[k].a);
        }
    }
}

TEST(TriangleRoutineTableTest, UntexturedTrianglesIgnoreTheBlendAndBilinearBits)
{
    TriangleColor half{128, 255, 200, 100};
    for (int format : {kFormatArgb8888, kFormatRgb888}) {
        for (bool globalColor : {false, true}) {
            std::vector<Canvas> results;
            for (int bits = 0; bits < 4; ++bits) {
                FixedVertex vertices[3] = {RasterTest::WithColor(RasterTest::FixedAt(0.5, 0), 0xC0FF0000),
                                           RasterTest::WithColor(RasterTest::FixedAt(7.5, 2.25), 0x4000FF00),
                                           RasterTest::WithColor(RasterTest::FixedAt(1, 7.75), 0xFF0000FF)};
                Canvas canvas(8, 8, 0x80808080);
                DispatchTriangle(false, bits & 2, true, globalColor, vertices, canvas.Origin(), canvas.Pitch(), nullptr,
                                 &half, format, bits & 1, canvas.Limits());
                results.push_back(canvas);
            }
            for (const Canvas& canvas : results) {
                EXPECT_EQ(canvas, results[0]) << std::hex << format << " global colour " << globalColor;
            }
            EXPECT_NE(results[0], Canvas(8, 8, 0x80808080));
        }
    }
}

TEST(TriangleRoutineTableTest, GlobalColourIsFoldedIntoTheVertexColoursOnce)
{
    // Alpha 0xFF0000 under a global alpha of 128 becomes 0x7F8000, a channel of 255 under 255 0xFE0100;
    // from there the routine draws as the vertex-colour routine does with those values.
    TriangleColor color{128, 255, 200, 17};
    const uint32_t packed[3] = {0xFFFFFFFF, 0x80FF4020, 0x10C0C0C0};
    for (int format : {kFormatArgb8888, kFormatRgb888}) {
        FixedVertex withGlobal[3];
        FixedVertex folded[3];
        const double positions[3][2] = {{0.25, 0.5}, {9.5, 3}, {3, 9.75}};
        for (int k = 0; k < 3; ++k) {
            withGlobal[k] = RasterTest::WithColor(RasterTest::FixedAt(positions[k][0], positions[k][1]), packed[k]);
            folded[k] = withGlobal[k];
            folded[k].a = int32_t((uint32_t(folded[k].a) * 128) >> 8);
            folded[k].r = int32_t((uint32_t(folded[k].r) * 255) >> 8);
            folded[k].g = int32_t((uint32_t(folded[k].g) * 200) >> 8);
            folded[k].b = int32_t((uint32_t(folded[k].b) * 17) >> 8);
        }
        EXPECT_EQ(folded[0].a, 0x7F8000);
        EXPECT_EQ(folded[0].r, 0xFE0100);

        Canvas expected(10, 10, 0xFF204060);
        DispatchTriangle(false, false, true, false, folded, expected.Origin(), expected.Pitch(), nullptr, nullptr,
                         format, false, expected.Limits());
        Canvas canvas(10, 10, 0xFF204060);
        DispatchTriangle(false, false, true, true, withGlobal, canvas.Origin(), canvas.Pitch(), nullptr, &color, format,
                         false, canvas.Limits());
        EXPECT_EQ(canvas, expected) << std::hex << format;
    }
}

TEST(TriangleRoutineTableTest, FillingTheTableAgainChangesNothing)
{
    std::vector<TriangleRoutine> before;
    for (int index = 0; index < kTriangleRoutineCount; ++index) {
        before.push_back(GetTriangleRoutine(index));
    }
    InitTriangleRoutineTable();
    InitTriangleRoutineTable();
    for (int index = 0; index < kTriangleRoutineCount; ++index) {
        EXPECT_EQ(GetTriangleRoutine(index), before[size_t(index)]) << index;
    }
}
