// The program's windows on SDL2. A window is known to the rest of the program by its handle and
// carries one pointer of user data (the application it belongs to). Besides the desktop window
// there are message-only windows, which the desktop never shows and which exist only to receive
// messages, as the music interface's window does.
#pragma once

#include "platform/VideoSystem.h"
#include "platform/WindowMessages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

struct SDL_Window;

namespace Platform {

class ScreenPresenter;

struct WindowPlacement
{
    // The client area's top-left corner on the desktop and its size. A full-screen window covers the
    // whole desktop whatever these say; the picture is scaled into it.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool fullScreen = false;
};

class Window
{
public:
    // A desktop window, created hidden: a fixed-size window with a title bar, a close and a minimise
    // button, or a full-screen window. Null when the desktop refused it. The title is Windows-1252.
    // Whenever the desktop has OpenGL the window is made for it, so that switching the display between
    // 2D and 3D never needs another window.
    static std::unique_ptr<Window> Create(const std::string& title, const WindowPlacement& placement);
    // A window in place of the one given, which is destroyed; the new one has a handle of its own. The
    // desktop keeps showing the window it had, moved into the new placement and left as shown as it was,
    // so that the keyboard focus stays with it and what others hold of it (a tool sending it keys) still
    // reaches it. Without a desktop window to take over, it is Create.
    static std::unique_ptr<Window> Replace(std::unique_ptr<Window> previous, const std::string& title,
                                           const WindowPlacement& placement);
    static std::unique_ptr<Window> CreateMessageOnly(const std::string& title);
    // The live window with that handle, or null.
    static Window* FromHandle(WindowHandle handle);
    // The desktop window created last that still exists: the desktop's quit request and display changes
    // go to it. Null when there is none.
    static Window* Primary();

    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowHandle Handle() const { return handle; }
    void* UserData() const { return userData; }
    void SetUserData(void* data) { userData = data; }
    const std::string& Title() const { return title; }
    bool IsOnDesktop() const { return sdlWindow != nullptr; }
    // The desktop's own number for the window on X11, taken when it was made; 0 elsewhere and for a
    // message-only window. Read from any thread: it never changes.
    uint64_t DesktopId() const { return desktopId; }
    bool IsFullScreen() const { return fullScreen; }

    void Show();
    void Hide();
    // Raised above the other windows, and given the keyboard.
    void BringToForeground();
    // A minimised window comes back to its normal size.
    void Restore();
    bool IsMinimized() const;
    // SW_HIDE, SW_SHOWMINIMIZED or SW_SHOWNORMAL.
    int ShowState() const;
    // The client area's top-left corner on the desktop.
    void GetPosition(int& x, int& y) const;
    bool HasKeyboardFocus() const;
    // True when the pointer is over this window, inside the client rectangle (0, 0, width, height).
    bool IsCursorInClient(int width, int height) const;
    // Moves the system pointer to a point of the client area (in the picture's coordinates).
    void WarpCursor(int x, int y);
    // While captured, the window keeps receiving mouse messages when the pointer leaves it.
    void CaptureMouse(bool capture);

    // What shows pictures in the window, made on first use; null for a message-only window.
    ScreenPresenter* Presenter();
    // While set, the client area is a screen of that size (a display mode), shown scaled to fit the
    // window with its aspect kept: client coordinates, the mouse's among them, are the screen's.
    void SetLogicalSize(int width, int height);
    void ClearLogicalSize();
    // The client area in the coordinates of the screen it is on.
    ScreenRect ClientRectOnScreen() const;
    // Where the client area lands in the window's pixels.
    ScreenRect Viewport() const;
    // A point in the window's pixels as client coordinates, and back (to the client pixel's centre).
    void WindowToClient(int& x, int& y) const;
    void ClientToWindow(int& x, int& y) const;
    // Called when the window loses the keyboard focus, as the message translator sees it.
    void SetFocusLossHandler(std::function<void()> handler) { focusLossHandler = std::move(handler); }
    void NoteFocusLost();

    SDL_Window* SdlWindow() const { return sdlWindow; }
    // The message translator keeps these up to date from the desktop's events.
    static Window* FromSdlWindowId(uint32_t id);
    void NoteCursorInside(bool inside) { cursorInside = inside; }

private:
    Window(std::string title, SDL_Window* sdlWindow, bool fullScreen);

    WindowHandle handle;
    std::string title;
    SDL_Window* sdlWindow;
    uint64_t desktopId = 0;
    bool fullScreen;
    void* userData = nullptr;
    bool cursorInside = false;
    std::unique_ptr<ScreenPresenter> presenter;
    int logicalWidth = 0;
    int logicalHeight = 0;
    std::function<void()> focusLossHandler;
};

struct POINT
{
    int32_t x = 0;
    int32_t y = 0;
};

// Moves a point of the window's client area into the coordinates of the screen it is on; false for a
// window that is not on the desktop.
bool ClientToScreen(WindowHandle window, POINT* point);

// The pointer's last position in the client coordinates of the window it was over, as the desktop's
// events report it. Any thread may read it; the mouse-poll thread does, and never calls SDL.
void GetLastCursorPosition(int& x, int& y);
void SetLastCursorPosition(int x, int y);

} // namespace Platform
