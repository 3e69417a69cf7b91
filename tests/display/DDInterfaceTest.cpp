// The display's set-up: its steps with their result codes and error texts, the desktops it takes, the
// refresh rate, the letterbox, the colour tables and traces, the present and the 3D decision.
#include "DisplayFixture.h"
#include "core/DirectXErrors.h"
#include "display/D3DTester.h"

#include <SDL.h>
#include <optional>

using namespace Tolm;
using Platform::SurfaceLayout;
using Platform::DirectDrawSeam::FailCall;

TEST_F(DisplayTest, WindowedInitTracesItsGeometryAndReadsThePixelLayout)
{
    ASSERT_EQ(InitWindowed(), kResultOk) << display->errorText;
    EXPECT_TRUE(display->initialised);
    EXPECT_EQ(output.lines, "Application requests  800 x  600 [ 4: 3]\n"
                            "Hack aspect is                   [ 4: 3]\n"
                            "Window is             800 x  600 [ 4: 3]\n"
                            "Draw buffer is        800 x  600 [ 4: 3]\n");
    EXPECT_EQ(display->bitsPerPixel, 32);
    EXPECT_EQ(display->redMask, 0x00FF0000u);
    EXPECT_EQ(display->redShift, 16);
    EXPECT_EQ(display->greenShift, 8);
    EXPECT_EQ(display->blueBits, 8);
    EXPECT_TRUE(gRGBOrder);
    EXPECT_EQ(display->presentationRect, Rect(0, 0, 800, 600));
    EXPECT_EQ(app->presentationRect, Rect(0, 0, 800, 600));
    ASSERT_NE(display->GetScreenImage(), nullptr);
    EXPECT_EQ(display->GetScreenImage()->width, 800);
    EXPECT_EQ(display->GetScreenImage()->surface, display->drawSurface);
    EXPECT_EQ(display->oldCursorAreaImage->width, 64);
}

TEST_F(DisplayTest, FullScreenInitTracesTheDesktopAndSetsTheDrawSizeAsTheMode)
{
    Platform::DirectDrawSeam::SetDesktop({1920, 1080, SurfaceLayout::Xrgb8888, 60});
    ASSERT_EQ(InitFullScreen(), kResultOk) << display->errorText;
    EXPECT_EQ(output.lines, "Application requests  800 x  600 [ 4: 3]\n"
                            "Desktop is           1920 x 1080 [16: 9]\n"
                            "Display is            800 x  600 [ 4: 3]\n"
                            "Draw buffer is        800 x  600 [ 4: 3]\n");
    EXPECT_FALSE(display->letterboxed) << "a 2D display never letterboxes";
    EXPECT_EQ(display->primarySurface->Width(), 800);
    ASSERT_NE(display->backBuffer, nullptr);
    EXPECT_EQ(window->ClientRectOnScreen().width, 800);
}

TEST_F(DisplayTest, EveryFailingStepGivesItsCodeAndTextAndLeavesNothingBehind)
{
    struct Case
    {
        const char* call;
        int passing;
        bool fullScreen;
        int code;
        const char* step;
    };
    const Case cases[] = {
        {"DirectDrawCreateEx", 0, false, kResultDDCreateFail, "DirectDrawCreateEx"},
        {"QueryInterface", 0, false, kResultDDCreateFail, "QueryrInterface IID_IDirectDraw"},
        {"CreateSurface", 0, false, kResultSurfaceFail, "CreateSurface Windowed Primary"},
        {"CreateSurface", 1, false, kResultSurfaceFail, "CreateSurface Windowed DrawSurface"},
        {"CreateClipper", 0, false, kResultFail, "CreateClipper Windowed"},
        {"CreateSurface", 2, false, kResultSurfaceFail, "CreateSurface OldCursorArea"},
        {"CreateSurface", 3, false, kResultSurfaceFail, "CreateSurface NewCursorArea"},
        {"SetCooperativeLevel", 0, true, kResultExclusiveFail, "SetCooperativeLevel FullScreen"},
        {"SetDisplayMode", 0, true, kResultDispChangeFail, "SetDisplayMode FullScreen"},
        {"CreateSurface", 0, true, kResultSurfaceFail, "CreateSurface FullScreen Primary"},
        {"GetAttachedSurface", 0, true, kResultSurfaceFail, "GetAttachedSurface"},
        {"CreateSurface", 1, true, kResultSurfaceFail, "CreateSurface FullScreen DrawSurface"},
        {"CreateClipper", 0, true, kResultFail, "CreateClipper FullScreen"},
    };
    const Platform::HRESULT failure = Platform::DDERR_OUTOFVIDEOMEMORY;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        FailCall(c.call, failure, c.passing);
        EXPECT_EQ(c.fullScreen ? InitFullScreen() : InitWindowed(), c.code);
        EXPECT_EQ(display->errorText, std::string(c.step) + ": DDERR_OUTOFVIDEOMEMORY");
        EXPECT_FALSE(display->initialised);
        EXPECT_FALSE(display->Redraw(nullptr));
        display->ReleaseAll();
        EXPECT_EQ(Platform::DirectDrawSeam::LiveSurfaceCount(), baselineSurfaces);
        Platform::DirectDrawSeam::Reset();
        Platform::DirectDrawSeam::SetDesktop({1024, 768, SurfaceLayout::Xrgb8888, 60});
    }
}

