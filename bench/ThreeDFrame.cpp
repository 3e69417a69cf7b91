// One busy frame through the display: an 800 x 600 backdrop, 200 soft 64 x 64 sprites and 800 turned 16 x 16
// particles added, drawn and presented (the present included) by the 3D path on Mesa's llvmpipe (an
// off-screen context) and by the software path on 5-6-5 and x8-8-8 surfaces. Beside them, as references:
// the same quads handed to the device in one triangle list, the same quads drawn by SDL2's
// SDL_RenderGeometry on its software renderer, and the per-frame read-back of the drawn surface alone.
// Times are wall-clock; the CPU column is the whole process's, llvmpipe's drawing threads included.
// Read the figures as ratios.
#include "app/TolmAppBase.h"
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Graphics.h"
#include "platform/Direct3D.h"
#include "platform/DirectDrawSeam.h"
#include "platform/GlDevice.h"
#include "platform/OffscreenGlContext.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

using namespace Tolm;
using Platform::SurfaceLayout;

namespace {

constexpr int FrameWidth = 800;
constexpr int FrameHeight = 600;
constexpr int Sprites = 200;
constexpr int Particles = 800;

std::unique_ptr<MemoryImage> Picture(int width, int height, uint32_t seed, bool soft)
{
    std::mt19937 random(seed);
    auto image = std::make_unique<MemoryImage>();
    image->Create(width, height);
    uint32_t* bits = image->GetBits();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double dx = x - (width - 1) / 2.0;
            double dy = y - (height - 1) / 2.0;
            double edge = width / 2.0 - std::sqrt(dx * dx + dy * dy);
            uint32_t alpha = !soft ? 255 : edge <= 0 ? 0 : edge >= 6 ? 255 : uint32_t(edge * 42);
            bits[y * width + x] = alpha << 24 | (random() & 0x00FFFFFF);
        }
    }
    image->NoteBitsChanged();
    return image;
}

// A display on SDL's dummy driver, drawing in 3D through an off-screen OpenGL context or in software.
class Stage
{
public:
    Stage(SurfaceLayout layout, bool in3D)
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        Platform::InitVideo();
        Platform::DirectDrawSeam::SetDesktop({1024, 768, layout, 60});
        if (in3D) {
            context = Platform::OffscreenGlContext::Create();
            backEnd = context ? Platform::GlBackEnd::Create(*context) : nullptr;
            Platform::Direct3DSeam::SetBackEnd(backEnd.get());
        }
        app = std::make_unique<TolmAppBase>();
        app->width = FrameWidth;
        app->height = FrameHeight;
        app->autoEnable3D = false;
        display = std::make_unique<DDInterface>(app.get());
        display->is3D = in3D;
        window = Platform::Window::Create("Bench", {0, 0, FrameWidth, FrameHeight, false});
        ready = window && (!in3D || backEnd) && display->Init(window->Handle(), true) == kResultOk;
        backdrop = Picture(FrameWidth, FrameHeight, 1, false);
        sprite = Picture(64, 64, 2, true);
        particle = Picture(16, 16, 3, true);
    }
    ~Stage()
    {
        backdrop.reset();
        sprite.reset();
        particle.reset();
        display.reset();
        app.reset();
        window.reset();
        backEnd.reset();
        Platform::Direct3DSeam::Reset();
        Platform::DirectDrawSeam::Reset();
    }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    void DrawFrame(int frame)
    {
        DDImage& screen = *display->GetScreenImage();
        bool locked = screen.LockSurface();
        Graphics g(&screen);
        g.DrawImage(backdrop.get(), 0, 0);
        for (int i = 0; i < Sprites; ++i) {
            g.DrawImageF(sprite.get(), float((i * 37 + frame) % 736), float((i * 53) % 536));
        }
        g.SetDrawMode(DrawModeAdditive);
        for (int i = 0; i < Particles; ++i) {
            g.DrawImageRotatedF(particle.get(), float((i * 29 + frame) % 780), float((i * 41) % 580), i * 0.1, 8, 8);
        }
        if (locked) {
            screen.UnlockSurface();
        }
        display->Redraw(nullptr);
    }

    bool ready = false;
    std::unique_ptr<Platform::OffscreenGlContext> context;
    std::unique_ptr<Platform::GlBackEnd> backEnd;
    std::unique_ptr<TolmAppBase> app;
    std::unique_ptr<DDInterface> display;
    std::unique_ptr<Platform::Window> window;
    std::unique_ptr<MemoryImage> backdrop;
    std::unique_ptr<MemoryImage> sprite;
    std::unique_ptr<MemoryImage> particle;
};

