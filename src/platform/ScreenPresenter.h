// Puts the finished picture on the screen: an SDL renderer over the window with one streaming texture
// of the picture's size. The picture keeps its size; in full screen it is scaled to fit the desktop,
// centred, with black bands where the shapes differ, and the mouse coordinates that SDL reports are
// scaled back into the picture's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Renderer;
struct SDL_Texture;

namespace Platform {

class Window;

class ScreenPresenter
{
public:
    // For a width x height picture. With waitForVerticalBlank, each present waits for the display's
    // refresh where the system allows it. Null with the reason in error when no renderer could be made.
    static std::unique_ptr<ScreenPresenter> Create(Window& window, int width, int height, bool waitForVerticalBlank,
                                                   std::string& error);
    ~ScreenPresenter();
    ScreenPresenter(const ScreenPresenter&) = delete;
    ScreenPresenter& operator=(const ScreenPresenter&) = delete;

    // Shows the picture: 0xAARRGGBB pixels (alpha ignored), top row first, pitch pixels from one row
    // to the next. False with the reason in error when it could not be shown.
    bool Present(const uint32_t* pixels, int pitch, std::string& error);
    // The refresh rate of the display the window is on, in Hz; 0 when the system does not know it.
    int RefreshRate() const;

    SDL_Renderer* Renderer() const { return renderer; }

private:
    ScreenPresenter(Window& window, SDL_Renderer* renderer, SDL_Texture* texture);

    Window& window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
};

} // namespace Platform
