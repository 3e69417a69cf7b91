// Scaled blits onto memory images: the area filter and the nearest-pixel engine on small images whose
// results are worked out by hand from the filter's weights, and the clipping of the source rectangle.
#include "ImageFixtures.h"
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

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

} // namespace
