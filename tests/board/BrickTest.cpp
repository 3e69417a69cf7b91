// Bricks on the core time: slides and jumps queued in order, barriers and delays, fades, hiding and
// showing, the press pulse, the live bonus's frames and wildcard, and what each kind pays.
#include "BoardFixture.h"
#include "board/BoardFactory.h"
#include "board/BrickBonusLive.h"
#include "board/BrickGold.h"
#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"

#include <memory>

namespace {

class BrickTest : public BoardFixture
{
protected:
    // One frame: the core time moves on by one update and the brick takes its step.
    void Step(BrickBase& brick)
    {
        Frame();
        brick.Update(1.0f);
    }

    std::unique_ptr<BrickBase> brick = CreateBrick(5);
};

TEST_F(BrickTest, AThirtySixPixelSlideTakesTwelveUpdatesAndGetOffsetGivesTheTarget)
{
    brick->SetOffsetX(36, true);
    EXPECT_EQ(brick->GetOffsetX(), 36);
    EXPECT_EQ(brick->offsetX, 0);
    EXPECT_TRUE(brick->IsAnimating());
    // 300 pixels a second: 3 pixels per 10 ms update.
    for (int update = 1; update <= 12; ++update) {
        EXPECT_TRUE(brick->IsAnimating()) << update;
        Step(*brick);
        EXPECT_FLOAT_EQ(brick->offsetX, 3.0f * float(update)) << update;
    }
    EXPECT_FALSE(brick->IsAnimating());
}

TEST_F(BrickTest, MovesRunInTheOrderAskedWhenABarrierSeparatesThem)
{
    brick->SetOffsetX(36, true);
    brick->SetVisualState(6, false);
    brick->SetOffsetY(-36, false);
    // The jump waits behind the barrier while the slide runs, then lands within the slide's last update.
    const float expectedY[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -36};
    for (int update = 1; update <= 12; ++update) {
        Step(*brick);
        EXPECT_FLOAT_EQ(brick->offsetX, 3.0f * float(update)) << update;
        EXPECT_FLOAT_EQ(brick->offsetY, expectedY[update - 1]) << update;
    }
    EXPECT_FALSE(brick->IsAnimating());
}

TEST_F(BrickTest, WithoutABarrierMovesRunSideBySideAndAJumpLandsInOneUpdate)
{
    brick->SetOffsetX(36, true);
    brick->SetOffsetY(300, false);
    Step(*brick);
    EXPECT_FLOAT_EQ(brick->offsetX, 3);
    EXPECT_FLOAT_EQ(brick->offsetY, 300);
}

TEST_F(BrickTest, ADelayHoldsTheMovesBehindIt)
{
    // Five and a half updates: the slides start in the sixth.
    brick->StartEffect(6, 0.055f, false);
    brick->AddOffsetX(-36);
    EXPECT_EQ(brick->GetOffsetX(), -36);
    for (int update = 1; update <= 6; ++update) {
        Step(*brick);
        EXPECT_FLOAT_EQ(brick->offsetX, update < 6 ? 0.0f : -3.0f) << update;
    }
}

TEST_F(BrickTest, AHiddenBrickStaysAnimatingAndDrawsNothingUntilShown)
{
    brick->SetVisualState(4, false);
    Tolm::MemoryImage canvas;
    canvas.Create(800, 600);
    canvas.Clear();
    Tolm::Graphics g(&canvas);
    brick->SetCell(0, 0);
    for (int update = 0; update < 100; ++update) {
        Step(*brick);
        EXPECT_TRUE(brick->IsAnimating());
    }
    EXPECT_TRUE(brick->Draw(g));
    EXPECT_EQ(canvas.GetBits()[(70 + 18) * 800 + 112 + 18], 0u);

    brick->SetVisualState(5, false);
    EXPECT_FALSE(brick->IsAnimating());
    auto* gfx = static_cast<BrickLiveGfx*>(brick.get());
    EXPECT_EQ(gfx->fadeMode, BrickLiveGfx::kFadingIn);
    Step(*brick);
    EXPECT_EQ(gfx->fadeMode, BrickLiveGfx::kFadeNone);
}

TEST_F(BrickTest, AFadeQueuedBehindADelayStartsFromTheAlphaItFinds)
{
    auto* gfx = static_cast<BrickLiveGfx*>(brick.get());
    brick->SetVisualState(4, false);
    brick->StartEffect(6, 0.1f, false);
    brick->StartEffect(1, 0.5f, false);
    for (int update = 0; update < 10; ++update) {
        Step(*brick);
    }
    EXPECT_LE(gfx->alpha, 0.021f);
    for (int update = 0; update < 25; ++update) {
        Step(*brick);
    }
    EXPECT_NEAR(gfx->alpha, 0.5f, 0.03f);
    for (int update = 0; update < 30; ++update) {
        Step(*brick);
    }
    EXPECT_EQ(gfx->alpha, 1.0f);
    EXPECT_EQ(gfx->fadeMode, BrickLiveGfx::kFadeNone);
    EXPECT_FALSE(brick->IsAnimating());
}

TEST_F(BrickTest, SetCellStopsAFadeWhereItIs)
{
    auto* gfx = static_cast<BrickLiveGfx*>(brick.get());
    brick->StartEffect(2, 0.2f, false);
    for (int update = 0; update < 10; ++update) {
        Step(*brick);
    }
    const float halfway = gfx->alpha;
    EXPECT_NEAR(halfway, 0.5f, 0.03f);
    brick->SetCell(3, 4);
    Step(*brick);
    EXPECT_EQ(gfx->alpha, halfway);
    EXPECT_EQ(gfx->fadeMode, BrickLiveGfx::kFadedOut);
    EXPECT_EQ(brick->pixelX, 112 + 3 * 36);
    EXPECT_EQ(brick->pixelY, 70 + 4 * 36);
}

TEST_F(BrickTest, ThePressPulseLastsTwentyUpdatesAndAnotherPressShortensIt)
{
    auto* gfx = static_cast<BrickLiveGfx*>(brick.get());
    brick->SetVisualState(3, false);
    int updates = 0;
    while (gfx->pulse > 0 && updates < 100) {
        Step(*brick);
        ++updates;
    }
    // From 0.05 to 1.0 in steps of 0.05, the press itself counting as the first.
    EXPECT_GE(updates, 19);
    EXPECT_LE(updates, 20);
    brick->SetVisualState(3, false);
    Step(*brick);
    brick->SetVisualState(3, false);
    int shorter = 1;
    while (gfx->pulse > 0 && shorter < 100) {
        Step(*brick);
        ++shorter;
    }
    EXPECT_LT(shorter, updates);
}

TEST_F(BrickTest, TheLiveBonusIsAWildcardThatPlaysItsCelsAndWraps)
{
    BrickBonusLive plus;
    EXPECT_TRUE(plus.HasFlag(kBrickWildcard));
    EXPECT_EQ(plus.ticksPerFrame, 8);
    std::vector<int> frames;
    for (int tick = 1; tick <= 8 * 9; ++tick) {
        plus.Animate();
        if (tick % 8 == 0) {
            frames.push_back(plus.frame);
        }
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 0, 1}));
    EXPECT_FALSE(CreateBrick(27)->HasFlag(kBrickWildcard));
}

