// The sprite animator, update by update: delays, per-frame delays, direction, ranges, ping-pong, loop and
// update limits, random order, the settings that restart it, and drawing the current frame.
#include "graphics/Animator.h"

#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>

using namespace Tolm;

namespace {

// The current frame after each of the next updates, space separated.
std::string Frames(Animator& animator, int updates)
{
    std::ostringstream frames;
    for (int i = 0; i < updates; ++i) {
        animator.Update();
        frames << (i ? " " : "") << animator.currentFrame;
    }
    return frames.str();
}

// An image of frameCount frames in one row, with an animation description of the given type and delay.
struct AnimatedImage
{
    MemoryImage image;

    AnimatedImage(int frameCount, int type, int delay, std::vector<int> perFrameDelays = {})
    {
        image.Create(frameCount * 4, 4);
        image.numCols = frameCount;
        image.numFrames = frameCount;
        image.animation = std::make_unique<ImageAnimation>();
        image.animation->type = type;
        image.animation->frameDelay = delay;
        image.animation->perFrameDelays = std::move(perFrameDelays);
    }
};

TEST(AnimatorTest, FreshAnimatorHasTheDefaults)
{
    Animator animator;
    EXPECT_EQ(animator.tickCount, 0);
    EXPECT_EQ(animator.currentFrame, 0);
    EXPECT_EQ(animator.frameCount, 1);
    EXPECT_EQ(animator.defaultDelay, 1);
    EXPECT_EQ(animator.maxUpdates, -1);
    EXPECT_EQ(animator.updateCount, -1);
    EXPECT_EQ(animator.GetDirection(), 1);
    EXPECT_TRUE(animator.goingBack);
    EXPECT_TRUE(animator.frameChanged);
    EXPECT_EQ(animator.image, nullptr);
}

struct PlayCase
{
    const char* name;
    std::function<void(Animator&)> setUp;
    std::string frames;
};

TEST(AnimatorTest, FramesUpdateByUpdate)
{
    const std::vector<PlayCase> cases = {
        {"DelayThreeChangesOnMultiplesOfThree",
         [](Animator& a) {
             a.SetFrameCount(4);
             a.SetAllFrameDelays(3);
         },
         "0 0 1 1 1 2 2 2 3 3 3 0"},
        {"PerFrameDelaysFollowTheGlobalTick",
         [](Animator& a) {
             a.SetFrameCount(2);
             a.SetFrameDelay(2, 0);
             a.SetFrameDelay(5, 1);
         },
         "0 1 1 1 0 1 1 1 1 0"},
        {"ReverseFromTheLastFrame",
         [](Animator& a) {
             a.SetFrameCount(4);
             a.SetDirection(-1, true);
         },
         "2 1 0 3 2 1"},
        {"RangeTwoToFive",
         [](Animator& a) {
             a.SetFrameCount(10);
             a.SetFrameRange(2, 5);
         },
         "3 4 2 3 4 2"},
        {"ReverseInARange",
         [](Animator& a) {
             a.SetFrameCount(10);
             a.SetFrameRange(2, 5);
             a.SetDirection(-1, true);
         },
         "3 2 4 3 2 4"},
        {"PingPongShowsEachEndOnce",
         [](Animator& a) {
             a.SetFrameCount(4);
             a.pingPong = true;
         },
         "1 2 3 2 1 0 1 2 3 2"},
        {"PingPongUsesTheWholeStripForItsFirstTwoLoops",
         [](Animator& a) {
             a.SetFrameCount(6);
             a.pingPong = true;
             a.SetFrameRange(0, 3);
         },
         "1 2 3 4 5 4 3 2 1 0 1 2 1 0 1"},
        {"OnceStopsOnTheFirstFrame",
         [](Animator& a) {
             a.SetFrameCount(4);
             a.SetMaxLoops(1);
         },
         "1 2 3 0 0 0"},
        {"PingPongWithTwoLoopsStopsAtTheFarEnd",
         [](Animator& a) {
             a.SetFrameCount(4);
             a.pingPong = true;
             a.SetMaxLoops(2);
         },
         "1 2 3 2 2 2"},
        {"PingPongWithOneLoopStopsAtTheStart",
         [](Animator& a) {
             a.SetFrameCount(4);
             a.pingPong = true;
             a.SetMaxLoops(1);
         },
         "0 0 0"},
        {"UpdateLimitFreezesTheFrame",
         [](Animator& a) {
             a.SetFrameCount(4);
             a.SetMaxUpdates(3);
         },
         "1 2 2 2"},
        {"StoppedHoldsTheFrame",
         [](Animator& a) {
             a.SetFrameCount(4);
             a.SetStopped(true);
         },
         "0 0 0"},
        {"SingleFrameStaysOnFrameZero", [](Animator&) {}, "0 0 0"},
        {"DelayBelowOneActsAsOne",
         [](Animator& a) {
             a.SetFrameCount(3);
             a.SetAllFrameDelays(0);
             a.SetFrameDelay(-4, 1);
         },
         "1 2 0 1"},
    };
    for (const PlayCase& c : cases) {
        SCOPED_TRACE(c.name);
        Animator animator;
        c.setUp(animator);
        int updates = int(std::count(c.frames.begin(), c.frames.end(), ' ')) + 1;
        EXPECT_EQ(Frames(animator, updates), c.frames);
    }
}

TEST(AnimatorTest, LoopsAreCountedAtTheTurns)
{
    Animator animator;
    animator.SetFrameCount(4);
    animator.pingPong = true;
    std::string loops;
    for (int i = 0; i < 8; ++i) {
        animator.Update();
        loops += std::to_string(animator.loopCount);
    }
    // Going back starts on, so the first step turns at frame 0 and counts a loop.
    EXPECT_EQ(loops, "11122233");
}

TEST(AnimatorTest, OnceAnimationReportsStoppedAndFinished)
{
    Animator animator;
    animator.SetFrameCount(3);
    animator.SetMaxLoops(1);
    Frames(animator, 2);
    EXPECT_FALSE(animator.stopped);
    Frames(animator, 1);
    EXPECT_TRUE(animator.stopped);
    EXPECT_TRUE(animator.finished);
    animator.SetStopped(false);
    EXPECT_EQ(Frames(animator, 2), "0 0");
    animator.Restart();
    EXPECT_EQ(animator.loopCount, 1);
    EXPECT_EQ(Frames(animator, 3), "1 2 0");
    EXPECT_TRUE(animator.stopped);
    animator.Reset();
    EXPECT_EQ(animator.loopCount, 0);
    EXPECT_FALSE(animator.finished);
    EXPECT_EQ(Frames(animator, 3), "1 2 0");
}

TEST(AnimatorTest, RandomOrderShowsEveryFrameOncePerLoop)
{
    SeedRandomMT(1234);
    Animator animator;
    animator.SetFrameCount(4);
    animator.SetRandomOrder(true);
    for (int loop = 0; loop < 5; ++loop) {
        std::set<int> shown;
        for (int i = 0; i < 4; ++i) {
            animator.Update();
            shown.insert(animator.currentFrame);
            EXPECT_EQ(animator.loopCount, loop) << "step " << i;
        }
        EXPECT_EQ(shown, (std::set<int>{0, 1, 2, 3}));
        EXPECT_TRUE(animator.randomPool.empty());
    }
}

TEST(AnimatorTest, RandomOrderStopsAfterItsLoops)
{
    Animator animator;
    animator.SetFrameCount(3);
    animator.SetRandomOrder(true);
    animator.SetMaxLoops(1);
    Frames(animator, 3);
    EXPECT_FALSE(animator.stopped);
    animator.Update();
    EXPECT_TRUE(animator.stopped);
    EXPECT_EQ(animator.randomPool.size(), 2u);
}

TEST(AnimatorTest, FrameChangedIsTakenOnce)
{
    Animator animator;
    animator.SetFrameCount(2);
    EXPECT_TRUE(animator.TakeFrameChanged());
    EXPECT_FALSE(animator.TakeFrameChanged());
    animator.SetAllFrameDelays(2);
    animator.Update();
    EXPECT_FALSE(animator.TakeFrameChanged());
    animator.Update();
    EXPECT_TRUE(animator.TakeFrameChanged());
    EXPECT_FALSE(animator.TakeFrameChanged());
    Animator single;
    single.Update();
    EXPECT_FALSE(single.TakeFrameChanged());
}

TEST(AnimatorTest, ImageGivesFramesDelaysAndPlayMode)
{
    AnimatedImage once(4, ImageAnimation::TypeOnce, 2);
    Animator animator;
    animator.SetImage(&once.image);
    EXPECT_EQ(animator.image, &once.image);
    EXPECT_EQ(animator.frameCount, 4);
    EXPECT_EQ(animator.defaultDelay, 2);
    EXPECT_EQ(animator.maxLoops, 1);
    EXPECT_EQ(Frames(animator, 10), "0 1 1 2 2 3 3 0 0 0");

    AnimatedImage pingPong(3, ImageAnimation::TypePingPong, 1, {4, 1, 2});
    Animator bouncing;
    bouncing.SetImage(&pingPong.image);
    EXPECT_TRUE(bouncing.pingPong);
    EXPECT_EQ(bouncing.frameDelays, (std::vector<int>{4, 1, 2}));
    EXPECT_EQ(bouncing.defaultDelay, 2);
    // Frame 0 lasts until tick 4, frame 1 one tick, frame 2 until the next even tick.
    EXPECT_EQ(Frames(bouncing, 9), "0 0 0 1 2 1 0 1 2");

    AnimatedImage loop(2, ImageAnimation::TypeLoop, 3);
    Animator looping;
    looping.SetImage(&loop.image);
    EXPECT_FALSE(looping.pingPong);
    EXPECT_EQ(looping.maxLoops, 0);
    looping.SetImage(nullptr);
    EXPECT_EQ(looping.image, nullptr);
}

TEST(AnimatorTest, SettersThatChooseTheFrame)
{
    Animator animator;
    animator.SetFrameCount(5);
    animator.SetFrame(3);
    animator.SetDirection(-1, false);
    EXPECT_EQ(animator.currentFrame, 3);
    animator.SetFrameCount(6);
    EXPECT_EQ(animator.currentFrame, 5);
    animator.SetFrameRange(1, 4);
    EXPECT_EQ(animator.currentFrame, 1);
    animator.Restart();
    EXPECT_EQ(animator.currentFrame, 3);
    animator.SetDirection(1, true);
    EXPECT_EQ(animator.currentFrame, 1);
    animator.Reset();
    EXPECT_FALSE(animator.rangeActive);
    EXPECT_EQ(animator.rangeEnd, 6);
    EXPECT_EQ(animator.currentFrame, 0);
    animator.SetDirection(-1, true);
    EXPECT_EQ(animator.currentFrame, 5);
}

TEST(AnimatorTest, BackwardRestartWithoutARangeStartsOnTheLastFrame)
{
    Animator animator;
    animator.SetFrameCount(4);
    animator.SetDirection(-1, false);
    animator.Restart();
    EXPECT_EQ(animator.currentFrame, 3);
}

TEST(AnimatorTest, OutOfRangeSettingsAreHarmless)
{
    Animator animator;
    animator.SetFrameCount(0);
    EXPECT_EQ(animator.frameCount, 1);
    animator.SetFrameDelay(7, 5);
    animator.SetFrameDelay(7, -1);
    EXPECT_EQ(animator.defaultDelay, 1);
    animator.SetRandomOrder(true);
    animator.SetRandomFrame();
    EXPECT_EQ(animator.currentFrame, 0);
    animator.SetFrameCount(4);
    animator.SetFrameRange(2, 2);
    animator.SetRandomFrame();
    EXPECT_EQ(animator.currentFrame, 2);
    animator.SetFrameRange(1, 3);
    for (int i = 0; i < 20; ++i) {
        animator.SetRandomFrame();
        EXPECT_TRUE(animator.currentFrame == 1 || animator.currentFrame == 2);
    }
    animator.SetFrame(17);
    animator.frameDelays = {1, 2};
    Frames(animator, 3);
}

TEST(AnimatorTest, AssignTakesTheSettingsButNotTheFrame)
{
    AnimatedImage strip(5, ImageAnimation::TypeNone, 1);
    strip.image.animation.reset();
    Animator source;
    source.SetImage(&strip.image);
    source.SetAllFrameDelays(4);
    source.SetFrameRange(1, 4);
    source.SetDirection(-1, true);
    source.SetMaxLoops(3);
    source.SetTint(1, 2, 3, 4);
    source.drawOffsetX = 2.5f;
    source.drawOffsetY = -1;
    source.Update();
    source.Update();
    source.SetRandomOrder(true);
    Animator copy;
    copy.Assign(source);
    EXPECT_EQ(copy.image, &strip.image);
    EXPECT_EQ(copy.tickCount, 2);
    EXPECT_EQ(copy.defaultDelay, 4);
    EXPECT_EQ(copy.frameCount, 5);
    EXPECT_TRUE(copy.rangeActive);
    EXPECT_EQ(copy.rangeStart, 1);
    EXPECT_EQ(copy.rangeEnd, 4);
    EXPECT_EQ(copy.GetDirection(), -1);
    EXPECT_EQ(copy.maxLoops, 3);
    EXPECT_TRUE(copy.tintOn);
    EXPECT_TRUE(ColorEquals(copy.tintColor, Color(1, 2, 3, 4)));
    EXPECT_EQ(copy.drawOffsetX, 2.5f);
    EXPECT_EQ(copy.drawOffsetY, -1);
    EXPECT_EQ(copy.currentFrame, 0);
    EXPECT_FALSE(copy.randomOrder);
    EXPECT_TRUE(copy.randomPool.empty());
    copy.Assign(copy);
    EXPECT_EQ(copy.image, &strip.image);
}

// A 2 x 2 grid of 3 x 3 frames in four colours, drawn frame by frame onto a clear canvas.
class AnimatorDrawTest : public ::testing::Test
{
protected:
    MemoryImage sheet;
    MemoryImage canvas;
    Graphics g{&canvas};
    static constexpr uint32_t kColours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};

