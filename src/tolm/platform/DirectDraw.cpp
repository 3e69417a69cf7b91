// The DirectDraw object: the desktop it starts from, the cooperative level and display mode, surface,
// clipper and palette creation, the monitor's refresh, what a primary shows in its window, and the
// library entry points that create the object.
#include "platform/DirectDraw.h"

#include "platform/DebugOutput.h"
#include "platform/DirectDrawSeam.h"
#include "platform/ScreenPresenter.h"
#include "platform/Window.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Platform {

namespace {

// At most one object holds a window exclusively.
std::atomic<IDirectDraw7*> exclusiveOwner{nullptr};

std::optional<SurfaceLayout> LayoutOfDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8:
        return SurfaceLayout::Palette8;
    case 16:
        return SurfaceLayout::Rgb565;
    case 24:
        return SurfaceLayout::Rgb888;
    case 32:
        return SurfaceLayout::Xrgb8888;
    default:
        return std::nullopt;
    }
}

RECT Intersect(const ScreenRect& a, const ScreenRect& b)
{
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::min(a.x + a.width, b.x + b.width),
            std::min(a.y + a.height, b.y + b.height)};
}

HRESULT DirectDrawCreate(const void* guid, IDirectDraw** out, void* outer)
{
    if (HRESULT injected = DirectDrawSeam::Injected("DirectDrawCreate"); Failed(injected)) {
        return injected;
    }
    if (guid || outer) {
        return DDERR_INVALIDPARAMS;
    }
    return IDirectDraw7::Create(out);
}

HRESULT DirectDrawCreateEx(const void* guid, void** out, InterfaceId id, void* outer)
{
    if (HRESULT injected = DirectDrawSeam::Injected("DirectDrawCreateEx"); Failed(injected)) {
        return injected;
    }
    if (guid || outer || id != IID_IDirectDraw7 || !out) {
        return DDERR_INVALIDPARAMS;
    }
    IDirectDraw7* object = nullptr;
    HRESULT result = IDirectDraw7::Create(&object);
    *out = object;
    return result;
}

} // namespace

std::optional<SurfaceLayout> LayoutOfDesktopFormat(uint32_t format)
{
    switch (SDL_BYTESPERPIXEL(format)) {
    case 4:
        return SurfaceLayout::Xrgb8888;
    case 3:
        return SurfaceLayout::Rgb888;
    case 2: {
        int bits = 0;
        Uint32 red = 0;
        Uint32 green = 0;
        Uint32 blue = 0;
        Uint32 alpha = 0;
        SDL_PixelFormatEnumToMasks(format, &bits, &red, &green, &blue, &alpha);
        if (green == 0x07E0) {
            return SurfaceLayout::Rgb565;
        }
        if (green == 0x03E0) {
            return SurfaceLayout::Rgb555;
        }
        return std::nullopt;
    }
    case 1:
        return SurfaceLayout::Palette8;
    default:
        return std::nullopt;
    }
}

DesktopMode GetDesktopMode()
{
    if (std::optional<DirectDrawSeam::DesktopOverride> pretended = DirectDrawSeam::Desktop()) {
        return {pretended->width, pretended->height, pretended->layout, pretended->refreshRate};
    }
    DesktopMode desktop;
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        return desktop;
    }
    desktop.width = mode.w;
    desktop.height = mode.h;
    desktop.refreshRate = mode.refresh_rate;
    desktop.layout = LayoutOfDesktopFormat(mode.format);
    // The 16-bit path anywhere: the desktop is taken to be 5-6-5 whatever it is.
    if (const char* format = std::getenv("QUENDARA_DESKTOP_FORMAT"); format && std::strcmp(format, "565") == 0) {
        desktop.layout = SurfaceLayout::Rgb565;
    }
    return desktop;
}

int GetSystemMetrics(int index)
{
    DesktopMode desktop = GetDesktopMode();
    return index == SM_CXSCREEN ? desktop.width : index == SM_CYSCREEN ? desktop.height : 0;
}

HRESULT IDirectDrawClipper::QueryInterface(InterfaceId, void** out)
{
    if (out) {
        *out = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT IDirectDrawClipper::SetHWnd(uint32_t, WindowHandle newWindow)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetHWnd"); Failed(injected)) {
        return injected;
    }
    if (!Window::FromHandle(newWindow)) {
        return DDERR_INVALIDPARAMS;
    }
    window = newWindow;
    return DD_OK;
}

