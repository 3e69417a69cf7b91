// The chain being drawn: the link rule, adding and cutting back, the gap fill in a straight line and by
// the shortest path within a move group (with its order among equal paths), the chain's kind and first
// direction, and the arrows' animation.
#include "BoardFixture.h"
#include "board/ArrowHelper.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "support/DrawLog.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

class PathTest : public BoardFixture
{
protected:
    // Adds the brick at each "x,y" of the list in turn; the results of the Add calls.
    std::string Drag(const std::string& cells)
    {
        std::istringstream list(cells);
        std::string results;
        int x = 0;
        int y = 0;
        char comma = 0;
        while (list >> x >> comma >> y) {
            const int result = path->Add(board, x, y, board.GetBrick(x, y));
            results += result > 0 ? '+' : result == 0 ? '0' : '-';
        }
        return results;
    }

    // The chain's positions as "x,y x,y ...".
    std::string Chain()
    {
        std::string text;
        int x = 0;
        int y = 0;
        for (path->Rewind(); path->Next(&x, &y);) {
            text += (text.empty() ? "" : " ") + std::to_string(x) + ',' + std::to_string(y);
        }
        return text;
    }

    void Lay(const std::string& rows)
    {
        LayBoard(board, rows);
        Solver::Instance()->Recount(board);
    }

    TestBoard board;
    PathStorage* path = PathStorage::Instance();
};

TEST_F(PathTest, BricksLinkByKindAndThroughTheLiveBonus)
{
    // A chain "d + b a c" is laid by a straight gap behind the live bonus, which lets every kind in.
    Lay("d + b a c\nb a c d");
    ASSERT_EQ(Drag("0,0 1,0 4,0"), "+++");
    ASSERT_EQ(Chain(), "0,0 1,0 2,0 3,0 4,0");
    const struct
    {
        const char* name;
        const char* chain;
        int x, y;
        bool links;
    } cases[] = {
        {"another kind than the last", "0,0", 0, 1, false},
        {"the same kind as the last", "0,0", 3, 1, true},
        {"the live bonus after anything", "0,0", 1, 0, true},
        {"anything after the live bonus", "0,0 1,0", 0, 1, true},
        {"a kind met before any live bonus, from the end back", "0,0 1,0 4,0", 0, 1, true},
        {"a kind met only behind the live bonus", "0,0 1,0 4,0", 3, 1, false},
        {"an empty place never", "0,0", 5, 0, false},
    };
    for (const auto& c : cases) {
        path->Clear();
        Drag(c.chain);
        EXPECT_EQ(path->Links(board.GetBrick(c.x, c.y)), c.links) << c.name;
    }
    // A brick that does not link is refused without changing the chain.
    path->Clear();
    EXPECT_EQ(Drag("0,0 0,1"), "+-");
    EXPECT_EQ(Chain(), "0,0");
}

TEST_F(PathTest, MovingBackOntoTheChainCutsIt)
{
    Lay("a a a a a a");
    ASSERT_EQ(Drag("0,0 1,0 2,0 3,0 4,0"), "+++++");
    EXPECT_EQ(Drag("2,0"), "0");
    EXPECT_EQ(Chain(), "0,0 1,0 2,0");
    EXPECT_TRUE(path->IsLast(2, 0));
    EXPECT_EQ(Drag("3,0 4,0 0,0"), "++0");
    EXPECT_EQ(path->GetLength(), 0);
    // A one-brick chain left and entered again is emptied too.
    EXPECT_EQ(Drag("5,0 5,0"), "+0");
    EXPECT_EQ(path->GetLength(), 0);
}

TEST_F(PathTest, AStraightJumpOverLinkingBricksTakesThemAll)
{
    Lay("a a a a b a a");
    EXPECT_EQ(Drag("0,0 3,0"), "++");
    EXPECT_EQ(Chain(), "0,0 1,0 2,0 3,0");
    // Over a brick of another kind, with no way round it, nothing is added.
    EXPECT_EQ(Drag("6,0"), "0");
    EXPECT_EQ(Chain(), "0,0 1,0 2,0 3,0");
}

TEST_F(PathTest, AJumpOverAnotherKindGoesRoundItWithinTheGroup)
{
    // The ring of a round the b: the two ways round are equally long. The first step's edges are tried
    // right (the b: none), left (off the board), down, up, so (0, 2) is settled before (0, 0), (1, 2)
    // before (1, 0) and (2, 2) before (2, 0); (2, 2) reaches the target first and keeps it.
    Lay("a a a\na b a\na a a");
    EXPECT_EQ(Drag("0,1 2,1"), "++");
    EXPECT_EQ(Chain(), "0,1 0,2 1,2 2,2 2,1");
}

