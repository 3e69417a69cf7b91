#include "core/Random.h"

#include "core/CoreTimer.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>

namespace {

// The game generator's rule written out again, apart from the code under test.
struct ReferenceGenerator
{
    uint32_t state;

    uint32_t Step() { return state = state * 214013u + 2531011u; }
    static uint32_t Mixed(uint32_t x) { return x ^ (x >> 15); }
};

constexpr float kUnitStep = 1.5259021893143654e-05f;

// The seed whose next step gives the state x: the step inverted modulo 2^32.
uint32_t SeedBefore(uint32_t x)
{
    uint32_t inverse = 214013u;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - 214013u * inverse;
    }
    return (x - 2531011u) * inverse;
}

} // namespace

TEST(GameRandomTest, FirstDrawAfterSeedOneMatchesTheWorkedExample)
{
    SeedRandom(1);
    // State 1 x 214013 + 2531011 = 2745024; 2745024 ^ (2745024 >> 15) = 2744979.
    EXPECT_EQ(RandomBelow(10), 9u);
    ReferenceGenerator reference{2745024};
    EXPECT_EQ(RandomBelow(1000), ReferenceGenerator::Mixed(reference.Step()) % 1000);
}

TEST(GameRandomTest, RandomBelowZeroTakesNoStep)
{
    SeedRandom(1);
    EXPECT_EQ(RandomBelow(0), 0u);
    EXPECT_EQ(RandomBelow(10), 9u);
}

TEST(GameRandomTest, EveryDrawTakesExactlyOneStep)
{
    ReferenceGenerator reference{12345};
    SeedRandom(12345);
    for (int i = 0; i < 2000; ++i) {
        switch (i % 6) {
        case 0:
            EXPECT_EQ(RandomRange(3, 17), int(3 + ReferenceGenerator::Mixed(reference.Step()) % 15)) << i;
            break;
        case 1:
            // A range of one value still takes its step.
            EXPECT_EQ(RandomRange(5, 5), 5) << i;
            reference.Step();
            break;
        case 2:
            EXPECT_EQ(RandomSign(), (ReferenceGenerator::Mixed(reference.Step()) & 1) ? 1 : -1) << i;
            break;
        case 3: {
            float expected = -2.0f + 7.0f * float(reference.Step() >> 16) * kUnitStep;
            EXPECT_EQ(RandomFloat(-2.0f, 5.0f), expected) << i;
            break;
        }
        case 4: {
            float expected = 6.0f * float(reference.Step() >> 16) * kUnitStep;
            EXPECT_EQ(RandomFloatSpan(7.0f), expected) << i;
            break;
        }
        default:
            EXPECT_EQ(RandomBelow(52), ReferenceGenerator::Mixed(reference.Step()) % 52) << i;
            break;
        }
    }
}

TEST(GameRandomTest, DrawsStayInsideTheirRanges)
{
    SeedRandom(777);
    for (int i = 0; i < 5000; ++i) {
        int range = RandomRange(10, 20);
        EXPECT_GE(range, 10);
        EXPECT_LE(range, 20);
        EXPECT_LT(RandomBelow(7), 7u);
        int sign = RandomSign();
        EXPECT_TRUE(sign == 1 || sign == -1);
        float span = RandomFloatSpan(7.0f);
        EXPECT_GE(span, 0.0f);
        EXPECT_LE(span, 6.0f);
    }
}

TEST(GameRandomTest, FloatRangesReachBothEnds)
{
    ASSERT_EQ(65535.0f * kUnitStep, 1.0f);
    SeedRandom(SeedBefore(0xFFFF0000u));
    EXPECT_EQ(RandomFloat(0.0f, 1.0f), 1.0f);
    SeedRandom(SeedBefore(0xFFFF1234u));
    EXPECT_EQ(RandomFloatSpan(2.0f), 1.0f);
    SeedRandom(SeedBefore(0x0000FFFFu));
    EXPECT_EQ(RandomFloat(3.0f, 9.0f), 3.0f);
}

TEST(GameRandomTest, FullRangeDrawsTheMixedStateUnchanged)
{
    ReferenceGenerator reference{99};
    SeedRandom(99);
    EXPECT_EQ(uint32_t(RandomRange(0, 0xFFFFFFFFu)), ReferenceGenerator::Mixed(reference.Step()));
}

TEST(GameRandomTest, SeedZeroTakesTheCoreTotalMilliseconds)
{
    class SevenUpdates : public CoreTimeSource
    {
    public:
        int GetUpdateCount() const override { return 7; }
        double GetCoreTime() const override { return 7.0; }
    } application;
    SetCoreTimeSource(&application);
    InstallCoreTimeCallbacks();

    SeedRandom(0);
    ReferenceGenerator reference{70};
    EXPECT_EQ(RandomBelow(100000), ReferenceGenerator::Mixed(reference.Step()) % 100000);

    ShutdownCore();
    SetCoreTimeSource(nullptr);
}

TEST(MersenneTwisterTest, FirstOutputForSeed5489IsTheStandardOneWithoutItsTopBit)
{
    Tolm::MersenneTwister twister(5489);
    // MT19937's first output for 5489 is 3499211612; clearing bit 31 leaves 1351727964.
    EXPECT_EQ(twister.Next(), 1351727964u);

    Tolm::MersenneTwister tenThousand(5489);
    uint32_t output = 0;
    for (int i = 0; i < 10000; ++i) {
        output = tenThousand.Next();
    }
    // The 10000th output of MT19937 for 5489 is 4123659995.
    EXPECT_EQ(output, 4123659995u & 0x7FFFFFFFu);
}

TEST(MersenneTwisterTest, MatchesTheStandardGeneratorMaskedForManySeeds)
{
    for (uint32_t seed : {1u, 4357u, 5489u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        Tolm::MersenneTwister twister(seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 2000; ++i) {
            ASSERT_EQ(twister.Next(), uint32_t(reference()) & 0x7FFFFFFFu) << "seed " << seed << " draw " << i;
        }
    }
}

TEST(MersenneTwisterTest, SeedZeroAndTheDefaultAreSeed4357)
{
    Tolm::MersenneTwister zero(0);
    Tolm::MersenneTwister standard;
    standard.Next();
    standard.Seed(4357);
    Tolm::MersenneTwister byDefault;
    std::mt19937 reference(4357);
    for (int i = 0; i < 700; ++i) {
        uint32_t expected = uint32_t(reference()) & 0x7FFFFFFFu;
        ASSERT_EQ(zero.Next(), expected) << i;
        ASSERT_EQ(standard.Next(), expected) << i;
        ASSERT_EQ(byDefault.Next(), expected) << i;
    }
}

TEST(MersenneTwisterTest, FrameworkGeneratorStartsAt4357AndReseeds)
{
    std::mt19937 startUp(4357);
    EXPECT_EQ(Tolm::RandomMT(), uint32_t(startUp()) & 0x7FFFFFFFu);
    Tolm::SeedRandomMT(5489);
    EXPECT_EQ(Tolm::RandomMT(), 1351727964u);
}
