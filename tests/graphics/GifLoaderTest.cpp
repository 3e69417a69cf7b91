#include "ImageFileFixtures.h"
#include "ImageFileTest.h"

#include <algorithm>
#include <random>

using namespace Tolm;
using ImageFileFixtures::Gif;
using ImageFileFixtures::GifParts;
using ImageFileFixtures::GraphicControl;
using ImageFileFixtures::LzwEncode;

namespace {

class GifLoaderTest : public ImageFileTest
{
protected:
    std::unique_ptr<ImageLib::Image> Load(const std::string& bytes)
    {
        return ImageLib::LoadGIF(Write("pic.gif", bytes));
    }
};

// Opaque palette colours, as the loader makes them.
std::vector<uint32_t> Opaque(const std::vector<uint32_t>& table, const std::vector<uint8_t>& indexes)
{
    std::vector<uint32_t> pixels;
    for (uint8_t index : indexes) {
        pixels.push_back(0xFF000000u | table[index]);
    }
    return pixels;
}

std::vector<uint32_t> Palette(size_t entries)
{
    std::vector<uint32_t> table;
    for (size_t i = 0; i < entries; ++i) {
        table.push_back(uint32_t(i * 0x010203 + 0x100000) & 0xFFFFFF);
    }
    return table;
}

GifParts Simple(int width, int height, std::vector<uint8_t> indexes, size_t paletteSize = 4)
{
    GifParts parts;
    parts.width = width;
    parts.height = height;
    parts.globalTable = Palette(paletteSize);
    parts.indexes = std::move(indexes);
    int bits = 2;
    while ((size_t(1) << bits) < paletteSize) {
        ++bits;
    }
    parts.minimumCodeSize = bits;
    return parts;
}

// The well-known 10 x 10 sample from descriptions of the format, byte for byte: white, red, blue and
// black in the global table, LZW minimum code size 2.
TEST_F(GifLoaderTest, PublishedSampleDecodesToItsPixels)
{
    const unsigned char file[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x0A, 0x00, 0x0A, 0x00, 0x91, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
        0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
        0x00, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x00, 0x02, 0x16, 0x8C, 0x2D, 0x99, 0x87, 0x2A, 0x1C, 0xDC, 0x33, 0xA0,
        0x02, 0x75, 0xEC, 0x95, 0xFA, 0xA8, 0xDE, 0x60, 0x8C, 0x04, 0x91, 0x4C, 0x01, 0x00, 0x3B,
    };
    auto image = Load(std::string(reinterpret_cast<const char*>(file), sizeof file));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 10);
    ASSERT_EQ(image->height, 10);
    const char* rows[] = {"1111122222", "1111122222", "1111122222", "1110000222", "1110000222",
                          "2220000111", "2220000111", "2222211111", "2222211111", "2222211111"};
    const uint32_t colours[] = {0xFFFFFFFF, 0xFFFF0000, 0xFF0000FF, 0xFF000000};
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(image->bits[size_t(y * 10 + x)], colours[rows[y][x] - '0']) << x << "," << y;
        }
    }
}

TEST_F(GifLoaderTest, TransparentIndexOfTheGraphicControlBecomesClear)
{
    std::vector<uint8_t> indexes = {0, 5, 1, 5, 7, 5, 2, 3};
    GifParts parts = Simple(4, 2, indexes, 8);
    parts.beforeImage = GraphicControl(5);
    auto image = Load(Gif(parts));
    ASSERT_TRUE(image);
    std::vector<uint32_t> expected = Opaque(parts.globalTable, indexes);
    for (size_t i = 0; i < indexes.size(); ++i) {
        if (indexes[i] == 5) {
            expected[i] = 0;
        }
    }
    EXPECT_EQ(PixelsOf(*image), expected);
}

