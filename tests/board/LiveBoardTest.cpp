// The live board played with the mouse through the widget manager: chains dragged, clicked and cut back,
// input while hidden or on a moving brick, the right button, and the level's start, hiding and showing.
#include "LiveBoardFixture.h"

#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "board/Level.h"
#include "board/PathStorage.h"
#include "core/Callback.h"
#include "core/Random.h"
#include "hud/TimerPanel.h"
#include "hud/TopPanel.h"
#include "platform/MessageBox.h"
#include "profile/UserProfile.h"

#include <sstream>

namespace {

// Three runs of three kinds along the top, and a board full enough that every chain leaves groups.
const char* const kRuns = "a a a k k k s s s a k s a k s a\n"
                          "b l t b l t b l t b l t b l t b\n"
                          "a a a k k k s s s a k s a k s a\n"
                          "b l t b l t b l t b l t b l t b\n";

// The line of the shown text that starts with the prefix, without it.
std::string LineOf(const std::string& shown, const std::string& prefix)
{
    std::istringstream lines(shown);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0) {
            return line.substr(prefix.size());
        }
    }
    return "(no " + prefix + ")";
}

// A live bonus may follow any chain at random; the input cases leave it out of their sounds.
std::string WithoutLiveBonus(std::string sounds)
{
    const std::string plus = " SOUND_PLUS_APPEAR";
    for (auto at = sounds.find(plus); at != std::string::npos; at = sounds.find(plus)) {
        sounds.erase(at, plus.size());
    }
    return sounds;
}

// Counts its runs and its deletion.
class Probe : public baseCallback
{
public:
    Probe(int& runs, bool& deleted) : runs(runs), deleted(deleted) {}
    ~Probe() override { deleted = true; }
    int Invoke() override
    {
        ++runs;
        return 0;
    }
    baseCallback* Clone() override { return new Probe(runs, deleted); }

    int& runs;
    bool& deleted;
};

class LiveBoardTest : public LiveBoardFixture
{};

struct InputCase
{
    const char* name;
    const char* script;
    // After the script: the chain, the top panel's gold and score, the sounds.
    const char* chain;
    int gold;
    int score;
    const char* sounds;
};

