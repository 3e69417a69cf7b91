// Setting a level up: which file a profile level plays, skipping what cannot be read, the goal, the
// random draws it makes, the kinds it chooses when its file names none, the available set the town
// gives, and a level in progress saved to the profile and restored from it.
#include "board/Level.h"

#include "BoardFixture.h"
#include "bricks/BrickHelper.h"
#include "core/Random.h"
#include "hud/TimerPanel.h"
#include "profile/UserProfile.h"
#include "town/BuildingsFactory.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>

namespace {

class LevelTest : public BoardFixture
{
protected:
    // Builds the first buildings, each unlocking the type given.
    static void Build(const std::vector<int>& bonusTypes)
    {
        for (std::size_t id = 0; id < bonusTypes.size(); ++id) {
            BuildingsFactory::Instance()->GetById(int(id))->bonusBrickType = bonusTypes[id];
            UserProfile::SetBuildingBuilt(int(id));
        }
    }
    // The kinds chosen for a board of that many playable cells.
    static std::vector<int> Choose(int playable, bool retry = false)
    {
        Level* level = Level::Instance();
        level->ComputeAvailable();
        level->ChooseKinds(playable, retry);
        std::vector<int> types;
        for (int type = 1; type <= 32; ++type) {
            if (level->IsTypeAllowed(type)) {
                types.push_back(type);
            }
        }
        return types;
    }
    static bool HasAnyOf(const std::vector<int>& types, int first, int last)
    {
        return std::any_of(types.begin(), types.end(), [&](int t) { return t >= first && t <= last; });
    }

    TestBoard board;
};

TEST_F(LevelTest, TheFirstLevelLaysOutItsFileWithItsOwnKindsAndGoal)
{
    ASSERT_TRUE(SetUpLevel(board, 1));
    const Level* level = Level::Instance();
    EXPECT_EQ(level->totalLocks, 4);
    EXPECT_EQ(level->clearedLocks, 0);
    EXPECT_FLOAT_EQ(TimerPanel::Instance()->goal, 4.0f);
    EXPECT_FLOAT_EQ(TimerPanel::Instance()->progress, 0.0f);
    for (int type = 0; type < 64; ++type) {
        EXPECT_EQ(level->IsTypeAllowed(type), type >= 1 && type <= 3) << type;
    }
    const std::string text = BoardText(board);
    std::printf("%s", text.c_str());
    // A table of 10 x 8 cells from (3, 2), its four locks in the middle.
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            const std::string slot = text.substr(std::size_t(y * 33 + 2 * x), 2);
            if (x < 3 || x > 12 || y < 2 || y > 9) {
                EXPECT_EQ(slot, "  ") << x << "," << y;
                continue;
            }
            EXPECT_NE(std::string("abc").find(slot[0]), std::string::npos) << x << "," << y;
            EXPECT_EQ(slot[1], (x == 7 || x == 8) && (y == 5 || y == 6) ? '1' : ' ') << x << "," << y;
        }
    }
}

// Level 1 names its kinds, so the only draws are one walk per playable cell, row by row.
TEST_F(LevelTest, AfterASetUpTheGeneratorStandsWhereItsDrawsPutIt)
{
    ASSERT_TRUE(SetUpLevel(board, 1));
    ReferenceRandom reference(kSeed);
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            if (board.IsPlayable(x, y)) {
                const int n = reference.Range(1, 60);
                EXPECT_EQ(board.GetBrickType(x, y), 1 + (n - 1) % 3) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(RandomRange(0u, 1000000u), reference.Range(0, 1000000));
}

TEST_F(LevelTest, LevelsPastTheTotalPlayTheFilesAgainWithALayerMore)
{
    ASSERT_TRUE(SetUpLevel(board, 61));
    // Level 1's four single locks become double, its 76 plain cells get one lock each.
    EXPECT_EQ(Level::Instance()->totalLocks, 4 * 2 + 76);
    EXPECT_FLOAT_EQ(TimerPanel::Instance()->goal, 84.0f);
    EXPECT_EQ(UserProfile::GetLevel(), 61);
}

TEST_F(LevelTest, ALevelTotalBelowOneIsTakenAsOne)
{
    app.SetIntProperty("set_total_levels", 0);
    ASSERT_TRUE(SetUpLevel(board, 5));
    // Level 1's table, with a lock more on every cell: level 5 is past a total of one.
    EXPECT_EQ(Level::Instance()->totalLocks, 84);
    EXPECT_EQ(Level::Instance()->GetLevelIndex(), 1);
}

TEST_F(LevelTest, LevelsThatCannotBeReadAreSkippedTenAtMostAndNeverCarryTheProfileAway)
{
    app.SetIntProperty("set_total_levels", 200);
    UserProfile::Instance();
    while (UserProfile::GetLevel() < 100) {
        UserProfile::AdvanceLevel();
    }
    UserProfile::SetSavedCounters(5, 6, 7, 8, 0.5f);
    UserProfile::Instance()->savedLevelFlag = 1;
    EXPECT_FALSE(SetUpLevel(board, 100));
    EXPECT_EQ(UserProfile::GetLevel(), 100);
    EXPECT_TRUE(UserProfile::HasSavedLevel());
    int gold = 0;
    UserProfile::GetSavedCounters(&gold, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(gold, 5);

    UserProfile::ResetProgress();
    std::string layout;
    for (int y = 0; y < 12; ++y) {
        layout += y == 4 ? "0000000220000000\n" : "0000000000000000\n";
    }
    temp.Write("levels/level105.level", layout);
    EXPECT_TRUE(SetUpLevel(board, 100));
    EXPECT_EQ(UserProfile::GetLevel(), 105);
    EXPECT_EQ(Level::Instance()->totalLocks, 2);
}

TEST_F(LevelTest, ANewPlayerGetsTheFourBasicGoldKinds)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        SeedRandom(seed);
        EXPECT_EQ(Choose(150), (std::vector<int>{1, 2, 3, 4})) << seed;
    }
}

