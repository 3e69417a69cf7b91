// Our DirectDraw: the object, its surfaces, clippers and palettes, with the calls the display makes.
//
// Surfaces are plain memory in exact pixel layouts (SurfaceLayout.h), their rows padded past the
// picture and framed by guard rows whose canaries Unlock checks. A windowed primary is a buffer of the
// desktop's size and format; the part under the window is shown in the window after every blit onto it.
// In full screen the object takes the window exclusively, the display mode is the size and depth asked
// for (the desktop itself never changes: the window scales the mode's picture to fit, keeping its
// aspect), and the primary has a back buffer that Flip swaps with it and shows, waiting for the
// refresh. What reaches the window goes through its presenter (ScreenPresenter.h).
//
// Objects are reference counted and a surface keeps its object alive. Windows and presents belong to
// the main thread: a blit onto a primary from another thread changes its memory, and the window shows
// it with the next present. Losing the focus in full screen loses the primary, its back buffer and the
// video-memory surfaces, as a mode switch does; system-memory surfaces keep their pixels.
//
// Every call can be made to fail from the tests (DirectDrawSeam.h).
#pragma once

#include "platform/DirectDrawTypes.h"
#include "platform/Library.h"
#include "platform/ScreenPresenter.h"
#include "platform/SurfaceLayout.h"
#include "platform/WindowMessages.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace Platform {

class DeviceContext;
class IDirect3D7;
class IDirectDraw7;
class IDirectDrawSurface7;
class Window;
struct DDDEVICEIDENTIFIER2;

class IUnknown
{
public:
    IUnknown(const IUnknown&) = delete;
    IUnknown& operator=(const IUnknown&) = delete;

    uint32_t AddRef();
    // Deletes the object with the last reference; returns the references left.
    uint32_t Release();
    // E_NOINTERFACE for an interface the object does not have; else one more reference in out.
    virtual HRESULT QueryInterface(InterfaceId id, void** out) = 0;

protected:
    IUnknown() = default;
    virtual ~IUnknown() = default;

private:
    std::atomic<uint32_t> references{1};
};

// Clips blits onto a surface to a window's client area.
class IDirectDrawClipper : public IUnknown
{
public:
    HRESULT QueryInterface(InterfaceId id, void** out) override;
    HRESULT SetHWnd(uint32_t flags, WindowHandle window);
    WindowHandle GetWindow() const { return window; }

private:
    friend class IDirectDraw7;
    IDirectDrawClipper() = default;

    WindowHandle window = 0;
};

// 256 colours for 8-bit surfaces.
class IDirectDrawPalette : public IUnknown
{
public:
    HRESULT QueryInterface(InterfaceId id, void** out) override;
    HRESULT GetEntries(uint32_t flags, uint32_t start, uint32_t count, PALETTEENTRY* out) const;
    HRESULT SetEntries(uint32_t flags, uint32_t start, uint32_t count, const PALETTEENTRY* entries);
    const PALETTEENTRY* Entries() const { return entries; }

private:
    friend class IDirectDraw7;
    IDirectDrawPalette() = default;

    PALETTEENTRY entries[256] = {};
};

// Something beside the memory that may hold a newer picture of a surface: the 3D device drawing into
// it, or keeping a texture of it. The surface asks it before its memory is read or written.
class SurfaceHolder
{
public:
    // Brings the surface's memory up to date with the held picture.
    virtual void CopyToMemory(IDirectDrawSurface7& surface) = 0;
    // Draws a blit onto the held picture, after everything drawn there before; false to have the memory
    // take it instead. The rectangles lie inside their surfaces.
    virtual bool DrawBlt(IDirectDrawSurface7& target, const RECT& dest, IDirectDrawSurface7& source, const RECT& from,
                         const DDCOLORKEY* key) = 0;
    // The surface is going, on whichever thread lets go of it last.
    virtual void Forget(IDirectDrawSurface7& surface) = 0;

protected:
    ~SurfaceHolder() = default;
};

