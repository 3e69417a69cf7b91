// Image fonts: which layers are active, rescaled glyph images and metrics, kerned measuring, the order
// glyphs are drawn in, their colours, and that the measured width is the drawn width. The glyph images
// are solid blocks, so every position and width follows by hand from the descriptor.
#include "graphics/ImageFont.h"

#include "FontTestSupport.h"
#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <thread>

using namespace Tolm;

namespace {

struct BlitCall
{
    int x;
    int y;
    Rect source;
    Color color;
    int drawMode;
};

// A destination that records the glyph blits it receives.
class RecordingImage : public Image
{
public:
    std::vector<BlitCall> blits;

    RecordingImage()
    {
        width = 400;
        height = 200;
    }

    void Blit(Image*, int x, int y, const Rect& sourceRect, const Color& color, int drawMode) override
    {
        blits.push_back({x, y, sourceRect, color, drawMode});
    }

    std::vector<int> Xs() const
    {
        std::vector<int> xs;
        for (const BlitCall& blit : blits) {
            xs.push_back(blit.x);
        }
        return xs;
    }

    std::vector<int> Reds() const
    {
        std::vector<int> reds;
        for (const BlitCall& blit : blits) {
            reds.push_back(blit.color.red);
        }
        return reds;
    }
};

// The glyph image holds four 10 x 20 blocks: A white, V red, B green, and a clear one. Each glyph
// advances by its block's width.
const std::string kMainLayer = "CreateLayer Main;\n"
                               "LayerSetImage Main 'glyphs.png';\n"
                               "LayerSetImageMap Main ('A', 'V', 'B') ((0, 0, 10, 20), (10, 0, 10, 20), "
                               "(20, 0, 10, 20));\n"
                               "LayerSetCharWidths Main ('A', 'V', 'B') (10, 10, 10);\n"
                               "LayerSetAscent Main 16;\n";

class ImageFontTest : public ::testing::Test
{
protected:
    TempFolder folder;
    PopupRecorder app;
    RecordingImage target;
    Graphics g{&target};

    void SetUp() override
    {
        WriteBlockImage(folder, "glyphs.png", 10, 20, {0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0x00000000});
        g.SetColor(Color::White);
    }

    std::unique_ptr<ImageFont> MakeFont(const std::string& descriptor)
    {
        folder.Write("font.txt", descriptor);
        auto font = std::make_unique<ImageFont>(&app, folder.Path() + "font.txt");
        EXPECT_TRUE(font->fontData->loaded) << (app.popups.empty() ? "" : app.popups.front());
        return font;
    }

