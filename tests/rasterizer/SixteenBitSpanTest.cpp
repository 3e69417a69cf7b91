// The four-pixel spans of the 5-6-5 and 5-5-5 routines against the routines' pixel step, one pixel at a
// time: the bilinear blended span over random textures and destinations, and the shaded fill's span over
// alphas either side of its opaque threshold, must leave the very same pixels, and draw nothing past the
// pixels they say they drew.
#include "rasterizer/BilinearSpan.h"
#include "rasterizer/FixedPoint.h"
#include "rasterizer/ShadedSpan.h"
#include "rasterizer/TrianglePixelStep.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace Tolm;

namespace {

constexpr uint32_t kAlphas[] = {0, 1, 8, 9, 64, 127, 128, 200, 239, 240, 241, 254, 255};

class Values
{
public:
    explicit Values(uint32_t seed) : random(seed) {}

    uint32_t Below(uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(random); }
    uint32_t Word() { return kAlphas[Below(std::size(kAlphas))] << 24 | Below(1u << 24); }

private:
    std::mt19937 random;
};

// Draws count pixels from `from` by the span, then the rest by the pixel step, as a routine does.
template <class Format, TriangleFeatures Features, class Span>
std::vector<uint16_t> DrawBySpan(std::vector<uint16_t> pixels, int count, InterpolantValues values,
                                 const InterpolantValues& steps, const TriangleTexture& texture, Span span)
{
    const int32_t drawn = span(pixels.data() + 1, count, values);
    EXPECT_EQ(drawn % 4, 0);
    for (int q = 0; q < kInterpolantCount; ++q) {
        values[q] = FixedPoint::Advance(values[q], steps[q], drawn);
    }
    for (int k = drawn; k < count; ++k) {
        TrianglePixelStep<Format, Features>::Apply(&pixels[std::size_t(k) + 1], values, texture, TriangleColor{});
        for (int q = 0; q < kInterpolantCount; ++q) {
            values[q] = FixedPoint::Add(values[q], steps[q]);
        }
    }
    return pixels;
}

template <class Format, TriangleFeatures Features>
std::vector<uint16_t> DrawByPixelStep(std::vector<uint16_t> pixels, int count, InterpolantValues values,
                                      const InterpolantValues& steps, const TriangleTexture& texture)
{
    return DrawBySpan<Format, Features>(pixels, count, values, steps, texture,
                                        [](uint16_t*, int32_t, const InterpolantValues&) { return 0; });
}

template <class Format>
void ExpectBilinearSpansAsThePixelStep(uint32_t seed)
{
    Values random(seed);
    for (int round = 0; round < 400; ++round) {
        std::vector<uint32_t> texels(1 + random.Below(40));
        for (uint32_t& texel : texels) {
            texel = random.Word();
        }
        const TriangleTexture texture{texels.data(), 1 + int(random.Below(7)), int(texels.size())};
        const int count = int(random.Below(27));
        std::vector<uint16_t> destination(std::size_t(count) + 2);
        for (uint16_t& pixel : destination) {
            pixel = uint16_t(random.Below(0x10000));
        }
        InterpolantValues values{};
        InterpolantValues steps{};
        values[kU] = int32_t(random.Below(0x80000)) - 0x10000;
        values[kV] = int32_t(random.Below(0x80000)) - 0x10000;
        steps[kU] = int32_t(random.Below(0x30000)) - 0x18000;
        steps[kV] = int32_t(random.Below(0x30000)) - 0x18000;
        const auto span = [&](uint16_t* pixel, int32_t n, const InterpolantValues& at) {
            return BilinearSpan<Format, kPlainBilinearBlend>::Draw(pixel, n, at[kU], at[kV], steps[kU], steps[kV],
                                                                   texture);
        };
        ASSERT_EQ((DrawBySpan<Format, kPlainBilinearBlend>(destination, count, values, steps, texture, span)),
                  (DrawByPixelStep<Format, kPlainBilinearBlend>(destination, count, values, steps, texture)))
            << "round " << round << ", " << count << " pixels";
    }
}

template <class Format>
void ExpectShadedSpansAsThePixelStep(uint32_t seed)
{
    constexpr TriangleFeatures shaded{false, false, true, false, false};
    Values random(seed);
    const TriangleTexture texture;
    for (int round = 0; round < 400; ++round) {
        const int count = int(random.Below(27));
        std::vector<uint16_t> destination(std::size_t(count) + 2);
        for (uint16_t& pixel : destination) {
            pixel = uint16_t(random.Below(0x10000));
        }
        InterpolantValues values{};
        InterpolantValues steps{};
        // Alphas that cross 240.0 and 8.0 within a span or dip below 0; channels from below 0 to past 255.
        values[kAlpha] = int32_t(random.Below(0x1100000)) - 0x40000;
        steps[kAlpha] = random.Below(3) == 0 ? 0 : int32_t(random.Below(0x400000)) - 0x200000;
        for (Interpolant q : {kRed, kGreen, kBlue}) {
            values[q] = int32_t(random.Below(0x1200000)) - 0x80000;
            steps[q] = int32_t(random.Below(0x500000)) - 0x280000;
        }
        const auto span = [&](uint16_t* pixel, int32_t n, const InterpolantValues& at) {
            return ShadedSpan<Format>::Draw(pixel, n, at, steps);
        };
        ASSERT_EQ((DrawBySpan<Format, shaded>(destination, count, values, steps, texture, span)),
                  (DrawByPixelStep<Format, shaded>(destination, count, values, steps, texture)))
            << "round " << round << ", " << count << " pixels";
    }
}

TEST(SixteenBitSpanTest, BilinearSpansLeaveThePixelsOfThePixelStep)
{
    ExpectBilinearSpansAsThePixelStep<Rgb565Pixels>(1);
    ExpectBilinearSpansAsThePixelStep<Rgb555Pixels>(2);
}

TEST(SixteenBitSpanTest, ShadedSpansLeaveThePixelsOfThePixelStep)
{
    ExpectShadedSpansAsThePixelStep<Rgb565Pixels>(3);
    ExpectShadedSpansAsThePixelStep<Rgb555Pixels>(4);
}

} // namespace
