#include "ImageFileFixtures.h"
#include "ImageFileTest.h"
#include "core/PakInterface.h"
#include "core/ReferencePak.h"

#include <png.h>
#include <thread>

using namespace Tolm;
using ImageFileFixtures::Argb;
using ImageFileFixtures::Tga;

namespace {

// A one-row 24-bit TGA of the given opaque colours.
std::string TgaRow(const std::vector<uint32_t>& colours)
{
    std::string body;
    for (uint32_t colour : colours) {
        body += char(colour & 0xFF);
        body += char((colour >> 8) & 0xFF);
        body += char((colour >> 16) & 0xFF);
    }
    return Tga(2, int(colours.size()), 1, 24, 0, body);
}

// A square PNG of one colour per pixel from a function of the position.
template <typename Colour>
std::string SquarePng(int size, Colour colour)
{
    ImageFileFixtures::PngSpec spec{size, size, 8, PNG_COLOR_TYPE_RGB, false, {}, {}, {}};
    for (int y = 0; y < size; ++y) {
        std::string row;
        for (int x = 0; x < size; ++x) {
            uint32_t c = colour(x, y);
            row += char(c >> 16);
            row += char(c >> 8);
            row += char(c);
        }
        spec.rows.push_back(row);
    }
    return ImageFileFixtures::Png(spec);
}

uint32_t Paint(int x, int y)
{
    return uint32_t(x * 8) << 16 | uint32_t(y * 8) << 8 | 0x40;
}

uint32_t Mask(int x, int y)
{
    return 0x102000 | uint32_t((x + y * 7) & 0xFF);
}

class LoadImageTest : public ImageFileTest
{
protected:
    std::unique_ptr<ImageLib::Image> Load(const std::string& name, bool lookForAlpha = true)
    {
        return ImageLib::LoadImage(PathOf(name), lookForAlpha);
    }
};

TEST_F(LoadImageTest, NameWithoutExtensionTriesTheFormatsInOrder)
{
    Write("pic.png", SquarePng(2, Paint));
    Write("pic.gif", "not a gif at all");
    auto fromPng = Load("pic");
    ASSERT_TRUE(fromPng);
    EXPECT_EQ(fromPng->bits[3], 0xFF000000u | Paint(1, 1));

    Write("pic.tga", TgaRow({0x112233}));
    auto fromTga = Load("pic");
    ASSERT_TRUE(fromTga);
    EXPECT_EQ(PixelsOf(*fromTga), (std::vector<uint32_t>{0xFF112233}));

    // A broken file of an earlier format passes the name on to the next.
    Write("pic.tga", "broken");
    auto pastBroken = Load("pic");
    ASSERT_TRUE(pastBroken);
    EXPECT_EQ(pastBroken->width, 2);
}

TEST_F(LoadImageTest, ExtensionPicksItsLoaderWhateverItsCase)
{
    Write("pic.tga", TgaRow({0x445566}));
    auto exact = Load("pic.tga");
    ASSERT_TRUE(exact);
    auto upper = Load("pic.TGA");
    ASSERT_TRUE(upper);
    EXPECT_EQ(PixelsOf(*upper), (std::vector<uint32_t>{0xFF445566}));
    EXPECT_FALSE(Load("pic.png"));
}

TEST_F(LoadImageTest, NamesNoLoaderTakesLoadNothing)
{
    Write("pic.bmp", TgaRow({0x445566}));
    Write("pic.BMP", TgaRow({0x445566}));
    Write("pic..tga", TgaRow({0x445566}));
    EXPECT_FALSE(Load("pic.BMP"));
    EXPECT_FALSE(Load("pic."));
    EXPECT_FALSE(Load("pic.tga_"));
}

TEST_F(LoadImageTest, DotInAFolderNameIsNoExtension)
{
    Write("maps.old/pic.tga", TgaRow({0x778899}));
    auto image = Load("maps.old/pic");
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF778899}));
    auto backslashed = ImageLib::LoadImage(temp.Path() + "maps.old\\pic", true);
    ASSERT_TRUE(backslashed);
}

