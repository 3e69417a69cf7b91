// The memory image's storage: the pixel buffer and its end marker, the change counter, the alpha flags,
// the run-length tables, the display-native copy, the palette form, the release family and the registry
// of live images.
#include "graphics/MemoryImage.h"

#include "ImageFixtures.h"
#include "graphics/MemoryImageDisplay.h"
#include "graphics/MemoryImageRegistry.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace Tolm;
using namespace ImageFixtures;

namespace {

std::vector<uint8_t> Runs(const uint8_t* runs, std::size_t count)
{
    return std::vector<uint8_t>(runs, runs + count);
}

// A display for memory images, with its pixel format and 3D flag set by the test, that records what it
// was asked.
class FakeDisplay : public MemoryImageDisplay
{
public:
    PixelFormat format = PixelFormat::Argb8888();
    bool mode3D = false;
    std::vector<const MemoryImage*> texturesRemoved;
    std::vector<uint32_t> textureCopy;

    bool Is3DMode() const override { return mode3D; }
    PixelFormat GetPixelFormat() const override { return format; }
    void RemoveImageTextures(MemoryImage& image) override { texturesRemoved.push_back(&image); }
    bool ReadBackTextures(MemoryImage& image) override
    {
        if (textureCopy.size() != image.GetPixelCount()) {
            return false;
        }
        std::copy(textureCopy.begin(), textureCopy.end(), image.bits.get());
        return true;
    }
};

class MemoryImageTest : public testing::Test
{
protected:
    MemoryImageRegistry registry;
    FakeDisplay display;

    void SetUp() override { registry.SetDisplay(&display); }
};

TEST_F(MemoryImageTest, CreatedImageGetsClearPixelsAndTheEndMarkerWhenFirstRead)
{
    MemoryImage image(registry);
    image.Create(4, 4);
    EXPECT_FALSE(image.bits);
    EXPECT_TRUE(image.hasTransparency);
    EXPECT_TRUE(image.hasPartialAlpha);
    uint32_t* pixels = image.GetBits();
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(16, 0));
    EXPECT_EQ(pixels[16], 0x4BEEFADEu);
    EXPECT_TRUE(image.hasTransparency);
    EXPECT_TRUE(image.hasPartialAlpha);
}

TEST_F(MemoryImageTest, SetBitsCopiesThePixelsAndCountsAChange)
{
    MemoryImage image(registry);
    std::vector<uint32_t> pixels{0xFF000000, 0x80FFFFFF, 0x00000000, 0xFF123456, 0xFF654321, 0xFFABCDEF};
    int before = image.bitsChangedCount;
    image.SetBits(pixels.data(), 3, 2, false);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(Pixels(image), pixels);
    EXPECT_EQ(image.bits[6], 0x4BEEFADEu);
    EXPECT_EQ(image.bitsChangedCount, before + 1);
    EXPECT_TRUE(image.bitsChanged);

    image.SetBits(image.bits.get(), 3, 2, true);
    EXPECT_EQ(image.bitsChangedCount, before + 1);
}

TEST_F(MemoryImageTest, AlphaFlagsFollowThePixelsUnlessForced)
{
    struct Case
    {
        const char* name;
        std::vector<uint32_t> pixels;
        bool transparency, partial;
    } cases[] = {
        {"opaque", {0xFF000000, 0xFFFFFFFF}, false, false},
        {"a clear pixel", {0xFF000000, 0x00FFFFFF}, true, false},
        {"a partial pixel", {0xFE000000, 0xFFFFFFFF}, false, true},
        {"both", {0x01000000, 0x00FFFFFF}, true, true},
    };
    for (const Case& c : cases) {
        MemoryImage image(registry);
        Fill(image, 2, 1, c.pixels);
        EXPECT_EQ(image.hasTransparency, c.transparency) << c.name;
        EXPECT_EQ(image.hasPartialAlpha, c.partial) << c.name;
        EXPECT_FALSE(image.bitsChanged) << c.name;
    }
    MemoryImage forced(registry);
    forced.ForceAlphaFlags(false, false);
    Fill(forced, 2, 1, {0x00000000, 0x80000000});
    forced.UpdateAlphaFlags();
    EXPECT_FALSE(forced.hasTransparency);
    EXPECT_FALSE(forced.hasPartialAlpha);
    EXPECT_TRUE(forced.bitsChanged);
}

