// The drawing context: its defaults, saved states, alpha multiplier, translation and scale, clipping of
// rectangles and lines, and what it hands to the destination image.
#include "graphics/Graphics.h"

#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

// A destination that records the operations the context sends it.
class RecordingImage : public Image
{
public:
    std::vector<std::string> calls;

    RecordingImage(int w, int h)
    {
        width = w;
        height = h;
    }

    static std::string Describe(const Rect& r)
    {
        return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
               std::to_string(r.height);
    }

    void FillRect(const Rect& rect, const Color& color, int drawMode) override
    {
        calls.push_back("fill " + Describe(rect) + " a" + std::to_string(color.alpha) + " m" +
                        std::to_string(drawMode));
    }

    void DrawRect(const Rect& rect, const Color&, int) override { calls.push_back("rect " + Describe(rect)); }

    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int) override
    {
        calls.push_back("line " + std::to_string(int(x1)) + "," + std::to_string(int(y1)) + " " +
                        std::to_string(int(x2)) + "," + std::to_string(int(y2)) + " a" + std::to_string(color.alpha));
    }
};

TEST(GraphicsTest, NewContextHasTheDefaults)
{
    RecordingImage image(30, 20);
    Graphics g(&image);
    EXPECT_EQ(g.destImage, &image);
    EXPECT_EQ(g.transX, 0);
    EXPECT_EQ(g.transY, 0);
    EXPECT_EQ(g.scaleX, 1);
    EXPECT_EQ(g.scaleY, 1);
    EXPECT_EQ(g.scaleOrigX, 0);
    EXPECT_EQ(g.clipRect, Rect(0, 0, 30, 20));
    EXPECT_TRUE(ColorEquals(g.GetColor(), Color(0, 0, 0, 255)));
    EXPECT_EQ(g.GetFont(), nullptr);
    EXPECT_EQ(g.drawMode, DrawModeNormal);
    EXPECT_FALSE(g.tintImages);
    EXPECT_FALSE(g.fastStretch);
    EXPECT_TRUE(g.colorCodes);
    EXPECT_FALSE(g.bilinear);
    EXPECT_EQ(g.alphaMultiplier, 1.0f);
}

TEST(GraphicsTest, ContextWithoutDestinationDrawsOnTheNullImage)
{
    Graphics g;
    EXPECT_EQ(g.destImage, &NullImage());
    EXPECT_EQ(g.clipRect, Rect(0, 0, 0, 0));
    g.SetColor(Color::White);
    g.FillRect(0, 0, 10, 10);
    g.DrawRect(0, 0, 10, 10);
    g.DrawLine(0, 0, 10, 10);
    EXPECT_EQ(NullImage().GetWidth(), 0);
}

TEST(GraphicsTest, PoppedStateRestoresEveryFieldAndAnEmptyStackKeepsTheCurrentOne)
{
    RecordingImage first(10, 10), second(20, 20);
    Graphics g(&first);
    g.PopState();
    EXPECT_EQ(g.destImage, &first);

    g.SetColor(Color(1, 2, 3, 4));
    g.PushState();
    g.destImage = &second;
    g.Translate(5, 6);
    g.SetScale(2, 2, 0, 0);
    g.IntersectClip(0, 0, 3, 3);
    g.SetColor(Color(9, 9, 9));
    g.SetDrawMode(DrawModeAdditive);
    g.SetTintImages(true);
    g.SetFastStretch(true);
    g.SetBilinear(true);
    g.colorCodes = false;
    g.SetAlphaMultiplier(0.5f);
    g.PopState();
    EXPECT_EQ(g.destImage, &first);
    EXPECT_EQ(g.transX, 0);
    EXPECT_EQ(g.scaleX, 1);
    EXPECT_EQ(g.clipRect, Rect(0, 0, 10, 10));
    EXPECT_TRUE(ColorEquals(g.GetColor(), Color(1, 2, 3, 4)));
    EXPECT_EQ(g.drawMode, DrawModeNormal);
    EXPECT_FALSE(g.tintImages || g.fastStretch || g.bilinear);
    EXPECT_TRUE(g.colorCodes);
    EXPECT_EQ(g.alphaMultiplier, 1.0f);
    g.PopState();
    EXPECT_TRUE(ColorEquals(g.GetColor(), Color(1, 2, 3, 4)));
}

