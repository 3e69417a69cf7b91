#include "board/BonusPanel.h"

#include "core/Random.h"

namespace {

constexpr float kMaxCharge = 3;
// The gates' delays are drawn from 0 to 0.5 s.
constexpr float kGateDelaySpan = 1.5f;

} // namespace

int BonusPanel::AddCharge(int, int)
{
    return 0;
}

void BonusPanel::ChargeButton(int n)
{
    if (n >= 1 && n <= kButtons) {
        float& charge = charges[std::size_t(n - 1)];
        charge = charge + 1 > kMaxCharge ? kMaxCharge : charge + 1;
    }
}

bool BonusPanel::AnyChargeReady() const
{
    for (float charge : charges) {
        if (charge >= 1) {
            return true;
        }
    }
    return false;
}

bool BonusPanel::UseArmedOn(int, int)
{
    return false;
}

void BonusPanel::Deselect(bool) {}

void BonusPanel::SetGatesOpen(bool open)
{
    gatesOpen = open;
    for (float& delay : gateDelays) {
        delay = RandomFloatSpan(kGateDelaySpan);
    }
}
