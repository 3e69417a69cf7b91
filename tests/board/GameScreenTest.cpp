// The game screen around the real board: what it keeps when it is left, the one-time help and the hint
// schedule, the level's life through pause, completion and failure as the windows answer, the town pushed
// over it, and the guards that keep windows, fades and the board's own update apart.
#include "GameScreenFixture.h"

#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "board/Level.h"
#include "core/Random.h"
#include "gamewidgets/GameFieldButton.h"
#include "hud/TimerPanel.h"
#include "hud/TopPanel.h"
#include "profile/UserProfile.h"
#include "screens/GameScreen.h"
#include "widgets/WidgetManager.h"
#include "windows/DelayWidget.h"
#include "windows/FieldHints.h"
#include "windows/HelpWindow.h"
#include "windows/HintWindow.h"
#include "windows/LevelCompleteWindow.h"
#include "windows/PauseWindow.h"
#include "windows/PeopleBonusWindow.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kKeyEscape = 27;
constexpr int kKeyEnter = 13;
constexpr int kKeyF1 = 112;
constexpr int kKeyKeypadPlus = 107;

// Board origin and cell size of the live board.
constexpr int kOriginX = 112;
constexpr int kOriginY = 70;
constexpr int kCell = 36;

// Two locked cells side by side: no chain of three can ever be made.
const std::vector<std::string> kNoMoves = {"0000000000000000", "0000000330000000"};

void ClearHintBit(int kind)
{
    if (kind < 32) {
        UserProfile::SetHintMaskLow(UserProfile::GetHintMaskLow() & ~(1u << kind));
    } else {
        UserProfile::SetHintMaskHigh(UserProfile::GetHintMaskHigh() & ~(1u << (kind - 32)));
    }
}

// A full board of one brick kind, every cell under one lock.
std::string FullBoard(char brick)
{
    std::string rows;
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            rows += brick;
            rows += '1';
        }
        rows += '\n';
    }
    return rows;
}

} // namespace

class GameScreenTest : public GameScreenFixture
{
protected:
    void FillBar()
    {
        TimerPanel* timer = TimerPanel::Instance();
        timer->AddProgress(timer->goal);
        timer->SyncDisplay();
    }
    bool BoardGone() const { return FieldLive::RegisteredInstance() == nullptr; }
    bool InManager() const { return screen->manager != nullptr; }
    // The level-complete window skips its counting at the first Enter and closes at the second.
    void AnswerTally()
    {
        if (IsOpen<LevelCompleteWindow>()) {
            LevelCompleteWindow::Instance()->KeyDown(kKeyEnter);
        }
    }
};

// Left with nothing earned, the profile keeps the board it had; the counters and the tools' charges are
// kept whatever was earned. The score alone does not count as a start.
TEST_F(GameScreenTest, LeavingKeepsTheBoardOnlyOnceTheLevelHasEarnedSomething)
{
    struct Case
    {
        int gold, food, supplies, score;
        float progress;
        bool savedBefore, savedAfter;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0.0f, false, false}, {0, 0, 0, 40, 0.0f, false, false}, {0, 0, 0, 0, 0.0f, true, true},
        {3, 0, 0, 0, 0.0f, false, true},  {0, 2, 0, 0, 0.0f, false, true},   {0, 0, 5, 0, 0.0f, false, true},
        {0, 0, 0, 0, 0.25f, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gold << ' ' << c.food << ' ' << c.supplies << ' ' << c.score << ' '
                                        << c.progress << ' ' << c.savedBefore);
        UserProfile::ClearSavedLevel();
        UserProfile::SetSavedCounters(0, 0, 0, 0, 0);
        if (!InManager()) {
            app.widgetManager->AddWidget(screen);
            screen->OnEnter();
            app.Frame();
        }
        field = FieldLive::Instance();
        if (c.savedBefore) {
            UserProfile::SaveLevel(*field);
        }
        TopPanel* top = TopPanel::Instance();
        top->ResetCounters();
        top->AddGold(c.gold);
        top->AddFood(c.food);
        top->AddSupplies(c.supplies);
        top->AddScore(c.score);
        TimerPanel::Instance()->Reset();
        TimerPanel::Instance()->SetGoal(4);
        TimerPanel::Instance()->AddProgress(4 * c.progress);
        BonusPanel::Instance()->SetCharges(1.5f, 0, 2, 0.25f, 3);

        screen->OnLeave();

        EXPECT_TRUE(BoardGone());
        EXPECT_FALSE(InManager());
        EXPECT_EQ(UserProfile::HasSavedLevel(), c.savedAfter);
        int gold = -1, food = -1, supplies = -1, score = -1;
        float progress = -1;
        UserProfile::GetSavedCounters(&gold, &food, &supplies, &score, &progress);
        EXPECT_EQ(std::vector<int>({gold, food, supplies, score}),
                  std::vector<int>({c.gold, c.food, c.supplies, c.score}));
        EXPECT_FLOAT_EQ(progress, c.progress);
        float charges[5];
        UserProfile::GetSavedBonusCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
        EXPECT_EQ(std::vector<float>(charges, charges + 5), std::vector<float>({1.5f, 0, 2, 0.25f, 3}));
    }
    app.widgetManager->AddWidget(screen);
}