    void SetUp() override
    {
        std::vector<uint32_t> pixels(36);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 6; ++x) {
                pixels[std::size_t(y * 6 + x)] = kColours[(y / 3) * 2 + x / 3];
            }
        }
        sheet.SetBits(pixels.data(), 6, 6, true);
        sheet.numCols = 2;
        sheet.numRows = 2;
        sheet.numFrames = 4;
        canvas.Create(20, 20);
        canvas.GetBits();
        g.ResetClip();
    }

    uint32_t Pixel(int x, int y) { return canvas.GetBits()[y * 20 + x]; }

    // The blend may take one level off a full channel; the frames' colours are far apart.
    static bool Shows(uint32_t pixel, uint32_t colour)
    {
        for (int shift = 0; shift <= 16; shift += 8) {
            if (std::abs(int(pixel >> shift & 0xFF) - int(colour >> shift & 0xFF)) > 2) {
                return false;
            }
        }
        return pixel >> 24 != 0;
    }
};

TEST_F(AnimatorDrawTest, DrawShowsTheCurrentGridCellAtThePositionPlusTheOffset)
{
    Animator animator;
    animator.SetImage(&sheet);
    animator.SetFrame(2);
    animator.drawOffsetX = 1.9f;
    animator.drawOffsetY = 3;
    animator.Draw(g, 5, 6);
    // Frame 2 is column 0 of row 1, drawn at (trunc(5 + 1.9), 6 + 3) = (6, 9).
    EXPECT_EQ(Pixel(5, 9), 0u);
    EXPECT_EQ(Pixel(6, 8), 0u);
    EXPECT_EQ(Pixel(9, 11), 0u);
    EXPECT_EQ(Pixel(6, 12), 0u);
    EXPECT_TRUE(Shows(Pixel(6, 9), kColours[2]));
    EXPECT_TRUE(Shows(Pixel(8, 11), kColours[2]));
}

