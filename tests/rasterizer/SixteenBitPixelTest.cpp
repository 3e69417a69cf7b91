// The 5-6-5 and 5-5-5 routines: their two pixel operations checked exhaustively against the field
// arithmetic, the example pixels worked out by hand, the largest field a mix can reach, the row stride of
// an odd pitch, and the identities between the two blocks and their 32-bit twins.
#include "RasterCanvas.h"
#include "rasterizer/PixelFormats.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace Tolm;
using RasterTest::Canvas;
using RasterTest::Canvas16;

namespace {

constexpr int k565 = 64; // first index of the 5-6-5 block
constexpr int k555 = 96;
constexpr TriangleColor kWhite{255, 255, 255, 255};

std::vector<uint32_t> Uniform(uint32_t texel, int count = 1)
{
    return std::vector<uint32_t>(size_t(count), texel);
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
    uint16_t destination;
    uint16_t expected;
};

int FormatOf(int index)
{
    const int formats[4] = {kFormatArgb8888, kFormatRgb888, kFormatRgb565, kFormatRgb555};
    return formats[index / 32];
}

// The corner triangle (0, 0), (4, 0), (0, 4) with the same values at every vertex, drawn by a table entry.
template <typename Pixel>
void DrawCorner(int index, const std::vector<uint32_t>& texels, int textureWidth, double u, double v,
                uint32_t vertexColor, const TriangleColor& global, RasterTest::BasicCanvas<Pixel>& canvas)
{
    FixedVertex vertices[3] = {RasterTest::FixedAt(0, 0), RasterTest::FixedAt(4, 0), RasterTest::FixedAt(0, 4)};
    for (FixedVertex& vertex : vertices) {
        vertex = RasterTest::WithTexel(RasterTest::WithColor(vertex, vertexColor), u, v);
    }
    TriangleTexture texture{texels.data(), textureWidth, int(texels.size())};
    int entry = index % 32;
    DispatchTriangle(entry & 16, entry & 8, entry & 4, entry & 2, vertices, canvas.Origin(), canvas.Pitch(), &texture,
                     &global, FormatOf(index), entry & 1, canvas.Limits());
}

// Pixel (1, 1) of the example, after checking that every covered pixel got the same value and nothing
// around the triangle changed.
uint16_t Draw(const Example& example)
{
    Canvas16 canvas(4, 4, example.destination);
    Canvas16 untouched = canvas;
    DrawCorner(example.index, example.texels, example.textureWidth, example.u, example.v, example.vertexColor,
               example.global, canvas);
    for (int y = -Canvas16::kGuard; y < 4 + Canvas16::kGuard; ++y) {
        for (int x = -Canvas16::kGuard; x < 4 + Canvas16::kGuard; ++x) {
            bool covered = x >= 0 && y >= 0 && x + y < 4;
            EXPECT_EQ(canvas.At(x, y), covered ? canvas.At(1, 1) : untouched.At(x, y))
                << example.name << " at " << x << ", " << y;
        }
    }
    return canvas.At(1, 1);
}

const std::vector<uint32_t> kWhite4x4 = Uniform(0xFFFFFFFF, 16);

const Example kExamples[] = {
    // 5-6-5 shaded fills and opaque textured routines.
    {"white at vertex alpha 255", k565 + 4, {}, 1, 0, 0, 0xFFFFFFFF, kWhite, 0x0000, 0xFFFF},
    {"white at vertex alpha 240 mixes with k 1", k565 + 4, {}, 1, 0, 0, 0xF0FFFFFF, kWhite, 0xFFFF, 0xEF9D},
    {"white at vertex alpha 239", k565 + 4, {}, 1, 0, 0, 0xEFFFFFFF, kWhite, 0xFFFF, 0xF7DE},
    {"white at vertex alpha 128", k565 + 4, {}, 1, 0, 0, 0x80FFFFFF, kWhite, 0xFFFF, 0xEF9D},
    {"vertex alpha 8 leaves the pixel", k565 + 4, {}, 1, 0, 0, 0x08FFFFFF, kWhite, 0x1234, 0x1234},
    {"white at vertex alpha 9", k565 + 4, {}, 1, 0, 0, 0x09FFFFFF, kWhite, 0xFFFF, 0xF7BE},
    {"black at alpha 128 over white", k565 + 4, {}, 1, 0, 0, 0x80000000, kWhite, 0xFFFF, 0x73AE},
    {"white at alpha 128 over black", k565 + 4, {}, 1, 0, 0, 0x80FFFFFF, kWhite, 0x0000, 0x7BEF},
    {"global alpha 255 stores", k565 + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, kWhite, 0x0000, 0xFFFF},
    {"global alpha 241 stores", k565 + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, {241, 255, 255, 255}, 0x0000, 0xFFFF},
    {"global alpha 240 mixes", k565 + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, {240, 255, 255, 255}, 0xFFFF, 0xF7DE},
    {"global alpha 0 over white", k565 + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, {0, 255, 255, 255}, 0xFFFF, 0xF7BE},
    {"global alpha 0 over black", k565 + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, {0, 255, 255, 255}, 0x0000, 0x0000},
    {"copy past the texture", k565 + 16, Uniform(0xFF123456), 1, 1.5, .5, 0, kWhite, 0xFFFF, 0x0000},
    {"copy of a clear texel", k565 + 16, Uniform(0x00123456), 1, .5, .5, 0, kWhite, 0xFFFF, 0x11AA},
    {"copy of an opaque texel", k565 + 16, Uniform(0xFF123456), 1, .5, .5, 0, kWhite, 0xFFFF, 0x11AA},

    // 5-6-5 blended routines.
    {"texel alpha 8 is skipped", k565 + 24, Uniform(0x08FFFFFF), 1, .5, .5, 0, kWhite, 0x1234, 0x1234},
    {"texel alpha 9 over black", k565 + 24, Uniform(0x09FFFFFF), 1, .5, .5, 0, kWhite, 0x0000, 0x0841},
    {"texel alpha 9 over white", k565 + 24, Uniform(0x09FFFFFF), 1, .5, .5, 0, kWhite, 0xFFFF, 0xF7BE},
    {"texel alpha 239 over white", k565 + 24, Uniform(0xEFFFFFFF), 1, .5, .5, 0, kWhite, 0xFFFF, 0xF7DE},
    {"texel alpha 240 stores", k565 + 24, Uniform(0xF0FFFFFF), 1, .5, .5, 0, kWhite, 0x1234, 0xFFFF},
    {"coloured texel alpha 240 stores", k565 + 24, Uniform(0xF0FF8040), 1, .5, .5, 0, kWhite, 0x1234, 0xFC08},
    {"half orange over black", k565 + 24, Uniform(0x80FF8040), 1, .5, .5, 0, kWhite, 0x0000, 0x7A04},
    {"half orange over white", k565 + 24, Uniform(0x80FF8040), 1, .5, .5, 0, kWhite, 0xFFFF, 0xEDB2},
    {"black texel alpha 239 over white", k565 + 24, Uniform(0xEF000000), 1, .5, .5, 0, kWhite, 0xFFFF, 0x0861},
    {"zero global alpha over white", k565 + 26, Uniform(0xFF123456), 1, .5, .5, 0, {0, 255, 255, 255}, 0xFFFF, 0xF7BE},
    {"zero global alpha over black", k565 + 26, Uniform(0xFF123456), 1, .5, .5, 0, {0, 255, 255, 255}, 0x0000, 0x0000},
    {"half global alpha over black",
     k565 + 26,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {128, 255, 255, 255},
     0x0000,
     0x7BEF},
    {"half global alpha over white",
     k565 + 26,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {128, 255, 255, 255},
     0xFFFF,
     0xF7DE},
    {"texel alpha 5 under any global colour",
     k565 + 26,
     Uniform(0x05FFFFFF),
     1,
     .5,
     .5,
     0,
     {255, 9, 9, 9},
     0x1234,
     0x1234},
    {"zero vertex alpha", k565 + 28, Uniform(0xFFFFFFFF), 1, .5, .5, 0x00FFFFFF, kWhite, 0xFFFF, 0xF7BE},
    {"folded global colour over black",
     k565 + 30,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0xFFFFFFFF,
     {128, 255, 255, 255},
     0x0000,
     0x7BEF},
    {"folded global colour over white",
     k565 + 30,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0xFFFFFFFF,
     {128, 255, 255, 255},
     0xFFFF,
     0xF7DE},
    {"bilinear at a texel centre", k565 + 25, kWhite4x4, 4, 1.5, 1.5, 0, kWhite, 0x1234, 0xFFFF},
    {"bilinear half-alpha texels over black", k565 + 25, Uniform(0x80FFFFFF, 16), 4, 1.5, 1.5, 0, kWhite, 0x0000,
     0x7BEF},
    {"bilinear half-alpha texels over white", k565 + 25, Uniform(0x80FFFFFF, 16), 4, 1.5, 1.5, 0, kWhite, 0xFFFF,
     0xF7DE},
    {"bilinear under half global alpha", k565 + 27, kWhite4x4, 4, 1.5, 1.5, 0, {128, 255, 255, 255}, 0x0000, 0x7BEF},

    // 5-5-5 routines.
    {"5-5-5 copy clears bit 15", k555 + 16, Uniform(0x12345678), 1, .5, .5, 0, kWhite, 0xFFFF, 0x194F},
    {"5-5-5 copy past the texture", k555 + 16, Uniform(0xFF123456), 1, .5, 1.5, 0, kWhite, 0xFFFF, 0x0000},
    {"5-5-5 texel alpha 239", k555 + 24, Uniform(0xEFFFFFFF), 1, .5, .5, 0, kWhite, 0x7FFF, 0x7BDE},
    {"5-5-5 texel alpha 8 keeps bit 15", k555 + 24, Uniform(0x08FFFFFF), 1, .5, .5, 0, kWhite, 0xFFFF, 0xFFFF},
    {"5-5-5 texel alpha 9", k555 + 24, Uniform(0x09FFFFFF), 1, .5, .5, 0, kWhite, 0x7FFF, 0x7BDE},
    {"5-5-5 texel alpha 240 stores", k555 + 24, Uniform(0xF0FFFFFF), 1, .5, .5, 0, kWhite, 0x1234, 0x7FFF},
    {"5-5-5 texel alpha 239 over bit 15", k555 + 24, Uniform(0xEFFFFFFF), 1, .5, .5, 0, kWhite, 0xFFFF, 0x7BDE},
    {"5-5-5 half white over black", k555 + 24, Uniform(0x80FFFFFF), 1, .5, .5, 0, kWhite, 0x0000, 0x3DEF},
    {"5-5-5 half white over bit 15", k555 + 24, Uniform(0x80FFFFFF), 1, .5, .5, 0, kWhite, 0x8000, 0x3DEF},
    {"5-5-5 global alpha 255", k555 + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, kWhite, 0x0000, 0x7FFF},
    {"5-5-5 global alpha 241", k555 + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, {241, 255, 255, 255}, 0x0000, 0x7FFF},
    {"5-5-5 global alpha 239", k555 + 18, Uniform(0xFFFFFFFF), 1, .5, .5, 0, {239, 255, 255, 255}, 0x7FFF, 0x7BDE},
    {"5-5-5 global alpha 0 over white",
     k555 + 18,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {0, 255, 255, 255},
     0x7FFF,
     0x7BDE},
    {"5-5-5 global alpha 0 over black",
     k555 + 18,
     Uniform(0xFFFFFFFF),
     1,
     .5,
     .5,
     0,
     {0, 255, 255, 255},
     0x0000,
     0x0000},
    {"5-5-5 blended global alpha 0", k555 + 26, Uniform(0xFFFFFFFF), 1, .5, .5, 0, {0, 255, 255, 255}, 0x7FFF, 0x7BDE},
    {"5-5-5 texel alpha 8 under any global colour",
     k555 + 26,
     Uniform(0x08FFFFFF),
     1,
     .5,
     .5,
     0,
     {0, 255, 255, 255},
     0x7FFF,
     0x7FFF},
    {"5-5-5 white at vertex alpha 255", k555 + 4, {}, 1, 0, 0, 0xFFFFFFFF, kWhite, 0x0000, 0x7FFF},
    {"5-5-5 white at vertex alpha 240", k555 + 4, {}, 1, 0, 0, 0xF0FFFFFF, kWhite, 0x7FFF, 0x77BD},
    {"5-5-5 white at vertex alpha 239", k555 + 4, {}, 1, 0, 0, 0xEFFFFFFF, kWhite, 0x7FFF, 0x7BDE},
    {"5-5-5 vertex alpha 8 leaves the pixel", k555 + 4, {}, 1, 0, 0, 0x08FFFFFF, kWhite, 0xFFFF, 0xFFFF},
    {"5-5-5 white at vertex alpha 9", k555 + 4, {}, 1, 0, 0, 0x09FFFFFF, kWhite, 0x7FFF, 0x7BDE},
};

// The fields of a 16-bit pixel, red first.
struct Fields
{
    uint32_t red, green, blue;
};

Fields FieldsOf(uint16_t pixel, bool sixFive)
{
    if (sixFive) {
        return {uint32_t(pixel >> 11), uint32_t((pixel >> 5) & 63), uint32_t(pixel & 31)};
    }
    return {uint32_t((pixel >> 10) & 31), uint32_t((pixel >> 5) & 31), uint32_t(pixel & 31)};
}

} // namespace