void Frame(benchmark::State& state, SurfaceLayout layout, bool in3D)
{
    Stage stage(layout, in3D);
    if (!stage.ready) {
        state.SkipWithError("no display");
        return;
    }
    int frame = 0;
    for (auto _ : state) {
        stage.DrawFrame(frame++);
    }
}

void BM_Frame3D_x888(benchmark::State& state)
{
    Frame(state, SurfaceLayout::Xrgb8888, true);
}
void BM_Frame3D_565(benchmark::State& state)
{
    Frame(state, SurfaceLayout::Rgb565, true);
}
void BM_FrameSoftware_x888(benchmark::State& state)
{
    Frame(state, SurfaceLayout::Xrgb8888, false);
}
void BM_FrameSoftware_565(benchmark::State& state)
{
    Frame(state, SurfaceLayout::Rgb565, false);
}

// The frame's quads (backdrop, sprites, particles) in one triangle list with one texture, read back.
void BM_OneBatchReference_x888(benchmark::State& state)
{
    Stage stage(SurfaceLayout::Xrgb8888, true);
    if (!stage.ready) {
        state.SkipWithError("no display");
        return;
    }
    Platform::IDirect3DDevice7* device = stage.display->d3d->Device();
    std::vector<Platform::D3DTLVERTEX> vertices;
    auto quad = [&](float x, float y, float size) {
        Platform::D3DTLVERTEX corners[4];
        for (int k = 0; k < 4; ++k) {
            corners[k].sx = x + (k & 1 ? size : 0) - 0.5f;
            corners[k].sy = y + (k & 2 ? size : 0) - 0.5f;
            corners[k].color = 0xFFFFFFFF;
            corners[k].tu = k & 1 ? 1.0f : 0.0f;
            corners[k].tv = k & 2 ? 1.0f : 0.0f;
        }
        for (int k : {0, 1, 2, 1, 3, 2}) {
            vertices.push_back(corners[k]);
        }
    };
    quad(0, 0, 800);
    for (int i = 0; i < Sprites + Particles; ++i) {
        quad(float((i * 37) % 736), float((i * 53) % 536), i < Sprites ? 64.0f : 16.0f);
    }
    Platform::DDSURFACEDESC2 desc;
    for (auto _ : state) {
        stage.display->d3d->EnsureScene();
        stage.display->d3d->PrepareTextures(*stage.sprite);
        device->DrawPrimitive(Platform::D3DPT_TRIANGLELIST, Platform::D3DFVF_TLVERTEX, vertices.data(),
                              uint32_t(vertices.size()), 0);
        stage.display->d3d->Flush();
        stage.display->drawSurface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT | Platform::DDLOCK_READONLY);
        stage.display->drawSurface->Unlock(nullptr);
    }
}

// The frame's quads through SDL2: one SDL_RenderGeometry call per picture (backdrop copied, sprites
// blended, turned particles added) on SDL's software renderer over an x8-8-8 surface.
class GeometryFrame
{
public:
    GeometryFrame()
    {
        target = SDL_CreateRGBSurfaceWithFormat(0, FrameWidth, FrameHeight, 32, SDL_PIXELFORMAT_RGB888);
        renderer = target ? SDL_CreateSoftwareRenderer(target) : nullptr;
        if (renderer) {
            backdrop = Texture(*Picture(FrameWidth, FrameHeight, 1, false), SDL_BLENDMODE_NONE);
            sprite = Texture(*Picture(64, 64, 2, true), SDL_BLENDMODE_BLEND);
            particle = Texture(*Picture(16, 16, 3, true), SDL_BLENDMODE_ADD);
        }
    }
    ~GeometryFrame()
    {
        for (SDL_Texture* texture : {backdrop, sprite, particle}) {
            if (texture) {
                SDL_DestroyTexture(texture);
            }
        }
        if (renderer) {
            SDL_DestroyRenderer(renderer);
        }
        SDL_FreeSurface(target);
    }
    GeometryFrame(const GeometryFrame&) = delete;
    GeometryFrame& operator=(const GeometryFrame&) = delete;

