// Scaled blits onto memory images: the area filter and the nearest-pixel engine on small images whose
// results are worked out by hand from the filter's weights, the clipping of the source rectangle, and random
// stretches of every kind against the plain reference.
#include "ImageFixtures.h"
#include "StretchReference.h"
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>
#include <random>

using namespace Tolm;
using namespace ImageFixtures;

namespace {

std::vector<uint32_t> Stretch(const std::vector<uint32_t>& sourcePixels, int sw, int sh, uint32_t background, int dw,
                              int dh, const Rect& destRect, const Color& color, bool fast, int* changes = nullptr)
{
    MemoryImage source;
    Fill(source, sw, sh, sourcePixels);
    MemoryImage dest;
    FillWith(dest, dw, dh, background);
    int before = dest.bitsChangedCount;
    dest.StretchBlit(&source, destRect, Rect(0, 0, sw, sh), Rect(0, 0, dw, dh), color, DrawModeNormal, fast);
    if (changes) {
        *changes = dest.bitsChangedCount - before;
    }
    return Pixels(dest);
}

TEST(StretchBlitTest, EnlargingInterpolatesBetweenNeighbours)
{
    // Black left column, white right column, to 4 x 4 over black. Horizontal weights 257 | 171, 86 |
    // 85, 172 | 257; vertical rows repeat. Sums >> 16: 0, 85, 171, 255, each then (c * 255) >> 8.
    std::vector<uint32_t> row{0xFF000000, 0xFF545454, 0xFFAAAAAA, 0xFFFEFEFE};
    std::vector<uint32_t> expected;
    for (int i = 0; i < 4; ++i) {
        expected.insert(expected.end(), row.begin(), row.end());
    }
    EXPECT_EQ(Stretch({0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}, 2, 2, 0xFF000000, 4, 4, Rect(0, 0, 4, 4),
                      Color::White, false),
              expected);
}

TEST(StretchBlitTest, HalvingGivesEachSourcePixelAQuarterWeight)
{
    // Weight (int)(0.5 * 257) = 128 across, (int)(0.5 * 256) = 128 down: the sum is 200 << 16 exactly, then
    // (200 * 255) >> 8 = 199 over the black destination.
    EXPECT_EQ(
        Stretch(std::vector<uint32_t>(16, 0xFFC8C8C8), 4, 4, 0xFF000000, 2, 2, Rect(0, 0, 2, 2), Color::White, false),
        std::vector<uint32_t>(4, 0xFFC7C7C7));
}

TEST(StretchBlitTest, OnePixelWideDestinationAveragesTheWholeRow)
{
    // m = 1/4: four weights of 64, sum 64 * 555 * 256 >> 16 = 138, then (138 * 255) >> 8 = 137.
    EXPECT_EQ(Stretch({0xFF000000, 0xFF646464, 0xFFC8C8C8, 0xFFFFFFFF}, 4, 1, 0xFF000000, 1, 1, Rect(0, 0, 1, 1),
                      Color::White, false),
              std::vector<uint32_t>{0xFF898989});
}

TEST(StretchBlitTest, ClearBlackSourcePixelsDarkenTheAverage)
{
    // Colours are not weighted by alpha: white and clear black average to 127 with alpha 127, and
    // (127 * 127) >> 8 = 63 over black.
    EXPECT_EQ(Stretch({0xFFFFFFFF, 0x00000000}, 2, 1, 0xFF000000, 1, 1, Rect(0, 0, 1, 1), Color::White, false),
              std::vector<uint32_t>{0xFF3F3F3F});
}

TEST(StretchBlitTest, SmoothEngineIgnoresTheTint)
{
    std::vector<uint32_t> source(16, 0xFFC8C8C8);
    EXPECT_EQ(Stretch(source, 4, 4, 0xFF000000, 2, 2, Rect(0, 0, 2, 2), Color(255, 0, 0, 100), false),
              Stretch(source, 4, 4, 0xFF000000, 2, 2, Rect(0, 0, 2, 2), Color::White, false));
}

TEST(StretchBlitTest, FastEngineSamplesTheNearestPixelAndBlendsLikeTheGeneralBlit)
{
    // At the source size every pixel is placed once; opaque over opaque weighs 255, so 255 over 0 is 254.
    EXPECT_EQ(Stretch({0xFFFFFFFF, 0xFF000000, 0x00FFFFFF, 0x80FF0000}, 2, 2, 0xFF000000, 2, 2, Rect(0, 0, 2, 2),
                      Color::White, true),
              (std::vector<uint32_t>{0xFFFEFEFE, 0xFF000000, 0xFF000000, 0xFF7F0000}));
    // Doubling repeats each source column and row.
    EXPECT_EQ(Stretch({0xFFFFFFFF, 0xFF000000}, 2, 1, 0xFF000000, 4, 2, Rect(0, 0, 4, 2), Color::White, true),
              (std::vector<uint32_t>{0xFFFEFEFE, 0xFFFEFEFE, 0xFF000000, 0xFF000000, 0xFFFEFEFE, 0xFFFEFEFE, 0xFF000000,
                                     0xFF000000}));
}

TEST(StretchBlitTest, FastEngineDrawsNothingTintedButCountsTheChange)
{
    int changes = 0;
    EXPECT_EQ(
        Stretch({0xFFFFFFFF}, 1, 1, 0xFF000000, 2, 2, Rect(0, 0, 2, 2), Color(255, 255, 255, 254), true, &changes),
        std::vector<uint32_t>(4, 0xFF000000));
    EXPECT_EQ(changes, 1);
}

TEST(StretchBlitTest, DestinationOutsideTheClipDrawsNothing)
{
    for (bool fast : {false, true}) {
        int changes = -1;
        EXPECT_EQ(Stretch({0xFFFFFFFF}, 1, 1, 0xFF000000, 4, 4, Rect(5, 0, 2, 2), Color::White, fast, &changes),
                  std::vector<uint32_t>(16, 0xFF000000));
        EXPECT_EQ(changes, 0);
    }
}

TEST(StretchBlitTest, BadSourceRectanglesDrawNothing)
{
    MemoryImage source;
    FillWith(source, 4, 4, 0xFFFFFFFF);
    for (Rect sourceRect : {Rect(-1, 0, 4, 4), Rect(0, -2, 2, 2), Rect(2, 0, 4, 4), Rect(0, 3, 4, 2), Rect(0, 0, 0, 4),
                            Rect(0, 0, 4, -1)}) {
        MemoryImage dest;
        FillWith(dest, 8, 8, 0xFF000000);
        int before = dest.bitsChangedCount;
        dest.StretchBlit(&source, Rect(0, 0, 8, 8), sourceRect, Rect(0, 0, 8, 8), Color::White, DrawModeNormal, false);
        dest.StretchBlit(&source, Rect(0, 0, 8, 8), sourceRect, Rect(0, 0, 8, 8), Color::White, DrawModeNormal, true);
        EXPECT_EQ(dest.bitsChangedCount, before);
        EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(64, 0xFF000000));
    }
}

