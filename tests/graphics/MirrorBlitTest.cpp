// Blits and stretched blits flipped left to right: the source's last column lands first, destination
// clipping on the left removes source columns on the right, and each pixel is combined as the plain blit
// would combine it.
#include "ImageFixtures.h"
#include "PixelReference.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace Tolm;
using namespace ImageFixtures;

namespace {

const uint32_t A = 0xFF112233, B = 0x80FF0000, C = 0x00ABCDEF, D = 0xFF00FF00;
const uint32_t Back = 0xFF404040;

TEST(MirrorBlitTest, RowComesOutReversedOntoAnOpaqueDestination)
{
    MemoryImage source, dest;
    Fill(source, 4, 1, {A, B, C, D});
    FillWith(dest, 6, 1, Back);
    dest.BlitMirror(&source, 1, 0, Rect(0, 0, 4, 1), Color::White, DrawModeNormal);
    // Opaque texels are copied, clear ones skipped, the half-transparent one blended by its alpha.
    EXPECT_EQ(Pixels(dest), (std::vector<uint32_t>{Back, D, Back, PixelReference::BlendOntoOpaque(B, Back), A, Back}));
}

TEST(MirrorBlitTest, DestinationCutOnTheLeftDropsSourceColumnsOnTheRight)
{
    MemoryImage source, dest;
    Fill(source, 4, 1, {A, B, C, D});
    FillWith(dest, 3, 1, Back);
    // Column -1 would show D; columns 0 to 2 show C, B, A.
    dest.BlitMirror(&source, -1, 0, Rect(0, 0, 4, 1), Color::White, DrawModeNormal);
    EXPECT_EQ(Pixels(dest), (std::vector<uint32_t>{Back, PixelReference::BlendOntoOpaque(B, Back), A}));
    // Cut on the right instead: columns 1 and 2 show D and C, so only D lands.
    FillWith(dest, 3, 1, Back);
    dest.BlitMirror(&source, 1, 0, Rect(0, 0, 4, 1), Color::White, DrawModeNormal);
    EXPECT_EQ(Pixels(dest), (std::vector<uint32_t>{Back, D, Back}));
}

TEST(MirrorBlitTest, EveryModeCombinesEachPixelAsThePlainBlitDoes)
{
    const std::vector<uint32_t> row = {A, B, C, D, 0x40102030, 0xC0FFFFFF};
    std::vector<uint32_t> reversed(row.rbegin(), row.rend());
    const std::vector<uint32_t> destRow = {0x00000000, 0x80808080, 0xFF000000, 0x20FF00FF, 0xFFFFFFFF, 0x10101010};
    struct Case
    {
        const char* name;
        Color color;
        int drawMode;
    };
    const Case cases[] = {{"white", Color::White, DrawModeNormal},
                          {"grey", Color(128, 128, 128, 200), DrawModeNormal},
                          {"tinted", Color(255, 100, 0, 255), DrawModeNormal},
                          {"additive", Color::White, DrawModeAdditive},
                          {"additiveTinted", Color(20, 200, 90, 128), DrawModeAdditive}};
    for (const Case& c : cases) {
        for (bool palette : {false, true}) {
            MemoryImage source, plainSource, mirrored, plain;
            Fill(source, 6, 1, row);
            Fill(plainSource, 6, 1, reversed);
            if (palette) {
                ASSERT_TRUE(source.ConvertToPalette());
            }
            Fill(mirrored, 6, 1, destRow);
            Fill(plain, 6, 1, destRow);
            mirrored.BlitMirror(&source, 0, 0, Rect(0, 0, 6, 1), c.color, c.drawMode);
            plain.Blit(&plainSource, 0, 0, Rect(0, 0, 6, 1), c.color, c.drawMode);
            EXPECT_EQ(ReadPixels(mirrored), ReadPixels(plain)) << c.name << (palette ? " palette" : "");
        }
    }
    MemoryImage source, dest;
    Fill(source, 6, 1, row);
    Fill(dest, 6, 1, destRow);
    std::vector<uint32_t> expected(6);
    for (std::size_t i = 0; i < 6; ++i) {
        expected[i] = PixelReference::BlendWhite(reversed[i], destRow[i]);
    }
    dest.BlitMirror(&source, 0, 0, Rect(0, 0, 6, 1), Color::White, DrawModeNormal);
    EXPECT_EQ(Pixels(dest), expected);
}

TEST(MirrorBlitTest, DrawModeTwoAndSourcesOutsideTheImageDrawNothing)
{
    MemoryImage source, dest;
    Fill(source, 4, 1, {A, B, C, D});
    FillWith(dest, 6, 2, Back);
    int count = dest.bitsChangedCount;
    dest.BlitMirror(&source, 0, 0, Rect(0, 0, 4, 1), Color::White, 2);
    dest.BlitMirror(&source, 0, 0, Rect(-1, 0, 4, 1), Color::White, DrawModeNormal);
    dest.BlitMirror(&source, 0, 0, Rect(1, 0, 4, 1), Color::White, DrawModeNormal);
    dest.StretchBlitMirror(&source, Rect(0, 0, 6, 2), Rect(1, 0, 4, 1), Rect(0, 0, 6, 2), Color::White, DrawModeNormal,
                           true);
    dest.StretchBlitMirror(&source, Rect(0, 0, 6, 2), Rect(0, -1, 4, 1), Rect(0, 0, 6, 2), Color::White, DrawModeNormal,
                           false);
    EXPECT_EQ(dest.bitsChangedCount, count);
    EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(12, Back));
}

