// What a released chain pays, the combo series, the live bonus after a chain and the no-move countdown,
// with the values worked out by hand from the brick costs of game_sets.xml (gold 1 pays 2, gold 3 pays 3,
// food 3 pays 3, supplies 1 pays 2).
#include "LiveBoardFixture.h"

#include "board/BonusButtonBase.h"
#include "board/BonusManHelper.h"
#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "board/Level.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "core/Random.h"
#include "effects/GfxManager.h"
#include "graphics/Graphics.h"
#include "hud/TopPanel.h"
#include "profile/UserProfile.h"
#include "support/DrawLog.h"
#include "widgets/RecordingFont.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace {

class PaymentTest : public LiveBoardFixture
{
protected:
    // Lays the row as the board's top row over rows that leave groups everywhere, and drags the chain
    // along it from its first cell to the cell given, then releases.
    void PlayRow(const std::string& row, int length)
    {
        Lay(row + "\nb l t b l t b l t b l t b l t b\na k s a k s a k s a k s a k s a\n");
        TopPanel::Instance()->ResetCounters();
        BonusManHelper::Instance()->Reset();
        TakeSounds();
        std::ostringstream script;
        script << "press 0 0\ndrag";
        for (int x = 0; x < length; ++x) {
            script << ' ' << x << " 0";
        }
        script << "\nrelease " << length - 1 << " 0";
        Run(script.str());
    }

    std::map<int, std::vector<std::string>> RunCountdown(int updates);

    // The sounds since the last call without the chain's growing clicks.
    std::string PaymentSounds()
    {
        std::string text;
        for (const std::string& sound : TakeSounds()) {
            if (sound.rfind("SOUND_BLOCK_SELECT", 0) != 0 && sound != "SOUND_PLUS_APPEAR") {
                text += ' ' + sound;
            }
        }
        return text;
    }
};

struct PaymentCase
{
    const char* name;
    const char* row;
    int length;
    int gold;
    int food;
    int supplies;
    const char* sounds;
};

TEST_F(PaymentTest, ChainsPayTheirBricksAndLongChainsAMultiple)
{
    const PaymentCase cases[] = {
        {"five gold 3: no multiple", "c c c c c a k s a k s a k s a k", 5, 15, 0, 0, " SOUND_CHAIN_EXPLODE_GOLD"},
        {"six gold 3: 18 and 18 x 1.5", "c c c c c c a k s a k s a k s a", 6, 45, 0, 0,
         " SOUND_EXTRA_SCORE SOUND_CHAIN_EXPLODE_GOLD"},
        {"twelve gold 3: 36 and 36 x 3.5", "c c c c c c c c c c c c a k s a", 12, 162, 0, 0,
         " SOUND_EXTRA_SCORE SOUND_CHAIN_EXPLODE_GOLD"},
        {"eleven gold 3: 33 x 3.5 = 115.5 truncated", "c c c c c c c c c c c a k s a k", 11, 33 + 115, 0, 0,
         " SOUND_EXTRA_SCORE SOUND_CHAIN_EXPLODE_GOLD"},
        {"seven food 3: 21 and 21 x 2", "m m m m m m m a k s a k s a k s", 7, 0, 63, 0,
         " SOUND_EXTRA_SCORE SOUND_CHAIN_EXPLODE_FOOD"},
        {"eight supplies 1: 16 and 16 x 2.5", "s s s s s s s s a k s a k s a k", 8, 0, 0, 56,
         " SOUND_EXTRA_SCORE SOUND_CHAIN_EXPLODE_SUPPL"},
        {"a live bonus pays nothing but counts: 15 x 1.5 = 22.5", "c c c + c c a k s a k s a k s a", 6, 15 + 22, 0, 0,
         " SOUND_EXTRA_SCORE SOUND_CHAIN_EXPLODE_GOLD"},
        {"locked bricks pay double, the multiple counts them once", "c1c2c c c c a k s a k s a k s a", 6,
         4 * 3 + 2 * 6 + 27, 0, 0, " SOUND_EXTRA_SCORE SOUND_CHAIN_EXPLODE_GOLD SOUND_EXPLODE_PUZZLED_CELL"},
        {"ending in a bonus brick: no multiple at ten bricks", "c c c c c c c c + 2 a k s a k s", 10, 24, 0, 0,
         " SOUND_CHAIN_EXPLODE_BONUS"},
    };
    for (const PaymentCase& c : cases) {
        SCOPED_TRACE(c.name);
        PlayRow(c.row, c.length);
        const TopPanel* top = TopPanel::Instance();
        EXPECT_EQ(top->GetGold(), c.gold);
        EXPECT_EQ(top->GetFood(), c.food);
        EXPECT_EQ(top->GetSupplies(), c.supplies);
        EXPECT_EQ(top->GetScore(), c.length);
        const BonusManHelper* people = BonusManHelper::Instance();
        EXPECT_EQ(people->gold, c.gold);
        EXPECT_EQ(people->food, c.food);
        EXPECT_EQ(people->supplies, c.supplies);
        EXPECT_EQ(people->cells, c.length);
        EXPECT_EQ(people->lastChain, c.length);
        EXPECT_EQ(PaymentSounds(), c.sounds);
        EXPECT_EQ(PathStorage::Instance()->GetLength(), 0);
    }
}

