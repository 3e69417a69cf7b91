#include "board/BonusManHelper.h"

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
