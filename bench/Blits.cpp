// Software blits side by side with outside references on the same pixels: SDL2's SDL_BlitSurface (blend
// and add modes, colour and alpha modulation for the tinted cases), pixman's premultiplied OVER and ADD,
// and a memcpy of the destination as the memory-bandwidth floor. Read the figures as ratios.
//
// Sprites are 64 x 64 with an anti-aliased round edge; whole images are 800 x 600, as the screen. Every
// draw lands on an untouched destination: sprites go to a new place each time, and the destination is
// restored outside the timing once every place has been drawn on.
#include "graphics/MemoryImage.h"
#include "support/References.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <pixman.h>
#include <random>
#include <vector>

using namespace Tolm;

namespace {

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;

// A round sprite: opaque inside, a soft edge a few pixels wide, transparent corners.
std::vector<uint32_t> MakeSprite(int size)
{
    std::vector<uint32_t> pixels(std::size_t(size) * std::size_t(size));
    double radius = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double distance = std::hypot(x + 0.5 - radius, y + 0.5 - radius);
            double coverage = std::clamp((radius - distance) / 3.0, 0.0, 1.0);
            uint32_t alpha = uint32_t(coverage * 255);
            pixels[std::size_t(y * size + x)] = (alpha << 24) | (uint32_t(x * 4) << 16) | (uint32_t(y * 4) << 8) | 0x40;
        }
    }
    return pixels;
}

// A whole-screen overlay: a soft vignette whose alpha changes smoothly from transparent to opaque.
std::vector<uint32_t> MakeOverlay()
{
    std::vector<uint32_t> pixels(std::size_t(ScreenWidth) * ScreenHeight);
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            double dx = (x - ScreenWidth / 2.0) / (ScreenWidth / 2.0);
            double dy = (y - ScreenHeight / 2.0) / (ScreenHeight / 2.0);
            uint32_t alpha = uint32_t(std::clamp(std::hypot(dx, dy) * 200.0, 0.0, 255.0));
            pixels[std::size_t(y * ScreenWidth + x)] = (alpha << 24) | (uint32_t(x & 0xFF) << 16) | 0x2080;
        }
    }
    return pixels;
}

// The screen: opaque noise, or, for the destination-with-alpha cases, noise with every alpha.
std::vector<uint32_t> MakeBackground(int width, int height, bool withAlpha)
{
    std::mt19937 random(7);
    std::vector<uint32_t> pixels(std::size_t(width) * std::size_t(height));
    for (uint32_t& p : pixels) {
        uint32_t alpha = withAlpha ? uint32_t(random() & 0xFF) : 255;
        p = (alpha << 24) | (uint32_t(random()) & 0x00FFFFFF);
    }
    return pixels;
}

enum class Mode
{
    Normal,
    Additive,
};

struct Case
{
    Mode mode;
    bool tinted;
    bool destAlpha;
    bool sprite;
};

const Color Tint(255, 160, 64, 200);

// The source and the destination of one case, with the places the source is drawn at in turn.
class Scene
{
public:
    explicit Scene(const Case& c) : c(c)
    {
        int size = c.sprite ? 64 : 0;
        sourcePixels = c.sprite ? MakeSprite(size) : MakeOverlay();
        sourceWidth = c.sprite ? size : ScreenWidth;
        sourceHeight = c.sprite ? size : ScreenHeight;
        source.SetBits(sourcePixels.data(), sourceWidth, sourceHeight, true);
        pristine = MakeBackground(ScreenWidth, ScreenHeight, c.destAlpha);
        dest.SetBits(pristine.data(), ScreenWidth, ScreenHeight, true);
        int columns = ScreenWidth / std::max(sourceWidth, 1);
        int rows = ScreenHeight / std::max(sourceHeight, 1);
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                places.push_back({column * sourceWidth, row * sourceHeight});
            }
        }
    }

    // Restores the destination, outside the timing, once every place has been drawn on.
    void NextPlace(benchmark::State& state)
    {
        if (++place < places.size()) {
            return;
        }
        place = 0;
        state.PauseTiming();
        std::memcpy(dest.GetBits(), pristine.data(), pristine.size() * sizeof(uint32_t));
        state.ResumeTiming();
    }

    int X() const { return places[place].first; }
    int Y() const { return places[place].second; }

    const Case c;
    std::vector<uint32_t> sourcePixels;
    int sourceWidth = 0;
    int sourceHeight = 0;
    MemoryImage source;
    std::vector<uint32_t> pristine;
    MemoryImage dest;
    std::vector<std::pair<int, int>> places;
    std::size_t place = 0;
};

