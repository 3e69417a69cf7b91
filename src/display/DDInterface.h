// Stand-in for the display back end until it exists: the screen image presented through SDL, windowed
// or full screen, the refresh rate, the software cursor's position and the display lock (a recursive
// one, shared with the set of live images). There is no
// 3D path: asking for 3D fails its set-up (result 7), and the application falls back to 2D.
#pragma once

#include "core/CriticalSection.h"
#include "graphics/MemoryImageRegistry.h"
#include "graphics/Rect.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace Platform {
class ScreenPresenter;
class Window;
} // namespace Platform

namespace Tolm {

class DDImage;
class Image;
class TolmAppBase;

// Init results.
constexpr int kResultFail = 1;
constexpr int kResultDDCreateFail = 2;
constexpr int kResultSurfaceFail = 3;

class DDInterface
{
public:
    explicit DDInterface(TolmAppBase* app);
    ~DDInterface();
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    // Sets up the display for the window: 0 on success, else an error code with errorText saying why.
    int Init(Platform::Window* window, bool windowed);
    static std::string ResultName(int code);
    DDImage* GetScreenImage() { return screenImage.get(); }
    // Presents the screen image; false when it could not be shown.
    bool Redraw(const Rect* rect);
    // The application draws no software cursor: null leaves nothing to change. True when it changed.
    bool SetCursorImage(Image* image);
    // From the mouse-poll thread.
    void SetCursorPosition(int x, int y);
    void SelectDrawSurface(bool videoMemory);
    void RemoveImageTextures(Image* /*image*/) {}
    // Releases what Init made; the window it presented on may go afterwards.
    void ReleaseAll();
    bool HasPresented() const { return presented.load(); }

    TolmAppBase* app;
    bool is3D = false;
    bool windowed = false;
    bool initialised = false;
    // Hz, and the whole milliseconds of one refresh; read by the mouse-poll thread.
    std::atomic<uint32_t> refreshRate{60};
    std::atomic<uint32_t> refreshPeriod{16};
    int displayWidth = 0;
    int displayHeight = 0;
    Rect presentationRect;
    std::string errorText;
    std::atomic<int> cursorX{0};
    std::atomic<int> cursorY{0};
    // One lock with the set of live images, which it guards too.
    CriticalSection& displayLock = MemoryImageRegistry::Instance().GetDisplayLock();
    // Set when a 3D drawing call failed during the run.
    bool drawing3DFailed = false;

private:
    std::unique_ptr<Platform::ScreenPresenter> presenter;
    std::unique_ptr<DDImage> screenImage;
    std::atomic<bool> presented{false};
};

} // namespace Tolm