TEST(StretchBlitTest, ClippingTheDestinationCutsTheSourceInProportion)
{
    struct Case
    {
        const char* name;
        Rect source, clip, dest;
        bool result;
        RectD expectedSource;
        Rect expectedDest;
    } cases[] = {
        {"left cut", {0, 0, 10, 10}, {0, 0, 100, 100}, {-5, 0, 20, 10}, true, {2.5, 0, 7.5, 10}, {0, 0, 15, 10}},
        {"right and bottom cut", {2, 2, 8, 4}, {0, 0, 10, 10}, {4, 8, 16, 8}, true, {2, 2, 3, 1}, {4, 8, 6, 2}},
        {"nothing left", {0, 0, 10, 10}, {0, 0, 5, 5}, {6, 6, 4, 4}, false, {}, {}},
        {"empty destination", {0, 0, 10, 10}, {0, 0, 5, 5}, {0, 0, 0, 4}, false, {}, {}},
    };
    for (const Case& c : cases) {
        RectD source;
        Rect dest;
        EXPECT_EQ(MemoryImage::ClipStretch(c.source, c.clip, c.dest, source, dest), c.result) << c.name;
        if (c.result) {
            EXPECT_EQ(source, c.expectedSource) << c.name;
            EXPECT_EQ(dest, c.expectedDest) << c.name;
        }
    }
}

TEST(StretchBlitTest, PaletteSourceStretchesLikeItsPixels)
{
    std::vector<uint32_t> pixels{0xFF102030, 0x80FFFFFF, 0x00000000, 0xC0336699, 0xFF102030, 0x00000000};
    MemoryImage palette;
    Fill(palette, 3, 2, pixels);
    ASSERT_TRUE(palette.ConvertToPalette());
    MemoryImage dest;
    FillWith(dest, 7, 5, 0xFF404040);
    dest.StretchBlit(&palette, Rect(0, 0, 7, 5), Rect(0, 0, 3, 2), Rect(0, 0, 7, 5), Color::White, DrawModeNormal,
                     false);
    EXPECT_TRUE(palette.colorTable);
    EXPECT_EQ(Pixels(dest), Stretch(pixels, 3, 2, 0xFF404040, 7, 5, Rect(0, 0, 7, 5), Color::White, false));
}

