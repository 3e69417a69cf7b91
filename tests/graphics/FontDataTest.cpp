// Font descriptors: every command's effect, the error popups with their line and command, the end of a
// load at the first error, and the legacy width files.
#include "graphics/FontData.h"

#include "FontTestSupport.h"
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

using namespace Tolm;

namespace {

class FontDataTest : public ::testing::Test
{
protected:
    TempFolder folder;
    PopupRecorder app;
    std::unique_ptr<FontData> data = std::make_unique<FontData>();

    void SetUp() override
    {
        // A 40 x 20 image of four 10-pixel blocks: white, red, green and clear.
        WriteBlockImage(folder, "art/glyphs.png", 10, 20, {0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0x00000000});
    }

    std::string Path(const std::string& name) const { return folder.Path() + name; }

    // Loads the descriptor text as "font.txt"; the loaded flag.
    bool Load(const std::string& descriptor)
    {
        folder.Write("font.txt", descriptor);
        EXPECT_TRUE(data->Load(&app, Path("font.txt")));
        return data->loaded;
    }

    // The popup for an error in a command.
    std::string Message(const std::string& text, int line, const std::string& command) const
    {
        return "Font Descriptor Error in " + Path("font.txt") + "\r\n" + text + " on Line " + std::to_string(line) +
               ":\r\n\r\n" + command;
    }

