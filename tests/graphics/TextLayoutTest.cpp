// Text through the drawing context: colour codes and justification of one line, word wrap, the height
// a wrapped text takes, and what happens without a font. A fixed-width font records what it is asked
// to draw, so the expected positions follow from the character widths by hand.
#include "graphics/Font.h"
#include "graphics/Graphics.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace Tolm;

namespace {

struct DrawCall
{
    int x;
    int y;
    std::string text;
    uint32_t colour;

    bool operator==(const DrawCall&) const = default;
};

std::ostream& operator<<(std::ostream& out, const DrawCall& call)
{
    return out << "{" << call.x << ", " << call.y << ", \"" << call.text << "\", 0x" << std::hex << call.colour
               << std::dec << "}";
}

// Every character is 10 pixels wide unless the tables say otherwise. Ascent 10, padding 1, height 14.
class RecordingFont : public Font
{
public:
    std::vector<DrawCall> calls;
    std::map<char, int> widths;
    // Added to the second character's width when it follows the first.
    std::map<std::pair<char, char>, int> kerning;

    RecordingFont()
    {
        ascent = 10;
        ascentPadding = 1;
        height = 14;
    }

    int CharWidth(char c) override
    {
        auto found = widths.find(c);
        return found == widths.end() ? 10 : found->second;
    }

    int CharWidthKerned(char c, char previous) override
    {
        auto found = kerning.find({previous, c});
        return CharWidth(c) + (found == kerning.end() ? 0 : found->second);
    }

    int StringWidth(const std::string& text) override
    {
        int sum = 0;
        char previous = 0;
        for (char c : text) {
            sum += CharWidthKerned(c, previous);
            previous = c;
        }
        return sum;
    }

    void DrawString(Graphics&, int x, int y, const std::string& text, const Color& color, const Rect&) override
    {
        calls.push_back({x, y, text, color.ToPacked()});
    }

    std::unique_ptr<Font> Clone() override { return std::make_unique<RecordingFont>(*this); }
};

constexpr uint32_t kBlue = 0xFF0000FF;

class TextLayoutTest : public ::testing::Test
{
protected:
    RecordingFont font;
    Image target;
    Graphics g{&target};

