#include "effects/ParticleEmitter.h"

#include "core/Matrix.h"
#include "core/Random.h"
#include "graphics/Graphics.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kHalfPi = kPi / 2;

// Four particles' values of one field, in one register.
using FloatLanes = float __attribute__((vector_size(16)));
using IntLanes = int32_t __attribute__((vector_size(16)));
using UintLanes = uint32_t __attribute__((vector_size(16)));

template <class Value>
Value Load(const float* field)
{
    Value value;
    std::memcpy(&value, field, sizeof(Value));
    return value;
}

template <class Value>
void Store(float* field, const Value& value)
{
    std::memcpy(field, &value, sizeof(Value));
}

// Tolm::FastInvSqrt, the same sums lane by lane.
FloatLanes FastInvSqrt(FloatLanes x)
{
    const UintLanes halved = std::bit_cast<UintLanes>(std::bit_cast<IntLanes>(x) >> 1);
    const FloatLanes y = std::bit_cast<FloatLanes>(0x5F3759DFu - halved);
    return y * (1.5f - 0.4999f * x * y * y);
}

float FastInvSqrt(float x)
{
    return Tolm::FastInvSqrt(x);
}

// A colour channel from 0 to 1 as a byte, truncated; whatever pushed it out of range is held at the ends.
int ChannelByte(float value)
{
    const float scaled = value * 255.0f;
    if (!(scaled > 0)) {
        return 0;
    }
    return scaled >= 255.0f ? 255 : int(scaled);
}

// Freed emitters kept for the next ones. It is never destroyed, so an emitter may still be freed while
// the program's statics go; what it holds at exit goes with the process.
class EmitterPool
{
public:
    void* Take()
    {
        std::lock_guard<std::mutex> hold(lock);
        return count > 0 ? blocks[std::size_t(--count)] : nullptr;
    }
    bool Keep(void* block)
    {
        std::lock_guard<std::mutex> hold(lock);
        if (count == kCapacity) {
            return false;
        }
        blocks[std::size_t(count++)] = block;
        return true;
    }

private:
    // About 4.7 MB at most: more than the busiest screen frees at once.
    static constexpr int kCapacity = 64;
    std::mutex lock;
    std::array<void*, kCapacity> blocks{};
    int count = 0;
};

constinit EmitterPool emitterPool;

} // namespace

ParticleEmitter::ParticleEmitter(const ParticleConfig& emitterConfig, float stepRate)
    : config(emitterConfig), fixedStep(stepRate > 0 && std::isfinite(1 / stepRate) ? 1 / stepRate : 0)
{}

void* ParticleEmitter::operator new(std::size_t size)
{
    void* block = size == sizeof(ParticleEmitter) ? emitterPool.Take() : nullptr;
    return block ? block : ::operator new(size);
}

void ParticleEmitter::operator delete(void* block) noexcept
{
    if (block && !emitterPool.Keep(block)) {
        ::operator delete(block);
    }
}

void ParticleEmitter::Start(float x, float y)
{
    age = kStopped;
    MoveTo(x, y, false);
    Restart();
}

void ParticleEmitter::Restart()
{
    stepAccumulator = 0;
    age = config.lifetime == kEndless || config.lifetime == kOneShot ? config.lifetime : 0;
}

void ParticleEmitter::Stop(bool clear)
{
    age = kStopped;
    if (clear) {
        liveCount = 0;
    }
}

void ParticleEmitter::MoveTo(float x, float y, bool shift)
{
    if (shift) {
        const float dx = x - currentX;
        const float dy = y - currentY;
        for (int i = 0; i < liveCount; ++i) {
            particles.x[i] += dx;
            particles.y[i] += dy;
        }
        previousX += dx;
        previousY += dy;
    } else if (IsStopped()) {
        previousX = x + RandomFloat(-config.born_width / 2, config.born_width / 2);
        previousY = y + RandomFloat(-config.born_height / 2, config.born_height / 2);
    } else {
        previousX = currentX;
        previousY = currentY;
    }
    currentX = x;
    currentY = y;
}

// Whole steps beyond the one taken are dropped.
void ParticleEmitter::Update(float dt)
{
    if (fixedStep == 0) {
        Simulate(dt * 0.01f);
        return;
    }
    stepAccumulator += dt;
    if (!std::isfinite(stepAccumulator)) {
        stepAccumulator = 0;
        return;
    }
    if (stepAccumulator >= fixedStep) {
        Simulate(fixedStep);
        stepAccumulator = std::fmod(stepAccumulator, fixedStep);
    }
}

