// Rotated, fractional, matrix and stretched blits side by side with outside references on the same pixels:
// pixman's affine transforms (bilinear or nearest filter, premultiplied OVER and ADD) for every case, and
// for the stretches SDL2's scaled blit (nearest pixel, blended) and its bilinear stretch followed by a
// blended blit. Read the figures as ratios.
//
// Sources are a 64 x 64 sprite with a soft round edge, or a 400 x 300 "window" with a soft frame; the
// destination is an opaque 800 x 600 screen. Sprites go to a new place each time, and the destination is
// restored outside the timing once every place has been drawn on. The "px" counter is the area of the
// drawn image after its transform.
#include "core/Matrix.h"
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
constexpr double Turn = 0.5235987755982988; // 30 degrees

std::vector<uint32_t> MakeSoftImage(int width, int height, double edge)
{
    std::vector<uint32_t> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double dx = std::min(x + 0.5, width - x - 0.5), dy = std::min(y + 0.5, height - y - 0.5);
            double round = width == height ? std::hypot(x + 0.5 - width / 2.0, y + 0.5 - height / 2.0) : 0;
            double inside = width == height ? (width / 2.0 - round) : std::min(dx, dy);
            uint32_t alpha = uint32_t(std::clamp(inside / edge, 0.0, 1.0) * 255);
            pixels[std::size_t(y * width + x)] =
                (alpha << 24) | (uint32_t(x * 255 / width) << 16) | (uint32_t(y * 255 / height) << 8) | 0x40;
        }
    }
    return pixels;
}

std::vector<uint32_t> MakeScreen()
{
    std::mt19937 random(7);
    std::vector<uint32_t> pixels(std::size_t(ScreenWidth) * ScreenHeight);
    for (uint32_t& p : pixels) {
        p = 0xFF000000 | (uint32_t(random()) & 0x00FFFFFF);
    }
    return pixels;
}

enum class Kind
{
    Rotated,
    Fractional,
    Matrix,
    Stretched,
};

enum class Mode
{
    Normal,
    Tinted,
    Additive,
};

struct Case
{
    Kind kind;
    Mode mode;
    bool window;   // the 400 x 300 window, else the 64 x 64 sprite
    int destWidth; // stretches: the destination size
    int destHeight;
    bool fast; // stretches: nearest pixel
    // Stretches: how many sizes the destination steps through, one a draw, each a pixel wider and taller
    // than the one before, as when a window scales in.
    int sizes = 1;
};

const Color Tint(255, 160, 64, 200);

class Scene
{
public:
    explicit Scene(const Case& c) : c(c)
    {
        width = c.window ? 400 : 64;
        height = c.window ? 300 : 64;
        sourcePixels = MakeSoftImage(width, height, c.window ? 6 : 3);
        source.SetBits(sourcePixels.data(), width, height, true);
        pristine = MakeScreen();
        dest.SetBits(pristine.data(), ScreenWidth, ScreenHeight, true);
        int step = c.window ? 0 : 140;
        for (int y = 40; step && y + 100 < ScreenHeight; y += step) {
            for (int x = 40; x + 100 < ScreenWidth; x += step) {
                places.push_back({x, y});
            }
        }
        if (places.empty()) {
            places.push_back({200, 150});
        }
    }

    void NextPlace(benchmark::State& state)
    {
        ++frame;
        if (++place < places.size()) {
            return;
        }
        place = 0;
        state.PauseTiming();
        std::memcpy(dest.GetBits(), pristine.data(), pristine.size() * sizeof(uint32_t));
        state.ResumeTiming();
    }

    int DestWidth() const { return c.destWidth + frame % c.sizes; }
    int DestHeight() const { return c.destHeight + frame % c.sizes; }
    int X() const { return places[place].first; }
    int Y() const { return places[place].second; }
    double Scale() const { return c.kind == Kind::Matrix ? 1.5 : 1.0; }
    double Angle() const { return c.kind == Kind::Rotated || c.kind == Kind::Matrix ? Turn : 0.0; }
    // Where the fractional draws land inside a pixel.
    static constexpr double FractionX = 0.37;
    static constexpr double FractionY = 0.61;

    double DrawnArea() const
    {
        if (c.kind == Kind::Stretched) {
            double area = 0;
            for (int k = 0; k < c.sizes; ++k) {
                area += double(c.destWidth + k) * (c.destHeight + k);
            }
            return area / c.sizes;
        }
        return width * height * Scale() * Scale();
    }

