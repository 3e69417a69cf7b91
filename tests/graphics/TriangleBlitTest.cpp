// Matrix and textured-triangle draws onto software images: the triangles they hand the rasterizer, the
// destination format they choose, what they do without a usable source, and transforms that cannot be drawn.
#include "ImageFixtures.h"
#include "core/Matrix.h"
#include "graphics/MemoryImage.h"
#include "rasterizer/TriangleRoutineTable.h"
#include "rasterizer/TriangleStrip.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Tolm;
using namespace ImageFixtures;

namespace {

// A texture with every alpha class and colours that differ texel by texel.
void FillTexture(MemoryImage& image, int w, int h, bool opaque)
{
    std::vector<uint32_t> pixels(std::size_t(w * h));
    for (int i = 0; i < w * h; ++i) {
        uint32_t alpha = opaque ? 255u : uint32_t(i * 37 % 256);
        pixels[std::size_t(i)] = (alpha << 24) | uint32_t(i * 13 % 256) << 16 | uint32_t(i * 71 % 256) << 8 | 0x40;
    }
    Fill(image, w, h, pixels);
}

// Strip entry of the rasterizer fed directly, with the texture described by hand.
std::vector<uint32_t> RasterizeByHand(const std::vector<uint32_t>& destPixels, int destWidth,
                                      const std::vector<TexVertex>& strip, MemoryImage* texture, const Color& color,
                                      const Rect& clip, int format, bool bilinear, bool vertexColors)
{
    std::vector<uint32_t> pixels = destPixels;
    TriangleTextureView view;
    if (texture) {
        view.bits = texture->GetBits();
        view.width = texture->width;
        view.height = texture->height;
        view.hasTransparency = texture->hasTransparency;
        view.hasSemiAlpha = texture->hasPartialAlpha;
    }
    RasterizeTriangleStrip(strip.data(), int(strip.size()), texture ? &view : nullptr, color, DrawModeNormal, clip,
                           pixels.data(), destWidth * 4, format, bilinear, vertexColors);
    return pixels;
}

TEST(TriangleBlitTest, MatrixDrawTurnsTheRectangleAboutItsMiddleAndPlacesItHalfAPixelBack)
{
    MemoryImage texture, dest;
    FillTexture(texture, 8, 6, false);
    FillWith(dest, 32, 24, 0xFF202020);
    std::vector<uint32_t> before = ReadPixels(dest);
    Matrix3 m;
    m.m00 = 0.8f, m.m01 = 0.6f, m.m02 = 1.25f;
    m.m10 = -0.6f, m.m11 = 0.8f, m.m12 = -0.5f;
    m.m20 = 3.0f; // the third row takes no part: there is no division
    Rect sourceRect(2, 1, 5, 4);
    Rect clip(1, 2, 40, 20); // reaches past the right edge: cut to the image
    Color tint(200, 220, 255, 230);
    int count = dest.bitsChangedCount;
    dest.BlitMatrix(&texture, 15.0f, 11.0f, m, clip, tint, DrawModeNormal, sourceRect, true);
    EXPECT_EQ(dest.bitsChangedCount, count + 1);

    // Corners (-2.5, -2), (2.5, -2), (-2.5, 2), (2.5, 2) with texture (2/8, 1/6) to (7/8, 5/6), through the
    // matrix, then moved by (14.5, 10.5).
    auto corner = [&](float px, float py, float u, float v) {
        return TexVertex{0.8f * px + 0.6f * py + 1.25f + 14.5f, -0.6f * px + 0.8f * py - 0.5f + 10.5f, u, v,
                         0xFFFFFFFF};
    };
    std::vector<TexVertex> strip = {corner(-2.5f, -2, 2.0f / 8, 1.0f / 6), corner(2.5f, -2, 7.0f / 8, 1.0f / 6),
                                    corner(-2.5f, 2, 2.0f / 8, 5.0f / 6), corner(2.5f, 2, 7.0f / 8, 5.0f / 6)};
    std::vector<uint32_t> expected =
        RasterizeByHand(before, 32, strip, &texture, tint, Rect(1, 2, 31, 20), kFormatArgb8888, true, false);
    EXPECT_EQ(ReadPixels(dest), expected);
    EXPECT_NE(expected, before);
}

TEST(TriangleBlitTest, IdentityMatrixCopiesAnOpaqueImageOntoThePixelGrid)
{
    // The corners land on half pixels and the rasterizer samples at whole coordinates, so every pixel takes
    // one texel at its middle. Nothing in this program sets up the routine table: it is there from the start.
    MemoryImage texture, dest;
    FillTexture(texture, 6, 4, true);
    FillWith(dest, 20, 16, 0xFF000000);
    dest.BlitMatrix(&texture, 3.0f + 10, 2.0f + 5, Matrix3(), Rect(0, 0, 20, 16), Color::White, DrawModeNormal,
                    Rect(0, 0, 6, 4), false);
    std::vector<uint32_t> pixels = ReadPixels(dest);
    const uint32_t* texels = texture.GetBits();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 10 && x < 16 && y >= 5 && y < 9;
            uint32_t expected = inside ? texels[(y - 5) * 6 + x - 10] : 0xFF000000;
            EXPECT_EQ(pixels[std::size_t(y * 20 + x)], expected) << x << ", " << y;
        }
    }
}