// The rules open once per profile, 1.5 s into the first level, and only in that one update.
TEST_F(GameScreenTest, TheFirstLevelOpensTheRulesAtUpdate150Only)
{
    enum class Hold { Nothing, Drag, RecentHint, AlreadySeen };
    struct Case
    {
        Hold hold;
        std::vector<int> opened;
    };
    const Case cases[] = {{Hold::Nothing, {150}}, {Hold::Drag, {}}, {Hold::RecentHint, {}}, {Hold::AlreadySeen, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.hold));
        Lay("a a a a a a\nb b b b b b\n");
        ClearHintBit(kHintHelpWindow);
        if (c.hold == Hold::AlreadySeen) {
            SetHintShownBit(kHintHelpWindow);
        }
        FieldHints::Instance()->lastShown = c.hold == Hold::RecentHint ? app.updateCount : -FieldHints::kGap;
        if (c.hold == Hold::Drag) {
            Run("press 0 0\ndrag 0 0 1 0");
            ASSERT_TRUE(field->IsChainInProgress());
        }
        screen->updateCount = 0;
        std::vector<int> opened;
        script = [&] {
            if (IsOpen<HelpWindow>()) {
                // Seen first in the first update of its wait, one after the update that opened it.
                opened.push_back(screen->updateCount - 1);
                HelpWindow::Instance()->KeyDown(kKeyEscape);
            }
        };
        Run("update 300");
        script = nullptr;
        if (c.hold == Hold::Drag) {
            Run("release 1 0");
        }
        EXPECT_EQ(std::unique(opened.begin(), opened.end()) - opened.begin(), std::ptrdiff_t(c.opened.size()));
        if (!c.opened.empty() && !opened.empty()) {
            EXPECT_EQ(opened.front(), c.opened.front());
        }
        EXPECT_EQ(IsHintShown(kHintHelpWindow), c.hold != Hold::Drag && c.hold != Hold::RecentHint);
    }
}

