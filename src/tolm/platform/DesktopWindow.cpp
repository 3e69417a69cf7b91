// Xlib, on a display connection apart from SDL's.
#include "platform/DesktopWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace Platform {

namespace {

int IgnoreDesktopError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

uint64_t DesktopIdOf(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    return uint64_t(info.info.x11.window);
}

bool WithdrawDesktopWindow(uint64_t desktopId)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return false;
    }
    // The handler is the process's: the program's own connection has its handler back once this one
    // has had every answer.
    XErrorHandler previous = XSetErrorHandler(IgnoreDesktopError);
    XWithdrawWindow(display, ::Window(desktopId), DefaultScreen(display));
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return true;
}

} // namespace Platform
