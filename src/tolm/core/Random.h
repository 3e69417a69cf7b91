// The program's two random generators, both global and unlocked.
//
// The game's generator is a linear congruential generator; the board, the effects, the particles and the
// town draw from it, and since a recorded demo replays only the input, the number and order of draws is
// part of the game's behaviour. The framework's generator is a Mersenne twister (MT19937 with the top
// bit of every output cleared), used for the sprite animator's random frame order.
#pragma once

#include <cstdint>

namespace Tolm {

class MersenneTwister
{
public:
    explicit MersenneTwister(uint32_t seed = 4357) { Seed(seed); }

    // A seed of 0 stands for 4357.
    void Seed(uint32_t seed);
    // The next output, from 0 to 2^31 - 1.
    uint32_t Next();

private:
    void Regenerate();

    static constexpr int kWords = 624;
    uint32_t words[kWords];
    int index = kWords;
};

void SeedRandomMT(uint32_t seed);
uint32_t RandomMT();

} // namespace Tolm

// The game's generator. Every call takes exactly one step, except RandomBelow(0).

// A seed of 0 takes the core clock's total milliseconds instead (CoreTotalMs, through the installed core
// time callbacks; 0 before they are installed).
void SeedRandom(unsigned seed);
// From a to b inclusive.
int RandomRange(unsigned a, unsigned b);
// From 0 to n - 1; 0 for n = 0, without a step.
unsigned RandomBelow(unsigned n);
// +1 or -1.
int RandomSign();
// From a to b inclusive.
float RandomFloat(float a, float b);
// From 0 to n - 1 inclusive.
float RandomFloatSpan(float n);
