#include "ImageFileFixtures.h"
#include "ImageFileTest.h"

using namespace Tolm;
using ImageFileFixtures::Argb;
using ImageFileFixtures::Tga;

namespace {

class TgaLoaderTest : public ImageFileTest
{
protected:
    std::unique_ptr<ImageLib::Image> Load(const std::string& bytes)
    {
        return ImageLib::LoadTGA(Write("pic.tga", bytes));
    }
};

// Blue, green, red as a TGA stores them.
std::string Bgr(uint8_t red, uint8_t green, uint8_t blue)
{
    return {char(blue), char(green), char(red)};
}

std::string Bgra(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
{
    return Bgr(red, green, blue) + char(alpha);
}

TEST_F(TgaLoaderTest, UncompressedRowsStayInFileOrderWithoutTheBottomUpBit)
{
    std::string body = Bgr(1, 2, 3) + Bgr(4, 5, 6) + Bgr(7, 8, 9) + Bgr(10, 11, 12);
    auto image = Load(Tga(2, 2, 2, 24, 0x00, body));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C}));
}

TEST_F(TgaLoaderTest, BottomUpBitFlipsRowsAndThirtyTwoBitsKeepAlpha)
{
    std::string body = Bgra(1, 2, 3, 0x10) + Bgra(4, 5, 6, 0x20) + Bgra(7, 8, 9, 0x30) + Bgra(10, 11, 12, 0x40);
    auto image = Load(Tga(2, 2, 2, 32, 0x08, body));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0x30070809, 0x400A0B0C, 0x10010203, 0x20040506}));
}

TEST_F(TgaLoaderTest, OriginBitAloneLeavesRowsInFileOrder)
{
    std::string body = Bgra(1, 2, 3, 0xFF) + Bgra(4, 5, 6, 0x80);
    auto image = Load(Tga(2, 1, 2, 32, 0x20, body));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF010203, 0x80040506}));
}

TEST_F(TgaLoaderTest, HighColourChannelsAreShiftedLeftByThreeAndBitFifteenIgnored)
{
    // Little-endian words 0x7FFF, 0x801F (blue only, bit 15 set), 0x03E0 (green), 0x7C00 (red).
    std::string body = std::string("\xFF\x7F\x1F\x80\xE0\x03\x00\x7C", 8);
    auto image = Load(Tga(2, 4, 1, 16, 0x00, body));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFFF8F8F8, 0xFF0000F8, 0xFF00F800, 0xFFF80000}));
}

TEST_F(TgaLoaderTest, RunLengthPacketsRepeatOrCopyPixels)
{
    // 0x80: a run of one; 0xFF: a run of 128; 0x01: two raw pixels.
    std::string body = "\x80" + Bgr(255, 0, 0) + "\xFF" + Bgr(0, 255, 0) + "\x01" + Bgr(0, 0, 255) + Bgr(9, 9, 9);
    auto image = Load(Tga(10, 131, 1, 24, 0x00, body));
    ASSERT_TRUE(image);
    std::vector<uint32_t> expected;
    expected.push_back(0xFFFF0000);
    expected.insert(expected.end(), 128, 0xFF00FF00);
    expected.push_back(0xFF0000FF);
    expected.push_back(0xFF090909);
    EXPECT_EQ(PixelsOf(*image), expected);
}

TEST_F(TgaLoaderTest, RunLengthThirtyTwoBitsWithBottomUpBit)
{
    std::string body = "\x81" + Bgra(1, 2, 3, 4) + "\x01" + Bgra(5, 6, 7, 8) + Bgra(9, 10, 11, 12);
    auto image = Load(Tga(10, 2, 2, 32, 0x08, body));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0x08050607, 0x0C090A0B, 0x04010203, 0x04010203}));
}

TEST_F(TgaLoaderTest, PacketsRunningPastTheLastPixelAreCut)
{
    struct Case
    {
        const char* name;
        std::string body;
        std::vector<uint32_t> expected;
    };
    std::string eightRaw;
    for (int i = 0; i < 8; ++i) {
        eightRaw += Bgr(uint8_t(i), 0, 0);
    }
    const Case cases[] = {
        {"run of 128 over four pixels", "\xFF" + Bgr(1, 1, 1), std::vector<uint32_t>(4, 0xFF010101)},
        {"eight raw pixels over four", "\x07" + eightRaw, {0xFF000000, 0xFF010000, 0xFF020000, 0xFF030000}},
    };
    for (const Case& c : cases) {
        auto image = Load(Tga(10, 2, 2, 24, 0x00, c.body));
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(PixelsOf(*image), c.expected) << c.name;
    }
}

TEST_F(TgaLoaderTest, IdentificationFieldIsSkippedAndOtherTypesReadAsUncompressed)
{
    auto image = Load(Tga(3, 1, 1, 24, 0x00, Bgr(0x12, 0x34, 0x56), "an id field"));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF123456}));
}

TEST_F(TgaLoaderTest, MalformedFilesAreRefused)
{
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"eight bits per pixel", Tga(2, 1, 1, 8, 0, "\x01")},
        {"thirty-three bits per pixel", Tga(2, 1, 1, 33, 0, "\x01\x02\x03\x04\x05")},
        {"run-length at sixteen bits", Tga(10, 1, 1, 16, 0, std::string("\x80\xFF\x7F", 3))},
        {"header cut short", Tga(2, 1, 1, 24, 0, "").substr(0, 17)},
        {"pixels cut short", Tga(2, 2, 2, 24, 0, Bgr(1, 2, 3) + Bgr(1, 2, 3) + Bgr(1, 2, 3))},
        {"run-length data cut short", Tga(10, 2, 2, 24, 0, "\x81" + Bgr(1, 2, 3))},
        {"run-length pixel cut short", Tga(10, 2, 2, 24, 0, "\x83\x01")},
        {"identification field past the end", Tga(2, 1, 1, 24, 0, "", std::string(4, 'x')).substr(0, 20)},
        {"zero width", Tga(2, 0, 5, 24, 0, "")},
        {"zero height", Tga(2, 5, 0, 24, 0, "")},
        {"larger than any image we take", Tga(10, 65535, 65535, 24, 0, "\xFF" + Bgr(1, 2, 3))},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Load(c.bytes)) << c.name;
    }
    EXPECT_FALSE(ImageLib::LoadTGA(PathOf("missing.tga")));
}

} // namespace
