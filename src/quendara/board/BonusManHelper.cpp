#include "board/BonusManHelper.h"

#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "town/TownManFactory.h"
#include "windows/PeopleBonusWindow.h"

#include <array>
#include <utility>

namespace {

struct PersonOfBuilding
{
    int person;
    int building;
};

// The order the people are checked in: the sharman (6) before the baker (5), and the girl and the
// sharman both come with building 19.
constexpr PersonOfBuilding kPeople[] = {
    {0, 1},  {1, 15}, {2, 9},  {3, 10}, {4, 19}, {6, 19},  {5, 3},   {7, 14},
    {8, 20}, {9, 25}, {10, 4}, {11, 5}, {12, 6}, {13, 27}, {14, 28},
};

constexpr int kAppearEffect = 1;
constexpr int kDisappearEffect = 2;

// A person's goals with the counters they are measured by, in the order they are tested and paid.
std::array<std::pair<int, int*>, 7> Goals(const TownMan& person, BonusManHelper& counters)
{
    return {{
        {person.GetGoalCells(), &counters.cells},
        {person.GetGoalGold(), &counters.gold},
        {person.GetGoalFood(), &counters.food},
        {person.GetGoalSupplies(), &counters.supplies},
        {person.GetGoalCombos(), &counters.combos},
        {person.GetGoalComboLength(), &counters.lastCombo},
        {person.GetGoalChainLength(), &counters.lastChain},
    }};
}

} // namespace

BonusManHelper::~BonusManHelper()
{
    delete PeopleBonusWindow::RegisteredInstance();
}

void BonusManHelper::Reset()
{
    gold = 0;
    food = 0;
    supplies = 0;
    cells = 0;
    combos = 0;
    lastChain = 0;
    lastCombo = 0;
}

void BonusManHelper::AddChain(int length)
{
    cells += length;
    lastChain = length;
}

void BonusManHelper::AddCombo(int count)
{
    ++combos;
    lastCombo = count;
}

void BonusManHelper::Update()
{
    CheckPeople();
    lastChain = 0;
    lastCombo = 0;
}

// The window is modal: the application, this check included, runs on beneath it. There, another person
// whose goals are reached pays them and stops at the open window without arriving.
void BonusManHelper::CheckPeople()
{
    for (const PersonOfBuilding& pair : kPeople) {
        if (!UserProfile::IsBuildingBuilt(pair.building) || UserProfile::HasPersonArrived(pair.person)) {
            continue;
        }
        const TownMan* person = TownManFactory::Instance()->GetById(pair.person);
        if (!person || !GoalsReached(*person)) {
            continue;
        }
        ConsumeGoals(*person);
        PeopleBonusWindow* window = PeopleBonusWindow::Instance();
        if (IsWindowShown(window)) {
            return;
        }
        UserProfile::SetPersonArrived(pair.person);
        window->SetPerson(*person);
        ShowWindowModal(window, kAppearEffect, kDisappearEffect);
    }
}

// A person needs every goal the town file gives; one without any never comes.
bool BonusManHelper::GoalsReached(const TownMan& person)
{
    bool anyGoal = false;
    for (const auto& [goal, counter] : Goals(person, *this)) {
        if (goal <= 0) {
            continue;
        }
        if (*counter < goal) {
            return false;
        }
        anyGoal = true;
    }
    return anyGoal;
}

void BonusManHelper::ConsumeGoals(const TownMan& person)
{
    for (const auto& [goal, counter] : Goals(person, *this)) {
        if (goal > 0 && *counter >= goal) {
            *counter -= goal;
        }
    }
}

bool IsPeopleBonusWindowShown()
{
    return IsWindowShown(PeopleBonusWindow::Instance());
}
