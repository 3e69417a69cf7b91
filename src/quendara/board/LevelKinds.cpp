// How a level whose file names no brick kinds gets them: a tool now and then, a type of the resource the
// player holds least of, then types of random resources, never two of one colour group. The number and
// order of the random draws are part of the game's behaviour.
#include "board/BoardFactory.h"
#include "board/FieldBase.h"
#include "board/Level.h"
#include "bricks/BrickHelper.h"
#include "core/Random.h"
#include "profile/UserProfile.h"

#include <algorithm>

namespace {

constexpr int kWalkAttempts = 50;
constexpr int kWalkRange = 100;
constexpr int kBonusPasses = 15;
// Tries of the random resources before a type of 1-4 is forced in.
constexpr int kTriesBeforeFallback = 51;

struct Range
{
    int first;
    int last;
};
constexpr Range kGold{kBrickGoldFirst, kBrickGoldLast};
constexpr Range kFood{kBrickFoodFirst, kBrickFoodLast};
constexpr Range kSupplies{kBrickSuppliesFirst, kBrickSuppliesLast};
constexpr Range kTools{kBrickHammer, kBrickDestroy};
// By the draw RandomBelow(3).
constexpr Range kResources[] = {kGold, kFood, kSupplies};

// The fallback's types, which every level has available.
constexpr int kBasicFirst = 1;
constexpr int kBasicLast = 4;

bool AllBasicAllowed(const Level& level)
{
    for (int type = kBasicFirst; type <= kBasicLast; ++type) {
        if (!level.IsTypeAllowed(type)) {
            return false;
        }
    }
    return true;
}

// Most of the time the highest fit type of a range is taken.
bool DrawPreferHighest()
{
    return RandomBelow(10) > 1;
}

} // namespace

bool Level::IsColourTaken(int colour) const
{
    for (int type = kBrickGoldFirst; type <= kBrickDestroy; ++type) {
        if (IsTypeAllowed(type) && GetBrickColor(type) == colour) {
            return true;
        }
    }
    return false;
}

bool Level::WalkOnce(int first, int last, int& candidate)
{
    int n = RandomRange(1u, unsigned(kWalkRange));
    for (int type = first;; type = type == last ? first : type + 1) {
        if (IsTypeAvailable(type)) {
            --n;
            if (!IsTypeAllowed(type)) {
                candidate = type;
            }
        }
        if (type == last && candidate == 0) {
            return false;
        }
        if (n <= 0) {
            return true;
        }
    }
}

int Level::AllowByWalk(int first, int last)
{
    int candidate = 0;
    for (int attempt = 0; attempt < kWalkAttempts; ++attempt) {
        if (!WalkOnce(first, last, candidate)) {
            return 0;
        }
        if (candidate > 0 && !IsColourTaken(GetBrickColor(candidate))) {
            Allow(candidate);
            return candidate;
        }
    }
    return 0;
}

bool Level::AllowOneOf(int first, int last, bool preferHighest)
{
    if (preferHighest) {
        for (int type = last; type >= first; --type) {
            if (IsTypeAvailable(type) && type != 0 && !IsColourTaken(GetBrickColor(type))) {
                Allow(type);
                return true;
            }
        }
    }
    return AllowByWalk(first, last) != 0;
}

int Level::ChooseBonusKind()
{
    float charges[5] = {};
    UserProfile::GetSavedBonusCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
    for (int pass = 0; pass < kBonusPasses; ++pass) {
        const int type = AllowByWalk(kTools.first, kTools.last);
        if (type == 0) {
            continue;
        }
        // A tool the player still holds a saved charge of is put back, unless this is the last pass.
        if (charges[type - kTools.first] >= 1 && pass < kBonusPasses - 1) {
            allowed.reset(std::size_t(type));
            continue;
        }
        return 1;
    }
    return 0;
}

int Level::AllowLeastHeld()
{
    const int gold = UserProfile::GetGold();
    const int food = UserProfile::GetFood();
    const int supplies = UserProfile::GetSupplies();
    const bool foodAvailable = HasAvailableFood();
    const bool suppliesAvailable = HasAvailableSupplies();
    int taken = 0;
    if (foodAvailable && food < gold && (!suppliesAvailable || food < supplies)) {
        taken += AllowOneOf(kFood.first, kFood.last, DrawPreferHighest()) ? 1 : 0;
    }
    if (suppliesAvailable && supplies < gold && (!foodAvailable || supplies < food)) {
        taken += AllowOneOf(kSupplies.first, kSupplies.last, DrawPreferHighest()) ? 1 : 0;
    }
    if ((!foodAvailable || gold < food) && (!suppliesAvailable || gold < supplies)) {
        taken += AllowOneOf(kGold.first, kGold.last, DrawPreferHighest()) ? 1 : 0;
    }
    return taken;
}

void Level::ChooseKinds(int playable, bool retry)
{
    int kinds = 4;
    allowed.reset();
    if (UserProfile::GetBuildingGroup() > 0 || (HasAvailableGold() && HasAvailableFood() && HasAvailableSupplies())) {
        kinds = 5;
    }
    if (playable > 0 && playable < 100) {
        kinds = 4;
    }
    if (retry && kinds > 4) {
        kinds = 4;
    }
    kinds = std::min(kinds, CountAvailable());

    const bool withTool = kinds <= 4 ? RandomBelow(2) > 0 : RandomBelow(4) > 0;
    if (withTool) {
        kinds -= ChooseBonusKind();
    }
    kinds -= AllowLeastHeld();

    int tries = 0;
    while (kinds > 0) {
        const Range range = kResources[RandomBelow(3)];
        if (AllowOneOf(range.first, range.last, DrawPreferHighest())) {
            --kinds;
        }
        if (kinds > 0 && ++tries == kTriesBeforeFallback) {
            tries = 0;
            // The kinds counted the tools too, which this loop never adds: once 1-4 are all in, nothing
            // is left to add and the level plays with fewer kinds.
            if (AllBasicAllowed(*this)) {
                break;
            }
            const int type = int(RandomBelow(4)) + kBasicFirst;
            if (!IsTypeAllowed(type)) {
                Allow(type);
                --kinds;
            }
        }
    }
}

void Level::FillRandom(FieldBase& board)
{
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            if (board.GetCellKind(x, y) != kCellHole) {
                board.PutBrick(x, y, CreateRandomBrick());
            }
        }
    }
}