// An animation record without a delay would divide by zero on every update.
TEST_F(BrickTest, ALiveBonusWithoutAFrameDelayStepsEveryUpdate)
{
    Tolm::Image* image = nullptr;
    ASSERT_TRUE(GetBrickImage(kBrickLiveBonus, image));
    image->animation->frameDelay = 0;
    BrickBonusLive plus;
    image->animation->frameDelay = 8;
    EXPECT_EQ(plus.ticksPerFrame, 1);
    plus.Animate();
    plus.Animate();
    EXPECT_EQ(plus.frame, 2);
}

TEST_F(BrickTest, EachKindPaysItsOwnResourceAsTheValueStoodAtItsMaking)
{
    const struct
    {
        int type;
        int gold;
        int food;
        int supplies;
    } cases[] = {{0, 0, 0, 0},  {1, 2, 0, 0},  {10, 8, 0, 0}, {11, 0, 2, 0}, {18, 0, 6, 0},
                 {19, 0, 0, 2}, {26, 0, 0, 6}, {27, 0, 0, 0}, {32, 0, 0, 0}};
    for (const auto& c : cases) {
        auto made = CreateBrick(c.type);
        EXPECT_EQ(made->GetType(), c.type);
        EXPECT_EQ(made->GetGoldValue(), c.gold) << c.type;
        EXPECT_EQ(made->GetFoodValue(), c.food) << c.type;
        EXPECT_EQ(made->GetSuppliesValue(), c.supplies) << c.type;
    }
    auto before = CreateBrick(3);
    app.SetIntProperty("set_cost_gold3", 40);
    auto after = CreateBrick(3);
    EXPECT_EQ(before->GetGoldValue(), 3);
    EXPECT_EQ(after->GetGoldValue(), 40);
    EXPECT_EQ(after->Clone()->GetGoldValue(), 40);
}

TEST_F(BrickTest, UnknownTypesAndTheEmptyPlaceNeverMoveOrDraw)
{
    for (int type : {-1, 0, 33, 64}) {
        auto empty = CreateBrick(type);
        EXPECT_EQ(empty->GetType(), 0);
        empty->SetOffsetX(10, true);
        EXPECT_FALSE(empty->IsAnimating());
        EXPECT_EQ(empty->GetOffsetX(), 10);
        Tolm::MemoryImage canvas;
        canvas.Create(8, 8);
        Tolm::Graphics g(&canvas);
        EXPECT_FALSE(empty->Draw(g));
    }
}

TEST_F(BrickTest, AClonedBrickKeepsItsFieldsButNotItsModules)
{
    brick->SetFlag(1);
    brick->SetCell(2, 3);
    brick->SetOffsetX(18, true);
    auto copy = brick->Clone();
    EXPECT_EQ(copy->GetType(), 5);
    EXPECT_EQ(copy->flags, 1u);
    EXPECT_EQ(copy->pixelX, brick->pixelX);
    EXPECT_EQ(copy->GetOffsetX(), 18);
    EXPECT_EQ(copy->offsetX, 0);
    EXPECT_EQ(dynamic_cast<BrickLive*>(copy.get())->FirstModule(), nullptr);
    EXPECT_NE(dynamic_cast<BrickGold*>(copy.get()), nullptr);
}

} // namespace
