// Unscaled blits onto memory images: the worked examples, path choice, clipping at every edge, bad
// rectangles, and whole blits compared with the formulas applied pixel by pixel.
#include "ImageFixtures.h"
#include "PixelReference.h"
#include "graphics/MemoryImage.h"

#include <climits>
#include <gtest/gtest.h>
#include <random>

using namespace Tolm;
using namespace ImageFixtures;
namespace ref = PixelReference;

namespace {

struct Example
{
    const char* name;
    uint32_t source;
    uint32_t dest;
    // Whether the destination's flags say it has transparent pixels (the general path) or not.
    bool destFlaggedTransparent;
    Color color;
    int drawMode;
    uint32_t expected;
};

uint32_t BlitOnePixel(const Example& e)
{
    MemoryImage source;
    Fill(source, 1, 1, {e.source});
    MemoryImage dest;
    Fill(dest, 1, 1, {e.dest});
    dest.ForceAlphaFlags(e.destFlaggedTransparent, false);
    dest.Blit(&source, 0, 0, Rect(0, 0, 1, 1), e.color, e.drawMode);
    return dest.bits[0];
}

TEST(SoftwareBlitTest, WorkedExamplesGiveTheirExactPixels)
{
    const Color white = Color::White;
    Example examples[] = {
        {"opaque over opaque, fast path copies", 0xFFFFFFFF, 0xFF000000, false, white, 0, 0xFFFFFFFF},
        {"opaque over opaque, general path weighs 255", 0xFFFFFFFF, 0xFF000000, true, white, 0, 0xFFFEFEFE},
        {"half red over black, fast path", 0x80FF0000, 0xFF000000, false, white, 0, 0xFF7F0000},
        {"half red over black, general path", 0x80FF0000, 0xFF000000, true, white, 0, 0xFF7F0000},
        {"half red over clear", 0x80FF0000, 0x00000000, true, white, 0, 0x80FE0000},
        {"clear source pixel skipped", 0x00FF0000, 0x12345678, true, white, 0, 0x12345678},
        // Grey k = 255, l = 128, h = 128: red (254 * 128) >> 8, green ((0xFF00 * 128 * 255) >> 16) >> 8.
        {"translucent white takes the grey formula", 0xFFFFFFFF, 0xFF000000, false, Color(255, 255, 255, 128), 0,
         0xFF7F7F7F},
        // Red: ((0xFF0000 * 255 >> 8) * 255 >> 8) = 0xFD0200 -> 0xFD; green and blue 0.
        {"red tint", 0xFFFFFFFF, 0xFF000000, false, Color(255, 0, 0, 255), 0, 0xFFFD0000},
        // Grey k = 128, h = 255: red ((0xC8 * 128) >> 8) = 100 -> (100 * 255 + 0) >> 8 = 99.
        {"grey tint", 0xFFC8C8C8, 0xFF000000, false, Color(128, 128, 128, 255), 0, 0xFF636363},
        {"fully transparent tint draws nothing", 0xFFFFFFFF, 0xFF000000, false, Color(255, 0, 0, 0), 0, 0xFF000000},
        {"additive adds and keeps the destination alpha", 0xFF204060, 0x80F0F0F0, false, white, 1, 0x80FFFFFF},
        {"additive onto clear stays clear", 0xFF204060, 0x00000000, false, white, 1, 0x00204060},
        // c' = (255 * 128) / 255 = 128: 0x80 * 0xFF >> 8 = 0x7F.
        {"additive tint", 0xFF8080FF, 0xFF000000, false, Color(0, 0, 255, 128), 1, 0xFF00007F},
        // Clamped to (255, 0, 255, 255), which is tinted: (255 * 255) >> 8 = 254.
        {"out-of-range colour is clamped", 0xFFFFFFFF, 0xFF000000, false, Color(300, -5, 255, 999), 1, 0xFFFE00FE},
        {"draw mode 2 draws nothing", 0xFFFFFFFF, 0xFF000000, false, white, 2, 0xFF000000},
    };
    for (const Example& e : examples) {
        EXPECT_EQ(BlitOnePixel(e), e.expected) << e.name << std::hex << " got " << BlitOnePixel(e);
    }
}

TEST(SoftwareBlitTest, AdditiveWeighsByAlphaOnlyWhenTheSourceHasPartialAlpha)
{
    MemoryImage solid;
    Fill(solid, 2, 1, {0xFF404040, 0x00102030});
    MemoryImage dest;
    FillWith(dest, 2, 1, 0xFF808080);
    dest.Blit(&solid, 0, 0, Rect(0, 0, 2, 1), Color::White, DrawModeAdditive);
    // The clear pixel is not black, so it brightens the destination too.
    EXPECT_EQ(Pixels(dest), (std::vector<uint32_t>{0xFFC0C0C0, 0xFF90A0B0}));

    MemoryImage soft;
    Fill(soft, 2, 1, {0x80404040, 0x00102030});
    FillWith(dest, 2, 1, 0xFF808080);
    dest.Blit(&soft, 0, 0, Rect(0, 0, 2, 1), Color::White, DrawModeAdditive);
    EXPECT_EQ(Pixels(dest), (std::vector<uint32_t>{0xFFA0A0A0, 0xFF808080}));
}

TEST(SoftwareBlitTest, AdditiveUsesTheSourceFlagAsLastComputed)
{
    MemoryImage source;
    Fill(source, 1, 1, {0xFF404040});
    source.bits[0] = 0x80404040;
    MemoryImage dest;
    FillWith(dest, 1, 1, 0xFF000000);
    dest.Blit(&source, 0, 0, Rect(0, 0, 1, 1), Color::White, DrawModeAdditive);
    EXPECT_EQ(dest.bits[0], 0xFF404040u);
}

TEST(SoftwareBlitTest, OpaqueDestinationFlagsAreTakenAsLastComputed)
{
    MemoryImage source;
    Fill(source, 1, 1, {0x80FF0000});
    MemoryImage dest;
    FillWith(dest, 1, 1, 0xFF000000);
    dest.bits[0] = 0x00000000;
    dest.NoteBitsChanged();
    dest.Blit(&source, 0, 0, Rect(0, 0, 1, 1), Color::White, DrawModeNormal);
    EXPECT_EQ(dest.bits[0], 0xFF7F0000u);
}

TEST(SoftwareBlitTest, FastPathBringsTheSourceFlagsUpToDate)
{
    MemoryImage source;
    Fill(source, 2, 1, {0xFF000000, 0xFF000000});
    source.bits[1] = 0x40000000;
    source.NoteBitsChanged();
    MemoryImage dest;
    FillWith(dest, 2, 1, 0xFFFFFFFF);
    dest.Blit(&source, 0, 0, Rect(0, 0, 2, 1), Color::White, DrawModeNormal);
    EXPECT_TRUE(source.hasPartialAlpha);
    EXPECT_FALSE(source.bitsChanged);
}

TEST(SoftwareBlitTest, CountsAChangeUnlessTheDrawIsRefused)
{
    MemoryImage source;
    FillWith(source, 2, 2, 0xFFFFFFFF);
    Image notMemory;
    struct Case
    {
        const char* name;
        Image* source;
        Rect sourceRect;
        int drawMode;
        int counted;
    } cases[] = {
        {"normal", &source, {0, 0, 2, 2}, 0, 1},
        {"additive", &source, {0, 0, 2, 2}, 1, 1},
        {"empty rectangle", &source, {0, 0, 0, 2}, 0, 1},
        {"negative rectangle", &source, {0, 0, -3, 2}, 0, 1},
        {"draw mode 2", &source, {0, 0, 2, 2}, 2, 0},
        {"not a memory image", &notMemory, {0, 0, 2, 2}, 0, 0},
        {"no source", nullptr, {0, 0, 2, 2}, 0, 0},
        {"source rectangle left of the source", &source, {-1, 0, 2, 2}, 0, 0},
        {"source rectangle above the source", &source, {0, -1, 2, 2}, 0, 0},
        {"source rectangle past the right", &source, {1, 0, 2, 2}, 0, 0},
        {"source rectangle past the bottom", &source, {0, 1, 2, 2}, 0, 0},
    };
    for (const Case& c : cases) {
        MemoryImage dest;
        FillWith(dest, 4, 4, 0xFF000000);
        int before = dest.bitsChangedCount;
        dest.Blit(c.source, 1, 1, c.sourceRect, Color::White, c.drawMode);
        EXPECT_EQ(dest.bitsChangedCount - before, c.counted) << c.name;
        if (c.counted == 0 || c.sourceRect.width <= 0) {
            EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(16, 0xFF000000)) << c.name;
        }
    }
}

