// The static accessors through which the rest of the game reads and changes the open profile.
#include "profile/ProfileCallsUp.h"
#include "profile/UserProfile.h"

#include <algorithm>

namespace {

constexpr int kBuildings = 30;
constexpr int kBuildingsPerGroup = 5;

uint32_t BitOf(int id)
{
    return 1u << (unsigned(id) % 32);
}

// A sum past the int32 range wraps round, as the stored field does, rather than being undefined.
void AddWrapping(int32_t& total, int amount)
{
    total = int32_t(int64_t(total) + amount);
}

} // namespace

void UserProfile::ResetProgress()
{
    Instance()->UserInfo::ResetProgress();
    // A town not built yet reads the profile when it is.
    RefreshTownFromProfile();
}

void UserProfile::ClearSavedLevel()
{
    Instance()->UserInfo::ClearSavedLevel();
}

int UserProfile::GetLevel()
{
    return Instance()->level;
}

bool UserProfile::AdvanceLevel()
{
    AddWrapping(Instance()->level, 1);
    ClearSavedLevel();
    return true;
}

int UserProfile::GetScore()
{
    return Instance()->score;
}

void UserProfile::AddScore(int amount)
{
    AddWrapping(Instance()->score, amount);
}

int UserProfile::GetGold()
{
    return Instance()->gold;
}

int UserProfile::GetFood()
{
    return Instance()->food;
}

int UserProfile::GetSupplies()
{
    return Instance()->supplies;
}

void UserProfile::AddGold(int amount)
{
    AddWrapping(Instance()->gold, amount);
}

void UserProfile::AddFood(int amount)
{
    AddWrapping(Instance()->food, amount);
}

void UserProfile::AddSupplies(int amount)
{
    AddWrapping(Instance()->supplies, amount);
}

void UserProfile::SetBuildingBuilt(int id)
{
    Instance()->builtMask |= BitOf(id);
}

bool UserProfile::IsBuildingBuilt(int id)
{
    return (Instance()->builtMask & BitOf(id)) != 0;
}

int UserProfile::GetHighestBuiltBuilding()
{
    for (int id = kBuildings - 1; id >= 0; --id) {
        if (IsBuildingBuilt(id)) {
            return id;
        }
    }
    return -1;
}

bool UserProfile::IsTownUnfinished()
{
    return GetHighestBuiltBuilding() != kBuildings - 1;
}

int UserProfile::GetBuildingGroup()
{
    for (int id = 0; id < kBuildings; ++id) {
        if (!IsBuildingBuilt(id)) {
            return id / kBuildingsPerGroup;
        }
    }
    // The last group stays on once the town is complete.
    return kBuildings / kBuildingsPerGroup - 1;
}

void UserProfile::SetPersonArrived(int id)
{
    Instance()->arrivedMask |= BitOf(id);
}

bool UserProfile::HasPersonArrived(int id)
{
    return (Instance()->arrivedMask & BitOf(id)) != 0;
}

uint32_t UserProfile::GetHintMaskLow()
{
    return Instance()->hintMaskLow;
}

uint32_t UserProfile::GetHintMaskHigh()
{
    return Instance()->hintMaskHigh;
}

void UserProfile::SetHintMaskLow(uint32_t mask)
{
    Instance()->hintMaskLow = mask;
}

void UserProfile::SetHintMaskHigh(uint32_t mask)
{
    Instance()->hintMaskHigh = mask;
}

std::string UserProfile::GetProfileName()
{
    return Instance()->GetActiveSlotName();
}

bool UserProfile::HasSavedLevel()
{
    return Instance()->savedLevelFlag != 0;
}

void UserProfile::SaveLevel(FieldBase& board)
{
    SaveBoardToProfile(board);
    Instance()->savedLevelFlag = 1;
}

void UserProfile::RestoreLevel(FieldBase& board)
{
    LoadBoardFromProfile(board);
}

void UserProfile::SetSavedCell(int index, uint32_t word)
{
    if (index >= 0 && index < kSavedCells) {
        Instance()->savedCells[index] = word;
    }
}

uint32_t UserProfile::GetSavedCell(int index)
{
    return index >= 0 && index < kSavedCells ? Instance()->savedCells[index] : 0;
}

void UserProfile::SetSavedAllowedTypes(const std::string& text)
{
    char* types = Instance()->savedAllowedTypes;
    std::fill_n(types, kAllowedTypesLength, '\0');
    text.copy(types, kAllowedTypesLength);
}

std::string UserProfile::GetSavedAllowedTypes()
{
    const char* types = Instance()->savedAllowedTypes;
    return std::string(types, std::find(types, types + kAllowedTypesLength, '\0'));
}

void UserProfile::SetSavedCounters(int gold, int food, int supplies, int score, float timer)
{
    UserProfile* profile = Instance();
    profile->savedGold = gold;
    profile->savedFood = food;
    profile->savedSupplies = supplies;
    profile->savedScore = score;
    profile->savedTimer = timer;
}

void UserProfile::GetSavedCounters(int* gold, int* food, int* supplies, int* score, float* timer)
{
    const UserProfile* profile = Instance();
    const auto copy = [](auto* to, auto value) {
        if (to) {
            *to = value;
        }
    };
    copy(gold, profile->savedGold);
    copy(food, profile->savedFood);
    copy(supplies, profile->savedSupplies);
    copy(score, profile->savedScore);
    copy(timer, profile->savedTimer);
}

void UserProfile::SetSavedBonusCharges(float hammer, float bomb, float lightning, float mixer, float destroy)
{
    float* charges = Instance()->savedBonusCharges;
    charges[0] = hammer;
    charges[1] = bomb;
    charges[2] = lightning;
    charges[3] = mixer;
    charges[4] = destroy;
}

void UserProfile::GetSavedBonusCharges(float* hammer, float* bomb, float* lightning, float* mixer, float* destroy)
{
    const float* charges = Instance()->savedBonusCharges;
    *hammer = charges[0];
    *bomb = charges[1];
    *lightning = charges[2];
    *mixer = charges[3];
    *destroy = charges[4];
}