    const Case c;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> sourcePixels;
    MemoryImage source;
    std::vector<uint32_t> pristine;
    MemoryImage dest;
    std::vector<std::pair<int, int>> places;
    std::size_t place = 0;
    int frame = 0;
};

void SetPixelCounters(benchmark::State& state, const Scene& scene)
{
    state.counters["px"] = benchmark::Counter(scene.DrawnArea(), benchmark::Counter::kIsIterationInvariantRate);
}

void Ours(benchmark::State& state, Case c)
{
    Scene scene(c);
    Color color = c.mode == Mode::Tinted ? Tint : Color::White;
    int drawMode = c.mode == Mode::Additive ? DrawModeAdditive : DrawModeNormal;
    Rect all(0, 0, scene.width, scene.height);
    Rect clip(0, 0, ScreenWidth, ScreenHeight);
    Matrix3 matrix;
    matrix.Scale(1.5f, 1.5f);
    matrix.Rotate(float(Turn));
    for (auto _ : state) {
        float x = float(scene.X()), y = float(scene.Y());
        switch (c.kind) {
        case Kind::Rotated:
            scene.dest.BlitRotated(&scene.source, x, y, all, clip, color, drawMode, Turn, scene.width / 2.0f,
                                   scene.height / 2.0f);
            break;
        case Kind::Fractional:
            scene.dest.BlitF(&scene.source, x + float(Scene::FractionX), y + float(Scene::FractionY), all, clip, color,
                             drawMode);
            break;
        case Kind::Matrix:
            scene.dest.BlitMatrix(&scene.source, x + scene.width / 2.0f, y + scene.height / 2.0f, matrix, clip, color,
                                  drawMode, all, true);
            break;
        case Kind::Stretched:
            scene.dest.StretchBlit(&scene.source, Rect(scene.X(), scene.Y(), scene.DestWidth(), scene.DestHeight()),
                                   all, clip, color, drawMode, c.fast);
            break;
        }
        scene.NextPlace(state);
    }
    SetPixelCounters(state, scene);
}

// Destination pixel (X, Y) of a draw placed at the origin samples source point M (X + 0.5, Y + 0.5).
struct Affine
{
    double m[2][3];
    // The destination area of the draw placed at the origin.
    int left, top, width, height;
};

Affine PixmanAffine(const Scene& scene)
{
    double w = scene.width, h = scene.height;
    double s = scene.Scale();
    Affine a{};
    if (scene.c.kind == Kind::Stretched) {
        a.m[0][0] = w / scene.DestWidth();
        a.m[1][1] = h / scene.DestHeight();
        a.width = scene.DestWidth();
        a.height = scene.DestHeight();
        return a;
    }
    // About the middle, counter-clockwise on the screen: source = R^-1 (dest - middle) / s + middle.
    double c = std::cos(scene.Angle()), sn = std::sin(scene.Angle());
    double cx = w / 2, cy = h / 2;
    double fx = scene.c.kind == Kind::Fractional ? Scene::FractionX : 0;
    double fy = scene.c.kind == Kind::Fractional ? Scene::FractionY : 0;
    a.m[0][0] = c / s, a.m[0][1] = -sn / s;
    a.m[1][0] = sn / s, a.m[1][1] = c / s;
    a.m[0][2] = cx - (c * (cx + fx) - sn * (cy + fy)) / s;
    a.m[1][2] = cy - (sn * (cx + fx) + c * (cy + fy)) / s;
    double halfX = s * (w / 2 * std::abs(c) + h / 2 * std::abs(sn));
    double halfY = s * (w / 2 * std::abs(sn) + h / 2 * std::abs(c));
    a.left = int(std::floor(cx - halfX));
    a.top = int(std::floor(cy - halfY));
    a.width = int(std::ceil(2 * halfX)) + 2;
    a.height = int(std::ceil(2 * halfY)) + 2;
    return a;
}

