// Stand-in for the bar of bonus tools under the board until it exists: what the board asks of it. No
// chain charges a tool and no tool is ever armed; the debug keys can give a tool whole charges, which
// only the no-move countdown looks at. Opening or closing the gates draws each gate's delay, as the
// real bar does, so that the game's random draws keep their order.
#pragma once

#include "core/Singleton.h"

#include <array>

class BonusPanel : public Singleton<BonusPanel>
{
public:
    static constexpr int kButtons = 5;

    // Types 27 to 31 would charge their tool; the stand-in charges nothing: 0.
    int AddCharge(int type, int points);
    // n = 1 (hammer) to 5 (destroy): one whole charge, at most three.
    void ChargeButton(int n);
    // Some tool holds a whole charge.
    bool AnyChargeReady() const;
    bool IsHammerArmed() const { return false; }
    bool IsBombArmed() const { return false; }
    bool IsDestroyArmed() const { return false; }
    // Whether an armed tool acted on the cell: never.
    bool UseArmedOn(int x, int y);
    void Deselect(bool withSound);
    void SetGatesOpen(bool open);

    bool gatesOpen = false;
    // Each gate's delay in seconds, as last drawn.
    std::array<float, kButtons> gateDelays{};
    std::array<float, kButtons> charges{};
};