// The blit as the formulas state it, pixel by pixel over whole images, the fast path walking its runs.
std::vector<uint32_t> ExpectedBlit(const std::vector<uint32_t>& source, int sourceWidth, std::vector<uint32_t> dest,
                                   int destWidth, int destHeight, int x, int y, const Rect& sourceRect,
                                   const Color& color, int drawMode, bool fastPath, bool sourcePartial)
{
    bool white = color.red == 255 && color.green == 255 && color.blue == 255 && color.alpha == 255;
    bool grey = !white && color.red == color.green && color.green == color.blue;
    auto alphaClass = [](uint32_t p) { return p >> 24 == 0 ? 0 : p >> 24 == 255 ? 1 : 2; };
    for (int row = 0; row < sourceRect.height; ++row) {
        int destY = y + row;
        for (int column = 0; column < sourceRect.width;) {
            int sx = sourceRect.x + column, sy = sourceRect.y + row;
            int destX = x + column;
            uint32_t s = source[std::size_t(sy * sourceWidth + sx)];
            int length = 1;
            if (drawMode == 0 && fastPath) {
                while (sx + length < sourceWidth && length < 255 &&
                       alphaClass(source[std::size_t(sy * sourceWidth + sx + length)]) == alphaClass(s)) {
                    ++length;
                }
                length = std::min(length, sourceRect.width - column);
            }
            for (int i = 0; i < length; ++i) {
                int dx = destX + i;
                uint32_t p = source[std::size_t(sy * sourceWidth + sx + i)];
                if (dx < 0 || destY < 0 || dx >= destWidth || destY >= destHeight) {
                    continue;
                }
                uint32_t& d = dest[std::size_t(destY * destWidth + dx)];
                uint32_t r = uint32_t(color.red), g = uint32_t(color.green), b = uint32_t(color.blue),
                         a = uint32_t(color.alpha);
                if (drawMode == 1) {
                    d = white ? ref::AddWhite(p, d, sourcePartial) : ref::AddTinted(p, d, r, g, b, a, sourcePartial);
                } else if (fastPath) {
                    uint32_t firstAlpha = s >> 24;
                    d = firstAlpha == 255 ? p : firstAlpha == 0 ? d : ref::BlendOntoOpaque(p, d);
                } else {
                    d = white  ? ref::BlendWhite(p, d)
                        : grey ? ref::BlendGrey(p, d, r, a)
                               : ref::BlendOther(p, d, r, g, b, a);
                }
            }
            column += length;
        }
    }
    return dest;
}

