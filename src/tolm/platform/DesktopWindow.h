// The desktop's windows as X11 knows them, apart from SDL: a window's number, and taking a window off
// the screen from a connection to the desktop of its own.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace Platform {

// The X11 number of the SDL window; 0 when SDL does not run on X11.
uint64_t DesktopIdOf(SDL_Window* window);
// Takes the desktop window with that X11 number off the screen, full screen or not, through a
// connection of its own, so that it waits for no lock another thread of the program may hold in its
// calls to the desktop; an error, such as a window that is gone, is ignored. False when there is no
// X11 desktop to connect to.
bool WithdrawDesktopWindow(uint64_t desktopId);

} // namespace Platform
