// The town's prices against what a player earns: the bot plays the sixty levels in order with the game's
// own town file, banks each won level's gold, food and supplies as the game screen does, and then buys
// buildings as a player in the upgrade screen would: the first building of the offered group it can pay
// for, again and again until none is left that it can. The levels it plays see the bricks the bought
// buildings unlock. A level-by-level table is printed for each seed.
#include "BoardBotFixture.h"
#include "board/FieldLive.h"
#include "platform/DebugOutput.h"
#include "screens/TopPanel.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/UserProfile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

constexpr int kLevels = 60;
constexpr int kGroups = 6;
constexpr int kGroupSize = 5;
constexpr unsigned kSeeds[] = {1, 2, 3};

// What one seed's play came to: the level after which each group was complete (0: never), and the
// buildings standing after each level.
struct TownGrowth
{
    std::array<int, kGroups> groupDoneAfter{};
    std::array<int, kLevels + 1> builtAfter{};
};

class TownEconomyTest : public BoardBotFixture
{
protected:
    // The town's pictures are not loaded here; the town notes each missing one, which says nothing here.
    TownEconomyTest()
    {
        Platform::SetDebugOutputSink(&quiet);
        Town::Instance();
        Platform::SetDebugOutputSink(nullptr);
    }
    ~TownEconomyTest() override { delete Town::RegisteredInstance(); }

    struct Quiet : Platform::DebugOutputSink
    {
        void Write(const std::string&) override {}
    };

    static bool Affordable(const BaseTownBuilding& building)
    {
        return UserProfile::GetGold() >= building.GetCostGold() && UserProfile::GetFood() >= building.GetCostFood() &&
               UserProfile::GetSupplies() >= building.GetCostSupplies();
    }

    // The first unbuilt building of the offered group that the profile can pay for, or null.
    static const BaseTownBuilding* FirstAffordable()
    {
        const int group = UserProfile::GetBuildingGroup();
        for (int slot = 0; slot < kGroupSize; ++slot) {
            const int id = group * kGroupSize + slot;
            const BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(id);
            if (building && !UserProfile::IsBuildingBuilt(id) && Affordable(*building)) {
                return building;
            }
        }
        return nullptr;
    }

    static int BuyEverythingAffordable()
    {
        int bought = 0;
        while (UserProfile::IsTownUnfinished()) {
            const BaseTownBuilding* building = FirstAffordable();
            if (!building) {
                break;
            }
            UserProfile::SetBuildingBuilt(building->GetId());
            UserProfile::AddGold(-building->GetCostGold());
            UserProfile::AddFood(-building->GetCostFood());
            UserProfile::AddSupplies(-building->GetCostSupplies());
            ++bought;
        }
        return bought;
    }

    static bool GroupBuilt(int group)
    {
        for (int slot = 0; slot < kGroupSize; ++slot) {
            if (!UserProfile::IsBuildingBuilt(group * kGroupSize + slot)) {
                return false;
            }
        }
        return true;
    }

    static int BuiltCount()
    {
        int built = 0;
        for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
            built += UserProfile::IsBuildingBuilt(id) ? 1 : 0;
        }
        return built;
    }

    // The level's earnings into the profile, as the game screen banks a won level.
    static void Bank()
    {
        const TopPanel* top = TopPanel::Instance();
        UserProfile::AddGold(top->GetGold());
        UserProfile::AddFood(top->GetFood());
        UserProfile::AddSupplies(top->GetSupplies());
    }

    Quiet quiet;

    TownGrowth PlayTheGame(unsigned seed)
    {
        TownGrowth growth;
        UserProfile::ResetProgress();
        std::printf("seed %u\nlevel  earned gold food supplies  held gold food supplies  built\n", seed);
        for (int level = 1; level <= kLevels; ++level) {
            bool retried = false;
            const int chains = PlayLevelWithRetry(seed * 1000 + unsigned(level), retried);
            EXPECT_GE(chains, 0) << "level " << level << " lost twice from seed " << seed;
            const TopPanel* top = TopPanel::Instance();
            std::printf("%5d  %11d %4d %8d", level, top->GetGold(), top->GetFood(), top->GetSupplies());
            Bank();
            UserProfile::AdvanceLevel();
            BuyEverythingAffordable();
            for (int group = 0; group < kGroups; ++group) {
                if (growth.groupDoneAfter[std::size_t(group)] == 0 && GroupBuilt(group)) {
                    growth.groupDoneAfter[std::size_t(group)] = level;
                }
            }
            growth.builtAfter[std::size_t(level)] = BuiltCount();
            std::printf("  %9d %4d %8d  %5d\n", UserProfile::GetGold(), UserProfile::GetFood(),
                        UserProfile::GetSupplies(), growth.builtAfter[std::size_t(level)]);
        }
        std::printf("groups complete after levels");
        for (int doneAfter : growth.groupDoneAfter) {
            std::printf(" %d", doneAfter);
        }
        std::printf("\n");
        return growth;
    }
};

// The town is meant to grow by about one building every two levels and to be finished with the last
// levels: each group of five complete near the tenth level of its own, and all thirty by level 60 but
// not long before, so that buying stays a reason to play on.
TEST_F(TownEconomyTest, TheBotsEarningsFinishTheTownWithTheLastLevels)
{
    constexpr int kSlack = 6;
    constexpr int kEarliestFinish = kLevels - 2 * kSlack;
    for (unsigned seed : kSeeds) {
        const TownGrowth growth = PlayTheGame(seed);
        for (int group = 0; group < kGroups; ++group) {
            const int due = (group + 1) * 2 * kGroupSize;
            const int doneAfter = growth.groupDoneAfter[std::size_t(group)];
            EXPECT_GT(doneAfter, 0) << "group " << group << " never finished from seed " << seed;
            EXPECT_LE(doneAfter, std::min(due + kSlack, kLevels)) << "group " << group << ", seed " << seed;
            EXPECT_GE(doneAfter, due - 2 * kSlack) << "group " << group << ", seed " << seed;
        }
        EXPECT_GE(growth.groupDoneAfter[kGroups - 1], kEarliestFinish) << "the town was finished early, seed " << seed;
        for (int level = 1; level <= kLevels; ++level) {
            const int built = growth.builtAfter[std::size_t(level)];
            EXPECT_NEAR(built, std::min(level / 2, BuildingsFactory::kBuildings), kSlack)
                << "after level " << level << ", seed " << seed;
        }
    }
}

} // namespace
