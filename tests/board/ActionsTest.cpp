// The board's actions: explosions that take lock layers off and pay progress, the live bonus placed,
// and the five tools in their orders, with the boards, busy slots, sounds and random draws they leave;
// and the chain dropped when a delayed action moves one of its bricks.
#include "BoardFixture.h"
#include "board/Level.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "effects/GfxManager.h"
#include "graphics/Graphics.h"
#include "hud/TimerPanel.h"
#include "support/DrawLog.h"

#include <optional>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

namespace {

class ActionsTest : public BoardFixture
{
protected:
    ActionsTest()
    {
        // New bricks are all gold 1 ('a'), so they stand out from the laid ones.
        Level* level = Level::Instance();
        level->allowed.reset();
        level->allowed.set(1);
        level->simpleProgress = 0.25f;
        level->puzzled1Progress = 1.0f;
        level->puzzled2Progress = 2.0f;
    }

    TestBoard board;
};

TEST_F(ActionsTest, TwoLockLayersPayTheOuterFirstThenTheInnerThenThePlainCell)
{
    LayBoard(board, "b2");
    TimerPanel* panel = TimerPanel::Instance();
    const struct
    {
        float progress;
        int clearedLocks;
        char locks;
    } explosions[] = {{2.0f, 1, '1'}, {3.0f, 2, ' '}, {3.25f, 2, ' '}};
    for (const auto& expected : explosions) {
        board.PutNewBrick(0, 0, 2);
        ASSERT_TRUE(board.ExplodeSlot(0, 0));
        EXPECT_EQ(board.GetBrickType(0, 0), kBrickEmpty);
        EXPECT_FLOAT_EQ(panel->progress, expected.progress);
        EXPECT_EQ(board.clearedLocks, expected.clearedLocks);
        EXPECT_EQ(BoardText(board)[1], expected.locks);
    }
    // Nothing explodes off the grid, on an empty place, in the busy list or while moving.
    EXPECT_FALSE(board.ExplodeSlot(-1, 0));
    EXPECT_FALSE(board.ExplodeSlot(0, 0));
    board.PutNewBrick(0, 0, 2)->AddOffsetX(10);
    EXPECT_FALSE(board.ExplodeSlot(0, 0));
    board.PutNewBrick(0, 0, 2);
    board.busy.Add(0, 0);
    EXPECT_FALSE(board.ExplodeSlot(0, 0));
    EXPECT_FLOAT_EQ(panel->progress, 3.25f);
}

TEST_F(ActionsTest, TheLiveBonusReplacesABrickButNotItself)
{
    LayBoard(board, "b .");
    EXPECT_FALSE(board.PlaceLiveBonus(1, 0));
    EXPECT_FALSE(board.PlaceLiveBonus(2, 0));
    EXPECT_TRUE(board.PlaceLiveBonus(0, 0));
    EXPECT_TRUE(board.GetBrick(0, 0)->HasFlag(kBrickWildcard));
    EXPECT_FALSE(board.PlaceLiveBonus(0, 0));
    EXPECT_EQ(BoardRows(board), "+ .\n");
}

// Worked out by hand: which slots each tool explodes, how the columns drop and where the new bricks land.
// Each exploded slot draws twice: the bend of its stream to the progress bar, and its new brick.
TEST_F(ActionsTest, TheBombHammerAndDestroyInTheirOrders)
{
    LayBoard(board, "b c d e f\n"
                    "c d2e f b\n"
                    "d e f b c\n"
                    "e f b c d\n"
                    "f b c d e");
    const std::string shown = Play(board, "bomb 0 0\nshow\nupdate 200\n"
                                          "hammer 1 1\nshow\nupdate 200\n"
                                          "destroy 10\nshow\n"
                                          "destroy 6\nshow");
    EXPECT_EQ(shown,
              // The corner's four cells; the double lock loses its outer layer.
              "a a d e f\n"
              "a a1e f b\n"
              "d e f b c\n"
              "e f b c d\n"
              "f b c d e\n"
              "busy:\nsounds: SOUND_BONUS_BOMB\ndraws: 8\n"
              // The cross round (1, 1): columns 0 and 2 drop a brick, column 1 refills three.
              "a a a e f\n"
              "a a d f b\n"
              "d a f b c\n"
              "e f b c d\n"
              "f b c d e\n"
              "busy:\nsounds: SOUND_BONUS_HAMER\ndraws: 18\n"
              // No j on the board: nothing explodes, but the sound plays.
              "a a a e f\n"
              "a a d f b\n"
              "d a f b c\n"
              "e f b c d\n"
              "f b c d e\n"
              "busy:\nsounds: SOUND_BONUS_DESTROY\ndraws: 18\n"
              // Every f, one on each column.
              "a a a a a\n"
              "a a a e b\n"
              "a a d b c\n"
              "d a b c d\n"
              "e b c d e\n"
              "busy:\nsounds: SOUND_BONUS_DESTROY\ndraws: 28\n");
    EXPECT_EQ(board.clearedLocks, 2);
    // Explosions paid: the bomb 3 plain and the outer layer, the hammer 4 plain and the inner layer, the
    // destroy 5 plain.
    EXPECT_FLOAT_EQ(TimerPanel::Instance()->progress, 12 * 0.25f + 2.0f + 1.0f);
}

// The cells whose bricks went, in the order they went: each explosion leaves a shrinking copy of its
// brick, centred on its cell, at the end of the list under the bricks.
std::string ExplosionOrder(const TestBoard& board)
{
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    board.lower->DrawEffects(g);
    std::string cells;
    for (const DrawLog::Draw& draw : log.draws) {
        cells += ' ' + std::to_string((int(draw.x) - board.originX) / board.cellW) + ',' +
                 std::to_string((int(draw.y) - board.originY) / board.cellH);
    }
    return cells;
}

TEST_F(ActionsTest, TheBombHammerAndDestroyExplodeTheirCellsInTheirOrder)
{
    const struct
    {
        const char* script;
        const char* order;
    } cases[] = {
        // The centre, up, down, left, right, then the corners top left, bottom left, top right, bottom right.
        {"bomb 2 2", " 2,2 2,1 2,3 1,2 3,2 1,1 1,3 3,1 3,3"},
        // The centre, left, right, up, down.
        {"hammer 2 2", " 2,2 1,2 3,2 2,1 2,3"},
        // Column by column, each from the top down.
        {"destroy 2", " 0,2 1,0 1,3 3,1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        LayBoard(board, "c b d e\n"
                        "d e c b\n"
                        "b c d e\n"
                        "e b c d");
        board.lower->Clear();
        Play(board, c.script);
        EXPECT_EQ(ExplosionOrder(board), c.order);
    }
}

// The move finder looks at the board again once the last strike of a lightning has landed and after each
// brick of a swap lands; the earlier strikes leave its count as it was.
TEST_F(ActionsTest, TheMoveFinderRecountsAfterTheLastStrikeAndAfterASwapLands)
{
    Solver* solver = Solver::Instance();
    for (const bool last : {false, true}) {
        SCOPED_TRACE(last ? "the last strike" : "an earlier strike");
        // The b goes and a new a falls in: a chain of three.
        LayBoard(board, "a a b");
        ASSERT_EQ(solver->Recount(board), 0);
        board.Lightning(2, 0, last);
        Steps(board, 300);
        ASSERT_EQ(BoardRows(board), "a a a\n");
        EXPECT_EQ(solver->GetGroupCount(), last ? 1 : 0);
    }

    LayBoard(board, "a a b a");
    ASSERT_EQ(solver->Recount(board), 0);
    board.StartSwap(2, 0, 3, 0);
    Steps(board, 300);
    ASSERT_EQ(BoardRows(board), "a a a b\n");
    EXPECT_EQ(solver->GetGroupCount(), 1);
}

// The lightning and the mixer pick slots at random. On a board of separate cells (each one between holes)
// a strike explodes only its cell, which one new brick refills, so the Parts' draws can be replayed.
class RandomToolsTest : public ActionsTest
{
protected:
    RandomToolsTest()
    {
        std::string rows;
        for (int y = 0; y < kFieldHeight; ++y) {
            for (int x = 0; x < kFieldWidth; ++x) {
                // Letters b to j, in no group of three.
                rows += (x + y) % 2 == 0 ? std::string(1, char('b' + (x + 3 * y) % 9)) + ' ' : "  ";
            }
            rows += '\n';
        }
        LayBoard(board, rows);
    }