// On the fourth level, with the first building built: the bonus brick hint looks at update 501 and finds
// no hammer, the gold brick is found at 701 at the cell of the first random probe, the town button waits
// out the gap, and the menu button and the locked cell come together once U > 3000 and the gap allow.
TEST_F(GameScreenTest, HintsComeInTheScheduleOrderAtLeastTheGapApart)
{
    GoToLevel(4);
    UserProfile::SetBuildingBuilt(0);
    field->StartLevel(false, false);
    Lay(FullBoard('e'));
    Level* level = Level::Instance();
    level->allowed.reset();
    level->allowed.set(5);
    level->allowed.set(27);
    for (int kind : {0, 1, 2, 5, 10}) {
        ClearHintBit(kind);
    }
    FieldHints::Instance()->lastShown = -FieldHints::kGap;
    constexpr unsigned kProbeSeed = 4711;
    struct Shown
    {
        int kind, update, x, y;
    };
    std::vector<Shown> shown;
    screen->updateCount = 0;
    script = [&] {
        if (screen->updateCount == 700) {
            SeedRandom(kProbeSeed);
        }
        HintWindow* hint = OpenHint();
        if (hint && hint->pendingResult == Tolm::Dialog::kNoResult) {
            // A bubble is first seen in the first update of its wait, one after the update that opened it.
            if (shown.empty() || shown.back().kind != HintKind(*hint)) {
                shown.push_back({HintKind(*hint), screen->updateCount - 1, hint->targetX, hint->targetY});
            }
            hint->KeyDown(kKeyEnter);
        }
    };
    RunUntil([&] { return shown.size() >= 4 || screen->updateCount > 5000; }, 6000);
    script = nullptr;
    RunUntil([] { return OpenHint() == nullptr; }, 200);

    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ((std::vector<int>{shown[0].kind, shown[1].kind, shown[2].kind, shown[3].kind}),
              (std::vector<int>{10, 1, 0, 2}));
    EXPECT_EQ(shown[0].update, 701);
    EXPECT_EQ(shown[1].update, 701 + FieldHints::kGap);
    EXPECT_EQ(shown[2].update, 701 + 2 * FieldHints::kGap);
    EXPECT_LT(shown[3].update - shown[2].update, 40) << "the locked cell opens as soon as the menu hint closes";
    // After the seed, the progress bar's particle line draws its two in the frame step of update 700; the
    // probes of update 701 are eleven pairs for the missing hammer, then the gold brick's first pair.
    ReferenceRandom reference(kProbeSeed);
    for (int draw = 0; draw < 2 + 22; ++draw) {
        reference.Step();
    }
    const int x = reference.Range(0, kFieldWidth - 1);
    const int y = reference.Range(0, kFieldHeight - 1);
    EXPECT_EQ(shown[0].x, kOriginX + x * kCell + 18);
    EXPECT_EQ(shown[0].y, kOriginY + y * kCell + 18);
    EXPECT_EQ((std::vector<int>{shown[1].x, shown[1].y, shown[2].x, shown[2].y}), (std::vector<int>{760, 400, 748, 286}));
    EXPECT_EQ((shown[3].x - kOriginX - 18) % kCell, 0);
    EXPECT_EQ((shown[3].y - kOriginY - 18) % kCell, 0);
}

// Every building stands: the tally is shown, the profile is paid and the next level starts on this screen.
TEST_F(GameScreenTest, WithTheTownCompleteTheNextLevelFollowsTheTally)
{
    for (int id = 0; id < 30; ++id) {
        UserProfile::SetBuildingBuilt(id);
    }
    const int gold = UserProfile::GetGold();
    const int food = UserProfile::GetFood();
    const int supplies = UserProfile::GetSupplies();
    const int score = UserProfile::GetScore();
    TopPanel::Instance()->AddGold(7);
    TopPanel::Instance()->AddFood(5);
    TopPanel::Instance()->AddSupplies(3);
    TopPanel::Instance()->AddScore(30);
    FillBar();
    TakeSounds();
    int tallies = 0;
    script = [&] {
        tallies += IsOpen<LevelCompleteWindow>() ? 1 : 0;
        AnswerTally();
    };
    ASSERT_TRUE(RunUntil([&] { return UserProfile::GetLevel() == 2; }, 3000));
    script = nullptr;
    EXPECT_GT(tallies, 0);
    EXPECT_EQ(UserProfile::GetGold(), gold + 7);
    EXPECT_EQ(UserProfile::GetFood(), food + 5);
    EXPECT_EQ(UserProfile::GetSupplies(), supplies + 3);
    EXPECT_EQ(UserProfile::GetScore(), score + 30);
    EXPECT_FALSE(FieldLive::Instance()->hidden);
    EXPECT_FALSE(screen->leaving);
    EXPECT_TRUE(notes.empty());
    EXPECT_LT(screen->updateCount, 5);
    EXPECT_FALSE(screen->menuButton->disabled);
    const std::vector<std::string> played = TakeSounds();
    EXPECT_NE(std::find(played.begin(), played.end(), "SOUND_LEVEL_COMPLETE"), played.end());
}

