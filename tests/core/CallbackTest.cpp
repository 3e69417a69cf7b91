#include "core/Callback.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

struct Position
{
    int column;
    int row;
};

class Base
{
public:
    virtual ~Base() = default;
    void Mark() { log += "base;"; }
    std::string log;
};

// The board's action class reaches its base through a virtual base, as the board does.
class Actions : public virtual Base
{
public:
    int Count() { return ++count; }
    bool Flag(bool value)
    {
        log += value ? "flag on;" : "flag off;";
        return value;
    }
    void Place(Position position, bool flag)
    {
        log += std::to_string(position.column) + "," + std::to_string(position.row) + (flag ? " on;" : " off;");
    }
    int count = 0;
};

class Board : public Actions
{};

} // namespace

TEST(CallbackTest, InvokeRunsTheMemberOperationAndReturnsItsResult)
{
    Board board;
    CB_Callback<Board> count(&board, &Actions::Count);
    EXPECT_EQ(count.Invoke(), 1);
    EXPECT_EQ(count.Invoke(), 2);
    CB_Callback<Board> mark(&board, &Base::Mark);
    EXPECT_EQ(mark.Invoke(), 0) << "an operation without a result gives 0";
    EXPECT_EQ(board.log, "base;") << "reached through the virtual base";
}

TEST(CallbackTest, StoredArgumentsAreCopiesTakenAtConstruction)
{
    Board board;
    bool flag = true;
    CB_Callback_P1<Board, bool> one(&board, &Actions::Flag, flag);
    flag = false;
    EXPECT_EQ(one.Invoke(), 1);
    Position position{3, 4};
    CB_Callback_P2<Board, Position, bool> two(&board, &Actions::Place, position, false);
    position.column = 9;
    two.Invoke();
    EXPECT_EQ(board.log, "flag on;3,4 off;");
}

TEST(CallbackTest, CloneBindsTheSameObjectOperationAndValues)
{
    Board board;
    Board other;
    std::unique_ptr<baseCallback> original =
        std::make_unique<CB_Callback_P2<Board, Position, bool>>(&board, &Actions::Place, Position{1, 2}, true);
    std::unique_ptr<baseCallback> copy(original->Clone());
    original.reset();
    copy->Invoke();
    EXPECT_EQ(board.log, "1,2 on;");
    EXPECT_EQ(other.log, "");
    std::unique_ptr<baseCallback> counter = std::make_unique<CB_Callback<Board>>(&board, &Actions::Count);
    std::unique_ptr<baseCallback> counterCopy(counter->Clone());
    counter->Invoke();
    EXPECT_EQ(counterCopy->Invoke(), 2) << "the copy works on the same object";
}
