// Our DirectDraw side by side with SDL2 on the same pixels: presenting an 800 x 600 frame from a 5-6-5
// and an x8-8-8 surface (our presenter against SDL2's renderer updating and drawing a streaming texture),
// and the surface blit copying (against SDL_BlitSurface and row copies), skipping a colour key (against
// SDL_BlitSurface with a colour key) and stretching 400 x 300 to 800 x 600 (against SDL_BlitScaled).
// Read the figures as ratios.
//
// The presents run on the video driver the environment gives: under an X server (xvfb-run) both sides
// draw with OpenGL, on SDL's dummy driver both draw in software. Neither waits for the refresh.
#include "platform/DirectDraw.h"
#include "platform/ScreenPresenter.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <random>
#include <string>

using namespace Platform;

namespace {

constexpr int FrameWidth = 800;
constexpr int FrameHeight = 600;

struct SurfaceDeleter
{
    void operator()(IDirectDrawSurface7* surface) const { surface->Release(); }
};
using SurfaceHandle = std::unique_ptr<IDirectDrawSurface7, SurfaceDeleter>;

struct SdlSurfaceDeleter
{
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

uint32_t SdlFormatOf(SurfaceLayout layout)
{
    return layout == SurfaceLayout::Rgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
}

// Noise, with a quarter of the pixels set to the key value 0 for the keyed cases.
void FillNoise(IDirectDrawSurface7* surface, uint32_t seed)
{
    std::mt19937 random(seed);
    DDSURFACEDESC2 desc;
    surface->Lock(nullptr, &desc, DDLOCK_WAIT);
    int bytes = int(desc.pixelFormat.rgbBitCount / 8);
    for (uint32_t y = 0; y < desc.height; ++y) {
        auto* row = static_cast<uint8_t*>(desc.surface) + std::ptrdiff_t(y) * desc.pitch;
        for (uint32_t x = 0; x < desc.width; ++x) {
            uint32_t value = random() % 4 == 0 ? 0 : random() & 0x00FFFFFF;
            std::memcpy(row + x * uint32_t(bytes), &value, std::size_t(bytes));
        }
    }
    surface->Unlock(nullptr);
}

// A source and a destination surface of one layout on their own DirectDraw object, filled with noise, and
// the same pixels as SDL surfaces (no copy). For the stretches the source is half as wide and high.
class Scene
{
public:
    Scene(SurfaceLayout layout, bool halvedSource)
    {
        IDirectDraw7::Create(&directDraw);
        int divisor = halvedSource ? 2 : 1;
        source = Make(FrameWidth / divisor, FrameHeight / divisor, layout, 1);
        dest = Make(FrameWidth, FrameHeight, layout, 2);
        from = Wrap(source.get());
        to = Wrap(dest.get());
    }
    ~Scene()
    {
        source.reset();
        dest.reset();
        directDraw->Release();
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    SurfaceHandle source;
    SurfaceHandle dest;
    SdlSurface from;
    SdlSurface to;

private:
    SurfaceHandle Make(int width, int height, SurfaceLayout layout, uint32_t seed)
    {
        DDSURFACEDESC2 desc;
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.width = uint32_t(width);
        desc.height = uint32_t(height);
        desc.caps.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        desc.pixelFormat = PixelFormatOf(layout);
        IDirectDrawSurface7* surface = nullptr;
        directDraw->CreateSurface(&desc, &surface);
        FillNoise(surface, seed);
        return SurfaceHandle(surface);
    }

    static SdlSurface Wrap(IDirectDrawSurface7* surface)
    {
        DDSURFACEDESC2 desc;
        surface->Lock(nullptr, &desc, DDLOCK_WAIT);
        void* pixels = desc.surface;
        surface->Unlock(nullptr);
        uint32_t format = SdlFormatOf(surface->Layout());
        return SdlSurface(SDL_CreateRGBSurfaceWithFormatFrom(pixels, int(desc.width), int(desc.height),
                                                             int(SDL_BITSPERPIXEL(format)), desc.pitch, format));
    }

    IDirectDraw7* directDraw = nullptr;
};

// One draw of the scene per iteration, each counting the frame's pixels.
template <typename Draw>
void Measure(benchmark::State& state, Scene& scene, Draw draw)
{
    for (auto _ : state) {
        draw(scene);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * FrameWidth * FrameHeight);
}

void BltCopy(benchmark::State& state, SurfaceLayout layout)
{
    Scene scene(layout, false);
    Measure(state, scene, [](Scene& s) { s.dest->Blt(nullptr, s.source.get(), nullptr, DDBLT_WAIT, nullptr); });
}

void SdlCopy(benchmark::State& state, SurfaceLayout layout)
{
    Scene scene(layout, false);
    Measure(state, scene, [](Scene& s) { SDL_BlitSurface(s.from.get(), nullptr, s.to.get(), nullptr); });
}

void RowCopies(benchmark::State& state, SurfaceLayout layout)
{
    Scene scene(layout, false);
    std::size_t rowBytes = std::size_t(FrameWidth) * std::size_t(BytesPerPixel(layout));
    Measure(state, scene, [rowBytes](Scene& s) {
        for (int y = 0; y < FrameHeight; ++y) {
            std::memcpy(static_cast<uint8_t*>(s.to->pixels) + std::ptrdiff_t(y) * s.to->pitch,
                        static_cast<const uint8_t*>(s.from->pixels) + std::ptrdiff_t(y) * s.from->pitch, rowBytes);
        }
    });
}

void BltKeyed(benchmark::State& state, SurfaceLayout layout)
{
    Scene scene(layout, false);
    DDCOLORKEY key{0, 0};
    scene.source->SetColorKey(DDCKEY_SRCBLT, &key);
    Measure(state, scene,
            [](Scene& s) { s.dest->Blt(nullptr, s.source.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr); });
}

void SdlKeyed(benchmark::State& state, SurfaceLayout layout)
{
    Scene scene(layout, false);
    SDL_SetColorKey(scene.from.get(), SDL_TRUE, 0);
    Measure(state, scene, [](Scene& s) { SDL_BlitSurface(s.from.get(), nullptr, s.to.get(), nullptr); });
}

void BltStretch(benchmark::State& state, SurfaceLayout layout)
{
    Scene scene(layout, true);
    Measure(state, scene, [](Scene& s) { s.dest->Blt(nullptr, s.source.get(), nullptr, DDBLT_WAIT, nullptr); });
}

void SdlStretch(benchmark::State& state, SurfaceLayout layout)
{
    Scene scene(layout, true);
    Measure(state, scene, [](Scene& s) { SDL_BlitScaled(s.from.get(), nullptr, s.to.get(), nullptr); });
}

std::unique_ptr<Window> PresentWindow()
{
    if (!InitVideo()) {
        return nullptr;
    }
    return Window::Create("Present", {0, 0, FrameWidth, FrameHeight, false});
}

void PresentOurs(benchmark::State& state, SurfaceLayout layout)
{
    std::unique_ptr<Window> window = PresentWindow();
    ScreenPresenter* presenter = window ? window->Presenter() : nullptr;
    if (!presenter) {
        state.SkipWithError("no window to present in");
        return;
    }
    Scene scene(layout, false);
    PresentedPicture picture{
        static_cast<const uint8_t*>(scene.from->pixels), scene.from->pitch, FrameWidth, FrameHeight, layout, nullptr};
    std::string error;
    Measure(state, scene, [&](Scene&) {
        presenter->Present(picture, {0, 0, FrameWidth, FrameHeight}, {0, 0, FrameWidth, FrameHeight}, false, error);
    });
    state.SetLabel(presenter->UsesOpenGL() ? "OpenGL" : "window surface");
}

void PresentSdlRenderer(benchmark::State& state, SurfaceLayout layout)
{
    std::unique_ptr<Window> window = PresentWindow();
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window->SdlWindow(), -1, 0) : nullptr;
    if (!renderer) {
        state.SkipWithError("no renderer");
        return;
    }
    SDL_Texture* texture =
        SDL_CreateTexture(renderer, SdlFormatOf(layout), SDL_TEXTUREACCESS_STREAMING, FrameWidth, FrameHeight);
    Scene scene(layout, false);
    Measure(state, scene, [&](Scene& s) {
        SDL_UpdateTexture(texture, nullptr, s.from->pixels, s.from->pitch);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    });
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    state.SetLabel(info.name);
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
}

int RegisterAll()
{
    struct Entry
    {
        const char* name;
        void (*function)(benchmark::State&, SurfaceLayout);
    };
    const Entry entries[] = {
        {"present/ours", PresentOurs},   {"present/sdl2_renderer", PresentSdlRenderer},
        {"copy/ours", BltCopy},          {"copy/sdl2", SdlCopy},
        {"copy/rows", RowCopies},        {"keyed/ours", BltKeyed},
        {"keyed/sdl2", SdlKeyed},        {"stretch_2x/ours", BltStretch},
        {"stretch_2x/sdl2", SdlStretch},
    };
    for (SurfaceLayout layout : {SurfaceLayout::Rgb565, SurfaceLayout::Xrgb8888}) {
        const char* suffix = layout == SurfaceLayout::Rgb565 ? "/565" : "/x888";
        for (const Entry& entry : entries) {
            benchmark::RegisterBenchmark((std::string(entry.name) + suffix).c_str(), entry.function, layout)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    return 0;
}

const int registered = RegisterAll();

} // namespace
