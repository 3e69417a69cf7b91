// Whole frames with a window open over the game, drawn by the game's window classes in software, beside
// SDL2's software renderer drawing the same in the same run. Read the figures as ratios.
//
// A frame: the screen's backdrop (the loading picture, 800 x 600, opaque), the dim over the whole screen
// (black at alpha 80), the confirmation window's picture (400 x 360) and its two lights, each a lamp and
// a tinted glow. The effect frame is the same window half-way through its appear effect: scaled to 0.85
// about the screen's middle by the nearest-pixel stretch, dim included. (On a software display a tinted
// stretch draws nothing, so the effect frame is drawn at full opacity: its cost at its largest.) SDL2
// fills with a blended rectangle and copies with blended, alpha-modulated and, for the effect, scaled
// copies.
#include "app/TolmAppBase.h"
#include "gamewidgets/WindowLight.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "support/References.h"
#include "widgets/WidgetManager.h"
#include "windows/BaseWindow.h"
#include "windows/WindowEffects.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;
// A half-way glow: sin(phase) x 50 + 205.
constexpr int GlowAlpha = 230;

struct Picture
{
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    MemoryImage image;

    explicit Picture(const std::string& file)
    {
        RawPngDecode(std::string(QUENDARA_BUILD_FOLDER) + "/data/gfx/" + file, pixels, &width, &height);
        if (!pixels.empty()) {
            image.SetBits(pixels.data(), width, height, true);
        }
    }
    bool Loaded() const { return !pixels.empty(); }
};

// The confirmation window: the dim, then the window; its lights lie where that window has them.
class BenchWindow : public BaseWindow
{
public:
    BenchWindow(Image* background, Image* light, Image* glow) : BaseWindow(background, 201, false, "", "", "")
    {
        clip = false;
        AddLight(6, 151);
        AddLight(393, 215);
        for (auto& lamp : lights->lights) {
            lamp->light = light;
            lamp->glow = glow;
            lamp->alpha.current = 1.0f;
            lamp->phase = 0.5f;
        }
    }
    void Draw(Graphics* g) override
    {
        DrawDim(g);
        BaseWindow::Draw(g);
    }
};

// What both sides draw, and the screens they draw it on.
struct Scene
{
    Scene()
        : backdrop("loading/loading_back.png"), window("ui/window_confirm.png"), light("ui/window_light.png"),
          glow("ui/window_light_glow.png")
    {
        app.width = ScreenWidth;
        app.height = ScreenHeight;
        screen.Create(ScreenWidth, ScreenHeight);
        sdlScreen.Create(ScreenWidth, ScreenHeight);
    }

    bool Ready(benchmark::State& state) const
    {
        if (backdrop.Loaded() && window.Loaded() && light.Loaded() && glow.Loaded()) {
            return true;
        }
        state.SkipWithError("the pictures were not found; build the data set");
        return false;
    }

    TolmAppBase app;
    Picture backdrop;
    Picture window;
    Picture light;
    Picture glow;
    MemoryImage screen;
    MemoryImage sdlScreen;
};

Scene& GetScene()
{
    static Scene scene;
    return scene;
}

void BM_OpenWindowOurs(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.Ready(state)) {
        return;
    }
    BenchWindow window(&scene.window.image, &scene.light.image, &scene.glow.image);
    for (auto _ : state) {
        Graphics g(&scene.screen);
        g.DrawImage(&scene.backdrop.image, 0, 0);
        g.Translate(window.x, window.y);
        window.Draw(&g);
        benchmark::DoNotOptimize(scene.screen.bits.get());
    }
    state.counters["px"] = benchmark::Counter(double(state.iterations()) * ScreenWidth * ScreenHeight,
                                              benchmark::Counter::kIsRate);
}

