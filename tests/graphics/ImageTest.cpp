// The image base: frame geometry, the fallback bodies of its drawing operations, the animation
// description, and the null image.
#include "graphics/Image.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

using namespace Tolm;

namespace {

// Records the fills that the base operations fall back to.
class FillRecorder : public Image
{
public:
    std::vector<Rect> fills;

    void FillRect(const Rect& rect, const Color&, int) override { fills.push_back(rect); }
};

TEST(ImageTest, FrameGeometryDividesTheImageIntoItsGrid)
{
    Image image;
    image.width = 100;
    image.height = 40;
    image.numCols = 4;
    image.numRows = 2;
    EXPECT_EQ(image.GetFrameWidth(), 25);
    EXPECT_EQ(image.GetFrameHeight(), 20);
    EXPECT_EQ(image.GetFrameRect(5), Rect(25, 20, 25, 20));
    EXPECT_EQ(image.GetFrameRect(0), Rect(0, 0, 25, 20));
    image.numCols = 3;
    EXPECT_EQ(image.GetFrameWidth(), 33);
    EXPECT_EQ(image.GetFrameRect(2), Rect(66, 0, 33, 20));
}

TEST(ImageTest, GridOfNoColumnsOrRowsCountsAsOne)
{
    Image image;
    image.width = 30;
    image.height = 20;
    image.numCols = 0;
    image.numRows = -2;
    EXPECT_EQ(image.GetFrameWidth(), 30);
    EXPECT_EQ(image.GetFrameHeight(), 20);
    EXPECT_EQ(image.GetFrameRect(3), Rect(0, 60, 30, 20));
}

TEST(ImageTest, OutlineIsFourFillsCoveringOneMoreColumnAndRow)
{
    struct Case
    {
        const char* name;
        Rect rect;
        std::vector<Rect> fills;
    } cases[] = {
        {"box", {2, 3, 4, 5}, {{2, 3, 5, 1}, {2, 8, 5, 1}, {2, 4, 1, 4}, {6, 4, 1, 4}}},
        // Top and bottom coincide: a translucent colour lands twice on the one pixel.
        {"point", {10, 10, 0, 0}, {{10, 10, 1, 1}, {10, 10, 1, 1}, {10, 11, 1, -1}, {10, 11, 1, -1}}},
    };
    for (const Case& c : cases) {
        FillRecorder image;
        image.DrawRect(c.rect, Color::White, DrawModeNormal);
        EXPECT_EQ(image.fills, c.fills) << c.name;
    }
}

TEST(ImageTest, SpansAreFilledOneRowRectangleEachInOrder)
{
    FillRecorder image;
    FillSpan spans[] = {{4, 1, 3}, {2, 0, 5}};
    image.FillSpans(spans, 2, Color::White, DrawModeNormal);
    EXPECT_EQ(image.fills, (std::vector<Rect>{{1, 4, 3, 1}, {0, 2, 5, 1}}));
}

TEST(ImageTest, CopyingTheFrameLayoutCopiesTheAnimationDeeply)
{
    Image source;
    source.numCols = 3;
    source.numRows = 2;
    source.numFrames = 5;
    source.animation = std::make_unique<ImageAnimation>();
    source.animation->frameMap = {0, 2, 4};
    Image copy;
    copy.CopyFrameLayout(source);
    EXPECT_EQ(copy.numCols, 3);
    EXPECT_EQ(copy.numRows, 2);
    EXPECT_EQ(copy.numFrames, 5);
    ASSERT_TRUE(copy.animation);
    EXPECT_NE(copy.animation.get(), source.animation.get());
    source.animation->frameMap.push_back(1);
    EXPECT_EQ(copy.animation->frameMap, (std::vector<int>{0, 2, 4}));

    Image plain;
    copy.CopyFrameLayout(plain);
    EXPECT_FALSE(copy.animation);
}

TEST(ImageTest, NullImageDrawsNothing)
{
    Image& image = NullImage();
    image.FillRect(Rect(0, 0, 5, 5), Color::White, DrawModeNormal);
    image.DrawRect(Rect(0, 0, 5, 5), Color::White, DrawModeNormal);
    image.DrawLine(0, 0, 4, 4, Color::White, DrawModeNormal);
    image.Blit(&image, 0, 0, Rect(0, 0, 1, 1), Color::White, DrawModeNormal);
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
    EXPECT_FALSE(image.FillPolygonAccelerated(nullptr, 0, Rect(), Color::White, DrawModeNormal, 0, 0));
    EXPECT_EQ(&NullImage(), &image);
}

struct AnimationCase
{
    const char* name;
    int type;
    int frameDelay;
    std::vector<int> perFrameDelays;
    std::vector<int> frameMap;
    int frames, first, last;
    int numFrames;
    std::vector<int> expectedDelays;
    std::vector<int> expectedMap;
    int totalDuration;
    int expectedFrameDelay;
};

TEST(ImageAnimationTest, ComputeCompletesTheDescription)
{
    using T = ImageAnimation;
    AnimationCase cases[] = {
        {"ping-pong over four", T::TypePingPong, 5, {}, {}, 4, 0, 0, 6, {}, {0, 1, 2, 3, 2, 1}, 30, 5},
        {"ping-pong over two", T::TypePingPong, 1, {}, {}, 2, 0, 0, 2, {}, {0, 1}, 2, 1},
        {"ping-pong over one builds no map", T::TypePingPong, 1, {}, {}, 1, 0, 0, 1, {}, {}, 1, 1},
        {"ping-pong replaces a given map", T::TypePingPong, 1, {}, {9, 9}, 3, 0, 0, 4, {}, {0, 1, 2, 1}, 4, 1},
        {"zero delays take the frame delay", T::TypeLoop, 2, {3, 0, 5}, {}, 3, 0, 0, 3, {3, 2, 5}, {}, 10, 2},
        {"first delay replaces the first", T::TypeLoop, 2, {3, 0, 5}, {}, 3, 7, 0, 3, {7, 2, 5}, {}, 14, 2},
        {"last delay grows the list", T::TypeOnce, 4, {}, {}, 3, 0, 9, 3, {4, 4, 9}, {}, 17, 4},
        {"first delay alone", T::TypeOnce, 4, {}, {}, 3, 6, 0, 3, {6, 4, 4}, {}, 14, 4},
        {"extra delays dropped", T::TypeLoop, 1, {2, 2, 2, 2}, {}, 2, 0, 0, 2, {2, 2}, {}, 4, 1},
        {"a map sets the frame count", T::TypeLoop, 3, {}, {0, 0, 1, 1, 2}, 3, 0, 0, 5, {}, {0, 0, 1, 1, 2}, 15, 3},
        {"bad counts and delays become one", T::TypeNone, 0, {}, {}, 0, 0, 0, 1, {}, {}, 1, 1},
        {"a total past the int range stops at its end",
         T::TypeLoop,
         1,
         {INT_MAX, 7},
         {},
         2,
         0,
         0,
         2,
         {INT_MAX, 7},
         {},
         INT_MAX,
         1},
        {"so does frames times delay", T::TypeLoop, INT_MAX, {}, {}, 3, 0, 0, 3, {}, {}, INT_MAX, INT_MAX},
    };
    for (const AnimationCase& c : cases) {
        ImageAnimation animation;
        animation.type = c.type;
        animation.frameDelay = c.frameDelay;
        animation.perFrameDelays = c.perFrameDelays;
        animation.frameMap = c.frameMap;
        animation.Compute(c.frames, c.first, c.last);
        EXPECT_EQ(animation.numFrames, c.numFrames) << c.name;
        EXPECT_EQ(animation.perFrameDelays, c.expectedDelays) << c.name;
        EXPECT_EQ(animation.frameMap, c.expectedMap) << c.name;
        EXPECT_EQ(animation.totalDuration, c.totalDuration) << c.name;
        EXPECT_EQ(animation.frameDelay, c.expectedFrameDelay) << c.name;
    }
}

TEST(ImageAnimationTest, AssignCopiesEveryField)
{
    ImageAnimation source;
    source.type = ImageAnimation::TypeLoop;
    source.frameDelay = 3;
    source.numFrames = 2;
    source.perFrameDelays = {1, 2};
    source.frameMap = {1, 0};
    source.totalDuration = 3;
    ImageAnimation copy;
    copy.Assign(source);
    EXPECT_EQ(copy.type, source.type);
    EXPECT_EQ(copy.frameDelay, 3);
    EXPECT_EQ(copy.numFrames, 2);
    EXPECT_EQ(copy.perFrameDelays, source.perFrameDelays);
    EXPECT_EQ(copy.frameMap, source.frameMap);
    EXPECT_EQ(copy.totalDuration, 3);
}

} // namespace