TEST(SixteenBitPixelTest, RoutinesWriteThePixelsTheirArithmeticGives)
{
    for (const Example& example : kExamples) {
        EXPECT_EQ(Draw(example), example.expected) << example.name;
    }
}

TEST(SixteenBitPixelTest, PackKeepsTheTopBitsOfEveryColour)
{
    for (uint32_t color = 0; color < (1u << 24); ++color) {
        uint32_t red = color >> 16, green = (color >> 8) & 0xFF, blue = color & 0xFF;
        uint32_t top = (color * 2654435761u) & 0xFF000000;
        ASSERT_EQ(Pack565(color | top), (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3) << std::hex << color;
        ASSERT_EQ(Pack555(color | top), (red >> 3) << 10 | (green >> 3) << 5 | blue >> 3) << std::hex << color;
    }
    EXPECT_EQ(Pack565(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(Pack565(0x808080), 0x8410);
    EXPECT_EQ(Pack565(0x7F7F7F), 0x7BEF);
    EXPECT_EQ(Pack565(0xAB123456), 0x11AA);
    EXPECT_EQ(Pack555(0xFFFFFF), 0x7FFF);
    EXPECT_EQ(Pack555(0x808080), 0x4210);
    EXPECT_EQ(Pack555(0x080808), 0x0421);
    EXPECT_EQ(Pack555(0xFF070707), 0x0000);
}

// Each field on its own, the others 0 in both the destination and the source: the field times
// (255 - A) >> 3 over 32, plus the source channel's top bits.
TEST(SixteenBitPixelTest, MixWeighsEachFieldOnItsOwn)
{
    struct Field
    {
        int width;
        int position;
        int channelShift; // of the source channel in 0x..RRGGBB
    };
    const Field fields565[3] = {{5, 11, 16}, {6, 5, 8}, {5, 0, 0}};
    const Field fields555[3] = {{5, 10, 16}, {5, 5, 8}, {5, 0, 0}};
    for (uint32_t weight = 0; weight < 256; ++weight) {
        uint32_t k = 31 - (weight >> 3);
        for (int f = 0; f < 3; ++f) {
            for (bool sixFive : {true, false}) {
                const Field& field = sixFive ? fields565[f] : fields555[f];
                for (uint32_t value = 0; value < (1u << field.width); ++value) {
                    for (uint32_t channel = 0; channel < 256; channel += 5) {
                        uint16_t destination = uint16_t(value << field.position);
                        uint32_t source = channel << field.channelShift;
                        uint32_t expected = ((value * k / 32 + (channel >> (8 - field.width))) << field.position);
                        uint16_t mixed = sixFive ? Mix565(destination, source, weight)
                                                 : Mix555(uint16_t(destination | 0x8000), source, weight);
                        ASSERT_EQ(mixed, uint16_t(expected))
                            << "field " << f << " value " << value << " channel " << channel << " weight " << weight;
                    }
                }
            }
        }
    }
}

// White over white at every weight a routine can mix with: the largest field stays one below full, so
// no field carries into the next and bit 15 of a 5-5-5 pixel stays 0.
TEST(SixteenBitPixelTest, NoMixedFieldReachesFull)
{
    const int entries[] = {4, 6, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
    for (int block : {k565, k555}) {
        bool sixFive = block == k565;
        for (int entry : entries) {
            bool vertexAlpha = entry & 4;
            for (uint32_t alpha = 0; alpha <= 240; ++alpha) {
                // The weight comes from the vertex alpha, the global alpha or the texel alpha.
                bool blended = entry & 8;
                uint32_t texel = blended && !vertexAlpha && !(entry & 2) ? alpha << 24 | 0xFFFFFF : 0xFFFFFFFF;
                uint32_t vertexColor = vertexAlpha ? alpha << 24 | 0xFFFFFF : 0;
                TriangleColor global = entry & 2 && !vertexAlpha ? TriangleColor{int(alpha), 255, 255, 255} : kWhite;
                Canvas16 canvas(4, 4, sixFive ? 0xFFFF : 0x7FFF);
                DrawCorner(block + entry, Uniform(texel, 16), 4, 1.5, 1.5, vertexColor, global, canvas);
                uint16_t pixel = canvas.At(1, 1);
                // Only a store (a texel alpha of 240) or a skipped pixel keeps full white.
                if (pixel == (sixFive ? 0xFFFF : 0x7FFF)) {
                    EXPECT_TRUE(alpha == 240 || alpha <= 9) << block + entry << " alpha " << alpha;
                    continue;
                }
                Fields fields = FieldsOf(pixel, sixFive);
                EXPECT_LE(fields.red, 30u) << block + entry << " alpha " << alpha;
                EXPECT_LE(fields.green, sixFive ? 62u : 30u) << block + entry << " alpha " << alpha;
                EXPECT_LE(fields.blue, 30u) << block + entry << " alpha " << alpha;
                EXPECT_EQ(sixFive || (pixel & 0x8000) == 0, true) << block + entry << " alpha " << alpha;
            }
        }
    }
}

TEST(SixteenBitPixelTest, AnOddPitchAdvancesRowsByItsEvenPart)
{
    for (int format : {kFormatRgb565, kFormatRgb555}) {
        std::vector<uint16_t> pixels(641 * 4, 0x1234);
        std::vector<uint32_t> texel = Uniform(0xFF000000);
        TriangleTexture texture{texel.data(), 1, 1};
        // Rows of two, two and one pixels, each 640 bytes after the one before.
        FixedVertex vertices[3] = {RasterTest::FixedAt(0, 0), RasterTest::FixedAt(2, 0), RasterTest::FixedAt(0, 3)};
        DispatchTriangle(true, false, false, false, vertices, pixels.data(), 641, &texture, nullptr, format, false,
                         {0, 0, 320, 3});
        std::vector<uint16_t> expected(641 * 4, 0x1234);
        for (int index : {0, 1, 320, 321, 640}) {
            expected[size_t(index)] = 0x0000;
        }
        EXPECT_EQ(pixels, expected) << std::hex << format;
    }
}

// Random triangles with random texels, colours and weights: over the same red and blue fields a 5-5-5
// routine writes the red and blue of its 5-6-5 twin on the same pixels; grey over grey keeps the three
// 5-5-5 fields equal; and over black a 5-6-5 routine writes its RGB twin's words packed.
TEST(SixteenBitPixelTest, TwinsAgree)
{
    std::mt19937 random(38);
    auto below = [&random](uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(random); };
    const int entries[] = {4, 6, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
    for (int round = 0; round < 400; ++round) {
        int entry = entries[below(std::size(entries))];
        bool grey = round % 2 == 0;
        auto channelWord = [&](uint32_t alpha) {
            uint32_t c = below(256);
            return grey ? alpha << 24 | c * 0x010101 : alpha << 24 | below(1u << 24);
        };
        std::vector<uint32_t> texels(16);
        for (uint32_t& texel : texels) {
            texel = channelWord(below(256));
        }
        uint32_t vertexColor = channelWord(below(256));
        uint32_t greyGlobal = below(256);
        TriangleColor global{int(below(256)), int(greyGlobal), int(grey ? greyGlobal : below(256)),
                             int(grey ? greyGlobal : below(256))};
        double u = 0.5 + below(300) / 100.0, v = 0.5 + below(300) / 100.0;
        uint32_t redBlue = grey ? below(32) * 0x0401 : below(0x10000) & 0x7C1F;
        uint32_t greyField = redBlue & 31;

        Canvas16 sixFive(4, 4, uint16_t((redBlue & 0x7C00) << 1 | (redBlue & 31) | (grey ? greyField << 6 : 0)));
        Canvas16 fiveFive(4, 4, uint16_t(redBlue | (grey ? greyField << 5 : 0)));
        DrawCorner(k565 + entry, texels, 4, u, v, vertexColor, global, sixFive);
        DrawCorner(k555 + entry, texels, 4, u, v, vertexColor, global, fiveFive);
        Canvas16 black565(4, 4, 0);
        Canvas rgbOverBlack(4, 4, 0xFF000000);
        DrawCorner(k565 + entry, texels, 4, u, v, vertexColor, global, black565);
        DrawCorner(32 + entry, texels, 4, u, v, vertexColor, global, rgbOverBlack);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x + y < 4; ++x) {
                Fields a = FieldsOf(sixFive.At(x, y), true);
                Fields b = FieldsOf(fiveFive.At(x, y), false);
                EXPECT_EQ(a.red, b.red) << entry << " at " << x << ", " << y;
                EXPECT_EQ(a.blue, b.blue) << entry << " at " << x << ", " << y;
                if (grey) {
                    EXPECT_EQ(b.green, b.red) << entry << " at " << x << ", " << y;
                }
                EXPECT_EQ(black565.At(x, y), Pack565(rgbOverBlack.At(x, y))) << entry << " at " << x << ", " << y;
            }
        }
    }
}