    // A random free slot as the Part draws it: x below 16, y below 12, until a playable slot that is not
    // busy comes up, 96 tries at most.
    std::optional<FieldPosition> FreeSlot(const std::set<std::pair<int, int>>& busy)
    {
        for (int i = 0; i < 96; ++i) {
            const int x = reference.Range(0, 15);
            const int y = reference.Range(0, 11);
            if ((x + y) % 2 == 0 && !busy.count({x, y})) {
                return FieldPosition(x, y);
            }
        }
        return std::nullopt;
    }

    int Draws() const
    {
        ReferenceRandom counter(kSeed);
        int n = 0;
        while (counter.state != reference.state) {
            counter.Step();
            ++n;
        }
        return n;
    }

    static std::string BusyText(const std::vector<FieldPosition>& slots)
    {
        std::string text = "busy:";
        for (const FieldPosition& at : slots) {
            text += ' ' + std::to_string(at.x) + ',' + std::to_string(at.y);
        }
        return text + '\n';
    }

    ReferenceRandom reference{kSeed};
};

TEST_F(RandomToolsTest, TheLightningStrikes25SlotsAndTheMixerSwapsPairs)
{
    // 25 strikes, each busy at once and each with its stream's bend and its start delay drawn right after
    // its slot.
    std::set<std::pair<int, int>> busy;
    std::vector<FieldPosition> strikes;
    for (int i = 0; i < 25; ++i) {
        if (const auto at = FreeSlot(busy)) {
            strikes.push_back(*at);
            busy.insert({at->x, at->y});
            reference.Float(-1.0f, 1.0f);
            reference.Float(0.0f, 1.2f);
        }
    }
    ASSERT_EQ(strikes.size(), 25u);
    // BoardText has 33 characters a row.
    std::string struck = BoardText(board);
    for (const FieldPosition& at : strikes) {
        struck[std::size_t(at.y * 33 + 2 * at.x)] = 'a';
    }
    const std::string aimed =
        BoardRows(board) + BusyText(strikes) + "sounds:\ndraws: " + std::to_string(Draws()) + '\n';
    // Every strike arrives, explodes its cell, which sends a bent stream to the progress bar, and refills
    // it with one new brick.
    const int afterStrikes = Draws() + 25 * 2;
    std::string sounds = "sounds:";
    for (int i = 0; i < 25; ++i) {
        sounds += " SOUND_BONUS_FLUIDS_EXPLODE_CELL";
    }
    EXPECT_EQ(Play(board, "lightning\nshow\nupdate 300\nshow"),
              aimed + TrimRows(struck) + "busy:\n" + sounds + "\ndraws: " + std::to_string(afterStrikes) + '\n');

    // The mixer: one counter for both picks, a delay drawn for each swap as it starts; the two flights
    // of a swap draw their speeds when the delay has run out.
    for (int draws = 25 * 2; draws > 0; --draws) {
        reference.Step();
    }
    busy.clear();
    std::vector<std::pair<FieldPosition, FieldPosition>> swaps;
    std::vector<FieldPosition> swapping;
    int i = 0;
    do {
        const auto first = FreeSlot(busy);
        std::optional<FieldPosition> second;
        while (i < 20) {
            second = FreeSlot(busy);
            if (second && (!first || !(*second == *first))) {
                break;
            }
            ++i;
        }
        if (first && second && !(*second == *first)) {
            swaps.emplace_back(*first, *second);
            swapping.push_back(*first);
            swapping.push_back(*second);
            busy.insert({first->x, first->y});
            busy.insert({second->x, second->y});
            reference.Float(0.2f, 1.0f);
        }
        ++i;
    } while (i < 20);
    ASSERT_FALSE(swaps.empty());
    const std::string mixing =
        TrimRows(struck) + BusyText(swapping) + "sounds: SOUND_BONUS_MIX\ndraws: " + std::to_string(Draws()) + '\n';
    std::string mixed = struck;
    for (const auto& [a, b] : swaps) {
        std::swap(mixed[std::size_t(a.y * 33 + 2 * a.x)], mixed[std::size_t(b.y * 33 + 2 * b.x)]);
    }
    const int afterFlights = Draws() + 2 * int(swaps.size());
    EXPECT_EQ(Play(board, "mix\nshow\nupdate 300\nshow"),
              mixing + TrimRows(mixed) + "busy:\nsounds:\ndraws: " + std::to_string(afterFlights) + '\n');
    EXPECT_FALSE(board.IsBusy());
}

// A strike that explodes under the chain drops its bricks out of their slots: the chain is dropped, and
// a later strike on a slot one of them fell into deletes no brick the chain still holds.
TEST_F(ActionsTest, AStrikeThatMovesTheChainDropsIt)
{
    LayBoard(board, "a b\n"
                    "a b\n"
                    "a b\n"
                    "a b\n"
                    "a c\n"
                    "c c");
    PathStorage* path = PathStorage::Instance();
    board.busy.Add(1, 5);
    board.busy.Add(0, 4);
    board.busy.Add(0, 5);
    Play(board, "press 0 0\ndrag 0 1\ndrag 0 2\ndrag 0 3");
    ASSERT_EQ(path->GetLength(), 4);

    // A strike beside the chain moves none of its bricks: the chain stays.
    board.OnFluidArrived(FieldPosition(1, 5), false);
    EXPECT_EQ(path->GetLength(), 4);

    board.OnFluidArrived(FieldPosition(0, 5), false);
    EXPECT_EQ(path->GetLength(), 0);
    Steps(board, 300);
    // What was the chain's last brick now stands on (0, 4), where the second strike lands. The drag goes
    // on over the b, which the first strike moved down a row: a new chain starts, and none of the old
    // one's bricks is looked at.
    board.OnFluidArrived(FieldPosition(0, 4), true);
    Steps(board, 300);
    Play(board, "drag 1 1\ndrag 1 2\ndrag 1 3");
    EXPECT_EQ(path->GetLength(), 3);
    Play(board, "release");
    Steps(board, 300);
    EXPECT_FALSE(board.IsBusy());
}

} // namespace