void BM_EffectHalfWayOurs(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.Ready(state)) {
        return;
    }
    BenchWindow window(&scene.window.image, &scene.light.image, &scene.glow.image);
    window.SetVisible(false);
    EffectWindowAppearAlt effect(&window);
    effect.alpha = 1.0f;
    effect.shrink = 0.5f;
    for (auto _ : state) {
        Graphics g(&scene.screen);
        g.SetFastStretch(true);
        g.DrawImage(&scene.backdrop.image, 0, 0);
        effect.Draw(&g);
        benchmark::DoNotOptimize(scene.screen.bits.get());
    }
    state.counters["px"] = benchmark::Counter(double(state.iterations()) * ScreenWidth * ScreenHeight,
                                              benchmark::Counter::kIsRate);
}

// SDL2's software renderer on the same pixels.
struct SdlScene
{
    explicit SdlScene(Scene& scene)
    {
        target = WrapSurface(scene.sdlScreen);
        renderer = SDL_CreateSoftwareRenderer(target);
        SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
        backdrop = Texture(scene.backdrop.image, SDL_BLENDMODE_NONE);
        window = Texture(scene.window.image, SDL_BLENDMODE_BLEND);
        light = Texture(scene.light.image, SDL_BLENDMODE_BLEND);
        glow = Texture(scene.glow.image, SDL_BLENDMODE_BLEND);
        SDL_SetTextureAlphaMod(glow, GlowAlpha);
    }
    ~SdlScene()
    {
        for (SDL_Texture* texture : {backdrop, window, light, glow}) {
            SDL_DestroyTexture(texture);
        }
        SDL_DestroyRenderer(renderer);
        SDL_FreeSurface(target);
    }
    SDL_Texture* Texture(MemoryImage& image, SDL_BlendMode mode)
    {
        SDL_Surface* surface = WrapSurface(image);
        SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
        SDL_FreeSurface(surface);
        SDL_SetTextureBlendMode(texture, mode);
        return texture;
    }
    void Frame(const SDL_Rect& windowRect, bool withLights)
    {
        SDL_RenderCopy(renderer, backdrop, nullptr, nullptr);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 80);
        SDL_RenderFillRect(renderer, nullptr);
        SDL_RenderCopy(renderer, window, nullptr, &windowRect);
        if (withLights) {
            for (SDL_Point at : {SDL_Point{206, 271}, SDL_Point{593, 335}}) {
                SDL_Rect lamp{at.x - 9, at.y - 9, 18, 18};
                SDL_Rect halo{at.x - 32, at.y - 32, 64, 64};
                SDL_RenderCopy(renderer, light, nullptr, &lamp);
                SDL_RenderCopy(renderer, glow, nullptr, &halo);
            }
        }
        SDL_RenderFlush(renderer);
    }

    SDL_Surface* target = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* backdrop = nullptr;
    SDL_Texture* window = nullptr;
    SDL_Texture* light = nullptr;
    SDL_Texture* glow = nullptr;
};

void BM_OpenWindowSdl(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.Ready(state)) {
        return;
    }
    SdlScene sdl(scene);
    for (auto _ : state) {
        sdl.Frame(SDL_Rect{200, 120, 400, 360}, true);
        benchmark::DoNotOptimize(scene.sdlScreen.bits.get());
    }
    state.counters["px"] = benchmark::Counter(double(state.iterations()) * ScreenWidth * ScreenHeight,
                                              benchmark::Counter::kIsRate);
}

void BM_EffectHalfWaySdl(benchmark::State& state)
{
    Scene& scene = GetScene();
    if (!scene.Ready(state)) {
        return;
    }
    SdlScene sdl(scene);
    for (auto _ : state) {
        // 0.85 of 400 x 360 about (400, 300), as the effect places it.
        sdl.Frame(SDL_Rect{230, 147, 340, 306}, false);
        benchmark::DoNotOptimize(scene.sdlScreen.bits.get());
    }
    state.counters["px"] = benchmark::Counter(double(state.iterations()) * ScreenWidth * ScreenHeight,
                                              benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_OpenWindowOurs);
BENCHMARK(BM_OpenWindowSdl);
BENCHMARK(BM_EffectHalfWayOurs);
BENCHMARK(BM_EffectHalfWaySdl);
