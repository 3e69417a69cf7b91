// The game's linear congruential generator and the framework's Mersenne twister.
#include "core/Random.h"

#include "core/CoreTimer.h"

namespace Tolm {

void MersenneTwister::Seed(uint32_t seed)
{
    words[0] = seed != 0 ? seed : 4357;
    for (int i = 1; i < kWords; ++i) {
        words[i] = 1812433253u * (words[i - 1] ^ (words[i - 1] >> 30)) + uint32_t(i);
    }
    index = kWords;
}

void MersenneTwister::Regenerate()
{
    constexpr int kMiddle = 397;
    constexpr uint32_t kUpperMask = 0x80000000u;
    constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
    constexpr uint32_t kMatrix = 0x9908B0DFu;
    for (int i = 0; i < kWords; ++i) {
        uint32_t combined = (words[i] & kUpperMask) | (words[(i + 1) % kWords] & kLowerMask);
        uint32_t twisted = (combined >> 1) ^ ((combined & 1) != 0 ? kMatrix : 0);
        words[i] = words[(i + kMiddle) % kWords] ^ twisted;
    }
    index = 0;
}

uint32_t MersenneTwister::Next()
{
    if (index >= kWords) {
        Regenerate();
    }
    uint32_t y = words[index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y & 0x7FFFFFFFu;
}

namespace {

MersenneTwister& FrameworkGenerator()
{
    static MersenneTwister generator(4357);
    return generator;
}

} // namespace

void SeedRandomMT(uint32_t seed)
{
    FrameworkGenerator().Seed(seed);
}

uint32_t RandomMT()
{
    return FrameworkGenerator().Next();
}

} // namespace Tolm

namespace {

uint32_t gameRandomState = 0;

// The float nearest to 1/65535: 65535 times it rounds to exactly 1.0f, so the top of a range is reachable.
constexpr float kUnitStep = 1.5259021893143654e-05f;

// One step of the generator (the Microsoft C run-time's constants); returns the new state.
uint32_t Step()
{
    gameRandomState = gameRandomState * 214013u + 2531011u;
    return gameRandomState;
}

// The state with its high bits folded into the low ones, for the integer draws.
uint32_t Mixed(uint32_t x)
{
    return x ^ (x >> 15);
}

float HighHalf(uint32_t x)
{
    return float(x >> 16);
}

} // namespace

void SeedRandom(unsigned seed)
{
    if (seed != 0) {
        gameRandomState = seed;
        return;
    }
    int (*totalMs)() = GetCoreTimeCallbacks().totalMs;
    gameRandomState = totalMs ? uint32_t(totalMs()) : 0;
}

int RandomRange(unsigned a, unsigned b)
{
    uint32_t m = Mixed(Step());
    uint32_t span = b - a + 1;
    // A span of 2^32 wraps to 0: every value is in range.
    return int(a + (span != 0 ? m % span : m));
}

unsigned RandomBelow(unsigned n)
{
    if (n == 0) {
        return 0;
    }
    return Mixed(Step()) % n;
}

int RandomSign()
{
    return (Mixed(Step()) & 1) != 0 ? 1 : -1;
}

float RandomFloat(float a, float b)
{
    uint32_t x = Step();
    return a + (b - a) * HighHalf(x) * kUnitStep;
}

float RandomFloatSpan(float n)
{
    uint32_t x = Step();
    return (n - 1) * HighHalf(x) * kUnitStep;
}
