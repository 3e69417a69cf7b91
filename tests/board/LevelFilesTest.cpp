// The level files read from the test's own folder: the ".level" layout's edge cases (line ends, short,
// long and broken lines, harder locks past the last level) and the ".xml" kinds' (codes the parser takes
// and those it must not).
#include "BoardFixture.h"
#include "board/Level.h"
#include "profile/UserProfile.h"

namespace {

class LevelFilesTest : public BoardFixture
{
protected:
    // Writes "levels/edge.level" and loads it.
    bool LoadLayout(const std::string& text)
    {
        temp.Write("levels/edge.level", text);
        return Level::Instance()->LoadFiles(board, "edge");
    }
    // Writes "levels/edge.xml" and a plain layout, loads them and gives the allowed types.
    std::vector<int> LoadKinds(const std::string& xml)
    {
        temp.Write("levels/edge.xml", xml);
        Level::Instance()->allowed.reset();
        EXPECT_TRUE(LoadLayout(Rows(12, "1111111111111111\n")));
        std::vector<int> types;
        for (int type = 0; type < 64; ++type) {
            if (Level::Instance()->IsTypeAllowed(type)) {
                types.push_back(type);
            }
        }
        return types;
    }
    static std::string Rows(int count, const std::string& row)
    {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += row;
        }
        return text;
    }
    std::string Row(int y) const
    {
        std::string text;
        for (int x = 0; x < kFieldWidth; ++x) {
            const CellBase* cell = board.GetCell(x, y);
            text += board.IsPlayable(x, y)
                        ? char('0' + 1 + (cell->HasFlag(kCellLock1) ? 1 : 0) + (cell->HasFlag(kCellLock2) ? 1 : 0))
                        : '0';
        }
        return text;
    }

    TestBoard board;
};

TEST_F(LevelFilesTest, LayoutsFailAsAWholeOnMissingEmptyShortOrBlankFiles)
{
    const struct
    {
        const char* name;
        std::string text;
        bool loads;
    } cases[] = {
        {"twelve full lines", Rows(12, "1111111111111111\n"), true},
        {"extra lines and columns are ignored", Rows(14, "11111111111111112222\n"), true},
        {"empty", "", false},
        {"every cell a hole", Rows(12, "0000000000000000\n"), false},
        {"eleven lines", Rows(11, "1111111111111111\n"), false},
        {"a line of fifteen", Rows(5, "1111111111111111\n") + "111111111111111" + Rows(6, "1111111111111111\n"), false},
        {"fifteen and a line end: the line end is a plain cell", Rows(12, "111111111111111\n"), true},
        {"last line of fifteen without its line end", Rows(11, "1111111111111111\n") + "111111111111111", false},
        {"fourteen and a carriage return: the return does not count", Rows(12, "11111111111111\r\n"), false},
        {"a NUL among the sixteen",
         Rows(3, "1111111111111111\n") +
             std::string("11\0"
                         "1111111111111\n",
                         17) +
             Rows(8, "1111111111111111\n"),
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadLayout(c.text), c.loads) << c.name;
    }
    EXPECT_FALSE(Level::Instance()->LoadFiles(board, "missing"));
}

TEST_F(LevelFilesTest, CharactersMakeHolesPlainCellsAndLocks)
{
    ASSERT_TRUE(LoadLayout("0123x\xE9"
                           "0000000000\r\n" +
                           Rows(10, "0000000000000000\n") + "111111111111111\n"));
    EXPECT_EQ(Row(0), "0123110000000000");
    EXPECT_EQ(Row(11), "1111111111111111");
    EXPECT_EQ(board.GetBrickType(0, 0), kBrickEmpty);
}

TEST_F(LevelFilesTest, TheRestOfALineLongerThanTheBufferIsTheNextRow)
{
    // The buffer of 128 bytes takes 127 characters and its terminating NUL.
    const std::string first127 = "2222222222222222" + std::string(111, '0');
    const struct
    {
        const char* name;
        std::string tail;
        int rowsAfter;
        bool loads;
    } cases[] = {
        {"a tail of sixteen and more", "3333333333333333000\n", 9, true},
        {"a tail of three", "33\n", 10, false},
    };
    for (const auto& c : cases) {
        const std::string text = "1111111111111111\n" + first127 + c.tail + Rows(c.rowsAfter, "1100000000000011\n");
        ASSERT_EQ(LoadLayout(text), c.loads) << c.name;
        if (!c.loads) {
            continue;
        }
        EXPECT_EQ(Row(1), "2222222222222222") << c.name;
        EXPECT_EQ(Row(2), "3333333333333333") << c.name;
        EXPECT_EQ(Row(11), "1100000000000011") << c.name;
    }
}

TEST_F(LevelFilesTest, PastTheLastLevelLocksGrowByALayer)
{
    app.SetIntProperty("set_total_levels", 60);
    while (UserProfile::GetLevel() < 61) {
        UserProfile::AdvanceLevel();
    }
    ASSERT_TRUE(LoadLayout("1111222233330000\n" + Rows(11, "0000000000000000\n")));
    // '1' one layer, '2' and '3' two, '0' a hole.
    EXPECT_EQ(Row(0), "2222333333330000");
    UserProfile::ResetProgress();
    ASSERT_TRUE(LoadLayout("1111222233330000\n" + Rows(11, "0000000000000000\n")));
    EXPECT_EQ(Row(0), "1111222233330000");
}

TEST_F(LevelFilesTest, KindsComeFromEveryElementFromTheFirstBrickOn)
{
    const struct
    {
        const char* name;
        std::string xml;
        std::vector<int> types;
    } cases[] = {
        {"two bricks", R"(<blocks><brick type="G3"/><brick type="F1"/></blocks>)", {3, 11}},
        {"another name after the first brick counts",
         R"(<blocks><brick type="G3"/><other type="S2"/></blocks>)",
         {3, 20}},
        {"siblings before the first brick do not", R"(<blocks><other type="S2"/><brick type="G3"/></blocks>)", {3}},
        {"codes past the ranges stay in the set's sense",
         R"(<blocks><brick type="F9"/><brick type="S9"/><brick type="B0"/><brick type="B6"/></blocks>)",
         {19, 26, 27, 32}},
        {"codes that name nothing are left out",
         R"(<blocks><brick type=""/><brick type="G"/><brick type="G0"/><brick type="Gx"/><brick type="G/"/><brick type="B9"/><brick type="g1"/><brick/><brick type="G105"/></blocks>)",
         {10}},
        {"no brick element", R"(<blocks><other type="G1"/></blocks>)", {}},
        {"no blocks", R"(<level><brick type="G1"/></level>)", {}},
        {"not XML", "G1 G2 G3", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadKinds(c.xml), c.types) << c.name;
    }
}

} // namespace
