// Pictures shown in windows: the window-surface presenter (the one SDL's dummy driver has) at the
// picture's size and scaled, and the window's mapping between a display mode's screen and its pixels.
#include "platform/ScreenPresenter.h"

#include "platform/Window.h"
#include "support/HeadlessVideo.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

using namespace Platform;

namespace {

using ScreenPresenterTest = HeadlessVideoTest;

// The window pixel as 0xRRGGBB.
uint32_t ShownColour(Window& window, int x, int y)
{
    SDL_Surface* shown = SDL_GetWindowSurface(window.SdlWindow());
    uint32_t value = *reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(shown->pixels) + y * shown->pitch + x * 4);
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    SDL_GetRGB(value, shown->format, &red, &green, &blue);
    return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

// The window pixel brought back to 5-6-5: SDL widens the channels into the window's format as it likes, but
// their top bits are the picture's.
uint32_t Shown565(Window& window, int x, int y)
{
    uint32_t colour = ShownColour(window, x, y);
    return (colour >> 19 & 0x1F) << 11 | (colour >> 10 & 0x3F) << 5 | (colour >> 3 & 0x1F);
}

} // namespace

TEST_F(ScreenPresenterTest, WindowSurfaceShowsTheAreaAtItsPlaceOrScaledWithBlackAround)
{
    auto window = Window::Create("Picture", {0, 0, 8, 4, false});
    ASSERT_TRUE(window);
    ScreenPresenter* presenter = window->Presenter();
    ASSERT_NE(presenter, nullptr);
    EXPECT_FALSE(presenter->UsesOpenGL()) << "SDL's dummy driver has no OpenGL";
    // A 5-6-5 picture of 4 x 2 with a padded pitch: red, green, blue, white on top, black below.
    std::vector<uint16_t> pixels(2 * 16, 0);
    pixels[0] = 0xF800;
    pixels[1] = 0x07E0;
    pixels[2] = 0x001F;
    pixels[3] = 0xFFFF;
    PresentedPicture picture{reinterpret_cast<const uint8_t*>(pixels.data()), 32, 4, 2, SurfaceLayout::Rgb565, nullptr};
    std::string error;
    ASSERT_TRUE(presenter->Present(picture, {1, 0, 3, 1}, {5, 3, 3, 1}, false, error)) << error;
    EXPECT_EQ(Shown565(*window, 5, 3), 0x07E0u);
    EXPECT_EQ(Shown565(*window, 7, 3), 0xFFFFu);

    ASSERT_TRUE(presenter->Present(picture, {0, 0, 4, 2}, {2, 0, 4, 4}, false, error)) << error;
    EXPECT_EQ(Shown565(*window, 2, 1), 0xF800u);
    EXPECT_EQ(Shown565(*window, 5, 0), 0xFFFFu);
    EXPECT_EQ(ShownColour(*window, 5, 3), 0u);
    EXPECT_EQ(ShownColour(*window, 0, 0), 0u) << "the band beside the picture is black";
    EXPECT_EQ(ShownColour(*window, 7, 3), 0u);
}

TEST_F(ScreenPresenterTest, MessageOnlyWindowHasNoPresenter)
{
    auto window = Window::CreateMessageOnly("Invisible");
    EXPECT_EQ(window->Presenter(), nullptr);
}

TEST_F(ScreenPresenterTest, DisplayModeIsScaledIntoTheWindowKeepingItsShape)
{
    struct Case
    {
        const char* name;
        int width;
        int height;
        ScreenRect viewport;
        int windowX;
        int windowY;
        int clientX;
        int clientY;
    };
    // A 800 x 600 mode in windows of several shapes, and where a window pixel lands in the mode.
    const Case cases[] = {
        {"same shape", 1024, 768, {0, 0, 1024, 768}, 1023, 767, 799, 599},
        {"wide", 1280, 720, {160, 0, 960, 720}, 160, 0, 0, 0},
        {"wide, left band", 1280, 720, {160, 0, 960, 720}, 100, 10, -50, 8},
        {"tall", 800, 1000, {0, 200, 800, 600}, 400, 500, 400, 300},
    };
    for (const Case& c : cases) {
        auto window = Window::Create(c.name, {0, 0, c.width, c.height, false});
        ASSERT_TRUE(window);
        window->SetLogicalSize(800, 600);
        ScreenRect viewport = window->Viewport();
        EXPECT_EQ(viewport.x, c.viewport.x) << c.name;
        EXPECT_EQ(viewport.y, c.viewport.y) << c.name;
        EXPECT_EQ(viewport.width, c.viewport.width) << c.name;
        EXPECT_EQ(viewport.height, c.viewport.height) << c.name;
        int x = c.windowX;
        int y = c.windowY;
        window->WindowToClient(x, y);
        EXPECT_EQ(x, c.clientX) << c.name;
        EXPECT_EQ(y, c.clientY) << c.name;
        ScreenRect client = window->ClientRectOnScreen();
        EXPECT_EQ(client.width, 800) << c.name;
        window->ClearLogicalSize();
        x = c.windowX;
        window->WindowToClient(x, y);
        EXPECT_EQ(x, c.windowX) << "without a mode the window's pixels are the client's";
    }
}
