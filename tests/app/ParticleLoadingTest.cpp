// The game's particle effects as start-up makes them: the loading thread creates the global particle
// layer with the fifteen effects of the built data set, and the main thread fires, steps and draws them
// once it has noticed the end of loading.
#include "GameFixture.h"
#include "effects/GlobalParticles.h"
#include "effects/ParticleConfigManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <algorithm>

namespace {

class ParticleLoadingTest : public GameFixture
{};

TEST_F(ParticleLoadingTest, TheLoadingThreadMakesTheParticleLayerWithTheGamesFifteenEffects)
{
    // The staged data set, read loose.
    Platform::SetCurrentFolder(QUENDARA_BUILD_DATA);
    app = std::make_unique<HereGameApp>();
    app->windowed = true;
    app->Init();
    app->StartLoadingThread();
    app->WaitForLoadingThread();
    ASSERT_TRUE(app->RunUpdate());
    ASSERT_TRUE(app->loadingCompleted);
    ASSERT_TRUE(popups.shown.empty()) << popups.shown.front();

    GlobalParticles* layer = GlobalParticles::RegisteredInstance();
    ASSERT_NE(layer, nullptr);
    for (const ParticleEffectFile& file : kParticleEffectFiles) {
        ParticleConfig config;
        ASSERT_TRUE(GetParticleConfig(file.name, config)) << file.name;
        EXPECT_NE(config.image, nullptr) << file.name;
        SpawnGlobalParticles(file.name, 400, 300);
    }
    EXPECT_EQ(layer->count, 15);
    // The progress stream leaves its trail behind it as it flies: its direction turns with its path.
    ParticleConfig fly;
    ASSERT_TRUE(GetParticleConfig("progress_fly", fly));
    EXPECT_TRUE(fly.relative);
    Tolm::MemoryImage screen;
    screen.Create(800, 600);
    Tolm::Graphics g(&screen);
    for (int frame = 0; frame < 30; ++frame) {
        layer->UpdateEffects();
        layer->Tick(1);
    }
    layer->Draw(g);
    int live = 0;
    for (int i = 0; i < layer->count; ++i) {
        live += layer->emitters[std::size_t(i)]->liveCount;
    }
    EXPECT_GT(live, 100);
    const uint32_t* pixels = screen.GetBits();
    EXPECT_TRUE(std::any_of(pixels, pixels + 800 * 600, [](uint32_t p) { return p != 0; })) << "particles drawn";

    app.reset();
    EXPECT_EQ(GlobalParticles::RegisteredInstance(), nullptr) << "the application deletes the layer";
    EXPECT_EQ(ParticleConfigManager::RegisteredInstance(), nullptr);
}

} // namespace
