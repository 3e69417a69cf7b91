// A shape's grow: widening it, narrowing it, and a shape that runs off the picture keeping that edge.
#include "PaintedPicture.h"

#include <gtest/gtest.h>

namespace {

TEST(GrowTest, GrowWidensOrNarrowsAShapeByItsDistance)
{
    // A square from x 10 to 30, grown or worn by 3 pixels: its left edge moves to 7 or to 13. Row 20 is
    // well inside the square, away from its corners.
    struct Case
    {
        const char* name;
        const char* grow;
        int x;
        int alpha;
    };
    const Case cases[] = {
        {"grown: a pixel 1.5 outside the square is covered", "3", 8, 255},
        {"grown: a pixel 3.5 outside the square stays clear", "3", 6, 0},
        {"worn: a pixel 1.5 inside the square is cleared", "-3", 11, 0},
        {"worn: a pixel 3.5 inside the square stays covered", "-3", 13, 255},
        {"not grown: the square's own edge", "0", 9, 0},
        {"not grown: inside the square", "0", 10, 255},
    };
    for (const Case& c : cases) {
        const Picture square =
            Paint(std::string("<rect x='10' y='10' w='20' h='20' fill='#FFFFFF' grow='") + c.grow + "'/>", 40, 40);
        EXPECT_EQ(square.Alpha(c.x, 20), c.alpha) << c.name;
    }
}

TEST(GrowTest, WearingLeavesTheEdgeWhereAShapeRunsOffThePicture)
{
    // The square covers x 0 to 20 of the picture; worn by 3 pixels, its right edge moves to 17 while its
    // left edge stays at the picture's border.
    const Picture square = Paint("<rect x='-10' y='10' w='30' h='20' fill='#FFFFFF' grow='-3'/>", 40, 40);
    EXPECT_EQ(square.Alpha(0, 20), 255);
    EXPECT_EQ(square.Alpha(16, 20), 255);
    EXPECT_EQ(square.Alpha(18, 20), 0);
}

} // namespace
