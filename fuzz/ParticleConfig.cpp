// Particle files on arbitrary contents: the file is loaded as the game loads its effects, and what
// loaded is run as an emitter for a few steps and drawn, so that no value a file can hold breaks the
// emitter either.
#include "app/TolmAppBase.h"
#include "effects/ParticleConfigManager.h"
#include "effects/ParticleEmitter.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// One file a process, so that runs side by side do not write each other's inputs.
const std::string& ScratchFile()
{
    static const std::string file =
        (std::filesystem::temp_directory_path() / ("quendara-fuzz-particles-" + std::to_string(getpid()) + ".xml"))
            .string();
    return file;
}

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
    if (std::FILE* file = std::fopen(ScratchFile().c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    ParticleConfigManager* configs = ParticleConfigManager::Instance();
    ParticleConfig config;
    const bool loaded = configs->LoadConfig(ScratchFile(), "fuzz");
    if (loaded != configs->GetConfig("fuzz", config) || (loaded && !RunEmitter(config))) {
        __builtin_trap();
    }
    delete configs;
    return 0;
}
