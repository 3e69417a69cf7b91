// The strip entry: the strip walk, the feature bits it picks, clipping with fan dispatch, and input that
// must draw nothing or stay inside the clip rectangle.
#include "rasterizer/TriangleStrip.h"

#include "RasterCanvas.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

using namespace Tolm;
using RasterTest::Canvas;

namespace {

TexVertex At(float x, float y, uint32_t color = 0xFFFFFFFF, float u = 0, float v = 0)
{
    TexVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.u = u;
    vertex.v = v;
    vertex.color = color;
    return vertex;
}

struct Texture
{
    std::vector<uint32_t> texels;
    TriangleTextureView view;

    Texture(int width, int height, uint32_t fill, bool hasTransparency = false, bool hasSemiAlpha = false)
        : texels(size_t(width) * height, fill)
    {
        view = {texels.data(), width, height, hasTransparency, hasSemiAlpha};
    }
};

void Draw(Canvas& canvas, const std::vector<TexVertex>& strip, const TriangleTextureView* texture,
          const Color& color = Color::White, bool bilinear = false, bool vertexColors = false,
          int format = kFormatArgb8888)
{
    RasterizeTriangleStrip(strip.data(), int(strip.size()), texture, color, DrawModeAdditive, canvas.Clip(),
                           canvas.Origin(), canvas.Pitch(), format, bilinear, vertexColors);
}

void Draw(Canvas& canvas, const Rect& clip, const std::vector<TexVertex>& strip, const TriangleTextureView* texture,
          const Color& color, bool vertexColors)
{
    RasterizeTriangleStrip(strip.data(), int(strip.size()), texture, color, DrawModeNormal, clip, canvas.Origin(),
                           canvas.Pitch(), kFormatArgb8888, false, vertexColors);
}

// Pixels that changed outside the clip rectangle, the guard band included.
int WrittenOutside(const Canvas& canvas, const Canvas& before, const Rect& clip)
{
    int written = 0;
    for (int y = -Canvas::kGuard; y < canvas.Height() + Canvas::kGuard; ++y) {
        for (int x = -Canvas::kGuard; x < canvas.Width() + Canvas::kGuard; ++x) {
            bool inside = x >= clip.x && x < clip.x + clip.width && y >= clip.y && y < clip.y + clip.height;
            written += !inside && canvas.At(x, y) != before.At(x, y);
        }
    }
    return written;
}

int Changed(const Canvas& canvas, const Canvas& before)
{
    return WrittenOutside(canvas, before, Rect());
}

// The opaque white strip of the untextured, vertex-coloured fill.
const std::vector<TexVertex> kQuad = {At(1, 1), At(9, 1.5f), At(1.5f, 8), At(8.5f, 9)};

} // namespace

TEST(TriangleStripTest, FewerThanThreeVerticesDrawNothing)
{
    for (int count : {-1, 0, 1, 2}) {
        Canvas canvas(10, 10, 0);
        RasterizeTriangleStrip(kQuad.data(), count, nullptr, Color::White, DrawModeNormal, canvas.Clip(),
                               canvas.Origin(), canvas.Pitch(), kFormatArgb8888, false, true);
        EXPECT_EQ(canvas, Canvas(10, 10, 0)) << count;
    }
    Canvas canvas(10, 10, 0);
    RasterizeTriangleStrip(nullptr, 4, nullptr, Color::White, DrawModeNormal, canvas.Clip(), canvas.Origin(),
                           canvas.Pitch(), kFormatArgb8888, false, true);
    EXPECT_EQ(canvas, Canvas(10, 10, 0));
}

TEST(TriangleStripTest, StripOfFourDrawsTrianglesZeroOneTwoAndOneThreeTwo)
{
    Canvas strip(10, 10, 0);
    Draw(strip, kQuad, nullptr, Color::White, false, true);

    Canvas separate(10, 10, 0);
    for (const auto& order : {std::vector<int>{0, 1, 2}, std::vector<int>{1, 3, 2}}) {
        FixedVertex triangle[3];
        for (int k = 0; k < 3; ++k) {
            const TexVertex& vertex = kQuad[size_t(order[size_t(k)])];
            triangle[k] = RasterTest::WithColor(RasterTest::FixedAt(vertex.x, vertex.y), vertex.color);
        }
        DispatchTriangle(false, false, true, false, triangle, separate.Origin(), separate.Pitch(), nullptr, nullptr,
                         kFormatArgb8888, false, separate.Limits());
    }
    EXPECT_EQ(strip, separate);
    EXPECT_GT(Changed(strip, Canvas(10, 10, 0)), 40);
}

