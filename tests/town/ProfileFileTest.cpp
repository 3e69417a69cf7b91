// The slot file: the example profile written byte for byte as the committed fixture and read back field
// for field, and what a load does with files that are no profile.
#include "ProfileFixture.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

using RecordBytes::Int32At;
using RecordBytes::Unscrambled;

// The example profile: version 1, "ANNA", level 7, score 1234, gold 200, food 80, supplies 45,
// buildings 0-4, person 0, hints 0 and 3.
void MakeAnna()
{
    ASSERT_TRUE(UserProfile::Instance()->CreateProfile("ANNA"));
    while (UserProfile::GetLevel() < 7) {
        UserProfile::AdvanceLevel();
    }
    UserProfile::AddScore(1234);
    UserProfile::AddGold(200);
    UserProfile::AddFood(80);
    UserProfile::AddSupplies(45);
    for (int id = 0; id < 5; ++id) {
        UserProfile::SetBuildingBuilt(id);
    }
    UserProfile::SetPersonArrived(0);
    UserProfile::SetHintMaskLow(9);
}

} // namespace

class ProfileFileTest : public ProfileFixture
{};

TEST_F(ProfileFileTest, TheExampleProfileIsWrittenAsTheFixtureAndReadBackFieldForField)
{
    ASSERT_EQ(Anna().size(), RecordBytes::kSize) << "fixtures/anna.profile is missing";
    Open();
    MakeAnna();
    ASSERT_TRUE(Open()->SaveSlot(2));
    EXPECT_EQ(ReadSlot(2), Anna());
    EXPECT_EQ(Open()->checksum, 362);

    UserInfo read;
    ASSERT_EQ(read.ReadFromFile(SlotFile(2)), UserInfo::ReadResult::Loaded);
    EXPECT_EQ(read.version, 1);
    EXPECT_EQ(read.GetName(), "ANNA");
    EXPECT_EQ(read.level, 7);
    EXPECT_EQ(read.score, 1234);
    EXPECT_EQ(read.gold, 200);
    EXPECT_EQ(read.food, 80);
    EXPECT_EQ(read.supplies, 45);
    EXPECT_EQ(read.savedLevelFlag, 0);
    EXPECT_EQ(read.builtMask, 0x1Fu);
    EXPECT_EQ(read.arrivedMask, 1u);
    EXPECT_EQ(read.hintMaskLow, 9u);
    EXPECT_EQ(read.hintMaskHigh, 0u);
    EXPECT_EQ(read.checksum, 362);
    EXPECT_EQ(std::string(read.savedAllowedTypes, 64), std::string(64, '\0'));
    for (int i = 0; i < UserInfo::kSavedCells; ++i) {
        EXPECT_EQ(read.savedCells[i], 0u) << i;
    }
}

TEST_F(ProfileFileTest, ALevelInProgressComesBackWithEveryFieldAndTheSameBytes)
{
    Open()->CreateProfile("Mira");
    UserProfile::AddGold(-5);
    UserProfile::SetHintMaskHigh(0x1F);
    UserProfile::SetSavedCounters(11, 22, 33, 44, 0.625f);
    UserProfile::SetSavedBonusCharges(0.5f, 1.0f, -2.0f, 3.25f, 100.0f);
    for (int i = 0; i < UserInfo::kSavedCells; ++i) {
        UserProfile::SetSavedCell(i, 0x01000000u + uint32_t(i) * 0x010203u);
    }
    UserProfile::SetSavedAllowedTypes(std::string(31, '0') + std::string(32, '1') + "0");
    Open()->savedLevelFlag = 1;
    ASSERT_TRUE(Open()->SaveSlot(4));
    const std::string file = ReadSlot(4);
    const std::string plain = Unscrambled(file);
    ASSERT_EQ(plain.size(), RecordBytes::kSize);
    EXPECT_EQ(Int32At(plain, 940), RecordBytes::Checksum(plain));
    for (size_t pad : {45, 46, 47, 936, 937, 938, 939}) {
        EXPECT_EQ(plain[pad], '\0') << pad;
    }
    EXPECT_EQ(Int32At(plain, 68 + 4 * 17), 0x01000000 + 17 * 0x010203);
    EXPECT_EQ(plain.substr(872, 64), std::string(31, '0') + std::string(32, '1') + "0");

    Close();
    Remember(4);
    ASSERT_EQ(Open()->GetActiveSlot(), 4);
    EXPECT_EQ(UserProfile::GetProfileName(), "Mira");
    EXPECT_EQ(UserProfile::GetGold(), -5);
    EXPECT_EQ(UserProfile::GetHintMaskHigh(), 0x1Fu);
    EXPECT_TRUE(UserProfile::HasSavedLevel());
    int gold = 0, food = 0, supplies = 0, score = 0;
    float timer = 0;
    UserProfile::GetSavedCounters(&gold, &food, &supplies, &score, &timer);
    EXPECT_EQ(std::vector<int>({gold, food, supplies, score}), std::vector<int>({11, 22, 33, 44}));
    EXPECT_EQ(timer, 0.625f);
    float charges[5] = {};
    UserProfile::GetSavedBonusCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
    EXPECT_EQ(std::vector<float>(charges, charges + 5), std::vector<float>({0.5f, 1.0f, -2.0f, 3.25f, 100.0f}));
    EXPECT_EQ(UserProfile::GetSavedCell(191), 0x01000000u + 191u * 0x010203u);
    EXPECT_EQ(UserProfile::GetSavedAllowedTypes(), std::string(31, '0') + std::string(32, '1') + "0");
    ASSERT_TRUE(Open()->SaveSlot(4));
    EXPECT_EQ(ReadSlot(4), file);
}

