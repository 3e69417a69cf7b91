// Rotated and fractionally placed blits: which pixels the span limits let through, the bilinear weights,
// the four ways a sample meets the destination, palette sources, and sources and transforms that must
// never lead outside an image.
#include "ImageFixtures.h"
#include "RotationReference.h"
#include "graphics/MemoryImage.h"
#include "graphics/RotationSampling.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <set>
#include <utility>

using namespace Tolm;
using namespace ImageFixtures;

namespace {

constexpr double Pi = 3.14159265358979323846;

// The pixels that differ between two images of one size, as (x, y) pairs.
std::set<std::pair<int, int>> Changed(const std::vector<uint32_t>& before, MemoryImage& after)
{
    std::set<std::pair<int, int>> changed;
    std::vector<uint32_t> now = ReadPixels(after);
    for (int y = 0; y < after.height; ++y) {
        for (int x = 0; x < after.width; ++x) {
            std::size_t i = std::size_t(y * after.width + x);
            if (now[i] != before[i]) {
                changed.insert({x, y});
            }
        }
    }
    return changed;
}

std::set<std::pair<int, int>> Block(int x0, int y0, int x1, int y1)
{
    std::set<std::pair<int, int>> block;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            block.insert({x, y});
        }
    }
    return block;
}

uint32_t At(MemoryImage& image, int x, int y)
{
    return image.GetBits()[y * image.width + x];
}

const Rect Whole10(0, 0, 10, 10);

TEST(RotatedBlitTest, FloatBlitAtAWholePositionLeavesOutTheFirstAndLastColumnsAndTheLastRow)
{
    MemoryImage source, dest;
    FillWith(source, 10, 10, 0xFFFF8000);
    FillWith(dest, 40, 40, 0xFF000000);
    std::vector<uint32_t> before = ReadPixels(dest);
    dest.BlitF(&source, 20.0f, 20.0f, Whole10, Rect(0, 0, 40, 40), Color::White, DrawModeNormal);
    EXPECT_EQ(Changed(before, dest), Block(21, 20, 28, 28));
    // The main weight is 254 and the neighbours' 0: 255 arrives as (255 x 254) >> 8 = 253, 128 as 127.
    EXPECT_EQ(At(dest, 21, 20), 0xFFFD7F00u);
    EXPECT_EQ(At(dest, 28, 28), 0xFFFD7F00u);
}

// Texel (i, j) of the weight fixtures: red 40 i, green 20 j, blue 255.
void FillGradient(MemoryImage& source, uint32_t alpha)
{
    std::vector<uint32_t> pixels(100);
    for (uint32_t j = 0; j < 10; ++j) {
        for (uint32_t i = 0; i < 10; ++i) {
            pixels[j * 10 + i] = (alpha << 24) | ((40 * i) << 16) | ((20 * j) << 8) | 0xFF;
        }
    }
    Fill(source, 10, 10, pixels);
}

TEST(RotatedBlitTest, HalfAndQuarterPixelPositionsWeighTheFourTexelsByArea)
{
    // At (20.5, 20.25) the first drawn pixel (21, 21) samples texel (0, 0) with fractions 32769 and 49153:
    // area weights 8191, 8191, 24575, 24577; alpha weights 31, 31, 95, 95 for opaque texels, T = 252.
    MemoryImage source, dest;
    FillGradient(source, 255);
    FillWith(dest, 40, 40, 0xFF000000);
    std::vector<uint32_t> before = ReadPixels(dest);
    dest.BlitF(&source, 20.5f, 20.25f, Whole10, Rect(0, 0, 40, 40), Color::White, DrawModeNormal);
    EXPECT_EQ(Changed(before, dest), Block(21, 21, 29, 29));
    EXPECT_EQ(At(dest, 21, 21), 0xFF130EFBu);

    // Half-transparent texels: alpha weights 15, 15, 47, 48, T = 125; over a clear pixel A' = 125.
    FillGradient(source, 128);
    FillWith(dest, 40, 40, 0x00000000);
    dest.BlitF(&source, 20.5f, 20.25f, Whole10, Rect(0, 0, 40, 40), Color::White, DrawModeNormal);
    EXPECT_EQ(At(dest, 21, 21), 0x7C120EFDu);
}

