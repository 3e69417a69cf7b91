// What the level being played has earned toward the town people's goals: seven counters fed by the
// board as chains and combos are paid, reset when a level starts. Once per game-screen update the people
// whose building stands and who have not come yet are checked against them; one whose goals are all
// reached pays them from the counters and is presented in the people-bonus window. The application
// deletes the singleton at exit, and the window with it.
#pragma once

#include "core/Singleton.h"

class TownMan;

class BonusManHelper : public Singleton<BonusManHelper>
{
public:
    ~BonusManHelper() override;

    void Reset();
    void AddGold(int amount) { gold += amount; }
    void AddFood(int amount) { food += amount; }
    void AddSupplies(int amount) { supplies += amount; }
    // Once per paid chain, with its length.
    void AddChain(int length);
    // Once per rewarded combo series, with its count of chains.
    void AddCombo(int count);
    // At the end of each game-screen update: the last chain and combo count only in the update that
    // paid them.
    void Update();
    // Shows the window, and waits for it, for each person who arrives.
    void CheckPeople();

    int gold = 0;
    int food = 0;
    int supplies = 0;
    // Bricks in all the level's chains.
    int cells = 0;
    // Rewarded combo series.
    int combos = 0;
    // The last chain's and the last combo's lengths.
    int lastChain = 0;
    int lastCombo = 0;

private:
    // Every positive goal of the person is reached.
    bool GoalsReached(const TownMan& person);
    void ConsumeGoals(const TownMan& person);
};

// The people-bonus window is on the screen.
bool IsPeopleBonusWindowShown();
