// The move finder: which bricks it labels as a group (its walk of simple paths, the live bonus's
// wildcard seen only from its neighbours, the groups a live bonus makes), how it counts them, and when
// the hint flashes one of them.
#include "board/Solver.h"

#include "BoardFixture.h"
#include "board/CellGfx.h"

#include <sstream>

namespace {

using SolverTest = BoardFixture;

// One character per slot: blank for a hole, '.' for no group, else the label.
std::string LabelRows(const TestBoard& board)
{
    const Solver* solver = Solver::Instance();
    std::string rows;
    for (int y = 0; y < kFieldHeight; ++y) {
        std::string row;
        for (int x = 0; x < kFieldWidth; ++x) {
            const int label = solver->GetLabel(x, y);
            row += !board.IsPlayable(x, y) ? ' ' : label == 0 ? '.' : char('0' + label);
        }
        rows += row.substr(0, row.find_last_not_of(' ') + 1) + '\n';
    }
    return rows.substr(0, rows.find_last_not_of('\n') + 1) + '\n';
}

bool Glows(const TestBoard& board, int x, int y)
{
    return dynamic_cast<const CellGfx&>(*board.GetCell(x, y)).glowOn;
}

TEST_F(SolverTest, GroupsAreWhereAChainOfThreeCanBeDrawn)
{
    const struct
    {
        const char* name;
        const char* board;
        const char* labels;
        int groups;
    } cases[] = {
        {"pairs only", "a a b b\nb b a a", "....\n....\n", 0},
        {"a row of three", "a a a b", "111.\n", 1},
        {"an L found from its corner's neighbour", "a a\na", "11\n1\n", 1},
        {"groups numbered column by column", "b b b\na a a", "111\n222\n", 2},
        {"forty bricks", "a a a a a a a a\na a a a a a a a\na a a a a a a a\na a a a a a a a\na a a a a a a a",
         "11111111\n11111111\n11111111\n11111111\n11111111\n", 1},
        // The walk from the first a fails (the live bonus leads on only to live bonuses); the one from
        // the last a finds "a a +", and the live bonus then hands its label to the b.
        {"a live bonus seen as the bricks' own kind", "b + a a", "1111\n", 1},
        {"two bricks and a live bonus beside one", "a a +", "111\n", 1},
        {"a live bonus between two kinds in no group", "a + b", "111\n", 1},
        // Only one neighbour takes the new label, so no group is counted for it.
        {"a live bonus beside a single brick", "+ b", ".1\n", 0},
        // Empty places link to nothing, not even to each other.
        {"empty places", ". . .\n. + .", "...\n...\n", 0},
    };
    for (const auto& c : cases) {
        TestBoard board;
        LayBoard(board, c.board);
        EXPECT_EQ(Solver::Instance()->Recount(board), c.groups) << c.name;
        EXPECT_EQ(Solver::Instance()->GetGroupCount(), c.groups) << c.name;
        EXPECT_EQ(LabelRows(board), c.labels) << c.name;
    }
}

TEST_F(SolverTest, AHintFlashesAGroupAfterSixSecondsOfHesitation)
{
    TestBoard board;
    LayBoard(board, "a a a\nb b b");
    Solver* solver = Solver::Instance();
    ASSERT_EQ(solver->Recount(board), 2);
    ReferenceRandom reference(kSeed);

    for (int i = 0; i < Solver::kHintDelay; ++i) {
        solver->TickHint(board);
    }
    EXPECT_FALSE(Glows(board, 0, 0) || Glows(board, 0, 1));
    solver->TickHint(board);
    const int flashed = reference.Range(1, 2);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(Glows(board, x, 0), flashed == 1);
        EXPECT_EQ(Glows(board, x, 1), flashed == 2);
    }
    EXPECT_EQ(GeneratorPosition(), 1);

    // The next one waits 1201 updates, and a reset in between starts the wait afresh.
    for (int i = 0; i < 2 * Solver::kHintDelay; ++i) {
        solver->TickHint(board);
    }
    solver->ResetHintTimer();
    for (int i = 0; i < Solver::kHintDelay; ++i) {
        solver->TickHint(board);
    }
    EXPECT_EQ(GeneratorPosition(), 1);
    solver->TickHint(board);
    EXPECT_EQ(GeneratorPosition(), 2);
}

TEST_F(SolverTest, ABoardWithoutGroupsFlashesNothing)
{
    TestBoard board;
    LayBoard(board, "a b a");
    Solver* solver = Solver::Instance();
    ASSERT_EQ(solver->Recount(board), 0);
    for (int i = 0; i <= Solver::kHintDelay; ++i) {
        solver->TickHint(board);
    }
    EXPECT_EQ(GeneratorPosition(), 0);
}

} // namespace