// Every brick of a chain shows its own pay, in chain order, double on a locked cell; and charges the tool
// of its kind by one point, three points making a charge.
TEST_F(PaymentTest, EachBrickShowsItsPayAndChargesItsToolByOnePoint)
{
    std::vector<RecordingFont::Draw> drawn;
    RecordingFont font(drawn);
    resources->DeclareFont("FONT_FLY_SCORE", font);
    PlayRow("c c1c c a k s a k s a k s a k s", 4);
    Run("update 5");
    DrawLog log(800, 600);
    Tolm::Graphics g(&log);
    field->upper->DrawEffects(g);
    std::vector<std::string> shown;
    for (const RecordingFont::Draw& draw : drawn) {
        shown.push_back(draw.text);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"3", "6", "3", "3"}));

    BonusPanel* panel = BonusPanel::Instance();
    panel->ResetCharges();
    PlayRow("2 2 2 2 a k s a k s a k s a k s", 4);
    EXPECT_NEAR(panel->GetButton(1)->GetCharge(), 4.0f / 3.0f, 1e-5);
    PlayRow("5 5 5 a k s a k s a k s a k s a", 3);
    EXPECT_NEAR(panel->GetButton(4)->GetCharge(), 1.0f, 1e-5);
    for (const int other : {0, 2, 3}) {
        EXPECT_EQ(panel->GetButton(other)->GetCharge(), 0.0f) << other;
    }
}

// Each step of a long chain clicks one note higher, up to the tenth.
TEST_F(PaymentTest, GrowingChainClimbsTheNotes)
{
    Lay("c c c c c c c c c c c c a k s a\n");
    TakeSounds();
    Run("press 0 0\ndrag 0 0 1 0 2 0 3 0 4 0 5 0 6 0 7 0 8 0 9 0 10 0 11 0");
    const std::vector<std::string> played = TakeSounds();
    const std::vector<std::string> want = {"SOUND_BLOCK_SELECT1", "SOUND_BLOCK_SELECT2", "SOUND_BLOCK_SELECT3",
                                           "SOUND_BLOCK_SELECT4", "SOUND_BLOCK_SELECT5", "SOUND_BLOCK_SELECT6",
                                           "SOUND_BLOCK_SELECT7", "SOUND_BLOCK_SELECT8", "SOUND_BLOCK_SELECT9",
                                           "SOUND_BLOCK_SELECT10", "SOUND_BLOCK_SELECT10", "SOUND_BLOCK_SELECT10"};
    EXPECT_EQ(played, want);
    Run("release 11 0");
}

struct ComboCase
{
    const char* name;
    int chains;
    // Buildings built from id 0 on: five make the town's second stage.
    int built;
    int reward;
};

