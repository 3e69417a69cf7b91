// The global particle layer: the fifteen effects loaded with it, firing by name and over the bonus
// buttons, the global effect list and its pending test, the order of steps and draws, and what goes
// when the layer goes.
#include "ParticleFixtures.h"
#include "effects/GfxManager.h"

namespace {

using EffectFixtures::DrawRecorder;
using ParticleFixtures::Key;
using ParticleFixtures::ParticleFile;
using ParticleFixtures::ParticleTest;

// Finishes in the given pass; writes down its draws and its deletion.
class CountdownEffect : public gfxBase
{
public:
    CountdownEffect(int passes, std::vector<std::string>& journal) : passes(passes), journal(journal) {}
    ~CountdownEffect() override { journal.push_back("effect deleted"); }
    int Update() override { return --passes > 0 ? 0 : -1; }
    void Tick(float) override { journal.push_back("effect tick"); }
    void Draw(Tolm::Graphics&) override { journal.push_back("effect draw"); }

    int passes;
    std::vector<std::string>& journal;
};

class GlobalParticlesTest : public ParticleTest
{
protected:
    // A lasting effect of the dot under the name.
    void WriteEffect(const std::string& name)
    {
        temp.Write("properties/particles/" + name + ".xml",
                   ParticleFile(Key("image_id", "GFX_TEST_DOT") + Key("emission", "100") + Key("lifetime", "-1") +
                                Key("particle_life_min", "1") + Key("particle_life_max", "1") + Key("size_start", "1") +
                                Key("size_end", "1")));
    }
};

TEST_F(GlobalParticlesTest, TheLayerLoadsTheGamesEffectsAndLeavesOutThoseThatDoNotLoad)
{
    for (const ParticleEffectFile& file : kParticleEffectFiles) {
        if (std::string(file.name) != "fountain") {
            WriteEffect(file.name);
        }
    }
    temp.Write("properties/particles/fountain.xml", "<particles>");
    GlobalParticles* layer = GlobalParticles::Instance();
    EXPECT_EQ(std::size(kParticleEffectFiles), 15u);
    for (const ParticleEffectFile& file : kParticleEffectFiles) {
        ParticleConfig config;
        EXPECT_EQ(GetParticleConfig(file.name, config), std::string(file.name) != "fountain") << file.name;
    }
    EXPECT_EQ(layer->stepRate, 0);
    SpawnGlobalParticles("fountain", 1, 2);
    SpawnGlobalParticles("no_such_effect", 1, 2);
    EXPECT_FALSE(layer->HasEmitters()) << "an absent effect fires nothing, silently";
    SpawnGlobalParticles("brick_explode", 10, 20);
    ASSERT_EQ(layer->count, 1);
    EXPECT_EQ(layer->emitters[0]->currentX, 10);
    EXPECT_EQ(layer->emitters[0]->currentY, 20);
}

TEST_F(GlobalParticlesTest, BonusAppearParticlesRiseOverTheFiveBonusButtons)
{
    WriteEffect("bonus_appear");
    GlobalParticles* layer = GlobalParticles::Instance();
    for (int index : {-1, 0, 1, 2, 3, 4, 5}) {
        SpawnBonusAppearParticles(index);
    }
    ASSERT_EQ(layer->count, 5) << "indices -1 and 5 fire nothing";
    const float expectedX[] = {236, 320, 400, 480, 567};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(layer->emitters[std::size_t(i)]->currentX, expectedX[i]);
        EXPECT_EQ(layer->emitters[std::size_t(i)]->currentY, 560);
    }
}

TEST_F(GlobalParticlesTest, EffectsArePendingUntilThePassInWhichTheLastOneEnds)
{
    std::vector<std::string> journal;
    EXPECT_FALSE(GlobalEffectsPending()) << "no layer, nothing pending";
    EXPECT_EQ(GlobalParticles::RegisteredInstance(), nullptr) << "asking makes no layer";
    AddGlobalEffect(new CountdownEffect(2, journal), false);
    EXPECT_TRUE(GlobalEffectsPending()) << "added, not yet started";
    GlobalParticles::Instance()->UpdateEffects();
    EXPECT_TRUE(GlobalEffectsPending());
    GlobalParticles::Instance()->UpdateEffects();
    EXPECT_FALSE(GlobalEffectsPending());
    EXPECT_EQ(journal, std::vector<std::string>{"effect deleted"});
}

TEST_F(GlobalParticlesTest, EffectsLieAboveTheParticlesAndGoBeforeThem)
{
    LoadDot();
    WriteEffect("round");
    std::vector<std::string> journal;
    GlobalParticles* layer = GlobalParticles::Instance();
    SpawnGlobalParticles("round", 50, 50);
    AddGlobalEffect(new CountdownEffect(100, journal), false);
    layer->UpdateEffects();
    layer->Tick(1);
    EXPECT_EQ(layer->emitters[0]->liveCount, 1) << "the emitters step in the tick";
    EXPECT_EQ(journal, std::vector<std::string>{"effect tick"});

    DrawRecorder screen;
    Tolm::Graphics g(&screen);
    layer->Draw(g);
    screen.draws.push_back("then");
    journal.push_back("then");
    EXPECT_EQ(screen.draws.front().substr(0, 6), "matrix") << "the particles first";
    EXPECT_EQ(journal, (std::vector<std::string>{"effect tick", "effect draw", "then"}));

    delete layer;
    EXPECT_EQ(journal.back(), "effect deleted");
    EXPECT_EQ(GlobalParticles::RegisteredInstance(), nullptr);
    EXPECT_EQ(ParticleConfigManager::RegisteredInstance(), nullptr) << "the configurations go with the layer";
}

} // namespace
