// Surface images: the conversion into the display's layout and back, the colour key and its collision
// search, the counted lock, the surface's life through the image's storage operations, and the routing
// of draws into memory or into the surface.
#include "DisplayFixture.h"
#include "platform/Library.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace Tolm;
using Platform::SurfaceLayout;

namespace {

class SurfaceImageTest : public DisplayTest
{
protected:
    // A windowed display on a desktop of that layout.
    void InitOn(SurfaceLayout desktop)
    {
        Platform::DirectDrawSeam::SetDesktop({1024, 768, desktop, 60});
        MakeApp();
        ASSERT_EQ(InitWindowed(), kResultOk) << display->errorText;
    }

    std::unique_ptr<DDImage> MakeImage(const std::vector<uint32_t>& pixels, int width)
    {
        auto image = std::make_unique<DDImage>(display.get());
        image->SetBits(pixels.data(), width, int(pixels.size()) / width, true);
        return image;
    }

    // The surface's pixel values, row by row.
    static std::vector<uint32_t> SurfaceValues(Platform::IDirectDrawSurface* surface)
    {
        std::vector<uint32_t> values;
        Platform::DDSURFACEDESC2 desc;
        EXPECT_EQ(surface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT), Platform::DD_OK);
        int bytes = int(desc.pixelFormat.rgbBitCount / 8);
        for (uint32_t y = 0; y < desc.height; ++y) {
            for (uint32_t x = 0; x < desc.width; ++x) {
                values.push_back(Platform::ReadPixelValue(
                    static_cast<uint8_t*>(desc.surface) + std::ptrdiff_t(y) * desc.pitch + x * bytes, bytes));
            }
        }
        surface->Unlock(nullptr);
        return values;
    }
};

// Counts the fills a draw turns into, without drawing them.
class FillRecordingImage : public DDImage
{
public:
    using DDImage::DDImage;
    void FillRectNormal(const Rect& rect, const Color&) override { fills.push_back(rect); }
    std::vector<Rect> fills;
};

} // namespace

TEST_F(SurfaceImageTest, PixelsConvertToTheDisplaysLayoutByTheirTopBits)
{
    struct Case
    {
        SurfaceLayout desktop;
        uint32_t value;
    };
    // 0xFF123456 by hand: red 0x12, green 0x34, blue 0x56 cut to each channel's width.
    const Case cases[] = {
        {SurfaceLayout::Rgb565, 0x11AA}, {SurfaceLayout::Rgb555, 0x08CA},     {SurfaceLayout::Xrgb8888, 0x123456},
        {SurfaceLayout::Bgr565, 0x51A2}, {SurfaceLayout::Xbgr8888, 0x563412},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.desktop));
        InitOn(c.desktop);
        auto image = MakeImage({0xFF123456, 0xFFFFFFFF}, 2);
        ASSERT_TRUE(image->CreateSurface());
        EXPECT_EQ(SurfaceValues(image->surface)[0], c.value);
    }
}

TEST_F(SurfaceImageTest, ReadBackKeepsTheLowBitsClear)
{
    InitOn(SurfaceLayout::Rgb565);
    auto image = MakeImage({0xFFFFFFFF, 0xFF123456}, 2);
    ASSERT_TRUE(image->CreateSurface());
    image->DiscardMemoryCopies();
    uint32_t* pixels = image->GetBits();
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[0], 0xFFF8FCF8u);
    EXPECT_EQ(pixels[1], 0xFF103450u);
    EXPECT_EQ(pixels[2], MemoryImage::EndMarker);
}

TEST_F(SurfaceImageTest, ClearPixelsGetAKeyNoVisiblePixelHasAndBlitWithTheirHoles)
{
    InitOn(SurfaceLayout::Rgb565);
    // The clear pixel converts to 0x0000, as the opaque black does: the key moves to 0x0001, the lowest
    // value no visible pixel converts to.
    auto image = MakeImage({0x00000000, 0xFF000000, 0xFF0000FF, 0x00FF0000}, 4);
    ASSERT_TRUE(image->hasTransparency);
    ASSERT_TRUE(image->CreateSurface());
    EXPECT_EQ(SurfaceValues(image->surface), (std::vector<uint32_t>{0x0001, 0x0000, 0x001F, 0x0001}));
    Platform::DDCOLORKEY key;
    ASSERT_EQ(image->surface->GetColorKey(Platform::DDCKEY_SRCBLT, &key), Platform::DD_OK);
    EXPECT_EQ(key.low, 0x0001u);
    EXPECT_EQ(key.high, 0x0001u);

    Platform::DDSURFACEDESC2 desc;
    desc.flags = Platform::DDSD_CAPS | Platform::DDSD_WIDTH | Platform::DDSD_HEIGHT;
    desc.width = 4;
    desc.height = 1;
    Platform::IDirectDrawSurface* target = nullptr;
    ASSERT_EQ(display->CreateSurface(&desc, &target), Platform::DD_OK);
    Platform::RECT whole{0, 0, 4, 1};
    ASSERT_EQ(target->Lock(nullptr, &desc, Platform::DDLOCK_WAIT), Platform::DD_OK);
    std::fill_n(static_cast<uint16_t*>(desc.surface), 4, uint16_t(0x5555));
    target->Unlock(nullptr);
    ASSERT_EQ(target->Blt(&whole, image->surface, &whole, Platform::DDBLT_WAIT | Platform::DDBLT_KEYSRC, nullptr),
              Platform::DD_OK);
    EXPECT_EQ(SurfaceValues(target), (std::vector<uint32_t>{0x5555, 0x0000, 0x001F, 0x5555}));
    target->Release();
}

