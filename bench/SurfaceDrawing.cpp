// Drawing into locked display surfaces beside SDL2 and pixman on the same pixels, on 5-6-5 and x8-8-8:
// an 800 x 600 picture with soft alpha and a 64 x 64 sprite drawn 100 times, untinted, tinted and added
// (against SDL_BlitSurface blending, with a colour and alpha modulation, and adding, and pixman's OVER
// and ADD of premultiplied pixels), fills (against SDL_FillRect and pixman_fill), half-alpha fills and the
// modal windows' dim (against pixman's OVER of the premultiplied colour), a 400 x 300 picture
// stretched to 800 x 600 (against SDL_BlitScaled) and the sprite turned by half a radian 100 times
// (against pixman with a bilinear transform), and row copies of the frame (memcpy). Read the figures as
// ratios.
#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/DirectDrawSeam.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <pixman.h>
#include <random>
#include <string>
#include <vector>

using namespace Tolm;
using Platform::SurfaceLayout;

namespace {

constexpr int FrameWidth = 800;
constexpr int FrameHeight = 600;
constexpr int SpriteSize = 64;
constexpr int SpriteDraws = 100;
const Color Tint(255, 200, 120, 220);

// Soft round blobs over noise: a third clear, a third opaque, a third in between, as sprites are.
std::vector<uint32_t> Picture(int width, int height, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint32_t> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double dx = (x % 64) - 31.5;
            double dy = (y % 64) - 31.5;
            double edge = 32 - std::sqrt(dx * dx + dy * dy);
            uint32_t alpha = edge <= 0 ? 0 : edge >= 8 ? 255 : uint32_t(edge * 32);
            pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = alpha << 24 | (random() & 0x00FFFFFF);
        }
    }
    return pixels;
}

// A display on SDL's dummy driver with a screen-sized surface image, the pictures as software images, and
// the surface's pixels seen by SDL2 and pixman.
class Stage
{
public:
    explicit Stage(SurfaceLayout layout)
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        Platform::InitVideo();
        Platform::DirectDrawSeam::SetDesktop({1024, 768, layout, 60});
        app = std::make_unique<TolmAppBase>();
        app->width = FrameWidth;
        app->height = FrameHeight;
        app->autoEnable3D = false;
        display = std::make_unique<DDInterface>(app.get());
        window = Platform::Window::Create("Bench", {0, 0, FrameWidth, FrameHeight, false});
        ready = window && display->Init(window->Handle(), true) == kResultOk;
        target = std::make_unique<DDImage>(display.get());
        std::vector<uint32_t> black(std::size_t(FrameWidth) * FrameHeight, 0xFF203040);
        target->SetBits(black.data(), FrameWidth, FrameHeight, true);
        ready = ready && target->CreateSurface() && target->LockSurface();
        frame = Load(Picture(FrameWidth, FrameHeight, 1), FrameWidth, FrameHeight);
        half = Load(Picture(FrameWidth / 2, FrameHeight / 2, 2), FrameWidth / 2, FrameHeight / 2);
        sprite = Load(Picture(SpriteSize, SpriteSize, 3), SpriteSize, SpriteSize);
        if (ready) {
            const Platform::DDSURFACEDESC2& lock = target->lockDesc;
            uint32_t sdlFormat = layout == SurfaceLayout::Rgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
            sdlTarget = SDL_CreateRGBSurfaceWithFormatFrom(lock.surface, FrameWidth, FrameHeight,
                                                           int(SDL_BITSPERPIXEL(sdlFormat)), lock.pitch, sdlFormat);
            pixmanTarget =
                pixman_image_create_bits(layout == SurfaceLayout::Rgb565 ? PIXMAN_r5g6b5 : PIXMAN_x8r8g8b8, FrameWidth,
                                         FrameHeight, static_cast<uint32_t*>(lock.surface), lock.pitch);
        }
    }
    ~Stage()
    {
        if (sdlTarget) {
            SDL_FreeSurface(sdlTarget);
        }
        if (pixmanTarget) {
            pixman_image_unref(pixmanTarget);
        }
        if (ready) {
            target->UnlockSurface();
        }
        target.reset();
        display.reset();
        app.reset();
        window.reset();
        Platform::DirectDrawSeam::Reset();
    }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    struct Source
    {
        std::unique_ptr<MemoryImage> image;
        SDL_Surface* sdl = nullptr;
        pixman_image_t* pixman = nullptr;
        std::vector<uint32_t> premultiplied;
    };

    bool ready = false;
    std::unique_ptr<TolmAppBase> app;
    std::unique_ptr<DDInterface> display;
    std::unique_ptr<Platform::Window> window;
    std::unique_ptr<DDImage> target;
    SDL_Surface* sdlTarget = nullptr;
    pixman_image_t* pixmanTarget = nullptr;
    std::shared_ptr<Source> frame;
    std::shared_ptr<Source> half;
    std::shared_ptr<Source> sprite;