HRESULT IDirectDrawPalette::QueryInterface(InterfaceId, void** out)
{
    if (out) {
        *out = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT IDirectDrawPalette::GetEntries(uint32_t, uint32_t start, uint32_t count, PALETTEENTRY* out) const
{
    if (!out || start > 256 || count > 256 - start) {
        return DDERR_INVALIDPARAMS;
    }
    std::copy(entries + start, entries + start + count, out);
    return DD_OK;
}

HRESULT IDirectDrawPalette::SetEntries(uint32_t, uint32_t start, uint32_t count, const PALETTEENTRY* given)
{
    if (!given || start > 256 || count > 256 - start) {
        return DDERR_INVALIDPARAMS;
    }
    std::copy(given, given + count, entries + start);
    return DD_OK;
}

HRESULT IDirectDraw7::Create(IDirectDraw7** out)
{
    if (!out) {
        return DDERR_INVALIDPARAMS;
    }
    *out = new IDirectDraw7();
    return DD_OK;
}

IDirectDraw7::~IDirectDraw7()
{
    if (exclusive) {
        LeaveExclusiveMode();
    }
}

HRESULT IDirectDraw7::QueryInterface(InterfaceId id, void** out)
{
    if (HRESULT injected = DirectDrawSeam::Injected("QueryInterface"); Failed(injected)) {
        return injected;
    }
    if (!out) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    if (id == IID_IDirect3D7) {
        return QueryDirect3D(out);
    }
    if (id != IID_IDirectDraw && id != IID_IDirectDraw7) {
        return E_NOINTERFACE;
    }
    AddRef();
    *out = this;
    return DD_OK;
}

HRESULT IDirectDraw7::SetCooperativeLevel(WindowHandle newWindow, uint32_t flags)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetCooperativeLevel"); Failed(injected)) {
        return injected;
    }
    if (flags == DDSCL_NORMAL) {
        if (exclusive) {
            LeaveExclusiveMode();
        }
        window = newWindow;
        return DD_OK;
    }
    if (flags != (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) {
        return DDERR_INVALIDPARAMS;
    }
    Window* target = Window::FromHandle(newWindow);
    if (!target || !target->IsOnDesktop()) {
        return DDERR_INVALIDPARAMS;
    }
    IDirectDraw7* expected = nullptr;
    if (!exclusive && !exclusiveOwner.compare_exchange_strong(expected, this)) {
        return DDERR_EXCLUSIVEMODEALREADYSET;
    }
    exclusive = true;
    window = newWindow;
    target->SetFocusLossHandler([this] { LoseFocus(); });
    return DD_OK;
}

void IDirectDraw7::LeaveExclusiveMode()
{
    RestoreDisplayMode();
    if (Window* target = Window::FromHandle(window)) {
        target->SetFocusLossHandler(nullptr);
    }
    exclusive = false;
    IDirectDraw7* expected = this;
    exclusiveOwner.compare_exchange_strong(expected, nullptr);
}

HRESULT IDirectDraw7::SetDisplayMode(int newWidth, int newHeight, int bitsPerPixel)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetDisplayMode"); Failed(injected)) {
        return injected;
    }
    if (!exclusive) {
        return DDERR_NOEXCLUSIVEMODE;
    }
    if (newWidth <= 0 || newHeight <= 0) {
        return DDERR_INVALIDPARAMS;
    }
    std::optional<SurfaceLayout> layout = LayoutOfDepth(bitsPerPixel);
    DesktopMode desktop = GetDesktopMode();
    if (!layout || newWidth > desktop.width || newHeight > desktop.height) {
        return DDERR_INVALIDMODE;
    }
    mode = Mode{newWidth, newHeight, *layout};
    if (Window* target = Window::FromHandle(window)) {
        target->SetLogicalSize(newWidth, newHeight);
    }
    return DD_OK;
}

HRESULT IDirectDraw7::RestoreDisplayMode()
{
    mode.reset();
    if (Window* target = Window::FromHandle(window)) {
        target->ClearLogicalSize();
    }
    return DD_OK;
}

SurfaceLayout IDirectDraw7::CurrentLayout() const
{
    if (primary) {
        return primary->Layout();
    }
    if (mode) {
        return mode->layout;
    }
    return GetDesktopMode().layout.value_or(SurfaceLayout::Xrgb8888);
}