TEST_F(SurfaceImageTest, WithoutACollisionTheFirstClearPixelGivesTheKey)
{
    InitOn(SurfaceLayout::Rgb565);
    auto image = MakeImage({0xFF000000, 0x00FF0000, 0x00000000}, 3);
    ASSERT_TRUE(image->CreateSurface());
    EXPECT_EQ(SurfaceValues(image->surface), (std::vector<uint32_t>{0x0000, 0xF800, 0xF800}));
}

TEST_F(SurfaceImageTest, ThirtyTwoBitKeysCompareConvertedColoursOnABlueFirstDisplay)
{
    InitOn(SurfaceLayout::Xbgr8888);
    // The opaque pixel converts to 0x123456, the clear pixel's own value: kept as the key, the opaque
    // pixel would become a hole.
    auto image = MakeImage({0x00123456, 0xFF563412}, 2);
    ASSERT_TRUE(image->CreateSurface());
    EXPECT_EQ(SurfaceValues(image->surface), (std::vector<uint32_t>{0x000000, 0x123456}));
}

TEST_F(SurfaceImageTest, WhenEverySixteenBitColourIsVisibleTheImageStaysInMemory)
{
    InitOn(SurfaceLayout::Rgb565);
    std::vector<uint32_t> pixels;
    for (uint32_t v = 0; v < 65536; ++v) {
        pixels.push_back(0xFF000000 | (v >> 11) << 19 | (v >> 5 & 63) << 10 | (v & 31) << 3);
    }
    pixels.push_back(0x00000000);
    pixels.resize(256 * 257, 0xFF000000);
    auto image = MakeImage(pixels, 256);
    EXPECT_FALSE(image->CreateSurface());
    EXPECT_EQ(image->surface, nullptr);
    ASSERT_NE(image->bits, nullptr);
    EXPECT_EQ(image->GetBits()[65536], 0u);
}

TEST_F(SurfaceImageTest, PartialAlphaNeverGetsASurface)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto image = MakeImage({0x80FFFFFF, 0xFF000000}, 2);
    EXPECT_FALSE(image->CreateSurface());
    EXPECT_FALSE(image->PrepareSurface());
    EXPECT_EQ(image->GetSurface(), nullptr);
    auto opaque = MakeImage({0xFF000000}, 1);
    EXPECT_FALSE(opaque->PrepareSurface()) << "a surface with read-back";
    EXPECT_NE(opaque->surface, nullptr);
}

TEST_F(SurfaceImageTest, LocksAreCountedAndOnlyTheOutermostPairTouchesTheSurface)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto image = MakeImage({0xFF000000, 0xFF000000}, 2);
    EXPECT_FALSE(image->UnlockSurface()) << "nothing to unlock";
    ASSERT_TRUE(image->LockSurface());
    ASSERT_TRUE(image->LockSurface());
    EXPECT_EQ(image->lockCount, 2);
    void* first = image->lockDesc.surface;
    EXPECT_NE(first, nullptr);
    Platform::DDSURFACEDESC2 desc;
    EXPECT_EQ(image->surface->Lock(nullptr, &desc, 0), Platform::DDERR_SURFACEBUSY);
    EXPECT_TRUE(image->UnlockSurface());
    EXPECT_EQ(image->surface->Lock(nullptr, &desc, 0), Platform::DDERR_SURFACEBUSY);
    EXPECT_TRUE(image->UnlockSurface());
    EXPECT_EQ(image->surface->Lock(nullptr, &desc, 0), Platform::DD_OK);
    image->surface->Unlock(nullptr);
}

