#include "platform/ScreenPresenter.h"

#include "platform/Window.h"
#include "support/HeadlessVideo.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

using namespace Platform;

using ScreenPresenterTest = HeadlessVideoTest;

TEST_F(ScreenPresenterTest, PresentedPictureIsWhatTheWindowShows)
{
    auto window = Window::Create("Picture", {0, 0, 8, 4, false});
    ASSERT_TRUE(window);
    std::string error;
    auto presenter = ScreenPresenter::Create(*window, 8, 4, false, error);
    ASSERT_TRUE(presenter) << error;
    std::vector<uint32_t> pixels(8 * 4, 0xFF000000);
    pixels[0] = 0xFFFF0000;
    pixels[8 * 3 + 7] = 0x0012ABCD;
    ASSERT_TRUE(presenter->Present(pixels.data(), 8, error)) << error;

    std::vector<uint32_t> shown(8 * 4, 0);
    ASSERT_EQ(SDL_RenderReadPixels(presenter->Renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, shown.data(), 8 * 4), 0);
    EXPECT_EQ(shown[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown[1] & 0xFFFFFF, 0u);
    EXPECT_EQ(shown[8 * 3 + 7] & 0xFFFFFF, 0x12ABCDu);
    EXPECT_GE(presenter->RefreshRate(), 0);
}

TEST_F(ScreenPresenterTest, MessageOnlyWindowHasNothingToPresentOn)
{
    auto window = Window::CreateMessageOnly("Invisible");
    std::string error;
    EXPECT_FALSE(ScreenPresenter::Create(*window, 8, 4, false, error));
    EXPECT_FALSE(error.empty());
}
