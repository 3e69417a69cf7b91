#include "ImageFileFixtures.h"
#include "ImageFileTest.h"
#include "platform/FileSystem.h"

#include <png.h>

using namespace Tolm;
using ImageFileFixtures::Argb;
using ImageFileFixtures::Png;
using ImageFileFixtures::PngSpec;

namespace {

class PngLoaderTest : public ImageFileTest
{
protected:
    std::unique_ptr<ImageLib::Image> Load(const std::string& bytes)
    {
        return ImageLib::LoadPNG(Write("pic.png", bytes));
    }
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int value : values) {
        out += char(value);
    }
    return out;
}

struct Variant
{
    const char* name;
    PngSpec spec;
    std::vector<uint32_t> expected;
};

std::vector<Variant> Variants()
{
    std::vector<Variant> variants;
    variants.push_back(
        {"RGB",
         {2, 2, 8, PNG_COLOR_TYPE_RGB, false, {}, {}, {Bytes({1, 2, 3, 4, 5, 6}), Bytes({7, 8, 9, 250, 251, 252})}},
         {0xFF010203, 0xFF040506, 0xFF070809, 0xFFFAFBFC}});
    variants.push_back({"RGBA",
                        {2, 1, 8, PNG_COLOR_TYPE_RGB_ALPHA, false, {}, {}, {Bytes({1, 2, 3, 0, 200, 100, 50, 128})}},
                        {0x00010203, 0x80C86432}});
    variants.push_back({"grey",
                        {3, 1, 8, PNG_COLOR_TYPE_GRAY, false, {}, {}, {Bytes({0, 0x80, 0xFF})}},
                        {0xFF000000, 0xFF808080, 0xFFFFFFFF}});
    // Two-bit samples 0, 1, 2, 3 packed high bits first; each widens by repeating its bits.
    variants.push_back({"grey at two bits",
                        {4, 1, 2, PNG_COLOR_TYPE_GRAY, false, {}, {}, {Bytes({0x1B})}},
                        {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}});
    variants.push_back({"grey with alpha",
                        {2, 1, 8, PNG_COLOR_TYPE_GRAY_ALPHA, false, {}, {}, {Bytes({0x40, 0x00, 0xC0, 0x7F})}},
                        {0x00404040, 0x7FC0C0C0}});
    variants.push_back(
        {"palette with transparency",
         {3, 1, 8, PNG_COLOR_TYPE_PALETTE, false, {0xFF0000, 0x00FF00, 0x0000FF}, {0x00, 0x80}, {Bytes({0, 1, 2})}},
         {0x00FF0000, 0x8000FF00, 0xFF0000FF}});
    variants.push_back(
        {"palette at one bit",
         {8, 1, 1, PNG_COLOR_TYPE_PALETTE, false, {0x102030, 0xA0B0C0}, {}, {Bytes({0xA5})}},
         {0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0}});
    // Sixteen-bit samples keep their high byte.
    variants.push_back(
        {"RGBA at sixteen bits",
         {1, 1, 16, PNG_COLOR_TYPE_RGB_ALPHA, false, {}, {}, {Bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0})}},
         {0xDE12569A}});
    variants.push_back({"grey at sixteen bits",
                        {2, 1, 16, PNG_COLOR_TYPE_GRAY, false, {}, {}, {Bytes({0xAB, 0xFF, 0x01, 0x00})}},
                        {0xFFABABAB, 0xFF010101}});
    return variants;
}

TEST_F(PngLoaderTest, EveryColourTypeArrivesAsArgbWords)
{
    for (const Variant& variant : Variants()) {
        auto image = Load(Png(variant.spec));
        ASSERT_TRUE(image) << variant.name;
        EXPECT_EQ(image->width, variant.spec.width) << variant.name;
        EXPECT_EQ(image->height, variant.spec.height) << variant.name;
        EXPECT_EQ(PixelsOf(*image), variant.expected) << variant.name;
    }
}