TEST_F(SurfaceImageTest, ASurfaceThatCannotBeLockedIsNotKept)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto image = MakeImage({0xFF102030}, 1);
    int before = Platform::DirectDrawSeam::LiveSurfaceCount();
    Platform::DirectDrawSeam::FailCall("Lock", Platform::DDERR_SURFACEBUSY);
    EXPECT_FALSE(image->CreateSurface());
    EXPECT_EQ(image->surface, nullptr);
    EXPECT_EQ(Platform::DirectDrawSeam::LiveSurfaceCount(), before);
    EXPECT_EQ(image->GetBits()[0], 0xFF102030u) << "the pixels stay in memory";
}

TEST_F(SurfaceImageTest, SurfaceWantedImagesLiveInTheSurfaceAndComeBackAfterTheDisplayIsMadeAgain)
{
    InitOn(SurfaceLayout::Rgb565);
    auto image = MakeImage({0xFFF80000, 0xFF0000F8}, 2);
    image->surfaceWanted = true;
    image->ReleaseBits();
    ASSERT_NE(image->surface, nullptr);
    EXPECT_EQ(image->bits, nullptr) << "the surface is the only copy";

    // What the application does around a new display: caches freed, then the images' forms restored.
    app->FreeImageCaches();
    EXPECT_EQ(image->surface, nullptr);
    ASSERT_NE(image->bits, nullptr);
    EXPECT_EQ(image->bits[0], 0xFFF80000u);
    ASSERT_EQ(display->Init(window->Handle(), true), kResultOk);
    app->ReInitImages();
    ASSERT_NE(image->surface, nullptr);
    EXPECT_EQ(image->bits, nullptr);
    EXPECT_EQ(SurfaceValues(image->surface), (std::vector<uint32_t>{0xF800, 0x001F}));

    image->FreeDerivedBuffers();
    EXPECT_EQ(image->surface, nullptr);
    EXPECT_EQ(image->GetBits()[1], 0xFF0000F8u);
}

TEST_F(SurfaceImageTest, NewSizeDropsTheSurfaceAndKeepsTheTransparencyFlags)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto image = MakeImage({0x00000000, 0xFF000000}, 2);
    ASSERT_TRUE(image->CreateSurface());
    image->Create(3, 3);
    EXPECT_EQ(image->surface, nullptr);
    EXPECT_TRUE(image->hasTransparency);
    EXPECT_FALSE(image->hasPartialAlpha);
    EXPECT_EQ(image->width, 3);

    ASSERT_TRUE(image->CreateSurface());
    ASSERT_TRUE(image->ConvertToPalette());
    EXPECT_EQ(image->surface, nullptr) << "the palette form is the newer copy";
}

TEST_F(SurfaceImageTest, OpaqueImagesAreDrawnInTheirSurfaceAndTransparentOnesInMemory)
{
    InitOn(SurfaceLayout::Rgb565);
    auto opaque = MakeImage(std::vector<uint32_t>(4, 0xFF000000), 2);
    opaque->FillRect(Rect(1, 0, 1, 2), Color(255, 255, 255), 0);
    ASSERT_NE(opaque->surface, nullptr);
    EXPECT_EQ(opaque->bits, nullptr) << "memory copies are discarded after a surface draw";
    EXPECT_EQ(SurfaceValues(opaque->surface), (std::vector<uint32_t>{0x0000, 0xFFFF, 0x0000, 0xFFFF}));

    auto clear = MakeImage({0x00000000, 0xFF000000}, 2);
    clear->FillRect(Rect(0, 0, 2, 1), Color(255, 0, 0), 0);
    EXPECT_EQ(clear->surface, nullptr);
    EXPECT_EQ(clear->GetBits()[0], 0xFFFF0000u);
}

TEST_F(SurfaceImageTest, ChangesNotedAfterASurfaceDrawKeepTheSurfaceThatHoldsThem)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto image = MakeImage(std::vector<uint32_t>(2, 0xFF000000), 2);
    image->ForceAlphaFlags(false, false);
    image->FillRect(Rect(0, 0, 1, 1), Color(0, 255, 0), 0);
    image->NoteBitsChanged();
    ASSERT_NE(image->surface, nullptr) << "the surface is the only copy of the drawing";
    EXPECT_EQ(image->GetBits()[0], 0xFF00FE00u) << "a 32-bit fill stores 255 as 254";

    image->GetBits()[1] = 0xFF0000FF;
    image->NoteBitsChanged();
    EXPECT_EQ(image->surface, nullptr) << "the memory pixels are newer";
    EXPECT_EQ(image->GetBits()[1], 0xFF0000FFu);
}

