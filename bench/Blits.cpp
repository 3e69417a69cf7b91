// Software blits side by side with outside references on the same pixels: SDL2's SDL_BlitSurface (blend
// and add modes, colour and alpha modulation for the tinted cases), the same with its run-length encoding
// on, pixman's OVER and ADD given the premultiplied pixels they expect, and the row copies of the drawn
// block as the memory-bandwidth floor. Read the figures as ratios.
//
// The pictures: a synthetic 64 x 64 sprite with a soft round edge and an 800 x 600 overlay with a smooth
// alpha vignette, as before; the game's own "loading_progress.png" (mostly clear), "loading_back.png"
// (opaque), a brick of the board and the particles' soft glow, all from the built data set.
// Small pictures are drawn at 1,000 random places in turn, whole-screen ones at the origin; a destination
// with alpha is restored outside the timing once every place has been drawn on. Our kernel set is named
// in each of our benchmarks' labels: QUENDARA_BLEND_KERNELS=avx2 measures the AVX2 set. Last, whole
// frames of the title screen onto the screen image as the display makes it now and as it did before.
#include "graphics/BlendKernels.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "support/References.h"

#include <SDL.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <functional>
#include <pixman.h>
#include <random>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;
constexpr int PlaceCount = 1000;

struct Picture
{
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
};

// A round sprite: opaque inside, a soft edge a few pixels wide, transparent corners.
Picture MakeSprite()
{
    const int size = 64;
    Picture picture{std::vector<uint32_t>(std::size_t(size) * size), size, size};
    double radius = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double distance = std::hypot(x + 0.5 - radius, y + 0.5 - radius);
            double coverage = std::clamp((radius - distance) / 3.0, 0.0, 1.0);
            uint32_t alpha = uint32_t(coverage * 255);
            picture.pixels[std::size_t(y * size + x)] =
                (alpha << 24) | (uint32_t(x * 4) << 16) | (uint32_t(y * 4) << 8) | 0x40;
        }
    }
    return picture;
}

// A whole-screen overlay: a soft vignette whose alpha changes smoothly from transparent to opaque.
Picture MakeOverlay()
{
    Picture picture{std::vector<uint32_t>(std::size_t(ScreenWidth) * ScreenHeight), ScreenWidth, ScreenHeight};
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            double dx = (x - ScreenWidth / 2.0) / (ScreenWidth / 2.0);
            double dy = (y - ScreenHeight / 2.0) / (ScreenHeight / 2.0);
            uint32_t alpha = uint32_t(std::clamp(std::hypot(dx, dy) * 200.0, 0.0, 255.0));
            picture.pixels[std::size_t(y * ScreenWidth + x)] = (alpha << 24) | (uint32_t(x & 0xFF) << 16) | 0x2080;
        }
    }
    return picture;
}

Picture LoadPicture(const std::string& path)
{
    Picture picture;
    RawPngDecode(path, picture.pixels, &picture.width, &picture.height);
    return picture;
}

// A picture of the built data set, named by its path under gfx/.
Picture LoadGamePicture(const char* name)
{
    return LoadPicture(std::string(QUENDARA_BUILD_FOLDER) + "/data/gfx/" + name);
}

enum class PictureKind
{
    Sprite,
    Overlay,
    Brick,
    Particle,
    LoadingProgress,
    LoadingBack,
};

struct PictureInfo
{
    const char* name;
    std::function<Picture()> make;
};

const PictureInfo& Info(PictureKind kind)
{
    static const PictureInfo infos[] = {
        {"sprite64", MakeSprite},
        {"overlay800x600", MakeOverlay},
        {"brick36", [] { return LoadGamePicture("blocks/brick_gold1.png"); }},
        {"particle32", [] { return LoadGamePicture("particles/dot.png"); }},
        {"loading_progress800x600", [] { return LoadGamePicture("loading/loading_progress.png"); }},
        {"loading_back800x600", [] { return LoadGamePicture("loading/loading_back.png"); }},
    };
    return infos[int(kind)];
}

