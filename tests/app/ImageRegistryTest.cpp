#include "app/TolmAppBase.h"
#include "graphics/MemoryImageRegistry.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <barrier>
#include <gtest/gtest.h>
#include <thread>

using namespace Tolm;

namespace {

// An uncompressed 32-bit TGA, top row first, every pixel the same.
std::string Tga(int width, int height, uint32_t pixel)
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = char(width & 0xFF);
    file[13] = char(width >> 8);
    file[14] = char(height & 0xFF);
    file[15] = char(height >> 8);
    file[16] = 32;
    for (int i = 0; i < width * height; ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            file += char((pixel >> shift) & 0xFF);
        }
    }
    return file;
}

// Files are named relative to the test's own folder, as the game names them relative to its own.
class ImageRegistryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previousFolder = Platform::CurrentFolder();
        ASSERT_TRUE(Platform::SetCurrentFolder(temp.Path()));
    }
    void TearDown() override { Platform::SetCurrentFolder(previousFolder); }

    TempFolder temp;
    std::string previousFolder;
    TolmAppBase app;
};

TEST_F(ImageRegistryTest, GetImageDecodesTheFileWithItsCompanionUnderItsName)
{
    temp.Write("images/coin.tga", Tga(3, 2, 0xFF112233));
    temp.Write("images/_coin.tga", Tga(3, 2, 0xFF000080));
    std::unique_ptr<MemoryImage> image = app.GetImage("images/coin", true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->name, "images/coin");
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(std::vector<uint32_t>(image->bits.get(), image->bits.get() + 6), std::vector<uint32_t>(6, 0x80112233));
    EXPECT_TRUE(image->hasPartialAlpha);
    EXPECT_FALSE(app.GetImage("images/missing", true));
}