// The choice of a new player's kinds (types 1-4 available, four colour groups, nothing held), walked
// through apart from the program with the game's generator: a tool is tried (none is available, each of
// the 15 passes costs one walk), the least-held resource's preference is drawn before its call, and every
// further try draws its range before its preference. The generator must stand where this walk leaves it.
class ReferenceKinds
{
public:
    explicit ReferenceKinds(uint32_t seed) : random(seed) {}

    void Choose()
    {
        int kinds = 4;
        if (Below(2) > 0) {
            for (int pass = 0; pass < 15; ++pass) {
                Walk(27, 31);
            }
        }
        kinds -= AllowOneOf(1, 10, Below(10) > 1) ? 1 : 0;
        const int ranges[3][2] = {{1, 10}, {11, 18}, {19, 26}};
        int tries = 0;
        while (kinds > 0) {
            const int* range = ranges[Below(3)];
            const bool preferHighest = Below(10) > 1;
            kinds -= AllowOneOf(range[0], range[1], preferHighest) ? 1 : 0;
            if (kinds > 0 && ++tries == 51) {
                tries = 0;
                if (allowed.size() == 4) {
                    break;
                }
                const int type = int(Below(4)) + 1;
                if (allowed.insert(type).second) {
                    --kinds;
                }
            }
        }
    }

    std::set<int> allowed;
    ReferenceRandom random;

private:
    static bool Available(int type) { return type >= 1 && type <= 4; }
    uint32_t Below(uint32_t n)
    {
        const uint32_t x = random.Step();
        return (x ^ (x >> 15)) % n;
    }
    bool Walk(int first, int last)
    {
        int candidate = 0;
        for (int attempt = 0; attempt < 50; ++attempt) {
            int n = random.Range(1, 100);
            for (int type = first;; type = type == last ? first : type + 1) {
                if (Available(type)) {
                    --n;
                    candidate = allowed.count(type) ? candidate : type;
                }
                if (type == last && candidate == 0) {
                    return false;
                }
                if (n <= 0) {
                    break;
                }
            }
            // The four types lie in four colour groups: a candidate's group is free while it is not allowed.
            if (candidate > 0 && allowed.insert(candidate).second) {
                return true;
            }
        }
        return false;
    }
    bool AllowOneOf(int first, int last, bool preferHighest)
    {
        for (int type = last; preferHighest && type >= first; --type) {
            if (Available(type) && allowed.insert(type).second) {
                return true;
            }
        }
        return Walk(first, last);
    }
};

TEST_F(LevelTest, ChoosingKindsDrawsInItsOrder)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SeedRandom(seed);
        const std::vector<int> types = Choose(150);
        ReferenceKinds reference(seed);
        reference.Choose();
        EXPECT_EQ(std::set<int>(types.begin(), types.end()), reference.allowed) << seed;
        EXPECT_EQ(RandomRange(0u, 1000000u), reference.random.Range(0, 1000000)) << seed;
    }
}

