// System fonts: the pixel size asked for a point size, metrics, copies without shadow and bold, the
// combination of the renderings over white and over black, and where and how the text is drawn.
#include "graphics/SysFont.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/FontFace.h"

#include <gtest/gtest.h>
#include <thread>

using namespace Tolm;

namespace {

TEST(SysFontTest, PointSizeBecomesTheCharacterHeightAtNinetySixDotsPerInch)
{
    struct Case
    {
        int points;
        int pixels;
    } cases[] = {
        // 10 x 96 / 72 = 13.33 and 8 x 96 / 72 = 10.67, to the nearest pixel.
        {10, 13}, {8, 11}, {9, 12}, {12, 16}, {14, 19},
    };
    for (const Case& c : cases) {
        SysFont font("DejaVu Sans", c.points, false, false, false);
        ASSERT_NE(font.fontHandle, nullptr);
        EXPECT_EQ(font.fontHandle->GetRequest().pixelHeight, c.pixels) << c.points;
        std::unique_ptr<SysFont> forApp =
            SysFont::SysFontForApp(nullptr, "DejaVu Sans", c.points, 0, false, false, false);
        EXPECT_EQ(forApp->fontHandle->GetRequest().pixelHeight, c.pixels) << c.points;
    }
}

TEST(SysFontTest, MetricsAreTheFacesAscentAndCell)
{
    SysFont font("DejaVu Sans", 10, false, false, false);
    EXPECT_EQ(font.GetAscent(), 12);
    EXPECT_EQ(font.GetHeight(), 15);
    EXPECT_EQ(font.GetDescent(), 3);
    EXPECT_EQ(font.GetAscentPadding(), 0);
    EXPECT_EQ(font.GetLineSpacing(), 15);
    EXPECT_FALSE(font.shadow);
    EXPECT_FALSE(font.simulatedBold);
}

TEST(SysFontTest, CopyDrawsWithoutShadowOrSimulatedBold)
{
    SysFont font("DejaVu Sans", 14, true, false, false);
    font.shadow = true;
    font.simulatedBold = true;
    std::unique_ptr<Font> clone = font.Clone();
    auto* copy = dynamic_cast<SysFont*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->shadow);
    EXPECT_FALSE(copy->simulatedBold);
    EXPECT_EQ(copy->GetAscent(), font.GetAscent());
    EXPECT_EQ(copy->GetHeight(), font.GetHeight());
    ASSERT_NE(copy->fontHandle, nullptr);
    EXPECT_NE(copy->fontHandle.get(), font.fontHandle.get());
    EXPECT_TRUE(copy->fontHandle->GetRequest().bold);
    EXPECT_EQ(copy->StringWidth("Copy"), font.StringWidth("Copy"));
}

TEST(SysFontTest, WidthIsTheSumOfTheCharacters)
{
    SysFont font("DejaVu Sans", 10, false, false, false);
    EXPECT_EQ(font.StringWidth(""), 0);
    EXPECT_EQ(font.StringWidth("ab"), font.CharWidth('a') + font.CharWidth('b'));
    EXPECT_GT(font.CharWidth('W'), font.CharWidth('i'));
    EXPECT_GT(font.CharWidth('\x80'), 0);
    EXPECT_GT(font.CharWidth('\xE9'), 0);
    EXPECT_EQ(font.CharWidthKerned('V', 'A'), font.CharWidth('V'));
}

TEST(SysFontTest, FontThatCannotBeMadeMeasuresAndDrawsNothing)
{
    SysFont font("DejaVu Sans", 0, false, false, false);
    EXPECT_EQ(font.fontHandle, nullptr);
    EXPECT_EQ(font.StringWidth("text"), 0);
    MemoryImage canvas;
    canvas.Create(10, 10);
    canvas.GetBits();
    Graphics g(&canvas);
    font.DrawString(g, 0, 5, "text", Color::White, g.clipRect);
    EXPECT_EQ(font.Clone()->StringWidth("text"), 0);
}

TEST(SysFontTest, RenderingsOverWhiteAndBlackGiveColourAndAlpha)
{
    struct Case
    {
        const char* name;
        uint32_t overWhite;
        uint32_t overBlack;
        uint32_t combined;
    } cases[] = {
        {"SameOverBothIsOpaque", 0x123456, 0x123456, 0xFF123456},
        {"UntouchedIsClear", 0xFFFFFF, 0x000000, 0x00000000},
        {"FullyCoveredRed", 0xFF0000, 0xFF0000, 0xFFFF0000},
        {"HalfCoveredBlack", 0x808080, 0x000000, 0x7F000000},
        {"HalfCoveredRed", 0xFF7F7F, 0x800000, 0x80FF0000},
        {"SmallestChannelAlphaWins", 0xFFC080, 0x804000, 0x7FFF8000},
        {"TopByteIsIgnored", 0xABFFFFFF, 0xCD000000, 0x00000000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SysFont::CombineRenderings(c.overWhite, c.overBlack), c.combined) << c.name;
    }
}

class SysFontDrawTest : public ::testing::Test
{
protected:
    SysFont font{"DejaVu Sans", 14, false, false, false};
    MemoryImage canvas;
    Graphics g{&canvas};