TEST(MirrorBlitTest, NearestPixelStretchRepeatsTheReversedColumns)
{
    MemoryImage source, dest;
    Fill(source, 3, 1, {A, D, 0xFF0000FF});
    FillWith(dest, 8, 2, 0xFF000000);
    dest.StretchBlitMirror(&source, Rect(1, 0, 6, 2), Rect(0, 0, 3, 1), Rect(0, 0, 8, 2), Color::White, DrawModeNormal,
                           true);
    // The fast engine blends opaque pixels with h = 255: a channel of 255 over 0 arrives as 254.
    auto over = [](uint32_t s) { return PixelReference::BlendWhite(s, 0xFF000000); };
    std::vector<uint32_t> row = {0xFF000000, over(0xFF0000FF), over(0xFF0000FF), over(D),
                                 over(D),    over(A),          over(A),          0xFF000000};
    std::vector<uint32_t> expected = row;
    expected.insert(expected.end(), row.begin(), row.end());
    EXPECT_EQ(Pixels(dest), expected);
}

TEST(MirrorBlitTest, SmoothStretchOfTheMirrorIsTheStretchOfTheFlippedImage)
{
    MemoryImage source, flipped, mirrored, plain;
    std::vector<uint32_t> pixels(7 * 5), flippedPixels(7 * 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            uint32_t p = uint32_t(0xFF000000 | (x * 36) << 16 | (y * 60) << 8 | ((x * y * 9) & 0xFF));
            pixels[std::size_t(y * 7 + x)] = p;
            flippedPixels[std::size_t(y * 7 + 6 - x)] = p;
        }
    }
    Fill(source, 7, 5, pixels);
    Fill(flipped, 7, 5, flippedPixels);
    FillWith(mirrored, 20, 16, 0xFF000000);
    FillWith(plain, 20, 16, 0xFF000000);
    // Source columns 1..4 of rows 1..3; flipped, the same texels are columns 2..5.
    mirrored.StretchBlitMirror(&source, Rect(-3, 2, 17, 11), Rect(1, 1, 4, 3), Rect(0, 0, 12, 16), Color::White,
                               DrawModeNormal, false);
    plain.StretchBlit(&flipped, Rect(-3, 2, 17, 11), Rect(2, 1, 4, 3), Rect(0, 0, 12, 16), Color::White, DrawModeNormal,
                      false);
    EXPECT_EQ(ReadPixels(mirrored), ReadPixels(plain));
}

} // namespace