TEST_F(PathTest, TheGapFillKeepsToTheGroupOfTheChainsEnd)
{
    // Two groups of a joined only through a c, which no chain of a crosses.
    Lay("a a a c a a a\n"
        "b b b a b b b");
    EXPECT_EQ(Drag("0,0 6,0"), "+0");
    EXPECT_EQ(Chain(), "0,0");
    // A busy slot is no way either: the jump from (0, 0) to (2, 0) cannot pass (1, 0).
    path->Clear();
    board.busy.Add(1, 0);
    EXPECT_EQ(Drag("0,0 2,0"), "+0");
}

// The chain's own bricks are no way for a jump: neither on the straight line nor on the way round. Taken
// again they would be paid twice.
TEST_F(PathTest, AJumpNeverPassesOverTheChainsOwnBricks)
{
    const struct
    {
        const char* name;
        const char* rows;
        const char* chain;
        int x, y;
        const char* added;
        const char* after;
    } cases[] = {
        // The straight line from (0, 0) to (3, 0) crosses (2, 0), the chain's first brick; (1, 0) leads
        // nowhere else, so nothing is added.
        {"the straight line", "a a a a\na a a", "2,0 2,1 1,1 0,1 0,0", 3, 0, "0", "2,0 2,1 1,1 0,1 0,0"},
        // The way through the chain, (1, 0) (0, 0) (0, 1), would be four steps; round the two b it is six.
        {"the way round", "a a a a\na b b a\na a a a", "0,1 0,0 1,0 2,0", 0, 2, "+",
         "0,1 0,0 1,0 2,0 3,0 3,1 3,2 2,2 1,2 0,2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        path->Clear();
        Lay(c.rows);
        std::string drag = c.chain;
        ASSERT_EQ(Drag(drag), std::string(std::size_t(std::count(drag.begin(), drag.end(), ' ') + 1), '+'));
        EXPECT_EQ(Drag(std::to_string(c.x) + ',' + std::to_string(c.y)), c.added);
        EXPECT_EQ(Chain(), c.after);
    }
}

// Two ways round the b from (1, 0) to (1, 2), equally long: the edges of the chain's end are added right
// before left, so (2, 0) is settled first and the way down the right side reaches the target first.
TEST_F(PathTest, OfTwoEqualWaysTheOneStartingRightIsTaken)
{
    Lay("a a a\na b a\na a a");
    EXPECT_EQ(Drag("1,0 1,2"), "++");
    EXPECT_EQ(Chain(), "1,0 2,0 2,1 2,2 1,2");
}

// The last count's groups bound a jump even where the bricks now link: the c beside the group of a became
// an a after the count, so it lies in no group of that count, and the jump onto it is refused although a
// way of linking bricks leads there. Within the group the same kind of jump is taken.
TEST_F(PathTest, AJumpStaysWithinTheGroupOfTheLastCount)
{
    Lay("a a a c\n"
        "a b b b");
    board.PutNewBrick(3, 0, 1);
    EXPECT_EQ(Drag("0,1 3,0"), "+0");
    EXPECT_EQ(Chain(), "0,1");
    EXPECT_EQ(Drag("2,0"), "+");
    EXPECT_EQ(Chain(), "0,1 0,0 1,0 2,0");
}

TEST_F(PathTest, TheGapFillUsesTheLastCountsLabelsEvenWhereNoGroupIs)
{
    // Counted on three separate kinds: no groups, every label 0. Then the bricks change without a new
    // count, and the path runs through the slots of no group.
    Lay("a b\nc d\ne f");
    ASSERT_EQ(Solver::Instance()->GetGroupCount(), 0);
    for (const auto& [x, y] : {FieldPosition(1, 0), FieldPosition(1, 1), FieldPosition(1, 2), FieldPosition(0, 2)}) {
        board.PutNewBrick(x, y, 1);
    }
    EXPECT_EQ(Drag("0,0 0,2"), "++");
    EXPECT_EQ(Chain(), "0,0 1,0 1,1 1,2 0,2");
}

TEST_F(PathTest, TheChainsKindAndFirstDirection)
{
    Lay("k k k 1 1 1\nk + a\nk");
    const struct
    {
        const char* chain;
        int kind;
        int direction;
    } cases[] = {
        {"", PathStorage::kKindNone, PathStorage::kDirectionNone},
        {"0,0", PathStorage::kKindFood, PathStorage::kDirectionNone},
        {"1,0 0,0", PathStorage::kKindFood, PathStorage::kDirectionLeft},
        {"0,0 1,0 2,0", PathStorage::kKindFood, PathStorage::kDirectionRight},
        {"0,2 0,1", PathStorage::kKindFood, PathStorage::kDirectionUp},
        {"0,0 0,1", PathStorage::kKindFood, PathStorage::kDirectionDown},
        {"3,0 4,0 5,0", PathStorage::kKindBonus, PathStorage::kDirectionRight},
        // Ending on the live bonus: the kind of the brick before it.
        {"0,1 1,1", PathStorage::kKindFood, PathStorage::kDirectionRight},
        {"1,1", PathStorage::kKindNone, PathStorage::kDirectionNone},
        {"0,1 1,1 2,1", PathStorage::kKindGold, PathStorage::kDirectionRight},
    };
    for (const auto& c : cases) {
        path->Clear();
        Drag(c.chain);
        ASSERT_EQ(Chain(), c.chain);
        EXPECT_EQ(path->GetChainKind(), c.kind) << c.chain;
        EXPECT_EQ(path->GetFirstDirection(), c.direction) << c.chain;
    }
}

TEST_F(PathTest, TheArrowsStepEveryFrameDelayAndClearingResetsThem)
{
    // The arrow picture: 8 frames, a frame every 6 updates.
    ASSERT_EQ(ArrowHelper::GetFrameDelay(), 6);
    ASSERT_EQ(ArrowHelper::GetFrameCount(), 8);
    Lay("a a a");
    Drag("0,0 1,0 2,0");
    for (int i = 0; i < 6 * 9; ++i) {
        path->Tick();
    }
    RenderBoard(board, "board_chain_arrows.png");
    path->Clear();
    EXPECT_EQ(path->GetLength(), 0);

    // A picture without animation data steps its one frame every update instead of dividing by zero.
    Tolm::MemoryImage still;
    still.Create(36, 36);
    ArrowHelper::Instance()->image = &still;
    Drag("0,0 1,0");
    for (int i = 0; i < 3; ++i) {
        path->Tick();
    }
    RenderBoard(board, "board_chain_still_arrows.png");
    ArrowHelper::Instance()->image = nullptr;
}

// Each step of the chain is an arrow from its cell half a cell towards the next: right as drawn, left
// mirrored, up and down turned by 1.5707963 either way. The arrows wobble 3 pixels along the step, each
// half a radian behind the one before it (ahead, for the steps right and down), and their frames run two
// apart from the chain's current frame.
TEST_F(PathTest, EachArrowIsPlacedTurnedWobbledAndFramedByItsStep)
{
    Lay("a a a\na a a\na a a");
    ASSERT_EQ(Drag("0,1 1,1 1,0 2,0 2,1 2,2 1,2"), "+++++++");
    // 13 ticks: the frame has stepped at ticks 6 and 12, and the phase is 13 tenths.
    for (int i = 0; i < 13; ++i) {
        path->Tick();
    }
    Tolm::Image* arrow = ArrowHelper::Instance()->image;
    ASSERT_NE(arrow, nullptr);
    const int cell = GetCellSize();
    const int insetX = (cell - arrow->GetFrameWidth()) / 2;
    const int insetY = (cell - arrow->GetFrameHeight()) / 2;
    const double phase = 1.3;
    enum Way { kRight, kUp, kLeft, kDown };
    const struct
    {
        int x, y;
        Way way;
    } steps[] = {{0, 1, kRight}, {1, 1, kUp}, {1, 0, kRight}, {2, 0, kDown}, {2, 1, kDown}, {2, 2, kLeft}};
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    path->Draw(g);
    const std::vector<DrawLog::Draw> draws = log.Of(arrow);
    ASSERT_EQ(draws.size(), std::size(steps));
    for (std::size_t c = 0; c < std::size(steps); ++c) {
        SCOPED_TRACE(c);
        const auto& step = steps[c];
        const double behind = 3 * std::sin(phase - 0.5 * double(c));
        const double ahead = 3 * std::sin(phase + 0.5 * double(c));
        const int left = 112 + step.x * cell + insetX;
        const int top = 70 + step.y * cell + insetY;
        const DrawLog::Draw& draw = draws[c];
        EXPECT_EQ(draw.sourceRect.x, arrow->GetFrameRect(int(2 + 2 * c) % 8).x);
        EXPECT_EQ(draw.sourceRect.y, arrow->GetFrameRect(int(2 + 2 * c) % 8).y);
        switch (step.way) {
        case kRight:
            EXPECT_EQ(draw.kind, DrawLog::Kind::Blit);
            EXPECT_EQ(draw.x, std::floor(left + cell / 2 + ahead));
            EXPECT_EQ(draw.y, top);
            break;
        case kLeft:
            EXPECT_EQ(draw.kind, DrawLog::Kind::Mirror);
            EXPECT_EQ(draw.x, std::floor(left - cell / 2 + behind));
            EXPECT_EQ(draw.y, top);
            break;
        case kUp:
            EXPECT_EQ(draw.kind, DrawLog::Kind::Rotated);
            EXPECT_EQ(draw.angle, 1.5707963);
            EXPECT_EQ(draw.x, left);
            EXPECT_NEAR(draw.y, top - cell / 2 + behind, 1e-4);
            break;
        case kDown:
            EXPECT_EQ(draw.kind, DrawLog::Kind::Rotated);
            EXPECT_EQ(draw.angle, -1.5707963);
            EXPECT_EQ(draw.x, left);
            EXPECT_NEAR(draw.y, top + cell / 2 + ahead, 1e-4);
            break;
        }
    }
}

} // namespace