void ParticleEmitter::Simulate(float h)
{
    if (age >= 0) {
        age += h;
        if (age >= config.lifetime) {
            age = kStopped;
        }
    }
    AgeParticles(h);
    // Each particle's motion depends on nothing but its own fields, so they move together once the
    // dead are gone, in the order the pass leaves them.
    const int lanes = liveCount - liveCount % 4;
    MoveParticles<FloatLanes>(0, lanes, h);
    MoveParticles<float>(lanes, liveCount, h);
    if (config.alpha_repeat > 0) {
        PulseAlpha(h);
    }
    if (!IsStopped()) {
        EmitParticles(h);
    }
    previousX = currentX;
    previousY = currentY;
}

// The last live particle takes a dead one's slot and is looked at in the same pass. Every particle is
// aged once before any is looked at, which leaves what ageing each as it is looked at would.
void ParticleEmitter::AgeParticles(float h)
{
    const int lanes = liveCount - liveCount % 4;
    for (int i = 0; i < lanes; i += 4) {
        Store(particles.age + i, Load<FloatLanes>(particles.age + i) + h);
    }
    for (int i = lanes; i < liveCount; ++i) {
        particles.age[i] += h;
    }
    int i = 0;
    while (i < liveCount) {
        if (particles.age[i] < particles.life[i]) {
            ++i;
            continue;
        }
        --liveCount;
        if (i == liveCount) {
            break;
        }
        for (float* field : {particles.x,          particles.y,           particles.velocityX,  particles.velocityY,
                             particles.gravity,    particles.radial,      particles.tangential, particles.spin,
                             particles.spinChange, particles.size,        particles.sizeChange, particles.alpha,
                             particles.blue,       particles.green,       particles.red,        particles.alphaChange,
                             particles.blueChange, particles.greenChange, particles.redChange,  particles.age,
                             particles.life,       particles.wavePhase,   particles.pulsePhase}) {
            field[i] = field[liveCount];
        }
    }
}

template <class Lanes>
void ParticleEmitter::MoveParticles(int first, int end, float h)
{
    constexpr int width = int(sizeof(Lanes) / sizeof(float));
    Fields& p = particles;
    auto advance = [&](float* value, const float* change, int i) {
        Store(value + i, Load<Lanes>(value + i) + Load<Lanes>(change + i) * h);
    };
    // Locals, so that the particles' stores do not make the compiler read them again.
    const float emitterX = currentX;
    const float emitterY = currentY;
    const bool waves = config.wave_speed > 0;
    const float waveStep = config.wave_speed * h;
    for (int i = first; i + width <= end; i += width) {
        Lanes x = Load<Lanes>(p.x + i);
        Lanes y = Load<Lanes>(p.y + i);
        const Lanes dx = x - emitterX;
        const Lanes dy = y - emitterY;
        // A particle on the emitter has no direction: 0 times the huge inverse stays 0.
        const Lanes inverse = FastInvSqrt(dx * dx + dy * dy);
        const Lanes nx = dx * inverse;
        const Lanes ny = dy * inverse;
        const Lanes radial = Load<Lanes>(p.radial + i);
        const Lanes tangential = Load<Lanes>(p.tangential + i);
        Lanes velocityX = Load<Lanes>(p.velocityX + i);
        Lanes velocityY = Load<Lanes>(p.velocityY + i);
        velocityX += (nx * radial - ny * tangential) * h;
        velocityY += (ny * radial + nx * tangential) * h;
        velocityY += Load<Lanes>(p.gravity + i) * h;
        // Velocities are per step, whatever its length.
        x += velocityX;
        y += velocityY;
        Store(p.x + i, x);
        Store(p.y + i, y);
        Store(p.velocityX + i, velocityX);
        Store(p.velocityY + i, velocityY);
        advance(p.spin, p.spinChange, i);
        advance(p.size, p.sizeChange, i);
        advance(p.alpha, p.alphaChange, i);
        advance(p.blue, p.blueChange, i);
        advance(p.green, p.greenChange, i);
        advance(p.red, p.redChange, i);
        if (waves) {
            Store(p.wavePhase + i, Load<Lanes>(p.wavePhase + i) + waveStep);
        }
    }
}

// The alpha swings between the start alpha and the end alpha and back, instead of running from one to
// the other.
void ParticleEmitter::PulseAlpha(float h)
{
    for (int i = 0; i < liveCount; ++i) {
        particles.pulsePhase[i] += config.alpha_repeat * 50 * h;
        const float swing = particles.alphaChange[i] * 0.5f;
        particles.alpha[i] = config.color_start.alpha + swing - swing * std::cos(particles.pulsePhase[i]);
    }
}

void ParticleEmitter::EmitParticles(float h)
{
    float carried = float(config.emission) * h + emissionAccumulator;
    if (config.lifetime == kOneShot) {
        age = kStopped;
        carried = float(config.emission);
    }
    // The count is held at the free slots in float, so a huge or broken one never reaches the int range;
    // what does not fit is lost, and only the fraction carries over.
    const int free = kMaxParticles - liveCount;
    int count = 0;
    if (std::isfinite(carried)) {
        const float whole = std::trunc(carried);
        emissionAccumulator = carried - whole;
        count = whole > 0 ? int(std::min(whole, float(free))) : 0;
    } else {
        emissionAccumulator = 0;
        count = carried > 0 ? free : 0;
    }
    for (int k = 0; k < count; ++k) {
        BearParticle(liveCount++);
    }
}

