#include "BoardBotFixture.h"

#include "board/BonusButtonBase.h"
#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "core/Random.h"
#include "hud/TimerPanel.h"

#include <functional>
#include <string>

namespace {

// More than any level should need.
constexpr int kMaxChains = 400;
constexpr int kLongestFast = 10;
constexpr int kLongestHuman = 5;
// Updates between chains: the fast bot's, and the least and the spread of the human-paced bot's.
constexpr int kFastPause = 5;
constexpr int kHumanThinking = 100;
constexpr int kHumanThinkingSpread = 100;
constexpr int kSearchBudget = 4000;
constexpr int kLockedWorth = 6;
constexpr int kMaxSettleUpdates = 1000;
// The bonus panel's buttons.
constexpr int kHamerButton = 0;
constexpr int kBombButton = 1;
constexpr int kLightningButton = 2;
constexpr int kMixerButton = 3;
constexpr int kDestroyButton = 4;

} // namespace

bool BoardBotFixture::Links(const std::vector<FieldPosition>& chain, int x, int y) const
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

bool BoardBotFixture::Usable(int x, int y, const std::vector<FieldPosition>& chain) const
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

int BoardBotFixture::Worth(const std::vector<FieldPosition>& chain) const
{
    int worth = int(chain.size());
    for (const FieldPosition& at : chain) {
        worth += field->IsCellLocked(at.x, at.y) ? kLockedWorth : 0;
    }
    return worth;
}

void BoardBotFixture::Search(std::vector<FieldPosition>& chain, std::vector<FieldPosition>& best, int& budget) const
{
    if (--budget < 0) {
        return;
    }
    if (chain.size() >= 3 && Worth(chain) > Worth(best)) {
        best = chain;
    }
    if (int(chain.size()) >= LongestChain()) {
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

std::vector<FieldPosition> BoardBotFixture::BestChain() const
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

void BoardBotFixture::Drag(const std::vector<FieldPosition>& chain)
{
    std::string script = "press " + std::to_string(chain[0].x) + ' ' + std::to_string(chain[0].y) + "\ndrag";
    for (const FieldPosition& at : chain) {
        script += ' ' + std::to_string(at.x) + ' ' + std::to_string(at.y);
    }
    script += "\nrelease " + std::to_string(chain.back().x) + ' ' + std::to_string(chain.back().y);
    Run(script);
}

bool BoardBotFixture::UseTool()
{
    constexpr int kToolsInTurn[] = {kLightningButton, kMixerButton, kBombButton, kHamerButton, kDestroyButton};
    BonusPanel* panel = BonusPanel::Instance();
    for (int id : kToolsInTurn) {
        if (panel->GetButton(id)->GetCharge() < 1) {
            continue;
        }
        panel->ButtonPressed(id);
        for (int i = 0; panel->armed == id && i < kFieldSlots; ++i) {
            const int x = i % kFieldWidth;
            const int y = i / kFieldWidth;
            if (field->GetBrickType(x, y) != kBrickEmpty && !field->IsSlotBusy(x, y)) {
                const std::string cell = std::to_string(x) + ' ' + std::to_string(y);
                Run("move " + cell + "\npress " + cell + "\nrelease " + cell);
            }
        }
        return true;
    }
    return false;
}

int BoardBotFixture::PlayLevel()
{
    int chains = 0;
    while (TimerPanel::Instance()->GetProgressFraction() < 1.0f) {
        if (field->failed || field->hidden || chains >= kMaxChains) {
            return -1;
        }
        const std::vector<FieldPosition> chain = BestChain();
        if (chain.empty()) {
            UseTool();
            Run("update 10");
            continue;
        }
        Drag(chain);
        ++chains;
        Pause(chains);
    }
    return chains;
}

int BoardBotFixture::LongestChain() const
{
    return pace == BotPace::Fast ? kLongestFast : kLongestHuman;
}

void BoardBotFixture::Pause(int chains)
{
    if (pace == BotPace::Fast) {
        Run("update " + std::to_string(kFastPause));
        return;
    }
    // A spread that does not repeat from chain to chain, without drawing from the game's generator.
    const int thinking = kHumanThinking + chains * 37 % kHumanThinkingSpread;
    // Waiting stops with a full bar, before the game screen closes the level and moves on.
    auto waiting = [] { return TimerPanel::Instance()->GetProgressFraction() < 1.0f; };
    const int settling = UpdateWhile(kMaxSettleUpdates, [&] { return waiting() && Busy(); });
    UpdateWhile(thinking - settling, waiting);
}

bool BoardBotFixture::Busy() const
{
    return !field->busy.IsEmpty() || field->IsBusy();
}

int BoardBotFixture::UpdateWhile(int most, const std::function<bool()>& going)
{
    int updates = 0;
    for (; updates < most && going(); ++updates) {
        Run("update 1");
    }
    return updates;
}

// The game starts a level only once the board is idle (it hides first): a tool's strikes and swaps land
// before the bricks they hold are replaced.
void BoardBotFixture::Settle()
{
    UpdateWhile(kMaxSettleUpdates, [this] { return Busy(); });
}

int BoardBotFixture::PlayLevelWithRetry(unsigned seed, bool& retried)
{
    Settle();
    SeedRandom(seed);
    field->StartLevel(false, false);
    retried = false;
    if (field->levelMissing) {
        return -1;
    }
    const int chains = PlayLevel();
    if (chains >= 0) {
        return chains;
    }
    retried = true;
    // The game screen replays a failed level itself, once the board has disappeared.
    UpdateWhile(kMaxSettleUpdates, [this] { return field->hidden || field->failed; });
    return PlayLevel();
}
