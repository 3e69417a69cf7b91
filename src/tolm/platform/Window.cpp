// Windows on SDL2 (X11 under Xvfb in the tests, SDL's dummy driver in the headless ones). The
// desktop's window manager draws the frame outside the client area, and SDL places windows by their
// client area, so positions and sizes here are those of the client area. Full screen is SDL's
// full-screen desktop window: the desktop mode never changes and the picture is scaled into it.
#include "platform/Window.h"

#include "platform/DesktopWindow.h"
#include "platform/MessagePump.h"
#include "platform/ScreenPresenter.h"
#include "platform/TextEncoding.h"

#include <SDL.h>
#include <atomic>
#include <cmath>
#include <map>
#include <utility>

namespace Platform {

namespace {

// Main thread only.
std::map<WindowHandle, Window*>& LiveWindows()
{
    static std::map<WindowHandle, Window*> windows;
    return windows;
}

WindowHandle nextHandle = 1;

// Packed as x in the low and y in the high 32 bits, so both are read together.
std::atomic<uint64_t> lastCursorPosition{0};

// The context the presenter, and the 3D display after it, ask of a window made for OpenGL.
void AskForOpenGl()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
}

// Where the window's client area goes. A full-screen window is sized to the desktop as well: without a
// window manager to make it full screen, it still covers it.
SDL_Rect AreaOf(const WindowPlacement& placement)
{
    SDL_Rect area{placement.x, placement.y, placement.width, placement.height};
    if (placement.fullScreen) {
        SDL_GetDisplayBounds(0, &area);
    }
    return area;
}

// The area is taken while the window is not full screen: SDL keeps the size of a full-screen window for
// when it leaves full screen instead of applying it.
void MoveInto(SDL_Window* sdlWindow, const WindowPlacement& placement)
{
    SDL_Rect area = AreaOf(placement);
    if (!placement.fullScreen) {
        SDL_SetWindowFullscreen(sdlWindow, 0);
    }
    SDL_SetWindowSize(sdlWindow, area.w, area.h);
    SDL_SetWindowPosition(sdlWindow, area.x, area.y);
    if (placement.fullScreen) {
        SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
}

} // namespace

std::unique_ptr<Window> Window::Create(const std::string& title, const WindowPlacement& placement)
{
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (placement.fullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    SDL_Rect area = AreaOf(placement);
    std::string utf8Title = Cp1252ToUtf8(title);
    AskForOpenGl();
    SDL_Window* sdlWindow =
        SDL_CreateWindow(utf8Title.c_str(), area.x, area.y, area.w, area.h, flags | SDL_WINDOW_OPENGL);
    if (!sdlWindow) {
        sdlWindow = SDL_CreateWindow(utf8Title.c_str(), area.x, area.y, area.w, area.h, flags);
    }
    if (!sdlWindow) {
        return nullptr;
    }
    return std::unique_ptr<Window>(new Window(title, sdlWindow, placement.fullScreen));
}

std::unique_ptr<Window> Window::Replace(std::unique_ptr<Window> previous, const std::string& title,
                                        const WindowPlacement& placement)
{
    SDL_Window* kept = nullptr;
    if (previous) {
        // What presented on the desktop window goes with the window that made it.
        previous->presenter.reset();
        std::swap(kept, previous->sdlWindow);
        previous.reset();
    }
    if (!kept) {
        return Create(title, placement);
    }
    MoveInto(kept, placement);
    SDL_SetWindowTitle(kept, Cp1252ToUtf8(title).c_str());
    return std::unique_ptr<Window>(new Window(title, kept, placement.fullScreen));
}

std::unique_ptr<Window> Window::CreateMessageOnly(const std::string& title)
{
    return std::unique_ptr<Window>(new Window(title, nullptr, false));
}

Window::Window(std::string title, SDL_Window* sdlWindow, bool fullScreen)
    : handle(nextHandle++), title(std::move(title)), sdlWindow(sdlWindow), fullScreen(fullScreen)
{
    LiveWindows()[handle] = this;
    if (sdlWindow) {
        desktopId = DesktopIdOf(sdlWindow);
    }
}

Window::~Window()
{
    LiveWindows().erase(handle);
    MessagePump::Main().ForgetWindow(handle);
    presenter.reset();
    if (sdlWindow) {
        SDL_DestroyWindow(sdlWindow);
    }
}

Window* Window::FromHandle(WindowHandle handle)
{
    auto found = LiveWindows().find(handle);
    return found == LiveWindows().end() ? nullptr : found->second;
}

Window* Window::Primary()
{
    for (auto it = LiveWindows().rbegin(); it != LiveWindows().rend(); ++it) {
        if (it->second->IsOnDesktop()) {
            return it->second;
        }
    }
    return nullptr;
}

Window* Window::FromSdlWindowId(uint32_t id)
{
    for (auto& [handle, window] : LiveWindows()) {
        if (window->sdlWindow && SDL_GetWindowID(window->sdlWindow) == id) {
            return window;
        }
    }
    return nullptr;
}

void Window::Show()
{
    if (sdlWindow) {
        SDL_ShowWindow(sdlWindow);
    }
}

void Window::Hide()
{
    if (sdlWindow) {
        SDL_HideWindow(sdlWindow);
    }
}

void Window::BringToForeground()
{
    if (!sdlWindow) {
        return;
    }
    SDL_RaiseWindow(sdlWindow);
    // Without a window manager (a bare X server) raising alone does not move the keyboard.
    SDL_SetWindowInputFocus(sdlWindow);
}

void Window::Restore()
{
    if (sdlWindow) {
        SDL_RestoreWindow(sdlWindow);
    }
}

bool Window::IsMinimized() const
{
    return sdlWindow && (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MINIMIZED) != 0;
}

int Window::ShowState() const
{
    if (!sdlWindow || (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_HIDDEN) != 0) {
        return SW_HIDE;
    }
    return IsMinimized() ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
}

void Window::GetPosition(int& x, int& y) const
{
    x = 0;
    y = 0;
    if (sdlWindow) {
        SDL_GetWindowPosition(sdlWindow, &x, &y);
    }
}

bool Window::HasKeyboardFocus() const
{
    return sdlWindow && SDL_GetKeyboardFocus() == sdlWindow;
}

bool Window::IsCursorInClient(int width, int height) const
{
    if (!cursorInside) {
        return false;
    }
    int x = 0;
    int y = 0;
    GetLastCursorPosition(x, y);
    return x >= 0 && y >= 0 && x < width && y < height;
}

void Window::WarpCursor(int x, int y)
{
    if (!sdlWindow) {
        return;
    }
    ClientToWindow(x, y);
    SDL_WarpMouseInWindow(sdlWindow, x, y);
}

ScreenPresenter* Window::Presenter()
{
    if (!presenter && sdlWindow) {
        presenter = ScreenPresenter::Create(sdlWindow);
    }
    return presenter.get();
}

void Window::SetLogicalSize(int width, int height)
{
    logicalWidth = width;
    logicalHeight = height;
}

void Window::ClearLogicalSize()
{
    logicalWidth = 0;
    logicalHeight = 0;
}

ScreenRect Window::ClientRectOnScreen() const
{
    if (logicalWidth > 0 && logicalHeight > 0) {
        return {0, 0, logicalWidth, logicalHeight};
    }
    ScreenRect client;
    GetPosition(client.x, client.y);
    if (sdlWindow) {
        SDL_GetWindowSize(sdlWindow, &client.width, &client.height);
    }
    return client;
}

ScreenRect Window::Viewport() const
{
    ScreenRect whole;
    if (sdlWindow) {
        SDL_GetWindowSize(sdlWindow, &whole.width, &whole.height);
    }
    if (logicalWidth <= 0 || logicalHeight <= 0 || whole.width <= 0 || whole.height <= 0) {
        return whole;
    }
    // The narrower of the two scales fills its side; the other side is centred with bands beside it.
    if (int64_t(whole.width) * logicalHeight <= int64_t(whole.height) * logicalWidth) {
        int height = int(int64_t(logicalHeight) * whole.width / logicalWidth);
        return {0, (whole.height - height) / 2, whole.width, height};
    }
    int width = int(int64_t(logicalWidth) * whole.height / logicalHeight);
    return {(whole.width - width) / 2, 0, width, whole.height};
}

void Window::WindowToClient(int& x, int& y) const
{
    if (logicalWidth <= 0 || logicalHeight <= 0) {
        return;
    }
    ScreenRect view = Viewport();
    if (view.width <= 0 || view.height <= 0) {
        return;
    }
    x = int(std::floor(double(x - view.x) * logicalWidth / view.width));
    y = int(std::floor(double(y - view.y) * logicalHeight / view.height));
}

void Window::ClientToWindow(int& x, int& y) const
{
    if (logicalWidth <= 0 || logicalHeight <= 0) {
        return;
    }
    ScreenRect view = Viewport();
    x = view.x + int(std::floor((x + 0.5) * view.width / logicalWidth));
    y = view.y + int(std::floor((y + 0.5) * view.height / logicalHeight));
}

void Window::NoteFocusLost()
{
    if (focusLossHandler) {
        focusLossHandler();
    }
}

void Window::CaptureMouse(bool capture)
{
    if (sdlWindow) {
        SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
    }
}

bool ClientToScreen(WindowHandle window, POINT* point)
{
    Window* shownOn = Window::FromHandle(window);
    if (!shownOn || !shownOn->IsOnDesktop()) {
        return false;
    }
    ScreenRect client = shownOn->ClientRectOnScreen();
    point->x += client.x;
    point->y += client.y;
    return true;
}

void GetLastCursorPosition(int& x, int& y)
{
    uint64_t packed = lastCursorPosition.load(std::memory_order_relaxed);
    x = int32_t(uint32_t(packed));
    y = int32_t(uint32_t(packed >> 32));
}

void SetLastCursorPosition(int x, int y)
{
    lastCursorPosition.store(uint64_t(uint32_t(x)) | (uint64_t(uint32_t(y)) << 32), std::memory_order_relaxed);
}

} // namespace Platform
