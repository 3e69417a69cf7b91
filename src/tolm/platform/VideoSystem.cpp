// SDL2's video subsystem. SDL turns SIGINT and SIGTERM into its quit event, which the message pump
// delivers as the main window's close; SDL's own "quit when the last window closes" is switched off
// so that closing the window asks only once.
#include "platform/VideoSystem.h"

#include "platform/Cursor.h"

#include <SDL.h>
#include <atomic>
#include <cstring>
#include <thread>

namespace Platform {

namespace {

enum class VideoState
{
    NotStarted,
    Started,
    Failed,
};

VideoState state = VideoState::NotStarted;
std::atomic<std::thread::id> videoThread{};

ScreenRect ToScreenRect(const SDL_Rect& rect)
{
    return {rect.x, rect.y, rect.w, rect.h};
}

} // namespace

bool InitVideo()
{
    if (state == VideoState::NotStarted) {
        videoThread = std::this_thread::get_id();
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        // A window surface is the window's own pixels, never a texture of SDL's renderer: that would take
        // the window's OpenGL context, and on a software OpenGL cost many times the copy.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        state = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0 ? VideoState::Started : VideoState::Failed;
    }
    return state == VideoState::Started;
}

bool IsVideoStarted()
{
    return state == VideoState::Started;
}

bool IsVideoThread()
{
    return videoThread.load() == std::this_thread::get_id();
}

void QuitVideo()
{
    if (state == VideoState::Started) {
        FreeSystemCursors();
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }
    state = VideoState::NotStarted;
}

bool IsHeadless()
{
    if (state == VideoState::Failed) {
        return true;
    }
    if (state == VideoState::NotStarted) {
        const char* requested = SDL_getenv("SDL_VIDEODRIVER");
        return requested && (std::strcmp(requested, "dummy") == 0 || std::strcmp(requested, "offscreen") == 0);
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    return !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

ScreenRect DesktopWorkArea()
{
    SDL_Rect rect{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &rect) != 0) {
        return DesktopBounds();
    }
    return ToScreenRect(rect);
}

ScreenRect DesktopBounds()
{
    SDL_Rect rect{0, 0, 0, 0};
    SDL_GetDisplayBounds(0, &rect);
    return ToScreenRect(rect);
}

int DesktopRefreshRate()
{
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        return 0;
    }
    return mode.refresh_rate;
}

} // namespace Platform
