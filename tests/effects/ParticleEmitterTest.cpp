// Emitters: the 18 draws of a birth, emission by the second, in one-shot bursts and for a timed life,
// the order of a step (the dead go before anything moves), moving with and without the particles,
// fixed steps, stopping, and how each particle is drawn.
#include "effects/ParticleEmitter.h"

#include "ParticleFixtures.h"

#include <cmath>

namespace {

using EffectFixtures::DrawRecorder;
using ParticleFixtures::ParticleTest;

class ParticleEmitterTest : public ParticleTest
{
protected:
    // Endless, every particle living `life` seconds at scale 1, opaque white, standing still.
    static ParticleConfig Steady(int emission, float life)
    {
        ParticleConfig config;
        config.emission = emission;
        config.lifetime = ParticleConfig::kEndless;
        config.particle_life_min = life;
        config.particle_life_max = life;
        config.size_start = 1;
        config.size_end = 1;
        config.color_start.FromBytes(0xFFFFFFFF);
        config.color_end.FromBytes(0xFFFFFFFF);
        return config;
    }
    static std::vector<int> LiveCounts(ParticleEmitter& emitter, int steps, float h)
    {
        std::vector<int> counts;
        for (int k = 0; k < steps; ++k) {
            emitter.Simulate(h);
            counts.push_back(emitter.liveCount);
        }
        return counts;
    }
};

// Seed 1 gives the generator states 2531011, 505908858, ...: the draws of the start's birth box and of
// the birth below are their top 16 bits over 65535, worked out apart from the program.
TEST_F(ParticleEmitterTest, GoldenBirthTakesItsEighteenDrawsInOrder)
{
    ParticleConfig config;
    config.emission = 100;
    config.lifetime = ParticleConfig::kEndless;
    config.particle_life_min = 1;
    config.particle_life_max = 3;
    config.born_width = 10;
    config.born_height = 6;
    config.direction = 0.5f;
    config.spread = 1;
    config.speed_min = 2;
    config.speed_max = 4;
    config.gravity_min = 1;
    config.gravity_max = 2;
    config.radial_acc_min = 3;
    config.radial_acc_max = 5;
    config.tan_acc_min = -1;
    config.tan_acc_max = 1;
    config.size_start = 0.5f;
    config.size_end = 1.5f;
    config.size_var = 0.5f;
    config.spin_start = 1;
    config.spin_end = 3;
    config.spin_var = 0.5f;
    config.color_start.FromBytes(0xFF204060);
    config.color_end.FromBytes(0x80A0C0E0);
    config.color_var = 0.5f;
    config.alpha_var = 0.5f;

    SeedRandom(1);
    ParticleEmitter emitter(config, 0);
    emitter.Start(100, 200);
    EXPECT_NEAR(emitter.previousX, 95.006256, 1e-4) << "the birth box: 100 + 10 x (0.43 - 0.5)";
    EXPECT_NEAR(emitter.previousY, 201.690776, 1e-4);
    emitter.Simulate(0.01f);
    ASSERT_EQ(emitter.liveCount, 1);
    const Particle p = emitter.GetParticle(0);
    const std::pair<float, double> expected[] = {
        {p.age, 0},
        {p.life, 1.193301},
        {p.x, 97.443919},
        {p.y, 198.809264},
        {p.velocityX, 1.498289},
        {p.velocityY, -3.433978},
        {p.gravity, 1.087053},
        {p.radial, 3.858930},
        {p.tangential, 0.710506},
        {p.size, 0.878386},
        {p.sizeChange, 0.520920},
        {p.spin, 1.652003},
        {p.spinChange, 1.129637},
        {p.red, 0.252863},
        {p.green, 0.262450},
        {p.blue, 0.547697},
        {p.alpha, 0.981658},
        {p.redChange, 0.313909},
        {p.greenChange, 0.411037},
        {p.blueChange, 0.277159},
        {p.alphaChange, -0.401992},
        {p.wavePhase, 3.141593},
        {p.pulsePhase, 0},
    };
    for (std::size_t k = 0; k < std::size(expected); ++k) {
        EXPECT_NEAR(expected[k].first, expected[k].second, 2e-5) << "field " << k;
    }

    // The next step moves it by its velocity, itself changed by the accelerations times h.
    emitter.config.emission = 0;
    emitter.Simulate(0.01f);
    const Particle moved = emitter.GetParticle(0);
    EXPECT_NEAR(moved.velocityX, 1.466310, 1e-4);
    EXPECT_NEAR(moved.velocityY, -3.445843, 1e-4);
    EXPECT_NEAR(moved.x, 98.910228, 1e-4);
    EXPECT_NEAR(moved.y, 195.363420, 1e-4);
    EXPECT_FLOAT_EQ(moved.age, 0.01f);
    EXPECT_FLOAT_EQ(moved.size, p.size + p.sizeChange * 0.01f);
}

TEST_F(ParticleEmitterTest, EmissionCases)
{
    struct Case
    {
        const char* name;
        ParticleConfig config;
        float h;
        int steps;
        std::vector<int> live;
        bool stopped;
    };
    ParticleConfig oneShot = Steady(30, 10);
    oneShot.lifetime = ParticleConfig::kOneShot;
    ParticleConfig timed = Steady(8, 10);
    timed.lifetime = 0.5f;
    ParticleConfig nothing;
    const Case cases[] = {
        {"25 a second in steps of 0.01 s: a birth every 4th step",
         Steady(25, 10),
         0.01f,
         9,
         {0, 0, 0, 1, 1, 1, 1, 2, 2},
         false},
        {"a one-shot burst of 30 in the first step, then stopped", oneShot, 0.01f, 3, {30, 30, 30}, true},
        {"lifetime 0.5 emits until its age reaches 0.5 s", timed, 0.125f, 6, {1, 2, 3, 3, 3, 3}, true},
        {"a value-initialised record stops at once and emits nothing", nothing, 0.01f, 2, {0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParticleEmitter emitter(c.config, 0);
        emitter.Start(50, 50);
        EXPECT_EQ(LiveCounts(emitter, c.steps, c.h), c.live);
        EXPECT_EQ(emitter.IsStopped(), c.stopped);
    }
}

TEST_F(ParticleEmitterTest, ABurstBeyondTheFreeSlotsBearsWhatFitsAndKeepsOnlyTheFraction)
{
    ParticleEmitter emitter(Steady(79000, 10), 0);
    emitter.Start(0, 0);
    emitter.Simulate(0.01f);
    ASSERT_EQ(emitter.liveCount, 790);
    emitter.config.emission = 2530;
    emitter.Simulate(0.01f);
    EXPECT_EQ(emitter.liveCount, 800) << "10 of the 25.3 are born";
    EXPECT_NEAR(emitter.emissionAccumulator, 0.3, 1e-4);

    emitter.config.emission = 2000000000;
    emitter.Stop(true);
    emitter.Restart();
    emitter.Simulate(1e30f);
    EXPECT_EQ(emitter.liveCount, 800) << "a count past the int range is held at the free slots";
}

// Particles born 0.25 s apart each live 0.5 s; in the third step the first dies and the second takes
// its slot, and is aged and moved in that same step.
TEST_F(ParticleEmitterTest, TheDeadGoBeforeTheyMoveAndTheParticleInTheirSlotStillMoves)
{
    ParticleConfig config = Steady(4, 0.5f);
    config.speed_min = 3;
    config.speed_max = 3;
    ParticleEmitter emitter(config, 0);
    emitter.Start(0, 0);
    emitter.Simulate(0.25f);
    emitter.Simulate(0.25f);
    ASSERT_EQ(emitter.liveCount, 2);
    const Particle second = emitter.GetParticle(1);
    ASSERT_EQ(second.age, 0);
    emitter.Simulate(0.25f);
    ASSERT_EQ(emitter.liveCount, 2) << "one died, one was born";
    const Particle moved = emitter.GetParticle(0);
    EXPECT_EQ(moved.life, second.life);
    EXPECT_EQ(moved.age, 0.25f);
    EXPECT_FLOAT_EQ(moved.y, second.y - 3) << "straight up, 3 pixels a step";
    EXPECT_EQ(emitter.GetParticle(1).age, 0) << "the newborn in the next slot";
}

TEST_F(ParticleEmitterTest, StoppingKeepsOrDropsTheParticles)
{
    for (bool clear : {false, true}) {
        SCOPED_TRACE(clear ? "with clear" : "without clear");
        ParticleEmitter emitter(Steady(100, 0.05f), 0);
        emitter.Start(0, 0);
        LiveCounts(emitter, 3, 0.01f);
        emitter.Stop(clear);
        EXPECT_EQ(emitter.liveCount, clear ? 0 : 3);
        EXPECT_EQ(emitter.IsFinished(), clear);
        emitter.Simulate(0.01f);
        EXPECT_EQ(emitter.liveCount, clear ? 0 : 3) << "no births, the old ones still live";
        emitter.Restart();
        emitter.Simulate(0.01f);
        EXPECT_EQ(emitter.liveCount, clear ? 1 : 4) << "a restart emits again";
    }
}

// Each draw of a birth box moves the game's generator one step; a running emitter draws none.
TEST_F(ParticleEmitterTest, MovingAStoppedEmitterDrawsAFreshBirthPointAndARunningOneNone)
{
    ParticleConfig config = Steady(0, 1);
    config.born_width = 8;
    config.born_height = 4;
    ParticleEmitter emitter(config, 0);
    SeedRandom(77);
    emitter.MoveTo(10, 20, false);
    const float third = RandomFloat(0, 1);
    SeedRandom(77);
    const float bornX = 10 + RandomFloat(-4, 4);
    const float bornY = 20 + RandomFloat(-2, 2);
    EXPECT_EQ(RandomFloat(0, 1), third) << "two draws";
    EXPECT_EQ(emitter.previousX, bornX);
    EXPECT_EQ(emitter.previousY, bornY);
    EXPECT_EQ(emitter.currentX, 10);

    emitter.Restart();
    SeedRandom(77);
    emitter.MoveTo(30, 40, false);
    const float next = RandomFloat(0, 1);
    SeedRandom(77);
    EXPECT_EQ(next, RandomFloat(0, 1)) << "no draw";
    EXPECT_EQ(emitter.previousX, 10) << "the next births spread from where it was";
    EXPECT_EQ(emitter.currentY, 40);
}

// A relative emitter measures its direction from the way back along its last move instead of from up: a
// trail left behind a moving emitter. No spread and no birth box, so only the angle is left to see.
TEST_F(ParticleEmitterTest, ARelativeDirectionTurnsWithTheWayBack)
{
    struct Case
    {
        const char* name;
        bool relative;
        float direction;
        float toX;
        float toY;
        float velocityX;
        float velocityY;
    };
    const Case cases[] = {
        {"not relative: up, however it moves", false, 0, 110, 100, 0, -2},
        {"moving right: straight back, to the left", true, 0, 110, 100, -2, 0},
        {"moving left: to the right", true, 0, 90, 100, 2, 0},
        {"moving down: up", true, 0, 100, 110, 0, -2},
        {"moving up: down", true, 0, 100, 90, 0, 2},
        {"moving right, a quarter turn on: up", true, 1.5707963f, 110, 100, 0, -2},
        {"moving down and right: up and left", true, 0, 103, 104, -1.2f, -1.6f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParticleConfig config = Steady(100, 1);
        config.relative = c.relative;
        config.direction = c.direction;
        config.speed_min = 2;
        config.speed_max = 2;
        ParticleEmitter emitter(config, 0);
        emitter.Start(100, 100);
        emitter.MoveTo(c.toX, c.toY, false);
        emitter.Simulate(0.01f);
        ASSERT_EQ(emitter.liveCount, 1);
        EXPECT_NEAR(emitter.GetParticle(0).velocityX, c.velocityX, 1e-5);
        EXPECT_NEAR(emitter.GetParticle(0).velocityY, c.velocityY, 1e-5);
    }
}

TEST_F(ParticleEmitterTest, MovingWithShiftCarriesTheParticlesAlong)
{
    ParticleEmitter emitter(Steady(200, 1), 0);
    emitter.Start(5, 5);
    emitter.Simulate(0.01f);
    ASSERT_EQ(emitter.liveCount, 2);
    const Particle before[] = {emitter.GetParticle(0), emitter.GetParticle(1)};
    const float previousX = emitter.previousX;
    emitter.MoveTo(15, -5, true);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FLOAT_EQ(emitter.GetParticle(i).x, before[i].x + 10);
        EXPECT_FLOAT_EQ(emitter.GetParticle(i).y, before[i].y - 10);
    }
    EXPECT_FLOAT_EQ(emitter.previousX, previousX + 10);
    EXPECT_EQ(emitter.currentX, 15);
}

// With a step rate the emitter takes at most one step of 1 / rate per update, once the update periods
// it was given add up to that.
TEST_F(ParticleEmitterTest, FixedStepsTakeOneStepAnUpdateAndDropTheWholeStepsBeyond)
{
    ParticleEmitter emitter(Steady(1, 100), 0.5f);
    EXPECT_EQ(emitter.fixedStep, 2);
    emitter.Start(0, 0);
    emitter.Update(1);
    EXPECT_EQ(emitter.liveCount, 0) << "half a step";
    emitter.Update(1);
    EXPECT_EQ(emitter.liveCount, 2) << "one step of 2 s at 1 a second";
    emitter.Update(7);
    EXPECT_EQ(emitter.liveCount, 4) << "one step again";
    EXPECT_EQ(emitter.stepAccumulator, 1) << "only the remainder below one step carries over";
    EXPECT_EQ(ParticleEmitter(Steady(1, 1), -5).fixedStep, 0) << "a negative rate steps by the frame";
}

class ParticleDrawTest : public ParticleEmitterTest
{
protected:
    void SetUp() override
    {
        ParticleEmitterTest::SetUp();
        LoadDot();
    }
    ParticleConfig Dot(float size)
    {
        ParticleConfig config = Steady(100, 10);
        config.image = GetImageById("GFX_TEST_DOT");
        config.size_start = size;
        config.size_end = size;
        return config;
    }

    DrawRecorder screen;
    Tolm::Graphics g{&screen};
};

// One particle, born at the emitter on (100, 50) give or take 2 pixels, drawn through scale, turn and
// then the move to its place.
TEST_F(ParticleDrawTest, EachParticleIsDrawnScaledTurnedAndMovedInItsTint)
{
    ParticleConfig config = Dot(2);
    config.spin_start = 0.5f;
    config.spin_end = 0.5f;
    config.color_start.FromBytes(0x80FF8040);
    config.color_end.FromBytes(0x80FF8040);
    ParticleEmitter emitter(config, 0);
    emitter.Start(100, 50);
    emitter.drawOffsetX = 7;
    emitter.Simulate(0.01f);
    emitter.config.emission = 0;
    emitter.Simulate(0.5f);
    const Particle p = emitter.GetParticle(0);
    emitter.Draw(g);
    ASSERT_EQ(screen.draws.size(), 1u);
    EXPECT_EQ(screen.draws[0], "matrix gfx/dot.png 0,0 from 0,0 2x2 rgba 255,128,64,128");
    const Tolm::Matrix3& m = screen.matrices[0];
    const float turn = 0.5f * 0.5f;
    EXPECT_FLOAT_EQ(m.m00, 2 * std::cos(turn));
    EXPECT_FLOAT_EQ(m.m01, 2 * std::sin(turn));
    EXPECT_FLOAT_EQ(m.m10, -2 * std::sin(turn));
    EXPECT_FLOAT_EQ(m.m02, p.x + 7);
    EXPECT_FLOAT_EQ(m.m12, p.y);
    EXPECT_NEAR(p.x, 100, 2);
    EXPECT_EQ(g.drawMode, Tolm::DrawModeNormal) << "the state is restored";
}

TEST_F(ParticleDrawTest, DrawModeColourAndNothingToDraw)
{
    struct Case
    {
        const char* name;
        uint8_t blend;
        float colorVar;
        uint32_t startColour;
        bool image;
        std::string expected;
    } cases[] = {
        {"blend 1 adds", 1, 0, 0xCC336699, true, "matrix gfx/dot.png 0,0 from 0,0 2x2 rgba 51,102,153,204 add"},
        {"blend 2 blends", 2, 0, 0xCC336699, true, "matrix gfx/dot.png 0,0 from 0,0 2x2 rgba 51,102,153,204"},
        {"a variation far past the end is held at 255", 0, 1000, 0xCC336699, true,
         "matrix gfx/dot.png 0,0 from 0,0 2x2 rgba 255,255,255,204"},
        {"without an image nothing", 0, 0, 0xCC336699, false, ""},
        {"an invisible particle is left out: the renderer would darken under it", 0, 0, 0x00336699, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParticleConfig config = Dot(1);
        config.color_start.FromBytes(c.startColour);
        config.color_end.FromBytes(0xCCFFFFFF);
        config.color_var = c.colorVar;
        config.color_blend = c.blend;
        if (!c.image) {
            config.image = nullptr;
        }
        screen.draws.clear();
        ParticleEmitter emitter(config, 0);
        emitter.Start(0, 0);
        emitter.Simulate(0.01f);
        emitter.Draw(g);
        EXPECT_EQ(screen.draws, c.expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.expected});
    }
}

// The wobble is a move across the flight, made before the scale: at scale 3 it is three times as wide.
TEST_F(ParticleDrawTest, TheWobbleMovesAcrossTheFlightBeforeTheScale)
{
    ParticleConfig config = Dot(3);
    config.speed_min = 1;
    config.speed_max = 1;
    config.wave_size = 2;
    config.wave_speed = 100;
    ParticleEmitter emitter(config, 0);
    emitter.Start(0, 0);
    emitter.Simulate(0.01f);
    emitter.config.emission = 0;
    emitter.Simulate(0.01f);
    const Particle p = emitter.GetParticle(0);
    emitter.Draw(g);
    ASSERT_EQ(screen.matrices.size(), 1u);
    // Straight up, so across the flight is +x, of the fast inverse square root's length; the phase started
    // at 0 or pi and ran 1 radian on.
    const float wobble =
        std::sin(p.wavePhase) * 2 * Tolm::FastInvSqrt(p.velocityX * p.velocityX + p.velocityY * p.velocityY);
    EXPECT_NEAR(screen.matrices[0].m02, p.x + 3 * wobble, 1e-3);
    EXPECT_NEAR(screen.matrices[0].m12, p.y, 1e-3);
    EXPECT_NEAR(std::fabs(wobble), 2 * std::sin(1.0), 0.01);
}

// The alpha swings from the start alpha towards the end and back at the pulse's speed.
TEST_F(ParticleEmitterTest, AnAlphaPulseSwingsBetweenStartAndEnd)
{
    ParticleConfig config = Steady(100, 10);
    config.color_start.FromBytes(0xFFFFFFFF);
    config.color_end.FromBytes(0x00FFFFFF);
    config.alpha_repeat = 2;
    ParticleEmitter emitter(config, 0);
    emitter.Start(0, 0);
    emitter.Simulate(0.01f);
    emitter.config.emission = 0;
    // A phase of 50 x 2 x h: pi after 0.0314 s.
    for (int k = 0; k < 3; ++k) {
        emitter.Simulate(0.0104720f);
    }
    const Particle p = emitter.GetParticle(0);
    EXPECT_NEAR(p.pulsePhase, 3.14159, 1e-4);
    EXPECT_NEAR(p.alpha, 1 - 0.1, 1e-4) << "the swing's far end: start + 2 x half the change (-0.1 a second)";
}

} // namespace
