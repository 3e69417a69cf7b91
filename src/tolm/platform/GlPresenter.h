// The presenter on OpenGL 3.3 (core profile; Mesa's llvmpipe under Xvfb): one texture of the picture's
// area drawn as a quad by a two-line shader, nearest-pixel when the sizes match and bilinear when
// scaled, then the buffers swapped. The context belongs to the window for its life, so that the 3D
// display draws with it too: the presenter is also the window's Direct3D. On a software renderer
// (llvmpipe, softpipe, swrast) the pictures go to the window's surface instead, which costs a fraction
// of the quad; the context still serves the 3D display.
#pragma once

#include "platform/GlDevice.h"
#include "platform/ScreenPresenter.h"

#include <memory>

namespace Platform {

struct GlFunctions;

class GlPresenter : public ScreenPresenter, public GlContext
{
public:
    // Null when no context or shader can be had on the window.
    static std::unique_ptr<GlPresenter> Create(SDL_Window* window);
    ~GlPresenter() override;

    bool Present(const PresentedPicture& picture, const ScreenRect& area, const ScreenRect& destination,
                 bool waitForVerticalBlank, std::string& error) override;
    bool UsesOpenGL() const override { return !windowSurface; }
    Direct3DBackEnd* Direct3D() override;

    bool MakeCurrent() override;
    void* ProcAddress(const char* name) override;
    std::optional<uint64_t> VideoMemory() override;

private:
    GlPresenter(SDL_Window* window, void* context);
    bool SetUp();
    void Upload(const PresentedPicture& picture, const ScreenRect& area);

    SDL_Window* window;
    void* context;
    std::unique_ptr<GlFunctions> gl;
    uint32_t program = 0;
    uint32_t vertexArray = 0;
    uint32_t texture = 0;
    int destinationLocation = -1;
    int textureWidth = 0;
    int textureHeight = 0;
    int textureFormat = 0;
    int swapInterval = -1;
    std::unique_ptr<GlBackEnd> direct3D;
    bool direct3DTried = false;
    // Set on a software renderer.
    std::unique_ptr<ScreenPresenter> windowSurface;
};

} // namespace Platform