// The town is not finished: after the tally the screen fades out to the town upgrade screen and the board
// goes with it.
TEST_F(GameScreenTest, WithTheTownUnfinishedTheTallyLeadsToTheTownUpgrade)
{
    FillBar();
    script = [&] { AnswerTally(); };
    ASSERT_TRUE(RunUntil([&] { return !notes.empty(); }, 3000));
    script = nullptr;
    EXPECT_EQ(notes, (std::vector<std::string>{"TownUpgradeScreen enter"}));
    EXPECT_EQ(UserProfile::GetLevel(), 2);
    EXPECT_TRUE(BoardGone());
    EXPECT_FALSE(InManager());
    EXPECT_FALSE(UserProfile::HasSavedLevel());
}

// The raw progress is full at once, but the level ends only when the bar shown has risen to the top: a
// full rise takes 300 updates whatever the goal.
TEST_F(GameScreenTest, ALevelEndsWhenTheBarShownIsFull)
{
    FillBar();
    int updates = 0;
    bool fullBefore = false;
    while (!field->hidden && updates < 400) {
        fullBefore = TimerPanel::Instance()->GetDisplayedFraction() >= 1.0f;
        app.Frame();
        ++updates;
    }
    EXPECT_TRUE(field->hidden);
    EXPECT_TRUE(fullBefore) << "ended in update " << updates << " with the bar shown not yet full";
    EXPECT_NEAR(updates, 300, 2);
}