TEST_F(LiveBoardTest, InputBuildsReleasesAndDropsChains)
{
    const InputCase cases[] = {
        {"a drag of three explodes on release", "press 0 0\ndrag 0 0 1 0 2 0\nrelease 2 0", "", 6, 3,
         " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2 SOUND_BLOCK_SELECT3 SOUND_CHAIN_EXPLODE_GOLD"},
        {"the pressed brick joins at the first drag over it", "press 0 0\ndrag 0 0", " 0,0", 0, 0,
         " SOUND_BLOCK_SELECT1"},
        {"a plain click explodes nothing and leaves the chain empty", "click 0 0", "", 0, 0, " SOUND_BLOCK_SELECT1"},
        {"after a click the chain follows the mouse without a button", "click 0 0\nmove 0 0\nmove 1 0\nmove 2 0",
         " 0,0 1,0 2,0", 0, 0, " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2 SOUND_BLOCK_SELECT3"},
        {"a click on the chain's last brick releases it",
         "click 0 0\nmove 0 0\nmove 1 0\nmove 2 0\npress 2 0\nrelease 2 0", "", 6, 3,
         " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2 SOUND_BLOCK_SELECT3 SOUND_CHAIN_EXPLODE_GOLD"},
        {"a click elsewhere starts a new chain", "click 0 0\nmove 0 0\nmove 1 0\nmove 3 0\nclick 3 0\nmove 3 0",
         " 3,0", 0, 0,
         " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2 SOUND_BLOCK_SELECT1"},
        {"a drag with the button down ends click mode once two bricks are in",
         "click 0 0\nmove 0 0\nmove 1 0\npress -1 0\ndrag 2 0\nrelease 2 0", "", 6, 3,
         " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2 SOUND_BLOCK_SELECT3 SOUND_CHAIN_EXPLODE_GOLD"},
        {"returning onto the chain cuts it back", "press 0 0\ndrag 0 0 1 0 2 0 1 0", " 0,0 1,0", 0, 0,
         " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2 SOUND_BLOCK_SELECT3"},
        {"a chain cut back to two is dropped on release", "press 0 0\ndrag 0 0 1 0 2 0 1 0\nrelease 1 0", "", 0, 0,
         " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2 SOUND_BLOCK_SELECT3"},
        {"a press dragged over two bricks stays in click mode on release", "press 0 0\ndrag 0 0 1 0\nrelease 1 0",
         " 0,0 1,0", 0, 0, " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2"},
        {"a brick of another kind does not join", "press 2 0\ndrag 2 0 3 0", " 2,0", 0, 0, " SOUND_BLOCK_SELECT1"},
        {"the right button drops the chain", "press 0 0\ndrag 0 0 1 0 2 0\nrpress 2 0\nrrelease 2 0\nrelease 2 0",
         "", 0, 0, " SOUND_BLOCK_SELECT1 SOUND_BLOCK_SELECT2 SOUND_BLOCK_SELECT3"},
        {"a press off the board starts nothing", "press -1 0\nrelease -1 0", "", 0, 0, ""},
    };
    for (const InputCase& c : cases) {
        SCOPED_TRACE(c.name);
        Lay(kRuns);
        TopPanel::Instance()->ResetCounters();
        TakeSounds();
        const std::string shown = Run(std::string(c.script) + "\nshow");
        EXPECT_EQ(LineOf(shown, "chain:"), c.chain);
        std::istringstream counters(LineOf(shown, "counters: "));
        int gold = 0;
        int food = 0;
        int supplies = 0;
        int score = 0;
        counters >> gold >> food >> supplies >> score;
        EXPECT_EQ(gold, c.gold);
        EXPECT_EQ(score, c.score);
        if (*c.sounds) {
            EXPECT_EQ(WithoutLiveBonus(LineOf(shown, "sounds:")), c.sounds);
        }
        Run("release 0 0\nrrelease 0 0\nupdate 1");
        field->CancelChain();
    }
}

TEST_F(LiveBoardTest, HiddenBoardIgnoresInput)
{
    Lay(kRuns);
    field->SetHidden(true, nullptr, 0);
    TakeSounds();
    const std::string shown = Run("press 0 0\ndrag 0 0 1 0 2 0\nrelease 2 0\nclick 0 0\nmove 1 0\nshow");
    EXPECT_EQ(LineOf(shown, "chain:"), "");
    EXPECT_EQ(LineOf(shown, "sounds:"), "");
    EXPECT_EQ(LineOf(shown, "counters: "), "0 0 0 0");
}

// The brick at (1, 0) slides; the drag over it adds nothing and, the pointer staying there, it is not
// tried again once it has come to rest.
TEST_F(LiveBoardTest, MovingBrickIsSkippedUntilThePointerLeavesIt)
{
    Lay(kRuns);
    field->GetBrick(1, 0)->SetOffsetX(-36, false);
    field->GetBrick(1, 0)->SetOffsetX(0, true);
    ASSERT_TRUE(field->IsSlotBusy(1, 0));
    EXPECT_EQ(LineOf(Run("press 0 0\ndrag 0 0 1 0\nshow"), "chain:"), " 0,0");
    for (int frames = 0; field->IsSlotBusy(1, 0) && frames < 500; ++frames) {
        Run("update 1");
    }
    ASSERT_FALSE(field->IsSlotBusy(1, 0));
    EXPECT_EQ(LineOf(Run("drag 1 0\nshow"), "chain:"), " 0,0");
    EXPECT_EQ(LineOf(Run("drag 0 1 1 0\nshow"), "chain:"), " 0,0 1,0");
}