// Chains 100 ticks apart, then the window runs out: gold and food are allowed, supplies not.
TEST_F(PaymentTest, CombosOfThreeOrMoreArePaidWhenTheWindowCloses)
{
    const ComboCase cases[] = {
        {"two chains give nothing", 2, 0, 0},
        {"three chains: (0 + 1) x 5 x 2", 3, 0, 10},
        {"four chains: (0 + 1) x 5 x 3", 4, 0, 15},
        {"three chains on the second stage: (1 + 1) x 5 x 2", 3, 5, 20},
    };
    Level::Instance()->allowed.reset();
    Level::Instance()->allowed.set(kBrickGoldFirst);
    Level::Instance()->allowed.set(kBrickFoodFirst);
    for (const ComboCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (int id = 0; id < c.built; ++id) {
            UserProfile::SetBuildingBuilt(id);
        }
        TopPanel::Instance()->ResetCounters();
        BonusManHelper::Instance()->Reset();
        TakeSounds();
        field->comboCount = 0;
        for (int chain = 0; chain < c.chains; ++chain) {
            field->tick = 1000 + 100 * chain;
            field->lastChainTick = field->tick;
            field->StepCombo();
        }
        EXPECT_EQ(field->comboCount, c.chains);
        field->tick = field->lastChainTick + FieldLive::kComboWindow - 1;
        field->StepCombo();
        EXPECT_EQ(field->comboCount, c.chains + 1) << "a step inside the window counts";
        field->comboCount = c.chains;
        field->tick = field->lastChainTick + FieldLive::kComboWindow;
        field->StepCombo();
        EXPECT_EQ(field->comboCount, 0);
        const TopPanel* top = TopPanel::Instance();
        EXPECT_EQ(top->GetGold(), c.reward);
        EXPECT_EQ(top->GetFood(), c.reward);
        EXPECT_EQ(top->GetSupplies(), 0);
        const BonusManHelper* people = BonusManHelper::Instance();
        EXPECT_EQ(people->combos, c.reward > 0 ? 1 : 0);
        EXPECT_EQ(people->lastCombo, c.reward > 0 ? c.chains : 0);
        const std::vector<std::string> sounds = TakeSounds();
        EXPECT_EQ(sounds, c.reward > 0 ? std::vector<std::string>{"SOUND_COMBO"} : std::vector<std::string>{});
    }
}

// Three chains played by hand in quick succession; the series is paid at the 125th update after the last.
TEST_F(PaymentTest, PlayedComboClosesAfterTheWindow)
{
    Lay("a a a k k k s s s a k s a k s a\nb l t b l t b l t b l t b l t b\na k s a k s a k s a k s a k s a\n");
    Level::Instance()->allowed.reset();
    Level::Instance()->allowed.set(kBrickSuppliesFirst);
    Run("press 0 0\ndrag 0 0 1 0 2 0\nrelease 2 0\nupdate 10\n"
        "press 3 0\ndrag 3 0 4 0 5 0\nrelease 5 0\nupdate 10\n"
        "press 6 0\ndrag 6 0 7 0 8 0\nrelease 8 0");
    EXPECT_EQ(field->comboCount, 3);
    const int supplies = TopPanel::Instance()->GetSupplies();
    TakeSounds();
    Run("update 124");
    std::vector<std::string> sounds = TakeSounds();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "SOUND_COMBO"), 0);
    Run("update 1");
    sounds = TakeSounds();
    EXPECT_EQ(sounds, std::vector<std::string>{"SOUND_COMBO"});
    EXPECT_EQ(TopPanel::Instance()->GetSupplies(), supplies + 10);
    // The series counts for the people; its length only in the update that paid it.
    EXPECT_EQ(BonusManHelper::Instance()->combos, 1);
    EXPECT_EQ(BonusManHelper::Instance()->lastCombo, 0);
}

TEST_F(PaymentTest, ComboTextNamesItsSize)
{
    const std::pair<int, const char*> cases[] = {{3, "combo"}, {4, "combo4"}, {5, "combo5"}, {6, "combo6"},
                                                 {7, "combo6"}};
    for (const auto& [count, id] : cases) {
        EXPECT_EQ(FieldGfx::ComboTextId(count), std::string(id)) << count;
    }
}