TEST_F(DisplayTest, WithoutDirectDrawCreateExTheOlderObjectIsUsedAndItsFailureCheckedAfterTheGeometry)
{
    Platform::InstallLibrary(Platform::kDirectDrawLibraryName, {Platform::DirectDrawExports()[0]});
    MakeApp();
    ASSERT_EQ(InitWindowed(), kResultOk) << display->errorText;
    EXPECT_EQ(display->directDraw7, nullptr);
    EXPECT_NE(display->directDraw, nullptr);

    output.lines.clear();
    FailCall("DirectDrawCreate", Platform::DDERR_NODIRECTDRAWHW);
    EXPECT_EQ(InitWindowed(), kResultDDCreateFail);
    EXPECT_EQ(display->errorText, "DirectDrawCreate: DDERR_NODIRECTDRAWHW");
    EXPECT_EQ(output.lines, "Application requests  800 x  600 [ 4: 3]\n");
}

TEST_F(DisplayTest, InitTwiceLeavesOneSetOfSurfaces)
{
    ASSERT_EQ(InitWindowed(), kResultOk);
    int afterFirst = Platform::DirectDrawSeam::LiveSurfaceCount();
    ASSERT_EQ(display->Init(window->Handle(), true), kResultOk);
    EXPECT_EQ(Platform::DirectDrawSeam::LiveSurfaceCount(), afterFirst);
    ASSERT_EQ(InitFullScreen(), kResultOk);
    ASSERT_EQ(InitWindowed(), kResultOk);
    EXPECT_EQ(Platform::DirectDrawSeam::LiveSurfaceCount(), afterFirst);
}

