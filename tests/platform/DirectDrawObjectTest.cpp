// The DirectDraw object: how it is created, its cooperative level and display modes, its primaries in the
// desktop's or the mode's format, the flip, the monitor's refresh, the focus loss in full screen, and the
// seam's failures by name and count.
#include "DirectDrawFixture.h"
#include "platform/Window.h"
#include "support/HeadlessVideo.h"

#include <SDL.h>
#include <optional>

using namespace Platform;

namespace {

DDSURFACEDESC2 PrimaryDesc()
{
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS;
    desc.caps.caps = DDSCAPS_PRIMARYSURFACE;
    return desc;
}

DDSURFACEDESC2 FlippingPrimaryDesc()
{
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.backBufferCount = 1;
    desc.caps.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    return desc;
}

} // namespace

TEST(DirectDrawLibraryTest, BothCreateFunctionsAreFoundByNameAndEitherCanBeMissing)
{
    Library* library = LoadLibrary(kDirectDrawLibraryName);
    ASSERT_NE(library, nullptr);
    auto create = reinterpret_cast<DirectDrawCreateProc>(GetProcAddress(library, "DirectDrawCreate"));
    auto createEx = reinterpret_cast<DirectDrawCreateExProc>(GetProcAddress(library, "DirectDrawCreateEx"));
    ASSERT_NE(create, nullptr);
    ASSERT_NE(createEx, nullptr);
    IDirectDraw* older = nullptr;
    ASSERT_EQ(create(nullptr, &older, nullptr), DD_OK);
    void* newer = nullptr;
    EXPECT_EQ(createEx(nullptr, &newer, IID_IDirectDraw, nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(createEx(nullptr, &newer, IID_IDirectDraw7, nullptr), DD_OK);
    void* asked = nullptr;
    EXPECT_EQ(older->QueryInterface(IID_IDirect3D7, &asked), E_NOINTERFACE) << "no Direct3D yet";
    older->Release();
    static_cast<IDirectDraw7*>(newer)->Release();
    FreeLibrary(library);

    InstallLibrary(kDirectDrawLibraryName, {DirectDrawExports()[0]});
    library = LoadLibrary(kDirectDrawLibraryName);
    EXPECT_NE(GetProcAddress(library, "DirectDrawCreate"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "DirectDrawCreateEx"), nullptr);
    FreeLibrary(library);
    InstallDefaultLibraries();
}

TEST(DesktopFormatTest, BytesPerPixelAndGreenMaskGiveTheLayout)
{
    struct Case
    {
        uint32_t format;
        std::optional<SurfaceLayout> layout;
    };
    const Case cases[] = {
        {SDL_PIXELFORMAT_RGB888, SurfaceLayout::Xrgb8888},
        {SDL_PIXELFORMAT_ARGB8888, SurfaceLayout::Xrgb8888},
        {SDL_PIXELFORMAT_RGB565, SurfaceLayout::Rgb565},
        {SDL_PIXELFORMAT_RGB555, SurfaceLayout::Rgb555},
        {SDL_PIXELFORMAT_RGB444, std::nullopt},
        {SDL_PIXELFORMAT_RGB24, SurfaceLayout::Rgb888},
        {SDL_PIXELFORMAT_INDEX8, SurfaceLayout::Palette8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LayoutOfDesktopFormat(c.format), c.layout) << SDL_GetPixelFormatName(c.format);
    }
}

TEST_F(DirectDrawTest, SurfacesWithoutAFormatTakeThePrimarysAndBadRequestsFail)
{
    SurfaceRef plain;
    DDSURFACEDESC2 desc = OffscreenDesc(8, 8);
    ASSERT_EQ(directDraw->CreateSurface(&desc, plain.Out()), DD_OK);
    EXPECT_EQ(plain->Layout(), SurfaceLayout::Xrgb8888) << "the desktop's, while there is no primary";
    EXPECT_NE(plain->Caps() & DDSCAPS_SYSTEMMEMORY, 0u);

    DirectDrawSeam::SetDesktop({640, 480, SurfaceLayout::Rgb555, 0});
    SurfaceRef primary;
    DDSURFACEDESC2 primaryDesc = PrimaryDesc();
    ASSERT_EQ(directDraw->CreateSurface(&primaryDesc, primary.Out()), DD_OK);
    EXPECT_EQ(primary->Width(), 640);
    EXPECT_EQ(primary->Layout(), SurfaceLayout::Rgb555);
    SurfaceRef another;
    EXPECT_EQ(directDraw->CreateSurface(&primaryDesc, another.Out()), DDERR_PRIMARYSURFACEALREADYEXISTS);
    ASSERT_EQ(directDraw->CreateSurface(&desc, plain.Out()), DD_OK);
    EXPECT_EQ(plain->Layout(), SurfaceLayout::Rgb555);

    struct Case
    {
        const char* name;
        DDSURFACEDESC2 desc;
        HRESULT result;
    };
    DDSURFACEDESC2 noSize = desc;
    noSize.flags = DDSD_CAPS;
    DDSURFACEDESC2 zero = OffscreenDesc(0, 8);
    DDSURFACEDESC2 huge = OffscreenDesc(1 << 20, 1 << 20);
    DDSURFACEDESC2 oddFormat = desc;
    oddFormat.flags |= DDSD_PIXELFORMAT;
    oddFormat.pixelFormat.rgbBitCount = 16;
    oddFormat.pixelFormat.redMask = 0x0F00;
    const Case cases[] = {
        {"no size", noSize, DDERR_INVALIDPARAMS},
        {"zero width", zero, DDERR_INVALIDPARAMS},
        {"too large", huge, DDERR_OUTOFMEMORY},
        {"unknown format", oddFormat, DDERR_INVALIDPIXELFORMAT},
    };
    for (const Case& c : cases) {
        SurfaceRef refused;
        EXPECT_EQ(directDraw->CreateSurface(&c.desc, refused.Out()), c.result) << c.name;
        EXPECT_FALSE(refused) << c.name;
    }
}

TEST_F(DirectDrawTest, WindowedPrimaryIsTheDesktopInItsFormat)
{
    struct Case
    {
        std::optional<SurfaceLayout> desktop;
        HRESULT result;
    };
    const Case cases[] = {
        {SurfaceLayout::Xrgb8888, DD_OK}, {SurfaceLayout::Rgb565, DD_OK},   {SurfaceLayout::Rgb555, DD_OK},
        {SurfaceLayout::Rgb888, DD_OK},   {SurfaceLayout::Palette8, DD_OK}, {std::nullopt, DDERR_INVALIDPIXELFORMAT},
    };
    for (const Case& c : cases) {
        DirectDrawSeam::SetDesktop({320, 200, c.desktop, 0});
        Ref<IDirectDraw7> object;
        ASSERT_EQ(IDirectDraw7::Create(object.Out()), DD_OK);
        SurfaceRef primary;
        DDSURFACEDESC2 desc = PrimaryDesc();
        EXPECT_EQ(object->CreateSurface(&desc, primary.Out()), c.result);
        if (c.desktop) {
            ASSERT_TRUE(primary);
            EXPECT_EQ(primary->Layout(), *c.desktop);
            EXPECT_EQ(primary->Height(), 200);
        }
    }
}

TEST_F(DirectDrawTest, RefreshRateComesFromTheDesktopAndZeroIsUnsupported)
{
    uint32_t hertz = 0;
    DirectDrawSeam::SetDesktop({1024, 768, SurfaceLayout::Xrgb8888, 0});
    EXPECT_EQ(directDraw->GetMonitorFrequency(&hertz), DDERR_UNSUPPORTED);
    DirectDrawSeam::SetDesktop({1024, 768, SurfaceLayout::Xrgb8888, 75});
    ASSERT_EQ(directDraw->GetMonitorFrequency(&hertz), DD_OK);
    EXPECT_EQ(hertz, 75u);
    uint32_t total = 0;
    uint32_t free = 0;
    EXPECT_EQ(directDraw->GetAvailableVidMem(nullptr, &total, &free), DDERR_UNSUPPORTED);
    DirectDrawSeam::SetVideoMemory(64u << 20, 60u << 20);
    ASSERT_EQ(directDraw->GetAvailableVidMem(nullptr, &total, &free), DD_OK);
    EXPECT_EQ(total, 64u << 20);
}

TEST_F(DirectDrawTest, SeamFailsANamedCallAfterTheGivenNumberOfCalls)
{
    DirectDrawSeam::FailCall("CreateSurface", DDERR_OUTOFVIDEOMEMORY, 1);
    DDSURFACEDESC2 desc = OffscreenDesc(2, 2);
    SurfaceRef first;
    SurfaceRef second;
    SurfaceRef third;
    EXPECT_EQ(directDraw->CreateSurface(&desc, first.Out()), DD_OK);
    EXPECT_EQ(directDraw->CreateSurface(&desc, second.Out()), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(directDraw->CreateSurface(&desc, third.Out()), DD_OK);
    EXPECT_EQ(DirectDrawSeam::LiveSurfaceCount(), baselineSurfaces + 2);
    DirectDrawSeam::LoseAllSurfaces();
    EXPECT_EQ(first->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(third->IsLost(), DDERR_SURFACELOST);
}

class FullScreenTest : public DirectDrawTest
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        ASSERT_TRUE(InitVideo());
        DirectDrawTest::SetUp();
        window = Window::Create("Full", {0, 0, 1024, 768, true});
        ASSERT_TRUE(window);
    }
    void TearDown() override
    {
        window.reset();
        DirectDrawTest::TearDown();
        MessagePump::Main().DiscardPending();
    }

    std::unique_ptr<Window> window;
};

TEST_F(FullScreenTest, DisplayModeNeedsTheExclusiveLevelAndADepthAndSizeTheDesktopAllows)
{
    EXPECT_EQ(directDraw->SetDisplayMode(800, 600, 32), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window->Handle(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    Ref<IDirectDraw7> other;
    IDirectDraw7::Create(other.Out());
    EXPECT_EQ(other->SetCooperativeLevel(window->Handle(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
              DDERR_EXCLUSIVEMODEALREADYSET);
    struct Case
    {
        int width;
        int height;
        int depth;
        HRESULT result;
    };
    const Case cases[] = {
        {800, 600, 32, DD_OK},
        {800, 600, 16, DD_OK},
        {640, 480, 8, DD_OK},
        {640, 480, 24, DD_OK},
        {800, 600, 15, DDERR_INVALIDMODE},
        {1280, 1024, 32, DDERR_INVALIDMODE},
        {1024, 768, 32, DD_OK},
        {0, 600, 32, DDERR_INVALIDPARAMS},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(directDraw->SetDisplayMode(c.width, c.height, c.depth), c.result)
            << c.width << "x" << c.height << "x" << c.depth;
    }
    ASSERT_EQ(directDraw->SetCooperativeLevel(window->Handle(), DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(window->Handle(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK)
        << "the first object let go";
}

TEST_F(FullScreenTest, FlipSwapsThePrimaryWithItsBackBufferAndShowsItScaled)
{
    ASSERT_EQ(directDraw->SetCooperativeLevel(window->Handle(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(512, 384, 16), DD_OK);
    SurfaceRef primary;
    DDSURFACEDESC2 desc = FlippingPrimaryDesc();
    ASSERT_EQ(directDraw->CreateSurface(&desc, primary.Out()), DD_OK);
    EXPECT_EQ(primary->Width(), 512);
    EXPECT_EQ(primary->Layout(), SurfaceLayout::Rgb565);
    DDSCAPS2 caps;
    caps.caps = DDSCAPS_BACKBUFFER;
    SurfaceRef back;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, back.Out()), DD_OK);
    FillPixels(back.get(), [](int x, int) { return x < 256 ? 0xF800u : 0x001Fu; });
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(PixelAt(primary.get(), 0, 0), 0xF800u);
    EXPECT_EQ(PixelAt(back.get(), 0, 0), 0u);

    // The 512 x 384 mode fills the 1024 x 768 window, each mode pixel two window pixels wide.
    SDL_Surface* shown = SDL_GetWindowSurface(window->SdlWindow());
    ASSERT_NE(shown, nullptr);
    auto colourAt = [shown](int x, int y) {
        uint8_t red = 0;
        uint8_t green = 0;
        uint8_t blue = 0;
        uint32_t value = *reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(shown->pixels) + y * shown->pitch + x * 4);
        SDL_GetRGB(value, shown->format, &red, &green, &blue);
        return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
    };
    EXPECT_EQ(colourAt(511, 700), 0xFF0000u);
    EXPECT_EQ(colourAt(512, 10), 0x0000FFu);
    int x = 300;
    int y = 200;
    window->WindowToClient(x, y);
    EXPECT_EQ(x, 150) << "the mouse is in the mode's coordinates";
    EXPECT_EQ(y, 100);
}

TEST_F(FullScreenTest, LosingTheFocusLosesThePrimaryChainAndVideoMemoryButNotSystemMemory)
{
    ASSERT_EQ(directDraw->SetCooperativeLevel(window->Handle(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 32), DD_OK);
    SurfaceRef primary;
    DDSURFACEDESC2 desc = FlippingPrimaryDesc();
    ASSERT_EQ(directDraw->CreateSurface(&desc, primary.Out()), DD_OK);
    DDSCAPS2 caps;
    caps.caps = DDSCAPS_BACKBUFFER;
    SurfaceRef back;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, back.Out()), DD_OK);
    SurfaceRef system;
    DDSURFACEDESC2 systemDesc = OffscreenDesc(4, 4, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    ASSERT_EQ(directDraw->CreateSurface(&systemDesc, system.Out()), DD_OK);
    SurfaceRef video;
    DDSURFACEDESC2 videoDesc = OffscreenDesc(4, 4, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
    ASSERT_EQ(directDraw->CreateSurface(&videoDesc, video.Out()), DD_OK);

    window->NoteFocusLost();
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(system->IsLost(), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
}
