// Single-colour drawing on memory images: rectangle fills and clears, coverage spans, and the normal,
// additive and smooth lines, with values worked out from the formulas by hand.
#include "ImageFixtures.h"
#include "PixelReference.h"
#include "graphics/MemoryImage.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace Tolm;
using namespace ImageFixtures;

namespace {

uint32_t At(const MemoryImage& image, int x, int y)
{
    return image.bits[std::size_t(y * image.width + x)];
}

// Every pixel that differs from the background, by position.
std::map<std::pair<int, int>, uint32_t> Changed(const MemoryImage& image, uint32_t background)
{
    std::map<std::pair<int, int>, uint32_t> changed;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (At(image, x, y) != background) {
                changed[{x, y}] = At(image, x, y);
            }
        }
    }
    return changed;
}

TEST(SoftwareFillTest, FillsBlendAsTheirFormulaGives)
{
    struct Case
    {
        const char* name;
        Color color;
        int drawMode;
        uint32_t dest;
        uint32_t expected;
    } cases[] = {
        {"opaque colour is stored", Color(10, 20, 30, 255), 0, 0x12345678, 0xFF0A141E},
        // outA 255, m 128: red (10 * 128 + 200 * 128) >> 8 = 105.
        {"half over opaque grey", Color(10, 20, 30, 128), 0, 0xFFC8C8C8, 0xFF696E73},
        // outA 128, m 255: red (10 * 255) >> 8 = 9.
        {"half over clear", Color(10, 20, 30, 128), 0, 0x00000000, 0x8009131D},
        {"additive fills blend normally", Color(10, 20, 30, 128), 1, 0xFFC8C8C8, 0xFF696E73},
        {"clear colour changes nothing", Color(10, 20, 30, 0), 0, 0xFFC8C8C8, 0xFFC8C8C8},
        {"out-of-range colour is clamped", Color(-4, 300, 30, 256), 0, 0xFF000000, 0xFF00FF1E},
    };
    for (const Case& c : cases) {
        MemoryImage image;
        FillWith(image, 3, 2, c.dest);
        image.FillRect(Rect(0, 0, 3, 2), c.color, c.drawMode);
        EXPECT_EQ(Pixels(image), std::vector<uint32_t>(6, c.expected)) << c.name;
    }
}

TEST(SoftwareFillTest, FillAndClearCoverOnlyTheirRectangleInsideTheImage)
{
    struct Case
    {
        const char* name;
        Rect rect;
        std::vector<std::pair<int, int>> covered;
    } cases[] = {
        {"inside", {1, 1, 2, 1}, {{1, 1}, {2, 1}}},
        {"over the top-left corner", {-2, -2, 3, 3}, {{0, 0}}},
        {"over the bottom-right corner", {2, 2, 9, 9}, {{2, 2}}},
        {"empty", {1, 1, 0, 2}, {}},
        {"negative", {2, 2, -2, -2}, {}},
        {"outside", {5, 0, 2, 2}, {}},
    };
    for (const Case& c : cases) {
        MemoryImage filled;
        FillWith(filled, 3, 3, 0xFF000000);
        filled.FillRect(c.rect, Color(255, 0, 0), DrawModeNormal);
        MemoryImage cleared;
        FillWith(cleared, 3, 3, 0xFF000000);
        int before = cleared.bitsChangedCount;
        cleared.ClearRect(c.rect);
        EXPECT_EQ(cleared.bitsChangedCount, before + 1) << c.name;
        std::map<std::pair<int, int>, uint32_t> red, clear;
        for (auto position : c.covered) {
            red[position] = 0xFFFF0000;
            clear[position] = 0;
        }
        EXPECT_EQ(Changed(filled, 0xFF000000), red) << c.name;
        EXPECT_EQ(Changed(cleared, 0xFF000000), clear) << c.name;
    }
}

