#include "display/DDInterface.h"

#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "platform/ScreenPresenter.h"
#include "platform/Window.h"

namespace Tolm {

namespace {

// The refresh range the frame timing can follow; outside it the timing follows the clock.
constexpr uint32_t kLowestRefreshRate = 60;
constexpr uint32_t kHighestRefreshRate = 100;

} // namespace

DDInterface::DDInterface(TolmAppBase* app) : app(app) {}

DDInterface::~DDInterface()
{
    ReleaseAll();
}

int DDInterface::Init(Platform::Window* window, bool inWindow)
{
    CriticalSectionGuard guard(displayLock);
    ReleaseAll();
    windowed = inWindow;
    if (!window || !window->IsOnDesktop()) {
        errorText = "CreateWindow: no desktop window";
        return kResultDDCreateFail;
    }
    if (is3D) {
        errorText = "3D init error: no 3D device";
        return kResult3DFailed;
    }
    std::string reason;
    // Full-screen presents wait for the refresh, as page flips do; windowed ones copy at once.
    presenter = Platform::ScreenPresenter::Create(*window, app->width, app->height, !windowed, reason);
    if (!presenter) {
        errorText = "CreateSurface: " + reason;
        return kResultSurfaceFail;
    }
    displayWidth = app->width;
    displayHeight = app->height;
    presentationRect = Rect(0, 0, displayWidth, displayHeight);
    int rate = presenter->RefreshRate();
    uint32_t clamped = rate < int(kLowestRefreshRate) ? kLowestRefreshRate : uint32_t(rate);
    if (rate < int(kLowestRefreshRate) || clamped > kHighestRefreshRate) {
        clamped = std::min(clamped, kHighestRefreshRate);
        app->vsyncBroken = true;
    }
    refreshRate = clamped;
    refreshPeriod = 1000 / clamped;
    screenImage = std::make_unique<DDImage>(displayWidth, displayHeight);
    screenImage->Clear();
    // The screen shows no alpha: draws onto it take the paths for an opaque destination.
    screenImage->ForceAlphaFlags(false, false);
    initialised = true;
    app->DisplayInitHook();
    return kResultOk;
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

bool DDInterface::Redraw(const Rect*)
{
    CriticalSectionGuard guard(displayLock);
    if (!initialised) {
        return false;
    }
    std::string reason;
    const uint32_t* pixels = screenImage->GetBits();
    if (!pixels || !presenter->Present(pixels, screenImage->width, reason)) {
        errorText = "Redraw: " + reason;
        return false;
    }
    presented = true;
    return true;
}

bool DDInterface::SetCursorImage(Image* image)
{
    return image != nullptr;
}

void DDInterface::SetCursorPosition(int x, int y)
{
    CriticalSectionGuard guard(displayLock);
    cursorX = x;
    cursorY = y;
}

void DDInterface::SelectDrawSurface(bool) {}

void DDInterface::ReleaseAll()
{
    CriticalSectionGuard guard(displayLock);
    initialised = false;
    screenImage.reset();
    presenter.reset();
}

} // namespace Tolm