const Picture& GetPicture(PictureKind kind)
{
    static std::vector<Picture> made(6);
    Picture& picture = made[std::size_t(kind)];
    if (picture.pixels.empty()) {
        picture = Info(kind).make();
    }
    return picture;
}

// The screen: opaque noise, or, for the destination-with-alpha cases, noise with every alpha.
std::vector<uint32_t> MakeBackground(bool withAlpha)
{
    std::mt19937 random(7);
    std::vector<uint32_t> pixels(std::size_t(ScreenWidth) * ScreenHeight);
    for (uint32_t& p : pixels) {
        uint32_t alpha = withAlpha ? uint32_t(random() & 0xFF) : 255;
        p = (alpha << 24) | (uint32_t(random()) & 0x00FFFFFF);
    }
    return pixels;
}

// Each channel times alpha / 255, rounded: the pixels pixman's operators take.
std::vector<uint32_t> Premultiplied(const std::vector<uint32_t>& pixels)
{
    std::vector<uint32_t> result(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        uint32_t p = pixels[i];
        uint32_t a = p >> 24;
        auto channel = [a, p](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255 << shift; };
        result[i] = (a << 24) | channel(16) | channel(8) | channel(0);
    }
    return result;
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
    PictureKind picture;
};

const Color Tint(255, 160, 64, 200);

// The source and the destination of one case, with the places the source is drawn at in turn.
class Scene
{
public:
    explicit Scene(const Case& c) : picture(GetPicture(c.picture)), restored(c.destAlpha)
    {
        source.SetBits(picture.pixels.data(), picture.width, picture.height, true);
        pristine = MakeBackground(c.destAlpha);
        dest.SetBits(pristine.data(), ScreenWidth, ScreenHeight, true);
        std::mt19937 random(11);
        int spanX = ScreenWidth - picture.width + 1;
        int spanY = ScreenHeight - picture.height + 1;
        int count = spanX == 1 && spanY == 1 ? 1 : PlaceCount;
        for (int i = 0; i < count; ++i) {
            places.push_back({int(random() % uint32_t(spanX)), int(random() % uint32_t(spanY))});
        }
    }

    bool Ready(benchmark::State& state) const
    {
        if (picture.pixels.empty()) {
            state.SkipWithError("the picture was not found; build the data set and the bench art");
            return false;
        }
        return true;
    }

    // Restores a destination with alpha, outside the timing, once every place has been drawn on: draws
    // over it raise its alphas, and what a blend costs there depends on them. Over an opaque destination
    // nothing changes the cost, and the restoring would only flush the caches.
    void NextPlace(benchmark::State& state)
    {
        if (++place < places.size()) {
            return;
        }
        place = 0;
        if (restored) {
            state.PauseTiming();
            std::memcpy(dest.GetBits(), pristine.data(), pristine.size() * sizeof(uint32_t));
            state.ResumeTiming();
        }
    }

    int X() const { return places[place].first; }
    int Y() const { return places[place].second; }
    int Width() const { return picture.width; }
    int Height() const { return picture.height; }

    const Picture& picture;
    MemoryImage source;
    std::vector<uint32_t> pristine;
    MemoryImage dest;
    std::vector<std::pair<int, int>> places;
    std::size_t place = 0;
    bool restored;
};

void SetPixelCounters(benchmark::State& state, const Scene& scene)
{
    state.counters["px"] =
        benchmark::Counter(double(scene.Width()) * scene.Height(), benchmark::Counter::kIsIterationInvariantRate);
}

void Ours(benchmark::State& state, Case c)
{
    Scene scene(c);
    if (!scene.Ready(state)) {
        return;
    }
    Color color = c.tinted ? Tint : Color::White;
    int drawMode = c.mode == Mode::Normal ? DrawModeNormal : DrawModeAdditive;
    Rect all(0, 0, scene.Width(), scene.Height());
    for (auto _ : state) {
        scene.dest.Blit(&scene.source, scene.X(), scene.Y(), all, color, drawMode);
        scene.NextPlace(state);
    }
    state.SetLabel(ActiveBlendKernels().name);
    SetPixelCounters(state, scene);
}