TEST(StretchBlitTest, OddScalesStayInsideBothImages)
{
    std::vector<uint32_t> pixels(7 * 5, 0x80FF8040);
    for (Rect destRect : {Rect(-3, -2, 50, 3), Rect(1, 1, 1, 40), Rect(-100, -100, 300, 300), Rect(2, 3, 3, 2)}) {
        for (bool fast : {false, true}) {
            std::vector<uint32_t> out = Stretch(pixels, 7, 5, 0xFF000000, 9, 9, destRect, Color::White, fast);
            EXPECT_EQ(out.size(), 81u);
        }
    }
}

// Random stretches: shrinking, enlarging and odd ratios, 1-pixel sources and destinations, wide and tall
// sources shrunk to a few pixels, destinations cut by random clips, every kind of tint and draw mode, palette
// and 32-bit sources, over opaque and half-transparent destinations.
struct RandomStretch
{
    int sourceWidth = 0, sourceHeight = 0;
    Rect sourceRect, destRect, clip;
    Color color;
    int drawMode = 0;
    bool fast = false;
    bool palette = false;
    bool destAlpha = false;
};

int PickSize(std::mt19937& random, int sourceSize)
{
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    switch (pick(0, 4)) {
    case 0:
        return 1;
    case 1:
        return pick(1, sourceSize);
    case 2:
        return sourceSize;
    default:
        return pick(sourceSize, 3 * sourceSize + 40);
    }
}

RandomStretch MakeStretch(std::mt19937& random)
{
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    static const Color Colors[] = {Color::White, Color(128, 128, 128, 200), Color(255, 100, 0, 180),
                                   Color(255, 255, 255, 254), Color(300, 255, 999, 256)};
    RandomStretch c;
    bool wide = pick(0, 9) == 0, tall = pick(0, 9) == 0;
    c.sourceWidth = wide ? pick(60, 700) : pick(1, 14);
    c.sourceHeight = tall ? pick(60, 400) : pick(1, 10);
    int x = pick(0, c.sourceWidth - 1), y = pick(0, c.sourceHeight - 1);
    c.sourceRect = Rect(x, y, pick(1, c.sourceWidth - x), pick(1, c.sourceHeight - y));
    int w = PickSize(random, c.sourceRect.width), h = PickSize(random, c.sourceRect.height);
    c.destRect = Rect(pick(-w, 60), pick(-h, 40), w, h);
    c.clip = pick(0, 2) == 0 ? Rect(0, 0, 80, 50) : Rect(pick(-5, 60), pick(-5, 40), pick(0, 80), pick(0, 50));
    c.color = Colors[pick(0, 4)];
    c.drawMode = pick(0, 2);
    c.fast = pick(0, 1) == 1;
    c.palette = pick(0, 1) == 1 && c.sourceWidth * c.sourceHeight > 1;
    c.destAlpha = pick(0, 1) == 1;
    return c;
}

// Alpha 0, partial and opaque, with any colour; a palette source takes its colours from a few.
std::vector<uint32_t> RandomPixels(int count, bool fewColours, std::mt19937& random)
{
    static const uint32_t Alphas[] = {0, 1, 128, 200, 255, 255};
    auto any = [&]() { return (Alphas[random() % 6] << 24) | (uint32_t(random()) & 0x00FFFFFF); };
    std::vector<uint32_t> colours(40);
    for (uint32_t& p : colours) {
        p = any();
    }
    std::vector<uint32_t> pixels(static_cast<std::size_t>(count));
    for (uint32_t& p : pixels) {
        p = fewColours ? colours[random() % colours.size()] : any();
    }
    return pixels;
}

// Components past 255 count as 255.
bool IsWhiteOnceClamped(const Color& color)
{
    return std::min({color.red, color.green, color.blue, color.alpha}) >= 255;
}