    bool Ready() const { return backdrop && sprite && particle; }

    void Draw(int frame)
    {
        Clear();
        AddQuad(0, 0, FrameWidth, FrameHeight, 0);
        Render(backdrop);
        for (int i = 0; i < Sprites; ++i) {
            AddQuad(float((i * 37 + frame) % 736), float((i * 53) % 536), 64, 64, 0);
        }
        Render(sprite);
        for (int i = 0; i < Particles; ++i) {
            AddQuad(float((i * 29 + frame) % 780), float((i * 41) % 580), 16, 16, i * 0.1);
        }
        Render(particle);
        SDL_RenderPresent(renderer);
    }

private:
    SDL_Texture* Texture(MemoryImage& image, SDL_BlendMode mode)
    {
        SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                                 image.width, image.height);
        if (texture) {
            SDL_UpdateTexture(texture, nullptr, image.GetBits(), image.width * 4);
            SDL_SetTextureBlendMode(texture, mode);
        }
        return texture;
    }
    void Clear()
    {
        vertices.clear();
        indices.clear();
    }
    // A quad turned by the angle about its centre.
    void AddQuad(float x, float y, float width, float height, double angle)
    {
        float cosine = float(std::cos(angle));
        float sine = float(std::sin(angle));
        float centreX = x + width / 2;
        float centreY = y + height / 2;
        int first = int(vertices.size());
        for (int k = 0; k < 4; ++k) {
            float dx = (k & 1 ? width : 0) - width / 2;
            float dy = (k & 2 ? height : 0) - height / 2;
            SDL_Vertex vertex{};
            vertex.position = {centreX + dx * cosine - dy * sine, centreY + dx * sine + dy * cosine};
            vertex.color = {255, 255, 255, 255};
            vertex.tex_coord = {k & 1 ? 1.0f : 0.0f, k & 2 ? 1.0f : 0.0f};
            vertices.push_back(vertex);
        }
        for (int k : {0, 1, 2, 1, 3, 2}) {
            indices.push_back(first + k);
        }
    }
    void Render(SDL_Texture* texture)
    {
        SDL_RenderGeometry(renderer, texture, vertices.data(), int(vertices.size()), indices.data(),
                           int(indices.size()));
        Clear();
    }

    SDL_Surface* target = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* backdrop = nullptr;
    SDL_Texture* sprite = nullptr;
    SDL_Texture* particle = nullptr;
    std::vector<SDL_Vertex> vertices;
    std::vector<int> indices;
};

void BM_RenderGeometryReference_x888(benchmark::State& state)
{
    GeometryFrame geometry;
    if (!geometry.Ready()) {
        state.SkipWithError("no SDL software renderer");
        return;
    }
    int frame = 0;
    for (auto _ : state) {
        geometry.Draw(frame++);
    }
}

// What every 3D frame pays to bring the drawn picture back into memory for the present.
void BM_ReadBackOnly_x888(benchmark::State& state)
{
    Stage stage(SurfaceLayout::Xrgb8888, true);
    if (!stage.ready) {
        state.SkipWithError("no display");
        return;
    }
    Platform::DDSURFACEDESC2 desc;
    for (auto _ : state) {
        stage.display->d3d->EnsureScene();
        stage.display->GetScreenImage()->FillRect(Rect(0, 0, 1, 1), Color::White, 0);
        stage.display->d3d->Flush();
        stage.display->drawSurface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT | Platform::DDLOCK_READONLY);
        stage.display->drawSurface->Unlock(nullptr);
    }
}

} // namespace

BENCHMARK(BM_Frame3D_x888)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_Frame3D_565)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FrameSoftware_x888)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FrameSoftware_565)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_OneBatchReference_x888)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_RenderGeometryReference_x888)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_ReadBackOnly_x888)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
