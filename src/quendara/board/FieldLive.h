// The board the player plays: the one object of the whole board class tree. The game screen makes it,
// hands it the mouse and the keys, steps, ticks and draws it, and reads whether it is hidden and whether
// the level failed. It starts a level and shows or hides it, builds a chain from the mouse (by dragging,
// or by a click, moves without a button and a click on the chain's end), pays a released chain into
// the top panel and the people-bonus counters, counts combo series, may put a live bonus on the board
// after a chain, and fails the level when no move has been left for too long.
#pragma once

#include "board/FieldActions.h"
#include "core/Singleton.h"

#include <memory>

class baseCallback;

class FieldLive : public FieldActions, public Singleton<FieldLive>
{
public:
    // Fixed updates a combo series waits for its next chain.
    static constexpr int kComboWindow = 125;
    // Fixed updates without a move before the level fails; without a charged tool the countdown skips
    // ahead to the last second.
    static constexpr int kNoMoveFail = 3500;
    static constexpr int kNoMoveLastSecond = 3400;
    static constexpr int kNoMoveWarningEvery = 50;

    // Starts the profile's level, shown.
    FieldLive();
    ~FieldLive() override;

    // With retry after a failed level: a level failed twice in a row is passed over.
    void StartLevel(bool hide, bool retry);
    // Takes ownership of the callback. Hiding holds the board for the delay; the disappear itself starts
    // once the board is idle and both panels have left the screen, and the callback runs then. Showing
    // runs the appear after the delay and the callback at once.
    void SetHidden(bool hide, baseCallback* callback, float delay);
    // Drops the chain, the hint timer and the armed tool.
    void CancelInput();
    void CancelChain() override;
    void ClearTargetHighlights();
    // The share of the level's lock layers removed; 1 on a level without locks.
    float GetLockProgress() const;
    bool IsChainInProgress() const;

    void Draw(Tolm::Graphics& g) override;
    void Tick(float dt) override;
    void Update() override;
    void KeyDown(int key);
    void MouseMove(int x, int y);
    void MouseDown(int x, int y, int button);
    void MouseDrag(int x, int y);
    void MouseUp(int x, int y, int button);

    // Pays and explodes the chain when it holds three bricks or more; lockedCount is how many of them
    // stood on locked cells.
    bool ScoreChain(int& lockedCount);
    void ChargeBonus(int type, int points);
    // After every chain, and every update once the series' window has passed.
    void StepCombo();
    // Whether a live bonus was placed; the chance is drawn first.
    bool TrySpawnLiveBonus(float chance);
    // The live bonus's chance after a chain, by the number of groups left that can make a chain.
    static float LiveBonusChance(int groupCount);

    bool hidden = false;
    bool hidePending = false;
    std::unique_ptr<baseCallback> pendingCallback;
    bool failed = false;
    // The last level start found no level it could read: nothing is played.
    bool levelMissing = false;
    int noMoveCounter = 0;
    int tick = 0;
    int lastChainTick = 0;
    int comboCount = 0;
    int retryFlag = 0;
    // The last cell a drag handled, -1 when none.
    int lastX = -1;
    int lastY = -1;
    bool clickMode = false;

private:
    // The cell under a pixel; false off the board.
    bool CellAt(int px, int py, int& cx, int& cy) const;
    void StepNoMoveCountdown();
    void RunPendingCallback();
    // The resources of a chain's long-chain extra, by the chain's kind.
    void PayExtra(int kind, int extra);
    void PayBrick(int x, int y, int& sum, int& lockedCount);
    void RewardCombo();
    void PlayExplodeSounds(int kind, int lockedCount);
    // The sound of a chain that has grown to its length.
    static void PlayGrowSound(int length);
};