    void SetUp() override
    {
        target.width = 800;
        target.height = 600;
        g.ResetClip();
        g.SetFont(&font);
        g.SetColor(Color(0, 0, 255));
    }
};

struct LineCase
{
    const char* name;
    std::string text;
    bool colorCodes;
    std::vector<DrawCall> drawn;
    int width;
};

TEST_F(TextLayoutTest, LineInterpretsColourCodes)
{
    const std::vector<LineCase> cases = {
        {"DoubleCaretIsOneCaret", "a^^b", true, {{0, 50, "a^b", kBlue}}, 30},
        {"CodesOffDrawTheCarets", "a^^b", false, {{0, 50, "a^^b", kBlue}}, 40},
        {"CodeSwitchesColour", "red^FF0000^ text", true, {{0, 50, "red", kBlue}, {30, 50, " text", 0xFFFF0000}}, 80},
        {"LowerCaseDigits", "a^ff8000^b", true, {{0, 50, "a", kBlue}, {10, 50, "b", 0xFFFF8000}}, 20},
        {"OtherCharactersCountAsZero", "a^GG00x0^b", true, {{0, 50, "a", kBlue}, {10, 50, "b", 0xFF000000}}, 20},
        {"EighthCharacterIsNotChecked", "^00FF00Xb", true, {{0, 50, "", kBlue}, {0, 50, "b", 0xFF00FF00}}, 10},
        {"EmptySegmentsAreDrawnToo",
         "a^FF0000^^00FF00^b",
         true,
         {{0, 50, "a", kBlue}, {10, 50, "", 0xFFFF0000}, {10, 50, "b", 0xFF00FF00}},
         20},
        {"CaretOStartsBlack", "a^o12345^b", true, {{0, 50, "a", kBlue}, {10, 50, "b", 0xFF000000}}, 20},
        {"ShortCodeEndsTheLine", "ab^FF", true, {{0, 50, "ab", kBlue}}, 20},
        {"OldColourCodeGoesBack",
         "^FF0000^a^oldclr^b",
         true,
         {{0, 50, "", kBlue}, {0, 50, "a", 0xFFFF0000}, {10, 50, "b", kBlue}},
         20},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        font.calls.clear();
        g.SetColor(Color(0, 0, 255));
        g.colorCodes = c.colorCodes;
        EXPECT_EQ(g.DrawTextLine(c.text, 0, 50, 500, -1), c.width);
        EXPECT_EQ(font.calls, c.drawn);
    }
}

TEST_F(TextLayoutTest, LineLeavesTheLastCodesColour)
{
    g.DrawTextLine("a^00FF00^b", 0, 0, 100, -1);
    EXPECT_EQ(g.GetColor().ToPacked(), 0xFF00FF00u);
}

TEST_F(TextLayoutTest, MeasuringALineDrawsNothingAndKeepsTheColour)
{
    EXPECT_EQ(g.DrawTextLine("ab^FF0000^cd", 0, 0, 100, 0, false), 40);
    EXPECT_TRUE(font.calls.empty());
    EXPECT_EQ(g.GetColor().ToPacked(), kBlue);
}

TEST_F(TextLayoutTest, LineDrawsOnlyItsStartAndLength)
{
    EXPECT_EQ(g.DrawTextLine("abcdef", 5, 7, 100, -1, true, 2, 3), 30);
    EXPECT_EQ(font.calls, (std::vector<DrawCall>{{5, 7, "cde", kBlue}}));
    font.calls.clear();
    EXPECT_EQ(g.DrawTextLine("abcdef", 5, 7, 100, -1, true, 4, 99), 20);
    EXPECT_EQ(font.calls, (std::vector<DrawCall>{{5, 7, "ef", kBlue}}));
}

TEST_F(TextLayoutTest, LineIsJustifiedInItsWidth)
{
    font.widths['M'] = 31;
    struct Case
    {
        const char* name;
        int width;
        int justification;
        int x;
    } cases[] = {
        {"CentredMovesRightByHalfTheRest", 100, 0, 10 + 34},
        {"RightAlignedEndsAtTheWidth", 100, 1, 10 + 69},
        {"LeftAlignedStaysPut", 100, -1, 10},
        {"AnyOtherValueIsLeft", 100, 7, 10},
        {"CentredOnXWithWidthMinusOne", -1, 0, 10 - 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        font.calls.clear();
        EXPECT_EQ(g.DrawTextLine("M", 10, 0, c.width, c.justification), 31);
        ASSERT_EQ(font.calls.size(), 1u);
        EXPECT_EQ(font.calls[0].x, c.x);
    }
}

TEST_F(TextLayoutTest, CodeKeepsTheAlphaAndAppliesTheMultiplierAgain)
{
    g.SetAlphaMultiplier(0.5f);
    g.SetColor(Color(0, 0, 255, 200));
    EXPECT_EQ(g.GetColor().alpha, 100);
    g.DrawTextLine("a^FF0000^b", 0, 0, 100, -1);
    EXPECT_EQ(font.calls.back().colour, 0x32FF0000u);
}

struct WrapCase
{
    const char* name;
    std::string text;
    int width;
    std::vector<std::string> lines;
    int height;
    int maxWidth;
    int lastLineWidth;
};

// Lines are 14 apart, the first baseline at ascent - padding = 9 below the rectangle's top; the height
// is the last baseline plus the descent, 4.
TEST_F(TextLayoutTest, WrappedTextBreaksAtSpacesNewlinesAndInsideLongWords)
{
    const std::vector<WrapCase> cases = {
        // The widest line counts the characters walked past the break, up to the one that did not fit.
        {"BreaksAtTheLastSpace", "aaa bbb ccc", 50, {"aaa", "bbb", "ccc"}, 41, 60, 30},
        // The line keeps the spaces before the break point; those after it are skipped.
        {"SpacesAfterABreakAreSkipped", "aaa    bb", 50, {"aaa  ", "bb"}, 27, 60, 20},
        {"LongWordIsBrokenInside", "abcdefghijkl", 50, {"abcde", "fghij", "kl"}, 41, 50, 20},
        {"OneCharacterPerLineAtLeast", "abc", 5, {"a", "b", "c"}, 41, 10, 10},
        {"NewlineBreaks", "ab\ncd", 100, {"ab", "cd"}, 27, 111, 20},
        {"TrailingNewlineAddsALine", "ab\n", 100, {"ab"}, 27, 111, 0},
        {"EverythingFits", "ab cd", 100, {"ab cd"}, 13, 50, 50},
        {"CodesTakeNoWidth", "aa^FF0000^aaa", 50, {"aaaaa"}, 13, 50, 50},
    };
    for (const WrapCase& c : cases) {
        SCOPED_TRACE(c.name);
        font.calls.clear();
        int maxWidth = -1;
        int lastLineWidth = 0;
        EXPECT_EQ(g.DrawWrappedText(Rect(20, 30, c.width, 100), c.text, -1, -1, &maxWidth, -1, &lastLineWidth),
                  c.height);
        EXPECT_EQ(maxWidth, c.maxWidth);
        EXPECT_EQ(lastLineWidth, c.lastLineWidth);
        std::vector<std::string> lines;
        int lineIndex = -1;
        int lastY = -1;
        for (const DrawCall& call : font.calls) {
            if (call.y != lastY) {
                EXPECT_EQ(call.y, 30 + 9 + 14 * ++lineIndex);
                EXPECT_EQ(call.x, 20);
                lines.emplace_back();
                lastY = call.y;
            }
            lines.back() += call.text;
        }
        EXPECT_EQ(lines, c.lines);
    }
}

TEST_F(TextLayoutTest, WrappedTextMeasuresKernedPairs)
{
    struct Case
    {
        const char* name;
        std::string text;
        std::pair<char, char> pair;
        int kerning;
        std::vector<std::string> lines;
        int maxWidth;
    } cases[] = {
        // 60 without kerning; three A-V pairs closer by 5 leave 45, which fits in 50.
        {"CloserPairsFit", "AVAVAV", {'A', 'V'}, -5, {"AVAVAV"}, 45},
        // 40 without kerning; the V-A pair wider by 15 puts the last V at 55, past 50.
        {"WiderPairsBreak", "AVAV", {'V', 'A'}, 15, {"AVA", "V"}, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        font.calls.clear();
        font.kerning = {{c.pair, c.kerning}};
        int maxWidth = 0;
        g.DrawWrappedText(Rect(0, 0, 50, 100), c.text, -1, -1, &maxWidth);
        std::vector<std::string> lines;
        for (const DrawCall& call : font.calls) {
            lines.push_back(call.text);
        }
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(maxWidth, c.maxWidth);
    }
}

// A line wholly past the count is still a line: it is drawn empty.
TEST_F(TextLayoutTest, WrappedTextDrawsOnlyTheCountButLaysOutEverything)
{
    EXPECT_EQ(g.DrawWrappedText(Rect(0, 0, 50, 100), "aaa bbb ccc", -1, -1, nullptr, 5), 41);
    EXPECT_EQ(font.calls, (std::vector<DrawCall>{{0, 9, "aaa", kBlue}, {0, 23, "b", kBlue}, {0, 37, "", kBlue}}));
}

TEST_F(TextLayoutTest, WrappedTextStartsAtTheGivenLastLineWidth)
{
    int lastLineWidth = 30;
    EXPECT_EQ(g.DrawWrappedText(Rect(0, 0, 50, 100), "ab cd", -1, -1, nullptr, -1, &lastLineWidth), 27);
    EXPECT_EQ(font.calls, (std::vector<DrawCall>{{30, 9, "ab", kBlue}, {0, 23, "cd", kBlue}}));
    EXPECT_EQ(lastLineWidth, 20);
}

TEST_F(TextLayoutTest, WrappedLinesAreCentredInTheRectangle)
{
    g.DrawWrappedText(Rect(0, 0, 50, 100), "aaa b", -1, 0);
    EXPECT_EQ(font.calls, (std::vector<DrawCall>{{0, 9, "aaa b", kBlue}}));
    font.calls.clear();
    g.DrawWrappedText(Rect(0, 0, 40, 100), "aaa b", 20, 0);
    EXPECT_EQ(font.calls, (std::vector<DrawCall>{{5, 9, "aaa", kBlue}, {15, 29, "b", kBlue}}));
}

TEST_F(TextLayoutTest, WrappedLinesOutsideTheClipAreSkipped)
{
    g.IntersectClip(0, 20, 800, 10);
    g.DrawWrappedText(Rect(0, 0, 30, 100), "aa bb cc dd", -1, -1);
    // Baselines 9, 23, 37, 51: a line is drawn while its baseline lies in [20, 20 + 10 + 14).
    EXPECT_EQ(font.calls, (std::vector<DrawCall>{{0, 23, "bb", kBlue}, {0, 37, "cc", kBlue}, {0, 51, "dd", kBlue}}));
}

TEST_F(TextLayoutTest, WrappedTextGoesBackToItsColourAfterCodes)
{
    g.DrawWrappedText(Rect(0, 0, 30, 100), "^FF0000^aa ^oldclr^bb", -1, -1);
    EXPECT_EQ(font.calls,
              (std::vector<DrawCall>{
                  {0, 9, "", kBlue}, {0, 9, "aa", 0xFFFF0000}, {0, 23, "", 0xFFFF0000}, {0, 23, "bb", kBlue}}));
    EXPECT_EQ(g.GetColor().ToPacked(), kBlue);
}

TEST_F(TextLayoutTest, WrappedTextRestoresWithTheMultiplierAppliedAgain)
{
    g.SetAlphaMultiplier(0.5f);
    g.SetColor(Color(0, 0, 255, 200));
    g.DrawWrappedText(Rect(0, 0, 100, 100), "a^FF0000^b", -1, -1);
    EXPECT_EQ(font.calls.back().colour, 0x32FF0000u);
    EXPECT_EQ(g.GetColor().ToPacked(), 0x320000FFu);
}

TEST_F(TextLayoutTest, MeasuredHeightOfOneLineIsAscentLessPaddingPlusDescent)
{
    EXPECT_EQ(g.MeasureWrappedTextHeight(500, "one line"), 10 - 1 + 4);
    int maxWidth = 0;
    EXPECT_EQ(g.MeasureWrappedTextHeight(50, "aaa bbb ccc", -1, &maxWidth), 41);
    EXPECT_EQ(maxWidth, 60);
    EXPECT_EQ(g.MeasureWrappedTextHeight(50, "aaa bbb ccc", 20), 9 + 40 + 4);
}

TEST_F(TextLayoutTest, WithoutAFontTextDrawsAndMeasuresNothing)
{
    g.SetFont(nullptr);
    g.DrawString("text", 0, 0);
    EXPECT_EQ(g.DrawTextLine("text", 0, 0, 100, 0), 0);
    EXPECT_EQ(g.DrawWrappedText(Rect(0, 0, 100, 100), "text"), 0);
    EXPECT_EQ(g.MeasureWrappedTextHeight(100, "text"), 0);
    EXPECT_TRUE(font.calls.empty());
}

TEST_F(TextLayoutTest, DrawStringHandsTheContextsColourAndPositionToTheFont)
{
    g.DrawString("hi", 3, 4);
    EXPECT_EQ(font.calls, (std::vector<DrawCall>{{3, 4, "hi", kBlue}}));
}

TEST(FontTest, MetricsFollowFromTheFourFields)
{
    RecordingFont font;
    font.ascent = 11;
    font.height = 14;
    EXPECT_EQ(font.GetDescent(), 3);
    EXPECT_EQ(font.GetLineSpacing(), 14);
    font.lineSpacingOffset = 3;
    EXPECT_EQ(font.GetLineSpacing(), 17);
    EXPECT_EQ(font.GetLineSpacingOffset(), 3);
    EXPECT_EQ(font.CharWidthKerned('a', 'b'), 10);
}

} // namespace