HRESULT IDirectDraw7::CreateSurface(const DDSURFACEDESC2* desc, IDirectDrawSurface7** out)
{
    if (HRESULT injected = DirectDrawSeam::Injected("CreateSurface"); Failed(injected)) {
        return injected;
    }
    if (!desc || !out) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    uint32_t caps = (desc->flags & DDSD_CAPS) != 0 ? desc->caps.caps : 0;
    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) {
        return CreatePrimary(*desc, out);
    }
    uint32_t sized = DDSD_WIDTH | DDSD_HEIGHT;
    if ((desc->flags & sized) != sized || desc->width == 0 || desc->height == 0) {
        return DDERR_INVALIDPARAMS;
    }
    SurfaceLayout layout = CurrentLayout();
    if ((desc->flags & DDSD_PIXELFORMAT) != 0) {
        std::optional<SurfaceLayout> asked = LayoutOf(desc->pixelFormat);
        if (!asked) {
            return DDERR_INVALIDPIXELFORMAT;
        }
        layout = *asked;
    }
    if ((caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)) == 0) {
        caps |= DDSCAPS_SYSTEMMEMORY;
    }
    if (desc->width > uint32_t(INT32_MAX) || desc->height > uint32_t(INT32_MAX)) {
        return DDERR_OUTOFMEMORY;
    }
    *out = IDirectDrawSurface7::Make(this, int(desc->width), int(desc->height), layout, caps);
    return *out ? DD_OK : DDERR_OUTOFMEMORY;
}

HRESULT IDirectDraw7::CreatePrimary(const DDSURFACEDESC2& desc, IDirectDrawSurface7** out)
{
    if (primary) {
        return DDERR_PRIMARYSURFACEALREADYEXISTS;
    }
    uint32_t caps = desc.caps.caps;
    bool flipping = (caps & DDSCAPS_FLIP) != 0;
    if (flipping) {
        if (!exclusive) {
            return DDERR_NOEXCLUSIVEMODE;
        }
        if ((caps & DDSCAPS_COMPLEX) == 0 || (desc.flags & DDSD_BACKBUFFERCOUNT) == 0 || desc.backBufferCount == 0) {
            return DDERR_INVALIDPARAMS;
        }
    }
    DesktopMode desktop = GetDesktopMode();
    Mode shown = mode.value_or(Mode{desktop.width, desktop.height, desktop.layout.value_or(SurfaceLayout::Xrgb8888)});
    if (!mode && !desktop.layout) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    IDirectDrawSurface7* made = IDirectDrawSurface7::Make(this, shown.width, shown.height, shown.layout, caps);
    if (!made) {
        return DDERR_OUTOFMEMORY;
    }
    if (flipping) {
        uint32_t backCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | (caps & DDSCAPS_3DDEVICE);
        made->backBuffer = IDirectDrawSurface7::Make(this, shown.width, shown.height, shown.layout, backCaps);
        if (!made->backBuffer) {
            made->Release();
            return DDERR_OUTOFMEMORY;
        }
    }
    primary = made;
    *out = made;
    return DD_OK;
}

HRESULT IDirectDraw7::CreateClipper(uint32_t, IDirectDrawClipper** out)
{
    if (HRESULT injected = DirectDrawSeam::Injected("CreateClipper"); Failed(injected)) {
        return injected;
    }
    if (!out) {
        return DDERR_INVALIDPARAMS;
    }
    *out = new IDirectDrawClipper();
    return DD_OK;
}