TEST_F(MemoryImageTest, AlphaRunsCountPixelsToTheEndOfTheirRunWithinTheRow)
{
    struct Case
    {
        const char* name;
        int width, height;
        std::vector<uint32_t> alphas;
        std::vector<uint8_t> runs;
    } cases[] = {
        {"clear then opaque", 3, 1, {0, 0, 255}, {2, 1, 1}},
        {"partial alphas form one run", 3, 1, {128, 64, 0}, {2, 1, 1}},
        {"one pixel wide", 1, 3, {0, 0, 0}, {1, 1, 1}},
        {"runs stop at the row end", 2, 2, {255, 255, 255, 255}, {2, 1, 2, 1}},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> pixels;
        for (uint32_t alpha : c.alphas) {
            pixels.push_back((alpha << 24) | 0x123456);
        }
        MemoryImage image(registry);
        Fill(image, c.width, c.height, pixels);
        EXPECT_EQ(Runs(image.GetAlphaRuns(), c.runs.size()), c.runs) << c.name;
    }
}

TEST_F(MemoryImageTest, LongRunIsCappedAt255)
{
    MemoryImage image(registry);
    FillWith(image, 300, 1, 0xFF000000);
    std::vector<uint8_t> expected(46, 255);
    for (int left = 254; left >= 1; --left) {
        expected.push_back(uint8_t(left));
    }
    EXPECT_EQ(Runs(image.GetAlphaRuns(), 300), expected);
}

TEST_F(MemoryImageTest, AdditiveRunsSeparateBlackFromColouredNativePixels)
{
    MemoryImage image(registry);
    // Alpha 0 premultiplies the colour away (by 1/256): 0x00FF0000 has a native colour of 0.
    Fill(image, 5, 1, {0xFF000000, 0x00FF0000, 0xFF010000, 0x80FFFFFF, 0x00000000});
    EXPECT_EQ(Runs(image.GetAdditiveRuns(PixelFormat::Argb8888()), 5), (std::vector<uint8_t>{2, 1, 2, 1, 1}));
}

TEST_F(MemoryImageTest, NativeCopyIsPremultipliedAndReducedToTheDisplayDepth)
{
    struct Case
    {
        const char* name;
        PixelFormat format;
        uint32_t pixel, native, back;
    } cases[] = {
        {"5-6-5 white", PixelFormat::Rgb565(), 0xFFFFFFFF, 0xFF00FFFF, 0xFFF8FCF8},
        {"8888 opaque", PixelFormat::Argb8888(), 0xFF123456, 0xFF123456, 0xFF123456},
        // 255 * 129 / 256 = 128.5 keeps 128; back, 128 * 256 / 129 = 254.
        {"8888 half red", PixelFormat::Argb8888(), 0x80FF0000, 0x80800000, 0x80FE0000},
    };
    for (const Case& c : cases) {
        display.format = c.format;
        MemoryImage image(registry);
        Fill(image, 1, 1, {c.pixel});
        EXPECT_EQ(image.GetNativeBits(c.format)[0], c.native) << c.name;
        image.ReleaseBits();
        EXPECT_FALSE(image.bits) << c.name;
        EXPECT_TRUE(image.bitsReleased) << c.name;
        EXPECT_EQ(image.GetBits()[0], c.back) << c.name;
    }
}

TEST_F(MemoryImageTest, PixelsComeBackFromTheFormatTheNativeCopyWasMadeIn)
{
    MemoryImage image(registry);
    Fill(image, 1, 1, {0xFFFFFFFF});
    display.format = PixelFormat::Rgb565();
    image.ReleaseBits();
    display.format = PixelFormat::Argb8888();
    EXPECT_EQ(image.GetBits()[0], 0xFFF8FCF8u);
}

TEST_F(MemoryImageTest, ExactPaletteHoldsAt256ColoursAndNoMore)
{
    std::vector<uint32_t> colours;
    for (uint32_t i = 0; i < 256; ++i) {
        colours.push_back(0xFF000000 | (i * 0x010101));
    }
    MemoryImage image(registry);
    Fill(image, 16, 16, colours);
    ASSERT_TRUE(image.ConvertToPalette());
    EXPECT_TRUE(image.usePalette);
    EXPECT_FALSE(image.bits);
    EXPECT_EQ(image.colorIndices[255], 255);
    EXPECT_EQ(image.colorTable[17], 0xFF111111u);

    colours.push_back(0xFFFF0000);
    MemoryImage tooMany(registry);
    Fill(tooMany, 257, 1, colours);
    EXPECT_FALSE(tooMany.ConvertToPalette());
    EXPECT_FALSE(tooMany.usePalette);
    EXPECT_FALSE(tooMany.colorTable);
    EXPECT_EQ(Pixels(tooMany), colours);
}