TEST(TriangleStripTest, OnlyOpaqueWhiteLeavesTheColourOut)
{
    Texture white(2, 2, 0xFFFFFFFF);
    const std::vector<TexVertex> strip = {At(0, 0, 0, .5f, .5f), At(8, 0, 0, .5f, .5f), At(0, 8, 0, .5f, .5f)};
    struct Case
    {
        Color color;
        uint32_t expected;
    } cases[] = {{Color(255, 255, 255, 255), 0xFFFFFFFF}, {Color(255, 255, 255, 254), 0xFFFEFEFE}};
    for (const Case& c : cases) {
        Canvas canvas(8, 8, 0xFF000000);
        Draw(canvas, strip, &white.view, c.color);
        EXPECT_EQ(canvas.At(2, 2), c.expected) << c.color.alpha;
    }
}

TEST(TriangleStripTest, AlphaFlagsAndBilinearFilteringSelectTheBlendedRoutines)
{
    // The flags are taken as the image reports them: an opaque routine writes even a transparent texel.
    const std::vector<TexVertex> strip = {At(0, 0, 0, .375f, .375f), At(8, 0, 0, .375f, .375f),
                                          At(0, 8, 0, .375f, .375f)};
    struct Case
    {
        const char* name;
        uint32_t texel;
        bool hasTransparency;
        bool hasSemiAlpha;
        bool bilinear;
        uint32_t expected;
    } cases[] = {
        {"no flags: opaque copy", 0x00445566, false, false, false, 0xFF445566},
        {"transparency: blended, the texel skipped", 0x00445566, true, false, false, 0x00000000},
        {"semi-alpha: blended, the texel skipped", 0x00445566, false, true, false, 0x00000000},
        {"bilinear: blended even without flags", 0x80FFFFFF, false, false, true, 0x7EFDFDFD},
    };
    for (const Case& c : cases) {
        Texture texture(4, 4, c.texel, c.hasTransparency, c.hasSemiAlpha);
        Canvas canvas(8, 8, 0);
        Draw(canvas, strip, &texture.view, Color::White, c.bilinear);
        EXPECT_EQ(canvas.At(2, 2), c.expected) << c.name;
    }
}

TEST(TriangleStripTest, TextureCoordinateOneIsOnePastTheLastTexel)
{
    Texture texture(64, 2, 0xFF000000);
    texture.texels[64] = 0xFF123456;
    const std::vector<TexVertex> strip = {At(0, 0, 0, 1, 0), At(8, 0, 0, 1, 0), At(0, 8, 0, 1, 0)};
    Canvas canvas(8, 8, 0);
    Draw(canvas, strip, &texture.view);
    EXPECT_EQ(canvas.At(2, 2), 0xFF123456u) << "column 64 of row 0 is the first texel of row 1";
}

TEST(TriangleStripTest, ClipRectangleWithoutWidthOrHeightDrawsNothing)
{
    for (const Rect& clip : {Rect(2, 2, 0, 6), Rect(2, 2, 6, 0), Rect(2, 2, -3, 6)}) {
        Canvas canvas(10, 10, 0);
        Draw(canvas, clip, kQuad, nullptr, Color::White, true);
        EXPECT_EQ(canvas, Canvas(10, 10, 0));
    }
}

TEST(TriangleStripTest, ClippedPolygonDrawsEveryFanTriangleFromItsOwnVertexColours)
{
    // Crossing all four edges makes seven vertices and five fan triangles. Every one must fold the global
    // colour into fresh copies: opaque white under half alpha is 0xFF7E7E7E over black everywhere.
    const std::vector<TexVertex> strip = {At(4, -3), At(14, 9), At(-4, 12)};
    Canvas canvas(12, 12, 0xFF000000);
    Canvas before = canvas;
    Rect clip(0, 0, 11, 11);
    Draw(canvas, clip, strip, nullptr, Color(255, 255, 255, 128), true);
    int drawn = 0;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            if (canvas.At(x, y) != before.At(x, y)) {
                EXPECT_EQ(canvas.At(x, y), 0xFF7E7E7Eu) << x << ", " << y;
                ++drawn;
            }
        }
    }
    EXPECT_GT(drawn, 60);
    EXPECT_EQ(WrittenOutside(canvas, before, clip), 0);
}