// Premultiplied, so not the same arithmetic: a measure of what a tuned library reaches, not a rival result.
void Pixman(benchmark::State& state, Case c)
{
    Scene scene(c);
    pixman_image_t* source = WrapPixman(scene.source);
    pixman_image_t* dest = WrapPixman(scene.dest);
    auto place = [&]() {
        Affine a = PixmanAffine(scene);
        pixman_transform_t transform;
        pixman_transform_init_identity(&transform);
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                transform.matrix[row][column] = pixman_double_to_fixed(a.m[row][column]);
            }
        }
        pixman_image_set_transform(source, &transform);
        return a;
    };
    Affine a = place();
    bool nearest = c.kind == Kind::Stretched && c.fast;
    pixman_image_set_filter(source, nearest ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_t* mask = nullptr;
    if (c.mode == Mode::Tinted) {
        uint16_t alpha = uint16_t(Tint.alpha * 257);
        pixman_color_t tint{alpha, alpha, alpha, alpha};
        mask = pixman_image_create_solid_fill(&tint);
    }
    pixman_op_t op = c.mode == Mode::Additive ? PIXMAN_OP_ADD : PIXMAN_OP_OVER;
    for (auto _ : state) {
        if (c.sizes > 1) {
            a = place();
        }
        pixman_image_composite32(op, source, mask, dest, a.left, a.top, 0, 0, scene.X() + a.left, scene.Y() + a.top,
                                 a.width, a.height);
        scene.NextPlace(state);
    }
    if (mask) {
        pixman_image_unref(mask);
    }
    pixman_image_unref(source);
    pixman_image_unref(dest);
    SetPixelCounters(state, scene);
}

// Nearest pixel: one scaled, blended blit. Bilinear: SDL2 stretches only by copying, so the stretch goes to a
// scratch surface that is then blended onto the screen.
void Sdl(benchmark::State& state, Case c)
{
    Scene scene(c);
    SDL_Surface* source = WrapSurface(scene.source);
    SDL_Surface* dest = WrapSurface(scene.dest);
    SDL_Surface* scratch = SDL_CreateRGBSurfaceWithFormat(0, c.destWidth + c.sizes - 1, c.destHeight + c.sizes - 1, 32,
                                                          SDL_PIXELFORMAT_ARGB8888);
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceBlendMode(scratch, SDL_BLENDMODE_BLEND);
    for (auto _ : state) {
        SDL_Rect to{scene.X(), scene.Y(), scene.DestWidth(), scene.DestHeight()};
        SDL_Rect size{0, 0, to.w, to.h};
        if (c.fast) {
            SDL_BlitScaled(source, nullptr, dest, &to);
        } else {
            SDL_SoftStretchLinear(source, nullptr, scratch, &size);
            SDL_BlitSurface(scratch, &size, dest, &to);
        }
        scene.NextPlace(state);
    }
    SDL_FreeSurface(scratch);
    SDL_FreeSurface(source);
    SDL_FreeSurface(dest);
    SetPixelCounters(state, scene);
}

void Register(const std::string& name, Case c)
{
    benchmark::RegisterBenchmark((name + "/ours").c_str(), Ours, c);
    benchmark::RegisterBenchmark((name + "/pixman").c_str(), Pixman, c);
    if (c.kind == Kind::Stretched) {
        benchmark::RegisterBenchmark((name + "/sdl2").c_str(), Sdl, c);
    }
}

int RegisterAll()
{
    Register("rotated_sprite64_normal", {Kind::Rotated, Mode::Normal, false, 0, 0, false});
    Register("rotated_sprite64_tinted", {Kind::Rotated, Mode::Tinted, false, 0, 0, false});
    Register("rotated_sprite64_additive", {Kind::Rotated, Mode::Additive, false, 0, 0, false});
    Register("rotated_window400x300_normal", {Kind::Rotated, Mode::Normal, true, 0, 0, false});
    Register("fractional_sprite64_normal", {Kind::Fractional, Mode::Normal, false, 0, 0, false});
    Register("matrix_sprite64_scaled1.5_normal", {Kind::Matrix, Mode::Normal, false, 0, 0, false});
    Register("stretched_sprite64_to96_smooth", {Kind::Stretched, Mode::Normal, false, 96, 96, false});
    Register("stretched_sprite64_to96_fast", {Kind::Stretched, Mode::Normal, false, 96, 96, true});
    Register("stretched_window400x300_to200x150_smooth", {Kind::Stretched, Mode::Normal, true, 200, 150, false});
    Register("stretched_window400x300_to200x150_fast", {Kind::Stretched, Mode::Normal, true, 200, 150, true});
    Register("stretched_window400x300_to600x450_smooth", {Kind::Stretched, Mode::Normal, true, 600, 450, false});
    Register("stretched_window400x300_scaling_in_200x150_to215x165_smooth",
             {Kind::Stretched, Mode::Normal, true, 200, 150, false, 16});
    return 0;
}

const int registered = RegisterAll();

} // namespace
