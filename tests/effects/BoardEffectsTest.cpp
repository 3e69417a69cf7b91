// The eight board and panel effects: what each draws after chosen numbers of updates and frames, when
// each ends, their random draws, and their callbacks run once or deleted unrun. Expected values are
// the effects' formulas worked out by hand in single precision.
#include "EffectFixtures.h"
#include "bricks/BrickBase.h"
#include "bricks/GfxBrickEffects.h"
#include "core/Random.h"
#include "effects/GfxDelay.h"
#include "effects/GfxManager.h"
#include "gameeffects/GfxCellExplode.h"
#include "gameeffects/GfxFlareFlash.h"
#include "gameeffects/GfxFlyText.h"
#include "gameeffects/GfxFlyingBrick.h"
#include "resources/ResourceLookups.h"
#include "support/CountedCallback.h"

#include <cmath>
#include <functional>

using EffectFixtures::GridImage;
using EffectFixtures::RecordingFont;

namespace {

class BoardEffectsTest : public EffectFixtures::EffectResourcesTest
{
protected:
    // One update, then one frame of one update period, as the main loop runs them.
    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            list.UpdateEffects();
            list.TickEffects(1.0f);
        }
    }
    std::vector<std::string> Drawn()
    {
        screen.draws.clear();
        list.DrawEffects(g);
        return screen.draws;
    }
    // The pass in which the list becomes empty, counting from the next one.
    int PassesUntilEmpty(int limit)
    {
        for (int pass = 1; pass <= limit; ++pass) {
            Frames(1);
            if (list.IsEmpty()) {
                return pass;
            }
        }
        return -1;
    }

    std::unique_ptr<Tolm::MemoryImage> brick = GridImage("brick", 36, 36, 2, 1);
    GfxManager list;
};

using Draws = std::vector<std::string>;

} // namespace

