// The widget's text helpers: centred and shadowed lines with the rectangles they cover, and colour codes
// switched on for the line and wrapped-text calls only.
#include "RecordingFont.h"
#include "graphics/MemoryImage.h"
#include "widgets/Widget.h"

#include <gtest/gtest.h>

using namespace Tolm;

namespace {

class WidgetTextTest : public testing::Test
{
protected:
    WidgetTextTest()
    {
        image.Create(200, 100);
        g.SetFont(&font);
        g.SetColor(Color(1, 2, 3));
        widget.Resize(0, 0, 100, 40);
    }

    std::vector<RecordingFont::Draw> draws;
    RecordingFont font{draws};
    MemoryImage image;
    Graphics g{&image};
    Widget widget;
};

} // namespace

TEST_F(WidgetTextTest, CenteredLineIsCentredInTheWidgetAndReportsTheCellItCovers)
{
    struct Case
    {
        const char* name;
        int widgetWidth;
        std::string text;
        Rect covered;
    };
    // Six pixels a character, ascent 10, height 14; halves truncate towards zero.
    const Case cases[] = {
        {"even", 100, "abcd", Rect(38, 10, 24, 14)},
        {"odd", 101, "abcd", Rect(38, 10, 24, 14)},
        {"wider than the widget", 10, "abcd", Rect(-7, 10, 24, 14)},
    };
    for (const Case& c : cases) {
        widget.Resize(0, 0, c.widgetWidth, 40);
        draws.clear();
        EXPECT_EQ(widget.DrawCenteredLine(&g, 20, c.text), c.covered) << c.name;
        ASSERT_EQ(draws.size(), 1u) << c.name;
        EXPECT_EQ(draws[0].x, c.covered.x) << c.name;
        EXPECT_EQ(draws[0].y, 20) << c.name;
        EXPECT_EQ(draws[0].color, Color(1, 2, 3).ToPacked()) << c.name;
    }
}

TEST_F(WidgetTextTest, ShadowedLineDrawsTheShadowFirstAndCoversBoth)
{
    struct Case
    {
        const char* name;
        Point offset;
        Rect covered;
    };
    const Case cases[] = {
        {"down right", Point{2, 3}, Rect(38, 10, 26, 17)},
        {"up left", Point{-2, -1}, Rect(36, 9, 26, 15)},
    };
    for (const Case& c : cases) {
        draws.clear();
        EXPECT_EQ(widget.DrawCenteredShadowedLine(&g, 20, "abcd", Color(200, 100, 0), Color(0, 0, 0, 128), c.offset),
                  c.covered)
            << c.name;
        ASSERT_EQ(draws.size(), 2u) << c.name;
        EXPECT_EQ(draws[0].x, 38 + c.offset.x) << c.name;
        EXPECT_EQ(draws[0].y, 20 + c.offset.y) << c.name;
        EXPECT_EQ(draws[0].color, Color(0, 0, 0, 128).ToPacked()) << c.name;
        EXPECT_EQ(draws[1].x, 38) << c.name;
        EXPECT_EQ(draws[1].color, Color(200, 100, 0).ToPacked()) << c.name;
        EXPECT_TRUE(ColorEquals(g.GetColor(), Color(200, 100, 0))) << "the text colour stays";
    }
}

TEST_F(WidgetTextTest, LineAndWrappedTextReadColourCodesForTheCallOnly)
{
    g.colorCodes = false;
    EXPECT_EQ(widget.DrawTextLine(&g, "abc", 5, 20, 100, -1), 18);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_TRUE(draws[0].colorCodes);
    EXPECT_FALSE(g.colorCodes);
    draws.clear();
    int height = widget.DrawWrappedText(&g, Rect(0, 0, 30, 100), "abc def", -1, -1);
    EXPECT_EQ(height, widget.MeasureWrappedText(&g, 30, "abc def", -1));
    EXPECT_EQ(height, 28) << "two words of 18 pixels do not share a line of 30";
    ASSERT_FALSE(draws.empty());
    for (const RecordingFont::Draw& draw : draws) {
        EXPECT_TRUE(draw.colorCodes);
    }
    EXPECT_FALSE(g.colorCodes);
}

TEST_F(WidgetTextTest, WithoutAFontTextTakesNoRoom)
{
    g.SetFont(nullptr);
    EXPECT_EQ(widget.DrawCenteredLine(&g, 20, "abcd"), Rect(50, 20, 0, 0));
    EXPECT_EQ(widget.DrawTextLine(&g, "abcd", 0, 20, 100, 0), 0);
    EXPECT_TRUE(draws.empty());
}
