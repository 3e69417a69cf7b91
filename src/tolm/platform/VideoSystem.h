// The desktop the program runs on: SDL's video subsystem, started once on the main thread, and what
// the window code asks of the desktop (its work area, size and refresh rate).
//
// SDL belongs to the main thread: every function here, and every window, cursor and message-pump
// operation, is called from it only.
#pragma once

namespace Platform {

struct ScreenRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Starts the video and event subsystems (once; later calls report the first result). False when no
// video driver could start.
bool InitVideo();
bool IsVideoStarted();
// True on the thread that started video (the main thread): the only one that may call SDL.
bool IsVideoThread();
// Stops them again; windows must be gone by then.
void QuitVideo();
// True when the driver draws nowhere a person could see (SDL's dummy or offscreen driver), or when
// video could not start: nobody can answer a message box then.
bool IsHeadless();

// The part of the primary desktop that windows may cover (without panels and docks).
ScreenRect DesktopWorkArea();
// The size of the primary desktop.
ScreenRect DesktopBounds();
// The refresh rate of the primary desktop in Hz; 0 when the system does not know it (as under Xvfb).
int DesktopRefreshRate();

} // namespace Platform
