// Puts a picture into a window: a rectangle of a picture in any surface layout, drawn into a rectangle of
// the window (scaled smoothly when the sizes differ), with the rest of the window black. One interface,
// two back ends:
// - OpenGL, for windows made for it: the picture becomes a texture drawn as one quad, and the buffers
//   are swapped, waiting for the refresh when asked. Exact for 16-bit pictures on a 16-bit desktop. On a
//   software renderer it presents through the window surface below, keeping the context for 3D.
// - SDL's window surface, for the others (SDL's dummy driver among them, and machines without OpenGL):
//   SDL converts and scales into the window's own pixels. It cannot wait for the refresh.
// Main thread only, as every SDL call.
#pragma once

#include "platform/SurfaceLayout.h"
#include "platform/VideoSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

namespace Platform {

class Direct3DBackEnd;

struct PresentedPicture
{
    const uint8_t* pixels = nullptr;
    // Bytes from one row to the next.
    int32_t pitch = 0;
    int width = 0;
    int height = 0;
    SurfaceLayout layout = SurfaceLayout::Xrgb8888;
    // For a palette picture.
    const PALETTEENTRY* palette = nullptr;
};

class ScreenPresenter
{
public:
    // OpenGL when the window was made for it and a context can be had; else the window surface.
    static std::unique_ptr<ScreenPresenter> Create(SDL_Window* window);
    virtual ~ScreenPresenter() = default;

    // area lies inside the picture; destination is in the window's pixels. False with the reason.
    virtual bool Present(const PresentedPicture& picture, const ScreenRect& area, const ScreenRect& destination,
                         bool waitForVerticalBlank, std::string& error) = 0;
    virtual bool UsesOpenGL() const = 0;
    // Direct3D drawing on the window's OpenGL; null without it.
    virtual Direct3DBackEnd* Direct3D() { return nullptr; }

protected:
    // The area as tightly packed 0x00RRGGBB rows, for layouts a back end does not take as they are.
    static std::vector<uint32_t> ToRgbRows(const PresentedPicture& picture, const ScreenRect& area);
};

} // namespace Platform