// A board of two kinds in a chequer: no chain of three anywhere.
constexpr const char* kNoMoves = "a k a k a k\nk a k a k a\na k a k a k\n";

// Lays the board without moves and runs the updates: the countdown's sounds by the update, counted from
// the first without moves, at which they played.
std::map<int, std::vector<std::string>> PaymentTest::RunCountdown(int updates)
{
    static const std::set<std::string> kCountdown = {"SOUND_NO_MOVES", "SOUND_MOVES_WARNING", "SOUND_LEVEL_FAILED"};
    std::map<int, std::vector<std::string>> heard;
    TakeSounds();
    for (int t = 1; t <= updates; ++t) {
        Run("update 1");
        for (const std::string& sound : TakeSounds()) {
            if (kCountdown.count(sound)) {
                heard[t].push_back(sound);
            }
        }
    }
    return heard;
}

TEST_F(PaymentTest, WithoutMovesOrChargeTheLevelFailsASecondLater)
{
    Lay(kNoMoves);
    ASSERT_EQ(Solver::Instance()->GetGroupCount(), 0);
    const auto heard = RunCountdown(200);
    const std::map<int, std::vector<std::string>> expected = {
        {1, {"SOUND_NO_MOVES", "SOUND_MOVES_WARNING"}}, {51, {"SOUND_MOVES_WARNING"}}, {101, {"SOUND_LEVEL_FAILED"}}};
    EXPECT_EQ(heard, expected);
}

TEST_F(PaymentTest, WithAChargedToolTheCountdownRunsItsWholeLength)
{
    Lay(kNoMoves);
    BonusPanel::Instance()->ChargeButton(2);
    const auto heard = RunCountdown(3600);
    std::map<int, std::vector<std::string>> expected = {{1, {"SOUND_NO_MOVES", "SOUND_MOVES_WARNING"}}};
    for (int t = 51; t <= 3451; t += 50) {
        expected[t] = {"SOUND_MOVES_WARNING"};
    }
    expected[3501] = {"SOUND_LEVEL_FAILED"};
    EXPECT_EQ(heard, expected);
    EXPECT_TRUE(field->failed || field->hidden);
}

TEST_F(PaymentTest, MovesOnTheBoardKeepTheCountdownAtZero)
{
    Lay("a a a k\n");
    field->noMoveCounter = 77;
    Run("update 1");
    EXPECT_EQ(field->noMoveCounter, 0);
}

TEST_F(PaymentTest, LiveBonusChanceFollowsTheGroupsLeft)
{
    const std::pair<int, float> cases[] = {{0, 0.7f}, {1, 0.6f}, {2, 0.5f}, {3, 0.2f}, {4, 0.02f}, {30, 0.02f}};
    for (const auto& [groups, chance] : cases) {
        EXPECT_FLOAT_EQ(FieldLive::LiveBonusChance(groups), chance) << groups;
    }
}

// A board of bricks on every cell.
std::string FullBoard()
{
    std::string rows;
    for (int y = 0; y < kFieldHeight; ++y) {
        rows += "a k s a k s a k s a k s a k s a\n";
    }
    return rows;
}

struct LiveBonusCase
{
    const char* name;
    float chance;
    // The board: full, or without a brick anywhere.
    bool full;
    // What stands at the first random slot before the try: 0 as laid, a hole, or the live bonus.
    int firstSlot;
    // Where it lands, by the index of its pair (-1 nowhere), and the draws made.
    int placedAt;
    int draws;
};

constexpr int kAsLaid = 0;
constexpr int kHole = 1;
constexpr int kLiveBonus = 2;

