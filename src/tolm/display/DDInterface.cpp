// The display's set-up (Init with its steps, step names and traces), the surfaces it makes, the present,
// the capability test's decision and the release of it all.
#include "display/DDInterface.h"

#include "app/TolmAppBase.h"
#include "core/DirectXErrors.h"
#include "core/StringUtils.h"
#include "diagnostics/DebugTrace.h"
#include "display/D3DInterface.h"
#include "display/D3DTester.h"
#include "display/DDImage.h"
#include "platform/Window.h"

#include <bit>

namespace Tolm {

using namespace Platform;

std::atomic<bool> gRGBOrder{false};
DirectDrawCreateProc DDInterface::directDrawCreate = nullptr;
DirectDrawCreateExProc DDInterface::directDrawCreateEx = nullptr;

namespace {

// The refresh range the frame timing can follow.
constexpr uint32_t kLowestRefreshRate = 60;
constexpr uint32_t kHighestRefreshRate = 100;

template <typename Interface>
void ReleaseInterface(Interface*& pointer)
{
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

void TraceSize(const char* label, int width, int height, const Ratio& aspect)
{
    DebugTrace("%-21s%4lu x %4lu [%2d:%2d]\n", label, (unsigned long)width, (unsigned long)height, aspect.numerator,
               aspect.denominator);
}

DDSURFACEDESC2 OffscreenDesc(int width, int height, uint32_t caps)
{
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    desc.caps.caps = caps;
    return desc;
}

int LowestBit(uint32_t mask)
{
    return mask == 0 ? 0 : std::countr_zero(mask);
}

int BitWidth(uint32_t mask)
{
    return mask == 0 ? 0 : int(std::bit_width(mask)) - LowestBit(mask);
}

void FillComponents(int (&table)[256], uint32_t mask)
{
    for (uint32_t v = 0; v < 256; ++v) {
        table[v] = int(mask & ((mask * v) / 255));
    }
}

} // namespace

DDInterface::DDInterface(TolmAppBase* application) : app(application), d3d(std::make_unique<D3DInterface>())
{
    Library* library = app ? app->ddrawLibrary : nullptr;
    directDrawCreate = reinterpret_cast<DirectDrawCreateProc>(GetProcAddress(library, "DirectDrawCreate"));
    directDrawCreateEx = reinterpret_cast<DirectDrawCreateExProc>(GetProcAddress(library, "DirectDrawCreateEx"));
    MemoryImageRegistry::Instance().SetDisplay(this);
}

DDInterface::~DDInterface()
{
    MemoryImageRegistry::Instance().SetDisplay(nullptr);
    ReleaseAll();
    ForgetImages();
}

// Images that outlive their display keep their pixels in memory and make no more surfaces.
void DDInterface::ForgetImages()
{
    CriticalSectionGuard guard(displayLock);
    std::set<DDImage*> images;
    images.swap(imageSet);
    for (DDImage* image : images) {
        image->ForgetDisplay();
    }
}

int DDInterface::Init(WindowHandle newWindow, bool inWindow)
{
    CriticalSectionGuard guard(displayLock);
    initialised = false;
    ReleaseAll();
    std::optional<HRESULT> created = CreateDirectDraw7();
    if (created && Failed(*created)) {
        return kResultDDCreateFail;
    }
    if (!created) {
        created = directDrawCreate ? directDrawCreate(nullptr, &directDraw, nullptr) : DDERR_NODIRECTDRAWSUPPORT;
    }
    if (RunCapabilityTest(newWindow) && tester->freshResult && app) {
        app->D3DTestResultHook();
    }
    SetGeometry(newWindow, inWindow);
    if (CheckResult(*created, "DirectDrawCreate")) {
        return kResultDDCreateFail;
    }
    int result = windowed ? InitWindowed() : InitFullScreen();
    if (result != kResultOk) {
        return result;
    }
    TraceSize("Draw buffer is", drawWidth, drawHeight, drawAspect);
    SetRefreshRate();
    if ((result = CreateCursorAreas()) != kResultOk || (result = ReadPixelLayout()) != kResultOk) {
        return result;
    }
    BuildColourTables();
    SelectDrawSurface(videoMemoryDrawing);
    if (is3D && !d3d->Init(this)) {
        errorText = "3D init error: " + D3DState().errorText;
        return kResult3DFailed;
    }
    initialised = true;
    if (app) {
        app->DisplayInitHook();
    }
    return kResultOk;
}

// None when DirectDrawCreateEx is missing, so that DirectDrawCreate is used instead.
std::optional<HRESULT> DDInterface::CreateDirectDraw7()
{
    if (!directDrawCreateEx) {
        return std::nullopt;
    }
    void* made = nullptr;
    HRESULT result = directDrawCreateEx(nullptr, &made, IID_IDirectDraw7, nullptr);
    if (CheckResult(result, "DirectDrawCreateEx")) {
        return result;
    }
    directDraw7 = static_cast<IDirectDraw7*>(made);
    void* older = nullptr;
    result = directDraw7->QueryInterface(IID_IDirectDraw, &older);
    if (CheckResult(result, "QueryrInterface IID_IDirectDraw")) {
        return result;
    }
    directDraw = static_cast<IDirectDraw*>(older);
    return result;
}

void DDInterface::SetGeometry(WindowHandle newWindow, bool inWindow)
{
    window = newWindow;
    windowed = inWindow;
    drawWidth = app ? app->width : 0;
    drawHeight = app ? app->height : 0;
    drawAspect.Set(drawWidth, drawHeight);
    desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    desktopAspect.Set(desktopWidth, desktopHeight);
    letterboxed = false;
    displayWidth = drawWidth;
    displayHeight = drawHeight;
    displayAspect = drawAspect;
    presentationRect = Rect(0, 0, drawWidth, drawHeight);
    colorDepth = app ? app->colorDepth : 32;
    if (app) {
        app->presentationRect = presentationRect;
    }
    cursorShown = false;
    DebugTrace("Application requests %4lu x %4lu [%2d:%2d]\n", (unsigned long)drawWidth, (unsigned long)drawHeight,
               drawAspect.numerator, drawAspect.denominator);
}

int DDInterface::InitWindowed()
{
    Ratio hack = app ? app->aspectOverride : Ratio();
    DebugTrace("Hack aspect is                   [%2d:%2d]\n", hack.numerator, hack.denominator);
    TraceSize("Window is", displayWidth, displayHeight, displayAspect);
    directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS;
    desc.caps.caps = DDSCAPS_PRIMARYSURFACE | (is3D ? DDSCAPS_3DDEVICE : 0);
    HRESULT result = CreateSurface(&desc, &primarySurface);
    if (result == DDERR_INVALIDPIXELFORMAT) {
        CheckResult(result, "CreateSurface Windowed Primary");
        return kResultInvalidColorDepth;
    }
    if (CheckResult(result, "CreateSurface Windowed Primary")) {
        return kResultSurfaceFail;
    }
    if (int drawn = CreateDrawSurface("CreateSurface Windowed DrawSurface"); drawn != kResultOk) {
        return drawn;
    }
    return AttachClipper("CreateClipper Windowed");
}

int DDInterface::InitFullScreen()
{
    TraceSize("Desktop is", desktopWidth, desktopHeight, desktopAspect);
    if (is3D && drawAspect.IsNarrowerThan(desktopAspect)) {
        letterboxed = true;
        displayWidth = desktopWidth;
        displayHeight = desktopHeight;
        displayAspect = desktopAspect;
        int bandWidth = drawHeight > 0 ? desktopHeight * drawWidth / drawHeight : 0;
        presentationRect = Rect((desktopWidth - bandWidth) / 2, 0, bandWidth, desktopHeight);
    }
    TraceSize("Display is", displayWidth, displayHeight, displayAspect);
    if (CheckResult(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
                    "SetCooperativeLevel FullScreen")) {
        return kResultExclusiveFail;
    }
    bool altVideoInit = app && app->GetBoolProperty("alt_video_init", false);
    int modeWidth = altVideoInit ? app->width : displayWidth;
    int modeHeight = altVideoInit ? app->height : displayHeight;
    if (CheckResult(directDraw->SetDisplayMode(modeWidth, modeHeight, colorDepth), "SetDisplayMode FullScreen")) {
        return kResultDispChangeFail;
    }
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.backBufferCount = 1;
    desc.caps.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | (is3D ? DDSCAPS_3DDEVICE : 0);
    if (CheckResult(CreateSurface(&desc, &primarySurface), "CreateSurface FullScreen Primary")) {
        return kResultSurfaceFail;
    }
    DDSCAPS2 backCaps;
    backCaps.caps = DDSCAPS_BACKBUFFER;
    if (CheckResult(primarySurface->GetAttachedSurface(&backCaps, &backBuffer), "GetAttachedSurface")) {
        return kResultSurfaceFail;
    }
    if (letterboxed) {
        ClearSurface(primarySurface);
        ClearSurface(backBuffer);
    }
    if (int drawn = CreateDrawSurface("CreateSurface FullScreen DrawSurface"); drawn != kResultOk) {
        return drawn;
    }
    if (int clipped = AttachClipper("CreateClipper FullScreen"); clipped != kResultOk) {
        return clipped;
    }
    if (app && !app->allowPageFlip) {
        directDraw->FlipToGDISurface();
    }
    return kResultOk;
}

int DDInterface::CreateDrawSurface(const char* step)
{
    uint32_t caps = is3D ? DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY
                         : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    DDSURFACEDESC2 desc = OffscreenDesc(drawWidth, drawHeight, caps);
    return CheckResult(CreateSurface(&desc, &drawSurface), step) ? kResultSurfaceFail : kResultOk;
}

// The primary keeps the clipper; the display's own reference goes at once.
int DDInterface::AttachClipper(const char* step)
{
    IDirectDrawClipper* clipper = nullptr;
    if (CheckResult(directDraw->CreateClipper(0, &clipper), step)) {
        return kResultFail;
    }
    if (!Failed(clipper->SetHWnd(0, window))) {
        primarySurface->SetClipper(clipper);
    }
    clipper->Release();
    return kResultOk;
}

void DDInterface::SetRefreshRate()
{
    uint32_t hertz = 0;
    HRESULT result = directDraw->GetMonitorFrequency(&hertz);
    uint32_t rate = hertz;
    if (Failed(result) || hertz < kLowestRefreshRate) {
        rate = kLowestRefreshRate;
    } else if (hertz > kHighestRefreshRate) {
        rate = kHighestRefreshRate;
    }
    if (rate != hertz && app) {
        app->vsyncBroken = true;
    }
    refreshRate = rate;
    refreshPeriod = 1000 / rate;
}

int DDInterface::CreateCursorAreas()
{
    struct Area
    {
        IDirectDrawSurface** surface;
        std::unique_ptr<DDImage>* image;
        const char* step;
    };
    for (const Area& area : {Area{&oldCursorArea, &oldCursorAreaImage, "CreateSurface OldCursorArea"},
                             Area{&newCursorArea, &newCursorAreaImage, "CreateSurface NewCursorArea"}}) {
        DDSURFACEDESC2 desc =
            OffscreenDesc(cursorAreaWidth, cursorAreaHeight, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
        if (CheckResult(CreateSurface(&desc, area.surface), area.step)) {
            return kResultSurfaceFail;
        }
        *area.image = std::make_unique<DDImage>(this);
        (*area.image)->AttachSurface(*area.surface);
        (*area.image)->ForceAlphaFlags(false, false);
    }
    return kResultOk;
}

int DDInterface::ReadPixelLayout()
{
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    primarySurface->GetSurfaceDesc(&desc);
    const DDPIXELFORMAT& format = desc.pixelFormat;
    if (format.rgbBitCount != 16 && format.rgbBitCount != 32) {
        return kResultInvalidColorDepth;
    }
    bitsPerPixel = int(format.rgbBitCount);
    redMask = format.redMask;
    greenMask = format.greenMask;
    blueMask = format.blueMask;
    redShift = LowestBit(redMask);
    greenShift = LowestBit(greenMask);
    blueShift = LowestBit(blueMask);
    redBits = BitWidth(redMask);
    greenBits = BitWidth(greenMask);
    blueBits = BitWidth(blueMask);
    return kResultOk;
}

void DDInterface::BuildColourTables()
{
    redSaturation = std::make_unique<SaturationTable>(redBits);
    greenSaturation = std::make_unique<SaturationTable>(greenBits);
    blueSaturation = std::make_unique<SaturationTable>(blueBits);
    FillComponents(redComponents, redMask);
    FillComponents(greenComponents, greenMask);
    FillComponents(blueComponents, blueMask);
}

HRESULT DDInterface::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface** surface)
{
    CriticalSectionGuard guard(displayLock);
    // Only a display that was made can make surfaces: images asking meanwhile stay in memory.
    if (!directDraw) {
        return DDERR_GENERIC;
    }
    bool makingPrimary = desc && (desc->caps.caps & DDSCAPS_PRIMARYSURFACE) != 0;
    if (!makingPrimary && !primarySurface) {
        return DDERR_GENERIC;
    }
    HRESULT result = DD_OK;
    if (directDraw7) {
        IDirectDrawSurface7* made = nullptr;
        result = directDraw7->CreateSurface(desc, &made);
        if (Failed(result)) {
            return result;
        }
        void* older = nullptr;
        result = made->QueryInterface(IID_IDirectDrawSurface, &older);
        made->Release();
        if (Failed(result)) {
            return result;
        }
        *surface = static_cast<IDirectDrawSurface*>(older);
    } else {
        DDSURFACEDESC older = *desc;
        result = directDraw->CreateSurface(&older, surface);
        if (Failed(result)) {
            return result;
        }
    }
    IDirectDrawSurface* primary = makingPrimary ? *surface : primarySurface;
    DDSURFACEDESC2 primaryDesc;
    primaryDesc.flags = DDSD_PIXELFORMAT;
    primary->GetSurfaceDesc(&primaryDesc);
    const DDPIXELFORMAT& format = primaryDesc.pixelFormat;
    gRGBOrder = format.blueMask < format.greenMask && format.greenMask < format.redMask;
    if (format.rgbBitCount != 16 && format.rgbBitCount != 32) {
        ReleaseInterface(*surface);
        return DDERR_INVALIDPIXELFORMAT;
    }
    return DD_OK;
}

HRESULT DDInterface::ClearSurface(IDirectDrawSurface* surface)
{
    if (!surface) {
        return DD_OK;
    }
    DDSURFACEDESC2 desc;
    HRESULT result = surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY);
    if (Failed(result)) {
        return result;
    }
    std::size_t rowBytes = std::size_t(desc.width) * desc.pixelFormat.rgbBitCount / 8;
    auto* row = static_cast<uint8_t*>(desc.surface);
    for (uint32_t y = 0; y < desc.height; ++y, row += desc.pitch) {
        std::fill(row, row + rowBytes, uint8_t(0));
    }
    return surface->Unlock(nullptr);
}

bool DDInterface::CheckResult(HRESULT result, const char* step)
{
    if (!Failed(result)) {
        return false;
    }
    errorText = FormatString("%s: %s", step, DirectXErrorName(result).c_str());
    return true;
}

std::string DDInterface::ResultName(int code)
{
    static const char* const kNames[] = {"RESULT_OK",
                                         "RESULT_FAIL",
                                         "RESULT_DD_CREATE_FAIL",
                                         "RESULT_SURFACE_FAIL",
                                         "RESULT_EXCLUSIVE_FAIL",
                                         "RESULT_DISPCHANGE_FAIL",
                                         "RESULT_INVALID_COLORDEPTH"};
    return code >= 0 && code <= 6 ? kNames[code] : "RESULT_UNKNOWN";
}

void DDInterface::SelectDrawSurface(bool videoMemory)
{
    CriticalSectionGuard guard(displayLock);
    videoMemoryDrawing = videoMemory;
    if (!backBuffer) {
        DDSURFACEDESC2 desc = OffscreenDesc(drawWidth, drawHeight, DDSCAPS_VIDEOMEMORY);
        if (Failed(CreateSurface(&desc, &backBuffer))) {
            videoMemoryDrawing = false;
        }
    }
    screenImage.reset();
    screenImage = std::make_unique<DDImage>(this);
    screenImage->AttachSurface(videoMemoryDrawing ? backBuffer : drawSurface);
    screenImage->noReadBack = videoMemoryDrawing;
    screenImage->videoMemory = videoMemoryDrawing;
    screenImage->ForceAlphaFlags(false, false);
}

void DDInterface::PresentRects(const Rect* rect, RECT& destination, RECT& source) const
{
    Rect from = rect && !letterboxed ? *rect : Rect(0, 0, drawWidth, drawHeight);
    Rect to = rect && !letterboxed ? *rect : presentationRect;
    source = {from.x, from.y, from.x + from.width, from.y + from.height};
    destination = {to.x, to.y, to.x + to.width, to.y + to.height};
    POINT origin;
    ClientToScreen(window, &origin);
    OffsetRect(&destination, origin.x, origin.y);
}

HRESULT DDInterface::PresentFrame(const RECT& destination, const RECT& source, const char*& step)
{
    RECT from = source;
    RECT to = destination;
    bool popupShown = app && app->flippedToGdi;
    bool pageFlipping = !app || app->allowPageFlip;
    if (windowed && !videoMemoryDrawing) {
        step = "Redraw Windowed";
        SetDrawnPosition();
        DrawCursor(drawSurface, false);
        HRESULT result = primarySurface->Blt(&to, drawSurface, &from, DDBLT_WAIT, nullptr);
        if (cursorShown) {
            RestoreCursorArea(drawSurface, false);
            cursorShown = true;
        }
        return result;
    }
    if (windowed) {
        step = "Redraw Windowed";
        SetDrawnPosition();
        DrawCursor(backBuffer, false);
        return primarySurface->Blt(&to, backBuffer, &from, DDBLT_WAIT, nullptr);
    }
    if (popupShown || !pageFlipping) {
        step = "Redraw FullScreen Blt";
        return primarySurface->Blt(&to, drawSurface, &from, DDBLT_WAIT, nullptr);
    }
    step = "Redraw FullScreen Flip";
    if (!videoMemoryDrawing) {
        backBuffer->Blt(&to, drawSurface, &from, DDBLT_WAIT, nullptr);
    }
    SetDrawnPosition();
    DrawCursor(backBuffer, true);
    return primarySurface->Flip(nullptr, DDFLIP_WAIT);
}

bool DDInterface::Redraw(const Rect* rect)
{
    CriticalSectionGuard guard(displayLock);
    if (!initialised) {
        return false;
    }
    presenting = true;
    if (is3D) {
        if (!D3DState().errorText.empty()) {
            presenting = false;
            is3D = false;
            return false;
        }
        if (d3d->SceneOpen()) {
            d3d->Flush();
        }
    }
    RECT destination;
    RECT source;
    PresentRects(rect, destination, source);
    DDSURFACEDESC2 desc;
    if (!Failed(drawSurface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY))) {
        drawSurface->Unlock(nullptr);
    }
    const char* step = "";
    HRESULT result = PresentFrame(destination, source, step);
    presenting = false;
    if (CheckResult(result, step)) {
        return false;
    }
    presented = true;
    return true;
}

