// The open profile through the accessors the game uses: buildings and their groups, levels, resources,
// names, and the level in progress.
#include "ProfileFixture.h"
#include "board/FieldMovement.h"

#include <climits>
#include <gtest/gtest.h>

class ProfileAccessorsTest : public ProfileFixture
{};

TEST_F(ProfileAccessorsTest, TheBuildingGroupIsTheGroupOfTheLowestBuildingNotBuilt)
{
    EXPECT_EQ(UserProfile::GetBuildingGroup(), 0);
    for (int id = 0; id < 5; ++id) {
        UserProfile::SetBuildingBuilt(id);
    }
    EXPECT_EQ(UserProfile::GetBuildingGroup(), 1);

    UserProfile::ResetProgress();
    for (int id : {0, 1, 2, 4, 5, 6, 7, 8, 9}) {
        UserProfile::SetBuildingBuilt(id);
    }
    EXPECT_EQ(UserProfile::GetBuildingGroup(), 0);
    for (int id = 0; id < 30; ++id) {
        UserProfile::SetBuildingBuilt(id);
    }
    EXPECT_EQ(UserProfile::GetBuildingGroup(), 5);
}

TEST_F(ProfileAccessorsTest, TheTownIsUnfinishedUntilItsLastBuildingStands)
{
    EXPECT_TRUE(UserProfile::IsTownUnfinished());
    EXPECT_EQ(UserProfile::GetHighestBuiltBuilding(), -1);
    for (int id = 0; id < 29; ++id) {
        UserProfile::SetBuildingBuilt(id);
    }
    EXPECT_TRUE(UserProfile::IsTownUnfinished());
    EXPECT_EQ(UserProfile::GetHighestBuiltBuilding(), 28);

    UserProfile::ResetProgress();
    UserProfile::SetBuildingBuilt(29);
    EXPECT_FALSE(UserProfile::IsTownUnfinished());
    EXPECT_EQ(UserProfile::GetHighestBuiltBuilding(), 29);
    // Ids count modulo 32.
    EXPECT_TRUE(UserProfile::IsBuildingBuilt(61));
    UserProfile::SetPersonArrived(46);
    EXPECT_TRUE(UserProfile::HasPersonArrived(14));
}

TEST_F(ProfileAccessorsTest, AdvancingALevelDropsTheLevelInProgress)
{
    FieldMovement board;
    UserProfile::SaveLevel(board);
    UserProfile::SetSavedCounters(1, 2, 3, 4, 0.5f);
    UserProfile::SetSavedBonusCharges(1, 1, 1, 1, 1);
    UserProfile::SetSavedAllowedTypes("0111");
    ASSERT_TRUE(UserProfile::HasSavedLevel());

    EXPECT_TRUE(UserProfile::AdvanceLevel());
    EXPECT_EQ(UserProfile::GetLevel(), 2);
    EXPECT_FALSE(UserProfile::HasSavedLevel());
    int gold = -1, score = -1;
    float timer = -1;
    UserProfile::GetSavedCounters(&gold, nullptr, nullptr, &score, &timer);
    EXPECT_EQ(gold, 0);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(timer, 0.0f);
    float charges[5] = {-1, -1, -1, -1, -1};
    UserProfile::GetSavedBonusCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
    EXPECT_EQ(charges[4], 0.0f);
    EXPECT_EQ(UserProfile::GetSavedAllowedTypes(), "");
}

TEST_F(ProfileAccessorsTest, AnIdenticalNameSwitchesToItsProfileAndOneDifferingInCaseIsNew)
{
    UserProfile* profile = Open();
    ASSERT_TRUE(profile->CreateProfile("Anna"));
    ASSERT_TRUE(profile->SaveSlot(0));
    UserProfile::AddGold(10);
    ASSERT_TRUE(profile->CreateProfile("Bert"));
    ASSERT_TRUE(profile->SaveSlot(1));

    EXPECT_FALSE(profile->CreateProfile("Anna"));
    EXPECT_EQ(profile->GetActiveSlot(), 0);
    EXPECT_EQ(UserProfile::GetGold(), 10);

    EXPECT_TRUE(profile->CreateProfile("ANNA"));
    EXPECT_EQ(UserProfile::GetGold(), 0);
    ASSERT_TRUE(profile->SaveSlot(2));
    EXPECT_EQ(profile->FindSlotByName("ANNA"), 2);
    EXPECT_EQ(profile->FindSlotByName("Anna"), 0);

    EXPECT_TRUE(profile->CreateProfile("A name of twenty-five b"));
    ASSERT_TRUE(profile->SaveSlot(3));
    EXPECT_EQ(profile->GetSlotName(3), "A name of twenty-fi");
    EXPECT_FALSE(profile->CreateProfile("A name of twenty-five bytes"));
    EXPECT_EQ(profile->GetActiveSlot(), 3);
}

