// Managers of emitters: spawning up to 250, deleting the finished ones in the tick their last particle
// dies (the last emitter taking the gap), stopping and restarting all, and the draw offset.
#include "effects/ParticleManager.h"

#include "ParticleFixtures.h"

namespace {

using ParticleFixtures::ParticleTest;

class ParticleManagerTest : public ParticleTest
{
protected:
    // `count` particles at once, each living `life` seconds.
    static ParticleConfig Burst(int count, float life)
    {
        ParticleConfig config;
        config.emission = count;
        config.lifetime = ParticleConfig::kOneShot;
        config.particle_life_min = life;
        config.particle_life_max = life;
        return config;
    }
    static ParticleConfig Endless()
    {
        ParticleConfig config = Burst(100, 1);
        config.lifetime = ParticleConfig::kEndless;
        return config;
    }
};

TEST_F(ParticleManagerTest, ManagerHoldsAtMost250Emitters)
{
    ParticleManager manager(0);
    manager.drawOffsetX = 3;
    manager.drawOffsetY = -4;
    for (int i = 0; i < ParticleManager::kMaxEmitters; ++i) {
        ParticleEmitter* emitter = manager.SpawnEmitter(Endless(), float(i), 1);
        ASSERT_NE(emitter, nullptr) << i;
        EXPECT_EQ(emitter->currentX, float(i));
        EXPECT_EQ(emitter->drawOffsetX, 3);
        EXPECT_EQ(emitter->drawOffsetY, -4);
        EXPECT_FALSE(emitter->IsStopped()) << "started";
    }
    EXPECT_EQ(manager.SpawnEmitter(Endless(), 0, 0), nullptr) << "the 251st";
    EXPECT_EQ(manager.count, ParticleManager::kMaxEmitters);
    EXPECT_EQ(manager.UpdateEmitters(1), ParticleManager::kMaxEmitters);
}

// Each burst's 30 particles live 0.025 s: born in the first tick, dead in the fourth (0.03 s).
TEST_F(ParticleManagerTest, AOneShotEmitterIsDeletedInTheTickItsLastParticleDies)
{
    ParticleManager manager(0);
    ParticleEmitter* burst = manager.SpawnEmitter(Burst(30, 0.025f), 0, 0);
    ParticleEmitter* endless = manager.SpawnEmitter(Endless(), 0, 0);
    EXPECT_EQ(manager.UpdateEmitters(1), 2);
    EXPECT_EQ(burst->liveCount, 30);
    EXPECT_TRUE(burst->IsStopped());
    EXPECT_EQ(manager.UpdateEmitters(1), 2);
    EXPECT_EQ(manager.UpdateEmitters(1), 2);
    EXPECT_EQ(manager.UpdateEmitters(1), 1);
    EXPECT_EQ(manager.emitters[0].get(), endless) << "the last emitter fills the gap";
    EXPECT_TRUE(manager.HasEmitters());

    manager.StopAll(false);
    EXPECT_EQ(manager.UpdateEmitters(1), 1) << "its particles still live";
    manager.RestartAll();
    EXPECT_FALSE(endless->IsStopped());
    manager.StopAll(true);
    EXPECT_EQ(manager.UpdateEmitters(1), 0);
    EXPECT_FALSE(manager.HasEmitters());
}

TEST_F(ParticleManagerTest, EmittersFinishingTogetherAreAllDeletedInOnePass)
{
    ParticleManager manager(0);
    for (int i = 0; i < 5; ++i) {
        manager.SpawnEmitter(Burst(0, 1), 0, 0);
    }
    EXPECT_EQ(manager.UpdateEmitters(1), 0) << "empty bursts finish in their first step";
    EXPECT_NE(manager.SpawnEmitter(Endless(), 0, 0), nullptr);
}

} // namespace