TEST(RotatedBlitTest, HalfTurnAboutTheMiddleSamplesEachPixelFromTheOppositeTexel)
{
    MemoryImage source, dest;
    std::vector<uint32_t> pixels(16);
    for (uint32_t j = 0; j < 4; ++j) {
        for (uint32_t i = 0; i < 4; ++i) {
            pixels[j * 4 + i] = 0xFF000080 | ((60 * i) << 16) | ((60 * j) << 8);
        }
    }
    Fill(source, 4, 4, pixels);
    FillWith(dest, 30, 30, 0xFF000000);
    std::vector<uint32_t> before = ReadPixels(dest);
    dest.BlitRotated(&source, 10, 10, Rect(0, 0, 4, 4), Rect(0, 0, 30, 30), Color::White, DrawModeNormal, Pi, 2, 2);
    // Rows map to v = 4 - i and columns to u = 4 - k texels; the limits keep k = 2, 3 and rows 2, 3.
    EXPECT_EQ(Changed(before, dest), Block(12, 12, 13, 13));
    EXPECT_EQ(At(dest, 12, 12), 0xFF77777Fu); // texel (2, 2)
    EXPECT_EQ(At(dest, 13, 12), 0xFF3B777Fu); // texel (1, 2)
    EXPECT_EQ(At(dest, 12, 13), 0xFF773B7Fu); // texel (2, 1)
    EXPECT_EQ(At(dest, 13, 13), 0xFF3B3B7Fu); // texel (1, 1)
}

TEST(RotatedBlitTest, QuarterTurnAboutTheMiddleStandsTheRectangleUpright)
{
    // 10 x 4 about (5, 2) at (20, 20): the bounds are 4 columns by 10 rows, (23, 17) to (26, 26). Row Y samples
    // u = 27 - Y texels and column X v = X - 23; the limits keep u in 1..8 and v in 1..2.
    MemoryImage source, dest;
    std::vector<uint32_t> pixels(40);
    for (uint32_t j = 0; j < 4; ++j) {
        for (uint32_t i = 0; i < 10; ++i) {
            pixels[j * 10 + i] = 0xFF000000 | ((20 * i) << 16) | ((50 * j) << 8);
        }
    }
    Fill(source, 10, 4, pixels);
    FillWith(dest, 40, 40, 0xFF000000);
    std::vector<uint32_t> before = ReadPixels(dest);
    dest.BlitRotated(&source, 20, 20, Rect(0, 0, 10, 4), Rect(0, 0, 40, 40), Color::White, DrawModeNormal, Pi / 2, 5,
                     2);
    EXPECT_EQ(Changed(before, dest), Block(24, 19, 25, 26));
    for (int y = 19; y <= 26; ++y) {
        for (int x = 24; x <= 25; ++x) {
            uint32_t i = uint32_t(27 - y), j = uint32_t(x - 23);
            uint32_t expected = 0xFF000000 | (((20 * i * 254) >> 8) << 16) | (((50 * j * 254) >> 8) << 8);
            EXPECT_EQ(At(dest, x, y), expected) << x << ", " << y;
        }
    }
}

struct CombineCase
{
    const char* name;
    uint32_t sourcePixel;
    uint32_t destPixel;
    Color color;
    int drawMode;
    uint32_t expected;
};

// Worked by hand at a whole position, where the single weight is (65534 x alpha) >> 16.
const CombineCase CombineCases[] = {
    // Draw mode 2 adds: 16 + 99, 32 + 49, 48 + 253 saturated; the alpha is kept.
    {"drawModeTwoAdds", 0xFF6432FF, 0x80102030, Color::White, 2, 0x807351FFu},
    // Alpha 251 weighs 250: A' = 256 - ((256 x 6) >> 8) = 250, stored as 249; 255 becomes 63744 / 250.
    {"weight250OntoClearPixel", 0xFBFFFFFF, 0x00000000, Color::White, DrawModeNormal, 0xF9FEFEFEu},
    // Tint alpha 128 scales the weight 254 to 127; red 126, green 63, blue 0 mixed with 99 x 129 over 256.
    {"tintedOverOpaque", 0xFFFFFFFF, 0xFF646464, Color(255, 128, 0, 128), DrawModeNormal, 0xFFAF7031u},
    // The tint scaled by its alpha is (128, 64, 0): red 16 + (128 x 253) >> 8, green 16 + (64 x 64770) >> 16.
    {"additiveTinted", 0xFFFFFFFF, 0x80101010, Color(255, 128, 0, 128), DrawModeAdditive, 0x808E4F10u},
    {"additiveWhite", 0xFF102030, 0x20FFFF00, Color::White, DrawModeAdditive, 0x20FFFF2Fu},
};