// What the screen waits for at the end of a level, in updates: the board holds 3 s after a full bar and
// 1.5 s after a failure (at once for the pause) before it disappears; then each wait of n updates lets the
// game run n + 1 updates. The pause waits 100 before its window and 50 before the board comes back; the
// tally waits 120 and, with the town unfinished, 50 more before the screen leaves for the town; a failure
// waits 200 before the level starts again. The level's completion comes last: the screen leaves then.
TEST_F(GameScreenTest, TheEndsOfALevelHoldTheBoardAndWaitTheirTimes)
{
    enum class End { Pause, Complete, Failure };
    const struct
    {
        End end;
        const char* name;
        int hold;
        std::vector<int> waits;
    } cases[] = {
        {End::Pause, "pause", -1, {101, 51}},
        {End::Failure, "failure", 150, {201}},
        {End::Complete, "complete", 300, {121, 51}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(RunUntil([&] { return !field->IsBusy(); }, 300));
        FieldHints::Instance()->lastShown = app.updateCount;
        int hiddenAt = -1;
        int goneAt = -1;
        std::vector<int> waits;
        bool waiting = false;
        bool over = false;
        script = [&] {
            const FieldLive* board = FieldLive::RegisteredInstance();
            if (board && board->hidden && hiddenAt < 0) {
                hiddenAt = app.updateCount;
            }
            if (board && board->hidden && !board->hidePending && goneAt < 0) {
                goneAt = app.updateCount;
            }
            const auto& modals = app.widgetManager->modalStack;
            const bool delay = std::any_of(modals.begin(), modals.end(), [](const auto& level) {
                return dynamic_cast<DelayWidget*>(level.widget) != nullptr;
            });
            if (delay && !waiting) {
                waits.push_back(0);
            }
            if (delay) {
                ++waits.back();
            }
            waiting = delay;
            if (IsOpen<PauseWindow>()) {
                PauseWindow::Instance()->ButtonClicked(0);
            }
            AnswerTally();
            over = over || !notes.empty() || (hiddenAt >= 0 && board && !board->hidden);
        };
        switch (c.end) {
        case End::Pause:
            screen->KeyDown(kKeyEscape);
            break;
        case End::Complete:
            TimerPanel::Instance()->SetProgressFraction(1.0f);
            break;
        case End::Failure:
            field->failed = true;
            break;
        }
        ASSERT_TRUE(RunUntil([&] { return over; }, 2000));
        script = nullptr;
        if (c.hold >= 0) {
            EXPECT_NEAR(goneAt - hiddenAt, c.hold, 3);
        }
        EXPECT_EQ(waits, c.waits);
    }
}

// A level without moves fails, is replayed, fails again and is passed over.
TEST_F(GameScreenTest, ASecondFailureInARowMovesOnToTheNextLevel)
{
    WriteLevel(101, kNoMoves);
    WriteLevel(102, kNoMoves);
    GoToLevel(101);
    field->StartLevel(false, false);
    TakeSounds();
    std::vector<int> shownLevels;
    bool wasHidden = false;
    script = [&] {
        FieldLive* board = FieldLive::RegisteredInstance();
        if (board && wasHidden && !board->hidden) {
            shownLevels.push_back(UserProfile::GetLevel());
        }
        wasHidden = board && board->hidden;
    };
    ASSERT_TRUE(RunUntil([&] { return shownLevels.size() >= 2; }, 3000));
    script = nullptr;
    EXPECT_EQ(shownLevels, (std::vector<int>{101, 102}));
    const std::vector<std::string> played = TakeSounds();
    EXPECT_EQ(std::count(played.begin(), played.end(), "SOUND_LEVEL_FAILED"), 2);
    EXPECT_TRUE(notes.empty());
}

// Esc hides the board and the panels, and the pause window follows once they are away and 101 updates
// more have passed. Continue brings everything back; the main menu fades out to the menu.
TEST_F(GameScreenTest, PauseWaitsForTheBoardThenContinuesOrLeavesForTheMenu)
{
    for (int answer : {0, 1}) {
        SCOPED_TRACE(answer);
        int pressed = app.updateCount;
        int hiddenAt = -1;
        int pauseAt = -1;
        script = [&] {
            if (hiddenAt < 0 && FieldLive::Instance()->hidden && !FieldLive::Instance()->hidePending) {
                hiddenAt = app.updateCount;
            }
            if (IsOpen<PauseWindow>()) {
                pauseAt = app.updateCount;
                PauseWindow::Instance()->ButtonClicked(answer);
            }
        };
        app.widgetManager->SetFocus(screen);
        app.widgetManager->KeyDown(kKeyEscape);
        EXPECT_TRUE(field->hidden);
        EXPECT_TRUE(screen->menuButton->disabled && screen->townButton->disabled);
        ASSERT_TRUE(RunUntil([&] { return pauseAt >= 0; }, 1000));
        EXPECT_GE(pauseAt - hiddenAt, 101);
        EXPECT_LT(pauseAt - pressed, 400);
        if (answer == 0) {
            ASSERT_TRUE(RunUntil([&] { return !field->hidden; }, 200));
            EXPECT_FALSE(screen->menuButton->disabled);
            EXPECT_TRUE(notes.empty());
        } else {
            ASSERT_TRUE(RunUntil([&] { return !notes.empty(); }, 200));
            EXPECT_EQ(notes, (std::vector<std::string>{"MenuScreen enter"}));
            EXPECT_TRUE(BoardGone());
        }
        script = nullptr;
    }
}

// The eye button shows the town over the paused game; popping the town brings the game back.
TEST_F(GameScreenTest, TheTownButtonPushesTheTownOverTheGame)
{
    ClearHintBit(1);
    states.stack.push_back(screen);
    screen->ButtonClicked(GameScreen::kTownButton);
    EXPECT_EQ(notes, (std::vector<std::string>{"TownScreen enter"}));
    EXPECT_FALSE(InManager());
    EXPECT_TRUE(IsHintShown(1));
    states.Pop();
    EXPECT_TRUE(InManager());
    EXPECT_EQ(app.widgetManager->focusWidget, screen);
    states.stack.clear();
}

// Debug keys only with "cheat_keys": Enter ends the level at once, the keypad's plus adds ten to the bar.
TEST_F(GameScreenTest, CheatKeysWorkOnlyWhenSwitchedOn)
{
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        app.SetBoolProperty("cheat_keys", on);
        TimerPanel::Instance()->Reset();
        TimerPanel::Instance()->SetGoal(40);
        screen->KeyDown(kKeyKeypadPlus);
        EXPECT_FLOAT_EQ(TimerPanel::Instance()->progress, on ? 10.0f : 0.0f);
        screen->KeyDown(kKeyEnter);
        EXPECT_EQ(field->hidden, on);
    }
    app.SetBoolProperty("cheat_keys", false);
}

