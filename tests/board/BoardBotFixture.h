// A player bot: it plays the live board through the mouse, always drawing the longest chain it finds
// among the idle bricks (locked cells counting extra, since they fill the progress bar), until the bar is
// full. When it finds none it uses a charged bonus tool; without one a board that has run out of moves is
// lost, and the game would play it again with at most four kinds. Its pace is one of two: the fast bot
// never hesitates, drawing a chain every 50 ms and looking as far as ten bricks, so that its chains come
// close enough together to be paid as combos; the human-paced bot waits for the board to settle and
// draws a chain every second or two, and sees chains of at most five bricks, as a person scanning the
// board does.
#pragma once

#include "LiveBoardFixture.h"
#include "bricks/BoardTypes.h"

#include <functional>
#include <vector>

enum class BotPace
{
    Fast,
    Human
};

class BoardBotFixture : public LiveBoardFixture
{
protected:
    // The pace of the levels played from now on (fast at first).
    void SetPace(BotPace to) { pace = to; }

    // The chains the level took, or -1 when it was lost.
    int PlayLevel();
    // Plays the profile's level from the seed as the game starts it, and once more as a retry when it is
    // lost; the chains the winning play took, or -1, and whether it needed the retry.
    int PlayLevelWithRetry(unsigned seed, bool& retried);

private:
    // Whether the brick at (x, y) may follow the chain, by the board's link rule.
    bool Links(const std::vector<FieldPosition>& chain, int x, int y) const;
    bool Usable(int x, int y, const std::vector<FieldPosition>& chain) const;
    int Worth(const std::vector<FieldPosition>& chain) const;
    void Search(std::vector<FieldPosition>& chain, std::vector<FieldPosition>& best, int& budget) const;
    std::vector<FieldPosition> BestChain() const;
    void Drag(const std::vector<FieldPosition>& chain);
    // Updates until no tool's strike or swap is under way and no brick moves.
    void Settle();
    // The lightning or the mixer at once, else the bomb, the hammer or the destroy tool on the first idle
    // brick; false when no tool is charged.
    bool UseTool();
    // Before the next chain: a few updates for the fast bot; the human-paced one lets the board settle
    // and draws its next chain one to two seconds after the last, a different while after each chain.
    void Pause(int chains);
    int LongestChain() const;
    // Whether a tool's strike or swap is under way or a brick moves.
    bool Busy() const;
    // Updates one at a time while the condition holds, at most that many; how many ran.
    int UpdateWhile(int most, const std::function<bool()>& going);

    BotPace pace = BotPace::Fast;
};