HRESULT IDirectDraw7::CreatePalette(uint32_t flags, const PALETTEENTRY* entries, IDirectDrawPalette** out)
{
    if (HRESULT injected = DirectDrawSeam::Injected("CreatePalette"); Failed(injected)) {
        return injected;
    }
    if (!out || !entries || (flags & DDPCAPS_8BIT) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    auto* palette = new IDirectDrawPalette();
    palette->SetEntries(0, 0, 256, entries);
    *out = palette;
    return DD_OK;
}

HRESULT IDirectDraw7::GetMonitorFrequency(uint32_t* hertz)
{
    if (HRESULT injected = DirectDrawSeam::Injected("GetMonitorFrequency"); Failed(injected)) {
        return injected;
    }
    if (!hertz) {
        return DDERR_INVALIDPARAMS;
    }
    int rate = GetDesktopMode().refreshRate;
    Window* target = Window::FromHandle(window);
    SDL_DisplayMode shown{};
    if (!DirectDrawSeam::Desktop() && target && target->SdlWindow() &&
        SDL_GetCurrentDisplayMode(std::max(SDL_GetWindowDisplayIndex(target->SdlWindow()), 0), &shown) == 0) {
        rate = shown.refresh_rate;
    }
    if (rate <= 0) {
        return DDERR_UNSUPPORTED;
    }
    *hertz = uint32_t(rate);
    return DD_OK;
}

HRESULT IDirectDraw7::FlipToGDISurface()
{
    return DirectDrawSeam::Injected("FlipToGDISurface");
}

HRESULT IDirectDraw7::GetAvailableVidMem(const DDSCAPS2*, uint32_t* total, uint32_t* free)
{
    if (HRESULT injected = DirectDrawSeam::Injected("GetAvailableVidMem"); Failed(injected)) {
        return injected;
    }
    uint32_t givenTotal = 0;
    uint32_t givenFree = 0;
    if (!DirectDrawSeam::VideoMemory(givenTotal, givenFree)) {
        std::optional<uint64_t> driver = DriverVideoMemory();
        if (!driver) {
            return DDERR_UNSUPPORTED;
        }
        givenTotal = uint32_t(std::min<uint64_t>(*driver, UINT32_MAX));
        givenFree = givenTotal;
    }
    if (total) {
        *total = givenTotal;
    }
    if (free) {
        *free = givenFree;
    }
    return DD_OK;
}

void IDirectDraw7::Register(IDirectDrawSurface7* surface)
{
    std::lock_guard<std::mutex> guard(surfacesLock);
    surfaces.push_back(surface);
}

void IDirectDraw7::Forget(IDirectDrawSurface7* surface)
{
    std::lock_guard<std::mutex> guard(surfacesLock);
    std::erase(surfaces, surface);
    if (primary == surface) {
        primary = nullptr;
    }
}

void IDirectDraw7::LoseFocus()
{
    std::lock_guard<std::mutex> guard(surfacesLock);
    for (IDirectDrawSurface7* surface : surfaces) {
        if ((surface->Caps() & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_BACKBUFFER | DDSCAPS_VIDEOMEMORY)) != 0) {
            surface->MarkLost();
        }
    }
}

void IDirectDraw7::Present(const IDirectDrawSurface7& shown, bool waitForVerticalBlank)
{
    // Other threads only change the memory: SDL is the main thread's.
    if (!IsVideoThread()) {
        return;
    }
    if (shown.backBuffer) {
        PresentFullScreen(shown, waitForVerticalBlank);
    } else {
        PresentWindowed(shown, shown.clipper ? shown.clipper->GetWindow() : window);
    }
}

namespace {

void ShowOnWindow(Window& window, const PresentedPicture& picture, const ScreenRect& area,
                  const ScreenRect& destination, bool waitForVerticalBlank)
{
    ScreenPresenter* presenter = window.Presenter();
    std::string error;
    if (presenter && !presenter->Present(picture, area, destination, waitForVerticalBlank, error)) {
        DebugOutput("DirectDraw: the window could not show the picture: " + error + "\n");
    }
}

} // namespace

void IDirectDraw7::PresentWindowed(const IDirectDrawSurface7& shown, WindowHandle target)
{
    Window* shownOn = Window::FromHandle(target);
    if (!shownOn || !shownOn->IsOnDesktop()) {
        return;
    }
    ScreenRect client = shownOn->ClientRectOnScreen();
    RECT visible = Intersect(client, ScreenRect{0, 0, shown.width, shown.height});
    if (visible.right <= visible.left || visible.bottom <= visible.top) {
        return;
    }
    ScreenRect area{visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top};
    ScreenRect destination{area.x - client.x, area.y - client.y, area.width, area.height};
    ShowOnWindow(*shownOn, shown.Picture(), area, destination, false);
}

void IDirectDraw7::PresentFullScreen(const IDirectDrawSurface7& shown, bool waitForVerticalBlank)
{
    Window* shownOn = Window::FromHandle(window);
    if (!shownOn || !shownOn->IsOnDesktop()) {
        return;
    }
    ShowOnWindow(*shownOn, shown.Picture(), ScreenRect{0, 0, shown.width, shown.height}, shownOn->Viewport(),
                 waitForVerticalBlank);
}

std::vector<LibraryExport> DirectDrawExports()
{
    return {{"DirectDrawCreate", reinterpret_cast<LibraryProc>(&DirectDrawCreate)},
            {"DirectDrawCreateEx", reinterpret_cast<LibraryProc>(&DirectDrawCreateEx)}};
}

} // namespace Platform
