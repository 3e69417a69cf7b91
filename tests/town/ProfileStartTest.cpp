// Which profile opens at start from the remembered slot and the slot files, and what the exit leaves.
#include "ProfileFixture.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>

class ProfileStartTest : public ProfileFixture
{};

TEST_F(ProfileStartTest, TheRememberedSlotOpensAndAnythingElseFallsBackToTheFirstThatLoads)
{
    const std::string broken = Anna().substr(0, 500);
    const std::map<int, std::string> fiveValid = {
        {0, Named("S0")}, {1, Named("S1")}, {2, Named("S2")}, {3, Named("S3")}, {4, Named("S4")}};
    const std::map<int, std::string> threeAndFour = {{3, Named("S3")}, {4, Named("S4")}};
    const std::map<int, std::string> oneBroken = {{1, broken}, {3, Named("S3")}, {4, Named("S4")}};
    enum class Setting
    {
        Missing,
        WrongType,
        Number,
    };
    struct Case
    {
        const char* name;
        Setting setting;
        int remembered;
        const std::map<int, std::string>& files;
        int opens;
        const char* listing;
    };
    const char* const allFive = "slot0.profile slot1.profile slot2.profile slot3.profile slot4.profile";
    const char* const lastTwo = "slot3.profile slot4.profile";
    const Case cases[] = {
        {"missing", Setting::Missing, 0, threeAndFour, 3, lastTwo},
        {"a text", Setting::WrongType, 0, threeAndFour, 3, lastTwo},
        {"-1", Setting::Number, -1, threeAndFour, 3, lastTwo},
        {"0", Setting::Number, 0, fiveValid, 0, allFive},
        {"1", Setting::Number, 1, fiveValid, 1, allFive},
        {"2", Setting::Number, 2, fiveValid, 2, allFive},
        {"3", Setting::Number, 3, fiveValid, 3, allFive},
        {"4", Setting::Number, 4, fiveValid, 4, allFive},
        {"a broken slot", Setting::Number, 1, oneBroken, 3, lastTwo},
        {"5", Setting::Number, 5, threeAndFour, 3, lastTwo},
        {"7", Setting::Number, 7, threeAndFour, 3, lastTwo},
        {"INT_MIN", Setting::Number, INT_MIN, threeAndFour, 3, lastTwo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(ProfileFolder());
        for (const auto& [slot, bytes] : c.files) {
            PutSlot(slot, bytes);
        }
        app.EraseRegistryValue(kSetting);
        if (c.setting == Setting::WrongType) {
            app.WriteRegistryString(kSetting, "3");
        } else if (c.setting == Setting::Number) {
            Remember(c.remembered);
        }

        EXPECT_EQ(Open()->GetActiveSlot(), c.opens);
        EXPECT_EQ(UserProfile::GetProfileName(), "S" + std::to_string(c.opens));
        EXPECT_EQ(FolderListing(), c.listing);
        for (const auto& [slot, bytes] : c.files) {
            if (bytes != broken) {
                EXPECT_EQ(ReadSlot(slot), bytes) << "slot " << slot;
            }
        }
        Close();
    }
}

TEST_F(ProfileStartTest, AnExitWithoutAProfileRemembersNoneAndTheNextStartTakesTheFirstThatLoads)
{
    Remember(3);
    EXPECT_EQ(Open()->GetActiveSlot(), -1);
    EXPECT_EQ(UserProfile::GetProfileName(), "");
    Close();
    EXPECT_EQ(Remembered(), -1);
    EXPECT_EQ(FolderListing(), "");

    PutSlot(2, Anna());
    EXPECT_EQ(Open()->GetActiveSlot(), 2);
    EXPECT_EQ(UserProfile::GetProfileName(), "ANNA");
}

TEST_F(ProfileStartTest, AnExitSavesTheOpenProfileAndRemembersItsSlot)
{
    PutSlot(4, Anna());
    Remember(4);
    ASSERT_EQ(Open()->GetActiveSlot(), 4);
    UserProfile::AddGold(55);
    Close();
    EXPECT_EQ(Remembered(), 4);
    EXPECT_EQ(ReadSlot(4), RecordBytes::WithInt32(Anna(), 32, 255));
}
