// Sparkles on an ellipse and the stage-complete burst: switching on and off, the ellipse, the number of
// turns before the sparkles stop and the effect ends, and the burst's life.
#include "gameeffects/RoundFly.h"

#include "ParticleFixtures.h"
#include "effects/GfxManager.h"
#include "gameeffects/GfxStageComplete.h"

#include <cmath>

namespace {

using ParticleFixtures::Key;
using ParticleFixtures::ParticleFile;
using ParticleFixtures::ParticleTest;

class RoundFlyTest : public ParticleTest
{
protected:
    // Sparkles that live 0.1 s, 100 a second, without a birth box.
    void LoadRound()
    {
        ASSERT_TRUE(Load("round", ParticleFile(Key("emission", "100") + Key("lifetime", "-1") +
                                               Key("particle_life_min", "0.1") + Key("particle_life_max", "0.1"))));
    }
    // One pass and one tick of one update period each, `count` times; the passes the list still held
    // an effect after.
    int Run(int count)
    {
        int passes = 0;
        for (int k = 0; k < count && !list.IsEmpty(); ++k) {
            list.UpdateEffects();
            list.TickEffects(1);
            passes += list.IsEmpty() ? 0 : 1;
        }
        return passes;
    }

    GfxManager list;
};

TEST_F(RoundFlyTest, TheEmitterRidesTheEllipseWithoutItsParticles)
{
    LoadRound();
    RoundFly fly(100, 200, 50, 20);
    fly.SetActive(true);
    fly.Update(10);
    const float a = 10.0f / 40;
    EXPECT_FLOAT_EQ(fly.emitter->currentX, 100 + std::sin(a) * 50);
    EXPECT_FLOAT_EQ(fly.emitter->currentY, 200 + std::cos(a) * 20);
    ASSERT_EQ(fly.emitter->liveCount, 9) << "10 update periods at 100 a second, with 0.01 a little short in float";
    const float bornX = fly.emitter->GetParticle(0).x;
    fly.SetCentre(0, 0);
    fly.Update(0.01f);
    EXPECT_NEAR(fly.emitter->currentX, std::sin(10.01f / 40) * 50, 1e-4) << "the centre moved";
    EXPECT_EQ(fly.emitter->GetParticle(0).x, bornX) << "the particles stay where they are";
}

TEST_F(RoundFlyTest, SwitchingToTheSameStateChangesNothing)
{
    LoadRound();
    RoundFly fly(10, 10, 5, 5);
    fly.SetActive(false);
    EXPECT_FALSE(fly.active);
    EXPECT_TRUE(fly.emitter->IsStopped());
    fly.SetActive(true);
    fly.Update(5);
    const float age = fly.emitter->age;
    SeedRandom(9);
    fly.SetActive(true);
    const float next = RandomFloat(0, 1);
    SeedRandom(9);
    EXPECT_EQ(next, RandomFloat(0, 1)) << "no restart, no draws";
    EXPECT_EQ(fly.emitter->age, age);
    fly.SetActive(false);
    EXPECT_TRUE(fly.emitter->IsStopped());
    EXPECT_GT(fly.emitter->liveCount, 0) << "stopping keeps the particles";
}

// A turn is 2 pi x 40 = 251.3 update periods: 1.5 turns stop the sparkles in the pass that sees 377 of
// them, and the effect ends once their 0.1 s have run out.
TEST_F(RoundFlyTest, GfxRoundFlyRunsItsTurnsThenLetsItsParticlesDie)
{
    LoadRound();
    auto* fly = new GfxRoundFly(656, 515, 50, 50, 1.5f);
    list.AddEffect(fly, false);
    EXPECT_EQ(Run(377), 377);
    EXPECT_TRUE(fly->active);
    list.UpdateEffects();
    EXPECT_FALSE(fly->active) << "377 > 1.5 x 6.283185 x 40";
    list.TickEffects(1);
    int passes = 0;
    while (!list.IsEmpty()) {
        const bool lastDied = fly->emitter->liveCount == 0;
        list.UpdateEffects();
        EXPECT_EQ(list.IsEmpty(), lastDied);
        if (!list.IsEmpty()) {
            list.TickEffects(1);
        }
        ASSERT_LT(++passes, 100);
    }
    EXPECT_EQ(passes, 11) << "the last particles, born 0.01 s before the stop, live 10 ticks more";
}

TEST_F(RoundFlyTest, UnderOneTurnNeverStartsAndAMissingEffectEmitsNothing)
{
    LoadRound();
    list.AddEffect(new GfxRoundFly(0, 0, 10, 10, 0.5f), false);
    list.UpdateEffects();
    EXPECT_TRUE(list.IsEmpty());

    delete ParticleConfigManager::RegisteredInstance();
    auto* fly = new GfxRoundFly(0, 0, 10, 10, 1);
    list.AddEffect(fly, false);
    Run(10);
    EXPECT_EQ(fly->emitter->liveCount, 0) << "a value-initialised effect";
}

TEST_F(RoundFlyTest, StageCompleteBurstsInTheMiddleAndLastsWhileItsParticlesDo)
{
    list.AddEffect(new GfxStageComplete(), false);
    list.UpdateEffects();
    EXPECT_TRUE(list.IsEmpty()) << "without its effect it vanishes in its first pass";

    ASSERT_TRUE(
        Load("stage_complete", ParticleFile(Key("emission", "40") + Key("lifetime", "-3") +
                                            Key("particle_life_min", "0.045") + Key("particle_life_max", "0.045"))));
    auto* burst = new GfxStageComplete();
    list.AddEffect(burst, false);
    list.UpdateEffects();
    ASSERT_EQ(burst->particles.count, 1);
    EXPECT_EQ(burst->particles.emitters[0]->currentX, app.width * 0.5f);
    EXPECT_EQ(burst->particles.emitters[0]->currentY, app.height * 0.5f);
    EXPECT_EQ(Run(20), 6) << "born in the first tick, dead in the sixth, gone in the next pass";

    ASSERT_TRUE(
        Load("stage_complete", ParticleFile(Key("emission", "40") + Key("lifetime", "-1") +
                                            Key("particle_life_min", "0.05") + Key("particle_life_max", "0.05"))));
    list.AddEffect(new GfxStageComplete(), false);
    EXPECT_EQ(Run(500), 500) << "an endless burst ends only with its list";
}

} // namespace