TEST(TriangleBlitTest, OpaqueForcedDestinationIsDrawnWithoutKeepingAlpha)
{
    MemoryImage texture, dest;
    FillTexture(texture, 4, 4, false);
    FillWith(dest, 12, 12, 0x40806040);
    std::vector<uint32_t> before = ReadPixels(dest);
    EXPECT_EQ(dest.GetTriangleFormat(), kFormatArgb8888);
    dest.ForceAlphaFlags(false, false);
    EXPECT_EQ(dest.GetTriangleFormat(), kFormatRgb888);
    dest.BlitMatrix(&texture, 6, 6, Matrix3(), Rect(0, 0, 12, 12), Color::White, DrawModeNormal, Rect(0, 0, 4, 4),
                    false);
    std::vector<TexVertex> strip = {{3.5f, 3.5f, 0, 0, 0xFFFFFFFF},
                                    {7.5f, 3.5f, 1, 0, 0xFFFFFFFF},
                                    {3.5f, 7.5f, 0, 1, 0xFFFFFFFF},
                                    {7.5f, 7.5f, 1, 1, 0xFFFFFFFF}};
    std::vector<uint32_t> rgb =
        RasterizeByHand(before, 12, strip, &texture, Color::White, Rect(0, 0, 12, 12), kFormatRgb888, false, false);
    std::vector<uint32_t> argb =
        RasterizeByHand(before, 12, strip, &texture, Color::White, Rect(0, 0, 12, 12), kFormatArgb8888, false, false);
    ASSERT_NE(rgb, argb);
    EXPECT_EQ(ReadPixels(dest), rgb);
}

TEST(TriangleBlitTest, TrianglesAreMovedByTheOffsetAndShadedWhenAnyVertexHasAColour)
{
    MemoryImage texture, dest;
    FillTexture(texture, 8, 8, false);
    FillWith(dest, 24, 24, 0xFF102030);
    std::vector<uint32_t> before = ReadPixels(dest);
    const TexVertex vertices[6] = {
        {1, 1, 0, 0, 0},         {12, 2, 1, 0, 0},        {3, 14, 0, 1, 0},              // no colours
        {10, 10, 0.2f, 0.1f, 0}, {20, 12, 0.9f, 0.3f, 0}, {12, 21, 0.5f, 1, 0x80FF0000}, // one coloured vertex
    };
    Rect clip(2, 0, 20, 30);
    dest.BlitTexturedTriangles(&texture, vertices, 2, clip, Color(255, 255, 255, 200), DrawModeAdditive, 1.5f, -0.5f,
                               true);
    std::vector<uint32_t> expected = before;
    for (int t = 0; t < 2; ++t) {
        std::vector<TexVertex> triangle(vertices + 3 * t, vertices + 3 * t + 3);
        for (TexVertex& v : triangle) {
            v.x += 1.5f;
            v.y -= 0.5f;
        }
        expected = RasterizeByHand(expected, 24, triangle, &texture, Color(255, 255, 255, 200), Rect(2, 0, 20, 24),
                                   kFormatArgb8888, true, t == 1);
    }
    EXPECT_EQ(ReadPixels(dest), expected);
}