bool DDInterface::RunCapabilityTest(WindowHandle testWindow)
{
    if (tester || !app || (!app->autoEnable3D && !app->run3DTest)) {
        return false;
    }
    tester = std::make_unique<D3DTester>();
    tester->minVideoMemory = app->minVideoMemory;
    tester->recommendedVideoMemory = app->recommendedVideoMemory;
    tester->Evaluate(testWindow, directDraw7);
    if (app->autoEnable3D && tester->Recommends3D()) {
        is3D = true;
    }
    if (!tester->failureReason.empty() || tester->DiscardsStored3DChoice()) {
        is3D = false;
    }
    return true;
}

void DDInterface::ReleaseAll()
{
    CriticalSectionGuard guard(displayLock);
    initialised = false;
    d3d->ReleaseAll();
    oldCursorAreaImage.reset();
    newCursorAreaImage.reset();
    ReleaseInterface(oldCursorArea);
    ReleaseInterface(newCursorArea);
    screenImage.reset();
    ReleaseInterface(drawSurface);
    ReleaseInterface(backBuffer);
    ReleaseInterface(primarySurface);
    if (directDraw) {
        directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    }
    ReleaseInterface(directDraw);
    ReleaseInterface(directDraw7);
}

void DDInterface::AddImage(DDImage* image)
{
    CriticalSectionGuard guard(displayLock);
    imageSet.insert(image);
}

void DDInterface::RemoveImage(DDImage* image)
{
    CriticalSectionGuard guard(displayLock);
    imageSet.erase(image);
}

bool DDInterface::IsDrawSurface3D(const IDirectDrawSurface* surface) const
{
    return is3D && surface && surface == drawSurface;
}

bool DDInterface::IsCurrent3DDrawSurface(const MemoryImage& image) const
{
    const auto* surfaceImage = dynamic_cast<const DDImage*>(&image);
    return surfaceImage && IsDrawSurface3D(surfaceImage->surface);
}

PixelFormat DDInterface::GetPixelFormat() const
{
    if (bitsPerPixel == 0) {
        return PixelFormat::Argb8888();
    }
    return {{redMask, redBits, redShift}, {greenMask, greenBits, greenShift}, {blueMask, blueBits, blueShift}};
}

void DDInterface::RemoveImageTextures(MemoryImage& image)
{
    d3d->RemoveImageTextures(image);
}

bool DDInterface::ReadBackTextures(MemoryImage& image)
{
    return d3d->ReadBackTextures(image);
}

} // namespace Tolm