private:
    // The image for us, its straight pixels for SDL2 and premultiplied ones for pixman.
    static std::shared_ptr<Source> Load(const std::vector<uint32_t>& pixels, int width, int height)
    {
        auto source = std::shared_ptr<Source>(new Source, [](Source* s) {
            SDL_FreeSurface(s->sdl);
            pixman_image_unref(s->pixman);
            delete s;
        });
        source->image = std::make_unique<MemoryImage>();
        source->image->SetBits(pixels.data(), width, height, true);
        source->sdl = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        for (int y = 0; y < height; ++y) {
            std::memcpy(static_cast<uint8_t*>(source->sdl->pixels) + std::ptrdiff_t(y) * source->sdl->pitch,
                        pixels.data() + std::size_t(y) * std::size_t(width), std::size_t(width) * 4);
        }
        SDL_SetSurfaceBlendMode(source->sdl, SDL_BLENDMODE_BLEND);
        source->premultiplied = pixels;
        for (uint32_t& p : source->premultiplied) {
            uint32_t a = p >> 24;
            auto c = [&](int shift) { return ((((p >> shift) & 0xFF) * a + 127) / 255) << shift; };
            p = a << 24 | c(16) | c(8) | c(0);
        }
        source->pixman =
            pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, source->premultiplied.data(), width * 4);
        return source;
    }
};

enum class Draw
{
    Plain,
    Tinted,
    Added,
};

// The frame once, or the sprite 100 times over the frame, per iteration.
template <typename Blit>
void MeasureBlits(benchmark::State& state, Stage& stage, bool sprites, Blit blit)
{
    if (!stage.ready) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state) {
        if (sprites) {
            for (int i = 0; i < SpriteDraws; ++i) {
                blit(*stage.sprite, (i * 97) % (FrameWidth - SpriteSize), (i * 53) % (FrameHeight - SpriteSize));
            }
        } else {
            blit(*stage.frame, 0, 0);
        }
        benchmark::ClobberMemory();
    }
    int64_t pixels = sprites ? int64_t(SpriteDraws) * SpriteSize * SpriteSize : int64_t(FrameWidth) * FrameHeight;
    state.SetItemsProcessed(int64_t(state.iterations()) * pixels);
}

void Ours(benchmark::State& state, SurfaceLayout layout, Draw draw, bool sprites)
{
    Stage stage(layout);
    Color color = draw == Draw::Tinted ? Tint : Color::White;
    int mode = draw == Draw::Added ? 1 : 0;
    MeasureBlits(state, stage, sprites, [&](Stage::Source& s, int x, int y) {
        stage.target->Blit(s.image.get(), x, y, Rect(0, 0, s.image->width, s.image->height), color, mode);
    });
}

void Sdl(benchmark::State& state, SurfaceLayout layout, Draw draw, bool sprites)
{
    Stage stage(layout);
    for (Stage::Source* s : {stage.frame.get(), stage.sprite.get()}) {
        SDL_SetSurfaceBlendMode(s->sdl, draw == Draw::Added ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND);
        if (draw == Draw::Tinted) {
            SDL_SetSurfaceColorMod(s->sdl, uint8_t(Tint.red), uint8_t(Tint.green), uint8_t(Tint.blue));
            SDL_SetSurfaceAlphaMod(s->sdl, uint8_t(Tint.alpha));
        }
    }
    MeasureBlits(state, stage, sprites, [&](Stage::Source& s, int x, int y) {
        SDL_Rect at{x, y, s.sdl->w, s.sdl->h};
        SDL_BlitSurface(s.sdl, nullptr, stage.sdlTarget, &at);
    });
}

