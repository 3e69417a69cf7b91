#include "board/BoardFactory.h"

#include "app/TolmAppBase.h"
#include "board/BrickBonus.h"
#include "board/BrickBonusLive.h"
#include "board/BrickFood.h"
#include "board/BrickGold.h"
#include "board/BrickSupplies.h"
#include "board/CellSimple.h"
#include "board/Level.h"
#include "core/Random.h"
#include "core/StringUtils.h"

namespace {

// A refill that found no allowed type gives up after this many tries and makes a plain gold brick.
constexpr int kRefillTries = 100;

int Cost(const char* format, int number)
{
    return Tolm::gTolmApp->GetIntProperty(Tolm::FormatString(format, number));
}

} // namespace

std::unique_ptr<CellBase> CreateCell(int kind)
{
    switch (kind) {
    case kCellHole:
        return std::make_unique<CellGfx>(kCellHole);
    case kCellPlayable:
        return std::make_unique<CellSimple>();
    default:
        return std::make_unique<CellBase>(kCellHole);
    }
}

std::unique_ptr<BrickBase> CreateBrick(int type)
{
    if (type >= kBrickGoldFirst && type <= kBrickGoldLast) {
        return std::make_unique<BrickGold>(type, Cost("set_cost_gold%d", type));
    }
    if (type >= kBrickFoodFirst && type <= kBrickFoodLast) {
        return std::make_unique<BrickFood>(type, Cost("set_cost_food%d", type - kBrickGoldLast));
    }
    if (type >= kBrickSuppliesFirst && type <= kBrickSuppliesLast) {
        return std::make_unique<BrickSupplies>(type, Cost("set_cost_supp%d", type - kBrickFoodLast));
    }
    if (type >= kBrickHammer && type <= kBrickDestroy) {
        return std::make_unique<BrickBonus>(type);
    }
    if (type == kBrickLiveBonus) {
        return std::make_unique<BrickBonusLive>();
    }
    return std::make_unique<BrickBase>(kBrickEmpty);
}

std::unique_ptr<BrickBase> CreateRandomBrickIn(int first, int last)
{
    const Level* level = Level::Instance();
    int n = RandomRange(unsigned(1), unsigned(2 * (last - first)));
    int candidate = 0;
    for (int type = first;; type = type == last ? first : type + 1) {
        if (level->IsTypeAllowed(type)) {
            candidate = type;
            if (--n == 0) {
                return CreateBrick(candidate);
            }
        }
        if (type == last && candidate == 0) {
            return nullptr;
        }
    }
}

std::unique_ptr<BrickBase> CreateRandomBrick()
{
    int count = 0;
    std::unique_ptr<BrickBase> brick;
    while (!brick) {
        brick = CreateRandomBrickIn(kBrickGoldFirst, kBrickDestroy);
        if (++count > kRefillTries && !brick) {
            brick = CreateBrick(int(RandomBelow(4)) + kBrickGoldFirst);
            count = 0;
        }
    }
    return brick;
}
