#include "platform/WindowSurfacePresenter.h"

#include <SDL.h>

namespace Platform {

namespace {

// SDL's name for the layout; 0 where the picture must be converted first.
uint32_t SdlFormatOf(SurfaceLayout layout)
{
    switch (layout) {
    case SurfaceLayout::Rgb565:
        return SDL_PIXELFORMAT_RGB565;
    case SurfaceLayout::Rgb555:
        return SDL_PIXELFORMAT_RGB555;
    case SurfaceLayout::Xrgb8888:
        return SDL_PIXELFORMAT_RGB888;
    case SurfaceLayout::Bgr565:
        return SDL_PIXELFORMAT_BGR565;
    case SurfaceLayout::Xbgr8888:
        return SDL_PIXELFORMAT_BGR888;
    case SurfaceLayout::Xrgb4444:
        return SDL_PIXELFORMAT_RGB444;
    default:
        return 0;
    }
}

struct SurfaceDeleter
{
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

} // namespace

bool WindowSurfacePresenter::Present(const PresentedPicture& picture, const ScreenRect& area,
                                     const ScreenRect& destination, bool, std::string& error)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!target) {
        error = SDL_GetError();
        return false;
    }
    uint32_t format = SdlFormatOf(picture.layout);
    std::vector<uint32_t> converted;
    void* pixels = nullptr;
    int pitch = 0;
    if (format != 0) {
        pixels = const_cast<uint8_t*>(picture.pixels) + std::size_t(area.y) * std::size_t(picture.pitch) +
                 std::size_t(area.x) * std::size_t(BytesPerPixel(picture.layout));
        pitch = picture.pitch;
    } else {
        converted = ToRgbRows(picture, area);
        format = SDL_PIXELFORMAT_RGB888;
        pixels = converted.data();
        pitch = area.width * 4;
    }
    std::unique_ptr<SDL_Surface, SurfaceDeleter> source(SDL_CreateRGBSurfaceWithFormatFrom(
        pixels, area.width, area.height, int(SDL_BITSPERPIXEL(format)), pitch, format));
    if (!source) {
        error = SDL_GetError();
        return false;
    }
    SDL_Rect into{destination.x, destination.y, destination.width, destination.height};
    bool covered = into.x <= 0 && into.y <= 0 && into.x + into.w >= target->w && into.y + into.h >= target->h;
    if (!covered) {
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    }
    bool sameSize = into.w == area.width && into.h == area.height;
    int result = sameSize ? SDL_BlitSurface(source.get(), nullptr, target, &into)
                          : SDL_BlitScaled(source.get(), nullptr, target, &into);
    if (result != 0 || SDL_UpdateWindowSurface(window) != 0) {
        error = SDL_GetError();
        return false;
    }
    return true;
}

} // namespace Platform