TEST_F(MemoryImageTest, PaletteEntriesFollowFirstAppearance)
{
    MemoryImage image(registry);
    Fill(image, 5, 1, {0xFF0000FF, 0x80FF0000, 0xFF0000FF, 0x00000000, 0x80FF0000});
    ASSERT_TRUE(image.ConvertToPalette());
    EXPECT_EQ(std::vector<uint8_t>(image.colorIndices.get(), image.colorIndices.get() + 5),
              (std::vector<uint8_t>{0, 1, 0, 2, 1}));
    EXPECT_EQ(image.colorTable[0], 0xFF0000FFu);
    EXPECT_EQ(image.colorTable[1], 0x80FF0000u);
    EXPECT_EQ(image.colorTable[2], 0x00000000u);
    // Unused entries repeat a colour in use, so the flag scan over the table sees only the image's alphas.
    EXPECT_EQ(image.colorTable[200], 0xFF0000FFu);
}

TEST_F(MemoryImageTest, PaletteImageExpandsWhenReadAndConvertsBackOnRestore)
{
    std::vector<uint32_t> pixels{0xFF0000FF, 0xFF00FF00, 0xFF0000FF, 0x00000000};
    MemoryImage image(registry);
    Fill(image, 2, 2, pixels);
    ASSERT_TRUE(image.ConvertToPalette());
    EXPECT_EQ(ReadPixels(image), pixels);
    EXPECT_FALSE(image.colorTable);
    EXPECT_FALSE(image.colorIndices);
    EXPECT_TRUE(image.usePalette);
    image.Restore();
    EXPECT_TRUE(image.colorTable);
    EXPECT_FALSE(image.bits);
}

TEST_F(MemoryImageTest, PaletteFlagsScanTheTable)
{
    MemoryImage image(registry);
    Fill(image, 2, 1, {0xFF000000, 0xFFFFFFFF});
    ASSERT_TRUE(image.ConvertToPalette());
    image.bitsChanged = true;
    image.UpdateAlphaFlags();
    EXPECT_FALSE(image.hasTransparency);
    EXPECT_FALSE(image.hasPartialAlpha);
}

TEST_F(MemoryImageTest, CreateDropsAPaletteOfTheOldSize)
{
    MemoryImage image(registry);
    FillWith(image, 2, 2, 0xFF00FF00);
    ASSERT_TRUE(image.ConvertToPalette());
    image.Create(8, 8);
    EXPECT_FALSE(image.colorTable);
    EXPECT_EQ(ReadPixels(image), std::vector<uint32_t>(64, 0));
}

TEST_F(MemoryImageTest, EveryChangeDropsTheDerivedBuffersAndTheyAreRebuiltFromTheNewPixels)
{
    MemoryImage image(registry);
    Fill(image, 4, 1, {0xFF000000, 0xFF000000, 0x00000000, 0x00000000});
    EXPECT_EQ(Runs(image.GetAlphaRuns(), 4), (std::vector<uint8_t>{2, 1, 2, 1}));
    image.GetNativeBits(PixelFormat::Argb8888());
    image.GetAdditiveRuns(PixelFormat::Argb8888());
    int before = image.bitsChangedCount;

    image.FillRect(Rect(1, 0, 2, 1), Color(255, 0, 0), DrawModeNormal);
    EXPECT_EQ(image.bitsChangedCount, before + 1);
    EXPECT_FALSE(image.alphaRuns);
    EXPECT_FALSE(image.nativeBits);
    EXPECT_FALSE(image.additiveRuns);
    EXPECT_TRUE(image.bitsChanged);
    EXPECT_EQ(Runs(image.GetAlphaRuns(), 4), (std::vector<uint8_t>{3, 2, 1, 1}));
    EXPECT_TRUE(image.hasTransparency);
    EXPECT_EQ(image.GetNativeBits(PixelFormat::Argb8888())[1], 0xFFFF0000u);
}

TEST_F(MemoryImageTest, ClearMakesEveryPixelTransparentBlack)
{
    MemoryImage image(registry);
    FillWith(image, 3, 3, 0xFFFFFFFF);
    image.Clear();
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(9, 0));
    EXPECT_TRUE(image.bitsChanged);
}