// The chance is drawn first; then the first try, off the board, fails, and a pair is drawn after every
// failed try: up to 21 pairs.
TEST_F(PaymentTest, LiveBonusTakesTheFirstIdleBrickOfItsRandomSlots)
{
    const LiveBonusCase cases[] = {
        {"no chance, no draw", 0.0f, true, kAsLaid, -1, 0},
        {"the chance missed", 1e-9f, true, kAsLaid, -1, 1},
        {"the first slot takes it", 1.0f, true, kAsLaid, 0, 3},
        {"a hole is passed over", 1.0f, true, kHole, 1, 5},
        {"the live bonus itself ends the try", 1.0f, true, kLiveBonus, -1, 3},
        {"no brick anywhere: 21 pairs", 1.0f, false, kAsLaid, -1, 1 + 2 * 21},
    };
    for (const LiveBonusCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReferenceRandom reference(kSeed);
        reference.Float(0, 1);
        int pairs[2][2] = {};
        for (auto& pair : pairs) {
            pair[0] = reference.Range(0, 15);
            pair[1] = reference.Range(0, 11);
        }
        Lay(c.full ? FullBoard() : "");
        if (c.firstSlot == kHole) {
            field->PutNewCell(pairs[0][0], pairs[0][1], kCellHole);
            field->PutNewBrick(pairs[0][0], pairs[0][1], kBrickEmpty);
        } else if (c.firstSlot == kLiveBonus) {
            field->PutNewBrick(pairs[0][0], pairs[0][1], kBrickLiveBonus);
        }
        TakeSounds();
        SeedRandom(kSeed);
        EXPECT_EQ(field->TrySpawnLiveBonus(c.chance), c.placedAt >= 0);
        EXPECT_EQ(GeneratorPosition(), c.draws);
        int liveBonuses = 0;
        for (int i = 0; i < kFieldSlots; ++i) {
            liveBonuses += field->GetBrickType(i % kFieldWidth, i / kFieldWidth) == kBrickLiveBonus ? 1 : 0;
        }
        EXPECT_EQ(liveBonuses, c.placedAt >= 0 || c.firstSlot == kLiveBonus ? 1 : 0);
        if (c.placedAt < 0) {
            EXPECT_TRUE(TakeSounds().empty());
            continue;
        }
        const int x = pairs[c.placedAt][0];
        const int y = pairs[c.placedAt][1];
        EXPECT_EQ(field->GetBrickType(x, y), kBrickLiveBonus);
        EXPECT_EQ(TakeSounds(), std::vector<std::string>{"SOUND_PLUS_APPEAR"});
    }
}

} // namespace

namespace {

struct ChainDrawsCase
{
    const char* name;
    const char* row;
    int length;
    // The draws of the payment and collapse before the live bonus's chance: a progress stream per
    // brick, the long-chain text's pick, a new brick per slot of the chain.
    int beforeChance;
};

// A paid chain draws, in order: each exploded brick's progress stream, the long-chain text (six bricks
// or more), the collapse's new bricks, then the live bonus's chance (0.02 with four groups or more left)
// and, only when it is met, the slots' pairs.
TEST_F(PaymentTest, PaidChainDrawsInThePartsOrder)
{
    const ChainDrawsCase cases[] = {
        {"three gold", "c c c a k s a k s a k s a k s a", 3, 3 + 3},
        {"six gold", "c c c c c c a k s a k s a k s a", 6, 6 + 1 + 6},
    };
    for (const ChainDrawsCase& c : cases) {
        SCOPED_TRACE(c.name);
        Lay(std::string(c.row) + "\nb b b l l l t t t b b b l l l t\nl l l t t t b b b l l l t t t b\n");
        ReferenceRandom reference(kSeed);
        for (int n = 0; n < c.beforeChance; ++n) {
            reference.Step();
        }
        ASSERT_GE(reference.Float(0, 1), 0.02f) << "the seed must miss the chance for the count to hold";
        SeedRandom(kSeed);
        std::string script = "press 0 0\ndrag";
        for (int x = 0; x < c.length; ++x) {
            script += " " + std::to_string(x) + " 0";
        }
        Run(script + "\nrelease " + std::to_string(c.length - 1) + " 0");
        ASSERT_GE(Solver::Instance()->GetGroupCount(), 4);
        EXPECT_EQ(GeneratorPosition(), c.beforeChance + 1);
    }
}

} // namespace