TEST_F(ImageRegistryTest, NamesDifferingOnlyInLetterCaseShareOneEntry)
{
    temp.Write("Pic.tga", Tga(2, 2, 0xFF445566));
    bool isNew = false;
    SharedImageHandle first = app.GetSharedImage("Pic", "", &isNew);
    EXPECT_TRUE(isNew);
    SharedImageHandle second = app.GetSharedImage("PIC", "", &isNew);
    EXPECT_FALSE(isNew);
    ASSERT_NE(first.GetImage(), nullptr);
    EXPECT_EQ(first.GetImage(), second.GetImage());
    EXPECT_EQ(first.GetImage()->width, 2);
    EXPECT_EQ(app.sharedImageMap.size(), 1u);
    EXPECT_EQ(app.sharedImageMap.begin()->first, std::make_pair(std::string("PIC"), std::string()));

    SharedImageHandle variant = app.GetSharedImage("pic", "small", &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_NE(variant.GetImage(), first.GetImage());
}

TEST_F(ImageRegistryTest, BangNamesGetAnEmptyImageWithoutReadingAFile)
{
    temp.Write("!drawn.tga", Tga(4, 4, 0xFFFFFFFF));
    SharedImageHandle handle = app.GetSharedImage("!drawn", "", nullptr);
    ASSERT_NE(handle.GetImage(), nullptr);
    EXPECT_EQ(handle.GetImage()->width, 0);
    EXPECT_EQ(handle.GetImage()->height, 0);
}

TEST_F(ImageRegistryTest, ImageLivesUntilTheUpdateAfterItsLastHandleWent)
{
    temp.Write("pic.tga", Tga(2, 2, 0xFF445566));
    MemoryImage* image = nullptr;
    {
        SharedImageHandle handle = app.GetSharedImage("pic", "", nullptr);
        image = handle.GetImage();
    }
    EXPECT_TRUE(app.sharedImagesReleased);
    bool isNew = true;
    SharedImageHandle again = app.GetSharedImage("pic", "", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(again.GetImage(), image);

    // Held again, so the clean-up keeps it.
    app.CleanSharedImages();
    EXPECT_FALSE(app.sharedImagesReleased);
    EXPECT_EQ(app.sharedImageMap.size(), 1u);

    again.Release();
    const size_t images = MemoryImageRegistry::Instance().GetMemoryImageCount();
    app.CleanSharedImages();
    EXPECT_TRUE(app.sharedImageMap.empty());
    EXPECT_EQ(MemoryImageRegistry::Instance().GetMemoryImageCount(), images - 1);
    app.GetSharedImage("pic", "", &isNew);
    EXPECT_TRUE(isNew);
}

TEST_F(ImageRegistryTest, FailedLoadIsNotRetriedUntilCleaned)
{
    SharedImageHandle missing = app.GetSharedImage("late", "", nullptr);
    EXPECT_EQ(missing.GetImage(), nullptr);
    temp.Write("late.tga", Tga(1, 1, 0xFF000000));
    EXPECT_EQ(app.GetSharedImage("late", "", nullptr).GetImage(), nullptr);
    missing.Release();
    app.CleanSharedImages();
    EXPECT_NE(app.GetSharedImage("late", "", nullptr).GetImage(), nullptr);
}

TEST_F(ImageRegistryTest, WalksReachEveryLiveImage)
{
    MemoryImage first;
    MemoryImage second;
    for (MemoryImage* image : {&first, &second}) {
        std::vector<uint32_t> pixels = {0xFF000000, 0x80FFFFFF, 0xFF000000, 0x00000000};
        image->SetBits(pixels.data(), 2, 2, true);
        image->GetNativeBits(image->registry->GetDisplayPixelFormat());
        image->GetAlphaRuns();
        ASSERT_TRUE(image->nativeBits);
        image->usePalette = true;
    }
    app.FreeImageCaches();
    EXPECT_FALSE(first.nativeBits);
    EXPECT_FALSE(second.nativeBits);
    EXPECT_TRUE(second.alphaRuns);

    app.PurgeImages();
    EXPECT_FALSE(first.alphaRuns);
    EXPECT_FALSE(second.alphaRuns);

    app.ReInitImages();
    EXPECT_TRUE(first.HasPalette());
    EXPECT_TRUE(second.HasPalette());
}

TEST_F(ImageRegistryTest, CopiesHoldTheRectangleExactlyAndTheFrameLayout)
{
    MemoryImage source;
    // Every channel value must survive, and so must the colour of a clear pixel.
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 11; ++i) {
        pixels.push_back(0xFF000000 | i * 0x010101);
    }
    pixels.push_back(0x00ABCDEF);
    source.SetBits(pixels.data(), 4, 3, true);
    source.numCols = 2;
    source.numRows = 1;
    source.numFrames = 2;
    auto pixelsOf = [](MemoryImage& image) {
        const uint32_t* bits = image.GetBits();
        return std::vector<uint32_t>(bits, bits + image.GetPixelCount());
    };

    std::unique_ptr<MemoryImage> part = app.CopyImageRect(&source, Rect(1, 1, 2, 2));
    ASSERT_EQ(part->width, 2);
    ASSERT_EQ(part->height, 2);
    EXPECT_EQ(pixelsOf(*part), (std::vector<uint32_t>{0xFF050505, 0xFF060606, 0xFF090909, 0xFF0A0A0A}));
    EXPECT_EQ(part->numCols, 2);
    EXPECT_EQ(part->numFrames, 2);

    // Past the source's edges the copy stays clear.
    std::unique_ptr<MemoryImage> edge = app.CopyImageRect(&source, Rect(3, 2, 2, 2));
    EXPECT_EQ(pixelsOf(*edge), (std::vector<uint32_t>{0x00ABCDEF, 0, 0, 0}));
    std::unique_ptr<MemoryImage> before = app.CopyImageRect(&source, Rect(-1, -1, 2, 2));
    EXPECT_EQ(pixelsOf(*before), (std::vector<uint32_t>{0, 0, 0, 0xFF000000}));

    // A source kept in palette form is read without giving that form up.
    ASSERT_TRUE(source.ConvertToPalette());
    std::unique_ptr<MemoryImage> whole = app.CopyImage(&source);
    EXPECT_TRUE(source.HasPalette());
    EXPECT_EQ(pixelsOf(*whole), pixels);
}

// Two threads ask for the same new entries at the same moment, again and again, while a third cleans up
// as the main loop does: every request for a file that exists must see its image, never a half-made entry.
TEST_F(ImageRegistryTest, TwoThreadsAskingForTheSameImagesBothGetThem)
{
    temp.Write("big.tga", Tga(256, 256, 0xFF123456));
    constexpr int kRounds = 200;
    std::barrier start(2);
    std::atomic<bool> done{false};
    std::atomic<int> missing{0};
    auto requester = [&](int seed) {
        SharedImageHandle kept;
        for (int round = 0; round < kRounds; ++round) {
            start.arrive_and_wait();
            // A fresh variant each round makes a fresh entry that both threads race to load.
            SharedImageHandle handle = app.GetSharedImage("big", std::to_string(round), nullptr);
            MemoryImage* image = handle.GetImage();
            if (!image || image->width != 256 || image->bits[0] != 0xFF123456) {
                ++missing;
            }
            SharedImageHandle copy(handle);
            if ((round + seed) % 3 == 0) {
                kept = copy;
            }
        }
    };
    std::thread cleaner([&] {
        while (!done) {
            app.CleanSharedImages();
            std::this_thread::yield();
        }
    });
    std::thread first(requester, 0);
    std::thread second(requester, 1);
    first.join();
    second.join();
    done = true;
    cleaner.join();
    EXPECT_EQ(missing, 0);
    app.CleanSharedImages();
    EXPECT_TRUE(app.sharedImageMap.empty());
}

} // namespace