class IDirectDrawSurface7 : public IUnknown
{
public:
    HRESULT QueryInterface(InterfaceId id, void** out) override;
    // Always the whole surface: the rectangle must be null. The description receives the first pixel,
    // the pitch and the format. SURFACEBUSY while locked or while its device context is out,
    // SURFACELOST once lost.
    HRESULT Lock(const RECT* rect, DDSURFACEDESC2* desc, uint32_t flags);
    // NOTLOCKED without a lock.
    HRESULT Unlock(const RECT* rect);
    // Copies, or stretches by the nearest pixel at the centres, the source rectangle onto the
    // destination rectangle (null: the whole surface). A rectangle that is empty or reaches outside
    // its surface is INVALIDRECT, unless this surface has a clipper: the destination is then cut to
    // the window's client area and the source cut to match. With DDBLT_KEYSRC the source's pixels whose
    // colour bits lie within its colour key are left out. Writes nothing outside the rectangles.
    HRESULT Blt(const RECT* destRect, IDirectDrawSurface7* source, const RECT* sourceRect, uint32_t flags,
                const DDBLTFX* effects);
    // Swaps a flipping primary with its back buffer and shows it.
    HRESULT Flip(IDirectDrawSurface7* target, uint32_t flags);
    HRESULT GetAttachedSurface(const DDSCAPS2* caps, IDirectDrawSurface7** out);
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc);
    // Only DDCKEY_SRCBLT; a null key removes it.
    HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key);
    HRESULT GetColorKey(uint32_t flags, DDCOLORKEY* key);
    HRESULT SetClipper(IDirectDrawClipper* clipper);
    HRESULT SetPalette(IDirectDrawPalette* palette);
    // The surface as a device context for text output; it counts as locked until ReleaseDC.
    HRESULT GetDC(DeviceContext** out);
    HRESULT ReleaseDC(DeviceContext* context);
    HRESULT IsLost() const;

    // Its pixels are gone, as after a mode switch: every call but Release fails from now on.
    void MarkLost();
    int Width() const { return width; }
    int Height() const { return height; }
    SurfaceLayout Layout() const { return layout; }
    uint32_t Caps() const { return caps; }
    bool IsPrimary() const { return (caps & DDSCAPS_PRIMARYSURFACE) != 0; }
    IDirectDrawPalette* Palette() const { return palette; }

    // For the holder: its memory without a lock, counted changes of that memory, and whether the held
    // picture is the newer one. A surface has one holder at a time; a new one makes the old forget it.
    uint8_t* Memory() const { return Pixels(); }
    int32_t Pitch() const { return pitch; }
    uint64_t MemoryChanges() const { return memoryChanges.load(); }
    void Hold(SurfaceHolder* newHolder);
    void LetGo(SurfaceHolder* oldHolder);
    SurfaceHolder* Holder() const { return holder.load(); }
    void MarkHeldNewer() { heldNewer = true; }

private:
    friend class IDirectDraw7;
    friend class DeviceContext;

    // Null when the memory cannot be had.
    static IDirectDrawSurface7* Make(IDirectDraw7* owner, int width, int height, SurfaceLayout layout, uint32_t caps);
    IDirectDrawSurface7(IDirectDraw7* owner, int width, int height, SurfaceLayout layout, uint32_t caps, int32_t pitch,
                        std::unique_ptr<uint8_t[]> block);
    ~IDirectDrawSurface7() override;

    uint8_t* Pixels() const { return block.get() + pitch; }
    uint8_t* Row(int y) const { return Pixels() + std::size_t(y) * std::size_t(pitch); }
    // The padding after each row and the guard rows keep their canary bytes; a change is reported.
    void CheckCanaries();
    bool IsBusy() const { return locked.load() || contextOut; }
    // The memory is about to be read (and written, unless only written).
    void TakeHeldPicture(bool overwriting);
    HRESULT CheckUsable() const;
    // The destination and source rectangles as given, and the part of the destination that is drawn.
    HRESULT ResolveBlitRects(const RECT* destRect, const IDirectDrawSurface7& source, const RECT* sourceRect,
                             RECT& dest, RECT& from, RECT& visible) const;
    void CopyRows(const IDirectDrawSurface7& source, const RECT& dest, const RECT& from, const RECT& visible,
                  const DDCOLORKEY* key);
    void StretchRows(const IDirectDrawSurface7& source, const RECT& dest, const RECT& from, const RECT& visible,
                     const DDCOLORKEY* key);
    PresentedPicture Picture() const
    {
        return {Pixels(), pitch, width, height, layout, palette ? palette->Entries() : nullptr};
    }

    IDirectDraw7* owner;
    int width;
    int height;
    SurfaceLayout layout;
    uint32_t caps;
    int32_t pitch;
    // A guard row, the picture's rows, a guard row.
    std::unique_ptr<uint8_t[]> block;
    std::atomic<bool> locked{false};
    std::atomic<bool> lost{false};
    uint32_t lockFlags = 0;
    std::atomic<SurfaceHolder*> holder{nullptr};
    std::atomic<bool> heldNewer{false};
    std::atomic<uint64_t> memoryChanges{0};
    bool contextOut = false;
    std::optional<DDCOLORKEY> sourceKey;
    IDirectDrawClipper* clipper = nullptr;
    IDirectDrawPalette* palette = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
    std::unique_ptr<DeviceContext> context;
};
using IDirectDrawSurface = IDirectDrawSurface7;