class RandomBlitTest : public testing::Test
{
protected:
    std::mt19937 engine{99};

    uint32_t RandomPixel()
    {
        uint32_t pick = uint32_t(engine()) % 3;
        uint32_t alpha = pick == 0 ? 0 : pick == 1 ? 255 : uint32_t(engine()) & 0xFF;
        return (alpha << 24) | (uint32_t(engine()) & 0x00FFFFFF);
    }

    // Pixels in runs of random length, so that the run table has long and short runs of each class.
    std::vector<uint32_t> RandomImage(int width, int height)
    {
        std::vector<uint32_t> pixels;
        while (pixels.size() < std::size_t(width * height)) {
            uint32_t p = RandomPixel();
            int length = 1 + int(engine() % 40);
            for (int i = 0; i < length; ++i) {
                pixels.push_back((p & 0xFF000000) | (uint32_t(engine()) & 0x00FFFFFF));
            }
        }
        pixels.resize(std::size_t(width * height));
        return pixels;
    }
};

TEST_F(RandomBlitTest, WholeBlitsMatchTheFormulasInEveryModeAndPath)
{
    const int sw = 70, sh = 23, dw = 90, dh = 40;
    struct Case
    {
        const char* name;
        Color color;
        int drawMode;
        bool destOpaque;
    } cases[] = {
        {"fast path", Color::White, 0, true},
        {"general white", Color::White, 0, false},
        {"grey", Color(77, 77, 77, 200), 0, true},
        {"tinted", Color(250, 100, 3, 180), 0, false},
        {"additive", Color::White, 1, true},
        {"additive tinted", Color(20, 255, 140, 90), 1, false},
        {"half-alpha white is grey", Color(255, 255, 255, 128), 0, true},
    };
    for (const Case& c : cases) {
        for (bool partialSource : {false, true}) {
            std::vector<uint32_t> sourcePixels = RandomImage(sw, sh);
            if (!partialSource) {
                for (uint32_t& p : sourcePixels) {
                    p = (p >> 24) >= 128 ? (p | 0xFF000000) : (p & 0x00FFFFFF);
                }
            }
            std::vector<uint32_t> destPixels = RandomImage(dw, dh);
            MemoryImage source;
            Fill(source, sw, sh, sourcePixels);
            MemoryImage dest;
            Fill(dest, dw, dh, destPixels);
            dest.ForceAlphaFlags(!c.destOpaque, false);
            Rect part(5, 2, 61, 19);
            dest.Blit(&source, 13, 9, part, c.color, c.drawMode);
            bool fast = c.destOpaque && c.drawMode == 0 && c.color.alpha == 255 && c.color.red == 255 &&
                        c.color.green == 255 && c.color.blue == 255;
            EXPECT_EQ(Pixels(dest), ExpectedBlit(sourcePixels, sw, destPixels, dw, dh, 13, 9, part, c.color, c.drawMode,
                                                 fast, partialSource))
                << c.name << (partialSource ? " with partial alpha" : "");
        }
    }
}

