// The pixel words the routines must write, worked out by hand from their arithmetic: opaque stores,
// blends into straight-alpha and opaque destinations, shaded fills, modulation and texel samples.
#include "RasterCanvas.h"
#include "ReferenceRasterizer.h"
#include "rasterizer/PixelFormats.h"
#include "rasterizer/TexelSampling.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <gtest/gtest.h>
#include <vector>

using namespace Tolm;
using RasterTest::Canvas;

namespace {

constexpr int kRgb = 32; // first index of the RGB block

const std::vector<uint32_t> Uniform(uint32_t texel, int count = 1)
{
    return std::vector<uint32_t>(count, texel);
}

struct Example
{
    const char* name;
    int index; // into the routine table
    std::vector<uint32_t> texels;
    int textureWidth;
    double u, v; // texels, the same at every vertex
    uint32_t vertexColor;
    TriangleColor global;
    uint32_t destination;
    uint32_t expected;
};

constexpr TriangleColor kWhite{255, 255, 255, 255};

// Draws a triangle whose interpolated values are the same at every pixel and returns pixel (1, 1), after
// checking that every covered pixel got the same word and nothing around the triangle changed.
uint32_t Draw(const Example& example, bool throughReference)
{
    Canvas canvas(4, 4, example.destination);
    Canvas untouched = canvas;
    FixedVertex vertices[3] = {RasterTest::FixedAt(0, 0), RasterTest::FixedAt(4, 0), RasterTest::FixedAt(0, 4)};
    for (FixedVertex& vertex : vertices) {
        vertex = RasterTest::WithTexel(RasterTest::WithColor(vertex, example.vertexColor), example.u, example.v);
    }
    int width = example.textureWidth;
    int entry = example.index % 32;
    if (throughReference) {
        Reference::Texture texture{example.texels, width, int(example.texels.size()) / width};
        Reference::Vertex model[3];
        for (int k = 0; k < 3; ++k) {
            const FixedVertex& f = vertices[k];
            model[k] = {f.x, f.y, f.a, f.r, f.g, f.b, f.u, f.v};
        }
        Reference::DrawTriangle(example.index, model, canvas.OriginBytes(), canvas.Pitch(), &texture,
                                {example.global.alpha, example.global.red, example.global.green, example.global.blue});
    } else {
        TriangleTexture texture{example.texels.data(), width, int(example.texels.size())};
        DispatchTriangle(entry & 16, entry & 8, entry & 4, entry & 2, vertices, canvas.Origin(), canvas.Pitch(),
                         &texture, &example.global, example.index < kRgb ? kFormatArgb8888 : kFormatRgb888, entry & 1,
                         canvas.Limits());
    }
    for (int y = -Canvas::kGuard; y < 4 + Canvas::kGuard; ++y) {
        for (int x = -Canvas::kGuard; x < 4 + Canvas::kGuard; ++x) {
            bool covered = x >= 0 && y >= 0 && x + y < 4;
            EXPECT_EQ(canvas.At(x, y), covered ? canvas.At(1, 1) : untouched.At(x, y))
                << example.name << " at " << x << ", " << y;
        }
    }
    return canvas.At(1, 1);
}

const std::vector<uint32_t> kWhite4x4 = Uniform(0xFFFFFFFF, 16);

const Example kExamples[] = {
    // Opaque textured and untextured ARGB routines.
    {"global colour without red stores directly",
     18,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {255, 0, 255, 255},
     0x12345678,
     0xFF00FEFE},
    {"global alpha 240 blends with weight 239",
     18,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {240, 0, 255, 255},
     0xFF000000,
     0xFF00EDED},
    {"vertex alpha 241 stores directly", 20, Uniform(0xFFFFFFFF), 1, .5, .5, 0xF1FFFFFF, kWhite, 0x12345678,
     0xFFFEFEFE},
    {"vertex alpha 240 blends with weight 239", 20, Uniform(0xFFFFFFFF), 1, .5, .5, 0xF0FFFFFF, kWhite, 0xFF000000,
     0xFFEDEDED},
    {"shaded fill at alpha 240 blends", 4, {}, 1, 0, 0, 0xF0FFFFFF, kWhite, 0xFF000000, 0xFFEFEFEF},
    {"shaded fill at alpha 241 stores", 4, {}, 1, 0, 0, 0xF1FFFFFF, kWhite, 0x12345678, 0xFFFFFFFF},
    {"shaded fill at alpha 8 leaves the pixel", 4, {}, 1, 0, 0, 0x08FFFFFF, kWhite, 0x12345678, 0x12345678},
    {"shaded fill at alpha 9 keeps fraction bits", 4, {}, 1, 0, 0, 0x09C86432, kWhite, 0xFF000000, 0xFF070301},
    {"bilinear under a global colour stores black from transparent texels", 19, Uniform(0x00FFFFFF, 16), 4, 1.5, 1.5, 0,
     kWhite, 0x12345678, 0xFF000000},
    {"bilinear under vertex colours stores black from transparent texels", 21, Uniform(0x00FFFFFF, 16), 4, 1.5, 1.5,
     0xFFFFFFFF, kWhite, 0x12345678, 0xFF000000},

    // Blended ARGB routines.
    {"opaque texel replaces", 24, Uniform(0xFF336699), 1, .5, .5, 0, kWhite, 0x12345678, 0xFF336699},
    {"texel alpha 8 is skipped", 24, Uniform(0x08FFFFFF), 1, .5, .5, 0, kWhite, 0x12345678, 0x12345678},
    {"texel alpha 9 blends", 24, Uniform(0x09FFFFFF), 1, .5, .5, 0, kWhite, 0xFF000000, 0xFF080808},
    {"texel alpha 239 blends", 24, Uniform(0xEFFFFFFF), 1, .5, .5, 0, kWhite, 0xFF000000, 0xFFEEEEEE},
    {"texel alpha 240 stores", 24, Uniform(0xF0FFFFFF), 1, .5, .5, 0, kWhite, 0x00123456, 0xFFFFFFFF},
    {"half red over opaque black", 24, Uniform(0x80FF0000), 1, .5, .5, 0, kWhite, 0xFF000000, 0xFF7F0000},
    {"half red over transparent", 24, Uniform(0x80FF0000), 1, .5, .5, 0, kWhite, 0x00000000, 0x7FFE0000},
    {"half red over opaque white", 24, Uniform(0x80FF0000), 1, .5, .5, 0, kWhite, 0xFFFFFFFF, 0xFFFE7F7F},
    {"half red over half blue", 24, Uniform(0x80FF0000), 1, .5, .5, 0, kWhite, 0x800000FF, 0xBFA90054},
    {"half black over opaque white", 24, Uniform(0x80000000), 1, .5, .5, 0, kWhite, 0xFFFFFFFF, 0xFF7F7F7F},
    {"zero global alpha still lowers an opaque pixel",
     26,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {0, 255, 255, 255},
     0xFFFFFFFF,
     0xFEFEFEFE},
    {"half global alpha without red",
     26,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {128, 0, 255, 255},
     0xFFFFFFFF,
     0xFF7FFDFD},
    {"half vertex alpha", 28, Uniform(0xFFFFFFFF), 1, .5, .5, 0x80FFFFFF, kWhite, 0xFF000000, 0xFF7E7E7E},
    {"global colour folded into vertex colours",
     30,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0xFFFFFFFF,
     {128, 255, 255, 255},
     0xFF000000,
     0xFF7C7C7C},
    {"bilinear at a texel centre", 25, kWhite4x4, 4, 1.5, 1.5, 0, kWhite, 0x12345678, 0xFFFDFDFD},
    {"bilinear at a texel centre over transparent", 25, kWhite4x4, 4, 1.5, 1.5, 0, kWhite, 0x00000000, 0xFFFDFDFD},
    {"bilinear half-alpha texels", 25, Uniform(0x80FFFFFF, 16), 4, 1.5, 1.5, 0, kWhite, 0xFF000000, 0xFF7E7E7E},
    {"bilinear under half global alpha", 27, kWhite4x4, 4, 1.5, 1.5, 0, {128, 255, 255, 255}, 0xFF000000, 0xFF7E7E7E},

    // Opaque textured and untextured RGB routines.
    {"copy makes the top byte opaque", kRgb + 16, Uniform(0x00112233), 1, .5, .5, 0, kWhite, 0x12345678, 0xFF112233},
    {"copy past the texture stores black", kRgb + 16, Uniform(0xFF112233), 1, 1.5, .5, 0, kWhite, 0x12345678,
     0xFF000000},
    {"bilinear copy at a texel centre", kRgb + 17, kWhite4x4, 4, 1.5, 1.5, 0, kWhite, 0x12345678, 0xFFFDFDFD},
    {"bilinear copy between two centres", kRgb + 17, kWhite4x4, 4, 2.0, 1.5, 0, kWhite, 0x12345678, 0xFFFDFDFD},
    {"bilinear copy between four centres", kRgb + 17, kWhite4x4, 4, 2.0, 2.0, 0, kWhite, 0x12345678, 0xFFFBFBFB},
    {"bilinear copy of transparent texels", kRgb + 17, Uniform(0x00FFFFFF, 16), 4, 1.5, 1.5, 0, kWhite, 0x12345678,
     0xFF000000},
    {"RGB global alpha 240 blends",
     kRgb + 18,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {240, 255, 255, 255},
     0xFF000000,
     0xFFEDEDED},
    {"RGB global alpha 241 stores",
     kRgb + 18,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {241, 255, 255, 255},
     0xFF000000,
     0xFFFEFEFE},
    {"RGB zero global alpha still writes",
     kRgb + 18,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {0, 255, 255, 255},
     0x12345678,
     0xFF335577},
    {"RGB white under white", kRgb + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, kWhite, 0x12345678, 0xFFFEFEFE},
    {"RGB global alpha 129",
     kRgb + 18,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {129, 255, 255, 255},
     0xFF000000,
     0xFF7F7F7F},
    {"RGB shaded fill at alpha 240", kRgb + 4, {}, 1, 0, 0, 0xF0FFFFFF, kWhite, 0x12345678, 0xFFF2F4F6},
    {"RGB shaded fill at alpha 8 keeps the whole word",
     kRgb + 4,
     {},
     1,
     0,
     0,
     0x08FFFFFF,
     kWhite,
     0x12345678,
     0x12345678},

    // Blended RGB routines.
    {"RGB texel alpha 8 is skipped", kRgb + 24, Uniform(0x08FFFFFF), 1, .5, .5, 0, kWhite, 0x12345678, 0x12345678},
    {"RGB texel alpha 9", kRgb + 24, Uniform(0x09FFFFFF), 1, .5, .5, 0, kWhite, 0x00000000, 0xFF080808},
    {"RGB texel alpha 239", kRgb + 24, Uniform(0xEFFFFFFF), 1, .5, .5, 0, kWhite, 0xFFFFFFFF, 0xFFFDFDFD},
    {"RGB texel alpha 240", kRgb + 24, Uniform(0xF0FFFFFF), 1, .5, .5, 0, kWhite, 0x00FFFFFF, 0xFFFFFFFF},
    {"RGB top byte 0 is no transparency", kRgb + 24, Uniform(0x80FFFFFF), 1, .5, .5, 0, kWhite, 0x00000000, 0xFF7F7F7F},
    {"RGB half black over white", kRgb + 24, Uniform(0x80000000), 1, .5, .5, 0, kWhite, 0xFFFFFFFF, 0xFF7E7E7E},
    {"RGB zero global alpha", kRgb + 26, Uniform(0xFF808080), 1, .5, .5, 0, {0, 255, 255, 255}, 0x12345678, 0xFF335577},
    {"RGB zero global alpha over black",
     kRgb + 26,
     Uniform(0xFF808080),
     1,
     .5,
     .5,
     0,
     {0, 255, 255, 255},
     0xFF000000,
     0xFF000000},
    {"RGB half global alpha over black",
     kRgb + 26,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {128, 255, 255, 255},
     0xFF000000,
     0xFF7E7E7E},
    {"RGB half global alpha over white",
     kRgb + 26,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {128, 255, 255, 255},
     0xFFFFFFFF,
     0xFFFDFDFD},
    {"RGB global colour folded into vertex colours",
     kRgb + 30,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0xFFFFFFFF,
     {128, 255, 255, 255},
     0xFF000000,
     0xFF7C7C7C},
    {"RGB bilinear at a texel centre", kRgb + 25, kWhite4x4, 4, 1.5, 1.5, 0, kWhite, 0x12345678, 0xFFFDFDFD},
    {"RGB bilinear half-alpha texels over black", kRgb + 25, Uniform(0x80FFFFFF, 16), 4, 1.5, 1.5, 0, kWhite,
     0xFF000000, 0xFF7E7E7E},
    {"RGB bilinear half-alpha texels over white", kRgb + 25, Uniform(0x80FFFFFF, 16), 4, 1.5, 1.5, 0, kWhite,
     0x00FFFFFF, 0xFFFDFDFD},

    // Where the plain arithmetic would divide by zero or wrap a channel to black.
    {"zero weight over a transparent pixel leaves it",
     26,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {0, 255, 255, 255},
     0x00123456,
     0x00123456},
    {"vertex alpha 1 over a transparent pixel leaves it", 28, Uniform(0xFFFFFFFF), 1, .5, .5, 0x01FFFFFF, kWhite,
     0x00000000, 0x00000000},
    {"a bright weighted sample over a transparent pixel saturates",
     27,
     kWhite4x4,
     4,
     1.5,
     1.5,
     0,
     {64, 255, 255, 255},
     0x00000000,
     0x3EFFFFFF},
};

} // namespace