TEST(RotatedBlitTest, EachWayOfCombiningGivesTheWorkedPixel)
{
    for (const CombineCase& c : CombineCases) {
        MemoryImage source, dest;
        FillWith(source, 4, 4, c.sourcePixel);
        FillWith(dest, 8, 8, c.destPixel);
        dest.BlitF(&source, 2, 2, Rect(0, 0, 4, 4), Rect(0, 0, 8, 8), c.color, c.drawMode);
        EXPECT_EQ(At(dest, 3, 2), c.expected) << c.name;
    }
}

TEST(RotatedBlitTest, BoundsThatMissTheClipLeaveTheDestinationAndItsCountAlone)
{
    MemoryImage source, dest;
    FillWith(source, 10, 10, 0xFFFFFFFF);
    FillWith(dest, 40, 40, 0xFF000000);
    int count = dest.bitsChangedCount;
    dest.BlitRotated(&source, 20, 20, Whole10, Rect(0, 0, 10, 10), Color::White, DrawModeNormal, 0.3, 5, 5);
    EXPECT_EQ(dest.bitsChangedCount, count);
    RectD bounds;
    EXPECT_FALSE(MemoryImage::GetRotatedBounds(20, 20, Whole10, Rect(0, 0, 10, 10), 0.3, bounds, 5, 5));
    EXPECT_TRUE(MemoryImage::GetRotatedBounds(20, 20, Whole10, Rect(0, 0, 40, 40), 0, bounds, 5, 5));
    EXPECT_EQ(bounds, RectD(20, 20, 10, 10));
}

// The source rectangle of each case lies inside a larger image whose other pixels are pure red: a draw
// that reads outside its rectangle shows red.
struct RandomCase
{
    Rect sourceRect;
    float x, y;
    double angle;
    float centerX, centerY;
    Color color;
    int drawMode;
    bool palette;
    bool destAlpha;
};

RandomCase MakeCase(std::mt19937& random)
{
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    static const double Angles[] = {0, Pi / 2, Pi, -Pi / 2, 1e-4, 0.3, -1.1, 2.5, 4.0, -3.0};
    static const Color Colors[] = {Color::White, Color(255, 128, 0, 128), Color(90, 90, 90, 255),
                                   Color(255, 255, 255, 60), Color(0, 200, 255, 255)};
    RandomCase c;
    c.sourceRect = Rect(pick(0, 3), pick(0, 3), pick(1, 12), pick(1, 9));
    c.x = float(pick(-4, 24) + (pick(0, 1) ? uniform(0, 1) : 0));
    c.y = float(pick(-4, 24) + (pick(0, 1) ? uniform(0, 1) : 0));
    c.angle = pick(0, 1) ? Angles[pick(0, 9)] : uniform(-7, 7);
    c.centerX = float(pick(0, 1) ? c.sourceRect.width / 2 : uniform(-3, 12));
    c.centerY = float(pick(0, 1) ? c.sourceRect.height / 2 : uniform(-3, 9));
    c.color = Colors[pick(0, 4)];
    c.drawMode = pick(0, 2);
    c.palette = pick(0, 1) == 1;
    c.destAlpha = pick(0, 1) == 1;
    return c;
}

