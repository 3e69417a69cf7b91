#include "app/BuiltInCursors.h"

#include <gtest/gtest.h>

using namespace Tolm;

namespace {

// The pixel at (x, y) of 32 x 32 masks: '.' transparent, 'X' black, 'o' white, '~' inverted.
char PixelOf(const CursorMasks& masks, int x, int y)
{
    size_t byte = size_t(y * 32 + x) / 8;
    int bit = 0x80 >> (x % 8);
    bool andBit = (masks.andMask[byte] & bit) != 0;
    bool xorBit = (masks.xorMask[byte] & bit) != 0;
    return andBit ? (xorBit ? '~' : '.') : (xorBit ? 'o' : 'X');
}

} // namespace

TEST(BuiltInCursorsTest, PointingHandHasItsFingertipAtTheHotSpot)
{
    CursorMasks hand = PointingHandMasks();
    EXPECT_EQ(hand.hotX, 11);
    EXPECT_EQ(hand.hotY, 4);
    // Row 4 holds only the top of the finger, columns 10 and 11, in black.
    EXPECT_EQ(hand.andMask[17], 0xCF);
    EXPECT_EQ(hand.xorMask[17], 0x00);
    EXPECT_EQ(PixelOf(hand, 11, 4), 'X');
    EXPECT_EQ(PixelOf(hand, 11, 3), '.');
    EXPECT_EQ(PixelOf(hand, 10, 6), 'o') << "white inside the black outline";
}

TEST(BuiltInCursorsTest, OpenHandHasItsPalmAtTheHotSpotAndNoInvertedPixels)
{
    CursorMasks hand = OpenHandMasks();
    EXPECT_EQ(hand.hotX, 15);
    EXPECT_EQ(hand.hotY, 10);
    EXPECT_EQ(PixelOf(hand, 15, 10), 'o');
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_NE(PixelOf(hand, x, y), '~') << x << "," << y;
            ASSERT_NE(PixelOf(PointingHandMasks(), x, y), '~') << x << "," << y;
        }
    }
}