TEST(TrianglePixelTest, RoutinesWriteTheWordsTheirArithmeticGives)
{
    for (const Example& example : kExamples) {
        EXPECT_EQ(Draw(example, false), example.expected) << example.name;
        EXPECT_EQ(Draw(example, true), example.expected) << "reference model: " << example.name;
    }
}

TEST(TrianglePixelTest, SamplesFollowTheInterpolatedTexelCoordinate)
{
    // The pixel step of u over (0, 0), (9, 0), (0, 9) with u 0, 3 and 0 is a third of a texel, truncated to
    // 0x5555, so a nearest copy samples columns 0, 0, 0, 0, 1, 1, 1, 2, 2 along row 0.
    std::vector<uint32_t> texels = {0xFF000000, 0xFF111111, 0xFF222222};
    TriangleTexture texture{texels.data(), 3, 3};
    FixedVertex vertices[3] = {RasterTest::FixedAt(0, 0), RasterTest::WithTexel(RasterTest::FixedAt(9, 0), 3, 0),
                               RasterTest::FixedAt(0, 9)};
    Canvas canvas(10, 10, 0x12345678);
    DispatchTriangle(true, false, false, false, vertices, canvas.Origin(), canvas.Pitch(), &texture, nullptr,
                     kFormatRgb888, false, canvas.Limits());
    const int columns[2][9] = {{0, 0, 0, 0, 1, 1, 1, 2, 2}, {0, 0, 0, 0, 1, 1, 1, 2, -1}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 9; ++x) {
            uint32_t expected = columns[y][x] < 0 ? 0x12345678 : texels[columns[y][x]];
            EXPECT_EQ(canvas.At(x, y), expected) << x << ", " << y;
        }
    }
}