TEST(TriangleStripTest, TrianglesWithANonFiniteVertexAreNotDrawn)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    Texture texture(2, 2, 0xFFFFFFFF);

    Canvas firstOnly(10, 10, 0);
    Draw(firstOnly, {kQuad[0], kQuad[1], kQuad[2]}, nullptr, Color::White, false, true);

    struct Case
    {
        const char* name;
        TexVertex last;
        bool textured;
    } cases[] = {
        {"x not a number", At(nan, 9), false},
        {"y infinite", At(9.5f, -infinity), false},
        {"u not a number", At(9.5f, 9, 0xFFFFFFFF, nan, 0), true},
        {"v infinite", At(9.5f, 9, 0xFFFFFFFF, 0, infinity), true},
    };
    for (const Case& c : cases) {
        Canvas canvas(10, 10, 0);
        Canvas expected(10, 10, 0);
        std::vector<TexVertex> strip = {kQuad[0], kQuad[1], kQuad[2], c.last};
        const TriangleTextureView* view = c.textured ? &texture.view : nullptr;
        Draw(canvas, strip, view, Color::White, false, true);
        Draw(expected, {kQuad[0], kQuad[1], kQuad[2]}, view, Color::White, false, true);
        EXPECT_EQ(canvas, expected) << c.name;
    }
    EXPECT_GT(Changed(firstOnly, Canvas(10, 10, 0)), 20);
}

TEST(TriangleStripTest, HugeCoordinatesDrawOnlyInsideTheClip)
{
    Texture texture(4, 4, 0x80FF8040, false, true);
    const std::vector<TexVertex> strip = {At(-1e9f, 5, 0xFFFFFFFF, .5f, .5f), At(1e9f, 5.5f, 0x80FFFFFF, .5f, .5f),
                                          At(5, 1e9f, 0xFF00FF00, .5f, .5f), At(1e30f, -1e30f, 0x40FFFFFF, 1e30f, -1)};
    Rect clip(2, 3, 9, 7);
    for (const TriangleTextureView* view :
         {static_cast<const TriangleTextureView*>(nullptr), static_cast<const TriangleTextureView*>(&texture.view)}) {
        Canvas canvas(14, 14, 0x12345678);
        Canvas before = canvas;
        Draw(canvas, clip, strip, view, Color(200, 100, 50, 240), true);
        EXPECT_EQ(WrittenOutside(canvas, before, clip), 0);
        EXPECT_GE(Changed(canvas, before), 24) << "rows 6 to 8 of the clip";
    }
}

TEST(TriangleStripTest, ClipRectanglesNearTheIntRangeNeitherWrapNorDraw)
{
    for (const Rect& clip :
         {Rect(INT_MAX - 4, 0, 100, 10), Rect(0, INT_MAX, 10, INT_MAX), Rect(INT_MIN, INT_MIN, 5, 5)}) {
        Canvas canvas(10, 10, 0);
        Draw(canvas, clip, kQuad, nullptr, Color::White, true);
        EXPECT_EQ(canvas, Canvas(10, 10, 0));
    }
}

TEST(TriangleStripTest, RandomStripsNeverWriteOutsideTheClip)
{
    std::mt19937 random(3);
    auto below = [&](uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(random); };
    auto coordinate = [&]() -> float {
        switch (below(6)) {
        case 0: {
            uint32_t bits = uint32_t(random());
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case 1:
            return std::uniform_real_distribution<float>(-1e7f, 1e7f)(random);
        case 2:
            return float(int(below(40)) - 10) + float(below(3)) * 0.5f;
        default:
            return std::uniform_real_distribution<float>(-6, 26)(random);
        }
    };
    Texture texture(5, 3, 0);
    for (uint32_t& texel : texture.texels) {
        texel = uint32_t(random());
    }
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<TexVertex> strip(3 + below(6));
        for (TexVertex& vertex : strip) {
            vertex = At(coordinate(), coordinate(), uint32_t(random()), coordinate(), coordinate());
        }
        if (trial % 4 == 0) {
            // A sliver: the third vertex almost on the line through the first two.
            strip[2].x = strip[0].x + (strip[1].x - strip[0].x) * 0.37f;
            strip[2].y = strip[0].y + (strip[1].y - strip[0].y) * 0.37f + 1e-4f;
        }
        Rect clip(int(below(12)), int(below(12)), int(below(14)), int(below(14)));
        const int formats[] = {kFormatArgb8888, kFormatRgb888, 0x77};
        Canvas canvas(20, 20, 0x5A5A5A5A);
        Canvas before = canvas;
        RasterizeTriangleStrip(strip.data(), int(strip.size()), below(2) ? &texture.view : nullptr,
                               Color(int(below(256)), int(below(256)), int(below(256)), int(below(256))),
                               DrawModeNormal, clip, canvas.Origin(), canvas.Pitch(), formats[below(3)], below(2),
                               below(2));
        ASSERT_EQ(WrittenOutside(canvas, before, clip), 0) << "trial " << trial;
    }
}
