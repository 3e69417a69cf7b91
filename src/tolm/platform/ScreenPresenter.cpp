#include "platform/ScreenPresenter.h"

#include "platform/GlPresenter.h"
#include "platform/WindowSurfacePresenter.h"

#include <SDL.h>

namespace Platform {

std::unique_ptr<ScreenPresenter> ScreenPresenter::Create(SDL_Window* window)
{
    if (!window) {
        return nullptr;
    }
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) != 0) {
        if (std::unique_ptr<ScreenPresenter> gl = GlPresenter::Create(window)) {
            return gl;
        }
    }
    return std::make_unique<WindowSurfacePresenter>(window);
}

std::vector<uint32_t> ScreenPresenter::ToRgbRows(const PresentedPicture& picture, const ScreenRect& area)
{
    std::vector<uint32_t> rows(std::size_t(area.width) * std::size_t(area.height));
    int bytes = BytesPerPixel(picture.layout);
    for (int y = 0; y < area.height; ++y) {
        const uint8_t* row = picture.pixels + std::size_t(area.y + y) * std::size_t(picture.pitch) +
                             std::size_t(area.x) * std::size_t(bytes);
        for (int x = 0; x < area.width; ++x) {
            rows[std::size_t(y) * std::size_t(area.width) + std::size_t(x)] =
                PixelToRgb(picture.layout, row + std::size_t(x) * std::size_t(bytes), picture.palette);
        }
    }
    return rows;
}

} // namespace Platform