TEST_F(DisplayTest, DesktopDepthDecidesWhetherAWindowIsPossible)
{
    struct Case
    {
        std::optional<SurfaceLayout> desktop;
        int code;
        int bits;
        int greenBits;
        bool rgbOrder;
    };
    const Case cases[] = {
        {SurfaceLayout::Xrgb8888, kResultOk, 32, 8, true},
        {SurfaceLayout::Rgb565, kResultOk, 16, 6, true},
        {SurfaceLayout::Rgb555, kResultOk, 16, 5, true},
        {SurfaceLayout::Bgr565, kResultOk, 16, 6, false},
        {SurfaceLayout::Xbgr8888, kResultOk, 32, 8, false},
        {SurfaceLayout::Rgb888, kResultInvalidColorDepth, 0, 0, false},
        {SurfaceLayout::Palette8, kResultInvalidColorDepth, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Platform::DirectDrawSeam::SetDesktop({1024, 768, c.desktop, 60});
        MakeApp();
        EXPECT_EQ(InitWindowed(), c.code);
        if (c.code != kResultOk) {
            EXPECT_EQ(display->primarySurface, nullptr) << "the rejected primary goes at once";
            EXPECT_EQ(Platform::DirectDrawSeam::LiveSurfaceCount(), baselineSurfaces);
            continue;
        }
        EXPECT_EQ(display->bitsPerPixel, c.bits);
        EXPECT_EQ(display->greenBits, c.greenBits);
        EXPECT_EQ(bool(gRGBOrder), c.rgbOrder);
    }
}

TEST_F(DisplayTest, RefreshRatesOutsideSixtyToAHundredAreUnusable)
{
    struct Case
    {
        int reported;
        uint32_t rate;
        uint32_t period;
        bool unusable;
    };
    const Case cases[] = {
        {0, 60, 16, true}, {50, 60, 16, true}, {120, 100, 10, true}, {60, 60, 16, false}, {85, 85, 11, false},
    };
    for (const Case& c : cases) {
        Platform::DirectDrawSeam::SetDesktop({1024, 768, SurfaceLayout::Xrgb8888, c.reported});
        MakeApp();
        ASSERT_EQ(InitWindowed(), kResultOk);
        EXPECT_EQ(display->refreshRate, c.rate) << c.reported;
        EXPECT_EQ(display->refreshPeriod, c.period) << c.reported;
        EXPECT_EQ(app->vsyncBroken, c.unusable) << c.reported;
    }
}

TEST_F(DisplayTest, OnlyA3DFullScreenOnAWiderDesktopIsLetterboxed)
{
    struct Case
    {
        const char* name;
        int desktopWidth;
        int desktopHeight;
        bool is3D;
        bool letterboxed;
        Rect presentation;
    };
    const Case cases[] = {
        {"16:9 in 3D", 1920, 1080, true, true, Rect(240, 0, 1440, 1080)},
        {"5:4 in 3D", 1280, 1024, true, false, Rect(0, 0, 800, 600)},
        {"16:9 in 2D", 1920, 1080, false, false, Rect(0, 0, 800, 600)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Platform::DirectDrawSeam::SetDesktop({c.desktopWidth, c.desktopHeight, SurfaceLayout::Xrgb8888, 60});
        MakeApp();
        display->is3D = c.is3D;
        int result = InitFullScreen();
        EXPECT_EQ(display->letterboxed, c.letterboxed);
        EXPECT_EQ(display->presentationRect, c.presentation);
        if (c.is3D) {
            // Until the 3D path exists its set-up fails after the geometry: the application goes on in 2D.
            EXPECT_EQ(result, kResult3DFailed);
            EXPECT_EQ(display->errorText,
                      "3D init error: QueryInterface IID_IDirect3D7: " + DirectXErrorName(Platform::E_NOINTERFACE));
        }
        if (c.letterboxed) {
            EXPECT_EQ(display->displayWidth, c.desktopWidth);
            EXPECT_EQ(display->primarySurface->Width(), c.desktopWidth);
        }
    }
}

TEST_F(DisplayTest, ColourTablesFollowTheChannels)
{
    Platform::DirectDrawSeam::SetDesktop({1024, 768, SurfaceLayout::Rgb565, 60});
    MakeApp();
    ASSERT_EQ(InitWindowed(), kResultOk);
    // mask & ((mask * v) / 255), worked out by hand for v = 255 and 128.
    EXPECT_EQ(display->redComponents[255], 0xF800);
    EXPECT_EQ(display->redComponents[128], 0x7800);
    EXPECT_EQ(display->greenComponents[128], 0x03E0);
    EXPECT_EQ(display->blueComponents[128], 0x000F);
    EXPECT_EQ(display->blueComponents[0], 0);
    EXPECT_EQ(display->redSaturation->Size(), 63);
    EXPECT_EQ((*display->redSaturation)[20], 20);
    EXPECT_EQ((*display->redSaturation)[62], 31);
    EXPECT_EQ(display->greenSaturation->Size(), 127);
    EXPECT_EQ((*display->greenSaturation)[100], 63);
}

TEST(DDInterfaceResultNameTest, NamesTheCodesUpToSixAndTheRestUnknown)
{
    const char* const names[] = {"RESULT_OK",
                                 "RESULT_FAIL",
                                 "RESULT_DD_CREATE_FAIL",
                                 "RESULT_SURFACE_FAIL",
                                 "RESULT_EXCLUSIVE_FAIL",
                                 "RESULT_DISPCHANGE_FAIL",
                                 "RESULT_INVALID_COLORDEPTH"};
    for (int code = 0; code <= 6; ++code) {
        EXPECT_EQ(DDInterface::ResultName(code), names[code]);
    }
    for (int code : {-1, 7, 100}) {
        EXPECT_EQ(DDInterface::ResultName(code), "RESULT_UNKNOWN") << code;
    }
}

TEST_F(DisplayTest, RedrawShowsTheScreenImageInTheWindow)
{
    EXPECT_FALSE(display->Redraw(nullptr)) << "not set up yet";
    ASSERT_EQ(InitWindowed(), kResultOk);
    DDImage* screen = display->GetScreenImage();
    screen->FillRect(Rect(0, 0, 800, 600), Color(0, 0, 255), 0);
    screen->FillRect(Rect(10, 20, 5, 5), Color(255, 128, 0), 0);
    ASSERT_TRUE(display->Redraw(nullptr)) << display->errorText;
    SDL_Surface* shown = SDL_GetWindowSurface(window->SdlWindow());
    auto colourAt = [shown](int x, int y) {
        uint32_t value = *reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(shown->pixels) + y * shown->pitch + x * 4);
        uint8_t red = 0;
        uint8_t green = 0;
        uint8_t blue = 0;
        SDL_GetRGB(value, shown->format, &red, &green, &blue);
        return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
    };
    // A 32-bit fill stores each channel c as c x 255 / 256.
    EXPECT_EQ(colourAt(12, 22), 0xFE7F00u);
    EXPECT_EQ(colourAt(799, 599), 0x0000FEu);
    EXPECT_TRUE(display->HasPresented());
}

TEST_F(DisplayTest, LostSurfacesFailThePresentAndTheNextInitRecovers)
{
    ASSERT_EQ(InitFullScreen(), kResultOk);
    ASSERT_TRUE(display->Redraw(nullptr)) << display->errorText;
    window->NoteFocusLost();
    EXPECT_FALSE(display->Redraw(nullptr));
    EXPECT_EQ(display->errorText, "Redraw FullScreen Flip: DDERR_SURFACELOST");
    ASSERT_EQ(display->Init(window->Handle(), false), kResultOk);
    EXPECT_TRUE(display->Redraw(nullptr));
}

TEST_F(DisplayTest, PresentLeavesALockItDidNotTakeAlone)
{
    ASSERT_EQ(InitWindowed(), kResultOk);
    DDImage* screen = display->GetScreenImage();
    ASSERT_TRUE(screen->LockSurface());
    EXPECT_FALSE(display->Redraw(nullptr)) << "a locked surface cannot be blitted";
    EXPECT_EQ(display->errorText, "Redraw Windowed: DDERR_SURFACEBUSY");
    Platform::DDSURFACEDESC2 desc;
    EXPECT_EQ(display->drawSurface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT), Platform::DDERR_SURFACEBUSY)
        << "the frame's lock is still held";
    EXPECT_TRUE(screen->UnlockSurface());
    EXPECT_EQ(display->drawSurface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT), Platform::DD_OK);
    display->drawSurface->Unlock(nullptr);
}