TEST(GraphicsTest, CopiesTakeTheStateButNotTheStack)
{
    RecordingImage image(10, 10);
    Graphics g(&image);
    g.Translate(3, 4);
    g.PushState();
    g.Translate(1, 1);
    Graphics copy(g);
    EXPECT_EQ(copy.transX, 4);
    copy.PopState();
    EXPECT_EQ(copy.transX, 4);
    std::unique_ptr<Graphics> clone = g.Clone();
    EXPECT_EQ(clone->transY, 5);
    g.PopState();
    EXPECT_EQ(g.transX, 3);
}

TEST(GraphicsTest, AlphaMultiplierTruncatesAtEveryStep)
{
    Graphics g;
    g.SetAlphaMultiplier(0.5f);
    g.SetColor(Color(10, 20, 30, 255));
    EXPECT_EQ(g.GetColor().alpha, 127);
    g.SetAlphaMultiplier(1.0f);
    EXPECT_EQ(g.GetColor().alpha, 254);
    g.SetAlphaMultiplier(0.25f);
    EXPECT_EQ(g.GetColor().alpha, 63);
    g.SetAlphaMultiplier(0.5f);
    EXPECT_EQ(g.GetColor().alpha, 126);
    EXPECT_EQ(g.GetColor().red, 10);
}

TEST(GraphicsTest, FillsAreTranslatedScaledAndClipped)
{
    struct Case
    {
        const char* name;
        float translateX, translateY;
        float scale;
        Rect clip;
        Rect fill;
        std::string expected;
    } cases[] = {
        {"translated", 5, 6, 1, {0, 0, 100, 100}, {1, 2, 3, 4}, "fill 6,8,3,4 a255 m0"},
        {"scaled about the translated origin",
         100,
         50,
         2,
         {0, 0, 200, 200},
         {10, 10, 5, 5},
         "fill 120,70,10,10 a255 m0"},
        {"clipped", 0, 0, 1, {0, 0, 10, 10}, {-5, 8, 20, 20}, "fill 0,8,10,2 a255 m0"},
        {"clipped away still calls", 0, 0, 1, {0, 0, 10, 10}, {20, 20, 5, 5}, "fill 0,0,0,0 a255 m0"},
        {"fractional translation truncates toward zero",
         -0.5f,
         0.5f,
         1,
         {-10, -10, 100, 100},
         {0, 0, 2, 2},
         "fill 0,0,2,2 a255 m0"},
        {"half scale floors the position and the size",
         0,
         0,
         0.5f,
         {0, 0, 100, 100},
         {3, 3, 3, 3},
         "fill 1,1,1,1 a255 m0"},
    };
    for (const Case& c : cases) {
        RecordingImage image(200, 200);
        Graphics g(&image);
        g.clipRect = c.clip;
        g.TranslateF(c.translateX, c.translateY);
        if (c.scale != 1) {
            g.SetScale(c.scale, c.scale, 0, 0);
        }
        g.FillRect(c.fill.x, c.fill.y, c.fill.width, c.fill.height);
        EXPECT_EQ(image.calls, std::vector<std::string>{c.expected}) << c.name;
    }
}

TEST(GraphicsTest, ClearFillDoesNothingButAClearLineStillReachesTheDestination)
{
    RecordingImage image(10, 10);
    Graphics g(&image);
    g.SetColor(Color(255, 0, 0, 0));
    g.FillRect(0, 0, 5, 5);
    g.DrawRect(0, 0, 5, 5);
    EXPECT_TRUE(image.calls.empty());
    g.DrawLine(1, 1, 4, 2);
    EXPECT_EQ(image.calls, std::vector<std::string>{"line 1,1 4,2 a0"});
}

TEST(GraphicsTest, OutlineInsideTheClipGoesToTheDestinationElseBecomesFourFills)
{
    RecordingImage inside(20, 20);
    Graphics g(&inside);
    g.clipRect = Rect(0, 0, 11, 11);
    g.DrawRect(0, 0, 10, 10);
    EXPECT_EQ(inside.calls, std::vector<std::string>{"rect 0,0,10,10"});

    RecordingImage cut(20, 20);
    Graphics h(&cut);
    h.clipRect = Rect(0, 0, 11, 10);
    h.DrawRect(0, 0, 10, 10);
    EXPECT_EQ(cut.calls, (std::vector<std::string>{"fill 0,0,11,1 a255 m0", "fill 0,10,11,0 a255 m0",
                                                   "fill 0,1,1,9 a255 m0", "fill 10,1,1,9 a255 m0"}));
}