TEST_F(SurfaceImageTest, StraightLinesBecomeFillsOfTheTruncatedEnds)
{
    InitOn(SurfaceLayout::Xrgb8888);
    FillRecordingImage image(display.get());
    image.Create(20, 20);
    image.ForceAlphaFlags(false, false);
    image.DrawLine(10.7, 5.0, 3.2, 5.0, Color::White, 0);
    image.DrawLine(4.9, 12.0, 4.1, 2.5, Color::White, 0);
    image.DrawLine(4.0, 2.0, 4.0, 7.9, Color::White, 0);
    EXPECT_EQ(image.fills, (std::vector<Rect>{Rect(3, 5, 8, 1), Rect(4, 2, 1, 6)}));
}

TEST_F(SurfaceImageTest, AttachedSurfaceGivesTheSizeAndStaysThroughTheStorageOperations)
{
    InitOn(SurfaceLayout::Xrgb8888);
    DDImage view(display.get());
    view.AttachSurface(display->drawSurface);
    EXPECT_EQ(view.width, 800);
    EXPECT_EQ(view.height, 600);
    view.FreeDerivedBuffers();
    view.FreeNativeBits();
    view.NoteBitsChanged();
    view.ReleaseBits();
    EXPECT_EQ(view.surface, display->drawSurface);
}

TEST(ClipStretchMirrorTest, MeasuresTheClippedSourceFromItsRightEdge)
{
    struct Case
    {
        const char* name;
        Rect dest;
        Rect clip;
        RectD source;
        Rect clipped;
    };
    // A 10 x 10 source stretched to 20 x 20: each destination pixel is half a source pixel.
    const Case cases[] = {
        {"unclipped", Rect(0, 0, 20, 20), Rect(0, 0, 100, 100), RectD(0, 0, 10, 10), Rect(0, 0, 20, 20)},
        {"left cut: the source's right side goes", Rect(-5, 0, 20, 20), Rect(0, 0, 100, 100), RectD(0, 0, 7.5, 10),
         Rect(0, 0, 15, 20)},
        {"right cut: the source's left side goes", Rect(10, 0, 20, 20), Rect(0, 0, 25, 100), RectD(2.5, 0, 7.5, 10),
         Rect(10, 0, 15, 20)},
        {"top cut", Rect(0, -4, 20, 20), Rect(0, 0, 100, 100), RectD(0, 2, 10, 8), Rect(0, 0, 20, 16)},
    };
    for (const Case& c : cases) {
        RectD source;
        Rect clipped;
        EXPECT_TRUE(DDImage::ClipStretchMirror(Rect(0, 0, 10, 10), c.clip, c.dest, source, clipped)) << c.name;
        EXPECT_EQ(source, c.source) << c.name;
        EXPECT_EQ(clipped, c.clipped) << c.name;
    }
    RectD source;
    Rect clipped;
    EXPECT_FALSE(
        DDImage::ClipStretchMirror(Rect(0, 0, 10, 10), Rect(50, 50, 5, 5), Rect(0, 0, 20, 20), source, clipped));
}

TEST_F(SurfaceImageTest, ImagesOutlivingTheirDisplayKeepTheirPixels)
{
    InitOn(SurfaceLayout::Xrgb8888);
    auto image = MakeImage({0xFF010203}, 1);
    image->surfaceWanted = true;
    image->ReleaseBits();
    ASSERT_NE(image->surface, nullptr);
    display.reset();
    EXPECT_EQ(image->surface, nullptr);
    EXPECT_EQ(image->display, nullptr);
    EXPECT_EQ(image->GetBits()[0], 0xFF010203u);
}

// Surfaces made on another thread, as the loading thread makes them, while the main thread draws and
// presents and a third moves the cursor.
TEST_F(SurfaceImageTest, SurfacesMadeWhileTheMainThreadPresents)
{
    InitOn(SurfaceLayout::Rgb565);
    std::atomic<bool> loading{true};
    std::thread loader([&] {
        for (int i = 0; i < 40; ++i) {
            DDImage image(display.get());
            std::vector<uint32_t> pixels(64 * 64, 0xFF000000u | uint32_t(i));
            image.SetBits(pixels.data(), 64, 64, true);
            image.surfaceWanted = true;
            image.ReleaseBits();
            EXPECT_NE(image.surface, nullptr);
        }
        loading = false;
    });
    std::thread mouse([&] {
        for (int i = 0; loading; ++i) {
            display->SetCursorPosition(i % 800, i % 600);
        }
    });
    DDImage* screen = display->GetScreenImage();
    for (int frame = 0; loading; ++frame) {
        ASSERT_TRUE(screen->LockSurface());
        screen->FillRect(Rect(frame % 700, 0, 100, 100), Color(255, 0, 0), 0);
        screen->UnlockSurface();
        EXPECT_TRUE(display->Redraw(nullptr));
    }
    loader.join();
    mouse.join();
}