TEST_F(DisplayTest, SurfacesAskedForWithoutADisplayFailWithAGenericError)
{
    Platform::DDSURFACEDESC2 desc;
    desc.flags = Platform::DDSD_CAPS | Platform::DDSD_WIDTH | Platform::DDSD_HEIGHT;
    desc.width = 4;
    desc.height = 4;
    Platform::IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(display->CreateSurface(&desc, &surface), Platform::DDERR_GENERIC);
    FailCall("DirectDrawCreateEx", Platform::DDERR_OUTOFMEMORY);
    EXPECT_EQ(InitWindowed(), kResultDDCreateFail);
    EXPECT_EQ(display->CreateSurface(&desc, &surface), Platform::DDERR_GENERIC);
    EXPECT_EQ(surface, nullptr);
}

TEST_F(DisplayTest, CapabilityTestRunsOnceWhenAskedAndItsFailureKeeps3DOff)
{
    EXPECT_FALSE(display->RunCapabilityTest(0)) << "neither automatic 3D nor a stored choice";
    app->autoEnable3D = true;
    EXPECT_TRUE(display->RunCapabilityTest(0));
    ASSERT_NE(display->tester, nullptr);
    EXPECT_FALSE(display->tester->failureReason.empty());
    EXPECT_FALSE(display->is3D);
    EXPECT_FALSE(display->RunCapabilityTest(0)) << "once per display";
}

TEST_F(DisplayTest, ReleasingAFullScreenDisplayGivesTheWindowBack)
{
    ASSERT_EQ(InitFullScreen(), kResultOk);
    display->ReleaseAll();
    EXPECT_EQ(window->ClientRectOnScreen().width, 1024) << "the desktop's mode again";
    Platform::IDirectDraw7* other = nullptr;
    ASSERT_EQ(Platform::IDirectDraw7::Create(&other), Platform::DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(window->Handle(), Platform::DDSCL_FULLSCREEN | Platform::DDSCL_EXCLUSIVE),
              Platform::DD_OK);
    other->Release();
}

TEST_F(DisplayTest, VideoMemoryDrawingWrapsTheBackBufferWithoutReadBack)
{
    ASSERT_EQ(InitWindowed(), kResultOk);
    display->SelectDrawSurface(true);
    DDImage* screen = display->GetScreenImage();
    EXPECT_TRUE(display->videoMemoryDrawing);
    EXPECT_EQ(screen->surface, display->backBuffer);
    EXPECT_TRUE(screen->noReadBack);
    EXPECT_EQ(screen->GetBits(), nullptr);
    EXPECT_TRUE(screen->PrepareSurface());
    EXPECT_TRUE(display->Redraw(nullptr)) << display->errorText;
    display->SelectDrawSurface(false);
    EXPECT_EQ(display->GetScreenImage()->surface, display->drawSurface);
}