// The source: a red frame round a field whose texels vary in every channel; alpha 0, partial and opaque.
std::vector<uint32_t> FramedSource(const Rect& r, std::mt19937& random)
{
    std::vector<uint32_t> pixels(16 * 16, 0xFFFF0000);
    static const uint32_t Alphas[] = {0, 40, 128, 200, 255, 255, 255};
    for (int j = 0; j < r.height; ++j) {
        for (int i = 0; i < r.width; ++i) {
            uint32_t alpha = Alphas[random() % 7];
            pixels[std::size_t((r.y + j) * 16 + r.x + i)] =
                (alpha << 24) | (uint32_t(random() % 128) << 8) | uint32_t(random() % 256);
        }
    }
    return pixels;
}

TEST(RotatedBlitTest, AnyRotationMatchesThePlainReferenceAndReadsOnlyItsRectangle)
{
    std::mt19937 random(1234);
    for (int n = 0; n < 600; ++n) {
        RandomCase c = MakeCase(random);
        std::vector<uint32_t> sourcePixels = FramedSource(c.sourceRect, random);
        MemoryImage source, dest;
        Fill(source, 16, 16, sourcePixels);
        if (c.palette) {
            ASSERT_TRUE(source.ConvertToPalette());
        }
        std::vector<uint32_t> destPixels(24 * 20);
        for (uint32_t& p : destPixels) {
            p = ((c.destAlpha ? uint32_t(random() % 256) : 255u) << 24) | (uint32_t(random() % 128) << 8) |
                uint32_t(random() % 200);
        }
        Fill(dest, 24, 20, destPixels);
        Rect clip(1, 2, 21, 17);
        dest.BlitRotated(&source, c.x, c.y, c.sourceRect, clip, c.color, c.drawMode, c.angle, c.centerX, c.centerY);

        RotationReference::Canvas expected{24, 20, destPixels};
        RotationReference::Texels texels{c.sourceRect.width, c.sourceRect.height, {}};
        for (int j = 0; j < c.sourceRect.height; ++j) {
            for (int i = 0; i < c.sourceRect.width; ++i) {
                texels.pixels.push_back(sourcePixels[std::size_t((c.sourceRect.y + j) * 16 + c.sourceRect.x + i)]);
            }
        }
        RotationReference::Tint tint{uint32_t(c.color.red), uint32_t(c.color.green), uint32_t(c.color.blue),
                                     uint32_t(c.color.alpha)};
        RotationReference::Draw(expected, texels, c.x, c.y, {clip.x, clip.y, clip.width, clip.height}, tint, c.drawMode,
                                c.angle, c.centerX, c.centerY);
        std::vector<uint32_t> drawn = ReadPixels(dest);
        ASSERT_EQ(drawn, expected.pixels) << "case " << n << " angle " << c.angle << " at " << c.x << ", " << c.y;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            // No red from the frame: the field's red is 0 and the destination's too.
            ASSERT_EQ(drawn[i] & 0x00FF0000, 0u) << "case " << n << " read outside its rectangle";
        }
    }
}

// A wide image drawn by the float blit onto a destination of random alpha (or opaque on odd cases), checked
// against the plain reference; every row is long enough for whole vector blocks of samples.
void CheckWideDraw(std::mt19937& random, int n, float x, float y, const Rect& clip)
{
    static const Color Colors[] = {Color::White, Color(255, 128, 0, 128), Color(90, 90, 90, 255),
                                   Color(255, 255, 255, 60)};
    Rect sourceRect(int(random() % 4), int(random() % 3), 40 + int(random() % 60), 2 + int(random() % 5));
    std::vector<uint32_t> sourcePixels(110 * 10);
    for (uint32_t& p : sourcePixels) {
        static const uint32_t Alphas[] = {0, 40, 128, 200, 255, 255, 255};
        p = (Alphas[random() % 7] << 24) | (uint32_t(random()) & 0x00FFFFFF);
    }
    std::vector<uint32_t> destPixels(140 * 14);
    for (uint32_t& p : destPixels) {
        p = (n % 2 ? 0xFF000000 : uint32_t(random() % 256) << 24) | (uint32_t(random()) & 0x00FFFFFF);
    }
    MemoryImage source, dest;
    Fill(source, 110, 10, sourcePixels);
    Fill(dest, 140, 14, destPixels);
    if (n % 5 == 0) {
        for (uint32_t& p : sourcePixels) {
            p &= 0xFFC000C0;
        }
        Fill(source, 110, 10, sourcePixels);
        ASSERT_TRUE(source.ConvertToPalette());
    }
    Color color = Colors[n % 4];
    int drawMode = n % 3 == 2 ? DrawModeAdditive : DrawModeNormal;
    dest.BlitF(&source, x, y, sourceRect, clip, color, drawMode);

    RotationReference::Canvas expected{140, 14, destPixels};
    RotationReference::Texels texels{sourceRect.width, sourceRect.height, {}};
    for (int j = 0; j < sourceRect.height; ++j) {
        for (int i = 0; i < sourceRect.width; ++i) {
            texels.pixels.push_back(sourcePixels[std::size_t((sourceRect.y + j) * 110 + sourceRect.x + i)]);
        }
    }
    RotationReference::Tint tint{uint32_t(color.red), uint32_t(color.green), uint32_t(color.blue),
                                 uint32_t(color.alpha)};
    // The reference draws only inside its clip, so it gets the clip cut to the destination, as the blit cuts it.
    Rect cut = clip.Intersection(Rect(0, 0, 140, 14));
    RotationReference::Draw(expected, texels, x, y, {cut.x, cut.y, cut.width, cut.height}, tint, drawMode, 0, 0, 0);
    ASSERT_EQ(ReadPixels(dest), expected.pixels) << "case " << n << " at " << x << ", " << y;
}