TEST_F(ProfileAccessorsTest, DeletingTheOpenProfileLeavesNoneOpenAtTheStartLevel)
{
    app.SetIntProperty("set_start_level", 4);
    PutSlot(1, Anna());
    Remember(1);
    UserProfile* profile = Open();
    ASSERT_EQ(UserProfile::GetLevel(), 7);

    EXPECT_TRUE(profile->DeleteSlot(1));
    EXPECT_FALSE(SlotExists(1));
    EXPECT_EQ(profile->GetActiveSlot(), -1);
    EXPECT_EQ(UserProfile::GetProfileName(), "");
    EXPECT_EQ(UserProfile::GetLevel(), 4);
    EXPECT_EQ(UserProfile::GetGold(), 0);
    EXPECT_FALSE(UserProfile::IsBuildingBuilt(0));
    EXPECT_EQ(UserProfile::GetHintMaskLow(), 0u);
    EXPECT_FALSE(profile->DeleteSlot(1));
}

TEST_F(ProfileAccessorsTest, ResourcesAndScoreWrapRoundPastTheirRange)
{
    UserProfile::AddGold(INT_MAX);
    UserProfile::AddGold(1);
    EXPECT_EQ(UserProfile::GetGold(), INT_MIN);
    UserProfile::AddFood(INT_MIN);
    UserProfile::AddFood(-1);
    EXPECT_EQ(UserProfile::GetFood(), INT_MAX);
    UserProfile::AddSupplies(INT_MAX);
    UserProfile::AddSupplies(INT_MAX);
    EXPECT_EQ(UserProfile::GetSupplies(), -2);
    UserProfile::AddScore(INT_MAX);
    UserProfile::AddScore(2);
    EXPECT_EQ(UserProfile::GetScore(), INT_MIN + 1);
}

TEST_F(ProfileAccessorsTest, ResettingProgressKeepsTheNameAndTheHintsShown)
{
    PutSlot(0, Anna());
    ASSERT_EQ(Open()->GetActiveSlot(), 0);
    UserProfile::SetHintMaskHigh(3);
    UserProfile::SetSavedCounters(1, 1, 1, 1, 1);
    UserProfile::ResetProgress();
    EXPECT_EQ(UserProfile::GetProfileName(), "ANNA");
    EXPECT_EQ(UserProfile::GetHintMaskLow(), 9u);
    EXPECT_EQ(UserProfile::GetHintMaskHigh(), 3u);
    EXPECT_EQ(UserProfile::GetLevel(), 1);
    EXPECT_EQ(UserProfile::GetScore(), 0);
    EXPECT_EQ(UserProfile::GetSupplies(), 0);
    EXPECT_FALSE(UserProfile::IsBuildingBuilt(4));
    EXPECT_FALSE(UserProfile::HasPersonArrived(0));
    int gold = -1;
    UserProfile::GetSavedCounters(&gold, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(gold, 0);
}

TEST_F(ProfileAccessorsTest, SavedCellsOutsideTheBoardAreIgnoredAndAllowedTypesKeepSixtyFour)
{
    UserProfile::SetSavedCell(191, 7);
    UserProfile::SetSavedCell(192, 8);
    UserProfile::SetSavedCell(-1, 9);
    EXPECT_EQ(UserProfile::GetSavedCell(191), 7u);
    EXPECT_EQ(UserProfile::GetSavedCell(192), 0u);
    EXPECT_EQ(UserProfile::GetSavedCell(-1), 0u);
    EXPECT_EQ(UserProfile::GetSavedCell(INT_MIN), 0u);

    UserProfile::SetSavedAllowedTypes(std::string(70, '1'));
    EXPECT_EQ(UserProfile::GetSavedAllowedTypes(), std::string(64, '1'));
    UserProfile::SetSavedAllowedTypes("10");
    EXPECT_EQ(UserProfile::GetSavedAllowedTypes(), "10");
}
