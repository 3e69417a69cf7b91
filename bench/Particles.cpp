// Particles: the simulation step of 1, 50 and 250 full emitters beside a memcpy of the same particle
// storage; the draw of 800 particles of a 16 or 32 pixel sprite, scaled and turned, normal and
// additive, onto the game's opaque 800 x 600 screen, beside a plain tinted blit of the sprite at the same
// places and pixman's bilinear affine transform of the same sprite by the same matrix; a burst of 800
// particles born at once; and a second of the game firing 100 one-shot emitters. Fixed seed, frames of
// one update period (dt 1.0). Read the figures as ratios; the counters are per particle. The draws onto an
// image with alpha go through that image's blend, as the draws of a window's own picture do.
#include "core/Matrix.h"
#include "core/Random.h"
#include "effects/ParticleManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "rasterizer/NearestSpanKernels.h"
#include "support/References.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

using namespace Tolm;

namespace {

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;
constexpr int FullEmitter = ParticleEmitter::kMaxParticles;

void PerParticle(benchmark::State& state, double particles)
{
    state.counters["particle"] =
        benchmark::Counter(particles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Particles that live for ever, pulled about by every force the step works out.
ParticleConfig Lasting()
{
    ParticleConfig config;
    config.emission = 100 * FullEmitter;
    config.lifetime = ParticleConfig::kEndless;
    config.particle_life_min = 1e6f;
    config.particle_life_max = 1e6f;
    config.spread = 6.283f;
    config.speed_min = 0.1f;
    config.speed_max = 0.5f;
    config.gravity_min = 0.1f;
    config.gravity_max = 0.2f;
    config.radial_acc_min = -0.2f;
    config.radial_acc_max = 0.2f;
    config.tan_acc_min = -0.2f;
    config.tan_acc_max = 0.2f;
    config.size_start = 0.6f;
    config.size_end = 1.4f;
    config.size_var = 0.5f;
    config.spin_start = 1;
    config.spin_end = 3;
    config.spin_var = 0.5f;
    config.color_start.FromBytes(0xFFFFF0C0);
    config.color_end.FromBytes(0x80FF8040);
    config.color_var = 0.5f;
    config.wave_speed = 2;
    config.born_width = 700;
    config.born_height = 500;
    return config;
}

// A full emitter at the middle of the screen that emits no more.
std::unique_ptr<ParticleEmitter> FullLastingEmitter(const ParticleConfig& config)
{
    auto emitter = std::make_unique<ParticleEmitter>(config, 0);
    emitter->Start(ScreenWidth / 2.0f, ScreenHeight / 2.0f);
    emitter->Update(1);
    emitter->config.emission = 0;
    return emitter;
}

void Simulate(benchmark::State& state)
{
    SeedRandom(1);
    std::vector<std::unique_ptr<ParticleEmitter>> emitters;
    for (int64_t k = 0; k < state.range(0); ++k) {
        emitters.push_back(FullLastingEmitter(Lasting()));
    }
    for (auto _ : state) {
        for (auto& emitter : emitters) {
            emitter->Update(1);
        }
        benchmark::ClobberMemory();
    }
    PerParticle(state, double(state.range(0)) * FullEmitter);
}

// The bytes the particles of that many emitters take, copied once an iteration.
void Memcpy(benchmark::State& state)
{
    const std::size_t bytes = std::size_t(state.range(0)) * FullEmitter * sizeof(Particle);
    std::vector<char> from(bytes, 1);
    std::vector<char> to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    PerParticle(state, double(state.range(0)) * FullEmitter);
}

// A soft round white sprite: partial alpha nearly everywhere, clear corners.
std::vector<uint32_t> SoftSprite(int size)
{
    std::vector<uint32_t> pixels(std::size_t(size * size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double distance = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) / (size / 2.0);
            const uint32_t alpha = uint32_t(std::clamp(1 - distance, 0.0, 1.0) * 255);
            pixels[std::size_t(y * size + x)] = alpha << 24 | 0xFFFFFF;
        }
    }
    return pixels;
}

std::vector<uint32_t> Screen()
{
    std::mt19937 random(7);
    std::vector<uint32_t> pixels(std::size_t(ScreenWidth) * ScreenHeight);
    for (uint32_t& p : pixels) {
        p = 0xFF000000 | (uint32_t(random()) & 0x00FFFFFF);
    }
    return pixels;
}

// 800 particles of the sprite at its own size, turned, spread over the screen: the screen as the display
// makes it (opaque, so drawn without its alpha) or an image with alpha of the same pixels.
class DrawScene
{
public:
    DrawScene(int spriteSize, bool additive, bool screenAlpha = false)
        : spritePixels(SoftSprite(spriteSize)), screenPixels(Screen())
    {
        sprite.SetBits(spritePixels.data(), spriteSize, spriteSize, true);
        screen.SetBits(screenPixels.data(), ScreenWidth, ScreenHeight, true);
        if (!screenAlpha) {
            screen.ForceAlphaFlags(false, false);
        }
        SeedRandom(1);
        ParticleConfig config = Lasting();
        config.image = &sprite;
        config.size_start = 1;
        config.size_end = 1;
        config.color_blend = additive ? 1 : 0;
        emitter = FullLastingEmitter(config);
        // Half a second on, so that every particle is turned.
        for (int k = 0; k < 50; ++k) {
            emitter->Update(1);
        }
    }

    std::vector<uint32_t> spritePixels;
    std::vector<uint32_t> screenPixels;
    MemoryImage sprite;
    MemoryImage screen;
    std::unique_ptr<ParticleEmitter> emitter;
};

// The label says whether the turned sprites' spans are drawn by the AVX2 kernels or pixel by pixel
// (QUENDARA_BLEND_KERNELS=sse2 or scalar picks the latter).
void Draw(benchmark::State& state, int spriteSize, bool additive, bool screenAlpha)
{
    DrawScene scene(spriteSize, additive, screenAlpha);
    state.SetLabel(ActiveNearestSpans() ? "avx2 spans" : "pixel step");
    Graphics g(&scene.screen);
    for (auto _ : state) {
        scene.emitter->Draw(g);
    }
    PerParticle(state, FullEmitter);
}

// The sprite untransformed, tinted in each particle's colour, with its top-left corner where the
// particle's middle is.
void PlainBlit(benchmark::State& state, int spriteSize, bool additive)
{
    DrawScene scene(spriteSize, additive);
    const Rect all(0, 0, spriteSize, spriteSize);
    for (auto _ : state) {
        for (int i = 0; i < FullEmitter; ++i) {
            const Particle p = scene.emitter->GetParticle(i);
            const Color tint(int(p.red * 255), int(p.green * 255), int(p.blue * 255), int(p.alpha * 255));
            scene.screen.Blit(&scene.sprite, int(p.x), int(p.y), all, tint,
                              additive ? DrawModeAdditive : DrawModeNormal);
        }
    }
    PerParticle(state, FullEmitter);
}

// Bilinear, with a solid mask of each particle's alpha; premultiplied, so not the same sums.
void PixmanAffine(benchmark::State& state, int spriteSize, bool additive)
{
    DrawScene scene(spriteSize, additive);
    std::vector<uint32_t> premultiplied(scene.spritePixels);
    for (uint32_t& pixel : premultiplied) {
        const uint32_t alpha = pixel >> 24;
        pixel = alpha << 24 | alpha << 16 | alpha << 8 | alpha;
    }
    pixman_image_t* source =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, spriteSize, spriteSize, premultiplied.data(), spriteSize * 4);
    pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_t* dest = WrapPixman(scene.screen);
    struct Placed
    {
        pixman_transform_t transform;
        pixman_image_t* mask;
        int left, top, width, height;
    };
    std::vector<Placed> placed;
    const double half = spriteSize / 2.0;
    for (int i = 0; i < FullEmitter; ++i) {
        const Particle p = scene.emitter->GetParticle(i);
        // Destination (X, Y) samples source R^-1 (X - p) / s + middle; the box is the turned sprite's.
        const double s = p.size;
        const double a = double(p.spin) * p.age;
        const double c = std::cos(a) / s, sn = std::sin(a) / s;
        const double extent = half * s * (std::abs(std::cos(a)) + std::abs(std::sin(a))) + 1;
        Placed one{};
        one.left = int(std::floor(p.x - extent));
        one.top = int(std::floor(p.y - extent));
        one.width = one.height = int(std::ceil(2 * extent));
        pixman_transform_init_identity(&one.transform);
        const double m[2][3] = {{c, -sn, half - c * (p.x - one.left) + sn * (p.y - one.top)},
                                {sn, c, half - sn * (p.x - one.left) - c * (p.y - one.top)}};
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                one.transform.matrix[row][column] = pixman_double_to_fixed(m[row][column]);
            }
        }
        const uint16_t alpha = uint16_t(std::clamp(p.alpha, 0.0f, 1.0f) * 65535);
        pixman_color_t tint{alpha, alpha, alpha, alpha};
        one.mask = pixman_image_create_solid_fill(&tint);
        placed.push_back(one);
    }
    const pixman_op_t op = additive ? PIXMAN_OP_ADD : PIXMAN_OP_OVER;
    for (auto _ : state) {
        for (const Placed& one : placed) {
            pixman_image_set_transform(source, &one.transform);
            pixman_image_composite32(op, source, one.mask, dest, 0, 0, 0, 0, one.left, one.top, one.width, one.height);
        }
    }
    for (const Placed& one : placed) {
        pixman_image_unref(one.mask);
    }
    pixman_image_unref(source);
    pixman_image_unref(dest);
    PerParticle(state, FullEmitter);
}

