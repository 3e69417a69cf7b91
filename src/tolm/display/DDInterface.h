// The one display of the application, on our DirectDraw (platform/DirectDraw.h): it owns the primary
// surface, the back buffer of full-screen flipping, the draw surface every frame is drawn into and the
// window's clipper; it sets the full-screen mode, keeps the display's pixel layout and the colour tables
// the surface images draw with, and presents each finished frame. Direct3D drawing and its capability
// test are stand-ins that refuse 3D, and the software cursor draws nothing, since the application
// gives it no image (a test may give one).
//
// The display lock is one with the set of live images (MemoryImageRegistry), re-entrant: Init makes
// surfaces and the screen image while holding it, and the loading thread converts surfaces under it.
#pragma once

#include "core/CriticalSection.h"
#include "core/VectorMath.h"
#include "display/NativeDisplay.h"
#include "display/SaturationTable.h"
#include "graphics/MemoryImageDisplay.h"
#include "graphics/MemoryImageRegistry.h"
#include "graphics/Rect.h"
#include "platform/DirectDraw.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace Tolm {

class D3DInterface;
class D3DTester;
class DDImage;
class Image;
class MemoryImage;
class TolmAppBase;

// Init results; 0, 6 and 7 are the application's kResultOk, kResultInvalidColorDepth, kResult3DFailed.
constexpr int kResultFail = 1;
constexpr int kResultDDCreateFail = 2;
constexpr int kResultSurfaceFail = 3;
constexpr int kResultExclusiveFail = 4;
constexpr int kResultDispChangeFail = 5;

// True when the primary's blue mask lies below its green mask and that below its red mask: the
// locked-surface drawing picks its fast paths by it. Written under the display lock, read without it.
extern std::atomic<bool> gRGBOrder;

class DDInterface : public NativeDisplay, public MemoryImageDisplay
{
public:
    explicit DDInterface(TolmAppBase* app);
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    // Sets the display up on the window: 0 on success, else a result code with errorText naming the step.
    int Init(Platform::WindowHandle window, bool windowed);
    static std::string ResultName(int code);
    DDImage* GetScreenImage() { return screenImage.get(); }
    // Presents the frame (null: all of it); false when not set up, when 3D was dropped, or when the
    // present failed.
    bool Redraw(const Rect* rect);
    void SelectDrawSurface(bool videoMemory);
    // Any surface of the display, in its pixel format unless the description names one.
    Platform::HRESULT CreateSurface(Platform::DDSURFACEDESC2* desc, Platform::IDirectDrawSurface** surface);
    Platform::HRESULT ClearSurface(Platform::IDirectDrawSurface* surface);
    // True when the result is a failure; errorText then reads "<step>: <result name>".
    bool CheckResult(Platform::HRESULT result, const char* step);
    void AddImage(DDImage* image);
    void RemoveImage(DDImage* image);
    // True when the capability test ran now.
    bool RunCapabilityTest(Platform::WindowHandle window);
    // Releases everything Init made; the window may go afterwards.
    void ReleaseAll();
    // True when it changed; null stops the software cursor.
    bool SetCursorImage(MemoryImage* image);
    // From the mouse-poll thread: moves the cursor on the screen unless a present is running, which
    // draws it at the new place itself.
    void SetCursorPosition(int x, int y);
    // The latest mouse position, x and y in one word so that no reader sees half a move.
    void StoreCursorPosition(int x, int y);
    void GetCursorPosition(int& x, int& y) const;
    bool HasPresented() const { return presented.load(); }
    // Whether the image's surface is the draw surface while the display draws in 3D.
    bool IsDrawSurface3D(const Platform::IDirectDrawSurface* surface) const;

    bool Is3DMode() const override { return is3D; }
    bool IsCurrent3DDrawSurface(const MemoryImage& image) const override;
    PixelFormat GetPixelFormat() const override;
    void RemoveImageTextures(MemoryImage& image) override;
    bool ReadBackTextures(MemoryImage& image) override;