TEST(SoftwareFillTest, CoverageScalesTheAlphaAndAdvancesOnePixelPerByte)
{
    MemoryImage image;
    FillWith(image, 6, 3, 0xFF000000);
    // The coverage map starts at (1, 1) with a pitch of 8; the span covers (2, 1) to (4, 1).
    unsigned char coverage[16] = {9, 0, 127, 255, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    FillSpan span{1, 2, 3};
    image.FillSpansWithCoverage(&span, 1, Color(255, 255, 255, 255), DrawModeNormal, coverage, 1, 1, 8, 0);
    // Weight (255 * (0 + 1)) >> 8 = 0 leaves (2, 1); (255 * 128) >> 8 = 127 gives (255 * 127) >> 8 = 126;
    // (255 * 256) >> 8 = 255 gives 254.
    std::map<std::pair<int, int>, uint32_t> expected{{{3, 1}, 0xFF7E7E7E}, {{4, 1}, 0xFFFEFEFE}};
    EXPECT_EQ(Changed(image, 0xFF000000), expected);
}

TEST(SoftwareLineTest, NormalLineStepsOnePixelPerColumnAndStores254ForFull)
{
    MemoryImage image;
    FillWith(image, 12, 6, 0xFF000000);
    image.DrawLine(0, 0, 9, 3, Color::White, DrawModeNormal);
    std::map<std::pair<int, int>, uint32_t> expected;
    for (auto [x, y] : std::vector<std::pair<int, int>>{
             {0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 2}, {8, 3}, {9, 3}}) {
        expected[{x, y}] = 0xFFFEFEFE;
    }
    EXPECT_EQ(Changed(image, 0xFF000000), expected);

    MemoryImage reversed;
    FillWith(reversed, 12, 6, 0xFF000000);
    reversed.DrawLine(9, 3, 0, 0, Color::White, DrawModeNormal);
    EXPECT_EQ(Changed(reversed, 0xFF000000), expected);
}

TEST(SoftwareLineTest, SteepLineStepsOnePixelPerRow)
{
    MemoryImage image;
    FillWith(image, 6, 12, 0xFF000000);
    image.DrawLine(3, 9, 0, 0, Color::White, DrawModeNormal);
    std::map<std::pair<int, int>, uint32_t> expected;
    for (auto [x, y] : std::vector<std::pair<int, int>>{
             {0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}, {2, 7}, {3, 8}, {3, 9}}) {
        expected[{x, y}] = 0xFFFEFEFE;
    }
    EXPECT_EQ(Changed(image, 0xFF000000), expected);
}

TEST(SoftwareLineTest, LineColoursFollowTheirFormulas)
{
    struct Case
    {
        const char* name;
        Color color;
        int drawMode;
        uint32_t dest;
        uint32_t expected;
    } cases[] = {
        // Red: c1 = (200 * 100 + 128) >> 8 = 78, c' = (78 * 255 + 127) >> 8 = 78, plus (50 * 156 + 127) >> 8 = 30.
        // Blue: c1 = 100, c' = 100, plus 30.
        {"translucent normal", Color(200, 0, 255, 100), 0, 0x80323232, 0xFF6C1E82},
        // c' = (100 * 200) / 255 = 78 and (100 * 255) / 255 = 100, added to 50.
        {"additive over clear gets alpha 255", Color(200, 0, 255, 100), 1, 0x00323232, 0xFF803296},
        {"additive saturates", Color(255, 255, 255, 255), 1, 0x00F0F0F0, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        MemoryImage image;
        FillWith(image, 4, 4, c.dest);
        image.DrawLine(0, 0, 3, 1, c.color, c.drawMode);
        EXPECT_EQ(At(image, 0, 0), c.expected) << c.name;
        EXPECT_EQ(At(image, 3, 1), c.expected) << c.name;
    }
}

TEST(SoftwareLineTest, StraightLinesBecomeFillsAndOtherModesDrawNothing)
{
    struct Case
    {
        const char* name;
        double x1, y1, x2, y2;
        int drawMode;
        bool smooth;
        std::vector<std::pair<int, int>> covered;
    } cases[] = {
        {"point", 2, 2, 2, 2, 0, false, {{2, 2}}},
        {"horizontal", 3.7, 1, 1.2, 1, 0, false, {{1, 1}, {2, 1}, {3, 1}}},
        {"vertical", 0, 3, 0, 1, 0, false, {{0, 1}, {0, 2}, {0, 3}}},
        {"additive horizontal fills normally", 0, 0, 1, 0, 1, false, {{0, 0}, {1, 0}}},
        {"draw mode 2 diagonal", 0, 0, 3, 2, 2, false, {}},
        {"smooth additive diagonal", 0, 0, 3, 2, 1, true, {}},
        {"smooth additive vertical fills", 1, 0, 1, 1, 1, true, {{1, 0}, {1, 1}}},
    };
    for (const Case& c : cases) {
        MemoryImage image;
        FillWith(image, 5, 5, 0xFF000000);
        int before = image.bitsChangedCount;
        if (c.smooth) {
            image.DrawLineSmooth(c.x1, c.y1, c.x2, c.y2, Color(255, 0, 0), c.drawMode);
        } else {
            image.DrawLine(c.x1, c.y1, c.x2, c.y2, Color(255, 0, 0), c.drawMode);
        }
        std::map<std::pair<int, int>, uint32_t> expected;
        for (auto position : c.covered) {
            expected[position] = 0xFFFF0000;
        }
        EXPECT_EQ(Changed(image, 0xFF000000), expected) << c.name;
        EXPECT_EQ(image.bitsChangedCount, before + 1) << c.name;
    }
}

TEST(SoftwareLineTest, SmoothLineInsideOnePixelBlendsItTwice)
{
    MemoryImage image;
    FillWith(image, 5, 5, 0xFF000000);
    // err = (int)(0.5 * 0.5 * 65536) = 16384, coverage 255 - 64 = 191 at both ends: first (255 * 191) >> 8 =
    // 190, then (255 * 191 + 190 * 65) >> 8 = 238.
    image.DrawLineSmooth(2.5, 2.5, 2.7, 2.6, Color::White, DrawModeNormal);
    EXPECT_EQ(Changed(image, 0xFF000000), (std::map<std::pair<int, int>, uint32_t>{{{2, 2}, 0xFFEEEEEE}}));
}

TEST(SoftwareLineTest, SmoothDiagonalCoversOnePixelPerStep)
{
    MemoryImage image;
    FillWith(image, 6, 6, 0xFF000000);
    image.DrawLineSmooth(0, 0, 3, 3, Color::White, DrawModeNormal);
    std::map<std::pair<int, int>, uint32_t> expected{
        {{0, 0}, 0xFFFEFEFE}, {{1, 1}, 0xFFFEFEFE}, {{2, 2}, 0xFFFEFEFE}, {{3, 3}, 0xFFFEFEFE}};
    EXPECT_EQ(Changed(image, 0xFF000000), expected);
}

TEST(SoftwareLineTest, SmoothShallowLineSharesCoverageWithTheRowBelow)
{
    MemoryImage image;
    FillWith(image, 6, 6, 0xFF000000);
    // n = 4, m = 2: step = (int)(2 / 4 * 65536) = 32768. Steps: err 32768 (k 128), 65536 -> y 1, err 0
    // (k 0), 32768 (k 128). Weights 255 - k above and k below.
    image.DrawLineSmooth(0, 0, 4, 2, Color::White, DrawModeNormal);
    auto blend = [](uint32_t w) { return PixelReference::OverBlend(0xFFFFFFFF, 0xFF000000, w); };
    std::map<std::pair<int, int>, uint32_t> expected{
        {{0, 0}, blend(255)}, {{1, 0}, blend(127)}, {{1, 1}, blend(128)}, {{2, 1}, blend(255)},
        {{3, 1}, blend(127)}, {{3, 2}, blend(128)}, {{4, 2}, blend(127)},
    };
    EXPECT_EQ(Changed(image, 0xFF000000), expected);
}

TEST(SoftwareLineTest, LinesLeavingTheImageAreCutToIt)
{
    MemoryImage image;
    FillWith(image, 10, 10, 0xFF000000);
    image.DrawLine(-100, 5, 100, 5.5, Color::White, DrawModeNormal);
    image.DrawLine(-1e12, -3e11, 4e12, 2e12, Color::White, DrawModeAdditive);
    image.DrawLineSmooth(-50, -20, 80, 60, Color::White, DrawModeNormal);
    image.DrawLine(std::nan(""), 0, 5, 5, Color::White, DrawModeNormal);
    for (const auto& [position, pixel] : Changed(image, 0xFF000000)) {
        EXPECT_TRUE(position.first >= 0 && position.first < 10 && position.second >= 0 && position.second < 10);
    }
    EXPECT_FALSE(Changed(image, 0xFF000000).empty());
}

} // namespace
