// The grid and what it owns, its predicates at the edges, and the factory's random refill: its walk,
// its draws from the game's generator, and the gold it falls back on.
#include "BoardFixture.h"
#include "board/BoardFactory.h"
#include "board/Level.h"
#include "core/Random.h"

#include <map>
#include <set>

namespace {

using FieldTest = BoardFixture;

TEST_F(FieldTest, AFreshBoardIsEmptyBricksOnHoles)
{
    TestBoard board;
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            const auto [brick, cell] = board.GetSlot(x, y);
            ASSERT_NE(brick, nullptr);
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(brick->GetType(), kBrickEmpty);
            EXPECT_EQ(cell->GetKind(), kCellHole);
            EXPECT_FALSE(board.IsPlayable(x, y));
        }
    }
}

TEST_F(FieldTest, MovingABrickLeavesAnEmptyOneAndSwappingKeepsTheCells)
{
    TestBoard board;
    BrickBase* gold = board.PutNewBrick(2, 3, 4);
    board.MoveBrick(2, 3, 2, 3);
    EXPECT_EQ(board.GetBrick(2, 3), gold);

    board.MoveBrick(2, 3, 5, 6);
    EXPECT_EQ(board.GetBrick(5, 6), gold);
    EXPECT_EQ(board.GetBrickType(2, 3), kBrickEmpty);

    board.PutNewCell(5, 6, kCellPlayable)->SetFlag(kCellLock1);
    CellBase* locked = board.GetCell(5, 6);
    BrickBase* food = board.PutNewBrick(0, 0, 12);
    board.SwapBricks(5, 6, 0, 0);
    EXPECT_EQ(board.GetBrick(0, 0), gold);
    EXPECT_EQ(board.GetBrick(5, 6), food);
    EXPECT_EQ(board.GetCell(5, 6), locked);
    EXPECT_TRUE(board.IsCellLocked(5, 6));
    EXPECT_FALSE(board.IsCellLocked(0, 0));
}

TEST_F(FieldTest, PredicatesAreFalseOffTheGrid)
{
    TestBoard board;
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            board.PutNewCell(x, y, kCellPlayable)->SetFlag(kCellLock2);
            board.PutNewBrick(x, y, 1);
        }
    }
    board.PutNewBrick(7, 7, 0);
    const struct
    {
        int x, y;
        bool inside;
    } cases[] = {{-1, 0, false}, {16, 0, false}, {0, -1, false}, {0, 12, false}, {0, 0, true}, {15, 11, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(board.IsPlayable(c.x, c.y), c.inside) << c.x << "," << c.y;
        EXPECT_EQ(board.HasBrick(c.x, c.y), c.inside);
        EXPECT_EQ(board.IsCellLocked(c.x, c.y), c.inside);
        EXPECT_FALSE(board.IsFreeSlot(c.x, c.y));
    }
    EXPECT_TRUE(board.IsFreeSlot(7, 7));
    EXPECT_FALSE(board.HasBrick(7, 7));
}

// Twenty refills of three allowed sets at a fixed seed, against the walk worked out apart: n is drawn
// from 1..60 and the result is the allowed type at (n - 1) mod k in ascending order.
TEST_F(FieldTest, RefillsWalkTheAllowedTypesByTheDrawnCount)
{
    const std::vector<std::vector<int>> sets = {{1, 2, 3, 4}, {2, 7, 11, 20, 24, 27, 31}, {5}};
    for (const std::vector<int>& allowed : sets) {
        Level* level = Level::Instance();
        level->allowed.reset();
        for (int type : allowed) {
            level->allowed.set(std::size_t(type));
        }
        SeedRandom(kSeed);
        ReferenceRandom reference(kSeed);
        for (int refill = 0; refill < 20; ++refill) {
            const int n = reference.Range(1, 60);
            const int expected = allowed[std::size_t(n - 1) % allowed.size()];
            EXPECT_EQ(CreateRandomBrick()->GetType(), expected) << "refill " << refill;
        }
    }
}

TEST_F(FieldTest, TheRefillWalkOfSevenTypesFavoursTheFirstFour)
{
    Level* level = Level::Instance();
    for (int type : {2, 7, 11, 20, 24, 27, 31}) {
        level->allowed.set(std::size_t(type));
    }
    std::map<int, int> counts;
    for (int refill = 0; refill < 6000; ++refill) {
        ++counts[CreateRandomBrickIn(1, 31)->GetType()];
    }
    // 9 of 60 counts for each of the first four, 8 for the last three.
    for (int type : {2, 7, 11, 20}) {
        EXPECT_NEAR(counts[type], 900, 110) << type;
    }
    for (int type : {24, 27, 31}) {
        EXPECT_NEAR(counts[type], 800, 110) << type;
    }
}

TEST_F(FieldTest, ALevelAllowingNothingRefillsWithGoldAfterAHundredAndOneTries)
{
    Level::Instance()->allowed.reset();
    Level::Instance()->allowed.set(32);
    EXPECT_EQ(CreateRandomBrickIn(1, 31), nullptr);
    std::set<int> seen;
    for (int refill = 0; refill < 40; ++refill) {
        SeedRandom(kSeed + unsigned(refill));
        ReferenceRandom reference(kSeed + unsigned(refill));
        const int type = CreateRandomBrick()->GetType();
        // 101 walks of one draw each, then the gold's draw.
        for (int draw = 0; draw < 101; ++draw) {
            reference.Step();
        }
        const uint32_t x = reference.Step();
        EXPECT_EQ(type, 1 + int((x ^ (x >> 15)) % 4u));
        EXPECT_EQ(RandomRange(0u, 1000000u), reference.Range(0, 1000000));
        seen.insert(type);
    }
    EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4}));
}

} // namespace
