// What a released chain pays, the combo series, the live bonus that may follow a chain. Bricks on locked
// cells pay double; a chain of six or more resource bricks pays its plain sum once more, multiplied by
// its length's factor, into its own resource.
#include "board/BonusManHelper.h"
#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "board/Level.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "bricks/BrickHelper.h"
#include "core/Random.h"
#include "hud/TopPanel.h"
#include "profile/UserProfile.h"
#include "windows/FieldHints.h"

namespace {

constexpr int kShortestChain = 3;
constexpr int kLongChain = 6;
// The live bonus's tries: the first, off the board, always fails.
constexpr int kLiveBonusTries = 21;
// The live bonus's hint points at the brick, not at its cell's corner.
constexpr int kHintOffset = 18;
constexpr int kLiveBonusHint = 3;
constexpr int kComboShortest = 3;
constexpr int kComboRewardStep = 5;

// The long-chain factor of a chain's length: 1.5 for six bricks, half a point more per brick, at most 3.5.
float LongChainMultiplier(int length)
{
    constexpr int kLongestCounted = 10;
    const int counted = length < kLongestCounted ? length : kLongestCounted;
    return 1.5f + 0.5f * float(counted - kLongChain);
}

} // namespace

float FieldLive::LiveBonusChance(int groupCount)
{
    static constexpr float kChances[] = {0.7f, 0.6f, 0.5f, 0.2f};
    return groupCount < 4 ? kChances[groupCount] : 0.02f;
}

bool FieldLive::ScoreChain(int& lockedCount)
{
    lockedCount = 0;
    PathStorage* path = PathStorage::Instance();
    const int kind = path->GetChainKind();
    const int length = path->GetLength();
    if (length < kShortestChain) {
        return false;
    }
    int sum = 0;
    int x = 0;
    int y = 0;
    for (path->Rewind(); path->Next(&x, &y);) {
        PayBrick(x, y, sum, lockedCount);
    }
    TopPanel::Instance()->AddScore(length);
    if (length >= kLongChain &&
        (kind == PathStorage::kKindGold || kind == PathStorage::kKindFood || kind == PathStorage::kKindSupplies)) {
        const float multiplier = LongChainMultiplier(length);
        PayExtra(kind, int(float(sum) * multiplier));
        ShowLongChainText(multiplier);
        PlaySound("SOUND_EXTRA_SCORE");
    }
    BonusManHelper::Instance()->AddChain(length);
    return true;
}

// The lock is read before the explosion takes its layer; the plain value goes into the long-chain sum.
void FieldLive::PayBrick(int x, int y, int& sum, int& lockedCount)
{
    const bool locked = GetCell(x, y)->HasFlag(kCellLock1 | kCellLock2);
    const int factor = locked ? 2 : 1;
    lockedCount += locked ? 1 : 0;
    const BrickBase* brick = GetBrick(x, y);
    const int plain = brick->GetGoldValue() + brick->GetFoodValue() + brick->GetSuppliesValue();
    const int gold = brick->GetGoldValue() * factor;
    const int food = brick->GetFoodValue() * factor;
    const int supplies = brick->GetSuppliesValue() * factor;
    TopPanel* panel = TopPanel::Instance();
    panel->AddGold(gold);
    panel->AddFood(food);
    panel->AddSupplies(supplies);
    BonusManHelper* people = BonusManHelper::Instance();
    people->AddGold(gold);
    people->AddFood(food);
    people->AddSupplies(supplies);
    sum += plain;
    ChargeBonus(brick->GetType(), 1);
    AddFlyScore(plain * factor, x, y);
    ExplodeSlot(x, y);
}

void FieldLive::PayExtra(int kind, int extra)
{
    TopPanel* panel = TopPanel::Instance();
    BonusManHelper* people = BonusManHelper::Instance();
    if (kind == PathStorage::kKindGold) {
        panel->AddGold(extra);
        people->AddGold(extra);
    } else if (kind == PathStorage::kKindFood) {
        panel->AddFood(extra);
        people->AddFood(extra);
    } else {
        panel->AddSupplies(extra);
        people->AddSupplies(extra);
    }
}

void FieldLive::ChargeBonus(int type, int points)
{
    const int result = BonusPanel::Instance()->AddCharge(type, points);
    if (result == 1) {
        PlaySound("SOUND_BONUS_ACTIVATED");
    } else if (result > 1) {
        PlaySound("SOUND_BONUS_ACTIVATED_MORE");
    }
}

// A chain counts itself into the series; the series ends, rewarded from three chains on, at the first
// call once the window has passed without a chain.
void FieldLive::StepCombo()
{
    if (tick - lastChainTick < kComboWindow) {
        ++comboCount;
        return;
    }
    if (comboCount >= kComboShortest) {
        RewardCombo();
    }
    comboCount = 0;
}

// The reward grows with the town: the group of buildings the player is building.
void FieldLive::RewardCombo()
{
    const int reward = (UserProfile::GetBuildingGroup() + 1) * kComboRewardStep * (comboCount - 1);
    const Level* level = Level::Instance();
    TopPanel* panel = TopPanel::Instance();
    if (level->HasAllowedGold()) {
        panel->AddGold(reward);
    }
    if (level->HasAllowedFood()) {
        panel->AddFood(reward);
    }
    if (level->HasAllowedSupplies()) {
        panel->AddSupplies(reward);
    }
    BonusManHelper::Instance()->AddCombo(comboCount);
    ShowComboText(comboCount);
    PlaySound("SOUND_COMBO");
}

// A random pair is drawn after every failed try, the last one too: 21 pairs once the chance is met and
// nothing could take the live bonus.
bool FieldLive::TrySpawnLiveBonus(float chance)
{
    if (chance <= 0 || !(RandomFloat(0.0f, 1.0f) < chance)) {
        return false;
    }
    int x = -1;
    int y = -1;
    for (int attempt = 0; attempt < kLiveBonusTries; ++attempt) {
        if (HasBrick(x, y) && !IsSlotBusy(x, y)) {
            if (!PlaceLiveBonus(x, y)) {
                return false;
            }
            Solver::Instance()->Recount(*this);
            PlaySound("SOUND_PLUS_APPEAR");
            int px = 0;
            int py = 0;
            CellToPixel(x, y, px, py);
            ShowFieldHint(kLiveBonusHint, px + kHintOffset, py + kHintOffset);
            return true;
        }
        x = RandomRange(0, kFieldWidth - 1);
        y = RandomRange(0, kFieldHeight - 1);
    }
    return false;
}
