// SDL2's renderer API: the driver SDL prefers (OpenGL on a desktop, Mesa's llvmpipe under Xvfb), else
// its software renderer, which also works on the dummy driver's framebuffer.
#include "platform/ScreenPresenter.h"

#include "platform/Window.h"

#include <SDL.h>

namespace Platform {

std::unique_ptr<ScreenPresenter> ScreenPresenter::Create(Window& window, int width, int height,
                                                         bool waitForVerticalBlank, std::string& error)
{
    SDL_Window* sdlWindow = window.SdlWindow();
    if (!sdlWindow) {
        error = "no desktop window";
        return nullptr;
    }
    if (SDL_Renderer* old = SDL_GetRenderer(sdlWindow)) {
        SDL_DestroyRenderer(old);
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    Uint32 flags = waitForVerticalBlank ? SDL_RENDERER_PRESENTVSYNC : 0;
    SDL_Renderer* renderer = SDL_CreateRenderer(sdlWindow, -1, flags);
    if (!renderer) {
        renderer = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!renderer) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_RenderSetLogicalSize(renderer, width, height);
    SDL_Texture* texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture) {
        error = SDL_GetError();
        SDL_DestroyRenderer(renderer);
        return nullptr;
    }
    return std::unique_ptr<ScreenPresenter>(new ScreenPresenter(window, renderer, texture));
}

ScreenPresenter::ScreenPresenter(Window& window, SDL_Renderer* renderer, SDL_Texture* texture)
    : window(window), renderer(renderer), texture(texture)
{}

ScreenPresenter::~ScreenPresenter()
{
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
}

bool ScreenPresenter::Present(const uint32_t* pixels, int pitch, std::string& error)
{
    if (SDL_UpdateTexture(texture, nullptr, pixels, pitch * int(sizeof(uint32_t))) != 0 ||
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255) != 0 || SDL_RenderClear(renderer) != 0 ||
        SDL_RenderCopy(renderer, texture, nullptr, nullptr) != 0) {
        error = SDL_GetError();
        return false;
    }
    SDL_RenderPresent(renderer);
    return true;
}

int ScreenPresenter::RefreshRate() const
{
    SDL_DisplayMode mode{};
    int display = SDL_GetWindowDisplayIndex(window.SdlWindow());
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) {
        return 0;
    }
    return mode.refresh_rate;
}

} // namespace Platform
