// Collapse and refill: an exploded chain refilled by the bricks flowing along it from behind its first
// brick, the drop and refill after a tool, and the pictures that follow the grid: holds, slides that take
// the chain's turns, and new bricks fading in one after another.
#include "BoardFixture.h"
#include "board/BrickLiveGfx.h"
#include "board/Level.h"
#include "board/Solver.h"
#include "bricks/BrickHelper.h"

#include <cmath>
#include <vector>

namespace {

class CollapseTest : public BoardFixture
{
protected:
    CollapseTest()
    {
        // New bricks are all gold 1 ('a'), so they stand out from the laid ones.
        Level::Instance()->allowed.reset();
        Level::Instance()->allowed.set(1);
    }

    static const BrickLiveGfx& Live(const BrickBase* brick) { return dynamic_cast<const BrickLiveGfx&>(*brick); }

    // Seconds until each brick starts to fade in (its alpha leaves 0), stepping the board.
    std::vector<float> FadeStarts(const std::vector<const BrickBase*>& bricks)
    {
        std::vector<float> starts(bricks.size(), -1.0f);
        for (int update = 1; update <= 200; ++update) {
            Step(board);
            for (std::size_t i = 0; i < bricks.size(); ++i) {
                if (starts[i] < 0 && Live(bricks[i]).alpha > 0) {
                    starts[i] = float(update) * 0.01f;
                }
            }
        }
        return starts;
    }

    // After the animations every brick rests, fully shown, on the cell of its slot.
    void ExpectAllAtRest()
    {
        Steps(board, 300);
        EXPECT_FALSE(board.IsBusy());
        for (int y = 0; y < kFieldHeight; ++y) {
            for (int x = 0; x < kFieldWidth; ++x) {
                const BrickBase* brick = board.GetBrick(x, y);
                if (brick->GetType() == kBrickEmpty) {
                    continue;
                }
                int px = 0;
                int py = 0;
                CellToPixel(x, y, px, py);
                EXPECT_EQ(float(brick->pixelX) + brick->offsetX, float(px)) << x << "," << y;
                EXPECT_EQ(float(brick->pixelY) + brick->offsetY, float(py)) << x << "," << y;
                EXPECT_EQ(Live(brick).alpha, 1.0f) << x << "," << y;
            }
        }
    }