// One emitter of 800 particles born in its first step, and freed.
void Burst(benchmark::State& state)
{
    ParticleConfig config = Lasting();
    config.emission = FullEmitter;
    config.lifetime = ParticleConfig::kOneShot;
    SeedRandom(1);
    for (auto _ : state) {
        auto emitter = std::make_unique<ParticleEmitter>(config, 0);
        emitter->Start(400, 300);
        emitter->Update(1);
        benchmark::DoNotOptimize(emitter->liveCount);
    }
    PerParticle(state, FullEmitter);
}

// A second of play at 100 updates: each update fires a burst of 16 sparks that live 0.35 to 0.7 s, as a
// chain's bricks do, and steps every emitter. The counter is per update.
void Churn(benchmark::State& state)
{
    ParticleConfig config = Lasting();
    config.emission = 16;
    config.lifetime = ParticleConfig::kOneShot;
    config.particle_life_min = 0.35f;
    config.particle_life_max = 0.7f;
    config.born_width = 20;
    config.born_height = 20;
    SeedRandom(1);
    ParticleManager manager(0);
    for (auto _ : state) {
        for (int update = 0; update < 100; ++update) {
            manager.SpawnEmitter(config, float(100 + update * 5), 300);
            manager.UpdateEmitters(1);
        }
    }
    state.counters["update"] =
        benchmark::Counter(100, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

int RegisterAll()
{
    for (int emitters : {1, 50, 250}) {
        const std::string count = std::to_string(emitters);
        benchmark::RegisterBenchmark(("simulate_" + count + "_emitters/ours").c_str(), Simulate)->Arg(emitters);
        benchmark::RegisterBenchmark(("simulate_" + count + "_emitters/memcpy").c_str(), Memcpy)->Arg(emitters);
    }
    for (int size : {16, 32}) {
        for (bool additive : {false, true}) {
            const std::string name = "draw_sprite" + std::to_string(size) + (additive ? "_additive" : "_normal") + "/";
            benchmark::RegisterBenchmark((name + "ours").c_str(), Draw, size, additive, false);
            benchmark::RegisterBenchmark((name + "ours_onto_alpha").c_str(), Draw, size, additive, true);
            benchmark::RegisterBenchmark((name + "plain_tinted_blit").c_str(), PlainBlit, size, additive);
            benchmark::RegisterBenchmark((name + "pixman_affine").c_str(), PixmanAffine, size, additive);
        }
    }
    benchmark::RegisterBenchmark("burst_800", Burst);
    benchmark::RegisterBenchmark("one_second_of_100_bursts", Churn);
    return 0;
}

const int registered = RegisterAll();

} // namespace
