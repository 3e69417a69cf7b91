// The town people's check after each game-screen update: who is tested, in which order, what a person's
// arrival costs the level's counters, and what happens underneath an open people-bonus window.
#include "LiveBoardFixture.h"
#include "app/TolmAppBase.h"
#include "board/BonusManHelper.h"
#include "profile/UserProfile.h"
#include "town/TownManFactory.h"
#include "widgets/WidgetManager.h"
#include "windows/PeopleBonusWindow.h"

namespace {

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

class PeopleCheckTest : public LiveBoardFixture
{
protected:
    // The window's wait ends at once (the fixture's doing), as if the player closed it at its first update.
    PeopleCheckTest() : people(BonusManHelper::Instance()) {}
    ~PeopleCheckTest() override
    {
        if (PeopleBonusWindow* window = PeopleBonusWindow::RegisteredInstance()) {
            app.widgetManager->RemoveWidget(window);
        }
        app.DeleteDeferredWidgets();
        DeleteSingleton<TownManFactory>();
    }

    static TownMan& Person(int id) { return *TownManFactory::Instance()->GetById(id); }

    // The people-bonus window stays on the screen, as while the player reads it.
    void HoldWindowOpen() { app.widgetManager->AddWidget(PeopleBonusWindow::Instance()); }

    BonusManHelper* people;
};

} // namespace

// Each person checked in table order with the building that brings them; the first of the two people of
// building 19 is person 4, and person 6 comes before person 5.
TEST_F(PeopleCheckTest, PeopleArriveInTheTablesOrderForTheirBuildings)
{
    struct Pair
    {
        int person;
        int building;
    };
    const Pair table[] = {{0, 1},  {1, 15}, {2, 9},  {3, 10}, {4, 19}, {6, 19},  {5, 3},  {7, 14},
                          {8, 20}, {9, 25}, {10, 4}, {11, 5}, {12, 6}, {13, 27}, {14, 28}};
    for (const Pair& pair : table) {
        Person(pair.person).goalCells = 10;
    }
    // A person's building alone brings nothing without the goal reached, and the goal alone nothing
    // without the building.
    UserProfile::SetBuildingBuilt(15);
    people->cells = 9;
    people->CheckPeople();
    EXPECT_FALSE(UserProfile::HasPersonArrived(1));
    for (const Pair& pair : table) {
        UserProfile::SetBuildingBuilt(pair.building);
    }
    HoldWindowOpen();
    int arrivals = 0;
    for (const Pair& pair : table) {
        people->cells = 10;
        people->CheckPeople();
        EXPECT_EQ(people->cells, 0) << "person " << pair.person << " pays the goal";
        app.widgetManager->RemoveWidget(PeopleBonusWindow::Instance());
        people->cells = 10;
        people->CheckPeople();
        ++arrivals;
        EXPECT_TRUE(UserProfile::HasPersonArrived(pair.person)) << "arrival " << arrivals;
        for (const Pair& later : table) {
            if (&later > &pair) {
                EXPECT_FALSE(UserProfile::HasPersonArrived(later.person)) << later.person << " before " << pair.person;
            }
        }
        HoldWindowOpen();
    }
}

// Goals are tested in the order cells, gold, food, supplies, combos, combo length, chain length; every
// positive goal must be reached, and each reached one is paid, the surplus kept.
TEST_F(PeopleCheckTest, AnArrivalPaysEachGoalAndKeepsTheSurplus)
{
    UserProfile::SetBuildingBuilt(1);
    TownMan& garden = Person(0);
    garden.goalGold = 500;
    garden.goalFood = 0;
    garden.goalCombos = 2;
    people->gold = 700;
    people->combos = 1;
    people->CheckPeople();
    EXPECT_FALSE(UserProfile::HasPersonArrived(0)) << "both goals are needed";
    EXPECT_EQ(people->gold, 700);
    people->combos = 3;
    people->food = 40;
    people->CheckPeople();
    EXPECT_TRUE(UserProfile::HasPersonArrived(0));
    EXPECT_EQ(people->gold, 200);
    EXPECT_EQ(people->combos, 1);
    EXPECT_EQ(people->food, 40) << "a goal of 0 sets no condition";
    people->gold = 5000;
    people->CheckPeople();
    EXPECT_EQ(people->gold, 5000) << "a person arrives once";
}

TEST_F(PeopleCheckTest, PersonWithoutGoalsNeverArrives)
{
    UserProfile::SetBuildingBuilt(1);
    people->gold = 1000;
    people->cells = 1000;
    people->CheckPeople();
    EXPECT_FALSE(UserProfile::HasPersonArrived(0));
}

// A chain-length goal counts only the chain paid since the last update: the update clears it after the
// check, whether or not anyone came.
TEST_F(PeopleCheckTest, ChainLengthCountsOnlyInTheUpdateThatPaidIt)
{
    UserProfile::SetBuildingBuilt(10);
    Person(3).goalChainLength = 8;
    people->AddChain(7);
    people->AddCombo(4);
    people->Update();
    EXPECT_FALSE(UserProfile::HasPersonArrived(3));
    EXPECT_EQ(people->lastChain, 0);
    EXPECT_EQ(people->lastCombo, 0);
    EXPECT_EQ(people->cells, 7);
    EXPECT_EQ(people->combos, 1);
    people->AddChain(9);
    app.Frame();
    EXPECT_TRUE(UserProfile::HasPersonArrived(3)) << "the game screen checks after its update";
    EXPECT_EQ(people->lastChain, 0);
}

// Persons 4 and 6 both come with building 19. With both goals reached, person 4 arrives and is shown;
// person 6's goals are paid underneath the open window without an arrival.
TEST_F(PeopleCheckTest, UnderAnOpenWindowASecondPersonPaysWithoutArriving)
{
    UserProfile::SetBuildingBuilt(19);
    Person(4).goalGold = 100;
    Person(6).goalFood = 50;
    people->gold = 150;
    people->food = 80;
    HoldWindowOpen();
    EXPECT_TRUE(IsPeopleBonusWindowShown());
    people->CheckPeople();
    EXPECT_FALSE(UserProfile::HasPersonArrived(4));
    EXPECT_EQ(people->gold, 50) << "person 4 is tested first and stops the walk";
    EXPECT_EQ(people->food, 80);
    app.widgetManager->RemoveWidget(PeopleBonusWindow::Instance());
    EXPECT_FALSE(IsPeopleBonusWindowShown());
    people->gold = 100;
    people->CheckPeople();
    EXPECT_TRUE(UserProfile::HasPersonArrived(4));
    EXPECT_TRUE(UserProfile::HasPersonArrived(6)) << "the window was closed before the walk went on";
    EXPECT_EQ(people->food, 30);
}