    TolmAppBase* app;
    std::unique_ptr<D3DInterface> d3d;
    std::unique_ptr<D3DTester> tester;
    // Read by images on the loading thread.
    std::atomic<bool> is3D{false};
    CriticalSection& displayLock = MemoryImageRegistry::Instance().GetDisplayLock();
    // Read by the mouse-poll thread without the lock.
    std::atomic<bool> presenting{false};
    Platform::IDirectDraw* directDraw = nullptr;
    // Null when DirectDrawCreateEx is missing.
    Platform::IDirectDraw7* directDraw7 = nullptr;
    Platform::IDirectDrawSurface* primarySurface = nullptr;
    Platform::IDirectDrawSurface* backBuffer = nullptr;
    Platform::IDirectDrawSurface* drawSurface = nullptr;
    int drawWidth = 0;
    int drawHeight = 0;
    Ratio drawAspect;
    int desktopWidth = 0;
    int desktopHeight = 0;
    Ratio desktopAspect;
    bool letterboxed = false;
    int displayWidth = 0;
    int displayHeight = 0;
    Ratio displayAspect;
    // Where the draw surface lands, in client coordinates.
    Rect presentationRect;
    int colorDepth = 0;
    // Hz, and the whole milliseconds of one refresh; read by the mouse-poll thread.
    std::atomic<uint32_t> refreshRate{60};
    std::atomic<uint32_t> refreshPeriod{16};
    std::unique_ptr<SaturationTable> redSaturation;
    std::unique_ptr<SaturationTable> greenSaturation;
    std::unique_ptr<SaturationTable> blueSaturation;
    // An 8-bit channel value in the display's channel bits.
    int redComponents[256] = {};
    int greenComponents[256] = {};
    int blueComponents[256] = {};
    bool initialised = false;
    Platform::WindowHandle window = 0;
    bool windowed = false;
    std::unique_ptr<DDImage> screenImage;
    // Every live surface image of this display; not owned.
    std::set<DDImage*> imageSet;
    bool videoMemoryDrawing = false;
    int cursorAreaWidth = 64;
    int cursorAreaHeight = 64;
    std::atomic<uint64_t> cursorPosition{0};
    int drawnCursorX = 0;
    int drawnCursorY = 0;
    MemoryImage* cursorImage = nullptr;
    bool cursorShown = false;
    Platform::IDirectDrawSurface* oldCursorArea = nullptr;
    Platform::IDirectDrawSurface* newCursorArea = nullptr;
    std::unique_ptr<DDImage> oldCursorAreaImage;
    std::unique_ptr<DDImage> newCursorAreaImage;
    // The last failure: step name, ": ", result name.
    std::string errorText;

    // Looked up in the application's "ddraw.dll" when a display is made; either may be missing.
    static Platform::DirectDrawCreateProc directDrawCreate;
    static Platform::DirectDrawCreateExProc directDrawCreateEx;

private:
    int CreateDirectDraw();
    std::optional<Platform::HRESULT> CreateDirectDraw7();
    void SetGeometry(Platform::WindowHandle window, bool windowed);
    int InitWindowed();
    int InitFullScreen();
    int CreateDrawSurface(const char* step);
    int AttachClipper(const char* step);
    void SetRefreshRate();
    int CreateCursorAreas();
    int ReadPixelLayout();
    void BuildColourTables();
    // The destination and source of a present, in the primary's coordinates.
    void PresentRects(const Rect* rect, Platform::RECT& destination, Platform::RECT& source) const;
    Platform::HRESULT PresentFrame(const Platform::RECT& destination, const Platform::RECT& source, const char*& step);
    // The software cursor on a target: the primary or full screen's back buffer (on screen, moved by the
    // window's client origin) or the draw surface (client coordinates).
    void DrawCursor(Platform::IDirectDrawSurface* target, bool onScreen);
    void MoveCursor(Platform::IDirectDrawSurface* target, bool onScreen, int x, int y);
    void RestoreCursorArea(Platform::IDirectDrawSurface* target, bool onScreen);
    Rect CursorArea(int x, int y) const;
    Platform::RECT ScreenBounds() const;
    // The part of the cursor area of (x, y) that is shown: where it lies on the target and in the area.
    void CursorRects(int x, int y, const Rect& bounds, bool onScreen, Platform::RECT& onTarget,
                     Platform::RECT& inArea) const;
    // Saves the target's pixels into an area; a failed save is retried once cut to the screen.
    bool SaveUnderCursor(Platform::IDirectDrawSurface* area, Platform::IDirectDrawSurface* target,
                         Platform::RECT onTarget, Platform::RECT inArea);
    void DrawCursorImage(DDImage& image, int x, int y);
    void SetDrawnPosition();
    void ForgetImages();

    std::atomic<bool> presented{false};
};

} // namespace Tolm