TEST_F(LoadImageTest, CompanionBeforeTheNameGivesAlphaFromItsBlueChannel)
{
    Write("images/coin.png", SquarePng(32, Paint));
    Write("images/_coin.png", SquarePng(32, Mask));
    for (const char* name : {"images/coin", "images/coin.png"}) {
        auto image = Load(name);
        ASSERT_TRUE(image) << name;
        ASSERT_EQ(image->width, 32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                ASSERT_EQ(image->bits[size_t(y * 32 + x)], (Mask(x, y) & 0xFF) << 24 | Paint(x, y))
                    << name << " at " << x << "," << y;
            }
        }
    }
    auto withoutAlpha = Load("images/coin", false);
    ASSERT_TRUE(withoutAlpha);
    EXPECT_EQ(withoutAlpha->bits[0], 0xFF000000u | Paint(0, 0));
}

TEST_F(LoadImageTest, CompanionAloneIsTheAlphaOnlyColourWithItsBlueAsAlpha)
{
    Write("coin_.png", SquarePng(32, Mask));
    auto image = Load("coin");
    ASSERT_TRUE(image);
    for (int i = 0; i < 32 * 32; ++i) {
        ASSERT_EQ(image->bits[size_t(i)], (Mask(i % 32, i / 32) & 0xFF) << 24 | 0xFFFFFF) << i;
    }

    ImageLib::alphaOnlyColor = 0x00336699;
    auto tinted = Load("coin");
    // The colour belongs to the thread that set it: a load elsewhere meanwhile keeps white.
    uint32_t elsewhere = 0;
    std::thread([&] { elsewhere = ImageLib::LoadImage(PathOf("coin"), true)->bits[0]; }).join();
    ImageLib::alphaOnlyColor = 0x00FFFFFF;
    ASSERT_TRUE(tinted);
    EXPECT_EQ(tinted->bits[5], (Mask(5, 0) & 0xFF) << 24 | 0x336699);
    EXPECT_EQ(elsewhere, (Mask(0, 0) & 0xFF) << 24 | 0xFFFFFF);
}

TEST_F(LoadImageTest, CompanionsThatDoNotFitAreIgnored)
{
    Write("a.png", SquarePng(32, Paint));
    Write("_a.png", SquarePng(16, Mask));
    Write("b.png", SquarePng(4, Paint));
    Write("b.png_", SquarePng(4, Mask));
    Write("c.png", SquarePng(4, Paint));
    Write("_c.png", "a broken companion");
    for (const char* name : {"a.png", "b.png", "c"}) {
        auto image = Load(name);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->bits[1], 0xFF000000u | Paint(1, 0)) << name;
    }
}

TEST_F(LoadImageTest, FilesInsidePakArchivesLoad)
{
    const std::string archive = ReferencePak::Archive({{"imagelibtest\\pak\\only.tga", TgaRow({0xABCDEF})}});
    Write("images.pak", archive);
    ASSERT_TRUE(GetSharedPakInterface()->AddPakFile(PathOf("images.pak")));
    auto image = ImageLib::LoadImage("ImageLibTest/pak/only", true);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFFABCDEF}));
}

TEST(CreateImageTest, RefusesSizesOutsideTheLimits)
{
    struct Case
    {
        int64_t width;
        int64_t height;
        bool made;
    };
    const Case cases[] = {
        {3, 2, true},      {0, 5, false},       {5, 0, false},
        {-1, 5, false},    {16384, 1, true},    {16385, 1, false},
        {1, 16385, false}, {8192, 8193, false}, {1 << 20, 1 << 20, false},
    };
    for (const Case& c : cases) {
        auto image = ImageLib::CreateImage(c.width, c.height);
        EXPECT_EQ(bool(image), c.made) << c.width << " x " << c.height;
        if (image) {
            EXPECT_EQ(image->width, c.width);
            EXPECT_EQ(image->height, c.height);
            EXPECT_EQ(PixelsOf(*image), std::vector<uint32_t>(size_t(c.width * c.height), 0));
        }
    }
}

} // namespace