// The game's one random stream feeds every birth, 18 draws in this order.
void ParticleEmitter::BearParticle(int i)
{
    const ParticleConfig& c = config;
    Fields& p = particles;
    p.age[i] = 0;
    const float life = RandomFloat(c.particle_life_min, c.particle_life_max);
    p.life[i] = life;

    const float along = RandomFloat(0, 1);
    p.x[i] = previousX + (currentX - previousX) * along;
    p.y[i] = previousY + (currentY - previousY) * along;
    p.x[i] += RandomFloat(-2, 2);
    p.y[i] += RandomFloat(-2, 2);
    p.x[i] += RandomFloat(-c.born_width / 2, c.born_width / 2);
    p.y[i] += RandomFloat(-c.born_height / 2, c.born_height / 2);

    float angle = c.direction - kHalfPi + RandomFloat(0, c.spread) - c.spread / 2;
    if (c.relative) {
        angle += std::atan2(previousY - currentY, previousX - currentX) + kHalfPi;
    }
    const float speed = RandomFloat(c.speed_min, c.speed_max);
    p.velocityX[i] = std::cos(angle) * speed;
    p.velocityY[i] = std::sin(angle) * speed;

    p.gravity[i] = RandomFloat(c.gravity_min, c.gravity_max);
    p.radial[i] = RandomFloat(c.radial_acc_min, c.radial_acc_max);
    p.tangential[i] = RandomFloat(c.tan_acc_min, c.tan_acc_max);

    auto vary = [life](float start, float end, float variation, float& value, float& change) {
        value = RandomFloat(start, start + (end - start) * variation);
        change = (end - value) / life;
    };
    vary(c.size_start, c.size_end, c.size_var, p.size[i], p.sizeChange[i]);
    vary(c.spin_start, c.spin_end, c.spin_var, p.spin[i], p.spinChange[i]);
    vary(c.color_start.red, c.color_end.red, c.color_var, p.red[i], p.redChange[i]);
    vary(c.color_start.green, c.color_end.green, c.color_var, p.green[i], p.greenChange[i]);
    vary(c.color_start.blue, c.color_end.blue, c.color_var, p.blue[i], p.blueChange[i]);
    vary(c.color_start.alpha, c.color_end.alpha, c.alpha_var, p.alpha[i], p.alphaChange[i]);

    p.wavePhase[i] = RandomSign() > 0 ? 0 : kPi;
    p.pulsePhase[i] = 0;
}

void ParticleEmitter::Draw(Tolm::Graphics& g)
{
    if (!config.image || liveCount == 0) {
        return;
    }
    g.PushState();
    if (config.color_blend == 1) {
        g.SetDrawMode(Tolm::DrawModeAdditive);
    }
    g.SetTintImages(true);
    const Fields& p = particles;
    const bool waves = config.wave_size > 0.1f;
    for (int i = 0; i < liveCount; ++i) {
        g.SetColor(Tolm::Color(ChannelByte(p.red[i]), ChannelByte(p.green[i]), ChannelByte(p.blue[i]),
                               ChannelByte(p.alpha[i])));
        // Nothing of it would show, but the renderer would still darken what lies under it by a step.
        if (g.GetColor().alpha == 0) {
            continue;
        }
        Tolm::Transform transform;
        if (waves) {
            // Sideways to the flight.
            const float acrossX = -p.velocityY[i];
            const float acrossY = p.velocityX[i];
            const float unit = FastInvSqrt(acrossX * acrossX + acrossY * acrossY);
            const float offset = std::sin(p.wavePhase[i]) * config.wave_size;
            transform.Translate(acrossX * unit * offset, acrossY * unit * offset);
        }
        transform.Scale(p.size[i], p.size[i]);
        transform.Rotate(p.spin[i] * p.age[i]);
        transform.Translate(p.x[i] + drawOffsetX, p.y[i] + drawOffsetY);
        g.DrawImageTransform(config.image, transform, 0, 0);
    }
    g.PopState();
}

Particle ParticleEmitter::GetParticle(int i) const
{
    const Fields& p = particles;
    return Particle{p.x[i],          p.y[i],     p.velocityX[i],  p.velocityY[i],   p.gravity[i],    p.radial[i],
                    p.tangential[i], p.spin[i],  p.spinChange[i], p.size[i],        p.sizeChange[i], p.alpha[i],
                    p.blue[i],       p.green[i], p.red[i],        p.alphaChange[i], p.blueChange[i], p.greenChange[i],
                    p.redChange[i],  p.age[i],   p.life[i],       p.wavePhase[i],   p.pulsePhase[i]};
}
