// A shape's grow: widening it, narrowing it, and a shape that runs off the picture keeping that edge.
#include "Painter.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace {

// The alpha of each pixel of the shapes drawn on a clear picture of that size.
std::vector<int> Alphas(const std::string& shapes, int width, int height)
{
    TiXmlDocument document;
    document.Parse(("<image>" + shapes + "</image>").c_str());
    EXPECT_FALSE(document.Error()) << document.ErrorDesc();
    ArtGen::ArtLibrary library;
    ArtGen::Painter painter(library, width, height);
    EXPECT_TRUE(painter.DrawChildren(*document.RootElement(), ArtGen::Transform(), nullptr)) << painter.error;
    const uint32_t* bits = painter.Canvas().GetBits();
    std::vector<int> alphas;
    for (int i = 0; i < width * height; ++i) {
        alphas.push_back(int(bits[i] >> 24));
    }
    return alphas;
}

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
        const std::vector<int> alphas =
            Alphas(std::string("<rect x='10' y='10' w='20' h='20' fill='#FFFFFF' grow='") + c.grow + "'/>", 40, 40);
        EXPECT_EQ(alphas[std::size_t(20 * 40 + c.x)], c.alpha) << c.name;
    }
}

TEST(GrowTest, WearingLeavesTheEdgeWhereAShapeRunsOffThePicture)
{
    // The square covers x 0 to 20 of the picture; worn by 3 pixels, its right edge moves to 17 while its
    // left edge stays at the picture's border.
    const std::vector<int> alphas = Alphas("<rect x='-10' y='10' w='30' h='20' fill='#FFFFFF' grow='-3'/>", 40, 40);
    EXPECT_EQ(alphas[20 * 40 + 0], 255);
    EXPECT_EQ(alphas[20 * 40 + 16], 255);
    EXPECT_EQ(alphas[20 * 40 + 18], 0);
}

} // namespace