    TestBoard board;
};

TEST_F(CollapseTest, AChainGoingRightPullsTheRowBehindItAlong)
{
    LayBoard(board, "c d c d c b b b e f e f e f e f");
    const std::string shown = Play(board, "press 5 0\ndrag 6 0\ndrag 7 0\nrelease\nshow");
    // The row slid right by three slots, three new bricks entered at its left end.
    // Each exploded brick draws its stream's bend, and each new brick one number.
    EXPECT_EQ(shown, "a a a c d c d c e f e f e f e f\n"
                     "busy:\nsounds:\ndraws: 6\n");
    // The last new brick was the first one made; they wait 1 x 0.12 + 0.4, 2 x 0.12 + 0.4 and 3 x 0.12
    // + 0.4 seconds before they fade in.
    const std::vector<float> starts = FadeStarts({board.GetBrick(2, 0), board.GetBrick(1, 0), board.GetBrick(0, 0)});
    EXPECT_NEAR(starts[0], 0.52f, 0.011f);
    EXPECT_NEAR(starts[1], 0.64f, 0.011f);
    EXPECT_NEAR(starts[2], 0.76f, 0.011f);
    ExpectAllAtRest();
}

// Whichever way the chain's first step goes, the run behind its first brick (on the far side from that
// step) holds 0.4 s, then moves into the chain by three slots, and three new bricks enter at the run's far
// end. Laid in one row or one column, each chain with three bricks behind it.
TEST_F(CollapseTest, EveryFirstStepPullsTheRunBehindItAfterAHold)
{
    const struct
    {
        const char* way;
        const char* rows;
        const char* chain;
        int behindX, behindY;
        const char* after;
    } cases[] = {
        {"right", "c d c d c b b b e f", "press 5 0\ndrag 6 0\ndrag 7 0", 4, 0, "a a a c d c d c e f\n"},
        {"left", "e f e b b b c d c d", "press 5 0\ndrag 4 0\ndrag 3 0", 6, 0, "e f e c d c d a a a\n"},
        {"down", "c\nd\nc\nb\nb\nb\ne\nf", "press 0 3\ndrag 0 4\ndrag 0 5", 0, 2, "a\na\na\nc\nd\nc\ne\nf\n"},
        {"up", "e\nf\nb\nb\nb\nc\nd\nc", "press 0 4\ndrag 0 3\ndrag 0 2", 0, 5, "e\nf\nc\nd\nc\na\na\na\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        LayBoard(board, c.rows);
        const BrickBase* behind = board.GetBrick(c.behindX, c.behindY);
        Play(board, std::string(c.chain) + "\nrelease");
        EXPECT_EQ(BoardRows(board), c.after);
        int firstMove = -1;
        for (int update = 1; update <= 60 && firstMove < 0; ++update) {
            Step(board);
            if (behind->offsetX != 0 || behind->offsetY != 0) {
                firstMove = update;
            }
        }
        EXPECT_NEAR(float(firstMove) * 0.01f, 0.4f, 0.011f);
        ExpectAllAtRest();
    }
}

// A tool empties slots under a brick still busy with its own animation and under one at rest: the busy
// brick falls as soon as its animation ends, the resting one holds 0.4 s first.
TEST_F(CollapseTest, ABrickStillAnimatingFallsOnAtOnceAndAnIdleOneAfterAHold)
{
    LayBoard(board, ". f\n"
                    "d h\n"
                    "e e");
    // The new brick in the top left corner waits 0.52 s, then fades in for 0.06 s.
    board.RefillFromTop();
    const BrickBase* fading = board.GetBrick(0, 0);
    const BrickBase* resting = board.GetBrick(1, 0);
    Steps(board, 10);
    board.PutNewBrick(0, 1, kBrickEmpty);
    board.PutNewBrick(1, 1, kBrickEmpty);
    board.DropAndRefill();
    ASSERT_EQ(board.GetBrick(0, 1), fading);
    ASSERT_EQ(board.GetBrick(1, 1), resting);
    int fadingMoves = -1;
    int restingMoves = -1;
    for (int update = 1; update <= 100; ++update) {
        Step(board);
        if (fadingMoves < 0 && fading->offsetY != 0) {
            fadingMoves = update;
        }
        if (restingMoves < 0 && resting->offsetY != 0) {
            restingMoves = update;
        }
    }
    // 0.52 + 0.06 - 0.1 s: the rest of its wait and its fade.
    EXPECT_NEAR(float(fadingMoves) * 0.01f, 0.48f, 0.021f);
    EXPECT_NEAR(float(restingMoves) * 0.01f, 0.4f, 0.011f);
    ExpectAllAtRest();
}

TEST_F(CollapseTest, AChainFromTheEdgeIsFedThroughItsFirstSlot)
{
    LayBoard(board, "b b b c d\nc d c c c");
    EXPECT_EQ(Play(board, "press 0 0\ndrag 1 0\ndrag 2 0\nrelease\nshow"), "a a a c d\n"
                                                                           "c d c c c\n"
                                                                           "busy:\nsounds:\ndraws: 6\n");
    // The first new brick ran two slots along the chain.
    EXPECT_EQ(board.GetBrick(2, 0)->GetOffsetX(), float(2 * GetCellSize()));
    ExpectAllAtRest();
}

// The chain goes right, down, left and up again, so that its last brick lies just behind its first. The
// run behind the first brick stops at the chain's own slots, even once they hold new bricks: every new
// brick enters at the first slot and runs along the chain, and the c and d behind it stay where they are.
TEST_F(CollapseTest, AChainCurlingBehindItsFirstBrickIsFedOnlyThroughItsFirstSlot)
{
    LayBoard(board, "c b b b\n"
                    "d b b b");
    EXPECT_EQ(Play(board, "press 2 0\ndrag 3 0\ndrag 3 1\ndrag 2 1\ndrag 1 1\ndrag 1 0\nrelease\nshow"),
              "c a a a\n"
              "d a a a\n"
              "busy:\nsounds:\ndraws: 12\n");
    ExpectAllAtRest();
}

TEST_F(CollapseTest, BricksFollowTheChainRoundItsCorner)
{
    LayBoard(board, "c c c c c\n"
                    "c c c c c\n"
                    "d e b b b\n"
                    "c c c c b\n"
                    "c c c c b");
    const BrickBase* e = board.GetBrick(1, 2);
    EXPECT_EQ(Play(board, "press 2 2\ndrag 3 2\ndrag 4 2\ndrag 4 3\ndrag 4 4\nrelease\nshow"),
              "c c c c c\n"
              "c c c c c\n"
              "a a a a a\n"
              "c c c c d\n"
              "c c c c e\n"
              "busy:\nsounds:\ndraws: 10\n");
    ASSERT_EQ(board.GetBrick(4, 4), e);
    // The e travels right along row 2 to the corner, then down: never off the chain's path.
    const float cell = float(GetCellSize());
    for (int update = 0; update < 300; ++update) {
        Step(board);
        const bool downward = e->offsetY > 0;
        EXPECT_TRUE(!downward || e->offsetX == 3 * cell) << "update " << update;
    }
    EXPECT_EQ(e->offsetX, 3 * cell);
    EXPECT_EQ(e->offsetY, 2 * cell);
    ExpectAllAtRest();
}

TEST_F(CollapseTest, ABombAboveAHoleRefillsUnderTheHole)
{
    LayBoard(board, "c d c\n"
                    "d c d\n"
                    "c d c\n"
                    "d   d\n"
                    "c d c\n"
                    "d c d\n"
                    "c d c");
    // Beside the hole the columns drop and refill from the top; under it the new bricks start just
    // below the hole, the first falling furthest.
    EXPECT_EQ(Play(board, "bomb 1 4\nshow"), "a d a\n"
                                             "a c a\n"
                                             "a d a\n"
                                             "c   c\n"
                                             "d a d\n"
                                             "c a c\n"
                                             "c d c\n"
                                             "busy:\nsounds: SOUND_BONUS_BOMB\ndraws: 16\n");
    ExpectAllAtRest();
}

TEST_F(CollapseTest, AnEmptyColumnFillsFromItsTopBottomFirst)
{
    LayBoard(board, ".\n.\n.\n.\n.\n.\n.\n.\n.\n.\n.\n.");
    Level::Instance()->allowed.set(2);
    Level::Instance()->allowed.set(3);
    board.RefillFromTop();
    ReferenceRandom reference(kSeed);
    std::vector<const BrickBase*> bricks;
    for (int y = kFieldHeight - 1; y >= 0; --y) {
        // The refill's walk over the allowed types 1, 2, 3 by a count drawn from 1 to 60.
        const int n = reference.Range(1, 60);
        EXPECT_EQ(board.GetBrickType(0, y), 1 + (n - 1) % 3) << y;
        EXPECT_EQ(board.GetBrick(0, y)->GetOffsetY(), float(y * GetCellSize())) << y;
        bricks.push_back(board.GetBrick(0, y));
    }
    const std::vector<float> starts = FadeStarts(bricks);
    for (std::size_t k = 1; k <= bricks.size(); ++k) {
        EXPECT_NEAR(starts[k - 1], float(k) * 0.12f + 0.4f, 0.011f) << k;
    }
    ExpectAllAtRest();
}

// Level 1 as it plays, with its particles: a chain drawn with its arrows, exploding, collapsing and
// refilled, then a bomb; each stage is written out to be looked at.
TEST_F(CollapseTest, AChainExplodesAndTheBoardRefillsOnTheScreen)
{
    LoadParticleEffects();
    ASSERT_TRUE(SetUpLevel(board, 1));
    PlaceForShow(board);
    Solver::Instance()->Recount(board);
    // The longest run of one kind along a row, as a player would drag it.
    int bestX = 0;
    int bestY = 0;
    int bestLength = 0;
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            int length = 0;
            while (board.HasBrick(x + length, y) && board.GetBrickType(x + length, y) == board.GetBrickType(x, y)) {
                ++length;
            }
            if (length > bestLength) {
                bestX = x;
                bestY = y;
                bestLength = length;
            }
        }
    }
    ASSERT_GE(bestLength, 3);
    std::string drag = "press " + std::to_string(bestX) + ' ' + std::to_string(bestY) + '\n';
    for (int i = 1; i < bestLength; ++i) {
        drag += "drag " + std::to_string(bestX + i) + ' ' + std::to_string(bestY) + '\n';
    }
    Play(board, drag + "update 20");
    RenderBoard(board, "board_moves_chain.png");
    Play(board, "release\nupdate 8");
    RenderBoard(board, "board_moves_exploding.png");
    Play(board, "update 50");
    RenderBoard(board, "board_moves_collapsing.png");
    Play(board, "update 300\nbomb 7 5\nupdate 12");
    RenderBoard(board, "board_moves_bomb.png");
    Play(board, "update 300");
    RenderBoard(board, "board_moves_refilled.png");
    EXPECT_FALSE(board.IsBusy());
}

} // namespace