void Pixman(benchmark::State& state, SurfaceLayout layout, Draw draw, bool sprites)
{
    Stage stage(layout);
    pixman_image_t* mask = nullptr;
    if (draw == Draw::Tinted) {
        pixman_color_t tint{uint16_t(Tint.alpha * 257), uint16_t(Tint.alpha * 257), uint16_t(Tint.alpha * 257),
                            uint16_t(Tint.alpha * 257)};
        mask = pixman_image_create_solid_fill(&tint);
    }
    pixman_op_t op = draw == Draw::Added ? PIXMAN_OP_ADD : PIXMAN_OP_OVER;
    MeasureBlits(state, stage, sprites, [&](Stage::Source& s, int x, int y) {
        pixman_image_composite32(op, s.pixman, mask, stage.pixmanTarget, 0, 0, 0, 0, x, y, s.image->width,
                                 s.image->height);
    });
    if (mask) {
        pixman_image_unref(mask);
    }
    state.SetLabel(draw == Draw::Tinted ? "alpha mask only" : "");
}

template <typename Fill>
void MeasureFrame(benchmark::State& state, Stage& stage, Fill fill)
{
    if (!stage.ready) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state) {
        fill();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * FrameWidth * FrameHeight);
}

void FillOurs(benchmark::State& state, SurfaceLayout layout, int alpha)
{
    Stage stage(layout);
    MeasureFrame(state, stage,
                 [&] { stage.target->FillRect(Rect(0, 0, FrameWidth, FrameHeight), Color(40, 120, 200, alpha), 0); });
}

void FillSdl(benchmark::State& state, SurfaceLayout layout, int)
{
    Stage stage(layout);
    MeasureFrame(state, stage,
                 [&] { SDL_FillRect(stage.sdlTarget, nullptr, SDL_MapRGB(stage.sdlTarget->format, 40, 120, 200)); });
}

// An opaque colour is stored (SRC); a translucent one, premultiplied, composited OVER the pixels.
void FillPixman(benchmark::State& state, SurfaceLayout layout, int alpha)
{
    Stage stage(layout);
    auto premultiplied = [alpha](int c) { return uint16_t((c * alpha + 127) / 255 * 257); };
    pixman_color_t colour{premultiplied(40), premultiplied(120), premultiplied(200), uint16_t(alpha * 257)};
    pixman_op_t op = alpha == 255 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
    pixman_box32_t box{0, 0, FrameWidth, FrameHeight};
    MeasureFrame(state, stage, [&] { pixman_image_fill_boxes(op, stage.pixmanTarget, &colour, 1, &box); });
}

// The dim a modal window lays over the whole screen: black at alpha 80.
void DimOurs(benchmark::State& state, SurfaceLayout layout, int)
{
    Stage stage(layout);
    MeasureFrame(state, stage,
                 [&] { stage.target->FillRect(Rect(0, 0, FrameWidth, FrameHeight), Color(0, 0, 0, 80), 0); });
}

void DimPixman(benchmark::State& state, SurfaceLayout layout, int)
{
    Stage stage(layout);
    pixman_color_t colour{0, 0, 0, 80 * 257};
    pixman_box32_t box{0, 0, FrameWidth, FrameHeight};
    MeasureFrame(state, stage, [&] { pixman_image_fill_boxes(PIXMAN_OP_OVER, stage.pixmanTarget, &colour, 1, &box); });
}

void RowCopies(benchmark::State& state, SurfaceLayout layout, int)
{
    Stage stage(layout);
    std::vector<uint8_t> copy(std::size_t(stage.target->lockDesc.pitch) * FrameHeight);
    std::size_t rowBytes = std::size_t(FrameWidth) * (layout == SurfaceLayout::Rgb565 ? 2 : 4);
    MeasureFrame(state, stage, [&] {
        for (int y = 0; y < FrameHeight; ++y) {
            std::memcpy(static_cast<uint8_t*>(stage.target->lockDesc.surface) +
                            std::ptrdiff_t(y) * stage.target->lockDesc.pitch,
                        copy.data() + std::size_t(y) * rowBytes, rowBytes);
        }
    });
}

void StretchOurs(benchmark::State& state, SurfaceLayout layout, int)
{
    Stage stage(layout);
    MeasureFrame(state, stage, [&] {
        stage.target->StretchBlit(stage.half->image.get(), Rect(0, 0, FrameWidth, FrameHeight),
                                  Rect(0, 0, FrameWidth / 2, FrameHeight / 2), Rect(0, 0, FrameWidth, FrameHeight),
                                  Color::White, 0, true);
    });
}

