// The brick helper's codes, images, colour groups and cell geometry, the arrow helper's image, and the
// position list the board's actions keep busy slots in.
#include "BoardFixture.h"
#include "board/ArrowHelper.h"
#include "board/BoardImages.h"
#include "board/PositionList.h"
#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"

namespace {

using HelpersTest = BoardFixture;

TEST(BrickCodeTest, CodesParseWithTheirUncheckedArithmetic)
{
    const struct
    {
        const char* code;
        int type;
    } cases[] = {
        {"", 0},    {"G", 0},   {"G1", 1},  {"G7", 7},  {"G10", 10}, {"G105", 10}, {"G0", 0},  {"F0", 10},
        {"F1", 11}, {"F8", 18}, {"F9", 19}, {"S1", 19}, {"S8", 26},  {"S9", 27},   {"B0", 26}, {"B1", 27},
        {"B5", 31}, {"B6", 32}, {"B9", 35}, {"Gx", 72}, {"G/", -1},  {"g1", 0},    {"X1", 0},  {"b1", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseBrickCode(c.code), c.type) << c.code;
    }
}

TEST(PositionListTest, HoldsEachPositionOnceInTheOrderAdded)
{
    PositionList list;
    EXPECT_TRUE(list.Add(3, 4));
    EXPECT_TRUE(list.Add(0, 0));
    EXPECT_TRUE(list.Add(15, 11));
    EXPECT_FALSE(list.Add(3, 4));
    EXPECT_EQ(list.Size(), 3u);
    EXPECT_FALSE(list.Remove(4, 3));
    EXPECT_TRUE(list.Remove(3, 4));
    EXPECT_FALSE(list.Contains(3, 4));
    EXPECT_TRUE(list.Contains(0, 0));
    const std::vector<FieldPosition> left(list.begin(), list.end());
    EXPECT_EQ(left, (std::vector<FieldPosition>{{0, 0}, {15, 11}}));
}

TEST_F(HelpersTest, BrickImagesExistForTypesOneToThirtyTwoOnly)
{
    Tolm::MemoryImage sentinel;
    Tolm::Image* image = &sentinel;
    EXPECT_FALSE(GetBrickImage(0, image));
    EXPECT_EQ(image, nullptr);
    EXPECT_FALSE(GetBrickImage(33, image));
    EXPECT_EQ(image, nullptr);
    for (int type = 1; type <= 32; ++type) {
        EXPECT_TRUE(GetBrickImage(type, image)) << type;
        EXPECT_EQ(image->GetFrameWidth(), 36) << type;
        EXPECT_EQ(image->GetFrameHeight(), 36) << type;
    }
    GetBrickImage(32, image);
    EXPECT_EQ(image->numFrames, 8);
    std::string error;
    EXPECT_TRUE(CheckBoardImages(error)) << error;
}

TEST_F(HelpersTest, CellsAreThirtySixPixelsFromTheOrigin)
{
    EXPECT_EQ(GetCellSize(), 36);
    const struct
    {
        int x, y, px, py;
    } cases[] = {{0, 0, 112, 70}, {15, 11, 112 + 15 * 36, 70 + 11 * 36}, {-1, -2, 76, -2}, {16, 0, 688, 70}};
    for (const auto& c : cases) {
        int px = 0;
        int py = 0;
        CellToPixel(c.x, c.y, px, py);
        EXPECT_EQ(px, c.px);
        EXPECT_EQ(py, c.py);
        float fx = 0;
        float fy = 0;
        CellToPixelF(c.x, c.y, fx, fy);
        EXPECT_EQ(fx, float(c.px));
        EXPECT_EQ(fy, float(c.py));
    }
}

TEST_F(HelpersTest, ColourGroupsAndKindNamesComeFromTheProperties)
{
    // Gold 1-4 lie in four groups; ruby (G2), apple (F1) and clay bricks (S3) share the red one.
    EXPECT_EQ(GetBrickColor(1), 3);
    EXPECT_EQ(GetBrickColor(2), 1);
    EXPECT_EQ(GetBrickColor(11), 1);
    EXPECT_EQ(GetBrickColor(21), 1);
    EXPECT_EQ(GetBrickColor(27), 11);
    EXPECT_EQ(GetBrickColor(32), 0);
    EXPECT_EQ(GetBrickColor(0), 0);
    EXPECT_EQ(GetBrickColor(33), 0);
    EXPECT_EQ(GetBrickKindName(1), "Gold");
    EXPECT_EQ(GetBrickKindName(18), "Food");
    EXPECT_EQ(GetBrickKindName(19), "Supplies");
    EXPECT_EQ(GetBrickKindName(31), "Bonus");
    EXPECT_EQ(GetBrickKindName(32), "");
    EXPECT_EQ(GetBrickKindName(0), "");
}

TEST_F(HelpersTest, ArrowsAreCentredInTheirCellAndAnimated)
{
    EXPECT_EQ(ArrowHelper::GetFrameCount(), 8);
    EXPECT_EQ(ArrowHelper::GetFrameDelay(), 6);
    EXPECT_EQ(ArrowHelper::Instance()->insetX, 0);
    EXPECT_EQ(ArrowHelper::Instance()->insetY, 0);
}

// The arrow's head is wider than its tail: the half of the drawn frame the head lies in covers more.
TEST_F(HelpersTest, ArrowsPointTheWayOfTheirStep)
{
    const struct
    {
        const char* name;
        void (*draw)(Tolm::Graphics&, int, int, int);
        int headDx;
        int headDy;
    } cases[] = {
        {"right", ArrowHelper::DrawRight, 1, 0},
        {"left", ArrowHelper::DrawLeft, -1, 0},
        {"up", ArrowHelper::DrawUp, 0, -1},
        {"down", ArrowHelper::DrawDown, 0, 1},
    };
    for (const auto& c : cases) {
        Tolm::MemoryImage canvas;
        canvas.Create(800, 600);
        canvas.Clear();
        Tolm::Graphics g(&canvas);
        c.draw(g, 2, 2, 3);
        // The frame's top-left: cell (2, 2) shifted half a cell toward the step.
        const int left = 112 + 72 + c.headDx * 18;
        const int top = 70 + 72 + c.headDy * 18;
        int head = 0;
        int tail = 0;
        int outside = 0;
        const uint32_t* bits = canvas.GetBits();
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                if ((bits[y * 800 + x] >> 24) < 128) {
                    continue;
                }
                const int fx = x - left;
                const int fy = y - top;
                if (fx < 0 || fx >= 36 || fy < 0 || fy >= 36) {
                    ++outside;
                    continue;
                }
                const int along = c.headDx != 0 ? (fx - 18) * c.headDx : (fy - 18) * c.headDy;
                (along >= 0 ? head : tail) += 1;
            }
        }
        EXPECT_EQ(outside, 0) << c.name;
        EXPECT_GT(head, tail + 40) << c.name;
    }
}

TEST_F(HelpersTest, AMissingBoardPictureIsNamed)
{
    app.resourceManager->UnloadGroup("Field");
    std::string error;
    EXPECT_FALSE(CheckBoardImages(error));
    EXPECT_EQ(error, "The board's picture FIELD_CELL_BORDER is missing.");
}

} // namespace