TEST(TrianglePixelTest, NearestTexelReadsPastRowEndsButNeverOutsideTheTexels)
{
    std::vector<uint32_t> texels(64 * 2);
    for (size_t k = 0; k < texels.size(); ++k) {
        texels[k] = 0xFF000000 | uint32_t(k);
    }
    TriangleTexture texture{texels.data(), 64, 128};
    EXPECT_EQ(NearestTexel(texture, 64 << 16, 0), texels[64]) << "one past the row reads the next row";
    EXPECT_EQ(NearestTexel(texture, 64 << 16, 1 << 16), 0u) << "one past the last row reads 0";
    EXPECT_EQ(NearestTexel(texture, -0x8000, 0), 0u) << "half a texel left is column 65535";

    std::vector<uint32_t> wide(65537, 0xFF000000);
    wide[65535] = 0x00ABCDEF;
    TriangleTexture wideTexture{wide.data(), 65537, 65537};
    EXPECT_EQ(NearestTexel(wideTexture, -1, 0), 0x00ABCDEFu);
}

TEST(TrianglePixelTest, BilinearSampleWeighsFourNeighboursByTheirAlpha)
{
    std::vector<uint32_t> white(16, 0xFFFFFFFF);
    TriangleTexture texture{white.data(), 4, 16};
    EXPECT_EQ(BilinearSample(texture, 0, 0), 0xFEFDFDFDu) << "centre of texel 0 of an opaque white texture";
    EXPECT_EQ(BilinearSample(texture, 2 << 16, 3 << 16), 0xFEFDFDFDu);

    // Halfway between the centres of columns -1 and 0: column -1 of a row is the previous row's last texel,
    // and before row 0 nothing. Each of the four weights is then 0x3FFF or 0x4001, 63 once weighted by alpha.
    std::vector<uint32_t> texels = {0xFF000000, 0xFF00FF00, 0xFF0000FF, 0xFFFF0000};
    TriangleTexture twoByTwo{texels.data(), 2, 4};
    EXPECT_EQ(BilinearSample(twoByTwo, -0x8000, 0x8000), 0xBD003E3Eu) << "row 0: texel 1 is the left of texel 2";
    EXPECT_EQ(BilinearSample(twoByTwo, -0x8000, -0x8000), 0x3F000000u) << "row -1: only texel 0 is inside";
}