TEST(RotatedBlitTest, WideImagesAtFractionalPositionsMatchThePlainReference)
{
    std::mt19937 random(77);
    for (int n = 0; n < 200; ++n) {
        float x = std::uniform_real_distribution<float>(-20, 60)(random);
        float y = std::uniform_real_distribution<float>(-3, 8)(random);
        CheckWideDraw(random, n, x, y, Rect(1, 0, 137, 13));
    }
}

// At whole-pixel positions the float blit still samples (its main weight is 254, not 255), so it keeps its
// own pixels rather than those of the whole-pixel blit; under any clip they are the reference's.
TEST(RotatedBlitTest, WideImagesAtWholePositionsMatchThePlainReferenceUnderAnyClip)
{
    std::mt19937 random(2025);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int n = 0; n < 300; ++n) {
        float x = float(pick(-20, 60));
        float y = float(pick(-3, 8));
        Rect clip(pick(-5, 60), pick(-3, 8), pick(0, 150), pick(0, 16));
        CheckWideDraw(random, n, x, y, clip);
    }
}

TEST(RotatedBlitTest, PaletteSourceDrawsLikeItsPixels)
{
    MemoryImage direct, palette, destA, destB;
    FillGradient(direct, 200);
    FillGradient(palette, 200);
    ASSERT_TRUE(palette.ConvertToPalette());
    FillWith(destA, 30, 30, 0x80402010);
    FillWith(destB, 30, 30, 0x80402010);
    for (int mode : {0, 1}) {
        destA.BlitRotated(&direct, 8.3f, 6.6f, Whole10, Rect(0, 0, 30, 30), Color(200, 100, 50, 180), mode, 0.7, 5, 5);
        destB.BlitRotated(&palette, 8.3f, 6.6f, Whole10, Rect(0, 0, 30, 30), Color(200, 100, 50, 180), mode, 0.7, 5, 5);
    }
    EXPECT_EQ(ReadPixels(destA), ReadPixels(destB));
    EXPECT_TRUE(palette.HasPalette());
}

TEST(RotatedBlitTest, ImageRotatedOntoItselfReadsThePixelsAsTheyWereBefore)
{
    MemoryImage self, copy, dest;
    FillGradient(self, 255);
    FillGradient(copy, 255);
    FillGradient(dest, 255);
    self.BlitRotated(&self, 1.5f, 0.5f, Rect(0, 0, 10, 10), Rect(0, 0, 10, 10), Color::White, DrawModeNormal, 0.4, 5,
                     5);
    dest.BlitRotated(&copy, 1.5f, 0.5f, Rect(0, 0, 10, 10), Rect(0, 0, 10, 10), Color::White, DrawModeNormal, 0.4, 5,
                     5);
    EXPECT_EQ(ReadPixels(self), ReadPixels(dest));
}

