#include "core/Singleton.h"

#include <gtest/gtest.h>

namespace {

class Board : public Singleton<Board>
{
public:
    Board() { ++constructed; }

    static inline int constructed = 0;
};

} // namespace

TEST(SingletonTest, GetterCreatesOnceAndDeletingClearsTheRegistration)
{
    Board::constructed = 0;
    EXPECT_EQ(Board::RegisteredInstance(), nullptr);
    Board* first = Board::Instance();
    EXPECT_EQ(Board::Instance(), first);
    EXPECT_EQ(Board::constructed, 1);

    delete first;
    EXPECT_EQ(Board::RegisteredInstance(), nullptr);
    Board* fresh = Board::Instance();
    EXPECT_EQ(Board::constructed, 2);
    delete fresh;
}

TEST(SingletonTest, ConstructingRegistersAndOnlyTheRegisteredObjectClearsIt)
{
    auto* older = new Board;
    auto* newer = new Board;
    EXPECT_EQ(Board::Instance(), newer);
    delete older;
    EXPECT_EQ(Board::RegisteredInstance(), newer);
    delete newer;
    EXPECT_EQ(Board::RegisteredInstance(), nullptr);
}
