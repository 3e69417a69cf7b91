// Particle files on arbitrary contents: the file is loaded as the game loads its effects, and what
// loaded is run as an emitter for a few steps and drawn, so that no value a file can hold breaks the
// emitter either.
#include "ScratchFolder.h"
#include "app/TolmAppBase.h"
#include "effects/ParticleConfigManager.h"
#include "effects/ParticleEmitter.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Stays within the emitter's 800 particles, whatever the file asks for.
bool RunEmitter(ParticleConfig config)
{
    static Tolm::MemoryImage sprite;
    static Tolm::MemoryImage screen;
    if (screen.width == 0) {
        sprite.Create(4, 4);
        screen.Create(64, 64);
    }
    config.image = &sprite;
    ParticleEmitter emitter(config, 0);
    emitter.Start(32, 32);
    Tolm::Graphics g(&screen);
    for (int step = 0; step < 4; ++step) {
        emitter.MoveTo(float(32 + step), 32, step % 2 == 0);
        emitter.Update(1);
        if (emitter.liveCount < 0 || emitter.liveCount > ParticleEmitter::kMaxParticles) {
            return false;
        }
    }
    emitter.Draw(g);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tolm::TolmAppBase app;
    static const std::string path = ScratchFolder::FilePath("particles.xml");
    ScratchFolder::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    ParticleConfigManager* configs = ParticleConfigManager::Instance();
    ParticleConfig config;
    const bool loaded = configs->LoadConfig(path, "fuzz");
    if (loaded != configs->GetConfig("fuzz", config) || (loaded && !RunEmitter(config))) {
        __builtin_trap();
    }
    delete configs;
    return 0;
}