TEST(StretchBlitTest, AnyStretchMatchesThePlainReference)
{
    std::mt19937 random(2024);
    for (int n = 0; n < 4000; ++n) {
        RandomStretch c = MakeStretch(random);
        std::vector<uint32_t> sourcePixels = RandomPixels(c.sourceWidth * c.sourceHeight, c.palette, random);
        MemoryImage source, dest;
        Fill(source, c.sourceWidth, c.sourceHeight, sourcePixels);
        if (c.palette) {
            ASSERT_TRUE(source.ConvertToPalette());
        }
        std::vector<uint32_t> destPixels = RandomPixels(80 * 50, false, random);
        for (uint32_t& p : destPixels) {
            p |= c.destAlpha ? 0 : 0xFF000000;
        }
        Fill(dest, 80, 50, destPixels);
        int before = dest.bitsChangedCount;
        dest.StretchBlit(&source, c.destRect, c.sourceRect, c.clip, c.color, c.drawMode, c.fast);

        StretchReference::Picture expected{80, 50, destPixels};
        StretchReference::Picture src{c.sourceWidth, c.sourceHeight, sourcePixels};
        auto box = [](const Rect& r) { return StretchReference::Box{r.x, r.y, r.width, r.height}; };
        bool counted = StretchReference::Stretch(expected, src, box(c.destRect), box(c.sourceRect), box(c.clip),
                                                 IsWhiteOnceClamped(c.color), c.fast);
        ASSERT_EQ(Pixels(dest), expected.pixels)
            << "case " << n << (c.fast ? " fast" : " smooth") << " source " << c.sourceWidth << "x" << c.sourceHeight
            << " rect " << c.sourceRect.x << "," << c.sourceRect.y << " " << c.sourceRect.width << "x"
            << c.sourceRect.height << " to " << c.destRect.x << "," << c.destRect.y << " " << c.destRect.width << "x"
            << c.destRect.height << " clip " << c.clip.x << "," << c.clip.y << " " << c.clip.width << "x"
            << c.clip.height;
        EXPECT_EQ(dest.bitsChangedCount - before, counted ? 1 : 0) << "case " << n;
        if (!c.fast) {
            EXPECT_EQ(source.HasPalette(), c.palette) << "the area filter keeps the palette form, case " << n;
        }
    }
}

// One geometry drawn again and again, at other places and from other pixels, takes the same weights, but the
// same rectangle of an image of another size may not: a 1-pixel-wide rectangle enlarged with its right half
// clipped samples just left of column 0, which weighs in column 1 only when the image has one.
TEST(StretchBlitTest, RepeatedDrawsFollowTheirOwnImageAndPlace)
{
    std::mt19937 random(9);
    struct Draw
    {
        int sourceWidth;
        Rect sourceRect, destRect;
        bool palette;
    } draws[] = {{5, Rect(1, 0, 2, 3), Rect(0, 0, 7, 9), false},   {5, Rect(1, 0, 2, 3), Rect(11, 3, 7, 9), false},
                 {5, Rect(1, 0, 2, 3), Rect(-2, 40, 7, 9), true},  {2, Rect(0, 0, 1, 3), Rect(70, 5, 20, 9), false},
                 {1, Rect(0, 0, 1, 3), Rect(70, 5, 20, 9), false}, {2, Rect(0, 0, 1, 3), Rect(70, 5, 20, 9), true}};
    std::vector<uint32_t> destPixels = RandomPixels(80 * 50, false, random);
    MemoryImage dest;
    Fill(dest, 80, 50, destPixels);
    StretchReference::Picture expected{80, 50, destPixels};
    auto box = [](const Rect& r) { return StretchReference::Box{r.x, r.y, r.width, r.height}; };
    for (const Draw& d : draws) {
        std::vector<uint32_t> sourcePixels = RandomPixels(d.sourceWidth * 4, d.palette, random);
        MemoryImage source;
        Fill(source, d.sourceWidth, 4, sourcePixels);
        if (d.palette) {
            ASSERT_TRUE(source.ConvertToPalette());
        }
        dest.StretchBlit(&source, d.destRect, d.sourceRect, Rect(0, 0, 80, 50), Color::White, DrawModeNormal, false);
        StretchReference::Stretch(expected, {d.sourceWidth, 4, sourcePixels}, box(d.destRect), box(d.sourceRect),
                                  {0, 0, 80, 50}, true, false);
        ASSERT_EQ(Pixels(dest), expected.pixels) << "image " << d.sourceWidth << " wide, at " << d.destRect.x;
    }
}

TEST(StretchBlitTest, ImageStretchedOntoItselfReadsThePixelsAsTheyWereBefore)
{
    std::mt19937 random(5);
    std::vector<uint32_t> pixels = RandomPixels(30 * 20, false, random);
    MemoryImage self, copy, dest;
    Fill(self, 30, 20, pixels);
    Fill(copy, 30, 20, pixels);
    Fill(dest, 30, 20, pixels);
    for (const Rect& to : {Rect(3, 2, 25, 17), Rect(-4, 1, 12, 9)}) {
        self.StretchBlit(&self, to, Rect(1, 1, 20, 15), Rect(0, 0, 30, 20), Color::White, DrawModeNormal, false);
        dest.StretchBlit(&copy, to, Rect(1, 1, 20, 15), Rect(0, 0, 30, 20), Color::White, DrawModeNormal, false);
        EXPECT_EQ(Pixels(self), Pixels(dest));
        copy.SetBits(Pixels(dest).data(), 30, 20, true);
    }
}

} // namespace