TEST(GraphicsTest, OutlineOnAMemoryImageCoversOneMoreColumnAndRow)
{
    MemoryImage image;
    image.Create(6, 6);
    Graphics g(&image);
    g.SetColor(Color(255, 0, 0));
    g.DrawRect(1, 1, 3, 2);
    uint32_t* pixels = image.GetBits();
    int count = 0;
    for (int i = 0; i < 36; ++i) {
        count += pixels[i] == 0xFFFF0000;
    }
    EXPECT_EQ(count, 10);
    EXPECT_EQ(pixels[1 * 6 + 1], 0xFFFF0000u);
    EXPECT_EQ(pixels[3 * 6 + 4], 0xFFFF0000u);
    EXPECT_EQ(pixels[2 * 6 + 2], 0u);
}

TEST(GraphicsTest, LinesAreCutToTheClip)
{
    struct Case
    {
        const char* name;
        double x1, y1, x2, y2;
        bool kept;
        double cx1, cy1, cx2, cy2;
    } cases[] = {
        {"left end cut", -5, 5, 5, 5, true, 0, 5, 5, 5},
        {"wholly left", -5, 1, -1, 8, false, 0, 0, 0, 0},
        {"right end cut to the last column", 5, 2, 15, 2, true, 5, 2, 9, 2},
        {"diagonal through a corner", -2, -2, 12, 12, true, 0, 0, 9, 9},
        {"below", 1, 10, 8, 12, false, 0, 0, 0, 0},
        {"points come back ordered", 8, 8, 2, 3, true, 2, 3, 8, 8},
    };
    Graphics g;
    g.clipRect = Rect(0, 0, 10, 10);
    for (const Case& c : cases) {
        double x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
        EXPECT_EQ(g.ClipLine(x1, y1, x2, y2), c.kept) << c.name;
        if (c.kept) {
            EXPECT_DOUBLE_EQ(x1, c.cx1) << c.name;
            EXPECT_DOUBLE_EQ(y1, c.cy1) << c.name;
            EXPECT_DOUBLE_EQ(x2, c.cx2) << c.name;
            EXPECT_DOUBLE_EQ(y2, c.cy2) << c.name;
        }
    }
}

TEST(GraphicsTest, LinesAreTranslatedButNotScaled)
{
    RecordingImage image(100, 100);
    Graphics g(&image);
    g.Translate(10, 20);
    g.SetScale(3, 3, 0, 0);
    g.DrawLine(1, 2, 5, 6);
    g.DrawLine(-50, 0, -40, 0);
    EXPECT_EQ(image.calls, std::vector<std::string>{"line 11,22 15,26 a255"});
}

TEST(GraphicsTest, ClipIsNarrowedByTranslatedRectanglesOnly)
{
    Graphics g;
    g.clipRect = Rect(0, 0, 100, 100);
    g.Translate(10, 10);
    g.SetScale(2, 2, 0, 0);
    g.IntersectClip(5, 5, 200, 20);
    EXPECT_EQ(g.clipRect, Rect(15, 15, 85, 20));
    g.IntersectClip(500, 0, 5, 5);
    EXPECT_EQ(g.clipRect, Rect(0, 0, 0, 0));
    RecordingImage image(40, 30);
    Graphics h(&image);
    h.IntersectClip(0, 0, 5, 5);
    h.ResetClip();
    EXPECT_EQ(h.clipRect, Rect(0, 0, 40, 30));
}

TEST(GraphicsTest, WildTranslationsAreSaturatedNotUndefined)
{
    RecordingImage image(10, 10);
    Graphics g(&image);
    g.TranslateF(3e9f, std::numeric_limits<float>::quiet_NaN());
    g.SetColor(Color::White);
    g.FillRect(0, 0, 5, 5);
    ASSERT_EQ(image.calls.size(), 1u);
    EXPECT_EQ(image.calls[0], "fill 0,0,0,0 a255 m0");
}

} // namespace
