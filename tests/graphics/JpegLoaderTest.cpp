#include "ImageFileFixtures.h"
#include "ImageFileTest.h"

#include <cmath>
#include <cstdlib>

using namespace Tolm;
using ImageFileFixtures::Jpeg;

namespace {

class JpegLoaderTest : public ImageFileTest
{
protected:
    std::unique_ptr<ImageLib::Image> Load(const std::string& bytes)
    {
        return ImageLib::LoadJPEG(Write("pic.jpg", bytes));
    }
};

// Colour gradients with a ripple, so that the file spans several 4096-byte blocks.
std::vector<uint8_t> Gradient(int width, int height)
{
    std::vector<uint8_t> samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            samples.push_back(uint8_t(x * 255 / (width - 1)));
            samples.push_back(uint8_t(y * 255 / (height - 1)));
            samples.push_back(uint8_t(128 + 100 * std::sin(x / 5.0) * std::cos(y / 7.0)));
        }
    }
    return samples;
}

TEST_F(JpegLoaderTest, GreySampleSpreadsToAllThreeChannels)
{
    // A flat block carries only its DC term, which for 0x80 is exactly zero: the decode is exact.
    auto image = Load(Jpeg(16, 16, 1, std::vector<uint8_t>(256, 0x80)));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), std::vector<uint32_t>(256, 0xFF808080));
}

TEST_F(JpegLoaderTest, ColourImageMatchesTheLibrarysOwnDecodeAcrossManyBlocks)
{
    const std::vector<uint8_t> samples = Gradient(256, 192);
    const std::string file = Jpeg(256, 192, 3, samples, 100);
    ASSERT_GT(file.size(), 3u * 4096);
    auto image = Load(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 256);
    EXPECT_EQ(image->height, 192);
    EXPECT_EQ(PixelsOf(*image), ImageFileFixtures::DecodeJpegDirectly(file));
    // And close to what was encoded, channel by channel: red, green and blue each in its place.
    long difference[3] = {0, 0, 0};
    for (size_t i = 0; i < samples.size(); ++i) {
        const uint32_t pixel = image->bits[i / 3];
        const int channel = int(pixel >> (16 - 8 * (i % 3))) & 0xFF;
        difference[i % 3] += std::abs(channel - samples[i]);
    }
    for (long total : difference) {
        EXPECT_LE(total / long(samples.size() / 3), 4);
    }
}

TEST_F(JpegLoaderTest, LongMarkerIsSkippedAcrossSeveralBlocks)
{
    const std::string plain = Jpeg(16, 16, 3, Gradient(16, 16));
    // A comment of 10000 bytes right after the start-of-image marker.
    const int length = 10002;
    std::string withComment = plain.substr(0, 2) + "\xFF\xFE" + char(length >> 8) + char(length & 0xFF) +
                              std::string(10000, 'c') + plain.substr(2);
    auto image = Load(withComment);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), ImageFileFixtures::DecodeJpegDirectly(plain));
}

// Every pixel is written, the rows past the cut included, as the library decodes them.
TEST_F(JpegLoaderTest, FileCutShortStillGivesAWholeImage)
{
    ScribbledAllocations scribbled;
    const std::string file = Jpeg(96, 80, 3, Gradient(96, 80));
    const std::string cut = file.substr(0, file.size() / 2);
    auto image = Load(cut);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 96);
    EXPECT_EQ(image->height, 80);
    EXPECT_EQ(PixelsOf(*image), ImageFileFixtures::DecodeJpegDirectly(cut));
}

TEST_F(JpegLoaderTest, UnreadableFilesAreRefused)
{
    std::vector<uint8_t> cmyk(8 * 8 * 4, 0x40);
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"not a jpeg", "\x89PNG and so on, for a while longer"},
        {"four components", Jpeg(8, 8, 4, cmyk)},
        {"header cut short", Jpeg(8, 8, 1, std::vector<uint8_t>(64, 1)).substr(0, 30)},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Load(c.bytes)) << c.name;
    }
    EXPECT_FALSE(ImageLib::LoadJPEG(PathOf("missing.jpg")));
}

} // namespace