// Each file is put in slot 2 of an open profile and loaded; the scan before the load sees the same.
TEST_F(ProfileFileTest, OnlyProfilesLoadAndOnlyFilesReadAndRejectedAreDeleted)
{
    enum class Kind
    {
        Bytes,
        Folder,
        // An open error: the name is a link to itself.
        LinkLoop,
        // A read error: the process's memory at address 0 reads as an I/O error.
        IoError,
        Missing,
    };
    struct Case
    {
        const char* name;
        Kind kind;
        std::string bytes;
        bool loads;
        bool kept;
    };
    const std::string anna = Anna();
    const std::string flipped = anna.substr(0, 30) + char(anna[30] ^ 0x01) + anna.substr(31);
    const Case cases[] = {
        {"empty", Kind::Bytes, "", false, false},
        {"943 bytes", Kind::Bytes, anna.substr(0, 943), false, false},
        {"944 bytes", Kind::Bytes, anna, true, true},
        {"945 bytes", Kind::Bytes, anna + "x", true, true},
        {"1000 bytes", Kind::Bytes, anna + std::string(56, '\x55'), true, true},
        {"one byte flipped", Kind::Bytes, flipped, false, false},
        {"version 0", Kind::Bytes, RecordBytes::WithInt32(anna, 0, 0), false, false},
        {"version 2", Kind::Bytes, RecordBytes::WithInt32(anna, 0, 2), false, false},
        {"version -1", Kind::Bytes, RecordBytes::WithInt32(anna, 0, -1), false, false},
        {"scrambled twice", Kind::Bytes, Unscrambled(anna), false, false},
        {"a folder", Kind::Folder, "", false, true},
        {"a link to itself", Kind::LinkLoop, "", false, true},
        {"an I/O error", Kind::IoError, "", false, true},
        {"no file", Kind::Missing, "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Close();
        std::filesystem::remove_all(ProfileFolder());
        UserProfile* profile = Open();
        ASSERT_TRUE(profile->CreateProfile("KEEP"));
        ASSERT_TRUE(profile->SaveSlot(0));
        UserProfile::AddGold(7);
        switch (c.kind) {
        case Kind::Bytes:
            PutSlot(2, c.bytes);
            break;
        case Kind::Folder:
            std::filesystem::create_directory(SlotFile(2));
            break;
        case Kind::LinkLoop:
            std::filesystem::create_symlink(SlotFile(2), SlotFile(2));
            break;
        case Kind::IoError:
            std::filesystem::create_symlink("/proc/self/mem", SlotFile(2));
            break;
        case Kind::Missing:
            break;
        }

        profile->ScanSlots();
        EXPECT_EQ(profile->GetSlotName(2), c.loads ? "ANNA" : "");
        EXPECT_EQ(SlotExists(2), c.kind != Kind::Missing) << "the scan changed nothing";

        EXPECT_EQ(profile->LoadSlot(2), c.loads);
        EXPECT_EQ(SlotExists(2), c.kept);
        EXPECT_EQ(profile->GetSlotName(2), c.loads ? "ANNA" : "");
        EXPECT_EQ(profile->GetActiveSlot(), c.loads ? 2 : 0);
        EXPECT_EQ(UserProfile::GetProfileName(), c.loads ? "ANNA" : "KEEP");
        EXPECT_EQ(UserProfile::GetGold(), c.loads ? 200 : 7);
    }
}

TEST_F(ProfileFileTest, StoredNamesAndAllowedTypesAreReadWithinTheirFields)
{
    std::string plain = Unscrambled(Named(std::string(20, 'Z')));
    plain.replace(872, 65, std::string(65, '1'));
    PutSlot(1, RecordBytes::Sealed(plain));
    Remember(1);
    ASSERT_EQ(Open()->GetActiveSlot(), 1);
    EXPECT_EQ(Open()->GetSlotName(1), std::string(19, 'Z'));
    EXPECT_EQ(UserProfile::GetSavedAllowedTypes(), std::string(64, '1'));
}

// No save writes a level below 1; one read from a file becomes 1 and everything else of the player stays.
TEST_F(ProfileFileTest, ALevelBelowOneIsReadAsOneWithTheRestKept)
{
    constexpr size_t kLevelOffset = 24;
    const struct
    {
        int32_t stored;
        int32_t read;
    } cases[] = {{-7, 1}, {0, 1}, {INT32_MIN, 1}, {1, 1}, {12, 12}};
    for (const auto& c : cases) {
        PutSlot(3, RecordBytes::WithInt32(Anna(), kLevelOffset, c.stored));
        UserInfo read;
        ASSERT_EQ(read.ReadFromFile(SlotFile(3)), UserInfo::ReadResult::Loaded) << c.stored;
        EXPECT_EQ(read.level, c.read) << c.stored;
        EXPECT_EQ(read.GetName(), "ANNA");
        EXPECT_EQ(read.score, 1234);
        EXPECT_EQ(read.gold, 200);
        EXPECT_EQ(read.food, 80);
        EXPECT_EQ(read.supplies, 45);
        EXPECT_EQ(read.builtMask, 0x1Fu);
        EXPECT_EQ(read.arrivedMask, 1u);
        EXPECT_EQ(read.hintMaskLow, 9u);
    }

    PutSlot(3, RecordBytes::WithInt32(Anna(), kLevelOffset, -7));
    Remember(3);
    ASSERT_EQ(Open()->GetActiveSlot(), 3);
    EXPECT_EQ(UserProfile::GetLevel(), 1);
    EXPECT_EQ(UserProfile::GetGold(), 200);
    EXPECT_TRUE(UserProfile::IsBuildingBuilt(4));
}
