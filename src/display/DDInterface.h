// The one display of the application, on our DirectDraw (platform/DirectDraw.h): it owns the primary
// surface, the back buffer of full-screen flipping, the draw surface every frame is drawn into and the
// window's clipper; it sets the full-screen mode, keeps the display's pixel layout and the colour tables
// the surface images draw with, and presents each finished frame. Direct3D drawing and its capability
// test are stand-ins that refuse 3D, and the software cursor draws nothing, since the application
// gives it no image.
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
    // The application gives no cursor image: null changes nothing. True when it changed.
    bool SetCursorImage(MemoryImage* image);
    // From the mouse-poll thread.
    void SetCursorPosition(int x, int y);
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
    std::atomic<int> cursorX{0};
    std::atomic<int> cursorY{0};
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
    // Set when a 3D drawing call failed during the run.
    bool drawing3DFailed = false;

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
    // The software cursor: nothing to draw while the application gives it no image.
    void DrawCursor(Platform::IDirectDrawSurface* surface, bool clientCoordinates);
    void RestoreCursorArea(Platform::IDirectDrawSurface* surface, bool clientCoordinates);
    void ForgetImages();

    std::atomic<bool> presented{false};
};

} // namespace Tolm
