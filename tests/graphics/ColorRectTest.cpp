#include "graphics/Color.h"
#include "graphics/Rect.h"

#include <gtest/gtest.h>

using namespace Tolm;

TEST(ColorTest, PackedFormKeepsOrDropsAZeroAlpha)
{
    struct Case
    {
        uint32_t packed;
        bool keepZeroAlpha;
        Color expected;
    } cases[] = {
        {0x00FF8000, false, Color(255, 128, 0, 255)},
        {0x00FF8000, true, Color(255, 128, 0, 0)},
        {0x80FF8000, false, Color(255, 128, 0, 128)},
        {0x80FF8000, true, Color(255, 128, 0, 128)},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(ColorEquals(Color::FromPacked(c.packed, c.keepZeroAlpha), c.expected)) << std::hex << c.packed;
    }
}

TEST(ColorTest, PackingDoesNotMaskOutOfRangeComponents)
{
    EXPECT_EQ(Color(255, 255, 255, 255).ToPacked(), 0xFFFFFFFFu);
    EXPECT_EQ(Color(0, 0, 0).ToPacked(), 0xFF000000u);
    EXPECT_EQ(Color(256, 0, 0, 0).ToPacked(), 0x01000000u);
}

TEST(ColorTest, WhiteNeedsEveryComponent)
{
    EXPECT_TRUE(ColorEquals(Color(), Color::ColorBlack));
    EXPECT_TRUE(ColorEquals(Color::CopyOpaque(Color(1, 2, 3, 4)), Color(1, 2, 3, 255)));
    EXPECT_TRUE(ColorDiffers(Color(255, 255, 255, 254), Color::White));
    EXPECT_FALSE(ColorDiffers(Color(255, 255, 255), Color::White));
}

TEST(RectTest, IntersectionKeepsTouchingEdgesAndDropsDisjointRectangles)
{
    struct Case
    {
        const char* name;
        Rect a, b, expected;
    } cases[] = {
        {"overlap", {0, 0, 10, 10}, {5, 6, 10, 10}, {5, 6, 5, 4}},
        {"inside", {0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}},
        {"touching on the right", {0, 0, 10, 10}, {10, 2, 5, 5}, {10, 2, 0, 5}},
        {"touching below", {0, 0, 10, 10}, {3, 10, 2, 2}, {3, 10, 2, 0}},
        {"apart", {0, 0, 10, 10}, {20, 20, 5, 5}, {0, 0, 0, 0}},
        {"negative size", {0, 0, -4, 10}, {0, 0, 10, 10}, {0, 0, 0, 0}},
        {"far out without overflow", {2147483640, 0, 100, 10}, {0, 0, 10, 10}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.Intersection(c.b), c.expected) << c.name;
    }
    EXPECT_EQ(RectD(0, 0, 1.5, 1).Intersect(RectD(1, 0.5, 2, 2)), RectD(1, 0.5, 0.5, 0.5));
    EXPECT_EQ(RectD(0, 0, 1, 1).Intersect(RectD(2, 0, 1, 1)), RectD());
}
