#include "town/UserProfile.h"

#include "app/TolmAppBase.h"
#include "board/Level.h"

namespace {

constexpr int kBuildings = 30;
constexpr int kBuildingsPerGroup = 5;

} // namespace

UserProfile::UserProfile()
{
    ResetProgress();
}

void UserProfile::ResetProgress()
{
    UserProfile* profile = Instance();
    profile->level = Tolm::gTolmApp ? Tolm::gTolmApp->GetIntPropertyOr("set_start_level", 1) : 1;
    profile->gold = 0;
    profile->food = 0;
    profile->supplies = 0;
    profile->builtMask = 0;
    ClearSavedLevel();
}

void UserProfile::ClearSavedLevel()
{
    UserProfile* profile = Instance();
    profile->savedLevel = false;
    SetSavedCounters(0, 0, 0, 0, 0);
    for (uint32_t& word : profile->savedCells) {
        word = 0;
    }
    profile->savedAllowedTypes.clear();
    SetSavedBonusCharges(0, 0, 0, 0, 0);
}

int UserProfile::GetLevel()
{
    return Instance()->level;
}

bool UserProfile::AdvanceLevel()
{
    ++Instance()->level;
    ClearSavedLevel();
    return true;
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
    Instance()->gold += amount;
}

void UserProfile::AddFood(int amount)
{
    Instance()->food += amount;
}

void UserProfile::AddSupplies(int amount)
{
    Instance()->supplies += amount;
}

void UserProfile::SetBuildingBuilt(int id)
{
    Instance()->builtMask |= 1u << (unsigned(id) % 32);
}

bool UserProfile::IsBuildingBuilt(int id)
{
    return (Instance()->builtMask & (1u << (unsigned(id) % 32))) != 0;
}

int UserProfile::GetBuildingGroup()
{
    for (int id = 0; id < kBuildings; ++id) {
        if (!IsBuildingBuilt(id)) {
            return id / kBuildingsPerGroup;
        }
    }
    return kBuildings / kBuildingsPerGroup;
}

bool UserProfile::HasSavedLevel()
{
    return Instance()->savedLevel;
}

void UserProfile::SaveLevel(FieldBase& board)
{
    Level::Instance()->SaveBoard(board);
    Instance()->savedLevel = true;
}

void UserProfile::RestoreLevel(FieldBase& board)
{
    Level::Instance()->LoadBoard(board);
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
    Instance()->savedAllowedTypes = text.substr(0, kAllowedTypesLength);
}

std::string UserProfile::GetSavedAllowedTypes()
{
    return Instance()->savedAllowedTypes;
}

void UserProfile::SetSavedCounters(int gold, int food, int supplies, int score, float progress)
{
    UserProfile* profile = Instance();
    profile->savedGold = gold;
    profile->savedFood = food;
    profile->savedSupplies = supplies;
    profile->savedScore = score;
    profile->savedProgress = progress;
}

void UserProfile::GetSavedCounters(int* gold, int* food, int* supplies, int* score, float* progress)
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
    copy(progress, profile->savedProgress);
}

void UserProfile::SetSavedBonusCharges(float hammer, float bomb, float lightning, float mixer, float destroy)
{
    float* charges = Instance()->savedCharges;
    charges[0] = hammer;
    charges[1] = bomb;
    charges[2] = lightning;
    charges[3] = mixer;
    charges[4] = destroy;
}

void UserProfile::GetSavedBonusCharges(float* hammer, float* bomb, float* lightning, float* mixer, float* destroy)
{
    const float* charges = Instance()->savedCharges;
    *hammer = charges[0];
    *bomb = charges[1];
    *lightning = charges[2];
    *mixer = charges[3];
    *destroy = charges[4];
}
