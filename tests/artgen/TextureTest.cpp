// The painter's texture and repetition: tile fills, grain, repeated shapes and turning frame sheets.
#include "PaintedPicture.h"

#include <gtest/gtest.h>

namespace {

TEST(TextureTest, TilesLaySeamsAndShiftEveryOtherCourse)
{
    // 10 x 10 tiles, 2-pixel seams, the second course moved on by half a tile.
    const Picture picture =
        Paint("<rect x='0' y='0' w='40' h='20' fill='tiles(10 10 0.5 2; #808080; #000000)'/>", 40, 20);
    struct Case
    {
        const char* name;
        int x;
        int y;
        bool seam;
    };
    const Case cases[] = {
        {"left edge of the first course", 0, 5, true},
        {"middle of a first-course tile", 5, 5, false},
        {"seam between two first-course tiles", 10, 5, true},
        {"seam between the courses", 5, 10, true},
        {"second course: its seam under a first-course middle", 5, 15, true},
        {"second course: a tile middle under a first-course seam", 10, 15, false},
    };
    for (const Case& c : cases) {
        const int red = picture.Red(c.x, c.y);
        if (c.seam) {
            EXPECT_EQ(red, 0) << c.name;
        } else {
            // Each tile within its shade range of 0x80: 0.875 to 1.115 times.
            EXPECT_GE(red, 111) << c.name;
            EXPECT_LE(red, 143) << c.name;
        }
    }
}

TEST(TextureTest, GrainMottlesAFillWithinItsAmountTheSameEveryTime)
{
    const std::string shapes = "<rect x='0' y='0' w='64' h='64' fill='#808080' grain='0.2' grainsize='4'/>";
    const Picture first = Paint(shapes, 64, 64);
    int lowest = 255;
    int highest = 0;
    long sum = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            lowest = std::min(lowest, first.Red(x, y));
            highest = std::max(highest, first.Red(x, y));
            sum += first.Red(x, y);
        }
    }
    // 128 x (1 +- 0.2), rounded.
    EXPECT_GE(lowest, 102);
    EXPECT_LE(highest, 154);
    EXPECT_GE(highest - lowest, 12) << "no visible grain";
    EXPECT_NEAR(double(sum) / (64 * 64), 128, 10);
    EXPECT_EQ(Paint(shapes, 64, 64).pixels, first.pixels);
}

TEST(TextureTest, RepeatDrawsEachCopyMovedOnWithItsIndex)
{
    const Picture row =
        Paint("<repeat count='3' dx='10'><rect x='0' y='0' w='4' h='4' fill='#FF0000'/></repeat>", 32, 4);
    for (int x : {1, 11, 21}) {
        EXPECT_EQ(row.Alpha(x, 1), 255) << x;
    }
    for (int x : {6, 16, 26, 31}) {
        EXPECT_EQ(row.Alpha(x, 1), 0) << x;
    }
    // Copy i sits i x 8 to the right of where the move alone puts it.
    const Picture stairs =
        Paint("<repeat count='2' dy='4'><rect x='$i * 8' y='0' w='4' h='4' fill='#FF0000'/></repeat>", 16, 8);
    EXPECT_EQ(stairs.Alpha(1, 1), 255);
    EXPECT_EQ(stairs.Alpha(9, 5), 255);
    EXPECT_EQ(stairs.Alpha(1, 5), 0);
    EXPECT_EQ(stairs.Alpha(9, 1), 0);
}

TEST(TextureTest, FrameSheetTurnsAShapeByItsPerFrameAngle)
{
    // Four looping cels, a turn of 0, 90, 180 and 270 degrees clockwise: a bar from the cel's centre up.
    const Picture sheet = Paint("<frames count='4' cols='4' width='10' height='10' loop='1'>"
                                "<group x='5' y='5' rotate='0~360'><rect x='-1' y='-5' w='2' h='5' fill='#FF0000'/>"
                                "</group></frames>",
                                40, 10);
    struct Case
    {
        const char* name;
        int x;
        int y;
        bool covered;
    };
    const Case cases[] = {
        {"cel 0 points up", 5, 1, true},    {"cel 0 not right", 8, 5, false},   {"cel 1 points right", 18, 5, true},
        {"cel 1 not up", 15, 1, false},     {"cel 2 points down", 25, 8, true}, {"cel 2 not up", 25, 1, false},
        {"cel 3 points left", 31, 5, true}, {"cel 3 not right", 38, 5, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sheet.Alpha(c.x, c.y) > 200, c.covered) << c.name;
    }
}

} // namespace