// An opaque source onto an opaque destination is its rows copied; flags forced opaque over pixels that are
// not leave the run table to skip and blend them as before.
TEST_F(RandomBlitTest, OpaqueSourcesAreCopiedAndForcedFlagsLeaveItToTheRuns)
{
    const int sw = 150, sh = 9, dw = 170, dh = 14;
    std::vector<uint32_t> opaquePixels = RandomImage(sw, sh);
    for (uint32_t& p : opaquePixels) {
        p |= 0xFF000000;
    }
    struct Case
    {
        const char* name;
        std::vector<uint32_t> pixels;
        bool forced;
    } cases[] = {
        {"opaque source", opaquePixels, false},
        {"forced opaque flags", RandomImage(sw, sh), true},
    };
    std::vector<uint32_t> destPixels = RandomImage(dw, dh);
    Rect part(3, 1, 140, 7);
    for (const Case& c : cases) {
        MemoryImage source;
        Fill(source, sw, sh, c.pixels);
        if (c.forced) {
            source.ForceAlphaFlags(false, false);
        }
        MemoryImage dest;
        Fill(dest, dw, dh, destPixels);
        dest.ForceAlphaFlags(false, false);
        dest.Blit(&source, 20, 5, part, Color::White, DrawModeNormal);
        EXPECT_EQ(Pixels(dest),
                  ExpectedBlit(c.pixels, sw, destPixels, dw, dh, 20, 5, part, Color::White, 0, true, false))
            << c.name;
    }
    // Mirrored, the copied rows come out reversed.
    MemoryImage source;
    Fill(source, sw, sh, opaquePixels);
    MemoryImage dest;
    Fill(dest, dw, dh, destPixels);
    dest.ForceAlphaFlags(false, false);
    dest.BlitMirror(&source, 20, 5, part, Color::White, DrawModeNormal);
    for (int row = 0; row < part.height; ++row) {
        for (int column = 0; column < part.width; ++column) {
            uint32_t expected = opaquePixels[std::size_t((part.y + row) * sw + part.x + part.width - 1 - column)];
            ASSERT_EQ(dest.bits[std::size_t((5 + row) * dw + 20 + column)], expected) << row << ", " << column;
        }
    }
}