// The desktop the display starts from; tests may pretend another one.
struct DesktopMode
{
    int width = 0;
    int height = 0;
    // None for a depth no layout of ours covers.
    std::optional<SurfaceLayout> layout;
    // Hz; 0 when unknown.
    int refreshRate = 0;
};
DesktopMode GetDesktopMode();
// A desktop of 4 bytes per pixel is x8-8-8, one of 2 bytes 5-6-5 or 5-5-5 by its green mask; 3 and 1
// byte are the 24- and 8-bit layouts. The format is SDL's.
std::optional<SurfaceLayout> LayoutOfDesktopFormat(uint32_t format);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
// The screen's width or height.
int GetSystemMetrics(int index);

class IDirectDraw7 : public IUnknown
{
public:
    // What DirectDrawCreate and DirectDrawCreateEx hand out.
    static HRESULT Create(IDirectDraw7** out);
    // IID_IDirectDraw and IID_IDirectDraw7 give the object itself; IID_IDirect3D7 a Direct3D on the
    // window's OpenGL (E_NOINTERFACE without one).
    HRESULT QueryInterface(InterfaceId id, void** out) override;
    // DDSCL_NORMAL, or DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE on a desktop window that no other object holds.
    HRESULT SetCooperativeLevel(WindowHandle window, uint32_t flags);
    // Needs the exclusive level; 16 or 32 bits (8 and 24 exist for tests), no larger than the desktop.
    HRESULT SetDisplayMode(int width, int height, int bitsPerPixel);
    HRESULT RestoreDisplayMode();
    // A primary (with DDSCAPS_FLIP | DDSCAPS_COMPLEX and a back buffer count in full screen) or an
    // off-screen surface of the given size, in the given pixel format or else the primary's.
    HRESULT CreateSurface(const DDSURFACEDESC2* desc, IDirectDrawSurface7** out);
    HRESULT CreateClipper(uint32_t flags, IDirectDrawClipper** out);
    HRESULT CreatePalette(uint32_t flags, const PALETTEENTRY* entries, IDirectDrawPalette** out);
    // UNSUPPORTED when the desktop does not say.
    HRESULT GetMonitorFrequency(uint32_t* hertz);
    HRESULT FlipToGDISurface();
    // What a test gives, else what the OpenGL driver tells (up to 4 GB less one byte); UNSUPPORTED when
    // neither says.
    HRESULT GetAvailableVidMem(const DDSCAPS2* caps, uint32_t* total, uint32_t* free);
    // The adapter's driver, description and GUID.
    HRESULT GetDeviceIdentifier(DDDEVICEIDENTIFIER2* out, uint32_t flags);

private:
    friend class IDirectDrawSurface7;

    IDirectDraw7() = default;
    ~IDirectDraw7() override;

    // The layout of new surfaces that name none.
    SurfaceLayout CurrentLayout() const;
    HRESULT QueryDirect3D(void** out);
    std::optional<uint64_t> DriverVideoMemory() const;
    HRESULT CreatePrimary(const DDSURFACEDESC2& desc, IDirectDrawSurface7** out);
    void Register(IDirectDrawSurface7* surface);
    void Forget(IDirectDrawSurface7* surface);
    // Shows a primary after a change: the part under the window, or the whole flipped picture.
    void Present(const IDirectDrawSurface7& primary, bool waitForVerticalBlank);
    void PresentWindowed(const IDirectDrawSurface7& primary, WindowHandle target);
    void PresentFullScreen(const IDirectDrawSurface7& primary, bool waitForVerticalBlank);
    void LeaveExclusiveMode();
    void LoseFocus();

    struct Mode
    {
        int width;
        int height;
        SurfaceLayout layout;
    };

    WindowHandle window = 0;
    bool exclusive = false;
    std::optional<Mode> mode;
    IDirectDrawSurface7* primary = nullptr;
    std::mutex surfacesLock;
    std::vector<IDirectDrawSurface7*> surfaces;
};
using IDirectDraw = IDirectDraw7;

// The entry points of "ddraw.dll", found by name in the library table (Library.h). The GUID must be
// null: the one display there is.
using DirectDrawCreateProc = HRESULT (*)(const void* guid, IDirectDraw** out, void* outer);
using DirectDrawCreateExProc = HRESULT (*)(const void* guid, void** out, InterfaceId id, void* outer);
constexpr const char* kDirectDrawLibraryName = "ddraw.dll";

std::vector<LibraryExport> DirectDrawExports();

} // namespace Platform
