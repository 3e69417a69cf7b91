// Installed fonts: names resolved to DejaVu (a dependency of the build), metrics from the font's own
// line extents, and glyph coverage plain and outlined. The DejaVu Sans figures (2048 units per em,
// Windows ascent 1901 and descent 483) were read from the font file's OS/2 table by a separate script.
#include "platform/FontFace.h"

#include <gtest/gtest.h>

using namespace Platform;

namespace {

FontRequest Request(const std::string& family, int pixels, bool bold = false)
{
    FontRequest request;
    request.family = family;
    request.pixelHeight = pixels;
    request.bold = bold;
    return request;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int CoveredPixels(const GlyphBitmap& glyph)
{
    int count = 0;
    for (uint8_t coverage : glyph.coverage) {
        count += coverage != 0;
    }
    return count;
}

TEST(FontFaceTest, FamilyNamesResolveToInstalledFiles)
{
    auto regular = FontFace::Open(Request("DejaVu Sans", 13));
    ASSERT_NE(regular, nullptr);
    EXPECT_TRUE(EndsWith(regular->GetFilePath(), "DejaVuSans.ttf")) << regular->GetFilePath();
    auto bold = FontFace::Open(Request("DejaVu Sans", 13, true));
    ASSERT_NE(bold, nullptr);
    EXPECT_TRUE(EndsWith(bold->GetFilePath(), "DejaVuSans-Bold.ttf")) << bold->GetFilePath();
    for (const char* family : {"Arial", "Tahoma", "Arial Unicode MS", "No Such Family At All"}) {
        auto font = FontFace::Open(Request(family, 13));
        ASSERT_NE(font, nullptr) << family;
        EXPECT_FALSE(font->GetFilePath().empty());
    }
}

TEST(FontFaceTest, NoSizeNoFont)
{
    EXPECT_EQ(FontFace::Open(Request("DejaVu Sans", 0)), nullptr);
    EXPECT_EQ(FontFace::Open(Request("DejaVu Sans", -13)), nullptr);
}

TEST(FontFaceTest, AscentAndDescentAreTheLineExtentsRounded)
{
    struct Case
    {
        int pixels;
        int ascent;
        int descent;
    } cases[] = {
        // 1901 x 11 / 2048 = 10.21, 483 x 11 / 2048 = 2.59; and so on.
        {11, 10, 3},
        {13, 12, 3},
        {19, 18, 4},
        {40, 37, 9},
    };
    for (const Case& c : cases) {
        auto font = FontFace::Open(Request("DejaVu Sans", c.pixels));
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->GetAscent(), c.ascent) << c.pixels;
        EXPECT_EQ(font->GetDescent(), c.descent) << c.pixels;
        EXPECT_GE(font->GetUnderlinePosition(), 1);
        EXPECT_GE(font->GetUnderlineThickness(), 1);
    }
}

TEST(FontFaceTest, GlyphsCarryCoverageAndAdvance)
{
    auto font = FontFace::Open(Request("DejaVu Sans", 20));
    ASSERT_NE(font, nullptr);
    GlyphBitmap letter = font->RenderGlyph(U'l');
    EXPECT_GT(letter.advance, 0);
    EXPECT_GT(CoveredPixels(letter), 0);
    EXPECT_EQ(letter.coverage.size(), std::size_t(letter.width * letter.height));
    // An 'l' stands on the baseline and reaches about the ascender's height.
    EXPECT_GE(letter.top, 13);
    EXPECT_LE(letter.top, 19);
    GlyphBitmap space = font->RenderGlyph(U' ');
    EXPECT_GT(space.advance, 0);
    EXPECT_EQ(CoveredPixels(space), 0);
    GlyphBitmap euro = font->RenderGlyph(U'\u20AC');
    EXPECT_GT(CoveredPixels(euro), 0);
    EXPECT_GT(font->RenderGlyph(U'W').advance, font->RenderGlyph(U'i').advance);
}

TEST(FontFaceTest, OutlineWidensTheGlyphByItsRadius)
{
    FontRequest request = Request("DejaVu Sans", 40);
    request.hinted = false;
    auto font = FontFace::Open(request);
    ASSERT_NE(font, nullptr);
    GlyphBitmap plain = font->RenderGlyph(U'O');
    GlyphBitmap outlined = font->RenderGlyph(U'O', 3);
    EXPECT_GE(outlined.width, plain.width + 5);
    EXPECT_LE(outlined.width, plain.width + 8);
    EXPECT_GE(outlined.top, plain.top + 2);
    EXPECT_LE(outlined.left, plain.left - 2);
    EXPECT_EQ(outlined.advance, plain.advance);
}

TEST(FontFaceTest, PairsKern)
{
    auto font = FontFace::Open(Request("DejaVu Sans", 40));
    ASSERT_NE(font, nullptr);
    EXPECT_LT(font->GetKerning(U'A', U'V'), 0);
    EXPECT_EQ(font->GetKerning(U'l', U'l'), 0);
}

} // namespace