TEST_F(PngLoaderTest, InterlacedImagesArePutTogether)
{
    ScribbledAllocations scribbled;
    // Nine by nine reaches every one of the seven passes.
    PngSpec spec{9, 9, 8, PNG_COLOR_TYPE_RGB, true, {}, {}, {}};
    std::vector<uint32_t> expected;
    for (int y = 0; y < 9; ++y) {
        std::string row;
        for (int x = 0; x < 9; ++x) {
            row += Bytes({x * 20, y * 20, x + y});
            expected.push_back(Argb(255, uint32_t(x * 20), uint32_t(y * 20), uint32_t(x + y)));
        }
        spec.rows.push_back(row);
    }
    auto image = Load(Png(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), expected);
}

PngSpec SmallRgb()
{
    return {2, 2, 8, PNG_COLOR_TYPE_RGB, false, {}, {}, {Bytes({1, 2, 3, 4, 5, 6}), Bytes({7, 8, 9, 10, 11, 12})}};
}

TEST_F(PngLoaderTest, MalformedFilesAreRefused)
{
    const std::string good = Png(SmallRgb());
    std::string badHeaderCrc = good;
    badHeaderCrc[29] = char(badHeaderCrc[29] ^ 0x55);
    std::string hugeWidth = Png(PngSpec{20000, 1, 1, PNG_COLOR_TYPE_GRAY, false, {}, {}, {std::string(2500, '\0')}});
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"cut in the image data", good.substr(0, good.size() - 20)},
        {"cut in the header", good.substr(0, 20)},
        {"header checksum wrong", badHeaderCrc},
        {"not a png", "GIF89a and then some more bytes"},
        {"wider than any image we take", hugeWidth},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Load(c.bytes)) << c.name;
    }
    EXPECT_FALSE(ImageLib::LoadPNG(PathOf("missing.png")));
}

std::unique_ptr<ImageLib::Image> ImageOf(int width, int height, const std::vector<uint32_t>& pixels)
{
    auto image = ImageLib::CreateImage(width, height);
    std::copy(pixels.begin(), pixels.end(), image->bits.get());
    return image;
}

// The file as libpng itself reads it, as RGBA bytes.
std::string DecodeRgba(const std::string& file, png_uint_32& width, png_uint_32& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        return {};
    }
    image.format = PNG_FORMAT_RGBA;
    std::string pixels(PNG_IMAGE_SIZE(image), '\0');
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        return {};
    }
    width = image.width;
    height = image.height;
    return pixels;
}

TEST_F(PngLoaderTest, WrittenImageReadsBackWithEveryChannelInPlace)
{
    const std::vector<uint32_t> pixels = {0x80FF0000, 0x4000FF00, 0x000000FF, 0xFF123456, 0x01ABCDEF, 0xFEFFFFFF};
    auto image = ImageOf(3, 2, pixels);
    const std::string name = PathOf("shot.png");
    ASSERT_TRUE(ImageLib::WritePNG(name, *image));

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    EXPECT_EQ(DecodeRgba(temp.Read("shot.png"), width, height),
              Bytes({0xFF, 0,    0,    0x80, 0,    0xFF, 0,    0x40, 0,    0,    0xFF, 0,
                     0x12, 0x34, 0x56, 0xFF, 0xAB, 0xCD, 0xEF, 0x01, 0xFF, 0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(width, 3u);
    EXPECT_EQ(height, 2u);

    auto readBack = ImageLib::LoadPNG(name);
    ASSERT_TRUE(readBack);
    EXPECT_EQ(PixelsOf(*readBack), pixels);
}

TEST_F(PngLoaderTest, WriteFailsWithoutHarmForEmptyImagesAndMissingFolders)
{
    ImageLib::Image empty;
    EXPECT_FALSE(ImageLib::WritePNG(PathOf("empty.png"), empty));
    EXPECT_FALSE(Platform::Exists(PathOf("empty.png")));

    auto image = ImageOf(1, 1, {0xFF000000});
    EXPECT_FALSE(ImageLib::WritePNG(PathOf("no/such/folder/shot.png"), *image));
}

} // namespace