    void SetUp() override
    {
        canvas.Create(160, 50);
        canvas.GetBits();
        g.ResetClip();
        g.SetFont(&font);
    }

    uint32_t Pixel(int x, int y) { return canvas.GetBits()[y * 160 + x]; }

    // The box holding every drawn pixel: left, top, right and bottom, inclusive; left > right when empty.
    Rect DrawnBox()
    {
        int left = 160, top = 50, right = -1, bottom = -1;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 160; ++x) {
                if (Pixel(x, y) >> 24 != 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        return Rect(left, top, right, bottom);
    }
};

TEST_F(SysFontDrawTest, TextSitsOnTheBaselineInsideItsCell)
{
    g.SetColor(Color(200, 30, 0));
    g.DrawString("Hello", 10, 30);
    Rect box = DrawnBox();
    int width = font.StringWidth("Hello");
    EXPECT_GE(box.x, 10);
    EXPECT_LT(box.width, 10 + width);
    EXPECT_GE(box.y, 30 - font.GetAscent());
    // No descender in "Hello": nothing below the baseline.
    EXPECT_LT(box.height, 30);
    EXPECT_GE(box.height, 28);
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 160; ++x) {
            uint32_t pixel = Pixel(x, y);
            // The blit onto the canvas may take one level off a channel.
            if (pixel >> 24 == 0xFF) {
                EXPECT_NEAR(int(pixel >> 16 & 0xFF), 200, 1) << x << "," << y;
                EXPECT_NEAR(int(pixel >> 8 & 0xFF), 30, 1) << x << "," << y;
                EXPECT_EQ(pixel & 0xFF, 0u) << x << "," << y;
            }
        }
    }
}

TEST_F(SysFontDrawTest, TranslationMovesTheText)
{
    g.DrawString("Hg", 10, 30);
    Rect first = DrawnBox();
    canvas.Create(160, 50);
    canvas.GetBits();
    g.Translate(7, -4);
    g.DrawString("Hg", 10, 30);
    Rect moved = DrawnBox();
    EXPECT_EQ(moved, Rect(first.x + 7, first.y - 4, first.width + 7, first.height - 4));
}

TEST_F(SysFontDrawTest, ColourAlphaIsIgnored)
{
    g.SetColor(Color(0, 0, 255, 0));
    g.DrawString("Blue", 5, 30);
    EXPECT_GE(DrawnBox().width, 5);
}

TEST_F(SysFontDrawTest, ShadowIsBlackOnePixelDownRight)
{
    font.shadow = true;
    g.SetColor(Color(255, 255, 255));
    g.DrawString("I", 20, 30);
    bool blackBelowRight = false;
    for (int y = 1; y < 50; ++y) {
        for (int x = 1; x < 160; ++x) {
            uint32_t pixel = Pixel(x, y);
            uint32_t aboveLeft = Pixel(x - 1, y - 1);
            bool black = pixel >> 24 == 0xFF && (pixel & 0xFFFFFF) == 0;
            bool white = aboveLeft >> 24 == 0xFF && (aboveLeft & 0xF0F0F0) == 0xF0F0F0;
            if (black && white) {
                blackBelowRight = true;
            }
        }
    }
    EXPECT_TRUE(blackBelowRight);
}

TEST_F(SysFontDrawTest, UnderlineRunsUnderTheWholeText)
{
    SysFont underlined("DejaVu Sans", 14, false, false, true);
    g.SetFont(&underlined);
    g.SetColor(Color(0, 0, 0));
    g.DrawString("a b", 10, 30);
    int width = underlined.StringWidth("a b");
    bool fullRow = false;
    for (int y = 30; y < 50 && !fullRow; ++y) {
        fullRow = true;
        for (int x = 10; x < 10 + width; ++x) {
            fullRow = fullRow && Pixel(x, y) == 0xFF000000;
        }
    }
    EXPECT_TRUE(fullRow);
}

TEST_F(SysFontDrawTest, EmptyTextAndNullImageDrawNothing)
{
    g.DrawString("", 10, 30);
    EXPECT_GT(DrawnBox().x, DrawnBox().width);
    Graphics nowhere;
    nowhere.SetFont(&font);
    nowhere.DrawString("text", 0, 10);
}

} // namespace

namespace {

// Fonts are made on the loading thread while the main thread draws with others.
TEST(SysFontThreadTest, FontsAreMadeOnOneThreadWhileAnotherDraws)
{
    SysFont drawing("DejaVu Sans", 12, false, false, false);
    int width = drawing.StringWidth("Loading");
    std::thread loader([] {
        for (int points = 6; points < 30; ++points) {
            SysFont made("DejaVu Sans", points, points % 2 == 0, false, false);
            EXPECT_GT(made.StringWidth("Loading"), 0);
        }
    });
    MemoryImage canvas;
    canvas.Create(100, 30);
    Graphics g(&canvas);
    g.SetFont(&drawing);
    for (int i = 0; i < 50; ++i) {
        g.DrawString("Loading", 0, 20);
        EXPECT_EQ(drawing.Clone()->StringWidth("Loading"), width);
    }
    loader.join();
}

} // namespace
