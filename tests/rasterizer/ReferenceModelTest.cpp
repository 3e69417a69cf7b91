// Every entry of the routine table, and the strip entry, against the independent reference model: random
// strips over random destinations, textures and colours, with the alphas where the arithmetic changes
// course, compared word for word including a guard band around the destination.
#include "RasterCanvas.h"
#include "ReferenceRasterizer.h"
#include "rasterizer/TriangleRoutineTable.h"
#include "rasterizer/TriangleStrip.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace Tolm;
using RasterTest::BasicCanvas;

namespace {

constexpr int kWidth = 20;
constexpr int kHeight = 16;
constexpr int kFormats[4] = {kFormatArgb8888, kFormatRgb888, kFormatRgb565, kFormatRgb555};

// The alphas at which thresholds, skips and divisions change.
constexpr uint32_t kAlphas[] = {0, 1, 7, 8, 9, 64, 127, 128, 129, 200, 239, 240, 241, 254, 255};

class Scenario
{
public:
    explicit Scenario(uint32_t seed) : random(seed) {}

    uint32_t Alpha() { return kAlphas[Below(std::size(kAlphas))]; }

    uint32_t Channel()
    {
        switch (Below(4)) {
        case 0:
            return 0;
        case 1:
            return 255;
        default:
            return Below(256);
        }
    }

    uint32_t Word() { return Alpha() << 24 | Channel() << 16 | Channel() << 8 | Channel(); }

    Reference::Texture MakeTexture()
    {
        Reference::Texture texture;
        texture.width = 1 + int(Below(6));
        texture.height = 1 + int(Below(6));
        bool uniform = Below(4) == 0;
        uint32_t shared = Word();
        for (int k = 0; k < texture.width * texture.height; ++k) {
            texture.texels.push_back(uniform ? shared : Word());
        }
        return texture;
    }

    // 32-bit pixels of one alpha kind, or 16-bit pixels of any value (bit 15 included).
    template <typename Pixel>
    BasicCanvas<Pixel> MakeCanvas()
    {
        uint32_t mode = Below(4);
        BasicCanvas<Pixel> canvas(kWidth, kHeight, 0, int(Below(sizeof(Pixel))));
        for (int y = -canvas.kGuard; y < kHeight + canvas.kGuard; ++y) {
            for (int x = -canvas.kGuard; x < kWidth + canvas.kGuard; ++x) {
                uint32_t color = Channel() << 16 | Channel() << 8 | Channel();
                uint32_t alpha = mode == 0 ? 255 : mode == 1 ? 0 : mode == 2 ? Alpha() : Below(256);
                canvas.At(x, y) = sizeof(Pixel) == 4 ? Pixel(alpha << 24 | color) : Pixel(Below(0x10000));
            }
        }
        return canvas;
    }

    // A coordinate inside 0 .. limit - 1, on whole or half pixels now and then.
    float Coordinate(int limit)
    {
        float value = std::uniform_real_distribution<float>(0.0f, float(limit - 1))(random);
        switch (Below(5)) {
        case 0:
            return std::floor(value);
        case 1:
            return std::floor(value) + 0.5f;
        default:
            return value;
        }
    }

    float TexelFraction() { return std::uniform_real_distribution<float>(-0.3f, 1.3f)(random); }

    std::vector<TexVertex> MakeStrip(bool uniformColor)
    {
        std::vector<TexVertex> strip(3 + Below(4));
        uint32_t shared = Word();
        float sharedU = TexelFraction(), sharedV = TexelFraction();
        bool uniformTexel = Below(4) == 0;
        for (TexVertex& vertex : strip) {
            vertex.x = Coordinate(kWidth);
            vertex.y = Coordinate(kHeight);
            vertex.u = uniformTexel ? sharedU : TexelFraction();
            vertex.v = uniformTexel ? sharedV : TexelFraction();
            vertex.color = uniformColor ? shared : Word();
        }
        return strip;
    }

    Color MakeColor()
    {
        if (Below(3) == 0) {
            return Color::White;
        }
        return Color(int(Channel()), int(Channel()), int(Channel()), int(Alpha()));
    }

