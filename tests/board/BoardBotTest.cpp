// A player that never hesitates: it plays every level through the mouse, always drawing the longest chain
// it finds among the idle bricks (locked cells counting extra, since they fill the progress bar), until
// the bar is full. It has no bonus tools, so a board can run out of moves: the level is then played
// again as the game replays a failed level (with at most four kinds). Every level must be won from three
// seeds, at the latest on that retry; the chains each took are printed, a retry marked with '*'.
#include "LiveBoardFixture.h"

#include "board/FieldLive.h"
#include "core/Random.h"
#include "board/Level.h"
#include "screens/TimerPanel.h"
#include "town/UserProfile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kLevels = 60;
constexpr unsigned kSeeds[] = {1, 2, 3};
// More than any level should need.
constexpr int kMaxChains = 400;
constexpr int kLongestTried = 10;
constexpr int kSearchBudget = 4000;

class BoardBotTest : public LiveBoardFixture
{
protected:
    // Whether the brick at (x, y) may follow the chain, by the board's link rule.
    bool Links(const std::vector<FieldPosition>& chain, int x, int y) const
    {
        const int type = field->GetBrickType(x, y);
        const int last = field->GetBrickType(chain.back().x, chain.back().y);
        if (type == kBrickEmpty) {
            return false;
        }
        if (type == last || type == kBrickLiveBonus || last == kBrickLiveBonus) {
            return true;
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const int before = field->GetBrickType(it->x, it->y);
            if (before == kBrickLiveBonus) {
                return false;
            }
            if (before == type) {
                return true;
            }
        }
        return false;
    }

    bool Usable(int x, int y, const std::vector<FieldPosition>& chain) const
    {
        if (!field->HasBrick(x, y) || field->IsSlotBusy(x, y)) {
            return false;
        }
        for (const FieldPosition& at : chain) {
            if (at.x == x && at.y == y) {
                return false;
            }
        }
        return true;
    }

    int Worth(const std::vector<FieldPosition>& chain) const
    {
        int worth = int(chain.size());
        for (const FieldPosition& at : chain) {
            worth += field->IsCellLocked(at.x, at.y) ? 6 : 0;
        }
        return worth;
    }

    void Search(std::vector<FieldPosition>& chain, std::vector<FieldPosition>& best, int& budget) const
    {
        if (--budget < 0) {
            return;
        }
        if (chain.size() >= 3 && Worth(chain) > Worth(best)) {
            best = chain;
        }
        if (int(chain.size()) >= kLongestTried) {
            return;
        }
        static constexpr int kSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& step : kSteps) {
            const int x = chain.back().x + step[0];
            const int y = chain.back().y + step[1];
            if (Usable(x, y, chain) && Links(chain, x, y)) {
                chain.emplace_back(x, y);
                Search(chain, best, budget);
                chain.pop_back();
            }
        }
    }

    std::vector<FieldPosition> BestChain() const
    {
        std::vector<FieldPosition> best;
        for (int i = 0; i < kFieldSlots; ++i) {
            const int x = i % kFieldWidth;
            const int y = i / kFieldWidth;
            std::vector<FieldPosition> chain;
            if (Usable(x, y, chain)) {
                chain.emplace_back(x, y);
                int budget = kSearchBudget;
                Search(chain, best, budget);
            }
        }
        return best;
    }

    void Drag(const std::vector<FieldPosition>& chain)
    {
        std::string script = "press " + std::to_string(chain[0].x) + ' ' + std::to_string(chain[0].y) + "\ndrag";
        for (const FieldPosition& at : chain) {
            script += ' ' + std::to_string(at.x) + ' ' + std::to_string(at.y);
        }
        script += "\nrelease " + std::to_string(chain.back().x) + ' ' + std::to_string(chain.back().y);
        Run(script);
    }

    // The chains the level took, or -1 when it was lost.
    int PlayLevel()
    {
        int chains = 0;
        while (TimerPanel::Instance()->GetProgressFraction() < 1.0f) {
            if (field->failed || field->hidden || chains >= kMaxChains) {
                return -1;
            }
            const std::vector<FieldPosition> chain = BestChain();
            if (chain.empty()) {
                Run("update 10");
                continue;
            }
            Drag(chain);
            ++chains;
            Run("update 5");
        }
        return chains;
    }
};

TEST_F(BoardBotTest, WinsEveryLevelFromThreeSeeds)
{
    std::printf("level  chains (seeds 1, 2, 3)\n");
    std::vector<std::vector<std::string>> table(kLevels);
    for (unsigned seed : kSeeds) {
        UserProfile::ResetProgress();
        for (int level = 1; level <= kLevels; ++level) {
            ASSERT_EQ(UserProfile::GetLevel(), level);
            SeedRandom(seed * 1000 + unsigned(level));
            field->StartLevel(false, false);
            ASSERT_FALSE(field->levelMissing);
            int chains = PlayLevel();
            std::string cell = std::to_string(chains);
            if (chains < 0) {
                field->StartLevel(false, true);
                chains = PlayLevel();
                cell = std::to_string(chains) + '*';
            }
            EXPECT_GE(chains, 0) << "level " << level << " lost twice from seed " << seed;
            table[std::size_t(level - 1)].push_back(cell);
            UserProfile::AdvanceLevel();
        }
    }
    for (int level = 1; level <= kLevels; ++level) {
        const std::vector<std::string>& row = table[std::size_t(level - 1)];
        std::printf("%5d  %5s %5s %5s\n", level, row[0].c_str(), row[1].c_str(), row[2].c_str());
    }
}

} // namespace