// The first gold brick's picture, centred on (100, 80): its 36 x 36 frame 0 stretched to 36 x the scale
// about its centre.
TEST_F(BoardEffectsTest, BrickEffectsFadeAndScaleAndEndAfterFortyOneUpdates)
{
    struct Case
    {
        const char* name;
        bool expand;
        int updates;
        Draws expected;
    } cases[] = {
        {"a queued swell would have a negative alpha: nothing", true, 0, {}},
        {"swell after 1 update: value 1.22",
         true,
         1,
         {"stretch gfx/brick.png 78,58 43x43 from 0,0 36x36 rgba 255,255,255,7"}},
        {"swell peaks at 1.6 with a float sine",
         true,
         20,
         {"stretch gfx/brick.png 71,51 57x57 from 0,0 36x36 rgba 255,255,255,100"}},
        {"swell at 1.9999993 has faded out", true, 40, {}},
        {"a queued burst is at value 1: sin 1",
         false,
         0,
         {"stretch gfx/brick.png 84,64 30x30 from 0,0 36x36 rgba 255,255,255,255"}},
        {"burst after 1 update: value 0.975",
         false,
         1,
         {"stretch gfx/brick.png 85,65 29x29 from 0,0 36x36 rgba 255,255,255,248"}},
        {"burst halfway", false, 20, {"stretch gfx/brick.png 91,71 17x17 from 0,0 36x36 rgba 255,255,255,127"}},
        {"burst at 0.0000004 has faded out", false, 40, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list.Clear();
        const BrickBase gold(kBrickGoldFirst);
        list.AddEffect(c.expand ? static_cast<gfxBase*>(new GfxBrickExpand(100, 80, gold))
                                : new GfxBrickExplode(100, 80, gold),
                       false);
        Frames(c.updates);
        EXPECT_EQ(Drawn(), c.expected);
        EXPECT_EQ(PassesUntilEmpty(50), 41 - c.updates) << "41 updates in float, not 40";
    }
    list.AddEffect(new GfxBrickExpand(100, 80, BrickBase(kBrickFoodFirst)), false);
    Frames(20);
    EXPECT_EQ(Drawn(), Draws{}) << "a kind without a picture draws nothing";
}

// Four 11 x 9 frames of two updates each, centred on (50, 40) by whole-pixel halves (5, 4); the effect
// ends in the update after the last frame came up.
TEST_F(BoardEffectsTest, CellExplosionPlaysItsFramesOnceCentredOnTheCell)
{
    list.AddEffect(new GfxCellExplode(0, 50, 40), false);
    const int expectedFrame[] = {0, 0, 1, 1, 2, 2, 3};
    for (int updates = 0; updates < 7; ++updates) {
        SCOPED_TRACE(updates);
        const std::string frame = std::to_string(11 * expectedFrame[updates]);
        ASSERT_EQ(Drawn(), Draws{"blit gfx/cell1.png 45,36 from " + frame + ",0 11x9 rgba 255,255,255,255"});
        Frames(1);
    }
    EXPECT_TRUE(list.IsEmpty()) << "seven updates: three frame changes of two, then one";

    struct Case
    {
        const char* name;
        int kind;
        Draws queued;
    } ends[] = {
        {"the one-frame double plate ends at once", 1, {"blit gfx/cell2.png 57,57 from 0,0 7x7 rgba 255,255,255,255"}},
        {"a kind without a plate draws nothing and ends at once", 2, {}},
    };
    for (const Case& c : ends) {
        SCOPED_TRACE(c.name);
        list.AddEffect(new GfxCellExplode(c.kind, 60, 60), false);
        EXPECT_EQ(Drawn(), c.queued);
        EXPECT_EQ(PassesUntilEmpty(5), 1);
    }
}

TEST_F(BoardEffectsTest, DelayRunsItsCallbackOnceWhenItsTimeHasRunOut)
{
    struct Case
    {
        const char* name;
        float seconds;
        float dt;
        int framesBeforeDue;
    } cases[] = {
        {"no delay runs it from the start, with no update", 0.0f, 1.0f, 0},
        {"a negative delay too", -1.0f, 1.0f, 0},
        {"0.05 s is five frames of one update", 0.05f, 1.0f, 5},
        {"0.05 s is three frames of two and a half", 0.05f, 2.5f, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int invoked = 0;
        int deleted = 0;
        list.AddEffect(new GfxDelay(c.seconds, new CountedCallback(invoked, deleted)), false);
        for (int frame = 0; frame < c.framesBeforeDue; ++frame) {
            list.UpdateEffects();
            list.TickEffects(c.dt);
        }
        EXPECT_EQ(invoked, 0);
        list.UpdateEffects();
        EXPECT_EQ(invoked, 1);
        EXPECT_EQ(deleted, 1);
        EXPECT_TRUE(list.IsEmpty());
    }
    list.AddEffect(new GfxDelay(0, nullptr), false);
    list.UpdateEffects();
    EXPECT_TRUE(list.IsEmpty()) << "without a callback it only ends";
}

TEST_F(BoardEffectsTest, CallbacksOfEffectsClearedBeforeTheyFinishAreDeletedUnrun)
{
    int invoked = 0;
    int deleted = 0;
    list.AddEffect(new GfxDelay(1.0f, new CountedCallback(invoked, deleted)), false);
    list.AddEffect(new GfxFlyingBrick(brick.get(), 0, 0, 300, 0, new CountedCallback(invoked, deleted)), false);
    list.AddEffect(new GfxDelay(1.0f, new CountedCallback(invoked, deleted)), false);
    Frames(10);
    list.Clear();
    EXPECT_EQ(invoked, 0);
    EXPECT_EQ(deleted, 3);
}

// Seed 12345 draws the sign -1; scale 2 at (200, 150) in an orange tint, added.
TEST_F(BoardEffectsTest, FlareSwellsAndTurnsHalfATurnInFortyUpdatePeriods)
{
    SeedRandom(12345);
    auto* flare = new GfxFlareFlash(200, 150, 2.0f, Tolm::Color(255, 200, 100, 255));
    list.AddEffect(flare, false);
    ASSERT_NE(flare->image, nullptr);
    Frames(20);
    EXPECT_FLOAT_EQ(flare->rotation.target, -std::numbers::pi_v<float>);
    ASSERT_EQ(Drawn(), Draws{"matrix gfx/flare.png 0,0 from 0,0 8x8 rgba 255,200,100,255 add"});
    // Scale 2 sin(pi / 2), then a quarter turn back, then the move.
    const Tolm::Matrix3& m = screen.matrices.back();
    const float expected[6] = {0, -2, 200, 2, 0, 150};
    const float actual[6] = {m.m00, m.m01, m.m02, m.m10, m.m11, m.m12};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << i;
    }
    Frames(20);
    EXPECT_FALSE(list.IsEmpty()) << "its values reach their ends in the 40th frame's tick";
    list.UpdateEffects();
    EXPECT_TRUE(list.IsEmpty());

    SeedRandom(1);
    flare = new GfxFlareFlash(0, 0, 1.0f, Tolm::Color::White);
    list.AddEffect(flare, false);
    list.UpdateEffects();
    EXPECT_FLOAT_EQ(flare->rotation.target, std::numbers::pi_v<float>) << "seed 1 draws +1";
    list.TickEffects(40.0f);
    list.UpdateEffects();
    EXPECT_TRUE(list.IsEmpty()) << "one frame of forty update periods";
}

// Seed 12345 makes the flight 112.31464 update periods; from (0, 0) to (200, 100) both axes land in
// the 113th frame's tick, the glow fades out from 1 in 50 ticks and the callback runs in update 165.
TEST_F(BoardEffectsTest, FlyingBrickLandsFadesItsGlowAndRunsItsCallback)
{
    SeedRandom(12345);
    int invoked = 0;
    int deleted = 0;
    auto* flying = new GfxFlyingBrick(brick.get(), 0, 0, 200, 100, new CountedCallback(invoked, deleted));
    EXPECT_FLOAT_EQ(flying->x.speed, 200 / 112.31464385986328f);
    EXPECT_FLOAT_EQ(flying->y.speed, 100 / 112.31464385986328f);
    list.AddEffect(flying, false);
    Frames(56);
    // Brick at (99.72, 49.86) untouched by the effect's state; the 12 x 12 glow's frame 56 / 8 mod 3,
    // 12 pixels further by the integer half of 12 - 36.
    EXPECT_EQ(Drawn(), (Draws{"blit brick 99,49 from 0,0 36x36 rgba 255,255,255,255",
                              "blit gfx/ball.png 111,61 from 12,0 12x12 rgba 255,255,255,255 add"}));
    Frames(164 - 56);
    EXPECT_EQ(invoked, 0);
    EXPECT_FALSE(list.IsEmpty());
    list.UpdateEffects();
    EXPECT_EQ(invoked, 1);
    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(list.IsEmpty());
}

TEST_F(BoardEffectsTest, FlyingBrickWithNothingToFlyArrivesInItsFirstUpdate)
{
    struct Case
    {
        const char* name;
        float toX;
        float toY;
    } cases[] = {
        {"equal ends", 40, 40},
        {"an axis half a pixel away has no speed and counts as arrived", 40.5f, 40},
        {"both axes under a pixel away", 40.9f, 39.2f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int invoked = 0;
        int deleted = 0;
        list.AddEffect(new GfxFlyingBrick(brick.get(), 40, 40, c.toX, c.toY, new CountedCallback(invoked, deleted)),
                       false);
        list.UpdateEffects();
        EXPECT_EQ(invoked, 1);
        EXPECT_EQ(deleted, 1);
        EXPECT_TRUE(list.IsEmpty());
    }
    auto* bare = new GfxFlyingBrick(nullptr, 10, 10, 10, 10, nullptr);
    bare->glowImage = nullptr;
    list.AddEffect(bare, false);
    EXPECT_EQ(Drawn(), Draws{}) << "no pictures, nothing drawn";
    list.UpdateEffects();
    EXPECT_TRUE(list.IsEmpty());
}

// "Combo!" is 60 pixels wide in the recording font: centred on x 300 it starts at 300 + (-1 - 60) / 2.
TEST_F(BoardEffectsTest, FlyTextRisesWhileItFadesInAndOut)
{
    RecordingFont font;
    struct Case
    {
        const char* name;
        float rise;
        int frames;
        const char* expected;
    } cases[] = {
        {"queued: alpha 0", 36, 0, "Combo! at 270,200 rgba 255,255,255,0"},
        {"a quarter up: alpha sin(pi / 4)", 36, 1, "Combo! at 270,191 rgba 255,255,255,180"},
        {"half way: full alpha", 36, 2, "Combo! at 270,182 rgba 255,255,255,255"},
        {"half way with a rise of 100", 100, 2, "Combo! at 270,150 rgba 255,255,255,255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* text = new GfxFlyText("Combo!", 300, 200, &font);
        text->SetRiseDistance(c.rise);
        text->SetProgressSpeed(0.25f);
        list.AddEffect(text, false);
        Frames(c.frames);
        font.lines.clear();
        list.DrawEffects(g);
        EXPECT_EQ(font.lines, std::vector<std::string>{c.expected});
        EXPECT_EQ(PassesUntilEmpty(10), 4 - c.frames + 1) << "ends in the update after progress reached 1";
    }
    auto* slow = new GfxFlyText("slow", 0, 0, &font);
    list.AddEffect(slow, false);
    list.UpdateEffects();
    EXPECT_FLOAT_EQ(slow->progress.speed, 0.006f);
    list.Clear();
    list.AddEffect(new GfxFlyText("no font", 0, 0, nullptr), false);
    EXPECT_EQ(Drawn(), Draws{});
}

TEST_F(BoardEffectsTest, FlyScoreShowsPositiveScoresOnly)
{
    RecordingFont font;
    struct Case
    {
        int score;
        bool shown;
    } cases[] = {{250, true}, {1, true}, {0, false}, {-5, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        auto* score = new GfxFlyScore(c.score, 300, 200);
        EXPECT_EQ(score->text, std::to_string(c.score));
        EXPECT_EQ(score->font, GetFontById("FONT_FLY_SCORE"));
        ASSERT_NE(score->font, nullptr);
        score->font = &font;
        list.AddEffect(score, false);
        Frames(100);
        font.lines.clear();
        list.DrawEffects(g);
        EXPECT_EQ(font.lines.size(), c.shown ? 1u : 0u);
        list.Clear();
    }
}