TEST_F(GifLoaderTest, LastGraphicControlBeforeTheImageWinsAndOtherBlocksAreReadThrough)
{
    std::vector<uint8_t> indexes = {1, 2, 3, 0};
    GifParts parts = Simple(2, 2, indexes);
    parts.beforeImage = GraphicControl(1) + std::string("\x21\xFE\x05hello\x00", 9) +
                        std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19) + "\x07" + GraphicControl(2);
    auto image = Load(Gif(parts));
    ASSERT_TRUE(image);
    std::vector<uint32_t> expected = Opaque(parts.globalTable, indexes);
    expected[1] = 0;
    EXPECT_EQ(PixelsOf(*image), expected);
}

TEST_F(GifLoaderTest, InterlacedRowsArriveInPassOrder)
{
    for (int height : {1, 2, 3, 4, 5, 8, 9, 10, 17}) {
        // The passes written out: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
        std::vector<int> order;
        const int starts[] = {0, 4, 2, 1};
        const int steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = starts[pass]; row < height; row += steps[pass]) {
                order.push_back(row);
            }
        }
        std::vector<uint8_t> fileRows;
        for (int i = 0; i < height; ++i) {
            fileRows.push_back(uint8_t(i));
        }
        GifParts parts = Simple(1, height, fileRows, 32);
        parts.interlaced = true;
        auto image = Load(Gif(parts));
        ASSERT_TRUE(image) << height;
        for (int i = 0; i < height; ++i) {
            EXPECT_EQ(image->bits[size_t(order[size_t(i)])], 0xFF000000u | parts.globalTable[size_t(i)])
                << "height " << height << ", file row " << i;
        }
    }
}

TEST_F(GifLoaderTest, LocalColourTableReplacesTheGlobalOne)
{
    std::vector<uint8_t> indexes = {0, 1, 2, 3};
    GifParts parts = Simple(4, 1, indexes);
    parts.localTable = {0x111111, 0x222222, 0x333333, 0x444444};
    auto image = Load(Gif(parts));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444}));
}

TEST_F(GifLoaderTest, IndexesOutsideTheColourTableAreOpaqueBlack)
{
    std::vector<uint8_t> indexes = {0, 1, 2, 3, 6, 7};
    GifParts withShortTable = Simple(6, 1, indexes);
    withShortTable.minimumCodeSize = 3;
    withShortTable.globalTable = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
    auto image = Load(Gif(withShortTable));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image),
              (std::vector<uint32_t>{0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF, 0xFF000000, 0xFF000000}));

    GifParts withoutTable = withShortTable;
    withoutTable.globalTable.clear();
    image = Load(Gif(withoutTable));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), std::vector<uint32_t>(6, 0xFF000000));
}

TEST_F(GifLoaderTest, LargeImageDecodesThroughCodeGrowthAndTableClears)
{
    // Noise fills the code table several times over; long runs exercise codes that are not in the
    // table yet when they arrive.
    std::mt19937 random(7);
    std::vector<uint8_t> indexes;
    const int width = 97;
    const int height = 211;
    while (indexes.size() < size_t(width * height)) {
        uint8_t index = uint8_t(random() % 256);
        size_t run = random() % 4 == 0 ? random() % 40 : 1;
        indexes.insert(indexes.end(), std::min(run, size_t(width * height) - indexes.size()), index);
    }
    for (int minimumCodeSize : {8, 11}) {
        GifParts parts = Simple(width, height, indexes, 256);
        parts.minimumCodeSize = minimumCodeSize;
        auto image = Load(Gif(parts));
        ASSERT_TRUE(image) << minimumCodeSize;
        EXPECT_EQ(PixelsOf(*image), Opaque(parts.globalTable, indexes)) << minimumCodeSize;
    }
}

TEST_F(GifLoaderTest, DecodingStopsWhenTheTableIsFullAndNoClearFollows)
{
    std::mt19937 random(11);
    std::vector<uint8_t> indexes(64 * 128);
    for (uint8_t& index : indexes) {
        index = uint8_t(random() % 256);
    }
    ImageFileFixtures::LzwStream stream = LzwEncode(indexes, 8, false);
    ASSERT_LT(stream.indexesBeforeFullTable, indexes.size());
    GifParts parts = Simple(64, 128, indexes, 256);
    parts.data = stream.subBlocks;
    auto image = Load(Gif(parts));
    ASSERT_TRUE(image);
    std::vector<uint32_t> expected = Opaque(parts.globalTable, indexes);
    std::fill(expected.begin() + long(stream.indexesBeforeFullTable), expected.end(), 0);
    EXPECT_EQ(PixelsOf(*image), expected);
}