TEST_F(LevelTest, KindsAreFiveOnceTheTownGrowsButFourOnSmallBoardsAndRetries)
{
    Build({5, 6, 11, 12, 19, 20, 28});
    ASSERT_GT(UserProfile::GetBuildingGroup(), 0);
    const struct
    {
        int playable;
        bool retry;
        std::size_t kinds;
    } cases[] = {{150, false, 5}, {100, false, 5}, {99, false, 4}, {150, true, 4}, {0, false, 5}};
    for (const auto& c : cases) {
        for (unsigned seed = 1; seed <= 20; ++seed) {
            SeedRandom(seed);
            EXPECT_EQ(Choose(c.playable, c.retry).size(), c.kinds) << c.playable << " " << c.retry << " " << seed;
        }
    }
}

TEST_F(LevelTest, ChosenKindsNeverShareAColourGroup)
{
    Build({5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31});
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SeedRandom(seed);
        const std::vector<int> types = Choose(150);
        std::set<int> colours;
        for (int type : types) {
            EXPECT_TRUE(colours.insert(GetBrickColor(type)).second) << "seed " << seed << " type " << type;
        }
        EXPECT_EQ(types.size(), 5u) << seed;
    }
}

TEST_F(LevelTest, TheResourceHeldLeastGetsAKind)
{
    Build({11, 15, 19, 23});
    UserProfile::AddGold(100);
    UserProfile::AddFood(50);
    UserProfile::AddSupplies(80);
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SeedRandom(seed);
        EXPECT_TRUE(HasAnyOf(Choose(150), kBrickFoodFirst, kBrickFoodLast)) << seed;
    }
    UserProfile::AddFood(100);
    int withoutFood = 0;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SeedRandom(seed);
        withoutFood += HasAnyOf(Choose(150), kBrickFoodFirst, kBrickFoodLast) ? 0 : 1;
    }
    EXPECT_GT(withoutFood, 0);
}

TEST_F(LevelTest, AToolThePlayerHoldsASavedChargeOfIsPutBack)
{
    Build({27, 28});
    int hammers = 0;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SeedRandom(seed);
        hammers += HasAnyOf(Choose(150), kBrickHammer, kBrickHammer) ? 1 : 0;
    }
    EXPECT_GT(hammers, 0);

    UserProfile::SetSavedBonusCharges(2.0f, 0, 0, 0, 0);
    int bombs = 0;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SeedRandom(seed);
        const std::vector<int> types = Choose(150);
        EXPECT_FALSE(HasAnyOf(types, kBrickHammer, kBrickHammer)) << seed;
        bombs += HasAnyOf(types, kBrickBomb, kBrickBomb) ? 1 : 0;
    }
    EXPECT_GT(bombs, 0);
}

// Five kinds but only four resource types and a tool: when the tool is not drawn, the choice used to
// wait forever for a fifth resource kind.
TEST_F(LevelTest, KindsEndWhenNothingIsLeftToAdd)
{
    Build({27, 0, 0, 0, 0});
    ASSERT_EQ(UserProfile::GetBuildingGroup(), 1);
    int withoutTool = 0;
    for (unsigned seed = 1; seed <= 50; ++seed) {
        SeedRandom(seed);
        const std::vector<int> types = Choose(150);
        const bool tool = HasAnyOf(types, kBrickHammer, kBrickHammer);
        EXPECT_EQ(types, tool ? (std::vector<int>{1, 2, 3, 4, 27}) : (std::vector<int>{1, 2, 3, 4})) << seed;
        withoutTool += tool ? 0 : 1;
    }
    EXPECT_GT(withoutTool, 0);
}

TEST_F(LevelTest, TheTownMakesItsBuildingsBonusTypesAvailable)
{
    Build({12, 72, -1, 0, 29});
    Level* level = Level::Instance();
    level->ComputeAvailable();
    for (int type = 0; type < 64; ++type) {
        EXPECT_EQ(level->IsTypeAvailable(type), (type >= 1 && type <= 4) || type == 12 || type == 29) << type;
    }
    EXPECT_EQ(level->CountAvailable(), 6);
    EXPECT_TRUE(level->HasAvailableFood());
    EXPECT_FALSE(level->HasAvailableSupplies());
}

