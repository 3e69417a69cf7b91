#include "platform/Window.h"

#include "support/HeadlessVideo.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace Platform;

namespace {

using WindowTest = HeadlessVideoTest;

bool IsFullScreen(SDL_Window* sdlWindow)
{
    return (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
}

// Switching between a window and full screen and back: each step is a window with a handle of its own,
// on the one desktop window, which stays shown and takes the new placement.
TEST_F(WindowTest, ReplacingMovesTheDesktopWindowIntoTheNewPlacement)
{
    std::unique_ptr<Window> window = Window::Create("Before", {30, 40, 320, 200, false});
    ASSERT_TRUE(window);
    window->Show();
    SDL_Window* desktopWindow = window->SdlWindow();
    SDL_Rect desktop{};
    ASSERT_EQ(SDL_GetDisplayBounds(0, &desktop), 0);

    const struct
    {
        WindowPlacement placement;
        int width;
        int height;
    } steps[] = {
        {{0, 0, 320, 200, true}, desktop.w, desktop.h},
        {{50, 60, 400, 300, false}, 400, 300},
        {{0, 0, 400, 300, true}, desktop.w, desktop.h},
    };
    for (const auto& step : steps) {
        WindowHandle before = window->Handle();
        window = Window::Replace(std::move(window), "After", step.placement);
        ASSERT_TRUE(window);
        EXPECT_NE(window->Handle(), before);
        EXPECT_EQ(Window::FromHandle(before), nullptr) << "the replaced window is gone";
        EXPECT_EQ(window->SdlWindow(), desktopWindow);
        EXPECT_EQ(Window::FromSdlWindowId(SDL_GetWindowID(desktopWindow)), window.get());
        EXPECT_EQ(window->IsFullScreen(), step.placement.fullScreen);
        EXPECT_EQ(IsFullScreen(desktopWindow), step.placement.fullScreen);
        EXPECT_EQ(window->ShowState(), SW_SHOWNORMAL);
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(desktopWindow, &width, &height);
        EXPECT_EQ(width, step.width);
        EXPECT_EQ(height, step.height);
        EXPECT_STREQ(SDL_GetWindowTitle(desktopWindow), "After");
    }
}

TEST_F(WindowTest, ReplacingNothingOrAMessageWindowCreatesAHiddenWindow)
{
    std::unique_ptr<Window> fresh = Window::Replace(nullptr, "Fresh", {0, 0, 100, 80, false});
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->ShowState(), SW_HIDE);

    std::unique_ptr<Window> fromMessageOnly =
        Window::Replace(Window::CreateMessageOnly("Messages"), "Desktop", {0, 0, 100, 80, false});
    ASSERT_TRUE(fromMessageOnly);
    EXPECT_TRUE(fromMessageOnly->IsOnDesktop());
    EXPECT_NE(fromMessageOnly->SdlWindow(), fresh->SdlWindow());
}

} // namespace