    int DrawnWidth(ImageFont& font, const std::string& text, int x = 0, int y = 50)
    {
        int width = -1;
        font.DrawStringWithRects(g, x, y, text, g.GetColor(), g.clipRect, nullptr, &width);
        return width;
    }
};

TEST_F(ImageFontTest, PointRangeChoosesTheLayers)
{
    auto font = MakeFont(kMainLayer + "LayerPointRange Main 10 14;\nSetDefaultPointSize 12;");
    EXPECT_EQ(font->GetPointSize(), 12);
    EXPECT_EQ(font->StringWidth("AV"), 20);
    for (int size : {9, 15}) {
        SCOPED_TRACE(size);
        font->SetPointSize(size);
        EXPECT_EQ(font->StringWidth("AV"), 0);
        EXPECT_EQ(DrawnWidth(*font, "AV"), 0);
        EXPECT_TRUE(target.blits.empty());
    }
    font->SetPointSize(14);
    EXPECT_EQ(font->StringWidth("AV"), 20);
}

TEST_F(ImageFontTest, LowerOrderLayerIsDrawnUnderTheWholeString)
{
    auto font = MakeFont(kMainLayer + "CreateLayerFrom Shadow Main;\n"
                                      "LayerSetBaseOrder Shadow -1;\n"
                                      "LayerSetOffset Shadow (2, 2);\n"
                                      "LayerSetColorMult Shadow 0x80000000;");
    EXPECT_EQ(DrawnWidth(*font, "AV", 10, 30), 20);
    ASSERT_EQ(target.blits.size(), 4u);
    // Shadow A, shadow V, then main A, main V; a glyph's top is the baseline less the ascent.
    EXPECT_EQ(target.Xs(), (std::vector<int>{12, 22, 10, 20}));
    EXPECT_EQ(target.blits[0].y, 30 - 16 + 2);
    EXPECT_EQ(target.blits[2].y, 30 - 16);
    EXPECT_EQ(target.blits[1].source, Rect(10, 0, 10, 20));
    EXPECT_TRUE(ColorEquals(target.blits[0].color, Color(0, 0, 0, 128)));
    EXPECT_TRUE(ColorEquals(target.blits[3].color, Color(255, 255, 255, 255)));
}

TEST_F(ImageFontTest, OrdersBeyondTheRangeShareTheEndBucketsInTheOrderAdded)
{
    auto font = MakeFont(kMainLayer + "LayerSetColorMult Main 0x010000;\n"
                                      "CreateLayerFrom Low1 Main;\nLayerSetBaseOrder Low1 -129;\n"
                                      "LayerSetColorMult Low1 0x020000;\n"
                                      "CreateLayerFrom Low2 Main;\nLayerSetBaseOrder Low2 -200;\n"
                                      "LayerSetColorMult Low2 0x030000;\n"
                                      "CreateLayerFrom High Main;\nLayerSetBaseOrder High 500;\n"
                                      "LayerSetColorMult High 0x040000;\n"
                                      "LayerSetBaseOrder Main 127;\n"
                                      "LayerSetCharOrders Main ('V') (1);");
    DrawnWidth(*font, "AV");
    // Bucket 0 holds Low1 and Low2 glyph by glyph; bucket 255 Main's A (127), High, and Main's V (128).
    EXPECT_EQ(target.Reds(), (std::vector<int>{2, 3, 2, 3, 1, 4, 1, 4}));
    EXPECT_EQ(target.Xs(), (std::vector<int>{0, 0, 10, 10, 0, 0, 10, 10}));
}

// Sums past the int range still land in the end buckets: a layer of the largest base order with a glyph
// order of its own is drawn last, one of the smallest first.
TEST_F(ImageFontTest, OrdersAtTheEndsOfTheIntRangeStayInTheEndBuckets)
{
    auto font = MakeFont(kMainLayer + "LayerSetColorMult Main 0x010000;\n"
                                      "CreateLayerFrom Top Main;\nLayerSetBaseOrder Top 2147483647;\n"
                                      "LayerSetCharOrders Top ('A') (2147483647);\n"
                                      "LayerSetColorMult Top 0x020000;\n"
                                      "CreateLayerFrom Bottom Main;\nLayerSetBaseOrder Bottom -2147483648;\n"
                                      "LayerSetCharOrders Bottom ('A') (-2147483648);\n"
                                      "LayerSetColorMult Bottom 0x030000;");
    DrawnWidth(*font, "A");
    EXPECT_EQ(target.Reds(), (std::vector<int>{3, 1, 2}));
}

TEST_F(ImageFontTest, GlyphOrderPutsOneGlyphOverItsNeighbours)
{
    auto font = MakeFont(kMainLayer + "LayerSetCharOrders Main ('A') (5);");
    DrawnWidth(*font, "AVA");
    EXPECT_EQ(target.Xs(), (std::vector<int>{10, 0, 20}));
}

TEST_F(ImageFontTest, KerningAndSpacingMoveTheNextCharacter)
{
    auto font = MakeFont(kMainLayer + "LayerSetKerningPairs Main ('AV') (-2);\nLayerSetSpacing Main 1;");
    EXPECT_EQ(font->StringWidth("AV"), 9 + 10);
    EXPECT_EQ(font->CharWidthKerned('V', 'A'), 10 - 2 + 1);
    EXPECT_EQ(font->CharWidth('A'), 10);
    std::vector<Rect> rects;
    int width = 0;
    font->DrawStringWithRects(g, 5, 40, "AV", Color::White, g.clipRect, &rects, &width);
    EXPECT_EQ(width, 19);
    EXPECT_EQ(rects, (std::vector<Rect>{Rect(5, 24, 10, 20), Rect(14, 24, 10, 20)}));
    EXPECT_EQ(target.Xs(), (std::vector<int>{5, 14}));
}

TEST_F(ImageFontTest, LayerMadeForTwiceTheSizeIsHalved)
{
    auto font = MakeFont(kMainLayer + "LayerSetPointSize Main 20;\n"
                                      "LayerSetKerningPairs Main ('AV') (-4);\n"
                                      "LayerSetCharOffsets Main ('V') ((2, 0));\n"
                                      "SetDefaultPointSize 10;");
    const ActiveFontLayer& active = *font->activeLayers.at(0);
    ASSERT_TRUE(active.OwnsImage());
    // The glyphs stand side by side in character order: A, B, V.
    EXPECT_EQ(active.image->width, 15);
    EXPECT_EQ(active.image->height, 10);
    EXPECT_EQ(active.glyphRects['A'], Rect(0, 0, 5, 10));
    EXPECT_EQ(active.glyphRects['B'], Rect(5, 0, 5, 10));
    EXPECT_EQ(active.glyphRects['V'], Rect(10, 0, 5, 10));
    EXPECT_TRUE(active.image->HasPalette());
    EXPECT_EQ(font->GetAscent(), 8);
    EXPECT_EQ(font->GetHeight(), 10);
    EXPECT_EQ(font->StringWidth("AV"), 5 - 2 + 5);
    EXPECT_EQ(DrawnWidth(*font, "AV", 0, 30), 8);
    EXPECT_EQ(target.Xs(), (std::vector<int>{0, 3 + 1}));
    EXPECT_EQ(target.blits[0].y, 30 - 8);
    EXPECT_EQ(target.blits[1].source, Rect(10, 0, 5, 10));
}

TEST_F(ImageFontTest, ScaleAppliesToLayersWithoutAPointSize)
{
    auto font = MakeFont(kMainLayer + "LayerSetSpacing Main 1;");
    font->SetScale(1.5);
    EXPECT_EQ(font->StringWidth("AB"), 15 + 1 + 15);
    EXPECT_EQ(font->GetAscent(), 24);
    EXPECT_EQ(DrawnWidth(*font, "AB"), 31);
    EXPECT_EQ(font->activeLayers.at(0)->glyphRects['B'], Rect(15, 0, 15, 30));
}

// Solid glyph blocks as wide as their advance cover exactly the drawn width when nothing kerns them.
TEST_F(ImageFontTest, MeasuredWidthIsTheDrawnWidth)
{
    struct Case
    {
        const char* name;
        std::string extra;
        int pointSize;
        double scale;
        std::string text;
    } cases[] = {
        {"AsMade", "", 0, 1.0, "AVBAB"},
        {"Scaled", "", 0, 1.5, "BAVAB"},
        {"ThirdScale", "", 0, 1.0 / 3, "AAVBB"},
        {"SmallerPointSize", "LayerSetPointSize Main 20;\n", 13, 1.0, "VVAB"},
        {"LargerPointSizeAndScale", "LayerSetPointSize Main 7;\n", 9, 1.25, "ABVA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto font = MakeFont(kMainLayer + c.extra);
        if (c.pointSize) {
            font->SetPointSize(c.pointSize);
        }
        font->SetScale(c.scale);
        MemoryImage canvas;
        canvas.Create(300, 60);
        canvas.GetBits();
        Graphics onCanvas(&canvas);
        onCanvas.SetColor(Color::White);
        int width = -1;
        font->DrawStringWithRects(onCanvas, 7, 40, c.text, Color::White, onCanvas.clipRect, nullptr, &width);
        EXPECT_EQ(font->StringWidth(c.text), width);
        int left = 300;
        int right = -1;
        const uint32_t* pixels = canvas.GetBits();
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 300; ++x) {
                if (pixels[y * 300 + x] >> 24 != 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        EXPECT_EQ(left, 7);
        EXPECT_EQ(right + 1 - left, width);
    }
}

// Every layer lays the character out; the widest of them moves the pen, wherever it stands in the list.
TEST_F(ImageFontTest, TheWidestLayerGivesTheAdvance)
{
    auto font = MakeFont(kMainLayer + "CreateLayerFrom Wide Main;\nLayerSetCharWidths Wide ('A', 'B') (14, 13);\n"
                                      "CreateLayerFrom Narrow Main;\nLayerSetCharWidths Narrow ('A', 'B') (8, 8);");
    EXPECT_EQ(font->CharWidth('A'), 14);
    EXPECT_EQ(font->StringWidth("AB"), 14 + 13);
    EXPECT_EQ(DrawnWidth(*font, "AB"), 14 + 13);
    EXPECT_EQ(target.Xs(), (std::vector<int>{0, 0, 0, 14, 14, 14}));
}

// A line that starts with a colour code draws its empty first segment: in a fading window the image
// font's draw applies the alpha multiplier once more, and the code's colour keeps that fainter alpha.
TEST_F(ImageFontTest, ALineStartingWithACodeIsFainterInAFadingWindow)
{
    auto font = MakeFont(kMainLayer);
    g.SetFont(font.get());
    g.SetAlphaMultiplier(0.5f);
    g.SetColor(Color(255, 255, 255, 200));
    g.DrawTextLine("^FF0000^A", 0, 20, 100, -1);
    ASSERT_EQ(target.blits.size(), 1u);
    // 200 is stored as 100; the empty draw sets it back as 50, the code as 25, the glyph's draw as 12.
    EXPECT_TRUE(ColorEquals(target.blits[0].color, Color(255, 0, 0, 12)));
    g.SetFont(nullptr);
}

TEST_F(ImageFontTest, TagsChooseLayersAndAreStoredUpperCase)
{
    auto font = MakeFont(kMainLayer + "LayerSetColorMult Main 0x010000;\n"
                                      "CreateLayerFrom Bold Main;\n"
                                      "LayerSetColorMult Bold 0x020000;\n"
                                      "LayerRequireTags Bold ('Bold');\n"
                                      "LayerExcludeTags Main ('bold');\n");
    DrawnWidth(*font, "A");
    EXPECT_EQ(target.Reds(), std::vector<int>{1});
    EXPECT_TRUE(font->AddTag("bold"));
    EXPECT_TRUE(font->AddTag("bold"));
    EXPECT_EQ(font->tags, (std::vector<std::string>{"BOLD", "BOLD"}));
    EXPECT_FALSE(font->HasTag("bold"));
    EXPECT_TRUE(font->HasTag("BOLD"));
    EXPECT_FALSE(font->AddTag("BOLD"));
    target.blits.clear();
    DrawnWidth(*font, "A");
    EXPECT_EQ(target.Reds(), std::vector<int>{2});
    EXPECT_TRUE(font->RemoveTag("bold"));
    EXPECT_EQ(font->tags, std::vector<std::string>{"BOLD"});
    EXPECT_TRUE(font->RemoveTag("Bold"));
    EXPECT_FALSE(font->RemoveTag("bold"));
    target.blits.clear();
    DrawnWidth(*font, "A");
    EXPECT_EQ(target.Reds(), std::vector<int>{1});
}

TEST_F(ImageFontTest, LayerColoursMultiplyAddAndClamp)
{
    struct Case
    {
        const char* name;
        std::string mult;
        std::string add;
        Color argument;
        Color drawn;
    } cases[] = {
        {"RedMultiplierMakesWhiteTextRed", "(1, 0, 0, 1)", "(0, 0, 0, 0)", Color::White, Color(255, 0, 0, 255)},
        {"MultiplierScalesTheArgument", "0xFF808080", "(0, 0, 0, 0)", Color(200, 100, 50, 255),
         Color(100, 50, 25, 255)},
        {"AddendIsCappedAt255", "0xFFFFFFFF", "(0.5, 0, 0, 0)", Color(200, 0, 0, 100), Color(255, 0, 0, 100)},
        {"NegativeAddendStopsAtZero", "0xFFFFFFFF", "(-1, 0, 0, 0)", Color(200, 10, 0, 100), Color(0, 10, 0, 100)},
        // 40000 x 255 = 10200000 times a channel of 255 passes the int range, as do the sums of addends.
        {"HugeMultiplierStops", "(40000, 0, 0, 1)", "(0, 0, 0, 0)", Color::White, Color(255, 0, 0, 255)},
        {"HugeAddendsStop", "0xFFFFFFFF", "(9000000, -9000000, 0, 0)", Color(200, 10, 0, 100), Color(255, 0, 0, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        target.blits.clear();
        auto font =
            MakeFont(kMainLayer + "LayerSetColorMult Main " + c.mult + ";\nLayerSetColorAdd Main " + c.add + ";");
        font->DrawString(g, 0, 20, "A", c.argument, g.clipRect);
        ASSERT_EQ(target.blits.size(), 1u);
        EXPECT_TRUE(ColorEquals(target.blits[0].color, c.drawn));
    }
}

TEST_F(ImageFontTest, RedLayerDrawsWhiteGlyphsInPureRed)
{
    auto font = MakeFont(kMainLayer + "LayerSetColorMult Main (1, 0, 0, 1);");
    MemoryImage canvas;
    canvas.Create(20, 30);
    canvas.GetBits();
    Graphics onCanvas(&canvas);
    font->DrawString(onCanvas, 0, 16, "A", Color::White, onCanvas.clipRect);
    uint32_t pixel = canvas.GetBits()[5 * 20 + 5];
    EXPECT_EQ(pixel & 0x00FFFF, 0u);
    EXPECT_GT(pixel >> 16 & 0xFF, 250u);
}

TEST_F(ImageFontTest, DrawingRestoresTheContextAndUsesTheLayersDrawMode)
{
    auto font = MakeFont(kMainLayer + "LayerSetDrawMode Main 1;");
    g.SetColor(Color(1, 2, 3, 4));
    g.SetDrawMode(DrawModeNormal);
    font->DrawString(g, 0, 20, "AV", Color::White, g.clipRect);
    ASSERT_EQ(target.blits.size(), 2u);
    EXPECT_EQ(target.blits[0].drawMode, DrawModeAdditive);
    EXPECT_EQ(g.drawMode, DrawModeNormal);
    EXPECT_FALSE(g.tintImages);
    EXPECT_TRUE(ColorEquals(g.GetColor(), Color(1, 2, 3, 4)));
}

TEST_F(ImageFontTest, CharacterMapAndHighCharacters)
{
    auto font = MakeFont(kMainLayer + "SetCharMap ('a', '\xE9') ('A', 'V');\n"
                                      "LayerSetCharWidths Main ('\xFF') (7);");
    EXPECT_EQ(font->StringWidth("a"), 10);
    EXPECT_EQ(font->StringWidth("\xFF\xFF"), 14);
    DrawnWidth(*font, "\xE9");
    ASSERT_EQ(target.blits.size(), 1u);
    EXPECT_EQ(target.blits[0].source, Rect(10, 0, 10, 20));
}

TEST_F(ImageFontTest, MetricsComeFromTheActiveLayers)
{
    auto font = MakeFont(kMainLayer + "LayerSetAscentPadding Main 3;\nLayerSetLineSpacingOffset Main -2;\n"
                                      "CreateLayer Other;\nLayerSetAscent Other 18;\nLayerSetHeight Other 17;\n"
                                      "LayerSetAscentPadding Other 1;\nLayerSetLineSpacingOffset Other 4;");
    EXPECT_EQ(font->GetAscent(), 18);
    EXPECT_EQ(font->GetHeight(), 20);
    EXPECT_EQ(font->GetAscentPadding(), 1);
    EXPECT_EQ(font->GetLineSpacingOffset(), 4);
    EXPECT_EQ(font->GetLineSpacing(), 24);
}

TEST_F(ImageFontTest, CopiesShareTheDataAndOwnTheirImages)
{
    auto font = MakeFont(kMainLayer + "LayerSetPointSize Main 20;\nSetDefaultPointSize 10;\nDefine Name (1, 'x');");
    font->AddTag("t");
    font->EnsureActiveLayers();
    std::unique_ptr<Font> clone = font->Clone();
    auto& copy = static_cast<ImageFont&>(*clone);
    EXPECT_EQ(copy.fontData, font->fontData);
    EXPECT_EQ(font->fontData->referenceCount.load(), 2);
    EXPECT_EQ(copy.tags, std::vector<std::string>{"T"});
    ASSERT_EQ(copy.activeLayers.size(), 1u);
    EXPECT_TRUE(copy.activeLayers[0]->OwnsImage());
    EXPECT_NE(copy.activeLayers[0]->image, font->activeLayers[0]->image);
    EXPECT_EQ(copy.activeLayers[0]->image->width, 15);
    EXPECT_EQ(copy.GetDefineText("name"), "(1, x)");
    EXPECT_EQ(copy.GetDefineText("other"), "");
    EXPECT_EQ(copy.GetDefaultPointSize(), 10);
    clone.reset();
    EXPECT_EQ(font->fontData->referenceCount.load(), 1);
    EXPECT_EQ(font->StringWidth("A"), 5);
}

TEST_F(ImageFontTest, FontThatDidNotLoadDrawsAndMeasuresNothing)
{
    folder.Write("font.txt", "Oops;");
    ImageFont font(&app, folder.Path() + "font.txt");
    EXPECT_FALSE(font.fontData->loaded);
    EXPECT_EQ(font.StringWidth("AV"), 0);
    EXPECT_EQ(DrawnWidth(font, "AV"), 0);
    EXPECT_TRUE(target.blits.empty());
}

// The characters past the pool add nothing to the draw, not even width; measuring knows no pool.
TEST_F(ImageFontTest, PoolOf4096GlyphsLimitsOneDraw)
{
    auto font = MakeFont(kMainLayer);
    target.width = 100000;
    g.ResetClip();
    std::string text(5000, 'A');
    std::vector<Rect> rects;
    int width = 0;
    font->DrawStringWithRects(g, 0, 50, text, Color::White, g.clipRect, &rects, &width);
    EXPECT_EQ(width, 40960);
    EXPECT_EQ(rects.size(), 4096u);
    EXPECT_EQ(target.blits.size(), 4096u);
    EXPECT_EQ(font->StringWidth(text), 50000);

    // With two layers the pool fills at the 2048th character: the next one is not laid out at all.
    auto layered = MakeFont(kMainLayer + "CreateLayerFrom Wide Main;\nLayerSetCharWidths Wide ('A') (12);");
    EXPECT_EQ(DrawnWidth(*layered, std::string(2049, 'A')), 2048 * 12);
}

// An extreme scale asks for glyph images past any size the font makes: the glyphs still measure, but
// draw nothing.
TEST_F(ImageFontTest, RescaledGlyphsTooLargeToMakeDrawNothing)
{
    auto font = MakeFont(kMainLayer);
    font->SetScale(1e12);
    EXPECT_EQ(font->CharWidth('A'), INT_MAX);
    EXPECT_EQ(font->activeLayers.at(0)->image->width, 0);
    DrawnWidth(*font, "AV");
    EXPECT_TRUE(target.blits.empty());
}

TEST_F(ImageFontTest, LegacyFontMeasuresByItsWidthFile)
{
    MemoryImage image;
    image.Create(12, 10);
    folder.Write("widths.txt", "3 8 a 5 b 7");
    std::unique_ptr<ImageFont> font = ImageFont::ImageFontFromImage(&image, folder.Path() + "widths.txt");
    EXPECT_TRUE(font->fontData->loaded);
    EXPECT_EQ(font->StringWidth("ab a"), 5 + 7 + 3 + 5);
    EXPECT_EQ(font->StringWidth("AB"), 12);
    EXPECT_EQ(font->GetAscent(), 8);
    EXPECT_EQ(font->GetHeight(), 10);
}

} // namespace

namespace {

// Fonts made from one descriptor draw at once from two threads, each into its own canvas: the shared
// draw pool is taken by one string draw at a time, so each canvas ends as a draw on one thread leaves it.
TEST_F(ImageFontTest, FontsSharingDataDrawFromTwoThreadsAtOnce)
{
    auto font = MakeFont(kMainLayer + "CreateLayerFrom Shadow Main;\nLayerSetBaseOrder Shadow -1;\n"
                                      "LayerSetOffset Shadow (1, 1);\nLayerSetColorMult Shadow 0x80000000;");
    auto paint = [](ImageFont& withFont, MemoryImage& canvas) {
        canvas.Create(200, 40);
        canvas.GetBits();
        Graphics onCanvas(&canvas);
        for (int i = 0; i < 200; ++i) {
            withFont.DrawString(onCanvas, i % 7, 25, "AVBVA", Color(255, 255, 255, 200), onCanvas.clipRect);
        }
    };
    MemoryImage expected;
    paint(*font, expected);
    std::unique_ptr<Font> second = font->Clone();
    MemoryImage first;
    MemoryImage other;
    std::thread worker([&] { paint(static_cast<ImageFont&>(*second), other); });
    paint(*font, first);
    worker.join();
    const uint32_t* want = expected.GetBits();
    EXPECT_TRUE(std::equal(want, want + 200 * 40, first.GetBits()));
    EXPECT_TRUE(std::equal(want, want + 200 * 40, other.GetBits()));
}

} // namespace
