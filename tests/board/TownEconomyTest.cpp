// The town's prices against what a player earns: a bot plays the sixty levels in order with the game's
// own town file, banks each won level's gold, food and supplies as the game screen does, and then buys
// buildings as a player in the upgrade screen would: the first building of the offered group it can pay
// for, again and again until none is left that it can. The levels it plays see the bricks the bought
// buildings unlock. The prices are set for the human-paced bot; the fast bot, whose combos pay extra,
// shows how far a quick player gets ahead. Each bot plays from three seeds, each play a test of its
// own; a level-by-level table is printed for each, and a summary once the suite is done: the level after
// which each group was complete and the share of each resource earned but never spent.
#include "BoardBotFixture.h"
#include "board/FieldLive.h"
#include "hud/TopPanel.h"
#include "platform/DebugOutput.h"
#include "profile/UserProfile.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kLevels = 60;
constexpr int kGroups = 6;
constexpr int kGroupSize = 5;

constexpr int kResources = 3;

// What one seed's play came to: the level after which each group was complete (0: never), the buildings
// standing after each level, and gold, food and supplies earned in all and held at the end.
struct TownGrowth
{
    std::array<int, kGroups> groupDoneAfter{};
    std::array<int, kLevels + 1> builtAfter{};
    std::array<int, kResources> earned{};
    std::array<int, kResources> held{};
};

// One play of the sixty levels: the bot's pace and the seed.
struct EconomyRun
{
    BotPace pace;
    unsigned seed;
};

class TownEconomyTest : public BoardBotFixture, public testing::WithParamInterface<EconomyRun>
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

    TownGrowth PlayTheGame(BotPace pace, unsigned seed)
    {
        TownGrowth growth;
        SetPace(pace);
        UserProfile::ResetProgress();
        std::printf("%s bot, seed %u\nlevel  earned gold food supplies  held gold food supplies  built\n",
                    PaceName(pace), seed);
        for (int level = 1; level <= kLevels; ++level) {
            bool retried = false;
            const int chains = PlayLevelWithRetry(seed * 1000 + unsigned(level), retried);
            const TopPanel* top = TopPanel::Instance();
            if (chains < 0) {
                // A level lost twice is passed by, as the game does, and pays nothing.
                std::printf("%5d  %11s %4s %8s", level, "lost", "-", "-");
            } else {
                std::printf("%5d  %11d %4d %8d", level, top->GetGold(), top->GetFood(), top->GetSupplies());
                growth.earned[0] += top->GetGold();
                growth.earned[1] += top->GetFood();
                growth.earned[2] += top->GetSupplies();
                Bank();
            }
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
        growth.held = {UserProfile::GetGold(), UserProfile::GetFood(), UserProfile::GetSupplies()};
        SetPace(BotPace::Fast);
        return growth;
    }

    static const char* PaceName(BotPace pace) { return pace == BotPace::Fast ? "fast" : "human-paced"; }

    // The summary of every play in this run of the suite, printed once the suite is done: the bot, the
    // seed, the level after which each group was complete ('-' for never) and the percentage of each
    // resource earned but left unspent.
    static void AddSummaryLine(BotPace pace, unsigned seed, const TownGrowth& growth)
    {
        std::string line(PaceName(pace));
        line.resize(12, ' ');
        char text[32];
        std::snprintf(text, sizeof text, "%4u ", seed);
        line += text;
        for (int doneAfter : growth.groupDoneAfter) {
            std::snprintf(text, sizeof text, doneAfter > 0 ? " %3d" : "   -", doneAfter);
            line += text;
        }
        line += "  ";
        for (int resource = 0; resource < kResources; ++resource) {
            const int earned = growth.earned[std::size_t(resource)];
            const int held = growth.held[std::size_t(resource)];
            std::snprintf(text, sizeof text, " %7.0f%%", earned > 0 ? 100.0 * held / earned : 0.0);
            line += text;
        }
        Summary().push_back(line);
    }

    static std::vector<std::string>& Summary()
    {
        static std::vector<std::string> lines;
        return lines;
    }

    static void TearDownTestSuite()
    {
        std::printf("the level after which each group was complete, and the share of each resource left unspent\n");
        std::printf("%-11s %4s  %-23s  %9s%9s%9s\n", "bot", "seed", "groups complete", "gold", "food", "supplies");
        for (const std::string& line : Summary()) {
            std::printf("%s\n", line.c_str());
        }
        Summary().clear();
    }
};

constexpr int kHumanEarliestFinish = 50;
constexpr int kHumanLatestFinish = 58;
constexpr int kFastEarliestFinish = 45;
constexpr int kSlack = 6;
constexpr int kGroupLevels = 9;

// The town is priced for a player who waits for the board to settle and finds chains of a few bricks: the
// first building is theirs after the first level, the town grows by about one building every two levels,
// each group of five complete near the ninth level of its own, and the whole town is affordable between
// levels 50 and 58, so that buying stays a reason to play on. A fast player, whose combos pay extra, gets
// ahead of the prices but still not to the whole town before level 45.
TEST_P(TownEconomyTest, TheTownGrowsAsPricedForThePlayersPace)
{
    const EconomyRun run = GetParam();
    const TownGrowth growth = PlayTheGame(run.pace, run.seed);
    AddSummaryLine(run.pace, run.seed, growth);
    const int finished = growth.groupDoneAfter[kGroups - 1];
    if (run.pace == BotPace::Fast) {
        EXPECT_TRUE(finished == 0 || finished >= kFastEarliestFinish) << "completed after level " << finished;
        return;
    }
    EXPECT_GE(growth.builtAfter[1], 1) << "no building bought after level 1";
    EXPECT_GE(finished, kHumanEarliestFinish);
    EXPECT_LE(finished, kHumanLatestFinish);
    for (int group = 0; group < kGroups; ++group) {
        const int due = (group + 1) * kGroupLevels;
        const int doneAfter = growth.groupDoneAfter[std::size_t(group)];
        EXPECT_GT(doneAfter, 0) << "group " << group << " never finished";
        EXPECT_LE(doneAfter, due + kSlack) << "group " << group;
        EXPECT_GE(doneAfter, due - kSlack) << "group " << group;
    }
    for (int level = 1; level <= kLevels; ++level) {
        const int built = growth.builtAfter[std::size_t(level)];
        EXPECT_NEAR(built, std::min(level * kGroupSize / kGroupLevels, BuildingsFactory::kBuildings), kSlack)
            << "after level " << level;
    }
}

// Each play is a test of its own, so that each stays short under the sanitizers.
INSTANTIATE_TEST_SUITE_P(BothBotsFromThreeSeeds, TownEconomyTest,
                         testing::Values(EconomyRun{BotPace::Human, 1}, EconomyRun{BotPace::Human, 2},
                                         EconomyRun{BotPace::Human, 3}, EconomyRun{BotPace::Fast, 1},
                                         EconomyRun{BotPace::Fast, 2}, EconomyRun{BotPace::Fast, 3}),
                         [](const testing::TestParamInfo<EconomyRun>& play) {
                             return std::string(play.param.pace == BotPace::Fast ? "Fast" : "HumanPaced") + "Seed" +
                                    std::to_string(play.param.seed);
                         });

} // namespace
