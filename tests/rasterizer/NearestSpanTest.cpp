// The eight-pixel spans of the nearest-texel blended routines against the routines' pixel step, one pixel
// at a time: random spans over random textures and destinations, with the alphas and weights where the
// arithmetic changes course, and vertex colours that run past 255 and below 0, must leave the very same
// words, and the pixels either side unchanged.
#include "rasterizer/NearestSpan.h"

#include "rasterizer/FixedPoint.h"
#include "rasterizer/NearestSpanKernels.h"
#include "rasterizer/TrianglePixelStep.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace Tolm;

namespace {

// The alphas at which skips, stores and blends change course, and the colours' ends.
constexpr uint32_t kAlphas[] = {0, 1, 8, 9, 64, 127, 128, 200, 239, 240, 241, 254, 255};

class Words
{
public:
    explicit Words(uint32_t seed) : random(seed) {}

    uint32_t Below(uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(random); }
    uint32_t Alpha() { return Below(3) == 0 ? Below(256) : kAlphas[Below(std::size(kAlphas))]; }
    uint32_t Channel() { return Below(4) == 0 ? 255 * Below(2) : Below(256); }
    uint32_t Word() { return Alpha() << 24 | Channel() << 16 | Channel() << 8 | Channel(); }

private:
    std::mt19937 random;
};

template <class Format, TriangleFeatures Features>
void ExpectSameWordsAsThePixelStep(const NearestSpanKernels& kernels, uint32_t seed)
{
    constexpr SpanModulation modulation = Features.vertexColors  ? SpanModulation::Vertex
                                          : Features.globalColor ? SpanModulation::Global
                                                                 : SpanModulation::None;
    const NearestSpanKernel kernel = kernels[NearestSpanIndex(std::is_same_v<Format, Argb8888Pixels>, modulation)];
    Words words(seed);
    for (int round = 0; round < 400; ++round) {
        std::vector<uint32_t> texels(1 + words.Below(40));
        for (uint32_t& texel : texels) {
            texel = words.Word();
        }
        const TriangleTexture texture{texels.data(), 1 + int(words.Below(7)), int(texels.size())};
        TriangleColor color;
        if (Features.globalColor) {
            color = {int(words.Alpha()), int(words.Channel()), int(words.Channel()), int(words.Channel())};
        }
        const int count = int(words.Below(27));
        // The span with a guard pixel on either side.
        std::vector<uint32_t> destination(std::size_t(count) + 2);
        // Some rounds over one opaque row, as the screen is, where the blend divides by shifting.
        const bool opaque = words.Below(3) == 0;
        for (uint32_t& word : destination) {
            word = opaque ? 0xFF000000 | words.Word() : words.Word();
        }
        // Coordinates that step across texel edges, past the texture's ends and backwards.
        const int32_t u = int32_t(words.Below(0x80000)) - 0x10000;
        const int32_t v = int32_t(words.Below(0x80000)) - 0x10000;
        const int32_t du = int32_t(words.Below(0x30000)) - 0x18000;
        const int32_t dv = int32_t(words.Below(0x30000)) - 0x18000;

        InterpolantValues start{};
        InterpolantValues steps{};
        start[kU] = u;
        start[kV] = v;
        steps[kU] = du;
        steps[kV] = dv;
        if (Features.vertexColors) {
            // Channels of 8.16 from a little below 0 to a little past 255, stepping up to 40 a pixel
            // either way, some of them flat.
            for (Interpolant q : {kAlpha, kRed, kGreen, kBlue}) {
                start[q] = int32_t(words.Below(0x1200000)) - 0x80000;
                steps[q] = words.Below(4) == 0 ? 0 : int32_t(words.Below(0x500000)) - 0x280000;
            }
        }

        std::vector<uint32_t> expected = destination;
        InterpolantValues values = start;
        for (int k = 0; k < count; ++k) {
            TrianglePixelStep<Format, Features>::Apply(&expected[std::size_t(k) + 1], values, texture, color);
            for (int q = 0; q < kInterpolantCount; ++q) {
                values[q] = FixedPoint::Add(values[q], steps[q]);
            }
        }
        std::vector<uint32_t> drawn = destination;
        kernel(drawn.data() + 1, count, start, NearestSpanSetup(steps, texture, color));
        ASSERT_EQ(drawn, expected) << "round " << round << ", " << count << " pixels";
    }
}

TEST(NearestSpanTest, SpansLeaveTheWordsOfThePixelStep)
{
    const NearestSpanKernels* kernels = Avx2NearestSpans();
    if (!kernels) {
        GTEST_SKIP() << "no AVX2 here";
    }
    ExpectSameWordsAsThePixelStep<Argb8888Pixels, kTintedNearestBlend>(*kernels, 1);
    ExpectSameWordsAsThePixelStep<Argb8888Pixels, kPlainNearestBlend>(*kernels, 2);
    ExpectSameWordsAsThePixelStep<Rgb888Pixels, kTintedNearestBlend>(*kernels, 3);
    ExpectSameWordsAsThePixelStep<Rgb888Pixels, kPlainNearestBlend>(*kernels, 4);
    ExpectSameWordsAsThePixelStep<Argb8888Pixels, kShadedNearestBlend>(*kernels, 5);
    ExpectSameWordsAsThePixelStep<Rgb888Pixels, kShadedNearestBlend>(*kernels, 6);
}

// With kernels the span is drawn whole; without them the routine's pixel step draws it all.
TEST(NearestSpanTest, TheRoutinesDrawWholeSpansWhereThereAreKernels)
{
    const uint32_t texel = 0x80FFFFFF;
    const TriangleTexture texture{&texel, 1, 1};
    uint32_t pixels[11] = {};
    NearestSpan<Rgb888Pixels, kPlainNearestBlend> plain;
    plain.Prepare(InterpolantValues{}, texture, TriangleColor{});
    EXPECT_EQ(plain.Draw(pixels, 11, InterpolantValues{}), ActiveNearestSpans() ? 11 : 0);
    NearestSpan<Argb8888Pixels, kShadedTintedNearestBlend> shaded;
    shaded.Prepare(InterpolantValues{}, texture, TriangleColor{});
    EXPECT_EQ(shaded.Draw(pixels, 11, InterpolantValues{}), ActiveNearestSpans() ? 11 : 0);
}

TEST(NearestSpanTest, OtherRoutinesDrawNoPixelHere)
{
    uint32_t pixel[4] = {};
    const TriangleTexture texture;
    const TriangleColor color;
    constexpr TriangleFeatures opaqueTinted{true, false, false, true, false};
    constexpr TriangleFeatures opaqueShaded{true, false, true, false, false};
    NearestSpan<Rgb888Pixels, opaqueTinted> tinted;
    tinted.Prepare(InterpolantValues{}, texture, color);
    EXPECT_EQ(tinted.Draw(pixel, 4, InterpolantValues{}), 0);
    NearestSpan<Argb8888Pixels, opaqueShaded> shaded;
    shaded.Prepare(InterpolantValues{}, texture, color);
    EXPECT_EQ(shaded.Draw(pixel, 4, InterpolantValues{}), 0);
    NearestSpan<Rgb565Pixels, kShadedNearestBlend> sixteenBit;
    sixteenBit.Prepare(InterpolantValues{}, texture, color);
    EXPECT_EQ(sixteenBit.Draw(reinterpret_cast<uint16_t*>(pixel), 4, InterpolantValues{}), 0);
}

} // namespace