// Small sprites, and pictures wide enough for long runs, cut at every edge: on the run-length path over an
// opaque destination and on the general one.
TEST_F(RandomBlitTest, BlitsAreClippedAtEveryEdgeOfTheDestination)
{
    struct Path
    {
        const char* name;
        Color color;
        bool destOpaque;
    } paths[] = {
        {"run-length path", Color::White, true},
        {"general path", Color(200, 100, 50, 255), false},
    };
    for (int size : {8, 150}) {
        std::vector<uint32_t> sourcePixels = RandomImage(size, size);
        // Runs of 70 clear and 70 opaque pixels in the wide picture, skipped and copied whole.
        for (int y = 0; size > 100 && y < size; ++y) {
            for (int x = 0; x < 70; ++x) {
                sourcePixels[std::size_t(y * size + (y + x) % size)] &= 0x00FFFFFF;
                sourcePixels[std::size_t(y * size + (y + 75 + x) % size)] |= 0xFF000000;
            }
        }
        std::vector<uint32_t> destPixels = RandomImage(size, size);
        int d = size / 8;
        struct Case
        {
            const char* name;
            int x, y;
        } cases[] = {
            {"left", -3 * d, d},        {"right", 5 * d, d},     {"top", 2 * d, -6 * d},     {"bottom", d, 7 * d},
            {"corner", -7 * d, -7 * d}, {"far away", 50 * d, 0}, {"far left", -size - 1, 0},
        };
        for (const Case& c : cases) {
            for (int drawMode : {0, 1}) {
                for (const Path& path : paths) {
                    MemoryImage source;
                    Fill(source, size, size, sourcePixels);
                    MemoryImage dest;
                    Fill(dest, size, size, destPixels);
                    dest.ForceAlphaFlags(!path.destOpaque, !path.destOpaque);
                    dest.Blit(&source, c.x, c.y, Rect(0, 0, size, size), path.color, drawMode);
                    EXPECT_EQ(Pixels(dest), ExpectedBlit(sourcePixels, size, destPixels, size, size, c.x, c.y,
                                                         Rect(0, 0, size, size), path.color, drawMode,
                                                         path.destOpaque && drawMode == 0, source.hasPartialAlpha))
                        << c.name << " mode " << drawMode << " " << path.name << " size " << size;
                }
            }
        }
    }
}

TEST_F(RandomBlitTest, PaletteSourceDrawsLikeItsPixels)
{
    std::vector<uint32_t> colours{0xFF102030, 0x80FFFFFF, 0x00000000, 0xC0336699};
    std::vector<uint32_t> sourcePixels;
    for (int i = 0; i < 20 * 6; ++i) {
        sourcePixels.push_back(colours[engine() % colours.size()]);
    }
    std::vector<uint32_t> destPixels = RandomImage(20, 6);
    for (bool opaque : {true, false}) {
        MemoryImage palette;
        Fill(palette, 20, 6, sourcePixels);
        ASSERT_TRUE(palette.ConvertToPalette());
        MemoryImage plain;
        Fill(plain, 20, 6, sourcePixels);
        MemoryImage first, second;
        Fill(first, 20, 6, destPixels);
        Fill(second, 20, 6, destPixels);
        first.ForceAlphaFlags(!opaque, false);
        second.ForceAlphaFlags(!opaque, false);
        first.Blit(&palette, 0, 0, Rect(1, 1, 18, 4), Color::White, DrawModeNormal);
        second.Blit(&plain, 0, 0, Rect(1, 1, 18, 4), Color::White, DrawModeNormal);
        EXPECT_EQ(Pixels(first), Pixels(second));
        EXPECT_TRUE(palette.colorTable) << "drawing from a palette image keeps its palette form";
    }
}

TEST_F(RandomBlitTest, BlitOntoItselfSeesThePixelsAsTheyWereBefore)
{
    std::vector<uint32_t> pixels = RandomImage(16, 8);
    MemoryImage image;
    Fill(image, 16, 8, pixels);
    image.ForceAlphaFlags(true, true);
    image.Blit(&image, 3, 2, Rect(0, 0, 12, 5), Color::White, DrawModeNormal);
    EXPECT_EQ(Pixels(image),
              ExpectedBlit(pixels, 16, pixels, 16, 8, 3, 2, Rect(0, 0, 12, 5), Color::White, 0, false, true));
}

TEST(SoftwareBlitTest, PositionsFarOutsideDrawNothingAndNeverOverflow)
{
    MemoryImage source;
    FillWith(source, 4, 4, 0xFFFFFFFF);
    MemoryImage dest;
    FillWith(dest, 4, 4, 0xFF000000);
    for (int x : {INT_MIN, INT_MIN + 2, -50, 9, INT_MAX - 2, INT_MAX}) {
        dest.Blit(&source, x, 0, Rect(0, 0, 4, 4), Color::White, DrawModeNormal);
        dest.Blit(&source, 0, x, Rect(0, 0, 4, 4), Color::White, DrawModeAdditive);
        dest.StretchBlit(&source, Rect(x, x, 8, 8), Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), Color::White, DrawModeNormal,
                         false);
        dest.StretchBlit(&source, Rect(0, x, INT_MAX, 3), Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), Color::White,
                         DrawModeNormal, true);
    }
    EXPECT_EQ(Pixels(dest), std::vector<uint32_t>(16, 0xFF000000));
}

} // namespace