TEST(RotatedBlitTest, SourcesOutsideTheImageAndUnusableTransformsDrawNothing)
{
    MemoryImage source, dest;
    FillWith(source, 10, 10, 0xFFFFFFFF);
    FillWith(dest, 20, 20, 0xFF000000);
    std::vector<uint32_t> before = ReadPixels(dest);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Rect clip(0, 0, 20, 20);
    const Rect outside[] = {Rect(-1, 0, 5, 5), Rect(0, -2, 5, 5), Rect(6, 0, 5, 5),
                            Rect(0, 8, 5, 5),  Rect(0, 0, 0, 5),  Rect(2, 2, -3, 4)};
    for (const Rect& r : outside) {
        dest.BlitRotated(&source, 2, 2, r, clip, Color::White, DrawModeNormal, 0.5, 2, 2);
        dest.BlitF(&source, 2.5f, 2.5f, r, clip, Color::White, DrawModeAdditive);
    }
    dest.BlitRotated(&source, nan, 2, Whole10, clip, Color::White, DrawModeNormal, 0.5, 2, 2);
    dest.BlitRotated(&source, 2, inf, Whole10, clip, Color::White, DrawModeNormal, 0.5, 2, 2);
    dest.BlitRotated(&source, 2, 2, Whole10, clip, Color::White, DrawModeNormal, double(nan), 2, 2);
    dest.BlitRotated(&source, 2, 2, Whole10, clip, Color::White, DrawModeNormal, 0.5, -inf, 2);
    dest.BlitRotated(&source, 2, 2, Whole10, clip, Color::White, DrawModeNormal, 0.5, 2, nan);
    dest.BlitRotated(&source, 3e38f, -3e38f, Whole10, clip, Color::White, DrawModeNormal, 1e300, 1e30f, -1e30f);
    dest.BlitF(&source, -2e9f, 2e9f, Whole10, clip, Color::White, DrawModeNormal);
    EXPECT_EQ(ReadPixels(dest), before);
}

TEST(RotatedBlitTest, HugeCentresAndClipsBeyondTheImageStayInside)
{
    MemoryImage source, dest;
    FillWith(source, 10, 10, 0xFFFFFFFF);
    FillWith(dest, 20, 20, 0xFF000000);
    // A clip larger than the image is cut to it; a far centre turns the rectangle far away or across it.
    dest.BlitRotated(&source, -5, -5, Whole10, Rect(-100, -100, 1000, 1000), Color::White, DrawModeNormal, 0.2, 5, 5);
    dest.BlitRotated(&source, 0, 0, Whole10, Rect(0, 0, 20, 20), Color::White, DrawModeAdditive, 3.0, 4e6f, -7e6f);
    dest.BlitRotated(&source, -1e7f, 1e7f, Whole10, Rect(INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX), Color::White,
                     DrawModeNormal, 1.0, 1e7f, -1e7f);
    SUCCEED();
}

#if defined(__SSE2__)
TEST(RotatedBlitTest, VectorSampleGivesThePlainSums)
{
    std::mt19937 random(99);
    std::vector<uint32_t> texels(6 * 5);
    static const uint32_t Alphas[] = {0, 1, 2, 127, 128, 254, 255};
    for (int n = 0; n < 20000; ++n) {
        for (uint32_t& t : texels) {
            t = (Alphas[random() % 7] << 24) | (uint32_t(random()) & 0x00FFFFFF);
        }
        RotationSampling::DirectTexels direct{texels.data(), 6};
        int64_t u = int64_t(random() % (4 * 65536)), v = int64_t(random() % (3 * 65536));
        uint32_t tint = n % 3 == 0 ? 256 : uint32_t(random() % 256);
        RotationSampling::Sums plain = RotationSampling::SamplePlain(direct, u, v, tint);
        RotationSampling::Sums vector = RotationSampling::SampleSse2(direct, u, v, tint);
        ASSERT_EQ(vector.red, plain.red) << n;
        ASSERT_EQ(vector.green, plain.green) << n;
        ASSERT_EQ(vector.blue, plain.blue) << n;
        ASSERT_EQ(vector.total, plain.total) << n;
        ASSERT_EQ(vector.weighed, plain.weighed) << n;
    }
}
#endif

} // namespace