TEST_F(LiveBoardTest, FailingALevelTwiceInARowStartsTheNext)
{
    const int level = UserProfile::GetLevel();
    field->StartLevel(false, true);
    EXPECT_EQ(UserProfile::GetLevel(), level);
    EXPECT_EQ(field->retryFlag, 1);
    field->StartLevel(false, true);
    EXPECT_EQ(UserProfile::GetLevel(), level + 1);
    EXPECT_EQ(field->retryFlag, 0);
    field->StartLevel(false, false);
    EXPECT_EQ(UserProfile::GetLevel(), level + 1);
}

TEST_F(LiveBoardTest, StartingALevelDropsAPendingHideWithoutRunningIt)
{
    int runs = 0;
    bool deleted = false;
    field->SetHidden(true, new Probe(runs, deleted), 0);
    field->StartLevel(false, false);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(field->hidePending);
    EXPECT_FALSE(field->hidden);
}

// A level start frees the board whose swapped bricks are still in the air: their landings give their
// slots back and leave the new board's bricks to its appear.
TEST_F(LiveBoardTest, MixerLandingsAfterALevelStartTouchOnlyTheBusyList)
{
    Lay(kRuns);
    field->busy.Add(0, 1);
    field->busy.Add(1, 1);
    field->SwapWithFlight(FieldPosition(0, 1), FieldPosition(1, 1));
    ASSERT_TRUE(field->GetBrick(0, 1)->IsAnimating()) << "the swapped bricks hide while their pictures fly";
    field->StartLevel(false, false);
    ASSERT_FALSE(field->busy.IsEmpty()) << "a level start leaves the busy list alone";
    for (int frames = 0; field->IsBusy() && frames < 1000; ++frames) {
        Run("update 1");
    }
    EXPECT_FALSE(field->IsBusy());
    EXPECT_TRUE(field->busy.IsEmpty());
}

TEST_F(LiveBoardTest, ShowingWhileAHideIsPendingDropsTheHide)
{
    int hideRuns = 0;
    bool hideDeleted = false;
    int showRuns = 0;
    bool showDeleted = false;
    TopPanel::Instance()->SetShown(false, false);
    TimerPanel::Instance()->SetShown(false, false);
    field->SetHidden(true, new Probe(hideRuns, hideDeleted), 0);
    field->SetHidden(false, new Probe(showRuns, showDeleted), 0);
    EXPECT_TRUE(hideDeleted);
    EXPECT_EQ(hideRuns, 0);
    EXPECT_EQ(showRuns, 1);
    EXPECT_TRUE(showDeleted);
    TakeSounds();
    const std::string sounds = Run("update 300\nsounds");
    EXPECT_EQ(sounds.find("SOUND_FIELD_DISAPPEAR"), std::string::npos) << sounds;
    EXPECT_FALSE(field->hidden);
}

// The board holds for the delay, and disappears only once idle with both panels gone: then the sound
// queued with the disappear plays, the gates close and the callback runs.
TEST_F(LiveBoardTest, HideWaitsForThePanelsThenDisappears)
{
    Run("update 300");
    int runs = 0;
    bool deleted = false;
    TakeSounds();
    field->SetHidden(true, new Probe(runs, deleted), 0.5f);
    EXPECT_TRUE(field->hidden);
    Run("update 100");
    EXPECT_EQ(runs, 0) << "the panels are still on the screen";
    TopPanel::Instance()->SetShown(false, true);
    TimerPanel::Instance()->SetShown(false, true);
    for (int frames = 0; runs == 0 && frames < 1000; ++frames) {
        Run("update 1");
    }
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(TopPanel::Instance()->IsOnScreen());
    EXPECT_TRUE(BonusPanel::Instance()->disabled) << "the gates are closed";
    EXPECT_EQ(LineOf(Run("sounds"), "sounds:"), " SOUND_FIELD_DISAPPEAR");
}