    FontDataLayer& Layer(const std::string& name) { return *data->layerNames.at(name); }
};

TEST_F(FontDataTest, ErrorPopupNamesTheFileTheLineAndTheCommand)
{
    EXPECT_FALSE(Load("# two commands run together\nDefine X 5\nDefine Y 6;\n"));
    EXPECT_EQ(app.popups,
              std::vector<std::string>{Message("Invalid Number of Parameters", 2, "Define X 5\nDefine Y 6")});
}

struct ErrorCase
{
    const char* name;
    std::string descriptor;
    int line;
    std::vector<std::string> errors;
};

TEST_F(FontDataTest, EachErrorIsShownWithItsLineAndEndsTheLoad)
{
    const std::string layer = "CreateLayer Main;\n";
    const std::string imaged = layer + "LayerSetImage Main 'art/glyphs.png';\n";
    const std::vector<ErrorCase> cases = {
        {"UnknownCommand", "\n\nFoo 1;", 3, {"Unknown Command"}},
        {"CountIsTestedFirst", "SetDefaultPointSize 1 2;", 1, {"Invalid Number of Parameters"}},
        {"UnknownLayerGivesTwoMessages",
         layer + "LayerSetHeight Nope 3;",
         2,
         {"Undefined Layer", "Invalid Paramater Type"}},
        {"DrawModeOtherThanZeroOrOne", layer + "LayerSetDrawMode Main 2;", 2, {"Invalid Paramater Type"}},
        {"PlusSignIsNoInteger", "SetDefaultPointSize +5;", 1, {"Invalid Paramater Type"}},
        {"IntegerThroughADefine", "Define Size 5;\nSetDefaultPointSize Size;", 2, {"Invalid Paramater Type"}},
        {"LayerNameMustBeAToken", "CreateLayer (a);", 1, {"Invalid Paramater Type"}},
        {"DefineOfALiteral", "Define 5 x;", 1, {"Invalid Paramater Type"}},
        {"UndefinedNameInAList", "SetCharMap ('a') (x);", 1, {"Unable to Dereference \"x\"", "Invalid Paramater Type"}},
        {"ListsOfOtherLengths", layer + "LayerSetCharWidths Main ('a', 'b') (1);", 2, {"List Size Mismatch"}},
        {"ImageMapWithoutImage", layer + "LayerSetImageMap Main ('a') ((0, 0, 1, 1));", 2, {"Layer image not set"}},
        {"MissingImage", layer + "LayerSetImage Main 'art/missing.png';", 2, {"Failed to Load Image"}},
        {"RectanglePastTheRightEdge",
         imaged + "LayerSetImageMap Main ('a', 'b') ((0, 0, 40, 20), (1, 0, 40, 20));",
         3,
         {"Image rectangle out of bounds"}},
        {"RectanglePastTheBottom",
         imaged + "LayerSetImageMap Main ('a') ((0, 1, 10, 20));",
         3,
         {"Image rectangle out of bounds"}},
        {"NegativeRectangle",
         imaged + "LayerSetImageMap Main ('a') ((-1, 0, 10, 20));",
         3,
         {"Image rectangle out of bounds"}},
        {"ColourListOfThree", layer + "LayerSetColorMult Main (1, 1, 1);", 2, {"Invalid Paramater Type"}},
        {"OffsetOfThree", layer + "LayerSetOffset Main (1, 2, 3);", 2, {"Invalid Paramater Type"}},
        {"UnterminatedList", "Define L (a", 1, {"Unterminated List"}},
        {"ListAsCommand", "(x) y;", 1, {"Missing Command"}},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        data = std::make_unique<FontData>();
        app.popups.clear();
        EXPECT_FALSE(Load(c.descriptor + "\nSetDefaultPointSize 9;"));
        ASSERT_EQ(app.popups.size(), c.errors.size());
        for (std::size_t i = 0; i < c.errors.size(); ++i) {
            std::string prefix = "Font Descriptor Error in " + Path("font.txt") + "\r\n" + c.errors[i] + " on Line " +
                                 std::to_string(c.line) + ":\r\n\r\n";
            EXPECT_EQ(app.popups[i].substr(0, prefix.size()), prefix);
        }
        EXPECT_EQ(data->defaultPointSize, 0);
    }
}

TEST_F(FontDataTest, CommandsBeforeTheErrorKeepTheirEffect)
{
    EXPECT_FALSE(Load("SetDefaultPointSize 12;\nCreateLayer Main;\nLayerSetHeight Main x;\nLayerSetAscent Main 4;"));
    EXPECT_EQ(data->defaultPointSize, 12);
    EXPECT_EQ(Layer("MAIN").ascent, 0);
}

TEST_F(FontDataTest, DuplicateLayerIsShownButTheLoadGoesOn)
{
    EXPECT_TRUE(Load("CreateLayer Main;\nCreateLayer main;\nLayerSetHeight MAIN 7;"));
    EXPECT_EQ(app.popups, std::vector<std::string>{Message("Layer Already Exists", 2, "CreateLayer main")});
    ASSERT_EQ(data->layers.size(), 2u);
    EXPECT_EQ(data->layers[0].height, 7);
    EXPECT_EQ(data->layers[1].height, 0);
}

TEST_F(FontDataTest, LoadingTwiceIsRefused)
{
    EXPECT_TRUE(Load("SetDefaultPointSize 3;"));
    EXPECT_FALSE(data->Load(&app, Path("font.txt")));
    EXPECT_TRUE(data->loaded);
}

TEST_F(FontDataTest, MissingDescriptorLoadsNothingAndShowsNothing)
{
    EXPECT_TRUE(data->Load(&app, Path("none.txt")));
    EXPECT_FALSE(data->loaded);
    EXPECT_TRUE(app.popups.empty());
}

TEST_F(FontDataTest, LayerSettings)
{
    ASSERT_TRUE(Load("CreateLayer Main;\n"
                     "LayerSetPointSize Main 20;\n"
                     "LayerPointRange Main 10 -1;\n"
                     "LayerSetHeight Main 17;\n"
                     "LayerSetAscent Main 13;\n"
                     "LayerSetAscentPadding Main 2;\n"
                     "LayerSetLineSpacingOffset Main -3;\n"
                     "LayerSetSpacing Main 1;\n"
                     "LayerSetBaseOrder Main -5;\n"
                     "LayerSetOffset Main (4, -6);\n"
                     "LayerSetDrawMode Main 1;\n"
                     "LayerRequireTags Main ('bold', 'Big');\n"
                     "LayerExcludeTags Main ('small');\n"
                     "SetDefaultPointSize 0x10;"));
    const FontDataLayer& layer = Layer("MAIN");
    EXPECT_EQ(layer.pointSize, 20);
    EXPECT_EQ(layer.minPointSize, 10);
    EXPECT_EQ(layer.maxPointSize, -1);
    EXPECT_EQ(layer.height, 17);
    EXPECT_EQ(layer.ascent, 13);
    EXPECT_EQ(layer.ascentPadding, 2);
    EXPECT_EQ(layer.lineSpacingOffset, -3);
    EXPECT_EQ(layer.spacing, 1);
    EXPECT_EQ(layer.baseOrder, -5);
    EXPECT_EQ(layer.offsetX, 4);
    EXPECT_EQ(layer.offsetY, -6);
    EXPECT_EQ(layer.drawMode, 1);
    EXPECT_EQ(layer.requiredTags, (std::vector<std::string>{"BOLD", "BIG"}));
    EXPECT_EQ(layer.excludedTags, std::vector<std::string>{"SMALL"});
    EXPECT_EQ(data->defaultPointSize, 16);
}

TEST_F(FontDataTest, NewLayerHasTheDefaults)
{
    ASSERT_TRUE(Load("CreateLayer Main;"));
    const FontDataLayer& layer = Layer("MAIN");
    EXPECT_EQ(layer.owner, data.get());
    EXPECT_TRUE(ColorEquals(layer.colorMult, Color(255, 255, 255, 255)));
    EXPECT_TRUE(ColorEquals(layer.colorAdd, Color(0, 0, 0, 0)));
    EXPECT_EQ(layer.drawMode, -1);
    EXPECT_EQ(layer.minPointSize, -1);
    EXPECT_EQ(layer.maxPointSize, -1);
    EXPECT_EQ(layer.pointSize, 0);
    EXPECT_EQ(layer.image.GetImage(), nullptr);
    EXPECT_EQ(layer.glyphs['a'].width, 0);
}

TEST_F(FontDataTest, ColoursFromHexTokensAndFromLists)
{
    struct Case
    {
        const char* value;
        Color color;
    } cases[] = {
        {"0x00FF8000", Color(255, 128, 0, 255)},     {"0x80102030", Color(16, 32, 48, 128)},
        {"(1, 0.5, 0, 1)", Color(255, 127, 0, 255)}, {"Warm", Color(255, 204, 51, 127)},
        {"16777215", Color(255, 255, 255, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        data = std::make_unique<FontData>();
        ASSERT_TRUE(Load(std::string("Define Warm (1, 0.8, 0.2, 0.5);\nCreateLayer Main;\nLayerSetColorMult Main ") +
                         c.value + ";\nLayerSetColorAdd Main " + c.value + ";"));
        EXPECT_TRUE(ColorEquals(Layer("MAIN").colorMult, c.color));
        EXPECT_TRUE(ColorEquals(Layer("MAIN").colorAdd, c.color));
    }
}

TEST_F(FontDataTest, HorizontalSpansFollowTheWidths)
{
    ASSERT_TRUE(Load("CreateHorzSpanRectList Rects (0, 0, 0, 20) (5, 7);\n"
                     "CreateHorzSpanRectList RECTS (3, 1, 99, 2) (4);"));
    EXPECT_EQ(DescParser::ElementToText(*data->FindDefine("rects")), "((3, 1, 4, 2))");
    data = std::make_unique<FontData>();
    ASSERT_TRUE(Load("CreateHorzSpanRectList Rects (0, 0, 0, 20) (5, 7);"));
    EXPECT_EQ(DescParser::ElementToText(*data->FindDefine("rects")), "((0, 0, 5, 20), (5, 0, 7, 20))");
}

TEST_F(FontDataTest, ImageMapSetsRectanglesAndTheDefaultHeight)
{
    ASSERT_TRUE(Load("CreateLayer Main;\n"
                     "LayerSetCharOffsets Main ('b') ((1, 3));\n"
                     "LayerSetImage Main 'art/glyphs.png';\n"
                     "CreateHorzSpanRectList Spans (0, 0, 0, 16) (10, 10, 10);\n"
                     "LayerSetImageMap Main ('a', 'b', 'c') Spans;\n"
                     "LayerSetImageMap Main ('d') ((30, 0, 10, 20));\n"
                     "LayerSetCharOffsets Main ('d') ((0, 9));"));
    const FontDataLayer& layer = Layer("MAIN");
    EXPECT_EQ(layer.glyphs['a'].imageRect, Rect(0, 0, 10, 16));
    EXPECT_EQ(layer.glyphs['c'].imageRect, Rect(20, 0, 10, 16));
    // The right edge of the image is still inside; offsets set afterwards do not count.
    EXPECT_EQ(layer.glyphs['d'].imageRect, Rect(30, 0, 10, 20));
    EXPECT_EQ(layer.defaultHeight, 20);
    ASSERT_NE(layer.image.GetImage(), nullptr);
    EXPECT_TRUE(layer.image.GetImage()->HasPalette());
    data = std::make_unique<FontData>();
    ASSERT_TRUE(Load("CreateLayer Main;\nLayerSetCharOffsets Main ('b') ((1, 5));\n"
                     "LayerSetImage Main 'art/glyphs.png';\nLayerSetImageMap Main ('b') ((0, 0, 10, 16));"));
    EXPECT_EQ(Layer("MAIN").defaultHeight, 21);
}

TEST_F(FontDataTest, PerCharacterTables)
{
    ASSERT_TRUE(Load("CreateLayer Main;\n"
                     "LayerSetCharWidths Main ('a', '\xE9', ',') (5, 9, 2);\n"
                     "LayerSetCharOffsets Main ('a') ((-1, 2));\n"
                     "LayerSetKerningPairs Main ('AV', '\xE9\xFF') (200, -3);\n"
                     "LayerSetCharOrders Main ('a', 'b') (3, -2);"));
    const FontDataLayer& layer = Layer("MAIN");
    EXPECT_EQ(layer.glyphs['a'].width, 5);
    EXPECT_EQ(layer.glyphs[0xE9].width, 9);
    EXPECT_EQ(layer.glyphs[','].width, 2);
    EXPECT_EQ(layer.glyphs['a'].offsetX, -1);
    EXPECT_EQ(layer.glyphs['a'].offsetY, 2);
    EXPECT_EQ(layer.glyphs['A'].kerning['V'], -56);
    EXPECT_EQ(layer.glyphs[0xE9].kerning[0xFF], -3);
    EXPECT_EQ(layer.glyphs['a'].order, 3);
    EXPECT_EQ(layer.glyphs['b'].order, -2);
}

TEST_F(FontDataTest, BadEntriesFailTheCommandAfterTheOthersApply)
{
    EXPECT_FALSE(Load("CreateLayer Main;\nLayerSetCharWidths Main ('ab', 'c') (5, 6);"));
    EXPECT_EQ(Layer("MAIN").glyphs['c'].width, 6);
    EXPECT_EQ(app.popups, std::vector<std::string>{
                              Message("Invalid Paramater Type", 2, "LayerSetCharWidths Main ('ab', 'c') (5, 6)")});
    data = std::make_unique<FontData>();
    EXPECT_FALSE(Load("SetCharMap ('a', 'bc', 'c', 'd') ('x', 'y', 'zz', 'w');"));
    EXPECT_EQ(data->characterMap['a'], 'x');
    EXPECT_EQ(data->characterMap['c'], 'c');
    EXPECT_EQ(data->characterMap['d'], 'w');
    data = std::make_unique<FontData>();
    EXPECT_FALSE(Load("CreateLayer Main;\nLayerSetKerningPairs Main ('A', 'AV') (1, 2);"));
    EXPECT_EQ(Layer("MAIN").glyphs['A'].kerning['V'], 2);
    data = std::make_unique<FontData>();
    EXPECT_FALSE(Load("CreateLayer Main;\nLayerSetCharOffsets Main ('a', 'b') (1, (2, 3));"));
    EXPECT_EQ(Layer("MAIN").glyphs['b'].offsetY, 3);
}

TEST_F(FontDataTest, LayerCopiesShareTheImage)
{
    ASSERT_TRUE(Load("CreateLayer Main;\n"
                     "LayerSetImage Main 'art/glyphs.png';\n"
                     "LayerSetImageMap Main ('a') ((0, 0, 10, 20));\n"
                     "LayerRequireTags Main ('x');\n"
                     "LayerSetColorMult Main 0xFF0000;\n"
                     "LayerSetCharWidths Main ('a') (11);\n"
                     "CreateLayerFrom Shadow Main;\n"
                     "LayerSetColorMult Shadow 0x80000000;"));
    const FontDataLayer& main = Layer("MAIN");
    const FontDataLayer& shadow = Layer("SHADOW");
    EXPECT_EQ(shadow.image.GetImage(), main.image.GetImage());
    EXPECT_EQ(main.image.shared->referenceCount.load(), 2);
    EXPECT_FALSE(shadow.image.ownsPrivateImage);
    EXPECT_EQ(shadow.glyphs['a'].imageRect, Rect(0, 0, 10, 20));
    EXPECT_EQ(shadow.glyphs['a'].width, 11);
    EXPECT_EQ(shadow.requiredTags, std::vector<std::string>{"X"});
    EXPECT_TRUE(ColorEquals(main.colorMult, Color(255, 0, 0, 255)));
    EXPECT_TRUE(ColorEquals(shadow.colorMult, Color(0, 0, 0, 128)));
}

TEST_F(FontDataTest, ImageIsFoundBesideTheDescriptor)
{
    folder.Write("fonts/inner/font.txt", "CreateLayer Main;\nLayerSetImage Main '../../art/glyphs.png';");
    EXPECT_TRUE(data->Load(&app, Path("fonts/inner/font.txt")));
    EXPECT_TRUE(data->loaded);
    EXPECT_TRUE(app.popups.empty());
}

TEST_F(FontDataTest, WithoutAnApplicationErrorsAreKeptQuietly)
{
    folder.Write("font.txt", "Foo;");
    EXPECT_TRUE(data->Load(nullptr, Path("font.txt")));
    EXPECT_FALSE(data->loaded);
    EXPECT_EQ(data->error, "Unknown Command");
    EXPECT_TRUE(app.popups.empty());
}

class LegacyFontTest : public FontDataTest
{
protected:
    MemoryImage image;

    void SetUp() override
    {
        FontDataTest::SetUp();
        image.Create(15, 10);
    }
};

TEST_F(LegacyFontTest, WidthFileLaysTheGlyphsSideBySide)
{
    folder.Write("widths.txt", "4 12\na 5\n b\t7 C 3\n\xE9 2");
    ASSERT_TRUE(data->LoadLegacy(&image, Path("widths.txt")));
    EXPECT_TRUE(data->loaded);
    ASSERT_EQ(data->layers.size(), 1u);
    const FontDataLayer& layer = Layer("");
    EXPECT_EQ(layer.image.GetImage(), &image);
    EXPECT_FALSE(layer.image.ownsPrivateImage);
    EXPECT_EQ(layer.glyphs[' '].width, 4);
    EXPECT_EQ(layer.ascent, 12);
    EXPECT_EQ(layer.defaultHeight, 10);
    EXPECT_EQ(layer.glyphs['a'].imageRect, Rect(0, 0, 5, 10));
    EXPECT_EQ(layer.glyphs['b'].imageRect, Rect(5, 0, 7, 10));
    EXPECT_EQ(layer.glyphs['C'].imageRect, Rect(12, 0, 3, 10));
    EXPECT_EQ(layer.glyphs[0xE9].imageRect, Rect(15, 0, 2, 10));
    EXPECT_EQ(layer.glyphs['b'].width, 7);
    EXPECT_EQ(data->fileName, Path("widths.txt"));
}

TEST_F(LegacyFontTest, LettersWithoutWidthBorrowTheOtherCase)
{
    folder.Write("widths.txt", "4 12 a 5 b 7 C 3 D 1 d 2");
    ASSERT_TRUE(data->LoadLegacy(&image, Path("widths.txt")));
    EXPECT_EQ(data->characterMap['A'], 'a');
    EXPECT_EQ(data->characterMap['B'], 'b');
    EXPECT_EQ(data->characterMap['c'], 'C');
    EXPECT_EQ(data->characterMap['D'], 'D');
    EXPECT_EQ(data->characterMap['d'], 'd');
    EXPECT_EQ(data->characterMap['e'], 'e');
}

TEST_F(LegacyFontTest, ReadingStopsAtACharacterWithoutWidth)
{
    folder.Write("widths.txt", "4 12 a 5 b x 6");
    ASSERT_TRUE(data->LoadLegacy(&image, Path("widths.txt")));
    EXPECT_EQ(Layer("").glyphs['a'].width, 5);
    EXPECT_EQ(Layer("").glyphs['b'].width, 0);
    EXPECT_EQ(Layer("").glyphs['x'].width, 0);
}

TEST_F(LegacyFontTest, MissingWidthFileOrSecondLoadFail)
{
    EXPECT_FALSE(data->LoadLegacy(&image, Path("none.txt")));
    EXPECT_FALSE(data->loaded);
    folder.Write("widths.txt", "4 12");
    auto other = std::make_unique<FontData>();
    EXPECT_TRUE(other->LoadLegacy(&image, Path("widths.txt")));
    EXPECT_FALSE(other->LoadLegacy(&image, Path("widths.txt")));
    EXPECT_TRUE(app.popups.empty());
}

} // namespace
