// The presenter on SDL's window surface: SDL converts the picture into the window's pixel format and
// scales it by the nearest pixel.
#pragma once

#include "platform/ScreenPresenter.h"

namespace Platform {

class WindowSurfacePresenter : public ScreenPresenter
{
public:
    explicit WindowSurfacePresenter(SDL_Window* window) : window(window) {}

    bool Present(const PresentedPicture& picture, const ScreenRect& area, const ScreenRect& destination,
                 bool waitForVerticalBlank, std::string& error) override;
    bool UsesOpenGL() const override { return false; }

private:
    SDL_Window* window;
};

} // namespace Platform