TEST_F(LevelTest, SavingAndRestoringGivesBackEverySlotWordAndTheAllowedSet)
{
    ASSERT_TRUE(SetUpLevel(board, 20));
    board.PutNewBrick(2, 4, kBrickLiveBonus);
    board.PutNewBrick(6, 5, kBrickEmpty);
    board.GetCell(7, 5)->ClearFlag(kCellLock2);
    Level* level = Level::Instance();
    level->allowed.set(29);
    level->allowed.set(63);
    const std::bitset<64> allowed = level->allowed;
    UserProfile::SaveLevel(board);
    std::vector<uint32_t> words;
    for (int i = 0; i < kFieldSlots; ++i) {
        words.push_back(UserProfile::GetSavedCell(i));
    }
    // A plain cell holding the live bonus, a single lock with no brick, a double lock opened once.
    EXPECT_EQ(words[2 + 16 * 4], 0x01002004u);
    EXPECT_EQ(words[6 + 16 * 5], 0x01010000u);
    EXPECT_EQ(words[7 + 16 * 5] & 0xFFFF0000u, 0x01010000u);
    EXPECT_EQ(UserProfile::GetSavedAllowedTypes().size(), 64u);

    TestBoard restored;
    level->allowed.reset();
    UserProfile::RestoreLevel(restored);
    EXPECT_EQ(level->allowed, allowed);
    EXPECT_EQ(BoardText(restored), BoardText(board));
    UserProfile::SaveLevel(restored);
    for (int i = 0; i < kFieldSlots; ++i) {
        EXPECT_EQ(UserProfile::GetSavedCell(i), words[std::size_t(i)]) << i;
    }
}

TEST_F(LevelTest, ARestoredBoardIsCleanedOfWhatNoBoardHolds)
{
    const struct
    {
        const char* name;
        uint32_t saved;
        uint32_t restored;
    } cases[] = {
        {"a brick on a hole", 0x00000300u, 0x00000000u},
        {"a lock on a hole", 0x00030000u, 0x00000000u},
        {"a wildcard on a plain brick", 0x01000504u, 0x01000500u},
        {"the live bonus keeps it", 0x01002004u, 0x01002004u},
        {"a type past the live bonus", 0x01002100u, 0x01000000u},
        {"a highlight", 0x01070100u, 0x01030100u},
        {"an unknown cell kind", 0x02010100u, 0x00000000u},
        {"other brick flags stay", 0x010201F3u, 0x010201F3u},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < kFieldSlots; ++i) {
            UserProfile::SetSavedCell(i, c.saved);
        }
        UserProfile::RestoreLevel(board);
        UserProfile::SaveLevel(board);
        EXPECT_EQ(UserProfile::GetSavedCell(17), c.restored) << c.name;
    }
}

TEST_F(LevelTest, AllowedTextsAreReadFromTheirEnd)
{
    const struct
    {
        std::string text;
        std::vector<int> types;
    } cases[] = {
        {std::string(60, '0') + "1010", {1, 3}}, {"11", {0, 1}}, {"", {}}, {"x1y1", {0, 2}},
        {"1" + std::string(63, '0'), {63}},
    };
    for (const auto& c : cases) {
        UserProfile::SetSavedAllowedTypes(c.text);
        UserProfile::RestoreLevel(board);
        std::vector<int> types;
        for (int type = 0; type < 64; ++type) {
            if (Level::Instance()->IsTypeAllowed(type)) {
                types.push_back(type);
            }
        }
        EXPECT_EQ(types, c.types) << c.text;
    }
}

TEST_F(LevelTest, ALevelInProgressComesBackWithItsLocksAndProgress)
{
    ASSERT_TRUE(SetUpLevel(board, 16));
    const int total = Level::Instance()->totalLocks;
    ASSERT_EQ(total, 44);
    // Two layers gone: one double lock opened once, one single lock opened.
    board.GetCell(5, 5)->ClearFlag(kCellLock2);
    board.GetCell(4, 4)->ClearFlag(kCellLock1);
    UserProfile::SaveLevel(board);
    UserProfile::SetSavedCounters(0, 0, 0, 0, 0.25f);

    const struct
    {
        const char* name;
        float saved;
        float fraction;
    } fractions[] = {{"as saved", 0.25f, 0.25f},
                     {"above one", 3.0f, 1.0f},
                     {"below zero", -1.0f, 0.0f},
                     {"not a number", std::numeric_limits<float>::quiet_NaN(), 0.0f}};
    for (const auto& c : fractions) {
        UserProfile::SetSavedCounters(0, 0, 0, 0, c.saved);
        TestBoard restored;
        ASSERT_TRUE(Level::Instance()->SetUp(restored, false));
        EXPECT_EQ(Level::Instance()->clearedLocks, 2) << c.name;
        EXPECT_FLOAT_EQ(TimerPanel::Instance()->GetProgressFraction(), c.fraction) << c.name;
        EXPECT_EQ(BoardText(restored), BoardText(board)) << c.name;
    }

    // A saved board with more locks than its file never counts locks as cleared below none.
    for (int i = 0; i < kFieldSlots; ++i) {
        UserProfile::SetSavedCell(i, 0x01030100u);
    }
    TestBoard locked;
    ASSERT_TRUE(Level::Instance()->SetUp(locked, false));
    EXPECT_EQ(Level::Instance()->clearedLocks, 0);
}

} // namespace