void SetPixelCounters(benchmark::State& state, const Scene& scene)
{
    state.counters["px"] = benchmark::Counter(double(scene.sourceWidth) * scene.sourceHeight,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

void Ours(benchmark::State& state, Case c)
{
    Scene scene(c);
    Color color = c.tinted ? Tint : Color::White;
    int drawMode = c.mode == Mode::Normal ? DrawModeNormal : DrawModeAdditive;
    Rect all(0, 0, scene.sourceWidth, scene.sourceHeight);
    for (auto _ : state) {
        scene.dest.Blit(&scene.source, scene.X(), scene.Y(), all, color, drawMode);
        scene.NextPlace(state);
    }
    SetPixelCounters(state, scene);
}

void Sdl(benchmark::State& state, Case c)
{
    Scene scene(c);
    SDL_Surface* source = WrapSurface(scene.source);
    SDL_Surface* dest = WrapSurface(scene.dest);
    SDL_SetSurfaceBlendMode(source, c.mode == Mode::Normal ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_ADD);
    if (c.tinted) {
        SDL_SetSurfaceColorMod(source, Uint8(Tint.red), Uint8(Tint.green), Uint8(Tint.blue));
        SDL_SetSurfaceAlphaMod(source, Uint8(Tint.alpha));
    }
    for (auto _ : state) {
        SDL_Rect to{scene.X(), scene.Y(), scene.sourceWidth, scene.sourceHeight};
        SDL_BlitSurface(source, nullptr, dest, &to);
        scene.NextPlace(state);
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(dest);
    SetPixelCounters(state, scene);
}

// Premultiplied, so not the same arithmetic: a measure of what a tuned library reaches, not a rival result.
void Pixman(benchmark::State& state, Case c)
{
    Scene scene(c);
    pixman_image_t* source = WrapPixman(scene.source);
    pixman_image_t* dest = WrapPixman(scene.dest);
    pixman_image_t* mask = nullptr;
    if (c.tinted) {
        pixman_color_t tint{uint16_t(Tint.alpha * 257), uint16_t(Tint.alpha * 257), uint16_t(Tint.alpha * 257),
                            uint16_t(Tint.alpha * 257)};
        mask = pixman_image_create_solid_fill(&tint);
    }
    pixman_op_t op = c.mode == Mode::Normal ? PIXMAN_OP_OVER : PIXMAN_OP_ADD;
    for (auto _ : state) {
        pixman_image_composite32(op, source, mask, dest, 0, 0, 0, 0, scene.X(), scene.Y(), scene.sourceWidth,
                                 scene.sourceHeight);
        scene.NextPlace(state);
    }
    if (mask) {
        pixman_image_unref(mask);
    }
    pixman_image_unref(source);
    pixman_image_unref(dest);
    SetPixelCounters(state, scene);
}

// Copies a destination-sized block: the floor no blend of that many pixels can go under.
void Memcpy(benchmark::State& state, Case c)
{
    Scene scene(c);
    std::vector<uint32_t> block(std::size_t(scene.sourceWidth) * std::size_t(scene.sourceHeight));
    uint32_t* pixels = scene.dest.GetBits();
    for (auto _ : state) {
        std::memcpy(pixels + std::size_t(scene.Y()) * ScreenWidth, block.data(), block.size() * sizeof(uint32_t));
        benchmark::ClobberMemory();
        scene.NextPlace(state);
    }
    SetPixelCounters(state, scene);
}

void Register(const char* name, Case c)
{
    std::string size = c.sprite ? "/sprite64" : "/screen800x600";
    benchmark::RegisterBenchmark((std::string(name) + "/ours" + size).c_str(), Ours, c);
    benchmark::RegisterBenchmark((std::string(name) + "/sdl2" + size).c_str(), Sdl, c);
    benchmark::RegisterBenchmark((std::string(name) + "/pixman" + size).c_str(), Pixman, c);
    benchmark::RegisterBenchmark((std::string(name) + "/memcpy" + size).c_str(), Memcpy, c);
}

int RegisterAll()
{
    for (bool sprite : {true, false}) {
        Register("normal_untinted_opaque_dest", {Mode::Normal, false, false, sprite});
        Register("normal_untinted_alpha_dest", {Mode::Normal, false, true, sprite});
        Register("normal_tinted_opaque_dest", {Mode::Normal, true, false, sprite});
        Register("normal_tinted_alpha_dest", {Mode::Normal, true, true, sprite});
        Register("additive_untinted", {Mode::Additive, false, false, sprite});
        Register("additive_tinted", {Mode::Additive, true, false, sprite});
    }
    return 0;
}

const int registered = RegisterAll();

} // namespace
