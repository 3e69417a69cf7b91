// What the level being played has earned toward the town people's goals: seven counters fed by the
// board as chains and combos are paid, reset when a level starts. The application deletes the singleton
// at exit.
#pragma once

#include "core/Singleton.h"

class BonusManHelper : public Singleton<BonusManHelper>
{
public:
    void Reset();
    void AddGold(int amount) { gold += amount; }
    void AddFood(int amount) { food += amount; }
    void AddSupplies(int amount) { supplies += amount; }
    // Once per paid chain, with its length.
    void AddChain(int length);
    // Once per rewarded combo series, with its count of chains.
    void AddCombo(int count);

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
};