    uint32_t Below(uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(random); }

private:
    std::mt19937 random;
};

FixedVertex ToFixed(const TexVertex& vertex, const Reference::Texture& texture)
{
    FixedVertex fixed = RasterTest::WithColor({}, vertex.color);
    fixed.x = int32_t(vertex.x * 65536.0f);
    fixed.y = int32_t(vertex.y * 65536.0f);
    fixed.u = int32_t(float(texture.width) * vertex.u * 65536.0f);
    fixed.v = int32_t(float(texture.height) * vertex.v * 65536.0f);
    return fixed;
}

Reference::Vertex ToReference(const FixedVertex& fixed)
{
    return {fixed.x, fixed.y, fixed.a, fixed.r, fixed.g, fixed.b, fixed.u, fixed.v};
}

// The strips of one table entry, with the routine and with the model, over the same random canvas.
template <typename Pixel>
void CompareEntry(int index, uint32_t seed)
{
    int entry = index % 32;
    Scenario scenario(uint32_t(index) * 1000 + seed);
    Reference::Texture texture = scenario.MakeTexture();
    BasicCanvas<Pixel> canvas = scenario.MakeCanvas<Pixel>();
    BasicCanvas<Pixel> expected = canvas;
    std::vector<TexVertex> strip = scenario.MakeStrip(seed % 3 == 0);
    Color color = scenario.MakeColor();
    TriangleColor triangleColor{color.alpha, color.red, color.green, color.blue};
    TriangleTexture triangleTexture{texture.texels.data(), texture.width, texture.width * texture.height};

    for (size_t i = 0; i + 2 < strip.size(); ++i) {
        FixedVertex fixed[3] = {ToFixed(strip[i], texture), ToFixed(strip[i + 1], texture),
                                ToFixed(strip[i + 2], texture)};
        Reference::Vertex model[3] = {ToReference(fixed[0]), ToReference(fixed[1]), ToReference(fixed[2])};
        DispatchTriangle(entry & 16, entry & 8, entry & 4, entry & 2, fixed, canvas.Origin(), canvas.Pitch(),
                         &triangleTexture, &triangleColor, kFormats[index / 32], entry & 1, canvas.Limits());
        Reference::DrawTriangle(index, model, expected.OriginBytes(), expected.Pitch(), &texture,
                                {color.alpha, color.red, color.green, color.blue});
    }
    ASSERT_EQ(canvas.Words(), expected.Words()) << "table index " << index << ", seed " << seed;
}

template <typename Pixel>
void CompareStrip(Scenario& scenario, int format, uint32_t seed)
{
    Reference::Texture texture = scenario.MakeTexture();
    bool textured = scenario.Below(4) != 0;
    bool hasTransparency = scenario.Below(2) == 0;
    bool hasSemiAlpha = scenario.Below(2) == 0;
    bool bilinear = scenario.Below(2) == 0;
    bool vertexColors = scenario.Below(2) == 0;
    Color color = scenario.MakeColor();
    BasicCanvas<Pixel> canvas = scenario.MakeCanvas<Pixel>();
    BasicCanvas<Pixel> expected = canvas;
    std::vector<TexVertex> strip = scenario.MakeStrip(false);

    TriangleTextureView view{texture.texels.data(), texture.width, texture.height, hasTransparency, hasSemiAlpha};
    RasterizeTriangleStrip(strip.data(), int(strip.size()), textured ? &view : nullptr, color, DrawModeNormal,
                           canvas.Clip(), canvas.Origin(), canvas.Pitch(), format, bilinear, vertexColors);
    Reference::DrawStrip(strip, textured ? &texture : nullptr, hasTransparency, hasSemiAlpha, color,
                         expected.OriginBytes(), expected.Pitch(), format, bilinear, vertexColors);
    ASSERT_EQ(canvas.Words(), expected.Words()) << "seed " << seed;
}

} // namespace

TEST(TriangleReferenceModelTest, EveryTableEntryDrawsAsTheReferenceModel)
{
    for (int index = 0; index < kTriangleRoutineCount; ++index) {
        for (uint32_t seed = 0; seed < 60; ++seed) {
            if (index < 64) {
                CompareEntry<uint32_t>(index, seed);
            } else {
                CompareEntry<uint16_t>(index, seed);
            }
        }
    }
}

TEST(TriangleReferenceModelTest, StripEntryDrawsAsTheReferenceModel)
{
    const int formats[] = {kFormatArgb8888, kFormatRgb888, 0x1234, kFormatRgb565, kFormatRgb555};
    for (uint32_t seed = 0; seed < 3000; ++seed) {
        Scenario scenario(seed);
        int format = formats[scenario.Below(5)];
        if (format == kFormatRgb565 || format == kFormatRgb555) {
            CompareStrip<uint16_t>(scenario, format, seed);
        } else {
            CompareStrip<uint32_t>(scenario, format, seed);
        }
    }
}