// Under any window the level does not end: the bar filled under the help window, or a person's arrival,
// waits until the window has closed; no hint opens meanwhile.
TEST_F(GameScreenTest, ALevelEndsOnlyOnceTheWindowsOverItHaveClosed)
{
    for (bool people : {false, true}) {
        SCOPED_TRACE(people);
        ClearHintBit(kHintHelpWindow);
        FieldHints::Instance()->lastShown = -FieldHints::kGap;
        int waited = 0;
        bool hidUnder = false;
        bool hintUnder = false;
        script = [&] {
            if (IsOpen<HelpWindow>() || IsOpen<PeopleBonusWindow>()) {
                if (waited == 0) {
                    FillBar();
                    screen->updateCount = 149;
                }
                hidUnder = hidUnder || field->hidden;
                hintUnder = hintUnder || OpenHint() != nullptr || (people && IsOpen<HelpWindow>());
                if (++waited == 400) {
                    if (people) {
                        PeopleBonusWindow::Instance()->KeyDown(kKeyEnter);
                    } else {
                        HelpWindow::Instance()->KeyDown(kKeyEscape);
                    }
                }
            }
        };
        if (people) {
            ShowWindowModal(PeopleBonusWindow::Instance(), 1, 2);
        } else {
            app.widgetManager->SetFocus(screen);
            app.widgetManager->KeyDown(kKeyF1);
        }
        script = nullptr;
        EXPECT_EQ(waited, 400);
        EXPECT_FALSE(hidUnder);
        EXPECT_FALSE(hintUnder);
        app.Frame();
        EXPECT_TRUE(field->hidden) << "the level ends in the first update in the open";
        field->StartLevel(false, false);
    }
}

// While the board is away or the screen fades out, Esc and the two buttons do nothing while F1 still
// opens the help, and no key builds a board once the screen has left.
TEST_F(GameScreenTest, CommandsWaitWhileTheBoardIsAwayOrTheScreenFadesOut)
{
    bool asked = false;
    script = [&] {
        if (IsOpen<PauseWindow>() && !asked) {
            asked = true;
            PauseWindow::Instance()->ButtonClicked(1);
        }
    };
    screen->KeyDown(kKeyEscape);
    ASSERT_TRUE(RunUntil([&] { return screen->leaving; }, 1000));
    script = nullptr;
    const baseCallback* pending = field->pendingCallback.get();
    screen->KeyDown(kKeyEscape);
    screen->ButtonClicked(GameScreen::kMenuButton);
    screen->ButtonClicked(GameScreen::kTownButton);
    EXPECT_EQ(field->pendingCallback.get(), pending);
    EXPECT_FALSE(IsOpen<PauseWindow>());
    bool helped = false;
    script = [&] {
        if (IsOpen<HelpWindow>() && !helped) {
            helped = true;
            HelpWindow::Instance()->KeyDown(kKeyEscape);
        }
    };
    screen->KeyDown(kKeyF1);
    script = nullptr;
    EXPECT_TRUE(helped);
    ASSERT_TRUE(RunUntil([&] { return !notes.empty(); }, 100));
    EXPECT_EQ(notes, (std::vector<std::string>{"MenuScreen enter"}));
    screen->KeyDown(kKeyEscape);
    EXPECT_TRUE(BoardGone());
    app.widgetManager->AddWidget(screen);
    screen->OnEnter();
    field = FieldLive::Instance();
}

// The screen left from inside the board's own update (here while the pause window waits): the board
// outlives that update and goes once it has returned.
TEST_F(GameScreenTest, ABoardLeftInsideItsOwnUpdateGoesAfterIt)
{
    bool left = false;
    script = [&] {
        if (IsOpen<PauseWindow>() && !left) {
            left = true;
            screen->Leave();
            EXPECT_TRUE(BoardGone());
            PauseWindow::Instance()->ButtonClicked(0);
        }
    };
    screen->KeyDown(kKeyEscape);
    ASSERT_TRUE(RunUntil([&] { return left; }, 1000));
    script = nullptr;
    EXPECT_TRUE(BoardGone());
    EXPECT_FALSE(InManager());
    app.widgetManager->AddWidget(screen);
    screen->OnEnter();
    field = FieldLive::Instance();
}
