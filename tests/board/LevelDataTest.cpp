// The game's own levels and bricks: every level file loads with a lock to open, and pictures of three
// levels and of every brick are written to the tests' folder ("board_level001.png", "board_level020.png",
// "board_level045.png", "board_bricks.png") to be looked at.
#include "BoardFixture.h"
#include "board/Level.h"
#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "support/PngFile.h"

#include <cstdio>

namespace {

using LevelDataTest = BoardFixture;

TEST_F(LevelDataTest, EverySixtyLevelsLoadsWithALockToOpen)
{
    EXPECT_EQ(app.GetIntProperty("set_total_levels"), 60);
    for (int number = 1; number <= 60; ++number) {
        TestBoard board;
        ASSERT_TRUE(SetUpLevel(board, number)) << number;
        EXPECT_EQ(UserProfile::GetLevel(), number);
        EXPECT_GT(Level::Instance()->totalLocks, 0) << number;
        for (int y = 0; y < kFieldHeight; ++y) {
            for (int x = 0; x < kFieldWidth; ++x) {
                EXPECT_EQ(board.HasBrick(x, y), board.IsPlayable(x, y)) << number << ": " << x << "," << y;
            }
        }
    }
}

TEST_F(LevelDataTest, LevelsAreRenderedToBeLookedAt)
{
    for (int number : {1, 20, 45}) {
        TestBoard board;
        ASSERT_TRUE(SetUpLevel(board, number));
        PlaceForShow(board);
        char name[32];
        std::snprintf(name, sizeof name, "board_level%03d.png", number);
        RenderBoard(board, name);
    }
}

// Eight bricks a row, the live bonus's eight cels in the last, on the plain tile.
TEST_F(LevelDataTest, EveryBrickIsRenderedToBeLookedAt)
{
    constexpr int kCell = 36;
    constexpr int kGap = 8;
    Tolm::MemoryImage sheet;
    sheet.Create(8 * (kCell + kGap) + kGap, 5 * (kCell + kGap) + kGap);
    Tolm::Graphics g(&sheet);
    g.SetColor(Tolm::Color(38, 52, 82));
    g.FillRect(0, 0, sheet.width, sheet.height);
    Tolm::Image* tile = GetImageById("FIELD_CELL_SIMPLE");
    for (int slot = 0; slot < 40; ++slot) {
        const int type = slot < 31 ? slot + 1 : kBrickLiveBonus;
        const int x = kGap + (slot % 8) * (kCell + kGap);
        const int y = kGap + (slot / 8) * (kCell + kGap);
        if (slot == 31) {
            continue;
        }
        Tolm::Image* image = nullptr;
        ASSERT_TRUE(GetBrickImage(type, image));
        g.DrawImage(tile, x, y);
        const int cel = slot < 31 ? 0 : slot - 32;
        g.DrawImagePart(image, x, y, image->GetFrameRect(cel));
    }
    EXPECT_TRUE(PngFile::Write(testsFolder + "/board_bricks.png", sheet.width, sheet.height, sheet.GetBits()));
}

} // namespace