TEST(TriangleBlitTest, TrianglesFromAnImageWithoutPixelsAreDrawnUntextured)
{
    Image notInMemory;
    notInMemory.width = 8;
    notInMemory.height = 8;
    MemoryImage dest;
    FillWith(dest, 16, 16, 0xFF000000);
    std::vector<uint32_t> before = ReadPixels(dest);
    const TexVertex triangle[3] = {{1, 1, 0, 0, 0xFFFF0000}, {14, 2, 1, 0, 0xFF00FF00}, {4, 13, 0, 1, 0xFF0000FF}};
    dest.BlitTexturedTriangles(&notInMemory, triangle, 1, Rect(0, 0, 16, 16), Color::White, DrawModeNormal, 0, 0,
                               false);
    std::vector<uint32_t> expected =
        RasterizeByHand(before, 16, std::vector<TexVertex>(triangle, triangle + 3), nullptr, Color::White,
                        Rect(0, 0, 16, 16), kFormatArgb8888, false, true);
    EXPECT_EQ(ReadPixels(dest), expected);
    EXPECT_NE(expected, before);
}

TEST(TriangleBlitTest, MatrixDrawsWithoutAUsableSourceOrTransformChangeNothing)
{
    MemoryImage texture, dest;
    FillTexture(texture, 8, 8, true);
    FillWith(dest, 16, 16, 0xFF000000);
    std::vector<uint32_t> before = ReadPixels(dest);
    int count = dest.bitsChangedCount;
    Image notInMemory;
    notInMemory.width = notInMemory.height = 8;
    const Rect clip(0, 0, 16, 16);
    dest.BlitMatrix(&notInMemory, 8, 8, Matrix3(), clip, Color::White, DrawModeNormal, Rect(0, 0, 8, 8), false);
    for (const Rect& outside : {Rect(-1, 0, 4, 4), Rect(0, 5, 4, 4), Rect(5, 0, 4, 4), Rect(0, 0, 0, 4)}) {
        dest.BlitMatrix(&texture, 8, 8, Matrix3(), clip, Color::White, DrawModeNormal, outside, false);
    }
    EXPECT_EQ(dest.bitsChangedCount, count);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Matrix3 broken;
    broken.m00 = nan;
    Matrix3 infinite;
    infinite.m11 = inf;
    Matrix3 huge;
    huge.m00 = 3e38f, huge.m01 = -3e38f, huge.m10 = 1e30f;
    dest.BlitMatrix(&texture, 8, 8, broken, clip, Color::White, DrawModeNormal, Rect(0, 0, 8, 8), true);
    dest.BlitMatrix(&texture, 8, 8, infinite, clip, Color::White, DrawModeNormal, Rect(0, 0, 8, 8), false);
    dest.BlitMatrix(&texture, nan, 8, Matrix3(), clip, Color::White, DrawModeNormal, Rect(0, 0, 8, 8), false);
    dest.BlitMatrix(&texture, 8, 8, huge, Rect(-5, -5, 1000, 1000), Color::White, DrawModeNormal, Rect(0, 0, 8, 8),
                    false);
    const TexVertex broken3[3] = {{nan, 1, 0, 0, 0}, {5, inf, 1, 0, 0}, {4, 4, 0, 1, 0}};
    dest.BlitTexturedTriangles(&texture, broken3, 1, clip, Color::White, DrawModeNormal, 0, 0, false);
    dest.BlitTexturedTriangles(&texture, broken3, -4, clip, Color::White, DrawModeNormal, 0, 0, false);
    dest.BlitTexturedTriangles(&texture, nullptr, 3, clip, Color::White, DrawModeNormal, 0, 0, false);
    // The huge matrix may cover the image; what cannot be drawn leaves a fresh image as it was.
    MemoryImage fresh;
    FillWith(fresh, 16, 16, 0xFF000000);
    fresh.BlitMatrix(&texture, 8, 8, broken, clip, Color::White, DrawModeNormal, Rect(0, 0, 8, 8), true);
    fresh.BlitMatrix(&texture, 8, 8, infinite, clip, Color::White, DrawModeNormal, Rect(0, 0, 8, 8), false);
    fresh.BlitTexturedTriangles(&texture, broken3, 1, clip, Color::White, DrawModeNormal, 0, 0, false);
    EXPECT_EQ(ReadPixels(fresh), before);
}

} // namespace