TEST_F(AnimatorDrawTest, SingleFrameAnimatorDrawsFrameZero)
{
    Animator animator;
    animator.image = &sheet;
    animator.SetFrame(3);
    animator.Draw(g, 0, 0);
    EXPECT_TRUE(Shows(Pixel(1, 1), kColours[0]));
}

TEST_F(AnimatorDrawTest, WithoutAnImageNothingIsDrawn)
{
    Animator animator;
    animator.SetTint(255, 0, 0, 255);
    g.SetDrawMode(DrawModeAdditive);
    animator.Draw(g, 0, 0);
    animator.DrawAtF(g, 0, 0, true);
    animator.DrawStretched(g, 0, 0, 5, 5);
    animator.DrawScaled(g, 0, 0, 2);
    animator.DrawRotated(g, 0, 0, 1, true, 0, 0);
    animator.DrawMirrored(g, 0, 0, true);
    animator.DrawTransformed(g, 0, 0, 1, 0, 0, 1, 1);
    EXPECT_EQ(g.drawMode, DrawModeAdditive);
    for (int i = 0; i < 400; ++i) {
        EXPECT_EQ(canvas.GetBits()[i], 0u);
    }
}

TEST_F(AnimatorDrawTest, TintLeavesNormalModeAndTintingOff)
{
    Animator animator;
    animator.SetImage(&sheet);
    animator.SetTint(10, 20, 30, 40);
    g.SetDrawMode(DrawModeAdditive);
    g.SetTintImages(true);
    animator.Draw(g, 0, 0);
    EXPECT_EQ(g.drawMode, DrawModeNormal);
    EXPECT_FALSE(g.tintImages);
    EXPECT_TRUE(ColorEquals(g.GetColor(), Color(10, 20, 30, 40)));
    animator.ClearTint();
    g.SetDrawMode(DrawModeAdditive);
    animator.Draw(g, 0, 0);
    EXPECT_EQ(g.drawMode, DrawModeAdditive);
}

TEST_F(AnimatorDrawTest, ScaledDrawStretchesTheFrame)
{
    Animator animator;
    animator.SetImage(&sheet);
    animator.SetFrame(1);
    animator.DrawScaled(g, 2, 2, 2.0f);
    uint32_t inside = Pixel(4, 4);
    EXPECT_GT(inside >> 8 & 0xFF, 200u);
    EXPECT_LT(inside >> 16 & 0xFF, 50u);
    EXPECT_LT(inside & 0xFF, 50u);
    EXPECT_NE(Pixel(7, 7), 0u);
    EXPECT_EQ(Pixel(8, 8), 0u);
}

} // namespace