TEST(TrianglePixelTest, ModulationTruncatesWithoutRounding)
{
    EXPECT_EQ(Modulate(255, 255), 254u);
    EXPECT_EQ(Modulate(128, 128), 64u);
    EXPECT_EQ(Modulate(255, 0), 0u);
    EXPECT_EQ(Modulate(255, 0x1FF), 0xFDu) << "only the low 8 bits survive a factor above 255";
}

TEST(TrianglePixelTest, StoresAndBlendsOfOnePixel)
{
    uint32_t pixel = 0;
    Argb8888Pixels::BlendStraight(&pixel, 0xFFFFFF, 128);
    EXPECT_EQ(pixel, 0x7FFEFEFEu) << "straight white at weight 128 over transparent";
    pixel = 0xFFFFFFFF;
    Argb8888Pixels::BlendStraight(&pixel, 0x123456, 0);
    EXPECT_EQ(pixel, 0xFEFEFEFEu) << "weight 0 over opaque white";

    struct ShadedCase
    {
        uint32_t alpha;
        uint32_t expected;
    } shaded[] = {
        {0x00F00000, 0xFFF2F4F6}, {0x00F00001, 0xFFFFFFFF}, {0x00080000, 0x12345678}, {0x00080001, 0xFF39597A}};
    for (const ShadedCase& c : shaded) {
        pixel = 0x12345678;
        Rgb888Pixels::ShadedFill(&pixel, c.alpha, 0x00FF0000, 0x00FF0000, 0x00FF0000);
        EXPECT_EQ(pixel, c.expected) << std::hex << "RGB shaded fill of white at alpha " << c.alpha;
    }
}

// The straight-alpha blend divides by a multiplication with a rounded-up reciprocal. The product grows
// with the dividend, so its quotients are right when they are right on either side of every multiple of
// the divisor, up to the largest dividend the blend can form (below 2^17).
TEST(TrianglePixelTest, SmallDivisionsByReciprocalAreExact)
{
    for (uint32_t d = 1; d <= 256; ++d) {
        for (uint32_t multiple = d; multiple - d < (1u << 17); multiple += d) {
            ASSERT_EQ(DivideSmall(multiple - 1, d), (multiple - 1) / d) << multiple - 1 << " / " << d;
            ASSERT_EQ(DivideSmall(multiple, d), multiple / d) << multiple << " / " << d;
        }
    }
}