TEST_F(MemoryImageTest, ReleaseFamilyFreesWhatEachMemberNames)
{
    MemoryImage image(registry);
    FillWith(image, 2, 2, 0xFF102030);
    image.GetAlphaRuns();
    image.GetAdditiveRuns(PixelFormat::Argb8888());
    image.FreeNativeBits();
    EXPECT_FALSE(image.nativeBits);
    EXPECT_FALSE(image.additiveRuns);
    EXPECT_TRUE(image.alphaRuns);
    image.FreeSoftwareBuffers();
    EXPECT_FALSE(image.alphaRuns);
    EXPECT_TRUE(image.bits);

    image.FreeDerivedBuffers();
    EXPECT_EQ(display.texturesRemoved, (std::vector<const MemoryImage*>{&image}));
}

TEST_F(MemoryImageTest, FreeingNativePixelsFirstRebuildsReleasedPixels)
{
    MemoryImage image(registry);
    FillWith(image, 2, 1, 0xFF102030);
    image.ReleaseBits();
    ASSERT_FALSE(image.bits);
    image.FreeNativeBits();
    ASSERT_TRUE(image.bits);
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(2, 0xFF102030));
    EXPECT_FALSE(image.nativeBits);
}

TEST_F(MemoryImageTest, InThreeDimensionalModeReleaseKeepsPixelsWithoutATexture)
{
    display.mode3D = true;
    MemoryImage image(registry);
    FillWith(image, 2, 1, 0xFF102030);
    image.ReleaseBits();
    EXPECT_TRUE(image.bitsReleased);
    EXPECT_TRUE(image.bits);
}

TEST_F(MemoryImageTest, PixelsAreReadBackFromTheTextureWhenNothingElseHoldsThem)
{
    display.mode3D = true;
    MemoryImage image(registry);
    FillWith(image, 2, 1, 0xFF102030);
    ASSERT_TRUE(image.ConvertToPalette());
    alignas(8) static char texture[8];
    image.textureData = reinterpret_cast<TexturePieceGrid*>(texture);
    image.ReleaseBits();
    EXPECT_FALSE(image.bits);
    EXPECT_FALSE(image.colorTable);

    display.textureCopy = {0xFFAABBCC, 0xFFDDEEFF};
    EXPECT_EQ(ReadPixels(image), display.textureCopy);

    image.bits.reset();
    display.textureCopy.clear();
    EXPECT_EQ(ReadPixels(image), std::vector<uint32_t>(2, 0));
    image.textureData = nullptr;
}

TEST_F(MemoryImageTest, FrequentUpdatesIsAPlainSwitch)
{
    MemoryImage image(registry);
    image.SetFrequentUpdates(true);
    EXPECT_TRUE(image.frequentUpdates);
    image.SetFrequentUpdates(false);
    EXPECT_FALSE(image.frequentUpdates);
}

TEST_F(MemoryImageTest, ImagesJoinTheRegistryForTheirWholeLife)
{
    EXPECT_EQ(registry.GetMemoryImageCount(), 0u);
    {
        MemoryImage first(registry);
        MemoryImage second(registry);
        EXPECT_TRUE(registry.Contains(&first));
        EXPECT_EQ(registry.GetMemoryImageCount(), 2u);
        int visited = 0;
        registry.ForEachMemoryImage([&](MemoryImage&) { ++visited; });
        EXPECT_EQ(visited, 2);
    }
    EXPECT_EQ(registry.GetMemoryImageCount(), 0u);
    EXPECT_EQ(display.texturesRemoved.size(), 2u);

    MemoryImage standard;
    EXPECT_TRUE(MemoryImageRegistry::Instance().Contains(&standard));
    EXPECT_EQ(standard.registry, &MemoryImageRegistry::Instance());
}

TEST(MemoryImageRegistryTest, ImagesMadeAndDestroyedOnManyThreadsLeaveTheSetConsistent)
{
    MemoryImageRegistry registry;
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            while (!go) {
            }
            for (int i = 0; i < 500; ++i) {
                auto image = std::make_unique<MemoryImage>(registry);
                image->Create(2, 2);
                registry.ForEachMemoryImage([](MemoryImage&) {});
            }
        });
    }
    MemoryImage kept(registry);
    go = true;
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(registry.GetMemoryImageCount(), 1u);
    EXPECT_TRUE(registry.Contains(&kept));
}

} // namespace