void StretchSdl(benchmark::State& state, SurfaceLayout layout, int)
{
    Stage stage(layout);
    MeasureFrame(state, stage, [&] { SDL_BlitScaled(stage.half->sdl, nullptr, stage.sdlTarget, nullptr); });
}

template <typename Turn>
void MeasureTurns(benchmark::State& state, Stage& stage, Turn turn)
{
    if (!stage.ready) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < SpriteDraws; ++i) {
            turn((i * 97) % (FrameWidth - 2 * SpriteSize) + 32, (i * 53) % (FrameHeight - 2 * SpriteSize) + 32);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * SpriteDraws * SpriteSize * SpriteSize);
}

void TurnOurs(benchmark::State& state, SurfaceLayout layout, int)
{
    Stage stage(layout);
    MeasureTurns(state, stage, [&](int x, int y) {
        stage.target->BlitRotated(stage.sprite->image.get(), float(x), float(y), Rect(0, 0, SpriteSize, SpriteSize),
                                  Rect(0, 0, FrameWidth, FrameHeight), Color::White, 0, 0.5, 32, 32);
    });
}

void TurnPixman(benchmark::State& state, SurfaceLayout layout, int)
{
    Stage stage(layout);
    // Destination to source: about the sprite's centre, turned back by the angle.
    double c = std::cos(0.5);
    double s = std::sin(0.5);
    pixman_image_set_filter(stage.sprite->pixman, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    MeasureTurns(state, stage, [&](int x, int y) {
        double cx = x + 32.0;
        double cy = y + 32.0;
        pixman_transform_t transform;
        pixman_transform_init_identity(&transform);
        pixman_f_transform_t f{{{c, -s, 32 - c * cx + s * cy}, {s, c, 32 - s * cx - c * cy}, {0, 0, 1}}};
        pixman_transform_from_pixman_f_transform(&transform, &f);
        pixman_image_set_transform(stage.sprite->pixman, &transform);
        // Only the box the turned sprite covers, 64 x (cos + sin) < 88 pixels a side.
        int left = x - 12;
        int top = y - 12;
        pixman_image_composite32(PIXMAN_OP_OVER, stage.sprite->pixman, nullptr, stage.pixmanTarget, left, top, 0, 0,
                                 left, top, 88, 88);
    });
    pixman_image_set_transform(stage.sprite->pixman, nullptr);
}

int RegisterAll()
{
    for (SurfaceLayout layout : {SurfaceLayout::Rgb565, SurfaceLayout::Xrgb8888}) {
        std::string suffix = layout == SurfaceLayout::Rgb565 ? "/565" : "/x888";
        for (bool sprites : {false, true}) {
            std::string size = sprites ? "sprites" : "frame";
            const std::pair<Draw, const char*> draws[] = {
                {Draw::Plain, "blend"}, {Draw::Tinted, "tinted"}, {Draw::Added, "add"}};
            for (const auto& [draw, name] : draws) {
                std::string base = size + "_" + name;
                benchmark::RegisterBenchmark((base + "/ours" + suffix).c_str(), Ours, layout, draw, sprites)
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark((base + "/sdl2" + suffix).c_str(), Sdl, layout, draw, sprites)
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark((base + "/pixman" + suffix).c_str(), Pixman, layout, draw, sprites)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
        const std::pair<const char*, void (*)(benchmark::State&, SurfaceLayout, int)> others[] = {
            {"fill/ours", FillOurs},  {"fill/sdl2", FillSdl},           {"fill/pixman", FillPixman},
            {"copy/rows", RowCopies}, {"stretch_2x/ours", StretchOurs}, {"stretch_2x/sdl2", StretchSdl},
            {"turn/ours", TurnOurs},  {"turn/pixman", TurnPixman},
        };
        for (const auto& [name, function] : others) {
            benchmark::RegisterBenchmark((std::string(name) + suffix).c_str(), function, layout, 255)
                ->Unit(benchmark::kMicrosecond);
        }
        const std::pair<const char*, void (*)(benchmark::State&, SurfaceLayout, int)> translucent[] = {
            {"fill_half/ours", FillOurs},
            {"fill_half/pixman", FillPixman},
            {"dim/ours", DimOurs},
            {"dim/pixman", DimPixman},
        };
        for (const auto& [name, function] : translucent) {
            benchmark::RegisterBenchmark((std::string(name) + suffix).c_str(), function, layout, 128)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    return 0;
}

const int registered = RegisterAll();

} // namespace
