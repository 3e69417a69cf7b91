// The bot plays every level: every level must be won from three seeds, at the latest on the retry; the
// chains each took are printed, a retry marked with '*'.
#include "BoardBotFixture.h"
#include "board/FieldLive.h"
#include "profile/UserProfile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kLevels = 60;
constexpr unsigned kSeeds[] = {1, 2, 3};

using BoardBotTest = BoardBotFixture;

TEST_F(BoardBotTest, WinsEveryLevelFromThreeSeeds)
{
    std::printf("level  chains (seeds 1, 2, 3)\n");
    std::vector<std::vector<std::string>> table(kLevels);
    for (unsigned seed : kSeeds) {
        UserProfile::ResetProgress();
        for (int level = 1; level <= kLevels; ++level) {
            ASSERT_EQ(UserProfile::GetLevel(), level);
            bool retried = false;
            const int chains = PlayLevelWithRetry(seed * 1000 + unsigned(level), retried);
            ASSERT_FALSE(field->levelMissing);
            const std::string cell = std::to_string(chains) + (retried ? "*" : "");
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