void Sdl(benchmark::State& state, Case c, bool runLengths)
{
    Scene scene(c);
    if (!scene.Ready(state)) {
        return;
    }
    SDL_Surface* source = WrapSurface(scene.source);
    SDL_Surface* dest = WrapSurface(scene.dest);
    SDL_SetSurfaceBlendMode(source, c.mode == Mode::Normal ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_ADD);
    if (c.tinted) {
        SDL_SetSurfaceColorMod(source, Uint8(Tint.red), Uint8(Tint.green), Uint8(Tint.blue));
        SDL_SetSurfaceAlphaMod(source, Uint8(Tint.alpha));
    }
    SDL_SetSurfaceRLE(source, runLengths ? 1 : 0);
    for (auto _ : state) {
        SDL_Rect to{scene.X(), scene.Y(), scene.Width(), scene.Height()};
        SDL_BlitSurface(source, nullptr, dest, &to);
        scene.NextPlace(state);
    }
    // SDL encodes the runs at the first blit, and only where its encoding serves the draw.
    if (runLengths) {
        state.SetLabel((source->flags & SDL_RLEACCEL) != 0 ? "run-length encoded" : "not encoded");
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(dest);
    SetPixelCounters(state, scene);
}

// Premultiplied, so not the same sums: a measure of what a tuned library reaches, not a rival result.
void Pixman(benchmark::State& state, Case c)
{
    Scene scene(c);
    if (!scene.Ready(state)) {
        return;
    }
    std::vector<uint32_t> premultiplied = Premultiplied(scene.picture.pixels);
    pixman_image_t* source = pixman_image_create_bits(PIXMAN_a8r8g8b8, scene.Width(), scene.Height(),
                                                      premultiplied.data(), scene.Width() * 4);
    pixman_image_t* dest = WrapPixman(scene.dest);
    pixman_image_t* mask = nullptr;
    if (c.tinted) {
        pixman_color_t tint{uint16_t(Tint.alpha * 257), uint16_t(Tint.alpha * 257), uint16_t(Tint.alpha * 257),
                            uint16_t(Tint.alpha * 257)};
        mask = pixman_image_create_solid_fill(&tint);
    }
    pixman_op_t op = c.mode == Mode::Normal ? PIXMAN_OP_OVER : PIXMAN_OP_ADD;
    for (auto _ : state) {
        pixman_image_composite32(op, source, mask, dest, 0, 0, 0, 0, scene.X(), scene.Y(), scene.Width(),
                                 scene.Height());
        scene.NextPlace(state);
    }
    if (mask) {
        pixman_image_unref(mask);
    }
    pixman_image_unref(source);
    pixman_image_unref(dest);
    SetPixelCounters(state, scene);
}

// Copies the picture's rows into place: the floor no blit of that many pixels can go under.
void RowCopies(benchmark::State& state, Case c)
{
    Scene scene(c);
    if (!scene.Ready(state)) {
        return;
    }
    const uint32_t* from = scene.picture.pixels.data();
    uint32_t* pixels = scene.dest.GetBits();
    std::size_t rowBytes = std::size_t(scene.Width()) * sizeof(uint32_t);
    for (auto _ : state) {
        uint32_t* to = pixels + std::size_t(scene.Y()) * ScreenWidth + std::size_t(scene.X());
        for (int row = 0; row < scene.Height(); ++row) {
            std::memcpy(to + std::size_t(row) * ScreenWidth, from + std::size_t(row) * std::size_t(scene.Width()),
                        rowBytes);
        }
        benchmark::ClobberMemory();
        scene.NextPlace(state);
    }
    SetPixelCounters(state, scene);
}

// The title screen's two kinds of frame, as it draws them: black, a splash picture in the middle and the
// fading cover over it; black, the loading bar's back and half its fill. Drawn onto the screen image as
// the display makes it now, its flags forced opaque, and as it made it before, where every draw took the
// general blend that weighs the destination's alpha.
enum class TitleFrame
{
    Splash,
    LoadingBar,
};

void TitleFrames(benchmark::State& state, TitleFrame frame, bool forcedOpaque)
{
    Picture splash = LoadGamePicture("loading/splash_brand1.png");
    Picture back = GetPicture(PictureKind::LoadingBack);
    Picture progress = GetPicture(PictureKind::LoadingProgress);
    if (splash.pixels.empty() || back.pixels.empty() || progress.pixels.empty()) {
        state.SkipWithError("the title's pictures were not found; build the data set");
        return;
    }
    MemoryImage splashImage, backImage, progressImage;
    splashImage.SetBits(splash.pixels.data(), splash.width, splash.height, true);
    backImage.SetBits(back.pixels.data(), back.width, back.height, true);
    progressImage.SetBits(progress.pixels.data(), progress.width, progress.height, true);
    MemoryImage screen;
    screen.Create(ScreenWidth, ScreenHeight);
    screen.Clear();
    if (forcedOpaque) {
        screen.ForceAlphaFlags(false, false);
    }
    Graphics g(&screen);
    for (auto _ : state) {
        g.SetColor(Color(0, 0, 0, 255));
        g.FillRect(0, 0, ScreenWidth, ScreenHeight);
        if (frame == TitleFrame::Splash) {
            g.DrawImage(&splashImage, (ScreenWidth - splash.width) / 2, (ScreenHeight - splash.height) / 2);
            g.SetColor(Color(0, 0, 0, 128));
            g.FillRect(0, 0, ScreenWidth, ScreenHeight);
        } else {
            g.DrawImage(&backImage, 0, ScreenHeight - back.height);
            g.DrawImagePart(&progressImage, 0, ScreenHeight - back.height,
                            Rect(0, 0, progress.width / 2, progress.height));
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel(ActiveBlendKernels().name);
}

void Register(const char* name, Case c)
{
    std::string suffix = std::string("/") + Info(c.picture).name;
    auto add = [&](const char* reference, auto function) {
        benchmark::RegisterBenchmark((std::string(name) + "/" + reference + suffix).c_str(), function, c);
    };
    add("ours", Ours);
    add("sdl2", [](benchmark::State& state, Case drawn) { Sdl(state, drawn, false); });
    // SDL's encoding serves untinted blended draws only.
    if (c.mode == Mode::Normal && !c.tinted) {
        add("sdl2_rle", [](benchmark::State& state, Case drawn) { Sdl(state, drawn, true); });
    }
    add("pixman", Pixman);
    add("rows", RowCopies);
}

int RegisterAll()
{
    for (PictureKind synthetic : {PictureKind::Sprite, PictureKind::Overlay}) {
        Register("normal_untinted_opaque_dest", {Mode::Normal, false, false, synthetic});
        Register("normal_untinted_alpha_dest", {Mode::Normal, false, true, synthetic});
        Register("normal_tinted_opaque_dest", {Mode::Normal, true, false, synthetic});
        Register("normal_tinted_alpha_dest", {Mode::Normal, true, true, synthetic});
        Register("additive_untinted", {Mode::Additive, false, false, synthetic});
        Register("additive_tinted", {Mode::Additive, true, false, synthetic});
    }
    // The game's pictures as the game draws them onto its screen.
    for (PictureKind game :
         {PictureKind::Brick, PictureKind::Particle, PictureKind::LoadingProgress, PictureKind::LoadingBack}) {
        Register("normal_untinted_opaque_dest", {Mode::Normal, false, false, game});
    }
    Register("normal_tinted_opaque_dest", {Mode::Normal, true, false, PictureKind::Brick});
    Register("additive_untinted", {Mode::Additive, false, false, PictureKind::Particle});
    for (auto [frame, name] :
         {std::pair(TitleFrame::Splash, "splash"), std::pair(TitleFrame::LoadingBar, "loading_bar")}) {
        benchmark::RegisterBenchmark((std::string("title_frame/") + name + "/forced_opaque_screen").c_str(),
                                     TitleFrames, frame, true);
        benchmark::RegisterBenchmark((std::string("title_frame/") + name + "/created_screen").c_str(), TitleFrames,
                                     frame, false);
    }
    return 0;
}

const int registered = RegisterAll();

} // namespace