// The level start draws, after the level's own set-up, the appear's pattern and the five gates' delays.
TEST_F(LiveBoardTest, LevelStartDrawsThePatternAndTheGates)
{
    SeedRandom(kSeed);
    TestBoard scratch;
    ASSERT_TRUE(Level::Instance()->SetUp(scratch, false));
    const int setUpDraws = GeneratorPosition();
    SeedRandom(kSeed);
    field->StartLevel(false, false);
    EXPECT_EQ(GeneratorPosition(), setUpDraws + 1 + 5);
    SeedRandom(kSeed);
    field->StartLevel(true, false);
    EXPECT_EQ(GeneratorPosition(), setUpDraws) << "a hidden start neither appears nor opens the gates";
}

// The appear: the sound after the 0.4 s hold (41 updates of 10 ms), every brick shown after its wait.
TEST_F(LiveBoardTest, AppearPlaysItsSoundAfterTheHoldAndShowsEveryBrick)
{
    TakeSounds();
    field->StartLevel(false, false);
    Run("update 40");
    EXPECT_EQ(LineOf(Run("sounds"), "sounds:"), "");
    Run("update 1");
    EXPECT_EQ(LineOf(Run("sounds"), "sounds:"), " SOUND_FIELD_APPEAR");
    for (int frames = 0; field->IsBusy() && frames < 1000; ++frames) {
        Run("update 1");
    }
    EXPECT_FALSE(field->IsBusy());
    for (int i = 0; i < kFieldSlots; ++i) {
        EXPECT_FALSE(field->IsSlotBusy(i % kFieldWidth, i / kFieldWidth)) << "slot " << i;
    }
}

TEST_F(LiveBoardTest, LockProgressCountsClearedLayers)
{
    Lay(kRuns);
    EXPECT_FLOAT_EQ(field->GetLockProgress(), 1.0f) << "a level without locks";
    field->totalLocks = 4;
    field->clearedLocks = 1;
    EXPECT_FLOAT_EQ(field->GetLockProgress(), 0.25f);
}

// One script from one seed gives one board.
TEST_F(LiveBoardTest, ScriptReplaysToTheSameBoard)
{
    const char* script = "press 0 0\ndrag 0 0 1 0 2 0\nrelease 2 0\nupdate 150\n"
                         "click 3 0\nmove 3 0\nmove 4 0\nmove 5 0\npress 5 0\nrelease 5 0\nupdate 200";
    uint64_t hashes[2] = {};
    for (uint64_t& hash : hashes) {
        SeedRandom(kSeed);
        field->StartLevel(false, false);
        Lay(kRuns);
        Run(script);
        hash = BoardHash();
    }
    EXPECT_EQ(hashes[0], hashes[1]);
}

class RecordingPopups : public Platform::MessageBoxSink
{
public:
    int Show(Platform::WindowHandle, const std::string& text, const std::string&, uint32_t) override
    {
        texts.push_back(text);
        return 1;
    }
    std::vector<std::string> texts;
};

// Past the level files: every level tried is missing, and no play starts.
TEST_F(LiveBoardTest, NoReadableLevelShowsAnErrorAndStartsNoPlay)
{
    RecordingPopups popups;
    Platform::SetMessageBoxSink(&popups);
    app.SetIntProperty("set_total_levels", 200);
    while (UserProfile::GetLevel() < 100) {
        UserProfile::AdvanceLevel();
    }
    field->StartLevel(false, false);
    Platform::SetMessageBoxSink(nullptr);
    app.SetIntProperty("set_total_levels", 60);
    EXPECT_TRUE(field->levelMissing);
    EXPECT_TRUE(field->hidden);
    ASSERT_EQ(popups.texts.size(), 1u);
    EXPECT_NE(popups.texts[0].find("could not read its levels"), std::string::npos);
    EXPECT_EQ(LineOf(Run("press 0 0\ndrag 0 0 1 0 2 0\nshow"), "chain:"), "");
}

} // namespace