TEST_F(GifLoaderTest, DataEndingEarlyKeepsThePixelsDecodedSoFar)
{
    std::mt19937 random(3);
    std::vector<uint8_t> indexes(40 * 30);
    for (uint8_t& index : indexes) {
        index = uint8_t(random() % 16);
    }
    GifParts parts = Simple(40, 30, indexes, 16);
    std::vector<uint32_t> complete = Opaque(parts.globalTable, indexes);

    // An end code after the first 100 pixels.
    parts.data = LzwEncode(std::vector<uint8_t>(indexes.begin(), indexes.begin() + 100), 4).subBlocks;
    auto ended = Load(Gif(parts));
    ASSERT_TRUE(ended);
    std::vector<uint32_t> expected = complete;
    std::fill(expected.begin() + 100, expected.end(), 0);
    EXPECT_EQ(PixelsOf(*ended), expected);

    // The file cut in the middle of the data: what was decoded is the start of the image.
    parts.data = LzwEncode(indexes, 4).subBlocks;
    std::string file = Gif(parts);
    auto cut = Load(file.substr(0, file.size() - 1 - parts.data.size() / 2));
    ASSERT_TRUE(cut);
    std::vector<uint32_t> pixels = PixelsOf(*cut);
    size_t decoded = 0;
    while (decoded < pixels.size() && pixels[decoded] == complete[decoded]) {
        ++decoded;
    }
    EXPECT_GT(decoded, 100u);
    EXPECT_LT(decoded, pixels.size());
    EXPECT_TRUE(std::all_of(pixels.begin() + long(decoded), pixels.end(), [](uint32_t p) { return p == 0; }));
}

TEST_F(GifLoaderTest, AcceptsAnyVersionLetter)
{
    GifParts parts = Simple(2, 1, {1, 2});
    parts.signature = "GIF87z";
    auto image = Load(Gif(parts));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), Opaque(parts.globalTable, {1, 2}));
}

TEST_F(GifLoaderTest, MalformedFilesAreRefused)
{
    auto withSignature = [](const char* signature) {
        GifParts parts = Simple(2, 1, {1, 2});
        parts.signature = signature;
        return Gif(parts);
    };
    auto sized = [](int width, int height) {
        GifParts parts = Simple(2, 1, {1, 2});
        parts.width = width;
        parts.height = height;
        return Gif(parts);
    };
    GifParts codeSizeTwelve = Simple(2, 1, {1, 2});
    codeSizeTwelve.minimumCodeSize = 12;
    codeSizeTwelve.data = std::string("\x02\x00\x10\x00", 4);
    GifParts noImage = Simple(2, 1, {1, 2});
    const std::string complete = Gif(noImage);
    const std::string screenOnly = complete.substr(0, 13 + 12);
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"wrong signature", withSignature("GIF88a")},
        {"not a gif", withSignature("PNGxxx")},
        {"trailer before any image", screenOnly + ";"},
        {"end of file before any image", screenOnly + GraphicControl(1)},
        {"end of file inside an extension", screenOnly + "\x21\xFE\x09only four"},
        {"end of file after the extension label", screenOnly + "\x21"},
        {"descriptor cut short", screenOnly + "\x2C\x00\x00"},
        {"colour table cut short", complete.substr(0, 18)},
        {"zero width", sized(0, 1)},
        {"zero height", sized(2, 0)},
        {"minimum code size twelve", Gif(codeSizeTwelve)},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Load(c.bytes)) << c.name;
    }
    EXPECT_FALSE(ImageLib::LoadGIF(PathOf("missing.gif")));
}

} // namespace
